// One load of a URL as the engine's load queue asks for it and as the virtual user's network gives it back: the
// request, the response with its redirects, the callbacks a caller follows the load with, and the entry point
// that dispatches by scheme (file: from the disk, http: and https: through the virtual user's HTTP client with its
// cookie jar). Every outcome is a response: a failure carries a message that names the URL and the reason,
// formatted for the library's OnTaskDownloadFailed and the player's step reasons, with nothing a server sent left
// unescaped.
//
// How the load queue maps a load onto the DOM command: OnRedirect of each hop is the command's
// OnTaskRedirection; OnResponseHeaders gives the content-type class (SetContentType) and the charset before any
// body byte (OnTaskStartDownload); OnBodyBytes is OnTaskResponseBodyBuffer; a response with _eError set is
// OnTaskDownloadFailed with _dsError, any other OnTaskDownloadComplete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "KxwEngineContentType.h"
#include "KxwEngineCookieJar.h"

class KxwEngineHttpClient;
class KxwiRunTimeSettings;

using KxwEngineHeaders = std::vector<std::pair<std::string, std::string>>;

struct KxwEngineFetchRequest {
    // Pages larger than this are refused rather than held in memory whole.
    static constexpr size_t knDefaultMaxBodyBytes = 64u * 1024 * 1024;
    static constexpr unsigned kuDefaultMaxRedirects = 20;

    std::string _dsMethod = "GET";  // GET or POST
    std::string _dsUrl;
    std::string _dsBody;             // POST
    std::string _dsBodyContentType;  // POST; application/x-www-form-urlencoded when empty
    std::string _dsReferrer;
    KxwEngineHeaders _tHeaders;  // sent as they are, after the engine's own
    std::string _dsUserAgent;
    uint32_t _uConnectTimeoutMs = 30000;
    uint32_t _uTimeoutMs = 120000;  // the whole load, its redirects included
    size_t _nMaxBodyBytes = knDefaultMaxBodyBytes;
    unsigned _uMaxRedirects = kuDefaultMaxRedirects;
    // https: the server's certificate must be trusted (by the system's certificates or those of _dsTlsCaFile, a PEM
    // file); false accepts any.
    bool _bTlsVerifyPeer = true;
    std::string _dsTlsCaFile;
    // False when the caller takes the body from OnBodyBytes alone.
    bool _bAccumulateBody = true;

    // Timeouts, TLS trust and the browser's identity from the virtual user's settings.
    void ApplySettings(const KxwiRunTimeSettings& mrtRTS);
};

enum KXW_ENGINE_FETCH_ERROR_ENUM {
    KXW_ENGINE_FETCH_OK = 0,
    KXW_ENGINE_FETCH_BAD_REQUEST,         // not a URL or method that can be loaded (a scheme without a loader)
    KXW_ENGINE_FETCH_FILE,                // a file: page that cannot be read
    KXW_ENGINE_FETCH_DNS,                 // the host name does not resolve
    KXW_ENGINE_FETCH_CONNECT,             // no connection to the server
    KXW_ENGINE_FETCH_TIMEOUT,             // the connect or the whole load took too long
    KXW_ENGINE_FETCH_TLS,                 // the secure connection failed (handshake, certificate)
    KXW_ENGINE_FETCH_TOO_MANY_REDIRECTS,  // more redirects than the request allows
    KXW_ENGINE_FETCH_BAD_REDIRECT,        // a redirect without a usable target
    KXW_ENGINE_FETCH_BODY_TOO_LARGE,
    KXW_ENGINE_FETCH_PROTOCOL,     // the server closed the connection or answered something that is not HTTP
    KXW_ENGINE_FETCH_HTTP_STATUS,  // a complete response whose status is 400 or above
    KXW_ENGINE_FETCH_ABORTED,      // a callback of the caller stopped the load
    KXW_ENGINE_FETCH_FILTERED,     // not asked for: a subresource on a host the settings leave out
};

// One redirect as it happens: the URL that answered, its status, and the absolute URL it sends the load to.
struct KxwEngineFetchHop {
    std::string _dsFromUrl;
    int _iStatus = 0;
    std::string _dsToUrl;
};

