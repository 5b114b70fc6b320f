// The replay engine of one virtual user with an in-process network that serves pages from memory, answers with a
// 404 for what it does not have, and may hold its responses so that the test delivers them in the order it
// chooses: the order of the DOM commands' loads, the on-load accounting across frames, scripts and images, windows
// and their identity across navigations, history, and what scripts do to the document while it is being parsed.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "KxwDomEventData.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementImage.h"
#include "KxwEngineTimerService.h"
#include "KxwEngineVUser.h"
#include "KxwRecordingSink.h"
#include "KxwUtilStrCompare.h"
#include "QmtUtils.h"
#include "kxw/KxwDomBrowsing.h"
#include "kxw/KxwDomEvents.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"

namespace {

class KxwEngineVUserTest : public ::testing::Test, public KxwEngineListener {
protected:
    void SetUp() override {
        // The library's timers go to the engine's service, as the player's environment has it.
        _pfSavedRegister = xtKxwEnvCfg._pfRegisterTimer;
        _pfSavedUnregister = xtKxwEnvCfg._pfvUnregisterTimer;
        // The library reads the same clock as the engine's timer service, as in the player.
        xfvQmtUtilsSetClock([](void* mpvTest) { return static_cast<KxwEngineVUserTest*>(mpvTest)->_dfClockMs; }, this);
        xtKxwEnvCfg._pfRegisterTimer = &KxwEngineTimerService::EnvRegister;
        xtKxwEnvCfg._pfvUnregisterTimer = &KxwEngineTimerService::EnvUnregister;
        _ptBinding = new KxwVUserVarsThreadBinding(&_tVUser);
        _ptEngine = new KxwEngineVUser(
            _tVUser,
            [this](const KxwEngineFetchRequest& mrtRequest, KxwEngineFetchResponse* mptResponse) {
                return Serve(mrtRequest, mptResponse);
            },
            &_tCookies, this, [this]() { return _dfClockMs; }, [this](double mdfMs) { _dfClockMs += mdfMs; });
        std::string dsError;
        ASSERT_TRUE(_ptEngine->BeginIteration(5000, &dsError)) << dsError;
    }
    void TearDown() override {
        delete _ptEngine;
        delete _ptBinding;
        xtKxwEnvCfg._pfRegisterTimer = _pfSavedRegister;
        xtKxwEnvCfg._pfvUnregisterTimer = _pfSavedUnregister;
        xfvQmtUtilsSetClock(nullptr, nullptr);
    }

    bool Serve(const KxwEngineFetchRequest& mrtRequest, KxwEngineFetchResponse* mptResponse) {
        _tRequested.push_back(mrtRequest._dsMethod + " " + mrtRequest._dsUrl +
                              (mrtRequest._dsBody.empty() ? "" : " " + mrtRequest._dsBody));
        _tBodyTypes.push_back(mrtRequest._dsBodyContentType);
        mptResponse->_dsFinalUrl = mrtRequest._dsUrl;
        auto it = _tPages.find(mrtRequest._dsUrl);
        if (it == _tPages.end()) {
            mptResponse->_iStatus = 404;
            return xfbKxwEngineFetchFail(mptResponse, KXW_ENGINE_FETCH_HTTP_STATUS, mrtRequest._dsUrl,
                                         "HTTP 404 Not Found");
        }
        mptResponse->_iStatus = 200;
        mptResponse->SetContentType("text/html");
        mptResponse->_dsBody = it->second;
        return true;
    }

    void OnEngineEvent(const char* mpszKind, const std::string& mdsText) override {
        _tEvents.push_back(std::string(mpszKind) + " " + mdsText);
    }
    void OnPageScriptError(const std::string& mdsMessage, const std::string&, unsigned) override {
        _dsErrors += mdsMessage + "\n";
    }
    // A collection after every script: a node the parser still holds would go here if nothing kept it.
    void OnPageScriptRuns(bool mbStarting) override {
        if (!mbStarting && _bCollectAfterScripts && _ptEngine->GetScriptEngine())
            _ptEngine->GetScriptEngine()->CollectGarbage(true);
    }

    std::string Eval(const std::string& mdsScript, KxwDomHtmlWindow* mptWindow = nullptr) {
        KxwJswScriptEvaluationNotifier tNotifier;
        KxwJsval tResult;
        if (!_ptEngine->Evaluate(mptWindow ? mptWindow : _ptEngine->GetCurrentWindow(), tNotifier, mdsScript, "test.js",
                                 1, &tResult))
            return "ERROR";
        _ptEngine->Settle();
        return tResult.GetStringUtf8();
    }
    // The element of the current page (or of the window's) with that id, or null.
    KxwDomNodeBase* ElementById(const std::string& mdsId, KxwDomHtmlWindow* mptWindow = nullptr) {
        KxwDomHtmlDocument* ptDocument =
            xfptKxwDomWindowGetDocument(mptWindow ? mptWindow : _ptEngine->GetCurrentWindow());
        for (unsigned long n = 0; n < xfulKxwDomDocumentGetElementCount(ptDocument); ++n)
            if (KxwDomNodeBase* ptElement = xfptKxwDomDocumentGetElement(ptDocument, n))
                if (xfdsKxwDomElementGetId(ptElement) == mdsId) return ptElement;
        return nullptr;
    }
    bool Goto(const std::string& mdsUrl, const std::string* mpdsPost = nullptr) {
        std::string dsReason;
        _ptEngine->OnStepStart();
        bool bOK = _ptEngine->Navigate(mdsUrl, mpdsPost, &dsReason);
        _ptEngine->OnStepEnd();
        _dsLastReason = dsReason;
        return bOK;
    }
    // Events whose line begins with the text (a whole line when mbWhole).
    int CountEvents(const std::string& mdsText, bool mbWhole = false) const {
        int iCount = 0;
        for (const std::string& rdsEvent : _tEvents)
            iCount += (mbWhole ? rdsEvent == mdsText : rdsEvent.rfind(mdsText, 0) == 0) ? 1 : 0;
        return iCount;
    }
    int CountRequests(const std::string& mdsRequest) const {
        int iCount = 0;
        for (const std::string& rdsRequest : _tRequested) iCount += rdsRequest == mdsRequest ? 1 : 0;
        return iCount;
    }

