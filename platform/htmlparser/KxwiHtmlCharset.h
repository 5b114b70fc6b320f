// The charset a Content-Type value names (a META element's content, a response header), read the same way by the
// page parser, the library's META element and the player's prescan of a page's first bytes.
#pragma once

#include <cstddef>

#include "kxw/KxwExport.h"

// After "charset" (any case), blanks, '=', blanks and an optional quote, up to the closing quote, a ';' or a
// blank. False when the value names none; otherwise the name's place in mpsfText.
KXW_API bool xfbKxwiHtmlFindCharsetInContent(const char* mpsfText, size_t mnLen, const char** mppsfCharset,
                                             size_t* mpnLen);
