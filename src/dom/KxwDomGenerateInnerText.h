// The inner text of an element: each node's share in document order (text as it is, a line break before P and
// BR, a TITLE's text). A STYLE's text is a style sheet, no text of the page: it adds nothing.
#pragma once

#include <string>

#include "KxwDomTraverseHierarchy.h"

class KxwDomGenerateInnerText : public KxwDomTraverseHierarchy {
public:
    // Walks the node's subtree (the node itself first).
    void Generate(KxwDomNodeBase* mptNode) { Traverse(mptNode, 0); }
    std::u16string& GetText() { return _dsText; }

    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Visit(KxwDomNodeBase* mptNode) override;

private:
    std::u16string _dsText;
};
