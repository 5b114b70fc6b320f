#include "kxw/KxwDomCommonEnums.h"

#include <cstring>

namespace {

const char* const kapszSubtypeTexts[KXW_DOM_COMMON_NODE_SUBTYPE_TEXT_COUNT] = {
    "[DOM object with no subtype]",
    "[\"Asterisk\" internal object]",
    "\"Attribute\" DOM object",
    "\"Comment\" DOM object",
    "\"DocumentFragment\" DOM object",
    "[\"ObjectManager\" internal object]",
    "\"Window\" DOM object",
    "\"Document\" DOM object",
    "\"EventListener\" DOM object",
    "\"Event\" DOM object",
    "\"RadioGroup\" internal object",
    "\"Style\" DOM object",
    "\"TextNode\" DOM object",
    "\"TextRectangle\" DOM object",
    "\"StyleSheet\" DOM object",
    "generic DOM element",
    "namespaced DOM element",
    "\"TITLE\" DOM element",
    "\"HTML\" DOM element",
    "\"A\" DOM element",
    "\"BODY\" DOM element",
    "\"BASE\" DOM element",
    "\"DIV\" DOM element",
    "\"SPAN\" DOM element",
    "\"TABLE\" DOM element",
    "\"THEAD\" DOM element",
    "\"TBODY\" DOM element",
    "\"TFOOT\" DOM element",
    "\"TD\" DOM element",
    "\"TH\" DOM element",
    "\"TR\" DOM element",
    "\"IMG\" DOM element",
    "\"FRAME\" DOM element",
    "\"FRAMESET\" DOM element",
    "\"IFRAME\" DOM element",
    "\"FORM\" DOM element",
    "\"INPUT\" DOM element",
    "\"BUTTON\" DOM element",
    "\"SELECT\" DOM element",
    "\"OPTION\" DOM element",
    "\"TEXTAREA\" DOM element",
    "\"NOSCRIPT\" DOM element",
    "\"MAP\" DOM element",
    "\"AREA\" DOM element",
    "\"SCRIPT\" DOM element",
    "\"XML\" DOM element",
    "\"OBJECT\" DOM element",
    "\"APPLET\" DOM element",
    "\"META\" DOM element",
    "\"LINK\" DOM element",
    "\"PRE\" DOM element",
    "\"UL\" DOM element",
    "\"FONT\" DOM element",
    "\"COL\" DOM element",
    "\"COLGROUP\" DOM element",
    "\"HEAD\" DOM element",
    "\"LI\" DOM element",
    "\"DIR\" DOM element",
    "\"OL\" DOM element",
    "\"CODE\" DOM element",
    "\"CENTER\" DOM element",
    "\"CITE\" DOM element",
    "\"DL\" DOM element",
    "\"H1\" DOM element",
    "\"H2\" DOM element",
    "\"H3\" DOM element",
    "\"H4\" DOM element",
    "\"H5\" DOM element",
    "\"H6\" DOM element",
    "\"I\" DOM element",
    "\"SAMP\" DOM element",
    "\"SUB\" DOM element",
    "\"U\" DOM element",
    "\"BLOCKQUOTE\" DOM element",
    "\"INS\" DOM element",
    "\"DEL\" DOM element",
    "\"LABEL\" DOM element",
    "\"LEGEND\" DOM element",
    "\"FIELDSET\" DOM element",
    "\"OPTGROUP\" DOM element",
    "\"BDO\" DOM element",
    "\"HR\" DOM element",
    "\"B\" DOM element",
    "\"STYLE\" DOM element",
    "\"EM\" DOM element",
    "\"SUP\" DOM element",
    "\"P\" DOM element",
    "\"BR\" DOM element",
    "\"SMALL\" DOM element",
    "\"COMMENT\" DOM element",
    "\"NOBR\" DOM element",
    "\"STRIKE\" DOM element",
    "\"TT\" DOM element",
    "\"VAR\" DOM element",
    "\"ACRONYM\" DOM element",
    "\"ADDRESS\" DOM element",
    "\"BIG\" DOM element",
    "\"DFN\" DOM element",
    "\"DD\" DOM element",
    "\"DT\" DOM element",
    "\"XMP\" DOM element",
    "\"STRONG\" DOM element",
    "\"PARAM\" DOM element",
    "\"MARQUEE\" DOM element",
    "\"EMBED\" DOM element",
    "\"ABBR\" DOM element",
    "\"BASEFONT\" DOM element",
    "\"BGSOUND\" DOM element",
    "\"CAPTION\" DOM element",
    "\"ISINDEX\" DOM element",
    "\"KBD\" DOM element",
    "\"LISTING\" DOM element",
    "\"MENU\" DOM element",
    "\"NEXTID\" DOM element",
    "\"NOFRAMES\" DOM element",
    "\"PLAINTEXT\" DOM element",
    "\"Q\" DOM element",
    "\"S\" DOM element",
    "\"WBR\" DOM element",
    "\"PUBLIC:ATTACH\" DOM element",
    "\"PUBLIC:COMPONENT\" DOM element",
    "\"PUBLIC:EVENT\" DOM element",
    "\"PUBLIC:METHOD\" DOM element",
    "\"PUBLIC:PROPERTY\" DOM element",
    "[Invalid Subtype]",
};

const char16_t* const kapwszReadyStates[] = {u"uninitialized", u"loading", u"loaded", u"interactive", u"complete"};
const unsigned kauReadyStateLens[] = {13, 7, 6, 11, 8};

const char* const kapszEventNames[KXW_DOM_EVENT_TYPE_COUNT + 1] = {
    "ABORT", "ACTIVATE", "AFTERPRINT", "AFTERUPDATE", "BEFOREACTIVATE", "BEFORECOPY", "BEFORECUT", "BEFOREDEACTIVATE",
    "BEFOREEDITFOCUS", "BEFOREPASTE", "BEFOREPRINT", "BEFOREUNLOAD", "BEFOREUPDATE", "BLUR", "BOUNCE", "CELLCHANGE",
    "CHANGE", "CLICK", "CONTENTREADY", "CONTEXTMENU", "CONTROLSELECT", "COPY", "CUT", "DATAAVAILABLE",
    "DATASETCHANGED", "DATASETCOMPLETE", "DBLCLICK", "DEACTIVATE", "DRAG", "DRAGEND", "DRAGENTER", "DRAGLEAVE",
    "DRAGOVER", "DRAGSTART", "DROP", "ERROR", "ERRORUPDATE", "FILTERCHANGE", "FINISH", "FOCUS", "FOCUSIN", "FOCUSOUT",
    "HELP", "KEYDOWN", "KEYPRESS", "KEYUP", "LAYOUTCOMPLETE", "LOAD", "LOSECAPTURE", "MOUSEDOWN", "MOUSEENTER",
    "MOUSELEAVE", "MOUSEMOVE", "MOUSEOUT", "MOUSEOVER", "MOUSEUP", "MOUSEWHEEL", "MOVE", "MOVEEND", "MOVESTART",
    "PASTE", "PROPERTYCHANGE", "READYSTATECHANGE", "RESET", "RESIZE", "RESIZEEND", "RESIZESTART", "ROWENTER",
    "ROWEXIT", "ROWSDELETE", "ROWSINSERTED", "SCROLL", "SELECT", "SELECTIONCHANGE", "SELECTSTART", "START", "STOP",
    "SUBMIT", "UNLOAD", "",
};

const char* const kapszEventHandlerNames[KXW_DOM_EVENT_TYPE_COUNT + 1] = {
    "onabort", "onactivate", "onafterprint", "onafterupdate", "onbeforeactivate", "onbeforecopy", "onbeforecut",
    "onbeforedeactivate", "onbeforeeditfocus", "onbeforepaste", "onbeforeprint", "onbeforeunload", "onbeforeupdate",
    "onblur", "onbounce", "oncellchange", "onchange", "onclick", "oncontentready", "oncontextmenu", "oncontrolselect",
    "oncopy", "oncut", "ondataavailable", "ondatasetchanged", "ondatasetcomplete", "ondblclick", "ondeactivate",
    "ondrag", "ondragend", "ondragenter", "ondragleave", "ondragover", "ondragstart", "ondrop", "onerror",
    "onerrorupdate", "onfilterchange", "onfinish", "onfocus", "onfocusin", "onfocusout", "onhelp", "onkeydown",
    "onkeypress", "onkeyup", "onlayoutcomplete", "onload", "onlosecapture", "onmousedown", "onmouseenter",
    "onmouseleave", "onmousemove", "onmouseout", "onmouseover", "onmouseup", "onmousewheel", "onmove", "onmoveend",
    "onmovestart", "onpaste", "onpropertychange", "onreadystatechange", "onreset", "onresize", "onresizeend",
    "onresizestart", "onrowenter", "onrowexit", "onrowsdelete", "onrowsinserted", "onscroll", "onselect",
    "onselectionchange", "onselectstart", "onstart", "onstop", "onsubmit", "onunload", "",
};

// Events that stay at their target.
const bool kabEventStaysAtTarget[KXW_DOM_EVENT_TYPE_COUNT + 1] = {
    false, false, true, false, false, false, false, false, false, false, true, true, false, true, true, false, true,
    false, true, false, false, false, false, false, false, false, false, false, false, false, false, false, false,
    false, false, true, false, true, true, true, false, false, false, false, false, false, false, true, true, false,
    true, true, false, false, false, false, false, false, false, false, false, true, true, false, true, false, false,
    false, true, false, false, true, false, true, false, true, true, true, true, true,
};

bool IsEventType(int miEventType) { return miEventType >= 0 && miEventType < KXW_DOM_EVENT_TYPE_COUNT; }

}  // namespace

