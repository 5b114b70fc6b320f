// KxwUtilCharset: a charset name as a response header, a META element or a script gave it.
#pragma once

#include <cstddef>

// Holds the name as given ("raw": not trimmed or canonicalised; KxwU16nHandlerGeneral does that when a handler is
// made from it). Copies are deep.
class KxwUtilCharset {
public:
    KxwUtilCharset() = default;
    KxwUtilCharset(const char* mpsfAscStr, size_t mnAscLen);
    KxwUtilCharset(const KxwUtilCharset& mrtOther);
    KxwUtilCharset& operator=(const KxwUtilCharset& mrtOther);
    ~KxwUtilCharset();

    void Set(const char* mpsfAscStr, size_t mnAscLen);
    void Reset();

    // "" when no name is held.
    const char* GetRawAscStr() const { return _psfName ? _psfName : ""; }
    unsigned GetRawAscLen() const { return _uLen; }
    bool IsEmpty() const { return _uLen == 0; }

    // Whether both name the same charset: equal canonical names, or equal texts ignoring ASCII case when either is
    // unknown.
    bool IsSameCharset(const KxwUtilCharset& mrtOther) const;

private:
    char* _psfName = nullptr;  // process heap, NUL-terminated
    unsigned _uLen = 0;
};
