// The window-wide finders: a search that starts at a window's page and, unless told to stay there, goes on into its
// frames, depth first in document order. One class serves every kind of element: the argument object knows which
// of the document's finders to run.
#pragma once

class KxwDomArgsFindElement;
class KxwDomHtmlWindow;

class KxwDomTraverseHierarchyFindElement {
public:
    KxwDomTraverseHierarchyFindElement(bool mbThisWindowOnly, KxwDomArgsFindElement& mrtArgs)
        : _bThisWindowOnly(mbThisWindowOnly), _rtArgs(mrtArgs) {}

    // True when an element was found (it is in the argument object). A frame without a page is passed over: the
    // frames after it are still searched.
    bool Traverse(KxwDomHtmlWindow* mptWindow);

private:
    bool Visit(KxwDomHtmlWindow* mptWindow, int miDepth);

    bool _bThisWindowOnly;
    KxwDomArgsFindElement& _rtArgs;
};
