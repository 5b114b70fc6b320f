#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "KxwRecordingSink.h"
#include "KxwU16nHandler.h"

namespace {

std::u16string ToU16n(KxwU16nHandler& mrtHandler, const std::string& msDcs) {
    size_t nBound = mrtHandler.GetMaxU16nLenInChars(msDcs.size());
    std::u16string sOut(nBound, u'\0');
    sOut.resize(mrtHandler.ConvertDcsToU16n(msDcs.data(), msDcs.size(), sOut.data(), nBound));
    return sOut;
}

std::string ToDcs(KxwU16nHandler& mrtHandler, const std::u16string& msU16n) {
    size_t nBound = mrtHandler.GetMaxDcsLenInBytes(msU16n.size());
    std::string sOut(nBound, '\0');
    sOut.resize(mrtHandler.ConvertU16nToDcs(msU16n.data(), msU16n.size(), sOut.data(), nBound));
    return sOut;
}

struct RoundTripCase {
    const char* _pszCharset;
    std::string _sDcs;
    std::u16string _sU16n;
};

}  // namespace

TEST(KxwU16nHandlerTest, EachCharsetFamilyConvertsBothWays) {
    const RoundTripCase atCases[] = {
        // A 4-byte character (U+1F600) becomes a surrogate pair.
        {"utf-8", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z", u"a\u00E9\u20AC\U0001F600z"},
        {"windows-1252", "\x80\x8A\x9C\x9F\xE9", u"\u20AC\u0160\u0153\u0178\u00E9"},
        {"shift_jis",
         "\x93\xFA\x96\x7B\x8C\xEA"
         "A\xB1",
         u"\u65E5\u672C\u8A9EA\uFF71"},
        {"euc-jp",
         "\xC6\xFC\xCB\xDC"
         "b\x8E\xB1",
         u"\u65E5\u672Cb\uFF71"},
        {"iso-2022-jp", "\x1B$BF|K\\\x1B(Bx", u"\u65E5\u672Cx"},
        {"gbk", "\xD6\xD0\xCE\xC4", u"\u4E2D\u6587"},
        {"gb18030", "\xD6\xD0\x90\x30\x81\x30", u"\u4E2D\U00010000"},
        {"big5", "\xA4\xA4\xA4\xE5", u"\u4E2D\u6587"},
        {"euc-kr", "\xC7\xD1\xB1\xB9", u"\uD55C\uAD6D"},
        {"koi8-r", "\xF0\xD2\xC9\xD7\xC5\xD4", u"\u041F\u0440\u0438\u0432\u0435\u0442"},
        {"windows-1251", "\xCF\xF0\xE8", u"\u041F\u0440\u0438"},
        {"iso-8859-2", "\xA3\xF3\xE4\xBC", u"\u0141\u00F3\u00E4\u017A"},
        {"iso-8859-15", "\xA4\xBD", u"\u20AC\u0153"},
    };
    for (const RoundTripCase& rtCase : atCases) {
        KxwU16nHandlerGeneral tHandler(rtCase._pszCharset);
        EXPECT_STREQ(rtCase._pszCharset, tHandler.GetCharsetName());
        EXPECT_EQ(rtCase._sU16n, ToU16n(tHandler, rtCase._sDcs)) << rtCase._pszCharset;
        EXPECT_EQ(rtCase._sDcs, ToDcs(tHandler, rtCase._sU16n)) << rtCase._pszCharset;
    }
}

TEST(KxwU16nHandlerTest, SingleByteCharsetsKeepEveryByte) {
    std::string sAll;
    for (int i = 0; i < 256; ++i) sAll.push_back(static_cast<char>(i));
    for (const char* pszCharset : {"windows-1252", "iso-8859-1", "koi8-r", "windows-1251"}) {
        KxwU16nHandlerGeneral tHandler(pszCharset);
        std::u16string sU16n = ToU16n(tHandler, sAll);
        ASSERT_EQ(256u, sU16n.size()) << pszCharset;
        EXPECT_EQ(sAll, ToDcs(tHandler, sU16n)) << pszCharset;
    }
    KxwU16nHandlerGeneral tLatin1("iso-8859-1");
    EXPECT_EQ(u"\u0080\u009F\u00FF", ToU16n(tLatin1, "\x80\x9F\xFF"));
    KxwU16nHandlerGeneral tWindows1252(nullptr);
    // The five unassigned windows-1252 bytes keep their value as C1 controls.
    EXPECT_EQ(u"\u0081\u008D\u008F\u0090\u009D", ToU16n(tWindows1252, "\x81\x8D\x8F\x90\x9D"));
    KxwU16nHandlerGeneral tAscii("us-ascii");
    EXPECT_EQ(u"a\uFFFDz", ToU16n(tAscii, "a\xE9z"));
    EXPECT_EQ("a??", ToDcs(tAscii, u"a\u00E9\U0001F600"));
}

TEST(KxwU16nHandlerTest, InvalidBytesBecomeReplacementCharactersInPlace) {
    KxwU16nHandlerGeneral tUtf8("utf-8");
    EXPECT_EQ(u"a\uFFFDb", ToU16n(tUtf8,
                                  "a\xFF"
                                  "b"));
    // A truncated sequence is one replacement; the byte that broke it is read again.
    EXPECT_EQ(u"a\uFFFDb", ToU16n(tUtf8,
                                  "a\xE3\x81"
                                  "b"));
    EXPECT_EQ(u"\uFFFD\u00E9", ToU16n(tUtf8, "\xE3\xC3\xA9"));
    // Overlong forms and encoded surrogates are never decoded.
    EXPECT_EQ(u"\uFFFD\uFFFD", ToU16n(tUtf8, "\xC0\x80"));
    EXPECT_EQ(u"\uFFFD\uFFFD\uFFFD", ToU16n(tUtf8, "\xED\xA0\x80"));
    EXPECT_EQ(u"\uFFFD\uFFFD\uFFFD\uFFFD", ToU16n(tUtf8, "\xF4\x90\x80\x80"));
    EXPECT_EQ(u"x\uFFFD", ToU16n(tUtf8, "x\xF0\x9F\x98"));

    KxwU16nHandlerGeneral tShiftJis("shift_jis");
    EXPECT_EQ(u"A\uFFFD", ToU16n(tShiftJis, "A\x81"));
    // A lead byte followed by an ASCII byte: the ASCII byte survives.
    EXPECT_EQ(u"\uFFFD B\u65E5", ToU16n(tShiftJis, "\x81 B\x93\xFA"));
    KxwU16nHandlerGeneral tEucJp("euc-jp");
    EXPECT_EQ(u"\uFFFDq\u65E5", ToU16n(tEucJp, "\xC6q\xC6\xFC"));
    KxwU16nHandlerGeneral tGbk("gbk");
    EXPECT_EQ(u"\u4E2D\uFFFD", ToU16n(tGbk, "\xD6\xD0\xFF"));
    KxwU16nHandlerGeneral tBig5("big5");
    EXPECT_EQ(u"z\uFFFD", ToU16n(tBig5, "z\xA4"));
}

TEST(KxwU16nHandlerTest, UnencodableCharactersAndLoneSurrogatesAreSubstituted) {
    KxwU16nHandlerGeneral tUtf8("utf-8");
    EXPECT_EQ(
        "a\xEF\xBF\xBD"
        "b\xEF\xBF\xBD",
        ToDcs(tUtf8, std::u16string(u"a") + char16_t(0xD800) + u"b" + char16_t(0xDC00)));
    EXPECT_EQ("\xEF\xBF\xBD", ToDcs(tUtf8, std::u16string(1, char16_t(0xDBFF))));

    KxwU16nHandlerGeneral tWindows1252(nullptr);
    EXPECT_EQ("?a?\x80", ToDcs(tWindows1252, u"\u65E5a\U0001F600\u20AC"));
    EXPECT_EQ("?x", ToDcs(tWindows1252, std::u16string(1, char16_t(0xDC00)) + u"x"));

    KxwU16nHandlerGeneral tKoi8("koi8-r");
    EXPECT_EQ("?\xF0", ToDcs(tKoi8, u"\u65E5\u041F"));

    KxwU16nHandlerGeneral tShiftJis("shift_jis");
    EXPECT_EQ("\x93\xFA?a?", ToDcs(tShiftJis, std::u16string(u"\u65E5\u00E9a") + char16_t(0xD800)));
    EXPECT_EQ("?\x93\xFA", ToDcs(tShiftJis, std::u16string(1, char16_t(0xDC00)) + u"\u65E5"));

    // The substitute inside a run of two-byte characters switches the stateful charset back to ASCII first.
    KxwU16nHandlerGeneral tIso2022("iso-2022-jp");
    std::string sDcs = ToDcs(tIso2022, u"\u65E5\U0001F600\u672C");
    EXPECT_EQ(u"\u65E5?\u672C", ToU16n(tIso2022, sDcs));
    EXPECT_EQ(std::string("\x1B(B"), sDcs.substr(sDcs.size() - 3));
}

TEST(KxwU16nHandlerTest, LabelsAreRecognisedInAnyCaseAndCommonSpellings) {
    const std::pair<const char*, const char*> atLabels[] = {
        {"UTF8", "utf-8"},
        {"Utf-8", "utf-8"},
        {"x-sjis", "shift_jis"},
        {"Shift_JIS", "shift_jis"},
        {"latin1", "iso-8859-1"},
        {"cp1252", "windows-1252"},
        {" \"utf-8\" ", "utf-8"},
        {"ISO8859-15", "iso-8859-15"},
        {"ks_c_5601-1987", "euc-kr"},
        {"GB2312", "gb2312"},
        {"x-euc-jp", "euc-jp"},
        {"ASCII", "us-ascii"},
        {"KOI8-U", "koi8-u"},
        {"Big5-HKSCS", "big5"},
        {"windows-1250", "windows-1250"},
    };
    for (const auto& rtLabel : atLabels) {
        KxwRecordingSink tReports;
        KxwU16nHandlerGeneral tHandler(rtLabel.first);
        EXPECT_STREQ(rtLabel.second, tHandler.GetCharsetName()) << rtLabel.first;
        EXPECT_FALSE(tHandler.IsFallback()) << rtLabel.first;
        EXPECT_EQ(0u, tReports.Count()) << rtLabel.first;
    }
    EXPECT_STREQ("shift_jis", xfpszKxwU16nGetCanonicalCharsetName("SJIS;", 4));
    EXPECT_EQ(nullptr, xfpszKxwU16nGetCanonicalCharsetName("utf-9", 5));
    EXPECT_EQ(nullptr, xfpszKxwU16nGetCanonicalCharsetName("utf\0-8", 6));
}

TEST(KxwU16nHandlerTest, UnknownCharsetFallsBackToWindows1252WithAReport) {
    {
        KxwRecordingSink tReports;
        KxwU16nHandlerGeneral tHandler("x-klingon");
        EXPECT_STREQ("windows-1252", tHandler.GetCharsetName());
        EXPECT_TRUE(tHandler.IsFallback());
        ASSERT_EQ(1u, tReports.Count());
        EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, tReports.Messages()[0]._eSevLvl);
        EXPECT_TRUE(tReports.Saw("x-klingon"));
        EXPECT_EQ(u"\u20AC", ToU16n(tHandler, "\x80"));

        tReports.Clear();
        KxwU16nHandlerGeneral tDefault(nullptr);
        EXPECT_STREQ("windows-1252", tDefault.GetCharsetName());
        EXPECT_FALSE(tDefault.IsFallback());
        EXPECT_EQ(0u, tReports.Count());

        // Reset switches an existing handler, and a good name clears the fallback.
        tHandler.Reset("euc-kr");
        EXPECT_STREQ("euc-kr", tHandler.GetCharsetName());
        EXPECT_FALSE(tHandler.IsFallback());
        EXPECT_EQ(u"\uD55C", ToU16n(tHandler, "\xC7\xD1"));
        tHandler.Reset("utf-8");
        EXPECT_EQ(u"\uD55C", ToU16n(tHandler, "\xED\x95\x9C"));
    }
    EXPECT_NE(nullptr, xfpfKxwUtilGetMessageSink());
}

