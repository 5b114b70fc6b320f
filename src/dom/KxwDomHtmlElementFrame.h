// FRAME and IFRAME (script classes "frame" and "iframe" on "framebase"): the address and the name of the window
// they will hold. Windows and their loads come later.
#pragma once

#include "KxwDomHtmlElement.h"

class KxwDomHtmlElementFrameBase : public KxwDomHtmlElement {
public:
    KxwDomHtmlElementFrameBase(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                               bool mbUseMemMgr);

    const KxwDomHtmlPropertyStr& GetSrc() const { return _tSrc; }
    void SetSrcParsed(const char* mpszParsedValue) { _tSrc.SetParsed(ParsedText(mpszParsedValue)); }
    const KxwDomHtmlPropertyStr& GetName() const override { return _tName; }
    void SetNameParsed(const char* mpszParsedValue);
    void SetNameU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    static const KxwJswClassInformation& GetFrameBaseClassInformation();

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tSrc;
    KxwDomHtmlPropertyStr _tName;
};

using KxwDomHtmlElementFrame = KxwDomHtmlElementFrameBase;
using KxwDomHtmlElementInlineFrame = KxwDomHtmlElementFrameBase;
