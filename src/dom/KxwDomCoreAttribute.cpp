#include "KxwDomCoreAttribute.h"

#include <string>

#include "KxwDomBindingUtil.h"
#include "KxwDomCoreDocument.h"
#include "KxwDomCoreElement.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"
#include "kxw/KxwJsval.h"

namespace {

// Tiny ids of "coreattribute" (137 to 140), as the class receives them.
enum : short {
    kIdName = -119,
    kIdValue = -118,
    kIdParentNode = -117,
    kIdSpecified = -116,
};

const KxwJswPropertySpec katAttributeProperties[] = {
    {"name", 137, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"value", 138, KXW_JSW_PROP_PERMANENT, "S"},
    {"parentNode", 139, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"specified", 140, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katAttributeMethods[] = {{nullptr, nullptr, nullptr, 0}};

}  // namespace

KxwDomCoreAttribute::KxwDomCoreAttribute(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr,
                                         const char* mpsfNameDcsStr, unsigned muNameDcsLenInBytes, signed char mcTinyId)
    : KxwDomNodeBase(mptOwnerDocument, mptMemMgr),
      _tDocumentWatch("KxwDomCoreAttribute::KxwDomCoreAttribute", mptOwnerDocument),
      _tName(GetDomEnv()),
      _cTinyId(mcTinyId) {
    if (mpsfNameDcsStr) _tName.SetDcs(mpsfNameDcsStr, muNameDcsLenInBytes);
}

KxwDomCoreAttribute::KxwDomCoreAttribute(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr,
                                         const char16_t* mpwsfNameU16nStr, unsigned muNameU16nLenInChars,
                                         signed char mcTinyId)
    : KxwDomNodeBase(mptOwnerDocument, mptMemMgr),
      _tDocumentWatch("KxwDomCoreAttribute::KxwDomCoreAttribute", mptOwnerDocument),
      _tName(GetDomEnv()),
      _cTinyId(mcTinyId) {
    if (mpwsfNameU16nStr) _tName.SetU16n(mpwsfNameU16nStr, muNameU16nLenInChars);
}

const char16_t* KxwDomCoreAttribute::GetNodeNameU16n(unsigned* mpuLenInChars) const {
    const char16_t* pwsfName = _tName.GetU16nStr();
    if (mpuLenInChars) *mpuLenInChars = pwsfName ? _tName.GetU16nLenInChars() : 0;
    return pwsfName ? pwsfName : u"";
}

KxwDomCoreDocument* KxwDomCoreAttribute::GetWatchedOwnerDocument() const {
    return static_cast<KxwDomCoreDocument*>(_tDocumentWatch.GetEffectiveWatchedPtr());
}

void KxwDomCoreAttribute::SetOwnerElement(KxwDomCoreElement* mptOwnerElement) {
    _tOwnerElementWatch.Reset();
    if (mptOwnerElement) {
        _tOwnerElementWatch.SetCallingFuncName("KxwDomCoreAttribute::SetOwnerElement");
        _tOwnerElementWatch.ActivateWatch(mptOwnerElement);
    }
}

KxwDomCoreElement* KxwDomCoreAttribute::GetOwnerElement() const {
    return static_cast<KxwDomCoreElement*>(_tOwnerElementWatch.GetEffectiveWatchedPtr());
}

const char* KxwDomCoreAttribute::GetNameDcs(unsigned* mpuLenInBytes) const {
    const char* psfName = _tName.GetDcsStr();
    if (mpuLenInBytes) *mpuLenInBytes = psfName ? _tName.GetDcsLenInBytes() : 0;
    return psfName ? psfName : "";
}

void KxwDomCoreAttribute::ResolveTinyId() {
    if (_cTinyId != kUnresolvedTinyId) return;
    KxwDomCoreElement* ptOwner = GetOwnerElement();
    const KxwJswClassInformation* ptClass = ptOwner ? ptOwner->GetClassInformation() : nullptr;
    if (!ptClass) return;
    const KxwJswPropertySpec* ptSpec = ptClass->FindPropertyIgnoringCase(GetNameDcs(nullptr));
    _cTinyId =
        ptSpec ? static_cast<signed char>(KxwJswClassInformation::DispatchId(ptSpec->_uTinyId)) : kCustomAttribute;
}

void KxwDomCoreAttribute::UpdateNodeValueFromElement() {
    KxwDomCoreElement* ptOwner = GetOwnerElement();
    if (!ptOwner || !ptOwner->HasJsiObj()) return;
    ResolveTinyId();
    unsigned uLen = 0;
    const char16_t* pwsfName = GetNodeNameU16n(&uLen);
    KxwJsval tValue;
    if (IsForPropertyNamedOtherwise()) {
        if (!ptOwner->GetDomPropertyJsval(_cTinyId, tValue) || tValue.IsUndefined()) tValue.SetNull();
    } else {
        // Attribute names ignore case, as in markup: a node made by a script as "DATA-K" stands for "data-k".
        ptOwner->GetAttribute(pwsfName, uLen, 0, tValue);
    }
    _bUpdatingFromElement = true;
    if (tValue.IsNull()) {
        SetNodeValueU16n(u"", 0);
    } else {
        unsigned uValueLen = 0;
        const char16_t* pwsfValue = tValue.GetStringU16n(&uValueLen);
        SetNodeValueU16n(pwsfValue ? pwsfValue : u"", pwsfValue ? uValueLen : 0);
    }
    _bUpdatingFromElement = false;
}

KxwDomHtmlPropertyStr& KxwDomCoreAttribute::GetValue() {
    UpdateNodeValueFromElement();
    return GetNodeValue();
}

void KxwDomCoreAttribute::OnNodeValueChanged() {
    KxwDomCoreElement* ptOwner = _bUpdatingFromElement ? nullptr : GetOwnerElement();
    if (!ptOwner) return;
    ResolveTinyId();
    unsigned uLen = 0;
    const char16_t* pwsfName = GetNodeNameU16n(&uLen);
    const KxwDomHtmlPropertyStr& rtValue = GetNodeValue();
    KxwJsval tValue;
    const char16_t* pwsfValue = rtValue.GetU16nStr();
    if (!tValue.SetStringU16n(pwsfValue ? pwsfValue : u"", pwsfValue ? rtValue.GetU16nLenInChars() : 0)) return;
    if (IsForPropertyNamedOtherwise())
        ptOwner->SetDomPropertyJsval(_cTinyId, tValue);
    else
        ptOwner->SetAttribute(pwsfName, uLen, tValue, 0);
}

bool KxwDomCoreAttribute::IsForPropertyNamedOtherwise() {
    if (_cTinyId == kCustomAttribute || _cTinyId == kUnresolvedTinyId) return false;
    KxwDomCoreElement* ptOwner = GetOwnerElement();
    const KxwJswClassInformation* ptClass = ptOwner ? ptOwner->GetClassInformation() : nullptr;
    return ptClass && !ptClass->FindPropertyIgnoringCase(GetNameDcs(nullptr));
}

bool KxwDomCoreAttribute::IsSpecified() {
    KxwDomCoreElement* ptOwner = GetOwnerElement();
    if (!ptOwner) return false;
    ResolveTinyId();
    if (_cTinyId == kCustomAttribute || _cTinyId == kUnresolvedTinyId) {
        KxwJsval tObj;
        unsigned uLen = 0;
        const char16_t* pwsfName = GetNodeNameU16n(&uLen);
        ptOwner->DumpAttributesToJsiObj();
        return ptOwner->GetJsiObj() && tObj.SetDomObject(ptOwner) && tObj.ItsOwnProperty(pwsfName, uLen);
    }
    KxwDomPropertyInfo tInfo;
    if (!ptOwner->GetDomPropertyInfo(_cTinyId, tInfo)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "GetPropertyInfo failed in KxwDomCoreAttribute::GetDomPropertyInfo tiny "
                                              "id = %c",
                                              _cTinyId);
        return false;
    }
    return tInfo.IsSpecified();
}

const KxwJswClassInformation* KxwDomCoreAttribute::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetNodeBaseClassInformation(), "coreattribute",
                                                    katAttributeProperties, katAttributeMethods);
    return &ktClassInfo;
}

bool KxwDomCoreAttribute::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdName:
            mrtPropertyInfo = _tName;
            return true;
        case kIdValue:
            mrtPropertyInfo = GetValue();
            return true;
        case kIdParentNode:
            mrtPropertyInfo.AssignNull();
            return true;
        case kIdSpecified:
            mrtPropertyInfo = IsSpecified();
            return true;
        default:
            if (mnTinyId < kIdName) return KxwDomNodeBase::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomCoreAttribute", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomCoreAttribute::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdValue) {
        const char16_t* pwsfValue = mrtPropertyInfo.ConvertAndGetStringU16n();
        unsigned uLen = mrtPropertyInfo.ConvertAndGetStringU16nLength();
        SetNodeValueU16n(pwsfValue ? pwsfValue : u"", pwsfValue ? uLen : 0);
        return true;
    }
    if (mnTinyId < kIdName) return KxwDomNodeBase::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomCoreAttribute", mnTinyId);
}
