#include "KxwDomHtmlCollectionItems.h"

#include <cstring>
#include <new>

#include "KxwMemMgr.h"
#include "KxwUtilReport.h"
#include "maw_alloc.h"

namespace {

using Item = KxwDomHtmlCollectionItem;

Item* Leftmost(Item* mptItem) {
    while (mptItem->_ptLeft) mptItem = mptItem->_ptLeft;
    return mptItem;
}

Item* Rightmost(Item* mptItem) {
    while (mptItem->_ptRight) mptItem = mptItem->_ptRight;
    return mptItem;
}

// A slab is its link to the one before, then its items.
struct Slab {
    Slab* _ptPrevious;
    Item* Items() { return reinterpret_cast<Item*>(this + 1); }
};
static_assert(sizeof(Slab) % alignof(Item) == 0, "the items of a slab follow its header aligned");

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Memory

void* KxwDomHtmlCollectionItems::Alloc(size_t mnSize) const {
    void* pvBlock = _ptMemMgr ? _ptMemMgr->Alloc(mnSize, 8) : maw_malloc(mnSize);
    if (!pvBlock) KxwUtilOutOfMemoryAbort(static_cast<long>(mnSize), "KxwDomHtmlCollectionItem");
    return pvBlock;
}

void KxwDomHtmlCollectionItems::Free(void* mpvBlock) const {
    if (_ptMemMgr)
        _ptMemMgr->Free(mpvBlock);
    else
        maw_free(mpvBlock);
}

KxwDomHtmlCollectionItem* KxwDomHtmlCollectionItems::NewItem() {
    if (Item* ptItem = _ptKept) {
        _ptKept = ptItem->_ptParent;
        return ptItem;
    }
    if (_uUnused == 0) {
        auto* ptSlab = static_cast<Slab*>(Alloc(sizeof(Slab) + _uNextSlabItems * sizeof(Item)));
        ptSlab->_ptPrevious = static_cast<Slab*>(_pvSlabs);
        _pvSlabs = ptSlab;
        _ptUnused = ptSlab->Items();
        _uUnused = _uNextSlabItems;
        if (_uNextSlabItems < kMaxSlabItems) _uNextSlabItems *= 2;
    }
    --_uUnused;
    return _ptUnused++;
}

void KxwDomHtmlCollectionItems::KeepItem(Item* mptItem) {
    mptItem->_ptParent = _ptKept;
    mptItem->_ptReferencedNode = nullptr;
    _ptKept = mptItem;
}

void KxwDomHtmlCollectionItems::FreeSlabs() {
    auto* ptSlab = static_cast<Slab*>(_pvSlabs);
    while (ptSlab) {
        Slab* ptPrevious = ptSlab->_ptPrevious;
        Free(ptSlab);
        ptSlab = ptPrevious;
    }
    _pvSlabs = nullptr;
    _ptKept = _ptUnused = nullptr;
    _uUnused = 0;
    _uNextSlabItems = kFirstSlabItems;
}

uint32_t KxwDomHtmlCollectionItems::NextPriority() {
    // xorshift32: the priorities only need to be unrelated to the order in which pages insert.
    _uRandom ^= _uRandom << 13;
    _uRandom ^= _uRandom >> 17;
    _uRandom ^= _uRandom << 5;
    return _uRandom;
}

void KxwDomHtmlCollectionItems::Clear() {
    // Every item lives in a slab: they all go with the slabs.
    FreeSlabs();
    _ptRoot = _ptFirst = _ptLast = nullptr;
    FreeHash();
}

// ---------------------------------------------------------------------------------------------------------------
// Reading

KxwDomHtmlCollectionItem* KxwDomHtmlCollectionItems::Next(const Item* mptItem) {
    if (mptItem->_ptRight) return Leftmost(mptItem->_ptRight);
    while (mptItem->_ptParent && mptItem->_ptParent->_ptRight == mptItem) mptItem = mptItem->_ptParent;
    return mptItem->_ptParent;
}

KxwDomHtmlCollectionItem* KxwDomHtmlCollectionItems::Previous(const Item* mptItem) {
    if (mptItem->_ptLeft) return Rightmost(mptItem->_ptLeft);
    while (mptItem->_ptParent && mptItem->_ptParent->_ptLeft == mptItem) mptItem = mptItem->_ptParent;
    return mptItem->_ptParent;
}

KxwDomHtmlCollectionItem* KxwDomHtmlCollectionItems::At(size_t mnIndex) const {
    Item* ptItem = _ptRoot;
    while (ptItem) {
        size_t nLeft = CountOf(ptItem->_ptLeft);
        if (mnIndex < nLeft) {
            ptItem = ptItem->_ptLeft;
        } else if (mnIndex == nLeft) {
            return ptItem;
        } else {
            mnIndex -= nLeft + 1;
            ptItem = ptItem->_ptRight;
        }
    }
    return nullptr;
}

size_t KxwDomHtmlCollectionItems::IndexOf(const Item* mptItem) const {
    size_t nIndex = CountOf(mptItem->_ptLeft);
    for (; mptItem->_ptParent; mptItem = mptItem->_ptParent)
        if (mptItem->_ptParent->_ptRight == mptItem) nIndex += CountOf(mptItem->_ptParent->_ptLeft) + 1;
    return nIndex;
}

KxwDomHtmlCollectionItem* KxwDomHtmlCollectionItems::Find(const KxwDomNodeBase* mptNode) const {
    if (!mptNode || !_ptRoot) return nullptr;
    if (!_pptSlots) {
        for (Item* ptItem = First(); ptItem; ptItem = Next(ptItem))
            if (ptItem->_ptReferencedNode == mptNode) return ptItem;
        return nullptr;
    }
    // A node held twice (lists that append without asking) answers its first item.
    Item* ptFound = nullptr;
    size_t nFoundIndex = kNotFound;
    for (size_t nSlot = SlotOf(mptNode); Item* ptItem = _pptSlots[nSlot]; nSlot = (nSlot + 1) & (_nSlots - 1)) {
        if (ptItem->_ptReferencedNode != mptNode) continue;
        if (!ptFound) {
            ptFound = ptItem;
            continue;
        }
        if (nFoundIndex == kNotFound) nFoundIndex = IndexOf(ptFound);
        size_t nIndex = IndexOf(ptItem);
        if (nIndex < nFoundIndex) {
            ptFound = ptItem;
            nFoundIndex = nIndex;
        }
    }
    return ptFound;
}

// ---------------------------------------------------------------------------------------------------------------
// Changes

KxwDomHtmlCollectionItem*& KxwDomHtmlCollectionItems::LinkTo(Item* mptItem) {
    if (!mptItem->_ptParent) return _ptRoot;
    return mptItem->_ptParent->_ptLeft == mptItem ? mptItem->_ptParent->_ptLeft : mptItem->_ptParent->_ptRight;
}

void KxwDomHtmlCollectionItems::RotateUp(Item* mptItem) {
    Item* ptParent = mptItem->_ptParent;
    Item*& rptLink = LinkTo(ptParent);
    rptLink = mptItem;
    mptItem->_ptParent = ptParent->_ptParent;
    if (ptParent->_ptLeft == mptItem) {
        ptParent->_ptLeft = mptItem->_ptRight;
        if (ptParent->_ptLeft) ptParent->_ptLeft->_ptParent = ptParent;
        mptItem->_ptRight = ptParent;
    } else {
        ptParent->_ptRight = mptItem->_ptLeft;
        if (ptParent->_ptRight) ptParent->_ptRight->_ptParent = ptParent;
        mptItem->_ptLeft = ptParent;
    }
    ptParent->_ptParent = mptItem;
    Recount(ptParent);
    Recount(mptItem);
}

KxwDomHtmlCollectionItem* KxwDomHtmlCollectionItems::InsertAfter(KxwDomNodeBase* mptNode, Item* mptAfterOrNull) {
    auto* ptItem = new (NewItem()) Item{nullptr, nullptr, nullptr, mptNode, 1, NextPriority()};
    // The new item becomes a leaf right after mptAfterOrNull in the order: its right child when it has none, else
    // the left child of the first item of that right subtree.
    if (!_ptRoot) {
        _ptRoot = _ptFirst = _ptLast = ptItem;
    } else if (!mptAfterOrNull) {
        _ptFirst->_ptLeft = ptItem;
        ptItem->_ptParent = _ptFirst;
        _ptFirst = ptItem;
    } else if (!mptAfterOrNull->_ptRight) {
        if (mptAfterOrNull == _ptLast) _ptLast = ptItem;
        mptAfterOrNull->_ptRight = ptItem;
        ptItem->_ptParent = mptAfterOrNull;
    } else {
        Item* ptNext = Leftmost(mptAfterOrNull->_ptRight);
        ptNext->_ptLeft = ptItem;
        ptItem->_ptParent = ptNext;
    }
    for (Item* ptAbove = ptItem->_ptParent; ptAbove; ptAbove = ptAbove->_ptParent) ++ptAbove->_uCount;
    while (ptItem->_ptParent && ptItem->_ptParent->_uPriority < ptItem->_uPriority) RotateUp(ptItem);
    if (_pptSlots || Size() > kHashFrom) {
        if (!_pptSlots || 4 * Size() > 3 * _nSlots)
            RebuildHash(_nSlots ? 2 * _nSlots : 4 * kHashFrom);
        else
            HashInsert(ptItem);
    }
    return ptItem;
}

KxwDomHtmlCollectionItem* KxwDomHtmlCollectionItems::InsertAt(KxwDomNodeBase* mptNode, size_t mnIndex) {
    return InsertAfter(mptNode, mnIndex == 0 ? nullptr : At(mnIndex - 1));
}

void KxwDomHtmlCollectionItems::Erase(Item* mptItem) {
    if (_pptSlots) HashErase(mptItem);
    if (mptItem == _ptFirst) _ptFirst = Next(mptItem);
    if (mptItem == _ptLast) _ptLast = Previous(mptItem);
    // Down to a leaf, each time below the child of higher priority, so that the heap order holds around it.
    while (mptItem->_ptLeft || mptItem->_ptRight) {
        Item* ptChild = !mptItem->_ptRight                                             ? mptItem->_ptLeft
                        : !mptItem->_ptLeft                                            ? mptItem->_ptRight
                        : mptItem->_ptLeft->_uPriority > mptItem->_ptRight->_uPriority ? mptItem->_ptLeft
                                                                                       : mptItem->_ptRight;
        RotateUp(ptChild);
    }
    LinkTo(mptItem) = nullptr;
    for (Item* ptAbove = mptItem->_ptParent; ptAbove; ptAbove = ptAbove->_ptParent) --ptAbove->_uCount;
    KeepItem(mptItem);
    // A collection that shrank back stops paying for its table, and one that is empty for its slabs.
    if (_pptSlots && Size() <= kHashFrom / 2) FreeHash();
    if (!_ptRoot) FreeSlabs();
}

void KxwDomHtmlCollectionItems::Rekey(Item* mptItem, KxwDomNodeBase* mptNewNode) {
    if (_pptSlots) HashErase(mptItem);
    mptItem->_ptReferencedNode = mptNewNode;
    if (_pptSlots) HashInsert(mptItem);
}

// ---------------------------------------------------------------------------------------------------------------
// The hash table

size_t KxwDomHtmlCollectionItems::SlotOf(const KxwDomNodeBase* mptNode) const {
    auto uKey = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(mptNode));
    uKey = (uKey >> 3) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(uKey >> 32) & (_nSlots - 1);
}

