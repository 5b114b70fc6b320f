// The severity levels of every message the library and its components issue, and the shapes of the two
// process-wide reporting functions that the host installs (the severity filter and the message sink).
#pragma once

enum KXW_WTL_SEV_LVL_ENUM {
    KXW_WTL_SEV_LVL_ENUM_NONE = 0,
    KXW_WTL_SEV_LVL_ENUM_SNAPSHOT_ERROR = 1,  // potential error while writing snapshots
    KXW_WTL_SEV_LVL_ENUM_NOTICE = 2,          // messages meant for the script's author
    KXW_WTL_SEV_LVL_ENUM_INFORMATIVE = 3,     // hierarchy dumps, dialog notes
    KXW_WTL_SEV_LVL_ENUM_WARNING = 4,
    KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR = 5,  // internal errors and detailed diagnostics
    KXW_WTL_SEV_LVL_ENUM_IGNORED_FRAME = 6,   // an ignored predefined frame name
    KXW_WTL_SEV_LVL_ENUM_NO_OBJ_MGR = 7,      // the virtual user has no object manager
};

// Whether messages of a level are issued at all.
using KxwWtlSevFilterFunc = bool (*)(KXW_WTL_SEV_LVL_ENUM);
// Receives each issued message: level, message id, finished text, issuing function and line.
using KxwWtlMessageSinkFunc = void (*)(KXW_WTL_SEV_LVL_ENUM, int, const char*, const char*, int);
