#include "KxwDomDocumentSnapshotHandler.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwUtilEscape.h"
#include "KxwUtilFileExt.h"
#include "KxwUtilReport.h"
#include "kxw/KxwCache.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"

namespace {

const char kszNoNetworkPolicy[] =
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src file: data:; style-src "
    "file: 'unsafe-inline'\">";

// A local path as a file: URL: every byte but letters, digits and - _ . / ~ percent-encoded.
std::string FileUrlOfPath(const std::string& mrdsPath) {
    std::string dsUrl = "file://";
    for (unsigned char uc : mrdsPath) {
        bool bPlain = (uc >= 'A' && uc <= 'Z') || (uc >= 'a' && uc <= 'z') || (uc >= '0' && uc <= '9') ||
                      std::strchr("-_./~", uc) != nullptr;
        if (bPlain && uc != '\0') {
            dsUrl += static_cast<char>(uc);
        } else {
            char acHex[4];
            std::snprintf(acHex, sizeof acHex, "%%%02X", uc);
            dsUrl += acHex;
        }
    }
    return dsUrl;
}

// The extension a file of that content type is saved with, or mpszDefault when the type is unknown.
std::string ExtensionOf(const std::string& mrdsContentType, const char* mpszDefault) {
    const char* pszExt = xfpszKxwUtilGetFileExtByContentType(mrdsContentType.c_str());
    return std::strcmp(pszExt, "UNK") == 0 ? mpszDefault : pszExt;
}

}  // namespace

KxwDomDocumentSnapshotHandler::KxwDomDocumentSnapshotHandler(KxwVUserVars* mptVUserVars,
                                                             KxwDomHtmlDocument* mptDocument)
    : _ptVUserVars(mptVUserVars), _ptDocument(mptDocument) {
    if (!_ptVUserVars || !_ptDocument)
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid _ptVUserVars/_ptDocument (%p/%p) in KxwDomDocumentSnapshotHandler constructor",
            static_cast<void*>(_ptVUserVars), static_cast<void*>(_ptDocument));
}

void KxwDomDocumentSnapshotHandler::Reset() {
    _tResources.Clear();
    _dsSnapshotFileName.clear();
    _sbinSnapshotFileBody.clear();
    _dsContentType.clear();
    _dsFrameNestedIndex.clear();
}

void KxwDomDocumentSnapshotHandler::AppendBody(const char* mpsfData, size_t mnLen) {
    if (mpsfData && mnLen > 0) _sbinSnapshotFileBody.append(mpsfData, mnLen);
}

void KxwDomDocumentSnapshotHandler::SetContentType(const char* mpszContentType) {
    std::string dsType = mpszContentType ? mpszContentType : "";
    const char* pszExt = xfpszKxwUtilGetFileExtByContentType(dsType.c_str());
    _dsContentType = std::strcmp(pszExt, "txt") == 0 ? std::string("text/html") : dsType;
}

void KxwDomDocumentSnapshotHandler::AddResource(const char* mpsfUrl, size_t mnUrlLen, const char* mpsfData,
                                                size_t mnLen, const char* mpszContentType, bool mbFirstSegment,
                                                cached_info* mptCachedInfo) {
    if (!mpsfUrl || mnUrlLen == 0) return;
    bool bMade = false;
    KxwDomSnapshotResource& rtResource = _tResources.Obtain(mpsfUrl, mnUrlLen, &bMade);
    if (!bMade && mbFirstSegment) rtResource._dsBody.clear();
    if (mpsfData && mnLen > 0) rtResource._dsBody.append(mpsfData, mnLen);
    if (mpszContentType && *mpszContentType) rtResource._dsContentType = mpszContentType;
    rtResource._ptCachedInfo = mptCachedInfo;
    // An image a snapshot saved already is pointed to, not written again.
    if (const char* pszName = KxwCache::GetResourceSnapshotName(mptCachedInfo)) {
        rtResource._dsResourceSnapshotName = pszName;
        rtResource._bIsFromCache = true;
    }
}

void KxwDomDocumentSnapshotHandler::SetAlertText(const char* mpsfText, size_t mnLen) {
    _dsAlertText.assign(mpsfText ? mpsfText : "", mpsfText ? mnLen : 0);
    _dsAlertText.resize(std::strlen(_dsAlertText.c_str()));  // up to its first NUL
}

