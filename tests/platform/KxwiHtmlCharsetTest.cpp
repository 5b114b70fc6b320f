#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KxwiHtmlCharset.h"

namespace {

std::string Charset(const char* mpszContent) {
    const char* psfFound = nullptr;
    size_t nLen = 0;
    if (!xfbKxwiHtmlFindCharsetInContent(mpszContent, std::strlen(mpszContent), &psfFound, &nLen)) return "(none)";
    return std::string(psfFound, nLen);
}

TEST(KxwiHtmlCharsetTest, TheNameAfterCharsetInAContentType) {
    EXPECT_EQ("utf-8", Charset("text/html; charset=utf-8"));
    EXPECT_EQ("Shift_JIS", Charset("text/html;CHARSET = \"Shift_JIS\"; x=1"));
    EXPECT_EQ("koi8-r", Charset("text/html; charset='koi8-r'"));
    EXPECT_EQ("iso-8859-2", Charset("text/html; charsetx; charset=iso-8859-2 ;"));
    EXPECT_EQ("(none)", Charset("text/html; charset="));
    EXPECT_EQ("(none)", Charset("text/html"));
    EXPECT_EQ("(none)", Charset("chars"));
    const char* psfFound = nullptr;
    size_t nLen = 0;
    EXPECT_FALSE(xfbKxwiHtmlFindCharsetInContent(nullptr, 5, &psfFound, &nLen));
}

}  // namespace
