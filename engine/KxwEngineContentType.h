// What a response holds, as the engine tells the library: the media type and charset of a Content-Type header, the
// class of content the DOM command is given for it (whether the load builds a browsing context, and XML), and the
// media type of a local file by its name's extension.
#pragma once

#include <cstddef>
#include <string>

// The content-type classes the engine hands the DOM command. The command reads 1 as XML and 6 as "does not build a
// browsing context" (the window keeps its document); every other value but 3 builds a context. The values come from
// one table (KxwEngineContentType.cpp); 3, 4 and 5 are never produced.
enum KXW_ENGINE_CONTENT_CLASS_ENUM {
    KXW_ENGINE_CONTENT_CLASS_HTML = 0,        // text/html: a page
    KXW_ENGINE_CONTENT_CLASS_XML = 1,         // text/xml, application/xml, any +xml type
    KXW_ENGINE_CONTENT_CLASS_TEXT = 2,        // other text, scripts and JSON: shown as text in a context
    KXW_ENGINE_CONTENT_CLASS_NO_CONTEXT = 6,  // images, media, octet streams, archives, attachments: a download
    KXW_ENGINE_CONTENT_CLASS_UNKNOWN = 7,     // no Content-Type at all: read as a page, as the browser sniffs it
};

// What a response is, for the engine's own use (which loader a response goes to, what a report says): the kind of
// its media type. Unlike the class, it says nothing of how the library builds (or does not build) a document.
enum KXW_ENGINE_CONTENT_KIND_ENUM {
    KXW_ENGINE_CONTENT_KIND_HTML,    // text/html
    KXW_ENGINE_CONTENT_KIND_SCRIPT,  // JavaScript and ECMAScript types (text/ and application/)
    KXW_ENGINE_CONTENT_KIND_CSS,     // text/css
    KXW_ENGINE_CONTENT_KIND_IMAGE,   // image/* (image/svg+xml too)
    KXW_ENGINE_CONTENT_KIND_XML,     // text/xml, application/xml, any other +xml type
    KXW_ENGINE_CONTENT_KIND_TEXT,    // other text/* types and application/json
    KXW_ENGINE_CONTENT_KIND_OTHER,   // anything else, and no Content-Type at all
};

// The media type of a Content-Type value ("type/subtype", lower case, without parameters and blanks); empty when
// the value names none.
std::string xfdsKxwEngineMediaType(const char* mpsfValue, size_t mnLen);
// The charset parameter of a Content-Type value as the page is decoded in (canonical name); empty when there is
// none or the name is unknown.
std::string xfdsKxwEngineContentTypeCharset(const char* mpsfValue, size_t mnLen);
// The class of a media type as xfdsKxwEngineMediaType gives it (empty: no Content-Type).
KXW_ENGINE_CONTENT_CLASS_ENUM xfeKxwEngineContentClass(const std::string& mdsMediaType);
// The kind of a media type as xfdsKxwEngineMediaType gives it (empty: no Content-Type, KXW_ENGINE_CONTENT_KIND_OTHER).
KXW_ENGINE_CONTENT_KIND_ENUM xfeKxwEngineContentKind(const std::string& mdsMediaType);
// The kind's name: "html", "script", "css", "image", "xml", "text" or "other".
const char* xfpszKxwEngineContentKindName(KXW_ENGINE_CONTENT_KIND_ENUM meKind);
// The media type of a file by its name's extension (ASCII case ignored); application/octet-stream for any other.
const char* xfpszKxwEngineMediaTypeOfFile(const std::string& mdsPath);
