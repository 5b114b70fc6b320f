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
