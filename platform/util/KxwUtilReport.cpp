#include "KxwUtilReport.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace {

bool DefaultSevFilter(KXW_WTL_SEV_LVL_ENUM) { return true; }
void DefaultMessageSink(KXW_WTL_SEV_LVL_ENUM, int, const char*, const char*, int) {}

std::atomic<KxwWtlSevFilterFunc> gpfSevFilter{&DefaultSevFilter};
std::atomic<KxwWtlMessageSinkFunc> gpfMessageSink{&DefaultMessageSink};
std::atomic<int> geJavaScriptErrorSevLvl{KXW_WTL_SEV_LVL_ENUM_NOTICE};

constexpr int kLevelCount = 8;
std::atomic<unsigned long> gaulIssued[kLevelCount];

// The trace file is shared by every virtual user; the mutex keeps lines whole and guards open/close.
std::mutex gtTraceMutex;
FILE* gptTraceFile = nullptr;

// Formats into a stack buffer, falling back to the heap for long texts, so that a report never fails for size.
class FormattedText {
public:
    FormattedText(const char* mpszFormat, va_list mtArgs) {
        if (!mpszFormat) mpszFormat = "[NULL format]";
        va_list tCopy;
        va_copy(tCopy, mtArgs);
        int iLen = std::vsnprintf(_acStack, sizeof _acStack, mpszFormat, tCopy);
        va_end(tCopy);
        if (iLen < 0) {
            std::snprintf(_acStack, sizeof _acStack, "[unformattable message: %.200s]", mpszFormat);
        } else if (static_cast<size_t>(iLen) >= sizeof _acStack) {
            _pszHeap = static_cast<char*>(std::malloc(static_cast<size_t>(iLen) + 1));
            if (_pszHeap) std::vsnprintf(_pszHeap, static_cast<size_t>(iLen) + 1, mpszFormat, mtArgs);
        }
    }
    ~FormattedText() { std::free(_pszHeap); }
    FormattedText(const FormattedText&) = delete;
    FormattedText& operator=(const FormattedText&) = delete;
    const char* Get() const { return _pszHeap ? _pszHeap : _acStack; }

private:
    char _acStack[1024];
    char* _pszHeap = nullptr;
};

void WriteTraceLine(const char* mpszText) {
    std::lock_guard<std::mutex> tLock(gtTraceMutex);
    if (!gptTraceFile) return;
    timespec tNow{};
    clock_gettime(CLOCK_REALTIME, &tNow);
    std::fprintf(gptTraceFile, "%ld.%03ld [%ld] %s\n", static_cast<long>(tNow.tv_sec), tNow.tv_nsec / 1000000,
                 static_cast<long>(gettid()), mpszText);
    std::fflush(gptTraceFile);
}

// Internal errors and plain reports differ only in intent: both reach the sink as the finished text.
void Report(KXW_WTL_SEV_LVL_ENUM meSevLvl, const char* mpszFormat, va_list mtArgs) {
    if (!xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    FormattedText tText(mpszFormat, mtArgs);
    xfvKxwUtilIssueMessage(meSevLvl, 0, tText.Get(), "", 0);
}

}  // namespace

void xfvKxwUtilSetWtlFuncs(KxwWtlSevFilterFunc mpfSevFilter, KxwWtlMessageSinkFunc mpfMessageSink) {
    gpfSevFilter.store(mpfSevFilter ? mpfSevFilter : &DefaultSevFilter);
    gpfMessageSink.store(mpfMessageSink ? mpfMessageSink : &DefaultMessageSink);
}

KxwWtlSevFilterFunc xfpfKxwUtilGetSevFilter() { return gpfSevFilter.load(); }

KxwWtlMessageSinkFunc xfpfKxwUtilGetMessageSink() { return gpfMessageSink.load(); }

bool xfbKxwUtilIsSevLvlEnabled(KXW_WTL_SEV_LVL_ENUM meSevLvl) { return gpfSevFilter.load()(meSevLvl); }

