#include "KxwDomHtmlElementTableSection.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwJswClassInformation.h"

namespace {

using Section = KxwDomHtmlElementTableSection;
using SectionCall = KxwDomScriptCallOn<KxwDomHtmlElementTableSection>;

bool insertRow_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    SectionCall tCall("KxwDomHtmlTableElement::insertRow_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    return tCall.This()->CallInsertRow(tCall);
}

bool deleteRow_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    SectionCall tCall("KxwDomHtmlTableElement::deleteRow_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    return tCall.This()->CallDeleteRow(tCall);
}

const KxwJswPropertySpec katSectionProperties[] = {
    {"rows", Section::kIdRows, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katSectionMethods[] = {
    {"insertRow", nullptr, nullptr, 1, insertRow_callback},
    {"deleteRow", nullptr, nullptr, 1, deleteRow_callback},
    {nullptr, nullptr, nullptr, 0},
};

// The three descriptions share the tables; they are made once, on first use.
struct SectionClasses {
    static const KxwJswClassInformation* Parent() { return &KxwDomHtmlElement::GetElementClassInformation(); }
    KxwJswClassInformation _tTHead{Parent(), "thead", katSectionProperties, katSectionMethods};
    KxwJswClassInformation _tTBody{Parent(), "tbody", katSectionProperties, katSectionMethods};
    KxwJswClassInformation _tTFoot{Parent(), "tfoot", katSectionProperties, katSectionMethods};
};

const SectionClasses& Classes() {
    static const SectionClasses ktClasses;
    return ktClasses;
}

}  // namespace

const KxwJswClassInformation* KxwDomHtmlElementTableSection::GetClassInformation() const {
    switch (GetNodeSubtype()) {
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_THEAD:
            return &Classes()._tTHead;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TFOOT:
            return &Classes()._tTFoot;
        default:
            return &Classes()._tTBody;
    }
}

bool KxwDomHtmlElementTableSection::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdRows) {
        mrtPropertyInfo.AssignDomObjectOrNull(GetRows());
        return true;
    }
    if (mnTinyId < kIdRows) return KxwDomHtmlTableElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlElementTableSection", mnTinyId, mrtPropertyInfo);
}

bool KxwDomHtmlElementTableSection::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kIdRows) return KxwDomHtmlTableElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlElementTableSection", mnTinyId);
}
