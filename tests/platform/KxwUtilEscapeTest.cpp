#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "KxwRecordingSink.h"
#include "KxwUtilEscape.h"

namespace {

std::string HtmlEscape(const std::string& msText) {
    int iEstimate = xfiKxwUtilEstimateHtmlEscapedLen(msText.data(), static_cast<int>(msText.size()));
    std::string sOut(static_cast<size_t>(iEstimate), '\0');
    int iLen =
        xfiKxwUtilPerformHtmlEscapingAndReturnLength(msText.data(), static_cast<int>(msText.size()), sOut.data());
    EXPECT_LE(iLen, iEstimate);
    sOut.resize(static_cast<size_t>(iLen));
    return sOut;
}

// Reverses the four entities, to check that escaping loses nothing.
std::string HtmlUnescape(const std::string& msText) {
    std::string sOut;
    for (size_t i = 0; i < msText.size();) {
        bool bEntity = false;
        for (const auto& rtPair :
             {std::pair<const char*, char>{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}}) {
            if (msText.compare(i, std::strlen(rtPair.first), rtPair.first) == 0) {
                sOut.push_back(rtPair.second);
                i += std::strlen(rtPair.first);
                bEntity = true;
                break;
            }
        }
        if (!bEntity) sOut.push_back(msText[i++]);
    }
    return sOut;
}

// Reads the C-style form back.
std::string CStyleDecode(const std::string& msText) {
    std::string sOut;
    for (size_t i = 0; i < msText.size(); ++i) {
        if (msText[i] != '\\') {
            sOut.push_back(msText[i]);
            continue;
        }
        char cNext = msText[++i];
        if (cNext == 'n')
            sOut.push_back('\n');
        else if (cNext == 't')
            sOut.push_back('\t');
        else if (cNext == 'r')
            sOut.push_back('\r');
        else if (cNext == '\\' || cNext == '"')
            sOut.push_back(cNext);
        else {
            sOut.push_back(static_cast<char>((cNext - '0') * 64 + (msText[i + 1] - '0') * 8 + (msText[i + 2] - '0')));
            i += 2;
        }
    }
    return sOut;
}

}  // namespace

TEST(KxwUtilEscapeTest, HtmlEscapingWritesTheFourEntities) {
    EXPECT_EQ("a&amp;b&lt;c&gt;&quot;d'", HtmlEscape("a&b<c>\"d'"));
    EXPECT_EQ(24, xfiKxwUtilEstimateHtmlEscapedLen("a&b<c>\"d'", 9));
    EXPECT_EQ("", HtmlEscape(""));
    EXPECT_EQ(std::string("\0&lt;\xFF", 6), HtmlEscape(std::string("\0<\xFF", 3)));
    // Inside ISO-2022 two-byte characters " & < > are character halves, not markup.
    EXPECT_EQ("\x1B$B$\"$&\x1B(B&lt;", HtmlEscape("\x1B$B$\"$&\x1B(B<"));
    // Shift_JIS second bytes never collide with the four characters.
    EXPECT_EQ("\x83\x41&amp;", HtmlEscape("\x83\x41&"));
}

TEST(KxwUtilEscapeTest, HtmlEscapedStringIsTheSameEscaping) {
    const std::string kdsText("a&b<c>\"d'\0<\xFF", 12);
    EXPECT_EQ(HtmlEscape(kdsText), xfdsKxwUtilHtmlEscaped(kdsText.data(), kdsText.size()));
    EXPECT_EQ("", xfdsKxwUtilHtmlEscaped("", 0));
    EXPECT_EQ("", xfdsKxwUtilHtmlEscaped(nullptr, 5));
}