    KxwVUserVars _tVUser{1};
    KxwVUserVarsThreadBinding* _ptBinding = nullptr;
    KxwEngineCookieJar _tCookies;
    KxwEngineVUser* _ptEngine = nullptr;
    double _dfClockMs = 0;
    std::map<std::string, std::string> _tPages;
    std::vector<std::string> _tRequested;
    std::vector<std::string> _tBodyTypes;  // the Content-Type of each request's body, in the same order
    std::vector<std::string> _tEvents;
    std::string _dsErrors;
    std::string _dsLastReason;
    bool _bCollectAfterScripts = false;
    decltype(xtKxwEnvCfg._pfRegisterTimer) _pfSavedRegister = nullptr;
    decltype(xtKxwEnvCfg._pfvUnregisterTimer) _pfSavedUnregister = nullptr;
};

const char kszFrameset[] =
    "<html><head><script>var order = []; onload = function() { order.push('top') }</script></head>"
    "<frameset cols='50%,50%'><frame name=a src=a.html><frame name=b src=b.html></frameset></html>";
const char kszFramePage[] = "<html><body><script>onload = function() { top.order.push(name) }</script></body></html>";

}  // namespace

// ---- Loads and their order ----

// The frames' pages come back in the other order than asked, one of them fails: every frame is asked for once,
// each frame's onload runs when its page is there, and the top's runs last, once, when both have ended.
TEST_F(KxwEngineVUserTest, FramesDeliveredOutOfOrderHoldTheTopOnloadUntilBothEnded) {
    _tPages["http://h/top.html"] = kszFrameset;
    _tPages["http://h/b.html"] = kszFramePage;
    _ptEngine->SetHoldResponses(true);
    _ptEngine->OnStepStart();
    std::string dsReason;
    _ptEngine->Navigate("http://h/top.html", nullptr, &dsReason);
    ASSERT_EQ(1u, _ptEngine->GetHeldCount());
    ASSERT_TRUE(_ptEngine->DeliverHeld(0));
    // The top page is parsed: its frames' loads were queued after it and started, in document order.
    ASSERT_EQ(2u, _ptEngine->GetHeldCount());
    EXPECT_EQ("http://h/a.html", _ptEngine->GetHeldUrl(0));
    EXPECT_EQ("http://h/b.html", _ptEngine->GetHeldUrl(1));
    KxwDomHtmlWindow* ptTop = _ptEngine->GetCurrentWindow();
    EXPECT_FALSE(xfbKxwDomWindowIsOnLoadInvoked(ptTop));
    EXPECT_EQ(2, xfliKxwDomWindowGetOnLoadCounter(ptTop));
    ASSERT_TRUE(_ptEngine->DeliverHeld(1));  // b first
    EXPECT_EQ("b", Eval("order.join()"));
    EXPECT_FALSE(xfbKxwDomWindowIsOnLoadInvoked(ptTop));
    ASSERT_TRUE(_ptEngine->DeliverHeld(0));  // a: a 404
    EXPECT_TRUE(xfbKxwDomWindowIsOnLoadInvoked(ptTop));
    EXPECT_EQ("b,top", Eval("order.join()"));
    EXPECT_EQ(0, xfliKxwDomWindowGetOnLoadCounter(ptTop));
    _ptEngine->OnStepEnd();
    EXPECT_EQ(1, CountRequests("GET http://h/a.html"));
    EXPECT_EQ(1, CountRequests("GET http://h/b.html"));
    EXPECT_EQ("2", Eval("frames.length"));
    EXPECT_EQ("true", Eval("String(frames[1] === frames.b && frames.b.parent === window)"));
    EXPECT_EQ("", _dsErrors);
}

// A script and an image that fail (404) end their hold on the onload like any other end; the scripts after the
// failed one run, in order.
TEST_F(KxwEngineVUserTest, FailedScriptAndImageDoNotHoldTheOnload) {
    _tPages["http://h/p.html"] =
        "<html><body><script>var seen = []; onload = function() { seen.push('load') }</script>"
        "<script src=missing.js></script><script src=ok.js></script><img src=missing.png>"
        "<script>seen.push('inline')</script></body></html>";
    _tPages["http://h/ok.js"] = "seen.push('ok')";
    ASSERT_TRUE(Goto("http://h/p.html")) << _dsLastReason;
    EXPECT_EQ("ok,inline,load", Eval("seen.join()"));
    EXPECT_EQ(1, CountRequests("GET http://h/missing.png"));
    EXPECT_EQ(0, xfliKxwDomWindowGetOnLoadCounter(_ptEngine->GetCurrentWindow()));
    EXPECT_EQ(2, CountEvents("LOAD FAIL"));
}

// Script sources come back in another order than the page names them: a script never runs before the ones before
// it, the page's parser waits for a parsed one, and the load event waits for them all. A source that arrives when
// no script runs and no parser builds runs at its arrival.
TEST_F(KxwEngineVUserTest, ScriptSourcesDeliveredOutOfOrderRunInTheirOrder) {
    _tPages["http://h/p.html"] =
        "<html><head><script>var seen = []; onload = function() { seen.push('load') };"
        "function add(src) { var s = document.createElement('script'); s.src = src;"
        " document.getElementsByTagName('head')[0].appendChild(s) }"
        "add('one.js'); add('two.js')</script>"
        "<script src=three.js></script><script>seen.push('after three')</script></head></html>";
    _tPages["http://h/one.js"] = "seen.push('one')";
    _tPages["http://h/two.js"] = "seen.push('two')";
    _tPages["http://h/three.js"] = "seen.push('three')";
    _tPages["http://h/late.js"] = "seen.push('late')";
    _ptEngine->SetHoldResponses(true);
    _ptEngine->OnStepStart();
    std::string dsReason;
    _ptEngine->Navigate("http://h/p.html", nullptr, &dsReason);
    ASSERT_EQ(1u, _ptEngine->GetHeldCount());
    ASSERT_TRUE(_ptEngine->DeliverHeld(0));  // the page; it asks for its three scripts
    ASSERT_EQ(3u, _ptEngine->GetHeldCount());
    KxwDomHtmlWindow* ptWindow = _ptEngine->GetCurrentWindow();
    EXPECT_EQ("http://h/three.js", _ptEngine->GetHeldUrl(2));
    ASSERT_TRUE(_ptEngine->DeliverHeld(2));  // three: it waits for one and two
    ASSERT_TRUE(_ptEngine->DeliverHeld(1));  // two: it waits for one
    EXPECT_EQ("", Eval("seen.join()", ptWindow));
    ASSERT_TRUE(_ptEngine->DeliverHeld(0));  // one: all run, the page goes on and loads
    EXPECT_EQ("one,two,three,after three,load", Eval("seen.join()", ptWindow));
    EXPECT_TRUE(xfbKxwDomWindowIsOnLoadInvoked(ptWindow));
    // After the load: a source that arrives while nothing runs still runs.
    Eval("add('late.js'); 'asked'", ptWindow);
    ASSERT_EQ(1u, _ptEngine->GetHeldCount());
    ASSERT_TRUE(_ptEngine->DeliverHeld(0));
    EXPECT_EQ("one,two,three,after three,load,late", Eval("seen.join()", ptWindow));
    _ptEngine->SetHoldResponses(false);
    _ptEngine->OnStepEnd();
}

