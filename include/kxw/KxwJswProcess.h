// The script engine of the process: started once before any virtual user's engine, ended after the last one.
#pragma once

#include <cstddef>

#include "kxw/KxwExport.h"

struct JSRuntime;

class KXW_API KxwJswProcess {
public:
    // Starts the engine for the process and its watchdog; call on the thread that will also call Shutdown.
    // Idempotent. False when the engine could not start (reported).
    static bool Init();
    // Ends the parent runtime and the watchdog; every virtual user's engine must be gone. Init may follow again.
    static void Shutdown();
    // Shutdown, then the engine's own end: after it the process can no longer start the engine.
    static void ShutdownForGood();
    static bool IsInitialized();
    // The runtime that virtual users' contexts share, or null before Init.
    static JSRuntime* GetParentRuntime();
    // Evaluations that found their script already compiled, and scripts compiled, since the process started.
    static size_t GetScriptCacheHitCount();
    static size_t GetScriptCacheMissCount();
};
