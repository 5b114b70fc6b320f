#include "KxwiHtmlTokenizer.h"

#include <climits>
#include <cstdio>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "KxwU16nHandler.h"
#include "KxwUtilReport.h"
#include "KxwiHtmlEntities.h"
#include "maw_alloc.h"

// One input: the fed bytes (level 0) or one insertion. Offsets, never pointers, are kept across steps because the
// buffer moves when it grows.
struct KxwiHtmlTokenizer::Level {
    char* _psfBuf;
    size_t _nLen;
    size_t _nCap;
    size_t _nPos;             // the first byte not consumed
    size_t _nLineCountedTo;   // line breaks before this offset are in _liLine
    long _liLine;             // 1-based
    bool _bLastCountedWasCr;  // the byte before _nLineCountedTo was CR (a following LF is the same break)
    bool _bOpen;              // an insertion still collecting the writes of one script
};

// An attribute of the tag being built, as offsets into its level's buffer.
struct KxwiHtmlTokenizer::AttrBuild {
    size_t _nNameBegin, _nNameEnd;
    size_t _nValueBegin, _nValueEnd;
    bool _bHasValue;
    bool _bValueInArena;  // the value was decoded into the token arena at _nValueBegin
};

namespace {

constexpr size_t kNoPos = static_cast<size_t>(-1);

inline bool IsBlank(unsigned char mucChar) {
    return mucChar == ' ' || mucChar == '\t' || mucChar == '\n' || mucChar == '\r' || mucChar == '\f';
}
inline bool IsAlpha(unsigned char mucChar) {
    return static_cast<unsigned char>((mucChar | 0x20) - 'a') < 26;
}
inline bool IsDigit(unsigned char mucChar) {
    return static_cast<unsigned char>(mucChar - '0') < 10;
}
inline bool IsAlnum(unsigned char mucChar) {
    return IsAlpha(mucChar) || IsDigit(mucChar);
}
inline int HexValue(unsigned char mucChar) {
    if (IsDigit(mucChar)) return mucChar - '0';
    unsigned char ucLower = mucChar | 0x20;
    if (ucLower >= 'a' && ucLower <= 'f') return ucLower - 'a' + 10;
    return -1;
}
inline unsigned char AsciiLower(unsigned char mucChar) {
    return IsAlpha(mucChar) ? (mucChar | 0x20) : mucChar;
}
// A raw-text end tag's name ends at a blank, '/' or '>', as a tag name does.
inline bool EndsTagName(unsigned char mucChar) {
    return IsBlank(mucChar) || mucChar == '/' || mucChar == '>';
}

// Numeric references to 0x80..0x9F name the windows-1252 characters of those bytes, as the emulated browsers
// read them; the five bytes that code page leaves unassigned stay as they are.
const unsigned short kausWindows1252C1[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

#if defined(__SSE2__)
// Without a popcount instruction in the baseline, the library call would cost more than the counting.
inline int CountBits16(unsigned muBits) {
    muBits = muBits - ((muBits >> 1) & 0x5555u);
    muBits = (muBits & 0x3333u) + ((muBits >> 2) & 0x3333u);
    muBits = (muBits + (muBits >> 4)) & 0x0F0Fu;
    return static_cast<int>((muBits + (muBits >> 8)) & 0x1Fu);
}
#endif

// Line breaks in [mnFrom, mnTo): every CR, and every LF that does not follow a CR. Counted 16 bytes at a time,
// since it runs over every byte of the page.
long CountLineBreaks(const char* mpsfBuf, size_t mnFrom, size_t mnTo, bool mbPrevWasCr) {
    long liBreaks = 0;
    size_t nPos = mnFrom;
#if defined(__SSE2__)
    const __m128i tCr = _mm_set1_epi8('\r');
    const __m128i tLf = _mm_set1_epi8('\n');
    unsigned uCarry = mbPrevWasCr ? 1u : 0u;
    for (; nPos + 16 <= mnTo; nPos += 16) {
        __m128i tBytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mpsfBuf + nPos));
        auto uCr = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(tBytes, tCr)));
        auto uLf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(tBytes, tLf)));
        if (uCr | uLf) {
            unsigned uAfterCr = ((uCr << 1) | uCarry) & 0xFFFFu;
            liBreaks += CountBits16(uCr) + CountBits16(uLf & ~uAfterCr);
        }
        uCarry = (uCr >> 15) & 1u;
    }
    if (nPos > mnFrom) mbPrevWasCr = mpsfBuf[nPos - 1] == '\r';
#endif
    for (; nPos < mnTo; ++nPos) {
        char cChar = mpsfBuf[nPos];
        if (cChar == '\r' || (cChar == '\n' && !mbPrevWasCr)) ++liBreaks;
        mbPrevWasCr = cChar == '\r';
    }
    return liBreaks;
}

// The first '<' or '&' at or after mnPos, or mnEnd: the end of a run of plain text, the hot loop of a page.
size_t FindTextEnd(const char* mpsfBuf, size_t mnPos, size_t mnEnd) {
#if defined(__SSE2__)
    const __m128i tLt = _mm_set1_epi8('<');
    const __m128i tAmp = _mm_set1_epi8('&');
    for (; mnPos + 16 <= mnEnd; mnPos += 16) {
        __m128i tBytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mpsfBuf + mnPos));
        int iMask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(tBytes, tLt), _mm_cmpeq_epi8(tBytes, tAmp)));
        if (iMask) return mnPos + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(iMask)));
    }
#endif
    while (mnPos < mnEnd && mpsfBuf[mnPos] != '<' && mpsfBuf[mnPos] != '&') ++mnPos;
    return mnPos;
}

int ClampLine(long mliLine) {
    return mliLine > INT_MAX ? INT_MAX : static_cast<int>(mliLine);
}

void LevelAppend(KxwiHtmlTokenizer::Level& mrtLevel, const char* mpsfBytes, size_t mnLen) {
    if (mnLen == 0) return;
    if (mnLen > static_cast<size_t>(-1) / 2 - mrtLevel._nLen) KxwUtilOutOfMemoryAbort(-1, "HTML input buffer");
    if (mrtLevel._nLen + mnLen > mrtLevel._nCap) {
        size_t nNew = mrtLevel._nCap ? mrtLevel._nCap : 4096;
        while (nNew < mrtLevel._nLen + mnLen) nNew *= 2;
        void* pvGrown = maw_realloc(mrtLevel._psfBuf, nNew);
        if (!pvGrown) KxwUtilOutOfMemoryAbort(static_cast<long>(nNew), "HTML input buffer");
        mrtLevel._psfBuf = static_cast<char*>(pvGrown);
        mrtLevel._nCap = nNew;
    }
    std::memcpy(mrtLevel._psfBuf + mrtLevel._nLen, mpsfBytes, mnLen);
    mrtLevel._nLen += mnLen;
}

KxwiHtmlTokenizer::Level NewLevel(long mliLine, bool mbOpen) {
    KxwiHtmlTokenizer::Level tLevel{};
    tLevel._liLine = mliLine;
    tLevel._bOpen = mbOpen;
    return tLevel;
}

// The tag grammar, shared by the scan that looks for a tag's end while its bytes arrive and by the pass that
// builds the finished tag, so that both always agree on where a tag ends.
enum TagState {
    kTagName,
    kBeforeAttr,
    kAttrName,
    kAfterAttrName,
    kBeforeValue,
    kValueDq,
    kValueSq,
    kAfterQuotedValue,
    kValueUnquoted,
};

struct TagBuild {
    size_t _nNameEnd;
    bool _bSelfClosing;
    KxwiHtmlBuf<KxwiHtmlTokenizer::AttrBuild>* _ptAttrs;
};

