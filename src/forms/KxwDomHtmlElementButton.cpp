#include "KxwDomHtmlElementButton.h"

#include <cstring>
#include <string>

#include "KxwDomBindingUtil.h"
#include "KxwDomEventData.h"
#include "KxwDomHtmlElementForm.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomTextRange.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "KxwUtilStrCompare.h"
#include "kxw/KxwEnvCfg.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr short kIdType = KxwDomHtmlElementButton::kIdType;

bool createTextRange_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return KxwDomTextRange::CreateTextRangeCall("KxwDomHtmlElementButton::createTextRange_callback", mptUserObj,
                                                mrtArgs);
}

const KxwJswMethodSpec katButtonMethods[] = {
    {"createTextRange", nullptr, nullptr, 0, createTextRange_callback},
    {nullptr, nullptr, nullptr, 0},
};
const KxwJswPropertySpec katTypeProperties[] = {
    {"type", kIdType, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};

const char* const kapszButtonTypes[KXW_DOM_HTML_BUTTON_TYPE_COUNT] = {"submit", "reset", "button"};

}  // namespace

KxwDomHtmlElementButton::KxwDomHtmlElementButton(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementFormControl(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BUTTON, mbUseMemMgr) {}

const char* KxwDomHtmlElementButton::GetTypeName(KXW_DOM_HTML_BUTTON_TYPE_ENUM meType) {
    return meType < KXW_DOM_HTML_BUTTON_TYPE_COUNT ? kapszButtonTypes[meType] : "button";
}

KXW_DOM_HTML_BUTTON_TYPE_ENUM KxwDomHtmlElementButton::TypeOfName(const char* mpsfName, size_t mnLen) {
    int iType = FindTypeName(kapszButtonTypes, KXW_DOM_HTML_BUTTON_TYPE_COUNT, mpsfName, mnLen);
    if (iType >= 0) return static_cast<KXW_DOM_HTML_BUTTON_TYPE_ENUM>(iType);
    if (mnLen != 0 && xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "Unrecognized type for <BUTTON>.  Assuming \"button\" in KxwDomHtmlElementButton::GetTypeEnum");
    return KXW_DOM_HTML_BUTTON_TYPE_BUTTON;
}

void KxwDomHtmlElementButton::SetTypeParsed(const char* mpszParsedValue) {
    if (_bTypeSpecified) return;
    const char* pszValue = ParsedText(mpszParsedValue);
    _eType = TypeOfName(pszValue, std::strlen(pszValue));
    _bTypeSpecified = true;
}

// ---------------------------------------------------------------------------------------------------------------
// Events

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomHtmlElementButton::DoEventDefaultAction(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CLICK)
        return KxwDomHtmlElementFormControl::DoEventDefaultAction(meEventType, mptDomEventDataOrNULL);
    if (_eType == KXW_DOM_HTML_BUTTON_TYPE_BUTTON) return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    KxwDomHtmlElementForm* ptForm = GetContainingForm();
    if (!ptForm || IsDisabled()) return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    if (_eType == KXW_DOM_HTML_BUTTON_TYPE_RESET) {
        ptForm->Reset();
        return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    }
    // The click's data names this button: the form's walk lets it contribute in its place.
    KxwDomEventData tData;
    if (mptDomEventDataOrNULL) tData = *mptDomEventDataOrNULL;
    if (!tData.GetOriginatingElement()) tData.SetOriginatingElement(this);
    ptForm->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_SUBMIT, &tData, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
}

// ---------------------------------------------------------------------------------------------------------------
// Markup and script

bool KxwDomHtmlElementButton::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "type")) {
        SetTypeParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElementFormControl::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementButton::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementFormControl::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementButton&>(mrtClone);
    rtClone._eType = _eType;
    rtClone._bTypeSpecified = _bTypeSpecified;
}

const KxwJswClassInformation* KxwDomHtmlElementButton::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetFormControlClassInformation(), "button", katTypeProperties,
                                                    katButtonMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementButton::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdType) return KxwDomHtmlElementFormControl::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    const char* pszType = GetTypeName(_eType);
    std::u16string dsType(pszType, pszType + std::strlen(pszType));
    AssignTemporaryText(mrtPropertyInfo, std::move(dsType));
    return true;
}

bool KxwDomHtmlElementButton::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdType) return KxwDomHtmlElementFormControl::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    if (!mrtPropertyInfo.HasValue()) return true;
    std::string dsNew =
        ToDcs(mrtPropertyInfo.ConvertAndGetStringU16n(), mrtPropertyInfo.ConvertAndGetStringU16nLength());
    KXW_DOM_HTML_BUTTON_TYPE_ENUM eNew = TypeOfName(dsNew.data(), dsNew.size());
    if (eNew == _eType) return true;
    if (RefuseTypeChange(dsNew, GetTypeName(_eType))) return false;
    _eType = eNew;
    _bTypeSpecified = true;
    return true;
}

void KxwDomHtmlElementButton::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    KxwDomHtmlElement::PrintMe(miIndent, meSevLvl, mulMask);
    if (!(mulMask & KXW_DOM_PRINT_MASK_INNER_TEXTS) || !xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    // The raw value is the value property as written or set.
    std::string dsValue;
    long liValueLen = GetPrintableDcs(GetValueProperty(), 1500, dsValue);
    // Generating the markup only reads the tree.
    std::u16string dsInner = const_cast<KxwDomHtmlElementButton*>(this)->GetInnerOuterHtml(false);
    std::string dsInnerShown;
    long liInnerLen = GetPrintableDcs(dsInner.data(), dsInner.size(), 1500, dsInnerShown);
    xfvKxwUtilReportBySevLvl(meSevLvl,
                             "%*s[The raw value of the <BUTTON> is \"%.1500s\" (DCS length=%ld), the innerHTML is "
                             "\"%.1500s\" (DCS length=%ld)]",
                             GetPrintingTextIndent(miIndent), "", dsValue.c_str(), liValueLen, dsInnerShown.c_str(),
                             liInnerLen);
}

void KxwDomHtmlElementButton::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    const char* pszType = GetTypeName(_eType);
    if (pszType && *pszType)
        mrtText.ConcatHtmlPropertyByValue("type", 4, pszType, static_cast<int>(std::strlen(pszType)));
    KxwDomHtmlElementFormControl::GenerateHtmlProperties(mrtText);
}
