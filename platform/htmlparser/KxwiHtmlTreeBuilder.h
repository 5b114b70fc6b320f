// KxwiHtmlTreeBuilder: builds the node tree of a page, or of a piece of markup, from the tokens of
// KxwiHtmlTokenizer, through a KxwiHtmlTreeSink. It takes broken markup the way the emulated desktop browsers took
// it in quirks mode: implied HTML, HEAD, BODY and TBODY, head content before the body kept in HEAD, end tags
// implied by the start tags that follow (P, LI, DT/DD, OPTION, table cells and rows), mis-nested and stray end tags,
// void elements, raw-text elements, text moved out of tables, framesets. Where the current HTML parsing rules and
// the old browsers part, the builder takes the simpler, tolerant choice that old pages were written against (the
// choices are noted where they are made).
//
// Scripts: after a SCRIPT end tag the builder stops and hands the element to the sink (OnScriptEnd). What the
// script writes (Write) is parsed at once, at that point of the page, before the rest of the input: a written
// script that writes again is handled the same way, nested. A sink that must first download a script's source
// calls Pause in OnScriptEnd; when the source is there it runs the script between EnterScript and LeaveScript (its
// writes land where the script stands, and the page goes on after LeaveScript), or calls Resume to go on without
// it.
//
// Modes: a document (Feed the page; HTML, HEAD and BODY are implied) or a fragment (BeginFragment: the children of
// an existing element for innerHTML, outerHTML, insertAdjacentHTML, markup given to createElement; no implied
// document elements; the context's name chooses raw text for a TEXTAREA or SCRIPT context and the table rules for a
// TABLE, TBODY or TR context). SetExistingDocumentElements continues a document that already has its HTML, HEAD or
// BODY elements.
//
// Costs: every algorithm is iterative, the stack of open elements is bounded (elements nested deeper than
// kMaxDepth are placed beside each other in the deepest element, with one report per parse), and once its buffers
// have grown the builder allocates nothing per token: the stack holds handles and small tag codes found by
// hashing the name once. Each open element links to the one below it with the same tag, and the builder keeps the
// topmost of each tag, so that "is a P in button scope", "the nearest open A", "the table to place content before"
// cost a few reads instead of a walk down the stack, however deep the page nests.
#pragma once

#include <cstddef>
#include <cstdint>

#include "KxwiHtmlBuf.h"
#include "KxwiHtmlTokenizer.h"
#include "KxwiHtmlTreeSink.h"
#include "kxw/KxwExport.h"

class KxwU16nHandler;

class KXW_API KxwiHtmlTreeBuilder : private KxwiHtmlTokenSink {
public:
    // The deepest nesting of elements kept; deeper start tags add their element to the deepest open element.
    static constexpr size_t kMaxDepth = 512;
    // The deepest nesting of scripts run from what scripts wrote; deeper scripts are built but not handed over.
    static constexpr int kMaxScriptNesting = 64;
    // The table of the topmost open element of each tag code, and its entry for the transparent FORMs.
    static constexpr size_t kTagSlots = 128;
    static constexpr size_t kTransparentSlot = kTagSlots - 1;

    explicit KxwiHtmlTreeBuilder(KxwiHtmlTreeSink* mptSink, KxwU16nHandler* mptU16nHandler = nullptr);
    ~KxwiHtmlTreeBuilder() override;
    KxwiHtmlTreeBuilder(const KxwiHtmlTreeBuilder&) = delete;
    KxwiHtmlTreeBuilder& operator=(const KxwiHtmlTreeBuilder&) = delete;

    // The charset in which character references are decoded (null: windows-1252); also from OnMetaCharset.
    void SetU16nHandler(KxwU16nHandler* mptU16nHandler);
    // With scripting on (the default) NOSCRIPT content is raw text, as a browser that runs scripts reads it.
    void SetScriptingEnabled(bool mbEnabled);

