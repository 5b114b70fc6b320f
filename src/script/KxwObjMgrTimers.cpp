// The object manager's timer operations: the virtual user's timer state, and the next timer or META refresh due
// across its windows, which the engine plays out at the end of a step.
#include "KxwDomFindMinTimeout.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomTimeoutInfo.h"
#include "KxwObjMgrPersistentInfo.h"
#include "kxw/KxwObjMgr.h"

KxwObjMgrVUserTimeoutInfo& KxwObjMgr::GetTimeoutInfo() const { return _ptPersistent->_tTimeoutInfo; }

int KxwObjMgr::GenerateTimerID() { return GetTimeoutInfo().GenerateTimerID(); }

uint32_t KxwObjMgr::GetEffectiveTimestamp(uint32_t* mpuRealTimestamp) const {
    return GetTimeoutInfo().GetEffectiveTimestamp(mpuRealTimestamp);
}

uint32_t KxwObjMgr::ObtainTimeoutExpirationTimestampLimit(uint32_t muNow, long mliTimeout) {
    return GetTimeoutInfo().ObtainTimeoutExpirationTimestampLimit(muNow, mliTimeout);
}

void KxwObjMgr::SetVirtualTimerTime(uint32_t muTimestamp) { GetTimeoutInfo().SetVirtualTimerTime(muTimestamp); }

void KxwObjMgr::SetHandleTimeoutThinkTime(bool mbHandle) { GetTimeoutInfo().SetHandleTimeoutThinkTime(mbHandle); }

bool KxwObjMgr::GetHandleTimeoutThinkTime() const { return GetTimeoutInfo().GetHandleTimeoutThinkTime(); }

double KxwObjMgr::StartThinkTime() { return GetTimeoutInfo().StartThinkTime(); }

double KxwObjMgr::EndThinkTime() { return GetTimeoutInfo().EndThinkTime(); }

double KxwObjMgr::StartWastedTime() { return GetTimeoutInfo().StartWastedTime(); }

double KxwObjMgr::EndWastedTime() { return GetTimeoutInfo().EndWastedTime(); }

uint32_t KxwObjMgr::GetMaximumTimeout() const { return GetTimeoutInfo().GetMaximumTimeout(); }

uint32_t KxwObjMgr::GetMaximumAccumulativeTimeout() const { return GetTimeoutInfo().GetMaximumAccumulativeTimeout(); }

bool KxwObjMgr::GetUseVirtualTimerTimeout() const { return GetTimeoutInfo().GetUseVirtualTimerTimeout(); }

REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR KxwObjMgr::GetSetIntervalTimeoutAfterEndBehavior() const {
    return GetTimeoutInfo().GetSetIntervalTimeoutAfterEndBehavior();
}

uint32_t KxwObjMgr::GetNextTimeoutExpiration() const {
    KxwDomFindMinTimeout tFind;
    tFind.Traverse(_ptPersistent, 0);
    return tFind.GetMinExpirationTimestampOrULongMax();
}

bool KxwObjMgr::RunNextTimeout(bool mbUsingVirtualTimerTime) {
    KxwDomFindMinTimeout tFind;
    tFind.Traverse(_ptPersistent, 0);
    if (KxwDomTimeoutInfo* ptTimeout = tFind.GetMinTimeOutInfo()) {
        if (mbUsingVirtualTimerTime)
            ptTimeout->ExecuteUsingVirtualTimerTime();
        else
            ptTimeout->Execute();
        return true;
    }
    if (KxwDomHtmlDocument* ptDocument = tFind.GetDocumentWithNextMetaToExecute()) {
        if (mbUsingVirtualTimerTime)
            ptDocument->DoMetaRefreshUsingVirtualTimerTime();
        else
            ptDocument->DoMetaRefresh();
        return true;
    }
    return false;
}
