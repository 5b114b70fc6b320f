// The parameter engine: named values of one virtual user that scripts save and test steps read back.
#pragma once

#include <map>
#include <string>

#include "kxw/KxwExport.h"

class KXW_API KxwParamStore {
public:
    void Set(const std::string& mdsName, std::string mdsValue) { _tValues[mdsName] = std::move(mdsValue); }
    // Null when the parameter was never saved.
    const std::string* Get(const std::string& mdsName) const;
    size_t GetCount() const { return _tValues.size(); }
    void Clear() { _tValues.clear(); }

private:
    std::map<std::string, std::string> _tValues;
};

// Saves a value of miLen bytes under mpszName in the calling virtual user's store. Returns 0 on success, a
// non-zero status for bad arguments or when the thread has no virtual user.
KXW_API int Parameter_SaveString(const char* mpsfValue, int miLen, int miFlags, const char* mpszName);
// The saved value, or null; valid until the parameter is saved again.
KXW_API const char* Parameter_GetString(const char* mpszName);
