// A window: the browsing context that holds one HTML document at a time, and the global object of that document's
// scripts (script class "Window"). Each document gets a global of its own in the virtual user's compartment, behind
// the window's proxy, so that references to the window survive navigation while the old page's names do not. Top
// windows derive from it; a frame's window belongs to its FRAME or IFRAME element. Loads the window cannot make
// itself are handed to the engine as notifications and come back as DOM commands.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "KxwDomEventTarget.h"
#include "KxwDomHtmlProperty.h"
#include "KxwDomOnLoadHold.h"
#include "KxwDomTimeoutStatus.h"
#include "KxwDomWatchDelete.h"
#include "KxwU16nHandler.h"
#include "kxw/KxwDomBrowsing.h"
#include "kxw/KxwJswGlobal.h"

class KxwObjMgr;
class KxwDomHtmlDocument;
class KxwDomHtmlTopWindow;
class KxwDomHtmlLocation;
class KxwDomPropertyInfo;
class KxwDomHtmlHistory;
class KxwDomHtmlElementFrameBase;
class KxwDomHtmlPopupWindow;
class KxwDomHtmlElementScript;
class KxwJsval;

KXW_DOM_TARGET_FRAME_VALUE_ENUM xfeKxwDomGetTargetFrameValue(const char* mpsfName, unsigned muLen);

// What window.open hands the engine when it aims at an existing window (notification 4).
struct KxwDomWindowOpenParameters {
    std::string _dsHref;
    std::string _dsName;
    KxwDomHtmlWindow* _ptTargetWindow = nullptr;
};

class KxwDomSiteForActiveX;

class KxwDomHtmlWindow : public KxwDomEventTarget, public KxwJswGlobalOwner {
public:
    // A top window (mptParent null) or a frame's window, which mptFrameElement owns.
    KxwDomHtmlWindow(KxwObjMgr* mptObjMgr, KxwDomHtmlWindow* mptParent, KxwDomHtmlElementFrameBase* mptFrameElement);
    ~KxwDomHtmlWindow() override;

    // ---- The window tree ----
    KxwObjMgr* GetObjMgr() const { return _ptObjMgr; }
    KxwDomHtmlWindow* GetParentWindow() const { return _ptParentWindow; }
    virtual KxwDomHtmlTopWindow* GetTopWindow();
    virtual bool IsTopWindow() const { return false; }
    KxwDomHtmlElementFrameBase* GetFrameElement() const { return _ptFrameElement; }
    // The frame element is going: the window is deleted by it next.
    void ForgetFrameElement() { _ptFrameElement = nullptr; }
    // Every frame window made for the current document (also those whose elements left it), in creation order.
    const std::vector<KxwDomHtmlWindow*>& GetChildFrameWindows() const { return _tChildFrameWindows; }
    // The frames of the current document: windows of its FRAME and IFRAME elements in the tree, in document order.
    std::vector<KxwDomHtmlWindow*> GetFrameWindows() const;
    KxwDomHtmlWindow* GetFrameWindow(unsigned muIndex) const;
    KxwDomHtmlWindow* GetFrameWindowByName(const char* mpsfName, unsigned muLen) const;
    // The window a frame element of the current document gets, made at its first need.
    KxwDomHtmlWindow* ObtainFrameWindow(KxwDomHtmlElementFrameBase* mptFrameElement);
    // A frame window leaves this window's list (its element is deleted).
    void RemoveChildFrameWindow(KxwDomHtmlWindow* mptChild);
    uint32_t GetFrameHierarchyId() const { return _uFrameHierarchyId; }
    // The id a new child frame gets: the parent's id × 16 + the parent's counter, or 0xFFFFFFFF past 32 bits.
    uint32_t ComputeChildFrameHierarchyId();
    // Whether mptOther is this window or a frame below it, by its frame hierarchy id.
    bool IsSelfOrAncestorOf(const KxwDomHtmlWindow* mptOther) const;
    // The window of this one's hierarchy (this one included) with the id, or null.
    KxwDomHtmlWindow* GetWindowFromHierarchyId(uint32_t muId);
    // A top window's modeless and modal dialog windows, which walks over every window of a virtual user enter
    // after the window. Windows without dialogs (frames, and top windows until dialogs can be opened) have none.
    virtual KxwDomHtmlWindow* GetWindowDialogModeless() const { return nullptr; }
    virtual KxwDomHtmlWindow* GetWindowDialogModal() const { return nullptr; }

