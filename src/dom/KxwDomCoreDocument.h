// The core document: the root of a node tree, the document-pointer cell through which every node of the document
// finds it, and the disconnected-nodes list that parks removed subtrees while scripts may hold them. Script class
// "coredocument" ("documentElement"). The HTML document derives from it.
#pragma once

class KxwJswGlobal;

#include <cstddef>
#include <vector>

#include "KxwDomDisconnectedNode.h"
#include "KxwDomEventTarget.h"

class KxwDomCoreDocument : public KxwDomEventTarget {
public:
    KxwDomCoreDocument(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler,
                       KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype);
    // Deletes the tree and every node still parked; nodes deleted now are deleted at once, never parked.
    ~KxwDomCoreDocument() override;

    KXW_DOM_COMMON_NODE_TYPE_ENUM GetNodeType() const override { return KXW_DOM_COMMON_NODE_TYPE_DOCUMENT; }
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM GetNodeSubtype() const override { return _eSubtype; }
    const char16_t* GetNodeNameU16n(unsigned* mpuLenInChars) const override;

    // The cell that holds this document while its nodes may reach it; nodes keep its address.
    KxwDomCoreDocument** GetDocumentPointer() { return &_ptDocumentPointer; }

    KxwDomNodeBase* GetDocumentElement() const;
    // The global of the scripts of the window that shows this document: the realm its nodes' engine objects are
    // made in. Null for a document without a window.
    KxwJswGlobal* GetHomeGlobal() const { return _ptHomeGlobal; }
    void SetHomeGlobal(KxwJswGlobal* mptGlobal) { _ptHomeGlobal = mptGlobal; }
    void SetDocumentElement(KxwDomNodeBase* mptDocumentElement);

    // ---- Disconnected nodes ----
    // Parks a subtree root of this document (a node of another document is not taken): from now on the root's
    // engine object owns it, made here if it has none.
    void AddToDisconnectedNodesList(KxwDomNodeBase* mptDisconnectedNodeBase);
    // The node comes back into a tree: its record goes and its parent owns it again.
    void RemoveFromDisconnectedNodesList(KxwDomNodeBase* mptNodeBase);
    bool IsOnDisconnectedNodesList(const KxwDomNodeBase* mptNodeBase) const;
    // Records, those of deleted nodes included.
    size_t GetDisconnectedNodesListSize() const { return _tDisconnectedNodesList.GetSize(); }
    size_t GetDisconnectedNodesCount() const { return _tDisconnectedNodesList.GetActiveCount(); }
    // The records of the list for a dump, newest first (a deleted node's record shows a null node).
    void PrintDisconnectedNodesList(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl) const;

    // ---- Parses under way ----
    // While a parser builds into this document (the engine's parser with a page, a write, or markup a script gave),
    // nodes that leave the tree are not deleted: the parser may still hold them (an element it appends into, a
    // table it places text before). They are retired here and deleted when the last parse ends; whatever a
    // parser appends to them meanwhile goes with them.
    virtual bool IsParseUnderWay() const { return false; }
    // A script of the document is running (a handler or a timer that resets it): the nodes it may still be
    // standing on are parked rather than deleted, and go with the collections that find them unreachable.
    virtual bool IsScriptUnderWay() const { return false; }
    void RetireNode(KxwDomNodeBase* mptNode);
    // The last parse ended: the retired nodes go now.
    void DeleteRetiredNodes();
    size_t GetRetiredNodeCount() const { return _tRetiredNodes.size(); }

    // ---- Reset ----
    // Empties the document: the tree is deleted (nodes that go now are deleted at once), then every parked node.
    virtual void Reset();
    // Deletes every child at once: while it runs the document-pointer cell is empty, so nothing is parked. While a
    // parse is under way the children are parked or retired instead, as any node leaving the tree is.
    void DeleteAllChildrenAtOnce();
    // Deletes every node still parked and empties the list.
    void DoOnResetOrDestructor();

    void NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                    void* mpvNotificationObject) override;

    // ---- Quiet paths ----
    // Containers in this document's tree from which a notification reaches nobody but the document: no node on
    // the way up keeps collections or handles notifications. While a page is built that is nearly every container,
    // and remembering them spares each new node a walk over all its ancestors (hundreds of them in deep pages). A
    // path found by a walk is remembered with the node just below the document on it, and holds until the tree's
    // shape changes (KxwDomCoreNode::NoteTreeShapeChange); a child of a remembered container joins them.
    // The node below the document on the quiet path from mptContainer, or null when none is known.
    KxwDomNodeBase* FindQuietPath(KxwDomCoreNode* mptContainer);
    void RememberQuietPath(KxwDomCoreNode* mptContainer, KxwDomNodeBase* mptTop, uint64_t mullGeneration);

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    // The class description, for derived descriptions to name as their parent.
    static const KxwJswClassInformation& GetCoreDocumentClassInformation();

private:
    KxwJswGlobal* _ptHomeGlobal = nullptr;
    KxwDomCoreDocument* _ptDocumentPointer;
    KxwDomNodeBase* _ptDocumentElement = nullptr;
    KxwDomWatchDelete _tDocumentElementWatch;
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM _eSubtype;
    KxwDomDisconnectedNodesList _tDisconnectedNodesList;
    std::vector<KxwDomNodeBase*> _tRetiredNodes;
    struct QuietPath {
        KxwDomCoreNode* _ptContainer;
        KxwDomNodeBase* _ptTop;
    };
    // A few: building goes down into a child, and back up to a container used before (siblings, table rows).
    static constexpr unsigned kQuietPaths = 4;
    QuietPath _atQuietPaths[kQuietPaths] = {};
    unsigned _uNextQuietPath = 0;
    uint64_t _ullQuietGeneration = ~static_cast<uint64_t>(0);
};
