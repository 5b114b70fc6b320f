// The window as its page's scripts see it (script class "Window"): its properties, its methods, and its frames by
// index and by name.
#include <cstring>

#include "KxwDomBindingUtil.h"
#include "KxwDomBrowsingUtil.h"
#include "KxwDomClipboardData.h"
#include "KxwDomComputedStyle.h"
#include "KxwDomCoreEvent.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementFrame.h"
#include "KxwDomHtmlElementImage.h"
#include "KxwDomHtmlElementOption.h"
#include "KxwDomHtmlElementScript.h"
#include "KxwDomHtmlElementWithName.h"
#include "KxwDomHtmlHistory.h"
#include "KxwDomHtmlLocation.h"
#include "KxwDomHtmlNavigator.h"
#include "KxwDomHtmlPopupWindow.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomHtmlWindowDialog.h"
#include "KxwDomHtmlWindowTimers.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwDomScriptEvaluationNotifier.h"
#include "KxwDomStr.h"
#include "KxwDomUserRegistration.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomDialogs.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwJswGlobal.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwParamStore.h"

namespace {

constexpr uint16_t kRO = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY;
constexpr uint16_t kRW = KXW_JSW_PROP_PERMANENT;

enum : short {
    kIdDocument = 0,
    kIdFrames,
    kIdTop,
    kIdOpener,
    kIdClosed,
    kIdSelf,
    kIdWindow,
    kIdParent,
    kIdLocation,
    kIdName,
    kIdStatus,
    kIdDefaultStatus,
    kIdHistory,
    kIdLength,
    kIdFrameElement,
    kIdScreenTop,
    kIdScreenLeft,
    kIdVokIsUnderTest,
    kIdNavigator,
    kIdClientInformation,
    kIdScreen,
    kIdExternal,
    kIdEvent,
    kIdClipboardData,
};

const KxwJswPropertySpec katWindowProperties[] = {
    {"document", kIdDocument, kRO, nullptr},
    {"frames", kIdFrames, kRO, nullptr},
    {"top", kIdTop, kRO, nullptr},
    {"opener", kIdOpener, kRW, "o"},
    {"closed", kIdClosed, kRO, nullptr},
    {"self", kIdSelf, kRO, nullptr},
    {"window", kIdWindow, kRO, nullptr},
    {"parent", kIdParent, kRO, nullptr},
    {"location", kIdLocation, kRW, "S"},
    {"name", kIdName, kRW, "S"},
    {"status", kIdStatus, kRW, "S"},
    {"defaultStatus", kIdDefaultStatus, kRW, "S"},
    {"history", kIdHistory, kRO, nullptr},
    {"length", kIdLength, kRO, nullptr},
    {"frameElement", kIdFrameElement, kRO, nullptr},
    {"screenTop", kIdScreenTop, kRO, nullptr},
    {"screenLeft", kIdScreenLeft, kRO, nullptr},
    {"vokIsUnderTest", kIdVokIsUnderTest, kRO, nullptr},
    {"navigator", kIdNavigator, kRO, nullptr},
    {"clientInformation", kIdClientInformation, kRO, nullptr},
    {"screen", kIdScreen, kRO, nullptr},
    {"event", kIdEvent, kRO, nullptr},
    {"external", kIdExternal, kRO, nullptr},
    {"clipboardData", kIdClipboardData, kRO, nullptr},
    {nullptr, 0, 0, nullptr},
};

using KxwDomHtmlWindowCall = KxwDomScriptCallOn<KxwDomHtmlWindow>;

std::string DcsOf(KxwDomHtmlWindow* mptWindow, const std::u16string& mrdsText) {
    KxwDomPropertyInfo tInfo;
    tInfo.AssignU16nStr(mrdsText.data(), static_cast<unsigned>(mrdsText.size()), true);
    return xfdsKxwDomBrowsingTextOf(tInfo, mptWindow->GetU16nHandler());
}

bool open_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::open_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    std::string dsUrl = tCall.Argc() > 0 && !tCall.Arg(0).IsUndefined() ? DcsOf(tCall.This(), tCall.Text(0)) : "";
    std::string dsName = tCall.Argc() > 1 && !tCall.Arg(1).IsUndefined() ? DcsOf(tCall.This(), tCall.Text(1)) : "";
    if (tCall.Failed()) return false;
    KxwDomHtmlWindow* ptTarget = tCall.This()->OpenWindowOrDefer(dsUrl.data(), static_cast<unsigned>(dsUrl.size()),
                                                                 dsName.data(), static_cast<unsigned>(dsName.size()));
    return ptTarget ? tCall.Return(ptTarget) : tCall.Null();
}

bool navigate_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::navigate_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(1)) return false;
    std::string dsUrl = DcsOf(tCall.This(), tCall.Text(0));
    if (tCall.Failed()) return false;
    if (KxwDomHtmlLocation* ptLocation = tCall.This()->GetLocation())
        ptLocation->Replace(dsUrl.data(), static_cast<int>(dsUrl.size()), KXW_DOM_HTML_LOCATION_CHANGE_NAVIGATE, 0);
    return tCall.Undefined();
}

