#include "KxwDomHtmlElementAreaAnchor.h"

#include <cstring>

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementMap.h"
#include "KxwDomHtmlElementSimple.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilUtf.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr uint16_t kPlain = KXW_JSW_PROP_PERMANENT;
using AreaAnchor = KxwDomHtmlElementAreaAnchorBase;
constexpr short kIdLinkHref = KxwDomHtmlElement::kFirstDerivedTinyId;  // 7, LINK and BASE
constexpr short kIdLinkRel = kIdLinkHref + 1;                          // 8, LINK
constexpr short kIdBaseTarget = kIdLinkHref + 1;                       // 8, BASE

const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};
const KxwJswPropertySpec katNoProperties[] = {{nullptr, 0, 0, nullptr}};

bool toString_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs);
bool addRule_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs);

// The address parts follow the href, the exact-value id between them is in no table.
const KxwJswPropertySpec katAreaAnchorProperties[] = {
    {"href", AreaAnchor::kIdHref, kAttr, "S"},
    {"protocol", AreaAnchor::kIdProtocol, kPlain, "S"},
    {"hostname", AreaAnchor::kIdHostname, kPlain, "S"},
    {"pathname", AreaAnchor::kIdPathname, kPlain, "S"},
    {"host", AreaAnchor::kIdHost, kPlain, "S"},
    {"port", AreaAnchor::kIdPort, kPlain, "S"},
    {"search", AreaAnchor::kIdSearch, kPlain, "S"},
    {"target", AreaAnchor::kIdTarget, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katAreaAnchorMethods[] = {
    {"toString", nullptr, nullptr, 0, toString_callback},
    {nullptr, nullptr, nullptr, 0},
};
const KxwJswPropertySpec katAreaProperties[] = {
    {"alt", KxwDomHtmlElementArea::kIdAlt, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswPropertySpec katBaseProperties[] = {
    {"href", kIdLinkHref, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE_ALT, "S"},
    {"target", kIdBaseTarget, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE_ALT, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswPropertySpec katLinkProperties[] = {
    {"href", kIdLinkHref, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE_ALT, "S"},
    {"rel", kIdLinkRel, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE_ALT, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katLinkMethods[] = {
    {"addRule", nullptr, nullptr, 0, addRule_callback},
    {nullptr, nullptr, nullptr, 0},
};

uint32_t BaseUrlGenerationOf(const KxwDomHtmlElement& mrtElement) {
    KxwDomHtmlDocument* ptDocument = mrtElement.GetOwnerHtmlDocument(false);
    return ptDocument ? ptDocument->GetBaseUrlGeneration() : 0;
}

std::string Utf8OfDcs(const KxwDomHtmlPropertyStr& mrtText) {
    return mrtText.GetU16nStr() ? xfdsKxwUtilU16ToUtf8(mrtText.GetU16nStr(), mrtText.GetU16nLenInChars())
                                : std::string();
}

using AreaAnchorCall = KxwDomScriptCallOn<KxwDomHtmlElementAreaAnchorBase>;
using LinkCall = KxwDomScriptCallOn<KxwDomHtmlElementLink>;

bool toString_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    AreaAnchorCall tCall("KxwDomHtmlElementAreaAnchorBase::toString_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    KxwDomPropertyInfo tInfo;
    tCall.This()->GetDomPropertyInfo(KxwDomHtmlElementAreaAnchorBase::kIdHref, tInfo);
    std::u16string dsText(tInfo.ConvertAndGetStringU16n(), tInfo.ConvertAndGetStringU16nLength());
    return tCall.Return(dsText);
}

bool addRule_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    LinkCall tCall("KxwDomHtmlElementLink::addRule_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    // A LINK holds no rules of its own: the rule goes nowhere, and the page's author is told so.
    tCall.This()->JavaScriptMissingSupport("LINK.addRule()");
    return tCall.Undefined();
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// A and AREA

KxwDomHtmlElementAreaAnchorBase::KxwDomHtmlElementAreaAnchorBase(KxwDomHtmlDocument* mptOwnerDocument,
                                                                 KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                                                                 bool mbUseMemMgr)
    : KxwDomHtmlElementWithName(mptOwnerDocument, meSubtype, mbUseMemMgr),
      _tHref(GetDomEnv(), this),
      _tTarget(GetDomEnv()) {}

bool KxwDomHtmlElementAreaAnchorBase::GetBaseUrlDcs(const char** mppsfUrl, unsigned* mpnLen) {
    unsigned uLen = 0;
    const char* psfBase = GetBaseURL(&uLen);
    if (mppsfUrl) *mppsfUrl = psfBase;
    if (mpnLen) *mpnLen = uLen;
    return psfBase && uLen > 0;
}

const KxwDomHtmlPropertyUrl& KxwDomHtmlElementAreaAnchorBase::GetHrefUrl() const {
    // The resolved href and its parts hold what the base URL was when they were made.
    uint32_t uGeneration = BaseUrlGenerationOf(*this);
    if (uGeneration != _uHrefBaseGeneration) {
        _tHref.ClearCaches();
        _uHrefBaseGeneration = uGeneration;
    }
    return _tHref;
}

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

void KxwDomHtmlElementAreaAnchorBase::SetHrefDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    bool bWasSet = IsHrefSet();
    _tHref.SetDcs(mpsfDcsStr ? mpsfDcsStr : "", mpsfDcsStr ? muDcsLenInBytes : 0);
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
    return KxwDomHtmlElementWithName::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementAreaAnchorBase::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementWithName::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementAreaAnchorBase&>(mrtClone);
    CopySpecifiedText(_tHref, rtClone._tHref);
    CopySpecifiedText(_tTarget, rtClone._tTarget);
}

const KxwJswClassInformation& KxwDomHtmlElementAreaAnchorBase::GetAreaAnchorBaseClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetElementWithNameClassInformation(), "areaanchorbase",
                                                    katAreaAnchorProperties, katAreaAnchorMethods);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlElementAreaAnchorBase::GetClassInformation() const {
    return &GetAreaAnchorBaseClassInformation();
}

signed char KxwDomHtmlElementAreaAnchorBase::GetTinyIdForExactValueFromTinyId(signed char mcTinyId) {
    return mcTinyId == kIdHref ? static_cast<signed char>(kIdHrefExact) : mcTinyId;
}

bool KxwDomHtmlElementAreaAnchorBase::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    const KxwDomHtmlPropertyStr* ptPart = nullptr;
    switch (mnTinyId) {
        case kIdHref: {
            const KxwDomHtmlPropertyUrl& rtHref = GetHrefUrl();
            if (!rtHref.IsSpecified()) {
                mrtPropertyInfo.AssignEmptyStr();
                return true;
            }
            // An href that cannot be resolved (reported) reads as written.
            const KxwDomHtmlPropertyStr& rtAbsolute = rtHref.GetAbsoluteUrl();
            if (rtAbsolute.IsSpecified())
                mrtPropertyInfo = rtAbsolute;
            else
                mrtPropertyInfo = static_cast<const KxwDomHtmlPropertyStr&>(_tHref);
            return true;
        }
        case kIdHrefExact:
            mrtPropertyInfo = static_cast<const KxwDomHtmlPropertyStr&>(_tHref);
            return true;
        case kIdProtocol:
            ptPart = &GetHrefUrl().GetProtocol();
            break;
        case kIdHostname:
            ptPart = &GetHrefUrl().GetHostName();
            break;
        case kIdPathname:
            ptPart = &GetHrefUrl().GetPathName();
            break;
        case kIdHost:
            ptPart = &GetHrefUrl().GetHost();
            break;
        case kIdPort:
            ptPart = &GetHrefUrl().GetPort();
            break;
        case kIdSearch:
            ptPart = &GetHrefUrl().GetSearch();
            break;
        case kIdTarget:
            mrtPropertyInfo = _tTarget;
            return true;
        default:
            if (mnTinyId < kIdHref) return KxwDomHtmlElementWithName::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlElementAreaAnchorBase", mnTinyId, mrtPropertyInfo);
    }
    // A part the address does not have reads as the empty text.
    if (ptPart->IsSpecified())
        mrtPropertyInfo = *ptPart;
    else
        mrtPropertyInfo.AssignEmptyStr();
    return true;
}

std::string KxwDomHtmlElementAreaAnchorBase::GetResolvedHref() const {
    const KxwDomHtmlPropertyUrl& rtHref = GetHrefUrl();
    if (!rtHref.IsSpecified()) return std::string();
    const KxwDomHtmlPropertyStr& rtAbsolute = rtHref.GetAbsoluteUrl();
    return Utf8OfDcs(rtAbsolute.IsSpecified() ? rtAbsolute : static_cast<const KxwDomHtmlPropertyStr&>(_tHref));
}

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomHtmlElementAreaAnchorBase::DoEventDefaultAction(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CLICK)
        return KxwDomHtmlElementWithName::DoEventDefaultAction(meEventType, mptDomEventDataOrNULL);
    if (IsHrefFollowable()) {
        if (!IsConnectedToDocument()) {
            if (xfbKxwTraceEnabled())
                xfvKxwUtilReportTraceToFile(
                    "Clicking on A/AREA that not connected to the document has no effect in "
                    "KxwDomHtmlElementAreaAnchorBase::DoEventDefaultAction for this=%p",
                    static_cast<void*>(this));
            return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
        }
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "Following the link of %s at %p in KxwDomHtmlElementAreaAnchorBase::DoEventDefaultAction",
                GetNodeTypeAsAscStr(), static_cast<void*>(this));
        xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_LINK_CLICK, this, nullptr);
        return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    }
    // No address to follow (none, an empty one, a place in this page): the click is the page's own handler's, a
    // SCRIPT for/event block's included.
    CreateScriptForEventListenerIfApplicable(KXW_DOM_EVENT_TYPE_ENUM_CLICK);
    if (GetEventListener(KXW_DOM_EVENT_TYPE_ENUM_CLICK, false)) return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35974,
                                        "KxwDomHtmlElementAreaAnchorBase::DoEventDefaultAction", __LINE__);
    return KXW_DOM_HANDLE_EVENT_RET_VAL_ERROR;
}

void KxwDomHtmlElementAreaAnchorBase::DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                    const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_CLICK) {
        KxwDomWatchDelete tWatch("KxwDomHtmlElementAreaAnchorBase::DoBeforeEvent", this);
        FireEvent(KXW_DOM_EVENT_TYPE_ENUM_MOUSEOVER, mptDomEventDataOrNULL, FIRE_EVENT_ACTIVATE_ALL, nullptr);
        if (tWatch.HasBeenDeleted()) return;
    }
    KxwDomHtmlElementWithName::DoBeforeEvent(meEventType, mptDomEventDataOrNULL);
}

