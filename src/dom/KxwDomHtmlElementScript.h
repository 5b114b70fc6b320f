// SCRIPT: its source address, type, language, defer, event and for attributes, its inline text (a property, not
// child nodes) and the downloaded text of its source. The element decides whether it runs at all (its type and
// language), which text runs (the downloaded one when it has a source), and when: at its end tag, when its source
// has arrived and every script before it has run (the document's pending lists), at the end of the page for a
// deferred one, or when a page script inserts it after giving it a source or a text. Its readyState goes loading,
// loaded, interactive, complete, with a readystatechange at each change.
//
// The parser drives a parsed script in this order: create it, SetHasBeenAddedByHtml(true), the parsed attribute
// setters, SetIsAwaitingClosingTag(true), link it, AddInnerTextDcs for its content, SetIsAwaitingClosingTag(false)
// at its end tag, then EvaluateScriptElement() for an inline script that is not deferred. A script with a source
// waits in the document's pending list until SetDownloadedText installs the text.
#pragma once

#include <cstdint>
#include <string>

#include "KxwDomHtmlElement.h"
#include "kxw/KxwDomCommonEnums.h"

class KxwDomHtmlWindow;

class KxwDomHtmlElementScript : public KxwDomHtmlElement {
public:
    KxwDomHtmlElementScript(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    // ---- Attributes ----
    const KxwDomHtmlPropertyStr& GetSrc() const { return _tSrc; }
    const KxwDomHtmlPropertyStr& GetType() const { return _tType; }
    const KxwDomHtmlPropertyStr& GetLanguage() const { return _tLanguage; }
    const KxwDomHtmlPropertyStr& GetEvent() const { return _tEvent; }
    const KxwDomHtmlPropertyStr& GetText() const { return _tText; }
    const KxwDomHtmlPropertyStr& GetHtmlFor() const { return _tHtmlFor; }
    bool IsEmptySrc() const { return _tSrc.IsEmpty(); }
    bool IsEmptyType() const { return _tType.IsEmpty(); }
    bool IsEmptyText() const { return _tText.IsEmpty(); }
    bool IsEmptyHtmlFor() const { return _tHtmlFor.IsEmpty(); }
    bool IsEmptyEvent() const { return _tEvent.IsEmpty(); }
    bool IsSpecifiedSrc() const { return _tSrc.IsSpecified(); }
    bool IsSpecifiedType() const { return _tType.IsSpecified(); }
    bool IsSpecifiedHtmlFor() const { return _tHtmlFor.IsSpecified(); }
    bool IsEmptyDownloadedText() const { return _sbinDownloadedText.empty(); }
    const std::string& GetDownloadedText() const { return _sbinDownloadedText; }

    void SetSrcParsed(const char* mpszParsedValue) { _tSrc.SetParsed(ParsedText(mpszParsedValue)); }
    void SetSrcDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) { _tSrc.SetDcs(mpsfDcsStr, muDcsLenInBytes); }
    void SetSrcU16n(const char16_t* mpwsfU16nStr, unsigned muLen) { _tSrc.SetU16n(mpwsfU16nStr, muLen); }
    void SetTypeParsed(const char* mpszParsedValue) { _tType.SetParsed(ParsedText(mpszParsedValue)); }
    void SetTypeDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) { _tType.SetDcs(mpsfDcsStr, muDcsLenInBytes); }
    void SetTypeU16n(const char16_t* mpwsfU16nStr, unsigned muLen) { _tType.SetU16n(mpwsfU16nStr, muLen); }
    void SetHtmlForDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    void SetHtmlForU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    void SetForParsed(const char* mpszParsedValue);
    void SetEventParsed(const char* mpszParsedValue);
    void SetLanguageParsed(const char* mpszParsedValue) { _tLanguage.SetParsed(ParsedText(mpszParsedValue)); }
    // The inline text; the DCS form drops a last line that only closes an HTML comment.
    void SetTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    void SetTextU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    // A defer attribute in the markup: the script waits for the end of the page.
    void SetDeferParsed(const char* mpszParsedValue);

    // ---- Flags ----
    bool IsSrcDownloaded() const { return HasFlag(kFlagSrcDownloaded); }
    void SetIsSrcDownloaded(bool mbOn) { SetFlag(kFlagSrcDownloaded, mbOn); }
    bool IsAwaitingClosingTag() const { return HasFlag(kFlagAwaitingClosingTag); }
    // Clearing it (the end tag was met) may complete a deferred script whose source already arrived.
    void SetIsAwaitingClosingTag(bool mbOn);
    bool IsDeferFromHtml() const { return HasFlag(kFlagDeferFromHtml); }
    void SetIsDeferFromHtml(bool mbOn) { SetFlag(kFlagDeferFromHtml, mbOn); }
    bool IsDeferFromJS() const { return HasFlag(kFlagDeferFromJS); }
    void SetIsDeferFromJS(bool mbOn) { SetFlag(kFlagDeferFromJS, mbOn); }
    bool IsSrcFromJS() const { return HasFlag(kFlagSrcFromJS); }
    void SetIsSrcFromJS(bool mbOn) { SetFlag(kFlagSrcFromJS, mbOn); }
    bool ShouldEvaluateUponConnect() const { return HasFlag(kFlagEvaluateUponConnect); }
    void SetShouldEvaluateUponConnect(bool mbOn) { SetFlag(kFlagEvaluateUponConnect, mbOn); }
    bool HasBeenAddedByHtml() const { return HasFlag(kFlagAddedByHtml); }
    void SetHasBeenAddedByHtml(bool mbOn) { SetFlag(kFlagAddedByHtml, mbOn); }
    bool HasBeenChangedWhileDisconnected() const { return HasFlag(kFlagChangedWhileDisconnected); }
    void SetHasBeenChangedWhileDisconnected(bool mbOn) { SetFlag(kFlagChangedWhileDisconnected, mbOn); }
    bool ShouldEvaluateScriptAfterConnect() const { return HasFlag(kFlagEvaluateAfterConnect); }
    void SetShouldEvaluateScriptAfterConnect(bool mbOn) { SetFlag(kFlagEvaluateAfterConnect, mbOn); }

    // ---- The source ----
    // Installs the downloaded text of the source (with the cache handle that came with it); true when a text was
    // stored. Either form marks the source downloaded.
    bool SetDownloadedText(const char* mpsfDownloadedTextDcsStr, unsigned mnDownloadedTextLenInBytes);
    bool SetDownloadedText(const std::string& mrsbinDownloadedText, void* mpvCacheData);
    // A deferred script whose source arrived after its end tag: its window re-examines its load event.
    void ConditionalNotifyScriptSrcDownloaded();
    bool IsSrcJavasciptColon() const;
    // The src resolved against the element's base, as scripts read it.
    std::string GetResolvedSrc() const { return ResolveUrlDcs(_tSrc); }
    // A javascript: src: its code runs in the document's window and its string result becomes the text.
    void RunSrcUrlScript();
    // Where the text starts, for the reports of its errors: its line in the page (a downloaded text starts at 1).
    void SetFirstLine(unsigned muLine) { _uFirstLine = muLine ? muLine : 1; }

    // ---- Evaluation ----
    // Whether the type (else the language) names a language that runs here.
    bool IsEvaluatable() const;
    void IssueNotEvaluatableMsg() const;
    // Runs the effective text now, when the element is in a document, not bound to an event and evaluatable.
    void EvaluateScriptElement();
    // The downloaded text when the element has a source, else the inline text.
    const char* GetEffectiveTextDcsStr() const;
    unsigned GetEffectiveTextDcsLenInBytes() const;
    // Drops a last line that only closes an HTML comment (mrnLen is shortened); false when nothing changed.
    static bool TruncateLastLineIfCommentClose(const char* mpsfText, unsigned& mrnLen);

    // ---- Events ----
    // The event named by the event attribute (resolved on first need); KXW_DOM_EVENT_TYPE_ENUM_NONE without one.
    KXW_DOM_EVENT_TYPE_ENUM GetEventType();
    // A for/event script that handles an event of another element.
    bool IsScriptEventForActive();

    KXW_DOM_HTML_READY_STATE_ENUM GetReadyStateRaw() const override { return _eReadyState; }
    void SetReadyState(KXW_DOM_HTML_READY_STATE_ENUM meReadyState);

    // ---- Notifications ----
    void NotifyStartDownload() override;
    // Besides "class": "for" for htmlFor.
    bool AddExceptionalAttributesToCollection(KxwDomAttributeCollection& mrtCollection) override;
    void NotifyDownloadComplete() override;
    void NotifyDownloadAborted() override;
    void NotifyDocumentConnection(KxwDomHtmlDocument& mrtDocument, bool mbConnectedToDocument) override;
    void NotifyAfterObjectAdded();
    void OnAddedToTree() override;

    // ---- javascript: sources ----
    bool WriteResultOfUrlScriptToObject(const KxwJsval& mrtResult, const char* mpsfUrl, unsigned muUrlLen,
                                        bool& mrbNotWritten) override;
    void ResultOfUrlScriptNotWrittenToObject(const char* mpsfUrl, unsigned muUrlLen) override;

    std::u16string GetInnerText() const override;
    bool SetInnerTextU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) override;
    bool AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) override;

    // The element's line, and its text when the mask asks for texts.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;

    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    void GenerateHtmlNonTextNodeInnerText(KxwDomHtmlTextsStr& mrtText) const override;
    void GenerateHtmlClosingTag(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;
    // A page script gave the element a new source: it is downloaded anew (notification 33).
    void SrcChangedByJS(bool mbInDocument);

private:
    struct PropertyRow;
    static const PropertyRow katPropertyRows[];

    static constexpr uint16_t kFlagSrcDownloaded = 0x0001;
    static constexpr uint16_t kFlagAwaitingClosingTag = 0x0002;
    static constexpr uint16_t kFlagDeferFromHtml = 0x0004;
    static constexpr uint16_t kFlagDeferFromJS = 0x0008;
    static constexpr uint16_t kFlagSrcFromJS = 0x0010;
    static constexpr uint16_t kFlagEvaluateUponConnect = 0x0040;
    static constexpr uint16_t kFlagAddedByHtml = 0x0080;
    static constexpr uint16_t kFlagChangedWhileDisconnected = 0x0100;
    static constexpr uint16_t kFlagEvaluateAfterConnect = 0x0200;

    bool HasFlag(uint16_t muFlag) const { return (_usScriptFlags & muFlag) != 0; }
    void SetFlag(uint16_t muFlag, bool mbOn) {
        _usScriptFlags = static_cast<uint16_t>(mbOn ? (_usScriptFlags | muFlag) : (_usScriptFlags & ~muFlag));
    }
    KxwDomHtmlWindow* GetOwnerWindow() const;
    bool StoreDownloadedText(const char* mpsfTextOrNull, unsigned muLen, const std::string* mpsbinTextOrNull,
                             void* mpvCacheData);
    // A source arrived (or failed) while no script runs and no parser builds the document: the scripts that
    // waited for it run now.
    void EvaluatePendingScriptsIfIdle();
    void UpdateEventTypeFromEventString();
    void UpdateScriptsWithForEventCollection();
    // A script changed src or text: what insertion or evaluation that means.
    void OnScriptChangedContent(bool mbEvaluateNowIfConnected);
    // The one place a readyState change is announced to the page (a readystatechange at the element, not
    // bubbling).
    void FireReadyStateChange();

    // Property rows' getters and setters.
    bool GetSrcProperty(KxwDomPropertyInfo& mrtPropertyInfo);
    bool SetSrcProperty(KxwDomPropertyInfo& mrtPropertyInfo);
    bool GetDeferProperty(KxwDomPropertyInfo& mrtPropertyInfo);
    bool SetDeferProperty(KxwDomPropertyInfo& mrtPropertyInfo);
    bool SetTextProperty(KxwDomPropertyInfo& mrtPropertyInfo);
    bool SetEventProperty(KxwDomPropertyInfo& mrtPropertyInfo);
    bool SetHtmlForProperty(KxwDomPropertyInfo& mrtPropertyInfo);

    std::string _sbinDownloadedText;
    void* _pvDownloadedTextCacheData = nullptr;
    KXW_DOM_HTML_READY_STATE_ENUM _eReadyState = KXW_DOM_HTML_READY_STATE_UNINITIALIZED;
    KxwDomHtmlPropertyStr _tLanguage;
    KxwDomHtmlPropertyStr _tSrc;
    KxwDomHtmlPropertyStr _tEvent;
    KxwDomHtmlPropertyStr _tType;
    KxwDomHtmlPropertyStr _tText;
    KxwDomHtmlPropertyStr _tHtmlFor;
    KXW_DOM_EVENT_TYPE_ENUM _eEventType = KXW_DOM_EVENT_TYPE_ENUM_NONE;
    uint16_t _usScriptFlags = kFlagEvaluateUponConnect;
    unsigned _uFirstLine = 1;
};
