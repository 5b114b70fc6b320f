// location and history against the library, with the test standing in for the engine: the change type and the
// address each change of location sends, the parts of addresses on default and other ports, and the history's
// own bookkeeping (frame entries, replaced entries, the size limit, counting pages, history support).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KxwBrowsingFixture.h"
#include "KxwDomHtmlHistory.h"
#include "KxwDomHtmlLocation.h"
#include "KxwDomHtmlTopWindow.h"
#include "kxw/KxwDomBrowsing.h"
#include "kxw/KxwDomCommand.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"

namespace {

struct Change {
    std::string _dsUrl;
    std::string _dsQuery;
    int _iType;
    KxwPostId _tPostId;
};

class KxwLocationHistoryTest : public KxwBrowsingFixture {
protected:
    void OnNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvExtra) override {
        if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_LOCATION_CHANGE) {
            auto* ptChange = static_cast<KxwDomHtmlLocationChangeNotification*>(mpvSubject);
            _tChanges.push_back({ptChange->GetUrl(), ptChange->GetQueryDcs(), static_cast<int>(ptChange->GetType()),
                                 ptChange->GetPostId()});
        } else if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_POST_ISSUED) {
            *static_cast<KxwPostId*>(mpvExtra) = _tNextPostId;
        } else if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_HISTORY_POST_GONE) {
            _tPostsGone.push_back(*static_cast<KxwPostId*>(mpvSubject));
        }
    }

    KxwDomHtmlTopWindow* NewTop() { return _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0); }

    // One change is expected of the script: its address and type ("" and -1 when nothing was sent).
    Change ChangeOf(KxwDomHtmlWindow* mptWindow, const std::string& mdsScript) {
        _tChanges.clear();
        EXPECT_NE("ERROR", Eval(mptWindow, mdsScript)) << mdsScript;
        EXPECT_LE(_tChanges.size(), 1u) << mdsScript;
        return _tChanges.empty() ? Change{"", "", -1, 0} : _tChanges.back();
    }

    static void Record(KxwDomHtmlHistory* mptHistory, const std::string& mdsUrl, uint32_t muFrameId, bool mbPrimary,
                       bool mbReplace = false, KxwPostNotificationInfo* mptPost = nullptr) {
        mptHistory->NotifyUrl(mdsUrl.data(), static_cast<unsigned>(mdsUrl.size()), mptPost, muFrameId, mbPrimary,
                              mbReplace);
    }
    static std::string Urls(const KxwDomHtmlHistory* mptHistory) {
        std::string dsUrls;
        for (const KxwHistoryItem& rtItem : mptHistory->GetItems())
            dsUrls += (dsUrls.empty() ? "" : " ") + rtItem._ssbUrl;
        return dsUrls;
    }

    std::vector<Change> _tChanges;
    std::vector<KxwPostId> _tPostsGone;
    KxwPostId _tNextPostId = 7;
};

