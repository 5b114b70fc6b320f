#include "KxwDomNodeCollections.h"

#include <atomic>

#include "KxwDomCoreNode.h"
#include "KxwDomHtmlCollection.h"

namespace {

// The elements of the owner's subtree in document order (the owner itself excluded).
void FillWithDescendantElements(KxwDomHtmlCollectionGeneral& mrtCollection, KxwDomCoreNode& mrtOwnerNode) {
    KxwDomNodeBase* ptCrnt = mrtOwnerNode.GetDomFirstChild();
    while (ptCrnt) {
        if (ptCrnt->IsElementNode()) mrtCollection.AppendItem(ptCrnt);
        if (KxwDomNodeBase* ptChild = ptCrnt->GetDomFirstChild()) {
            ptCrnt = ptChild;
            continue;
        }
        while (ptCrnt && ptCrnt != &mrtOwnerNode && !ptCrnt->GetDomNextSibling()) ptCrnt = ptCrnt->GetDomParentNode();
        ptCrnt = (ptCrnt && ptCrnt != &mrtOwnerNode) ? ptCrnt->GetDomNextSibling() : nullptr;
    }
}

template <class Collection>
Collection* NewOwnedCollection(KxwDomCoreNode& mrtOwnerNode, const char* mpszName) {
    auto* ptCollection = new (mrtOwnerNode.GetDomEnv()) Collection(mrtOwnerNode.GetDomEnv());
    ptCollection->SetOwnerNode(&mrtOwnerNode, mpszName);
    return ptCollection;
}

KxwDomNodeCollections& LibraryCollections() {
    static KxwDomNodeCollections tCollections;
    return tCollections;
}

std::atomic<KxwDomNodeCollections*>& CurrentCollections() {
    static std::atomic<KxwDomNodeCollections*> tCurrent{nullptr};
    return tCurrent;
}

}  // namespace

KxwDomNodeCollections::~KxwDomNodeCollections() = default;

KxwDomNodeCollections& KxwDomNodeCollections::Current() {
    KxwDomNodeCollections* ptCurrent = CurrentCollections().load(std::memory_order_acquire);
    return ptCurrent ? *ptCurrent : LibraryCollections();
}

void KxwDomNodeCollections::SetCurrent(KxwDomNodeCollections* mptCollections) {
    CurrentCollections().store(mptCollections, std::memory_order_release);
}

// The library's own operations: the node's collections are the live collection classes.

KxwDomHtmlCollectionOrdered* KxwDomNodeCollections::CreateAll(KxwDomCoreNode& mrtOwnerNode) {
    auto* ptAll = NewOwnedCollection<KxwDomHtmlCollectionOrdered>(mrtOwnerNode, "all");
    FillWithDescendantElements(*ptAll, mrtOwnerNode);
    return ptAll;
}

KxwDomHtmlCollectionGeneral* KxwDomNodeCollections::CreateChildren(KxwDomCoreNode& mrtOwnerNode) {
    auto* ptChildren = NewOwnedCollection<KxwDomHtmlCollectionGeneral>(mrtOwnerNode, "children");
    for (KxwDomNodeBase* ptChild = mrtOwnerNode.GetDomFirstChild(); ptChild; ptChild = ptChild->GetDomNextSibling())
        if (ptChild->IsElementNode()) ptChildren->AppendItem(ptChild);
    return ptChildren;
}

KxwDomHtmlCollectionGeneral* KxwDomNodeCollections::CreateChildNodes(KxwDomCoreNode& mrtOwnerNode) {
    auto* ptChildNodes = NewOwnedCollection<KxwDomHtmlCollectionGeneral>(mrtOwnerNode, "childNodes");
    Rebuild(ptChildNodes, mrtOwnerNode);
    return ptChildNodes;
}

void KxwDomNodeCollections::Delete(KxwDomHtmlCollectionOrdered* mptCollection) {
    delete mptCollection;
}

void KxwDomNodeCollections::Delete(KxwDomHtmlCollectionGeneral* mptCollection) {
    delete mptCollection;
}

