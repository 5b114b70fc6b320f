// The object manager's window registry: the top windows by title and ordinal, the frames in them, the windows that
// links, forms and window.open name relative to the window they came from, focus, and the hierarchy print.
#include <algorithm>
#include <cstring>

#include "KxwDomBrowsingUtil.h"
#include "KxwDomDebugPrintHierarchy.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlPopupWindow.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwObjMgrPersistentInfo.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwObjMgr.h"

bool KxwObjMgr::HasContext() const { return GetFirstTopWindow() != nullptr; }

KxwDomHtmlTopWindow* KxwObjMgr::GetFirstTopWindow() const {
    for (KxwDomNodeBase* ptChild = _ptPersistent->GetFirstChild(); ptChild; ptChild = ptChild->GetNextSibling())
        if (auto* ptTop = dynamic_cast<KxwDomHtmlTopWindow*>(ptChild)) return ptTop;
    return nullptr;
}

KxwDomHtmlTopWindow* KxwObjMgr::CreateNewHtmlTopWindow(KxwDomHtmlWindow* mptOpener, const char* mpsfName,
                                                       unsigned muNameLen) {
    if (!mpsfName && muNameLen > 0) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid ptLastChild=%p / ptHtmlTopWindow=%p / mpsfFrameNameStr=%p / mnFrameNameLen=%ld in "
            "KxwObjMgr::CreateNewHtmlTopWindow for this=%p, mptOpenerOrNull=%p",
            static_cast<void*>(_ptPersistent->GetLastChild()), nullptr, static_cast<const void*>(mpsfName),
            static_cast<long>(muNameLen), static_cast<void*>(this), static_cast<void*>(mptOpener));
        return nullptr;
    }
    if (mpsfName && xfbKxwDomBrowsingEqualsNoCase(mpsfName, muNameLen, "_blank")) {
        mpsfName = nullptr;
        muNameLen = 0;
    }
    auto* ptTop = new (_ptMemMgr)
        KxwDomHtmlTopWindow(this, mptOpener, mpsfName, muNameLen, ++_ptPersistent->_uLastCreationIndex);
    _ptPersistent->BasicAppendChild(ptTop);
    _ptPersistent->_bNewTopWindow = true;
    if (!ptTop->CreateNewDocument(nullptr, 0)) {
        _ptPersistent->BasicRemoveChild(ptTop);
        delete ptTop;
        return nullptr;
    }
    return ptTop;
}

KxwDomHtmlTopWindow* KxwObjMgr::CreateNewHtmlTopWindows(int miCount, const char* mpsfTitle, unsigned muTitleLen,
                                                        const char* mpsfFrameName, unsigned muFrameNameLen,
                                                        unsigned muOrdinal) {
    if (miCount < 1) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid miNumberOfBrowsersToCreate (%d) in "
                                              "KxwObjMgr::CreateNewHtmlTopWindows",
                                              miCount);
        return nullptr;
    }
    KxwDomHtmlTopWindow* ptLast = nullptr;
    for (int n = 0; n < miCount; ++n) {
        ptLast = CreateNewHtmlTopWindow(nullptr, nullptr, 0);
        if (!ptLast) return nullptr;
        // Every window made but the last gets the title, so that a later search by ordinal counts it.
        if (n + 1 < miCount && mpsfTitle && muTitleLen && ptLast->GetDocument())
            ptLast->GetDocument()->SetTitle(mpsfTitle, static_cast<int>(muTitleLen));
    }
    std::string dsTitle(mpsfTitle ? mpsfTitle : "", mpsfTitle ? muTitleLen : 0);
    if (miCount == 1) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile("Added a new browser with title=\"%.1000s\" for matching Ordinal=%ld in "
                                        "KxwObjMgr::CreateNewHtmlTopWindows",
                                        dsTitle.c_str(), static_cast<long>(muOrdinal));
    } else {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, -35949,
                                            "KxwObjMgr::CreateNewHtmlTopWindows", __LINE__, miCount - 1,
                                            dsTitle.c_str(), muOrdinal);
    }
    if (mpsfFrameName && muFrameNameLen) ptLast->SetWindowName(mpsfFrameName, muFrameNameLen);
    return ptLast;
}

