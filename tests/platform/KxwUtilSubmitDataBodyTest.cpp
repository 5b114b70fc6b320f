#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "KxwRecordingSink.h"
#include "KxwUtilSubmitDataBody.h"
#include "kxw/KxwVUserVars.h"

namespace {

constexpr KXWI_BROWSER_MAJOR_TYPE_ENUM keIE = KXWI_BROWSER_MAJOR_TYPE_IE;
constexpr KXWI_BROWSER_MAJOR_TYPE_ENUM keNS = KXWI_BROWSER_MAJOR_TYPE_NS;

void Add(KxwUtilSubmitDataBody& mrtBody, const std::string& mdsName, const std::string& mdsValue, bool mbIsFile = false,
         KXW_UTIL_ENCODE_AT_SIGN_ENUM meAtSign = KXW_UTIL_ENCODE_AT_SIGN_BY_BROWSER,
         KXWI_BROWSER_MAJOR_TYPE_ENUM meBrowser = keIE) {
    ASSERT_TRUE(mrtBody.AddNameAndValueOK(mdsName.data(), static_cast<unsigned>(mdsName.size()), mdsValue.data(),
                                          static_cast<unsigned>(mdsValue.size()), mbIsFile, meBrowser, meAtSign, true));
}

void AddU16n(KxwUtilSubmitDataBody& mrtBody, const std::u16string& mdsName, const std::u16string& mdsValue) {
    ASSERT_TRUE(mrtBody.AddNameAndValueU16nOK(mdsName.data(), static_cast<unsigned>(mdsName.size()), mdsValue.data(),
                                              static_cast<unsigned>(mdsValue.size()), false, keIE,
                                              KXW_UTIL_ENCODE_AT_SIGN_BY_BROWSER));
}

// The boundaries a generator of that seed gives, in order.
std::string NthBoundary(uint32_t muSeed, int miNth) {
    std::mt19937 tRandom(muSeed);
    std::string dsBoundary;
    for (int i = 0; i <= miNth; ++i) dsBoundary = KxwUtilSubmitDataBody::MakeBoundary(tRandom);
    return dsBoundary;
}

// A file that goes with the test.
class TempFile {
public:
    TempFile(const std::string& mdsSuffix, const std::string& mdsContent) {
        char acTemplate[] = "/tmp/kxw_submit_XXXXXX";
        int iFd = mkstemp(acTemplate);
        EXPECT_GE(iFd, 0);
        close(iFd);
        _dsPath = std::string(acTemplate) + mdsSuffix;
        std::rename(acTemplate, _dsPath.c_str());
        FILE* ptFile = std::fopen(_dsPath.c_str(), "wb");
        std::fwrite(mdsContent.data(), 1, mdsContent.size(), ptFile);
        std::fclose(ptFile);
    }
    ~TempFile() { std::remove(_dsPath.c_str()); }
    const std::string& Path() const { return _dsPath; }
    std::string BaseName() const { return _dsPath.substr(_dsPath.rfind('/') + 1); }

private:
    std::string _dsPath;
};

}  // namespace

TEST(KxwUtilSubmitDataBody, UrlEncodedKeepsOnlyTheUnreservedBytes) {
    KxwUtilSubmitDataBody tBody;
    EXPECT_EQ("", tBody.GetBody());
    EXPECT_TRUE(tBody.IsEmpty());
    Add(tBody, "Az09*-._", std::string("a b~!\"#$%&'()+,/:;<=>?[\\]^`{|}\x01\x7F\x80\xFF\r\n") + '\0' + "x");
    Add(tBody, "", "");
    Add(tBody, "e\xE9", "=&");
    EXPECT_EQ(
        "Az09*-._=a+b%7E%21%22%23%24%25%26%27%28%29%2B%2C%2F%3A%3B%3C%3D%3E%3F%5B%5C%5D%5E%60%7B%7C%7D%01%7F%80%FF%0D"
        "%0A%00x&=&e%E9=%3D%26",
        tBody.GetBody());
    EXPECT_EQ("application/x-www-form-urlencoded", tBody.GetContentType());
    EXPECT_EQ(3u, tBody.GetPairCount());
    EXPECT_EQ("e\xE9", tBody.GetName(2));
    EXPECT_EQ("=&", tBody.GetValue(2));
    EXPECT_EQ("", tBody.GetName(3));
    EXPECT_EQ("", tBody.GetValue(3));
    EXPECT_FALSE(tBody.IsFile(3));
}

