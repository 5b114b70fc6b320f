#include "KxwDomSnapshotMgr.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "KxwConfig.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomHtmlWindow.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"

namespace {

// Frames nested deeper than this are left out of a snapshot (a page that nests itself without end).
constexpr size_t knMaxFrameDepth = 64;

// The exit status a virtual user gets when a synchronisation file cannot be written.
constexpr int kiSyncFileExitStatus = 11;

}  // namespace

KxwDomSnapshotMgr::KxwDomSnapshotMgr(KxwVUserVars* mptVUserVars) : _ptVUserVars(mptVUserVars) {
    if (!_ptVUserVars)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_ptVUserVars == NULL in KxwDomSnapshotMgr::KxwDomSnapshotMgr");
    Reset();
}

KxwDomSnapshotMgr::~KxwDomSnapshotMgr() {
    delete _ptConfig;
}

void KxwDomSnapshotMgr::Reset() {
    _bCanCreate = true;
    _tTopWindowWatch.Reset();
    _dsSnapshotFolder.clear();
    _dsPrefix.clear();
    _dsInfPath.clear();
    _ulSnapshotNumber = 1;
    _bTopTaskRedirected = false;
    _dsSnapOnErrDir.clear();
    _iWindowCount = 0;
    _iResourceCount = 0;
    _iFrameIndex = 1;
    delete _ptConfig;
    _ptConfig = nullptr;
    _tEntries.clear();
    _dsLastPagePath.clear();
    _bNonErrorSnapshotActiveForStep = false;
    _bSnapshotOnErrorActive = _ptVUserVars && _ptVUserVars->GetRTS().GetSnapshotOnError();
    _bDomSnapshotMode = _ptVUserVars && _ptVUserVars->GetRTS().GetDomSnapshotMode();
}

KxwDomHtmlWindow* KxwDomSnapshotMgr::GetTopWindow() const {
    return static_cast<KxwDomHtmlWindow*>(_tTopWindowWatch.GetEffectiveWatchedPtr());
}

void KxwDomSnapshotMgr::SetTopWindow(KxwDomHtmlWindow* mptWindow) {
    if (mptWindow == GetTopWindow()) return;
    _tTopWindowWatch.Reset();
    if (mptWindow) _tTopWindowWatch.ActivateWatch(mptWindow);
}

KxwDomDocumentSnapshotHandler* KxwDomSnapshotMgr::HandlerOf(KxwDomHtmlWindow* mptWindow) {
    KxwDomHtmlDocument* ptDocument = mptWindow ? mptWindow->GetDocument() : nullptr;
    return ptDocument ? ptDocument->GetSnapshotHandler() : nullptr;
}

bool KxwDomSnapshotMgr::AreResourcesCollected() const {
    if (!_ptVUserVars) return false;
    const KxwiRunTimeSettings& rtRTS = _ptVUserVars->GetRTS();
    return rtRTS.GetSnapshotResources() &&
           (_ptVUserVars->GetIterationNumber() == 1 ||
            (rtRTS.GetSnapshotEachIteration() && rtRTS.GetSnapshotResourcesEachIteration()));
}

// ---------------------------------------------------------------------------------------------------------------
// Collecting during the step

