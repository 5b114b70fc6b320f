#include "KxwU16nHandler.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "KxwUtilReport.h"

namespace {

enum class CharsetKind { kAscii, kLatin1, kWindows1252, kUtf8, kIconv };

constexpr char16_t kReplacementChar = 0xFFFD;
constexpr char kSubstituteByte = '?';

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr const char* kU16nIconvName = "UTF-16BE";
#else
constexpr const char* kU16nIconvName = "UTF-16LE";
#endif

iconv_t const kNoDescriptor = reinterpret_cast<iconv_t>(-1);

bool IsHighSurrogate(char16_t mwChar) {
    return mwChar >= 0xD800 && mwChar <= 0xDBFF;
}
bool IsLowSurrogate(char16_t mwChar) {
    return mwChar >= 0xDC00 && mwChar <= 0xDFFF;
}

// ---------------------------------------------------------------------------------------------------------------
// Direct conversions for the four charsets that most pages use.

// Most of a page (its markup, its scripts, much of its text) is ASCII, which every one of them keeps as it is:
// runs of it are converted 16 characters at a time. Each returns how many leading characters it converted, a
// multiple of 16 that stops before the first block holding anything else or not fitting the output.
size_t WidenAsciiRun(const unsigned char* mpucSrc, size_t mnLen, char16_t* mpwBuf, size_t mnBufLen) {
    size_t nDone = 0;
#if defined(__SSE2__) && !(defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__)
    const __m128i tZero = _mm_setzero_si128();
    for (; nDone + 16 <= mnLen && nDone + 16 <= mnBufLen; nDone += 16) {
        __m128i tBytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mpucSrc + nDone));
        if (_mm_movemask_epi8(tBytes) != 0) break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(mpwBuf + nDone), _mm_unpacklo_epi8(tBytes, tZero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(mpwBuf + nDone + 8), _mm_unpackhi_epi8(tBytes, tZero));
    }
#else
    (void)mpucSrc, (void)mnLen, (void)mpwBuf, (void)mnBufLen;
#endif
    return nDone;
}

size_t NarrowAsciiRun(const char16_t* mpwSrc, size_t mnLen, char* mpsfBuf, size_t mnBufLen) {
    size_t nDone = 0;
#if defined(__SSE2__) && !(defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__)
    const __m128i tNotAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i tZero = _mm_setzero_si128();
    for (; nDone + 16 <= mnLen && nDone + 16 <= mnBufLen; nDone += 16) {
        __m128i tLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mpwSrc + nDone));
        __m128i tHigh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mpwSrc + nDone + 8));
        __m128i tOutside = _mm_and_si128(_mm_or_si128(tLow, tHigh), tNotAscii);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(tOutside, tZero)) != 0xFFFF) break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(mpsfBuf + nDone), _mm_packus_epi16(tLow, tHigh));
    }
#else
    (void)mpwSrc, (void)mnLen, (void)mpsfBuf, (void)mnBufLen;
#endif
    return nDone;
}

// windows-1252 differs from Latin-1 only in 0x80..0x9F. Its five unassigned bytes map to the C1 control of the same
// value, as the platform's own conversion does, so that every byte survives a round trip.
const char16_t kawWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

size_t DecodeSingleByte(CharsetKind meKind, const unsigned char* mpucSrc, size_t mnLen, char16_t* mpwBuf,
                        size_t mnBufLen) {
    size_t nCount = mnLen < mnBufLen ? mnLen : mnBufLen;
    for (size_t i = 0; i < nCount; ++i) {
        if (mpucSrc[i] < 0x80) {
            size_t nRun = WidenAsciiRun(mpucSrc + i, nCount - i, mpwBuf + i, nCount - i);
            i += nRun;
            if (i >= nCount) break;
        }
        unsigned char ucByte = mpucSrc[i];
        if (ucByte < 0x80)
            mpwBuf[i] = ucByte;
        else if (meKind == CharsetKind::kAscii)
            mpwBuf[i] = kReplacementChar;
        else if (meKind == CharsetKind::kWindows1252 && ucByte < 0xA0)
            mpwBuf[i] = kawWindows1252High[ucByte - 0x80];
        else
            mpwBuf[i] = ucByte;
    }
    return nCount;
}

int EncodeWindows1252(char16_t mwChar) {
    if (mwChar < 0x80 || (mwChar >= 0xA0 && mwChar <= 0xFF)) return mwChar;
    for (int i = 0; i < 32; ++i)
        if (kawWindows1252High[i] == mwChar) return 0x80 + i;
    return -1;
}