// Images of one address that a page asks for while the first is on its way make one request, as in the browser,
// and each element still ends its load (the onload waits for all of them, each failure is told). What is asked for
// after that response came, or by another page, is asked for again.
TEST_F(KxwEngineVUserTest, ImagesOfOneAddressWaitingTogetherAreOneRequest) {
    _tPages["http://h/p.html"] =
        "<html><body><script>var seen = []; onload = function() { seen.push('load');"
        " document.getElementById('later').innerHTML = '<img src=missing.png><img src=missing.png#b>' }</script>"
        "<img src=missing.png><img src=other.png><img src=missing.png#a><p id=later></p><img src=missing.png>"
        "</body></html>";
    _tPages["http://h/q.html"] = "<html><body><img src=p.html><img src=missing.png></body></html>";
    ASSERT_TRUE(Goto("http://h/p.html")) << _dsLastReason;
    EXPECT_EQ("load", Eval("seen.join()"));
    EXPECT_EQ(2, CountRequests("GET http://h/missing.png"));
    EXPECT_EQ(1, CountRequests("GET http://h/other.png"));
    EXPECT_EQ(0, xfliKxwDomWindowGetOnLoadCounter(_ptEngine->GetCurrentWindow()));
    EXPECT_EQ(5, CountEvents("LOAD FAIL cannot load http://h/missing.png: HTTP 404 Not Found", true));
    ASSERT_TRUE(Goto("http://h/q.html")) << _dsLastReason;
    EXPECT_EQ(3, CountRequests("GET http://h/missing.png"));
    EXPECT_EQ(2, CountRequests("GET http://h/p.html"));  // the page, then as an image of the other page
}

// A step's page that cannot be loaded fails the step with the reason; the window stays usable.
TEST_F(KxwEngineVUserTest, APageThatFailsFailsTheNavigation) {
    EXPECT_FALSE(Goto("http://h/none.html"));
    EXPECT_NE(std::string::npos, _dsLastReason.find("404")) << _dsLastReason;
    _tPages["http://h/p.html"] = "<html><body>x</body></html>";
    EXPECT_TRUE(Goto("http://h/p.html"));
}

// ---- Windows ----

// The window stays the same object for those who hold it while its page changes; the old page's variables and
// handlers stay behind, and its unload handler runs once, before the next page's scripts.
TEST_F(KxwEngineVUserTest, NavigationKeepsTheWindowAndDropsThePage) {
    _tPages["http://h/one.html"] =
        "<html><body><script>var fromOne = 1; onload = function() { alert('load one') }; "
        "onunload = function() { alert('unload one') }</script></body></html>";
    _tPages["http://h/two.html"] = "<html><body><script>alert('two: ' + typeof fromOne)</script></body></html>";
    ASSERT_TRUE(Goto("http://h/one.html"));
    EXPECT_EQ("ok", Eval("var w = window.open('', 'holder'); 'ok'"));
    KxwDomHtmlWindow* ptHolder = xfptKxwObjMgrGetTopWindow(_ptEngine->GetObjMgr(), 1);
    ASSERT_NE(nullptr, ptHolder);
    EXPECT_EQ("ok", Eval("var kept = opener; 'ok'", ptHolder));
    ASSERT_TRUE(Goto("http://h/two.html"));
    std::vector<std::string> tAlerts;
    for (const std::string& rdsEvent : _tEvents)
        if (rdsEvent.rfind("ALERT ", 0) == 0) tAlerts.push_back(rdsEvent.substr(6));
    ASSERT_EQ(3u, tAlerts.size());
    EXPECT_EQ("load one", tAlerts[0]);
    EXPECT_EQ("unload one", tAlerts[1]);
    EXPECT_EQ("two: undefined", tAlerts[2]);
    EXPECT_EQ("true http://h/two.html", Eval("String(kept === opener) + ' ' + kept.location.href", ptHolder));
    EXPECT_EQ("undefined", Eval("typeof kept.fromOne", ptHolder));
}

// window.open: a new window loads its page after the script that opened it (announced), a name reuses the window,
// "_self" loads into the opener.
TEST_F(KxwEngineVUserTest, WindowOpenLoadsIntoTheWindowItsTargetNames) {
    _tPages["http://h/main.html"] = "<html><head><title>Main</title></head><body></body></html>";
    _tPages["http://h/pop.html"] =
        "<html><head><title>Pop</title></head><body><script>var n = 1</script></body></html>";
    _tPages["http://h/pop2.html"] = "<html><head><title>Pop2</title></head><body></body></html>";
    ASSERT_TRUE(Goto("http://h/main.html"));
    EXPECT_EQ("", Eval("var p = window.open('pop.html', 'side'); p.document.title")) << "loaded after the script";
    EXPECT_EQ("Pop", Eval("p.document.title"));
    EXPECT_EQ("ok", Eval("var q = window.open('pop2.html', 'side'); 'ok'"));
    EXPECT_EQ("Pop2", Eval("q.document.title"));
    EXPECT_EQ("true", Eval("String(q === p && p.opener === window)"));
    KxwDomHtmlWindow* ptSecond = xfptKxwObjMgrGetTopWindow(_ptEngine->GetObjMgr(), 1);
    ASSERT_NE(nullptr, ptSecond);
    EXPECT_EQ("Pop2", xfdsKxwDomWindowGetTitle(ptSecond));
    EXPECT_EQ(nullptr, xfptKxwObjMgrGetTopWindow(_ptEngine->GetObjMgr(), 2)) << "the name was reused";
    EXPECT_EQ("ok", Eval("window.open('pop.html', '_self'); 'ok'"));
    EXPECT_EQ("Pop", xfdsKxwDomWindowGetTitle(_ptEngine->GetCurrentWindow()));
    EXPECT_EQ(3, CountEvents("NAVIGATE "));
}

