#include "KxwDomPropertyInfo.h"

#include <cstring>

#include "KxwDomHtmlProperty.h"
#include "KxwDomStr.h"
#include "KxwUtilReport.h"
#include "maw_alloc.h"

namespace {

const char16_t kwszEmpty[1] = u"";

const char kszNullPropertyStr[] = "_ptPropertyStr is NULL. Using an empty string";
const char kszNullPropertyNumLong[] = "_ptPropertyNumLong is NULL. Using zero";
const char kszNullPropertyBool[] = "_ptPropertyBool is NULL. Using 'false'";
const char kszInvalidType[] = "Invalid _ucType. Using 'undefined'";

void ReportInvalidType(const char* mpszFunction, int miType) {
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "Invalid _ucType=%d in KxwDomPropertyInfo::%s", miType, mpszFunction);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Life and copies

KxwDomPropertyInfo::~KxwDomPropertyInfo() {
    FreeOwned();
}

KxwDomPropertyInfo::KxwDomPropertyInfo(const KxwDomPropertyInfo& mrtOther) {
    CopyFrom(mrtOther);
}

KxwDomPropertyInfo& KxwDomPropertyInfo::operator=(const KxwDomPropertyInfo& mrtOther) {
    if (this != &mrtOther) {
        FreeOwned();
        CopyFrom(mrtOther);
    }
    return *this;
}

void KxwDomPropertyInfo::CopyFrom(const KxwDomPropertyInfo& mrtOther) {
    _uValue = mrtOther._uValue;
    _tJsval = mrtOther._tJsval;
    _nLen = mrtOther._nLen;
    _bIsSpecified = mrtOther._bIsSpecified;
    _ucType = mrtOther._ucType;
    _pvOwned = nullptr;
    if (!mrtOther._pvOwned) return;
    // The copy gets its own storage so that either info can die or change first.
    if (_ucType == KXW_DOM_PROPERTY_INFO_TYPE_DOUBLE)
        StoreOwnedDouble(*mrtOther._uValue._pdfDouble);
    else
        StoreOwnedText(mrtOther._uValue._pwcStr, mrtOther._nLen);
    _ucType = mrtOther._ucType;
    _bIsSpecified = mrtOther._bIsSpecified;
}

void KxwDomPropertyInfo::FreeOwned() {
    maw_free(_pvOwned);
    _pvOwned = nullptr;
}

void KxwDomPropertyInfo::Store(KXW_DOM_PROPERTY_INFO_TYPE_ENUM meType, const Value& mrtValue) {
    void* pvOld = _pvOwned;
    const void* pvNew = nullptr;
    if (meType == KXW_DOM_PROPERTY_INFO_TYPE_STRING || meType == KXW_DOM_PROPERTY_INFO_TYPE_STRING_HELD_ELSEWHERE)
        pvNew = mrtValue._pwcStr;
    else if (meType == KXW_DOM_PROPERTY_INFO_TYPE_DOUBLE)
        pvNew = mrtValue._pdfDouble;
    _uValue = mrtValue;
    if (_ucType == KXW_DOM_PROPERTY_INFO_TYPE_FUNCTION || _ucType == KXW_DOM_PROPERTY_INFO_TYPE_JS_OBJECT ||
        _ucType == KXW_DOM_PROPERTY_INFO_TYPE_JSVAL)
        _tJsval.SetUndefined();  // the previous engine value is no longer kept
    _ucType = meType;
    _nLen = 0;
    _bIsSpecified = 0;
    // An info re-assigned its own converted text keeps it; anything else lets it go.
    if (pvOld && pvNew != pvOld) FreeOwned();
}

void KxwDomPropertyInfo::StoreJsval(KXW_DOM_PROPERTY_INFO_TYPE_ENUM meType, const KxwJsval& mrtValue) {
    KxwJsval tValue = mrtValue;  // mrtValue may be this info's own value
    Store(meType, Value{});
    _tJsval = tValue;
}

void KxwDomPropertyInfo::StoreOwnedText(const char16_t* mpwsfStr, unsigned mnLen) {
    size_t nBytes = (static_cast<size_t>(mnLen) + 1) * sizeof(char16_t);
    auto* pwcText = static_cast<char16_t*>(maw_malloc(nBytes));
    if (!pwcText) KxwUtilOutOfMemoryAbort(static_cast<long>(nBytes), "a property value's text");
    if (mnLen) std::memcpy(pwcText, mpwsfStr, static_cast<size_t>(mnLen) * sizeof(char16_t));
    pwcText[mnLen] = u'\0';
    Value tValue{};
    tValue._pwcStr = pwcText;
    Store(KXW_DOM_PROPERTY_INFO_TYPE_STRING, tValue);
    FreeOwned();
    _pvOwned = pwcText;
    _nLen = mnLen;
}

void KxwDomPropertyInfo::StoreOwnedDouble(double mdfValue) {
    auto* pdfValue = static_cast<double*>(maw_malloc(sizeof(double)));
    if (!pdfValue) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(double)), "a property value's number");
    *pdfValue = mdfValue;
    Value tValue{};
    tValue._pdfDouble = pdfValue;
    Store(KXW_DOM_PROPERTY_INFO_TYPE_DOUBLE, tValue);
    FreeOwned();
    _pvOwned = pdfValue;
}

