// The base of every form control (INPUT, BUTTON, SELECT, TEXTAREA): its value and default value, whether it is
// disabled, the FORM that holds it, whether it is successful in a submission, and the ways a control adds its
// name/value pair to the form's request body. Script class "formcontrol": "form", "value" and "disabled".
#pragma once

#include <string>

#include "KxwDomHtmlElementWithName.h"

class KxwDomHtmlElementForm;

class KxwDomHtmlElementFormControl : public KxwDomHtmlElementWithName {
public:
    KxwDomHtmlElementFormControl(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                                 bool mbUseMemMgr);

    // ---- The form ----
    // The nearest FORM up the parent chain (place holders of split nodes passed over), or null.
    KxwDomHtmlElementForm* GetContainingForm() const;
    bool IsInForm() const { return GetContainingForm() != nullptr; }

    // ---- Value ----
    // The value property as stored (the value attribute or what a script or a user set).
    const KxwDomHtmlPropertyStr& GetValueProperty() const { return _tValue; }
    // The value scripts read and a submission sends; a control may answer something else than the stored value
    // (a radio button without a value answers "on").
    virtual std::u16string GetValueU16n() const;
    virtual void SetValueDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    virtual void SetValueU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    void SetValueSpecified(bool mbSpecified) { _tValue.SetSpecified(mbSpecified); }
    bool IsSpecifiedValue() const { return _tValue.IsSpecified(); }
    // The default value: the text that a reset returns to (INPUT's and TEXTAREA's defaultValue).
    const KxwDomHtmlPropertyStr& GetDefaultValueProperty() const { return _tDefaultValue; }
    void SetDefaultValueU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);

    // The shared text "on": the value of a check box or radio button that has none of its own.
    static const char16_t* GetOnStr() { return u"on"; }
    static constexpr unsigned kOnStrLen = 2;

    // ---- Disabled ----
    void SetDisabledParsed(const char* mpszParsedValue) { _tDisabled.SetParsed(mpszParsedValue); }
    // true sets the specified and value bits; false sets "specified" and clears the value.
    void SetDisabledBool(bool mbDisabled);
    const KxwDomHtmlPropertyBool& GetDisabled() const { return _tDisabled; }
    bool IsDisabled() const override { return _tDisabled.GetBool(); }
    virtual bool IsReadOnly() const { return false; }
    // A value that traces must not show (a password, a local file path).
    virtual bool HasSecretValue() const { return false; }

    // ---- Submission ----
    // Whether the control is successful: enabled, and named (or allowed to go without a name); with
    // mbCheckContainingForm, it must lie in a form as well.
    bool ShouldContributeToSubmit(bool mbCheckContainingForm) const;
    // Adds the control's pairs to its form's main body; false when it failed (the submission goes on).
    virtual bool ContributeToFormSubmit();
    // The contribution of each kind of control: its (name, value) pair; the same when checked; a submit button's
    // pair when it was clicked (or the step's rules for unclicked buttons let it); the pair with the generated
    // inner markup as value.
    bool ContributeToFormSubmit_Regular(bool mbIsFile);
    bool ContributeToFormSubmit_Checked(bool mbChecked);
    bool ContributeToFormSubmit_Submit(bool mbClicked);
    bool ContributeToFormSubmit_InnerHTML();
    // Adds one pair with this control's form; the name is the control's unless given.
    bool AddPairToForm(const std::u16string& mdsName, const std::u16string& mdsValue, bool mbIsFile);
    // Some controls are sent without a name (an image button's bare x and y).
    void SetContributesWithoutName(bool mbOn) { _bContributesWithoutName = mbOn; }
    bool ContributesWithoutName() const { return _bContributesWithoutName; }

    // ---- Users ----
    // The user typed this text (the value is replaced; a read-only or disabled control keeps its own): the
    // maximum length is checked and reported, never applied. False when the value was not taken.
    bool UserSetValueDcs_Text(const char* mpsfValueStr, unsigned muValueLenInBytes);
    bool UserSetValueU16n_Text(const char16_t* mpwsfValueStr, unsigned muValueLenInChars);
    // A test step types into the control, with the events a typing user causes. Controls that take no text
    // refuse (false, with the reason).
    virtual bool UserSetText(const std::u16string& mdsText, std::string* mpdsReason);
    // The maximum length of a typed value; none (0x7FFFFFFF) unless the control has one.
    virtual long GetEffectiveMaxLengthOrLongMax() const { return 0x7FFFFFFF; }
    // Back to the default, by the form's reset().
    virtual void Reset();

    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    static const KxwJswClassInformation& GetFormControlClassInformation();
    // Whether a script assigned undefined (properties that ignore it take the value unconverted, "*").
    static bool IsUndefinedValue(const KxwDomPropertyInfo& mrtPropertyInfo);
    // The truth of a script's value as scripts see it, whether converted or not.
    static bool TruthOf(const KxwDomPropertyInfo& mrtPropertyInfo);

    static constexpr short kIdForm = KxwDomHtmlElementWithName::kFirstDerivedTinyId;  // 8
    static constexpr short kIdValue = kIdForm + 1;
    static constexpr short kIdDisabled = kIdForm + 2;
    static constexpr short kFirstDerivedTinyId = kIdForm + 3;

protected:
    // The typing itself for the controls that take text: a disabled or read-only one refuses (mpszTag names it in
    // the reason), another gets CHANGE with the typed text as a user's typing sends it.
    bool FireUserTyping(const std::u16string& mdsText, const char* mpszTag, std::string* mpdsReason);
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;
    // The value attribute of the markup; a control may refuse it or keep a default beside it.
    virtual void SetValueParsed(const char* mpszParsedValue);
    // What generated markup writes as the value attribute (a password writes none).
    virtual bool GetValueForHtmlAttribute(std::u16string& mrdsValue) const;
    // A script assigned the value: undefined is ignored.
    virtual void SetValueFromScript(KxwDomPropertyInfo& mrtPropertyInfo);
    KxwDomHtmlPropertyStr& ValueProperty() { return _tValue; }
    // The index of a type name in a table (ASCII case and blanks around it ignored), or -1.
    static int FindTypeName(const char* const* mppszTypes, int miCount, const char* mpsfName, size_t mnLen);
    // A type given by a script once the control is in a tree is refused (reported): its collections were chosen
    // by the type it has.
    bool RefuseTypeChange(const std::string& mdsNew, const char* mpszOld);
    KxwDomHtmlPropertyStr& DefaultValueProperty() { return _tDefaultValue; }

private:
    KxwDomHtmlPropertyStr _tValue;
    KxwDomHtmlPropertyStr _tDefaultValue;
    bool _bContributesWithoutName = false;
    KxwDomHtmlPropertyBool _tDisabled;
};
