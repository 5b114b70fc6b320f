#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "KxwRecordingSink.h"
#include "KxwU16nHandler.h"
#include "KxwiUrl.h"

namespace {

// Texts go to the functions in heap blocks of their exact size, without a NUL, so that a read beyond a length is
// caught by the address sanitizer.
std::vector<char> Exact(const std::string& mdsText) {
    return std::vector<char>(mdsText.begin(), mdsText.end());
}

std::string Combine(const std::string& mdsBase, const std::string& mdsRel, bool mbKeepFragmentID = true) {
    std::vector<char> tBase = Exact(mdsBase);
    std::vector<char> tRel = Exact(mdsRel);
    char acBuf[512];
    std::memset(acBuf, 'Z', sizeof(acBuf));
    size_t nLen = 12345;
    if (!KxwiUrlCombine::Combine(tBase.data(), tBase.size(), tRel.data(), tRel.size(), acBuf, sizeof(acBuf), &nLen,
                                 mbKeepFragmentID))
        return "<failed>";
    EXPECT_EQ(acBuf[nLen], '\0');
    EXPECT_EQ(std::strlen(acBuf), nLen);
    return std::string(acBuf, nLen);
}

struct UrlCase {
    const char* _pszRel;
    const char* _pszExpected;
};

constexpr const char* kRfcBase = "http://a/b/c/d;p?q";

std::string Scheme(const std::string& mdsText, int* mpiLen) {
    std::vector<char> tText = Exact(mdsText);
    KXWI_URL_SCHEME_ENUM e = xfeKxwiUrlDetectUriScheme(tText.data(), tText.size(), mpiLen);
    return std::to_string(static_cast<int>(e));
}

std::string Part(const char* mpsfStr, size_t mnLen) {
    return std::string(mpsfStr, mnLen);
}

}  // namespace

