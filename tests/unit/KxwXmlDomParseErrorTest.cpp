// Malformed documents: the load answers false, the document is empty, and parseError says where and why; nothing
// is printed.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "KxwXmlDomTestSupport.h"

using namespace kxw_xml_test;

TEST(KxwXmlDomParseErrorTest, SaysWhereAndWhy) {
    KxwAutoRef<KxwAutomation> tDoc = Load("<ok/>");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Call(tDoc.Get(), "loadXML", {S("<list>\n  <item>\xC3\xA9</itm>\n</list>")}).GetBool());
    std::string dsPrinted = testing::internal::GetCapturedStderr();
    EXPECT_EQ("", dsPrinted);
    EXPECT_TRUE(Call(tDoc.Get(), "documentElement").IsNullOrEmpty());
    EXPECT_EQ("", TextOf(tDoc.Get(), "xml"));
    EXPECT_EQ(4, IntOf(tDoc.Get(), "readyState"));
    KxwAutoRef<KxwAutomation> tError = ObjOf(tDoc.Get(), "parseError");
    EXPECT_STREQ("IXMLDOMParseError", tError->GetInterfaceName());
    EXPECT_LT(IntOf(tError.Get(), "errorCode"), 0);
    EXPECT_NE(std::string::npos, TextOf(tError.Get(), "reason").find("mismatch")) << TextOf(tError.Get(), "reason");
    EXPECT_EQ(2, IntOf(tError.Get(), "line"));
    EXPECT_EQ("  <item>\xC3\xA9</itm>", TextOf(tError.Get(), "srcText"));
    // Positions count characters: the é is one.
    int32_t iLinePos = IntOf(tError.Get(), "linepos");
    EXPECT_GT(iLinePos, 8);
    EXPECT_LE(iLinePos, 16);
    EXPECT_EQ(7 + iLinePos - 1, IntOf(tError.Get(), "filepos"));
    EXPECT_EQ("", TextOf(tError.Get(), "url"));

    // The next good load clears it.
    EXPECT_TRUE(Call(tDoc.Get(), "loadXML", {S("<again/>")}).GetBool());
    EXPECT_EQ(0, IntOf(ObjOf(tDoc.Get(), "parseError").Get(), "errorCode"));
    EXPECT_EQ("", TextOf(ObjOf(tDoc.Get(), "parseError").Get(), "reason"));
}

TEST(KxwXmlDomParseErrorTest, EveryKindOfBadTextFailsCleanly) {
    testing::internal::CaptureStderr();
    for (const char* pszBad :
         {"", "   ", "just text", "<a>", "<a></b>", "<a b=1/>", "<a b='<'/>", "<a/><b/>", "<a>&undefined;</a>",
          "<!-- open", "<?xml version='1.0'?>", "<a>\x01</a>", "<a xmlns:p='u'><q:b/></a>", "<a>]]></a>"}) {
        KxwAutoRef<KxwAutomation> tDoc = NewDocument();
        EXPECT_FALSE(Call(tDoc.Get(), "loadXML", {S(pszBad)}).GetBool()) << pszBad;
        KxwAutoRef<KxwAutomation> tError = ObjOf(tDoc.Get(), "parseError");
        EXPECT_LT(IntOf(tError.Get(), "errorCode"), 0) << pszBad;
        EXPECT_FALSE(TextOf(tError.Get(), "reason").empty()) << pszBad;
    }
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    // The documented code where one fits.
    KxwAutoRef<KxwAutomation> tDoc = NewDocument();
    Call(tDoc.Get(), "loadXML", {S("<a b='<'/>")});
    EXPECT_EQ(static_cast<int32_t>(0xC00CE506u), IntOf(ObjOf(tDoc.Get(), "parseError").Get(), "errorCode"));
    Call(tDoc.Get(), "loadXML", {O(tDoc.Get())});
    EXPECT_EQ(KXW_AUTO_E_TYPEMISMATCH, Last()._lResult);
    Call(tDoc.Get(), "loadXML");
    EXPECT_EQ(KXW_AUTO_E_INVALIDARG, Last()._lResult);
}

TEST(KxwXmlDomParseErrorTest, EachThreadKeepsItsOwnErrors) {
    // Virtual users parse at once, one thread each: no reason may reach another thread's document.
    std::vector<std::string> tReasons(4);
    std::vector<std::thread> tThreads;
    for (size_t n = 0; n < tReasons.size(); ++n)
        tThreads.emplace_back([n, &tReasons] {
            std::string dsTag = "t" + std::to_string(n);
            for (int i = 0; i < 200; ++i) {
                KxwAutoRef<KxwAutomation> tDoc = KxwAutoRef<KxwAutomation>::Adopt(xfptKxwXmlDomCreateDocument());
                KxwAutoMember tMember;
                tDoc->FindMember("loadXML", tMember);
                KxwAutoValue tIgnored;
                tDoc->Call(tMember._iId, {KxwAutoValue::Utf8("<" + dsTag + "></x" + dsTag + ">")}, tIgnored);
                tDoc->FindMember("parseError", tMember);
                KxwAutoValue tError;
                tDoc->Get(tMember._iId, tError);
                tError.GetObject()->FindMember("reason", tMember);
                KxwAutoValue tReason;
                tError.GetObject()->Get(tMember._iId, tReason);
                tReason.ToUtf8(tReasons[n]);
                if (tReasons[n].find(dsTag + " ") == std::string::npos) return;
            }
        });
    for (std::thread& rtThread : tThreads) rtThread.join();
    for (size_t n = 0; n < tReasons.size(); ++n)
        EXPECT_NE(std::string::npos, tReasons[n].find("t" + std::to_string(n) + " ")) << tReasons[n];
}
