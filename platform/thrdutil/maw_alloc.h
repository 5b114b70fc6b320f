// The process heap of the thread-utilities library: blocks that belong to no virtual user.
#pragma once

#include <cstddef>

#include "kxw/KxwExport.h"

KXW_API void* maw_malloc(size_t mnSize);
void* maw_realloc(void* mpvBlock, size_t mnSize);
KXW_API void maw_free(void* mpvBlock);
