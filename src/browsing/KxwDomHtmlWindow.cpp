#include "KxwDomHtmlWindow.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "KxwDomBrowsingUtil.h"
#include "KxwDomCoreElement.h"
#include "KxwDomCoreEvent.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementFrame.h"
#include "KxwDomHtmlHistory.h"
#include "KxwDomHtmlLocation.h"
#include "KxwDomHtmlPopupWindow.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomSiteForActiveX.h"
#include "KxwDomStrRegExp.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwObjMgr.h"

namespace {

const char16_t kawsWindowNodeName[] = u"#window";

// A frame id that cannot name a child any more.
constexpr uint32_t kNoFrameHierarchyId = 0xFFFFFFFFu;

}  // namespace

KXW_DOM_TARGET_FRAME_VALUE_ENUM xfeKxwDomGetTargetFrameValue(const char* mpsfName, unsigned muLen) {
    if (!mpsfName || muLen == 0) return KXW_DOM_TARGET_FRAME_SELF;
    if (mpsfName[0] != '_') return KXW_DOM_TARGET_FRAME_NAMED;
    if (xfbKxwDomBrowsingEqualsNoCase(mpsfName, muLen, "_top")) return KXW_DOM_TARGET_FRAME_TOP;
    if (xfbKxwDomBrowsingEqualsNoCase(mpsfName, muLen, "_parent")) return KXW_DOM_TARGET_FRAME_PARENT;
    if (xfbKxwDomBrowsingEqualsNoCase(mpsfName, muLen, "_blank")) return KXW_DOM_TARGET_FRAME_BLANK;
    if (xfbKxwDomBrowsingEqualsNoCase(mpsfName, muLen, "_self")) return KXW_DOM_TARGET_FRAME_SELF;
    return KXW_DOM_TARGET_FRAME_NAMED;
}

// ---------------------------------------------------------------------------------------------------------------
// Construction and the window tree

KxwDomHtmlWindow::KxwDomHtmlWindow(KxwObjMgr* mptObjMgr, KxwDomHtmlWindow* mptParent,
                                   KxwDomHtmlElementFrameBase* mptFrameElement)
    : KxwDomEventTarget(mptObjMgr->GetMemMgr(), xfptKxwU16nHandlerGetDefault(), KXW_DOM_COMMON_NODE_TYPE_INTERNAL,
                        KXW_DOM_COMMON_NODE_SUBTYPE_WINDOW),
      _ptObjMgr(mptObjMgr),
      _ptParentWindow(mptParent),
      _ptFrameElement(mptFrameElement),
      _tNameProperty(GetDomEnv()),
      _tStatus(GetDomEnv()),
      _tDefaultStatus(GetDomEnv()) {
    _uFrameHierarchyId = mptParent ? mptParent->ComputeChildFrameHierarchyId() : 0;
    _tTimeoutStatus.SetWindow(this);
}

KxwDomHtmlWindow::~KxwDomHtmlWindow() {
    // Unload handlers of a window that goes away run while it is still whole; a window deleted by them does not
    // come back here twice, since its deletion is this one.
    ++_liResetRecursionDepth;
    _tTimeoutStatus.Reset();
    DeleteDocumentAndFrames();
    ReleaseGlobal();
    _tParentHold.Release();
    if (_ptParentWindow) _ptParentWindow->RemoveChildFrameWindow(this);
    free(_pszDownloadFailedMsg);
    _pszDownloadFailedMsg = nullptr;
    if (_ptSiteForActiveX) _ptSiteForActiveX->Release();
    _ptSiteForActiveX = nullptr;
}

KxwDomHtmlTopWindow* KxwDomHtmlWindow::GetTopWindow() {
    KxwDomHtmlWindow* ptWindow = this;
    while (ptWindow->_ptParentWindow) ptWindow = ptWindow->_ptParentWindow;
    return ptWindow->IsTopWindow() ? static_cast<KxwDomHtmlTopWindow*>(ptWindow) : nullptr;
}

uint32_t KxwDomHtmlWindow::ComputeChildFrameHierarchyId() {
    // A parent id of 0x10000000 or more would lose its top bits when multiplied by 16.
    if (_uFrameHierarchyId >= 0x10000000u || _uFrameIdCounter >= 15) return kNoFrameHierarchyId;
    ++_uFrameIdCounter;
    return _uFrameHierarchyId * 16 + _uFrameIdCounter;
}

bool KxwDomHtmlWindow::IsSelfOrAncestorOf(const KxwDomHtmlWindow* mptOther) const {
    for (const KxwDomHtmlWindow* ptWindow = mptOther; ptWindow; ptWindow = ptWindow->_ptParentWindow)
        if (ptWindow == this) return true;
    return false;
}

KxwDomHtmlWindow* KxwDomHtmlWindow::GetWindowFromHierarchyId(uint32_t muId) {
    if (muId == _uFrameHierarchyId) return this;
    for (KxwDomHtmlWindow* ptChild : _tChildFrameWindows)
        if (KxwDomHtmlWindow* ptFound = ptChild->GetWindowFromHierarchyId(muId)) return ptFound;
    return nullptr;
}

std::vector<KxwDomHtmlWindow*> KxwDomHtmlWindow::GetFrameWindows() const {
    std::vector<KxwDomHtmlWindow*> tFrames;
    for (KxwDomHtmlWindow* ptChild : _tChildFrameWindows) {
        KxwDomHtmlElementFrameBase* ptElement = ptChild->_ptFrameElement;
        if (ptElement && _ptHtmlDocument && ptElement->GetRoot() == _ptHtmlDocument) tFrames.push_back(ptChild);
    }
    return tFrames;
}

