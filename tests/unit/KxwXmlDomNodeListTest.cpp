// Node lists and attribute maps: live lists follow the tree, selections do not; walking with nextNode and reset;
// list[i] through the item interface.
#include <gtest/gtest.h>

#include "KxwXmlDomTestSupport.h"

using namespace kxw_xml_test;

TEST(KxwXmlDomNodeListTest, ChildNodesAndElementsByNameAreLive) {
    KxwAutoRef<KxwAutomation> tDoc = Load("<r><a/><b><a/></b></r>");
    KxwAutoRef<KxwAutomation> tR = ObjOf(tDoc.Get(), "documentElement");
    KxwAutoRef<KxwAutomation> tChildren = ObjOf(tR.Get(), "childNodes");
    KxwAutoRef<KxwAutomation> tAs = ObjOf(tDoc.Get(), "getElementsByTagName", {S("a")});
    KxwAutoRef<KxwAutomation> tAll = ObjOf(tDoc.Get(), "getElementsByTagName", {S("*")});
    KxwAutoRef<KxwAutomation> tFixed = ObjOf(tDoc.Get(), "selectNodes", {S("//a")});
    EXPECT_STREQ("IXMLDOMNodeList", tChildren->GetInterfaceName());
    EXPECT_EQ(2, IntOf(tChildren.Get(), "length"));
    EXPECT_EQ(2, IntOf(tAs.Get(), "length"));
    EXPECT_EQ(4, IntOf(tAll.Get(), "length"));
    EXPECT_EQ(2, IntOf(tFixed.Get(), "length"));

    Call(tR.Get(), "appendChild", {O(ObjOf(tDoc.Get(), "createElement", {S("a")}).Get())});
    EXPECT_EQ(3, IntOf(tChildren.Get(), "length"));
    EXPECT_EQ(3, IntOf(tAs.Get(), "length"));
    EXPECT_EQ(5, tAll->GetItemCount());
    EXPECT_EQ(2, IntOf(tFixed.Get(), "length"));

    KxwAutoValue tThird;
    ASSERT_TRUE(tChildren->GetItem(2, tThird));
    EXPECT_EQ("a", TextOf(tThird.GetObject(), "nodeName"));
    EXPECT_FALSE(tChildren->GetItem(3, tThird));
    EXPECT_FALSE(tChildren->GetItem(-1, tThird));
    EXPECT_TRUE(Call(tChildren.Get(), "item", {I(99)}).IsNullOrEmpty());
    Call(tChildren.Get(), "item", {S("x")});
    EXPECT_EQ(KXW_AUTO_E_TYPEMISMATCH, Last()._lResult);

    // A reload: the document's lists follow its new tree.
    KxwAutoRef<KxwAutomation> tDocChildren = ObjOf(tDoc.Get(), "childNodes");
    EXPECT_EQ(1, IntOf(tDocChildren.Get(), "length"));
    Call(tDoc.Get(), "loadXML", {S("<!--c--><z><a/></z>")});
    EXPECT_EQ(2, IntOf(tDocChildren.Get(), "length"));
    EXPECT_EQ(1, IntOf(ObjOf(tDoc.Get(), "getElementsByTagName", {S("a")}).Get(), "length"));
}

TEST(KxwXmlDomNodeListTest, NextNodeWalksAndResetStartsAgain) {
    KxwAutoRef<KxwAutomation> tDoc = Load("<r><a>1</a><a>2</a></r>");
    for (const char* pszHow : {"getElementsByTagName", "selectNodes"}) {
        KxwAutoRef<KxwAutomation> tList =
            ObjOf(tDoc.Get(), pszHow, {S(std::string(pszHow) == "selectNodes" ? "//a" : "a")});
        std::string dsSeen;
        for (KxwAutoValue t = Call(tList.Get(), "nextNode"); !t.IsNullOrEmpty(); t = Call(tList.Get(), "nextNode"))
            dsSeen += TextOf(t.GetObject(), "text");
        EXPECT_EQ("12", dsSeen) << pszHow;
        Call(tList.Get(), "reset");
        EXPECT_EQ("1", TextOf(ObjOf(tList.Get(), "nextNode").Get(), "text")) << pszHow;
    }
}

TEST(KxwXmlDomNodeListTest, AttributeMapsByNameAndPosition) {
    KxwAutoRef<KxwAutomation> tDoc = Load("<r a=\"1\" b=\"2\"/>");
    KxwAutoRef<KxwAutomation> tR = ObjOf(tDoc.Get(), "documentElement");
    KxwAutoRef<KxwAutomation> tMap = ObjOf(tR.Get(), "attributes");
    EXPECT_STREQ("IXMLDOMNamedNodeMap", tMap->GetInterfaceName());
    EXPECT_EQ(2, IntOf(tMap.Get(), "length"));
    EXPECT_EQ("b", TextOf(ObjOf(tMap.Get(), "item", {I(1)}).Get(), "name"));
    EXPECT_EQ("1", TextOf(ObjOf(tMap.Get(), "getNamedItem", {S("a")}).Get(), "value"));
    EXPECT_EQ(ObjOf(tR.Get(), "getAttributeNode", {S("a")}).Get(), ObjOf(tMap.Get(), "getNamedItem", {S("a")}).Get());
    EXPECT_TRUE(Call(tMap.Get(), "getNamedItem", {S("zz")}).IsNullOrEmpty());

    KxwAutoRef<KxwAutomation> tC = ObjOf(tDoc.Get(), "createAttribute", {S("c")});
    Put(tC.Get(), "value", S("3"));
    EXPECT_EQ(tC.Get(), ObjOf(tMap.Get(), "setNamedItem", {O(tC.Get())}).Get());
    EXPECT_EQ(3, tMap->GetItemCount());
    KxwAutoRef<KxwAutomation> tRemoved = ObjOf(tMap.Get(), "removeNamedItem", {S("a")});
    EXPECT_EQ("1", TextOf(tRemoved.Get(), "value"));
    EXPECT_EQ("<r b=\"2\" c=\"3\"/>", TextOf(tR.Get(), "xml"));
    std::string dsNames;
    for (KxwAutoValue t = Call(tMap.Get(), "nextNode"); !t.IsNullOrEmpty(); t = Call(tMap.Get(), "nextNode"))
        dsNames += TextOf(t.GetObject(), "name");
    EXPECT_EQ("bc", dsNames);
    Call(tMap.Get(), "setNamedItem", {O(tR.Get())});
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
    EXPECT_FALSE(tMap->GetErrorDescription().empty());
}