TEST(KxwU16nHandlerTest, BoundsHoldForRandomInputInEveryCharset) {
    std::mt19937 tRandom(20240611);
    const char* const apszCharsets[] = {"utf-8",  "windows-1252", "us-ascii",     "iso-8859-1",  "shift_jis",
                                        "euc-jp", "iso-2022-jp",  "gbk",          "gb18030",     "big5",
                                        "euc-kr", "koi8-r",       "windows-1255", "windows-1258"};
    constexpr char16_t kGuard = 0x5A5A;
    for (const char* pszCharset : apszCharsets) {
        KxwU16nHandlerGeneral tHandler(pszCharset);
        for (int iRound = 0; iRound < 200; ++iRound) {
            size_t nLen = tRandom() % 40;
            std::string sDcs;
            for (size_t i = 0; i < nLen; ++i) sDcs.push_back(static_cast<char>(tRandom() & 0xFF));
            size_t nBound = tHandler.GetMaxU16nLenInChars(nLen);
            std::vector<char16_t> awBuf(nBound + 8, kGuard);
            size_t nOut = tHandler.ConvertDcsToU16n(sDcs.data(), nLen, awBuf.data(), nBound);
            ASSERT_LE(nOut, nBound) << pszCharset;
            for (size_t i = nBound; i < awBuf.size(); ++i) ASSERT_EQ(kGuard, awBuf[i]) << pszCharset;
            // Never truncated: a much larger buffer gives the same text.
            std::vector<char16_t> awLarge(nLen * 4 + 16);
            ASSERT_EQ(nOut, tHandler.ConvertDcsToU16n(sDcs.data(), nLen, awLarge.data(), awLarge.size()));

            std::u16string sU16n;
            for (size_t i = 0; i < nLen; ++i) {
                // Mostly BMP text of several scripts, with lone and paired surrogates among it.
                static const char16_t kawPool[] = {u'a',   u'<',   0xE9,   0x20AC, 0x65E5, 0xFF71, 0x041F, 0xD55C,
                                                   0x4E2D, 0xD83D, 0xDE00, 0x05D0, 0x1EA5, 0x0000, 0xFFFF};
                sU16n.push_back(tRandom() % 3 ? kawPool[tRandom() % 15] : static_cast<char16_t>(tRandom() & 0xFFFF));
            }
            size_t nDcsBound = tHandler.GetMaxDcsLenInBytes(nLen);
            std::vector<char> acBuf(nDcsBound + 8, 'G');
            size_t nDcsOut = tHandler.ConvertU16nToDcs(sU16n.data(), nLen, acBuf.data(), nDcsBound);
            ASSERT_LE(nDcsOut, nDcsBound) << pszCharset;
            for (size_t i = nDcsBound; i < acBuf.size(); ++i) ASSERT_EQ('G', acBuf[i]) << pszCharset;
            std::vector<char> acLarge(nLen * 16 + 32);
            ASSERT_EQ(nDcsOut, tHandler.ConvertU16nToDcs(sU16n.data(), nLen, acLarge.data(), acLarge.size()))
                << pszCharset;
        }
    }
}

