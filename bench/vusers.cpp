// Virtual users side by side. Prints
//   scaling vusers=2 speedup=X
// the steps per second of two virtual users replaying a steps file (the example site's) over those of one, both
// measured in this run, the median of several rounds; and, given the folder of the parsing corpus,
//   vusers n=N rss_mb_per_vuser=X engine_pages_per_s=Y parse_pages_per_s=Z failures=F
// where N virtual users (threads, each with its engine, its pages and the block bound to it) each load the corpus's
// median-size page as a goto step does (its inline scripts run) and hold it while the resident size is read;
// rss_mb_per_vuser is (RSS with N - RSS with 1) / (N - 1); engine_pages_per_s is every page of the corpus loaded by
// one virtual user as goto loads it (from the server at --corpus-url, else from its file; scripts run) once the
// process has compiled their scripts (the cold first pass goes to standard error), parse_pages_per_s the same pages
// parsed as bench/parse-corpus parses them (bytes in memory, no script), each the median of three rounds; failures
// counts pages that could not be loaded; and, given a page that loads a large script library and the library's file,
//   library kb=K first_ms=X later_ms=Y later_vs_first=R failures=F
// the time of one goto of that page by the first virtual user (the library compiled) and by the later ones (the
// median of nine, each a virtual user of its own: the library from the process's compiled-script cache).
//   vusers [--iterations I] [--rounds R] [--vusers N] [--corpus DIR [--corpus-url URL]] [--library-url URL FILE]
//          [--data CSV] STEPS_FILE
// bench/run-vusers builds it and runs it on the example site and bench/corpus, both served over loopback HTTP.
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "KxwBenchCommon.h"
#include "KxwEngineFetch.h"
#include "KxwEnginePageSource.h"
#include "KxwEngineParser.h"
#include "KxwEngineTimerService.h"
#include "KxwEngineVUser.h"
#include "KxwPlayData.h"
#include "KxwPlayReport.h"
#include "KxwPlaySteps.h"
#include "KxwPlayVUser.h"
#include "QmtUtils.h"
#include "kxw/KxwDomHtmlBuild.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr size_t knMaxPageBytes = size_t(1) << 30;

// A page loaded as a goto step loads it: fetched with the virtual user's settings, its inline scripts run.
bool LoadAsGoto(KxwEngineVUser& mrtEngine, const std::string& mdsUrl) {
    std::string dsReason;
    mrtEngine.OnStepStart();
    bool bOK = mrtEngine.Navigate(mdsUrl, nullptr, &dsReason);
    mrtEngine.OnStepEnd();
    return bOK;
}

// The engine's listener of a benchmark: nothing is shown; the pages' script errors are counted.
class SilentListener : public KxwEngineListener {
public:
    void OnEngineEvent(const char*, const std::string&) override {}
    void OnPageScriptError(const std::string&, const std::string&, unsigned) override { ++_ulScriptErrors; }
    unsigned long _ulScriptErrors = 0;
};

double SecondsSince(SteadyClock::time_point mtStart) {
    return std::chrono::duration<double>(SteadyClock::now() - mtStart).count();
}

double OwnCpuSeconds(int miWho = RUSAGE_SELF);

// Steps per second of miVUsers virtual users, each playing the steps miIterations times, and the process's CPU time
// per step meanwhile; failed steps in *mpulFailures.
double StepsPerSecond(const KxwPlaySteps& mrtSteps, const KxwPlayData* mptData, const KxwiRunTimeSettings& mrtRTS,
                      int miVUsers, int miIterations, unsigned long* mpulFailures, double* mpdfCpuUsPerStep) {
    KxwPlayRunConfig tConfig;
    tConfig._ptSteps = &mrtSteps;
    tConfig._ptData = mptData;
    tConfig._ptInitialRTS = &mrtRTS;
    tConfig._iVUserCount = miVUsers;
    tConfig._iIterations = miIterations;
    tConfig._uSeed = 1;
    std::vector<std::unique_ptr<KxwPlayOutput>> tOutputs;
    std::vector<std::unique_ptr<KxwPlayVUser>> tVUsers;
    for (int n = 1; n <= miVUsers; ++n) {
        tOutputs.emplace_back(new KxwPlayOutput(nullptr, false, true, n));
        tVUsers.emplace_back(new KxwPlayVUser(n, tConfig, tOutputs.back().get()));
    }
    SteadyClock::time_point tStart = SteadyClock::now();
    double dfCpuStart = OwnCpuSeconds();
    for (std::unique_ptr<KxwPlayVUser>& rptVUser : tVUsers) rptVUser->Start();
    for (std::unique_ptr<KxwPlayVUser>& rptVUser : tVUsers) rptVUser->Join();
    double dfSeconds = SecondsSince(tStart);
    double dfCpu = OwnCpuSeconds() - dfCpuStart;
    uint64_t ullRuns = 0;
    for (std::unique_ptr<KxwPlayVUser>& rptVUser : tVUsers) {
        for (const KxwPlayStepStats& rtStats : rptVUser->GetStepStats()) ullRuns += rtStats._tTimes.GetCount();
        *mpulFailures += rptVUser->GetFailures();
    }
    *mpdfCpuUsPerStep = ullRuns ? 1e6 * dfCpu / static_cast<double>(ullRuns) : 0;
    return dfSeconds > 0 ? static_cast<double>(ullRuns) / dfSeconds : 0;
}

