// The exported browsing interface (kxw/KxwDomBrowsing.h): thin checked functions over the window classes.
#include "kxw/KxwDomBrowsing.h"

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementFrame.h"
#include "KxwDomHtmlElementTitle.h"
#include "KxwDomHtmlHistory.h"
#include "KxwDomHtmlLocation.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomStr.h"
#include "KxwDomBrowsingUtil.h"
#include "kxw/KxwDomCommand.h"
#include "kxw/KxwObjMgr.h"

namespace {

std::string TextOf(const KxwDomHtmlPropertyStr& mrtProperty) {
    const char* psfText = mrtProperty.GetDcsStr();
    return psfText ? std::string(psfText, mrtProperty.GetDcsLenInBytes()) : std::string();
}

}  // namespace

KxwDomHtmlDocument* xfptKxwDomWindowGetDocument(KxwDomHtmlWindow* mptWindow) {
    return mptWindow ? mptWindow->GetDocument() : nullptr;
}

KxwDomHtmlWindow* xfptKxwDomWindowOfDocument(KxwDomHtmlDocument* mptDocument) {
    return mptDocument ? mptDocument->GetWindow() : nullptr;
}

KxwDomHtmlWindow* xfptKxwDomWindowOfNode(KxwDomNodeBase* mptNode) {
    if (!mptNode) return nullptr;
    auto* ptDocument = dynamic_cast<KxwDomHtmlDocument*>(mptNode->GetOwnerDocument(false));
    if (!ptDocument) ptDocument = dynamic_cast<KxwDomHtmlDocument*>(mptNode);
    return ptDocument ? ptDocument->GetWindow() : nullptr;
}

KxwJswGlobal* xfptKxwDomWindowGetGlobal(KxwDomHtmlWindow* mptWindow) {
    return mptWindow ? mptWindow->GetGlobal() : nullptr;
}

KxwDomHtmlWindow* xfptKxwDomWindowGetTop(KxwDomHtmlWindow* mptWindow) {
    return mptWindow ? mptWindow->GetTopWindow() : nullptr;
}

KxwDomHtmlWindow* xfptKxwDomWindowGetParent(KxwDomHtmlWindow* mptWindow) {
    return mptWindow ? mptWindow->GetParentWindow() : nullptr;
}

KxwDomHtmlWindow* xfptKxwDomWindowGetOpener(KxwDomHtmlWindow* mptWindow) {
    if (!mptWindow || !mptWindow->IsTopWindow()) return nullptr;
    return static_cast<KxwDomHtmlTopWindow*>(mptWindow)->GetOpener();
}

bool xfbKxwDomWindowIsClosed(KxwDomHtmlWindow* mptWindow) { return !mptWindow || mptWindow->GetIsClosed(); }

bool xfbKxwDomWindowIsTop(KxwDomHtmlWindow* mptWindow) { return mptWindow && mptWindow->IsTopWindow(); }

bool xfbKxwDomWindowIsOnLoadInvoked(KxwDomHtmlWindow* mptWindow) { return mptWindow && mptWindow->IsOnLoadInvoked(); }

std::string xfdsKxwDomWindowGetName(KxwDomHtmlWindow* mptWindow) {
    return mptWindow ? mptWindow->GetWindowName() : std::string();
}

std::string xfdsKxwDomWindowGetHref(KxwDomHtmlWindow* mptWindow) {
    KxwDomHtmlDocument* ptDocument = mptWindow ? mptWindow->GetDocument() : nullptr;
    return ptDocument ? TextOf(ptDocument->GetHref()) : std::string();
}

bool xfbKxwDomWindowRunJavaScriptUrl(KxwDomHtmlWindow* mptWindow, const char* mpsfUrl, size_t mnLen) {
    if (!mptWindow || !mpsfUrl || mnLen > 0xFFFFFFFFu) return false;
    return mptWindow->HandleUrlScript(mpsfUrl, static_cast<unsigned>(mnLen), mptWindow, mptWindow, "the window", true,
                                      true);
}

std::string xfdsKxwDomWindowGetTitle(KxwDomHtmlWindow* mptWindow) {
    KxwDomHtmlDocument* ptDocument = mptWindow ? mptWindow->GetDocument() : nullptr;
    KxwDomHtmlElementTitle* ptTitle = ptDocument ? ptDocument->GetTitle(false) : nullptr;
    return ptTitle ? TextOf(ptTitle->GetText()) : std::string();
}

