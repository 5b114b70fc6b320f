#include "KxwDomHtmlElementSimple.h"

#include <deque>

#include "KxwDomHtmlTextsStr.h"
#include "KxwDomTextRange.h"
#include "KxwJswClassInformation.h"

namespace {

enum KXW_SIMPLE_PARENT_ENUM { kParentElement, kParentBodyFrameSetBase, kParentStyleSheetContainer };

struct SimpleClassEntry {
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM _eSubtype;
    const char* _pszClassName;
    KXW_SIMPLE_PARENT_ENUM _eParent;
    const KxwJswMethodSpec* _patMethods = nullptr;  // null: none of its own
};

bool createTextRange_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return KxwDomTextRange::CreateTextRangeCall("KxwDomHtmlElementBody::createTextRange_callback", mptUserObj, mrtArgs);
}

const KxwJswMethodSpec katBodyMethods[] = {
    {"createTextRange", nullptr, nullptr, 0, createTextRange_callback},
    {nullptr, nullptr, nullptr, 0},
};

// The script class of each subtype served by the simple class.
const SimpleClassEntry katSimpleClasses[] = {
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HTML, "html", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY, "body", kParentBodyFrameSetBase, katBodyMethods},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DIV, "div", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SPAN, "span", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FRAMESET, "frameset", kParentBodyFrameSetBase},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_NOSCRIPT, "noscript", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PRE, "pre", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_UL, "ul", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FONT, "font", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_COL, "col", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_COLGROUP, "colgroup", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HEAD, "head", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LI, "li", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DIR, "dir", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OL, "ol", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_CODE, "code", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_CENTER, "center", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_CITE, "cite", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DL, "dl", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_H1, "h1", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_H2, "h2", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_H3, "h3", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_H4, "h4", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_H5, "h5", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_H6, "h6", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_I, "i", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SAMP, "samp", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SUB, "sub", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_U, "u", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BLOCKQUOTE, "blockQuote", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_INS, "ins", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DEL, "del", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LEGEND, "legend", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FIELDSET, "fieldset", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OPTGROUP, "optGroup", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BDO, "bdo", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HR, "hr", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_B, "b", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_EM, "em", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SUP, "sup", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_P, "p", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BR, "br", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SMALL, "Small", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_NOBR, "nobr", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_STRIKE, "strike", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TT, "tt", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_VAR, "Var", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_ACRONYM, "acronym", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_ADDRESS, "address", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BIG, "big", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DFN, "dfn", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DD, "dd", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DT, "dt", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_XMP, "xmp", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_STRONG, "strong", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_MARQUEE, "marquee", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_ABBR, "abbr", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BASEFONT, "basefont", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BGSOUND, "bgsound", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_CAPTION, "caption", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_ISINDEX, "isindex", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_KBD, "kbd", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LISTING, "listing", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_MENU, "menu", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_NEXTID, "nextid", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_NOFRAMES, "noframes", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PLAINTEXT, "plaintext", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_Q, "q", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_S, "s", kParentElement},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_WBR, "wbr", kParentElement},
};

const KxwJswPropertySpec katNoProperties[] = {{nullptr, 0, 0, nullptr}};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

constexpr int kSubtypeCount = KXW_DOM_COMMON_NODE_SUBTYPE_TEXT_COUNT;

// The descriptions, made once, indexed by subtype (null for the subtypes of other classes).
struct SimpleClassTable {
    SimpleClassTable() {
        for (const SimpleClassEntry& rtEntry : katSimpleClasses) {
            const KxwJswClassInformation* ptParent = &KxwDomHtmlElement::GetElementClassInformation();
            if (rtEntry._eParent == kParentBodyFrameSetBase)
                ptParent = &KxwDomHtmlElementSimple::GetBodyFrameSetBaseClassInformation();
            else if (rtEntry._eParent == kParentStyleSheetContainer)
                ptParent = &KxwDomHtmlElementSimple::GetStyleSheetContainerClassInformation();
            _tClasses.emplace_back(ptParent, rtEntry._pszClassName, katNoProperties,
                                   rtEntry._patMethods ? rtEntry._patMethods : katNoMethods);
            _aptBySubtype[rtEntry._eSubtype] = &_tClasses.back();
        }
    }
    std::deque<KxwJswClassInformation> _tClasses;  // a deque never moves what it holds
    const KxwJswClassInformation* _aptBySubtype[kSubtypeCount] = {};
};

const SimpleClassTable& Table() {
    static const SimpleClassTable ktTable;
    return ktTable;
}

}  // namespace

bool KxwDomHtmlElementSimple::IsSimpleSubtype(int miSubtype) {
    return miSubtype >= 0 && miSubtype < kSubtypeCount && Table()._aptBySubtype[miSubtype] != nullptr;
}

const KxwJswClassInformation* KxwDomHtmlElementSimple::GetClassInformation() const {
    int iSubtype = GetNodeSubtype();
    if (IsSimpleSubtype(iSubtype)) return Table()._aptBySubtype[iSubtype];
    return &GetElementClassInformation();
}

const KxwJswClassInformation& KxwDomHtmlElementSimple::GetBodyFrameSetBaseClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "bodyframesetbase", katNoProperties,
                                                    katNoMethods);
    return ktClassInfo;
}

const KxwJswClassInformation& KxwDomHtmlElementSimple::GetStyleSheetContainerClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "styleSheetContainer",
                                                    katNoProperties, katNoMethods);
    return ktClassInfo;
}

void KxwDomHtmlElementSimple::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM eSubtype = GetNodeSubtype();
    if (eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY ||
        eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FRAMESET) {
        // The page's body holds its window's handlers of these events: they are its attributes.
        auto* ptThis = const_cast<KxwDomHtmlElementSimple*>(this);
        for (KXW_DOM_EVENT_TYPE_ENUM eType : {KXW_DOM_EVENT_TYPE_ENUM_LOAD, KXW_DOM_EVENT_TYPE_ENUM_UNLOAD,
                                              KXW_DOM_EVENT_TYPE_ENUM_FOCUS, KXW_DOM_EVENT_TYPE_ENUM_BLUR}) {
            KxwDomEventTarget* ptHolder = ptThis->GetEventHandlerHolder(eType);
            if (ptHolder && ptHolder != this) ptHolder->GenerateHtmlEventHandler(mrtText, eType);
        }
    }
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}
