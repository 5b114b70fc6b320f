#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "KxwRecordingSink.h"
#include "KxwiHtmlParser.h"

// The library reaches the operations by position: the feeding operation is the seventh word of the context's
// table, the start-element entry the eighth word of the target's class (after its name).
static_assert(offsetof(KxwiSgmlStreamOps, _pfPutBlock) == 6 * sizeof(void*), "feeding is operation 6");
static_assert(offsetof(KxwiSgmlTargetClass, _pfStartElement) == 7 * sizeof(void*), "start element is entry 7");
static_assert(offsetof(KxwiSgmlTargetClass, _pfUnknownTag) == 9 * sizeof(void*), "entry 9 returns nothing");
static_assert(sizeof(KxwiSgmlTargetClass) == 13 * sizeof(void*), "a name and twelve entries");

namespace {

// The library's target: four words (class, namespace being filled, text being scanned, context), with a class
// whose entry 7 takes component declarations as the library's does and whose other entries do nothing.
struct BehaviourTarget {
    KxwiSgmlTarget _tTarget;
    std::vector<std::string>* _ptTagNames;
    const std::string* _pdsText;
    KxwiSgmlContext* _ptContext;
};
static_assert(offsetof(BehaviourTarget, _ptContext) == 3 * sizeof(void*), "four words");

int ReturnZero(KxwiSgmlTarget*) {
    return 0;
}
int ReturnZeroInt(KxwiSgmlTarget*, int) {
    return 0;
}
int ReturnZeroText(KxwiSgmlTarget*, const char*, int) {
    return 0;
}
void DoNothing(KxwiSgmlTarget*, const char*, int, int) {}
int ReturnZeroAttr(KxwiSgmlTarget*, int, const char*, int, const char*, int) {
    return 0;
}
int TakeComponent(KxwiSgmlTarget* mptTarget, int miElement, const unsigned char* mpucPresent,
                  const char* const* mppszValues) {
    if (miElement != 77) return 0;
    if (!mpucPresent[2]) return 0;
    auto* ptTarget = reinterpret_cast<BehaviourTarget*>(mptTarget);
    ptTarget->_ptTagNames->push_back(mppszValues[2]);
    return 2;
}

const KxwiSgmlTargetClass ktBehaviourClass = {
    "html_parser", ReturnZero,    ReturnZeroInt, ReturnZero,     ReturnZeroText, ReturnZeroText, ReturnZeroText,
    TakeComponent, ReturnZeroInt, DoNothing,     ReturnZeroText, ReturnZeroAttr, ReturnZeroInt,
};

int Feed(KxwiSgmlContext* mptContext, const std::string& mdsText) {
    // As the library calls it: operation 6 with (context, text, length, 0).
    using FeedFunc = int (*)(KxwiSgmlContext*, const char*, int, int);
    auto pfFeed = reinterpret_cast<FeedFunc const*>(mptContext->_ptOps)[6];
    return pfFeed(mptContext, mdsText.data(), static_cast<int>(mdsText.size()), 0);
}

// A target that writes down every call, in order.
struct Recorder : KxwiSgmlTarget {
    explicit Recorder(const KxwiSgmlTargetClass* mptClass) : KxwiSgmlTarget{mptClass} {}
    std::string _dsLog;
    int _iStopAtElement = -1;
    bool _bFreeFromStart = false;
    KxwiSgmlContext* _ptContext = nullptr;
    int _iFreed = 0;
    int _iAborted = 0;
};
Recorder* Rec(KxwiSgmlTarget* mptTarget) {
    return static_cast<Recorder*>(mptTarget);
}
void Log(KxwiSgmlTarget* mptTarget, const std::string& mdsEntry) {
    std::string& rdsLog = Rec(mptTarget)->_dsLog;
    if (!rdsLog.empty()) rdsLog += ' ';
    rdsLog += mdsEntry;
}
const KxwiSgmlTargetClass ktRecorderClass = {
    "recorder",
    [](KxwiSgmlTarget* mptTarget) {
        ++Rec(mptTarget)->_iFreed;
        return 0;
    },
    [](KxwiSgmlTarget* mptTarget, int miReason) {
        Rec(mptTarget)->_iAborted = miReason;
        return 0;
    },
    [](KxwiSgmlTarget* mptTarget) {
        Log(mptTarget, "END");
        return 0;
    },
    [](KxwiSgmlTarget* mptTarget, const char* mpsf, int miLen) {
        Log(mptTarget, "D(" + std::string(mpsf, miLen) + ")");
        return 0;
    },
    [](KxwiSgmlTarget* mptTarget, const char* mpsf, int miLen) {
        Log(mptTarget, "T(" + std::string(mpsf, miLen) + ")");
        return 0;
    },
    [](KxwiSgmlTarget* mptTarget, const char* mpsf, int miLen) {
        Log(mptTarget, "C(" + std::string(mpsf, miLen) + ")");
        return 0;
    },
    [](KxwiSgmlTarget* mptTarget, int miElement, const unsigned char* mpucPresent, const char* const* mppszValues) {
        const KxwiSgmlElement& rtElement = HTML_dtd()->_ptElements[miElement];
        std::string dsEntry = "S" + std::to_string(miElement) + "(" + rtElement._pszName;
        for (int i = 0; i < rtElement._iAttrCount; ++i) {
            if (mpucPresent[i])
                dsEntry += " " + std::to_string(i) + ":" + rtElement._ppszAttrs[i] + "=" + mppszValues[i];
            else if (mppszValues[i])
                dsEntry += " VALUE-WITHOUT-FLAG";
        }
        Log(mptTarget, dsEntry + ")");
        Recorder* ptRecorder = Rec(mptTarget);
        if (ptRecorder->_bFreeFromStart) ptRecorder->_ptContext->_ptOps->_pfFree(ptRecorder->_ptContext);
        return miElement == ptRecorder->_iStopAtElement ? -1 : 0;
    },
    [](KxwiSgmlTarget* mptTarget, int miElement) {
        Log(mptTarget, "E" + std::to_string(miElement));
        return 0;
    },
    [](KxwiSgmlTarget* mptTarget, const char* mpsf, int miLen, int miIsEndTag) {
        Log(mptTarget, std::string(miIsEndTag ? "U/(" : "U(") + std::string(mpsf, miLen) + ")");
    },
    [](KxwiSgmlTarget* mptTarget, const char* mpsf, int miLen) {
        Log(mptTarget, "B(" + std::string(mpsf, miLen) + ")");
        return 0;
    },
    [](KxwiSgmlTarget* mptTarget, int miElement, const char* mpsfName, int miNameLen, const char* mpsfValue,
       int miValueLen) {
        Log(mptTarget, "A" + std::to_string(miElement) + "(" + std::string(mpsfName, miNameLen) + "=" +
                           std::string(mpsfValue, miValueLen) + ")");
        return 0;
    },
    [](KxwiSgmlTarget* mptTarget, int miLine) {
        Log(mptTarget, "@" + std::to_string(miLine));
        return 0;
    },
};

}  // namespace

