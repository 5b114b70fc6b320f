#include "kxw/KxwVUserVars.h"

#include "KxwUtilReport.h"

namespace {
thread_local KxwVUserVars* gptThreadVUserVars = nullptr;
}

KxwVUserVars::KxwVUserVars(int miVUserId) : _iVUserId(miVUserId) {}

KxwVUserVars::~KxwVUserVars() {
    // A block destroyed while still bound would leave the thread pointing at freed memory.
    if (gptThreadVUserVars == this) gptThreadVUserVars = nullptr;
}

KxwVUserVars* KxwVUserVars::_fptGet(const char* mpszCaller, KXW_VUSER_VARS_EXIST_ENUM meExist) {
    KxwVUserVars* ptVUserVars = gptThreadVUserVars;
    if (!ptVUserVars && meExist == KXW_VUSER_VARS_MUST_EXIST)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "No virtual user block for this thread in KxwVUserVars::_fptGet "
                                              "called from %.200s",
                                              mpszCaller ? mpszCaller : "[Unknown]");
    return ptVUserVars;
}

KxwVUserVars* KxwVUserVars::_fptBindToThread(KxwVUserVars* mptVUserVars) {
    KxwVUserVars* ptPrevious = gptThreadVUserVars;
    gptThreadVUserVars = mptVUserVars;
    return ptPrevious;
}

KxwHswApi* xfptKxwUtilGetHswApi() {
    KxwVUserVars* ptVUserVars = KxwVUserVars::_fptGet("xfptKxwUtilGetHswApi", KXW_VUSER_VARS_MAY_BE_ABSENT);
    return ptVUserVars ? ptVUserVars->GetHswApi() : nullptr;
}
