#include "KxwiHtmlParser.h"

#include <climits>
#include <cstring>
#include <new>

#include "KxwUtilReport.h"

namespace {

// ---------------------------------------------------------------------------------------------------------------
// The element table

#define KXWI_SGML_ATTRS(list) list, static_cast<int>(sizeof(list) / sizeof(list[0]))

constexpr const char* kapszCommon[] = {"CLASS", "DIR", "ID", "LANG", "STYLE", "TITLE"};
constexpr const char* kapszAlign[] = {"ALIGN", "CLASS", "DIR", "ID", "LANG", "STYLE", "TITLE"};
constexpr const char* kapszA[] = {"ACCESSKEY", "CHARSET", "CLASS",    "COORDS", "DIR",   "HREF",
                                  "HREFLANG",  "ID",      "LANG",     "NAME",   "REL",   "REV",
                                  "SHAPE",     "STYLE",   "TABINDEX", "TARGET", "TITLE", "TYPE"};
constexpr const char* kapszApplet[] = {"ALIGN", "ALT",    "ARCHIVE", "CLASS", "CODE",   "CODEBASE",
                                       "DIR",   "HEIGHT", "HSPACE",  "ID",    "LANG",   "MAYSCRIPT",
                                       "NAME",  "OBJECT", "STYLE",   "TITLE", "VSPACE", "WIDTH"};
constexpr const char* kapszArea[] = {"ACCESSKEY", "ALT",    "CLASS", "COORDS", "DIR",      "HREF",   "ID",
                                     "LANG",      "NOHREF", "SHAPE", "STYLE",  "TABINDEX", "TARGET", "TITLE"};
constexpr const char* kapszBase[] = {"HREF", "TARGET"};
constexpr const char* kapszBaseFont[] = {"COLOR", "FACE", "ID", "SIZE"};
constexpr const char* kapszBgSound[] = {"BALANCE", "ID", "LOOP", "SRC", "VOLUME"};
constexpr const char* kapszBody[] = {"ALINK", "BACKGROUND", "BGCOLOR",  "CLASS", "DIR",  "ID",    "LANG",
                                     "LINK",  "ONLOAD",     "ONUNLOAD", "STYLE", "TEXT", "TITLE", "VLINK"};
constexpr const char* kapszBr[] = {"CLASS", "CLEAR", "ID", "STYLE", "TITLE"};
constexpr const char* kapszButton[] = {"ACCESSKEY", "CLASS", "DIR",      "DISABLED", "ID",   "LANG",
                                       "NAME",      "STYLE", "TABINDEX", "TITLE",    "TYPE", "VALUE"};
constexpr const char* kapszCol[] = {"ALIGN", "CHAR", "CHAROFF", "CLASS", "DIR",    "ID",
                                    "LANG",  "SPAN", "STYLE",   "TITLE", "VALIGN", "WIDTH"};
constexpr const char* kapszEdit[] = {"CITE", "CLASS", "DATETIME", "DIR", "ID", "LANG", "STYLE", "TITLE"};
constexpr const char* kapszEmbed[] = {"ALIGN", "HEIGHT", "HIDDEN", "ID", "NAME", "PLUGINSPAGE", "SRC", "TYPE", "WIDTH"};
constexpr const char* kapszFont[] = {"CLASS", "COLOR", "DIR", "FACE", "ID", "LANG", "SIZE", "STYLE", "TITLE"};
constexpr const char* kapszForm[] = {"ACCEPT", "ACCEPT-CHARSET", "ACTION", "CLASS", "DIR",     "ENCTYPE",
                                     "ID",     "LANG",           "METHOD", "NAME",  "ONRESET", "ONSUBMIT",
                                     "STYLE",  "TARGET",         "TITLE"};
constexpr const char* kapszFrame[] = {"CLASS", "FRAMEBORDER", "ID",        "LONGDESC", "MARGINHEIGHT", "MARGINWIDTH",
                                      "NAME",  "NORESIZE",    "SCROLLING", "SRC",      "STYLE",        "TITLE"};
constexpr const char* kapszFrameSet[] = {"CLASS", "COLS", "ID", "ONLOAD", "ONUNLOAD", "ROWS", "STYLE", "TITLE"};
constexpr const char* kapszHead[] = {"DIR", "LANG", "PROFILE"};
constexpr const char* kapszHr[] = {"ALIGN", "CLASS", "ID", "NOSHADE", "SIZE", "STYLE", "TITLE", "WIDTH"};
constexpr const char* kapszHtml[] = {"DIR", "LANG", "VERSION"};
constexpr const char* kapszIFrame[] = {"ALIGN",    "CLASS",        "FRAMEBORDER", "HEIGHT", "ID",
                                       "LONGDESC", "MARGINHEIGHT", "MARGINWIDTH", "NAME",   "SCROLLING",
                                       "SRC",      "STYLE",        "TITLE",       "WIDTH"};
constexpr const char* kapszImg[] = {"ALIGN",  "ALT",   "BORDER", "CLASS",  "DIR",      "HEIGHT",
                                    "HSPACE", "ID",    "ISMAP",  "LANG",   "LONGDESC", "NAME",
                                    "SRC",    "STYLE", "TITLE",  "USEMAP", "VSPACE",   "WIDTH"};
constexpr const char* kapszInput[] = {"ACCEPT", "ACCESSKEY", "ALIGN",  "ALT",   "CHECKED", "CLASS",
                                      "DIR",    "DISABLED",  "ID",     "ISMAP", "LANG",    "MAXLENGTH",
                                      "NAME",   "READONLY",  "SIZE",   "SRC",   "STYLE",   "TABINDEX",
                                      "TITLE",  "TYPE",      "USEMAP", "VALUE"};
constexpr const char* kapszIsIndex[] = {"ACTION", "CLASS", "DIR", "ID", "LANG", "PROMPT", "STYLE", "TITLE"};
constexpr const char* kapszLabel[] = {"ACCESSKEY", "CLASS", "DIR", "FOR", "ID", "LANG", "STYLE", "TITLE"};
constexpr const char* kapszLink[] = {"CHARSET", "CLASS", "DIR", "HREF",  "HREFLANG", "ID",    "LANG",
                                     "MEDIA",   "REL",   "REV", "STYLE", "TARGET",   "TITLE", "TYPE"};
constexpr const char* kapszList[] = {"CLASS", "COMPACT", "DIR",   "ID",   "LANG",
                                     "START", "STYLE",   "TITLE", "TYPE", "VALUE"};
constexpr const char* kapszMap[] = {"CLASS", "DIR", "ID", "LANG", "NAME", "STYLE", "TITLE"};
constexpr const char* kapszMarquee[] = {"BEHAVIOR", "BGCOLOR",      "CLASS",       "DIRECTION", "HEIGHT", "ID",
                                        "LOOP",     "SCROLLAMOUNT", "SCROLLDELAY", "STYLE",     "TITLE",  "WIDTH"};
constexpr const char* kapszMeta[] = {"CONTENT", "DIR", "HTTP-EQUIV", "LANG", "NAME", "SCHEME"};
constexpr const char* kapszNextId[] = {"N"};
constexpr const char* kapszObject[] = {"ALIGN",    "ARCHIVE", "BORDER",  "CLASS",   "CLASSID", "CODEBASE",
                                       "CODETYPE", "DATA",    "DECLARE", "DIR",     "HEIGHT",  "HSPACE",
                                       "ID",       "LANG",    "NAME",    "STANDBY", "STYLE",   "TABINDEX",
                                       "TITLE",    "TYPE",    "USEMAP",  "VSPACE",  "WIDTH"};
constexpr const char* kapszOptGroup[] = {"CLASS", "DIR", "DISABLED", "ID", "LABEL", "LANG", "STYLE", "TITLE"};
constexpr const char* kapszOption[] = {"CLASS", "DIR",      "DISABLED", "ID",    "LABEL",
                                       "LANG",  "SELECTED", "STYLE",    "TITLE", "VALUE"};
constexpr const char* kapszParam[] = {"ID", "NAME", "TYPE", "VALUE", "VALUETYPE"};
constexpr const char* kapszPre[] = {"CLASS", "DIR", "ID", "LANG", "STYLE", "TITLE", "WIDTH"};
constexpr const char* kapszQuote[] = {"CITE", "CLASS", "DIR", "ID", "LANG", "STYLE", "TITLE"};
constexpr const char* kapszScript[] = {"CHARSET", "DEFER", "EVENT", "FOR", "ID", "LANGUAGE", "SRC", "TYPE"};
constexpr const char* kapszSelect[] = {"CLASS", "DIR",  "DISABLED", "ID",       "LANG", "MULTIPLE",
                                       "NAME",  "SIZE", "STYLE",    "TABINDEX", "TITLE"};
constexpr const char* kapszStyle[] = {"DIR", "LANG", "MEDIA", "TITLE", "TYPE"};
constexpr const char* kapszTable[] = {"ALIGN", "BGCOLOR", "BORDER",  "CELLPADDING", "CELLSPACING",
                                      "CLASS", "DIR",     "FRAME",   "ID",          "LANG",
                                      "RULES", "STYLE",   "SUMMARY", "TITLE",       "WIDTH"};
constexpr const char* kapszCell[] = {"ABBR",    "ALIGN", "AXIS",    "BGCOLOR", "CHAR",   "CHAROFF", "CLASS",
                                     "COLSPAN", "DIR",   "HEADERS", "HEIGHT",  "ID",     "LANG",    "NOWRAP",
                                     "ROWSPAN", "SCOPE", "STYLE",   "TITLE",   "VALIGN", "WIDTH"};
constexpr const char* kapszRow[] = {"ALIGN", "BGCOLOR", "CHAR",  "CHAROFF", "CLASS", "DIR",
                                    "ID",    "LANG",    "STYLE", "TITLE",   "VALIGN"};
constexpr const char* kapszTextArea[] = {"ACCESSKEY", "CLASS",    "COLS", "DIR",   "DISABLED", "ID",   "LANG",
                                         "NAME",      "READONLY", "ROWS", "STYLE", "TABINDEX", "TITLE"};
constexpr const char* kapszTitle[] = {"DIR", "LANG"};
constexpr const char* kapszXml[] = {"ID", "SRC"};
// The declarations of a behaviour file. TAGNAME must stay the third attribute of PUBLIC:COMPONENT.
constexpr const char* kapszAttach[] = {"EVENT", "FOR", "ID", "ONEVENT"};
constexpr const char* kapszComponent[] = {"ID", "NAME", "TAGNAME", "LIGHTWEIGHT", "LITERALCONTENT", "URN"};
constexpr const char* kapszEvent[] = {"ID", "NAME"};
constexpr const char* kapszMethod[] = {"ID", "INTERNALNAME", "NAME"};
constexpr const char* kapszProperty[] = {"GET", "ID", "INTERNALNAME", "NAME", "PUT", "VALUE"};

constexpr KXWI_HTML_TEXT_MODE_ENUM kData = KXWI_HTML_TEXT_MODE_DATA;
constexpr KXWI_HTML_TEXT_MODE_ENUM kRaw = KXWI_HTML_TEXT_MODE_RAWTEXT;
constexpr KXWI_HTML_TEXT_MODE_ENUM kRcData = KXWI_HTML_TEXT_MODE_RCDATA;
constexpr KXWI_HTML_TEXT_MODE_ENUM kPlain = KXWI_HTML_TEXT_MODE_PLAINTEXT;

// Sorted by name in byte order; the index of an element is its number.
constexpr KxwiSgmlElement katElements[] = {
    {"A", KXWI_SGML_ATTRS(kapszA), false, kData},
    {"ABBR", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"ACRONYM", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"ADDRESS", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"APPLET", KXWI_SGML_ATTRS(kapszApplet), false, kData},
    {"AREA", KXWI_SGML_ATTRS(kapszArea), true, kData},
    {"B", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"BASE", KXWI_SGML_ATTRS(kapszBase), true, kData},
    {"BASEFONT", KXWI_SGML_ATTRS(kapszBaseFont), true, kData},
    {"BDO", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"BGSOUND", KXWI_SGML_ATTRS(kapszBgSound), true, kData},
    {"BIG", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"BLINK", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"BLOCKQUOTE", KXWI_SGML_ATTRS(kapszQuote), false, kData},
    {"BODY", KXWI_SGML_ATTRS(kapszBody), false, kData},
    {"BR", KXWI_SGML_ATTRS(kapszBr), true, kData},
    {"BUTTON", KXWI_SGML_ATTRS(kapszButton), false, kData},
    {"CAPTION", KXWI_SGML_ATTRS(kapszAlign), false, kData},
    {"CENTER", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"CITE", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"CODE", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"COL", KXWI_SGML_ATTRS(kapszCol), true, kData},
    {"COLGROUP", KXWI_SGML_ATTRS(kapszCol), false, kData},
    {"COMMENT", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"DD", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"DEL", KXWI_SGML_ATTRS(kapszEdit), false, kData},
    {"DFN", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"DIR", KXWI_SGML_ATTRS(kapszList), false, kData},
    {"DIV", KXWI_SGML_ATTRS(kapszAlign), false, kData},
    {"DL", KXWI_SGML_ATTRS(kapszList), false, kData},
    {"DT", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"EM", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"EMBED", KXWI_SGML_ATTRS(kapszEmbed), true, kData},
    {"FIELDSET", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"FONT", KXWI_SGML_ATTRS(kapszFont), false, kData},
    {"FORM", KXWI_SGML_ATTRS(kapszForm), false, kData},
    {"FRAME", KXWI_SGML_ATTRS(kapszFrame), true, kData},
    {"FRAMESET", KXWI_SGML_ATTRS(kapszFrameSet), false, kData},
    {"H1", KXWI_SGML_ATTRS(kapszAlign), false, kData},
    {"H2", KXWI_SGML_ATTRS(kapszAlign), false, kData},
    {"H3", KXWI_SGML_ATTRS(kapszAlign), false, kData},
    {"H4", KXWI_SGML_ATTRS(kapszAlign), false, kData},
    {"H5", KXWI_SGML_ATTRS(kapszAlign), false, kData},
    {"H6", KXWI_SGML_ATTRS(kapszAlign), false, kData},
    {"HEAD", KXWI_SGML_ATTRS(kapszHead), false, kData},
    {"HR", KXWI_SGML_ATTRS(kapszHr), true, kData},
    {"HTML", KXWI_SGML_ATTRS(kapszHtml), false, kData},
    {"I", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"IFRAME", KXWI_SGML_ATTRS(kapszIFrame), false, kData},
    {"IMG", KXWI_SGML_ATTRS(kapszImg), true, kData},
    {"INPUT", KXWI_SGML_ATTRS(kapszInput), true, kData},
    {"INS", KXWI_SGML_ATTRS(kapszEdit), false, kData},
    {"ISINDEX", KXWI_SGML_ATTRS(kapszIsIndex), true, kData},
    {"KBD", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"LABEL", KXWI_SGML_ATTRS(kapszLabel), false, kData},
    {"LEGEND", KXWI_SGML_ATTRS(kapszAlign), false, kData},
    {"LI", KXWI_SGML_ATTRS(kapszList), false, kData},
    {"LINK", KXWI_SGML_ATTRS(kapszLink), true, kData},
    {"LISTING", KXWI_SGML_ATTRS(kapszPre), false, kData},
    {"MAP", KXWI_SGML_ATTRS(kapszMap), false, kData},
    {"MARQUEE", KXWI_SGML_ATTRS(kapszMarquee), false, kData},
    {"MENU", KXWI_SGML_ATTRS(kapszList), false, kData},
    {"META", KXWI_SGML_ATTRS(kapszMeta), true, kData},
    {"NEXTID", KXWI_SGML_ATTRS(kapszNextId), true, kData},
    {"NOBR", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"NOEMBED", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"NOFRAMES", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"NOSCRIPT", KXWI_SGML_ATTRS(kapszCommon), false, kRaw},
    {"OBJECT", KXWI_SGML_ATTRS(kapszObject), false, kData},
    {"OL", KXWI_SGML_ATTRS(kapszList), false, kData},
    {"OPTGROUP", KXWI_SGML_ATTRS(kapszOptGroup), false, kData},
    {"OPTION", KXWI_SGML_ATTRS(kapszOption), false, kData},
    {"P", KXWI_SGML_ATTRS(kapszAlign), false, kData},
    {"PARAM", KXWI_SGML_ATTRS(kapszParam), true, kData},
    {"PLAINTEXT", KXWI_SGML_ATTRS(kapszPre), false, kPlain},
    {"PRE", KXWI_SGML_ATTRS(kapszPre), false, kData},
    {"PUBLIC:ATTACH", KXWI_SGML_ATTRS(kapszAttach), true, kData},
    {"PUBLIC:COMPONENT", KXWI_SGML_ATTRS(kapszComponent), false, kData},
    {"PUBLIC:EVENT", KXWI_SGML_ATTRS(kapszEvent), true, kData},
    {"PUBLIC:METHOD", KXWI_SGML_ATTRS(kapszMethod), true, kData},
    {"PUBLIC:PROPERTY", KXWI_SGML_ATTRS(kapszProperty), true, kData},
    {"Q", KXWI_SGML_ATTRS(kapszQuote), false, kData},
    {"S", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"SAMP", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"SCRIPT", KXWI_SGML_ATTRS(kapszScript), false, kRaw},
    {"SELECT", KXWI_SGML_ATTRS(kapszSelect), false, kData},
    {"SMALL", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"SPAN", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"STRIKE", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"STRONG", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"STYLE", KXWI_SGML_ATTRS(kapszStyle), false, kRaw},
    {"SUB", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"SUP", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"TABLE", KXWI_SGML_ATTRS(kapszTable), false, kData},
    {"TBODY", KXWI_SGML_ATTRS(kapszRow), false, kData},
    {"TD", KXWI_SGML_ATTRS(kapszCell), false, kData},
    {"TEXTAREA", KXWI_SGML_ATTRS(kapszTextArea), false, kRcData},
    {"TFOOT", KXWI_SGML_ATTRS(kapszRow), false, kData},
    {"TH", KXWI_SGML_ATTRS(kapszCell), false, kData},
    {"THEAD", KXWI_SGML_ATTRS(kapszRow), false, kData},
    {"TITLE", KXWI_SGML_ATTRS(kapszTitle), false, kRcData},
    {"TR", KXWI_SGML_ATTRS(kapszRow), false, kData},
    {"TT", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"U", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"UL", KXWI_SGML_ATTRS(kapszList), false, kData},
    {"VAR", KXWI_SGML_ATTRS(kapszCommon), false, kData},
    {"WBR", KXWI_SGML_ATTRS(kapszCommon), true, kData},
    {"XML", KXWI_SGML_ATTRS(kapszXml), false, kData},
    {"XMP", KXWI_SGML_ATTRS(kapszPre), false, kRaw},
};

#undef KXWI_SGML_ATTRS

constexpr int kElementCount = static_cast<int>(sizeof(katElements) / sizeof(katElements[0]));

// The numbers the library relies on, checked where the table is written.
constexpr bool IsSameText(const char* mpsz1, const char* mpsz2) {
    return *mpsz1 == *mpsz2 && (*mpsz1 == '\0' || IsSameText(mpsz1 + 1, mpsz2 + 1));
}
static_assert(IsSameText(katElements[KXWI_SGML_ELEMENT_PUBLIC_COMPONENT]._pszName, "PUBLIC:COMPONENT"),
              "element 77 is the component declaration");
static_assert(IsSameText(kapszComponent[KXWI_SGML_PUBLIC_COMPONENT_ATTR_TAGNAME], "TAGNAME"),
              "attribute 2 of the component declaration names the tag");

const KxwiSgmlDtd ktHtmlDtd = {"HTML", katElements, kElementCount};

int CompareUpper(const char* mpszTableName, const char* mpsfName, size_t mnLen) {
    for (size_t i = 0; i < mnLen; ++i) {
        auto ucTable = static_cast<unsigned char>(mpszTableName[i]);
        auto ucName = static_cast<unsigned char>(mpsfName[i]);
        if (ucName >= 'a' && ucName <= 'z') ucName = static_cast<unsigned char>(ucName - ('a' - 'A'));
        if (ucTable == 0) return -1;
        if (ucTable != ucName) return ucTable < ucName ? -1 : 1;
    }
    return mpszTableName[mnLen] == '\0' ? 0 : 1;
}

bool IsEqualIgnoringAsciiCase(const char* mpszUpper, const char* mpsfName, size_t mnLen) {
    return CompareUpper(mpszUpper, mpsfName, mnLen) == 0;
}

int ClampLen(size_t mnLen) {
    return mnLen > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(mnLen);
}

// ---------------------------------------------------------------------------------------------------------------
// The context

constexpr unsigned kScannerMagic = 0x4B534731u;

class KxwiSgmlScanner : public KxwiSgmlContext, private KxwiHtmlTokenSink {
public:
    KxwiSgmlScanner(const KxwiSgmlDtd* mptDtd, KxwiSgmlTarget* mptTarget);
    ~KxwiSgmlScanner() override { _uMagic = 0; }

