#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KxwDomHtmlTextsStr.h"
#include "KxwRecordingSink.h"
#include "KxwUtilLargeStr.h"

namespace {
std::string Text(const KxwUtilLargeStr<char>& mrtStr) { return std::string(mrtStr.GetStr(), mrtStr.GetLen()); }
}  // namespace

TEST(KxwUtilLargeStr, GrowthFollowsTheSizingRule) {
    KxwUtilLargeStr<char> tStr;
    EXPECT_STREQ("", tStr.GetStr());
    EXPECT_EQ(0, tStr.GetCurrentAllocSize());  // nothing allocated until the first append

    tStr.Concat("abc", 3);  // needed 4, target 7: the initial size
    EXPECT_EQ(16, tStr.GetCurrentAllocSize());
    tStr.Concat("defghij", 7);  // 10 bytes in use
    EXPECT_EQ(16, tStr.GetCurrentAllocSize());
    std::string dsForty(40, 'x');
    tStr.Concat(dsForty.data(), 40);  // needed 51, target 91 > 16: max(32, 91) rounded up to 96
    EXPECT_EQ(96, tStr.GetCurrentAllocSize());
    EXPECT_EQ("abcdefghij" + dsForty, Text(tStr));

    tStr.Concat(dsForty.data(), 40);  // needed 91 fits in 96
    EXPECT_EQ(96, tStr.GetCurrentAllocSize());
    tStr.Concat(dsForty.data(), 10);  // needed 101, target 111: max(192, 111) = 192
    EXPECT_EQ(192, tStr.GetCurrentAllocSize());
    EXPECT_EQ(100, tStr.GetLen());
}

TEST(KxwUtilLargeStr, InitialSizeHasAFloorAndTextsStrStartsAt8K) {
    KxwUtilLargeStr<char> tSmall(3);
    EXPECT_EQ(16, tSmall.GetInitialAllocSize());
    KxwDomHtmlTextsStr tTexts;
    tTexts.Concat('x');
    EXPECT_EQ(8192, tTexts.GetCurrentAllocSize());
}

TEST(KxwUtilLargeStr, EdgeCasesOfAppendAndAssign) {
    KxwRecordingSink tSink;
    KxwUtilLargeStr<char> tStr;
    tStr.Assign("hello", 5);
    tStr.Assign("ignored", 0);  // empties the text, keeps the buffer
    EXPECT_TRUE(tStr.IsEmpty());
    EXPECT_EQ(16, tStr.GetCurrentAllocSize());
    EXPECT_EQ(nullptr, tStr.ObtainConcatBuffer(0));
    EXPECT_EQ(0u, tSink.Count());

    EXPECT_EQ(nullptr, tStr.ObtainConcatBuffer(-1));
    tStr.Concat("x", -2);
    tStr.UnlockAdditional(-1);
    tStr.UnlockAdditional(16);  // would pass the end of the buffer
    EXPECT_TRUE(tSink.Saw("miLen < 0 passed to KxwUtilLargeStr::ObtainConcatBuffer"));
    EXPECT_TRUE(tSink.Saw("miLen < 0 passed to KxwUtilLargeStr::Concat"));
    EXPECT_TRUE(tSink.Saw("miLen < 0 passed to KxwUtilLargeStr::UnlockAdditional"));
    EXPECT_TRUE(tSink.Saw("nNewLen >= _iCurrentAllocSize in KxwUtilLargeStr::UnlockAdditional"));
    EXPECT_TRUE(tStr.IsEmpty());

    char* pcBuffer = tStr.ObtainConcatBuffer(100);
    ASSERT_NE(nullptr, pcBuffer);
    std::memcpy(pcBuffer, "written in place", 16);
    EXPECT_TRUE(tStr.IsEmpty());  // nothing counts until committed
    tStr.UnlockAdditional(16);
    EXPECT_EQ("written in place", Text(tStr));

    // Appending a part of its own text must not read freed memory when the buffer grows.
    std::string dsLong(200, 'y');
    tStr.Concat(dsLong.data(), 200);
    tStr.Concat(tStr.GetStr(), tStr.GetLen());
    EXPECT_EQ(2 * (16 + 200), tStr.GetLen());
}

TEST(KxwUtilLargeStr, YankAndMoveTransferTheBuffer) {
    KxwUtilLargeStr<char> tSource;
    tSource.Concat("source text", 11);
    KxwUtilLargeStr<char> tTarget;
    tTarget.Concat("old", 3);
    tTarget.Yank(tSource);
    EXPECT_EQ("source text", Text(tTarget));
    EXPECT_TRUE(tSource.IsEmpty());
    EXPECT_EQ(0, tSource.GetCurrentAllocSize());
    EXPECT_STREQ("", tSource.GetStr());

    KxwUtilLargeStr<char> tMoved(std::move(tTarget));
    EXPECT_EQ("source text", Text(tMoved));
    EXPECT_EQ(0, tTarget.GetLen());  // NOLINT: a moved-from buffer is empty by contract
    tMoved.FreeStr();
    EXPECT_EQ(0, tMoved.GetCurrentAllocSize());
}

TEST(KxwDomHtmlTextsStr, BuildsMarkupWithEscapedAttributes) {
    KxwDomHtmlTextsStr tHtml;
    tHtml.ConcatHtmlOpeningTagPrefix("A", 1);
    tHtml.ConcatHtmlPropertyByValue("href", 4, "a.cgi?x=1&y=\"2\"", 15);
    tHtml.ConcatHtmlPropertyByValue("tabIndex", 8, -3L);
    tHtml.ConcatHtmlPropertyByValue("disabled", 8, true);
    tHtml.ConcatHtmlPropertyByValue("checked", 7, false);
    tHtml.ConcatHtmlPropertyByValue("title", 5, "", 0);
    tHtml.ConcatHtmlOpeningTagSuffix();
    tHtml.ConcatHtmlEscaped("<b> & co", 8);
    tHtml.ConcatHtmlClosingTag("A", 1);
    tHtml.ConcatNewLine();
    EXPECT_EQ("<A href=\"a.cgi?x=1&amp;y=&quot;2&quot;\" tabIndex=-3 disabled title=\"\">&lt;b&gt; &amp; co</A>\r\n",
              Text(tHtml));
}

TEST(KxwDomHtmlTextsStr, BadArgumentsAreReportedAndAddNothing) {
    KxwRecordingSink tSink;
    KxwDomHtmlTextsStr tHtml;
    tHtml.ConcatHtmlOpeningTagPrefix(nullptr, 1);
    tHtml.ConcatHtmlClosingTag("A", 0);
    tHtml.ConcatHtmlPropertyByValue(nullptr, 3, 1L);
    tHtml.ConcatHtmlPropertyByValue("x", 1, nullptr, 4);
    EXPECT_TRUE(tHtml.IsEmpty());
    EXPECT_TRUE(tSink.Saw("Invalid mpsfTagNameAscStr/miTagNameAscLen passed to "
                          "KxwDomHtmlTextsStr::ConcatHtmlOpeningTagPrefix"));
    EXPECT_TRUE(tSink.Saw("KxwDomHtmlTextsStr::ConcatHtmlClosingTag"));
    EXPECT_TRUE(tSink.Saw("Invalid mpsfPropertyNameDcsStr/miPropertyNameDcsLenInBytes passed to "
                          "KxwDomHtmlTextsStr::ConcatHtmlPropertyByValue"));
}
