#include "KxwPlayVUser.h"

#include <chrono>
#include <cmath>
#include <cstring>

#include "KxwEngineFetch.h"
#include "KxwPlayData.h"
#include "KxwPlayResults.h"
#include "KxwPlayRunFigures.h"
#include "KxwPlaySteps.h"
#include "KxwPlayVerbs.h"
#include "KxwUtilReport.h"
#include "QmtUtils.h"
#include "kxw/KxwDomBrowsing.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwJswGlobal.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwParamStore.h"
#include "kxw/KxwVUserVars.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

// The virtual user whose clock the calling thread reads; threads without one read the real clock.
thread_local const KxwPlayVUser* gptClockVUser = nullptr;
// Or the clock a thread driving an engine of its own bound (KxwPlayVUser::ThreadClockBinding).
thread_local const double* gpdfThreadClockMs = nullptr;
std::atomic<SteadyClock::rep> gtRunStart{0};

double RealMsSinceRunStart() {
    SteadyClock::rep tElapsed = SteadyClock::now().time_since_epoch().count() - gtRunStart.load();
    return std::chrono::duration<double, std::milli>(SteadyClock::duration(tElapsed)).count();
}

// Follows one evaluation of a step's script: its errors go to the virtual user as they happen.
class KxwPlayStepNotifier : public KxwJswScriptEvaluationNotifier {
public:
    explicit KxwPlayStepNotifier(KxwPlayVUser& mrtVUser) : _rtVUser(mrtVUser) {}
    void OnScriptError(const char* mpszMessage, const char* mpszFile, unsigned muLine) override {
        std::string dsMessage = mpszMessage ? mpszMessage : "";
        std::string dsFile = mpszFile ? mpszFile : "";
        if (_dsError.empty()) _dsError = dsMessage + " (" + dsFile + ", line " + std::to_string(muLine) + ")";
        _rtVUser.ReportScriptError(dsMessage, dsFile, muLine);
    }
    void OnInterrupted() override { _bInterrupted = true; }
    bool WasInterrupted() const { return _bInterrupted; }
    const std::string& GetError() const { return _dsError; }

private:
    KxwPlayVUser& _rtVUser;
    bool _bInterrupted = false;
    std::string _dsError;
};

}  // namespace

KxwPlayVUser::KxwPlayVUser(int miVUserId, const KxwPlayRunConfig& mrtConfig, KxwPlayOutput* mptOutput)
    : _iVUserId(miVUserId), _tConfig(mrtConfig), _ptOutput(mptOutput) {
    _tStepStats.resize(_tConfig._ptSteps ? _tConfig._ptSteps->GetSteps().size() : 0);
}

KxwPlayVUser::~KxwPlayVUser() {
    Join();
}

bool KxwPlayVUser::Start() {
    pthread_attr_t tAttr;
    if (pthread_attr_init(&tAttr) != 0) return false;
    int iStatus = pthread_attr_setstacksize(&tAttr, knThreadStackBytes);
    if (iStatus == 0) iStatus = pthread_create(&_tThread, &tAttr, &KxwPlayVUser::ThreadMain, this);
    pthread_attr_destroy(&tAttr);
    if (iStatus != 0) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Cannot start the thread of virtual user %d (%s) in "
                                              "KxwPlayVUser::Start this=%p",
                                              _iVUserId, std::strerror(iStatus), static_cast<void*>(this));
        ++_ulOtherFailures;
        _bFinished = true;
        return false;
    }
    _bThreadStarted = true;
    return true;
}

void KxwPlayVUser::Join() {
    if (!_bThreadStarted) return;
    pthread_join(_tThread, nullptr);
    _bThreadStarted = false;
}

void* KxwPlayVUser::ThreadMain(void* mpvVUser) {
    static_cast<KxwPlayVUser*>(mpvVUser)->Run();
    return nullptr;
}

