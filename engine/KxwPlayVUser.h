// One virtual user of a run: its own thread (with an explicit stack, which the script engine's recursion limit is
// derived from), its block bound to that thread, the run-time settings copied from the initial ones, its replay
// engine (windows, loads, a script engine per iteration), and the loop that plays the steps with their times. The
// run's clock is virtual: think and wait steps advance it instead of sleeping.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "KxwEngineVUser.h"
#include "KxwPlayReport.h"

class KxwEngineFetcher;
class KxwPlayData;
class KxwPlayResultsFile;
class KxwPlaySteps;
class KxwVUserVars;
class KxwiRunTimeSettings;
struct KxwPlayStep;

// What every virtual user of a run shares, read only.
struct KxwPlayRunConfig {
    const KxwPlaySteps* _ptSteps = nullptr;
    const KxwPlayData* _ptData = nullptr;  // null without --data
    const KxwiRunTimeSettings* _ptInitialRTS = nullptr;
    int _iVUserCount = 1;
    int _iIterations = 1;
    uint32_t _uSeed = 0;
    bool _bSeedGiven = false;  // --seed was given; otherwise the first random pick logs the seed it follows
    KxwPlayResultsFile* _ptResults = nullptr;  // --report: every step run's record goes there
    // -s: each virtual user writes its snapshots into "<folder>/vuser-<id>/Iteration<k>/"; empty for none.
    std::string _dsSnapshotDir;
};

enum KXW_PLAY_SCRIPT_OUTCOME_ENUM {
    KXW_PLAY_SCRIPT_OK,
    KXW_PLAY_SCRIPT_ERROR,      // the script threw or did not compile
    KXW_PLAY_SCRIPT_STOPPED,    // it ran past the script time limit
    KXW_PLAY_SCRIPT_NO_ENGINE,  // the virtual user has no script engine
};

struct KxwPlayScriptResult {
    KXW_PLAY_SCRIPT_OUTCOME_ENUM _eOutcome = KXW_PLAY_SCRIPT_NO_ENGINE;
    std::string _dsValue;  // String(value), for KXW_PLAY_SCRIPT_OK
    bool _bIsString = false;
    bool _bTruthy = false;
    std::string _dsError;  // the message with its file and line, or why the script was stopped
};

class KxwPlayVUser : public KxwEngineListener {
public:
    // Stack of a virtual user's thread: deep enough for the engine's recursion limit and the native code below it.
    static constexpr size_t knThreadStackBytes = 8u * 1024 * 1024;

    KxwPlayVUser(int miVUserId, const KxwPlayRunConfig& mrtConfig, KxwPlayOutput* mptOutput);
    ~KxwPlayVUser();
    KxwPlayVUser(const KxwPlayVUser&) = delete;
    KxwPlayVUser& operator=(const KxwPlayVUser&) = delete;

    // Starts the thread that runs every iteration; false (reported) when it cannot be made.
    bool Start();
    // Waits for the thread started by Start.
    void Join();
    // Runs every iteration on the calling thread.
    void Run();
    bool IsFinished() const { return _bFinished.load(); }

    int GetVUserId() const { return _iVUserId; }
    // Before a step's first random pick: the run's seed is logged once (unless --seed gave it), so that the run can
    // be repeated.
    void NoteRandomPick();
    const std::vector<KxwPlayStepStats>& GetStepStats() const { return _tStepStats; }
    unsigned long GetIterationsDone() const { return _ulIterationsDone.load(); }
    unsigned long GetFailures() const { return _ulFailures.load(); }
    unsigned long GetOtherFailures() const { return _ulOtherFailures; }
    // The failed steps counted by reason (at most knMaxFailureReasons reasons; later new ones count under
    // KxwPlayRunFigures::kszOtherReasons); read after Join.
    static constexpr size_t knMaxFailureReasons = 100;
    const std::map<std::string, uint64_t>& GetFailureReasons() const { return _tFailureReasons; }
    // The top window's page of the snapshot the last step wrote (with -s), or empty.
    const std::string& GetStepSnapshotPath() const { return _dsStepSnapshotPath; }

