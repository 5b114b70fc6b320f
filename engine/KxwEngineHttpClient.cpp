#include "KxwEngineHttpClient.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

#include "KxwUtilReport.h"
#include "KxwiUrl.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

bool IsRedirectStatus(int miStatus) {
    return miStatus == 301 || miStatus == 302 || miStatus == 303 || miStatus == 307 || miStatus == 308;
}

bool IsHttpUrl(const std::string& mdsUrl) {
    KxwiUrlCrack tCrack(mdsUrl.data(), mdsUrl.size());
    return tCrack.IsValid() && tCrack.GetHostNameLen() > 0 &&
           (tCrack.GetScheme() == KXWI_URL_SCHEME_HTTP || tCrack.GetScheme() == KXWI_URL_SCHEME_HTTPS);
}

// Bytes a URL on the wire cannot hold as they are (blanks, controls, non-ASCII) percent-escaped, as browsers send
// a Location or an address typed with them.
std::string EscapeUrlBytes(const std::string& mdsUrl) {
    static const char kacHex[] = "0123456789ABCDEF";
    std::string dsResult;
    for (char c : mdsUrl) {
        unsigned char uc = static_cast<unsigned char>(c);
        if (uc > 0x20 && uc < 0x7F) {
            dsResult += c;
        } else {
            dsResult += '%';
            dsResult += kacHex[uc >> 4];
            dsResult += kacHex[uc & 15];
        }
    }
    return dsResult;
}

// The URL without its fragment, and the fragment (with its '#').
void SplitFragment(const std::string& mdsUrl, std::string* mpdsWithout, std::string* mpdsFragment) {
    // The URL may be *mpdsWithout itself: the fragment is taken first.
    KxwiUrlCrack tCrack(mdsUrl.data(), mdsUrl.size());
    size_t nWithout = mdsUrl.size() - tCrack.GetFragmentLen();
    *mpdsFragment = mdsUrl.substr(nWithout);
    mpdsWithout->assign(mdsUrl, 0, nWithout);
}

// The target of a Location header, absolute; false when it cannot be resolved.
bool ResolveLocation(const std::string& mdsBase, const std::string& mdsLocation, std::string* mpdsResult) {
    std::string dsLocation = EscapeUrlBytes(mdsLocation);
    size_t nLen = 0;
    std::string dsBuffer(mdsBase.size() + dsLocation.size() + 64, '\0');
    if (!KxwiUrlCombine::Combine(mdsBase.data(), mdsBase.size(), dsLocation.data(), dsLocation.size(), &dsBuffer[0],
                                 dsBuffer.size(), &nLen)) {
        if (nLen + 1 <= dsBuffer.size()) return false;
        dsBuffer.assign(nLen + 1, '\0');
        if (!KxwiUrlCombine::Combine(mdsBase.data(), mdsBase.size(), dsLocation.data(), dsLocation.size(), &dsBuffer[0],
                                     dsBuffer.size(), &nLen))
            return false;
    }
    mpdsResult->assign(dsBuffer.data(), nLen);
    return true;
}

bool HasLineBreak(const std::string& mdsText) {
    return mdsText.find_first_of("\r\n") != std::string::npos || mdsText.find('\0') != std::string::npos;
}

bool EqualsIgnoringCase(const std::string& mdsText, const char* mpszWord) {
    return mdsText.size() == std::strlen(mpszWord) && strncasecmp(mdsText.c_str(), mpszWord, mdsText.size()) == 0;
}

std::string TrimBlanks(const char* mpsf, size_t mnLen) {
    while (mnLen > 0 && (*mpsf == ' ' || *mpsf == '\t')) ++mpsf, --mnLen;
    while (mnLen > 0 &&
           (mpsf[mnLen - 1] == ' ' || mpsf[mnLen - 1] == '\t' || mpsf[mnLen - 1] == '\r' || mpsf[mnLen - 1] == '\n'))
        --mnLen;
    return std::string(mpsf, mnLen);
}

