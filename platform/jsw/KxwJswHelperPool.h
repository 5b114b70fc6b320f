// The threads that run the engine's background tasks (the collector's parallel and background work, off-thread
// compilation), in place of the engine's own pool.
//
// The engine's own threads start a task the moment it is handed over. Most of the collector's tasks are waited for
// by the virtual user that handed them over a moment later, so each became two thread switches, and every virtual
// user's switches went through one process-wide lock and condition variable: with two virtual users on two cores
// most of the time of a new or destroyed engine was spent waiting. Here a task is started only once it has waited a
// little; a virtual user that waits for it before then finds it not started and runs it on its own thread, which
// the engine does by itself. Tasks nobody waits for (freeing, decommitting, compiling) still run here.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class KxwJswHelperPool {
public:
    // How long a task handed over waits before a thread of the pool starts it.
    static constexpr std::chrono::microseconds kStartDelay{2000};

    static KxwJswHelperPool& Instance();
    // Hands the engine this pool. Only before the engine's start (JS_Init); its threads live as long as the process.
    void Install(size_t mnThreads);
    size_t GetThreadCount() const { return _tThreads.size(); }

private:
    KxwJswHelperPool() = default;
    // Called by the engine, under its lock, once per task it wants started.
    static void Dispatch(int miReason);
    void Run();

    std::mutex _tMutex;
    std::condition_variable _tWake;
    std::deque<std::chrono::steady_clock::time_point> _tRequests;  // when each was handed over, oldest first
    std::vector<std::thread> _tThreads;
};
