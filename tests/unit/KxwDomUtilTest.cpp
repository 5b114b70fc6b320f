#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KxwRecordingSink.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

int32_t HtmlNumber(int miBrowser, const char* mpszText) {
    return xfliKxwDomUtilGetHtmlNumberOrLongMaxFor(miBrowser, mpszText, static_cast<unsigned>(std::strlen(mpszText)));
}

int32_t JsNumber(const std::u16string& mdsText) {
    return xfliKxwDomUtilGetJsNumber(mdsText.data(), static_cast<unsigned>(mdsText.size()));
}

constexpr int kIE = KXW_BROWSER_MAJOR_TYPE_IE;
constexpr int kNS = KXW_BROWSER_MAJOR_TYPE_NS;
constexpr int32_t kNone = KXW_HTML_NUMBER_NONE;

}  // namespace

TEST(KxwDomUtilHtmlNumber, InternetExplorerReading) {
    EXPECT_EQ(42, HtmlNumber(kIE, "  +42"));
    EXPECT_EQ(42, HtmlNumber(kIE, "\t42"));
    EXPECT_EQ(kNone, HtmlNumber(kIE, "42px"));
    EXPECT_EQ(42, HtmlNumber(kIE, "42%"));
    EXPECT_EQ(42, HtmlNumber(kIE, "42 px"));
    EXPECT_EQ(42, HtmlNumber(kIE, "42.9"));
    EXPECT_EQ(42, HtmlNumber(kIE, "42\xC3\xA9"));  // a byte above 0x7F ends the number
    EXPECT_EQ(kNone, HtmlNumber(kIE, "-1"));
    EXPECT_EQ(kNone, HtmlNumber(kIE, "++1"));
    EXPECT_EQ(kNone, HtmlNumber(kIE, "   "));
    EXPECT_EQ(kNone, HtmlNumber(kIE, "2147483648"));
    EXPECT_EQ(kNone, HtmlNumber(kIE, "99999999999999999999"));
    EXPECT_EQ(2147483647, HtmlNumber(kIE, "2147483647"));
    EXPECT_EQ(0, HtmlNumber(kIE, "0"));
    EXPECT_EQ(kNone, xfliKxwDomUtilGetHtmlNumberOrLongMaxFor(kIE, nullptr, 4));
    EXPECT_EQ(kNone, xfliKxwDomUtilGetHtmlNumberOrLongMaxFor(kIE, "42", 0));
    // Only the given length counts, not the NUL.
    EXPECT_EQ(4, xfliKxwDomUtilGetHtmlNumberOrLongMaxFor(kIE, "42px", 1));
}

TEST(KxwDomUtilHtmlNumber, NetscapeReading) {
    EXPECT_EQ(42, HtmlNumber(kNS, "width 42px"));
    EXPECT_EQ(kNone, HtmlNumber(kNS, "px"));
    EXPECT_EQ(1, HtmlNumber(kNS, "-1"));
    EXPECT_EQ(12, HtmlNumber(kNS, "a12b34"));
    EXPECT_EQ(kNone, HtmlNumber(kNS, "x 2147483648"));
    EXPECT_EQ(2147483647, HtmlNumber(kNS, "2147483647"));
}

TEST(KxwDomUtilHtmlNumber, ExportedFormFollowsTheVirtualUsersBrowser) {
    EXPECT_EQ(kNone, xfliKxwDomUtilGetHtmlNumberOrLongMax("42px", 4));  // no virtual user: Internet Explorer
    EXPECT_EQ(kNone, xfliKxwDomUtilGetHtmlNumberOrLongMax(nullptr, 4));
}

