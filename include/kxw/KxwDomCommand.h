// A DOM command: the record of one load the DOM needs and the engine performs (a window's navigation, a new window,
// a script or another download). The engine obtains one from the object manager, prepares it with one Prepare*
// call, executes it once with the URL, reports the download's course through the OnTask* calls, and hands it back
// (KxwObjMgr::ReturnDomCommandForReuse), which resets it. The command owns nothing it points to and watches its
// target: once the target is deleted (a script closed the window, removed the element) every callback leaves it
// alone and GetDocument gives null.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "kxw/KxwExport.h"
#include "kxw/KxwSevLvl.h"

class KxwObjMgr;
class KxwDomHtmlWindow;
class KxwDomHtmlDocument;
class KxwDomCoreNode;
class KxwDomNodeBase;
class KxwDomWatchDelete;
class KxwDomOnLoadHold;
struct KxwDomWindowOpenParameters;
struct cached_info;

enum KXW_DOM_COMMAND_TYPE_ENUM {
    KXW_DOM_COMMAND_TYPE_ADD_OR_REPLACE_WINDOW_BY_ORIGIN = 0,
    KXW_DOM_COMMAND_TYPE_ADD_OR_REPLACE_WINDOW = 1,
    KXW_DOM_COMMAND_TYPE_REPLACE_WINDOW = 2,
    KXW_DOM_COMMAND_TYPE_WINDOW_OPENED = 3,
    KXW_DOM_COMMAND_TYPE_WINDOW_OPEN = 4,
    KXW_DOM_COMMAND_TYPE_REPLACE_WINDOW_NO_HISTORY = 5,
    KXW_DOM_COMMAND_TYPE_DOWNLOAD_SCRIPT = 7,
    KXW_DOM_COMMAND_TYPE_DOWNLOAD_BEHAVIOR = 8,
    KXW_DOM_COMMAND_TYPE_DOWNLOAD_ELEMENT_BEHAVIOR = 9,
    KXW_DOM_COMMAND_TYPE_DOWNLOAD_XML = 10,
    KXW_DOM_COMMAND_TYPE_DOWNLOAD_JAVA_CODE = 11,
    KXW_DOM_COMMAND_TYPE_DOWNLOAD_RESOURCE = 13,
    KXW_DOM_COMMAND_TYPE_METHOD_START_DOWNLOAD = 14,
    KXW_DOM_COMMAND_TYPE_NO_SPECIAL_ACTION = 16,
    KXW_DOM_COMMAND_TYPE_NONE = 17,
};

// What a response's content builds, as the engine classifies its content type: 1 is XML, 6 builds no browsing
// context (an image, a download); 0, 2, 4, 5 and 7 all build one.
constexpr int KXW_DOM_CONTENT_TYPE_XML = 1;
constexpr int KXW_DOM_CONTENT_TYPE_NO_CONTEXT = 6;
constexpr int KXW_DOM_CONTENT_TYPE_DEFAULT = 7;

// The identifier of a load's POST data: 0 to 3 stand for none (0 not set, 1 not required).
using KxwPostId = uint32_t;
constexpr KxwPostId KXW_POST_ID_FIRST_REAL = 4;

// What a POST carries to the history and the engine (notification 21).
struct KxwPostNotificationInfo {
    const char* _psfUrl = nullptr;
    size_t _nUrlLen = 0;
    KxwPostId _tPostId = 0;  // set by the engine through notification 21
};

class KXW_API KxwDomCommand {
public:
    explicit KxwDomCommand(KxwObjMgr* mptObjMgr);
    ~KxwDomCommand();
    KxwDomCommand(const KxwDomCommand&) = delete;
    KxwDomCommand& operator=(const KxwDomCommand&) = delete;

    // Back to the state after construction (the object manager does it when the command is handed back).
    void Reset();
    void SetObjMgr(KxwObjMgr* mptObjMgr) { _ptObjMgr = mptObjMgr; }

