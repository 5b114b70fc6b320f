// KxwiHtmlTreeSink: what KxwiHtmlTreeBuilder builds through. The builder decides where every node of a page goes;
// the sink makes the nodes and links them, so that the parser knows nothing of the document classes: a node is an
// opaque handle, and the null handle stands for the document itself (the parent of the root element and of the
// comments before it).
//
// Calls come in document order. An element is created with all its attributes before it is linked; text and
// comments are handed over with their place. Names are upper case as the tokenizer gives them (ASCII letters up to
// the first byte >= 0x80); attribute names are as written, values decoded. All pointers are valid during the call
// only.
//
// Callbacks may call the builder's Pause, Resume, Write, EnterScript, LeaveScript, SetU16nHandler and Feed; they
// must not destroy or Reset it.
#pragma once

#include <cstddef>

#include "KxwiHtmlTokenizer.h"
#include "kxw/KxwExport.h"

class KXW_API KxwiHtmlTreeSink {
public:
    virtual ~KxwiHtmlTreeSink() = default;

    // A new element, not yet in the tree. mbImplied: the builder made it without a tag in the page (HTML, HEAD,
    // BODY, TBODY, TR). miLine: the line of the tag (of the token that implied it). Null means the element cannot
    // be made; its content then goes to the element that would have held it.
    virtual void* CreateElement(const char* mpsfUpperName, size_t mnLen, const KxwiHtmlAttr* mptAttrs, size_t mnCount,
                                bool mbImplied, int miLine) = 0;
    // Links an element made by CreateElement as the last child of mpvParent (null: the document), or before
    // mpvBefore, a child of mpvParent (content moved out of a table goes before the table). False when the sink
    // could not link it: an element refused by InsertBefore is offered to AppendChild of the element that held the
    // table; one refused by AppendChild is left out (it stays the sink's to dispose of) and its content goes to
    // mpvParent.
    virtual bool AppendChild(void* mpvParent, void* mpvChild) = 0;
    virtual bool InsertBefore(void* mpvParent, void* mpvChild, void* mpvBefore) = 0;

    // Character data for mpvParent: at its end, or before mpvBefore (text moved out of a table). The builder joins
    // the text between two nodes into one call, so each call is one text node where the browser makes one. Text
    // that a script wrote in pieces, with the script running between them, comes in as many calls: a sink that
    // adds to a text node that is already the parent's last child gives one node there as well. False when the
    // sink could not place the text (mpvBefore is no longer a child of mpvParent, a script having moved the
    // table); text moved out of a table then goes to the end of the element that held the table when it was read.
    virtual bool AddText(void* mpvParent, void* mpvBefore, const char* mpsfText, size_t mnLen) = 0;
    // A comment (the text between "<!--" and "-->", or of a bogus comment) as the last child of mpvParent (null:
    // the document).
    virtual void AddComment(void* mpvParent, const char* mpsfText, size_t mnLen) = 0;

    // A second <HTML> or <BODY> tag: its attributes go to the existing element, each one the element does not
    // have yet (<BODY onload=...> after content that already opened the body).
    virtual void MergeAttributes(void* mpvElement, const KxwiHtmlAttr* mptAttrs, size_t mnCount) {
        (void)mpvElement, (void)mptAttrs, (void)mnCount;
    }

    // The text of a <!DOCTYPE ...> after the keyword. The builder itself ignores it (the page is read in quirks
    // mode whatever it says).
    virtual void OnDoctype(const char* mpsfText, size_t mnLen) { (void)mpsfText, (void)mnLen; }

    // A SCRIPT element is complete: its end tag was read (mbEndTagSeen), or the input ended inside it. The builder
    // has stopped before the next token; the sink may run the script now, and the script's Write calls are parsed
    // at once, at this point of the page. When the call returns, the builder goes on with the page by itself,
    // unless the sink called Pause (a script whose source must be downloaded first): then it waits until Resume.
    // A script run later, while the builder waits, is bracketed with EnterScript / LeaveScript so that its writes
    // land at the same point.
    virtual void OnScriptEnd(void* mpvScript, bool mbEndTagSeen) { (void)mpvScript, (void)mbEndTagSeen; }

    // An APPLET, OBJECT or XML element is complete: its end tag closed it, something else did, or the input ended
    // with it open. Its content (the PARAM children, the island's text) is all there. The sink must not run page code
    // from here: it may only record the element for later.
    virtual void OnElementEnd(void* mpvElement) { (void)mpvElement; }

    // A META element naming a character set (charset=, or http-equiv Content-Type with a content that holds
    // charset=) was added to a document (not to a fragment). The sink may switch the builder's decoding
    // (SetU16nHandler) or arrange a reparse.
    virtual void OnMetaCharset(const char* mpsfCharset, size_t mnLen) { (void)mpsfCharset, (void)mnLen; }

    // The input has been used up and every element is in place. Also called again when text written after the end
    // (a script run at the end of the page, or from this call) has been built.
    virtual void OnEndOfInput() {}
};