KxwDomHtmlWindow* KxwDomHtmlWindow::GetFrameWindow(unsigned muIndex) const {
    std::vector<KxwDomHtmlWindow*> tFrames = GetFrameWindows();
    return muIndex < tFrames.size() ? tFrames[muIndex] : nullptr;
}

KxwDomHtmlWindow* KxwDomHtmlWindow::GetFrameWindowByName(const char* mpsfName, unsigned muLen) const {
    if (!mpsfName || muLen == 0 || !_ptHtmlDocument) return nullptr;
    // Asked for every global name a page's scripts read and do not define: the names are compared before the
    // frame's place in the document is walked for.
    for (KxwDomHtmlWindow* ptChild : _tChildFrameWindows) {
        if (ptChild->_dsName.size() != muLen || std::memcmp(ptChild->_dsName.data(), mpsfName, muLen) != 0) continue;
        KxwDomHtmlElementFrameBase* ptElement = ptChild->_ptFrameElement;
        if (ptElement && ptElement->GetRoot() == _ptHtmlDocument) return ptChild;
    }
    return nullptr;
}

KxwDomHtmlWindow* KxwDomHtmlWindow::ObtainFrameWindow(KxwDomHtmlElementFrameBase* mptFrameElement) {
    if (!mptFrameElement || !_ptHtmlDocument) return nullptr;
    for (KxwDomHtmlWindow* ptChild : _tChildFrameWindows)
        if (ptChild->_ptFrameElement == mptFrameElement) return ptChild;
    auto* ptFrame = new (_ptObjMgr->GetMemMgr()) KxwDomHtmlWindow(_ptObjMgr, this, mptFrameElement);
    _tChildFrameWindows.push_back(ptFrame);
    const KxwDomHtmlPropertyStr& rtName = mptFrameElement->GetName();
    if (const char* psfName = rtName.GetDcsStr()) ptFrame->SetWindowName(psfName, rtName.GetDcsLenInBytes());
    if (!ptFrame->CreateNewDocument(nullptr, 0)) {
        RemoveChildFrameWindow(ptFrame);
        ptFrame->_ptParentWindow = nullptr;
        delete ptFrame;
        return nullptr;
    }
    return ptFrame;
}

void KxwDomHtmlWindow::RemoveChildFrameWindow(KxwDomHtmlWindow* mptChild) {
    for (auto it = _tChildFrameWindows.begin(); it != _tChildFrameWindows.end(); ++it)
        if (*it == mptChild) {
            _tChildFrameWindows.erase(it);
            return;
        }
}

// ---------------------------------------------------------------------------------------------------------------
// The document and its global

bool KxwDomHtmlWindow::CreateNewDocument(const char* mpsfReferrer, unsigned muReferrerLen) {
    if (_ptHtmlDocument) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "_ptHtmlDocument=%p not NULL upon entry to KxwDomHtmlWindow::CreateNewDocument, this=%p",
            static_cast<void*>(_ptHtmlDocument), static_cast<void*>(this));
        return false;
    }
    KxwMemMgr* ptMemMgr = _ptObjMgr->GetMemMgr();
    _ptHtmlDocument = new (ptMemMgr) KxwDomHtmlDocument(ptMemMgr, nullptr);
    _ptHtmlDocument->SetWindow(this);
    if (mpsfReferrer && muReferrerLen) _ptHtmlDocument->SetReferer(mpsfReferrer, muReferrerLen);
    _ptLocation = new (ptMemMgr) KxwDomHtmlLocation(ptMemMgr, GetU16nHandler(), this);
    _ptLocation->SetDocument(_ptHtmlDocument);
    // A new page gets a global of its own behind the window's proxy: the old page's names, listeners and timers
    // stay with the old global, which goes once nothing refers to it.
    if (KxwJswEngine* ptEngine = KxwJswEngine::Current()) {
        KxwJswGlobal* ptOld = _ptGlobal;
        _ptGlobal = ptEngine->CreateGlobal(this);
        if (_ptGlobal && !_ptGlobal->SetWindow(this)) {
            ptEngine->ReleaseGlobal(_ptGlobal);
            _ptGlobal = nullptr;
        }
        if (ptOld) {
            ptOld->SetOwner(nullptr);
            ptOld->SetWindow(nullptr);
            ptEngine->ReleaseGlobal(ptOld);
        }
    }
    _ptHtmlDocument->SetHomeGlobal(_ptGlobal);
    return true;
}

void KxwDomHtmlWindow::ReleaseGlobal() {
    if (!_ptGlobal) return;
    KxwJswGlobal* ptGlobal = _ptGlobal;
    _ptGlobal = nullptr;
    ptGlobal->SetOwner(nullptr);
    ptGlobal->SetWindow(nullptr);
    if (KxwJswEngine* ptEngine = ptGlobal->GetEngine()) ptEngine->ReleaseGlobal(ptGlobal);
}

KxwJswUserObjBase* KxwDomHtmlWindow::GetGlobalDocument() {
    return _ptHtmlDocument;
}

KxwDomHtmlLocation* KxwDomHtmlWindow::GetLocation() {
    return _ptLocation;
}

KxwDomHtmlHistory* KxwDomHtmlWindow::GetHistory() {
    KxwDomHtmlTopWindow* ptTop = GetTopWindow();
    if (!ptTop) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                                 "History information is not available for a disconnected window (internal ID=%p)",
                                 static_cast<void*>(this));
        return nullptr;
    }
    return ptTop->GetHistory();
}

KxwDomHtmlWindow* KxwDomHtmlWindow::GetOwnedPopupWindow() const {
    return _ptOwnedPopup ? _ptOwnedPopup->GetWindow() : nullptr;
}

