#include "KxwDomScriptEvaluationNotifier.h"

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomNodeBase.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwObjMgr.h"

namespace {

// The document a piece of code runs for: a window's, a document itself, or a node's owner.
KxwDomHtmlDocument* DocumentOf(KxwDomNodeBase* mptObject) {
    if (!mptObject) return nullptr;
    if (KxwDomHtmlWindow* ptWindow = mptObject->AsHtmlWindow()) return ptWindow->GetDocument();
    if (mptObject->IsDocument()) return mptObject->AsHtmlDocument();
    KxwDomCoreDocument* ptDocument = mptObject->GetOwnerDocument(false);
    return ptDocument ? ptDocument->AsHtmlDocument() : nullptr;
}

KxwDomHtmlTopWindow* TopWindowOf(KxwDomNodeBase* mptObject, KxwDomHtmlDocument* mptDocument) {
    KxwDomHtmlWindow* ptWindow = mptObject ? mptObject->AsHtmlWindow() : nullptr;
    if (!ptWindow && mptDocument) ptWindow = mptDocument->GetWindow();
    return ptWindow ? ptWindow->GetTopWindow() : nullptr;
}

}  // namespace

KxwDomScriptEvaluationNotifier::KxwDomScriptEvaluationNotifier(const char* mpszDescription,
                                                               KxwDomNodeBase* mptInitiatorObject,
                                                               bool mbScriptEvaluation)
    : _pszDescription(mpszDescription && *mpszDescription ? mpszDescription : "[Unknown]"),
      _bScriptEvaluation(mbScriptEvaluation) {
    _ptObjMgr = xfptKxwDomUtilGetObjMgr("KxwDomScriptEvaluationNotifier CTOR");
    _ptInitiatorDocument = DocumentOf(mptInitiatorObject);
    _ptInitiatorTopWindowOrNULL = TopWindowOf(mptInitiatorObject, _ptInitiatorDocument);
    _tWatchInitiatorDocument.SetCallingFuncName("KxwDomScriptEvaluationNotifier (document)");
    _tWatchInitiatorTopWindow.SetCallingFuncName("KxwDomScriptEvaluationNotifier (top window)");
    if (_ptInitiatorDocument) _tWatchInitiatorDocument.ActivateWatch(_ptInitiatorDocument);
    if (_ptInitiatorTopWindowOrNULL) _tWatchInitiatorTopWindow.ActivateWatch(_ptInitiatorTopWindowOrNULL);
    if (!_ptInitiatorTopWindowOrNULL || !_ptObjMgr) {
        _bError = true;
        KxwDomHtmlWindow* ptWindow = _ptInitiatorDocument ? _ptInitiatorDocument->GetWindow() : nullptr;
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid  mptInitiatorObject=%p / ptInitiatorWindow=%p / ptInitiatorTopmostWindow=%p / _ptObjMgr=%p in "
            "KxwDomScriptEvaluationNotifier CTOR for \"%.100s\". this=%p, _ptInitiatorTopWindowOrNULL=%p",
            static_cast<void*>(mptInitiatorObject), static_cast<void*>(ptWindow),
            static_cast<void*>(_ptInitiatorTopWindowOrNULL), static_cast<void*>(_ptObjMgr), _pszDescription,
            static_cast<void*>(this), static_cast<void*>(_ptInitiatorTopWindowOrNULL));
    }
}

KxwDomScriptEvaluationNotifier::~KxwDomScriptEvaluationNotifier() {
    // An exception thrown through the evaluation leaves a start without an end: the counters must not stay raised.
    if (_bEvaluationStarted && !_bEvaluationEnded) {
        if (xfbKxwDetailedTraceEnabled())
            xfvKxwUtilReportTraceToFile("KxwDomScriptEvaluationNotifier for \"%.100s\" ends without the end of its "
                                        "evaluation (expected in case of an exception during the script "
                                        "evaluation). this=%p",
                                        _pszDescription, static_cast<void*>(this));
        LowerCounters();
    }
}

KxwDomHtmlDocument* KxwDomScriptEvaluationNotifier::GetInitiatorDocument() const {
    return static_cast<KxwDomHtmlDocument*>(_tWatchInitiatorDocument.GetEffectiveWatchedPtr());
}

KxwDomHtmlTopWindow* KxwDomScriptEvaluationNotifier::GetInitiatorTopWindow() const {
    return static_cast<KxwDomHtmlTopWindow*>(_tWatchInitiatorTopWindow.GetEffectiveWatchedPtr());
}

