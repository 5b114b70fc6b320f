#include "KxwDomHtmlPropertyUrl.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

#include "KxwDomBaseUrlSource.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwUtilEscape.h"
#include "KxwUtilReport.h"
#include "KxwiUrl.h"
#include "kxw/KxwDomUtil.h"
#include "maw_alloc.h"

namespace {

// Most URLs combine in a buffer of this size; longer ones are combined again in a buffer of the size needed.
constexpr size_t kCombineBufSize = 512;
// Unescaping of longer URLs goes to the heap.
constexpr unsigned kUnescapeStackSize = 4096;

void ConcatDcs(KxwDomHtmlTextsStr& mrtText, const char* mpsfDcsStr, size_t mnLen) {
    if (mnLen > static_cast<size_t>(INT_MAX)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "URL part of %zu bytes is too long in KxwDomHtmlPropertyUrl", mnLen);
        return;
    }
    mrtText.Concat(mpsfDcsStr, static_cast<int>(mnLen));
}

void ConcatPart(KxwDomHtmlTextsStr& mrtText, const KxwDomHtmlPropertyStr& mrtPart) {
    ConcatDcs(mrtText, mrtPart.GetDcsStr(), mrtPart.GetDcsLenInBytes());
}

// A NUL-terminated head of a text for a report that prints at most 100 bytes of it.
struct ReportHead {
    ReportHead(const char* mpsfStr, size_t mnLen) {
        if (!mpsfStr) {
            std::memcpy(_acText, "NULL", 5);
            return;
        }
        size_t nLen = mnLen < 100 ? mnLen : 100;
        std::memcpy(_acText, mpsfStr, nLen);
        _acText[nLen] = '\0';
    }
    char _acText[101];
};

}  // namespace

KxwDomHtmlPropertyUrl::KxwDomHtmlPropertyUrl(KxwDomStrEnvApi& mrtStrEnv, KxwDomBaseUrlSource* mptBaseUrlSource)
    : KxwDomHtmlPropertyStr(mrtStrEnv),
      _tAbsoluteUrl(mrtStrEnv),
      _tProtocol(mrtStrEnv),
      _ptBaseUrlSource(mptBaseUrlSource),
      _tHostName(mrtStrEnv),
      _tPathName(mrtStrEnv),
      _tHost(mrtStrEnv),
      _tPort(mrtStrEnv),
      _tSearch(mrtStrEnv) {}

KxwDomHtmlPropertyUrl::~KxwDomHtmlPropertyUrl() {
    delete _ptUrlCrack;
}

void KxwDomHtmlPropertyUrl::SetBaseUrlSource(KxwDomBaseUrlSource* mptBaseUrlSource) {
    _ptBaseUrlSource = mptBaseUrlSource;
    ClearCaches();
}

void KxwDomHtmlPropertyUrl::ClearCaches() {
    // Parts are removed rather than unmarked, so that no stale text can be read from a part that is absent.
    _tAbsoluteUrl.RemoveValue();
    _tProtocol.RemoveValue();
    _tHostName.RemoveValue();
    _tPathName.RemoveValue();
    _tHost.RemoveValue();
    _tPort.RemoveValue();
    _tSearch.RemoveValue();
    _bCrackCurrent = false;
}

KxwDomHtmlPropertyUrl& KxwDomHtmlPropertyUrl::operator=(KxwDomPropertyInfo& mrtPropertyInfo) {
    ClearCaches();
    KxwDomHtmlPropertyStr::operator=(mrtPropertyInfo);
    return *this;
}

// ---------------------------------------------------------------------------------------------------------------
// Reading

