// XSL transforms: to text, into another document, from a node, and stylesheets that fail or recurse forever.
#include <gtest/gtest.h>

#include "KxwXmlDomTestSupport.h"

using namespace kxw_xml_test;

namespace {
const char kszList[] = "<?xml version=\"1.0\"?><list><item>a</item><item>b</item></list>";
const char kszToHtml[] =
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
    "<xsl:output method=\"html\"/>"
    "<xsl:template match=\"/\"><ul><xsl:apply-templates select=\"//item\"/></ul></xsl:template>"
    "<xsl:template match=\"item\"><li><xsl:value-of select=\".\"/></li></xsl:template>"
    "</xsl:stylesheet>";
}  // namespace

TEST(KxwXmlDomTransformTest, TransformsToTextAndToADocument) {
    KxwAutoRef<KxwAutomation> tDoc = Load(kszList);
    KxwAutoRef<KxwAutomation> tXsl = Load(kszToHtml);
    EXPECT_EQ("<ul>\n<li>a</li>\n<li>b</li>\n</ul>\n", TextOf(tDoc.Get(), "transformNode", {O(tXsl.Get())}));
    std::u16string dsOutput;
    std::string dsError;
    ASSERT_TRUE(xfbKxwXmlDomTransform(tDoc.Get(), tXsl.Get(), dsOutput, dsError)) << dsError;
    EXPECT_EQ(u"<ul>\n<li>a</li>\n<li>b</li>\n</ul>\n", dsOutput);
    // The sources are copies: the transform changed neither.
    EXPECT_EQ("<?xml version=\"1.0\"?>\r\n<list><item>a</item><item>b</item></list>\r\n", TextOf(tDoc.Get(), "xml"));

    KxwAutoRef<KxwAutomation> tOut = NewDocument();
    Call(tDoc.Get(), "transformNodeToObject", {O(tXsl.Get()), O(tOut.Get())});
    EXPECT_EQ(KXW_AUTO_S_OK, Last()._lResult);
    EXPECT_EQ("ul", TextOf(ObjOf(tOut.Get(), "documentElement").Get(), "nodeName"));
    EXPECT_EQ(2, IntOf(ObjOf(tOut.Get(), "selectNodes", {S("//li")}).Get(), "length"));
    Call(tDoc.Get(), "transformNodeToObject", {O(tXsl.Get()), S("out")});
    EXPECT_EQ(KXW_AUTO_E_TYPEMISMATCH, Last()._lResult);

    // From a node, with a node of the stylesheet.
    KxwAutoRef<KxwAutomation> tSecond = ObjOf(tDoc.Get(), "selectSingleNode", {S("//item[2]")});
    EXPECT_EQ("<ul><li>b</li></ul>\n",
              TextOf(tSecond.Get(), "transformNode", {O(ObjOf(tXsl.Get(), "documentElement").Get())}));
}

TEST(KxwXmlDomTransformTest, FailuresAreReportedNotPrinted) {
    KxwAutoRef<KxwAutomation> tDoc = Load(kszList);
    testing::internal::CaptureStderr();
    KxwAutoRef<KxwAutomation> tNotXsl = Load("<plain/>");
    Call(tDoc.Get(), "transformNode", {O(tNotXsl.Get())});
    EXPECT_EQ(KXW_AUTO_E_FAIL, Last()._lResult);
    EXPECT_FALSE(Last()._dsError.empty());
    KxwAutoRef<KxwAutomation> tBroken = Load(
        "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
        "<xsl:template match=\"/\"><xsl:value-of select=\"//[\"/></xsl:template></xsl:stylesheet>");
    Call(tDoc.Get(), "transformNode", {O(tBroken.Get())});
    EXPECT_EQ(KXW_AUTO_E_FAIL, Last()._lResult);
    KxwAutoRef<KxwAutomation> tForever = Load(
        "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
        "<xsl:template match=\"/\"><xsl:call-template name=\"again\"/></xsl:template>"
        "<xsl:template name=\"again\"><x><xsl:call-template name=\"again\"/></x></xsl:template>"
        "</xsl:stylesheet>");
    Call(tDoc.Get(), "transformNode", {O(tForever.Get())});
    EXPECT_EQ(KXW_AUTO_E_FAIL, Last()._lResult);
    EXPECT_NE(std::string::npos, Last()._dsError.find("recursion")) << Last()._dsError;
    KxwAutoRef<KxwAutomation> tStop = Load(
        "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
        "<xsl:template match=\"/\"><xsl:message terminate=\"yes\">stop here</xsl:message></xsl:template>"
        "</xsl:stylesheet>");
    Call(tDoc.Get(), "transformNode", {O(tStop.Get())});
    EXPECT_EQ(KXW_AUTO_E_FAIL, Last()._lResult);
    EXPECT_NE(std::string::npos, Last()._dsError.find("stop here")) << Last()._dsError;
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    Call(tDoc.Get(), "transformNode", {S("<xsl:stylesheet/>")});
    EXPECT_EQ(KXW_AUTO_E_TYPEMISMATCH, Last()._lResult);
}