TEST(KxwDomUtilJsNumber, ScriptStyleIntegers) {
    EXPECT_EQ(-12, JsNumber(u" -12 "));
    EXPECT_EQ(12, JsNumber(u"\r\n+12\t"));
    EXPECT_EQ(0, JsNumber(u"12a"));
    EXPECT_EQ(0, JsNumber(u"+"));
    EXPECT_EQ(0, JsNumber(u""));
    EXPECT_EQ(0, JsNumber(u"   "));
    EXPECT_EQ(0, JsNumber(u"1 2"));
    EXPECT_EQ(0, JsNumber(u"0x10"));
    EXPECT_EQ(0, xfliKxwDomUtilGetJsNumber(nullptr, 3));
    // No overflow check, but no undefined behaviour either: 32-bit wrap.
    EXPECT_EQ(static_cast<int32_t>(4294967295u), JsNumber(u"4294967295"));
}

TEST(KxwDomUtil, AboutBlankAndHash) {
    EXPECT_TRUE(xfbIsAboutBlank(u"about:blank", 11));
    EXPECT_TRUE(xfbIsAboutBlank(u"AbOuT:BLANK", 11));
    EXPECT_FALSE(xfbIsAboutBlank(u"about:blank ", 12));
    EXPECT_FALSE(xfbIsAboutBlank(u"about:blan", 10));
    EXPECT_FALSE(xfbIsAboutBlank(u"about-blank", 11));
    EXPECT_FALSE(xfbIsAboutBlank(nullptr, 11));
    EXPECT_TRUE(xfbIsHash("#top", 4));
    EXPECT_FALSE(xfbIsHash("#top", 0));
    EXPECT_FALSE(xfbIsHash("top#", 4));
    EXPECT_FALSE(xfbIsHash(nullptr, 1));
}

TEST(KxwDomUtil, NeutralAnswersWithoutAVirtualUser) {
    KxwRecordingSink tSink;
    EXPECT_TRUE(xfbKxwDomUtilIsIE());
    EXPECT_FALSE(xfbKxwDomUtilIsNS());
    EXPECT_EQ(KXW_BROWSER_MAJOR_TYPE_IE, xfeKxwDomUtilGetMajorBrowserType());
    EXPECT_TRUE(xfbKxwDomUtilFailOnJavaScriptError());
    EXPECT_FALSE(xfbKxwDomUtilIsOracle());
    EXPECT_TRUE(xfbKxwDomUtilIsProcessAllItemsEnded());
    EXPECT_EQ(nullptr, xfptKxwDomUtilGetRTS());
    EXPECT_EQ(nullptr, xfpptKxwDomUtilGetCollectionPtr());
    EXPECT_EQ(nullptr, xfptKxwDomUtilGetHswApi());
    EXPECT_STREQ("", xpszKxwDomUtilGetHomePageDcsStr());
    EXPECT_TRUE(tSink.Saw("ptRTS == NULL in xpszKxwDomUtilGetHomePageDcsStr"));

    tSink.Clear();
    EXPECT_EQ(nullptr, xfptKxwDomUtilGetObjMgr(""));
    size_t nQuiet = tSink.Count();
    EXPECT_EQ(nullptr, xfptKxwDomUtilGetObjMgr("SomeCaller"));
    auto tMessages = tSink.Messages();
    ASSERT_GT(tMessages.size(), nQuiet);
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_NO_OBJ_MGR, tMessages.back()._eSevLvl);
    EXPECT_EQ(0u, tMessages.back()._dsText.find("ptObjMgr is NULL in xfptKxwDomUtilGetObjMgr called from SomeCaller."));
}