TEST(KxwUtilSubmitDataBody, TheAtSignIsEncodedUnlessNeverAskedFor) {
    KxwUtilSubmitDataBody tBody;
    Add(tBody, "n@", "a@b", false, KXW_UTIL_ENCODE_AT_SIGN_NEVER);
    Add(tBody, "m", "a@b", false, KXW_UTIL_ENCODE_AT_SIGN_ALWAYS, keNS);
    Add(tBody, "ie", "a@b", false, KXW_UTIL_ENCODE_AT_SIGN_BY_BROWSER, keIE);
    Add(tBody, "ns", "a@b", false, KXW_UTIL_ENCODE_AT_SIGN_BY_BROWSER, keNS);
    EXPECT_EQ("n@=a@b&m=a%40b&ie=a%40b&ns=a%40b", tBody.GetBody());
}

TEST(KxwUtilSubmitDataBody, TextPlainWritesLinesAndKeepsLineBreaksInsideValues) {
    KxwUtilSubmitDataBody tBody;
    tBody.SetEncType(KXW_UTIL_ENC_TYPE_TEXT_PLAIN);
    Add(tBody, "a b", "x=y&z@w");
    Add(tBody, "note", "line1\r\nline2\nend");
    EXPECT_EQ("a b=x=y&z@w\r\nnote=line1\r\nline2\nend\r\n", tBody.GetBody());
    EXPECT_EQ("text/plain", tBody.GetContentType());
}

TEST(KxwUtilSubmitDataBody, ResetDropsThePairsButKeepsEncodingAndCharset) {
    KxwUtilSubmitDataBody tBody;
    tBody.SetEncType(KXW_UTIL_ENC_TYPE_TEXT_PLAIN);
    tBody.SetRequestConversionCharset("UTF8");
    Add(tBody, "a", "b");
    tBody.Reset();
    EXPECT_EQ(0u, tBody.GetPairCount());
    EXPECT_EQ("", tBody.GetBody());
    EXPECT_EQ(KXW_UTIL_ENC_TYPE_TEXT_PLAIN, tBody.GetEncType());
    EXPECT_STREQ("utf-8", tBody.GetRequestConversionCharset());
}

TEST(KxwUtilSubmitDataBody, BadArgumentsAreReportedAndAddNothing) {
    KxwRecordingSink tSink;
    KxwUtilSubmitDataBody tBody;
    EXPECT_FALSE(tBody.AddNameAndValueOK(nullptr, 3, "v", 1, false, keIE, KXW_UTIL_ENCODE_AT_SIGN_BY_BROWSER, true));
    EXPECT_FALSE(tBody.AddNameAndValueU16nOK(u"n", 1, nullptr, 2, false, keIE, KXW_UTIL_ENCODE_AT_SIGN_BY_BROWSER));
    EXPECT_EQ(0u, tBody.GetPairCount());
    EXPECT_EQ(2u, tSink.Count());
    tBody.SetEncType(static_cast<KXW_UTIL_ENC_TYPE_ENUM>(7));
    EXPECT_EQ(KXW_UTIL_ENC_TYPE_URLENCODED, tBody.GetEncType());
    EXPECT_TRUE(tSink.Saw("meEncType=7 unsupported"));
    // Null texts of no length are empty texts.
    EXPECT_TRUE(tBody.AddNameAndValueOK(nullptr, 0, nullptr, 0, false, keIE, KXW_UTIL_ENCODE_AT_SIGN_NEVER, true));
    EXPECT_EQ("=", tBody.GetBody());
}