// Each way of changing location sends its change type with the address it makes; a new fragment of the same page,
// a pathname that changes nothing and the parts that cannot be changed send nothing.
TEST_F(KxwLocationHistoryTest, EachChangeOfLocationSendsItsTypeAndAddress) {
    KxwDomHtmlTopWindow* ptTop = NewTop();
    LoadPage(ptTop, "http://h/p/a.html?q=1#f");
    Change tChange = ChangeOf(ptTop, "location.href = 'b.html'");
    EXPECT_EQ("http://h/p/b.html", tChange._dsUrl);
    EXPECT_EQ(KXW_DOM_HTML_LOCATION_CHANGE_HREF, tChange._iType);
    tChange = ChangeOf(ptTop, "location.search = '?x=2'");
    EXPECT_EQ("http://h/p/a.html?x=2#f", tChange._dsUrl) << "the query is replaced, the fragment stays";
    EXPECT_EQ("x=2", tChange._dsQuery);
    EXPECT_EQ(KXW_DOM_HTML_LOCATION_CHANGE_SEARCH, tChange._iType);
    tChange = ChangeOf(ptTop, "location.pathname = 'z/c.html'");
    EXPECT_EQ("http://h/z/c.html?q=1#f", tChange._dsUrl);
    EXPECT_EQ(KXW_DOM_HTML_LOCATION_CHANGE_REPLACE, tChange._iType);
    EXPECT_EQ(-1, ChangeOf(ptTop, "location.pathname = '/p/a.html'")._iType) << "the same path loads nothing";
    tChange = ChangeOf(ptTop, "location.replace('d.html')");
    EXPECT_EQ("http://h/p/d.html", tChange._dsUrl);
    EXPECT_EQ(KXW_DOM_HTML_LOCATION_CHANGE_REPLACE, tChange._iType);
    tChange = ChangeOf(ptTop, "location.reload()");
    EXPECT_EQ("http://h/p/a.html?q=1#f", tChange._dsUrl);
    EXPECT_EQ("", tChange._dsQuery);
    EXPECT_EQ(KXW_DOM_HTML_LOCATION_CHANGE_RELOAD, tChange._iType);
    EXPECT_EQ(KXW_DOM_HTML_LOCATION_CHANGE_RELOAD, ChangeOf(ptTop, "location.reload(false)")._iType);
    EXPECT_EQ(KXW_DOM_HTML_LOCATION_CHANGE_RELOAD_FORCED, ChangeOf(ptTop, "location.reload(true)")._iType);
    tChange = ChangeOf(ptTop, "history.go(0)");
    EXPECT_EQ("http://h/p/a.html?q=1#f", tChange._dsUrl);
    EXPECT_EQ(KXW_DOM_HTML_LOCATION_CHANGE_HISTORY_RELOAD, tChange._iType);
    ptTop->GetHistory()->NotifyComplete();

    // Fragments of this page: the address changes, nothing is loaded.
    EXPECT_EQ(-1, ChangeOf(ptTop, "location.hash = 'g'")._iType);
    EXPECT_EQ("http://h/p/a.html?q=1#g", Eval(ptTop, "location.href"));
    EXPECT_EQ(-1, ChangeOf(ptTop, "location.hash = '#h'; location.replace('#i')")._iType);
    EXPECT_EQ(-1, ChangeOf(ptTop, "location.href = 'http://h/p/a.html?q=1#j'")._iType);
    EXPECT_EQ("#j", Eval(ptTop, "location.hash"));
    tChange = ChangeOf(ptTop, "location.href = 'http://h/p/a.html?q=1'");
    EXPECT_EQ(KXW_DOM_HTML_LOCATION_CHANGE_HREF, tChange._iType) << "the same page without a fragment loads again";
    EXPECT_EQ(KXW_DOM_HTML_LOCATION_CHANGE_HREF, ChangeOf(ptTop, "location.href = 'a.html?q=2#j'")._iType)
        << "another query is another page";
    EXPECT_EQ(-1, ChangeOf(ptTop, "location.port = '81'; location.hostname = 'x'; location.protocol = 'ftp:'")._iType);
    EXPECT_EQ(-1, ChangeOf(ptTop, "location.host = 'x:81'")._iType);
    EXPECT_EQ("h", Eval(ptTop, "location.host")) << "host refuses the assignment";
    EXPECT_EQ("http://h/p/a.html?q=1#j", Eval(ptTop, "location.href"));
}