KxwDomHtmlWindow* KxwObjMgr::FindHtmlWindow(const char* mpsfTitle, unsigned muTitleLen, bool mbTitleIsRegExp,
                                            unsigned muBrowserOrdinal, const char* mpsfFrameName,
                                            unsigned muFrameNameLen, bool mbFrameNameIsRegExp, const char* mpsfFrameId,
                                            unsigned muFrameIdLen, unsigned muFrameOrdinal,
                                            KXW_OBJ_MGR_WINDOW_TYPE_ENUM meType, unsigned* mpuFound,
                                            KxwDomHtmlWindow** mpptTopWindow, bool* mpbDialogMissing) {
    if (mpuFound) *mpuFound = 0;
    if (mpptTopWindow) *mpptTopWindow = nullptr;
    if (mpbDialogMissing) *mpbDialogMissing = false;
    bool bFrameName = mpsfFrameName && muFrameNameLen;
    bool bFrameId = mpsfFrameId && muFrameIdLen;
    if (meType == KXW_OBJ_MGR_WINDOW_TYPE_POPUP) {
        if (bFrameName || bFrameId || muFrameOrdinal > 1)
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "Frame-related arguments (mpsfFrameNameStr=%p / mpsfFrameIdStr=%p / "
                                                  "mnFrameOrd=%ld) ignored for a pop-up window",
                                                  static_cast<const void*>(mpsfFrameName),
                                                  static_cast<const void*>(mpsfFrameId),
                                                  static_cast<long>(muFrameOrdinal));
        return GetVisiblePopupWindow();
    }
    if (meType < KXW_OBJ_MGR_WINDOW_TYPE_REGULAR || meType > KXW_OBJ_MGR_WINDOW_TYPE_MODAL) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid meObjMgrWindowType=%d in KxwObjMgr::FindHtmlWindow. Assuming "
                                              "REGULAR",
                                              static_cast<int>(meType));
        meType = KXW_OBJ_MGR_WINDOW_TYPE_REGULAR;
    }
    bool bFrameSearch = bFrameName || bFrameId || muFrameOrdinal != 0;
    if (bFrameName && !mbFrameNameIsRegExp &&
        xfeKxwDomGetTargetFrameValue(mpsfFrameName, muFrameNameLen) != KXW_DOM_TARGET_FRAME_NAMED) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_IGNORED_FRAME,
                                 "Predefined frame names, such as '_top', '_blank' etc. are unsupported in "
                                 "DESCRIPTION and ignored");
        bFrameSearch = false;
    }
    unsigned uWanted = muBrowserOrdinal ? muBrowserOrdinal : 1;
    unsigned uCount = 0;
    KxwDomHtmlTopWindow* ptFound = nullptr;
    for (KxwDomHtmlTopWindow* ptTop = GetFirstTopWindow(); ptTop; ptTop = ptTop->GetNextTopWindow()) {
        if (ptTop->GetIsClosed() || !ptTop->MatchByTitle(mpsfTitle, muTitleLen, mbTitleIsRegExp)) continue;
        if (++uCount == uWanted) {
            ptFound = ptTop;
            break;
        }
    }
    if (mpuFound) *mpuFound = uCount;
    if (!ptFound) return nullptr;
    KxwDomHtmlWindow* ptWindow = ptFound;
    if (meType == KXW_OBJ_MGR_WINDOW_TYPE_MODELESS || meType == KXW_OBJ_MGR_WINDOW_TYPE_MODAL) {
        ptWindow = meType == KXW_OBJ_MGR_WINDOW_TYPE_MODAL ? ptFound->GetWindowDialogModal()
                                                          : ptFound->GetWindowDialogModeless();
        if (!ptWindow) {
            if (mpbDialogMissing) *mpbDialogMissing = true;
            return nullptr;
        }
    }
    if (mpptTopWindow) *mpptTopWindow = ptWindow;
    if (!bFrameSearch) return ptWindow;
    if (bFrameName && mbFrameNameIsRegExp == false && !bFrameId && muFrameOrdinal == 0)
        muFrameOrdinal = 1;
    return ptWindow->FindHtmlWindow(mpsfFrameName, muFrameNameLen, mbFrameNameIsRegExp, mpsfFrameId, muFrameIdLen,
                                    muFrameOrdinal ? muFrameOrdinal : 1);
}

