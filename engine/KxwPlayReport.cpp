#include "KxwPlayReport.h"

#include "kxw/KxwJswEngine.h"

#include "KxwEngineFetch.h"

#include <algorithm>
#include <cstring>

#include "KxwPlaySteps.h"

namespace {

thread_local KxwPlayOutput* gptThreadOutput = nullptr;

std::string OneLine(const std::string& mdsText) {
    if (mdsText.find_first_of("\r\n") == std::string::npos) return mdsText;
    std::string dsResult;
    dsResult.reserve(mdsText.size() + 8);
    for (char c : mdsText) {
        if (c == '\n')
            dsResult += "\\n";
        else if (c == '\r')
            dsResult += "\\r";
        else
            dsResult += c;
    }
    return dsResult;
}

}  // namespace

KxwPlayOutput::KxwPlayOutput(FILE* mptFile, bool mbOwnsFile, bool mbSilent, int miVUserId)
    : _ptFile(mptFile), _bOwnsFile(mbOwnsFile), _bSilent(mbSilent), _iVUserId(miVUserId) {}

KxwPlayOutput::~KxwPlayOutput() {
    if (gptThreadOutput == this) gptThreadOutput = nullptr;
    if (_bOwnsFile && _ptFile) std::fclose(_ptFile);
}

void KxwPlayOutput::Line(const char* mpszKind, const std::string& mdsText) {
    std::string dsLine = std::string(mpszKind ? mpszKind : "") + " " + OneLine(mdsText) + "\n";
    // The trace gets the events of every virtual user in one file, in the order they happened.
    if (xfbKxwUtilIsTraceFileOpen())
        xfvKxwUtilReportTraceToFile("vuser %d: %.*s", _iVUserId, static_cast<int>(dsLine.size() - 1), dsLine.c_str());
    if (_bSilent || !_ptFile) return;
    std::lock_guard<std::mutex> tLock(_tMutex);
    std::fwrite(dsLine.data(), 1, dsLine.size(), _ptFile);
    // A run that is stopped or crashes still leaves every event that happened before.
    std::fflush(_ptFile);
}

KxwPlayOutput* KxwPlayOutput::GetCurrent() {
    return gptThreadOutput;
}

KxwPlayOutput::ThreadBinding::ThreadBinding(KxwPlayOutput* mptOutput) : _ptPrevious(gptThreadOutput) {
    gptThreadOutput = mptOutput;
}

KxwPlayOutput::ThreadBinding::~ThreadBinding() {
    gptThreadOutput = _ptPrevious;
}

bool xfbKxwPlaySevFilter(KXW_WTL_SEV_LVL_ENUM meSevLvl) {
    return meSevLvl != KXW_WTL_SEV_LVL_ENUM_NONE;
}

void xfvKxwPlayMessageSink(KXW_WTL_SEV_LVL_ENUM meSevLvl, int miMsgId, const char* mpszText, const char*, int) {
    const char* pszText = mpszText ? mpszText : "";
    KxwPlayOutput* ptOutput = KxwPlayOutput::GetCurrent();
    if (!ptOutput) {
        if (xfbKxwUtilIsTraceFileOpen()) xfvKxwUtilReportTraceToFile("MESSAGE %s", pszText);
        std::fprintf(stderr, "kxwplay: %s\n", pszText);
        return;
    }
    // The wrapper reports every failed evaluation with message id 0 at the script-error level. The virtual user
    // writes the errors of its own evaluation itself (with the step's line); the others (the page's scripts that
    // the library runs, a handler that a step's script fires) become ERROR lines here. Other messages at that
    // level from inside the virtual user's own evaluation are left out.
    if (miMsgId == 0 && meSevLvl == xfeKxwUtilJavaScriptErrorSevLvl()) {
        KxwJswEngine* ptEngine = KxwJswEngine::Current();
        bool bOwnOutermost = ptOutput->IsInOwnEvaluation() &&
                             (!ptEngine || ptOutput->IsOwnEvaluationDepth(ptEngine->GetEvaluationDepth()));
        if (bOwnOutermost || ptOutput->TakeScriptError(pszText) || ptOutput->IsInOwnEvaluation()) return;
    }
    if (ptOutput->ConsumeEcho(pszText)) return;
    ptOutput->Line(ptOutput->GetMessageKind(), pszText);
}

