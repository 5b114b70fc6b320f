// The bracket around a page's code: the base URL of the running document, the depth counters, closes held until
// the outermost evaluation ends, and a bracket left open by an exception.
#include <string>

#include "KxwBrowsingFixture.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomScriptEvaluationNotifier.h"

namespace {

class KxwScriptEvaluationNotifierTest : public KxwBrowsingFixture {
protected:
    KxwDomHtmlTopWindow* NewLoadedTop(const char* mpszUrl) {
        KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
        LoadPage(ptTop, mpszUrl);
        return ptTop;
    }
    std::string BaseUrl() const {
        return std::string(_ptObjMgr->GetInitiatorBaseUrlStr(), _ptObjMgr->GetInitiatorBaseUrlLen());
    }
    bool Run(KxwDomHtmlWindow* mptWindow, KxwDomScriptEvaluationNotifier& mrtNotifier, const std::string& mdsScript) {
        KxwJswGlobal::RealmScope tRealm(mptWindow->GetGlobal());
        return _ptApi->EvaluateUtf8(mrtNotifier, nullptr, mdsScript.data(), mdsScript.size(), "test.js", 1);
    }
};

// While code runs, relative URLs resolve against its own document and the document counts it; afterwards the
// caller's base URL is back. A user action's bracket does not count as a script of the document.
TEST_F(KxwScriptEvaluationNotifierTest, BaseUrlAndDepthFollowTheEvaluation) {
    KxwDomHtmlTopWindow* ptTop = NewLoadedTop("http://h/dir/page.html");
    KxwDomHtmlDocument* ptDocument = ptTop->GetDocument();
    ASSERT_NE(nullptr, ptDocument);
    _ptObjMgr->SetInitiatorBaseUrl("http://elsewhere/", 17);
    {
        KxwDomScriptEvaluationNotifier tOuter("outer", ptDocument, true);
        EXPECT_FALSE(tOuter.HasError());
        EXPECT_EQ(ptTop, tOuter.GetInitiatorTopWindow());
        tOuter.OnEvaluationStart();
        EXPECT_EQ("http://h/dir/page.html", BaseUrl());
        EXPECT_EQ(1, ptDocument->GetScriptEvaluationDepth());
        {
            KxwDomScriptEvaluationNotifier tUser("user action", ptTop, false);
            tUser.OnEvaluationStart();
            EXPECT_EQ(1, ptDocument->GetScriptEvaluationDepth());
            tUser.OnEvaluationEnd(true);
        }
        EXPECT_EQ("http://h/dir/page.html", BaseUrl());
        tOuter.OnEvaluationEnd(true);
        EXPECT_EQ(0, ptDocument->GetScriptEvaluationDepth());
    }
    EXPECT_EQ("http://elsewhere/", BaseUrl());
}

// A start twice, or an end without a start, is reported and changes nothing; a bracket destroyed after its start
// without its end (an exception went through) lowers what it raised.
TEST_F(KxwScriptEvaluationNotifierTest, MisuseAndAnUnendedBracket) {
    KxwDomHtmlTopWindow* ptTop = NewLoadedTop("http://h/page.html");
    KxwDomHtmlDocument* ptDocument = ptTop->GetDocument();
    {
        KxwDomScriptEvaluationNotifier tNotifier("twice", ptDocument, true);
        tNotifier.OnEvaluationStart();
        tNotifier.OnEvaluationStart();
        EXPECT_TRUE(tNotifier.HasError());
        EXPECT_EQ(1, ptDocument->GetScriptEvaluationDepth());
        tNotifier.OnEvaluationEnd(true);
        tNotifier.OnEvaluationEnd(true);
        EXPECT_EQ(0, ptDocument->GetScriptEvaluationDepth());
    }
    {
        KxwDomScriptEvaluationNotifier tNotifier("unended", ptDocument, true);
        tNotifier.OnEvaluationStart();
        EXPECT_EQ(1, ptDocument->GetScriptEvaluationDepth());
    }
    EXPECT_EQ(0, ptDocument->GetScriptEvaluationDepth());
    KxwDomScriptEvaluationNotifier tEndOnly("end only", ptDocument, true);
    tEndOnly.OnEvaluationEnd(false);
    EXPECT_TRUE(tEndOnly.HasError());
    EXPECT_EQ(0, ptDocument->GetScriptEvaluationDepth());
    // Without an object to run for there is nothing to count: reported, and harmless.
    KxwDomScriptEvaluationNotifier tOrphan("orphan", nullptr, true);
    EXPECT_TRUE(tOrphan.HasError());
    tOrphan.OnEvaluationStart();
    tOrphan.OnEvaluationEnd(true);
}

// A window that closes itself from its code closes when that code ends, not inside it, and not while an outer
// evaluation of the same window still runs; its document may be gone by then, which the bracket survives.
TEST_F(KxwScriptEvaluationNotifierTest, ClosesWaitForTheOutermostEvaluation) {
    KxwDomHtmlTopWindow* ptTop = NewLoadedTop("http://h/a.html");
    KxwDomHtmlTopWindow* ptOther = NewLoadedTop("http://h/b.html");
    {
        KxwDomScriptEvaluationNotifier tNotifier("self close", ptTop->GetDocument(), true);
        EXPECT_TRUE(Run(ptTop, tNotifier, "window.close(); 'still here: ' + window.closed"));
    }
    EXPECT_TRUE(ptTop->GetIsClosed());

    KxwDomScriptEvaluationNotifier tOuter("outer", ptOther, true);
    tOuter.OnEvaluationStart();
    {
        KxwDomScriptEvaluationNotifier tInner("inner", ptOther->GetDocument(), true);
        EXPECT_TRUE(Run(ptOther, tInner, "window.close()"));
    }
    EXPECT_FALSE(ptOther->GetIsClosed());
    EXPECT_TRUE(ptOther->GetDeferredClose());
    tOuter.OnEvaluationEnd(true);
    EXPECT_TRUE(ptOther->GetIsClosed());
}

}  // namespace
