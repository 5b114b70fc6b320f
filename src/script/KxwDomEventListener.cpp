#include "KxwDomEventListener.h"

#include <memory>
#include <string>
#include <vector>

#include "KxwDomCoreEvent.h"
#include "KxwDomEventTarget.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomScriptEvaluationNotifier.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJswGlobal.h"

namespace {

// The bracket of a handler's evaluation; a window outside any top window's tree (a pop-up's) has no closes or
// scripts to wait for, and its code runs in a bare one.
std::unique_ptr<KxwJswScriptEvaluationNotifier> NewBracket(const char* mpszDescription, KxwDomHtmlWindow* mptWindow,
                                                           KxwDomNodeBase* mptInitiator) {
    if (mptWindow && mptWindow->GetTopWindow())
        return std::make_unique<KxwDomScriptEvaluationNotifier>(mpszDescription, mptInitiator, true);
    return std::make_unique<KxwJswScriptEvaluationNotifier>();
}

}  // namespace

KxwDomEventListener::KxwDomEventListener(KxwDomEnv& mrtDomEnv, KxwDomEventTarget* mptCurrentTarget,
                                         KXW_DOM_EVENT_LISTENER_TYPE_ENUM meListenerType,
                                         KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwJsval& mrtValue, int mnLength)
    : KxwDomBaseWithoutJsw(mrtDomEnv),
      _tCode(GetDomEnv()),
      _eEventListenerType(meListenerType),
      _eEventType(meEventType),
      _ptCurrentTarget(mptCurrentTarget) {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "<%p>: KxwDomEventListener::KxwDomEventListener(mptCurrentTarget=%p, "
            "meListenerType=%d, meEventType=%d, mnLength=%d)",
            static_cast<void*>(this), static_cast<void*>(mptCurrentTarget), static_cast<int>(meListenerType),
            static_cast<int>(meEventType), mnLength);
    if (mnLength != -1) {
        // A string assigned to a handler property is kept as it is and never runs.
        SetFlag(kFlagStringOnly, true);
        KxwJsval tValue = mrtValue;
        unsigned uLen = 0;
        const char16_t* pwsfText = tValue.GetStringU16n(&uLen);
        _tCode.SetU16n(pwsfText ? pwsfText : u"", pwsfText ? uLen : 0);
        return;
    }
    _tFunction.Set(mrtValue);
    _bHasFunction = true;
}

KxwDomEventListener::KxwDomEventListener(KxwDomEnv& mrtDomEnv, KxwDomEventTarget* mptCurrentTarget,
                                         KXW_DOM_EVENT_LISTENER_TYPE_ENUM meListenerType,
                                         KXW_DOM_EVENT_TYPE_ENUM meEventType, const char16_t* mpwsfCode,
                                         unsigned muCodeLen)
    : KxwDomBaseWithoutJsw(mrtDomEnv),
      _tCode(GetDomEnv()),
      _eEventListenerType(meListenerType),
      _eEventType(meEventType),
      _ptCurrentTarget(mptCurrentTarget) {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "<%p>: KxwDomEventListener::KxwDomEventListener(mptCurrentTarget=%p, "
            "meListenerType=%d, meEventType=%d, muCodeLen=%u)",
            static_cast<void*>(this), static_cast<void*>(mptCurrentTarget), static_cast<int>(meListenerType),
            static_cast<int>(meEventType), muCodeLen);
    _tCode.SetU16n(mpwsfCode ? mpwsfCode : u"", mpwsfCode ? muCodeLen : 0);
}

KxwDomEventListener::~KxwDomEventListener() {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomEventListener::~KxwDomEventListener", static_cast<void*>(this));
}

void KxwDomEventListener::SetCodeDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    _tCode.SetU16nFromDcs(mpsfDcsStr ? mpsfDcsStr : "", mpsfDcsStr ? muDcsLenInBytes : 0);
    _tFunction.Set(KxwJsval());
    _bHasFunction = false;
}