// The addresses of the URL's host, looked up on the calling thread, as a CURLOPT_RESOLVE entry
// ("host:port:addr,addr"), so that curl finds them in its cache and starts no resolver thread of its own. Empty for
// a host curl reads without a lookup (an address, "localhost"). False with the reason when the name does not
// resolve.
bool ResolveOnThisThread(const std::string& mdsUrl, std::string* mpdsEntry, std::string* mpdsReason) {
    mpdsEntry->clear();
    KxwiUrlCrack tCrack(mdsUrl.data(), mdsUrl.size());
    std::string dsHost(tCrack.GetHostNameStr(), tCrack.GetHostNameLen());
    unsigned char aucAddr[sizeof(in6_addr)];
    if (dsHost.empty() || dsHost[0] == '[' || inet_pton(AF_INET, dsHost.c_str(), aucAddr) == 1 ||
        strcasecmp(dsHost.c_str(), "localhost") == 0)
        return true;
    addrinfo tHints{};
    tHints.ai_family = AF_UNSPEC;
    tHints.ai_socktype = SOCK_STREAM;
    // No IPv6 lookup on a machine without an IPv6 address: it could only wait for a resolver that never answers.
    tHints.ai_flags = AI_ADDRCONFIG;
    addrinfo* ptResult = nullptr;
    int iError = getaddrinfo(dsHost.c_str(), nullptr, &tHints, &ptResult);
    if (iError != 0 || !ptResult) {
        *mpdsReason = iError == EAI_SYSTEM ? std::strerror(errno) : gai_strerror(iError);
        if (ptResult) freeaddrinfo(ptResult);
        return false;
    }
    std::string dsAddresses;
    for (const addrinfo* pt = ptResult; pt; pt = pt->ai_next) {
        char acText[INET6_ADDRSTRLEN] = {};
        const void* pvAddr = nullptr;
        if (pt->ai_family == AF_INET) pvAddr = &reinterpret_cast<const sockaddr_in*>(pt->ai_addr)->sin_addr;
        if (pt->ai_family == AF_INET6) pvAddr = &reinterpret_cast<const sockaddr_in6*>(pt->ai_addr)->sin6_addr;
        if (!pvAddr || !inet_ntop(pt->ai_family, pvAddr, acText, sizeof acText)) continue;
        std::string dsAddress = pt->ai_family == AF_INET6 ? "[" + std::string(acText) + "]" : std::string(acText);
        // getaddrinfo gives an address once per protocol when not told the socket type on some systems.
        if (("," + dsAddresses + ",").find("," + dsAddress + ",") != std::string::npos) continue;
        if (!dsAddresses.empty()) dsAddresses += ",";
        dsAddresses += dsAddress;
    }
    freeaddrinfo(ptResult);
    if (dsAddresses.empty()) {
        *mpdsReason = "no address of a known family";
        return false;
    }
    *mpdsEntry = dsHost + ":" + std::to_string(tCrack.GetPort()) + ":" + dsAddresses;
    return true;
}

// What a failed transfer of curl means to the engine, and the words for it.
struct CurlErrorRow {
    CURLcode _eCode;
    KXW_ENGINE_FETCH_ERROR_ENUM _eError;
    const char* _pszReason;
};

