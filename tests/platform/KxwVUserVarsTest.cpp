#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "KxwRecordingSink.h"
#include "KxwTransaction.h"
#include "KxwUtilCounter.h"
#include "QmtUtils.h"
#include "kxw/KxwParamStore.h"
#include "kxw/KxwVUserVars.h"

TEST(KxwVUserVars, EachThreadFindsItsOwnBlock) {
    constexpr int kThreads = 4;
    std::vector<std::thread> tThreads;
    std::atomic<int> iMismatches{0};
    for (int i = 0; i < kThreads; ++i) {
        tThreads.emplace_back([i, &iMismatches] {
            KxwVUserVars tVUser(i + 1);
            KxwVUserVarsThreadBinding tBinding(&tVUser);
            for (int n = 0; n < 10000; ++n) {
                KxwVUserVars* ptFound = KxwVUserVars::_fptGet("test", KXW_VUSER_VARS_MUST_EXIST);
                if (ptFound != &tVUser || ptFound->GetVUserId() != i + 1) ++iMismatches;
                ptFound->AddThinkTimeMs(1);
                std::this_thread::yield();
            }
            if (tVUser.GetThinkTimeMs() != 10000) ++iMismatches;
        });
    }
    for (std::thread& rtThread : tThreads) rtThread.join();
    EXPECT_EQ(0, iMismatches.load());
    EXPECT_EQ(nullptr, KxwVUserVars::_fptGet("test", KXW_VUSER_VARS_MAY_BE_ABSENT));
}

TEST(KxwVUserVars, MissingBlockIsReportedOnlyWhenItMustExist) {
    KxwRecordingSink tSink;
    EXPECT_EQ(nullptr, KxwVUserVars::_fptGet("quiet", KXW_VUSER_VARS_MAY_BE_ABSENT));
    EXPECT_EQ(0u, tSink.Count());
    EXPECT_EQ(nullptr, KxwVUserVars::_fptGet("LoudCaller", KXW_VUSER_VARS_MUST_EXIST));
    EXPECT_TRUE(tSink.Saw("LoudCaller"));
}

TEST(KxwVUserVars, BindingsNestAndADestroyedBlockUnbindsItself) {
    KxwVUserVars tOuter(1);
    KxwVUserVarsThreadBinding tOuterBinding(&tOuter);
    {
        KxwVUserVars tInner(2);
        KxwVUserVarsThreadBinding tInnerBinding(&tInner);
        EXPECT_EQ(&tInner, KxwVUserVars::_fptGet("t", KXW_VUSER_VARS_MAY_BE_ABSENT));
    }
    EXPECT_EQ(&tOuter, KxwVUserVars::_fptGet("t", KXW_VUSER_VARS_MAY_BE_ABSENT));
    {
        auto* ptShortLived = new KxwVUserVars(3);
        KxwVUserVars::_fptBindToThread(ptShortLived);
        delete ptShortLived;
        EXPECT_EQ(nullptr, KxwVUserVars::_fptGet("t", KXW_VUSER_VARS_MAY_BE_ABSENT));
        KxwVUserVars::_fptBindToThread(&tOuter);
    }
}

TEST(KxwParamStore, SaveAndReadBackPerVirtualUser) {
    KxwRecordingSink tSink;
    EXPECT_NE(0, Parameter_SaveString("v", 1, 0, "p"));  // no virtual user on this thread
    KxwVUserVars tVUser(1);
    KxwVUserVarsThreadBinding tBinding(&tVUser);
    const char acValue[] = {'a', '\0', 'b'};
    EXPECT_EQ(0, Parameter_SaveString(acValue, 3, 0, "withNul"));
    EXPECT_EQ(0, Parameter_SaveString("", 0, 0, "empty"));
    EXPECT_NE(0, Parameter_SaveString("x", -1, 0, "bad"));
    EXPECT_NE(0, Parameter_SaveString("x", 1, 0, nullptr));
    EXPECT_NE(0, Parameter_SaveString(nullptr, 3, 0, "nullValue"));
    const std::string* pdsSaved = tVUser.GetParamStore().Get("withNul");
    ASSERT_NE(nullptr, pdsSaved);
    EXPECT_EQ(std::string(acValue, 3), *pdsSaved);
    EXPECT_STREQ("", Parameter_GetString("empty"));
    EXPECT_EQ(nullptr, Parameter_GetString("bad"));
    EXPECT_EQ(2u, tVUser.GetParamStore().GetCount());
}

TEST(KxwTransaction, ThinkAndWastedTimeAddUpPerVirtualUser) {
    KxwRecordingSink tSink;
    EXPECT_EQ(-1, Transaction_ThinkTime(5));
    KxwVUserVars tVUser(1);
    KxwVUserVarsThreadBinding tBinding(&tVUser);
    EXPECT_EQ(0, Transaction_ThinkTime(1500));
    EXPECT_EQ(0, Transaction_ThinkTime(250));
    EXPECT_EQ(0, Transaction_WastedTime(12.5));
    EXPECT_EQ(-1, Transaction_WastedTime(-3));
    EXPECT_DOUBLE_EQ(1750, tVUser.GetThinkTimeMs());
    EXPECT_DOUBLE_EQ(12.5, tVUser.GetWastedTimeMs());
}

TEST(QmtUtilsRunClock, RealClockMovesAndManualClockReplacesIt) {
    xfvQmtUtilsStartRun();
    double dfFirst = xfdfQmtUtilsMillisecondsFromStartOfRun();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    double dfSecond = xfdfQmtUtilsMillisecondsFromStartOfRun();
    EXPECT_GE(dfFirst, 0);
    EXPECT_GE(dfSecond - dfFirst, 4.0);

    QmtUtilsManualClock tClock(1000);
    tClock.Install();
    EXPECT_EQ(1000, xfdfQmtUtilsMillisecondsFromStartOfRun());
    tClock.Advance(250);
    EXPECT_EQ(1250, xfdfQmtUtilsMillisecondsFromStartOfRun());
    QmtUtilsManualClock::Uninstall();
    EXPECT_LT(xfdfQmtUtilsMillisecondsFromStartOfRun(), 1000);
}

TEST(KxwUtilCounter, NeverGoesNegative) {
    KxwRecordingSink tSink;
    bool bTrace = false;
    KxwUtilCounterTracedImplicit tCounter(&bTrace, "downloads", &bTrace);
    EXPECT_EQ(1, tCounter.Increment());
    EXPECT_EQ(0, tCounter.Decrement());
    EXPECT_EQ(0, tCounter.Decrement());
    EXPECT_TRUE(tSink.Saw("KxwUtilCounter::Decrement"));
}
