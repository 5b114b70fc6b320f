// OPTION: one choice of a list. Its text is its text content; its value is the value attribute, or the text when
// it has none. Its selected state is a resettable boolean (the markup's "selected" is the default and the first
// current state); the list it lies in (the nearest SELECT above it, through an OPTGROUP) keeps the selection
// consistent, so every change of the state goes through that list. Script class "option", whose constructor is
// the window's Option(text, value, defaultSelected, selected).
#pragma once

#include <string>

#include "KxwDomHtmlElementFormControl.h"
#include "KxwDomHtmlProperty.h"

class KxwDomHtmlElementSelect;

class KxwDomHtmlElementOption : public KxwDomHtmlElementFormControl {
public:
    KxwDomHtmlElementOption(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    // The list the option belongs to: the nearest SELECT above it, or null. Found from the tree every time, so
    // that it can never outlive the list.
    KxwDomHtmlElementSelect* GetOwningElementSelect() const;

    // ---- Selected state ----
    bool IsSelected() const { return _tSelected.GetBool(); }
    bool GetDefaultSelected() const { return _tSelected.GetDefaultBool(); }
    void SetDefaultSelected(bool mbSelected) { _tSelected.SetDefaultBool(mbSelected); }
    // Sets the state and tells the owning list, which keeps a single-selection list to one selected option.
    void SetSelected(bool mbSelected);
    void SetSelectedParsed(const char* mpszParsedValue) {
        _tSelected.SetParsed(mpszParsedValue);
        _bSelectedFromMarkup = true;
    }
    // The state is the markup's, not a script's: a list that gets such an option keeps the selection it has.
    bool IsSelectedFromMarkup() const { return _bSelectedFromMarkup; }
    // For the list's own bookkeeping: the bit alone (marked specified).
    void SetSelectedWithoutNotifyingOwningSelect(bool mbSelected);
    // The bit alone, not marked: a drop-down list choosing its first option by itself.
    void SetSelectedImplicitly(bool mbSelected) { _tSelected.SetBool(mbSelected); }

    // ---- Text and value ----
    // The text content with runs of blanks made one space and the ends trimmed, as lists show it.
    std::u16string GetTextU16n() const;
    void SetTextU16n(const std::u16string& mdsText);
    // The value attribute when given, else the text.
    std::u16string GetValueU16n() const override;
    // The index in the owning list's options, or 0 outside a list.
    long GetIndex() const;

    // The list contributes for its options.
    bool ContributeToFormSubmit() override { return true; }
    // Back to the default state, without the owning list (which recounts once for all its options).
    void Reset() override { _tSelected.Reset(); }

    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;
    // " selected" when selected: in a single-selection list when it is the list's selected option.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    // The class "option", whose constructor is the window's Option.
    static const KxwJswClassInformation& GetOptionClassInformation();

    static constexpr short kIdText = KxwDomHtmlElementFormControl::kFirstDerivedTinyId;
    static constexpr short kIdSelected = kIdText + 1;
    static constexpr short kIdDefaultSelected = kIdText + 2;
    static constexpr short kIdIndex = kIdText + 3;
    static constexpr short kIdLabel = kIdText + 4;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyResettableBool _tSelected;
    KxwDomHtmlPropertyStr _tLabel;
    bool _bSelectedFromMarkup = false;
};
