#include "KxwDomHtmlCollectionMap.h"

#include <cstring>
#include <new>

#include "KxwDomNodeBase.h"
#include "KxwMemMgr.h"
#include "KxwUtilReport.h"
#include "KxwUtilStrCompare.h"
#include "maw_alloc.h"

void* xfpvKxwDomHtmlCollectionMapAlloc(KxwMemMgr* mptMemMgr, size_t mnSize, size_t mnAlignment) {
    void* pvBlock = mptMemMgr ? mptMemMgr->Alloc(mnSize, mnAlignment < 8 ? 8 : mnAlignment) : maw_malloc(mnSize);
    if (!pvBlock) KxwUtilOutOfMemoryAbort(static_cast<long>(mnSize), "KxwDomHtmlCollectionMapAllocator");
    return pvBlock;
}

void xfvKxwDomHtmlCollectionMapFree(KxwMemMgr* mptMemMgr, void* mpvBlock) {
    if (mptMemMgr)
        mptMemMgr->Free(mpvBlock);
    else
        maw_free(mpvBlock);
}

KxwDomHtmlCollectionMap::KxwDomHtmlCollectionMap(KxwMemMgr* mptMemMgr, bool mbIgnoreCase)
    : _ptMemMgr(mptMemMgr),
      _bIgnoreCase(mbIgnoreCase),
      _tGroups(0, KeyHash(), std::equal_to<KeyStr>(), Groups::allocator_type(mptMemMgr)) {}

KxwDomHtmlCollectionMap::~KxwDomHtmlCollectionMap() {
    for (auto& rtEntry : _tGroups) FreeMany(rtEntry.second);
}

void KxwDomHtmlCollectionMap::FreeMany(Group& mrtGroup) {
    if (!mrtGroup._ptMany) return;
    NodeSet* ptMany = mrtGroup._ptMany;
    mrtGroup._ptMany = nullptr;
    ptMany->~NodeSet();
    xfvKxwDomHtmlCollectionMapFree(_ptMemMgr, ptMany);
}

bool KxwDomHtmlCollectionMap::TakeOut(Group& mrtGroup, const KxwDomNodeBase* mptNode) {
    if (!mrtGroup._ptMany) return mrtGroup._ptSingle == mptNode;
    mrtGroup._ptMany->erase(const_cast<KxwDomNodeBase*>(mptNode));
    if (!mrtGroup._ptMany->empty()) return false;
    FreeMany(mrtGroup);
    return true;
}

std::string_view KxwDomHtmlCollectionMap::NameKeyOf(const KxwDomNodeBase* mptNode) {
    if (!mptNode) return std::string_view();
    const KxwDomHtmlPropertyStr& rtName = mptNode->GetName();
    const char* psfName = rtName.GetDcsStr();
    return std::string_view(psfName, rtName.GetDcsLenInBytes());
}

std::string_view KxwDomHtmlCollectionMap::KeyOf(const KxwDomNodeBase* mptNode) {
    if (!mptNode) return std::string_view();
    const KxwDomHtmlPropertyStr& rtId = mptNode->GetId();
    const char* psfId = rtId.GetDcsStr();
    return std::string_view(psfId, rtId.GetDcsLenInBytes());
}

KxwDomHtmlCollectionMap::KeyStr KxwDomHtmlCollectionMap::MakeKey(const char* mpsfKey, size_t mnLen) const {
    KeyStr dsKey(mpsfKey, mnLen, KxwDomHtmlCollectionMapAllocator<char>(_ptMemMgr));
    if (_bIgnoreCase)
        for (char& rc : dsKey)
            if (rc >= 'A' && rc <= 'Z') rc = static_cast<char>(rc - 'A' + 'a');
    return dsKey;
}

bool KxwDomHtmlCollectionMap::SameKey(std::string_view mdsLeft, std::string_view mdsRight) const {
    return xfbKxwUtilIsEqualIgnoreCaseEx(mdsLeft.data(), mdsLeft.size(), mdsRight.data(), mdsRight.size(),
                                         _bIgnoreCase);
}

