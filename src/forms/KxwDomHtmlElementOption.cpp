#include "KxwDomHtmlElementOption.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlElementSelect.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"

namespace {

using Option = KxwDomHtmlElementOption;
constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;

const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};
const KxwJswPropertySpec katOptionProperties[] = {
    {"text", Option::kIdText, kAttr, "S"},
    {"selected", Option::kIdSelected, kAttr, "b"},
    {"defaultSelected", Option::kIdDefaultSelected, kAttr, "b"},
    {"index", Option::kIdIndex, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"label", Option::kIdLabel, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};

bool IsBlank(char16_t mc) {
    return mc == u' ' || mc == u'\t' || mc == u'\n' || mc == u'\r' || mc == u'\f';
}

// new Option(text, value, defaultSelected, selected): an OPTION of the calling script's page, in no tree yet. It
// lies on its document's list of disconnected nodes, so it goes with the document unless a list takes it.
KxwJswUserObjBase* construct_Option(KxwJswCallArgs& mrtArgs) {
    if (mrtArgs.Length() > 4)
        xfvKxwUtilReportBySevLvl(xfeKxwUtilJavaScriptErrorSevLvl(),
                                 "Possible error: Unrecognized KxwDomHtmlElementOption::DefaultConstructOption "
                                 "argument: miArgc (%d) > 4",
                                 static_cast<int>(mrtArgs.Length()));
    auto* ptOption = dynamic_cast<Option*>(xfptKxwDomHtmlElementConstructForScript("OPTION", "Option"));
    if (!ptOption) return nullptr;
    if (mrtArgs.Length() > 0 && !mrtArgs.Get(0).IsUndefined()) {
        std::u16string dsText;
        if (!mrtArgs.Get(0).ToStringU16n(dsText, mrtArgs.GetContext())) return ptOption;
        ptOption->SetTextU16n(dsText);
    }
    if (mrtArgs.Length() > 1 && !mrtArgs.Get(1).IsUndefined()) {
        std::u16string dsValue;
        if (!mrtArgs.Get(1).ToStringU16n(dsValue, mrtArgs.GetContext())) return ptOption;
        ptOption->SetValueU16n(dsValue.data(), static_cast<unsigned>(dsValue.size()));
    }
    bool bDefaultSelected = mrtArgs.Length() > 2 && mrtArgs.Get(2).GetBoolean(mrtArgs.GetContext());
    bool bSelected = mrtArgs.Length() > 3 && mrtArgs.Get(3).GetBoolean(mrtArgs.GetContext());
    ptOption->SetDefaultSelected(bDefaultSelected);
    ptOption->SetSelectedWithoutNotifyingOwningSelect(bSelected);
    return ptOption;
}

const KxwJswCtorRegistrator katOptionConstructors[] = {
    {"Option", construct_Option, 4},
    {nullptr, nullptr, 0},
};

}  // namespace

KxwDomHtmlElementOption::KxwDomHtmlElementOption(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementFormControl(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OPTION, mbUseMemMgr),
      _tLabel(GetDomEnv()) {}

KxwDomHtmlElementSelect* KxwDomHtmlElementOption::GetOwningElementSelect() const {
    for (KxwDomCoreNode* ptAncestor = GetDomParentNode(); ptAncestor; ptAncestor = ptAncestor->GetDomParentNode()) {
        if (!ptAncestor->IsElementNode()) continue;
        if (ptAncestor->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SELECT)
            return static_cast<KxwDomHtmlElementSelect*>(KxwJswUserObjBase::ConvertToElement(ptAncestor));
    }
    return nullptr;
}

void KxwDomHtmlElementOption::SetSelected(bool mbSelected) {
    SetSelectedWithoutNotifyingOwningSelect(mbSelected);
    if (KxwDomHtmlElementSelect* ptSelect = GetOwningElementSelect()) ptSelect->SelectedOptionChange(mbSelected, this);
}

void KxwDomHtmlElementOption::SetSelectedWithoutNotifyingOwningSelect(bool mbSelected) {
    _tSelected.SetBool(mbSelected);
    _tSelected.SetSpecified(true);
    _bSelectedFromMarkup = false;
}

std::u16string KxwDomHtmlElementOption::GetTextU16n() const {
    std::u16string dsRaw = GetInnerText();
    std::u16string dsText;
    dsText.reserve(dsRaw.size());
    bool bPendingBlank = false;
    for (char16_t c : dsRaw) {
        if (IsBlank(c)) {
            bPendingBlank = !dsText.empty();
            continue;
        }
        if (bPendingBlank) dsText += u' ';
        bPendingBlank = false;
        dsText += c;
    }
    return dsText;
}

void KxwDomHtmlElementOption::SetTextU16n(const std::u16string& mdsText) {
    KxwDomWatchDelete tWatch("KxwDomHtmlElementOption::SetTextU16n", this);
    DeleteChildren(true);
    if (tWatch.HasBeenDeleted()) return;
    SetInnerTextU16n(mdsText.data(), static_cast<unsigned>(mdsText.size()));
}

std::u16string KxwDomHtmlElementOption::GetValueU16n() const {
    if (!IsSpecifiedValue()) return GetTextU16n();
    return KxwDomHtmlElementFormControl::GetValueU16n();
}

long KxwDomHtmlElementOption::GetIndex() const {
    KxwDomHtmlElementSelect* ptSelect = GetOwningElementSelect();
    long liIndex = ptSelect ? ptSelect->GetOptionIndex(this) : -1;
    return liIndex < 0 ? 0 : liIndex;
}

bool KxwDomHtmlElementOption::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "selected")) {
        SetSelectedParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "label")) {
        _tLabel.SetParsed(ParsedText(mpszValueOrNull));
        return true;
    }
    return KxwDomHtmlElementFormControl::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementOption::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementFormControl::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementOption&>(mrtClone);
    rtClone._tSelected = _tSelected;
    rtClone._bSelectedFromMarkup = _bSelectedFromMarkup;
    CopySpecifiedText(_tLabel, rtClone._tLabel);
}

