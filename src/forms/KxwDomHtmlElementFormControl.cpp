#include "KxwDomHtmlElementFormControl.h"

#include <cstring>

#include "KxwDomBindingUtil.h"
#include "KxwDomEventData.h"
#include "KxwDomHtmlElementForm.h"
#include "KxwDomHtmlElementInputHandler.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "KxwUtilStrCompare.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwJsval.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr short kIdForm = KxwDomHtmlElementFormControl::kIdForm;
constexpr short kIdValue = KxwDomHtmlElementFormControl::kIdValue;
constexpr short kIdDisabled = KxwDomHtmlElementFormControl::kIdDisabled;

const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};
const KxwJswPropertySpec katFormControlProperties[] = {
    {"form", kIdForm, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"value", kIdValue, kAttr, "*"},
    {"disabled", kIdDisabled, kAttr, "b"},
    {nullptr, 0, 0, nullptr},
};

}  // namespace

KxwDomHtmlElementFormControl::KxwDomHtmlElementFormControl(KxwDomHtmlDocument* mptOwnerDocument,
                                                           KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype, bool mbUseMemMgr)
    : KxwDomHtmlElementWithName(mptOwnerDocument, meSubtype, mbUseMemMgr),
      _tValue(GetDomEnv()),
      _tDefaultValue(GetDomEnv()) {}

KxwDomHtmlElementForm* KxwDomHtmlElementFormControl::GetContainingForm() const {
    for (KxwDomCoreNode* ptAncestor = GetDomParentNode(); ptAncestor; ptAncestor = ptAncestor->GetDomParentNode())
        if (ptAncestor->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FORM &&
            ptAncestor->IsElementNode())
            return static_cast<KxwDomHtmlElementForm*>(KxwJswUserObjBase::ConvertToElement(ptAncestor));
    return nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// Value

std::u16string KxwDomHtmlElementFormControl::GetValueU16n() const {
    const char16_t* pwsfValue = _tValue.GetU16nStr();
    return pwsfValue ? std::u16string(pwsfValue, _tValue.GetU16nLenInChars()) : std::u16string();
}

void KxwDomHtmlElementFormControl::SetValueDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    _tValue.SetDcs(mpsfDcsStr, muDcsLenInBytes);
}

void KxwDomHtmlElementFormControl::SetValueU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    _tValue.SetU16n(mpwsfU16nStr, muU16nLenInChars);
}

void KxwDomHtmlElementFormControl::SetDefaultValueU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    _tDefaultValue.SetU16n(mpwsfU16nStr, muU16nLenInChars);
}

void KxwDomHtmlElementFormControl::SetValueParsed(const char* mpszParsedValue) {
    _tValue.SetParsed(mpszParsedValue);
}

bool KxwDomHtmlElementFormControl::GetValueForHtmlAttribute(std::u16string& mrdsValue) const {
    if (!_tValue.IsSpecified() && _tValue.IsEmpty()) return false;
    mrdsValue = GetValueU16n();
    return true;
}

bool KxwDomHtmlElementFormControl::IsUndefinedValue(const KxwDomPropertyInfo& mrtPropertyInfo) {
    if (!mrtPropertyInfo.HasValue() || mrtPropertyInfo.GetType() == KXW_DOM_PROPERTY_INFO_TYPE_UNDEFINED) return true;
    return mrtPropertyInfo.GetType() == KXW_DOM_PROPERTY_INFO_TYPE_JSVAL && mrtPropertyInfo.GetJsval().IsUndefined();
}

bool KxwDomHtmlElementFormControl::TruthOf(const KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mrtPropertyInfo.GetType() == KXW_DOM_PROPERTY_INFO_TYPE_JSVAL) return mrtPropertyInfo.GetJsval().GetBoolean();
    return mrtPropertyInfo.GetBoolean();
}

void KxwDomHtmlElementFormControl::SetValueFromScript(KxwDomPropertyInfo& mrtPropertyInfo) {
    if (IsUndefinedValue(mrtPropertyInfo)) return;
    const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
    SetValueU16n(pwsfText, mrtPropertyInfo.ConvertAndGetStringU16nLength());
}

void KxwDomHtmlElementFormControl::SetDisabledBool(bool mbDisabled) {
    _tDisabled.SetBool(mbDisabled);
    _tDisabled.SetSpecified(true);
}

void KxwDomHtmlElementFormControl::Reset() {}

int KxwDomHtmlElementFormControl::FindTypeName(const char* const* mppszTypes, int miCount, const char* mpsfName,
                                               size_t mnLen) {
    if (!mpsfName) return -1;
    while (mnLen && (*mpsfName == ' ' || *mpsfName == '\t')) ++mpsfName, --mnLen;
    while (mnLen && (mpsfName[mnLen - 1] == ' ' || mpsfName[mnLen - 1] == '\t')) --mnLen;
    for (int i = 0; i < miCount; ++i)
        if (xfbKxwUtilIsEqualIgnoreCase(mpsfName, mnLen, mppszTypes[i], std::strlen(mppszTypes[i]))) return i;
    return -1;
}

