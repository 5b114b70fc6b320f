// The hierarchy dump's walk over a virtual user's windows: the object manager's walk reaches its top windows, and
// each top window is followed by its frames, depth first, before the next one. Every window gets its dotted number
// in the hierarchy ("1", "1.1", "1.2", "2" ...), its line, its document's tree (unless the mask asks for windows
// only) and its dialogs. Every line goes through the ordinary reporting at the dump's level.
#pragma once

#include "KxwDomHierarchyFrameId.h"
#include "KxwDomTraverseHierarchy.h"
#include "kxw/KxwSevLvl.h"

class KxwDomHtmlWindow;

class KxwDomDebugPrintHierarchy : public KxwDomTraverseHierarchy {
public:
    // mptRoot (the object manager's node) is walked from but not printed.
    KxwDomDebugPrintHierarchy(KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask, const KxwDomNodeBase* mptRoot);

    // Prints a top window and its frames; the branch of anything that is not a window is reported and skipped.
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Visit(KxwDomNodeBase* mptNode) override;
    // The window's line, its document, then its modeless dialog (under the same number) and its modal dialog
    // (without one).
    void PrintWindow(KxwDomHtmlWindow* mptWindow, const char* mpszLabel, const char* mpszFrameId);

    const KxwDomHierarchyFrameId& GetFrameId() const { return _tFrameId; }

private:
    // Whether the next window visited is a child of the last one (its first frame) or a sibling at its depth.
    enum NEXT_WILL_BE_ENUM { NEXT_WILL_BE_CHILD = 0, NEXT_WILL_BE_SIBLING = 1 };

    // Numbers the window visited at muDepth (0 for a top window) after the last one.
    void AdvanceFrameId(const KxwDomNodeBase* mptNode, unsigned muDepth);

    const KxwDomNodeBase* _ptRoot;
    KxwDomHierarchyFrameId _tFrameId;
    int _eNextWillBe = NEXT_WILL_BE_CHILD;
    KXW_WTL_SEV_LVL_ENUM _eSevLvl;
    unsigned long _ulMask;
};