    // The scanner behind a context handed back by the caller; null (reported) for anything else.
    static KxwiSgmlScanner* FromContext(KxwiSgmlContext* mptContext, const char* mpszCaller);

    int Feed(const char* mpsfText, size_t mnLen, bool mbEndOfText);
    int EndOfText();
    void Reset();
    int Free(bool mbAbort, int miReason);
    int GetLine() const { return _tTokenizer.GetLine(); }
    void SetU16nHandler(KxwU16nHandler* mptU16nHandler) { _tTokenizer.SetU16nHandler(mptU16nHandler); }

    static const KxwiSgmlStreamOps ktOps;

private:
    void OnToken(KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) override;
    void StartElement(KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken, int miElement);
    bool Check(int miResult) {
        if (miResult < 0) _bStopped = true;
        return !_bStopped;
    }
    // Runs the tokenizer and frees the scanner afterwards when the target asked for that from a callback.
    template <typename F>
    int Guarded(F mfWork);

    unsigned _uMagic = kScannerMagic;
    const KxwiSgmlDtd* _ptDtd;
    KxwiSgmlTarget* _ptTarget;
    KxwiHtmlTokenizer _tTokenizer;
    bool _bStopped = false;    // the target stopped this text
    bool _bInCall = false;     // the tokenizer is running
    bool _bFreeLater = false;  // freed by the target from inside a callback
    KxwiHtmlBuf<unsigned char> _tPresent;
    KxwiHtmlBuf<const char*> _tValues;
    KxwiHtmlBuf<size_t> _tValueOffsets;
    KxwiHtmlBuf<char> _tValueText;
};

int OpFree(KxwiSgmlContext* mptContext) {
    KxwiSgmlScanner* ptScanner = KxwiSgmlScanner::FromContext(mptContext, "free");
    return ptScanner ? ptScanner->Free(false, 0) : -1;
}
int OpAbort(KxwiSgmlContext* mptContext, int miReason) {
    KxwiSgmlScanner* ptScanner = KxwiSgmlScanner::FromContext(mptContext, "abort");
    return ptScanner ? ptScanner->Free(true, miReason) : -1;
}
int OpPutCharacter(KxwiSgmlContext* mptContext, char mcChar) {
    KxwiSgmlScanner* ptScanner = KxwiSgmlScanner::FromContext(mptContext, "put character");
    return ptScanner ? ptScanner->Feed(&mcChar, 1, false) : -1;
}
int OpPutString(KxwiSgmlContext* mptContext, const char* mpszText) {
    KxwiSgmlScanner* ptScanner = KxwiSgmlScanner::FromContext(mptContext, "put string");
    if (!ptScanner) return -1;
    if (!mpszText) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mpszText is NULL in the put-string operation of the SGML context %p",
                                              static_cast<void*>(mptContext));
        return -1;
    }
    return ptScanner->Feed(mpszText, std::strlen(mpszText), false);
}
int OpEndOfText(KxwiSgmlContext* mptContext) {
    KxwiSgmlScanner* ptScanner = KxwiSgmlScanner::FromContext(mptContext, "end of text");
    return ptScanner ? ptScanner->EndOfText() : -1;
}
int OpGetLine(KxwiSgmlContext* mptContext) {
    KxwiSgmlScanner* ptScanner = KxwiSgmlScanner::FromContext(mptContext, "get line");
    return ptScanner ? ptScanner->GetLine() : -1;
}
int OpPutBlock(KxwiSgmlContext* mptContext, const char* mpsfText, int miLen, int miFlags) {
    KxwiSgmlScanner* ptScanner = KxwiSgmlScanner::FromContext(mptContext, "put block");
    if (!ptScanner) return -1;
    if (miLen < 0 || (!mpsfText && miLen > 0)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mpsfText=%p / miLen=%d in the put-block operation of the SGML "
                                              "context %p",
                                              static_cast<const void*>(mpsfText), miLen,
                                              static_cast<void*>(mptContext));
        return -1;
    }
    if (miFlags & ~KXWI_SGML_FEED_END_OF_TEXT)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Unknown miFlags=0x%x in the put-block operation of the SGML context "
                                              "%p; the text is fed as with 0",
                                              static_cast<unsigned>(miFlags), static_cast<void*>(mptContext));
    return ptScanner->Feed(mpsfText, static_cast<size_t>(miLen), (miFlags & KXWI_SGML_FEED_END_OF_TEXT) != 0);
}

