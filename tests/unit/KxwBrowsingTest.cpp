// Windows, frames and their loads through the object manager and DOM commands, with the test standing in for the
// engine: it answers the notifications itself and delivers the pages in the order it chooses (out of order, or
// failed), as an asynchronous engine may.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "KxwBrowsingFixture.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlHistory.h"
#include "KxwDomHtmlTopWindow.h"
#include "kxw/KxwDomBrowsing.h"
#include "kxw/KxwDomCommand.h"
#include "kxw/KxwDomHtmlBuild.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"

namespace {

struct Notified {
    int _iType;
    void* _pvSubject;
    std::string _dsUrl;  // of a location change
    int _iChangeType = -1;
};

class KxwBrowsingTest : public KxwBrowsingFixture {
protected:
    void OnNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void*) override {
        Notified tNotified{static_cast<int>(meType), mpvSubject, std::string(), -1};
        if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_LOCATION_CHANGE) {
            tNotified._dsUrl = xfdsKxwDomLocationChangeGetUrl(mpvSubject);
            tNotified._iChangeType = xfiKxwDomLocationChangeGetType(mpvSubject);
        }
        _tNotified.push_back(tNotified);
    }
    int CountNotified(int miType, void* mpvSubject = nullptr) const {
        int iCount = 0;
        for (const Notified& rtNotified : _tNotified)
            if (rtNotified._iType == miType && (!mpvSubject || rtNotified._pvSubject == mpvSubject)) ++iCount;
        return iCount;
    }

    std::vector<Notified> _tNotified;
};

// A frameset whose frames the engine delivers out of order, one of them failed: each frame is asked for once, the
// parent's onload waits for both and fires last, and the frames reach one another through their windows.
TEST_F(KxwBrowsingTest, FramesetOnloadWaitsForEveryFrameHoweverItEnds) {
    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
    ASSERT_NE(nullptr, ptTop);
    KxwDomCommand* ptCommand = StartPage(ptTop, "http://h/top.html");
    KxwDomHtmlDocument* ptDocument = ptTop->GetDocument();
    EXPECT_EQ("ok", Eval(ptTop, "var order = []; onload = function() { order.push('top') }; 'ok'"));
    KxwDomNodeBase* ptHtml = Element(ptDocument, "HTML");
    KxwDomNodeBase* ptFrameset = Element(ptDocument, "FRAMESET");
    KxwDomNodeBase* ptFrameA = Element(ptDocument, "FRAME", "a", "a.html");
    KxwDomNodeBase* ptFrameB = Element(ptDocument, "FRAME", "b", "b.html");
    ASSERT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptDocument, ptHtml));
    ASSERT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptHtml, ptFrameset));
    ASSERT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptFrameset, ptFrameA));
    ASSERT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptFrameset, ptFrameB));
    FinishPage(ptCommand);
    EXPECT_EQ(1, CountNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM_FRAME_SRC, ptFrameA));
    EXPECT_EQ(1, CountNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM_FRAME_SRC, ptFrameB));
    EXPECT_EQ("http://h/b.html", xfdsKxwDomFrameElementGetSrc(ptFrameB));
    EXPECT_FALSE(ptTop->IsOnLoadInvoked()) << "the top page completed before its frames";
    EXPECT_EQ(2, ptTop->GetOnLoadCounter());

    KxwDomHtmlWindow* ptWindowA = xfptKxwDomFrameElementGetWindow(ptFrameA);
    KxwDomHtmlWindow* ptWindowB = xfptKxwDomFrameElementGetWindow(ptFrameB);
    ASSERT_NE(nullptr, ptWindowA);
    ASSERT_NE(nullptr, ptWindowB);
    EXPECT_NE(ptWindowA->GetFrameHierarchyId(), ptWindowB->GetFrameHierarchyId());

    // The second frame first.
    KxwDomCommand* ptCommandB = StartPage(ptWindowB, "http://h/b.html");
    EXPECT_EQ("ok", Eval(ptWindowB, "onload = function() { top.order.push(name) }; 'ok'"));
    FinishPage(ptCommandB);
    EXPECT_TRUE(ptWindowB->IsOnLoadInvoked());
    EXPECT_FALSE(ptTop->IsOnLoadInvoked());
    EXPECT_EQ("b", Eval(ptTop, "order.join()"));

    // The first one fails (a 404): the parent's wait ends all the same, once.
    KxwDomCommand* ptCommandA = StartPage(ptWindowA, "http://h/a.html");
    char* pszMessage = strdup("HTTP 404 Not Found for http://h/a.html");
    ptCommandA->OnTaskDownloadFailed(KXW_WTL_SEV_LVL_ENUM_WARNING, pszMessage, 0);
    EXPECT_EQ(nullptr, pszMessage) << "the message was taken over";
    _ptObjMgr->ReturnDomCommandForReuse(ptCommandA);
    EXPECT_TRUE(ptTop->IsOnLoadInvoked());
    EXPECT_EQ(0, ptTop->GetOnLoadCounter());
    EXPECT_EQ("b,top", Eval(ptTop, "order.join()"));
    EXPECT_TRUE(ptDocument->IsInitialProcessingEnded()) << "set before onload ran";
    EXPECT_EQ("2", Eval(ptTop, "frames.length"));
    EXPECT_EQ("b", Eval(ptWindowB, "name"));
    EXPECT_EQ("b", Eval(ptTop, "frames[1].name"));
    EXPECT_EQ("b", Eval(ptTop, "frames['b'].name"));
    EXPECT_EQ("b", Eval(ptTop, "b.name"));
    EXPECT_EQ("true", Eval(ptTop, "String(frames[0] === frames.a)"));
    EXPECT_EQ("true", Eval(ptWindowA, "String(parent.frames[1] === parent.b && top === parent)"));
    EXPECT_EQ(1, CountNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM_FRAME_SRC, ptFrameA)) << "no frame is asked twice";
}