TEST(KxwiHtmlParserTest, ElementTableKeepsTheNumbersTheLibraryReliesOn) {
    const KxwiSgmlDtd* ptDtd = HTML_dtd();
    ASSERT_NE(nullptr, ptDtd);
    EXPECT_EQ(ptDtd, HTML_dtd());
    EXPECT_EQ(109, ptDtd->_iElementCount);
    const KxwiSgmlElement& rtComponent = ptDtd->_ptElements[KXWI_SGML_ELEMENT_PUBLIC_COMPONENT];
    EXPECT_STREQ("PUBLIC:COMPONENT", rtComponent._pszName);
    ASSERT_GT(rtComponent._iAttrCount, KXWI_SGML_PUBLIC_COMPONENT_ATTR_TAGNAME);
    EXPECT_STREQ("TAGNAME", rtComponent._ppszAttrs[KXWI_SGML_PUBLIC_COMPONENT_ATTR_TAGNAME]);

    for (int i = 0; i < ptDtd->_iElementCount; ++i) {
        const KxwiSgmlElement& rtElement = ptDtd->_ptElements[i];
        if (i) {
            EXPECT_LT(std::strcmp(ptDtd->_ptElements[i - 1]._pszName, rtElement._pszName), 0) << rtElement._pszName;
        }
        EXPECT_EQ(i, xfiKxwiSgmlFindElement(ptDtd, rtElement._pszName, std::strlen(rtElement._pszName)));
        EXPECT_GT(rtElement._iAttrCount, 0) << rtElement._pszName;
        for (int a = 0; a < rtElement._iAttrCount; ++a) {
            for (const char* psz = rtElement._ppszAttrs[a]; *psz; ++psz) EXPECT_FALSE(*psz >= 'a' && *psz <= 'z');
            for (int b = 0; b < a; ++b) EXPECT_STRNE(rtElement._ppszAttrs[a], rtElement._ppszAttrs[b]);
        }
    }
    EXPECT_EQ(77, xfiKxwiSgmlFindElement(ptDtd, "public:Component", 16));
    int iScript = xfiKxwiSgmlFindElement(ptDtd, "script", 6);
    ASSERT_GE(iScript, 0);
    EXPECT_EQ(KXWI_HTML_TEXT_MODE_RAWTEXT, ptDtd->_ptElements[iScript]._eTextMode);
    int iTextArea = xfiKxwiSgmlFindElement(ptDtd, "TEXTAREA", 8);
    ASSERT_GE(iTextArea, 0);
    EXPECT_EQ(KXWI_HTML_TEXT_MODE_RCDATA, ptDtd->_ptElements[iTextArea]._eTextMode);
    EXPECT_TRUE(ptDtd->_ptElements[xfiKxwiSgmlFindElement(ptDtd, "BR", 2)]._bEmpty);
    EXPECT_EQ(-1, xfiKxwiSgmlFindElement(ptDtd, "PUBLIC:COMPONENTS", 17));
    EXPECT_EQ(-1, xfiKxwiSgmlFindElement(ptDtd, "PUBLIC", 6));
    EXPECT_EQ(-1, xfiKxwiSgmlFindElement(ptDtd, "", 0));
    EXPECT_EQ(-1, xfiKxwiSgmlFindElement(ptDtd, "A\0", 2));
}

