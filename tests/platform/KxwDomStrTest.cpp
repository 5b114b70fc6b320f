#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KxwDomStr.h"
#include "KxwDomStrEnv.h"
#include "KxwDomStrRegExp.h"
#include "KxwRecordingSink.h"
#include "KxwMemMgr.h"
#include "KxwU16nHandler.h"
#include "KxwUtilStrCompare.h"

namespace {

// An environment whose handler disappears, as when the DOM object it watches is deleted.
class DyingEnv : public KxwDomStrEnvU16HandlerExplicit {
public:
    using KxwDomStrEnvU16HandlerExplicit::KxwDomStrEnvU16HandlerExplicit;
    KxwU16nHandler* GetU16nHandler() override {
        return _bDead ? nullptr : KxwDomStrEnvU16HandlerExplicit::GetU16nHandler();
    }
    bool _bDead = false;
};

std::string Dcs(const KxwDomStr& mrtStr) {
    return std::string(mrtStr.GetDcsStr(), mrtStr.GetDcsLenInBytes());
}

std::u16string U16n(const KxwDomStr& mrtStr) {
    return std::u16string(mrtStr.GetU16nStr(), mrtStr.GetU16nLenInChars());
}

class KxwDomStrTest : public ::testing::Test {
protected:
    KxwU16nHandlerGeneral _tUtf8{"utf-8"};
    KxwU16nHandlerGeneral _tWindows1252{"windows-1252"};
    KxwU16nHandlerGeneral _tShiftJis{"shift_jis"};
    KxwDomStrEnvU16HandlerExplicit _tUtf8Env{&_tUtf8};
    KxwDomStrEnvU16HandlerExplicit _tWindows1252Env{&_tWindows1252};
    KxwDomStrEnvU16HandlerExplicit _tShiftJisEnv{&_tShiftJis};
    KxwDomStrEnvExplicit _tNoHandlerEnv{nullptr, nullptr};
};

}  // namespace

TEST_F(KxwDomStrTest, FormsAreConvertedOnDemandAndKept) {
    KxwDomStr tStr(_tUtf8Env, "caf\xC3\xA9", 5);
    EXPECT_TRUE(tStr.HasDcs());
    EXPECT_FALSE(tStr.HasU16n());
    EXPECT_EQ(u"caf\u00E9", U16n(tStr));
    EXPECT_EQ(4u, tStr.GetU16nLenInChars());
    EXPECT_TRUE(tStr.HasU16n());
    EXPECT_EQ(u'\0', tStr.GetU16nStr()[4]);

    tStr.AssignU16n(u"\u65E5\U0001F600", 3);
    EXPECT_FALSE(tStr.HasDcs());
    EXPECT_EQ("\xE6\x97\xA5\xF0\x9F\x98\x80", Dcs(tStr));
    EXPECT_EQ('\0', tStr.GetDcsStr()[7]);

    // The conversions made now keep one form only.
    tStr.AssignU16FromDcs("\xC3\xA9", 2);
    EXPECT_TRUE(tStr.HasU16n());
    EXPECT_FALSE(tStr.HasDcs());
    EXPECT_EQ(u"\u00E9", U16n(tStr));
    tStr.AssignDcsFromU16n(u"\u20AC", 1);
    EXPECT_TRUE(tStr.HasDcs());
    EXPECT_FALSE(tStr.HasU16n());
    EXPECT_EQ("\xE2\x82\xAC", Dcs(tStr));

    // Latin-1 ignores the charset of the handler.
    tStr.AssignU16nFromLatin1("\x80\xE9", 2);
    EXPECT_EQ(u"\u0080\u00E9", U16n(tStr));
    EXPECT_EQ("\xC2\x80\xC3\xA9", Dcs(tStr));

    KxwDomStr tBoth(_tUtf8Env, "x", 1, u"x", 1);
    EXPECT_TRUE(tBoth.HasDcs() && tBoth.HasU16n());
}

