// Dialog answers registered in advance, where pages cannot reach: the object manager's step levels, the deletion of
// unused answers whatever the log shows, the answers' log lines, the cut of long texts between two characters, and
// a prompt answer of a kind the window does not know.
#include <gtest/gtest.h>

#include <string>

#include "KxwBrowsingFixture.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomStr.h"
#include "KxwDomStrEnv.h"
#include "KxwDomUserRegistration.h"
#include "KxwRecordingSink.h"
#include "KxwU16nHandler.h"

namespace {

int giConfirmsAlive = 0;

// A confirm answer that counts its instances, so that a test sees each one deleted as itself.
class KxwCountedConfirm : public KxwDomUserRegistrationConfirm {
public:
    KxwCountedConfirm(const char* mpszMessage, bool mbOK)
        : KxwDomUserRegistrationConfirm(mpszMessage, static_cast<unsigned>(std::strlen(mpszMessage)), false, mbOK) {
        ++giConfirmsAlive;
    }
    ~KxwCountedConfirm() override { --giConfirmsAlive; }
};

// A prompt answer that is neither OK nor Cancel.
class KxwOddPrompt : public KxwDomUserRegistrationPrompt {
public:
    KxwOddPrompt() : KxwDomUserRegistrationPrompt(nullptr, 0, false) {}
    void PrintMe() const override {}
};

bool AllButNotices(KXW_WTL_SEV_LVL_ENUM meSevLvl) {
    return meSevLvl != KXW_WTL_SEV_LVL_ENUM_NONE && meSevLvl != KXW_WTL_SEV_LVL_ENUM_NOTICE;
}

class KxwDomUserRegistrationTest : public KxwBrowsingFixture {
protected:
    // The message of a page's dialog, in windows-1252 as a page's would be.
    KxwDomUserRegistration* FindConfirm(const char* mpszMessage) {
        KxwDomStrEnvExplicit tEnv(nullptr, xfptKxwU16nHandlerGetDefault());
        KxwDomStr tMessage(tEnv, mpszMessage, static_cast<unsigned>(std::strlen(mpszMessage)));
        return _ptObjMgr->FindUserRegistrationConfirm(tMessage);
    }
    static std::vector<std::string> Lines(const KxwRecordingSink& mrtSink) {
        std::vector<std::string> tLines;
        for (const KxwRecordingSink::Message& rtMessage : mrtSink.Messages()) tLines.push_back(rtMessage._dsText);
        return tLines;
    }
};

// A nested level sees only its own answers; the ones it leaves are reported, printed and deleted when it ends, and
// the outer level's come back untouched, in their order.
TEST_F(KxwDomUserRegistrationTest, NestedLevelsKeepTheirAnswersToThemselves) {
    KxwRecordingSink tSink;
    _ptObjMgr->AddUserRegistration(new KxwCountedConfirm("Outer", false));
    _ptObjMgr->AddUserRegistration(new KxwCountedConfirm("Outer", true));
    _ptObjMgr->EnterRecursion();
    EXPECT_EQ(1u, _ptObjMgr->GetRecursionDepth());
    EXPECT_EQ(nullptr, FindConfirm("Outer")) << "a nested level took an answer of the level around it";
    _ptObjMgr->AddUserRegistration(new KxwCountedConfirm("Inner", true));
    _ptObjMgr->AddUserRegistration(new KxwCountedConfirm("Inner", false));
    auto* ptInner = dynamic_cast<KxwDomUserRegistrationConfirm*>(FindConfirm("Inner"));
    ASSERT_NE(nullptr, ptInner);
    EXPECT_TRUE(ptInner->GetConfirmed());
    EXPECT_EQ(4, giConfirmsAlive) << "a used answer lives to the end of its level";
    tSink.Clear();
    _ptObjMgr->ExitRecursion();
    EXPECT_EQ(2, giConfirmsAlive);
    EXPECT_EQ((std::vector<std::string>{"1 registered dialog answer(s) were not used and are discarded",
                                        "\t\"Type=Confirm\", \"Message=Inner\", \"Click=Cancel\""}),
              Lines(tSink));
    ASSERT_FALSE(tSink.Messages().empty());
    EXPECT_EQ(-35928, tSink.Messages()[0]._iMsgId);
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, tSink.Messages()[0]._eSevLvl);
    EXPECT_EQ(0u, _ptObjMgr->GetRecursionDepth());
    EXPECT_EQ(nullptr, FindConfirm("Inner"));
    auto* ptFirst = dynamic_cast<KxwDomUserRegistrationConfirm*>(FindConfirm("Outer"));
    auto* ptSecond = dynamic_cast<KxwDomUserRegistrationConfirm*>(FindConfirm("Outer"));
    ASSERT_TRUE(ptFirst && ptSecond);
    EXPECT_FALSE(ptFirst->GetConfirmed());
    EXPECT_TRUE(ptSecond->GetConfirmed());
    EXPECT_EQ(nullptr, FindConfirm("Outer")) << "an answer was used twice";
    // An unmatched exit is refused and changes nothing.
    tSink.Clear();
    _ptObjMgr->ExitRecursion();
    EXPECT_TRUE(tSink.Saw("_ptPrevStackedInfo is NULL upon entry to KxwObjMgrStackedInfo::ExitRecursion"));
    _ptObjMgr->ResetAll();
    EXPECT_EQ(0, giConfirmsAlive);
}

