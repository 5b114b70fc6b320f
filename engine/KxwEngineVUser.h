// The replay engine of one virtual user: its script engine and object manager, the load queue through which every
// navigation and subresource is loaded by a DOM command, the page parser run into the library's documents, the
// router that answers the library's notifications, and the timer service. It holds no state of the DOM: windows and
// documents belong to the object manager, and the engine keeps only the loads it has still to do.
//
// Life of a virtual user, on its own thread with its block bound:
//
//     KxwEngineVUser tEngine(tVUserVars, tNetwork, &tCookies, &tListener, tClock, tAdvance);  // object manager
//     per iteration: BeginIteration() ... steps: OnStepStart(), Navigate()/Evaluate()/..., OnStepEnd() ...
//                    EndIteration()      // windows go, then what the script engine holds of them
//     the destructor ends the object manager last.
//
// Loads run after the task that asked for them, in the order they were asked (Settle runs them); a test may hold
// their responses and deliver them in any order it likes (SetHoldResponses), as a network would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "KxwEngineDownloadFilter.h"
#include "KxwEngineFetch.h"
#include "KxwEngineTimerService.h"
#include "kxw/KxwCache.h"
#include "kxw/KxwDomCommonEnums.h"

class KxwDomCommand;
struct KxwDomModalDialogPhase;
struct KxwDomDialogAnswered;
class KxwDomHtmlDocument;
class KxwDomHtmlWindow;
class KxwDomNodeBase;
class KxwEngineParser;
class KxwHswApi;
class KxwJsval;
class KxwJswEngine;
class KxwJswScriptEvaluationNotifier;
class KxwObjMgr;
class KxwU16nHandlerGeneral;
class KxwVUserVars;

// What the engine tells whoever drives it (the player, a test, a benchmark).
class KxwEngineListener {
public:
    virtual ~KxwEngineListener() = default;
    // An event as a kind and a text: ALERT, CONFIRM, PROMPT, NAVIGATE, REDIRECT, LOAD (a subresource that failed).
    // The text is escaped for a log line.
    virtual void OnEngineEvent(const char* mpszKind, const std::string& mdsText) = 0;
    // An error of a page's script (or its stop at the time limit), with the page's URL and the line. The library
    // runs the page's scripts and reports their errors as messages at the script-error level; the engine calls this
    // for errors of its own evaluations only.
    virtual void OnPageScriptError(const std::string& mdsMessage, const std::string& mdsFile, unsigned muLine) = 0;
    // Around the parser's hand-over of each script to the library (which may run it, and those it held back).
    virtual void OnPageScriptRuns(bool mbStarting) { (void)mbStarting; }
};

// The network of a virtual user: one load to its complete response (redirects followed); false with the
// response's error set when it failed.
using KxwEngineNetwork = std::function<bool(const KxwEngineFetchRequest&, KxwEngineFetchResponse*)>;

class KxwEngineVUser {
public:
    // mptCookies (may be null: document.cookie is empty) and mptListener outlive the engine. Constructs the
    // object manager on the bound block.
    KxwEngineVUser(KxwVUserVars& mrtVUserVars, KxwEngineNetwork mtNetwork, KxwEngineCookieJar* mptCookies,
                   KxwEngineListener* mptListener, KxwEngineTimerService::Clock mtClock,
                   std::function<void(double)> mtAdvanceClock);
    ~KxwEngineVUser();
    KxwEngineVUser(const KxwEngineVUser&) = delete;
    KxwEngineVUser& operator=(const KxwEngineVUser&) = delete;

    // ---- Iterations and steps ----
    // The iteration's start: the script engine (made by the first, kept for the others, with the iteration's
    // script time limit); false with the reason when it cannot be made.
    bool BeginIteration(uint32_t muScriptTimeLimitMs, std::string* mpdsError);
    // Every window goes (their unload handlers run), then the loads and timers left, then what the script engine
    // still holds of them.
    void EndIteration();
    void OnStepStart();
    // Plays out what the step left: pending loads, then its pages' timers and META refreshes up to the step's
    // limit (PlayOutTimers), deferred closes; then the object manager's end of step.
    void OnStepEnd();
    // After OnStepEnd, when the virtual user has a result folder: writes the step's snapshot into its iteration's
    // folder, or, for a failed step, the on-error snapshot into "Iteration<k>/OnError" there. The path of the
    // top window's page written, or empty when none was.
    std::string WriteStepSnapshots(bool mbStepFailed);
    // Runs the timers and META refreshes due across every window, earliest first, each with the loads it causes,
    // until none is due by the step's limit (at most muMaxRuns): on the virtual clock when the virtual user's
    // settings say so, else on the run clock, which moves to each one's time.
    void PlayOutTimers(unsigned muMaxRuns = 10000);

