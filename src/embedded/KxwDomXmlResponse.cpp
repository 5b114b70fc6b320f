#include "KxwDomXmlResponse.h"

#include <new>

#include "KxwAutomationRegistry.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomStr.h"
#include "KxwJswAutomationObject.h"
#include "KxwUtilReport.h"
#include "KxwUtilUtf.h"
#include "KxwXmlDom.h"
#include "kxw/KxwDomBrowsing.h"
#include "kxw/KxwDomEmbedded.h"
#include "kxw/KxwDomUtil.h"

namespace {

KxwAutoRef<KxwAutomation> NewXmlDocument(const char* mpszFailure) {
    static const char kszProgId[] = "Msxml.DOMDocument";
    KxwAutoRef<KxwAutomation> tDocument;
    KxwAutoResult lResult = KxwAutomationRegistry::CreateByProgId(kszProgId, sizeof kszProgId - 1, tDocument);
    if (!xfbKxwAutoSucceeded(lResult))
        KxwJswAutomationObject::LogAutomantionErrorMsg(lResult, mpszFailure, nullptr,
                                                       KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR);
    return tDocument;
}

bool LoadXml(KxwAutomation* mptDocument, const std::string& mrdsBody, const char* mpszFailure) {
    KxwAutoValue tResult;
    KxwAutoResult lResult = xflKxwAutoInvokeByName(
        mptDocument, "loadXML",
        KxwAutoArgs{KxwAutoValue::String(xfdsKxwXmlDomDecodeBytes(mrdsBody.data(), mrdsBody.size()))}, tResult);
    if (!xfbKxwAutoSucceeded(lResult)) {
        KxwJswAutomationObject::LogAutomantionErrorMsg(lResult, mpszFailure, nullptr,
                                                       KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR);
        return false;
    }
    return tResult.ToBool();
}

std::string Utf8Of(const KxwAutoValue& mrtValue) {
    std::string dsText;
    if (mrtValue.GetType() != KXW_AUTO_VALUE_STRING || !mrtValue.ToUtf8(dsText)) return std::string();
    return dsText;
}

KxwJswAutomationObject* NewOwnedWrapper(KxwAutomation* mptObject, const char* mpszWhat) {
    auto* ptWrapper = new (std::nothrow) KxwJswAutomationObject(mptObject, false);
    if (!ptWrapper) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwJswAutomationObject)), mpszWhat);
    return ptWrapper;
}

}  // namespace

KxwDomXmlResponse::KxwDomXmlResponse(KxwDomHtmlDocument& mrtDocument) : _rtDocument(mrtDocument) {}

KxwDomXmlResponse::~KxwDomXmlResponse() {
    delete _ptXmlDocumentObject;
    delete _ptXslDocumentObject;
}

bool KxwDomXmlResponse::SetDownloadedXml(const std::string& mrdsBody) {
    if (_tXmlDocument)
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "_ptXmlDocument != NULL in KxwDomHtmlDocument::SetDownloadedXml for this=%p",
            static_cast<void*>(&_rtDocument));
    _tXmlDocument =
        NewXmlDocument("CoCreateInstance(\"Msxml.DOMDocument\") failed in KxwDomHtmlDocument::SetDownloadedXml");
    if (!_tXmlDocument) return false;
    xflKxwAutoPutByName(_tXmlDocument.Get(), "validateOnParse", KxwAutoValue::Bool(false));
    LoadXml(_tXmlDocument.Get(), mrdsBody, "_ptXmlDocument->loadXML failed in KxwDomHtmlDocument::SetDownloadedXml");
    delete _ptXmlDocumentObject;
    _ptXmlDocumentObject = NewOwnedWrapper(_tXmlDocument.Get(), "KxwJswAutomationObject for an XML document");
    std::string dsHref = FindStyleSheetHref();
    if (dsHref.empty()) return true;
    _dsXslUrl = xfdsKxwDomDocumentResolveUrl(&_rtDocument, dsHref.data(), dsHref.size());
    if (_dsXslUrl.empty()) return true;
    if (xfbKxwUtilIsTraceFileOpen())
        xfvKxwUtilReportTraceToFile(
            "Issuing NotifyElementStartDownLoad(_ptXmlDocument=%p) in "
            "KxwDomHtmlDocument::SetDownloadedXml for this=%p",
            static_cast<void*>(_tXmlDocument.Get()), static_cast<void*>(&_rtDocument));
    KxwDomStr tUrl(_rtDocument.GetDomEnv(), _dsXslUrl.data(), static_cast<unsigned>(_dsXslUrl.size()));
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_XSL_DOWNLOAD, &_rtDocument, &tUrl);
    return true;
}