// With the notices filtered out the unused answers are not printed, but each is still deleted as itself, and their
// count is still reported; as an error, the count is informative.
TEST_F(KxwDomUserRegistrationTest, UnusedAnswersAreDeletedWhenTheirLinesAreNotWanted) {
    KxwRecordingSink tSink(&AllButNotices);
    _ptObjMgr->AddUserRegistration(new KxwCountedConfirm("A", true));
    _ptObjMgr->AddUserRegistration(new KxwCountedConfirm("B", true));
    _ptObjMgr->AddUserRegistration(new KxwCountedConfirm("C", true));
    EXPECT_NE(nullptr, FindConfirm("B"));
    _ptObjMgr->CleanupUnhandledRemnants(true);
    EXPECT_EQ(0, giConfirmsAlive) << "unused or used answers were freed without their destructors";
    EXPECT_EQ((std::vector<std::string>{"2 registered dialog answer(s) were never used"}), Lines(tSink));
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, tSink.Messages()[0]._eSevLvl);
    // A null answer is refused.
    tSink.Clear();
    _ptObjMgr->AddUserRegistration(nullptr);
    EXPECT_TRUE(tSink.Saw("mptUserRegistration is NULL in KxwObjMgr::AddUserRegistration"));
    EXPECT_EQ(nullptr, FindConfirm(""));
}

