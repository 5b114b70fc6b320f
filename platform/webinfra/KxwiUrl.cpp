#include "KxwiUrl.h"

#include <climits>
#include <cstring>
#include <new>

#include "KxwU16nHandler.h"
#include "KxwUtilReport.h"
#include "KxwUtilStrCompare.h"

namespace {

struct KxwiUrlSchemeName {
    const char* _pszName;
    size_t _nLen;  // without the ':'
    KXWI_URL_SCHEME_ENUM _eScheme;
};

constexpr KxwiUrlSchemeName katSchemeNames[] = {
    {"http", 4, KXWI_URL_SCHEME_HTTP},     {"https", 5, KXWI_URL_SCHEME_HTTPS},
    {"file", 4, KXWI_URL_SCHEME_FILE},     {"ftp", 3, KXWI_URL_SCHEME_FTP},
    {"mailto", 6, KXWI_URL_SCHEME_MAILTO}, {"javascript", 10, KXWI_URL_SCHEME_JAVASCRIPT},
    {"about", 5, KXWI_URL_SCHEME_ABOUT},   {"data", 4, KXWI_URL_SCHEME_DATA},
    {"res", 3, KXWI_URL_SCHEME_RES},       {"news", 4, KXWI_URL_SCHEME_NEWS},
    {"gopher", 6, KXWI_URL_SCHEME_GOPHER}, {"vbscript", 8, KXWI_URL_SCHEME_VBSCRIPT},
};

bool IsAsciiAlpha(char mc) {
    return (mc >= 'a' && mc <= 'z') || (mc >= 'A' && mc <= 'Z');
}
bool IsAsciiDigit(char mc) {
    return mc >= '0' && mc <= '9';
}
bool IsSchemeChar(char mc) {
    return IsAsciiAlpha(mc) || IsAsciiDigit(mc) || mc == '+' || mc == '-' || mc == '.';
}
bool IsByteBlank(char mc) {
    return mc == ' ' || (mc >= '\t' && mc <= '\r');
}

// A null text with a length is a caller's fault: report it and read the text as empty.
bool TextOK(const char* mpsfStr, size_t& mrnLen, const char* mpszFunction) {
    if (mpsfStr || mrnLen == 0) return true;
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "Invalid mpsfUrlStr=%p / mnUrlLen=%zu in %s",
                                          static_cast<const void*>(mpsfStr), mrnLen, mpszFunction);
    mrnLen = 0;
    return false;
}

size_t FindFirstOf(const char* mpsfStr, size_t mnBegin, size_t mnEnd, const char* mpszChars) {
    for (size_t i = mnBegin; i < mnEnd; ++i)
        if (std::strchr(mpszChars, mpsfStr[i]) && mpsfStr[i] != '\0') return i;
    return mnEnd;
}

