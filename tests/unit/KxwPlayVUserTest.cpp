#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <thread>

#include "KxwPlayData.h"
#include "KxwPlayReport.h"
#include "KxwPlaySteps.h"
#include "KxwPlayVUser.h"
#include "QmtUtils.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

// A run of one virtual user on its own thread, its event lines caught in memory.
class KxwPlayVUserTest : public ::testing::Test {
protected:
    void Load(const std::string& mdsSteps, const std::string& mdsData = "") {
        std::string dsError;
        if (!mdsData.empty()) {
            ASSERT_TRUE(_tData.LoadFromText(mdsData.data(), mdsData.size(), "d.csv", &dsError)) << dsError;
        }
        std::set<std::string> tNames(_tData.GetNames().begin(), _tData.GetNames().end());
        ASSERT_TRUE(
            _tSteps.LoadFromText(mdsSteps.data(), mdsSteps.size(), "dir/t.steps", "file:///dir/", &tNames, &dsError))
            << dsError;
    }
    // Runs virtual user miVUserId (of miVUserCount) for miIterations; the output lines with step times as Nms.
    std::string Run(int miIterations = 1, int miVUserId = 1, int miVUserCount = 1) {
        char* pszBuffer = nullptr;
        size_t nSize = 0;
        FILE* ptFile = open_memstream(&pszBuffer, &nSize);
        {
            KxwPlayOutput tOutput(ptFile, false, false);
            KxwPlayRunConfig tConfig;
            tConfig._ptSteps = &_tSteps;
            tConfig._ptData = _tData.IsEmpty() ? nullptr : &_tData;
            tConfig._ptInitialRTS = &_tRTS;
            tConfig._iVUserCount = miVUserCount;
            tConfig._iIterations = miIterations;
            KxwPlayVUser tVUser(miVUserId, tConfig, &tOutput);
            EXPECT_TRUE(tVUser.Start());
            tVUser.Join();
            EXPECT_TRUE(tVUser.IsFinished());
            EXPECT_EQ(static_cast<unsigned long>(miIterations), tVUser.GetIterationsDone());
            _tStats = tVUser.GetStepStats();
            _ulFailures = tVUser.GetFailures();
            _dfVirtualMs = tVUser.GetVirtualClockMs();
        }
        std::fclose(ptFile);
        std::string dsOutput(pszBuffer, nSize);
        std::free(pszBuffer);
        // Times vary from run to run.
        std::string dsResult;
        for (size_t nPos = 0; nPos < dsOutput.size();) {
            size_t nEnd = dsOutput.find('\n', nPos);
            std::string dsLine = dsOutput.substr(nPos, nEnd - nPos);
            size_t nOK = dsLine.find(" OK ");
            if (dsLine.compare(0, 5, "STEP ") == 0 && nOK != std::string::npos)
                dsLine.replace(nOK + 4, std::string::npos, "Nms");
            dsResult += dsLine + "\n";
            nPos = nEnd == std::string::npos ? dsOutput.size() : nEnd + 1;
        }
        return dsResult;
    }

    KxwiRunTimeSettings _tRTS;
    KxwPlaySteps _tSteps;
    KxwPlayData _tData;
    std::vector<KxwPlayStepStats> _tStats;
    unsigned long _ulFailures = 0;
    double _dfVirtualMs = 0;
};

}  // namespace

TEST_F(KxwPlayVUserTest, EvalExpectThinkAndWait) {
    Load(
        "eval var items = ['a', 'b']; items.map(function (s) { return s.toUpperCase(); }).join('-')\n"
        "eval ({ toString: function () { return 'line1\\nline2'; } })\n"
        "eval undefined\n"
        "expect items.length == 2\n"
        "think 5000\n"
        "wait 2000\n");
    auto tStart = std::chrono::steady_clock::now();
    EXPECT_EQ(
        "EVAL A-B\n"
        "STEP 1 eval OK Nms\n"
        "EVAL line1\\nline2\n"
        "STEP 2 eval OK Nms\n"
        "EVAL undefined\n"
        "STEP 3 eval OK Nms\n"
        "STEP 4 expect OK Nms\n"
        "STEP 5 think OK Nms\n"
        "STEP 6 wait OK Nms\n",
        Run());
    // Think and wait move the virtual clock, not the real one.
    EXPECT_GE(_dfVirtualMs, 7000);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count(), 5.0);
    EXPECT_EQ(0u, _ulFailures);
    ASSERT_EQ(6u, _tStats.size());
    EXPECT_EQ(1u, _tStats[5]._tTimes.GetCount());
}

