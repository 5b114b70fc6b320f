#include "KxwUtilFileExt.h"

#include <cstring>
#include <string>

namespace {

struct ContentTypeExt {
    const char* _pszType;
    const char* _pszExt;
};

const ContentTypeExt katContentTypeExts[] = {
    {"text/html", "html"},
    {"application/xhtml+xml", "html"},
    {"text/plain", "txt"},
    {"text/css", "css"},
    {"text/javascript", "js"},
    {"application/javascript", "js"},
    {"application/x-javascript", "js"},
    {"text/xml", "xml"},
    {"application/xml", "xml"},
    {"application/json", "json"},
    {"image/gif", "gif"},
    {"image/png", "png"},
    {"image/jpeg", "jpg"},
    {"image/jpg", "jpg"},
    {"image/pjpeg", "jpg"},
    {"image/bmp", "bmp"},
    {"image/x-ms-bmp", "bmp"},
    {"image/webp", "webp"},
    {"image/svg+xml", "svg"},
    {"image/x-icon", "ico"},
    {"image/vnd.microsoft.icon", "ico"},
    {"image/tiff", "tif"},
};

}  // namespace

const char* xfpszKxwUtilGetFileExtByContentType(const char* mpszContentType) {
    if (!mpszContentType) return "UNK";
    // The media type alone: up to a ';', without blanks, lower case.
    std::string dsType;
    for (const char* psz = mpszContentType; *psz && *psz != ';'; ++psz) {
        char c = *psz;
        if (c == ' ' || c == '\t') continue;
        dsType += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
    }
    for (const ContentTypeExt& rtEntry : katContentTypeExts)
        if (dsType == rtEntry._pszType) return rtEntry._pszExt;
    return "UNK";
}
