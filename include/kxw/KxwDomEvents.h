// Events as the engine sees them: a test step's user action on an element, the elements a step may choose from,
// and the link a click follows (notification 10, subject the A or AREA element; notification 9, subject an IMG
// inside an A). Nodes and windows stay opaque;
// every function checks its arguments and answers null, 0, false or the empty text for a bad one. All calls are
// made on the thread of the virtual user that owns the objects.
#pragma once

#include <string>

#include "kxw/KxwExport.h"

class KxwDomHtmlDocument;
class KxwDomHtmlWindow;
class KxwDomNodeBase;

// A user's action on the element as a test step makes it: the event by its name ("click", or "onclick"), with the
// events it implies and its default action. False with the reason when the name is unknown or the element does
// not answer the event.
KXW_API bool xfbKxwDomFireUserEvent(KxwDomNodeBase* mptNode, const char* mpszEventName, std::string* mpdsReason);

// The same with the pointer at (miX, miY) over the element (coordinates from 0): what a click on a server-side image
// map sends.
KXW_API bool xfbKxwDomFireUserEventAt(KxwDomNodeBase* mptNode, const char* mpszEventName, int miX, int miY,
                                      std::string* mpdsReason);

// The elements of a document in document order.
KXW_API unsigned long xfulKxwDomDocumentGetElementCount(KxwDomHtmlDocument* mptDocument);
KXW_API KxwDomNodeBase* xfptKxwDomDocumentGetElement(KxwDomHtmlDocument* mptDocument, unsigned long mulIndex);
// An element's tag name (upper case), id, name and inner text, in UTF-8.
KXW_API std::string xfdsKxwDomElementGetTagName(KxwDomNodeBase* mptNode);
KXW_API std::string xfdsKxwDomElementGetId(KxwDomNodeBase* mptNode);
KXW_API std::string xfdsKxwDomElementGetName(KxwDomNodeBase* mptNode);
KXW_API std::string xfdsKxwDomElementGetInnerText(KxwDomNodeBase* mptNode);

// A link: an A with an href.
KXW_API bool xfbKxwDomElementIsLink(KxwDomNodeBase* mptNode);
// The address of an A, AREA or LINK resolved against its base, and its target as written (empty for none).
KXW_API std::string xfdsKxwDomLinkGetHref(KxwDomNodeBase* mptLink);
KXW_API std::string xfdsKxwDomLinkGetTarget(KxwDomNodeBase* mptLink);
// The A an image lies in (notification 9, subject the IMG), or null.
KXW_API KxwDomNodeBase* xfptKxwDomImageGetContainingAnchor(KxwDomNodeBase* mptImage);
// Loads the address into the window a link of mptWindow's page names as its target, as window.open does: an
// existing window of that name (_self, _top and _parent included; notification 4 follows) or a new one
// (notification 3 follows). The window, or null.
KXW_API KxwDomHtmlWindow* xfptKxwDomWindowOpenForLink(KxwDomHtmlWindow* mptWindow, const std::string& mdsUrl,
                                                      const std::string& mdsName);
