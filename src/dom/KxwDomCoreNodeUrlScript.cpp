// javascript: URLs: the code after the scheme runs in the window the URL is aimed at, and its result goes where the
// URL would have loaded: a new document for a window operation, else the node that started it (a script element
// takes it as its source's text; other nodes ignore it).
#include <cstring>
#include <memory>
#include <string>

#include "KxwDomCoreNode.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomStr.h"
#include "KxwDomWatchDelete.h"
#include "KxwUtilEscape.h"
#include "KxwUtilStrCompare.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwJsval.h"

namespace {

constexpr unsigned knPrefixLen = 11;  // "javascript:"
constexpr size_t knStackCodeBytes = 4096;

bool IsJavaScriptUrl(const char* mpsfUrl, size_t mnLen) {
    return mpsfUrl && mnLen >= knPrefixLen &&
           xfbKxwUtilIsEqualIgnoreCase(mpsfUrl, knPrefixLen, "javascript:", knPrefixLen);
}

std::string WindowUrl(KxwDomHtmlWindow* mptWindow) {
    KxwDomHtmlDocument* ptDocument = mptWindow ? mptWindow->GetDocument() : nullptr;
    const char* psfHref = ptDocument ? ptDocument->GetHref().GetDcsStr() : nullptr;
    return psfHref ? std::string(psfHref, ptDocument->GetHref().GetDcsLenInBytes()) : std::string();
}

}  // namespace

bool KxwDomCoreNode::HandleUrlScript(const char* mpsfzUrlDcsStr, unsigned mnUrlDcsLenInBytes,
                                     KxwDomHtmlWindow* mptOriginatingWindow, KxwDomHtmlWindow* mptContextWindow,
                                     const char* mpszContextWindowDescriptionStr, bool mbWindowOperation,
                                     bool mbMayFailRun) {
    KxwDomHtmlDocument* ptContextDocument = mptContextWindow ? mptContextWindow->GetDocument() : nullptr;
    if (!mptOriginatingWindow || !ptContextDocument || !IsJavaScriptUrl(mpsfzUrlDcsStr, mnUrlDcsLenInBytes) ||
        !mpszContextWindowDescriptionStr || !*mpszContextWindowDescriptionStr) {
        std::string dsShown = mpsfzUrlDcsStr ? GetPrintableText(mpsfzUrlDcsStr, mnUrlDcsLenInBytes, 100) : "";
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpsfzUrlDcsStr=%p / mnUrlDcsLenInBytes=%ld / mptOriginatingWindow=%p / mptContextWindow=%p / "
            "ptContextDocument=%p / mpszContextWindowDescriptionStr=%p=%.128s in KxwDomCoreNode::HandleUrlScript for "
            "this=%p. mpsfzUrlDcsStr=\"%.100s...\"",
            static_cast<const void*>(mpsfzUrlDcsStr), static_cast<long>(mnUrlDcsLenInBytes),
            static_cast<void*>(mptOriginatingWindow), static_cast<void*>(mptContextWindow),
            static_cast<void*>(ptContextDocument), static_cast<const void*>(mpszContextWindowDescriptionStr),
            mpszContextWindowDescriptionStr ? mpszContextWindowDescriptionStr : "", static_cast<void*>(this),
            dsShown.c_str());
        return false;
    }
    std::string dsUrl(mpsfzUrlDcsStr, mnUrlDcsLenInBytes);
    std::string dsShownUrl = GetPrintableText(dsUrl.data(), dsUrl.size(), 2000);

    // A window operation's new document needs the address it is written under.
    std::string dsBaseUrl;
    if (mbWindowOperation) {
        KxwDomHtmlWindow* ptInitiatorWindow = KxwDomHtmlWindow::GetScopeWindow();
        dsBaseUrl = WindowUrl(ptInitiatorWindow ? ptInitiatorWindow : mptOriginatingWindow);
        if ((dsBaseUrl.empty() || IsJavaScriptUrl(dsBaseUrl.data(), dsBaseUrl.size())) &&
            mptContextWindow != (ptInitiatorWindow ? ptInitiatorWindow : mptOriginatingWindow))
            dsBaseUrl = WindowUrl(mptContextWindow);
        if (dsBaseUrl.empty() || IsJavaScriptUrl(dsBaseUrl.data(), dsBaseUrl.size())) {
            if (xfbKxwTraceEnabled())
                xfvKxwUtilReportTraceToFile(
                    "Unable to obtain base URL for a window operation in KxwDomCoreNode::HandleUrlScript for this=%p. "
                    "ptInitiatorWindow=%p, mptOriginatingWindow=%p, mptContextWindow=%p, nBaseUrlLen=%ld, "
                    "psfzBaseUrlStr=%p, URL=\"%.2000s...\"",
                    static_cast<void*>(this), static_cast<void*>(ptInitiatorWindow),
                    static_cast<void*>(mptOriginatingWindow), static_cast<void*>(mptContextWindow),
                    static_cast<long>(dsBaseUrl.size()), static_cast<const void*>(dsBaseUrl.c_str()),
                    dsShownUrl.c_str());
            dsBaseUrl.clear();
        }
    }

    // The code, percent-unescaped as any URL is; it never grows by unescaping.
    const char* psfCode = mpsfzUrlDcsStr + knPrefixLen;
    unsigned nCodeLen = mnUrlDcsLenInBytes - knPrefixLen;
    char acStackCode[knStackCodeBytes];
    std::unique_ptr<char[]> ptHeapCode;
    if (std::memchr(psfCode, '%', nCodeLen)) {
        size_t nBufferLen = static_cast<size_t>(mnUrlDcsLenInBytes) - 10;
        char* psfBuffer = acStackCode;
        if (nBufferLen > knStackCodeBytes) {
            ptHeapCode.reset(new char[nBufferLen]);
            psfBuffer = ptHeapCode.get();
        }
        int iLen = xfiKxwUtilPerformPercentageUnEscapingAndReturnLength(psfCode, static_cast<int>(nCodeLen), psfBuffer);
        if (iLen < 0 || static_cast<unsigned>(iLen) > nCodeLen) {
            std::string dsShownCode = GetPrintableText(psfCode, nCodeLen, 2000);
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "Invalid nJavaScriptCodeLen=%ld / nSpecifiedJavaScriptCodeLen=%ld in "
                                                  "KxwDomCoreNode::HandleUrlScript for this=%p. "
                                                  "psfzSpecifiedJavaScriptCodeStr=\"%.2000s...\"",
                                                  static_cast<long>(iLen), static_cast<long>(nCodeLen),
                                                  static_cast<void*>(this), dsShownCode.c_str());
            return false;
        }
        psfBuffer[iLen] = '\0';
        psfCode = psfBuffer;
        nCodeLen = static_cast<unsigned>(iLen);
    }

    KxwDomWatchDelete tWatchDocument("KxwDomCoreNode::HandleUrlScript", ptContextDocument);
    KxwDomWatchDelete tWatchThis("KxwDomCoreNode::HandleUrlScript", this);
    unsigned uTargetCount = mptContextWindow->GetTargetCount();
    ptContextDocument->IncrementJavascriptUrlEvaluationDepth();
    KxwJsval tResult;
    bool bOK = mptContextWindow->EvaluateSingleScript(psfCode, nCodeLen, mptContextWindow, nullptr, &tResult, true, 0,
                                                      "javascript:", 1, this);
    bool bDocumentDeleted = tWatchDocument.HasBeenDeleted();
    if (!bDocumentDeleted) ptContextDocument->DecrementJavascriptUrlEvaluationDepth();

    bool bNotWritten = true;
    if (!bOK) {
        KXW_WTL_SEV_LVL_ENUM eSevLvl = mbMayFailRun && xfbKxwDomUtilFailOnJavaScriptError()
                                           ? KXW_WTL_SEV_LVL_ENUM_IGNORED_FRAME
                                           : KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR;
        xfvKxwDomUtilReportCatalogedMessage(eSevLvl, -35923, "KxwDomCoreNode::HandleUrlScript", __LINE__,
                                            dsShownUrl.c_str());
    } else if (tResult.IsUndefined()) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35918, "KxwDomCoreNode::HandleUrlScript",
                                            __LINE__);
    } else if (bDocumentDeleted) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35921, "KxwDomCoreNode::HandleUrlScript",
                                            __LINE__, mpszContextWindowDescriptionStr, dsShownUrl.c_str());
    } else if (mptContextWindow->GetTargetCount() != uTargetCount) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35922, "KxwDomCoreNode::HandleUrlScript",
                                            __LINE__);
    } else if (mbWindowOperation) {
        mptContextWindow->WriteResultOfUrlScriptToDocument(tResult, mpszContextWindowDescriptionStr, dsBaseUrl,
                                                           dsUrl.data(), static_cast<unsigned>(dsUrl.size()));
    } else if (tWatchThis.HasBeenDeleted()) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35920, "KxwDomCoreNode::HandleUrlScript",
                                            __LINE__, "node");
    } else {
        WriteResultOfUrlScriptToObject(tResult, dsUrl.data(), static_cast<unsigned>(dsUrl.size()), bNotWritten);
    }
    if (!mbWindowOperation && !tWatchThis.HasBeenDeleted() && bNotWritten)
        ResultOfUrlScriptNotWrittenToObject(dsUrl.data(), static_cast<unsigned>(dsUrl.size()));
    return true;
}

