#include "KxwDomHtmlElementScript.h"

#include <cstring>
#include <string>

#include "KxwDomHtcDocument.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptEvaluationNotifier.h"
#include "KxwDomStr.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilStrCompare.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr short kIdLanguage = KxwDomHtmlElement::kFirstDerivedTinyId;  // 7
// The generic element properties a script answers itself (innerHTML 238, innerText 244, as the wrapper passes
// them).
constexpr short kIdElementInnerHtml = -18;
constexpr short kIdElementInnerText = -12;

const KxwJswPropertySpec katScriptProperties[] = {
    {"language", kIdLanguage, kAttr, "S"},    {"src", kIdLanguage + 1, kAttr, "S"},
    {"event", kIdLanguage + 2, kAttr, "S"},   {"type", kIdLanguage + 3, kAttr, "S"},
    {"defer", kIdLanguage + 4, kAttr, "b"},   {"text", kIdLanguage + 5, KXW_JSW_PROP_PERMANENT, "S"},
    {"htmlFor", kIdLanguage + 6, kAttr, "S"}, {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsLineBreak(char c) {
    return c == '\n' || c == '\r';
}

// Whether mpsfText (of mnLen bytes) contains mpszAsc, ASCII case ignored.
bool ContainsIgnoreCase(const char* mpsfText, size_t mnLen, const char* mpszAsc) {
    size_t nAscLen = std::strlen(mpszAsc);
    for (size_t n = 0; mpsfText && n + nAscLen <= mnLen; ++n)
        if (xfbKxwUtilIsEqualIgnoreCase(mpsfText + n, nAscLen, mpszAsc, nAscLen)) return true;
    return false;
}

bool IsEqualIgnoreCase(const KxwDomHtmlPropertyStr& mrtValue, const char* mpszAsc) {
    return mrtValue.IsEqualIgnoringCaseAsc(mpszAsc, static_cast<unsigned>(std::strlen(mpszAsc)));
}

const char* DcsOrEmpty(const KxwDomHtmlPropertyStr& mrtValue) {
    return mrtValue.GetDcsStr() ? mrtValue.GetDcsStr() : "";
}

}  // namespace

// One script property: its tiny id and what reads and writes it (null: the stored text as it is).
struct KxwDomHtmlElementScript::PropertyRow {
    short _nTinyId;
    KxwDomHtmlPropertyStr KxwDomHtmlElementScript::*_ptText;
    bool (KxwDomHtmlElementScript::*_pfGet)(KxwDomPropertyInfo&);
    bool (KxwDomHtmlElementScript::*_pfSet)(KxwDomPropertyInfo&);
};

const KxwDomHtmlElementScript::PropertyRow KxwDomHtmlElementScript::katPropertyRows[] = {
    {kIdLanguage, &KxwDomHtmlElementScript::_tLanguage, nullptr, nullptr},
    {kIdLanguage + 1, &KxwDomHtmlElementScript::_tSrc, &KxwDomHtmlElementScript::GetSrcProperty,
     &KxwDomHtmlElementScript::SetSrcProperty},
    {kIdLanguage + 2, &KxwDomHtmlElementScript::_tEvent, nullptr, &KxwDomHtmlElementScript::SetEventProperty},
    {kIdLanguage + 3, &KxwDomHtmlElementScript::_tType, nullptr, nullptr},
    {kIdLanguage + 4, nullptr, &KxwDomHtmlElementScript::GetDeferProperty, &KxwDomHtmlElementScript::SetDeferProperty},
    {kIdLanguage + 5, &KxwDomHtmlElementScript::_tText, nullptr, &KxwDomHtmlElementScript::SetTextProperty},
    {kIdLanguage + 6, &KxwDomHtmlElementScript::_tHtmlFor, nullptr, &KxwDomHtmlElementScript::SetHtmlForProperty},
};

KxwDomHtmlElementScript::KxwDomHtmlElementScript(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SCRIPT, mbUseMemMgr),
      _tLanguage(GetDomEnv()),
      _tSrc(GetDomEnv()),
      _tEvent(GetDomEnv()),
      _tType(GetDomEnv()),
      _tText(GetDomEnv()),
      _tHtmlFor(GetDomEnv()) {}

// ---------------------------------------------------------------------------------------------------------------
// Attributes

void KxwDomHtmlElementScript::SetTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    if (!mpsfDcsStr) muDcsLenInBytes = 0;
    TruncateLastLineIfCommentClose(mpsfDcsStr, muDcsLenInBytes);
    _tText.SetDcs(mpsfDcsStr ? mpsfDcsStr : "", muDcsLenInBytes);
}

