// selectNodes and selectSingleNode: XPath from any node, prefixes from SelectionNamespaces, clear failures.
#include <gtest/gtest.h>

#include "KxwXmlDomTestSupport.h"

using namespace kxw_xml_test;

TEST(KxwXmlDomXPathTest, SelectsFromAnyNode) {
    KxwAutoRef<KxwAutomation> tDoc =
        Load("<shop><book id=\"1\" price=\"5\">A</book><book id=\"2\" price=\"12\">B</book><cd id=\"3\"/></shop>");
    EXPECT_EQ(2, IntOf(ObjOf(tDoc.Get(), "selectNodes", {S("/shop/book")}).Get(), "length"));
    EXPECT_EQ("B", TextOf(ObjOf(tDoc.Get(), "selectSingleNode", {S("//book[@price > 10]")}).Get(), "text"));
    KxwAutoRef<KxwAutomation> tFirst = ObjOf(tDoc.Get(), "selectSingleNode", {S("//book")});
    EXPECT_EQ("2", TextOf(ObjOf(tFirst.Get(), "selectSingleNode", {S("following-sibling::*[1]/@id")}).Get(), "value"));
    EXPECT_EQ("shop", TextOf(ObjOf(tFirst.Get(), "selectSingleNode", {S("..")}).Get(), "nodeName"));
    EXPECT_EQ(tDoc.Get(), ObjOf(tFirst.Get(), "selectSingleNode", {S("/")}).Get());
    EXPECT_TRUE(Call(tDoc.Get(), "selectSingleNode", {S("//dvd")}).IsNullOrEmpty());
    EXPECT_EQ(0, IntOf(ObjOf(tDoc.Get(), "selectNodes", {S("//dvd")}).Get(), "length"));
    // Namespace nodes are not nodes of the tree: they are left out.
    EXPECT_EQ(0, IntOf(ObjOf(tDoc.Get(), "selectNodes", {S("//namespace::*")}).Get(), "length"));
}

TEST(KxwXmlDomXPathTest, PrefixesComeFromSelectionNamespaces) {
    KxwAutoRef<KxwAutomation> tDoc = Load("<r xmlns=\"urn:d\" xmlns:o=\"urn:o\"><item/><o:item/></r>");
    Call(tDoc.Get(), "selectNodes", {S("//d:item")});
    EXPECT_EQ(KXW_AUTO_E_FAIL, Last()._lResult);
    EXPECT_FALSE(Last()._dsError.empty());
    Call(tDoc.Get(), "setProperty", {S("SelectionNamespaces"), S("xmlns:d='urn:d'  xmlns:x=\"urn:o\"")});
    EXPECT_EQ(1, IntOf(ObjOf(tDoc.Get(), "selectNodes", {S("//d:item")}).Get(), "length"));
    EXPECT_EQ("o:item", TextOf(ObjOf(tDoc.Get(), "selectSingleNode", {S("//x:item")}).Get(), "nodeName"));
    EXPECT_EQ("xmlns:d='urn:d'  xmlns:x=\"urn:o\"", TextOf(tDoc.Get(), "getProperty", {S("SelectionNamespaces")}));
}

TEST(KxwXmlDomXPathTest, BadExpressionsFailWithAReason) {
    KxwAutoRef<KxwAutomation> tDoc = Load("<r/>");
    testing::internal::CaptureStderr();
    for (const char* pszBad : {"//[", "count(//r)", "r/@", "", "((((((("}) {
        Call(tDoc.Get(), "selectNodes", {S(pszBad)});
        EXPECT_EQ(KXW_AUTO_E_FAIL, Last()._lResult) << pszBad;
        EXPECT_FALSE(Last()._dsError.empty()) << pszBad;
    }
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    Call(tDoc.Get(), "selectNodes");
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
}