void KxwDomHtmlElementAreaAnchorBase::SetHrefPart(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (!mrtPropertyInfo.HasValue()) return;
    const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
    unsigned uLen = mrtPropertyInfo.ConvertAndGetStringU16nLength();
    KxwDomHtmlPropertyUrl& rtHref = const_cast<KxwDomHtmlPropertyUrl&>(GetHrefUrl());
    // Without an address there are no parts to change, as in the browser.
    if (!rtHref.IsSpecified() || !rtHref.GetAbsoluteUrl().IsSpecified()) return;
    switch (mnTinyId) {
        case kIdProtocol:
            rtHref.SetProtocol(pwsfText, uLen);
            break;
        case kIdHost:
            rtHref.SetHost(pwsfText, uLen);
            break;
        case kIdPort:
            rtHref.SetPortA(pwsfText, uLen);
            break;
        default:
            rtHref.SetSearch(pwsfText, uLen);
            break;
    }
    // The rebuilt address becomes the href itself, so that it lasts beyond the next change of the base URL.
    const KxwDomHtmlPropertyStr& rtRebuilt = rtHref.GetAbsoluteUrl();
    if (!rtRebuilt.IsSpecified()) return;
    std::string dsRebuilt(rtRebuilt.GetDcsStr() ? rtRebuilt.GetDcsStr() : "", rtRebuilt.GetDcsLenInBytes());
    SetHrefDcs(dsRebuilt.data(), static_cast<unsigned>(dsRebuilt.size()));
}