TEST(KxwiHtmlParserTest, BehaviourFilesReachTheStartEntryWithElement77AndAttribute2) {
    std::vector<std::string> tTagNames;
    std::string dsText;
    BehaviourTarget tTarget{{&ktBehaviourClass}, &tTagNames, &dsText, nullptr};
    tTarget._ptContext = SGML_new(HTML_dtd(), &tTarget._tTarget);
    ASSERT_NE(nullptr, tTarget._ptContext);

    dsText =
        "<PUBLIC:COMPONENT tagName=\"x\" lightweight=true>\n"
        "<PUBLIC:ATTACH EVENT=\"onclick\" ONEVENT=\"f()\" />\n"
        "<SCRIPT>var s = '<PUBLIC:COMPONENT tagName=\"inside-script\">';</SCRIPT>\n"
        "</PUBLIC:COMPONENT>";
    EXPECT_EQ(0, Feed(tTarget._ptContext, dsText));
    SGML_reset(tTarget._ptContext);
    ASSERT_EQ(1u, tTagNames.size());
    EXPECT_EQ("x", tTagNames[0]);

    // The next file, after the reset: any case, a reference in the value, a file that ends inside a script.
    dsText = "<public:component TAGNAME='a&amp;b'><script>var x = \"</scr";
    EXPECT_EQ(0, Feed(tTarget._ptContext, dsText));
    SGML_reset(tTarget._ptContext);
    dsText = "<PUBLIC:COMPONENT><PUBLIC:COMPONENT ID=c tagname><PUBLIC:COMPONENT id=d";
    EXPECT_EQ(0, Feed(tTarget._ptContext, dsText));
    SGML_reset(tTarget._ptContext);
    ASSERT_EQ(3u, tTagNames.size());
    EXPECT_EQ("a&b", tTagNames[1]);
    EXPECT_EQ("", tTagNames[2]);  // given without a value

    // The text may come in pieces; the tag is taken once it is complete.
    const std::string dsPieces = "<PUBLIC:COMPONENT tagName=\"pieces\">";
    for (char cChar : dsPieces) EXPECT_EQ(0, Feed(tTarget._ptContext, std::string(1, cChar)));
    ASSERT_EQ(4u, tTagNames.size());
    EXPECT_EQ("pieces", tTagNames[3]);
    SGML_reset(tTarget._ptContext);
    EXPECT_EQ(0, tTarget._ptContext->_ptOps->_pfFree(tTarget._ptContext));
}

