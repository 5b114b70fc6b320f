#include "KxwDomHtmlElementAreaAnchor.h"


#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementSimple.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilUtf.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr short kIdHref = KxwDomHtmlElementAreaAnchorBase::kIdHref;                    // 7
constexpr short kIdTarget = KxwDomHtmlElementAreaAnchorBase::kIdTarget;                // 8
constexpr short kIdAnchorName = KxwDomHtmlElementAreaAnchorBase::kFirstDerivedTinyId;  // 9
constexpr short kIdRel = kIdTarget;                                                    // LINK: 8

const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};
const KxwJswPropertySpec katNoProperties[] = {{nullptr, 0, 0, nullptr}};
const KxwJswPropertySpec katHrefTargetProperties[] = {
    {"href", 7, kAttr, "S"},
    {"target", 8, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswPropertySpec katAnchorProperties[] = {
    {"name", 9, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswPropertySpec katLinkProperties[] = {
    {"href", 7, kAttr, "S"},
    {"rel", 8, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// A and AREA

KxwDomHtmlElementAreaAnchorBase::KxwDomHtmlElementAreaAnchorBase(KxwDomHtmlDocument* mptOwnerDocument,
                                                                 KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                                                                 bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, meSubtype, mbUseMemMgr), _tHref(GetDomEnv()), _tTarget(GetDomEnv()) {}

void KxwDomHtmlElementAreaAnchorBase::AnnounceHrefChange(bool mbWasSet) {
    bool bIsSet = IsHrefSet();
    if (bIsSet == mbWasSet || !GetParentNode()) return;
    NotifyAncestors(bIsSet ? KXW_DOM_COMMON_NOTIFICATION_ENUM_AREA_ANCHOR_HREF_SET
                           : KXW_DOM_COMMON_NOTIFICATION_ENUM_AREA_ANCHOR_HREF_CLEARED,
                    this, nullptr);
}

void KxwDomHtmlElementAreaAnchorBase::SetHrefParsed(const char* mpszParsedValue) {
    bool bWasSet = IsHrefSet();
    _tHref.SetParsed(ParsedText(mpszParsedValue));
    AnnounceHrefChange(bWasSet);
}

void KxwDomHtmlElementAreaAnchorBase::SetHrefU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    bool bWasSet = IsHrefSet();
    _tHref.SetU16n(mpwsfU16nStr ? mpwsfU16nStr : u"", mpwsfU16nStr ? muU16nLenInChars : 0);
    AnnounceHrefChange(bWasSet);
}

bool KxwDomHtmlElementAreaAnchorBase::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "href")) {
        SetHrefParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "target")) {
        SetTargetParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementAreaAnchorBase::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    auto& rtClone = static_cast<KxwDomHtmlElementAreaAnchorBase&>(mrtClone);
    CopySpecifiedText(_tHref, rtClone._tHref);
    CopySpecifiedText(_tTarget, rtClone._tTarget);
}

const KxwJswClassInformation& KxwDomHtmlElementAreaAnchorBase::GetAreaAnchorBaseClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "areaanchorbase",
                                                    katHrefTargetProperties, katNoMethods);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlElementAreaAnchorBase::GetClassInformation() const {
    static const KxwJswClassInformation ktAreaClassInfo(&GetAreaAnchorBaseClassInformation(), "area", katNoProperties,
                                                        katNoMethods);
    return &ktAreaClassInfo;
}

bool KxwDomHtmlElementAreaAnchorBase::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdHref:
            AssignResolvedUrl(mrtPropertyInfo, _tHref);
            return true;
        case kIdTarget:
            mrtPropertyInfo = _tTarget;
            return true;
        default:
            if (mnTinyId < kIdHref) return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlElementAreaAnchorBase", mnTinyId, mrtPropertyInfo);
    }
}

std::string KxwDomHtmlElementAreaAnchorBase::GetResolvedHref() const {
    KxwDomPropertyInfo tInfo;
    AssignResolvedUrl(tInfo, _tHref);
    const char16_t* pwsfHref = tInfo.ConvertAndGetStringU16n();
    return pwsfHref ? xfdsKxwUtilU16ToUtf8(pwsfHref, tInfo.ConvertAndGetStringU16nLength()) : std::string();
}

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomHtmlElementAreaAnchorBase::DoEventDefaultAction(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CLICK || !IsHrefSet())
        return KxwDomHtmlElement::DoEventDefaultAction(meEventType, mptDomEventDataOrNULL);
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("Following the link of %s at %p in KxwDomHtmlElementAreaAnchorBase::DoEventDefaultAction",
                                    GetNodeTypeAsAscStr(), static_cast<void*>(this));
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_LINK_CLICK, this, nullptr);
    return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
}

void KxwDomHtmlElementAreaAnchorBase::DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                     const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_CLICK) {
        KxwDomWatchDelete tWatch("KxwDomHtmlElementAreaAnchorBase::DoBeforeEvent", this);
        FireEvent(KXW_DOM_EVENT_TYPE_ENUM_MOUSEOVER, mptDomEventDataOrNULL, FIRE_EVENT_ACTIVATE_ALL, nullptr);
        if (tWatch.HasBeenDeleted()) return;
    }
    KxwDomHtmlElement::DoBeforeEvent(meEventType, mptDomEventDataOrNULL);
}