size_t EncodeSingleByte(CharsetKind meKind, const char16_t* mpwSrc, size_t mnLen, char* mpsfBuf, size_t mnBufLen) {
    size_t nOut = 0;
    for (size_t i = 0; i < mnLen && nOut < mnBufLen; ++i) {
        if (mpwSrc[i] < 0x80) {
            size_t nRun = NarrowAsciiRun(mpwSrc + i, mnLen - i, mpsfBuf + nOut, mnBufLen - nOut);
            i += nRun;
            nOut += nRun;
            if (i >= mnLen || nOut >= mnBufLen) break;
        }
        char16_t wChar = mpwSrc[i];
        int iByte;
        if (meKind == CharsetKind::kWindows1252)
            iByte = EncodeWindows1252(wChar);
        else
            iByte = wChar < (meKind == CharsetKind::kAscii ? 0x80 : 0x100) ? wChar : -1;
        if (iByte < 0) {
            // A surrogate pair is one character and gets one substitute.
            if (IsHighSurrogate(wChar) && i + 1 < mnLen && IsLowSurrogate(mpwSrc[i + 1])) ++i;
            iByte = kSubstituteByte;
        }
        mpsfBuf[nOut++] = static_cast<char>(iByte);
    }
    return nOut;
}

// UTF-8 decoding replaces each maximal invalid subpart by one U+FFFD and resumes at the first byte that could not
// continue the sequence, so one bad byte never swallows the character after it.
size_t DecodeUtf8(const unsigned char* mpucSrc, size_t mnLen, char16_t* mpwBuf, size_t mnBufLen) {
    size_t i = 0;
    size_t nOut = 0;
    while (i < mnLen && nOut < mnBufLen) {
        unsigned uLead = mpucSrc[i];
        if (uLead < 0x80) {
            if (size_t nRun = WidenAsciiRun(mpucSrc + i, mnLen - i, mpwBuf + nOut, mnBufLen - nOut)) {
                i += nRun;
                nOut += nRun;
                continue;
            }
            mpwBuf[nOut++] = static_cast<char16_t>(uLead);
            ++i;
            continue;
        }
        unsigned uNeed;
        uint32_t uCodePoint;
        unsigned uLow = 0x80;
        unsigned uHigh = 0xBF;
        if (uLead >= 0xC2 && uLead <= 0xDF) {
            uNeed = 1;
            uCodePoint = uLead & 0x1F;
        } else if (uLead >= 0xE0 && uLead <= 0xEF) {
            uNeed = 2;
            uCodePoint = uLead & 0x0F;
            if (uLead == 0xE0) uLow = 0xA0;   // overlong
            if (uLead == 0xED) uHigh = 0x9F;  // surrogates
        } else if (uLead >= 0xF0 && uLead <= 0xF4) {
            uNeed = 3;
            uCodePoint = uLead & 0x07;
            if (uLead == 0xF0) uLow = 0x90;   // overlong
            if (uLead == 0xF4) uHigh = 0x8F;  // beyond U+10FFFF
        } else {
            mpwBuf[nOut++] = kReplacementChar;
            ++i;
            continue;
        }
        size_t j = i + 1;
        bool bComplete = true;
        for (unsigned k = 0; k < uNeed; ++k, ++j) {
            if (j >= mnLen || mpucSrc[j] < uLow || mpucSrc[j] > uHigh) {
                bComplete = false;
                break;
            }
            uCodePoint = (uCodePoint << 6) | (mpucSrc[j] & 0x3F);
            uLow = 0x80;
            uHigh = 0xBF;
        }
        if (!bComplete) {
            mpwBuf[nOut++] = kReplacementChar;
            i = j;
            continue;
        }
        if (uCodePoint >= 0x10000) {
            if (nOut + 2 > mnBufLen) break;
            uCodePoint -= 0x10000;
            mpwBuf[nOut++] = static_cast<char16_t>(0xD800 + (uCodePoint >> 10));
            mpwBuf[nOut++] = static_cast<char16_t>(0xDC00 + (uCodePoint & 0x3FF));
        } else {
            mpwBuf[nOut++] = static_cast<char16_t>(uCodePoint);
        }
        i = j;
    }
    return nOut;
}

