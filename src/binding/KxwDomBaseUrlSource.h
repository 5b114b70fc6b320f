// What a URL property asks its owning node for: the base URL that relative URLs of the node resolve against.
#pragma once

class KxwDomBaseUrlSource {
public:
    virtual ~KxwDomBaseUrlSource() = default;
    // The base URL as DCS text (not necessarily NUL-terminated) and its length in bytes; false when there is none.
    // The text must stay valid until the node changes.
    virtual bool GetBaseUrlDcs(const char** mppsfUrl, unsigned* mpnLen) = 0;
};
