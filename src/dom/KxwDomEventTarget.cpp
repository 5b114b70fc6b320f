#include "KxwDomEventTarget.h"

#include <cstring>
#include <memory>
#include <vector>

#include "KxwDomCoreEvent.h"
#include "KxwDomEventData.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlElementScript.h"
#include "KxwDomHtmlEvent.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomScriptEvaluationNotifier.h"
#include "KxwDomWatchDelete.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwJsval.h"

namespace {

// What the base target answers to.
constexpr KXW_DOM_EVENT_TYPE_ENUM kaeBaseEvents[] = {
    KXW_DOM_EVENT_TYPE_ENUM_BLUR,          KXW_DOM_EVENT_TYPE_ENUM_CLICK,     KXW_DOM_EVENT_TYPE_ENUM_CONTEXTMENU,
    KXW_DOM_EVENT_TYPE_ENUM_DATAAVAILABLE, KXW_DOM_EVENT_TYPE_ENUM_DBLCLICK,  KXW_DOM_EVENT_TYPE_ENUM_FOCUS,
    KXW_DOM_EVENT_TYPE_ENUM_FOCUSIN,       KXW_DOM_EVENT_TYPE_ENUM_KEYDOWN,   KXW_DOM_EVENT_TYPE_ENUM_KEYPRESS,
    KXW_DOM_EVENT_TYPE_ENUM_KEYUP,         KXW_DOM_EVENT_TYPE_ENUM_MOUSEDOWN, KXW_DOM_EVENT_TYPE_ENUM_MOUSEMOVE,
    KXW_DOM_EVENT_TYPE_ENUM_MOUSEOUT,      KXW_DOM_EVENT_TYPE_ENUM_MOUSEOVER, KXW_DOM_EVENT_TYPE_ENUM_MOUSEUP,
    KXW_DOM_EVENT_TYPE_ENUM_RESIZE,
};

const char* NameOf(const KxwDomNodeBase* mptNode) {
    const char* pszName = mptNode ? mptNode->GetName().GetDcsStr() : nullptr;
    return pszName ? pszName : "";
}

// The handler name of an event type, "" for none.
const char* HandlerName(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    return static_cast<int>(meEventType) >= 0 && static_cast<int>(meEventType) <= KXW_DOM_EVENT_TYPE_COUNT
               ? xfpszKxwDomGetEventHandlerName(meEventType)
               : "";
}

bool EqualsIgnoringCase(const KxwDomHtmlPropertyStr& mrtA, const KxwDomHtmlPropertyStr& mrtB) {
    const char* psfA = mrtA.GetDcsStr();
    const char* psfB = mrtB.GetDcsStr();
    unsigned uLen = mrtA.GetDcsLenInBytes();
    if (!psfA || !psfB || uLen == 0 || uLen != mrtB.GetDcsLenInBytes()) return false;
    for (unsigned n = 0; n < uLen; ++n) {
        char cA = psfA[n], cB = psfB[n];
        if (cA >= 'A' && cA <= 'Z') cA = static_cast<char>(cA + 32);
        if (cB >= 'A' && cB <= 'Z') cB = static_cast<char>(cB + 32);
        if (cA != cB) return false;
    }
    return true;
}

}  // namespace

KxwDomEventTarget::~KxwDomEventTarget() {
    RemoveAllListeners();
}

// ---------------------------------------------------------------------------------------------------------------
// Names

KXW_DOM_EVENT_TYPE_ENUM KxwDomEventTarget::GetEventEnum(const char* mpszEventName) {
    return mpszEventName ? xfeKxwDomGetEventEnum(mpszEventName, static_cast<unsigned>(std::strlen(mpszEventName)))
                         : KXW_DOM_EVENT_TYPE_ENUM_NONE;
}

