// kxwplay: replays a steps file with one or many virtual users through the library, one thread each.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "KxwEngineFolders.h"
#include "KxwEngineHttpClient.h"
#include "KxwEngineTimerService.h"
#include "KxwPlayData.h"
#include "KxwPlayOptions.h"
#include "KxwPlayReport.h"
#include "KxwPlayReportHtml.h"
#include "KxwPlayResults.h"
#include "KxwPlayRunFigures.h"
#include "KxwPlaySteps.h"
#include "KxwPlayVUser.h"
#include "KxwUtilReport.h"
#include "QmtUtils.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

constexpr int kiExitFailed = 1;
constexpr int kiExitBadInput = 2;

int BadInput(const std::string& mdsMessage) {
    std::fprintf(stderr, "kxwplay: %s\n", mdsMessage.c_str());
    return kiExitBadInput;
}


// Every virtual user keeps its log file open for the whole run: make room for that many files.
void RaiseOpenFileLimit(size_t mnFiles) {
    rlimit tLimit;
    if (getrlimit(RLIMIT_NOFILE, &tLimit) != 0) return;
    rlim_t tWanted = static_cast<rlim_t>(mnFiles) + 64;
    if (tLimit.rlim_cur != RLIM_INFINITY && tLimit.rlim_cur < tWanted) {
        tLimit.rlim_cur = tLimit.rlim_max == RLIM_INFINITY ? tWanted : std::min(tWanted, tLimit.rlim_max);
        setrlimit(RLIMIT_NOFILE, &tLimit);
    }
}

// The per-virtual-user folders the library asks for: all virtual users of a run share the folder --vuser-dir
// names. Set before the library is initialised and only read afterwards.
std::string gdsVUserDir;
std::string gdsDataDir;

const char* GetVUserAttribute(void*, const char* mpszName) {
    if (mpszName && std::strcmp(mpszName, "kx_usr_dir") == 0 && !gdsVUserDir.empty()) return gdsVUserDir.c_str();
    if (mpszName && std::strcmp(mpszName, "kx_dat_dir") == 0 && !gdsDataDir.empty()) return gdsDataDir.c_str();
    return nullptr;
}

// kxwplay --merge-report OUT DIR...: the shards' results in one report.
int MergeReports(const KxwPlayOptions& mrtOptions) {
    std::string dsError;
    if (!xfbKxwEngineMakeFolders(mrtOptions._dsMergeOutDir, &dsError)) return BadInput(dsError);
    KxwPlayReportInfo tInfo;
    tInfo._tSources = mrtOptions._tMergeDirs;
    KxwPlayRunFigures tFigures;
    if (!KxwPlayReportHtml::WriteFromResults(mrtOptions._tMergeDirs, mrtOptions._dsMergeOutDir, true, tInfo, &tFigures,
                                             &dsError))
        return BadInput(dsError);
    std::printf("REPORT %s/report.html: %zu folders, %llu step runs, %llu failed\n", mrtOptions._dsMergeOutDir.c_str(),
                mrtOptions._tMergeDirs.size(), static_cast<unsigned long long>(tFigures.GetRuns()),
                static_cast<unsigned long long>(tFigures.GetFailures()));
    return tFigures.GetFailures() ? kiExitFailed : 0;
}

// The library's data folder (the alert page's icon): "../share/kxwobjmgr" beside the installed program, else the
// source tree's data/ for a program run from its build tree; absolute, or empty when neither exists.
// The library's own messages about its start (the engine's message callback), on standard error.
void PrintEngineMessage(int, int, const char*, int, const char*, int, int, const char* mpszFormat, ...) {
    if (!mpszFormat) return;
    char acText[4096];
    va_list tArgs;
    va_start(tArgs, mpszFormat);
    std::vsnprintf(acText, sizeof acText, mpszFormat, tArgs);
    va_end(tArgs);
    std::fprintf(stderr, "kxwplay: %s\n", acText);
}