const KxwiSgmlStreamOps KxwiSgmlScanner::ktOps = {
    OpFree, OpAbort, OpPutCharacter, OpPutString, OpEndOfText, OpGetLine, OpPutBlock,
};

KxwiSgmlScanner::KxwiSgmlScanner(const KxwiSgmlDtd* mptDtd, KxwiSgmlTarget* mptTarget)
    : KxwiSgmlContext{&ktOps},
      _ptDtd(mptDtd),
      _ptTarget(mptTarget),
      _tTokenizer(this),
      _tPresent("SGML attribute flags"),
      _tValues("SGML attribute values"),
      _tValueOffsets("SGML attribute values"),
      _tValueText("SGML attribute values") {}

KxwiSgmlScanner* KxwiSgmlScanner::FromContext(KxwiSgmlContext* mptContext, const char* mpszCaller) {
    KxwiSgmlScanner* ptScanner =
        mptContext && mptContext->_ptOps == &ktOps ? static_cast<KxwiSgmlScanner*>(mptContext) : nullptr;
    if (!ptScanner || ptScanner->_uMagic != kScannerMagic) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid SGML context %p for the %s operation",
                                              static_cast<void*>(mptContext), mpszCaller);
        return nullptr;
    }
    return ptScanner;
}

template <typename F>
int KxwiSgmlScanner::Guarded(F mfWork) {
    if (_bInCall) {
        // A target that feeds from inside its own callback: the tokenizer takes the bytes after the current token.
        mfWork();
        return 0;
    }
    _bInCall = true;
    mfWork();
    _bInCall = false;
    if (_bFreeLater) delete this;
    return 0;
}