// The native operations check their change types and arguments; a bad one sends nothing.
TEST_F(KxwLocationHistoryTest, ReplaceAndReloadRefuseOtherChangeTypes) {
    KxwDomHtmlTopWindow* ptTop = NewTop();
    LoadPage(ptTop, "http://h/a.html");
    KxwDomHtmlLocation* ptLocation = ptTop->GetLocation();
    _tChanges.clear();
    EXPECT_FALSE(ptLocation->Replace("b.html", 6, KXW_DOM_HTML_LOCATION_CHANGE_RELOAD, 0));
    EXPECT_FALSE(ptLocation->Replace("b.html", 6, KXW_DOM_HTML_LOCATION_CHANGE_SEARCH, 0));
    EXPECT_FALSE(ptLocation->Replace("b.html", -1, KXW_DOM_HTML_LOCATION_CHANGE_HREF, 0));
    EXPECT_FALSE(ptLocation->Replace(nullptr, 3, KXW_DOM_HTML_LOCATION_CHANGE_HREF, 0));
    EXPECT_FALSE(ptLocation->Reload(KXW_DOM_HTML_LOCATION_CHANGE_REPLACE, 0));
    EXPECT_FALSE(ptLocation->Reload(KXW_DOM_HTML_LOCATION_CHANGE_HISTORY, 0));
    EXPECT_TRUE(_tChanges.empty());
    for (auto eType : {KXW_DOM_HTML_LOCATION_CHANGE_REPLACE, KXW_DOM_HTML_LOCATION_CHANGE_HISTORY,
                       KXW_DOM_HTML_LOCATION_CHANGE_NAVIGATE, KXW_DOM_HTML_LOCATION_CHANGE_SHOW_DOCUMENT,
                       KXW_DOM_HTML_LOCATION_CHANGE_HREF, KXW_DOM_HTML_LOCATION_CHANGE_META_REFRESH})
        EXPECT_TRUE(ptLocation->Replace("b.html", 6, eType, 0)) << eType;
    for (auto eType : {KXW_DOM_HTML_LOCATION_CHANGE_RELOAD, KXW_DOM_HTML_LOCATION_CHANGE_RELOAD_FORCED,
                       KXW_DOM_HTML_LOCATION_CHANGE_HISTORY_RELOAD, KXW_DOM_HTML_LOCATION_CHANGE_RELOAD_OTHER,
                       KXW_DOM_HTML_LOCATION_CHANGE_DIALOG})
        EXPECT_TRUE(ptLocation->Reload(eType, 0)) << eType;
    EXPECT_EQ(11u, _tChanges.size());
    // A META refresh to a fragment loads the page: it is the one change a "#" does not keep on the page.
    _tChanges.clear();
    EXPECT_TRUE(ptLocation->Replace("#x", 2, KXW_DOM_HTML_LOCATION_CHANGE_META_REFRESH, 0));
    ASSERT_EQ(1u, _tChanges.size());
    EXPECT_EQ("http://h/a.html#x", _tChanges[0]._dsUrl);
}

// The port shows only when it is not the scheme's default, in port and in host; other schemes than ftp, http and
// https have no default port and a protocol of "unk:".
TEST_F(KxwLocationHistoryTest, PartsOnDefaultAndOtherPorts) {
    struct Case {
        const char* _pszUrl;
        const char* _pszParts;  // protocol|host|hostname|port|pathname|search|hash
    } katCases[] = {
        {"http://h:80/a", "http:|h|h||/a||"},
        {"http://h/a", "http:|h|h||/a||"},
        {"http://h:8080/a?b#c", "http:|h:8080|h|8080|/a|?b|#c"},
        {"https://h:443/", "https:|h|h||/||"},
        {"https://h:80/", "https:|h:80|h|80|/||"},
        {"https://h:8443/x?", "https:|h:8443|h|8443|/x||"},
        {"ftp://h:21/f", "ftp:|h|h||/f||"},
        {"ftp://h:2121/f", "ftp:|h:2121|h|2121|/f||"},
        {"http://h/a#b?c", "http:|h|h||/a||#b?c"},
    };
    KxwDomHtmlTopWindow* ptTop = NewTop();
    for (const Case& rtCase : katCases) {
        LoadPage(ptTop, rtCase._pszUrl);
        EXPECT_EQ(rtCase._pszParts, Eval(ptTop,
                                         "[location.protocol, location.host, location.hostname, location.port, "
                                         "location.pathname, location.search, location.hash].join('|')"))
            << rtCase._pszUrl;
        EXPECT_EQ(rtCase._pszUrl, Eval(ptTop, "location.toString()"));
    }
    LoadPage(ptTop, "file:///c/x.html");
    EXPECT_EQ("unk:||", Eval(ptTop, "[location.protocol, location.host, location.port].join('|')"));
}

