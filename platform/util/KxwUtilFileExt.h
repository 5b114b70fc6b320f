// File name extensions for content types, as snapshot files are named.
#pragma once

#include "kxw/KxwExport.h"

// The extension (without the dot) of a content type, parameters and case ignored: "html" for text/html, "gif" for
// image/gif ...; "UNK" for a type it does not know, a null or an empty one.
KXW_API const char* xfpszKxwUtilGetFileExtByContentType(const char* mpszContentType);