void KxwDomHtmlElementScript::SetTextU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    _tText.SetU16n(mpwsfU16nStr ? mpwsfU16nStr : u"", mpwsfU16nStr ? muU16nLenInChars : 0);
}

void KxwDomHtmlElementScript::SetHtmlForDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    _tHtmlFor.SetDcs(mpsfDcsStr ? mpsfDcsStr : "", mpsfDcsStr ? muDcsLenInBytes : 0);
    UpdateScriptsWithForEventCollection();
}

void KxwDomHtmlElementScript::SetHtmlForU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    _tHtmlFor.SetU16n(mpwsfU16nStr ? mpwsfU16nStr : u"", mpwsfU16nStr ? muU16nLenInChars : 0);
    UpdateScriptsWithForEventCollection();
}

void KxwDomHtmlElementScript::SetForParsed(const char* mpszParsedValue) {
    _tHtmlFor.SetParsed(ParsedText(mpszParsedValue));
}

void KxwDomHtmlElementScript::SetEventParsed(const char* mpszParsedValue) {
    _tEvent.SetParsed(ParsedText(mpszParsedValue));
    _eEventType = KXW_DOM_EVENT_TYPE_ENUM_NONE;
}

void KxwDomHtmlElementScript::SetDeferParsed(const char*) {
    SetIsDeferFromHtml(true);
    SetIsDeferFromJS(true);
}

bool KxwDomHtmlElementScript::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    switch (mpszName[0] | 0x20) {
        case 's':
            if (IsName(mpszName, "src")) return SetSrcParsed(mpszValueOrNull), true;
            break;
        case 't':
            if (IsName(mpszName, "type")) return SetTypeParsed(mpszValueOrNull), true;
            break;
        case 'd':
            if (IsName(mpszName, "defer")) return SetDeferParsed(mpszValueOrNull), true;
            break;
        case 'e':
            if (IsName(mpszName, "event")) return SetEventParsed(mpszValueOrNull), true;
            break;
        case 'f':
            if (IsName(mpszName, "for")) return SetForParsed(mpszValueOrNull), true;
            break;
        case 'l':
            if (IsName(mpszName, "language")) return SetLanguageParsed(mpszValueOrNull), true;
            break;
        default:
            break;
    }
    return KxwDomHtmlElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementScript::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    auto& rtClone = static_cast<KxwDomHtmlElementScript&>(mrtClone);
    CopySpecifiedText(_tLanguage, rtClone._tLanguage);
    CopySpecifiedText(_tSrc, rtClone._tSrc);
    CopySpecifiedText(_tEvent, rtClone._tEvent);
    CopySpecifiedText(_tType, rtClone._tType);
    CopySpecifiedText(_tText, rtClone._tText);
    CopySpecifiedText(_tHtmlFor, rtClone._tHtmlFor);
    rtClone.SetIsDeferFromJS(IsDeferFromJS());
}

// ---------------------------------------------------------------------------------------------------------------
// Flags

void KxwDomHtmlElementScript::SetIsAwaitingClosingTag(bool mbOn) {
    SetFlag(kFlagAwaitingClosingTag, mbOn);
    if (!mbOn) ConditionalNotifyScriptSrcDownloaded();
}

