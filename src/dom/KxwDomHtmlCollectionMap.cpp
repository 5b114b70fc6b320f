#include "KxwDomHtmlCollectionMap.h"

#include <algorithm>
#include <cstring>

#include "KxwDomNodeBase.h"
#include "KxwMemMgr.h"
#include "KxwUtilReport.h"
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

KxwDomHtmlCollectionMap::KxwDomHtmlCollectionMap(KxwMemMgr* mptMemMgr)
    : _ptMemMgr(mptMemMgr), _tMap(Map::allocator_type(mptMemMgr)) {}

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

void KxwDomHtmlCollectionMap::AddUnder(KxwDomNodeBase* mptNode, const std::string& mdsKey) {
    if (mdsKey.empty()) return;
    KxwDomHtmlCollectionMapAllocator<char> tAlloc(_ptMemMgr);
    KeyStr dsKey(mdsKey.data(), mdsKey.size(), tAlloc);
    auto it = _tMap.find(dsKey);
    if (it == _tMap.end()) it = _tMap.emplace(std::move(dsKey), NodeList(NodeList::allocator_type(_ptMemMgr))).first;
    it->second.push_back(mptNode);
}

void KxwDomHtmlCollectionMap::RemoveUnder(KxwDomNodeBase* mptNode, const std::string& mdsKey) {
    if (mdsKey.empty()) return;
    KeyStr dsKey(mdsKey.data(), mdsKey.size(), KxwDomHtmlCollectionMapAllocator<char>(_ptMemMgr));
    auto it = _tMap.find(dsKey);
    if (it == _tMap.end()) return;
    NodeList& rtNodes = it->second;
    auto itNode = std::find(rtNodes.begin(), rtNodes.end(), mptNode);
    if (itNode != rtNodes.end()) rtNodes.erase(itNode);
    if (rtNodes.empty()) _tMap.erase(it);
}

void KxwDomHtmlCollectionMap::RemoveUnderAnyKey(const KxwDomNodeBase* mptNode) {
    for (auto it = _tMap.begin(); it != _tMap.end();) {
        NodeList& rtNodes = it->second;
        rtNodes.erase(std::remove(rtNodes.begin(), rtNodes.end(), mptNode), rtNodes.end());
        it = rtNodes.empty() ? _tMap.erase(it) : std::next(it);
    }
}

void KxwDomHtmlCollectionMap::Add(KxwDomNodeBase* mptNode) {
    std::string dsId = KeyOf(mptNode), dsName = NameKeyOf(mptNode);
    AddUnder(mptNode, dsId);
    if (dsName != dsId) AddUnder(mptNode, dsName);
}

void KxwDomHtmlCollectionMap::Remove(KxwDomNodeBase* mptNode) {
    std::string dsId = KeyOf(mptNode), dsName = NameKeyOf(mptNode);
    RemoveUnder(mptNode, dsId);
    if (dsName != dsId) RemoveUnder(mptNode, dsName);
}

void KxwDomHtmlCollectionMap::Remove(KxwDomNodeBase* mptNode, const char* mpszKey) {
    RemoveUnder(mptNode, mpszKey ? std::string(mpszKey) : std::string());
}

void KxwDomHtmlCollectionMap::Rekey(KxwDomNodeBase* mptNode, const char* mpszNewKey, bool mbId) {
    std::string dsOld = mbId ? KeyOf(mptNode) : NameKeyOf(mptNode);
    std::string dsOther = mbId ? NameKeyOf(mptNode) : KeyOf(mptNode);
    std::string dsNew = mpszNewKey ? std::string(mpszNewKey) : std::string();
    // A node is filed once under a text that is both its id and its name.
    if (dsOld != dsOther) RemoveUnder(mptNode, dsOld);
    if (dsNew != dsOther) AddUnder(mptNode, dsNew);
}

size_t KxwDomHtmlCollectionMap::Count(const char* mpszKey, KxwDomNodeBase** mpptFirst) const {
    if (mpptFirst) *mpptFirst = nullptr;
    if (!mpszKey || !*mpszKey) return 0;
    KeyStr dsKey(mpszKey, std::strlen(mpszKey), KxwDomHtmlCollectionMapAllocator<char>(_ptMemMgr));
    auto it = _tMap.find(dsKey);
    if (it == _tMap.end() || it->second.empty()) return 0;
    if (mpptFirst) *mpptFirst = it->second.front();
    return it->second.size();
}
