// TITLE: the document's title. Its text is a property, not child nodes: the first character data the parser gives
// becomes the text, and its inner text is that text. A TITLE the parser made up without a tag is marked implied.
#pragma once

#include "KxwDomHtmlElement.h"

class KxwDomHtmlElementTitle : public KxwDomHtmlElement {
public:
    KxwDomHtmlElementTitle(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    const KxwDomHtmlPropertyStr& GetText() const { return _tText; }
    void SetTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    void SetTextU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    void SetTextParsed(const char* mpszParsedValue) { _tText.SetParsed(ParsedText(mpszParsedValue)); }
    bool IsImplied() const { return _bImplied; }
    void SetImplied(bool mbImplied) { _bImplied = mbImplied; }

    std::u16string GetInnerText() const override;
    bool SetInnerTextU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) override;
    void AddDataToInnerText(std::u16string& mrdsText) const override;
    // Only the first piece of character data becomes the text.
    bool AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) override;
    // Markup: the tags around the text as it is; an implied TITLE was no markup and writes nothing.
    void AddDataToInnerOuterHtml(KxwDomHtmlTextsStr& mrtText) const override;
    void GenerateHtmlNonTextNodeInnerText(KxwDomHtmlTextsStr& mrtText) const override;
    void GenerateHtmlClosingTag(KxwDomHtmlTextsStr& mrtText) const override;

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

protected:
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tText;
    bool _bImplied = false;
};
