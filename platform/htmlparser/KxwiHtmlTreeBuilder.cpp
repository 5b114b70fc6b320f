#include "KxwiHtmlTreeBuilder.h"

#include <algorithm>
#include <cstring>

#include "KxwUtilReport.h"
#include "KxwiHtmlCharset.h"
#include "KxwiHtmlTags.h"

// One open element: its handle, the node it was linked into (for content moved out of a table: the table's
// parent), its tag code and, for a tag the builder does not know, its name in _tOpenNames.
struct KxwiHtmlTreeBuilder::OpenElement {
    void* _pvNode;
    void* _pvParent;
    size_t _nNameBegin;
    size_t _nNameLen;
    uint8_t _ucTag;
    bool _bRawText;               // holds raw text up to its end tag
    bool _bTransparent;           // a FORM read between table rows or cells: the table rules look through it
    uint32_t _uBelowSameTag;      // 1 + the position of the next open element of this tag below, 0 for none
    uint32_t _uBelowTransparent;  // the same among the transparent ones
};

using namespace KxwiHtmlTags;

namespace {

constexpr size_t kNotFound = static_cast<size_t>(-1);
// Room above kMaxDepth for the elements that must be open for the rules to make progress: the implied table
// sections and rows, and raw-text elements (they hold only text, so they never nest further).
constexpr size_t kDepthReserve = 8;
// A token is taken again after the builder closed or implied something; this bounds the rounds should a sink
// refuse the elements that would change the situation.
constexpr int kMaxRounds = 16;

static_assert(kTagCount < KxwiHtmlTreeBuilder::kTransparentSlot,
              "the tag codes and the transparent slot share a table");

// The elements whose sink hears of their end (embedded objects and XML islands act on their whole content).
inline bool IsCompletedAtEnd(uint8_t mucTag) {
    return mucTag == kTagApplet || mucTag == kTagObject || mucTag == kTagXml;
}

inline bool IsBlank(char mcChar) {
    return mcChar == ' ' || mcChar == '\t' || mcChar == '\n' || mcChar == '\r' || mcChar == '\f';
}

size_t CountLeadingBlanks(const char* mpsfText, size_t mnLen) {
    size_t nPos = 0;
    while (nPos < mnLen && IsBlank(mpsfText[nPos])) ++nPos;
    return nPos;
}

inline char AsciiLower(char mcChar) {
    return mcChar >= 'A' && mcChar <= 'Z' ? static_cast<char>(mcChar + ('a' - 'A')) : mcChar;
}

bool IsEqualNoCase(const char* mpsfText, size_t mnLen, const char* mpszLower) {
    size_t i = 0;
    for (; i < mnLen && mpszLower[i]; ++i)
        if (AsciiLower(mpsfText[i]) != mpszLower[i]) return false;
    return i == mnLen && mpszLower[i] == '\0';
}

const KxwiHtmlAttr* FindAttr(const KxwiHtmlToken& mrtToken, const char* mpszLowerName) {
    for (size_t i = 0; i < mrtToken._nAttrCount; ++i)
        if (IsEqualNoCase(mrtToken._ptAttrs[i]._psfName, mrtToken._ptAttrs[i]._nNameLen, mpszLowerName))
            return &mrtToken._ptAttrs[i];
    return nullptr;
}

inline bool IsTableContext(int miTag) {
    return miTag == kTagTable || miTag == kTagTbody || miTag == kTagThead || miTag == kTagTfoot || miTag == kTagTr;
}

// Marks a public operation in progress: Reset from inside one of its sink calls is refused.
class BusyScope {
public:
    explicit BusyScope(int* mpiBusy) : _piBusy(mpiBusy) { ++*_piBusy; }
    ~BusyScope() { --*_piBusy; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    int* _piBusy;
};
}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Construction and the caller's operations

KxwiHtmlTreeBuilder::KxwiHtmlTreeBuilder(KxwiHtmlTreeSink* mptSink, KxwU16nHandler* mptU16nHandler)
    : _ptSink(mptSink),
      _tTokenizer(this, mptU16nHandler),
      _tOpen("HTML open elements"),
      _tOpenNames("HTML open element names"),
      _tText("HTML text run") {
    if (!mptSink)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptSink is NULL in KxwiHtmlTreeBuilder::KxwiHtmlTreeBuilder: nothing "
                                              "is built. this=%p",
                                              static_cast<void*>(this));
}

KxwiHtmlTreeBuilder::~KxwiHtmlTreeBuilder() = default;

void KxwiHtmlTreeBuilder::SetU16nHandler(KxwU16nHandler* mptU16nHandler) {
    _tTokenizer.SetU16nHandler(mptU16nHandler);
}

void KxwiHtmlTreeBuilder::SetScriptingEnabled(bool mbEnabled) {
    _bScripting = mbEnabled;
}

bool KxwiHtmlTreeBuilder::StartOfInput(const char* mpszCaller) {
    if (!_bStarted && !_bFragment && _tOpen.IsEmpty() && !_pvHtml && !_pvHead && !_pvBody) return true;
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "KxwiHtmlTreeBuilder::%s called after input or another setup; ignored. "
                                          "this=%p",
                                          mpszCaller, static_cast<void*>(this));
    return false;
}

bool KxwiHtmlTreeBuilder::BeginFragment(void* mpvContext, const char* mpsfUpperName, size_t mnLen) {
    if (!mpvContext || (!mpsfUpperName && mnLen)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mpvContext=%p / mpsfUpperName=%p in "
                                              "KxwiHtmlTreeBuilder::BeginFragment. this=%p",
                                              mpvContext, static_cast<const void*>(mpsfUpperName),
                                              static_cast<void*>(this));
        return false;
    }
    if (!StartOfInput("BeginFragment")) return false;
    if (!mpsfUpperName) mpsfUpperName = "";
    _bFragment = true;
    _ePhase = kPhaseInBody;
    int iTag = LookupTag(mpsfUpperName, mnLen);
    // A TEXTAREA, SCRIPT, STYLE ... context gets its content as text.
    bool bRawText = StartRawText(iTag, mpsfUpperName, mnLen);
    Push(mpvContext, nullptr, iTag, mpsfUpperName, mnLen, bRawText ? kPushRawText : 0);
    _nFloor = 1;
    return true;
}

bool KxwiHtmlTreeBuilder::SetExistingDocumentElements(void* mpvHtml, void* mpvHead, void* mpvBody) {
    if (!StartOfInput("SetExistingDocumentElements")) return false;
    _pvHtml = mpvHtml;
    _pvHead = mpvHead;
    _pvBody = mpvBody;
    if (mpvHtml) Push(mpvHtml, nullptr, kTagHtml, "HTML", 4, 0);
    if (mpvBody) {
        Push(mpvBody, mpvHtml, kTagBody, "BODY", 4, 0);
        _ePhase = kPhaseInBody;
    } else if (mpvHead) {
        _ePhase = kPhaseAfterHead;
    } else if (mpvHtml) {
        _ePhase = kPhaseBeforeHead;
    }
    return true;
}

