#include "KxwUtilStrCompare.h"

#include <cstring>

#include "KxwUtilReport.h"

namespace {

inline unsigned char AsciiLower(unsigned char mucChar) {
    return (mucChar >= 'A' && mucChar <= 'Z') ? static_cast<unsigned char>(mucChar + ('a' - 'A')) : mucChar;
}

inline char16_t AsciiLower(char16_t mwChar) {
    return (mwChar >= u'A' && mwChar <= u'Z') ? static_cast<char16_t>(mwChar + (u'a' - u'A')) : mwChar;
}

// Checks the text/length pairs of one comparison; a null text with a length is reported and never equal.
bool ArgsOK(const void* mpvStr1, size_t mnLen1, const void* mpvStr2, size_t mnLen2, const char* mpszFunction) {
    if ((mpvStr1 || mnLen1 == 0) && (mpvStr2 || mnLen2 == 0)) return true;
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "Invalid text %p/%zu or %p/%zu passed to %s", mpvStr1, mnLen1, mpvStr2,
                                          mnLen2, mpszFunction);
    return false;
}

size_t SkipBlanks(const char16_t* mpwStr, size_t mnLen, size_t mnPos) {
    while (mnPos < mnLen && xfbKxwUtilU16nIsBlank(mpwStr[mnPos])) ++mnPos;
    return mnPos;
}

}  // namespace

bool xfbKxwUtilIsEqualIgnoreCase(const char* mpsfStr1, size_t mnLen1, const char* mpsfStr2, size_t mnLen2) {
    if (!ArgsOK(mpsfStr1, mnLen1, mpsfStr2, mnLen2, "xfbKxwUtilIsEqualIgnoreCase")) return false;
    if (mnLen1 != mnLen2) return false;
    const auto* pucStr1 = reinterpret_cast<const unsigned char*>(mpsfStr1);
    const auto* pucStr2 = reinterpret_cast<const unsigned char*>(mpsfStr2);
    for (size_t i = 0; i < mnLen1; ++i)
        if (pucStr1[i] != pucStr2[i] && AsciiLower(pucStr1[i]) != AsciiLower(pucStr2[i])) return false;
    return true;
}

bool xfbKxwUtilIsEqualIgnoreCaseEx(const char* mpsfStr1, size_t mnLen1, const char* mpsfStr2, size_t mnLen2,
                                   bool mbIgnoreCase) {
    if (mbIgnoreCase) return xfbKxwUtilIsEqualIgnoreCase(mpsfStr1, mnLen1, mpsfStr2, mnLen2);
    if (!ArgsOK(mpsfStr1, mnLen1, mpsfStr2, mnLen2, "xfbKxwUtilIsEqualIgnoreCaseEx")) return false;
    return mnLen1 == mnLen2 && (mnLen1 == 0 || std::memcmp(mpsfStr1, mpsfStr2, mnLen1) == 0);
}

bool xfbKxwUtilU16nIsEqualToAscIgnoreCase(const char16_t* mpwU16nStr, size_t mnU16nLenInChars, const char* mpsfAscStr,
                                          size_t mnAscLen) {
    if (!ArgsOK(mpwU16nStr, mnU16nLenInChars, mpsfAscStr, mnAscLen, "xfbKxwUtilU16nIsEqualToAscIgnoreCase"))
        return false;
    if (mnU16nLenInChars != mnAscLen) return false;
    for (size_t i = 0; i < mnAscLen; ++i) {
        auto wAsc = static_cast<char16_t>(static_cast<unsigned char>(mpsfAscStr[i]));
        if (mpwU16nStr[i] != wAsc && AsciiLower(mpwU16nStr[i]) != AsciiLower(wAsc)) return false;
    }
    return true;
}

