#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>

#include "KxwRecordingSink.h"
#include "KxwUtilCharset.h"
#include "KxwUtilTagName.h"
#include "kxw/KxwDomCommonEnums.h"

TEST(KxwUtilTagNameTest, EverySubtypeAndItsTagNameMapToEachOther) {
    std::set<std::string> tSeen;
    for (int iSubtype = KXW_DOM_COMMON_NODE_SUBTYPE_FIRST_HTML_ELEMENT;
         iSubtype <= KXW_DOM_COMMON_NODE_SUBTYPE_LAST_HTML_ELEMENT; ++iSubtype) {
        const char* pszTag = xfpszKxwUtilGetTagNameBySubtype(iSubtype);
        ASSERT_NE(nullptr, pszTag) << iSubtype;
        EXPECT_TRUE(tSeen.insert(pszTag).second) << pszTag;
        size_t nLen = std::strlen(pszTag);
        EXPECT_EQ(iSubtype, xfiKxwUtilGetSubtypeByTagName(pszTag, nLen)) << pszTag;
        std::string sLower(pszTag);
        for (char& rcChar : sLower) rcChar = static_cast<char>(std::tolower(static_cast<unsigned char>(rcChar)));
        EXPECT_EQ(iSubtype, xfiKxwUtilGetSubtypeByTagName(sLower.data(), nLen)) << sLower;

        KxwUtilTagName tBySubtype(iSubtype);
        EXPECT_EQ(iSubtype, tBySubtype.GetSubtype());
        EXPECT_STREQ(pszTag, tBySubtype.GetTagNameDcsStr());
        EXPECT_EQ(nLen, tBySubtype.GetTagNameDcsLenInBytes());
        KxwUtilTagName tByName(sLower.data(), nLen);
        EXPECT_EQ(iSubtype, tByName.GetSubtype());
        EXPECT_STREQ(pszTag, tByName.GetTagNameDcsStr());
        EXPECT_TRUE(tByName == tBySubtype);
    }
    // Fixed points of the enumeration's order.
    EXPECT_STREQ("TITLE", xfpszKxwUtilGetTagNameBySubtype(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TITLE));
    EXPECT_STREQ("H1", xfpszKxwUtilGetTagNameBySubtype(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_H1));
    EXPECT_STREQ("COMMENT", xfpszKxwUtilGetTagNameBySubtype(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_COMMENT));
    EXPECT_STREQ("WBR", xfpszKxwUtilGetTagNameBySubtype(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_WBR));
    EXPECT_STREQ("PUBLIC:ATTACH",
                 xfpszKxwUtilGetTagNameBySubtype(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_ATTACH));
    EXPECT_STREQ("PUBLIC:PROPERTY",
                 xfpszKxwUtilGetTagNameBySubtype(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_PROPERTY));
    for (int iOutside : {-1, 0, 1, 15, 16, 124, 200})
        EXPECT_EQ(nullptr, xfpszKxwUtilGetTagNameBySubtype(iOutside)) << iOutside;
}

TEST(KxwUtilTagNameTest, UnknownNamesAreGenericElements) {
    const int kGeneric = KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT;
    EXPECT_EQ(kGeneric, xfiKxwUtilGetSubtypeByTagName("blink", 5));
    EXPECT_EQ(kGeneric, xfiKxwUtilGetSubtypeByTagName("DIVX", 4));
    EXPECT_EQ(kGeneric, xfiKxwUtilGetSubtypeByTagName("DI", 2));
    EXPECT_EQ(kGeneric, xfiKxwUtilGetSubtypeByTagName("DIV\0", 4));
    EXPECT_EQ(kGeneric, xfiKxwUtilGetSubtypeByTagName("", 0));
    EXPECT_EQ(kGeneric, xfiKxwUtilGetSubtypeByTagName("PUBLIC:COMPONENTS", 17));
    EXPECT_EQ(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DIV, xfiKxwUtilGetSubtypeByTagName("DIVX", 3));
    EXPECT_EQ(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_EVENT, xfiKxwUtilGetSubtypeByTagName("public:Event", 12));

    KxwUtilTagName tGeneric("Blink", 5);
    EXPECT_TRUE(tGeneric.IsValid());
    EXPECT_EQ(kGeneric, tGeneric.GetSubtype());
    EXPECT_STREQ("Blink", tGeneric.GetTagNameDcsStr());
    KxwUtilTagName tPrefixed("o:p", 3);
    EXPECT_EQ(KXW_DOM_COMMON_NODE_SUBTYPE_NAMESPACED_ELEMENT, tPrefixed.GetSubtype());
    EXPECT_STREQ("o:p", tPrefixed.GetTagNameDcsStr());
    EXPECT_TRUE(tGeneric == KxwUtilTagName("BLINK", 5));
    EXPECT_FALSE(tGeneric == KxwUtilTagName("blank", 5));
    EXPECT_FALSE(tGeneric == tPrefixed);
    EXPECT_TRUE(tGeneric.IsEqualIgnoringCase("bLiNk", 5));
}