unsigned xfuKxwDomWindowGetFrameCount(KxwDomHtmlWindow* mptWindow) {
    return mptWindow ? static_cast<unsigned>(mptWindow->GetFrameWindows().size()) : 0;
}

KxwDomHtmlWindow* xfptKxwDomWindowGetFrame(KxwDomHtmlWindow* mptWindow, unsigned muIndex) {
    return mptWindow ? mptWindow->GetFrameWindow(muIndex) : nullptr;
}

uint32_t xfuKxwDomWindowGetFrameHierarchyId(KxwDomHtmlWindow* mptWindow) {
    return mptWindow ? mptWindow->GetFrameHierarchyId() : 0xFFFFFFFFu;
}

unsigned xfuKxwDomWindowGetHistoryLength(KxwDomHtmlWindow* mptWindow) {
    KxwDomHtmlTopWindow* ptTop = mptWindow ? mptWindow->GetTopWindow() : nullptr;
    KxwDomHtmlHistory* ptHistory = ptTop ? ptTop->GetHistory() : nullptr;
    return ptHistory ? ptHistory->GetScriptLength() : 0;
}

long xfliKxwDomWindowGetOnLoadCounter(KxwDomHtmlWindow* mptWindow) {
    return mptWindow ? mptWindow->GetOnLoadCounter() : 0;
}

KxwDomHtmlWindow* xfptKxwDomFrameElementGetWindow(KxwDomNodeBase* mptFrameElement) {
    auto* ptFrame = dynamic_cast<KxwDomHtmlElementFrameBase*>(mptFrameElement);
    return ptFrame ? ptFrame->GetContentWindow() : nullptr;
}

std::string xfdsKxwDomFrameElementGetSrc(KxwDomNodeBase* mptFrameElement) {
    auto* ptFrame = dynamic_cast<KxwDomHtmlElementFrameBase*>(mptFrameElement);
    return ptFrame ? ptFrame->GetResolvedSrcDcs() : std::string();
}

std::string xfdsKxwDomLocationChangeGetUrl(const void* mpvNotificationSubject) {
    const auto* ptChange = static_cast<const KxwDomHtmlLocationChangeNotification*>(mpvNotificationSubject);
    return ptChange ? ptChange->GetUrl() : std::string();
}

int xfiKxwDomLocationChangeGetType(const void* mpvNotificationSubject) {
    const auto* ptChange = static_cast<const KxwDomHtmlLocationChangeNotification*>(mpvNotificationSubject);
    return ptChange ? static_cast<int>(ptChange->GetType()) : -1;
}

uint32_t xfuKxwDomLocationChangeGetPostId(const void* mpvNotificationSubject) {
    const auto* ptChange = static_cast<const KxwDomHtmlLocationChangeNotification*>(mpvNotificationSubject);
    return ptChange ? ptChange->GetPostId() : 0;
}

std::string xfdsKxwDomWindowOpenGetHref(const void* mpvNotificationExtra) {
    const auto* ptParameters = static_cast<const KxwDomWindowOpenParameters*>(mpvNotificationExtra);
    return ptParameters ? ptParameters->_dsHref : std::string();
}

KxwDomHtmlWindow* xfptKxwDomWindowOpenGetTarget(const void* mpvNotificationExtra) {
    const auto* ptParameters = static_cast<const KxwDomWindowOpenParameters*>(mpvNotificationExtra);
    return ptParameters ? ptParameters->_ptTargetWindow : nullptr;
}

std::string xfdsKxwDomNotificationGetText(const void* mpvNotificationExtra) {
    const auto* ptText = static_cast<const KxwDomStr*>(mpvNotificationExtra);
    const char* psfText = ptText ? ptText->GetDcsStr() : nullptr;
    return psfText ? std::string(psfText, ptText->GetDcsLenInBytes()) : std::string();
}

// ---------------------------------------------------------------------------------------------------------------
// The windows of an object manager

namespace {

bool HoldsWindow(KxwDomHtmlWindow* mptWindow, const KxwDomHtmlWindow* mptWanted, int miDepth) {
    if (mptWindow == mptWanted) return true;
    // Frames nest as deep as frame ids reach; deeper is no window of ours.
    if (miDepth > 8) return false;
    for (KxwDomHtmlWindow* ptFrame : mptWindow->GetFrameWindows())
        if (HoldsWindow(ptFrame, mptWanted, miDepth + 1)) return true;
    return false;
}

}  // namespace

