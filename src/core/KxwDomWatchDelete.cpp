#include "KxwDomWatchDelete.h"

#include "KxwDomBase.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"

namespace {
const char kszUnknownLabel[] = "[Unknown]";
}

KxwDomWatchDelete::KxwDomWatchDelete() : _pszCallingFuncName(kszUnknownLabel) {}

void KxwDomWatchDelete::ActivateWatch(KxwDomBase* mptWatchedPtr) {
    if (!mptWatchedPtr || _ptWatchedPtrOrNULL) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mptWatchedPtr=%p (must NOT be NULL) and/or "
                                              "_ptWatchedPtrOrNULL=%p (must be NULL) in "
                                              "KxwDomWatchDelete::ActivateWatch. this=%p",
                                              static_cast<void*>(mptWatchedPtr),
                                              static_cast<void*>(_ptWatchedPtrOrNULL), static_cast<void*>(this));
        return;
    }
    // A watcher that saw an earlier deletion starts afresh on its new object.
    _bHasBeenDeleted = false;
    Link(mptWatchedPtr);
}

void KxwDomWatchDelete::Reset() {
    if (KxwDomBase* ptWatched = _ptWatchedPtrOrNULL) {
        bool bLinked =
            _ptNextWatchDelete ? _ptNextWatchDelete->_ptPrevWatchDelete == this : ptWatched->_ptLastWatchDelete == this;
        if (bLinked) {
            if (_ptNextWatchDelete)
                _ptNextWatchDelete->_ptPrevWatchDelete = _ptPrevWatchDelete;
            else
                ptWatched->_ptLastWatchDelete = _ptPrevWatchDelete;
            if (_ptPrevWatchDelete) _ptPrevWatchDelete->_ptNextWatchDelete = _ptNextWatchDelete;
        } else {
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "Watcher not found in the chain of _ptWatchedPtrOrNULL=%p "
                                                  "(_ptLastWatchDelete=%p) in KxwDomWatchDelete::Reset. this=%p",
                                                  static_cast<void*>(ptWatched),
                                                  static_cast<void*>(ptWatched->_ptLastWatchDelete),
                                                  static_cast<void*>(this));
        }
    }
    _ptWatchedPtrOrNULL = nullptr;
    _ptPrevWatchDelete = nullptr;
    _ptNextWatchDelete = nullptr;
    _bHasBeenDeleted = false;
}

void KxwDomWatchDelete::NotifyDeleted(KxwDomBase* mptWatchedPtr) {
    if (!mptWatchedPtr || mptWatchedPtr != _ptWatchedPtrOrNULL || mptWatchedPtr->_ptLastWatchDelete != this) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mptWatchedPtr/_ptWatchedPtrOrNULL/ptCrntWatchDelete "
            "(%p/%p/%p) for this=%p in KxwDomWatchDelete::NotifyDeleted",
            static_cast<void*>(mptWatchedPtr), static_cast<void*>(_ptWatchedPtrOrNULL),
            static_cast<void*>(mptWatchedPtr ? mptWatchedPtr->_ptLastWatchDelete : nullptr), static_cast<void*>(this));
        return;
    }
    KxwDomWatchDelete* ptCrntWatchDelete = this;
    while (ptCrntWatchDelete) {
        KxwDomWatchDelete* ptOlder = ptCrntWatchDelete->_ptPrevWatchDelete;
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "KxwDomBase %p has been deleted while \"%s\" was executing", static_cast<void*>(mptWatchedPtr),
                ptCrntWatchDelete->_pszCallingFuncName ? ptCrntWatchDelete->_pszCallingFuncName : kszUnknownLabel);
        if (ptCrntWatchDelete->_ptWatchedPtrOrNULL == mptWatchedPtr) {
            ptCrntWatchDelete->_bHasBeenDeleted = true;
            ptCrntWatchDelete->_ptWatchedPtrOrNULL = nullptr;
            ptCrntWatchDelete->_ptPrevWatchDelete = nullptr;
            ptCrntWatchDelete->_ptNextWatchDelete = nullptr;
        } else {
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "mptWatchedPtr != ptCrntWatchDelete->_ptWatchedPtrOrNULL (%p/%p) "
                                                  "for this=%p, ptCrntWatchDelete=%p in "
                                                  "KxwDomWatchDelete::NotifyDeleted",
                                                  static_cast<void*>(mptWatchedPtr),
                                                  static_cast<void*>(ptCrntWatchDelete->_ptWatchedPtrOrNULL),
                                                  static_cast<void*>(this), static_cast<void*>(ptCrntWatchDelete));
        }
        ptCrntWatchDelete = ptOlder;
    }
    mptWatchedPtr->_ptLastWatchDelete = nullptr;
}