bool xfbKxwUtilU16nIsEqualIgnoreCaseAssumeAscii(const char16_t* mpwStr1, size_t mnLen1, const char16_t* mpwStr2,
                                                size_t mnLen2) {
    if (!ArgsOK(mpwStr1, mnLen1, mpwStr2, mnLen2, "xfbKxwUtilU16nIsEqualIgnoreCaseAssumeAscii")) return false;
    if (mnLen1 != mnLen2) return false;
    for (size_t i = 0; i < mnLen1; ++i)
        if (mpwStr1[i] != mpwStr2[i] && AsciiLower(mpwStr1[i]) != AsciiLower(mpwStr2[i])) return false;
    return true;
}

bool xfbKxwU16IsEqualIgnoringCaseByLen(const char16_t* mpwStr1, const char16_t* mpwStr2, size_t mnLenInChars) {
    if (!ArgsOK(mpwStr1, mnLenInChars, mpwStr2, mnLenInChars, "xfbKxwU16IsEqualIgnoringCaseByLen")) return false;
    for (size_t i = 0; i < mnLenInChars; ++i)
        if (mpwStr1[i] != mpwStr2[i] && xfwKxwUtilU16nFoldCase(mpwStr1[i]) != xfwKxwUtilU16nFoldCase(mpwStr2[i]))
            return false;
    return true;
}

bool xfbKxwUtilToLowerCase(char* mpsfStr, size_t mnLen) {
    if (!ArgsOK(mpsfStr, mnLen, "", 0, "xfbKxwUtilToLowerCase")) return false;
    bool bChanged = false;
    for (size_t i = 0; i < mnLen; ++i) {
        if (mpsfStr[i] >= 'A' && mpsfStr[i] <= 'Z') {
            mpsfStr[i] = static_cast<char>(mpsfStr[i] + ('a' - 'A'));
            bChanged = true;
        }
    }
    return bChanged;
}

bool xfbKxwUtilToLowerCase(char16_t* mpwStr, size_t mnLenInChars) {
    if (!ArgsOK(mpwStr, mnLenInChars, u"", 0, "xfbKxwUtilToLowerCase")) return false;
    bool bChanged = false;
    for (size_t i = 0; i < mnLenInChars; ++i) {
        char16_t wLower = AsciiLower(mpwStr[i]);
        if (wLower != mpwStr[i]) {
            mpwStr[i] = wLower;
            bChanged = true;
        }
    }
    return bChanged;
}