KxwDomHtmlWindow* KxwDomHtmlElementScript::GetOwnerWindow() const {
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    return ptDocument ? ptDocument->GetWindow() : nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// The source

bool KxwDomHtmlElementScript::IsSrcJavasciptColon() const {
    const char* psfSrc = _tSrc.GetDcsStr();
    unsigned uLen = psfSrc ? _tSrc.GetDcsLenInBytes() : 0;
    return uLen >= 11 && xfbKxwUtilIsEqualIgnoreCase(psfSrc, 11, "javascript:", 11);
}

bool KxwDomHtmlElementScript::SetDownloadedText(const char* mpsfDownloadedTextDcsStr,
                                                unsigned mnDownloadedTextLenInBytes) {
    return StoreDownloadedText(mpsfDownloadedTextDcsStr, mnDownloadedTextLenInBytes, nullptr, nullptr);
}

bool KxwDomHtmlElementScript::SetDownloadedText(const std::string& mrsbinDownloadedText, void* mpvCacheData) {
    return StoreDownloadedText(nullptr, 0, &mrsbinDownloadedText, mpvCacheData);
}

bool KxwDomHtmlElementScript::StoreDownloadedText(const char* mpsfTextOrNull, unsigned muLen,
                                                  const std::string* mpsbinTextOrNull, void* mpvCacheData) {
    bool bStored = false;
    _sbinDownloadedText.clear();
    _pvDownloadedTextCacheData = nullptr;
    if ((mpsfTextOrNull == nullptr) == (mpsbinTextOrNull == nullptr)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mpsfDownloadedTextDcsStrOrNULL=%p / "
                                              "mnDownloadedTextLenInBytes=%ld / mpsbinDownloadedTextOrNULL=%p in "
                                              "KxwDomHtmlElementScript::SetDownloadedText for this=%p",
                                              static_cast<const void*>(mpsfTextOrNull), static_cast<long>(muLen),
                                              static_cast<const void*>(mpsbinTextOrNull), static_cast<void*>(this));
    } else if (IsEmptySrc()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "KxwDomHtmlElementScript::SetDownloadedText for this %p, which has an "
                                              "empty src. Setting an empty text",
                                              static_cast<void*>(this));
    } else {
        const char* psfText = mpsbinTextOrNull ? mpsbinTextOrNull->data() : mpsfTextOrNull;
        unsigned uLen = mpsbinTextOrNull ? static_cast<unsigned>(mpsbinTextOrNull->size()) : muLen;
        unsigned uOriginalLen = uLen;
        _pvDownloadedTextCacheData = mpvCacheData;
        TruncateLastLineIfCommentClose(psfText, uLen);
        if (std::memchr(psfText, '\0', uLen)) {
            // A NUL would end the text for the evaluator: the text runs without them.
            _sbinDownloadedText.reserve(uLen);
            for (unsigned n = 0; n < uLen; ++n)
                if (psfText[n] != '\0') _sbinDownloadedText.push_back(psfText[n]);
        } else if (mpsbinTextOrNull && uLen == uOriginalLen) {
            _sbinDownloadedText = *mpsbinTextOrNull;
        } else {
            _sbinDownloadedText.assign(psfText, uLen);
        }
        bStored = true;
    }
    SetIsSrcDownloaded(true);
    ConditionalNotifyScriptSrcDownloaded();
    return bStored;
}

void KxwDomHtmlElementScript::ConditionalNotifyScriptSrcDownloaded() {
    if (IsEmptySrc() || IsAwaitingClosingTag() || !IsDeferFromHtml() || !IsSrcDownloaded()) return;
    if (KxwDomHtmlWindow* ptWindow = GetOwnerWindow()) ptWindow->NotifyScriptSrcDeferDownloaded(this);
}

void KxwDomHtmlElementScript::SrcChangedByJS(bool mbInDocument) {
    _sbinDownloadedText.clear();
    SetIsSrcDownloaded(false);
    SetFlag(kFlagAwaitingClosingTag, false);
    _pvDownloadedTextCacheData = nullptr;
    ConditionalNotifyScriptSrcDownloaded();
    SetIsSrcFromJS(true);
    // The object is the detached mark: the engine downloads the source either way.
    static bool sbDetached = true;
    static bool sbAttached = false;
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_SCRIPT_SRC, this,
                              mbInDocument ? &sbAttached : &sbDetached);
}

// ---------------------------------------------------------------------------------------------------------------
// Evaluation

bool KxwDomHtmlElementScript::IsEvaluatable() const {
    if (!IsEmptyType())
        return IsEqualIgnoreCase(_tType, "text/javascript") || IsEqualIgnoreCase(_tType, "text/jscript") ||
               IsEqualIgnoreCase(_tType, "text\\javascript") || IsEqualIgnoreCase(_tType, "text\\\\javascript");
    if (_tLanguage.IsEmpty()) return true;
    if (ContainsIgnoreCase(_tLanguage.GetDcsStr(), _tLanguage.GetDcsLenInBytes(), ".Encode")) return false;
    return IsEqualIgnoreCase(_tLanguage, "JavaScript") || IsEqualIgnoreCase(_tLanguage, "JScript");
}

void KxwDomHtmlElementScript::IssueNotEvaluatableMsg() const {
    bool bVbScript = !IsEmptyType() ? ContainsIgnoreCase(_tType.GetDcsStr(), _tType.GetDcsLenInBytes(), "vbscript")
                                    : IsEqualIgnoreCase(_tLanguage, "vbscript");
    std::string dsType = GetPrintableText(DcsOrEmpty(_tType), _tType.GetDcsLenInBytes(), 100);
    std::string dsLanguage = GetPrintableText(DcsOrEmpty(_tLanguage), _tLanguage.GetDcsLenInBytes(), 100);
    xfvKxwDomUtilReportCatalogedMessage(bVbScript ? KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR : KXW_WTL_SEV_LVL_ENUM_NOTICE,
                                        -35932, "KxwDomHtmlElementScript::IssueNotEvaluatableMsg", __LINE__,
                                        dsType.c_str(), dsLanguage.c_str());
}