// Splits the authority [mnBegin, mnEnd) into user info, host and port.
void ParseAuthority(const char* mpsfStr, size_t mnBegin, size_t mnEnd, KxwiUrlParts& mrtParts) {
    size_t nHostBegin = mnBegin;
    mrtParts._nUserInfoBegin = mrtParts._nUserInfoEnd = mnBegin;
    // The last '@' ends the user info: a password may carry an unescaped '@', a host never does.
    for (size_t i = mnEnd; i > mnBegin; --i) {
        if (mpsfStr[i - 1] == '@') {
            mrtParts._bHasUserInfo = true;
            mrtParts._nUserInfoEnd = i - 1;
            nHostBegin = i;
            break;
        }
    }
    size_t nHostEnd = mnEnd;
    size_t nSeparator = mnEnd;
    if (nHostBegin < mnEnd && mpsfStr[nHostBegin] == '[') {
        size_t nClose = FindFirstOf(mpsfStr, nHostBegin, mnEnd, "]");
        if (nClose == mnEnd) {
            mrtParts._bIsValid = false;
        } else {
            nHostEnd = nClose + 1;
            if (nHostEnd < mnEnd) {
                if (mpsfStr[nHostEnd] == ':')
                    nSeparator = nHostEnd;
                else
                    mrtParts._bIsValid = false;  // text between ']' and the end of the authority
            }
        }
    } else {
        nSeparator = FindFirstOf(mpsfStr, nHostBegin, mnEnd, ":");
        nHostEnd = nSeparator;
    }
    mrtParts._nHostBegin = nHostBegin;
    mrtParts._nHostEnd = nHostEnd;
    mrtParts._nPortBegin = mrtParts._nPortEnd = nHostEnd;
    if (nSeparator == mnEnd) return;
    mrtParts._bHasPortSeparator = true;
    mrtParts._nPortBegin = nSeparator + 1;
    mrtParts._nPortEnd = mnEnd;
    if (mrtParts._nPortBegin == mnEnd) return;  // "host:" uses the default port, as browsers read it
    long liPort = 0;
    for (size_t i = mrtParts._nPortBegin; i < mnEnd; ++i) {
        if (!IsAsciiDigit(mpsfStr[i]) || liPort > 65535) {
            mrtParts._bIsValid = false;
            return;
        }
        liPort = liPort * 10 + (mpsfStr[i] - '0');
    }
    if (liPort > 65535) {
        mrtParts._bIsValid = false;
        return;
    }
    mrtParts._iExplicitPort = static_cast<int>(liPort);
}

// The parts after the scheme, which ends at mnPos.
void ParseAfterScheme(const char* mpsfStr, size_t mnLen, size_t mnPos, bool mbHierarchical, KxwiUrlParts& mrtParts) {
    auto IsSlash = [mbHierarchical](char mc) { return mc == '/' || (mbHierarchical && mc == '\\'); };
    mrtParts._nUserInfoBegin = mrtParts._nUserInfoEnd = mnPos;
    mrtParts._nHostBegin = mrtParts._nHostEnd = mnPos;
    mrtParts._nPortBegin = mrtParts._nPortEnd = mnPos;
    if (mnLen - mnPos >= 2 && IsSlash(mpsfStr[mnPos]) && IsSlash(mpsfStr[mnPos + 1])) {
        mrtParts._bHasAuthority = true;
        size_t nBegin = mnPos + 2;
        size_t nEnd = FindFirstOf(mpsfStr, nBegin, mnLen, mbHierarchical ? "/\\?#" : "/?#");
        ParseAuthority(mpsfStr, nBegin, nEnd, mrtParts);
        mnPos = nEnd;
    }
    mrtParts._nPathBegin = mnPos;
    mrtParts._nPathEnd = FindFirstOf(mpsfStr, mnPos, mnLen, "?#");
    mrtParts._nQueryBegin = mrtParts._nQueryEnd = mrtParts._nPathEnd;
    if (mrtParts._nPathEnd < mnLen && mpsfStr[mrtParts._nPathEnd] == '?')
        mrtParts._nQueryEnd = FindFirstOf(mpsfStr, mrtParts._nPathEnd, mnLen, "#");
    mrtParts._nFragmentBegin = mrtParts._nQueryEnd;
    mrtParts._nFragmentEnd = mnLen;
}

}  // namespace

KXWI_URL_SCHEME_ENUM xfeKxwiUrlDetectUriScheme(const char* mpsfUrlStr, size_t mnUrlLen, int* mpiSchemeLen) {
    if (mpiSchemeLen) *mpiSchemeLen = 0;
    if (!TextOK(mpsfUrlStr, mnUrlLen, "xfeKxwiUrlDetectUriScheme")) return KXWI_URL_SCHEME_UNSPECIFIED;
    if (mnUrlLen == 0 || !IsAsciiAlpha(mpsfUrlStr[0])) return KXWI_URL_SCHEME_UNSPECIFIED;
    size_t nNameLen = 1;
    while (nNameLen < mnUrlLen && IsSchemeChar(mpsfUrlStr[nNameLen])) ++nNameLen;
    if (nNameLen >= mnUrlLen || mpsfUrlStr[nNameLen] != ':' || nNameLen >= INT_MAX) return KXWI_URL_SCHEME_UNSPECIFIED;
    if (xfbKxwiUrlIsWindowsDrivePath(mpsfUrlStr, mnUrlLen)) return KXWI_URL_SCHEME_UNSPECIFIED;
    if (mpiSchemeLen) *mpiSchemeLen = static_cast<int>(nNameLen + 1);
    for (const KxwiUrlSchemeName& rtName : katSchemeNames)
        if (xfbKxwUtilIsEqualIgnoreCase(mpsfUrlStr, nNameLen, rtName._pszName, rtName._nLen)) return rtName._eScheme;
    return KXWI_URL_SCHEME_OTHER;
}

