// KxwiHtmlTokenizer: the streaming HTML tokenizer under the replay engine's tree builder and the behaviour-file
// scanner. It reads the bytes of a page in its document character set as they arrive and hands tokens (tags, text,
// comments, doctype, end of input) to a sink, taking malformed markup the way the emulated browsers did.
//
// Bytes: the tokenizer works on bytes and needs an ASCII-compatible charset, in which '<', '&', quotes and blanks
// are never part of a multi-byte character (UTF-8, the single-byte charsets, EUC, Shift_JIS, GBK, Big5). Pages in
// UTF-16 or ISO-2022-JP must be converted (to UTF-8) before they are fed. Any byte sequence is accepted, NUL
// bytes included; token texts carry lengths and may hold NUL.
//
// Character references are decoded into the document charset (the U16n handler given; windows-1252 without one):
// a character the charset can represent becomes its bytes (UTF-8 for a UTF-8 page); any other character stays in
// the text as a decimal reference "&#N;" of its code point, so that no character is lost or replaced by '?'.
//
// Streaming: Feed may split the input anywhere. A token is handed over only when its end is certain, and text is
// handed over as the longest run between two other tokens, so the tokens (and their line numbers) do not depend
// on where the input was split.
//
// Tokens point into the tokenizer's buffers and are valid only during the sink's call. The tokenizer keeps only
// the input not yet tokenized (and the pending text run), and allocates nothing per token once its buffers have
// grown to the page's largest token.
#pragma once

#include <cstddef>

#include "KxwiHtmlBuf.h"
#include "kxw/KxwExport.h"

class KxwU16nHandler;
class KxwiHtmlTokenizer;

enum KXWI_HTML_TOKEN_TYPE_ENUM {
    KXWI_HTML_TOKEN_TYPE_START_TAG = 1,
    KXWI_HTML_TOKEN_TYPE_END_TAG = 2,
    KXWI_HTML_TOKEN_TYPE_TEXT = 3,
    KXWI_HTML_TOKEN_TYPE_COMMENT = 4,  // also the bogus comments <!x ...>, <?...>, </ x>
    KXWI_HTML_TOKEN_TYPE_DOCTYPE = 5,
    KXWI_HTML_TOKEN_TYPE_END_OF_INPUT = 6,
};

// How the text after a start tag is read. The tree builder chooses it (SetRawTextMode) because the choice depends
// on its policy (NOSCRIPT is raw text only while scripting is on).
enum KXWI_HTML_TEXT_MODE_ENUM {
    KXWI_HTML_TEXT_MODE_DATA = 0,       // markup and character references
    KXWI_HTML_TEXT_MODE_RCDATA = 1,     // text with character references up to the end tag (TEXTAREA, TITLE)
    KXWI_HTML_TEXT_MODE_RAWTEXT = 2,    // text as written up to the end tag (SCRIPT, STYLE, XMP, NOSCRIPT)
    KXWI_HTML_TEXT_MODE_PLAINTEXT = 3,  // text as written to the end of the input (PLAINTEXT)
};

// One attribute of a tag, as written; the value has its character references decoded. An attribute written without
// '=' has no value (empty, _bHasValue false); "a=" and a="" have an empty value.
struct KxwiHtmlAttr {
    const char* _psfName;
    size_t _nNameLen;
    const char* _psfValue;
    size_t _nValueLen;
    bool _bHasValue;
};

struct KxwiHtmlToken {
    KXWI_HTML_TOKEN_TYPE_ENUM _eType;
    int _iLine;  // 1-based line of the token's first byte in its input (inserted text counts from its insertion point)
    // Tags: the name as written and the same with its ASCII letters in upper case (up to the first byte >= 0x80,
    // which may begin a multi-byte character whose next bytes look like letters); same length.
    const char* _psfName;
    const char* _psfUpperName;
    size_t _nNameLen;
    // Start tags: the attributes in order, a repeated name (ignoring ASCII case) keeping only its first occurrence;
    // and whether the tag ended with "/>". End tags carry no attributes.
    const KxwiHtmlAttr* _ptAttrs;
    size_t _nAttrCount;
    bool _bSelfClosing;
    // Text (decoded as its mode says), comment content, doctype content after the keyword and its blanks.
    const char* _psfText;
    size_t _nTextLen;
    // Comments: a markup declaration or processing instruction taken as a comment (<!x>, <?x>, </ x>).
    bool _bBogus;
    // How many insertions deep the token's first byte lies (0: the fed input).
    int _iInsertionDepth;
};

