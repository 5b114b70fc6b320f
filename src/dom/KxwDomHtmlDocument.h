// The HTML document of a window or frame: the root of its node tree, the collections it files its elements into
// (forms, links, images, named items ...), the state of loading and parsing with its depth counters, the lists of
// scripts waiting for their source or their deferred turn, the meta refresh, and the script class "document".
//
// The HTML text itself is parsed outside: the engine's parser builds the tree through the element factory, the
// parsed setters and AppendChild, bracketed by the state operations below. Whenever the library needs text turned
// into nodes (document.write, innerHTML, a body for an empty document) it hands the text to the object manager as
// a notification, and the parser builds into the document or element named:
//
//   notification 7  (KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT):  subject the document, extra a const KxwDomStr*
//                    holding the HTML text in DCS (the document's charset);
//   notification 13 (..._GET_COOKIE): subject the document, no extra; the receiver stores the cookie (SetCookie);
//   notification 14 (..._SET_COOKIE): subject the document, extra a const KxwDomStr* with the assigned cookie (DCS);
//   notification 18 (..._INNER_HTML): subject the element to build into, extra a const KxwDomStr* with the markup
//                    in DCS (sent by the elements, see KxwDomHtmlElement).
//
// KxwDomHtmlDocument.cpp holds the state and the filing, KxwDomHtmlDocumentLoading.cpp the loading side (end of
// response, pending scripts, meta refresh), KxwDomHtmlDocumentScript.cpp the script properties and methods.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "KxwDomCoreDocument.h"
#include "KxwDomHtmlCollectionMap.h"
#include "KxwDomHtmlRadioGroupMgr.h"
#include "KxwU16nHandler.h"
#include "KxwUtilCounter.h"

class KxwDomHtmlCollectionGeneral;
class KxwDomHtmlCollectionOrdered;
class KxwDomHtmlElement;
class KxwDomHtmlElementBase;
class KxwDomHtmlElementLink;
class KxwDomHtmlElementMeta;
class KxwDomHtmlElementScript;
class KxwDomHtmlElementTitle;
class KxwDomEventData;
class KxwDomEventTarget;
class KxwDomHtcDocument;
class KxwDomNamespace;
class KxwDomNamespaceCollection;
class KxwDomHtmlEvent;
class KxwDomHtmlWindow;
class KxwDomDocumentSnapshotHandler;
class KxwDomXmlResponse;

// The collections the document keeps, in the order of their script-visible names.
enum KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM {
    KXW_DOM_HTML_DOCUMENT_COLLECTION_ANCHORS,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_LINKS,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_IMAGES,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_FORMS,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_APPLETS,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_EMBEDS,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_SCRIPTS,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_NAMESPACES,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_DEFAULT,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_WINDOW_DEFAULT,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_TEXT,  // the nine INPUT types other than radio
    KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_PASSWORD,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_HIDDEN,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_CHECKBOX,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_FILE,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_SUBMIT,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_IMAGE,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_RESET,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_BUTTON,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_BUTTON_SUBMIT,  // the BUTTON types in the order of KXW_DOM_HTML_BUTTON_TYPE_ENUM
    KXW_DOM_HTML_DOCUMENT_COLLECTION_BUTTON_RESET,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_BUTTON_BUTTON,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_SELECT,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_TEXTAREA,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_NAMED_MAPS,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_SRC,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_DEFER,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_COMPLETION,
    // The connected SCRIPT elements with both "for" and a known "event", in the order they became so.
    KXW_DOM_HTML_DOCUMENT_COLLECTION_SCRIPTS_WITH_FOR_EVENT,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_COUNT,
};

class KxwDomHtmlSelection;

class KxwDomHtmlDocument : public KxwDomCoreDocument {
public:
    // Evaluates a SCRIPT element's text (the node is a KxwDomHtmlElementScript); the library's own evaluation of
    // script elements comes later, until then the embedder (or a test) installs one. True when the script ran. The
    // same type as the building interface's evaluator, which is handed on as it is.
    using ScriptEvaluator = bool (*)(void* mpvClosure, KxwDomHtmlDocument* mptDocument, KxwDomNodeBase* mptScript);