// CPU seconds the whole machine has spent busy, and this process.
double MachineBusySeconds() {
    unsigned long long aullTicks[7] = {};
    FILE* ptFile = std::fopen("/proc/stat", "r");
    if (!ptFile) return 0;
    int iRead = std::fscanf(ptFile, "cpu %llu %llu %llu %llu %llu %llu %llu", &aullTicks[0], &aullTicks[1],
                            &aullTicks[2], &aullTicks[3], &aullTicks[4], &aullTicks[5], &aullTicks[6]);
    std::fclose(ptFile);
    if (iRead != 7) return 0;
    // user, nice, system, then irq and softirq; idle and iowait are not busy.
    return static_cast<double>(aullTicks[0] + aullTicks[1] + aullTicks[2] + aullTicks[5] + aullTicks[6]) /
           static_cast<double>(sysconf(_SC_CLK_TCK));
}

double OwnCpuSeconds(int miWho) {
    rusage tUsage;
    if (getrusage(miWho, &tUsage) != 0) return 0;
    return static_cast<double>(tUsage.ru_utime.tv_sec + tUsage.ru_stime.tv_sec) +
           static_cast<double>(tUsage.ru_utime.tv_usec + tUsage.ru_stime.tv_usec) / 1e6;
}

// One virtual user's thread as the player sets it up for an iteration: its block, its replay engine with a script
// engine, its network. The work runs with all of it in place.
template <typename Work>
void AsVirtualUser(int miVUserId, const KxwiRunTimeSettings& mrtRTS, Work&& mtWork,
                   unsigned long* mpulScriptErrors = nullptr) {
    KxwVUserVars tVUser(miVUserId);
    tVUser.GetRTS() = mrtRTS;
    KxwVUserVarsThreadBinding tBinding(&tVUser);
    KxwEngineFetcher tFetcher;
    SilentListener tListener;
    double dfClockMs = 0;
    // The pages' timers run on the clock the engine advances, as in the player: on the machine's clock a timer that
    // re-arms itself ran until the engine's cap of runs per load (four pages of the corpus ran 10,000 each, a fifth
    // of the engine's time), where the player's virtual clock ends it at the step's limit.
    KxwPlayVUser::ThreadClockBinding tClock(&dfClockMs);
    // The pages' own loads go to the benchmark's server (or the disk); those of other hosts fail at once: the
    // figures are the engine's, not the internet's (nor this machine's resolver's).
    KxwEngineVUser tEngine(
        tVUser,
        [&tFetcher](const KxwEngineFetchRequest& mrtRequest, KxwEngineFetchResponse* mptResponse) {
            if (mrtRequest._dsUrl.rfind("file:", 0) != 0 && mrtRequest._dsUrl.rfind("http://127.0.0.1:", 0) != 0) {
                *mptResponse = KxwEngineFetchResponse();
                return xfbKxwEngineFetchFail(mptResponse, KXW_ENGINE_FETCH_DNS, mrtRequest._dsUrl,
                                             "not a host of the benchmark");
            }
            return tFetcher.Fetch(mrtRequest, nullptr, mptResponse);
        },
        &tFetcher.GetCookieJar(), &tListener, [&dfClockMs]() { return dfClockMs; },
        [&dfClockMs](double mdfMs) { dfClockMs += mdfMs; });
    if (!tEngine.BeginIteration(mrtRTS.GetScriptTimeLimitMs(), nullptr)) {
        mtWork(nullptr);
        return;
    }
    mtWork(&tEngine);
    tEngine.EndIteration();
    if (mpulScriptErrors) *mpulScriptErrors += tListener._ulScriptErrors;
}

