#include <gtest/gtest.h>

#include <string>

#include "KxwDomBaseUrlSource.h"
#include "KxwDomHtmlPropertyUrl.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomStrEnv.h"
#include "KxwRecordingSink.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"

namespace {

// The owning node's part: a base URL, and how often it was asked.
class KxwTestBaseUrl : public KxwDomBaseUrlSource {
public:
    explicit KxwTestBaseUrl(std::string mdsBase) : _dsBase(std::move(mdsBase)) {}
    bool GetBaseUrlDcs(const char** mppsfUrl, unsigned* mpnLen) override {
        ++_iAsked;
        *mppsfUrl = _dsBase.data();
        *mpnLen = static_cast<unsigned>(_dsBase.size());
        return true;
    }
    std::string _dsBase;
    int _iAsked = 0;
};

std::string Dcs(const KxwDomHtmlPropertyStr& mrtProperty) {
    return std::string(mrtProperty.GetDcsStr(), mrtProperty.GetDcsLenInBytes());
}

class KxwDomHtmlPropertyUrlTest : public ::testing::Test {
protected:
    void SetHref(const std::string& mdsHref) { _tUrl.SetDcs(mdsHref.data(), static_cast<unsigned>(mdsHref.size())); }

    KxwDomStrEnvExplicit _tEnv{nullptr, nullptr};
    KxwTestBaseUrl _tBase{"http://www.example.com/dir/page.html"};
    KxwDomHtmlPropertyUrl _tUrl{_tEnv, &_tBase};
};

}  // namespace

TEST_F(KxwDomHtmlPropertyUrlTest, RelativeUrlResolvesAgainstTheNodesBase) {
    SetHref("sub/x.html?q=1#f");
    const KxwDomHtmlPropertyStr& rtAbsolute = _tUrl.GetAbsoluteUrl();
    EXPECT_TRUE(rtAbsolute.IsSpecified());
    EXPECT_EQ("http://www.example.com/dir/sub/x.html?q=1#f", Dcs(rtAbsolute));
    EXPECT_EQ("sub/x.html?q=1#f", Dcs(_tUrl)) << "the value as written stays";
    EXPECT_EQ("http:", Dcs(_tUrl.GetProtocol()));
    EXPECT_EQ("www.example.com", Dcs(_tUrl.GetHostName()));
    EXPECT_EQ("80", Dcs(_tUrl.GetPort()));
    EXPECT_EQ("www.example.com:80", Dcs(_tUrl.GetHost()));
    EXPECT_EQ("dir/sub/x.html", Dcs(_tUrl.GetPathName()));
    EXPECT_EQ("?q=1", Dcs(_tUrl.GetSearch()));

    // Parts are cached until the value changes.
    int iAsked = _tBase._iAsked;
    _tUrl.GetAbsoluteUrl();
    _tUrl.GetSearch();
    EXPECT_EQ(iAsked, _tBase._iAsked);
    SetHref("https://other.example:8443/");
    EXPECT_EQ("https:", Dcs(_tUrl.GetProtocol()));
    EXPECT_EQ("other.example:8443", Dcs(_tUrl.GetHost()));
    EXPECT_FALSE(_tUrl.GetPathName().IsSpecified()) << "a path of a single slash gives no path name";
    EXPECT_FALSE(_tUrl.GetSearch().IsSpecified());
    EXPECT_EQ("", Dcs(_tUrl.GetSearch())) << "an absent part holds no stale text";

    // The node's base changed: the node tells the property.
    SetHref("rel.html");
    EXPECT_EQ("http://www.example.com/dir/rel.html", Dcs(_tUrl.GetAbsoluteUrl()));
    _tBase._dsBase = "http://new.example/";
    _tUrl.ClearCaches();
    EXPECT_EQ("http://new.example/rel.html", Dcs(_tUrl.GetAbsoluteUrl()));
}

TEST_F(KxwDomHtmlPropertyUrlTest, AbsoluteAndUnspecifiedUrls) {
    EXPECT_FALSE(_tUrl.GetAbsoluteUrl().IsSpecified());
    EXPECT_FALSE(_tUrl.GetProtocol().IsSpecified());
    EXPECT_FALSE(_tUrl.GetHost().IsSpecified());
    EXPECT_FALSE(_tUrl.GetPort().IsSpecified());
    EXPECT_EQ(0, _tBase._iAsked) << "nothing is worked out for an unspecified property";

    SetHref("mailto:someone@example.com");
    EXPECT_EQ(&_tUrl, &_tUrl.GetAbsoluteUrl()) << "a URL with a scheme is returned as written";
    EXPECT_EQ("mailto:", Dcs(_tUrl.GetProtocol()));
    EXPECT_FALSE(_tUrl.GetHostName().IsSpecified());
    EXPECT_FALSE(_tUrl.GetHost().IsSpecified());
    EXPECT_EQ(0, _tBase._iAsked);

    SetHref("http://a.example");
    EXPECT_FALSE(_tUrl.GetPathName().IsSpecified());
    EXPECT_EQ("a.example:80", Dcs(_tUrl.GetHost()));

    KxwDomPropertyInfo tInfo;
    tInfo.AssignNoValue();
    _tUrl = tInfo;
    EXPECT_FALSE(_tUrl.IsSpecified());
    EXPECT_FALSE(_tUrl.GetAbsoluteUrl().IsSpecified()) << "no value clears the cache too";
    tInfo.AssignU16nStr(u"/root.html", 10, false);
    _tUrl = tInfo;
    EXPECT_EQ("http://www.example.com/root.html", Dcs(_tUrl.GetAbsoluteUrl()));
}

