#include "KxwEngineVUser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "KxwEngineFolders.h"
#include "KxwEngineFormRequest.h"
#include "KxwEnginePageSource.h"
#include "KxwEngineParser.h"
#include "KxwU16nHandler.h"
#include "KxwUtilEscape.h"
#include "KxwUtilReport.h"
#include "KxwXmlDom.h"
#include "kxw/KxwDomBrowsing.h"
#include "kxw/KxwDomCommand.h"
#include "kxw/KxwDomDialogs.h"
#include "kxw/KxwDomEmbedded.h"
#include "kxw/KxwDomEvents.h"
#include "kxw/KxwDomForms.h"
#include "kxw/KxwDomHtmlBuild.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwJswGlobal.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

thread_local KxwEngineVUser* gtptCurrent = nullptr;

// Scripts that write scripts that write: a page may not nest builders without end.
constexpr size_t knMaxNestedBuilders = 64;
// Modal dialogs opened from a modal dialog's page, each loaded while the one below waits.
constexpr size_t knMaxNestedModalDialogs = 4;
// Loads one step may cause, frames and pop-ups included: a page that reloads itself for ever ends the step.
constexpr unsigned long kulMaxLoadsPerSettle = 2000;

// A builder at work, listed while it runs.
class ActiveBuilder {
public:
    ActiveBuilder(std::vector<KxwEngineParser*>& mrtActive, KxwEngineParser& mrtBuilder) : _rtActive(mrtActive) {
        _rtActive.push_back(&mrtBuilder);
    }
    ~ActiveBuilder() { _rtActive.pop_back(); }
    ActiveBuilder(const ActiveBuilder&) = delete;
    ActiveBuilder& operator=(const ActiveBuilder&) = delete;

private:
    std::vector<KxwEngineParser*>& _rtActive;
};

// A text response is shown as the browser shows it: its text, as it is, in a PRE element of a page.
std::string TextAsPage(const std::string& mdsText) {
    return "<html><body><pre>" + xfdsKxwUtilHtmlEscaped(mdsText.data(), mdsText.size()) + "</pre></body></html>";
}

int DomContentTypeOf(KXW_ENGINE_CONTENT_CLASS_ENUM meClass) {
    switch (meClass) {
        case KXW_ENGINE_CONTENT_CLASS_XML:
            return KXW_DOM_CONTENT_TYPE_XML;
        case KXW_ENGINE_CONTENT_CLASS_NO_CONTEXT:
            return KXW_DOM_CONTENT_TYPE_NO_CONTEXT;
        default:
            return static_cast<int>(meClass);
    }
}

bool StartsWithNoCase(const std::string& mdsText, const char* mpszPrefix) {
    size_t nLen = std::strlen(mpszPrefix);
    if (mdsText.size() < nLen) return false;
    for (size_t n = 0; n < nLen; ++n) {
        char c = mdsText[n];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != mpszPrefix[n]) return false;
    }
    return true;
}

// Takes the fragment ("#..." to the end) off a URL and gives it.
std::string CutFragment(std::string* mpdsUrl) {
    size_t nHash = mpdsUrl->find('#');
    if (nHash == std::string::npos) return std::string();
    std::string dsFragment = mpdsUrl->substr(nHash);
    mpdsUrl->resize(nHash);
    return dsFragment;
}

const char* NotificationName(int miType) {
    static const char* const kapszNames[] = {"location change",
                                             "node added",
                                             "node removed",
                                             "window opened",
                                             "window open on an existing window",
                                             "window closed",
                                             "alert",
                                             "HTML text",
                                             "form submit",
                                             "image in a link clicked",
                                             "link click",
                                             "window reset",
                                             "document destroyed",
                                             "cookie read",
                                             "cookie write",
                                             "image source",
                                             "XML source",
                                             "frame source",
                                             "inner HTML",
                                             "deleting descendants",
                                             "image input source",
                                             "POST issued",
                                             "history POST gone",
                                             "alert string",
                                             "id change",
                                             "name change",
                                             "start download",
                                             "add behaviour",
                                             "namespace import",
                                             "anchor href set",
                                             "anchor href cleared",
                                             "style-sheet link",
                                             "snapshot reset",
                                             "script source",
                                             "applet download",
                                             "modal dialog",
                                             "user data released",
                                             "dialog answered",
                                             "XML style sheet"};
    return miType >= 0 && miType < static_cast<int>(sizeof kapszNames / sizeof *kapszNames) ? kapszNames[miType]
                                                                                            : "unknown";
}

}  // namespace

// The engine of the calling thread while it lives, and its timer service.
class KxwEngineVUser::Binding {
public:
    static void Bind(KxwEngineVUser* mptEngine) {
        gtptCurrent = mptEngine;
        KxwEngineTimerService::BindToThread(mptEngine ? &mptEngine->_tTimers : nullptr);
        xfvKxwXmlDomSetUrlLoader(mptEngine ? &KxwEngineVUser::LoadXmlForScript : nullptr, mptEngine);
    }
};

KxwEngineVUser* KxwEngineVUser::GetCurrent() {
    return gtptCurrent;
}

KxwEngineVUser::KxwEngineVUser(KxwVUserVars& mrtVUserVars, KxwEngineNetwork mtNetwork, KxwEngineCookieJar* mptCookies,
                               KxwEngineListener* mptListener, KxwEngineTimerService::Clock mtClock,
                               std::function<void(double)> mtAdvanceClock)
    : _rtVUserVars(mrtVUserVars),
      _tNetwork(std::move(mtNetwork)),
      _tDownloadFilter(mrtVUserVars.GetRTS().GetDownloadHosts()),
      _ptCookies(mptCookies),
      _ptListener(mptListener),
      _tTimers(std::move(mtClock)),
      _tAdvanceClock(std::move(mtAdvanceClock)) {
    Binding::Bind(this);
    _ptObjMgr = std::make_unique<KxwObjMgr>(&_rtVUserVars);
    _ptObjMgr->SetNotificationCallback(&KxwEngineVUser::OnNotification);
}

KxwEngineVUser::~KxwEngineVUser() {
    EndIteration();
    // The script engine outlives the iterations; it ends with the virtual user, before the object manager.
    _ptHswApi.reset();
    delete _ptKeptScriptEngine;
    _ptKeptScriptEngine = nullptr;
    // The object manager goes last: what the script engine still owned went back to its memory.
    _ptObjMgr->Cleanup();
    _ptObjMgr.reset();
    if (gtptCurrent == this) Binding::Bind(nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// Iterations and steps

bool KxwEngineVUser::BeginIteration(uint32_t muScriptTimeLimitMs, std::string* mpdsError) {
    EndIteration();
    Binding::Bind(this);
    // One script engine serves every iteration of the virtual user: what an iteration made goes at its end (its
    // windows, then every engine object they left), and the engine's own start-up (built-in objects, compiled
    // stubs) is paid once.
    if (!_ptKeptScriptEngine) {
        KxwJswEngineOptions tOptions;
        tOptions._uScriptTimeLimitMs = muScriptTimeLimitMs;
        _ptKeptScriptEngine = KxwJswEngine::Create(tOptions);
        if (!_ptKeptScriptEngine) {
            if (mpdsError) *mpdsError = "the script engine could not be made";
            return false;
        }
        _ptHswApi = std::make_unique<KxwHswApi>(_ptKeptScriptEngine);
    }
    _ptKeptScriptEngine->SetScriptTimeLimitMs(muScriptTimeLimitMs);
    _ptScriptEngine = _ptKeptScriptEngine;
    _rtVUserVars.SetHswApi(_ptHswApi.get());
    _ulLoads = 0;
    // Each iteration's snapshots are in a folder of their own: no file of an earlier one is pointed to.
    _tResourceCache.clear();
    return true;
}

void KxwEngineVUser::EndIteration() {
    if (!_ptScriptEngine) return;
    // The windows go while their script engine lives: their unload handlers run, their loads are dropped.
    DropParses();
    _ptObjMgr->IterationReset(true);
    for (std::unique_ptr<Load>& rptLoad : _tPending) _ptObjMgr->ReturnDomCommandForReuse(rptLoad->_ptCommand);
    _tPending.clear();
    for (std::unique_ptr<Load>& rptLoad : _tHeld) _ptObjMgr->ReturnDomCommandForReuse(rptLoad->_ptCommand);
    _tHeld.clear();
    _tTimers.Clear();
    _tPostBodies.clear();
    _ptCurrentWindow = nullptr;
    _rtVUserVars.SetHswApi(nullptr);
    // Nothing of the iteration's pages stays for the next: a full collection, then what the engine still holds
    // is cut from it, as the engine's end would.
    _ptScriptEngine->ReleaseUserObjects();
    _ptScriptEngine = nullptr;
}

void KxwEngineVUser::OnStepStart() {
    _rtVUserVars.SetProcessAllItemsEnded(false);
    _rtVUserVars.SetErrorFlag(false);
    _ptObjMgr->OnStepStart();
    _ptObjMgr->MarkSnapshotNonErrorActiveForStep(AreSnapshotsWritten());
}

bool KxwEngineVUser::AreSnapshotsWritten() const {
    return !_rtVUserVars.GetResultDir().empty();
}

std::string KxwEngineVUser::WriteStepSnapshots(bool mbStepFailed) {
    if (!AreSnapshotsWritten() || !_ptScriptEngine) return std::string();
    KxwDomHtmlWindow* ptTop = GetCurrentWindow();
    if (ptTop) ptTop = xfptKxwDomWindowGetTop(ptTop);
    if (!ptTop) return std::string();
    std::string dsIterationDir =
        _rtVUserVars.GetResultDir() + "/Iteration" + std::to_string(_rtVUserVars.GetIterationNumber());
    std::string dsError;
    std::string dsFolder = mbStepFailed ? dsIterationDir + "/OnError" : dsIterationDir;
    if (!xfbKxwEngineMakeFolders(dsFolder, &dsError)) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_SNAPSHOT_ERROR, "Potential Error: %s; no snapshot is written",
                                 dsError.c_str());
        return std::string();
    }
    // Each snapshot takes the next number (an alert's page may have taken one since the last).
    _rtVUserVars.SetSnapshotNumber(_rtVUserVars.GetSnapshotNumber() + 1);
    if (!mbStepFailed) {
        _ptObjMgr->CreateSnapshotsIfNeeded(ptTop);
        return _ptObjMgr->GetLastSnapshotPagePath();
    }
    _rtVUserVars.SetErrorFlag(true);
    _ptObjMgr->MarkSnapshotNonErrorActiveForStep(false);
    _ptObjMgr->CreateSnapshotsIfNeeded(ptTop);
    _ptObjMgr->FlushSnapshotOnError(dsFolder.c_str());
    return _ptObjMgr->GetLastSnapshotPagePath();
}

