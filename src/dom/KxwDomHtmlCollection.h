// The live lists of the DOM: a node's "all", "children" and "childNodes", the results of getElementsByTagName and
// of named lookups. A collection is an ordered set of items that refer to nodes it never owns (an order index,
// KxwDomHtmlCollectionItems, in which positions, insertions, removals and the item of a node cost O(log n)), with
// a cursor that makes sequential indexing cheap, name indexes made on first use (by name, and by identifier
// without regard to case), and the dynamic sub-collections (by tag, by identifier) made from it, which it keeps
// current as its own items change: each change reaches only the sub-collections whose key the node carries.
#pragma once

#include "KxwDomBase.h"
#include "KxwDomHtmlCollectionItems.h"

class KxwDomCoreNode;
class KxwDomNodeBase;
class KxwDomHtmlCollectionMap;
class KxwDomHtmlDynamicCollection;
class KxwDomHtmlDynamicCollectionByIdentifier;
class KxwDomHtmlDynamicCollections;

class KxwDomHtmlCollectionGeneral : public KxwDomBase {
public:
    explicit KxwDomHtmlCollectionGeneral(KxwDomEnv& mrtDomEnv);
    // Null: on the process heap, owned by its engine object once a script holds it.
    explicit KxwDomHtmlCollectionGeneral(KxwMemMgr* mptMemMgrOrNull);
    ~KxwDomHtmlCollectionGeneral() override;

    class const_iterator {
    public:
        explicit const_iterator(const KxwDomHtmlCollectionItem* mptItem) : _ptHtmlCollectionItem(mptItem) {}
        KxwDomNodeBase* operator*() const;
        const_iterator& operator++() {
            _ptHtmlCollectionItem = KxwDomHtmlCollectionItems::Next(_ptHtmlCollectionItem);
            return *this;
        }
        bool operator!=(const const_iterator& mrtOther) const {
            return _ptHtmlCollectionItem != mrtOther._ptHtmlCollectionItem;
        }

    private:
        const KxwDomHtmlCollectionItem* _ptHtmlCollectionItem;
    };

    // ---- Reading ----
    unsigned long GetLength() const { return static_cast<unsigned long>(_tItems.Size()); }
    bool IsEmpty() const { return _tItems.Size() == 0; }
    KxwDomHtmlCollectionItem* GetFirstItem() const { return _tItems.First(); }
    KxwDomHtmlCollectionItem* GetLastItem() const { return _tItems.Last(); }
    const_iterator begin() const { return const_iterator(_tItems.First()); }
    const_iterator end() const { return const_iterator(nullptr); }
    // Null beyond the end; reading 0, 1, 2 ... in turn costs one step each, any other index O(log n).
    KxwDomNodeBase* GetItem(unsigned long muliRequestedIndex);
    // All ones when absent.
    unsigned long GetItemIndex(const KxwDomNodeBase* mptNode) const;
    bool IsItemFound(const KxwDomNodeBase* mptNode) const { return FindItemOf(mptNode) != nullptr; }
    bool ItemExists(const KxwDomNodeBase* mptNode) const { return IsItemFound(mptNode); }

    // ---- Changes ----
    bool AppendItem(KxwDomNodeBase* mptNode);
    // Insertion in the class's order: the general collection appends.
    virtual bool AddItem(KxwDomNodeBase* mptElement);
    // Puts mptNode right after the item of mptAfterOrNull (at the front for null); false when that node is absent.
    bool InsertItemAfterNode(KxwDomNodeBase* mptNode, const KxwDomNodeBase* mptAfterOrNull);
    // Puts mptNode right before the item of mptBefore; false when that node is absent.
    bool InsertItemBeforeNode(KxwDomNodeBase* mptNode, const KxwDomNodeBase* mptBefore);
    bool RemoveItem(KxwDomNodeBase* mptReferencedNode, bool mbIssueErrorIfFails);
    KxwDomNodeBase* RemoveAndReturnFirstItem();
    // The old node's item refers to the new node.
    bool ReplaceItems(KxwDomNodeBase* mptOldNode, KxwDomNodeBase* mptNewNode);
    // Empties the collection, its map and its dynamic collections.
    virtual void Reset();
    // Applies a tree notification: 1 adds, 2 removes, 24 and 25 re-key (mpvExtra: the new value as a C string).
    virtual bool UpdateCollection(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, KxwDomNodeBase* mptNode,
                                  void* mpvExtra);
    bool NotifyIdOrNameChanged(KxwDomNodeBase* mptNode, const char* mpszNewValue, bool mbId);
    // A node is being deleted while this collection may still refer to it: its items go here, in the map and in
    // the dynamic collections, without asking the node anything (its class parts may already be gone).
    void ForgetDeletedNode(const KxwDomNodeBase* mptNode);
    // Drops every item that lies under mptNode, here and in the dynamic collections. In a collection in document
    // order they are one run of items, found through the order (O(log n) and the items dropped); other
    // collections are scanned.
    bool RemoveDescendantOfInHtmlDocument(const KxwDomNodeBase* mptNode);