// ---------------------------------------------------------------------------------------------------------------
// Assignment

KxwDomPropertyInfo& KxwDomPropertyInfo::operator=(const KxwJswUserObjBase* mptUserObj) {
    Value tValue{};
    tValue._ptUserObj = mptUserObj;
    Store(KXW_DOM_PROPERTY_INFO_TYPE_DOM_OBJECT, tValue);
    return *this;
}

void KxwDomPropertyInfo::AssignDomObjectOrNull(const KxwJswUserObjBase* mptUserObj) {
    if (mptUserObj)
        *this = mptUserObj;
    else
        AssignNull();
}

KxwDomPropertyInfo& KxwDomPropertyInfo::operator=(const KxwDomStr& mrtStr) {
    AssignU16nStr(mrtStr.GetU16nStr(), mrtStr.GetU16nLenInChars(), false);
    return *this;
}

void KxwDomPropertyInfo::AssignU16nStr(const char16_t* mpwsfStr, unsigned mnLen, bool mbHeldElsewhere) {
    if (!mpwsfStr) {
        if (mnLen)
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "mpwsfStr is NULL for mnLen=%u in KxwDomPropertyInfo::AssignU16nStr. "
                                                  "this=%p",
                                                  mnLen, static_cast<void*>(this));
        mpwsfStr = kwszEmpty;
        mnLen = 0;
    }
    Value tValue{};
    tValue._pwcStr = mpwsfStr;
    Store(mbHeldElsewhere ? KXW_DOM_PROPERTY_INFO_TYPE_STRING_HELD_ELSEWHERE : KXW_DOM_PROPERTY_INFO_TYPE_STRING,
          tValue);
    _nLen = mnLen;
}

void KxwDomPropertyInfo::AssignEmptyStr() {
    AssignU16nStr(kwszEmpty, 0, true);
}

KxwDomPropertyInfo& KxwDomPropertyInfo::operator=(int miValue) {
    Value tValue{};
    tValue._iInt = miValue;
    Store(KXW_DOM_PROPERTY_INFO_TYPE_INT, tValue);
    return *this;
}

KxwDomPropertyInfo& KxwDomPropertyInfo::operator=(const double* mpdfDouble) {
    if (!mpdfDouble) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mpdfDouble is NULL in KxwDomPropertyInfo::operator=(double *)");
        AssignUndefined();
        return *this;
    }
    Value tValue{};
    tValue._pdfDouble = mpdfDouble;
    Store(KXW_DOM_PROPERTY_INFO_TYPE_DOUBLE, tValue);
    return *this;
}

