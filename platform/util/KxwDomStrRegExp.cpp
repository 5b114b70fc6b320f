#include "KxwDomStrRegExp.h"

#include <locale.h>
#include <regex.h>

#include <cstring>

#include "KxwU16nHandler.h"
#include "KxwUtilReport.h"
#include "KxwUtilStrCompare.h"
#include "maw_alloc.h"

namespace {

// The expressions work on characters, not bytes, so they are compiled and run under a UTF-8 character type. The
// locale is switched for the calling thread only (uselocale), never for the process.
locale_t Utf8Locale() {
    static const locale_t ktLocale = [] {
        locale_t tLocale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (!tLocale) tLocale = newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(nullptr));
        // Without a UTF-8 locale the expressions still work byte by byte, which is exact for ASCII.
        return tLocale;
    }();
    return ktLocale;
}

class Utf8LocaleScope {
public:
    Utf8LocaleScope() : _tLocale(Utf8Locale()) {
        if (_tLocale) _tPrevious = uselocale(_tLocale);
    }
    ~Utf8LocaleScope() {
        if (_tLocale) uselocale(_tPrevious);
    }
    Utf8LocaleScope(const Utf8LocaleScope&) = delete;
    Utf8LocaleScope& operator=(const Utf8LocaleScope&) = delete;

private:
    locale_t _tLocale;
    locale_t _tPrevious = nullptr;
};

bool IsPlainAscii(const char* mpsfStr, size_t mnLen) {
    for (size_t i = 0; i < mnLen; ++i) {
        auto ucByte = static_cast<unsigned char>(mpsfStr[i]);
        if (ucByte >= 0x80 || ucByte == 0x1B) return false;
    }
    return true;
}

// UTF-8 form of a text: the text itself when it already is UTF-8 (or plain ASCII), else a converted copy on the
// process heap that lives as long as this object.
class Utf8Text {
public:
    Utf8Text(const char16_t* mpwU16nStr, size_t mnLen) { FromU16n(mpwU16nStr, mnLen); }

    Utf8Text(const char* mpsfDcsStr, size_t mnLen, KxwU16nHandler* mptHandler) {
        if (mnLen == 0 || std::strcmp(mptHandler->GetCharsetName(), "utf-8") == 0 || IsPlainAscii(mpsfDcsStr, mnLen)) {
            _psfStr = mnLen ? mpsfDcsStr : "";
            _nLen = mnLen;
            return;
        }
        size_t nBound = mptHandler->GetMaxU16nLenInChars(mnLen);
        auto* pwU16n = static_cast<char16_t*>(Alloc(nBound * sizeof(char16_t)));
        size_t nU16nLen = mptHandler->ConvertDcsToU16n(mpsfDcsStr, mnLen, pwU16n, nBound);
        FromU16n(pwU16n, nU16nLen);
        maw_free(pwU16n);
    }

    ~Utf8Text() { maw_free(_psfOwned); }
    Utf8Text(const Utf8Text&) = delete;
    Utf8Text& operator=(const Utf8Text&) = delete;

    const char* Get() const { return _psfStr; }
    size_t GetLen() const { return _nLen; }

private:
    static void* Alloc(size_t mnSize) {
        void* pvBlock = maw_malloc(mnSize);
        if (!pvBlock) KxwUtilOutOfMemoryAbort(static_cast<long>(mnSize), "a UTF-8 text for a regular expression");
        return pvBlock;
    }

    void FromU16n(const char16_t* mpwU16nStr, size_t mnLen) {
        KxwU16nHandler* ptUtf8 = xfptKxwU16nHandlerGetUtf8();
        size_t nBound = ptUtf8->GetMaxDcsLenInBytes(mnLen);
        _psfOwned = static_cast<char*>(Alloc(nBound + 1));
        _nLen = ptUtf8->ConvertU16nToDcs(mpwU16nStr, mnLen, _psfOwned, nBound);
        _psfOwned[_nLen] = '\0';
        _psfStr = _psfOwned;
    }

    const char* _psfStr = "";
    size_t _nLen = 0;
    char* _psfOwned = nullptr;
};

}  // namespace

KxwDomStrRegExp::KxwDomStrRegExp(KxwDomStrEnvApi& mrtStrEnv) : KxwDomStr(mrtStrEnv) {
    SetFlag(kFlagDescription, true);
}