KxwDomHtmlPopupWindow* KxwDomHtmlWindow::ObtainPopupWindow() {
    if (_ptOwnedPopup) return _ptOwnedPopup;
    if (!_ptObjMgr || !_ptHtmlDocument) return nullptr;
    _ptOwnedPopup = new (_ptObjMgr->GetMemMgr()) KxwDomHtmlPopupWindow(this);
    if (!_ptOwnedPopup->GetWindow()) {
        delete _ptOwnedPopup;
        _ptOwnedPopup = nullptr;
        return nullptr;
    }
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("A pop-up window created at %p in KxwDomHtmlWindow::createPopup_callback",
                                    static_cast<void*>(_ptOwnedPopup));
    return _ptOwnedPopup;
}

void KxwDomHtmlWindow::DeleteDocumentAndFrames() {
    // Holds taken on this document no longer count, whoever gives them back.
    ++_uDocumentGeneration;
    _liOnLoadCounter = 0;
    // The page's pop-up goes with the page.
    if (KxwDomHtmlPopupWindow* ptPopup = _ptOwnedPopup) {
        _ptOwnedPopup = nullptr;
        delete ptPopup;
    }
    // The frames go with the document that holds their elements.
    while (!_tChildFrameWindows.empty()) {
        KxwDomHtmlWindow* ptChild = _tChildFrameWindows.back();
        _tChildFrameWindows.pop_back();
        if (ptChild->_ptFrameElement) ptChild->_ptFrameElement->ForgetWindow(ptChild);
        ptChild->_ptFrameElement = nullptr;
        ptChild->_ptParentWindow = nullptr;
        ptChild->_tParentHold.Release();
        delete ptChild;
    }
    if (_ptLocation) {
        KxwDomHtmlLocation* ptLocation = _ptLocation;
        _ptLocation = nullptr;
        ptLocation->SetDocument(nullptr);
        delete ptLocation;
    }
    if (_ptHtmlDocument) {
        KxwDomHtmlDocument* ptDocument = _ptHtmlDocument;
        _ptHtmlDocument = nullptr;
        ptDocument->SetWindow(nullptr);
        ptDocument->SetHomeGlobal(nullptr);
        delete ptDocument;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Reset

bool KxwDomHtmlWindow::Reset(KXW_DOM_RESET_WINDOW_REASON_ENUM meReason) {
    ++_liResetRecursionDepth;
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "_tResetRecursionDepth incremented to %ld upon entry to KxwDomHtmlWindow::Reset(%d) "
            "for this=%p, ptInitialDocument=%p, _liOnLoadCounter=%ld, _bOnLoadInvoked=%d, "
            "_bOnUnloadInvoked=%d",
            _liResetRecursionDepth, static_cast<int>(meReason), static_cast<void*>(this),
            static_cast<void*>(_ptHtmlDocument), _liOnLoadCounter, _bOnLoadInvoked ? 1 : 0, _bOnUnloadInvoked ? 1 : 0);
    KxwDomWatchDelete tWatchWindow("KxwDomHtmlWindow::Reset", this);
    KxwDomHtmlDocument* ptInitialDocument = _ptHtmlDocument;
    KxwDomWatchDelete tWatchDocument("KxwDomHtmlWindow::Reset", ptInitialDocument);
    bool bAlive = true;
    auto End = [&]() {
        if (!tWatchWindow.HasBeenDeleted()) --_liResetRecursionDepth;
        return !tWatchWindow.HasBeenDeleted();
    };
    // Frames unload before their parent, and only a page whose onload ran unloads.
    if (meReason != KXW_DOM_RESET_WINDOW_REASON_DESTROY && meReason != KXW_DOM_RESET_WINDOW_REASON_REPARSE &&
        _bOnLoadInvoked && !_bOnUnloadInvoked) {
        _bOnUnloadInvoked = true;
        free(_pszDownloadFailedMsg);
        _pszDownloadFailedMsg = nullptr;
        FireUnloadRecursively();
        if (tWatchWindow.HasBeenDeleted()) {
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                     "Window DELETED by FireEventRecursivelyOnChildren(... UNLOAD ...) in "
                                     "KxwDomHtmlWindow::Reset(%d) for this=%p.  Exiting",
                                     static_cast<int>(meReason), static_cast<void*>(this));
            return false;
        }
    }
    if (ptInitialDocument && tWatchDocument.HasBeenDeleted()) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "ptInitialDocument=%p has been DELETED in KxwDomHtmlWindow::Reset(%d) for "
                "this=%p.  Not resetting any further.",
                static_cast<void*>(ptInitialDocument), static_cast<int>(meReason), static_cast<void*>(this));
        return End();
    }
    if (_ptHtmlDocument != ptInitialDocument) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "_ptHtmlDocument (%p) != ptInitialDocument (%p) when ptInitialDocument NOT deleted in "
            "KxwDomHtmlWindow::Reset(%d) for this=%p, _liOnLoadCounter=%ld, _bOnLoadInvoked=%d, _bOnUnloadInvoked=%d",
            static_cast<void*>(_ptHtmlDocument), static_cast<void*>(ptInitialDocument), static_cast<int>(meReason),
            static_cast<void*>(this), _liOnLoadCounter, _bOnLoadInvoked ? 1 : 0, _bOnUnloadInvoked ? 1 : 0);
        return End();
    }
    free(_pszDownloadFailedMsg);
    _pszDownloadFailedMsg = nullptr;
    KXW_DOM_RESET_WINDOW_REASON_ENUM eReason = meReason;
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_WINDOW_RESET, this, &eReason);
    if (tWatchWindow.HasBeenDeleted()) return false;
    OnResetOfTopWindow();
    if (tWatchWindow.HasBeenDeleted()) return false;
    // The page's timers go with it (after its unload handlers, which may have set some), and so do its handlers
    // (those of BODY attributes and global functions included).
    _tTimeoutStatus.Reset();
    SetWindowEvent(nullptr);
    RemoveAllListeners();
    if (meReason != KXW_DOM_RESET_WINDOW_REASON_FIRST_WRITE) _bOnLoadInvoked = false;
    _bOnUnloadInvoked = false;
    _uFrameIdCounter = 0;
    if (meReason == KXW_DOM_RESET_WINDOW_REASON_REPARSE || meReason == KXW_DOM_RESET_WINDOW_REASON_FIRST_WRITE) {
        // The document object stays and is emptied in place; its frames go with their elements.
        ++_uDocumentGeneration;
        _liOnLoadCounter = 0;
        if (_ptHtmlDocument) _ptHtmlDocument->Reset();
        return End();
    }
    std::string dsUrl;
    if (_ptHtmlDocument) {
        const KxwDomHtmlPropertyStr& rtHref = _ptHtmlDocument->GetHref();
        if (const char* psfHref = rtHref.GetDcsStr()) dsUrl.assign(psfHref, rtHref.GetDcsLenInBytes());
    }
    DeleteDocumentAndFrames();
    if (tWatchWindow.HasBeenDeleted()) return false;
    if (meReason == KXW_DOM_RESET_WINDOW_REASON_NAVIGATE) {
        bAlive = CreateNewDocument(nullptr, 0);
        if (bAlive && _ptHtmlDocument && !dsUrl.empty())
            _ptHtmlDocument->SetHrefDcs(dsUrl.data(), static_cast<unsigned>(dsUrl.size()));
    } else {
        // Closed or destroyed: the windows this one opened forget their opener.
        if (_ptObjMgr) _ptObjMgr->ForgetOpener(this);
    }
    return End();
}