KxwDomPropertyInfo& KxwDomPropertyInfo::operator=(bool mbValue) {
    Value tValue{};
    tValue._bBool = mbValue;
    Store(KXW_DOM_PROPERTY_INFO_TYPE_BOOLEAN, tValue);
    return *this;
}

void KxwDomPropertyInfo::AssignNull() {
    Store(KXW_DOM_PROPERTY_INFO_TYPE_NULL, Value{});
}

void KxwDomPropertyInfo::AssignUndefined() {
    Store(KXW_DOM_PROPERTY_INFO_TYPE_UNDEFINED, Value{});
}

void KxwDomPropertyInfo::AssignNoValue() {
    Store(KXW_DOM_PROPERTY_INFO_TYPE_NO_VALUE, Value{});
}

KxwDomPropertyInfo& KxwDomPropertyInfo::operator=(const JSObject* mptObj) {
    if (!mptObj) {
        AssignNull();
        return *this;
    }
    KxwJsval tValue;
    tValue.SetObject(const_cast<JSObject*>(mptObj));
    StoreJsval(KXW_DOM_PROPERTY_INFO_TYPE_JS_OBJECT, tValue);
    return *this;
}

KxwDomPropertyInfo& KxwDomPropertyInfo::operator=(const KxwDomHtmlPropertyStr& mrtProperty) {
    Value tValue{};
    tValue._ptPropertyStr = &mrtProperty;
    Store(KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_STR, tValue);
    return *this;
}

KxwDomPropertyInfo& KxwDomPropertyInfo::operator=(const KxwDomHtmlPropertyNumLong& mrtProperty) {
    Value tValue{};
    tValue._ptPropertyNumLong = &mrtProperty;
    Store(KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_NUM_LONG, tValue);
    return *this;
}

KxwDomPropertyInfo& KxwDomPropertyInfo::operator=(const KxwDomHtmlPropertyBool& mrtProperty) {
    Value tValue{};
    tValue._ptPropertyBool = &mrtProperty;
    Store(KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_BOOL, tValue);
    return *this;
}

KxwDomPropertyInfo& KxwDomPropertyInfo::operator=(const KxwJsval& mrtValue) {
    StoreJsval(KXW_DOM_PROPERTY_INFO_TYPE_JSVAL, mrtValue);
    return *this;
}

void KxwDomPropertyInfo::Assign(void* mpvPropValue, unsigned mnPropValueLen, KXW_JSW_OBJ_PROP_TYPE_ENUM mePropType) {
    switch (mePropType) {
        case KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT:
            *this = static_cast<const KxwJswUserObjBase*>(mpvPropValue);
            return;
        case KXW_JSW_OBJ_PROP_TYPE_STRING:
            AssignU16nStr(static_cast<const char16_t*>(mpvPropValue), mnPropValueLen, false);
            return;
        case KXW_JSW_OBJ_PROP_TYPE_INT:
            *this = static_cast<int>(reinterpret_cast<intptr_t>(mpvPropValue));
            return;
        case KXW_JSW_OBJ_PROP_TYPE_DOUBLE:
            *this = static_cast<const double*>(mpvPropValue);
            return;
        case KXW_JSW_OBJ_PROP_TYPE_BOOLEAN:
            *this = mpvPropValue != nullptr;
            return;
        case KXW_JSW_OBJ_PROP_TYPE_NULL:
            AssignNull();
            return;
        case KXW_JSW_OBJ_PROP_TYPE_UNDEFINED:
            AssignUndefined();
            return;
        case KXW_JSW_OBJ_PROP_TYPE_FUNCTION:
        case KXW_JSW_OBJ_PROP_TYPE_JS_OBJECT: {
            // The wrapper passes these as a pointer to the engine value; a null pointer stands for script null.
            if (!mpvPropValue) {
                AssignNull();
                return;
            }
            uint64_t uBits = 0;
            std::memcpy(&uBits, mpvPropValue, sizeof uBits);
            StoreJsval(static_cast<KXW_DOM_PROPERTY_INFO_TYPE_ENUM>(mePropType), KxwJsval::FromRawBits(uBits));
            return;
        }
        default:
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "Unsupported/invalid mePropType=%d in KxwDomPropertyInfo::Assign. mpvPropValue=%p, mnPropValueLen=%ld",
                static_cast<int>(mePropType), mpvPropValue, static_cast<long>(mnPropValueLen));
            AssignUndefined();
            return;
    }
}