size_t EncodeUtf8(const char16_t* mpwSrc, size_t mnLen, char* mpsfBuf, size_t mnBufLen) {
    auto* pucOut = reinterpret_cast<unsigned char*>(mpsfBuf);
    size_t nOut = 0;
    for (size_t i = 0; i < mnLen; ++i) {
        if (mpwSrc[i] < 0x80) {
            size_t nRun = NarrowAsciiRun(mpwSrc + i, mnLen - i, mpsfBuf + nOut, mnBufLen - nOut);
            i += nRun;
            nOut += nRun;
            if (i >= mnLen) break;
        }
        uint32_t uCodePoint = mpwSrc[i];
        if (IsHighSurrogate(mpwSrc[i]) && i + 1 < mnLen && IsLowSurrogate(mpwSrc[i + 1])) {
            uCodePoint = 0x10000 + ((uCodePoint - 0xD800) << 10) + (mpwSrc[i + 1] - 0xDC00);
            if (nOut + 4 > mnBufLen) break;
            pucOut[nOut++] = static_cast<unsigned char>(0xF0 | (uCodePoint >> 18));
            pucOut[nOut++] = static_cast<unsigned char>(0x80 | ((uCodePoint >> 12) & 0x3F));
            pucOut[nOut++] = static_cast<unsigned char>(0x80 | ((uCodePoint >> 6) & 0x3F));
            pucOut[nOut++] = static_cast<unsigned char>(0x80 | (uCodePoint & 0x3F));
            ++i;
            continue;
        }
        if (IsHighSurrogate(mpwSrc[i]) || IsLowSurrogate(mpwSrc[i])) uCodePoint = kReplacementChar;
        if (uCodePoint < 0x80) {
            if (nOut + 1 > mnBufLen) break;
            pucOut[nOut++] = static_cast<unsigned char>(uCodePoint);
        } else if (uCodePoint < 0x800) {
            if (nOut + 2 > mnBufLen) break;
            pucOut[nOut++] = static_cast<unsigned char>(0xC0 | (uCodePoint >> 6));
            pucOut[nOut++] = static_cast<unsigned char>(0x80 | (uCodePoint & 0x3F));
        } else {
            if (nOut + 3 > mnBufLen) break;
            pucOut[nOut++] = static_cast<unsigned char>(0xE0 | (uCodePoint >> 12));
            pucOut[nOut++] = static_cast<unsigned char>(0x80 | ((uCodePoint >> 6) & 0x3F));
            pucOut[nOut++] = static_cast<unsigned char>(0x80 | (uCodePoint & 0x3F));
        }
    }
    return nOut;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Charset names

struct KxwU16nHandlerGeneral::CharsetInfo {
    const char* _pszCanonicalName;
    const char* _pszIconvName;  // null for the direct conversions
    CharsetKind _eKind;
    bool _bAsciiTransparent;
    unsigned _uMaxDcsBytesPerChar;  // bound of the bytes one UTF-16 unit can become
    // The Windows code pages leave some of 0x80..0x9F unassigned; like windows-1252 those bytes stand for the C1
    // control of the same value, so that they survive a round trip.
    bool _bC1Passthrough = false;
};

namespace {

using CharsetInfo = KxwU16nHandlerGeneral::CharsetInfo;

// ISO-2022-JP may need an escape sequence (3 bytes) plus two bytes per character, and one more escape to return to
// ASCII at the end; GB18030 writes four bytes for a BMP character outside GBK; windows-1255 and windows-1258 split
// precomposed letters into a base letter and up to two combining marks.
const CharsetInfo katCharsets[] = {
    {"windows-1252", nullptr, CharsetKind::kWindows1252, true, 1},  // first: the default
    {"utf-8", nullptr, CharsetKind::kUtf8, true, 3},
    {"iso-8859-1", nullptr, CharsetKind::kLatin1, true, 1},
    {"us-ascii", nullptr, CharsetKind::kAscii, true, 1},
    {"windows-1250", "CP1250", CharsetKind::kIconv, true, 1, true},
    {"windows-1251", "CP1251", CharsetKind::kIconv, true, 1, true},
    {"windows-1253", "CP1253", CharsetKind::kIconv, true, 1, true},
    {"windows-1254", "CP1254", CharsetKind::kIconv, true, 1, true},
    {"windows-1255", "CP1255", CharsetKind::kIconv, true, 3, true},
    {"windows-1256", "CP1256", CharsetKind::kIconv, true, 1, true},
    {"windows-1257", "CP1257", CharsetKind::kIconv, true, 1, true},
    {"windows-1258", "CP1258", CharsetKind::kIconv, true, 3, true},
    {"iso-8859-2", "ISO-8859-2", CharsetKind::kIconv, true, 1},
    {"iso-8859-3", "ISO-8859-3", CharsetKind::kIconv, true, 1},
    {"iso-8859-4", "ISO-8859-4", CharsetKind::kIconv, true, 1},
    {"iso-8859-5", "ISO-8859-5", CharsetKind::kIconv, true, 1},
    {"iso-8859-6", "ISO-8859-6", CharsetKind::kIconv, true, 1},
    {"iso-8859-7", "ISO-8859-7", CharsetKind::kIconv, true, 1},
    {"iso-8859-8", "ISO-8859-8", CharsetKind::kIconv, true, 1},
    {"iso-8859-9", "ISO-8859-9", CharsetKind::kIconv, true, 1},
    {"iso-8859-10", "ISO-8859-10", CharsetKind::kIconv, true, 1},
    {"iso-8859-11", "ISO-8859-11", CharsetKind::kIconv, true, 1},
    {"iso-8859-13", "ISO-8859-13", CharsetKind::kIconv, true, 1},
    {"iso-8859-14", "ISO-8859-14", CharsetKind::kIconv, true, 1},
    {"iso-8859-15", "ISO-8859-15", CharsetKind::kIconv, true, 1},
    {"iso-8859-16", "ISO-8859-16", CharsetKind::kIconv, true, 1},
    {"koi8-r", "KOI8-R", CharsetKind::kIconv, true, 1},
    {"koi8-u", "KOI8-U", CharsetKind::kIconv, true, 1},
    // Pages labelled Shift_JIS are written in the Windows variant (NEC and IBM extensions).
    {"shift_jis", "CP932", CharsetKind::kIconv, false, 2},
    {"euc-jp", "EUC-JP", CharsetKind::kIconv, true, 3},
    {"iso-2022-jp", "ISO-2022-JP", CharsetKind::kIconv, false, 5},
    // Pages labelled GB2312 use GBK characters freely; GBK reads every GB2312 text unchanged.
    {"gb2312", "GBK", CharsetKind::kIconv, false, 2},
    {"gbk", "GBK", CharsetKind::kIconv, false, 2},
    {"gb18030", "GB18030", CharsetKind::kIconv, false, 4},
    {"big5", "BIG5-HKSCS", CharsetKind::kIconv, false, 2},
    // Pages labelled EUC-KR use the Windows extension (Unified Hangul Code).
    {"euc-kr", "CP949", CharsetKind::kIconv, false, 2},
};

struct CharsetAlias {
    const char* _pszLabel;
    const char* _pszCanonicalName;
};

// Labels other than the canonical names, lower case.
const CharsetAlias katAliases[] = {
    {"utf8", "utf-8"},
    {"unicode-1-1-utf-8", "utf-8"},
    {"x-unicode20utf8", "utf-8"},
    {"unicode20utf8", "utf-8"},
    {"cp65001", "utf-8"},
    {"cp1252", "windows-1252"},
    {"x-cp1252", "windows-1252"},
    {"win-1252", "windows-1252"},
    {"windows1252", "windows-1252"},
    {"ms-ansi", "windows-1252"},
    {"latin1", "iso-8859-1"},
    {"latin-1", "iso-8859-1"},
    {"l1", "iso-8859-1"},
    {"iso-8859-1:1987", "iso-8859-1"},
    {"iso-ir-100", "iso-8859-1"},
    {"ibm819", "iso-8859-1"},
    {"cp819", "iso-8859-1"},
    {"csisolatin1", "iso-8859-1"},
    {"ascii", "us-ascii"},
    {"us", "us-ascii"},
    {"iso646-us", "us-ascii"},
    {"ansi_x3.4-1968", "us-ascii"},
    {"iso-ir-6", "us-ascii"},
    {"cp367", "us-ascii"},
    {"ibm367", "us-ascii"},
    {"csascii", "us-ascii"},
    {"cp1250", "windows-1250"},
    {"x-cp1250", "windows-1250"},
    {"cp1251", "windows-1251"},
    {"x-cp1251", "windows-1251"},
    {"cp1253", "windows-1253"},
    {"x-cp1253", "windows-1253"},
    {"cp1254", "windows-1254"},
    {"x-cp1254", "windows-1254"},
    {"cp1255", "windows-1255"},
    {"x-cp1255", "windows-1255"},
    {"cp1256", "windows-1256"},
    {"x-cp1256", "windows-1256"},
    {"cp1257", "windows-1257"},
    {"x-cp1257", "windows-1257"},
    {"cp1258", "windows-1258"},
    {"x-cp1258", "windows-1258"},
    {"latin2", "iso-8859-2"},
    {"l2", "iso-8859-2"},
    {"csisolatin2", "iso-8859-2"},
    {"latin3", "iso-8859-3"},
    {"l3", "iso-8859-3"},
    {"latin4", "iso-8859-4"},
    {"l4", "iso-8859-4"},
    {"cyrillic", "iso-8859-5"},
    {"csisolatincyrillic", "iso-8859-5"},
    {"arabic", "iso-8859-6"},
    {"asmo-708", "iso-8859-6"},
    {"ecma-114", "iso-8859-6"},
    {"greek", "iso-8859-7"},
    {"greek8", "iso-8859-7"},
    {"elot_928", "iso-8859-7"},
    {"ecma-118", "iso-8859-7"},
    {"hebrew", "iso-8859-8"},
    {"iso-8859-8-i", "iso-8859-8"},
    {"visual", "iso-8859-8"},
    {"latin5", "iso-8859-9"},
    {"l5", "iso-8859-9"},
    {"latin6", "iso-8859-10"},
    {"l6", "iso-8859-10"},
    {"tis-620", "iso-8859-11"},
    {"latin7", "iso-8859-13"},
    {"latin8", "iso-8859-14"},
    {"latin9", "iso-8859-15"},
    {"l9", "iso-8859-15"},
    {"latin-9", "iso-8859-15"},
    {"csisolatin9", "iso-8859-15"},
    {"latin10", "iso-8859-16"},
    {"koi8", "koi8-r"},
    {"koi", "koi8-r"},
    {"koi8_r", "koi8-r"},
    {"cskoi8r", "koi8-r"},
    {"koi8-ru", "koi8-u"},
    {"koi8_u", "koi8-u"},
    {"shift-jis", "shift_jis"},
    {"sjis", "shift_jis"},
    {"x-sjis", "shift_jis"},
    {"ms_kanji", "shift_jis"},
    {"csshiftjis", "shift_jis"},
    {"windows-31j", "shift_jis"},
    {"ms932", "shift_jis"},
    {"cp932", "shift_jis"},
    {"x-ms-cp932", "shift_jis"},
    {"eucjp", "euc-jp"},
    {"x-euc-jp", "euc-jp"},
    {"x-euc", "euc-jp"},
    {"cseucpkdfmtjapanese", "euc-jp"},
    {"csiso2022jp", "iso-2022-jp"},
    {"jis", "iso-2022-jp"},
    {"gb_2312-80", "gb2312"},
    {"gb_2312", "gb2312"},
    {"csgb2312", "gb2312"},
    {"euc-cn", "gb2312"},
    {"x-euc-cn", "gb2312"},
    {"chinese", "gb2312"},
    {"csiso58gb231280", "gb2312"},
    {"iso-ir-58", "gb2312"},
    {"x-gbk", "gbk"},
    {"cp936", "gbk"},
    {"ms936", "gbk"},
    {"windows-936", "gbk"},
    {"gb-18030", "gb18030"},
    {"big5-hkscs", "big5"},
    {"cn-big5", "big5"},
    {"csbig5", "big5"},
    {"x-x-big5", "big5"},
    {"x-big5", "big5"},
    {"cp950", "big5"},
    {"ks_c_5601-1987", "euc-kr"},
    {"ks_c_5601-1989", "euc-kr"},
    {"ksc5601", "euc-kr"},
    {"ksc_5601", "euc-kr"},
    {"korean", "euc-kr"},
    {"cseuckr", "euc-kr"},
    {"csksc56011987", "euc-kr"},
    {"iso-ir-149", "euc-kr"},
    {"windows-949", "euc-kr"},
    {"cp949", "euc-kr"},
    {"uhc", "euc-kr"},
};

constexpr size_t kMaxLabelLen = 40;

// Lower-cases the label and sets aside surrounding blanks and quotes (META values arrive as written); false when
// nothing usable is left or the label is longer than any known one.
bool NormalizeLabel(const char* mpsfLabel, size_t mnLen, char (&macBuf)[kMaxLabelLen + 1]) {
    auto IsTrimmed = [](char mcChar) {
        return mcChar == ' ' || mcChar == '\t' || mcChar == '\r' || mcChar == '\n' || mcChar == '\f' || mcChar == '"' ||
               mcChar == '\'';
    };
    while (mnLen > 0 && IsTrimmed(*mpsfLabel)) {
        ++mpsfLabel;
        --mnLen;
    }
    while (mnLen > 0 && IsTrimmed(mpsfLabel[mnLen - 1])) --mnLen;
    if (mnLen == 0 || mnLen > kMaxLabelLen) return false;
    for (size_t i = 0; i < mnLen; ++i) {
        char cChar = mpsfLabel[i];
        if (cChar == '\0') return false;
        macBuf[i] = (cChar >= 'A' && cChar <= 'Z') ? static_cast<char>(cChar + ('a' - 'A')) : cChar;
    }
    macBuf[mnLen] = '\0';
    return true;
}

const CharsetInfo* FindCharsetByCanonicalName(const char* mpszName) {
    for (const CharsetInfo& rtInfo : katCharsets)
        if (std::strcmp(rtInfo._pszCanonicalName, mpszName) == 0) return &rtInfo;
    return nullptr;
}

// "iso8859-2", "iso_8859-2", "iso8859_2" and "iso88592" are spellings of "iso-8859-2".
void NormalizeIsoSpelling(char (&macLabel)[kMaxLabelLen + 1]) {
    const char* pszRest = nullptr;
    for (const char* pszPrefix : {"iso8859-", "iso_8859-", "iso8859_", "iso_8859_", "iso8859"}) {
        size_t nPrefixLen = std::strlen(pszPrefix);
        if (std::strncmp(macLabel, pszPrefix, nPrefixLen) == 0) {
            pszRest = macLabel + nPrefixLen;
            break;
        }
    }
    if (!pszRest || *pszRest < '1' || *pszRest > '9') return;
    char acCanonical[kMaxLabelLen + 1];
    int iLen = std::snprintf(acCanonical, sizeof acCanonical, "iso-8859-%s", pszRest);
    if (iLen > 0 && static_cast<size_t>(iLen) <= kMaxLabelLen) std::memcpy(macLabel, acCanonical, iLen + 1);
}

const CharsetInfo* FindCharset(const char* mpsfLabel, size_t mnLen) {
    char acLabel[kMaxLabelLen + 1];
    if (!mpsfLabel || !NormalizeLabel(mpsfLabel, mnLen, acLabel)) return nullptr;
    NormalizeIsoSpelling(acLabel);
    if (const CharsetInfo* ptInfo = FindCharsetByCanonicalName(acLabel)) return ptInfo;
    for (const CharsetAlias& rtAlias : katAliases)
        if (std::strcmp(rtAlias._pszLabel, acLabel) == 0) return FindCharsetByCanonicalName(rtAlias._pszCanonicalName);
    return nullptr;
}

const CharsetInfo* DefaultCharset() {
    return &katCharsets[0];
}

}  // namespace

const char* xfpszKxwU16nGetCanonicalCharsetName(const char* mpsfLabel, size_t mnLabelLen) {
    const CharsetInfo* ptInfo = FindCharset(mpsfLabel, mnLabelLen);
    return ptInfo ? ptInfo->_pszCanonicalName : nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// KxwU16nHandlerGeneral

KxwU16nHandlerGeneral::KxwU16nHandlerGeneral(const char* mpszCharset) : _ptCharset(DefaultCharset()) {
    Reset(mpszCharset);
}

KxwU16nHandlerGeneral::KxwU16nHandlerGeneral(const char* mpsfCharset, size_t mnCharsetLen)
    : _ptCharset(DefaultCharset()) {
    Reset(mpsfCharset, mnCharsetLen);
}

KxwU16nHandlerGeneral::~KxwU16nHandlerGeneral() {
    CloseDescriptors();
}

void KxwU16nHandlerGeneral::Reset(const char* mpszCharset) {
    Reset(mpszCharset, mpszCharset ? std::strlen(mpszCharset) : 0);
}

void KxwU16nHandlerGeneral::Reset(const char* mpsfCharset, size_t mnCharsetLen) {
    CloseDescriptors();
    _bIsFallback = false;
    if (!mpsfCharset) {
        _ptCharset = DefaultCharset();
        return;
    }
    _ptCharset = FindCharset(mpsfCharset, mnCharsetLen);
    if (!_ptCharset) {
        _ptCharset = DefaultCharset();
        _bIsFallback = true;
        int iShownLen = mnCharsetLen > 100 ? 100 : static_cast<int>(mnCharsetLen);
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Unknown charset \"%.*s\" in KxwU16nHandlerGeneral::Reset. Using windows-1252 instead. this=%p", iShownLen,
            mpsfCharset, static_cast<void*>(this));
    }
}

void KxwU16nHandlerGeneral::CloseDescriptors() {
    if (_pvToU16n) iconv_close(static_cast<iconv_t>(_pvToU16n));
    if (_pvFromU16n) iconv_close(static_cast<iconv_t>(_pvFromU16n));
    _pvToU16n = nullptr;
    _pvFromU16n = nullptr;
}

// Opens both descriptors on first use; a charset the system cannot convert is reported once and then converted
// as windows-1252.
bool KxwU16nHandlerGeneral::OpenDescriptors() {
    if (_pvToU16n && _pvFromU16n) return true;
    iconv_t tToU16n = iconv_open(kU16nIconvName, _ptCharset->_pszIconvName);
    iconv_t tFromU16n = iconv_open(_ptCharset->_pszIconvName, kU16nIconvName);
    if (tToU16n == kNoDescriptor || tFromU16n == kNoDescriptor) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "iconv_open failed for %s (errno=%d) in KxwU16nHandlerGeneral::OpenDescriptors. Using windows-1252 "
            "instead. this=%p",
            _ptCharset->_pszIconvName, errno, static_cast<void*>(this));
        if (tToU16n != kNoDescriptor) iconv_close(tToU16n);
        if (tFromU16n != kNoDescriptor) iconv_close(tFromU16n);
        _ptCharset = DefaultCharset();
        _bIsFallback = true;
        return false;
    }
    _pvToU16n = tToU16n;
    _pvFromU16n = tFromU16n;
    return true;
}

