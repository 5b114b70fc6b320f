// Marks what the shared library exports; everything else is hidden.
#pragma once

#define KXW_API __attribute__((visibility("default")))
#define KXW_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