constexpr CurlErrorRow katCurlErrors[] = {
    {CURLE_URL_MALFORMAT, KXW_ENGINE_FETCH_BAD_REQUEST, "the URL is malformed"},
    {CURLE_COULDNT_RESOLVE_PROXY, KXW_ENGINE_FETCH_DNS, "the proxy's host name does not resolve"},
    {CURLE_COULDNT_RESOLVE_HOST, KXW_ENGINE_FETCH_DNS, "the host name does not resolve"},
    {CURLE_COULDNT_CONNECT, KXW_ENGINE_FETCH_CONNECT, "could not connect to the server"},
    {CURLE_OPERATION_TIMEDOUT, KXW_ENGINE_FETCH_TIMEOUT, "the server did not answer in time"},
    {CURLE_SSL_CONNECT_ERROR, KXW_ENGINE_FETCH_TLS, "the secure connection could not be set up"},
    {CURLE_PEER_FAILED_VERIFICATION, KXW_ENGINE_FETCH_TLS, "the server's certificate is not trusted"},
    {CURLE_SSL_CERTPROBLEM, KXW_ENGINE_FETCH_TLS, "the client certificate cannot be used"},
    {CURLE_SSL_CIPHER, KXW_ENGINE_FETCH_TLS, "no cipher could be agreed with the server"},
    {CURLE_SSL_CACERT_BADFILE, KXW_ENGINE_FETCH_TLS, "the trusted certificates cannot be read"},
    {CURLE_SSL_ISSUER_ERROR, KXW_ENGINE_FETCH_TLS, "the server's certificate has the wrong issuer"},
    {CURLE_SSL_SHUTDOWN_FAILED, KXW_ENGINE_FETCH_TLS, "the secure connection did not end cleanly"},
    {CURLE_USE_SSL_FAILED, KXW_ENGINE_FETCH_TLS, "the secure connection could not be set up"},
    {CURLE_FILESIZE_EXCEEDED, KXW_ENGINE_FETCH_BODY_TOO_LARGE, "the response is larger than allowed"},
    {CURLE_GOT_NOTHING, KXW_ENGINE_FETCH_PROTOCOL, "the server closed the connection without an answer"},
    {CURLE_PARTIAL_FILE, KXW_ENGINE_FETCH_PROTOCOL, "the server closed the connection before the response ended"},
    {CURLE_RECV_ERROR, KXW_ENGINE_FETCH_PROTOCOL, "the response could not be received"},
    {CURLE_SEND_ERROR, KXW_ENGINE_FETCH_PROTOCOL, "the request could not be sent"},
    {CURLE_WEIRD_SERVER_REPLY, KXW_ENGINE_FETCH_PROTOCOL, "the server's answer is not HTTP"},
    {CURLE_UNSUPPORTED_PROTOCOL, KXW_ENGINE_FETCH_PROTOCOL, "the server's answer is not HTTP"},
    {CURLE_BAD_CONTENT_ENCODING, KXW_ENGINE_FETCH_PROTOCOL, "the response's content encoding cannot be decoded"},
};

}  // namespace

// The chain of requests of one load, and the hop under way.
struct KxwEngineHttpClient::Transfer {
    const KxwEngineFetchRequest& _rtRequest;
    KxwEngineFetchListener* _ptListener;
    KxwEngineFetchResponse* _ptResponse;
    KxwEngineCookieJar* _ptCookieJar;
    SteadyClock::time_point _tDeadline;
    std::string _dsUrl;  // of this hop, without fragment
    bool _bPost = false;
    // This hop's answer.
    int _iStatus = 0;
    std::string _dsStatusText;
    KxwEngineHeaders _tHeaders;
    size_t _nHeaderBytes = 0;
    bool _bFinal = false;        // the headers of a final answer (not 1xx) are in
    bool _bDiscardBody = false;  // a redirect's body
    size_t _nBodyBytes = 0;
    bool _bTooLarge = false;
    bool _bHeadersTooLarge = false;
    bool _bAborted = false;
    char _acError[CURL_ERROR_SIZE] = {};

    Transfer(const KxwEngineFetchRequest& mrtRequest, KxwEngineFetchListener* mptListener,
             KxwEngineFetchResponse* mptResponse, KxwEngineCookieJar* mptCookieJar)
        : _rtRequest(mrtRequest), _ptListener(mptListener), _ptResponse(mptResponse), _ptCookieJar(mptCookieJar) {}