void KxwDomDocumentSnapshotHandler::RestoreBodyFromHierarchy() {
    auto* ptHtmlElement = dynamic_cast<KxwDomHtmlElement*>(_ptDocument->GetDocumentElement());
    if (!ptHtmlElement) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_SNAPSHOT_ERROR,
                                 "Potential Error: ptHtmlElement == NULL in "
                                 "KxwDomDocumentSnapshotHandler::RestoreBodyFromHierarchy (_ptDocument=%p)",
                                 static_cast<void*>(_ptDocument));
        _ptDocument->VerifyNonEmptyDocumentElement();
        ptHtmlElement = dynamic_cast<KxwDomHtmlElement*>(_ptDocument->GetDocumentElement());
        if (!ptHtmlElement) {
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "ptHtmlElement == NULL in "
                                                  "KxwDomDocumentSnapshotHandler::RestoreBodyFromHierarchy "
                                                  "(_ptDocument=%p)",
                                                  static_cast<void*>(_ptDocument));
            return;
        }
    }
    // While the markup is generated for a snapshot, META and NOSCRIPT write what a saved page needs.
    KxwObjMgr* ptObjMgr = _ptVUserVars->GetObjMgr();
    bool bWasGenerating = ptObjMgr && ptObjMgr->IsDomSnapshotsBeingGenerated();
    if (ptObjMgr) ptObjMgr->SetIsDomSnapshotsBeingGenerated(true);
    _sbinSnapshotFileBody = ptHtmlElement->GenerateInnerOuterHtml(true);
    if (ptObjMgr) ptObjMgr->SetIsDomSnapshotsBeingGenerated(bWasGenerating);
}

std::string KxwDomDocumentSnapshotHandler::GetInfUrl() const {
    const KxwDomHtmlPropertyStr& rtHref = _ptDocument->GetHref();
    const char* psfHref = rtHref.GetDcsStr();
    if (!psfHref || rtHref.GetDcsLenInBytes() == 0) return "file:";
    return xfdsKxwSnapshotInfValue(psfHref, rtHref.GetDcsLenInBytes(), true);
}

bool KxwDomDocumentSnapshotHandler::CreateSnapshotFile(const std::string& mrdsFolder, const std::string& mrdsPrefix,
                                                       const std::vector<unsigned>& matFramePositions,
                                                       KxwDomSnapshotInfEntry* mptEntry) {
    _dsSnapshotFileName.clear();
    _dsFrameNestedIndex.clear();
    if (_sbinSnapshotFileBody.empty()) RestoreBodyFromHierarchy();
    if (_sbinSnapshotFileBody.empty()) {
        xfvKxwUtilReportTraceToFile(
            "Warning - _sbinSnapshotFileBody is Empty in KxwDomDocumentSnapshotHandler::CreateSnapshotFile after "
            "calling KxwDomDocumentSnapshotHandler::RestoreBodyFromHierarchy");
        return false;
    }
    // The frame's position from the integers of each level, so that frame 10 and beyond are named and indexed
    // as frame 1 is.
    std::string dsFileName = mrdsPrefix;
    std::string dsNestedIndex = matFramePositions.empty() ? std::string() : std::string("0");
    for (unsigned uPosition : matFramePositions) {
        dsFileName += "f" + std::to_string(uPosition);
        dsNestedIndex += "." + std::to_string(uPosition);
    }
    dsFileName += "." + ExtensionOf(_dsContentType, "html");
    if (!WriteWholeFile(mrdsFolder + dsFileName, WithNoNetworkPolicy(_sbinSnapshotFileBody))) return false;
    _dsSnapshotFileName = dsFileName;
    _dsFrameNestedIndex = dsNestedIndex;
    mptEntry->_dsFileName = dsFileName;
    mptEntry->_dsUrl = GetInfUrl();
    mptEntry->_dsFrameIndex = dsNestedIndex;
    return true;
}

