// The per-virtual-user object manager. It records itself in the virtual user's block so that any code on that
// thread can reach it.
#pragma once

#include "kxw/KxwExport.h"
#include "kxw/KxwSevLvl.h"

class KXW_API KxwObjMgr {
public:
    // Installs the process-wide severity filter and message sink; a null argument installs that function's
    // default (every level issued; messages dropped).
    static void SetWtlFuncs(bool (*mpfSevFilter)(KXW_WTL_SEV_LVL_ENUM),
                            void (*mpfMessageSink)(KXW_WTL_SEV_LVL_ENUM, int, const char*, const char*, int));
};