void KxwDomPropertyInfo::Assign(void** mppvPropValue, unsigned* mpnPropValueLen,
                                KXW_JSW_OBJ_PROP_TYPE_ENUM* mpePropType) {
    if (!mppvPropValue || !mpnPropValueLen || !mpePropType) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mppvPropValue=%p / mpnPropValueLen=%p / mpePropType=%p in KxwDomPropertyInfo::Assign",
            static_cast<void*>(mppvPropValue), static_cast<void*>(mpnPropValueLen), static_cast<void*>(mpePropType));
        AssignUndefined();
        return;
    }
    Assign(*mppvPropValue, *mpnPropValueLen, *mpePropType);
}

void KxwDomPropertyInfo::PartialReset() {
    _nLen = 0;
    _bIsSpecified = 0;
}

// ---------------------------------------------------------------------------------------------------------------
// Reading

void KxwDomPropertyInfo::ReportReadFallback(const char* mpszReason, const char* mpszFunction) const {
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "%.100s in KxwDomPropertyInfo::%s. _ucType=%d", mpszReason, mpszFunction,
                                          static_cast<int>(_ucType));
}

bool KxwDomPropertyInfo::IsSpecified() const {
    switch (_ucType) {
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_STR:
            return _uValue._ptPropertyStr && _uValue._ptPropertyStr->IsSpecified();
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_NUM_LONG:
            return _uValue._ptPropertyNumLong && _uValue._ptPropertyNumLong->IsSpecified();
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_BOOL:
            return _uValue._ptPropertyBool && _uValue._ptPropertyBool->IsSpecified();
        default:
            return _bIsSpecified != 0;
    }
}

void KxwDomPropertyInfo::GetJsval(KxwJsval& mrtValue) const {
    switch (_ucType) {
        case KXW_DOM_PROPERTY_INFO_TYPE_DOM_OBJECT:
            mrtValue.SetDomObject(const_cast<KxwJswUserObjBase*>(_uValue._ptUserObj));
            break;
        case KXW_DOM_PROPERTY_INFO_TYPE_STRING:
        case KXW_DOM_PROPERTY_INFO_TYPE_STRING_HELD_ELSEWHERE:
            mrtValue.SetStringU16n(_uValue._pwcStr, _nLen);
            break;
        case KXW_DOM_PROPERTY_INFO_TYPE_INT:
            mrtValue.SetInt(_uValue._iInt);
            break;
        case KXW_DOM_PROPERTY_INFO_TYPE_DOUBLE:
            mrtValue.SetDouble(*_uValue._pdfDouble);
            break;
        case KXW_DOM_PROPERTY_INFO_TYPE_BOOLEAN:
            mrtValue.SetBoolean(_uValue._bBool);
            break;
        case KXW_DOM_PROPERTY_INFO_TYPE_NULL:
            mrtValue.SetNull();
            break;
        case KXW_DOM_PROPERTY_INFO_TYPE_UNDEFINED:
            mrtValue.SetUndefined();
            break;
        case KXW_DOM_PROPERTY_INFO_TYPE_FUNCTION:
        case KXW_DOM_PROPERTY_INFO_TYPE_JS_OBJECT:
        case KXW_DOM_PROPERTY_INFO_TYPE_JSVAL:
            mrtValue = _tJsval;
            break;
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_STR:
            if (_uValue._ptPropertyStr) {
                mrtValue.SetStringU16n(_uValue._ptPropertyStr->GetU16nStr(),
                                       _uValue._ptPropertyStr->GetU16nLenInChars());
            } else {
                ReportReadFallback(kszNullPropertyStr, "GetJsval");
                mrtValue.SetStringU16n(kwszEmpty, 0);
            }
            break;
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_NUM_LONG:
            if (_uValue._ptPropertyNumLong) {
                mrtValue.SetInt(static_cast<int32_t>(_uValue._ptPropertyNumLong->GetLong()));
            } else {
                ReportReadFallback(kszNullPropertyNumLong, "GetJsval");
                mrtValue.SetInt(0);
            }
            break;
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_BOOL:
            if (_uValue._ptPropertyBool) {
                mrtValue.SetBoolean(_uValue._ptPropertyBool->GetBool());
            } else {
                ReportReadFallback(kszNullPropertyBool, "GetJsval");
                mrtValue.SetBoolean(false);
            }
            break;
        default:
            ReportReadFallback(kszInvalidType, "GetJsval");
            mrtValue.SetUndefined();
            break;
    }
}