void KxwEngineVUser::OnStepEnd() {
    Settle();
    // The step's own items are done: what its pages' timers do now is the step's end, played out.
    _rtVUserVars.SetProcessAllItemsEnded(true);
    PlayOutTimers();
    _ptObjMgr->ScriptComplete();
    _ptObjMgr->OnStepEnd();
    if (_ptScriptEngine) _ptScriptEngine->DeletePendingUserObjs();
}

// ---------------------------------------------------------------------------------------------------------------
// What a step does

bool KxwEngineVUser::Navigate(const std::string& mdsUrl, const std::string* mpdsPostBody, std::string* mpdsReason) {
    if (!_ptScriptEngine) {
        *mpdsReason = "the virtual user has no script engine";
        return false;
    }
    KxwDomHtmlWindow* ptWindow = GetCurrentWindow();
    if (ptWindow) ptWindow = xfptKxwDomWindowGetTop(ptWindow);
    if (!ptWindow) {
        ptWindow = xfptKxwObjMgrNewTopWindow(_ptObjMgr.get());
        // The first window has the focus from the start, without an event: a later switch blurs it.
        if (ptWindow && !_ptObjMgr->GetFocusWindow()) _ptObjMgr->SetFocusWindow(ptWindow, false);
    }
    if (!ptWindow) {
        *mpdsReason = "no window could be made";
        return false;
    }
    _ptCurrentWindow = ptWindow;
    KxwDomCommand* ptCommand = _ptObjMgr->ObtainDomCommand();
    if (!ptCommand || !ptCommand->PrepareCommandReplaceWindow(ptWindow, true)) {
        if (ptCommand) _ptObjMgr->ReturnDomCommandForReuse(ptCommand);
        *mpdsReason = "the navigation could not be prepared";
        return false;
    }
    auto ptLoad = std::make_unique<Load>();
    ptLoad->_ptCommand = ptCommand;
    ptLoad->_tRequest = NewRequest(mdsUrl, std::string());
    if (mpdsPostBody) {
        ptLoad->_tRequest._dsMethod = "POST";
        ptLoad->_tRequest._dsBody = *mpdsPostBody;
    }
    ptLoad->_bStepNavigation = true;
    _dsStepLoadError.clear();
    Enqueue(std::move(ptLoad));
    Settle();
    if (_dsStepLoadError.empty()) return true;
    *mpdsReason = _dsStepLoadError;
    return false;
}

void KxwEngineVUser::Settle(unsigned muMaxTimers) {
    if (_bSettling) return;  // a load's own scripts asked: the outer loop goes on with the queue
    _bSettling = true;
    unsigned long ulStarted = 0;
    unsigned uTimers = 0;
    for (;;) {
        EndOfTask();
        if (!_tPending.empty()) {
            if (++ulStarted > kulMaxLoadsPerSettle) {
                xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                         "More than %lu loads without a pause: the %zu loads still pending are "
                                         "dropped (does a page reload itself without end?)",
                                         kulMaxLoadsPerSettle, _tPending.size());
                for (std::unique_ptr<Load>& rptLoad : _tPending) {
                    rptLoad->_ptCommand->OnTaskAborted();
                    _ptObjMgr->ReturnDomCommandForReuse(rptLoad->_ptCommand);
                }
                _tPending.clear();
                continue;
            }
            std::unique_ptr<Load> ptLoad = std::move(_tPending.front());
            _tPending.pop_front();
            Start(std::move(ptLoad));
            continue;
        }
        if (ResumeStalledParses()) continue;
        if (uTimers >= muMaxTimers || _tTimers.RunDue(1) == 0) break;
        ++uTimers;
    }
    EndOfTask();
    _bSettling = false;
}

void KxwEngineVUser::Wait(double mdfMs, unsigned muMaxTimers) {
    Settle();
    // Timers the step's scripts asked for count from now on.
    _ptObjMgr->ScriptComplete();
    double dfEnd = _tTimers.Now() + mdfMs;
    unsigned uRuns = 0;
    double dfDue = 0;
    while (uRuns < muMaxTimers && _tTimers.GetNextDue(&dfDue) && dfDue <= dfEnd) {
        double dfNow = _tTimers.Now();
        if (dfDue > dfNow && _tAdvanceClock) _tAdvanceClock(dfDue - dfNow);
        uRuns += _tTimers.RunDue(1);
        Settle(0);
        _ptObjMgr->ScriptComplete();
    }
    double dfNow = _tTimers.Now();
    if (dfEnd > dfNow && _tAdvanceClock) _tAdvanceClock(dfEnd - dfNow);
    Settle();
}

void KxwEngineVUser::PlayOutTimers(unsigned muMaxRuns) {
    if (!_ptScriptEngine || _bPlayingOut) return;
    _bPlayingOut = true;
    KxwObjMgr& rtObjMgr = *_ptObjMgr;
    bool bVirtual = rtObjMgr.GetUseVirtualTimerTimeout();
    // The step's limit, fixed by its first timer or now: nothing due later runs in this step, so an interval
    // that never stops, or a page that refreshes itself, ends with the step.
    uint32_t uLimit = rtObjMgr.ObtainTimeoutExpirationTimestampLimit(rtObjMgr.GetEffectiveTimestamp(nullptr), 0);
    for (unsigned uRuns = 0;; ++uRuns) {
        Settle(0);
        rtObjMgr.ScriptComplete();
        uint32_t uDue = rtObjMgr.GetNextTimeoutExpiration();
        if (uDue == 0xFFFFFFFFu || uDue > uLimit) break;
        if (uRuns >= muMaxRuns) {
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                     "%u timers ran at the end of the step: the timers still due wait for the next "
                                     "step",
                                     muMaxRuns);
            break;
        }
        if (!bVirtual) {
            // On the run clock the virtual user waits for the timer: the clock moves to its time.
            double dfNow = _tTimers.Now();
            if (uDue > dfNow && _tAdvanceClock) _tAdvanceClock(uDue - dfNow);
        }
        rtObjMgr.RunNextTimeout(bVirtual);
    }
    Settle(0);
    _bPlayingOut = false;
}

bool KxwEngineVUser::Evaluate(KxwDomHtmlWindow* mptWindow, KxwJswScriptEvaluationNotifier& mrtNotifier,
                              const std::string& mdsScript, const char* mpszFile, unsigned muLine,
                              KxwJsval* mptResult) {
    if (!_ptHswApi) return false;
    KxwJswGlobal* ptGlobal = mptWindow ? xfptKxwDomWindowGetGlobal(mptWindow) : nullptr;
    if (!ptGlobal)
        return _ptHswApi->EvaluateUtf8(mrtNotifier, nullptr, mdsScript.data(), mdsScript.size(), mpszFile, muLine,
                                       mptResult);
    KxwJswGlobal::RealmScope tRealm(ptGlobal);
    return _ptHswApi->EvaluateUtf8(mrtNotifier, nullptr, mdsScript.data(), mdsScript.size(), mpszFile, muLine,
                                   mptResult);
}

bool KxwEngineVUser::DumpHierarchy(const std::string& mdsTitle, unsigned long mulMask) {
    if (!_ptObjMgr->HasContext()) return false;
    _ptObjMgr->DebugPrintHierarchy(mdsTitle.c_str(), KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, mulMask);
    return true;
}

void KxwEngineVUser::SetCurrentWindow(KxwDomHtmlWindow* mptWindow) {
    _ptCurrentWindow = mptWindow;
    if (!mptWindow) return;
    _ptObjMgr->SetFocusWindow(mptWindow, true);
    // The handlers may have closed the window: the next step finds the one that is left.
    Settle();
}

KxwDomHtmlWindow* KxwEngineVUser::GetCurrentWindow() {
    if (_ptCurrentWindow && !xfbKxwObjMgrIsOpenWindow(_ptObjMgr.get(), _ptCurrentWindow)) _ptCurrentWindow = nullptr;
    if (!_ptCurrentWindow) _ptCurrentWindow = xfptKxwObjMgrGetTopWindow(_ptObjMgr.get(), 0);
    return _ptCurrentWindow;
}

// ---------------------------------------------------------------------------------------------------------------
// Held responses

