#include "KxwDomHtmlElementTableCell.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"

namespace {

const KxwJswPropertySpec katCellProperties[] = {
    {"background", KxwDomHtmlElementTableCell::kIdBackground, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE_ALT, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

}  // namespace

bool KxwDomHtmlElementTableCell::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "background")) {
        SetBackgroundParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementTableCell::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElement::CopyClassPropertiesTo(mrtClone);
    CopySpecifiedText(_tBackground, static_cast<KxwDomHtmlElementTableCell&>(mrtClone)._tBackground);
}

const KxwJswClassInformation* KxwDomHtmlElementTableCell::GetClassInformation() const {
    static const KxwJswClassInformation ktTd(&GetElementClassInformation(), "td", katCellProperties, katNoMethods);
    static const KxwJswClassInformation ktTh(&GetElementClassInformation(), "th", katCellProperties, katNoMethods);
    return GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TH ? &ktTh : &ktTd;
}

bool KxwDomHtmlElementTableCell::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdBackground) {
        mrtPropertyInfo = _tBackground;
        return true;
    }
    if (mnTinyId < kIdBackground) return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlElementTableCell", mnTinyId, mrtPropertyInfo);
}

bool KxwDomHtmlElementTableCell::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdBackground) {
        StoreScriptText(_tBackground, mrtPropertyInfo);
        return true;
    }
    if (mnTinyId < kIdBackground) return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlElementTableCell", mnTinyId);
}

void KxwDomHtmlElementTableCell::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("background", GetBackground());
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}
