#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "KxwUtilReport.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

std::string ValueOf(const KxwiRunTimeSettings& mrtSettings, const char* mpszName) {
    std::string dsValue;
    EXPECT_TRUE(mrtSettings.GetByName(mpszName, &dsValue)) << mpszName;
    return dsValue;
}

std::vector<std::string> gtCaptured;
void CaptureSink(KXW_WTL_SEV_LVL_ENUM meSevLvl, int, const char* mpszText, const char*, int) {
    if (meSevLvl == KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR) gtCaptured.push_back(mpszText ? mpszText : "");
}

// Collects internal errors for one test and restores the default reporting afterwards.
class CapturedReports {
public:
    CapturedReports() {
        gtCaptured.clear();
        xfvKxwUtilSetWtlFuncs(nullptr, &CaptureSink);
    }
    ~CapturedReports() { xfvKxwUtilSetWtlFuncs(nullptr, nullptr); }
    CapturedReports(const CapturedReports&) = delete;
    CapturedReports& operator=(const CapturedReports&) = delete;
};

bool Load(KxwiRunTimeSettings& mrtSettings, const std::string& mdsText, std::string* mpdsError) {
    return mrtSettings.LoadFromText(mdsText.data(), mdsText.size(), mpdsError);
}

}  // namespace

TEST(KxwiRunTimeSettings, DefaultsAreThoseAVirtualUserStartsWith) {
    KxwiRunTimeSettings tRts;
    EXPECT_EQ(tRts.GetBrowserMajorType(), KXWI_BROWSER_MAJOR_TYPE_IE);
    EXPECT_STREQ(tRts.GetActualBrowserIdString(), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)");
    EXPECT_EQ(tRts.GetHistorySupport(), KXWI_RTS_HISTORY_SUPPORT_AUTO);
    EXPECT_EQ(tRts.GetReparseWhenMetaChangesCharset(), KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_AUTO);
    EXPECT_STREQ(tRts.GetReparseWhenMetaChangesCharsetString(), "Auto");
    EXPECT_TRUE(tRts.GetFailOnJavaScriptError());
    EXPECT_FALSE(tRts.GetOracleWebApplications());
    EXPECT_FALSE(tRts.GetSapWebApplications());
    EXPECT_FALSE(tRts.GetAsyncClickAndScript());
    EXPECT_EQ(tRts.GetMemBlockSize(), 16384u);
    EXPECT_EQ(tRts.GetMemBlockCount(), 100u);
    EXPECT_EQ(tRts.GetStrMemBlockSize(), 16384u);
    EXPECT_EQ(tRts.GetSetIntervalTimeoutAfterEndBehavior(), REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ONCE);
    EXPECT_EQ(tRts.GetScreenWidth(), 1024);
    EXPECT_EQ(tRts.GetScreenAvailHeight(), 768);
    EXPECT_EQ(tRts.GetScreenColorDepth(), 32);
    EXPECT_STREQ(tRts.GetHomePage(), "about:blank");
    EXPECT_TRUE(tRts.GetDefaultDivStyleHeight().empty());
    EXPECT_FALSE(tRts.GetJavaAppletsEnabled());
    // Every setting is reachable by name and lists its value, allowed values and help.
    std::set<std::string> tNames;
    tRts.ForEachSetting(
        [&](const char* mpszName, const std::string& mdsValue, const char* mpszAllowed, const char* mpszHelp) {
            EXPECT_TRUE(tNames.insert(mpszName).second) << "duplicate " << mpszName;
            EXPECT_EQ(ValueOf(tRts, mpszName), mdsValue);
            EXPECT_GT(std::strlen(mpszAllowed), 0u) << mpszName;
            EXPECT_GT(std::strlen(mpszHelp), 0u) << mpszName;
        });
    EXPECT_EQ(tNames.size(), KxwiRunTimeSettings::GetSettingCount());
    EXPECT_GE(tNames.size(), 50u);
}

