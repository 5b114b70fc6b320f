// An element's "attributes" collection (script class "attributecollection"): one attribute node per attribute the
// element has, in the order they became known, named without regard to case. The element owns the collection; the
// collection owns its attribute nodes while they belong to the element. An attribute node that leaves (removed,
// replaced, or its element deleted) is free: its engine object owns it from then on. Names are found through an index
// once the element has many attributes, so that filling the collection and every named lookup cost O(1).
#pragma once

#include <string>
#include <vector>

#include "KxwDomHtmlCollection.h"
#include "KxwDomNameIndex.h"

class KxwDomCoreAttribute;
class KxwDomCoreDocument;
class KxwDomCoreElement;

class KxwDomAttributeCollection : public KxwDomHtmlCollectionGeneral {
public:
    explicit KxwDomAttributeCollection(KxwDomEnv& mrtDomEnv);
    // The attribute nodes still here are set free (see above).
    ~KxwDomAttributeCollection() override;

    // Appends the node with mptOwner as its owner element; a name already here (ignoring case) is not added and
    // the call still succeeds. False only for a null node or a failed append.
    bool AddAttributeNode(KxwDomCoreAttribute* mptAttrNode, KxwDomCoreElement* mptOwner);
    // Makes the node on this collection's memory manager, then adds it.
    bool AddAttributeNode(KxwDomCoreDocument* mptDocument, const char16_t* mpwsfName, unsigned muNameLen,
                          signed char mcTinyId, KxwDomCoreElement* mptOwner);
    bool IsAttributeNameFound(const char16_t* mpwsfName, unsigned muNameLen) const;
    // Takes the first attribute of that name (ignoring case) out: its value is refreshed one last time and it
    // loses its owner. The caller decides its fate: hand it to a script, or let it go with ReleaseFreeAttribute.
    KxwDomCoreAttribute* RemoveItemByName(const char16_t* mpwsfName, unsigned muNameLen);
    // A free attribute nobody holds is deleted; one with an engine object is left to it.
    static void ReleaseFreeAttribute(KxwDomCoreAttribute* mptAttrNode);

    // The first attribute node of that name (ignoring case), or null.
    KxwDomCoreAttribute* FindByName(const char16_t* mpwsfName, unsigned muNameLen) const;
    // Named lookup: attribute names, not ids.
    KxwDomBase* GetItem(const char* mpszName, bool mbByIdentifier) override;
    using KxwDomHtmlCollectionGeneral::GetItem;
    bool IsResolved(const char* mpszName) override;
    // for...in lists the indexes and the attribute names.
    void GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>& mrtNames) override;

    const KxwJswClassInformation* GetClassInformation() const override;

private:
    // Beyond this many attributes, names are looked up in an index (made on the first lookup, kept by the additions
    // and removals here; an entry whose node left by another way is dropped when it is met).
    static constexpr unsigned long kNameIndexFrom = 16;
    void IndexName(KxwDomCoreAttribute* mptAttrNode);

    KxwDomNameIndex<char16_t>* _ptNameIndex = nullptr;
};
