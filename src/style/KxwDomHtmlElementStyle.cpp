#include "KxwDomHtmlElementStyle.h"

#include "KxwDomHtmlElementSimple.h"
#include "KxwDomScriptCall.h"
#include "KxwJswClassInformation.h"

namespace {

bool addRule_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomScriptCallOn<KxwDomHtmlElementStyle> tCall("KxwDomHtmlElementStyle::addRule_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    // Nothing is laid out: a rule would change nothing that scripts can read.
    return tCall.Undefined();
}

const KxwJswPropertySpec katNoProperties[] = {{nullptr, 0, 0, nullptr}};
const KxwJswMethodSpec katStyleElementMethods[] = {
    {"addRule", nullptr, nullptr, 0, addRule_callback},
    {nullptr, nullptr, nullptr, 0},
};

short ElementPropertyId(const char* mpszName) {
    const KxwJswPropertySpec* ptSpec = KxwDomHtmlElement::GetElementClassInformation().FindProperty(mpszName);
    return ptSpec ? KxwJswClassInformation::DispatchId(ptSpec->_uTinyId) : 0;
}

}  // namespace

KxwDomHtmlElementStyle::KxwDomHtmlElementStyle(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_STYLE, mbUseMemMgr) {}

const KxwJswClassInformation* KxwDomHtmlElementStyle::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&KxwDomHtmlElementSimple::GetStyleSheetContainerClassInformation(),
                                                    "style", katNoProperties, katStyleElementMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementStyle::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    static const short knInnerHtml = ElementPropertyId("innerHTML");
    static const short knInnerText = ElementPropertyId("innerText");
    if (mnTinyId == knInnerHtml || mnTinyId == knInnerText) {
        IssueInvalidSetPropertyMessage(mnTinyId == knInnerHtml ? "innerHTML" : "innerText", "STYLE");
        return false;
    }
    return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
}

void KxwDomHtmlElementStyle::EnumerateSubtreeMembers(KxwDomSubtreeMemberSink& mrtSink) {
    KxwDomHtmlElement::EnumerateSubtreeMembers(mrtSink);
    if (KxwDomStyleSheet* ptSheet = PeekStyleSheetObject()) mrtSink.AddUserObj(ptSheet);
}

void KxwDomHtmlElementStyle::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    KxwDomHtmlElement::PrintMe(miIndent, meSevLvl, mulMask);
    if (!xfbKxwUtilIsSevLvlEnabled(meSevLvl) || !(mulMask & KXW_DOM_PRINT_MASK_INNER_TEXTS)) return;
    // The style sheet's text, which the STYLE's inner text leaves out.
    std::u16string dsInnerText;
    for (const KxwDomNodeBase* ptChild = GetDomFirstChild(); ptChild; ptChild = ptChild->GetDomNextSibling())
        if (ptChild->GetNodeType() == KXW_DOM_COMMON_NODE_TYPE_TEXT) ptChild->AddDataToInnerText(dsInnerText);
    std::string dsText;
    long liLen = GetPrintableDcs(dsInnerText.data(), dsInnerText.size(), kPrintedTextLen, dsText);
    xfvKxwUtilReportBySevLvl(meSevLvl, "%*s[The text of the <STYLE> is \"%.3000s\" (DCS length=%ld)]",
                             GetPrintingTextIndent(miIndent), "", dsText.c_str(), liLen);
}