    // ---- Lookups ----
    // A node, a collection of the nodes that share the name, or null.
    KxwDomBase* GetItem(const char* mpszName, bool mbByIdentifier) override;
    // The first node in this collection's order whose id, or else name, equals mpsfKey ignoring ASCII case (and
    // that mfAccept takes, when given); null when none does.
    KxwDomNodeBase* GetFirstByIdentifier(const char* mpsfKey, unsigned muKeyLen,
                                         bool (*mfAccept)(const KxwDomNodeBase* mptNode,
                                                          const void* mpvClosure) = nullptr,
                                         const void* mpvClosure = nullptr);
    // The dynamic collection of that name (kind: by identifier, else a plain name), made when asked; null when none.
    KxwDomHtmlCollectionGeneral* GetDynamicCollection(const char* mpsfName, unsigned muNameLen, bool mbByIdentifier,
                                                      bool mbCreate);
    // The live collection of the elements with that tag ("*": every element); the same object on every call.
    KxwDomHtmlCollectionGeneral* GetTags(const char16_t* mpwsfTagName, unsigned muTagNameLenInChars);
    void CreateCollectionMap();
    KxwDomHtmlCollectionMap* GetCollectionMap() const { return _ptCollectionMap; }
    // Checks the order index (a test's way to see it whole); the first fault found is described in mrpszFault.
    bool CheckItems(const char*& mrpszFault) const { return _tItems.CheckInvariants(mrpszFault); }

    // ---- Configuration ----
    void SetOwnerNode(KxwDomCoreNode* mptOwnerNode, const char* mpszName);
    KxwDomCoreNode* GetOwnerNode() const { return _ptOwnerNode; }
    void SetIsFailExcessiveItemIndex(bool mbFail) { _ucFlags = mbFail ? (_ucFlags | 1) : (_ucFlags & ~1); }
    bool IsFailExcessiveItemIndex() const { return (_ucFlags & 1) != 0; }
    // A list of direct children that could not follow a change of the children is refilled at its next read.
    void SetIsMarkedForRebuild(bool mbOn) { _ucFlags = mbOn ? (_ucFlags | kFlagRebuild) : (_ucFlags & ~kFlagRebuild); }
    bool IsMarkedForRebuild() const { return (_ucFlags & kFlagRebuild) != 0; }

    // ---- Hierarchy dump ----
    // The collection's line under the name its owner knows it by, then one line per item, one level in.
    void PrintCollection(const char* mpszName, int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl) const;
    // The line of a collection its owner does not have (not made yet, or not kept by this kind of owner).
    static void PrintMissingCollection(const char* mpszName, int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl);
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;

    // ---- Shared DOM operations ----
    KXW_DOM_HTML_READY_STATE_ENUM GetReadyStateRaw() const override;
    const KxwDomHtmlCollectionGeneral* GetDefaultCollection() const override { return this; }

    // ---- The wrapper's operations ----
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                        KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    // A collection with an owner keeps its engine object (and its expandos) while the owner lives.
    bool GetShouldAddJSRoot() override { return _ptOwnerNode != nullptr; }
    // An empty name never resolves: its lookup makes a new collection that only a script may own.
    bool IsResolved(const char* mpszName) override;
    // for...in lists the indexes.
    void GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>& mrtNames) override;
    bool GetShouldBeDeletedAtFinalize() override;
    static const KxwJswClassInformation& GetHtmlCollectionClassInformation();

