// The hierarchy dump of an element: its tag with the attributes it was given, and its inner text on a line of its
// own.
#include <cstring>
#include <string>

#include "KxwDomHtmlElement.h"
#include "KxwUtilReport.h"

void KxwDomHtmlElement::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long) const {
    if (!xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    std::string dsTag, dsAttributes;
    GetPrintingTagAndAttributes(dsTag, dsAttributes);
    const KxwDomCoreNode* ptContainer = GetContainerNode();
    xfvKxwUtilReportBySevLvl(meSevLvl,
                             "D%02d %*s<%.100s%.3000s> this=%p, ParentNode=%p, FirstChild=%p, LastChild=%p, "
                             "RawParentNodeOrTreeNode=%p, JsiObj=%p, IsFloating=%d",
                             miIndent < 0 ? 0 : miIndent, GetPrintingEffectiveIndent(miIndent), "", dsTag.c_str(),
                             dsAttributes.c_str(), static_cast<const void*>(this),
                             static_cast<const void*>(GetParentNode()), static_cast<const void*>(GetFirstChild()),
                             static_cast<const void*>(GetLastChild()), static_cast<const void*>(ptContainer),
                             static_cast<const void*>(PeekJsiObj()), ptContainer ? 0 : 1);
}

void KxwDomHtmlElement::GetPrintingTagAndAttributes(std::string& mrdsTag, std::string& mrdsAttributes) const {
    mrdsTag = GetPrintableText(GetTagNameDcsStr(), GetTagNameDcsLenInBytes(), kPrintedTagLen);
    mrdsAttributes.clear();
    // Each attribute as it would be written, until the line's share of the attributes is full.
    auto tAdd = [&](const char* mpsfName, size_t mnNameLen, const char* mpsfValue, size_t mnValueLen) {
        if (mrdsAttributes.size() >= kPrintedAttributesLen) return;
        mrdsAttributes += ' ';
        mrdsAttributes += GetPrintableText(mpsfName, mnNameLen, kPrintedTagLen);
        if (!mpsfValue) return;
        mrdsAttributes += "=\"";
        if (mrdsAttributes.size() < kPrintedAttributesLen)
            mrdsAttributes += GetPrintableText(mpsfValue, mnValueLen, kPrintedAttributesLen - mrdsAttributes.size());
        mrdsAttributes += '"';
    };
    auto tAddProperty = [&](const char* mpszName, const KxwDomHtmlPropertyStr* mptValue) {
        if (mptValue && mptValue->IsSpecified())
            tAdd(mpszName, std::strlen(mpszName), mptValue->GetDcsStr(), mptValue->GetDcsLenInBytes());
    };
    tAddProperty("id", &GetId());
    tAddProperty("class", &GetClassName());
    tAddProperty("name", &GetName());
    tAddProperty("style", GetStyleText());
    for (const KxwDomAdditionalAttrCollection::Attr* ptAttr = GetAdditionalAttrs().GetFirstAttr();
         ptAttr && mrdsAttributes.size() < kPrintedAttributesLen; ptAttr = ptAttr->GetNext()) {
        if (const char* psfValue = ptAttr->GetValueDcsStr()) {
            tAdd(ptAttr->GetNameDcsStr(), ptAttr->GetNameDcsLenInBytes(), psfValue, ptAttr->GetValueDcsLenInBytes());
        } else if (const char16_t* pwsfValue = ptAttr->GetValueU16nStr()) {
            std::string dsValue = ToDcs(pwsfValue, ptAttr->GetValueU16nLenInChars());
            tAdd(ptAttr->GetNameDcsStr(), ptAttr->GetNameDcsLenInBytes(), dsValue.data(), dsValue.size());
        } else {
            tAdd(ptAttr->GetNameDcsStr(), ptAttr->GetNameDcsLenInBytes(), nullptr, 0);
        }
    }
}

int KxwDomHtmlElement::GetPrintingTextIndent(int miIndent) {
    // Under the tag of the element's line ("Dnn " comes first), one level in.
    return 4 + GetPrintingEffectiveIndent((miIndent < 0 ? 0 : miIndent) + 1);
}

long KxwDomHtmlElement::GetPrintableDcs(const char16_t* mpwsfU16nStr, size_t mnU16nLenInChars, size_t mnMaxLen,
                                        std::string& mrdsText) const {
    std::string dsDcs = ToDcs(mpwsfU16nStr, static_cast<unsigned>(mnU16nLenInChars));
    mrdsText = GetPrintableText(dsDcs.data(), dsDcs.size(), mnMaxLen);
    return static_cast<long>(dsDcs.size());
}

long KxwDomHtmlElement::GetPrintableDcs(const KxwDomHtmlPropertyStr& mrtText, size_t mnMaxLen, std::string& mrdsText) {
    mrdsText = GetPrintableText(mrtText.GetDcsStr(), mrtText.GetDcsLenInBytes(), mnMaxLen);
    return static_cast<long>(mrtText.GetDcsLenInBytes());
}

void KxwDomHtmlElement::PrintInnerTextLine(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl) const {
    std::u16string dsInnerText = GetInnerText();
    std::string dsText;
    long liLen = GetPrintableDcs(dsInnerText.data(), dsInnerText.size(), kPrintedTextLen, dsText);
    xfvKxwUtilReportBySevLvl(meSevLvl, "%*s[The innerText of the <%.100s> is \"%.3000s\" (DCS length=%ld)]",
                             GetPrintingTextIndent(miIndent), "", GetTagNameDcsStr(), dsText.c_str(), liLen);
}
