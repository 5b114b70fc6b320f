#include "KxwEngineFetch.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "KxwEngineHttpClient.h"
#include "KxwEnginePageSource.h"
#include "KxwUtilEscape.h"
#include "KxwiUrl.h"
#include "kxw/KxwiRunTimeSettings.h"

void KxwEngineFetchRequest::ApplySettings(const KxwiRunTimeSettings& mrtRTS) {
    _uConnectTimeoutMs = mrtRTS.GetConnectTimeoutMs();
    _uTimeoutMs = mrtRTS.GetDownloadTimeoutMs();
    _dsUserAgent = mrtRTS.GetActualBrowserIdString();
    _bTlsVerifyPeer = mrtRTS.GetTlsVerifyPeer();
    _dsTlsCaFile = mrtRTS.GetTlsCaFile();
}

const std::string* KxwEngineFetchResponse::FindHeader(const char* mpszName) const {
    size_t nName = std::strlen(mpszName);
    for (const auto& rtHeader : _tHeaders)
        if (rtHeader.first.size() == nName && strncasecmp(rtHeader.first.c_str(), mpszName, nName) == 0)
            return &rtHeader.second;
    return nullptr;
}

void KxwEngineFetchResponse::SetContentType(const std::string& mdsValue) {
    _dsMediaType = xfdsKxwEngineMediaType(mdsValue.data(), mdsValue.size());
    _dsCharset = xfdsKxwEngineContentTypeCharset(mdsValue.data(), mdsValue.size());
    _eContentClass = xfeKxwEngineContentClass(_dsMediaType);
    _eContentKind = xfeKxwEngineContentKind(_dsMediaType);
}

std::string xfdsKxwEngineEscapeForLog(const std::string& mdsText, size_t mnMaxLen) {
    // A byte takes at most four characters: a short text needs no buffer of the longest length.
    std::string dsResult(std::min(mnMaxLen, mdsText.size() * 4) + 1, '\0');
    size_t nFull = xfnKxwUtilCStyleEncodeBuf(mdsText.data(), mdsText.size(), &dsResult[0], dsResult.size());
    dsResult.resize(std::strlen(dsResult.c_str()));
    if (nFull > mnMaxLen) dsResult += "...";
    return dsResult;
}

bool xfbKxwEngineFetchFail(KxwEngineFetchResponse* mptResponse, KXW_ENGINE_FETCH_ERROR_ENUM meError,
                           const std::string& mdsUrl, const std::string& mdsReason) {
    mptResponse->_eError = meError;
    mptResponse->_dsError = "cannot load " + xfdsKxwEngineEscapeForLog(mdsUrl) + ": " + mdsReason;
    return false;
}

KxwEngineFetcher::KxwEngineFetcher() = default;

KxwEngineFetcher::~KxwEngineFetcher() = default;

bool KxwEngineFetcher::Fetch(const KxwEngineFetchRequest& mrtRequest, KxwEngineFetchListener* mptListener,
                             KxwEngineFetchResponse* mptResponse) {
    int iSchemeLen = 0;
    switch (xfeKxwiUrlDetectUriScheme(mrtRequest._dsUrl.data(), mrtRequest._dsUrl.size(), &iSchemeLen)) {
        case KXWI_URL_SCHEME_FILE:
            return FetchFile(mrtRequest, mptListener, mptResponse);
        case KXWI_URL_SCHEME_HTTP:
        case KXWI_URL_SCHEME_HTTPS:
            if (!_ptHttpClient) _ptHttpClient = std::make_unique<KxwEngineHttpClient>(&_tCookieJar);
            return _ptHttpClient->Fetch(mrtRequest, mptListener, mptResponse);
        case KXWI_URL_SCHEME_UNSPECIFIED:
            *mptResponse = KxwEngineFetchResponse();
            mptResponse->_dsFinalUrl = mrtRequest._dsUrl;
            return xfbKxwEngineFetchFail(mptResponse, KXW_ENGINE_FETCH_BAD_REQUEST, mrtRequest._dsUrl,
                                         "not an absolute URL");
        default:
            *mptResponse = KxwEngineFetchResponse();
            mptResponse->_dsFinalUrl = mrtRequest._dsUrl;
            return xfbKxwEngineFetchFail(mptResponse, KXW_ENGINE_FETCH_BAD_REQUEST, mrtRequest._dsUrl,
                                         "URLs of the scheme " +
                                             xfdsKxwEngineEscapeForLog(mrtRequest._dsUrl.substr(0, iSchemeLen), 40) +
                                             " are not loaded");
    }
}

