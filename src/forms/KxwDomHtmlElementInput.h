// INPUT: a form control whose behaviour follows its type, through the input handler made for that type. The type
// is fixed by its first setting, as the emulated browser has it: the document's per-type collections never go
// stale. Radio buttons of one form and one name form a radio group of the document.
#pragma once

#include <memory>

#include "KxwDomHtmlElementFormControl.h"
#include "KxwDomHtmlProperty.h"

class KxwDomHtmlElementInputHandlerBase;
class KxwDomHtmlRadioGroup;

enum KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM : unsigned char {
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_TEXT = 0,
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_PASSWORD = 1,
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_CHECKBOX = 2,
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_RADIO = 3,
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_SUBMIT = 4,
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_RESET = 5,
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_FILE = 6,
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_HIDDEN = 7,
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_IMAGE = 8,
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_BUTTON = 9,
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_NOT_SPECIFIED = 10,  // reads as text everywhere
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_COUNT = 10,
};

class KxwDomHtmlElementInput : public KxwDomHtmlElementFormControl {
public:
    KxwDomHtmlElementInput(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);
    ~KxwDomHtmlElementInput() override;

    // ---- Type ----
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM GetTypeEnum() const { return NormalizedTypeEnum(_eType); }
    static KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM NormalizedTypeEnum(int miType) {
        return miType >= 0 && miType < KXW_DOM_HTML_ELEMENT_INPUT_TYPE_COUNT
                   ? static_cast<KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM>(miType)
                   : KXW_DOM_HTML_ELEMENT_INPUT_TYPE_TEXT;
    }
    bool IsTypeSpecified() const { return _eType != KXW_DOM_HTML_ELEMENT_INPUT_TYPE_NOT_SPECIFIED; }
    const char* GetTypeNameAscStr() const { return GetTypeName(GetTypeEnum()); }
    // Every setter goes through SetTypeEnum: the same type is accepted, a first one stored, a change refused.
    void SetTypeParsed(const char* mpszParsedValue);
    bool SetTypeDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    bool SetTypeU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    bool SetTypeEnum(KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM meType, const char* mpszNewNameForReport);
    // An unknown name is text.
    static KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM GetTypeByName(const char* mpsfName, unsigned muLen);
    static const char* GetTypeName(KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM meType);
    // The handler of the type the input has now, made on first use.
    KxwDomHtmlElementInputHandlerBase* GetHtmlElementInputHandler();

    // ---- Checked state ----
    const KxwDomHtmlPropertyResettableBool& GetChecked() const { return _tChecked; }
    bool GetDefaultChecked() const { return _tChecked.GetDefaultBool(); }
    void SetDefaultChecked(bool mbChecked) { _tChecked.SetDefaultBool(mbChecked); }
    // The checked bit returns to the default.
    void ResetChecked() { _tChecked.Reset(); }
    // The input's own checked bit (marked specified); a radio in a group is checked through its group.
    void SetInputChecked(bool mbChecked);
    bool IsChecked();
    bool IsClicked();
    void SetHandlerChecked(bool mbChecked);
    void SetRadioGroup(KxwDomHtmlRadioGroup* mptRadioGroup);
    KxwDomHtmlRadioGroup* GetRadioGroup();

    // ---- Other properties ----
    const KxwDomHtmlPropertyBool& GetReadOnly() const { return _tReadOnly; }
    void SetReadOnlyBool(bool mbReadOnly) {
        _tReadOnly.SetBool(mbReadOnly);
        _tReadOnly.SetSpecified(true);
    }
    bool IsReadOnly() const override { return _tReadOnly.GetBool(); }
    const KxwDomHtmlPropertyStr& GetMaxLength() const { return _tMaxLength; }
    const KxwDomHtmlPropertyStr& GetAlt() const { return _tAlt; }
    const KxwDomHtmlPropertyStr& GetUseMap() const { return _tUseMap; }
    const KxwDomHtmlPropertyStr& GetSrc() const { return _tSrc; }
    // The maxLength attribute read as an HTML number; none (0x7FFFFFFF) when absent or not a number.
    long GetEffectiveMaxLengthOrLongMax() const override;
    // src resolved against the input's base URL.
    std::string GetAbsoluteSrc() const;

    // ---- Value ----
    std::u16string GetValueU16n() const override;
    // The value in the page's character set.
    std::string GetValueDcs() const;
    void SetValueDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) override;
    void SetValueU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) override;
    bool HasSecretValue() const override;
    // Back to the default, by the form's reset().
    void Reset() override;
    // The value returns to defaultValue.
    void ResetNodeValue();
    // A file input's value comes from a test step only.
    void SetFileValueFromUser(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);

    // ---- Submission and users ----
    bool ContributeToFormSubmit() override;
    bool UserSetText(const std::u16string& mdsText, std::string* mpdsReason) override;
    // A test step sets a check box or chooses a radio button: a user click when the state differs (a radio
    // button is always clicked).
    bool UserSetChecked(bool mbChecked, std::string* mpdsReason);

    // ---- Events ----
    bool CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) override;
    void DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) override;
    void DoAfterEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) override;
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM DoEventDefaultAction(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                           const KxwDomEventData* mptDomEventDataOrNULL) override;
    // A radio button joins its group when it comes into a document and leaves it when it goes.
    void NotifyDocumentConnection(KxwDomHtmlDocument& mrtDocument, bool mbConnectedToDocument) override;

    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    // A text range on an input reads and writes its value, as text and as htmlText alike.
    short GetTextRangeReplacedTinyId(short msiOriginalTinyId) const override;

    static constexpr short kIdMaxLength = KxwDomHtmlElementFormControl::kFirstDerivedTinyId;  // 11
    static constexpr short kIdAlt = kIdMaxLength + 1;
    static constexpr short kIdUseMap = kIdMaxLength + 2;
    static constexpr short kIdReadOnly = kIdMaxLength + 3;
    static constexpr short kIdType = kIdMaxLength + 4;  // 15
    static constexpr short kIdChecked = kIdMaxLength + 5;
    static constexpr short kIdDefaultChecked = kIdMaxLength + 6;
    static constexpr short kIdDefaultValue = kIdMaxLength + 7;
    static constexpr short kIdSrc = kIdMaxLength + 8;
    static constexpr short kIdStatus = kIdMaxLength + 10;  // 21

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;
    void SetValueParsed(const char* mpszParsedValue) override;
    bool GetValueForHtmlAttribute(std::u16string& mrdsValue) const override;
    void SetValueFromScript(KxwDomPropertyInfo& mrtPropertyInfo) override;

private:
    // The length a value keeps: under a browser other than Internet Explorer, at most the effective maximum length
    // (in characters).
    unsigned GetEffectiveValueLen(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) const;
    // The radio button files itself again (its name or form changed, or it came into a document).
    void RefileRadio(bool mbInDocument);
    void HandleSrcChanged();

    std::unique_ptr<KxwDomHtmlElementInputHandlerBase> _ptInputHandler;
    KxwDomHtmlPropertyStr _tMaxLength;
    KxwDomHtmlPropertyStr _tAlt;
    KxwDomHtmlPropertyStr _tUseMap;
    KxwDomHtmlPropertyBool _tReadOnly;
    KxwDomHtmlPropertyResettableBool _tChecked;
    KxwDomHtmlPropertyStr _tSrc;
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM _eType = KXW_DOM_HTML_ELEMENT_INPUT_TYPE_NOT_SPECIFIED;
};