void KxwDomHtmlWindow::FireUnloadRecursively() {
    KxwDomWatchDelete tWatch("KxwDomHtmlWindow::FireUnloadRecursively", this);
    // Frames first, each before its own parent.
    std::vector<KxwDomHtmlWindow*> tFrames = _tChildFrameWindows;
    for (KxwDomHtmlWindow* ptFrame : tFrames) {
        KxwDomWatchDelete tWatchFrame("KxwDomHtmlWindow::FireUnloadRecursively", ptFrame);
        if (ptFrame->_bOnLoadInvoked && !ptFrame->_bOnUnloadInvoked) {
            ptFrame->_bOnUnloadInvoked = true;
            ptFrame->FireUnloadRecursively();
        }
        if (tWatch.HasBeenDeleted()) return;
    }
    // A close asked for by an unload handler waits until the window's reset is over.
    KxwDomHtmlTopWindow* ptTop = GetTopWindow();
    KxwDomWatchDelete tWatchTop("KxwDomHtmlWindow::FireUnloadRecursively", ptTop);
    if (ptTop) ptTop->IncrementDeferredCloseProtectionDepth();
    FireEvent(KXW_DOM_EVENT_TYPE_ENUM_UNLOAD, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    if (ptTop && !tWatchTop.HasBeenDeleted()) ptTop->DecrementDeferredCloseProtectionDepth();
}

// ---------------------------------------------------------------------------------------------------------------
// onload

void KxwDomHtmlWindow::AddOnLoadHold() {
    ++_liOnLoadCounter;
}

void KxwDomHtmlWindow::ReleaseOnLoadHold() {
    if (_liOnLoadCounter <= 0) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_liOnLoadCounter (%ld) would go below 0 for window at %p in "
                                              "KxwDomHtmlWindow::ReleaseOnLoadHold. Set to 0",
                                              _liOnLoadCounter, static_cast<void*>(this));
        _liOnLoadCounter = 0;
    } else {
        --_liOnLoadCounter;
    }
    NotifyOnLoadTriggerChanged();
}

void KxwDomHtmlWindow::HoldParentOnLoad() {
    if (_ptParentWindow && !_tParentHold.IsHeld()) _tParentHold.Acquire(_ptParentWindow);
}

void KxwDomHtmlWindow::ReleaseParentOnLoad() {
    _tParentHold.Release();
}

void KxwDomHtmlWindow::NavigateByMetaRefresh(const std::string& mdsUrl) {
    if (KxwDomHtmlLocation* ptLocation = GetLocation())
        ptLocation->Replace(mdsUrl.data(), static_cast<int>(mdsUrl.size()), KXW_DOM_HTML_LOCATION_CHANGE_META_REFRESH,
                            0);
}

void KxwDomHtmlWindow::NotifyEndOfHtml() {
    NotifyOnLoadTriggerChanged();
}

void KxwDomHtmlWindow::NotifyOwningFrameFinishedDownloading(KxwDomHtmlWindow*) {
    NotifyOnLoadTriggerChanged();
}

void KxwDomHtmlWindow::NotifyDocumentLoadFailed(KXW_WTL_SEV_LVL_ENUM meSevLvl, char* mpszMsg, int miMsgId) {
    SetDownloadFailedFormattedMsg(meSevLvl, mpszMsg, miMsgId);
    // A frame whose page failed no longer holds its parent: the parent's onload comes with what it has.
    KxwDomWatchDelete tWatch("KxwDomHtmlWindow::NotifyDocumentLoadFailed", this);
    NotifyOnLoadTriggerChanged();
    if (!tWatch.HasBeenDeleted()) _tParentHold.Release();
}

void KxwDomHtmlWindow::NotifyDownloadAborted() {
    KxwDomWatchDelete tWatch("KxwDomHtmlWindow::NotifyDownloadAborted", this);
    if (_ptHtmlDocument) _ptHtmlDocument->SetIsDownloading(false);
    NotifyOnLoadTriggerChanged();
    if (!tWatch.HasBeenDeleted()) _tParentHold.Release();
}

