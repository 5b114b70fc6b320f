#include "KxwPlayResults.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "KxwPlayCsv.h"
#include "KxwPlayData.h"
#include "KxwPlayVerbs.h"

namespace {

// A results file is read whole; the cap keeps a wrong path from being slurped.
constexpr size_t knMaxResultsFileBytes = size_t{2} * 1024 * 1024 * 1024;

enum KXW_PLAY_RESULT_COLUMN_ENUM {
    KXW_PLAY_RESULT_COLUMN_VUSER,
    KXW_PLAY_RESULT_COLUMN_ITERATION,
    KXW_PLAY_RESULT_COLUMN_STEP,
    KXW_PLAY_RESULT_COLUMN_LINE,
    KXW_PLAY_RESULT_COLUMN_VERB,
    KXW_PLAY_RESULT_COLUMN_START,
    KXW_PLAY_RESULT_COLUMN_DURATION,
    KXW_PLAY_RESULT_COLUMN_OUTCOME,
    KXW_PLAY_RESULT_COLUMN_REASON,
    KXW_PLAY_RESULT_COLUMN_SNAPSHOT,
    KXW_PLAY_RESULT_COLUMN_COUNT
};

// In the order they are written.
const char* const kapszColumns[KXW_PLAY_RESULT_COLUMN_COUNT] = {
    "vuser", "iteration", "step", "line", "verb", "start_ms", "duration_ms", "outcome", "reason", "snapshot"};

std::string FormatMs(double mdfMs) {
    char acText[48];
    std::snprintf(acText, sizeof acText, "%.3f", std::isfinite(mdfMs) && mdfMs > 0 ? mdfMs : 0.0);
    return acText;
}

bool ParseCount(const std::string& mdsText, long long mllMax, long long* mpllValue) {
    unsigned long long ullValue = 0;
    if (!xfbKxwPlayParseNumber(mdsText, false, &ullValue) || ullValue > static_cast<unsigned long long>(mllMax))
        return false;
    *mpllValue = static_cast<long long>(ullValue);
    return true;
}

bool ParseMs(const std::string& mdsText, double* mpdfValue) {
    if (mdsText.empty() || mdsText.find_first_not_of("0123456789.") != std::string::npos) return false;
    char* pszEnd = nullptr;
    double dfValue = std::strtod(mdsText.c_str(), &pszEnd);
    if (!pszEnd || *pszEnd || !std::isfinite(dfValue)) return false;
    *mpdfValue = dfValue;
    return true;
}

std::string FolderOf(const std::string& mdsPath) {
    size_t nSlash = mdsPath.rfind('/');
    if (nSlash == std::string::npos) return ".";
    return nSlash == 0 ? "/" : mdsPath.substr(0, nSlash);
}

// Whether mdsPath (absolute, normalised) lies inside mdsFolder (the same).
bool IsInside(const std::string& mdsPath, const std::string& mdsFolder) {
    if (mdsFolder == "/") return mdsPath.size() > 1;
    return mdsPath.size() > mdsFolder.size() + 1 && mdsPath.compare(0, mdsFolder.size(), mdsFolder) == 0 &&
           mdsPath[mdsFolder.size()] == '/';
}

}  // namespace

std::string xfdsKxwPlayAbsolutePath(const std::string& mdsPath) {
    if (mdsPath.empty()) return "";
    std::string dsJoined = mdsPath;
    if (mdsPath[0] != '/') {
        std::vector<char> tCwd(PATH_MAX + 1);
        if (!getcwd(tCwd.data(), tCwd.size())) return mdsPath;
        dsJoined = std::string(tCwd.data()) + "/" + mdsPath;
    }
    std::vector<std::string> tParts;
    size_t nStart = 0;
    while (nStart <= dsJoined.size()) {
        size_t nSlash = dsJoined.find('/', nStart);
        if (nSlash == std::string::npos) nSlash = dsJoined.size();
        std::string dsPart = dsJoined.substr(nStart, nSlash - nStart);
        if (dsPart == "..") {
            if (!tParts.empty()) tParts.pop_back();
        } else if (!dsPart.empty() && dsPart != ".") {
            tParts.push_back(dsPart);
        }
        nStart = nSlash + 1;
    }
    std::string dsResult;
    for (const std::string& rdsPart : tParts) dsResult += "/" + rdsPart;
    return dsResult.empty() ? "/" : dsResult;
}

