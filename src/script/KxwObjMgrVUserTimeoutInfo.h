// What a virtual user keeps about its timers, beside the timers themselves (which live in their windows): the
// identifiers handed out, the latest expiration a timer made in this step may have, the virtual clock on which
// the engine plays a step's timers out, and the think time and wasted time measured around timer callbacks.
//
// Times are milliseconds since the start of the run as unsigned 32-bit counts. The run clock is read as a double
// and rounded; the virtual clock, when not 0, stands in for it ("effective time").
#pragma once

#include <cstdint>

#include "kxw/KxwiRunTimeSettings.h"

class KxwVUserVars;

class KxwObjMgrVUserTimeoutInfo {
public:
    // The largest timestamp a computed expiration or limit takes: one below the "no timer" sentinel.
    static constexpr uint32_t kuMaxTimestamp = 0xFFFFFFFEu;
    static constexpr uint32_t kuNoTimestamp = 0xFFFFFFFFu;

    explicit KxwObjMgrVUserTimeoutInfo(KxwVUserVars* mptVUserVars);
    KxwObjMgrVUserTimeoutInfo(const KxwObjMgrVUserTimeoutInfo&) = delete;
    KxwObjMgrVUserTimeoutInfo& operator=(const KxwObjMgrVUserTimeoutInfo&) = delete;

    // The run-time settings (seconds for the two timeouts).
    uint32_t GetMaximumTimeout() const;
    uint32_t GetMaximumAccumulativeTimeout() const;
    bool GetUseVirtualTimerTimeout() const;
    REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR GetSetIntervalTimeoutAfterEndBehavior() const;

    // 1, 2, ... for the virtual user's whole life; 0 is never handed out.
    int GenerateTimerID();
    // The latest expiration of a timer made in this step: fixed by the first call of the step at muNow plus the
    // maximum accumulative timeout (the delay is not used).
    uint32_t ObtainTimeoutExpirationTimestampLimit(uint32_t muNow, long mliTimeout);
    uint32_t GetTimeoutExpirationTimestampLimit() const { return _uliTimeoutExpirationTimestampLimit; }
    // The virtual clock when set, else the rounded run clock; the rounded run clock through mpuRealTimestamp.
    uint32_t GetEffectiveTimestamp(uint32_t* mpuRealTimestamp) const;
    void SetVirtualTimerTime(uint32_t muTimestamp) { _uliVirtualTimerTime = muTimestamp; }
    uint32_t GetVirtualTimerTime() const { return _uliVirtualTimerTime; }
    // The start of a step: no limit yet, and the run clock again.
    void Reset();

    void SetHandleTimeoutThinkTime(bool mbHandle) { _bHandleTimeoutThinkTime = mbHandle; }
    bool GetHandleTimeoutThinkTime() const { return _bHandleTimeoutThinkTime; }
    // Each returns the run clock (ms) at the call; the End calls report the interval since the Start.
    double StartThinkTime();
    double EndThinkTime();
    double StartWastedTime();
    double EndWastedTime();

    // The run clock in whole milliseconds, rounded, modulo 2^32.
    static uint32_t RoundRunClock(double mdfMs);
    // muBase + mullMs, saturated at kuMaxTimestamp instead of wrapping.
    static uint32_t AddSaturated(uint32_t muBase, uint64_t mullMs);

private:
    double _dfThinkTimeStart = 0;
    double _dfWastedTimeStart = 0;
    const KxwiRunTimeSettings* _ptRTS = nullptr;
    uint32_t _uliTimeoutExpirationTimestampLimit = 0;
    int _iLastTimerID = 0;
    bool _bHandleTimeoutThinkTime = false;
    uint32_t _uliVirtualTimerTime = 0;
};
