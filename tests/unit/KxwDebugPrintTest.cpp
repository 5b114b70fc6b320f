// The hierarchy dump of a virtual user: windows through the object manager, with the test standing in for the
// engine as in the browsing tests, and the dump's lines taken from the message sink.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "KxwDomDebugPrintHierarchy.h"
#include "KxwDomHierarchyFrameId.h"
#include "KxwBrowsingFixture.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwObjMgrPersistentInfo.h"
#include "KxwRecordingSink.h"
#include "kxw/KxwDomBrowsing.h"
#include "kxw/KxwDomCommand.h"
#include "kxw/KxwDomHtmlBuild.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"

namespace {

std::string Ptr(const void* mpvPtr) {
    char acText[32];
    std::snprintf(acText, sizeof acText, "%p", mpvPtr);
    return acText;
}

bool RefuseInformative(KXW_WTL_SEV_LVL_ENUM meSevLvl) {
    return meSevLvl != KXW_WTL_SEV_LVL_ENUM_INFORMATIVE;
}

constexpr KXW_WTL_SEV_LVL_ENUM kDumpLevel = KXW_WTL_SEV_LVL_ENUM_INFORMATIVE;

class KxwDebugPrintTest : public KxwBrowsingFixture {
protected:
    KxwDomNodeBase* Append(KxwDomNodeBase* mptParent, KxwDomNodeBase* mptChild) {
        EXPECT_TRUE(xfbKxwDomHtmlBuildAppendChild(mptParent, mptChild));
        return mptChild;
    }
    KxwDomNodeBase* Text(KxwDomHtmlDocument* mptDocument, const std::string& mdsText) {
        return xfptKxwDomHtmlBuildNewTextNode(mptDocument, mdsText.data(), mdsText.size());
    }

    // A page whose frameset holds a frame for each name; answers the frame windows in order.
    std::vector<KxwDomHtmlWindow*> LoadFrameset(KxwDomHtmlWindow* mptWindow, const std::string& mdsUrl,
                                                const std::vector<std::string>& mrtNames) {
        KxwDomCommand* ptCommand = StartPage(mptWindow, mdsUrl);
        KxwDomHtmlDocument* ptDocument = mptWindow->GetDocument();
        KxwDomNodeBase* ptFrameset =
            Append(Append(ptDocument, Element(ptDocument, "HTML")), Element(ptDocument, "FRAMESET"));
        std::vector<KxwDomNodeBase*> tFrames;
        for (const std::string& rdsName : mrtNames)
            tFrames.push_back(
                Append(ptFrameset, Element(ptDocument, "FRAME", rdsName.c_str(), (rdsName + ".html").c_str())));
        FinishPage(ptCommand);
        std::vector<KxwDomHtmlWindow*> tWindows;
        for (KxwDomNodeBase* ptFrame : tFrames) tWindows.push_back(xfptKxwDomFrameElementGetWindow(ptFrame));
        return tWindows;
    }
    // An empty page in a frame or window.
    void LoadEmpty(KxwDomHtmlWindow* mptWindow, const std::string& mdsUrl) {
        KxwDomCommand* ptCommand = StartPage(mptWindow, mdsUrl);
        KxwDomHtmlDocument* ptDocument = mptWindow->GetDocument();
        Append(Append(ptDocument, Element(ptDocument, "HTML")), Element(ptDocument, "BODY"));
        FinishPage(ptCommand);
    }

