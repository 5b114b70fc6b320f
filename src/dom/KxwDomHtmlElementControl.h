// The form controls: INPUT and BUTTON with their type, and SELECT, OPTION and TEXTAREA (script classes on
// "control"), each with the name the document files it by. Values, checked states and submission come later. The
// type of an INPUT or BUTTON is fixed once the element is in a tree, as the emulated browser has it: the document's
// per-type collections never go stale.
#pragma once

#include "KxwDomHtmlElementWithName.h"

// INPUT types, in the order of the document's control collections; radio inputs go to the radio groups.
enum KXW_DOM_HTML_INPUT_TYPE_ENUM : unsigned char {
    KXW_DOM_HTML_INPUT_TYPE_TEXT = 0,
    KXW_DOM_HTML_INPUT_TYPE_PASSWORD,
    KXW_DOM_HTML_INPUT_TYPE_HIDDEN,
    KXW_DOM_HTML_INPUT_TYPE_CHECKBOX,
    KXW_DOM_HTML_INPUT_TYPE_FILE,
    KXW_DOM_HTML_INPUT_TYPE_SUBMIT,
    KXW_DOM_HTML_INPUT_TYPE_IMAGE,
    KXW_DOM_HTML_INPUT_TYPE_RESET,
    KXW_DOM_HTML_INPUT_TYPE_BUTTON,
    KXW_DOM_HTML_INPUT_TYPE_RADIO,
    KXW_DOM_HTML_INPUT_TYPE_COUNT,
};

enum KXW_DOM_HTML_BUTTON_TYPE_ENUM : unsigned char {
    KXW_DOM_HTML_BUTTON_TYPE_SUBMIT = 0,
    KXW_DOM_HTML_BUTTON_TYPE_RESET,
    KXW_DOM_HTML_BUTTON_TYPE_BUTTON,
    KXW_DOM_HTML_BUTTON_TYPE_COUNT,
};

class KxwDomHtmlElementControl : public KxwDomHtmlElementWithName {
public:
    KxwDomHtmlElementControl(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                             bool mbUseMemMgr);

    // The FORM the control lies in, or null.
    KxwDomHtmlElement* GetForm() const;
    bool IsInForm() const { return GetForm() != nullptr; }

    // The element's line, and an OPTION's inner text when the mask asks for it.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;

    const KxwJswClassInformation* GetClassInformation() const override;
    static const KxwJswClassInformation& GetControlClassInformation();
    // The class "option", whose constructor is the window's Option(text, value, defaultSelected, selected).
    static const KxwJswClassInformation& GetOptionClassInformation();

    static constexpr short kIdType = KxwDomHtmlElementWithName::kFirstDerivedTinyId;  // 8
};

using KxwDomHtmlElementSelect = KxwDomHtmlElementControl;
using KxwDomHtmlElementOption = KxwDomHtmlElementControl;
using KxwDomHtmlElementTextArea = KxwDomHtmlElementControl;

class KxwDomHtmlElementInput : public KxwDomHtmlElementControl {
public:
    KxwDomHtmlElementInput(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    KXW_DOM_HTML_INPUT_TYPE_ENUM GetTypeEnum() const { return _eType; }
    // An unknown type is a text input.
    void SetTypeParsed(const char* mpszParsedValue);
    static KXW_DOM_HTML_INPUT_TYPE_ENUM GetTypeByName(const char* mpsfName, unsigned muLen);
    static const char* GetTypeName(KXW_DOM_HTML_INPUT_TYPE_ENUM meType);

    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KXW_DOM_HTML_INPUT_TYPE_ENUM _eType = KXW_DOM_HTML_INPUT_TYPE_TEXT;
    bool _bTypeSpecified = false;
};

class KxwDomHtmlElementButton : public KxwDomHtmlElementControl {
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

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KXW_DOM_HTML_BUTTON_TYPE_ENUM _eType = KXW_DOM_HTML_BUTTON_TYPE_BUTTON;
    bool _bTypeSpecified = false;
};