// Whether a byte of 0x80..0x9F has no character of its own in this charset (and so stands for its C1 control).
bool KxwU16nHandlerGeneral::IsUnassignedC1Byte(unsigned char mucByte) {
    if (!_ptCharset->_bC1Passthrough) return false;
    auto tDescriptor = static_cast<iconv_t>(_pvToU16n);
    char cByte = static_cast<char>(mucByte);
    char* pcIn = &cByte;
    size_t nInLeft = 1;
    char16_t wOut;
    char* pcOut = reinterpret_cast<char*>(&wOut);
    size_t nOutLeft = sizeof wOut;
    iconv(tDescriptor, nullptr, nullptr, nullptr, nullptr);
    return iconv(tDescriptor, &pcIn, &nInLeft, &pcOut, &nOutLeft) == static_cast<size_t>(-1) && errno == EILSEQ;
}

const char* KxwU16nHandlerGeneral::GetCharsetName() const {
    return _ptCharset->_pszCanonicalName;
}

bool KxwU16nHandlerGeneral::IsAsciiTransparent() const {
    return _ptCharset->_bAsciiTransparent;
}

size_t KxwU16nHandlerGeneral::GetMaxU16nLenInChars(size_t mnDcsLenInBytes) const {
    // No charset makes more units than bytes (four UTF-8 or GB18030 bytes give at most a surrogate pair); a small
    // margin covers what a stateful decoder may flush at the end.
    return _ptCharset->_eKind == CharsetKind::kIconv ? mnDcsLenInBytes + 4 : mnDcsLenInBytes;
}