    static std::vector<std::string> Texts(const KxwRecordingSink& mrtSink) {
        std::vector<std::string> tTexts;
        for (const KxwRecordingSink::Message& rtMessage : mrtSink.Messages()) {
            EXPECT_EQ(kDumpLevel, rtMessage._eSevLvl) << rtMessage._dsText;
            tTexts.push_back(rtMessage._dsText);
        }
        return tTexts;
    }
    static std::string WindowLine(const char* mpszLabel, const std::string& mdsName, const std::string& mdsFrameId,
                                  const std::string& mdsUrl, const void* mpvThis, const void* mpvNext,
                                  const void* mpvFirstChild, const void* mpvParent) {
        return std::string(mpszLabel) + " window name=\"" + mdsName + "\". Frame Hierarchy Id=\"" + mdsFrameId +
               "\", URL=\"" + mdsUrl + "\", this=" + Ptr(mpvThis) + ", next=" + Ptr(mpvNext) +
               ", first child=" + Ptr(mpvFirstChild) + ", parent=" + Ptr(mpvParent) + ", Modeless=" + Ptr(nullptr) +
               ", Modal=" + Ptr(nullptr) + ", RawOriginatingWindow=" + Ptr(nullptr) + ", DeferredClose=0";
    }
    // The lines that begin with the fragment.
    static std::vector<std::string> Starting(const std::vector<std::string>& mrtTexts, const std::string& mdsStart) {
        std::vector<std::string> tFound;
        for (const std::string& rdsText : mrtTexts)
            if (rdsText.compare(0, mdsStart.size(), mdsStart) == 0) tFound.push_back(rdsText);
        return tFound;
    }
};

// Two top windows; the first shows a frameset of two frames, the first of which shows a frameset of one frame.
// Each window comes before its frames, numbered a level deeper; a sibling counts on and drops the deeper levels.
TEST_F(KxwDebugPrintTest, WindowsComeBeforeTheirFramesNumberedByTheirPlaceInTheTree) {
    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
    std::vector<KxwDomHtmlWindow*> tFrames = LoadFrameset(ptTop, "http://h/top.html", {"a", "b"});
    ASSERT_EQ(2u, tFrames.size());
    ASSERT_TRUE(tFrames[0] && tFrames[1]);
    std::vector<KxwDomHtmlWindow*> tInner = LoadFrameset(tFrames[0], "http://h/a.html", {"a1"});
    ASSERT_TRUE(tInner.size() == 1 && tInner[0]);
    LoadEmpty(tInner[0], "http://h/a1.html");
    LoadEmpty(tFrames[1], "http://h/b.html");
    KxwDomHtmlTopWindow* ptSecond = _ptObjMgr->CreateNewHtmlTopWindow(ptTop, "second", 6);
    LoadEmpty(ptSecond, "http://h/second.html");

    KxwRecordingSink tSink;
    _ptObjMgr->DebugPrintHierarchy("frames", kDumpLevel, KXW_DOM_PRINT_MASK_WINDOWS_ONLY);
    std::vector<std::string> tLines = Texts(tSink);
    ASSERT_EQ(6u, tLines.size()) << "the start line and one line per window, without separators";
    EXPECT_EQ("Start \"frames\" debug print for ObjMgr=" + Ptr(_ptObjMgr) + ", VUserVars=" + Ptr(&_tVUser) + ":",
              tLines[0]);
    const void* pvObjMgrNode = _ptObjMgr->GetPersistentInfo();
    EXPECT_EQ(WindowLine("Top", "", "1", "http://h/top.html", ptTop, ptSecond, tFrames[0], pvObjMgrNode), tLines[1]);
    EXPECT_EQ(WindowLine("Non-top", "a", "1.1", "http://h/a.html", tFrames[0], tFrames[1], tInner[0], ptTop),
              tLines[2]);
    EXPECT_EQ(WindowLine("Non-top", "a1", "1.1.1", "http://h/a1.html", tInner[0], nullptr, nullptr, tFrames[0]),
              tLines[3]);
    EXPECT_EQ(WindowLine("Non-top", "b", "1.2", "http://h/b.html", tFrames[1], nullptr, nullptr, ptTop), tLines[4]);
    // The second window was opened by the first: its opener is the originating window.
    std::string dsSecond =
        WindowLine("Top", "second", "2", "http://h/second.html", ptSecond, nullptr, nullptr, pvObjMgrNode);
    dsSecond.replace(dsSecond.find("RawOriginatingWindow=") + 21, Ptr(nullptr).size(), Ptr(ptTop));
    EXPECT_EQ(dsSecond, tLines[5]);

    // Without the mask: an empty line before each window, and each window's document after its line.
    tSink.Clear();
    _ptObjMgr->DebugPrintHierarchy(nullptr, kDumpLevel, 0);
    tLines = Texts(tSink);
    EXPECT_EQ("Start \"\" debug print for ObjMgr=" + Ptr(_ptObjMgr) + ", VUserVars=" + Ptr(&_tVUser) + ":", tLines[0]);
    std::vector<size_t> tWindowAt;
    for (size_t n = 0; n < tLines.size(); ++n)
        if (tLines[n].find(" window name=\"") != std::string::npos) tWindowAt.push_back(n);
    ASSERT_EQ(5u, tWindowAt.size());
    for (size_t n : tWindowAt) {
        EXPECT_EQ("", tLines[n - 1]);
        EXPECT_EQ(0u, tLines[n + 1].find("\"Document\" DOM object, name=\"\", location.href=\"http://h/"))
            << tLines[n + 1];
    }
    EXPECT_EQ("D00 <HTML> this=", tLines[tWindowAt[0] + 2].substr(0, 16));
    EXPECT_EQ(0u, tLines[tWindowAt[0] + 3].find("D01   <FRAMESET> this="));
    EXPECT_EQ(0u, tLines[tWindowAt[0] + 4].find("D02     <FRAME name=\"a\"> this="));
    EXPECT_NE(std::string::npos, tLines[tWindowAt[0] + 4].find(", IsFloating=0"));
    EXPECT_EQ(tWindowAt[1], tWindowAt[0] + 7) << "the frameset's tree comes whole before the first frame";
}

TEST_F(KxwDebugPrintTest, TheMaskAddsTextsCollectionsAndInnerTexts) {
    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
    KxwDomCommand* ptCommand = StartPage(ptTop, "http://h/page.html");
    KxwDomHtmlDocument* ptDocument = ptTop->GetDocument();
    KxwDomNodeBase* ptBody = Append(Append(ptDocument, Element(ptDocument, "HTML")), Element(ptDocument, "BODY"));
    KxwDomNodeBase* ptHello = Append(ptBody, Text(ptDocument, "hello"));
    KxwDomNodeBase* ptLink = Append(ptBody, Element(ptDocument, "A", "x"));
    Append(ptLink, Text(ptDocument, "link"));
    KxwDomNodeBase* ptComment = Append(ptBody, xfptKxwDomHtmlBuildNewCommentNode(ptDocument, "note", 4));
    KxwDomNodeBase* ptStyle = Append(ptBody, Element(ptDocument, "STYLE"));
    Append(ptStyle, Text(ptDocument, "b{}"));
    KxwDomNodeBase* ptButton = Append(ptBody, Element(ptDocument, "BUTTON"));
    xfbKxwDomHtmlBuildSetAttribute(ptButton, "value", 5, "go", 2, true);
    KxwDomNodeBase* ptForm = Append(ptBody, Element(ptDocument, "FORM"));
    FinishPage(ptCommand);

    KxwRecordingSink tSink;
    _ptObjMgr->DebugPrintHierarchy("plain", kDumpLevel, 0);
    std::vector<std::string> tPlain = Texts(tSink);
    for (const std::string& rdsLine : tPlain) {
        EXPECT_EQ(std::string::npos, rdsLine.find("TextNode")) << rdsLine;
        EXPECT_EQ(std::string::npos, rdsLine.find("collection")) << rdsLine;
        EXPECT_EQ(std::string::npos, rdsLine.find("[The ")) << rdsLine;
    }
    ASSERT_EQ(1u, Starting(tPlain, "D02     <A name=\"x\"> this=" + Ptr(ptLink)).size());

    // Texts: text nodes and comments in their places, one level below their parents.
    tSink.Clear();
    _ptObjMgr->DebugPrintHierarchy("texts", kDumpLevel, KXW_DOM_PRINT_MASK_TEXTS);
    std::vector<std::string> tTexts = Texts(tSink);
    EXPECT_EQ(tPlain.size() + 4, tTexts.size()) << "hello, link, b{} and the comment";
    EXPECT_EQ(1u, Starting(tTexts, "D02     TextNode \"hello\", DCS Length=5, this=" + Ptr(ptHello)).size());
    EXPECT_EQ(1u, Starting(tTexts, "D03       TextNode \"link\", DCS Length=4, this=").size());
    EXPECT_EQ(1u, Starting(tTexts, "D02     Comment \"note\", DCS Length=4, this=" + Ptr(ptComment)).size());

    // Inner texts of A and STYLE, and a button's value attribute, one level in under the element's tag.
    tSink.Clear();
    _ptObjMgr->DebugPrintHierarchy("inner", kDumpLevel, KXW_DOM_PRINT_MASK_INNER_TEXTS);
    std::vector<std::string> tInner = Texts(tSink);
    EXPECT_EQ(1u, Starting(tInner, "          [The innerText of the <A> is \"link\" (DCS length=4)]").size());
    EXPECT_EQ(1u, Starting(tInner, "          [The text of the <STYLE> is \"b{}\" (DCS length=3)]").size());
    EXPECT_EQ(1u, Starting(tInner, "          [The raw value of the <BUTTON> is \"go\" (DCS length=2)").size());

    // Collections: the document's, each with its items, the form's, and the disconnected nodes.
    tSink.Clear();
    _ptObjMgr->DebugPrintHierarchy("collections", kDumpLevel, KXW_DOM_PRINT_MASK_COLLECTIONS);
    std::vector<std::string> tCollections = Texts(tSink);
    std::vector<std::string> tAnchors = Starting(tCollections, "\"anchors\" collection: OwnerNode=" + Ptr(ptDocument));
    ASSERT_EQ(1u, tAnchors.size());
    EXPECT_NE(std::string::npos, tAnchors[0].find(", Length=1, "));
    EXPECT_EQ(
        1u,
        Starting(tCollections, "  [  0] ReferencedNode=" + Ptr(ptLink) + ": <A name=\"x\">, CollectionItem=").size());
    std::vector<std::string> tAll = Starting(tCollections, "\"all\" collection: ");
    ASSERT_EQ(1u, tAll.size());
    EXPECT_NE(std::string::npos, tAll[0].find(", Length=7, ")) << "HTML, BODY, A, the comment, STYLE, BUTTON, FORM";
    EXPECT_EQ(1u, Starting(tCollections, "\"styleSheets\" collection: [NULL]").size());
    EXPECT_EQ(1u, Starting(tCollections, "\"NamedMaps\" collection: OwnerNode=").size());
    EXPECT_EQ(1u, Starting(tCollections, "\"DisconnectedNodesList\" : Length=").size());
    EXPECT_EQ(1u, Starting(tCollections, "End DisconnectedNodesList Dump").size());
    EXPECT_EQ(1u, Starting(tCollections, "D02     <FORM> this=" + Ptr(ptForm)).size());
    EXPECT_EQ(1u, Starting(tCollections, "      \"elements\" collection: [NULL]").size());
    // The lines of the plain dump stay, in their order, among the collections' lines.
    size_t nAt = 1;
    for (size_t n = 1; n < tPlain.size(); ++n) {
        while (nAt < tCollections.size() && tCollections[nAt] != tPlain[n]) ++nAt;
        EXPECT_LT(nAt, tCollections.size()) << "missing: " << tPlain[n];
    }
    EXPECT_EQ(28u, Starting(tCollections, "\"").size()) << "the document, its 26 collections and the list";
}

// Page text in a line is escaped (a line end or a NUL of the page cannot end the line or start another) and cut
// at the format's length, whatever the page holds.
TEST_F(KxwDebugPrintTest, PageTextCannotBreakOrOverrunALine) {
    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, "w\nTop window name=\"fake\"", 24);
    KxwDomCommand* ptCommand = StartPage(ptTop, "http://h/odd.html");
    KxwDomHtmlDocument* ptDocument = ptTop->GetDocument();
    KxwDomNodeBase* ptBody = Append(Append(ptDocument, Element(ptDocument, "HTML")), Element(ptDocument, "BODY"));
    Append(ptBody, Text(ptDocument, std::string("a\nb\0c\"\\", 7)));
    Append(ptBody, Text(ptDocument, std::string(10000, 'x')));
    KxwDomNodeBase* ptDiv = Append(ptBody, Element(ptDocument, "DIV"));
    xfbKxwDomHtmlBuildSetAttribute(ptDiv, "data-long", 9, std::string(5000, 'y').c_str(), 5000, true);
    xfbKxwDomHtmlBuildSetAttribute(ptDiv, "data-x", 6, "1\r\n2", 4, true);
    FinishPage(ptCommand);

