#include "KxwDomHtmlElementInput.h"

#include <cstring>
#include <string>

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr short kIdType = KxwDomHtmlElementInput::kIdType;

const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};
const KxwJswPropertySpec katInputProperties[] = {
    {"type", kIdType, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};

const char* const kapszInputTypes[KXW_DOM_HTML_INPUT_TYPE_COUNT] = {
    "text", "password", "hidden", "checkbox", "file", "submit", "image", "reset", "button", "radio",
};

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// INPUT

KxwDomHtmlElementInput::KxwDomHtmlElementInput(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementFormControl(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_INPUT, mbUseMemMgr) {}

KXW_DOM_HTML_INPUT_TYPE_ENUM KxwDomHtmlElementInput::GetTypeByName(const char* mpsfName, unsigned muLen) {
    int iType = FindTypeName(kapszInputTypes, KXW_DOM_HTML_INPUT_TYPE_COUNT, mpsfName, muLen);
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
    return KxwDomHtmlElementFormControl::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementInput::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementFormControl::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementInput&>(mrtClone);
    rtClone._eType = _eType;
    rtClone._bTypeSpecified = _bTypeSpecified;
}

const KxwJswClassInformation* KxwDomHtmlElementInput::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetFormControlClassInformation(), "input", katInputProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementInput::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdType) return KxwDomHtmlElementFormControl::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    const char* pszType = GetTypeName(_eType);
    std::u16string dsType(pszType, pszType + std::strlen(pszType));
    AssignTemporaryText(mrtPropertyInfo, std::move(dsType));
    return true;
}

bool KxwDomHtmlElementInput::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdType) return KxwDomHtmlElementFormControl::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    if (!mrtPropertyInfo.HasValue()) return true;
    std::string dsNew =
        ToDcs(mrtPropertyInfo.ConvertAndGetStringU16n(), mrtPropertyInfo.ConvertAndGetStringU16nLength());
    KXW_DOM_HTML_INPUT_TYPE_ENUM eNew = GetTypeByName(dsNew.data(), static_cast<unsigned>(dsNew.size()));
    if (eNew == _eType) return true;
    if (RefuseTypeChange(dsNew, GetTypeName(_eType))) return false;
    _eType = eNew;
    _bTypeSpecified = true;
    return true;
}

void KxwDomHtmlElementInput::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    const char* pszType = GetTypeName(_eType);
    if (!pszType || !*pszType) pszType = "text";
    mrtText.ConcatHtmlPropertyByValue("type", 4, pszType, static_cast<int>(std::strlen(pszType)));
    KxwDomHtmlElementFormControl::GenerateHtmlProperties(mrtText);
}
