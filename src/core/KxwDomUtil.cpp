#include "kxw/KxwDomUtil.h"

#include "kxw/KxwDomCommand.h"
#include "kxw/KxwObjMgr.h"

#include <cstdarg>

#include "KxwMsgHandler.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwVUserVars.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

bool IsBlankOrTab(char mcChar) { return mcChar == ' ' || mcChar == '\t'; }
bool IsDigit(char mcChar) { return mcChar >= '0' && mcChar <= '9'; }
bool IsAsciiLetter(char mcChar) { return (mcChar >= 'A' && mcChar <= 'Z') || (mcChar >= 'a' && mcChar <= 'z'); }
bool IsJsBlank(char16_t mwcChar) { return mwcChar == ' ' || mwcChar == '\t' || mwcChar == '\r' || mwcChar == '\n'; }

// Reads digits from *mpuPos; false on overflow past 0x7FFFFFFF.
bool ReadHtmlDigits(const char* mpsfStr, unsigned muLen, unsigned* mpuPos, int32_t* mpliValue) {
    int32_t liValue = 0;
    unsigned uPos = *mpuPos;
    for (; uPos < muLen && IsDigit(mpsfStr[uPos]); ++uPos) {
        int32_t liDigit = mpsfStr[uPos] - '0';
        if (liValue > 214748364 || liValue * 10 > 0x7FFFFFFF - liDigit) return false;
        liValue = liValue * 10 + liDigit;
    }
    *mpuPos = uPos;
    *mpliValue = liValue;
    return true;
}

KxwiRunTimeSettings* CurrentRTS() {
    KxwVUserVars* ptVUserVars = KxwVUserVars::_fptGet("xfptKxwDomUtilGetRTS", KXW_VUSER_VARS_MAY_BE_ABSENT);
    return ptVUserVars ? &ptVUserVars->GetRTS() : nullptr;
}

void IssueCataloged(KXW_WTL_SEV_LVL_ENUM meSevLvl, int miMsgId, const char* mpszFunction, int miLine,
                    va_list mtArgs) {
    char* pszText = nullptr;
    FormatGenericMessage("", -1, 0x50100000, miMsgId, mtArgs, &pszText);
    if (!pszText) return;
    xfvKxwUtilIssueMessage(meSevLvl, miMsgId, pszText, mpszFunction, miLine);
    FreeGenericMessage(pszText);
}

}  // namespace

bool xfbKxwObjMgrDebugPrint(const char* mpszTitle, unsigned long mulMask) {
    // Asked by diagnostics at any time: a virtual user without windows is no error and writes nothing.
    KxwVUserVars* ptVUserVars = KxwVUserVars::_fptGet("xfbKxwObjMgrDebugPrint", KXW_VUSER_VARS_MAY_BE_ABSENT);
    KxwObjMgr* ptObjMgr = ptVUserVars ? ptVUserVars->GetObjMgr() : nullptr;
    if (!ptObjMgr || !ptObjMgr->HasContext()) return false;
    ptObjMgr->DebugPrintHierarchy(mpszTitle, KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, mulMask);
    return true;
}

KxwObjMgr* xfptKxwDomUtilGetObjMgr(const char* mpszCaller) {
    KxwVUserVars* ptVUserVars = KxwVUserVars::_fptGet("xfptKxwDomUtilGetObjMgr", KXW_VUSER_VARS_MUST_EXIST);
    KxwObjMgr* ptObjMgr = ptVUserVars ? ptVUserVars->GetObjMgr() : nullptr;
    if (!ptObjMgr && mpszCaller && *mpszCaller)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_NO_OBJ_MGR,
                                              "ptObjMgr is NULL in xfptKxwDomUtilGetObjMgr called from %.200s. "
                                              "ptVUserVars=%p",
                                              mpszCaller, static_cast<void*>(ptVUserVars));
    return ptObjMgr;
}

bool xfbKxwDomUtilIsDomSnapshotsBeingGenerated() {
    KxwVUserVars* ptVUserVars =
        KxwVUserVars::_fptGet("xfbKxwDomUtilIsDomSnapshotsBeingGenerated", KXW_VUSER_VARS_MAY_BE_ABSENT);
    KxwObjMgr* ptObjMgr = ptVUserVars ? ptVUserVars->GetObjMgr() : nullptr;
    return ptObjMgr && ptObjMgr->IsDomSnapshotsBeingGenerated();
}

void xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                               void* mpvNotificationObject) {
    KxwVUserVars* ptVUserVars = KxwVUserVars::_fptGet("xfvKxwDomUtilNotifyObjMgr", KXW_VUSER_VARS_MAY_BE_ABSENT);
    if (KxwObjMgr* ptObjMgr = ptVUserVars ? ptVUserVars->GetObjMgr() : nullptr) {
        ptObjMgr->NotifyThis(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
        return;
    }
    xfvKxwUtilReportInternalError("ptObjMgr is NULL in xfvKxwDomUtilNotifyObjMgr(meNotificationType=%d, "
                                  "mpvNotificationSubject=%p, mpvNotificationObject=%p)",
                                  static_cast<int>(meNotificationType), mpvNotificationSubject, mpvNotificationObject);
}

bool xfbKxwDomUtilNotifyPostIssuedOK(KxwPostNotificationInfo* mptPostInfo) {
    if (!mptPostInfo) return false;
    KxwPostId tPostId = 0;
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_POST_ISSUED, mptPostInfo, &tPostId);
    mptPostInfo->_tPostId = tPostId;
    // 0 to 3 are no POST data of the engine's: nothing to record.
    return tPostId >= KXW_POST_ID_FIRST_REAL;
}

int xfeKxwDomUtilGetMajorBrowserType() {
    KxwVUserVars* ptVUserVars = KxwVUserVars::_fptGet("xfeKxwDomUtilGetMajorBrowserType", KXW_VUSER_VARS_MAY_BE_ABSENT);
    if (!ptVUserVars || !ptVUserVars->GetObjMgr()) return KXW_BROWSER_MAJOR_TYPE_IE;
    // Every top window's navigator emulates the browser of the virtual user's settings.
    return ptVUserVars->GetRTS().GetBrowserMajorType();
}

bool xfbKxwDomUtilIsIE() { return xfeKxwDomUtilGetMajorBrowserType() != KXW_BROWSER_MAJOR_TYPE_NS; }

bool xfbKxwDomUtilIsNS() { return xfeKxwDomUtilGetMajorBrowserType() == KXW_BROWSER_MAJOR_TYPE_NS; }

int32_t xfliKxwDomUtilGetHtmlNumberOrLongMax(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    if (!mpsfDcsStr || muDcsLenInBytes == 0) return KXW_HTML_NUMBER_NONE;
    return xfliKxwDomUtilGetHtmlNumberOrLongMaxFor(xfeKxwDomUtilGetMajorBrowserType(), mpsfDcsStr, muDcsLenInBytes);
}

int32_t xfliKxwDomUtilGetHtmlNumberOrLongMaxFor(int miMajorBrowserType, const char* mpsfDcsStr,
                                                unsigned muDcsLenInBytes) {
    if (!mpsfDcsStr || muDcsLenInBytes == 0) return KXW_HTML_NUMBER_NONE;
    unsigned uPos = 0;
    int32_t liValue = 0;
    if (miMajorBrowserType == KXW_BROWSER_MAJOR_TYPE_NS) {
        // The first digit anywhere starts the number, and whatever follows it is ignored.
        while (uPos < muDcsLenInBytes && !IsDigit(mpsfDcsStr[uPos])) ++uPos;
        if (uPos == muDcsLenInBytes) return KXW_HTML_NUMBER_NONE;
        return ReadHtmlDigits(mpsfDcsStr, muDcsLenInBytes, &uPos, &liValue) ? liValue : KXW_HTML_NUMBER_NONE;
    }
    while (uPos < muDcsLenInBytes && IsBlankOrTab(mpsfDcsStr[uPos])) ++uPos;
    if (uPos < muDcsLenInBytes && mpsfDcsStr[uPos] == '+') ++uPos;
    if (uPos == muDcsLenInBytes || !IsDigit(mpsfDcsStr[uPos])) return KXW_HTML_NUMBER_NONE;
    if (!ReadHtmlDigits(mpsfDcsStr, muDcsLenInBytes, &uPos, &liValue)) return KXW_HTML_NUMBER_NONE;
    // A letter glued to the digits ("42px") makes the whole value invalid; anything else ends the number.
    if (uPos < muDcsLenInBytes && IsAsciiLetter(mpsfDcsStr[uPos])) return KXW_HTML_NUMBER_NONE;
    return liValue;
}

