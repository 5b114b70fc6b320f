#include "KxwJswScriptClock.h"

#include <algorithm>
#include <cmath>

#include "QmtUtils.h"
#include <js/Date.h>

namespace {

constexpr size_t kFunSlotOriginalDate = 0;

// Between two moves of the run clock each reading is this much later than the one before: a loop that waits for
// the clock to pass a mark gets there after a thousand readings a millisecond, the same way in every run.
constexpr double kStepPerReadingMs = 0.001;

// Per thread: one virtual user's scripts run on one thread.
struct ScriptClockState {
    double _dfLastAnswerMs = 0;  // never answer less than before
};
thread_local ScriptClockState gtClock;

bool DateNow(JSContext*, unsigned muArgc, JS::Value* mptVp) {
    JS::CallArgs tArgs = JS::CallArgsFromVp(muArgc, mptVp);
    tArgs.rval().setDouble(std::floor(xfdfKxwJswScriptNowMs()));
    return true;
}

// The engine's Date constructed (or called) with the script clock's time when no argument is given.
bool DateConstructor(JSContext* mptCx, unsigned muArgc, JS::Value* mptVp) {
    JS::CallArgs tArgs = JS::CallArgsFromVp(muArgc, mptVp);
    JS::RootedValue tOriginal(mptCx, js::GetFunctionNativeReserved(&tArgs.callee(), kFunSlotOriginalDate));
    if (!tArgs.isConstructing()) {
        // Date() is the text of the current time, whatever the arguments.
        JS::RootedObject tNow(mptCx, JS::NewDateObject(mptCx, JS::TimeClip(std::floor(xfdfKxwJswScriptNowMs()))));
        if (!tNow) return false;
        JS::RootedValue tNowValue(mptCx, JS::ObjectValue(*tNow));
        JSString* ptText = JS::ToString(mptCx, tNowValue);
        if (!ptText) return false;
        tArgs.rval().setString(ptText);
        return true;
    }
    JS::RootedObject tNewTarget(mptCx, &tArgs.newTarget().toObject());
    JS::RootedObject tResult(mptCx);
    if (tArgs.length() == 0) {
        JS::RootedValueArray<1> tNow(mptCx);
        tNow[0].setDouble(std::floor(xfdfKxwJswScriptNowMs()));
        if (!JS::Construct(mptCx, tOriginal, tNewTarget, tNow, &tResult)) return false;
    } else if (!JS::Construct(mptCx, tOriginal, tNewTarget, JS::HandleValueArray(tArgs), &tResult)) {
        return false;
    }
    tArgs.rval().setObject(*tResult);
    return true;
}

bool CopyProperty(JSContext* mptCx, JS::HandleObject mtFrom, JS::HandleObject mtTo, const char* mpszName) {
    JS::RootedValue tValue(mptCx);
    return JS_GetProperty(mptCx, mtFrom, mpszName, &tValue) &&
           JS_DefineProperty(mptCx, mtTo, mpszName, tValue, JSPROP_RESOLVING);
}

}  // namespace

double xfdfKxwJswScriptNowMs() {
    ScriptClockState& rtClock = gtClock;
    // Whole milliseconds at the origin, so that what scripts compute from the clock is the same in every run.
    double dfClockMs = std::floor(xfdfQmtUtilsEpochMsAtStartOfRun()) + xfdfQmtUtilsMillisecondsFromStartOfRun();
    rtClock._dfLastAnswerMs = std::max(rtClock._dfLastAnswerMs + kStepPerReadingMs, dfClockMs);
    return rtClock._dfLastAnswerMs;
}

bool xfbKxwJswInstallScriptClock(JSContext* mptCx, JS::HandleObject mtGlobal) {
    JS::RootedValue tOriginal(mptCx);
    if (!JS_GetProperty(mptCx, mtGlobal, "Date", &tOriginal)) return false;
    if (!tOriginal.isObject()) return true;
    JS::RootedObject tOriginalObj(mptCx, &tOriginal.toObject());
    JSFunction* ptFun = js::NewFunctionWithReserved(mptCx, DateConstructor, 7, JSFUN_CONSTRUCTOR, "Date");
    if (!ptFun) return false;
    JS::RootedObject tDate(mptCx, JS_GetFunctionObject(ptFun));
    js::SetFunctionNativeReserved(tDate, kFunSlotOriginalDate, tOriginal);
    JS::RootedValue tPrototype(mptCx);
    if (!JS_GetProperty(mptCx, tOriginalObj, "prototype", &tPrototype) || !tPrototype.isObject()) return false;
    JS::RootedObject tPrototypeObj(mptCx, &tPrototype.toObject());
    JS::RootedValue tDateValue(mptCx, JS::ObjectValue(*tDate));
    // One Date for the page: its prototype is the engine's, whose constructor is this one.
    return JS_DefineProperty(mptCx, tDate, "prototype", tPrototype,
                             JSPROP_PERMANENT | JSPROP_READONLY | JSPROP_RESOLVING) &&
           JS_DefineProperty(mptCx, tPrototypeObj, "constructor", tDateValue, JSPROP_RESOLVING) &&
           CopyProperty(mptCx, tOriginalObj, tDate, "parse") && CopyProperty(mptCx, tOriginalObj, tDate, "UTC") &&
           JS_DefineFunction(mptCx, tDate, "now", DateNow, 0, JSPROP_RESOLVING) &&
           JS_DefineProperty(mptCx, mtGlobal, "Date", tDateValue, JSPROP_RESOLVING);
}