    // ---- Pop-ups ----
    // The pop-up of createPopup: made at the first call for the current document, which it goes with.
    KxwDomHtmlPopupWindow* ObtainPopupWindow();
    // The pop-up whose window this is (the pop-up flag), or null.
    KxwDomHtmlPopupWindow* GetPopup() const { return _ptPopup; }
    // The window of the pop-up this one made (shown or not), which walks over every window enter after it.
    KxwDomHtmlWindow* GetOwnedPopupWindow() const;
    void SetPopup(KxwDomHtmlPopupWindow* mptPopup) { _ptPopup = mptPopup; }

    // ---- Name and state ----
    const std::string& GetWindowName() const { return _dsName; }
    void SetWindowName(const char* mpsfName, unsigned muLen) {
        _dsName.assign(mpsfName ? mpsfName : "", mpsfName ? muLen : 0);
    }
    bool GetIsClosed() const { return _bIsClosed; }
    unsigned GetTargetCount() const { return _uTargetCount; }
    void IncrementTargetCount() { ++_uTargetCount; }

    // ---- The document ----
    KxwDomHtmlDocument* GetDocument() const { return _ptHtmlDocument; }
    // The global of the current document's scripts (null while the virtual user has no script engine).
    KxwJswGlobal* GetGlobal() const { return _ptGlobal; }
    // Makes the window's empty document and its global; the referrer is kept in the document.
    bool CreateNewDocument(const char* mpsfReferrer, unsigned muReferrerLen);
    KxwDomHtmlLocation* GetLocation();
    // The window's location as a script property of its document (document.location), and its assignment (a
    // navigation, as location.href = URL).
    bool GetLocationProperty(KxwDomPropertyInfo& mrtPropertyInfo);
    void SetLocationProperty(KxwDomPropertyInfo& mrtPropertyInfo);
    // A META refresh of the current document: its location is replaced by the URL (change type 9).
    void NavigateByMetaRefresh(const std::string& mdsUrl);
    virtual KxwDomHtmlHistory* GetHistory();
    // Prepares the window for a new document or for its end; false when the reset deleted the window.
    bool Reset(KXW_DOM_RESET_WINDOW_REASON_ENUM meReason);
    long GetResetRecursionDepth() const { return _liResetRecursionDepth; }
    // Counts the document's generations: a hold taken on an earlier document no longer counts.
    uint32_t GetDocumentGeneration() const { return _uDocumentGeneration; }

    // ---- Loads and onload ----
    // A download that holds off onload (the document's frames, images, scripts) starts or ends, whatever its end.
    void AddOnLoadHold();
    void ReleaseOnLoadHold();
    void NotifyEndOfHtml();
    // A frame's own window completed, failed or was aborted.
    void NotifyOwningFrameFinishedDownloading(KxwDomHtmlWindow* mptFrameWindow);
    // Decides whether onload fires now.
    void NotifyOnLoadTriggerChanged();
    bool IsOnLoadInvoked() const { return _bOnLoadInvoked; }
    long GetOnLoadCounter() const { return _liOnLoadCounter; }
    // The frame's load was asked of the engine: the parent waits for the frame until it completes or fails.
    void HoldParentOnLoad();
    // The frame's load completed, failed or was aborted: the parent's wait ends (once).
    void ReleaseParentOnLoad();
    // The load of this window's document failed: the window is complete with what it has.
    void NotifyDocumentLoadFailed(KXW_WTL_SEV_LVL_ENUM meSevLvl, char* mpszMsg, int miMsgId);
    // The window's own page (the object a DOM command loads for a top window, and for a frame through its element).
    void NotifyDownloadComplete() override { NotifyOnLoadTriggerChanged(); }
    void NotifyDownloadFailed(KXW_WTL_SEV_LVL_ENUM meSevLvl, char* mpszMsg, int miMsgId) override {
        NotifyDocumentLoadFailed(meSevLvl, mpszMsg, miMsgId);
    }
    void NotifyDownloadAborted() override;
    // The end of the document's parsing: frames that joined it without their page being asked for ask now.
    void RequestPendingFrameLoads();
    // Marks a window whose document needs no download (about:blank) as complete.
    void MarkCompleteWithoutDownload();
    // A failed load's message, issued once at the step's end.
    void SetDownloadFailedFormattedMsg(KXW_WTL_SEV_LVL_ENUM meSevLvl, char* mpszMsg, int miMsgId);
    void IssueAndResetDownloadFailedFormattedMsg();

