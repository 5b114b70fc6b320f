#include "KxwUtilTagName.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "KxwUtilReport.h"
#include "KxwUtilStrCompare.h"
#include "kxw/KxwDomCommonEnums.h"
#include "maw_alloc.h"

namespace {

constexpr int kFirst = KXW_DOM_COMMON_NODE_SUBTYPE_FIRST_HTML_ELEMENT;
constexpr int kLast = KXW_DOM_COMMON_NODE_SUBTYPE_LAST_HTML_ELEMENT;
constexpr int kTagCount = kLast - kFirst + 1;

// In the order of KXW_DOM_COMMON_NODE_SUBTYPE_ENUM from 17.
const char* const kapszTags[kTagCount] = {
    "TITLE",
    "HTML",
    "A",
    "BODY",
    "BASE",
    "DIV",
    "SPAN",
    "TABLE",
    "THEAD",
    "TBODY",
    "TFOOT",
    "TD",
    "TH",
    "TR",
    "IMG",
    "FRAME",
    "FRAMESET",
    "IFRAME",
    "FORM",
    "INPUT",
    "BUTTON",
    "SELECT",
    "OPTION",
    "TEXTAREA",
    "NOSCRIPT",
    "MAP",
    "AREA",
    "SCRIPT",
    "XML",
    "OBJECT",
    "APPLET",
    "META",
    "LINK",
    "PRE",
    "UL",
    "FONT",
    "COL",
    "COLGROUP",
    "HEAD",
    "LI",
    "DIR",
    "OL",
    "CODE",
    "CENTER",
    "CITE",
    "DL",
    "H1",
    "H2",
    "H3",
    "H4",
    "H5",
    "H6",
    "I",
    "SAMP",
    "SUB",
    "U",
    "BLOCKQUOTE",
    "INS",
    "DEL",
    "LABEL",
    "LEGEND",
    "FIELDSET",
    "OPTGROUP",
    "BDO",
    "HR",
    "B",
    "STYLE",
    "EM",
    "SUP",
    "P",
    "BR",
    "SMALL",
    "COMMENT",
    "NOBR",
    "STRIKE",
    "TT",
    "VAR",
    "ACRONYM",
    "ADDRESS",
    "BIG",
    "DFN",
    "DD",
    "DT",
    "XMP",
    "STRONG",
    "PARAM",
    "MARQUEE",
    "EMBED",
    "ABBR",
    "BASEFONT",
    "BGSOUND",
    "CAPTION",
    "ISINDEX",
    "KBD",
    "LISTING",
    "MENU",
    "NEXTID",
    "NOFRAMES",
    "PLAINTEXT",
    "Q",
    "S",
    "WBR",
    "PUBLIC:ATTACH",
    "PUBLIC:COMPONENT",
    "PUBLIC:EVENT",
    "PUBLIC:METHOD",
    "PUBLIC:PROPERTY",
};

constexpr size_t kMaxTagLen = 16;  // "PUBLIC:COMPONENT"

const char kszAsterisk[] = "*";
const char kszInvalid[] = "[Invalid Tag Name]";

// The tags by name: an open-addressed table keyed on the upper-case spelling, built once (thread-safe static
// initialisation). Every element a page or a script makes is looked up here, so a probe is a hash and, mostly, one
// comparison.
constexpr unsigned kSlots = 256;  // a power of two, over twice the tags
constexpr unsigned char kNoTag = 0xFF;
static_assert(kTagCount < kNoTag && 2 * kTagCount < kSlots, "the tag table is too small");

unsigned HashUpper(const char* mpsfUpper, size_t mnLen) {
    uint32_t uHash = 2166136261u;
    for (size_t i = 0; i < mnLen; ++i) uHash = (uHash ^ static_cast<unsigned char>(mpsfUpper[i])) * 16777619u;
    return uHash ^ (uHash >> 15);
}

struct TagTable {
    std::array<unsigned char, kSlots> _aucSlot;
    std::array<unsigned char, kTagCount> _aucLen;
};

const TagTable& Tags() {
    static const TagTable ktTable = [] {
        TagTable tTable;
        tTable._aucSlot.fill(kNoTag);
        for (int i = 0; i < kTagCount; ++i) {
            size_t nLen = std::strlen(kapszTags[i]);
            tTable._aucLen[i] = static_cast<unsigned char>(nLen);
            unsigned uSlot = HashUpper(kapszTags[i], nLen) & (kSlots - 1);
            while (tTable._aucSlot[uSlot] != kNoTag) uSlot = (uSlot + 1) & (kSlots - 1);
            tTable._aucSlot[uSlot] = static_cast<unsigned char>(i);
        }
        return tTable;
    }();
    return ktTable;
}

bool IsTagNameByte(unsigned char mucByte) {
    return mucByte > 0x20 && mucByte != 0x7F && mucByte != '<' && mucByte != '>' && mucByte != '/' && mucByte != '=' &&
           mucByte != '"' && mucByte != '\'';
}

}  // namespace

