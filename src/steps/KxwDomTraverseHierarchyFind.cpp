#include "KxwDomTraverseHierarchyFind.h"

#include "KxwDomArgsFindElement.h"
#include "KxwDomHtmlWindow.h"

namespace {
// Frames nest no deeper than this in any page a browser shows; deeper ones are not searched.
constexpr int kiMaxFrameDepth = 32;
}  // namespace

bool KxwDomTraverseHierarchyFindElement::Traverse(KxwDomHtmlWindow* mptWindow) {
    _rtArgs.ResetResult();
    return mptWindow && Visit(mptWindow, 0);
}

bool KxwDomTraverseHierarchyFindElement::Visit(KxwDomHtmlWindow* mptWindow, int miDepth) {
    if (KxwDomHtmlDocument* ptDocument = mptWindow->GetDocument())
        if (_rtArgs.FindElement(ptDocument)) return true;
    if (_bThisWindowOnly || miDepth >= kiMaxFrameDepth) return false;
    for (KxwDomHtmlWindow* ptFrame : mptWindow->GetFrameWindows())
        if (ptFrame && Visit(ptFrame, miDepth + 1)) return true;
    return false;
}
