// The markup of an element (innerHTML, outerHTML), written from the tree node by node: every element from its
// stored properties in its class's attribute order, text escaped, the content an element keeps as a property
// (SCRIPT, TITLE, NOSCRIPT) as it is. An element split over place holders by mis-nested markup is written back
// mis-nested the same way. The text is in the document's character set.
#pragma once

#include <string>

#include "KxwDomHtmlTextsStr.h"
#include "KxwDomTraverseHierarchy.h"

class KxwDomHtmlElement;

class KxwDomGenerateInnerOuterHtml : public KxwDomTraverseHierarchy {
public:
    // mbOuter: the element's own tags are included.
    KxwDomGenerateInnerOuterHtml(KxwDomHtmlElement* mptElement, bool mbOuter);

    // Walks the element's subtree; the markup is then in GetStr.
    void Generate();
    // The markup, or the empty text when nothing was written; valid while this object lives and is not changed.
    const char* GetStr() const { return _tText.GetStr(); }
    int GetLength() const { return _tText.GetLen(); }
    // The markup as a text of its own.
    std::string TakeDcs() const { return std::string(_tText.GetStr(), static_cast<size_t>(_tText.GetLen())); }

    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Visit(KxwDomNodeBase* mptNode) override;
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM VisitAfterDescendants(KxwDomNodeBase* mptNode) override;
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM NotifyBetweenPlaceHolders(KxwDomPlaceHolderNode* mptCurrent,
                                                                     KxwDomPlaceHolderNode* mptNext) override;

private:
    bool IsTop(KxwDomNodeBase* mptNode) const;

    KxwDomHtmlTextsStr _tText;
    KxwDomHtmlElement* _ptElement;
    bool _bOuter;
};