const KxwDomHtmlPropertyStr& KxwDomHtmlPropertyUrl::GetAbsoluteUrl() const {
    if (_tAbsoluteUrl.IsSpecified() || !IsSpecified()) return _tAbsoluteUrl;
    const char* psfUrl = GetDcsStr();
    unsigned uUrlLen = GetDcsLenInBytes();
    if (xfeKxwiUrlDetectUriScheme(psfUrl, uUrlLen) != KXWI_URL_SCHEME_UNSPECIFIED) return *this;

    const char* psfBase = nullptr;
    unsigned uBaseLen = 0;
    if (!_ptBaseUrlSource || !_ptBaseUrlSource->GetBaseUrlDcs(&psfBase, &uBaseLen)) psfBase = nullptr;
    if (psfBase) {
        char acCombined[kCombineBufSize];
        size_t nResultLen = 0;
        if (KxwiUrlCombine::Combine(psfBase, uBaseLen, psfUrl, uUrlLen, acCombined, sizeof acCombined, &nResultLen)) {
            _tAbsoluteUrl.SetDcs(acCombined, static_cast<unsigned>(nResultLen));
            return _tAbsoluteUrl;
        }
        // The combiner tells the length it needed: a long URL is combined again, never cut.
        if (nResultLen >= sizeof acCombined && nResultLen < UINT_MAX) {
            size_t nBufSize = nResultLen + 1;
            auto* psfBuf = static_cast<char*>(maw_malloc(nBufSize));
            if (!psfBuf) KxwUtilOutOfMemoryAbort(static_cast<long>(nBufSize), "a combined URL");
            bool bOK = KxwiUrlCombine::Combine(psfBase, uBaseLen, psfUrl, uUrlLen, psfBuf, nBufSize, &nResultLen);
            if (bOK) _tAbsoluteUrl.SetDcs(psfBuf, static_cast<unsigned>(nResultLen));
            maw_free(psfBuf);
            if (bOK) return _tAbsoluteUrl;
        }
    }
    ReportHead tUrl(psfUrl, uUrlLen);
    ReportHead tBase(psfBase, uBaseLen);
    xfvKxwUtilReportInternalErrorBySevLvl(
        xfeKxwUtilJavaScriptErrorSevLvl(),
        "Failed to combine URL (%.100s) with BASE (%.100s) in KxwDomHtmlPropertyUrl::GetAbsoluteUrl", tUrl._acText,
        tBase._acText);
    _tAbsoluteUrl.SetSpecified(false);
    return _tAbsoluteUrl;
}

const KxwiUrlCrack& KxwDomHtmlPropertyUrl::Crack() const {
    if (!_ptUrlCrack) {
        _ptUrlCrack = new (std::nothrow) KxwiUrlCrack;
        if (!_ptUrlCrack) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwiUrlCrack)), "KxwiUrlCrack struct");
        _bCrackCurrent = false;
    }
    if (!_bCrackCurrent) {
        const KxwDomHtmlPropertyStr& rtAbsoluteUrl = GetAbsoluteUrl();
        _ptUrlCrack->Reset(rtAbsoluteUrl.GetDcsStr(), rtAbsoluteUrl.GetDcsLenInBytes());
        _bCrackCurrent = true;
    }
    return *_ptUrlCrack;
}

const KxwDomHtmlPropertyStr& KxwDomHtmlPropertyUrl::GetProtocol() const {
    if (_tProtocol.IsSpecified() || !IsSpecified()) return _tProtocol;
    const KxwDomHtmlPropertyStr& rtAbsoluteUrl = GetAbsoluteUrl();
    int iSchemeLen = 0;
    if (xfeKxwiUrlDetectUriScheme(rtAbsoluteUrl.GetDcsStr(), rtAbsoluteUrl.GetDcsLenInBytes(), &iSchemeLen) ==
        KXWI_URL_SCHEME_UNSPECIFIED) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "xfeKxwiUrlDetectUriScheme() returned KXWI_URL_SCHEME_UNSPECIFIED in "
                                              "KxwDomHtmlPropertyUrl::GetProtocol.");
        return _tProtocol;
    }
    _tProtocol.SetDcs(rtAbsoluteUrl.GetDcsStr(), static_cast<unsigned>(iSchemeLen));
    return _tProtocol;
}

const KxwDomHtmlPropertyStr& KxwDomHtmlPropertyUrl::GetHostName() const {
    if (_tHostName.IsSpecified() || !IsSpecified()) return _tHostName;
    const KxwiUrlCrack& rtCrack = Crack();
    if (rtCrack.GetHostNameLen() > 0)
        _tHostName.SetDcs(rtCrack.GetHostNameStr(), static_cast<unsigned>(rtCrack.GetHostNameLen()));
    return _tHostName;
}

const KxwDomHtmlPropertyStr& KxwDomHtmlPropertyUrl::GetPort() const {
    if (_tPort.IsSpecified() || !IsSpecified()) return _tPort;
    char acPort[16];
    int iLen = std::snprintf(acPort, sizeof acPort, "%d", Crack().GetPort());
    _tPort.SetDcs(acPort, static_cast<unsigned>(iLen));
    return _tPort;
}