int KxwiSgmlScanner::Feed(const char* mpsfText, size_t mnLen, bool mbEndOfText) {
    if (_tTokenizer.IsEnded()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "%zu bytes fed to the SGML context %p after its text ended and before "
                                              "SGML_reset are ignored",
                                              mnLen, static_cast<void*>(static_cast<KxwiSgmlContext*>(this)));
        return -1;
    }
    return Guarded([&] {
        _tTokenizer.Feed(mpsfText, mnLen);
        if (mbEndOfText) _tTokenizer.EndOfInput();
    });
}

int KxwiSgmlScanner::EndOfText() {
    return Guarded([&] { _tTokenizer.EndOfInput(); });
}

void KxwiSgmlScanner::Reset() {
    if (_bInCall) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "SGML_reset called from a callback of the SGML context %p; ignored",
                                              static_cast<void*>(static_cast<KxwiSgmlContext*>(this)));
        return;
    }
    if (!_tTokenizer.IsEnded()) {
        _bInCall = true;
        _tTokenizer.EndOfInput();
        _bInCall = false;
        if (_bFreeLater) {
            delete this;  // the target freed the context while its text ended
            return;
        }
    }
    _tTokenizer.Reset();
    _bStopped = false;
}

int KxwiSgmlScanner::Free(bool mbAbort, int miReason) {
    if (_bFreeLater) return 0;  // already on its way out
    if (!_bInCall && !mbAbort && !_tTokenizer.IsEnded()) {
        _bInCall = true;
        _tTokenizer.EndOfInput();
        _bInCall = false;
        if (_bFreeLater) {
            delete this;
            return 0;
        }
    }
    const KxwiSgmlTargetClass* ptClass = _ptTarget->_ptClass;
    if (mbAbort) {
        if (ptClass->_pfAbort) ptClass->_pfAbort(_ptTarget, miReason);
    } else if (ptClass->_pfFree) {
        ptClass->_pfFree(_ptTarget);
    }
    if (_bInCall) {
        // The tokenizer is running below this call: it stops after the current token and the scanner goes when
        // it returns.
        _bFreeLater = true;
        _tTokenizer.Pause();
        return 0;
    }
    delete this;
    return 0;
}

