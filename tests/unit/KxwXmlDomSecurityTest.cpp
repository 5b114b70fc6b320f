// Documents and stylesheets never read files or the network, and hostile input ends in a report.
#include <gtest/gtest.h>

#include "KxwXmlDomTestSupport.h"

using namespace kxw_xml_test;

TEST(KxwXmlDomSecurityTest, ExternalEntitiesReadNothing) {
    testing::internal::CaptureStderr();
    for (const char* pszXml : {"<!DOCTYPE r [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><r>&e;</r>",
                               "<!DOCTYPE r SYSTEM \"file:///etc/passwd\"><r>x</r>",
                               "<!DOCTYPE r [<!ENTITY % p SYSTEM \"file:///etc/passwd\"> %p;]><r>y</r>",
                               "<!DOCTYPE r [<!ENTITY e SYSTEM \"http://127.0.0.1:9/x\">]><r>&e;</r>"}) {
        KxwAutoRef<KxwAutomation> tDoc = NewDocument();
        Put(tDoc.Get(), "resolveExternals", B(true));
        Put(tDoc.Get(), "validateOnParse", B(true));
        Call(tDoc.Get(), "loadXML", {S(pszXml)});
        EXPECT_EQ(std::string::npos, TextOf(tDoc.Get(), "text").find("root:")) << pszXml;
        EXPECT_EQ(std::string::npos, TextOf(tDoc.Get(), "xml").find("root:x:")) << pszXml;
    }
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    // Internal entities are expanded; the external one is left out.
    KxwAutoRef<KxwAutomation> tDoc = Load(
        "<!DOCTYPE r [<!ENTITY in \"inside <b>bold</b>\"><!ENTITY ex SYSTEM \"file:///etc/passwd\">]>"
        "<r>[&in;][&ex;]</r>");
    EXPECT_EQ("[inside bold][]", TextOf(tDoc.Get(), "text"));
    EXPECT_EQ(1, IntOf(ObjOf(tDoc.Get(), "getElementsByTagName", {S("b")}).Get(), "length"));
}

TEST(KxwXmlDomSecurityTest, EntityExpansionIsBounded) {
    std::string dsXml = "<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\">";
    const char* pszPrevious = "a";
    const char* apszNames[] = {"b", "c", "d", "e", "f", "g", "h", "i"};
    for (const char* pszName : apszNames) {
        dsXml += std::string("<!ENTITY ") + pszName + " \"";
        for (int i = 0; i < 10; ++i) dsXml += std::string("&") + pszPrevious + ";";
        dsXml += "\">";
        pszPrevious = pszName;
    }
    dsXml += "]><r>&i;</r>";
    KxwAutoRef<KxwAutomation> tDoc = NewDocument();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Call(tDoc.Get(), "loadXML", {S(dsXml.c_str())}).GetBool());
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    EXPECT_LT(IntOf(ObjOf(tDoc.Get(), "parseError").Get(), "errorCode"), 0);
}

TEST(KxwXmlDomSecurityTest, StylesheetsReadAndWriteNothing) {
    KxwAutoRef<KxwAutomation> tDoc = Load("<r/>");
    testing::internal::CaptureStderr();
    KxwAutoRef<KxwAutomation> tReads = Load(
        "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
        "<xsl:template match=\"/\"><out><xsl:copy-of select=\"document('file:///etc/passwd')\"/>"
        "<xsl:value-of select=\"count(document('/etc/hostname'))\"/></out></xsl:template></xsl:stylesheet>");
    std::string dsOutput = TextOf(tDoc.Get(), "transformNode", {O(tReads.Get())});
    EXPECT_EQ(std::string::npos, dsOutput.find("root:"));
    EXPECT_EQ(std::string::npos, Last()._dsError.find("root:"));
    KxwAutoRef<KxwAutomation> tIncludes = Load(
        "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
        "<xsl:include href=\"file:///etc/passwd\"/><xsl:template match=\"/\"/></xsl:stylesheet>");
    Call(tDoc.Get(), "transformNode", {O(tIncludes.Get())});
    EXPECT_EQ(KXW_AUTO_E_FAIL, Last()._lResult);
    KxwAutoRef<KxwAutomation> tWrites = Load(
        "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" "
        "xmlns:exsl=\"http://exslt.org/common\" extension-element-prefixes=\"exsl\">"
        "<xsl:template match=\"/\"><exsl:document href=\"/tmp/kxw_xmldom_written.txt\">x</exsl:document>"
        "</xsl:template></xsl:stylesheet>");
    Call(tDoc.Get(), "transformNode", {O(tWrites.Get())});
    EXPECT_EQ(nullptr, std::fopen("/tmp/kxw_xmldom_written.txt", "r"));
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
}
