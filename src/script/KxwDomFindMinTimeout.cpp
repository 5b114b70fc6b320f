#include "KxwDomFindMinTimeout.h"

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomTimeoutStatus.h"

KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM KxwDomFindMinTimeout::Visit(KxwDomNodeBase* mptNode) {
    KxwDomHtmlWindow* ptWindow = mptNode ? mptNode->AsHtmlWindow() : nullptr;
    if (!ptWindow) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    VisitWindow(ptWindow);
    // The window's own walk has been made: its frames and dialogs are not its children in the tree.
    return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_SKIP_DESCENDANTS;
}

void KxwDomFindMinTimeout::VisitWindow(KxwDomHtmlWindow* mptWindow) {
    uint32_t uExpiration = 0;
    int iTimerID = -1;
    KxwDomTimeoutInfo* ptTimeout = mptWindow->GetTimeoutStatus().GetMinExpirationTimestampOrULongMax(uExpiration, iTimerID);
    if (ptTimeout && uExpiration < _uliMinExpiration) {
        _uliMinExpiration = uExpiration;
        _iTimerID = iTimerID;
        _ptMinTimeout = ptTimeout;
        _ptMetaDocument = nullptr;
    }
    KxwDomHtmlDocument* ptDocument = mptWindow->GetDocument();
    if (ptDocument) {
        // The refresh's time is kept in a wider field: beyond 32 bits it is as good as never.
        unsigned long ulRefresh = ptDocument->GetMetaRefreshExpirationTimestamp();
        uint32_t uRefresh = ulRefresh > 0xFFFFFFFEul ? 0xFFFFFFFEu : static_cast<uint32_t>(ulRefresh);
        if (ulRefresh != 0 && uRefresh < _uliMinExpiration) {
            _uliMinExpiration = uRefresh;
            _iTimerID = -1;
            _ptMinTimeout = nullptr;
            _ptMetaDocument = ptDocument;
        }
    }
    for (KxwDomHtmlWindow* ptFrame : mptWindow->GetChildFrameWindows()) VisitWindow(ptFrame);
    // A pop-up's page keeps its timers as any page does, shown or not.
    if (KxwDomHtmlWindow* ptPopup = mptWindow->GetOwnedPopupWindow()) VisitWindow(ptPopup);
    if (KxwDomHtmlWindow* ptModeless = mptWindow->GetWindowDialogModeless()) VisitWindow(ptModeless);
    if (KxwDomHtmlWindow* ptModal = mptWindow->GetWindowDialogModal()) VisitWindow(ptModal);
}
