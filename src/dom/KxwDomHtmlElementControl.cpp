#include "KxwDomHtmlElementControl.h"

#include <cstring>
#include <string>

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilStrCompare.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr short kIdType = KxwDomHtmlElementControl::kIdType;

const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};
const KxwJswPropertySpec katNoProperties[] = {{nullptr, 0, 0, nullptr}};
const KxwJswPropertySpec katControlProperties[] = {
    {"name", 7, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswPropertySpec katTypeProperties[] = {
    {"type", 8, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};

const char* const kapszInputTypes[KXW_DOM_HTML_INPUT_TYPE_COUNT] = {
    "text", "password", "hidden", "checkbox", "file", "submit", "image", "reset", "button", "radio",
};
const char* const kapszButtonTypes[KXW_DOM_HTML_BUTTON_TYPE_COUNT] = {"submit", "reset", "button"};

bool IsEqualIgnoringCase(const char* mpsfText, size_t mnLen, const char* mpszAsc) {
    if (std::strlen(mpszAsc) != mnLen) return false;
    for (size_t n = 0; n < mnLen; ++n) {
        char c = mpsfText[n];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != mpszAsc[n]) return false;
    }
    return true;
}

// The index of a type name in a table (blanks around it ignored), or -1.
int FindType(const char* const* mppszTypes, int miCount, const char* mpsfName, size_t mnLen) {
    while (mnLen && (*mpsfName == ' ' || *mpsfName == '\t')) ++mpsfName, --mnLen;
    while (mnLen && (mpsfName[mnLen - 1] == ' ' || mpsfName[mnLen - 1] == '\t')) --mnLen;
    for (int i = 0; i < miCount; ++i)
        if (IsEqualIgnoringCase(mpsfName, mnLen, mppszTypes[i])) return i;
    return -1;
}

// A type given by a script once the control is in a tree is refused: its collections were chosen by it.
bool RefuseTypeChange(KxwDomHtmlElementControl& mrtControl, const std::string& mdsNew, const char* mpszOld) {
    if (!mrtControl.GetParentNode()) return false;
    mrtControl.ReportErrorWithJavaScriptLineNumber(false, -35960, mdsNew.c_str(), mpszOld);
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Controls

KxwDomHtmlElementControl::KxwDomHtmlElementControl(KxwDomHtmlDocument* mptOwnerDocument,
                                                   KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype, bool mbUseMemMgr)
    : KxwDomHtmlElementWithName(mptOwnerDocument, meSubtype, mbUseMemMgr) {}

KxwDomHtmlElement* KxwDomHtmlElementControl::GetForm() const {
    for (KxwDomCoreNode* ptAncestor = GetDomParentNode(); ptAncestor; ptAncestor = ptAncestor->GetDomParentNode())
        if (ptAncestor->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FORM &&
            ptAncestor->IsElementNode())
            return KxwJswUserObjBase::ConvertToElement(ptAncestor);
    return nullptr;
}

const KxwJswClassInformation& KxwDomHtmlElementControl::GetControlClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "control", katControlProperties,
                                                    katNoMethods);
    return ktClassInfo;
}

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
    static const KxwJswClassInformation ktOption(&GetControlClassInformation(), "option", katNoProperties, katNoMethods,
                                                 katOptionConstructors);
    return ktOption;
}

const KxwJswClassInformation* KxwDomHtmlElementControl::GetClassInformation() const {
    static const KxwJswClassInformation ktSelect(&GetControlClassInformation(), "select", katNoProperties,
                                                 katNoMethods);
    const KxwJswClassInformation& ktOption = GetOptionClassInformation();
    static const KxwJswClassInformation ktTextArea(&GetControlClassInformation(), "textArea", katNoProperties,
                                                   katNoMethods);
    switch (GetNodeSubtype()) {
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SELECT:
            return &ktSelect;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OPTION:
            return &ktOption;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TEXTAREA:
            return &ktTextArea;
        default:
            return &GetControlClassInformation();
    }
}

// ---------------------------------------------------------------------------------------------------------------
// INPUT

KxwDomHtmlElementInput::KxwDomHtmlElementInput(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementControl(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_INPUT, mbUseMemMgr) {}

KXW_DOM_HTML_INPUT_TYPE_ENUM KxwDomHtmlElementInput::GetTypeByName(const char* mpsfName, unsigned muLen) {
    int iType = mpsfName ? FindType(kapszInputTypes, KXW_DOM_HTML_INPUT_TYPE_COUNT, mpsfName, muLen) : -1;
    return iType < 0 ? KXW_DOM_HTML_INPUT_TYPE_TEXT : static_cast<KXW_DOM_HTML_INPUT_TYPE_ENUM>(iType);
}

const char* KxwDomHtmlElementInput::GetTypeName(KXW_DOM_HTML_INPUT_TYPE_ENUM meType) {
    return meType < KXW_DOM_HTML_INPUT_TYPE_COUNT ? kapszInputTypes[meType] : "text";
}

void KxwDomHtmlElementInput::SetTypeParsed(const char* mpszParsedValue) {
    if (_bTypeSpecified) return;
    const char* pszValue = ParsedText(mpszParsedValue);
    _eType = GetTypeByName(pszValue, static_cast<unsigned>(std::strlen(pszValue)));
    _bTypeSpecified = true;
}

bool KxwDomHtmlElementInput::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "type")) {
        SetTypeParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElementControl::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementInput::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementControl::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementInput&>(mrtClone);
    rtClone._eType = _eType;
    rtClone._bTypeSpecified = _bTypeSpecified;
}

