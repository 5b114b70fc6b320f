#include "KxwDomHtmlProperty.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "KxwDomPropertyInfo.h"
#include "KxwDomStr.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwHswApi.h"
#include "maw_alloc.h"

namespace {

constexpr unsigned kInvalidLen = 0xFFFFFFFFu;
constexpr int kMsgFailedToConvert = -35953;
// Script errors reported at this level or above fail the run.
constexpr int kSevLvlFailingTheRun = 6;

// Markup texts are NUL-terminated; one longer than a property can hold is refused rather than cut.
bool ParsedLengthOK(const char* mpszText, unsigned* mpuLen, const char* mpszFunction) {
    size_t nLen = std::strlen(mpszText);
    if (nLen <= UINT_MAX) {
        *mpuLen = static_cast<unsigned>(nLen);
        return true;
    }
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "Parsed value of %zu bytes is too long in %s", nLen, mpszFunction);
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// KxwDomHtmlPropertyBase

bool KxwDomHtmlPropertyBase::SetMethodArgValue(const char* mpszMethodName, int miArgIndex, void* mpvValue,
                                               unsigned mnLen, KXW_JSW_OBJ_PROP_TYPE_ENUM meType, bool* mpbOK) {
    if (SetValue(mpvValue, mnLen, meType)) return true;
    KXW_WTL_SEV_LVL_ENUM eSevLvl = xfeKxwDomUtilJavaScriptErrorSevLvl();
    xfvKxwDomUtilReportCatalogedMessage(eSevLvl, kMsgFailedToConvert, "xfbKxwDomUtilFailedToConvert", __LINE__,
                                        mpszMethodName ? mpszMethodName : "[Unknown]", mpvValue, miArgIndex,
                                        static_cast<int>(meType));
    // Whether the run fails does not depend on whether the message was shown.
    if (mpbOK && eSevLvl >= kSevLvlFailingTheRun) *mpbOK = false;
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// KxwDomHtmlPropertyStr

KxwDomHtmlPropertyStr::KxwDomHtmlPropertyStr(KxwDomStrEnvApi& mrtStrEnv) : _ptStrEnv(&mrtStrEnv) {}

KxwDomHtmlPropertyStr::KxwDomHtmlPropertyStr(KxwDomStrEnvApi& mrtStrEnv, const char* mpsfDcsStr,
                                             unsigned muDcsLenInBytes, const char16_t* mpwsfU16nStr,
                                             unsigned muU16nLenInChars)
    : _ptStrEnv(&mrtStrEnv) {
    _ptDomStr = new (mrtStrEnv) KxwDomStr(mrtStrEnv, mpsfDcsStr, muDcsLenInBytes, mpwsfU16nStr, muU16nLenInChars);
}

KxwDomHtmlPropertyStr::~KxwDomHtmlPropertyStr() {
    delete _ptDomStr;
}

bool KxwDomHtmlPropertyStr::IsSpecified() const {
    return _ptDomStr && _ptDomStr->IsSpecified();
}

KxwDomStr* KxwDomHtmlPropertyStr::ObtainDomStrForStore() {
    ValueChanging();
    if (!_ptDomStr) _ptDomStr = new (*_ptStrEnv) KxwDomStr(*_ptStrEnv);
    return _ptDomStr;
}

void KxwDomHtmlPropertyStr::SetParsed(const char* mpszParsedValue) {
    if (!mpszParsedValue) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mpszParsedValue is NULL in KxwDomHtmlPropertyStr::SetParsed. this=%p",
                                              static_cast<void*>(this));
        return;
    }
    if (IsSpecified()) return;
    unsigned uLen = 0;
    if (ParsedLengthOK(mpszParsedValue, &uLen, "KxwDomHtmlPropertyStr::SetParsed")) SetDcs(mpszParsedValue, uLen);
}