    // On mptMemMgr, in the charset named (windows-1252 when null or unknown).
    explicit KxwDomHtmlDocument(KxwMemMgr* mptMemMgr, const char* mpszCharset = nullptr);
    KxwDomHtmlDocument* AsHtmlDocument() override { return this; }
    ~KxwDomHtmlDocument() override;

    // ---- The window that shows the document (null for a document of its own) ----
    KxwDomHtmlWindow* GetWindow() const { return _ptWindow; }
    void SetWindow(KxwDomHtmlWindow* mptWindow) { _ptWindow = mptWindow; }

    // ---- State flags ----
    bool IsFrameSetDocument() const { return (_ucDocumentFlags & kFlagFrameSet) != 0; }
    void SetIsFrameSetDocument(bool mbOn) { SetDocumentFlag(kFlagFrameSet, mbOn); }
    bool IsSchemeJavascript() const { return (_ucDocumentFlags & kFlagSchemeJavascript) != 0; }
    void SetIsSchemeJavascript(bool mbOn) { SetDocumentFlag(kFlagSchemeJavascript, mbOn); }
    bool IsDownloading() const { return (_ucDocumentFlags & kFlagDownloading) != 0; }
    void SetIsDownloading(bool mbOn) { SetDocumentFlag(kFlagDownloading, mbOn); }
    bool IsHtmlParsing() const { return (_ucDocumentFlags & kFlagHtmlParsing) != 0; }
    void SetIsHtmlParsing(bool mbOn) { SetDocumentFlag(kFlagHtmlParsing, mbOn); }
    bool IsInitialProcessingEnded() const { return (_ucDocumentFlags & kFlagInitialProcessingEnded) != 0; }
    void SetIsInitialProcessingEnded(bool mbOn) { SetDocumentFlag(kFlagInitialProcessingEnded, mbOn); }
    bool IsWriteAfterInitialProcessing() const { return (_ucDocumentFlags & kFlagWriteAfterInitialProcessing) != 0; }
    void SetIsWriteAfterInitialProcessing(bool mbOn) { SetDocumentFlag(kFlagWriteAfterInitialProcessing, mbOn); }
    // Not parsing, and not downloading unless a javascript: URL is being evaluated.
    bool IsResetAfterInitialProcessing() const;

    // ---- Depth counters ----
    long GetJavascriptUrlEvaluationDepth() const { return _tJavascriptUrlEvaluationDepth.Get(); }
    long IncrementJavascriptUrlEvaluationDepth() { return _tJavascriptUrlEvaluationDepth.Increment(); }
    long DecrementJavascriptUrlEvaluationDepth() { return _tJavascriptUrlEvaluationDepth.Decrement(); }
    long GetScriptEvaluationDepth() const { return _tScriptEvaluationDepth.Get(); }
    long IncrementScriptEvaluationDepth() { return _tScriptEvaluationDepth.Increment(); }
    long DecrementScriptEvaluationDepth() { return _tScriptEvaluationDepth.Decrement(); }
    long GetDocumentWriteDepth() const { return _tDocumentWriteDepth.Get(); }
    long IncrementDocumentWriteDepth() { return _tDocumentWriteDepth.Increment(); }
    long DecrementDocumentWriteDepth() { return _tDocumentWriteDepth.Decrement(); }
    long GetParsingDepth() const { return _tParsingDepth.Get(); }
    long IncrementParsingDepth() { return _tParsingDepth.Increment(); }
    // The last parse ending deletes the nodes that left the tree while it ran.
    long DecrementParsingDepth();
    bool IsParseUnderWay() const override { return !_bDestroying && _tParsingDepth.Get() > 0; }
    bool IsScriptUnderWay() const override { return !_bDestroying && _tScriptEvaluationDepth.Get() > 0; }
    long GetInnerOuterHtmlDepth() const { return _tInnerOuterHtmlDepth.Get(); }
    long IncrementInnerOuterHtmlDepth() { return _tInnerOuterHtmlDepth.Increment(); }
    long DecrementInnerOuterHtmlDepth() { return _tInnerOuterHtmlDepth.Decrement(); }

