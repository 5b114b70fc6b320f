// What one document keeps for its snapshots: the response body as it arrived (or regenerated from the tree), its
// content type, the images saved beside it, an alert's text, and where its page stands among the frames. It
// writes its own page and resource files; the snapshot manager decides when, names them and indexes them.
#pragma once

#include <string>
#include <vector>

#include "KxwDomSnapshotResource.h"

class KxwDomHtmlDocument;
class KxwVUserVars;
struct cached_info;

// One file an index file lists: FileName<n>, URL<n> and, for a frame's page, FrameIndex<n>.
struct KxwDomSnapshotInfEntry {
    std::string _dsFileName;
    std::string _dsUrl;
    std::string _dsFrameIndex;  // empty: none written
};

class KxwDomDocumentSnapshotHandler {
public:
    KxwDomDocumentSnapshotHandler(KxwVUserVars* mptVUserVars, KxwDomHtmlDocument* mptDocument);
    KxwDomDocumentSnapshotHandler(const KxwDomDocumentSnapshotHandler&) = delete;
    KxwDomDocumentSnapshotHandler& operator=(const KxwDomDocumentSnapshotHandler&) = delete;

    // The document was emptied for new content: what was kept of the old goes (an alert's text stays, it belongs
    // to the step).
    void Reset();

    // ---- Collected during the step ----
    void EmptyBody() { _sbinSnapshotFileBody.clear(); }
    void AppendBody(const char* mpsfData, size_t mnLen);
    const std::string& GetBody() const { return _sbinSnapshotFileBody; }
    // "text/plain" is kept as "text/html": the page is shown as a page.
    void SetContentType(const char* mpszContentType);
    const std::string& GetContentType() const { return _dsContentType; }
    // A resource's body segment; a first segment replaces what an earlier load of the URL gave.
    void AddResource(const char* mpsfUrl, size_t mnUrlLen, const char* mpsfData, size_t mnLen,
                     const char* mpszContentType, bool mbFirstSegment, cached_info* mptCachedInfo);
    size_t GetResourceCount() const { return _tResources.GetCount(); }
    void SetAlertText(const char* mpsfText, size_t mnLen);
    const std::string& GetAlertText() const { return _dsAlertText; }
    void ClearAlertText() { _dsAlertText.clear(); }

    // ---- Writing ----
    // The body from the document's tree: the outer markup of its document element.
    void RestoreBodyFromHierarchy();
    // Writes the page into mrdsFolder as prefix + frame position + "." + extension. maiFramePositions holds the
    // frame's index among its parent's frames at each level from the top (empty for a top window). False when
    // nothing could be written (an empty body is traced, a failed write reported); mptEntry is filled on success.
    bool CreateSnapshotFile(const std::string& mrdsFolder, const std::string& mrdsPrefix,
                            const std::vector<unsigned>& matFramePositions, KxwDomSnapshotInfEntry* mptEntry);
    const std::string& GetSnapshotFileName() const { return _dsSnapshotFileName; }
    const std::string& GetFrameNestedIndex() const { return _dsFrameNestedIndex; }
    // Writes the resources not saved yet, numbering from miFirstNumber in the names, and appends an entry for
    // every resource listed (those from the cache point to the file saved before). A resource that cannot be
    // written is reported and left out.
    void FlushResourcesFiles(const std::string& mrdsFolder, const std::string& mrdsPrefix, int miFirstNumber,
                             std::vector<KxwDomSnapshotInfEntry>* mptEntries);
    // The alert page: the alert icon of mpszDataDir beside the (escaped) alert text. False when not written.
    bool CreateAlertSnapshotFile(const std::string& mrdsPath, const char* mpszDataDir);

    // The document's URL for an index file: un-escaped, with whatever would break its line escaped again; "file:"
    // without a URL.
    std::string GetInfUrl() const;

    // Writes a file whole; false, reported at the snapshot level, when it cannot be.
    static bool WriteWholeFile(const std::string& mrdsPath, const std::string& mrdsData);
    // The page with the policy that keeps a browser from fetching anything when it opens it, placed first (after
    // a leading doctype, so that the page's mode does not change).
    static std::string WithNoNetworkPolicy(const std::string& mrdsPage);

private:
    KxwVUserVars* _ptVUserVars;
    KxwDomHtmlDocument* _ptDocument;
    KxwDomSnapshotResourceList _tResources;
    std::string _dsSnapshotFileName;
    std::string _sbinSnapshotFileBody;
    std::string _dsContentType;
    std::string _dsAlertText;
    std::string _dsFrameNestedIndex;  // "0.1": the dotted position of a frame
};