TEST_F(KxwDomStrTest, WithoutHandlerDcsIsWindows1252) {
    KxwDomStr tStr(_tNoHandlerEnv, "\x80\xE9", 2);
    EXPECT_EQ(u"\u20AC\u00E9", U16n(tStr));

    // A watched object that died leaves its strings converting as windows-1252 instead of through a stale handler.
    DyingEnv tEnv(&_tUtf8);
    KxwDomStr tWatched(tEnv, "\xC3\xA9", 2);
    tEnv._bDead = true;
    EXPECT_EQ(u"\u00C3\u00A9", U16n(tWatched));
}

TEST_F(KxwDomStrTest, EmptyTextsAndEmbeddedNuls) {
    KxwDomStr tEmpty(_tUtf8Env);
    EXPECT_TRUE(tEmpty.IsEmpty());
    EXPECT_STREQ("", tEmpty.GetDcsStr());
    EXPECT_EQ(0u, tEmpty.GetDcsLenInBytes());
    ASSERT_NE(nullptr, tEmpty.GetU16nStr());
    EXPECT_EQ(u'\0', tEmpty.GetU16nStr()[0]);
    EXPECT_EQ(0u, tEmpty.GetU16nLenInChars());

    KxwDomStr tNul(_tUtf8Env, "a\0b\0", 4);
    EXPECT_FALSE(tNul.IsEmpty());
    EXPECT_EQ(4u, tNul.GetDcsLenInBytes());
    EXPECT_EQ(std::u16string(u"a\0b\0", 4), U16n(tNul));
    EXPECT_TRUE(tNul.IsEqualDcs("a\0b\0", 4));
    EXPECT_FALSE(tNul.IsEqualDcs("a", 1));
    tNul.AssignU16n(u"\0\0", 2);
    EXPECT_EQ(std::string("\0\0", 2), Dcs(tNul));

    tNul.Empty();
    EXPECT_TRUE(tNul.IsEmpty());
    EXPECT_TRUE(tNul == tEmpty);

    KxwRecordingSink tReports;
    KxwDomStr tBad(_tUtf8Env, static_cast<const char*>(nullptr), 3);
    EXPECT_TRUE(tBad.IsEmpty());
    EXPECT_EQ(1u, tReports.Count());
}

TEST_F(KxwDomStrTest, AssigningFromItsOwnTextIsSafe) {
    KxwDomStr tStr(_tUtf8Env, "hello world", 11);
    tStr.AssignDcs(tStr.GetDcsStr() + 6, 5);
    EXPECT_EQ("world", Dcs(tStr));
    tStr.AssignU16n(tStr.GetU16nStr() + 1, 3);
    EXPECT_EQ(u"orl", U16n(tStr));
    tStr.AssignU16FromDcs(tStr.GetDcsStr(), tStr.GetDcsLenInBytes());
    EXPECT_EQ(u"orl", U16n(tStr));
    tStr.AssignU16nFromLatin1(tStr.GetDcsStr(), 2);
    EXPECT_EQ(u"or", U16n(tStr));
    tStr.Assign(tStr);
    EXPECT_EQ("or", Dcs(tStr));
}

