// Forms as the engine and the player see them (kxw/KxwDomForms.h): the submitted form's request, and the user
// actions of test steps on controls. Every argument is checked; a bad one gives the neutral answer and a reason.
#include "KxwDomBindingUtil.h"
#include "KxwDomFormElementsCollection.h"
#include "KxwDomHtmlElementForm.h"
#include "KxwDomHtmlElementFormControl.h"
#include "KxwDomHtmlElementInput.h"
#include "KxwDomStr.h"
#include "KxwUtilUtf.h"
#include "kxw/KxwDomForms.h"
#include "kxw/KxwDomUtil.h"

namespace {

KxwDomHtmlElementForm* FormOf(KxwDomNodeBase* mptNode) {
    if (!mptNode || !mptNode->IsElementNode() ||
        mptNode->GetNodeSubtype() != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FORM)
        return nullptr;
    return static_cast<KxwDomHtmlElementForm*>(mptNode->DownCastToElement());
}

KxwDomHtmlElementFormControl* ControlOf(KxwDomNodeBase* mptNode) {
    return KxwDomFormElementsCollection::IsFormControlSubtype(mptNode)
               ? static_cast<KxwDomHtmlElementFormControl*>(mptNode->DownCastToElement())
               : nullptr;
}

bool Refuse(std::string* mpdsReason, const char* mpszReason) {
    if (mpdsReason) *mpdsReason = mpszReason;
    return false;
}

}  // namespace

std::string xfdsKxwDomFormGetAction(KxwDomNodeBase* mptForm) {
    KxwDomHtmlElementForm* ptForm = FormOf(mptForm);
    if (!ptForm) return std::string();
    std::string dsAbsolute = ptForm->GetAbsoluteActionDcs();
    KxwDomStr tAbsolute(ptForm->GetDomEnv(), dsAbsolute.data(), static_cast<unsigned>(dsAbsolute.size()));
    return xfdsKxwUtilU16ToUtf8(tAbsolute.GetU16nStr(), tAbsolute.GetU16nLenInChars());
}

std::string xfdsKxwDomFormGetTarget(KxwDomNodeBase* mptForm) {
    KxwDomHtmlElementForm* ptForm = FormOf(mptForm);
    return ptForm ? xfdsKxwDomUtilPropertyToUtf8(ptForm->GetTarget()) : std::string();
}

bool xfbKxwDomFormIsPost(KxwDomNodeBase* mptForm) {
    KxwDomHtmlElementForm* ptForm = FormOf(mptForm);
    return ptForm && ptForm->GetMethodEnum() == KXW_DOM_HTML_ELEMENT_FORM_METHOD_POST;
}

std::string xfdsKxwDomFormGetContentType(KxwDomNodeBase* mptForm) {
    KxwDomHtmlElementForm* ptForm = FormOf(mptForm);
    if (!ptForm || ptForm->GetMethodEnum() != KXW_DOM_HTML_ELEMENT_FORM_METHOD_POST) return std::string();
    return ptForm->GetSubmitBodyMain().GetContentType();
}

std::string xfdsKxwDomFormGetBody(KxwDomNodeBase* mptForm) {
    KxwDomHtmlElementForm* ptForm = FormOf(mptForm);
    if (!ptForm) return std::string();
    const KxwUtilSubmitDataBody& rtMain = ptForm->GetSubmitBodyMain();
    const KxwUtilSubmitDataBody& rtSuffix = ptForm->GetSubmitBodySuffix();
    if (rtSuffix.IsEmpty()) return rtMain.GetBody();
    // The suffix's pairs follow the main ones in one body (one boundary for a multipart one).
    KxwUtilSubmitDataBody tWhole;
    tWhole.SetEncType(rtMain.GetEncType());
    tWhole.SetRequestConversionCharset(rtMain.GetRequestConversionCharset());
    auto eBrowser = static_cast<KXWI_BROWSER_MAJOR_TYPE_ENUM>(xfeKxwDomUtilGetMajorBrowserType());
    for (const KxwUtilSubmitDataBody* ptBody : {&rtMain, &rtSuffix})
        for (unsigned u = 0; u < ptBody->GetPairCount(); ++u) {
            const std::string& rdsName = ptBody->GetName(u);
            const std::string& rdsValue = ptBody->GetValue(u);
            tWhole.AddNameAndValueOK(rdsName.data(), static_cast<unsigned>(rdsName.size()), rdsValue.data(),
                                     static_cast<unsigned>(rdsValue.size()), ptBody->IsFile(u), eBrowser,
                                     KXW_UTIL_ENCODE_AT_SIGN_BY_BROWSER, true);
        }
    return tWhole.GetBody();
}

bool xfbKxwDomFormIsJavaScriptSubmit(KxwDomNodeBase* mptForm) {
    KxwDomHtmlElementForm* ptForm = FormOf(mptForm);
    return ptForm && ptForm->IsJavaScriptSubmit();
}

bool xfbKxwDomUserSetText(KxwDomNodeBase* mptControl, const std::string& mdsUtf8Text, std::string* mpdsReason) {
    KxwDomHtmlElementFormControl* ptControl = ControlOf(mptControl);
    if (!ptControl) return Refuse(mpdsReason, "not a form control");
    return ptControl->UserSetText(xfdsKxwUtilUtf8ToU16(mdsUtf8Text.data(), mdsUtf8Text.size()), mpdsReason);
}

bool xfbKxwDomUserSetChecked(KxwDomNodeBase* mptInput, bool mbChecked, std::string* mpdsReason) {
    if (!mptInput || !mptInput->IsElementNode() ||
        mptInput->GetNodeSubtype() != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_INPUT)
        return Refuse(mpdsReason, "not an INPUT");
    return static_cast<KxwDomHtmlElementInput*>(mptInput->DownCastToElement())->UserSetChecked(mbChecked, mpdsReason);
}

bool xfbKxwDomUserSubmitForm(KxwDomNodeBase* mptForm, std::string* mpdsReason) {
    KxwDomHtmlElementForm* ptForm = FormOf(mptForm);
    if (!ptForm) return Refuse(mpdsReason, "not a FORM");
    if (!ptForm->HandleUserActionSubmitArgument()) return Refuse(mpdsReason, "the submission did not complete");
    return true;
}
