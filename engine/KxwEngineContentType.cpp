#include "KxwEngineContentType.h"

#include <cstring>

#include "KxwEnginePageSource.h"
#include "KxwiHtmlCharset.h"

namespace {

enum MatchKind {
    kExact,   // the whole media type
    kPrefix,  // its type and '/'
    kSuffix,  // the end of its subtype ("+xml")
    kAny,
};

struct ContentClassRow {
    MatchKind _eMatch;
    const char* _pszText;
    KXW_ENGINE_CONTENT_CLASS_ENUM _eClass;
};

// First match wins: the exact types before the families they would otherwise fall into.
constexpr ContentClassRow katContentClasses[] = {
    {kExact, "", KXW_ENGINE_CONTENT_CLASS_UNKNOWN},
    {kExact, "text/html", KXW_ENGINE_CONTENT_CLASS_HTML},
    {kExact, "text/xml", KXW_ENGINE_CONTENT_CLASS_XML},
    {kExact, "application/xml", KXW_ENGINE_CONTENT_CLASS_XML},
    {kSuffix, "+xml", KXW_ENGINE_CONTENT_CLASS_XML},
    {kExact, "application/javascript", KXW_ENGINE_CONTENT_CLASS_TEXT},
    {kExact, "application/x-javascript", KXW_ENGINE_CONTENT_CLASS_TEXT},
    {kExact, "application/ecmascript", KXW_ENGINE_CONTENT_CLASS_TEXT},
    {kExact, "application/json", KXW_ENGINE_CONTENT_CLASS_TEXT},
    {kPrefix, "text/", KXW_ENGINE_CONTENT_CLASS_TEXT},
    // Images, media, fonts, octet streams, archives and documents of other programs are downloads.
    {kAny, "", KXW_ENGINE_CONTENT_CLASS_NO_CONTEXT},
};

struct ContentKindRow {
    MatchKind _eMatch;
    const char* _pszText;
    KXW_ENGINE_CONTENT_KIND_ENUM _eKind;
};

// First match wins, as for the classes.
constexpr ContentKindRow katContentKinds[] = {
    {kExact, "", KXW_ENGINE_CONTENT_KIND_OTHER},
    {kExact, "text/html", KXW_ENGINE_CONTENT_KIND_HTML},
    {kExact, "text/css", KXW_ENGINE_CONTENT_KIND_CSS},
    {kExact, "text/javascript", KXW_ENGINE_CONTENT_KIND_SCRIPT},
    {kExact, "text/ecmascript", KXW_ENGINE_CONTENT_KIND_SCRIPT},
    {kExact, "text/jscript", KXW_ENGINE_CONTENT_KIND_SCRIPT},
    {kExact, "text/x-javascript", KXW_ENGINE_CONTENT_KIND_SCRIPT},
    {kExact, "application/javascript", KXW_ENGINE_CONTENT_KIND_SCRIPT},
    {kExact, "application/x-javascript", KXW_ENGINE_CONTENT_KIND_SCRIPT},
    {kExact, "application/ecmascript", KXW_ENGINE_CONTENT_KIND_SCRIPT},
    {kPrefix, "image/", KXW_ENGINE_CONTENT_KIND_IMAGE},
    {kExact, "text/xml", KXW_ENGINE_CONTENT_KIND_XML},
    {kExact, "application/xml", KXW_ENGINE_CONTENT_KIND_XML},
    {kSuffix, "+xml", KXW_ENGINE_CONTENT_KIND_XML},
    {kExact, "application/json", KXW_ENGINE_CONTENT_KIND_TEXT},
    {kPrefix, "text/", KXW_ENGINE_CONTENT_KIND_TEXT},
    {kAny, "", KXW_ENGINE_CONTENT_KIND_OTHER},
};

struct ExtensionRow {
    const char* _pszExtension;
    const char* _pszMediaType;
};

constexpr ExtensionRow katExtensions[] = {
    {".html", "text/html"},        {".htm", "text/html"},
    {".xml", "text/xml"},          {".js", "application/javascript"},
    {".css", "text/css"},          {".txt", "text/plain"},
    {".json", "application/json"}, {".png", "image/png"},
    {".gif", "image/gif"},         {".jpg", "image/jpeg"},
    {".jpeg", "image/jpeg"},       {".bmp", "image/bmp"},
    {".ico", "image/x-icon"},      {".svg", "image/svg+xml"},
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool EndsWith(const std::string& mdsText, const char* mpszEnd) {
    size_t nEnd = std::strlen(mpszEnd);
    return mdsText.size() >= nEnd && mdsText.compare(mdsText.size() - nEnd, nEnd, mpszEnd) == 0;
}

bool Matches(MatchKind meMatch, const char* mpszText, const std::string& mdsMediaType) {
    switch (meMatch) {
        case kExact:
            return mdsMediaType == mpszText;
        case kPrefix:
            return mdsMediaType.compare(0, std::strlen(mpszText), mpszText) == 0;
        case kSuffix:
            return EndsWith(mdsMediaType, mpszText);
        case kAny:
            return true;
    }
    return false;
}

}  // namespace

std::string xfdsKxwEngineMediaType(const char* mpsfValue, size_t mnLen) {
    std::string dsType;
    size_t n = 0;
    while (n < mnLen && IsBlank(mpsfValue[n])) ++n;
    for (; n < mnLen && mpsfValue[n] != ';' && mpsfValue[n] != ','; ++n)
        if (!IsBlank(mpsfValue[n])) dsType += Lower(mpsfValue[n]);
    // "text" or "/html" alone name no type; a browser sniffs such a response as if it had none.
    size_t nSlash = dsType.find('/');
    if (nSlash == std::string::npos || nSlash == 0 || nSlash + 1 == dsType.size() ||
        dsType.find('/', nSlash + 1) != std::string::npos)
        return std::string();
    return dsType;
}

std::string xfdsKxwEngineContentTypeCharset(const char* mpsfValue, size_t mnLen) {
    size_t nParams = 0;
    while (nParams < mnLen && mpsfValue[nParams] != ';') ++nParams;
    const char* psfCharset = nullptr;
    size_t nCharset = 0;
    if (nParams >= mnLen ||
        !xfbKxwiHtmlFindCharsetInContent(mpsfValue + nParams, mnLen - nParams, &psfCharset, &nCharset))
        return std::string();
    return xfdsKxwEngineCharsetForLabel(psfCharset, nCharset);
}

KXW_ENGINE_CONTENT_CLASS_ENUM xfeKxwEngineContentClass(const std::string& mdsMediaType) {
    for (const ContentClassRow& rtRow : katContentClasses)
        if (Matches(rtRow._eMatch, rtRow._pszText, mdsMediaType)) return rtRow._eClass;
    return KXW_ENGINE_CONTENT_CLASS_NO_CONTEXT;
}

KXW_ENGINE_CONTENT_KIND_ENUM xfeKxwEngineContentKind(const std::string& mdsMediaType) {
    for (const ContentKindRow& rtRow : katContentKinds)
        if (Matches(rtRow._eMatch, rtRow._pszText, mdsMediaType)) return rtRow._eKind;
    return KXW_ENGINE_CONTENT_KIND_OTHER;
}

const char* xfpszKxwEngineContentKindName(KXW_ENGINE_CONTENT_KIND_ENUM meKind) {
    switch (meKind) {
        case KXW_ENGINE_CONTENT_KIND_HTML:
            return "html";
        case KXW_ENGINE_CONTENT_KIND_SCRIPT:
            return "script";
        case KXW_ENGINE_CONTENT_KIND_CSS:
            return "css";
        case KXW_ENGINE_CONTENT_KIND_IMAGE:
            return "image";
        case KXW_ENGINE_CONTENT_KIND_XML:
            return "xml";
        case KXW_ENGINE_CONTENT_KIND_TEXT:
            return "text";
        case KXW_ENGINE_CONTENT_KIND_OTHER:
            break;
    }
    return "other";
}

const char* xfpszKxwEngineMediaTypeOfFile(const std::string& mdsPath) {
    std::string dsName = mdsPath.substr(mdsPath.find_last_of('/') == std::string::npos ? 0 : mdsPath.rfind('/') + 1);
    for (char& c : dsName) c = Lower(c);
    for (const ExtensionRow& rtRow : katExtensions)
        if (EndsWith(dsName, rtRow._pszExtension) && dsName.size() > std::strlen(rtRow._pszExtension))
            return rtRow._pszMediaType;
    return "application/octet-stream";
}