void xfvKxwUtilIssueMessage(KXW_WTL_SEV_LVL_ENUM meSevLvl, int miMsgId, const char* mpszText, const char* mpszFunction,
                            int miLine) {
    if (meSevLvl >= 0 && meSevLvl < kLevelCount) gaulIssued[meSevLvl].fetch_add(1, std::memory_order_relaxed);
    gpfMessageSink.load()(meSevLvl, miMsgId, mpszText ? mpszText : "", mpszFunction ? mpszFunction : "", miLine);
}

void xfvKxwUtilReportBySevLvlV(KXW_WTL_SEV_LVL_ENUM meSevLvl, const char* mpszFormat, va_list mtArgs) {
    Report(meSevLvl, mpszFormat, mtArgs);
}

void xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM meSevLvl, const char* mpszFormat, ...) {
    va_list tArgs;
    va_start(tArgs, mpszFormat);
    Report(meSevLvl, mpszFormat, tArgs);
    va_end(tArgs);
}

void xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM meSevLvl, const char* mpszFormat, ...) {
    va_list tArgs;
    va_start(tArgs, mpszFormat);
    Report(meSevLvl, mpszFormat, tArgs);
    va_end(tArgs);
}

void xfvKxwUtilReportInternalError(const char* mpszFormat, ...) {
    va_list tArgs;
    va_start(tArgs, mpszFormat);
    Report(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, mpszFormat, tArgs);
    va_end(tArgs);
}

void xfvKxwUtilReportFatalInternalErrorAbort(const char* mpszFormat, ...) {
    va_list tArgs;
    va_start(tArgs, mpszFormat);
    FormattedText tText(mpszFormat, tArgs);
    va_end(tArgs);
    // The sink and the trace file get the reason first; stderr gets it in case neither is watched.
    xfvKxwUtilIssueMessage(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, 0, tText.Get(), "", 0);
    WriteTraceLine(tText.Get());
    std::fprintf(stderr, "Fatal internal error: %s\n", tText.Get());
    std::fflush(stderr);
    std::abort();
}

void KxwUtilOutOfMemoryAbort(long mliSize, const char* mpszDescription) {
    xfvKxwUtilReportFatalInternalErrorAbort("Not enough memory (%ld bytes) for %.150s.  Aborting", mliSize,
                                            mpszDescription ? mpszDescription : "[Unknown]");
}

KXW_WTL_SEV_LVL_ENUM xfeKxwUtilJavaScriptErrorSevLvl() {
    return static_cast<KXW_WTL_SEV_LVL_ENUM>(geJavaScriptErrorSevLvl.load());
}

void xfvKxwUtilSetJavaScriptErrorSevLvl(KXW_WTL_SEV_LVL_ENUM meSevLvl) { geJavaScriptErrorSevLvl.store(meSevLvl); }

bool xfbKxwUtilOpenTraceFile(const char* mpszPath) {
    if (!mpszPath || !*mpszPath) return false;
    FILE* ptFile = std::fopen(mpszPath, "a");
    if (!ptFile) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, "Cannot open the trace file %.1000s", mpszPath);
        return false;
    }
    std::lock_guard<std::mutex> tLock(gtTraceMutex);
    if (gptTraceFile) std::fclose(gptTraceFile);
    gptTraceFile = ptFile;
    return true;
}

void xfvKxwUtilCloseTraceFile() {
    std::lock_guard<std::mutex> tLock(gtTraceMutex);
    if (gptTraceFile) std::fclose(gptTraceFile);
    gptTraceFile = nullptr;
}

bool xfbKxwUtilIsTraceFileOpen() {
    std::lock_guard<std::mutex> tLock(gtTraceMutex);
    return gptTraceFile != nullptr;
}

void xfvKxwUtilReportTraceToFile(const char* mpszFormat, ...) {
    if (!xfbKxwUtilIsTraceFileOpen()) return;
    va_list tArgs;
    va_start(tArgs, mpszFormat);
    FormattedText tText(mpszFormat, tArgs);
    va_end(tArgs);
    WriteTraceLine(tText.Get());
}

unsigned long xfulKxwUtilGetIssuedCount(KXW_WTL_SEV_LVL_ENUM meSevLvl) {
    if (meSevLvl < 0 || meSevLvl >= kLevelCount) return 0;
    return gaulIssued[meSevLvl].load(std::memory_order_relaxed);
}