TEST_F(KxwDomStrTest, StringsLiveOnTheEnvironmentsMemoryManager) {
    auto* ptMemMgr = new KxwMemMgrStandaloneDomStr(16384);
    KxwDomStrEnvExplicit tEnv(ptMemMgr, &_tShiftJis);
    ASSERT_EQ(0u, ptMemMgr->GetLiveBlockCount());

    auto* ptStr = new (tEnv) KxwDomStr(tEnv, "\x93\xFA\x96\x7B", 4);
    EXPECT_EQ(2u, ptMemMgr->GetLiveBlockCount());  // the object and its DCS text
    EXPECT_EQ(u"\u65E5\u672C", U16n(*ptStr));
    EXPECT_EQ(3u, ptMemMgr->GetLiveBlockCount());
    ptStr->AssignU16n(u"x", 1);
    EXPECT_EQ(2u, ptMemMgr->GetLiveBlockCount());
    delete ptStr;
    EXPECT_EQ(0u, ptMemMgr->GetLiveBlockCount());
    EXPECT_EQ(0u, ptMemMgr->GetLiveByteCount());

    // A copy onto another manager leaves the source's memory alone.
    KxwDomStrEnvExplicit tHeapEnv(nullptr, &_tShiftJis);
    auto* ptHeapStr = new (tHeapEnv) KxwDomStr(tHeapEnv);
    KxwDomStr tOnMgr(tEnv, u"\u672C", 1);
    ptHeapStr->Assign(tOnMgr);
    EXPECT_EQ(1u, ptMemMgr->GetLiveBlockCount());
    EXPECT_EQ(u"\u672C", U16n(*ptHeapStr));
    delete ptHeapStr;
    tOnMgr.Empty();
    EXPECT_EQ(0u, ptMemMgr->GetLiveBlockCount());

    // Strings still alive when the manager goes are returned with it (the leak checker of the sanitizer build
    // watches this); the objects are never touched again.
    for (int i = 0; i < 50; ++i) {
        auto* ptLeft = new (tEnv) KxwDomStr(tEnv, "\x82\xA0", 2);
        EXPECT_EQ(u"\u3042", U16n(*ptLeft));
    }
    EXPECT_EQ(150u, ptMemMgr->GetLiveBlockCount());
    delete ptMemMgr;
}

TEST_F(KxwDomStrTest, EqualityComparesTextsAcrossCharsets) {
    KxwDomStr tUtf8(_tUtf8Env, "caf\xC3\xA9", 5);
    KxwDomStr tWindows1252(_tWindows1252Env, "caf\xE9", 4);
    KxwDomStr tU16n(_tShiftJisEnv, u"caf\u00E9", 4);
    EXPECT_TRUE(tUtf8 == tWindows1252);
    EXPECT_TRUE(tWindows1252 == tU16n);
    EXPECT_FALSE(tUtf8 != tU16n);
    KxwDomStr tOther(_tUtf8Env, "cafe", 4);
    EXPECT_FALSE(tUtf8 == tOther);
    KxwDomStr tEmpty(_tUtf8Env);
    EXPECT_FALSE(tEmpty == tOther);
    EXPECT_TRUE(tEmpty == KxwDomStr(_tShiftJisEnv, u"", 0));

    EXPECT_TRUE(tUtf8.IsEqualU16n(u"caf\u00E9", 4));
    EXPECT_FALSE(tUtf8.IsEqualU16n(u"caf", 3));
    EXPECT_TRUE(tUtf8.IsEqualDcs("caf\xC3\xA9", 5));
    EXPECT_FALSE(tUtf8.IsEqualDcs("CAF\xC3\x89", 5));
    EXPECT_TRUE(tUtf8.IsEqualDcs("CAF\xC3\x89", 5, true));
    EXPECT_FALSE(tUtf8.IsEqualDcs("CAF\xC3\x89x", 6, true));
}

