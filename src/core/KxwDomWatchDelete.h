// A record by which code that calls out of the library (a script, an event handler, a javascript: URL) while it
// holds a pointer to a DOM object learns afterwards whether the object was deleted meanwhile. Watchers live on the
// caller's stack; the watchers of one object form a chain headed by the object, most recent first. The chain is
// linked both ways so that a watcher leaves it at once, wherever it stands: objects that live as long as a page
// (attribute nodes watching their document and element) may hold thousands of watchers on one object.
#pragma once

class KxwDomBase;

class KxwDomWatchDelete final {
public:
    // An inactive watcher labelled "[Unknown]".
    KxwDomWatchDelete();
    // Activates at once when mptWatchedPtr is not null.
    inline KxwDomWatchDelete(const char* mpszCallingFuncName, KxwDomBase* mptWatchedPtr);
    inline ~KxwDomWatchDelete();
    KxwDomWatchDelete(const KxwDomWatchDelete&) = delete;
    KxwDomWatchDelete& operator=(const KxwDomWatchDelete&) = delete;

    // Joins the chain of mptWatchedPtr; reported and ignored for a null object or an already active watcher.
    void ActivateWatch(KxwDomBase* mptWatchedPtr);
    void SetCallingFuncName(const char* mpszCallingFuncName) { _pszCallingFuncName = mpszCallingFuncName; }
    const char* GetCallingFuncName() const { return _pszCallingFuncName; }
    bool HasBeenDeleted() const { return _bHasBeenDeleted; }
    // The watched object while it lives; null once it was deleted (and while inactive).
    KxwDomBase* GetEffectiveWatchedPtr() const { return _bHasBeenDeleted ? nullptr : _ptWatchedPtrOrNULL; }
    // The address watched, deleted or not: for reports only, never to be followed.
    const void* GetRawWatchedPtr() const { return _ptWatchedPtrOrNULL; }
    // Leaves the chain and ends inactive.
    void Reset();
    // Called on the head of the chain by the dying object: every watcher of the chain learns of the deletion.
    void NotifyDeleted(KxwDomBase* mptWatchedPtr);

private:
    // Joins the chain of the object, as its newest watcher.
    inline void Link(KxwDomBase* mptWatchedPtr);

    KxwDomBase* _ptWatchedPtrOrNULL = nullptr;
    const char* _pszCallingFuncName;
    KxwDomWatchDelete* _ptPrevWatchDelete = nullptr;  // older
    KxwDomWatchDelete* _ptNextWatchDelete = nullptr;  // newer; null for the head
    bool _bHasBeenDeleted = false;
};

#include "KxwDomBase.h"

// A watcher is made and dropped around nearly every call out of the library, so joining and leaving the chain are
// inline. Mostly the watcher leaving is the newest of its chain; any other leaves through Reset.
void KxwDomWatchDelete::Link(KxwDomBase* mptWatchedPtr) {
    _ptWatchedPtrOrNULL = mptWatchedPtr;
    _ptPrevWatchDelete = mptWatchedPtr->_ptLastWatchDelete;
    _ptNextWatchDelete = nullptr;
    if (_ptPrevWatchDelete) _ptPrevWatchDelete->_ptNextWatchDelete = this;
    mptWatchedPtr->_ptLastWatchDelete = this;
}

KxwDomWatchDelete::KxwDomWatchDelete(const char* mpszCallingFuncName, KxwDomBase* mptWatchedPtr)
    : _pszCallingFuncName(mpszCallingFuncName) {
    if (mptWatchedPtr) Link(mptWatchedPtr);
}

KxwDomWatchDelete::~KxwDomWatchDelete() {
    KxwDomBase* ptWatched = _ptWatchedPtrOrNULL;  // null once the object was deleted
    if (!ptWatched) return;
    if (!_ptNextWatchDelete && ptWatched->_ptLastWatchDelete == this) {
        ptWatched->_ptLastWatchDelete = _ptPrevWatchDelete;
        if (_ptPrevWatchDelete) _ptPrevWatchDelete->_ptNextWatchDelete = nullptr;
        return;
    }
    Reset();
}