void KxwiHtmlTreeBuilder::Feed(const char* mpsfBytes, size_t mnLen) {
    if (_iStoppedAtScriptDepth == 0) return;
    BusyScope tBusy(&_iBusy);
    _bStarted = true;
    _tTokenizer.Feed(mpsfBytes, mnLen);
    if (_iScriptDepth == 0) Pump();  // while a script runs the bytes wait behind it
}

void KxwiHtmlTreeBuilder::EndOfInput() {
    BusyScope tBusy(&_iBusy);
    _bStarted = true;
    if (_iStoppedAtScriptDepth == 0) {
        if (!_bEnded && _iNoPump == 0) HandleEndOfInput();
        return;
    }
    _tTokenizer.EndOfInput();
    if (_iScriptDepth == 0) Pump();
}

void KxwiHtmlTreeBuilder::Write(const char* mpsfBytes, size_t mnLen) {
    if (!mpsfBytes && mnLen) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mpsfBytes is NULL for mnLen=%zu in KxwiHtmlTreeBuilder::Write. "
                                              "this=%p",
                                              mnLen, static_cast<void*>(this));
        return;
    }
    if (mnLen == 0) return;
    BusyScope tBusy(&_iBusy);
    _bStarted = true;
    if (_tTokenizer.IsEnded()) {
        // Written after the end of the input: built at the end of the tree, and the input ends once more.
        _tTokenizer.ReopenInput();
        _bReopened = true;
        _bEnded = false;
        _bEndToken = false;  // the end comes again after the written text
    }
    _tTokenizer.InsertInput(mpsfBytes, mnLen);
    if (!_bPaused) Pump();
}

void KxwiHtmlTreeBuilder::EnterScript() {
    BusyScope tBusy(&_iBusy);
    FlushText();
    // The script the builder waited for runs now: its writes are built at once, the rest of the page waits.
    _bPaused = false;
    _tTokenizer.Pause();
    _tTokenizer.BeginScriptWrites();
    ++_iScriptDepth;
}

void KxwiHtmlTreeBuilder::LeaveScript() {
    BusyScope tBusy(&_iBusy);
    if (_iScriptDepth == 0) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "KxwiHtmlTreeBuilder::LeaveScript without EnterScript; ignored. "
                                              "this=%p",
                                              static_cast<void*>(this));
        return;
    }
    --_iScriptDepth;
    if (_iStoppedAtScriptDepth > _iScriptDepth) _iStoppedAtScriptDepth = -1;
    _tTokenizer.EndScriptWrites();
    Pump();
}

void KxwiHtmlTreeBuilder::Stop() {
    if (IsStopped()) return;
    _iStoppedAtScriptDepth = _iScriptDepth;
    // Outside a script nothing more of the input is even read: the end comes with EndOfInput.
    if (_iScriptDepth == 0) _tTokenizer.Pause();
}

void KxwiHtmlTreeBuilder::Pause() {
    _bPaused = true;
    _tTokenizer.Pause();
    FlushText();  // whoever waits may look at the tree
}

void KxwiHtmlTreeBuilder::Resume() {
    BusyScope tBusy(&_iBusy);
    _bPaused = false;
    Pump();
}

void KxwiHtmlTreeBuilder::Reset() {
    if (_iBusy > 0 || _iNoPump > 0) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "KxwiHtmlTreeBuilder::Reset called while building; ignored. this=%p",
                                              static_cast<void*>(this));
        return;
    }
    _tTokenizer.Reset();
    _bFragment = _bStarted = false;
    _pvHtml = _pvHead = _pvBody = nullptr;
    _ePhase = kPhaseInitial;
    _nFloor = 0;
    _tOpen.Clear();
    std::memset(_auTopOfTag, 0, sizeof _auTopOfTag);
    _tOpenNames.Clear();
    _bFosterParenting = _bSkipNewline = _bDepthReported = _bNestingReported = false;
    _tText.Release();  // a long text run of the last page need not stay
    _pvTextParent = _pvTextBefore = nullptr;
    _bPaused = _bEnded = _bEndToken = _bReopened = false;
    _pvScriptToRun = nullptr;
    _iScriptDepth = 0;  // a script entered and never left (its window went away)
    _iStoppedAtScriptDepth = -1;
}

// ---------------------------------------------------------------------------------------------------------------
// Running: the tokenizer stops after a SCRIPT end tag and at the end of the input; the rest happens here, outside
// the tokenizer's loop, so that a script's writes can be tokenized at once.

void KxwiHtmlTreeBuilder::Pump() {
    if (_iNoPump > 0 || !_ptSink) return;
    for (;;) {
        if (_bPaused) break;
        if (_pvScriptToRun) {
            void* pvScript = _pvScriptToRun;
            _pvScriptToRun = nullptr;
            RunScript(pvScript, true);
            continue;
        }
        if (_bReopened && _iScriptDepth == 0) {
            _bReopened = false;
            _tTokenizer.EndOfInput();
            _tTokenizer.Resume();
            continue;
        }
        if (_bEndToken) {
            if (_iScriptDepth > 0) break;  // the end is handled once no script runs
            HandleEndOfInput();
            continue;
        }
        if (_tTokenizer.IsEnded()) break;
        _tTokenizer.Resume();
        if (!_pvScriptToRun && !_bEndToken) break;
    }
    if (_iScriptDepth > 0) {
        // Back to the running script: what it wrote is in the tree, and nothing more is read until it ends.
        FlushText();
        _tTokenizer.Pause();
    }
}

void KxwiHtmlTreeBuilder::RunScript(void* mpvScript, bool mbEndTagSeen) {
    FlushText();
    if (_iScriptDepth >= kMaxScriptNesting) {
        if (!_bNestingReported) {
            _bNestingReported = true;
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                     "Scripts written by scripts nest deeper than %d levels at line %d; the deeper "
                                     "ones are not run (KxwiHtmlTreeBuilder this=%p)",
                                     kMaxScriptNesting, _tTokenizer.GetLine(), static_cast<void*>(this));
        }
        return;
    }
    _tTokenizer.BeginScriptWrites();
    ++_iScriptDepth;
    _ptSink->OnScriptEnd(mpvScript, mbEndTagSeen);
    --_iScriptDepth;
    if (_iStoppedAtScriptDepth > _iScriptDepth) _iStoppedAtScriptDepth = -1;
    _tTokenizer.EndScriptWrites();
}

