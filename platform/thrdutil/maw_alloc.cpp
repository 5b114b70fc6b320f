#include "maw_alloc.h"

#include <cstdlib>

void* maw_malloc(size_t mnSize) { return std::malloc(mnSize == 0 ? 1 : mnSize); }

void* maw_realloc(void* mpvBlock, size_t mnSize) { return std::realloc(mpvBlock, mnSize == 0 ? 1 : mnSize); }

void maw_free(void* mpvBlock) { std::free(mpvBlock); }