void KxwDomHtmlWindow::RequestPendingFrameLoads() {
    std::vector<KxwDomHtmlWindow*> tFrames = GetFrameWindows();
    KxwDomWatchDelete tWatch("KxwDomHtmlWindow::RequestPendingFrameLoads", this);
    for (KxwDomHtmlWindow* ptFrame : tFrames) {
        KxwDomWatchDelete tWatchFrame("KxwDomHtmlWindow::RequestPendingFrameLoads", ptFrame);
        if (KxwDomHtmlElementFrameBase* ptElement = ptFrame->GetFrameElement())
            if (!ptElement->IsLoadRequested()) ptElement->RequestLoad();
        if (tWatch.HasBeenDeleted()) return;
    }
}

void KxwDomHtmlWindow::MarkCompleteWithoutDownload() {
    if (_ptHtmlDocument) {
        _ptHtmlDocument->SetIsDownloading(false);
        _ptHtmlDocument->SetIsHtmlParsing(false);
    }
    NotifyOnLoadTriggerChanged();
}

void KxwDomHtmlWindow::NotifyOnLoadTriggerChanged() {
    if (_liOnLoadCounter < 0 || _liResetRecursionDepth < 0 || !_ptHtmlDocument) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid _liOnLoadCounter/_tResetRecursionDepth/_ptHtmlDocument (%ld/%ld/%p) for window at %p in "
            "KxwDomHtmlWindow::NotifyOnLoadTriggerChanged",
            _liOnLoadCounter, _liResetRecursionDepth, static_cast<void*>(_ptHtmlDocument), static_cast<void*>(this));
        return;
    }
    KxwDomHtmlDocument* ptDocument = _ptHtmlDocument;
    if (_liResetRecursionDepth > 0 || _bInOnLoadTrigger) return;
    if (ptDocument->IsDownloading() || ptDocument->IsHtmlParsing()) return;
    KxwDomWatchDelete tWatchWindow("KxwDomHtmlWindow::NotifyOnLoadTriggerChanged", this);
    KxwDomWatchDelete tWatchDocument("KxwDomHtmlWindow::NotifyOnLoadTriggerChanged", ptDocument);
    if (ptDocument->GetPendingScriptSrcCount() == 0 && ptDocument->GetScriptEvaluationDepth() == 0 &&
        ptDocument->GetPendingScriptDeferCount() > 0) {
        ptDocument->EvaluatePendingScriptDefer();
        if (tWatchWindow.HasBeenDeleted() || tWatchDocument.HasBeenDeleted()) return;
    }
    if (_bOnLoadInvoked || _liOnLoadCounter != 0 || ptDocument->GetPendingScriptSrcCount() > 0 ||
        ptDocument->GetPendingScriptDeferCount() > 0)
        return;
    _bOnLoadInvoked = true;
    _bInOnLoadTrigger = true;
    // Scripts and refreshes that wait for the first load see it ended from now on, before onload runs.
    ptDocument->SetIsInitialProcessingEnded(true);
    ptDocument->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_READYSTATECHANGE, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    if (!tWatchWindow.HasBeenDeleted() && !tWatchDocument.HasBeenDeleted())
        FireEvent(KXW_DOM_EVENT_TYPE_ENUM_LOAD, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    if (tWatchWindow.HasBeenDeleted()) return;
    _bInOnLoadTrigger = false;
    if (!tWatchDocument.HasBeenDeleted()) ptDocument->ScriptCompletion();
    if (tWatchWindow.HasBeenDeleted()) return;
    // The page the history brought back is complete: later navigations are recorded again.
    if (KxwDomHtmlTopWindow* ptTop = GetTopWindow())
        if (KxwDomHtmlHistory* ptHistory = ptTop->GetHistory()) ptHistory->NotifyWindowComplete(_uFrameHierarchyId);
    // The parent's onload no longer waits for this frame.
    _tParentHold.Release();
    if (tWatchWindow.HasBeenDeleted() || tWatchDocument.HasBeenDeleted()) return;
    ptDocument->HandleMetaRefresh();
}

void KxwDomHtmlWindow::SetDownloadFailedFormattedMsg(KXW_WTL_SEV_LVL_ENUM meSevLvl, char* mpszMsg, int miMsgId) {
    free(_pszDownloadFailedMsg);
    _pszDownloadFailedMsg = mpszMsg;
    _eDownloadFailedSevLvl = meSevLvl;
    _iDownloadFailedMsgId = miMsgId;
}

void KxwDomHtmlWindow::IssueAndResetDownloadFailedFormattedMsg() {
    if (!_pszDownloadFailedMsg) return;
    char* pszMsg = _pszDownloadFailedMsg;
    _pszDownloadFailedMsg = nullptr;
    xfvKxwDomUtilIssueCatalogedMessage(_eDownloadFailedSevLvl, -26000,
                                       "KxwDomHtmlWindow::IssueAndResetDownloadFailedFormattedMsg", __LINE__, pszMsg);
    free(pszMsg);
}

void KxwDomHtmlWindow::OnStepEnd() {
    IssueAndResetDownloadFailedFormattedMsg();
}

void KxwDomHtmlWindow::OnEndIteration() {}

void KxwDomHtmlWindow::SetVirtualTimerTime(uint32_t muTimestamp) {
    if (!_ptObjMgr) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_ptObjMgr is NULL in KxwDomHtmlWindow::SetVirtualTimerTime for this=%p",
                                              static_cast<void*>(this));
        return;
    }
    _ptObjMgr->SetVirtualTimerTime(muTimestamp);
}

// ---------------------------------------------------------------------------------------------------------------
// Events

bool KxwDomHtmlWindow::CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    return meEventType == KXW_DOM_EVENT_TYPE_ENUM_LOAD || meEventType == KXW_DOM_EVENT_TYPE_ENUM_UNLOAD ||
           KxwDomEventTarget::CanRespondToEvent(meEventType);
}

