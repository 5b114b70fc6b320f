#include "KxwDomBindingUtil.h"

#include <cstring>

#include "KxwDomHtmlProperty.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswUserObjBase.h"
#include "KxwUtilReport.h"
#include "KxwUtilUtf.h"
#include "kxw/KxwEnvCfg.h"

namespace {

void TraceUnsupportedPropertyId(const char* mpszClassName, const char* mpszOperation, short mnTinyId) {
    if (!xfbKxwTraceEnabled()) return;
    xfvKxwUtilReportTraceToFile("%.100s::%s: Unsupported property ID (%d)", mpszClassName ? mpszClassName : "[Unknown]",
                                mpszOperation, static_cast<int>(mnTinyId));
}

}  // namespace

void xfvKxwDomUtilInvalidJswMethodCallbackArgs(const char* mpszMethodName, void* mpvDynamicCastResult,
                                               KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv,
                                               unsigned* mpanArgvLen, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType,
                                               void** mppvRetVal, unsigned* mpnRetValLen,
                                               KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    if (mppvRetVal) *mppvRetVal = nullptr;
    if (mpeRetValType) *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_NONE;
    KXW_WTL_SEV_LVL_ENUM eSevLvl = xfeKxwUtilJavaScriptErrorSevLvl();
    if (!xfbKxwUtilIsSevLvlEnabled(eSevLvl)) return;
    xfvKxwUtilReportBySevLvl(eSevLvl,
                             "Invalid arguments for %s: mptUserObj=%p (dynamic_cast=%p), mnArgc=%ld, mpapvArgv=%p, "
                             "mpanArgvLen=%p, mpaeType=%p, mppvRetVal=%p, mpnRetValLen=%p, mpeRetValType=%p",
                             mpszMethodName && *mpszMethodName ? mpszMethodName : "unspecified method name",
                             static_cast<void*>(mptUserObj), mpvDynamicCastResult, static_cast<long>(mnArgc),
                             static_cast<void*>(mpapvArgv), static_cast<void*>(mpanArgvLen),
                             static_cast<void*>(mpaeType), static_cast<void*>(mppvRetVal),
                             static_cast<void*>(mpnRetValLen), static_cast<void*>(mpeRetValType));
}

bool xfbKxwDomUtilUnsupportedGetPropertyId(const char* mpszClassName, short mnTinyId,
                                           KxwDomPropertyInfo& mrtPropertyInfo) {
    TraceUnsupportedPropertyId(mpszClassName, "GetDomPropertyInfo", mnTinyId);
    mrtPropertyInfo.AssignUndefined();
    return false;
}

bool xfbKxwDomUtilGiveToEngineObject(KxwJswUserObjBase* mptUserObj, const char* mpszCaller) {
    if (mptUserObj && mptUserObj->CreateJsiObj()) return true;
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, "No script engine on this thread in %s",
                                          mpszCaller ? mpszCaller : "[Unknown]");
    delete mptUserObj;
    return false;
}

bool xfbKxwDomUtilUnsupportedSetPropertyId(const char* mpszClassName, short mnTinyId) {
    TraceUnsupportedPropertyId(mpszClassName, "SetDomPropertyInfo", mnTinyId);
    return false;
}

std::string xfdsKxwDomUtilU16ToUtf8(const char16_t* mpwsfStr, unsigned muLen) {
    return xfdsKxwUtilU16ToUtf8(mpwsfStr, muLen);
}

std::string xfdsKxwDomUtilPropertyToUtf8(const KxwDomHtmlPropertyStr& mrtProperty) {
    return xfdsKxwUtilU16ToUtf8(mrtProperty.GetU16nStr(), mrtProperty.GetU16nLenInChars());
}

std::u16string xfdsKxwDomUtilUtf8ToU16(const char* mpszStr) {
    return xfdsKxwUtilUtf8ToU16(mpszStr, mpszStr ? std::strlen(mpszStr) : 0);
}

bool xfbKxwDomUtilU16EqualIgnoringAsciiCase(const char16_t* mpwsf1, size_t mnLen1, const char16_t* mpwsf2,
                                            size_t mnLen2) {
    if (mnLen1 != mnLen2) return false;
    for (size_t n = 0; n < mnLen1; ++n) {
        char16_t c1 = mpwsf1[n], c2 = mpwsf2[n];
        if (c1 >= 'A' && c1 <= 'Z') c1 = static_cast<char16_t>(c1 + 32);
        if (c2 >= 'A' && c2 <= 'Z') c2 = static_cast<char16_t>(c2 + 32);
        if (c1 != c2) return false;
    }
    return true;
}