TEST_F(KxwPlayVUserTest, FailuresEndTheIterationAndEachIterationStartsAfresh) {
    Load(
        "eval var n = (typeof n == 'undefined' ? 0 : n) + 1; n\n"
        "expect n == 1\n"
        "expect 'it' + 's' == 'its' && ''\n"
        "eval 'never reached'\n");
    EXPECT_EQ(
        "ITERATION 1\n"
        "EVAL 1\n"
        "STEP 1 eval OK Nms\n"
        "STEP 2 expect OK Nms\n"
        "STEP 3 expect FAIL 'it' + 's' == 'its' && '' gave \"\"\n"
        "ITERATION 2\n"
        "EVAL 1\n"
        "STEP 1 eval OK Nms\n"
        "STEP 2 expect OK Nms\n"
        "STEP 3 expect FAIL 'it' + 's' == 'its' && '' gave \"\"\n",
        Run(2));
    EXPECT_EQ(2u, _ulFailures);
    ASSERT_EQ(4u, _tStats.size());
    EXPECT_EQ(2u, _tStats[2]._tTimes.GetCount());
    EXPECT_EQ(2u, _tStats[2]._ulFailures);
    EXPECT_EQ(0u, _tStats[3]._tTimes.GetCount());
}

TEST_F(KxwPlayVUserTest, ScriptErrorsAreReportedWithTheirLineAndFailByTheSetting) {
    Load(
        "# boom throws on line 2\n"
        "eval function boom() { throw new Error('boom'); }\n"
        "\n"
        "eval boom()\n"
        "eval 'after'\n");
    // An error inside a function names the line the function was defined on.
    EXPECT_EQ(
        "EVAL undefined\n"
        "STEP 1 eval OK Nms\n"
        "ERROR Error: boom (t.steps, line 2)\n"
        "STEP 2 eval FAIL Error: boom (t.steps, line 2)\n",
        Run());
    _tRTS.SetFailOnJavaScriptError(false);
    EXPECT_EQ(
        "EVAL undefined\n"
        "STEP 1 eval OK Nms\n"
        "ERROR Error: boom (t.steps, line 2)\n"
        "STEP 2 eval OK Nms\n"
        "EVAL after\n"
        "STEP 3 eval OK Nms\n",
        Run());
    EXPECT_EQ(0u, _ulFailures);
    // An expectation without a value fails whatever the setting says.
    Load("\nexpect 1 +\n");
    EXPECT_EQ(
        "ERROR SyntaxError: expected expression, got end of script (t.steps, line 2)\n"
        "STEP 1 expect FAIL SyntaxError: expected expression, got end of script (t.steps, line 2)\n",
        Run());
}

TEST_F(KxwPlayVUserTest, AnEndlessScriptIsStoppedAtTheTimeLimit) {
    ASSERT_TRUE(_tRTS.SetScriptTimeLimitMs(200));
    // Also an endless toString: the conversion of the value runs under the limit too.
    Load("eval ({ toString: function () { for (;;) {} } })\n");
    auto tStart = std::chrono::steady_clock::now();
    EXPECT_EQ(
        "ERROR script stopped: it ran longer than 200 ms (t.steps, line 1)\n"
        "STEP 1 eval FAIL script stopped: it ran longer than 200 ms\n",
        Run());
    // The failure does not depend on the script-error setting.
    _tRTS.SetFailOnJavaScriptError(false);
    Load("expect (function () { while (true) {} })()\n");
    EXPECT_EQ(
        "ERROR script stopped: it ran longer than 200 ms (t.steps, line 1)\n"
        "STEP 1 expect FAIL script stopped: it ran longer than 200 ms\n",
        Run());
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count(), 10.0);
}

