#include "KxwDomTimeoutInfo.h"

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomScriptEvaluationNotifier.h"
#include "KxwDomTimeoutStatus.h"
#include "KxwDomWatchDelete.h"
#include "KxwObjMgrVUserTimeoutInfo.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJswGlobal.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"

namespace {

constexpr unsigned kuMaxCodeBytes = 1000;
const char kszFunctionCode[] = "[pointer to a function]";

// Calls a timer's function in its window's page, with the window as this, inside the evaluation bracket.
void CallTimerFunction(KxwHswApi& mrtHswApi, KxwDomHtmlWindow& mrtWindow, const KxwJsval& mrtFunction) {
    KxwJswGlobal* ptGlobal = mrtWindow.GetGlobal();
    if (!ptGlobal || !ptGlobal->GetObject()) return;
    KxwJswGlobal::RealmScope tRealm(ptGlobal);
    // A pop-up's window is in no top window's tree: it has no closes or pending scripts to wait for, and its
    // timers run in a bare bracket.
    if (!mrtWindow.GetTopWindow()) {
        KxwJswScriptEvaluationNotifier tBare;
        mrtHswApi.CallFunctionValue(tBare, mrtFunction, &mrtWindow, 0, nullptr);
        return;
    }
    KxwDomScriptEvaluationNotifier tNotifier("KxwDomTimeoutInfo::Execute", &mrtWindow, true);
    mrtHswApi.CallFunctionValue(tNotifier, mrtFunction, &mrtWindow, 0, nullptr);
}

}  // namespace

int fiKxwDomTimeoutCallback(void* mpvClosure) {
    if (!mpvClosure) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mpvClosure is NULL in fiKxwDomTimeoutCallback");
        return 0;
    }
    auto* ptTimeout = static_cast<KxwDomTimeoutInfo*>(mpvClosure);
    // The service forgot the registration before calling: nothing is left to withdraw.
    ptTimeout->_hDrvResponseHandle = nullptr;
    ptTimeout->Execute();
    return 0;
}

KxwDomTimeoutInfo::KxwDomTimeoutInfo(KxwDomTimeoutStatus* mptTimeoutStatus, int miTimerID, long mliTimeout,
                                     const KxwJsval& mrtFunction, uint8_t mucFlags, const char* mpsfCode,
                                     unsigned muCodeLen, uint32_t muNow, uint32_t muRealNow)
    : _tFunction(mrtFunction),
      _ptTimeoutStatus(mptTimeoutStatus),
      _ptObjMgr(mptTimeoutStatus ? mptTimeoutStatus->GetObjMgr() : nullptr),
      _iTimerID(miTimerID),
      _liTimeout(mliTimeout < 1 ? 1 : mliTimeout),
      _uliExpirationTimestamp(KxwObjMgrVUserTimeoutInfo::AddSaturated(muNow, static_cast<uint64_t>(_liTimeout))),
      _uliCreationTimestamp(muNow),
      _uliCreationRealTimestamp(muRealNow),
      _ucFlags(mucFlags) {
    if (xfbKxwUtilIsSevLvlEnabled(KXW_WTL_SEV_LVL_ENUM_NOTICE)) {
        if (mpsfCode)
            _sOriginalJSCode.assign(mpsfCode, muCodeLen < kuMaxCodeBytes ? muCodeLen : kuMaxCodeBytes);
        else
            _sOriginalJSCode = kszFunctionCode;
    }
}

KxwDomTimeoutInfo::~KxwDomTimeoutInfo() { UnRegister(true); }

KxwObjMgr* KxwDomTimeoutInfo::GetObjMgr() const {
    if (!_ptObjMgr)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid _ptWindow=%p/ptObjMgr=%p in KxwDomTimeoutStatus:GetObjMgr() for "
                                              "this=%p",
                                              _ptTimeoutStatus ? static_cast<void*>(_ptTimeoutStatus->GetWindow())
                                                               : nullptr,
                                              static_cast<void*>(_ptObjMgr), static_cast<const void*>(this));
    return _ptObjMgr;
}