// Runs the grammar over [mnPos, mnEnd) from *miState; returns the offset of the '>' that ends the tag, or kNoPos
// when the bytes end first (*miState then says where to go on). With a TagBuild the names and values are
// recorded.
template <bool kBuild>
size_t RunTagGrammar(const char* mpsfBuf, size_t mnPos, size_t mnEnd, int* miState, TagBuild* mptBuild) {
    int iState = *miState;
    bool bSlash = false;  // a '/' stood right before, outside any value ("<br/>")
    auto BeginAttr = [&](size_t mnAt) {
        if constexpr (kBuild) mptBuild->_ptAttrs->Push({mnAt, kNoPos, 0, 0, false, false});
    };
    auto EndAttrName = [&](size_t mnAt) {
        if constexpr (kBuild) (*mptBuild->_ptAttrs)[mptBuild->_ptAttrs->Size() - 1]._nNameEnd = mnAt;
    };
    auto BeginValue = [&](size_t mnAt) {
        if constexpr (kBuild) {
            auto& rtAttr = (*mptBuild->_ptAttrs)[mptBuild->_ptAttrs->Size() - 1];
            rtAttr._bHasValue = true;
            rtAttr._nValueBegin = rtAttr._nValueEnd = mnAt;
        }
    };
    auto EndValue = [&](size_t mnAt) {
        if constexpr (kBuild) (*mptBuild->_ptAttrs)[mptBuild->_ptAttrs->Size() - 1]._nValueEnd = mnAt;
    };
    auto EndName = [&](size_t mnAt) {
        if constexpr (kBuild) mptBuild->_nNameEnd = mnAt;
    };
    for (; mnPos < mnEnd; ++mnPos) {
        auto ucChar = static_cast<unsigned char>(mpsfBuf[mnPos]);
        switch (iState) {
            case kTagName:
                if (IsBlank(ucChar) || ucChar == '/') {
                    EndName(mnPos);
                    bSlash = ucChar == '/';
                    iState = kBeforeAttr;
                } else if (ucChar == '>') {
                    EndName(mnPos);
                    *miState = iState;
                    return mnPos;
                }
                break;
            case kBeforeAttr:
                if (IsBlank(ucChar)) {
                    bSlash = false;
                } else if (ucChar == '/') {
                    bSlash = true;
                } else if (ucChar == '>') {
                    if constexpr (kBuild) mptBuild->_bSelfClosing = bSlash;
                    *miState = iState;
                    return mnPos;
                } else {
                    // Anything else starts a name, even '=' or a quote, as the browsers take "<a =b>".
                    BeginAttr(mnPos);
                    bSlash = false;
                    iState = kAttrName;
                }
                break;
            case kAttrName:
                if (IsBlank(ucChar)) {
                    EndAttrName(mnPos);
                    iState = kAfterAttrName;
                } else if (ucChar == '/') {
                    EndAttrName(mnPos);
                    bSlash = true;
                    iState = kBeforeAttr;
                } else if (ucChar == '=') {
                    EndAttrName(mnPos);
                    iState = kBeforeValue;
                } else if (ucChar == '>') {
                    EndAttrName(mnPos);
                    *miState = iState;
                    return mnPos;
                }
                break;
            case kAfterAttrName:
                if (IsBlank(ucChar)) break;
                if (ucChar == '/') {
                    bSlash = true;
                    iState = kBeforeAttr;
                } else if (ucChar == '=') {
                    iState = kBeforeValue;
                } else if (ucChar == '>') {
                    *miState = iState;
                    return mnPos;
                } else {
                    BeginAttr(mnPos);
                    iState = kAttrName;
                }
                break;
            case kBeforeValue:
                if (IsBlank(ucChar)) break;
                if (ucChar == '"' || ucChar == '\'') {
                    BeginValue(mnPos + 1);
                    iState = ucChar == '"' ? kValueDq : kValueSq;
                } else if (ucChar == '>') {
                    BeginValue(mnPos);  // "a=>": an empty value
                    *miState = iState;
                    return mnPos;
                } else {
                    BeginValue(mnPos);
                    iState = kValueUnquoted;
                }
                break;
            case kValueDq:
            case kValueSq: {
                const void* pvQuote = std::memchr(mpsfBuf + mnPos, iState == kValueDq ? '"' : '\'', mnEnd - mnPos);
                if (!pvQuote) {
                    *miState = iState;
                    return kNoPos;
                }
                mnPos = static_cast<size_t>(static_cast<const char*>(pvQuote) - mpsfBuf);
                EndValue(mnPos);
                iState = kAfterQuotedValue;
                break;
            }
            case kAfterQuotedValue:
                if (IsBlank(ucChar)) {
                    bSlash = false;
                    iState = kBeforeAttr;
                } else if (ucChar == '/') {
                    bSlash = true;
                    iState = kBeforeAttr;
                } else if (ucChar == '>') {
                    *miState = iState;
                    return mnPos;
                } else {
                    BeginAttr(mnPos);  // a="x"b="y": two attributes
                    iState = kAttrName;
                }
                break;
            case kValueUnquoted:
                if (IsBlank(ucChar)) {
                    EndValue(mnPos);
                    iState = kBeforeAttr;
                } else if (ucChar == '>') {
                    EndValue(mnPos);
                    *miState = iState;
                    return mnPos;
                }
                break;
            default:
                break;
        }
    }
    *miState = iState;
    return kNoPos;
}

unsigned HashLowerName(const char* mpsfName, size_t mnLen) {
    unsigned uHash = 2166136261u;
    for (size_t i = 0; i < mnLen; ++i)
        uHash = (uHash ^ AsciiLower(static_cast<unsigned char>(mpsfName[i]))) * 16777619u;
    return uHash;
}

bool IsEqualLower(const char* mpsf1, const char* mpsf2, size_t mnLen) {
    for (size_t i = 0; i < mnLen; ++i)
        if (AsciiLower(static_cast<unsigned char>(mpsf1[i])) != AsciiLower(static_cast<unsigned char>(mpsf2[i])))
            return false;
    return true;
}

}  // namespace

KXWI_HTML_TEXT_MODE_ENUM xfeKxwiHtmlGetDefaultTextMode(const char* mpsfTagName, size_t mnLen, bool mbScriptingEnabled) {
    if (!mpsfTagName) {
        if (mnLen)
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "mpsfTagName is NULL for mnLen=%zu in xfeKxwiHtmlGetDefaultTextMode",
                                                  mnLen);
        return KXWI_HTML_TEXT_MODE_DATA;
    }
    struct Entry {
        const char* _pszName;
        size_t _nLen;
        KXWI_HTML_TEXT_MODE_ENUM _eMode;
    };
    static const Entry katTable[] = {
        {"script", 6, KXWI_HTML_TEXT_MODE_RAWTEXT},      {"style", 5, KXWI_HTML_TEXT_MODE_RAWTEXT},
        {"xmp", 3, KXWI_HTML_TEXT_MODE_RAWTEXT},         {"noscript", 8, KXWI_HTML_TEXT_MODE_RAWTEXT},
        {"textarea", 8, KXWI_HTML_TEXT_MODE_RCDATA},     {"title", 5, KXWI_HTML_TEXT_MODE_RCDATA},
        {"plaintext", 9, KXWI_HTML_TEXT_MODE_PLAINTEXT},
    };
    for (const Entry& rtEntry : katTable) {
        if (rtEntry._nLen != mnLen || !IsEqualLower(rtEntry._pszName, mpsfTagName, mnLen)) continue;
        if (rtEntry._nLen == 8 && rtEntry._pszName[0] == 'n' && !mbScriptingEnabled) return KXWI_HTML_TEXT_MODE_DATA;
        return rtEntry._eMode;
    }
    return KXWI_HTML_TEXT_MODE_DATA;
}

// ---------------------------------------------------------------------------------------------------------------
// Construction and the caller's operations

KxwiHtmlTokenizer::KxwiHtmlTokenizer(KxwiHtmlTokenSink* mptSink, KxwU16nHandler* mptU16nHandler)
    : _ptSink(mptSink),
      _ptU16nHandler(nullptr),
      _tLevels("HTML tokenizer inputs"),
      _tDeferredFeed("HTML bytes fed while tokenizing"),
      _tWriteLevels("HTML script write levels"),
      _tTextArena("HTML text"),
      _tTokenArena("HTML tag"),
      _tAttrBuild("HTML attributes"),
      _tAttrs("HTML attributes"),
      _tAttrHash("HTML attribute index") {
    if (!mptSink)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptSink is NULL in KxwiHtmlTokenizer::KxwiHtmlTokenizer: tokens are "
                                              "dropped. this=%p",
                                              static_cast<void*>(this));
    SetU16nHandler(mptU16nHandler);
    _tLevels.Push(NewLevel(1, false));
}

