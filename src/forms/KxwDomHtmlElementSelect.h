// SELECT: a list of options, single- or multiple-selection, with "options" (the OPTION elements below it in
// document order, OPTGROUPs included, a collection scripts may add to and remove from) and the selection: the
// number of selected options and the first of them. A single-selection list never has more than one selected
// option; a drop-down one (size below 2) selects its first option when it has none and its options change. The
// selection is recounted from the options after every change, so it can never point at an option that left.
#pragma once

#include <string>

#include "KxwDomHtmlElementFormControl.h"
#include "KxwDomHtmlProperty.h"
#include "kxw/KxwDomForms.h"

class KxwDomHtmlCollectionDependentModifyable;
class KxwDomHtmlElementOption;

// A user's choice in a list, carried as a CHANGE event's additional data.
struct KxwDomHtmlElementSelectOptionAction {
    KxwDomHtmlElementOption* _ptOption = nullptr;
    int _iAction = KXW_DOM_USER_OPTION_ACTION_SELECT;
    // Set by the list when it refused the choice, with the reason.
    bool _bRefused = false;
    std::string _dsReason;
};

class KxwDomHtmlElementSelect : public KxwDomHtmlElementFormControl {
public:
    KxwDomHtmlElementSelect(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);
    ~KxwDomHtmlElementSelect() override;

    // ---- Options ----
    KxwDomHtmlCollectionDependentModifyable* GetOptions() const { return _ptOptions; }
    unsigned long GetOptionCount() const;
    KxwDomHtmlElementOption* GetOptionAt(unsigned long muliIndex) const;
    // The option's index, or -1 when it is not one of this list's.
    long GetOptionIndex(const KxwDomHtmlElementOption* mptOption) const;
    KxwDomHtmlElementOption* GetFirstOption() const { return GetOptionAt(0); }

    // ---- Kind ----
    void SetMultipleParsed(const char* mpszParsedValue);
    void SetMultipleBool(bool mbMultiple);
    const KxwDomHtmlPropertyBool& GetMultiple() const { return _tMultiple; }
    bool IsMultiple() const { return _tMultiple.GetBool(); }
    void SetSizeParsed(const char* mpszParsedValue) { _tSize.SetParsed(ParsedText(mpszParsedValue)); }
    void SetSizeU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
        _tSize.SetU16n(mpwsfU16nStr, muU16nLenInChars);
    }
    // The size attribute as a number; 0 when absent or not a number.
    long GetSizeNumeric() const;
    // A single-selection list shown as one line, which always shows a choice.
    bool IsDropDown() const { return !IsMultiple() && GetSizeNumeric() < 2; }

    // ---- Selection ----
    long GetSelectedIndex() const;
    // On a multiple list every option is deselected first; an index beyond the options selects none.
    void SetSelectedIndex(long mliIndex);
    int GetSelectedCount() const { return _iSelectedCount; }
    KxwDomHtmlElementOption* GetSelectedOption() const { return _ptSelectedOption; }
    // An option of this list changed its selected state (already stored in the option).
    void SelectedOptionChange(bool mbSelected, KxwDomHtmlElementOption* mptOption);
    // Recounts the selection from the options, reporting a count that was wrong.
    void FixSelectCount();
    void SetSelectedOptionToFirstSelected() { Recount(); }
    // Back to the markup's choice.
    void Reset() override;

    // ---- Users ----
    // A user's action on an option: FOCUS, the choice, CHANGE, BLUR. False with the reason when refused.
    bool UserChooseOption(KxwDomHtmlElementOption* mptOption, KXW_DOM_USER_OPTION_ACTION_ENUM meAction,
                          std::string* mpdsReason);
    bool CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) override;
    void DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) override;

    // ---- Value and submission ----
    // The value of the selected option, or empty.
    std::u16string GetValueU16n() const override;
    // The selected options' pairs, in option order.
    bool ContributeToFormSubmit() override;

    // ---- Tree ----
    void NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                    void* mpvNotificationObject) override;
    void NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                                  void* mpvNotificationObject) override;
    void ForgetDeletedNode(const KxwDomNodeBase* mptNode) override;
    void OnAddedToTree() override;

    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    // select[2] is its third option.
    bool GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                        KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    bool SetIndexProperty(int32_t mnIndex, void* mpvValue, unsigned mnLength,
                          KXW_JSW_OBJ_PROP_TYPE_ENUM meType) override;
    bool TakesIndexWrites() const override { return true; }
    void GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>& mrtNames) override;

    static constexpr short kIdMultiple = KxwDomHtmlElementFormControl::kFirstDerivedTinyId;
    static constexpr short kIdType = kIdMultiple + 1;
    static constexpr short kIdSize = kIdMultiple + 2;
    static constexpr short kIdOptions = kIdMultiple + 3;
    static constexpr short kIdSelectedIndex = kIdMultiple + 4;
    static constexpr short kIdLength = kIdMultiple + 5;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;
    // Selects the option with that value (a multiple list refuses, reported); none when no option has it.
    void SetValueFromScript(KxwDomPropertyInfo& mrtPropertyInfo) override;

private:
    // Files a new option of this list in document order and settles the selection.
    void OptionAdded(KxwDomHtmlElementOption* mptOption);
    void OptionRemoved(KxwDomNodeBase* mptOption);
    // Files every option of the subtree again when the collection does not hold exactly them.
    void SyncOptions();
    // The count and the first selected option from the options' own states.
    void Recount();
    // Deselects every option but mptKeepOrNull.
    void DeselectAllBut(const KxwDomHtmlElementOption* mptKeepOrNull);
    // A drop-down list without a selected option selects its first one.
    void ApplyDropDownChoice();
    // Applies a user's action; false with the reason when it is not allowed.
    bool ApplyOptionAction(KxwDomHtmlElementOption* mptOption, int miAction, std::string& mrdsReason);

    KxwDomHtmlCollectionDependentModifyable* _ptOptions = nullptr;
    KxwDomHtmlElementOption* _ptSelectedOption = nullptr;
    int _iSelectedCount = 0;
    // The drop-down list chose its first option by itself: an option selected in the markup takes over.
    bool _bSelectionImplicit = false;
    KxwDomHtmlPropertyBool _tMultiple;
    KxwDomHtmlPropertyStr _tSize;
};