    // ---- For the verbs, on the virtual user's thread ----
    KxwPlayOutput& GetOutput() { return *_ptOutput; }
    const KxwPlaySteps& GetSteps() const { return *_tConfig._ptSteps; }
    // Evaluates a step's script in the current window's page (the engine's global before any page) under the script
    // time limit; the value is converted as String(value) converts it, inside the limit too.
    void EvaluateStepScript(const KxwPlayStep& mrtStep, const std::string& mdsScript, KxwPlayScriptResult* mptResult);
    // The same in another window's page (a modal dialog that an answer runs in).
    void EvaluateScriptIn(KxwDomHtmlWindow* mptWindow, const KxwPlayStep& mrtStep, const std::string& mdsScript,
                          KxwPlayScriptResult* mptResult);
    // An answer step waits for the next step that is not one: it is registered in that step's own level.
    void AddPendingAnswer(const KxwPlayStep& mrtStep) { _tPendingAnswers.push_back(mrtStep); }
    // A script error while a step runs: written as an ERROR line at once, and kept as the step's failure reason.
    void ReportScriptError(const std::string& mdsMessage, const std::string& mdsFile, unsigned muLine);
    // An error line as the wrapper wrote it: "MESSAGE (FILE, line N)".
    void ReportScriptErrorText(const std::string& mdsText);
    void AdvanceVirtualClock(double mdfMs) { _dfVirtualOffsetMs += mdfMs; }
    // The virtual user's engine (null before it runs or when its iteration has no script engine).
    KxwEngineVUser* GetEngine() { return _ptEngineVUser && _ptEngineVUser->GetScriptEngine() ? _ptEngineVUser.get() : nullptr; }
    // The virtual user's loads and cookies (null before it runs); the cookies go at each iteration's start.
    KxwEngineFetcher* GetFetcher() { return _ptFetcher.get(); }
    // The run clock as this virtual user sees it: the time think and wait steps and the playing out of timers
    // let pass.
    double GetVirtualClockMs() const;

    // Makes the run clock of every virtual user its own virtual clock, and restarts it at zero.
    static void InstallVirtualClock();
    static void UninstallVirtualClock();
    // While the binding lives, the calling thread's run clock (that of its page timers) is the clock at
    // mpdfClockMs, for an engine driven without a player's virtual user (the benchmarks'): its timers then run on
    // the clock its engine advances, as a player's do.
    class ThreadClockBinding {
    public:
        explicit ThreadClockBinding(const double* mpdfClockMs);
        ~ThreadClockBinding();
        ThreadClockBinding(const ThreadClockBinding&) = delete;
        ThreadClockBinding& operator=(const ThreadClockBinding&) = delete;

    private:
        const double* _pdfPrevious;
    };

private:
    static void* ThreadMain(void* mpvVUser);
    void RunIteration(KxwVUserVars& mrtVUserVars, int miIteration);
    // The step with data values put in and URLs resolved; false with the reason when the result is not valid.
    bool PrepareStep(const KxwPlayStep& mrtStep, size_t mnRow, KxwPlayStep* mptPrepared, std::string* mpdsReason) const;
    bool RunStep(const KxwPlayStep& mrtStep, std::string* mpdsReason);
    // Opens the step's own level of dialog answers and registers the pending ones in it; false with the reason when
    // one cannot be registered (the level is open all the same).
    bool OpenAnswerLevel(std::string* mpdsReason);
    // Ends the level: the answers it left unused are reported, printed and dropped.
    void CloseAnswerLevel();
    static double ReadVirtualClock(void* mpvContext);
    // What the engine tells: event lines, and page script errors as ERROR lines of the running step.
    void OnEngineEvent(const char* mpszKind, const std::string& mdsText) override;
    void OnPageScriptError(const std::string& mdsMessage, const std::string& mdsFile, unsigned muLine) override;
    void OnPageScriptRuns(bool mbStarting) override;

    int _iVUserId;
    bool _bSeedLogged = false;
    KxwPlayRunConfig _tConfig;
    KxwPlayOutput* _ptOutput;
    std::unique_ptr<KxwEngineFetcher> _ptFetcher;
    std::unique_ptr<KxwEngineVUser> _ptEngineVUser;
    KxwVUserVars* _ptVUserVars = nullptr;
    std::vector<KxwPlayStepStats> _tStepStats;
    std::atomic<unsigned long> _ulIterationsDone{0};
    std::atomic<unsigned long> _ulFailures{0};
    unsigned long _ulOtherFailures = 0;
    std::map<std::string, uint64_t> _tFailureReasons;
    std::atomic<bool> _bFinished{false};
    double _dfVirtualOffsetMs = 0;
    // Answer steps waiting for the next other step.
    std::vector<KxwPlayStep> _tPendingAnswers;
    // Script errors of the running step.
    int _iStepScriptErrors = 0;
    std::string _dsFirstScriptError;
    std::string _dsStepSnapshotPath;
    pthread_t _tThread{};
    bool _bThreadStarted = false;
};