bool close_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::close_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    KxwDomHtmlTopWindow* ptTop =
        tCall.This()->IsTopWindow() ? static_cast<KxwDomHtmlTopWindow*>(tCall.This()) : nullptr;
    if (ptTop)
        ptTop->Close(false);
    else
        tCall.This()->Close(false);
    return tCall.Undefined();
}

bool alert_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::alert_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    std::u16string dsText = tCall.Argc() > 0 ? tCall.Text(0) : std::u16string();
    if (tCall.Failed()) return false;
    KxwDomHtmlWindow* ptWindow = tCall.This();
    if (KxwDomHtmlTopWindow* ptTop = ptWindow->GetTopWindow()) ptTop->ResetDeferredCloseIfRequired("alert");
    KxwDomStr tText(ptWindow->GetDomEnv());
    tText.AssignDcsFromU16n(dsText.data(), static_cast<unsigned>(dsText.size()));
    KxwDomWatchDelete tWatch("KxwDomHtmlWindow::alert_callback", ptWindow);
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_ALERT, ptWindow, &tText);
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_ALERT_STRING, &tText, nullptr);
    std::string dsMessage = std::string("Alert: ") + DcsOf(ptWindow, dsText);
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_WARNING, -26000, "KxwDomHtmlWindow::alert_callback",
                                        __LINE__, dsMessage.c_str());
    return tCall.Undefined();
}

// The message of a page's confirm or prompt: in the window's code page, as registered answers match it, and as a
// log line may show it (escaped, cut at the precision of the catalogued messages).
struct KxwDomDialogMessage {
    std::string _dsDcs;
    std::string _dsPrintable;
};

constexpr size_t knMaxDialogMessageInLog = 1900;

// Finds the registered answer for the message and fills its texts; the string lives on the window's memory only
// while the answer is looked for.
template <typename Find>
KxwDomUserRegistration* FindDialogAnswer(KxwDomHtmlWindow* mptWindow, const std::u16string& mrdsText, Find mtFind,
                                         KxwDomDialogMessage& mrtMessage) {
    KxwDomStr tMessage(mptWindow->GetDomEnv());
    tMessage.AssignDcsFromU16n(mrdsText.data(), static_cast<unsigned>(mrdsText.size()));
    mrtMessage._dsDcs.assign(tMessage.GetDcsStr(), tMessage.GetDcsLenInBytes());
    mrtMessage._dsPrintable =
        KxwDomBase::GetPrintableText(tMessage.GetDcsStr(), tMessage.GetDcsLenInBytes(), knMaxDialogMessageInLog);
    KxwObjMgr* ptObjMgr = mptWindow->GetObjMgr();
    return ptObjMgr ? mtFind(ptObjMgr, tMessage) : nullptr;
}

// Tells the engine how the dialog was answered (it writes the CONFIRM or PROMPT line).
void NotifyDialogAnswered(KxwDomHtmlWindow* mptWindow, KXW_DOM_DIALOG_KIND_ENUM meKind,
                          const KxwDomDialogMessage& mrtMessage, bool mbRegistered, bool mbOK,
                          const std::u16string& mrdsText) {
    KxwDomDialogAnswered tAnswered{
        meKind, mrtMessage._dsDcs, mbRegistered, mbOK,
        mbOK && meKind == KXW_DOM_DIALOG_KIND_PROMPT ? DcsOf(mptWindow, mrdsText) : std::string()};
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_DIALOG_ANSWERED, mptWindow, &tAnswered);
}

void ReportAnsweredAsRegistered(const char* mpszDialog, const char* mpszFunction,
                                const KxwDomDialogMessage& mrtMessage) {
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35927, mpszFunction, __LINE__, mpszDialog,
                                        mrtMessage._dsPrintable.c_str());
}

// The first registered confirm answer whose message matches says OK or Cancel; without one, OK is clicked.
bool confirm_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    static const char kszFunction[] = "KxwDomHtmlWindow::confirm_callback";
    KxwDomHtmlWindowCall tCall(kszFunction, mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    std::u16string dsText = tCall.Argc() > 0 ? tCall.Text(0) : std::u16string();
    if (tCall.Failed()) return false;
    KxwDomHtmlWindow* ptWindow = tCall.This();
    if (KxwDomHtmlTopWindow* ptTop = ptWindow->GetTopWindow()) ptTop->ResetDeferredCloseIfRequired("confirm");
    KxwDomDialogMessage tMessage;
    auto* ptAnswer = dynamic_cast<KxwDomUserRegistrationConfirm*>(FindDialogAnswer(
        ptWindow, dsText,
        [](KxwObjMgr* mptObjMgr, KxwDomStr& mrtMessage) { return mptObjMgr->FindUserRegistrationConfirm(mrtMessage); },
        tMessage));
    bool bOK = ptAnswer ? ptAnswer->GetConfirmed() : true;
    NotifyDialogAnswered(ptWindow, KXW_DOM_DIALOG_KIND_CONFIRM, tMessage, ptAnswer != nullptr, bOK, std::u16string());
    if (ptAnswer) {
        ReportAnsweredAsRegistered("confirm", kszFunction, tMessage);
    } else {
        KXW_WTL_SEV_LVL_ENUM eSevLvl = xfbKxwDomUtilFailOnJavaScriptError() ? KXW_WTL_SEV_LVL_ENUM_IGNORED_FRAME
                                                                            : KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR;
        xfvKxwDomUtilReportCatalogedMessage(eSevLvl, -35925, kszFunction, __LINE__, tMessage._dsPrintable.c_str());
    }
    return tCall.Return(bOK);
}

