// The collections a node keeps of its subtree ("all", "children", "childNodes") as the tree algorithms use them.
// The node holds the pointers and decides when each collection changes; this interface is the one place that
// knows the collection classes, so they plug in here without touching the tree code. Tests may put a recording
// set in place.
#pragma once

#include "kxw/KxwDomCommonEnums.h"

class KxwDomCoreNode;
class KxwDomNodeBase;
class KxwDomHtmlCollectionGeneral;
class KxwDomHtmlCollectionOrdered;
class KxwJswUserObjBase;

class KxwDomNodeCollections {
public:
    KxwDomNodeCollections() = default;
    virtual ~KxwDomNodeCollections();
    KxwDomNodeCollections(const KxwDomNodeCollections&) = delete;
    KxwDomNodeCollections& operator=(const KxwDomNodeCollections&) = delete;

    // The operations in use: the library's own unless another set was put in place (tests record calls).
    static KxwDomNodeCollections& Current();
    // Null puts the library's own back.
    static void SetCurrent(KxwDomNodeCollections* mptCollections);

    // ---- Made on first use, already holding what the owner's subtree holds; null when none can be made ----
    virtual KxwDomHtmlCollectionOrdered* CreateAll(KxwDomCoreNode& mrtOwnerNode);
    virtual KxwDomHtmlCollectionGeneral* CreateChildren(KxwDomCoreNode& mrtOwnerNode);
    virtual KxwDomHtmlCollectionGeneral* CreateChildNodes(KxwDomCoreNode& mrtOwnerNode);
    virtual void Delete(KxwDomHtmlCollectionOrdered* mptCollection);
    virtual void Delete(KxwDomHtmlCollectionGeneral* mptCollection);

    // ---- Changes, each applied to one collection ----
    // A removal (2) or an id or name about to change (24, 25; mpvExtra is the new value).
    virtual void Update(KxwDomHtmlCollectionOrdered* mptCollection, KXW_DOM_COMMON_NOTIFICATION_ENUM meType,
                        KxwDomNodeBase* mptNode, void* mpvExtra);
    virtual void Update(KxwDomHtmlCollectionGeneral* mptCollection, KXW_DOM_COMMON_NOTIFICATION_ENUM meType,
                        KxwDomNodeBase* mptNode, void* mpvExtra);
    // An element that joined the owner's subtree, filed in document order.
    virtual void AddItem(KxwDomHtmlCollectionOrdered* mptCollection, KxwDomNodeBase* mptElement);
    // A new direct child of the owner, filed among the children the list holds (elements for "children", every
    // node for "childNodes").
    virtual void AddItem(KxwDomHtmlCollectionGeneral* mptCollection, KxwDomNodeBase* mptChild);
    // Drops every item that lies under mptNode.
    virtual void RemoveDescendantsOf(KxwDomHtmlCollectionOrdered* mptCollection, const KxwDomNodeBase* mptNode);
    virtual void Reset(KxwDomHtmlCollectionOrdered* mptCollection);
    virtual void Reset(KxwDomHtmlCollectionGeneral* mptCollection);
    // Refills a list of direct children from the owner's children as they are now (a list that could not follow a
    // change, or the children of a node spread over place holders).
    virtual void Rebuild(KxwDomHtmlCollectionGeneral* mptCollection, KxwDomCoreNode& mrtOwnerNode);

    // ---- Reading ----
    // The live collection of the elements of a tag name ("*": every element) taken from mptAll, or null.
    virtual KxwDomHtmlCollectionGeneral* GetTags(KxwDomHtmlCollectionOrdered* mptAll, const char16_t* mpwsfTagName,
                                                 unsigned muTagNameLenInChars);
    // What a script receives for a collection.
    virtual KxwJswUserObjBase* ToUserObj(KxwDomHtmlCollectionOrdered* mptCollection);
    virtual KxwJswUserObjBase* ToUserObj(KxwDomHtmlCollectionGeneral* mptCollection);
};
