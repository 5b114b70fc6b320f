#include "KxwDomHtmlRadioGroupMgr.h"

#include <algorithm>

#include "KxwDomHtmlElementInput.h"
#include "KxwDomHtmlRadioGroup.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"

KxwDomHtmlRadioGroupMgr::KxwDomHtmlRadioGroupMgr() = default;

KxwDomHtmlRadioGroupMgr::~KxwDomHtmlRadioGroupMgr() {
    Reset();
}

void KxwDomHtmlRadioGroupMgr::Add(KxwDomHtmlElementInput* mptRadio) {
    if (!mptRadio || mptRadio->GetTypeEnum() != KXW_DOM_HTML_ELEMENT_INPUT_TYPE_RADIO) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid/mismatching mptHtmlElementInputRadio (%p) being added in KxwDomHtmlRadioGroupMgr::Add",
            static_cast<void*>(mptRadio));
        return;
    }
    if (mptRadio->GetRadioGroup()) Remove(mptRadio);
    const KxwDomHtmlPropertyStr& rtName = mptRadio->GetName();
    if (rtName.IsEmpty()) return;
    for (const std::unique_ptr<KxwDomHtmlRadioGroup>& rptGroup : _tGroups)
        if (rptGroup->IsEligible(*mptRadio)) {
            rptGroup->Add(mptRadio);
            return;
        }
    const char16_t* pwsfName = rtName.GetU16nStr();
    _tGroups.push_back(std::make_unique<KxwDomHtmlRadioGroup>(*this, mptRadio->GetContainingForm(),
                                                              std::u16string(pwsfName, rtName.GetU16nLenInChars())));
    if (xfbKxwDetailedTraceEnabled())
        xfvKxwUtilReportTraceToFile("<%p>: \"RadioGroup\" internal object made in KxwDomHtmlRadioGroupMgr::Add",
                                    static_cast<void*>(_tGroups.back().get()));
    _tGroups.back()->Add(mptRadio);
}

void KxwDomHtmlRadioGroupMgr::Remove(KxwDomHtmlElementInput* mptRadio) {
    KxwDomHtmlRadioGroup* ptGroup = mptRadio ? mptRadio->GetRadioGroup() : nullptr;
    if (!ptGroup) return;
    ptGroup->Remove(mptRadio);
    if (!ptGroup->IsEmpty()) return;
    // An empty group goes at once: it names a form that may go next.
    auto itGroup = std::find_if(
        _tGroups.begin(), _tGroups.end(),
        [ptGroup](const std::unique_ptr<KxwDomHtmlRadioGroup>& mrptGroup) { return mrptGroup.get() == ptGroup; });
    if (itGroup != _tGroups.end()) _tGroups.erase(itGroup);
}

void KxwDomHtmlRadioGroupMgr::RemoveDescendantOfInHtmlDocument(const KxwDomNodeBase* mptNode) {
    if (!mptNode) return;
    std::vector<KxwDomHtmlElementInput*> tLeaving;
    for (const std::unique_ptr<KxwDomHtmlRadioGroup>& rptGroup : _tGroups)
        for (KxwDomHtmlElementInput* ptRadio : rptGroup->GetRadios())
            if (ptRadio == mptNode || ptRadio->IsDescendantOf(mptNode)) tLeaving.push_back(ptRadio);
    for (KxwDomHtmlElementInput* ptRadio : tLeaving) Remove(ptRadio);
}

void KxwDomHtmlRadioGroupMgr::Reset() {
    _tGroups.clear();
}
