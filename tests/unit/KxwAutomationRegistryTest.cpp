// The class registry: class ids parsed and written as the component model writes them, and only registered
// classes made, whatever a page names.
#include <gtest/gtest.h>

#include <cstring>

#include "KxwAutoDictionary.h"
#include "KxwAutomationRegistry.h"

namespace {

KxwAutoResult CreateId(const char* mpszText, KxwAutoRef<KxwAutomation>& mrtResult) {
    return KxwAutomationRegistry::CreateByClassId(mpszText, std::strlen(mpszText), mrtResult);
}

}  // namespace

TEST(KxwAutomationRegistryTest, ClassIdsParseInEveryFormAndWriteCanonically) {
    KxwGuid tId;
    const char kszLower[] = "{ee09b103-97e0-11cf-978f-00a02463e0fa}";
    ASSERT_TRUE(KxwGuid::Parse(kszLower, sizeof kszLower - 1, tId));
    EXPECT_EQ("{EE09B103-97E0-11CF-978F-00A02463E0FA}", tId.Format());
    KxwGuid tBare;
    const char kszBare[] = "EE09B103-97E0-11CF-978F-00A02463E0FA";
    ASSERT_TRUE(KxwGuid::Parse(kszBare, sizeof kszBare - 1, tBare));
    EXPECT_TRUE(tId == tBare);
    for (const char* pszBad : {"", "{EE09B103-97E0-11CF-978F-00A02463E0FA", "EE09B103-97E0-11CF-978F-00A02463E0F",
                               "EE09B103_97E0-11CF-978F-00A02463E0FA", "EE09B103-97E0-11CF-978F-00A02463E0FG",
                               "{EE09B103-97E0-11CF-978F-00A02463E0FA}x"}) {
        KxwGuid tIgnored;
        EXPECT_FALSE(KxwGuid::Parse(pszBad, std::strlen(pszBad), tIgnored)) << pszBad;
    }
}

TEST(KxwAutomationRegistryTest, OnlyRegisteredClassesAreMade) {
    KxwAutomationRegistry::Register(
        KxwAutoClassInfo{KxwAutoDictionary::kszClassId, KxwAutoDictionary::kapszProgIds, &KxwAutoDictionary::Create});
    KxwAutoRef<KxwAutomation> tObject;
    EXPECT_EQ(KXW_AUTO_S_OK, CreateId("clsid:ee09b103-97e0-11cf-978f-00a02463e0fa", tObject));
    ASSERT_TRUE(tObject);
    EXPECT_STREQ("IDictionary", tObject->GetInterfaceName());
    KxwAutoRef<KxwAutomation> tByName;
    EXPECT_EQ(KXW_AUTO_S_OK, KxwAutomationRegistry::CreateByProgId("SCRIPTING.dictionary", 20, tByName));
    EXPECT_TRUE(tByName && tByName.Get() != tObject.Get());

    KxwAutoRef<KxwAutomation> tNone;
    EXPECT_EQ(KXW_AUTO_E_CLASSNOTREG, CreateId("clsid:0D43FE01-F093-11CF-8940-00A0C9054228", tNone));
    EXPECT_EQ(KXW_AUTO_E_SYNTAX, CreateId("clsid:../../etc/passwd", tNone));
    EXPECT_EQ(KXW_AUTO_E_CLASSNOTREG, KxwAutomationRegistry::CreateByProgId("Scripting.Dictionary2", 21, tNone));
    EXPECT_EQ(KXW_AUTO_E_CLASSNOTREG, KxwAutomationRegistry::CreateByProgId("Scripting.Dictionar", 19, tNone));
    EXPECT_FALSE(tNone);
}

TEST(KxwAutomationRegistryTest, ValuesConvertAsScriptsDo) {
    std::string dsText;
    EXPECT_TRUE(KxwAutoValue::Double(0.1).ToUtf8(dsText));
    EXPECT_EQ("0.1", dsText);
    EXPECT_TRUE(KxwAutoValue::Double(-3).ToUtf8(dsText));
    EXPECT_EQ("-3", dsText);
    int32_t i = 0;
    EXPECT_TRUE(KxwAutoValue::Utf8(" 42 ").ToInt(i));
    EXPECT_EQ(42, i);
    EXPECT_FALSE(KxwAutoValue::Utf8("4x").ToInt(i));
    EXPECT_FALSE(KxwAutoValue::Double(1e300).ToInt(i));
    EXPECT_TRUE(KxwAutoValue::Utf8("").ToBool() == false && KxwAutoValue::Utf8("0").ToBool());
}
