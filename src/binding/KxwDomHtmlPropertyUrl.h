// A URL attribute (href, src, action): the URL as written stays in the base string; its absolute form and its
// parts are worked out on demand and cached until the value changes.
#pragma once

#include "KxwDomHtmlProperty.h"

class KxwiUrlCrack;
class KxwDomBaseUrlSource;
class KxwDomHtmlTextsStr;

class KxwDomHtmlPropertyUrl : public KxwDomHtmlPropertyStr {
public:
    // mptBaseUrlSource is the owning node, which gives the base URL; it may be null (relative URLs then fail to
    // resolve) and may be set later.
    KxwDomHtmlPropertyUrl(KxwDomStrEnvApi& mrtStrEnv, KxwDomBaseUrlSource* mptBaseUrlSource);
    ~KxwDomHtmlPropertyUrl() override;

    void SetBaseUrlSource(KxwDomBaseUrlSource* mptBaseUrlSource);
    // Forgets the absolute URL and every part; the owning node calls it when its base URL changes.
    void ClearCaches();

    // The value as written when it has a scheme, else the value resolved against the node's base URL. Unspecified
    // (and empty) when the property is, or when the URL cannot be resolved.
    const KxwDomHtmlPropertyStr& GetAbsoluteUrl() const;
    // Parts of the absolute URL. A part the URL does not have is unspecified.
    const KxwDomHtmlPropertyStr& GetProtocol() const;  // "http:"
    const KxwDomHtmlPropertyStr& GetHostName() const;
    const KxwDomHtmlPropertyStr& GetHost() const;      // host name and port, the port always written
    const KxwDomHtmlPropertyStr& GetPort() const;      // the port written, else the scheme's default
    const KxwDomHtmlPropertyStr& GetPathName() const;  // without its leading slash and without the query
    const KxwDomHtmlPropertyStr& GetSearch() const;    // with its '?'

    // Replace one part and rebuild the absolute URL from the parts; nothing happens while the property is
    // unspecified. The host may carry a port ("name:8080").
    virtual void SetProtocol(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    virtual void SetHost(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    virtual void SetPortA(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    virtual void SetSearch(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);

    // Stores the absolute URL (the caches are cleared first); the emulated Internet Explorer shows it
    // percent-unescaped.
    void SetAbsoluteUrlAndUnescapeIfIE(const char* mpsfDcsStr, unsigned muDcsLenInBytes);

    KxwDomHtmlPropertyUrl& operator=(KxwDomPropertyInfo& mrtPropertyInfo);

protected:
    void ValueChanging() override { ClearCaches(); }

private:
    enum class UrlPart { kProtocol, kHost, kPort, kSearch };

    // The crack of the absolute URL, made once per change.
    const KxwiUrlCrack& Crack() const;
    void ReplacePartAndRebuild(UrlPart mePart, const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    // Stores a part given by a script, in the form the rebuilt URL needs.
    void StoreNewPart(UrlPart mePart, const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    void BuildUrlFromParts(const KxwiUrlCrack& mrtCrack, KxwDomHtmlTextsStr& mrtUrl) const;

    mutable KxwDomHtmlPropertyStr _tAbsoluteUrl;
    mutable KxwDomHtmlPropertyStr _tProtocol;
    KxwDomBaseUrlSource* _ptBaseUrlSource;
    mutable KxwiUrlCrack* _ptUrlCrack = nullptr;
    mutable KxwDomHtmlPropertyStr _tHostName;
    mutable KxwDomHtmlPropertyStr _tPathName;
    mutable KxwDomHtmlPropertyStr _tHost;
    mutable KxwDomHtmlPropertyStr _tPort;
    mutable KxwDomHtmlPropertyStr _tSearch;
    mutable bool _bCrackCurrent = false;
};