void KxwiHtmlTreeBuilder::HandleEndOfInput() {
    _bEndToken = false;
    FlushText();
    if (!IsStopped() && Depth() > _nFloor && TopTag() == kTagScript && IsTopRawText()) {
        // A SCRIPT cut off by the end of the input: the sink decides whether it runs. What it writes comes
        // first; the input then ends again. Otherwise the end is handled on the next round.
        void* pvScript = TopNode();
        PopTop();
        RunScript(pvScript, false);
        if (!_bReopened) _bEndToken = true;
        return;
    }
    if (!_bFragment) {
        int iLine = _tTokenizer.GetLine();
        if (_ePhase == kPhaseInitial) ImplyHtml(iLine);
        if (_ePhase == kPhaseBeforeHead) ImplyHead(iLine);
        if (_ePhase == kPhaseInHead) CloseHead();
        if (_ePhase == kPhaseAfterHead) ImplyBody(iLine);
        FlushText();
    }
    // Embedded objects and islands the page left open are complete all the same.
    for (size_t i = Depth(); i-- > _nFloor;)
        if (IsCompletedAtEnd(_tOpen[i]._ucTag) && _tOpen[i]._pvNode) _ptSink->OnElementEnd(_tOpen[i]._pvNode);
    _bEnded = true;
    // Writes from here (a deferred script run by the sink) are built at the end of the tree.
    _tTokenizer.BeginScriptWrites();
    ++_iScriptDepth;
    _ptSink->OnEndOfInput();
    --_iScriptDepth;
    _tTokenizer.EndScriptWrites();
}

void KxwiHtmlTreeBuilder::OnToken(KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) {
    (void)mrtTokenizer;
    if (!_ptSink) return;
    if (IsStopped() && mrtToken._eType != KXWI_HTML_TOKEN_TYPE_END_OF_INPUT) return;
    ++_iNoPump;
    bool bSkipNewline = _bSkipNewline;
    _bSkipNewline = false;
    switch (mrtToken._eType) {
        case KXWI_HTML_TOKEN_TYPE_TEXT: {
            const char* psfText = mrtToken._psfText;
            size_t nLen = mrtToken._nTextLen;
            if (bSkipNewline && nLen && (psfText[0] == '\n' || psfText[0] == '\r')) {
                size_t nSkip = nLen > 1 && psfText[0] == '\r' && psfText[1] == '\n' ? 2 : 1;
                psfText += nSkip;
                nLen -= nSkip;
            }
            if (nLen) ProcessText(psfText, nLen);
            break;
        }
        case KXWI_HTML_TOKEN_TYPE_START_TAG:
            ProcessStartTag(mrtToken);
            break;
        case KXWI_HTML_TOKEN_TYPE_END_TAG:
            ProcessEndTag(mrtToken);
            break;
        case KXWI_HTML_TOKEN_TYPE_COMMENT:
            ProcessComment(mrtToken._psfText, mrtToken._nTextLen);
            break;
        case KXWI_HTML_TOKEN_TYPE_DOCTYPE:
            _ptSink->OnDoctype(mrtToken._psfText, mrtToken._nTextLen);
            break;
        case KXWI_HTML_TOKEN_TYPE_END_OF_INPUT:
            _bEndToken = true;
            break;
    }
    --_iNoPump;
}

// ---------------------------------------------------------------------------------------------------------------
// Text and comments

void KxwiHtmlTreeBuilder::ProcessText(const char* mpsfText, size_t mnLen) {
    for (int iRound = 0; iRound < kMaxRounds && mnLen; ++iRound) {
        // Raw text belongs to its element wherever that stands.
        if (IsTopRawText()) {
            AddTextAt(mpsfText, mnLen);
            return;
        }
        switch (_ePhase) {
            case kPhaseInitial:
            case kPhaseBeforeHead: {
                // Blanks before the head are dropped; anything else opens the body.
                size_t nBlanks = CountLeadingBlanks(mpsfText, mnLen);
                mpsfText += nBlanks;
                mnLen -= nBlanks;
                if (!mnLen) return;
                if (_ePhase == kPhaseInitial)
                    ImplyHtml(_tTokenizer.GetLine());
                else
                    ImplyHead(_tTokenizer.GetLine());
                continue;
            }
            case kPhaseInHead:
            case kPhaseAfterHead: {
                size_t nBlanks = CountLeadingBlanks(mpsfText, mnLen);
                if (nBlanks) AddTextAt(mpsfText, nBlanks);
                mpsfText += nBlanks;
                mnLen -= nBlanks;
                if (!mnLen) return;
                if (_ePhase == kPhaseInHead) {
                    if (TopTag() == kTagNoscript && Depth() > _nFloor) {
                        PopTop();  // NOSCRIPT read as markup (scripting off): text ends it and the head
                        continue;
                    }
                    CloseHead();
                } else {
                    ImplyBody(_tTokenizer.GetLine());
                }
                continue;
            }
            case kPhaseInFrameset:
            case kPhaseAfterFrameset: {
                // Only the blanks are kept between frames.
                size_t nPos = 0;
                while (nPos < mnLen) {
                    size_t nBlanks = CountLeadingBlanks(mpsfText + nPos, mnLen - nPos);
                    if (nBlanks) AddTextAt(mpsfText + nPos, nBlanks);
                    nPos += nBlanks;
                    while (nPos < mnLen && !IsBlank(mpsfText[nPos])) ++nPos;
                }
                return;
            }
            case kPhaseInBody:
                break;
        }
        Mode eMode = CurrentMode();
        if (eMode == kModeTable || eMode == kModeTableBody || eMode == kModeRow) {
            // Blanks stay where they are; other text goes before the table, as the browsers show it.
            if (CountLeadingBlanks(mpsfText, mnLen) == mnLen) {
                AddTextAt(mpsfText, mnLen);
            } else {
                _bFosterParenting = true;
                AddTextAt(mpsfText, mnLen);
                _bFosterParenting = false;
            }
            return;
        }
        if (eMode == kModeColumnGroup) {
            size_t nBlanks = CountLeadingBlanks(mpsfText, mnLen);
            if (nBlanks) AddTextAt(mpsfText, nBlanks);
            mpsfText += nBlanks;
            mnLen -= nBlanks;
            if (!mnLen || EffectiveTop() < _nFloor) return;
            PopTo(EffectiveTop());
            continue;
        }
        AddTextAt(mpsfText, mnLen);
        return;
    }
}

void KxwiHtmlTreeBuilder::ProcessComment(const char* mpsfText, size_t mnLen) {
    FlushText();
    _ptSink->AddComment(TopNode(), mpsfText, mnLen);
}

void KxwiHtmlTreeBuilder::AddTextAt(const char* mpsfText, size_t mnLen) {
    void* pvParent = nullptr;
    void* pvBefore = nullptr;
    FindPlace(&pvParent, &pvBefore);
    if (!_tText.IsEmpty() && (pvParent != _pvTextParent || pvBefore != _pvTextBefore)) FlushText();
    _pvTextParent = pvParent;
    _pvTextBefore = pvBefore;
    _tText.Append(mpsfText, mnLen);
}