const char* KxwDomHtmlElementScript::GetEffectiveTextDcsStr() const {
    if (!IsEmptySrc()) return _sbinDownloadedText.c_str();
    return DcsOrEmpty(_tText);
}

unsigned KxwDomHtmlElementScript::GetEffectiveTextDcsLenInBytes() const {
    if (!IsEmptySrc()) return static_cast<unsigned>(_sbinDownloadedText.size());
    return _tText.GetDcsStr() ? _tText.GetDcsLenInBytes() : 0;
}

void KxwDomHtmlElementScript::EvaluateScriptElement() {
    bool bConnected = IsConnectedToDocument();
    if (!bConnected || !IsEmptyEvent()) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "Script not evaluated due to IsConnectedToDocument=%d / IsEmptyEvent=%d in "
                "KxwDomHtmlElementScript::EvaluateScriptElement for this=%p",
                bConnected ? 1 : 0, IsEmptyEvent() ? 1 : 0, static_cast<void*>(this));
        return;
    }
    if (!IsEvaluatable()) {
        IssueNotEvaluatableMsg();
        return;
    }
    // The text is copied: the script may change its own text or source while it runs.
    std::string dsText(GetEffectiveTextDcsStr(), GetEffectiveTextDcsLenInBytes());
    void* pvCacheData = IsEmptySrc() ? nullptr : _pvDownloadedTextCacheData;
    bool bDeferFromHtml = IsDeferFromHtml();
    if (dsText.empty()) {
        if (!bDeferFromHtml) SetReadyState(KXW_DOM_HTML_READY_STATE_COMPLETE);
        return;
    }
    KxwDomHtmlWindow* ptOwnerWindow = GetOwnerWindow();
    KxwDomHtmlDocument* ptOwnerDocument = ptOwnerWindow ? ptOwnerWindow->GetDocument() : nullptr;
    if (!ptOwnerWindow || !ptOwnerDocument) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid ptOwnerWindow=%p / ptOwnerDocument=%p in "
                                              "KxwDomHtmlElementScript::EvaluateScriptElement for this=%p",
                                              static_cast<void*>(ptOwnerWindow), static_cast<void*>(ptOwnerDocument),
                                              static_cast<void*>(this));
        return;
    }
    KxwDomWatchDelete tWatchThis("EvaluateScriptElement script ", this);
    SetReadyState(KXW_DOM_HTML_READY_STATE_INTERACTIVE);
    if (tWatchThis.HasBeenDeleted()) return;
    // A downloaded text's errors name its address, an inline text's the page at the script's line.
    std::string dsFile = IsEmptySrc() ? std::string(DcsOrEmpty(ptOwnerDocument->GetHref())) : ResolveUrlDcs(_tSrc);
    // A behaviour file's script keeps its functions and variables with its behaviour, not in the page's global.
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    if (KxwDomHtcDocument* ptBehavior = ptDocument ? ptDocument->GetHtcDocument() : nullptr) {
        ptBehavior->EvaluateScript(dsText.data(), static_cast<unsigned>(dsText.size()), dsFile.c_str(),
                                   IsEmptySrc() ? _uFirstLine : 1, this);
        if (!tWatchThis.HasBeenDeleted() && !bDeferFromHtml) SetReadyState(KXW_DOM_HTML_READY_STATE_COMPLETE);
        return;
    }
    ptOwnerWindow->EvaluateSingleScript(dsText.data(), static_cast<unsigned>(dsText.size()), nullptr, pvCacheData,
                                        nullptr, false, 0, dsFile.c_str(), IsEmptySrc() ? _uFirstLine : 1, this);
    if (tWatchThis.HasBeenDeleted()) return;
    if (!bDeferFromHtml) SetReadyState(KXW_DOM_HTML_READY_STATE_COMPLETE);
}

