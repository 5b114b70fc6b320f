#include "KxwDomHtcElementProperty.h"

#include "KxwDomHtcDocument.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
enum : short {
    kIdHtcName = KxwDomHtmlElement::kFirstDerivedTinyId,
    kIdGet,
    kIdPut,
    kIdValue,
    kIdInternalName,
};

const KxwJswPropertySpec katProperties[] = {
    {"HTCNAME", kIdHtcName, kAttr, "S"},
    {"GET", kIdGet, kAttr, "S"},
    {"PUT", kIdPut, kAttr, "S"},
    {"VALUE", kIdValue, kAttr, "S"},
    {"INTERNALNAME", kIdInternalName, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

}  // namespace

KxwDomHtcElementProperty::KxwDomHtcElementProperty(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_PROPERTY, mbUseMemMgr),
      _tHtcName(GetDomEnv()),
      _tGet(GetDomEnv()),
      _tPut(GetDomEnv()),
      _tValue(GetDomEnv()),
      _tInternalName(GetDomEnv()) {}

bool KxwDomHtcElementProperty::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "name")) return _tHtcName.SetParsed(ParsedText(mpszValueOrNull)), true;
    if (IsName(mpszName, "htcname")) return _tHtcName.SetParsed(ParsedText(mpszValueOrNull)), true;
    if (IsName(mpszName, "get")) return _tGet.SetParsed(ParsedText(mpszValueOrNull)), true;
    if (IsName(mpszName, "put")) return _tPut.SetParsed(ParsedText(mpszValueOrNull)), true;
    if (IsName(mpszName, "value")) return _tValue.SetParsed(ParsedText(mpszValueOrNull)), true;
    if (IsName(mpszName, "internalname")) return _tInternalName.SetParsed(ParsedText(mpszValueOrNull)), true;
    return KxwDomHtmlElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

KxwDomHtmlElement* KxwDomHtcElementProperty::MakeEmptyClone(KxwDomHtmlDocument& mrtDocument) {
    return new (mrtDocument.GetMemMgr()) KxwDomHtcElementProperty(&mrtDocument, true);
}

void KxwDomHtcElementProperty::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElement::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtcElementProperty&>(mrtClone);
    CopySpecifiedText(_tHtcName, rtClone._tHtcName);
    CopySpecifiedText(_tGet, rtClone._tGet);
    CopySpecifiedText(_tPut, rtClone._tPut);
    CopySpecifiedText(_tValue, rtClone._tValue);
    CopySpecifiedText(_tInternalName, rtClone._tInternalName);
}

KxwDomHtcDocument* KxwDomHtcElementProperty::GetHtcDocument() const {
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    return ptDocument ? ptDocument->GetHtcDocument() : nullptr;
}

void KxwDomHtcElementProperty::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("HTCNAME", _tHtcName);
    mrtText.ConcatHtmlProperty("GET", _tGet);
    mrtText.ConcatHtmlProperty("PUT", _tPut);
    mrtText.ConcatHtmlProperty("VALUE", _tValue);
    mrtText.ConcatHtmlProperty("INTERNALNAME", _tInternalName);
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}

const KxwJswClassInformation* KxwDomHtcElementProperty::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "PUBLIC:PROPERTY", katProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtcElementProperty::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdHtcName:
            mrtPropertyInfo = _tHtcName;
            return true;
        case kIdGet:
            mrtPropertyInfo = _tGet;
            return true;
        case kIdPut:
            mrtPropertyInfo = _tPut;
            return true;
        case kIdValue:
            mrtPropertyInfo = _tValue;
            return true;
        case kIdInternalName:
            mrtPropertyInfo = _tInternalName;
            return true;
        default:
            if (mnTinyId < kFirstDerivedTinyId) return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "KxwDomHtcElementProperty::GetDomPropertyInfo: Unsupported property ID (%d)",
                static_cast<int>(mnTinyId));
            return false;
    }
}

bool KxwDomHtcElementProperty::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdHtcName:
            StoreScriptText(_tHtcName, mrtPropertyInfo);
            return true;
        case kIdGet:
            StoreScriptText(_tGet, mrtPropertyInfo);
            return true;
        case kIdPut:
            StoreScriptText(_tPut, mrtPropertyInfo);
            return true;
        case kIdValue:
            StoreScriptText(_tValue, mrtPropertyInfo);
            return true;
        case kIdInternalName:
            StoreScriptText(_tInternalName, mrtPropertyInfo);
            return true;
        default:
            if (mnTinyId < kFirstDerivedTinyId) return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "KxwDomHtcElementProperty::SetDomPropertyInfo: Unsupported property ID (%d)",
                static_cast<int>(mnTinyId));
            return false;
    }
}

