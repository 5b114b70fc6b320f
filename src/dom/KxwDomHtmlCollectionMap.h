// The name index of a collection: from an identifier (an element's id) to the nodes of the collection that carry
// it, hashed. It lives on the collection's memory manager, so a virtual user's lookups never touch the process heap.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

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
    ~KxwDomHtmlCollectionMap();
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
    // They stay valid until the node's id or name changes.
    static std::string_view KeyOf(const KxwDomNodeBase* mptNode);
    static std::string_view NameKeyOf(const KxwDomNodeBase* mptNode);

private:
    using KeyStr = std::basic_string<char, std::char_traits<char>, KxwDomHtmlCollectionMapAllocator<char>>;
    struct KeyHash {
        size_t operator()(const KeyStr& mrdsKey) const {
            return std::hash<std::string_view>()(std::string_view(mrdsKey.data(), mrdsKey.size()));
        }
    };
    using NodeSet = std::unordered_set<KxwDomNodeBase*, std::hash<KxwDomNodeBase*>, std::equal_to<KxwDomNodeBase*>,
                                       KxwDomHtmlCollectionMapAllocator<KxwDomNodeBase*>>;
    // The nodes filed under one key: nearly always one, held in place; a key that several nodes share keeps them
    // all in a set of its own, so that filing and unfiling cost O(1) however many nodes share it.
    struct Group {
        KxwDomNodeBase* _ptSingle = nullptr;
        NodeSet* _ptMany = nullptr;
    };
    using Groups = std::unordered_map<KeyStr, Group, KeyHash, std::equal_to<KeyStr>,
                                      KxwDomHtmlCollectionMapAllocator<std::pair<const KeyStr, Group>>>;
    KeyStr MakeKey(const char* mpsfKey, size_t mnLen) const;
    void RemoveUnder(KxwDomNodeBase* mptNode, std::string_view mdsKey);
    void AddUnder(KxwDomNodeBase* mptNode, std::string_view mdsKey);
    bool SameKey(std::string_view mdsLeft, std::string_view mdsRight) const;
    // Takes the node out of the group; true when the group is left empty (the caller erases it).
    bool TakeOut(Group& mrtGroup, const KxwDomNodeBase* mptNode);
    void FreeMany(Group& mrtGroup);

    KxwMemMgr* _ptMemMgr;
    bool _bIgnoreCase;
    Groups _tGroups;
};