TEST_F(KxwDomHtmlPropertyUrlTest, LongUrlsAreNeverCut) {
    std::string dsName(3000, 'n');
    SetHref(dsName + ".html?" + std::string(600, 'q'));
    std::string dsExpected = "http://www.example.com/dir/" + dsName + ".html?" + std::string(600, 'q');
    EXPECT_EQ(dsExpected, Dcs(_tUrl.GetAbsoluteUrl()));
    EXPECT_EQ("dir/" + dsName + ".html", Dcs(_tUrl.GetPathName()));

    std::string dsHost(1500, 'h');
    SetHref("http://" + dsHost + ":81/");
    EXPECT_EQ(dsHost + ":81", Dcs(_tUrl.GetHost()));
}

TEST_F(KxwDomHtmlPropertyUrlTest, UnresolvableUrlIsReported) {
    KxwRecordingSink tSink;
    KxwDomHtmlPropertyUrl tOrphan(_tEnv, nullptr);
    tOrphan.SetDcs("rel.html", 8);
    EXPECT_FALSE(tOrphan.GetAbsoluteUrl().IsSpecified());
    EXPECT_EQ("", Dcs(tOrphan.GetAbsoluteUrl()));
    EXPECT_TRUE(
        tSink.Saw("Failed to combine URL (rel.html) with BASE (NULL) in KxwDomHtmlPropertyUrl::GetAbsoluteUrl"));
    EXPECT_FALSE(tOrphan.GetProtocol().IsSpecified());
    EXPECT_TRUE(
        tSink.Saw("xfeKxwiUrlDetectUriScheme() returned KXWI_URL_SCHEME_UNSPECIFIED in "
                  "KxwDomHtmlPropertyUrl::GetProtocol."));
    tOrphan.SetSearch(u"a=1", 3);
    EXPECT_EQ("rel.html", Dcs(tOrphan)) << "nothing to rebuild without an absolute URL";

    tOrphan.SetBaseUrlSource(&_tBase);
    EXPECT_EQ("http://www.example.com/dir/rel.html", Dcs(tOrphan.GetAbsoluteUrl()));
}

TEST_F(KxwDomHtmlPropertyUrlTest, ChangingAPartRebuildsTheUrl) {
    SetHref("http://user@www.example.com/dir/p.html?a=1#top");
    _tUrl.SetSearch(u"b=%41", 5);
    EXPECT_EQ("http://user@www.example.com:80/dir/p.html?b=A#top", Dcs(_tUrl.GetAbsoluteUrl()))
        << "unescaped as the emulated Internet Explorer shows it; the user and the fragment stay";
    EXPECT_EQ("?b=A", Dcs(_tUrl.GetSearch()));
    EXPECT_EQ("http://user@www.example.com/dir/p.html?a=1#top", Dcs(_tUrl)) << "the value as written stays";

    _tUrl.SetHost(u"other.org:8080", 14);
    EXPECT_EQ("http://user@other.org:8080/dir/p.html?b=A#top", Dcs(_tUrl.GetAbsoluteUrl()));
    _tUrl.SetPortA(u"81", 2);
    EXPECT_EQ("other.org:81", Dcs(_tUrl.GetHost()));
    _tUrl.SetHost(u"[::1]", 5);
    EXPECT_EQ("[::1]:81", Dcs(_tUrl.GetHost())) << "the colons of an IPv6 host are not a port";
    _tUrl.SetProtocol(u"https//", 7);
    EXPECT_EQ("https://user@[::1]:81/dir/p.html?b=A#top", Dcs(_tUrl.GetAbsoluteUrl()));
    _tUrl.SetSearch(u"?c", 2);
    EXPECT_EQ("?c", Dcs(_tUrl.GetSearch()));
    _tUrl.SetSearch(u"", 0);
    EXPECT_EQ("https://user@[::1]:81/dir/p.html#top", Dcs(_tUrl.GetAbsoluteUrl()));

    SetHref("rel.html");
    EXPECT_EQ("http://www.example.com/dir/rel.html", Dcs(_tUrl.GetAbsoluteUrl())) << "a new value drops the change";

    KxwDomHtmlPropertyUrl tUnset(_tEnv, &_tBase);
    tUnset.SetSearch(u"x", 1);
    EXPECT_FALSE(tUnset.GetAbsoluteUrl().IsSpecified());
    EXPECT_FALSE(tUnset.IsSpecified());
}

TEST_F(KxwDomHtmlPropertyUrlTest, NetscapeKeepsTheUrlEscaped) {
    KxwVUserVars tVUser;
    KxwObjMgr tObjMgr(&tVUser);
    tVUser.GetRTS().SetBrowserMajorType(KXWI_BROWSER_MAJOR_TYPE_NS);
    KxwVUserVarsThreadBinding tBinding(&tVUser);

    SetHref("http://www.example.com/p.html");
    _tUrl.SetSearch(u"b=%41", 5);
    EXPECT_EQ("http://www.example.com:80/p.html?b=%41", Dcs(_tUrl.GetAbsoluteUrl()));

    // Long texts are unescaped beyond the stack buffer as well.
    std::string dsLong = "http://x.example/" + std::string(5000, 'p') + "%41";
    _tUrl.SetAbsoluteUrlAndUnescapeIfIE(dsLong.data(), static_cast<unsigned>(dsLong.size()));
    EXPECT_EQ(dsLong, Dcs(_tUrl.GetAbsoluteUrl()));
    tVUser.GetRTS().SetBrowserMajorType(KXWI_BROWSER_MAJOR_TYPE_IE);
    _tUrl.SetAbsoluteUrlAndUnescapeIfIE(dsLong.data(), static_cast<unsigned>(dsLong.size()));
    EXPECT_EQ("http://x.example/" + std::string(5000, 'p') + "A", Dcs(_tUrl.GetAbsoluteUrl()));
}