// N virtual users each holding the page at mdsUrl; the resident size with the first alone and with all of them.
bool MeasureHeldPages(const std::string& mdsUrl, const KxwiRunTimeSettings& mrtRTS, int miVUsers, double* mpdfRss1,
                      double* mpdfRssN, unsigned long* mpulFailures) {
    std::mutex tMutex;
    std::condition_variable tChanged;
    int iLoaded = 0;
    bool bRelease = false;
    auto tVUserMain = [&](int miVUserId) {
        AsVirtualUser(miVUserId, mrtRTS, [&](KxwEngineVUser* mptEngine) {
            bool bOK = mptEngine && LoadAsGoto(*mptEngine, mdsUrl);
            std::unique_lock<std::mutex> tLock(tMutex);
            if (!bOK) ++*mpulFailures;
            ++iLoaded;
            tChanged.notify_all();
            tChanged.wait(tLock, [&] { return bRelease; });
        });
    };
    std::vector<std::thread> tThreads;
    auto WaitLoaded = [&](int miCount) {
        std::unique_lock<std::mutex> tLock(tMutex);
        tChanged.wait(tLock, [&] { return iLoaded >= miCount; });
    };
    tThreads.emplace_back(tVUserMain, 1);
    WaitLoaded(1);
    *mpdfRss1 = kxwbench::ProcStatusMb("VmRSS");
    for (int n = 2; n <= miVUsers; ++n) tThreads.emplace_back(tVUserMain, n);
    WaitLoaded(miVUsers);
    *mpdfRssN = kxwbench::ProcStatusMb("VmRSS");
    {
        std::lock_guard<std::mutex> tLock(tMutex);
        bRelease = true;
    }
    tChanged.notify_all();
    for (std::thread& rtThread : tThreads) rtThread.join();
    return true;
}