// The first registered prompt answer whose message matches: Cancel gives null; OK its text, else the page's
// default when that is a string, else "undefined". Without one the empty text is returned.
bool prompt_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    static const char kszFunction[] = "KxwDomHtmlWindow::prompt_callback";
    KxwDomHtmlWindowCall tCall(kszFunction, mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    std::u16string dsText = tCall.Argc() > 0 ? tCall.Text(0) : std::u16string();
    bool bDefaultIsString = tCall.Argc() > 1 && tCall.Arg(1).IsString();
    std::u16string dsDefault = bDefaultIsString ? tCall.Text(1) : std::u16string();
    if (tCall.Failed()) return false;
    KxwDomHtmlWindow* ptWindow = tCall.This();
    if (KxwDomHtmlTopWindow* ptTop = ptWindow->GetTopWindow()) ptTop->ResetDeferredCloseIfRequired("prompt");
    KxwDomDialogMessage tMessage;
    KxwDomUserRegistration* ptAnswer = FindDialogAnswer(
        ptWindow, dsText,
        [](KxwObjMgr* mptObjMgr, KxwDomStr& mrtMessage) { return mptObjMgr->FindUserRegistrationPrompt(mrtMessage); },
        tMessage);
    if (!ptAnswer) {
        NotifyDialogAnswered(ptWindow, KXW_DOM_DIALOG_KIND_PROMPT, tMessage, false, true, std::u16string());
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_IGNORED_FRAME, -35924, kszFunction, __LINE__,
                                            tMessage._dsPrintable.c_str());
        return tCall.Return(std::u16string());
    }
    if (dynamic_cast<KxwDomUserRegistrationPromptCancel*>(ptAnswer)) {
        NotifyDialogAnswered(ptWindow, KXW_DOM_DIALOG_KIND_PROMPT, tMessage, true, false, std::u16string());
        ReportAnsweredAsRegistered("prompt", kszFunction, tMessage);
        return tCall.Null();
    }
    auto* ptOK = dynamic_cast<KxwDomUserRegistrationPromptOK*>(ptAnswer);
    if (!ptOK) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptUserRegistrationPrompt=%p is neither OK nor Cancel in "
                                              "KxwDomHtmlWindow::prompt_callback for this=%p",
                                              static_cast<void*>(ptAnswer), static_cast<void*>(ptWindow));
        return tCall.Return(std::u16string());
    }
    std::u16string dsResult =
        ptOK->HasSetText() ? std::u16string(ptOK->GetSetText().GetU16nStr(), ptOK->GetSetText().GetU16nLenInChars())
        : bDefaultIsString ? dsDefault
                           : std::u16string(u"undefined");
    NotifyDialogAnswered(ptWindow, KXW_DOM_DIALOG_KIND_PROMPT, tMessage, true, true, dsResult);
    ReportAnsweredAsRegistered("prompt", kszFunction, tMessage);
    return tCall.Return(dsResult);
}

bool item_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::item_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(1)) return false;
    KxwDomHtmlWindow* ptFrame = nullptr;
    if (tCall.Arg(0).IsNumber()) {
        int32_t iIndex = tCall.Int(0, -1);
        if (tCall.Failed()) return false;
        if (iIndex >= 0) ptFrame = tCall.This()->GetFrameWindow(static_cast<unsigned>(iIndex));
    } else {
        std::string dsName = DcsOf(tCall.This(), tCall.Text(0));
        if (tCall.Failed()) return false;
        ptFrame = tCall.This()->GetFrameWindowByName(dsName.data(), static_cast<unsigned>(dsName.size()));
    }
    return ptFrame ? tCall.Return(ptFrame) : tCall.Null();
}

bool ScriptEngine_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::ScriptEngine_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    return tCall.Return(std::u16string(u"JScript"));
}

bool ScriptEngineMajorVersion_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::ScriptEngineMajorVersion_callback", mptUserObj, mrtArgs);
    return tCall.Check(0) && tCall.Return(5);
}

bool ScriptEngineMinorVersion_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::ScriptEngineMinorVersion_callback", mptUserObj, mrtArgs);
    return tCall.Check(0) && tCall.Return(6);
}