TEST_F(KxwDomStrTest, CaseInsensitiveComparisons) {
    KxwDomStr tLower(_tUtf8Env, "submit", 6);
    KxwDomStr tUpper(_tWindows1252Env, "SUBMIT", 6);
    EXPECT_TRUE(tLower.IsEqualIgnoringCase(tUpper));
    EXPECT_FALSE(tLower == tUpper);
    EXPECT_TRUE(tLower.IsEqualIgnoringCaseAsc("Submit", 6));
    EXPECT_FALSE(tLower.IsEqualIgnoringCaseAsc("submit ", 7));
    EXPECT_FALSE(tLower.IsEqualIgnoringCaseAsc("submi", 5));

    KxwDomStr tGreek(_tUtf8Env, u"\u0391\u0392\u0393 \u00C9COLE \u0416", 11);
    KxwDomStr tGreekLower(_tWindows1252Env, u"\u03B1\u03B2\u03B3 \u00E9cole \u0436", 11);
    EXPECT_TRUE(tGreek.IsEqualIgnoringCase(tGreekLower));
    EXPECT_FALSE(tGreek.IsEqualIgnoringCaseAsc("abc", 3));

    // In Shift_JIS the second byte of a character may look like an ASCII letter: 0x83 0x41 and 0x83 0x61 are two
    // different katakana and must stay different when case is ignored.
    KxwDomStr tKatakana(_tShiftJisEnv, "\x83\x41", 2);
    EXPECT_FALSE(tKatakana.IsEqualDcs("\x83\x61", 2, true));
    EXPECT_TRUE(tKatakana.IsEqualDcs("\x83\x41", 2, true));
    KxwDomStr tKatakana2(_tShiftJisEnv, "\x83\x61", 2);
    EXPECT_FALSE(tKatakana.IsEqualIgnoringCase(tKatakana2));
    KxwDomStr tSjisAscii(_tShiftJisEnv, u"TEXT/JavaScript", 15);
    EXPECT_TRUE(tSjisAscii.IsEqualIgnoringCaseAsc("text/javascript", 15));
    KxwDomStr tSjisTrail(_tShiftJisEnv,
                         "\x83"
                         "A",
                         2);
    EXPECT_FALSE(tSjisTrail.IsEqualIgnoringCaseAsc("xa", 2));
}

TEST_F(KxwDomStrTest, BlankAwareComparisons) {
    auto Str = [this](const char16_t* mpwText) {
        return new (_tUtf8Env)
            KxwDomStr(_tUtf8Env, mpwText, static_cast<unsigned>(std::char_traits<char16_t>::length(mpwText)));
    };
    struct Case {
        const char16_t* _pwA;
        const char16_t* _pwB;
        bool _bSpaces;   // IsEqualConsideringSpaces
        bool _bTrimmed;  // leading and trailing set aside
    };
    const Case atCases[] = {
        {u"Buy  now", u" Buy\tnow\n", true, false},
        {u"Buy now", u"Buynow", false, false},
        {u"buy now", u"Buy now", false, false},
        {u"Buy\u00A0now", u"Buy now", true, false},
        {u"  ", u"", true, true},
        {u"a", u"", false, false},
        {u" id1 ", u"id1", true, true},
        {u"id 1", u"id1", false, false},
        {u"\r\nLogin\r\n", u"Login", true, true},
        {u"a  b", u" a  b ", true, true},
    };
    for (const Case& rtCase : atCases) {
        KxwDomStr* ptA = Str(rtCase._pwA);
        KxwDomStr* ptB = Str(rtCase._pwB);
        EXPECT_EQ(rtCase._bSpaces, ptA->IsEqualConsideringSpaces(*ptB)) << U16n(*ptA).size();
        EXPECT_EQ(rtCase._bSpaces, ptB->IsEqualConsideringSpaces(*ptA));
        EXPECT_EQ(rtCase._bTrimmed, ptA->IsEqualConsideringLeadingAndTrailingSpaces(*ptB, true, true));
        delete ptA;
        delete ptB;
    }
    KxwDomStr tPadded(_tUtf8Env, " x ", 3);
    KxwDomStr tRightPadded(_tUtf8Env, "x ", 2);
    KxwDomStr tPlain(_tUtf8Env, "x", 1);
    EXPECT_FALSE(tPadded.IsEqualConsideringLeadingAndTrailingSpaces(tPlain, false, true));
    EXPECT_TRUE(tRightPadded.IsEqualConsideringLeadingAndTrailingSpaces(tPlain, false, true));
    EXPECT_FALSE(tRightPadded.IsEqualConsideringLeadingAndTrailingSpaces(tPlain, true, false));
    EXPECT_FALSE(tPlain.IsRegExp());
}

