// The configuration library: INI files read into sections of name=value attributes, and written back. A
// configuration is filled from one or more files; once built it may be shared by threads as long as none writes.
//
// The reading is forgiving and says what it skipped: "[section]" lines open a section, "name=value" lines give an
// attribute (blanks around the name and the value dropped, the value kept whole otherwise, "=" in it included),
// lines whose first non-blank character is ';' or '#' are comments, CR LF line ends are read as LF, and a byte
// order mark at the start is ignored. A malformed line (no '=', an empty name, a section line without ']', a NUL
// byte) is skipped and noted; the attributes after a malformed section line are skipped up to the next good one,
// so that they are never filed under the wrong section. Nothing is cut: names and values of any length are kept
// whole. Section and attribute names compare without regard to ASCII case; the first value given for a name in
// a section is the one that counts, in the order the files were added.
//
// The writing keeps what was read: SetAttrib replaces an attribute's value where it stands or adds it at the end
// of its section (a new section at the end of the file), and SaveEx writes every section and attribute in the
// order they were first met, with the spelling they were first given. A section name, attribute name or value
// holding CR, LF or NUL would break the file's lines (and let one value add keys of its own): it is refused with
// a report and nothing is written for it; so are a section name holding ']' and an attribute name holding '=' or
// starting with ';', '#' or '[', which would not read back as written.
#pragma once

#include <cstddef>
#include <map>
#include <utility>
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
    // What was skipped, one text per line ("FILE:LINE: reason"), why a file could not be read or written, and
    // what SetAttrib refused.
    const std::vector<std::string>& GetProblems() const { return _tProblems; }

    // Sets an attribute (the section is made when missing); false, reported, when a name or the value is refused.
    bool SetAttrib(const std::string& mrdsSection, const std::string& mrdsAttrib, const std::string& mrdsValue);
    // Writes the configuration to mpszPath. Without mbOverwrite an existing file is left alone (false). With
    // mbAtomic the text goes to a temporary file beside it that is then renamed over it, so that a reader never
    // sees half a file. False, with the reason among the problems, when it cannot be written.
    bool SaveEx(const char* mpszPath, bool mbOverwrite, bool mbAtomic);
    // The text SaveEx writes.
    std::string ToText() const;

private:
    struct Section {
        std::string _dsName;                                        // as first given
        std::vector<std::pair<std::string, std::string>> _tAttribs;  // name as first given, value
        std::map<std::string, size_t> _tIndex;                       // folded name -> position in _tAttribs
    };
    static std::string Folded(const char* mpsfText, size_t mnLen);
    void Note(const char* mpszSourceName, size_t mnLine, const char* mpszReason);
    Section& ObtainSection(const char* mpsfName, size_t mnLen);
    const Section* FindSection(const char* mpszName) const;
    bool Refuse(const std::string& mrdsSection, const std::string& mrdsAttrib, const char* mpszWhat);

    std::vector<Section> _tSections;             // in the order met; the unnamed section first
    std::map<std::string, size_t> _tSectionIndex;  // folded name -> position in _tSections
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
// 0 when set; -1 when refused (a null argument, CR, LF or a name that would not read back) or without a
// configuration.
KXW_API int config_set_attrib(config* mptConfig, const char* mpszSection, const char* mpszAttrib,
                              const char* mpszValue);
// Writes the configuration to mpszPath (KxwConfig::SaveEx with miOverwrite and miAtomic non-zero for true);
// 0 when written, -1 otherwise.
KXW_API int config_save_ex(config* mptConfig, const char* mpszPath, int miOverwrite, int miAtomic);
}