size_t KxwU16nHandlerGeneral::GetMaxDcsLenInBytes(size_t mnU16nLenInChars) const {
    size_t nMax = mnU16nLenInChars * _ptCharset->_uMaxDcsBytesPerChar;
    return _ptCharset->_eKind == CharsetKind::kIconv ? nMax + 8 : nMax;
}

size_t KxwU16nHandlerGeneral::ConvertDcsToU16n(const char* mpsfDcsStr, size_t mnDcsLenInBytes, char16_t* mpwBuf,
                                               size_t mnBufLen) {
    if (mnDcsLenInBytes == 0 || mnBufLen == 0) return 0;
    if (!mpsfDcsStr || !mpwBuf) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpsfDcsStr=%p / mpwBuf=%p in KxwU16nHandlerGeneral::ConvertDcsToU16n. this=%p",
            static_cast<const void*>(mpsfDcsStr), static_cast<void*>(mpwBuf), static_cast<void*>(this));
        return 0;
    }
    const auto* pucSrc = reinterpret_cast<const unsigned char*>(mpsfDcsStr);
    // A charset the system cannot open switches this handler to the default, converted directly below.
    if (_ptCharset->_eKind == CharsetKind::kIconv) OpenDescriptors();
    switch (_ptCharset->_eKind) {
        case CharsetKind::kUtf8:
            return DecodeUtf8(pucSrc, mnDcsLenInBytes, mpwBuf, mnBufLen);
        case CharsetKind::kAscii:
        case CharsetKind::kLatin1:
        case CharsetKind::kWindows1252:
            return DecodeSingleByte(_ptCharset->_eKind, pucSrc, mnDcsLenInBytes, mpwBuf, mnBufLen);
        case CharsetKind::kIconv:
            break;
    }

    auto tDescriptor = static_cast<iconv_t>(_pvToU16n);
    iconv(tDescriptor, nullptr, nullptr, nullptr, nullptr);
    char* pcIn = const_cast<char*>(mpsfDcsStr);
    size_t nInLeft = mnDcsLenInBytes;
    char* pcOut = reinterpret_cast<char*>(mpwBuf);
    size_t nOutLeft = mnBufLen * sizeof(char16_t);
    while (nInLeft > 0) {
        if (iconv(tDescriptor, &pcIn, &nInLeft, &pcOut, &nOutLeft) != static_cast<size_t>(-1)) break;
        int iErrno = errno;
        if (iErrno == E2BIG || nOutLeft < sizeof(char16_t)) break;
        auto ucBad = static_cast<unsigned char>(*pcIn);
        char16_t wOut = (_ptCharset->_bC1Passthrough && ucBad >= 0x80 && ucBad <= 0x9F) ? ucBad : kReplacementChar;
        std::memcpy(pcOut, &wOut, sizeof(char16_t));
        pcOut += sizeof(char16_t);
        nOutLeft -= sizeof(char16_t);
        if (iErrno == EILSEQ) {
            // Skipping one byte lets an ASCII byte that followed a broken lead byte come out as itself.
            ++pcIn;
            --nInLeft;
        } else {
            // EINVAL: the text ends inside a character; that incomplete character is the one replacement.
            break;
        }
    }
    iconv(tDescriptor, nullptr, nullptr, &pcOut, &nOutLeft);
    return static_cast<size_t>(pcOut - reinterpret_cast<char*>(mpwBuf)) / sizeof(char16_t);
}