// The corpus's pages are read from the folder for parsing alone, and loaded through the engine from mdsBaseUrl (a
// server of that folder) when one is given, else from their file: URLs.
int MeasureCorpus(const std::string& mdsFolder, const std::string& mdsBaseUrl, const KxwiRunTimeSettings& mrtRTS,
                  int miVUsers) {
    std::string dsFolder = mdsFolder;
    if (char* pszReal = realpath(dsFolder.c_str(), nullptr)) {
        dsFolder = pszReal;
        std::free(pszReal);
    }
    std::vector<std::string> tPaths;
    kxwbench::FindPages(dsFolder, &tPaths);
    std::sort(tPaths.begin(), tPaths.end());
    if (tPaths.empty()) {
        std::fprintf(stderr, "vusers: no .html files in %s\n", dsFolder.c_str());
        return 2;
    }
    // Read before any clock starts, for the parse figure and to find the median-size page.
    std::vector<KxwEnginePageSource> tSources;
    std::vector<std::pair<size_t, std::string>> tSizes;
    unsigned long ulFailures = 0;
    KxwEngineFetcher tFetcher;
    for (const std::string& rdsPath : tPaths) {
        KxwEngineFetchRequest tRequest;
        tRequest._dsUrl = "file://" + rdsPath;
        tRequest._nMaxBodyBytes = knMaxPageBytes;
        KxwEngineFetchResponse tResponse;
        if (!tFetcher.Fetch(tRequest, nullptr, &tResponse)) {
            std::fprintf(stderr, "vusers: %s\n", tResponse._dsError.c_str());
            ++ulFailures;
            continue;
        }
        KxwEnginePageSource tSource;
        tSource._dsUrl = tResponse._dsFinalUrl;
        tSource._dsBytes.swap(tResponse._dsBody);
        xfvKxwEngineSniffCharset(&tSource, tResponse._dsCharset);
        tSizes.emplace_back(tSource._dsBytes.size(),
                            mdsBaseUrl.empty() ? tSource._dsUrl : mdsBaseUrl + rdsPath.substr(dsFolder.size()));
        tSources.push_back(std::move(tSource));
    }
    if (tSources.empty()) return 2;
    std::sort(tSizes.begin(), tSizes.end());
    const std::pair<size_t, std::string>& rtMedian = tSizes[tSizes.size() / 2];
    std::fprintf(stderr, "vusers: %zu pages; the median-size page is %s (%zu bytes)\n", tSources.size(),
                 rtMedian.second.c_str(), rtMedian.first);

    // One virtual user loads the corpus once cold (every script compiled for the first time) and then again in
    // each round, as the second and later virtual users of a load test find it: scripts from the process's compiled
    // cache. Parsing alone runs in the same rounds, in turn with the engine, so that a change in the machine's load
    // touches both alike; each figure is the median of the rounds.
    const int kiCorpusRounds = 3;
    double dfColdPerS = 0;
    std::vector<double> tEnginePerS, tParsePerS;
    // The CPU time of the loading thread per page, of the last pass of each kind: what the machine's other work
    // and the server's answers do not change.
    double dfEngineCpuMs = 0, dfParseCpuMs = 0;
    auto EnginePass = [&](bool mbCountFailures) {
        double dfPerS = 0;
        std::thread([&] {
            AsVirtualUser(1, mrtRTS, [&](KxwEngineVUser* mptEngine) {
                if (!mptEngine) {
                    if (mbCountFailures) ulFailures += tSources.size();
                    return;
                }
                SteadyClock::time_point tStart = SteadyClock::now();
                double dfCpuStart = OwnCpuSeconds(RUSAGE_THREAD);
                for (const std::pair<size_t, std::string>& rtPage : tSizes)
                    if (!LoadAsGoto(*mptEngine, rtPage.second) && mbCountFailures) ++ulFailures;
                dfPerS = static_cast<double>(tSources.size()) / SecondsSince(tStart);
                dfEngineCpuMs = 1000 * (OwnCpuSeconds(RUSAGE_THREAD) - dfCpuStart) / tSources.size();
            });
        }).join();
        return dfPerS;
    };
    auto ParsePass = [&] {
        double dfPerS = 0;
        std::thread([&] {
            KxwVUserVars tVUser(1);
            tVUser.GetRTS() = mrtRTS;
            KxwVUserVarsThreadBinding tBinding(&tVUser);
            KxwJswEngine* ptEngine = KxwJswEngine::Create();
            {
                // Parsing alone: each page into a document of its own, no script run, no window.
                SteadyClock::time_point tStart = SteadyClock::now();
                double dfCpuStart = OwnCpuSeconds(RUSAGE_THREAD);
                for (const KxwEnginePageSource& rtPage : tSources) {
                    KxwDomHtmlDocument* ptDocument = KxwEngineParser::ParseStandalone(
                        rtPage._dsUrl, rtPage._dsBytes.data(), rtPage._dsBytes.size(), rtPage._dsCharset);
                    if (!ptDocument) continue;
                    xfvKxwDomHtmlBuildDeleteDocument(ptDocument);
                }
                dfPerS = static_cast<double>(tSources.size()) / SecondsSince(tStart);
                dfParseCpuMs = 1000 * (OwnCpuSeconds(RUSAGE_THREAD) - dfCpuStart) / tSources.size();
            }
            delete ptEngine;
        }).join();
        return dfPerS;
    };
    dfColdPerS = EnginePass(true);
    for (int iRound = 0; iRound < kiCorpusRounds; ++iRound) {
        tEnginePerS.push_back(EnginePass(false));
        tParsePerS.push_back(ParsePass());
        std::fprintf(stderr,
                     "vusers: corpus round %d: %.1f pages/s through the engine, %.1f parsed (CPU %.2f ms a page "
                     "through the engine, %.2f parsed)\n",
                     iRound + 1, tEnginePerS.back(), tParsePerS.back(), dfEngineCpuMs, dfParseCpuMs);
    }
    std::sort(tEnginePerS.begin(), tEnginePerS.end());
    std::sort(tParsePerS.begin(), tParsePerS.end());
    double dfEnginePerS = tEnginePerS[tEnginePerS.size() / 2], dfParsePerS = tParsePerS[tParsePerS.size() / 2];
    std::fprintf(stderr, "vusers: the first, cold pass through the engine: %.1f pages/s (%.0f%% of parsing)\n",
                 dfColdPerS, dfParsePerS > 0 ? 100 * dfColdPerS / dfParsePerS : 0.0);

    double dfRss1 = 0, dfRssN = 0;
    MeasureHeldPages(rtMedian.second, mrtRTS, miVUsers, &dfRss1, &dfRssN, &ulFailures);
    std::fprintf(stderr, "vusers: resident %.1f MB with 1 virtual user, %.1f MB with %d\n", dfRss1, dfRssN, miVUsers);
    std::printf("vusers n=%d rss_mb_per_vuser=%.2f engine_pages_per_s=%.1f parse_pages_per_s=%.1f failures=%lu\n",
                miVUsers, (dfRssN - dfRss1) / (miVUsers - 1), dfEnginePerS, dfParsePerS, ulFailures);
    return ulFailures ? 1 : 0;
}

