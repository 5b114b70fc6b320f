// The building interface of HTML documents for the replay engine: what its parser calls to build a page into a
// document (elements by tag, their parsed attributes, text and comment nodes, links), the document's state
// operations around a load, and the queries the parser adapter needs. The library's classes stay hidden: the
// engine holds documents and nodes as opaque pointers.
//
// Threads: every call is made on the thread of the virtual user that owns the document.
//
// A stand-alone document. Until windows exist, the engine makes one document per virtual user (or more) with
// xfptKxwDomHtmlBuildNewDocument; the document lives on a memory manager of its own and is the global "document" of
// the virtual user's script engine (the engine of the calling thread), so that scripts evaluated by the engine's
// KxwHswApi run against it. Deleting it deletes every node it holds.
//
// Text. Texts handed in are in the document's character set (DCS): bytes with lengths, not necessarily
// NUL-terminated. Notifications 7 (write into a document) and 18 (markup for an element) reach the engine through
// the object manager's notification callback (KxwObjMgr::SetNotificationCallback) with the markup as their extra:
// xfpsfKxwDomHtmlBuildGetNotificationText gives its bytes. The parser then builds into the document (7) or the
// element (18) that is the notification's subject, with the functions below.
#pragma once

#include <cstddef>
#include <string>

#include "kxw/KxwExport.h"

class KxwDomHtmlDocument;
class KxwDomNodeBase;

// A SCRIPT element's text is to be run (the library's own evaluation of script elements comes later). True when
// it ran.
using KxwDomHtmlBuildScriptEvaluator = bool (*)(void* mpvClosure, KxwDomHtmlDocument* mptDocument,
                                                KxwDomNodeBase* mptScriptElement);

// ---- Documents ----

// A new empty document for the calling thread's virtual user, made the global "document" of the thread's script
// engine (when there is one). mpszCharset names its character set (null: windows-1252); the address may be null.
KXW_API KxwDomHtmlDocument* xfptKxwDomHtmlBuildNewDocument(const char* mpsfHrefDcs, size_t mnHrefLen,
                                                           const char* mpszCharset);
// Deletes a document made above with its whole tree; the global "document" becomes null when it was this one.
KXW_API void xfvKxwDomHtmlBuildDeleteDocument(KxwDomHtmlDocument* mptDocument);
// The document as a node, for linking its children (the HTML element) and for the queries.
KXW_API KxwDomNodeBase* xfptKxwDomHtmlBuildDocumentAsNode(KxwDomHtmlDocument* mptDocument);
KXW_API void xfvKxwDomHtmlBuildSetHref(KxwDomHtmlDocument* mptDocument, const char* mpsfHrefDcs, size_t mnLen);
KXW_API void xfvKxwDomHtmlBuildSetReferer(KxwDomHtmlDocument* mptDocument, const char* mpsfDcs, size_t mnLen);
KXW_API void xfvKxwDomHtmlBuildSetCookie(KxwDomHtmlDocument* mptDocument, const char* mpsfDcs, size_t mnLen);
// The response's character set (a META may change it); false for a name that is not known (nothing changes).
KXW_API bool xfbKxwDomHtmlBuildSetResponseCharset(KxwDomHtmlDocument* mptDocument, const char* mpsfName, size_t mnLen);
KXW_API const char* xfpszKxwDomHtmlBuildGetResponseCharset(KxwDomHtmlDocument* mptDocument);
KXW_API void xfvKxwDomHtmlBuildSetScriptEvaluator(KxwDomHtmlDocument* mptDocument,
                                                  KxwDomHtmlBuildScriptEvaluator mpfEvaluator, void* mpvClosure);

// ---- Nodes ----

// An element of the tag (as the parser writes it, any case; a prefix "o:p" makes a namespaced element), detached.
// mbAddToDisconnectList parks it on the document's disconnected list until it is linked (for elements a script
// may never insert). Null (reported) for a name that cannot be a tag.
KXW_API KxwDomNodeBase* xfptKxwDomHtmlBuildAllocElement(KxwDomHtmlDocument* mptDocument, const char* mpsfTagName,
                                                        size_t mnTagNameLen, bool mbAddToDisconnectList);
// One attribute of a start tag: a DOM property of the element's class takes it through its parsed setter, any
// other is kept as an attribute. mbHasValue is false for an attribute written without '='.
KXW_API bool xfbKxwDomHtmlBuildSetAttribute(KxwDomNodeBase* mptElement, const char* mpsfName, size_t mnNameLen,
                                            const char* mpsfValue, size_t mnValueLen, bool mbHasValue);
// Whether the element has an attribute of that name (ASCII case ignored) with a value: what a second <BODY> tag
// may not override.
KXW_API bool xfbKxwDomHtmlBuildHasAttribute(KxwDomNodeBase* mptElement, const char* mpsfName, size_t mnNameLen);
// Detached text and comment nodes.
KXW_API KxwDomNodeBase* xfptKxwDomHtmlBuildNewTextNode(KxwDomHtmlDocument* mptDocument, const char* mpsfDcs,
                                                       size_t mnLen);
