#include "KxwDomCoreTextNode.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomCoreDocument.h"
#include "KxwDomCoreNode.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"

namespace {

// Tiny ids of "textnode" after those of "nodebase" (137 to 139).
enum : short {
    kIdLength = -119,
    kIdData = -118,
    kIdParentNode = -117,
};

const KxwJswPropertySpec katTextNodeProperties[] = {
    {"length", 137, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"data", 138, KXW_JSW_PROP_PERMANENT, "S"},
    {"parentNode", 139, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katTextNodeMethods[] = {{nullptr, nullptr, nullptr, 0}};

const KxwJswClassInformation& TextNodeClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&KxwDomNodeBase::GetNodeBaseClassInformation(), "textnode",
                                                    katTextNodeProperties, katTextNodeMethods);
    return ktClassInfo;
}

}  // namespace

KxwDomCoreTextNode::KxwDomCoreTextNode(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr)
    : KxwDomNodeBase(mptOwnerDocument, mptMemMgr) {}

KxwDomCoreTextNode* KxwDomCoreTextNode::AllocTextNode(KxwDomCoreDocument* mptOwnerDocument, bool mbUseMemMgr) {
    KxwMemMgr* ptMemMgr = mptOwnerDocument ? mptOwnerDocument->GetMemMgr() : nullptr;
    if (!mptOwnerDocument || (mbUseMemMgr && !ptMemMgr)) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mptOwnerDocument=%p / ptMemMgr=%p / mbUseMemMgr=%d in KxwDomCoreTextNode::AllocTextNode("
            "mptOwnerDocument=%p, mbUseMemMgr=%d). Returning NULL",
            static_cast<void*>(mptOwnerDocument), static_cast<void*>(ptMemMgr), mbUseMemMgr ? 1 : 0,
            static_cast<void*>(mptOwnerDocument), mbUseMemMgr ? 1 : 0);
        return nullptr;
    }
    KxwMemMgr* ptUsedMemMgr = mbUseMemMgr ? ptMemMgr : nullptr;
    return new (ptUsedMemMgr) KxwDomCoreTextNode(mptOwnerDocument, ptUsedMemMgr);
}

const char16_t* KxwDomCoreTextNode::GetNodeNameU16n(unsigned* mpuLenInChars) const {
    if (mpuLenInChars) *mpuLenInChars = 5;
    return u"#text";
}

const KxwJswClassInformation* KxwDomCoreTextNode::GetClassInformation() const {
    return &TextNodeClassInformation();
}

bool KxwDomCoreTextNode::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdLength:
            mrtPropertyInfo = static_cast<int>(GetNodeValue().GetU16nLenInChars());
            return true;
        case kIdData:
            mrtPropertyInfo = GetNodeValue();
            return true;
        case kIdParentNode:
            AssignDomParentNode(mrtPropertyInfo);
            return true;
        default:
            if (mnTinyId < kIdLength) return KxwDomNodeBase::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomCoreTextNode", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomCoreTextNode::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdData) {
        GetNodeValue() = mrtPropertyInfo;
        OnNodeValueChanged();
        return true;
    }
    if (mnTinyId < kIdLength) return KxwDomNodeBase::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomCoreTextNode", mnTinyId);
}

void KxwDomCoreTextNode::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    if (!(mulMask & KXW_DOM_PRINT_MASK_TEXTS) || !xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    const KxwDomHtmlPropertyStr& rtValue = GetNodeValue();
    std::string dsText = GetPrintableText(rtValue.GetDcsStr(), rtValue.GetDcsLenInBytes(), kPrintedTextLen);
    xfvKxwUtilReportBySevLvl(meSevLvl, "D%02d%*s TextNode \"%.3000s\", DCS Length=%ld, this=%p",
                             miIndent < 0 ? 0 : miIndent, GetPrintingEffectiveIndent(miIndent), "", dsText.c_str(),
                             static_cast<long>(rtValue.GetDcsLenInBytes()), static_cast<const void*>(this));
}

void KxwDomCoreTextNode::AddDataToInnerOuterHtml(KxwDomHtmlTextsStr& mrtText) const {
    // The parser reads the content of these elements as written, so it is written back the same way.
    const KxwDomCoreNode* ptParent = GetDomParentNode();
    switch (ptParent ? ptParent->GetNodeSubtype() : KXW_DOM_COMMON_NODE_SUBTYPE_NONE) {
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_STYLE:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_XMP:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_IFRAME:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_NOFRAMES:
            mrtText.ConcatHtmlTextAsIs(GetNodeValue());
            return;
        default:
            mrtText.ConcatHtmlText(GetNodeValue());
            return;
    }
}

void KxwDomCoreTextNode::AddDataToInnerText(std::u16string& mrdsText) const {
    const KxwDomHtmlPropertyStr& rtValue = GetNodeValue();
    if (const char16_t* pwsfText = rtValue.GetU16nStr()) mrdsText.append(pwsfText, rtValue.GetU16nLenInChars());
}