    // ---- Navigation ----
    // window.open: the target window (found or made), or null.
    KxwDomHtmlWindow* OpenWindowOrDefer(const char* mpsfUrl, unsigned muUrlLen, const char* mpsfName,
                                        unsigned muNameLen);
    // Makes the new top window of window.open (no target) or prepares the target for a new document.
    KxwDomHtmlWindow* Open(KxwDomHtmlWindow* mptTarget, const char* mpsfUrl, unsigned muUrlLen, const char* mpsfName,
                           unsigned muNameLen);
    KxwDomHtmlWindow* FindWindowOpenTarget(bool& mrbError, const char* mpsfName, unsigned muNameLen);
    // The frame search of script steps: by name (regular expression or not), id and ordinal.
    virtual KxwDomHtmlWindow* FindHtmlWindow(const char* mpsfName, unsigned muNameLen, bool mbNameIsRegExp,
                                             const char* mpsfId, unsigned muIdLen, unsigned muOrdinal);
    KxwDomHtmlWindow* FindHtmlWindowByFrameName(const char* mpsfName, unsigned muLen);
    virtual void Close(bool mbForce);
    // The URL combined with the base of the window whose script runs now (or this one's), without a length limit.
    std::string CombineWithScriptBaseUrl(const char* mpsfUrl, unsigned muUrlLen);
    // The window whose script runs now, or null.
    static KxwDomHtmlWindow* GetScopeWindow();

    // ---- Scripts ----
    // Runs a DCS text (converted with the document's charset) as a script of this window's page, inside the
    // evaluation bracket of mptInitiator (the window when null). The result, when asked for, is the completion
    // value (its string form when mbReturnValueAsString); mpvCacheData is the downloaded text's cache handle.
    // False when the text did not compile or threw.
    bool EvaluateSingleScript(const char* mpsfTextDcs, unsigned muTextLen, KxwJswUserObjBase* mptScope,
                              void* mpvCacheData, KxwJsval* mptResultOrNull, bool mbReturnValueAsString,
                              int miMessageType, const char* mpszFile = nullptr, unsigned muFirstLine = 1,
                              KxwDomNodeBase* mptInitiator = nullptr);
    // A deferred script's source arrived after its end tag: the load event may be due now.
    void NotifyScriptSrcDeferDownloaded(KxwDomHtmlElementScript* mptDownloadedScript);
    // The string a javascript: URL aimed at this window gave becomes its new document.
    void WriteResultOfUrlScriptToDocument(const KxwJsval& mrtResult, const char* mpszDescription,
                                          const std::string& mrdsBaseUrl, const char* mpsfUrl, unsigned muUrlLen);

    // ---- Step and iteration ----
    virtual void OnStepEnd();
    virtual void OnEndIteration();

    // ---- Timers ----
    KxwDomTimeoutStatus& GetTimeoutStatus() { return _tTimeoutStatus; }
    // setTimeout and setInterval: the code as a function, or its text (mpdsCode) compiled in this window's page;
    // the timer identifier.
    int SetTimeoutAndIntervalCommon(bool mbInterval, const KxwJsval& mrtCode, int miDelay,
                                    const std::u16string* mpdsCode);
    void SetVirtualTimerTime(uint32_t muTimestamp);
    void DefreezeTimeouts() { _tTimeoutStatus.DefreezeTimeouts(); }
    void OnScriptComplete() { _tTimeoutStatus.OnScriptComplete(); }

