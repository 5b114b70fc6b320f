// Reporting of the utility library: severity-filtered messages, internal errors, the trace file and the aborts.
// Every virtual user reports through the same two process-wide functions (the severity filter and the message
// sink), installed once by the host; the trace file is shared and written a whole line at a time.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "kxw/KxwExport.h"
#include "kxw/KxwSevLvl.h"

// The two process-wide reporting functions; a null argument restores that function's default
// (every level issued; messages dropped).
KXW_API void xfvKxwUtilSetWtlFuncs(KxwWtlSevFilterFunc mpfSevFilter, KxwWtlMessageSinkFunc mpfMessageSink);
KxwWtlSevFilterFunc xfpfKxwUtilGetSevFilter();
KxwWtlMessageSinkFunc xfpfKxwUtilGetMessageSink();

// Asks the installed filter, then hands the finished text to the sink.
KXW_API bool xfbKxwUtilIsSevLvlEnabled(KXW_WTL_SEV_LVL_ENUM meSevLvl);
KXW_API void xfvKxwUtilIssueMessage(KXW_WTL_SEV_LVL_ENUM meSevLvl, int miMsgId, const char* mpszText,
                                    const char* mpszFunction, int miLine);

KXW_API void xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM meSevLvl, const char* mpszFormat, ...) KXW_PRINTF(2, 3);
void xfvKxwUtilReportBySevLvlV(KXW_WTL_SEV_LVL_ENUM meSevLvl, const char* mpszFormat, va_list mtArgs);
KXW_API void xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM meSevLvl, const char* mpszFormat, ...)
    KXW_PRINTF(2, 3);
KXW_API void xfvKxwUtilReportInternalError(const char* mpszFormat, ...) KXW_PRINTF(1, 2);
[[noreturn]] void xfvKxwUtilReportFatalInternalErrorAbort(const char* mpszFormat, ...) KXW_PRINTF(1, 2);
[[noreturn]] KXW_API void KxwUtilOutOfMemoryAbort(long mliSize, const char* mpszDescription);

// The level at which script errors are reported, and the setter the host uses to choose it.
KXW_API KXW_WTL_SEV_LVL_ENUM xfeKxwUtilJavaScriptErrorSevLvl();
KXW_API void xfvKxwUtilSetJavaScriptErrorSevLvl(KXW_WTL_SEV_LVL_ENUM meSevLvl);

// The trace file. Writing is unconditional: callers test the trace switches first.
KXW_API bool xfbKxwUtilOpenTraceFile(const char* mpszPath);
KXW_API void xfvKxwUtilCloseTraceFile();
KXW_API bool xfbKxwUtilIsTraceFileOpen();
KXW_API void xfvKxwUtilReportTraceToFile(const char* mpszFormat, ...) KXW_PRINTF(1, 2);

// Counts of what went through the sink, per level, for tests and the player's summary.
unsigned long xfulKxwUtilGetIssuedCount(KXW_WTL_SEV_LVL_ENUM meSevLvl);