bool KxwDomCoreNode::GetResultOfUrlScriptOK(const KxwJsval& mrtResult, const char* mpszUrl, KxwDomStr& mrtText) {
    (void)mpszUrl;
    if (!mrtResult.IsString()) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, -35917,
                                            "KxwDomCoreNode::GetResultOfUrlScriptOK", __LINE__);
        return false;
    }
    KxwJsval tResult(mrtResult);
    unsigned uLen = 0;
    const char16_t* pwsfText = tResult.GetStringU16n(&uLen);
    if (!pwsfText || uLen == 0) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35916,
                                            "KxwDomCoreNode::GetResultOfUrlScriptOK", __LINE__);
        return false;
    }
    mrtText.AssignDcsFromU16n(pwsfText, uLen);
    return true;
}

bool KxwDomCoreNode::WriteResultOfUrlScriptToObject(const KxwJsval&, const char* mpsfUrl, unsigned muUrlLen,
                                                    bool& mrbNotWritten) {
    mrbNotWritten = true;
    std::string dsShownUrl = GetPrintableText(mpsfUrl ? mpsfUrl : "", mpsfUrl ? muUrlLen : 0, 2000);
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM eSubtype = GetNodeSubtype();
    if (eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_WINDOW || eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_DOCUMENT) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "For %.100s, ignoring the value returned by the script in URL=\"%.2000s\" in "
                "KxwDomCoreNode::WriteResultOfUrlScriptToObject for this=%p",
                GetNodeTypeAsAscStr(), dsShownUrl.c_str(), static_cast<void*>(this));
        return true;
    }
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35915,
                                        "KxwDomCoreNode::WriteResultOfUrlScriptToObject", __LINE__,
                                        GetNodeTypeAsAscStr(), dsShownUrl.c_str());
    return true;
}

void KxwDomCoreNode::ResultOfUrlScriptNotWrittenToObject(const char*, unsigned) {}