const char* xfpszKxwUtilGetTagNameBySubtype(int miSubtype) {
    if (miSubtype < kFirst || miSubtype > kLast) return nullptr;
    return kapszTags[miSubtype - kFirst];
}

int xfiKxwUtilGetSubtypeByTagName(const char* mpsfTagNameDcsStr, size_t mnLen) {
    if (!mpsfTagNameDcsStr && mnLen) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mpsfTagNameDcsStr is NULL for mnLen=%zu in "
                                              "xfiKxwUtilGetSubtypeByTagName",
                                              mnLen);
        return KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT;
    }
    if (mnLen == 0 || mnLen > kMaxTagLen) return KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT;
    char acUpper[kMaxTagLen + 1];
    for (size_t i = 0; i < mnLen; ++i) {
        char cChar = mpsfTagNameDcsStr[i];
        // A NUL inside the name would end the comparison early and match a shorter tag.
        if (cChar == '\0') return KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT;
        acUpper[i] = (cChar >= 'a' && cChar <= 'z') ? static_cast<char>(cChar - ('a' - 'A')) : cChar;
    }
    const TagTable& rtTags = Tags();
    for (unsigned uSlot = HashUpper(acUpper, mnLen) & (kSlots - 1);; uSlot = (uSlot + 1) & (kSlots - 1)) {
        unsigned char ucTag = rtTags._aucSlot[uSlot];
        if (ucTag == kNoTag) break;
        if (rtTags._aucLen[ucTag] == mnLen && std::memcmp(kapszTags[ucTag], acUpper, mnLen) == 0) return kFirst + ucTag;
    }
    return KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT;
}

// ---------------------------------------------------------------------------------------------------------------
// KxwUtilTagName

KxwUtilTagName::KxwUtilTagName() : _iSubtype(kInvalidSubtype), _psfName(""), _uLen(0), _psfOwned(nullptr) {}

KxwUtilTagName::KxwUtilTagName(int miSubtype) : KxwUtilTagName() {
    Set(miSubtype);
}

KxwUtilTagName::KxwUtilTagName(const char* mpsfTagNameDcsStr, size_t mnLen) : KxwUtilTagName() {
    Set(mpsfTagNameDcsStr, mnLen);
}

KxwUtilTagName::KxwUtilTagName(const KxwUtilTagName& mrtOther) : KxwUtilTagName() {
    *this = mrtOther;
}

KxwUtilTagName& KxwUtilTagName::operator=(const KxwUtilTagName& mrtOther) {
    if (&mrtOther == this) return *this;
    if (mrtOther._psfOwned) {
        Set(mrtOther._psfOwned, mrtOther._uLen);
    } else {
        FreeOwned();
        _iSubtype = mrtOther._iSubtype;
        _psfName = mrtOther._psfName;
        _uLen = mrtOther._uLen;
    }
    return *this;
}

KxwUtilTagName::~KxwUtilTagName() {
    FreeOwned();
}

void KxwUtilTagName::FreeOwned() {
    maw_free(_psfOwned);
    _psfOwned = nullptr;
}

