// Timers below what a page can reach: the millisecond arithmetic of the virtual user's timer state (rounding,
// wrap, saturation for large settings), a timer that comes due while another timer of its window runs, and think
// and wasted time. The engine's timer service and a clock that moves only when told stand in for the engine.
#include <string>

#include "KxwBrowsingFixture.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomTimeoutInfo.h"
#include "KxwDomTimeoutStatus.h"
#include "KxwEngineTimerService.h"
#include "KxwObjMgrVUserTimeoutInfo.h"
#include "QmtUtils.h"
#include "kxw/KxwEnvCfg.h"

namespace {

class KxwDomTimersTest : public KxwBrowsingFixture {
protected:
    void SetUp() override {
        KxwBrowsingFixture::SetUp();
        _tClock.Install();
        _pfSavedRegister = xtKxwEnvCfg._pfRegisterTimer;
        _pfSavedUnregister = xtKxwEnvCfg._pfvUnregisterTimer;
        xtKxwEnvCfg._pfRegisterTimer = &KxwEngineTimerService::EnvRegister;
        xtKxwEnvCfg._pfvUnregisterTimer = &KxwEngineTimerService::EnvUnregister;
        KxwEngineTimerService::BindToThread(&_tService);
        _ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
        LoadPage(_ptTop, "http://h/page.html");
    }
    void TearDown() override {
        KxwBrowsingFixture::TearDown();
        KxwEngineTimerService::BindToThread(nullptr);
        xtKxwEnvCfg._pfRegisterTimer = _pfSavedRegister;
        xtKxwEnvCfg._pfvUnregisterTimer = _pfSavedUnregister;
        QmtUtilsManualClock::Uninstall();
    }
    KxwDomTimeoutStatus& Timers() { return _ptTop->GetTimeoutStatus(); }
    KxwObjMgrVUserTimeoutInfo& Info() { return _ptObjMgr->GetTimeoutInfo(); }

    QmtUtilsManualClock _tClock;
    KxwEngineTimerService _tService{[this]() { return _tClock.Now(); }};
    KxwDomHtmlTopWindow* _ptTop = nullptr;

private:
    void* (*_pfSavedRegister)(void*, KxwEnvTimerCallback, void*, uint32_t) = nullptr;
    int (*_pfSavedUnregister)(void*, void*) = nullptr;
};

}  // namespace

TEST_F(KxwDomTimersTest, EffectiveTimeIsTheRoundedRunClockOrTheVirtualClock) {
    _tClock.Set(1234.5);
    uint32_t uReal = 0;
    EXPECT_EQ(1235u, Info().GetEffectiveTimestamp(&uReal));
    _tClock.Set(1234.4);
    EXPECT_EQ(1234u, Info().GetEffectiveTimestamp(nullptr));
    // The 32-bit count wraps past 49.7 days, as the engine's clock does.
    _tClock.Set(4294967296.0 + 7);
    EXPECT_EQ(7u, Info().GetEffectiveTimestamp(nullptr));
    _tClock.Set(500);
    Info().SetVirtualTimerTime(9000);
    EXPECT_EQ(9000u, Info().GetEffectiveTimestamp(&uReal));
    EXPECT_EQ(500u, uReal) << "the run clock still comes through the pointer";
    Info().Reset();
    EXPECT_EQ(500u, Info().GetEffectiveTimestamp(nullptr));
}

TEST_F(KxwDomTimersTest, TheStepLimitIsFixedByItsFirstTimerAndSaturates) {
    _tVUser.GetRTS().SetMaximumAccumulativeTimeout(10);
    EXPECT_EQ(10100u, Info().ObtainTimeoutExpirationTimestampLimit(100, 5));
    EXPECT_EQ(10100u, Info().ObtainTimeoutExpirationTimestampLimit(7000, 5)) << "fixed until the next step";
    Info().Reset();
    _tVUser.GetRTS().SetMaximumAccumulativeTimeout(KxwiRunTimeSettings::kMaxTimeoutSeconds);
    EXPECT_EQ(0xFFFFFFFEu, Info().ObtainTimeoutExpirationTimestampLimit(3000000000u, 5));
    EXPECT_EQ(0xFFFFFFFEu, KxwObjMgrVUserTimeoutInfo::AddSaturated(0xFFFFFFF0u, 0x100));
    EXPECT_EQ(1, _ptObjMgr->GenerateTimerID()) << "identifiers start at 1";
    EXPECT_EQ(2, _ptObjMgr->GenerateTimerID());
}