// A subresource the window waits for: its hold ends whether it completes, fails, or its element goes first.
TEST_F(KxwBrowsingTest, ScriptDownloadsReleaseTheirHoldOnceWhateverTheirEnd) {
    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
    KxwDomCommand* ptPage = StartPage(ptTop, "http://h/page.html");
    KxwDomHtmlDocument* ptDocument = ptTop->GetDocument();
    KxwDomNodeBase* ptHtml = Element(ptDocument, "HTML");
    KxwDomNodeBase* ptScript1 = Element(ptDocument, "SCRIPT", nullptr, "missing.js");
    KxwDomNodeBase* ptScript2 = Element(ptDocument, "SCRIPT", nullptr, "gone.js");
    ASSERT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptDocument, ptHtml));
    ASSERT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptHtml, ptScript1));
    ASSERT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptHtml, ptScript2));
    KxwDomCommand* ptLoad1 = _ptObjMgr->ObtainDomCommand();
    ASSERT_TRUE(ptLoad1->PrepareCommandDownloadScript(ptScript1));
    KxwDomCommand* ptLoad2 = _ptObjMgr->ObtainDomCommand();
    ASSERT_TRUE(ptLoad2->PrepareCommandDownloadScript(ptScript2));
    EXPECT_EQ(2, ptTop->GetOnLoadCounter()) << "held from the request on";
    FinishPage(ptPage);
    EXPECT_FALSE(ptTop->IsOnLoadInvoked());

    char* pszMessage = strdup("HTTP 404 Not Found");
    ptLoad1->OnTaskDownloadFailed(KXW_WTL_SEV_LVL_ENUM_WARNING, pszMessage, 0);
    ptLoad1->OnTaskAborted();  // a second end gives nothing back twice
    EXPECT_EQ(1, ptTop->GetOnLoadCounter());
    // The command of the other one is handed back without any end: the hold goes with it.
    _ptObjMgr->ReturnDomCommandForReuse(ptLoad2);
    EXPECT_TRUE(ptTop->IsOnLoadInvoked());
    EXPECT_EQ(0, ptTop->GetOnLoadCounter());
    _ptObjMgr->ReturnDomCommandForReuse(ptLoad1);
}

// A new page gets a global of its own: its variables are gone on the next page, while every reference to the
// window (the opener's, its own name) stays the same object, and the old page's global can be collected.
TEST_F(KxwBrowsingTest, NavigationKeepsTheWindowAndDropsThePage) {
    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
    LoadPage(ptTop, "http://h/opener.html");
    EXPECT_EQ("pop", Eval(ptTop, "var x = 1; var w = window.open('', 'pop'); w.name"));
    EXPECT_EQ(0, CountNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM_WINDOW_OPENED)) << "nothing to load";
    KxwDomHtmlTopWindow* ptPopup = ptTop->GetNextTopWindow();
    ASSERT_NE(nullptr, ptPopup);
    EXPECT_EQ(ptTop, ptPopup->GetOpener());
    EXPECT_EQ("1", Eval(ptPopup, "var y = 2; opener.x"));
    size_t nGlobals = _ptEngine->GetGlobalCount();

    LoadPage(ptPopup, "http://h/next.html");
    EXPECT_EQ("undefined", Eval(ptPopup, "typeof y"));
    EXPECT_EQ("true:true:false", Eval(ptTop, "(w === window.open('', 'pop')) + ':' + (w.document != null) + ':' + "
                                             "w.closed"));
    EXPECT_EQ("http://h/next.html", Eval(ptTop, "w.location.href"));
    _ptEngine->CollectGarbage();
    EXPECT_LE(_ptEngine->GetGlobalCount(), nGlobals) << "the old page's global stayed alive";

    // A page's own script closes its window only once the script has ended.
    EXPECT_EQ("false", Eval(ptPopup, "window.close(); closed"));
    EXPECT_TRUE(ptPopup->GetIsClosed());
    EXPECT_EQ(1, CountNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM_WINDOW_CLOSED, ptPopup));
    EXPECT_EQ("true", Eval(ptTop, "w.closed"));
    _ptObjMgr->IterationReset(false);
    EXPECT_EQ("ERROR", Eval(ptTop, "w.closed")) << "a closed window goes at the end of the iteration";
}