void KxwDomSnapshotMgr::Set(KxwDomHtmlWindow* mptWindow, KxwDomCoreNode* mptObject, const char* mpsfData, size_t mnLen,
                            const char* mpszContentType, const char* mpsfUrl, size_t mnUrlLen, bool mbIsRedirectedTask,
                            bool mbFirstSegmentInTask, cached_info* mptCachedInfo) {
    KxwDomHtmlDocument* ptDocument = nullptr;
    if (mptWindow) {
        KxwDomHtmlWindow* ptTop = mptWindow->GetTopWindow();
        if (!ptTop) ptTop = mptWindow;
        // The top window is known from its first load on, so that an alert of that page's scripts is kept.
        SetTopWindow(ptTop);
        if (mptWindow == ptTop) _bTopTaskRedirected = mbIsRedirectedTask;
        // The body is regenerated from the tree when the snapshot is written.
        if (_bDomSnapshotMode) return;
        ptDocument = mptWindow->GetDocument();
    } else if (!mptObject) {
        xfvKxwUtilReportTraceToFile("No window and no object in KxwDomSnapshotMgr::Set");
        return;
    } else {
        ptDocument = dynamic_cast<KxwDomHtmlDocument*>(mptObject->GetOwnerDocument(false));
        if (!ptDocument) {
            xfvKxwUtilReportTraceToFile("Dynamic image could not be saved in KxwDomSnapshotMgr::Set");
            return;
        }
    }
    KxwDomDocumentSnapshotHandler* ptHandler = ptDocument ? ptDocument->GetSnapshotHandler() : nullptr;
    if (!ptHandler) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "Not creating a snapshot -- no document found");
        return;
    }
    if (mptWindow) {
        // The redirect's own body is not the page.
        if (mbIsRedirectedTask && mbFirstSegmentInTask) ptHandler->EmptyBody();
        ptHandler->AppendBody(mpsfData, mnLen);
        ptHandler->SetContentType(mpszContentType);
        return;
    }
    if (mptObject->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_IMG && AreResourcesCollected())
        ptHandler->AddResource(mpsfUrl, mnUrlLen, mpsfData, mnLen, mpszContentType, mbFirstSegmentInTask,
                               mptCachedInfo);
}

void KxwDomSnapshotMgr::SetAlert(const char* mpsfText, size_t mnLen) {
    if (!_ptVUserVars || !_ptVUserVars->GetRTS().GetAlertSnapshots()) return;
    KxwDomHtmlWindow* ptTop = GetTopWindow();
    if (!ptTop || ptTop->GetIsClosed()) {
        xfvKxwUtilReportTraceToFile("%s in KxwDomSnapshotMgr::SetAlert",
                                    ptTop ? "_ptTopWindow->GetIsClosed() is true" : "_ptTopWindow == NULL");
        return;
    }
    if (KxwDomDocumentSnapshotHandler* ptHandler = HandlerOf(ptTop)) ptHandler->SetAlertText(mpsfText, mnLen);
}

std::string KxwDomSnapshotMgr::GetTopWindowUrl() const {
    KxwDomDocumentSnapshotHandler* ptHandler = HandlerOf(GetTopWindow());
    return ptHandler ? ptHandler->GetInfUrl() : std::string("file:");
}

// ---------------------------------------------------------------------------------------------------------------
// End of step

void KxwDomSnapshotMgr::CreateSnapshotsIfNeeded(KxwDomHtmlWindow* mptWindow) {
    if (mptWindow) SetTopWindow(mptWindow);
    if (_bNonErrorSnapshotActiveForStep) {
        _dsSnapOnErrDir.clear();
        CreateAndWriteSnapshots();
    } else if (_bSnapshotOnErrorActive && _bDomSnapshotMode) {
        SaveDomSnapshotOnErrorToMem();
    }
}

void KxwDomSnapshotMgr::SaveDomSnapshotOnErrorToMem() {
    KxwDomHtmlWindow* ptTop = GetTopWindow();
    KxwDomDocumentSnapshotHandler* ptHandler = ptTop && !ptTop->GetIsClosed() ? HandlerOf(ptTop) : nullptr;
    if (!ptHandler) return;
    ptHandler->EmptyBody();
    ptHandler->RestoreBodyFromHierarchy();
    ptHandler->SetContentType("text/html");
}

void KxwDomSnapshotMgr::FlushSnapshotOnError(const char* mpszSnapOnErrDir) {
    if (!mpszSnapOnErrDir || !*mpszSnapOnErrDir || !_bSnapshotOnErrorActive) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "invalid mpszSnapOnErrDir/_bSnapshotOnErrorActive (%p/%d) in "
                                              "KxwDomSnapshotMgr::FlushSnapshotOnError",
                                              static_cast<const void*>(mpszSnapOnErrDir),
                                              static_cast<int>(_bSnapshotOnErrorActive));
        return;
    }
    _dsSnapOnErrDir = mpszSnapOnErrDir;
    CreateAndWriteSnapshots();
    _dsSnapOnErrDir.clear();
}