bool KxwPlayOutput::TakeScriptError(const char* mpszMessage) {
    static const char kszError[] = "JavaScript error: ";
    static const char kszStopped[] = "Script in ";
    static const char kszStoppedTail[] = " stopped: it ran longer than ";
    if (!_tScriptErrorHandler) return false;
    if (std::strncmp(mpszMessage, kszError, sizeof kszError - 1) == 0) {
        _tScriptErrorHandler(mpszMessage + sizeof kszError - 1);
        return true;
    }
    // "Script in FILE stopped: it ran longer than N ms" reads as the player's own stops do.
    const char* pszTail = std::strncmp(mpszMessage, kszStopped, sizeof kszStopped - 1) == 0
                              ? std::strstr(mpszMessage, kszStoppedTail)
                              : nullptr;
    if (!pszTail) return false;
    if (IsInOwnEvaluation()) return true;
    std::string dsFile(mpszMessage + sizeof kszStopped - 1, pszTail);
    _tScriptErrorHandler(std::string("script stopped: it ran longer than ") + (pszTail + sizeof kszStoppedTail - 1) +
                         " (" + dsFile + ")");
    return true;
}

bool KxwPlayOutput::ConsumeEcho(const char* mpszMessage) {
    if (_dsEcho.empty()) return false;
    bool bEcho = xfdsKxwEngineEscapeForLog(mpszMessage, _dsEcho.size() + 16) == _dsEcho;
    _dsEcho.clear();
    return bEcho;
}

