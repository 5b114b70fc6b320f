// The event target as scripts see it (script class "eventtarget", and "eventhandlers" for the window): the
// methods attachEvent, detachEvent, fireEvent, focus, blur and setActive, and the handler properties.
#include <string>

#include "KxwDomBindingUtil.h"
#include "KxwDomEventData.h"
#include "KxwDomEventTarget.h"
#include "KxwDomHtmlEvent.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwObjMgr.h"

namespace {

// The first tiny id of the class's own range (138), as the class receives it.
constexpr short kFirstEventTargetId = -118;
constexpr uint16_t kFirstHandlerTinyId = 138;

using KxwDomEventTargetCall = KxwDomScriptCallOn<KxwDomEventTarget>;

// A handler name given as the first argument, as UTF-8, and its event (none when unknown, reported).
KXW_DOM_EVENT_TYPE_ENUM HandlerArgument(KxwDomEventTargetCall& mrtCall, const char* mpszCaller) {
    std::string dsName = mrtCall.Utf8(0);
    return mrtCall.This()->GetEventEnum(mpszCaller, dsName.data(), static_cast<unsigned>(dsName.size()), true);
}

bool attachEvent_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomEventTargetCall tCall("KxwDomEventTarget::attachEvent_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(2) || !tCall.Arg(0).IsString() || !tCall.Arg(1).IsFunction()) return tCall.Invalid();
    KXW_DOM_EVENT_TYPE_ENUM eType = HandlerArgument(tCall, "KxwDomEventTarget::attachEvent_callback");
    if (eType == KXW_DOM_EVENT_TYPE_ENUM_NONE) return tCall.Return(false);
    KxwDomEventTarget* ptHolder = tCall.This()->GetEventHandlerHolder(eType);
    // An onload attached after the page's onload ran would never run: nothing is kept.
    KxwDomHtmlWindow* ptWindow = ptHolder ? ptHolder->AsHtmlWindow() : nullptr;
    if (eType == KXW_DOM_EVENT_TYPE_ENUM_LOAD && ptWindow && ptWindow->IsOnLoadInvoked()) return tCall.Return(true);
    bool bAdded =
        ptHolder->CreateAndAddEventListenerIfEligible(KXW_DOM_EVENT_LISTENER_TYPE_ATTACHED, eType, tCall.Arg(1), -1);
    return tCall.Return(bAdded);
}

bool detachEvent_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomEventTargetCall tCall("KxwDomEventTarget::detachEvent_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(2) || !tCall.Arg(0).IsString() || !tCall.Arg(1).IsFunction()) return tCall.Invalid();
    KXW_DOM_EVENT_TYPE_ENUM eType = HandlerArgument(tCall, "KxwDomEventTarget::detachEvent_callback");
    if (eType != KXW_DOM_EVENT_TYPE_ENUM_NONE)
        tCall.This()->GetEventHandlerHolder(eType)->RemoveAttachedEventListener(eType, tCall.Arg(1));
    return tCall.Undefined();
}

bool fireEvent_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomEventTargetCall tCall("KxwDomEventTarget::fireEvent_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(1) || !tCall.Arg(0).IsString()) return tCall.Invalid();
    KxwDomHtmlEvent* ptEvent = nullptr;
    if (tCall.Argc() >= 2 && !tCall.Arg(1).IsUndefined() && !tCall.Arg(1).IsNull()) {
        // A second argument is an event object to use again.
        ptEvent = dynamic_cast<KxwDomHtmlEvent*>(tCall.Arg(1).GetRawDomObject());
        if (!ptEvent) return tCall.Invalid();
    }
    std::string dsName = tCall.Utf8(0);
    if (tCall.Failed()) return false;
    KxwDomEventData tData(tCall.This());
    bool bFired = tCall.This()->FireEvent(dsName.data(), static_cast<unsigned>(dsName.size()), &tData, ptEvent);
    return tCall.Return(bFired);
}

bool focus_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomEventTargetCall tCall("KxwDomEventTarget::focus_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    KxwDomEventTarget* ptTarget = tCall.This();
    if (!ptTarget->CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM_FOCUS)) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                 "Calling the focus method on an object that is not allowed");
        return tCall.Fail("focus");
    }
    KxwDomHtmlWindow* ptOwnerWindow = ptTarget->GetOwnerWindow();
    KxwObjMgr* ptObjMgr = ptOwnerWindow ? ptOwnerWindow->GetObjMgr() : nullptr;
    KxwDomWatchDelete tWatch("KxwDomEventTarget::focus_callback", ptTarget);
    if (!ptObjMgr || !ptOwnerWindow)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid ptObjMgr=%p / ptOwnerWindow =%p in "
                                              "KxwDomEventTarget::focus_callback for this=%p",
                                              static_cast<void*>(ptObjMgr), static_cast<void*>(ptOwnerWindow),
                                              static_cast<void*>(ptTarget));
    else
        ptObjMgr->SetFocusWindow(ptOwnerWindow, false);
    if (!tWatch.HasBeenDeleted())
        ptTarget->GetEventHandlerHolder(KXW_DOM_EVENT_TYPE_ENUM_FOCUS)
            ->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_FOCUS, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    return tCall.Undefined();
}

bool blur_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomEventTargetCall tCall("KxwDomEventTarget::blur_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    KxwDomEventTarget* ptHolder = tCall.This()->GetEventHandlerHolder(KXW_DOM_EVENT_TYPE_ENUM_BLUR);
    if (ptHolder->CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM_BLUR))
        ptHolder->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_BLUR, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    return tCall.Undefined();
}

bool setActive_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomEventTargetCall tCall("KxwDomEventTarget::setActive_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    return tCall.Undefined();
}

