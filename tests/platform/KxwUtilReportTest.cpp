#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "KxwRecordingSink.h"
#include "KxwUtilReport.h"

namespace {
bool OnlyInternalErrors(KXW_WTL_SEV_LVL_ENUM meSevLvl) { return meSevLvl == KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR; }
}  // namespace

TEST(KxwUtilReport, FilterDecidesAndSinkReceivesFormattedText) {
    KxwRecordingSink tSink(&OnlyInternalErrors);
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "dropped %d", 1);
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, "Invalid x=%d for this=%p", 7,
                                          static_cast<void*>(nullptr));
    xfvKxwUtilReportInternalError("plain %s", "internal");
    auto tMessages = tSink.Messages();
    ASSERT_EQ(2u, tMessages.size());
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, tMessages[0]._eSevLvl);
    EXPECT_EQ(0, tMessages[0]._dsText.find("Invalid x=7 for this="));
    EXPECT_EQ("plain internal", tMessages[1]._dsText);
}

TEST(KxwUtilReport, NullFunctionsRestoreDefaults) {
    {
        KxwRecordingSink tSink(&OnlyInternalErrors);
        EXPECT_FALSE(xfbKxwUtilIsSevLvlEnabled(KXW_WTL_SEV_LVL_ENUM_NOTICE));
    }
    xfvKxwUtilSetWtlFuncs(nullptr, nullptr);
    for (int iLevel = 0; iLevel <= 7; ++iLevel)
        EXPECT_TRUE(xfbKxwUtilIsSevLvlEnabled(static_cast<KXW_WTL_SEV_LVL_ENUM>(iLevel)));
    // The default sink drops messages: issuing one must be harmless.
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "nobody listens");
}

TEST(KxwUtilReport, LongTextsAreNotCut) {
    KxwRecordingSink tSink;
    std::string dsLong(5000, 'x');
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, "<%s>", dsLong.c_str());
    ASSERT_EQ(1u, tSink.Count());
    EXPECT_EQ(5002u, tSink.Messages()[0]._dsText.size());
}

TEST(KxwUtilReport, TraceFileGetsWholeLines) {
    std::string dsPath = ::testing::TempDir() + "kxw_trace_test.log";
    std::remove(dsPath.c_str());
    xfvKxwUtilReportTraceToFile("before the file is open");
    ASSERT_TRUE(xfbKxwUtilOpenTraceFile(dsPath.c_str()));
    xfvKxwUtilReportTraceToFile("<%p>: traced %s", static_cast<void*>(&dsPath), "line");
    xfvKxwUtilCloseTraceFile();
    xfvKxwUtilReportTraceToFile("after the file is closed");
    std::ifstream tFile(dsPath);
    std::stringstream tText;
    tText << tFile.rdbuf();
    EXPECT_EQ(std::string::npos, tText.str().find("before"));
    EXPECT_EQ(std::string::npos, tText.str().find("after"));
    EXPECT_NE(std::string::npos, tText.str().find(": traced line\n"));
    EXPECT_FALSE(xfbKxwUtilOpenTraceFile("/nonexistent-dir/x/trace.log"));
}

TEST(KxwUtilReportDeathTest, OutOfMemoryAbortsWithTheSize) {
    EXPECT_DEATH(KxwUtilOutOfMemoryAbort(123456, "TextNode object"),
                 "Not enough memory \\(123456 bytes\\) for TextNode object.  Aborting");
    EXPECT_DEATH(xfvKxwUtilReportFatalInternalErrorAbort("no object manager for %s", "GetCommonTemporaryStr"),
                 "no object manager for GetCommonTemporaryStr");
}

TEST(KxwUtilReport, JavaScriptErrorLevelIsSettable) {
    KXW_WTL_SEV_LVL_ENUM eBefore = xfeKxwUtilJavaScriptErrorSevLvl();
    xfvKxwUtilSetJavaScriptErrorSevLvl(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE);
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, xfeKxwUtilJavaScriptErrorSevLvl());
    xfvKxwUtilSetJavaScriptErrorSevLvl(eBefore);
}
