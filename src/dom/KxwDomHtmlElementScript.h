// SCRIPT: its source address, type, language, defer, event and for attributes, and its text (a property, not
// child nodes: the parser's character data and a downloaded source become the text). The document's pending
// lists read the flags kept here: whether it has a source, whether that source was downloaded, whether its
// closing tag is still missing, and whether defer came from the markup. Evaluating the text is not this class's
// work yet: the document hands a script to its evaluation hook.
#pragma once

#include "KxwDomHtmlElement.h"

class KxwDomHtmlElementScript : public KxwDomHtmlElement {
public:
    KxwDomHtmlElementScript(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    const KxwDomHtmlPropertyStr& GetSrc() const { return _tSrc; }
    bool IsEmptySrc() const { return _tSrc.IsEmpty(); }
    bool HasSource() const { return !_tSrc.IsEmpty(); }
    const KxwDomHtmlPropertyStr& GetType() const { return _tType; }
    const KxwDomHtmlPropertyStr& GetLanguage() const { return _tLanguage; }
    const KxwDomHtmlPropertyStr& GetEvent() const { return _tEvent; }
    const KxwDomHtmlPropertyStr& GetHtmlFor() const { return _tHtmlFor; }
    const KxwDomHtmlPropertyStr& GetText() const { return _tText; }
    void SetTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    void SetTextU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    bool IsDefer() const { return (_ucScriptFlags & kFlagDefer) != 0; }

    void SetSrcParsed(const char* mpszParsedValue) { _tSrc.SetParsed(ParsedText(mpszParsedValue)); }
    void SetTypeParsed(const char* mpszParsedValue) { _tType.SetParsed(ParsedText(mpszParsedValue)); }
    // A defer attribute in the markup: the script waits for the end of the page.
    void SetDeferParsed(const char* mpszParsedValue);

    // ---- What the pending lists read ----
    bool IsSourceDownloaded() const { return (_ucScriptFlags & kFlagSourceDownloaded) != 0; }
    // The downloaded source becomes the text.
    void SetSourceDownloaded(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    bool IsDownloadedEmpty() const { return IsSourceDownloaded() && _tText.IsEmpty(); }
    bool IsClosingTagMissing() const { return (_ucScriptFlags & kFlagClosingTagMissing) != 0; }
    // The parser marks its start tag met (true) and its end tag met (false).
    void SetClosingTagMissing(bool mbMissing) { SetScriptFlag(kFlagClosingTagMissing, mbMissing); }
    bool IsDeferFromHtml() const { return (_ucScriptFlags & kFlagDeferFromHtml) != 0; }
    void SetDeferFromHtml(bool mbOn) { SetScriptFlag(kFlagDeferFromHtml, mbOn); }
    // A script bound to an event of an object ("event" given) is run by that event, not in turn.
    bool IsBoundToEvent() const { return !_tEvent.IsEmpty(); }

    KXW_DOM_HTML_READY_STATE_ENUM GetReadyStateRaw() const override { return _eReadyState; }
    // True when the state changed.
    bool SetReadyState(KXW_DOM_HTML_READY_STATE_ENUM meReadyState);

    std::u16string GetInnerText() const override;
    bool SetInnerTextU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) override;
    bool AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) override;

    // The element's line, and its text when the mask asks for texts.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    static constexpr uint8_t kFlagDefer = 0x01;
    static constexpr uint8_t kFlagDeferFromHtml = 0x02;
    static constexpr uint8_t kFlagSourceDownloaded = 0x04;
    static constexpr uint8_t kFlagClosingTagMissing = 0x08;

    void SetScriptFlag(uint8_t mucFlag, bool mbOn) {
        _ucScriptFlags = static_cast<uint8_t>(mbOn ? (_ucScriptFlags | mucFlag) : (_ucScriptFlags & ~mucFlag));
    }

    KxwDomHtmlPropertyStr _tSrc;
    KxwDomHtmlPropertyStr _tType;
    KxwDomHtmlPropertyStr _tLanguage;
    KxwDomHtmlPropertyStr _tEvent;
    KxwDomHtmlPropertyStr _tHtmlFor;
    KxwDomHtmlPropertyStr _tText;
    KXW_DOM_HTML_READY_STATE_ENUM _eReadyState = KXW_DOM_HTML_READY_STATE_UNINITIALIZED;
    uint8_t _ucScriptFlags = 0;
};