bool KxwDomHtmlElementAreaAnchorBase::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdHref: {
            if (!mrtPropertyInfo.HasValue()) return true;
            const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
            SetHrefU16n(pwsfText, mrtPropertyInfo.ConvertAndGetStringU16nLength());
            return true;
        }
        case kIdHostname:
            xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -26000,
                                                "KxwDomHtmlElementAreaAnchorBase::SetDomPropertyInfo", __LINE__,
                                                "Changing the hostname property of A/AREA is not supported");
            return true;
        case kIdPathname:
            xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -26000,
                                                "KxwDomHtmlElementAreaAnchorBase::SetDomPropertyInfo", __LINE__,
                                                "Changing the pathname property of A/AREA is not supported");
            return true;
        case kIdProtocol:
        case kIdHost:
        case kIdPort:
        case kIdSearch:
            SetHrefPart(mnTinyId, mrtPropertyInfo);
            return true;
        case kIdTarget:
            StoreScriptText(_tTarget, mrtPropertyInfo);
            return true;
        default:
            if (mnTinyId < kIdHref) return KxwDomHtmlElementWithName::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlElementAreaAnchorBase", mnTinyId);
    }
}

KxwDomHtmlElementAnchor::KxwDomHtmlElementAnchor(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementAreaAnchorBase(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_A, mbUseMemMgr) {}

const KxwJswClassInformation* KxwDomHtmlElementAnchor::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetAreaAnchorBaseClassInformation(), "anchor", katNoProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

void KxwDomHtmlElementAnchor::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    KxwDomHtmlElement::PrintMe(miIndent, meSevLvl, mulMask);
    if ((mulMask & KXW_DOM_PRINT_MASK_INNER_TEXTS) && xfbKxwUtilIsSevLvlEnabled(meSevLvl))
        PrintInnerTextLine(miIndent, meSevLvl);
}

