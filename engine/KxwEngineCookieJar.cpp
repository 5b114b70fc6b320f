#include "KxwEngineCookieJar.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "KxwiUrl.h"

namespace {

// What the cookie rules need of a URL.
struct CookieUrl {
    bool _bValid = false;
    bool _bSecure = false;
    std::string _dsHost;  // lower case
    std::string _dsPath;  // without query and fragment; "/" when empty
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::string LowerCopy(const char* mpsf, size_t mnLen) {
    std::string ds(mpsf, mnLen);
    for (char& c : ds) c = Lower(c);
    return ds;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool EqualsIgnoringCase(const std::string& mdsText, const char* mpszWord) {
    size_t nLen = std::strlen(mpszWord);
    if (mdsText.size() != nLen) return false;
    for (size_t n = 0; n < nLen; ++n)
        if (Lower(mdsText[n]) != mpszWord[n]) return false;
    return true;
}

CookieUrl CrackCookieUrl(const std::string& mdsUrl) {
    CookieUrl tUrl;
    KxwiUrlCrack tCrack(mdsUrl.data(), mdsUrl.size());
    KXWI_URL_SCHEME_ENUM eScheme = tCrack.GetScheme();
    if (!tCrack.IsValid() || (eScheme != KXWI_URL_SCHEME_HTTP && eScheme != KXWI_URL_SCHEME_HTTPS) ||
        tCrack.GetHostNameLen() == 0)
        return tUrl;
    tUrl._bValid = true;
    tUrl._bSecure = eScheme == KXWI_URL_SCHEME_HTTPS;
    tUrl._dsHost = LowerCopy(tCrack.GetHostNameStr(), tCrack.GetHostNameLen());
    tUrl._dsPath.assign(tCrack.GetPathStr(), tCrack.GetPathLen());
    if (tUrl._dsPath.empty()) tUrl._dsPath = "/";
    return tUrl;
}

bool IsIpAddress(const std::string& mdsHost) {
    if (!mdsHost.empty() && mdsHost[0] == '[') return true;
    return mdsHost.find_first_not_of("0123456789.") == std::string::npos;
}

// The host is the domain, or a name under it (never an address under it).
bool DomainMatches(const std::string& mdsHost, const std::string& mdsDomain) {
    if (mdsHost == mdsDomain) return true;
    return !IsIpAddress(mdsHost) && mdsHost.size() > mdsDomain.size() &&
           mdsHost.compare(mdsHost.size() - mdsDomain.size(), mdsDomain.size(), mdsDomain) == 0 &&
           mdsHost[mdsHost.size() - mdsDomain.size() - 1] == '.';
}

bool PathMatches(const std::string& mdsRequestPath, const std::string& mdsCookiePath) {
    if (mdsRequestPath.compare(0, mdsCookiePath.size(), mdsCookiePath) != 0) return false;
    return mdsRequestPath.size() == mdsCookiePath.size() || mdsCookiePath.back() == '/' ||
           mdsRequestPath[mdsCookiePath.size()] == '/';
}

// The folder of the request's path: what a cookie without a Path attribute is for.
std::string DefaultPath(const std::string& mdsPath) {
    if (mdsPath.empty() || mdsPath[0] != '/') return "/";
    size_t nLast = mdsPath.rfind('/');
    return nLast == 0 ? std::string("/") : mdsPath.substr(0, nLast);
}

void Trim(const char*& mrpsf, size_t& mrnLen) {
    while (mrnLen > 0 && (*mrpsf == ' ' || *mrpsf == '\t')) ++mrpsf, --mrnLen;
    while (mrnLen > 0 && (mrpsf[mrnLen - 1] == ' ' || mrpsf[mrnLen - 1] == '\t')) --mrnLen;
}

// Control characters other than a tab make the whole cookie invalid, as browsers refuse it.
bool HasControl(const char* mpsf, size_t mnLen) {
    for (size_t n = 0; n < mnLen; ++n) {
        unsigned char c = static_cast<unsigned char>(mpsf[n]);
        if ((c < 0x20 && c != '\t') || c == 0x7F) return true;
    }
    return false;
}

bool IsDateDelimiter(unsigned char c) {
    return c == 0x09 || (c >= 0x20 && c <= 0x2F) || (c >= 0x3B && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
           (c >= 0x7B && c <= 0x7E);
}

// From mnAt: mnMin to mnMax digits, then a non-digit and anything, or the token's end. *mpnEnd (when given)
// receives where the digits end.
bool ReadNumber(const std::string& mdsToken, size_t mnAt, size_t mnMin, size_t mnMax, int* mpiValue,
                size_t* mpnEnd = nullptr) {
    size_t nEnd = mnAt;
    int iValue = 0;
    while (nEnd < mdsToken.size() && IsDigit(mdsToken[nEnd]) && nEnd - mnAt < mnMax)
        iValue = iValue * 10 + (mdsToken[nEnd++] - '0');
    if (nEnd - mnAt < mnMin || (nEnd < mdsToken.size() && IsDigit(mdsToken[nEnd]))) return false;
    *mpiValue = iValue;
    if (mpnEnd) *mpnEnd = nEnd;
    return true;
}

// hh:mm:ss, each of one or two digits.
bool ReadTime(const std::string& mdsToken, int* mpiHour, int* mpiMinute, int* mpiSecond) {
    size_t nAt = 0;
    if (!ReadNumber(mdsToken, 0, 1, 2, mpiHour, &nAt) || nAt >= mdsToken.size() || mdsToken[nAt] != ':') return false;
    if (!ReadNumber(mdsToken, nAt + 1, 1, 2, mpiMinute, &nAt) || nAt >= mdsToken.size() || mdsToken[nAt] != ':')
        return false;
    return ReadNumber(mdsToken, nAt + 1, 1, 2, mpiSecond);
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t mllYear, unsigned muMonth, unsigned muDay) {
    mllYear -= muMonth <= 2;
    int64_t llEra = (mllYear >= 0 ? mllYear : mllYear - 399) / 400;
    unsigned uYearOfEra = static_cast<unsigned>(mllYear - llEra * 400);
    unsigned uDayOfYear = (153 * (muMonth + (muMonth > 2 ? -3 : 9)) + 2) / 5 + muDay - 1;
    unsigned uDayOfEra = uYearOfEra * 365 + uYearOfEra / 4 - uYearOfEra / 100 + uDayOfYear;
    return llEra * 146097 + static_cast<int64_t>(uDayOfEra) - 719468;
}

bool IsLeapYear(int miYear) {
    return (miYear % 4 == 0 && miYear % 100 != 0) || miYear % 400 == 0;
}

}  // namespace

KxwEngineCookieJar::KxwEngineCookieJar(Clock mtClock) : _tClock(std::move(mtClock)) {}

int64_t KxwEngineCookieJar::Now() const {
    if (_tClock) return _tClock();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool KxwEngineCookieJar::ParseCookieDate(const char* mpsfText, size_t mnLen, int64_t* mpllMs) {
    static const char* const kapszMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                              "jul", "aug", "sep", "oct", "nov", "dec"};
    bool bTime = false, bDay = false, bMonth = false, bYear = false;
    int iHour = 0, iMinute = 0, iSecond = 0, iDay = 0, iMonth = 0, iYear = 0;
    size_t n = 0;
    while (n < mnLen) {
        while (n < mnLen && IsDateDelimiter(static_cast<unsigned char>(mpsfText[n]))) ++n;
        size_t nStart = n;
        while (n < mnLen && !IsDateDelimiter(static_cast<unsigned char>(mpsfText[n]))) ++n;
        if (n == nStart) break;
        std::string dsToken(mpsfText + nStart, n - nStart);
        int iValue = 0;
        int iMonthOfToken = 0;
        for (int i = 0; i < 12 && dsToken.size() >= 3; ++i)
            if (LowerCopy(dsToken.data(), 3) == kapszMonths[i]) iMonthOfToken = i + 1;
        if (!bTime && ReadTime(dsToken, &iHour, &iMinute, &iSecond)) {
            bTime = true;
        } else if (!bDay && ReadNumber(dsToken, 0, 1, 2, &iValue)) {
            bDay = true;
            iDay = iValue;
        } else if (!bMonth && iMonthOfToken > 0) {
            bMonth = true;
            iMonth = iMonthOfToken;
        } else if (!bYear && ReadNumber(dsToken, 0, 2, 4, &iValue)) {
            bYear = true;
            iYear = iValue;
        }
    }
    if (!bTime || !bDay || !bMonth || !bYear) return false;
    if (iYear >= 70 && iYear <= 99) iYear += 1900;
    if (iYear >= 0 && iYear <= 69) iYear += 2000;
    static const int kaiDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int iMonthDays = kaiDaysInMonth[iMonth - 1] + (iMonth == 2 && IsLeapYear(iYear) ? 1 : 0);
    if (iDay < 1 || iDay > iMonthDays || iYear < 1601 || iHour > 23 || iMinute > 59 || iSecond > 59) return false;
    int64_t llDays = DaysFromCivil(iYear, static_cast<unsigned>(iMonth), static_cast<unsigned>(iDay));
    *mpllMs = ((llDays * 24 + iHour) * 60 + iMinute) * 60000 + iSecond * 1000;
    return true;
}

bool KxwEngineCookieJar::Store(const std::string& mdsUrl, const char* mpsfText, size_t mnLen, Source meSource,
                               std::string* mpdsReason) {
    auto Refuse = [&](const char* mpszWhy) {
        if (mpdsReason) *mpdsReason = mpszWhy;
        return false;
    };
    CookieUrl tUrl = CrackCookieUrl(mdsUrl);
    if (!tUrl._bValid) return Refuse("cookies belong to http: and https: URLs only");
    if (!mpsfText) mnLen = 0;

    // name=value, then the attributes after each ';'.
    size_t nPairEnd = 0;
    while (nPairEnd < mnLen && mpsfText[nPairEnd] != ';') ++nPairEnd;
    const char* psfPair = mpsfText;
    size_t nPair = nPairEnd;
    if (HasControl(psfPair, nPair)) return Refuse("the cookie holds control characters");
    const char* psfEquals = static_cast<const char*>(std::memchr(psfPair, '=', nPair));
    const char* psfName = psfPair;
    size_t nName = psfEquals ? static_cast<size_t>(psfEquals - psfPair) : 0;
    const char* psfValue = psfEquals ? psfEquals + 1 : psfPair;
    size_t nValue = psfEquals ? nPair - nName - 1 : nPair;
    Trim(psfName, nName);
    Trim(psfValue, nValue);
    if (nName == 0 && nValue == 0) return Refuse("the cookie has neither a name nor a value");
    if (nName + nValue > knMaxCookieBytes) return Refuse("the cookie is larger than 4096 bytes");

    int64_t llNow = Now();
    KxwEngineCookie tCookie;
    tCookie._dsName.assign(psfName, nName);
    tCookie._dsValue.assign(psfValue, nValue);
    bool bMaxAge = false;
    std::string dsDomainAttr;
    bool bDomainGiven = false;
    std::string dsPathAttr;
    for (size_t nAt = nPairEnd; nAt < mnLen;) {
        size_t nEnd = nAt + 1;
        while (nEnd < mnLen && mpsfText[nEnd] != ';') ++nEnd;
        const char* psfAttr = mpsfText + nAt + 1;
        size_t nAttr = nEnd - nAt - 1;
        nAt = nEnd;
        const char* psfAttrEq = static_cast<const char*>(std::memchr(psfAttr, '=', nAttr));
        const char* psfAttrName = psfAttr;
        size_t nAttrName = psfAttrEq ? static_cast<size_t>(psfAttrEq - psfAttr) : nAttr;
        const char* psfAttrValue = psfAttrEq ? psfAttrEq + 1 : psfAttr + nAttr;
        size_t nAttrValue = psfAttrEq ? nAttr - nAttrName - 1 : 0;
        Trim(psfAttrName, nAttrName);
        Trim(psfAttrValue, nAttrValue);
        std::string dsAttrName(psfAttrName, nAttrName);
        if (EqualsIgnoringCase(dsAttrName, "expires")) {
            int64_t llExpires = 0;
            if (!bMaxAge && ParseCookieDate(psfAttrValue, nAttrValue, &llExpires)) {
                tCookie._llExpiresMs = llExpires;
                tCookie._bPersistent = true;
            }
        } else if (EqualsIgnoringCase(dsAttrName, "max-age")) {
            // Digits with an optional '-'; anything else leaves the attribute out.
            size_t nDigits = nAttrValue > 0 && psfAttrValue[0] == '-' ? 1 : 0;
            bool bNumber = nAttrValue > nDigits;
            for (size_t n = nDigits; n < nAttrValue; ++n) bNumber = bNumber && IsDigit(psfAttrValue[n]);
            if (!bNumber) continue;
            int64_t llSeconds = 0;
            for (size_t n = nDigits; n < nAttrValue && llSeconds < INT64_MAX / 10000; ++n)
                llSeconds = llSeconds * 10 + (psfAttrValue[n] - '0');
            bMaxAge = true;
            tCookie._bPersistent = true;
            if (nDigits == 1 || llSeconds == 0)
                tCookie._llExpiresMs = INT64_MIN;
            else
                tCookie._llExpiresMs =
                    llSeconds >= (INT64_MAX - llNow) / 1000 ? INT64_MAX - 1 : llNow + llSeconds * 1000;
        } else if (EqualsIgnoringCase(dsAttrName, "domain")) {
            if (nAttrValue > 0 && psfAttrValue[0] == '.') ++psfAttrValue, --nAttrValue;
            if (nAttrValue == 0) continue;
            dsDomainAttr = LowerCopy(psfAttrValue, nAttrValue);
            bDomainGiven = true;
        } else if (EqualsIgnoringCase(dsAttrName, "path")) {
            dsPathAttr = nAttrValue > 0 && psfAttrValue[0] == '/' ? std::string(psfAttrValue, nAttrValue) : "";
        } else if (EqualsIgnoringCase(dsAttrName, "secure")) {
            tCookie._bSecure = true;
        } else if (EqualsIgnoringCase(dsAttrName, "httponly")) {
            tCookie._bHttpOnly = true;
        }
    }

    if (bDomainGiven) {
        if (!DomainMatches(tUrl._dsHost, dsDomainAttr))
            return Refuse("the cookie's Domain does not cover the host that set it");
        // A single label ("com") would reach every site under it; only the host itself may name one.
        if (dsDomainAttr.find('.') == std::string::npos && dsDomainAttr != tUrl._dsHost)
            return Refuse("the cookie's Domain is a top-level name");
        tCookie._dsDomain = dsDomainAttr;
        tCookie._bHostOnly = false;
    } else {
        tCookie._dsDomain = tUrl._dsHost;
    }
    tCookie._dsPath = dsPathAttr.empty() ? DefaultPath(tUrl._dsPath) : dsPathAttr;
    if (meSource == kFromScript && tCookie._bHttpOnly) return Refuse("a script cannot set an HttpOnly cookie");

    tCookie._llCreationMs = llNow;
    tCookie._ullCreationOrder = _ullNextOrder++;
    for (auto it = _tCookies.begin(); it != _tCookies.end(); ++it) {
        if (it->_dsName != tCookie._dsName || it->_dsDomain != tCookie._dsDomain || it->_dsPath != tCookie._dsPath)
            continue;
        if (meSource == kFromScript && it->_bHttpOnly) return Refuse("a script cannot replace an HttpOnly cookie");
        // The replacement keeps its place among the cookies of equal paths.
        tCookie._llCreationMs = it->_llCreationMs;
        tCookie._ullCreationOrder = it->_ullCreationOrder;
        _tCookies.erase(it);
        break;
    }
    DropExpired(llNow);
    if (tCookie._llExpiresMs <= llNow) return true;
    std::string dsDomain = tCookie._dsDomain;
    _tCookies.push_back(std::move(tCookie));
    EnforceLimits(dsDomain);
    return true;
}

std::string KxwEngineCookieJar::GetCookies(const std::string& mdsUrl, Source meFor) {
    CookieUrl tUrl = CrackCookieUrl(mdsUrl);
    if (!tUrl._bValid) return std::string();
    DropExpired(Now());
    std::vector<const KxwEngineCookie*> tMatches;
    for (const KxwEngineCookie& rtCookie : _tCookies) {
        bool bDomain =
            rtCookie._bHostOnly ? tUrl._dsHost == rtCookie._dsDomain : DomainMatches(tUrl._dsHost, rtCookie._dsDomain);
        if (!bDomain || !PathMatches(tUrl._dsPath, rtCookie._dsPath)) continue;
        if (rtCookie._bSecure && !tUrl._bSecure) continue;
        if (rtCookie._bHttpOnly && meFor == kFromScript) continue;
        tMatches.push_back(&rtCookie);
    }
    std::stable_sort(tMatches.begin(), tMatches.end(), [](const KxwEngineCookie* a, const KxwEngineCookie* b) {
        if (a->_dsPath.size() != b->_dsPath.size()) return a->_dsPath.size() > b->_dsPath.size();
        return a->_ullCreationOrder < b->_ullCreationOrder;
    });
    std::string dsResult;
    for (const KxwEngineCookie* ptCookie : tMatches) {
        if (!dsResult.empty()) dsResult += "; ";
        // A cookie set as a bare value has no name and no '='.
        if (!ptCookie->_dsName.empty()) dsResult += ptCookie->_dsName + "=";
        dsResult += ptCookie->_dsValue;
    }
    return dsResult;
}

void KxwEngineCookieJar::Clear() {
    _tCookies.clear();
}

void KxwEngineCookieJar::DropExpired(int64_t mllNow) {
    _tCookies.erase(std::remove_if(_tCookies.begin(), _tCookies.end(),
                                   [&](const KxwEngineCookie& mrtCookie) { return mrtCookie._llExpiresMs <= mllNow; }),
                    _tCookies.end());
}

void KxwEngineCookieJar::EnforceLimits(const std::string& mdsDomain) {
    auto Oldest = [&](bool mbOfDomain) {
        auto itOldest = _tCookies.end();
        for (auto it = _tCookies.begin(); it != _tCookies.end(); ++it)
            if ((!mbOfDomain || it->_dsDomain == mdsDomain) &&
                (itOldest == _tCookies.end() || it->_ullCreationOrder < itOldest->_ullCreationOrder))
                itOldest = it;
        return itOldest;
    };
    size_t nOfDomain =
        static_cast<size_t>(std::count_if(_tCookies.begin(), _tCookies.end(), [&](const KxwEngineCookie& mrtCookie) {
            return mrtCookie._dsDomain == mdsDomain;
        }));
    for (; nOfDomain > knMaxCookiesPerDomain; --nOfDomain) _tCookies.erase(Oldest(true));
    while (_tCookies.size() > knMaxCookies) _tCookies.erase(Oldest(false));
}
