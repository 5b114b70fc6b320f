#include <gtest/gtest.h>

#include "kxw/KxwDomCommonEnums.h"

TEST(NodeSubtypeTexts, ElementsAndOutOfRange) {
    EXPECT_STREQ("[DOM object with no subtype]", xfpszKxwDomGetNodeSubtypeText(0));
    EXPECT_STREQ("namespaced DOM element", xfpszKxwDomGetNodeSubtypeText(16));
    EXPECT_STREQ("\"TITLE\" DOM element", xfpszKxwDomGetNodeSubtypeText(17));
    EXPECT_STREQ("\"WBR\" DOM element", xfpszKxwDomGetNodeSubtypeText(118));
    EXPECT_STREQ("\"PUBLIC:PROPERTY\" DOM element", xfpszKxwDomGetNodeSubtypeText(123));
    for (int v : {124, 125, 200, 100000, -1})
        EXPECT_STREQ("[Invalid Subtype]", xfpszKxwDomGetNodeSubtypeText(v)) << v;
}