void KxwDomHtmlPropertyStr::SetSpecified(bool mbSpecified) {
    if (!mbSpecified) {
        if (!_ptDomStr) return;
        ValueChanging();
        _ptDomStr->SetSpecified(false);
        return;
    }
    if (_ptDomStr)
        _ptDomStr->SetSpecified(true);
    else
        SetDcs("", 0);
}

void KxwDomHtmlPropertyStr::SetDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    KxwDomStr* ptStr = ObtainDomStrForStore();
    ptStr->AssignDcs(mpsfDcsStr, muDcsLenInBytes);
    ptStr->SetSpecified(true);
}

void KxwDomHtmlPropertyStr::SetU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    KxwDomStr* ptStr = ObtainDomStrForStore();
    ptStr->AssignU16n(mpwsfU16nStr, muU16nLenInChars);
    ptStr->SetSpecified(true);
}

void KxwDomHtmlPropertyStr::SetU16nFromDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    KxwDomStr* ptStr = ObtainDomStrForStore();
    ptStr->AssignU16FromDcs(mpsfDcsStr, muDcsLenInBytes);
    ptStr->SetSpecified(true);
}

void KxwDomHtmlPropertyStr::SetDcsFromU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    KxwDomStr* ptStr = ObtainDomStrForStore();
    ptStr->AssignDcsFromU16n(mpwsfU16nStr, muU16nLenInChars);
    ptStr->SetSpecified(true);
}

void KxwDomHtmlPropertyStr::RemoveValue() {
    ValueChanging();
    delete _ptDomStr;
    _ptDomStr = nullptr;
}

void KxwDomHtmlPropertyStr::StoreLatin1(const char* mpsfStr, unsigned muLen) {
    KxwDomStr* ptStr = ObtainDomStrForStore();
    ptStr->AssignU16nFromLatin1(mpsfStr, muLen);
    ptStr->SetSpecified(true);
}

KxwDomHtmlPropertyStr& KxwDomHtmlPropertyStr::operator=(KxwDomPropertyInfo& mrtPropertyInfo) {
    if (!mrtPropertyInfo.HasValue()) {
        RemoveValue();
        return *this;
    }
    const char16_t* pwcText = mrtPropertyInfo.ConvertAndGetStringU16n();
    SetU16n(pwcText, mrtPropertyInfo.ConvertAndGetStringU16nLength());
    return *this;
}