std::string KxwEngineVUser::GetHeldUrl(size_t mnIndex) const {
    return mnIndex < _tHeld.size() ? _tHeld[mnIndex]->_tRequest._dsUrl : std::string();
}

bool KxwEngineVUser::DeliverHeld(size_t mnIndex) {
    if (mnIndex >= _tHeld.size()) return false;
    std::unique_ptr<Load> ptLoad = std::move(_tHeld[mnIndex]);
    _tHeld.erase(_tHeld.begin() + static_cast<long>(mnIndex));
    Deliver(ptLoad);
    Settle();
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// The load queue

bool KxwEngineVUser::LoadXmlForScript(void* mpvEngine, const std::string& mrdsUrl, std::string& mrdsBody,
                                      std::string& mrdsFailure) {
    auto* ptEngine = static_cast<KxwEngineVUser*>(mpvEngine);
    // The script waits for the document (an XML document's load is synchronous): it is fetched at once, by the
    // same rules as the page's other loads.
    std::string dsReferrer = ptEngine->_ptCurrentWindow ? xfdsKxwDomWindowGetHref(ptEngine->_ptCurrentWindow) : "";
    KxwEngineFetchRequest tRequest = ptEngine->NewRequest(mrdsUrl, dsReferrer);
    tRequest._nMaxBodyBytes = 16u * 1024 * 1024;
    KxwEngineFetchResponse tResponse;
    if (!ptEngine->_tDownloadFilter.Allows(tRequest._dsUrl)) {
        if (ptEngine->_ptListener)
            ptEngine->_ptListener->OnEngineEvent("LOAD", "SKIP " + xfdsKxwEngineEscapeForLog(tRequest._dsUrl));
        mrdsFailure = "The XML document's host is not among the download_hosts setting's";
        return false;
    }
    ++ptEngine->_ulLoads;
    if (!ptEngine->_tNetwork)
        xfbKxwEngineFetchFail(&tResponse, KXW_ENGINE_FETCH_BAD_REQUEST, tRequest._dsUrl,
                              "the virtual user has no network");
    else
        ptEngine->_tNetwork(tRequest, &tResponse);
    ptEngine->ReportRedirects(tResponse);
    if (!tResponse.IsOK()) {
        ptEngine->ReportSubresourceFailure(tResponse);
        mrdsFailure = tResponse._dsError;
        return false;
    }
    mrdsBody.swap(tResponse._dsBody);
    return true;
}

KxwEngineFetchRequest KxwEngineVUser::NewRequest(const std::string& mdsUrl, const std::string& mdsReferrer) const {
    KxwEngineFetchRequest tRequest;
    tRequest._dsUrl = mdsUrl;
    tRequest._dsReferrer = mdsReferrer;
    tRequest.ApplySettings(_rtVUserVars.GetRTS());
    return tRequest;
}

void KxwEngineVUser::Enqueue(std::unique_ptr<Load> mptLoad) {
    _tPending.push_back(std::move(mptLoad));
}

void KxwEngineVUser::QueueWindowLoad(KxwDomHtmlWindow* mptWindow, const std::string& mdsUrl, bool mbNoHistory,
                                     uint32_t muPostId, bool mbAnnounce, const PostBody* mptPost) {
    if (!mptWindow || mdsUrl.empty()) return;
    KxwDomCommand* ptCommand = _ptObjMgr->ObtainDomCommand();
    if (!ptCommand) return;
    if (!ptCommand->PrepareCommandReplaceWindow(mptWindow, !mbNoHistory)) {
        _ptObjMgr->ReturnDomCommandForReuse(ptCommand);
        return;
    }
    auto ptLoad = std::make_unique<Load>();
    ptLoad->_ptCommand = ptCommand;
    std::string dsReferrer = xfdsKxwDomWindowGetHref(mptWindow);
    ptLoad->_tRequest = NewRequest(mdsUrl, StartsWithNoCase(dsReferrer, "http") ? dsReferrer : std::string());
    if (!mptPost && muPostId >= KXW_POST_ID_FIRST_REAL) {
        auto it = _tPostBodies.find(muPostId);
        ptLoad->_tRequest._dsMethod = "POST";
        if (it != _tPostBodies.end()) mptPost = &it->second;
    }
    if (mptPost) mptPost->ApplyTo(ptLoad->_tRequest);
    ptLoad->_bAnnounce = mbAnnounce;
    Enqueue(std::move(ptLoad));
}

void KxwEngineVUser::QueueResource(KxwDomNodeBase* mptElement, const std::string& mdsSrc) {
    KxwDomHtmlDocument* ptDocument = xfptKxwDomHtmlBuildGetDocumentOfNode(mptElement);
    std::string dsUrl = xfdsKxwDomDocumentResolveUrl(ptDocument, mdsSrc.data(), mdsSrc.size());
    // Only what a network serves: data: and javascript: sources are not loads.
    if (!StartsWithNoCase(dsUrl, "http:") && !StartsWithNoCase(dsUrl, "https:") && !StartsWithNoCase(dsUrl, "file:"))
        return;
    KxwDomCommand* ptCommand = _ptObjMgr->ObtainDomCommand();
    if (!ptCommand) return;
    if (!ptCommand->PrepareCommandDownloadResource(mptElement)) {
        _ptObjMgr->ReturnDomCommandForReuse(ptCommand);
        return;
    }
    EnqueueElementLoad(kLoadResource, ptCommand, mptElement, dsUrl, ptDocument);
}

void KxwEngineVUser::EnqueueElementLoad(LoadKind meKind, KxwDomCommand* mptCommand, KxwDomNodeBase* mptElement,
                                        const std::string& mdsUrl, KxwDomHtmlDocument* mptDocument) {
    // A subresource (an image, a script source) of at most 16 MiB, asked for by its page.
    auto ptLoad = std::make_unique<Load>();
    ptLoad->_eKind = meKind;
    ptLoad->_ptCommand = mptCommand;
    ptLoad->_ptElement = mptElement;
    ptLoad->_tRequest = NewRequest(mdsUrl, xfdsKxwDomDocumentGetHref(mptDocument));
    ptLoad->_tRequest._nMaxBodyBytes = 16u * 1024 * 1024;
    Enqueue(std::move(ptLoad));
}

void KxwEngineVUser::Start(std::unique_ptr<Load> mptLoad) {
    KxwDomCommand* ptCommand = mptLoad->_ptCommand;
    if (ptCommand->WasTargetObjectForAbortDeleted()) {
        // The window or element went while the load waited: nothing to load into.
        _ptObjMgr->ReturnDomCommandForReuse(ptCommand);
        return;
    }
    if (AbortIfPageReplaced(*mptLoad)) return;
    KxwEngineFetchRequest& rtRequest = mptLoad->_tRequest;
    if (mptLoad->_eKind == kLoadWindow) {
        // A frame during a history navigation loads what it showed then.
        std::string dsUrl, dsMethod;
        if (ptCommand->HistoryOverridePerformed(dsUrl, dsMethod)) {
            rtRequest._dsUrl = dsUrl;
            rtRequest._dsMethod = dsMethod;
            auto it = _tPostBodies.find(ptCommand->GetPostId());
            bool bKnownPost = dsMethod == "POST" && it != _tPostBodies.end();
            rtRequest._dsBody = bKnownPost ? it->second._dsBody : std::string();
            rtRequest._dsBodyContentType = bKnownPost ? it->second._dsContentType : std::string();
        }
        if (StartsWithNoCase(rtRequest._dsUrl, "javascript:")) {
            // Nothing to fetch: the library runs the code in the window, and a string it gives is the new page.
            KxwDomHtmlWindow* ptWindow =
                ptCommand->ExecuteCommand(rtRequest._dsUrl.data(), static_cast<unsigned>(rtRequest._dsUrl.size()),
                                          nullptr, 0, nullptr, false, nullptr);
            if (ptWindow) xfbKxwDomWindowRunJavaScriptUrl(ptWindow, rtRequest._dsUrl.data(), rtRequest._dsUrl.size());
            if (!ptCommand->WasTargetObjectForAbortDeleted()) ptCommand->OnTaskDownloadComplete(true, "", 0);
            _ptObjMgr->ReturnDomCommandForReuse(ptCommand);
            return;
        }
        if (mptLoad->_bAnnounce && _ptListener)
            _ptListener->OnEngineEvent("NAVIGATE", xfdsKxwEngineEscapeForLog(rtRequest._dsUrl));
    }
    if (mptLoad->_eKind == kLoadScript && StartsWithNoCase(rtRequest._dsUrl, "javascript:")) {
        Deliver(mptLoad);
        return;
    }
    // A fragment is the page's, not the server's: it is not sent, and the page's address keeps it (after the
    // redirects too).
    std::string dsFragment = CutFragment(&rtRequest._dsUrl);
    if (mptLoad->_eKind != kLoadWindow && !_tDownloadFilter.Allows(rtRequest._dsUrl)) {
        // Not asked for: the element hears of a load that failed, so that the page goes on without it.
        if (_ptListener) _ptListener->OnEngineEvent("LOAD", "SKIP " + xfdsKxwEngineEscapeForLog(rtRequest._dsUrl));
        xfbKxwEngineFetchFail(&mptLoad->_tResponse, KXW_ENGINE_FETCH_FILTERED, rtRequest._dsUrl,
                              "its host is not among the download_hosts setting's");
    } else if (!mptLoad->_bSharedResponse) {
        ++_ulLoads;
        if (!_tNetwork) {
            xfbKxwEngineFetchFail(&mptLoad->_tResponse, KXW_ENGINE_FETCH_BAD_REQUEST, rtRequest._dsUrl,
                                  "the virtual user has no network");
        } else {
            _tNetwork(rtRequest, &mptLoad->_tResponse);
        }
        if (mptLoad->_eKind == kLoadResource)
            ShareResourceResponse(*mptLoad, xfptKxwDomHtmlBuildGetDocumentOfNode(mptLoad->_ptElement));
    }
    std::string& rdsFinalUrl = mptLoad->_tResponse._dsFinalUrl;
    if (!dsFragment.empty() && !rdsFinalUrl.empty() && rdsFinalUrl.find('#') == std::string::npos)
        rdsFinalUrl += dsFragment;
    rtRequest._dsUrl += dsFragment;
    if (_bHoldResponses) {
        _tHeld.push_back(std::move(mptLoad));
        return;
    }
    Deliver(mptLoad);
}

bool KxwEngineVUser::AbortIfPageReplaced(Load& mrtLoad) {
    // document.open() or a reparse emptied the page that asked for this subresource: as the browser stops the
    // old page's loads, the element hears of an abort (no load event) and the hold on the window goes.
    if (mrtLoad._eKind != kLoadResource || !mrtLoad._ptCommand->WasTargetPageReplaced()) return false;
    mrtLoad._ptCommand->OnTaskAborted();
    _ptObjMgr->ReturnDomCommandForReuse(mrtLoad._ptCommand);
    return true;
}

void KxwEngineVUser::ShareResourceResponse(Load& mrtFetched, KxwDomHtmlDocument* mptDocument) {
    // Images of one address that a page asks for while the first is on its way are one request, as in the
    // browser: the others wait for its response. Each element still hears of its own load or failure.
    if (!mptDocument) return;
    // No request was made for the others: no redirect of their own, and the body is not copied to them.
    KxwEngineFetchResponse& rtResponse = mrtFetched._tResponse;
    std::string dsBody = std::move(rtResponse._dsBody);
    std::vector<KxwEngineFetchHop> tRedirects = std::move(rtResponse._tRedirects);
    rtResponse._dsBody.clear();
    rtResponse._tRedirects.clear();
    for (std::unique_ptr<Load>& rptLoad : _tPending) {
        Load& rtLoad = *rptLoad;
        // A load whose body the library reads (an applet's archive) makes its own request.
        if (rtLoad._eKind != kLoadResource || rtLoad._bSharedResponse ||
            rtLoad._ptCommand->IsAccumulateResponseBodyRequired() ||
            rtLoad._tRequest._dsMethod != mrtFetched._tRequest._dsMethod ||
            rtLoad._ptCommand->WasTargetObjectForAbortDeleted())
            continue;
        const std::string& rdsUrl = rtLoad._tRequest._dsUrl;
        size_t nHash = rdsUrl.find('#');
        if (rdsUrl.compare(0, nHash, mrtFetched._tRequest._dsUrl) != 0 ||
            xfptKxwDomHtmlBuildGetDocumentOfNode(rtLoad._ptElement) != mptDocument)
            continue;
        rtLoad._tResponse = rtResponse;
        rtLoad._bSharedResponse = true;
    }
    rtResponse._dsBody = std::move(dsBody);
    rtResponse._tRedirects = std::move(tRedirects);
}

void KxwEngineVUser::Deliver(std::unique_ptr<Load>& mrptLoad) {
    Load& rtLoad = *mrptLoad;
    KxwDomCommand* ptCommand = rtLoad._ptCommand;
    if (ptCommand->WasTargetObjectForAbortDeleted()) {
        _ptObjMgr->ReturnDomCommandForReuse(ptCommand);
        return;
    }
    if (AbortIfPageReplaced(rtLoad)) return;
    ReportRedirects(rtLoad._tResponse);
    switch (rtLoad._eKind) {
        case kLoadWindow:
            if (DeliverWindow(mrptLoad)) return;  // the page waits for a script: its parse keeps the load
            break;
        case kLoadScript:
            DeliverScript(rtLoad);
            break;
        default:
            DeliverResource(rtLoad);
            break;
    }
    _ptObjMgr->ReturnDomCommandForReuse(ptCommand);
}

void KxwEngineVUser::ReportRedirects(const KxwEngineFetchResponse& mrtResponse) {
    if (!_ptListener) return;
    for (const KxwEngineFetchHop& rtHop : mrtResponse._tRedirects)
        _ptListener->OnEngineEvent("REDIRECT", std::to_string(rtHop._iStatus) + " " +
                                                   xfdsKxwEngineEscapeForLog(rtHop._dsFromUrl) + " -> " +
                                                   xfdsKxwEngineEscapeForLog(rtHop._dsToUrl));
}

void KxwEngineVUser::ReportSubresourceFailure(const KxwEngineFetchResponse& mrtResponse) {
    // A load the filter skipped was reported when it was skipped.
    if (_ptListener && mrtResponse._eError != KXW_ENGINE_FETCH_FILTERED)
        _ptListener->OnEngineEvent("LOAD", "FAIL " + mrtResponse._dsError);
}

void KxwEngineVUser::Fail(KxwDomCommand* mptCommand, const std::string& mdsMessage) {
    char* pszMessage = strdup(mdsMessage.c_str());
    mptCommand->OnTaskDownloadFailed(KXW_WTL_SEV_LVL_ENUM_WARNING, pszMessage, 0);
    free(pszMessage);  // null when the command took it
}

bool KxwEngineVUser::DeliverWindow(std::unique_ptr<Load>& mrptLoad) {
    Load& mrtLoad = *mrptLoad;
    KxwDomCommand* ptCommand = mrtLoad._ptCommand;
    KxwEngineFetchResponse& rtResponse = mrtLoad._tResponse;
    const std::string& rdsUrl = rtResponse._dsFinalUrl.empty() ? mrtLoad._tRequest._dsUrl : rtResponse._dsFinalUrl;
    if (rtResponse.IsOK()) ptCommand->SetContentType(DomContentTypeOf(rtResponse._eContentClass));
    // The page's charset: a byte-order mark, the header, a META among the first bytes.
    KxwEnginePageSource tSource;
    tSource._dsUrl = rdsUrl;
    tSource._dsBytes.swap(rtResponse._dsBody);
    bool bText = rtResponse._eContentClass == KXW_ENGINE_CONTENT_CLASS_XML ||
                 rtResponse._eContentClass == KXW_ENGINE_CONTENT_CLASS_TEXT;
    if (rtResponse.IsOK() && rtResponse._eContentClass != KXW_ENGINE_CONTENT_CLASS_NO_CONTEXT) {
        xfvKxwEngineSniffCharset(&tSource, rtResponse._dsCharset);
        if (bText && tSource._dsCharsetSource == "meta") tSource._dsCharset.clear();
        if (!tSource._dsCharset.empty()) ptCommand->SetAssociatedDocumentResponseCharset(tSource._dsCharset.c_str());
    }
    KxwPostNotificationInfo tPostInfo;
    tPostInfo._psfUrl = rdsUrl.data();
    tPostInfo._nUrlLen = rdsUrl.size();
    bool bPost = mrtLoad._tRequest._dsMethod == "POST";
    _ptExecutingPost = bPost ? &mrtLoad._tRequest : nullptr;
    const std::string& rdsReferrer = mrtLoad._tRequest._dsReferrer;
    // A page that failed replaces the window all the same (a frame's parent must hear that it ended).
    KxwDomHtmlWindow* ptWindow = ptCommand->ExecuteCommand(
        rdsUrl.data(), static_cast<unsigned>(rdsUrl.size()), rdsReferrer.data(),
        static_cast<unsigned>(rdsReferrer.size()), bPost ? &tPostInfo : nullptr, true, nullptr);
    _ptExecutingPost = nullptr;
    if (mrtLoad._bStepNavigation && ptWindow) _ptCurrentWindow = ptWindow;
    for (size_t n = 0; n < rtResponse._tRedirects.size(); ++n) ptCommand->OnTaskRedirection(nullptr);
    ptCommand->OnTaskStartDownload();
    if (!rtResponse.IsOK()) {
        if (mrtLoad._bStepNavigation)
            _dsStepLoadError = rtResponse._dsError;
        else if (_ptListener)
            _ptListener->OnEngineEvent("LOAD", "FAIL " + rtResponse._dsError);
        Fail(ptCommand, rtResponse._dsError);
        return false;
    }
    if (!ptWindow || ptCommand->GetType() == KXW_DOM_COMMAND_TYPE_NO_SPECIAL_ACTION) {
        // A download, or a window that closed: the page stays as it was.
        ptCommand->OnTaskDownloadComplete(true, "", 0);
        return false;
    }
    KxwDomHtmlDocument* ptDocument = ptCommand->GetDocument();
    if (!ptDocument) {
        ptCommand->OnTaskAborted();
        return false;
    }
    if (AreSnapshotsWritten())
        ptCommand->OnTaskInitSnapshot(rdsUrl.data(), static_cast<unsigned>(rdsUrl.size()),
                                      rtResponse._dsMediaType.c_str(), !rtResponse._tRedirects.empty(), true, nullptr,
                                      tSource._dsBytes.data(),
                                      static_cast<unsigned>(std::min<size_t>(tSource._dsBytes.size(), 0xFFFFFFFFu)));
    if (rtResponse._eContentClass == KXW_ENGINE_CONTENT_CLASS_XML &&
        xfbKxwDomDocumentSetDownloadedXml(ptDocument, tSource._dsBytes.data(), tSource._dsBytes.size())) {
        // An XML page with a style sheet shows what the style sheet makes of it (its style sheet was loaded
        // during the call above); without one it shows as text.
        std::string dsPage =
            ptCommand->WasTargetObjectForAbortDeleted() ? std::string() : xfdsKxwDomDocumentTakeXmlPage(ptDocument);
        if (!dsPage.empty()) {
            tSource._dsBytes.swap(dsPage);
            ptCommand->SetAssociatedDocumentResponseCharset("utf-8");
            bText = false;
        }
    }
    if (ptCommand->WasTargetObjectForAbortDeleted()) {
        ptCommand->OnTaskAborted();
        return false;
    }
    if (bText) tSource._dsBytes = TextAsPage(tSource._dsBytes);
    ptCommand->OnTaskResponseBodyBuffer(tSource._dsBytes.data(),
                                        static_cast<unsigned>(std::min<size_t>(tSource._dsBytes.size(), 0xFFFFFFFFu)));
    ptCommand->OnTaskStartHtmlParsing();
    return BeginParse(mrptLoad, ptDocument, tSource._dsBytes.data(), tSource._dsBytes.size());
}

void KxwEngineVUser::DeliverResource(Load& mrtLoad) {
    KxwDomCommand* ptCommand = mrtLoad._ptCommand;
    const std::string& rdsUrl = mrtLoad._tRequest._dsUrl;
    ptCommand->ExecuteCommand(rdsUrl.data(), static_cast<unsigned>(rdsUrl.size()), nullptr, 0, nullptr, false, nullptr);
    ptCommand->OnTaskStartDownload();
    const KxwEngineFetchResponse& rtResponse = mrtLoad._tResponse;
    if (rtResponse.IsOK()) {
        // A response shared with an earlier load of the same page and URL is that load's: it was saved then.
        if (AreSnapshotsWritten() && !mrtLoad._bSharedResponse && !ptCommand->WasTargetObjectForAbortDeleted()) {
            cached_info& rtCached = _tResourceCache[rdsUrl];
            rtCached._dsUrl = rdsUrl;
            rtCached._dsContentType = rtResponse._dsMediaType;
            ptCommand->OnTaskInitSnapshot(
                rdsUrl.data(), static_cast<unsigned>(rdsUrl.size()), rtResponse._dsMediaType.c_str(),
                !rtResponse._tRedirects.empty(), true, &rtCached, rtResponse._dsBody.data(),
                static_cast<unsigned>(std::min<size_t>(rtResponse._dsBody.size(), 0xFFFFFFFFu)));
        }
        // What the library reads itself (an applet's archive) it gets whole.
        if (ptCommand->IsAccumulateResponseBodyRequired())
            ptCommand->OnTaskResponseBodyBuffer(
                rtResponse._dsBody.data(),
                static_cast<unsigned>(std::min<size_t>(rtResponse._dsBody.size(), 0xFFFFFFFFu)));
        ptCommand->OnTaskDownloadComplete(false, "", 0);
        return;
    }
    ReportSubresourceFailure(mrtLoad._tResponse);
    Fail(ptCommand, mrtLoad._tResponse._dsError);
}

// ---------------------------------------------------------------------------------------------------------------
// Parsing and the page's scripts

bool KxwEngineVUser::BeginParse(std::unique_ptr<Load>& mrptLoad, KxwDomHtmlDocument* mptDocument, const char* mpsfBytes,
                                size_t mnLen) {
    auto ptParse = std::make_unique<PageParse>();
    ptParse->_ptDocument = mptDocument;
    ptParse->_ptParser = std::make_unique<KxwEngineParser>(mptDocument, KxwEngineParser::kCommandDocument);
    KxwEngineParser& rtParser = *ptParse->_ptParser;
    rtParser.SetScriptRunner([this](KxwEngineParser& mrtBuilder, KxwDomNodeBase* mptScript, bool mbEndTagSeen) {
        OnParsedScript(mrtBuilder, mptScript, mbEndTagSeen, true);
    });
    rtParser.SetResourceRequester(
        [this](KxwDomNodeBase* mptElement, const std::string& mdsSrc) { QueueResource(mptElement, mdsSrc); });
    ptParse->_ptLoad = std::move(mrptLoad);
    {
        ActiveBuilder tActive(_tActive, rtParser);
        rtParser.Feed(mpsfBytes, mnLen);
        rtParser.EndOfInput();
    }
    if (!rtParser.IsPageEnded() && !ptParse->_ptLoad->_ptCommand->WasTargetObjectForAbortDeleted()) {
        _tParses.push_back(std::move(ptParse));
        return true;
    }
    if (!rtParser.IsPageEnded()) rtParser.Abandon();  // a script of the page closed its window
    EndParse(*ptParse);
    mrptLoad = std::move(ptParse->_ptLoad);
    return false;
}

void KxwEngineVUser::EndParse(PageParse& mrtParse) {
    _nLastElements = mrtParse._ptParser->GetElementCount();
    KxwDomCommand* ptCommand = mrtParse._ptLoad ? mrtParse._ptLoad->_ptCommand : nullptr;
    if (!ptCommand || ptCommand->WasTargetObjectForAbortDeleted()) return;
    ptCommand->OnTaskEndHtmlParsing();
    if (!ptCommand->WasTargetObjectForAbortDeleted()) ptCommand->OnTaskDownloadComplete(false, "", 0);
}

void KxwEngineVUser::ContinueParse(KxwDomHtmlDocument* mptDocument) {
    for (size_t n = 0; n < _tParses.size(); ++n) {
        PageParse& rtParse = *_tParses[n];
        KxwDomCommand* ptCommand = rtParse._ptLoad->_ptCommand;
        bool bGone = ptCommand->WasTargetObjectForAbortDeleted();
        if (!bGone && rtParse._ptDocument != mptDocument) continue;
        if (!bGone && rtParse._ptParser->IsPaused()) {
            ActiveBuilder tActive(_tActive, *rtParse._ptParser);
            // What the scripts write goes where the waiting script stands.
            rtParse._ptParser->EnterScript();
            if (_ptListener) _ptListener->OnPageScriptRuns(true);
            xfvKxwDomHtmlBuildEvaluatePendingScriptSrc(mptDocument);
            if (_ptListener) _ptListener->OnPageScriptRuns(false);
            bGone = ptCommand->WasTargetObjectForAbortDeleted();
            // A script that still waits for its source (or one before it) keeps the page waiting; otherwise the
            // page goes on from where the script stood.
            if (!bGone && xfulKxwDomHtmlBuildGetPendingScriptSrcCount(mptDocument) != 0) rtParse._ptParser->Pause();
            if (!bGone) rtParse._ptParser->LeaveScript();
            bGone = bGone || ptCommand->WasTargetObjectForAbortDeleted();
            if (!bGone && !rtParse._ptParser->IsPaused()) {
                rtParse._ptParser->Resume();
                bGone = ptCommand->WasTargetObjectForAbortDeleted();
            }
        }
        if (!bGone && !rtParse._ptParser->IsPageEnded()) return;  // it waits for the next script
        // The page ended (or its window went): the parse ends with its command. A script of the page may have
        // started another parse meanwhile, so the list is searched again.
        auto it = std::find_if(_tParses.begin(), _tParses.end(), [&](const std::unique_ptr<PageParse>& mrptParse) {
            return mrptParse.get() == &rtParse;
        });
        if (it == _tParses.end()) return;
        std::unique_ptr<PageParse> ptParse = std::move(*it);
        _tParses.erase(it);
        if (bGone) ptParse->_ptParser->Abandon();
        EndParse(*ptParse);
        _ptObjMgr->ReturnDomCommandForReuse(ptParse->_ptLoad->_ptCommand);
        return;
    }
}

bool KxwEngineVUser::ResumeStalledParses() {
    if (_tParses.empty() || !_tPending.empty() || !_tHeld.empty()) return false;
    // No load is left that could bring what they wait for: they go on without it, as at the end of a response.
    KxwDomHtmlDocument* ptDocument = _tParses.front()->_ptDocument;
    if (!_tParses.front()->_ptLoad->_ptCommand->WasTargetObjectForAbortDeleted()) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                 "The page %.2000s waited for a script that no load brings; it is built on without it",
                                 xfdsKxwEngineEscapeForLog(xfdsKxwDomDocumentGetHref(ptDocument)).c_str());
        _tParses.front()->_ptParser->Resume();
    }
    ContinueParse(ptDocument);
    return true;
}

