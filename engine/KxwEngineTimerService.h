// The engine's timer service: the library registers a callback with a delay, and the virtual user's own thread
// calls it once the run clock has reached its time (the engine never sleeps for a timer: the clock of a replay is
// virtual, and a step lets timers run by advancing it). One service per virtual user, bound to its thread; the
// library reaches the bound one through the environment callbacks below. Tests drive it with a clock of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>

#include "kxw/KxwEnvCfg.h"

class KxwEngineTimerService {
public:
    // Milliseconds on the run clock.
    using Clock = std::function<double()>;

    explicit KxwEngineTimerService(Clock mtClock);
    ~KxwEngineTimerService();
    KxwEngineTimerService(const KxwEngineTimerService&) = delete;
    KxwEngineTimerService& operator=(const KxwEngineTimerService&) = delete;

    // A handle that is never null and never names another registration, even after this one ended.
    void* Register(KxwEnvTimerCallback mpfCallback, void* mpvClosure, uint32_t muDelayMs);
    // 0 when the registration was pending and is gone; -1 for a handle that is unknown, already fired or removed.
    int Unregister(void* mpvHandle);
    // Calls the callbacks that are due now, earliest first (in registration order for the same time), each once;
    // a callback may register and unregister others. At most muMaxRuns calls; their number is returned.
    unsigned RunDue(unsigned muMaxRuns);
    // The run-clock time of the earliest pending registration; false when none is pending.
    bool GetNextDue(double* mpdfAtMs) const;
    size_t GetPendingCount() const { return _tByDue.size(); }
    // Forgets every registration without calling it (the end of an iteration).
    void Clear();
    double Now() const { return _tClock(); }

    // The service of the calling thread: the one the library's registrations go to.
    static void BindToThread(KxwEngineTimerService* mptService);
    static KxwEngineTimerService* GetBound();
    // The environment callbacks (their context argument is unused: the calling thread tells the virtual user).
    static void* EnvRegister(void* mpvContext, KxwEnvTimerCallback mpfCallback, void* mpvClosure, uint32_t muDelayMs);
    static int EnvUnregister(void* mpvContext, void* mpvHandle);

private:
    struct Entry {
        KxwEnvTimerCallback _pfCallback;
        void* _pvClosure;
    };
    // Ordered by due time, then by registration number.
    using Key = std::pair<double, uint64_t>;

    Clock _tClock;
    std::map<Key, Entry> _tByDue;
    std::map<uint64_t, double> _tDueById;
    uint64_t _uNextId = 1;
};