KxwJsval KxwDomPropertyInfo::GetJsval() const {
    KxwJsval tValue;
    GetJsval(tValue);
    return tValue;
}

void* KxwDomPropertyInfo::GetValue() const {
    switch (_ucType) {
        case KXW_DOM_PROPERTY_INFO_TYPE_DOM_OBJECT:
        case KXW_DOM_PROPERTY_INFO_TYPE_STRING:
        case KXW_DOM_PROPERTY_INFO_TYPE_STRING_HELD_ELSEWHERE:
        case KXW_DOM_PROPERTY_INFO_TYPE_DOUBLE:
            return const_cast<void*>(_uValue._pvPointer);
        case KXW_DOM_PROPERTY_INFO_TYPE_INT:
            return reinterpret_cast<void*>(static_cast<intptr_t>(_uValue._iInt));
        case KXW_DOM_PROPERTY_INFO_TYPE_BOOLEAN:
            return reinterpret_cast<void*>(static_cast<uintptr_t>(_uValue._bBool ? 1 : 0));
        case KXW_DOM_PROPERTY_INFO_TYPE_NULL:
        case KXW_DOM_PROPERTY_INFO_TYPE_UNDEFINED:
            return nullptr;
        case KXW_DOM_PROPERTY_INFO_TYPE_FUNCTION:
        case KXW_DOM_PROPERTY_INFO_TYPE_JS_OBJECT:
        case KXW_DOM_PROPERTY_INFO_TYPE_JSVAL:
            return const_cast<void*>(_tJsval.GetValueAddress());
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_STR:
            if (_uValue._ptPropertyStr) return const_cast<char16_t*>(_uValue._ptPropertyStr->GetU16nStr());
            ReportReadFallback(kszNullPropertyStr, "GetValue");
            return const_cast<char16_t*>(kwszEmpty);
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_NUM_LONG:
            if (_uValue._ptPropertyNumLong)
                return reinterpret_cast<void*>(static_cast<intptr_t>(_uValue._ptPropertyNumLong->GetLong()));
            ReportReadFallback(kszNullPropertyNumLong, "GetValue");
            return nullptr;
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_BOOL:
            if (_uValue._ptPropertyBool)
                return reinterpret_cast<void*>(static_cast<uintptr_t>(_uValue._ptPropertyBool->GetBool() ? 1 : 0));
            ReportReadFallback(kszNullPropertyBool, "GetValue");
            return nullptr;
        default:
            ReportReadFallback(kszInvalidType, "GetValue");
            return nullptr;
    }
}

