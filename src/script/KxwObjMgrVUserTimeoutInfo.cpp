#include "KxwObjMgrVUserTimeoutInfo.h"

#include "KxwTransaction.h"
#include "KxwUtilReport.h"
#include "QmtUtils.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwVUserVars.h"

KxwObjMgrVUserTimeoutInfo::KxwObjMgrVUserTimeoutInfo(KxwVUserVars* mptVUserVars)
    : _ptRTS(mptVUserVars ? &mptVUserVars->GetRTS() : nullptr) {
    if (!_ptRTS && xtKxwEnvCfg._pfvInternalError)
        xtKxwEnvCfg._pfvInternalError("_ptRTS==NULL in KxwObjMgrVUserTimeoutInfo::KxwObjMgrVUserTimeoutInfo");
}

uint32_t KxwObjMgrVUserTimeoutInfo::GetMaximumTimeout() const { return _ptRTS ? _ptRTS->GetMaximumTimeout() : 0; }

uint32_t KxwObjMgrVUserTimeoutInfo::GetMaximumAccumulativeTimeout() const {
    return _ptRTS ? _ptRTS->GetMaximumAccumulativeTimeout() : 0;
}

bool KxwObjMgrVUserTimeoutInfo::GetUseVirtualTimerTimeout() const {
    return _ptRTS && _ptRTS->GetUseVirtualTimerTimeout();
}

REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR KxwObjMgrVUserTimeoutInfo::GetSetIntervalTimeoutAfterEndBehavior()
    const {
    return _ptRTS ? _ptRTS->GetSetIntervalTimeoutAfterEndBehavior() : REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ONCE;
}

int KxwObjMgrVUserTimeoutInfo::GenerateTimerID() {
    // Computed unsigned: the wrap past INT_MAX is defined, and 0 (no timer) is skipped.
    _iLastTimerID = static_cast<int>(static_cast<unsigned>(_iLastTimerID) + 1u);
    if (_iLastTimerID == 0) _iLastTimerID = 1;
    return _iLastTimerID;
}

uint32_t KxwObjMgrVUserTimeoutInfo::ObtainTimeoutExpirationTimestampLimit(uint32_t muNow, long) {
    if (_uliTimeoutExpirationTimestampLimit == 0)
        _uliTimeoutExpirationTimestampLimit = AddSaturated(muNow, uint64_t{GetMaximumAccumulativeTimeout()} * 1000u);
    return _uliTimeoutExpirationTimestampLimit;
}

uint32_t KxwObjMgrVUserTimeoutInfo::GetEffectiveTimestamp(uint32_t* mpuRealTimestamp) const {
    uint32_t uReal = RoundRunClock(xfdfQmtUtilsMillisecondsFromStartOfRun());
    if (mpuRealTimestamp) *mpuRealTimestamp = uReal;
    return _uliVirtualTimerTime != 0 ? _uliVirtualTimerTime : uReal;
}

void KxwObjMgrVUserTimeoutInfo::Reset() {
    _uliTimeoutExpirationTimestampLimit = 0;
    _uliVirtualTimerTime = 0;
}

double KxwObjMgrVUserTimeoutInfo::StartThinkTime() {
    if (!_bHandleTimeoutThinkTime) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "KxwObjMgrVUserTimeoutInfo::StartThinkTime ignored when GetHandleTimeoutThinkTime()==false");
        return 0;
    }
    _dfThinkTimeStart = xfdfQmtUtilsMillisecondsFromStartOfRun();
    return _dfThinkTimeStart;
}

double KxwObjMgrVUserTimeoutInfo::EndThinkTime() {
    if (!_bHandleTimeoutThinkTime) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "KxwObjMgrVUserTimeoutInfo::EndThinkTime ignored when GetHandleTimeoutThinkTime()==false");
        return 0;
    }
    double dfStart = _dfThinkTimeStart;
    _dfThinkTimeStart = 0;
    double dfNow = xfdfQmtUtilsMillisecondsFromStartOfRun();
    // The transaction library counts think time in milliseconds, as the think step reports it.
    if (dfStart != 0 && dfNow - dfStart > 0) Transaction_ThinkTime(dfNow - dfStart);
    return dfNow;
}

double KxwObjMgrVUserTimeoutInfo::StartWastedTime() {
    _dfWastedTimeStart = xfdfQmtUtilsMillisecondsFromStartOfRun();
    return _dfWastedTimeStart;
}

double KxwObjMgrVUserTimeoutInfo::EndWastedTime() {
    double dfStart = _dfWastedTimeStart;
    _dfWastedTimeStart = 0;
    double dfNow = xfdfQmtUtilsMillisecondsFromStartOfRun();
    if (dfStart != 0 && dfNow - dfStart > 0) Transaction_WastedTime(dfNow - dfStart);
    return dfNow;
}

uint32_t KxwObjMgrVUserTimeoutInfo::RoundRunClock(double mdfMs) {
    if (!(mdfMs > 0)) return 0;  // also NaN
    // Through 64 bits, so that the count wraps modulo 2^32 as the engine's 32-bit clock does, never saturates.
    return static_cast<uint32_t>(static_cast<uint64_t>(mdfMs + 0.5));
}

uint32_t KxwObjMgrVUserTimeoutInfo::AddSaturated(uint32_t muBase, uint64_t mullMs) {
    uint64_t ullSum = uint64_t{muBase} + mullMs;
    return ullSum > kuMaxTimestamp ? kuMaxTimestamp : static_cast<uint32_t>(ullSum);
}