bool KxwDomHtmlElementScript::TruncateLastLineIfCommentClose(const char* mpsfText, unsigned& mrnLen) {
    if (!mpsfText || mrnLen <= 3) return false;
    long i = static_cast<long>(mrnLen) - 1;
    while (i > 5 && IsBlank(mpsfText[i])) --i;
    if (i <= 2 || mpsfText[i - 2] != '-' || mpsfText[i - 1] != '-' || mpsfText[i] != '>') return false;
    long nLineStart = i - 3;
    for (; nLineStart >= 0 && !IsLineBreak(mpsfText[nLineStart]); --nLineStart) {
        char c = mpsfText[nLineStart];
        // A line comment or a comment that opens on the same line keeps the line as it is.
        if (c == '/' && nLineStart > 0 && mpsfText[nLineStart - 1] == '/') return false;
        if (c == '-' && nLineStart > 3 && mpsfText[nLineStart - 1] == '-' && mpsfText[nLineStart - 2] == '!' &&
            mpsfText[nLineStart - 3] == '<')
            return false;
    }
    // nLineStart is the line break before the last line, or -1 at the start of the text.
    std::string dsDropped(mpsfText + nLineStart + 1, static_cast<size_t>(i - nLineStart));
    std::string dsShown = GetPrintableText(dsDropped.data(), dsDropped.size(), 200);
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35926, "feDomEndElementScript", __LINE__,
                                        dsShown.c_str());
    long nEnd = nLineStart;
    while (nEnd >= 0 && IsBlank(mpsfText[nEnd])) --nEnd;
    mrnLen = static_cast<unsigned>(nEnd + 1);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// readyState

void KxwDomHtmlElementScript::SetReadyState(KXW_DOM_HTML_READY_STATE_ENUM meReadyState) {
    if (static_cast<int>(meReadyState) < 0 || static_cast<int>(meReadyState) >= 5) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid meReadyState=%d in KxwDomHtmlElementScript::SetReadyState for "
                                              "this=%p",
                                              static_cast<int>(meReadyState), static_cast<void*>(this));
        return;
    }
    if (_eReadyState == meReadyState) return;
    _eReadyState = meReadyState;
    FireReadyStateChange();
}

void KxwDomHtmlElementScript::FireReadyStateChange() {
    // The handler counts as a script of the document until the dispatch is over: scripts that became ready meanwhile
    // run after it (the caller drains them), not from the end of the handler while the event is still being
    // dispatched, where their own readystatechange would find its handler busy and be lost.
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    KxwDomWatchDelete tWatchDocument("KxwDomHtmlElementScript::FireReadyStateChange", ptDocument);
    if (ptDocument) ptDocument->IncrementScriptEvaluationDepth();
    // At the element only: readystatechange does not bubble.
    FireEvent(KXW_DOM_EVENT_TYPE_ENUM_READYSTATECHANGE, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    if (auto* ptAlive = static_cast<KxwDomHtmlDocument*>(tWatchDocument.GetEffectiveWatchedPtr()))
        ptAlive->DecrementScriptEvaluationDepth();
}

// ---------------------------------------------------------------------------------------------------------------
// Events

void KxwDomHtmlElementScript::UpdateEventTypeFromEventString() {
    _eEventType = KXW_DOM_EVENT_TYPE_ENUM_NONE;
    std::string dsEvent(DcsOrEmpty(_tEvent), _tEvent.GetDcsStr() ? _tEvent.GetDcsLenInBytes() : 0);
    size_t nCut = dsEvent.find_first_of("( \t\r\n");
    if (nCut != std::string::npos) dsEvent.resize(nCut);
    if (dsEvent.size() >= 4 && (dsEvent[0] | 0x20) == 'o' && (dsEvent[1] | 0x20) == 'n') {
        KXW_DOM_EVENT_TYPE_ENUM eType =
            xfeKxwDomGetEventEnum(dsEvent.data() + 2, static_cast<unsigned>(dsEvent.size() - 2));
        if (static_cast<int>(eType) < KXW_DOM_EVENT_TYPE_COUNT) {
            _eEventType = eType;
            return;
        }
    }
    std::string dsShown = GetPrintableText(DcsOrEmpty(_tEvent), _tEvent.GetDcsLenInBytes(), 100);
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                             "Event in <SCRIPT event=\"%.100s\"...> is not recognized and will not be handled by this "
                             "script",
                             dsShown.c_str());
}

KXW_DOM_EVENT_TYPE_ENUM KxwDomHtmlElementScript::GetEventType() {
    if (!IsEmptyEvent() && _eEventType == KXW_DOM_EVENT_TYPE_ENUM_NONE) UpdateEventTypeFromEventString();
    return _eEventType;
}