void KxwDomHtmlWindow::CreateGlobalFunctionListenerIfApplicable(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    if (!_ptGlobal || !_ptGlobal->GetObject() || static_cast<int>(meEventType) < 0 ||
        static_cast<int>(meEventType) >= KXW_DOM_EVENT_TYPE_COUNT)
        return;
    // A function declared under the handler's name is an own property of the global: it hides the handler
    // property, whose setter therefore never saw it.
    const char* pszName = xfpszKxwDomGetEventHandlerName(meEventType);
    std::u16string dsName(pszName, pszName + std::strlen(pszName));
    KxwJswGlobal::RealmScope tRealm(_ptGlobal);
    KxwJsval tGlobal;
    tGlobal.SetObject(_ptGlobal->GetObject());
    KxwJsval tFunction;
    if (!tGlobal.GetOwnProperty(dsName.data(), dsName.size(), tFunction) || !tFunction.IsFunction()) return;
    KxwDomEventListener* ptRegular = GetEventListener(meEventType, false);
    if (ptRegular && (ptRegular->GetEventListenerType() != KXW_DOM_EVENT_LISTENER_TYPE_SCRIPT_PROPERTY ||
                      ptRegular->GetFunction(false).GetRawBits() == tFunction.GetRawBits()))
        return;
    CreateAndAddEventListenerIfEligible(KXW_DOM_EVENT_LISTENER_TYPE_SCRIPT_PROPERTY, meEventType, tFunction, -1);
}

bool KxwDomHtmlWindow::IsGoingAway() {
    if (_bIsClosed) return true;
    if (KxwDomHtmlTopWindow* ptTop = GetTopWindow())
        if (ptTop->GetDeferredClose()) return true;
    for (KxwDomHtmlWindow* ptWindow = this; ptWindow->_ptParentWindow; ptWindow = ptWindow->_ptParentWindow) {
        KxwDomHtmlElementFrameBase* ptElement = ptWindow->_ptFrameElement;
        if (!ptElement || ptElement->GetRoot() != ptWindow->_ptParentWindow->GetDocument()) return true;
    }
    return false;
}

KxwDomCoreEvent* KxwDomHtmlWindow::GetWindowEvent() const {
    return static_cast<KxwDomCoreEvent*>(_tWindowEvent.GetEffectiveWatchedPtr());
}

void KxwDomHtmlWindow::SetWindowEvent(KxwDomCoreEvent* mptEvent) {
    _tWindowEvent.Reset();
    if (mptEvent) _tWindowEvent.ActivateWatch(mptEvent);
}

// ---------------------------------------------------------------------------------------------------------------
// Navigation

void* KxwDomHtmlWindow::GetSiteForActiveX() {
    if (!_ptSiteForActiveX) _ptSiteForActiveX = KxwDomSiteForActiveX::Create().Detach();
    return static_cast<KxwAutomation*>(_ptSiteForActiveX);
}

KxwDomHtmlWindow* KxwDomHtmlWindow::GetScopeWindow() {
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    if (!ptEngine || ptEngine->GetEvaluationDepth() == 0) return nullptr;
    KxwJswGlobal* ptGlobal = ptEngine->GetCurrentGlobal();
    KxwDomNodeBase* ptNode = ptGlobal ? KxwJswUserObjBase::ConvertToNodeBase(ptGlobal->GetWindow()) : nullptr;
    return ptNode ? ptNode->AsHtmlWindow() : nullptr;
}

std::string KxwDomHtmlWindow::CombineWithScriptBaseUrl(const char* mpsfUrl, unsigned muUrlLen) {
    KxwDomHtmlWindow* ptBaseWindow = GetScopeWindow();
    if (!ptBaseWindow || !ptBaseWindow->GetDocument()) ptBaseWindow = this;
    std::string dsBase;
    if (KxwDomHtmlDocument* ptDocument = ptBaseWindow->GetDocument()) {
        unsigned uLen = 0;
        const char* psfBase = ptDocument->GetBaseUrlDcs(&uLen);
        if (psfBase) dsBase.assign(psfBase, uLen);
    }
    return xfdsKxwDomBrowsingCombineUrl(dsBase, mpsfUrl, muUrlLen);
}

KxwDomHtmlWindow* KxwDomHtmlWindow::FindWindowOpenTarget(bool& mrbError, const char* mpsfName, unsigned muNameLen) {
    mrbError = false;
    if (!mpsfName || muNameLen == 0) return nullptr;
    if (!_ptObjMgr) {
        mrbError = true;
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_ptObjMgr is NULL in KxwDomHtmlWindow::FindWindowOpenTarget");
        return nullptr;
    }
    bool bNamed = false;
    KxwDomHtmlWindow* ptTarget = _ptObjMgr->GetNonNamedHtmlWindow(this, mpsfName, muNameLen, false, bNamed);
    if (!bNamed) return ptTarget;
    return FindHtmlWindow(mpsfName, muNameLen, false, nullptr, 0, KXW_OBJ_MGR_ANY_ORDINAL);
}