TEST(KxwUtilSubmitDataBody, MultipartPartsWithTheVirtualUsersBoundary) {
    KxwVUserVars tVUser;
    tVUser.SeedRandom(42);
    KxwUtilSubmitDataBody tBody(&tVUser);
    tBody.SetEncType(KXW_UTIL_ENC_TYPE_MULTIPART);
    Add(tBody, "q", "a b@c\r\n\xE9");
    Add(tBody, "", "");
    std::string dsB = NthBoundary(42, 0);
    ASSERT_EQ(43u, dsB.size());
    EXPECT_EQ(std::string(27, '-'), dsB.substr(0, 27));
    EXPECT_EQ(std::string::npos, dsB.find_first_not_of("0123456789abcdef", 27));
    EXPECT_EQ("multipart/form-data; boundary=" + dsB, tBody.GetContentType());
    const std::string dsExpected = "--" + dsB +
                                   "\r\nContent-Disposition: form-data; name=\"q\"\r\n\r\na b@c\r\n\xE9\r\n"
                                   "--" +
                                   dsB + "\r\nContent-Disposition: form-data; name=\"\"\r\n\r\n\r\n--" + dsB + "--\r\n";
    EXPECT_EQ(dsExpected, tBody.GetBody());
    EXPECT_EQ(dsExpected, tBody.GetBody()) << "the boundary is kept while nothing changes";
    // A change draws the next boundary of the generator.
    Add(tBody, "n", "2");
    std::string dsB2 = NthBoundary(42, 1);
    EXPECT_EQ("multipart/form-data; boundary=" + dsB2, tBody.GetContentType());
    EXPECT_EQ(0u, tBody.GetBody().find("--" + dsB2 + "\r\n"));
    // An empty form is the closing line alone.
    tBody.Reset();
    EXPECT_EQ("--" + NthBoundary(42, 2) + "--\r\n", tBody.GetBody());
}

TEST(KxwUtilSubmitDataBody, BoundariesComeFromTheThreadsVirtualUserElseAFixedSeed) {
    {
        KxwVUserVars tVUser;
        tVUser.SeedRandom(7);
        KxwVUserVarsThreadBinding tBinding(&tVUser);
        KxwUtilSubmitDataBody tBody;
        tBody.SetEncType(KXW_UTIL_ENC_TYPE_MULTIPART);
        EXPECT_EQ("multipart/form-data; boundary=" + NthBoundary(7, 0), tBody.GetContentType());
    }
    // Without a virtual user two bodies draw the same boundaries: runs repeat.
    KxwUtilSubmitDataBody tFirst, tSecond;
    tFirst.SetEncType(KXW_UTIL_ENC_TYPE_MULTIPART);
    tSecond.SetEncType(KXW_UTIL_ENC_TYPE_MULTIPART);
    EXPECT_EQ(tFirst.GetContentType(), tSecond.GetContentType());
    EXPECT_EQ(73u, tFirst.GetContentType().size());
}

TEST(KxwUtilSubmitDataBody, ABoundaryFoundInAPartIsDrawnAgain) {
    TempFile tFile(".bin", "head " + NthBoundary(5, 0) + " tail");
    const std::string adsPlaces[] = {"value", "name", "file"};
    for (const std::string& rdsPlace : adsPlaces) {
        KxwVUserVars tVUser;
        tVUser.SeedRandom(5);
        KxwUtilSubmitDataBody tBody(&tVUser);
        tBody.SetEncType(KXW_UTIL_ENC_TYPE_MULTIPART);
        std::string dsFirst = NthBoundary(5, 0);
        if (rdsPlace == "value") Add(tBody, "v", "x" + dsFirst + "y");
        if (rdsPlace == "name") Add(tBody, dsFirst, "v");
        if (rdsPlace == "file") Add(tBody, "f", tFile.Path(), true);
        std::string dsSecond = NthBoundary(5, 1);
        EXPECT_EQ("multipart/form-data; boundary=" + dsSecond, tBody.GetContentType()) << rdsPlace;
        std::string dsBody = tBody.GetBody();
        EXPECT_EQ(0u, dsBody.find("--" + dsSecond + "\r\n")) << rdsPlace;
        EXPECT_EQ(dsBody.size() - dsSecond.size() - 6, dsBody.rfind("--" + dsSecond + "--\r\n")) << rdsPlace;
    }
}

