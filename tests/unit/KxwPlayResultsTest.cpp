#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "KxwPlayCsv.h"
#include "KxwPlayOptions.h"
#include "KxwPlayReportHtml.h"
#include "KxwPlayResults.h"
#include "KxwPlayRunFigures.h"

namespace {

// A fresh folder removed with everything in it when the test ends.
class TempFolder {
public:
    TempFolder() {
        char acTemplate[] = "/tmp/kxw_results_test.XXXXXX";
        _dsPath = mkdtemp(acTemplate) ? acTemplate : "";
    }
    ~TempFolder() {
        if (!_dsPath.empty()) std::system(("rm -rf '" + _dsPath + "'").c_str());
    }
    const std::string& Path() const { return _dsPath; }

private:
    std::string _dsPath;
};

void WriteFile(const std::string& mdsPath, const std::string& mdsText) {
    FILE* ptFile = std::fopen(mdsPath.c_str(), "w");
    ASSERT_TRUE(ptFile) << mdsPath;
    std::fwrite(mdsText.data(), 1, mdsText.size(), ptFile);
    std::fclose(ptFile);
}

KxwPlayStepResult Result(int miVUser, int miStep, double mdfStartMs, double mdfMs, const std::string& mdsReason = "") {
    KxwPlayStepResult tResult;
    tResult._iVUserId = miVUser;
    tResult._iIteration = 1;
    tResult._iStepNumber = miStep;
    tResult._uLine = static_cast<unsigned>(miStep + 2);
    tResult._dsVerb = miStep == 1 ? "goto" : "expect";
    tResult._dfStartMs = mdfStartMs;
    tResult._dfDurationMs = mdfMs;
    tResult._bOK = mdsReason.empty();
    tResult._dsReason = mdsReason;
    return tResult;
}

std::vector<KxwPlayStepResult> ReadBack(const std::string& mdsPath, std::string* mpdsError) {
    std::vector<KxwPlayStepResult> tResults;
    if (!xfbKxwPlayReadResults(
            mdsPath, [&](KxwPlayStepResult&& mrtResult) { tResults.push_back(std::move(mrtResult)); }, mpdsError))
        tResults.clear();
    return tResults;
}

size_t Count(const std::string& mdsText, const std::string& mdsWhat) {
    size_t nCount = 0;
    for (size_t nAt = mdsText.find(mdsWhat); nAt != std::string::npos; nAt = mdsText.find(mdsWhat, nAt + 1)) ++nCount;
    return nCount;
}

}  // namespace

TEST(KxwPlayResults, CsvFieldsComeBackAsWritten) {
    const std::vector<std::string> tFields = {"plain",  "a,b", "say \"hi\"", "two\nlines", "cr\r\nlf",
                                              " blank", "",    "\"",         "tail\t"};
    std::string dsRecord;
    for (size_t n = 0; n < tFields.size(); ++n) {
        if (n) dsRecord += ',';
        xfvKxwPlayAppendCsvField(&dsRecord, tFields[n]);
    }
    EXPECT_EQ("plain,\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",\"cr\r\nlf\",\" blank\",,\"\"\"\",\"tail\t\"", dsRecord);
    dsRecord += "\n";
    KxwPlayCsvReader tReader(dsRecord.data(), dsRecord.size());
    std::vector<std::string> tRead;
    std::string dsReason;
    ASSERT_TRUE(tReader.Next(&tRead, &dsReason)) << dsReason;
    EXPECT_EQ(tFields, tRead);
    EXPECT_TRUE(tReader.AtEnd());
}

