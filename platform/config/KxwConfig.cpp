#include "KxwConfig.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "KxwUtilReport.h"

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
    Section* ptSection = &ObtainSection("", 0);
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
            ptSection = &ObtainSection(mpsfText + nNameBegin, nNameEnd - nNameBegin);
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
        auto tInserted = ptSection->_tIndex.emplace(Folded(mpsfText + nNameBegin, nNameEnd - nNameBegin),
                                                    ptSection->_tAttribs.size());
        if (!tInserted.second) continue;  // the first value counts
        ptSection->_tAttribs.emplace_back(std::string(mpsfText + nNameBegin, nNameEnd - nNameBegin),
                                          std::string(mpsfText + nValueBegin, nValueEnd - nValueBegin));
        ++_nEntries;
    }
}

KxwConfig::Section& KxwConfig::ObtainSection(const char* mpsfName, size_t mnLen) {
    auto tInserted = _tSectionIndex.emplace(Folded(mpsfName, mnLen), _tSections.size());
    if (tInserted.second) {
        _tSections.emplace_back();
        _tSections.back()._dsName.assign(mpsfName, mnLen);
    }
    return _tSections[tInserted.first->second];
}

const KxwConfig::Section* KxwConfig::FindSection(const char* mpszName) const {
    const char* pszName = mpszName ? mpszName : "";
    auto it = _tSectionIndex.find(Folded(pszName, std::strlen(pszName)));
    return it == _tSectionIndex.end() ? nullptr : &_tSections[it->second];
}

const char* KxwConfig::GetAttribVal(const char* mpszSection, const char* mpszAttrib) const {
    if (!mpszAttrib) return nullptr;
    const Section* ptSection = FindSection(mpszSection);
    if (!ptSection) return nullptr;
    auto it = ptSection->_tIndex.find(Folded(mpszAttrib, std::strlen(mpszAttrib)));
    return it == ptSection->_tIndex.end() ? nullptr : ptSection->_tAttribs[it->second].second.c_str();
}

namespace {

bool HoldsLineBreakOrNul(const std::string& mrdsText) {
    return mrdsText.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// A name for a report: control characters as \xHH, at most 200 characters.
std::string Printable(const std::string& mrdsText) {
    std::string dsOut;
    for (size_t n = 0; n < mrdsText.size() && dsOut.size() < 200; ++n) {
        unsigned char uc = static_cast<unsigned char>(mrdsText[n]);
        if (uc < 0x20 || uc == 0x7F) {
            char acHex[8];
            std::snprintf(acHex, sizeof acHex, "\\x%02X", uc);
            dsOut += acHex;
        } else {
            dsOut += static_cast<char>(uc);
        }
    }
    return dsOut;
}

}  // namespace

bool KxwConfig::Refuse(const std::string& mrdsSection, const std::string& mrdsAttrib, const char* mpszWhat) {
    std::string dsProblem = "[" + Printable(mrdsSection) + "] " + Printable(mrdsAttrib) + ": " + mpszWhat +
                            "; the attribute is not written";
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_SNAPSHOT_ERROR, "Configuration: %s", dsProblem.c_str());
    _tProblems.push_back(std::move(dsProblem));
    return false;
}