bool KxwDomHtmlElementScript::IsScriptEventForActive() {
    return !IsEmptyHtmlFor() && GetEventType() != KXW_DOM_EVENT_TYPE_ENUM_NONE;
}

void KxwDomHtmlElementScript::UpdateScriptsWithForEventCollection() {
    if (!IsConnectedToDocument()) return;
    if (KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false))
        ptDocument->UpdateScriptWithForEvent(this, IsScriptEventForActive());
}

// ---------------------------------------------------------------------------------------------------------------
// Notifications

void KxwDomHtmlElementScript::NotifyStartDownload() {
    SetReadyState(KXW_DOM_HTML_READY_STATE_LOADING);
}

void KxwDomHtmlElementScript::NotifyDownloadComplete() {
    // A deferred script whose source is a javascript: URL has nothing more to wait for.
    if (IsDeferFromHtml() && IsSrcJavasciptColon()) SetIsSrcDownloaded(true);
    KxwDomWatchDelete tWatchThis("KxwDomHtmlElementScript::NotifyDownloadComplete", this);
    if (IsConnectedToDocument()) SetReadyState(KXW_DOM_HTML_READY_STATE_LOADED);
    if (!tWatchThis.HasBeenDeleted()) EvaluatePendingScriptsIfIdle();
}

void KxwDomHtmlElementScript::NotifyDownloadAborted() {
    // A source that never came counts as an empty one: the scripts after it do not wait for ever.
    if (!IsSrcDownloaded() && !IsEmptySrc()) SetDownloadedText(std::string(), nullptr);
    EvaluatePendingScriptsIfIdle();
}

void KxwDomHtmlElementScript::EvaluatePendingScriptsIfIdle() {
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    if (!ptDocument || ptDocument->GetParsingDepth() != 0 || ptDocument->GetScriptEvaluationDepth() != 0) return;
    KxwDomWatchDelete tWatchDocument("KxwDomHtmlElementScript::EvaluatePendingScriptsIfIdle", ptDocument);
    if (ptDocument->GetPendingScriptSrcCount() != 0) ptDocument->EvaluatePendingScriptSrc();
    // The load event may have waited for these scripts only.
    if (tWatchDocument.HasBeenDeleted()) return;
    if (KxwDomHtmlWindow* ptWindow = ptDocument->GetWindow()) ptWindow->NotifyOnLoadTriggerChanged();
}

void KxwDomHtmlElementScript::NotifyDocumentConnection(KxwDomHtmlDocument& mrtDocument, bool mbConnectedToDocument) {
    KxwDomHtmlDocument* ptOwner = GetOwnerHtmlDocument(false);
    if (ptOwner != &mrtDocument) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid &mrtDocument/OwnerDocument (%p/%p) in KxwDomHtmlElementScript::NotifyDocumentConnection("
            "&mrtDocument=%p, mbConnectedToDocument=%d) for this=%p",
            static_cast<void*>(&mrtDocument), static_cast<void*>(ptOwner), static_cast<void*>(&mrtDocument),
            mbConnectedToDocument ? 1 : 0, static_cast<void*>(this));
        return;
    }
    KxwDomHtmlElement::NotifyDocumentConnection(mrtDocument, mbConnectedToDocument);
    mrtDocument.UpdateScriptWithForEvent(this, mbConnectedToDocument && IsScriptEventForActive());
    if (!mbConnectedToDocument) {
        mrtDocument.RemovePendingScriptSrc(this, false);
        mrtDocument.RemovePendingScriptDefer(this, false);
        mrtDocument.RemovePendingScriptCompletion(this, false);
        return;
    }
    bool bAppend = !IsEmptySrc() || IsDeferFromHtml();
    bool bEvaluate = false;
    if (mrtDocument.GetInnerOuterHtmlDepth() != 0) {
        // Scripts that innerHTML or outerHTML brings in never run.
        bAppend = false;
    } else if (HasBeenAddedByHtml()) {
        SetShouldEvaluateUponConnect(true);
    } else {
        if (ShouldEvaluateUponConnect() && HasBeenChangedWhileDisconnected())
            bEvaluate = !bAppend;
        else
            bAppend = false;
        SetShouldEvaluateUponConnect(false);
    }
    SetHasBeenAddedByHtml(false);
    SetHasBeenChangedWhileDisconnected(false);
    if (bAppend)
        mrtDocument.AppendPendingScript(this);
    else if (bEvaluate)
        SetShouldEvaluateScriptAfterConnect(true);
}