KxwDomHtmlWindow* KxwObjMgr::AddOrReplaceHtmlWindow(const char* mpsfTitle, unsigned muTitleLen, bool mbTitleIsRegExp,
                                                    unsigned muBrowserOrdinal, const char* mpsfFrameName,
                                                    unsigned muFrameNameLen, unsigned muFrameOrdinal,
                                                    bool mbFindOnly, bool mbCreateSnapshots) {
    KXW_DOM_TARGET_FRAME_VALUE_ENUM eTarget = muFrameNameLen > 0
                                                  ? xfeKxwDomGetTargetFrameValue(mpsfFrameName, muFrameNameLen)
                                                  : KXW_DOM_TARGET_FRAME_NAMED;
    if (eTarget == KXW_DOM_TARGET_FRAME_BLANK && muFrameOrdinal == 0)
        return CreateNewHtmlTopWindows(1, mpsfTitle, muTitleLen, nullptr, 0, 0);
    if (eTarget != KXW_DOM_TARGET_FRAME_NAMED) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Non-named frame name (\"%.*s\") specified in "
                                              "KxwObjMgr::AddOrReplaceHtmlWindow for this=%p",
                                              !mpsfFrameName ? 6 : muFrameNameLen == 0 ? 7 : static_cast<int>(std::min(muFrameNameLen, 100u)),
                                              !mpsfFrameName ? "[NULL]" : muFrameNameLen == 0 ? "[Empty]" : mpsfFrameName,
                                              static_cast<void*>(this));
        return nullptr;
    }
    unsigned uFound = 0;
    KxwDomHtmlWindow* ptWindow =
        FindHtmlWindow(mpsfTitle, muTitleLen, mbTitleIsRegExp, muBrowserOrdinal, mpsfFrameName, muFrameNameLen, false,
                       nullptr, 0, muFrameOrdinal, KXW_OBJ_MGR_WINDOW_TYPE_REGULAR, &uFound);
    if (ptWindow) {
        if (mbCreateSnapshots) CreateSnapshotsIfNeeded(ptWindow);
        if (mbFindOnly) return ptWindow;
        KxwDomHtmlWindow* ptReplaced = ReplaceHtmlWindow(ptWindow);
        if (!ptReplaced)
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_IGNORED_FRAME,
                                     "Failed to replace html window in KxwObjMgr::AddOrReplaceHtmlWindow");
        return ptReplaced;
    }
    std::string dsTitle(mpsfTitle ? mpsfTitle : "", mpsfTitle ? muTitleLen : 0);
    std::string dsFrame(mpsfFrameName ? mpsfFrameName : "", mpsfFrameName ? muFrameNameLen : 0);
    if (muFrameOrdinal > 0) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_WARNING, -35948, "KxwObjMgr::AddOrReplaceHtmlWindow",
                                            __LINE__, dsTitle.c_str(), muBrowserOrdinal, dsFrame.c_str(),
                                            muFrameOrdinal);
        return nullptr;
    }
    unsigned uWanted = muBrowserOrdinal ? muBrowserOrdinal : 1;
    if (uFound >= uWanted) {
        // The window exists but the frame did not match.
        if (muFrameNameLen == 0) {
            xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_WARNING, -35947,
                                                "KxwObjMgr::AddOrReplaceHtmlWindow", __LINE__, dsTitle.c_str(),
                                                uWanted);
            return nullptr;
        }
        unsigned uCount = 0;
        for (KxwDomHtmlTopWindow* ptTop = GetFirstTopWindow(); ptTop; ptTop = ptTop->GetNextTopWindow()) {
            if (ptTop->GetIsClosed() || !ptTop->MatchByTitle(mpsfTitle, muTitleLen, mbTitleIsRegExp)) continue;
            if (++uCount == uWanted) {
                if (ptTop->GetWindowName() == dsFrame) return mbFindOnly ? ptTop : ReplaceHtmlWindow(ptTop);
                break;
            }
        }
        return CreateNewHtmlTopWindows(1, mpsfTitle, muTitleLen, mpsfFrameName, muFrameNameLen, uWanted + 1);
    }
    return CreateNewHtmlTopWindows(static_cast<int>(uWanted - uFound), mpsfTitle, muTitleLen, mpsfFrameName,
                                   muFrameNameLen, uWanted);
}