// Long ASCII runs are converted in blocks: text whose other characters fall at every offset of a block, before
// and after runs of every length, converts as its characters do one at a time, both ways and into short buffers.
TEST(KxwU16nHandlerTest, AsciiRunsConvertAsTheirCharactersDo) {
    std::mt19937 tRandom(20261211);
    struct Case {
        const char* _pszCharset;
        std::u16string _sOthers;
    };
    const Case atCases[] = {{"utf-8", u"\u00E9\u20AC\u65E5\U0001F600"},
                            {"windows-1252", u"\u00E9\u20AC\u0160"},
                            {"iso-8859-1", u"\u00E9\u00FF\u0080"},
                            {"us-ascii", u""}};
    for (const Case& rtCase : atCases) {
        KxwU16nHandlerGeneral tHandler(rtCase._pszCharset);
        for (int iRound = 0; iRound < 300; ++iRound) {
            std::u16string sU16n;
            std::string sDcs;
            while (sU16n.size() < 120) {
                std::u16string sPiece;
                if (rtCase._sOthers.empty() || tRandom() % 2) {
                    for (size_t n = tRandom() % 40; n > 0; --n)
                        sPiece.push_back(static_cast<char16_t>(tRandom() % 0x80));
                } else {
                    size_t nAt = tRandom() % rtCase._sOthers.size();
                    // A surrogate pair goes whole.
                    if (nAt > 0 && rtCase._sOthers[nAt] >= 0xDC00 && rtCase._sOthers[nAt] <= 0xDFFF) --nAt;
                    bool bPair = rtCase._sOthers[nAt] >= 0xD800 && rtCase._sOthers[nAt] <= 0xDBFF;
                    sPiece = rtCase._sOthers.substr(nAt, bPair ? 2 : 1);
                }
                sU16n += sPiece;
                sDcs += ToDcs(tHandler, sPiece);
            }
            ASSERT_EQ(sU16n, ToU16n(tHandler, sDcs)) << rtCase._pszCharset;
            ASSERT_EQ(sDcs, ToDcs(tHandler, sU16n)) << rtCase._pszCharset;
            // A buffer too short gets a leading part of the text, and nothing beyond its end is written.
            size_t nShort = tRandom() % sU16n.size();
            std::vector<char16_t> awShort(nShort + 16, u'#');
            size_t nOut = tHandler.ConvertDcsToU16n(sDcs.data(), sDcs.size(), awShort.data(), nShort);
            ASSERT_LE(nOut, nShort);
            ASSERT_EQ(sU16n.substr(0, nOut), std::u16string(awShort.data(), nOut)) << rtCase._pszCharset;
            for (size_t i = nShort; i < awShort.size(); ++i) ASSERT_EQ(u'#', awShort[i]);
            std::vector<char> acShort(nShort + 16, '#');
            size_t nBytes = tHandler.ConvertU16nToDcs(sU16n.data(), sU16n.size(), acShort.data(), nShort);
            ASSERT_LE(nBytes, nShort);
            ASSERT_EQ(sDcs.substr(0, nBytes), std::string(acShort.data(), nBytes)) << rtCase._pszCharset;
            for (size_t i = nShort; i < acShort.size(); ++i) ASSERT_EQ('#', acShort[i]);
        }
    }
}

