// The configuration library: INI files read into sections of name=value attributes. A configuration is filled
// from one or more files and then only read, so that threads may share it once it is built.
//
// The reading is forgiving and says what it skipped: "[section]" lines open a section, "name=value" lines give an
// attribute (blanks around the name and the value dropped, the value kept whole otherwise, "=" in it included),
// lines whose first non-blank character is ';' or '#' are comments, CR LF line ends are read as LF, and a byte
// order mark at the start is ignored. A malformed line (no '=', an empty name, a section line without ']', a NUL
// byte) is skipped and noted; the attributes after a malformed section line are skipped up to the next good one,
// so that they are never filed under the wrong section. Nothing is cut: names and values of any length are kept
// whole. Section and attribute names compare without regard to ASCII case; the first value given for a name in
// a section is the one that counts, in the order the files were added.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "kxw/KxwExport.h"

class KXW_API KxwConfig {
public:
    KxwConfig() = default;
    KxwConfig(const KxwConfig&) = delete;
    KxwConfig& operator=(const KxwConfig&) = delete;

    // Reads a file; false when it cannot be opened or read (the configuration is left as it was).
    bool AddIniFileSource(const char* mpszPath);
    // Reads INI text held in memory; mpszSourceName names it in the notes on skipped lines.
    void AddIniText(const char* mpsfText, size_t mnLen, const char* mpszSourceName);
    // Attributes over all sections (each name of a section counted once).
    size_t GetNumberOfEntries() const { return _nEntries; }
    // The value of an attribute, or null; valid as long as the configuration lives.
    const char* GetAttribVal(const char* mpszSection, const char* mpszAttrib) const;
    // What was skipped, one text per line ("FILE:LINE: reason"), and why a file could not be read.
    const std::vector<std::string>& GetProblems() const { return _tProblems; }

private:
    static std::string Folded(const char* mpsfText, size_t mnLen);
    void Note(const char* mpszSourceName, size_t mnLine, const char* mpszReason);

    std::map<std::string, std::map<std::string, std::string>> _tSections;  // by folded section and name
    size_t _nEntries = 0;
    std::vector<std::string> _tProblems;
};

// The library's C interface over KxwConfig. Each function takes a null configuration as "nothing": the calls
// fail or answer nothing.
struct config : KxwConfig {};
extern "C" {
KXW_API config* new_config();
KXW_API void delete_config(config* mptConfig);
// 0 when the file was read, -1 when it could not be.
KXW_API int config_add_ini_file_source(config* mptConfig, const char* mpszPath);
KXW_API int config_get_number_of_entries(const config* mptConfig);
KXW_API const char* config_get_attrib_val(const config* mptConfig, const char* mpszSection, const char* mpszAttrib);
}
