// The named character references of HTML 4: 252 names, each standing for one character. Names are case-sensitive
// ("Alpha" and "alpha" differ) and at most 8 bytes long.
#pragma once

#include <cstddef>

constexpr size_t KXWI_HTML_ENTITY_COUNT = 252;
constexpr size_t KXWI_HTML_ENTITY_MAX_NAME_LEN = 8;

// The code point of the entity named exactly by the text, or 0 when no entity has that name.
unsigned xfuKxwiHtmlLookupEntity(const char* mpsfName, size_t mnLen);

// The length of the longest entity name that the text begins with (0 when none); *mpuCodePoint receives its code
// point. "notin" matches "notin", "notit" matches "not".
size_t xfnKxwiHtmlMatchEntityPrefix(const char* mpsfText, size_t mnLen, unsigned* mpuCodePoint);

// The table itself, in byte order of the names, for listings and tests; null / 0 beyond the last index.
const char* xfpszKxwiHtmlGetEntityName(size_t mnIndex);
unsigned xfuKxwiHtmlGetEntityCodePoint(size_t mnIndex);
