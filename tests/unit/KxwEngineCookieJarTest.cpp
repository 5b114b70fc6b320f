// The cookie jar of a virtual user: which cookies a Set-Cookie header or a script stores, which a request or a
// document.cookie read gets back and in what order, and expiry on a clock the test moves.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KxwEngineCookieJar.h"

namespace {

// 2024-03-01 12:00:00 UTC.
constexpr int64_t kllStartMs = 1709294400000;

class KxwEngineCookieJarTest : public ::testing::Test {
protected:
    bool Set(const std::string& mdsUrl, const std::string& mdsCookie,
             KxwEngineCookieJar::Source meSource = KxwEngineCookieJar::kFromHttp) {
        return _tJar.Store(mdsUrl, mdsCookie.data(), mdsCookie.size(), meSource, &_dsReason);
    }
    std::string Get(const std::string& mdsUrl, KxwEngineCookieJar::Source meFor = KxwEngineCookieJar::kFromHttp) {
        return _tJar.GetCookies(mdsUrl, meFor);
    }

    int64_t _llNowMs = kllStartMs;
    KxwEngineCookieJar _tJar{[this] { return _llNowMs; }};
    std::string _dsReason;
};

TEST_F(KxwEngineCookieJarTest, HostOnlyAndDomainCookiesReachTheirHosts) {
    EXPECT_TRUE(Set("http://www.shop.example/", "host=1"));
    EXPECT_TRUE(Set("http://www.shop.example/", "dom=2; Domain=.Shop.Example"));
    EXPECT_EQ("host=1; dom=2", Get("http://www.shop.example/"));
    EXPECT_EQ("dom=2", Get("http://shop.example/")) << "a domain cookie reaches the domain itself";
    EXPECT_EQ("dom=2", Get("http://img.shop.example/"));
    EXPECT_EQ("", Get("http://othershop.example/")) << "a suffix that is not a name under the domain";
    EXPECT_EQ("", Get("http://example/"));

    EXPECT_FALSE(Set("http://www.shop.example/", "x=1; Domain=other.example"));
    EXPECT_FALSE(Set("http://www.shop.example/", "x=1; Domain=example"));
    EXPECT_NE(std::string::npos, _dsReason.find("top-level"));
    EXPECT_FALSE(Set("http://127.0.0.1:8080/", "x=1; Domain=0.0.1")) << "no address is under another";
    EXPECT_TRUE(Set("http://localhost/", "local=1; Domain=localhost"));
    EXPECT_EQ("local=1", Get("http://localhost:9000/")) << "ports do not part cookies";
    EXPECT_FALSE(Set("file:///tmp/page.html", "x=1"));
    EXPECT_EQ("", Get("file:///tmp/page.html"));
    EXPECT_EQ(3u, _tJar.GetAll().size()) << "host, dom and local";
}

TEST_F(KxwEngineCookieJarTest, PathsDefaultToTheFolderAndOrderTheHeader) {
    EXPECT_TRUE(Set("http://a.example/shop/cart/view.html?x=/y", "folder=1"));
    EXPECT_EQ("/shop/cart", _tJar.GetAll().back()._dsPath);
    EXPECT_TRUE(Set("http://a.example/index.html", "root=1"));
    EXPECT_EQ("/", _tJar.GetAll().back()._dsPath);
    EXPECT_TRUE(Set("http://a.example/shop/cart/x", "relative=1; Path=nope"));
    EXPECT_EQ("/shop/cart", _tJar.GetAll().back()._dsPath) << "a Path without '/' gives the default";
    EXPECT_TRUE(Set("http://a.example/", "shop=1; Path=/shop"));
    EXPECT_TRUE(Set("http://a.example/", "early=1; Path=/shop/cart/"));

    // Longer paths first; equal paths in the order they were made.
    EXPECT_EQ("early=1; folder=1; relative=1; shop=1; root=1", Get("http://a.example/shop/cart/"));
    EXPECT_EQ("folder=1; relative=1; shop=1; root=1", Get("http://a.example/shop/cart"));
    EXPECT_EQ("shop=1; root=1", Get("http://a.example/shop/carts"));
    EXPECT_EQ("root=1", Get("http://a.example/shopping"));
    EXPECT_EQ("root=1", Get("http://a.example"));

    // A replaced cookie keeps its place; a new name comes last among its equals.
    EXPECT_TRUE(Set("http://a.example/shop/cart/x", "folder=2"));
    EXPECT_TRUE(Set("http://a.example/shop/cart/x", "later=1"));
    EXPECT_EQ("folder=2; relative=1; later=1; shop=1; root=1", Get("http://a.example/shop/cart"));
}

TEST_F(KxwEngineCookieJarTest, SecureAndHttpOnlyLimitWhoSeesThem) {
    EXPECT_TRUE(Set("https://bank.example/", "sid=abc; Secure; HttpOnly"));
    EXPECT_TRUE(Set("https://bank.example/", "theme=dark; secure"));
    EXPECT_TRUE(Set("http://bank.example/", "lang=en"));
    EXPECT_EQ("sid=abc; theme=dark; lang=en", Get("https://bank.example/"));
    EXPECT_EQ("lang=en", Get("http://bank.example/")) << "Secure cookies go over https only";
    EXPECT_EQ("theme=dark; lang=en", Get("https://bank.example/", KxwEngineCookieJar::kFromScript));

    // A script may neither make an HttpOnly cookie nor replace one.
    EXPECT_FALSE(Set("https://bank.example/", "mine=1; HttpOnly", KxwEngineCookieJar::kFromScript));
    EXPECT_FALSE(Set("https://bank.example/", "sid=stolen", KxwEngineCookieJar::kFromScript));
    EXPECT_EQ(std::string::npos, _dsReason.find("stolen")) << "the reason never repeats the page's text";
    EXPECT_TRUE(Set("https://bank.example/", "lang=fr; Path=/", KxwEngineCookieJar::kFromScript));
    EXPECT_EQ("sid=abc; theme=dark; lang=fr", Get("https://bank.example/"));
}

TEST_F(KxwEngineCookieJarTest, MalformedCookiesAreRefusedOrReadAsBrowsersDo) {
    EXPECT_TRUE(Set("http://a.example/", "  spaced name  =  spaced value  ; Path = / "));
    EXPECT_EQ("spaced name=spaced value", Get("http://a.example/"));
    _tJar.Clear();
    EXPECT_TRUE(Set("http://a.example/", "bare")) << "a value without a name";
    EXPECT_TRUE(Set("http://a.example/", "empty="));
    EXPECT_TRUE(Set("http://a.example/", "eq=a=b;;; ;=;Unknown=1"));
    EXPECT_EQ("bare; empty=; eq=a=b", Get("http://a.example/"));
    EXPECT_FALSE(Set("http://a.example/", "="));
    EXPECT_FALSE(Set("http://a.example/", ""));
    EXPECT_FALSE(Set("http://a.example/", std::string("nul=a\0b", 7)));
    EXPECT_FALSE(Set("http://a.example/", "line=a\r\nSet-Cookie: evil=1"));
    EXPECT_FALSE(Set("http://a.example/", "big=" + std::string(KxwEngineCookieJar::knMaxCookieBytes, 'x')));
    EXPECT_EQ(3u, _tJar.GetAll().size());
}

TEST_F(KxwEngineCookieJarTest, CookiesExpireOnTheJarsClock) {
    EXPECT_TRUE(Set("http://a.example/", "session=1"));
    EXPECT_TRUE(Set("http://a.example/", "short=1; Max-Age=60"));
    EXPECT_TRUE(Set("http://a.example/", "dated=1; Expires=Fri, 01 Mar 2024 13:00:00 GMT"));
    EXPECT_TRUE(Set("http://a.example/", "maxwins=1; Max-Age=7200; Expires=Fri, 01 Mar 2024 12:00:01 GMT"));
    EXPECT_TRUE(Set("http://a.example/", "badage=1; Max-Age=12x"));
    EXPECT_FALSE(_tJar.GetAll().back()._bPersistent) << "a Max-Age that is no number is left out";
    EXPECT_EQ("session=1; short=1; dated=1; maxwins=1; badage=1", Get("http://a.example/"));

    _llNowMs += 60 * 1000;
    EXPECT_EQ("session=1; dated=1; maxwins=1; badage=1", Get("http://a.example/")) << "expired at its Max-Age";
    _llNowMs = kllStartMs + 3600 * 1000;
    EXPECT_EQ("session=1; maxwins=1; badage=1", Get("http://a.example/"));
    _llNowMs = kllStartMs + 7200 * 1000;
    EXPECT_EQ("session=1; badage=1", Get("http://a.example/"));
    EXPECT_EQ(2u, _tJar.GetAll().size()) << "expired cookies are dropped";

    // An expiry in the past deletes the cookie of that name, domain and path.
    EXPECT_TRUE(Set("http://a.example/", "session=; Expires=Thu, 01 Jan 1970 00:00:00 GMT"));
    EXPECT_TRUE(Set("http://a.example/", "badage=; Max-Age=0"));
    EXPECT_EQ("", Get("http://a.example/"));
    EXPECT_TRUE(_tJar.GetAll().empty());
}

TEST_F(KxwEngineCookieJarTest, CookieDatesAreReadInTheirManyForms) {
    int64_t llMs = 0;
    auto Parse = [&](const char* mpszDate) {
        return KxwEngineCookieJar::ParseCookieDate(mpszDate, std::strlen(mpszDate), &llMs);
    };
    ASSERT_TRUE(Parse("Fri, 01 Mar 2024 12:00:00 GMT"));
    EXPECT_EQ(kllStartMs, llMs);
    ASSERT_TRUE(Parse("Friday, 01-Mar-24 12:00:00 GMT"));
    EXPECT_EQ(kllStartMs, llMs) << "a two-digit year below 70 is of the 2000s";
    ASSERT_TRUE(Parse("Fri Mar  1 12:00:00 2024"));
    EXPECT_EQ(kllStartMs, llMs);
    ASSERT_TRUE(Parse("1 march 99 0:0:0"));
    EXPECT_EQ(920246400000, llMs);
    ASSERT_TRUE(Parse("Thu, 29 Feb 2024 23:59:59 GMT"));
    EXPECT_EQ(kllStartMs - 12 * 3600 * 1000 - 1000, llMs);
    EXPECT_FALSE(Parse("Fri, 30 Feb 2024 12:00:00 GMT"));
    EXPECT_FALSE(Parse("Fri, 01 Mar 2024 24:00:00 GMT"));
    EXPECT_FALSE(Parse("Fri, 01 Mar 1600 12:00:00 GMT"));
    EXPECT_FALSE(Parse("Fri, 01 Mar 2024 GMT")) << "no time";
    EXPECT_FALSE(Parse("tomorrow"));
    EXPECT_FALSE(Parse(""));
}

TEST_F(KxwEngineCookieJarTest, AServerCannotFillTheMemoryWithCookies) {
    for (size_t n = 0; n < KxwEngineCookieJar::knMaxCookiesPerDomain + 10; ++n)
        EXPECT_TRUE(Set("http://a.example/", "c" + std::to_string(n) + "=1"));
    EXPECT_EQ(KxwEngineCookieJar::knMaxCookiesPerDomain, _tJar.GetAll().size());
    EXPECT_EQ("c10", _tJar.GetAll().front()._dsName) << "the oldest go first";
    for (size_t n = 0; n < KxwEngineCookieJar::knMaxCookies + 5; ++n)
        Set("http://h" + std::to_string(n) + ".example/", "c=1");
    EXPECT_EQ(KxwEngineCookieJar::knMaxCookies, _tJar.GetAll().size());
    EXPECT_EQ("c=1", Get("http://h3004.example/"));
    EXPECT_EQ("", Get("http://a.example/")) << "the oldest domain's cookies went";
    _tJar.Clear();
    EXPECT_TRUE(_tJar.GetAll().empty());
}

}  // namespace