void KxwDomTimeoutInfo::SetRecurring(bool mbRecurring) {
    _ucFlags = mbRecurring ? (_ucFlags | kucRecurring) : (_ucFlags & ~kucRecurring);
}

void KxwDomTimeoutInfo::Freeze(bool mbFrozen) {
    _ucFlags = mbFrozen ? (_ucFlags | kucFrozen) : (_ucFlags & ~kucFrozen);
}

// ---------------------------------------------------------------------------------------------------------------
// Registration with the engine's timer service

bool KxwDomTimeoutInfo::Register(bool mbFromRunClock) {
    if (IsRegistred()) UnRegister(false);
    KxwObjMgr* ptObjMgr = GetObjMgr();
    if (!ptObjMgr) return false;
    KxwObjMgrVUserTimeoutInfo& rtInfo = ptObjMgr->GetTimeoutInfo();
    uint32_t uReal = 0;
    uint32_t uEffective = rtInfo.GetEffectiveTimestamp(&uReal);
    uint32_t uNow = mbFromRunClock ? uReal : uEffective;
    // In 64 bits: now + 1 must not wrap past the expiration.
    uint32_t uDelay = uint64_t{uNow} + 1 < _uliExpirationTimestamp ? _uliExpirationTimestamp - uNow : 1;
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, mbFromRunClock ? -35931 : -35994,
                                        "KxwDomTimeoutInfo::Register", __LINE__, _iTimerID,
                                        static_cast<unsigned long>(uNow),
                                        static_cast<unsigned long>(_uliExpirationTimestamp),
                                        static_cast<unsigned long>(uDelay));
    void* hHandle = xtKxwEnvCfg._pfRegisterTimer
                        ? xtKxwEnvCfg._pfRegisterTimer(xtKxwEnvCfg._pvContext, &fiKxwDomTimeoutCallback, this, uDelay)
                        : nullptr;
    if (!hHandle) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "DrvRegisterTimer(%p, %p, %p, %ld) for KxwDomTimeoutInfo failed in "
                                              "KxwDomTimeoutInfo::Register",
                                              xtKxwEnvCfg._pvContext,
                                              reinterpret_cast<void*>(&fiKxwDomTimeoutCallback),
                                              static_cast<void*>(this), static_cast<long>(uDelay));
        return false;
    }
    _hDrvResponseHandle = hHandle;
    return true;
}

bool KxwDomTimeoutInfo::UnRegister(bool mbReport) {
    if (!IsRegistred()) return true;
    void* hHandle = _hDrvResponseHandle;
    _hDrvResponseHandle = nullptr;
    if (mbReport)
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35993, "KxwDomTimeoutInfo::UnRegister",
                                            __LINE__, _iTimerID);
    int iRC = xtKxwEnvCfg._pfvUnregisterTimer ? xtKxwEnvCfg._pfvUnregisterTimer(xtKxwEnvCfg._pvContext, hHandle) : -1;
    if (iRC != 0) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "DrvUnregisterResponseObject for KxwDomTimeoutInfo failed, rc=%d in "
                                              "KxwDomTimeoutInfo::UnRegister",
                                              iRC);
        return false;
    }
    return true;
}

bool KxwDomTimeoutInfo::RegisterAdjustingVirtualTime() {
    if (_uliCreationRealTimestamp < _uliCreationTimestamp) {
        _uliExpirationTimestamp =
            KxwObjMgrVUserTimeoutInfo::AddSaturated(_uliCreationRealTimestamp, static_cast<uint64_t>(_liTimeout));
        return Register(true);
    }
    return Register(false);
}

// ---------------------------------------------------------------------------------------------------------------
// Running

