#include "KxwDomBindingUtil.h"

#include <cstdint>

#include "KxwDomPropertyInfo.h"
#include "KxwUtilReport.h"
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

bool xfbKxwDomUtilUnsupportedSetPropertyId(const char* mpszClassName, short mnTinyId) {
    TraceUnsupportedPropertyId(mpszClassName, "SetDomPropertyInfo", mnTinyId);
    return false;
}

std::string xfdsKxwDomUtilU16ToUtf8(const char16_t* mpwsfStr, unsigned muLen) {
    std::string dsResult;
    dsResult.reserve(muLen);
    for (unsigned n = 0; mpwsfStr && n < muLen; ++n) {
        uint32_t uCode = mpwsfStr[n];
        if (uCode >= 0xD800 && uCode < 0xDC00 && n + 1 < muLen && mpwsfStr[n + 1] >= 0xDC00 &&
            mpwsfStr[n + 1] < 0xE000) {
            uCode = 0x10000 + ((uCode - 0xD800) << 10) + (mpwsfStr[n + 1] - 0xDC00);
            ++n;
        }
        if (uCode < 0x80) {
            dsResult += static_cast<char>(uCode);
        } else if (uCode < 0x800) {
            dsResult += static_cast<char>(0xC0 | (uCode >> 6));
            dsResult += static_cast<char>(0x80 | (uCode & 0x3F));
        } else if (uCode < 0x10000) {
            dsResult += static_cast<char>(0xE0 | (uCode >> 12));
            dsResult += static_cast<char>(0x80 | ((uCode >> 6) & 0x3F));
            dsResult += static_cast<char>(0x80 | (uCode & 0x3F));
        } else {
            dsResult += static_cast<char>(0xF0 | (uCode >> 18));
            dsResult += static_cast<char>(0x80 | ((uCode >> 12) & 0x3F));
            dsResult += static_cast<char>(0x80 | ((uCode >> 6) & 0x3F));
            dsResult += static_cast<char>(0x80 | (uCode & 0x3F));
        }
    }
    return dsResult;
}

std::u16string xfdsKxwDomUtilUtf8ToU16(const char* mpszStr) {
    std::u16string dsResult;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(mpszStr); p && *p;) {
        uint32_t uCode = *p++;
        int iMore = uCode >= 0xF0 ? 3 : uCode >= 0xE0 ? 2 : uCode >= 0xC0 ? 1 : 0;
        if (iMore) uCode &= (0x3Fu >> iMore);
        for (; iMore > 0 && (*p & 0xC0) == 0x80; --iMore) uCode = (uCode << 6) | (*p++ & 0x3Fu);
        if (uCode >= 0x10000) {
            dsResult += static_cast<char16_t>(0xD800 + ((uCode - 0x10000) >> 10));
            dsResult += static_cast<char16_t>(0xDC00 + ((uCode - 0x10000) & 0x3FF));
        } else {
            dsResult += static_cast<char16_t>(uCode);
        }
    }
    return dsResult;
}
