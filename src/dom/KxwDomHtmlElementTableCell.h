// TD and TH (script classes "td", "th"): table cells, with their background image. The two differ only in their
// tag and script class.
#pragma once

#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlTableBackground.h"

class KxwDomHtmlElementTableCell : public KxwDomHtmlElement, public KxwDomHtmlTableBackground {
public:
    KxwDomHtmlElementTableCell(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                               bool mbUseMemMgr)
        : KxwDomHtmlElement(mptOwnerDocument, meSubtype, mbUseMemMgr), KxwDomHtmlTableBackground(GetDomEnv()) {}

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    // "background", then the attributes every element writes.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;

    static constexpr short kIdBackground = KxwDomHtmlElement::kFirstDerivedTinyId;  // 7

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;
};

using KxwDomHtmlElementTd = KxwDomHtmlElementTableCell;
using KxwDomHtmlElementTh = KxwDomHtmlElementTableCell;
