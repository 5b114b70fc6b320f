#include "KxwDomHtmlTopWindow.h"

#include <cstring>

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementTitle.h"
#include "KxwDomHtmlHistory.h"
#include "KxwDomHtmlNavigator.h"
#include "KxwDomStrRegExp.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwObjMgr.h"

KxwDomHtmlTopWindow::KxwDomHtmlTopWindow(KxwObjMgr* mptObjMgr, KxwDomHtmlWindow* mptOpenerOrNull,
                                         const char* mpsfName, unsigned muNameLen, unsigned muCreationIndex)
    : KxwDomHtmlWindow(mptObjMgr, nullptr, nullptr), _uCreationIndex(muCreationIndex) {
    if (mpsfName && muNameLen) SetWindowName(mpsfName, muNameLen);
    SetOpener(mptOpenerOrNull);
    _ptHistory = new (mptObjMgr->GetMemMgr()) KxwDomHtmlHistory(this);
    // They live as long as the window, whatever pages it shows.
    _ptNavigator = new (mptObjMgr->GetMemMgr()) KxwDomHtmlNavigator(this);
    _ptScreen = new (mptObjMgr->GetMemMgr()) KxwDomHtmlScreen(this);
    _ptExternal = new (mptObjMgr->GetMemMgr()) KxwDomHtmlExternal(this);
}

KxwDomHtmlTopWindow::~KxwDomHtmlTopWindow() {
    // The document and frames go first (their unload handlers may still read the history).
    ++_liResetRecursionDepth;
    DeleteDocumentAndFrames();
    delete _ptHistory;
    _ptHistory = nullptr;
    delete _ptNavigator;
    _ptNavigator = nullptr;
    delete _ptScreen;
    _ptScreen = nullptr;
    delete _ptExternal;
    _ptExternal = nullptr;
}

KxwDomHtmlTopWindow* KxwDomHtmlTopWindow::GetNextTopWindow() const {
    for (KxwDomNodeBase* ptNext = GetNextSibling(); ptNext; ptNext = ptNext->GetNextSibling())
        if (auto* ptTop = dynamic_cast<KxwDomHtmlTopWindow*>(ptNext)) return ptTop;
    return nullptr;
}

KxwDomHtmlWindow* KxwDomHtmlTopWindow::GetOpener() const {
    return static_cast<KxwDomHtmlWindow*>(_tOpenerWatch.GetEffectiveWatchedPtr());
}

void KxwDomHtmlTopWindow::SetOpener(KxwDomHtmlWindow* mptOpener) {
    _tOpenerWatch.Reset();
    if (mptOpener && mptOpener != this) _tOpenerWatch.ActivateWatch(mptOpener);
}

void KxwDomHtmlTopWindow::ClearHistory() {
    if (_ptHistory) _ptHistory->Clear();
}

void KxwDomHtmlTopWindow::NotifyHistoryComplete() {
    if (_ptHistory) _ptHistory->NotifyComplete();
}

bool KxwDomHtmlTopWindow::MatchByTitle(const char* mpsfTitle, unsigned muTitleLen, bool mbIsRegExp) const {
    KxwDomHtmlDocument* ptDocument = GetDocument();
    if (!mpsfTitle || !ptDocument) return true;
    std::string dsText;
    if (KxwDomHtmlElementTitle* ptTitle = ptDocument->GetTitle(false)) {
        const KxwDomHtmlPropertyStr& rtText = ptTitle->GetText();
        if (rtText.GetDcsStr()) dsText.assign(rtText.GetDcsStr(), rtText.GetDcsLenInBytes());
    }
    if (dsText.empty() && ptDocument->GetHref().GetDcsStr())
        dsText.assign(ptDocument->GetHref().GetDcsStr(), ptDocument->GetHref().GetDcsLenInBytes());
    KxwDomStrRegExp tTitle(const_cast<KxwDomHtmlTopWindow*>(this)->GetDomEnv(), mpsfTitle, muTitleLen, mbIsRegExp);
    return tTitle.IsEqualDcs(dsText.data(), static_cast<unsigned>(dsText.size()), !mbIsRegExp);
}

void KxwDomHtmlTopWindow::Close(bool mbForce) {
    if (GetIsClosed()) return;
    if (!mbForce) {
        KxwDomHtmlWindow* ptScope = GetScopeWindow();
        if (ptScope && IsSelfOrAncestorOf(ptScope)) {
            _bDeferredClose = true;
            if (xfbKxwTraceEnabled())
                xfvKxwUtilReportTraceToFile("Closure deferred for TOP window at %p when ptScopeWindow=%p%s in "
                                            "KxwDomHtmlTopWindow::Close(mbForce=0). DeferredClose=1",
                                            static_cast<void*>(this), static_cast<void*>(ptScope),
                                            ptScope != this ? " (a descendant)" : "");
            return;
        }
    }
    _bIsClosed = true;
    _bDeferredClose = false;
    KxwDomWatchDelete tWatch("KxwDomHtmlTopWindow::Close", this);
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_WINDOW_CLOSED, this, nullptr);
    if (tWatch.HasBeenDeleted()) return;
    Reset(KXW_DOM_RESET_WINDOW_REASON_CLOSE);
}

void KxwDomHtmlTopWindow::ResetDeferredCloseIfRequired(const char* mpszCaller) {
    if (!_bDeferredClose) return;
    KxwDomHtmlWindow* ptScope = GetScopeWindow();
    if (ptScope && IsSelfOrAncestorOf(ptScope)) return;
    _bDeferredClose = false;
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("Resetting _bDeferredClose to 0 for TOP window at %p when ptScopeWindow=%p in "
                                    "KxwDomHtmlTopWindow::ResetDeferredCloseIfRequired from \"%.100s\"",
                                    static_cast<void*>(this), static_cast<void*>(ptScope),
                                    mpszCaller ? mpszCaller : "");
}

bool KxwDomHtmlTopWindow::CarryOutDeferredClose() {
    if (!_bDeferredClose || _iDeferredCloseProtectionDepth > 0) return false;
    KxwDomHtmlWindow* ptScope = GetScopeWindow();
    if (ptScope && IsSelfOrAncestorOf(ptScope)) return false;
    Close(true);
    return true;
}

void KxwDomHtmlTopWindow::OnEndIteration() { KxwDomHtmlWindow::OnEndIteration(); }

KxwDomHtmlWindow* KxwDomHtmlTopWindow::FindHtmlWindow(const char* mpsfName, unsigned muNameLen, bool mbNameIsRegExp,
                                                      const char* mpsfId, unsigned muIdLen, unsigned muOrdinal) {
    return KxwDomHtmlWindow::FindHtmlWindow(mpsfName, muNameLen, mbNameIsRegExp, mpsfId, muIdLen, muOrdinal);
}
