// The parts of the applet bridge that need no Java VM: the ids the Java side holds, the OBJECT class ids that make
// an applet, and the member type words. The bridge with a VM is tested end to end (tests/e2e/applet_*.steps).
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "KxwDomHtmlElementObject.h"
#include "KxwDomJavaHandles.h"
#include "KxwDomJavaValues.h"
#include "KxwDomJavaVm.h"
#include "KxwUtilReport.h"

namespace {

using Kind = KxwDomJavaHandleKind;

TEST(KxwDomJavaHandlesTest, AnIdNamesItsObjectWhileItLivesAndNeverAfter) {
    int iApplet = 0, iOther = 0;
    uint64_t uId = KxwDomJavaHandles::Register(Kind::kApplet, &iApplet, &iApplet);
    ASSERT_NE(0u, uId);
    EXPECT_EQ(&iApplet, KxwDomJavaHandles::Find(uId, Kind::kApplet));
    const char* pszWhy = nullptr;
    EXPECT_EQ(nullptr, KxwDomJavaHandles::Find(uId, Kind::kScriptObject, &pszWhy)) << "another kind";
    EXPECT_STREQ("the object is of another kind", pszWhy);
    KxwDomJavaHandles::Unregister(uId);
    EXPECT_EQ(nullptr, KxwDomJavaHandles::Find(uId, Kind::kApplet, &pszWhy));
    EXPECT_STREQ("the object is gone", pszWhy);
    // The slot is used again, with another generation: the old id still finds nothing.
    uint64_t uNext = KxwDomJavaHandles::Register(Kind::kApplet, &iOther, &iOther);
    EXPECT_NE(uId, uNext);
    EXPECT_EQ(nullptr, KxwDomJavaHandles::Find(uId, Kind::kApplet));
    EXPECT_EQ(&iOther, KxwDomJavaHandles::Find(uNext, Kind::kApplet));
    KxwDomJavaHandles::Unregister(uNext);
    KxwDomJavaHandles::Unregister(uNext);  // twice: nothing
}

TEST(KxwDomJavaHandlesTest, MadeUpIdsAndOtherThreadsFindNothing) {
    int iApplet = 0;
    uint64_t uId = KxwDomJavaHandles::Register(Kind::kApplet, &iApplet, &iApplet);
    for (uint64_t uMadeUp : {uint64_t{0}, uint64_t{1}, uId + 1, uId ^ (uint64_t{1} << 40), ~uint64_t{0}}) {
        const char* pszWhy = nullptr;
        EXPECT_EQ(nullptr, KxwDomJavaHandles::Find(uMadeUp, Kind::kApplet, &pszWhy)) << uMadeUp;
        EXPECT_NE(nullptr, pszWhy);
    }
    // A Java thread of another virtual user calls back with this user's id.
    void* pvFound = &iApplet;
    std::string dsWhy;
    std::thread([&] {
        const char* pszWhy = nullptr;
        pvFound = KxwDomJavaHandles::Find(uId, Kind::kApplet, &pszWhy);
        dsWhy = pszWhy ? pszWhy : "";
    }).join();
    EXPECT_EQ(nullptr, pvFound);
    EXPECT_EQ("the object belongs to another thread", dsWhy);
    EXPECT_EQ(1u, KxwDomJavaHandles::CountOf(&iApplet));
    KxwDomJavaHandles::Unregister(uId);
    EXPECT_EQ(0u, KxwDomJavaHandles::CountOf(&iApplet));
}

TEST(KxwDomJavaHandlesTest, ThreadsRegisteringAtOnceGetDistinctIds) {
    std::vector<std::vector<uint64_t>> tIds(4);
    std::vector<std::thread> tThreads;
    int iObject = 0;
    for (auto& rtIds : tIds)
        tThreads.emplace_back([&rtIds, &iObject] {
            for (int n = 0; n < 500; ++n)
                rtIds.push_back(KxwDomJavaHandles::Register(Kind::kScriptObject, &iObject, &rtIds));
            for (uint64_t uId : rtIds)
                if (KxwDomJavaHandles::Find(uId, Kind::kScriptObject) != &iObject) rtIds.clear();
            for (uint64_t uId : rtIds) KxwDomJavaHandles::Unregister(uId);
        });
    for (std::thread& rtThread : tThreads) rtThread.join();
    std::set<uint64_t> tAll;
    for (const auto& rtIds : tIds) {
        EXPECT_EQ(500u, rtIds.size()) << "each thread finds its own ids";
        tAll.insert(rtIds.begin(), rtIds.end());
    }
    EXPECT_EQ(2000u, tAll.size());
}

TEST(KxwDomJavaBridgeTest, TheJavaClassIdsMakeAnObjectAnApplet) {
    EXPECT_TRUE(KxwDomHtmlElementObject::IsAppletClassId(u"clsid:8AD9C840-044E-11D1-B3E9-00805F499D93"));
    EXPECT_TRUE(KxwDomHtmlElementObject::IsAppletClassId(u"CLSID:8ad9c840-044e-11d1-b3e9-00805f499d93"));
    EXPECT_TRUE(KxwDomHtmlElementObject::IsAppletClassId(u"clsid:CAFEEFAC-0017-0000-0045-ABCDEFFEDCBA"));
    EXPECT_TRUE(KxwDomHtmlElementObject::IsAppletClassId(u"clsid:cafeefac-FFFF-FFFF-FFFF-abcdeffedcba"));
    EXPECT_FALSE(KxwDomHtmlElementObject::IsAppletClassId(u"clsid:8AD9C840-044E-11D1-B3E9-00805F499D93X"));
    EXPECT_FALSE(KxwDomHtmlElementObject::IsAppletClassId(u"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000"));
    EXPECT_FALSE(KxwDomHtmlElementObject::IsAppletClassId(u"clsid:CAFEEFAC-0017-0000-0045"));
    // The prefix and the suffix may not share characters.
    EXPECT_FALSE(KxwDomHtmlElementObject::IsAppletClassId(u"clsid:CAFEEFAC-ABCDEFFEDCBA"));
    EXPECT_FALSE(KxwDomHtmlElementObject::IsAppletClassId(u""));
}

TEST(KxwDomJavaBridgeTest, AMethodsTypeWordEndsWithParentheses) {
    bool bMethod = true;
    EXPECT_EQ("int", xfdsKxwDomJavaMemberType("int", &bMethod));
    EXPECT_FALSE(bMethod);
    EXPECT_EQ("long", xfdsKxwDomJavaMemberType("long()", &bMethod));
    EXPECT_TRUE(bMethod);
    EXPECT_EQ("java.lang.String", xfdsKxwDomJavaMemberType("java.lang.String()", &bMethod));
    EXPECT_EQ("()", xfdsKxwDomJavaMemberType("()", &bMethod)) << "no type before the parentheses is no method";
    EXPECT_FALSE(bMethod);
}

// The severities a test lets through.
unsigned guEnabledLevels = 0;
bool EnabledLevel(KXW_WTL_SEV_LVL_ENUM meSevLvl) { return (guEnabledLevels >> meSevLvl) & 1u; }

TEST(KxwDomJavaBridgeTest, TheJavaSideLogsAsMuchAsTheHostLetsThrough) {
    KxwWtlSevFilterFunc pfSaved = xfpfKxwUtilGetSevFilter();
    KxwWtlMessageSinkFunc pfSavedSink = xfpfKxwUtilGetMessageSink();
    xfvKxwUtilSetWtlFuncs(&EnabledLevel, pfSavedSink);
    guEnabledLevels = (1u << 2) | (1u << 3);
    EXPECT_EQ(2, xfiKxwDomJavaLogLevel()) << "severities 2 and 3";
    guEnabledLevels = 1u << 1;
    EXPECT_EQ(3, xfiKxwDomJavaLogLevel());
    guEnabledLevels = 1u << 3;
    EXPECT_EQ(1, xfiKxwDomJavaLogLevel());
    guEnabledLevels = 1u << 5;
    EXPECT_EQ(0, xfiKxwDomJavaLogLevel());
    xfvKxwUtilSetWtlFuncs(pfSaved, pfSavedSink);
}

}  // namespace
