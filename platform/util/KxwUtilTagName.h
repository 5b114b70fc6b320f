// Tag names of elements: the fixed table of the HTML tags the library models (node subtypes 17..123) and
// KxwUtilTagName, a tag given by subtype or by name.
#pragma once

#include <cstddef>

#include "kxw/KxwExport.h"

// The upper-case tag of an HTML element subtype ("TITLE" for 17 ... "PUBLIC:PROPERTY" for 123); null for any other
// value.
KXW_API const char* xfpszKxwUtilGetTagNameBySubtype(int miSubtype);

// The subtype whose tag equals the name, ignoring ASCII case; 15 (the generic element) for any other name. Called for
// every element a parser builds, so it is a binary search over a sorted table.
int xfiKxwUtilGetSubtypeByTagName(const char* mpsfTagNameDcsStr, size_t mnLen);

// A tag given by subtype (an HTML element or the asterisk of getElementsByTagName("*")) or by name. A known name
// takes the table's upper-case spelling and subtype; another name is kept as written, with subtype 16 (namespaced
// element) when it has a prefix ("o:p") and 15 (generic element) otherwise. A tag may be invalid: not set yet, or
// set from a name that cannot be a tag (empty, or holding blanks, controls, < > / = or quotes).
class KXW_API KxwUtilTagName {
public:
    KxwUtilTagName();
    explicit KxwUtilTagName(int miSubtype);
    KxwUtilTagName(const char* mpsfTagNameDcsStr, size_t mnLen);
    KxwUtilTagName(const KxwUtilTagName& mrtOther);
    KxwUtilTagName& operator=(const KxwUtilTagName& mrtOther);
    ~KxwUtilTagName();

    // False (and invalid) for a subtype without a tag of its own; that is reported as a caller's fault.
    bool Set(int miSubtype);
    // False (and invalid) for a name that cannot be a tag; the caller reports it with its own context.
    bool Set(const char* mpsfTagNameDcsStr, size_t mnLen);
    void SetAsterisk();
    void Invalidate();

    bool IsValid() const { return _iSubtype != kInvalidSubtype; }
    bool IsAsterisk() const;
    // KXW_DOM_COMMON_NODE_SUBTYPE_INVALID (124) when invalid.
    int GetSubtype() const { return _iSubtype; }

    // The tag text ("" when invalid), its length, and the same text with "[Invalid Tag Name]" for an invalid tag
    // (for reports).
    const char* GetTagNameDcsStr() const { return _psfName; }
    const char* GetTagNameOrInvalidDcsStr() const;
    unsigned GetTagNameDcsLenInBytes() const { return _uLen; }

    // Same tag: same subtype and, for generic and namespaced elements, the same name ignoring ASCII case.
    bool operator==(const KxwUtilTagName& mrtOther) const;
    bool operator!=(const KxwUtilTagName& mrtOther) const { return !(*this == mrtOther); }
    bool IsEqualIgnoringCase(const char* mpsfTagNameDcsStr, size_t mnLen) const;
    // Whether an element with the given tag is selected by this tag: the asterisk selects every valid tag.
    bool Matches(const KxwUtilTagName& mrtElementTagName) const;

private:
    static constexpr int kInvalidSubtype = 124;

    void FreeOwned();

    int _iSubtype;
    const char* _psfName;
    unsigned _uLen;
    char* _psfOwned;  // copy of a name that is not in the table, on the process heap
};
