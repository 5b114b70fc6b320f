// The document's selection (script class "selectionprop"). There is no caret and nothing is ever selected: its
// type is "None", empty() changes nothing, and createRange() gives a range that types at the start of the body
// the document had when the selection was first asked for. The document owns the selection and gives the same one
// on every read. The body is watched, not held: once it is gone (a script replaced it, the document was written
// anew) new ranges are made on the document's body of the moment. A selection asked for while the document had no
// body at all makes ranges without element.
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

    // The element new ranges are made on: the watched body while it lives; once it was deleted, the document's body
    // now (watched from then on); null when there was never a body or there is none now.
    KxwDomHtmlElement* GetRangeElement();

    bool GetShouldBeDeletedAtFinalize() override { return false; }
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

private:
    KxwDomHtmlDocument& _rtDocument;  // the owner: it deletes the selection before it goes
    KxwDomWatchDelete _tBodyWatch;
};
