#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KxwPlayOptions.h"

namespace {

KXW_PLAY_OPTIONS_RESULT_ENUM Parse(std::vector<const char*> mtArgs, KxwPlayOptions* mptOptions,
                                   std::string* mpdsError = nullptr) {
    mtArgs.insert(mtArgs.begin(), "kxwplay");
    std::string dsError;
    KXW_PLAY_OPTIONS_RESULT_ENUM eResult =
        xfeKxwPlayParseOptions(static_cast<int>(mtArgs.size()), mtArgs.data(), mptOptions, &dsError);
    if (mpdsError) *mpdsError = dsError;
    return eResult;
}

}  // namespace

TEST(KxwPlayOptions, DefaultsAndEveryOption) {
    KxwPlayOptions tOptions;
    ASSERT_EQ(KXW_PLAY_OPTIONS_RUN, Parse({"a.steps"}, &tOptions));
    EXPECT_EQ("a.steps", tOptions._dsStepsFile);
    EXPECT_EQ(1, tOptions._iVUsers);
    EXPECT_EQ(1, tOptions._iIterations);
    EXPECT_EQ(KXWI_BROWSER_MAJOR_TYPE_IE, tOptions._eBrowser);
    EXPECT_FALSE(tOptions._bBrowserGiven);
    EXPECT_FALSE(tOptions._bSeedGiven);
    EXPECT_FALSE(tOptions._bQuiet);
    EXPECT_EQ("", tOptions.GetLogDir());  // one virtual user writes to standard output

    ASSERT_EQ(KXW_PLAY_OPTIONS_RUN,
              Parse({"-u", "4", "--iterations", "3", "-b", "ns", "-s", "snaps", "--output=logs", "--settings", "s.txt",
                     "--data", "d.csv", "--seed", "4294967295", "--trace", "t.log", "-q", "a.steps"},
                    &tOptions));
    EXPECT_EQ(4, tOptions._iVUsers);
    EXPECT_EQ(3, tOptions._iIterations);
    EXPECT_EQ(KXWI_BROWSER_MAJOR_TYPE_NS, tOptions._eBrowser);
    EXPECT_TRUE(tOptions._bBrowserGiven);
    EXPECT_EQ("snaps", tOptions._dsSnapshotDir);
    EXPECT_EQ("logs", tOptions.GetLogDir());
    EXPECT_EQ("s.txt", tOptions._dsSettingsFile);
    EXPECT_EQ("d.csv", tOptions._dsDataFile);
    EXPECT_TRUE(tOptions._bSeedGiven);
    EXPECT_EQ(4294967295u, tOptions._uSeed);
    EXPECT_EQ("t.log", tOptions._dsTraceFile);
    EXPECT_TRUE(tOptions._bQuiet);

    // Attached values, options after the file, and "--" before a file that looks like an option.
    ASSERT_EQ(KXW_PLAY_OPTIONS_RUN, Parse({"-u8", "--vusers=2", "--", "-odd.steps"}, &tOptions));
    EXPECT_EQ(2, tOptions._iVUsers);  // the last one given counts
    EXPECT_EQ("-odd.steps", tOptions._dsStepsFile);
    EXPECT_EQ(KxwPlayOptions::kOutputDirDefault, tOptions.GetLogDir());  // several users: log files by default
    ASSERT_EQ(KXW_PLAY_OPTIONS_RUN, Parse({"a.steps", "--browser", "ie", "-i", "1000000000"}, &tOptions));
    EXPECT_TRUE(tOptions._bBrowserGiven);
    EXPECT_EQ(KXWI_BROWSER_MAJOR_TYPE_IE, tOptions._eBrowser);
    EXPECT_EQ(KxwPlayOptions::kMaxIterations, tOptions._iIterations);
}