TEST(KxwiRunTimeSettings, TypedSettersStoreOrRefuse) {
    KxwiRunTimeSettings tRts;
    EXPECT_TRUE(tRts.SetBrowserMajorType(KXWI_BROWSER_MAJOR_TYPE_NS));
    EXPECT_EQ(std::strncmp(tRts.GetActualBrowserIdString(), "Mozilla/5.0 ", 12), 0);
    EXPECT_NE(std::strstr(tRts.GetActualBrowserIdString(), "Netscape"), nullptr);
    EXPECT_TRUE(tRts.SetBrowserIdString("Custom/1.0"));
    EXPECT_STREQ(tRts.GetActualBrowserIdString(), "Custom/1.0");
    EXPECT_TRUE(tRts.SetBrowserIdString(""));
    EXPECT_NE(std::strstr(tRts.GetActualBrowserIdString(), "Netscape"), nullptr);

    CapturedReports tReports;
    EXPECT_FALSE(tRts.SetBrowserMajorType(static_cast<KXWI_BROWSER_MAJOR_TYPE_ENUM>(4)));
    EXPECT_FALSE(tRts.SetHistorySupport(static_cast<KXWI_RTS_HISTORY_SUPPORT_ENUM>(-1)));
    EXPECT_FALSE(tRts.SetMemBlockSize(100));
    EXPECT_FALSE(tRts.SetMaximumTimeout(KxwiRunTimeSettings::kMaxTimeoutSeconds + 1));
    EXPECT_FALSE(tRts.SetHistorySize(0));
    EXPECT_FALSE(tRts.SetHomePage(nullptr));
    EXPECT_FALSE(tRts.SetHomePage("http://a/\nb"));
    EXPECT_FALSE(tRts.SetBrowserIdString(std::string(KxwiRunTimeSettings::kMaxStringLen + 1, 'x').c_str()));
    ASSERT_EQ(gtCaptured.size(), 8u);
    EXPECT_NE(gtCaptured[0].find("KxwiRunTimeSettings::SetBrowserMajorType"), std::string::npos) << gtCaptured[0];
    EXPECT_NE(gtCaptured[2].find("Invalid value 100 (allowed 4096..16777216)"), std::string::npos) << gtCaptured[2];
    EXPECT_EQ(tRts.GetBrowserMajorType(), KXWI_BROWSER_MAJOR_TYPE_NS);
    EXPECT_EQ(tRts.GetHistorySupport(), KXWI_RTS_HISTORY_SUPPORT_AUTO);
    EXPECT_EQ(tRts.GetMemBlockSize(), 16384u);
    EXPECT_EQ(tRts.GetHistorySize(), 100);
    EXPECT_STREQ(tRts.GetHomePage(), "about:blank");

    // The largest timeout still gives its milliseconds without wrapping.
    EXPECT_TRUE(tRts.SetMaximumAccumulativeTimeout(KxwiRunTimeSettings::kMaxTimeoutSeconds));
    EXPECT_EQ(tRts.GetMaximumAccumulativeTimeoutMs(), 4294967000ull);
}

TEST(KxwiRunTimeSettings, ReparseAndHistoryAutoResolution) {
    KxwiRunTimeSettings tRts;
    EXPECT_TRUE(tRts.IsReparseWhenMetaChangesCharset(false));
    EXPECT_TRUE(tRts.IsReparseWhenMetaChangesCharset(true));
    tRts.SetReparseWhenMetaChangesCharset(KxwiRunTimeSettings::ResolveReparseWhenMetaChangesCharsetAuto(true, false));
    EXPECT_EQ(tRts.GetReparseWhenMetaChangesCharset(), KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_GET);
    EXPECT_STREQ(tRts.GetReparseWhenMetaChangesCharsetString(), "GET only");
    EXPECT_TRUE(tRts.IsReparseWhenMetaChangesCharset(false));
    EXPECT_FALSE(tRts.IsReparseWhenMetaChangesCharset(true));
    EXPECT_EQ(KxwiRunTimeSettings::ResolveReparseWhenMetaChangesCharsetAuto(true, true),
              KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_YES);
    EXPECT_EQ(KxwiRunTimeSettings::ResolveReparseWhenMetaChangesCharsetAuto(false, true),
              KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_POST);
    EXPECT_EQ(KxwiRunTimeSettings::ResolveReparseWhenMetaChangesCharsetAuto(false, false),
              KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_NO);
    tRts.SetReparseWhenMetaChangesCharset(KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_NO);
    EXPECT_FALSE(tRts.IsReparseWhenMetaChangesCharset(false));
    EXPECT_STREQ(tRts.GetHistorySupportString(), "Auto");
    tRts.SetHistorySupport(KXWI_RTS_HISTORY_SUPPORT_NO);
    EXPECT_STREQ(tRts.GetHistorySupportString(), "No");
}

