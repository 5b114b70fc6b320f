// The records of a document's disconnected-nodes list: nodes that left the tree (or were never in it) while a
// script may still hold them. A record watches its node; once the engine deletes the node (with the collection that
// found its subtree unreachable), the record is inactive and the document drops it.
#pragma once

#include <cstddef>

#include "KxwDomWatchDelete.h"

class KxwDomNodeBase;
class KxwMemMgr;

class KxwDomDisconnectedNode {
public:
    // On the node's memory manager (the process heap when it has none); exhaustion aborts.
    static KxwDomDisconnectedNode* Create(KxwDomNodeBase* mptNode);
    static void Destroy(KxwDomDisconnectedNode* mptRecord);

    // The node while it lives, else null.
    KxwDomNodeBase* GetReferencedNode() const;
    bool IsActive() const { return GetReferencedNode() != nullptr; }
    KxwDomDisconnectedNode* GetNext() const { return _ptNext; }

private:
    friend class KxwDomDisconnectedNodesList;
    KxwDomDisconnectedNode(KxwMemMgr* mptMemMgr, KxwDomNodeBase* mptNode);
    ~KxwDomDisconnectedNode() = default;

    KxwMemMgr* _ptMemMgr;
    KxwDomNodeBase* _ptReferencedNode;
    KxwDomWatchDelete _tWatch;
    KxwDomDisconnectedNode* _ptNext = nullptr;
};

// A singly linked list of records, newest first. Records of deleted nodes are dropped whenever the list is walked,
// and the list sweeps itself as it grows, so that it never holds more than about twice its active records.
class KxwDomDisconnectedNodesList {
public:
    KxwDomDisconnectedNodesList() = default;
    ~KxwDomDisconnectedNodesList();
    KxwDomDisconnectedNodesList(const KxwDomDisconnectedNodesList&) = delete;
    KxwDomDisconnectedNodesList& operator=(const KxwDomDisconnectedNodesList&) = delete;

    // A new record at the head; answers it.
    KxwDomDisconnectedNode* Push(KxwDomNodeBase* mptNode);
    // Unlinks and frees the record of mptNode; answers whether there was one.
    bool Remove(const KxwDomNodeBase* mptNode, KxwDomDisconnectedNode** mpptRemovedRecord = nullptr);
    // Hands every record over to the caller (who frees them) and leaves the list empty.
    KxwDomDisconnectedNode* TakeAll();
    // Drops the records of deleted nodes.
    void DropInactive();

    bool IsEmpty() const { return _ptHead == nullptr; }
    // Records, inactive ones included.
    size_t GetSize() const { return _nSize; }
    size_t GetActiveCount() const;
    KxwDomDisconnectedNode* GetHead() const { return _ptHead; }

private:
    KxwDomDisconnectedNode* _ptHead = nullptr;
    size_t _nSize = 0;
    size_t _nSizeAfterSweep = 0;
};