unsigned KxwDomPropertyInfo::GetLength() const {
    switch (_ucType) {
        case KXW_DOM_PROPERTY_INFO_TYPE_STRING:
        case KXW_DOM_PROPERTY_INFO_TYPE_STRING_HELD_ELSEWHERE:
            return _nLen;
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_STR:
            if (_uValue._ptPropertyStr) return _uValue._ptPropertyStr->GetU16nLenInChars();
            ReportReadFallback(kszNullPropertyStr, "GetLength");
            return 0;
        default:
            return 0;
    }
}

KXW_JSW_OBJ_PROP_TYPE_ENUM KxwDomPropertyInfo::GetJswObjPropType() const {
    switch (_ucType) {
        case KXW_DOM_PROPERTY_INFO_TYPE_STRING_HELD_ELSEWHERE:
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_STR:
            return KXW_JSW_OBJ_PROP_TYPE_STRING;
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_NUM_LONG:
            return KXW_JSW_OBJ_PROP_TYPE_INT;
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_BOOL:
            return KXW_JSW_OBJ_PROP_TYPE_BOOLEAN;
        case KXW_DOM_PROPERTY_INFO_TYPE_JSVAL:
            if (_tJsval.IsFunction()) return KXW_JSW_OBJ_PROP_TYPE_FUNCTION;
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "No corresponding KXW_JSW_OBJ_PROP_TYPE_* for jsval");
            return KXW_JSW_OBJ_PROP_TYPE_NONE;
        case KXW_DOM_PROPERTY_INFO_TYPE_NO_VALUE:
            return KXW_JSW_OBJ_PROP_TYPE_NONE;
        default:
            if (_ucType < KXW_DOM_PROPERTY_INFO_TYPE_STRING_HELD_ELSEWHERE)
                return static_cast<KXW_JSW_OBJ_PROP_TYPE_ENUM>(_ucType);
            ReportInvalidType("GetJswObjPropType", _ucType);
            return KXW_JSW_OBJ_PROP_TYPE_NONE;
    }
}

bool KxwDomPropertyInfo::GetBoolean() const {
    if (_ucType == KXW_DOM_PROPERTY_INFO_TYPE_BOOLEAN) return _uValue._bBool;
    if (_ucType == KXW_DOM_PROPERTY_INFO_TYPE_JSVAL) return _tJsval.GetBoolean();
    ReportInvalidType("GetBoolean", _ucType);
    return false;
}

int KxwDomPropertyInfo::GetInt() const {
    if (_ucType == KXW_DOM_PROPERTY_INFO_TYPE_INT) return _uValue._iInt;
    if (_ucType == KXW_DOM_PROPERTY_INFO_TYPE_JSVAL) return _tJsval.GetInt();
    ReportInvalidType("GetInt", _ucType);
    return 0;
}

double KxwDomPropertyInfo::GetDouble() const {
    if (_ucType == KXW_DOM_PROPERTY_INFO_TYPE_INT) return _uValue._iInt;
    if (_ucType == KXW_DOM_PROPERTY_INFO_TYPE_DOUBLE) return *_uValue._pdfDouble;
    ReportInvalidType("GetDouble", _ucType);
    return 0.0;
}

const char16_t* KxwDomPropertyInfo::ConvertAndGetStringU16n() {
    switch (_ucType) {
        case KXW_DOM_PROPERTY_INFO_TYPE_STRING:
        case KXW_DOM_PROPERTY_INFO_TYPE_STRING_HELD_ELSEWHERE:
            return _uValue._pwcStr;
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_STR:
            // A stored string read through a reference is as good a text as any: losing it would lose the value.
            ConvertToJswObjPropType();
            return _uValue._pwcStr;
        case KXW_DOM_PROPERTY_INFO_TYPE_JSVAL: {
            unsigned char ucSpecified = _bIsSpecified;
            KxwJsval tValue = _tJsval;
            unsigned nLen = 0;
            const char16_t* pwcText = tValue.GetStringU16n(&nLen);
            StoreOwnedText(pwcText, nLen);
            _bIsSpecified = ucSpecified;
            return _uValue._pwcStr;
        }
        case KXW_DOM_PROPERTY_INFO_TYPE_NO_VALUE:
            break;
        default:
            ReportInvalidType("ConvertAndGetStringU16n", _ucType);
            break;
    }
    AssignEmptyStr();
    return _uValue._pwcStr;
}

