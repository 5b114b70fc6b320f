// The player's page source: file: URLs to paths, the page's bytes, and the charset found without a header.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "KxwEngineFetch.h"
#include "KxwEnginePageSource.h"

namespace {

std::string WriteTemp(const std::string& mdsName, const std::string& mdsBytes) {
    std::string dsPath = testing::TempDir() + mdsName;
    std::FILE* ptFile = std::fopen(dsPath.c_str(), "wb");
    std::fwrite(mdsBytes.data(), 1, mdsBytes.size(), ptFile);
    std::fclose(ptFile);
    return dsPath;
}

TEST(KxwEnginePageSourceTest, FileUrlsNameLocalPaths) {
    std::string dsPath;
    EXPECT_TRUE(xfbKxwEngineFileUrlToPath("file:///tmp/a%20b.html?x=1#top", &dsPath));
    EXPECT_EQ("/tmp/a b.html", dsPath);
    EXPECT_TRUE(xfbKxwEngineFileUrlToPath("FILE://localhost/srv/p.html", &dsPath));
    EXPECT_EQ("/srv/p.html", dsPath);
    EXPECT_TRUE(xfbKxwEngineFileUrlToPath("file:/srv/q.html", &dsPath));
    EXPECT_EQ("/srv/q.html", dsPath);
    EXPECT_FALSE(xfbKxwEngineFileUrlToPath("file://otherhost/p.html", &dsPath));
    EXPECT_FALSE(xfbKxwEngineFileUrlToPath("http://host/p.html", &dsPath));
    EXPECT_FALSE(xfbKxwEngineFileUrlToPath("file:///a%00b", &dsPath)) << "a NUL would cut the path";
    EXPECT_FALSE(xfbKxwEngineFileUrlToPath("file:relative.html", &dsPath));
}

TEST(KxwEnginePageSourceTest, PagesAreReadWholeUpToTheLimit) {
    std::string dsPath = WriteTemp("kxw-page-source.html", std::string("<p>\0x</p>", 9));
    KxwEngineFetcher tFetcher;
    KxwEngineFetchRequest tRequest;
    tRequest._dsUrl = "file://" + dsPath;
    tRequest._nMaxBodyBytes = 1024;
    KxwEngineFetchResponse tResponse;
    ASSERT_TRUE(tFetcher.Fetch(tRequest, nullptr, &tResponse)) << tResponse._dsError;
    EXPECT_EQ(std::string("<p>\0x</p>", 9), tResponse._dsBody);
    tRequest._nMaxBodyBytes = 4;
    EXPECT_FALSE(tFetcher.Fetch(tRequest, nullptr, &tResponse));
    EXPECT_NE(std::string::npos, tResponse._dsError.find("larger than 4 bytes"));
    tRequest._dsUrl = "file:///no/such/page.html";
    EXPECT_FALSE(tFetcher.Fetch(tRequest, nullptr, &tResponse));
    EXPECT_EQ("cannot read /no/such/page.html: No such file or directory", tResponse._dsError)
        << "the player's message for a missing file stays as it was";
    EXPECT_EQ(KXW_ENGINE_FETCH_FILE, tResponse._eError);
}

TEST(KxwEnginePageSourceTest, TheCharsetComesFromAByteOrderMarkOrAMetaElement) {
    KxwEnginePageSource tSource;
    tSource._dsBytes = "\xEF\xBB\xBF<p>caf\xC3\xA9</p>";
    xfvKxwEngineSniffCharset(&tSource);
    EXPECT_EQ("utf-8", tSource._dsCharset);
    EXPECT_EQ("bom", tSource._dsCharsetSource);
    EXPECT_EQ("<p>caf\xC3\xA9</p>", tSource._dsBytes);

    // UTF-16 in either order becomes UTF-8, a pair of surrogates one character, a lone one U+FFFD.
    tSource._dsBytes = std::string("\xFF\xFE<\0p\0\xE9\0\x3D\xD8\x00\xDE\x00\xD8>\0", 16);
    xfvKxwEngineSniffCharset(&tSource);
    EXPECT_EQ("<p\xC3\xA9\xF0\x9F\x98\x80\xEF\xBF\xBD>", tSource._dsBytes);
    tSource._dsBytes = std::string("\xFE\xFF\0<\0b", 6);
    xfvKxwEngineSniffCharset(&tSource);
    EXPECT_EQ("<b", tSource._dsBytes);

    EXPECT_EQ("windows-1252", xfdsKxwEnginePrescanMetaCharset("<meta charset=ISO-8859-1>", 25))
        << "pages labelled Latin-1 are read as windows-1252";
    EXPECT_EQ("windows-1252", xfdsKxwEngineCharsetForLabel("us-ascii", 8));
    EXPECT_EQ("", xfdsKxwEngineCharsetForLabel("bogus", 5));
    EXPECT_EQ("shift_jis", xfdsKxwEnginePrescanMetaCharset("<html><META CHARSET='Shift_JIS'>", 32));
    std::string dsHttpEquiv = "<!-- <meta charset=koi8-r> --><meta content=\"text/html; charset=iso-8859-2\" "
                              "http-equiv=Content-Type>";
    EXPECT_EQ("iso-8859-2", xfdsKxwEnginePrescanMetaCharset(dsHttpEquiv.data(), dsHttpEquiv.size()));
    EXPECT_EQ("utf-8", xfdsKxwEnginePrescanMetaCharset("<meta charset=utf-16>", 21))
        << "bytes read as bytes are not UTF-16";
    EXPECT_EQ("", xfdsKxwEnginePrescanMetaCharset("<meta charset=no-such-charset>", 30));
    EXPECT_EQ("", xfdsKxwEnginePrescanMetaCharset("<metadata charset=utf-8>", 24));
    EXPECT_EQ("", xfdsKxwEnginePrescanMetaCharset("<!-- <meta charset=utf-8>", 25)) << "inside an open comment";
    std::string dsLate = std::string(1100, ' ') + "<meta charset=utf-8>";
    EXPECT_EQ("", xfdsKxwEnginePrescanMetaCharset(dsLate.data(), dsLate.size())) << "only the first bytes count";
}

}  // namespace