long xflKxwPlayReadProcStatusKb(const char* mpszField) {
    FILE* ptFile = std::fopen("/proc/self/status", "r");
    if (!ptFile) return -1;
    char acLine[256];
    size_t nFieldLen = std::strlen(mpszField);
    long lKb = -1;
    while (std::fgets(acLine, sizeof acLine, ptFile)) {
        if (std::strncmp(acLine, mpszField, nFieldLen) == 0 && acLine[nFieldLen] == ':') {
            lKb = std::strtol(acLine + nFieldLen + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(ptFile);
    return lKb;
}

void xfvKxwPlayPrintSummary(FILE* mptFile, const KxwPlaySteps& mrtSteps, const KxwPlaySummary& mrtSummary) {
    unsigned long ulRuns = 0, ulFailures = mrtSummary._ulOtherFailures;
    for (const KxwPlayStepStats& rtStats : mrtSummary._tSteps) {
        ulRuns += rtStats._tTimes.GetCount();
        ulFailures += rtStats._ulFailures;
    }
    std::fprintf(mptFile, "SUMMARY %d virtual user%s x %d iteration%s: %lu step run%s, %lu failed\n",
                 mrtSummary._iVUserCount, mrtSummary._iVUserCount == 1 ? "" : "s", mrtSummary._iIterations,
                 mrtSummary._iIterations == 1 ? "" : "s", ulRuns, ulRuns == 1 ? "" : "s", ulFailures);
    std::fprintf(mptFile, "%5s %5s  %-8s %8s %8s %10s %10s %10s %10s\n", "step", "line", "verb", "runs", "failures",
                 "median", "95%", "90%", "99%");
    const std::vector<KxwPlayStep>& rtSteps = mrtSteps.GetSteps();
    for (size_t n = 0; n < rtSteps.size() && n < mrtSummary._tSteps.size(); ++n) {
        const KxwPlayStepStats& rtStats = mrtSummary._tSteps[n];
        char acMedian[32], acP95[32], acP90[32], acP99[32];
        if (rtStats._tTimes.IsEmpty()) {
            // A step that never ran (an earlier one failed) has no times to show.
            for (char* pcText : {acMedian, acP95, acP90, acP99}) std::snprintf(pcText, 32, "-");
        } else {
            std::snprintf(acMedian, sizeof acMedian, "%.1fms", rtStats._tTimes.GetMedianMs());
            std::snprintf(acP95, sizeof acP95, "%.1fms", rtStats._tTimes.GetPercentileMs(95));
            std::snprintf(acP90, sizeof acP90, "%.1fms", rtStats._tTimes.GetPercentileMs(90));
            std::snprintf(acP99, sizeof acP99, "%.1fms", rtStats._tTimes.GetPercentileMs(99));
        }
        std::fprintf(mptFile, "%5d %5u  %-8s %8llu %8lu %10s %10s %10s %10s\n", rtSteps[n]._iNumber, rtSteps[n]._uLine,
                     rtSteps[n]._dsVerb.c_str(), static_cast<unsigned long long>(rtStats._tTimes.GetCount()),
                     rtStats._ulFailures, acMedian, acP95, acP90, acP99);
    }
    if (!mrtSummary._tFailureReasons.empty()) {
        std::vector<std::pair<std::string, uint64_t>> tReasons(mrtSummary._tFailureReasons.begin(),
                                                                    mrtSummary._tFailureReasons.end());
        std::stable_sort(tReasons.begin(), tReasons.end(),
                         [](const std::pair<std::string, uint64_t>& mrtA,
                            const std::pair<std::string, uint64_t>& mrtB) { return mrtA.second > mrtB.second; });
        unsigned long ulCounted = 0;
        for (const std::pair<std::string, uint64_t>& rtReason : tReasons) ulCounted += rtReason.second;
        std::fprintf(mptFile, "FAILURES %lu by reason:\n", ulCounted);
        unsigned long ulRest = 0;
        for (size_t n = 0; n < tReasons.size(); ++n) {
            if (n >= knMaxSummaryReasons) {
                ulRest += tReasons[n].second;
                continue;
            }
            std::fprintf(mptFile, "%8lu  %s\n", tReasons[n].second, OneLine(tReasons[n].first).c_str());
        }
        if (ulRest) std::fprintf(mptFile, "%8lu  (%zu more reasons)\n", ulRest, tReasons.size() - knMaxSummaryReasons);
    }
    if (mrtSummary._ulOtherFailures)
        std::fprintf(mptFile, "%lu virtual user iteration%s could not start\n", mrtSummary._ulOtherFailures,
                     mrtSummary._ulOtherFailures == 1 ? "" : "s");
    if (mrtSummary._lPeakKb < 0 || mrtSummary._lBaselineKb < 0) {
        std::fprintf(mptFile, "MEMORY not available\n");
    } else {
        long lGrowthKb = std::max(0L, mrtSummary._lPeakKb - mrtSummary._lBaselineKb);
        std::fprintf(mptFile, "MEMORY peak %ld KB, %ld KB per virtual user\n", mrtSummary._lPeakKb,
                     lGrowthKb / std::max(1, mrtSummary._iVUserCount));
    }
    std::fflush(mptFile);
}

void KxwPlayProgress::Show(unsigned long mulIterationsDone, unsigned long mulIterations, unsigned long mulFailures,
                           int miRunning) {
    std::fprintf(_ptFile, "\r\033[Kkxwplay: %lu/%lu iterations done, %d virtual user%s running, %lu failed",
                 mulIterationsDone, mulIterations, miRunning, miRunning == 1 ? "" : "s", mulFailures);
    std::fflush(_ptFile);
    _bShown = true;
}

void KxwPlayProgress::Clear() {
    if (!_bShown) return;
    std::fprintf(_ptFile, "\r\033[K");
    std::fflush(_ptFile);
    _bShown = false;
}
