#include "KxwiHtmlTags.h"

#include <cstring>
#include <initializer_list>

namespace KxwiHtmlTags {

// In the order of the enumeration. IFRAME, NOEMBED and NOFRAMES are raw text: their content is what a browser
// without frames or plug-ins shows, and a browser that has them keeps it as text. An XML island's content is XML,
// never markup of the page: it is raw text up to the island's end tag.
const TagInfo katTags[kTagCount] = {
    {"", 0, kData},
    {"A", 0, kData},
    {"ADDRESS", kBlock, kData},
    {"APPLET", kBlockEnd | kSpecial | kScope, kData},
    {"AREA", kVoid | kSpecial, kData},
    {"ARTICLE", kBlock, kData},
    {"ASIDE", kBlock, kData},
    {"B", 0, kData},
    {"BASE", kVoid | kSpecial | kHeadContent, kData},
    {"BASEFONT", kVoid | kSpecial | kHeadContent, kData},
    {"BGSOUND", kVoid | kSpecial | kHeadContent, kData},
    {"BIG", 0, kData},
    {"BLOCKQUOTE", kBlock, kData},
    {"BODY", kSpecial, kData},
    {"BR", kVoid | kSpecial, kData},
    {"BUTTON", kBlockEnd | kSpecial, kData},
    {"CAPTION", kSpecial | kScope | kTableStruct, kData},
    {"CENTER", kBlock, kData},
    {"CODE", 0, kData},
    {"COL", kVoid | kSpecial | kTableStruct, kData},
    {"COLGROUP", kSpecial | kTableStruct, kData},
    {"DD", kClosesP | kSpecial | kImpliedEnd, kData},
    {"DETAILS", kBlock, kData},
    {"DIR", kBlock, kData},
    {"DIV", kBlock, kData},
    {"DL", kBlock, kData},
    {"DT", kClosesP | kSpecial | kImpliedEnd, kData},
    {"EM", 0, kData},
    {"EMBED", kVoid | kSpecial, kData},
    {"FIELDSET", kBlock, kData},
    {"FIGCAPTION", kBlock, kData},
    {"FIGURE", kBlock, kData},
    {"FONT", 0, kData},
    {"FOOTER", kBlock, kData},
    {"FORM", kClosesP | kSpecial, kData},
    {"FRAME", kVoid | kSpecial, kData},
    {"FRAMESET", kSpecial, kData},
    {"H1", kClosesP | kSpecial | kHeading, kData},
    {"H2", kClosesP | kSpecial | kHeading, kData},
    {"H3", kClosesP | kSpecial | kHeading, kData},
    {"H4", kClosesP | kSpecial | kHeading, kData},
    {"H5", kClosesP | kSpecial | kHeading, kData},
    {"H6", kClosesP | kSpecial | kHeading, kData},
    {"HEAD", kSpecial, kData},
    {"HEADER", kBlock, kData},
    {"HGROUP", kBlock, kData},
    {"HR", kVoid | kClosesP | kSpecial, kData},
    {"HTML", kSpecial | kScope, kData},
    {"I", 0, kData},
    {"IFRAME", kSpecial, kRawText},
    {"IMG", kVoid | kSpecial, kData},
    {"INPUT", kVoid | kSpecial, kData},
    {"ISINDEX", kVoid | kSpecial, kData},
    {"KEYGEN", kVoid | kSpecial, kData},
    {"LI", kClosesP | kSpecial | kImpliedEnd, kData},
    {"LINK", kVoid | kSpecial | kHeadContent, kData},
    {"LISTING", kBlock, kData},
    {"MAIN", kBlock, kData},
    {"MARQUEE", kBlockEnd | kSpecial | kScope, kData},
    {"MENU", kBlock, kData},
    {"META", kVoid | kSpecial | kHeadContent, kData},
    {"NAV", kBlock, kData},
    {"NOBR", 0, kData},
    {"NOEMBED", kSpecial, kRawText},
    {"NOFRAMES", kSpecial | kHeadContent, kRawText},
    {"NOSCRIPT", kSpecial | kHeadContent, kRawText},  // DATA while scripting is off
    {"OBJECT", kBlockEnd | kSpecial | kScope, kData},
    {"OL", kBlock, kData},
    {"OPTGROUP", kImpliedEnd, kData},
    {"OPTION", kImpliedEnd, kData},
    {"P", kClosesP | kSpecial | kImpliedEnd, kData},
    {"PARAM", kVoid | kSpecial, kData},
    {"PLAINTEXT", kClosesP | kSpecial, kPlainText},
    {"PRE", kBlock, kData},
    {"S", 0, kData},
    {"SCRIPT", kSpecial | kHeadContent, kRawText},
    {"SECTION", kBlock, kData},
    {"SELECT", kSpecial, kData},
    {"SMALL", 0, kData},
    {"SOURCE", kVoid | kSpecial, kData},
    {"STRIKE", 0, kData},
    {"STRONG", 0, kData},
    {"STYLE", kSpecial | kHeadContent, kRawText},
    {"SUMMARY", kBlock, kData},
    {"TABLE", kSpecial | kScope, kData},
    {"TBODY", kSpecial | kTableStruct | kTableSection, kData},
    {"TD", kSpecial | kScope | kTableStruct, kData},
    {"TEXTAREA", kSpecial, kRcdata},
    {"TFOOT", kSpecial | kTableStruct | kTableSection, kData},
    {"TH", kSpecial | kScope | kTableStruct, kData},
    {"THEAD", kSpecial | kTableStruct | kTableSection, kData},
    {"TITLE", kSpecial | kHeadContent, kRcdata},
    {"TR", kSpecial | kTableStruct, kData},
    {"TRACK", kVoid | kSpecial, kData},
    {"TT", 0, kData},
    {"U", 0, kData},
    {"UL", kBlock, kData},
    {"WBR", kVoid | kSpecial, kData},
    {"XML", kSpecial, kRawText},
    {"XMP", kClosesP | kSpecial, kRawText},
};

namespace {

constexpr size_t kMaxKnownNameLen = 10;

unsigned HashName(const char* mpsfName, size_t mnLen) {
    unsigned uHash = 2166136261u;
    for (size_t i = 0; i < mnLen; ++i) uHash = (uHash ^ static_cast<unsigned char>(mpsfName[i])) * 16777619u;
    return uHash;
}

// The tag codes by name: an open-addressed table built once, so that a name costs one hash and one compare.
class TagIndex {
public:
    TagIndex() {
        std::memset(_aucSlots, 0, sizeof(_aucSlots));
        for (int iTag = 1; iTag < kTagCount; ++iTag) {
            const char* pszName = katTags[iTag]._pszName;
            _anLen[iTag] = std::strlen(pszName);
            unsigned uSlot = HashName(pszName, _anLen[iTag]) & kMask;
            while (_aucSlots[uSlot]) uSlot = (uSlot + 1) & kMask;
            _aucSlots[uSlot] = static_cast<uint8_t>(iTag);
        }
    }
    int Find(const char* mpsfUpperName, size_t mnLen) const {
        if (mnLen == 0 || mnLen > kMaxKnownNameLen) return kTagOther;
        for (unsigned uSlot = HashName(mpsfUpperName, mnLen) & kMask; _aucSlots[uSlot]; uSlot = (uSlot + 1) & kMask) {
            int iTag = _aucSlots[uSlot];
            if (_anLen[iTag] == mnLen && std::memcmp(katTags[iTag]._pszName, mpsfUpperName, mnLen) == 0) return iTag;
        }
        return kTagOther;
    }

private:
    static constexpr unsigned kMask = 511;
    uint8_t _aucSlots[kMask + 1];
    size_t _anLen[kTagCount] = {};
};

}  // namespace

int LookupTag(const char* mpsfUpperName, size_t mnLen) {
    static const TagIndex ktIndex;
    return ktIndex.Find(mpsfUpperName, mnLen);
}

bool IsScopeBoundary(int miTag, int miScope) {
    switch (miScope) {
        case kScopeListItem:
            return (Flags(miTag) & kScope) || miTag == kTagOl || miTag == kTagUl;
        case kScopeButton:
            return (Flags(miTag) & kScope) || miTag == kTagButton;
        case kScopeTable:
            return miTag == kTagTable || miTag == kTagHtml;
        case kScopeSelect:
            return miTag != kTagOptgroup && miTag != kTagOption;
        default:
            return (Flags(miTag) & kScope) != 0;
    }
}

TagSets::TagSets() {
    for (int iTag = 1; iTag < kTagCount; ++iTag) {
        uint16_t usFlags = katTags[iTag]._usFlags;
        if (usFlags & kScope) {
            _tScope.Add(iTag);
            _tListItemScope.Add(iTag);
            _tButtonScope.Add(iTag);
        }
        if (usFlags & kSpecial) {
            _tSpecial.Add(iTag);
            if (iTag != kTagAddress && iTag != kTagDiv && iTag != kTagP) _tListItemBoundary.Add(iTag);
        }
        if (usFlags & kHeading) _tHeadings.Add(iTag);
    }
    _tListItemScope.Add(kTagOl);
    _tListItemScope.Add(kTagUl);
    _tButtonScope.Add(kTagButton);
    _tTableScope.Add(kTagTable);
    _tTableScope.Add(kTagHtml);
    for (int iTag : {kTagTd, kTagTh, kTagCaption}) _tCells.Add(iTag);
    for (int iTag : {kTagTable, kTagTbody, kTagThead, kTagTfoot, kTagTr, kTagColgroup}) _tTableContexts.Add(iTag);
}

const TagSets& Sets() {
    static const TagSets ktSets;
    return ktSets;
}

const TagSet& ScopeBoundaries(int miScope) {
    switch (miScope) {
        case kScopeListItem:
            return Sets()._tListItemScope;
        case kScopeButton:
            return Sets()._tButtonScope;
        case kScopeTable:
            return Sets()._tTableScope;
        default:
            return Sets()._tScope;
    }
}

}  // namespace KxwiHtmlTags
