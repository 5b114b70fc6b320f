// KxwCustomDesc: one name/value pair of a step's custom description of an element (@class=big): the element's
// attribute of that name, or else its script property, must match the value.
#pragma once

#include <string>

class KxwCustomDesc {
public:
    KxwCustomDesc(std::string mdsName, std::string mdsValue, bool mbIsRegExp)
        : _dsName(std::move(mdsName)), _dsValue(std::move(mdsValue)), _bIsRegExp(mbIsRegExp) {}

    // Texts in UTF-8, as steps give them.
    const char* GetName() const { return _dsName.c_str(); }
    unsigned GetNameLen() const { return static_cast<unsigned>(_dsName.size()); }
    const char* GetValue() const { return _dsValue.c_str(); }
    unsigned GetValueLen() const { return static_cast<unsigned>(_dsValue.size()); }
    bool IsRegExp() const { return _bIsRegExp; }

private:
    std::string _dsName;
    std::string _dsValue;
    bool _bIsRegExp;
};
