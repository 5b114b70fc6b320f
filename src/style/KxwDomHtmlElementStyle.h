// STYLE (script class "style", under "styleSheetContainer"): its text is the style sheet's text, kept as the
// element's content; scripts may not replace it through innerHTML or innerText. Its sheet is made on first use.
#pragma once

#include "KxwDomHtmlElement.h"
#include "KxwDomStyleSheet.h"

class KxwDomHtmlElementStyle : public KxwDomHtmlElement, public KxwDomHtmlElementStyleSheetContainer {
public:
    KxwDomHtmlElementStyle(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    KxwDomStyleSheet* GetStyleSheetObject() { return KxwDomHtmlElementStyleSheetContainer::GetStyleSheetObject(*this); }

    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;
    void EnumerateSubtreeMembers(KxwDomSubtreeMemberSink& mrtSink) override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
};