// A window that closes itself from its onload, one that navigates from its unload handler, and one reset while
// its own handler runs: nothing is used after it went.
TEST_F(KxwEngineVUserTest, WindowsClosedNavigatedAndResetFromTheirOwnHandlers) {
    _bCollectAfterScripts = true;
    _tPages["http://h/main.html"] = "<html><body><script>var w = open('self-close.html', 'c')</script></body></html>";
    _tPages["http://h/self-close.html"] = "<html><body><script>onload = function() { close() }</script></body></html>";
    _tPages["http://h/leave.html"] =
        "<html><body><script>onunload = function() { location.href = 'elsewhere.html'; close() "
        "}</script></body></html>";
    _tPages["http://h/elsewhere.html"] = "<html><body>e</body></html>";
    ASSERT_TRUE(Goto("http://h/main.html"));
    EXPECT_EQ("true", Eval("String(w.closed)"));
    ASSERT_TRUE(Goto("http://h/leave.html"));
    ASSERT_TRUE(Goto("http://h/main.html"));
    EXPECT_EQ("ok", Eval("document.open(); document.write('<p>again'); document.close(); 'ok'"));
    _ptEngine->EndIteration();
    std::string dsError;
    ASSERT_TRUE(_ptEngine->BeginIteration(5000, &dsError));
    EXPECT_EQ(nullptr, _ptEngine->GetCurrentWindow());
}

// The script engine serves every iteration, and nothing of one iteration reaches the next: neither the engine
// objects its pages' scripts kept (a detached node, a window reference, a listener) nor the variables of scripts run
// outside any page.
TEST_F(KxwEngineVUserTest, TheScriptEngineIsKeptButNothingOfAnIterationStays) {
    _tPages["http://h/keep.html"] =
        "<html><body><p id=p>x</p><script>var kept = document.getElementById('p'); kept.parentNode.removeChild(kept);"
        "var me = window; document.body.onclick = function () { return kept; };</script></body></html>";
    KxwJswEngine* ptFirst = _ptEngine->GetScriptEngine();
    ASSERT_NE(nullptr, ptFirst);
    size_t nAtStart = ptFirst->GetRegisteredCount();
    EXPECT_EQ("1", Eval("var outside = 1; String(outside)"));
    ASSERT_TRUE(Goto("http://h/keep.html"));
    EXPECT_EQ("P", Eval("kept.tagName"));
    EXPECT_GT(ptFirst->GetRegisteredCount(), nAtStart);
    _ptEngine->EndIteration();
    EXPECT_EQ(nullptr, _ptEngine->GetScriptEngine());
    EXPECT_LE(ptFirst->GetRegisteredCount(), nAtStart);
    std::string dsError;
    ASSERT_TRUE(_ptEngine->BeginIteration(5000, &dsError)) << dsError;
    EXPECT_EQ(ptFirst, _ptEngine->GetScriptEngine());
    EXPECT_EQ("undefined", Eval("typeof outside"));
    ASSERT_TRUE(Goto("http://h/keep.html"));
    EXPECT_EQ("P", Eval("kept.tagName"));
}

// A frame whose page is the one it sits in (src="#", its own address) would hold itself without end: it stays
// empty, and the page's onload comes.
TEST_F(KxwEngineVUserTest, AFrameShowingItsOwnPageIsNotLoaded) {
    _tPages["http://h/self.html"] =
        "<html><body><iframe name=a src='#'></iframe><iframe name=b src='self.html?x#y'></iframe>"
        "<iframe name=c src='other.html'></iframe><script>onload = function() { alert('loaded') "
        "}</script></body></html>";
    _tPages["http://h/other.html"] = "<html><body><iframe src='self.html'></iframe>other</body></html>";
    ASSERT_TRUE(Goto("http://h/self.html"));
    EXPECT_EQ(1, CountRequests("GET http://h/self.html")) << "neither the page's frames nor its frame's frame";
    EXPECT_EQ(1, CountRequests("GET http://h/self.html?x"))
        << "another address is another page, asked for without its fragment";
    EXPECT_EQ(1, CountRequests("GET http://h/other.html"));
    EXPECT_TRUE(xfbKxwDomWindowIsOnLoadInvoked(_ptEngine->GetCurrentWindow()));
    EXPECT_EQ("true", Eval("String(document.location === location && document.frames === window && "
                           "document.parentWindow === window)"));
    EXPECT_EQ("ok", Eval("document.location = 'other.html'; 'ok'"));
    EXPECT_EQ("http://h/other.html", xfdsKxwDomWindowGetHref(_ptEngine->GetCurrentWindow()));
}

// ---- History ----

// back() goes to the previous page with the frames it had; a POST page is loaded again with its body.
TEST_F(KxwEngineVUserTest, HistoryGoesBackThroughFramesAndPosts) {
    _tPages["http://h/top.html"] = kszFrameset;
    _tPages["http://h/a.html"] = kszFramePage;
    _tPages["http://h/b.html"] = kszFramePage;
    _tPages["http://h/a2.html"] = "<html><body>a2</body></html>";
    _tPages["http://h/form.html"] = "<html><body>posted</body></html>";
    _tPages["http://h/last.html"] = "<html><body>last</body></html>";
    ASSERT_TRUE(Goto("http://h/top.html"));
    EXPECT_EQ("ok", Eval("frames.a.location.href = 'a2.html'; 'ok'"));
    EXPECT_EQ("http://h/a2.html", Eval("frames.a.location.href"));
    std::string dsBody = "q=1&r=2";
    ASSERT_TRUE(Goto("http://h/form.html", &dsBody));
    ASSERT_TRUE(Goto("http://h/last.html"));
    EXPECT_EQ("ok", Eval("history.back(); 'ok'"));
    EXPECT_EQ(2, CountRequests("POST http://h/form.html q=1&r=2")) << "the POST is sent again with its body";
    EXPECT_EQ("ok", Eval("history.back(); 'ok'"));
    EXPECT_EQ("http://h/top.html", xfdsKxwDomWindowGetHref(_ptEngine->GetCurrentWindow()));
    EXPECT_EQ("http://h/a2.html", Eval("frames.a.location.href")) << "the frame shows what it showed then";
    EXPECT_EQ("ok", Eval("history.forward(); 'ok'"));
    EXPECT_EQ("http://h/form.html", xfdsKxwDomWindowGetHref(_ptEngine->GetCurrentWindow()));
    // After a history navigation, new pages are recorded again.
    ASSERT_TRUE(Goto("http://h/last.html"));
    EXPECT_EQ("ok", Eval("history.back(); 'ok'"));
    EXPECT_EQ("http://h/form.html", xfdsKxwDomWindowGetHref(_ptEngine->GetCurrentWindow()));
}

