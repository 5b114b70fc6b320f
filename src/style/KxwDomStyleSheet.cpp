#include "KxwDomStyleSheet.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomDummyObject.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlElementAreaAnchor.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwJswClassInformation.h"

namespace {

enum : short {
    kIdHref = -128,
    kIdId = -127,
    kIdIsContentEditable = -126,
    kIdIsDisabled = -125,
    kIdIsMultiLine = -124,
    kIdOwningElement = -123,
    kIdParentStyleSheet = -122,
    kIdReadOnly = -121,
    kIdImports = -120,
    kIdPages = -119,
    kIdRules = -118,
};

constexpr uint16_t kRO = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY;

const KxwJswPropertySpec katSheetProperties[] = {
    {"href", 128, KXW_JSW_PROP_PERMANENT, "S"},
    {"id", 129, kRO, nullptr},
    {"isContentEditable", 130, kRO, nullptr},
    {"isDisabled", 131, kRO, nullptr},
    {"isMultiLine", 132, kRO, nullptr},
    {"owningElement", 133, kRO, nullptr},
    {"parentStyleSheet", 134, kRO, nullptr},
    {"readOnly", 135, kRO, nullptr},
    {"imports", 136, kRO, nullptr},
    {"pages", 137, kRO, nullptr},
    {"rules", 138, kRO, nullptr},
    {nullptr, 0, 0, nullptr},
};

// A sheet has no rules to change: its methods are taken, and the page's author is told that nothing changed.
bool NoRules_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs, const char* mpszMethod, int miResult) {
    KxwDomScriptCallOn<KxwDomStyleSheet> tCall(mpszMethod, mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    tCall.This()->JavaScriptMissingSupport(mpszMethod);
    return miResult < 0 ? tCall.Return(miResult) : tCall.Undefined();
}
bool addImport_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return NoRules_callback(mptUserObj, mrtArgs, "styleSheet.addImport()", 0);
}
bool addPageRule_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return NoRules_callback(mptUserObj, mrtArgs, "styleSheet.addPageRule()", 0);
}
// The emulated browser's addRule gives -1 whatever it added.
bool addRule_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return NoRules_callback(mptUserObj, mrtArgs, "styleSheet.addRule()", -1);
}
bool fireEvent_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return NoRules_callback(mptUserObj, mrtArgs, "styleSheet.fireEvent()", 0);
}
bool removeRule_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return NoRules_callback(mptUserObj, mrtArgs, "styleSheet.removeRule()", 0);
}
bool empty_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return NoRules_callback(mptUserObj, mrtArgs, "styleSheet.empty()", 0);
}

const KxwJswMethodSpec katSheetMethods[] = {
    {"addImport", nullptr, nullptr, 2, addImport_callback},
    {"addPageRule", nullptr, nullptr, 3, addPageRule_callback},
    {"addRule", nullptr, nullptr, 3, addRule_callback},
    {"fireEvent", nullptr, nullptr, 2, fireEvent_callback},
    {"removeRule", nullptr, nullptr, 1, removeRule_callback},
    {"empty", nullptr, nullptr, 0, empty_callback},
    {nullptr, nullptr, nullptr, 0},
};

// The tiny id of one of the element's declared properties, by name.
short ElementPropertyId(const KxwDomHtmlElement& mrtElement, const char* mpszName) {
    const KxwJswClassInformation* ptClass = mrtElement.GetClassInformation();
    const KxwJswPropertySpec* ptSpec = ptClass ? ptClass->FindProperty(mpszName) : nullptr;
    return ptSpec ? KxwJswClassInformation::DispatchId(ptSpec->_uTinyId) : 0;
}

}  // namespace

KxwDomStyleSheet::KxwDomStyleSheet(KxwDomHtmlElement* mptOwnerElement)
    : KxwDomBase(mptOwnerElement ? mptOwnerElement->GetMemMgr() : nullptr,
                 mptOwnerElement ? mptOwnerElement->GetU16nHandler() : nullptr),
      _tWatchOwner("KxwDomStyleSheet lifetime", mptOwnerElement) {
    if (!mptOwnerElement)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptOwnerElement is NULL for this=%p in KxwDomStyleSheet CTOR",
                                              static_cast<void*>(this));
}

KxwDomStyleSheet::~KxwDomStyleSheet() = default;

KxwDomHtmlElement* KxwDomStyleSheet::GetOwningHtmlElement() const {
    return static_cast<KxwDomHtmlElement*>(_tWatchOwner.GetEffectiveWatchedPtr());
}

KxwDomBase* KxwDomStyleSheet::GetOwningNode() const {
    return GetOwningHtmlElement();
}

const KxwJswClassInformation* KxwDomStyleSheet::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(nullptr, "styleSheet", katSheetProperties, katSheetMethods);
    return &ktClassInfo;
}

bool KxwDomStyleSheet::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    KxwDomHtmlElement* ptOwner = GetOwningHtmlElement();
    switch (mnTinyId) {
        case kIdHref:
            if (ptOwner && ptOwner->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LINK)
                return ptOwner->GetDomPropertyInfo(ElementPropertyId(*ptOwner, "href"), mrtPropertyInfo);
            mrtPropertyInfo.AssignEmptyStr();
            return true;
        case kIdId:
            if (ptOwner)
                mrtPropertyInfo = ptOwner->GetId();
            else
                mrtPropertyInfo.AssignEmptyStr();
            return true;
        case kIdIsContentEditable:
        case kIdIsDisabled:
        case kIdIsMultiLine:
        case kIdReadOnly:
            mrtPropertyInfo = true;
            return true;
        case kIdOwningElement:
            mrtPropertyInfo.AssignDomObjectOrNull(ptOwner);
            return true;
        case kIdParentStyleSheet:
            mrtPropertyInfo.AssignNull();
            return true;
        case kIdImports:
        case kIdPages:
        case kIdRules:
            mrtPropertyInfo.AssignDomObjectOrNull(KxwDomDummyObject::CreateDummyObject());
            return true;
        default:
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomStyleSheet", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomStyleSheet::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    KxwDomHtmlElement* ptOwner = GetOwningHtmlElement();
    if (mnTinyId != kIdHref) return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomStyleSheet", mnTinyId);
    // A LINK's sheet moves with its href: the LINK asks for the new sheet.
    if (ptOwner && ptOwner->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LINK)
        return ptOwner->SetDomPropertyInfo(ElementPropertyId(*ptOwner, "href"), mrtPropertyInfo);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------

KxwDomHtmlElementStyleSheetContainer::~KxwDomHtmlElementStyleSheetContainer() {
    delete _ptStyleSheet;
}

KxwDomStyleSheet* KxwDomHtmlElementStyleSheetContainer::GetStyleSheetObject(KxwDomHtmlElement& mrtOwner) {
    if (_ptStyleSheet) return _ptStyleSheet;
    _ptStyleSheet = new (mrtOwner.GetMemMgr()) KxwDomStyleSheet(&mrtOwner);
    if (!_ptStyleSheet)
        KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomStyleSheet)),
                                "KxwDomStyleSheet in KxwDomHtmlElementStyleSheetContainer::GetStyleSheetObject");
    return _ptStyleSheet;
}