TEST(KxwiRunTimeSettings, ByNameParsesEveryKind) {
    KxwiRunTimeSettings tRts;
    std::string dsError;
    // Booleans: every word, any case.
    const char* const kapszOn[] = {"on", "TRUE", "yes", "1"};
    const char* const kapszOff[] = {"off", "False", "NO", "0"};
    for (const char* pszWord : kapszOn) {
        tRts.SetSapWebApplications(false);
        EXPECT_TRUE(tRts.SetByName("sap_web_applications", pszWord, &dsError)) << pszWord << dsError;
        EXPECT_TRUE(tRts.GetSapWebApplications()) << pszWord;
    }
    for (const char* pszWord : kapszOff) {
        tRts.SetFailOnJavaScriptError(true);
        EXPECT_TRUE(tRts.SetByName("fail_on_javascript_error", pszWord, &dsError)) << pszWord << dsError;
        EXPECT_FALSE(tRts.GetFailOnJavaScriptError()) << pszWord;
    }
    // Enumerations by word and by number.
    EXPECT_TRUE(tRts.SetByName("browser_major_type", "ns", &dsError));
    EXPECT_EQ(tRts.GetBrowserMajorType(), KXWI_BROWSER_MAJOR_TYPE_NS);
    EXPECT_TRUE(tRts.SetByName("browser_major_type", "2", &dsError));
    EXPECT_EQ(tRts.GetBrowserMajorType(), KXWI_BROWSER_MAJOR_TYPE_IE);
    EXPECT_TRUE(tRts.SetByName("history_support", "No", &dsError));
    EXPECT_EQ(tRts.GetHistorySupport(), KXWI_RTS_HISTORY_SUPPORT_NO);
    EXPECT_TRUE(tRts.SetByName("reparse_when_meta_changes_charset", "2", &dsError));
    EXPECT_EQ(tRts.GetReparseWhenMetaChangesCharset(), KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_POST);
    EXPECT_TRUE(tRts.SetByName("reestablish_setinterval_at_end_of_step", "always", &dsError));
    EXPECT_EQ(tRts.GetSetIntervalTimeoutAfterEndBehavior(), REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ALWAYS);
    EXPECT_EQ(ValueOf(tRts, "reparse_when_meta_changes_charset"), "post");
    // Numbers, signed and unsigned, at their limits.
    EXPECT_TRUE(tRts.SetByName("mem_block_size", "4096", &dsError));
    EXPECT_EQ(tRts.GetMemBlockSize(), 4096u);
    EXPECT_TRUE(tRts.SetByName("max_timeout", "+4294967", &dsError));
    EXPECT_EQ(tRts.GetMaximumTimeout(), 4294967u);
    EXPECT_TRUE(tRts.SetByName("java_global_init_number", "-2147483648", &dsError));
    EXPECT_EQ(tRts.GetJavaGlobalInitNumber(), INT32_MIN);
    // Strings keep what they are given.
    EXPECT_TRUE(tRts.SetByName("home_page_url", "http://host/start#top", &dsError));
    EXPECT_STREQ(tRts.GetHomePage(), "http://host/start#top");
    EXPECT_TRUE(tRts.SetByName("default_div_style_height", "", &dsError));
    EXPECT_TRUE(tRts.GetDefaultDivStyleHeight().empty());
}