void KxwEngineVUser::DropParses() {
    for (std::unique_ptr<PageParse>& rptParse : _tParses) {
        rptParse->_ptParser->Abandon();
        _ptObjMgr->ReturnDomCommandForReuse(rptParse->_ptLoad->_ptCommand);
    }
    _tParses.clear();
}

void KxwEngineVUser::OnParsedScript(KxwEngineParser& mrtBuilder, KxwDomNodeBase* mptScript, bool mbEndTagSeen,
                                    bool mbMayWait) {
    if (_ptListener) _ptListener->OnPageScriptRuns(true);
    int iEnd = xfiKxwDomHtmlBuildEndParsedScript(mptScript, mbEndTagSeen);
    if (_ptListener) _ptListener->OnPageScriptRuns(false);
    if (iEnd == KXW_DOM_BUILD_SCRIPT_END_DONE) return;
    QueueScript(mptScript);
    // A builder that cannot wait (more markup written after the page ended) goes on; the script runs when its
    // source arrives.
    if (iEnd == KXW_DOM_BUILD_SCRIPT_END_LOAD_AND_WAIT && mbMayWait) mrtBuilder.Pause();
}

void KxwEngineVUser::QueueScript(KxwDomNodeBase* mptScript) {
    std::string dsUrl = xfdsKxwDomHtmlBuildGetScriptSrc(mptScript);
    KxwDomCommand* ptCommand = dsUrl.empty() ? nullptr : _ptObjMgr->ObtainDomCommand();
    if (ptCommand && !ptCommand->PrepareCommandDownloadScript(mptScript)) {
        _ptObjMgr->ReturnDomCommandForReuse(ptCommand);
        ptCommand = nullptr;
    }
    if (!ptCommand) {
        // No load will bring it: an empty text, so that the scripts after it do not wait for ever.
        xfvKxwDomHtmlBuildSetScriptSourceDownloaded(mptScript, "", 0);
        return;
    }
    EnqueueElementLoad(kLoadScript, ptCommand, mptScript, dsUrl, xfptKxwDomHtmlBuildGetDocumentOfNode(mptScript));
}