void KxwDomScriptEvaluationNotifier::RaiseCounters() {
    KxwDomHtmlDocument* ptDocument = GetInitiatorDocument();
    if (_bScriptEvaluation && ptDocument) ptDocument->IncrementScriptEvaluationDepth();
    if (KxwDomHtmlTopWindow* ptTop = GetInitiatorTopWindow()) ptTop->IncrementDeferredCloseProtectionDepth();
}

void KxwDomScriptEvaluationNotifier::LowerCounters() {
    KxwDomHtmlDocument* ptDocument = GetInitiatorDocument();
    if (_bScriptEvaluation && ptDocument) ptDocument->DecrementScriptEvaluationDepth();
    if (KxwDomHtmlTopWindow* ptTop = GetInitiatorTopWindow()) ptTop->DecrementDeferredCloseProtectionDepth();
}

void KxwDomScriptEvaluationNotifier::OnEvaluationStart() {
    if (_bEvaluationStarted) {
        _bError = true;
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "KxwDomScriptEvaluationNotifier::EvaluataionStarted invoked more than once for \"%.100s\", this=%p. "
            "_ptInitiatorDocument=%p, _ptInitiatorTopWindowOrNULL=%p",
            _pszDescription, static_cast<void*>(this), static_cast<void*>(GetInitiatorDocument()),
            static_cast<void*>(GetInitiatorTopWindow()));
        return;
    }
    if (_ptObjMgr) {
        _dsSavedInitiatorBaseUrl.assign(_ptObjMgr->GetInitiatorBaseUrlStr(), _ptObjMgr->GetInitiatorBaseUrlLen());
        if (KxwDomHtmlDocument* ptDocument = GetInitiatorDocument()) {
            const KxwDomHtmlPropertyStr& rtHref = ptDocument->GetHref();
            _ptObjMgr->SetInitiatorBaseUrl(rtHref.GetDcsStr(), static_cast<int>(rtHref.GetDcsLenInBytes()));
        }
    }
    _bEvaluationStarted = true;
    RaiseCounters();
}

void KxwDomScriptEvaluationNotifier::OnEvaluationEnd(bool /*mbOK*/) {
    if (!_bEvaluationStarted || _bEvaluationEnded) {
        _bError = true;
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "KxwDomScriptEvaluationNotifier::EvaluataionEnded invoked with _bEvaluationStarted=%d / "
            "_bEvaluationEnded=%d for \"%.100s\", this=%p",
            _bEvaluationStarted, _bEvaluationEnded, _pszDescription, static_cast<void*>(this));
        return;
    }
    _bEvaluationEnded = true;
    LowerCounters();
    if (_ptObjMgr)
        _ptObjMgr->SetInitiatorBaseUrl(_dsSavedInitiatorBaseUrl.data(), static_cast<int>(_dsSavedInitiatorBaseUrl.size()));
    CarryOutDeferredCloses();
    EvaluatePendingScripts();
    // Applets that waited for the page's code to end, and the calls their threads queued, run now.
    if (_ptObjMgr) _ptObjMgr->ServiceEmbeddedObjects();
}

void KxwDomScriptEvaluationNotifier::CarryOutDeferredCloses() {
    if (_ptObjMgr) _ptObjMgr->CarryOutDeferredCloses();
}

void KxwDomScriptEvaluationNotifier::EvaluatePendingScripts() {
    auto MayRun = [this] {
        KxwDomHtmlDocument* ptDocument = GetInitiatorDocument();
        return ptDocument && ptDocument->GetScriptEvaluationDepth() == 0 && ptDocument->GetParsingDepth() == 0
                   ? ptDocument
                   : nullptr;
    };
    // The waiting scripts run as this code did: with the closes held and the document counted as running.
    auto RunHeld = [this](void (KxwDomHtmlDocument::*mpfEvaluate)()) {
        RaiseCounters();
        if (KxwDomHtmlDocument* ptDocument = GetInitiatorDocument()) (ptDocument->*mpfEvaluate)();
        LowerCounters();
        CarryOutDeferredCloses();
    };
    if (KxwDomHtmlDocument* ptDocument = MayRun(); ptDocument && ptDocument->GetPendingScriptSrcCount() != 0)
        RunHeld(&KxwDomHtmlDocument::EvaluatePendingScriptSrc);
    if (KxwDomHtmlDocument* ptDocument = MayRun();
        ptDocument && ptDocument->GetPendingScriptDeferCount() != 0 && ptDocument->IsInitialProcessingEnded())
        RunHeld(&KxwDomHtmlDocument::EvaluatePendingScriptDefer);
}
