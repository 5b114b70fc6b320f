#include "KxwDomEnv.h"

#include "KxwDomBase.h"

KxwDomEnv::KxwDomEnv(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler)
    : _ptMemMgr(mptMemMgr), _ptU16nHandler(mptU16nHandler) {}

KxwDomEnv::KxwDomEnv(KxwMemMgr* mptMemMgr, KxwDomBase* mptParent) : _ptMemMgr(mptMemMgr) {
    if (mptParent) LinkToParent(&mptParent->GetDomEnv());
}

KxwDomEnv::KxwDomEnv(KxwDomEnv& mrtDomEnv) : _ptMemMgr(mrtDomEnv.GetMemMgr()) {
    LinkToParent(&mrtDomEnv);
}

KxwDomEnv::~KxwDomEnv() {
    // Children still waiting for a handler get the one this environment answers now, and forget it.
    while (KxwDomEnv* ptChild = _ptFirstWaitingChild) {
        ptChild->UnlinkFromParent();
        if (!ptChild->_ptU16nHandler) ptChild->_ptU16nHandler = GetU16nHandler();
    }
    UnlinkFromParent();
}

KxwMemMgr* KxwDomEnv::GetMemMgr() {
    return _ptMemMgr;
}

KxwU16nHandler* KxwDomEnv::GetU16nHandler() {
    if (!_ptU16nHandler && _ptParentEnv) {
        _ptU16nHandler = _ptParentEnv->GetU16nHandler();
        if (_ptU16nHandler) UnlinkFromParent();
    }
    return _ptU16nHandler;
}

void KxwDomEnv::LinkToParent(KxwDomEnv* mptParentEnv) {
    _ptParentEnv = mptParentEnv;
    _ptNextWaitingSibling = mptParentEnv->_ptFirstWaitingChild;
    if (_ptNextWaitingSibling) _ptNextWaitingSibling->_pptPrevWaitingLink = &_ptNextWaitingSibling;
    mptParentEnv->_ptFirstWaitingChild = this;
    _pptPrevWaitingLink = &mptParentEnv->_ptFirstWaitingChild;
}

void KxwDomEnv::UnlinkFromParent() {
    if (!_ptParentEnv) return;
    *_pptPrevWaitingLink = _ptNextWaitingSibling;
    if (_ptNextWaitingSibling) _ptNextWaitingSibling->_pptPrevWaitingLink = _pptPrevWaitingLink;
    _ptParentEnv = nullptr;
    _ptNextWaitingSibling = nullptr;
    _pptPrevWaitingLink = nullptr;
}
