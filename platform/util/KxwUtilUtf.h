// UTF-8 and UTF-16 conversions for texts that are not in a document charset: names and keys that cross between the
// script side (UTF-16) and C++ (UTF-8), pages that arrive in UTF-16. A lone surrogate is carried through into
// UTF-8 as its three-byte form (names must round-trip), except where the caller asks for U+FFFD.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "kxw/KxwExport.h"

// Appends the UTF-8 bytes of one code point (at most 0x10FFFF; larger values become U+FFFD).
void xfvKxwUtilAppendUtf8(std::string& mrdsOut, uint32_t muCodePoint);
KXW_API std::string xfdsKxwUtilU16ToUtf8(const char16_t* mpwsfStr, size_t mnLen,
                                         bool mbLoneSurrogateToReplacement = false);
// Bad bytes are taken as Latin-1 characters, so that nothing is lost.
KXW_API std::u16string xfdsKxwUtilUtf8ToU16(const char* mpsfStr, size_t mnLen);
