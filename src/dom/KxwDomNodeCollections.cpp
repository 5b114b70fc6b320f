#include "KxwDomNodeCollections.h"

#include <atomic>

namespace {

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

// The library's own operations, until the collection classes exist: no collection is made, so the others are
// never reached with one.

KxwDomHtmlCollectionOrdered* KxwDomNodeCollections::CreateAll(KxwDomCoreNode&) {
    return nullptr;
}
KxwDomHtmlCollectionGeneral* KxwDomNodeCollections::CreateChildren(KxwDomCoreNode&) {
    return nullptr;
}
KxwDomHtmlCollectionGeneral* KxwDomNodeCollections::CreateChildNodes(KxwDomCoreNode&) {
    return nullptr;
}
void KxwDomNodeCollections::Delete(KxwDomHtmlCollectionOrdered*) {}
void KxwDomNodeCollections::Delete(KxwDomHtmlCollectionGeneral*) {}
void KxwDomNodeCollections::Update(KxwDomHtmlCollectionOrdered*, KXW_DOM_COMMON_NOTIFICATION_ENUM, KxwDomNodeBase*,
                                   void*) {}
void KxwDomNodeCollections::Update(KxwDomHtmlCollectionGeneral*, KXW_DOM_COMMON_NOTIFICATION_ENUM, KxwDomNodeBase*,
                                   void*) {}
void KxwDomNodeCollections::AddItem(KxwDomHtmlCollectionOrdered*, KxwDomNodeBase*) {}
void KxwDomNodeCollections::AddItem(KxwDomHtmlCollectionGeneral*, KxwDomNodeBase*) {}
void KxwDomNodeCollections::RemoveDescendantsOf(KxwDomHtmlCollectionOrdered*, const KxwDomNodeBase*) {}
void KxwDomNodeCollections::Reset(KxwDomHtmlCollectionOrdered*) {}
void KxwDomNodeCollections::Reset(KxwDomHtmlCollectionGeneral*) {}
void KxwDomNodeCollections::Rebuild(KxwDomHtmlCollectionGeneral*, KxwDomCoreNode&) {}
KxwDomHtmlCollectionGeneral* KxwDomNodeCollections::GetTags(KxwDomHtmlCollectionOrdered*, const char16_t*, unsigned) {
    return nullptr;
}
KxwJswUserObjBase* KxwDomNodeCollections::ToUserObj(KxwDomHtmlCollectionOrdered*) {
    return nullptr;
}
KxwJswUserObjBase* KxwDomNodeCollections::ToUserObj(KxwDomHtmlCollectionGeneral*) {
    return nullptr;
}
