// META: its http-equiv, content and charset, the refresh its content asks for (parsed once, on first need) and
// the character set it declares. Script class "meta" ("elementwithname").
#pragma once

#include <string>

#include "KxwDomHtmlElementWithName.h"

class KxwDomHtmlElementMeta : public KxwDomHtmlElementWithName {
public:
    KxwDomHtmlElementMeta(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    const KxwDomHtmlPropertyStr& GetHttpEquiv() const { return _tHttpEquiv; }
    const KxwDomHtmlPropertyStr& GetContent() const { return _tContent; }
    const KxwDomHtmlPropertyStr& GetCharset() const { return _tCharset; }
    void SetHttpEquivParsed(const char* mpszParsedValue);
    void SetContentParsed(const char* mpszParsedValue);
    void SetCharsetParsed(const char* mpszParsedValue) { _tCharset.SetParsed(ParsedText(mpszParsedValue)); }

    // ---- Refresh ----
    // Reads the delay and the URL out of "content" (once, until a property changes).
    void ParseRefresh();
    // A refresh the library carries out: still eligible (no script changed http-equiv or content), http-equiv
    // "Refresh", and a javascript: URL.
    bool IsRefresh();
    // A refresh whose URL is an address (or none: the page itself) rather than a javascript: URL. The engine does
    // not read the pages' refreshes itself: the document carries these out as it does the others.
    bool IsRefreshToAddress();
    bool IsRefreshSchemeJavascript();
    bool IsMetaRefreshUrlEmpty();
    const char* GetRefreshUrlStr();
    unsigned GetRefreshUrlLen();
    // Milliseconds, or -1 when the content is no refresh.
    int GetRefreshDelayOrMinus1();

    // The character set the element declares: its "charset", else the charset= of a Content-Type content; false
    // when it declares none.
    bool GetDeclaredCharset(std::string& mrdsCharset) const;

    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    // Besides "class": "http-equiv" for httpEquiv.
    bool AddExceptionalAttributesToCollection(KxwDomAttributeCollection& mrtCollection) override;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tHttpEquiv;
    KxwDomHtmlPropertyStr _tContent;
    KxwDomHtmlPropertyStr _tCharset;
    std::string _dsRefreshUrl;
    int _iRefreshDelayOrMinus1 = -1;
    bool _bRefreshParsed = false;
    bool _bRefreshEligible = true;
};