void KxwiHtmlTreeBuilder::FlushText() {
    if (_tText.IsEmpty() || !_ptSink) return;
    // No tokens are built while the sink holds the buffer.
    ++_iNoPump;
    bool bPlaced = _ptSink->AddText(_pvTextParent, _pvTextBefore, _tText.Data(), _tText.Size());
    if (!bPlaced && _pvTextBefore) _ptSink->AddText(_pvTextParent, nullptr, _tText.Data(), _tText.Size());
    --_iNoPump;
    _tText.Clear();
}

// ---------------------------------------------------------------------------------------------------------------
// Start tags

void KxwiHtmlTreeBuilder::ProcessStartTag(const KxwiHtmlToken& mrtToken) {
    int iTag = LookupTag(mrtToken._psfUpperName, mrtToken._nNameLen);
    uint16_t usFlags = Flags(iTag);
    for (int iRound = 0; iRound < kMaxRounds; ++iRound) {
        switch (_ePhase) {
            case kPhaseInitial:
                if (iTag == kTagHtml) {
                    _pvHtml = InsertElement(mrtToken, iTag, true);
                    _ePhase = kPhaseBeforeHead;
                    return;
                }
                ImplyHtml(mrtToken._iLine);
                continue;
            case kPhaseBeforeHead:
                if (iTag == kTagHtml) {
                    MergeAttributes(_pvHtml, mrtToken);
                    return;
                }
                if (iTag == kTagHead) {
                    _pvHead = InsertElement(mrtToken, iTag, true);
                    _ePhase = kPhaseInHead;
                    return;
                }
                ImplyHead(mrtToken._iLine);
                continue;
            case kPhaseInHead:
                if (iTag == kTagHtml) {
                    MergeAttributes(_pvHtml, mrtToken);
                    return;
                }
                if (iTag == kTagHead) return;
                if (usFlags & kHeadContent) {
                    InsertElement(mrtToken, iTag, !(usFlags & kVoid));
                    return;
                }
                if (TopTag() == kTagNoscript && Depth() > _nFloor) {
                    PopTop();  // NOSCRIPT read as markup: body content ends it, then the head
                    continue;
                }
                CloseHead();
                continue;
            case kPhaseAfterHead:
                if (iTag == kTagHtml) {
                    MergeAttributes(_pvHtml, mrtToken);
                    return;
                }
                if (iTag == kTagHead) return;
                if (iTag == kTagBody) {
                    _pvBody = InsertElement(mrtToken, iTag, true);
                    _ePhase = kPhaseInBody;
                    return;
                }
                if (iTag == kTagFrameset) {
                    InsertElement(mrtToken, iTag, true);
                    _ePhase = kPhaseInFrameset;
                    return;
                }
                if ((usFlags & kHeadContent) && _pvHead) {
                    // Head content between </head> and the body still goes to the head.
                    InsertInto(_pvHead, mrtToken, iTag, !(usFlags & kVoid));
                    return;
                }
                ImplyBody(mrtToken._iLine);
                continue;
            case kPhaseInBody:
                if (!StartTagInBody(mrtToken, iTag)) continue;
                return;
            case kPhaseInFrameset:
            case kPhaseAfterFrameset:
                if (iTag == kTagHtml) {
                    MergeAttributes(_pvHtml, mrtToken);
                } else if (iTag == kTagNoframes) {
                    InsertElement(mrtToken, iTag, true);
                } else if (_ePhase == kPhaseInFrameset && (iTag == kTagFrameset || iTag == kTagFrame)) {
                    InsertElement(mrtToken, iTag, iTag == kTagFrameset);
                }
                return;  // anything else has no place in a frameset document
        }
    }
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "Start tag <%.100s> at line %d dropped after %d rounds in "
                                          "KxwiHtmlTreeBuilder::ProcessStartTag. this=%p",
                                          mrtToken._psfUpperName, mrtToken._iLine, kMaxRounds,
                                          static_cast<void*>(this));
}

// The body's rules, with the table and select rules over them. False: the token must be taken again (something
// was closed or implied).
bool KxwiHtmlTreeBuilder::StartTagInBody(const KxwiHtmlToken& mrtToken, int miTag) {
    Mode eMode = CurrentMode();
    if (eMode == kModeSelect) return StartTagInSelect(mrtToken, miTag);
    if (eMode == kModeTable || eMode == kModeTableBody || eMode == kModeRow) {
        Result eResult = StartTagInTable(mrtToken, miTag, eMode);
        if (eResult != kResultNotMine) return eResult == kResultDone;
        // Anything else is placed before the table (unless a FORM inside the table holds it), by the body's rules.
        _bFosterParenting = true;
        bool bDone = BodyStartTag(mrtToken, miTag);
        _bFosterParenting = false;
        return bDone;
    }
    if (eMode == kModeColumnGroup) {
        if (miTag == kTagCol) {
            InsertElement(mrtToken, miTag, false);
            return true;
        }
        if (EffectiveTop() < _nFloor) return true;  // a COLGROUP fragment takes nothing else
        PopTo(EffectiveTop());
        return false;
    }
    return BodyStartTag(mrtToken, miTag);
}

KxwiHtmlTreeBuilder::Result KxwiHtmlTreeBuilder::StartTagInTable(const KxwiHtmlToken& mrtToken, int miTag,
                                                                 Mode meMode) {
    switch (miTag) {
        case kTagCaption:
        case kTagColgroup:
        case kTagCol:
        case kTagTbody:
        case kTagThead:
        case kTagTfoot:
            if (meMode != kModeTable) return CloseTablePart();
            InsertElement(mrtToken, miTag, miTag != kTagCol);
            return kResultDone;
        case kTagTr:
            if (meMode == kModeTable) return InsertImplied("TBODY", kTagTbody, mrtToken._iLine);
            if (meMode == kModeRow) return CloseTablePart();
            InsertElement(mrtToken, miTag, true);
            return kResultDone;
        case kTagTd:
        case kTagTh:
            if (meMode == kModeTable) return InsertImplied("TBODY", kTagTbody, mrtToken._iLine);
            if (meMode == kModeTableBody) return InsertImplied("TR", kTagTr, mrtToken._iLine);
            InsertElement(mrtToken, miTag, true);
            return kResultDone;
        case kTagTable: {
            // A table directly in a table ends the first one.
            if (meMode != kModeTable) return CloseTablePart();
            size_t nTable = FindInScope(kTagTable, kScopeTable);
            if (nTable == kNotFound) return kResultDone;
            PopTo(nTable);
            return kResultAgain;
        }
        case kTagScript:
        case kTagStyle:
            InsertElement(mrtToken, miTag, true);
            return kResultDone;
        case kTagInput: {
            const KxwiHtmlAttr* ptType = FindAttr(mrtToken, "type");
            if (!ptType || !IsEqualNoCase(ptType->_psfValue, ptType->_nValueLen, "hidden")) return kResultNotMine;
            InsertElement(mrtToken, miTag, false);
            return kResultDone;
        }
        case kTagForm:
            // Old pages put forms between rows and cells, and the browsers kept the rows inside the form, so that
            // its controls belong to it. The FORM stays where it is written and the table rules look through it.
            if (IsOnStack(kTagForm)) return kResultDone;
            InsertElement(mrtToken, miTag, true, true);
            return kResultDone;
        default:
            return kResultNotMine;
    }
}

