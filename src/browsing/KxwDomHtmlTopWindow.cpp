#include "KxwDomHtmlTopWindow.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementTitle.h"
#include "KxwDomHtmlHistory.h"
#include "KxwDomBrowsingUtil.h"
#include "KxwDomHtmlLocation.h"
#include "KxwDomHtmlNavigator.h"
#include "KxwDomHtmlWindowDialog.h"
#include "KxwDomUserRegistration.h"
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
    DeleteAllDialogs();
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

bool KxwDomHtmlTopWindow::DeferCloseWhileOwnScriptRuns() {
    KxwDomHtmlWindow* ptScope = GetScopeWindow();
    if (!ptScope || !IsSelfOrAncestorOf(ptScope)) return false;
    _bDeferredClose = true;
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("Closure deferred for TOP window at %p when ptScopeWindow=%p%s in "
                                    "KxwDomHtmlTopWindow::Close(mbForce=0). DeferredClose=1",
                                    static_cast<void*>(this), static_cast<void*>(ptScope),
                                    ptScope != this ? " (a descendant)" : "");
    return true;
}

void KxwDomHtmlTopWindow::Close(bool mbForce) {
    if (GetIsClosed()) return;
    if (!mbForce && DeferCloseWhileOwnScriptRuns()) return;
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

void KxwDomHtmlTopWindow::OnEndIteration() {
    KxwDomHtmlWindow::OnEndIteration();
    if (_ptModalDialog) _ptModalDialog->OnEndIteration();
    if (_ptModelessDialog) _ptModelessDialog->OnEndIteration();
    // Closed dialogs were kept for their returnValue and for scripts that still held them.
    std::vector<KxwDomHtmlWindowDialog*> tClosed;
    tClosed.swap(_tClosedDialogs);
    for (KxwDomHtmlWindowDialog* ptDialog : tClosed) {
        ptDialog->ForgetOwner();
        delete ptDialog;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Dialogs

KxwDomHtmlWindow* KxwDomHtmlTopWindow::GetWindowDialogModeless() const { return _ptModelessDialog; }

KxwDomHtmlWindow* KxwDomHtmlTopWindow::GetWindowDialogModal() const { return _ptModalDialog; }

void KxwDomHtmlTopWindow::OnResetOfTopWindow() {
    _bDeferredClose = false;
    // A new page (or the window's end) closes the dialogs of the old one.
    KxwDomWatchDelete tWatch("KxwDomHtmlTopWindow::OnResetOfTopWindow", this);
    DeleteWindowDialogModeless();
    if (!tWatch.HasBeenDeleted()) DeleteWindowDialogModal();
}

void KxwDomHtmlTopWindow::DeleteWindowDialogModal() {
    if (_ptModalDialog) _ptModalDialog->Close(true);
}

void KxwDomHtmlTopWindow::DeleteWindowDialogModeless() {
    if (_ptModelessDialog) _ptModelessDialog->Close(true);
}

void KxwDomHtmlTopWindow::NotifyDialogClosed(KxwDomHtmlWindowDialog* mptDialog) {
    if (!mptDialog) return;
    if (mptDialog == _ptModalDialog) _ptModalDialog = nullptr;
    if (mptDialog == _ptModelessDialog) _ptModelessDialog = nullptr;
    if (std::find(_tClosedDialogs.begin(), _tClosedDialogs.end(), mptDialog) == _tClosedDialogs.end())
        _tClosedDialogs.push_back(mptDialog);
}

void KxwDomHtmlTopWindow::DeleteAllDialogs() {
    std::vector<KxwDomHtmlWindowDialog*> tDialogs;
    tDialogs.swap(_tClosedDialogs);
    if (_ptModalDialog) tDialogs.push_back(_ptModalDialog);
    if (_ptModelessDialog) tDialogs.push_back(_ptModelessDialog);
    _ptModalDialog = nullptr;
    _ptModelessDialog = nullptr;
    for (KxwDomHtmlWindowDialog* ptDialog : tDialogs) {
        ptDialog->ForgetOwner();
        delete ptDialog;
    }
}

KxwDomHtmlWindowDialog* KxwDomHtmlTopWindow::OpenDialog(bool mbModal, KxwDomHtmlWindow* mptCalling,
                                                        const std::string& mdsUrl, const KxwJsval& mrtArguments,
                                                        const std::string& mdsFeatures) {
    KxwDomHtmlWindowDialog*& rptSlot = mbModal ? _ptModalDialog : _ptModelessDialog;
    if (rptSlot) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                 "window.%s(\"%.1500s\"[, ...]) invoked when a %s Dialog is already active. The new "
                                 "dialog will REPLACE the existing one (currently, only one %s Dialog is supported "
                                 "for a window at a time). Internal information: Window=%p, ExistingDialog=%p",
                                 mbModal ? "showModalDialog" : "showModelessDialog", mdsUrl.c_str(),
                                 mbModal ? "Modal" : "Modeless", mbModal ? "Modal" : "Modeless",
                                 static_cast<void*>(this), static_cast<void*>(rptSlot));
        KxwDomWatchDelete tWatch("KxwDomHtmlTopWindow::OpenDialog", this);
        rptSlot->Close(true);
        if (tWatch.HasBeenDeleted()) return nullptr;
    }
    KxwObjMgr* ptObjMgr = GetObjMgr();
    auto* ptDialog = new (ptObjMgr->GetMemMgr()) KxwDomHtmlWindowDialog(ptObjMgr, this, mbModal, mrtArguments,
                                                                        mdsFeatures);
    if (!ptDialog->CreateNewDocument(nullptr, 0)) {
        delete ptDialog;
        return nullptr;
    }
    (mbModal ? _ptModalDialog : _ptModelessDialog) = ptDialog;
    // The page's address resolves against the calling script's page.
    KxwDomHtmlWindow* ptBase = mptCalling ? mptCalling : this;
    bool bLoad = !mdsUrl.empty() && !xfbKxwDomBrowsingEqualsNoCase(mdsUrl.data(), static_cast<unsigned>(mdsUrl.size()),
                                                                   "about:blank");
    std::string dsHref = bLoad ? ptBase->CombineWithScriptBaseUrl(mdsUrl.data(), static_cast<unsigned>(mdsUrl.size()))
                               : std::string("about:blank");
    if (KxwDomHtmlDocument* ptDocument = ptDialog->GetDocument())
        ptDocument->SetHrefDcs(dsHref.data(), static_cast<unsigned>(dsHref.size()));
    KxwDomWatchDelete tWatchDialog("KxwDomHtmlTopWindow::OpenDialog", ptDialog);
    if (bLoad) {
        if (KxwDomHtmlLocation* ptLocation = ptDialog->GetLocation())
            ptLocation->Reload(KXW_DOM_HTML_LOCATION_CHANGE_DIALOG, 0);
    } else {
        ptDialog->MarkCompleteWithoutDownload();
    }
    return tWatchDialog.HasBeenDeleted() ? nullptr : ptDialog;
}

KxwDomHtmlWindowDialog* KxwDomHtmlTopWindow::ShowModelessDialog(KxwDomHtmlWindow* mptCalling,
                                                                const std::string& mdsUrl,
                                                                const KxwJsval& mrtArguments,
                                                                const std::string& mdsFeatures) {
    return OpenDialog(false, mptCalling, mdsUrl, mrtArguments, mdsFeatures);
}

KxwJsval KxwDomHtmlTopWindow::ShowModalDialog(KxwDomHtmlWindow* mptCalling, const std::string& mdsUrl,
                                              const KxwJsval& mrtArguments, const std::string& mdsFeatures) {
    KxwJsval tResult;
    KxwDomWatchDelete tWatchThis("KxwDomHtmlTopWindow::ShowModalDialog", this);
    KxwDomHtmlWindowDialog* ptDialog = OpenDialog(true, mptCalling, mdsUrl, mrtArguments, mdsFeatures);
    if (!ptDialog || tWatchThis.HasBeenDeleted()) return tResult;
    KxwDomWatchDelete tWatchDialog("KxwDomHtmlTopWindow::ShowModalDialog", ptDialog);
    KxwObjMgr* ptObjMgr = GetObjMgr();
    auto* ptRegistration = dynamic_cast<KxwDomUserRegistrationModal*>(ptObjMgr->FindUserRegistrationModal());
    // The engine shows the dialog: its page loads before the answer runs, and the dialog ends after it.
    KxwDomModalDialogPhase tPhase{ptDialog, true};
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_MODAL_DIALOG, ptDialog, &tPhase);
    if (tWatchThis.HasBeenDeleted()) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                 "The top window issuing showModalDialog has been deleted. Exiting without calling the "
                                 "Vuser-script callback (internal IDs: top=%p, calling=%p)",
                                 static_cast<void*>(this), static_cast<void*>(mptCalling));
        return tResult;
    }
    if (!ptRegistration) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE,
                                 "No showModalDialog callback was found for a showModalDialog method, Exiting without "
                                 "calling the Vuser-script callback (internal IDs: top=%p, calling=%p)",
                                 static_cast<void*>(this), static_cast<void*>(mptCalling));
    } else if (!tWatchDialog.HasBeenDeleted()) {
        auto tStart = std::chrono::steady_clock::now();
        long lResult = 0;
        bool bFlag = false;
        // The answer is a nested step of the virtual user's script: the answers it registers are its own, and
        // those it leaves unused are reported when it ends; the calling step's answers wait for it untouched.
        ptObjMgr->EnterRecursion();
        ptRegistration->InvokeFunction(ptObjMgr->GetVUserVars(), ptDialog, lResult, bFlag);
        ptObjMgr->ExitRecursion();
        auto ulMs = static_cast<unsigned long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - tStart).count());
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile("showModalDialog callback duration was %lums. Incrementing step timeout "
                                        "timestamp accordingly",
                                        ulMs);
    }
    if (tWatchThis.HasBeenDeleted()) return tResult;
    tPhase._bBefore = false;
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_MODAL_DIALOG, ptDialog, &tPhase);
    if (tWatchDialog.HasBeenDeleted()) return tResult;
    tResult = ptDialog->GetReturnValue();
    if (!ptDialog->GetIsClosed()) {
        // A close the callback's code asked for in the dialog waits for that code's end, which is now.
        if (ptRegistration && !ptDialog->GetDeferredClose())
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                     "Closing a showModalDialog window that has not been closed by a showModalDialog "
                                     "callback (internal IDs: top=%p, calling=%p)",
                                     static_cast<void*>(this), static_cast<void*>(mptCalling));
        ptDialog->Close(true);
    }
    return tResult;
}

KxwDomHtmlWindow* KxwDomHtmlTopWindow::FindHtmlWindow(const char* mpsfName, unsigned muNameLen, bool mbNameIsRegExp,
                                                      const char* mpsfId, unsigned muIdLen, unsigned muOrdinal) {
    return KxwDomHtmlWindow::FindHtmlWindow(mpsfName, muNameLen, mbNameIsRegExp, mpsfId, muIdLen, muOrdinal);
}