void KxwPlayVUser::Run() {
    if (!_tConfig._ptSteps || !_tConfig._ptInitialRTS || !_ptOutput) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Incomplete run configuration in KxwPlayVUser::Run this=%p",
                                              static_cast<void*>(this));
        ++_ulOtherFailures;
        _bFinished = true;
        return;
    }
    KxwPlayOutput::ThreadBinding tOutputBinding(_ptOutput);
    // The page's scripts that the library runs report their errors as messages: they are ERROR lines too.
    _ptOutput->SetScriptErrorHandler([this](const std::string& mdsText) { ReportScriptErrorText(mdsText); });
    KxwVUserVars tVUserVars(_iVUserId);
    tVUserVars.GetRTS() = *_tConfig._ptInitialRTS;
    tVUserVars.SeedRandom(_tConfig._uSeed + static_cast<uint32_t>(_iVUserId));
    if (!_tConfig._dsSnapshotDir.empty())
        tVUserVars.SetResultDir(_tConfig._dsSnapshotDir + "/vuser-" + std::to_string(_iVUserId));
    KxwVUserVarsThreadBinding tBinding(&tVUserVars);
    _ptVUserVars = &tVUserVars;
    const KxwPlayVUser* ptPreviousClock = gptClockVUser;
    gptClockVUser = this;
    // The user's connections stay open from one iteration to the next, as a browser's do.
    _ptFetcher = std::make_unique<KxwEngineFetcher>();
    KxwEngineFetcher* ptFetcher = _ptFetcher.get();
    _ptEngineVUser = std::make_unique<KxwEngineVUser>(
        tVUserVars,
        [ptFetcher](const KxwEngineFetchRequest& mrtRequest, KxwEngineFetchResponse* mptResponse) {
            return ptFetcher->Fetch(mrtRequest, nullptr, mptResponse);
        },
        &ptFetcher->GetCookieJar(), this, [this]() { return GetVirtualClockMs(); },
        [this](double mdfMs) { AdvanceVirtualClock(mdfMs); });
    for (int iIteration = 1; iIteration <= _tConfig._iIterations; ++iIteration) {
        RunIteration(tVUserVars, iIteration);
        ++_ulIterationsDone;
    }
    // The windows and the script engine first, the object manager last; the network after them.
    _ptEngineVUser.reset();
    _ptFetcher.reset();
    gptClockVUser = ptPreviousClock;
    _ptVUserVars = nullptr;
    _bFinished = true;
}