void KxwDomSnapshotMgr::SetPaths(bool mbOnError) {
    _dsPrefix = "t" + std::to_string(_ulSnapshotNumber);
    if (mbOnError) {
        _dsSnapshotFolder = _dsSnapOnErrDir + "/";
    } else {
        _dsSnapshotFolder =
            _ptVUserVars->GetResultDir() + "/Iteration" + std::to_string(_ptVUserVars->GetIterationNumber()) + "/";
    }
    _dsInfPath = _dsSnapshotFolder + _dsPrefix + ".inf";
}

void KxwDomSnapshotMgr::CreateAndWriteSnapshots() {
    _dsLastPagePath.clear();
    if (!_bCanCreate) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, -26000,
                                            "KxwDomSnapshotMgr::CreateAndWriteSnapshots", __LINE__,
                                            "Snapshots can not be created");
        return;
    }
    KxwDomHtmlWindow* ptTop = GetTopWindow();
    if (!ptTop || !_ptVUserVars) return;
    bool bOnError = !_dsSnapOnErrDir.empty();
    // Without a result folder there is nowhere to write a normal snapshot.
    if (!bOnError && _ptVUserVars->GetResultDir().empty()) return;
    _ulSnapshotNumber = _ptVUserVars->GetSnapshotNumber();
    SetPaths(bOnError);
    if (!ptTop->GetIsClosed()) CreateSnapshotAndInfFiles();
    if (!bOnError) {
        UpdateControllerSyncFile();
        // The engine's run-time viewer is an outside component this system does not have: nothing is shown.
        UpdateCorrelationSyncFile();
    }
}

void KxwDomSnapshotMgr::SetInfKey(const std::string& mrdsSection, const std::string& mrdsKey,
                                  const std::string& mrdsValue) {
    if (_ptConfig) _ptConfig->SetAttrib(mrdsSection, mrdsKey, mrdsValue);
}

void KxwDomSnapshotMgr::Visit(KxwDomHtmlWindow* mptWindow, std::vector<unsigned>& mrtPositions,
                              std::vector<KxwDomDocumentSnapshotHandler*>& mrtHandlers) {
    KxwDomDocumentSnapshotHandler* ptHandler = HandlerOf(mptWindow);
    if (!ptHandler) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mptWindowNode/ptCurrentWindow/ptSnapshotHandler (%p/%p/%p) in KxwDomSnapshotMgr::Visit",
            static_cast<void*>(mptWindow), static_cast<void*>(mptWindow), static_cast<void*>(ptHandler));
        return;
    }
    ++_iWindowCount;
    // In DOM-snapshot mode the page is what the tree is now.
    if (_bDomSnapshotMode && _dsSnapOnErrDir.empty()) ptHandler->EmptyBody();
    KxwDomSnapshotInfEntry tEntry;
    if (ptHandler->CreateSnapshotFile(_dsSnapshotFolder, _dsPrefix, mrtPositions, &tEntry)) {
        _tEntries.push_back(std::move(tEntry));
        if (mrtPositions.empty() && _dsLastPagePath.empty())
            _dsLastPagePath = _dsSnapshotFolder + ptHandler->GetSnapshotFileName();
    }
    mrtHandlers.push_back(ptHandler);
    ++_iFrameIndex;
    std::vector<KxwDomHtmlWindow*> tFrames = mptWindow->GetFrameWindows();
    if (!tFrames.empty() && mrtPositions.size() >= knMaxFrameDepth) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_SNAPSHOT_ERROR,
                                 "Potential Error: frames nested deeper than %zu levels are left out of the snapshot",
                                 knMaxFrameDepth);
        return;
    }
    for (size_t n = 0; n < tFrames.size(); ++n) {
        mrtPositions.push_back(static_cast<unsigned>(n));
        Visit(tFrames[n], mrtPositions, mrtHandlers);
        mrtPositions.pop_back();
    }
}