unsigned KxwDomPropertyInfo::ConvertAndGetStringU16nLength() {
    ConvertAndGetStringU16n();
    return _nLen;
}

KxwJswUserObjBase* KxwDomPropertyInfo::GetDomObject() const {
    if (_ucType == KXW_DOM_PROPERTY_INFO_TYPE_DOM_OBJECT) return const_cast<KxwJswUserObjBase*>(_uValue._ptUserObj);
    if (_ucType == KXW_DOM_PROPERTY_INFO_TYPE_JSVAL)
        return _tJsval.GetRawDomObject();
    ReportInvalidType("GetDomObject", _ucType);
    return nullptr;
}

KXW_DOM_PROPERTY_INFO_TYPE_ENUM KxwDomPropertyInfo::ConvertToJswObjPropType() {
    // The conversion changes the form of the value, not the value: the specified mark it had stays.
    bool bSpecified = IsSpecified();
    switch (_ucType) {
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_STR: {
            const KxwDomHtmlPropertyStr* ptProperty = _uValue._ptPropertyStr;
            if (!ptProperty) ReportReadFallback(kszNullPropertyStr, "ConvertToJswObjPropType");
            AssignU16nStr(ptProperty ? ptProperty->GetU16nStr() : kwszEmpty,
                          ptProperty ? ptProperty->GetU16nLenInChars() : 0, false);
            break;
        }
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_NUM_LONG: {
            const KxwDomHtmlPropertyNumLong* ptProperty = _uValue._ptPropertyNumLong;
            if (!ptProperty) ReportReadFallback(kszNullPropertyNumLong, "ConvertToJswObjPropType");
            *this = ptProperty ? static_cast<int>(ptProperty->GetLong()) : 0;
            break;
        }
        case KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_BOOL: {
            const KxwDomHtmlPropertyBool* ptProperty = _uValue._ptPropertyBool;
            if (!ptProperty) ReportReadFallback(kszNullPropertyBool, "ConvertToJswObjPropType");
            *this = ptProperty ? ptProperty->GetBool() : false;
            break;
        }
        case KXW_DOM_PROPERTY_INFO_TYPE_JSVAL: {
            KxwJsval tValue = _tJsval;
            if (tValue.IsUndefined()) {
                AssignUndefined();
            } else if (tValue.IsNull()) {
                AssignNull();
            } else if (tValue.IsBoolean()) {
                *this = tValue.GetBoolean();
            } else if (tValue.IsInt()) {
                *this = static_cast<int>(tValue.GetInt());
            } else if (tValue.IsDouble()) {
                StoreOwnedDouble(tValue.GetDouble());
            } else if (tValue.IsString()) {
                unsigned nLen = 0;
                const char16_t* pwcText = tValue.GetStringU16n(&nLen);
                StoreOwnedText(pwcText, nLen);
            } else if (KxwJswUserObjBase* ptUserObj = tValue.GetRawDomObject()) {
                // Checked before callability: a callable collection is still a DOM object to the library.
                *this = static_cast<const KxwJswUserObjBase*>(ptUserObj);
            } else if (tValue.IsFunction()) {
                StoreJsval(KXW_DOM_PROPERTY_INFO_TYPE_FUNCTION, tValue);
            } else {
                return GetType();  // a plain engine object stays an engine value
            }
            break;
        }
        default:
            return GetType();
    }
    _bIsSpecified = bSpecified;
    return GetType();
}