TEST(KxwUtilSubmitDataBody, FilePartsCarryTheFileTheStepNamed) {
    TempFile tText(".TXT", std::string("hello\r\nworld\0!", 14));
    TempFile tImage(".png", "\x89PNG");
    TempFile tOther(".tar.gz", "zz");
    KxwRecordingSink tSink;
    KxwVUserVars tVUser;
    tVUser.SeedRandom(1);
    KxwUtilSubmitDataBody tBody(&tVUser);
    tBody.SetEncType(KXW_UTIL_ENC_TYPE_MULTIPART);
    Add(tBody, "doc", tText.Path(), true);
    Add(tBody, "pic", tImage.Path(), true);
    Add(tBody, "other", tOther.Path(), true);
    Add(tBody, "none", "", true);
    EXPECT_TRUE(tBody.IsFile(0));
    std::string dsB = NthBoundary(1, 0);
    auto Part = [&](const std::string& mdsName, const std::string& mdsFile, const char* mpszType,
                    const std::string& mdsContent) {
        return "--" + dsB + "\r\nContent-Disposition: form-data; name=\"" + mdsName + "\"; filename=\"" + mdsFile +
               "\"\r\nContent-Type: " + mpszType + "\r\n\r\n" + mdsContent + "\r\n";
    };
    EXPECT_EQ(Part("doc", tText.BaseName(), "text/plain", std::string("hello\r\nworld\0!", 14)) +
                  Part("pic", tImage.BaseName(), "image/png", "\x89PNG") +
                  Part("other", tOther.BaseName(), "application/octet-stream", "zz") +
                  Part("none", "", "application/octet-stream", "") + "--" + dsB + "--\r\n",
              tBody.GetBody());
    EXPECT_EQ(0u, tSink.Count());
    // The other encodings send the base name.
    tBody.SetEncType(KXW_UTIL_ENC_TYPE_URLENCODED);
    EXPECT_EQ(0u, tBody.GetBody().find("doc=" + tText.BaseName() + "&pic="));
    tBody.SetEncType(KXW_UTIL_ENC_TYPE_TEXT_PLAIN);
    EXPECT_EQ(0u, tBody.GetBody().find("doc=" + tText.BaseName() + "\r\npic="));
}

// A step names its file in UTF-8; on a windows-1252 page the form hands the path over in the page's charset.
TEST(KxwUtilSubmitDataBody, AFileNamedBeyondAsciiIsFoundWhateverThePagesCharset) {
    TempFile tFile("_caf\xC3\xA9.txt", "content");
    std::string dsPrefix = tFile.Path().substr(0, tFile.Path().size() - 10);
    ASSERT_EQ(dsPrefix + "_caf\xC3\xA9.txt", tFile.Path());
    KxwRecordingSink tSink;
    KxwVUserVars tVUser;
    tVUser.SeedRandom(9);
    KxwUtilSubmitDataBody tBody(&tVUser);
    tBody.SetEncType(KXW_UTIL_ENC_TYPE_MULTIPART);
    Add(tBody, "f", dsPrefix + "_caf\xE9.txt", true);
    std::u16string dsU16nPath(dsPrefix.begin(), dsPrefix.end());
    dsU16nPath += u"_caf\u00E9.txt";
    ASSERT_TRUE(tBody.AddNameAndValueU16nOK(u"g", 1, dsU16nPath.data(), static_cast<unsigned>(dsU16nPath.size()), true,
                                            keIE, KXW_UTIL_ENCODE_AT_SIGN_BY_BROWSER));
    std::string dsBody = tBody.GetBody();
    std::string dsBaseName = tFile.BaseName();
    std::string dsPageBaseName = dsBaseName.substr(0, dsBaseName.size() - 6) + "\xE9.txt";
    EXPECT_NE(std::string::npos, dsBody.find("name=\"f\"; filename=\"" + dsPageBaseName +
                                             "\"\r\nContent-Type: text/plain\r\n\r\ncontent\r\n"));
    EXPECT_NE(std::string::npos, dsBody.find("name=\"g\"; filename=\"" + dsBaseName +
                                             "\"\r\nContent-Type: text/plain\r\n\r\ncontent\r\n"));
    EXPECT_EQ(0u, tSink.Count());
}

