// INPUT: a form control whose behaviour follows its type. The type is fixed once the element is in a tree, as the
// emulated browser has it: the document's per-type collections never go stale.
#pragma once

#include "KxwDomHtmlElementFormControl.h"

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

class KxwDomHtmlElementInput : public KxwDomHtmlElementFormControl {
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

    static constexpr short kIdMaxLength = KxwDomHtmlElementFormControl::kFirstDerivedTinyId;  // 11
    static constexpr short kIdType = kIdMaxLength + 4;                                        // 15

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KXW_DOM_HTML_INPUT_TYPE_ENUM _eType = KXW_DOM_HTML_INPUT_TYPE_TEXT;
    bool _bTypeSpecified = false;
};
