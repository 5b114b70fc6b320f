// The resources a document's snapshot saves beside its page (the images its scripts and markup loaded), one record
// per absolute URL, and the file names they are saved under.
#pragma once

#include <string>
#include <vector>

struct cached_info;

struct KxwDomSnapshotResource {
    std::string _dsUrl;
    std::string _dsBody;
    std::string _dsContentType;
    // The file the resource is saved in: set when it is written, or taken from the engine's cache.
    std::string _dsResourceSnapshotName;
    bool _bIsFromCache = false;
    cached_info* _ptCachedInfo = nullptr;  // the engine's entry for the URL, or null
};

// Newest first, as the records are numbered in the index file.
class KxwDomSnapshotResourceList {
public:
    // The record of that URL (compared without regard to ASCII case), made at the front when missing.
    KxwDomSnapshotResource& Obtain(const char* mpsfUrl, size_t mnUrlLen, bool* mpbMade);
    const std::vector<KxwDomSnapshotResource>& GetNewestLast() const { return _tResources; }
    std::vector<KxwDomSnapshotResource>& GetNewestLast() { return _tResources; }
    size_t GetCount() const { return _tResources.size(); }
    void Clear() { _tResources.clear(); }

private:
    std::vector<KxwDomSnapshotResource> _tResources;  // oldest first; read backwards
};

// The part of a resource's file name that comes from its URL: the last path segment (after un-escaping, so that
// "%2F" separates too), without query, fragment or extension, reduced to the characters A-Z a-z 0-9 _ -, at most
// 64 of them; "res" when nothing is left. Nothing of the URL can lead the file out of the snapshot folder.
std::string xfdsKxwSnapshotResourceNameOfUrl(const char* mpsfUrl, size_t mnUrlLen);

// A text for one line of an index file: every control byte (CR, LF, NUL ...) and '%' before two hexadecimal
// digits written as %XX, the rest kept. With mbUnEscape, %XX sequences of the text are first un-escaped, as a URL is
// shown to a reader, and only what would break the line is escaped again.
std::string xfdsKxwSnapshotInfValue(const char* mpsfText, size_t mnLen, bool mbUnEscape);
