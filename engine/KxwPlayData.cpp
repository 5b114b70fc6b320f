#include "KxwPlayData.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

#include "KxwPlayCsv.h"

namespace {

// A data file is read whole; the cap keeps a wrong path (a device, a huge log) from being slurped.
constexpr size_t knMaxDataFileBytes = 256u * 1024 * 1024;

bool IsBlank(char mc) {
    return mc == ' ' || mc == '\t';
}

std::string Trimmed(const std::string& mdsText) {
    size_t nBegin = 0, nEnd = mdsText.size();
    while (nBegin < nEnd && IsBlank(mdsText[nBegin])) ++nBegin;
    while (nEnd > nBegin && IsBlank(mdsText[nEnd - 1])) --nEnd;
    return mdsText.substr(nBegin, nEnd - nBegin);
}

}  // namespace

bool xfbKxwPlayReadTextFile(const std::string& mdsPath, size_t mnMaxBytes, std::string* mpdsText,
                            std::string* mpdsError) {
    mpdsText->clear();
    FILE* ptFile = std::fopen(mdsPath.c_str(), "rb");
    if (!ptFile) {
        *mpdsError = mdsPath + ": cannot open: " + std::strerror(errno);
        return false;
    }
    char acBuffer[65536];
    size_t nRead = 0;
    bool bTooLarge = false;
    while ((nRead = std::fread(acBuffer, 1, sizeof acBuffer, ptFile)) > 0) {
        if (mpdsText->size() + nRead > mnMaxBytes) {
            bTooLarge = true;
            break;
        }
        mpdsText->append(acBuffer, nRead);
    }
    bool bReadError = std::ferror(ptFile) != 0;
    int iErrno = errno;
    std::fclose(ptFile);
    if (bTooLarge) {
        *mpdsError = mdsPath + ": larger than " + std::to_string(mnMaxBytes) + " bytes";
    } else if (bReadError) {
        // A folder opens but fails to read: say so plainly.
        *mpdsError = mdsPath + ": cannot read: " + std::strerror(iErrno);
    } else {
        return true;
    }
    mpdsText->clear();
    return false;
}

bool KxwPlayData::LoadFromFile(const std::string& mdsPath, std::string* mpdsError) {
    std::string dsText;
    if (!xfbKxwPlayReadTextFile(mdsPath, knMaxDataFileBytes, &dsText, mpdsError)) return false;
    return LoadFromText(dsText.data(), dsText.size(), mdsPath, mpdsError);
}

bool KxwPlayData::LoadFromText(const char* mpsfText, size_t mnLen, const std::string& mdsFileName,
                               std::string* mpdsError) {
    _tNames.clear();
    _tRows.clear();
    if (!mpsfText) mnLen = 0;
    KxwPlayCsvReader tReader(mpsfText ? mpsfText : "", mnLen);
    std::vector<std::string> tFields;
    std::string dsReason;
    unsigned uHeaderLine = 1;
    auto Fail = [&](unsigned muLine, const std::string& mdsReason) {
        *mpdsError = mdsFileName + ":" + std::to_string(muLine) + ": " + mdsReason;
        _tNames.clear();
        _tRows.clear();
        return false;
    };
    while (!tReader.AtEnd()) {
        if (!tReader.Next(&tFields, &dsReason)) return Fail(tReader.GetRecordLine(), dsReason);
        if (tFields.empty()) continue;
        if (_tNames.empty()) {
            uHeaderLine = tReader.GetRecordLine();
            std::set<std::string> tSeen;
            for (const std::string& rdsField : tFields) {
                std::string dsName = Trimmed(rdsField);
                if (dsName.empty()) return Fail(tReader.GetRecordLine(), "a column of the header has no name");
                if (dsName.find_first_of("{}") != std::string::npos)
                    return Fail(tReader.GetRecordLine(), "the column name \"" + dsName + "\" holds a brace");
                if (!tSeen.insert(dsName).second)
                    return Fail(tReader.GetRecordLine(), "the column name \"" + dsName + "\" is used twice");
                _tNames.push_back(dsName);
            }
            continue;
        }
        if (tFields.size() != _tNames.size())
            return Fail(tReader.GetRecordLine(), std::to_string(tFields.size()) + " fields where the header has " +
                                                     std::to_string(_tNames.size()));
        _tRows.push_back(tFields);
    }
    if (_tNames.empty()) return Fail(1, "no header line");
    if (_tRows.empty()) return Fail(uHeaderLine, "no data rows after the header");
    return true;
}

size_t KxwPlayData::GetRowIndex(int miVUserId, int miIteration, int miVUserCount) const {
    if (_tRows.empty()) return 0;
    // 64-bit products: many users times many iterations must not wrap before the modulo.
    unsigned long long ullOrder = static_cast<unsigned long long>(miIteration > 0 ? miIteration - 1 : 0) *
                                      static_cast<unsigned long long>(miVUserCount > 0 ? miVUserCount : 1) +
                                  static_cast<unsigned long long>(miVUserId > 0 ? miVUserId - 1 : 0);
    return static_cast<size_t>(ullOrder % _tRows.size());
}

int KxwPlayData::FindPlaceholder(const std::string& mdsText, size_t mnOpen, size_t* mpnClose) const {
    size_t nClose = mdsText.find('}', mnOpen + 1);
    if (nClose == std::string::npos) return -1;
    // Only the text up to the first closing brace can be a name; a nested '{' means this one is not a placeholder.
    std::string dsName = mdsText.substr(mnOpen + 1, nClose - mnOpen - 1);
    if (dsName.find('{') != std::string::npos) return -1;
    for (size_t n = 0; n < _tNames.size(); ++n)
        if (_tNames[n] == dsName) {
            *mpnClose = nClose;
            return static_cast<int>(n);
        }
    return -1;
}

bool KxwPlayData::HasPlaceholder(const std::string& mdsText) const {
    if (_tNames.empty()) return false;
    for (size_t nOpen = mdsText.find('{'); nOpen != std::string::npos; nOpen = mdsText.find('{', nOpen + 1)) {
        size_t nClose = 0;
        if (FindPlaceholder(mdsText, nOpen, &nClose) >= 0) return true;
    }
    return false;
}

std::string KxwPlayData::Substitute(const std::string& mdsText, size_t mnRow) const {
    if (_tNames.empty() || _tRows.empty()) return mdsText;
    const std::vector<std::string>& rtRow = GetRow(mnRow);
    std::string dsResult;
    size_t nPos = 0;
    for (size_t nOpen = mdsText.find('{'); nOpen != std::string::npos; nOpen = mdsText.find('{', nOpen + 1)) {
        size_t nClose = 0;
        int iColumn = FindPlaceholder(mdsText, nOpen, &nClose);
        if (iColumn < 0) continue;
        // A value is inserted once and never scanned again, so a value holding "{name}" stays as it is.
        dsResult.append(mdsText, nPos, nOpen - nPos);
        dsResult += rtRow[static_cast<size_t>(iColumn)];
        nPos = nClose + 1;
        nOpen = nClose;
    }
    dsResult.append(mdsText, nPos, std::string::npos);
    return dsResult;
}