bool xfbKxwiUrlIsWindowsDrivePath(const char* mpsfUrlStr, size_t mnUrlLen) {
    if (!mpsfUrlStr || mnUrlLen < 2 || !IsAsciiAlpha(mpsfUrlStr[0]) || mpsfUrlStr[1] != ':') return false;
    return mnUrlLen == 2 || mpsfUrlStr[2] == '\\' || mpsfUrlStr[2] == '/';
}

int xfiKxwiUrlGetDefaultPort(KXWI_URL_SCHEME_ENUM meScheme) {
    switch (meScheme) {
        case KXWI_URL_SCHEME_HTTP:
            return 80;
        case KXWI_URL_SCHEME_HTTPS:
            return 443;
        case KXWI_URL_SCHEME_FTP:
            return 21;
        default:
            return 0;
    }
}

bool xfbKxwiUrlIsHierarchicalScheme(KXWI_URL_SCHEME_ENUM meScheme) {
    return meScheme == KXWI_URL_SCHEME_HTTP || meScheme == KXWI_URL_SCHEME_HTTPS || meScheme == KXWI_URL_SCHEME_FTP ||
           meScheme == KXWI_URL_SCHEME_FILE;
}

void xfvKxwiUrlParse(const char* mpsfUrlStr, size_t mnUrlLen, KxwiUrlParts* mptParts) {
    if (!mptParts) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptParts is NULL in xfvKxwiUrlParse");
        return;
    }
    *mptParts = KxwiUrlParts();
    TextOK(mpsfUrlStr, mnUrlLen, "xfvKxwiUrlParse");
    int iSchemeLen = 0;
    mptParts->_eScheme = xfeKxwiUrlDetectUriScheme(mpsfUrlStr, mnUrlLen, &iSchemeLen);
    mptParts->_nSchemeLen = static_cast<size_t>(iSchemeLen);
    ParseAfterScheme(mpsfUrlStr, mnUrlLen, mptParts->_nSchemeLen, xfbKxwiUrlIsHierarchicalScheme(mptParts->_eScheme),
                     *mptParts);
}

void xfvKxwiUrlParseRelative(const char* mpsfUrlStr, size_t mnUrlLen, bool mbHierarchical, KxwiUrlParts* mptParts) {
    if (!mptParts) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptParts is NULL in xfvKxwiUrlParseRelative");
        return;
    }
    *mptParts = KxwiUrlParts();
    TextOK(mpsfUrlStr, mnUrlLen, "xfvKxwiUrlParseRelative");
    ParseAfterScheme(mpsfUrlStr, mnUrlLen, 0, mbHierarchical, *mptParts);
}

size_t xfnKxwiUrlLenWithoutPath(const char* mpsfUrlStr, size_t mnUrlLen) {
    if (!TextOK(mpsfUrlStr, mnUrlLen, "xfnKxwiUrlLenWithoutPath")) return 0;
    KxwiUrlParts tParts;
    xfvKxwiUrlParse(mpsfUrlStr, mnUrlLen, &tParts);
    return tParts._nPathBegin;
}

size_t xfnKxwiUrlLenWithoutQueryOrFragmentID(const char* mpsfUrlStr, size_t mnUrlLen) {
    if (!TextOK(mpsfUrlStr, mnUrlLen, "xfnKxwiUrlLenWithoutQueryOrFragmentID")) return 0;
    KxwiUrlParts tParts;
    xfvKxwiUrlParse(mpsfUrlStr, mnUrlLen, &tParts);
    return tParts._nPathEnd;
}