std::string FindDataDir() {
    std::vector<std::string> tCandidates;
    char acExe[4096];
    ssize_t nLen = readlink("/proc/self/exe", acExe, sizeof acExe - 1);
    if (nLen > 0) {
        std::string dsExe(acExe, static_cast<size_t>(nLen));
        size_t nSlash = dsExe.rfind('/');
        if (nSlash != std::string::npos) tCandidates.push_back(dsExe.substr(0, nSlash) + "/../share/kxwobjmgr");
    }
#ifdef KXW_SOURCE_DATA_DIR
    tCandidates.push_back(KXW_SOURCE_DATA_DIR);
#endif
    for (const std::string& rdsCandidate : tCandidates) {
        char* pszReal = realpath(rdsCandidate.c_str(), nullptr);
        if (!pszReal) continue;
        std::string dsReal = pszReal;
        std::free(pszReal);
        struct stat tStat;
        if (stat(dsReal.c_str(), &tStat) == 0 && S_ISDIR(tStat.st_mode)) return dsReal;
    }
    return std::string();
}

}  // namespace

int main(int argc, char** argv) {
    KxwPlayOptions tOptions;
    std::string dsError;
    switch (xfeKxwPlayParseOptions(argc, argv, &tOptions, &dsError)) {
        case KXW_PLAY_OPTIONS_HELP:
            std::fputs(xfdsKxwPlayHelpText().c_str(), stdout);
            return 0;
        case KXW_PLAY_OPTIONS_VERSION:
            std::fputs(xfdsKxwPlayVersionText().c_str(), stdout);
            return 0;
        case KXW_PLAY_OPTIONS_BAD:
            return BadInput(dsError + " (kxwplay --help lists the options)");
        case KXW_PLAY_OPTIONS_RUN:
            break;
    }
    if (tOptions.IsMerge()) return MergeReports(tOptions);

    // Everything the run reads is read and checked before any virtual user starts.
    KxwiRunTimeSettings tInitialRTS;
    if (!tOptions._dsSettingsFile.empty() && !tInitialRTS.LoadFromFile(tOptions._dsSettingsFile.c_str(), &dsError))
        return BadInput(dsError);  // the reason names the file and each bad line
    if (tOptions._bBrowserGiven) tInitialRTS.SetBrowserMajorType(tOptions._eBrowser);
    // With -s a failed step always leaves its snapshot.
    if (!tOptions._dsSnapshotDir.empty()) tInitialRTS.SetSnapshotOnError(true);
    KxwPlayData tData;
    if (!tOptions._dsDataFile.empty() && !tData.LoadFromFile(tOptions._dsDataFile, &dsError)) return BadInput(dsError);
    std::set<std::string> tParamNames(tData.GetNames().begin(), tData.GetNames().end());
    KxwPlaySteps tSteps;
    if (!tSteps.LoadFromFile(tOptions._dsStepsFile, &tParamNames, &dsError)) return BadInput(dsError);
    std::string dsLogDir = tOptions.GetLogDir();
    if (!dsLogDir.empty() && !xfbKxwEngineMakeFolders(dsLogDir, &dsError)) return BadInput(dsError);
    if (!tOptions._dsSnapshotDir.empty() && !xfbKxwEngineMakeFolders(tOptions._dsSnapshotDir, &dsError))
        return BadInput(dsError);
    if (!tOptions._dsTraceFile.empty() && !xfbKxwUtilOpenTraceFile(tOptions._dsTraceFile.c_str()))
        return BadInput("cannot open the trace file \"" + tOptions._dsTraceFile + "\": " + std::strerror(errno));
    // A shard plays a slice of the whole run's virtual users under their own ids: their seeds, data rows and log
    // files are those of the whole run.
    int iFirstVUser = 1, iLastVUser = tOptions._iVUsers;
    tOptions.GetShardVUsers(&iFirstVUser, &iLastVUser);
    int iShardVUsers = std::max(0, iLastVUser - iFirstVUser + 1);
    if (tOptions._iShardCount > 1 && !tOptions._bSeedGiven)
        std::fprintf(stderr,
                     "kxwplay: --shard without --seed: random ordinals follow this shard's own seed, not the whole "
                     "run's (give every shard the same --seed)\n");
    std::unique_ptr<KxwPlayResultsFile> ptResults;
    if (!tOptions._dsReportDir.empty()) {
        if (!xfbKxwEngineMakeFolders(tOptions._dsReportDir, &dsError)) return BadInput(dsError);
        ptResults.reset(new KxwPlayResultsFile);
        if (!ptResults->Open(tOptions._dsReportDir, &dsError)) return BadInput(dsError);
    }
    std::vector<std::unique_ptr<KxwPlayOutput>> tOutputs;
    if (!dsLogDir.empty()) RaiseOpenFileLimit(static_cast<size_t>(iShardVUsers) + 1);
    for (int n = iFirstVUser; n <= iLastVUser; ++n) {
        if (dsLogDir.empty()) {
            tOutputs.emplace_back(new KxwPlayOutput(stdout, false, tOptions._bQuiet, n));
            continue;
        }
        std::string dsLog = dsLogDir + "/vuser-" + std::to_string(n) + ".log";
        FILE* ptLog = std::fopen(dsLog.c_str(), "w");
        if (!ptLog) return BadInput("cannot write \"" + dsLog + "\": " + std::strerror(errno));
        tOutputs.emplace_back(new KxwPlayOutput(ptLog, true, false, n));
    }

    KxwEnvCfg tEnvCfg;
    tEnvCfg._ptInitialRTS = &tInitialRTS;
    tEnvCfg._bTraceEnabled = !tOptions._dsTraceFile.empty();
    tEnvCfg._pfRegisterTimer = &KxwEngineTimerService::EnvRegister;
    tEnvCfg._pfvUnregisterTimer = &KxwEngineTimerService::EnvUnregister;
    gdsVUserDir = tOptions._dsVUserDir;
    gdsDataDir = FindDataDir();
    tEnvCfg._pfpszGetVUserAttribute = &GetVUserAttribute;
    tEnvCfg._pfvMessage = &PrintEngineMessage;
    // The library's messages of its start (a Java VM that cannot be loaded) are seen too.
    KxwObjMgr::SetWtlFuncs(&xfbKxwPlaySevFilter, &xfvKxwPlayMessageSink);
    if (xfiKxwObjMgrGlobalInit(&tEnvCfg) != 0) {
        std::fprintf(stderr, "kxwplay: the library could not be initialised\n");
        KxwObjMgr::SetWtlFuncs(nullptr, nullptr);
        return kiExitFailed;
    }
    // The network's process-wide start, before any virtual user's thread could race for it.
    if (!KxwEngineHttpClient::GlobalInit()) {
        std::fprintf(stderr, "kxwplay: the HTTP client could not be initialised\n");
        KxwObjMgr::SetWtlFuncs(nullptr, nullptr);
        xfvKxwObjMgrGlobalTerm();
        return kiExitFailed;
    }
    xfvKxwUtilSetJavaScriptErrorSevLvl(static_cast<KXW_WTL_SEV_LVL_ENUM>(tInitialRTS.GetJavaScriptErrorSevLvl()));
    KxwPlayVUser::InstallVirtualClock();
    xfvQmtUtilsStartRun();

    KxwPlayRunConfig tConfig;
    tConfig._ptSteps = &tSteps;
    tConfig._ptData = tData.IsEmpty() ? nullptr : &tData;
    tConfig._ptInitialRTS = &tInitialRTS;
    tConfig._iVUserCount = tOptions._iVUsers;
    tConfig._iIterations = tOptions._iIterations;
    tConfig._uSeed = tOptions._bSeedGiven ? tOptions._uSeed : static_cast<uint32_t>(std::time(nullptr));
    tConfig._bSeedGiven = tOptions._bSeedGiven;
    tConfig._ptResults = ptResults.get();
    tConfig._dsSnapshotDir = tOptions._dsSnapshotDir;

    KxwPlaySummary tSummary;
    tSummary._iVUserCount = iShardVUsers;
    tSummary._iIterations = tOptions._iIterations;
    tSummary._lBaselineKb = xflKxwPlayReadProcStatusKb("VmRSS");
    std::vector<std::unique_ptr<KxwPlayVUser>> tVUsers;
    for (int n = iFirstVUser; n <= iLastVUser; ++n) {
        tVUsers.emplace_back(new KxwPlayVUser(n, tConfig, tOutputs[static_cast<size_t>(n - iFirstVUser)].get()));
        tVUsers.back()->Start();
    }

    // Events on standard output and a progress line would mix: the line is shown only when they go elsewhere.
    bool bProgress = isatty(STDOUT_FILENO) && (!dsLogDir.empty() || tOptions._bQuiet);
    KxwPlayProgress tProgress(stdout);
    unsigned long ulAllIterations = static_cast<unsigned long>(iShardVUsers) * tOptions._iIterations;
    for (;;) {
        unsigned long ulDone = 0, ulFailures = 0;
        int iRunning = 0;
        for (const std::unique_ptr<KxwPlayVUser>& rptVUser : tVUsers) {
            ulDone += rptVUser->GetIterationsDone();
            ulFailures += rptVUser->GetFailures();
            if (!rptVUser->IsFinished()) ++iRunning;
        }
        if (iRunning == 0) break;
        if (bProgress) tProgress.Show(ulDone, ulAllIterations, ulFailures, iRunning);
        std::this_thread::sleep_for(std::chrono::milliseconds(bProgress ? 200 : 20));
    }
    tProgress.Clear();

    tSummary._tSteps.resize(tSteps.GetSteps().size());
    for (std::unique_ptr<KxwPlayVUser>& rptVUser : tVUsers) {
        rptVUser->Join();
        for (size_t n = 0; n < tSummary._tSteps.size(); ++n) {
            const KxwPlayStepStats& rtStats = rptVUser->GetStepStats()[n];
            tSummary._tSteps[n]._tTimes.Merge(rtStats._tTimes);
            tSummary._tSteps[n]._ulFailures += rtStats._ulFailures;
        }
        tSummary._ulOtherFailures += rptVUser->GetOtherFailures();
        for (const auto& rtReason : rptVUser->GetFailureReasons())
            tSummary._tFailureReasons[rtReason.first] += rtReason.second;
    }
    tSummary._lPeakKb = xflKxwPlayReadProcStatusKb("VmHWM");
    if (tOptions._iShardCount > 1 && iShardVUsers == 0)
        std::printf("SHARD %d/%d: no virtual user of %d (more shards than virtual users)\n", tOptions._iShardIndex,
                    tOptions._iShardCount, tOptions._iVUsers);
    else if (tOptions._iShardCount > 1)
        std::printf("SHARD %d/%d: virtual users %d to %d of %d\n", tOptions._iShardIndex, tOptions._iShardCount,
                    iFirstVUser, iLastVUser, tOptions._iVUsers);
    xfvKxwPlayPrintSummary(stdout, tSteps, tSummary);
    int iReportStatus = 0;
    if (ptResults) {
        KxwPlayReportInfo tInfo;
        tInfo._tSources.push_back(tOptions._dsStepsFile);
        if (tOptions._iShardCount > 1)
            tInfo._tSources.push_back("shard " + std::to_string(tOptions._iShardIndex) + "/" +
                                      std::to_string(tOptions._iShardCount));
        KxwPlayRunFigures tFigures;
        if (!ptResults->Close(&dsError) ||
            !KxwPlayReportHtml::WriteFromResults({tOptions._dsReportDir}, tOptions._dsReportDir, false, tInfo,
                                                 &tFigures, &dsError)) {
            std::fprintf(stderr, "kxwplay: the report could not be written: %s\n", dsError.c_str());
            iReportStatus = kiExitFailed;
        } else {
            std::printf("REPORT %s/report.html\n", tOptions._dsReportDir.c_str());
        }
    }

    bool bFailed = tSummary._ulOtherFailures > 0;
    for (const KxwPlayStepStats& rtStats : tSummary._tSteps) bFailed = bFailed || rtStats._ulFailures > 0;
    tVUsers.clear();
    tOutputs.clear();
    KxwPlayVUser::UninstallVirtualClock();
    KxwEngineHttpClient::GlobalTerm();
    KxwObjMgr::SetWtlFuncs(nullptr, nullptr);
    xfvKxwObjMgrGlobalTerm();
    xfvKxwUtilCloseTraceFile();
    return bFailed ? kiExitFailed : iReportStatus;
}
