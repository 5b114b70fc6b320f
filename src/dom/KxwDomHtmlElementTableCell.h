// TD and TH (script classes "td", "th"): table cells, with their background image. The two differ only in their
// tag and script class.
#pragma once

#include "KxwDomHtmlElement.h"

class KxwDomHtmlElementTableCell : public KxwDomHtmlElement {
public:
    KxwDomHtmlElementTableCell(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                               bool mbUseMemMgr)
        : KxwDomHtmlElement(mptOwnerDocument, meSubtype, mbUseMemMgr), _tBackground(GetDomEnv()) {}

    const KxwDomHtmlPropertyStr& GetBackground() const { return _tBackground; }
    void SetBackgroundDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
        _tBackground.SetDcs(mpsfDcsStr, muDcsLenInBytes);
    }
    void SetBackgroundU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
        _tBackground.SetU16n(mpwsfU16nStr, muU16nLenInChars);
    }
    void SetBackgroundParsed(const char* mpszParsedValue) { _tBackground.SetParsed(ParsedText(mpszParsedValue)); }
    bool IsSpecifiedBackground() const { return _tBackground.IsSpecified(); }
    bool IsEmptyBackground() const { return _tBackground.IsEmpty(); }

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

    static constexpr short kIdBackground = KxwDomHtmlElement::kFirstDerivedTinyId;  // 7

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tBackground;
};

using KxwDomHtmlElementTd = KxwDomHtmlElementTableCell;
using KxwDomHtmlElementTh = KxwDomHtmlElementTableCell;