// With the largest settings late in a run, the limit and the maximum timeout do not wrap: a timer of a second is
// neither refused nor frozen, and is handed to the engine with its own delay.
TEST_F(KxwDomTimersTest, LargeSettingsLateInARunNeitherFreezeNorRefuseTimers) {
    _tVUser.GetRTS().SetMaximumTimeout(KxwiRunTimeSettings::kMaxTimeoutSeconds);
    _tVUser.GetRTS().SetMaximumAccumulativeTimeout(KxwiRunTimeSettings::kMaxTimeoutSeconds);
    _tClock.Set(3000000000.0);
    EXPECT_EQ("3", Eval(_ptTop, "setTimeout(function () { ran = 1; }, 1000); setTimeout('ran2 = 1', 4000000000 / 1000); "
                                "setTimeout('ran3 = 1', 1000)"));
    EXPECT_EQ(3u, Timers().GetRequestedCount());
    Timers().OnScriptComplete();
    uint32_t uDue = 0;
    int iID = 0;
    ASSERT_NE(nullptr, Timers().GetMinExpirationTimestampOrULongMax(uDue, iID));
    EXPECT_EQ(3000001000u, uDue);
    EXPECT_EQ(1, iID);
    EXPECT_EQ(3u, _tService.GetPendingCount()) << "none frozen";
    double dfDue = 0;
    ASSERT_TRUE(_tService.GetNextDue(&dfDue));
    EXPECT_DOUBLE_EQ(3000001000.0, dfDue);
}

// A timer that comes due while another timer of its window runs (the running one's function let the engine run
// timers) waits for it, and runs after it instead of being lost.
TEST_F(KxwDomTimersTest, ATimerDueWhileAnotherRunsIsRequeuedAndRunsAfterIt) {
    EXPECT_EQ("2", Eval(_ptTop, "var order = []; setTimeout(function () { order.push('a'); }, 5); "
                                "setTimeout(function () { order.push('b'); }, 5)"));
    Timers().OnScriptComplete();
    uint32_t uDue = 0;
    int iID = 0;
    KxwDomTimeoutInfo* ptFirst = Timers().GetMinExpirationTimestampOrULongMax(uDue, iID);
    ASSERT_NE(nullptr, ptFirst);
    EXPECT_EQ(1, iID);
    // The first is running (the engine called it back): the second comes due now.
    ptFirst->UnRegister(false);
    ASSERT_TRUE(Timers().StartEvaluation(*ptFirst));
    _tClock.Set(10);
    EXPECT_EQ(1u, _tService.RunDue(10));
    EXPECT_EQ(1u, Timers().GetRequestedCount()) << "the second went back to the request list";
    Timers().EndEvaluation(true);
    EXPECT_EQ(0u, Timers().GetRequestedCount());
    EXPECT_EQ(1u, _tService.GetPendingCount()) << "and was handed to the engine again";
    _tClock.Set(11);
    EXPECT_EQ(1u, _tService.RunDue(10));
    EXPECT_EQ("b", Eval(_ptTop, "order.join()"));
}

TEST_F(KxwDomTimersTest, ClearingARunningIntervalFromItsOwnFunctionStopsIt) {
    EXPECT_EQ("1", Eval(_ptTop, "var n = 0; var iv = setInterval(function () { if (++n == 2) clearInterval(iv); }, 3); iv"));
    for (int i = 1; i <= 5; ++i) {
        Timers().OnScriptComplete();
        _tClock.Set(3.0 * i);
        _tService.RunDue(10);
    }
    EXPECT_EQ("2", Eval(_ptTop, "n")) << Eval(_ptTop, "typeof iv + ' ' + location.href");
    EXPECT_EQ(0u, Timers().GetActiveCount() + Timers().GetRequestedCount());
    EXPECT_EQ(0u, _tService.GetPendingCount());
}

TEST_F(KxwDomTimersTest, ThinkTimeAroundTimersAndWastedTimeAreReportedInMilliseconds) {
    _tClock.Set(1000);
    EXPECT_EQ(0, Info().StartThinkTime()) << "not measured unless asked for";
    _tClock.Set(2000);
    EXPECT_EQ(0, Info().EndThinkTime());
    EXPECT_EQ(0, _tVUser.GetThinkTimeMs());
    Info().SetHandleTimeoutThinkTime(true);
    EXPECT_EQ(2000, Info().StartThinkTime());
    _tClock.Set(4500);
    EXPECT_EQ(4500, Info().EndThinkTime());
    EXPECT_EQ(2500, _tVUser.GetThinkTimeMs());
    EXPECT_EQ(4500, Info().EndThinkTime()) << "an interval ends once";
    EXPECT_EQ(2500, _tVUser.GetThinkTimeMs());
    EXPECT_EQ(4500, Info().StartWastedTime());
    _tClock.Set(4750);
    EXPECT_EQ(4750, Info().EndWastedTime());
    EXPECT_EQ(250, _tVUser.GetWastedTimeMs());
    // A timer's run ends the think time since the last timer ended, and starts the next.
    EXPECT_EQ("1", Eval(_ptTop, "setTimeout('x = 1', 250)"));
    Timers().OnScriptComplete();
    Info().StartThinkTime();
    _tClock.Set(5000);
    _tService.RunDue(10);
    EXPECT_EQ(2750, _tVUser.GetThinkTimeMs());
}
