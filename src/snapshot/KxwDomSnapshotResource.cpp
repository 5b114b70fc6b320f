#include "KxwDomSnapshotResource.h"

#include <cstdio>
#include <cstring>

#include "KxwUtilEscape.h"
#include "KxwUtilStrCompare.h"

namespace {

constexpr size_t knMaxResourceNameLen = 64;

bool IsNameChar(char mc) {
    return (mc >= 'A' && mc <= 'Z') || (mc >= 'a' && mc <= 'z') || (mc >= '0' && mc <= '9') || mc == '_' || mc == '-';
}

bool IsHexDigit(char mc) {
    return (mc >= '0' && mc <= '9') || (mc >= 'A' && mc <= 'F') || (mc >= 'a' && mc <= 'f');
}

}  // namespace

KxwDomSnapshotResource& KxwDomSnapshotResourceList::Obtain(const char* mpsfUrl, size_t mnUrlLen, bool* mpbMade) {
    std::string dsUrl(mpsfUrl ? mpsfUrl : "", mpsfUrl ? mnUrlLen : 0);
    for (KxwDomSnapshotResource& rtResource : _tResources) {
        if (xfbKxwUtilIsEqualIgnoreCase(rtResource._dsUrl.data(), rtResource._dsUrl.size(), dsUrl.data(),
                                        dsUrl.size())) {
            if (mpbMade) *mpbMade = false;
            return rtResource;
        }
    }
    _tResources.emplace_back();
    _tResources.back()._dsUrl = std::move(dsUrl);
    if (mpbMade) *mpbMade = true;
    return _tResources.back();
}

std::string xfdsKxwSnapshotResourceNameOfUrl(const char* mpsfUrl, size_t mnUrlLen) {
    std::string dsUrl(mpsfUrl ? mpsfUrl : "", mpsfUrl ? mnUrlLen : 0);
    dsUrl = dsUrl.substr(0, dsUrl.find_first_of("?#"));
    if (!dsUrl.empty() && dsUrl.size() < 0x7FFFFFFF)
        dsUrl.resize(static_cast<size_t>(xfiKxwUtilPerformPercentageUnEscapingAndReturnLength(
            dsUrl.data(), static_cast<int>(dsUrl.size()), &dsUrl[0])));
    size_t nSlash = dsUrl.find_last_of("/\\");
    std::string dsSegment = nSlash == std::string::npos ? dsUrl : dsUrl.substr(nSlash + 1);
    size_t nDot = dsSegment.find_last_of('.');
    if (nDot != std::string::npos) dsSegment.resize(nDot);
    std::string dsName;
    for (char c : dsSegment) {
        if (dsName.size() >= knMaxResourceNameLen) break;
        if (IsNameChar(c)) dsName += c;
    }
    return dsName.empty() ? std::string("res") : dsName;
}

std::string xfdsKxwSnapshotInfValue(const char* mpsfText, size_t mnLen, bool mbUnEscape) {
    std::string dsText(mpsfText ? mpsfText : "", mpsfText ? mnLen : 0);
    if (mbUnEscape && !dsText.empty() && dsText.size() < 0x7FFFFFFF)
        dsText.resize(static_cast<size_t>(xfiKxwUtilPerformPercentageUnEscapingAndReturnLength(
            dsText.data(), static_cast<int>(dsText.size()), &dsText[0])));
    std::string dsOut;
    dsOut.reserve(dsText.size());
    for (size_t n = 0; n < dsText.size(); ++n) {
        unsigned char uc = static_cast<unsigned char>(dsText[n]);
        // A '%' that would read as an escape is escaped itself, so that the text reads back as it was.
        bool bEscapeLike = uc == '%' && n + 2 < dsText.size() && IsHexDigit(dsText[n + 1]) && IsHexDigit(dsText[n + 2]);
        if (uc < 0x20 || uc == 0x7F || (mbUnEscape && bEscapeLike)) {
            char acHex[4];
            std::snprintf(acHex, sizeof acHex, "%%%02X", uc);
            dsOut += acHex;
        } else {
            dsOut += static_cast<char>(uc);
        }
    }
    return dsOut;
}
