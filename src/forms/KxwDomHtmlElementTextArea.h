// TEXTAREA: a form control whose value is its text child. Every value it takes (from the markup, a script or a
// user) is stored with a carriage return before each line feed that lacks one, as the emulated browser sends and
// shows it. Its default value is the markup's text; a reset returns to it. Script class "textArea".
#pragma once

#include <string>

#include "KxwDomHtmlElementFormControl.h"
#include "KxwDomHtmlProperty.h"

class KxwDomHtmlElementTextArea : public KxwDomHtmlElementFormControl {
public:
    KxwDomHtmlElementTextArea(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    // The text of its text children.
    std::u16string GetValueU16n() const override;
    std::u16string GetValue() const { return GetValueU16n(); }
    // The children are replaced by one text node holding the value with line ends made CR LF.
    void SetValueDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) override;
    void SetValueU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) override;
    // A carriage return before every line feed that lacks one.
    static std::u16string AddCrBeforeNl(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);

    void SetReadOnlyBool(bool mbReadOnly);
    bool IsReadOnly() const override { return _tReadOnly.GetBool(); }

    // The regular pair.
    bool ContributeToFormSubmit() override { return ContributeToFormSubmit_Regular(false); }
    void Reset() override;
    // A step types into it: FOCUS, the value as typed, CHANGE, BLUR.
    bool UserSetText(const std::u16string& mdsText, std::string* mpdsReason) override;
    bool CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) override;
    void DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) override;

    // The parser's text: kept with CR LF line ends, and the default value follows it.
    bool AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) override;

    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

    static constexpr short kIdDefaultValue = KxwDomHtmlElementFormControl::kFirstDerivedTinyId;
    static constexpr short kIdType = kIdDefaultValue + 1;
    static constexpr short kIdReadOnly = kIdDefaultValue + 2;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;
    // Its value is its content, never an attribute.
    bool GetValueForHtmlAttribute(std::u16string& mrdsValue) const override;
    void SetValueParsed(const char* mpszParsedValue) override;

private:
    KxwDomHtmlPropertyBool _tReadOnly;
    // A script gave the default value: the markup's text no longer sets it.
    bool _bDefaultFromScript = false;
};