TEST(KxwUtilSubmitDataBody, ContentTypesByExtension) {
    const char* const kapszCases[][2] = {{"a.txt", "text/plain"},
                                         {"a.HTM", "text/html"},
                                         {"a.html", "text/html"},
                                         {"a.gif", "image/gif"},
                                         {"a.Jpg", "image/jpeg"},
                                         {"a.jpeg", "image/jpeg"},
                                         {"a.png", "image/png"},
                                         {"a.pdf", "application/octet-stream"},
                                         {"txt", "application/octet-stream"},
                                         {"", "application/octet-stream"}};
    for (const auto& rapszCase : kapszCases)
        EXPECT_STREQ(rapszCase[1], KxwUtilSubmitDataBody::GetFileContentType(rapszCase[0])) << rapszCase[0];
}

TEST(KxwUtilSubmitDataBody, AnUnreadableFileIsReportedOnceAndSentEmpty) {
    KxwRecordingSink tSink;
    KxwVUserVars tVUser;
    KxwUtilSubmitDataBody tBody(&tVUser);
    tBody.SetEncType(KXW_UTIL_ENC_TYPE_MULTIPART);
    Add(tBody, "f", "/nonexistent/dir/a\nb\".txt", true);
    Add(tBody, "d", "/tmp", true);
    std::string dsBody = tBody.GetBody();
    tBody.GetContentType();
    tBody.GetBody();
    std::vector<KxwRecordingSink::Message> tMessages = tSink.Messages();
    ASSERT_EQ(2u, tMessages.size());
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_WARNING, tMessages[0]._eSevLvl);
    EXPECT_NE(std::string::npos, tMessages[0]._dsText.find("\"/nonexistent/dir/a\\nb\\\".txt\""));
    EXPECT_EQ(std::string::npos, tMessages[0]._dsText.find('\n'));
    EXPECT_NE(std::string::npos, tMessages[1]._dsText.find("not a regular file"));
    EXPECT_NE(std::string::npos,
              dsBody.find("name=\"f\"; filename=\"a%0Ab%22.txt\"\r\nContent-Type: text/plain\r\n\r\n\r\n--"));
    EXPECT_NE(std::string::npos, dsBody.find("name=\"d\"; filename=\"tmp\"\r\nContent-Type: "
                                             "application/octet-stream\r\n\r\n\r\n--"));
}

TEST(KxwUtilSubmitDataBody, NamesAndFileNamesCannotAddHeadersOrParts) {
    KxwVUserVars tVUser;
    tVUser.SeedRandom(3);
    KxwUtilSubmitDataBody tBody(&tVUser);
    tBody.SetEncType(KXW_UTIL_ENC_TYPE_MULTIPART);
    Add(tBody, "x\"; filename=\"evil.html\"\r\nContent-Type: text/html\r\n\r\n<b>", "v\r\n\"kept\"");
    Add(tBody, "f", "/no/such/\"a\r\nX-Injected: 1\r\n.txt", true);
    std::string dsB = NthBoundary(3, 0);
    EXPECT_EQ("--" + dsB +
                  "\r\nContent-Disposition: form-data; name=\"x%22; filename=%22evil.html%22%0D%0AContent-Type: "
                  "text/html%0D%0A%0D%0A<b>\"\r\n\r\nv\r\n\"kept\"\r\n--" +
                  dsB +
                  "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"%22a%0D%0AX-Injected: 1%0D%0A.txt\"\r\n"
                  "Content-Type: text/plain\r\n\r\n\r\n--" +
                  dsB + "--\r\n",
              tBody.GetBody());
}

