#include "KxwDomHtmlCollectionMap.h"

#include <cstring>

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
    : _ptMemMgr(mptMemMgr), _bIgnoreCase(mbIgnoreCase), _tEntries(Set::allocator_type(mptMemMgr)) {}

std::string KxwDomHtmlCollectionMap::NameKeyOf(const KxwDomNodeBase* mptNode) {
    if (!mptNode) return std::string();
    const KxwDomHtmlPropertyStr& rtName = mptNode->GetName();
    return std::string(rtName.GetDcsStr(), rtName.GetDcsLenInBytes());
}

std::string KxwDomHtmlCollectionMap::KeyOf(const KxwDomNodeBase* mptNode) {
    if (!mptNode) return std::string();
    const KxwDomHtmlPropertyStr& rtId = mptNode->GetId();
    return std::string(rtId.GetDcsStr(), rtId.GetDcsLenInBytes());
}

KxwDomHtmlCollectionMap::KeyStr KxwDomHtmlCollectionMap::MakeKey(const char* mpsfKey, size_t mnLen) const {
    KeyStr dsKey(mpsfKey, mnLen, KxwDomHtmlCollectionMapAllocator<char>(_ptMemMgr));
    if (_bIgnoreCase)
        for (char& rc : dsKey)
            if (rc >= 'A' && rc <= 'Z') rc = static_cast<char>(rc - 'A' + 'a');
    return dsKey;
}

bool KxwDomHtmlCollectionMap::SameKey(const std::string& mdsLeft, const std::string& mdsRight) const {
    return xfbKxwUtilIsEqualIgnoreCaseEx(mdsLeft.data(), mdsLeft.size(), mdsRight.data(), mdsRight.size(),
                                         _bIgnoreCase);
}

void KxwDomHtmlCollectionMap::AddUnder(KxwDomNodeBase* mptNode, const std::string& mdsKey) {
    if (mdsKey.empty()) return;
    _tEntries.emplace(MakeKey(mdsKey.data(), mdsKey.size()), mptNode);
}

void KxwDomHtmlCollectionMap::RemoveUnder(KxwDomNodeBase* mptNode, const std::string& mdsKey) {
    if (mdsKey.empty()) return;
    _tEntries.erase(Entry(MakeKey(mdsKey.data(), mdsKey.size()), mptNode));
}

void KxwDomHtmlCollectionMap::RemoveUnderAnyKey(const KxwDomNodeBase* mptNode) {
    for (auto it = _tEntries.begin(); it != _tEntries.end();)
        it = it->second == mptNode ? _tEntries.erase(it) : std::next(it);
}

void KxwDomHtmlCollectionMap::Add(KxwDomNodeBase* mptNode) {
    std::string dsId = KeyOf(mptNode), dsName = NameKeyOf(mptNode);
    AddUnder(mptNode, dsId);
    if (!SameKey(dsName, dsId)) AddUnder(mptNode, dsName);
}

void KxwDomHtmlCollectionMap::Remove(KxwDomNodeBase* mptNode) {
    std::string dsId = KeyOf(mptNode), dsName = NameKeyOf(mptNode);
    RemoveUnder(mptNode, dsId);
    if (!SameKey(dsName, dsId)) RemoveUnder(mptNode, dsName);
}

void KxwDomHtmlCollectionMap::Rekey(KxwDomNodeBase* mptNode, const char* mpszNewKey, bool mbId) {
    std::string dsOld = mbId ? KeyOf(mptNode) : NameKeyOf(mptNode);
    std::string dsOther = mbId ? NameKeyOf(mptNode) : KeyOf(mptNode);
    std::string dsNew = mpszNewKey ? std::string(mpszNewKey) : std::string();
    // A node is filed once under a text that is both its id and its name.
    if (!SameKey(dsOld, dsOther)) RemoveUnder(mptNode, dsOld);
    if (!SameKey(dsNew, dsOther)) AddUnder(mptNode, dsNew);
}

size_t KxwDomHtmlCollectionMap::Count(const char* mpsfKey, size_t mnKeyLen, KxwDomNodeBase** mpptSingle) const {
    if (mpptSingle) *mpptSingle = nullptr;
    if (!mpsfKey || mnKeyLen == 0) return 0;
    KeyStr dsKey = MakeKey(mpsfKey, mnKeyLen);
    auto it = _tEntries.lower_bound(Entry(dsKey, nullptr));
    if (it == _tEntries.end() || it->first != dsKey) return 0;
    auto itNext = std::next(it);
    if (itNext != _tEntries.end() && itNext->first == dsKey) return 2;
    if (mpptSingle) *mpptSingle = it->second;
    return 1;
}

size_t KxwDomHtmlCollectionMap::Count(const char* mpszKey, KxwDomNodeBase** mpptSingle) const {
    return Count(mpszKey, mpszKey ? std::strlen(mpszKey) : 0, mpptSingle);
}
