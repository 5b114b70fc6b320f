// An index of names for the sets of attributes that outgrow a search (an element may carry any number of them): a
// name is found exactly or without regard to ASCII case in O(1) expected, however many names differ only by case.
// Names that are equal but for case form a group kept in the order they were added, so that "the first of them"
// and "the last of them" are found at once; each entry carries a value and a spare word for its owner. (The first
// entry of a group names the last one as its previous: the group is a ring one way and a list the other.)
//
// Two chained hash tables hold the entries: one by the exact name, one by the folded name (only the first entry of
// each group is chained there). Entries are allocated on the memory manager with a copy of their name.
// Memory: 56 bytes and the name per entry, and 16 bytes per entry for the two tables (kept at most one entry per
// slot on average).
#pragma once

#include <cstddef>
#include <cstdint>

class KxwMemMgr;

template <class CharT>
class KxwDomNameIndex {
public:
    struct Entry {
        void* _pvValue;
        void* _pvAux;  // the owner's
        Entry* _ptExactNext;
        Entry* _ptFoldedNext;  // for the first entry of a group
        Entry* _ptGroupPrevious;
        Entry* _ptGroupNext;
        uint32_t _uExactHash;
        uint32_t _uLen;
        const CharT* Name() const { return reinterpret_cast<const CharT*>(this + 1); }
    };

    explicit KxwDomNameIndex(KxwMemMgr* mptMemMgr) : _ptMemMgr(mptMemMgr) {}
    ~KxwDomNameIndex() { Clear(); }
    KxwDomNameIndex(const KxwDomNameIndex&) = delete;
    KxwDomNameIndex& operator=(const KxwDomNameIndex&) = delete;

    size_t Size() const { return _nSize; }
    // Adds the name as the last of its group.
    Entry* Add(const CharT* mpsfName, size_t mnLen, void* mpvValue);
    void Remove(Entry* mptEntry);
    void Clear();
    // The first entry added with exactly that name, or null.
    Entry* FindExact(const CharT* mpsfName, size_t mnLen) const;
    // The first entry added with that name, or with the value mpvValue, or null.
    Entry* FindExact(const CharT* mpsfName, size_t mnLen, const void* mpvValue) const;
    // The first and the last entry of the name's group (names equal but for ASCII case), or null.
    Entry* FindFirstIgnoringCase(const CharT* mpsfName, size_t mnLen) const;
    Entry* FindLastIgnoringCase(const CharT* mpsfName, size_t mnLen) const;
    static Entry* NextInGroup(const Entry* mptEntry) { return mptEntry->_ptGroupNext; }

private:
    static uint32_t Hash(const CharT* mpsfName, size_t mnLen, bool mbFold);
    static bool Equal(const CharT* mpsfLeft, size_t mnLeftLen, const CharT* mpsfRight, size_t mnRightLen, bool mbFold);
    static bool IsGroupFirst(const Entry* mptEntry) { return mptEntry->_ptGroupPrevious->_ptGroupNext != mptEntry; }
    Entry* FindGroup(const CharT* mpsfName, size_t mnLen) const;
    void Unchain(Entry** mpptSlots, size_t mnSlot, Entry* mptEntry, Entry* Entry::*mpNext);
    void Grow();
    void* Alloc(size_t mnSize) const;
    void Free(void* mpvBlock) const;

    KxwMemMgr* _ptMemMgr;
    size_t _nSize = 0;
    size_t _nSlots = 0;  // a power of two, for each table
    Entry** _pptExact = nullptr;
    Entry** _pptFolded = nullptr;
};

extern template class KxwDomNameIndex<char>;
extern template class KxwDomNameIndex<char16_t>;
