// Collections made from another collection by a key (a tag name, or a name or id) and kept current by it: the
// results of getElementsByTagName, "tags" and of named lookups that find several nodes. They belong to the
// collection they were made from and live on its memory manager.
#pragma once

#include <string>

#include "KxwDomHtmlCollection.h"

class KxwDomHtmlDynamicCollection : public KxwDomHtmlCollectionGeneral {
public:
    KxwDomHtmlDynamicCollection(KxwDomHtmlCollectionGeneral& mrtSource, const char* mpsfKey, unsigned muKeyLen);

    // Whether mptNode belongs here (its current id when mpszNewKeyOrNull is null).
    virtual bool Accepts(const KxwDomNodeBase* mptNode, const char* mpszNewKeyOrNull, bool mbNewKeyIsId) const = 0;
    const std::string& GetKey() const { return _dsKey; }
    KxwDomHtmlDynamicCollection* GetNextDynamic() const { return _ptNextDynamic; }
    KxwDomHtmlCollectionGeneral& GetSource() const { return _rtSource; }
    // Fills the collection with the source's accepted nodes, in order.
    void FillFromSource();
    // The source gained mptNode: inserted in the source's order when accepted.
    void SourceAdded(KxwDomNodeBase* mptNode);

private:
    friend class KxwDomHtmlCollectionGeneral;
    KxwDomHtmlCollectionGeneral& _rtSource;
    std::string _dsKey;
    KxwDomHtmlDynamicCollection* _ptNextDynamic = nullptr;
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
    bool IsKey(const char* mpsfKey, unsigned muKeyLen) const;
    // Whether mptNode carries the key as its id or its name; mpszNewKeyOrNull, when given, is about to become its
    // id (mbNewKeyIsId) or its name and is compared instead of the current one.
    static bool Matches(const KxwDomNodeBase* mptNode, const char* mpsfKey, unsigned muKeyLen, bool mbIgnoreCase,
                        const char* mpszNewKeyOrNull, bool mbNewKeyIsId);

private:
    bool _bByIdentifier;
};
