#include "KxwDomHtcElementAttach.h"

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
enum : short {
    kIdEvent = KxwDomHtmlElement::kFirstDerivedTinyId,
    kIdFor,
    kIdOnEvent,
};

const KxwJswPropertySpec katAttachProperties[] = {
    {"EVENT", kIdEvent, kAttr, "S"},
    {"FOR", kIdFor, kAttr, "S"},
    {"ONEVENT", kIdOnEvent, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

}  // namespace

KxwDomHtcElementAttach::KxwDomHtcElementAttach(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_ATTACH, mbUseMemMgr),
      _tEvent(GetDomEnv()),
      _tFor(GetDomEnv()),
      _tOnEvent(GetDomEnv()) {}

bool KxwDomHtcElementAttach::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "event")) return _tEvent.SetParsed(ParsedText(mpszValueOrNull)), true;
    if (IsName(mpszName, "for")) return _tFor.SetParsed(ParsedText(mpszValueOrNull)), true;
    if (IsName(mpszName, "onevent")) return _tOnEvent.SetParsed(ParsedText(mpszValueOrNull)), true;
    return KxwDomHtmlElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

KxwDomHtmlElement* KxwDomHtcElementAttach::MakeEmptyClone(KxwDomHtmlDocument& mrtDocument) {
    return new (mrtDocument.GetMemMgr()) KxwDomHtcElementAttach(&mrtDocument, true);
}

void KxwDomHtcElementAttach::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElement::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtcElementAttach&>(mrtClone);
    CopySpecifiedText(_tEvent, rtClone._tEvent);
    CopySpecifiedText(_tFor, rtClone._tFor);
    CopySpecifiedText(_tOnEvent, rtClone._tOnEvent);
}

void KxwDomHtcElementAttach::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("EVENT", _tEvent);
    mrtText.ConcatHtmlProperty("FOR", _tFor);
    mrtText.ConcatHtmlProperty("ONEVENT", _tOnEvent);
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}

const KxwJswClassInformation* KxwDomHtcElementAttach::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "PUBLIC:ATTACH", katAttachProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtcElementAttach::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdEvent:
            mrtPropertyInfo = _tEvent;
            return true;
        case kIdFor:
            mrtPropertyInfo = _tFor;
            return true;
        case kIdOnEvent:
            mrtPropertyInfo = _tOnEvent;
            return true;
        default:
            if (mnTinyId < kFirstDerivedTinyId) return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "KxwDomHtcElementAttach::GetDomPropertyInfo: Unsupported property "
                                                  "ID (%d)",
                                                  static_cast<int>(mnTinyId));
            return false;
    }
}

bool KxwDomHtcElementAttach::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdEvent:
            StoreScriptText(_tEvent, mrtPropertyInfo);
            return true;
        case kIdFor:
            StoreScriptText(_tFor, mrtPropertyInfo);
            return true;
        case kIdOnEvent:
            StoreScriptText(_tOnEvent, mrtPropertyInfo);
            return true;
        default:
            if (mnTinyId < kFirstDerivedTinyId) return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "KxwDomHtcElementAttach::SetDomPropertyInfo: Unsupported property "
                                                  "ID (%d)",
                                                  static_cast<int>(mnTinyId));
            return false;
    }
}