void KxwDomHtmlElementOption::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    KxwDomHtmlElement::PrintMe(miIndent, meSevLvl, mulMask);
    if ((mulMask & KXW_DOM_PRINT_MASK_INNER_TEXTS) && xfbKxwUtilIsSevLvlEnabled(meSevLvl))
        PrintInnerTextLine(miIndent, meSevLvl);
}

void KxwDomHtmlElementOption::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    KxwDomHtmlElementSelect* ptSelect = GetOwningElementSelect();
    bool bSelected = ptSelect && !ptSelect->IsMultiple() ? ptSelect->GetSelectedOption() == this : IsSelected();
    mrtText.ConcatHtmlPropertyByValue("selected", 8, bSelected);
    KxwDomHtmlElementFormControl::GenerateHtmlProperties(mrtText);
}

const KxwJswClassInformation& KxwDomHtmlElementOption::GetOptionClassInformation() {
    static const KxwJswClassInformation ktOption(&GetFormControlClassInformation(), "option", katOptionProperties,
                                                 katNoMethods, katOptionConstructors);
    return ktOption;
}

const KxwJswClassInformation* KxwDomHtmlElementOption::GetClassInformation() const {
    return &GetOptionClassInformation();
}

bool KxwDomHtmlElementOption::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdValue:
            // A value that was given reads as given (its attribute node is specified: libraries tell an option
            // with a value from one without by it); otherwise the text, not specified.
            if (IsSpecifiedValue())
                mrtPropertyInfo = GetValueProperty();
            else
                AssignTemporaryText(mrtPropertyInfo, GetTextU16n());
            return true;
        case kIdText:
            AssignTemporaryText(mrtPropertyInfo, GetTextU16n());
            return true;
        case kIdSelected:
            mrtPropertyInfo = IsSelected();
            return true;
        case kIdDefaultSelected:
            mrtPropertyInfo = GetDefaultSelected();
            return true;
        case kIdIndex:
            mrtPropertyInfo = static_cast<int>(GetIndex());
            return true;
        case kIdLabel: {
            const char16_t* pwsfLabel = _tLabel.GetU16nStr();
            if (!_tLabel.IsSpecified() || !pwsfLabel) {
                AssignTemporaryText(mrtPropertyInfo, GetTextU16n());
                return true;
            }
            AssignTemporaryText(mrtPropertyInfo, std::u16string(pwsfLabel, _tLabel.GetU16nLenInChars()));
            return true;
        }
        default:
            return KxwDomHtmlElementFormControl::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementOption::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kIdText) return KxwDomHtmlElementFormControl::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    if (!mrtPropertyInfo.HasValue() || mrtPropertyInfo.GetType() == KXW_DOM_PROPERTY_INFO_TYPE_UNDEFINED) return true;
    switch (mnTinyId) {
        case kIdText:
            SetTextU16n(std::u16string(mrtPropertyInfo.ConvertAndGetStringU16n(),
                                       mrtPropertyInfo.ConvertAndGetStringU16nLength()));
            return true;
        case kIdSelected: {
            KxwDomHtmlPropertyBool tValue;
            tValue = mrtPropertyInfo;
            SetSelected(tValue.GetBool());
            return true;
        }
        case kIdDefaultSelected: {
            KxwDomHtmlPropertyBool tValue;
            tValue = mrtPropertyInfo;
            SetDefaultSelected(tValue.GetBool());
            return true;
        }
        case kIdLabel:
            StoreScriptText(_tLabel, mrtPropertyInfo);
            return true;
        default:
            return true;
    }
}
