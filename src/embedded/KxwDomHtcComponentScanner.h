// Reads the component declarations of a behaviour file: the TAGNAME of each PUBLIC:COMPONENT start tag, found by
// element and attribute names (any case), never by a parser's element numbers. Markup in comments and in SCRIPT
// content is not read; a start tag cut off by the end of the text is dropped.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The tag names in the order of the file; at most knMaxHtcComponents, each at most knMaxHtcTagNameLen bytes (a
// longer name is dropped: no element's tag is that long).
constexpr size_t knMaxHtcComponents = 256;
constexpr size_t knMaxHtcTagNameLen = 256;
std::vector<std::string> xftKxwDomHtcScanComponentTagNames(const char* mpsfText, size_t mnLen);