    const std::string* FindHeader(const char* mpszName) const {
        for (const auto& rtHeader : _tHeaders)
            if (EqualsIgnoringCase(rtHeader.first, mpszName)) return &rtHeader.second;
        return nullptr;
    }
    bool IsRedirect() const { return IsRedirectStatus(_iStatus) && FindHeader("Location"); }
    void StartHop() {
        _iStatus = 0;
        _dsStatusText.clear();
        _tHeaders.clear();
        _nHeaderBytes = 0;
        _bFinal = _bDiscardBody = false;
        _acError[0] = '\0';
    }
    // The end of an answer's headers: its cookies are stored, and a final one is made known to the listener.
    bool EndHeaders() {
        if (_iStatus >= 100 && _iStatus < 200) return true;  // an interim answer: the real one follows
        _bFinal = true;
        if (_ptCookieJar)
            for (const auto& rtHeader : _tHeaders)
                if (EqualsIgnoringCase(rtHeader.first, "Set-Cookie"))
                    _ptCookieJar->Store(_dsUrl, rtHeader.second.data(), rtHeader.second.size(),
                                        KxwEngineCookieJar::kFromHttp);
        if (IsRedirect()) {
            _bDiscardBody = true;
            return true;
        }
        KxwEngineFetchResponse& rtResponse = *_ptResponse;
        rtResponse._iStatus = _iStatus;
        rtResponse._dsStatusText = _dsStatusText;
        rtResponse._tHeaders = _tHeaders;
        const std::string* pdsType = FindHeader("Content-Type");
        rtResponse.SetContentType(pdsType ? *pdsType : std::string());
        // A response the server sends as an attachment is a download whatever its type.
        const std::string* pdsDisposition = FindHeader("Content-Disposition");
        if (pdsDisposition &&
            strncasecmp(TrimBlanks(pdsDisposition->data(), pdsDisposition->size()).c_str(), "attachment", 10) == 0)
            rtResponse._eContentClass = KXW_ENGINE_CONTENT_CLASS_NO_CONTEXT;
        if (_ptListener && !_ptListener->OnResponseHeaders(rtResponse)) {
            _bAborted = true;
            return false;
        }
        return true;
    }
};

KxwEngineHttpClient::KxwEngineHttpClient(KxwEngineCookieJar* mptCookieJar) : _ptCookieJar(mptCookieJar) {
    if (GlobalInit()) _ptCurl = curl_easy_init();
    if (!_ptCurl)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "curl_easy_init failed in KxwEngineHttpClient::KxwEngineHttpClient "
                                              "this=%p",
                                              static_cast<void*>(this));
}

KxwEngineHttpClient::~KxwEngineHttpClient() {
    if (_ptCurl) curl_easy_cleanup(_ptCurl);
}

