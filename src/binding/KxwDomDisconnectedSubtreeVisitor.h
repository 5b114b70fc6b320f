// Applies one collector step to every member of a subtree that is no longer in a document (removed nodes that
// scripts may still hold): the subtree's user objects, the user objects they hold and their listeners' functions.
// The walk keeps its own stack, so trees of any depth are safe.
#pragma once

#include <cstddef>
#include <vector>

#include "KxwDomBase.h"

class KxwJswTracer;

enum KXW_DOM_SUBTREE_VISIT_MODE_ENUM {
    KXW_DOM_SUBTREE_VISIT_MODE_PROTECT = 0,    // every member keeps its engine object (SetTempProtectFromGC)
    KXW_DOM_SUBTREE_VISIT_MODE_UNPROTECT = 1,  // undoes PROTECT
    KXW_DOM_SUBTREE_VISIT_MODE_TRACE = 2,      // every member's engine object and held values are traced
    KXW_DOM_SUBTREE_VISIT_MODE_PROBE = 3,      // is any member protected or does it still have an engine object?
    KXW_DOM_SUBTREE_VISIT_MODE_DETACH = 4,     // every member forgets its engine object
};

class KxwDomDisconnectedSubtreeVisitor : private KxwDomSubtreeMemberSink {
public:
    // mptTracer is required by TRACE and ignored by the other modes.
    explicit KxwDomDisconnectedSubtreeVisitor(KXW_DOM_SUBTREE_VISIT_MODE_ENUM meMode,
                                              KxwJswTracer* mptTracer = nullptr);
    KxwDomDisconnectedSubtreeVisitor(const KxwDomDisconnectedSubtreeVisitor&) = delete;
    KxwDomDisconnectedSubtreeVisitor& operator=(const KxwDomDisconnectedSubtreeVisitor&) = delete;

    // Walks the subtree of mptRoot, the root included. The result is the probe's answer (true: something in the
    // subtree is alive) for PROBE, and true for the other modes once the walk is done; false for a null root or
    // a TRACE without a tracer (reported).
    bool Visit(KxwDomBase* mptRoot);
    // Members (user objects, held values included) the last walk applied its step to.
    size_t GetVisitedCount() const { return _nVisited; }

private:
    void AddUserObj(KxwJswUserObjBase* mptUserObj) override;
    void AddHeldValue(KxwJsvalHeap& mrtValue) override;
    void AddChild(KxwDomBase* mptChild) override;
    // False once the probe found a live member: the walk stops there.
    bool Apply(KxwJswUserObjBase* mptUserObj);

    KXW_DOM_SUBTREE_VISIT_MODE_ENUM _eMode;
    KxwJswTracer* _ptTracer;
    std::vector<KxwDomBase*> _tPending;
    size_t _nVisited = 0;
    bool _bFoundAlive = false;
};
