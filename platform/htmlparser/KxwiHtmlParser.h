// KxwiHtmlParser: the SGML scanner interface through which the library scans downloaded behaviour files. The
// library asks for the HTML element table (HTML_dtd), makes a scanning context for its target structure
// (SGML_new), feeds a file's text through the context's operation table and readies the context for the next
// file (SGML_reset). The context tokenizes with KxwiHtmlTokenizer and calls the target's class table for each
// start tag of an element of the table, with the element's number and its attributes in the table's order.
//
// The library relies on two numbers of the table: element 77 is the component declaration of a behaviour file
// (PUBLIC:COMPONENT) and its attribute 2 (counting from 0) is TAGNAME, the tag that the behaviour serves.
//
// The structures keep the order of their pointer-sized words; every word is a full 64-bit pointer here.
#pragma once

#include <cstddef>

#include "KxwiHtmlTokenizer.h"

class KxwU16nHandler;

// One element of the table: its upper-case name and attribute names. The present-flag and value arrays handed
// to the target's start-element entry have one item per attribute, in this order.
struct KxwiSgmlElement {
    const char* _pszName;
    const char* const* _ppszAttrs;
    int _iAttrCount;
    bool _bEmpty;                         // has neither content nor end tag (BR, IMG, PUBLIC:ATTACH ...)
    KXWI_HTML_TEXT_MODE_ENUM _eTextMode;  // how its content is read (SCRIPT: raw text)
};

// The element table, sorted by name so that a tag is found by binary search; the numbers are the indexes.
struct KxwiSgmlDtd {
    const char* _pszName;
    const KxwiSgmlElement* _ptElements;
    int _iElementCount;
};

constexpr int KXWI_SGML_ELEMENT_PUBLIC_COMPONENT = 77;
constexpr int KXWI_SGML_PUBLIC_COMPONENT_ATTR_TAGNAME = 2;

struct KxwiSgmlTarget;

// The target's class: a name and twelve entries, called by the context as the text is scanned. A null entry is
// skipped. A negative result from an entry that returns int stops the delivery for the rest of the current text
// (until SGML_reset); other results are the target's own (the library's start-element entry answers 2 for a
// component declaration it took).
struct KxwiSgmlTargetClass {
    const char* _pszName;
    int (*_pfFree)(KxwiSgmlTarget* mptTarget);                 // 1: the context is being freed
    int (*_pfAbort)(KxwiSgmlTarget* mptTarget, int miReason);  // 2: the context is abandoned without ending
    int (*_pfEndOfText)(KxwiSgmlTarget* mptTarget);            // 3: the current text has been delivered
    int (*_pfDoctype)(KxwiSgmlTarget* mptTarget, const char* mpsfText, int miLen);  // 4
    int (*_pfText)(KxwiSgmlTarget* mptTarget, const char* mpsfText, int miLen);     // 5: character data
    int (*_pfComment)(KxwiSgmlTarget* mptTarget, const char* mpsfText, int miLen);  // 6: <!-- -->
    // 7: a start tag of element miElement; mpucPresent[i] is 1 when attribute i was given, and then
    // mppszValues[i] is its NUL-terminated value ("" when written without one), else null. Both arrays are valid
    // during the call only.
    int (*_pfStartElement)(KxwiSgmlTarget* mptTarget, int miElement, const unsigned char* mpucPresent,
                           const char* const* mppszValues);
    int (*_pfEndElement)(KxwiSgmlTarget* mptTarget, int miElement);  // 8
    // 9: a start (miIsEndTag 0) or end tag of a name the table does not have.
    void (*_pfUnknownTag)(KxwiSgmlTarget* mptTarget, const char* mpsfName, int miLen, int miIsEndTag);
    // 10: a markup declaration or processing instruction taken as a bogus comment (<!x>, <?x>, </ x>).
    int (*_pfDeclaration)(KxwiSgmlTarget* mptTarget, const char* mpsfText, int miLen);
    // 11: an attribute of a start tag that the element's list lacks (before the element's entry 7 call).
    int (*_pfUnknownAttribute)(KxwiSgmlTarget* mptTarget, int miElement, const char* mpsfName, int miNameLen,
                               const char* mpsfValue, int miValueLen);
    int (*_pfSetLine)(KxwiSgmlTarget* mptTarget, int miLine);  // 12: the line of what comes next
};

// Whatever the library hands to SGML_new must begin with a pointer to its class.
struct KxwiSgmlTarget {
    const KxwiSgmlTargetClass* _ptClass;
};

struct KxwiSgmlContext;

// The flags of the text-feeding operation.
constexpr int KXWI_SGML_FEED_END_OF_TEXT = 1;  // the text ends after these bytes

// The context's operations. All return 0 on success and -1 for bad arguments (reported).
struct KxwiSgmlStreamOps {
    int (*_pfFree)(KxwiSgmlContext* mptContext);                             // 0: ends the text, then frees the context
    int (*_pfAbort)(KxwiSgmlContext* mptContext, int miReason);              // 1: frees it without ending the text
    int (*_pfPutCharacter)(KxwiSgmlContext* mptContext, char mcChar);        // 2
    int (*_pfPutString)(KxwiSgmlContext* mptContext, const char* mpszText);  // 3: a NUL-terminated text
    int (*_pfEndOfText)(KxwiSgmlContext* mptContext);                        // 4: delivers the rest of the text
    int (*_pfGetLine)(KxwiSgmlContext* mptContext);                          // 5: the line reached (1-based)
    // 6: feeds miLen bytes; miFlags is 0 or KXWI_SGML_FEED_END_OF_TEXT.
    int (*_pfPutBlock)(KxwiSgmlContext* mptContext, const char* mpsfText, int miLen, int miFlags);
};

// A scanning context. Only its first word, the operation table, is for the caller.
struct KxwiSgmlContext {
    const KxwiSgmlStreamOps* _ptOps;
};

// The HTML element table (static, shared by every thread).
const KxwiSgmlDtd* HTML_dtd();
// A context that scans text for the target; null (reported) when an argument is missing or memory is short.
KxwiSgmlContext* SGML_new(const KxwiSgmlDtd* mptDtd, KxwiSgmlTarget* mptTarget);
// Ends the current text (what remains is delivered, unless the target stopped it) and readies the context for
// the next text.
void SGML_reset(KxwiSgmlContext* mptContext);

// The number of the element of that name (ASCII case ignored) in the table, or -1.
int xfiKxwiSgmlFindElement(const KxwiSgmlDtd* mptDtd, const char* mpsfName, size_t mnLen);
// The charset into which the context decodes character references (null: windows-1252, the default).
void xfvKxwiSgmlSetU16nHandler(KxwiSgmlContext* mptContext, KxwU16nHandler* mptU16nHandler);