protected:
    KxwDomHtmlCollectionItem* FindItemOf(const KxwDomNodeBase* mptNode) const { return _tItems.Find(mptNode); }
    // Links a new item of mptNode after mptAfter (at the front for null) and tells the dynamic collections.
    KxwDomHtmlCollectionItem* InsertItemAfter(KxwDomNodeBase* mptNode, KxwDomHtmlCollectionItem* mptAfter);
    // Inserts mptNode so that this collection keeps the order of mrtSource, which already holds it: O(log^2 n).
    bool AddItemInOrderOf(KxwDomNodeBase* mptNode, const KxwDomHtmlCollectionGeneral& mrtSource);
    void ResetLastAccessed() {
        _uliLastAccessedIndex = ~0UL;
        _ptLastAccessedItem = nullptr;
    }
    // The items are in document order (ordered collections, and what follows one): a subtree's elements are one
    // run of items.
    void SetIsInDocumentOrder() { _ucFlags |= kFlagDocumentOrder; }
    bool IsInDocumentOrder() const { return (_ucFlags & kFlagDocumentOrder) != 0; }
    // The collection whose order this one follows, or null.
    virtual const KxwDomHtmlCollectionGeneral* GetOrderSource() const { return nullptr; }

private:
    friend class KxwDomHtmlDynamicCollection;
    static constexpr unsigned char kFlagDocumentOrder = 0x02;
    static constexpr unsigned char kFlagRebuild = 0x04;

    bool RemoveItemSilently(KxwDomNodeBase* mptNode);
    void UnlinkItem(KxwDomHtmlCollectionItem* mptItem);
    void NotifyDynamicsAdded(KxwDomNodeBase* mptNode);
    void NotifyDynamicsRemoved(KxwDomNodeBase* mptNode);
    // The position in this collection where the items under mptNode start (they follow it when it is an item);
    // kNotFound when the order tells nothing (the caller scans).
    size_t DescendantsStart(const KxwDomNodeBase* mptNode) const;
    void FileInMaps(KxwDomNodeBase* mptNode);
    void UnfileFromMaps(KxwDomNodeBase* mptNode);
    KxwDomHtmlCollectionMap* GetIdentifierMap();
    void DeleteMaps();
    KxwDomHtmlDynamicCollections& Dynamics();
    KxwDomHtmlDynamicCollectionByIdentifier* FindOrMakeIdentifierCollection(const char* mpsfName, unsigned muNameLen,
                                                                            bool mbByIdentifier, bool mbCreate);

    KxwDomCoreNode* _ptOwnerNode = nullptr;
    KxwDomHtmlCollectionItems _tItems;
    KxwDomHtmlCollectionMap* _ptCollectionMap = nullptr;  // by id or name, exactly
    KxwDomHtmlCollectionMap* _ptIdentifierMap = nullptr;  // by id or name, ignoring ASCII case
    KxwDomHtmlDynamicCollections* _ptDynamics = nullptr;  // made with the first dynamic collection
    unsigned long _uliLastAccessedIndex = ~0UL;
    KxwDomHtmlCollectionItem* _ptLastAccessedItem = nullptr;
    unsigned char _ucFlags = 0;
};

// Items in document order below the owner node.
class KxwDomHtmlCollectionOrdered : public KxwDomHtmlCollectionGeneral {
public:
    explicit KxwDomHtmlCollectionOrdered(KxwDomEnv& mrtDomEnv) : KxwDomHtmlCollectionGeneral(mrtDomEnv) {
        SetIsInDocumentOrder();
    }
    explicit KxwDomHtmlCollectionOrdered(KxwMemMgr* mptMemMgrOrNull) : KxwDomHtmlCollectionGeneral(mptMemMgrOrNull) {
        SetIsInDocumentOrder();
    }
    // After the nearest element before it in document order that is an item (found from both sides, so that the
    // search stops at the nearer of the elements around it), at the front when there is none.
    bool AddItem(KxwDomNodeBase* mptElement) override;
};

// A subset of another ordered collection (normally the owner's "all"), kept in that collection's order.
class KxwDomHtmlCollectionDependent : public KxwDomHtmlCollectionOrdered {
public:
    using KxwDomHtmlCollectionOrdered::KxwDomHtmlCollectionOrdered;
    // The element must already be in the collection followed.
    bool AddItem(KxwDomNodeBase* mptElement) override;
    void SetDependentOnCollection(KxwDomHtmlCollectionOrdered* mptDependentOnCollection);
    KxwDomHtmlCollectionOrdered* GetDependentOnCollection() const { return _ptDependentOnCollection; }

protected:
    const KxwDomHtmlCollectionGeneral* GetOrderSource() const override { return _ptDependentOnCollection; }

private:
    KxwDomHtmlCollectionOrdered* _ptDependentOnCollection = nullptr;
};
