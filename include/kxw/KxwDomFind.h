// Element location as test steps use it: the description of one element (the second link with a text, the edit
// field of a name, the image whose source matches a pattern), searched in a window's page and then its frames.
// Texts are UTF-8. Ids, names, values, URLs and alts compare with their leading and trailing blanks set aside, link
// and element texts with runs of blanks folded, URLs in their absolute form; a regular expression (POSIX extended)
// matches anywhere in the value unless anchored. All calls are made on the thread of the virtual user that owns
// the window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kxw/KxwExport.h"

class KxwDomHtmlWindow;
class KxwDomNodeBase;

enum KXW_DOM_FIND_KIND_ENUM {
    KXW_DOM_FIND_ANCHOR = 0,    // an A with an href: id, name, text, href
    KXW_DOM_FIND_IMAGE_LINK,    // an IMG inside a link: id, name, alt, src, is-map
    KXW_DOM_FIND_STATIC_IMAGE,  // any IMG: id, name, alt, src
    KXW_DOM_FIND_BUTTON,        // a BUTTON: id, name, value, text
    KXW_DOM_FIND_INPUT,         // an INPUT of the input type: id, name, value, src, alt (radio: by group, then within)
    KXW_DOM_FIND_TEXTAREA,      // id, name
    KXW_DOM_FIND_SELECT,        // id, name, multiple
    KXW_DOM_FIND_TABLE,         // id, name
    KXW_DOM_FIND_GENERAL,       // any element: tag, id, name, text
    KXW_DOM_FIND_AREA,          // an AREA of a MAP: id, name, href, target, alt
    KXW_DOM_FIND_OPTION,        // an OPTION of a SELECT: text, selected
};

// One described attribute: not given (anything matches), a text, or a regular expression.
struct KxwDomFindText {
    std::string _dsValue;
    bool _bGiven = false;
    bool _bIsRegExp = false;
    void Set(std::string mdsValue, bool mbIsRegExp) {
        _dsValue = std::move(mdsValue);
        _bGiven = true;
        _bIsRegExp = mbIsRegExp;
    }
};

// A three-state test: 0 any, 1 true, 2 false.
struct KxwDomFindDescription {
    static constexpr int32_t kOrdinalRandom = INT32_MIN;

    KXW_DOM_FIND_KIND_ENUM _eKind = KXW_DOM_FIND_GENERAL;
    KxwDomFindText _tId, _tName, _tText, _tHref, _tAlt, _tSrc, _tValue, _tTag, _tTarget;
    std::string _dsInputType;      // KXW_DOM_FIND_INPUT: "text", "password", "checkbox", "radio", "submit", ...
    int32_t _iOrdinal = 1;         // 1-based within one document; kOrdinalRandom picks one of the matches
    int32_t _iGroupOrdinal = 1;    // radio buttons: which group of that name
    unsigned char _eIsMap = 0;     // image links
    unsigned char _eMultiple = 0;  // lists
    unsigned char _eSelected = 0;  // options
    // Custom entries: the element's attribute of that name, or else its script property ("Class" is className),
    // must match.
    struct Custom {
        std::string _dsName;
        std::string _dsValue;
        bool _bIsRegExp;
    };
    std::vector<Custom> _tCustom;
};

// The element the description names in the window's page or else, unless mbThisWindowOnly, in its frames (depth
// first, in document order; a frame without a page is passed over); the ordinal counts within one page at a time.
// Null when nothing matches or for bad arguments. AREA and OPTION are searched with xfptKxwDomFindWithin.
KXW_API KxwDomNodeBase* xfptKxwDomFindElement(KxwDomHtmlWindow* mptWindow, const KxwDomFindDescription& mrtDescription,
                                              bool mbThisWindowOnly);
// The AREA of a MAP, or the OPTION of a SELECT, that the description names; null when none does.
KXW_API KxwDomNodeBase* xfptKxwDomFindWithin(KxwDomNodeBase* mptContainer, const KxwDomFindDescription& mrtDescription);