std::string KxwEngineVUser::ScriptTextInDocumentCharset(const std::string& mdsBytes, const std::string& mdsCharset,
                                                        KxwDomHtmlDocument* mptDocument) {
    const char* pszDocumentCharset = xfpszKxwDomHtmlBuildGetResponseCharset(mptDocument);
    if (mdsCharset.empty() || !pszDocumentCharset) return mdsBytes;
    std::string dsFrom = xfdsKxwEngineCharsetForLabel(mdsCharset.data(), mdsCharset.size());
    std::string dsTo = xfdsKxwEngineCharsetForLabel(pszDocumentCharset, std::strlen(pszDocumentCharset));
    if (dsFrom.empty() || dsTo.empty() || dsFrom == dsTo) return mdsBytes;
    // A script served in another charset than its page's is read in its own and handed over in the page's.
    KxwU16nHandlerGeneral tFrom(dsFrom.c_str());
    KxwU16nHandlerGeneral tTo(dsTo.c_str());
    std::u16string dsText(tFrom.GetMaxU16nLenInChars(mdsBytes.size()), u'\0');
    dsText.resize(tFrom.ConvertDcsToU16n(mdsBytes.data(), mdsBytes.size(), dsText.data(), dsText.size()));
    std::string dsBytes(tTo.GetMaxDcsLenInBytes(dsText.size()), '\0');
    dsBytes.resize(tTo.ConvertU16nToDcs(dsText.data(), dsText.size(), dsBytes.data(), dsBytes.size()));
    return dsBytes;
}