    // Before the first input: build the children of mpvContext, an element of the given upper-case tag name,
    // instead of a document. False (reported) for a null context or once input was given.
    bool BeginFragment(void* mpvContext, const char* mpsfUpperName, size_t mnLen);
    // Before the first input: the document already has these elements (any may be null); content goes on at the
    // end of the body (or where the missing ones would be implied). False (reported) once input was given.
    bool SetExistingDocumentElements(void* mpvHtml, void* mpvHead, void* mpvBody);

    // Bytes of the page, split anywhere; built as far as they go unless paused.
    void Feed(const char* mpsfBytes, size_t mnLen);
    // No more bytes: open elements are finished, a SCRIPT still open is handed over, and OnEndOfInput follows.
    void EndOfInput();

    // document.write: parsed at the current point, before the rest of the input. From a running script (inside
    // OnScriptEnd or between EnterScript and LeaveScript) it is built at once, up to what was written; a SCRIPT in
    // it runs before Write returns, unless the builder is paused (then all of it waits). Text written after the end
    // of the input is built at the end of the tree.
    void Write(const char* mpsfBytes, size_t mnLen);
    // A script that ended earlier (the sink paused for its source) runs now: its writes go to where it stood.
    void EnterScript();
    // The script has run; the builder goes on unless it is paused.
    void LeaveScript();

    // Builds nothing more: the tokens still to come are read and dropped, up to the end of the input (which is
    // handled as usual: the missing document elements are implied, OnEndOfInput follows) or, when called while
    // the writes of a script are built, up to the end of that script (the page goes on after it). What was built
    // stays. The sink calls it when the script whose markup it builds is out of time.
    void Stop();
    bool IsStopped() const { return _iStoppedAtScriptDepth >= 0 && _iScriptDepth >= _iStoppedAtScriptDepth; }

    // Stops before the next token until Resume (the sink waits for a script's source).
    void Pause();
    void Resume();
    bool IsPaused() const { return _bPaused; }
    // True once OnEndOfInput was called (and no text was written after it).
    bool IsEnded() const { return _bEnded; }

    // Forgets the page, the mode and every handle: ready for a new document. Not from inside a sink call.
    void Reset();

    // The line the tokenizer stands at.
    int GetLine() const { return _tTokenizer.GetLine(); }

    struct OpenElement;

private:
    enum Phase : uint8_t {
        kPhaseInitial,        // nothing yet
        kPhaseBeforeHead,     // HTML, no HEAD
        kPhaseInHead,         // HEAD open
        kPhaseAfterHead,      // HEAD closed, no body yet
        kPhaseInBody,         // body content (also a fragment)
        kPhaseInFrameset,     // inside the FRAMESET that replaces the body
        kPhaseAfterFrameset,  // the outermost FRAMESET closed
    };
    // Which rules apply, from the innermost open element the table rules look at.
    enum Mode : uint8_t { kModeBody, kModeTable, kModeTableBody, kModeRow, kModeColumnGroup, kModeSelect };
    enum Result : uint8_t { kResultDone, kResultAgain, kResultNotMine };
    enum PushFlag : uint8_t {
        kPushReserve = 1,      // may use the room above kMaxDepth (implied and raw-text elements)
        kPushRawText = 2,      // its content is raw text
        kPushTransparent = 4,  // a FORM between table rows or cells
    };

    void OnToken(KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) override;
    void Pump();
    void RunScript(void* mpvScript, bool mbEndTagSeen);
    void HandleEndOfInput();
    bool StartOfInput(const char* mpszCaller);

    void ProcessText(const char* mpsfText, size_t mnLen);
    void ProcessComment(const char* mpsfText, size_t mnLen);
    void ProcessStartTag(const KxwiHtmlToken& mrtToken);
    bool StartTagInBody(const KxwiHtmlToken& mrtToken, int miTag);
    Result StartTagInTable(const KxwiHtmlToken& mrtToken, int miTag, Mode meMode);
    Result CloseTablePart();
    bool StartTagInSelect(const KxwiHtmlToken& mrtToken, int miTag);
    bool BodyStartTag(const KxwiHtmlToken& mrtToken, int miTag);
    void ProcessEndTag(const KxwiHtmlToken& mrtToken);
    bool EndTagInBody(const KxwiHtmlToken& mrtToken, int miTag);
    void OtherEndTag(const KxwiHtmlToken& mrtToken, int miTag);