TEST(KxwiHtmlParserTest, EveryEntryIsCalledInOrder) {
    Recorder tRecorder(&ktRecorderClass);
    KxwiSgmlContext* ptContext = SGML_new(HTML_dtd(), &tRecorder);
    ASSERT_NE(nullptr, ptContext);
    const KxwiSgmlStreamOps* ptOps = ptContext->_ptOps;
    EXPECT_EQ(0, ptOps->_pfPutString(ptContext, "<!DOCTYPE x><html lang=en Foo=1><!--c-->\n<?pi?>"));
    for (char cChar : std::string("<blink>t&lt;</BLINK><o:p x></o:p>\n<style>a<b</style>"))
        EXPECT_EQ(0, ptOps->_pfPutCharacter(ptContext, cChar));
    EXPECT_EQ(3, ptOps->_pfGetLine(ptContext));
    EXPECT_EQ(0, ptOps->_pfPutBlock(ptContext, "x", 1, KXWI_SGML_FEED_END_OF_TEXT));
    int iHtml = xfiKxwiSgmlFindElement(HTML_dtd(), "HTML", 4);
    int iBlink = xfiKxwiSgmlFindElement(HTML_dtd(), "BLINK", 5);
    int iStyle = xfiKxwiSgmlFindElement(HTML_dtd(), "STYLE", 5);
    std::string dsHtml = std::to_string(iHtml), dsBlink = std::to_string(iBlink), dsStyle = std::to_string(iStyle);
    EXPECT_EQ("@1 D(x) @1 A" + dsHtml + "(Foo=1) S" + dsHtml + "(HTML 1:LANG=en) @1 C(c) @1 T(\n) @2 B(?pi?) @2 S" +
                  dsBlink + "(BLINK) @2 T(t<) @2 E" + dsBlink + " @2 U(o:p) @2 U/(o:p) @2 T(\n) @3 S" + dsStyle +
                  "(STYLE) @3 T(a<b) @3 E" + dsStyle + " @3 T(x) @3 END",
              tRecorder._dsLog);

    // Fed after its end and before a reset: refused.
    KxwRecordingSink tReports;
    EXPECT_EQ(-1, ptOps->_pfPutBlock(ptContext, "y", 1, 0));
    EXPECT_TRUE(tReports.Saw("after its text ended and before SGML_reset are ignored"));

    // A negative answer stops the text until the reset.
    tRecorder._dsLog.clear();
    SGML_reset(ptContext);
    tRecorder._iStopAtElement = xfiKxwiSgmlFindElement(HTML_dtd(), "P", 1);
    EXPECT_EQ(0, ptOps->_pfPutBlock(ptContext, "<p>a<b>", 7, KXWI_SGML_FEED_END_OF_TEXT));
    EXPECT_EQ("@1 S" + std::to_string(tRecorder._iStopAtElement) + "(P)", tRecorder._dsLog);
    SGML_reset(ptContext);
    tRecorder._dsLog.clear();
    EXPECT_EQ(0, ptOps->_pfPutString(ptContext, "z"));
    EXPECT_EQ(0, ptOps->_pfEndOfText(ptContext));
    EXPECT_EQ("@1 T(z) @1 END", tRecorder._dsLog);

    // Freeing ends the text first and tells the target.
    tRecorder._dsLog.clear();
    SGML_reset(ptContext);
    EXPECT_EQ(0, ptOps->_pfPutString(ptContext, "tail"));
    EXPECT_EQ(0, ptOps->_pfFree(ptContext));
    EXPECT_EQ("@1 T(tail) @1 END", tRecorder._dsLog);
    EXPECT_EQ(1, tRecorder._iFreed);
}