bool ScriptEngineBuildVersion_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::ScriptEngineBuildVersion_callback", mptUserObj, mrtArgs);
    return tCall.Check(0) && tCall.Return(8513);
}

// CollectGarbage(): the script engine's collection, now, as the emulated browser's engine offers it; the objects
// it finds dead are deleted once the running script ends.
bool CollectGarbage_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::CollectGarbage_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    if (KxwJswEngine* ptEngine = KxwJswEngine::Current()) ptEngine->CollectGarbage();
    mrtArgs.SetResult(KxwJsval());
    return true;
}

// execScript(code, language): the code runs in this window's page, as one of its scripts; languages other than
// this engine's are not run.
bool execScript_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::execScript_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(1)) return false;
    std::u16string dsCode = tCall.Text(0);
    std::u16string dsLanguage = tCall.Argc() > 1 && !tCall.Arg(1).IsUndefined() ? tCall.Text(1) : std::u16string();
    if (tCall.Failed()) return false;
    if (!dsLanguage.empty() && (dsLanguage[0] == u'V' || dsLanguage[0] == u'v')) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_WARNING, -26000,
                                            "KxwDomHtmlWindow::execScript_callback", __LINE__,
                                            ("execScript: the language \"" + DcsOf(tCall.This(), dsLanguage) +
                                             "\" is not supported; the code was not run")
                                                .c_str());
        return tCall.Null();
    }
    KxwDomHtmlWindow* ptWindow = tCall.This();
    KxwHswApi* ptHswApi = xfptKxwDomUtilGetHswApi();
    if (ptHswApi && ptWindow->GetGlobal() && !dsCode.empty()) {
        // The code is UTF-16 already: it is not taken through the page's charset as a page's text is.
        KxwJswGlobal::RealmScope tRealm(ptWindow->GetGlobal());
        KxwDomScriptEvaluationNotifier tNotifier("KxwDomHtmlWindow::execScript_callback", ptWindow, true);
        ptHswApi->Evaluate(tNotifier, nullptr, dsCode.data(), dsCode.size(), "[execScript]", 1);
    }
    return tCall.Null();
}

// vokSaveParam(name, value): the value is saved as the virtual user's parameter of that name.
bool vokSaveParam_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::vokSaveParam_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    bool bHasName = tCall.Argc() > 0 && !tCall.Arg(0).IsUndefined() && !tCall.Arg(0).IsNull();
    std::string dsName = bHasName ? tCall.Utf8(0) : std::string();
    std::string dsValue = tCall.Argc() > 1 ? tCall.Utf8(1) : std::string("undefined");
    if (tCall.Failed()) return false;
    if (dsName.empty()) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                 "Invalid pszParamNameDcsStr/pszParamNameDcsStr (%.100s/%p) in "
                                 "KxwDomHtmlWindow::vokSaveParam_callback",
                                 bHasName ? "empty" : "NULL", static_cast<const void*>(dsName.c_str()));
        return tCall.Null();
    }
    int iRc = Parameter_SaveString(dsValue.data(), static_cast<int>(dsValue.size()), 0, dsName.c_str());
    if (iRc != 0) {
        std::string dsShownValue = KxwDomBase::GetPrintableText(dsValue.data(), dsValue.size(), 1000);
        std::string dsShownName = KxwDomBase::GetPrintableText(dsName.data(), dsName.size(), 100);
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                 "Parameter_SaveString(value=\"%.1000s\", val_len=%d, options=0, name=\"%.100s\") "
                                 "failed (rc=%d) in KxwDomHtmlWindow::vokSaveParam_callback",
                                 dsShownValue.c_str(), static_cast<int>(dsValue.size()), dsShownName.c_str(), iRc);
    }
    return tCall.Null();
}

bool createPopup_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::createPopup_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    KxwDomHtmlPopupWindow* ptPopup = tCall.This()->ObtainPopupWindow();
    return ptPopup ? tCall.Return(static_cast<KxwJswUserObjBase*>(ptPopup)) : tCall.Null();
}

// show() and hide() of a window act on the pop-up the window belongs to; other windows are not shown or hidden.
bool show_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::show_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    if (KxwDomHtmlPopupWindow* ptPopup = tCall.This()->GetPopup()) ptPopup->Show();
    return tCall.Undefined();
}

bool hide_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::hide_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    if (KxwDomHtmlPopupWindow* ptPopup = tCall.This()->GetPopup()) ptPopup->Hide();
    return tCall.Undefined();
}

// showModalDialog and showModelessDialog(url, arguments, features) belong to the top window; a frame's window asks
// its top window, unless its frame left the page.
KxwDomHtmlTopWindow* DialogTopWindow(KxwDomHtmlWindow* mptWindow, const char* mpszMethod) {
    if (mptWindow->IsTopWindow()) return static_cast<KxwDomHtmlTopWindow*>(mptWindow);
    KxwDomHtmlTopWindow* ptTop = mptWindow->GetTopWindow();
    if (!ptTop || (mptWindow->GetParentWindow() && !mptWindow->GetFrameElement())) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                 "%s is not supported for FRAME/IFRAME elements that are not connected to the DOM",
                                 mpszMethod);
        return nullptr;
    }
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("KxwDomHtmlWindow::%s called for a non-top window, this=%p, ptTopWindow=%p",
                                    mpszMethod, static_cast<void*>(mptWindow), static_cast<void*>(ptTop));
    return ptTop;
}