// A page whose script is a large library: the first virtual user's load compiles it, the later ones' find it in the
// process's compiled-script cache. Each load is one goto of a virtual user of its own, one after the other; the
// process has loaded other pages before, so that the first load pays for the library and not for the process.
int MeasureLibrary(const std::string& mdsUrl, const std::string& mdsLibraryPath, const KxwiRunTimeSettings& mrtRTS) {
    struct stat tStat;
    if (stat(mdsLibraryPath.c_str(), &tStat) != 0) {
        std::fprintf(stderr, "vusers: %s is missing\n", mdsLibraryPath.c_str());
        return 2;
    }
    const int kiLaterVUsers = 9;
    std::vector<double> tMs;
    unsigned long ulFailures = 0, ulScriptErrors = 0;
    for (int iVUser = 1; iVUser <= 1 + kiLaterVUsers; ++iVUser) {
        std::thread([&] {
            AsVirtualUser(
                iVUser, mrtRTS,
                [&](KxwEngineVUser* mptEngine) {
                    SteadyClock::time_point tStart = SteadyClock::now();
                    if (!mptEngine || !LoadAsGoto(*mptEngine, mdsUrl)) ++ulFailures;
                    tMs.push_back(1000 * SecondsSince(tStart));
                },
                &ulScriptErrors);
        }).join();
    }
    double dfFirst = tMs[0];
    std::vector<double> tLater(tMs.begin() + 1, tMs.end());
    std::sort(tLater.begin(), tLater.end());
    double dfLater = tLater[tLater.size() / 2];
    std::fprintf(stderr,
                 "vusers: the library page: %.2f ms for the first virtual user, %.2f ms (median of %d) for "
                 "the later ones; %lu script errors in all\n",
                 dfFirst, dfLater, kiLaterVUsers, ulScriptErrors);
    std::printf("library kb=%.0f first_ms=%.2f later_ms=%.2f later_vs_first=%.2f failures=%lu\n",
                static_cast<double>(tStat.st_size) / 1024, dfFirst, dfLater, dfFirst > 0 ? dfLater / dfFirst : 0.0,
                ulFailures);
    return ulFailures || ulScriptErrors ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    int iIterations = 1000, iRounds = 5, iVUsers = 200;
    std::string dsStepsFile, dsCorpus, dsCorpusUrl, dsDataFile, dsLibraryUrl, dsLibraryPath;
    for (int i = 1; i < argc; ++i) {
        bool bValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--iterations") == 0 && bValue)
            iIterations = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--rounds") == 0 && bValue)
            iRounds = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--vusers") == 0 && bValue)
            iVUsers = std::max(2, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--corpus") == 0 && bValue)
            dsCorpus = argv[++i];
        else if (std::strcmp(argv[i], "--corpus-url") == 0 && bValue)
            dsCorpusUrl = argv[++i];
        else if (std::strcmp(argv[i], "--library-url") == 0 && i + 2 < argc) {
            dsLibraryUrl = argv[++i];
            dsLibraryPath = argv[++i];
        } else if (std::strcmp(argv[i], "--data") == 0 && bValue)
            dsDataFile = argv[++i];
        else
            dsStepsFile = argv[i];
    }
    if (dsStepsFile.empty()) {
        std::fprintf(stderr,
                     "usage: vusers [--iterations I] [--rounds R] [--vusers N] [--corpus DIR [--corpus-url URL]] "
                     "[--library-url URL FILE] [--data CSV] STEPS_FILE\n");
        return 2;
    }
    KxwPlayData tData;
    std::string dsError;
    if (!dsDataFile.empty() && !tData.LoadFromFile(dsDataFile, &dsError)) {
        std::fprintf(stderr, "vusers: %s\n", dsError.c_str());
        return 2;
    }
    std::set<std::string> tParamNames(tData.GetNames().begin(), tData.GetNames().end());
    KxwPlaySteps tSteps;
    if (!tSteps.LoadFromFile(dsStepsFile, &tParamNames, &dsError)) {
        std::fprintf(stderr, "vusers: %s\n", dsError.c_str());
        return 2;
    }
    KxwiRunTimeSettings tInitialRTS;
    KxwEnvCfg tEnvCfg;
    tEnvCfg._ptInitialRTS = &tInitialRTS;
    // Timers and refreshes go to the engine's timer service, as the player's do.
    tEnvCfg._pfRegisterTimer = &KxwEngineTimerService::EnvRegister;
    tEnvCfg._pfvUnregisterTimer = &KxwEngineTimerService::EnvUnregister;
    if (xfiKxwObjMgrGlobalInit(&tEnvCfg) != 0) {
        std::fprintf(stderr, "vusers: global initialisation failed\n");
        return 1;
    }
    KxwObjMgr::SetWtlFuncs(&kxwbench::IssueNothing, &kxwbench::PrintNothing);
    KxwPlayVUser::InstallVirtualClock();
    xfvQmtUtilsStartRun();

    // One and two virtual users in turn, so that a change in the machine's load touches both alike.
    std::vector<double> tSpeedups;
    unsigned long ulFailures = 0;
    // Other processes on a machine of two cores take the second virtual user's core: their share is told.
    double dfBusyBefore = MachineBusySeconds(), dfOwnBefore = OwnCpuSeconds();
    SteadyClock::time_point tScalingStart = SteadyClock::now();
    for (int iRound = 0; iRound < iRounds; ++iRound) {
        const KxwPlayData* ptData = tData.IsEmpty() ? nullptr : &tData;
        double dfCpuOne = 0, dfCpuTwo = 0;
        double dfOne = StepsPerSecond(tSteps, ptData, tInitialRTS, 1, iIterations, &ulFailures, &dfCpuOne);
        double dfTwo = StepsPerSecond(tSteps, ptData, tInitialRTS, 2, iIterations, &ulFailures, &dfCpuTwo);
        std::fprintf(stderr,
                     "vusers: round %d: %.0f steps/s with 1 virtual user, %.0f with 2 (CPU %.0f us a step with 1, "
                     "%.0f with 2)\n",
                     iRound + 1, dfOne, dfTwo, dfCpuOne, dfCpuTwo);
        tSpeedups.push_back(dfOne > 0 ? dfTwo / dfOne : 0);
    }
    double dfOthers = (MachineBusySeconds() - dfBusyBefore) - (OwnCpuSeconds() - dfOwnBefore);
    double dfWall = SecondsSince(tScalingStart);
    std::fprintf(stderr,
                 "vusers: other processes (the web server among them) used %.1f CPU seconds in those %.1f s%s\n",
                 std::max(0.0, dfOthers), dfWall,
                 dfOthers > 0.05 * dfWall ? ": the machine was not quiet, the speedup is not meaningful" : "");
    std::sort(tSpeedups.begin(), tSpeedups.end());
    std::printf("scaling vusers=2 speedup=%.2f", tSpeedups[tSpeedups.size() / 2]);
    if (ulFailures) std::printf(" failures=%lu", ulFailures);
    std::printf("\n");
    std::fflush(stdout);

    int iStatus = ulFailures ? 1 : 0;
    if (!dsCorpus.empty()) iStatus = std::max(iStatus, MeasureCorpus(dsCorpus, dsCorpusUrl, tInitialRTS, iVUsers));
    if (!dsLibraryUrl.empty()) iStatus = std::max(iStatus, MeasureLibrary(dsLibraryUrl, dsLibraryPath, tInitialRTS));
    KxwPlayVUser::UninstallVirtualClock();
    KxwObjMgr::SetWtlFuncs(nullptr, nullptr);
    xfvKxwObjMgrGlobalTerm();
    return iStatus;
}