void KxwUtilTagName::Invalidate() {
    FreeOwned();
    _iSubtype = kInvalidSubtype;
    _psfName = "";
    _uLen = 0;
}

void KxwUtilTagName::SetAsterisk() {
    FreeOwned();
    _iSubtype = KXW_DOM_COMMON_NODE_SUBTYPE_ASTERISK;
    _psfName = kszAsterisk;
    _uLen = 1;
}

bool KxwUtilTagName::Set(int miSubtype) {
    if (miSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_ASTERISK) {
        SetAsterisk();
        return true;
    }
    const char* pszTag = xfpszKxwUtilGetTagNameBySubtype(miSubtype);
    if (!pszTag) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid miSubtype=%d has no tag name in KxwUtilTagName::Set. this=%p",
                                              miSubtype, static_cast<void*>(this));
        Invalidate();
        return false;
    }
    FreeOwned();
    _iSubtype = miSubtype;
    _psfName = pszTag;
    _uLen = Tags()._aucLen[miSubtype - kFirst];
    return true;
}

bool KxwUtilTagName::Set(const char* mpsfTagNameDcsStr, size_t mnLen) {
    if (!mpsfTagNameDcsStr || mnLen == 0 || mnLen > 0xFFFF) {
        Invalidate();
        return false;
    }
    if (mnLen == 1 && mpsfTagNameDcsStr[0] == '*') {
        SetAsterisk();
        return true;
    }
    bool bHasPrefix = false;
    for (size_t i = 0; i < mnLen; ++i) {
        auto ucByte = static_cast<unsigned char>(mpsfTagNameDcsStr[i]);
        if (!IsTagNameByte(ucByte)) {
            Invalidate();
            return false;
        }
        if (ucByte == ':') bHasPrefix = true;
    }
    int iSubtype = xfiKxwUtilGetSubtypeByTagName(mpsfTagNameDcsStr, mnLen);
    if (iSubtype != KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT) return Set(iSubtype);

    // The name may be this tag's own copy, so the new copy is made before the old one goes.
    auto* psfCopy = static_cast<char*>(maw_malloc(mnLen + 1));
    if (!psfCopy) KxwUtilOutOfMemoryAbort(static_cast<long>(mnLen + 1), "a KxwUtilTagName name");
    std::memcpy(psfCopy, mpsfTagNameDcsStr, mnLen);
    psfCopy[mnLen] = '\0';
    FreeOwned();
    _psfOwned = psfCopy;
    _psfName = psfCopy;
    _uLen = static_cast<unsigned>(mnLen);
    _iSubtype =
        bHasPrefix ? KXW_DOM_COMMON_NODE_SUBTYPE_NAMESPACED_ELEMENT : KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT;
    return true;
}

bool KxwUtilTagName::IsAsterisk() const {
    return _iSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_ASTERISK;
}

const char* KxwUtilTagName::GetTagNameOrInvalidDcsStr() const {
    return IsValid() ? _psfName : kszInvalid;
}

bool KxwUtilTagName::operator==(const KxwUtilTagName& mrtOther) const {
    if (_iSubtype != mrtOther._iSubtype) return false;
    if (_iSubtype != KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT &&
        _iSubtype != KXW_DOM_COMMON_NODE_SUBTYPE_NAMESPACED_ELEMENT)
        return true;
    return xfbKxwUtilIsEqualIgnoreCase(_psfName, _uLen, mrtOther._psfName, mrtOther._uLen);
}

bool KxwUtilTagName::IsEqualIgnoringCase(const char* mpsfTagNameDcsStr, size_t mnLen) const {
    return IsValid() && xfbKxwUtilIsEqualIgnoreCase(_psfName, _uLen, mpsfTagNameDcsStr, mnLen);
}

bool KxwUtilTagName::Matches(const KxwUtilTagName& mrtElementTagName) const {
    if (!IsValid() || !mrtElementTagName.IsValid()) return false;
    if (IsAsterisk()) return !mrtElementTagName.IsAsterisk();
    return *this == mrtElementTagName;
}