TEST(KxwiHtmlParserTest, FreeingFromACallbackAbortingAndBadArguments) {
    KxwRecordingSink tReports;
    Recorder tRecorder(&ktRecorderClass);
    tRecorder._bFreeFromStart = true;
    tRecorder._ptContext = SGML_new(HTML_dtd(), &tRecorder);
    ASSERT_NE(nullptr, tRecorder._ptContext);
    // The target frees the context from its start entry: the rest of the text is dropped, nothing is touched
    // after the context is gone (the sanitizer build checks that).
    EXPECT_EQ(0, Feed(tRecorder._ptContext, "<p>a<b>c"));
    EXPECT_EQ(1, tRecorder._iFreed);
    EXPECT_EQ(std::string::npos, tRecorder._dsLog.find("T(a)"));

    Recorder tAborted(&ktRecorderClass);
    KxwiSgmlContext* ptContext = SGML_new(HTML_dtd(), &tAborted);
    ASSERT_NE(nullptr, ptContext);
    EXPECT_EQ(0, Feed(ptContext, "<p>pending text"));
    EXPECT_EQ(0, ptContext->_ptOps->_pfAbort(ptContext, 7));
    EXPECT_EQ(7, tAborted._iAborted);
    EXPECT_EQ(0, tAborted._iFreed);
    EXPECT_EQ(std::string::npos, tAborted._dsLog.find("pending"));
    EXPECT_EQ(0u, tReports.Count());

    // Missing arguments are reported and answered neutrally.
    KxwiSgmlTarget tNoClass{nullptr};
    EXPECT_EQ(nullptr, SGML_new(nullptr, &tAborted));
    EXPECT_EQ(nullptr, SGML_new(HTML_dtd(), nullptr));
    EXPECT_EQ(nullptr, SGML_new(HTML_dtd(), &tNoClass));
    EXPECT_EQ(3u, tReports.Count());
    SGML_reset(nullptr);
    KxwiSgmlContext* ptReal = SGML_new(HTML_dtd(), &tAborted);
    KxwiSgmlStreamOps tOtherOps = *ptReal->_ptOps;
    ptReal->_ptOps->_pfFree(ptReal);
    KxwiSgmlContext tForeign{&tOtherOps};
    SGML_reset(&tForeign);
    EXPECT_EQ(-1, tOtherOps._pfPutBlock(&tForeign, "x", 1, 0));
    EXPECT_TRUE(tReports.Saw("Invalid SGML context"));
    EXPECT_EQ(-1, xfiKxwiSgmlFindElement(nullptr, "A", 1));

    Recorder tBad(&ktRecorderClass);
    ptContext = SGML_new(HTML_dtd(), &tBad);
    tReports.Clear();
    EXPECT_EQ(-1, ptContext->_ptOps->_pfPutBlock(ptContext, "x", -1, 0));
    EXPECT_EQ(-1, ptContext->_ptOps->_pfPutBlock(ptContext, nullptr, 3, 0));
    EXPECT_EQ(-1, ptContext->_ptOps->_pfPutString(ptContext, nullptr));
    EXPECT_EQ(0, ptContext->_ptOps->_pfPutBlock(ptContext, "<p>", 3, 0x10));
    EXPECT_EQ(4u, tReports.Count());
    ptContext->_ptOps->_pfFree(ptContext);
}
