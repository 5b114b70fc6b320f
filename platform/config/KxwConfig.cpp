#include "KxwConfig.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

bool IsBlank(char mc) {
    return mc == ' ' || mc == '\t' || mc == '\r' || mc == '\f' || mc == '\v';
}

// The text between mnBegin and mnEnd without the blanks at either end.
void Trim(const char* mpsfText, size_t& mrnBegin, size_t& mrnEnd) {
    while (mrnBegin < mrnEnd && IsBlank(mpsfText[mrnBegin])) ++mrnBegin;
    while (mrnEnd > mrnBegin && IsBlank(mpsfText[mrnEnd - 1])) --mrnEnd;
}

}  // namespace

std::string KxwConfig::Folded(const char* mpsfText, size_t mnLen) {
    std::string dsFolded(mpsfText, mnLen);
    for (char& rc : dsFolded)
        if (rc >= 'A' && rc <= 'Z') rc = static_cast<char>(rc + ('a' - 'A'));
    return dsFolded;
}

void KxwConfig::Note(const char* mpszSourceName, size_t mnLine, const char* mpszReason) {
    _tProblems.push_back(std::string(mpszSourceName ? mpszSourceName : "") + ":" + std::to_string(mnLine) + ": " +
                         mpszReason);
}

bool KxwConfig::AddIniFileSource(const char* mpszPath) {
    if (!mpszPath || !*mpszPath) {
        _tProblems.push_back("no file name given");
        return false;
    }
    std::ifstream tFile(mpszPath, std::ios::binary);
    if (!tFile) {
        _tProblems.push_back(std::string(mpszPath) + ": cannot be opened: " + std::strerror(errno));
        return false;
    }
    std::string dsText((std::istreambuf_iterator<char>(tFile)), std::istreambuf_iterator<char>());
    if (tFile.bad()) {
        _tProblems.push_back(std::string(mpszPath) + ": cannot be read");
        return false;
    }
    AddIniText(dsText.data(), dsText.size(), mpszPath);
    return true;
}

void KxwConfig::AddIniText(const char* mpsfText, size_t mnLen, const char* mpszSourceName) {
    if (!mpsfText) return;
    size_t nPos = 0;
    if (mnLen >= 3 && std::memcmp(mpsfText, "\xEF\xBB\xBF", 3) == 0) nPos = 3;
    std::map<std::string, std::string>* ptSection = &_tSections[std::string()];
    size_t nLine = 0;
    while (nPos < mnLen) {
        ++nLine;
        const void* pvEnd = std::memchr(mpsfText + nPos, '\n', mnLen - nPos);
        size_t nLineEnd = pvEnd ? static_cast<size_t>(static_cast<const char*>(pvEnd) - mpsfText) : mnLen;
        size_t nBegin = nPos, nEnd = nLineEnd;
        nPos = nLineEnd + 1;
        Trim(mpsfText, nBegin, nEnd);
        if (nBegin == nEnd || mpsfText[nBegin] == ';' || mpsfText[nBegin] == '#') continue;
        if (std::memchr(mpsfText + nBegin, '\0', nEnd - nBegin)) {
            Note(mpszSourceName, nLine, "a NUL byte in the line; the line is skipped");
            continue;
        }
        if (mpsfText[nBegin] == '[') {
            if (mpsfText[nEnd - 1] != ']') {
                Note(mpszSourceName, nLine, "a section line without ']'; its attributes are skipped");
                ptSection = nullptr;
                continue;
            }
            size_t nNameBegin = nBegin + 1, nNameEnd = nEnd - 1;
            Trim(mpsfText, nNameBegin, nNameEnd);
            ptSection = &_tSections[Folded(mpsfText + nNameBegin, nNameEnd - nNameBegin)];
            continue;
        }
        const void* pvEqual = std::memchr(mpsfText + nBegin, '=', nEnd - nBegin);
        if (!pvEqual) {
            Note(mpszSourceName, nLine, "no '=' in the line; the line is skipped");
            continue;
        }
        size_t nEqual = static_cast<size_t>(static_cast<const char*>(pvEqual) - mpsfText);
        size_t nNameBegin = nBegin, nNameEnd = nEqual, nValueBegin = nEqual + 1, nValueEnd = nEnd;
        Trim(mpsfText, nNameBegin, nNameEnd);
        Trim(mpsfText, nValueBegin, nValueEnd);
        if (nNameBegin == nNameEnd) {
            Note(mpszSourceName, nLine, "an empty name; the line is skipped");
            continue;
        }
        if (!ptSection) continue;  // under a malformed section line
        auto tInserted = ptSection->emplace(Folded(mpsfText + nNameBegin, nNameEnd - nNameBegin),
                                            std::string(mpsfText + nValueBegin, nValueEnd - nValueBegin));
        if (tInserted.second) ++_nEntries;
    }
}

const char* KxwConfig::GetAttribVal(const char* mpszSection, const char* mpszAttrib) const {
    if (!mpszAttrib) return nullptr;
    const char* pszSection = mpszSection ? mpszSection : "";
    auto itSection = _tSections.find(Folded(pszSection, std::strlen(pszSection)));
    if (itSection == _tSections.end()) return nullptr;
    auto itValue = itSection->second.find(Folded(mpszAttrib, std::strlen(mpszAttrib)));
    return itValue == itSection->second.end() ? nullptr : itValue->second.c_str();
}

// ---------------------------------------------------------------------------------------------------------------
// The C interface: a config is a KxwConfig.

config* new_config() {
    return new config;
}

void delete_config(config* mptConfig) {
    delete mptConfig;
}

int config_add_ini_file_source(config* mptConfig, const char* mpszPath) {
    return mptConfig && mptConfig->AddIniFileSource(mpszPath) ? 0 : -1;
}

int config_get_number_of_entries(const config* mptConfig) {
    if (!mptConfig) return 0;
    size_t nEntries = mptConfig->GetNumberOfEntries();
    return nEntries > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(nEntries);
}

const char* config_get_attrib_val(const config* mptConfig, const char* mpszSection, const char* mpszAttrib) {
    return mptConfig ? mptConfig->GetAttribVal(mpszSection, mpszAttrib) : nullptr;
}
