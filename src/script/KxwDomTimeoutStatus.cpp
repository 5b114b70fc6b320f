#include "KxwDomTimeoutStatus.h"

#include <new>

#include "KxwDomHtmlWindow.h"
#include "KxwDomTimeoutInfo.h"
#include "KxwObjMgrVUserTimeoutInfo.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"

namespace {

// The code text of a message: at most 1000 bytes, as the catalogue's texts take it.
const char* CodeOf(const KxwDomTimeoutInfo& mrtTimeout) { return mrtTimeout.GetOriginalJSCode().c_str(); }

}  // namespace

KxwDomTimeoutStatus::KxwDomTimeoutStatus() : _ptHswApi(xfptKxwUtilGetHswApi()) {}

KxwDomTimeoutStatus::~KxwDomTimeoutStatus() { Reset(); }

void KxwDomTimeoutStatus::SetWindow(KxwDomHtmlWindow* mptWindow) {
    _ptWindow = mptWindow;
    KxwObjMgr* ptObjMgr = GetObjMgr();
    int iBehavior = ptObjMgr ? static_cast<int>(ptObjMgr->GetSetIntervalTimeoutAfterEndBehavior()) : 0;
    if (iBehavior < REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ONCE ||
        iBehavior > REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ALWAYS) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid _eReestablishSetIntervalAtEndOfStep=%d for _ptWindow(%p)->"
                                              "ptObjMgr(%p) in KxwDomTimeoutStatus:SetWindow for this=%p. Assuming ONCE",
                                              iBehavior, static_cast<void*>(mptWindow), static_cast<void*>(ptObjMgr),
                                              static_cast<void*>(this));
        iBehavior = REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ONCE;
    }
    _eReestablishSetIntervalAtEndOfStep = static_cast<REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR>(iBehavior);
}

KxwObjMgr* KxwDomTimeoutStatus::GetObjMgr() const {
    KxwObjMgr* ptObjMgr = _ptWindow ? _ptWindow->GetObjMgr() : nullptr;
    if (!ptObjMgr)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid _ptWindow=%p/ptObjMgr=%p in KxwDomTimeoutStatus:GetObjMgr() for "
                                              "this=%p",
                                              static_cast<void*>(_ptWindow), static_cast<void*>(ptObjMgr),
                                              static_cast<const void*>(this));
    return ptObjMgr;
}

KxwHswApi* KxwDomTimeoutStatus::GetHswApi() {
    // The script engine is made again for each iteration: the window's is the one of the calling thread now.
    if (KxwHswApi* ptCurrent = xfptKxwUtilGetHswApi()) _ptHswApi = ptCurrent;
    return _ptHswApi;
}

// ---------------------------------------------------------------------------------------------------------------
// Requests and activation

int KxwDomTimeoutStatus::AddTimeoutInfo(long mliTimeout, const KxwJsval& mtFunction, uint8_t mucFlags,
                                        const char* mpsfCode, unsigned muCodeLen, int miTimerID) {
    KxwObjMgr* ptObjMgr = GetObjMgr();
    if (!ptObjMgr) return -1;
    if (!mtFunction.IsFunction()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mtFunction (%p) in KxwDomTimeoutStatus::AddTimeoutInfo",
                                              static_cast<const void*>(mtFunction.GetRawObject()));
        return -1;
    }
    KxwObjMgrVUserTimeoutInfo& rtInfo = ptObjMgr->GetTimeoutInfo();
    if (miTimerID == -1) miTimerID = rtInfo.GenerateTimerID();
    static const char kszFunctionCode[] = "[pointer to a function]";
    const char* pszCode = mpsfCode ? mpsfCode : kszFunctionCode;
    unsigned uCodeLen = mpsfCode ? muCodeLen : sizeof kszFunctionCode - 1;
    uint64_t ullMaximumMs = uint64_t{rtInfo.GetMaximumTimeout()} * 1000u;
    if (mliTimeout > 0 && static_cast<uint64_t>(mliTimeout) > ullMaximumMs) {
        std::string dsCode(pszCode, uCodeLen < 1000 ? uCodeLen : 1000);
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35997, "KxwDomTimeoutStatus::AddTimeoutInfo",
                                            __LINE__, mliTimeout, static_cast<long>(rtInfo.GetMaximumTimeout()),
                                            miTimerID, dsCode.c_str());
        return miTimerID;
    }
    uint32_t uReal = 0;
    uint32_t uNow = rtInfo.GetEffectiveTimestamp(&uReal);
    auto* ptTimeout = new (std::nothrow)
        KxwDomTimeoutInfo(this, miTimerID, mliTimeout, mtFunction, mucFlags, mpsfCode, muCodeLen, uNow, uReal);
    if (!ptTimeout) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomTimeoutInfo)), "KxwDomTimeoutInfo");
    InsertToTimeoutRequestList(ptTimeout);
    uint32_t uLimit = rtInfo.ObtainTimeoutExpirationTimestampLimit(uNow, mliTimeout);
    if (ptTimeout->GetExpirationTimestamp() > uLimit) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35996, "KxwDomTimeoutStatus::AddTimeoutInfo",
                                            __LINE__, miTimerID,
                                            static_cast<long>(rtInfo.GetMaximumAccumulativeTimeout()),
                                            ptTimeout->GetTimeout(), CodeOf(*ptTimeout));
        ptTimeout->Freeze(true);
    } else {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35995, "KxwDomTimeoutStatus::AddTimeoutInfo",
                                            __LINE__, miTimerID, ptTimeout->GetTimeout(),
                                            static_cast<unsigned long>(uNow), static_cast<unsigned long>(uReal),
                                            CodeOf(*ptTimeout));
    }
    return miTimerID;
}

