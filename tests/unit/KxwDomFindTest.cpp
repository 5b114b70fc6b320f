// Element location through its public face, on pages a script built: what steps cannot give (an ordinal of 0,
// a description of a kind searched within a container), the random pick's report and its seed, and the rules of
// custom descriptions.
#include <string>

#include "KxwBrowsingFixture.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwRecordingSink.h"
#include "kxw/KxwDomEvents.h"
#include "kxw/KxwDomFind.h"

namespace {

class KxwDomFindTest : public KxwBrowsingFixture {
protected:
    KxwDomHtmlWindow* Page(const std::string& mdsBuild) {
        KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
        EXPECT_NE(nullptr, ptTop);
        KxwDomCommand* ptCommand = StartPage(ptTop, "http://h/page.html");
        KxwDomHtmlDocument* ptDocument = ptTop->GetDocument();
        KxwDomNodeBase* ptHtml = Element(ptDocument, "HTML");
        EXPECT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptDocument, ptHtml));
        EXPECT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptHtml, Element(ptDocument, "BODY")));
        FinishPage(ptCommand);
        // Markup is parsed by the engine, which this test stands in for: the page is built by its script.
        EXPECT_EQ(
            "ok",
            Eval(ptTop,
                 "function el(tag, attrs, text, parent) { var e = document.createElement(tag); "
                 "for (var k in attrs) if (k == 'class') e.className = attrs[k]; else e.setAttribute(k, attrs[k]); "
                 "if (text) e.appendChild(document.createTextNode(text)); "
                 "(parent || document.body).appendChild(e); return e; } " +
                     mdsBuild + "; 'ok'"));
        return ptTop;
    }
    static KxwDomFindDescription Links(const std::string& mdsText) {
        KxwDomFindDescription tDescription;
        tDescription._eKind = KXW_DOM_FIND_ANCHOR;
        tDescription._tText.Set(mdsText, false);
        return tDescription;
    }
};

TEST_F(KxwDomFindTest, AnOrdinalBelowOneIsABadArgumentNotTheFirstMatch) {
    KxwDomHtmlWindow* ptPage = Page("el('a', {href: 'a', id: 'one'}, 'Buy'); el('a', {href: 'b', id: 'two'}, 'Buy')");
    KxwDomFindDescription tBuy = Links("Buy");
    KxwRecordingSink tReports;
    for (int32_t iOrdinal : {0, -1, INT32_MIN + 1}) {
        tBuy._iOrdinal = iOrdinal;
        EXPECT_EQ(nullptr, xfptKxwDomFindElement(ptPage, tBuy, false)) << iOrdinal;
    }
    EXPECT_EQ(3u, tReports.Count());
    EXPECT_TRUE(tReports.Saw("Invalid ordinal (0)"));
    tBuy._iOrdinal = 2;
    EXPECT_EQ("two", xfdsKxwDomElementGetId(xfptKxwDomFindElement(ptPage, tBuy, false)));
    tBuy._iOrdinal = 3;
    EXPECT_EQ(nullptr, xfptKxwDomFindElement(ptPage, tBuy, false));
}

// The pick follows the virtual user's generator: the same seed picks the same element, and each pick is reported
// with the number of matches; the description keeps asking for a random pick.
TEST_F(KxwDomFindTest, ARandomPickFollowsTheVirtualUsersSeedAndIsReported) {
    KxwDomHtmlWindow* ptPage = Page(
        "el('a', {href: 'a', id: 'l1'}, 'Buy'); el('a', {href: 'b', id: 'l2'}, 'Buy'); "
        "el('a', {href: 'c', id: 'l3'}, 'Buy')");
    KxwDomFindDescription tBuy = Links("Buy");
    tBuy._iOrdinal = KxwDomFindDescription::kOrdinalRandom;
    auto Picks = [&](uint32_t muSeed) {
        _tVUser.SeedRandom(muSeed);
        std::string dsPicks;
        for (int n = 0; n < 12; ++n) dsPicks += xfdsKxwDomElementGetId(xfptKxwDomFindElement(ptPage, tBuy, false));
        return dsPicks;
    };
    KxwRecordingSink tReports;
    std::string dsFirst = Picks(11);
    EXPECT_EQ(dsFirst, Picks(11));
    EXPECT_EQ(KxwDomFindDescription::kOrdinalRandom, tBuy._iOrdinal);
    for (const char* pszId : {"l1", "l2", "l3"}) EXPECT_NE(std::string::npos, dsFirst.find(pszId)) << dsFirst;
    EXPECT_EQ(24u, tReports.Count());
    EXPECT_TRUE(tReports.Saw("among 3 matching elements for Ordinal"));
    // One match is that one, reported too; none is no result and no report.
    KxwDomFindDescription tOnly = Links("Buy");
    tOnly._tId.Set("l2", false);
    tOnly._iOrdinal = KxwDomFindDescription::kOrdinalRandom;
    EXPECT_EQ("l2", xfdsKxwDomElementGetId(xfptKxwDomFindElement(ptPage, tOnly, false)));
    tOnly._tId.Set("none", false);
    size_t nReports = tReports.Count();
    EXPECT_EQ(nullptr, xfptKxwDomFindElement(ptPage, tOnly, false));
    EXPECT_EQ(nReports, tReports.Count());
}