TEST_F(KxwPlayVUserTest, StepsWithoutAPageFailWithTheirReason) {
    Load("goto page.html\n");
    EXPECT_EQ("STEP 1 goto FAIL goto: cannot read /dir/page.html: No such file or directory\n", Run());
    Load("goto ftp://example.com/\n");
    EXPECT_EQ("STEP 1 goto FAIL goto: cannot load ftp://example.com/: URLs of the scheme ftp: are not loaded\n", Run());
    Load("button \"Buy now\"\n");
    EXPECT_EQ("STEP 1 button FAIL button: no window is open\n", Run());
    EXPECT_EQ(1u, _ulFailures);
    // The element verbs want a page to search.
    Load("link \"Buy now\"\n");
    EXPECT_EQ("STEP 1 link FAIL link: no window is open\n", Run());
}

TEST_F(KxwPlayVUserTest, GotoLoadsAPageThatScriptsThenSee) {
    std::string dsPath = testing::TempDir() + "kxw-vuser-page.html";
    std::FILE* ptFile = std::fopen(dsPath.c_str(), "wb");
    std::fputs("<html><head><title>T&eacute;st</title></head><body><p id=a>one\n"
               "<script>document.write('<b id=w>' + document.getElementById('a').tagName + '</b>');</script>"
               "<form name=f><input name=q></form><a href=x.html>x</a><script>nosuch();</script>"
               "<p id=last>end</body></html>",
               ptFile);
    std::fclose(ptFile);
    _tRTS.SetFailOnJavaScriptError(false);
    Load("goto file://" + dsPath +
         "\n"
         "eval document.title + '|' + document.getElementById('w').innerText + '|' + document.forms.f.name\n"
         "expect document.links.length == 1 && document.getElementById('w').parentNode.id == 'a'\n"
         "eval document.body.lastChild.id\n");
    // The library runs the page's scripts and reports their errors as messages: the player's sink writes them.
    KxwObjMgr::SetWtlFuncs(&xfbKxwPlaySevFilter, &xfvKxwPlayMessageSink);
    std::string dsOut = Run();
    KxwObjMgr::SetWtlFuncs(nullptr, nullptr);
    EXPECT_NE(std::string::npos, dsOut.find("EVAL T\xC3\xA9st|P|f\n")) << dsOut;
    EXPECT_NE(std::string::npos, dsOut.find("STEP 3 expect OK")) << dsOut;
    EXPECT_NE(std::string::npos, dsOut.find("EVAL last\n")) << dsOut;
    // The page's script error is reported with the page and the script's line, and the page loads on.
    EXPECT_NE(std::string::npos, dsOut.find("ERROR ReferenceError: nosuch is not defined (file://" + dsPath +
                                            ", line 2)"))
        << dsOut;
    std::remove(dsPath.c_str());
}

TEST_F(KxwPlayVUserTest, DataRowsFollowTheVirtualUserAndTheIteration) {
    Load(
        "eval '{user}:{pin}'\n"
        "think {pause}\n",
        "user,pin,pause\nalice,1,10\nbob,2,x\ncarol,3,30\n");
    // User 2 of 2: rows 2 and then 4, which wraps to 1.
    EXPECT_EQ(
        "ITERATION 1\n"
        "EVAL bob:2\n"
        "STEP 1 eval OK Nms\n"
        "STEP 2 think FAIL think: the argument must be a whole number of milliseconds, not \"x\"\n"
        "ITERATION 2\n"
        "EVAL alice:1\n"
        "STEP 1 eval OK Nms\n"
        "STEP 2 think OK Nms\n",
        Run(2, 2, 2));
}

namespace {

KxwPlayHistogram HistogramOf(std::initializer_list<double> mtTimesMs) {
    KxwPlayHistogram tHistogram;
    for (double dfMs : mtTimesMs) tHistogram.RecordMs(dfMs);
    return tHistogram;
}

}  // namespace