KXW_DOM_EVENT_TYPE_ENUM KxwDomEventTarget::GetEventEnum(const char* mpszCaller, const char* mpsfHandlerName,
                                                        unsigned muLen, bool mbReport) const {
    KXW_DOM_EVENT_TYPE_ENUM eType = KXW_DOM_EVENT_TYPE_ENUM_NONE;
    if (mpsfHandlerName && muLen > 3 && muLen <= 18 && (mpsfHandlerName[0] | 0x20) == 'o' &&
        (mpsfHandlerName[1] | 0x20) == 'n') {
        std::string dsName(mpsfHandlerName + 2, muLen - 2);
        if (std::strlen(dsName.c_str()) == dsName.size()) eType = GetEventEnum(dsName.c_str());
    }
    if (eType == KXW_DOM_EVENT_TYPE_ENUM_NONE && mbReport) {
        std::string dsName = mpsfHandlerName ? GetPrintableText(mpsfHandlerName, muLen, 100) : std::string();
        ReportErrorWithJavaScriptLineNumber(false, -35984, dsName.c_str(), GetNodeTypeAsAscStr());
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile("Unknown event handler name \"%.100s\" in %s", dsName.c_str(),
                                        mpszCaller ? mpszCaller : "");
    }
    return eType;
}

KXW_DOM_EVENT_TYPE_ENUM KxwDomEventTarget::GetEventTypeFromTinyId(short msiPropIndex) {
    if (!IsHandlerPropertyId(msiPropIndex)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Unrecorgnized msiPropIndex(%d) in "
                                              "KxwDomEventTarget::GetEventTypeFromTinyId",
                                              static_cast<int>(msiPropIndex));
        return static_cast<KXW_DOM_EVENT_TYPE_ENUM>(80);
    }
    return static_cast<KXW_DOM_EVENT_TYPE_ENUM>(msiPropIndex + 118);
}

bool KxwDomEventTarget::IsHandlerPropertyId(short mnTinyId) {
    return mnTinyId >= -118 && mnTinyId <= -40;
}

// ---------------------------------------------------------------------------------------------------------------
// What the target answers to, and where it belongs

bool KxwDomEventTarget::CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    for (KXW_DOM_EVENT_TYPE_ENUM eType : kaeBaseEvents)
        if (eType == meEventType) return true;
    return false;
}

KxwDomHtmlWindow* KxwDomEventTarget::GetOwnerWindow() {
    KxwDomHtmlDocument* ptDocument = GetEventDocument();
    return ptDocument ? ptDocument->GetWindow() : nullptr;
}

KxwDomHtmlDocument* KxwDomEventTarget::GetEventDocument() {
    KxwDomCoreDocument* ptDocument = GetDocumentOfNode();
    return ptDocument ? ptDocument->AsHtmlDocument() : nullptr;
}

bool KxwDomEventTarget::HasLeftDispatch(const KxwDomWatchDelete& mrtWatch, const KxwDomNodeBase* mptRootBefore,
                                        KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    if (mrtWatch.HasBeenDeleted()) return true;
    KxwDomHtmlWindow* ptWindow = GetOwnerWindow();
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_UNLOAD && ptWindow && ptWindow->IsGoingAway()) return true;
    // A handler that removed its target only parks it: it counts as gone all the same.
    return GetRoot() != mptRootBefore;
}

// ---------------------------------------------------------------------------------------------------------------
// Listeners

bool KxwDomEventTarget::CanAddEventListener(KXW_DOM_EVENT_LISTENER_TYPE_ENUM meListenerType,
                                            KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    if (meListenerType != KXW_DOM_EVENT_LISTENER_TYPE_HTML_ATTRIBUTE) return true;
    KxwDomEventListener* ptRegular = GetEventListener(meEventType, false);
    if (!ptRegular || (ptRegular->GetEventListenerType() != KXW_DOM_EVENT_LISTENER_TYPE_HTML_ATTRIBUTE &&
                       ptRegular->GetEventListenerType() != KXW_DOM_EVENT_LISTENER_TYPE_SCRIPT_FOR_EVENT))
        return true;
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35985, "KxwDomEventTarget::CanAddEventListener",
                                        __LINE__, HandlerName(meEventType));
    return false;
}