    KxwRecordingSink tSink;
    _ptObjMgr->DebugPrintHierarchy("title\nStart", kDumpLevel, KXW_DOM_PRINT_MASK_TEXTS);
    std::vector<std::string> tLines = Texts(tSink);
    for (const std::string& rdsLine : tLines) {
        EXPECT_EQ(std::string::npos, rdsLine.find('\n')) << rdsLine;
        EXPECT_EQ(std::string::npos, rdsLine.find('\r')) << rdsLine;
    }
    EXPECT_EQ(0u, tLines[0].find("Start \"title\\nStart\" debug print"));
    EXPECT_EQ(1u, Starting(tLines, "Top window name=\"w\\nTop window name=\\\"fake\\\"\". Frame").size());
    EXPECT_EQ(1u, Starting(tLines, "D02     TextNode \"a\\nb\\000c\\\"\\\\\", DCS Length=7, this=").size());
    std::vector<std::string> tLong = Starting(tLines, "D02     TextNode \"xxx");
    ASSERT_EQ(1u, tLong.size());
    EXPECT_EQ("D02     TextNode \"" + std::string(3000, 'x') + "\", DCS Length=10000", tLong[0].substr(0, 3037));
    std::vector<std::string> tDiv = Starting(tLines, "D02     <DIV");
    ASSERT_EQ(1u, tDiv.size());
    EXPECT_NE(std::string::npos, tDiv[0].find(" data-x=\"1\\r\\n2\""));
    // The attributes are cut at 3000 characters, and the rest of the line stays.
    EXPECT_EQ(std::string("D02     <DIV").size() + 3000, tDiv[0].find("> this="));
}

