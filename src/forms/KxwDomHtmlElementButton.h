// BUTTON: a form control of type submit, reset or button (an absent, empty or unknown type is button, as the
// emulated browser has it). Its type is fixed once the element is in a tree: the document's per-type collections
// never go stale. A click submits or resets its form; its value in a submission is its generated inner markup.
#pragma once

#include "KxwDomHtmlElementFormControl.h"

enum KXW_DOM_HTML_BUTTON_TYPE_ENUM : unsigned char {
    KXW_DOM_HTML_BUTTON_TYPE_SUBMIT = 0,
    KXW_DOM_HTML_BUTTON_TYPE_RESET,
    KXW_DOM_HTML_BUTTON_TYPE_BUTTON,
    KXW_DOM_HTML_BUTTON_TYPE_COUNT,
};

class KxwDomHtmlElementButton : public KxwDomHtmlElementFormControl {
public:
    KxwDomHtmlElementButton(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    KXW_DOM_HTML_BUTTON_TYPE_ENUM GetTypeEnum() const { return _eType; }
    const char* GetTypeNameAscStr() const { return GetTypeName(_eType); }
    // An unknown type is button (traced).
    void SetTypeParsed(const char* mpszParsedValue);
    static const char* GetTypeName(KXW_DOM_HTML_BUTTON_TYPE_ENUM meType);

    // Every button contributes, clicked or not, with its inner markup as value.
    bool ContributeToFormSubmit() override { return ContributeToFormSubmit_InnerHTML(); }
    // A click submits (with the click's event data) or resets the form; a button of type button does nothing.
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM DoEventDefaultAction(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                           const KxwDomEventData* mptDomEventDataOrNULL) override;

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
    // The type of a name: an empty one is button quietly, an unknown one with the trace.
    static KXW_DOM_HTML_BUTTON_TYPE_ENUM TypeOfName(const char* mpsfName, size_t mnLen);

    KXW_DOM_HTML_BUTTON_TYPE_ENUM _eType = KXW_DOM_HTML_BUTTON_TYPE_BUTTON;
    bool _bTypeSpecified = false;
};