bool ShowDialog(const char* mpszCallback, const char* mpszMethod, bool mbModal, KxwJswUserObjBase* mptUserObj,
                KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall(mpszCallback, mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    std::string dsUrl = tCall.Argc() > 0 && !tCall.Arg(0).IsUndefined() ? DcsOf(tCall.This(), tCall.Text(0)) : "";
    KxwJsval tArguments = tCall.Argc() > 1 ? tCall.Arg(1) : KxwJsval();
    std::string dsFeatures = tCall.Argc() > 2 && !tCall.Arg(2).IsUndefined() ? DcsOf(tCall.This(), tCall.Text(2)) : "";
    if (tCall.Failed()) return false;
    KxwDomHtmlWindow* ptCalling = tCall.This();
    KxwDomHtmlTopWindow* ptTop = DialogTopWindow(ptCalling, mpszMethod);
    if (!ptTop) return tCall.Undefined();
    if (mbModal) return tCall.Return(ptTop->ShowModalDialog(ptCalling, dsUrl, tArguments, dsFeatures));
    KxwDomHtmlWindowDialog* ptDialog = ptTop->ShowModelessDialog(ptCalling, dsUrl, tArguments, dsFeatures);
    return ptDialog ? tCall.Return(static_cast<KxwJswUserObjBase*>(ptDialog)) : tCall.Null();
}

bool showModalDialog_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return ShowDialog("KxwDomHtmlWindow::showModalDialog_callback", "showModalDialog", true, mptUserObj, mrtArgs);
}

bool showModelessDialog_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return ShowDialog("KxwDomHtmlWindow::showModelessDialog_callback", "showModelessDialog", false, mptUserObj,
                      mrtArgs);
}

bool showHelp_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::showHelp_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    std::string dsUrl = tCall.Argc() > 0 ? DcsOf(tCall.This(), tCall.Text(0)) : "";
    if (tCall.Failed()) return false;
    std::string dsShown = KxwDomBase::GetPrintableText(dsUrl.data(), dsUrl.size(), 3000);
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "showHelp function not supported. URL=\"%.3000s\"",
                             dsShown.c_str());
    return tCall.Undefined();
}

// print, scroll, resize and move: nothing is shown, so nothing changes.
bool NoEffect_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::NoEffect_callback", mptUserObj, mrtArgs);
    return tCall.Check(0) && tCall.Undefined();
}

const KxwJswMethodSpec katWindowMethods[] = {
    {"open", nullptr, nullptr, 4, open_callback},
    {"navigate", nullptr, nullptr, 1, navigate_callback},
    {"close", nullptr, nullptr, 0, close_callback},
    {"alert", nullptr, nullptr, 1, alert_callback},
    {"confirm", nullptr, nullptr, 1, confirm_callback},
    {"prompt", nullptr, nullptr, 0, prompt_callback},
    {"item", nullptr, nullptr, 2, item_callback},
    {"execScript", nullptr, nullptr, 2, execScript_callback},
    {"vokSaveParam", nullptr, nullptr, 2, vokSaveParam_callback},
    {"createPopup", nullptr, nullptr, 0, createPopup_callback},
    {"show", nullptr, nullptr, 0, show_callback},
    {"hide", nullptr, nullptr, 0, hide_callback},
    {"showModalDialog", nullptr, nullptr, 3, showModalDialog_callback},
    {"showModelessDialog", nullptr, nullptr, 3, showModelessDialog_callback},
    {"showHelp", nullptr, nullptr, 2, showHelp_callback},
    {"ScriptEngine", nullptr, nullptr, 0, ScriptEngine_callback},
    {"ScriptEngineMajorVersion", nullptr, nullptr, 0, ScriptEngineMajorVersion_callback},
    {"ScriptEngineMinorVersion", nullptr, nullptr, 0, ScriptEngineMinorVersion_callback},
    {"ScriptEngineBuildVersion", nullptr, nullptr, 0, ScriptEngineBuildVersion_callback},
    {"CollectGarbage", nullptr, nullptr, 0, CollectGarbage_callback},
    {"print", nullptr, nullptr, 0, NoEffect_callback},
    {"scroll", nullptr, nullptr, 2, NoEffect_callback},
    {"scrollBy", nullptr, nullptr, 2, NoEffect_callback},
    {"scrollTo", nullptr, nullptr, 2, NoEffect_callback},
    {"resizeBy", nullptr, nullptr, 2, NoEffect_callback},
    {"resizeTo", nullptr, nullptr, 2, NoEffect_callback},
    {"moveBy", nullptr, nullptr, 2, NoEffect_callback},
    {"moveTo", nullptr, nullptr, 2, NoEffect_callback},
    {"snapToGrid", nullptr, nullptr, 0, NoEffect_callback},
    {"setTimeout", nullptr, nullptr, 2, KxwDomHtmlWindowTimers::setTimeout_callback},
    {"setInterval", nullptr, nullptr, 2, KxwDomHtmlWindowTimers::setInterval_callback},
    {"clearTimeout", nullptr, nullptr, 1, KxwDomHtmlWindowTimers::clearTimeout_callback},
    {"clearInterval", nullptr, nullptr, 1, KxwDomHtmlWindowTimers::clearInterval_callback},
    {nullptr, nullptr, nullptr, 0},
};

}  // namespace

