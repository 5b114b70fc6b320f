#include "KxwJswHelperPool.h"

// clang-format off
#include <jstypes.h>  // before the engine's header, which uses its macros without including it
#include <js/HelperThreadAPI.h>
// clang-format on

KxwJswHelperPool& KxwJswHelperPool::Instance() {
    // Never destroyed: its threads may still wait on it while the process exits.
    static KxwJswHelperPool& tInstance = *new KxwJswHelperPool();
    return tInstance;
}

void KxwJswHelperPool::Install(size_t mnThreads) {
    {
        std::lock_guard<std::mutex> tLock(_tMutex);
        if (!_tThreads.empty() || mnThreads == 0) return;
        for (size_t n = 0; n < mnThreads; ++n) {
            _tThreads.emplace_back([this] { Run(); });
            _tThreads.back().detach();
        }
    }
    // Outside the pool's lock: the engine calls Dispatch under its own lock, which then takes the pool's.
    JS::SetHelperThreadTaskCallback([](JS::DispatchReason meReason) { Dispatch(static_cast<int>(meReason)); },
                                    mnThreads, 2u * 1024 * 1024);
}

void KxwJswHelperPool::Dispatch(int) {
    KxwJswHelperPool& rtPool = Instance();
    {
        std::lock_guard<std::mutex> tLock(rtPool._tMutex);
        rtPool._tRequests.push_back(std::chrono::steady_clock::now());
    }
    rtPool._tWake.notify_one();
}

void KxwJswHelperPool::Run() {
    std::unique_lock<std::mutex> tLock(_tMutex);
    for (;;) {
        _tWake.wait(tLock, [this] { return !_tRequests.empty(); });
        std::chrono::steady_clock::time_point tStart = _tRequests.front() + kStartDelay;
        if (std::chrono::steady_clock::now() < tStart) {
            // A request handed over meanwhile is younger: only the time matters here.
            _tWake.wait_until(tLock, tStart);
            continue;
        }
        _tRequests.pop_front();
        tLock.unlock();
        // Runs the task the engine finds most urgent, or nothing when the one asked for was run elsewhere meanwhile.
        JS::RunHelperThreadTask();
        tLock.lock();
    }
}