KxwiHtmlTokenizer::~KxwiHtmlTokenizer() {
    for (size_t i = 0; i < _tLevels.Size(); ++i) maw_free(_tLevels[i]._psfBuf);
}

void KxwiHtmlTokenizer::SetU16nHandler(KxwU16nHandler* mptU16nHandler) {
    _ptU16nHandler = mptU16nHandler ? mptU16nHandler : xfptKxwU16nHandlerGetDefault();
    const char* pszCharset = _ptU16nHandler->GetCharsetName();
    _bUtf8 = pszCharset && std::strcmp(pszCharset, "utf-8") == 0;
}

void KxwiHtmlTokenizer::Feed(const char* mpsfBytes, size_t mnLen) {
    if (!mpsfBytes && mnLen) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mpsfBytes is NULL for mnLen=%zu in KxwiHtmlTokenizer::Feed. this=%p",
                                              mnLen, static_cast<void*>(this));
        return;
    }
    if (_bEndOfInput) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "%zu bytes fed after the end of input are ignored in "
                                              "KxwiHtmlTokenizer::Feed. this=%p",
                                              mnLen, static_cast<void*>(this));
        return;
    }
    if (_bRunning) {
        // The current token points into the buffer, which must not move while the sink looks at it.
        _tDeferredFeed.Append(mpsfBytes, mnLen);
        return;
    }
    LevelAppend(_tLevels[0], mpsfBytes, mnLen);
    Run();
}

void KxwiHtmlTokenizer::EndOfInput() {
    if (_bEndOfInput) return;
    _bEndOfInput = true;
    Run();
}

void KxwiHtmlTokenizer::InsertInput(const char* mpsfBytes, size_t mnLen) {
    if (!mpsfBytes && mnLen) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mpsfBytes is NULL for mnLen=%zu in KxwiHtmlTokenizer::InsertInput. "
                                              "this=%p",
                                              mnLen, static_cast<void*>(this));
        return;
    }
    if (_bEnded) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "%zu bytes inserted after the end of input are ignored in "
                                              "KxwiHtmlTokenizer::InsertInput. this=%p",
                                              mnLen, static_cast<void*>(this));
        return;
    }
    if (mnLen == 0) return;
    size_t nTop = _tLevels.Size() - 1;
    if (!_tWriteLevels.IsEmpty()) {
        size_t nLevel = _tWriteLevels[_tWriteLevels.Size() - 1];
        if (nLevel <= nTop) {
            // Behind what the script's own written scripts wrote and left unread (they wait above it).
            LevelAppend(_tLevels[nLevel], mpsfBytes, mnLen);
            return;
        }
        long liLine = LineAt(nTop, _tLevels[nTop]._nPos);
        _tLevels.Push(NewLevel(liLine, false));
        _tWriteLevels[_tWriteLevels.Size() - 1] = nTop + 1;
        LevelAppend(_tLevels[nTop + 1], mpsfBytes, mnLen);
        return;
    }
    if (nTop > 0 && _tLevels[nTop]._bOpen) {
        LevelAppend(_tLevels[nTop], mpsfBytes, mnLen);
        return;
    }
    long liLine = LineAt(nTop, _tLevels[nTop]._nPos);
    _tLevels.Push(NewLevel(liLine, true));
    LevelAppend(_tLevels[nTop + 1], mpsfBytes, mnLen);
}

void KxwiHtmlTokenizer::BeginScriptWrites() {
    _tWriteLevels.Push(_tLevels.Size());
}

void KxwiHtmlTokenizer::EndScriptWrites() {
    if (_tWriteLevels.IsEmpty()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "KxwiHtmlTokenizer::EndScriptWrites without BeginScriptWrites; "
                                              "ignored. this=%p",
                                              static_cast<void*>(this));
        return;
    }
    _tWriteLevels.Shrink(_tWriteLevels.Size() - 1);
}

void KxwiHtmlTokenizer::ReopenInput() {
    if (!_bEnded) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "KxwiHtmlTokenizer::ReopenInput before the end of input; ignored. "
                                              "this=%p",
                                              static_cast<void*>(this));
        return;
    }
    _bEnded = _bEndOfInput = false;
    _eMode = KXWI_HTML_TEXT_MODE_DATA;
    ResetScan();
}

void KxwiHtmlTokenizer::Resume() {
    _bPaused = false;
    Run();
}

void KxwiHtmlTokenizer::SetRawTextMode(KXWI_HTML_TEXT_MODE_ENUM meMode, const char* mpsfTagName, size_t mnLen) {
    ResetScan();
    switch (meMode) {
        case KXWI_HTML_TEXT_MODE_DATA:
        case KXWI_HTML_TEXT_MODE_PLAINTEXT:
            _eMode = meMode;
            return;
        case KXWI_HTML_TEXT_MODE_RCDATA:
        case KXWI_HTML_TEXT_MODE_RAWTEXT:
            break;
        default:
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "Invalid meMode=%d in KxwiHtmlTokenizer::SetRawTextMode. this=%p",
                                                  static_cast<int>(meMode), static_cast<void*>(this));
            _eMode = KXWI_HTML_TEXT_MODE_DATA;
            return;
    }
    if (!mpsfTagName || mnLen == 0 || mnLen > kMaxRawTextTagLen) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mpsfTagName=%p / mnLen=%zu in "
                                              "KxwiHtmlTokenizer::SetRawTextMode(meMode=%d); the text stays markup. "
                                              "this=%p",
                                              static_cast<const void*>(mpsfTagName), mnLen, static_cast<int>(meMode),
                                              static_cast<void*>(this));
        _eMode = KXWI_HTML_TEXT_MODE_DATA;
        return;
    }
    for (size_t i = 0; i < mnLen; ++i) _acRawTextTag[i] = static_cast<char>(AsciiLower(mpsfTagName[i]));
    _nRawTextTagLen = mnLen;
    _eMode = meMode;
}

KXWI_HTML_TEXT_MODE_ENUM KxwiHtmlTokenizer::SetRawTextMode(const char* mpsfTagName, size_t mnLen,
                                                           bool mbScriptingEnabled) {
    KXWI_HTML_TEXT_MODE_ENUM eMode = xfeKxwiHtmlGetDefaultTextMode(mpsfTagName, mnLen, mbScriptingEnabled);
    SetRawTextMode(eMode, mpsfTagName, mnLen);
    return _eMode;
}

void KxwiHtmlTokenizer::Reset() {
    if (_bRunning) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "KxwiHtmlTokenizer::Reset called while tokens are handed over; "
                                              "ignored. this=%p",
                                              static_cast<void*>(this));
        return;
    }
    for (size_t i = 0; i < _tLevels.Size(); ++i) maw_free(_tLevels[i]._psfBuf);
    _tLevels.Clear();
    _tLevels.Push(NewLevel(1, false));
    _tDeferredFeed.Release();
    _tWriteLevels.Clear();
    _bEndOfInput = _bEnded = _bPaused = false;
    _eMode = KXWI_HTML_TEXT_MODE_DATA;
    _nRawTextTagLen = 0;
    _bTextPending = _bTextInArena = false;
    _tTextArena.Release();
    _tTokenArena.Release();
    ResetScan();
}

int KxwiHtmlTokenizer::GetLine() const {
    const Level& rtLevel = _tLevels[_tLevels.Size() - 1];
    long liLine = rtLevel._liLine;
    if (rtLevel._nPos > rtLevel._nLineCountedTo)
        liLine += CountLineBreaks(rtLevel._psfBuf, rtLevel._nLineCountedTo, rtLevel._nPos, rtLevel._bLastCountedWasCr);
    return ClampLine(liLine);
}

