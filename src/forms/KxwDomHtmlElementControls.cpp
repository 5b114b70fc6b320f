#include "KxwDomHtmlElementControls.h"

#include <cstring>
#include <string>

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "KxwUtilStrCompare.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr short kIdType = KxwDomHtmlElementButton::kIdType;

const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};
const KxwJswPropertySpec katNoProperties[] = {{nullptr, 0, 0, nullptr}};
const KxwJswPropertySpec katTypeProperties[] = {
    {"type", kIdType, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};

const char* const kapszButtonTypes[KXW_DOM_HTML_BUTTON_TYPE_COUNT] = {"submit", "reset", "button"};

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Controls

KxwDomHtmlElementControl::KxwDomHtmlElementControl(KxwDomHtmlDocument* mptOwnerDocument,
                                                   KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype, bool mbUseMemMgr)
    : KxwDomHtmlElementFormControl(mptOwnerDocument, meSubtype, mbUseMemMgr) {}

namespace {

// new Option(text, value, defaultSelected, selected): an OPTION of the calling script's page, in no tree yet.
KxwJswUserObjBase* construct_Option(KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlElement* ptOption = xfptKxwDomHtmlElementConstructForScript("OPTION", "Option");
    if (!ptOption) return nullptr;
    if (mrtArgs.Length() > 0 && !mrtArgs.Get(0).IsUndefined()) {
        std::u16string dsText;
        if (!mrtArgs.Get(0).ToStringU16n(dsText, mrtArgs.GetContext())) return nullptr;
        ptOption->SetInnerTextU16n(dsText.data(), static_cast<unsigned>(dsText.size()));
    }
    if (mrtArgs.Length() > 1 && !mrtArgs.Get(1).IsUndefined()) ptOption->SetAttribute(u"value", 5, mrtArgs.Get(1), 0);
    bool bDefaultSelected = mrtArgs.Length() > 2 && mrtArgs.Get(2).GetBoolean(mrtArgs.GetContext());
    bool bSelected = mrtArgs.Length() > 3 && mrtArgs.Get(3).GetBoolean(mrtArgs.GetContext());
    if (bDefaultSelected || bSelected) {
        KxwJsval tTrue;
        tTrue.SetBoolean(true);
        ptOption->SetAttribute(u"selected", 8, tTrue, 0);
    }
    return ptOption;
}

const KxwJswCtorRegistrator katOptionConstructors[] = {
    {"Option", construct_Option, 4},
    {nullptr, nullptr, 0},
};

}  // namespace

const KxwJswClassInformation& KxwDomHtmlElementControl::GetOptionClassInformation() {
    static const KxwJswClassInformation ktOption(&GetFormControlClassInformation(), "option", katNoProperties,
                                                 katNoMethods, katOptionConstructors);
    return ktOption;
}

const KxwJswClassInformation* KxwDomHtmlElementControl::GetClassInformation() const {
    static const KxwJswClassInformation ktSelect(&GetFormControlClassInformation(), "select", katNoProperties,
                                                 katNoMethods);
    const KxwJswClassInformation& ktOption = GetOptionClassInformation();
    static const KxwJswClassInformation ktTextArea(&GetFormControlClassInformation(), "textArea", katNoProperties,
                                                   katNoMethods);
    switch (GetNodeSubtype()) {
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SELECT:
            return &ktSelect;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OPTION:
            return &ktOption;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TEXTAREA:
            return &ktTextArea;
        default:
            return &GetFormControlClassInformation();
    }
}

// ---------------------------------------------------------------------------------------------------------------
// BUTTON

KxwDomHtmlElementButton::KxwDomHtmlElementButton(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementFormControl(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BUTTON, mbUseMemMgr) {}

const char* KxwDomHtmlElementButton::GetTypeName(KXW_DOM_HTML_BUTTON_TYPE_ENUM meType) {
    return meType < KXW_DOM_HTML_BUTTON_TYPE_COUNT ? kapszButtonTypes[meType] : "button";
}

void KxwDomHtmlElementButton::SetTypeParsed(const char* mpszParsedValue) {
    if (_bTypeSpecified) return;
    const char* pszValue = ParsedText(mpszParsedValue);
    int iType = FindTypeName(kapszButtonTypes, KXW_DOM_HTML_BUTTON_TYPE_COUNT, pszValue, std::strlen(pszValue));
    _eType = iType < 0 ? KXW_DOM_HTML_BUTTON_TYPE_BUTTON : static_cast<KXW_DOM_HTML_BUTTON_TYPE_ENUM>(iType);
    _bTypeSpecified = true;
}

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
                                                    katNoMethods);
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
    int iType = FindTypeName(kapszButtonTypes, KXW_DOM_HTML_BUTTON_TYPE_COUNT, dsNew.data(), dsNew.size());
    auto eNew = iType < 0 ? KXW_DOM_HTML_BUTTON_TYPE_BUTTON : static_cast<KXW_DOM_HTML_BUTTON_TYPE_ENUM>(iType);
    if (eNew == _eType) return true;
    if (RefuseTypeChange(dsNew, GetTypeName(_eType))) return false;
    _eType = eNew;
    _bTypeSpecified = true;
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Hierarchy dump

void KxwDomHtmlElementControl::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    KxwDomHtmlElement::PrintMe(miIndent, meSevLvl, mulMask);
    if (GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OPTION &&
        (mulMask & KXW_DOM_PRINT_MASK_INNER_TEXTS) && xfbKxwUtilIsSevLvlEnabled(meSevLvl))
        PrintInnerTextLine(miIndent, meSevLvl);
}

void KxwDomHtmlElementButton::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    KxwDomHtmlElement::PrintMe(miIndent, meSevLvl, mulMask);
    if (!(mulMask & KXW_DOM_PRINT_MASK_INNER_TEXTS) || !xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    // The raw value is the value property as written or set.
    std::string dsValue;
    long liValueLen = GetPrintableDcs(GetValueProperty(), 1500, dsValue);
    // The markup of the content is not generated by the library yet: the dump says so rather than guess it.
    xfvKxwUtilReportBySevLvl(meSevLvl,
                             "%*s[The raw value of the <BUTTON> is \"%.1500s\" (DCS length=%ld), the innerHTML is "
                             "\"%.1500s\" (DCS length=%ld)]",
                             GetPrintingTextIndent(miIndent), "", dsValue.c_str(), liValueLen, "[Unavailable]", -1L);
}

void KxwDomHtmlElementButton::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    const char* pszType = GetTypeName(_eType);
    if (pszType && *pszType)
        mrtText.ConcatHtmlPropertyByValue("type", 4, pszType, static_cast<int>(std::strlen(pszType)));
    KxwDomHtmlElementFormControl::GenerateHtmlProperties(mrtText);
}