    // ---- What a step does ----
    // Navigates the current top window (made when there is none) as a script step does, POST with mpdsPostBody,
    // and settles. False with the reason when the page itself could not be loaded.
    bool Navigate(const std::string& mdsUrl, const std::string* mpdsPostBody, std::string* mpdsReason);
    // Runs the pending loads until none is left, with the timers that fall due meanwhile (at most muMaxTimers).
    void Settle(unsigned muMaxTimers = 64);
    // Lets mdfMs pass on the run clock: each timer that falls due in that time runs at its time, with its loads
    // (at most muMaxTimers of them).
    void Wait(double mdfMs, unsigned muMaxTimers = 1000);
    // Evaluates a UTF-8 script in the window's current page (its global); in the engine's own global when
    // mptWindow is null.
    bool Evaluate(KxwDomHtmlWindow* mptWindow, KxwJswScriptEvaluationNotifier& mrtNotifier,
                  const std::string& mdsScript, const char* mpszFile, unsigned muLine, KxwJsval* mptResult);
    // A user's action on an element as a test step makes it (mdsEvent "click", "mouseover" ...), then what it
    // caused settles. False with the reason when the element does not answer the event.
    bool FireUserEvent(KxwDomNodeBase* mptNode, const std::string& mdsEvent, std::string* mpdsReason);
    // The same with the pointer at (miX, miY) over the element: a click on a server-side image map sends them.
    bool FireUserEventAt(KxwDomNodeBase* mptNode, const std::string& mdsEvent, int miX, int miY,
                         std::string* mpdsReason);
    // Runs a user action of the library (typing, a choice in a list, a form submitted by a step), then lets what
    // it caused load and play out, as a click does.
    bool RunUserAction(const std::function<bool(std::string*)>& mrfAction, std::string* mpdsReason);
    // Writes the hierarchy of the virtual user's windows to the log at the informative level.
    bool DumpHierarchy(const std::string& mdsTitle, unsigned long mulMask);

    // ---- Windows ----
    // The window steps act on: the one chosen last while it is open, else the first open top window; null when
    // there is none.
    KxwDomHtmlWindow* GetCurrentWindow();
    // The window the next steps act on; it takes the focus as a user's click in it would (its top window's focus,
    // the blur of the window that had it).
    void SetCurrentWindow(KxwDomHtmlWindow* mptWindow);
    KxwObjMgr* GetObjMgr() const { return _ptObjMgr.get(); }
    KxwJswEngine* GetScriptEngine() const { return _ptScriptEngine; }
    KxwHswApi* GetHswApi() const { return _ptHswApi.get(); }
    KxwEngineTimerService& GetTimers() { return _tTimers; }

    // ---- For tests: a network that answers out of order ----
    void SetHoldResponses(bool mbHold) { _bHoldResponses = mbHold; }
    size_t GetHeldCount() const { return _tHeld.size(); }
    std::string GetHeldUrl(size_t mnIndex) const;
    // Delivers the held response of that index (the others keep their places) and settles.
    bool DeliverHeld(size_t mnIndex);
    // Loads done since the iteration began (page, frame, script and image loads, failed ones included).
    unsigned long GetLoadCount() const { return _ulLoads; }
    // Elements the last page load made.
    size_t GetLastElementCount() const { return _nLastElements; }

    // The engine of the calling thread (the one the library's notifications and timers reach).
    static KxwEngineVUser* GetCurrent();

private:
    enum LoadKind { kLoadWindow, kLoadResource, kLoadScript };
    struct Load {
        LoadKind _eKind = kLoadWindow;
        KxwDomCommand* _ptCommand = nullptr;
        KxwEngineFetchRequest _tRequest;
        // The step's own navigation: its failure is the step's.
        bool _bStepNavigation = false;
        // Announced as a NAVIGATE line (a navigation the page made).
        bool _bAnnounce = false;
        // A subresource's element (alive while the command's target is).
        KxwDomNodeBase* _ptElement = nullptr;
        // The response is that of the same address asked for earlier by the same document while this load waited:
        // it is not fetched again.
        bool _bSharedResponse = false;
        KxwEngineFetchResponse _tResponse;
    };
    class Binding;
    // A page being built into its document, kept while its builder waits for a script's source to have run.
    struct PageParse {
        std::unique_ptr<Load> _ptLoad;  // the window's load: its command ends with the page
        std::unique_ptr<KxwEngineParser> _ptParser;
        KxwDomHtmlDocument* _ptDocument = nullptr;
    };

