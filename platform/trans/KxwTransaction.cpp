#include "KxwTransaction.h"

#include "KxwUtilReport.h"
#include "kxw/KxwVUserVars.h"

namespace {

KxwVUserVars* ValidatedVUser(const char* mpszCaller, double mdfMs) {
    if (!(mdfMs >= 0)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, "Invalid time %f ms in %s", mdfMs,
                                              mpszCaller);
        return nullptr;
    }
    return KxwVUserVars::_fptGet(mpszCaller, KXW_VUSER_VARS_MUST_EXIST);
}

}  // namespace

int Transaction_ThinkTime(double mdfMs) {
    KxwVUserVars* ptVUserVars = ValidatedVUser("Transaction_ThinkTime", mdfMs);
    if (!ptVUserVars) return -1;
    ptVUserVars->AddThinkTimeMs(mdfMs);
    return 0;
}

int Transaction_WastedTime(double mdfMs) {
    KxwVUserVars* ptVUserVars = ValidatedVUser("Transaction_WastedTime", mdfMs);
    if (!ptVUserVars) return -1;
    ptVUserVars->AddWastedTimeMs(mdfMs);
    return 0;
}