const KxwJswClassInformation& KxwDomHtmlWindow::GetWindowClassInformation() {
    // The window's constructors Image and Option are those of the element classes they make: known from the first
    // window on, before any page has such an element.
    KxwDomHtmlElementImage::GetImageClassInformation();
    KxwDomHtmlElementOption::GetOptionClassInformation();
    static const KxwJswClassInformation ktClassInfo(&GetEventHandlersClassInformation(), "Window", katWindowProperties,
                                                    katWindowMethods, nullptr, KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlWindow::GetClassInformation() const {
    return &GetWindowClassInformation();
}

bool KxwDomHtmlWindow::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdDocument:
            mrtPropertyInfo.AssignDomObjectOrNull(_ptHtmlDocument);
            return true;
        case kIdEvent:
            mrtPropertyInfo.AssignDomObjectOrNull(GetWindowEvent());
            return true;
        case kIdFrames:
        case kIdSelf:
        case kIdWindow:
            mrtPropertyInfo.AssignDomObjectOrNull(this);
            return true;
        case kIdTop: {
            KxwDomHtmlWindow* ptTop = GetTopWindow();
            mrtPropertyInfo.AssignDomObjectOrNull(ptTop ? ptTop : this);
            return true;
        }
        case kIdParent:
            mrtPropertyInfo.AssignDomObjectOrNull(_ptParentWindow ? _ptParentWindow : this);
            return true;
        case kIdOpener:
            mrtPropertyInfo.AssignDomObjectOrNull(IsTopWindow() ? static_cast<KxwDomHtmlTopWindow*>(this)->GetOpener()
                                                                : nullptr);
            return true;
        case kIdClosed:
            mrtPropertyInfo = _bIsClosed;
            return true;
        case kIdLocation:
            mrtPropertyInfo.AssignDomObjectOrNull(_ptLocation);
            return true;
        case kIdName:
            xfvKxwDomBrowsingAssignText(mrtPropertyInfo, _dsName, GetU16nHandler());
            return true;
        case kIdStatus:
            mrtPropertyInfo = _tStatus;
            return true;
        case kIdDefaultStatus:
            mrtPropertyInfo = _tDefaultStatus;
            return true;
        case kIdHistory: {
            KxwDomHtmlHistory* ptHistory = GetHistory();
            mrtPropertyInfo.AssignDomObjectOrNull(ptHistory);
            return true;
        }
        case kIdLength:
            mrtPropertyInfo = static_cast<int>(GetFrameWindows().size());
            return true;
        case kIdFrameElement:
            mrtPropertyInfo.AssignDomObjectOrNull(_ptFrameElement);
            return true;
        case kIdScreenTop:
        case kIdScreenLeft:
            mrtPropertyInfo = 0;
            return true;
        case kIdVokIsUnderTest:
            mrtPropertyInfo = true;
            return true;
        case kIdNavigator:
        case kIdClientInformation:
        case kIdScreen:
        case kIdExternal: {
            // A frame's window gives its top window's objects.
            KxwDomHtmlTopWindow* ptTop = GetTopWindow();
            KxwDomBase* ptObject = nullptr;
            if (ptTop)
                ptObject = mnTinyId == kIdScreen     ? static_cast<KxwDomBase*>(ptTop->GetScreen())
                           : mnTinyId == kIdExternal ? static_cast<KxwDomBase*>(ptTop->GetExternal())
                                                     : static_cast<KxwDomBase*>(ptTop->GetNavigator());
            mrtPropertyInfo.AssignDomObjectOrNull(ptObject);
            return true;
        }
        case kIdClipboardData: {
            // One clipboard for every window of the virtual user.
            KxwObjMgr* ptObjMgr = GetObjMgr();
            mrtPropertyInfo.AssignDomObjectOrNull(ptObjMgr ? ptObjMgr->GetClipboardData() : nullptr);
            return true;
        }
        default:
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                     "KxwDomHtmlWindow::GetDomPropertyInfo: Unsupported property ID (%d)", mnTinyId);
            return false;
    }
}