bool KxwDomHtmlElementFormControl::RefuseTypeChange(const std::string& mdsNew, const char* mpszOld) {
    if (!GetParentNode()) return false;
    // The new type is the page's text: it is shown escaped.
    std::string dsNew = GetPrintableText(mdsNew.data(), mdsNew.size(), 100);
    ReportErrorWithJavaScriptLineNumber(false, -35960, dsNew.c_str(), mpszOld);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Submission

bool KxwDomHtmlElementFormControl::ShouldContributeToSubmit(bool mbCheckContainingForm) const {
    bool bShould = false;
    KxwDomHtmlElementForm* ptForm = mbCheckContainingForm ? GetContainingForm() : nullptr;
    if (!IsDisabled()) {
        const KxwDomHtmlPropertyStr& rtName = GetName();
        if (!rtName.IsEmpty())
            bShould = true;
        else if (_bContributesWithoutName || (rtName.IsSpecified() && !GetId().IsEmpty()))
            bShould = true;
        if (mbCheckContainingForm && !ptForm) bShould = false;
    }
    if (xfbKxwDetailedTraceEnabled()) {
        std::string dsName, dsId, dsValue;
        GetPrintableDcs(GetName(), 100, dsName);
        GetPrintableDcs(GetId(), 100, dsId);
        // A password's or a file input's value is the user's secret or a local path: the trace never shows it.
        if (HasSecretValue()) {
            dsValue = "[masked]";
        } else {
            std::u16string dsShown = GetValueU16n();
            GetPrintableDcs(dsShown.data(), dsShown.size(), 2000, dsValue);
        }
        xfvKxwUtilReportTraceToFile(
            "ShouldContributeToSubmit=%d for name=\"%.100s\" (IsSpecified=%d), this=%p, ContainingForm=%p, "
            "mbCheckContainingForm=%d, IsDisabled=%d, id=\"%.100s\", value=\"%.2000s\"",
            bShould, dsName.c_str(), GetName().IsSpecified(), static_cast<const void*>(this),
            static_cast<void*>(mbCheckContainingForm ? ptForm : GetContainingForm()), mbCheckContainingForm,
            IsDisabled(), dsId.c_str(), dsValue.c_str());
    }
    return bShould;
}

bool KxwDomHtmlElementFormControl::ContributeToFormSubmit() {
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "KxwDomHtmlElementFormControl::ContributeToFormSubmit not implemented for "
                                          "Type/Subtype=%d/%d",
                                          static_cast<int>(GetNodeType()), static_cast<int>(GetNodeSubtype()));
    return false;
}

bool KxwDomHtmlElementFormControl::AddPairToForm(const std::u16string& mdsName, const std::u16string& mdsValue,
                                                 bool mbIsFile) {
    KxwDomHtmlElementForm* ptForm = GetContainingForm();
    if (!ptForm) return false;
    return ptForm->AddNameAndValueSubmitBodyMainU16n(mdsName.data(), static_cast<unsigned>(mdsName.size()),
                                                     mdsValue.data(), static_cast<unsigned>(mdsValue.size()), mbIsFile);
}

namespace {
std::u16string NameOf(const KxwDomHtmlPropertyStr& mrtName) {
    const char16_t* pwsfName = mrtName.GetU16nStr();
    return pwsfName ? std::u16string(pwsfName, mrtName.GetU16nLenInChars()) : std::u16string();
}
}  // namespace

bool KxwDomHtmlElementFormControl::ContributeToFormSubmit_Regular(bool mbIsFile) {
    if (!ShouldContributeToSubmit(true)) return true;
    return AddPairToForm(NameOf(GetName()), GetValueU16n(), mbIsFile);
}

bool KxwDomHtmlElementFormControl::ContributeToFormSubmit_Checked(bool mbChecked) {
    return mbChecked ? ContributeToFormSubmit_Regular(false) : true;
}

bool KxwDomHtmlElementFormControl::ContributeToFormSubmit_Submit(bool mbClicked) {
    if (!ShouldContributeToSubmit(true)) return true;
    KxwDomHtmlElementForm* ptForm = GetContainingForm();
    if (ptForm->IsJavaScriptSubmit()) return true;
    if (!mbClicked && !ptForm->IncludeUnclickedInputSubmit(this)) return true;
    std::u16string dsValue = GetValueU16n();
    if (dsValue.empty() && xfbKxwDomUtilIsIE()) dsValue = u"Submit Query";
    return AddPairToForm(NameOf(GetName()), dsValue, false);
}

bool KxwDomHtmlElementFormControl::ContributeToFormSubmit_InnerHTML() {
    if (!ShouldContributeToSubmit(true)) return true;
    std::u16string dsValue = GetInnerOuterHtml(false);
    return AddPairToForm(NameOf(GetName()), dsValue, false);
}

// ---------------------------------------------------------------------------------------------------------------
// Users