void KxwiSgmlScanner::OnToken(KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) {
    if (_bStopped || _bFreeLater) return;
    const KxwiSgmlTargetClass* ptClass = _ptTarget->_ptClass;
    int iElement = -1;
    if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_START_TAG || mrtToken._eType == KXWI_HTML_TOKEN_TYPE_END_TAG) {
        iElement = xfiKxwiSgmlFindElement(_ptDtd, mrtToken._psfName, mrtToken._nNameLen);
        // The content of SCRIPT, STYLE and the other raw elements is text even when nobody listens.
        if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_START_TAG && iElement >= 0 &&
            _ptDtd->_ptElements[iElement]._eTextMode != KXWI_HTML_TEXT_MODE_DATA)
            mrtTokenizer.SetRawTextMode(_ptDtd->_ptElements[iElement]._eTextMode, mrtToken._psfName,
                                        mrtToken._nNameLen);
    }
    if (ptClass->_pfSetLine && !Check(ptClass->_pfSetLine(_ptTarget, mrtToken._iLine))) return;
    int iText = ClampLen(mrtToken._nTextLen);
    switch (mrtToken._eType) {
        case KXWI_HTML_TOKEN_TYPE_START_TAG:
            if (iElement >= 0)
                StartElement(mrtTokenizer, mrtToken, iElement);
            else if (ptClass->_pfUnknownTag)
                ptClass->_pfUnknownTag(_ptTarget, mrtToken._psfName, ClampLen(mrtToken._nNameLen), 0);
            break;
        case KXWI_HTML_TOKEN_TYPE_END_TAG:
            if (iElement >= 0) {
                if (ptClass->_pfEndElement) Check(ptClass->_pfEndElement(_ptTarget, iElement));
            } else if (ptClass->_pfUnknownTag) {
                ptClass->_pfUnknownTag(_ptTarget, mrtToken._psfName, ClampLen(mrtToken._nNameLen), 1);
            }
            break;
        case KXWI_HTML_TOKEN_TYPE_TEXT:
            if (ptClass->_pfText) Check(ptClass->_pfText(_ptTarget, mrtToken._psfText, iText));
            break;
        case KXWI_HTML_TOKEN_TYPE_COMMENT:
            if (mrtToken._bBogus) {
                if (ptClass->_pfDeclaration) Check(ptClass->_pfDeclaration(_ptTarget, mrtToken._psfText, iText));
            } else if (ptClass->_pfComment) {
                Check(ptClass->_pfComment(_ptTarget, mrtToken._psfText, iText));
            }
            break;
        case KXWI_HTML_TOKEN_TYPE_DOCTYPE:
            if (ptClass->_pfDoctype) Check(ptClass->_pfDoctype(_ptTarget, mrtToken._psfText, iText));
            break;
        case KXWI_HTML_TOKEN_TYPE_END_OF_INPUT:
            if (ptClass->_pfEndOfText) Check(ptClass->_pfEndOfText(_ptTarget));
            break;
    }
}