size_t KxwU16nHandlerGeneral::ConvertU16nToDcs(const char16_t* mpwU16nStr, size_t mnU16nLenInChars, char* mpsfBuf,
                                               size_t mnBufLen) {
    if (mnU16nLenInChars == 0 || mnBufLen == 0) return 0;
    if (!mpwU16nStr || !mpsfBuf) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpwU16nStr=%p / mpsfBuf=%p in KxwU16nHandlerGeneral::ConvertU16nToDcs. this=%p",
            static_cast<const void*>(mpwU16nStr), static_cast<void*>(mpsfBuf), static_cast<void*>(this));
        return 0;
    }
    if (_ptCharset->_eKind == CharsetKind::kIconv) OpenDescriptors();
    switch (_ptCharset->_eKind) {
        case CharsetKind::kUtf8:
            return EncodeUtf8(mpwU16nStr, mnU16nLenInChars, mpsfBuf, mnBufLen);
        case CharsetKind::kAscii:
        case CharsetKind::kLatin1:
        case CharsetKind::kWindows1252:
            return EncodeSingleByte(_ptCharset->_eKind, mpwU16nStr, mnU16nLenInChars, mpsfBuf, mnBufLen);
        case CharsetKind::kIconv:
            break;
    }

    auto tDescriptor = static_cast<iconv_t>(_pvFromU16n);
    iconv(tDescriptor, nullptr, nullptr, nullptr, nullptr);
    char* pcIn = reinterpret_cast<char*>(const_cast<char16_t*>(mpwU16nStr));
    size_t nInLeft = mnU16nLenInChars * sizeof(char16_t);
    char* pcOut = mpsfBuf;
    size_t nOutLeft = mnBufLen;
    while (nInLeft > 0) {
        if (iconv(tDescriptor, &pcIn, &nInLeft, &pcOut, &nOutLeft) != static_cast<size_t>(-1)) break;
        int iErrno = errno;
        if (iErrno == E2BIG) break;
        // The character at pcIn cannot be written (or is a lone surrogate): skip it, a pair as a whole, and
        // write the substitute through the converter so that a stateful charset switches back to ASCII first.
        char16_t wChar;
        std::memcpy(&wChar, pcIn, sizeof wChar);
        size_t nSkip = sizeof(char16_t);
        if (IsHighSurrogate(wChar) && nInLeft >= 2 * sizeof(char16_t)) {
            char16_t wNext;
            std::memcpy(&wNext, pcIn + sizeof(char16_t), sizeof wNext);
            if (IsLowSurrogate(wNext)) nSkip = 2 * sizeof(char16_t);
        }
        if (nSkip > nInLeft) nSkip = nInLeft;
        pcIn += nSkip;
        nInLeft -= nSkip;
        if (wChar >= 0x80 && wChar <= 0x9F && IsUnassignedC1Byte(static_cast<unsigned char>(wChar))) {
            if (nOutLeft == 0) break;
            *pcOut++ = static_cast<char>(wChar);
            --nOutLeft;
            continue;
        }
        const char16_t wSubstitute = kSubstituteByte;
        char* pcSubstitute = reinterpret_cast<char*>(const_cast<char16_t*>(&wSubstitute));
        size_t nSubstituteLeft = sizeof wSubstitute;
        if (iconv(tDescriptor, &pcSubstitute, &nSubstituteLeft, &pcOut, &nOutLeft) == static_cast<size_t>(-1)) break;
        if (iErrno == EINVAL) break;
    }
    iconv(tDescriptor, nullptr, nullptr, &pcOut, &nOutLeft);
    return static_cast<size_t>(pcOut - mpsfBuf);
}