void KxwDomSnapshotMgr::CreateSnapshotAndInfFiles() {
    delete _ptConfig;
    _ptConfig = new KxwConfig;
    // Keys already in the file (a highlight's) survive the save.
    _ptConfig->AddIniFileSource(_dsInfPath.c_str());
    _tEntries.clear();
    _iWindowCount = 0;
    _iResourceCount = 0;
    _iFrameIndex = 1;
    std::vector<unsigned> tPositions;
    std::vector<KxwDomDocumentSnapshotHandler*> tHandlers;
    KxwObjMgr* ptObjMgr = _ptVUserVars->GetObjMgr();
    if (ptObjMgr) ptObjMgr->SetIsDomSnapshotsBeingGenerated(true);
    Visit(GetTopWindow(), tPositions, tHandlers);
    if (ptObjMgr) ptObjMgr->SetIsDomSnapshotsBeingGenerated(false);
    size_t nPages = _tEntries.size();
    bool bResources = _dsSnapOnErrDir.empty() && AreResourcesCollected();
    if (bResources)
        for (KxwDomDocumentSnapshotHandler* ptHandler : tHandlers)
            ptHandler->FlushResourcesFiles(_dsSnapshotFolder, _dsPrefix, static_cast<int>(_tEntries.size() + 1),
                                           &_tEntries);
    _iResourceCount = static_cast<int>(_tEntries.size() - nPages);

    // Only what was written is listed and counted.
    const std::string& rdsSection = _dsPrefix;
    for (size_t n = 0; n < _tEntries.size(); ++n) {
        const KxwDomSnapshotInfEntry& rtEntry = _tEntries[n];
        std::string dsNumber = std::to_string(n + 1);
        if (n == nPages && _iResourceCount > 0) SetInfKey(rdsSection, "SaveSnapshotResources", "1");
        SetInfKey(rdsSection, "FileName" + dsNumber, rtEntry._dsFileName);
        SetInfKey(rdsSection, "URL" + dsNumber, rtEntry._dsUrl);
        if (!rtEntry._dsFrameIndex.empty()) SetInfKey(rdsSection, "FrameIndex" + dsNumber, rtEntry._dsFrameIndex);
    }
    if (nPages > 1) {
        if (!_dsLastPagePath.empty()) SetInfKey(rdsSection, "FrameIndex1", "0");
        SetInfKey(rdsSection, "UseFrameIndex", "1");
    }
    SetInfKey("ProtocolInfo", "ProtocolId", "WebUI");
    SetInfKey(rdsSection, "Total", std::to_string(_tEntries.size()));
    SetInfKey(rdsSection, "StaticSave", "0");
    const std::string& rdsStepName = _ptVUserVars->GetStepName();
    SetInfKey(rdsSection, "StepName", xfdsKxwSnapshotInfValue(rdsStepName.data(), rdsStepName.size(), false));
    SetInfKey(rdsSection, "ContentType", "text/html");
    SetInfKey(rdsSection, "RequestHeaderFile", _dsPrefix + "_RequestHeader.txt");
    SetInfKey(rdsSection, "RequestBodyFile", _dsPrefix + "_RequestBody.txt");
    SetInfKey(rdsSection, "ResponseHeaderFile", _dsPrefix + "_ResponseHeader.txt");
    if (!_ptConfig->SaveEx(_dsInfPath.c_str(), true, true))
        xfvKxwUtilReportBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_SNAPSHOT_ERROR, "Potential Error: %.1000s",
            _ptConfig->GetProblems().empty() ? _dsInfPath.c_str() : _ptConfig->GetProblems().back().c_str());
    delete _ptConfig;
    _ptConfig = nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// Alert page and highlight