const KxwJswClassInformation* KxwDomHtmlElementInput::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetControlClassInformation(), "input", katTypeProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementInput::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdType) return KxwDomHtmlElementControl::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    const char* pszType = GetTypeName(_eType);
    std::u16string dsType(pszType, pszType + std::strlen(pszType));
    AssignTemporaryText(mrtPropertyInfo, std::move(dsType));
    return true;
}

bool KxwDomHtmlElementInput::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdType) return KxwDomHtmlElementControl::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    if (!mrtPropertyInfo.HasValue()) return true;
    std::string dsNew =
        ToDcs(mrtPropertyInfo.ConvertAndGetStringU16n(), mrtPropertyInfo.ConvertAndGetStringU16nLength());
    KXW_DOM_HTML_INPUT_TYPE_ENUM eNew = GetTypeByName(dsNew.data(), static_cast<unsigned>(dsNew.size()));
    if (eNew == _eType) return true;
    if (RefuseTypeChange(*this, dsNew, GetTypeName(_eType))) return false;
    _eType = eNew;
    _bTypeSpecified = true;
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// BUTTON

KxwDomHtmlElementButton::KxwDomHtmlElementButton(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementControl(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BUTTON, mbUseMemMgr) {}

const char* KxwDomHtmlElementButton::GetTypeName(KXW_DOM_HTML_BUTTON_TYPE_ENUM meType) {
    return meType < KXW_DOM_HTML_BUTTON_TYPE_COUNT ? kapszButtonTypes[meType] : "button";
}

void KxwDomHtmlElementButton::SetTypeParsed(const char* mpszParsedValue) {
    if (_bTypeSpecified) return;
    const char* pszValue = ParsedText(mpszParsedValue);
    int iType = FindType(kapszButtonTypes, KXW_DOM_HTML_BUTTON_TYPE_COUNT, pszValue, std::strlen(pszValue));
    _eType = iType < 0 ? KXW_DOM_HTML_BUTTON_TYPE_BUTTON : static_cast<KXW_DOM_HTML_BUTTON_TYPE_ENUM>(iType);
    _bTypeSpecified = true;
}

bool KxwDomHtmlElementButton::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "type")) {
        SetTypeParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElementControl::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementButton::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementControl::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementButton&>(mrtClone);
    rtClone._eType = _eType;
    rtClone._bTypeSpecified = _bTypeSpecified;
}

const KxwJswClassInformation* KxwDomHtmlElementButton::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetControlClassInformation(), "button", katTypeProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementButton::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdType) return KxwDomHtmlElementControl::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    const char* pszType = GetTypeName(_eType);
    std::u16string dsType(pszType, pszType + std::strlen(pszType));
    AssignTemporaryText(mrtPropertyInfo, std::move(dsType));
    return true;
}

bool KxwDomHtmlElementButton::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdType) return KxwDomHtmlElementControl::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    if (!mrtPropertyInfo.HasValue()) return true;
    std::string dsNew =
        ToDcs(mrtPropertyInfo.ConvertAndGetStringU16n(), mrtPropertyInfo.ConvertAndGetStringU16nLength());
    int iType = FindType(kapszButtonTypes, KXW_DOM_HTML_BUTTON_TYPE_COUNT, dsNew.data(), dsNew.size());
    auto eNew = iType < 0 ? KXW_DOM_HTML_BUTTON_TYPE_BUTTON : static_cast<KXW_DOM_HTML_BUTTON_TYPE_ENUM>(iType);
    if (eNew == _eType) return true;
    if (RefuseTypeChange(*this, dsNew, GetTypeName(_eType))) return false;
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
    // The raw value is the value attribute as written (a button keeps no value property of its own yet).
    std::string dsValue;
    long liValueLen = 0;
    for (const KxwDomAdditionalAttrCollection::Attr* ptAttr = GetAdditionalAttrs().GetFirstAttr(); ptAttr;
         ptAttr = ptAttr->GetNext()) {
        if (!xfbKxwUtilIsEqualIgnoreCase(ptAttr->GetNameDcsStr(), ptAttr->GetNameDcsLenInBytes(), "value", 5)) continue;
        if (const char* psfValue = ptAttr->GetValueDcsStr()) {
            dsValue = GetPrintableText(psfValue, ptAttr->GetValueDcsLenInBytes(), 1500);
            liValueLen = static_cast<long>(ptAttr->GetValueDcsLenInBytes());
        } else if (const char16_t* pwsfValue = ptAttr->GetValueU16nStr()) {
            liValueLen = GetPrintableDcs(pwsfValue, ptAttr->GetValueU16nLenInChars(), 1500, dsValue);
        }
        break;
    }
    // The markup of the content is not generated by the library yet: the dump says so rather than guess it.
    xfvKxwUtilReportBySevLvl(meSevLvl,
                             "%*s[The raw value of the <BUTTON> is \"%.1500s\" (DCS length=%ld), the innerHTML is "
                             "\"%.1500s\" (DCS length=%ld)]",
                             GetPrintingTextIndent(miIndent), "", dsValue.c_str(), liValueLen, "[Unavailable]", -1L);
}

void KxwDomHtmlElementInput::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    const char* pszType = GetTypeName(_eType);
    if (!pszType || !*pszType) pszType = "text";
    mrtText.ConcatHtmlPropertyByValue("type", 4, pszType, static_cast<int>(std::strlen(pszType)));
    KxwDomHtmlElementControl::GenerateHtmlProperties(mrtText);
}

void KxwDomHtmlElementButton::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    const char* pszType = GetTypeName(_eType);
    if (pszType && *pszType)
        mrtText.ConcatHtmlPropertyByValue("type", 4, pszType, static_cast<int>(std::strlen(pszType)));
    KxwDomHtmlElementControl::GenerateHtmlProperties(mrtText);
}