KxwDomHtmlElementArea::KxwDomHtmlElementArea(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementAreaAnchorBase(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_AREA, mbUseMemMgr),
      _tAlt(GetDomEnv()) {}

KxwDomHtmlElementMap* KxwDomHtmlElementArea::GetContainingMap() const {
    for (KxwDomCoreNode* ptNode = GetDomParentNode(); ptNode; ptNode = ptNode->GetDomParentNode())
        if (ptNode->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_MAP)
            return static_cast<KxwDomHtmlElementMap*>(ptNode);
    return nullptr;
}

bool KxwDomHtmlElementArea::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "alt")) {
        SetAltParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElementAreaAnchorBase::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementArea::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementAreaAnchorBase::CopyClassPropertiesTo(mrtClone);
    CopySpecifiedText(_tAlt, static_cast<KxwDomHtmlElementArea&>(mrtClone)._tAlt);
}

const KxwJswClassInformation* KxwDomHtmlElementArea::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetAreaAnchorBaseClassInformation(), "area", katAreaProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementArea::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdAlt) return KxwDomHtmlElementAreaAnchorBase::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    mrtPropertyInfo = _tAlt;
    return true;
}

bool KxwDomHtmlElementArea::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdAlt) return KxwDomHtmlElementAreaAnchorBase::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    StoreScriptText(_tAlt, mrtPropertyInfo);
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

void KxwDomHtmlElementBase::NoteHrefChanged() {
    if (KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false)) ptDocument->NoteBaseUrlChanged();
}