TEST(KxwPlayOptions, BadArgumentsAreRefusedWithTheirReason) {
    struct Case {
        std::vector<const char*> _tArgs;
        const char* _pszError;
    };
    const Case atCases[] = {
        {{}, "no steps file given"},
        {{"-q"}, "no steps file given"},
        {{"a.steps", "b.steps"}, "only one steps file"},
        {{"-u", "0", "a.steps"}, "--vusers must be a whole number from 1 to 10000, not \"0\""},
        {{"-u", "10001", "a.steps"}, "--vusers must be a whole number from 1 to 10000"},
        {{"-u", "-3", "a.steps"}, "--vusers must be a whole number"},
        {{"--vusers=", "a.steps"}, "--vusers must be a whole number"},
        {{"-i", "2x", "a.steps"}, "--iterations must be a whole number"},
        {{"-i", "99999999999999999999999", "a.steps"}, "--iterations must be a whole number"},
        {{"a.steps", "-u"}, "-u needs a value (N)"},
        {{"a.steps", "--data"}, "--data needs a value (FILE)"},
        {{"-b", "chrome", "a.steps"}, "--browser must be ie or ns, not \"chrome\""},
        {{"--seed", "4294967296", "a.steps"}, "--seed must be a whole number"},
        {{"--output", "", "a.steps"}, "--output must not be empty"},
        {{"--quiet=yes", "a.steps"}, "--quiet takes no value"},
        {{"-qv", "a.steps"}, "unknown option \"-qv\""},
        {{"--vuser", "2", "a.steps"}, "unknown option \"--vuser\""},
        {{"-x", "a.steps"}, "unknown option \"-x\""},
    };
    for (const Case& rtCase : atCases) {
        KxwPlayOptions tOptions;
        std::string dsError;
        EXPECT_EQ(KXW_PLAY_OPTIONS_BAD, Parse(rtCase._tArgs, &tOptions, &dsError)) << rtCase._pszError;
        EXPECT_NE(std::string::npos, dsError.find(rtCase._pszError)) << dsError;
    }
}

TEST(KxwPlayOptions, HelpAndVersionWinWhereverTheyStand) {
    KxwPlayOptions tOptions;
    EXPECT_EQ(KXW_PLAY_OPTIONS_HELP, Parse({"-h"}, &tOptions));
    EXPECT_EQ(KXW_PLAY_OPTIONS_HELP, Parse({"-u", "0", "--help"}, &tOptions));
    EXPECT_EQ(KXW_PLAY_OPTIONS_VERSION, Parse({"a.steps", "--version"}, &tOptions));
    // After "--" they are file names.
    EXPECT_EQ(KXW_PLAY_OPTIONS_RUN, Parse({"--", "--help"}, &tOptions));
    EXPECT_EQ("--help", tOptions._dsStepsFile);

    EXPECT_EQ(0u, xfdsKxwPlayVersionText().find("kxwplay "));
    std::string dsHelp = xfdsKxwPlayHelpText();
    for (const char* pszText :
         {"Usage: kxwplay [options] STEPS_FILE", "-u, --vusers N", "-i, --iterations N", "-b, --browser ie|ns",
          "-s, --snapshots DIR", "-o, --output DIR", "--settings FILE", "--data FILE", "--seed N", "--trace FILE",
          "-q, --quiet", "--version", "-h, --help", " goto eval expect link", " dump\n"})
        EXPECT_NE(std::string::npos, dsHelp.find(pszText)) << pszText;
    // Every run-time setting is listed by name with its default.
    KxwiRunTimeSettings tDefaults;
    size_t nSettings = 0;
    tDefaults.ForEachSetting([&](const char* mpszName, const std::string& mdsValue, const char*, const char*) {
        ++nSettings;
        EXPECT_NE(std::string::npos, dsHelp.find(std::string("  ") + mpszName + " [" + mdsValue + "]")) << mpszName;
    });
    EXPECT_EQ(KxwiRunTimeSettings::GetSettingCount(), nSettings);
    EXPECT_NE(std::string::npos, dsHelp.find("script_time_limit_ms"));
}
