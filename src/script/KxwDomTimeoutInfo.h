// One timer of a window (setTimeout or setInterval): its function, its delay and when it is due, its registration
// with the engine's timer service, and what it does when the engine calls it back. A timer lives in one of its
// window's two lists (requested, then active) and is destroyed after it ran; an interval lives on as a new timer
// with the same identifier.
#pragma once

#include <cstdint>
#include <string>

#include "kxw/KxwJsval.h"

class KxwDomTimeoutStatus;
class KxwObjMgr;

// The engine's callback: mpvClosure is the KxwDomTimeoutInfo.
int fiKxwDomTimeoutCallback(void* mpvClosure);

class KxwDomTimeoutInfo {
public:
    enum : uint8_t {
        kucRecurring = 0x01,          // an interval
        kucReestablishedOnce = 0x02,  // re-established once after the processing of the step's items ended
        kucFrozen = 0x04,             // waits, unregistered, for the next step
    };

    // A requested timer due at muNow + mliTimeout (a delay below 1 is 1); the code text is kept for diagnostics
    // only (null for a function).
    KxwDomTimeoutInfo(KxwDomTimeoutStatus* mptTimeoutStatus, int miTimerID, long mliTimeout,
                      const KxwJsval& mrtFunction, uint8_t mucFlags, const char* mpsfCode, unsigned muCodeLen,
                      uint32_t muNow, uint32_t muRealNow);
    ~KxwDomTimeoutInfo();
    KxwDomTimeoutInfo(const KxwDomTimeoutInfo&) = delete;
    KxwDomTimeoutInfo& operator=(const KxwDomTimeoutInfo&) = delete;

    // Hands the timer to the engine's timer service for the time left until its expiration, measured from the
    // run clock (mbFromRunClock) or from the effective time.
    bool Register(bool mbFromRunClock);
    bool UnRegister(bool mbReport);
    // A timer made while the virtual clock ran ahead of the run clock is due its delay after the run-clock time
    // of its making.
    bool RegisterAdjustingVirtualTime();
    // Runs the timer's function (the engine's callback); the timer is destroyed before this returns, unless
    // another timer of its window is running (it waits for that one's end).
    void Execute();
    // The same at the timer's own time: the virtual clock is set to its expiration first.
    void ExecuteUsingVirtualTimerTime();

    int GetTimerID() const { return _iTimerID; }
    long GetTimeout() const { return _liTimeout; }
    uint32_t GetExpirationTimestamp() const { return _uliExpirationTimestamp; }
    void SetExpirationTimestamp(uint32_t muTimestamp) { _uliExpirationTimestamp = muTimestamp; }
    uint32_t GetCreationTimestamp() const { return _uliCreationTimestamp; }
    uint32_t GetCreationRealTimestamp() const { return _uliCreationRealTimestamp; }
    uint8_t GetFlags() const { return _ucFlags; }
    bool IsRecurring() const { return (_ucFlags & kucRecurring) != 0; }
    void SetRecurring(bool mbRecurring);
    bool IsFrozen() const { return (_ucFlags & kucFrozen) != 0; }
    void Freeze(bool mbFrozen);
    bool IsRegistred() const { return _hDrvResponseHandle != nullptr; }
    const std::string& GetOriginalJSCode() const { return _sOriginalJSCode; }
    KxwJsval GetFunction() const { return _tFunction.Get(); }
    KxwDomTimeoutStatus* GetTimeoutStatus() const { return _ptTimeoutStatus; }
    KxwObjMgr* GetObjMgr() const;

    // The window's lists go without this timer while its function runs (the window was reset or destroyed by
    // it): Execute frees it when the function returns.
    void Detach() { _ptTimeoutStatus = nullptr; }
    bool IsRunning() const { return _bRunning; }

private:
    friend class KxwDomTimeoutStatus;
    friend int fiKxwDomTimeoutCallback(void* mpvClosure);

    KxwDomTimeoutInfo* _ptNext = nullptr;
    KxwJsvalProt _tFunction;
    KxwDomTimeoutStatus* _ptTimeoutStatus;
    KxwObjMgr* _ptObjMgr;  // outlives every window, so a detached timer still reaches it
    int _iTimerID;
    long _liTimeout;
    void* _hDrvResponseHandle = nullptr;
    uint32_t _uliExpirationTimestamp;
    uint32_t _uliCreationTimestamp;
    uint32_t _uliCreationRealTimestamp;
    uint8_t _ucFlags;
    bool _bRunning = false;
    std::string _sOriginalJSCode;
};