bool KxwDomEventTarget::CreateAndAddEventListenerIfEligible(KXW_DOM_EVENT_LISTENER_TYPE_ENUM meListenerType,
                                                            KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                            const KxwJsval& mrtValue, int mnLength) {
    if (!CanAddEventListener(meListenerType, meEventType)) return false;
    auto* ptListener =
        new (GetDomEnv()) KxwDomEventListener(GetDomEnv(), this, meListenerType, meEventType, mrtValue, mnLength);
    if (AddEventListener(ptListener)) return true;
    delete ptListener;
    return false;
}

bool KxwDomEventTarget::CreateAndAddEventListenerIfEligible(KXW_DOM_EVENT_LISTENER_TYPE_ENUM meListenerType,
                                                            KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                            const char16_t* mpwsfCode, unsigned muCodeLen) {
    if (!CanAddEventListener(meListenerType, meEventType)) return false;
    auto* ptListener =
        new (GetDomEnv()) KxwDomEventListener(GetDomEnv(), this, meListenerType, meEventType, mpwsfCode, muCodeLen);
    if (AddEventListener(ptListener)) return true;
    delete ptListener;
    return false;
}

bool KxwDomEventTarget::AddEventListener(KxwDomEventListener* mptEventListener) {
    KXW_DOM_EVENT_TYPE_ENUM eType = mptEventListener ? mptEventListener->GetEventType() : KXW_DOM_EVENT_TYPE_ENUM_NONE;
    int iListenerType = mptEventListener ? static_cast<int>(mptEventListener->GetEventListenerType()) : -1;
    if (!mptEventListener || static_cast<int>(eType) < 0 || static_cast<int>(eType) >= KXW_DOM_EVENT_TYPE_COUNT ||
        iListenerType > 5) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mptEventListener=%p / eEventType (%d) / eEventListenerType=%d in "
            "KxwDomEventTarget::AddEventListener for this=%p",
            static_cast<void*>(mptEventListener), static_cast<int>(eType), iListenerType, static_cast<void*>(this));
        return false;
    }
    if (iListenerType == KXW_DOM_EVENT_LISTENER_TYPE_NONE) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Unsupported eEventListenerType=%d  in "
                                              "KxwDomEventTarget::AddEventListener(mptEventListener=%p) for this=%p. "
                                              "eEventType=%d=%100s",
                                              iListenerType, static_cast<void*>(mptEventListener),
                                              static_cast<void*>(this), static_cast<int>(eType), HandlerName(eType));
        return false;
    }
    if (mptEventListener->IsRegular()) RemoveRegularEventListener(eType);
    mptEventListener->SetNextListener(_ptFirstListener);
    _ptFirstListener = mptEventListener;
    return true;
}

KxwDomEventListener* KxwDomEventTarget::GetEventListener(KXW_DOM_EVENT_TYPE_ENUM meEventType, bool mbAny) const {
    for (KxwDomEventListener* ptListener = _ptFirstListener; ptListener; ptListener = ptListener->GetNextListener())
        if (ptListener->GetEventType() == meEventType && (mbAny || ptListener->IsRegular())) return ptListener;
    return nullptr;
}

namespace {

// One handler as an attribute; an event type out of range is a broken listener, skipped.
void ConcatHandlerAttribute(KxwDomHtmlTextsStr& mrtText, const KxwDomEventListener& mrtListener) {
    if (mrtListener.GetDeleted() || !mrtListener.GetShouldAddToInnerOuterHTML()) return;
    int iType = static_cast<int>(mrtListener.GetEventType());
    if (iType < 0 || iType >= KXW_DOM_EVENT_TYPE_ENUM_NONE) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid eEventType (%d) in KxwDomEventTarget::GenerateHtmlProperties",
                                              iType);
        return;
    }
    const char* pszName = xfpszKxwDomGetEventHandlerName(iType);
    if (!pszName || !*pszName) return;
    const KxwDomHtmlPropertyStr& rtCode = mrtListener.GetCode();
    const char* psfCode = rtCode.GetDcsStr();
    mrtText.ConcatHtmlPropertyByValue(pszName, static_cast<int>(std::strlen(pszName)), psfCode ? psfCode : "",
                                      psfCode ? static_cast<int>(rtCode.GetDcsLenInBytes()) : 0);
}

}  // namespace

