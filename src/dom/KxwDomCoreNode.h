// A node that can have children: the child list, the primitive link operations, the checked mutations with their
// notifications, the handlers that keep the node's collections current, and the deletion of children.
//
// Checked mutations announce a moved subtree node by node to the ancestors outside it, removals before the unlink
// (the ancestors still find the subtree in place) and additions after the link. Every operation that calls out
// (notifications, parking) watches what it holds and stops when it was deleted meanwhile.
#pragma once

#include <cstdint>

#include "KxwDomNodeBase.h"

class KxwDomHtmlCollectionGeneral;
class KxwDomHtmlWindow;
class KxwDomStr;
class KxwJsval;
class KxwDomHtmlCollectionOrdered;

class KxwDomCoreNode : public KxwDomNodeBase {
public:
    KxwDomCoreNode(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr, KXW_DOM_COMMON_NODE_TYPE_ENUM meNodeType,
                   KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meNodeSubtype);
    KxwDomCoreNode(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler, KXW_DOM_COMMON_NODE_TYPE_ENUM meNodeType,
                   KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meNodeSubtype);
    KxwDomCoreNode(KxwDomCoreDocument* mptOwnerDocument, KxwDomEnv& mrtDomEnv, KXW_DOM_COMMON_NODE_TYPE_ENUM meNodeType,
                   KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meNodeSubtype);
    // Deletes the subtree without recursion, however deep it is.
    ~KxwDomCoreNode() override;

    KxwDomCoreNode* AsCoreNode() override { return this; }

    // Counts, per thread, the changes that may cut a path from a node up to its document or put a node that wants
    // notifications on it (an unlink, a replacement, a collection made): the quiet paths a document remembers
    // (KxwDomCoreDocument) hold while it stays.
    static uint64_t GetTreeShapeGeneration();
    static void NoteTreeShapeChange();

    // ---- Primitive link operations: no checks, no notifications; the caller guarantees the preconditions ----
    void BasicAppendChild(KxwDomNodeBase* mptChild);
    void BasicInsertBefore(KxwDomNodeBase* mptChild, KxwDomNodeBase* mptRefChild);
    void BasicReplaceChild(KxwDomNodeBase* mptNewChild, KxwDomNodeBase* mptOldChild);
    void BasicRemoveChild(KxwDomNodeBase* mptChild);

    // ---- Checked mutations; null on failure ----
    // A child that is in a tree is first removed from it; a document fragment gives its children instead.
    virtual KxwDomNodeBase* AppendChild(KxwDomNodeBase* mptNewChild);
    // A null reference appends. A reference that is not a child fails before anything moves.
    virtual KxwDomNodeBase* InsertBefore(KxwDomNodeBase* mptNewChild, KxwDomNodeBase* mptRefChild);
    // Moves the fragment's children, in order, before mptRefChild (appends when null); answers the fragment.
    virtual KxwDomNodeBase* InsertDocumentFragmentChildrenBefore(KxwDomNodeBase* mptDocumentFragmentNodeBase,
                                                                 KxwDomNodeBase* mptRefChild);
    // mbCheckForExistance: fail unless mptOldChild is a child of this node.
    KxwDomNodeBase* ReplaceChild(KxwDomNodeBase* mptNewChild, KxwDomNodeBase* mptOldChild, bool mbCheckForExistance);
    virtual KxwDomNodeBase* RemoveChild(KxwDomNodeBase* mptOldChild);
    void RemoveFromParent(bool mbDeleteChildren) override;
    // Lets go of every child (Release); with notification the node and its ancestors hear of it first.
    virtual void DeleteChildren(bool mbNotifyRemovingDescendants);

    // ---- Children ----
    bool HasChildNodes() const override;
    // The child list as stored (a split node's content is under its place holders).
    KxwDomNodeBase* GetFirstChild() const { return _ptFirstChild; }
    KxwDomNodeBase* GetLastChild() const { return _ptLastChild; }
    // The container (this node or one of its place holders) whose child list holds mptChild, or null.
    KxwDomCoreNode* GetTreeParentNodeOfChild(const KxwDomNodeBase* mptChild);
    KxwDomPlaceHolderNode* GetLastPlaceHolder() const;
    // The node's place holders are taken out of the tree and their children, in order, become its own.
    void RemovePlaceHolders();

    // ---- Collections, made on first use (null while no collection can be made) ----
    KxwDomHtmlCollectionGeneral* GetChildNodes();
    KxwDomHtmlCollectionGeneral* GetChildren();
    KxwDomHtmlCollectionOrdered* GetAll();
    // "all" when it was made, without making it (what a dump shows).
    KxwDomHtmlCollectionOrdered* PeekAll() const { return _ptALL; }
    KxwDomHtmlCollectionGeneral* GetElementsByTagName(const char16_t* mpwsfTagName, unsigned muTagNameLenInChars);

