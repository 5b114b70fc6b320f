// Reading an engine object's own data properties without running the page's code: what the library composes from
// an object that a page can reach (a style object's declarations) must not call a getter the page defined there,
// which could change or delete the objects the library stands on.
#pragma once

#include <cstddef>

#include "kxw/KxwExport.h"
#include "kxw/KxwJsval.h"

// The value of the own data property of that name of an object value; false (and undefined) when the object has no
// such property, when it is an accessor, or when this is not an object.
KXW_API bool xfbKxwJswGetOwnDataProperty(const KxwJsval& mrtObject, const char16_t* mpwsfName, size_t mnLen,
                                         KxwJsval& mrtResult);