    static void OnNotification(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvExtra);
    void Route(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvExtra);
    void OnLocationChange(void* mpvChange, void* mpvDocument);
    // A click on a link followed it (notification 10): its address loads into its target.
    void OnLinkClick(KxwDomNodeBase* mptLink);
    // A click on an image inside a link (notification 9): the link is followed, with "?x,y" for a server-side map.
    void OnImageInLinkClick(KxwDomNodeBase* mptImage, void* mpvCoordinates);
    // Loads mdsHref (a link's address, resolved) as a click on mptLink does.
    void FollowLink(KxwDomNodeBase* mptLink, const std::string& mdsHref);
    // A form was submitted (notification 8): its request loads into its target, or its javascript: action runs.
    void OnFormSubmit(KxwDomNodeBase* mptForm);
    void OnWindowOpened(KxwDomHtmlWindow* mptWindow);
    void OnWindowOpenExisting(KxwDomHtmlWindow* mptOpener, void* mpvParameters);
    void OnFrameSrc(KxwDomNodeBase* mptFrameElement);
    void OnPostIssued(uint32_t* mptPostId);
    void OnCookie(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvExtra);
    void OnMarkup(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvExtra);
    void OnAlert(void* mpvExtra);
    // An island's src, or (mbNeededNow) the style sheet an XML page waits for.
    void OnXmlSrc(KxwDomNodeBase* mptXml, const std::string& mdsUrl, bool mbNeededNow);
    // A behaviour file an element (27) or a namespace's import (28) asks for, loaded like an applet's archive.
    void OnBehaviorDownload(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, KxwDomNodeBase* mptTarget, void* mpvUrl);
    void OnAppletDownload(KxwDomNodeBase* mptApplet);
    void OnModalDialog(const KxwDomModalDialogPhase* mptPhase);
    // A confirm or prompt was answered: a CONFIRM or PROMPT event.
    void OnDialogAnswered(const KxwDomDialogAnswered* mptAnswered);

    // A POST's body and its Content-Type, kept for the history's items by post id.
    struct PostBody {
        std::string _dsBody;
        std::string _dsContentType;  // application/x-www-form-urlencoded when empty
        // Makes the request this POST.
        void ApplyTo(KxwEngineFetchRequest& mrtRequest) const {
            mrtRequest._dsMethod = "POST";
            mrtRequest._dsBody = _dsBody;
            mrtRequest._dsBodyContentType = _dsContentType;
        }
    };
    // Queues a load of the window (a navigation with history unless mbNoHistory): a POST of mptPost's body when
    // given, else of the history's body of muPostId when it is a real one.
    void QueueWindowLoad(KxwDomHtmlWindow* mptWindow, const std::string& mdsUrl, bool mbNoHistory, uint32_t muPostId,
                         bool mbAnnounce, const PostBody* mptPost = nullptr);
    // The form's POST waiting for the window its target names (given once, then null).
    const PostBody* TakeTargetedPost() {
        const PostBody* ptPost = _ptTargetedPost;
        _ptTargetedPost = nullptr;
        return ptPost;
    }
    void QueueResource(KxwDomNodeBase* mptElement, const std::string& mdsSrc);
    void Enqueue(std::unique_ptr<Load> mptLoad);
    void EnqueueElementLoad(LoadKind meKind, KxwDomCommand* mptCommand, KxwDomNodeBase* mptElement,
                            const std::string& mdsUrl, KxwDomHtmlDocument* mptDocument);
    // Gives the response of a subresource that was fetched to the waiting loads of the same document and address.
    void ShareResourceResponse(Load& mrtFetched, KxwDomHtmlDocument* mptDocument);
    KxwEngineFetchRequest NewRequest(const std::string& mdsUrl, const std::string& mdsReferrer) const;
    // An XML document's load(url) on this virtual user's thread (the XML parser's hook; mpvEngine is the engine).
    static bool LoadXmlForScript(void* mpvEngine, const std::string& mrdsUrl, std::string& mrdsBody,
                                 std::string& mrdsFailure);
    // Fetches a queued load (or holds its response) and delivers it.
    void Start(std::unique_ptr<Load> mptLoad);
    // The load is taken over (left null) when its page waits for a script.
    void Deliver(std::unique_ptr<Load>& mrptLoad);
    // True when the page waits for a script (the load was taken over).
    bool DeliverWindow(std::unique_ptr<Load>& mrptLoad);
    void DeliverResource(Load& mrtLoad);
    // The LOAD FAIL line of an image, script or style sheet that could not be loaded.
    void ReportSubresourceFailure(const KxwEngineFetchResponse& mrtResponse);
    void Fail(KxwDomCommand* mptCommand, const std::string& mdsMessage);
    // True when the load was for a page emptied since (it is aborted and its command returned).
    bool AbortIfPageReplaced(Load& mrtLoad);
    // Each redirect of a load as a REDIRECT line ("302 FROM -> TO").
    void ReportRedirects(const KxwEngineFetchResponse& mrtResponse);
    // The page's bytes into its document; false when the page was built whole, true when its builder waits for a
    // script (the parse then keeps the load, and ContinueParse takes it on).
    bool BeginParse(std::unique_ptr<Load>& mrptLoad, KxwDomHtmlDocument* mptDocument, const char* mpsfBytes,
                    size_t mnLen);
    // A script of the document arrived: the scripts it held back run, and its waiting page goes on.
    void ContinueParse(KxwDomHtmlDocument* mptDocument);
    // The page was built: its command hears the end of the parsing and of the download.
    void EndParse(PageParse& mrtParse);
    // Pages that wait for sources no load will bring (the loads were dropped) go on without them.
    bool ResumeStalledParses();
    void DropParses();
    // A SCRIPT element the parser finished: the library runs it or files it; a source is loaded through the queue
    // and, when mbMayWait and the library says so, the builder waits for it.
    void OnParsedScript(KxwEngineParser& mrtBuilder, KxwDomNodeBase* mptScript, bool mbEndTagSeen, bool mbMayWait);
    void QueueScript(KxwDomNodeBase* mptScript);
    void DeliverScript(Load& mrtLoad);
    // The bytes of a downloaded script in the document's charset.
    std::string ScriptTextInDocumentCharset(const std::string& mdsBytes, const std::string& mdsCharset,
                                            KxwDomHtmlDocument* mptDocument);
    void EndOfTask();
    bool AreSnapshotsWritten() const;