void KxwDomSnapshotMgr::CreateSnapshotAndInfAlertFile() {
    KxwDomHtmlWindow* ptTop = GetTopWindow();
    KxwDomDocumentSnapshotHandler* ptHandler = HandlerOf(ptTop);
    if (!ptHandler || ptHandler->GetAlertText().empty() || !_ptVUserVars || _ptVUserVars->GetResultDir().empty())
        return;
    // The alert page takes a number of its own, so that it never replaces the step's files.
    unsigned long ulFrom = _ptVUserVars->GetSnapshotNumber();
    xfvKxwUtilReportTraceToFile("CreateSnapshotAndInfAlertFile:: increment snapshot number from %lu", ulFrom);
    _ptVUserVars->SetSnapshotNumber(ulFrom + 1);
    _ulSnapshotNumber = ulFrom + 1;
    _dsSnapOnErrDir.clear();
    SetPaths(false);
    const char* pszDataDir = xtKxwEnvCfg._pfpszGetVUserAttribute
                                 ? xtKxwEnvCfg._pfpszGetVUserAttribute(xtKxwEnvCfg._pvContext, "kx_dat_dir")
                                 : nullptr;
    if (ptHandler->CreateAlertSnapshotFile(_dsSnapshotFolder + _dsPrefix + ".html", pszDataDir)) {
        KxwConfig tConfig;
        tConfig.AddIniFileSource(_dsInfPath.c_str());
        const std::string& rdsStepName = _ptVUserVars->GetStepName();
        tConfig.SetAttrib(_dsPrefix, "FileName1", _dsPrefix + ".html");
        tConfig.SetAttrib(_dsPrefix, "URL1", GetTopWindowUrl());
        tConfig.SetAttrib(_dsPrefix, "Total", "1");
        tConfig.SetAttrib(_dsPrefix, "StepName",
                          xfdsKxwSnapshotInfValue(rdsStepName.data(), rdsStepName.size(), false) + "_Alert");
        tConfig.SetAttrib(_dsPrefix, "ContentType", "text/html");
        if (!tConfig.SaveEx(_dsInfPath.c_str(), true, true))
            xfvKxwUtilReportBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_SNAPSHOT_ERROR, "Potential Error: %.1000s",
                tConfig.GetProblems().empty() ? _dsInfPath.c_str() : tConfig.GetProblems().back().c_str());
        _ptVUserVars->SetAlertSnapshotMade(true);
    }
    ptHandler->ClearAlertText();
    UpdateControllerSyncFile();
}

void KxwDomSnapshotMgr::WriteDomSnapshotHighlightIfNeeded(const KxwDomHtmlElement* mptHtmlElement) {
    if (!_bDomSnapshotMode || !_bNonErrorSnapshotActiveForStep || _dsInfPath.empty()) return;
    auto* ptElement = const_cast<KxwDomHtmlElement*>(mptHtmlElement);
    KxwDomHtmlWindow* ptWindow = ptElement ? ptElement->GetOwnerWindow() : nullptr;
    KxwDomDocumentSnapshotHandler* ptHandler = HandlerOf(ptWindow);
    KxwDomHtmlDocument* ptDocument = ptWindow ? ptWindow->GetDocument() : nullptr;
    if (!ptHandler || !ptDocument) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid ptSnapshotHandler/mptHtmlElement/mptHtmlElement->GetOwnerWindow() (%p/%p/%p) in "
            "KxwDomSnapshotMgr::WriteDomSnapshotHighlightIfNeeded",
            static_cast<void*>(ptHandler), static_cast<const void*>(mptHtmlElement), static_cast<void*>(ptWindow));
        CreateSnapshotAndInfAlertFile();
        return;
    }
    KxwConfig tConfig;
    tConfig.AddIniFileSource(_dsInfPath.c_str());
    const char kszSection[] = "HIGHLIGHT PARAMS";
    KxwDomHtmlCollectionOrdered* ptAll = ptDocument->GetAll();
    unsigned long ulSourceIndex = ptAll ? ptAll->GetItemIndex(ptElement) : ~0UL;
    std::string dsTag = ptElement->GetTagNameOrInvalidDcsStr() ? ptElement->GetTagNameOrInvalidDcsStr() : "";
    if (ulSourceIndex == ~0UL) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Element at %p not found in the \"all\" collection of document at %p in "
                                              "fvKxwLogicMgrSaveDomSnapshotHighlight",
                                              static_cast<void*>(ptElement), static_cast<void*>(ptDocument));
    } else {
        std::u16string dsTag16(dsTag.begin(), dsTag.end());
        KxwDomHtmlCollectionGeneral* ptTags =
            ptDocument->GetElementsByTagName(dsTag16.data(), static_cast<unsigned>(dsTag16.size()));
        unsigned long ulTagIndex = ptTags ? ptTags->GetItemIndex(ptElement) : ~0UL;
        if (!ptHandler->GetFrameNestedIndex().empty())
            tConfig.SetAttrib(kszSection, "FrameNestedIndex", ptHandler->GetFrameNestedIndex());
        tConfig.SetAttrib(kszSection, "SourceIndex", std::to_string(ulSourceIndex));
        tConfig.SetAttrib(kszSection, "TagName", dsTag);
        if (ulTagIndex == ~0UL)
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "Element at %p not found in tag collection \"%.100s\" from document "
                                                  "at %p in fvKxwLogicMgrSaveDomSnapshotHighlight. ptTags=%p",
                                                  static_cast<void*>(ptElement), dsTag.c_str(),
                                                  static_cast<void*>(ptDocument), static_cast<void*>(ptTags));
        else
            tConfig.SetAttrib(kszSection, "TagIndex", std::to_string(ulTagIndex));
        if (!tConfig.SaveEx(_dsInfPath.c_str(), true, true))
            xfvKxwUtilReportBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_SNAPSHOT_ERROR, "Potential Error: %.1000s",
                tConfig.GetProblems().empty() ? _dsInfPath.c_str() : tConfig.GetProblems().back().c_str());
    }
    CreateSnapshotAndInfAlertFile();
}