TEST(KxwPlayResults, RecordsRoundTripAndSnapshotsStayWithTheFolder) {
    TempFolder tFolder;
    KxwPlayResultsFile tFile;
    std::string dsError;
    ASSERT_TRUE(tFile.Open(tFolder.Path(), &dsError)) << dsError;
    KxwPlayStepResult tFailed = Result(3, 2, 1.25, 12.3456, "expect: 1, \"2\"\nfalse");
    tFailed._dsSnapshot = tFolder.Path() + "/snaps/../snaps/vuser 3.html";
    tFile.Append(Result(1, 1, 0, 7));
    tFile.Append(tFailed);
    KxwPlayStepResult tElsewhere = Result(2, 1, 2, 3);
    tElsewhere._dsSnapshot = "/var/snap/x.html";
    tFile.Append(tElsewhere);
    ASSERT_TRUE(tFile.Close(&dsError)) << dsError;

    std::string dsPath = tFolder.Path() + "/results.csv";
    FILE* ptFile = std::fopen(dsPath.c_str(), "r");
    ASSERT_TRUE(ptFile);
    char acHeader[256] = {};
    ASSERT_TRUE(std::fgets(acHeader, sizeof acHeader, ptFile));
    std::fclose(ptFile);
    EXPECT_STREQ("vuser,iteration,step,line,verb,start_ms,duration_ms,outcome,reason,snapshot\n", acHeader);

    std::vector<KxwPlayStepResult> tRead = ReadBack(dsPath, &dsError);
    ASSERT_EQ(3u, tRead.size()) << dsError;
    EXPECT_EQ(3, tRead[1]._iVUserId);
    EXPECT_EQ(2, tRead[1]._iStepNumber);
    EXPECT_EQ(4u, tRead[1]._uLine);
    EXPECT_EQ("expect", tRead[1]._dsVerb);
    EXPECT_DOUBLE_EQ(1.25, tRead[1]._dfStartMs);
    EXPECT_DOUBLE_EQ(12.346, tRead[1]._dfDurationMs);  // three decimals
    EXPECT_FALSE(tRead[1]._bOK);
    EXPECT_EQ("expect: 1, \"2\"\nfalse", tRead[1]._dsReason);
    // Written relative to the results' folder, read back as a path again.
    EXPECT_EQ(tFolder.Path() + "/snaps/vuser 3.html", tRead[1]._dsSnapshot);
    EXPECT_EQ("/var/snap/x.html", tRead[2]._dsSnapshot);
    EXPECT_TRUE(tRead[0]._dsSnapshot.empty());
}

TEST(KxwPlayResults, MalformedFilesAreRefusedWithTheirLine) {
    TempFolder tFolder;
    std::string dsPath = tFolder.Path() + "/results.csv";
    std::string dsError;
    WriteFile(dsPath, "vuser,iteration,step,verb\n");
    EXPECT_TRUE(ReadBack(dsPath, &dsError).empty());
    EXPECT_EQ(dsPath + ":1: the header has no column \"line\"", dsError);
    WriteFile(dsPath, xfdsKxwPlayResultsHeader() + "1,1,1,3,goto,0.000,-5,OK,,\n");
    EXPECT_TRUE(ReadBack(dsPath, &dsError).empty());
    EXPECT_EQ(dsPath + ":2: start_ms and duration_ms must be numbers of milliseconds", dsError);
    WriteFile(dsPath, xfdsKxwPlayResultsHeader() + "1,1,1,3,goto,0.000,1.000,MAYBE,,\n");
    EXPECT_TRUE(ReadBack(dsPath, &dsError).empty());
    EXPECT_EQ(dsPath + ":2: the outcome must be OK or FAIL", dsError);
    // Columns found by name: another order and an extra column read the same.
    WriteFile(dsPath,
              "extra,snapshot,reason,outcome,duration_ms,start_ms,verb,line,step,iteration,vuser\n"
              "x,,\"a,b\",FAIL,2.5,1,expect,9,2,4,7\n");
    std::vector<KxwPlayStepResult> tRead = ReadBack(dsPath, &dsError);
    ASSERT_EQ(1u, tRead.size()) << dsError;
    EXPECT_EQ(7, tRead[0]._iVUserId);
    EXPECT_EQ(4, tRead[0]._iIteration);
    EXPECT_EQ("a,b", tRead[0]._dsReason);
}