TEST(KxwiUrlCombine, ResolvesTheNormalExamplesOfRfc3986) {
    const UrlCase atCases[] = {
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g/"},  // browsers give a host without path the path "/"
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q#s"},
        {"g#s", "http://a/b/c/g#s"},
        {"g?y#s", "http://a/b/c/g?y#s"},
        {";x", "http://a/b/c/;x"},
        {"g;x", "http://a/b/c/g;x"},
        {"g;x?y#s", "http://a/b/c/g;x?y#s"},
        {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},
        {"./", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../", "http://a/b/"},
        {"../g", "http://a/b/g"},
        {"../..", "http://a/"},
        {"../../", "http://a/"},
        {"../../g", "http://a/g"},
    };
    for (const UrlCase& rtCase : atCases)
        EXPECT_EQ(Combine(kRfcBase, rtCase._pszRel), rtCase._pszExpected) << rtCase._pszRel;
}

TEST(KxwiUrlCombine, ResolvesTheAbnormalExamplesOfRfc3986) {
    const UrlCase atCases[] = {
        {"../../../g", "http://a/g"},
        {"../../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"/../g", "http://a/g"},
        {"g.", "http://a/b/c/g."},
        {".g", "http://a/b/c/.g"},
        {"g..", "http://a/b/c/g.."},
        {"..g", "http://a/b/c/..g"},
        {"./../g", "http://a/b/g"},
        {"./g/.", "http://a/b/c/g/"},
        {"g/./h", "http://a/b/c/g/h"},
        {"g/../h", "http://a/b/c/h"},
        {"g;x=1/./y", "http://a/b/c/g;x=1/y"},
        {"g;x=1/../y", "http://a/b/c/y"},
        {"g?y/./x", "http://a/b/c/g?y/./x"},
        {"g?y/../x", "http://a/b/c/g?y/../x"},
        {"g#s/./x", "http://a/b/c/g#s/./x"},
        {"g#s/../x", "http://a/b/c/g#s/../x"},
        {"http:g", "http://a/b/c/g"},  // the browsers' reading, not the strict one
    };
    for (const UrlCase& rtCase : atCases)
        EXPECT_EQ(Combine(kRfcBase, rtCase._pszRel), rtCase._pszExpected) << rtCase._pszRel;
}

TEST(KxwiUrlCombine, ResolvesLikeTheEmulatedBrowsers) {
    EXPECT_EQ(Combine("http://host", "page.htm"), "http://host/page.htm");
    EXPECT_EQ(Combine("http://host", "?x"), "http://host/?x");
    EXPECT_EQ(Combine("http://host", "#y"), "http://host/#y");
    EXPECT_EQ(Combine("http://host/dir/page.htm?old#old", "?x"), "http://host/dir/page.htm?x");
    EXPECT_EQ(Combine("http://host/dir/page.htm?old#old", "#y"), "http://host/dir/page.htm?old#y");
    EXPECT_EQ(Combine("http://host/dir/page.htm#old", ""), "http://host/dir/page.htm");
    EXPECT_EQ(Combine("https://host:8443/a/b", "//other/path"), "https://other/path");
    EXPECT_EQ(Combine("http://host/a/b", "//other/x/../y?q#f"), "http://other/y?q#f");
    EXPECT_EQ(Combine("http://host/a/b/c", "../../../x"), "http://host/x");
    EXPECT_EQ(Combine("http://host:81/a/", "/x/%2e%2E/y/%2e/z"), "http://host:81/y/z");
    EXPECT_EQ(Combine("http://u:p@host/a/", "b"), "http://u:p@host/a/b");
    EXPECT_EQ(Combine("http://[::1]:8080/a/b", "c"), "http://[::1]:8080/a/c");
    // Backslashes read as slashes in http(s), in the path and as "\\host", but not in the query.
    EXPECT_EQ(Combine("http://host/a/b", "..\\c\\d.htm?x=\\y"), "http://host/c/d.htm?x=\\y");
    EXPECT_EQ(Combine("http://host/a/b", "\\\\other\\x"), "http://other/x");
    EXPECT_EQ(Combine("http://host/a\\b\\c", "d"), "http://host/a/b/d");
    // Blanks around the reference, and tabs and line breaks inside it, are no part of it.
    EXPECT_EQ(Combine("http://host/a/b", "  \t c.htm\r\n "), "http://host/a/c.htm");
    EXPECT_EQ(Combine("http://host/a/b", "c.htm?x=1&\n y=2"), "http://host/a/c.htm?x=1& y=2");
    EXPECT_EQ(Combine("  http://host/a/b  ", " http://other/ "), "http://other/");
    EXPECT_EQ(Combine("http://host/a/b", "http:/x"), "http://host/x");
    EXPECT_EQ(Combine("http://host/a/b", "http:x:y"), "http://host/a/x:y");
    EXPECT_EQ(Combine("http://host/a/b", "c:d"), "c:d");  // a scheme "c", not a drive
}

TEST(KxwiUrlCombine, ReturnsAbsoluteReferencesAsWritten) {
    EXPECT_EQ(Combine(kRfcBase, "javascript:void(0)"), "javascript:void(0)");
    EXPECT_EQ(Combine(kRfcBase, "mailto:someone@example.com?subject=Hi"), "mailto:someone@example.com?subject=Hi");
    EXPECT_EQ(Combine(kRfcBase, "https://other/x/../y"), "https://other/x/../y");
    EXPECT_EQ(Combine(kRfcBase, "HTTP://other/z"), "HTTP://other/z");
    EXPECT_EQ(Combine(kRfcBase, "ftp:g"), "ftp:g");  // another scheme than the base's
    EXPECT_EQ(Combine("", "about:blank"), "about:blank");
    EXPECT_EQ(Combine("", "javascript:f(\n1)"), "javascript:f(\n1)");
    // Without the fragment, except in script text where '#' belongs to the code.
    EXPECT_EQ(Combine(kRfcBase, "http://other/x?q#frag", false), "http://other/x?q");
    EXPECT_EQ(Combine(kRfcBase, "javascript:go('#top')", false), "javascript:go('#top')");
    EXPECT_EQ(Combine(kRfcBase, "g?y#s", false), "http://a/b/c/g?y");
    EXPECT_EQ(Combine(kRfcBase, "#s", false), "http://a/b/c/d;p?q");
}

TEST(KxwiUrlCombine, ResolvesFileUrlsAndDrivePaths) {
    EXPECT_EQ(Combine("file:///c:/dir/sub/page.htm", "x.htm"), "file:///c:/dir/sub/x.htm");
    EXPECT_EQ(Combine("file:///c:/dir/page.htm", "../../../x.htm"), "file:///c:/x.htm");
    EXPECT_EQ(Combine("file:///c:/dir/page.htm", "/x.htm"), "file:///c:/x.htm");
    EXPECT_EQ(Combine("file:///c:/dir/page.htm", "/d:/x.htm"), "file:///d:/x.htm");
    EXPECT_EQ(Combine("file:///c:/dir/page.htm", "..\\up\\x.htm"), "file:///c:/up/x.htm");
    EXPECT_EQ(Combine("file://server/share/dir/page.htm", "../x.htm"), "file://server/share/x.htm");
    EXPECT_EQ(Combine("file:///home/user/page.htm", "../../../x"), "file:///x");
    EXPECT_EQ(Combine("http://host/a/b", "c:\\dir\\..\\page.htm#f"), "file:///c:/page.htm#f");
    EXPECT_EQ(Combine("", "C:/dir/page.htm"), "file:///C:/dir/page.htm");
}

TEST(KxwiUrlCombine, FailsForBasesThatCannotResolveTheReference) {
    EXPECT_EQ(Combine("about:blank", "#top"), "about:blank#top");
    EXPECT_EQ(Combine("about:blank", ""), "about:blank");
    EXPECT_EQ(Combine("about:blank", "page.htm"), "<failed>");
    EXPECT_EQ(Combine("mailto:a@b", "?x"), "<failed>");
    EXPECT_EQ(Combine("javascript:f()", "//host/x"), "<failed>");
    EXPECT_EQ(Combine("", "page.htm"), "<failed>");
    EXPECT_EQ(Combine("dir/page.htm", "x"), "<failed>");
    EXPECT_EQ(Combine(" ", "x"), "<failed>");
}

TEST(KxwiUrlCombine, NeverReportsATruncatedResultAsSuccess) {
    const std::string dsBase = "http://host/dir/";
    const std::string dsRel = "page.htm";
    const std::string dsExpected = "http://host/dir/page.htm";
    std::vector<char> tBuf(dsExpected.size() + 1, 'Z');
    size_t nLen = 0;
    EXPECT_TRUE(KxwiUrlCombine::Combine(dsBase.data(), dsBase.size(), dsRel.data(), dsRel.size(), tBuf.data(),
                                        tBuf.size(), &nLen, true));
    EXPECT_EQ(nLen, dsExpected.size());
    EXPECT_EQ(std::string(tBuf.data()), dsExpected);

    std::vector<char> tShort(dsExpected.size(), 'Z');
    nLen = 0;
    EXPECT_FALSE(KxwiUrlCombine::Combine(dsBase.data(), dsBase.size(), dsRel.data(), dsRel.size(), tShort.data(),
                                         tShort.size(), &nLen, true));
    EXPECT_EQ(nLen, dsExpected.size());  // what the caller needs, without the NUL
    EXPECT_EQ(std::string(tShort.begin(), tShort.end()), std::string(dsExpected.size(), 'Z'));

    nLen = 0;
    EXPECT_FALSE(
        KxwiUrlCombine::Combine(dsBase.data(), dsBase.size(), dsRel.data(), dsRel.size(), nullptr, 0, &nLen, true));
    EXPECT_EQ(nLen, dsExpected.size());

    // Long URLs are built beyond the stack buffer and still measured exactly.
    std::string dsLongRel(5000, 'x');
    std::vector<char> tBig(dsBase.size() + dsLongRel.size() + 1);
    EXPECT_TRUE(KxwiUrlCombine::Combine(dsBase.data(), dsBase.size(), dsLongRel.data(), dsLongRel.size(), tBig.data(),
                                        tBig.size(), &nLen, true));
    EXPECT_EQ(std::string(tBig.data(), nLen), dsBase + dsLongRel);
    EXPECT_FALSE(KxwiUrlCombine::Combine(dsBase.data(), dsBase.size(), dsLongRel.data(), dsLongRel.size(), tBig.data(),
                                         tBig.size() - 1, &nLen, true));
}

TEST(KxwiUrlCombine, ReportsInvalidArguments) {
    KxwRecordingSink tSink;
    char acBuf[64];
    size_t nLen = 99;
    EXPECT_FALSE(KxwiUrlCombine::Combine(nullptr, 5, "x", 1, acBuf, sizeof(acBuf), &nLen, true));
    EXPECT_EQ(nLen, 0u);
    EXPECT_FALSE(KxwiUrlCombine::Combine("http://h/", 9, nullptr, 3, acBuf, sizeof(acBuf), &nLen, true));
    EXPECT_FALSE(KxwiUrlCombine::Combine("http://h/", 9, "x", 1, nullptr, 10, &nLen, true));
    EXPECT_FALSE(KxwiUrlCombine::Combine("http://h/", 9, "x", 1, acBuf, sizeof(acBuf), nullptr, true));
    EXPECT_EQ(tSink.Count(), 4u);
    EXPECT_TRUE(tSink.Saw("in KxwiUrlCombine::Combine"));
    // An empty relative URL given as a null text is no fault.
    tSink.Clear();
    EXPECT_TRUE(KxwiUrlCombine::Combine("http://h/a#f", 12, nullptr, 0, acBuf, sizeof(acBuf), &nLen, true));
    EXPECT_STREQ(acBuf, "http://h/a");
    EXPECT_EQ(tSink.Count(), 0u);
}

TEST(KxwiUrlScheme, DetectsSchemesAndTheirLengths) {
    int iLen = -1;
    EXPECT_EQ(Scheme("http://h/", &iLen), "1");
    EXPECT_EQ(iLen, 5);
    EXPECT_EQ(Scheme("HTTPS://h/", &iLen), "2");
    EXPECT_EQ(iLen, 6);
    EXPECT_EQ(Scheme("file:///c:/x", &iLen), "3");
    EXPECT_EQ(Scheme("ftp://h", &iLen), "4");
    EXPECT_EQ(Scheme("mailto:a@b", &iLen), "5");
    EXPECT_EQ(Scheme("JavaScript:f()", &iLen), "6");
    EXPECT_EQ(iLen, 11);
    EXPECT_EQ(Scheme("about:blank", &iLen), "7");
    EXPECT_EQ(Scheme("data:,x", &iLen), "8");
    EXPECT_EQ(Scheme("res://x.dll/y", &iLen), "9");
    EXPECT_EQ(Scheme("news:comp.lang", &iLen), "10");
    EXPECT_EQ(Scheme("gopher://h", &iLen), "11");
    EXPECT_EQ(Scheme("vbscript:x", &iLen), "12");
    EXPECT_EQ(Scheme("svn+ssh.v-2:x", &iLen), "0");
    EXPECT_EQ(iLen, 12);
    EXPECT_EQ(Scheme("c:x", &iLen), "0");  // one letter without a slash is a scheme
    EXPECT_EQ(iLen, 2);
    EXPECT_EQ(Scheme("httpx:", &iLen), "0");
    EXPECT_EQ(Scheme("http:", &iLen), "1");

    const char* apszRelative[] = {" http://h/", "1http://h", "c:\\dir",  "c:/dir", "c:",   "",
                                  "http",       "ht tp:x",   "/a:b",     "?a:b",   ":x",   "+a:b",
                                  "a_b:c",      "é:x",       "page.htm", "#a:b",   "./x:y"};
    for (const char* pszText : apszRelative) {
        iLen = -1;
        EXPECT_EQ(Scheme(pszText, &iLen), "-2") << pszText;
        EXPECT_EQ(iLen, 0) << pszText;
    }
    // The length bounds the text: "http:" cut before its ':' has no scheme.
    EXPECT_EQ(xfeKxwiUrlDetectUriScheme("http:", 4), KXWI_URL_SCHEME_UNSPECIFIED);
    EXPECT_TRUE(xfbKxwiUrlIsWindowsDrivePath("d:\\x", 4));
    EXPECT_FALSE(xfbKxwiUrlIsWindowsDrivePath("dd:\\x", 5));

    KxwRecordingSink tSink;
    EXPECT_EQ(xfeKxwiUrlDetectUriScheme(nullptr, 3, &iLen), KXWI_URL_SCHEME_UNSPECIFIED);
    EXPECT_EQ(tSink.Count(), 1u);
    EXPECT_EQ(xfeKxwiUrlDetectUriScheme(nullptr, 0, &iLen), KXWI_URL_SCHEME_UNSPECIFIED);
    EXPECT_EQ(tSink.Count(), 1u);
}

TEST(KxwiUrlCrack, SplitsAnAbsoluteUrlIntoItsParts) {
    std::vector<char> tUrl = Exact("http://user:pa:ss@www.Host.com:8080/dir/page.htm?a=1&b=2#sec?x#y");
    KxwiUrlCrack tCrack(tUrl.data(), tUrl.size());
    EXPECT_TRUE(tCrack.IsValid());
    EXPECT_EQ(tCrack.GetScheme(), KXWI_URL_SCHEME_HTTP);
    EXPECT_EQ(Part(tCrack.GetSchemeStr(), tCrack.GetSchemeLen()), "http:");
    EXPECT_EQ(Part(tCrack.GetUserInfoStr(), tCrack.GetUserInfoLen()), "user:pa:ss");
    EXPECT_EQ(Part(tCrack.GetUserNameStr(), tCrack.GetUserNameLen()), "user");
    EXPECT_EQ(Part(tCrack.GetPasswordStr(), tCrack.GetPasswordLen()), "pa:ss");
    EXPECT_EQ(Part(tCrack.GetHostNameStr(), tCrack.GetHostNameLen()), "www.Host.com");
    EXPECT_EQ(tCrack.GetPort(), 8080);
    EXPECT_TRUE(tCrack.HasExplicitPort());
    EXPECT_FALSE(tCrack.IsDefaultPort());
    EXPECT_EQ(Part(tCrack.GetPathStr(), tCrack.GetPathLen()), "/dir/page.htm");
    EXPECT_EQ(Part(tCrack.GetQueryStr(), tCrack.GetQueryLen()), "?a=1&b=2");
    EXPECT_EQ(Part(tCrack.GetFragmentStr(), tCrack.GetFragmentLen()), "#sec?x#y");
    // The parts live in the crack's own copy: the text it came from may go.
    std::fill(tUrl.begin(), tUrl.end(), '!');
    EXPECT_EQ(Part(tCrack.GetHostNameStr(), tCrack.GetHostNameLen()), "www.Host.com");
    EXPECT_STREQ(tCrack.GetUrlStr(), "http://user:pa:ss@www.Host.com:8080/dir/page.htm?a=1&b=2#sec?x#y");
}

TEST(KxwiUrlCrack, GivesDefaultPortsAndPaths) {
    struct {
        const char* _pszUrl;
        const char* _pszHost;
        int _iPort;
        bool _bExplicit;
        const char* _pszPath;
        const char* _pszQuery;
        bool _bValid;
    } atCases[] = {
        {"http://host", "host", 80, false, "/", "", true},
        {"https://host?q", "host", 443, false, "/", "?q", true},
        {"ftp://host:/pub", "host", 21, false, "/pub", "", true},
        {"http://host:80/", "host", 80, true, "/", "", true},
        {"http://host:0/", "host", 0, true, "/", "", true},
        {"http://host:00443/", "host", 443, true, "/", "", true},
        {"http://host:65536/", "host", 80, false, "/", "", false},
        {"http://host:99999999999999999999/", "host", 80, false, "/", "", false},
        {"http://host:8a/x", "host", 80, false, "/x", "", false},
        {"http://[::1]:8080/x", "[::1]", 8080, true, "/x", "", true},
        {"http://[fe80::1%25eth0]/", "[fe80::1%25eth0]", 80, false, "/", "", true},
        {"http://[::1/x", "[::1", 80, false, "/x", "", false},
        {"http://[::1]x/", "[::1]", 80, false, "/", "", false},
        {"http://a@b@host:81", "host", 81, true, "/", "", true},
        {"http:\\\\host\\dir\\x", "host", 80, false, "\\dir\\x", "", true},
        {"gopher://host/x", "host", 0, false, "/x", "", true},
        {"mailto:a@b.c?subject=x", "", 0, false, "a@b.c", "?subject=x", true},
        {"javascript:f('?')", "", 0, false, "f('", "?')", true},
        {"file:///c:/dir/x.htm", "", 0, false, "/c:/dir/x.htm", "", true},
        {"about:blank", "", 0, false, "blank", "", true},
        {"", "", 0, false, "", "", true},
        {"page.htm?x", "", 0, false, "page.htm", "?x", true},
    };
    for (const auto& rtCase : atCases) {
        std::vector<char> tUrl = Exact(rtCase._pszUrl);
        KxwiUrlCrack tCrack(tUrl.data(), tUrl.size());
        EXPECT_EQ(Part(tCrack.GetHostNameStr(), tCrack.GetHostNameLen()), rtCase._pszHost) << rtCase._pszUrl;
        EXPECT_EQ(tCrack.GetPort(), rtCase._iPort) << rtCase._pszUrl;
        EXPECT_EQ(tCrack.HasExplicitPort(), rtCase._bExplicit) << rtCase._pszUrl;
        EXPECT_EQ(Part(tCrack.GetPathStr(), tCrack.GetPathLen()), rtCase._pszPath) << rtCase._pszUrl;
        EXPECT_EQ(Part(tCrack.GetQueryStr(), tCrack.GetQueryLen()), rtCase._pszQuery) << rtCase._pszUrl;
        EXPECT_EQ(tCrack.IsValid(), rtCase._bValid) << rtCase._pszUrl;
    }
}

TEST(KxwiUrlCrack, ResetReusesStorageAndAcceptsItsOwnText) {
    KxwiUrlCrack tCrack;
    EXPECT_EQ(tCrack.GetScheme(), KXWI_URL_SCHEME_UNSPECIFIED);
    EXPECT_EQ(tCrack.GetUrlLen(), 0u);
    std::string dsLong = "https://host/" + std::string(300, 'p') + "?q";
    tCrack.Reset(dsLong.data(), dsLong.size());
    EXPECT_EQ(tCrack.GetPathLen(), 301u);
    EXPECT_EQ(Part(tCrack.GetQueryStr(), tCrack.GetQueryLen()), "?q");
    // A part of its own heap copy, longer than the inline room and then shorter.
    std::string dsTail(tCrack.GetPathStr() + 1, tCrack.GetUrlLen() - 14);
    tCrack.Reset(tCrack.GetPathStr() + 1, tCrack.GetUrlLen() - 14);
    EXPECT_EQ(std::string(tCrack.GetUrlStr(), tCrack.GetUrlLen()), dsTail);
    tCrack.Reset("ftp://h:2121/x", 14);
    EXPECT_EQ(tCrack.GetPort(), 2121);
    std::string dsLonger = "http://h/" + std::string(1000, 'z');
    tCrack.Reset(dsLonger.data(), dsLonger.size());
    EXPECT_EQ(tCrack.GetPathLen(), 1001u);
    tCrack.Reset(tCrack.GetHostNameStr(), 1);
    EXPECT_EQ(std::string(tCrack.GetUrlStr()), "h");

    KxwRecordingSink tSink;
    tCrack.Reset(nullptr, 10);
    EXPECT_EQ(tSink.Count(), 1u);
    EXPECT_EQ(tCrack.GetUrlLen(), 0u);
    EXPECT_EQ(tCrack.GetPathLen(), 0u);
}

TEST(KxwiUrlLen, MeasuresThePrefixesBeforePathQueryAndFragment) {
    struct {
        const char* _pszUrl;
        size_t _nWithoutPath;
        size_t _nWithoutQueryOrFragment;
        size_t _nWithoutFragment;
    } atCases[] = {
        {"http://host:81/dir/x?q#f", 14, 20, 22},
        {"http://host", 11, 11, 11},
        {"http://host?q", 11, 11, 13},
        {"http://host#f?q", 11, 11, 11},
        {"http://u@h/#", 10, 11, 11},
        {"mailto:a@b", 7, 10, 10},
        {"x.htm?q", 0, 5, 7},
        {"", 0, 0, 0},
    };
    for (const auto& rtCase : atCases) {
        std::vector<char> tUrl = Exact(rtCase._pszUrl);
        EXPECT_EQ(xfnKxwiUrlLenWithoutPath(tUrl.data(), tUrl.size()), rtCase._nWithoutPath) << rtCase._pszUrl;
        EXPECT_EQ(xfnKxwiUrlLenWithoutQueryOrFragmentID(tUrl.data(), tUrl.size()), rtCase._nWithoutQueryOrFragment)
            << rtCase._pszUrl;
        EXPECT_EQ(xfnKxwiUrlLenWithoutFragmentID(tUrl.data(), tUrl.size()), rtCase._nWithoutFragment) << rtCase._pszUrl;
    }
    KxwRecordingSink tSink;
    EXPECT_EQ(xfnKxwiUrlLenWithoutPath(nullptr, 4), 0u);
    EXPECT_EQ(xfnKxwiUrlLenWithoutFragmentID(nullptr, 4), 0u);
    EXPECT_EQ(tSink.Count(), 2u);
}

TEST(KxwiInfra, CountsCharactersInTheTextsCharset) {
    EXPECT_EQ(xfliKxwiInfraCharsLenInBytes("caf\xE9", 4, nullptr), 4);
    const char* psfUtf8 = "caf\xC3\xA9 \xF0\x9F\x98\x80";  // "café " and an emoji outside the BMP
    EXPECT_EQ(xfliKxwiInfraCharsLenInBytes(psfUtf8, 10, xfptKxwU16nHandlerGetUtf8()), 7);
    EXPECT_EQ(xfliKxwiInfraCharsLenInBytes(psfUtf8, 10, xfptKxwU16nHandlerGetDefault()), 10);
    std::string dsLong(3000, '\xC3');
    for (size_t i = 1; i < dsLong.size(); i += 2) dsLong[i] = '\xA9';
    EXPECT_EQ(xfliKxwiInfraCharsLenInBytes(dsLong.data(), 3000, xfptKxwU16nHandlerGetUtf8()), 1500);
    EXPECT_EQ(xfliKxwiInfraCharsLenInBytes(nullptr, 0, xfptKxwU16nHandlerGetUtf8()), 0);
    KxwRecordingSink tSink;
    EXPECT_EQ(xfliKxwiInfraCharsLenInBytes("abc", -1, nullptr), 0);
    EXPECT_EQ(xfliKxwiInfraCharsLenInBytes(nullptr, 3, nullptr), 0);
    EXPECT_EQ(tSink.Count(), 2u);
}

TEST(KxwiInfra, MatchesTextsWithoutTheirOuterBlanks) {
    auto Match = [](const std::string& mdsA, const std::string& mdsB) {
        std::vector<char> tA = Exact(mdsA);
        std::vector<char> tB = Exact(mdsB);
        return xfbKxwiInfraMatchConsideringLeadingAndTrailingSpaces(tA.data(), tA.size(), tB.data(), tB.size());
    };
    EXPECT_TRUE(Match("  Submit \t", "Submit"));
    EXPECT_TRUE(Match("\r\nSubmit", "Submit\n"));
    EXPECT_TRUE(Match("   ", ""));
    EXPECT_FALSE(Match("Sub mit", "Submit"));
    EXPECT_FALSE(Match("Sub  mit", "Sub mit"));
    EXPECT_FALSE(Match("submit", "Submit"));
    EXPECT_FALSE(Match("Submit!", "Submit"));
    EXPECT_FALSE(Match("\xC3\xA0", "\xC3"));  // 0xA0 inside a UTF-8 character is no blank
    EXPECT_TRUE(xfbKxwiInfraMatchConsideringLeadingAndTrailingSpaces(u"\u00A0 Go ", 5, u"Go", 2));
    EXPECT_FALSE(xfbKxwiInfraMatchConsideringLeadingAndTrailingSpaces(u"Go on", 5, u"Goon", 4));
    KxwRecordingSink tSink;
    EXPECT_FALSE(xfbKxwiInfraMatchConsideringLeadingAndTrailingSpaces(static_cast<const char*>(nullptr), 2, "ab", 2));
    EXPECT_EQ(tSink.Count(), 1u);
}

TEST(KxwiUrl, HoldsItsInvariantsOnArbitraryText) {
    // A fixed pseudo-random sequence over the characters that steer the parsers.
    const char acAlphabet[] = "/\\.:?#@[]%2eEhtpc1 \t";
    const char* apszBases[] = {"http://a/b/c/d;p?q", "file:///c:/x/y", "about:blank", "http://[::1", ""};
    unsigned uSeed = 12345;
    auto Next = [&uSeed]() { return (uSeed = uSeed * 1103515245u + 12345u) >> 16; };
    for (int iRound = 0; iRound < 20000; ++iRound) {
        std::string dsText;
        for (unsigned n = Next() % 24; n > 0; --n) dsText += acAlphabet[Next() % (sizeof(acAlphabet) - 1)];
        if (Next() % 3 == 0) dsText = "http:" + dsText;
        std::vector<char> tText = Exact(dsText);

        KxwiUrlCrack tCrack(tText.data(), tText.size());
        const KxwiUrlParts& rtParts = tCrack.GetParts();
        EXPECT_LE(rtParts._nSchemeLen, rtParts._nPathBegin) << dsText;
        EXPECT_LE(rtParts._nHostEnd, rtParts._nPathBegin) << dsText;
        EXPECT_LE(rtParts._nPathBegin, rtParts._nPathEnd) << dsText;
        EXPECT_EQ(rtParts._nPathEnd, rtParts._nQueryBegin) << dsText;
        EXPECT_EQ(rtParts._nQueryEnd, rtParts._nFragmentBegin) << dsText;
        EXPECT_EQ(rtParts._nFragmentEnd, dsText.size()) << dsText;
        EXPECT_LE(tCrack.GetPort(), 65535) << dsText;

        const std::string dsBase = apszBases[Next() % 5];
        std::vector<char> tBase = Exact(dsBase);
        bool bKeep = Next() % 2 == 0;
        size_t nNeeded = 0;
        EXPECT_FALSE(KxwiUrlCombine::Combine(tBase.data(), tBase.size(), tText.data(), tText.size(), nullptr, 0,
                                             &nNeeded, bKeep));
        if (nNeeded == 0) continue;  // a base that cannot resolve this reference
        std::vector<char> tBuf(nNeeded + 1, 'Z');
        size_t nLen = 0;
        ASSERT_TRUE(KxwiUrlCombine::Combine(tBase.data(), tBase.size(), tText.data(), tText.size(), tBuf.data(),
                                            tBuf.size(), &nLen, bKeep))
            << dsBase << " + " << dsText;
        EXPECT_EQ(nLen, nNeeded);
        EXPECT_EQ(std::strlen(tBuf.data()), nLen);
        EXPECT_FALSE(KxwiUrlCombine::Combine(tBase.data(), tBase.size(), tText.data(), tText.size(), tBuf.data(),
                                             nNeeded, &nLen, bKeep));
        // Resolving the result again against the same base changes nothing: it is absolute. (Without its fragment
        // a result may end in a blank of its query, which a second pass would trim.)
        std::string dsResult(tBuf.data(), nLen);
        if (bKeep && xfeKxwiUrlDetectUriScheme(dsResult.data(), dsResult.size()) != KXWI_URL_SCHEME_UNSPECIFIED) {
            EXPECT_EQ(Combine(dsBase, dsResult), dsResult) << dsBase << " + " << dsText;
        }
    }
}