KxwDomHtmlWindow* KxwObjMgr::ReplaceHtmlWindow(KxwDomHtmlWindow* mptWindow) {
    if (!mptWindow) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptReplacedHtmlWindow == NULL in KxwObjMgr::ReplaceHtmlWindow");
        return nullptr;
    }
    KxwDomWatchDelete tWatch("KxwObjMgr::ReplaceHtmlWindow", mptWindow);
    mptWindow->Reset(KXW_DOM_RESET_WINDOW_REASON_NAVIGATE);
    return tWatch.HasBeenDeleted() ? nullptr : mptWindow;
}

KxwDomHtmlWindow* KxwObjMgr::GetNonNamedHtmlWindow(KxwDomHtmlWindow* mptOriginating, const char* mpsfTarget,
                                                   unsigned muTargetLen, bool mbMayCreate, bool& mrbIsNamed) {
    mrbIsNamed = false;
    if (!mptOriginating || (!mpsfTarget && muTargetLen > 0)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mptOriginatingHtmlWindow=%p / mpsfFrameNameStr=%p / "
                                              "mnFrameNameLen=%ld in KxwObjMgr::GetNonNamedHtmlWindow",
                                              static_cast<void*>(mptOriginating), static_cast<const void*>(mpsfTarget),
                                              static_cast<long>(muTargetLen));
        return nullptr;
    }
    switch (xfeKxwDomGetTargetFrameValue(mpsfTarget, muTargetLen)) {
        case KXW_DOM_TARGET_FRAME_TOP: {
            KxwDomHtmlWindow* ptTop = mptOriginating->GetTopWindow();
            return ptTop ? ptTop : mptOriginating;
        }
        case KXW_DOM_TARGET_FRAME_PARENT:
            return mptOriginating->GetParentWindow() ? mptOriginating->GetParentWindow() : mptOriginating;
        case KXW_DOM_TARGET_FRAME_SELF:
            return mptOriginating;
        case KXW_DOM_TARGET_FRAME_BLANK:
            return mbMayCreate ? CreateNewHtmlTopWindow(mptOriginating, nullptr, 0) : nullptr;
        case KXW_DOM_TARGET_FRAME_NAMED:
        default:
            mrbIsNamed = true;
            return nullptr;
    }
}

KxwDomHtmlWindow* KxwObjMgr::FindOrCreateHtmlWindowByOriginating(KxwDomHtmlWindow* mptOriginating,
                                                                 const char* mpsfTarget, unsigned muTargetLen) {
    if (!mptOriginating) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_IGNORED_FRAME, -26000,
                                            "KxwObjMgr::FindOrCreateHtmlWindowByOriginating", __LINE__,
                                            "mptOriginatingHtmlWindow == NULL in "
                                            "KxwObjMgr::FindOrCreateHtmlWindowByOriginating.");
        return nullptr;
    }
    bool bNamed = false;
    KxwDomHtmlWindow* ptWindow = GetNonNamedHtmlWindow(mptOriginating, mpsfTarget, muTargetLen, true, bNamed);
    if (!bNamed) return ptWindow;
    ptWindow = mptOriginating->FindHtmlWindowByFrameName(mpsfTarget, muTargetLen);
    if (ptWindow) return ptWindow;
    return CreateNewHtmlTopWindow(mptOriginating, mpsfTarget, muTargetLen);
}