TEST(KxwiRunTimeSettings, ByNameErrorsLeaveTheValueAndSayWhy) {
    KxwiRunTimeSettings tRts;
    std::string dsError;
    EXPECT_FALSE(tRts.SetByName("no_such_setting", "1", &dsError));
    EXPECT_NE(dsError.find("unknown setting \"no_such_setting\""), std::string::npos) << dsError;

    struct BadCase {
        const char* _pszName;
        const char* _pszValue;
        const char* _pszExpected;
    };
    const BadCase katCases[] = {
        {"sap_web_applications", "maybe", "bad value"},
        {"sap_web_applications", "2", "bad value"},
        {"browser_major_type", "4", "out of range"},
        {"browser_major_type", "opera", "bad value"},
        {"history_support", "-1", "out of range"},
        {"mem_block_count", "-1", "out of range"},  // must not wrap to a huge count
        {"mem_block_size", "4095", "out of range"},
        {"max_timeout", "4294968", "out of range"},
        {"screen_width", "99999999999999999999999", "out of range"},
        {"screen_width", "12px", "bad value"},
        {"screen_width", "", "bad value"},
        {"screen_width", "+", "bad value"},
    };
    for (const BadCase& rtCase : katCases) {
        std::string dsBefore = ValueOf(tRts, rtCase._pszName);
        dsError.clear();
        EXPECT_FALSE(tRts.SetByName(rtCase._pszName, rtCase._pszValue, &dsError)) << rtCase._pszValue;
        EXPECT_NE(dsError.find(std::string("setting \"") + rtCase._pszName + "\""), std::string::npos) << dsError;
        EXPECT_NE(dsError.find(rtCase._pszExpected), std::string::npos) << dsError;
        EXPECT_EQ(ValueOf(tRts, rtCase._pszName), dsBefore);
    }
    // Quoted text is made harmless: control bytes never reach the message.
    EXPECT_FALSE(tRts.SetByName("screen_width", "\x1b[2J", &dsError));
    EXPECT_EQ(dsError.find('\x1b'), std::string::npos);
    EXPECT_FALSE(tRts.SetByName("home_page_url", "http://a\tb", &dsError));
    EXPECT_STREQ(tRts.GetHomePage(), "about:blank");
    // Null arguments are reported, not followed.
    EXPECT_FALSE(tRts.SetByName(nullptr, "1", &dsError));
    EXPECT_FALSE(tRts.SetByName("history_size", nullptr, nullptr));
}

TEST(KxwiRunTimeSettings, LoadFromTextWithCommentsBlanksAndBadLines) {
    KxwiRunTimeSettings tRts;
    std::string dsError;
    const std::string kdsGood =
        "\xEF\xBB\xBF# settings for the checkout script\r\n"
        "\n"
        "   # an indented comment\n"
        "browser_major_type = ns\r\n"
        "\thistory_size=7  \n"
        "browser_id_string=\"  Agent/1.0 (spaced)  \"\n"
        "home_page_url=http://h/#frag\n"
        "max_accumulative_timeout=15";  // no final line break
    EXPECT_TRUE(Load(tRts, kdsGood, &dsError)) << dsError;
    EXPECT_EQ(tRts.GetBrowserMajorType(), KXWI_BROWSER_MAJOR_TYPE_NS);
    EXPECT_EQ(tRts.GetHistorySize(), 7);
    EXPECT_STREQ(tRts.GetActualBrowserIdString(), "  Agent/1.0 (spaced)  ");
    EXPECT_STREQ(tRts.GetHomePage(), "http://h/#frag");
    EXPECT_EQ(tRts.GetMaximumAccumulativeTimeout(), 15u);

    // A text with bad lines names each one and changes nothing, not even its good lines.
    const std::string kdsBad =
        "history_size=9\n"
        "# fine\n"
        "colour=blue\n"
        "just some words\n"
        "history_support=sometimes\n"
        "=5\n";
    EXPECT_FALSE(Load(tRts, kdsBad, &dsError));
    EXPECT_NE(dsError.find("line 3: unknown setting \"colour\""), std::string::npos) << dsError;
    EXPECT_NE(dsError.find("line 4: expected name=value"), std::string::npos) << dsError;
    EXPECT_NE(dsError.find("line 5: setting \"history_support\": bad value \"sometimes\""), std::string::npos)
        << dsError;
    EXPECT_NE(dsError.find("line 6: missing setting name"), std::string::npos) << dsError;
    EXPECT_EQ(tRts.GetHistorySize(), 7);
    EXPECT_EQ(tRts.GetHistorySupport(), KXWI_RTS_HISTORY_SUPPORT_AUTO);

    // A NUL byte inside a value is refused rather than cutting the value short.
    const std::string kdsNul("home_page_url=http://a\0b\n", 25);
    EXPECT_FALSE(Load(tRts, kdsNul, &dsError));
    EXPECT_NE(dsError.find("line 1:"), std::string::npos) << dsError;
    EXPECT_STREQ(tRts.GetHomePage(), "http://h/#frag");
    EXPECT_TRUE(Load(tRts, "", &dsError));
    EXPECT_FALSE(tRts.LoadFromText(nullptr, 5, &dsError));
}