const char* xfpszKxwDomGetNodeSubtypeText(int miSubtype) {
    if (miSubtype < 0 || miSubtype > KXW_DOM_COMMON_NODE_SUBTYPE_INVALID)
        miSubtype = KXW_DOM_COMMON_NODE_SUBTYPE_INVALID;
    return kapszSubtypeTexts[miSubtype];
}

const char16_t* xfpwszKxwDomGetReadyStateU16nStr(KXW_DOM_HTML_READY_STATE_ENUM meReadyState) {
    return kapwszReadyStates[xfbKxwDomIsReadyStateValid(meReadyState) ? meReadyState
                                                                      : KXW_DOM_HTML_READY_STATE_COMPLETE];
}

unsigned xfuKxwDomGetReadyStateU16nLenInChars(KXW_DOM_HTML_READY_STATE_ENUM meReadyState) {
    return kauReadyStateLens[xfbKxwDomIsReadyStateValid(meReadyState) ? meReadyState
                                                                      : KXW_DOM_HTML_READY_STATE_COMPLETE];
}

const char* xfpszKxwDomGetEventName(int miEventType) {
    return kapszEventNames[IsEventType(miEventType) ? miEventType : KXW_DOM_EVENT_TYPE_COUNT];
}

const char* xfpszKxwDomGetEventHandlerName(int miEventType) {
    return kapszEventHandlerNames[IsEventType(miEventType) ? miEventType : KXW_DOM_EVENT_TYPE_COUNT];
}

