#include "KxwDomHtmlElementForm.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlElementFormControl.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr short kIdTarget = KxwDomHtmlElementForm::kIdTarget;

const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};
const KxwJswPropertySpec katFormProperties[] = {
    {"target", kIdTarget, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};

}  // namespace

KxwDomHtmlElementForm::KxwDomHtmlElementForm(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementWithName(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FORM, mbUseMemMgr),
      _tTarget(GetDomEnv()) {}

bool KxwDomHtmlElementForm::IncludeUnclickedInputSubmit(const KxwDomHtmlElementFormControl* /*mptQueried*/) const {
    // Only a step's submission sends a button nobody clicked.
    return _bUserActionSubmit && false;
}

bool KxwDomHtmlElementForm::AddNameAndValueSubmitBodyMainU16n(const char16_t* /*mpwsfName*/, unsigned /*muNameLen*/,
                                                              const char16_t* /*mpwsfValue*/, unsigned /*muValueLen*/,
                                                              bool /*mbIsFile*/) {
    if (!_bWithinSubmitWithoutOnsubmit) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, -26000, __func__, __LINE__,
                                            "KxwDomHtmlElementForm::AddNameAndValueSubmitBodyMain invoked when "
                                            "_bWithinSubmitWithoutOnsubmit is false.  Continuing");
    }
    return false;
}

const KxwJswClassInformation* KxwDomHtmlElementForm::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementWithNameClassInformation(), "form", katFormProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementForm::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "target")) {
        SetTargetParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElementWithName::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementForm::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementWithName::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementForm&>(mrtClone);
    CopySpecifiedText(_tTarget, rtClone._tTarget);
}

bool KxwDomHtmlElementForm::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdTarget) {
        mrtPropertyInfo = _tTarget;
        return true;
    }
    return KxwDomHtmlElementWithName::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
}

bool KxwDomHtmlElementForm::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdTarget) {
        _tTarget = mrtPropertyInfo;
        return true;
    }
    return KxwDomHtmlElementWithName::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
}

void KxwDomHtmlElementForm::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    KxwDomHtmlElement::PrintMe(miIndent, meSevLvl, mulMask);
    if (!(mulMask & KXW_DOM_PRINT_MASK_COLLECTIONS) || !xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    if (const KxwDomHtmlCollectionOrdered* ptAll = PeekAll())
        ptAll->PrintCollection("all", miIndent + 1, meSevLvl);
    else
        KxwDomHtmlCollectionGeneral::PrintMissingCollection("all", miIndent + 1, meSevLvl);
    KxwDomHtmlCollectionGeneral::PrintMissingCollection("elements", miIndent + 1, meSevLvl);
}

void KxwDomHtmlElementForm::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("target", _tTarget);
    KxwDomHtmlElementWithName::GenerateHtmlProperties(mrtText);
}
