#include <gtest/gtest.h>

#include "KxwEngineDownloadFilter.h"

TEST(KxwEngineDownloadFilterTest, AnEmptyListLetsEveryHostThrough) {
    for (const char* pszList : {"", " ", " , ,"}) {
        KxwEngineDownloadFilter tFilter(pszList);
        EXPECT_TRUE(tFilter.IsOpen()) << pszList;
        EXPECT_TRUE(tFilter.Allows("http://anywhere.example/x.js")) << pszList;
    }
}

TEST(KxwEngineDownloadFilterTest, NamesMatchWholeHostsIgnoringCasePortsAndTheFinalDot) {
    KxwEngineDownloadFilter tFilter(" 127.0.0.1 ,Shop.Example.COM");
    EXPECT_FALSE(tFilter.IsOpen());
    EXPECT_TRUE(tFilter.Allows("http://127.0.0.1:8080/a.js"));
    EXPECT_TRUE(tFilter.Allows("https://shop.example.com/img/a.gif?x=1"));
    EXPECT_TRUE(tFilter.Allows("http://SHOP.example.com./a.css"));
    EXPECT_FALSE(tFilter.Allows("http://www.shop.example.com/a.js"));  // no "*.": subdomains are not included
    EXPECT_FALSE(tFilter.Allows("http://example.com/a.js"));
    EXPECT_FALSE(tFilter.Allows("http://127.0.0.10/a.js"));
    EXPECT_FALSE(tFilter.Allows("http://ads.example.net/shop.example.com/a.js"));  // the path is not the host
    EXPECT_FALSE(tFilter.Allows("http://shop.example.com@evil.example/a.js"));     // nor the user name
}

TEST(KxwEngineDownloadFilterTest, AStarMatchesTheNameAndWhatLiesUnderItOnly) {
    KxwEngineDownloadFilter tFilter("*.example.org");
    EXPECT_TRUE(tFilter.Allows("http://example.org/a.js"));
    EXPECT_TRUE(tFilter.Allows("http://cdn.example.org/a.js"));
    EXPECT_TRUE(tFilter.Allows("http://a.b.EXAMPLE.org/a.js"));
    EXPECT_FALSE(tFilter.Allows("http://badexample.org/a.js"));
    EXPECT_FALSE(tFilter.Allows("http://example.org.evil.example/a.js"));
}

TEST(KxwEngineDownloadFilterTest, UrlsWithoutAHostAreAlwaysLoaded) {
    KxwEngineDownloadFilter tFilter("127.0.0.1");
    EXPECT_TRUE(tFilter.Allows("file:///tmp/page/a.js"));
}
