// What the player writes: each virtual user's event lines (standard output with one virtual user, its log file
// with several), the library's messages routed to the virtual user whose thread issued them, the summary table,
// the memory figures and the progress line shown on a terminal.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "KxwPlayHistogram.h"
#include "KxwUtilReport.h"

class KxwPlaySteps;

// The event lines of one virtual user.
class KxwPlayOutput {
public:
    // mptFile receives the lines (closed at the end when mbOwnsFile); mbSilent drops them (--quiet on standard
    // output). With the trace file open, every line also goes there, marked with miVUserId.
    KxwPlayOutput(FILE* mptFile, bool mbOwnsFile, bool mbSilent, int miVUserId = 0);
    ~KxwPlayOutput();
    KxwPlayOutput(const KxwPlayOutput&) = delete;
    KxwPlayOutput& operator=(const KxwPlayOutput&) = delete;

    // One event: an upper-case kind, a blank, the text. Line breaks inside the text are written as \n and \r, so
    // that every event stays one line.
    void Line(const char* mpszKind, const std::string& mdsText);

    // While the virtual user runs a script itself it reports that script's errors as ERROR lines; the sink then
    // leaves out the same error's message (errors of the evaluations nested in it are written by the sink).
    // miDepth is the script engine's evaluation depth the own script runs at: a modal dialog's answer is the
    // virtual user's own script too, run inside a page's script.
    void EnterOwnEvaluation(int miDepth = 1) { _tOwnDepths.push_back(miDepth); }
    void LeaveOwnEvaluation() {
        if (!_tOwnDepths.empty()) _tOwnDepths.pop_back();
    }
    bool IsInOwnEvaluation() const { return !_tOwnDepths.empty(); }
    // Whether an error at that depth is the innermost own script's (not of a script it made run).
    bool IsOwnEvaluationDepth(int miDepth) const { return !_tOwnDepths.empty() && miDepth <= _tOwnDepths.back(); }
    // Errors of the page's scripts that the library ran itself (elements, handlers, timers): the text after the
    // wrapper's "JavaScript error: " goes to the handler, which writes the ERROR line.
    void SetScriptErrorHandler(std::function<void(const std::string&)> mtHandler) {
        _tScriptErrorHandler = std::move(mtHandler);
    }
    // True when the message was a script error and the handler took it.
    bool TakeScriptError(const char* mpszMessage);
    // The kind the library's messages are written as (MESSAGE; DUMP while a dump step writes the hierarchy).
    void SetMessageKind(const char* mpszKind) { _pszMessageKind = mpszKind ? mpszKind : "MESSAGE"; }
    const char* GetMessageKind() const { return _pszMessageKind; }
    // An event line that the library also reports as a message (an alert): the next message with that text (as
    // escaped for a log line) is left out.
    void ExpectEcho(std::string mdsEscapedText) { _dsEcho = std::move(mdsEscapedText); }
    bool ConsumeEcho(const char* mpszMessage);

    // The output of the calling thread's virtual user, or null.
    static KxwPlayOutput* GetCurrent();
    // Makes an output the calling thread's for the scope's life.
    class ThreadBinding {
    public:
        explicit ThreadBinding(KxwPlayOutput* mptOutput);
        ~ThreadBinding();
        ThreadBinding(const ThreadBinding&) = delete;
        ThreadBinding& operator=(const ThreadBinding&) = delete;

    private:
        KxwPlayOutput* _ptPrevious;
    };

private:
    std::mutex _tMutex;
    FILE* _ptFile;
    bool _bOwnsFile;
    bool _bSilent;
    int _iVUserId;
    std::vector<int> _tOwnDepths;
    const char* _pszMessageKind = "MESSAGE";
    std::string _dsEcho;
    std::function<void(const std::string&)> _tScriptErrorHandler;
};

// The library's severity filter and message sink for the player: every level is issued; a message goes to the
// issuing virtual user's output as a MESSAGE line (to standard error when no virtual user runs on the thread), and
// to the trace file when tracing is on.
bool xfbKxwPlaySevFilter(KXW_WTL_SEV_LVL_ENUM meSevLvl);
void xfvKxwPlayMessageSink(KXW_WTL_SEV_LVL_ENUM meSevLvl, int miMsgId, const char* mpszText, const char* mpszFunction,
                           int miLine);

// Runs and times of one step, gathered over iterations and virtual users.
struct KxwPlayStepStats {
    KxwPlayHistogram _tTimes;  // one time per run
    unsigned long _ulFailures = 0;
};

// A figure of /proc/self/status in kilobytes (VmHWM: the peak resident size; VmRSS: the current one); -1 when it
// cannot be read.
long xflKxwPlayReadProcStatusKb(const char* mpszField);

struct KxwPlaySummary {
    int _iVUserCount = 1;
    int _iIterations = 1;
    std::vector<KxwPlayStepStats> _tSteps;  // one per step of the file, merged over the virtual users
    unsigned long _ulOtherFailures = 0;     // virtual users or iterations that could not start
    std::map<std::string, uint64_t> _tFailureReasons;  // failed steps by reason, merged over the virtual users
    long _lBaselineKb = -1;                 // resident size before the virtual users started
    long _lPeakKb = -1;                     // peak resident size of the run
};

// Writes the summary table: per step its runs, failures, median, 95th, 90th and 99th-percentile time (within the
// histogram's bound; the columns that came later come last, so that readers of the older table keep working); the
// failed steps counted by reason, the most frequent first (at most knMaxSummaryReasons); then the peak memory and
// the memory per virtual user (peak minus baseline, divided among them).
constexpr size_t knMaxSummaryReasons = 20;
void xfvKxwPlayPrintSummary(FILE* mptFile, const KxwPlaySteps& mrtSteps, const KxwPlaySummary& mrtSummary);

// The progress line of a run on a terminal: rewritten in place, removed before the summary.
class KxwPlayProgress {
public:
    explicit KxwPlayProgress(FILE* mptFile) : _ptFile(mptFile) {}
    void Show(unsigned long mulIterationsDone, unsigned long mulIterations, unsigned long mulFailures, int miRunning);
    void Clear();

private:
    FILE* _ptFile;
    bool _bShown = false;
};