TEST(KxwDomUtil, AnswersFromTheVirtualUsersBlock) {
    KxwVUserVars tVUser(1);
    KxwVUserVarsThreadBinding tBinding(&tVUser);
    tVUser.GetRTS().SetFailOnJavaScriptError(false);
    tVUser.GetRTS().SetOracleWebApplications(true);
    tVUser.GetRTS().SetHomePage("http://home.example/");
    tVUser.SetProcessAllItemsEnded(false);
    EXPECT_FALSE(xfbKxwDomUtilFailOnJavaScriptError());
    EXPECT_TRUE(xfbKxwDomUtilIsOracle());
    EXPECT_FALSE(xfbKxwDomUtilIsProcessAllItemsEnded());
    EXPECT_EQ(&tVUser.GetRTS(), xfptKxwDomUtilGetRTS());
    EXPECT_STREQ("http://home.example/", xpszKxwDomUtilGetHomePageDcsStr());
    KxwDomHtmlCollectionGeneral** pptSlot = xfpptKxwDomUtilGetCollectionPtr();
    ASSERT_NE(nullptr, pptSlot);
    EXPECT_EQ(tVUser.GetCollectionPtr(), pptSlot);
    // Without an object manager there is no navigator to ask: Internet Explorer, whatever the settings say.
    tVUser.GetRTS().SetBrowserMajorType(KXWI_BROWSER_MAJOR_TYPE_NS);
    EXPECT_TRUE(xfbKxwDomUtilIsIE());
}

namespace {

std::string gdsDirectMessage;
int giDirectMsgId = 0;
void RecordDirectMessage(int, int, const char*, int, const char*, int, int miMsgId, const char* mpszFormat, ...) {
    giDirectMsgId = miMsgId;
    gdsDirectMessage = mpszFormat;
}
std::string gdsInternalError;
void RecordInternalError(const char* mpszMessage) { gdsInternalError = mpszMessage; }

}  // namespace

TEST(KxwObjMgrGlobalInit, RequiresABlockWithInitialSettings) {
    KxwEnvCfg tBefore = xtKxwEnvCfg;
    EXPECT_EQ(0x7FFFFFFF, xtKxwEnvCfg._aiReservedLimits[0]);
    EXPECT_EQ(0x3000, xtKxwEnvCfg._iReservedBufferSize);
    EXPECT_EQ(-1, xfiKxwObjMgrGlobalInit(nullptr));

    KxwEnvCfg tNoRTS;
    tNoRTS._pfvMessage = &RecordDirectMessage;
    tNoRTS._bTraceEnabled = true;
    EXPECT_EQ(-1, xfiKxwObjMgrGlobalInit(&tNoRTS));
    EXPECT_TRUE(xtKxwEnvCfg._bTraceEnabled);  // copied before the check
    EXPECT_EQ(-26000, giDirectMsgId);
    EXPECT_EQ("xtKxwEnvCfg->_ptInitialRTS is NULL in xfiKxwObjMgrGlobalInit", gdsDirectMessage);

    KxwiRunTimeSettings tRTS;
    KxwEnvCfg tGood;
    tGood._ptInitialRTS = &tRTS;
    tGood._pfvInternalError = &RecordInternalError;
    EXPECT_EQ(0, xfiKxwObjMgrGlobalInit(&tGood));
    xtKxwEnvCfg = tBefore;
}

namespace {
bool OnlyNotices(KXW_WTL_SEV_LVL_ENUM meSevLvl) { return meSevLvl == KXW_WTL_SEV_LVL_ENUM_NOTICE; }
}  // namespace

TEST(KxwDomUtilCatalogedMessage, FilteredAndUnfilteredPaths) {
    KxwRecordingSink tSink(&OnlyNotices);
    KxwObjMgr::SetWtlFuncs(&OnlyNotices, xfpfKxwUtilGetMessageSink());
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, -26000, "Fn", 10, "filtered out");
    EXPECT_EQ(0u, tSink.Count());
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -26000, "Fn", 11, "for the author");
    xfvKxwDomUtilIssueCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, -26000, "Gn", 12, "issued regardless");
    auto tMessages = tSink.Messages();
    ASSERT_EQ(2u, tMessages.size());
    EXPECT_EQ(-26000, tMessages[0]._iMsgId);
    EXPECT_EQ("for the author", tMessages[0]._dsText);
    EXPECT_EQ("Fn", tMessages[0]._dsFunction);
    EXPECT_EQ("issued regardless", tMessages[1]._dsText);
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, tMessages[1]._eSevLvl);
}