// Receives the tokens. It may call the tokenizer's Pause, Resume, InsertInput, SetRawTextMode, SetU16nHandler, Feed
// and EndOfInput from inside OnToken; it must not destroy or Reset the tokenizer there.
class KXW_API KxwiHtmlTokenSink {
public:
    virtual ~KxwiHtmlTokenSink() = default;
    virtual void OnToken(KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) = 0;
};

// The text mode the emulated browser uses after a start tag of this name (ASCII case ignored): RAWTEXT for SCRIPT,
// STYLE, XMP (and NOSCRIPT when scripting is on), RCDATA for TEXTAREA and TITLE, PLAINTEXT for PLAINTEXT, DATA for
// every other name.
KXWI_HTML_TEXT_MODE_ENUM xfeKxwiHtmlGetDefaultTextMode(const char* mpsfTagName, size_t mnLen,
                                                       bool mbScriptingEnabled = true);

class KXW_API KxwiHtmlTokenizer {
public:
    // The longest end-tag name that raw text can wait for.
    static constexpr size_t kMaxRawTextTagLen = 32;

    explicit KxwiHtmlTokenizer(KxwiHtmlTokenSink* mptSink, KxwU16nHandler* mptU16nHandler = nullptr);
    ~KxwiHtmlTokenizer();
    KxwiHtmlTokenizer(const KxwiHtmlTokenizer&) = delete;
    KxwiHtmlTokenizer& operator=(const KxwiHtmlTokenizer&) = delete;

    // The charset into which character references are decoded from now on (null: windows-1252); a META element
    // may change it while the page is parsed.
    void SetU16nHandler(KxwU16nHandler* mptU16nHandler);

    // Appends bytes of the page and tokenizes what can be (unless paused). Called from inside OnToken, the bytes
    // join the input once the sink has returned (the current token points into the buffer they would move).
    void Feed(const char* mpsfBytes, size_t mnLen);
    // No more bytes will be fed: what is pending is finished and END_OF_INPUT is the last token (unless paused).
    void EndOfInput();

    // Text written by a script (document.write): consumed at the current point, before the rest of the pending
    // input. Calls made while the tokenizer waits (paused, or between tokens) before this text was started are
    // joined in order; text inserted while inserted text is being tokenized goes in front of that text's rest
    // (nesting). Tokens are produced only when the tokenizer runs again (Resume, Feed, EndOfInput).
    void InsertInput(const char* mpsfBytes, size_t mnLen);

    // The writes of a running script, parsed at once. BeginScriptWrites marks the place after the last token as
    // where the script's text goes: InsertInput adds there, after the script's earlier writes and after whatever
    // the scripts they contain wrote, and a run stops once everything written there is consumed (the pending text
    // is handed over, an unfinished construct waits for the next write) instead of going on with the input after
    // the script. EndScriptWrites lets what is left join that input again. The calls nest with the scripts. Called
    // while the tokenizer is paused after the script's end tag (or before anything was fed).
    void BeginScriptWrites();
    void EndScriptWrites();
    // After END_OF_INPUT: takes input again, in DATA mode, as if the end had not come yet (a script run at the end
    // of the page writes). EndOfInput ends it once more.
    void ReopenInput();

    // Stops after the current token (the builder runs a script after its end tag), until Resume.
    void Pause() { _bPaused = true; }
    // Goes on (also after InsertInput when not paused). Inside OnToken it only lifts the pause.
    void Resume();
    bool IsPaused() const { return _bPaused; }
    // True once END_OF_INPUT was handed over.
    bool IsEnded() const { return _bEnded; }

    // The mode for the text that follows the current token, ending at "</" + mpsfTagName (ASCII case ignored)
    // followed by a blank, '/' or '>'. Normally called for a start tag from OnToken. A name longer than
    // kMaxRawTextTagLen is reported and the mode stays DATA.
    void SetRawTextMode(KXWI_HTML_TEXT_MODE_ENUM meMode, const char* mpsfTagName, size_t mnLen);
    // The same with the default mode for the name (xfeKxwiHtmlGetDefaultTextMode); returns the mode set.
    KXWI_HTML_TEXT_MODE_ENUM SetRawTextMode(const char* mpsfTagName, size_t mnLen, bool mbScriptingEnabled = true);
    KXWI_HTML_TEXT_MODE_ENUM GetTextMode() const { return _eMode; }

    // Forgets everything (input, insertions, pause, mode, line, end) so that a new page, or the same page in
    // another charset, can be fed. Not from inside OnToken.
    void Reset();

    // The line at which the tokenizer stands in the fed input.
    int GetLine() const;

