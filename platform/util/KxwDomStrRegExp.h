// KxwDomStrRegExp: a textual description of an element or a dialog message (text~="^Buy ").
#pragma once

#include "KxwDomStr.h"

// A description is absent (not given: it matches every value), a plain text, or a POSIX extended regular
// expression. An expression is compiled once, on first use, and matched against UTF-8 text: pattern and value are
// taken from the description's charset (no conversion when that is UTF-8 or the text is plain ASCII). A match may
// lie anywhere in the value unless the expression anchors it. A bad expression is reported once and matches
// nothing.
//
// Delete a KxwDomStrRegExp as itself, never through a KxwDomStr pointer (the string has no virtual destructor).
class KXW_API KxwDomStrRegExp : public KxwDomStr {
public:
    explicit KxwDomStrRegExp(KxwDomStrEnvApi& mrtStrEnv);
    KxwDomStrRegExp(KxwDomStrEnvApi& mrtStrEnv, const char* mpsfDcsStr, unsigned muDcsLenInBytes, bool mbIsRegExp);
    ~KxwDomStrRegExp();
    KxwDomStrRegExp(const KxwDomStrRegExp&) = delete;
    KxwDomStrRegExp& operator=(const KxwDomStrRegExp&) = delete;

    // Gives the description (a null text with length 0 is the empty text, which is given).
    void Set(const char* mpsfDcsStr, unsigned muDcsLenInBytes, bool mbIsRegExp);
    void SetU16n(const char16_t* mpwU16nStr, unsigned muU16nLenInChars, bool mbIsRegExp);
    // Back to "not given".
    void Reset();
    bool IsGiven() const { return _bIsGiven; }

    // Absent: true. Expression: whether it matches somewhere in the text (mbIgnoreCase compiles it
    // case-insensitively). Plain text: as KxwDomStr::IsEqualDcs.
    bool IsEqualDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes, bool mbIgnoreCase = false) const;
    bool IsEqualU16n(const char16_t* mpwU16nStr, unsigned muU16nLenInChars, bool mbIgnoreCase = false) const;
    // The value's own text; a value in another charset is compared through UTF-16.
    bool Matches(const KxwDomStr& mrtValue, bool mbIgnoreCase = false) const;

    // False when the expression does not compile (it is compiled here if it was not yet).
    bool IsPatternValid() const;

private:
    // Text changes go through Set, SetU16n and Reset, which drop the compiled expression.
    using KxwDomStr::Assign;
    using KxwDomStr::AssignDcs;
    using KxwDomStr::AssignDcsFromU16n;
    using KxwDomStr::AssignU16FromDcs;
    using KxwDomStr::AssignU16n;
    using KxwDomStr::AssignU16nFromLatin1;
    using KxwDomStr::Empty;

    void ClearCompiled();
    void* GetCompiled(bool mbIgnoreCase) const;
    bool MatchUtf8(const char* mpsfUtf8Str, size_t mnLen, bool mbIgnoreCase) const;

    // regex_t objects, one per case mode, made on demand; kept as void* so <regex.h> stays out of the header.
    mutable void* _apvCompiled[2] = {nullptr, nullptr};
    mutable bool _abBadPattern[2] = {false, false};
    bool _bIsGiven = false;
};

// Why an expression is refused before it is compiled (back-references, which would make matching backtrack over a
// page's text, and patterns beyond 4096 bytes), or null when it is not. Steps are checked with the same rule.
KXW_API const char* xfpszKxwDomStrRegExpRefusal(const char* mpsfPattern, size_t mnLen);