void KxwDomEventListener::SetCodeU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    _tCode.SetU16n(mpwsfU16nStr ? mpwsfU16nStr : u"", mpwsfU16nStr ? muU16nLenInChars : 0);
    _tFunction.Set(KxwJsval());
    _bHasFunction = false;
}

void KxwDomEventListener::SetProtected(bool mbProtected) {
    if (GetDeleted()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "GetDeleted() returned true for this=%p in "
                                              "KxwDomEventListener::SetProtected",
                                              static_cast<void*>(this));
        SetFlag(kFlagDeleted, false);
    }
    SetFlag(kFlagProtected, mbProtected);
}

void KxwDomEventListener::SetDeleted() {
    if (!GetProtected())
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "GetDeleted() returned true for this=%p in "
                                              "KxwDomEventListener::SetDeleted",
                                              static_cast<void*>(this));
    SetFlag(kFlagDeleted, true);
    SetFlag(kFlagProtected, false);
}

bool KxwDomEventListener::Compile() {
    KxwHswApi* ptHswApi = xfptKxwDomUtilGetHswApi();
    KxwDomHtmlWindow* ptWindow = _ptCurrentTarget ? _ptCurrentTarget->GetOwnerWindow() : nullptr;
    if (!ptHswApi || !ptWindow || !ptWindow->GetGlobal()) return false;
    // The handler sees its element first, then the element's ancestors up to the document, then the window.
    std::vector<KxwJswUserObjBase*> tScopes;
    if (_ptCurrentTarget != ptWindow)
        for (KxwDomNodeBase* ptNode = _ptCurrentTarget; ptNode; ptNode = ptNode->GetDomParentNode())
            tScopes.push_back(ptNode);
    KxwJswGlobal::RealmScope tRealm(ptWindow->GetGlobal());
    std::unique_ptr<KxwJswScriptEvaluationNotifier> ptBracket =
        NewBracket("KxwDomEventListener::Compile", ptWindow, _ptCurrentTarget);
    std::string dsFile = std::string("[") + xfpszKxwDomGetEventHandlerName(_eEventType) + " handler]";
    KxwJsval tFunction;
    if (!ptHswApi->CompileFunction(*ptBracket, tScopes.data(), tScopes.size(), "anonymous", _tCode.GetU16nStr(),
                                   _tCode.GetU16nLenInChars(), dsFile.c_str(), 1, tFunction))
        return false;
    _tFunction.Set(tFunction);
    _bHasFunction = true;
    return true;
}

KxwJsval KxwDomEventListener::GetFunction(bool mbCompile) {
    if (GetStringOnly()) return KxwJsval();
    if (!_bHasFunction && mbCompile) Compile();
    return _bHasFunction ? _tFunction.Get() : KxwJsval();
}