// ---- The run clock ----

// A script refresh waits for its time on the run clock; wait lets the time pass, and its script navigates then.
// (Without time for timers at a step's end, the step leaves the refresh pending.)
TEST_F(KxwEngineVUserTest, MetaRefreshLoadsWhenTheClockReachesIt) {
    _tVUser.GetRTS().SetMaximumAccumulativeTimeout(0);
    _tPages["http://h/r.html"] =
        "<html><head><meta http-equiv=refresh content=\"2;url=javascript:location.href='next.html'\"></head></html>";
    _tPages["http://h/next.html"] = "<html><body>next</body></html>";
    ASSERT_TRUE(Goto("http://h/r.html"));
    EXPECT_EQ("http://h/r.html", xfdsKxwDomWindowGetHref(_ptEngine->GetCurrentWindow()));
    _ptEngine->Wait(1000);
    EXPECT_EQ("http://h/r.html", xfdsKxwDomWindowGetHref(_ptEngine->GetCurrentWindow()));
    _ptEngine->Wait(1500);
    EXPECT_EQ("http://h/next.html", xfdsKxwDomWindowGetHref(_ptEngine->GetCurrentWindow()));
    EXPECT_DOUBLE_EQ(2500, _dfClockMs);
}

// The end of a step plays out what its page left due within the step's limit: the refresh, then the next page's
// timer, on the run clock, which moves to each one's time; a refresh beyond the limit waits.
TEST_F(KxwEngineVUserTest, StepEndPlaysOutRefreshAndTimersWithinTheLimit) {
    _tVUser.GetRTS().SetMaximumAccumulativeTimeout(5);
    _tPages["http://h/r.html"] = "<html><head><meta http-equiv=refresh content=\"2;url=next.html\"></head></html>";
    _tPages["http://h/next.html"] =
        "<html><head><meta http-equiv=refresh content=\"9;url=r.html\"><script>"
        "setTimeout(function () { document.title = 'set'; }, 300);</script></head><body>next</body></html>";
    ASSERT_TRUE(Goto("http://h/r.html"));
    EXPECT_EQ("http://h/next.html", xfdsKxwDomWindowGetHref(_ptEngine->GetCurrentWindow()));
    EXPECT_EQ("set", Eval("document.title"));
    EXPECT_DOUBLE_EQ(2300, _dfClockMs) << "the clock moved to the refresh, then to the timer";
    _ptEngine->Wait(9000);
    EXPECT_EQ("http://h/r.html", xfdsKxwDomWindowGetHref(_ptEngine->GetCurrentWindow()));
}

TEST(KxwEngineTimerServiceTest, DueTimersRunInTimeOrderOnceAndMayRegisterOthers) {
    double dfNow = 0;
    KxwEngineTimerService tTimers([&dfNow]() { return dfNow; });
    static std::vector<int>* sptFired;
    std::vector<int> tFired;
    sptFired = &tFired;
    static KxwEngineTimerService* sptTimers;
    sptTimers = &tTimers;
    auto Push = [](void* mpvClosure) {
        int iValue = static_cast<int>(reinterpret_cast<intptr_t>(mpvClosure));
        sptFired->push_back(iValue);
        if (iValue == 1)
            sptTimers->Register(
                +[](void*) {
                    sptFired->push_back(99);
                    return 0;
                },
                nullptr, 0);
        return 0;
    };
    void* hLate = tTimers.Register(Push, reinterpret_cast<void*>(3), 30);
    tTimers.Register(Push, reinterpret_cast<void*>(1), 10);
    void* hGone = tTimers.Register(Push, reinterpret_cast<void*>(2), 10);
    EXPECT_NE(nullptr, hLate);
    EXPECT_EQ(0, tTimers.Unregister(hGone));
    EXPECT_EQ(-1, tTimers.Unregister(hGone)) << "a handle is never unregistered twice";
    EXPECT_EQ(0u, tTimers.RunDue(100));
    dfNow = 10;
    EXPECT_EQ(2u, tTimers.RunDue(100)) << "the one registered from a callback is due at once";
    dfNow = 40;
    EXPECT_EQ(1u, tTimers.RunDue(100));
    EXPECT_EQ((std::vector<int>{1, 99, 3}), tFired);
    EXPECT_EQ(-1, tTimers.Unregister(hLate)) << "a fired registration is gone";
    EXPECT_EQ(0u, tTimers.GetPendingCount());
}

// ---- Scripts that rewrite the document while it is parsed ----

TEST_F(KxwEngineVUserTest, AScriptThatOpensTheDocumentInsideAWriteLeavesTheWriteNothingFreed) {
    _bCollectAfterScripts = true;
    _tPages["http://h/p.html"] = "<html><body><p>first</p></body></html>";
    ASSERT_TRUE(Goto("http://h/p.html"));
    KxwDomHtmlDocument* ptDocument = xfptKxwDomWindowGetDocument(_ptEngine->GetCurrentWindow());
    // After the load a write starts a new content; the script it writes resets the document once more while the
    // write's parser still holds the elements it builds into.
    Eval("document.write('<div><script>document.open()<\\/script><p>y</p></div>')");
    ptDocument = xfptKxwDomWindowGetDocument(_ptEngine->GetCurrentWindow());
    EXPECT_EQ(0u, ptDocument->GetRetiredNodeCount());
    EXPECT_EQ("0", Eval("document.getElementsByTagName('P').length"));
    Eval("document.write('<p>again</p>')");
    EXPECT_EQ("again", Eval("document.getElementsByTagName('P')[0].firstChild.data"));
    EXPECT_EQ("", _dsErrors);
}

