#include "KxwUtilCounter.h"

#include "KxwUtilReport.h"

long KxwUtilCounter::Decrement() {
    if (_liCount <= 0) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Counter already %ld in KxwUtilCounter::Decrement. this=%p", _liCount,
                                              static_cast<void*>(this));
        return _liCount;
    }
    return --_liCount;
}

long KxwUtilCounterTracedImplicit::Increment() {
    KxwUtilCounter::Increment();
    Trace("incremented");
    return _liCount;
}

long KxwUtilCounterTracedImplicit::Decrement() {
    KxwUtilCounter::Decrement();
    Trace("decremented");
    return _liCount;
}

void KxwUtilCounterTracedImplicit::Trace(const char* mpszWhat) const {
    if (_pbTraceSwitch && *_pbTraceSwitch)
        xfvKxwUtilReportTraceToFile("Counter \"%.100s\" of %p %s to %ld", _pszName, _pvOwner, mpszWhat, _liCount);
}