TEST_F(KxwDomStrTest, SpecifiedMarkSurvivesAssignments) {
    KxwDomStr tStr(_tUtf8Env);
    EXPECT_FALSE(tStr.IsSpecified());
    tStr.SetSpecified(true);
    tStr.AssignDcs("a", 1);
    tStr.Empty();
    EXPECT_TRUE(tStr.IsSpecified());
    tStr.SetSpecified(false);
    EXPECT_FALSE(tStr.IsSpecified());
}

TEST_F(KxwDomStrTest, RegExpDescriptions) {
    KxwDomStrRegExp tAbsent(_tUtf8Env);
    EXPECT_FALSE(tAbsent.IsGiven());
    EXPECT_TRUE(tAbsent.IsEqualDcs("anything", 8));
    KxwDomStr tValue(_tUtf8Env, "Buy now", 7);
    EXPECT_TRUE(tAbsent.Matches(tValue));

    KxwDomStrRegExp tEmpty(_tUtf8Env, "", 0, false);
    EXPECT_TRUE(tEmpty.IsGiven());
    EXPECT_TRUE(tEmpty.IsEqualDcs("", 0));
    EXPECT_FALSE(tEmpty.IsEqualDcs("x", 1));

    KxwDomStrRegExp tBuy(_tUtf8Env, "^Buy ", 5, true);
    EXPECT_TRUE(tBuy.IsRegExp());
    EXPECT_TRUE(tBuy.IsPatternValid());
    EXPECT_TRUE(tBuy.IsEqualDcs("Buy now", 7));
    EXPECT_FALSE(tBuy.IsEqualDcs("Don't Buy now", 13));
    EXPECT_FALSE(tBuy.IsEqualDcs("buy now", 7));
    EXPECT_TRUE(tBuy.IsEqualDcs("buy now", 7, true));
    EXPECT_TRUE(tBuy.IsEqualU16n(u"Buy it", 6));
    EXPECT_TRUE(tBuy.Matches(tValue));
    // Through the string interface the description still matches as an expression.
    const KxwDomStr& rtAsStr = tBuy;
    EXPECT_TRUE(rtAsStr.IsEqualDcs("Buy more", 8));
    EXPECT_TRUE(rtAsStr.IsRegExp());

    // Extended syntax, and a match anywhere unless anchored.
    KxwDomStrRegExp tAlternatives(_tUtf8Env, "(Log|Sign) ?in$", 15, true);
    EXPECT_TRUE(tAlternatives.IsEqualDcs("Please Sign in", 14));
    EXPECT_TRUE(tAlternatives.IsEqualDcs("Login", 5));
    EXPECT_FALSE(tAlternatives.IsEqualDcs("Login now", 9));

    // Embedded NULs in the value do not end it.
    KxwDomStrRegExp tTail(_tUtf8Env, "b$", 2, true);
    EXPECT_TRUE(tTail.IsEqualDcs("a\0b", 3));

    tBuy.Set("now$", 4, true);
    EXPECT_TRUE(tBuy.IsEqualDcs("Buy now", 7));
    EXPECT_FALSE(tBuy.IsEqualDcs("Buy", 3));
    tBuy.Reset();
    EXPECT_FALSE(tBuy.IsGiven());
    EXPECT_FALSE(tBuy.IsRegExp());
    EXPECT_TRUE(tBuy.IsEqualDcs("Buy", 3));
}