void KxwiSgmlScanner::StartElement(KxwiHtmlTokenizer&, const KxwiHtmlToken& mrtToken, int miElement) {
    const KxwiSgmlTargetClass* ptClass = _ptTarget->_ptClass;
    const KxwiSgmlElement& rtElement = _ptDtd->_ptElements[miElement];
    size_t nAttrs = rtElement._iAttrCount > 0 ? static_cast<size_t>(rtElement._iAttrCount) : 0;
    _tPresent.Clear();
    _tValues.Clear();
    _tValueOffsets.Clear();
    _tValueText.Clear();
    std::memset(_tPresent.Grow(nAttrs), 0, nAttrs);
    for (size_t i = 0; i < nAttrs; ++i) _tValueOffsets.Push(0);
    for (size_t a = 0; a < mrtToken._nAttrCount; ++a) {
        const KxwiHtmlAttr& rtAttr = mrtToken._ptAttrs[a];
        size_t nIndex = 0;
        while (nIndex < nAttrs &&
               !IsEqualIgnoringAsciiCase(rtElement._ppszAttrs[nIndex], rtAttr._psfName, rtAttr._nNameLen))
            ++nIndex;
        if (nIndex == nAttrs) {
            if (ptClass->_pfUnknownAttribute &&
                !Check(ptClass->_pfUnknownAttribute(_ptTarget, miElement, rtAttr._psfName, ClampLen(rtAttr._nNameLen),
                                                    rtAttr._psfValue, ClampLen(rtAttr._nValueLen))))
                return;
            continue;
        }
        _tPresent[nIndex] = 1;
        _tValueOffsets[nIndex] = _tValueText.Size();
        _tValueText.Append(rtAttr._psfValue, rtAttr._nValueLen);
        _tValueText.Push('\0');
    }
    for (size_t i = 0; i < nAttrs; ++i) _tValues.Push(_tPresent[i] ? _tValueText.Data() + _tValueOffsets[i] : nullptr);
    if (ptClass->_pfStartElement)
        Check(ptClass->_pfStartElement(_ptTarget, miElement, _tPresent.Data(), _tValues.Data()));
}

}  // namespace

