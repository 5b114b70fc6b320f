#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "KxwConfig.h"

namespace {

// A file of the test's own, removed when the test ends.
class TempIniFile {
public:
    explicit TempIniFile(const std::string& mdsText, const char* mpszSuffix = "") {
        _dsPath = ::testing::TempDir() + "kxw_config_test_" + std::to_string(getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + mpszSuffix + ".ini";
        FILE* ptFile = std::fopen(_dsPath.c_str(), "wb");
        if (ptFile) {
            std::fwrite(mdsText.data(), 1, mdsText.size(), ptFile);
            std::fclose(ptFile);
        }
    }
    ~TempIniFile() { std::remove(_dsPath.c_str()); }
    const char* Path() const { return _dsPath.c_str(); }

private:
    std::string _dsPath;
};

std::string ValueOrNull(const config* mptConfig, const char* mpszSection, const char* mpszName) {
    const char* pszValue = config_get_attrib_val(mptConfig, mpszSection, mpszName);
    return pszValue ? std::string("\"") + pszValue + "\"" : "null";
}

}  // namespace

TEST(KxwConfig, ReadsSectionsAttributesAndCommentsWithCrLf) {
    TempIniFile tFile(
        "\xEF\xBB\xBF; recorded layout\r\n"
        "[Step1]\r\n"
        "  0.DIV.0.style.width.1 =  120px \r\n"
        "# a comment\r\n"
        "0.DIV.0.style.top.1=url(a=b)\r\n"
        "empty=\r\n"
        "\r\n"
        "[ Step2 ]\n"
        "x=1\n");
    config* ptConfig = new_config();
    ASSERT_EQ(config_add_ini_file_source(ptConfig, tFile.Path()), 0);
    EXPECT_EQ(config_get_number_of_entries(ptConfig), 4);
    EXPECT_EQ(ValueOrNull(ptConfig, "Step1", "0.DIV.0.style.width.1"), "\"120px\"");
    // Names compare without regard to case; '=' after the first belongs to the value.
    EXPECT_EQ(ValueOrNull(ptConfig, "step1", "0.div.0.STYLE.top.1"), "\"url(a=b)\"");
    EXPECT_EQ(ValueOrNull(ptConfig, "Step1", "empty"), "\"\"");
    EXPECT_EQ(ValueOrNull(ptConfig, "Step2", "x"), "\"1\"");
    EXPECT_EQ(ValueOrNull(ptConfig, "Step2", "empty"), "null");
    EXPECT_EQ(ValueOrNull(ptConfig, "Step3", "x"), "null");
    EXPECT_TRUE(ptConfig->GetProblems().empty());
    delete_config(ptConfig);
}

TEST(KxwConfig, SkipsMalformedLinesAndSaysWhy) {
    std::string dsText =
        "[Good]\n"
        "no equal sign here\n"
        "=value without a name\n"
        "a=1\n"
        "[Broken section\n"
        "b=2\n"
        "[Next]\n"
        "c=3\n";
    dsText += std::string("nul=x\0y\n", 8);
    dsText += "a=first\n";
    dsText += "A=second\n";
    KxwConfig tConfig;
    tConfig.AddIniText(dsText.data(), dsText.size(), "test.ini");
    EXPECT_STREQ(tConfig.GetAttribVal("Good", "a"), "1");
    // b sits under a broken section line: it is filed nowhere rather than under [Good].
    EXPECT_EQ(tConfig.GetAttribVal("Good", "b"), nullptr);
    EXPECT_EQ(tConfig.GetAttribVal("Broken section", "b"), nullptr);
    EXPECT_STREQ(tConfig.GetAttribVal("Next", "c"), "3");
    EXPECT_EQ(tConfig.GetAttribVal("Next", "nul"), nullptr);
    // The first value of a name counts.
    EXPECT_STREQ(tConfig.GetAttribVal("Next", "a"), "first");
    EXPECT_EQ(tConfig.GetNumberOfEntries(), 3u);
    ASSERT_EQ(tConfig.GetProblems().size(), 4u);
    EXPECT_EQ(tConfig.GetProblems()[0], "test.ini:2: no '=' in the line; the line is skipped");
    EXPECT_EQ(tConfig.GetProblems()[1], "test.ini:3: an empty name; the line is skipped");
    EXPECT_EQ(tConfig.GetProblems()[2], "test.ini:5: a section line without ']'; its attributes are skipped");
    EXPECT_EQ(tConfig.GetProblems()[3], "test.ini:9: a NUL byte in the line; the line is skipped");
}

TEST(KxwConfig, KeepsHugeNamesAndValuesWhole) {
    std::string dsName(5000, 'k');
    std::string dsValue(1 << 20, 'v');
    dsValue.back() = 'z';
    TempIniFile tFile("[S]\n" + dsName + "=" + dsValue + "\n");
    config* ptConfig = new_config();
    ASSERT_EQ(config_add_ini_file_source(ptConfig, tFile.Path()), 0);
    const char* pszValue = config_get_attrib_val(ptConfig, "S", dsName.c_str());
    ASSERT_NE(pszValue, nullptr);
    EXPECT_EQ(std::string(pszValue), dsValue);
    // A name that is the long one cut short is another name.
    EXPECT_EQ(config_get_attrib_val(ptConfig, "S", dsName.substr(0, 4999).c_str()), nullptr);
    delete_config(ptConfig);
}

TEST(KxwConfig, AMissingFileOrNoConfigurationGivesNothing) {
    config* ptConfig = new_config();
    std::string dsMissing = ::testing::TempDir() + "kxw_config_test_no_such_dir/layout.dat";
    EXPECT_EQ(config_add_ini_file_source(ptConfig, dsMissing.c_str()), -1);
    EXPECT_EQ(config_add_ini_file_source(ptConfig, nullptr), -1);
    EXPECT_EQ(config_get_number_of_entries(ptConfig), 0);
    EXPECT_EQ(config_get_attrib_val(ptConfig, "S", "a"), nullptr);
    ASSERT_EQ(ptConfig->GetProblems().size(), 2u);
    EXPECT_NE(ptConfig->GetProblems()[0].find("cannot be opened"), std::string::npos);
    delete_config(ptConfig);
    EXPECT_EQ(config_add_ini_file_source(nullptr, dsMissing.c_str()), -1);
    EXPECT_EQ(config_get_number_of_entries(nullptr), 0);
    EXPECT_EQ(config_get_attrib_val(nullptr, "S", "a"), nullptr);
    delete_config(nullptr);
}

TEST(KxwConfig, EarlierSourcesWinAndAnEmptyFileHasNoEntries) {
    TempIniFile tFirst("[S]\na=1\n");
    TempIniFile tEmpty("", "_empty");
    config* ptConfig = new_config();
    ASSERT_EQ(config_add_ini_file_source(ptConfig, tEmpty.Path()), 0);
    EXPECT_EQ(config_get_number_of_entries(ptConfig), 0);
    ASSERT_EQ(config_add_ini_file_source(ptConfig, tFirst.Path()), 0);
    KxwConfig& rtConfig = *ptConfig;
    std::string dsLater = "[S]\na=2\nb=3\n";
    rtConfig.AddIniText(dsLater.data(), dsLater.size(), "later");
    EXPECT_STREQ(config_get_attrib_val(ptConfig, "S", "a"), "1");
    EXPECT_STREQ(config_get_attrib_val(ptConfig, "S", "b"), "3");
    EXPECT_EQ(config_get_number_of_entries(ptConfig), 2);
    delete_config(ptConfig);
}

namespace {

std::string ReadWhole(const char* mpszPath) {
    std::string dsText;
    FILE* ptFile = std::fopen(mpszPath, "rb");
    if (!ptFile) return "<missing>";
    char acBuf[4096];
    size_t nRead;
    while ((nRead = std::fread(acBuf, 1, sizeof acBuf, ptFile)) > 0) dsText.append(acBuf, nRead);
    std::fclose(ptFile);
    return dsText;
}

}  // namespace

TEST(KxwConfigWriter, KeepsTheSourcesSectionsAndKeysInOrderAndAddsNewOnesAtTheEnd) {
    TempIniFile tFile("top=1\n; a comment\n[Zeta]\nb=2\nA=1\n[alpha]\nk=v\n");
    config* ptConfig = new_config();
    ASSERT_EQ(config_add_ini_file_source(ptConfig, tFile.Path()), 0);
    // Names compare without case: "a" replaces "A" where it stands, keeping the spelling first read.
    EXPECT_EQ(config_set_attrib(ptConfig, "zeta", "a", "one"), 0);
    EXPECT_EQ(config_set_attrib(ptConfig, "Zeta", "c", "3"), 0);
    EXPECT_EQ(config_set_attrib(ptConfig, "New", "x", "a=b; c"), 0);
    EXPECT_EQ(config_set_attrib(ptConfig, nullptr, "second", "2"), 0);
    ASSERT_EQ(config_save_ex(ptConfig, tFile.Path(), 1, 1), 0);
    delete_config(ptConfig);
    EXPECT_EQ(ReadWhole(tFile.Path()), "top=1\nsecond=2\n[Zeta]\nb=2\nA=one\nc=3\n[alpha]\nk=v\n[New]\nx=a=b; c\n");
    // What was written reads back as it was set.
    config* ptAgain = new_config();
    ASSERT_EQ(config_add_ini_file_source(ptAgain, tFile.Path()), 0);
    EXPECT_STREQ(config_get_attrib_val(ptAgain, "new", "X"), "a=b; c");
    EXPECT_EQ(config_get_number_of_entries(ptAgain), 7);
    delete_config(ptAgain);
}

TEST(KxwConfigWriter, RefusesLineBreaksNulAndNamesThatWouldNotReadBack) {
    KxwConfig tConfig;
    EXPECT_TRUE(tConfig.SetAttrib("t1", "URL1", "http://a/"));
    EXPECT_FALSE(tConfig.SetAttrib("t1", "URL2", "http://a/\r\nTotal=99"));
    EXPECT_FALSE(tConfig.SetAttrib("t1", "URL3", "x\ny"));
    EXPECT_FALSE(tConfig.SetAttrib("t1", "URL4", std::string("x\0y", 3)));
    EXPECT_FALSE(tConfig.SetAttrib("t1\n[t2", "a", "1"));
    EXPECT_FALSE(tConfig.SetAttrib("t1", std::string("a\0b", 3), "1"));
    EXPECT_FALSE(tConfig.SetAttrib("t1", "a\rb", "1"));
    EXPECT_FALSE(tConfig.SetAttrib("t1]x", "a", "1"));
    EXPECT_FALSE(tConfig.SetAttrib("t1", "a=b", "1"));
    EXPECT_FALSE(tConfig.SetAttrib("t1", "[s]", "1"));
    EXPECT_FALSE(tConfig.SetAttrib("t1", " ", "1"));
    EXPECT_EQ(tConfig.GetProblems().size(), 10u);
    EXPECT_NE(tConfig.GetProblems()[0].find("URL2: CR, LF or NUL in the value"), std::string::npos);
    // Nothing refused was written: one key in one section.
    EXPECT_EQ(tConfig.ToText(), "[t1]\nURL1=http://a/\n");
    EXPECT_EQ(config_set_attrib(nullptr, "s", "a", "1"), -1);
    config* ptConfig = new_config();
    EXPECT_EQ(config_set_attrib(ptConfig, "s", "a", nullptr), -1);
    EXPECT_EQ(config_set_attrib(ptConfig, "s", "a", "x\r\n"), -1);
    EXPECT_EQ(config_get_number_of_entries(ptConfig), 0);
    delete_config(ptConfig);
}

TEST(KxwConfigWriter, SavingFailsCleanlyAndOverwritesOnlyWhenAsked) {
    TempIniFile tFile("[S]\nold=1\n");
    config* ptConfig = new_config();
    ASSERT_EQ(config_set_attrib(ptConfig, "S", "new", "2"), 0);
    EXPECT_EQ(config_save_ex(ptConfig, tFile.Path(), 0, 1), -1);
    EXPECT_EQ(ReadWhole(tFile.Path()), "[S]\nold=1\n");
    std::string dsNoFolder = ::testing::TempDir() + "kxw_config_test_no_such_dir/t1.inf";
    EXPECT_EQ(config_save_ex(ptConfig, dsNoFolder.c_str(), 1, 1), -1);
    EXPECT_EQ(config_save_ex(ptConfig, dsNoFolder.c_str(), 1, 0), -1);
    EXPECT_EQ(config_save_ex(ptConfig, nullptr, 1, 1), -1);
    EXPECT_EQ(config_save_ex(nullptr, tFile.Path(), 1, 1), -1);
    EXPECT_EQ(config_save_ex(ptConfig, tFile.Path(), 1, 0), 0);
    EXPECT_EQ(ReadWhole(tFile.Path()), "[S]\nnew=2\n");
    delete_config(ptConfig);
}