bool KxwDomHtmlPropertyStr::SetValue(void* mpvPropValue, unsigned mnPropValueLen,
                                     KXW_JSW_OBJ_PROP_TYPE_ENUM mePropType) {
    KXW_WTL_SEV_LVL_ENUM eSevLvl = xfeKxwUtilJavaScriptErrorSevLvl();
    switch (mePropType) {
        case KXW_JSW_OBJ_PROP_TYPE_STRING:
            if (mnPropValueLen == kInvalidLen) {
                xfvKxwUtilReportInternalErrorBySevLvl(eSevLvl,
                                                      "KxwDomHtmlPropertyStr::SetValue Invalid value length (%ld) for "
                                                      "property type=KXW_JSW_OBJ_PROP_TYPE_STRING",
                                                      static_cast<long>(mnPropValueLen));
                return false;
            }
            if (!mpvPropValue && mnPropValueLen) {
                xfvKxwUtilReportInternalErrorBySevLvl(eSevLvl,
                                                      "KxwDomHtmlPropertyStr::SetValue NULL text of length %u for "
                                                      "property type=KXW_JSW_OBJ_PROP_TYPE_STRING. this=%p",
                                                      mnPropValueLen, static_cast<void*>(this));
                return false;
            }
            SetU16n(static_cast<const char16_t*>(mpvPropValue), mnPropValueLen);
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_INT: {
            char acNumber[24];
            int iLen = std::snprintf(acNumber, sizeof acNumber, "%ld",
                                     static_cast<long>(static_cast<int32_t>(reinterpret_cast<intptr_t>(mpvPropValue))));
            StoreLatin1(acNumber, static_cast<unsigned>(iLen));
            return true;
        }
        case KXW_JSW_OBJ_PROP_TYPE_DOUBLE: {
            if (!mpvPropValue) {
                xfvKxwUtilReportInternalErrorBySevLvl(eSevLvl,
                                                      "KxwDomHtmlPropertyStr::SetValue NULL value for property "
                                                      "type=KXW_JSW_OBJ_PROP_TYPE_DOUBLE. this=%p",
                                                      static_cast<void*>(this));
                return false;
            }
            // A huge double has over 300 digits in this form: measure first so that nothing is cut.
            double dfValue = *static_cast<const double*>(mpvPropValue);
            char acNumber[64];
            int iLen = std::snprintf(acNumber, sizeof acNumber, "%f", dfValue);
            if (iLen < 0) return false;
            if (static_cast<size_t>(iLen) < sizeof acNumber) {
                StoreLatin1(acNumber, static_cast<unsigned>(iLen));
                return true;
            }
            size_t nSize = static_cast<size_t>(iLen) + 1;
            auto* pcNumber = static_cast<char*>(maw_malloc(nSize));
            if (!pcNumber) KxwUtilOutOfMemoryAbort(static_cast<long>(nSize), "a number's text");
            std::snprintf(pcNumber, nSize, "%f", dfValue);
            StoreLatin1(pcNumber, static_cast<unsigned>(iLen));
            maw_free(pcNumber);
            return true;
        }
        case KXW_JSW_OBJ_PROP_TYPE_BOOLEAN:
            if (mpvPropValue)
                StoreLatin1("true", 4);
            else
                StoreLatin1("false", 5);
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_NULL:
            StoreLatin1("null", 4);
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_UNDEFINED:
            StoreLatin1("undefined", 9);
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT:
        case KXW_JSW_OBJ_PROP_TYPE_FUNCTION:
        case KXW_JSW_OBJ_PROP_TYPE_JS_OBJECT: {
            KxwHswApi* ptHswApi = xfptKxwDomUtilGetHswApi();
            if (!ptHswApi) {
                xfvKxwUtilReportInternalErrorBySevLvl(eSevLvl, "ptHswApi==NULL in KxwDomHtmlPropertyStr::SetValue");
                return false;
            }
            std::u16string dsText;
            if (!ptHswApi->ConvertToU16nString(mpvPropValue, mePropType, dsText)) {
                xfvKxwUtilReportInternalErrorBySevLvl(eSevLvl,
                                                      "ptHswApi->ConvertToU16nString failed for mpvPropValue=%p/"
                                                      "mePropType=%d in KxwDomHtmlPropertyStr::SetValue",
                                                      mpvPropValue, static_cast<int>(mePropType));
                return false;
            }
            if (dsText.size() > UINT_MAX) {
                xfvKxwUtilReportInternalErrorBySevLvl(eSevLvl,
                                                      "KxwDomHtmlPropertyStr::SetValue text of %zu characters is too "
                                                      "long. this=%p",
                                                      dsText.size(), static_cast<void*>(this));
                return false;
            }
            SetU16n(dsText.data(), static_cast<unsigned>(dsText.size()));
            return true;
        }
        default:
            xfvKxwUtilReportInternalErrorBySevLvl(eSevLvl, "KxwDomHtmlPropertyStr::SetValue Unsupported type (%d)",
                                                  static_cast<int>(mePropType));
            return false;
    }
}

const char* KxwDomHtmlPropertyStr::GetDcsStr() const {
    return _ptDomStr ? _ptDomStr->GetDcsStr() : "";
}

unsigned KxwDomHtmlPropertyStr::GetDcsLenInBytes() const {
    return _ptDomStr ? _ptDomStr->GetDcsLenInBytes() : 0;
}

const char16_t* KxwDomHtmlPropertyStr::GetU16nStr() const {
    return _ptDomStr ? _ptDomStr->GetU16nStr() : u"";
}