    // ---- Loading ----
    // The response's download starts or ends (parsing cannot be on while a download starts: reported, turned off).
    void NotifyDownloading(bool mbStarting);
    // The parser starts or ends building; the end of a frameset document's parsing loads its frames.
    void NotifyHtmlParsing(bool mbStarting);
    // Whether the end of the response also ends the parsing; mrbRemoved tells that a source script whose closing
    // tag never came was dropped.
    bool IsEndOfResponseEndOfParsing(bool& mrbRemoved);

    // ---- The elements the document knows ----
    KxwDomHtmlElement* GetHead() const { return _ptHead; }
    void SetHead(KxwDomHtmlElement* mptHead) { _ptHead = mptHead; }
    KxwDomHtmlElement* GetHtmlBody() const { return _ptBody; }
    // document.selection: made on the first request, for the body as it is then, and kept.
    KxwDomHtmlSelection* GetSelection();
    void SetHtmlBody(KxwDomHtmlElement* mptBody) { _ptBody = mptBody; }
    // The TITLE element; with mbCreate a detached one (the document's own) is made when there is none.
    KxwDomHtmlElementTitle* GetTitle(bool mbCreate);
    void SetTitle(KxwDomHtmlElementTitle* mptTitle);
    // Sets the text of the title element (made when needed).
    void SetTitle(const char* mpsfDcsStr, int miDcsLenInBytes);
    KxwDomHtmlElement* GetActiveElement() const { return _ptActiveElement; }
    void SetActiveElement(KxwDomHtmlElement* mptElement) { _ptActiveElement = mptElement; }