TEST(KxwUtilEscapeTest, HtmlEstimateCoversWhatIsWrittenForRandomBytes) {
    std::mt19937 tRandom(7);
    for (int iRound = 0; iRound < 3000; ++iRound) {
        size_t nLen = tRandom() % 64;
        std::string sText;
        for (size_t i = 0; i < nLen; ++i) {
            // Bias towards the bytes that matter so that every input holds several of them.
            static const char kacSpecial[] = {'&', '<', '>', '"', '\x1B', '$', '('};
            sText.push_back(tRandom() % 3 ? static_cast<char>(tRandom() & 0xFF) : kacSpecial[tRandom() % 7]);
        }
        int iEstimate = xfiKxwUtilEstimateHtmlEscapedLen(sText.data(), static_cast<int>(nLen));
        std::vector<char> acBuf(static_cast<size_t>(iEstimate) + 16, 'G');
        int iLen = xfiKxwUtilPerformHtmlEscapingAndReturnLength(sText.data(), static_cast<int>(nLen), acBuf.data());
        ASSERT_LE(iLen, iEstimate);
        for (size_t i = static_cast<size_t>(iEstimate); i < acBuf.size(); ++i) ASSERT_EQ('G', acBuf[i]);
        std::string sEscaped(acBuf.data(), static_cast<size_t>(iLen));
        if (sText.find('\x1B') == std::string::npos) {
            ASSERT_EQ(sText, HtmlUnescape(sEscaped));
            ASSERT_EQ(std::string::npos, sEscaped.find_first_of("<>\""));
        }
    }
}

TEST(KxwUtilEscapeTest, BadArgumentsWriteNothing) {
    KxwRecordingSink tReports;
    char acBuf[8] = "unused";
    EXPECT_EQ(0, xfiKxwUtilEstimateHtmlEscapedLen("abc", -1));
    EXPECT_EQ(0, xfiKxwUtilPerformHtmlEscapingAndReturnLength("abc", -1, acBuf));
    EXPECT_EQ(0, xfiKxwUtilPerformHtmlEscapingAndReturnLength(nullptr, 3, acBuf));
    EXPECT_EQ(0, xfiKxwUtilPerformHtmlEscapingAndReturnLength("abc", 3, nullptr));
    EXPECT_EQ(0, xfiKxwUtilPerformPercentageUnEscapingAndReturnLength("%41", -3, acBuf));
    EXPECT_EQ(0, xfiKxwUtilAddCrBeforeNl("a\n", -2, acBuf));
    EXPECT_EQ(0u, xfnKxwUtilCStyleEncodeBuf(nullptr, 2, acBuf, sizeof acBuf));
    EXPECT_STREQ("unused", acBuf);
    EXPECT_EQ(7u, tReports.Count());
}

TEST(KxwUtilEscapeTest, PercentAndUrlUnEscaping) {
    char acBuf[64];
    auto UnEscape = [&acBuf](const std::string& msText, bool mbUrl, bool mbPlus) {
        int iLen = mbUrl ? xfiKxwUtilPerformUrlUnEscapingAndReturnLength(msText.data(), static_cast<int>(msText.size()),
                                                                         acBuf, mbPlus)
                         : xfiKxwUtilPerformPercentageUnEscapingAndReturnLength(msText.data(),
                                                                                static_cast<int>(msText.size()), acBuf);
        EXPECT_LE(static_cast<size_t>(iLen), msText.size());
        return std::string(acBuf, static_cast<size_t>(iLen));
    };
    EXPECT_EQ("a b%2", UnEscape("a%20b%2", false, false));
    EXPECT_EQ("AJ%zz%", UnEscape("%41%4a%zz%", false, false));
    EXPECT_EQ(std::string("\0\xFF", 2), UnEscape("%00%ff", false, false));
    EXPECT_EQ("a+b c", UnEscape("a+b%20c", false, false));
    EXPECT_EQ("a+b c", UnEscape("a+b%20c", true, false));
    EXPECT_EQ("a b c", UnEscape("a+b%20c", true, true));
    EXPECT_EQ("%2B is +", UnEscape("%252B is %2B", true, true));
    EXPECT_EQ("%4", UnEscape("%4", false, false));

    // In place: the output never overtakes the input.
    char acInPlace[] = "alert(%22hi%22)";
    int iLen = xfiKxwUtilPerformPercentageUnEscapingAndReturnLength(acInPlace, 15, acInPlace);
    EXPECT_EQ("alert(\"hi\")", std::string(acInPlace, static_cast<size_t>(iLen)));
}

