#include "KxwDomHtmlElementLabel.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomEventData.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"

namespace {

const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};
const KxwJswPropertySpec katLabelProperties[] = {
    {"htmlFor", KxwDomHtmlElementLabel::kIdHtmlFor, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE, "S"},
    {nullptr, 0, 0, nullptr},
};

// Whether a label's synthetic click is running on this thread (one virtual user per thread): a label reached by
// that click does not click again, so that labels naming each other end after one click each way at most.
thread_local bool tbLabelActivationRunning = false;

class LabelActivation {
public:
    LabelActivation() { tbLabelActivationRunning = true; }
    ~LabelActivation() { tbLabelActivationRunning = false; }
    LabelActivation(const LabelActivation&) = delete;
    LabelActivation& operator=(const LabelActivation&) = delete;
};

}  // namespace

KxwDomHtmlElementLabel::KxwDomHtmlElementLabel(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LABEL, mbUseMemMgr),
      _tHtmlFor(GetDomEnv()) {}

KxwDomHtmlElement* KxwDomHtmlElementLabel::GetLabeledElement() const {
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    KxwDomStr* ptFor = _tHtmlFor.GetDomStr();
    if (!ptDocument || !ptFor || _tHtmlFor.IsEmpty()) return nullptr;
    KxwDomNodeBase* ptFound = ptDocument->GetLastElementWithId(*ptFor);
    return ptFound && ptFound->IsElementNode() ? ptFound->DownCastToElement() : nullptr;
}

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomHtmlElementLabel::DoEventDefaultAction(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CLICK || _tHtmlFor.IsEmpty())
        return KxwDomHtmlElement::DoEventDefaultAction(meEventType, mptDomEventDataOrNULL);
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    if (!ptDocument || !mptDomEventDataOrNULL) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid ptOwnerDocument=%p/mptDomEventDataOrNULL=%p in KxwDomHtmlElementLabel::DoEventDefaultAction",
            static_cast<void*>(ptDocument), static_cast<const void*>(mptDomEventDataOrNULL));
        return KXW_DOM_HANDLE_EVENT_RET_VAL_ERROR;
    }
    if (tbLabelActivationRunning) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile("A label's click reached the label %p: it clicks nothing more", this);
        return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    }
    KxwDomHtmlElement* ptTarget = GetLabeledElement();
    if (!ptTarget || ptTarget == mptDomEventDataOrNULL->GetOriginatingElement() || ptTarget == this)
        return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    // The click may delete this label (and the target): nothing of either is touched after it.
    LabelActivation tActivation;
    KxwDomEventData tData(ptTarget);
    ptTarget->OnUserEvent(KXW_DOM_EVENT_TYPE_ENUM_CLICK, &tData);
    return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
}

bool KxwDomHtmlElementLabel::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "for")) {
        _tHtmlFor.SetParsed(ParsedText(mpszValueOrNull));
        return true;
    }
    return KxwDomHtmlElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementLabel::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElement::CopyClassPropertiesTo(mrtClone);
    CopySpecifiedText(_tHtmlFor, static_cast<KxwDomHtmlElementLabel&>(mrtClone)._tHtmlFor);
}

void KxwDomHtmlElementLabel::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("for", _tHtmlFor);
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}

const KxwJswClassInformation* KxwDomHtmlElementLabel::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "label", katLabelProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementLabel::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdHtmlFor) return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    mrtPropertyInfo = _tHtmlFor;
    return true;
}

bool KxwDomHtmlElementLabel::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdHtmlFor) return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    StoreScriptText(_tHtmlFor, mrtPropertyInfo);
    return true;
}
