// A form's "elements": its controls (INPUT, BUTTON, SELECT, TEXTAREA) in document order. It follows the order of
// the collection of all elements of the form's top-most ancestor. A name that finds no control finds the form's
// IMG elements of that name, as the emulated browser has it.
#pragma once

#include "KxwDomHtmlCollection.h"

class KxwDomFormElementsCollection : public KxwDomHtmlCollectionDependent {
public:
    using KxwDomHtmlCollectionDependent::KxwDomHtmlCollectionDependent;

    KxwDomBase* GetItem(const char* mpszName, bool mbByIdentifier) override;
    using KxwDomHtmlCollectionGeneral::GetItem;

    // Whether a node is a control that a form's elements hold.
    static bool IsFormControlSubtype(const KxwDomNodeBase* mptNode);
};