    // ---- Event objects ----
    // An event object for a dispatch, one released earlier when there is one; handed back when the dispatch ends.
    KxwDomHtmlEvent* ObtainEventObject(KxwDomEventTarget* mptSrcElement, KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                       const KxwDomEventData* mptDomEventDataOrNULL);
    void ReleaseEventObject(KxwDomHtmlEvent* mptEvent);
    // The document answers readystatechange and dataavailable besides what every target answers.
    bool CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) override;

    // ---- BASE elements ----
    // Every BASE element that became active is kept, so that elements made meanwhile keep resolving against the
    // BASE in force when they were made; index 0 is none.
    const KxwDomHtmlElementBase* GetActiveBase() const;
    uint16_t GetActiveBaseIndex() const { return _uActiveBaseIndex; }
    uint16_t GetActiveBaseIndexOf(const KxwDomHtmlElementBase* mptBase) const;
    const KxwDomHtmlElementBase* GetActiveBaseByIndex(uint16_t muIndex) const;
    // A BASE element is being deleted.
    void ForgetBaseElement(const KxwDomHtmlElementBase* mptBase);
    // Counts the changes of what relative addresses resolve against (the document's address, its base, the href of
    // a BASE): an element that cached a resolved address works it out again once the count moved on. Never 0.
    uint32_t GetBaseUrlGeneration() const { return _uBaseUrlGeneration; }
    // Counts the resets that emptied the document in place (document.open, a write after the page, a reparse).
    uint32_t GetResetGeneration() const { return _uResetGeneration; }
    void NoteBaseUrlChanged();
    // A LINK became or stopped being a style sheet, or a style-sheet LINK joined or left the document (traced:
    // styleSheets finds the sheets in the tree each time it is read).
    void StyleSheetLinkChanged(const KxwDomHtmlElementLink* mptLink, bool mbIsStyleSheetInDocument);

    // ---- Addresses and texts ----
    const KxwDomHtmlPropertyStr& GetHref() const { return _tHref; }
    void SetHrefDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    void SetNonHrefBaseUrlDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    // The URL relative addresses resolve against: the base given apart from the href, else the href.
    const char* GetBaseUrlDcs(unsigned* mpuLen) const;
    const KxwDomHtmlPropertyStr& GetReferer() const { return _tReferer; }
    void SetReferer(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    const KxwDomHtmlPropertyStr& GetCookie() const { return _tCookie; }
    void SetCookie(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    // The domain written by a script, else the host of the document's address.
    std::string GetDomainDcs() const;
    void SetDomainU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);

    // ---- Character sets ----
    // The charset of the response; false (reported) for a name that is not known (the charset stays).
    bool SetResponseCharset(const char* mpsfCharset, unsigned muLen);
    const char* GetResponseCharsetName() const { return _tResponseCharset.GetCharsetName(); }
    const char* GetRequestCharset() const { return GetResponseCharsetName(); }
    // The radio groups of the document's radio buttons.
    KxwDomHtmlRadioGroupMgr& GetRadioGroupMgr() { return _tRadioGroupMgr; }

    // ---- Pending scripts ----
    bool AppendPendingScript(KxwDomHtmlElementScript* mptScript);
    bool AppendPendingScriptSrc(KxwDomHtmlElementScript* mptScript);
    bool AppendPendingScriptDefer(KxwDomHtmlElementScript* mptScript);
    bool AppendPendingScriptCompletion(KxwDomHtmlElementScript* mptScript);
    bool RemovePendingScript(KxwDomHtmlElementScript* mptScript, bool mbIssueErrorIfFails);
    bool RemovePendingScriptSrc(KxwDomHtmlElementScript* mptScript, bool mbIssueErrorIfFails);
    bool RemovePendingScriptDefer(KxwDomHtmlElementScript* mptScript, bool mbIssueErrorIfFails);
    bool RemovePendingScriptCompletion(KxwDomHtmlElementScript* mptScript, bool mbIssueErrorIfFails);
    unsigned long GetPendingScriptSrcCount() const;
    unsigned long GetPendingScriptDeferCount() const;
    unsigned long GetPendingScriptCompletionCount() const;
    bool IsAwaitingScriptSrc() const { return GetPendingScriptSrcCount() != 0; }
    // Whether the script waits in the source list (it holds back the scripts and the parsing after it).
    bool IsPendingScriptSrc(const KxwDomHtmlElementScript* mptScript) const;
    // Run the waiting scripts that may run now, strictly in their order.
    void EvaluatePendingScriptSrc();
    void EvaluatePendingScriptDefer();
    void ScriptCompletion();
    void SetScriptEvaluator(ScriptEvaluator mpfEvaluator, void* mpvClosure);

    // ---- Meta refresh ----
    void SetMetaRefresh(KxwDomHtmlElementMeta* mptMetaRefresh);
    KxwDomHtmlElementMeta* GetMetaRefresh() const { return _ptMetaRefresh; }
    void HandleMetaRefresh();
    void DoMetaRefresh();
    // The refresh at its own time: the virtual clock is set to its expiration first.
    void DoMetaRefreshUsingVirtualTimerTime();
    // The refresh timer fired: the driver has already let go of it, so it is not unregistered again.
    void OnMetaRefreshTimerFired();
    void ResetMetaRefresh();
    unsigned long GetMetaRefreshExpirationTimestamp() const { return _uliMetaRefreshExpirationTimestamp; }

    // ---- Snapshots ----
    // What the snapshots keep of the document, made at the first need; null without a virtual user.
    KxwDomDocumentSnapshotHandler* GetSnapshotHandler();

    // ---- Content ----
    // Empties the document for new content.
    void Reset() override;
    // Hands HTML text to the parser (notification 7). With mbCheckInitialProcessing, a write after the page was
    // loaded starts a new document first.
    void Write(const char* mpszHtmlStr, bool mbCheckInitialProcessing);
    void Write(const char* mpsfHtmlStr, unsigned muLen, bool mbCheckInitialProcessing);
    // Makes the parser create what is missing by writing "<BODY></BODY>".
    void VerifyNonEmptyBodyElement();
    void VerifyNonEmptyDocumentElement();
    // A dummy HTML container element (not in the tree, not parked) to build markup into.
    KxwDomHtmlElement* CreateDummyContainerElement(const char* mpszCallingFunctionNameStr);

    // ---- Collections and lookups ----
    KxwDomHtmlCollectionGeneral* GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM meCollection) const;
    const KxwDomHtmlCollectionGeneral* GetDefaultCollection() const override;
    KxwDomHtmlCollectionGeneral* GetWindowDefaultCollection() const;
    KxwDomHtmlCollectionGeneral* GetForms() const;
    KxwDomHtmlCollectionGeneral* GetLinks() const;
    // The namespaces the page declared (the collection owns them).
    KxwDomNamespaceCollection* GetNamespaces() const;
    KxwDomNamespace* AddNamespaceDcs(const char* mpsfName, unsigned muNameLen, const char* mpsfUrn, unsigned muUrnLen);
    // The behaviour whose file this document holds; null for a page.
    virtual KxwDomHtcDocument* GetHtcDocument() const { return nullptr; }
    // The XML response this document shows (document.XMLDocument, XSLDocument), made on first need; the
    // document's reset lets it go.
    KxwDomXmlResponse* ObtainXmlResponse();
    KxwDomXmlResponse* GetXmlResponse() const { return _ptXmlResponse.get(); }
    KxwDomHtmlCollectionGeneral* GetNamedMaps() const;
    KxwDomHtmlCollectionGeneral* GetControlInputText() const;
    KxwDomHtmlCollectionGeneral* GetControlInputImage() const;
    // The inputs of one type in document order; null for radio buttons, which the radio groups hold.
    KxwDomHtmlCollectionGeneral* GetControlInputs(int miInputType) const;
    // A named property of the document (none in a frameset document).
    KxwDomBase* GetItem(const char* mpszName, bool mbByIdentifier) override;
    // The first element whose id, or else name, equals the value ignoring case; null for none or an empty value.
    KxwDomHtmlElement* GetElementById(const char16_t* mpwsfId, unsigned muLen);
    // The last element in document order whose id is the given one.
    KxwDomNodeBase* GetLastElementWithId(const KxwDomStr& mrtId);

    // ---- Tree notifications ----
    void NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                    void* mpvNotificationObject) override;
    void NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                                  void* mpvNotificationObject) override;
    void ForgetDeletedNode(const KxwDomNodeBase* mptNode) override;

    // ---- Hierarchy dump ----
    // The document's line; with the collections mask, its collections and its disconnected-nodes list.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;

    // ---- The wrapper's operations ----
    KXW_DOM_HTML_READY_STATE_ENUM GetReadyStateRaw() const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    static const KxwJswClassInformation& GetDocumentClassInformation();

