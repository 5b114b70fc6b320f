// Finds what is due next across every window of a virtual user: the registered, unfrozen timer with the earliest
// expiration, or a document's pending META refresh when it is due strictly earlier. Windows are met in the order
// of the hierarchy (top windows in creation order, each followed by its frames, the pop-up it made, its modeless
// and its modal dialog); of two timers due at the same time the one met first wins, and a timer wins a tie with a
// refresh.
#pragma once

#include <cstdint>

#include "KxwDomTraverseHierarchy.h"

class KxwDomHtmlDocument;
class KxwDomHtmlWindow;
class KxwDomTimeoutInfo;

class KxwDomFindMinTimeout : public KxwDomTraverseHierarchy {
public:
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Visit(KxwDomNodeBase* mptNode) override;

    // 0xFFFFFFFF when nothing is due.
    uint32_t GetMinExpirationTimestampOrULongMax() const { return _uliMinExpiration; }
    // The timer's identifier, or -1 (nothing, or a META refresh).
    int GetTimerIdOrNone() const { return _iTimerID; }
    KxwDomTimeoutInfo* GetMinTimeOutInfo() const { return _ptMinTimeout; }
    KxwDomHtmlDocument* GetDocumentWithNextMetaToExecute() const { return _ptMetaDocument; }

private:
    void VisitWindow(KxwDomHtmlWindow* mptWindow);

    uint32_t _uliMinExpiration = 0xFFFFFFFFu;
    int _iTimerID = -1;
    KxwDomTimeoutInfo* _ptMinTimeout = nullptr;
    KxwDomHtmlDocument* _ptMetaDocument = nullptr;
};
