// URLs of pages, links, images, forms and frames: scheme detection, cracking an absolute URL into its parts, and
// combining a relative URL with a base URL the way the emulated browsers do. Every text comes with its length in
// bytes and need not be NUL-terminated; nothing here reads beyond the length given, and a null text with a length is
// reported as an internal error and treated as empty.
#pragma once

#include <cstddef>

#include "kxw/KxwExport.h"

class KxwU16nHandler;

// The scheme of a URL. Every value but KXWI_URL_SCHEME_UNSPECIFIED means the text is an absolute URL.
enum KXWI_URL_SCHEME_ENUM {
    KXWI_URL_SCHEME_UNSPECIFIED = -2,  // no scheme: a relative URL, or a Windows drive path such as "c:\dir"
    KXWI_URL_SCHEME_OTHER = 0,         // a well-formed scheme that is not one of the names below
    KXWI_URL_SCHEME_HTTP = 1,
    KXWI_URL_SCHEME_HTTPS = 2,
    KXWI_URL_SCHEME_FILE = 3,
    KXWI_URL_SCHEME_FTP = 4,
    KXWI_URL_SCHEME_MAILTO = 5,
    KXWI_URL_SCHEME_JAVASCRIPT = 6,
    KXWI_URL_SCHEME_ABOUT = 7,
    KXWI_URL_SCHEME_DATA = 8,
    KXWI_URL_SCHEME_RES = 9,
    KXWI_URL_SCHEME_NEWS = 10,
    KXWI_URL_SCHEME_GOPHER = 11,
    KXWI_URL_SCHEME_VBSCRIPT = 12,
};

// The scheme the text begins with: a letter, then letters, digits, '+', '-' or '.', then ':' (names compared without
// regard to ASCII case). *mpiSchemeLen (when given) receives the length of the scheme including its ':', so that
// the first *mpiSchemeLen bytes read "http:" as browsers show a protocol; 0 when unspecified. Leading blanks are not
// skipped (" http:x" is unspecified; the combiner trims them). A single letter followed by ':' and '/' or '\' is a
// Windows drive path, not a scheme: it is unspecified here, and the combiner makes a file: URL of it.
KXW_API KXWI_URL_SCHEME_ENUM xfeKxwiUrlDetectUriScheme(const char* mpsfUrlStr, size_t mnUrlLen,
                                                       int* mpiSchemeLen = nullptr);

// True for "c:\..." and "c:/..." (also "c:" alone): a local file path written the Windows way.
bool xfbKxwiUrlIsWindowsDrivePath(const char* mpsfUrlStr, size_t mnUrlLen);

// The port a URL of this scheme uses when it names none: 80 http, 443 https, 21 ftp, 0 for any other.
int xfiKxwiUrlGetDefaultPort(KXWI_URL_SCHEME_ENUM meScheme);

// The schemes whose URLs always have a host and a path and in which the emulated browsers read '\' as '/'.
bool xfbKxwiUrlIsHierarchicalScheme(KXWI_URL_SCHEME_ENUM meScheme);

// Where the parts of a URL lie in its text, as offsets [begin, end). A part that is absent is empty; the query
// begins with its '?' and the fragment with its '#'; the path keeps its leading '/'.
struct KxwiUrlParts {
    KXWI_URL_SCHEME_ENUM _eScheme = KXWI_URL_SCHEME_UNSPECIFIED;
    size_t _nSchemeLen = 0;       // with the ':'
    bool _bHasAuthority = false;  // "//" (or "\\" in a hierarchical scheme) follows the scheme
    bool _bHasUserInfo = false;   // an '@' stands in the authority
    bool _bHasPortSeparator = false;
    bool _bIsValid = true;    // false for a port that is not a number up to 65535 or an IPv6 host without its ']'
    int _iExplicitPort = -1;  // the port written in the URL, -1 when none or invalid
    size_t _nUserInfoBegin = 0, _nUserInfoEnd = 0;  // without the '@'
    size_t _nHostBegin = 0, _nHostEnd = 0;          // an IPv6 literal keeps its brackets
    size_t _nPortBegin = 0, _nPortEnd = 0;          // the digits after ':'
    size_t _nPathBegin = 0, _nPathEnd = 0;
    size_t _nQueryBegin = 0, _nQueryEnd = 0;
    size_t _nFragmentBegin = 0, _nFragmentEnd = 0;
};

