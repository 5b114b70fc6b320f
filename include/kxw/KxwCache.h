// What the engine keeps of a resource it downloaded, per virtual user and URL: its content type and the file of
// the snapshot that first saved it. The library reads the name, and sets it when it writes the file, so that later
// snapshots of the same resource point to that file instead of writing it again.
#pragma once

#include <string>

#include "kxw/KxwExport.h"

struct cached_info {
    std::string _dsUrl;
    std::string _dsContentType;
    std::string _dsResourceSnapshotName;  // empty until a snapshot saved the resource
};

class KXW_API KxwCache {
public:
    // The snapshot file that saved the resource, or null when none did (or without an entry).
    static const char* GetResourceSnapshotName(const cached_info* mptCachedInfo);
    // False without an entry or a name.
    static bool SetResourceSnapshotName(cached_info* mptCachedInfo, const char* mpszName);
};