bool KxwEngineHttpClient::GlobalInit() {
    static std::once_flag tOnce;
    static bool bInitialised = false;
    std::call_once(tOnce, [] { bInitialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return bInitialised;
}

void KxwEngineHttpClient::GlobalTerm() {
    if (GlobalInit()) curl_global_cleanup();
}

size_t KxwEngineHttpClient::OnHeaderLine(char* mpsfData, size_t mnSize, size_t mnCount, void* mpvTransfer) {
    Transfer& rtTransfer = *static_cast<Transfer*>(mpvTransfer);
    size_t nLen = mnSize * mnCount;
    rtTransfer._nHeaderBytes += nLen;
    if (rtTransfer._nHeaderBytes > knMaxHeaderBytes) {
        rtTransfer._bHeadersTooLarge = true;
        return 0;
    }
    if (nLen >= 5 && std::memcmp(mpsfData, "HTTP/", 5) == 0) {
        // A status line starts an answer (after an interim one, the next).
        rtTransfer.StartHop();
        const char* psfEnd = mpsfData + nLen;
        const char* psf = static_cast<const char*>(std::memchr(mpsfData, ' ', nLen));
        int iStatus = 0;
        for (psf = psf ? psf + 1 : psfEnd; psf < psfEnd && *psf >= '0' && *psf <= '9' && iStatus < 1000; ++psf)
            iStatus = iStatus * 10 + (*psf - '0');
        rtTransfer._iStatus = iStatus;
        rtTransfer._dsStatusText = TrimBlanks(psf, static_cast<size_t>(psfEnd - psf));
        return nLen;
    }
    std::string dsLine = TrimBlanks(mpsfData, nLen);
    if (dsLine.empty()) return rtTransfer.EndHeaders() ? nLen : 0;
    if ((mpsfData[0] == ' ' || mpsfData[0] == '\t') && !rtTransfer._tHeaders.empty()) {
        // A folded line continues the header before it.
        rtTransfer._tHeaders.back().second += " " + dsLine;
        return nLen;
    }
    size_t nColon = dsLine.find(':');
    // A line that is no header is skipped, as browsers skip it.
    if (nColon == std::string::npos || nColon == 0) return nLen;
    rtTransfer._tHeaders.emplace_back(TrimBlanks(dsLine.data(), nColon),
                                      TrimBlanks(dsLine.data() + nColon + 1, dsLine.size() - nColon - 1));
    return nLen;
}

size_t KxwEngineHttpClient::OnBody(char* mpsfData, size_t mnSize, size_t mnCount, void* mpvTransfer) {
    Transfer& rtTransfer = *static_cast<Transfer*>(mpvTransfer);
    size_t nLen = mnSize * mnCount;
    if (rtTransfer._bDiscardBody) return nLen;
    const KxwEngineFetchRequest& rtRequest = rtTransfer._rtRequest;
    if (rtTransfer._nBodyBytes + nLen > rtRequest._nMaxBodyBytes) {
        rtTransfer._bTooLarge = true;
        return 0;
    }
    rtTransfer._nBodyBytes += nLen;
    if (rtRequest._bAccumulateBody) rtTransfer._ptResponse->_dsBody.append(mpsfData, nLen);
    if (rtTransfer._ptListener && !rtTransfer._ptListener->OnBodyBytes(mpsfData, nLen)) {
        rtTransfer._bAborted = true;
        return 0;
    }
    return nLen;
}

bool KxwEngineHttpClient::Resolve(const std::string& mdsUrl, std::string* mpdsEntry, std::string* mpdsReason) {
    constexpr auto ktLifetime = std::chrono::seconds(60);
    constexpr size_t knMaxHosts = 1024;
    KxwiUrlCrack tCrack(mdsUrl.data(), mdsUrl.size());
    std::string dsKey = std::string(tCrack.GetHostNameStr(), tCrack.GetHostNameLen()) + ":" +
                        std::to_string(tCrack.GetPort());
    SteadyClock::time_point tNow = SteadyClock::now();
    auto it = _tHostLookups.find(dsKey);
    if (it != _tHostLookups.end() && it->second._tExpires > tNow) {
        (it->second._bOK ? *mpdsEntry : *mpdsReason) = it->second._dsEntryOrReason;
        if (!it->second._bOK) mpdsEntry->clear();
        return it->second._bOK;
    }
    bool bOK = ResolveOnThisThread(mdsUrl, mpdsEntry, mpdsReason);
    if (_tHostLookups.size() >= knMaxHosts) _tHostLookups.clear();
    _tHostLookups[dsKey] = HostLookup{bOK, bOK ? *mpdsEntry : *mpdsReason, tNow + ktLifetime};
    return bOK;
}

bool KxwEngineHttpClient::TransferOnce(Transfer& mrtTransfer) {
    const KxwEngineFetchRequest& rtRequest = mrtTransfer._rtRequest;
    KxwEngineFetchResponse& rtResponse = *mrtTransfer._ptResponse;
    long lRemainingMs = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(mrtTransfer._tDeadline - SteadyClock::now()).count());
    if (lRemainingMs <= 0)
        return xfbKxwEngineFetchFail(&rtResponse, KXW_ENGINE_FETCH_TIMEOUT, mrtTransfer._dsUrl,
                                     "the redirects took longer than " + std::to_string(rtRequest._uTimeoutMs) + " ms");
    mrtTransfer.StartHop();
    mrtTransfer._nBodyBytes = 0;
    std::string dsResolveEntry, dsResolveError;
    if (!Resolve(mrtTransfer._dsUrl, &dsResolveEntry, &dsResolveError))
        return xfbKxwEngineFetchFail(
            &rtResponse, KXW_ENGINE_FETCH_DNS, mrtTransfer._dsUrl,
            "the host name does not resolve: " + xfdsKxwEngineEscapeForLog(dsResolveError, 200));

    // Each request starts from the defaults; the handle keeps its connections and its name cache.
    curl_easy_reset(_ptCurl);
    curl_easy_setopt(_ptCurl, CURLOPT_URL, mrtTransfer._dsUrl.c_str());
    curl_easy_setopt(_ptCurl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(_ptCurl, CURLOPT_FOLLOWLOCATION, 0L);
    // No proxy from the environment: the loads go where the steps say (and no proxy name is looked up).
    curl_easy_setopt(_ptCurl, CURLOPT_PROXY, "");
    curl_slist* ptResolve = dsResolveEntry.empty() ? nullptr : curl_slist_append(nullptr, dsResolveEntry.c_str());
    if (ptResolve) curl_easy_setopt(_ptCurl, CURLOPT_RESOLVE, ptResolve);
    // Timeouts without signals: many virtual users share the process.
    curl_easy_setopt(_ptCurl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(_ptCurl, CURLOPT_CONNECTTIMEOUT_MS,
                     std::min<long>(static_cast<long>(rtRequest._uConnectTimeoutMs), lRemainingMs));
    curl_easy_setopt(_ptCurl, CURLOPT_TIMEOUT_MS, lRemainingMs);
    curl_easy_setopt(_ptCurl, CURLOPT_ERRORBUFFER, mrtTransfer._acError);
    curl_easy_setopt(_ptCurl, CURLOPT_HEADERFUNCTION, &KxwEngineHttpClient::OnHeaderLine);
    curl_easy_setopt(_ptCurl, CURLOPT_HEADERDATA, &mrtTransfer);
    curl_easy_setopt(_ptCurl, CURLOPT_WRITEFUNCTION, &KxwEngineHttpClient::OnBody);
    curl_easy_setopt(_ptCurl, CURLOPT_WRITEDATA, &mrtTransfer);
    curl_easy_setopt(_ptCurl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(rtRequest._nMaxBodyBytes));
    // Every encoding curl can decode is offered; the size limit applies to the decoded body.
    curl_easy_setopt(_ptCurl, CURLOPT_ACCEPT_ENCODING, "");
    // https: the system's certificates (its certificate folder stays trusted) and the request's own file.
    curl_easy_setopt(_ptCurl, CURLOPT_SSL_VERIFYPEER, rtRequest._bTlsVerifyPeer ? 1L : 0L);
    curl_easy_setopt(_ptCurl, CURLOPT_SSL_VERIFYHOST, rtRequest._bTlsVerifyPeer ? 2L : 0L);
    if (!rtRequest._dsTlsCaFile.empty() && !HasLineBreak(rtRequest._dsTlsCaFile))
        curl_easy_setopt(_ptCurl, CURLOPT_CAINFO, rtRequest._dsTlsCaFile.c_str());
    if (!rtRequest._dsUserAgent.empty()) curl_easy_setopt(_ptCurl, CURLOPT_USERAGENT, rtRequest._dsUserAgent.c_str());
    if (!rtRequest._dsReferrer.empty() && !HasLineBreak(rtRequest._dsReferrer))
        curl_easy_setopt(_ptCurl, CURLOPT_REFERER, rtRequest._dsReferrer.c_str());

    curl_slist* ptHeaders = nullptr;
    auto AddHeader = [&](const std::string& mdsLine) {
        if (curl_slist* ptNew = curl_slist_append(ptHeaders, mdsLine.c_str())) ptHeaders = ptNew;
    };
    AddHeader("Accept: */*");
    std::string dsCookies =
        _ptCookieJar ? _ptCookieJar->GetCookies(mrtTransfer._dsUrl, KxwEngineCookieJar::kFromHttp) : std::string();
    if (!dsCookies.empty()) AddHeader("Cookie: " + dsCookies);
    if (mrtTransfer._bPost) {
        curl_easy_setopt(_ptCurl, CURLOPT_POST, 1L);
        curl_easy_setopt(_ptCurl, CURLOPT_POSTFIELDS, rtRequest._dsBody.data());
        curl_easy_setopt(_ptCurl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(rtRequest._dsBody.size()));
        const std::string& rdsType = rtRequest._dsBodyContentType;
        AddHeader("Content-Type: " + (rdsType.empty() || HasLineBreak(rdsType)
                                          ? std::string("application/x-www-form-urlencoded")
                                          : rdsType));
        // A browser sends its form at once rather than waiting for the server to ask for it.
        AddHeader("Expect:");
    }
    // A header that would break the request into two is not sent.
    for (const auto& rtHeader : rtRequest._tHeaders)
        if (!rtHeader.first.empty() && !HasLineBreak(rtHeader.first) && !HasLineBreak(rtHeader.second) &&
            rtHeader.first.find(':') == std::string::npos)
            AddHeader(rtHeader.first + ": " + rtHeader.second);
    curl_easy_setopt(_ptCurl, CURLOPT_HTTPHEADER, ptHeaders);

    CURLcode eCode = curl_easy_perform(_ptCurl);
    curl_easy_setopt(_ptCurl, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(ptHeaders);
    curl_easy_setopt(_ptCurl, CURLOPT_RESOLVE, nullptr);
    curl_slist_free_all(ptResolve);
    long lConnects = 0;
    if (curl_easy_getinfo(_ptCurl, CURLINFO_NUM_CONNECTS, &lConnects) == CURLE_OK)
        rtResponse._lNewConnections += lConnects;
    if (eCode == CURLE_OK && mrtTransfer._bFinal) return true;

    std::string dsDetail = mrtTransfer._acError[0] ? mrtTransfer._acError : curl_easy_strerror(eCode);
    if (mrtTransfer._bAborted)
        return xfbKxwEngineFetchFail(&rtResponse, KXW_ENGINE_FETCH_ABORTED, mrtTransfer._dsUrl, "the load was stopped");
    if (mrtTransfer._bTooLarge || eCode == CURLE_FILESIZE_EXCEEDED)
        return xfbKxwEngineFetchFail(
            &rtResponse, KXW_ENGINE_FETCH_BODY_TOO_LARGE, mrtTransfer._dsUrl,
            "the response is larger than " + std::to_string(rtRequest._nMaxBodyBytes) + " bytes");
    if (mrtTransfer._bHeadersTooLarge)
        return xfbKxwEngineFetchFail(
            &rtResponse, KXW_ENGINE_FETCH_PROTOCOL, mrtTransfer._dsUrl,
            "the response's headers are larger than " + std::to_string(knMaxHeaderBytes) + " bytes");
    if (eCode == CURLE_OK)
        return xfbKxwEngineFetchFail(&rtResponse, KXW_ENGINE_FETCH_PROTOCOL, mrtTransfer._dsUrl,
                                     "the server's answer has no status");
    KXW_ENGINE_FETCH_ERROR_ENUM eError = KXW_ENGINE_FETCH_PROTOCOL;
    std::string dsReason = "the transfer failed";
    for (const CurlErrorRow& rtRow : katCurlErrors)
        if (rtRow._eCode == eCode) {
            eError = rtRow._eError;
            dsReason = rtRow._pszReason;
        }
    // The limit the request set (the connect's when no connection was made in it), not what was left for this hop.
    if (eError == KXW_ENGINE_FETCH_TIMEOUT) {
        // The connect phase (the TLS handshake included) ends where the request is about to go out.
        curl_off_t llPretransferUs = 0;
        bool bConnected = curl_easy_getinfo(_ptCurl, CURLINFO_PRETRANSFER_TIME_T, &llPretransferUs) == CURLE_OK &&
                          llPretransferUs > 0;
        bool bConnectLimit = !bConnected && static_cast<long>(rtRequest._uConnectTimeoutMs) < lRemainingMs;
        dsReason +=
            " (" + std::to_string(bConnectLimit ? rtRequest._uConnectTimeoutMs : rtRequest._uTimeoutMs) + " ms)";
    }
    return xfbKxwEngineFetchFail(&rtResponse, eError, mrtTransfer._dsUrl,
                                 dsReason + ": " + xfdsKxwEngineEscapeForLog(dsDetail, 500));
}

bool KxwEngineHttpClient::Fetch(const KxwEngineFetchRequest& mrtRequest, KxwEngineFetchListener* mptListener,
                                KxwEngineFetchResponse* mptResponse) {
    *mptResponse = KxwEngineFetchResponse();
    std::string dsUrl = EscapeUrlBytes(mrtRequest._dsUrl), dsFragment;
    SplitFragment(dsUrl, &dsUrl, &dsFragment);
    mptResponse->_dsFinalUrl = dsUrl + dsFragment;
    if (!IsHttpUrl(dsUrl))
        return xfbKxwEngineFetchFail(mptResponse, KXW_ENGINE_FETCH_BAD_REQUEST, dsUrl,
                                     "not an http: or https: URL with a host");
    bool bPost = mrtRequest._dsMethod == "POST";
    if (!bPost && mrtRequest._dsMethod != "GET")
        return xfbKxwEngineFetchFail(mptResponse, KXW_ENGINE_FETCH_BAD_REQUEST, dsUrl,
                                     "the method " + mrtRequest._dsMethod + " is not one a browser loads with");
    if (!_ptCurl)
        return xfbKxwEngineFetchFail(mptResponse, KXW_ENGINE_FETCH_CONNECT, dsUrl, "the HTTP client is not available");

    Transfer tTransfer(mrtRequest, mptListener, mptResponse, _ptCookieJar);
    // The handle outlives the transfer: when the transfer ends, however it ends, the handle lets go of its error
    // buffer and its callbacks' data, which curl may still write into when it closes a connection
    // later (the end of the virtual user's handle, a connection the server dropped).
    struct HandleRelease {
        CURL* _ptCurl;
        ~HandleRelease() { curl_easy_reset(_ptCurl); }
    } tRelease{_ptCurl};
    tTransfer._tDeadline = SteadyClock::now() + std::chrono::milliseconds(mrtRequest._uTimeoutMs);
    tTransfer._dsUrl = dsUrl;
    tTransfer._bPost = bPost;
    for (;;) {
        if (!TransferOnce(tTransfer)) return false;
        if (!tTransfer.IsRedirect()) break;
        KxwEngineFetchHop tHop;
        tHop._dsFromUrl = tTransfer._dsUrl;
        tHop._iStatus = tTransfer._iStatus;
        std::string dsTarget;
        if (!ResolveLocation(tTransfer._dsUrl, *tTransfer.FindHeader("Location"), &dsTarget) || !IsHttpUrl(dsTarget))
            return xfbKxwEngineFetchFail(mptResponse, KXW_ENGINE_FETCH_BAD_REDIRECT, tTransfer._dsUrl,
                                         "the server redirects to \"" +
                                             xfdsKxwEngineEscapeForLog(*tTransfer.FindHeader("Location"), 500) +
                                             "\", which is not an http: or https: URL");
        if (mptResponse->_tRedirects.size() >= mrtRequest._uMaxRedirects)
            return xfbKxwEngineFetchFail(mptResponse, KXW_ENGINE_FETCH_TOO_MANY_REDIRECTS, mrtRequest._dsUrl,
                                         "more than " + std::to_string(mrtRequest._uMaxRedirects) + " redirects");
        std::string dsTargetFragment;
        SplitFragment(dsTarget, &dsTarget, &dsTargetFragment);
        // A target without a fragment of its own keeps the one the load started with.
        if (!dsTargetFragment.empty()) dsFragment = dsTargetFragment;
        tHop._dsToUrl = dsTarget + dsFragment;
        mptResponse->_tRedirects.push_back(tHop);
        mptResponse->_dsFinalUrl = tHop._dsToUrl;
        if (mptListener && !mptListener->OnRedirect(tHop))
            return xfbKxwEngineFetchFail(mptResponse, KXW_ENGINE_FETCH_ABORTED, tHop._dsToUrl, "the load was stopped");
        // As browsers do: 303 always, and 301 and 302 of a POST, go on as a GET without the body.
        if (tHop._iStatus == 303 || tHop._iStatus == 301 || tHop._iStatus == 302) tTransfer._bPost = false;
        tTransfer._dsUrl = dsTarget;
    }
    if (mptResponse->_iStatus >= 400)
        return xfbKxwEngineFetchFail(mptResponse, KXW_ENGINE_FETCH_HTTP_STATUS, mptResponse->_dsFinalUrl,
                                     "HTTP " + std::to_string(mptResponse->_iStatus) +
                                         (mptResponse->_dsStatusText.empty()
                                              ? std::string()
                                              : " " + xfdsKxwEngineEscapeForLog(mptResponse->_dsStatusText, 200)));
    return true;
}
