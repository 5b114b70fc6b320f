// THEAD, TBODY and TFOOT (script classes "thead", "tbody", "tfoot"): a table's sections, each with its rows and
// the methods that insert and delete them. The three differ only in their tag and script class.
#pragma once

#include "KxwDomHtmlTableElement.h"

class KxwDomHtmlElementTableSection : public KxwDomHtmlTableElement {
public:
    KxwDomHtmlElementTableSection(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                                  bool mbUseMemMgr)
        : KxwDomHtmlTableElement(mptOwnerDocument, meSubtype, mbUseMemMgr) {}

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

    static constexpr short kIdRows = KxwDomHtmlElement::kFirstDerivedTinyId;  // 7
};

using KxwDomHtmlElementThead = KxwDomHtmlElementTableSection;
using KxwDomHtmlElementTbody = KxwDomHtmlElementTableSection;
using KxwDomHtmlElementTfoot = KxwDomHtmlElementTableSection;