unsigned KxwDomHtmlPropertyStr::GetU16nLenInChars() const {
    return _ptDomStr ? _ptDomStr->GetU16nLenInChars() : 0;
}

bool KxwDomHtmlPropertyStr::IsEmpty() const {
    return !_ptDomStr || _ptDomStr->IsEmpty();
}

// Comparisons read an absent string as the empty text: an empty string on the same environment stands in for it.
bool KxwDomHtmlPropertyStr::operator==(const KxwDomStr& mrtOther) const {
    if (_ptDomStr) return *_ptDomStr == mrtOther;
    return mrtOther.IsEmpty();
}

bool KxwDomHtmlPropertyStr::operator==(const KxwDomHtmlPropertyStr& mrtOther) const {
    if (mrtOther._ptDomStr) return *this == *mrtOther._ptDomStr;
    return IsEmpty();
}

bool KxwDomHtmlPropertyStr::IsEqualIgnoringCase(const KxwDomStr& mrtOther) const {
    if (_ptDomStr) return _ptDomStr->IsEqualIgnoringCase(mrtOther);
    KxwDomStr tEmpty(*_ptStrEnv);
    return tEmpty.IsEqualIgnoringCase(mrtOther);
}

bool KxwDomHtmlPropertyStr::IsEqualIgnoringCaseAsc(const char* mpsfAscStr, unsigned muAscLen) const {
    if (_ptDomStr) return _ptDomStr->IsEqualIgnoringCaseAsc(mpsfAscStr, muAscLen);
    KxwDomStr tEmpty(*_ptStrEnv);
    return tEmpty.IsEqualIgnoringCaseAsc(mpsfAscStr, muAscLen);
}

bool KxwDomHtmlPropertyStr::IsEqualConsideringSpaces(const KxwDomStr& mrtOther) const {
    if (_ptDomStr) return _ptDomStr->IsEqualConsideringSpaces(mrtOther);
    KxwDomStr tEmpty(*_ptStrEnv);
    return tEmpty.IsEqualConsideringSpaces(mrtOther);
}

bool KxwDomHtmlPropertyStr::IsEqualConsideringLeadingAndTrailingSpaces(const KxwDomStr& mrtOther, bool mbIgnoreLeading,
                                                                       bool mbIgnoreTrailing) const {
    if (_ptDomStr)
        return _ptDomStr->IsEqualConsideringLeadingAndTrailingSpaces(mrtOther, mbIgnoreLeading, mbIgnoreTrailing);
    KxwDomStr tEmpty(*_ptStrEnv);
    return tEmpty.IsEqualConsideringLeadingAndTrailingSpaces(mrtOther, mbIgnoreLeading, mbIgnoreTrailing);
}

bool KxwDomHtmlPropertyStr::IsEqualDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes, bool mbIgnoreCase) const {
    if (_ptDomStr) return _ptDomStr->IsEqualDcs(mpsfDcsStr, muDcsLenInBytes, mbIgnoreCase);
    KxwDomStr tEmpty(*_ptStrEnv);
    return tEmpty.IsEqualDcs(mpsfDcsStr, muDcsLenInBytes, mbIgnoreCase);
}

// ---------------------------------------------------------------------------------------------------------------
// KxwDomHtmlPropertyNumLong

