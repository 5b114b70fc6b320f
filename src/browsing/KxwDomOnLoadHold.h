// One download's hold on a window's onload: taken when the load is asked for, given back exactly once, whether the
// load completes, fails or is aborted, or whoever holds it goes first. A hold taken on an earlier document of the
// window (the window navigated meanwhile) or on a window that was deleted is given back as nothing.
#pragma once

#include <cstdint>

#include "KxwDomWatchDelete.h"

class KxwDomHtmlWindow;

class KxwDomOnLoadHold {
public:
    KxwDomOnLoadHold() = default;
    ~KxwDomOnLoadHold() { Release(); }
    KxwDomOnLoadHold(const KxwDomOnLoadHold&) = delete;
    KxwDomOnLoadHold& operator=(const KxwDomOnLoadHold&) = delete;

    // Holds the window's onload (a hold held before is given back first). Nothing for a null window, or one whose
    // onload already ran.
    void Acquire(KxwDomHtmlWindow* mptWindow);
    // Gives the hold back; the window then decides whether onload fires. False when nothing was held.
    bool Release();
    bool IsHeld() const { return _tWatch.GetEffectiveWatchedPtr() != nullptr; }

private:
    KxwDomWatchDelete _tWatch{"KxwDomOnLoadHold", nullptr};
    uint32_t _uGeneration = 0;
};