// ---------------------------------------------------------------------------------------------------------------
// The loop

void KxwiHtmlTokenizer::Run() {
    if (_bRunning) return;
    _bRunning = true;
    while (!_bPaused && !_bEnded) {
        // A running script's writes are read up to their end and no further; before it has written, nothing is.
        size_t nWriteLevel = _tWriteLevels.IsEmpty() ? 0 : _tWriteLevels[_tWriteLevels.Size() - 1];
        if (_tLevels.Size() - 1 < nWriteLevel) break;
        StepResult eResult = Step();
        if (eResult == kProgress) continue;
        if (eResult == kNeedMore) {
            if (nWriteLevel && _tLevels.Size() - 1 == nWriteLevel) {
                FlushText();  // the script may look at what it wrote
                break;
            }
            if (_tLevels.Size() > 1) {
                PopLevel();
                continue;
            }
            break;
        }
        if (FlushText()) continue;  // the last text first; END_OF_INPUT on the next round, unless paused
        _bEnded = true;
        KxwiHtmlToken tToken{};
        tToken._eType = KXWI_HTML_TOKEN_TYPE_END_OF_INPUT;
        tToken._iLine = ClampLine(LineAt(0, _tLevels[0]._nLen));
        Emit(tToken);
    }
    _bRunning = false;
    CompactBase();
}

KxwiHtmlTokenizer::StepResult KxwiHtmlTokenizer::Step() {
    TakeDeferredFeed();
    size_t nLevel = _tLevels.Size() - 1;
    Level& rtLevel = _tLevels[nLevel];
    rtLevel._bOpen = false;
    if (rtLevel._nPos >= rtLevel._nLen) {
        if (nLevel > 0) return kNeedMore;
        return _bEndOfInput ? kEnd : kNeedMore;
    }
    switch (_eMode) {
        case KXWI_HTML_TEXT_MODE_DATA:
            return StepData(nLevel);
        case KXWI_HTML_TEXT_MODE_PLAINTEXT:
            AppendText(nLevel, rtLevel._nPos, rtLevel._nLen);
            rtLevel._nPos = rtLevel._nLen;
            return kProgress;
        default:
            return StepRawText(nLevel);
    }
}

KxwiHtmlTokenizer::StepResult KxwiHtmlTokenizer::StepData(size_t mnLevel) {
    Level& rtLevel = _tLevels[mnLevel];
    const char* psfBuf = rtLevel._psfBuf;
    size_t nPos = rtLevel._nPos, nEnd = rtLevel._nLen;
    char cChar = psfBuf[nPos];
    if (cChar == '<') return StepMarkup(mnLevel);
    if (cChar == '&') {
        size_t nConsumed = 0;
        unsigned uCodePoint = 0;
        RefResult eRef = DecodeRef(psfBuf, nPos, nEnd, IsAtEof(mnLevel), false, &nConsumed, &uCodePoint);
        if (eRef == kRefNeedMore) return kNeedMore;
        if (eRef == kRefNone) {
            AppendText(mnLevel, nPos, nPos + 1);
            rtLevel._nPos = nPos + 1;
        } else {
            AppendDecodedText(mnLevel, nPos, uCodePoint);
            rtLevel._nPos = nPos + nConsumed;
        }
        return kProgress;
    }
    size_t nRun = FindTextEnd(psfBuf, nPos + 1, nEnd);
    AppendText(mnLevel, nPos, nRun);
    rtLevel._nPos = nRun;
    return kProgress;
}

KxwiHtmlTokenizer::StepResult KxwiHtmlTokenizer::StepMarkup(size_t mnLevel) {
    // The text before markup goes first, as soon as it is certain that this '<' ends it: a tag either becomes a
    // token or, cut off by the end of input, ends the input. Only "</>" and a '<' that starts nothing leave the
    // text running.
    if (_bTextPending) {
        const Level& rtLevel = _tLevels[mnLevel];
        size_t nAvail = rtLevel._nLen - rtLevel._nPos;
        const char* psfAt = rtLevel._psfBuf + rtLevel._nPos;
        if (nAvail >= 2) {
            auto ucNext = static_cast<unsigned char>(psfAt[1]);
            bool bEndsText =
                IsAlpha(ucNext) || ucNext == '!' || ucNext == '?' || (ucNext == '/' && nAvail >= 3 && psfAt[2] != '>');
            if (bEndsText) {
                FlushText();
                return kProgress;
            }
        }
    }
    size_t nEnd = 0, nContentBegin = 0, nContentEnd = 0;
    MarkupKind eKind = ScanMarkup(mnLevel, &nEnd, &nContentBegin, &nContentEnd);
    Level& rtLevel = _tLevels[mnLevel];
    size_t nPos = rtLevel._nPos;
    switch (eKind) {
        case kMarkupNeedMore:
            return kNeedMore;
        case kMarkupText:
            ResetScan();
            AppendText(mnLevel, nPos, nPos + 1);
            rtLevel._nPos = nPos + 1;
            return kProgress;
        case kMarkupIgnored:  // "</>"
        case kMarkupDropped:  // a tag cut off by the end of input
            ResetScan();
            rtLevel._nPos = nEnd;
            return kProgress;
        default:
            break;
    }
    // The text before the markup goes first; the markup is taken on the next step (its scan is remembered), after
    // a pause or an insertion that the text's receiver may have asked for.
    if (FlushText()) return kProgress;
    ResetScan();
    rtLevel._nPos = nEnd;  // before the sink's call, so that a pause or an insertion applies after this token
    switch (eKind) {
        case kMarkupStartTag:
        case kMarkupEndTag:
            BuildAndEmitTag(mnLevel, nPos, nEnd, eKind == kMarkupEndTag);
            break;
        case kMarkupComment:
        case kMarkupBogus:
            EmitSimple(KXWI_HTML_TOKEN_TYPE_COMMENT, mnLevel, nPos, rtLevel._psfBuf + nContentBegin,
                       nContentEnd - nContentBegin, eKind == kMarkupBogus);
            break;
        case kMarkupDoctype:
            EmitSimple(KXWI_HTML_TOKEN_TYPE_DOCTYPE, mnLevel, nPos, rtLevel._psfBuf + nContentBegin,
                       nContentEnd - nContentBegin, false);
            break;
        default:
            break;
    }
    return kProgress;
}

KxwiHtmlTokenizer::StepResult KxwiHtmlTokenizer::StepRawText(size_t mnLevel) {
    Level& rtLevel = _tLevels[mnLevel];
    size_t nPos = rtLevel._nPos, nEnd = rtLevel._nLen;
    bool bEof = IsAtEof(mnLevel);
    size_t nFound = 0, nSafeEnd = 0;
    bool bFound = FindRawTextEnd(rtLevel._psfBuf, nPos, nEnd, bEof, &nFound, &nSafeEnd);
    size_t nLimit = bFound ? nFound : (bEof ? nEnd : nSafeEnd);
    size_t nStop = nLimit;
    if (_eMode == KXWI_HTML_TEXT_MODE_RCDATA)
        nStop = AppendTextWithRefs(mnLevel, nPos, nLimit, bEof);
    else
        AppendText(mnLevel, nPos, nLimit);
    _tLevels[mnLevel]._nPos = nStop;
    if (bFound && nStop == nFound) {
        // The end tag itself is markup again.
        _eMode = KXWI_HTML_TEXT_MODE_DATA;
        ResetScan();
        return kProgress;
    }
    return nStop == nPos ? kNeedMore : kProgress;
}

// ---------------------------------------------------------------------------------------------------------------
// Recognising markup