void KxwDomHtmlCollectionItems::HashInsert(Item* mptItem) {
    size_t nSlot = SlotOf(mptItem->_ptReferencedNode);
    while (_pptSlots[nSlot]) nSlot = (nSlot + 1) & (_nSlots - 1);
    _pptSlots[nSlot] = mptItem;
}

void KxwDomHtmlCollectionItems::HashErase(const Item* mptItem) {
    size_t nSlot = SlotOf(mptItem->_ptReferencedNode);
    while (_pptSlots[nSlot] && _pptSlots[nSlot] != mptItem) nSlot = (nSlot + 1) & (_nSlots - 1);
    if (!_pptSlots[nSlot]) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Item %p not in the table of KxwDomHtmlCollectionItems::HashErase for "
                                              "this=%p",
                                              static_cast<const void*>(mptItem), static_cast<void*>(this));
        return;
    }
    // Backward shift: later entries of the run move up into the hole when their home slot allows it, so that no
    // search ever stops early at an empty slot and no tombstones are needed.
    size_t nHole = nSlot;
    for (size_t nNext = (nHole + 1) & (_nSlots - 1); Item* ptNext = _pptSlots[nNext];
         nNext = (nNext + 1) & (_nSlots - 1)) {
        size_t nHome = SlotOf(ptNext->_ptReferencedNode);
        bool bMayMove = nHole <= nNext ? (nHome <= nHole || nHome > nNext) : (nHome <= nHole && nHome > nNext);
        if (!bMayMove) continue;
        _pptSlots[nHole] = ptNext;
        nHole = nNext;
    }
    _pptSlots[nHole] = nullptr;
}