int32_t xfliKxwDomUtilGetJsNumber(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    if (!mpwsfU16nStr || muU16nLenInChars == 0) return 0;
    unsigned uPos = 0;
    while (uPos < muU16nLenInChars && IsJsBlank(mpwsfU16nStr[uPos])) ++uPos;
    if (uPos == muU16nLenInChars) return 0;
    bool bNegative = false;
    if (mpwsfU16nStr[uPos] == '+' || mpwsfU16nStr[uPos] == '-') {
        bNegative = mpwsfU16nStr[uPos] == '-';
        ++uPos;
    }
    // Wraps like the 32-bit arithmetic of the emulated browsers instead of overflowing a signed value.
    uint32_t uValue = 0;
    unsigned uDigits = 0;
    for (; uPos < muU16nLenInChars && mpwsfU16nStr[uPos] >= '0' && mpwsfU16nStr[uPos] <= '9'; ++uPos, ++uDigits)
        uValue = uValue * 10u + static_cast<uint32_t>(mpwsfU16nStr[uPos] - '0');
    while (uPos < muU16nLenInChars && IsJsBlank(mpwsfU16nStr[uPos])) ++uPos;
    if (uDigits == 0 || uPos != muU16nLenInChars) return 0;
    return static_cast<int32_t>(bNegative ? 0u - uValue : uValue);
}

bool xfbKxwDomUtilFailOnJavaScriptError() {
    KxwiRunTimeSettings* ptRTS = CurrentRTS();
    return ptRTS ? ptRTS->GetFailOnJavaScriptError() : true;
}

KXW_WTL_SEV_LVL_ENUM xfeKxwDomUtilJavaScriptErrorSevLvl() { return xfeKxwUtilJavaScriptErrorSevLvl(); }

bool xfbKxwDomUtilIsOracle() {
    KxwiRunTimeSettings* ptRTS = CurrentRTS();
    return ptRTS && ptRTS->GetOracleWebApplications();
}

bool xfbKxwDomUtilIsSap() {
    const KxwiRunTimeSettings* ptRTS = xtKxwEnvCfg._ptInitialRTS;
    return ptRTS && ptRTS->GetSapWebApplications();
}

bool xfbKxwDomUtilIsAsyncClickAndScript() {
    const KxwiRunTimeSettings* ptRTS = xtKxwEnvCfg._ptInitialRTS;
    return ptRTS && ptRTS->GetAsyncClickAndScript();
}

bool xfbKxwDomUtilIsProcessAllItemsEnded() {
    KxwVUserVars* ptVUserVars =
        KxwVUserVars::_fptGet("xfbKxwDomUtilIsProcessAllItemsEnded", KXW_VUSER_VARS_MAY_BE_ABSENT);
    return ptVUserVars ? ptVUserVars->IsProcessAllItemsEnded() : true;
}

KxwiRunTimeSettings* xfptKxwDomUtilGetRTS() { return CurrentRTS(); }

const char* xpszKxwDomUtilGetHomePageDcsStr() {
    KxwiRunTimeSettings* ptRTS = CurrentRTS();
    if (!ptRTS) {
        xfvKxwUtilReportInternalError("ptRTS == NULL in xpszKxwDomUtilGetHomePageDcsStr");
        return "";
    }
    return ptRTS->GetHomePage();
}

KxwHswApi* xfptKxwDomUtilGetHswApi() { return xfptKxwUtilGetHswApi(); }

KxwDomHtmlCollectionGeneral** xfpptKxwDomUtilGetCollectionPtr() {
    KxwVUserVars* ptVUserVars = KxwVUserVars::_fptGet("xfpptKxwDomUtilGetCollectionPtr", KXW_VUSER_VARS_MAY_BE_ABSENT);
    return ptVUserVars ? ptVUserVars->GetCollectionPtr() : nullptr;
}

bool xfbIsAboutBlank(const char16_t* mpwsfU16nStr, int miU16nLenInChars) {
    static const char kszAboutBlank[] = "about:blank";
    if (!mpwsfU16nStr || miU16nLenInChars != 11) return false;
    for (int i = 0; i < 11; ++i) {
        char16_t wcChar = mpwsfU16nStr[i];
        if (wcChar >= 'A' && wcChar <= 'Z') wcChar = static_cast<char16_t>(wcChar - 'A' + 'a');
        if (wcChar != static_cast<char16_t>(kszAboutBlank[i])) return false;
    }
    return true;
}

bool xfbIsHash(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    return mpsfDcsStr && muDcsLenInBytes > 0 && mpsfDcsStr[0] == '#';
}

void xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM meSevLvl, int miMsgId, const char* mpszFunction,
                                         int miLine, ...) {
    if (!xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    va_list tArgs;
    va_start(tArgs, miLine);
    IssueCataloged(meSevLvl, miMsgId, mpszFunction, miLine, tArgs);
    va_end(tArgs);
}

void xfvKxwDomUtilIssueCatalogedMessage(KXW_WTL_SEV_LVL_ENUM meSevLvl, int miMsgId, const char* mpszFunction,
                                        int miLine, ...) {
    va_list tArgs;
    va_start(tArgs, miLine);
    IssueCataloged(meSevLvl, miMsgId, mpszFunction, miLine, tArgs);
    va_end(tArgs);
}