size_t xfnKxwiUrlLenWithoutFragmentID(const char* mpsfUrlStr, size_t mnUrlLen) {
    if (!TextOK(mpsfUrlStr, mnUrlLen, "xfnKxwiUrlLenWithoutFragmentID")) return 0;
    // Only the first '#' counts, wherever it stands: a fragment may itself hold '#' and '?'.
    const void* pvHash = mnUrlLen ? std::memchr(mpsfUrlStr, '#', mnUrlLen) : nullptr;
    return pvHash ? static_cast<size_t>(static_cast<const char*>(pvHash) - mpsfUrlStr) : mnUrlLen;
}

long xfliKxwiInfraCharsLenInBytes(const char* mpsfDcsStr, long mliDcsLenInBytes, KxwU16nHandler* mptU16nHandler) {
    if (mliDcsLenInBytes < 0 || (!mpsfDcsStr && mliDcsLenInBytes > 0)) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpsfDcsStr=%p / mliDcsLenInBytes=%ld in xfliKxwiInfraCharsLenInBytes",
            static_cast<const void*>(mpsfDcsStr), mliDcsLenInBytes);
        return 0;
    }
    if (mliDcsLenInBytes == 0) return 0;
    if (!mptU16nHandler) return mliDcsLenInBytes;
    // Converting is the one way to count that agrees with the handler on invalid and multi-byte sequences.
    auto nBytes = static_cast<size_t>(mliDcsLenInBytes);
    size_t nMaxChars = mptU16nHandler->GetMaxU16nLenInChars(nBytes);
    char16_t awStack[512];
    char16_t* pwBuf = awStack;
    if (nMaxChars > sizeof(awStack) / sizeof(awStack[0])) {
        pwBuf = new (std::nothrow) char16_t[nMaxChars];
        if (!pwBuf)
            KxwUtilOutOfMemoryAbort(static_cast<long>(nMaxChars * sizeof(char16_t)),
                                    "text converted to count its characters in xfliKxwiInfraCharsLenInBytes");
    }
    size_t nChars = mptU16nHandler->ConvertDcsToU16n(mpsfDcsStr, nBytes, pwBuf, nMaxChars);
    if (pwBuf != awStack) delete[] pwBuf;
    return static_cast<long>(nChars);
}

bool xfbKxwiInfraMatchConsideringLeadingAndTrailingSpaces(const char* mpsfStr1, size_t mnLen1, const char* mpsfStr2,
                                                          size_t mnLen2) {
    if ((!mpsfStr1 && mnLen1) || (!mpsfStr2 && mnLen2)) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid text %p/%zu or %p/%zu in xfbKxwiInfraMatchConsideringLeadingAndTrailingSpaces",
            static_cast<const void*>(mpsfStr1), mnLen1, static_cast<const void*>(mpsfStr2), mnLen2);
        return false;
    }
    size_t nBegin1 = 0;
    size_t nBegin2 = 0;
    while (nBegin1 < mnLen1 && IsByteBlank(mpsfStr1[nBegin1])) ++nBegin1;
    while (nBegin2 < mnLen2 && IsByteBlank(mpsfStr2[nBegin2])) ++nBegin2;
    while (mnLen1 > nBegin1 && IsByteBlank(mpsfStr1[mnLen1 - 1])) --mnLen1;
    while (mnLen2 > nBegin2 && IsByteBlank(mpsfStr2[mnLen2 - 1])) --mnLen2;
    size_t nLen = mnLen1 - nBegin1;
    return nLen == mnLen2 - nBegin2 && (nLen == 0 || std::memcmp(mpsfStr1 + nBegin1, mpsfStr2 + nBegin2, nLen) == 0);
}