void KxwDomDocumentSnapshotHandler::FlushResourcesFiles(const std::string& mrdsFolder, const std::string& mrdsPrefix,
                                                        int miFirstNumber,
                                                        std::vector<KxwDomSnapshotInfEntry>* mptEntries) {
    int iNumber = miFirstNumber;
    std::vector<KxwDomSnapshotResource>& rtResources = _tResources.GetNewestLast();
    for (auto it = rtResources.rbegin(); it != rtResources.rend(); ++it, ++iNumber) {
        KxwDomSnapshotResource& rtResource = *it;
        KxwDomSnapshotInfEntry tEntry;
        tEntry._dsUrl = xfdsKxwSnapshotInfValue(rtResource._dsUrl.data(), rtResource._dsUrl.size(), false);
        if (rtResource._bIsFromCache) {
            tEntry._dsFileName = rtResource._dsResourceSnapshotName;
            mptEntries->push_back(std::move(tEntry));
            continue;
        }
        // Nothing of the URL but its reduced name reaches the path.
        std::string dsFileName = mrdsPrefix + "_" + std::to_string(iNumber) + "_" +
                                 xfdsKxwSnapshotResourceNameOfUrl(rtResource._dsUrl.data(), rtResource._dsUrl.size()) +
                                 "." + ExtensionOf(rtResource._dsContentType, "gif");
        if (!WriteWholeFile(mrdsFolder + dsFileName, rtResource._dsBody)) continue;
        // The document's later snapshots point to this file too.
        rtResource._dsResourceSnapshotName = dsFileName;
        rtResource._bIsFromCache = true;
        if (rtResource._ptCachedInfo &&
            !KxwCache::SetResourceSnapshotName(rtResource._ptCachedInfo, dsFileName.c_str()))
            KxwUtilOutOfMemoryAbort(static_cast<long>(dsFileName.size()), "KxwCache::SetResourceSnapshotName");
        tEntry._dsFileName = dsFileName;
        mptEntries->push_back(std::move(tEntry));
    }
}

bool KxwDomDocumentSnapshotHandler::CreateAlertSnapshotFile(const std::string& mrdsPath, const char* mpszDataDir) {
    if (!mpszDataDir || !*mpszDataDir) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_SNAPSHOT_ERROR,
                                 "The dat directory path cannot be obtained in "
                                 "KxwDomDocumentSnapshotHandler::CreateAlertSnapshotFile");
        return false;
    }
    std::string dsIcon = FileUrlOfPath(std::string(mpszDataDir) + "/KxwAlert.gif");
    std::string dsPage = "<HTML><BODY><TABLE><TR><TD><IMG src=\"" +
                         xfdsKxwUtilHtmlEscaped(dsIcon.data(), dsIcon.size()) + "\"></TD><TD>" +
                         xfdsKxwUtilHtmlEscaped(_dsAlertText.data(), _dsAlertText.size()) +
                         "</TD></TABLE></BODY></HTML>";
    return WriteWholeFile(mrdsPath, WithNoNetworkPolicy(dsPage));
}

bool KxwDomDocumentSnapshotHandler::WriteWholeFile(const std::string& mrdsPath, const std::string& mrdsData) {
    FILE* ptFile = std::fopen(mrdsPath.c_str(), "wb");
    int iErrno = errno;
    bool bOK = ptFile != nullptr;
    if (bOK) {
        bOK = std::fwrite(mrdsData.data(), 1, mrdsData.size(), ptFile) == mrdsData.size();
        iErrno = errno;
        if (std::fclose(ptFile) != 0 && bOK) {
            bOK = false;
            iErrno = errno;
        }
    }
    if (!bOK) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_SNAPSHOT_ERROR,
                                 "Potential Error: the snapshot file \"%.1000s\" could not be written (%s); it is left "
                                 "out of the snapshot",
                                 mrdsPath.c_str(), std::strerror(iErrno));
        if (ptFile) std::remove(mrdsPath.c_str());
    }
    return bOK;
}

std::string KxwDomDocumentSnapshotHandler::WithNoNetworkPolicy(const std::string& mrdsPage) {
    // A doctype (after blanks or a byte order mark) stays first; the policy follows it.
    size_t nPos = 0;
    if (mrdsPage.compare(0, 3, "\xEF\xBB\xBF") == 0) nPos = 3;
    while (nPos < mrdsPage.size() && std::strchr(" \t\r\n\f", mrdsPage[nPos]) && mrdsPage[nPos] != '\0') ++nPos;
    size_t nInsert = mrdsPage.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    if (mrdsPage.size() >= nPos + 9) {
        std::string dsHead = mrdsPage.substr(nPos, 9);
        for (char& rc : dsHead)
            if (rc >= 'a' && rc <= 'z') rc = static_cast<char>(rc - ('a' - 'A'));
        if (dsHead == "<!DOCTYPE") {
            size_t nEnd = mrdsPage.find('>', nPos);
            if (nEnd != std::string::npos) nInsert = nEnd + 1;
        }
    }
    return mrdsPage.substr(0, nInsert) + kszNoNetworkPolicy + mrdsPage.substr(nInsert);
}