TEST(KxwUtilEscapeTest, CStyleEncoding) {
    const std::string sText(
        "a\"b\\c\n\t\r\x01\xFF"
        "7",
        11);
    char acBuf[64];
    size_t nLen = xfnKxwUtilCStyleEncodeBuf(sText.data(), sText.size(), acBuf, sizeof acBuf);
    EXPECT_STREQ("a\\\"b\\\\c\\n\\t\\r\\001\\3777", acBuf);
    EXPECT_EQ(std::strlen(acBuf), nLen);
    EXPECT_EQ(nLen, xfnKxwUtilEstimateCStyleEncodedLen(sText.data(), sText.size()));
    EXPECT_EQ(nLen, xfnKxwUtilCStyleEncodeBuf(sText.data(), sText.size(), nullptr, 0));

    // A short buffer is cut before the escape that does not fit, and stays terminated.
    char acSmall[6];
    std::memset(acSmall, 'G', sizeof acSmall);
    EXPECT_EQ(nLen, xfnKxwUtilCStyleEncodeBuf(sText.data(), sText.size(), acSmall, 5));
    EXPECT_STREQ("a\\\"b", acSmall);
    EXPECT_EQ('G', acSmall[5]);

    std::mt19937 tRandom(11);
    for (int iRound = 0; iRound < 2000; ++iRound) {
        std::string sRandom;
        for (size_t i = tRandom() % 40; i > 0; --i) sRandom.push_back(static_cast<char>(tRandom() & 0xFF));
        size_t nEstimate = xfnKxwUtilEstimateCStyleEncodedLen(sRandom.data(), sRandom.size());
        std::vector<char> acOut(nEstimate + 8, 'G');
        size_t nOut = xfnKxwUtilCStyleEncodeBuf(sRandom.data(), sRandom.size(), acOut.data(), nEstimate + 1);
        ASSERT_EQ(nEstimate, nOut);
        for (size_t i = nEstimate + 1; i < acOut.size(); ++i) ASSERT_EQ('G', acOut[i]);
        ASSERT_EQ(sRandom, CStyleDecode(std::string(acOut.data(), nOut)));
        for (size_t i = 0; i < nOut; ++i) ASSERT_TRUE(acOut[i] >= 0x20 && acOut[i] < 0x7F);
    }
}

TEST(KxwUtilEscapeTest, CarriageReturnsBeforeLineFeeds) {
    char acBuf[32];
    int iLen = xfiKxwUtilAddCrBeforeNl("\na\nb\r\nc\r\r\n", 10, acBuf);
    EXPECT_STREQ("\r\na\r\nb\r\nc\r\r\n", acBuf);
    EXPECT_EQ(12, iLen);
    char16_t awBuf[16];
    iLen = xfiKxwUtilAddCrBeforeNl(u"x\ny\r\n", 5, awBuf);
    EXPECT_EQ(u"x\r\ny\r\n", std::u16string(awBuf, static_cast<size_t>(iLen)));
    EXPECT_EQ(u'\0', awBuf[iLen]);
    EXPECT_EQ(0, xfiKxwUtilAddCrBeforeNl("", 0, acBuf));
    EXPECT_EQ('\0', acBuf[0]);

    // The stated room (twice the length and a terminator) always suffices.
    std::mt19937 tRandom(3);
    for (int iRound = 0; iRound < 1000; ++iRound) {
        std::string sText;
        for (size_t i = tRandom() % 30; i > 0; --i) sText.push_back("\n\ra"[tRandom() % 3]);
        std::vector<char> acOut(sText.size() * 2 + 1 + 4, 'G');
        int iOut = xfiKxwUtilAddCrBeforeNl(sText.data(), static_cast<int>(sText.size()), acOut.data());
        for (size_t i = sText.size() * 2 + 1; i < acOut.size(); ++i) ASSERT_EQ('G', acOut[i]);
        std::string sOut(acOut.data(), static_cast<size_t>(iOut));
        for (size_t i = 0; i < sOut.size(); ++i) {
            if (sOut[i] == '\n') {
                ASSERT_TRUE(i > 0 && sOut[i - 1] == '\r');
            }
        }
    }
}