// Closes the innermost table section or row (with what is open in it) so that the token is taken again one level
// up; ignores the token when that part is the fragment's context.
KxwiHtmlTreeBuilder::Result KxwiHtmlTreeBuilder::CloseTablePart() {
    size_t nTop = EffectiveTop();
    if (nTop < _nFloor || nTop == kNotFound) return kResultDone;
    PopTo(nTop);
    return kResultAgain;
}

bool KxwiHtmlTreeBuilder::StartTagInSelect(const KxwiHtmlToken& mrtToken, int miTag) {
    switch (miTag) {
        case kTagOption:
            if (TopTag() == kTagOption && Depth() > _nFloor) PopTop();
            InsertElement(mrtToken, miTag, true);
            return true;
        case kTagOptgroup:
            if (TopTag() == kTagOption && Depth() > _nFloor) PopTop();
            if (TopTag() == kTagOptgroup && Depth() > _nFloor) PopTop();
            InsertElement(mrtToken, miTag, true);
            return true;
        case kTagSelect:
        case kTagInput:
        case kTagKeygen:
        case kTagTextarea:
        case kTagCaption:
        case kTagTable:
        case kTagTbody:
        case kTagTfoot:
        case kTagThead:
        case kTagTr:
        case kTagTd:
        case kTagTh: {
            // These end the list: a SELECT start tag as its end tag, the others are then taken again.
            size_t nSelect = FindInScope(kTagSelect, kScopeSelect);
            if (nSelect == kNotFound) return true;
            PopTo(nSelect);
            return miTag == kTagSelect;
        }
        case kTagScript:
        case kTagStyle:
            InsertElement(mrtToken, miTag, true);
            return true;
        case kTagHtml:
            MergeAttributes(_pvHtml, mrtToken);
            return true;
        default:
            return true;  // other markup inside a list is dropped, its text kept
    }
}

