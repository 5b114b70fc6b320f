// The container a window's controls are sited in: one per window, shared by its controls; every call a control makes on
// it is refused, reported once per name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KxwAutomationRegistry.h"
#include "KxwBrowsingFixture.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomSiteForActiveX.h"
#include "KxwUtilReport.h"
#include "kxw/KxwObjMgr.h"

namespace {

std::vector<std::string> gtReports;

class ReportCapture {
public:
    ReportCapture() : _pfFilter(xfpfKxwUtilGetSevFilter()), _pfSink(xfpfKxwUtilGetMessageSink()) {
        gtReports.clear();
        xfvKxwUtilSetWtlFuncs(_pfFilter, [](KXW_WTL_SEV_LVL_ENUM, int, const char* mpszText, const char*, int) {
            gtReports.push_back(mpszText ? mpszText : "");
        });
    }
    ~ReportCapture() { xfvKxwUtilSetWtlFuncs(_pfFilter, _pfSink); }
    static int Count(const std::string& mrdsText) {
        int iCount = 0;
        for (const std::string& rdsReport : gtReports)
            if (rdsReport.find(mrdsText) != std::string::npos) ++iCount;
        return iCount;
    }

private:
    KxwWtlSevFilterFunc _pfFilter;
    KxwWtlMessageSinkFunc _pfSink;
};

// A control that keeps its container and calls it when a script asks.
class SiteProbe : public KxwAutomation {
public:
    static KxwAutomation* Create() { return new SiteProbe(); }
    static constexpr const char* kszClassId = "{6B7A1E52-3C44-4F0D-9A1B-5E2C7D8F9A01}";
    static std::vector<KxwAutomation*>& Sites() {
        static std::vector<KxwAutomation*> s_tSites;
        return s_tSites;
    }

    const char* GetInterfaceName() const override { return "ISiteProbe"; }
    bool FindMember(const char* mpszName, KxwAutoMember& mrtMember) override {
        if (!xfbKxwAutoNameEquals(mpszName, "askContainer")) return false;
        mrtMember._iId = 0;
        mrtMember._eKind = KXW_AUTO_MEMBER_METHOD;
        return true;
    }
    KxwAutoResult Get(int32_t, KxwAutoValue&) override { return KXW_AUTO_E_MEMBERNOTFOUND; }
    KxwAutoResult Put(int32_t, const KxwAutoValue&) override { return KXW_AUTO_E_MEMBERNOTFOUND; }
    KxwAutoResult Call(int32_t miId, const KxwAutoArgs&, KxwAutoValue& mrtResult) override {
        if (miId != 0) return KXW_AUTO_E_MEMBERNOTFOUND;
        KxwAutoMember tMember;
        KxwAutoValue tIgnored;
        bool bFound = _tSite && _tSite->FindMember("get_body", tMember);
        KxwAutoResult lResult = bFound ? _tSite->Call(tMember._iId, {}, tIgnored) : KXW_AUTO_E_MEMBERNOTFOUND;
        mrtResult = KxwAutoValue::Int(lResult == KXW_AUTO_E_NOTIMPL ? 1 : 0);
        return KXW_AUTO_S_OK;
    }
    void SetClientSite(KxwAutomation* mptSite) override {
        _tSite = KxwAutoRef<KxwAutomation>(mptSite);
        Sites().push_back(mptSite);
    }

private:
    KxwAutoRef<KxwAutomation> _tSite;
};

const char* const kapszProbeNames[] = {"Kxw.SiteProbe", nullptr};

}  // namespace

TEST(KxwDomSiteForActiveXTest, EveryCallIsRefusedAndReportedOncePerName) {
    ReportCapture tCapture;
    KxwAutoRef<KxwDomSiteForActiveX> tSite = KxwDomSiteForActiveX::Create();
    KxwAutoMember tBody, tBodyAgain, tCookie;
    ASSERT_TRUE(tSite->FindMember("get_body", tBody));
    ASSERT_TRUE(tSite->FindMember("GET_BODY", tBodyAgain));
    ASSERT_TRUE(tSite->FindMember("get_cookie", tCookie));
    EXPECT_EQ(tBody._iId, tBodyAgain._iId);
    EXPECT_NE(tBody._iId, tCookie._iId);
    KxwAutoValue tResult = KxwAutoValue::Int(7);
    EXPECT_EQ(KXW_AUTO_E_NOTIMPL, tSite->Call(tBody._iId, {}, tResult));
    EXPECT_TRUE(tResult.IsNullOrEmpty());
    EXPECT_EQ(KXW_AUTO_E_NOTIMPL, tSite->Get(tBody._iId, tResult));
    EXPECT_EQ(KXW_AUTO_E_NOTIMPL, tSite->Put(tCookie._iId, KxwAutoValue::Int(1)));
    EXPECT_EQ("calling method get_cookie in class KxwDomSiteForActiveX is not implemented",
              tSite->GetErrorDescription());
    EXPECT_EQ(1, ReportCapture::Count("calling method get_body in class KxwDomSiteForActiveX is not implemented"));
    EXPECT_EQ(1, ReportCapture::Count("calling method get_cookie in class KxwDomSiteForActiveX is not implemented"));
    EXPECT_EQ(KXW_AUTO_E_MEMBERNOTFOUND, tSite->Call(-1, {}, tResult));
    // A control asking for ever new names cannot grow the site without end.
    KxwAutoMember tMember;
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(tSite->FindMember(("m" + std::to_string(i)).c_str(), tMember));
    EXPECT_LT(tMember._iId, 256);
    EXPECT_FALSE(tSite->FindMember(nullptr, tMember));
}

class KxwDomSiteForActiveXWindowTest : public KxwBrowsingFixture {};

TEST_F(KxwDomSiteForActiveXWindowTest, ControlsOfAWindowShareItsSite) {
    KxwAutomationRegistry::Register(KxwAutoClassInfo{SiteProbe::kszClassId, kapszProbeNames, &SiteProbe::Create});
    SiteProbe::Sites().clear();
    ReportCapture tCapture;
    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
    ASSERT_NE(nullptr, ptTop);
    LoadPage(ptTop, "http://h/controls.html");
    ASSERT_EQ("made", Eval(ptTop,
                           "var a = document.createElement('object'), b = document.createElement('object'); "
                           "a.classid = b.classid = 'clsid:6B7A1E52-3C44-4F0D-9A1B-5E2C7D8F9A01'; 'made'"));
    EXPECT_EQ("1 1", Eval(ptTop, "a.askContainer() + ' ' + b.askContainer()"));
    ASSERT_EQ(2u, SiteProbe::Sites().size());
    EXPECT_EQ(SiteProbe::Sites()[0], SiteProbe::Sites()[1]);
    EXPECT_EQ(ptTop->GetSiteForActiveX(), SiteProbe::Sites()[0]);
    EXPECT_EQ(1, ReportCapture::Count("calling method get_body in class KxwDomSiteForActiveX is not implemented"));
}