const KxwJswMethodSpec katEventTargetMethods[] = {
    {"attachEvent", nullptr, nullptr, 2, attachEvent_callback},
    {"detachEvent", nullptr, nullptr, 2, detachEvent_callback},
    {"fireEvent", nullptr, nullptr, 2, fireEvent_callback},
    {"focus", nullptr, nullptr, 0, focus_callback},
    {"blur", nullptr, nullptr, 0, blur_callback},
    {"setActive", nullptr, nullptr, 0, setActive_callback},
    {nullptr, nullptr, nullptr, 0},
};

// One row per handler name, ids 138 to 216 in the order of the event types; made once from the name table.
const KxwJswPropertySpec* EventTargetProperties() {
    static const struct Table {
        KxwJswPropertySpec _atSpecs[KXW_DOM_EVENT_TYPE_COUNT + 1];
        Table() : _atSpecs() {
            for (int n = 0; n < KXW_DOM_EVENT_TYPE_COUNT; ++n)
                _atSpecs[n] = {xfpszKxwDomGetEventHandlerName(n), static_cast<uint16_t>(kFirstHandlerTinyId + n),
                               KXW_JSW_PROP_PERMANENT, "*"};
            _atSpecs[KXW_DOM_EVENT_TYPE_COUNT] = {nullptr, 0, 0, nullptr};
        }
    } ktTable;
    return ktTable._atSpecs;
}

}  // namespace

const KxwJswClassInformation& KxwDomEventTarget::GetEventTargetClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetCoreNodeClassInformation(), "eventtarget",
                                                    EventTargetProperties(), katEventTargetMethods);
    return ktClassInfo;
}

const KxwJswClassInformation& KxwDomEventTarget::GetEventHandlersClassInformation() {
    static const KxwJswClassInformation ktClassInfo(nullptr, "eventhandlers", EventTargetProperties(),
                                                    katEventTargetMethods);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomEventTarget::GetClassInformation() const {
    return &GetEventTargetClassInformation();
}

bool KxwDomEventTarget::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kFirstEventTargetId) return KxwDomCoreNode::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    if (IsHandlerPropertyId(mnTinyId)) {
        KxwJsval tValue;
        if (!GetHandlerProperty(GetEventTypeFromTinyId(mnTinyId), tValue)) {
            mrtPropertyInfo.AssignNoValue();
            return true;
        }
        mrtPropertyInfo = tValue;
        return true;
    }
    return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomEventTarget", mnTinyId, mrtPropertyInfo);
}

bool KxwDomEventTarget::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kFirstEventTargetId) return KxwDomCoreNode::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    if (IsHandlerPropertyId(mnTinyId))
        return SetHandlerProperty(GetEventTypeFromTinyId(mnTinyId), mrtPropertyInfo.GetJsval());
    return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomEventTarget", mnTinyId);
}

bool KxwDomEventTarget::GetDomPropertyJsval(short mnTinyId, KxwJsval& mrtValue) {
    if (!IsHandlerPropertyId(mnTinyId)) return KxwDomCoreNode::GetDomPropertyJsval(mnTinyId, mrtValue);
    // A target that does not answer to the event has no value to give.
    if (!GetHandlerProperty(GetEventTypeFromTinyId(mnTinyId), mrtValue)) mrtValue.SetUndefined();
    return true;
}

bool KxwDomEventTarget::SetDomPropertyJsval(short mnTinyId, const KxwJsval& mrtValue) {
    if (!IsHandlerPropertyId(mnTinyId)) return KxwDomCoreNode::SetDomPropertyJsval(mnTinyId, mrtValue);
    return SetHandlerProperty(GetEventTypeFromTinyId(mnTinyId), mrtValue);
}

bool KxwDomEventTarget::GetHandlerProperty(KXW_DOM_EVENT_TYPE_ENUM meEventType, KxwJsval& mrtValue) {
    if (!CanRespondToEvent(meEventType)) return false;
    KxwDomEventListener* ptListener = GetEventHandlerHolder(meEventType)->GetEventListener(meEventType, false);
    if (!ptListener) {
        mrtValue.SetNull();
        return true;
    }
    if (ptListener->GetStringOnly()) {
        const KxwDomHtmlPropertyStr& rtCode = ptListener->GetCode();
        mrtValue.SetStringU16n(rtCode.GetU16nStr(), rtCode.GetU16nLenInChars());
        return true;
    }
    mrtValue = ptListener->GetFunction(true);
    if (mrtValue.IsUndefined()) mrtValue.SetNull();
    return true;
}

bool KxwDomEventTarget::SetHandlerProperty(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwJsval& mrtValue) {
    if (!CanRespondToEvent(meEventType)) return true;
    KxwDomEventTarget* ptHolder = GetEventHandlerHolder(meEventType);
    if (mrtValue.IsFunction())
        return ptHolder->CreateAndAddEventListenerIfEligible(KXW_DOM_EVENT_LISTENER_TYPE_SCRIPT_PROPERTY, meEventType,
                                                             mrtValue, -1);
    if (mrtValue.IsString()) {
        KxwJsval tText = mrtValue;
        unsigned uLen = 0;
        tText.GetStringU16n(&uLen);
        return ptHolder->CreateAndAddEventListenerIfEligible(KXW_DOM_EVENT_LISTENER_TYPE_SCRIPT_PROPERTY, meEventType,
                                                             mrtValue, static_cast<int>(uLen));
    }
    if (mrtValue.IsNull() || mrtValue.IsUndefined()) {
        ptHolder->RemoveRegularEventListener(meEventType);
        return true;
    }
    ReportErrorWithJavaScriptLineNumber(false, -35986);
    return true;
}