KxwiHtmlTokenizer::MarkupKind KxwiHtmlTokenizer::ScanMarkup(size_t mnLevel, size_t* mpnEnd, size_t* mpnContentBegin,
                                                            size_t* mpnContentEnd) {
    Level& rtLevel = _tLevels[mnLevel];
    const char* psfBuf = rtLevel._psfBuf;
    size_t nPos = rtLevel._nPos, nEnd = rtLevel._nLen, nAvail = nEnd - nPos;
    bool bEof = IsAtEof(mnLevel);
    if (!_bScanValid || _nScanLevel != mnLevel || _nScanStart != nPos) {
        _bScanValid = true;
        _nScanLevel = mnLevel;
        _nScanStart = nPos;
        _nScanResume = 0;
        _iScanState = kTagName;
    }
    if (nAvail < 2) return bEof ? kMarkupText : kMarkupNeedMore;
    auto ucNext = static_cast<unsigned char>(psfBuf[nPos + 1]);

    // Looks for a '>' from the content's beginning, or from where the last look ended.
    auto FindGt = [&](size_t mnContentBegin, MarkupKind meKind) {
        size_t nFrom = nPos + _nScanResume > mnContentBegin ? nPos + _nScanResume : mnContentBegin;
        const void* pvGt = nFrom < nEnd ? std::memchr(psfBuf + nFrom, '>', nEnd - nFrom) : nullptr;
        *mpnContentBegin = mnContentBegin;
        if (pvGt) {
            *mpnContentEnd = static_cast<size_t>(static_cast<const char*>(pvGt) - psfBuf);
            *mpnEnd = *mpnContentEnd + 1;
            return meKind;
        }
        if (!bEof) {
            _nScanResume = nEnd - nPos;
            return kMarkupNeedMore;
        }
        *mpnContentEnd = *mpnEnd = nEnd;  // unterminated: it runs to the end
        return meKind;
    };
    auto ScanTag = [&](size_t mnNameBegin, MarkupKind meKind) {
        // A tag that is there in full (the usual case) is parsed and built in one pass. One still arriving is
        // scanned on from where the last look ended and built once complete. The remembered offset and state
        // always describe the same partial scan, so a found end is not stored: the state at the '>' differs.
        int iState = _iScanState;
        size_t nGt;
        _bTagBuilt = false;
        if (_nScanResume == 0) {
            _tAttrBuild.Clear();
            TagBuild tBuild{kNoPos, false, &_tAttrBuild};
            nGt = RunTagGrammar<true>(psfBuf, mnNameBegin, nEnd, &iState, &tBuild);
            if (nGt != kNoPos) {
                _bTagBuilt = true;
                _nBuiltNameEnd = tBuild._nNameEnd;
                _bBuiltSelfClosing = tBuild._bSelfClosing;
            }
        } else {
            nGt = RunTagGrammar<false>(psfBuf, nPos + _nScanResume, nEnd, &iState, nullptr);
        }
        if (nGt != kNoPos) {
            *mpnEnd = nGt + 1;
            return meKind;
        }
        _iScanState = iState;
        _nScanResume = nEnd - nPos;
        if (!bEof) return kMarkupNeedMore;
        *mpnEnd = nEnd;  // a tag cut off by the end of input is dropped, as the browsers do
        return kMarkupDropped;
    };

    if (IsAlpha(ucNext)) return ScanTag(nPos + 1, kMarkupStartTag);
    if (ucNext == '/') {
        if (nAvail < 3) return bEof ? kMarkupText : kMarkupNeedMore;
        auto ucThird = static_cast<unsigned char>(psfBuf[nPos + 2]);
        if (IsAlpha(ucThird)) return ScanTag(nPos + 2, kMarkupEndTag);
        if (ucThird == '>') {
            *mpnEnd = nPos + 3;
            return kMarkupIgnored;
        }
        return FindGt(nPos + 2, kMarkupBogus);
    }
    if (ucNext == '?') return FindGt(nPos + 1, kMarkupBogus);
    if (ucNext != '!') return kMarkupText;

    if (nAvail < 3) return bEof ? FindGt(nPos + 2, kMarkupBogus) : kMarkupNeedMore;
    auto ucThird = static_cast<unsigned char>(psfBuf[nPos + 2]);
    if (ucThird == '-') {
        if (nAvail < 4) return bEof ? FindGt(nPos + 2, kMarkupBogus) : kMarkupNeedMore;
        if (psfBuf[nPos + 3] != '-') return FindGt(nPos + 2, kMarkupBogus);
        // A comment. "<!-->" and "<!--->" are empty comments; otherwise it ends at "-->" or "--!>".
        size_t nContent = nPos + 4;
        *mpnContentBegin = nContent;
        if (nAvail < 5 || (psfBuf[nContent] == '-' && nAvail < 6)) {
            if (!bEof) return kMarkupNeedMore;
            *mpnContentEnd = *mpnEnd = nEnd;
            return kMarkupComment;
        }
        if (psfBuf[nContent] == '>' || (psfBuf[nContent] == '-' && psfBuf[nContent + 1] == '>')) {
            *mpnContentEnd = nContent;
            *mpnEnd = nContent + (psfBuf[nContent] == '>' ? 1 : 2);
            return kMarkupComment;
        }
        size_t nFrom = nPos + _nScanResume > nContent ? nPos + _nScanResume : nContent;
        while (nFrom < nEnd) {
            const void* pvDash = std::memchr(psfBuf + nFrom, '-', nEnd - nFrom);
            if (!pvDash) {
                nFrom = nEnd;
                break;
            }
            size_t nDash = static_cast<size_t>(static_cast<const char*>(pvDash) - psfBuf);
            if (nDash + 2 >= nEnd || (psfBuf[nDash + 1] == '-' && psfBuf[nDash + 2] == '!' && nDash + 3 >= nEnd)) {
                nFrom = nDash;  // cannot tell yet
                break;
            }
            if (psfBuf[nDash + 1] == '-') {
                if (psfBuf[nDash + 2] == '>') {
                    *mpnContentEnd = nDash;
                    *mpnEnd = nDash + 3;
                    return kMarkupComment;
                }
                if (psfBuf[nDash + 2] == '!' && psfBuf[nDash + 3] == '>') {
                    *mpnContentEnd = nDash;
                    *mpnEnd = nDash + 4;
                    return kMarkupComment;
                }
            }
            nFrom = nDash + 1;
        }
        if (!bEof) {
            _nScanResume = nFrom - nPos;
            return kMarkupNeedMore;
        }
        *mpnContentEnd = *mpnEnd = nEnd;  // an unterminated comment runs to the end
        return kMarkupComment;
    }
    static const char kszDoctype[] = "doctype";
    size_t nCompare = nAvail - 2 < 7 ? nAvail - 2 : 7;
    for (size_t i = 0; i < nCompare; ++i)
        if (AsciiLower(static_cast<unsigned char>(psfBuf[nPos + 2 + i])) != kszDoctype[i])
            return FindGt(nPos + 2, kMarkupBogus);
    if (nCompare < 7) return bEof ? FindGt(nPos + 2, kMarkupBogus) : kMarkupNeedMore;
    MarkupKind eKind = FindGt(nPos + 9, kMarkupDoctype);
    if (eKind == kMarkupDoctype) {
        while (*mpnContentBegin < *mpnContentEnd && IsBlank(static_cast<unsigned char>(psfBuf[*mpnContentBegin])))
            ++*mpnContentBegin;
        while (*mpnContentEnd > *mpnContentBegin && IsBlank(static_cast<unsigned char>(psfBuf[*mpnContentEnd - 1])))
            --*mpnContentEnd;
    }
    return eKind;
}