// ---------------------------------------------------------------------------------------------------------------
// Synchronisation files

void KxwDomSnapshotMgr::UpdateControllerSyncFile() {
    std::string dsPath = _ptVUserVars->GetResultDir() + "/ctrlsink.dat";
    FILE* ptFile = std::fopen(dsPath.c_str(), "w");
    bool bOK = ptFile != nullptr;
    int iErrno = errno;
    if (ptFile) {
        bOK = std::fprintf(ptFile, "%u %lu", _ptVUserVars->GetIterationNumber(), _ulSnapshotNumber) > 0;
        if (std::fclose(ptFile) != 0) bOK = false;
        iErrno = errno;
    }
    if (bOK) return;
    if (!_ptVUserVars->GetErrorFlag())
        _ptVUserVars->RaiseExitStatus(kiSyncFileExitStatus);
    else
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_SNAPSHOT_ERROR, -35967,
                                            "KxwDomSnapshotMgr::UpdateControllerSyncFile", __LINE__, dsPath.c_str(),
                                            iErrno);
}

void KxwDomSnapshotMgr::UpdateCorrelationSyncFile() {
    const std::string& rdsName = _ptVUserVars->GetRTS().GetCorrelationSyncFile();
    if (rdsName.empty()) return;
    // The file is one of the iteration's folder: a name that leads elsewhere is refused.
    if (rdsName.find_first_of("/\\") != std::string::npos || rdsName == "." || rdsName == "..") {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_SNAPSHOT_ERROR,
                                 "Potential Error: the correlation synchronisation file name is not a file name of "
                                 "the iteration's folder; no correlation file is written");
        return;
    }
    std::string dsPath = _ptVUserVars->GetResultDir() + "/Iteration" +
                         std::to_string(_ptVUserVars->GetIterationNumber()) + "/" + rdsName;
    KxwConfig tConfig;
    tConfig.AddIniFileSource(dsPath.c_str());
    std::string dsSection = "t" + std::to_string(_ptVUserVars->GetStepNumber());
    const char* pszPassCount = tConfig.GetAttribVal(dsSection.c_str(), "PassCount");
    long lPass = 1;
    if (pszPassCount) {
        lPass = std::strtol(pszPassCount, nullptr, 10);
        if (lPass < 0) lPass = 0;
        // A redirect of the top window's last task writes the same pass again.
        if (!_bTopTaskRedirected) ++lPass;
    }
    tConfig.SetAttrib(dsSection, "PassCount", std::to_string(lPass));
    tConfig.SetAttrib(dsSection, "Pass" + std::to_string(lPass),
                      xfdsKxwSnapshotInfValue(_dsPrefix.data(), _dsPrefix.size(), false));
    if (tConfig.SaveEx(dsPath.c_str(), true, true)) return;
    if (!_ptVUserVars->GetErrorFlag())
        _ptVUserVars->RaiseExitStatus(kiSyncFileExitStatus);
    else
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_SNAPSHOT_ERROR, -35966,
                                            "KxwDomSnapshotMgr::UpdateCorrelationSyncFile", __LINE__);
}
