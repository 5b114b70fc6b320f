#include "KxwDomDisconnectedSubtreeVisitor.h"

#include <algorithm>

#include "KxwUtilReport.h"
#include "kxw/KxwJsval.h"

KxwDomDisconnectedSubtreeVisitor::KxwDomDisconnectedSubtreeVisitor(KXW_DOM_SUBTREE_VISIT_MODE_ENUM meMode,
                                                                   KxwJswTracer* mptTracer)
    : _eMode(meMode), _ptTracer(mptTracer) {}

bool KxwDomDisconnectedSubtreeVisitor::Visit(KxwDomBase* mptRoot) {
    _nVisited = 0;
    _bFoundAlive = false;
    _tPending.clear();
    if (!mptRoot || (_eMode == KXW_DOM_SUBTREE_VISIT_MODE_TRACE && !_ptTracer) ||
        _eMode < KXW_DOM_SUBTREE_VISIT_MODE_PROTECT || _eMode > KXW_DOM_SUBTREE_VISIT_MODE_DETACH) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mptRoot=%p, _eMode=%d or _ptTracer=%p in "
                                              "KxwDomDisconnectedSubtreeVisitor::Visit. this=%p",
                                              static_cast<void*>(mptRoot), static_cast<int>(_eMode),
                                              static_cast<void*>(_ptTracer), static_cast<void*>(this));
        return false;
    }
    _tPending.push_back(mptRoot);
    while (!_tPending.empty() && !_bFoundAlive) {
        KxwDomBase* ptMember = _tPending.back();
        _tPending.pop_back();
        if (!Apply(ptMember)) break;
        // Children are pushed in reverse so that the walk follows document order.
        size_t nFirstChild = _tPending.size();
        ptMember->EnumerateSubtreeMembers(*this);
        std::reverse(_tPending.begin() + static_cast<std::ptrdiff_t>(nFirstChild), _tPending.end());
    }
    _tPending.clear();
    return _eMode == KXW_DOM_SUBTREE_VISIT_MODE_PROBE ? _bFoundAlive : true;
}

void KxwDomDisconnectedSubtreeVisitor::AddUserObj(KxwJswUserObjBase* mptUserObj) {
    if (mptUserObj && !_bFoundAlive) Apply(mptUserObj);
}

void KxwDomDisconnectedSubtreeVisitor::AddHeldValue(KxwJsvalHeap& mrtValue) {
    // Held values only need tracing; they cannot be protected or detached, and they do not keep a subtree alive.
    if (_eMode != KXW_DOM_SUBTREE_VISIT_MODE_TRACE) return;
    mrtValue.Trace(*_ptTracer, "detached subtree held value");
    ++_nVisited;
}

void KxwDomDisconnectedSubtreeVisitor::AddChild(KxwDomBase* mptChild) {
    if (mptChild) _tPending.push_back(mptChild);
}

bool KxwDomDisconnectedSubtreeVisitor::Apply(KxwJswUserObjBase* mptUserObj) {
    ++_nVisited;
    switch (_eMode) {
        case KXW_DOM_SUBTREE_VISIT_MODE_PROTECT:
            mptUserObj->SetTempProtectFromGC(true);
            break;
        case KXW_DOM_SUBTREE_VISIT_MODE_UNPROTECT:
            mptUserObj->SetTempProtectFromGC(false);
            break;
        case KXW_DOM_SUBTREE_VISIT_MODE_TRACE:
            _ptTracer->TraceUserObj(mptUserObj, "detached subtree member");
            break;
        case KXW_DOM_SUBTREE_VISIT_MODE_PROBE:
            if (mptUserObj->IsTempProtectedFromGC() || mptUserObj->HasJsiObj()) _bFoundAlive = true;
            break;
        case KXW_DOM_SUBTREE_VISIT_MODE_DETACH:
            mptUserObj->SetJsiObj(nullptr);
            break;
    }
    return !_bFoundAlive;
}
