// The browsing side of the library as the engine sees it: windows, frames and the records that navigation
// notifications carry. Windows, documents and nodes stay opaque; every function checks its arguments and answers
// null, 0 or false for a bad one. All calls are made on the thread of the virtual user that owns the objects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "kxw/KxwExport.h"

class KxwDomHtmlWindow;
class KxwDomHtmlDocument;
class KxwDomNodeBase;
class KxwJswGlobal;
struct KxwDomWindowOpenParameters;
class KxwDomHtmlLocationChangeNotification;
class KxwObjMgr;
class KxwDomCommand;

// Notification 35, before and after the answer to a modal dialog runs: the subject is the dialog's window, the
// extra points to one of these. Before, the engine loads the dialog's page (the calling script waits meanwhile).
struct KxwDomModalDialogPhase {
    KxwDomHtmlWindow* _ptDialog;
    bool _bBefore;
};

// Why a window is reset (the extra of notification 11 points to one).
enum KXW_DOM_RESET_WINDOW_REASON_ENUM {
    KXW_DOM_RESET_WINDOW_REASON_CLOSE = 0,        // a top window closes
    KXW_DOM_RESET_WINDOW_REASON_DESTROY = 1,      // the window is being destroyed
    KXW_DOM_RESET_WINDOW_REASON_NAVIGATE = 2,     // a navigation replaces the document
    KXW_DOM_RESET_WINDOW_REASON_REPARSE = 3,      // the document is parsed again
    KXW_DOM_RESET_WINDOW_REASON_FIRST_WRITE = 4,  // the first document.write after the parsing
};

// The target names of links, forms and window.open.
enum KXW_DOM_TARGET_FRAME_VALUE_ENUM {
    KXW_DOM_TARGET_FRAME_TOP = 0,
    KXW_DOM_TARGET_FRAME_PARENT = 1,
    KXW_DOM_TARGET_FRAME_BLANK = 2,
    KXW_DOM_TARGET_FRAME_SELF = 3,  // also a null or empty name
    KXW_DOM_TARGET_FRAME_NAMED = 4,
};

// What changed a location (notification 0).
enum KXW_DOM_HTML_LOCATION_CHANGE_TYPE_ENUM {
    KXW_DOM_HTML_LOCATION_CHANGE_REPLACE = 0,        // location.replace, pathname set
    KXW_DOM_HTML_LOCATION_CHANGE_RELOAD = 1,         // reload(), reload(false)
    KXW_DOM_HTML_LOCATION_CHANGE_RELOAD_FORCED = 2,  // reload(true)
    KXW_DOM_HTML_LOCATION_CHANGE_HISTORY = 3,        // back, forward, go(n) with n not 0
    KXW_DOM_HTML_LOCATION_CHANGE_HISTORY_RELOAD = 4, // go(0)
    KXW_DOM_HTML_LOCATION_CHANGE_SEARCH = 5,         // location.search set
    KXW_DOM_HTML_LOCATION_CHANGE_NAVIGATE = 6,       // window.navigate
    KXW_DOM_HTML_LOCATION_CHANGE_SHOW_DOCUMENT = 7,  // an applet's showDocument
    KXW_DOM_HTML_LOCATION_CHANGE_HREF = 8,           // location.href set
    KXW_DOM_HTML_LOCATION_CHANGE_META_REFRESH = 9,   // a META refresh
    KXW_DOM_HTML_LOCATION_CHANGE_RELOAD_OTHER = 10,
    KXW_DOM_HTML_LOCATION_CHANGE_DIALOG = 11,        // also a dialog's URL
};