bool KxwDomHtmlElementAreaAnchorBase::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdHref: {
            if (!mrtPropertyInfo.HasValue()) return true;
            const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
            SetHrefU16n(pwsfText, mrtPropertyInfo.ConvertAndGetStringU16nLength());
            return true;
        }
        case kIdTarget:
            StoreScriptText(_tTarget, mrtPropertyInfo);
            return true;
        default:
            if (mnTinyId < kIdHref) return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlElementAreaAnchorBase", mnTinyId);
    }
}

KxwDomHtmlElementAnchor::KxwDomHtmlElementAnchor(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementAreaAnchorBase(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_A, mbUseMemMgr),
      _tName(GetDomEnv()) {}

void KxwDomHtmlElementAnchor::SetNameParsed(const char* mpszParsedValue) {
    ChangeIdentifierParsed(_tName, KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED, mpszParsedValue);
}

void KxwDomHtmlElementAnchor::SetNameU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    ChangeIdentifierU16n(_tName, KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED, mpwsfU16nStr, muU16nLenInChars);
}

bool KxwDomHtmlElementAnchor::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "name")) {
        SetNameParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElementAreaAnchorBase::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementAnchor::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementAreaAnchorBase::CopyClassPropertiesTo(mrtClone);
    CopySpecifiedText(_tName, static_cast<KxwDomHtmlElementAnchor&>(mrtClone)._tName);
}

const KxwJswClassInformation* KxwDomHtmlElementAnchor::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetAreaAnchorBaseClassInformation(), "anchor", katAnchorProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementAnchor::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdAnchorName)
        return KxwDomHtmlElementAreaAnchorBase::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    mrtPropertyInfo = _tName;
    return true;
}

bool KxwDomHtmlElementAnchor::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdAnchorName)
        return KxwDomHtmlElementAreaAnchorBase::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    if (!mrtPropertyInfo.HasValue()) return true;
    const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
    SetNameU16n(pwsfText, mrtPropertyInfo.ConvertAndGetStringU16nLength());
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// BASE

KxwDomHtmlElementBase::KxwDomHtmlElementBase(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BASE, mbUseMemMgr),
      _tHref(GetDomEnv()),
      _tTarget(GetDomEnv()) {}

KxwDomHtmlElementBase::~KxwDomHtmlElementBase() {
    // Elements made while this was the active base look it up by index: the entry must not outlive it.
    if (KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false)) ptDocument->ForgetBaseElement(this);
}

bool KxwDomHtmlElementBase::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "href")) {
        SetHrefParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "target")) {
        SetTargetParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementBase::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    auto& rtClone = static_cast<KxwDomHtmlElementBase&>(mrtClone);
    CopySpecifiedText(_tHref, rtClone._tHref);
    CopySpecifiedText(_tTarget, rtClone._tTarget);
}

const KxwJswClassInformation* KxwDomHtmlElementBase::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "base", katHrefTargetProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementBase::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdHref:
            // The base's own address resolves against the document, never against itself.
            mrtPropertyInfo = _tHref;
            return true;
        case kIdTarget:
            mrtPropertyInfo = _tTarget;
            return true;
        default:
            if (mnTinyId < kIdHref) return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlElementBase", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementBase::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdHref:
            StoreScriptText(_tHref, mrtPropertyInfo);
            return true;
        case kIdTarget:
            StoreScriptText(_tTarget, mrtPropertyInfo);
            return true;
        default:
            if (mnTinyId < kIdHref) return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlElementBase", mnTinyId);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// LINK

KxwDomHtmlElementLink::KxwDomHtmlElementLink(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LINK, mbUseMemMgr),
      _tHref(GetDomEnv()),
      _tRel(GetDomEnv()) {}

bool KxwDomHtmlElementLink::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "href")) {
        SetHrefParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "rel")) {
        _tRel.SetParsed(ParsedText(mpszValueOrNull));
        return true;
    }
    return KxwDomHtmlElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementLink::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    auto& rtClone = static_cast<KxwDomHtmlElementLink&>(mrtClone);
    CopySpecifiedText(_tHref, rtClone._tHref);
    CopySpecifiedText(_tRel, rtClone._tRel);
}

const KxwJswClassInformation* KxwDomHtmlElementLink::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&KxwDomHtmlElementSimple::GetStyleSheetContainerClassInformation(),
                                                    "link", katLinkProperties, katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementLink::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdHref:
            AssignResolvedUrl(mrtPropertyInfo, _tHref);
            return true;
        case kIdRel:
            mrtPropertyInfo = _tRel;
            return true;
        default:
            if (mnTinyId < kIdHref) return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlElementLink", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementLink::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdHref:
            StoreScriptText(_tHref, mrtPropertyInfo);
            return true;
        case kIdRel:
            StoreScriptText(_tRel, mrtPropertyInfo);
            return true;
        default:
            if (mnTinyId < kIdHref) return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlElementLink", mnTinyId);
    }
}

void KxwDomHtmlElementAnchor::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    KxwDomHtmlElement::PrintMe(miIndent, meSevLvl, mulMask);
    if ((mulMask & KXW_DOM_PRINT_MASK_INNER_TEXTS) && xfbKxwUtilIsSevLvlEnabled(meSevLvl))
        PrintInnerTextLine(miIndent, meSevLvl);
}
