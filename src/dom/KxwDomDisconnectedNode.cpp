#include "KxwDomDisconnectedNode.h"

#include <new>

#include "KxwDomNodeBase.h"
#include "KxwMemMgr.h"
#include "KxwUtilReport.h"
#include "maw_alloc.h"

KxwDomDisconnectedNode::KxwDomDisconnectedNode(KxwMemMgr* mptMemMgr, KxwDomNodeBase* mptNode)
    : _ptMemMgr(mptMemMgr), _ptReferencedNode(mptNode), _tWatch("KxwDomDisconnectedNode", mptNode) {}

KxwDomDisconnectedNode* KxwDomDisconnectedNode::Create(KxwDomNodeBase* mptNode) {
    KxwMemMgr* ptMemMgr = mptNode->GetMemMgr();
    void* pvBlock = ptMemMgr ? ptMemMgr->Alloc(sizeof(KxwDomDisconnectedNode), alignof(KxwDomDisconnectedNode))
                             : maw_malloc(sizeof(KxwDomDisconnectedNode));
    if (!pvBlock) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomDisconnectedNode)), "KxwDomDisconnectedNode");
    return new (pvBlock) KxwDomDisconnectedNode(ptMemMgr, mptNode);
}

void KxwDomDisconnectedNode::Destroy(KxwDomDisconnectedNode* mptRecord) {
    if (!mptRecord) return;
    KxwMemMgr* ptMemMgr = mptRecord->_ptMemMgr;
    mptRecord->~KxwDomDisconnectedNode();
    if (ptMemMgr)
        ptMemMgr->Free(mptRecord);
    else
        maw_free(mptRecord);
}

KxwDomNodeBase* KxwDomDisconnectedNode::GetReferencedNode() const {
    return _tWatch.HasBeenDeleted() ? nullptr : _ptReferencedNode;
}

// ---------------------------------------------------------------------------------------------------------------

KxwDomDisconnectedNodesList::~KxwDomDisconnectedNodesList() {
    KxwDomDisconnectedNode* ptRecord = TakeAll();
    while (ptRecord) {
        KxwDomDisconnectedNode* ptNext = ptRecord->_ptNext;
        KxwDomDisconnectedNode::Destroy(ptRecord);
        ptRecord = ptNext;
    }
}

KxwDomDisconnectedNode* KxwDomDisconnectedNodesList::Push(KxwDomNodeBase* mptNode) {
    KxwDomDisconnectedNode* ptRecord = KxwDomDisconnectedNode::Create(mptNode);
    ptRecord->_ptNext = _ptHead;
    _ptHead = ptRecord;
    ++_nSize;
    // Records of nodes the engine deleted go now and then, so that the sweeps cost little per record.
    if (_nSize >= 2 * _nSizeAfterSweep + 64) DropInactive();
    return ptRecord;
}

bool KxwDomDisconnectedNodesList::Remove(const KxwDomNodeBase* mptNode, KxwDomDisconnectedNode** mpptRemovedRecord) {
    KxwDomDisconnectedNode** pptLink = &_ptHead;
    while (KxwDomDisconnectedNode* ptRecord = *pptLink) {
        KxwDomNodeBase* ptReferencedNode = ptRecord->GetReferencedNode();
        if (ptReferencedNode && ptReferencedNode != mptNode) {
            pptLink = &ptRecord->_ptNext;
            continue;
        }
        *pptLink = ptRecord->_ptNext;
        --_nSize;
        KxwDomDisconnectedNode::Destroy(ptRecord);
        if (!ptReferencedNode) continue;
        if (mpptRemovedRecord) *mpptRemovedRecord = ptRecord;
        return true;
    }
    return false;
}

KxwDomDisconnectedNode* KxwDomDisconnectedNodesList::TakeAll() {
    KxwDomDisconnectedNode* ptHead = _ptHead;
    _ptHead = nullptr;
    _nSize = 0;
    _nSizeAfterSweep = 0;
    return ptHead;
}

void KxwDomDisconnectedNodesList::DropInactive() {
    KxwDomDisconnectedNode** pptLink = &_ptHead;
    while (KxwDomDisconnectedNode* ptRecord = *pptLink) {
        if (ptRecord->IsActive()) {
            pptLink = &ptRecord->_ptNext;
            continue;
        }
        *pptLink = ptRecord->_ptNext;
        --_nSize;
        KxwDomDisconnectedNode::Destroy(ptRecord);
    }
    _nSizeAfterSweep = _nSize;
}

size_t KxwDomDisconnectedNodesList::GetActiveCount() const {
    size_t nActive = 0;
    for (const KxwDomDisconnectedNode* ptRecord = _ptHead; ptRecord; ptRecord = ptRecord->_ptNext)
        if (ptRecord->IsActive()) ++nActive;
    return nActive;
}
