// The HTTP(S) client of one virtual user, on libcurl: one easy handle for every request of the user, so that its
// connections and name lookups are kept from one load to the next. Redirects are followed here, hop by hop, so
// that each hop's cookies reach the jar and each hop is reported to the caller; curl's own cookie engine and
// redirect following stay off. No thread but the caller's: a load runs on the calling (virtual user's) thread until
// it completes, fails or times out, and host names are looked up on it too (getaddrinfo, whose own resolver
// timeouts apply rather than the request's) and handed to curl, so that curl's threaded resolver never starts.
// Proxies named by the environment are not used.
#pragma once

#include <chrono>
#include <string>
#include <unordered_map>

#include <string>

#include "KxwEngineFetch.h"

typedef void CURL;

class KxwEngineHttpClient {
public:
    // Headers the client keeps of one response; a server that sends more is treated as broken.
    static constexpr size_t knMaxHeaderBytes = 256 * 1024;

    // mptCookieJar (may be null: no cookies are sent or kept) outlives the client.
    explicit KxwEngineHttpClient(KxwEngineCookieJar* mptCookieJar);
    ~KxwEngineHttpClient();
    KxwEngineHttpClient(const KxwEngineHttpClient&) = delete;
    KxwEngineHttpClient& operator=(const KxwEngineHttpClient&) = delete;

    // Loads an http: or https: URL, following redirects. True when the response has no error.
    bool Fetch(const KxwEngineFetchRequest& mrtRequest, KxwEngineFetchListener* mptListener,
               KxwEngineFetchResponse* mptResponse);

    // libcurl's process-wide start, once per process whichever thread asks first; false when it failed. The
    // player calls it before its virtual users start.
    static bool GlobalInit();
    // Its end, once no client is left and none will be made again.
    static void GlobalTerm();

private:
    struct Transfer;
    static size_t OnHeaderLine(char* mpsfData, size_t mnSize, size_t mnCount, void* mpvTransfer);
    static size_t OnBody(char* mpsfData, size_t mnSize, size_t mnCount, void* mpvTransfer);
    // One request of the chain; false ends the chain (the response then says why).
    bool TransferOnce(Transfer& mrtTransfer);
    // The host's addresses for curl, from the virtual user's own lookups of the last minute when it has one (a
    // page of a hundred images of a host that does not resolve waits for its name once, as a browser does).
    bool Resolve(const std::string& mdsUrl, std::string* mpdsEntry, std::string* mpdsReason);

    struct HostLookup {
        bool _bOK = false;
        std::string _dsEntryOrReason;
        std::chrono::steady_clock::time_point _tExpires;
    };
    std::unordered_map<std::string, HostLookup> _tHostLookups;

    KxwEngineCookieJar* _ptCookieJar;
    CURL* _ptCurl = nullptr;
};