const KxwDomHtmlPropertyStr& KxwDomHtmlPropertyUrl::GetHost() const {
    if (_tHost.IsSpecified() || !IsSpecified()) return _tHost;
    const KxwDomHtmlPropertyStr& rtHostName = GetHostName();
    if (!rtHostName.IsSpecified()) return _tHost;
    // Built without a length limit: a long host name must not be cut.
    KxwDomHtmlTextsStr tHost(64);
    ConcatPart(tHost, rtHostName);
    tHost.Concat(':');
    ConcatPart(tHost, GetPort());
    _tHost.SetDcs(tHost.GetStr(), static_cast<unsigned>(tHost.GetLen()));
    return _tHost;
}

const KxwDomHtmlPropertyStr& KxwDomHtmlPropertyUrl::GetPathName() const {
    if (_tPathName.IsSpecified() || !IsSpecified()) return _tPathName;
    const KxwiUrlCrack& rtCrack = Crack();
    const char* psfPath = rtCrack.GetPathStr();
    size_t nPathLen = rtCrack.GetPathLen();
    if (nPathLen <= 1) return _tPathName;
    if (psfPath[0] == '/') {
        ++psfPath;
        --nPathLen;
    }
    _tPathName.SetDcs(psfPath, static_cast<unsigned>(nPathLen));
    return _tPathName;
}

const KxwDomHtmlPropertyStr& KxwDomHtmlPropertyUrl::GetSearch() const {
    if (_tSearch.IsSpecified() || !IsSpecified()) return _tSearch;
    const KxwiUrlCrack& rtCrack = Crack();
    if (rtCrack.GetQueryLen() > 1) _tSearch.SetDcs(rtCrack.GetQueryStr(), static_cast<unsigned>(rtCrack.GetQueryLen()));
    return _tSearch;
}

// ---------------------------------------------------------------------------------------------------------------
// Changing parts

void KxwDomHtmlPropertyUrl::SetProtocol(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    ReplacePartAndRebuild(UrlPart::kProtocol, mpwsfU16nStr, muU16nLenInChars);
}

void KxwDomHtmlPropertyUrl::SetHost(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    ReplacePartAndRebuild(UrlPart::kHost, mpwsfU16nStr, muU16nLenInChars);
}

void KxwDomHtmlPropertyUrl::SetPortA(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    ReplacePartAndRebuild(UrlPart::kPort, mpwsfU16nStr, muU16nLenInChars);
}

void KxwDomHtmlPropertyUrl::SetSearch(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    ReplacePartAndRebuild(UrlPart::kSearch, mpwsfU16nStr, muU16nLenInChars);
}

void KxwDomHtmlPropertyUrl::ReplacePartAndRebuild(UrlPart mePart, const char16_t* mpwsfU16nStr,
                                                  unsigned muU16nLenInChars) {
    if (!mpwsfU16nStr && muU16nLenInChars) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "NULL text of length %u passed to KxwDomHtmlPropertyUrl. this=%p",
                                              muU16nLenInChars, static_cast<void*>(this));
        return;
    }
    // Without an absolute URL there are no parts to rebuild from.
    if (!IsSpecified() || !GetAbsoluteUrl().IsSpecified()) return;
    // Every part is worked out from the current URL before one of them is replaced.
    const KxwiUrlCrack& rtCrack = Crack();
    GetProtocol();
    GetHostName();
    GetPort();
    GetPathName();
    GetSearch();
    StoreNewPart(mePart, mpwsfU16nStr, muU16nLenInChars);
    KxwDomHtmlTextsStr tUrl(256);
    BuildUrlFromParts(rtCrack, tUrl);
    SetAbsoluteUrlAndUnescapeIfIE(tUrl.GetStr(), static_cast<unsigned>(tUrl.GetLen()));
}