TEST_F(KxwEngineVUserTest, ElementsAScriptRemovesOrReplacesWhileTheyAreBuiltIntoOutliveTheParse) {
    _bCollectAfterScripts = true;
    _tPages["http://h/p.html"] =
        "<html><body><div id=a><script>var a = document.getElementById('a'); a.parentNode.removeChild(a); "
        "a = null;</script><p id=inside>x</p><script>var junk = [];</script><b>more</b></div>"
        "<div id=r><p><script>document.getElementById('r').innerHTML = '<i>new</i>'</script><b>z</b></p></div>"
        "<div id=t><span><script>document.getElementById('t').innerText = 'text'</script><u>w</u></span></div>"
        "<p id=after>y</p></body></html>";
    ASSERT_TRUE(Goto("http://h/p.html"));
    KxwDomHtmlDocument* ptDocument = xfptKxwDomWindowGetDocument(_ptEngine->GetCurrentWindow());
    EXPECT_EQ(0u, ptDocument->GetRetiredNodeCount()) << "retired nodes outlived the parse";
    EXPECT_EQ("null I|text|y", Eval("String(document.getElementById('inside')) + ' ' + "
                                    "document.getElementById('r').firstChild.tagName + '|' + "
                                    "document.getElementById('t').innerText + '|' + "
                                    "document.getElementById('after').firstChild.data"));
    EXPECT_EQ("0 0", Eval("document.getElementsByTagName('B').length + ' ' + "
                          "document.getElementsByTagName('U').length"));
    EXPECT_EQ("", _dsErrors);
}

TEST_F(KxwEngineVUserTest, TheDocumentResetByAWrittenScriptDuringTheLoadKeepsParsing) {
    _bCollectAfterScripts = true;
    // During the first load a write is parsed where the script stands; a reset from inside it empties the
    // document, and the parser of the page goes on with what follows.
    _tPages["http://h/p.html"] =
        "<html><body><p>one</p><script>document.write('<script>document.open(); document.close()<\\/script>')"
        "</script><p id=two>two</p></body></html>";
    ASSERT_TRUE(Goto("http://h/p.html"));
    EXPECT_EQ("", _dsErrors);
    EXPECT_NE("ERROR", Eval("String(document.getElementById('two'))").substr(0, 5));
}

// ---- Images ----

// An image that only its load keeps (no variable, no tree) survives collections from the moment a script gives it
// a source until its download ended: it is loaded, its onload runs, and the window's onload waits for it. Once
// the load is over the collector may take it. Its address is asked for whole, however long.
TEST_F(KxwEngineVUserTest, AScriptMadeImageThatNothingHoldsLoadsThroughCollections) {
    _bCollectAfterScripts = true;
    _tPages["http://h/p.html"] =
        "<html><body><script>var seen = []; onload = function() { seen.push('window') };"
        "(function() { var i = new Image(); i.onload = function() { seen.push('image ' + this.complete) };"
        " i.src = 'pic.png' })()</script></body></html>";
    _tPages["http://h/pic.png"] = _tPages["http://h/pic.png?2"] = "GIF89a";
    _ptEngine->SetHoldResponses(true);
    _ptEngine->OnStepStart();
    std::string dsReason;
    _ptEngine->Navigate("http://h/p.html", nullptr, &dsReason);
    ASSERT_TRUE(_ptEngine->DeliverHeld(0));  // the page: its script asks for the image and a collection follows
    ASSERT_EQ(1u, _ptEngine->GetHeldCount());
    EXPECT_EQ("http://h/pic.png", _ptEngine->GetHeldUrl(0));
    KxwDomHtmlWindow* ptWindow = _ptEngine->GetCurrentWindow();
    EXPECT_EQ(1, xfliKxwDomWindowGetOnLoadCounter(ptWindow));
    unsigned long ulLoads = _ptEngine->GetLoadCount();
    _ptEngine->GetScriptEngine()->CollectGarbage(true);
    ASSERT_TRUE(_ptEngine->DeliverHeld(0));
    EXPECT_EQ("image true,window", Eval("seen.join()", ptWindow));
    EXPECT_EQ(ulLoads, _ptEngine->GetLoadCount());  // counted when it was fetched
    EXPECT_EQ(0, xfliKxwDomWindowGetOnLoadCounter(ptWindow));
    _ptEngine->SetHoldResponses(false);
    _ptEngine->OnStepEnd();
    // A script of the loaded page does the same: the image is fetched and counted as a load.
    ulLoads = _ptEngine->GetLoadCount();
    Eval("(function() { var i = new Image(); i.onload = function() { seen.push('later') }; i.src = 'pic.png?2' })()",
         ptWindow);
    EXPECT_EQ(ulLoads + 1, _ptEngine->GetLoadCount());
    EXPECT_EQ(1, CountRequests("GET http://h/pic.png?2"));
    EXPECT_EQ("image true,window,later", Eval("seen.join()", ptWindow));
    // An address of any length is asked for whole.
    std::string dsLong = "http://h/pic.png?" + std::string(1500, 'x') + "end";
    Eval("new Image().src = 'pic.png?' + new Array(1501).join('x') + 'end'", ptWindow);
    EXPECT_EQ(1, CountRequests("GET " + dsLong));
    _ptEngine->GetScriptEngine()->CollectGarbage(true);
    EXPECT_EQ("", _dsErrors);
}

// An image whose onload removes it and drops every reference to it is collected after its handler, and the
// window's onload, held by its download, still comes.
TEST_F(KxwEngineVUserTest, AnImageItsOwnOnloadRemovesLeavesTheWindowOnloadToCome) {
    _bCollectAfterScripts = true;
    _tPages["http://h/p.html"] =
        "<html><body><script>var seen = []; onload = function() { seen.push('window ' + document.images.length) }"
        "</script><img id=i src=pic.png onload=\"seen.push('image'); this.parentNode.removeChild(this)\">"
        "</body></html>";
    _tPages["http://h/pic.png"] = "GIF89a";
    ASSERT_TRUE(Goto("http://h/p.html")) << _dsLastReason;
    EXPECT_EQ("image,window 0", Eval("seen.join()"));
    _ptEngine->GetScriptEngine()->CollectGarbage(true);
    EXPECT_EQ(0, xfliKxwDomWindowGetOnLoadCounter(_ptEngine->GetCurrentWindow()));
    EXPECT_EQ("", _dsErrors);
}