void KxwPlayVUser::RunIteration(KxwVUserVars& mrtVUserVars, int miIteration) {
    if (_tConfig._iIterations > 1) _ptOutput->Line("ITERATION", std::to_string(miIteration));
    // Every iteration starts from a fresh engine: nothing a script left behind carries over.
    std::string dsError;
    if (!_ptEngineVUser->BeginIteration(mrtVUserVars.GetRTS().GetScriptTimeLimitMs(), &dsError)) {
        _ptOutput->Line("ERROR", dsError + " for iteration " + std::to_string(miIteration));
        ++_ulOtherFailures;
        ++_ulFailures;
        return;
    }
    // A full iteration reset: the new iteration is a new visitor, without the cookies of the last one.
    _ptFetcher->GetCookieJar().Clear();
    // Its snapshots are numbered from t1 in a folder of its own.
    mrtVUserVars.SetIterationNumber(static_cast<unsigned>(miIteration));
    mrtVUserVars.SetSnapshotNumber(0);
    mrtVUserVars.SetAlertSnapshotMade(false);

    const KxwPlayData* ptData = _tConfig._ptData && !_tConfig._ptData->IsEmpty() ? _tConfig._ptData : nullptr;
    size_t nRow = 0;
    mrtVUserVars.GetParamStore().Clear();
    if (ptData) {
        nRow = ptData->GetRowIndex(_iVUserId, miIteration, _tConfig._iVUserCount);
        // The row's values are also the iteration's parameters, for what reads them by name.
        const std::vector<std::string>& rtRow = ptData->GetRow(nRow);
        for (size_t n = 0; n < rtRow.size(); ++n) mrtVUserVars.GetParamStore().Set(ptData->GetNames()[n], rtRow[n]);
    }

    _tPendingAnswers.clear();
    const std::vector<KxwPlayStep>& rtSteps = _tConfig._ptSteps->GetSteps();
    for (size_t n = 0; n < rtSteps.size(); ++n) {
        const KxwPlayStep& rtStep = rtSteps[n];
        SteadyClock::time_point tStart = SteadyClock::now();
        double dfStartOnRunClockMs = RealMsSinceRunStart();
        _iStepScriptErrors = 0;
        _dsFirstScriptError.clear();
        std::string dsReason;
        KxwPlayStep tPrepared;
        bool bOK = true;
        const KxwPlayStep* ptStep = &rtStep;
        if (ptData) {
            bOK = PrepareStep(rtStep, nRow, &tPrepared, &dsReason);
            ptStep = &tPrepared;
        }
        // Steps are named by their number: the recorded layout keeps a section per step under that name.
        _ptVUserVars->SetStepName("Step" + std::to_string(rtStep._iNumber));
        _ptVUserVars->SetStepNumber(rtStep._iNumber);
        _ptEngineVUser->OnStepStart();
        // The answers registered before the step are its own: what it leaves unused goes when it ends.
        bool bAnswerLevel = bOK && !_tPendingAnswers.empty() && !xfbKxwPlayIsAnswerStep(*ptStep);
        if (bAnswerLevel) bOK = OpenAnswerLevel(&dsReason);
        if (bOK) bOK = RunStep(*ptStep, &dsReason);
        // What the step caused is played out before it ends; then nothing holds objects whose engine objects died.
        _ptEngineVUser->OnStepEnd();
        if (bAnswerLevel) CloseAnswerLevel();
        if (bOK && _iStepScriptErrors > 0 && _ptVUserVars->GetRTS().GetFailOnJavaScriptError()) {
            bOK = false;
            dsReason = _dsFirstScriptError;
        }
        // The step's time is the page's: writing its snapshot is the player's work, after the step.
        double dfMs = std::chrono::duration<double, std::milli>(SteadyClock::now() - tStart).count();
        _dsStepSnapshotPath = _ptEngineVUser->WriteStepSnapshots(!bOK);
        _tStepStats[n]._tTimes.RecordMs(dfMs);
        std::string dsHead = std::to_string(rtStep._iNumber) + " " + rtStep._dsVerb;
        if (_tConfig._ptResults) {
            KxwPlayStepResult tResult;
            tResult._iVUserId = _iVUserId;
            tResult._iIteration = miIteration;
            tResult._iStepNumber = rtStep._iNumber;
            tResult._uLine = rtStep._uLine;
            tResult._dsVerb = rtStep._dsVerb;
            tResult._dfStartMs = dfStartOnRunClockMs;
            tResult._dfDurationMs = dfMs;
            tResult._bOK = bOK;
            if (!bOK) tResult._dsReason = dsReason;
            tResult._dsSnapshot = _dsStepSnapshotPath;
            _tConfig._ptResults->Append(tResult);
        }
        if (bOK) {
            _ptOutput->Line("STEP", dsHead + " OK " + std::to_string(std::llround(dfMs)) + "ms");
            continue;
        }
        ++_tStepStats[n]._ulFailures;
        ++_ulFailures;
        xfvKxwPlayCountReason(&_tFailureReasons, dsReason, knMaxFailureReasons);
        // With -s the line names the page of the step's snapshot (the lines without -s stay as they were).
        if (!_dsStepSnapshotPath.empty()) dsReason += " (snapshot " + _dsStepSnapshotPath + ")";
        _ptOutput->Line("STEP", dsHead + " FAIL " + dsReason);
        // Later steps depend on the state this one should have left: the iteration ends here.
        break;
    }

    // Answers after the last step answer nothing: they are reported as any step's unused answers are.
    if (!_tPendingAnswers.empty()) {
        std::string dsReason;
        if (!OpenAnswerLevel(&dsReason)) _ptOutput->Line("ERROR", dsReason);
        CloseAnswerLevel();
    }
    // The windows go (their unload handlers run) before the script engine that holds their engine objects.
    _ptEngineVUser->EndIteration();
}

