#include "KxwDomDebugPrintHierarchy.h"

#include <string>
#include <vector>

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlWindow.h"
#include "KxwUtilReport.h"

KxwDomDebugPrintHierarchy::KxwDomDebugPrintHierarchy(KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask,
                                                     const KxwDomNodeBase* mptRoot)
    : _ptRoot(mptRoot), _eSevLvl(meSevLvl), _ulMask(mulMask) {}

KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM KxwDomDebugPrintHierarchy::Visit(KxwDomNodeBase* mptNode) {
    if (mptNode == _ptRoot) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    if (!mptNode || mptNode->GetNodeSubtype() != KXW_DOM_COMMON_NODE_SUBTYPE_WINDOW) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptCrntWindow=NULL in KxwDomDebugPrintHierarchy::Visit(mptNode=%p)",
                                              static_cast<void*>(mptNode));
        return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_SKIP_DESCENDANTS;
    }
    // A window's frames hang off the window, not off its node: they are walked here, in the order the walk would
    // take them, without recursion.
    struct Pending {
        KxwDomHtmlWindow* _ptWindow;
        unsigned _uDepth;
    };
    std::vector<Pending> tPending{{static_cast<KxwDomHtmlWindow*>(mptNode), 0}};
    while (!tPending.empty()) {
        Pending tNext = tPending.back();
        tPending.pop_back();
        KxwDomHtmlWindow* ptWindow = tNext._ptWindow;
        const std::vector<KxwDomHtmlWindow*>& rtFrames = ptWindow->GetChildFrameWindows();
        AdvanceFrameId(ptWindow, tNext._uDepth);
        PrintWindow(ptWindow, ptWindow->IsTopWindow() ? "Top" : "Non-top", _tFrameId.ToString().c_str());
        _eNextWillBe = rtFrames.empty() ? NEXT_WILL_BE_SIBLING : NEXT_WILL_BE_CHILD;
        for (auto it = rtFrames.rbegin(); it != rtFrames.rend(); ++it) tPending.push_back({*it, tNext._uDepth + 1});
    }
    return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_SKIP_DESCENDANTS;
}

void KxwDomDebugPrintHierarchy::AdvanceFrameId(const KxwDomNodeBase* mptNode, unsigned muDepth) {
    switch (_eNextWillBe) {
        case NEXT_WILL_BE_CHILD:
            _tFrameId.AddLevel(1);
            break;
        case NEXT_WILL_BE_SIBLING:
            _tFrameId.SetLevelAndZeroAfter(muDepth, _tFrameId.GetLevel(muDepth) + 1);
            break;
        default:
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "Invalid _eNextWillBe (%d) in KxwDomDebugPrintHierarchy::Visit("
                                                  "mptNode=%p). The indentation may be incorrect",
                                                  _eNextWillBe, static_cast<const void*>(mptNode));
    }
}

void KxwDomDebugPrintHierarchy::PrintWindow(KxwDomHtmlWindow* mptWindow, const char* mpszLabel,
                                            const char* mpszFrameId) {
    // A modal dialog follows its window's line and document as a window of its own; a modeless one is printed
    // the same way under the window's number.
    for (KxwDomHtmlWindow* ptWindow = mptWindow; ptWindow; ptWindow = ptWindow->GetWindowDialogModal()) {
        if (!(_ulMask & KXW_DOM_PRINT_MASK_WINDOWS_ONLY)) xfvKxwUtilReportBySevLvl(_eSevLvl, "%s", "");
        ptWindow->PrintWindowLine(mpszLabel, mpszFrameId, _eSevLvl);
        if (!(_ulMask & KXW_DOM_PRINT_MASK_WINDOWS_ONLY)) {
            if (KxwDomHtmlDocument* ptDocument = ptWindow->GetDocument())
                ptDocument->PrintMeAndSubHierarchy(-1, _eSevLvl, _ulMask);
            else
                xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                      "ptCrntDoc is NULL in KxwDomDebugPrintHierarchy::Visit");
        }
        if (KxwDomHtmlWindow* ptModeless = ptWindow->GetWindowDialogModeless())
            PrintWindow(ptModeless, "Modeless", mpszFrameId);
        mpszLabel = "Modal";
        mpszFrameId = "";
    }
}
