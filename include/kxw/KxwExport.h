// Marks what a shared library of the project (the library, the platform components, the script wrapper) exports:
// what the library and the embedding program use across a library's boundary. Everything else is hidden; the tests
// reach it through the static twins of the libraries. Polymorphic classes are marked whole, so that their type
// information is one across the libraries.
#pragma once

#define KXW_API __attribute__((visibility("default")))
#define KXW_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
