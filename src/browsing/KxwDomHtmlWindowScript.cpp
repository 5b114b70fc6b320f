// The window as its page's scripts see it (script class "Window"): its properties, its methods, and its frames by
// index and by name.
#include <cstring>

#include "KxwDomBindingUtil.h"
#include "KxwDomBrowsingUtil.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementFrame.h"
#include "KxwDomHtmlHistory.h"
#include "KxwDomHtmlLocation.h"
#include "KxwDomHtmlNavigator.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwDomStr.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwObjMgr.h"

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
    {"external", kIdExternal, kRO, nullptr},
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
    KxwDomHtmlWindow* ptTarget =
        tCall.This()->OpenWindowOrDefer(dsUrl.data(), static_cast<unsigned>(dsUrl.size()), dsName.data(),
                                        static_cast<unsigned>(dsName.size()));
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
    KxwDomHtmlTopWindow* ptTop = tCall.This()->IsTopWindow() ? static_cast<KxwDomHtmlTopWindow*>(tCall.This()) : nullptr;
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

// Until answers are registered in advance, confirm answers OK and prompt the empty text.
bool confirm_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::confirm_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    std::u16string dsText = tCall.Argc() > 0 ? tCall.Text(0) : std::u16string();
    if (tCall.Failed()) return false;
    if (KxwDomHtmlTopWindow* ptTop = tCall.This()->GetTopWindow()) ptTop->ResetDeferredCloseIfRequired("confirm");
    std::string dsMessage = DcsOf(tCall.This(), dsText);
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_WARNING, -26000, "KxwDomHtmlWindow::confirm_callback",
                                        __LINE__,
                                        ("Confirm: " + dsMessage + " (no answer registered: OK)").c_str());
    return tCall.Return(true);
}

bool prompt_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlWindowCall tCall("KxwDomHtmlWindow::prompt_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    std::u16string dsText = tCall.Argc() > 0 ? tCall.Text(0) : std::u16string();
    if (tCall.Failed()) return false;
    if (KxwDomHtmlTopWindow* ptTop = tCall.This()->GetTopWindow()) ptTop->ResetDeferredCloseIfRequired("prompt");
    std::string dsMessage = DcsOf(tCall.This(), dsText);
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_WARNING, -26000, "KxwDomHtmlWindow::prompt_callback",
                                        __LINE__,
                                        ("Prompt: " + dsMessage + " (no answer registered: empty text)").c_str());
    return tCall.Return(std::u16string());
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
    {"ScriptEngine", nullptr, nullptr, 0, ScriptEngine_callback},
    {"ScriptEngineMajorVersion", nullptr, nullptr, 0, ScriptEngineMajorVersion_callback},
    {"ScriptEngineMinorVersion", nullptr, nullptr, 0, ScriptEngineMinorVersion_callback},
    {"ScriptEngineBuildVersion", nullptr, nullptr, 0, ScriptEngineBuildVersion_callback},
    {"print", nullptr, nullptr, 0, NoEffect_callback},
    {"scroll", nullptr, nullptr, 2, NoEffect_callback},
    {"scrollBy", nullptr, nullptr, 2, NoEffect_callback},
    {"scrollTo", nullptr, nullptr, 2, NoEffect_callback},
    {"resizeBy", nullptr, nullptr, 2, NoEffect_callback},
    {"resizeTo", nullptr, nullptr, 2, NoEffect_callback},
    {"moveBy", nullptr, nullptr, 2, NoEffect_callback},
    {"moveTo", nullptr, nullptr, 2, NoEffect_callback},
    {"snapToGrid", nullptr, nullptr, 0, NoEffect_callback},
    {nullptr, nullptr, nullptr, 0},
};

void AssignWindow(KxwDomPropertyInfo& mrtPropertyInfo, KxwDomHtmlWindow* mptWindow) {
    if (mptWindow)
        mrtPropertyInfo = static_cast<const KxwJswUserObjBase*>(mptWindow);
    else
        mrtPropertyInfo.AssignNull();
}

// An object of the top window (navigator, screen, external), or null for a window without one.
void AssignObject(KxwDomPropertyInfo& mrtPropertyInfo, KxwDomBase* mptObject) {
    if (mptObject)
        mrtPropertyInfo = static_cast<const KxwJswUserObjBase*>(mptObject);
    else
        mrtPropertyInfo.AssignNull();
}

}  // namespace

const KxwJswClassInformation& KxwDomHtmlWindow::GetWindowClassInformation() {
    static const KxwJswClassInformation ktClassInfo(nullptr, "Window", katWindowProperties, katWindowMethods, nullptr,
                                                    KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlWindow::GetClassInformation() const { return &GetWindowClassInformation(); }

bool KxwDomHtmlWindow::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdDocument:
            if (_ptHtmlDocument)
                mrtPropertyInfo = static_cast<const KxwJswUserObjBase*>(_ptHtmlDocument);
            else
                mrtPropertyInfo.AssignNull();
            return true;
        case kIdFrames:
        case kIdSelf:
        case kIdWindow:
            AssignWindow(mrtPropertyInfo, this);
            return true;
        case kIdTop: {
            KxwDomHtmlWindow* ptTop = GetTopWindow();
            AssignWindow(mrtPropertyInfo, ptTop ? ptTop : this);
            return true;
        }
        case kIdParent:
            AssignWindow(mrtPropertyInfo, _ptParentWindow ? _ptParentWindow : this);
            return true;
        case kIdOpener:
            AssignWindow(mrtPropertyInfo, IsTopWindow() ? static_cast<KxwDomHtmlTopWindow*>(this)->GetOpener() : nullptr);
            return true;
        case kIdClosed:
            mrtPropertyInfo = _bIsClosed;
            return true;
        case kIdLocation:
            if (_ptLocation)
                mrtPropertyInfo = static_cast<const KxwJswUserObjBase*>(_ptLocation);
            else
                mrtPropertyInfo.AssignNull();
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
            if (ptHistory)
                mrtPropertyInfo = static_cast<const KxwJswUserObjBase*>(ptHistory);
            else
                mrtPropertyInfo.AssignNull();
            return true;
        }
        case kIdLength:
            mrtPropertyInfo = static_cast<int>(GetFrameWindows().size());
            return true;
        case kIdFrameElement:
            if (_ptFrameElement)
                mrtPropertyInfo = static_cast<const KxwJswUserObjBase*>(_ptFrameElement);
            else
                mrtPropertyInfo.AssignNull();
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
            AssignObject(mrtPropertyInfo, ptObject);
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
            rtProperty.SetU16n(mrtPropertyInfo.ConvertAndGetStringU16n(), mrtPropertyInfo.ConvertAndGetStringU16nLength());
            return true;
        }
        default:
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                     "KxwDomHtmlWindow::SetDomPropertyInfo: Unsupported property ID (%d)", mnTinyId);
            return false;
    }
}

bool KxwDomHtmlWindow::IsResolved(const char* mpszName) {
    return mpszName && GetFrameWindowByName(mpszName, static_cast<unsigned>(std::strlen(mpszName))) != nullptr;
}

bool KxwDomHtmlWindow::GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                         KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
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