namespace {

// A file's failures name its path as the player's messages always did (the path as it is: no server wrote it).
bool FailFile(KxwEngineFetchResponse* mptResponse, KXW_ENGINE_FETCH_ERROR_ENUM meError, const std::string& mdsMessage) {
    mptResponse->_eError = meError;
    mptResponse->_dsError = mdsMessage;
    return false;
}

}  // namespace

bool KxwEngineFetcher::FetchFile(const KxwEngineFetchRequest& mrtRequest, KxwEngineFetchListener* mptListener,
                                 KxwEngineFetchResponse* mptResponse) {
    *mptResponse = KxwEngineFetchResponse();
    const std::string& rdsUrl = mrtRequest._dsUrl;
    mptResponse->_dsFinalUrl = rdsUrl;
    std::string dsPath;
    if (!xfbKxwEngineFileUrlToPath(rdsUrl, &dsPath))
        return FailFile(mptResponse, KXW_ENGINE_FETCH_BAD_REQUEST, "not a file: URL this player can read: " + rdsUrl);
    std::FILE* ptFile = std::fopen(dsPath.c_str(), "rb");
    if (!ptFile)
        return FailFile(mptResponse, KXW_ENGINE_FETCH_FILE, "cannot read " + dsPath + ": " + std::strerror(errno));
    std::string dsBytes;
    char acBuf[65536];
    size_t nRead;
    bool bTooLarge = false;
    while ((nRead = std::fread(acBuf, 1, sizeof acBuf, ptFile)) > 0) {
        if (dsBytes.size() + nRead > mrtRequest._nMaxBodyBytes) {
            bTooLarge = true;
            break;
        }
        dsBytes.append(acBuf, nRead);
    }
    bool bError = std::ferror(ptFile) != 0;
    std::fclose(ptFile);
    if (bTooLarge)
        return FailFile(mptResponse, KXW_ENGINE_FETCH_BODY_TOO_LARGE,
                        dsPath + " is larger than " + std::to_string(mrtRequest._nMaxBodyBytes) + " bytes");
    if (bError) return FailFile(mptResponse, KXW_ENGINE_FETCH_FILE, "cannot read " + dsPath);
    // A file says nothing of its type but its name; the player reads every file as a page, as it always did.
    mptResponse->_iStatus = 200;
    mptResponse->_dsStatusText = "OK";
    mptResponse->SetContentType(xfpszKxwEngineMediaTypeOfFile(dsPath));
    mptResponse->_eContentClass = KXW_ENGINE_CONTENT_CLASS_UNKNOWN;
    if (mptListener && !mptListener->OnResponseHeaders(*mptResponse))
        return xfbKxwEngineFetchFail(mptResponse, KXW_ENGINE_FETCH_ABORTED, rdsUrl, "the load was stopped");
    if (mptListener && !dsBytes.empty() && !mptListener->OnBodyBytes(dsBytes.data(), dsBytes.size()))
        return xfbKxwEngineFetchFail(mptResponse, KXW_ENGINE_FETCH_ABORTED, rdsUrl, "the load was stopped");
    if (mrtRequest._bAccumulateBody) mptResponse->_dsBody.swap(dsBytes);
    return true;
}