std::string KxwDomHtcElementProperty::GetVariableName() const {
    const KxwDomHtmlPropertyStr& rtName = _tInternalName.IsSpecified() ? _tInternalName : _tHtcName;
    return rtName.GetDcsStr() ? std::string(rtName.GetDcsStr(), rtName.GetDcsLenInBytes()) : std::string();
}

bool KxwDomHtcElementProperty::GetElementPropValueAndType(void** mppvValue, unsigned* mpnLength,
                                                          KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    *mppvValue = nullptr;
    *mpnLength = 0;
    *mpeType = KXW_JSW_OBJ_PROP_TYPE_UNDEFINED;
    KxwDomHtcDocument* ptHtc = GetHtcDocument();
    if (!ptHtc) return false;
    KxwJsval tValue;
    bool bOK = false;
    if (_tGet.IsSpecified() && !_tGet.IsEmpty()) {
        bOK = ptHtc->CallFunction(std::string(_tGet.GetDcsStr(), _tGet.GetDcsLenInBytes()), 0, nullptr, &tValue);
    } else {
        std::string dsVariable = GetVariableName();
        bOK = !dsVariable.empty() && ptHtc->ReadVariable(dsVariable, tValue);
        if (tValue.IsUndefined() && _tValue.IsSpecified()) {
            _dsLastText.assign(_tValue.GetU16nStr() ? _tValue.GetU16nStr() : u"",
                               _tValue.GetU16nStr() ? _tValue.GetU16nLenInChars() : 0);
            *mppvValue = const_cast<char16_t*>(_dsLastText.data());
            *mpnLength = static_cast<unsigned>(_dsLastText.size());
            *mpeType = KXW_JSW_OBJ_PROP_TYPE_STRING;
            return true;
        }
    }
    if (!bOK) return false;
    // The value is kept here so that what the triple points at lives until the caller converted it.
    _tLastValue = tValue;
    if (_tLastValue.IsUndefined()) {
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_UNDEFINED;
    } else if (_tLastValue.IsNull()) {
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_NULL;
    } else if (_tLastValue.IsBoolean()) {
        *mppvValue = reinterpret_cast<void*>(static_cast<intptr_t>(_tLastValue.GetBoolean() ? 1 : 0));
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_BOOLEAN;
    } else if (_tLastValue.IsNumber()) {
        _dfLastNumber = _tLastValue.GetDouble();
        *mppvValue = &_dfLastNumber;
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOUBLE;
    } else if (_tLastValue.IsString()) {
        unsigned uLen = 0;
        const char16_t* pwsfText = _tLastValue.GetStringU16n(&uLen);
        _dsLastText.assign(pwsfText ? pwsfText : u"", pwsfText ? uLen : 0);
        *mppvValue = const_cast<char16_t*>(_dsLastText.data());
        *mpnLength = static_cast<unsigned>(_dsLastText.size());
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_STRING;
    } else if (_tLastValue.IsDomObject()) {
        *mppvValue = _tLastValue.GetRawDomObject();
        *mpnLength = KXW_JSW_DOM_OBJECT_LEN;
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
    } else {
        *mppvValue = const_cast<void*>(_tLastValue.GetValueAddress());
        *mpeType = _tLastValue.IsFunction() ? KXW_JSW_OBJ_PROP_TYPE_FUNCTION : KXW_JSW_OBJ_PROP_TYPE_JS_OBJECT;
    }
    return true;
}

bool KxwDomHtcElementProperty::SetElementPropValue(const KxwJsval& mrtValue) {
    if (!_tPut.IsSpecified() || _tPut.IsEmpty()) return true;
    KxwDomHtcDocument* ptHtc = GetHtcDocument();
    if (!ptHtc) return false;
    KxwJsval tValue = mrtValue;
    return ptHtc->CallFunction(std::string(_tPut.GetDcsStr(), _tPut.GetDcsLenInBytes()), 1, &tValue, nullptr);
}