TEST(KxwUtilSubmitDataBody, UnicodeTextIsConvertedToTheRequestCharset) {
    KxwUtilSubmitDataBody tBody;
    EXPECT_STREQ("windows-1252", tBody.GetRequestConversionCharset());
    // U+4E2D and U+1F600 are not in windows-1252; a lone surrogate is U+FFFD, which is not either; "?" is itself.
    AddU16n(tBody, u"caf\u00E9", u"\u20AC \u4E2D\U0001F600?\xD800z");
    EXPECT_EQ("caf\xE9", tBody.GetName(0));
    EXPECT_EQ("\x80 &#20013;&#128512;?&#65533;z", tBody.GetValue(0));
    EXPECT_EQ("caf%E9=%80+%26%2320013%3B%26%23128512%3B%3F%26%2365533%3Bz", tBody.GetBody());

    tBody.Reset();
    tBody.SetRequestConversionCharset("utf-8");
    AddU16n(tBody, u"n", u"\u00E9\u4E2D\U0001F600\xDC00");
    EXPECT_EQ("\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\xEF\xBF\xBD", tBody.GetValue(0));

    // A stateful charset: the characters it holds go in runs, each run with its own switches.
    tBody.Reset();
    tBody.SetRequestConversionCharset("ISO-2022-JP");
    AddU16n(tBody, u"n", u"\u65E5\u4E2Dx\u00E9\u65E5");
    EXPECT_EQ("\x1B$BF|Cf\x1B(Bx&#233;\x1B$BF|\x1B(B", tBody.GetValue(0));

    tBody.Reset();
    tBody.SetRequestConversionCharset("Shift_JIS");
    AddU16n(tBody, u"\u65E5", u"\u00E9");
    EXPECT_EQ("%93%FA=%26%23233%3B", tBody.GetBody());
}

TEST(KxwUtilSubmitDataBody, BytesAreWrittenAsGivenWhateverTheCharset) {
    KxwUtilSubmitDataBody tBody;
    tBody.SetRequestConversionCharset("utf-8");
    ASSERT_TRUE(
        tBody.AddNameAndValueOK("n", 1, "\xE4\xB8\xAD", 3, false, keIE, KXW_UTIL_ENCODE_AT_SIGN_BY_BROWSER, false));
    EXPECT_EQ("n=%E4%B8%AD", tBody.GetBody());
}

TEST(KxwUtilSubmitDataBody, AnUnknownCharsetIsReportedOnceAndWindows1252Used) {
    KxwRecordingSink tSink;
    KxwUtilSubmitDataBody tBody;
    tBody.SetRequestConversionCharset("x-no-such\ncharset");
    tBody.SetRequestConversionCharset("x-no-such\ncharset");  // the next submission of the same page
    ASSERT_EQ(1u, tSink.Count());
    EXPECT_TRUE(tSink.Saw("\"x-no-such\\ncharset\""));
    EXPECT_STREQ("windows-1252", tBody.GetRequestConversionCharset());
    AddU16n(tBody, u"a", u"\u00E9\u4E2D");
    EXPECT_EQ("\xE9&#20013;", tBody.GetValue(0));
    tBody.SetRequestConversionCharset(nullptr);
    EXPECT_STREQ("windows-1252", tBody.GetRequestConversionCharset());
    tBody.SetRequestConversionCharset("koi8-r");
    EXPECT_STREQ("koi8-r", tBody.GetRequestConversionCharset());
    tBody.SetRequestConversionCharset("");
    EXPECT_STREQ("windows-1252", tBody.GetRequestConversionCharset());
    EXPECT_EQ(1u, tSink.Count());
}