TEST_F(KxwDebugPrintTest, ARefusedLevelPrintsNothing) {
    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
    LoadFrameset(ptTop, "http://h/top.html", {"a", "b"});
    KxwRecordingSink tSink(&RefuseInformative);
    _ptObjMgr->DebugPrintHierarchy("refused", kDumpLevel, 0x66);
    ptTop->GetDocument()->PrintMeAndSubHierarchy(-1, kDumpLevel, 0x66);
    EXPECT_TRUE(xfbKxwObjMgrDebugPrint("refused", 0x66)) << "there are windows to print";
    EXPECT_EQ(0u, tSink.Count());
    // The same dump at an issued level.
    _ptObjMgr->DebugPrintHierarchy("issued", KXW_WTL_SEV_LVL_ENUM_WARNING, 0);
    EXPECT_TRUE(tSink.Saw("Start \"issued\" debug print"));
}

TEST_F(KxwDebugPrintTest, TheExportedDumpNeedsAVirtualUserWithWindows) {
    KxwRecordingSink tSink;
    EXPECT_FALSE(xfbKxwObjMgrDebugPrint("none", 0)) << "no window";
    {
        KxwVUserVarsThreadBinding tUnbound(nullptr);
        EXPECT_FALSE(xfbKxwObjMgrDebugPrint("none", 0)) << "no virtual user";
    }
    EXPECT_EQ(0u, tSink.Count());

    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, "main", 4);
    EXPECT_TRUE(xfbKxwObjMgrDebugPrint("exported", KXW_DOM_PRINT_MASK_WINDOWS_ONLY));
    std::vector<std::string> tLines = Texts(tSink);
    ASSERT_EQ(2u, tLines.size());
    EXPECT_EQ(0u, tLines[0].find("Start \"exported\" debug print for ObjMgr=" + Ptr(_ptObjMgr)));
    EXPECT_EQ(0u, tLines[1].find("Top window name=\"main\". Frame Hierarchy Id=\"1\", URL=\"\", this=" + Ptr(ptTop)));
}