// Finds the parts of a URL. A text without a scheme is read as a relative reference in which '\' is a plain
// character.
void xfvKxwiUrlParse(const char* mpsfUrlStr, size_t mnUrlLen, KxwiUrlParts* mptParts);
// Reads the whole text as a reference without scheme (also what follows "http:" in "http:x:y"); mbHierarchical says
// whether the scheme it will be resolved in reads '\' as '/'.
void xfvKxwiUrlParseRelative(const char* mpsfUrlStr, size_t mnUrlLen, bool mbHierarchical, KxwiUrlParts* mptParts);

// Lengths of the prefixes of a URL that end where its path, its query (or fragment when no query) and its fragment
// begin; the whole length when that part is absent. Used to rebuild a URL with a new path or fragment.
KXW_API size_t xfnKxwiUrlLenWithoutPath(const char* mpsfUrlStr, size_t mnUrlLen);
KXW_API size_t xfnKxwiUrlLenWithoutQueryOrFragmentID(const char* mpsfUrlStr, size_t mnUrlLen);
KXW_API size_t xfnKxwiUrlLenWithoutFragmentID(const char* mpsfUrlStr, size_t mnUrlLen);

// The number of characters, as scripts count them (UTF-16 units), of a text of mliDcsLenInBytes bytes in the charset
// of mptU16nHandler; without a handler the text is windows-1252 (one character a byte), as strings without a handler
// are. A negative length or a null text with a length is reported and gives 0.
long xfliKxwiInfraCharsLenInBytes(const char* mpsfDcsStr, long mliDcsLenInBytes, KxwU16nHandler* mptU16nHandler);

// Equal after the leading and trailing blanks of both texts are set aside (space, tab, line feed, vertical tab,
// form feed, carriage return; for UTF-16 also the no-break space, which in bytes could be part of a UTF-8 character).
bool xfbKxwiInfraMatchConsideringLeadingAndTrailingSpaces(const char* mpsfStr1, size_t mnLen1, const char* mpsfStr2,
                                                          size_t mnLen2);
bool xfbKxwiInfraMatchConsideringLeadingAndTrailingSpaces(const char16_t* mpwStr1, size_t mnLen1,
                                                          const char16_t* mpwStr2, size_t mnLen2);

// An absolute URL split into its parts. The crack keeps its own copy of the text, so every pointer it gives stays
// valid until the next Reset or the crack's end, whatever happens to the text it was made from. The parts are as
// written (no case folding, no unescaping), except that a URL with a host and an empty path in a hierarchical
// scheme reads its path as "/", as browsers show it.
class KXW_API KxwiUrlCrack {
public:
    KxwiUrlCrack() = default;
    KxwiUrlCrack(const char* mpsfUrlStr, size_t mnUrlLen);
    ~KxwiUrlCrack();
    KxwiUrlCrack(const KxwiUrlCrack&) = delete;
    KxwiUrlCrack& operator=(const KxwiUrlCrack&) = delete;

    // Cracks another URL, reusing the storage of the previous one when it is large enough.
    void Reset(const char* mpsfUrlStr, size_t mnUrlLen);

    // False when the port is not a number up to 65535 or an IPv6 host lacks its ']'; the parts are still given.
    bool IsValid() const { return _tParts._bIsValid; }

    const char* GetUrlStr() const { return _psfUrlStr; }
    size_t GetUrlLen() const { return _nUrlLen; }

    KXWI_URL_SCHEME_ENUM GetScheme() const { return _tParts._eScheme; }
    // The scheme with its ':' ("http:"); empty for a relative URL.
    const char* GetSchemeStr() const { return _psfUrlStr; }
    size_t GetSchemeLen() const { return _tParts._nSchemeLen; }