KXW_API KxwDomNodeBase* xfptKxwDomHtmlBuildNewCommentNode(KxwDomHtmlDocument* mptDocument, const char* mpsfDcs,
                                                          size_t mnLen);
// Character data for a node: joined to its last text child, or a new text node; TITLE, SCRIPT and comments keep
// it as their text.
KXW_API bool xfbKxwDomHtmlBuildAddText(KxwDomNodeBase* mptNode, const char* mpsfDcs, size_t mnLen);
// Links a child under a parent (a child in another place moves); false when the tree does not allow it.
KXW_API bool xfbKxwDomHtmlBuildAppendChild(KxwDomNodeBase* mptParent, KxwDomNodeBase* mptChild);
KXW_API bool xfbKxwDomHtmlBuildInsertBefore(KxwDomNodeBase* mptParent, KxwDomNodeBase* mptChild,
                                            KxwDomNodeBase* mptRefChild);
// Deletes a node that was made and never linked (nor handed to a script).
KXW_API void xfvKxwDomHtmlBuildDeleteUnlinkedNode(KxwDomNodeBase* mptNode);
// A TITLE the parser supplied without a tag in the page.
KXW_API void xfvKxwDomHtmlBuildSetTitleImplied(KxwDomNodeBase* mptTitleElement, bool mbImplied);
// SCRIPT elements of a page, driven in this order: xfvKxwDomHtmlBuildSetScriptAddedByHtml right after the element is
// made (with the line of its start tag, where its inline text starts), its attributes, SetScriptClosingTagMissing
// (true), the link and its text, then xfiKxwDomHtmlBuildEndParsedScript at its end tag (or at the end of the input).
// The library runs the script or files it: the answer tells the parser what to do.
enum KXW_DOM_BUILD_SCRIPT_END_ENUM {
    KXW_DOM_BUILD_SCRIPT_END_DONE = 0,               // nothing to load (an inline script ran or waits for the end)
    KXW_DOM_BUILD_SCRIPT_END_LOAD_AND_WAIT = 1,      // load its source; the parser waits until it has run
    KXW_DOM_BUILD_SCRIPT_END_LOAD = 2,               // load its source (deferred); the parser goes on
};
KXW_API void xfvKxwDomHtmlBuildSetScriptAddedByHtml(KxwDomNodeBase* mptScriptElement, int miLine);
KXW_API void xfvKxwDomHtmlBuildSetScriptClosingTagMissing(KxwDomNodeBase* mptScriptElement, bool mbMissing);
KXW_API int xfiKxwDomHtmlBuildEndParsedScript(KxwDomNodeBase* mptScriptElement, bool mbEndTagSeen);
// An APPLET or OBJECT element is complete (the parser's OnElementEnd): the library starts what it embeds, at the
// next point where page code may run.
KXW_API void xfvKxwDomHtmlBuildEndParsedElement(KxwDomNodeBase* mptElement);
// The downloaded text of its source (DCS); the scripts that waited for it run when no script runs and no parser
// builds the document (a parser that waits calls xfvKxwDomHtmlBuildEvaluatePendingScriptSrc itself).
KXW_API void xfvKxwDomHtmlBuildSetScriptSourceDownloaded(KxwDomNodeBase* mptScriptElement, const char* mpsfDcs,
                                                         size_t mnLen);
// The script's src as scripts read it (resolved against the element's base), or empty for another node.
KXW_API std::string xfdsKxwDomHtmlBuildGetScriptSrc(KxwDomNodeBase* mptScriptElement);
// An IMG's src as scripts read it (resolved against the element's base, any length), or empty for another node.
KXW_API std::string xfdsKxwDomHtmlBuildGetImageSrc(KxwDomNodeBase* mptImageElement);
// A script whose src is a javascript: URL: the code runs in the document's window and its string becomes the text.
KXW_API void xfvKxwDomHtmlBuildRunScriptSrcUrl(KxwDomNodeBase* mptScriptElement);
// The text a SCRIPT element runs (DCS): the downloaded one when it has a source; null for another node.
KXW_API const char* xfpsfKxwDomHtmlBuildGetScriptText(KxwDomNodeBase* mptScriptElement, size_t* mpnLen);

// ---- The document's state around a load ----

