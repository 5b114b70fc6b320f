// The document's selection (script class "selectionprop"). There is no caret and nothing is ever selected: its
// type is "None", empty() changes nothing, and createRange() gives a range that types at the start of the body
// the document had when the selection was first asked for. The document owns the selection and gives the same one
// on every read. The body is watched, not held: once it is gone (a script replaced it, the page went), new ranges
// have no element.
#pragma once

#include "KxwDomBase.h"
#include "KxwDomWatchDelete.h"

class KxwDomHtmlDocument;
class KxwDomHtmlElement;

class KxwDomHtmlSelection : public KxwDomBase {
public:
    // On the document's memory manager, for the document's body as it is now (none: ranges without element).
    explicit KxwDomHtmlSelection(KxwDomHtmlDocument& mrtDocument);
    ~KxwDomHtmlSelection() override;

    // The element new ranges are made on while it lives; null once it was deleted or when there was none.
    KxwDomHtmlElement* GetRangeElement() const;

    bool GetShouldBeDeletedAtFinalize() override { return false; }
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

private:
    KxwDomWatchDelete _tBodyWatch;
};