int32_t KxwDomHtmlPropertyNumLong::Saturate(long mliValue) {
    if (mliValue > INT32_MAX) return INT32_MAX;
    if (mliValue < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(mliValue);
}

int32_t KxwDomHtmlPropertyNumLong::DoubleToLong(double mdfValue) {
    // Converting an out-of-range double to an integer is undefined behaviour, so the limits are checked first.
    if (std::isnan(mdfValue)) return 0;
    if (mdfValue >= 2147483647.0) return INT32_MAX;
    if (mdfValue <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(mdfValue);
}

void KxwDomHtmlPropertyNumLong::SetLong(long mliValue) {
    _liValue = Saturate(mliValue);
    _ucFlags |= kFlagSpecified;
}

void KxwDomHtmlPropertyNumLong::SetSpecified(bool mbSpecified) {
    _ucFlags = static_cast<uint8_t>(mbSpecified ? (_ucFlags | kFlagSpecified) : (_ucFlags & ~kFlagSpecified));
}

void KxwDomHtmlPropertyNumLong::SetParsed(const char* mpszParsedValue) {
    if (!mpszParsedValue) {
        SetLong(0);
        return;
    }
    if (IsSpecified()) return;
    unsigned uLen = 0;
    if (!ParsedLengthOK(mpszParsedValue, &uLen, "KxwDomHtmlPropertyNumLong::SetParsed")) return;
    SetLong(xfliKxwDomUtilGetHtmlNumberOrLongMax(mpszParsedValue, uLen));
}

bool KxwDomHtmlPropertyNumLong::SetValue(void* mpvPropValue, unsigned mnPropValueLen,
                                         KXW_JSW_OBJ_PROP_TYPE_ENUM mePropType) {
    KXW_WTL_SEV_LVL_ENUM eSevLvl = xfeKxwUtilJavaScriptErrorSevLvl();
    switch (mePropType) {
        case KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT:
        case KXW_JSW_OBJ_PROP_TYPE_NULL:
        case KXW_JSW_OBJ_PROP_TYPE_UNDEFINED:
        case KXW_JSW_OBJ_PROP_TYPE_FUNCTION:
        case KXW_JSW_OBJ_PROP_TYPE_JS_OBJECT:
            SetLong(0);
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_STRING:
            if (mnPropValueLen == kInvalidLen) {
                xfvKxwUtilReportInternalErrorBySevLvl(eSevLvl,
                                                      "mnPropValueLen==-1 for mePropType==KXW_JSW_OBJ_PROP_TYPE_STRING "
                                                      "in KxwDomHtmlPropertyNumLong::SetValue. Value not set");
                return false;
            }
            SetLong(xfliKxwDomUtilGetJsNumber(static_cast<const char16_t*>(mpvPropValue), mnPropValueLen));
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_INT:
            SetLong(static_cast<int32_t>(reinterpret_cast<intptr_t>(mpvPropValue)));
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_DOUBLE:
            if (!mpvPropValue) {
                xfvKxwUtilReportInternalErrorBySevLvl(eSevLvl,
                                                      "mpvPropValue==NULL for mePropType==KXW_JSW_OBJ_PROP_TYPE_DOUBLE "
                                                      "in KxwDomHtmlPropertyNumLong::SetValue. Value not set");
                return false;
            }
            SetLong(DoubleToLong(*static_cast<const double*>(mpvPropValue)));
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_BOOLEAN:
            SetLong(mpvPropValue ? 1 : 0);
            return true;
        default:
            xfvKxwUtilReportInternalErrorBySevLvl(
                eSevLvl, "Invalid mePropType (%d) in KxwDomHtmlPropertyNumLong::SetValue. Value not set",
                static_cast<int>(mePropType));
            return false;
    }
}

KxwDomHtmlPropertyNumLong& KxwDomHtmlPropertyNumLong::operator=(const KxwDomPropertyInfo& mrtPropertyInfo) {
    if (!mrtPropertyInfo.HasValue())
        SetSpecified(false);
    else
        SetLong(mrtPropertyInfo.GetInt());
    return *this;
}

// ---------------------------------------------------------------------------------------------------------------
// KxwDomHtmlPropertyBool

void KxwDomHtmlPropertyBool::SetBool(bool mbValue) {
    SetFlag(kFlagValue, mbValue);
    SetFlag(kFlagSpecified, true);
}

void KxwDomHtmlPropertyBool::SetParsed(const char*) {
    if (!IsSpecified()) SetBool(true);
}

bool KxwDomHtmlPropertyBool::ObtainBoolValueOK(void* mpvPropValue, unsigned mnPropValueLen,
                                               KXW_JSW_OBJ_PROP_TYPE_ENUM mePropType, bool& mrbResult) {
    KXW_WTL_SEV_LVL_ENUM eSevLvl = xfeKxwUtilJavaScriptErrorSevLvl();
    switch (mePropType) {
        case KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT:
        case KXW_JSW_OBJ_PROP_TYPE_FUNCTION:
        case KXW_JSW_OBJ_PROP_TYPE_JS_OBJECT:
            mrbResult = true;
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_STRING:
            if (mnPropValueLen == kInvalidLen) {
                xfvKxwUtilReportInternalErrorBySevLvl(eSevLvl,
                                                      "mnPropValueLen==-1 for mePropType==KXW_JSW_OBJ_PROP_TYPE_STRING "
                                                      "in KxwDomHtmlPropertyBool::ObtainBoolValueOK. Value not set");
                return false;
            }
            mrbResult = mnPropValueLen != 0;
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_INT:
            mrbResult = static_cast<int32_t>(reinterpret_cast<intptr_t>(mpvPropValue)) != 0;
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_BOOLEAN:
            mrbResult = mpvPropValue != nullptr;
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_DOUBLE:
            if (!mpvPropValue) {
                xfvKxwUtilReportInternalErrorBySevLvl(eSevLvl,
                                                      "mpvPropValue==NULL for mePropType==KXW_JSW_OBJ_PROP_TYPE_DOUBLE "
                                                      "in KxwDomHtmlPropertyBool::ObtainBoolValueOK. Value not set");
                return false;
            }
            // NaN compares unequal to 0.0, so it is true here.
            mrbResult = *static_cast<const double*>(mpvPropValue) != 0.0;
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_NULL:
        case KXW_JSW_OBJ_PROP_TYPE_UNDEFINED:
            mrbResult = false;
            return true;
        default:
            xfvKxwUtilReportInternalErrorBySevLvl(
                eSevLvl, "Invalid mePropType (%d) in KxwDomHtmlPropertyBool::ObtainBoolValueOK. Value not set",
                static_cast<int>(mePropType));
            return false;
    }
}

bool KxwDomHtmlPropertyBool::SetValue(void* mpvPropValue, unsigned mnPropValueLen,
                                      KXW_JSW_OBJ_PROP_TYPE_ENUM mePropType) {
    bool bValue = false;
    if (!ObtainBoolValueOK(mpvPropValue, mnPropValueLen, mePropType, bValue)) return false;
    SetBool(bValue);
    return true;
}

KxwDomHtmlPropertyBool& KxwDomHtmlPropertyBool::operator=(const KxwDomPropertyInfo& mrtPropertyInfo) {
    if (!mrtPropertyInfo.HasValue())
        SetSpecified(false);
    else
        SetBool(mrtPropertyInfo.GetBoolean());
    return *this;
}

// ---------------------------------------------------------------------------------------------------------------
// KxwDomHtmlPropertyResettableBool

void KxwDomHtmlPropertyResettableBool::SetParsed(const char*) {
    // The markup always gives the default; a value a script set already stays.
    SetFlag(kFlagDefault, true);
    if (!IsSpecified()) SetBool(true);
}

bool KxwDomHtmlPropertyResettableBool::SetDefaultValue(void* mpvPropValue, unsigned mnPropValueLen,
                                                       KXW_JSW_OBJ_PROP_TYPE_ENUM mePropType) {
    bool bValue = false;
    if (!ObtainBoolValueOK(mpvPropValue, mnPropValueLen, mePropType, bValue)) return false;
    SetDefaultBool(bValue);
    return true;
}

KxwDomHtmlPropertyResettableBool& KxwDomHtmlPropertyResettableBool::operator=(
    const KxwDomPropertyInfo& mrtPropertyInfo) {
    if (!mrtPropertyInfo.HasValue()) {
        Reset();
        SetSpecified(false);
    } else {
        KxwDomHtmlPropertyBool::operator=(mrtPropertyInfo);
    }
    return *this;
}