private:
    static constexpr uint8_t kFlagFrameSet = 0x01;
    static constexpr uint8_t kFlagSchemeJavascript = 0x02;
    static constexpr uint8_t kFlagDownloading = 0x04;
    static constexpr uint8_t kFlagHtmlParsing = 0x08;
    static constexpr uint8_t kFlagInitialProcessingEnded = 0x10;
    static constexpr uint8_t kFlagWriteAfterInitialProcessing = 0x20;

    void SetDocumentFlag(uint8_t mucFlag, bool mbOn) {
        _ucDocumentFlags = static_cast<uint8_t>(mbOn ? (_ucDocumentFlags | mucFlag) : (_ucDocumentFlags & ~mucFlag));
    }

    // ---- Filing ----
    // The collections an element belongs to, as a bit set over KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM; with
    // mpszNewKey, as if its id (mbNewKeyIsId) or its name were that text.
    uint32_t GetFilingMask(KxwDomNodeBase* mptNode, const char* mpszNewKey, bool mbNewKeyIsId) const;
    void ObjectAddedRemovedNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                                    void* mpvNotificationObject);
    void FileAddedElement(KxwDomHtmlElement* mptElement);
    void UnfileRemovedElement(KxwDomHtmlElement* mptElement);
    void RekeyElement(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, KxwDomHtmlElement* mptElement,
                      const char* mpszNewKey);
    void RemovingDescendantsFromDocumentNotified(KxwDomNodeBase* mptTopOfRemoved);
    void AreaAnchorHrefNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, KxwDomNodeBase* mptSubject);
    // A node of this document leaves it (or only what lies under it, mbDescendantsOnly; everything for null):
    // whatever points at it lets go (title, body, head, refresh, the pending lists).
    void ForgetElementPointers(const KxwDomNodeBase* mptNode, bool mbDescendantsOnly);

    // ---- Lists of scripts ----