void KxwDomHtmlPropertyUrl::StoreNewPart(UrlPart mePart, const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    const char16_t* pwcText = mpwsfU16nStr ? mpwsfU16nStr : u"";
    unsigned uLen = muU16nLenInChars;
    switch (mePart) {
        case UrlPart::kProtocol: {
            while (uLen > 0 && pwcText[uLen - 1] == u'/') --uLen;
            if (uLen == 0) return;  // no scheme to put in: the URL stays as it is
            _tProtocol.SetU16n(pwcText, uLen);
            if (pwcText[uLen - 1] != u':') {
                KxwDomHtmlTextsStr tProtocol(32);
                ConcatPart(tProtocol, _tProtocol);
                tProtocol.Concat(':');
                _tProtocol.SetDcs(tProtocol.GetStr(), static_cast<unsigned>(tProtocol.GetLen()));
            }
            return;
        }
        case UrlPart::kHost: {
            // "name:port" sets both; the colon of an IPv6 literal ("[::1]") is not a port separator.
            unsigned uColon = uLen;
            for (unsigned i = uLen; i > 0; --i) {
                if (pwcText[i - 1] == u']') break;
                if (pwcText[i - 1] == u':') {
                    uColon = i - 1;
                    break;
                }
            }
            _tHostName.SetU16n(pwcText, uColon);
            if (uColon < uLen) _tPort.SetU16n(pwcText + uColon + 1, uLen - uColon - 1);
            return;
        }
        case UrlPart::kPort:
            _tPort.SetU16n(pwcText, uLen);
            return;
        case UrlPart::kSearch:
            if (uLen == 0) {
                _tSearch.RemoveValue();
                return;
            }
            _tSearch.SetU16n(pwcText, uLen);
            if (pwcText[0] != u'?') {
                KxwDomHtmlTextsStr tSearch(64);
                tSearch.Concat('?');
                ConcatPart(tSearch, _tSearch);
                _tSearch.SetDcs(tSearch.GetStr(), static_cast<unsigned>(tSearch.GetLen()));
            }
            return;
    }
}

void KxwDomHtmlPropertyUrl::BuildUrlFromParts(const KxwiUrlCrack& mrtCrack, KxwDomHtmlTextsStr& mrtUrl) const {
    // The crack still describes the URL before the change: it gives what has no part of its own (the user
    // information and the fragment, kept so that changing one part loses nothing else).
    const KxwiUrlCrack& rtCrack = mrtCrack;
    ConcatPart(mrtUrl, _tProtocol);
    bool bAuthority = rtCrack.HasAuthority() || !_tHostName.IsEmpty();
    if (bAuthority) {
        mrtUrl.Concat("//", 2);
        if (rtCrack.HasUserInfo()) {
            ConcatDcs(mrtUrl, rtCrack.GetUserInfoStr(), rtCrack.GetUserInfoLen());
            mrtUrl.Concat('@');
        }
        ConcatPart(mrtUrl, _tHostName);
        if (!_tHostName.IsEmpty() && !_tPort.IsEmpty()) {
            mrtUrl.Concat(':');
            ConcatPart(mrtUrl, _tPort);
        }
    }
    bool bPathSlash = bAuthority || (rtCrack.GetPathLen() > 0 && rtCrack.GetPathStr()[0] == '/');
    if (bPathSlash) mrtUrl.Concat('/');
    ConcatPart(mrtUrl, _tPathName);
    ConcatPart(mrtUrl, _tSearch);
    ConcatDcs(mrtUrl, rtCrack.GetFragmentStr(), rtCrack.GetFragmentLen());
}

void KxwDomHtmlPropertyUrl::SetAbsoluteUrlAndUnescapeIfIE(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    if ((!mpsfDcsStr && muDcsLenInBytes) || muDcsLenInBytes > static_cast<unsigned>(INT_MAX)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mpsfDcsStr=%p/muDcsLenInBytes=%u in "
                                              "KxwDomHtmlPropertyUrl::SetAbsoluteUrlAndUnescapeIfIE. this=%p",
                                              static_cast<const void*>(mpsfDcsStr), muDcsLenInBytes,
                                              static_cast<void*>(this));
        return;
    }
    ClearCaches();
    if (xfbKxwDomUtilIsNS()) {
        _tAbsoluteUrl.SetDcs(mpsfDcsStr, muDcsLenInBytes);
        return;
    }
    char acStack[kUnescapeStackSize];
    char* psfBuf = acStack;
    if (muDcsLenInBytes > kUnescapeStackSize) {
        psfBuf = static_cast<char*>(maw_malloc(muDcsLenInBytes));
        if (!psfBuf) KxwUtilOutOfMemoryAbort(static_cast<long>(muDcsLenInBytes), "an unescaped URL");
    }
    int iLen =
        xfiKxwUtilPerformPercentageUnEscapingAndReturnLength(mpsfDcsStr, static_cast<int>(muDcsLenInBytes), psfBuf);
    _tAbsoluteUrl.SetDcs(psfBuf, static_cast<unsigned>(iLen < 0 ? 0 : iLen));
    if (psfBuf != acStack) maw_free(psfBuf);
}