    // What the virtual user downloaded as resources in this iteration, by URL (the files snapshots saved them in).
    std::map<std::string, cached_info> _tResourceCache;

    KxwVUserVars& _rtVUserVars;
    KxwEngineNetwork _tNetwork;
    KxwEngineDownloadFilter _tDownloadFilter;  // which hosts subresources load from
    KxwEngineCookieJar* _ptCookies;
    KxwEngineListener* _ptListener;
    KxwEngineTimerService _tTimers;
    std::function<void(double)> _tAdvanceClock;
    KxwJswEngine* _ptScriptEngine = nullptr;      // during an iteration: the kept engine
    KxwJswEngine* _ptKeptScriptEngine = nullptr;  // made by the first iteration, ended by the destructor
    std::unique_ptr<KxwHswApi> _ptHswApi;
    std::unique_ptr<KxwObjMgr> _ptObjMgr;
    KxwDomHtmlWindow* _ptCurrentWindow = nullptr;
    std::deque<std::unique_ptr<Load>> _tPending;
    std::vector<std::unique_ptr<Load>> _tHeld;
    bool _bHoldResponses = false;
    bool _bSettling = false;
    bool _bPlayingOut = false;
    // Modal dialogs being shown, innermost last: each loads its page while its opener's script waits.
    size_t _uModalDepth = 0;
    // The builders at work, innermost last: a write goes to the one building its document.
    std::vector<KxwEngineParser*> _tActive;
    // POST bodies of the history's items by post id, and the request of the POST being executed.
    std::map<uint32_t, PostBody> _tPostBodies;
    uint32_t _uNextPostId = 4;
    const KxwEngineFetchRequest* _ptExecutingPost = nullptr;
    // A form's POST aimed at a named window, while the library finds or opens that window: the load it asks for
    // (notification 3 or 4) carries the body.
    const PostBody* _ptTargetedPost = nullptr;
    // The step's own navigation: how it ended.
    std::string _dsStepLoadError;
    unsigned long _ulLoads = 0;
    size_t _nLastElements = 0;
    // Notifications this engine does not answer yet, each logged once per virtual user.
    uint64_t _uLoggedUnhandled = 0;
    // Pages whose builders wait for a script's source.
    std::vector<std::unique_ptr<PageParse>> _tParses;
};