std::string xfdsKxwPlayRelativePath(const std::string& mdsFromFolder, const std::string& mdsTo) {
    auto Split = [](const std::string& mdsPath) {
        std::vector<std::string> tParts;
        size_t nStart = 0;
        while (nStart < mdsPath.size()) {
            size_t nSlash = mdsPath.find('/', nStart);
            if (nSlash == std::string::npos) nSlash = mdsPath.size();
            if (nSlash > nStart) tParts.push_back(mdsPath.substr(nStart, nSlash - nStart));
            nStart = nSlash + 1;
        }
        return tParts;
    };
    std::vector<std::string> tFrom = Split(mdsFromFolder), tTo = Split(mdsTo);
    size_t nCommon = 0;
    while (nCommon < tFrom.size() && nCommon < tTo.size() && tFrom[nCommon] == tTo[nCommon]) ++nCommon;
    std::string dsResult;
    for (size_t n = nCommon; n < tFrom.size(); ++n) dsResult += "../";
    for (size_t n = nCommon; n < tTo.size(); ++n) dsResult += tTo[n] + (n + 1 < tTo.size() ? "/" : "");
    return dsResult.empty() ? "." : dsResult;
}

std::string xfdsKxwPlayResultsHeader() {
    std::string dsHeader;
    for (int n = 0; n < KXW_PLAY_RESULT_COLUMN_COUNT; ++n) dsHeader += std::string(n ? "," : "") + kapszColumns[n];
    return dsHeader + "\n";
}

std::string xfdsKxwPlayFormatResult(const KxwPlayStepResult& mrtResult, const std::string& mdsResultsFolder) {
    std::string dsSnapshot;
    if (!mrtResult._dsSnapshot.empty()) {
        dsSnapshot = xfdsKxwPlayAbsolutePath(mrtResult._dsSnapshot);
        if (IsInside(dsSnapshot, mdsResultsFolder)) dsSnapshot = xfdsKxwPlayRelativePath(mdsResultsFolder, dsSnapshot);
    }
    std::string dsRow = std::to_string(mrtResult._iVUserId) + "," + std::to_string(mrtResult._iIteration) + "," +
                        std::to_string(mrtResult._iStepNumber) + "," + std::to_string(mrtResult._uLine) + ",";
    xfvKxwPlayAppendCsvField(&dsRow, mrtResult._dsVerb);
    dsRow += "," + FormatMs(mrtResult._dfStartMs) + "," + FormatMs(mrtResult._dfDurationMs) + "," +
             (mrtResult._bOK ? "OK" : "FAIL") + ",";
    xfvKxwPlayAppendCsvField(&dsRow, mrtResult._dsReason);
    dsRow += ",";
    xfvKxwPlayAppendCsvField(&dsRow, dsSnapshot);
    return dsRow + "\n";
}

KxwPlayResultsFile::~KxwPlayResultsFile() {
    std::string dsIgnored;
    Close(&dsIgnored);
}

bool KxwPlayResultsFile::Open(const std::string& mdsFolder, std::string* mpdsError) {
    _dsFolder = xfdsKxwPlayAbsolutePath(mdsFolder);
    _dsPath = mdsFolder + "/results.csv";
    _ptFile = std::fopen(_dsPath.c_str(), "w");
    if (!_ptFile) {
        *mpdsError = "cannot write \"" + _dsPath + "\": " + std::strerror(errno);
        return false;
    }
    std::string dsHeader = xfdsKxwPlayResultsHeader();
    _bWriteFailed = std::fwrite(dsHeader.data(), 1, dsHeader.size(), _ptFile) != dsHeader.size();
    return true;
}

void KxwPlayResultsFile::Append(const KxwPlayStepResult& mrtResult) {
    std::string dsRow = xfdsKxwPlayFormatResult(mrtResult, _dsFolder);
    std::lock_guard<std::mutex> tLock(_tMutex);
    if (!_ptFile) return;
    if (std::fwrite(dsRow.data(), 1, dsRow.size(), _ptFile) != dsRow.size() || std::fflush(_ptFile) != 0)
        _bWriteFailed = true;
}

bool KxwPlayResultsFile::Close(std::string* mpdsError) {
    std::lock_guard<std::mutex> tLock(_tMutex);
    if (!_ptFile) return true;
    bool bOK = std::fclose(_ptFile) == 0 && !_bWriteFailed;
    _ptFile = nullptr;
    if (!bOK) *mpdsError = "writing \"" + _dsPath + "\" failed (is the disk full?)";
    return bOK;
}