// The base URL is a BASE element's when there is one, the domain is the host, and only a page with an address
// that is not about: needs a download.
TEST_F(KxwLocationHistoryTest, BaseUrlDomainAndDownload) {
    KxwDomHtmlTopWindow* ptTop = NewTop();
    LoadPage(ptTop, "http://www.h.example:81/d/a.html");
    KxwDomHtmlLocation* ptLocation = ptTop->GetLocation();
    EXPECT_EQ("http://www.h.example:81/d/a.html", ptLocation->GetBaseURL());
    EXPECT_EQ("www.h.example", ptLocation->GetDomain());
    EXPECT_TRUE(ptLocation->IsDownloadRequired());
    ptTop->GetDocument()->SetNonHrefBaseUrlDcs("http://cdn/x/", 13);
    EXPECT_EQ("http://cdn/x/", ptLocation->GetBaseURL());
    _tChanges.clear();
    Eval(ptTop, "location.href = 'y.html'");
    ASSERT_EQ(1u, _tChanges.size());
    EXPECT_EQ("http://cdn/x/y.html", _tChanges[0]._dsUrl) << "relative addresses resolve against the base";
    for (const char* pszBlank : {"about:blank", "ABOUT:x"}) {
        LoadPage(ptTop, pszBlank);
        ptLocation = ptTop->GetLocation();  // each page has its own
        EXPECT_FALSE(ptLocation->IsDownloadRequired()) << pszBlank;
        EXPECT_EQ("", ptLocation->GetDomain());
    }
}

// A frame's entry replaced in place drops the entries of the frames inside it; a frame met for the first time is
// entered after its nearest ancestor and stays with the current page.
TEST_F(KxwLocationHistoryTest, ReplacedFrameEntriesAndNewFrames) {
    KxwDomHtmlHistory* ptHistory = NewTop()->GetHistory();
    Record(ptHistory, "http://h/P", 0, true, true);  // an empty history records a replace as a new entry
    Record(ptHistory, "http://h/F1", 0x1, false);
    Record(ptHistory, "http://h/F11", 0x11, false);
    Record(ptHistory, "http://h/F2", 0x2, false);
    Record(ptHistory, "http://h/F1b", 0x1, false, true);
    EXPECT_EQ("http://h/P http://h/F1b http://h/F2", Urls(ptHistory)) << "F11 was inside the replaced frame";
    Record(ptHistory, "http://h/F3", 0x3, false, true);
    EXPECT_EQ("http://h/P http://h/F3 http://h/F1b http://h/F2", Urls(ptHistory));
    EXPECT_EQ(3u, ptHistory->GetCurrentPosition());

    KxwDomHtmlTopWindow* ptOtherTop = NewTop();
    KxwDomHtmlHistory* ptOther = ptOtherTop->GetHistory();
    Record(ptOther, "http://h/Q", 0, true);
    Record(ptOther, "http://h/Q1", 0x1, false, true);
    EXPECT_EQ(1u, ptOther->GetCurrentPosition()) << "the frame's entry belongs to the current page";
    Record(ptOther, "http://h/R", 0, true);
    EXPECT_EQ("http://h/Q http://h/Q1 http://h/R", Urls(ptOther)) << "a new page does not drop the frame's entry";
    EXPECT_EQ("3", Eval(ptOtherTop, "history.length"));
}

// A POST entry replaced by a page that came by GET forgets its POST (going back sends no form) and lets the engine
// drop its cached answer; a POST that would replace an entry is refused.
TEST_F(KxwLocationHistoryTest, ReplacingAPostEntryForgetsThePost) {
    KxwDomHtmlHistory* ptHistory = NewTop()->GetHistory();
    std::string dsPost = "http://h/order";
    KxwPostNotificationInfo tPost{dsPost.data(), dsPost.size(), 0};
    Record(ptHistory, dsPost, 0, true, false, &tPost);
    ASSERT_EQ(1u, ptHistory->GetItemCount());
    EXPECT_EQ(7u, ptHistory->GetItems()[0]._tPostId);
    Record(ptHistory, "http://h/thanks", 0, true, true);
    ASSERT_EQ(1u, ptHistory->GetItemCount());
    EXPECT_EQ("http://h/thanks", ptHistory->GetItems()[0]._ssbUrl);
    EXPECT_EQ(0u, ptHistory->GetItems()[0]._tPostId);
    EXPECT_EQ(std::vector<KxwPostId>{7}, _tPostsGone);
    Record(ptHistory, dsPost, 0, true, true, &tPost);
    EXPECT_EQ("http://h/thanks", Urls(ptHistory)) << "a POST never replaces an entry";
    _tNextPostId = 1;  // the engine sent no form data
    Record(ptHistory, dsPost, 0, true, false, &tPost);
    EXPECT_EQ(1u, ptHistory->GetItemCount()) << "a POST the engine did not confirm is not recorded";
}

