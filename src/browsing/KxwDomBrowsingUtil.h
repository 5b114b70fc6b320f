// Small helpers the browsing classes share: texts handed to scripts, URLs combined without a length limit, and
// the ASCII comparisons of target names and schemes.
#pragma once

#include <string>

class KxwDomPropertyInfo;
class KxwU16nHandler;

// The text (in the handler's charset; the default charset when null) as the property's value.
void xfvKxwDomBrowsingAssignText(KxwDomPropertyInfo& mrtPropertyInfo, const std::string& mrdsDcs,
                                 KxwU16nHandler* mptHandler);
// The property's value as text in the handler's charset.
std::string xfdsKxwDomBrowsingTextOf(KxwDomPropertyInfo& mrtPropertyInfo, KxwU16nHandler* mptHandler);
// The reference combined with the base; the reference as it is when it cannot be combined (no base, or a base
// that is not absolute).
std::string xfdsKxwDomBrowsingCombineUrl(const std::string& mrdsBase, const char* mpsfRelative, size_t mnLen);
bool xfbKxwDomBrowsingEqualsNoCase(const char* mpsfStr, size_t mnLen, const char* mpszAscii);
bool xfbKxwDomBrowsingStartsWithNoCase(const char* mpsfStr, size_t mnLen, const char* mpszAscii);
