// NOSCRIPT: what a browser that runs scripts does not show. Its content stays the markup it was, kept whole in a
// property and never made into nodes: scripts do not find elements in it, and the page's markup written out again
// gives it back as it came (script class "noscript").
#pragma once

#include "KxwDomHtmlElementSimple.h"

class KxwDomHtmlElementNoScript : public KxwDomHtmlElementSimple {
public:
    KxwDomHtmlElementNoScript(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    // The raw content, as the page had it between the tags.
    const KxwDomHtmlPropertyStr& GetContent() const { return _tContent; }
    // The parser's text for the element is appended to the content, unparsed.
    bool AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) override;
    // Markup gives the content back as it came.
    void GenerateHtmlNonTextNodeInnerText(KxwDomHtmlTextsStr& mrtText) const override;

protected:
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tContent;
};