struct KxwEngineFetchResponse {
    KXW_ENGINE_FETCH_ERROR_ENUM _eError = KXW_ENGINE_FETCH_OK;
    // "cannot load URL: reason" (a file: page: "cannot read PATH: reason", as the player always said), escaped;
    // empty without an error.
    std::string _dsError;
    int _iStatus = 0;  // of the last response; 200 for a file; 0 when none came
    std::string _dsStatusText;
    std::string _dsFinalUrl;  // after the redirects
    std::vector<KxwEngineFetchHop> _tRedirects;
    KxwEngineHeaders _tHeaders;  // of the last response, as received
    std::string _dsBody;
    std::string _dsMediaType;  // lower case, without parameters; empty when the response named none
    std::string _dsCharset;    // of the Content-Type header, canonical; empty when it names none the engine knows
    // What the DOM command is told (a file: page is always UNKNOWN: read as a page whatever its name).
    KXW_ENGINE_CONTENT_CLASS_ENUM _eContentClass = KXW_ENGINE_CONTENT_CLASS_UNKNOWN;
    // What the media type is: html, script, css, image, xml, text or other.
    KXW_ENGINE_CONTENT_KIND_ENUM _eContentKind = KXW_ENGINE_CONTENT_KIND_OTHER;
    // Connections the load opened (0 when it reused the virtual user's open ones).
    long _lNewConnections = 0;

    bool IsOK() const { return _eError == KXW_ENGINE_FETCH_OK; }
    // Media type, charset, class and kind from a Content-Type value (empty: the response has none).
    void SetContentType(const std::string& mdsValue);
    // The first header of that name (ASCII case ignored), or null.
    const std::string* FindHeader(const char* mpszName) const;
};

// Follows a load as it happens. Each callback may stop it by returning false (the response then ends with
// KXW_ENGINE_FETCH_ABORTED).
class KxwEngineFetchListener {
public:
    virtual ~KxwEngineFetchListener() = default;
    // A redirect, before it is followed; cookies the redirecting response set are stored already.
    virtual bool OnRedirect(const KxwEngineFetchHop& mrtHop) {
        (void)mrtHop;
        return true;
    }
    // The final response's status, headers, content type, class and charset are known; no body byte came yet.
    virtual bool OnResponseHeaders(const KxwEngineFetchResponse& mrtResponse) {
        (void)mrtResponse;
        return true;
    }
    // Bytes of the final response's body as they arrive.
    virtual bool OnBodyBytes(const char* mpsfBytes, size_t mnLen) {
        (void)mpsfBytes;
        (void)mnLen;
        return true;
    }
};

// The loads of one virtual user: its cookie jar and its HTTP client (made on the first http: or https: load, and
// kept, with its open connections, for the user's life). Used by the virtual user's thread only.
class KxwEngineFetcher {
public:
    KxwEngineFetcher();
    ~KxwEngineFetcher();
    KxwEngineFetcher(const KxwEngineFetcher&) = delete;
    KxwEngineFetcher& operator=(const KxwEngineFetcher&) = delete;

    // Loads the request's URL. True when the response has no error; *mptResponse is complete either way.
    // mptListener may be null.
    bool Fetch(const KxwEngineFetchRequest& mrtRequest, KxwEngineFetchListener* mptListener,
               KxwEngineFetchResponse* mptResponse);

    KxwEngineCookieJar& GetCookieJar() { return _tCookieJar; }

private:
    bool FetchFile(const KxwEngineFetchRequest& mrtRequest, KxwEngineFetchListener* mptListener,
                   KxwEngineFetchResponse* mptResponse);

    KxwEngineCookieJar _tCookieJar;
    std::unique_ptr<KxwEngineHttpClient> _ptHttpClient;
};

// Ends a response as failed: its error, and the message "cannot load URL: reason" (both escaped for a log line).
bool xfbKxwEngineFetchFail(KxwEngineFetchResponse* mptResponse, KXW_ENGINE_FETCH_ERROR_ENUM meError,
                           const std::string& mdsUrl, const std::string& mdsReason);
// A text from outside (a server, a page) made safe for a log line: printable ASCII stays, other bytes and quotes
// are escaped C-style, and the text is cut to mnMaxLen bytes of its escaped form.
std::string xfdsKxwEngineEscapeForLog(const std::string& mdsText, size_t mnMaxLen = 2000);