public:
    // Files a connected script among the scripts with for and event, or takes it out, as mbActive says.
    void UpdateScriptWithForEvent(KxwDomHtmlElementScript* mptScript, bool mbActive);

private:
    bool AppendToPendingList(KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM meList, KxwDomHtmlElementScript* mptScript,
                             const char* mpszOperation);
    bool RemoveFromPendingList(KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM meList, KxwDomHtmlElementScript* mptScript,
                               bool mbIssueErrorIfFails, const char* mpszOperation);
    // The first item of a pending list as a script, or null (a non-script item is reported and the list emptied).
    KxwDomHtmlElementScript* FirstPendingScript(KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM meList, const char* mpszCaller);
    bool EvaluateScriptElement(KxwDomHtmlElementScript* mptScript);

    void DeleteOwnTitle();
    void ClearScriptObjectProperties();
    void DownloadFrames();
    void DoOnResetOrDestructorOfHtmlDocument();

    uint8_t _ucDocumentFlags = 0;
    KxwUtilCounterTracedImplicit _tJavascriptUrlEvaluationDepth;
    KxwUtilCounterTracedImplicit _tScriptEvaluationDepth;
    KxwUtilCounterTracedImplicit _tDocumentWriteDepth;
    KxwUtilCounterTracedImplicit _tParsingDepth;
    bool _bDestroying = false;
    KxwUtilCounterTracedImplicit _tInnerOuterHtmlDepth;

    KxwDomHtmlCollectionGeneral* _aptCollections[KXW_DOM_HTML_DOCUMENT_COLLECTION_COUNT] = {};

    KxwDomHtmlElement* _ptHead = nullptr;
    KxwDomHtmlElement* _ptBody = nullptr;
    KxwDomHtmlSelection* _ptSelection = nullptr;
    KxwDomHtmlWindow* _ptWindow = nullptr;
    KxwDomHtmlElementTitle* _ptTitle = nullptr;
    bool _bTitleOwned = false;  // made by GetTitle(true), outside the tree: the document deletes it
    KxwDomHtmlElement* _ptActiveElement = nullptr;
    using BaseList =
        std::vector<const KxwDomHtmlElementBase*, KxwDomHtmlCollectionMapAllocator<const KxwDomHtmlElementBase*>>;
    BaseList _tBaseElements;
    uint16_t _uActiveBaseIndex = 0;
    uint32_t _uBaseUrlGeneration = 1;
    uint32_t _uResetGeneration = 1;

    KxwDomHtmlElementMeta* _ptMetaRefresh = nullptr;
    void* _hDrvResponseHandleRefresh = nullptr;
    unsigned long _uliMetaRefreshExpirationTimestamp = 0;

    KxwDomHtmlPropertyStr _tHref;
    KxwDomHtmlPropertyStr _tNonHrefBaseUrl;
    KxwDomHtmlPropertyStr _tReferer;
    KxwDomHtmlPropertyStr _tCookie;
    KxwDomHtmlPropertyStr _tDomain;
    KxwU16nHandlerGeneral _tResponseCharset;

    std::vector<KxwDomHtmlEvent*> _tReleasedEvents;
    // Its radios leave it as they die or leave the tree; it outlives them all, being destroyed after the tree.
    KxwDomHtmlRadioGroupMgr _tRadioGroupMgr;
    ScriptEvaluator _pfScriptEvaluator = nullptr;
    void* _pvScriptEvaluatorClosure = nullptr;
    KxwDomDocumentSnapshotHandler* _ptSnapshotHandler = nullptr;
    std::unique_ptr<KxwDomXmlResponse> _ptXmlResponse;
};
