#include "KxwDomHtmlElementFrame.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
enum : short {
    kIdSrc = KxwDomHtmlElement::kFirstDerivedTinyId,  // 7
    kIdName,                                          // 8
};

const KxwJswPropertySpec katFrameBaseProperties[] = {
    {"src", 7, kAttr, "S"},
    {"name", 8, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswPropertySpec katNoProperties[] = {{nullptr, 0, 0, nullptr}};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

}  // namespace

KxwDomHtmlElementFrameBase::KxwDomHtmlElementFrameBase(KxwDomHtmlDocument* mptOwnerDocument,
                                                       KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, meSubtype, mbUseMemMgr), _tSrc(GetDomEnv()), _tName(GetDomEnv()) {}

void KxwDomHtmlElementFrameBase::SetNameParsed(const char* mpszParsedValue) {
    ChangeIdentifierParsed(_tName, KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED, mpszParsedValue);
}

void KxwDomHtmlElementFrameBase::SetNameU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    ChangeIdentifierU16n(_tName, KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED, mpwsfU16nStr, muU16nLenInChars);
}

bool KxwDomHtmlElementFrameBase::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "src")) {
        SetSrcParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "name")) {
        SetNameParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementFrameBase::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    auto& rtClone = static_cast<KxwDomHtmlElementFrameBase&>(mrtClone);
    CopySpecifiedText(_tSrc, rtClone._tSrc);
    CopySpecifiedText(_tName, rtClone._tName);
}

const KxwJswClassInformation& KxwDomHtmlElementFrameBase::GetFrameBaseClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "framebase", katFrameBaseProperties,
                                                    katNoMethods);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlElementFrameBase::GetClassInformation() const {
    static const KxwJswClassInformation ktFrame(&GetFrameBaseClassInformation(), "frame", katNoProperties,
                                                katNoMethods);
    static const KxwJswClassInformation ktInlineFrame(&GetFrameBaseClassInformation(), "iframe", katNoProperties,
                                                      katNoMethods);
    return GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_IFRAME ? &ktInlineFrame : &ktFrame;
}

bool KxwDomHtmlElementFrameBase::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdSrc:
            AssignResolvedUrl(mrtPropertyInfo, _tSrc);
            return true;
        case kIdName:
            mrtPropertyInfo = _tName;
            return true;
        default:
            if (mnTinyId < kIdSrc) return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlElementFrameBase", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementFrameBase::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdSrc:
            // Loading the new address into the frame's window comes with windows.
            StoreScriptText(_tSrc, mrtPropertyInfo);
            return true;
        case kIdName:
            if (!mrtPropertyInfo.HasValue()) return true;
            SetNameU16n(mrtPropertyInfo.ConvertAndGetStringU16n(), mrtPropertyInfo.ConvertAndGetStringU16nLength());
            return true;
        default:
            if (mnTinyId < kIdSrc) return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlElementFrameBase", mnTinyId);
    }
}
