#include "KxwAutomation.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "KxwUtilUtf.h"

bool xfbKxwAutoNameEquals(const char* mpszA, const char* mpszB) {
    if (!mpszA || !mpszB) return false;
    for (;; ++mpszA, ++mpszB) {
        char cA = *mpszA, cB = *mpszB;
        if (cA >= 'A' && cA <= 'Z') cA = static_cast<char>(cA + 32);
        if (cB >= 'A' && cB <= 'Z') cB = static_cast<char>(cB + 32);
        if (cA != cB) return false;
        if (!cA) return true;
    }
}

KxwAutoValue KxwAutoValue::Utf8(const std::string& mds) {
    return String(xfdsKxwUtilUtf8ToU16(mds.data(), mds.size()));
}

namespace {
// A number as scripts print it: integers without a fraction, others with up to 17 significant digits.
std::string NumberText(double md) {
    if (std::isnan(md)) return "NaN";
    if (std::isinf(md)) return md < 0 ? "-Infinity" : "Infinity";
    if (md == std::floor(md) && std::fabs(md) < 1e21) {
        char acBuf[32];
        std::snprintf(acBuf, sizeof acBuf, "%.0f", md);
        return acBuf;
    }
    char acBuf[40];
    for (int iPrecision = 1; iPrecision <= 17; ++iPrecision) {
        std::snprintf(acBuf, sizeof acBuf, "%.*g", iPrecision, md);
        if (std::strtod(acBuf, nullptr) == md) break;
    }
    return acBuf;
}
}  // namespace

bool KxwAutoValue::ToUtf8(std::string& mrdsResult) const {
    switch (_eType) {
        case KXW_AUTO_VALUE_EMPTY:
            mrdsResult = "undefined";
            return true;
        case KXW_AUTO_VALUE_NULL:
            mrdsResult = "null";
            return true;
        case KXW_AUTO_VALUE_BOOL:
            mrdsResult = _bValue ? "true" : "false";
            return true;
        case KXW_AUTO_VALUE_INT:
            mrdsResult = std::to_string(_iValue);
            return true;
        case KXW_AUTO_VALUE_DOUBLE:
            mrdsResult = NumberText(_dValue);
            return true;
        case KXW_AUTO_VALUE_STRING:
            mrdsResult = xfdsKxwUtilU16ToUtf8(_dsValue.data(), _dsValue.size());
            return true;
        default:
            return false;
    }
}

bool KxwAutoValue::ToString(std::u16string& mrdsResult) const {
    if (_eType == KXW_AUTO_VALUE_STRING) {
        mrdsResult = _dsValue;
        return true;
    }
    std::string dsUtf8;
    if (!ToUtf8(dsUtf8)) return false;
    mrdsResult = xfdsKxwUtilUtf8ToU16(dsUtf8.data(), dsUtf8.size());
    return true;
}

bool KxwAutoValue::ToBool() const {
    switch (_eType) {
        case KXW_AUTO_VALUE_BOOL:
            return _bValue;
        case KXW_AUTO_VALUE_INT:
            return _iValue != 0;
        case KXW_AUTO_VALUE_DOUBLE:
            return _dValue != 0 && !std::isnan(_dValue);
        case KXW_AUTO_VALUE_STRING:
            return !_dsValue.empty();
        case KXW_AUTO_VALUE_OBJECT:
        case KXW_AUTO_VALUE_CALLABLE:
        case KXW_AUTO_VALUE_FOREIGN:
            return true;
        default:
            return false;
    }
}

bool KxwAutoValue::ToDouble(double& mrdResult) const {
    switch (_eType) {
        case KXW_AUTO_VALUE_BOOL:
            mrdResult = _bValue ? 1 : 0;
            return true;
        case KXW_AUTO_VALUE_INT:
            mrdResult = _iValue;
            return true;
        case KXW_AUTO_VALUE_DOUBLE:
            mrdResult = _dValue;
            return true;
        case KXW_AUTO_VALUE_NULL:
            mrdResult = 0;
            return true;
        case KXW_AUTO_VALUE_STRING: {
            std::string dsText = xfdsKxwUtilU16ToUtf8(_dsValue.data(), _dsValue.size());
            size_t nStart = dsText.find_first_not_of(" \t\r\n");
            if (nStart == std::string::npos) {
                mrdResult = 0;  // an empty or blank text is 0, as in scripts
                return true;
            }
            char* pcEnd = nullptr;
            double d = std::strtod(dsText.c_str() + nStart, &pcEnd);
            while (pcEnd && (*pcEnd == ' ' || *pcEnd == '\t' || *pcEnd == '\r' || *pcEnd == '\n')) ++pcEnd;
            if (!pcEnd || *pcEnd) return false;
            mrdResult = d;
            return true;
        }
        default:
            return false;
    }
}

bool KxwAutoValue::ToInt(int32_t& mriResult) const {
    double d = 0;
    if (!ToDouble(d) || std::isnan(d) || std::isinf(d)) return false;
    d = std::trunc(d);
    if (d < -2147483648.0 || d > 2147483647.0) return false;
    mriResult = static_cast<int32_t>(d);
    return true;
}

KxwAutoResult xflKxwAutoInvokeByName(KxwAutomation* mptObject, const char* mpszName, const KxwAutoArgs& mrtArgs,
                                     KxwAutoValue& mrtResult) {
    KxwAutoMember tMember;
    if (!mptObject || !mptObject->FindMember(mpszName, tMember)) return KXW_AUTO_E_UNKNOWNNAME;
    if (tMember._eKind == KXW_AUTO_MEMBER_METHOD) return mptObject->Call(tMember._iId, mrtArgs, mrtResult);
    if (!mrtArgs.empty()) return KXW_AUTO_E_BADPARAMCOUNT;
    return mptObject->Get(tMember._iId, mrtResult);
}

KxwAutoResult xflKxwAutoPutByName(KxwAutomation* mptObject, const char* mpszName, const KxwAutoValue& mrtValue) {
    KxwAutoMember tMember;
    if (!mptObject || !mptObject->FindMember(mpszName, tMember)) return KXW_AUTO_E_UNKNOWNNAME;
    if (tMember._eKind == KXW_AUTO_MEMBER_METHOD) return KXW_AUTO_E_MEMBERNOTFOUND;
    return mptObject->Put(tMember._iId, mrtValue);
}
