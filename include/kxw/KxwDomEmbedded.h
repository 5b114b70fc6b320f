// What the replay engine asks of embedded content (applets): the loads it needs.
//
// Threads: every call is made on the thread of the virtual user that owns the element.
#pragma once

#include <string>

#include "kxw/KxwExport.h"

class KxwDomHtmlDocument;
class KxwDomNodeBase;

// What an applet asks for with notification 34: the URL of an archive or class, and whether its Java code waits
// for it during the notification (a class its class loader needs now: load it before returning) or not (an
// archive: load it in turn). Empty for another node.
KXW_API std::string xfdsKxwDomAppletGetUrlToDownload(KxwDomNodeBase* mptApplet, bool* mpbNeededNow);

// A window's response that is XML, its bytes: parsed into the document's XML document (document.XMLDocument).
// When its first xml-stylesheet names a style sheet, notification 38 asks for it (document, URL): load it during
// the notification, as a DOM command of type 10 for the document (PrepareCommandDownloadXml). False when the
// XML could not be taken at all.
KXW_API bool xfbKxwDomDocumentSetDownloadedXml(KxwDomHtmlDocument* mptDocument, const char* mpsfBytes, size_t mnLen);
// The page the style sheet made of the XML (HTML, UTF-8), given once; empty without one: show the XML as text.
KXW_API std::string xfdsKxwDomDocumentTakeXmlPage(KxwDomHtmlDocument* mptDocument);
