// What the element locator asks of an image map, which no page reaches: the area by its description and ordinal,
// and an area's index in the map, also once the map has left its page. And the style-sheet requests of LINK
// elements, counted one by one (pages see only the loads they cause).
#include <gtest/gtest.h>

#include <string>

#include "KxwDomHtmlElementAreaAnchor.h"
#include "KxwDomHtmlElementMap.h"
#include "KxwDomHtmlTestClasses.h"
#include "KxwRecordingSink.h"

namespace {

using KxwDomHtmlElementMapTest = KxwDomHtmlTest;

std::string IdOf(const KxwDomHtmlElementArea* mptArea) {
    if (!mptArea) return "(none)";
    const KxwDomHtmlPropertyStr& rtId = mptArea->GetId();
    return std::string(rtId.GetDcsStr() ? rtId.GetDcsStr() : "", rtId.GetDcsLenInBytes());
}

TEST_F(KxwDomHtmlElementMapTest, AreasAreFoundByTheirKeysAndOrdinal) {
    BuildPage(
        "<map id=m name=m><area id=a1 href=one.html alt=Go target=t1><area id=a2 href=two.html alt=Go>"
        "<div><area id=a3 name=n3 href=one.html alt=Stop target=t1></div></map><area id=out href=one.html alt=Go>");
    auto* ptMap = static_cast<KxwDomHtmlElementMap*>(ById("m"));
    ASSERT_NE(nullptr, ptMap);
    KxwDomHtmlElementMapArgsFindElementArea tArgs;
    tArgs._pszAlt = "Go";
    EXPECT_EQ("a1", IdOf(ptMap->FindElementArea(tArgs)));
    tArgs._uOrdinal = 2;
    EXPECT_EQ("a2", IdOf(ptMap->FindElementArea(tArgs)));
    tArgs._uOrdinal = 3;
    EXPECT_EQ("(none)", IdOf(ptMap->FindElementArea(tArgs))) << "an area outside the map was counted";
    KxwDomHtmlElementMapArgsFindElementArea tByHref;
    tByHref._pszHref = "one.html";
    tByHref._pszTarget = "t1";
    tByHref._uOrdinal = 2;
    EXPECT_EQ("a3", IdOf(ptMap->FindElementArea(tByHref)));
    KxwDomHtmlElementMapArgsFindElementArea tByName;
    tByName._pszName = "n3";
    tByName._pszId = "a3";
    EXPECT_EQ("a3", IdOf(ptMap->FindElementArea(tByName)));
    tByName._uOrdinal = 0;
    EXPECT_EQ("(none)", IdOf(ptMap->FindElementArea(tByName)));

    auto* ptA3 = static_cast<KxwDomHtmlElementArea*>(ById("a3"));
    EXPECT_EQ(2, ptMap->GetAreaIndex(ptA3));
    EXPECT_EQ(ptMap, ptA3->GetContainingMap());
    EXPECT_EQ(-1, ptMap->GetAreaIndex(nullptr));
    {
        KxwRecordingSink tSink;
        EXPECT_EQ(-1, ptMap->GetAreaIndex(static_cast<KxwDomHtmlElementArea*>(ById("out"))));
        EXPECT_TRUE(
            tSink.Saw("_tAreas.GetItemIndex returned KXW_DOM_HTML_COLLECTION_INVALID_INDEX for a non-NULL "
                      "mptElementArea in KxwDomHtmlElementMap::GetAreaIndex"));
    }
    // Out of the page the map keeps its areas, now in the order of the tree it heads.
    Eval("var m = document.getElementById('m'); m.parentNode.removeChild(m); m.removeChild(m.firstChild);");
    EXPECT_EQ(1, ptMap->GetAreaIndex(ptA3));
    EXPECT_EQ(ptMap->PeekAll(), ptMap->GetAreas()->GetDependentOnCollection());
    Eval("document.body.appendChild(m)");
    EXPECT_EQ(_ptDocument->GetAll(), ptMap->GetAreas()->GetDependentOnCollection());
}

TEST_F(KxwDomHtmlElementMapTest, AStyleSheetLinkIsAskedForOnceEachTimeItJoinsOrChanges) {
    KxwTestNotificationRecorder tRecorder;
    auto Requests = [&tRecorder]() {
        int iCount = 0;
        for (const auto& rtNotification : tRecorder._tNotifications)
            iCount += rtNotification._eType == KXW_DOM_COMMON_NOTIFICATION_ENUM_STYLESHEET_LINK;
        tRecorder._tNotifications.clear();
        return iCount;
    };
    BuildPage("<link id=s rel=' stylesheet' href=a.css><link id=t rel=StyleSheet href=b.css><link rel=stylesheet>");
    EXPECT_EQ(1, Requests()) << "only the LINK with rel exactly StyleSheet and an href is a style sheet";
    auto* ptLink = static_cast<KxwDomHtmlElementLink*>(ById("t"));
    EXPECT_TRUE(ptLink->GetIsStyleSheet());
    EXPECT_FALSE(static_cast<KxwDomHtmlElementLink*>(ById("s"))->GetIsStyleSheet());
    Eval("var t = document.getElementById('t'); t.href = 'c.css';");
    EXPECT_EQ(1, Requests());
    Eval("t.parentNode.removeChild(t); t.href = 'd.css';");
    EXPECT_EQ(0, Requests()) << "a LINK out of its page asked for its sheet";
    Eval("document.body.appendChild(t); t.rel = 'icon';");
    EXPECT_EQ(1, Requests());
    EXPECT_FALSE(ptLink->GetIsStyleSheet());
}

}  // namespace