// The limit counts pages, not frame entries: the page that goes takes its frame entries with it. The limit is the
// setting of the virtual user when its window was made.
TEST_F(KxwLocationHistoryTest, SizeLimitCountsPagesOfTheVirtualUser) {
    _tVUser.GetRTS().SetHistorySize(2);
    KxwDomHtmlTopWindow* ptTop = NewTop();
    KxwDomHtmlHistory* ptHistory = ptTop->GetHistory();
    Record(ptHistory, "http://h/1", 0, true);
    Record(ptHistory, "http://h/1a", 0x1, false);
    Record(ptHistory, "http://h/1b", 0x2, false);
    Record(ptHistory, "http://h/2", 0, true);
    Record(ptHistory, "http://h/2a", 0x1, false);
    EXPECT_EQ(5u, ptHistory->GetItemCount());
    Record(ptHistory, "http://h/3", 0, true);
    EXPECT_EQ("http://h/2 http://h/2a http://h/3", Urls(ptHistory));
    Record(ptHistory, "http://h/4", 0, true);
    EXPECT_EQ("http://h/3 http://h/4", Urls(ptHistory));
    EXPECT_EQ(1u, ptHistory->GetCurrentPosition());

    _tVUser.GetRTS().SetHistorySize(3);
    KxwDomHtmlHistory* ptLarger = NewTop()->GetHistory();
    for (const char* pszUrl : {"http://h/1", "http://h/2", "http://h/3", "http://h/4"}) {
        Record(ptLarger, pszUrl, 0, true);
        Record(ptHistory, pszUrl, 0, true);
    }
    EXPECT_EQ(3u, ptLarger->GetItemCount());
    EXPECT_EQ(2u, ptHistory->GetItemCount()) << "the first window keeps the limit it was made with";
}

// Back and forward count pages, not frame entries, from the page shown; the page's frame entries give each frame
// the address it showed. Beyond the ends a silent call does nothing and succeeds, another one fails.
TEST_F(KxwLocationHistoryTest, BackAndForwardCountPagesAndRestoreFrames) {
    KxwDomHtmlTopWindow* ptTop = NewTop();
    LoadPage(ptTop, "http://h/A");
    KxwDomHtmlHistory* ptHistory = ptTop->GetHistory();
    Record(ptHistory, "http://h/A1", 0x1, false);
    Record(ptHistory, "http://h/A2", 0x2, false);
    Record(ptHistory, "http://h/A1b", 0x1, false);
    LoadPage(ptTop, "http://h/B");
    Record(ptHistory, "http://h/B1", 0x1, false);
    LoadPage(ptTop, "http://h/C");
    EXPECT_EQ(7u, ptHistory->GetItemCount());

    _tChanges.clear();
    EXPECT_TRUE(ptHistory->Back(2, false));
    ASSERT_EQ(1u, _tChanges.size());
    EXPECT_EQ("http://h/A", _tChanges[0]._dsUrl);
    EXPECT_EQ(KXW_DOM_HTML_LOCATION_CHANGE_HISTORY, _tChanges[0]._iType);
    EXPECT_TRUE(ptHistory->IsHistoryNavigationActive());
    EXPECT_EQ(3u, ptHistory->GetCurrentPosition()) << "the page with its frame entries";
    std::string dsUrl;
    KxwPostId tPostId = 99;
    EXPECT_TRUE(ptHistory->HistoryOverridePerformed(0x1, dsUrl, tPostId));
    EXPECT_EQ("http://h/A1b", dsUrl) << "the frame's last address on that page";
    EXPECT_EQ(0u, tPostId);
    EXPECT_TRUE(ptHistory->HistoryOverridePerformed(0x2, dsUrl, tPostId));
    EXPECT_EQ("http://h/A2", dsUrl);
    EXPECT_FALSE(ptHistory->HistoryOverridePerformed(0x3, dsUrl, tPostId));
    // The page that asked completes before the history's load begins: the history navigation goes on.
    ptHistory->NotifyWindowComplete(0);
    EXPECT_TRUE(ptHistory->IsHistoryNavigationActive());
    LoadPage(ptTop, "http://h/A");
    EXPECT_FALSE(ptHistory->IsHistoryNavigationActive());
    EXPECT_FALSE(ptHistory->HistoryOverridePerformed(0x1, dsUrl, tPostId)) << "only while it is on";
    EXPECT_EQ(7u, ptHistory->GetItemCount()) << "the history's own loads are not recorded";

    _tChanges.clear();
    EXPECT_FALSE(ptHistory->Back(1, false));
    EXPECT_TRUE(ptHistory->Back(1, true));
    EXPECT_TRUE(ptHistory->Forward(3, true));
    EXPECT_TRUE(_tChanges.empty());
    EXPECT_FALSE(ptHistory->IsHistoryNavigationActive());
    EXPECT_TRUE(ptHistory->Forward(0, false)) << "a count below 1 is 1";
    ASSERT_EQ(1u, _tChanges.size());
    EXPECT_EQ("http://h/B", _tChanges[0]._dsUrl);
    ptHistory->NotifyComplete();
    _tChanges.clear();
    EXPECT_EQ("undefined", Eval(ptTop, "history.go('-1')"));
    ASSERT_EQ(1u, _tChanges.size());
    EXPECT_EQ("http://h/A", _tChanges[0]._dsUrl) << "a text is read as a number";
    ptHistory->NotifyComplete();
    _tChanges.clear();
    EXPECT_EQ("undefined", Eval(ptTop,
                                "history.go(-2147483648); history.go('-99999999999'); "
                                "history.go('99999999999 pages'); history.go(' 5x')"));
    EXPECT_TRUE(_tChanges.empty()) << "far beyond the ends nothing happens";
}

