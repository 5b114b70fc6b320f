#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "KxwPlayData.h"

namespace {

std::string LoadError(const std::string& mdsText) {
    KxwPlayData tData;
    std::string dsError;
    if (tData.LoadFromText(mdsText.data(), mdsText.size(), "d.csv", &dsError)) return "";
    EXPECT_TRUE(tData.IsEmpty());
    return dsError;
}

}  // namespace

TEST(KxwPlayData, QuotedFieldsLineEndsAndBlankLines) {
    const std::string dsText =
        "\xEF\xBB\xBF user , password,note\r\n"
        "alice,\"se,cret\",\"she said \"\"hi\"\"\"\r\n"
        "\r\n"
        "bob,,\"two\nlines\"\n"
        "\"carol\",x y ,{user}";  // no line end after the last record
    KxwPlayData tData;
    std::string dsError;
    ASSERT_TRUE(tData.LoadFromText(dsText.data(), dsText.size(), "d.csv", &dsError)) << dsError;
    ASSERT_EQ((std::vector<std::string>{"user", "password", "note"}), tData.GetNames());
    ASSERT_EQ(3u, tData.GetRowCount());
    EXPECT_EQ((std::vector<std::string>{"alice", "se,cret", "she said \"hi\""}), tData.GetRow(0));
    EXPECT_EQ((std::vector<std::string>{"bob", "", "two\nlines"}), tData.GetRow(1));
    // Unquoted values keep their blanks: they may matter to the application.
    EXPECT_EQ((std::vector<std::string>{"carol", "x y ", "{user}"}), tData.GetRow(2));
}

TEST(KxwPlayData, MalformedFilesNameTheirLine) {
    EXPECT_EQ("d.csv:1: no header line", LoadError(""));
    EXPECT_EQ("d.csv:1: no header line", LoadError("\n\n"));
    EXPECT_EQ("d.csv:2: no data rows after the header", LoadError("\na,b\n\n\n"));
    EXPECT_EQ("d.csv:1: a column of the header has no name", LoadError("a, ,c\n1,2,3\n"));
    EXPECT_EQ("d.csv:1: the column name \"a\" is used twice", LoadError("a,b,a\n1,2,3\n"));
    EXPECT_EQ("d.csv:1: the column name \"{a}\" holds a brace", LoadError("{a}\n1\n"));
    EXPECT_EQ("d.csv:3: 1 fields where the header has 2", LoadError("a,b\n1,2\nonly\n"));
    // A quoted line break is inside the record: the next record's line counts it.
    EXPECT_EQ("d.csv:4: 3 fields where the header has 2", LoadError("a,b\n1,\"x\ny\"\n1,2,3\n"));
    EXPECT_EQ("d.csv:2: a quoted field is not closed", LoadError("a,b\n1,\"open\n2,3\n"));
    EXPECT_EQ("d.csv:2: text after a closing quote (a field ends at a comma or the line's end)",
              LoadError("a,b\n\"x\"y,2\n"));
    EXPECT_EQ("d.csv:2: a double quote inside an unquoted field (quote the whole field and double it)",
              LoadError("a,b\nx\"y,2\n"));

    KxwPlayData tData;
    std::string dsError;
    EXPECT_FALSE(tData.LoadFromFile("/nonexistent/d.csv", &dsError));
    EXPECT_EQ(0u, dsError.find("/nonexistent/d.csv: cannot open"));
}

TEST(KxwPlayData, RowsGoOutIterationByIterationAndWrapAround) {
    const std::string dsText = "n\nr0\nr1\nr2\n";
    KxwPlayData tData;
    std::string dsError;
    ASSERT_TRUE(tData.LoadFromText(dsText.data(), dsText.size(), "d.csv", &dsError));
    // Two virtual users, three rows: users side by side hold different rows.
    EXPECT_EQ(0u, tData.GetRowIndex(1, 1, 2));
    EXPECT_EQ(1u, tData.GetRowIndex(2, 1, 2));
    EXPECT_EQ(2u, tData.GetRowIndex(1, 2, 2));
    EXPECT_EQ(0u, tData.GetRowIndex(2, 2, 2));
    EXPECT_EQ(1u, tData.GetRowIndex(1, 3, 2));
    // No overflow for the largest run the options allow.
    EXPECT_EQ((static_cast<unsigned long long>(1000000000 - 1) * 10000 + 9999) % 3,
              tData.GetRowIndex(10000, 1000000000, 10000));
    EXPECT_EQ("r2", tData.GetRow(5)[0]);  // an index past the end wraps as well
}

TEST(KxwPlayData, PlaceholdersOfColumnsAreReplacedAndOtherBracesKept) {
    const std::string dsText = "user,pin\nalice,{user}\n";
    KxwPlayData tData;
    std::string dsError;
    ASSERT_TRUE(tData.LoadFromText(dsText.data(), dsText.size(), "d.csv", &dsError));
    EXPECT_TRUE(tData.HasPlaceholder("name={user}"));
    EXPECT_FALSE(tData.HasPlaceholder("function () { return user; }"));
    EXPECT_FALSE(tData.HasPlaceholder("{User} {use} {user"));
    EXPECT_EQ("hello alice!", tData.Substitute("hello {user}!", 0));
    EXPECT_EQ("alicealice", tData.Substitute("{user}{user}", 0));
    EXPECT_EQ("if (x) { f('alice'); }", tData.Substitute("if (x) { f('{user}'); }", 0));
    EXPECT_EQ("{{alice}}", tData.Substitute("{{{user}}}", 0));
    EXPECT_EQ("{other} {user", tData.Substitute("{other} {user", 0));
    // A value is put in once and not read again for placeholders.
    EXPECT_EQ("pin={user}", tData.Substitute("pin={pin}", 0));
    EXPECT_EQ("text without braces", tData.Substitute("text without braces", 0));

    KxwPlayData tEmpty;
    EXPECT_FALSE(tEmpty.HasPlaceholder("{user}"));
    EXPECT_EQ("{user}", tEmpty.Substitute("{user}", 0));
}