bool KxwDomHtmlWindow::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdOpener: {
            if (!IsTopWindow()) return true;
            auto* ptTop = static_cast<KxwDomHtmlTopWindow*>(this);
            KXW_DOM_PROPERTY_INFO_TYPE_ENUM eType = mrtPropertyInfo.ConvertToJswObjPropType();
            if (eType == KXW_DOM_PROPERTY_INFO_TYPE_NULL || eType == KXW_DOM_PROPERTY_INFO_TYPE_UNDEFINED) {
                ptTop->SetOpener(nullptr);
                return true;
            }
            auto* ptOpener = dynamic_cast<KxwDomHtmlWindow*>(mrtPropertyInfo.GetDomObject());
            if (!ptOpener) {
                xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                         "Setting window.opener to an unsupported type (%d)", static_cast<int>(eType));
                return false;
            }
            ptTop->SetOpener(ptOpener);
            return true;
        }
        case kIdLocation: {
            std::string dsUrl = xfdsKxwDomBrowsingTextOf(mrtPropertyInfo, GetU16nHandler());
            if (_ptLocation)
                _ptLocation->Replace(dsUrl.data(), static_cast<int>(dsUrl.size()), KXW_DOM_HTML_LOCATION_CHANGE_HREF,
                                     0);
            return true;
        }
        case kIdName:
            _dsName = xfdsKxwDomBrowsingTextOf(mrtPropertyInfo, GetU16nHandler());
            return true;
        case kIdStatus:
        case kIdDefaultStatus: {
            KxwDomHtmlPropertyStr& rtProperty = mnTinyId == kIdStatus ? _tStatus : _tDefaultStatus;
            rtProperty.SetU16n(mrtPropertyInfo.ConvertAndGetStringU16n(),
                               mrtPropertyInfo.ConvertAndGetStringU16nLength());
            return true;
        }
        default:
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                     "KxwDomHtmlWindow::SetDomPropertyInfo: Unsupported property ID (%d)", mnTinyId);
            return false;
    }
}

bool KxwDomHtmlWindow::IsResolved(const char* mpszName) {
    if (mpszName && std::strcmp(mpszName, "getComputedStyle") == 0 && KxwDomComputedStyleFunction::IsAvailable())
        return true;
    return mpszName && GetFrameWindowByName(mpszName, static_cast<unsigned>(std::strlen(mpszName))) != nullptr;
}

bool KxwDomHtmlWindow::GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                         KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    // The browsers whose pages ask the window for computed styles have the function; the others do not.
    if (mpszName && std::strcmp(mpszName, "getComputedStyle") == 0 && KxwDomComputedStyleFunction::IsAvailable())
        return KxwDomComputedStyleFunction::Create(mppvValue, mpnLength, mpeType);
    KxwDomHtmlWindow* ptFrame =
        mpszName ? GetFrameWindowByName(mpszName, static_cast<unsigned>(std::strlen(mpszName))) : nullptr;
    if (!ptFrame) return false;
    *mppvValue = static_cast<KxwJswUserObjBase*>(ptFrame);
    *mpnLength = 0xFFFFFFFFu;
    *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
    return true;
}

bool KxwDomHtmlWindow::GetPropByIndex(int32_t miIndex, void** mppvValue, unsigned* mpnLength,
                                      KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    KxwDomHtmlWindow* ptFrame = miIndex >= 0 ? GetFrameWindow(static_cast<unsigned>(miIndex)) : nullptr;
    if (!ptFrame) return false;
    *mppvValue = static_cast<KxwJswUserObjBase*>(ptFrame);
    *mpnLength = 0xFFFFFFFFu;
    *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
    return true;
}

bool KxwDomHtmlWindow::GetLocationProperty(KxwDomPropertyInfo& mrtPropertyInfo) {
    if (!_ptLocation) return false;
    mrtPropertyInfo = static_cast<const KxwJswUserObjBase*>(_ptLocation);
    return true;
}

void KxwDomHtmlWindow::SetLocationProperty(KxwDomPropertyInfo& mrtPropertyInfo) {
    std::string dsUrl = xfdsKxwDomBrowsingTextOf(mrtPropertyInfo, GetU16nHandler());
    if (_ptLocation)
        _ptLocation->Replace(dsUrl.data(), static_cast<int>(dsUrl.size()), KXW_DOM_HTML_LOCATION_CHANGE_HREF, 0);
}

// ---------------------------------------------------------------------------------------------------------------
// The page's scripts