std::string KxwDomXmlResponse::FindStyleSheetHref() const {
    KxwAutoValue tChildren, tLength;
    if (!xfbKxwAutoSucceeded(xflKxwAutoInvokeByName(_tXmlDocument.Get(), "childNodes", {}, tChildren)) ||
        !tChildren.GetObject() ||
        !xfbKxwAutoSucceeded(xflKxwAutoInvokeByName(tChildren.GetObject(), "length", {}, tLength)))
        return std::string();
    int32_t iCount = 0;
    tLength.ToInt(iCount);
    for (int32_t i = 0; i < iCount; ++i) {
        KxwAutoValue tNode, tName, tValue;
        if (!xfbKxwAutoSucceeded(
                xflKxwAutoInvokeByName(tChildren.GetObject(), "item", KxwAutoArgs{KxwAutoValue::Int(i)}, tNode)) ||
            !tNode.GetObject() ||
            !xfbKxwAutoSucceeded(xflKxwAutoInvokeByName(tNode.GetObject(), "nodeName", {}, tName)))
            continue;
        std::string dsName = Utf8Of(tName);
        if (dsName != "xml-stylesheet" && dsName != "xml:stylesheet") continue;
        if (!xfbKxwAutoSucceeded(xflKxwAutoInvokeByName(tNode.GetObject(), "nodeValue", {}, tValue))) continue;
        std::string dsValue = Utf8Of(tValue);
        size_t nStart = dsValue.find("href=\"");
        if (nStart == std::string::npos) continue;
        nStart += 6;
        size_t nEnd = dsValue.find('"', nStart);
        if (nEnd == std::string::npos) continue;
        return dsValue.substr(nStart, nEnd - nStart);
    }
    return std::string();
}

void KxwDomXmlResponse::SetDownloadedXsl(const std::string& mrdsBody, bool mbLoaded) {
    if (!_tXmlDocument) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid _ptXmlDocument/_ptXslDocument (%p/%p) in "
                                              "KxwDomHtmlDocument::SetDownloadedXsl for this=%p",
                                              static_cast<void*>(_tXmlDocument.Get()),
                                              static_cast<void*>(_tXslDocument.Get()),
                                              static_cast<void*>(&_rtDocument));
        return;
    }
    if (!mbLoaded) return;  // the engine reported why; the XML shows as it is
    _tXslDocument =
        NewXmlDocument("CoCreateInstance(\"MSXML.DOMDocument\") failed in KxwDomHtmlDocument::SetDownloadedXml");
    if (!_tXslDocument) return;
    if (!LoadXml(_tXslDocument.Get(), mrdsBody,
                 "_ptXslDocument->loadXML failed in KxwDomHtmlDocument::SetDownloadedXsl"))
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                 "The style sheet of the XML page is not well-formed XML");
    delete _ptXslDocumentObject;
    _ptXslDocumentObject = NewOwnedWrapper(_tXslDocument.Get(), "KxwJswAutomationObject for an XSL document");
    KxwAutoValue tResult;
    KxwAutoResult lResult = xflKxwAutoInvokeByName(_tXmlDocument.Get(), "transformNode",
                                                   KxwAutoArgs{KxwAutoValue::Object(_tXslDocument)}, tResult);
    if (!xfbKxwAutoSucceeded(lResult) || tResult.GetType() != KXW_AUTO_VALUE_STRING) {
        KxwJswAutomationObject::LogAutomantionErrorMsg(lResult, "_ptXmlDocument->transformNode failed",
                                                       _ptXmlDocumentObject, KXW_WTL_SEV_LVL_ENUM_WARNING);
        return;
    }
    _dsPage = Utf8Of(tResult);
    if (xfbKxwUtilIsTraceFileOpen())
        xfvKxwUtilReportTraceToFile(
            "Issuing NotifyElementFinishedDownload(_ptXmlDocument=%p) in "
            "KxwDomHtmlDocument::SetDownloadedXml for this=%p",
            static_cast<void*>(_tXmlDocument.Get()), static_cast<void*>(&_rtDocument));
}

std::string KxwDomXmlResponse::TakePage() {
    std::string dsPage;
    dsPage.swap(_dsPage);
    return dsPage;
}

bool xfbKxwDomDocumentSetDownloadedXml(KxwDomHtmlDocument* mptDocument, const char* mpsfBytes, size_t mnLen) {
    if (!mptDocument) return false;
    return mptDocument->ObtainXmlResponse()->SetDownloadedXml(
        std::string(mpsfBytes ? mpsfBytes : "", mpsfBytes ? mnLen : 0));
}

std::string xfdsKxwDomDocumentTakeXmlPage(KxwDomHtmlDocument* mptDocument) {
    KxwDomXmlResponse* ptResponse = mptDocument ? mptDocument->GetXmlResponse() : nullptr;
    return ptResponse ? ptResponse->TakePage() : std::string();
}