void KxwDomNodeCollections::Update(KxwDomHtmlCollectionOrdered* mptCollection, KXW_DOM_COMMON_NOTIFICATION_ENUM meType,
                                   KxwDomNodeBase* mptNode, void* mpvExtra) {
    if (mptCollection) mptCollection->UpdateCollection(meType, mptNode, mpvExtra);
}

void KxwDomNodeCollections::Update(KxwDomHtmlCollectionGeneral* mptCollection, KXW_DOM_COMMON_NOTIFICATION_ENUM meType,
                                   KxwDomNodeBase* mptNode, void* mpvExtra) {
    if (mptCollection) mptCollection->UpdateCollection(meType, mptNode, mpvExtra);
}

void KxwDomNodeCollections::AddItem(KxwDomHtmlCollectionOrdered* mptCollection, KxwDomNodeBase* mptElement) {
    if (mptCollection && mptElement) mptCollection->AddItem(mptElement);
}

void KxwDomNodeCollections::AddItem(KxwDomHtmlCollectionGeneral* mptCollection, KxwDomNodeBase* mptChild) {
    if (!mptCollection || !mptChild) return;
    // A list of direct children: the new child goes next to the nearest sibling the list holds, searched on both
    // sides a step at a time (a long run of siblings the list does not hold, text beside elements, costs no more
    // than the distance to the nearer one). With no sibling after it, it is the last.
    KxwDomNodeBase* ptBack = mptChild;
    KxwDomNodeBase* ptAhead = mptChild;
    while (ptBack || ptAhead) {
        if (ptAhead && !(ptAhead = ptAhead->GetDomNextSibling())) {
            mptCollection->AppendItem(mptChild);
            return;
        }
        if (ptAhead && mptCollection->IsItemFound(ptAhead)) {
            mptCollection->InsertItemBeforeNode(mptChild, ptAhead);
            return;
        }
        if (ptBack && (ptBack = ptBack->GetDomPreviousSibling()) && mptCollection->IsItemFound(ptBack)) {
            mptCollection->InsertItemAfterNode(mptChild, ptBack);
            return;
        }
    }
    // Neither side holds anything: the list was empty.
    mptCollection->AppendItem(mptChild);
}

void KxwDomNodeCollections::RemoveDescendantsOf(KxwDomHtmlCollectionOrdered* mptCollection,
                                                const KxwDomNodeBase* mptNode) {
    if (mptCollection) mptCollection->RemoveDescendantOfInHtmlDocument(mptNode);
}

void KxwDomNodeCollections::Reset(KxwDomHtmlCollectionOrdered* mptCollection) {
    if (mptCollection) mptCollection->Reset();
}

void KxwDomNodeCollections::Reset(KxwDomHtmlCollectionGeneral* mptCollection) {
    if (mptCollection) mptCollection->Reset();
}

void KxwDomNodeCollections::Rebuild(KxwDomHtmlCollectionGeneral* mptCollection, KxwDomCoreNode& mrtOwnerNode) {
    if (!mptCollection) return;
    mptCollection->Reset();
    mptCollection->SetIsMarkedForRebuild(false);
    for (KxwDomNodeBase* ptChild = mrtOwnerNode.GetDomFirstChild(); ptChild; ptChild = ptChild->GetDomNextSibling())
        mptCollection->AppendItem(ptChild);
}

KxwDomHtmlCollectionGeneral* KxwDomNodeCollections::GetTags(KxwDomHtmlCollectionOrdered* mptAll,
                                                            const char16_t* mpwsfTagName,
                                                            unsigned muTagNameLenInChars) {
    return mptAll ? mptAll->GetTags(mpwsfTagName, muTagNameLenInChars) : nullptr;
}

KxwJswUserObjBase* KxwDomNodeCollections::ToUserObj(KxwDomHtmlCollectionOrdered* mptCollection) {
    return mptCollection;
}

KxwJswUserObjBase* KxwDomNodeCollections::ToUserObj(KxwDomHtmlCollectionGeneral* mptCollection) {
    return mptCollection;
}