bool KxwPlayVUser::PrepareStep(const KxwPlayStep& mrtStep, size_t mnRow, KxwPlayStep* mptPrepared,
                               std::string* mpdsReason) const {
    const KxwPlayData& rtData = *_tConfig._ptData;
    bool bPlaceholder = rtData.HasPlaceholder(mrtStep._dsText);
    for (const KxwPlayArg& rtArg : mrtStep._tArgs) bPlaceholder = bPlaceholder || rtData.HasPlaceholder(rtArg._dsValue);
    *mptPrepared = mrtStep;
    if (!bPlaceholder) return true;
    mptPrepared->_dsText = rtData.Substitute(mrtStep._dsText, mnRow);
    for (KxwPlayArg& rtArg : mptPrepared->_tArgs) rtArg._dsValue = rtData.Substitute(rtArg._dsValue, mnRow);
    // Values from the data are checked as if they had been written in the file.
    KxwPlayCheckContext tNothingDeferred;
    return xfbKxwPlayCheckStep(*mptPrepared, tNothingDeferred, mpdsReason) &&
           _tConfig._ptSteps->ResolveStepUrls(mptPrepared, nullptr, mpdsReason);
}

bool KxwPlayVUser::RunStep(const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    const KxwPlayVerb* ptVerb = mrtStep._ptVerb ? mrtStep._ptVerb : xfptKxwPlayFindVerb(mrtStep._dsVerb);
    if (!ptVerb || !ptVerb->_pfbRun) {
        *mpdsReason = "unknown verb \"" + mrtStep._dsVerb + "\"";
        return false;
    }
    return ptVerb->_pfbRun(*this, mrtStep, mpdsReason);
}

bool KxwPlayVUser::OpenAnswerLevel(std::string* mpdsReason) {
    KxwObjMgr* ptObjMgr = _ptEngineVUser->GetObjMgr();
    ptObjMgr->EnterRecursion();
    std::vector<KxwPlayStep> tAnswers;
    tAnswers.swap(_tPendingAnswers);
    for (const KxwPlayStep& rtAnswer : tAnswers) {
        std::string dsReason;
        if (xfbKxwPlayRegisterAnswer(*this, rtAnswer, &dsReason)) continue;
        *mpdsReason = "answer (line " + std::to_string(rtAnswer._uLine) + "): " + dsReason;
        return false;
    }
    return true;
}

void KxwPlayVUser::CloseAnswerLevel() {
    _ptEngineVUser->GetObjMgr()->ExitRecursion();
}

void KxwPlayVUser::EvaluateStepScript(const KxwPlayStep& mrtStep, const std::string& mdsScript,
                                      KxwPlayScriptResult* mptResult) {
    KxwEngineVUser* ptEngine = GetEngine();
    // The current window's page is the scope; the engine's own global before any page was loaded.
    EvaluateScriptIn(ptEngine ? ptEngine->GetCurrentWindow() : nullptr, mrtStep, mdsScript, mptResult);
}

void KxwPlayVUser::EvaluateScriptIn(KxwDomHtmlWindow* mptWindow, const KxwPlayStep& mrtStep,
                                    const std::string& mdsScript, KxwPlayScriptResult* mptResult) {
    *mptResult = KxwPlayScriptResult();
    KxwEngineVUser* ptEngine = GetEngine();
    if (!ptEngine) {
        mptResult->_dsError = mrtStep._dsVerb + ": the virtual user has no script engine";
        return;
    }
    KxwPlayStepNotifier tNotifier(*this);
    _ptOutput->EnterOwnEvaluation(ptEngine->GetScriptEngine()->GetEvaluationDepth() + 1);
    bool bOK;
    {
        KxwDomHtmlWindow* ptWindow = mptWindow;
        KxwJswGlobal* ptGlobal = ptWindow ? xfptKxwDomWindowGetGlobal(ptWindow) : nullptr;
        std::unique_ptr<KxwJswGlobal::RealmScope> ptRealm(ptGlobal ? new KxwJswGlobal::RealmScope(ptGlobal) : nullptr);
        KxwJsval tValue;
        bOK = ptEngine->GetHswApi()->EvaluateUtf8(tNotifier, nullptr, mdsScript.data(), mdsScript.size(),
                                                  _tConfig._ptSteps->GetScriptFileName().c_str(), mrtStep._uLine,
                                                  &tValue);
        if (bOK) {
            // ToBoolean runs no script.
            mptResult->_bTruthy = tValue.GetBoolean();
            mptResult->_bIsString = tValue.IsString();
            // String(value) may run the value's own toString: it runs as a script, under the same time limit.
            KxwJsval tText;
            bOK = ptEngine->GetHswApi()->CallFunctionByName(tNotifier, "String", nullptr, 1, &tValue, &tText);
            if (bOK) mptResult->_dsValue = tText.GetStringUtf8();
        }
    }
    _ptOutput->LeaveOwnEvaluation();
    if (tNotifier.WasInterrupted()) {
        mptResult->_eOutcome = KXW_PLAY_SCRIPT_STOPPED;
        mptResult->_dsError = "script stopped: it ran longer than " +
                              std::to_string(ptEngine->GetScriptEngine()->GetScriptTimeLimitMs()) + " ms";
        ReportScriptError(mptResult->_dsError, _tConfig._ptSteps->GetScriptFileName(), mrtStep._uLine);
    } else if (!bOK) {
        mptResult->_eOutcome = KXW_PLAY_SCRIPT_ERROR;
        mptResult->_dsError =
            tNotifier.GetError().empty() ? mrtStep._dsVerb + ": the script failed" : tNotifier.GetError();
    } else {
        mptResult->_eOutcome = KXW_PLAY_SCRIPT_OK;
    }
}

