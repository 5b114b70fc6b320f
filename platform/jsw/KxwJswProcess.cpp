// The engine's process side: start-up and shut-down, the parent runtime that every virtual user's context shares
// (self-hosted code and permanent atoms: a fraction of the memory and start-up time of a runtime of its own), and
// the watchdog thread that interrupts scripts that run past their deadline.
#include "kxw/KxwJswProcess.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "KxwJswHelperPool.h"
#include "KxwJswInternal.h"
#include "KxwUtilReport.h"

namespace {

std::mutex gtProcessMutex;
bool gbJsInitDone = false;

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Watchdog

KxwJswProcessWatchdog& KxwJswProcessWatchdog::Instance() {
    static KxwJswProcessWatchdog tInstance;
    return tInstance;
}

void KxwJswProcessWatchdog::Start() {
    std::lock_guard<std::mutex> tLock(_tMutex);
    if (_bRunning) return;
    _bRunning = true;
    _bStop = false;
    _llWakeMs = kNoDeadline;
    _tThread = std::thread([this] { Run(); });
}

void KxwJswProcessWatchdog::Stop() {
    {
        std::lock_guard<std::mutex> tLock(_tMutex);
        if (!_bRunning) return;
        _bStop = true;
    }
    _tWake.notify_all();
    _tThread.join();
    std::lock_guard<std::mutex> tLock(_tMutex);
    _bRunning = false;
}

int KxwJswProcessWatchdog::AddContext(JSContext* mptCx) {
    std::lock_guard<std::mutex> tLock(_tMutex);
    for (size_t n = 0; n < _tSlots.size(); ++n) {
        if (!_tSlots[n]._ptCx) {
            _tSlots[n] = Slot{mptCx, kNoDeadline, false};
            return static_cast<int>(n);
        }
    }
    _tSlots.push_back(Slot{mptCx, kNoDeadline, false});
    return static_cast<int>(_tSlots.size() - 1);
}

void KxwJswProcessWatchdog::RemoveContext(int miSlot) {
    std::lock_guard<std::mutex> tLock(_tMutex);
    if (miSlot >= 0 && static_cast<size_t>(miSlot) < _tSlots.size()) _tSlots[miSlot] = Slot{};
}

void KxwJswProcessWatchdog::SetDeadline(int miSlot, uint32_t muLimitMs) {
    bool bWake = false;
    {
        std::lock_guard<std::mutex> tLock(_tMutex);
        if (miSlot < 0 || static_cast<size_t>(miSlot) >= _tSlots.size()) return;
        int64_t llDeadline = muLimitMs ? NowMs() + muLimitMs : kNoDeadline;
        _tSlots[miSlot]._llDeadlineMs = llDeadline;
        _tSlots[miSlot]._bFired = false;
        // Every evaluation sets a deadline and clears it: waking the thread for each would make it a lock and a
        // context switch that all virtual users pass through. It is woken only for a deadline earlier than the
        // time it already sleeps until; a later one is seen when it wakes at that time.
        if (llDeadline < _llWakeMs) {
            _llWakeMs = llDeadline;
            bWake = true;
        }
    }
    if (bWake) _tWake.notify_all();
}

bool KxwJswProcessWatchdog::IsPastDeadline(int miSlot) {
    std::lock_guard<std::mutex> tLock(_tMutex);
    if (miSlot < 0 || static_cast<size_t>(miSlot) >= _tSlots.size()) return false;
    return _tSlots[miSlot]._llDeadlineMs != kNoDeadline && NowMs() >= _tSlots[miSlot]._llDeadlineMs;
}

int64_t KxwJswProcessWatchdog::NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void KxwJswProcessWatchdog::Run() {
    std::unique_lock<std::mutex> tLock(_tMutex);
    while (!_bStop) {
        int64_t llNow = NowMs();
        int64_t llNext = kNoDeadline;
        for (Slot& rtSlot : _tSlots) {
            if (!rtSlot._ptCx || rtSlot._llDeadlineMs == kNoDeadline) continue;
            if (llNow >= rtSlot._llDeadlineMs) {
                // Asked again every 50 ms until the script stops: an interrupt request can be absorbed by the engine
                // at a moment when the script is not running.
                if (!rtSlot._bFired || llNow - rtSlot._llDeadlineMs >= 50) {
                    JS_RequestInterruptCallback(rtSlot._ptCx);
                    rtSlot._bFired = true;
                }
                llNext = std::min(llNext, llNow + 50);
            } else {
                llNext = std::min(llNext, rtSlot._llDeadlineMs);
            }
        }
        _llWakeMs = llNext;
        if (llNext == kNoDeadline)
            _tWake.wait(tLock);
        else
            _tWake.wait_for(tLock, std::chrono::milliseconds(std::max<int64_t>(1, llNext - llNow)));
    }
}

// ---------------------------------------------------------------------------------------------------------------
// KxwJswProcess

// The parent context lives on a thread of its own for the process's life: the engine allows one context per
// thread, and every virtual-user thread, the process's main thread included, must be free to have one.
class KxwJswParentThread {
public:
    bool Start() {
        std::unique_lock<std::mutex> tLock(_tMutex);
        _tThread = std::thread([this] { Run(); });
        _tChanged.wait(tLock, [this] { return _eState != State::Starting; });
        if (_eState == State::Running) return true;
        tLock.unlock();
        _tThread.join();
        return false;
    }
    void Stop() {
        {
            std::lock_guard<std::mutex> tLock(_tMutex);
            _eState = State::Stopping;
        }
        _tChanged.notify_all();
        _tThread.join();
    }
    JSRuntime* GetRuntime() const { return _ptRuntime; }

private:
    enum class State { Starting, Running, Failed, Stopping };
    void Run() {
        bool bFirstStart = !gbJsInitDone;
        bool bOK = gbJsInitDone || JS_Init();
        gbJsInitDone = gbJsInitDone || bOK;
        // Between the engine's start and its first context, before which it makes no threads of its own.
        if (bOK && bFirstStart) KxwJswHelperPool::Instance().Install(std::max(2u, std::thread::hardware_concurrency()));
        JSContext* ptCx = bOK ? JS_NewContext(8u * 1024 * 1024) : nullptr;
        if (ptCx) {
            // A page's scripts are new to the engine on every load, and most of their code runs a few times, for
            // that page only: the engine's tiers start later than by default (10 runs for the baseline interpreter,
            // 100 for the baseline compiler), so that such code does not pay for what only hot code repays (a page
            // on jQuery loads about 8% faster; a loop of a thousand turns is as fast). The options are the
            // process's, set here before any virtual user's context exists.
            JS_SetGlobalJitCompilerOption(ptCx, JSJITCOMPILER_BASELINE_INTERPRETER_WARMUP_TRIGGER, 50);
            JS_SetGlobalJitCompilerOption(ptCx, JSJITCOMPILER_BASELINE_WARMUP_TRIGGER, 500);
        }
        if (ptCx && !JS::InitSelfHostedCode(ptCx)) {
            JS_DestroyContext(ptCx);
            ptCx = nullptr;
        }
        std::unique_lock<std::mutex> tLock(_tMutex);
        _ptRuntime = ptCx ? JS_GetRuntime(ptCx) : nullptr;
        _eState = ptCx ? State::Running : State::Failed;
        _tChanged.notify_all();
        if (!ptCx) return;
        _tChanged.wait(tLock, [this] { return _eState == State::Stopping; });
        _ptRuntime = nullptr;
        JS_DestroyContext(ptCx);
    }
    std::mutex _tMutex;
    std::condition_variable _tChanged;
    std::thread _tThread;
    State _eState = State::Starting;
    JSRuntime* _ptRuntime = nullptr;
};

namespace {
KxwJswParentThread* gptParentThread = nullptr;
}

bool KxwJswProcess::Init() {
    std::lock_guard<std::mutex> tLock(gtProcessMutex);
    if (gptParentThread) return true;
    auto* ptParentThread = new KxwJswParentThread();
    if (!ptParentThread->Start()) {
        delete ptParentThread;
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Cannot start the engine in KxwJswProcess::Init");
        return false;
    }
    gptParentThread = ptParentThread;
    KxwJswProcessWatchdog::Instance().Start();
    return true;
}

void KxwJswProcess::Shutdown() {
    std::lock_guard<std::mutex> tLock(gtProcessMutex);
    if (!gptParentThread) return;
    KxwJswProcessWatchdog::Instance().Stop();
    KxwJswScriptCache::Instance().Clear();
    gptParentThread->Stop();
    delete gptParentThread;
    gptParentThread = nullptr;
    // JS_ShutDown ends the engine for good: the process cannot start it again, so it is left to process exit
    // unless asked for explicitly.
}

void KxwJswProcess::ShutdownForGood() {
    Shutdown();
    std::lock_guard<std::mutex> tLock(gtProcessMutex);
    if (gbJsInitDone) JS_ShutDown();
    gbJsInitDone = false;
}

bool KxwJswProcess::IsInitialized() {
    std::lock_guard<std::mutex> tLock(gtProcessMutex);
    return gptParentThread != nullptr;
}

JSRuntime* KxwJswProcess::GetParentRuntime() {
    std::lock_guard<std::mutex> tLock(gtProcessMutex);
    return gptParentThread ? gptParentThread->GetRuntime() : nullptr;
}

size_t KxwJswProcess::GetScriptCacheHitCount() {
    return KxwJswScriptCache::Instance().GetHitCount();
}

size_t KxwJswProcess::GetScriptCacheMissCount() {
    return KxwJswScriptCache::Instance().GetMissCount();
}