KxwDomHtmlWindow* KxwDomHtmlWindow::OpenWindowOrDefer(const char* mpsfUrl, unsigned muUrlLen, const char* mpsfName,
                                                      unsigned muNameLen) {
    bool bError = false;
    KxwDomHtmlWindow* ptTarget = FindWindowOpenTarget(bError, mpsfName, muNameLen);
    if (bError) return nullptr;
    bool bNavigate = mpsfUrl && muUrlLen > 0 && !xfbKxwDomBrowsingEqualsNoCase(mpsfUrl, muUrlLen, "about:blank");
    if (ptTarget) {
        if (!bNavigate) {
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                                     "Ignoring an attempt to issue window.open for an existing window with "
                                     "'about:blank'");
            return ptTarget;
        }
        KxwDomWindowOpenParameters tParameters;
        tParameters._dsHref = CombineWithScriptBaseUrl(mpsfUrl, muUrlLen);
        tParameters._dsName.assign(mpsfName, muNameLen);
        tParameters._ptTargetWindow = ptTarget;
        KxwDomWatchDelete tWatchTarget("KxwDomHtmlWindow::OpenWindowOrDefer", ptTarget);
        xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_WINDOW_OPEN_EXISTING, this, &tParameters);
        return tWatchTarget.HasBeenDeleted() ? nullptr : ptTarget;
    }
    KxwDomHtmlWindow* ptNew = Open(nullptr, mpsfUrl, mpsfUrl ? muUrlLen : 0, mpsfName, mpsfName ? muNameLen : 0);
    if (!ptNew) return nullptr;
    KxwDomWatchDelete tWatchNew("KxwDomHtmlWindow::OpenWindowOrDefer", ptNew);
    if (bNavigate)
        xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_WINDOW_OPENED, ptNew, nullptr);
    else
        ptNew->MarkCompleteWithoutDownload();
    return tWatchNew.HasBeenDeleted() ? nullptr : ptNew;
}

KxwDomHtmlWindow* KxwDomHtmlWindow::Open(KxwDomHtmlWindow* mptTarget, const char* mpsfUrl, unsigned muUrlLen,
                                         const char* mpsfName, unsigned muNameLen) {
    if (!_ptObjMgr || (!mpsfUrl && muUrlLen > 0)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid _ptObjMgr/mpsfzUrlStr/mnUrlLenInBytes (%p/%p/%ld) in "
                                              "KxwDomHtmlWindow::Open for this=%p",
                                              static_cast<void*>(_ptObjMgr), static_cast<const void*>(mpsfUrl),
                                              static_cast<long>(muUrlLen), static_cast<void*>(this));
        return nullptr;
    }
    KxwDomHtmlWindow* ptOpened = mptTarget ? _ptObjMgr->ReplaceHtmlWindow(mptTarget)
                                           : _ptObjMgr->CreateNewHtmlTopWindow(this, mpsfName, muNameLen);
    if (!ptOpened) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptOpenedWindow==NULL in KxwDomHtmlWindow::Open for this=%p",
                                              static_cast<void*>(this));
        return nullptr;
    }
    std::string dsHref = muUrlLen == 0 ? std::string("about:blank") : CombineWithScriptBaseUrl(mpsfUrl, muUrlLen);
    if (KxwDomHtmlDocument* ptDocument = ptOpened->GetDocument()) {
        ptDocument->SetHrefDcs(dsHref.data(), static_cast<unsigned>(dsHref.size()));
        // Relative addresses of the new page resolve against the opener's page until its own address comes.
        std::string dsBase = CombineWithScriptBaseUrl("", 0);
        if (!dsBase.empty()) ptDocument->SetNonHrefBaseUrlDcs(dsBase.data(), static_cast<unsigned>(dsBase.size()));
    }
    return ptOpened;
}

KxwDomHtmlWindow* KxwDomHtmlWindow::FindHtmlWindowByFrameName(const char* mpsfName, unsigned muLen) {
    return FindHtmlWindow(mpsfName, muLen, false, nullptr, 0, KXW_OBJ_MGR_ANY_ORDINAL);
}

namespace {

// Walks a window and its frames in tree order, counting the windows that match until the ordinal-th.
struct KxwDomWindowMatcher {
    const char* _psfName;
    unsigned _uNameLen;
    const KxwDomStrRegExp* _ptRegExp;
    const char* _psfId;
    unsigned _uIdLen;
    unsigned _uWanted;
    unsigned _uCount = 0;

    bool Matches(KxwDomHtmlWindow* mptWindow) const {
        if (_psfName && _uNameLen) {
            const std::string& rdsName = mptWindow->GetWindowName();
            if (_ptRegExp) {
                if (!_ptRegExp->IsEqualDcs(rdsName.data(), static_cast<unsigned>(rdsName.size()))) return false;
            } else if (rdsName.size() != _uNameLen || std::memcmp(rdsName.data(), _psfName, _uNameLen) != 0) {
                return false;
            }
        }
        if (_psfId && _uIdLen) {
            KxwDomHtmlElementFrameBase* ptElement = mptWindow->GetFrameElement();
            const KxwDomHtmlPropertyStr* ptId = ptElement ? &ptElement->GetId() : nullptr;
            const char* psfId = ptId ? ptId->GetDcsStr() : nullptr;
            if (!psfId || ptId->GetDcsLenInBytes() != _uIdLen || std::memcmp(psfId, _psfId, _uIdLen) != 0) return false;
        }
        // Only frames have names and ids to match; the top window itself matches only what names nothing.
        return mptWindow->GetParentWindow() != nullptr || (!_uNameLen && !_uIdLen);
    }

    KxwDomHtmlWindow* Walk(KxwDomHtmlWindow* mptWindow) {
        if (Matches(mptWindow) && ++_uCount == _uWanted) return mptWindow;
        for (KxwDomHtmlWindow* ptFrame : mptWindow->GetFrameWindows())
            if (KxwDomHtmlWindow* ptFound = Walk(ptFrame)) return ptFound;
        return nullptr;
    }
};

}  // namespace

