// The environment configuration block that the replay engine hands to the library once per process: its
// callbacks, the run-time settings in force at start and the two trace switches. The library keeps a copy.
#pragma once

#include <cstdint>

#include "kxw/KxwExport.h"

class KxwiRunTimeSettings;

// Callback of the engine's timer service: called once per registration, on the virtual user's thread.
using KxwEnvTimerCallback = int (*)(void* mpvClosure);

struct KxwEnvCfg {
    // One finished message text whenever a low-level invariant fails (text buffers and similar checks).
    void (*_pfvInternalError)(const char* mpszMessage) = nullptr;
    // Direct log message to the engine: flags, reserved, function, line, module, reserved, message id, format ...
    void (*_pfvMessage)(int miFlags, int, const char* mpszFunction, int miLine, const char* mpszModule, int,
                        int miMsgId, const char* mpszFormat, ...) = nullptr;
    // A virtual user's error: context, error code, reserved, severity, message.
    void (*_pfvVUserError)(void* mpvContext, int miErrorCode, int, int miSevLvl, const char* mpszMessage) = nullptr;
    // A named per-virtual-user directory setting ("kx_usr_dir", "kx_dat_dir"); null when unknown.
    const char* (*_pfpszGetVUserAttribute)(void* mpvContext, const char* mpszName) = nullptr;
    // Timer service: register (context, callback, closure, delay in ms) gives a non-null handle on success;
    // unregister (context, handle) gives 0 on success.
    void* (*_pfRegisterTimer)(void* mpvContext, KxwEnvTimerCallback mpfCallback, void* mpvClosure,
                              uint32_t muDelayMs) = nullptr;
    int (*_pfvUnregisterTimer)(void* mpvContext, void* mpvHandle) = nullptr;
    // First argument of the callbacks above.
    void* _pvContext = nullptr;
    // The run-time settings in force at start; required.
    const KxwiRunTimeSettings* _ptInitialRTS = nullptr;
    // Limits the engine carries for the library; they hold their defaults until initialisation.
    int32_t _aiReservedLimits[4] = {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF};
    int32_t _iReservedBufferSize = 0x3000;
    // General trace switch, and the detailed one (object construction, tree notifications, allocation).
    bool _bTraceEnabled = false;
    bool _bDetailedTrace = false;
};

// The library's copy, written only by global initialisation.
KXW_API extern KxwEnvCfg xtKxwEnvCfg;

// Returns 0 on success, -1 on failure (the engine must not use the library then). Call once per process before
// any object manager exists.
extern "C" KXW_API int xfiKxwObjMgrGlobalInit(const KxwEnvCfg* mptEnvCfg);
extern "C" KXW_API void xfvKxwObjMgrGlobalTerm();

// Trace switches, as the library tests them: most traces follow the general switch, object construction and tree
// notifications the detailed one, allocations both.
inline bool xfbKxwTraceEnabled() { return xtKxwEnvCfg._bTraceEnabled; }
inline bool xfbKxwDetailedTraceEnabled() { return xtKxwEnvCfg._bDetailedTrace; }
inline bool xfbKxwAllocTraceEnabled() { return xtKxwEnvCfg._bTraceEnabled && xtKxwEnvCfg._bDetailedTrace; }