    struct Level;
    struct AttrBuild;

private:
    enum StepResult { kProgress, kNeedMore, kEnd };
    enum MarkupKind {
        kMarkupText,
        kMarkupIgnored,
        kMarkupStartTag,
        kMarkupEndTag,
        kMarkupComment,
        kMarkupBogus,
        kMarkupDoctype,
        kMarkupDropped,
        kMarkupNeedMore
    };
    enum RefResult { kRefNone, kRefNeedMore, kRefDecoded };

    void Run();
    StepResult Step();
    StepResult StepData(size_t mnLevel);
    StepResult StepMarkup(size_t mnLevel);
    StepResult StepRawText(size_t mnLevel);
    MarkupKind ScanMarkup(size_t mnLevel, size_t* mpnEnd, size_t* mpnContentBegin, size_t* mpnContentEnd);
    bool ScanTagEnd(const char* mpsfBuf, size_t mnStart, size_t mnEnd, size_t* mpnTagEnd);
    bool FindRawTextEnd(const char* mpsfBuf, size_t mnStart, size_t mnEnd, bool mbEof, size_t* mpnFound,
                        size_t* mpnSafeEnd);

    RefResult DecodeRef(const char* mpsfBuf, size_t mnPos, size_t mnEnd, bool mbEof, bool mbInAttr, size_t* mpnConsumed,
                        unsigned* mpuCodePoint);
    void EncodeCodePoint(unsigned muCodePoint, KxwiHtmlBuf<char>& mrtOut);

    void AppendText(size_t mnLevel, size_t mnFrom, size_t mnTo);
    void AppendDecodedText(size_t mnLevel, size_t mnAt, unsigned muCodePoint);
    size_t AppendTextWithRefs(size_t mnLevel, size_t mnFrom, size_t mnTo, bool mbEof);
    void MoveTextToArena();
    bool FlushText();
    void BuildAndEmitTag(size_t mnLevel, size_t mnBegin, size_t mnEnd, bool mbEndTag);
    void EmitSimple(KXWI_HTML_TOKEN_TYPE_ENUM meType, size_t mnLevel, size_t mnAt, const char* mpsfText, size_t mnLen,
                    bool mbBogus);
    void Emit(KxwiHtmlToken& mrtToken);

    int LineAt(size_t mnLevel, size_t mnPos);
    bool IsAtEof(size_t mnLevel) const;
    void TakeDeferredFeed();
    void PopLevel();
    void CompactBase();
    void ResetScan();
    bool IsDuplicateAttr(const char* mpsfBuf, size_t mnCount);

    KxwiHtmlTokenSink* _ptSink;
    KxwU16nHandler* _ptU16nHandler;
    bool _bUtf8 = false;

    KxwiHtmlBuf<Level> _tLevels;        // [0] is the fed input, the others insertions (top: last)
    KxwiHtmlBuf<char> _tDeferredFeed;   // bytes fed from inside OnToken
    KxwiHtmlBuf<size_t> _tWriteLevels;  // per running script, the level that takes its writes (may not exist yet)
    bool _bEndOfInput = false;
    bool _bEnded = false;
    bool _bPaused = false;
    bool _bRunning = false;

    KXWI_HTML_TEXT_MODE_ENUM _eMode = KXWI_HTML_TEXT_MODE_DATA;
    char _acRawTextTag[kMaxRawTextTagLen];  // lower case
    size_t _nRawTextTagLen = 0;

    // The text run not yet handed over: a range of one level's buffer, or the arena once it is not one range.
    bool _bTextPending = false;
    bool _bTextInArena = false;
    size_t _nTextLevel = 0, _nTextBegin = 0, _nTextEnd = 0;
    int _iTextLine = 0;
    int _iTextDepth = 0;
    KxwiHtmlBuf<char> _tTextArena;

    // What is known about the markup (or raw text) that begins where the top level stands, so that a construct
    // that arrives in many pieces is scanned once: the part already scanned and the scanner's state there.
    bool _bScanValid = false;
    size_t _nScanLevel = 0, _nScanStart = 0, _nScanResume = 0;
    int _iScanState = 0;

    // The tag found complete by the last scan, already parsed into _tAttrBuild.
    bool _bTagBuilt = false;
    size_t _nBuiltNameEnd = 0;
    bool _bBuiltSelfClosing = false;

    KxwiHtmlBuf<char> _tTokenArena;      // upper-case names and decoded attribute values of the current tag
    KxwiHtmlBuf<AttrBuild> _tAttrBuild;  // the current tag's attributes as offsets
    KxwiHtmlBuf<KxwiHtmlAttr> _tAttrs;   // the same as pointers, handed over
    KxwiHtmlBuf<unsigned> _tAttrHash;    // an index of attribute names for tags with many attributes
};