void KxwDomHtmlCollectionItems::RebuildHash(size_t mnSlots) {
    FreeHash();
    _pptSlots = static_cast<Item**>(Alloc(mnSlots * sizeof(Item*)));
    std::memset(_pptSlots, 0, mnSlots * sizeof(Item*));
    _nSlots = mnSlots;
    for (Item* ptItem = First(); ptItem; ptItem = Next(ptItem)) HashInsert(ptItem);
}

void KxwDomHtmlCollectionItems::FreeHash() {
    if (_pptSlots) Free(_pptSlots);
    _pptSlots = nullptr;
    _nSlots = 0;
}

// ---------------------------------------------------------------------------------------------------------------
// Invariants

bool KxwDomHtmlCollectionItems::CheckInvariants(const char*& mrpszFault) const {
    mrpszFault = nullptr;
    if (_ptRoot && _ptRoot->_ptParent) mrpszFault = "the root has a parent";
    if (_ptFirst != (_ptRoot ? Leftmost(_ptRoot) : nullptr) || _ptLast != (_ptRoot ? Rightmost(_ptRoot) : nullptr))
        mrpszFault = "the first or the last item is not at the end";
    size_t nWalked = 0;
    for (Item* ptItem = First(); ptItem && !mrpszFault; ptItem = Next(ptItem), ++nWalked) {
        if (ptItem->_uCount != 1 + CountOf(ptItem->_ptLeft) + CountOf(ptItem->_ptRight))
            mrpszFault = "a subtree count is wrong";
        else if ((ptItem->_ptLeft && ptItem->_ptLeft->_ptParent != ptItem) ||
                 (ptItem->_ptRight && ptItem->_ptRight->_ptParent != ptItem))
            mrpszFault = "a child does not name its parent";
        else if ((ptItem->_ptLeft && ptItem->_ptLeft->_uPriority > ptItem->_uPriority) ||
                 (ptItem->_ptRight && ptItem->_ptRight->_uPriority > ptItem->_uPriority))
            mrpszFault = "a child has a higher priority than its parent";
        else if (IndexOf(ptItem) != nWalked || At(nWalked) != ptItem)
            mrpszFault = "a position does not match the order";
        else if (_pptSlots) {
            size_t nSlot = SlotOf(ptItem->_ptReferencedNode);
            while (_pptSlots[nSlot] && _pptSlots[nSlot] != ptItem) nSlot = (nSlot + 1) & (_nSlots - 1);
            if (!_pptSlots[nSlot]) mrpszFault = "an item is missing from the table";
        }
    }
    if (!mrpszFault && nWalked != Size()) mrpszFault = "the root count differs from the items walked";
    if (!mrpszFault && _pptSlots) {
        size_t nInTable = 0;
        for (size_t n = 0; n < _nSlots; ++n) nInTable += _pptSlots[n] ? 1 : 0;
        if (nInTable != Size()) mrpszFault = "the table holds another number of items";
    }
    if (!mrpszFault && !_pptSlots && Size() > kHashFrom) mrpszFault = "a long collection has no table";
    return mrpszFault == nullptr;
}