bool xfbKxwPlayReadResults(const std::string& mdsPath, const std::function<void(KxwPlayStepResult&&)>& mtOnResult,
                           std::string* mpdsError) {
    std::string dsText;
    if (!xfbKxwPlayReadTextFile(mdsPath, knMaxResultsFileBytes, &dsText, mpdsError)) return false;
    std::string dsFolder = xfdsKxwPlayAbsolutePath(FolderOf(mdsPath));
    KxwPlayCsvReader tReader(dsText.data(), dsText.size());
    std::vector<std::string> tFields;
    std::string dsReason;
    int aiColumn[KXW_PLAY_RESULT_COLUMN_COUNT];
    bool bHeader = false;
    size_t nNeeded = 0;
    auto Fail = [&](const std::string& mdsReason) {
        *mpdsError = mdsPath + ":" + std::to_string(tReader.GetRecordLine()) + ": " + mdsReason;
        return false;
    };
    while (!tReader.AtEnd()) {
        if (!tReader.Next(&tFields, &dsReason)) return Fail(dsReason);
        if (tFields.empty()) continue;
        if (!bHeader) {
            for (int n = 0; n < KXW_PLAY_RESULT_COLUMN_COUNT; ++n) {
                aiColumn[n] = -1;
                for (size_t nField = 0; nField < tFields.size(); ++nField)
                    if (tFields[nField] == kapszColumns[n]) aiColumn[n] = static_cast<int>(nField);
                if (aiColumn[n] < 0) return Fail(std::string("the header has no column \"") + kapszColumns[n] + "\"");
                nNeeded = std::max(nNeeded, static_cast<size_t>(aiColumn[n]) + 1);
            }
            bHeader = true;
            continue;
        }
        if (tFields.size() < nNeeded)
            return Fail(std::to_string(tFields.size()) + " fields where the header has " + std::to_string(nNeeded));
        auto Field = [&](KXW_PLAY_RESULT_COLUMN_ENUM meColumn) -> const std::string& {
            return tFields[static_cast<size_t>(aiColumn[meColumn])];
        };
        KxwPlayStepResult tResult;
        long long llVUser = 0, llIteration = 0, llStep = 0, llLine = 0;
        if (!ParseCount(Field(KXW_PLAY_RESULT_COLUMN_VUSER), INT_MAX, &llVUser) ||
            !ParseCount(Field(KXW_PLAY_RESULT_COLUMN_ITERATION), INT_MAX, &llIteration) ||
            !ParseCount(Field(KXW_PLAY_RESULT_COLUMN_STEP), INT_MAX, &llStep) ||
            !ParseCount(Field(KXW_PLAY_RESULT_COLUMN_LINE), UINT_MAX, &llLine))
            return Fail("vuser, iteration, step and line must be whole numbers");
        if (!ParseMs(Field(KXW_PLAY_RESULT_COLUMN_START), &tResult._dfStartMs) ||
            !ParseMs(Field(KXW_PLAY_RESULT_COLUMN_DURATION), &tResult._dfDurationMs))
            return Fail("start_ms and duration_ms must be numbers of milliseconds");
        const std::string& rdsOutcome = Field(KXW_PLAY_RESULT_COLUMN_OUTCOME);
        if (rdsOutcome != "OK" && rdsOutcome != "FAIL") return Fail("the outcome must be OK or FAIL");
        tResult._iVUserId = static_cast<int>(llVUser);
        tResult._iIteration = static_cast<int>(llIteration);
        tResult._iStepNumber = static_cast<int>(llStep);
        tResult._uLine = static_cast<unsigned>(llLine);
        tResult._dsVerb = Field(KXW_PLAY_RESULT_COLUMN_VERB);
        tResult._bOK = rdsOutcome == "OK";
        tResult._dsReason = Field(KXW_PLAY_RESULT_COLUMN_REASON);
        const std::string& rdsSnapshot = Field(KXW_PLAY_RESULT_COLUMN_SNAPSHOT);
        if (!rdsSnapshot.empty())
            tResult._dsSnapshot =
                rdsSnapshot[0] == '/' ? rdsSnapshot : xfdsKxwPlayAbsolutePath(dsFolder + "/" + rdsSnapshot);
        mtOnResult(std::move(tResult));
    }
    if (!bHeader) {
        *mpdsError = mdsPath + ": no header row";
        return false;
    }
    return true;
}
