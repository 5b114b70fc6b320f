#include "kxw/KxwCache.h"

const char* KxwCache::GetResourceSnapshotName(const cached_info* mptCachedInfo) {
    if (!mptCachedInfo || mptCachedInfo->_dsResourceSnapshotName.empty()) return nullptr;
    return mptCachedInfo->_dsResourceSnapshotName.c_str();
}

bool KxwCache::SetResourceSnapshotName(cached_info* mptCachedInfo, const char* mpszName) {
    if (!mptCachedInfo || !mpszName) return false;
    mptCachedInfo->_dsResourceSnapshotName = mpszName;
    return true;
}