void KxwEngineVUser::DeliverScript(Load& mrtLoad) {
    KxwDomCommand* ptCommand = mrtLoad._ptCommand;
    const std::string& rdsUrl = mrtLoad._tRequest._dsUrl;
    KxwDomNodeBase* ptScript = ptCommand->GetScriptElementToLoad();
    KxwDomHtmlDocument* ptDocument = xfptKxwDomHtmlBuildGetDocumentOfNode(ptScript);
    if (!ptScript || !ptDocument) return;
    ptCommand->ExecuteCommand(rdsUrl.data(), static_cast<unsigned>(rdsUrl.size()), nullptr, 0, nullptr, false, nullptr);
    ptCommand->OnTaskStartDownload();
    if (ptCommand->WasTargetObjectForAbortDeleted()) return;  // its readystatechange handler removed it
    KxwEngineFetchResponse& rtResponse = mrtLoad._tResponse;
    if (StartsWithNoCase(rdsUrl, "javascript:")) {
        xfvKxwDomHtmlBuildRunScriptSrcUrl(ptScript);
        if (!ptCommand->WasTargetObjectForAbortDeleted()) ptCommand->OnTaskDownloadComplete(false, "", 0);
    } else if (rtResponse.IsOK()) {
        std::string dsText = ScriptTextInDocumentCharset(rtResponse._dsBody, rtResponse._dsCharset, ptDocument);
        xfvKxwDomHtmlBuildSetScriptSourceDownloaded(ptScript, dsText.data(), dsText.size());
        if (!ptCommand->WasTargetObjectForAbortDeleted()) ptCommand->OnTaskDownloadComplete(false, "", 0);
    } else {
        // A script that failed counts as loaded with no text: the scripts after it run.
        ReportSubresourceFailure(rtResponse);
        Fail(ptCommand, rtResponse._dsError);
    }
    ContinueParse(ptDocument);
}

void KxwEngineVUser::EndOfTask() {
    _ptObjMgr->CarryOutDeferredCloses();
    _ptObjMgr->ServiceEmbeddedObjects();
}

// ---------------------------------------------------------------------------------------------------------------
// The notification router

void KxwEngineVUser::OnNotification(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvExtra) {
    if (KxwEngineVUser* ptEngine = gtptCurrent) ptEngine->Route(meType, mpvSubject, mpvExtra);
}

void KxwEngineVUser::Route(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvExtra) {
    switch (meType) {
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_LOCATION_CHANGE:
            OnLocationChange(mpvSubject, mpvExtra);
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_WINDOW_OPENED:
            OnWindowOpened(static_cast<KxwDomHtmlWindow*>(mpvSubject));
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_LINK_CLICK:
            OnLinkClick(static_cast<KxwDomNodeBase*>(mpvSubject));
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_FORM_SUBMIT:
            OnFormSubmit(static_cast<KxwDomNodeBase*>(mpvSubject));
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_IMAGE_IN_LINK_CLICK:
            OnImageInLinkClick(static_cast<KxwDomNodeBase*>(mpvSubject), mpvExtra);
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_IMAGE_SRC: {
            // A page script gave an image a source: it is loaded like a parsed one.
            auto* ptImage = static_cast<KxwDomNodeBase*>(mpvSubject);
            std::string dsSrc = xfdsKxwDomHtmlBuildGetImageSrc(ptImage);
            if (!dsSrc.empty()) QueueResource(ptImage, dsSrc);
            return;
        }
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_WINDOW_OPEN_EXISTING:
            OnWindowOpenExisting(static_cast<KxwDomHtmlWindow*>(mpvSubject), mpvExtra);
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_ALERT:
            OnAlert(mpvExtra);
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_INNER_HTML:
            OnMarkup(meType, mpvSubject, mpvExtra);
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_GET_COOKIE:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_SET_COOKIE:
            OnCookie(meType, mpvSubject, mpvExtra);
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_FRAME_SRC:
            OnFrameSrc(static_cast<KxwDomNodeBase*>(mpvSubject));
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_SCRIPT_SRC:
            // A page script gave a script element a source: it is loaded like a parsed one.
            QueueScript(static_cast<KxwDomNodeBase*>(mpvSubject));
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_STYLESHEET_LINK: {
            // A style sheet is a subresource of its page, loaded as an image is.
            auto* ptLink = static_cast<KxwDomNodeBase*>(mpvSubject);
            std::string dsHref = xfdsKxwDomLinkGetHref(ptLink);
            if (!dsHref.empty()) QueueResource(ptLink, dsHref);
            return;
        }
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_ADD_BEHAVIOR:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_NAMESPACE_IMPORT:
            OnBehaviorDownload(meType, static_cast<KxwDomNodeBase*>(mpvSubject), mpvExtra);
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_APPLET_DOWNLOAD:
            OnAppletDownload(static_cast<KxwDomNodeBase*>(mpvSubject));
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_XML_SRC:
            OnXmlSrc(static_cast<KxwDomNodeBase*>(mpvSubject), xfdsKxwDomNotificationGetText(mpvExtra), false);
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_XSL_DOWNLOAD:
            OnXmlSrc(static_cast<KxwDomNodeBase*>(mpvSubject), xfdsKxwDomNotificationGetText(mpvExtra), true);
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_POST_ISSUED:
            OnPostIssued(static_cast<KxwPostId*>(mpvExtra));
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_MODAL_DIALOG:
            OnModalDialog(static_cast<const KxwDomModalDialogPhase*>(mpvExtra));
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_DIALOG_ANSWERED:
            OnDialogAnswered(static_cast<const KxwDomDialogAnswered*>(mpvExtra));
            return;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_HISTORY_POST_GONE:
            if (mpvSubject) _tPostBodies.erase(*static_cast<const KxwPostId*>(mpvSubject));
            return;
        // What the tree and the windows tell for those who keep state about them: the engine keeps none (its
        // commands watch their targets).
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_WINDOW_RESET:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_DOCUMENT_DESTROYED:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_DELETING_DESCENDANTS:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_ALERT_STRING:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_AREA_ANCHOR_HREF_SET:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_AREA_ANCHOR_HREF_CLEARED:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_USER_DATA_RELEASED:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_WINDOW_CLOSED:
        // The resources' snapshot files are kept by URL, not by document.
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_SNAPSHOT_RESET:
            return;
        default:
            break;
    }
    // Forms, images, style sheets, behaviours, XML and applets: logged once per virtual user until they come.
    int iType = static_cast<int>(meType);
    uint64_t uBit = iType >= 0 && iType < 64 ? (uint64_t{1} << iType) : 0;
    if (uBit && (_uLoggedUnhandled & uBit)) return;
    _uLoggedUnhandled |= uBit;
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                             "Notification %d (%s) is not handled by this engine and was ignored", iType,
                             NotificationName(iType));
}