// A page's tree of any depth prints without recursion; the indent stops at 180 columns while the depth counts on.
TEST_F(KxwDebugPrintTest, DeepTreesPrintWhole) {
    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
    KxwDomHtmlDocument* ptDocument = ptTop->GetDocument();
    constexpr int kDepth = 100000;
    KxwDomNodeBase* ptParent = ptDocument;
    for (int n = 0; n < kDepth; ++n) ptParent = Append(ptParent, Element(ptDocument, "DIV"));
    Append(ptParent, Text(ptDocument, "deep"));
    KxwRecordingSink tSink;
    ptDocument->PrintMeAndSubHierarchy(-1, kDumpLevel, KXW_DOM_PRINT_MASK_TEXTS);
    std::vector<std::string> tLines = Texts(tSink);
    ASSERT_EQ(static_cast<size_t>(kDepth) + 2, tLines.size());
    EXPECT_EQ(0u, tLines[91].find("D90 " + std::string(180, ' ') + "<DIV> this="));
    EXPECT_EQ(0u, tLines.back().find("D100000" + std::string(180, ' ') + " TextNode \"deep\""));
}

TEST_F(KxwDebugPrintTest, AWalkWithSomethingElseThanWindowsReportsAndGoesOn) {
    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
    KxwDomHtmlDocument* ptDocument = ptTop->GetDocument();
    KxwRecordingSink tSink;
    KxwDomDebugPrintHierarchy tPrinter(kDumpLevel, KXW_DOM_PRINT_MASK_WINDOWS_ONLY, nullptr);
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_SKIP_DESCENDANTS, tPrinter.Visit(ptDocument));
    EXPECT_TRUE(tSink.Saw("ptCrntWindow=NULL in KxwDomDebugPrintHierarchy::Visit(mptNode=" + Ptr(ptDocument) + ")"));
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_SKIP_DESCENDANTS, tPrinter.Visit(ptTop));
    EXPECT_EQ("1", tPrinter.GetFrameId().ToString());
}

TEST(KxwDebugPrintFrameId, LevelsOpenAndCountOn) {
    KxwDomHierarchyFrameId tId;
    EXPECT_EQ("", tId.ToString());
    tId.AddLevel(1);
    tId.AddLevel(1);
    tId.AddLevel(1);
    EXPECT_EQ("1.1.1", tId.ToString());
    tId.SetLevelAndZeroAfter(1, tId.GetLevel(1) + 1);
    EXPECT_EQ("1.2", tId.ToString()) << "a sibling drops the deeper levels";
    EXPECT_EQ(0u, tId.GetLevel(2));
    tId.SetLevelAndZeroAfter(0, 12);
    EXPECT_EQ("12", tId.ToString());

    KxwRecordingSink tSink;
    tId.SetLevelAndZeroAfter(3, 4);
    EXPECT_EQ("12.0.0.4", tId.ToString()) << "a skipped level is kept as 0";
    EXPECT_TRUE(tSink.Saw("muDepth=3 beyond the 1 levels"));
}

}  // namespace