    // ---- Events ----
    // The window answers load and unload besides what every target answers.
    bool CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) override;
    KxwDomHtmlWindow* GetOwnerWindow() override { return this; }
    KxwDomHtmlDocument* GetEventDocument() override { return _ptHtmlDocument; }
    // A handler the page declared as a global function (function onload() {...}) is the window's handler.
    void CreateGlobalFunctionListenerIfApplicable(KXW_DOM_EVENT_TYPE_ENUM meEventType) override;
    // Whether the window is going: closed, asked to close (the close waits for the running code), or a frame whose
    // element left its parent's page. Events that started in it end there.
    bool IsGoingAway();
    // window.event: the event whose handler runs now, or null.
    KxwDomCoreEvent* GetWindowEvent() const;
    void SetWindowEvent(KxwDomCoreEvent* mptEvent);

    // ---- The global's owner ----
    KxwJswUserObjBase* GetGlobalDocument() override;

    // ---- Shared DOM operations ----
    KXW_DOM_COMMON_NODE_TYPE_ENUM GetNodeType() const override { return KXW_DOM_COMMON_NODE_TYPE_INTERNAL; }
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM GetNodeSubtype() const override { return KXW_DOM_COMMON_NODE_SUBTYPE_WINDOW; }
    KxwDomHtmlWindow* AsHtmlWindow() override { return this; }
    const char16_t* GetNodeNameU16n(unsigned* mpuLenInChars) const override;
    // The window's line of a hierarchy dump, labelled "Top" or "Non-top" and without its dotted number.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;
    // The window's line with a label and its dotted number in the hierarchy: its name, its document's address,
    // its neighbours in the window tree (frames are numbered within their parent window), its dialogs, opener and
    // deferred close.
    void PrintWindowLine(const char* mpszLabel, const char* mpszFrameId, KXW_WTL_SEV_LVL_ENUM meSevLvl) const;
    const KxwDomHtmlPropertyStr& GetName() const override { return _tNameProperty; }

    // ---- The wrapper's operations ----
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool GetShouldAddJSRoot() override { return true; }
    bool GetShouldBeDeletedAtFinalize() override { return false; }
    KxwJswGlobal* GetJsiHomeGlobal() override { return _ptGlobal; }
    // The container of the window's controls (a KxwDomSiteForActiveX), made on first use.
    void* GetSiteForActiveX() override;
    // Frames by name are named items of the window (and globals of its page).
    bool IsResolved(const char* mpszName) override;
    bool GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    bool GetPropByIndex(int32_t miIndex, void** mppvValue, unsigned* mpnLength,
                        KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    static const KxwJswClassInformation& GetWindowClassInformation();

protected:
    friend class KxwDomHtmlWindowScript;
    // Top windows drop their dialogs and deferred close on a reset.
    virtual void OnResetOfTopWindow() {}
    void DeleteDocumentAndFrames();
    void ReleaseGlobal();

    KxwObjMgr* _ptObjMgr;
    KxwDomHtmlWindow* _ptParentWindow;
    KxwDomHtmlElementFrameBase* _ptFrameElement;
    KxwU16nHandlerGeneral _tU16nHandler;

private:
    void FireUnloadRecursively();
    void LinkDocument();

    KxwDomHtmlDocument* _ptHtmlDocument = nullptr;
    KxwJswGlobal* _ptGlobal = nullptr;
    KxwDomHtmlLocation* _ptLocation = nullptr;  // of the current document
    std::vector<KxwDomHtmlWindow*> _tChildFrameWindows;
    KxwDomHtmlPopupWindow* _ptOwnedPopup = nullptr;  // made by createPopup for the current document
    KxwDomHtmlPopupWindow* _ptPopup = nullptr;       // the pop-up this window belongs to
    std::string _dsName;
    KxwDomHtmlPropertyStr _tNameProperty;
    KxwDomSiteForActiveX* _ptSiteForActiveX = nullptr;  // one reference, released with the window
    KxwDomHtmlPropertyStr _tStatus;
    KxwDomHtmlPropertyStr _tDefaultStatus;
    uint32_t _uFrameHierarchyId = 0;
    uint32_t _uFrameIdCounter = 0;
    uint32_t _uDocumentGeneration = 0;
    unsigned _uTargetCount = 0;
    long _liOnLoadCounter = 0;
    bool _bOnLoadInvoked = false;
    bool _bOnUnloadInvoked = false;
    bool _bInOnLoadTrigger = false;

protected:
    bool _bIsClosed = false;
    long _liResetRecursionDepth = 0;

private:
    KxwDomTimeoutStatus _tTimeoutStatus;
    // This frame window's hold on its parent's onload, taken when its load was asked of the engine.
    KxwDomOnLoadHold _tParentHold;
    KxwDomWatchDelete _tWindowEvent;
    KXW_WTL_SEV_LVL_ENUM _eDownloadFailedSevLvl = KXW_WTL_SEV_LVL_ENUM_NOTICE;
    int _iDownloadFailedMsgId = 0;
    char* _pszDownloadFailedMsg = nullptr;
};