void KxwDomEventTarget::GenerateHtmlEventHandlers(KxwDomHtmlTextsStr& mrtText) const {
    for (const KxwDomEventListener* ptListener = _ptFirstListener; ptListener;
         ptListener = ptListener->GetNextListener())
        ConcatHandlerAttribute(mrtText, *ptListener);
}

void KxwDomEventTarget::GenerateHtmlEventHandler(KxwDomHtmlTextsStr& mrtText,
                                                 KXW_DOM_EVENT_TYPE_ENUM meEventType) const {
    if (const KxwDomEventListener* ptListener = GetEventListener(meEventType, false))
        ConcatHandlerAttribute(mrtText, *ptListener);
}

bool KxwDomEventTarget::RemoveRegularEventListener(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    KxwDomEventListener** pptLink = &_ptFirstListener;
    while (*pptLink) {
        KxwDomEventListener* ptListener = *pptLink;
        if (ptListener->GetEventType() == meEventType && ptListener->IsRegular()) {
            *pptLink = ptListener->GetNextListener();
            delete ptListener;
            return true;
        }
        pptLink = &ptListener->NextListenerLink();
    }
    return false;
}

bool KxwDomEventTarget::RemoveAttachedEventListener(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwJsval& mrtFunction) {
    KxwDomEventListener** pptLink = &_ptFirstListener;
    while (*pptLink) {
        KxwDomEventListener* ptListener = *pptLink;
        if (ptListener->GetEventType() == meEventType &&
            ptListener->GetEventListenerType() == KXW_DOM_EVENT_LISTENER_TYPE_ATTACHED &&
            ptListener->GetFunction(false).GetRawBits() == mrtFunction.GetRawBits()) {
            *pptLink = ptListener->GetNextListener();
            ptListener->SetNextListener(nullptr);
            // A running dispatch holds it: that dispatch deletes it when it is done.
            if (ptListener->GetProtected())
                ptListener->SetDeleted();
            else
                delete ptListener;
            return true;
        }
        pptLink = &ptListener->NextListenerLink();
    }
    return false;
}

void KxwDomEventTarget::CopyAttributeListenersTo(KxwDomEventTarget& mrtClone) {
    // Oldest first, so that the clone's list (newest first) has the original's order and writes the same markup.
    std::vector<KxwDomEventListener*> tAttributeListeners;
    for (KxwDomEventListener* ptListener = _ptFirstListener; ptListener; ptListener = ptListener->GetNextListener())
        if (ptListener->GetEventListenerType() == KXW_DOM_EVENT_LISTENER_TYPE_HTML_ATTRIBUTE)
            tAttributeListeners.push_back(ptListener);
    for (auto itListener = tAttributeListeners.rbegin(); itListener != tAttributeListeners.rend(); ++itListener) {
        KxwDomEventListener* ptListener = *itListener;
        const KxwDomHtmlPropertyStr& rtCode = ptListener->GetCode();
        mrtClone.CreateAndAddEventListenerIfEligible(
            KXW_DOM_EVENT_LISTENER_TYPE_HTML_ATTRIBUTE, ptListener->GetEventType(),
            rtCode.GetU16nStr() ? rtCode.GetU16nStr() : u"", rtCode.GetU16nLenInChars());
    }
}

bool KxwDomEventTarget::RemoveEventListener(const KxwDomEventListener* mptListener) {
    for (KxwDomEventListener** pptLink = &_ptFirstListener; *pptLink; pptLink = &(*pptLink)->NextListenerLink()) {
        KxwDomEventListener* ptListener = *pptLink;
        if (ptListener != mptListener) continue;
        *pptLink = ptListener->GetNextListener();
        ptListener->SetNextListener(nullptr);
        if (ptListener->GetProtected())
            ptListener->SetDeleted();
        else
            delete ptListener;
        return true;
    }
    return false;
}

void KxwDomEventTarget::RemoveAllListeners() {
    while (KxwDomEventListener* ptListener = _ptFirstListener) {
        _ptFirstListener = ptListener->GetNextListener();
        ptListener->SetNextListener(nullptr);
        if (ptListener->GetProtected())
            ptListener->SetDeleted();
        else
            delete ptListener;
    }
}

