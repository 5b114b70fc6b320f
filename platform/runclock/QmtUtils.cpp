#include "QmtUtils.h"

#include <atomic>
#include <chrono>

namespace {

using SteadyClock = std::chrono::steady_clock;

std::atomic<SteadyClock::rep> gtRunStart{SteadyClock::now().time_since_epoch().count()};

double EpochMsNow() {
    return std::chrono::duration<double, std::milli>(std::chrono::system_clock::now().time_since_epoch()).count();
}
std::atomic<double> gdfEpochMsAtRunStart{EpochMsNow()};

double RealClock(void*) {
    SteadyClock::rep tElapsed = SteadyClock::now().time_since_epoch().count() - gtRunStart.load();
    return std::chrono::duration<double, std::milli>(SteadyClock::duration(tElapsed)).count();
}

struct Clock {
    QmtUtilsClockFunc _pfClock;
    void* _pvContext;
};
std::atomic<Clock*> gptClock{nullptr};
Clock gtInstalled{};

}  // namespace

double xfdfQmtUtilsMillisecondsFromStartOfRun() {
    Clock* ptClock = gptClock.load(std::memory_order_acquire);
    return ptClock ? ptClock->_pfClock(ptClock->_pvContext) : RealClock(nullptr);
}

void xfvQmtUtilsStartRun() {
    gtRunStart.store(SteadyClock::now().time_since_epoch().count());
    gdfEpochMsAtRunStart.store(EpochMsNow());
}

double xfdfQmtUtilsEpochMsAtStartOfRun() { return gdfEpochMsAtRunStart.load(); }

void xfvQmtUtilsSetClock(QmtUtilsClockFunc mpfClock, void* mpvContext) {
    if (!mpfClock) {
        gptClock.store(nullptr, std::memory_order_release);
        return;
    }
    gtInstalled._pfClock = mpfClock;
    gtInstalled._pvContext = mpvContext;
    gptClock.store(&gtInstalled, std::memory_order_release);
}

void QmtUtilsManualClock::Install() { xfvQmtUtilsSetClock(&QmtUtilsManualClock::Read, this); }

void QmtUtilsManualClock::Uninstall() { xfvQmtUtilsSetClock(nullptr, nullptr); }

double QmtUtilsManualClock::Read(void* mpvContext) { return static_cast<QmtUtilsManualClock*>(mpvContext)->Now(); }