    // ---- Notification handlers ----
    // Whether a tree notification can change anything here: a node keeps collections, or its class handles
    // notifications itself. The walk up the tree passes the others by. A class that overrides NotifyThis or
    // NotifyThisAfterAncestors calls SetWantsEveryNotification in its constructor.
    bool WantsNotifications() const { return _bWantsEveryNotification || _ptALL || _ptChildren || _ptChildNodes; }
    // A change below this node: removals and id/name changes update the node's collections.
    virtual void NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                            void* mpvNotificationObject);
    // An addition below this node, after the ancestors above were told.
    virtual void NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                          void* mpvNotificationSubject, void* mpvNotificationObject);
    // A node below this one is deleted while still linked (not the way the tree lets nodes go, but it must not
    // leave a dangling item): this node's collections forget it. Only the node's address may be used.
    virtual void ForgetDeletedNode(const KxwDomNodeBase* mptNode);
    // Announces one node of an added (1) or removed (2) subtree whose root is mptTopOfSubHierarchy; a non-null
    // handler becomes the node's U16n handler.
    static void HandleAddedRemovedChild(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, KxwDomNodeBase* mptNode,
                                        KxwDomNodeBase* mptTopOfSubHierarchy, KxwU16nHandler* mptU16nHandler);
    // Announces a child just linked under this node, with its subtree. False when it is not in the tree after all:
    // the running script ran out of time while a large subtree was announced, and the child was unlinked again
    // (detached, parked for its engine object).
    bool HandleAddedChild(KxwDomNodeBase* mptNewChild);

    // ---- A download whose content is for this node (a DOM command's object to load) ----
    // A command took the download on, and later let it go (once each, however the download ended); the node is
    // alive at both calls.
    virtual void NotifyDownloadRequested() {}
    virtual void NotifyDownloadRequestEnded() {}
    virtual void NotifyStartDownload() {}
    virtual void NotifyDownloadComplete() {}
    // The node takes the message over (freed with free()); it may be null.
    virtual void NotifyDownloadFailed(KXW_WTL_SEV_LVL_ENUM meSevLvl, char* mpszMsg, int miMsgId);
    virtual void NotifyDownloadAborted() {}

    // ---- javascript: URLs ----
    // Runs the code of a javascript: URL that this node started (a link, location, window.open, a frame's or a
    // script's src) in mptContextWindow; mbWindowOperation makes its string result the window's new document,
    // otherwise the node takes the result (WriteResultOfUrlScriptToObject). mbMayFailRun lets a script error fail
    // the run when the settings ask for it. False for bad arguments.
    bool HandleUrlScript(const char* mpsfzUrlDcsStr, unsigned mnUrlDcsLenInBytes, KxwDomHtmlWindow* mptOriginatingWindow,
                         KxwDomHtmlWindow* mptContextWindow, const char* mpszContextWindowDescriptionStr,
                         bool mbWindowOperation, bool mbMayFailRun);
    // A result that can be written: a non-empty string (its DCS text in mrtText); reported otherwise.
    bool GetResultOfUrlScriptOK(const KxwJsval& mrtResult, const char* mpszUrl, KxwDomStr& mrtText);
    // The node's use of a result; mrbNotWritten tells that nothing was taken. True when handled.
    virtual bool WriteResultOfUrlScriptToObject(const KxwJsval& mrtResult, const char* mpsfUrl, unsigned muUrlLen,
                                                bool& mrbNotWritten);
    virtual void ResultOfUrlScriptNotWrittenToObject(const char* mpsfUrl, unsigned muUrlLen);

    // ---- The wrapper's operations ----
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    void EnumerateSubtreeMembers(KxwDomSubtreeMemberSink& mrtSink) override;
    // The class description, for derived descriptions to name as their parent.
    static const KxwJswClassInformation& GetCoreNodeClassInformation();

protected:
    void SetWantsEveryNotification() { _bWantsEveryNotification = true; }
    // Checks a node to be inserted under this one: not null, not this node, not an ancestor of it, not a document.
    bool ChildCandidateOK(KxwDomNodeBase* mptNewChild);
    // Announces a removal of mptOldChild (with its subtree) while it is still in place; false when the running
    // script ran out of time midway and the announcement was taken back (the child stays where it is).
    static bool AnnounceRemoved(KxwDomNodeBase* mptOldChild);
    // Announces an addition of mptNewChild (with its subtree) under mptContainerOwner; false as above, the
    // announcement taken back (the caller unlinks the child).
    static bool AnnounceAdded(KxwDomNodeBase* mptNewChild, KxwU16nHandler* mptU16nHandler);

private:
    friend class KxwDomNodeBase;
    friend class KxwDomPlaceHolderNode;

    // Unlinks without any check of the links (they are known to be this node's).
    void UnlinkChild(KxwDomNodeBase* mptChild);
    void DeleteChildrenOfSplitNode(bool mbNotifyRemovingDescendants);
    void ResetCollectionsAfterDeletingChildren();
    // The children changed without an announcement: "childNodes" (this node's, or its real node's for a place
    // holder) is refilled at its next read.
    void MarkChildNodesForRebuild();
    bool IsDirectChild(const KxwDomNodeBase* mptNode);

    KxwDomNodeBase* _ptFirstChild = nullptr;
    KxwDomNodeBase* _ptLastChild = nullptr;
    KxwDomHtmlCollectionOrdered* _ptALL = nullptr;
    KxwDomHtmlCollectionGeneral* _ptChildren = nullptr;
    KxwDomHtmlCollectionGeneral* _ptChildNodes = nullptr;
    bool _bWantsEveryNotification = false;
};
