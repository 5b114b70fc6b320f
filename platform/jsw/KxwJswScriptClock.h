// The pages' own clock. A replay's time is virtual: timers run when a step lets the run clock move, not when the
// machine's clock gets there. Scripts that measure time (an animation that compares Date.now() with its start, a
// poll that gives up after a while) must see that same clock, or a 400 ms animation played out on the virtual
// clock in a millisecond of real time never ends. So a window's Date counts from the wall-clock time at the start
// of the run (whole milliseconds) plus the run clock, and between two moves of the run clock each reading is a
// microsecond later than the last (a script that waits for the clock in a loop still gets there), never going back:
// the same steps see the same times relative to the start, run after run.
#pragma once

#include "KxwJswInternal.h"

// Milliseconds since 1970-01-01 UTC as the calling thread's scripts see them.
double xfdfKxwJswScriptNowMs();

// Replaces the global's Date by one on the clock above: new Date() and Date() without arguments and Date.now()
// answer the script clock; everything else (arguments, parse, UTC, the prototype and its methods, instanceof, sub-
// classes) is the engine's own Date. False, with a pending exception, when the engine refused.
bool xfbKxwJswInstallScriptClock(JSContext* mptCx, JS::HandleObject mtGlobal);