const char* KxwDomHtmlElementBase::GetResolvedHrefDcs(unsigned* mpuLen) const {
    unsigned uHrefLen = _tHref.GetDcsStr() ? _tHref.GetDcsLenInBytes() : 0;
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    uint32_t uGeneration = ptDocument ? ptDocument->GetBaseUrlGeneration() : 0;
    if (uGeneration != _uResolvedHrefBaseGeneration || _uResolvedHrefBaseGeneration == 0) {
        // Against the document's own address, never against another BASE.
        unsigned uBaseLen = 0;
        const char* psfBase = ptDocument ? ptDocument->GetBaseUrlDcs(&uBaseLen) : nullptr;
        if (uHrefLen == 0 || !CombineUrlDcs(psfBase, uBaseLen, _tHref.GetDcsStr(), uHrefLen, _dsResolvedHref))
            _dsResolvedHref.assign(uHrefLen ? _tHref.GetDcsStr() : "", uHrefLen);
        _uResolvedHrefBaseGeneration = uGeneration;
    }
    if (mpuLen) *mpuLen = static_cast<unsigned>(_dsResolvedHref.size());
    return _dsResolvedHref.c_str();
}

void KxwDomHtmlElementBase::SetHrefParsed(const char* mpszParsedValue) {
    _tHref.SetParsed(ParsedText(mpszParsedValue));
    NoteHrefChanged();
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
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "base", katBaseProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementBase::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdLinkHref:
            // The base's own address, as written: it is what the other addresses resolve against.
            mrtPropertyInfo = _tHref;
            return true;
        case kIdBaseTarget:
            mrtPropertyInfo = _tTarget;
            return true;
        default:
            if (mnTinyId < kIdLinkHref) return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlElementBase", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementBase::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdLinkHref:
            StoreScriptText(_tHref, mrtPropertyInfo);
            NoteHrefChanged();
            return true;
        case kIdBaseTarget:
            StoreScriptText(_tTarget, mrtPropertyInfo);
            return true;
        default:
            if (mnTinyId < kIdLinkHref) return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlElementBase", mnTinyId);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// LINK

KxwDomHtmlElementLink::KxwDomHtmlElementLink(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LINK, mbUseMemMgr),
      _tHref(GetDomEnv()),
      _tRel(GetDomEnv()),
      _tAbsoluteHref(GetDomEnv()) {}

void KxwDomHtmlElementLink::SetHrefParsed(const char* mpszParsedValue) {
    _tHref.SetParsed(ParsedText(mpszParsedValue));
    _bAbsoluteHrefValid = false;
}

void KxwDomHtmlElementLink::SetRelParsed(const char* mpszParsedValue) {
    _tRel.SetParsed(ParsedText(mpszParsedValue));
    UpdateIsStyleSheet();
}

const KxwDomHtmlPropertyStr& KxwDomHtmlElementLink::GetAbsoluteHref() const {
    // Kept while the base URL it was resolved against stays what it was.
    uint32_t uGeneration = BaseUrlGenerationOf(*this);
    if (_bAbsoluteHrefValid && uGeneration == _uAbsoluteHrefBaseGeneration) return _tAbsoluteHref;
    std::string dsAbsolute = ResolveUrlDcs(_tHref);
    _tAbsoluteHref.SetDcs(dsAbsolute.data(), static_cast<unsigned>(dsAbsolute.size()));
    _uAbsoluteHrefBaseGeneration = uGeneration;
    _bAbsoluteHrefValid = true;
    return _tAbsoluteHref;
}

KxwDomStyleSheet* KxwDomHtmlElementLink::GetStyleSheetObject() {
    if (!_bIsStyleSheet) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "GetIsStyleSheet() returnd false in KxwDomHtmlElementLink::GetStyleSheetObject for this=%p",
            static_cast<void*>(this));
        return nullptr;
    }
    return KxwDomHtmlElementStyleSheetContainer::GetStyleSheetObject(*this);
}

void KxwDomHtmlElementLink::EnumerateSubtreeMembers(KxwDomSubtreeMemberSink& mrtSink) {
    KxwDomHtmlElement::EnumerateSubtreeMembers(mrtSink);
    if (KxwDomStyleSheet* ptSheet = PeekStyleSheetObject()) mrtSink.AddUserObj(ptSheet);
}

void KxwDomHtmlElementLink::UpdateIsStyleSheet() {
    static const char kszStyleSheet[] = "StyleSheet";
    static const char kszAlternate[] = "Alternate StyleSheet";
    _bIsStyleSheet = _tRel.IsSpecified() && (_tRel.IsEqualIgnoringCaseAsc(kszStyleSheet, sizeof kszStyleSheet - 1) ||
                                             _tRel.IsEqualIgnoringCaseAsc(kszAlternate, sizeof kszAlternate - 1));
}

