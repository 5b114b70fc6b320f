// The items of one collection in their order, with what makes every operation on them cost O(log n) however long
// the collection grows: pages and scripts make collections of 10^5 nodes and more (a document's "all"), and each
// tree change files its nodes into several of them.
//
// The order is a treap (a binary search tree by position whose nodes also form a heap by a random priority, which
// keeps its depth logarithmic whatever the order of insertions) with subtree counts: an item's position is the
// number of items before it, found by walking up, and the item at a position is found by walking down. Each item
// knows its parent, so that an item found through its node is unlinked, counted or stepped from without a search.
// Stepping to the next item costs amortised O(1), so reading in order stays as cheap as in a list.
//
// A node's item is found through a hash table of the items keyed by their node (open addressing, linear probing,
// at most 3/4 full), made once the collection holds more than kHashFrom items; shorter collections are searched
// in order, which is as fast for them and costs nothing more.
//
// Memory: items come from slabs of their collection, 2 items for the first slab and twice as many for each next
// one up to kMaxSlabItems; an erased item is kept for the collection's next insertion, and clearing the collection
// returns the slabs whole without visiting an item (a document's "all" of 10^5 items goes at once, instead of one
// cache miss per item). 40 bytes per item and at most as many again unused in the newest slab (or kMaxSlabItems
// items), 8 to 16 bytes per item (11 on average) for the hash table of a collection longer than kHashFrom items;
// 88 bytes per collection.
#pragma once

#include <cstddef>
#include <cstdint>

class KxwDomNodeBase;
class KxwMemMgr;

struct KxwDomHtmlCollectionItem {
    KxwDomHtmlCollectionItem* _ptParent;
    KxwDomHtmlCollectionItem* _ptLeft;
    KxwDomHtmlCollectionItem* _ptRight;
    KxwDomNodeBase* _ptReferencedNode;
    uint32_t _uCount;     // items in the subtree of this one, itself included
    uint32_t _uPriority;  // a parent's priority is never below its children's
};

class KxwDomHtmlCollectionItems {
public:
    using Item = KxwDomHtmlCollectionItem;
    static constexpr size_t kNotFound = ~static_cast<size_t>(0);
    static constexpr size_t kHashFrom = 16;
    static constexpr uint32_t kFirstSlabItems = 2;
    static constexpr uint32_t kMaxSlabItems = 256;

    // Items and the hash table live on mptMemMgr (the process heap when null).
    explicit KxwDomHtmlCollectionItems(KxwMemMgr* mptMemMgr) : _ptMemMgr(mptMemMgr) {}
    ~KxwDomHtmlCollectionItems() { Clear(); }
    KxwDomHtmlCollectionItems(const KxwDomHtmlCollectionItems&) = delete;
    KxwDomHtmlCollectionItems& operator=(const KxwDomHtmlCollectionItems&) = delete;

    size_t Size() const { return _ptRoot ? _ptRoot->_uCount : 0; }
    Item* First() const { return _ptFirst; }
    Item* Last() const { return _ptLast; }
    static Item* Next(const Item* mptItem);
    static Item* Previous(const Item* mptItem);
    // Null at or beyond the end.
    Item* At(size_t mnIndex) const;
    size_t IndexOf(const Item* mptItem) const;
    // The first item of the node (a node is normally in a collection once); null when it has none.
    Item* Find(const KxwDomNodeBase* mptNode) const;
    size_t IndexOfNode(const KxwDomNodeBase* mptNode) const {
        const Item* ptItem = Find(mptNode);
        return ptItem ? IndexOf(ptItem) : kNotFound;
    }

    // A new item of mptNode right after mptAfterOrNull (at the front for null), or at mnIndex (at most Size()).
    Item* InsertAfter(KxwDomNodeBase* mptNode, Item* mptAfterOrNull);
    Item* InsertAt(KxwDomNodeBase* mptNode, size_t mnIndex);
    // Unlinks and frees the item.
    void Erase(Item* mptItem);
    // The item refers to another node from now on.
    void Rekey(Item* mptItem, KxwDomNodeBase* mptNewNode);
    void Clear();

    // The number of leading items for which mfPrecedes(item's node) holds, for items ordered so that it holds for
    // a prefix of them: O(log n) calls.
    template <class Precedes>
    size_t CountPreceding(Precedes mfPrecedes) const {
        size_t nCount = 0;
        for (const Item* ptItem = _ptRoot; ptItem;) {
            if (mfPrecedes(ptItem->_ptReferencedNode)) {
                nCount += CountOf(ptItem->_ptLeft) + 1;
                ptItem = ptItem->_ptRight;
            } else {
                ptItem = ptItem->_ptLeft;
            }
        }
        return nCount;
    }

    // Checks every link, count, priority and hash entry; the first fault found is described in mrpszFault.
    bool CheckInvariants(const char*& mrpszFault) const;

private:
    static uint32_t CountOf(const Item* mptItem) { return mptItem ? mptItem->_uCount : 0; }
    static void Recount(Item* mptItem) {
        mptItem->_uCount = 1 + CountOf(mptItem->_ptLeft) + CountOf(mptItem->_ptRight);
    }
    Item*& LinkTo(Item* mptItem);
    // Turns mptItem's parent into its child, mptItem taking the parent's place.
    void RotateUp(Item* mptItem);
    void* Alloc(size_t mnSize) const;
    void Free(void* mpvBlock) const;
    Item* NewItem();
    void KeepItem(Item* mptItem);
    void FreeSlabs();
    uint32_t NextPriority();

    // The hash table of the items by node.
    size_t SlotOf(const KxwDomNodeBase* mptNode) const;
    void HashInsert(Item* mptItem);
    void HashErase(const Item* mptItem);
    void RebuildHash(size_t mnSlots);
    void FreeHash();

    KxwMemMgr* _ptMemMgr;
    Item* _ptRoot = nullptr;
    Item* _ptFirst = nullptr;  // kept at hand: appending and reading in order start at the ends
    Item* _ptLast = nullptr;
    Item** _pptSlots = nullptr;  // null while the collection is short
    size_t _nSlots = 0;          // a power of two
    void* _pvSlabs = nullptr;    // the newest first, each linked to the one before
    Item* _ptKept = nullptr;     // erased items, linked through _ptParent
    Item* _ptUnused = nullptr;   // the newest slab's items not handed out yet
    uint32_t _uUnused = 0;
    uint32_t _uNextSlabItems = kFirstSlabItems;
    uint32_t _uRandom = 0x9E3779B9u;
};
