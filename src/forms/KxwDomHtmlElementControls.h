// The form controls other than INPUT: BUTTON with its type, and SELECT, OPTION and TEXTAREA (one class for the
// three, script classes "select", "option" and "textArea"), each with the name the document files it by. The type
// of a BUTTON is fixed once the element is in a tree, as the emulated browser has it: the document's per-type
// collections never go stale.
#pragma once

#include "KxwDomHtmlElementFormControl.h"

enum KXW_DOM_HTML_BUTTON_TYPE_ENUM : unsigned char {
    KXW_DOM_HTML_BUTTON_TYPE_SUBMIT = 0,
    KXW_DOM_HTML_BUTTON_TYPE_RESET,
    KXW_DOM_HTML_BUTTON_TYPE_BUTTON,
    KXW_DOM_HTML_BUTTON_TYPE_COUNT,
};

class KxwDomHtmlElementControl : public KxwDomHtmlElementFormControl {
public:
    KxwDomHtmlElementControl(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                             bool mbUseMemMgr);

    // The element's line, and an OPTION's inner text when the mask asks for it.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;

    const KxwJswClassInformation* GetClassInformation() const override;
    // The class "option", whose constructor is the window's Option(text, value, defaultSelected, selected).
    static const KxwJswClassInformation& GetOptionClassInformation();
};

using KxwDomHtmlElementSelect = KxwDomHtmlElementControl;
using KxwDomHtmlElementOption = KxwDomHtmlElementControl;
using KxwDomHtmlElementTextArea = KxwDomHtmlElementControl;

class KxwDomHtmlElementButton : public KxwDomHtmlElementFormControl {
public:
    KxwDomHtmlElementButton(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    KXW_DOM_HTML_BUTTON_TYPE_ENUM GetTypeEnum() const { return _eType; }
    // An unknown type is the default type ("button" in the emulated browser).
    void SetTypeParsed(const char* mpszParsedValue);
    static const char* GetTypeName(KXW_DOM_HTML_BUTTON_TYPE_ENUM meType);

    // The element's line, and its value attribute and markup when the mask asks for inner texts.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;

    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

    static constexpr short kIdType = KxwDomHtmlElementFormControl::kFirstDerivedTinyId;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KXW_DOM_HTML_BUTTON_TYPE_ENUM _eType = KXW_DOM_HTML_BUTTON_TYPE_BUTTON;
    bool _bTypeSpecified = false;
};