unsigned xfuKxwDomGetEventHandlerNameLen(int miEventType) {
    return IsEventType(miEventType) ? static_cast<unsigned>(std::strlen(kapszEventHandlerNames[miEventType])) : 0;
}

bool xfbKxwDomIsEventBubbling(int miEventType) {
    return IsEventType(miEventType) && !kabEventStaysAtTarget[miEventType];
}

KXW_DOM_EVENT_TYPE_ENUM xfeKxwDomGetEventEnum(const char* mpsfName, unsigned mnLen) {
    constexpr unsigned knMaxNameLen = 16;
    if (!mpsfName || mnLen == 0 || mnLen > knMaxNameLen) return KXW_DOM_EVENT_TYPE_ENUM_NONE;
    char acUpper[knMaxNameLen + 1];
    for (unsigned n = 0; n < mnLen; ++n) {
        char c = mpsfName[n];
        if (c == '\0') return KXW_DOM_EVENT_TYPE_ENUM_NONE;
        acUpper[n] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    acUpper[mnLen] = '\0';
    // The names are sorted: a binary search.
    int iLow = 0, iHigh = KXW_DOM_EVENT_TYPE_COUNT - 1;
    while (iLow <= iHigh) {
        int iMiddle = (iLow + iHigh) / 2;
        int iOrder = std::strcmp(acUpper, kapszEventNames[iMiddle]);
        if (iOrder == 0) return static_cast<KXW_DOM_EVENT_TYPE_ENUM>(iMiddle);
        if (iOrder < 0) iHigh = iMiddle - 1;
        else iLow = iMiddle + 1;
    }
    return KXW_DOM_EVENT_TYPE_ENUM_NONE;
}
