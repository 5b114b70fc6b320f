// Collections made from another collection by a key (a tag name, or a name or id) and kept current by it: the
// results of getElementsByTagName, "tags" and of named lookups that find several nodes. They belong to the
// collection they were made from and live on its memory manager; KxwDomHtmlDynamicCollections finds them by key.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlCollectionMap.h"

class KxwDomHtmlDynamicCollection : public KxwDomHtmlCollectionGeneral {
public:
    KxwDomHtmlDynamicCollection(KxwDomHtmlCollectionGeneral& mrtSource, const char* mpsfKey, unsigned muKeyLen);

    // Whether mptNode belongs here (its current id when mpszNewKeyOrNull is null).
    virtual bool Accepts(const KxwDomNodeBase* mptNode, const char* mpszNewKeyOrNull, bool mbNewKeyIsId) const = 0;
    const std::string& GetKey() const { return _dsKey; }
    KxwDomHtmlCollectionGeneral& GetSource() const { return _rtSource; }
    // Fills the collection with the source's accepted nodes, in order.
    void FillFromSource();
    // The source gained mptNode: inserted in the source's order when accepted.
    void SourceAdded(KxwDomNodeBase* mptNode);

protected:
    const KxwDomHtmlCollectionGeneral* GetOrderSource() const override { return &_rtSource; }

private:
    friend class KxwDomHtmlCollectionGeneral;
    KxwDomHtmlCollectionGeneral& _rtSource;
    std::string _dsKey;
};

// The elements of one tag, compared without regard to ASCII case; "*" takes every element.
class KxwDomHtmlDynamicCollectionByTag : public KxwDomHtmlDynamicCollection {
public:
    using KxwDomHtmlDynamicCollection::KxwDomHtmlDynamicCollection;
    bool Accepts(const KxwDomNodeBase* mptNode, const char* mpszNewKeyOrNull, bool mbNewKeyIsId) const override;
    // Whether a tag name (as UTF-16) is this collection's.
    bool IsTag(const char16_t* mpwsfTagName, unsigned muLen) const;
};

// The nodes that carry one identifier: by identifier compared without regard to ASCII case, else exactly.
class KxwDomHtmlDynamicCollectionByIdentifier : public KxwDomHtmlDynamicCollection {
public:
    KxwDomHtmlDynamicCollectionByIdentifier(KxwDomHtmlCollectionGeneral& mrtSource, const char* mpsfKey,
                                            unsigned muKeyLen, bool mbByIdentifier)
        : KxwDomHtmlDynamicCollection(mrtSource, mpsfKey, muKeyLen), _bByIdentifier(mbByIdentifier) {}
    bool Accepts(const KxwDomNodeBase* mptNode, const char* mpszNewKeyOrNull, bool mbNewKeyIsId) const override;
    bool IsByIdentifier() const { return _bByIdentifier; }
    // Made by the library for its own lookups (the first element of an id): a script's lookup does not see it
    // until it would have made the same collection itself.
    bool IsInternal() const { return _bInternal; }
    void SetIsInternal(bool mbInternal) { _bInternal = mbInternal; }
    bool IsKey(const char* mpsfKey, unsigned muKeyLen) const;
    // Whether mptNode carries the key as its id or its name; mpszNewKeyOrNull, when given, is about to become its
    // id (mbNewKeyIsId) or its name and is compared instead of the current one.
    static bool Matches(const KxwDomNodeBase* mptNode, const char* mpsfKey, unsigned muKeyLen, bool mbIgnoreCase,
                        const char* mpszNewKeyOrNull, bool mbNewKeyIsId);

private:
    bool _bByIdentifier;
    bool _bInternal = false;
};

// The dynamic collections made from one collection, by key: a tag collection per tag name (ASCII case folded) and
// one for "*", a by-identifier collection per identifier (folded), a by-name collection per exact name. A change of
// the source then reaches only the collections whose key the node carries, however many a page made.
class KxwDomHtmlDynamicCollections {
public:
    explicit KxwDomHtmlDynamicCollections(KxwMemMgr* mptMemMgr);
    // Deletes the collections.
    ~KxwDomHtmlDynamicCollections();
    KxwDomHtmlDynamicCollections(const KxwDomHtmlDynamicCollections&) = delete;
    KxwDomHtmlDynamicCollections& operator=(const KxwDomHtmlDynamicCollections&) = delete;

    KxwDomHtmlDynamicCollectionByTag* FindTag(const char16_t* mpwsfTagName, unsigned muLen) const;
    KxwDomHtmlDynamicCollectionByIdentifier* FindIdentifier(const char* mpsfKey, unsigned muKeyLen,
                                                            bool mbByIdentifier) const;
    void AddTag(KxwDomHtmlDynamicCollectionByTag* mptDynamic);
    void AddIdentifier(KxwDomHtmlDynamicCollectionByIdentifier* mptDynamic);

    // Every collection that may hold mptNode or take it: by its tag, its id and its name, and by mpszOtherKey
    // (a new id or name about to be taken) when given.
    void ForEachConcerned(const KxwDomNodeBase* mptNode, const char* mpszOtherKey,
                          const std::function<void(KxwDomHtmlDynamicCollection&)>& mfVisit) const;
    void ForEach(const std::function<void(KxwDomHtmlDynamicCollection&)>& mfVisit) const;

private:
    using KeyStr = std::basic_string<char, std::char_traits<char>, KxwDomHtmlCollectionMapAllocator<char>>;
    template <class Dynamic>
    using Map = std::map<KeyStr, Dynamic*, std::less<KeyStr>,
                         KxwDomHtmlCollectionMapAllocator<std::pair<const KeyStr, Dynamic*>>>;
    KeyStr Key(const char* mpsfText, size_t mnLen, bool mbFold) const;
    void VisitIdentifier(const char* mpsfKey, size_t mnLen,
                         const std::function<void(KxwDomHtmlDynamicCollection&)>& mfVisit) const;

    KxwMemMgr* _ptMemMgr;
    KxwDomHtmlDynamicCollectionByTag* _ptEveryTag = nullptr;
    Map<KxwDomHtmlDynamicCollectionByTag> _tByTag;
    Map<KxwDomHtmlDynamicCollectionByIdentifier> _tByIdentifier;
    Map<KxwDomHtmlDynamicCollectionByIdentifier> _tByName;
};
