// Text comparisons shared by strings, tag names and the DOM: ASCII and UTF-16 case-insensitive equality, and the
// blank-aware comparisons of element location. All take explicit lengths; a null text with length 0 is the empty
// text, a null text with a length is reported and compares unequal.
#pragma once

#include <cstddef>

#include "kxw/KxwExport.h"

// ASCII case-insensitive equality of two byte texts (bytes >= 0x80 must be equal).
KXW_API bool xfbKxwUtilIsEqualIgnoreCase(const char* mpsfStr1, size_t mnLen1, const char* mpsfStr2, size_t mnLen2);

// Exact byte equality, or ASCII case-insensitive equality when mbIgnoreCase is set.
KXW_API bool xfbKxwUtilIsEqualIgnoreCaseEx(const char* mpsfStr1, size_t mnLen1, const char* mpsfStr2, size_t mnLen2,
                                   bool mbIgnoreCase);

// A UTF-16 text equal to an ASCII keyword, ignoring ASCII case ("about:blank", "text/javascript").
bool xfbKxwUtilU16nIsEqualToAscIgnoreCase(const char16_t* mpwU16nStr, size_t mnU16nLenInChars, const char* mpsfAscStr,
                                          size_t mnAscLen);

// Two UTF-16 texts equal when only ASCII letters are folded (names known to be ASCII: tags, attributes, events).
KXW_API bool xfbKxwUtilU16nIsEqualIgnoreCaseAssumeAscii(const char16_t* mpwStr1, size_t mnLen1, const char16_t* mpwStr2,
                                                size_t mnLen2);

// Two UTF-16 texts of mnLenInChars units each, equal with simple case folding (ASCII, Latin, Greek, Cyrillic,
// Armenian and fullwidth letters).
KXW_API bool xfbKxwU16IsEqualIgnoringCaseByLen(const char16_t* mpwStr1, const char16_t* mpwStr2, size_t mnLenInChars);

// Lower-cases the ASCII letters of a text in place; true when any byte or unit changed.
KXW_API bool xfbKxwUtilToLowerCase(char* mpsfStr, size_t mnLen);
KXW_API bool xfbKxwUtilToLowerCase(char16_t* mpwStr, size_t mnLenInChars);

// The simple case folding used above: the lower-case partner of a letter, else the unit itself.
char16_t xfwKxwUtilU16nFoldCase(char16_t mwChar);

// Blanks of element descriptions: space, tab, line feed, vertical tab, form feed, carriage return and the no-break
// space (U+00A0, which page text carries for &nbsp;).
bool xfbKxwUtilU16nIsBlank(char16_t mwChar);

// Equal when leading and trailing blanks are set aside and every inner run of blanks matches any other run of
// blanks; everything else, case included, must be equal ("Buy  now\n" equals " Buy now", not "Buynow").
bool xfbKxwUtilU16nIsEqualConsideringSpaces(const char16_t* mpwStr1, size_t mnLen1, const char16_t* mpwStr2,
                                            size_t mnLen2);

// Exact equality after the leading (mbIgnoreLeading) and trailing (mbIgnoreTrailing) blanks of both texts are set
// aside.
bool xfbKxwUtilU16nIsEqualConsideringLeadingAndTrailingSpaces(const char16_t* mpwStr1, size_t mnLen1,
                                                              const char16_t* mpwStr2, size_t mnLen2,
                                                              bool mbIgnoreLeading, bool mbIgnoreTrailing);

// A coordinate pair as a click on a server-side image map sends it: decimal digits, a comma, decimal digits
// ("12,340"), nothing else.
KXW_API bool xfbKxwUtilIsCoordinatePair(const char* mpsfStr, size_t mnLen);