void KxwDomHtmlElementScript::NotifyAfterObjectAdded() {
    if (!ShouldEvaluateScriptAfterConnect()) return;
    SetShouldEvaluateScriptAfterConnect(false);
    EvaluateScriptElement();
}

void KxwDomHtmlElementScript::OnAddedToTree() {
    KxwDomHtmlElement::OnAddedToTree();
    NotifyAfterObjectAdded();
}

// ---------------------------------------------------------------------------------------------------------------
// javascript: sources

bool KxwDomHtmlElementScript::WriteResultOfUrlScriptToObject(const KxwJsval& mrtResult, const char* mpsfUrl,
                                                             unsigned muUrlLen, bool& mrbNotWritten) {
    mrbNotWritten = true;
    std::string dsUrl(mpsfUrl ? mpsfUrl : "", mpsfUrl ? muUrlLen : 0);
    KxwDomStr tText(GetDomEnv());
    if (!GetResultOfUrlScriptOK(mrtResult, dsUrl.c_str(), tText)) return true;
    std::string dsText(tText.GetDcsStr() ? tText.GetDcsStr() : "", tText.GetDcsStr() ? tText.GetDcsLenInBytes() : 0);
    std::string dsShown = GetPrintableText(dsText.data(), dsText.size(), 1000);
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35913,
                                        "KxwDomHtmlElementScript::WriteResultOfUrlScriptToObject", __LINE__,
                                        GetNodeTypeAsAscStr(), dsUrl.c_str(), dsShown.c_str());
    SetDownloadedText(dsText, nullptr);
    mrbNotWritten = false;
    return true;
}

void KxwDomHtmlElementScript::RunSrcUrlScript() {
    KxwDomHtmlWindow* ptWindow = GetOwnerWindow();
    if (!ptWindow || !IsSrcJavasciptColon()) {
        ResultOfUrlScriptNotWrittenToObject(DcsOrEmpty(_tSrc), _tSrc.GetDcsLenInBytes());
        return;
    }
    // The URL is copied: the code may change the element's src.
    std::string dsUrl(DcsOrEmpty(_tSrc), _tSrc.GetDcsLenInBytes());
    HandleUrlScript(dsUrl.data(), static_cast<unsigned>(dsUrl.size()), ptWindow, ptWindow, "the window of the script",
                    false, true);
}

void KxwDomHtmlElementScript::ResultOfUrlScriptNotWrittenToObject(const char*, unsigned) {
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35912,
                                        "KxwDomHtmlElementScript::ResultOfUrlScriptNotWrittenToObject", __LINE__);
    SetDownloadedText(std::string(), nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// Texts

std::u16string KxwDomHtmlElementScript::GetInnerText() const {
    return std::u16string();
}

bool KxwDomHtmlElementScript::SetInnerTextU16n(const char16_t*, unsigned) {
    IssueInvalidSetPropertyMessage("innerText", "SCRIPT");
    return false;
}

bool KxwDomHtmlElementScript::AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    if (!mpsfDcsStr || muDcsLenInBytes == 0) return true;
    std::string dsJoined;
    if (_tText.GetDcsStr()) dsJoined.assign(_tText.GetDcsStr(), _tText.GetDcsLenInBytes());
    dsJoined.append(mpsfDcsStr, muDcsLenInBytes);
    SetTextDcs(dsJoined.data(), static_cast<unsigned>(dsJoined.size()));
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Script properties

bool KxwDomHtmlElementScript::GetSrcProperty(KxwDomPropertyInfo& mrtPropertyInfo) {
    AssignResolvedUrl(mrtPropertyInfo, _tSrc);
    return true;
}

bool KxwDomHtmlElementScript::SetSrcProperty(KxwDomPropertyInfo& mrtPropertyInfo) {
    StoreScriptText(_tSrc, mrtPropertyInfo);
    bool bInDocument = IsConnectedToDocument();
    if (bInDocument)
        SetShouldEvaluateUponConnect(false);
    else
        SetHasBeenChangedWhileDisconnected(true);
    SrcChangedByJS(bInDocument);
    return true;
}

bool KxwDomHtmlElementScript::GetDeferProperty(KxwDomPropertyInfo& mrtPropertyInfo) {
    mrtPropertyInfo = IsDeferFromJS();
    return true;
}

bool KxwDomHtmlElementScript::SetDeferProperty(KxwDomPropertyInfo& mrtPropertyInfo) {
    SetIsDeferFromJS(mrtPropertyInfo.HasValue() && mrtPropertyInfo.GetBoolean());
    return true;
}

bool KxwDomHtmlElementScript::SetTextProperty(KxwDomPropertyInfo& mrtPropertyInfo) {
    StoreScriptText(_tText, mrtPropertyInfo);
    if (!IsConnectedToDocument()) {
        SetHasBeenChangedWhileDisconnected(true);
        return true;
    }
    SetShouldEvaluateUponConnect(false);
    EvaluateScriptElement();
    return true;
}

bool KxwDomHtmlElementScript::SetEventProperty(KxwDomPropertyInfo& mrtPropertyInfo) {
    StoreScriptText(_tEvent, mrtPropertyInfo);
    _eEventType = KXW_DOM_EVENT_TYPE_ENUM_NONE;
    if (!IsEmptyEvent()) UpdateEventTypeFromEventString();
    UpdateScriptsWithForEventCollection();
    return true;
}

bool KxwDomHtmlElementScript::SetHtmlForProperty(KxwDomPropertyInfo& mrtPropertyInfo) {
    StoreScriptText(_tHtmlFor, mrtPropertyInfo);
    UpdateScriptsWithForEventCollection();
    return true;
}

const KxwJswClassInformation* KxwDomHtmlElementScript::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "script", katScriptProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementScript::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    for (const PropertyRow& rtRow : katPropertyRows) {
        if (rtRow._nTinyId != mnTinyId) continue;
        if (rtRow._pfGet) return (this->*rtRow._pfGet)(mrtPropertyInfo);
        mrtPropertyInfo = this->*rtRow._ptText;
        return true;
    }
    if (mnTinyId == kIdElementInnerHtml) {
        mrtPropertyInfo = _tText;
        return true;
    }
    return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
}

