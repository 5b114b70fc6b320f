// The XML parser's objects for the library: documents scripts create by name, the documents of XML islands, their
// record sets, transforms, and the hook through which a document's load(url) reaches the replay engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "KxwAutomation.h"
#include "kxw/KxwExport.h"

// Registers the document classes with KxwAutomationRegistry under their class ids and names (the library's global
// initialisation; a second call changes nothing).
KXW_API void xfvKxwXmlDomRegisterClasses();

// A new empty document holding one reference.
KXW_API KxwAutomation* xfptKxwXmlDomCreateDocument();
// Loads the text into a document made here (loadXML); false when it is not well-formed (its parseError says why)
// or the object is no such document.
KXW_API bool xfbKxwXmlDomLoadText(KxwAutomation* mptDocument, const char16_t* mpwsfText, size_t mnLen);
// The processing instructions at the document's top level, in order: name and value ("xml-stylesheet",
// "type=\"text/xsl\" href=\"a.xsl\""); the XML declaration counts as one, named "xml".
KXW_API std::vector<std::pair<std::u16string, std::u16string>> xftKxwXmlDomTopLevelInstructions(
    KxwAutomation* mptDocument);
// Transforms the document (or node) with the stylesheet (a document or node); false with the reason.
KXW_API bool xfbKxwXmlDomTransform(KxwAutomation* mptSource, KxwAutomation* mptStylesheet, std::u16string& mrdsOutput,
                                   std::string& mrdsError);
// Sets the address a relative load(url) of the document resolves against (the page's); false for no document.
KXW_API bool xfbKxwXmlDomSetBaseUrl(KxwAutomation* mptDocument, const std::string& mrdsBaseUrl);
// 0 before a load, 4 after; -1 for an object that is no document of ours.
KXW_API int32_t xfiKxwXmlDomGetReadyState(KxwAutomation* mptDocument);
// The record set over the document (an island's recordset), holding one reference; null for no document.
KXW_API KxwAutomation* xfptKxwXmlDomCreateRecordset(KxwAutomation* mptDocument);
// Bytes of an XML document as text: a byte order mark, else the declared encoding, else UTF-8 (bad bytes as Latin-1).
KXW_API std::u16string xfdsKxwXmlDomDecodeBytes(const char* mpsfBytes, size_t mnLen);

// Fetches the URL synchronously for load(url): true with the body's bytes, false with the reason. The URL is
// resolved against the document's base URL when it has one (else as the script gave it); one with a scheme other
// than http: and https: (file: from a base of file:) is refused before the hook is asked.
using KxwXmlDomUrlLoaderFunc = bool (*)(void* mpvContext, const std::string& mrdsUrl, std::string& mrdsBody,
                                        std::string& mrdsFailure);
// Sets the calling thread's hook (null: load(url) fails at once, saying loading from a URL is not available).
KXW_API void xfvKxwXmlDomSetUrlLoader(KxwXmlDomUrlLoaderFunc mpfLoader, void* mpvContext);