TEST(KxwUtilTagNameTest, InvalidAsteriskAndCopies) {
    KxwUtilTagName tNone;
    EXPECT_FALSE(tNone.IsValid());
    EXPECT_STREQ("", tNone.GetTagNameDcsStr());
    EXPECT_STREQ("[Invalid Tag Name]", tNone.GetTagNameOrInvalidDcsStr());
    for (const char* pszBad : {"", "a b", "<a>", "a/b", "x=1", "a\"", "\t"}) {
        KxwUtilTagName tBad(pszBad, std::strlen(pszBad));
        EXPECT_FALSE(tBad.IsValid()) << pszBad;
        EXPECT_EQ(0u, tBad.GetTagNameDcsLenInBytes()) << pszBad;
    }
    KxwUtilTagName tEmbeddedNul("a\0b", 3);
    EXPECT_FALSE(tEmbeddedNul.IsValid());

    {
        KxwRecordingSink tReports;
        KxwUtilTagName tNoTag(KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT);
        EXPECT_FALSE(tNoTag.IsValid());
        KxwUtilTagName tDiv(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DIV);
        EXPECT_FALSE(tDiv.Set(200));
        EXPECT_FALSE(tDiv.IsValid());
        EXPECT_EQ(2u, tReports.Count());
    }

    KxwUtilTagName tAll;
    tAll.SetAsterisk();
    EXPECT_TRUE(tAll.IsAsterisk());
    EXPECT_STREQ("*", tAll.GetTagNameDcsStr());
    EXPECT_TRUE(KxwUtilTagName("*", 1).IsAsterisk());
    EXPECT_TRUE(tAll.Matches(KxwUtilTagName("td", 2)));
    EXPECT_TRUE(tAll.Matches(KxwUtilTagName("my-widget", 9)));
    EXPECT_FALSE(tAll.Matches(tNone));
    EXPECT_TRUE(KxwUtilTagName("TD", 2).Matches(KxwUtilTagName("td", 2)));
    EXPECT_FALSE(KxwUtilTagName("TD", 2).Matches(KxwUtilTagName("TR", 2)));
    EXPECT_FALSE(tNone.Matches(KxwUtilTagName("TD", 2)));

    // Copies of a generic name own their text.
    auto* ptOriginal = new KxwUtilTagName("x-widget", 8);
    KxwUtilTagName tCopy(*ptOriginal);
    KxwUtilTagName tAssigned;
    tAssigned = *ptOriginal;
    delete ptOriginal;
    EXPECT_STREQ("x-widget", tCopy.GetTagNameDcsStr());
    EXPECT_STREQ("x-widget", tAssigned.GetTagNameDcsStr());
    tAssigned = tAssigned;
    EXPECT_STREQ("x-widget", tAssigned.GetTagNameDcsStr());
    tAssigned.Set(tAssigned.GetTagNameDcsStr() + 2, 6);
    EXPECT_STREQ("widget", tAssigned.GetTagNameDcsStr());
    tCopy.Invalidate();
    EXPECT_FALSE(tCopy.IsValid());
}

TEST(KxwUtilTagNameTest, CharsetNames) {
    KxwUtilCharset tCharset;
    EXPECT_TRUE(tCharset.IsEmpty());
    EXPECT_STREQ("", tCharset.GetRawAscStr());
    tCharset.Set(" UTF8", 5);
    EXPECT_STREQ(" UTF8", tCharset.GetRawAscStr());
    EXPECT_EQ(5u, tCharset.GetRawAscLen());
    KxwUtilCharset tCopy(tCharset);
    tCharset.Reset();
    EXPECT_TRUE(tCharset.IsEmpty());
    EXPECT_STREQ(" UTF8", tCopy.GetRawAscStr());
    EXPECT_TRUE(tCopy.IsSameCharset(KxwUtilCharset("utf-8", 5)));
    EXPECT_FALSE(tCopy.IsSameCharset(KxwUtilCharset("latin1", 6)));
    EXPECT_TRUE(KxwUtilCharset("x-custom", 8).IsSameCharset(KxwUtilCharset("X-Custom", 8)));
    tCharset = tCopy;
    EXPECT_EQ(5u, tCharset.GetRawAscLen());
}