TEST(KxwPlayResults, NearestRankPercentilesAndTheMedian) {
    std::vector<double> tTimes;
    EXPECT_EQ(0, xfdfKxwPlayNearestRankMs(tTimes, 50));
    EXPECT_EQ(0, xfdfKxwPlayMedianMs(tTimes));
    tTimes = {4};
    EXPECT_EQ(4, xfdfKxwPlayNearestRankMs(tTimes, 99));
    EXPECT_EQ(4, xfdfKxwPlayMedianMs(tTimes));
    for (int n = 1; n <= 20; ++n) tTimes.push_back(n * 10);  // 4, 10, 20, ... 200
    std::sort(tTimes.begin(), tTimes.end());
    // 21 times: rank ceil(0.9 * 21) = 19, ceil(0.95 * 21) = 20, ceil(0.99 * 21) = 21.
    EXPECT_EQ(180, xfdfKxwPlayNearestRankMs(tTimes, 90));
    EXPECT_EQ(190, xfdfKxwPlayNearestRankMs(tTimes, 95));
    EXPECT_EQ(200, xfdfKxwPlayNearestRankMs(tTimes, 99));
    EXPECT_EQ(4, xfdfKxwPlayNearestRankMs(tTimes, 0));
    EXPECT_EQ(100, xfdfKxwPlayMedianMs(tTimes));
    tTimes.pop_back();  // 20 times: the mean of the 10th and 11th
    EXPECT_EQ(95, xfdfKxwPlayMedianMs(tTimes));
    // Exactly on a rank: 0.9 * 20 = 18.
    EXPECT_EQ(170, xfdfKxwPlayNearestRankMs(tTimes, 90));
}

TEST(KxwPlayResults, FiguresDoNotDependOnTheOrderOfTheRecords) {
    std::vector<KxwPlayStepResult> tResults;
    for (int n = 0; n < 60; ++n)
        tResults.push_back(Result(1 + n % 6, 1 + n % 3, n * 10.0, (n * 37) % 101 + 0.5,
                                  n % 7 == 0 ? "r" + std::to_string(n % 2) : ""));
    KxwPlayRunFigures tForward, tBackward;
    for (KxwPlayStepResult tResult : tResults) tForward.Add(std::move(tResult));
    for (size_t n = tResults.size(); n-- > 0;) tBackward.Add(KxwPlayStepResult(tResults[n]));
    tForward.Finish();
    tBackward.Finish();
    ASSERT_EQ(3u, tForward.GetSteps().size());
    for (size_t n = 0; n < 3; ++n) {
        const KxwPlayStepFigures &rtA = tForward.GetSteps()[n], &rtB = tBackward.GetSteps()[n];
        EXPECT_EQ(rtA._ullRuns, rtB._ullRuns);
        EXPECT_EQ(rtA._ullFailures, rtB._ullFailures);
        EXPECT_EQ(rtA._dfMedianMs, rtB._dfMedianMs);
        EXPECT_EQ(rtA._dfP90Ms, rtB._dfP90Ms);
        EXPECT_EQ(rtA._dfP99Ms, rtB._dfP99Ms);
    }
    EXPECT_EQ(20u, tForward.GetSteps()[0]._ullRuns);
    ASSERT_EQ(2u, tForward.GetReasons().size());
    // r0 at n = 0, 14, 28, 42, 56; r1 at 7, 21, 35, 49.
    EXPECT_EQ("r0", tForward.GetReasons()[0]._dsReason);
    EXPECT_EQ(5u, tForward.GetReasons()[0]._ullCount);
    EXPECT_EQ(4u, tBackward.GetReasons()[1]._ullCount);
    ASSERT_EQ(9u, tBackward.GetListedFailures().size());
    EXPECT_EQ(0, tBackward.GetListedFailures()[0]._dfStartMs);
    EXPECT_EQ(6u, tForward.GetActiveSpans().size());
}

