// The controls a page may create and how scripts create them: the classes of the registry (the XML parser's
// documents, the dictionary), new ActiveXObject(name) in the windows of the emulated Internet Explorer, and the
// checks every creation passes (controls switched on, a class of the registry).
#pragma once

#include <string>

#include "KxwAutomation.h"

class KxwJswUserObjBase;

// Registers the classes and the script constructor (process start; repeated calls do nothing).
void xfvKxwDomActiveXGlobalInit();

// The text a page gave (a class id, a name), as a log line may show it: printable and bounded.
std::string xfdsKxwDomActiveXPrintable(const std::string& mdsText);

class KxwDomHtmlDocument;
// An XML document of the XML parser resolves the URLs of its load(url) against the page's base URL; other objects
// are left as they are.
void xfvKxwDomActiveXSetXmlBaseUrl(KxwAutomation* mptObject, const KxwDomHtmlDocument* mptDocument);