bool KxwConfig::SetAttrib(const std::string& mrdsSection, const std::string& mrdsAttrib,
                          const std::string& mrdsValue) {
    if (HoldsLineBreakOrNul(mrdsSection)) return Refuse(mrdsSection, mrdsAttrib, "CR, LF or NUL in the section name");
    if (HoldsLineBreakOrNul(mrdsAttrib)) return Refuse(mrdsSection, mrdsAttrib, "CR, LF or NUL in the name");
    if (HoldsLineBreakOrNul(mrdsValue)) return Refuse(mrdsSection, mrdsAttrib, "CR, LF or NUL in the value");
    if (mrdsSection.find(']') != std::string::npos) return Refuse(mrdsSection, mrdsAttrib, "']' in the section name");
    size_t nBegin = 0, nEnd = mrdsAttrib.size();
    Trim(mrdsAttrib.data(), nBegin, nEnd);
    if (nBegin == nEnd) return Refuse(mrdsSection, mrdsAttrib, "an empty name");
    if (mrdsAttrib.find('=') != std::string::npos || mrdsAttrib[nBegin] == ';' || mrdsAttrib[nBegin] == '#' ||
        mrdsAttrib[nBegin] == '[')
        return Refuse(mrdsSection, mrdsAttrib, "a name that would not read back ('=', or ';', '#', '[' first)");
    size_t nSectionBegin = 0, nSectionEnd = mrdsSection.size();
    Trim(mrdsSection.data(), nSectionBegin, nSectionEnd);
    Section& rtSection = ObtainSection(mrdsSection.data() + nSectionBegin, nSectionEnd - nSectionBegin);
    std::string dsName = mrdsAttrib.substr(nBegin, nEnd - nBegin);
    auto tInserted = rtSection._tIndex.emplace(Folded(dsName.data(), dsName.size()), rtSection._tAttribs.size());
    if (tInserted.second) {
        rtSection._tAttribs.emplace_back(std::move(dsName), mrdsValue);
        ++_nEntries;
    } else {
        rtSection._tAttribs[tInserted.first->second].second = mrdsValue;
    }
    return true;
}

std::string KxwConfig::ToText() const {
    std::string dsText;
    for (const Section& rtSection : _tSections) {
        // The unnamed section's attributes come first, before any section line; an empty named section keeps its line.
        bool bUnnamed = rtSection._dsName.empty() && &rtSection == &_tSections.front();
        if (bUnnamed && rtSection._tAttribs.empty()) continue;
        if (!bUnnamed) dsText += "[" + rtSection._dsName + "]\n";
        for (const auto& rtAttrib : rtSection._tAttribs) dsText += rtAttrib.first + "=" + rtAttrib.second + "\n";
    }
    return dsText;
}

bool KxwConfig::SaveEx(const char* mpszPath, bool mbOverwrite, bool mbAtomic) {
    if (!mpszPath || !*mpszPath) {
        _tProblems.push_back("no file name given to save to");
        return false;
    }
    if (!mbOverwrite && access(mpszPath, F_OK) == 0) {
        _tProblems.push_back(std::string(mpszPath) + ": exists and is not overwritten");
        return false;
    }
    std::string dsText = ToText();
    std::string dsTarget = mbAtomic ? std::string(mpszPath) + ".tmp" + std::to_string(getpid()) : mpszPath;
    FILE* ptFile = std::fopen(dsTarget.c_str(), "wb");
    if (!ptFile) {
        _tProblems.push_back(dsTarget + ": cannot be written: " + std::strerror(errno));
        return false;
    }
    bool bOK = std::fwrite(dsText.data(), 1, dsText.size(), ptFile) == dsText.size();
    int iErrno = errno;
    if (std::fclose(ptFile) != 0 && bOK) {
        bOK = false;
        iErrno = errno;
    }
    if (bOK && mbAtomic && std::rename(dsTarget.c_str(), mpszPath) != 0) {
        bOK = false;
        iErrno = errno;
    }
    if (!bOK) {
        _tProblems.push_back(std::string(mpszPath) + ": cannot be written: " + std::strerror(iErrno));
        if (mbAtomic) std::remove(dsTarget.c_str());
    }
    return bOK;
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

int config_set_attrib(config* mptConfig, const char* mpszSection, const char* mpszAttrib, const char* mpszValue) {
    if (!mptConfig || !mpszAttrib || !mpszValue) return -1;
    return mptConfig->SetAttrib(mpszSection ? mpszSection : "", mpszAttrib, mpszValue) ? 0 : -1;
}

int config_save_ex(config* mptConfig, const char* mpszPath, int miOverwrite, int miAtomic) {
    return mptConfig && mptConfig->SaveEx(mpszPath, miOverwrite != 0, miAtomic != 0) ? 0 : -1;
}