KxwDomHtmlWindow* KxwObjMgr::FindHtmlWindowByOriginating(KxwDomHtmlWindow* mptOriginating, const char* mpsfTarget,
                                                         unsigned muTargetLen) {
    if (!mptOriginating) return nullptr;
    bool bNamed = false;
    KxwDomHtmlWindow* ptWindow = GetNonNamedHtmlWindow(mptOriginating, mpsfTarget, muTargetLen, false, bNamed);
    if (!bNamed) return ptWindow;
    return mptOriginating->FindHtmlWindowByFrameName(mpsfTarget, muTargetLen);
}

KxwDomHtmlWindow* KxwObjMgr::AddOrReplaceHtmlWindowByOriginating(KxwDomHtmlWindow* mptOriginating,
                                                                 const char* mpsfTarget, unsigned muTargetLen,
                                                                 bool mbFindOnly) {
    if (!mptOriginating) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_IGNORED_FRAME, -26000,
                                            "KxwObjMgr::AddOrReplaceHtmlWindowByOriginating", __LINE__,
                                            "mptOriginatingHtmlWindow == NULL in "
                                            "KxwObjMgr::AddOrReplaceHtmlWindowByOriginating.");
        return nullptr;
    }
    KxwDomHtmlWindow* ptWindow = FindOrCreateHtmlWindowByOriginating(mptOriginating, mpsfTarget, muTargetLen);
    if (!ptWindow || mbFindOnly) return ptWindow;
    return ReplaceHtmlWindow(ptWindow);
}

void KxwObjMgr::RemoveClosedWindow(KxwDomHtmlTopWindow* mptClosedWindow) {
    auto& rtClosed = _ptPersistent->_tClosedWindows;
    auto it = std::find(rtClosed.begin(), rtClosed.end(), mptClosedWindow);
    bool bRemoved = it != rtClosed.end();
    if (bRemoved) rtClosed.erase(it);
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("bRemoveItemOK=%d from RemoveItem for mptClosedWindow=%p in "
                                    "KxwObjMgr::RemoveClosedWindow for this=%p",
                                    bRemoved ? 1 : 0, static_cast<void*>(mptClosedWindow), static_cast<void*>(this));
}

void KxwObjMgr::ForgetOpener(KxwDomHtmlWindow* mptOpener) {
    for (KxwDomHtmlTopWindow* ptTop = GetFirstTopWindow(); ptTop; ptTop = ptTop->GetNextTopWindow())
        if (ptTop->GetOpener() == mptOpener) ptTop->ResetOpener();
}

void KxwObjMgr::SetFocusWindow(KxwDomHtmlWindow* mptNewFocusOrNull, bool mbFireFocus) {
    // A pop-up closes when another window takes the focus.
    if (KxwDomHtmlPopupWindow* ptPopup = _ptPersistent->_ptVisiblePopup) {
        KxwDomHtmlWindow* ptOwner = ptPopup->GetOwnerWindow();
        if (mptNewFocusOrNull && mptNewFocusOrNull != ptPopup->GetWindow() && ptOwner &&
            ptOwner->GetTopWindow() != mptNewFocusOrNull->GetTopWindow())
            SetVisiblePopupWindow(nullptr);
    }
    _ptPersistent->_bNewTopWindow = false;
    auto* ptOld = static_cast<KxwDomHtmlWindow*>(_ptPersistent->_tFocusWindowWatch.GetEffectiveWatchedPtr());
    if (ptOld == mptNewFocusOrNull) return;
    KxwDomWatchDelete tWatchOld("KxwObjMgr::SetFocusWindow", ptOld);
    _ptPersistent->_tFocusWindowWatch.Reset();
    if (mptNewFocusOrNull) _ptPersistent->_tFocusWindowWatch.ActivateWatch(mptNewFocusOrNull);
    if (mbFireFocus && mptNewFocusOrNull &&
        (!ptOld || ptOld->GetTopWindow() != mptNewFocusOrNull->GetTopWindow())) {
        if (KxwDomHtmlTopWindow* ptTop = mptNewFocusOrNull->GetTopWindow()) ptTop->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_FOCUS, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    }
    if (ptOld && !tWatchOld.HasBeenDeleted() && !ptOld->GetIsClosed()) ptOld->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_BLUR, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
}