KxwDomStrRegExp::KxwDomStrRegExp(KxwDomStrEnvApi& mrtStrEnv, const char* mpsfDcsStr, unsigned muDcsLenInBytes,
                                 bool mbIsRegExp)
    : KxwDomStrRegExp(mrtStrEnv) {
    Set(mpsfDcsStr, muDcsLenInBytes, mbIsRegExp);
}

KxwDomStrRegExp::~KxwDomStrRegExp() {
    ClearCompiled();
}

void KxwDomStrRegExp::ClearCompiled() {
    for (int i = 0; i < 2; ++i) {
        if (_apvCompiled[i]) {
            regfree(static_cast<regex_t*>(_apvCompiled[i]));
            maw_free(_apvCompiled[i]);
        }
        _apvCompiled[i] = nullptr;
        _abBadPattern[i] = false;
    }
}

void KxwDomStrRegExp::Set(const char* mpsfDcsStr, unsigned muDcsLenInBytes, bool mbIsRegExp) {
    ClearCompiled();
    AssignDcs(mpsfDcsStr, muDcsLenInBytes);
    SetFlag(kFlagRegExp, mbIsRegExp);
    _bIsGiven = true;
}

void KxwDomStrRegExp::SetU16n(const char16_t* mpwU16nStr, unsigned muU16nLenInChars, bool mbIsRegExp) {
    ClearCompiled();
    AssignU16n(mpwU16nStr, muU16nLenInChars);
    SetFlag(kFlagRegExp, mbIsRegExp);
    _bIsGiven = true;
}

void KxwDomStrRegExp::Reset() {
    ClearCompiled();
    Empty();
    SetFlag(kFlagRegExp, false);
    _bIsGiven = false;
}

namespace {
// Patterns are short texts of steps; the subject is a page's text, matched in time linear in its length.
constexpr size_t knMaxPatternLen = 4096;
}  // namespace

const char* xfpszKxwDomStrRegExpRefusal(const char* mpsfPattern, size_t mnLen) {
    if (mnLen > knMaxPatternLen) return "longer than 4096 bytes";
    for (size_t n = 0; n + 1 < mnLen; ++n) {
        if (mpsfPattern[n] != '\\') continue;
        if (mpsfPattern[n + 1] >= '1' && mpsfPattern[n + 1] <= '9') return "back-references are not supported";
        ++n;  // an escaped character, whatever it is
    }
    return nullptr;
}

void* KxwDomStrRegExp::GetCompiled(bool mbIgnoreCase) const {
    int iMode = mbIgnoreCase ? 1 : 0;
    if (_apvCompiled[iMode] || _abBadPattern[iMode]) return _apvCompiled[iMode];

    // The pattern as UTF-8; the DCS text is used as it is when that is already UTF-8 or plain ASCII.
    Utf8Text tPattern = HasDcs() ? Utf8Text(GetDcsStr(), GetDcsLenInBytes(), GetU16nHandler())
                                 : Utf8Text(GetU16nStr(), GetU16nLenInChars());
    if (std::memchr(tPattern.Get(), '\0', tPattern.GetLen())) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid regular expression \"%.200s\" (it holds a NUL character) in "
                                              "KxwDomStrRegExp. It matches nothing. this=%p",
                                              tPattern.Get(), static_cast<const void*>(this));
        _abBadPattern[iMode] = true;
        return nullptr;
    }
    // Back-references are the one construct that makes the matcher backtrack (exponential time over a page's text);
    // extended expressions do not have them, so a step cannot ask for them by accident.
    if (const char* pszRefusal = xfpszKxwDomStrRegExpRefusal(tPattern.Get(), tPattern.GetLen())) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid regular expression \"%.200s\" (%s) in KxwDomStrRegExp. It "
                                              "matches nothing. this=%p",
                                              tPattern.Get(), pszRefusal, static_cast<const void*>(this));
        _abBadPattern[iMode] = true;
        return nullptr;
    }
    auto* ptRegEx = static_cast<regex_t*>(maw_malloc(sizeof(regex_t)));
    if (!ptRegEx) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(regex_t)), "a compiled regular expression");
    int iFlags = REG_EXTENDED | REG_NOSUB | (mbIgnoreCase ? REG_ICASE : 0);
    Utf8LocaleScope tScope;
    int iError = regcomp(ptRegEx, tPattern.Get(), iFlags);
    if (iError != 0) {
        char acMessage[200];
        regerror(iError, ptRegEx, acMessage, sizeof acMessage);
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid regular expression \"%.200s\" (%s) in KxwDomStrRegExp. It "
                                              "matches nothing. this=%p",
                                              tPattern.Get(), acMessage, static_cast<const void*>(this));
        maw_free(ptRegEx);
        _abBadPattern[iMode] = true;
        return nullptr;
    }
    _apvCompiled[iMode] = ptRegEx;
    return ptRegEx;
}