void KxwPlayVUser::OnEngineEvent(const char* mpszKind, const std::string& mdsText) {
    _ptOutput->Line(mpszKind, mdsText);
    // The library logs the alert too: the ALERT line says it once.
    if (std::strcmp(mpszKind, "ALERT") == 0) _ptOutput->ExpectEcho("Alert: " + mdsText);
}

void KxwPlayVUser::OnPageScriptError(const std::string& mdsMessage, const std::string& mdsFile, unsigned muLine) {
    // The library reports the same error as a message: the ERROR line says it once.
    ReportScriptError(mdsMessage, mdsFile, muLine);
}

void KxwPlayVUser::OnPageScriptRuns(bool) {
    // The library runs the page's scripts and reports their errors and stops as messages: they are written as
    // ERROR lines when they come (KxwPlayOutput::TakeScriptError).
}

void KxwPlayVUser::ReportScriptError(const std::string& mdsMessage, const std::string& mdsFile, unsigned muLine) {
    ReportScriptErrorText(mdsMessage + " (" + mdsFile + ", line " + std::to_string(muLine) + ")");
}

void KxwPlayVUser::ReportScriptErrorText(const std::string& mdsText) {
    _ptOutput->Line("ERROR", mdsText);
    if (_iStepScriptErrors++ == 0) _dsFirstScriptError = mdsText;
}

double KxwPlayVUser::GetVirtualClockMs() const {
    // Only what the virtual user waited moves its clock, never the machine's speed: a replay is the same each time.
    return _dfVirtualOffsetMs;
}

double KxwPlayVUser::ReadVirtualClock(void*) {
    if (const KxwPlayVUser* ptVUser = gptClockVUser) return ptVUser->GetVirtualClockMs();
    if (const double* pdfClockMs = gpdfThreadClockMs) return *pdfClockMs;
    return RealMsSinceRunStart();
}

KxwPlayVUser::ThreadClockBinding::ThreadClockBinding(const double* mpdfClockMs) : _pdfPrevious(gpdfThreadClockMs) {
    gpdfThreadClockMs = mpdfClockMs;
}

KxwPlayVUser::ThreadClockBinding::~ThreadClockBinding() {
    gpdfThreadClockMs = _pdfPrevious;
}

void KxwPlayVUser::InstallVirtualClock() {
    gtRunStart.store(SteadyClock::now().time_since_epoch().count());
    xfvQmtUtilsSetClock(&KxwPlayVUser::ReadVirtualClock, nullptr);
}

void KxwPlayVUser::UninstallVirtualClock() {
    xfvQmtUtilsSetClock(nullptr, nullptr);
}

void KxwPlayVUser::NoteRandomPick() {
    if (_tConfig._bSeedGiven || _bSeedLogged) return;
    _bSeedLogged = true;
    _ptOutput->Line("SEED", std::to_string(_tConfig._uSeed) + " (random ordinals follow it; --seed " +
                                std::to_string(_tConfig._uSeed) + " repeats them)");
}
