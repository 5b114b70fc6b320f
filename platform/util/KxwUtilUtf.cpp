#include "KxwUtilUtf.h"

void xfvKxwUtilAppendUtf8(std::string& mrdsOut, uint32_t muCodePoint) {
    if (muCodePoint > 0x10FFFF) muCodePoint = 0xFFFD;
    if (muCodePoint < 0x80) {
        mrdsOut += static_cast<char>(muCodePoint);
    } else if (muCodePoint < 0x800) {
        mrdsOut += static_cast<char>(0xC0 | (muCodePoint >> 6));
        mrdsOut += static_cast<char>(0x80 | (muCodePoint & 0x3F));
    } else if (muCodePoint < 0x10000) {
        mrdsOut += static_cast<char>(0xE0 | (muCodePoint >> 12));
        mrdsOut += static_cast<char>(0x80 | ((muCodePoint >> 6) & 0x3F));
        mrdsOut += static_cast<char>(0x80 | (muCodePoint & 0x3F));
    } else {
        mrdsOut += static_cast<char>(0xF0 | (muCodePoint >> 18));
        mrdsOut += static_cast<char>(0x80 | ((muCodePoint >> 12) & 0x3F));
        mrdsOut += static_cast<char>(0x80 | ((muCodePoint >> 6) & 0x3F));
        mrdsOut += static_cast<char>(0x80 | (muCodePoint & 0x3F));
    }
}

std::string xfdsKxwUtilU16ToUtf8(const char16_t* mpwsfStr, size_t mnLen, bool mbLoneSurrogateToReplacement) {
    std::string dsResult;
    dsResult.reserve(mnLen);
    for (size_t n = 0; mpwsfStr && n < mnLen; ++n) {
        uint32_t uCode = mpwsfStr[n];
        if (uCode >= 0xD800 && uCode < 0xDC00 && n + 1 < mnLen && mpwsfStr[n + 1] >= 0xDC00 &&
            mpwsfStr[n + 1] < 0xE000) {
            uCode = 0x10000 + ((uCode - 0xD800) << 10) + (mpwsfStr[n + 1] - 0xDC00);
            ++n;
        } else if (uCode >= 0xD800 && uCode < 0xE000 && mbLoneSurrogateToReplacement) {
            uCode = 0xFFFD;
        }
        xfvKxwUtilAppendUtf8(dsResult, uCode);
    }
    return dsResult;
}

std::u16string xfdsKxwUtilUtf8ToU16(const char* mpsfStr, size_t mnLen) {
    std::u16string dsResult;
    dsResult.reserve(mnLen);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(mpsfStr);
    const unsigned char* pEnd = p ? p + mnLen : p;
    while (p < pEnd) {
        uint32_t uCode = *p;
        int iMore = uCode >= 0xF0 && uCode < 0xF8 ? 3 : uCode >= 0xE0 ? 2 : uCode >= 0xC0 ? 1 : 0;
        if (uCode >= 0xF8 || (uCode >= 0x80 && uCode < 0xC0)) iMore = -1;
        bool bGood = iMore >= 0 && p + iMore < pEnd;
        for (int i = 1; bGood && i <= iMore; ++i) bGood = (p[i] & 0xC0) == 0x80;
        if (!bGood) {
            dsResult += static_cast<char16_t>(*p++);
            continue;
        }
        if (iMore) uCode &= (0x3Fu >> iMore);
        for (int i = 1; i <= iMore; ++i) uCode = (uCode << 6) | (p[i] & 0x3Fu);
        p += iMore + 1;
        if (uCode >= 0x10000) {
            dsResult += static_cast<char16_t>(0xD800 + ((uCode - 0x10000) >> 10));
            dsResult += static_cast<char16_t>(0xDC00 + ((uCode - 0x10000) & 0x3FF));
        } else {
            dsResult += static_cast<char16_t>(uCode);
        }
    }
    return dsResult;
}