void KxwDomEventListener::HandleEvent(KxwDomCoreEvent* mptEvent) {
    if (GetStringOnly()) return;
    KxwDomHtmlWindow* ptOwnerWindow = _ptCurrentTarget ? _ptCurrentTarget->GetOwnerWindow() : nullptr;
    KxwDomCoreEvent* ptKeepWindowEvent = ptOwnerWindow ? ptOwnerWindow->GetWindowEvent() : nullptr;
    if (GetHandlingEvent()) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "REENTERING and immediately exiting KxwDomEventListener::HandleEvent(mptEvent=%p) "
                "for this=%p. _ptCurrentTarget=%p, ptOwnerWindow=%p, ptKeepWindowEvent=%p",
                static_cast<void*>(mptEvent), static_cast<void*>(this), static_cast<void*>(_ptCurrentTarget),
                static_cast<void*>(ptOwnerWindow), static_cast<void*>(ptKeepWindowEvent));
        return;
    }
    KxwHswApi* ptHswApi = xfptKxwDomUtilGetHswApi();
    if (!mptEvent || !_ptCurrentTarget || !ptOwnerWindow || !ptHswApi || !ptOwnerWindow->GetGlobal()) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mptEvent=%p / _ptCurrentTarget=%p / ptOwnerWindow=%p / ptHswApi=%p in "
            "KxwDomEventListener::HandleEvent for this=%p. ptKeepWindowEvent=%p",
            static_cast<void*>(mptEvent), static_cast<void*>(_ptCurrentTarget), static_cast<void*>(ptOwnerWindow),
            static_cast<void*>(ptHswApi), static_cast<void*>(this), static_cast<void*>(ptKeepWindowEvent));
        return;
    }
    ptOwnerWindow->SetWindowEvent(mptEvent);
    const char* pszHandlerName = xfpszKxwDomGetEventHandlerName(_eEventType);
    bool bDecompiled = _bHasFunction;
    if (xfbKxwTraceEnabled()) {
        const KxwDomHtmlPropertyStr& rtName = _ptCurrentTarget->GetName();
        xfvKxwUtilReportTraceToFile(
            "Evaluating %sscript%s for %.100s (name=\"%.50s\") \"%.30s\", listed in the following "
            "line:",
            bDecompiled ? "decompiled " : "",
            _eEventListenerType == KXW_DOM_EVENT_LISTENER_TYPE_ATTACHED ? " (attached)" : "",
            _ptCurrentTarget->GetNodeTypeAsAscStr(), rtName.GetDcsStr() ? rtName.GetDcsStr() : "", pszHandlerName);
        xfvKxwUtilReportTraceToFile("%.4000s", _tCode.GetDcsStr() ? _tCode.GetDcsStr() : "[function]");
    }
    KxwDomWatchDelete tWatchListener("KxwDomEventListener::HandleEvent", this);
    KxwDomWatchDelete tWatchWindow("KxwDomEventListener::HandleEvent", ptOwnerWindow);
    KxwJsval tFunction = GetFunction(true);
    bool bOK = false;
    bool bCalled = false;
    KxwJsval tResult;
    if (!tWatchListener.HasBeenDeleted() && !tWatchWindow.HasBeenDeleted() && tFunction.IsFunction() &&
        ptOwnerWindow->GetGlobal()) {
        SetFlag(kFlagHandlingEvent, true);
        KxwJswGlobal::RealmScope tRealm(ptOwnerWindow->GetGlobal());
        std::unique_ptr<KxwJswScriptEvaluationNotifier> ptBracket =
            NewBracket("KxwDomEventListener::HandleEvent", ptOwnerWindow, ptOwnerWindow);
        KxwJsval tEventArg;
        int iArgc = 0;
        if (_eEventListenerType == KXW_DOM_EVENT_LISTENER_TYPE_ATTACHED && tEventArg.SetDomObject(mptEvent)) iArgc = 1;
        bCalled = true;
        bOK = ptHswApi->CallFunctionValue(*ptBracket, tFunction, _ptCurrentTarget, iArgc, iArgc ? &tEventArg : nullptr,
                                          &tResult);
        if (!tWatchListener.HasBeenDeleted()) SetFlag(kFlagHandlingEvent, false);
    }
    if (bCalled && !bOK) {
        if (tWatchListener.HasBeenDeleted() || tWatchWindow.HasBeenDeleted())
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                     "Evaluating the %.30s handler failed after its listener or window was deleted",
                                     pszHandlerName);
        else if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile("Evaluating script for %.100s \"%.30s\" failed",
                                        _ptCurrentTarget->GetNodeTypeAsAscStr(), pszHandlerName);
    }
    // A handler that returns false keeps the default action from happening.
    if (bOK && tResult.IsBoolean() && !tResult.GetBoolean()) mptEvent->SetReturnValue(false);
    if (tWatchWindow.HasBeenDeleted()) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35933, "KxwDomEventListener::HandleEvent",
                                            __LINE__);
        return;
    }
    ptOwnerWindow->SetWindowEvent(ptKeepWindowEvent);
}
