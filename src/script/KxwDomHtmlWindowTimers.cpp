#include "KxwDomHtmlWindowTimers.h"

#include <string>

#include "KxwDomHtmlTopWindow.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomScriptCall.h"
#include "KxwDomStr.h"
#include "KxwDomTimeoutInfo.h"
#include "KxwDomTimeoutStatus.h"
#include "KxwObjMgrVUserTimeoutInfo.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJswGlobal.h"
#include "kxw/KxwObjMgr.h"

namespace {

using KxwDomHtmlWindowCall = KxwDomScriptCallOn<KxwDomHtmlWindow>;

class KxwDomTimerCompileNotifier final : public KxwJswScriptEvaluationNotifier {};

// The window a timer method runs on: the one called, or, for a window that is gone, the first top window.
KxwDomHtmlWindow* WindowOfCall(KxwDomHtmlWindowCall& mrtCall, KxwJswUserObjBase* mptUserObj,
                               const char* mpszMethod, const char* mpszCommon) {
    if (mrtCall.This()) return mrtCall.This();
    if (mptUserObj) return nullptr;  // an object of another class
    KxwObjMgr* ptObjMgr = xfptKxwDomUtilGetObjMgr(mpszCommon);
    KxwDomHtmlWindow* ptTop = ptObjMgr ? ptObjMgr->GetFirstTopWindow() : nullptr;
    if (!ptTop) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, "ptTopWindow is NULL in %s",
                                              mpszCommon);
        return nullptr;
    }
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("%s called for a deleted window at %p. using ptTopWindow=%p instead", mpszMethod,
                                    static_cast<void*>(mptUserObj), static_cast<void*>(ptTop));
    return ptTop;
}

}  // namespace

int KxwDomHtmlWindow::SetTimeoutAndIntervalCommon(bool mbInterval, const KxwJsval& mrtCode, int miDelay,
                                                  const std::u16string* mpdsCode) {
    const char* pszMethod = mbInterval ? "setInterval" : "setTimeout";
    static const char kszCommon[] = "KxwDomHtmlWindow::SetTimeoutAndIntervalCommon";
    KxwJsval tFunction;
    std::string dsCode;
    if (mpdsCode) {
        KxwDomStr tCode(GetDomEnv());
        tCode.AssignDcsFromU16n(mpdsCode->data(), static_cast<unsigned>(mpdsCode->size()));
        if (const char* psfCode = tCode.GetDcsStr()) dsCode.assign(psfCode, tCode.GetDcsLenInBytes());
        KxwHswApi* ptHswApi = _tTimeoutStatus.GetHswApi();
        if (!ptHswApi) {
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, "_ptHswApi==NULL in %s",
                                                  kszCommon);
        } else if (KxwJswGlobal* ptGlobal = GetGlobal()) {
            // The text is a function of the window's page, whichever window's script asked.
            KxwJswGlobal::RealmScope tRealm(ptGlobal);
            KxwDomTimerCompileNotifier tNotifier;
            std::string dsFile = std::string("[window.") + pszMethod + " code]";
            ptHswApi->CompileFunction(tNotifier, nullptr, 0, "anonymous", mpdsCode->data(), mpdsCode->size(),
                                      dsFile.c_str(), 1, tFunction);
        }
    } else if (mrtCode.IsFunction()) {
        tFunction = mrtCode;
    } else {
        xfvKxwUtilReportBySevLvl(xfbKxwDomUtilIsSap() ? KXW_WTL_SEV_LVL_ENUM_NOTICE : KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                 "The type of the first argument of window.%s is neither a string nor a function",
                                 pszMethod);
    }
    if (!_ptObjMgr) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_ptObjMgr is NULL in %s for this=%p", kszCommon,
                                              static_cast<void*>(this));
        return -1;
    }
    int iTimerID = _ptObjMgr->GetTimeoutInfo().GenerateTimerID();
    if (!tFunction.IsFunction()) return iTimerID;
    return _tTimeoutStatus.AddTimeoutInfo(miDelay, tFunction, mbInterval ? KxwDomTimeoutInfo::kucRecurring : 0,
                                          mpdsCode ? dsCode.data() : nullptr, static_cast<unsigned>(dsCode.size()),
                                          iTimerID);
}

namespace KxwDomHtmlWindowTimers {

namespace {

bool SetCommon(bool mbInterval, KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    const char* pszCallback =
        mbInterval ? "KxwDomHtmlWindow::setInterval_callback" : "KxwDomHtmlWindow::setTimeout_callback";
    KxwDomHtmlWindowCall tCall(pszCallback, mptUserObj, mrtArgs);
    KxwDomHtmlWindow* ptWindow = WindowOfCall(tCall, mptUserObj, mbInterval ? "setInterval" : "setTimeout",
                                              "KxwDomHtmlWindow::SetTimeoutAndIntervalCommon");
    KxwJsval tCode = tCall.Arg(0);
    // The code (a text or a function) is required; the delay and the language are not.
    if (!ptWindow || tCall.Argc() < 1 || tCode.IsUndefined() || tCode.IsNull()) return tCall.Invalid();
    int iDelay = tCall.Int(1, 0);
    std::u16string dsCode;
    bool bText = tCode.IsString();
    if (bText) dsCode = tCall.Text(0);
    if (tCall.Failed()) return false;
    return tCall.Return(ptWindow->SetTimeoutAndIntervalCommon(mbInterval, tCode, iDelay, bText ? &dsCode : nullptr));
}

bool ClearCommon(const char* mpszCallback, KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall(mpszCallback, mptUserObj, mrtArgs);
    KxwDomHtmlWindow* ptWindow = WindowOfCall(tCall, mptUserObj, "clearTimeout", mpszCallback);
    if (!ptWindow) return tCall.Invalid();
    int iTimerID = tCall.Int(0, 0);
    if (tCall.Failed()) return false;
    ptWindow->GetTimeoutStatus().RemoveTimeoutInfoById(iTimerID);
    return tCall.Undefined();
}

}  // namespace

bool setTimeout_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return SetCommon(false, mptUserObj, mrtArgs);
}

bool setInterval_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return SetCommon(true, mptUserObj, mrtArgs);
}

bool clearTimeout_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return ClearCommon("KxwDomHtmlWindow::clearTimeout_callback", mptUserObj, mrtArgs);
}

bool clearInterval_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return ClearCommon("KxwDomHtmlWindow::clearInterval_callback", mptUserObj, mrtArgs);
}

}  // namespace KxwDomHtmlWindowTimers