bool xfbKxwiInfraMatchConsideringLeadingAndTrailingSpaces(const char16_t* mpwStr1, size_t mnLen1,
                                                          const char16_t* mpwStr2, size_t mnLen2) {
    return xfbKxwUtilU16nIsEqualConsideringLeadingAndTrailingSpaces(mpwStr1, mnLen1, mpwStr2, mnLen2, true, true);
}

// ---- KxwiUrlCrack ----

KxwiUrlCrack::KxwiUrlCrack(const char* mpsfUrlStr, size_t mnUrlLen) {
    Reset(mpsfUrlStr, mnUrlLen);
}

KxwiUrlCrack::~KxwiUrlCrack() {
    delete[] _psfHeapStr;
}

void KxwiUrlCrack::Reset(const char* mpsfUrlStr, size_t mnUrlLen) {
    if (!TextOK(mpsfUrlStr, mnUrlLen, "KxwiUrlCrack::Reset")) mpsfUrlStr = "";
    if (mnUrlLen > static_cast<size_t>(LONG_MAX) - 1) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mnUrlLen=%zu in KxwiUrlCrack::Reset for this=%p", mnUrlLen,
                                              static_cast<void*>(this));
        mnUrlLen = 0;
    }
    if (mnUrlLen < kInlineSize) {
        _psfUrlStr = _acInline;
    } else {
        if (mnUrlLen >= _nHeapCapacity) {
            // The old block goes only after the copy, in case the new text is a part of the old one.
            char* psfNew = new (std::nothrow) char[mnUrlLen + 1];
            if (!psfNew) KxwUtilOutOfMemoryAbort(static_cast<long>(mnUrlLen + 1), "KxwiUrlCrack struct");
            std::memcpy(psfNew, mpsfUrlStr, mnUrlLen);
            delete[] _psfHeapStr;
            _psfHeapStr = psfNew;
            _nHeapCapacity = mnUrlLen + 1;
            mpsfUrlStr = psfNew;
        }
        _psfUrlStr = _psfHeapStr;
    }
    // A crack may be reset with a part of its own text, which overlaps the copy: memmove keeps that safe.
    if (mnUrlLen && mpsfUrlStr != _psfUrlStr) std::memmove(_psfUrlStr, mpsfUrlStr, mnUrlLen);
    _psfUrlStr[mnUrlLen] = '\0';  // for callers that print a part with %s up to its length
    _nUrlLen = mnUrlLen;
    xfvKxwiUrlParse(_psfUrlStr, _nUrlLen, &_tParts);
}

size_t KxwiUrlCrack::GetUserNameLen() const {
    const char* psfColon =
        static_cast<const char*>(GetUserInfoLen() ? std::memchr(GetUserInfoStr(), ':', GetUserInfoLen()) : nullptr);
    return psfColon ? static_cast<size_t>(psfColon - GetUserInfoStr()) : GetUserInfoLen();
}

const char* KxwiUrlCrack::GetPasswordStr() const {
    size_t nNameLen = GetUserNameLen();
    return GetUserInfoStr() + (nNameLen < GetUserInfoLen() ? nNameLen + 1 : nNameLen);
}

size_t KxwiUrlCrack::GetPasswordLen() const {
    size_t nNameLen = GetUserNameLen();
    return nNameLen < GetUserInfoLen() ? GetUserInfoLen() - nNameLen - 1 : 0;
}

int KxwiUrlCrack::GetPort() const {
    return _tParts._iExplicitPort >= 0 ? _tParts._iExplicitPort : xfiKxwiUrlGetDefaultPort(_tParts._eScheme);
}

bool KxwiUrlCrack::IsPathImplied() const {
    return _tParts._bHasAuthority && _tParts._nPathBegin == _tParts._nPathEnd &&
           xfbKxwiUrlIsHierarchicalScheme(_tParts._eScheme);
}

const char* KxwiUrlCrack::GetPathStr() const {
    return IsPathImplied() ? "/" : PartStr(_tParts._nPathBegin);
}

size_t KxwiUrlCrack::GetPathLen() const {
    return IsPathImplied() ? 1 : _tParts._nPathEnd - _tParts._nPathBegin;
}