KXW_API void xfvKxwDomHtmlBuildNotifyDownloading(KxwDomHtmlDocument* mptDocument, bool mbStarting);
KXW_API void xfvKxwDomHtmlBuildNotifyHtmlParsing(KxwDomHtmlDocument* mptDocument, bool mbStarting);
KXW_API long xfliKxwDomHtmlBuildIncrementParsingDepth(KxwDomHtmlDocument* mptDocument);
KXW_API long xfliKxwDomHtmlBuildDecrementParsingDepth(KxwDomHtmlDocument* mptDocument);
// Whether the end of the response ends the parsing; *mpbRemoved tells that a waiting script was dropped.
KXW_API bool xfbKxwDomHtmlBuildIsEndOfResponseEndOfParsing(KxwDomHtmlDocument* mptDocument, bool* mpbRemoved);
// Whether the script running on this thread (whose innerHTML, outerHTML, insertAdjacentHTML or write is being
// built) is past its time limit: the parser then builds nothing more of that markup, and the script is ended as
// soon as the library returns to it. Reads the clock: ask every few hundred elements. False outside scripts.
KXW_API bool xfbKxwDomHtmlBuildIsScriptPastDeadline();
// Files a SCRIPT element that must wait (for its source, or deferred to the end of the page).
KXW_API bool xfbKxwDomHtmlBuildAppendPendingScript(KxwDomHtmlDocument* mptDocument, KxwDomNodeBase* mptScriptElement);
// Runs the waiting scripts that may run now, in order: those with a source, then the deferred ones, then the
// completion of the deferred ones.
KXW_API void xfvKxwDomHtmlBuildEvaluatePendingScriptSrc(KxwDomHtmlDocument* mptDocument);
KXW_API void xfvKxwDomHtmlBuildEvaluatePendingScriptDefer(KxwDomHtmlDocument* mptDocument);
KXW_API void xfvKxwDomHtmlBuildScriptCompletion(KxwDomHtmlDocument* mptDocument);
KXW_API unsigned long xfulKxwDomHtmlBuildGetPendingScriptSrcCount(KxwDomHtmlDocument* mptDocument);
// The first load (download, parsing, scripts) has ended: a later write opens a new document.
KXW_API void xfvKxwDomHtmlBuildSetInitialProcessingEnded(KxwDomHtmlDocument* mptDocument, bool mbEnded);
// Finds HEAD and BODY for a parser that placed them itself (the library finds them as they are linked).
KXW_API void xfvKxwDomHtmlBuildSetHead(KxwDomHtmlDocument* mptDocument, KxwDomNodeBase* mptHead);
KXW_API void xfvKxwDomHtmlBuildSetHtmlBody(KxwDomHtmlDocument* mptDocument, KxwDomNodeBase* mptBody);

// ---- Queries ----

// The node's subtype (KXW_DOM_COMMON_NODE_SUBTYPE_ENUM); 0 for null.
KXW_API int xfiKxwDomHtmlBuildGetSubtype(const KxwDomNodeBase* mptNode);
// The subtype of a tag name (ASCII case ignored): 17 to 118 for the tags the library knows, 15 for any other.
KXW_API int xfiKxwDomHtmlBuildGetSubtypeByTagName(const char* mpsfTagName, size_t mnLen);
// Whether an element may have content (elements such as BR, IMG, INPUT never do).
KXW_API bool xfbKxwDomHtmlBuildCanHaveChildren(const KxwDomNodeBase* mptNode);
KXW_API KxwDomNodeBase* xfptKxwDomHtmlBuildGetParentNode(const KxwDomNodeBase* mptNode);
// The length of the document's "links" collection (A and AREA elements with an href).
KXW_API unsigned long xfulKxwDomHtmlBuildGetLinkCount(KxwDomHtmlDocument* mptDocument);
KXW_API KxwDomNodeBase* xfptKxwDomHtmlBuildGetDocumentElement(KxwDomHtmlDocument* mptDocument);
KXW_API KxwDomNodeBase* xfptKxwDomHtmlBuildGetHead(KxwDomHtmlDocument* mptDocument);
KXW_API KxwDomNodeBase* xfptKxwDomHtmlBuildGetHtmlBody(KxwDomHtmlDocument* mptDocument);
KXW_API KxwDomHtmlDocument* xfptKxwDomHtmlBuildGetDocumentOfNode(const KxwDomNodeBase* mptNode);
// The node a notification names as its subject (7, 13 and 14: the document; 18: the element), and its text (the
// markup of 7 and 18, the cookie of 14); null for anything else.
KXW_API KxwDomNodeBase* xfptKxwDomHtmlBuildGetNotificationNode(int miNotificationType, void* mpvNotificationSubject);
KXW_API const char* xfpsfKxwDomHtmlBuildGetNotificationText(const void* mpvNotificationObject, size_t* mpnLen);
// The character set a META element declares (its charset, or the charset= of a Content-Type); false for none.
// The name is copied NUL-terminated into mpszBuf (cut to the buffer).
KXW_API bool xfbKxwDomHtmlBuildGetMetaCharset(const KxwDomNodeBase* mptMetaElement, char* mpszBuf, size_t mnBufSize);