bool KxwDomHtmlWindow::EvaluateSingleScript(const char* mpsfTextDcs, unsigned muTextLen, KxwJswUserObjBase* mptScope,
                                            void*, KxwJsval* mptResultOrNull, bool mbReturnValueAsString, int,
                                            const char* mpszFile, unsigned muFirstLine, KxwDomNodeBase* mptInitiator) {
    KxwHswApi* ptHswApi = xfptKxwDomUtilGetHswApi();
    if (!ptHswApi || !_ptGlobal || !_ptHtmlDocument || !mpsfTextDcs) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "KxwDomHtmlWindow::EvaluateSingleScript for this=%p evaluates nothing: "
                "ptHswApi=%p, _ptGlobal=%p, _ptHtmlDocument=%p, mpsfTextDcs=%p",
                static_cast<void*>(this), static_cast<void*>(ptHswApi), static_cast<void*>(_ptGlobal),
                static_cast<void*>(_ptHtmlDocument), static_cast<const void*>(mpsfTextDcs));
        return false;
    }
    // The text is in the page's charset; the engine takes UTF-16. The compiled form of a text is shared by every
    // virtual user of the process through the wrapper's cache (its key is the text, the file and the line).
    KxwDomStr tText(_ptHtmlDocument->GetDomEnv(), mpsfTextDcs, muTextLen);
    const char16_t* pwsfText = tText.GetU16nStr();
    size_t nLen = pwsfText ? tText.GetU16nLenInChars() : 0;
    std::string dsFile = mpszFile && *mpszFile ? mpszFile : "[script]";
    KxwJswGlobal::RealmScope tRealm(_ptGlobal);
    KxwDomScriptEvaluationNotifier tNotifier("KxwDomHtmlWindow::EvaluateSingleScript",
                                             mptInitiator ? mptInitiator : this, true);
    KxwJsval tResult;
    bool bOK =
        ptHswApi->Evaluate(tNotifier, mptScope, pwsfText ? pwsfText : u"", nLen, dsFile.c_str(),
                           muFirstLine ? muFirstLine : 1, mptResultOrNull ? &tResult : nullptr, true, mptInitiator);
    if (!mptResultOrNull) return bOK;
    if (bOK && mbReturnValueAsString && !tResult.IsUndefined() && !tResult.IsString()) {
        KxwDomScriptEvaluationNotifier tConversion("KxwDomHtmlWindow::EvaluateSingleScript", this, true);
        KxwJsval tText16;
        bOK = ptHswApi->CallFunctionByName(tConversion, "String", nullptr, 1, &tResult, &tText16);
        if (bOK) tResult = tText16;
    }
    *mptResultOrNull = bOK ? tResult : KxwJsval();
    return bOK;
}

void KxwDomHtmlWindow::NotifyScriptSrcDeferDownloaded(KxwDomHtmlElementScript* mptDownloadedScript) {
    if (!mptDownloadedScript || mptDownloadedScript->IsEmptySrc() || !mptDownloadedScript->IsSrcDownloaded() ||
        !mptDownloadedScript->IsDeferFromHtml() || mptDownloadedScript->IsAwaitingClosingTag()) {
        const char* psfSrc = mptDownloadedScript ? mptDownloadedScript->GetSrc().GetDcsStr() : nullptr;
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mptDownloadedScript=%p / EmptySrc=%d / SrcDownloaded=%d / DeferFromHtml=%d / "
            "AwaitingClosingTag=%d, Src=\"%.2000s\" in KxwDomHtmlWindow::NotifyScriptSrcDeferDownloaded for this=%p",
            static_cast<void*>(mptDownloadedScript), mptDownloadedScript ? mptDownloadedScript->IsEmptySrc() : -1,
            mptDownloadedScript ? mptDownloadedScript->IsSrcDownloaded() : -1,
            mptDownloadedScript ? mptDownloadedScript->IsDeferFromHtml() : -1,
            mptDownloadedScript ? mptDownloadedScript->IsAwaitingClosingTag() : -1, psfSrc ? psfSrc : "",
            static_cast<void*>(this));
        return;
    }
    NotifyOnLoadTriggerChanged();
}

void KxwDomHtmlWindow::WriteResultOfUrlScriptToDocument(const KxwJsval& mrtResult, const char* mpszDescription,
                                                        const std::string& mrdsBaseUrl, const char* mpsfUrl,
                                                        unsigned muUrlLen) {
    KxwDomHtmlDocument* ptDocument = _ptHtmlDocument;
    if (!ptDocument) return;
    std::string dsUrl(mpsfUrl ? mpsfUrl : "", mpsfUrl ? muUrlLen : 0);
    KxwDomStr tText(ptDocument->GetDomEnv());
    if (!ptDocument->GetResultOfUrlScriptOK(mrtResult, dsUrl.c_str(), tText)) return;
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "The javascript: URL \"%.200s\" of %.100s writes a new document for window %p "
            "(base URL \"%.2000s\")",
            dsUrl.c_str(), mpszDescription ? mpszDescription : "", static_cast<void*>(this), mrdsBaseUrl.c_str());
    // As a write after the page ended: the window is reset and the text becomes its new document.
    KxwDomWatchDelete tWatchDocument("KxwDomHtmlWindow::WriteResultOfUrlScriptToDocument", ptDocument);
    ptDocument->Write(tText.GetDcsStr() ? tText.GetDcsStr() : "", tText.GetDcsStr() ? tText.GetDcsLenInBytes() : 0,
                      true);
    if (!tWatchDocument.HasBeenDeleted()) ptDocument->SetIsWriteAfterInitialProcessing(false);
}
