// The cookies of one virtual user, kept by the engine itself: what Set-Cookie headers of every response (redirects
// included) and the page's document.cookie writes store, and what a request's Cookie header and a document.cookie
// read give back, by the rules browsers follow (host-only and domain cookies, default paths, Secure, HttpOnly,
// Expires and Max-Age). The clock can be replaced, so that expiry is tried without waiting. Used by the virtual
// user's thread only; a full iteration reset clears it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct KxwEngineCookie {
    std::string _dsName;
    std::string _dsValue;
    std::string _dsDomain;  // lower case, without a leading dot
    std::string _dsPath;
    int64_t _llExpiresMs = INT64_MAX;  // milliseconds since 1970 (UTC); INT64_MAX for a session cookie
    int64_t _llCreationMs = 0;
    uint64_t _ullCreationOrder = 0;  // orders cookies made within the same millisecond
    bool _bHostOnly = true;          // sent to the host that set it only, not to its subdomains
    bool _bSecure = false;
    bool _bHttpOnly = false;
    bool _bPersistent = false;  // had an expiry of its own
};

class KxwEngineCookieJar {
public:
    // Milliseconds since 1970 (UTC).
    using Clock = std::function<int64_t()>;

    // Who hands a cookie in or asks for them: a response (all cookies), or a page's script (document.cookie: never
    // HttpOnly ones).
    enum Source {
        kFromHttp,
        kFromScript,
    };

    // Limits that keep a server that sends cookies without end from filling the memory: the bytes of a cookie's
    // name and value, the cookies of one domain (the oldest goes), all cookies.
    static constexpr size_t knMaxCookieBytes = 4096;
    static constexpr size_t knMaxCookiesPerDomain = 50;
    static constexpr size_t knMaxCookies = 3000;

    // Without a clock the jar reads the system's.
    explicit KxwEngineCookieJar(Clock mtClock = Clock());

    // Stores the cookie of one Set-Cookie header value (or one document.cookie assignment) received for a URL of
    // http: or https:. False when it is refused, with the reason (which never repeats the page's text) in
    // *mpdsReason when given; a cookie that expired on arrival deletes its namesake and counts as stored.
    bool Store(const std::string& mdsUrl, const char* mpsfText, size_t mnLen, Source meSource,
               std::string* mpdsReason = nullptr);
    // The cookies a request to the URL sends (kFromHttp: the Cookie header's value) or a document of that URL
    // reads (kFromScript), as "name=value; name2=value2": longer paths first, then the older first. Empty for
    // none.
    std::string GetCookies(const std::string& mdsUrl, Source meFor);

    void Clear();
    // The cookies held, expired ones included until a read or store drops them.
    const std::vector<KxwEngineCookie>& GetAll() const { return _tCookies; }

    // A date of a cookie's Expires attribute as browsers read it (RFC 6265, 5.1.1); false when it is not one.
    static bool ParseCookieDate(const char* mpsfText, size_t mnLen, int64_t* mpllMs);

private:
    int64_t Now() const;
    void DropExpired(int64_t mllNow);
    void EnforceLimits(const std::string& mdsDomain);

    Clock _tClock;
    std::vector<KxwEngineCookie> _tCookies;
    uint64_t _ullNextOrder = 1;
};