TEST(KxwU16nHandlerTest, BadArgumentsAreReportedAndConvertNothing) {
    KxwRecordingSink tReports;
    KxwU16nHandlerGeneral tHandler("gbk");
    char16_t awBuf[4];
    EXPECT_EQ(0u, tHandler.ConvertDcsToU16n(nullptr, 3, awBuf, 4));
    char acBuf[4];
    EXPECT_EQ(0u, tHandler.ConvertU16nToDcs(u"abc", 3, nullptr, 4));
    EXPECT_EQ(2u, tReports.Count());
    EXPECT_EQ(0u, tHandler.ConvertU16nToDcs(u"abc", 0, acBuf, 4));
}

TEST(KxwU16nHandlerTest, HandlersOnSeparateThreadsConvertIndependently) {
    std::vector<std::thread> atThreads;
    std::vector<int> aiFailures(4, 0);
    for (int t = 0; t < 4; ++t) {
        atThreads.emplace_back([t, &aiFailures] {
            KxwU16nHandlerGeneral tHandler(t % 2 ? "shift_jis" : "iso-2022-jp");
            for (int i = 0; i < 500; ++i) {
                std::u16string sText = u"\u65E5\u672C" + std::u16string(1, char16_t(u'a' + i % 26)) + u"\u8A9E";
                if (ToU16n(tHandler, ToDcs(tHandler, sText)) != sText) ++aiFailures[t];
            }
        });
    }
    for (std::thread& rtThread : atThreads) rtThread.join();
    for (int iFailures : aiFailures) EXPECT_EQ(0, iFailures);
}
