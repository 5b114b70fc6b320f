#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

// Every event's name finds it again in either case; the handler names are "on" and the lower-case name; what
// does not name an event (too long, empty, with "on", a NUL inside) is no event.
TEST(EventTypes, NamesRoundTripAndBubbling) {
    for (int e = 0; e < KXW_DOM_EVENT_TYPE_COUNT; ++e) {
        std::string dsName = xfpszKxwDomGetEventName(e);
        ASSERT_FALSE(dsName.empty()) << e;
        EXPECT_EQ(e, xfeKxwDomGetEventEnum(dsName.data(), static_cast<unsigned>(dsName.size()))) << dsName;
        std::string dsLower;
        for (char c : dsName) dsLower += static_cast<char>(c - 'A' + 'a');
        EXPECT_EQ(e, xfeKxwDomGetEventEnum(dsLower.data(), static_cast<unsigned>(dsLower.size()))) << dsLower;
        EXPECT_EQ("on" + dsLower, xfpszKxwDomGetEventHandlerName(e));
        EXPECT_EQ(dsLower.size() + 2, xfuKxwDomGetEventHandlerNameLen(e));
    }
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_CLICK, 17);
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_READYSTATECHANGE, 62);
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_UNLOAD, 78);
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_DATASETCOMPLETE, xfeKxwDomGetEventEnum("DataSetComplete", 15));
    for (std::string dsName : {std::string(), std::string("onclick"), std::string("clic"), std::string("clickk"),
                               std::string("readystatechanges"), std::string("click\0", 6), std::string("\xff")})
        EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_NONE,
                  xfeKxwDomGetEventEnum(dsName.data(), static_cast<unsigned>(dsName.size())))
            << dsName;
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_NONE, xfeKxwDomGetEventEnum(nullptr, 3));
    EXPECT_STREQ("", xfpszKxwDomGetEventName(KXW_DOM_EVENT_TYPE_ENUM_NONE));
    EXPECT_STREQ("", xfpszKxwDomGetEventHandlerName(-1));
    EXPECT_EQ(0u, xfuKxwDomGetEventHandlerNameLen(80));

    EXPECT_TRUE(xfbKxwDomIsEventBubbling(KXW_DOM_EVENT_TYPE_ENUM_CLICK));
    EXPECT_TRUE(xfbKxwDomIsEventBubbling(KXW_DOM_EVENT_TYPE_ENUM_KEYDOWN));
    for (int e : {KXW_DOM_EVENT_TYPE_ENUM_LOAD, KXW_DOM_EVENT_TYPE_ENUM_FOCUS, KXW_DOM_EVENT_TYPE_ENUM_SUBMIT,
                  KXW_DOM_EVENT_TYPE_ENUM_READYSTATECHANGE, KXW_DOM_EVENT_TYPE_ENUM_UNLOAD, KXW_DOM_EVENT_TYPE_ENUM_NONE})
        EXPECT_FALSE(xfbKxwDomIsEventBubbling(e)) << e;
}
