// The element of a tag the library has no class for (subtype 15), or of a tag with a namespace prefix ("o:p",
// subtype 16): it keeps the tag name as parsed, and a namespaced one answers its prefix as its scope name. Script
// class "_generic".
#pragma once

#include "KxwDomHtmlElement.h"

class KxwDomHtmlElement_Generic : public KxwDomHtmlElement {
public:
    KxwDomHtmlElement_Generic(KxwDomHtmlDocument* mptOwnerDocument, const KxwUtilTagName& mrtTagName, bool mbUseMemMgr);

    const char16_t* GetNodeNameU16n(unsigned* mpuLenInChars) const override;
    const char* GetTagNameDcsStr() const override;
    unsigned GetTagNameDcsLenInBytes() const override;
    const char16_t* GetScopeNameU16nStr(unsigned* mpuLenInChars) const override;

    const KxwJswClassInformation* GetClassInformation() const override;

protected:
    KxwDomHtmlElement* MakeEmptyClone(KxwDomHtmlDocument& mrtDocument) override;

private:
    // On the document's memory manager, with both forms of the text.
    KxwDomHtmlPropertyStr _tTagName;
};
