#include "kxw/KxwParamStore.h"

#include <cstring>

#include "KxwUtilReport.h"
#include "kxw/KxwVUserVars.h"

const std::string* KxwParamStore::Get(const std::string& mdsName) const {
    auto it = _tValues.find(mdsName);
    return it == _tValues.end() ? nullptr : &it->second;
}

int Parameter_SaveString(const char* mpsfValue, int miLen, int /*miFlags*/, const char* mpszName) {
    if (!mpszName || !*mpszName || miLen < 0 || (!mpsfValue && miLen > 0)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid Parameter_SaveString(mpsfValue=%p, miLen=%d, mpszName=%p)",
                                              static_cast<const void*>(mpsfValue), miLen,
                                              static_cast<const void*>(mpszName));
        return -1;
    }
    KxwVUserVars* ptVUserVars = KxwVUserVars::_fptGet("Parameter_SaveString", KXW_VUSER_VARS_MUST_EXIST);
    if (!ptVUserVars) return -2;
    ptVUserVars->GetParamStore().Set(mpszName, std::string(mpsfValue ? mpsfValue : "", static_cast<size_t>(miLen)));
    return 0;
}

const char* Parameter_GetString(const char* mpszName) {
    if (!mpszName) return nullptr;
    KxwVUserVars* ptVUserVars = KxwVUserVars::_fptGet("Parameter_GetString", KXW_VUSER_VARS_MAY_BE_ABSENT);
    if (!ptVUserVars) return nullptr;
    const std::string* pdsValue = ptVUserVars->GetParamStore().Get(mpszName);
    return pdsValue ? pdsValue->c_str() : nullptr;
}
