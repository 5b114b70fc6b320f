#include "KxwDomHtmlElementWithName.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"
#include "kxw/KxwEnvCfg.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr short kIdName = KxwDomHtmlElementWithName::kIdName;                  // 7
constexpr short kIdOwnFirst = KxwDomHtmlElementWithName::kFirstDerivedTinyId;  // 8: value

const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};
const KxwJswPropertySpec katNoProperties[] = {{nullptr, 0, 0, nullptr}};
const KxwJswPropertySpec katNameProperties[] = {
    {"name", 7, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswPropertySpec katParamProperties[] = {
    {"name", 7, kAttr, "S"},
    {"value", 8, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};

const KxwJswClassInformation& EmbedClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&KxwDomHtmlElement::GetElementClassInformation(), "embed",
                                                    katNameProperties, katNoMethods);
    return ktClassInfo;
}

// The text properties of these classes are read and written alike.
bool GetText(const KxwDomHtmlPropertyStr& mrtProperty, KxwDomPropertyInfo& mrtPropertyInfo) {
    mrtPropertyInfo = mrtProperty;
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Elements with a name

KxwDomHtmlElementWithName::KxwDomHtmlElementWithName(KxwDomHtmlDocument* mptOwnerDocument,
                                                     KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, meSubtype, mbUseMemMgr), _tName(GetDomEnv()) {}

void KxwDomHtmlElementWithName::SetNameDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    ChangeIdentifierDcs(_tName, KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED, mpsfDcsStr, muDcsLenInBytes);
}
void KxwDomHtmlElementWithName::SetNameU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    ChangeIdentifierU16n(_tName, KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED, mpwsfU16nStr, muU16nLenInChars);
}
void KxwDomHtmlElementWithName::SetNameParsed(const char* mpszParsedValue) {
    ChangeIdentifierParsed(_tName, KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED, mpszParsedValue);
}

bool KxwDomHtmlElementWithName::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "name")) {
        SetNameParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementWithName::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    auto& rtClone = static_cast<KxwDomHtmlElementWithName&>(mrtClone);
    CopySpecifiedText(_tName, rtClone._tName);
}

const KxwJswClassInformation& KxwDomHtmlElementWithName::GetElementWithNameClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "elementwithname", katNameProperties,
                                                    katNoMethods);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlElementWithName::GetClassInformation() const {
    switch (GetNodeSubtype()) {
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_EMBED:
            return &EmbedClassInformation();
        default:
            return &GetElementWithNameClassInformation();
    }
}

bool KxwDomHtmlElementWithName::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdName) return GetText(_tName, mrtPropertyInfo);
    if (mnTinyId < kIdName) return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlElementWithName", mnTinyId, mrtPropertyInfo);
}

bool KxwDomHtmlElementWithName::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdName) {
        if (!mrtPropertyInfo.HasValue()) return true;
        const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
        SetNameU16n(pwsfText, mrtPropertyInfo.ConvertAndGetStringU16nLength());
        return true;
    }
    if (mnTinyId < kIdName) return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlElementWithName", mnTinyId);
}

// ---------------------------------------------------------------------------------------------------------------
// PARAM

KxwDomHtmlElementParam::KxwDomHtmlElementParam(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementWithName(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PARAM, mbUseMemMgr),
      _tValue(GetDomEnv()) {}

const KxwJswClassInformation* KxwDomHtmlElementParam::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "param", katParamProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementParam::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "value")) {
        SetValueParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElementWithName::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementParam::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementWithName::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementParam&>(mrtClone);
    CopySpecifiedText(_tValue, rtClone._tValue);
}

bool KxwDomHtmlElementParam::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdOwnFirst) return GetText(_tValue, mrtPropertyInfo);
    return KxwDomHtmlElementWithName::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
}

bool KxwDomHtmlElementParam::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdOwnFirst) {
        _tValue = mrtPropertyInfo;
        return true;
    }
    return KxwDomHtmlElementWithName::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
}

void KxwDomHtmlElementWithName::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("name", _tName);
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}

void KxwDomHtmlElementParam::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("name", GetName());
    mrtText.ConcatHtmlProperty("value", _tValue);
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}