// back() loads the page before the current one, the load it causes is not recorded again, and a new navigation
// after it drops the forward pages, so that recording goes on.
TEST_F(KxwBrowsingTest, BackGoesToThePreviousPageAndRecordingGoesOn) {
    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
    LoadPage(ptTop, "http://h/1");
    LoadPage(ptTop, "http://h/2");
    LoadPage(ptTop, "http://h/3");
    LoadPage(ptTop, "file:///not/recorded");
    EXPECT_EQ("3", Eval(ptTop, "history.length")) << "only http and https pages are recorded";
    LoadPage(ptTop, "http://h/3");
    _tNotified.clear();
    Eval(ptTop, "history.back()");
    ASSERT_EQ(1, CountNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM_LOCATION_CHANGE));
    EXPECT_EQ("http://h/3", _tNotified[0]._dsUrl) << "the page before the current one, never the current one again";
    EXPECT_EQ(KXW_DOM_HTML_LOCATION_CHANGE_HISTORY, _tNotified[0]._iChangeType);
    LoadPage(ptTop, _tNotified[0]._dsUrl);
    EXPECT_EQ(4u, ptTop->GetHistory()->GetItemCount()) << "the history's own load is not recorded";
    EXPECT_FALSE(ptTop->GetHistory()->IsHistoryNavigationActive()) << "the history's page completed";
    LoadPage(ptTop, "http://h/5");
    EXPECT_EQ(4u, ptTop->GetHistory()->GetItemCount()) << "the forward page goes, the new one is recorded";
    _tNotified.clear();
    Eval(ptTop, "history.go(-2)");
    ASSERT_EQ(1, CountNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM_LOCATION_CHANGE));
    EXPECT_EQ("http://h/2", _tNotified[0]._dsUrl);
}

TEST(KxwBrowsingFrameIds, ChildIdsAndDescendantsByFourBitShifts) {
    EXPECT_TRUE(xfbKxwDomIsFrameHierarchyIdInside(0x12, 0x1));
    EXPECT_TRUE(xfbKxwDomIsFrameHierarchyIdInside(0x123, 0x1)) << "a grandchild";
    EXPECT_FALSE(xfbKxwDomIsFrameHierarchyIdInside(0x3, 0x1)) << "a sibling holds the bits but is no child";
    EXPECT_FALSE(xfbKxwDomIsFrameHierarchyIdInside(0x21, 0x1));
    EXPECT_TRUE(xfbKxwDomIsFrameHierarchyIdInside(0x5, 0x0)) << "every frame is inside the top window";
    EXPECT_FALSE(xfbKxwDomIsFrameHierarchyIdInside(0xFFFFFFFFu, 0x1));
}

TEST_F(KxwBrowsingTest, FrameIdsStopAtThirtyTwoBitsAndFifteenChildren) {
    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
    for (uint32_t n = 1; n <= 15; ++n) EXPECT_EQ(n, ptTop->ComputeChildFrameHierarchyId());
    EXPECT_EQ(0xFFFFFFFFu, ptTop->ComputeChildFrameHierarchyId());
}

TEST_F(KxwBrowsingTest, CommandsAreReusedAndSitOnOneListAtATime) {
    KxwDomCommand* ptCommand = _ptObjMgr->ObtainDomCommand();
    EXPECT_TRUE(_ptObjMgr->AddExecutingDomCommand(ptCommand));
    EXPECT_FALSE(_ptObjMgr->AddExecutingDomCommand(ptCommand)) << "already executing";
    // Handed back while still executing: it leaves that list first.
    _ptObjMgr->ReturnDomCommandForReuse(ptCommand);
    EXPECT_FALSE(_ptObjMgr->IsExecutingDomCommand(ptCommand));
    EXPECT_EQ(ptCommand, _ptObjMgr->ObtainDomCommand());
    EXPECT_EQ(1u, _ptObjMgr->GetDomCommandCount());
    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
    ASSERT_TRUE(ptCommand->PrepareCommandReplaceWindow(ptTop, true));
    ptCommand->SetAssociatedDocumentResponseCharset("utf-8");  // held until the command has its document
    _ptObjMgr->ReturnDomCommandForReuse(ptCommand);            // never executed
    KxwDomCommand* ptNext = _ptObjMgr->ObtainDomCommand();
    ASSERT_TRUE(ptNext->PrepareCommandReplaceWindow(ptTop, true));
    ptNext->ExecuteCommand("http://h/x", 10, nullptr, 0, nullptr, true, nullptr);
    EXPECT_STREQ("windows-1252", ptTop->GetDocument()->GetResponseCharsetName())
        << "a charset of an earlier use of the command decoded an unrelated page";
    _ptObjMgr->ReturnDomCommandForReuse(ptNext);
}

}  // namespace