char16_t xfwKxwUtilU16nFoldCase(char16_t mwChar) {
    unsigned u = mwChar;
    auto Add = [u](unsigned muDelta) { return static_cast<char16_t>(u + muDelta); };
    if (u < 0x80) return AsciiLower(mwChar);
    if (u < 0xC0) return mwChar;
    if (u <= 0xDE) return u == 0xD7 ? mwChar : Add(0x20);
    if (u < 0x100) return mwChar;
    if (u < 0x180) {
        // Latin Extended-A pairs upper/lower case on even/odd code points, with the parity flipping twice.
        if (u == 0x130) return u'i';
        if (u == 0x178) return 0xFF;
        if ((u <= 0x137 || (u >= 0x14A && u <= 0x177)) && (u & 1) == 0) return Add(1);
        if (((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) && (u & 1) == 1) return Add(1);
        return mwChar;
    }
    if (u >= 0x386 && u <= 0x3AB) {
        if (u == 0x386) return 0x3AC;
        if (u >= 0x388 && u <= 0x38A) return Add(37);
        if (u == 0x38C) return 0x3CC;
        if (u == 0x38E || u == 0x38F) return Add(63);
        if (u >= 0x391 && u != 0x3A2) return Add(0x20);
        return mwChar;
    }
    if (u == 0x3C2) return 0x3C3;  // final sigma folds to sigma
    if (u >= 0x400 && u <= 0x40F) return Add(0x50);
    if (u >= 0x410 && u <= 0x42F) return Add(0x20);
    if (((u >= 0x460 && u <= 0x481) || (u >= 0x48A && u <= 0x4BF) || (u >= 0x4D0 && u <= 0x52F)) && (u & 1) == 0)
        return Add(1);
    if (u >= 0x531 && u <= 0x556) return Add(0x30);
    if (((u >= 0x1E00 && u <= 0x1E95) || (u >= 0x1EA0 && u <= 0x1EFF)) && (u & 1) == 0) return Add(1);
    if (u >= 0xFF21 && u <= 0xFF3A) return Add(0x20);
    return mwChar;
}

bool xfbKxwUtilU16nIsBlank(char16_t mwChar) {
    return mwChar == u' ' || (mwChar >= 0x09 && mwChar <= 0x0D) || mwChar == 0xA0;
}

bool xfbKxwUtilU16nIsEqualConsideringSpaces(const char16_t* mpwStr1, size_t mnLen1, const char16_t* mpwStr2,
                                            size_t mnLen2) {
    if (!ArgsOK(mpwStr1, mnLen1, mpwStr2, mnLen2, "xfbKxwUtilU16nIsEqualConsideringSpaces")) return false;
    size_t i = SkipBlanks(mpwStr1, mnLen1, 0);
    size_t j = SkipBlanks(mpwStr2, mnLen2, 0);
    while (i < mnLen1 && j < mnLen2) {
        bool bBlank1 = xfbKxwUtilU16nIsBlank(mpwStr1[i]);
        bool bBlank2 = xfbKxwUtilU16nIsBlank(mpwStr2[j]);
        if (bBlank1 || bBlank2) {
            if (bBlank1 != bBlank2) return false;
            i = SkipBlanks(mpwStr1, mnLen1, i);
            j = SkipBlanks(mpwStr2, mnLen2, j);
            continue;
        }
        if (mpwStr1[i] != mpwStr2[j]) return false;
        ++i;
        ++j;
    }
    // Whatever is left on either side may only be trailing blanks.
    return SkipBlanks(mpwStr1, mnLen1, i) == mnLen1 && SkipBlanks(mpwStr2, mnLen2, j) == mnLen2;
}

bool xfbKxwUtilU16nIsEqualConsideringLeadingAndTrailingSpaces(const char16_t* mpwStr1, size_t mnLen1,
                                                              const char16_t* mpwStr2, size_t mnLen2,
                                                              bool mbIgnoreLeading, bool mbIgnoreTrailing) {
    if (!ArgsOK(mpwStr1, mnLen1, mpwStr2, mnLen2, "xfbKxwUtilU16nIsEqualConsideringLeadingAndTrailingSpaces"))
        return false;
    size_t nBegin1 = 0;
    size_t nBegin2 = 0;
    if (mbIgnoreLeading) {
        nBegin1 = SkipBlanks(mpwStr1, mnLen1, 0);
        nBegin2 = SkipBlanks(mpwStr2, mnLen2, 0);
    }
    if (mbIgnoreTrailing) {
        while (mnLen1 > nBegin1 && xfbKxwUtilU16nIsBlank(mpwStr1[mnLen1 - 1])) --mnLen1;
        while (mnLen2 > nBegin2 && xfbKxwUtilU16nIsBlank(mpwStr2[mnLen2 - 1])) --mnLen2;
    }
    size_t nLen = mnLen1 - nBegin1;
    if (nLen != mnLen2 - nBegin2) return false;
    return nLen == 0 || std::memcmp(mpwStr1 + nBegin1, mpwStr2 + nBegin2, nLen * sizeof(char16_t)) == 0;
}

bool xfbKxwUtilIsCoordinatePair(const char* mpsfStr, size_t mnLen) {
    if (!mpsfStr) return false;
    size_t nComma = 0, nDigitsBefore = 0, nDigitsAfter = 0;
    for (size_t n = 0; n < mnLen; ++n) {
        char c = mpsfStr[n];
        if (c == ',') {
            if (++nComma > 1) return false;
        } else if (c >= '0' && c <= '9') {
            ++(nComma ? nDigitsAfter : nDigitsBefore);
        } else {
            return false;
        }
    }
    return nComma == 1 && nDigitsBefore > 0 && nDigitsAfter > 0;
}