void KxwDomEventTarget::EnumerateSubtreeMembers(KxwDomSubtreeMemberSink& mrtSink) {
    KxwDomCoreNode::EnumerateSubtreeMembers(mrtSink);
    for (KxwDomEventListener* ptListener = _ptFirstListener; ptListener; ptListener = ptListener->GetNextListener())
        mrtSink.AddHeldValue(ptListener->GetHeldFunction());
}

// ---------------------------------------------------------------------------------------------------------------
// Dispatch

void KxwDomEventTarget::CreateScriptForEventListenerIfApplicable(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    KxwDomHtmlDocument* ptDocument = GetEventDocument();
    KxwDomHtmlCollectionGeneral* ptScripts =
        ptDocument ? ptDocument->GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_SCRIPTS_WITH_FOR_EVENT) : nullptr;
    if (!ptScripts || ptScripts->IsEmpty()) return;
    const KxwDomHtmlPropertyStr& rtId = GetId();
    const KxwDomHtmlPropertyStr& rtName = GetName();
    if (!rtId.GetDcsStr() && !rtName.GetDcsStr()) return;
    // The last block that names the target wins, by its id or else its name.
    for (long liIndex = static_cast<long>(ptScripts->GetLength()) - 1; liIndex >= 0; --liIndex) {
        auto* ptScript =
            dynamic_cast<KxwDomHtmlElementScript*>(ptScripts->GetItem(static_cast<unsigned long>(liIndex)));
        if (!ptScript || !ptScript->IsScriptEventForActive() || ptScript->GetEventType() != meEventType) continue;
        const KxwDomHtmlPropertyStr& rtFor = ptScript->GetHtmlFor();
        if (!EqualsIgnoringCase(rtFor, rtId) && !EqualsIgnoringCase(rtFor, rtName)) continue;
        KxwDomEventListener* ptRegular = GetEventListener(meEventType, false);
        const KxwDomHtmlPropertyStr& rtText = ptScript->GetText();
        if (ptRegular && ptRegular->GetEventListenerType() == KXW_DOM_EVENT_LISTENER_TYPE_SCRIPT_FOR_EVENT &&
            ptRegular->GetCode().GetU16nLenInChars() == rtText.GetU16nLenInChars() &&
            std::memcmp(ptRegular->GetCode().GetU16nStr(), rtText.GetU16nStr(),
                        rtText.GetU16nLenInChars() * sizeof(char16_t)) == 0)
            return;
        if (rtText.GetU16nLenInChars() == 0) {
            const KxwDomHtmlPropertyStr& rtSrc = ptScript->GetSrc();
            xfvKxwUtilReportBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_NOTICE, "<SCRIPT event=\"%.100s\" for=\"%.100s\" src=\"%.2000s\"> is empty%s",
                ptScript->GetEvent().GetDcsStr() ? ptScript->GetEvent().GetDcsStr() : "",
                rtFor.GetDcsStr() ? rtFor.GetDcsStr() : "", rtSrc.GetDcsStr() ? rtSrc.GetDcsStr() : "",
                rtSrc.GetDcsStr() ? " (its source has not arrived)" : "");
            return;
        }
        CreateAndAddEventListenerIfEligible(KXW_DOM_EVENT_LISTENER_TYPE_SCRIPT_FOR_EVENT, meEventType,
                                            rtText.GetU16nStr(), rtText.GetU16nLenInChars());
        return;
    }
}

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomEventTarget::DispatchListeners(KxwDomCoreEvent* mptEvent) {
    KXW_DOM_EVENT_TYPE_ENUM eType = mptEvent->GetEventType();
    CreateGlobalFunctionListenerIfApplicable(eType);
    CreateScriptForEventListenerIfApplicable(eType);
    KxwDomEventListener* ptRegular = GetEventListener(eType, false);
    KxwDomWatchDelete tWatch("KxwDomEventTarget::DispatchEventHandler", this);
    const KxwDomNodeBase* ptRootBefore = GetRoot();
    if (ptRegular) {
        ptRegular->HandleEvent(mptEvent);
        if (HasLeftDispatch(tWatch, ptRootBefore, eType)) return KXW_DOM_HANDLE_EVENT_RET_VAL_TARGET_DELETED;
    }
    // Attached listeners, newest first; each is protected so that a handler detaching it only marks it.
    std::vector<KxwDomEventListener*> tAttached;
    for (KxwDomEventListener* ptListener = _ptFirstListener; ptListener; ptListener = ptListener->GetNextListener())
        if (ptListener->GetEventType() == eType && !ptListener->IsRegular()) tAttached.push_back(ptListener);
    for (KxwDomEventListener* ptListener : tAttached) ptListener->SetProtected(true);
    bool bLeft = false;
    for (KxwDomEventListener* ptListener : tAttached) {
        if (ptListener->GetDeleted()) continue;
        ptListener->HandleEvent(mptEvent);
        if (HasLeftDispatch(tWatch, ptRootBefore, eType)) {
            bLeft = true;
            break;
        }
    }
    // The target's destructor marked its protected listeners deleted and left them to this dispatch.
    for (KxwDomEventListener* ptListener : tAttached) {
        if (ptListener->GetDeleted())
            delete ptListener;
        else
            ptListener->SetProtected(false);
    }
    if (bLeft) return KXW_DOM_HANDLE_EVENT_RET_VAL_TARGET_DELETED;
    return mptEvent->GetReturnValue() ? KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE
                                      : KXW_DOM_HANDLE_EVENT_RET_VAL_PREVENT_DEFAULT;
}

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomEventTarget::DispatchEventHandler(KxwDomCoreEvent* mptEvent) {
    if (!mptEvent) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptEvent == NULL in KxwDomEventTarget::DispatchEventHandler");
        return KXW_DOM_HANDLE_EVENT_RET_VAL_ERROR;
    }
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM eResult = KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    KxwDomEventTarget* ptLevel = this;
    while (ptLevel) {
        KxwDomWatchDelete tWatchLevel("KxwDomEventTarget::DispatchEventHandler", ptLevel);
        KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM eLevel = ptLevel->DispatchListeners(mptEvent);
        if (eLevel == KXW_DOM_HANDLE_EVENT_RET_VAL_TARGET_DELETED) return KXW_DOM_HANDLE_EVENT_RET_VAL_PREVENT_DEFAULT;
        if (eLevel == KXW_DOM_HANDLE_EVENT_RET_VAL_PREVENT_DEFAULT) eResult = eLevel;
        if (mptEvent->GetCancelBubble() || tWatchLevel.HasBeenDeleted()) break;
        KxwDomCoreNode* ptParent = ptLevel->GetDomParentNode();
        ptLevel = ptParent ? ptParent->DownCastToEventTarget() : nullptr;
    }
    return eResult;
}

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomEventTarget::DispatchEventDefaultAction(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) {
    KxwDomEventTarget* ptLevel = this;
    while (ptLevel) {
        KxwDomWatchDelete tWatchLevel("KxwDomEventTarget::DispatchEventDefaultAction", ptLevel);
        KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM eResult = ptLevel->DoEventDefaultAction(meEventType, mptDomEventDataOrNULL);
        if (eResult != KXW_DOM_HANDLE_EVENT_RET_VAL_NOT_HANDLED || tWatchLevel.HasBeenDeleted()) return eResult;
        // A split node's place holders are passed over: the parent is the one scripts see.
        KxwDomCoreNode* ptParent = ptLevel->GetDomParentNode();
        ptLevel = ptParent ? ptParent->DownCastToEventTarget() : nullptr;
    }
    return KXW_DOM_HANDLE_EVENT_RET_VAL_NOT_HANDLED;
}

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomEventTarget::FireEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                               const KxwDomEventData* mptDomEventDataOrNULL,
                                                               FIRE_EVENT_ACTIVATE_ENUM meActivate,
                                                               KxwDomHtmlEvent* mptEventOrNULL) {
    if (!CanRespondToEvent(meEventType)) {
        xfvKxwDomUtilReportCatalogedMessage(xfeKxwUtilJavaScriptErrorSevLvl(), -35943, "KxwDomEventTarget::FireEvent",
                                            __LINE__, GetNodeTypeAsAscStr(), HandlerName(meEventType));
        return KXW_DOM_HANDLE_EVENT_RET_VAL_ERROR;
    }
    // Only an element in the document becomes its active element: one removed, or made and not yet inserted,
    // hears its focus but is no part of the page.
    if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_FOCUS)
        if (auto* ptElement = dynamic_cast<KxwDomHtmlElement*>(this))
            if (KxwDomHtmlDocument* ptDocument = GetEventDocument())
                if (ptElement->IsConnectedToDocument()) ptDocument->SetActiveElement(ptElement);
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("Event \"%s\" was issued for %.100s with name=\"%.50s\"", HandlerName(meEventType),
                                    GetNodeTypeAsAscStr(), NameOf(this));
    KxwDomWatchDelete tWatch("KxwDomEventTarget::FireEvent", this);
    const KxwDomNodeBase* ptRootBefore = GetRoot();
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM eResult = KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    if (meActivate & FIRE_EVENT_ACTIVATE_LISTENERS) {
        KxwDomHtmlDocument* ptDocument = GetEventDocument();
        KxwDomHtmlEvent* ptEvent = mptEventOrNULL;
        if (ptEvent) {
            ptEvent->Reset(this, meEventType);
            ptEvent->SetEventData(mptDomEventDataOrNULL);
        } else if (ptDocument) {
            ptEvent = ptDocument->ObtainEventObject(this, meEventType, mptDomEventDataOrNULL);
        }
        if (!ptEvent) {
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "Invalid ptOwnerDocument=%p / ptEvent=%p in "
                                                  "KxwDomEventTarget::FireEvent for this=%p",
                                                  static_cast<void*>(ptDocument), static_cast<void*>(ptEvent),
                                                  static_cast<void*>(this));
            return KXW_DOM_HANDLE_EVENT_RET_VAL_ERROR;
        }
        KxwDomWatchDelete tWatchDocument("KxwDomEventTarget::FireEvent", ptDocument);
        // An event object the script gave is its own; one already in dispatch stays so for the outer dispatch.
        bool bWasInDispatch = ptEvent->IsInDispatch();
        ptEvent->SetInDispatch(true);
        eResult = DispatchEventHandler(ptEvent);
        ptEvent->SetInDispatch(bWasInDispatch);
        if (!mptEventOrNULL) {
            if (ptDocument && !tWatchDocument.HasBeenDeleted()) {
                ptDocument->ReleaseEventObject(ptEvent);
            } else if (ptEvent->HasJsiObj()) {
                ptEvent->SetOwnedByScript();
            } else {
                delete ptEvent;
            }
        }
    }
    if ((meActivate & FIRE_EVENT_ACTIVATE_DEFAULT_ACTION) && eResult == KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE &&
        !HasLeftDispatch(tWatch, ptRootBefore, meEventType)) {
        eResult = DispatchEventDefaultAction(meEventType, mptDomEventDataOrNULL);
        if (eResult == KXW_DOM_HANDLE_EVENT_RET_VAL_NOT_HANDLED) eResult = KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    }
    return eResult;
}

