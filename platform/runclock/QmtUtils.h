// The run clock: milliseconds since the start of the run. Real by default; tests and the virtual-time player
// replace it with a clock of their own.
#pragma once

#include "kxw/KxwExport.h"

using QmtUtilsClockFunc = double (*)(void* mpvContext);

KXW_API double xfdfQmtUtilsMillisecondsFromStartOfRun();

// Restarts the real clock at zero (the engine calls it when the run starts).
KXW_API void xfvQmtUtilsStartRun();

// The wall-clock time at the start of the run, in milliseconds since 1970-01-01 UTC: the origin from which the
// pages' own clock (their Date) counts the run clock's milliseconds.
KXW_API double xfdfQmtUtilsEpochMsAtStartOfRun();

// Installs a clock (null restores the real one). Process-wide: install before virtual users start.
KXW_API void xfvQmtUtilsSetClock(QmtUtilsClockFunc mpfClock, void* mpvContext);

// A clock that moves only when told to, for tests.
class QmtUtilsManualClock {
public:
    explicit QmtUtilsManualClock(double mdfStartMs = 0) : _dfNowMs(mdfStartMs) {}
    void Install();
    static void Uninstall();
    void Set(double mdfMs) { _dfNowMs = mdfMs; }
    void Advance(double mdfMs) { _dfNowMs += mdfMs; }
    double Now() const { return _dfNowMs; }

private:
    static double Read(void* mpvContext);
    double _dfNowMs;
};