// The coordinates text of a click on an image in a link, from a coordinate pair the event data carries: taken as
// it is when an ismap image gets a valid pair of at most 11 characters, "0,0" for 12 characters or a bad pair, and
// nothing (with a notice) for an image that is no map. (This server answers exact addresses only: the pages asked
// for with a query are 404s, which is all the same here.)
TEST_F(KxwEngineVUserTest, AnImageLinkSendsTheCoordinatePairOnlyForAValidPairOnAServerSideMap) {
    _tPages["http://h/p.html"] =
        "<html><body><a href=t.html name=maplink><img id=map ismap src=pic.png></a>"
        "<a href=u.html name=plainlink><img id=plain name=own src=pic.png></a><img id=alone src=pic.png>"
        "</body></html>";
    _tPages["http://h/pic.png"] = "GIF89a";
    _tPages["http://h/t.html"] = _tPages["http://h/u.html"] = "<html><body>t</body></html>";
    struct Case {
        const char* _pszId;
        const char* _pszCoordinates;
        const char* _pszRequest;
        const char* _pszMessage;
    };
    const Case katCases[] = {
        {"map", "12345,67890", "GET http://h/t.html?12345,67890", nullptr},
        {"map", "123456,78901", "GET http://h/t.html?0,0", "(\"123456,78901\", length=12). \"0,0\" used"},
        {"map", "12,x", "GET http://h/t.html?0,0", "(\"12,x\", length=4). \"0,0\" used"},
        {"plain", "3,4", "GET http://h/u.html", "Click on a non-ismap <IMAGE> with non-empty coordinates (\"3,4\")"},
    };
    for (const Case& rtCase : katCases) {
        ASSERT_TRUE(Goto("http://h/p.html")) << _dsLastReason;
        auto* ptImage = dynamic_cast<KxwDomHtmlElementImage*>(ElementById(rtCase._pszId));
        ASSERT_NE(nullptr, ptImage);
        _tRequested.clear();
        KxwRecordingSink tSink;
        KxwDomEventData tData(ptImage);
        tData.SetMapImageCoordinates(rtCase._pszCoordinates);
        _ptEngine->OnStepStart();
        ptImage->OnUserEvent(KXW_DOM_EVENT_TYPE_ENUM_CLICK, &tData);
        _ptEngine->Settle();
        _ptEngine->OnStepEnd();
        EXPECT_EQ(1, CountRequests(rtCase._pszRequest)) << rtCase._pszCoordinates;
        if (rtCase._pszMessage) {
            EXPECT_TRUE(tSink.Saw(rtCase._pszMessage)) << rtCase._pszCoordinates;
        } else {
            EXPECT_FALSE(tSink.Saw("Click on")) << rtCase._pszCoordinates;
        }
    }
    // Without event data an ismap image sends "0,0".
    ASSERT_TRUE(Goto("http://h/p.html")) << _dsLastReason;
    auto* ptImage = dynamic_cast<KxwDomHtmlElementImage*>(ElementById("map"));
    ASSERT_NE(nullptr, ptImage);
    // An image link is known by the image's name, else by its link's.
    auto tNameOf = [this](const char* mpszId) {
        auto* ptElement = dynamic_cast<KxwDomHtmlElementImage*>(ElementById(mpszId));
        const KxwDomHtmlPropertyStr& rtName = ptElement->GetNameForImageLink();
        return std::string(rtName.GetDcsStr() ? rtName.GetDcsStr() : "", rtName.GetDcsLenInBytes());
    };
    EXPECT_EQ("maplink", tNameOf("map"));
    EXPECT_EQ("own", tNameOf("plain"));
    EXPECT_EQ("", tNameOf("alone"));
    KxwRecordingSink tSink;
    EXPECT_EQ("0,0", ptImage->ComputeClickCoordinates(nullptr));
    EXPECT_TRUE(tSink.Saw("mptDomEventDataOrNULL is NULL"));
    EXPECT_TRUE(tSink.Saw("with no coordinates and mptDomEventDataOrNULL="));
    EXPECT_EQ("", _dsErrors);
}

TEST(KxwUtilCoordinatePairTest, DigitsACommaDigitsAndNothingElse) {
    for (const char* pszGood : {"0,0", "1,22", "99999,99999"})
        EXPECT_TRUE(xfbKxwUtilIsCoordinatePair(pszGood, strlen(pszGood))) << pszGood;
    for (const char* pszBad : {"", ",", "1,", ",1", "1,2,3", "1 ,2", "-1,2", "a,b", "12"})
        EXPECT_FALSE(xfbKxwUtilIsCoordinatePair(pszBad, strlen(pszBad))) << pszBad;
    EXPECT_FALSE(xfbKxwUtilIsCoordinatePair(nullptr, 3));
}

// ---- Submitted forms ----

// The page's own script fills the form f and submits it (submit(): no onsubmit, no submit button), so that the
// engine receives the form-submitted notification as a page sends it.
class KxwEngineFormSubmitTest : public KxwEngineVUserTest {
protected:
    void Submit(KxwDomHtmlWindow* mptWindow, const std::string& mdsAction, const std::string& mdsTarget, bool mbPost,
                const std::vector<std::pair<std::string, std::string>>& mrtFields,
                const std::string& mdsEncType = "application/x-www-form-urlencoded") {
        std::string dsScript =
            "var f = document.getElementById('f'); while (f.firstChild) f.removeChild(f.firstChild);";
        for (const auto& rtField : mrtFields)
            dsScript += "var i = document.createElement('input'); i.type = 'hidden'; i.name = '" + rtField.first +
                        "'; i.value = '" + rtField.second + "'; f.appendChild(i);";
        dsScript += "f.action = '" + mdsAction + "'; f.target = '" + mdsTarget + "'; f.method = '" +
                    (mbPost ? "post" : "get") + "'; f.encoding = '" + mdsEncType + "'; f.submit(); 'ok'";
        ASSERT_EQ("ok", Eval(dsScript, mptWindow));
        _ptEngine->Settle();
    }
    // Frames a (whose page holds the element f, the form) and b in a frameset.
    void LoadFrames(KxwDomHtmlWindow** mpptTop, KxwDomHtmlWindow** mpptFrameA) {
        _tPages["http://h/top.html"] =
            "<html><frameset cols='50%,50%'><frame name=a src=a.html><frame name=b src=b.html></frameset></html>";
        _tPages["http://h/a.html"] = "<html><body><form id=f></form></body></html>";
        _tPages["http://h/b.html"] = "<html><body>b</body></html>";
        ASSERT_TRUE(Goto("http://h/top.html"));
        *mpptTop = _ptEngine->GetCurrentWindow();
        *mpptFrameA = xfptKxwDomWindowGetFrame(*mpptTop, 0);
        ASSERT_NE(nullptr, *mpptFrameA);
    }
    // The Content-Type of the last request made with that line, or "(none)".
    std::string BodyTypeOf(const std::string& mdsRequest) const {
        for (size_t n = _tRequested.size(); n-- > 0;)
            if (_tRequested[n] == mdsRequest) return _tBodyTypes[n];
        return "(none)";
    }
};