bool KxwDomEventTarget::FireEvent(const char* mpsfFireEventStr, unsigned mnFireEventLen,
                                  const KxwDomEventData* mptDomEventDataOrNULL, KxwDomHtmlEvent* mptEventOrNULL) {
    if (!mpsfFireEventStr || mnFireEventLen == 0 || mnFireEventLen > 1000) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mpsfzFireEventStr/mnFireEventLen (%p/%d) in "
                                              "KxwDomEventTarget::FireEvent",
                                              static_cast<const void*>(mpsfFireEventStr),
                                              static_cast<int>(mnFireEventLen));
        return false;
    }
    KXW_DOM_EVENT_TYPE_ENUM eType =
        GetEventEnum("KxwDomEventTarget::FireEvent", mpsfFireEventStr, mnFireEventLen, true);
    if (eType == KXW_DOM_EVENT_TYPE_ENUM_NONE) return false;
    GetEventHandlerHolder(eType)->FireEvent(eType, mptDomEventDataOrNULL, FIRE_EVENT_ACTIVATE_LISTENERS,
                                            mptEventOrNULL);
    return true;
}

void KxwDomEventTarget::FireEventRecursivelyOnChildren(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                       const KxwDomEventData* mptDomEventDataOrNULL) {
    KxwDomWatchDelete tWatch("KxwDomEventTarget::FireEventRecursivelyOnChildren", this);
    std::vector<KxwDomEventTarget*> tChildren;
    for (KxwDomNodeBase* ptChild = GetDomFirstChild(); ptChild; ptChild = ptChild->GetDomNextSibling())
        if (KxwDomEventTarget* ptTarget = ptChild->DownCastToEventTarget()) tChildren.push_back(ptTarget);
    for (KxwDomEventTarget* ptChild : tChildren) {
        KxwDomWatchDelete tWatchChild("KxwDomEventTarget::FireEventRecursivelyOnChildren", ptChild);
        ptChild->FireEventRecursivelyOnChildren(meEventType, mptDomEventDataOrNULL);
        if (tWatch.HasBeenDeleted()) return;
        if (tWatchChild.HasBeenDeleted()) break;
    }
    if (CanRespondToEvent(meEventType)) FireEvent(meEventType, mptDomEventDataOrNULL, FIRE_EVENT_ACTIVATE_ALL, nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// User actions

void KxwDomEventTarget::OnUserEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) {
    KxwDomHtmlWindow* ptOwnerWindow = GetOwnerWindow();
    std::unique_ptr<KxwJswScriptEvaluationNotifier> ptBracket;
    if (ptOwnerWindow && ptOwnerWindow->GetTopWindow())
        ptBracket = std::make_unique<KxwDomScriptEvaluationNotifier>("KxwDomEventTarget::OnUserEvent", this, false);
    else
        ptBracket = std::make_unique<KxwJswScriptEvaluationNotifier>();
    ptBracket->OnEvaluationStart();
    KxwDomWatchDelete tWatch("KxwDomEventTarget::OnUserEvent", this);
    DoBeforeEvent(meEventType, mptDomEventDataOrNULL);
    if (!tWatch.HasBeenDeleted()) FireEvent(meEventType, mptDomEventDataOrNULL, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    if (!tWatch.HasBeenDeleted()) DoAfterEvent(meEventType, mptDomEventDataOrNULL);
    ptBracket->OnEvaluationEnd(true);
}

void KxwDomEventTarget::DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                      const KxwDomEventData* mptDomEventDataOrNULL) {
    KxwDomWatchDelete tWatch("KxwDomEventTarget::DoBeforeEvent", this);
    if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_CLICK) {
        if (CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM_FOCUS))
            FireEvent(KXW_DOM_EVENT_TYPE_ENUM_FOCUS, mptDomEventDataOrNULL, FIRE_EVENT_ACTIVATE_ALL, nullptr);
        if (tWatch.HasBeenDeleted()) return;
        FireEvent(KXW_DOM_EVENT_TYPE_ENUM_MOUSEDOWN, mptDomEventDataOrNULL, FIRE_EVENT_ACTIVATE_ALL, nullptr);
        if (tWatch.HasBeenDeleted()) return;
        FireEvent(KXW_DOM_EVENT_TYPE_ENUM_MOUSEUP, mptDomEventDataOrNULL, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    } else if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_KEYPRESS) {
        FireEvent(KXW_DOM_EVENT_TYPE_ENUM_KEYDOWN, mptDomEventDataOrNULL, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    }
}

void KxwDomEventTarget::DoAfterEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                     const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_CHANGE && CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM_BLUR))
        FireEvent(KXW_DOM_EVENT_TYPE_ENUM_BLUR, mptDomEventDataOrNULL, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    else if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_KEYPRESS)
        FireEvent(KXW_DOM_EVENT_TYPE_ENUM_KEYUP, mptDomEventDataOrNULL, FIRE_EVENT_ACTIVATE_ALL, nullptr);
}

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomEventTarget::DoEventDefaultAction(KXW_DOM_EVENT_TYPE_ENUM,
                                                                          const KxwDomEventData*) {
    return KXW_DOM_HANDLE_EVENT_RET_VAL_NOT_HANDLED;
}
