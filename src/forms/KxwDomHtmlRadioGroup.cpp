#include "KxwDomHtmlRadioGroup.h"

#include <algorithm>

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlElementForm.h"
#include "KxwDomHtmlElementInput.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"

KxwDomHtmlRadioGroup::KxwDomHtmlRadioGroup(KxwDomHtmlRadioGroupMgr& mrtMgr, KxwDomHtmlElementForm* mptContainingForm,
                                           const std::u16string& mdsGroupName)
    : _rtMgr(mrtMgr), _ptContainingForm(mptContainingForm), _dsGroupName(mdsGroupName) {}

KxwDomHtmlRadioGroup::~KxwDomHtmlRadioGroup() {
    for (KxwDomHtmlElementInput* ptRadio : _tRadios) ptRadio->SetRadioGroup(nullptr);
}

bool KxwDomHtmlRadioGroup::IsEligible(KxwDomHtmlElementInput& mrtRadio) const {
    if (mrtRadio.GetContainingForm() != _ptContainingForm) return false;
    const KxwDomHtmlPropertyStr& rtName = mrtRadio.GetName();
    const char16_t* pwsfName = rtName.GetU16nStr();
    unsigned uLen = pwsfName ? rtName.GetU16nLenInChars() : 0;
    return xfbKxwDomUtilU16EqualIgnoringAsciiCase(pwsfName ? pwsfName : u"", uLen, _dsGroupName.data(),
                                                  _dsGroupName.size());
}

void KxwDomHtmlRadioGroup::Add(KxwDomHtmlElementInput* mptRadio) {
    if (!mptRadio || mptRadio->GetTypeEnum() != KXW_DOM_HTML_ELEMENT_INPUT_TYPE_RADIO || !IsEligible(*mptRadio)) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_IGNORED_FRAME, -26000, __func__, __LINE__,
                                            "A radio button that does not belong to the radio group is not added");
        return;
    }
    if (std::find(_tRadios.begin(), _tRadios.end(), mptRadio) != _tRadios.end()) return;
    bool bChecked = mptRadio->GetChecked().GetBool();
    mptRadio->SetRadioGroup(this);
    _tRadios.push_back(mptRadio);
    if (bChecked) SetCheckedElement(mptRadio);
}

void KxwDomHtmlRadioGroup::Remove(KxwDomHtmlElementInput* mptRadio) {
    auto itRadio = std::find(_tRadios.begin(), _tRadios.end(), mptRadio);
    if (itRadio == _tRadios.end()) return;
    // Whichever way the radio became the checked one (its markup, a script, a click), the group forgets it: it
    // keeps its own checked bit as it leaves.
    if (_ptCheckedElement == mptRadio) _ptCheckedElement = nullptr;
    _tRadios.erase(itRadio);
    mptRadio->SetRadioGroup(nullptr);
}

void KxwDomHtmlRadioGroup::SetCheckedElement(KxwDomHtmlElementInput* mptRadioOrNull) {
    KxwDomHtmlElementInput* ptBefore = _ptCheckedElement;
    if (mptRadioOrNull && std::find(_tRadios.begin(), _tRadios.end(), mptRadioOrNull) == _tRadios.end()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptRadio=%p is not in the radio group in "
                                              "KxwDomHtmlRadioGroup::SetCheckedElement for this=%p",
                                              static_cast<void*>(mptRadioOrNull), static_cast<void*>(this));
        return;
    }
    _ptCheckedElement = mptRadioOrNull;
    if (ptBefore && ptBefore != mptRadioOrNull) ptBefore->SetInputChecked(false);
    if (mptRadioOrNull) mptRadioOrNull->SetInputChecked(true);
}