const KxwiSgmlDtd* HTML_dtd() {
    return &ktHtmlDtd;
}

KxwiSgmlContext* SGML_new(const KxwiSgmlDtd* mptDtd, KxwiSgmlTarget* mptTarget) {
    if (!mptDtd || !mptDtd->_ptElements || mptDtd->_iElementCount <= 0 || !mptTarget || !mptTarget->_ptClass) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mptDtd=%p / mptTarget=%p (class %p) in SGML_new",
                                              static_cast<const void*>(mptDtd), static_cast<void*>(mptTarget),
                                              mptTarget ? static_cast<const void*>(mptTarget->_ptClass) : nullptr);
        return nullptr;
    }
    auto* ptScanner = new (std::nothrow) KxwiSgmlScanner(mptDtd, mptTarget);
    if (!ptScanner) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Not enough memory for a context in SGML_new(mptTarget=%p)",
                                              static_cast<void*>(mptTarget));
        return nullptr;
    }
    return ptScanner;
}

void SGML_reset(KxwiSgmlContext* mptContext) {
    KxwiSgmlScanner* ptScanner = KxwiSgmlScanner::FromContext(mptContext, "SGML_reset");
    if (ptScanner) ptScanner->Reset();
}

int xfiKxwiSgmlFindElement(const KxwiSgmlDtd* mptDtd, const char* mpsfName, size_t mnLen) {
    if (!mptDtd || !mptDtd->_ptElements || (!mpsfName && mnLen)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mptDtd=%p / mpsfName=%p / mnLen=%zu in xfiKxwiSgmlFindElement",
                                              static_cast<const void*>(mptDtd), static_cast<const void*>(mpsfName),
                                              mnLen);
        return -1;
    }
    int iLow = 0, iHigh = mptDtd->_iElementCount;
    while (iLow < iHigh) {
        int iMid = iLow + (iHigh - iLow) / 2;
        int iCmp = CompareUpper(mptDtd->_ptElements[iMid]._pszName, mpsfName, mnLen);
        if (iCmp == 0) return iMid;
        if (iCmp < 0)
            iLow = iMid + 1;
        else
            iHigh = iMid;
    }
    return -1;
}

void xfvKxwiSgmlSetU16nHandler(KxwiSgmlContext* mptContext, KxwU16nHandler* mptU16nHandler) {
    KxwiSgmlScanner* ptScanner = KxwiSgmlScanner::FromContext(mptContext, "set charset");
    if (ptScanner) ptScanner->SetU16nHandler(mptU16nHandler);
}
