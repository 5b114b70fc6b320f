// The tags the tree builder knows: their codes, the rules each follows (its flags and the text mode after its start
// tag), the lookup of a code by name, and the sets of tags at which the builder's searches of its open elements
// stop (the scopes). Only the builder uses them: they stand in a namespace of their own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "KxwiHtmlTokenizer.h"

namespace KxwiHtmlTags {

// clang-format off
enum Tag : uint8_t {
    kTagOther = 0,
    kTagA, kTagAddress, kTagApplet, kTagArea, kTagArticle, kTagAside, kTagB, kTagBase, kTagBasefont, kTagBgsound,
    kTagBig, kTagBlockquote, kTagBody, kTagBr, kTagButton, kTagCaption, kTagCenter, kTagCode, kTagCol, kTagColgroup,
    kTagDd, kTagDetails, kTagDir, kTagDiv, kTagDl, kTagDt, kTagEm, kTagEmbed, kTagFieldset, kTagFigcaption,
    kTagFigure, kTagFont, kTagFooter, kTagForm, kTagFrame, kTagFrameset, kTagH1, kTagH2, kTagH3, kTagH4, kTagH5,
    kTagH6, kTagHead, kTagHeader, kTagHgroup, kTagHr, kTagHtml, kTagI, kTagIframe, kTagImg, kTagInput, kTagIsindex,
    kTagKeygen, kTagLi, kTagLink, kTagListing, kTagMain, kTagMarquee, kTagMenu, kTagMeta, kTagNav, kTagNobr,
    kTagNoembed, kTagNoframes, kTagNoscript, kTagObject, kTagOl, kTagOptgroup, kTagOption, kTagP, kTagParam,
    kTagPlaintext, kTagPre, kTagS, kTagScript, kTagSection, kTagSelect, kTagSmall, kTagSource, kTagStrike,
    kTagStrong, kTagStyle, kTagSummary, kTagTable, kTagTbody, kTagTd, kTagTextarea, kTagTfoot, kTagTh, kTagThead,
    kTagTitle, kTagTr, kTagTrack, kTagTt, kTagU, kTagUl, kTagWbr, kTagXml, kTagXmp,
    kTagCount
};
// clang-format on

enum TagFlag : uint16_t {
    kVoid = 1 << 0,         // never has children
    kClosesP = 1 << 1,      // its start tag closes an open P
    kBlockEnd = 1 << 2,     // its end tag closes it when it is in scope, whatever is open above it
    kSpecial = 1 << 3,      // a stray end tag of another name does not close anything past it
    kScope = 1 << 4,        // an end tag does not look for its element past it
    kHeadContent = 1 << 5,  // belongs in HEAD when it comes before the body
    kImpliedEnd = 1 << 6,   // closed by the start of a sibling
    kTableStruct = 1 << 7,  // table structure (handled by the table rules)
    kHeading = 1 << 8,
    kTableSection = 1 << 9,  // TBODY, THEAD, TFOOT
};

struct TagInfo {
    const char* _pszName;
    uint16_t _usFlags;
    uint8_t _ucTextMode;  // KXWI_HTML_TEXT_MODE_ENUM after its start tag
};

inline constexpr uint8_t kData = KXWI_HTML_TEXT_MODE_DATA;
inline constexpr uint8_t kRcdata = KXWI_HTML_TEXT_MODE_RCDATA;
inline constexpr uint8_t kRawText = KXWI_HTML_TEXT_MODE_RAWTEXT;
inline constexpr uint8_t kPlainText = KXWI_HTML_TEXT_MODE_PLAINTEXT;

inline constexpr uint16_t kBlock = kClosesP | kBlockEnd | kSpecial;

// In the order of the enumeration.
extern const TagInfo katTags[kTagCount];

inline uint16_t Flags(int miTag) {
    return katTags[miTag]._usFlags;
}

// The code of an upper-case name (kTagOther for a name the builder does not know).
int LookupTag(const char* mpsfUpperName, size_t mnLen);

enum Scope { kScopeDefault, kScopeListItem, kScopeButton, kScopeTable, kScopeSelect };

bool IsScopeBoundary(int miTag, int miScope);

// The tags at which the searches down the stack stop, as lists for KxwiHtmlTreeBuilder::TopOfAny.
struct TagSet {
    uint8_t _aucTags[kTagCount];
    size_t _nCount = 0;
    void Add(int miTag) { _aucTags[_nCount++] = static_cast<uint8_t>(miTag); }
};

struct TagSets {
    TagSet _tScope;             // kScope: the default scope
    TagSet _tListItemScope;     // kScope, OL, UL
    TagSet _tButtonScope;       // kScope, BUTTON
    TagSet _tTableScope;        // TABLE, HTML
    TagSet _tSpecial;           // kSpecial
    TagSet _tListItemBoundary;  // kSpecial but ADDRESS, DIV and P
    TagSet _tHeadings;
    TagSet _tCells;          // TD, TH, CAPTION
    TagSet _tTableContexts;  // TABLE, TBODY, THEAD, TFOOT, TR, COLGROUP
    TagSets();
};

const TagSets& Sets();
// The boundaries of a scope other than kScopeSelect.
const TagSet& ScopeBoundaries(int miScope);

}  // namespace KxwiHtmlTags