TEST(KxwPlayResults, TheReportEscapesWhatPagesSaidAndLinksSnapshots) {
    TempFolder tFolder;
    std::string dsReport = tFolder.Path() + "/report";
    KxwPlayRunFigures tFigures;
    KxwPlayStepResult tInside = Result(1, 2, 5, 9, "<script>alert(\"x\")</script> & more");
    tInside._dsSnapshot = dsReport + "/snaps/step 2 <1>.html";
    // A name that would read as a scheme stays a relative path.
    KxwPlayStepResult tScheme = Result(4, 2, 8, 9, "scheme-like name");
    tScheme._dsSnapshot = dsReport + "/javascript:alert(1).html";
    tFigures.Add(std::move(tScheme));
    KxwPlayStepResult tBeside = Result(2, 2, 6, 9, "no link");
    tBeside._dsSnapshot = tFolder.Path() + "/other/s.html";
    tFigures.Add(Result(1, 1, 0, 4));
    tFigures.Add(std::move(tInside));
    tFigures.Add(std::move(tBeside));
    tFigures.Add(Result(3, 2, 7, 1, "no snapshot"));
    tFigures.Finish();
    KxwPlayReportInfo tInfo;
    tInfo._tSources = {"shop & co.steps"};
    std::string dsHtml = KxwPlayReportHtml::Make(tFigures, tInfo, dsReport);
    EXPECT_NE(std::string::npos, dsHtml.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; more"));
    EXPECT_EQ(std::string::npos, dsHtml.find("<script"));
    EXPECT_NE(std::string::npos, dsHtml.find("From shop &amp; co.steps:"));
    EXPECT_NE(std::string::npos, dsHtml.find("<a href=\"snaps/step%202%20%3C1%3E.html\">snapshot</a>"));
    EXPECT_NE(std::string::npos, dsHtml.find("<a href=\"../other/s.html\">snapshot</a>"));
    EXPECT_NE(std::string::npos, dsHtml.find("<a href=\"./javascript:alert(1).html\">snapshot</a>"));
    EXPECT_EQ(3u, Count(dsHtml, "<a href="));
    EXPECT_EQ(2u, Count(dsHtml, "<svg"));
    EXPECT_EQ(1u, Count(dsHtml, "<table id=\"summary\">"));
    // Nothing the page would fetch: no address of any scheme.
    EXPECT_EQ(std::string::npos, dsHtml.find("http"));
    EXPECT_EQ(std::string::npos, dsHtml.find("src="));
    EXPECT_EQ(std::string::npos, dsHtml.find("url("));
}

TEST(KxwPlayResults, AMergeRefusesToWriteOverItsInputOrToCountAShardTwice) {
    TempFolder tFolder;
    std::string dsA = tFolder.Path() + "/a", dsB = tFolder.Path() + "/b", dsOut = tFolder.Path() + "/out";
    for (const std::string& rdsFolder : {dsA, dsB, dsOut}) ASSERT_EQ(0, mkdir(rdsFolder.c_str(), 0777));
    WriteFile(dsA + "/results.csv", xfdsKxwPlayResultsHeader() + "1,1,1,3,goto,0.000,1.000,OK,,\n");
    WriteFile(dsB + "/results.csv", xfdsKxwPlayResultsHeader() + "2,1,1,3,goto,0.000,3.000,OK,,\n");
    KxwPlayReportInfo tInfo;
    std::string dsError;
    {
        KxwPlayRunFigures tFigures;
        EXPECT_FALSE(KxwPlayReportHtml::WriteFromResults({dsA, dsB}, dsA, true, tInfo, &tFigures, &dsError));
        EXPECT_NE(std::string::npos, dsError.find("is one of the folders merged")) << dsError;
    }
    {
        KxwPlayRunFigures tFigures;
        EXPECT_FALSE(KxwPlayReportHtml::WriteFromResults({dsA, dsA}, dsOut, true, tInfo, &tFigures, &dsError));
        EXPECT_NE(std::string::npos, dsError.find("is given twice")) << dsError;
    }
    WriteFile(dsB + "/results.csv", xfdsKxwPlayResultsHeader() + "1,2,1,3,goto,0.000,3.000,OK,,\n");
    {
        KxwPlayRunFigures tFigures;
        EXPECT_FALSE(KxwPlayReportHtml::WriteFromResults({dsA, dsB}, dsOut, true, tInfo, &tFigures, &dsError));
        EXPECT_NE(std::string::npos, dsError.find("virtual user 1 is in")) << dsError;
    }
    // The input is still whole.
    std::vector<KxwPlayStepResult> tRead = ReadBack(dsA + "/results.csv", &dsError);
    EXPECT_EQ(1u, tRead.size()) << dsError;
}

TEST(KxwPlayResults, ShardsSliceTheVirtualUsersWithoutGapOrOverlap) {
    KxwPlayOptions tOptions;
    tOptions._iVUsers = 10;
    tOptions._iShardCount = 3;
    int aiExpected[3][2] = {{1, 3}, {4, 6}, {7, 10}};
    for (int n = 1; n <= 3; ++n) {
        tOptions._iShardIndex = n;
        int iFirst = 0, iLast = 0;
        tOptions.GetShardVUsers(&iFirst, &iLast);
        EXPECT_EQ(aiExpected[n - 1][0], iFirst);
        EXPECT_EQ(aiExpected[n - 1][1], iLast);
    }
    // More shards than users: some are empty, and the others still hold every user once.
    tOptions._iVUsers = 2;
    int aiSlices[3][2] = {{1, 0}, {1, 1}, {2, 2}};
    for (int n = 1; n <= 3; ++n) {
        tOptions._iShardIndex = n;
        int iFirst = 0, iLast = 0;
        tOptions.GetShardVUsers(&iFirst, &iLast);
        EXPECT_EQ(aiSlices[n - 1][0], iFirst) << n;
        EXPECT_EQ(aiSlices[n - 1][1], iLast) << n;
    }

    auto Parse = [](std::vector<const char*> mtArgs, KxwPlayOptions* mptOptions, std::string* mpdsError) {
        mtArgs.insert(mtArgs.begin(), "kxwplay");
        return xfeKxwPlayParseOptions(static_cast<int>(mtArgs.size()), mtArgs.data(), mptOptions, mpdsError);
    };
    std::string dsError;
    ASSERT_EQ(KXW_PLAY_OPTIONS_RUN, Parse({"--shard", "2/3", "s.steps"}, &tOptions, &dsError)) << dsError;
    EXPECT_EQ(2, tOptions._iShardIndex);
    EXPECT_EQ(3, tOptions._iShardCount);
    for (const char* pszBad : {"0/3", "4/3", "3", "1/0", "a/b", "1/3x"}) {
        EXPECT_EQ(KXW_PLAY_OPTIONS_BAD, Parse({"--shard", pszBad, "s.steps"}, &tOptions, &dsError)) << pszBad;
        EXPECT_NE(std::string::npos, dsError.find("--shard must be I/N")) << dsError;
    }
    ASSERT_EQ(KXW_PLAY_OPTIONS_RUN, Parse({"--merge-report", "out", "a", "b"}, &tOptions, &dsError)) << dsError;
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), tOptions._tMergeDirs);
    EXPECT_EQ(KXW_PLAY_OPTIONS_BAD, Parse({"--merge-report", "out"}, &tOptions, &dsError));
    EXPECT_EQ(KXW_PLAY_OPTIONS_BAD, Parse({"--merge-report", "out", "--report", "r", "a"}, &tOptions, &dsError));
    EXPECT_EQ(KXW_PLAY_OPTIONS_BAD, Parse({"a.steps", "b.steps"}, &tOptions, &dsError));
    EXPECT_NE(std::string::npos, dsError.find("only one steps file")) << dsError;
}