TEST_F(KxwDomStrTest, RegExpsWorkOnCharactersOfAnyCharset) {
    KxwDomStrRegExp tOneChar(_tUtf8Env, "^caf.$", 6, true);
    EXPECT_TRUE(tOneChar.IsEqualDcs("caf\xC3\xA9", 5));
    EXPECT_FALSE(tOneChar.IsEqualDcs("cafe!", 5));
    // The same expression against windows-1252 text and Shift_JIS text.
    KxwDomStrRegExp tWindows1252(_tWindows1252Env, "^caf.$", 6, true);
    EXPECT_TRUE(tWindows1252.IsEqualDcs("caf\xE9", 4));
    KxwDomStrRegExp tShiftJis(_tShiftJisEnv, "^\x93\xFA.$", 5, true);
    EXPECT_TRUE(tShiftJis.IsEqualDcs("\x93\xFA\x96\x7B", 4));
    EXPECT_FALSE(
        tShiftJis.IsEqualDcs("\x93\xFA\x96\x7B"
                             "x",
                             5));
    // A value from another charset is compared as text.
    KxwDomStr tValue(_tWindows1252Env, "caf\xE9", 4);
    EXPECT_TRUE(tOneChar.Matches(tValue));
    KxwDomStrRegExp tNonAsciiCase(_tUtf8Env, "^\xC3\x89T\xC3\x89$", 6, true);
    EXPECT_TRUE(tNonAsciiCase.IsEqualU16n(u"\u00E9t\u00E9", 3, true));
    EXPECT_FALSE(tNonAsciiCase.IsEqualU16n(u"\u00E9t\u00E9", 3, false));
    // Invalid UTF-8 in a value is matched without harm.
    KxwDomStrRegExp tAny(_tUtf8Env, "x", 1, true);
    EXPECT_TRUE(tAny.IsEqualDcs("\xFF\xFEx", 3));
    EXPECT_FALSE(tAny.IsEqualDcs("\xFF\xFE", 2));
}

TEST_F(KxwDomStrTest, BadRegExpIsReportedOnceAndMatchesNothing) {
    KxwRecordingSink tReports;
    KxwDomStrRegExp tBad(_tUtf8Env, "(unclosed", 9, true);
    EXPECT_FALSE(tBad.IsPatternValid());
    EXPECT_FALSE(tBad.IsEqualDcs("(unclosed", 9));
    EXPECT_FALSE(tBad.IsEqualDcs("", 0));
    ASSERT_EQ(1u, tReports.Count());
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, tReports.Messages()[0]._eSevLvl);
    EXPECT_TRUE(tReports.Saw("(unclosed"));

    KxwDomStrRegExp tNul(_tUtf8Env, "a\0b", 3, true);
    EXPECT_FALSE(tNul.IsEqualDcs("a", 1));
    EXPECT_EQ(2u, tReports.Count());

    // The plain-text meaning of the same characters is unaffected.
    KxwDomStrRegExp tPlain(_tUtf8Env, "(unclosed", 9, false);
    EXPECT_TRUE(tPlain.IsEqualDcs("(unclosed", 9));
    EXPECT_EQ(2u, tReports.Count());
}

TEST_F(KxwDomStrTest, RegExpWorkIsBoundedOverLongPageText) {
    KxwRecordingSink tReports;
    // A back-reference would make the matcher backtrack: refused, reported, matching nothing; an escaped backslash
    // before a digit is an ordinary character.
    KxwDomStrRegExp tBackRef(_tUtf8Env, "(a*)*\\1b", 8, true);
    EXPECT_FALSE(tBackRef.IsPatternValid());
    EXPECT_TRUE(tReports.Saw("back-references"));
    KxwDomStrRegExp tEscaped(_tUtf8Env, "\\\\1", 3, true);
    EXPECT_TRUE(tEscaped.IsEqualDcs("a\\1", 3));
    std::string dsLongPattern(5000, 'a');
    KxwDomStrRegExp tLong(_tUtf8Env, dsLongPattern.data(), static_cast<unsigned>(dsLongPattern.size()), true);
    EXPECT_FALSE(tLong.IsPatternValid());
    // A page text of several megabytes is matched in its first megabyte, without splitting a character.
    std::string dsPage(3u << 20, 'x');
    dsPage.replace(10, 4, "\xC3\xA9t\xC3\xA9");
    dsPage += "tail";
    KxwDomStrRegExp tNear(_tUtf8Env, "\xC3\xA9t\xC3\xA9", 5, true);
    EXPECT_TRUE(tNear.IsEqualDcs(dsPage.data(), static_cast<unsigned>(dsPage.size())));
    KxwDomStrRegExp tFar(_tUtf8Env, "tail$", 5, true);
    EXPECT_FALSE(tFar.IsEqualDcs(dsPage.data(), static_cast<unsigned>(dsPage.size())));
}