void KxwDomTimeoutStatus::InsertToTimeoutRequestList(KxwDomTimeoutInfo* mptTimeout) {
    // Behind every timer due at the same time or earlier: timers due together run in the order they were asked for.
    KxwDomTimeoutInfo** pptLink = &_ptRequestList;
    while (*pptLink && (*pptLink)->GetExpirationTimestamp() <= mptTimeout->GetExpirationTimestamp())
        pptLink = &(*pptLink)->_ptNext;
    mptTimeout->_ptNext = *pptLink;
    *pptLink = mptTimeout;
}

void KxwDomTimeoutStatus::ActivateAllRequestedTimeouts() {
    KxwDomTimeoutInfo** pptTail = &_ptActiveList;
    while (*pptTail) pptTail = &(*pptTail)->_ptNext;
    while (KxwDomTimeoutInfo* ptTimeout = _ptRequestList) {
        _ptRequestList = ptTimeout->_ptNext;
        ptTimeout->_ptNext = nullptr;
        *pptTail = ptTimeout;
        pptTail = &ptTimeout->_ptNext;
        if (!ptTimeout->IsFrozen()) ptTimeout->Register(false);
    }
}

void KxwDomTimeoutStatus::OnScriptComplete() { ActivateAllRequestedTimeouts(); }

void KxwDomTimeoutStatus::DefreezeTimeouts() {
    for (KxwDomTimeoutInfo* ptTimeout = _ptActiveList; ptTimeout; ptTimeout = ptTimeout->_ptNext) {
        if (!ptTimeout->IsFrozen()) continue;
        ptTimeout->Freeze(false);
        ptTimeout->RegisterAdjustingVirtualTime();
    }
}

void KxwDomTimeoutStatus::Requeue(KxwDomTimeoutInfo* mptTimeout) {
    if (!Unlink(_ptActiveList, mptTimeout)) return;
    mptTimeout->UnRegister(false);
    InsertToTimeoutRequestList(mptTimeout);
}

// ---------------------------------------------------------------------------------------------------------------
// Running and clearing

bool KxwDomTimeoutStatus::StartEvaluation(const KxwDomTimeoutInfo& mrtTimeout) {
    if (_iEvaluatedTimerID != 0) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, -35991,
                                            "KxwDomTimeoutStatus::StartEvaluation", __LINE__, mrtTimeout.GetTimerID(),
                                            _iEvaluatedTimerID);
        return false;
    }
    _iEvaluatedTimerID = mrtTimeout.GetTimerID();
    return true;
}

void KxwDomTimeoutStatus::EndEvaluation(bool mbActivate) {
    if (mbActivate) ActivateAllRequestedTimeouts();
    _iEvaluatedTimerID = 0;
}