void KxwDomHtmlCollectionMap::AddUnder(KxwDomNodeBase* mptNode, std::string_view mdsKey) {
    if (mdsKey.empty()) return;
    auto tInserted = _tGroups.try_emplace(MakeKey(mdsKey.data(), mdsKey.size()));
    Group& rtGroup = tInserted.first->second;
    if (tInserted.second) {
        rtGroup._ptSingle = mptNode;
        return;
    }
    if (!rtGroup._ptMany) {
        if (rtGroup._ptSingle == mptNode) return;
        void* pvBlock = xfpvKxwDomHtmlCollectionMapAlloc(_ptMemMgr, sizeof(NodeSet), alignof(NodeSet));
        rtGroup._ptMany = new (pvBlock) NodeSet(0, std::hash<KxwDomNodeBase*>(), std::equal_to<KxwDomNodeBase*>(),
                                                NodeSet::allocator_type(_ptMemMgr));
        rtGroup._ptMany->insert(rtGroup._ptSingle);
        rtGroup._ptSingle = nullptr;
    }
    rtGroup._ptMany->insert(mptNode);
}

void KxwDomHtmlCollectionMap::RemoveUnder(KxwDomNodeBase* mptNode, std::string_view mdsKey) {
    if (mdsKey.empty()) return;
    auto it = _tGroups.find(MakeKey(mdsKey.data(), mdsKey.size()));
    if (it != _tGroups.end() && TakeOut(it->second, mptNode)) _tGroups.erase(it);
}

void KxwDomHtmlCollectionMap::RemoveUnderAnyKey(const KxwDomNodeBase* mptNode) {
    for (auto it = _tGroups.begin(); it != _tGroups.end();)
        it = TakeOut(it->second, mptNode) ? _tGroups.erase(it) : std::next(it);
}

void KxwDomHtmlCollectionMap::Add(KxwDomNodeBase* mptNode) {
    std::string_view dsId = KeyOf(mptNode), dsName = NameKeyOf(mptNode);
    AddUnder(mptNode, dsId);
    if (!SameKey(dsName, dsId)) AddUnder(mptNode, dsName);
}

void KxwDomHtmlCollectionMap::Remove(KxwDomNodeBase* mptNode) {
    std::string_view dsId = KeyOf(mptNode), dsName = NameKeyOf(mptNode);
    RemoveUnder(mptNode, dsId);
    if (!SameKey(dsName, dsId)) RemoveUnder(mptNode, dsName);
}

void KxwDomHtmlCollectionMap::Rekey(KxwDomNodeBase* mptNode, const char* mpszNewKey, bool mbId) {
    std::string dsOld(mbId ? KeyOf(mptNode) : NameKeyOf(mptNode));
    std::string dsOther(mbId ? NameKeyOf(mptNode) : KeyOf(mptNode));
    std::string dsNew = mpszNewKey ? std::string(mpszNewKey) : std::string();
    // A node is filed once under a text that is both its id and its name.
    if (!SameKey(dsOld, dsOther)) RemoveUnder(mptNode, dsOld);
    if (!SameKey(dsNew, dsOther)) AddUnder(mptNode, dsNew);
}

size_t KxwDomHtmlCollectionMap::Count(const char* mpsfKey, size_t mnKeyLen, KxwDomNodeBase** mpptSingle) const {
    if (mpptSingle) *mpptSingle = nullptr;
    if (!mpsfKey || mnKeyLen == 0) return 0;
    auto it = _tGroups.find(MakeKey(mpsfKey, mnKeyLen));
    if (it == _tGroups.end()) return 0;
    const Group& rtGroup = it->second;
    KxwDomNodeBase* ptSingle = rtGroup._ptSingle;
    if (rtGroup._ptMany) {
        if (rtGroup._ptMany->size() > 1) return 2;
        ptSingle = *rtGroup._ptMany->begin();
    }
    if (mpptSingle) *mpptSingle = ptSingle;
    return 1;
}

size_t KxwDomHtmlCollectionMap::Count(const char* mpszKey, KxwDomNodeBase** mpptSingle) const {
    return Count(mpszKey, mpszKey ? std::strlen(mpszKey) : 0, mpptSingle);
}
