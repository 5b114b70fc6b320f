#include <gtest/gtest.h>

#include "KxwUtilUtf.h"

TEST(KxwUtilUtfTest, NamesRoundTripAndNothingIsLost) {
    std::u16string dsText = u"a\u00e9\u20ac\U0001F600";
    std::string dsUtf8 = xfdsKxwUtilU16ToUtf8(dsText.data(), dsText.size());
    EXPECT_EQ("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", dsUtf8);
    EXPECT_EQ(dsText, xfdsKxwUtilUtf8ToU16(dsUtf8.data(), dsUtf8.size()));
    // A lone surrogate keeps its value unless the caller wants U+FFFD.
    std::u16string dsLone = u"x";
    dsLone += static_cast<char16_t>(0xD800);
    EXPECT_EQ("x\xED\xA0\x80", xfdsKxwUtilU16ToUtf8(dsLone.data(), dsLone.size()));
    EXPECT_EQ("x\xEF\xBF\xBD", xfdsKxwUtilU16ToUtf8(dsLone.data(), dsLone.size(), true));
    // Bad bytes become the Latin-1 characters of the same value; a cut sequence at the end too.
    std::string dsBad = "a\x80\xC3(\xE2\x82";
    EXPECT_EQ((std::u16string{u'a', 0x80, 0xC3, u'(', 0xE2, 0x82}), xfdsKxwUtilUtf8ToU16(dsBad.data(), dsBad.size()));
    std::string dsOut;
    xfvKxwUtilAppendUtf8(dsOut, 0x110000);
    EXPECT_EQ("\xEF\xBF\xBD", dsOut);
    EXPECT_EQ(u"", xfdsKxwUtilUtf8ToU16(nullptr, 0));
}
