#include "KxwDomCoreComment.h"

#include <string>

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"

namespace {

enum : short {
    kIdText = KxwDomHtmlElement::kFirstDerivedTinyId,  // 7
    kIdLength,                                         // 8
};

const KxwJswPropertySpec katCommentProperties[] = {
    {"text", 7, KXW_JSW_PROP_PERMANENT, "S"},
    {"length", 8, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

}  // namespace

KxwDomCoreComment::KxwDomCoreComment(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                                     bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, meSubtype, mbUseMemMgr) {}

KxwDomCoreComment* KxwDomCoreComment::AllocCommentNode(KxwDomHtmlDocument* mptOwnerDocument, const char* mpsfDcsStr,
                                                       unsigned muDcsLenInBytes) {
    KxwMemMgr* ptMemMgr = mptOwnerDocument ? mptOwnerDocument->GetMemMgr() : nullptr;
    if (!mptOwnerDocument) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptOwnerDocument is NULL in KxwDomCoreComment::AllocCommentNode");
        return nullptr;
    }
    auto* ptComment =
        new (ptMemMgr) KxwDomCoreComment(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_COMMENT, ptMemMgr != nullptr);
    ptComment->SetNodeValueDcs(mpsfDcsStr ? mpsfDcsStr : "", mpsfDcsStr ? muDcsLenInBytes : 0);
    return ptComment;
}

const char16_t* KxwDomCoreComment::GetNodeNameU16n(unsigned* mpuLenInChars) const {
    if (!IsCommentNode()) return KxwDomHtmlElement::GetNodeNameU16n(mpuLenInChars);
    if (mpuLenInChars) *mpuLenInChars = 8;
    return u"#comment";
}

bool KxwDomCoreComment::AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    if (!mpsfDcsStr || muDcsLenInBytes == 0) return true;
    const KxwDomHtmlPropertyStr& rtOld = GetNodeValue();
    std::string dsJoined;
    if (rtOld.GetDcsStr()) dsJoined.assign(rtOld.GetDcsStr(), rtOld.GetDcsLenInBytes());
    dsJoined.append(mpsfDcsStr, muDcsLenInBytes);
    SetNodeValueDcs(dsJoined.data(), static_cast<unsigned>(dsJoined.size()));
    return true;
}

void KxwDomCoreComment::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    const KxwDomHtmlPropertyStr& rtValue = GetNodeValue();
    if (rtValue.IsSpecified())
        mrtClone.SetNodeValueU16n(rtValue.GetU16nStr() ? rtValue.GetU16nStr() : u"", rtValue.GetU16nLenInChars());
}

KxwDomHtmlElement* KxwDomCoreComment::MakeEmptyClone(KxwDomHtmlDocument& mrtDocument) {
    if (IsCommentNode()) return AllocCommentNode(&mrtDocument, nullptr, 0);
    return KxwDomHtmlElement::MakeEmptyClone(mrtDocument);
}

const KxwJswClassInformation* KxwDomCoreComment::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "comment", katCommentProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomCoreComment::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdText:
            mrtPropertyInfo = GetNodeValue();
            return true;
        case kIdLength:
            mrtPropertyInfo = static_cast<int>(GetNodeValue().GetU16nLenInChars());
            return true;
        default:
            return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomCoreComment::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdText) return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    if (!mrtPropertyInfo.HasValue()) return true;
    SetNodeValueU16n(mrtPropertyInfo.ConvertAndGetStringU16n(), mrtPropertyInfo.ConvertAndGetStringU16nLength());
    return true;
}

void KxwDomCoreComment::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    if (!IsCommentNode()) KxwDomHtmlElement::PrintMe(miIndent, meSevLvl, mulMask);
    if (!(mulMask & KXW_DOM_PRINT_MASK_TEXTS) || !xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    std::string dsText;
    long liLen = GetPrintableDcs(GetNodeValue(), kPrintedTextLen, dsText);
    if (IsCommentNode())
        xfvKxwUtilReportBySevLvl(meSevLvl, "D%02d%*s Comment \"%.3000s\", DCS Length=%ld, this=%p",
                                 miIndent < 0 ? 0 : miIndent, GetPrintingEffectiveIndent(miIndent), "", dsText.c_str(),
                                 liLen, static_cast<const void*>(this));
    else
        xfvKxwUtilReportBySevLvl(meSevLvl, "%*s[The <COMMENT> text is \"%.3000s\" (DCS length=%ld)]",
                                 GetPrintingTextIndent(miIndent), "", dsText.c_str(), liLen);
}

void KxwDomCoreComment::GetPrintingTagAndAttributes(std::string& mrdsTag, std::string& mrdsAttributes) const {
    if (IsCommentNode())
        KxwDomNodeBase::GetPrintingTagAndAttributes(mrdsTag, mrdsAttributes);
    else
        KxwDomHtmlElement::GetPrintingTagAndAttributes(mrdsTag, mrdsAttributes);
}

void KxwDomCoreComment::AddDataToInnerOuterHtml(KxwDomHtmlTextsStr& mrtText) const {
    if (!IsCommentNode()) {
        KxwDomHtmlElement::AddDataToInnerOuterHtml(mrtText);
        return;
    }
    mrtText.Concat("<!--", 4);
    mrtText.ConcatHtmlTextAsIs(GetNodeValue());
    mrtText.Concat("-->", 3);
}

void KxwDomCoreComment::GenerateHtmlNonTextNodeInnerText(KxwDomHtmlTextsStr& mrtText) const {
    if (!IsCommentNode()) mrtText.ConcatHtmlTextAsIs(GetNodeValue());
}