TEST_F(KxwEngineFormSubmitTest, APostLoadsWithItsTypeAndHistorySendsItAgain) {
    _tPages["http://h/dir/form.html"] = "<html><body><form id=f></form></body></html>";
    _tPages["http://h/dir/up?x=1"] = "<html><body>done</body></html>";
    _tPages["http://h/last.html"] = "<html><body>last</body></html>";
    ASSERT_TRUE(Goto("http://h/dir/form.html"));
    const std::string dsRequest = "POST http://h/dir/up?x=1 a=1&b=2";
    Submit(nullptr, "up?x=1#here", "", true, {{"a", "1"}, {"b", "2"}});
    EXPECT_EQ(1, CountRequests(dsRequest));
    EXPECT_EQ("application/x-www-form-urlencoded", BodyTypeOf(dsRequest));
    EXPECT_EQ("http://h/dir/up?x=1#here", xfdsKxwDomWindowGetHref(_ptEngine->GetCurrentWindow()));
    EXPECT_EQ(1, CountEvents("NAVIGATE http://h/dir/up?x=1#here", true));
    ASSERT_TRUE(Goto("http://h/last.html"));
    EXPECT_EQ("ok", Eval("history.back(); 'ok'"));
    EXPECT_EQ(2, CountRequests(dsRequest)) << "the history sends the POST again";
    EXPECT_EQ("application/x-www-form-urlencoded", BodyTypeOf(dsRequest)) << "with its own type";
}

TEST_F(KxwEngineFormSubmitTest, AGetReplacesTheQueryAndAnEmptyActionIsTheDocumentsUrl) {
    _tPages["http://h/dir/form.html?old=1"] = "<html><body><form id=f></form></body></html>";
    _tPages["http://h/dir/form.html?q=a+b%40c"] = "<html><body>found</body></html>";
    _tPages["http://h/dir/s?"] = "<html><body>empty</body></html>";
    ASSERT_TRUE(Goto("http://h/dir/form.html?old=1"));
    Submit(nullptr, "", "", false, {{"q", "a b@c"}});
    EXPECT_EQ(1, CountRequests("GET http://h/dir/form.html?q=a+b%40c"));
    EXPECT_EQ("http://h/dir/form.html?q=a+b%40c", xfdsKxwDomWindowGetHref(_ptEngine->GetCurrentWindow()));
    ASSERT_TRUE(Goto("http://h/dir/form.html?old=1"));
    // A relative action resolves against the document's address; an empty form sends the "?".
    Submit(nullptr, "s?z=9", "", false, {});
    EXPECT_EQ(1, CountRequests("GET http://h/dir/s?"));
}

TEST_F(KxwEngineFormSubmitTest, TheTargetIsFoundAsALinksIs) {
    _tPages["http://h/r.html?q=1"] = "<html><body>result</body></html>";
    _tPages["http://h/p.html"] = "<html><body>posted</body></html>";
    KxwDomHtmlWindow* ptTop = nullptr;
    KxwDomHtmlWindow* ptFrameA = nullptr;
    ASSERT_NO_FATAL_FAILURE(LoadFrames(&ptTop, &ptFrameA));
    Submit(ptFrameA, "r.html", "b", false, {{"q", "1"}});
    EXPECT_EQ("http://h/r.html?q=1", Eval("frames.b.location.href", ptTop));
    EXPECT_EQ("http://h/a.html", Eval("frames.a.location.href", ptTop));

    // A POST into a new window carries its body and type there.
    Submit(ptFrameA, "p.html", "_blank", true, {{"k", "v"}}, "text/plain");
    KxwDomHtmlWindow* ptNew = xfptKxwObjMgrGetTopWindow(_ptEngine->GetObjMgr(), 1);
    ASSERT_NE(nullptr, ptNew);
    EXPECT_EQ("http://h/p.html", xfdsKxwDomWindowGetHref(ptNew));
    EXPECT_EQ(1, CountRequests("POST http://h/p.html k=v\r\n"));
    EXPECT_EQ("text/plain", BodyTypeOf("POST http://h/p.html k=v\r\n"));

    // An existing named window takes the POST as well, and _top replaces the frameset.
    Submit(ptFrameA, "p.html", "b", true, {{"n", "2"}});
    EXPECT_EQ(1, CountRequests("POST http://h/p.html n=2"));
    EXPECT_EQ("application/x-www-form-urlencoded", BodyTypeOf("POST http://h/p.html n=2"));
    EXPECT_EQ("http://h/p.html", Eval("frames.b.location.href", ptTop));
    Submit(ptFrameA, "r.html", "_top", false, {{"q", "1"}});
    EXPECT_EQ("http://h/r.html?q=1", xfdsKxwDomWindowGetHref(ptTop));
    EXPECT_EQ(0, CountRequests("GET http://h/r.html?q=1 q=1")) << "no body goes with a GET";
}

TEST_F(KxwEngineFormSubmitTest, AJavaScriptActionRunsInTheTargetAndOtherSchemesAreReported) {
    KxwDomHtmlWindow* ptTop = nullptr;
    KxwDomHtmlWindow* ptFrameA = nullptr;
    ASSERT_NO_FATAL_FAILURE(LoadFrames(&ptTop, &ptFrameA));
    size_t nRequests = _tRequested.size();
    Submit(ptFrameA, "javascript:void(window.ran = name)", "", true, {{"a", "1"}});
    EXPECT_EQ("a", Eval("String(frames.a.ran)", ptTop));
    Submit(ptFrameA, "javascript:void(window.ran = name)", "b", false, {{"a", "1"}});
    EXPECT_EQ("b", Eval("String(frames.b.ran)", ptTop));
    EXPECT_EQ(nRequests, _tRequested.size());

    KxwRecordingSink tSink;
    Submit(ptFrameA, "mailto:someone@example.com?subject=hi", "", true, {{"a", "1"}});
    EXPECT_EQ(nRequests, _tRequested.size());
    EXPECT_TRUE(
        tSink.Saw("A form was submitted to \"mailto:someone@example.com?subject=hi\", which this engine cannot "
                  "load: the submission is ignored"));
    EXPECT_EQ("http://h/a.html", Eval("frames.a.location.href", ptTop));
}