// Each kind's line in the argument syntax of its step: "/RE" after Message for an expression, no Message part for
// an answer to any message; the message and the text cut at 1900 bytes, the function's name at 200, never inside
// a character.
TEST_F(KxwDomUserRegistrationTest, EachAnswerPrintsItsLine) {
    KxwRecordingSink tSink;
    std::string dsLong = "a";
    for (int n = 0; n < 1000; ++n) dsLong += "\xe2\x82\xac";  // 3001 bytes of euro signs after one "a"
    KxwDomUserRegistrationPromptOK("Name?", 5, false, nullptr, 0).PrintMe();
    KxwDomUserRegistrationPromptOK("^Na", 3, true, "Zo\xc3\xab", 4).PrintMe();
    KxwDomUserRegistrationPromptCancel(nullptr, 0, false).PrintMe();
    KxwDomUserRegistrationConfirm("Sure?", 5, false, true).PrintMe();
    KxwDomUserRegistrationConfirm("", 0, false, false).PrintMe();
    KxwDomUserRegistrationPromptOK(dsLong.data(), static_cast<unsigned>(dsLong.size()), false, dsLong.data(),
                                   static_cast<unsigned>(dsLong.size()))
        .PrintMe();
    KxwDomUserRegistrationModal tModal;
    EXPECT_FALSE(tModal.SetFunction("", [](KxwDomHtmlWindow*) { return true; }));
    ASSERT_TRUE(tModal.SetFunction(dsLong.c_str(), [](KxwDomHtmlWindow*) { return true; }));
    tModal.PrintMe();
    std::vector<std::string> tLines = Lines(tSink);
    ASSERT_EQ(8u, tLines.size());
    EXPECT_EQ("\t\"Type=Prompt\", \"Message=Name?\", \"Click=OK\"", tLines[0]);
    EXPECT_EQ("\t\"Type=Prompt\", \"Message/RE=^Na\", \"SetText=Zo\xc3\xab\"", tLines[1]);
    EXPECT_EQ("\t\"Type=Prompt\", \"Click=Cancel\"", tLines[2]);
    EXPECT_EQ("\t\"Type=Confirm\", \"Message=Sure?\", \"Click=OK\"", tLines[3]);
    EXPECT_EQ("\t\"Type=Confirm\", \"Message=\", \"Click=Cancel\"", tLines[4]) << "an empty message is a message";
    // 1 + 633 * 3 = 1900 bytes: the last sign that would pass the 1900th byte goes whole.
    std::string dsCut = dsLong.substr(0, 1 + 633 * 3);
    EXPECT_EQ("\t\"Type=Prompt\", \"Message=" + dsCut + "\", \"SetText=" + dsCut + "\"", tLines[5]);
    EXPECT_EQ("\t\"Type=Modal\", \"Call=" + dsLong.substr(0, 1 + 66 * 3) + "\"", tLines[7]);
}

// The cut of a text between two characters, in UTF-8, in a single-byte charset and in a multi-byte one that is
// converted again (Shift_JIS: two-byte characters whose second byte may look like ASCII).
TEST(KxwU16nCutTest, TextsAreCutBetweenTwoCharacters) {
    KxwU16nHandler* ptUtf8 = xfptKxwU16nHandlerGetUtf8();
    EXPECT_EQ("ab", xfdsKxwU16nCutDcsAtCharBoundary(ptUtf8, "ab", 2, 5));
    EXPECT_EQ("a", xfdsKxwU16nCutDcsAtCharBoundary(ptUtf8, "a\xc3\xa9", 3, 2));
    EXPECT_EQ("a\xc3\xa9", xfdsKxwU16nCutDcsAtCharBoundary(ptUtf8, "a\xc3\xa9\xf0\x9f\x98\x80", 7, 6));
    EXPECT_EQ("", xfdsKxwU16nCutDcsAtCharBoundary(ptUtf8, nullptr, 4, 2));
    EXPECT_EQ("caf", xfdsKxwU16nCutDcsAtCharBoundary(nullptr, "caf\xe9", 4, 3));
    KxwU16nHandlerGeneral tSjis("shift_jis");
    ASSERT_FALSE(tSjis.IsFallback());
    // "a", then two two-byte characters (U+30C6 and U+3042): four bytes keep "a" and the first one only.
    const char kasSjis[] = "a\x83\x65\x82\xa0";
    EXPECT_EQ(std::string("a\x83\x65"), xfdsKxwU16nCutDcsAtCharBoundary(&tSjis, kasSjis, 5, 4));
    EXPECT_EQ(std::string("a"), xfdsKxwU16nCutDcsAtCharBoundary(&tSjis, kasSjis, 5, 2));
}

// A prompt answer the window does not know is an internal error, and the prompt gives the empty text.
TEST_F(KxwDomUserRegistrationTest, APromptAnswerOfNoKnownKindGivesTheEmptyText) {
    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
    LoadPage(ptTop, "http://h/page.html");
    KxwRecordingSink tSink;
    _ptObjMgr->AddUserRegistration(new KxwOddPrompt);
    EXPECT_EQ("string:", Eval(ptTop, "var r = prompt('Anything?', 'default'); typeof r + ':' + r"));
    EXPECT_TRUE(tSink.Saw("is neither OK nor Cancel in KxwDomHtmlWindow::prompt_callback"));
}

}  // namespace