void KxwDomTimeoutStatus::RemoveTimeoutInfoById(int miTimerID) {
    for (KxwDomTimeoutInfo* ptTimeout = _ptActiveList; ptTimeout; ptTimeout = ptTimeout->_ptNext) {
        if (ptTimeout->GetTimerID() != miTimerID) continue;
        if (ptTimeout->IsRunning()) {
            // Its own function clears it: the call completes, and the interval is not set up again.
            ptTimeout->SetRecurring(false);
            return;
        }
        Unlink(_ptActiveList, ptTimeout);
        Discard(ptTimeout);
        return;
    }
    for (KxwDomTimeoutInfo* ptTimeout = _ptRequestList; ptTimeout; ptTimeout = ptTimeout->_ptNext) {
        if (ptTimeout->GetTimerID() != miTimerID) continue;
        Unlink(_ptRequestList, ptTimeout);
        Discard(ptTimeout);
        return;
    }
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35990, "KxwDomTimeoutStatus::RemoveTimeoutInfoById",
                                        __LINE__, miTimerID);
}

bool KxwDomTimeoutStatus::IsTimeoutActive(int miTimerID) const {
    for (KxwDomTimeoutInfo* ptTimeout = _ptActiveList; ptTimeout; ptTimeout = ptTimeout->_ptNext)
        if (ptTimeout->GetTimerID() == miTimerID) return true;
    return false;
}

KxwDomTimeoutInfo* KxwDomTimeoutStatus::GetMinExpirationTimestampOrULongMax(uint32_t& mruExpiration,
                                                                          int& mriTimerID) const {
    KxwDomTimeoutInfo* ptMin = nullptr;
    mruExpiration = KxwObjMgrVUserTimeoutInfo::kuNoTimestamp;
    mriTimerID = -1;
    for (KxwDomTimeoutInfo* ptTimeout = _ptActiveList; ptTimeout; ptTimeout = ptTimeout->_ptNext) {
        if (!ptTimeout->IsRegistred() || ptTimeout->IsFrozen()) continue;
        if (ptMin && ptTimeout->GetExpirationTimestamp() >= mruExpiration) continue;
        ptMin = ptTimeout;
        mruExpiration = ptTimeout->GetExpirationTimestamp();
        mriTimerID = ptTimeout->GetTimerID();
    }
    return ptMin;
}

void KxwDomTimeoutStatus::RemoveAndDeleteFromActiveList(KxwDomTimeoutInfo* mptTimeout) {
    if (!Unlink(_ptActiveList, mptTimeout)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptTimeoutInfo=%p not in the active list in "
                                              "KxwDomTimeoutStatus::RemoveAndDeleteFromActiveList for this=%p",
                                              static_cast<void*>(mptTimeout), static_cast<void*>(this));
        return;
    }
    delete mptTimeout;
}

void KxwDomTimeoutStatus::Reset() {
    while (KxwDomTimeoutInfo* ptTimeout = _ptRequestList) {
        _ptRequestList = ptTimeout->_ptNext;
        Discard(ptTimeout);
    }
    while (KxwDomTimeoutInfo* ptTimeout = _ptActiveList) {
        _ptActiveList = ptTimeout->_ptNext;
        Discard(ptTimeout);
    }
    _iEvaluatedTimerID = 0;
}

bool KxwDomTimeoutStatus::Unlink(KxwDomTimeoutInfo*& mrptHead, KxwDomTimeoutInfo* mptTimeout) {
    for (KxwDomTimeoutInfo** pptLink = &mrptHead; *pptLink; pptLink = &(*pptLink)->_ptNext) {
        if (*pptLink != mptTimeout) continue;
        *pptLink = mptTimeout->_ptNext;
        mptTimeout->_ptNext = nullptr;
        return true;
    }
    return false;
}

void KxwDomTimeoutStatus::Discard(KxwDomTimeoutInfo* mptTimeout) {
    mptTimeout->_ptNext = nullptr;
    if (mptTimeout->IsRunning()) {
        // Its function reset or closed the window: the timer is still on the stack and goes when it returns.
        mptTimeout->UnRegister(true);
        mptTimeout->SetRecurring(false);
        mptTimeout->Detach();
        return;
    }
    delete mptTimeout;
}

unsigned KxwDomTimeoutStatus::GetRequestedCount() const {
    unsigned uCount = 0;
    for (KxwDomTimeoutInfo* ptTimeout = _ptRequestList; ptTimeout; ptTimeout = ptTimeout->_ptNext) ++uCount;
    return uCount;
}

unsigned KxwDomTimeoutStatus::GetActiveCount() const {
    unsigned uCount = 0;
    for (KxwDomTimeoutInfo* ptTimeout = _ptActiveList; ptTimeout; ptTimeout = ptTimeout->_ptNext) ++uCount;
    return uCount;
}
