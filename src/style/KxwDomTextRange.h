// A text range (script class "textRange"). Nothing is laid out and there is no caret, so a range stands for the
// whole text of the element that owns it: a range made by createTextRange() reads and writes its element's text
// (an input's value, any other element's inner text and inner HTML), and a range made by the document's selection
// types at the start of the body, into a text node of its own. Geometry answers fixed numbers; the moving,
// comparing and command methods change nothing.
//
// A range belongs to its engine object. It never keeps its element or its text node alive: it watches both, so
// that a range whose element left with its page, or whose text node the page deleted, behaves as a range without
// them.
#pragma once

#include "KxwDomBase.h"
#include "KxwDomWatchDelete.h"

class KxwDomHtmlElement;
class KxwDomNodeBase;
class KxwJswCallArgs;

class KxwDomTextRange : public KxwDomBase {
public:
    // The range's own properties; an element names the property behind each (GetTextRangeReplacedTinyId).
    static constexpr short kIdText = -128;
    static constexpr short kIdHtmlText = -127;

    // A new range on mptOwnerElement, owned by its engine object; null (reported) without a script engine. A
    // range without an element is reported and kept: it reads nothing and ignores assignments.
    static KxwDomTextRange* Create(KxwDomHtmlElement* mptOwnerElement, bool mbFromSelection);
    ~KxwDomTextRange() override;

    // The createTextRange() method of the element classes that have one: a new range on the element called.
    // mpszCallbackName is the class's own callback, for the report of a malformed call.
    static bool CreateTextRangeCall(const char* mpszCallbackName, KxwJswUserObjBase* mptUserObj,
                                    KxwJswCallArgs& mrtArgs);

    bool IsFromSelection() const { return _bFromSelection; }
    // The owner element while it lives; null once it was deleted or when there never was one.
    KxwDomHtmlElement* GetOwningHtmlElement() const;
    // The text node this selection range typed into, while it lives and stays the owner's child; null otherwise.
    KxwDomNodeBase* GetInsertedTextNode() const;

    bool GetShouldBeDeletedAtFinalize() override { return true; }
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

private:
    KxwDomTextRange(KxwDomHtmlElement* mptOwnerElement, bool mbFromSelection);
    // Typing at the start of the owner: the first text goes into a new text node before the owner's first child,
    // later ones extend it.
    bool TypeText(KxwDomHtmlElement& mrtOwner, KxwDomPropertyInfo& mrtPropertyInfo);

    KxwDomWatchDelete _tOwnerWatch;
    KxwDomWatchDelete _tTextNodeWatch;
    bool _bFromSelection;
};