bool KxwiHtmlTreeBuilder::BodyStartTag(const KxwiHtmlToken& mrtToken, int miTag) {
    uint16_t usFlags = Flags(miTag);
    if (usFlags & kTableStruct) {
        // Inside a cell or caption these close it; inside something placed before a table they close that; with
        // no table around they are stray and dropped.
        // Whichever of them stands highest decides.
        const TagSets& rtSets = Sets();
        size_t nCell = TopOfAny(rtSets._tCells._aucTags, rtSets._tCells._nCount);
        size_t nContext = std::max(TopOfAny(rtSets._tTableContexts._aucTags, rtSets._tTableContexts._nCount),
                                   TopOf(kTransparentSlot));
        size_t nHtml = TopOf(kTagHtml);
        if (nCell > nContext && nCell > nHtml) {
            if (nCell - 1 < _nFloor) return true;
            PopTo(nCell - 1);
            return false;
        }
        if (nContext > nHtml) {
            if (nContext >= Depth()) return true;
            PopTo(nContext);
            return false;
        }
        return true;
    }
    switch (miTag) {
        case kTagHtml:
            MergeAttributes(_pvHtml, mrtToken);
            return true;
        case kTagBody:
            // <BODY onload=...> after content that already opened the body: the attributes still count.
            if (!_bFragment) MergeAttributes(_pvBody, mrtToken);
            return true;
        case kTagHead:
        case kTagFrameset:
        case kTagFrame:
            return true;  // a body once begun is not replaced by frames
        case kTagA: {
            // An A inside an A closes the first one. (The browsers differ in what they reopen after it; the
            // builder reopens nothing.)
            const TagSet& rtScope = Sets()._tScope;
            if (TopOf(kTagA) > _nFloor && TopOf(kTagA) > TopOfAny(rtScope._aucTags, rtScope._nCount))
                PopTo(TopOf(kTagA) - 1);
            InsertElement(mrtToken, miTag, true);
            return true;
        }
        case kTagNobr:
        case kTagButton: {
            size_t nOpen = FindInScope(miTag, kScopeDefault);
            if (nOpen != kNotFound) PopTo(nOpen);
            InsertElement(mrtToken, miTag, true);
            return true;
        }
        case kTagLi:
        case kTagDd:
        case kTagDt: {
            // A list item closes the open item of its kind, unless a block other than ADDRESS, DIV or P is
            // between them (a nested list).
            // The items are blocks themselves: the nearest item is found when no other block stands above it.
            size_t nItem = miTag == kTagLi ? TopOf(kTagLi) : std::max(TopOf(kTagDd), TopOf(kTagDt));
            const TagSet& rtBoundaries = Sets()._tListItemBoundary;
            if (nItem > _nFloor && nItem >= TopOfAny(rtBoundaries._aucTags, rtBoundaries._nCount)) PopTo(nItem - 1);
            ClosePInButtonScope();
            InsertElement(mrtToken, miTag, true);
            return true;
        }
        case kTagH1:
        case kTagH2:
        case kTagH3:
        case kTagH4:
        case kTagH5:
        case kTagH6:
            ClosePInButtonScope();
            if ((Flags(TopTag()) & kHeading) && Depth() > _nFloor) PopTop();
            InsertElement(mrtToken, miTag, true);
            return true;
        case kTagPre:
        case kTagListing:
        case kTagTextarea:
            if (miTag != kTagTextarea) ClosePInButtonScope();
            InsertElement(mrtToken, miTag, true);
            _bSkipNewline = true;  // a line break right after the start tag is not content
            return true;
        case kTagForm:
            if (IsOnStack(kTagForm)) return true;  // a form inside a form is ignored; its controls join the outer
            ClosePInButtonScope();
            InsertElement(mrtToken, miTag, true);
            return true;
        case kTagTable:
            // Quirks mode: a table does not close an open P.
            InsertElement(mrtToken, miTag, true);
            return true;
        case kTagOption:
        case kTagOptgroup:
            if (TopTag() == kTagOption && Depth() > _nFloor) PopTop();
            InsertElement(mrtToken, miTag, true);
            return true;
        default:
            if (usFlags & kClosesP) ClosePInButtonScope();
            InsertElement(mrtToken, miTag, !(usFlags & kVoid));
            return true;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// End tags

void KxwiHtmlTreeBuilder::ProcessEndTag(const KxwiHtmlToken& mrtToken) {
    int iTag = LookupTag(mrtToken._psfUpperName, mrtToken._nNameLen);
    // The end of raw text is the end of its element.
    if (iTag != kTagOther && Depth() > _nFloor && TopTag() == iTag && IsTopRawText()) {
        void* pvNode = TopNode();
        PopTop();
        if (iTag == kTagScript && pvNode) {
            _pvScriptToRun = pvNode;
            _tTokenizer.Pause();
        }
        return;
    }
    for (int iRound = 0; iRound < kMaxRounds; ++iRound) {
        switch (_ePhase) {
            case kPhaseInitial:
            case kPhaseBeforeHead:
            case kPhaseAfterHead:
                if (iTag == kTagBr) break;  // </br> is a <br>, which opens the body
                return;
            case kPhaseInHead:
                if (iTag == kTagHead) {
                    CloseHead();
                    return;
                }
                if (iTag == kTagNoscript && TopTag() == kTagNoscript && Depth() > _nFloor) {
                    PopTop();
                    return;
                }
                if (iTag == kTagBr) break;
                return;
            case kPhaseInFrameset:
                if (iTag == kTagFrameset && TopTag() == kTagFrameset && Depth() > _nFloor) {
                    PopTop();
                    if (!IsOnStack(kTagFrameset)) _ePhase = kPhaseAfterFrameset;
                }
                return;
            case kPhaseAfterFrameset:
                return;
            case kPhaseInBody:
                if (EndTagInBody(mrtToken, iTag)) return;
                continue;
        }
        // </br>: a BR as if it were a start tag, without attributes.
        KxwiHtmlToken tBr = mrtToken;
        tBr._eType = KXWI_HTML_TOKEN_TYPE_START_TAG;
        tBr._ptAttrs = nullptr;
        tBr._nAttrCount = 0;
        ProcessStartTag(tBr);
        return;
    }
}

// False: the token must be taken again.
bool KxwiHtmlTreeBuilder::EndTagInBody(const KxwiHtmlToken& mrtToken, int miTag) {
    Mode eMode = CurrentMode();
    if (eMode == kModeSelect) {
        switch (miTag) {
            case kTagOption:
                if (TopTag() == kTagOption && Depth() > _nFloor) PopTop();
                return true;
            case kTagOptgroup:
                if (TopTag() == kTagOption && Depth() > _nFloor + 1 && _tOpen[Depth() - 2]._ucTag == kTagOptgroup)
                    PopTop();
                if (TopTag() == kTagOptgroup && Depth() > _nFloor) PopTop();
                return true;
            case kTagSelect: {
                size_t nSelect = FindInScope(kTagSelect, kScopeSelect);
                if (nSelect != kNotFound) PopTo(nSelect);
                return true;
            }
            case kTagCaption:
            case kTagTable:
            case kTagTbody:
            case kTagTfoot:
            case kTagThead:
            case kTagTr:
            case kTagTd:
            case kTagTh: {
                size_t nSelect = FindInScope(kTagSelect, kScopeSelect);
                if (nSelect == kNotFound || FindInScope(miTag, kScopeTable) == kNotFound) return true;
                PopTo(nSelect);
                return false;
            }
            default:
                return true;
        }
    }
    if (eMode == kModeColumnGroup) {
        if (miTag == kTagCol) return true;
        if (EffectiveTop() < _nFloor) return true;
        PopTo(EffectiveTop());
        return miTag == kTagColgroup;
    }
    bool bInTable = eMode == kModeTable || eMode == kModeTableBody || eMode == kModeRow;
    uint16_t usFlags = Flags(miTag);
    switch (miTag) {
        case kTagBody:
        case kTagHtml:
        case kTagHead:
        case kTagFrameset:
            // The body stays open to the end: what follows </body> or </html> still goes into it.
            return true;
        case kTagBr: {
            KxwiHtmlToken tBr = mrtToken;
            tBr._eType = KXWI_HTML_TOKEN_TYPE_START_TAG;
            tBr._ptAttrs = nullptr;
            tBr._nAttrCount = 0;
            _bFosterParenting = bInTable;
            InsertElement(tBr, kTagBr, false);
            _bFosterParenting = false;
            return true;
        }
        case kTagP: {
            size_t nP = FindInScope(kTagP, kScopeButton);
            if (nP != kNotFound) {
                PopTo(nP);
                return true;
            }
            // </p> without an open P makes an empty P, as the browsers do.
            KxwiHtmlToken tP = mrtToken;
            tP._eType = KXWI_HTML_TOKEN_TYPE_START_TAG;
            tP._ptAttrs = nullptr;
            tP._nAttrCount = 0;
            _bFosterParenting = bInTable;
            InsertElement(tP, kTagP, false);
            _bFosterParenting = false;
            return true;
        }
        case kTagLi: {
            size_t nLi = FindInScope(kTagLi, kScopeListItem);
            if (nLi != kNotFound) PopTo(nLi);
            return true;
        }
        case kTagH1:
        case kTagH2:
        case kTagH3:
        case kTagH4:
        case kTagH5:
        case kTagH6: {
            // Any heading closes the open one: <h1>...</h2> ends the H1.
            const TagSets& rtSets = Sets();
            size_t nHeading = TopOfAny(rtSets._tHeadings._aucTags, rtSets._tHeadings._nCount);
            if (nHeading > _nFloor && nHeading > TopOfAny(rtSets._tScope._aucTags, rtSets._tScope._nCount))
                PopTo(nHeading - 1);
            return true;
        }
        case kTagTable:
        case kTagTbody:
        case kTagThead:
        case kTagTfoot:
        case kTagTr:
        case kTagTd:
        case kTagTh:
        case kTagCaption:
        case kTagColgroup: {
            size_t nOpen = FindInScope(miTag, kScopeTable);
            if (nOpen != kNotFound) PopTo(nOpen);
            return true;
        }
        case kTagForm:
        case kTagDd:
        case kTagDt:
        case kTagSelect: {
            // </form> closes the form with what is still open in it, so that the rows after a form inside a
            // table are outside it, as written.
            size_t nOpen = FindInScope(miTag, kScopeDefault);
            if (nOpen != kNotFound) PopTo(nOpen);
            return true;
        }
        default:
            break;
    }
    if (usFlags & kVoid) return true;
    if (usFlags & kBlockEnd) {
        size_t nOpen = FindInScope(miTag, kScopeDefault);
        if (nOpen != kNotFound) PopTo(nOpen);
        return true;
    }
    OtherEndTag(mrtToken, miTag);
    return true;
}

// Any other end tag closes the nearest open element of its name, with what was opened inside it (</b> while an I
// inside the B is open closes both), unless an element that structures the page stands between them: then the
// end tag is stray and ignored.
void KxwiHtmlTreeBuilder::OtherEndTag(const KxwiHtmlToken& mrtToken, int miTag) {
    const TagSet& rtSpecial = Sets()._tSpecial;
    size_t nSpecial = TopOfAny(rtSpecial._aucTags, rtSpecial._nCount);
    // The open elements of the tag from the top down, as far as the topmost special one (a special tag is found at
    // its own place); elements of tags the builder does not know are told apart by their names.
    for (size_t nTop = TopOf(miTag); nTop > _nFloor && nTop >= nSpecial; nTop = _tOpen[nTop - 1]._uBelowSameTag) {
        const OpenElement& rtOpen = _tOpen[nTop - 1];
        if (miTag != kTagOther ||
            (rtOpen._nNameLen == mrtToken._nNameLen &&
             std::memcmp(_tOpenNames.Data() + rtOpen._nNameBegin, mrtToken._psfUpperName, mrtToken._nNameLen) == 0)) {
            PopTo(nTop - 1);
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Placing nodes

void* KxwiHtmlTreeBuilder::InsertElement(const KxwiHtmlToken& mrtToken, int miTag, bool mbPush, bool mbTransparent) {
    void* pvParent = nullptr;
    void* pvBefore = nullptr;
    FindPlace(&pvParent, &pvBefore);
    void* pvNode = CreateAndLink(mrtToken._psfUpperName, mrtToken._nNameLen, mrtToken._ptAttrs, mrtToken._nAttrCount,
                                 false, mrtToken._iLine, pvParent, pvBefore);
    // Raw text is read as such even when the element could not be made; its text then goes to the parent.
    bool bRawText = StartRawText(miTag, mrtToken._psfUpperName, mrtToken._nNameLen);
    if (!pvNode) return nullptr;
    if (mbPush) {
        unsigned uFlags = (bRawText ? kPushRawText | kPushReserve : 0) | (mbTransparent ? kPushTransparent : 0);
        Push(pvNode, pvParent, miTag, mrtToken._psfUpperName, mrtToken._nNameLen, uFlags);
    }
    if (miTag == kTagMeta) CheckMetaCharset(mrtToken);
    return pvNode;
}

void* KxwiHtmlTreeBuilder::InsertInto(void* mpvParent, const KxwiHtmlToken& mrtToken, int miTag, bool mbPush) {
    void* pvNode = CreateAndLink(mrtToken._psfUpperName, mrtToken._nNameLen, mrtToken._ptAttrs, mrtToken._nAttrCount,
                                 false, mrtToken._iLine, mpvParent, nullptr);
    bool bRawText = StartRawText(miTag, mrtToken._psfUpperName, mrtToken._nNameLen);
    if (!pvNode) return nullptr;
    if (mbPush)
        Push(pvNode, mpvParent, miTag, mrtToken._psfUpperName, mrtToken._nNameLen,
             bRawText ? kPushRawText | kPushReserve : 0);
    if (miTag == kTagMeta) CheckMetaCharset(mrtToken);
    return pvNode;
}

KxwiHtmlTreeBuilder::Result KxwiHtmlTreeBuilder::InsertImplied(const char* mpszName, int miTag, int miLine) {
    void* pvParent = nullptr;
    void* pvBefore = nullptr;
    FindPlace(&pvParent, &pvBefore);
    size_t nLen = std::strlen(mpszName);
    void* pvNode = CreateAndLink(mpszName, nLen, nullptr, 0, true, miLine, pvParent, pvBefore);
    // Without the element the rules cannot move on: the token that asked for it is dropped.
    if (!pvNode || !Push(pvNode, pvParent, miTag, mpszName, nLen, kPushReserve)) return kResultDone;
    return kResultAgain;
}

void* KxwiHtmlTreeBuilder::CreateAndLink(const char* mpsfName, size_t mnLen, const KxwiHtmlAttr* mptAttrs,
                                         size_t mnCount, bool mbImplied, int miLine, void* mpvParent, void* mpvBefore) {
    void* pvNode = _ptSink->CreateElement(mpsfName, mnLen, mptAttrs, mnCount, mbImplied, miLine);
    if (!pvNode) return nullptr;  // the text around it stays one run
    FlushText();
    // An element to go before a table that a script has moved goes to the end of the table's old parent.
    if (mpvBefore && _ptSink->InsertBefore(mpvParent, pvNode, mpvBefore)) return pvNode;
    if (_ptSink->AppendChild(mpvParent, pvNode)) return pvNode;
    return nullptr;
}

bool KxwiHtmlTreeBuilder::Push(void* mpvNode, void* mpvParent, int miTag, const char* mpsfName, size_t mnLen,
                               unsigned muFlags) {
    if (Depth() >= kMaxDepth + ((muFlags & kPushReserve) ? kDepthReserve : 0)) {
        ReportDepthOnce();
        return false;
    }
    bool bTransparent = (muFlags & kPushTransparent) != 0;
    OpenElement tOpen{mpvNode,
                      mpvParent,
                      _tOpenNames.Size(),
                      0,
                      static_cast<uint8_t>(miTag),
                      (muFlags & kPushRawText) != 0,
                      bTransparent,
                      _auTopOfTag[miTag],
                      _auTopOfTag[kTransparentSlot]};
    if (miTag == kTagOther) {
        _tOpenNames.Append(mpsfName, mnLen);
        tOpen._nNameLen = mnLen;
    }
    _tOpen.Push(tOpen);
    auto uTop = static_cast<uint32_t>(Depth());
    _auTopOfTag[miTag] = uTop;
    if (bTransparent) _auTopOfTag[kTransparentSlot] = uTop;
    return true;
}

void KxwiHtmlTreeBuilder::MergeAttributes(void* mpvElement, const KxwiHtmlToken& mrtToken) {
    if (mpvElement && mrtToken._nAttrCount)
        _ptSink->MergeAttributes(mpvElement, mrtToken._ptAttrs, mrtToken._nAttrCount);
}

void KxwiHtmlTreeBuilder::FindPlace(void** mppvParent, void** mppvBefore) const {
    *mppvBefore = nullptr;
    if (_tOpen.IsEmpty()) {
        *mppvParent = nullptr;  // the document
        return;
    }
    const OpenElement& rtTop = _tOpen[Depth() - 1];
    *mppvParent = rtTop._pvNode;
    if (!_bFosterParenting || rtTop._bTransparent || !IsTableContext(rtTop._ucTag)) return;
    if (size_t nTable = TopOf(kTagTable)) {
        // A fragment's table context has no known parent: content stays in it.
        size_t i = nTable - 1;
        if (i < _nFloor) return;
        *mppvParent = _tOpen[i]._pvParent;
        *mppvBefore = _tOpen[i]._pvNode;
    }
}

bool KxwiHtmlTreeBuilder::StartRawText(int miTag, const char* mpsfName, size_t mnLen) {
    auto eMode = static_cast<KXWI_HTML_TEXT_MODE_ENUM>(katTags[miTag]._ucTextMode);
    if (eMode == KXWI_HTML_TEXT_MODE_DATA || (miTag == kTagNoscript && !_bScripting)) return false;
    _tTokenizer.SetRawTextMode(eMode, mpsfName, mnLen);
    return true;
}

void KxwiHtmlTreeBuilder::CheckMetaCharset(const KxwiHtmlToken& mrtToken) {
    if (_bFragment) return;
    const char* psfCharset = nullptr;
    size_t nLen = 0;
    if (const KxwiHtmlAttr* ptCharset = FindAttr(mrtToken, "charset")) {
        psfCharset = ptCharset->_psfValue;
        nLen = ptCharset->_nValueLen;
        while (nLen && IsBlank(*psfCharset)) ++psfCharset, --nLen;
        while (nLen && IsBlank(psfCharset[nLen - 1])) --nLen;
    } else {
        const KxwiHtmlAttr* ptEquiv = FindAttr(mrtToken, "http-equiv");
        const KxwiHtmlAttr* ptContent = FindAttr(mrtToken, "content");
        if (!ptEquiv || !ptContent || !IsEqualNoCase(ptEquiv->_psfValue, ptEquiv->_nValueLen, "content-type")) return;
        if (!xfbKxwiHtmlFindCharsetInContent(ptContent->_psfValue, ptContent->_nValueLen, &psfCharset, &nLen)) return;
    }
    if (nLen) _ptSink->OnMetaCharset(psfCharset, nLen);
}

void KxwiHtmlTreeBuilder::ReportDepthOnce() {
    if (_bDepthReported) return;
    _bDepthReported = true;
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                             "Elements nest deeper than %zu levels at line %d; deeper elements are placed side by "
                             "side in the deepest one (KxwiHtmlTreeBuilder this=%p)",
                             kMaxDepth, _tTokenizer.GetLine(), static_cast<void*>(this));
}

// ---------------------------------------------------------------------------------------------------------------
// The stack of open elements

int KxwiHtmlTreeBuilder::TopTag() const {
    return _tOpen.IsEmpty() ? static_cast<int>(kTagOther) : _tOpen[Depth() - 1]._ucTag;
}

void* KxwiHtmlTreeBuilder::TopNode() const {
    return _tOpen.IsEmpty() ? nullptr : _tOpen[Depth() - 1]._pvNode;
}

bool KxwiHtmlTreeBuilder::IsTopRawText() const {
    return !_tOpen.IsEmpty() && _tOpen[Depth() - 1]._bRawText;
}

void KxwiHtmlTreeBuilder::PopTo(size_t mnSize) {
    if (mnSize < _nFloor) mnSize = _nFloor;
    if (mnSize >= Depth()) return;
    for (size_t i = Depth(); i-- > mnSize;) {
        const OpenElement& rtOpen = _tOpen[i];
        _auTopOfTag[rtOpen._ucTag] = rtOpen._uBelowSameTag;
        if (rtOpen._bTransparent) _auTopOfTag[kTransparentSlot] = rtOpen._uBelowTransparent;
        // The sink only records the element: nothing it does changes the stack. The element is complete with
        // the text still buffered for it (an island's content).
        if (IsCompletedAtEnd(rtOpen._ucTag) && rtOpen._pvNode) {
            FlushText();
            _ptSink->OnElementEnd(rtOpen._pvNode);
        }
    }
    _tOpenNames.Shrink(_tOpen[mnSize]._nNameBegin);
    _tOpen.Shrink(mnSize);
}

size_t KxwiHtmlTreeBuilder::TopOfAny(const uint8_t* mpucTags, size_t mnCount) const {
    size_t nTop = 0;
    for (size_t n = 0; n < mnCount; ++n)
        if (_auTopOfTag[mpucTags[n]] > nTop) nTop = _auTopOfTag[mpucTags[n]];
    return nTop;
}

size_t KxwiHtmlTreeBuilder::FindInScope(int miTag, int miScope) const {
    if (miScope == kScopeSelect) {
        // Everything but OPTION and OPTGROUP bounds it: the walk stops at once, past the options open above.
        for (size_t i = Depth(); i-- > _nFloor;) {
            int iTag = _tOpen[i]._ucTag;
            if (iTag == miTag) return i;
            if (IsScopeBoundary(iTag, miScope)) return kNotFound;
        }
        return kNotFound;
    }
    // The topmost element of the tag is in scope when no boundary stands above it (a tag that is a boundary
    // itself is found at its own place, as the walk down the stack would find it).
    size_t nTarget = TopOf(miTag);
    if (nTarget <= _nFloor) return kNotFound;
    const TagSet& rtBoundaries = ScopeBoundaries(miScope);
    return nTarget >= TopOfAny(rtBoundaries._aucTags, rtBoundaries._nCount) ? nTarget - 1 : kNotFound;
}

bool KxwiHtmlTreeBuilder::IsOnStack(int miTag) const {
    return TopOf(miTag) > _nFloor;
}

// The open element that the table rules look at: the top one, or what a FORM inside the table stands on.
size_t KxwiHtmlTreeBuilder::EffectiveTop() const {
    size_t i = Depth();
    while (i > 0 && _tOpen[i - 1]._bTransparent) --i;
    return i == 0 ? kNotFound : i - 1;
}

KxwiHtmlTreeBuilder::Mode KxwiHtmlTreeBuilder::CurrentMode() const {
    size_t nTop = EffectiveTop();
    if (nTop == kNotFound) return kModeBody;
    switch (_tOpen[nTop]._ucTag) {
        case kTagTable:
            return kModeTable;
        case kTagTbody:
        case kTagThead:
        case kTagTfoot:
            return kModeTableBody;
        case kTagTr:
            return kModeRow;
        case kTagColgroup:
            return kModeColumnGroup;
        case kTagSelect:
            return kModeSelect;
        case kTagOption:
        case kTagOptgroup:
            for (size_t i = nTop; i-- > 0;) {
                int iTag = _tOpen[i]._ucTag;
                if (iTag == kTagSelect) return kModeSelect;
                if (iTag != kTagOption && iTag != kTagOptgroup) break;
            }
            return kModeBody;
        default:
            return kModeBody;
    }
}

void KxwiHtmlTreeBuilder::ClosePInButtonScope() {
    size_t nP = FindInScope(kTagP, kScopeButton);
    if (nP != kNotFound) PopTo(nP);
}

void KxwiHtmlTreeBuilder::ImplyHtml(int miLine) {
    if (InsertImplied("HTML", kTagHtml, miLine) == kResultAgain) _pvHtml = TopNode();
    _ePhase = kPhaseBeforeHead;
}

void KxwiHtmlTreeBuilder::ImplyHead(int miLine) {
    if (InsertImplied("HEAD", kTagHead, miLine) == kResultAgain) _pvHead = TopNode();
    _ePhase = kPhaseInHead;
}

void KxwiHtmlTreeBuilder::ImplyBody(int miLine) {
    if (InsertImplied("BODY", kTagBody, miLine) == kResultAgain) _pvBody = TopNode();
    _ePhase = kPhaseInBody;
}

void KxwiHtmlTreeBuilder::CloseHead() {
    if (TopOf(kTagHead) > _nFloor) PopTo(TopOf(kTagHead) - 1);
    _ePhase = kPhaseAfterHead;
}
