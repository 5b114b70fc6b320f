// The timers of one window: those its scripts asked for since the last activation (the request list, earliest
// first) and those handed to the engine's timer service (the active list, in activation order), the one whose
// function is running, and how intervals behave after the step's items have been processed. A reset of the window
// (a new document, a close, its end) drops all of them, so a page's timer never runs on the next page.
#pragma once

#include <cstdint>

#include "kxw/KxwiRunTimeSettings.h"

class KxwDomHtmlWindow;
class KxwDomTimeoutInfo;
class KxwHswApi;
class KxwJsval;
class KxwObjMgr;

class KxwDomTimeoutStatus {
public:
    KxwDomTimeoutStatus();
    ~KxwDomTimeoutStatus();
    KxwDomTimeoutStatus(const KxwDomTimeoutStatus&) = delete;
    KxwDomTimeoutStatus& operator=(const KxwDomTimeoutStatus&) = delete;

    // Called by the window's constructor; reads the interval behaviour of the run-time settings.
    void SetWindow(KxwDomHtmlWindow* mptWindow);

    // A new requested timer (delay ms, the function, flags of KxwDomTimeoutInfo, the code text for diagnostics,
    // the identifier or -1 for a new one); the identifier, also when the delay is too long for a timer to be
    // made, or -1 when nothing could be done.
    int AddTimeoutInfo(long mliTimeout, const KxwJsval& mtFunction, uint8_t mucFlags, const char* mpsfCode,
                       unsigned muCodeLen, int miTimerID);
    // clearTimeout and clearInterval.
    void RemoveTimeoutInfoById(int miTimerID);
    bool IsTimeoutActive(int miTimerID) const;
    // The registered, unfrozen timer due first (the earliest activated among equals), or null with
    // 0xFFFFFFFF and -1.
    KxwDomTimeoutInfo* GetMinExpirationTimestampOrULongMax(uint32_t& mruExpiration, int& mriTimerID) const;

    // Around a timer's function: false when another timer of this window is running.
    bool StartEvaluation(const KxwDomTimeoutInfo& mrtTimeout);
    // The running timer's end; with mbActivate the timers it requested are handed to the engine.
    void EndEvaluation(bool mbActivate);
    bool IsDuringEvalution() const { return _iEvaluatedTimerID != 0; }

    // The engine reports that a script completed: the requested timers are handed to it.
    void OnScriptComplete();
    // The start of a step: frozen timers are thawed and registered.
    void DefreezeTimeouts();
    // Every timer goes; a running one is only unlinked, and freed by its Execute.
    void Reset();
    // The timer leaves the active list and is destroyed.
    void RemoveAndDeleteFromActiveList(KxwDomTimeoutInfo* mptTimeout);
    // A timer that could not run now goes back to the request list, to be handed to the engine again at the next
    // activation.
    void Requeue(KxwDomTimeoutInfo* mptTimeout);

    KxwDomHtmlWindow* GetWindow() const { return _ptWindow; }
    KxwHswApi* GetHswApi();
    KxwObjMgr* GetObjMgr() const;
    REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR GetReestablishSetIntervalAtEndOfStep() const {
        return _eReestablishSetIntervalAtEndOfStep;
    }
    // For tests and dumps: timers in each list.
    unsigned GetRequestedCount() const;
    unsigned GetActiveCount() const;

private:
    void ActivateAllRequestedTimeouts();
    void InsertToTimeoutRequestList(KxwDomTimeoutInfo* mptTimeout);
    // Unlinks the timer from the list that starts at mrptHead; false when it is not there.
    static bool Unlink(KxwDomTimeoutInfo*& mrptHead, KxwDomTimeoutInfo* mptTimeout);
    // Destroys a timer that left its list (or, running, leaves it to its Execute).
    static void Discard(KxwDomTimeoutInfo* mptTimeout);

    KxwHswApi* _ptHswApi = nullptr;
    KxwDomHtmlWindow* _ptWindow = nullptr;
    KxwDomTimeoutInfo* _ptActiveList = nullptr;
    KxwDomTimeoutInfo* _ptRequestList = nullptr;
    int _iEvaluatedTimerID = 0;
    REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR _eReestablishSetIntervalAtEndOfStep =
        REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ONCE;
};
