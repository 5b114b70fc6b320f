// Reporting of the utility library: severity-filtered messages, internal errors, the trace file and the aborts.
// Every virtual user reports through the same two process-wide functions (the severity filter and the message
// sink), installed once by the host; the trace file is shared and written a whole line at a time.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "kxw/KxwExport.h"

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

using KxwWtlSevFilterFunc = bool (*)(KXW_WTL_SEV_LVL_ENUM);
using KxwWtlMessageSinkFunc = void (*)(KXW_WTL_SEV_LVL_ENUM, int, const char*, const char*, int);

// The two process-wide reporting functions; a null argument restores that function's default
// (every level issued; messages dropped).
void xfvKxwUtilSetWtlFuncs(KxwWtlSevFilterFunc mpfSevFilter, KxwWtlMessageSinkFunc mpfMessageSink);
KxwWtlSevFilterFunc xfpfKxwUtilGetSevFilter();
KxwWtlMessageSinkFunc xfpfKxwUtilGetMessageSink();

// Asks the installed filter, then hands the finished text to the sink.
bool xfbKxwUtilIsSevLvlEnabled(KXW_WTL_SEV_LVL_ENUM meSevLvl);
void xfvKxwUtilIssueMessage(KXW_WTL_SEV_LVL_ENUM meSevLvl, int miMsgId, const char* mpszText, const char* mpszFunction,
                            int miLine);

void xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM meSevLvl, const char* mpszFormat, ...) KXW_PRINTF(2, 3);
void xfvKxwUtilReportBySevLvlV(KXW_WTL_SEV_LVL_ENUM meSevLvl, const char* mpszFormat, va_list mtArgs);
void xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM meSevLvl, const char* mpszFormat, ...)
    KXW_PRINTF(2, 3);
void xfvKxwUtilReportInternalError(const char* mpszFormat, ...) KXW_PRINTF(1, 2);
[[noreturn]] void xfvKxwUtilReportFatalInternalErrorAbort(const char* mpszFormat, ...) KXW_PRINTF(1, 2);
[[noreturn]] void KxwUtilOutOfMemoryAbort(long mliSize, const char* mpszDescription);

// The level at which script errors are reported, and the setter the host uses to choose it.
KXW_WTL_SEV_LVL_ENUM xfeKxwUtilJavaScriptErrorSevLvl();
void xfvKxwUtilSetJavaScriptErrorSevLvl(KXW_WTL_SEV_LVL_ENUM meSevLvl);

// The trace file. Writing is unconditional: callers test the trace switches first.
bool xfbKxwUtilOpenTraceFile(const char* mpszPath);
void xfvKxwUtilCloseTraceFile();
bool xfbKxwUtilIsTraceFileOpen();
void xfvKxwUtilReportTraceToFile(const char* mpszFormat, ...) KXW_PRINTF(1, 2);

// Counts of what went through the sink, per level, for tests and the player's summary.
unsigned long xfulKxwUtilGetIssuedCount(KXW_WTL_SEV_LVL_ENUM meSevLvl);