// A thread that drives an engine without a player's virtual user (the benchmarks) binds the run clock to its engine's
// clock: its page timers then run on the time the engine advances, and no other thread's clock moves with it.
TEST(KxwPlayVirtualClock, AThreadReadsTheClockItBindsUntilTheBindingEnds) {
    KxwPlayVUser::InstallVirtualClock();
    double dfOuterMs = 250000, dfInnerMs = 900000;
    {
        KxwPlayVUser::ThreadClockBinding tOuter(&dfOuterMs);
        EXPECT_DOUBLE_EQ(250000, xfdfQmtUtilsMillisecondsFromStartOfRun());
        dfOuterMs += 50;
        EXPECT_DOUBLE_EQ(250050, xfdfQmtUtilsMillisecondsFromStartOfRun()) << "the clock is read, not copied";
        {
            KxwPlayVUser::ThreadClockBinding tInner(&dfInnerMs);
            EXPECT_DOUBLE_EQ(900000, xfdfQmtUtilsMillisecondsFromStartOfRun());
            double dfOtherThreadMs = -1;
            std::thread([&dfOtherThreadMs] { dfOtherThreadMs = xfdfQmtUtilsMillisecondsFromStartOfRun(); }).join();
            EXPECT_GE(dfOtherThreadMs, 0);
            EXPECT_LT(dfOtherThreadMs, 200000) << "another thread reads the machine's clock since the run's start";
        }
        EXPECT_DOUBLE_EQ(250050, xfdfQmtUtilsMillisecondsFromStartOfRun());
    }
    EXPECT_LT(xfdfQmtUtilsMillisecondsFromStartOfRun(), 200000);
    KxwPlayVUser::UninstallVirtualClock();
}