void KxwEngineVUser::OnXmlSrc(KxwDomNodeBase* mptXml, const std::string& mdsUrl, bool mbNeededNow) {
    // The URL comes resolved; only what a network serves is loaded.
    if (!StartsWithNoCase(mdsUrl, "http:") && !StartsWithNoCase(mdsUrl, "https:") &&
        !StartsWithNoCase(mdsUrl, "file:")) {
        if (_ptListener) _ptListener->OnEngineEvent("LOAD", "SKIP " + xfdsKxwEngineEscapeForLog(mdsUrl));
        return;
    }
    KxwDomCommand* ptCommand = _ptObjMgr->ObtainDomCommand();
    if (!ptCommand) return;
    if (!ptCommand->PrepareCommandDownloadXml(mptXml)) {
        _ptObjMgr->ReturnDomCommandForReuse(ptCommand);
        return;
    }
    KxwDomHtmlDocument* ptDocument = xfptKxwDomHtmlBuildGetDocumentOfNode(mptXml);
    EnqueueElementLoad(kLoadResource, ptCommand, mptXml, mdsUrl, ptDocument);
    if (!mbNeededNow) return;
    // An XML page's style sheet is loaded before its page is built: ahead of the queue, and never held back.
    std::unique_ptr<Load> ptLoad = std::move(_tPending.back());
    _tPending.pop_back();
    bool bHold = _bHoldResponses;
    _bHoldResponses = false;
    Start(std::move(ptLoad));
    _bHoldResponses = bHold;
}

void KxwEngineVUser::OnAppletDownload(KxwDomNodeBase* mptApplet) {
    bool bNeededNow = false;
    std::string dsUrl = xfdsKxwDomAppletGetUrlToDownload(mptApplet, &bNeededNow);
    if (!StartsWithNoCase(dsUrl, "http:") && !StartsWithNoCase(dsUrl, "https:") && !StartsWithNoCase(dsUrl, "file:"))
        return;
    KxwDomCommand* ptCommand = _ptObjMgr->ObtainDomCommand();
    if (!ptCommand) return;
    if (!ptCommand->PrepareCommandDownloadJavaCode(mptApplet)) {
        _ptObjMgr->ReturnDomCommandForReuse(ptCommand);
        return;
    }
    EnqueueElementLoad(kLoadResource, ptCommand, mptApplet, dsUrl, xfptKxwDomHtmlBuildGetDocumentOfNode(mptApplet));
    if (!bNeededNow) return;
    // The applet's class loader waits for this class: it is loaded now, ahead of the queue.
    std::unique_ptr<Load> ptLoad = std::move(_tPending.back());
    _tPending.pop_back();
    Start(std::move(ptLoad));
}

void KxwEngineVUser::OnBehaviorDownload(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, KxwDomNodeBase* mptTarget,
                                        void* mpvUrl) {
    // A behaviour file is a subresource of the page of the element (or namespace) that asks for it.
    KxwDomHtmlDocument* ptDocument = xfptKxwDomHtmlBuildGetDocumentOfNode(mptTarget);
    std::string dsGiven = xfdsKxwDomNotificationGetText(mpvUrl);
    if (!ptDocument || dsGiven.empty() || dsGiven[0] == '#') return;
    std::string dsUrl = xfdsKxwDomDocumentResolveUrl(ptDocument, dsGiven.data(), dsGiven.size());
    if (!StartsWithNoCase(dsUrl, "http:") && !StartsWithNoCase(dsUrl, "https:") && !StartsWithNoCase(dsUrl, "file:"))
        return;
    KxwDomCommand* ptCommand = _ptObjMgr->ObtainDomCommand();
    if (!ptCommand) return;
    bool bPrepared = meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_ADD_BEHAVIOR
                         ? ptCommand->PrepareCommandDownloadBehavior(mptTarget, dsUrl)
                         : ptCommand->PrepareCommandDownloadElementBehavior(mptTarget, dsUrl);
    if (!bPrepared) {
        _ptObjMgr->ReturnDomCommandForReuse(ptCommand);
        return;
    }
    EnqueueElementLoad(kLoadResource, ptCommand, mptTarget, dsUrl, ptDocument);
}

void KxwEngineVUser::OnModalDialog(const KxwDomModalDialogPhase* mptPhase) {
    if (!mptPhase || !mptPhase->_bBefore || !mptPhase->_ptDialog) return;
    // The dialog is shown: its page, frames and resources load now, while the script that opened it waits. Other
    // loads keep their places until that script ends.
    if (_uModalDepth >= knMaxNestedModalDialogs) return;
    ++_uModalDepth;
    KxwDomHtmlWindow* ptDialog = mptPhase->_ptDialog;
    for (unsigned long ulStarted = 0; ulStarted < kulMaxLoadsPerSettle; ++ulStarted) {
        if (!xfbKxwObjMgrIsOpenWindow(_ptObjMgr.get(), ptDialog)) break;
        auto it = std::find_if(_tPending.begin(), _tPending.end(), [&](const std::unique_ptr<Load>& mrptLoad) {
            KxwDomHtmlWindow* ptWindow = xfptKxwDomCommandGetWindow(mrptLoad->_ptCommand);
            return ptWindow && xfbKxwObjMgrIsOpenWindow(_ptObjMgr.get(), ptWindow) &&
                   xfbKxwDomWindowIsWithin(ptWindow, ptDialog);
        });
        if (it == _tPending.end()) break;
        std::unique_ptr<Load> ptLoad = std::move(*it);
        _tPending.erase(it);
        Start(std::move(ptLoad));
    }
    --_uModalDepth;
}

void KxwEngineVUser::OnLocationChange(void* mpvChange, void* mpvDocument) {
    KxwDomHtmlWindow* ptWindow = xfptKxwDomWindowOfDocument(static_cast<KxwDomHtmlDocument*>(mpvDocument));
    if (!ptWindow) return;
    std::string dsUrl = xfdsKxwDomLocationChangeGetUrl(mpvChange);
    int iType = xfiKxwDomLocationChangeGetType(mpvChange);
    // replace() takes the place of the current entry, and a reload loads the entry it shows again; a history
    // navigation is recorded by the history itself.
    bool bNoHistory = iType == KXW_DOM_HTML_LOCATION_CHANGE_REPLACE || iType == KXW_DOM_HTML_LOCATION_CHANGE_RELOAD ||
                      iType == KXW_DOM_HTML_LOCATION_CHANGE_RELOAD_FORCED ||
                      iType == KXW_DOM_HTML_LOCATION_CHANGE_RELOAD_OTHER;
    QueueWindowLoad(ptWindow, dsUrl, bNoHistory, xfuKxwDomLocationChangeGetPostId(mpvChange), true);
}

void KxwEngineVUser::OnLinkClick(KxwDomNodeBase* mptLink) {
    FollowLink(mptLink, xfdsKxwDomLinkGetHref(mptLink));
}

void KxwEngineVUser::OnImageInLinkClick(KxwDomNodeBase* mptImage, void* mpvCoordinates) {
    KxwDomNodeBase* ptLink = xfptKxwDomImageGetContainingAnchor(mptImage);
    std::string dsHref = xfdsKxwDomLinkGetHref(ptLink);
    std::string dsCoordinates = xfdsKxwDomNotificationGetText(mpvCoordinates);
    // A server-side map gets the point clicked as the query, as the browser sends it (before a fragment, which
    // stays the page's).
    if (!dsCoordinates.empty() && !dsHref.empty() && !StartsWithNoCase(dsHref, "javascript:")) {
        size_t nHash = dsHref.find('#');
        dsHref.insert(nHash == std::string::npos ? dsHref.size() : nHash, "?" + dsCoordinates);
    }
    FollowLink(ptLink, dsHref);
}

void KxwEngineVUser::FollowLink(KxwDomNodeBase* mptLink, const std::string& mdsHref) {
    KxwDomHtmlWindow* ptWindow = xfptKxwDomWindowOfNode(mptLink);
    if (!ptWindow || mdsHref.empty()) return;
    // A javascript: link runs its script in the link's page; this is the one place that decides how.
    if (StartsWithNoCase(mdsHref, "javascript:")) {
        xfbKxwDomWindowRunJavaScriptUrl(ptWindow, mdsHref.data(), mdsHref.size());
        return;
    }
    std::string dsTarget = xfdsKxwDomLinkGetTarget(mptLink);
    if (dsTarget.empty()) {
        QueueWindowLoad(ptWindow, mdsHref, false, 0, true);
        return;
    }
    // A named target is found or opened as window.open does; its load comes back as notification 3 or 4.
    xfptKxwDomWindowOpenForLink(ptWindow, mdsHref, dsTarget);
}