KxwDomHtmlWindow* KxwObjMgr::GetFocusWindow() const {
    return static_cast<KxwDomHtmlWindow*>(_ptPersistent->_tFocusWindowWatch.GetEffectiveWatchedPtr());
}

void KxwObjMgr::SetVisiblePopupWindow(KxwDomHtmlPopupWindow* mptPopup) {
    KxwDomHtmlPopupWindow* ptShown = _ptPersistent->_ptVisiblePopup;
    if (ptShown == mptPopup) return;
    // Remembered first: the old pop-up's unload may show another, or delete either.
    _ptPersistent->_ptVisiblePopup = mptPopup;
    if (ptShown) ptShown->MarkHidden();
}

KxwDomHtmlWindow* KxwObjMgr::GetVisiblePopupWindow() const {
    return _ptPersistent->_ptVisiblePopup ? _ptPersistent->_ptVisiblePopup->GetWindow() : nullptr;
}

KxwDomHtmlPopupWindow* KxwObjMgr::GetVisiblePopup() const { return _ptPersistent->_ptVisiblePopup; }

void KxwObjMgr::ForgetVisiblePopup() { _ptPersistent->_ptVisiblePopup = nullptr; }

void KxwObjMgr::FireOnFucosOnNewWindowIfApplicable() {
    if (!_ptPersistent->_bNewTopWindow) return;
    _ptPersistent->_bNewTopWindow = false;
    auto* ptNewest = dynamic_cast<KxwDomHtmlTopWindow*>(_ptPersistent->GetLastChild());
    if (!ptNewest) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptNewTopWindow is NULL for ptDomNodeBaseNewestTopWindow=%p in "
                                              "KxwObjMgr::FireOnFucosOnNewWindowIfApplicable for this=%p",
                                              static_cast<void*>(_ptPersistent->GetLastChild()),
                                              static_cast<void*>(this));
        return;
    }
    ptNewest->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_FOCUS, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
}

void KxwObjMgr::CarryOutDeferredCloses() {
    // A close carried out may run unload handlers that defer others: go round until none is left.
    // Dialogs close as their top windows do, one level of dialogs below each.
    auto CarryOut = [](KxwDomHtmlWindow* mptWindow) {
        auto* ptTop = static_cast<KxwDomHtmlTopWindow*>(mptWindow);
        return ptTop && !ptTop->GetIsClosed() && ptTop->GetDeferredClose() && ptTop->CarryOutDeferredClose();
    };
    for (int iRound = 0; iRound < 64; ++iRound) {
        bool bClosed = false;
        for (KxwDomHtmlTopWindow* ptTop = GetFirstTopWindow(); ptTop && !bClosed; ptTop = ptTop->GetNextTopWindow())
            bClosed = CarryOut(ptTop->GetWindowDialogModal()) || CarryOut(ptTop->GetWindowDialogModeless()) ||
                      CarryOut(ptTop);
        if (!bClosed) return;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// The hierarchy print

void KxwObjMgr::DebugPrintHierarchy(const char* mpszTitle, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    if (!xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    std::string dsTitle = mpszTitle ? KxwDomBase::GetPrintableText(mpszTitle, std::strlen(mpszTitle), 150) : "";
    xfvKxwUtilReportBySevLvl(meSevLvl, "Start \"%.150s\" debug print for ObjMgr=%p, VUserVars=%p:", dsTitle.c_str(),
                             static_cast<const void*>(this), static_cast<void*>(GetVUserVars()));
    KxwDomDebugPrintHierarchy tPrinter(meSevLvl, mulMask, _ptPersistent);
    tPrinter.Traverse(_ptPersistent, 0);
    if (KxwDomHtmlWindow* ptPopup = GetVisiblePopupWindow()) tPrinter.PrintWindow(ptPopup, "Visible pop-up", "");
}