KxwDomHtmlWindow* KxwDomHtmlWindow::FindHtmlWindow(const char* mpsfName, unsigned muNameLen, bool mbNameIsRegExp,
                                                   const char* mpsfId, unsigned muIdLen, unsigned muOrdinal) {
    bool bName = mpsfName && muNameLen;
    bool bId = mpsfId && muIdLen;
    if (!bName && !bId && muOrdinal == 0) return this;
    std::unique_ptr<KxwDomStrRegExp> ptRegExp;
    if (bName && mbNameIsRegExp) {
        ptRegExp = std::make_unique<KxwDomStrRegExp>(GetDomEnv(), mpsfName, muNameLen, true);
        if (!ptRegExp->IsPatternValid()) return nullptr;
    }
    bool bAny = muOrdinal == KXW_OBJ_MGR_ANY_ORDINAL;
    KxwDomWindowMatcher tMatcher{mpsfName, muNameLen, ptRegExp.get(),
                                 mpsfId,   muIdLen,   bAny ? 1u : (muOrdinal ? muOrdinal : 1u)};
    // A frame matches only in the frames below a window; the window itself is no frame of its own.
    for (KxwDomHtmlWindow* ptFrame : GetFrameWindows())
        if (KxwDomHtmlWindow* ptFound = tMatcher.Walk(ptFrame)) return ptFound;
    if (!bAny) return nullptr;
    // Any ordinal widens the search: the top window's frames, then every top window's.
    KxwDomHtmlTopWindow* ptTop = GetTopWindow();
    if (ptTop && ptTop != this) {
        tMatcher._uCount = 0;
        for (KxwDomHtmlWindow* ptFrame : ptTop->GetFrameWindows())
            if (KxwDomHtmlWindow* ptFound = tMatcher.Walk(ptFrame)) return ptFound;
    }
    for (KxwDomHtmlTopWindow* ptOther = _ptObjMgr ? _ptObjMgr->GetFirstTopWindow() : nullptr; ptOther;
         ptOther = ptOther->GetNextTopWindow()) {
        // A closed window stays until the iteration ends, but answers to no name.
        if (ptOther->GetIsClosed()) continue;
        // A top window answers to its own name too (window.open's named windows).
        if (bName && !ptRegExp && ptOther->GetWindowName().size() == muNameLen &&
            std::memcmp(ptOther->GetWindowName().data(), mpsfName, muNameLen) == 0)
            return ptOther;
        if (ptOther == ptTop) continue;
        tMatcher._uCount = 0;
        for (KxwDomHtmlWindow* ptFrame : ptOther->GetFrameWindows())
            if (KxwDomHtmlWindow* ptFound = tMatcher.Walk(ptFrame)) return ptFound;
    }
    return nullptr;
}

void KxwDomHtmlWindow::Close(bool mbForce) {
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                             "Ignoring KxwDomHtmlWindow::Close(mbForce=%d) for window at %p, which is not a TOP window",
                             mbForce ? 1 : 0, static_cast<void*>(this));
}

// ---------------------------------------------------------------------------------------------------------------
// Shared DOM operations

const char16_t* KxwDomHtmlWindow::GetNodeNameU16n(unsigned* mpuLenInChars) const {
    if (mpuLenInChars) *mpuLenInChars = sizeof kawsWindowNodeName / sizeof kawsWindowNodeName[0] - 1;
    return kawsWindowNodeName;
}

void KxwDomHtmlWindow::PrintMe(int, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long) const {
    PrintWindowLine(IsTopWindow() ? "Top" : "Non-top", "", meSevLvl);
}

void KxwDomHtmlWindow::PrintWindowLine(const char* mpszLabel, const char* mpszFrameId,
                                       KXW_WTL_SEV_LVL_ENUM meSevLvl) const {
    if (!xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    std::string dsName = GetPrintableText(_dsName.data(), _dsName.size(), 100);
    std::string dsUrl = "[NULL]";
    if (_ptHtmlDocument) {
        const KxwDomHtmlPropertyStr& rtHref = _ptHtmlDocument->GetHref();
        dsUrl = GetPrintableText(rtHref.GetDcsStr(), rtHref.GetDcsLenInBytes(), 2000);
    }
    // A top window's neighbours are the object manager's other children; a frame's are its parent's frames.
    const KxwDomNodeBase* ptNext = GetNextSibling();
    const KxwDomNodeBase* ptParent = GetParentNode();
    if (_ptParentWindow) {
        ptParent = _ptParentWindow;
        ptNext = nullptr;
        const std::vector<KxwDomHtmlWindow*>& rtSiblings = _ptParentWindow->_tChildFrameWindows;
        for (size_t n = 0; n + 1 < rtSiblings.size(); ++n)
            if (rtSiblings[n] == this) ptNext = rtSiblings[n + 1];
    }
    const KxwDomHtmlWindow* ptFirstChild = _tChildFrameWindows.empty() ? nullptr : _tChildFrameWindows.front();
    const KxwDomHtmlWindow* ptOriginating = nullptr;
    bool bDeferredClose = false;
    if (IsTopWindow()) {
        const auto* ptTop = static_cast<const KxwDomHtmlTopWindow*>(this);
        ptOriginating = ptTop->GetOpener();
        bDeferredClose = ptTop->GetDeferredClose();
    }
    xfvKxwUtilReportBySevLvl(meSevLvl,
                             "%s window name=\"%.100s\". Frame Hierarchy Id=\"%.51s\", URL=\"%.2000s\", this=%p, "
                             "next=%p, first child=%p, parent=%p, Modeless=%p, Modal=%p, RawOriginatingWindow=%p, "
                             "DeferredClose=%d",
                             mpszLabel ? mpszLabel : "", dsName.c_str(), mpszFrameId ? mpszFrameId : "", dsUrl.c_str(),
                             static_cast<const void*>(this), static_cast<const void*>(ptNext),
                             static_cast<const void*>(ptFirstChild), static_cast<const void*>(ptParent),
                             static_cast<const void*>(GetWindowDialogModeless()),
                             static_cast<const void*>(GetWindowDialogModal()), static_cast<const void*>(ptOriginating),
                             bDeferredClose ? 1 : 0);
}