TEST(KxwUtilStrCompareTest, FreeComparisonsTakeExplicitLengths) {
    EXPECT_TRUE(xfbKxwUtilIsEqualIgnoreCase("Content-Type", 12, "content-type", 12));
    EXPECT_FALSE(xfbKxwUtilIsEqualIgnoreCase("Content-Type", 12, "content-typ", 11));
    EXPECT_FALSE(xfbKxwUtilIsEqualIgnoreCase("\xC9", 1, "\xE9", 1));
    EXPECT_TRUE(xfbKxwUtilIsEqualIgnoreCase(nullptr, 0, "", 0));
    EXPECT_TRUE(xfbKxwUtilIsEqualIgnoreCaseEx("a\0B", 3, "a\0b", 3, true));
    EXPECT_FALSE(xfbKxwUtilIsEqualIgnoreCaseEx("a\0B", 3, "a\0b", 3, false));
    EXPECT_TRUE(xfbKxwUtilU16nIsEqualToAscIgnoreCase(u"About:Blank", 11, "about:blank", 11));
    EXPECT_FALSE(xfbKxwUtilU16nIsEqualToAscIgnoreCase(u"about:blank ", 12, "about:blank", 11));
    // U+0131 (dotless i) is not an ASCII letter and must not fold onto I.
    EXPECT_FALSE(xfbKxwUtilU16nIsEqualToAscIgnoreCase(u"\u0131", 1, "I", 1));
    EXPECT_TRUE(xfbKxwUtilU16nIsEqualIgnoreCaseAssumeAscii(u"onClick", 7, u"ONCLICK", 7));
    EXPECT_FALSE(xfbKxwUtilU16nIsEqualIgnoreCaseAssumeAscii(u"\u00E9", 1, u"\u00C9", 1));
    EXPECT_TRUE(xfbKxwU16IsEqualIgnoringCaseByLen(u"\u00E9\u0416\u03A3\uFF21", u"\u00C9\u0436\u03C2\uFF41", 4));
    EXPECT_FALSE(xfbKxwU16IsEqualIgnoringCaseByLen(u"\u00D7", u"\u00F7", 1));

    char acText[] = "MiXeD 1";
    EXPECT_TRUE(xfbKxwUtilToLowerCase(acText, 7));
    EXPECT_STREQ("mixed 1", acText);
    EXPECT_FALSE(xfbKxwUtilToLowerCase(acText, 7));
    char16_t awText[] = u"\u00C9A";
    EXPECT_TRUE(xfbKxwUtilToLowerCase(awText, 2));
    EXPECT_EQ(u"\u00C9a", std::u16string(awText, 2));

    KxwRecordingSink tReports;
    EXPECT_FALSE(xfbKxwUtilIsEqualIgnoreCase(nullptr, 3, nullptr, 3));
    EXPECT_FALSE(xfbKxwUtilU16nIsEqualConsideringSpaces(u"a", 1, nullptr, 1));
    EXPECT_EQ(2u, tReports.Count());
}

TEST(KxwUtilStrCompareTest, StringsStayCompact) {
    // Tens of thousands per page: pointers, lengths and a flag byte, nothing more.
    EXPECT_LE(sizeof(KxwDomStr), 6 * sizeof(void*));
}