KxwU16nHandler* xfptKxwU16nHandlerGetDefault() {
    static KxwU16nHandlerGeneral tDefault(nullptr);
    return &tDefault;
}

KxwU16nHandler* xfptKxwU16nHandlerGetUtf8() {
    static KxwU16nHandlerGeneral tUtf8("utf-8");
    return &tUtf8;
}

std::string xfdsKxwU16nCutDcsAtCharBoundary(KxwU16nHandler* mptHandler, const char* mpsfDcsStr, size_t mnLen,
                                            size_t mnMaxBytes) {
    if (!mpsfDcsStr || mnLen == 0) return std::string();
    if (mnLen <= mnMaxBytes) return std::string(mpsfDcsStr, mnLen);
    KxwU16nHandler* ptHandler = mptHandler ? mptHandler : xfptKxwU16nHandlerGetDefault();
    if (std::strcmp(ptHandler->GetCharsetName(), "utf-8") == 0) {
        // A continuation byte at the cut belongs to the character before it, which goes whole.
        size_t nCut = mnMaxBytes;
        while (nCut > 0 && mnMaxBytes - nCut < 3 && (static_cast<unsigned char>(mpsfDcsStr[nCut]) & 0xC0) == 0x80)
            --nCut;
        return std::string(mpsfDcsStr, nCut);
    }
    if (ptHandler->GetMaxDcsLenInBytes(1) == 1) return std::string(mpsfDcsStr, mnMaxBytes);
    size_t nBound = ptHandler->GetMaxU16nLenInChars(mnLen);
    std::u16string dsU16n(nBound, u'\0');
    dsU16n.resize(ptHandler->ConvertDcsToU16n(mpsfDcsStr, mnLen, &dsU16n[0], nBound));
    std::string dsDcs;
    auto Encode = [&](size_t mnChars) {
        dsDcs.assign(ptHandler->GetMaxDcsLenInBytes(mnChars) + 1, '\0');
        dsDcs.resize(ptHandler->ConvertU16nToDcs(dsU16n.data(), mnChars, &dsDcs[0], dsDcs.size()));
        return dsDcs.size();
    };
    // Every character takes a byte at least: the answer lies within the first mnMaxBytes units.
    size_t nLow = 0, nHigh = dsU16n.size() < mnMaxBytes ? dsU16n.size() : mnMaxBytes;
    while (nLow < nHigh) {
        size_t nMid = nLow + (nHigh - nLow + 1) / 2;
        if (Encode(nMid) <= mnMaxBytes)
            nLow = nMid;
        else
            nHigh = nMid - 1;
    }
    // A surrogate pair stays whole.
    if (nLow > 0 && nLow < dsU16n.size() && dsU16n[nLow] >= 0xDC00 && dsU16n[nLow] <= 0xDFFF &&
        dsU16n[nLow - 1] >= 0xD800 && dsU16n[nLow - 1] <= 0xDBFF)
        --nLow;
    Encode(nLow);
    return dsDcs;
}
