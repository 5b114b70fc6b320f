// The message catalogue: one entry per message number, kept in ascending order of number so that a lookup is a
// binary search.
#pragma once

#include <cstddef>

struct KxwMsgCatalogueEntry {
    int _iMsgId;
    const char* _pszFormat;  // printf format; precisions bound every text argument
    int _iArgCount;          // printf arguments the format consumes, for tools that check callers
};

// The entry of a number, or nullptr when the catalogue has none.
const KxwMsgCatalogueEntry* xfptKxwMsgCatalogueFind(int miMsgId);

// The whole table, in ascending order of number, for tools and tests that walk every entry.
const KxwMsgCatalogueEntry* xfptKxwMsgCatalogueGetEntries(size_t* mpnCount);