void KxwDomTimeoutInfo::ExecuteUsingVirtualTimerTime() {
    if (KxwObjMgr* ptObjMgr = GetObjMgr()) ptObjMgr->GetTimeoutInfo().SetVirtualTimerTime(_uliExpirationTimestamp);
    Execute();
}

void KxwDomTimeoutInfo::Execute() {
    UnRegister(true);
    KxwObjMgr* ptObjMgr = GetObjMgr();
    KxwDomTimeoutStatus* ptStatus = _ptTimeoutStatus;
    if (!ptObjMgr || !ptStatus || _bRunning) {
        if (ptObjMgr && (!ptStatus || _bRunning))
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "Timer %d at %p is detached or already running in "
                                                  "KxwDomTimeoutInfo::Execute",
                                                  _iTimerID, static_cast<void*>(this));
        return;
    }
    KxwObjMgrVUserTimeoutInfo& rtInfo = ptObjMgr->GetTimeoutInfo();
    rtInfo.EndThinkTime();
    uint32_t uReal = 0;
    uint32_t uEffective = rtInfo.GetEffectiveTimestamp(&uReal);
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35992, "KxwDomTimeoutInfo::Execute", __LINE__,
                                        _iTimerID, static_cast<unsigned long>(uEffective),
                                        static_cast<unsigned long>(_uliExpirationTimestamp),
                                        static_cast<unsigned long>(uReal), _sOriginalJSCode.c_str());
    if (!ptStatus->StartEvaluation(*this)) {
        // Another timer of the window is running: this one runs after it, when that one's requests are activated.
        ptStatus->Requeue(this);
        rtInfo.StartThinkTime();
        return;
    }
    KxwDomHtmlWindow* ptWindow = ptStatus->GetWindow();
    KxwDomWatchDelete tWatchDocument("KxwDomTimeoutInfo::Execute", ptWindow ? ptWindow->GetDocument() : nullptr);
    KxwHswApi* ptHswApi = ptStatus->GetHswApi();
    _bRunning = true;
    if (!ptHswApi) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "rtTimeoutStatus.GetHswApi returned NULL to KxwDomTimeoutInfo::Execute");
    } else if (ptWindow && _tFunction.Get().IsFunction()) {
        KxwJsval tFunction = _tFunction.Get();
        CallTimerFunction(*ptHswApi, *ptWindow, tFunction);
    }
    _bRunning = false;
    if (!_ptTimeoutStatus) {
        // The function reset or closed its window: its lists went without this timer, which is freed only now.
        rtInfo.StartThinkTime();
        delete this;
        return;
    }
    if (!tWatchDocument.HasBeenDeleted() && IsRecurring()) {
        uint8_t ucFlags = kucRecurring;
        int iMsgId = -35973;
        REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR eBehavior = ptStatus->GetReestablishSetIntervalAtEndOfStep();
        if (eBehavior == REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ALWAYS || !xfbKxwDomUtilIsProcessAllItemsEnded()) {
            ucFlags = kucRecurring;
        } else if (!(_ucFlags & kucReestablishedOnce) && eBehavior != REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ONCE) {
            ucFlags = kucRecurring | kucReestablishedOnce;
            iMsgId = -35937;
        } else {
            ucFlags = kucRecurring | kucFrozen;
            iMsgId = -35972;
        }
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, iMsgId, "KxwDomTimeoutInfo::Execute",
                                            __LINE__, _iTimerID);
        const std::string* pdsCode = _sOriginalJSCode == kszFunctionCode ? nullptr : &_sOriginalJSCode;
        KxwJsval tFunction = _tFunction.Get();
        ptStatus->AddTimeoutInfo(_liTimeout, tFunction, ucFlags, pdsCode ? pdsCode->data() : nullptr,
                                 pdsCode ? static_cast<unsigned>(pdsCode->size()) : 0, _iTimerID);
    }
    ptStatus->EndEvaluation(true);
    rtInfo.StartThinkTime();
    ptStatus->RemoveAndDeleteFromActiveList(this);
}
