// The process heap of the thread-utilities library: blocks that belong to no virtual user.
#pragma once

#include <cstddef>

void* maw_malloc(size_t mnSize);
void* maw_realloc(void* mpvBlock, size_t mnSize);
void maw_free(void* mpvBlock);