TEST(KxwiRunTimeSettings, LoadFromFileNamesTheFile) {
    char acPath[] = "/tmp/kxwi_rts_test_XXXXXX";
    int iFd = mkstemp(acPath);
    ASSERT_GE(iFd, 0);
    const char kszText[] = "# file\nmem_block_count=7\nstr_mem_block_size=32768\n";
    ASSERT_EQ(write(iFd, kszText, sizeof(kszText) - 1), static_cast<ssize_t>(sizeof(kszText) - 1));
    close(iFd);
    KxwiRunTimeSettings tRts;
    std::string dsError;
    EXPECT_TRUE(tRts.LoadFromFile(acPath, &dsError)) << dsError;
    EXPECT_EQ(tRts.GetMemBlockCount(), 7u);
    EXPECT_EQ(tRts.GetStrMemBlockSize(), 32768u);

    FILE* ptFile = std::fopen(acPath, "w");
    ASSERT_NE(ptFile, nullptr);
    std::fputs("mem_block_count=8\nmem_block_size=1\n", ptFile);
    std::fclose(ptFile);
    EXPECT_FALSE(tRts.LoadFromFile(acPath, &dsError));
    EXPECT_EQ(dsError.rfind(std::string(acPath) + ": line 2: setting \"mem_block_size\"", 0), 0u) << dsError;
    EXPECT_EQ(tRts.GetMemBlockCount(), 7u);
    std::remove(acPath);

    EXPECT_FALSE(tRts.LoadFromFile(acPath, &dsError));
    EXPECT_NE(dsError.find("cannot open settings file"), std::string::npos) << dsError;
    EXPECT_FALSE(tRts.LoadFromFile("/tmp", &dsError));
    EXPECT_NE(dsError.find("cannot read settings file"), std::string::npos) << dsError;
}

TEST(KxwiRunTimeSettings, TextFormRoundTripsAndCopiesAreIndependent) {
    KxwiRunTimeSettings tRts;
    tRts.SetBrowserMajorType(KXWI_BROWSER_MAJOR_TYPE_NS);
    tRts.SetBrowserIdString(" lead and trail ");
    tRts.SetDefaultStyleHeight("\"quoted\"");
    tRts.SetHistorySupport(KXWI_RTS_HISTORY_SUPPORT_YES);
    tRts.SetMemBlockCount(0);
    tRts.SetJavaGlobalInitNumber(-5);
    tRts.SetSnapshotHighlight(true);
    std::string dsText = tRts.ToText();
    KxwiRunTimeSettings tLoaded;
    std::string dsError;
    EXPECT_TRUE(Load(tLoaded, dsText, &dsError)) << dsError;
    EXPECT_EQ(tLoaded.ToText(), dsText);
    EXPECT_EQ(tLoaded.GetBrowserIdString(), " lead and trail ");
    EXPECT_EQ(tLoaded.GetDefaultStyleHeight(), "\"quoted\"");
    EXPECT_EQ(tLoaded.GetJavaGlobalInitNumber(), -5);

    // The engine copies the initial settings into every virtual user; a copy must not share state.
    KxwiRunTimeSettings tCopy(tLoaded);
    tCopy.SetBrowserIdString("Other/2.0");
    tCopy.SetHistorySupport(KXWI_RTS_HISTORY_SUPPORT_NO);
    EXPECT_STREQ(tLoaded.GetActualBrowserIdString(), " lead and trail ");
    EXPECT_EQ(tLoaded.GetHistorySupport(), KXWI_RTS_HISTORY_SUPPORT_YES);
    KxwiRunTimeSettings tAssigned;
    tAssigned = tCopy;
    EXPECT_STREQ(tAssigned.GetActualBrowserIdString(), "Other/2.0");
    tCopy.SetBrowserIdString("");
    EXPECT_STREQ(tAssigned.GetActualBrowserIdString(), "Other/2.0");
    EXPECT_NE(std::strstr(tCopy.GetActualBrowserIdString(), "Netscape"), nullptr);
}