bool KxwDomHtmlElementFormControl::UserSetValueDcs_Text(const char* mpsfValueStr, unsigned muValueLenInBytes) {
    if (!mpsfValueStr && muValueLenInBytes) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpsfValueStr=%p/mnValueLenInBytes=%ld in KxwDomHtmlElementFormControl::UserSetValueDcs_Text",
            static_cast<const void*>(mpsfValueStr), static_cast<long>(muValueLenInBytes));
        return false;
    }
    std::u16string dsValue = ToU16n(mpsfValueStr ? mpsfValueStr : "", muValueLenInBytes);
    return UserSetValueU16n_Text(dsValue.data(), static_cast<unsigned>(dsValue.size()));
}

bool KxwDomHtmlElementFormControl::UserSetValueU16n_Text(const char16_t* mpwsfValueStr, unsigned muValueLenInChars) {
    if (!mpwsfValueStr && muValueLenInChars) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpwsfValueStr=%p/muValueLenInChars=%ld in KxwDomHtmlElementFormControl::UserSetValueU16n_Text",
            static_cast<const void*>(mpwsfValueStr), static_cast<long>(muValueLenInChars));
        return false;
    }
    if (IsDisabled() || IsReadOnly()) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, -26000, __func__, __LINE__,
                                            "Attempting to change a disabled or readOnly control");
        return false;
    }
    // Characters, not bytes nor UTF-16 units: a character outside the basic plane counts once.
    long liChars = 0;
    for (unsigned u = 0; u < muValueLenInChars; ++u)
        if ((mpwsfValueStr[u] & 0xFC00) != 0xDC00) ++liChars;
    long liMax = GetEffectiveMaxLengthOrLongMax();
    if (liChars > liMax) {
        std::string dsName;
        GetPrintableDcs(GetName(), 100, dsName);
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, -35968, __func__, __LINE__, liChars,
                                            dsName.c_str(), liMax);
    }
    // A user's text is kept whole, as the emulated browser's typing does not cut it.
    ValueProperty().SetU16n(mpwsfValueStr ? mpwsfValueStr : u"", muValueLenInChars);
    return true;
}

bool KxwDomHtmlElementFormControl::UserSetText(const std::u16string& /*mdsText*/, std::string* mpdsReason) {
    if (mpdsReason) *mpdsReason = "the control does not take typed text";
    return false;
}

bool KxwDomHtmlElementFormControl::FireUserTyping(const std::u16string& mdsText, const char* mpszTag,
                                                  std::string* mpdsReason) {
    if (IsDisabled() || IsReadOnly()) {
        if (mpdsReason) *mpdsReason = std::string("the ") + mpszTag + " is disabled or read-only";
        return false;
    }
    KxwDomTypedText tTyped;
    tTyped._pwsfText = mdsText.data();
    tTyped._uLen = static_cast<unsigned>(mdsText.size());
    KxwDomEventData tData(this);
    tData.SetAdditionalData(&tTyped);
    OnUserEvent(KXW_DOM_EVENT_TYPE_ENUM_CHANGE, &tData);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Markup and script

bool KxwDomHtmlElementFormControl::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "value")) {
        SetValueParsed(ParsedText(mpszValueOrNull));
        return true;
    }
    if (IsName(mpszName, "disabled")) {
        SetDisabledParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElementWithName::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementFormControl::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementWithName::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementFormControl&>(mrtClone);
    CopySpecifiedText(_tValue, rtClone._tValue);
    CopySpecifiedText(_tDefaultValue, rtClone._tDefaultValue);
    rtClone._bContributesWithoutName = _bContributesWithoutName;
    rtClone._tDisabled = _tDisabled;
}

void KxwDomHtmlElementFormControl::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    std::u16string dsValue;
    if (GetValueForHtmlAttribute(dsValue)) {
        std::string dsDcs = ToDcs(dsValue.data(), static_cast<unsigned>(dsValue.size()));
        mrtText.ConcatHtmlPropertyByValue("value", 5, dsDcs.data(), static_cast<int>(dsDcs.size()));
    }
    mrtText.ConcatHtmlProperty("disabled", _tDisabled);
    KxwDomHtmlElementWithName::GenerateHtmlProperties(mrtText);
}

const KxwJswClassInformation& KxwDomHtmlElementFormControl::GetFormControlClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetElementWithNameClassInformation(), "formcontrol",
                                                    katFormControlProperties, katNoMethods);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlElementFormControl::GetClassInformation() const {
    return &GetFormControlClassInformation();
}

bool KxwDomHtmlElementFormControl::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdForm:
            mrtPropertyInfo.AssignDomObjectOrNull(GetContainingForm());
            return true;
        case kIdValue:
            AssignTemporaryText(mrtPropertyInfo, GetValueU16n());
            return true;
        case kIdDisabled:
            mrtPropertyInfo = IsDisabled();
            return true;
        default:
            return KxwDomHtmlElementWithName::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementFormControl::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdForm:
            return true;
        case kIdValue:
            SetValueFromScript(mrtPropertyInfo);
            return true;
        case kIdDisabled:
            if (mrtPropertyInfo.HasValue()) _tDisabled = mrtPropertyInfo;
            if (mrtPropertyInfo.HasValue()) _tDisabled.SetSpecified(true);
            return true;
        default:
            return KxwDomHtmlElementWithName::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}
