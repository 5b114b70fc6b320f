#include "KxwDomHtmlElementTitle.h"

#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"

namespace {

constexpr short kIdText = KxwDomHtmlElement::kFirstDerivedTinyId;  // 7

const KxwJswPropertySpec katTitleProperties[] = {
    {"text", 7, KXW_JSW_PROP_PERMANENT, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

}  // namespace

KxwDomHtmlElementTitle::KxwDomHtmlElementTitle(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TITLE, mbUseMemMgr),
      _tText(GetDomEnv()) {}

void KxwDomHtmlElementTitle::SetTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    _tText.SetDcs(mpsfDcsStr ? mpsfDcsStr : "", mpsfDcsStr ? muDcsLenInBytes : 0);
}

void KxwDomHtmlElementTitle::SetTextU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    _tText.SetU16n(mpwsfU16nStr ? mpwsfU16nStr : u"", mpwsfU16nStr ? muU16nLenInChars : 0);
}

std::u16string KxwDomHtmlElementTitle::GetInnerText() const {
    const char16_t* pwsfText = _tText.GetU16nStr();
    return pwsfText ? std::u16string(pwsfText, _tText.GetU16nLenInChars()) : std::u16string();
}

bool KxwDomHtmlElementTitle::SetInnerTextU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    SetTextU16n(mpwsfU16nStr, muU16nLenInChars);
    return true;
}

void KxwDomHtmlElementTitle::AddDataToInnerText(std::u16string& mrdsText) const {
    mrdsText += GetInnerText();
}

bool KxwDomHtmlElementTitle::AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    if (!_tText.IsSpecified()) SetTextDcs(mpsfDcsStr, muDcsLenInBytes);
    return true;
}

void KxwDomHtmlElementTitle::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    auto& rtClone = static_cast<KxwDomHtmlElementTitle&>(mrtClone);
    CopySpecifiedText(_tText, rtClone._tText);
    rtClone._bImplied = _bImplied;
}

const KxwJswClassInformation* KxwDomHtmlElementTitle::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "title", katTitleProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementTitle::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdText) return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    mrtPropertyInfo = _tText;
    return true;
}

bool KxwDomHtmlElementTitle::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdText) return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    StoreScriptText(_tText, mrtPropertyInfo);
    return true;
}

void KxwDomHtmlElementTitle::AddDataToInnerOuterHtml(KxwDomHtmlTextsStr& mrtText) const {
    if (!_bImplied) KxwDomHtmlElement::AddDataToInnerOuterHtml(mrtText);
}

void KxwDomHtmlElementTitle::GenerateHtmlNonTextNodeInnerText(KxwDomHtmlTextsStr& mrtText) const {
    if (!_bImplied) mrtText.ConcatHtmlTextAsIs(_tText);
}

void KxwDomHtmlElementTitle::GenerateHtmlClosingTag(KxwDomHtmlTextsStr& mrtText) const {
    if (!_bImplied) KxwDomHtmlElement::GenerateHtmlClosingTag(mrtText);
}