    // ---- What is to be loaded ----
    bool PrepareCommandAddOrReplaceWindowByOrigin(KxwDomHtmlWindow* mptOriginatingWindow, KxwDomNodeBase* mptElement);
    bool PrepareCommandAddOrReplaceWindow(const char* mpsfTitle, unsigned muTitleLen, bool mbTitleIsRegExp,
                                          unsigned muBrowserOrdinal, const char* mpsfFrameName, unsigned muFrameNameLen,
                                          unsigned muFrameOrdinal, bool mbCreateSnapshots);
    bool PrepareCommandReplaceWindow(KxwDomHtmlWindow* mptWindow, bool mbWithHistory);
    bool PrepareCommandWindowOpened(KxwDomHtmlWindow* mptNewWindow);
    bool PrepareCommandWindowOpen(KxwDomHtmlWindow* mptOpenerWindow, const KxwDomWindowOpenParameters* mptParameters);
    bool PrepareCommandDownloadScript(KxwDomNodeBase* mptScriptElement);
    // The archive or class an applet asked for (notification 34); the URL is the one the applet gives now.
    bool PrepareCommandDownloadJavaCode(KxwDomNodeBase* mptAppletElement);
    // An XML island's src (notification 16): the body becomes the island's document; the load holds onload.
    bool PrepareCommandDownloadXml(KxwDomNodeBase* mptXmlElement);
    bool PrepareCommandDownloadResource(KxwDomNodeBase* mptNode);
    // A behaviour file for an element (notification 27) or for a namespace's import (28), from the URL given
    // (resolved); the body goes to the element or the namespace when it is complete.
    bool PrepareCommandDownloadBehavior(KxwDomNodeBase* mptElement, const std::string& mrdsUrl);
    bool PrepareCommandDownloadElementBehavior(KxwDomNodeBase* mptNamespace, const std::string& mrdsUrl);
    bool PrepareCommandNoSpecialAction(KxwDomHtmlDocument* mptDocument);
    // The target whose deletion makes the load moot (a window's document when mbUseWindowDocument).
    void PrepareTargetObject(KxwDomCoreNode* mptNode, bool mbUseWindowDocument);

    // ---- The load ----
    // Once: the window the command loads into (null for downloads, or when the target is gone).
    KxwDomHtmlWindow* ExecuteCommand(const char* mpsfUrl, unsigned muUrlLen, const char* mpsfReferrer,
                                     unsigned muReferrerLen, KxwPostNotificationInfo* mptPostInfoOrNull,
                                     bool mbShouldSetHref, void* mpvUserData);
    // A segment of the response body for the snapshots: a window's page, or a resource of an element (the engine's
    // cached information of the URL, or null). The short form hands over no body.
    void OnTaskInitSnapshot(cached_info* mptCachedInfo);
    void OnTaskInitSnapshot(const char* mpsfUrl, unsigned muUrlLen, const char* mpszContentType,
                            bool mbIsRedirectedTask, bool mbFirstResponseSegmentBodyInTask, cached_info* mptCachedInfo,
                            const char* mpsfData = nullptr, unsigned muDataLen = 0);
    void OnTaskStartDownload();
    void OnTaskResponseBodyBuffer(const char* mpsfData, unsigned muLength);
    void OnTaskRedirection(void* mpvUserData);
    void OnTaskDocument(void* mpvUserData);
    void OnTaskStartHtmlParsing();
    void OnTaskEndHtmlParsing();
    // The document must be parsed again (a META changed its charset): it is emptied in place.
    void OnTaskReparse();
    void OnTaskDownloadComplete(bool mbWithoutDownloading, const char* mpsfArg, unsigned muArgLen);
    bool OnTaskDownloadFailedRequiresFormattedMsg() const;
    // The callee takes the message over (it is freed with free()); the pointer is cleared.
    void OnTaskDownloadFailed(KXW_WTL_SEV_LVL_ENUM meSevLvl, char*& mrpszFormattedMsg, int miFormattedMsgId);
    void OnTaskAborted();

    // ---- What the engine asks ----
    KXW_DOM_COMMAND_TYPE_ENUM GetType() const { return _eDomCommandType; }
    // The document the load fills; null once the target is gone.
    KxwDomHtmlDocument* GetDocument() const;
    KxwDomHtmlDocument* GetAssociatedDocument() const;
    KxwDomCoreNode* GetObjectWithContentToLoad() const { return _ptObjectWithContentToLoad; }
    KxwDomNodeBase* GetScriptElementToLoad() const;
    KxwDomCoreNode* GetRawTargetObjectForAbort() const { return _ptTargetObjectForAbort; }
    KxwDomCoreNode* GetTargetObjectForAbortOrNullIfDeleted() const;
    bool WasTargetObjectForAbortDeleted() const;
    // A subresource whose page was emptied in place since it was asked for (document.open, a reparse): the
    // element may live on, parked, but the page that wanted the load is gone.
    bool WasTargetPageReplaced() const;
    // A charset given before the document exists is kept for it; the command's own is cleared at Reset.
    void SetAssociatedDocumentResponseCharset(const char* mpszCharset);
    const char* GetAssociatedDocumentResponseCharset() const;
    void SetContentType(int miContentType) { _iContentType = miContentType; }
    int GetContentType() const { return _iContentType; }
    void SetSchemeJavaScript(bool mbOn) { SetFlag(kFlagJavaScript, mbOn); }
    bool GetSchemeJavaScript() const { return (_ucFlags1 & kFlagJavaScript) != 0; }
    bool GetAborted() const { return (_ucFlags1 & kFlagAborted) != 0; }
    bool WasCommandExecuted() const { return (_ucFlags1 & kFlagExecuted) != 0; }
    KxwPostId GetPostId() const { return _tPostId; }
    void SetPostId(KxwPostId mtPostId) { _tPostId = mtPostId; }
    const std::string& GetAccumulatedResponseBody() const { return _dsAccumulatedResponseBody; }
    unsigned long GetPendingScriptSrcCount() const;
    bool IsPrimaryForHistory() const;
    // For a frame's navigation during a history navigation: the URL (and method) the history gives the frame.
    bool HistoryOverridePerformed(std::string& mrdsUrl, std::string& mrdsMethod);
    bool IsWindowOperationReplacesWindow() const;
    bool IsContentTypeTextXml() const { return _iContentType == KXW_DOM_CONTENT_TYPE_XML; }