    void* InsertElement(const KxwiHtmlToken& mrtToken, int miTag, bool mbPush, bool mbTransparent = false);
    void* InsertInto(void* mpvParent, const KxwiHtmlToken& mrtToken, int miTag, bool mbPush);
    Result InsertImplied(const char* mpszName, int miTag, int miLine);
    void* CreateAndLink(const char* mpsfName, size_t mnLen, const KxwiHtmlAttr* mptAttrs, size_t mnCount,
                        bool mbImplied, int miLine, void* mpvParent, void* mpvBefore);
    bool Push(void* mpvNode, void* mpvParent, int miTag, const char* mpsfName, size_t mnLen, unsigned muFlags);
    void MergeAttributes(void* mpvElement, const KxwiHtmlToken& mrtToken);
    void FindPlace(void** mppvParent, void** mppvBefore) const;
    void AddTextAt(const char* mpsfText, size_t mnLen);
    void FlushText();
    bool StartRawText(int miTag, const char* mpsfName, size_t mnLen);
    void CheckMetaCharset(const KxwiHtmlToken& mrtToken);
    void ReportDepthOnce();

    size_t Depth() const { return _tOpen.Size(); }
    // 1 + the position of the topmost open element of the tag (0 for none); kTransparentSlot for the FORMs the table
    // rules look through.
    size_t TopOf(int miTag) const { return _auTopOfTag[miTag]; }
    // The highest of TopOf over a set of tags (0 when none is open).
    size_t TopOfAny(const uint8_t* mpucTags, size_t mnCount) const;
    int TopTag() const;
    void* TopNode() const;
    bool IsTopRawText() const;
    void PopTo(size_t mnSize);
    void PopTop() { PopTo(Depth() - 1); }
    size_t FindInScope(int miTag, int miScope) const;
    bool IsOnStack(int miTag) const;
    size_t EffectiveTop() const;
    Mode CurrentMode() const;
    void ClosePInButtonScope();
    void ImplyHtml(int miLine);
    void ImplyHead(int miLine);
    void ImplyBody(int miLine);
    void CloseHead();

    KxwiHtmlTreeSink* _ptSink;
    KxwiHtmlTokenizer _tTokenizer;
    bool _bScripting = true;

    // What is being built
    bool _bFragment = false;
    bool _bStarted = false;  // input was given
    void* _pvHtml = nullptr;
    void* _pvHead = nullptr;
    void* _pvBody = nullptr;
    Phase _ePhase = kPhaseInitial;
    size_t _nFloor = 0;  // entries below this (a fragment's context) are never closed by the page
    KxwiHtmlBuf<OpenElement> _tOpen;
    uint32_t _auTopOfTag[kTagSlots] = {};
    KxwiHtmlBuf<char> _tOpenNames;   // the names of the open elements whose tags the builder does not know
    bool _bFosterParenting = false;  // content for a table element goes before the table
    bool _bSkipNewline = false;      // the next text drops a leading line break (after PRE, LISTING, TEXTAREA)
    bool _bDepthReported = false;
    bool _bNestingReported = false;

    // Text not yet handed over, and where it goes
    KxwiHtmlBuf<char> _tText;
    void* _pvTextParent = nullptr;
    void* _pvTextBefore = nullptr;

    // Running
    int _iBusy = 0;                   // inside one of the public operations
    int _iNoPump = 0;                 // inside OnToken or a sink call with the text buffer: no tokens now
    int _iScriptDepth = 0;            // scripts running (OnScriptEnd, EnterScript)
    int _iStoppedAtScriptDepth = -1;  // Stop was called at this script depth (-1: building)
    bool _bPaused = false;            // by the sink or the caller
    bool _bEnded = false;             // OnEndOfInput was called
    bool _bEndToken = false;          // END_OF_INPUT was read and is not handled yet
    bool _bReopened = false;          // text was written after the end: the input must end again
    void* _pvScriptToRun = nullptr;
};