TEST(KxwPlayReport, PercentilesAndTheSummaryTable) {
    // Exact where a bucket's middle falls outside the recorded extremes, within 1/256 of the time otherwise.
    EXPECT_EQ(0, HistogramOf({}).GetMedianMs());
    EXPECT_NEAR(2, HistogramOf({3, 1, 2}).GetMedianMs(), 2.0 / 256);
    EXPECT_NEAR(2.5, HistogramOf({4, 1, 3, 2}).GetMedianMs(), 2.5 / 256);
    KxwPlayHistogram tHundred;
    for (int n = 100; n >= 1; --n) tHundred.RecordMs(n);
    EXPECT_NEAR(95, tHundred.GetPercentileMs(95), 95.0 / 256);
    EXPECT_EQ(100, tHundred.GetPercentileMs(100));
    EXPECT_EQ(7, HistogramOf({7}).GetPercentileMs(95));
    EXPECT_EQ(9, HistogramOf({1, 9}).GetPercentileMs(95));
    EXPECT_GT(xflKxwPlayReadProcStatusKb("VmHWM"), 0);
    EXPECT_EQ(-1, xflKxwPlayReadProcStatusKb("NoSuchField"));

    KxwPlaySteps tSteps;
    std::string dsError;
    const std::string dsText = "eval 1\n\nexpect false\neval 2\n";
    ASSERT_TRUE(tSteps.LoadFromText(dsText.data(), dsText.size(), "t.steps", "file:///", nullptr, &dsError));
    KxwPlaySummary tSummary;
    tSummary._iVUserCount = 2;
    tSummary._iIterations = 2;
    tSummary._tSteps.resize(3);
    tSummary._tSteps[0]._tTimes = HistogramOf({10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
    tSummary._tSteps[1]._tTimes = HistogramOf({0.5, 0.25, 0.5, 0.5});
    tSummary._tSteps[1]._ulFailures = 4;
    // The most frequent reason first, then in order; a line break stays inside its line; past 20, one line.
    tSummary._tFailureReasons = {{"two\nlines", 3}, {"b", 1}, {"a", 1}};
    for (int n = 0; n <= 20; ++n) tSummary._tFailureReasons[(n < 10 ? "x0" : "x") + std::to_string(n)] = 1;
    tSummary._lBaselineKb = 1000;
    tSummary._lPeakKb = 3000;
    char* pszBuffer = nullptr;
    size_t nSize = 0;
    FILE* ptFile = open_memstream(&pszBuffer, &nSize);
    xfvKxwPlayPrintSummary(ptFile, tSteps, tSummary);
    std::fclose(ptFile);
    std::string dsSummary(pszBuffer, nSize);
    std::free(pszBuffer);
    EXPECT_EQ(
        "SUMMARY 2 virtual users x 2 iterations: 14 step runs, 4 failed\n"
        " step  line  verb         runs failures     median        95%        90%        99%\n"
        "    1     1  eval           10        0      5.5ms     10.0ms      9.0ms     10.0ms\n"
        "    2     3  expect          4        4      0.5ms      0.5ms      0.5ms      0.5ms\n"
        "    3     4  eval            0        0          -          -          -          -\n"
        "FAILURES 26 by reason:\n"
        "       3  two\\nlines\n"
        "       1  a\n"
        "       1  b\n"
        "       1  x00\n       1  x01\n       1  x02\n       1  x03\n       1  x04\n       1  x05\n"
        "       1  x06\n       1  x07\n       1  x08\n       1  x09\n       1  x10\n       1  x11\n"
        "       1  x12\n       1  x13\n       1  x14\n       1  x15\n       1  x16\n"
        "       4  (4 more reasons)\n"
        "MEMORY peak 3000 KB, 1000 KB per virtual user\n",
        dsSummary);
}

TEST(KxwPlayReport, LibraryMessagesGoToTheIssuingVirtualUsersOutput) {
    char* pszBuffer = nullptr;
    size_t nSize = 0;
    FILE* ptFile = open_memstream(&pszBuffer, &nSize);
    {
        KxwPlayOutput tOutput(ptFile, false, false);
        KxwPlayOutput::ThreadBinding tBinding(&tOutput);
        EXPECT_EQ(&tOutput, KxwPlayOutput::GetCurrent());
        xfvKxwPlayMessageSink(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, 0, "first\nsecond", "", 0);
        // While the virtual user runs its own script, the wrapper's copy of a script error is left out...
        tOutput.EnterOwnEvaluation();
        xfvKxwPlayMessageSink(xfeKxwUtilJavaScriptErrorSevLvl(), 0, "JavaScript error: dropped", "", 0);
        // ...but not the library's catalogued messages at the same level, nor other levels.
        xfvKxwPlayMessageSink(xfeKxwUtilJavaScriptErrorSevLvl(), -35944, "catalogued", "", 0);
        xfvKxwPlayMessageSink(KXW_WTL_SEV_LVL_ENUM_WARNING, 0, "warning", "", 0);
        tOutput.LeaveOwnEvaluation();
        xfvKxwPlayMessageSink(xfeKxwUtilJavaScriptErrorSevLvl(), 0, "JavaScript error: kept", "", 0);
    }
    EXPECT_EQ(nullptr, KxwPlayOutput::GetCurrent());
    std::fclose(ptFile);
    EXPECT_EQ(
        "MESSAGE first\\nsecond\n"
        "MESSAGE catalogued\n"
        "MESSAGE warning\n"
        "MESSAGE JavaScript error: kept\n",
        std::string(pszBuffer, nSize));
    std::free(pszBuffer);
    EXPECT_FALSE(xfbKxwPlaySevFilter(KXW_WTL_SEV_LVL_ENUM_NONE));
    EXPECT_TRUE(xfbKxwPlaySevFilter(KXW_WTL_SEV_LVL_ENUM_NOTICE));

    // A silent output (--quiet) writes nothing.
    pszBuffer = nullptr;
    ptFile = open_memstream(&pszBuffer, &nSize);
    {
        KxwPlayOutput tQuiet(ptFile, false, true);
        tQuiet.Line("EVAL", "1");
    }
    std::fclose(ptFile);
    EXPECT_EQ(0u, nSize);
    std::free(pszBuffer);
}
