// The live lists of the DOM: a node's "all", "children" and "childNodes", the results of getElementsByTagName and
// of named lookups. A collection is a singly linked list of items that refer to nodes it never owns, with a cursor
// that makes sequential indexing cheap, an optional name index, and the dynamic sub-collections (by tag, by
// identifier) made from it, which it keeps current as its own items change.
#pragma once

#include "KxwDomBase.h"

class KxwDomCoreNode;
class KxwDomNodeBase;
class KxwDomHtmlCollectionMap;
class KxwDomHtmlDynamicCollection;

struct KxwDomHtmlCollectionItem {
    KxwDomHtmlCollectionItem* next;
    KxwDomNodeBase* _ptReferencedNode;
};

// The element before mptNode in document order, the stop node itself when the walk reaches it first, or null when
// there is none.
KxwDomNodeBase* xfptKxwDomGetPreviousElement(KxwDomNodeBase* mptNode, const KxwDomNodeBase* mptStopNode);

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
            _ptHtmlCollectionItem = _ptHtmlCollectionItem->next;
            return *this;
        }
        bool operator!=(const const_iterator& mrtOther) const {
            return _ptHtmlCollectionItem != mrtOther._ptHtmlCollectionItem;
        }

    private:
        const KxwDomHtmlCollectionItem* _ptHtmlCollectionItem;
    };

    // ---- Reading ----
    unsigned long GetLength() const { return _uliLength; }
    bool IsEmpty() const { return _uliLength == 0; }
    KxwDomHtmlCollectionItem* GetFirstItem() const { return _ptFirstCollectionItem; }
    KxwDomHtmlCollectionItem* GetLastItem() const { return _ptLastCollectionItem; }
    const_iterator begin() const { return const_iterator(_ptFirstCollectionItem); }
    const_iterator end() const { return const_iterator(nullptr); }
    // Null beyond the end; reading 0, 1, 2 ... in turn costs one step each.
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
    bool RemoveItem(KxwDomNodeBase* mptReferencedNode, bool mbIssueErrorIfFails);
    KxwDomNodeBase* RemoveAndReturnFirstItem();
    // The old node's item refers to the new node.
    bool ReplaceItems(KxwDomNodeBase* mptOldNode, KxwDomNodeBase* mptNewNode);
    // Empties the collection, its map and its dynamic collections.
    void Reset();
    // Applies a tree notification: 1 adds, 2 removes, 24 and 25 re-key (mpvExtra: the new value as a C string).
    virtual bool UpdateCollection(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, KxwDomNodeBase* mptNode,
                                  void* mpvExtra);
    bool NotifyIdOrNameChanged(KxwDomNodeBase* mptNode, const char* mpszNewValue, bool mbId);
    // A node is being deleted while this collection may still refer to it: its items go here, in the map and in
    // the dynamic collections, without asking the node anything (its class parts may already be gone).
    void ForgetDeletedNode(const KxwDomNodeBase* mptNode);
    // Drops every item that lies under mptNode, here and in the dynamic collections.
    bool RemoveDescendantOfInHtmlDocument(const KxwDomNodeBase* mptNode);

    // ---- Lookups ----
    // A node, a collection of the nodes that share the name, or null.
    KxwDomBase* GetItem(const char* mpszName, bool mbByIdentifier) override;
    // The dynamic collection of that name (kind: by identifier, else a plain name), made when asked; null when none.
    KxwDomHtmlCollectionGeneral* GetDynamicCollection(const char* mpsfName, unsigned muNameLen, bool mbByIdentifier,
                                                      bool mbCreate);
    // The live collection of the elements with that tag ("*": every element); the same object on every call.
    KxwDomHtmlCollectionGeneral* GetTags(const char16_t* mpwsfTagName, unsigned muTagNameLenInChars);
    void CreateCollectionMap();
    KxwDomHtmlCollectionMap* GetCollectionMap() const { return _ptCollectionMap; }

    // ---- Configuration ----
    void SetOwnerNode(KxwDomCoreNode* mptOwnerNode, const char* mpszName);
    KxwDomCoreNode* GetOwnerNode() const { return _ptOwnerNode; }
    void SetIsFailExcessiveItemIndex(bool mbFail) { _ucFlags = mbFail ? (_ucFlags | 1) : (_ucFlags & ~1); }
    bool IsFailExcessiveItemIndex() const { return (_ucFlags & 1) != 0; }

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
    KxwDomHtmlCollectionItem* FindItemOf(const KxwDomNodeBase* mptNode) const;
    // Links a new item of mptNode after mptAfter (at the front for null) and tells the dynamic collections.
    KxwDomHtmlCollectionItem* InsertItemAfter(KxwDomNodeBase* mptNode, KxwDomHtmlCollectionItem* mptAfter);
    // Inserts mptNode so that this collection keeps the order of mrtSource, which already holds it.
    bool AddItemInOrderOf(KxwDomNodeBase* mptNode, const KxwDomHtmlCollectionGeneral& mrtSource);
    void ResetLastAccessed() {
        _uliLastAccessedIndex = ~0UL;
        _ptLastAccessedItem = nullptr;
    }
    // The item of the last insertion, which makes building in order cheap; dropped by every removal.
    KxwDomHtmlCollectionItem* _ptInsertionCursor = nullptr;

private:
    friend class KxwDomHtmlDynamicCollection;

    KxwDomHtmlCollectionItem* NewItem(KxwDomNodeBase* mptNode);
    void FreeItem(KxwDomHtmlCollectionItem* mptItem);
    bool RemoveItemSilently(KxwDomNodeBase* mptNode);
    void UnlinkItem(KxwDomHtmlCollectionItem* mptItem, KxwDomHtmlCollectionItem* mptPrevious);
    void LinkDynamic(KxwDomHtmlDynamicCollection* mptDynamic, bool mbByIdentifier);
    // A new dynamic collection by identifier for mpszName filled from this collection in order.
    KxwDomHtmlCollectionGeneral* MakeIdentifierCollection(const char* mpszName, bool mbByIdentifier);

    KxwDomCoreNode* _ptOwnerNode = nullptr;
    KxwDomHtmlCollectionItem* _ptFirstCollectionItem = nullptr;
    KxwDomHtmlCollectionItem* _ptLastCollectionItem = nullptr;
    unsigned long _uliLength = 0;
    KxwDomHtmlCollectionMap* _ptCollectionMap = nullptr;
    KxwDomHtmlDynamicCollection* _ptFirstDynamicByIdentifier = nullptr;
    KxwDomHtmlDynamicCollection* _ptFirstDynamicByTag = nullptr;
    unsigned long _uliLastAccessedIndex = ~0UL;
    KxwDomHtmlCollectionItem* _ptLastAccessedItem = nullptr;
    unsigned char _ucFlags = 0;
};

// Items in document order below the owner node.
class KxwDomHtmlCollectionOrdered : public KxwDomHtmlCollectionGeneral {
public:
    using KxwDomHtmlCollectionGeneral::KxwDomHtmlCollectionGeneral;
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

private:
    KxwDomHtmlCollectionOrdered* _ptDependentOnCollection = nullptr;
};