bool KxwDomStrRegExp::IsPatternValid() const {
    return !IsRegExp() || GetCompiled(false) != nullptr;
}

bool KxwDomStrRegExp::MatchUtf8(const char* mpsfUtf8Str, size_t mnLen, bool mbIgnoreCase) const {
    auto* ptRegEx = static_cast<regex_t*>(GetCompiled(mbIgnoreCase));
    if (!ptRegEx) return false;
    // REG_STARTEND bounds the subject by length, so text with embedded NULs is matched whole.
    // A subject beyond the limit is matched in its first part: a step's text is never that long, a page's can be.
    constexpr size_t knMaxSubjectLen = 1u << 20;
    if (mnLen > knMaxSubjectLen) {
        mnLen = knMaxSubjectLen;
        // Never inside a UTF-8 character.
        while (mnLen > 0 && (static_cast<unsigned char>(mpsfUtf8Str[mnLen]) & 0xC0) == 0x80) --mnLen;
    }
    regmatch_t tRange;
    tRange.rm_so = 0;
    tRange.rm_eo = static_cast<regoff_t>(mnLen);
    Utf8LocaleScope tScope;
    return regexec(ptRegEx, mnLen ? mpsfUtf8Str : "", 1, &tRange, REG_STARTEND) == 0;
}

bool KxwDomStrRegExp::IsEqualDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes, bool mbIgnoreCase) const {
    if (!_bIsGiven) return true;
    if (!IsRegExp()) return IsEqualDcsPlain(mpsfDcsStr, muDcsLenInBytes, mbIgnoreCase);
    if (!mpsfDcsStr && muDcsLenInBytes) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "mpsfDcsStr is NULL for muDcsLenInBytes=%u in KxwDomStrRegExp::IsEqualDcs. this=%p", muDcsLenInBytes,
            static_cast<const void*>(this));
        return false;
    }
    Utf8Text tSubject(mpsfDcsStr, muDcsLenInBytes, GetU16nHandler());
    return MatchUtf8(tSubject.Get(), tSubject.GetLen(), mbIgnoreCase);
}

bool KxwDomStrRegExp::IsEqualU16n(const char16_t* mpwU16nStr, unsigned muU16nLenInChars, bool mbIgnoreCase) const {
    if (!_bIsGiven) return true;
    if (!mpwU16nStr && muU16nLenInChars) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "mpwU16nStr is NULL for muU16nLenInChars=%u in KxwDomStrRegExp::IsEqualU16n. this=%p", muU16nLenInChars,
            static_cast<const void*>(this));
        return false;
    }
    if (!IsRegExp()) {
        if (!mbIgnoreCase) return KxwDomStr::IsEqualU16n(mpwU16nStr, muU16nLenInChars);
        return GetU16nLenInChars() == muU16nLenInChars &&
               xfbKxwU16IsEqualIgnoringCaseByLen(GetU16nStr(), mpwU16nStr, muU16nLenInChars);
    }
    Utf8Text tSubject(mpwU16nStr, muU16nLenInChars);
    return MatchUtf8(tSubject.Get(), tSubject.GetLen(), mbIgnoreCase);
}

bool KxwDomStrRegExp::Matches(const KxwDomStr& mrtValue, bool mbIgnoreCase) const {
    if (!_bIsGiven) return true;
    if (!IsRegExp()) return mbIgnoreCase ? IsEqualIgnoringCase(mrtValue) : *this == mrtValue;
    if (mrtValue.HasDcs()) {
        Utf8Text tSubject(mrtValue.GetDcsStr(), mrtValue.GetDcsLenInBytes(), mrtValue.GetU16nHandler());
        return MatchUtf8(tSubject.Get(), tSubject.GetLen(), mbIgnoreCase);
    }
    Utf8Text tSubject(mrtValue.GetU16nStr(), mrtValue.GetU16nLenInChars());
    return MatchUtf8(tSubject.Get(), tSubject.GetLen(), mbIgnoreCase);
}