    bool IsWindowOperation() const { return _eDomCommandType < 6; }
    bool IsDownloadScript() const { return _eDomCommandType == KXW_DOM_COMMAND_TYPE_DOWNLOAD_SCRIPT; }
    bool IsDownloadResource() const { return _eDomCommandType == KXW_DOM_COMMAND_TYPE_DOWNLOAD_RESOURCE; }
    bool IsDownloadBehavior() const {
        return _eDomCommandType == KXW_DOM_COMMAND_TYPE_DOWNLOAD_BEHAVIOR ||
               _eDomCommandType == KXW_DOM_COMMAND_TYPE_DOWNLOAD_ELEMENT_BEHAVIOR;
    }
    bool IsNoOperation() const { return _eDomCommandType >= 15; }
    bool IsContentCacheRequired() const { return _eDomCommandType < 12; }
    bool IsAccumulateResponseBodyRequired() const;
    bool UncacheResponse() const { return _eDomCommandType == KXW_DOM_COMMAND_TYPE_METHOD_START_DOWNLOAD; }

    // ---- The object manager's lists: a command is on at most one of them, each with its own links ----
    KxwDomCommand* _ptNextFree = nullptr;
    KxwDomCommand* _ptNextExecuting = nullptr;
    bool _bOnFreeList = false;
    bool _bOnExecutingList = false;

private:
    static constexpr unsigned char kFlagJavaScript = 0x1;
    static constexpr unsigned char kFlagAborted = 0x2;
    static constexpr unsigned char kFlagExecuted = 0x4;
    void SetFlag(unsigned char mucFlag, bool mbOn) {
        _ucFlags1 = mbOn ? (_ucFlags1 | mucFlag) : (_ucFlags1 & ~mucFlag);
    }
    KxwObjMgr* ObtainObjMgr();
    KxwDomHtmlWindow* DocumentWindow() const;
    // Lets the node that a resource download was requested for go (once), unless it is gone.
    void EndDownloadRequest();
    bool PrepareBehaviorDownload(KXW_DOM_COMMAND_TYPE_ENUM meType, KxwDomCoreNode* mptNode, const std::string& mrdsUrl);
    // Hands a completed behaviour file to its element or namespace.
    void DeliverBehavior();

    KXW_DOM_COMMAND_TYPE_ENUM _eDomCommandType = KXW_DOM_COMMAND_TYPE_NONE;
    KxwDomHtmlWindow* _ptOriginatingWindow = nullptr;
    std::string _dsFrameName;
    KxwDomHtmlDocument* _ptDocument = nullptr;
    KxwDomCoreNode* _ptObjectWithContentToLoad = nullptr;
    std::string _dsHref;
    std::string _dsWindowName;
    KxwDomHtmlWindow* _ptTargetWindow = nullptr;
    KxwObjMgr* _ptObjMgr;
    KxwPostId _tPostId = 0;
    KxwDomCoreNode* _ptTargetObjectForAbort = nullptr;
    std::unique_ptr<KxwDomWatchDelete> _ptTargetWatch;
    std::string _dsAccumulatedResponseBody;
    int _iContentType = KXW_DOM_CONTENT_TYPE_DEFAULT;
    std::string _dsResponseCharset;
    unsigned char _ucFlags1 = 0;
    void* _pvUserData = nullptr;
    // The hold on the onload of the document's window that a download for one of its elements keeps until it ends.
    std::unique_ptr<KxwDomOnLoadHold> _ptOnLoadHold;
    // The reset count of the target's document when a subresource was asked for; 0 for other loads.
    uint32_t _uRequestDocumentGeneration = 0;
    // The node told NotifyDownloadRequested and not yet NotifyDownloadRequestEnded (it is the target watched).
    KxwDomCoreNode* _ptDownloadRequestNode = nullptr;
};