// History support "No" records nothing and refuses to move; "Auto" becomes "Yes" on the first move, and "No" when
// the second iteration starts without one, clearing what was recorded.
TEST_F(KxwLocationHistoryTest, HistorySupportNoAutoAndYes) {
    KxwiRunTimeSettings& rtRTS = _tVUser.GetRTS();
    rtRTS.SetHistorySupport(KXWI_RTS_HISTORY_SUPPORT_NO);
    KxwDomHtmlTopWindow* ptTop = NewTop();
    LoadPage(ptTop, "http://h/1");
    LoadPage(ptTop, "http://h/2");
    EXPECT_EQ(0u, ptTop->GetHistory()->GetItemCount());
    EXPECT_FALSE(ptTop->GetHistory()->Back(1, true));

    rtRTS.SetHistorySupport(KXWI_RTS_HISTORY_SUPPORT_AUTO);
    LoadPage(ptTop, "http://h/3");
    LoadPage(ptTop, "http://h/4");
    EXPECT_EQ("2", Eval(ptTop, "history.length"));
    _ptObjMgr->IterationReset(false);
    EXPECT_EQ(KXWI_RTS_HISTORY_SUPPORT_AUTO, rtRTS.GetHistorySupport()) << "settled when the next iteration runs";
    _ptObjMgr->OnStepStart();
    EXPECT_EQ(KXWI_RTS_HISTORY_SUPPORT_NO, rtRTS.GetHistorySupport());
    EXPECT_EQ("0", Eval(ptTop, "history.length"));
    _ptObjMgr->IterationReset(false);
    _ptObjMgr->OnStepStart();

    rtRTS.SetHistorySupport(KXWI_RTS_HISTORY_SUPPORT_AUTO);
    LoadPage(ptTop, "http://h/5");
    LoadPage(ptTop, "http://h/6");
    _tChanges.clear();
    EXPECT_TRUE(ptTop->GetHistory()->Back(1, false));
    EXPECT_EQ(KXWI_RTS_HISTORY_SUPPORT_YES, rtRTS.GetHistorySupport());
    EXPECT_EQ(1u, _tChanges.size());
}

// length is 0 until there are two entries.
TEST_F(KxwLocationHistoryTest, LengthIsZeroUntilTwoEntries) {
    KxwDomHtmlTopWindow* ptTop = NewTop();
    EXPECT_EQ("0", Eval(ptTop, "history.length"));
    LoadPage(ptTop, "http://h/1");
    EXPECT_EQ("0", Eval(ptTop, "history.length"));
    LoadPage(ptTop, "http://h/2");
    EXPECT_EQ("2", Eval(ptTop, "history.length"));
}

}  // namespace
