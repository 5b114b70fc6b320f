// Escaping and un-escaping of byte texts: HTML markup, percent-encoded URLs, C-style trace text and line ends.
// Every function takes explicit lengths, accepts any bytes and writes no more than its stated bound. Bad arguments
// (a negative length, a null text with a length, a null buffer) are reported and nothing is written.
#pragma once

#include <cstddef>
#include <string>

#include "kxw/KxwExport.h"

// The room the HTML escaping of a text needs (exact, so an upper bound); 0 when the arguments are bad or the
// escaped text would not fit in an int.
KXW_API int xfiKxwUtilEstimateHtmlEscapedLen(const char* mpsfDcsStr, int miLen);

// Writes the text with & < > " replaced by &amp; &lt; &gt; &quot;, as the emulated browser writes markup, and returns
// the length written (never more than the estimate; no terminator). The two bytes of an ISO-2022 character are left
// alone: between ESC $ and ESC ( they are not characters of their own.
KXW_API int xfiKxwUtilPerformHtmlEscapingAndReturnLength(const char* mpsfDcsStr, int miLen, char* mpsfBuffer);

// The HTML escaping of a text of any length, as a string (escaped in pieces that each fit the int interface).
KXW_API std::string xfdsKxwUtilHtmlEscaped(const char* mpsfDcsStr, size_t mnLen);

// Replaces each %XX (two hexadecimal digits) by its byte; a % not followed by two digits stays. Writes at most miLen
// bytes, no terminator; the buffer may be the text itself.
KXW_API int xfiKxwUtilPerformPercentageUnEscapingAndReturnLength(const char* mpsfStr, int miLen, char* mpsfBuffer);

// As the percentage un-escaping; with mbPlusAsSpace (form data) a + becomes a space too.
int xfiKxwUtilPerformUrlUnEscapingAndReturnLength(const char* mpsfStr, int miLen, char* mpsfBuffer,
                                                  bool mbPlusAsSpace = false);

// The length of the C-style form of a text (without terminator): printable ASCII stays, \ and " are preceded by a
// backslash, tab, line feed and carriage return become \t \n \r, every other byte \ooo (three octal digits, so
// that a following digit can never join the escape).
KXW_API size_t xfnKxwUtilEstimateCStyleEncodedLen(const char* mpsfStr, size_t mnLen);

// Writes the C-style form and a NUL into a buffer of mnBufSize bytes and returns the full encoded length. When the
// buffer is too small the text is cut before the first escape that does not fit (still NUL-terminated), so the
// caller sees the cut by a result >= mnBufSize; a null buffer of size 0 only measures.
KXW_API size_t xfnKxwUtilCStyleEncodeBuf(const char* mpsfStr, size_t mnLen, char* mpsfBuffer, size_t mnBufSize);

// Inserts a carriage return before every line feed that lacks one and NUL-terminates. The buffer must hold
// 2 * miLen + 1 units. Returns the length written without the terminator.
int xfiKxwUtilAddCrBeforeNl(const char* mpsfStr, int miLen, char* mpsfBuffer);
KXW_API int xfiKxwUtilAddCrBeforeNl(const char16_t* mpwStr, int miLen, char16_t* mpwBuffer);