// ---- Windows ----
KXW_API KxwDomHtmlDocument* xfptKxwDomWindowGetDocument(KxwDomHtmlWindow* mptWindow);
// The window whose current document this is; null for a document without a window.
KXW_API KxwDomHtmlWindow* xfptKxwDomWindowOfDocument(KxwDomHtmlDocument* mptDocument);
// The window of the document that holds the node.
KXW_API KxwDomHtmlWindow* xfptKxwDomWindowOfNode(KxwDomNodeBase* mptNode);
// The global of the window's current document: the realm its page's scripts run in.
KXW_API KxwJswGlobal* xfptKxwDomWindowGetGlobal(KxwDomHtmlWindow* mptWindow);
KXW_API KxwDomHtmlWindow* xfptKxwDomWindowGetTop(KxwDomHtmlWindow* mptWindow);
KXW_API KxwDomHtmlWindow* xfptKxwDomWindowGetParent(KxwDomHtmlWindow* mptWindow);
KXW_API KxwDomHtmlWindow* xfptKxwDomWindowGetOpener(KxwDomHtmlWindow* mptWindow);
KXW_API bool xfbKxwDomWindowIsClosed(KxwDomHtmlWindow* mptWindow);
KXW_API bool xfbKxwDomWindowIsTop(KxwDomHtmlWindow* mptWindow);
// The window's onload has run (its page, frames and held downloads are complete).
KXW_API bool xfbKxwDomWindowIsOnLoadInvoked(KxwDomHtmlWindow* mptWindow);
KXW_API std::string xfdsKxwDomWindowGetName(KxwDomHtmlWindow* mptWindow);
// The current document's URL and title (its TITLE text; empty without one).
KXW_API std::string xfdsKxwDomWindowGetHref(KxwDomHtmlWindow* mptWindow);
// A javascript: URL that a navigation aimed at the window (a link, location, window.open, a frame's src): its code
// runs in the window's page and a string result becomes the window's new document. False for bad arguments.
KXW_API bool xfbKxwDomWindowRunJavaScriptUrl(KxwDomHtmlWindow* mptWindow, const char* mpsfUrl, size_t mnLen);
KXW_API std::string xfdsKxwDomWindowGetTitle(KxwDomHtmlWindow* mptWindow);
// The frames of the current document, in document order.
KXW_API unsigned xfuKxwDomWindowGetFrameCount(KxwDomHtmlWindow* mptWindow);
KXW_API KxwDomHtmlWindow* xfptKxwDomWindowGetFrame(KxwDomHtmlWindow* mptWindow, unsigned muIndex);
KXW_API uint32_t xfuKxwDomWindowGetFrameHierarchyId(KxwDomHtmlWindow* mptWindow);
// The history of the window's top window: its length as scripts see it, and whether a history navigation is on.
KXW_API unsigned xfuKxwDomWindowGetHistoryLength(KxwDomHtmlWindow* mptWindow);
// Loads made from the window's document that hold off its onload and have not ended.
KXW_API long xfliKxwDomWindowGetOnLoadCounter(KxwDomHtmlWindow* mptWindow);

// ---- The windows of an object manager ----
// The index-th open top window (0 first, in the order they were made); null past the last.
KXW_API KxwDomHtmlWindow* xfptKxwObjMgrGetTopWindow(KxwObjMgr* mptObjMgr, unsigned muIndex);
// A new top window that nobody opened (the user's own), with an empty page.
KXW_API KxwDomHtmlWindow* xfptKxwObjMgrNewTopWindow(KxwObjMgr* mptObjMgr);
// Whether the window is one of the object manager's open windows (a top window, an open dialog of one, the shown
// pop-up, or a frame in one of them, at any depth):
// a window the engine remembers may have been closed or deleted since.
KXW_API bool xfbKxwObjMgrIsOpenWindow(KxwObjMgr* mptObjMgr, const KxwDomHtmlWindow* mptWindow);
// The open modal (or modeless) dialog of a top window, or null.
KXW_API KxwDomHtmlWindow* xfptKxwDomWindowGetDialog(KxwDomHtmlWindow* mptTopWindow, bool mbModal);
// Whether mptWindow is mptAncestor or a frame below it.
KXW_API bool xfbKxwDomWindowIsWithin(const KxwDomHtmlWindow* mptWindow, const KxwDomHtmlWindow* mptAncestor);
// The window a DOM command loads into, or whose page holds the element it loads for; null once that is gone.
KXW_API KxwDomHtmlWindow* xfptKxwDomCommandGetWindow(const KxwDomCommand* mptCommand);

// ---- Documents ----
KXW_API std::string xfdsKxwDomDocumentGetHref(KxwDomHtmlDocument* mptDocument);
// A URL of the page made absolute against the document's base (the text as given when it cannot be combined).
KXW_API std::string xfdsKxwDomDocumentResolveUrl(KxwDomHtmlDocument* mptDocument, const char* mpsfUrl, size_t mnLen);

// ---- Frame elements (the subject of notification 17) ----
// The frame's window (made at the first need).
KXW_API KxwDomHtmlWindow* xfptKxwDomFrameElementGetWindow(KxwDomNodeBase* mptFrameElement);
// The frame's address combined with its document's base; empty when it has none.
KXW_API std::string xfdsKxwDomFrameElementGetSrc(KxwDomNodeBase* mptFrameElement);

// ---- Notification records ----
// Notification 0: the absolute URL, the change type, the post id (0 to 3: none).
KXW_API std::string xfdsKxwDomLocationChangeGetUrl(const void* mpvNotificationSubject);
KXW_API int xfiKxwDomLocationChangeGetType(const void* mpvNotificationSubject);
KXW_API uint32_t xfuKxwDomLocationChangeGetPostId(const void* mpvNotificationSubject);
// Notification 4: the URL, the name and the target window of window.open on an existing window.
KXW_API std::string xfdsKxwDomWindowOpenGetHref(const void* mpvNotificationExtra);
KXW_API KxwDomHtmlWindow* xfptKxwDomWindowOpenGetTarget(const void* mpvNotificationExtra);
// Notification 6 and the others whose extra is a text of the library: its bytes, in the document's charset.
KXW_API std::string xfdsKxwDomNotificationGetText(const void* mpvNotificationExtra);