bool KxwDomHtmlElementScript::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    for (const PropertyRow& rtRow : katPropertyRows) {
        if (rtRow._nTinyId != mnTinyId) continue;
        if (rtRow._pfSet) return (this->*rtRow._pfSet)(mrtPropertyInfo);
        StoreScriptText(this->*rtRow._ptText, mrtPropertyInfo);
        return true;
    }
    if (mnTinyId == kIdElementInnerHtml || mnTinyId == kIdElementInnerText) {
        // The text of a script is its text property: markup or text set through the element's generic
        // properties would not become the script.
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile("no SET of %s for SCRIPT in KxwDomHtmlElementScript::SetDomPropertyInfo",
                                        mnTinyId == kIdElementInnerHtml ? "innerHTML" : "innerText");
        return false;
    }
    return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
}

void KxwDomHtmlElementScript::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    KxwDomHtmlElement::PrintMe(miIndent, meSevLvl, mulMask);
    if (!(mulMask & KXW_DOM_PRINT_MASK_TEXTS) || !xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    std::string dsText;
    long liLen = GetPrintableDcs(_tText, kPrintedTextLen, dsText);
    xfvKxwUtilReportBySevLvl(meSevLvl, "%*s[The <SCRIPT> text is \"%.3000s\" (DCS length=%ld)]",
                             GetPrintingTextIndent(miIndent), "", dsText.c_str(), liLen);
}

bool KxwDomHtmlElementScript::AddExceptionalAttributesToCollection(KxwDomAttributeCollection& mrtCollection) {
    return KxwDomHtmlElement::AddExceptionalAttributesToCollection(mrtCollection) &&
           AddExceptionalAttribute(mrtCollection, u"for", static_cast<signed char>(kIdLanguage + 6),
                                   "KxwDomHtmlElementScript::AddExceptionalAttributesToCollection");
}

// ---------------------------------------------------------------------------------------------------------------
// Generated markup: the text is the script as written, never escaped; a line break follows the end tag.

void KxwDomHtmlElementScript::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("language", _tLanguage);
    mrtText.ConcatHtmlProperty("src", _tSrc);
    mrtText.ConcatHtmlProperty("event", _tEvent);
    mrtText.ConcatHtmlProperty("type", _tType);
    mrtText.ConcatHtmlProperty("for", _tHtmlFor);
    mrtText.ConcatHtmlPropertyByValue("defer", 5, IsDeferFromJS());
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}

void KxwDomHtmlElementScript::GenerateHtmlNonTextNodeInnerText(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlTextAsIs(_tText);
}

void KxwDomHtmlElementScript::GenerateHtmlClosingTag(KxwDomHtmlTextsStr& mrtText) const {
    KxwDomHtmlElement::GenerateHtmlClosingTag(mrtText);
    mrtText.ConcatNewLine();
}