TEST_F(KxwDomFindTest, CustomEntriesReadAttributesThenScriptPropertiesWithoutRunningGetters) {
    KxwDomHtmlWindow* ptPage = Page(
        "el('span', {id: 's1', 'class': 'big red', 'data-x': '7'}, 'a'); el('span', {id: 's2', title: 'tip'}, "
        "'b'); el('span', {id: 's3'}, 'c')");
    EXPECT_EQ("ok", Eval(ptPage,
                         "var s3 = document.getElementById('s3'); s3.flavour = 'mint'; "
                         "var calls = 0; Object.defineProperty(s3, 'trap', {get: function () { ++calls; "
                         "return 'x'; }}); 'ok'"));
    auto Find = [&](const char* mpszName, const char* mpszValue, bool mbRegExp) {
        KxwDomFindDescription tSpan;
        tSpan._tTag.Set("span", false);
        tSpan._tCustom.push_back({mpszName, mpszValue, mbRegExp});
        return xfdsKxwDomElementGetId(xfptKxwDomFindElement(ptPage, tSpan, false));
    };
    EXPECT_EQ("s1", Find("Class", "big red", false));
    EXPECT_EQ("s1", Find("class", "^big", true));
    EXPECT_EQ("s1", Find("data-x", " 7 ", false)) << "blanks around the value are set aside";
    EXPECT_EQ("s2", Find("title", "tip", false));
    EXPECT_EQ("s3", Find("flavour", "mint", false)) << "an expando of the page's script";
    EXPECT_EQ("", Find("trap", "x", false)) << "an accessor is not called";
    EXPECT_EQ("0", Eval(ptPage, "String(calls)"));
    EXPECT_EQ("", Find("nosuch", "", false));
}

TEST_F(KxwDomFindTest, AreasAndOptionsAreSearchedWithinTheirContainerOnly) {
    KxwDomHtmlWindow* ptPage = Page(
        "var m = el('map', {name: 'm', id: 'm'}); el('area', {alt: 'Home', href: 'h', id: 'a1'}, '', m); "
        "el('area', {alt: 'Help', href: 'x', id: 'a2'}, '', m); var l = el('select', {id: 'l'}); "
        "el('option', {id: 'o1'}, 'One', l); el('option', {id: 'o2', selected: 'selected'}, 'Two', l)");
    KxwDomFindDescription tArea;
    tArea._eKind = KXW_DOM_FIND_AREA;
    tArea._tAlt.Set("Help", false);
    EXPECT_EQ(nullptr, xfptKxwDomFindElement(ptPage, tArea, false)) << "an area is found within its map";
    KxwDomFindDescription tMap;
    tMap._tId.Set("m", false);
    KxwDomNodeBase* ptMap = xfptKxwDomFindElement(ptPage, tMap, false);
    EXPECT_EQ("a2", xfdsKxwDomElementGetId(xfptKxwDomFindWithin(ptMap, tArea)));
    tArea._tHref.Set("/h$", true);
    tArea._tAlt = KxwDomFindText();
    EXPECT_EQ("a1", xfdsKxwDomElementGetId(xfptKxwDomFindWithin(ptMap, tArea))) << "an absolute href";

    KxwDomFindDescription tOption;
    tOption._eKind = KXW_DOM_FIND_OPTION;
    tOption._iOrdinal = 2;
    EXPECT_EQ(nullptr, xfptKxwDomFindWithin(ptMap, tOption)) << "a map holds no options";
    KxwDomFindDescription tList;
    tList._tId.Set("l", false);
    KxwDomNodeBase* ptList = xfptKxwDomFindElement(ptPage, tList, false);
    EXPECT_EQ("o2", xfdsKxwDomElementGetId(xfptKxwDomFindWithin(ptList, tOption)));
    tOption._iOrdinal = 1;
    tOption._eSelected = 2;
    EXPECT_EQ("o1", xfdsKxwDomElementGetId(xfptKxwDomFindWithin(ptList, tOption))) << "the first unselected one";
}

}  // namespace
