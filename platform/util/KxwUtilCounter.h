// Counters of live things (pending downloads, open windows ...). The traced form writes each change to the trace
// file with its owner's address, so that a count that never returns to zero can be followed.
#pragma once

#include "kxw/KxwExport.h"

class KXW_API KxwUtilCounter {
public:
    explicit KxwUtilCounter(long mliInitial = 0) : _liCount(mliInitial) {}
    long Increment() { return ++_liCount; }
    // Never goes below zero: a surplus decrement is reported and ignored.
    long Decrement();
    long Get() const { return _liCount; }
    void Reset(long mliValue = 0) { _liCount = mliValue; }

protected:
    long _liCount;
};

class KXW_API KxwUtilCounterTracedImplicit : public KxwUtilCounter {
public:
    KxwUtilCounterTracedImplicit(const void* mpvOwner, const char* mpszName, const bool* mpbTraceSwitch)
        : _pvOwner(mpvOwner), _pszName(mpszName ? mpszName : "[Unknown]"), _pbTraceSwitch(mpbTraceSwitch) {}
    long Increment();
    long Decrement();

private:
    void Trace(const char* mpszWhat) const;
    const void* _pvOwner;
    const char* _pszName;
    const bool* _pbTraceSwitch;  // the general trace switch, read at each change
};
