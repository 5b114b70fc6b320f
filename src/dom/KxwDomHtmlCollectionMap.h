// The name index of a collection: from an identifier (an element's id) to the nodes of the collection that carry
// it. It lives on the collection's memory manager, so a virtual user's lookups never touch the process heap.
#pragma once

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <vector>

class KxwDomNodeBase;
class KxwMemMgr;

// Hands out blocks of one memory manager (the process heap when null); exhaustion ends the process.
template <class T>
class KxwDomHtmlCollectionMapAllocator {
public:
    using value_type = T;
    explicit KxwDomHtmlCollectionMapAllocator(KxwMemMgr* mptMemMgr) : _ptMemMgr(mptMemMgr) {}
    template <class U>
    KxwDomHtmlCollectionMapAllocator(const KxwDomHtmlCollectionMapAllocator<U>& mrtOther)
        : _ptMemMgr(mrtOther.GetMemMgr()) {}

    T* allocate(size_t mnCount) { return static_cast<T*>(AllocBlock(mnCount * sizeof(T), alignof(T))); }
    void deallocate(T* mptBlock, size_t) { FreeBlock(mptBlock); }
    KxwMemMgr* GetMemMgr() const { return _ptMemMgr; }

    template <class U>
    bool operator==(const KxwDomHtmlCollectionMapAllocator<U>& mrtOther) const {
        return _ptMemMgr == mrtOther.GetMemMgr();
    }
    template <class U>
    bool operator!=(const KxwDomHtmlCollectionMapAllocator<U>& mrtOther) const {
        return !(*this == mrtOther);
    }

private:
    void* AllocBlock(size_t mnSize, size_t mnAlignment) const;
    void FreeBlock(void* mpvBlock) const;
    KxwMemMgr* _ptMemMgr;
};

void* xfpvKxwDomHtmlCollectionMapAlloc(KxwMemMgr* mptMemMgr, size_t mnSize, size_t mnAlignment);
void xfvKxwDomHtmlCollectionMapFree(KxwMemMgr* mptMemMgr, void* mpvBlock);

template <class T>
void* KxwDomHtmlCollectionMapAllocator<T>::AllocBlock(size_t mnSize, size_t mnAlignment) const {
    return xfpvKxwDomHtmlCollectionMapAlloc(_ptMemMgr, mnSize, mnAlignment);
}
template <class T>
void KxwDomHtmlCollectionMapAllocator<T>::FreeBlock(void* mpvBlock) const {
    xfvKxwDomHtmlCollectionMapFree(_ptMemMgr, mpvBlock);
}

class KxwDomHtmlCollectionMap {
public:
    // mbIgnoreCase: keys compare without regard to ASCII case (the lookups by identifier).
    KxwDomHtmlCollectionMap(KxwMemMgr* mptMemMgr, bool mbIgnoreCase);
    KxwDomHtmlCollectionMap(const KxwDomHtmlCollectionMap&) = delete;
    KxwDomHtmlCollectionMap& operator=(const KxwDomHtmlCollectionMap&) = delete;

    // Files the node under its id and its name; nodes without either are not filed.
    void Add(KxwDomNodeBase* mptNode);
    // Takes the node out from under its id and its name.
    void Remove(KxwDomNodeBase* mptNode);
    // Takes the node out from under whatever key holds it, without asking the node anything (it is being deleted).
    void RemoveUnderAnyKey(const KxwDomNodeBase* mptNode);
    // Files the node under mpszNewKey instead of under its current id (mbId) or name.
    void Rekey(KxwDomNodeBase* mptNode, const char* mpszNewKey, bool mbId);
    // How many nodes carry the key, counted up to 2 (a node filed under both its id and its name counts once),
    // and, when exactly one does, that node.
    size_t Count(const char* mpsfKey, size_t mnKeyLen, KxwDomNodeBase** mpptSingle) const;
    size_t Count(const char* mpszKey, KxwDomNodeBase** mpptSingle) const;
    bool IsIgnoreCase() const { return _bIgnoreCase; }

    // The id of a node as the map files it (the empty text for none).
    static std::string KeyOf(const KxwDomNodeBase* mptNode);
    static std::string NameKeyOf(const KxwDomNodeBase* mptNode);

private:
    using KeyStr = std::basic_string<char, std::char_traits<char>, KxwDomHtmlCollectionMapAllocator<char>>;
    // One entry per key and node, so that filing and unfiling cost O(log n) however many nodes share a key.
    using Entry = std::pair<KeyStr, KxwDomNodeBase*>;
    using Set = std::set<Entry, std::less<Entry>, KxwDomHtmlCollectionMapAllocator<Entry>>;
    KeyStr MakeKey(const char* mpsfKey, size_t mnLen) const;
    void RemoveUnder(KxwDomNodeBase* mptNode, const std::string& mdsKey);
    void AddUnder(KxwDomNodeBase* mptNode, const std::string& mdsKey);
    bool SameKey(const std::string& mdsLeft, const std::string& mdsRight) const;

    KxwMemMgr* _ptMemMgr;
    bool _bIgnoreCase;
    Set _tEntries;
};