bool KxwiHtmlTokenizer::FindRawTextEnd(const char* mpsfBuf, size_t mnStart, size_t mnEnd, bool mbEof, size_t* mpnFound,
                                       size_t* mpnSafeEnd) {
    size_t nNameLen = _nRawTextTagLen;
    size_t nFrom = mnStart;
    while (nFrom < mnEnd) {
        const void* pvLt = std::memchr(mpsfBuf + nFrom, '<', mnEnd - nFrom);
        if (!pvLt) break;
        size_t nLt = static_cast<size_t>(static_cast<const char*>(pvLt) - mpsfBuf);
        // "</" + name + one byte that ends the name.
        size_t nNeeded = 2 + nNameLen + 1;
        size_t nHave = mnEnd - nLt < nNeeded ? mnEnd - nLt : nNeeded;
        bool bMatches = true;
        for (size_t i = 1; i < nHave && bMatches; ++i) {
            auto ucChar = static_cast<unsigned char>(mpsfBuf[nLt + i]);
            if (i == 1)
                bMatches = ucChar == '/';
            else if (i < 2 + nNameLen)
                bMatches = AsciiLower(ucChar) == static_cast<unsigned char>(_acRawTextTag[i - 2]);
            else
                bMatches = EndsTagName(ucChar);
        }
        if (bMatches) {
            if (nHave == nNeeded) {
                *mpnFound = nLt;
                return true;
            }
            if (!mbEof) {
                *mpnSafeEnd = nLt;  // the end tag may be arriving
                return false;
            }
        }
        nFrom = nLt + 1;
    }
    *mpnSafeEnd = mnEnd;
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// Character references

KxwiHtmlTokenizer::RefResult KxwiHtmlTokenizer::DecodeRef(const char* mpsfBuf, size_t mnPos, size_t mnEnd, bool mbEof,
                                                          bool mbInAttr, size_t* mpnConsumed, unsigned* mpuCodePoint) {
    size_t nAt = mnPos + 1;
    if (nAt >= mnEnd) return mbEof ? kRefNone : kRefNeedMore;
    auto ucChar = static_cast<unsigned char>(mpsfBuf[nAt]);
    if (ucChar == '#') {
        ++nAt;
        if (nAt >= mnEnd) return mbEof ? kRefNone : kRefNeedMore;
        bool bHex = (mpsfBuf[nAt] | 0x20) == 'x';
        if (bHex && ++nAt >= mnEnd) return mbEof ? kRefNone : kRefNeedMore;
        size_t nDigits = nAt;
        unsigned long ulValue = 0;
        for (; nAt < mnEnd; ++nAt) {
            auto ucDigit = static_cast<unsigned char>(mpsfBuf[nAt]);
            int iDigit = bHex ? HexValue(ucDigit) : (IsDigit(ucDigit) ? ucDigit - '0' : -1);
            if (iDigit < 0) break;
            ulValue = ulValue * (bHex ? 16 : 10) + static_cast<unsigned>(iDigit);
            if (ulValue > 0x10FFFF) ulValue = 0x110000;  // stays out of range however many digits follow
        }
        if (nAt >= mnEnd && !mbEof) return kRefNeedMore;
        if (nAt == nDigits) return kRefNone;  // "&#" and "&#x" without digits stay as written
        if (nAt < mnEnd && mpsfBuf[nAt] == ';') ++nAt;
        unsigned uCodePoint = static_cast<unsigned>(ulValue);
        if (uCodePoint == 0 || uCodePoint > 0x10FFFF || (uCodePoint >= 0xD800 && uCodePoint <= 0xDFFF))
            uCodePoint = 0xFFFD;
        else if (uCodePoint >= 0x80 && uCodePoint <= 0x9F)
            uCodePoint = kausWindows1252C1[uCodePoint - 0x80];
        *mpuCodePoint = uCodePoint;
        *mpnConsumed = nAt - mnPos;
        return kRefDecoded;
    }
    if (!IsAlnum(ucChar)) return kRefNone;
    // The name's letters and digits, as many as the longest name and one more.
    const char* psfName = mpsfBuf + nAt;
    size_t nRun = 0;
    while (nAt + nRun < mnEnd && nRun <= KXWI_HTML_ENTITY_MAX_NAME_LEN &&
           IsAlnum(static_cast<unsigned char>(psfName[nRun])))
        ++nRun;
    bool bRunCut = nAt + nRun >= mnEnd && nRun <= KXWI_HTML_ENTITY_MAX_NAME_LEN;  // the name may go on
    if (bRunCut && !mbEof) return kRefNeedMore;
    if (!bRunCut && nRun <= KXWI_HTML_ENTITY_MAX_NAME_LEN && psfName[nRun] == ';') {
        unsigned uCodePoint = xfuKxwiHtmlLookupEntity(psfName, nRun);
        if (uCodePoint) {
            *mpuCodePoint = uCodePoint;
            *mpnConsumed = nRun + 2;
            return kRefDecoded;
        }
    }
    // Without ';' the longest known name at the start counts ("&copy2005", "&notit"), except in an attribute value
    // where a letter, digit or '=' follows: that is a URL's query ("?a=1&copy=2"), not a reference.
    unsigned uCodePoint = 0;
    size_t nMatch = xfnKxwiHtmlMatchEntityPrefix(psfName, nRun, &uCodePoint);
    if (nMatch == 0) return kRefNone;
    if (mbInAttr && nAt + nMatch < mnEnd) {
        auto ucAfter = static_cast<unsigned char>(psfName[nMatch]);
        if (ucAfter == '=' || IsAlnum(ucAfter)) return kRefNone;
    }
    *mpuCodePoint = uCodePoint;
    *mpnConsumed = nMatch + 1;
    return kRefDecoded;
}

void KxwiHtmlTokenizer::EncodeCodePoint(unsigned muCodePoint, KxwiHtmlBuf<char>& mrtOut) {
    if (muCodePoint < 0x80) {
        mrtOut.Push(static_cast<char>(muCodePoint));
        return;
    }
    if (_bUtf8) {
        char acUtf8[4];
        size_t nLen;
        if (muCodePoint < 0x800) {
            acUtf8[0] = static_cast<char>(0xC0 | (muCodePoint >> 6));
            nLen = 2;
        } else if (muCodePoint < 0x10000) {
            acUtf8[0] = static_cast<char>(0xE0 | (muCodePoint >> 12));
            nLen = 3;
        } else {
            acUtf8[0] = static_cast<char>(0xF0 | (muCodePoint >> 18));
            nLen = 4;
        }
        for (size_t i = 1; i < nLen; ++i)
            acUtf8[i] = static_cast<char>(0x80 | ((muCodePoint >> (6 * (nLen - 1 - i))) & 0x3F));
        mrtOut.Append(acUtf8, nLen);
        return;
    }
    // Another charset: the character's bytes when the charset has it (converting back gives it again), else its
    // decimal reference.
    char16_t awChar[2];
    size_t nUnits = 1;
    if (muCodePoint >= 0x10000) {
        awChar[0] = static_cast<char16_t>(0xD800 + ((muCodePoint - 0x10000) >> 10));
        awChar[1] = static_cast<char16_t>(0xDC00 + ((muCodePoint - 0x10000) & 0x3FF));
        nUnits = 2;
    } else {
        awChar[0] = static_cast<char16_t>(muCodePoint);
    }
    char acBytes[32];
    size_t nBytes = 0;
    if (_ptU16nHandler->GetMaxDcsLenInBytes(nUnits) <= sizeof(acBytes))
        nBytes = _ptU16nHandler->ConvertU16nToDcs(awChar, nUnits, acBytes, sizeof(acBytes));
    if (nBytes > 0) {
        char16_t awBack[4];
        if (_ptU16nHandler->GetMaxU16nLenInChars(nBytes) <= 4 &&
            _ptU16nHandler->ConvertDcsToU16n(acBytes, nBytes, awBack, 4) == nUnits &&
            std::memcmp(awBack, awChar, nUnits * sizeof(char16_t)) == 0) {
            mrtOut.Append(acBytes, nBytes);
            return;
        }
    }
    char acRef[16];
    int iLen = std::snprintf(acRef, sizeof(acRef), "&#%u;", muCodePoint);
    mrtOut.Append(acRef, static_cast<size_t>(iLen));
}

// ---------------------------------------------------------------------------------------------------------------
// Text

void KxwiHtmlTokenizer::AppendText(size_t mnLevel, size_t mnFrom, size_t mnTo) {
    if (mnFrom >= mnTo) return;
    if (!_bTextPending) {
        _bTextPending = true;
        _bTextInArena = false;
        _nTextLevel = mnLevel;
        _nTextBegin = mnFrom;
        _nTextEnd = mnTo;
        _iTextLine = ClampLine(LineAt(mnLevel, mnFrom));
        _iTextDepth = static_cast<int>(mnLevel);
        return;
    }
    if (!_bTextInArena && _nTextLevel == mnLevel && _nTextEnd == mnFrom) {
        _nTextEnd = mnTo;
        return;
    }
    MoveTextToArena();
    _tTextArena.Append(_tLevels[mnLevel]._psfBuf + mnFrom, mnTo - mnFrom);
}

void KxwiHtmlTokenizer::AppendDecodedText(size_t mnLevel, size_t mnAt, unsigned muCodePoint) {
    if (!_bTextPending) {
        _bTextPending = true;
        _bTextInArena = true;
        _tTextArena.Clear();
        _iTextLine = ClampLine(LineAt(mnLevel, mnAt));
        _iTextDepth = static_cast<int>(mnLevel);
    } else {
        MoveTextToArena();
    }
    EncodeCodePoint(muCodePoint, _tTextArena);
}

size_t KxwiHtmlTokenizer::AppendTextWithRefs(size_t mnLevel, size_t mnFrom, size_t mnTo, bool mbEof) {
    size_t nPos = mnFrom;
    while (nPos < mnTo) {
        const char* psfBuf = _tLevels[mnLevel]._psfBuf;
        const void* pvAmp = std::memchr(psfBuf + nPos, '&', mnTo - nPos);
        size_t nAmp = pvAmp ? static_cast<size_t>(static_cast<const char*>(pvAmp) - psfBuf) : mnTo;
        AppendText(mnLevel, nPos, nAmp);
        nPos = nAmp;
        if (nPos >= mnTo) break;
        size_t nConsumed = 0;
        unsigned uCodePoint = 0;
        // The reference may look past mnTo (up to the buffer's end): a name never takes in the '<' found there.
        RefResult eRef = DecodeRef(psfBuf, nPos, _tLevels[mnLevel]._nLen, mbEof, false, &nConsumed, &uCodePoint);
        if (eRef == kRefNeedMore) break;
        if (eRef == kRefNone) {
            AppendText(mnLevel, nPos, nPos + 1);
            ++nPos;
        } else {
            AppendDecodedText(mnLevel, nPos, uCodePoint);
            nPos += nConsumed;
        }
    }
    return nPos;
}

void KxwiHtmlTokenizer::MoveTextToArena() {
    if (!_bTextPending || _bTextInArena) return;
    _tTextArena.Clear();
    _tTextArena.Append(_tLevels[_nTextLevel]._psfBuf + _nTextBegin, _nTextEnd - _nTextBegin);
    _bTextInArena = true;
}

bool KxwiHtmlTokenizer::FlushText() {
    if (!_bTextPending) return false;
    KxwiHtmlToken tToken{};
    tToken._eType = KXWI_HTML_TOKEN_TYPE_TEXT;
    tToken._iLine = _iTextLine;
    tToken._iInsertionDepth = _iTextDepth;
    if (_bTextInArena) {
        tToken._psfText = _tTextArena.Data();
        tToken._nTextLen = _tTextArena.Size();
    } else {
        tToken._psfText = _tLevels[_nTextLevel]._psfBuf + _nTextBegin;
        tToken._nTextLen = _nTextEnd - _nTextBegin;
    }
    // The arena is cleared only when the next text starts, so the token stays valid through the call.
    _bTextPending = false;
    Emit(tToken);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Tokens

void KxwiHtmlTokenizer::BuildAndEmitTag(size_t mnLevel, size_t mnBegin, size_t mnEnd, bool mbEndTag) {
    const char* psfBuf = _tLevels[mnLevel]._psfBuf;
    size_t nNameBegin = mnBegin + (mbEndTag ? 2 : 1);
    _tTokenArena.Clear();
    if (!_bTagBuilt) {
        _tAttrBuild.Clear();
        TagBuild tBuild{kNoPos, false, &_tAttrBuild};
        int iState = kTagName;
        RunTagGrammar<true>(psfBuf, nNameBegin, mnEnd, &iState, &tBuild);
        _nBuiltNameEnd = tBuild._nNameEnd;
        _bBuiltSelfClosing = tBuild._bSelfClosing;
    }
    _bTagBuilt = false;
    size_t nNameLen = _nBuiltNameEnd - nNameBegin;

    // The upper-case name first, then the decoded values; pointers are taken once the arena stops growing.
    char* psfUpper = _tTokenArena.Grow(nNameLen);
    bool bAscii = true;
    for (size_t i = 0; i < nNameLen; ++i) {
        auto ucChar = static_cast<unsigned char>(psfBuf[nNameBegin + i]);
        if (ucChar >= 0x80) bAscii = false;
        psfUpper[i] = static_cast<char>(bAscii && ucChar >= 'a' && ucChar <= 'z' ? ucChar - ('a' - 'A') : ucChar);
    }

    size_t nKept = 0;
    if (!mbEndTag) {
        _tAttrHash.Clear();
        for (size_t i = 0; i < _tAttrBuild.Size(); ++i) {
            AttrBuild tAttr = _tAttrBuild[i];
            _tAttrBuild[nKept] = tAttr;
            if (IsDuplicateAttr(psfBuf, nKept)) continue;  // the first of a repeated name wins
            if (tAttr._bHasValue &&
                std::memchr(psfBuf + tAttr._nValueBegin, '&', tAttr._nValueEnd - tAttr._nValueBegin)) {
                size_t nArenaBegin = _tTokenArena.Size();
                size_t nPos = tAttr._nValueBegin;
                while (nPos < tAttr._nValueEnd) {
                    const void* pvAmp = std::memchr(psfBuf + nPos, '&', tAttr._nValueEnd - nPos);
                    size_t nAmp =
                        pvAmp ? static_cast<size_t>(static_cast<const char*>(pvAmp) - psfBuf) : tAttr._nValueEnd;
                    _tTokenArena.Append(psfBuf + nPos, nAmp - nPos);
                    nPos = nAmp;
                    if (nPos >= tAttr._nValueEnd) break;
                    size_t nConsumed = 0;
                    unsigned uCodePoint = 0;
                    if (DecodeRef(psfBuf, nPos, tAttr._nValueEnd, true, true, &nConsumed, &uCodePoint) == kRefDecoded) {
                        EncodeCodePoint(uCodePoint, _tTokenArena);
                        nPos += nConsumed;
                    } else {
                        _tTokenArena.Push('&');
                        ++nPos;
                    }
                }
                _tAttrBuild[nKept]._bValueInArena = true;
                _tAttrBuild[nKept]._nValueBegin = nArenaBegin;
                _tAttrBuild[nKept]._nValueEnd = _tTokenArena.Size();
            }
            ++nKept;
        }
    }
    _tAttrs.Clear();
    KxwiHtmlAttr* ptAttrs = _tAttrs.Grow(nKept);
    for (size_t i = 0; i < nKept; ++i) {
        const AttrBuild& rtBuild = _tAttrBuild[i];
        KxwiHtmlAttr& rtAttr = ptAttrs[i];
        rtAttr._psfName = psfBuf + rtBuild._nNameBegin;
        rtAttr._nNameLen = rtBuild._nNameEnd - rtBuild._nNameBegin;
        rtAttr._bHasValue = rtBuild._bHasValue;
        const char* psfValueBase = rtBuild._bValueInArena ? _tTokenArena.Data() : psfBuf;
        rtAttr._psfValue = rtBuild._bHasValue ? psfValueBase + rtBuild._nValueBegin : psfBuf + rtBuild._nNameEnd;
        rtAttr._nValueLen = rtBuild._bHasValue ? rtBuild._nValueEnd - rtBuild._nValueBegin : 0;
    }

    KxwiHtmlToken tToken{};
    tToken._eType = mbEndTag ? KXWI_HTML_TOKEN_TYPE_END_TAG : KXWI_HTML_TOKEN_TYPE_START_TAG;
    tToken._iLine = ClampLine(LineAt(mnLevel, mnBegin));
    tToken._iInsertionDepth = static_cast<int>(mnLevel);
    tToken._psfName = psfBuf + nNameBegin;
    tToken._psfUpperName = _tTokenArena.Data();
    tToken._nNameLen = nNameLen;
    tToken._ptAttrs = ptAttrs;
    tToken._nAttrCount = nKept;
    tToken._bSelfClosing = !mbEndTag && _bBuiltSelfClosing;
    Emit(tToken);
}

bool KxwiHtmlTokenizer::IsDuplicateAttr(const char* mpsfBuf, size_t mnCount) {
    // _tAttrBuild[mnCount] is the candidate, [0, mnCount) the names kept so far. A few are compared one by one;
    // from 16 on an index of the names keeps a tag with thousands of attributes linear.
    constexpr size_t kLinearLimit = 16;
    const AttrBuild& rtCandidate = _tAttrBuild[mnCount];
    const char* psfName = mpsfBuf + rtCandidate._nNameBegin;
    size_t nLen = rtCandidate._nNameEnd - rtCandidate._nNameBegin;
    auto IsSameName = [&](size_t mnIndex) {
        const AttrBuild& rtKept = _tAttrBuild[mnIndex];
        return rtKept._nNameEnd - rtKept._nNameBegin == nLen &&
               IsEqualLower(mpsfBuf + rtKept._nNameBegin, psfName, nLen);
    };
    if (mnCount < kLinearLimit && _tAttrHash.IsEmpty()) {
        for (size_t i = 0; i < mnCount; ++i)
            if (IsSameName(i)) return true;
        return false;
    }
    if (_tAttrHash.Size() < 2 * (mnCount + 1)) {
        size_t nSlots = 64;
        while (nSlots < 4 * (mnCount + 1)) nSlots *= 2;
        _tAttrHash.Clear();
        std::memset(_tAttrHash.Grow(nSlots), 0, nSlots * sizeof(unsigned));
        for (size_t i = 0; i < mnCount; ++i) {
            const AttrBuild& rtKept = _tAttrBuild[i];
            size_t nSlot =
                HashLowerName(mpsfBuf + rtKept._nNameBegin, rtKept._nNameEnd - rtKept._nNameBegin) & (nSlots - 1);
            while (_tAttrHash[nSlot]) nSlot = (nSlot + 1) & (nSlots - 1);
            _tAttrHash[nSlot] = static_cast<unsigned>(i + 1);
        }
    }
    size_t nMask = _tAttrHash.Size() - 1;
    size_t nSlot = HashLowerName(psfName, nLen) & nMask;
    for (; _tAttrHash[nSlot]; nSlot = (nSlot + 1) & nMask)
        if (IsSameName(_tAttrHash[nSlot] - 1)) return true;
    _tAttrHash[nSlot] = static_cast<unsigned>(mnCount + 1);
    return false;
}

void KxwiHtmlTokenizer::EmitSimple(KXWI_HTML_TOKEN_TYPE_ENUM meType, size_t mnLevel, size_t mnAt, const char* mpsfText,
                                   size_t mnLen, bool mbBogus) {
    KxwiHtmlToken tToken{};
    tToken._eType = meType;
    tToken._iLine = ClampLine(LineAt(mnLevel, mnAt));
    tToken._iInsertionDepth = static_cast<int>(mnLevel);
    tToken._psfText = mpsfText;
    tToken._nTextLen = mnLen;
    tToken._bBogus = mbBogus;
    Emit(tToken);
}

void KxwiHtmlTokenizer::Emit(KxwiHtmlToken& mrtToken) {
    static const char kszEmpty[] = "";
    if (!mrtToken._psfName) mrtToken._psfName = mrtToken._psfUpperName = kszEmpty;
    if (!mrtToken._psfText) mrtToken._psfText = kszEmpty;
    if (_ptSink) _ptSink->OnToken(*this, mrtToken);
}

// ---------------------------------------------------------------------------------------------------------------
// Levels and lines

int KxwiHtmlTokenizer::LineAt(size_t mnLevel, size_t mnPos) {
    Level& rtLevel = _tLevels[mnLevel];
    if (mnPos > rtLevel._nLineCountedTo) {
        rtLevel._liLine += CountLineBreaks(rtLevel._psfBuf, rtLevel._nLineCountedTo, mnPos, rtLevel._bLastCountedWasCr);
        rtLevel._bLastCountedWasCr = rtLevel._psfBuf[mnPos - 1] == '\r';
        rtLevel._nLineCountedTo = mnPos;
    }
    return ClampLine(rtLevel._liLine);
}

bool KxwiHtmlTokenizer::IsAtEof(size_t mnLevel) const {
    return mnLevel == 0 && _bEndOfInput && _tDeferredFeed.IsEmpty();
}

void KxwiHtmlTokenizer::TakeDeferredFeed() {
    if (_tDeferredFeed.IsEmpty()) return;
    LevelAppend(_tLevels[0], _tDeferredFeed.Data(), _tDeferredFeed.Size());
    _tDeferredFeed.Clear();
}

void KxwiHtmlTokenizer::PopLevel() {
    size_t nTop = _tLevels.Size() - 1;
    MoveTextToArena();  // the text may lie in a buffer that goes or changes now
    Level& rtTop = _tLevels[nTop];
    Level& rtBelow = _tLevels[nTop - 1];
    size_t nLeftover = rtTop._nLen - rtTop._nPos;
    if (nLeftover) {
        // An unfinished construct at the end of inserted text goes on in the input below it.
        LineAt(nTop - 1, rtBelow._nPos);
        size_t nRest = rtBelow._nLen - rtBelow._nPos;
        size_t nTotal = nLeftover + nRest;
        auto* psfJoined = static_cast<char*>(maw_malloc(nTotal));
        if (!psfJoined) KxwUtilOutOfMemoryAbort(static_cast<long>(nTotal), "HTML input buffer");
        std::memcpy(psfJoined, rtTop._psfBuf + rtTop._nPos, nLeftover);
        if (nRest) std::memcpy(psfJoined + nLeftover, rtBelow._psfBuf + rtBelow._nPos, nRest);
        maw_free(rtBelow._psfBuf);
        rtBelow._psfBuf = psfJoined;
        rtBelow._nLen = rtBelow._nCap = nTotal;
        rtBelow._nPos = 0;
        rtBelow._nLineCountedTo = nLeftover;  // the moved bytes' lines were the insertion's, not this input's
        if (_bScanValid && _nScanLevel == nTop && _nScanStart == rtTop._nPos) {
            _nScanLevel = nTop - 1;
            _nScanStart = 0;
        } else {
            ResetScan();
        }
    } else if (_bScanValid && _nScanLevel == nTop) {
        ResetScan();
    }
    maw_free(rtTop._psfBuf);
    _tLevels.Shrink(nTop);
}

void KxwiHtmlTokenizer::CompactBase() {
    Level& rtLevel = _tLevels[0];
    size_t nKeep = rtLevel._nPos;
    if (_bTextPending && !_bTextInArena && _nTextLevel == 0 && _nTextBegin < nKeep) nKeep = _nTextBegin;
    if (_bScanValid && _nScanLevel == 0 && _nScanStart < nKeep) nKeep = _nScanStart;
    // Moving the rest costs its length; doing it only when at least as much was consumed keeps the total linear.
    if (nKeep == 0 || nKeep < rtLevel._nLen - nKeep) return;
    if (rtLevel._nLineCountedTo < nKeep) LineAt(0, nKeep);
    std::memmove(rtLevel._psfBuf, rtLevel._psfBuf + nKeep, rtLevel._nLen - nKeep);
    rtLevel._nLen -= nKeep;
    rtLevel._nPos -= nKeep;
    rtLevel._nLineCountedTo -= nKeep;
    if (_bTextPending && !_bTextInArena && _nTextLevel == 0) {
        _nTextBegin -= nKeep;
        _nTextEnd -= nKeep;
    }
    if (_bScanValid && _nScanLevel == 0) _nScanStart -= nKeep;
}

void KxwiHtmlTokenizer::ResetScan() {
    _bScanValid = false;
    _bTagBuilt = false;
    _nScanResume = 0;
    _iScanState = kTagName;
}