KxwDomHtmlWindow* xfptKxwObjMgrGetTopWindow(KxwObjMgr* mptObjMgr, unsigned muIndex) {
    if (!mptObjMgr) return nullptr;
    for (KxwDomHtmlTopWindow* ptTop = mptObjMgr->GetFirstTopWindow(); ptTop; ptTop = ptTop->GetNextTopWindow()) {
        if (ptTop->GetIsClosed()) continue;
        if (muIndex-- == 0) return ptTop;
    }
    return nullptr;
}

KxwDomHtmlWindow* xfptKxwObjMgrNewTopWindow(KxwObjMgr* mptObjMgr) {
    return mptObjMgr ? mptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0) : nullptr;
}

namespace {

bool HoldsOpenWindow(KxwDomHtmlWindow* mptTop, const KxwDomHtmlWindow* mptWanted, int miDepth) {
    if (!mptTop || mptTop->GetIsClosed() || miDepth > 8) return false;
    if (HoldsWindow(mptTop, mptWanted, 0)) return true;
    return HoldsOpenWindow(mptTop->GetWindowDialogModal(), mptWanted, miDepth + 1) ||
           HoldsOpenWindow(mptTop->GetWindowDialogModeless(), mptWanted, miDepth + 1);
}

}  // namespace

bool xfbKxwObjMgrIsOpenWindow(KxwObjMgr* mptObjMgr, const KxwDomHtmlWindow* mptWindow) {
    if (!mptObjMgr || !mptWindow) return false;
    for (KxwDomHtmlTopWindow* ptTop = mptObjMgr->GetFirstTopWindow(); ptTop; ptTop = ptTop->GetNextTopWindow())
        if (HoldsOpenWindow(ptTop, mptWindow, 0)) return true;
    KxwDomHtmlWindow* ptPopup = mptObjMgr->GetVisiblePopupWindow();
    return ptPopup && HoldsWindow(ptPopup, mptWindow, 0);
}

KxwDomHtmlWindow* xfptKxwDomWindowGetDialog(KxwDomHtmlWindow* mptTopWindow, bool mbModal) {
    if (!mptTopWindow) return nullptr;
    return mbModal ? mptTopWindow->GetWindowDialogModal() : mptTopWindow->GetWindowDialogModeless();
}

bool xfbKxwDomWindowIsWithin(const KxwDomHtmlWindow* mptWindow, const KxwDomHtmlWindow* mptAncestor) {
    return mptWindow && mptAncestor && mptAncestor->IsSelfOrAncestorOf(mptWindow);
}

KxwDomHtmlWindow* xfptKxwDomCommandGetWindow(const KxwDomCommand* mptCommand) {
    KxwDomCoreNode* ptTarget = mptCommand ? mptCommand->GetTargetObjectForAbortOrNullIfDeleted() : nullptr;
    if (!ptTarget) return nullptr;
    if (KxwDomHtmlWindow* ptWindow = ptTarget->AsHtmlWindow()) return ptWindow;
    return xfptKxwDomWindowOfNode(ptTarget);
}

// ---------------------------------------------------------------------------------------------------------------
// Documents

std::string xfdsKxwDomDocumentGetHref(KxwDomHtmlDocument* mptDocument) {
    return mptDocument ? TextOf(mptDocument->GetHref()) : std::string();
}

std::string xfdsKxwDomDocumentResolveUrl(KxwDomHtmlDocument* mptDocument, const char* mpsfUrl, size_t mnLen) {
    if (!mpsfUrl) return std::string();
    if (!mptDocument) return std::string(mpsfUrl, mnLen);
    unsigned uBaseLen = 0;
    const char* psfBase = mptDocument->GetBaseUrlDcs(&uBaseLen);
    std::string dsBase = psfBase ? std::string(psfBase, uBaseLen) : std::string();
    std::string dsUrl = xfdsKxwDomBrowsingCombineUrl(dsBase, mpsfUrl, mnLen);
    return dsUrl.empty() ? std::string(mpsfUrl, mnLen) : dsUrl;
}