    bool HasAuthority() const { return _tParts._bHasAuthority; }
    bool HasUserInfo() const { return _tParts._bHasUserInfo; }
    const char* GetUserInfoStr() const { return PartStr(_tParts._nUserInfoBegin); }
    size_t GetUserInfoLen() const { return _tParts._nUserInfoEnd - _tParts._nUserInfoBegin; }
    // The user info split at its first ':' ("user:pass"); the password is empty when there is no ':'.
    const char* GetUserNameStr() const { return GetUserInfoStr(); }
    size_t GetUserNameLen() const;
    const char* GetPasswordStr() const;
    size_t GetPasswordLen() const;

    // The host name; an IPv6 literal keeps its brackets ("[::1]") so that host and port can be joined again.
    const char* GetHostNameStr() const { return PartStr(_tParts._nHostBegin); }
    size_t GetHostNameLen() const { return _tParts._nHostEnd - _tParts._nHostBegin; }

    // The port written in the URL, else the scheme's default (also for an empty or invalid port).
    int GetPort() const;
    bool HasExplicitPort() const { return _tParts._iExplicitPort >= 0; }
    bool IsDefaultPort() const { return GetPort() == xfiKxwiUrlGetDefaultPort(_tParts._eScheme); }

    const char* GetPathStr() const;
    size_t GetPathLen() const;
    const char* GetQueryStr() const { return PartStr(_tParts._nQueryBegin); }
    size_t GetQueryLen() const { return _tParts._nQueryEnd - _tParts._nQueryBegin; }
    const char* GetFragmentStr() const { return PartStr(_tParts._nFragmentBegin); }
    size_t GetFragmentLen() const { return _tParts._nFragmentEnd - _tParts._nFragmentBegin; }

    const KxwiUrlParts& GetParts() const { return _tParts; }

private:
    static constexpr size_t kInlineSize = 128;  // most URLs of a page fit without a heap block

    const char* PartStr(size_t mnOffset) const { return _psfUrlStr + mnOffset; }
    bool IsPathImplied() const;

    char _acInline[kInlineSize] = {};
    char* _psfUrlStr = _acInline;
    char* _psfHeapStr = nullptr;  // the copy when the URL does not fit inline
    size_t _nHeapCapacity = 0;
    size_t _nUrlLen = 0;
    KxwiUrlParts _tParts;
};

// Combines a relative URL with the base URL of its document, as the emulated browsers resolve links, images, forms,
// frames and location changes (the reference resolution of RFC 3986 in its browser form).
class KXW_API KxwiUrlCombine {
public:
    // Writes the combined URL, NUL-terminated, into mpsfBuf and its length (without the NUL) into *mpnResultLen.
    // - Blanks and control characters around either URL are ignored; tabs and line breaks inside the relative URL
    //   are dropped, as browsers drop them from attribute values.
    // - A relative URL with a scheme is returned as written, except that "http:x" against an http base (the same
    //   hierarchical scheme without "//") is resolved as "x", as browsers do. A Windows drive path becomes a file:
    //   URL.
    // - "./" and "../" segments are removed from the resulting path ("../" never climbs above the root, nor above
    //   the drive of a file: URL); '\' reads as '/' in the host and path of http, https, ftp and file URLs; a
    //   hierarchical URL with a host and an empty path gets the path "/".
    // - mbKeepFragmentID: false drops the fragment ("#...") from the result, as a request to a server needs; the
    //   text of javascript: and vbscript: URLs is kept whole, since a '#' there is part of the script.
    // Gives false, and writes nothing, when the buffer cannot hold the result and its NUL (*mpnResultLen then gives
    // the length needed, without the NUL), when the base is not an absolute URL that a reference can be resolved
    // against (empty, relative, or a mailto:/javascript:/about: URL for anything but a fragment), or for invalid
    // arguments (reported).
    static bool Combine(const char* mpsfBaseStr, size_t mnBaseLen, const char* mpsfRelativeStr, size_t mnRelativeLen,
                        char* mpsfBuf, size_t mnBufLen, size_t* mpnResultLen, bool mbKeepFragmentID = true);
};
