// The snapshots of one virtual user: it collects, through the DOM commands, the bodies of what the step loaded,
// and at the end of a step (or when it failed) writes the pages of the top window and of every frame, the images
// saved beside them and an index file (".inf") per snapshot into the iteration's folder, with the synchronisation
// files other tools read. One per object manager.
#pragma once

#include <string>
#include <vector>

#include "KxwDomDocumentSnapshotHandler.h"
#include "KxwDomWatchDelete.h"

class KxwDomCoreNode;
class KxwDomHtmlElement;
class KxwDomHtmlWindow;
class KxwVUserVars;
class KxwConfig;
struct cached_info;

class KxwDomSnapshotMgr {
public:
    explicit KxwDomSnapshotMgr(KxwVUserVars* mptVUserVars);
    ~KxwDomSnapshotMgr();
    KxwDomSnapshotMgr(const KxwDomSnapshotMgr&) = delete;
    KxwDomSnapshotMgr& operator=(const KxwDomSnapshotMgr&) = delete;

    // Back to the state after construction (the settings are read again).
    void Reset();

    // One body segment of a load: a window's page (mptWindow) or an image element's resource (mptObject).
    void Set(KxwDomHtmlWindow* mptWindow, KxwDomCoreNode* mptObject, const char* mpsfData, size_t mnLen,
             const char* mpszContentType, const char* mpsfUrl, size_t mnUrlLen, bool mbIsRedirectedTask,
             bool mbFirstSegmentInTask, cached_info* mptCachedInfo);
    void SetAlert(const char* mpsfText, size_t mnLen);
    void SetTopWindow(KxwDomHtmlWindow* mptWindow);
    KxwDomHtmlWindow* GetTopWindow() const;

    // ---- End of step ----
    void CreateSnapshotsIfNeeded(KxwDomHtmlWindow* mptWindow);
    void SaveDomSnapshotOnErrorToMem();
    void FlushSnapshotOnError(const char* mpszSnapOnErrDir);
    void MarkSnapshotNonErrorActiveForStep(bool mbActive) { _bNonErrorSnapshotActiveForStep = mbActive; }
    void CreateAndWriteSnapshots();
    void WriteDomSnapshotHighlightIfNeeded(const KxwDomHtmlElement* mptHtmlElement);
    std::string GetTopWindowUrl() const;

    bool IsSnapshotOnErrorActive() const { return _bSnapshotOnErrorActive; }
    bool IsDomSnapshotMode() const { return _bDomSnapshotMode; }
    bool IsNonErrorSnapshotActiveForStep() const { return _bNonErrorSnapshotActiveForStep; }
    // The top window's page of the last snapshot written, as a path; empty when that write made none.
    const std::string& GetLastPagePath() const { return _dsLastPagePath; }
    // The index file of the last snapshot written.
    const std::string& GetInfPath() const { return _dsInfPath; }

private:
    void CreateSnapshotAndInfFiles();
    void CreateSnapshotAndInfAlertFile();
    // Writes the pages of mptWindow and its frames, depth first.
    void Visit(KxwDomHtmlWindow* mptWindow, std::vector<unsigned>& mrtPositions,
               std::vector<KxwDomDocumentSnapshotHandler*>& mrtHandlers);
    void UpdateControllerSyncFile();
    void UpdateCorrelationSyncFile();
    bool AreResourcesCollected() const;
    void SetPaths(bool mbOnError);
    // Sets a key of the index file; a value the configuration refuses is reported there and left out.
    void SetInfKey(const std::string& mrdsSection, const std::string& mrdsKey, const std::string& mrdsValue);
    static KxwDomDocumentSnapshotHandler* HandlerOf(KxwDomHtmlWindow* mptWindow);

    bool _bCanCreate = true;
    KxwVUserVars* _ptVUserVars;
    KxwDomWatchDelete _tTopWindowWatch{"KxwDomSnapshotMgr top window", nullptr};
    std::string _dsSnapshotFolder;
    std::string _dsPrefix;
    std::string _dsInfPath;
    unsigned long _ulSnapshotNumber = 1;
    bool _bTopTaskRedirected = false;
    std::string _dsSnapOnErrDir;  // empty for normal snapshots
    int _iWindowCount = 0;
    int _iResourceCount = 0;
    int _iFrameIndex = 1;
    KxwConfig* _ptConfig = nullptr;
    bool _bSnapshotOnErrorActive = false;
    bool _bDomSnapshotMode = false;
    bool _bNonErrorSnapshotActiveForStep = false;
    std::vector<KxwDomSnapshotInfEntry> _tEntries;
    std::string _dsLastPagePath;
};