void KxwDomHtmlElementLink::HandleDownloadNotification() {
    if (!_bIsStyleSheet || _tHref.IsEmpty() || !IsConnectedToDocument()) return;
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "Asking for the style sheet of LINK %p in "
            "KxwDomHtmlElementLink::HandleDownloadNotification",
            static_cast<void*>(this));
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_STYLESHEET_LINK, this, nullptr);
}

void KxwDomHtmlElementLink::HandleChangedHrefOrRel() {
    bool bWasStyleSheet = _bIsStyleSheet;
    UpdateIsStyleSheet();
    KxwDomWatchDelete tWatchThis("KxwDomHtmlElementLink::HandleChangedHrefOrRel", this);
    HandleDownloadNotification();
    if (tWatchThis.HasBeenDeleted() || bWasStyleSheet == _bIsStyleSheet || !IsConnectedToDocument()) return;
    if (KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false))
        ptDocument->StyleSheetLinkChanged(this, _bIsStyleSheet);
}

void KxwDomHtmlElementLink::NotifyDocumentConnection(KxwDomHtmlDocument& mrtDocument, bool mbConnectedToDocument) {
    KxwDomHtmlElement::NotifyDocumentConnection(mrtDocument, mbConnectedToDocument);
    if (!_bIsStyleSheet) return;
    KxwDomWatchDelete tWatchThis("KxwDomHtmlElementLink::NotifyDocumentConnection", this);
    mrtDocument.StyleSheetLinkChanged(this, mbConnectedToDocument);
    if (mbConnectedToDocument && !tWatchThis.HasBeenDeleted()) HandleDownloadNotification();
}

bool KxwDomHtmlElementLink::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "href")) {
        SetHrefParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "rel")) {
        SetRelParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementLink::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    auto& rtClone = static_cast<KxwDomHtmlElementLink&>(mrtClone);
    CopySpecifiedText(_tHref, rtClone._tHref);
    CopySpecifiedText(_tRel, rtClone._tRel);
    rtClone._bAbsoluteHrefValid = false;
    rtClone.UpdateIsStyleSheet();
}

const KxwJswClassInformation* KxwDomHtmlElementLink::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&KxwDomHtmlElementSimple::GetStyleSheetContainerClassInformation(),
                                                    "link", katLinkProperties, katLinkMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementLink::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdLinkHref:
            if (_tHref.IsEmpty())
                mrtPropertyInfo.AssignEmptyStr();
            else
                mrtPropertyInfo = GetAbsoluteHref();
            return true;
        case kIdLinkRel:
            mrtPropertyInfo = _tRel;
            return true;
        default:
            if (mnTinyId < kIdLinkHref) return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlElementLink", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementLink::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdLinkHref:
            StoreScriptText(_tHref, mrtPropertyInfo);
            _bAbsoluteHrefValid = false;
            HandleChangedHrefOrRel();
            return true;
        case kIdLinkRel:
            StoreScriptText(_tRel, mrtPropertyInfo);
            HandleChangedHrefOrRel();
            return true;
        default:
            if (mnTinyId < kIdLinkHref) return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlElementLink", mnTinyId);
    }
}

void KxwDomHtmlElementAreaAnchorBase::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("href", _tHref);
    mrtText.ConcatHtmlProperty("target", _tTarget);
    KxwDomHtmlElementWithName::GenerateHtmlProperties(mrtText);
}

void KxwDomHtmlElementArea::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("alt", _tAlt);
    KxwDomHtmlElementAreaAnchorBase::GenerateHtmlProperties(mrtText);
}

void KxwDomHtmlElementBase::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("href", _tHref);
    mrtText.ConcatHtmlProperty("target", _tTarget);
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}

void KxwDomHtmlElementLink::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("href", GetHref());
    mrtText.ConcatHtmlProperty("rel", GetRel());
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}