void KxwEngineVUser::OnFormSubmit(KxwDomNodeBase* mptForm) {
    KxwDomHtmlWindow* ptWindow = xfptKxwDomWindowOfNode(mptForm);
    KxwDomHtmlDocument* ptDocument = xfptKxwDomHtmlBuildGetDocumentOfNode(mptForm);
    if (!ptWindow || !ptDocument) return;
    KxwEngineFormSubmission tSubmission;
    std::string dsAction = xfdsKxwDomFormGetAction(mptForm);
    tSubmission._dsAction = dsAction.empty()
                                ? xfdsKxwDomDocumentGetHref(ptDocument)
                                : xfdsKxwDomDocumentResolveUrl(ptDocument, dsAction.data(), dsAction.size());
    tSubmission._bPost = xfbKxwDomFormIsPost(mptForm);
    tSubmission._dsBody = xfdsKxwDomFormGetBody(mptForm);
    tSubmission._dsContentType = xfdsKxwDomFormGetContentType(mptForm);
    KxwEngineFormRequest tRequest = xftKxwEngineBuildFormRequest(tSubmission);
    if (tRequest._eKind == KXW_ENGINE_FORM_REQUEST_UNSUPPORTED) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                 "A form was submitted to \"%s\", which this engine cannot load: the submission is "
                                 "ignored",
                                 xfdsKxwEngineEscapeForLog(tRequest._dsUrl, 1000).c_str());
        return;
    }
    std::string dsTarget = xfdsKxwDomFormGetTarget(mptForm);
    PostBody tPost{tRequest._dsBody, tRequest._dsContentType};
    const PostBody* ptPost = tRequest._bPost ? &tPost : nullptr;
    if (dsTarget.empty()) {
        if (tRequest._eKind == KXW_ENGINE_FORM_REQUEST_JAVASCRIPT)
            xfbKxwDomWindowRunJavaScriptUrl(ptWindow, tRequest._dsUrl.data(), tRequest._dsUrl.size());
        else
            QueueWindowLoad(ptWindow, tRequest._dsUrl, false, 0, true, ptPost);
        return;
    }
    // A named target is found or opened as a link's is; the load it asks for (notification 3 or 4, before the
    // call returns) takes the POST's body, and a javascript: action runs there as a javascript: URL does.
    _ptTargetedPost = ptPost;
    xfptKxwDomWindowOpenForLink(ptWindow, tRequest._dsUrl, dsTarget);
    _ptTargetedPost = nullptr;
}

bool KxwEngineVUser::FireUserEvent(KxwDomNodeBase* mptNode, const std::string& mdsEvent, std::string* mpdsReason) {
    return FireUserEventAt(mptNode, mdsEvent, -1, -1, mpdsReason);
}

bool KxwEngineVUser::FireUserEventAt(KxwDomNodeBase* mptNode, const std::string& mdsEvent, int miX, int miY,
                                     std::string* mpdsReason) {
    if (!_ptScriptEngine) {
        *mpdsReason = "the virtual user has no script engine";
        return false;
    }
    _dsStepLoadError.clear();
    // Without a position the event carries the library's default one.
    bool bFired = miX < 0 && miY < 0 ? xfbKxwDomFireUserEvent(mptNode, mdsEvent.c_str(), mpdsReason)
                                     : xfbKxwDomFireUserEventAt(mptNode, mdsEvent.c_str(), miX, miY, mpdsReason);
    EndOfTask();
    Settle();
    return bFired;
}

bool KxwEngineVUser::RunUserAction(const std::function<bool(std::string*)>& mrfAction, std::string* mpdsReason) {
    if (!_ptScriptEngine) {
        *mpdsReason = "the virtual user has no script engine";
        return false;
    }
    _dsStepLoadError.clear();
    bool bDone = mrfAction(mpdsReason);
    EndOfTask();
    Settle();
    return bDone;
}

void KxwEngineVUser::OnWindowOpened(KxwDomHtmlWindow* mptWindow) {
    if (!mptWindow) return;
    std::string dsUrl = xfdsKxwDomWindowGetHref(mptWindow);
    KxwDomCommand* ptCommand = _ptObjMgr->ObtainDomCommand();
    if (!ptCommand) return;
    if (!ptCommand->PrepareCommandWindowOpened(mptWindow)) {
        _ptObjMgr->ReturnDomCommandForReuse(ptCommand);
        return;
    }
    auto ptLoad = std::make_unique<Load>();
    ptLoad->_ptCommand = ptCommand;
    KxwDomHtmlWindow* ptOpener = xfptKxwDomWindowGetOpener(mptWindow);
    std::string dsReferrer = ptOpener ? xfdsKxwDomWindowGetHref(ptOpener) : std::string();
    ptLoad->_tRequest = NewRequest(dsUrl, StartsWithNoCase(dsReferrer, "http") ? dsReferrer : std::string());
    if (const PostBody* ptPost = TakeTargetedPost()) ptPost->ApplyTo(ptLoad->_tRequest);
    ptLoad->_bAnnounce = true;
    Enqueue(std::move(ptLoad));
}

void KxwEngineVUser::OnWindowOpenExisting(KxwDomHtmlWindow*, void* mpvParameters) {
    // The named window exists: it navigates, as a link aimed at it would make it.
    QueueWindowLoad(xfptKxwDomWindowOpenGetTarget(mpvParameters), xfdsKxwDomWindowOpenGetHref(mpvParameters), false, 0,
                    true, TakeTargetedPost());
}

void KxwEngineVUser::OnFrameSrc(KxwDomNodeBase* mptFrameElement) {
    QueueWindowLoad(xfptKxwDomFrameElementGetWindow(mptFrameElement), xfdsKxwDomFrameElementGetSrc(mptFrameElement),
                    false, 0, false);
}

void KxwEngineVUser::OnPostIssued(KxwPostId* mptPostId) {
    // Only the load being executed has a body to keep: a POST the engine did not send is not confirmed.
    if (!mptPostId || !_ptExecutingPost) return;
    if (_uNextPostId < KXW_POST_ID_FIRST_REAL) _uNextPostId = KXW_POST_ID_FIRST_REAL;  // after a wrap
    *mptPostId = _uNextPostId++;
    _tPostBodies[*mptPostId] = PostBody{_ptExecutingPost->_dsBody, _ptExecutingPost->_dsBodyContentType};
}

void KxwEngineVUser::OnAlert(void* mpvExtra) {
    if (_ptListener)
        _ptListener->OnEngineEvent("ALERT", xfdsKxwEngineEscapeForLog(xfdsKxwDomNotificationGetText(mpvExtra)));
}

void KxwEngineVUser::OnDialogAnswered(const KxwDomDialogAnswered* mptAnswered) {
    if (!_ptListener || !mptAnswered) return;
    // "MESSAGE -> ANSWER": the message escaped as an alert's is; a prompt's text quoted, so that an empty text and
    // null (Cancel) read apart.
    std::string dsAnswer;
    if (mptAnswered->_eKind == KXW_DOM_DIALOG_KIND_CONFIRM)
        dsAnswer = mptAnswered->_bOK ? "OK" : "Cancel";
    else
        dsAnswer = mptAnswered->_bOK ? "\"" + xfdsKxwEngineEscapeForLog(mptAnswered->_dsText) + "\"" : "null";
    _ptListener->OnEngineEvent(mptAnswered->_eKind == KXW_DOM_DIALOG_KIND_CONFIRM ? "CONFIRM" : "PROMPT",
                               xfdsKxwEngineEscapeForLog(mptAnswered->_dsMessage) + " -> " + dsAnswer);
}

void KxwEngineVUser::OnCookie(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvExtra) {
    KxwDomHtmlDocument* ptDocument = xfptKxwDomHtmlBuildGetDocumentOfNode(
        xfptKxwDomHtmlBuildGetNotificationNode(static_cast<int>(meType), mpvSubject));
    if (!ptDocument) return;
    // The cookies are those of the page's address.
    std::string dsUrl = xfdsKxwDomDocumentGetHref(ptDocument);
    if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_GET_COOKIE) {
        std::string dsCookies = _ptCookies ? _ptCookies->GetCookies(dsUrl, KxwEngineCookieJar::kFromScript) : "";
        xfvKxwDomHtmlBuildSetCookie(ptDocument, dsCookies.data(), dsCookies.size());
        return;
    }
    size_t nLen = 0;
    const char* psfText = xfpsfKxwDomHtmlBuildGetNotificationText(mpvExtra, &nLen);
    if (_ptCookies && psfText) _ptCookies->Store(dsUrl, psfText, nLen, KxwEngineCookieJar::kFromScript);
}

void KxwEngineVUser::OnMarkup(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvExtra) {
    KxwDomNodeBase* ptTarget = xfptKxwDomHtmlBuildGetNotificationNode(static_cast<int>(meType), mpvSubject);
    size_t nLen = 0;
    const char* psfText = xfpsfKxwDomHtmlBuildGetNotificationText(mpvExtra, &nLen);
    KxwDomHtmlDocument* ptDocument = xfptKxwDomHtmlBuildGetDocumentOfNode(ptTarget);
    if (!ptTarget || !psfText || !ptDocument || _tActive.size() >= knMaxNestedBuilders) return;
    if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT) {
        // A write while the document is being built goes in where the running script stands.
        for (auto it = _tActive.rbegin(); it != _tActive.rend(); ++it)
            if ((*it)->GetDocument() == ptDocument && !(*it)->IsEnded()) {
                (*it)->Write(psfText, nLen);
                return;
            }
    }
    KxwEngineParser tBuilder(ptDocument,
                             meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT ? KxwEngineParser::kExistingDocument
                                                                                  : KxwEngineParser::kFragment,
                             ptTarget);
    // Scripts that innerHTML brings in are not run, as in the browser; written ones are (this builder does not
    // wait for their sources: it ends with the write).
    if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT)
        tBuilder.SetScriptRunner([this](KxwEngineParser& mrtBuilder, KxwDomNodeBase* mptScript, bool mbEndTagSeen) {
            OnParsedScript(mrtBuilder, mptScript, mbEndTagSeen, false);
        });
    tBuilder.SetResourceRequester(
        [this](KxwDomNodeBase* mptElement, const std::string& mdsSrc) { QueueResource(mptElement, mdsSrc); });
    ActiveBuilder tActive(_tActive, tBuilder);
    tBuilder.Feed(psfText, nLen);
    tBuilder.EndOfInput();
}
