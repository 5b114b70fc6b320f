// FRAME and IFRAME (script classes "frame" and "iframe" on "framebase"): the element that owns a frame's window.
// The window is made when the element joins a document shown in a window (or at the first need); its page is
// asked of the engine (notification 17) once, when the element joins the document with an address, or at the end
// of the document's parsing for one that got its address meanwhile, and again whenever a script sets "src". From
// the request on, the parent window's onload waits for the frame's own.
#pragma once

#include <string>

#include "KxwDomHtmlElement.h"

class KxwDomHtmlWindow;

class KxwDomHtmlElementFrameBase : public KxwDomHtmlElement {
public:
    KxwDomHtmlElementFrameBase(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                               bool mbUseMemMgr);
    ~KxwDomHtmlElementFrameBase() override;

    // The frame's window, made when the document is shown in a window; null otherwise.
    KxwDomHtmlWindow* GetContentWindow();
    KxwDomHtmlWindow* PeekContentWindow() const { return _ptContentWindow; }
    // The parent window's document goes: the window goes with it.
    void ForgetWindow(KxwDomHtmlWindow* mptWindow);
    // Asks the engine for the frame's page; the parent's onload waits for it. A frame without an address gets an
    // empty page at once.
    void RequestLoad();
    bool IsLoadRequested() const { return _bLoadRequested; }
    // The address combined with the document's base.
    std::string GetResolvedSrcDcs() const { return ResolveUrlDcs(_tSrc); }
    void OnAddedToTree() override;
    // The frame's page: complete, failed or aborted (the window decides its onload).
    void NotifyStartDownload() override;
    void NotifyDownloadComplete() override;
    void NotifyDownloadFailed(KXW_WTL_SEV_LVL_ENUM meSevLvl, char* mpszMsg, int miMsgId) override;
    void NotifyDownloadAborted() override;

    const KxwDomHtmlPropertyStr& GetSrc() const { return _tSrc; }
    void SetSrcParsed(const char* mpszParsedValue) { _tSrc.SetParsed(ParsedText(mpszParsedValue)); }
    const KxwDomHtmlPropertyStr& GetName() const override { return _tName; }
    void SetNameParsed(const char* mpszParsedValue);
    void SetNameU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);

    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    static const KxwJswClassInformation& GetFrameBaseClassInformation();

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tSrc;
    KxwDomHtmlPropertyStr _tName;
    KxwDomHtmlWindow* _ptContentWindow = nullptr;
    bool _bLoadRequested = false;
};

using KxwDomHtmlElementFrame = KxwDomHtmlElementFrameBase;
using KxwDomHtmlElementInlineFrame = KxwDomHtmlElementFrameBase;
