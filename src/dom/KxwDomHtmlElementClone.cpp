// Cloning and swapping of elements. A clone is made from the tree itself, not from generated markup: the same tag,
// the properties that were given, the stored attributes and the script-added ones, and with mbDeep the content.
#include "KxwDomAttributeCollection.h"
#include "KxwDomBindingUtil.h"
#include "KxwDomCoreTextNode.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlElementAreaAnchor.h"
#include "KxwDomHtmlElementRareProperties.h"
#include "KxwDomHtmlStyle.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomWatchDelete.h"
#include "KxwUtilTagName.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"

KxwDomHtmlCollectionOrdered* KxwDomHtmlElement::GetTopMostAll(KxwDomNodeBase* mptTopOrNull, bool mbMake) {
    KxwDomNodeBase* ptTop = mptTopOrNull ? mptTopOrNull : GetRoot();
    KxwDomCoreNode* ptTopNode = ptTop ? ptTop->AsCoreNode() : AsCoreNode();
    if (!ptTopNode) return nullptr;
    return mbMake ? ptTopNode->GetAll() : ptTopNode->PeekAll();
}

void KxwDomHtmlElement::CopySpecifiedText(const KxwDomHtmlPropertyStr& mrtFrom, KxwDomHtmlPropertyStr& mrtTo) {
    if (!mrtFrom.IsSpecified()) return;
    const char16_t* pwsfText = mrtFrom.GetU16nStr();
    mrtTo.SetU16n(pwsfText ? pwsfText : u"", pwsfText ? mrtFrom.GetU16nLenInChars() : 0);
}

void KxwDomHtmlElement::StoreScriptText(KxwDomHtmlPropertyStr& mrtProperty, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (!mrtPropertyInfo.HasValue()) return;
    mrtProperty = mrtPropertyInfo;
}

void KxwDomHtmlElement::CopyPropertiesTo(KxwDomHtmlElement& mrtClone, bool mbClone) {
    auto tCopy = [](const KxwDomHtmlPropertyStr& mrtFrom, KxwDomHtmlPropertyStr& mrtTo) {
        CopySpecifiedText(mrtFrom, mrtTo);
    };
    if (mbClone) tCopy(_tId, mrtClone._tId);
    tCopy(_tClassName, mrtClone._tClassName);
    if (_ptRareProperties) {
        RareProperties& rtTo = mrtClone.ObtainRareProperties();
        tCopy(_ptRareProperties->_tTitle, rtTo._tTitle);
        tCopy(_ptRareProperties->_tLang, rtTo._tLang);
        tCopy(_ptRareProperties->_tAccessKey, rtTo._tAccessKey);
        tCopy(_ptRareProperties->_tDir, rtTo._tDir);
        if (_ptRareProperties->_tTabIndex.IsSpecified())
            rtTo._tTabIndex.SetLong(_ptRareProperties->_tTabIndex.GetLong());
    }
    // The style as it stands now, with what scripts set.
    if (const KxwDomHtmlPropertyStr* ptStyleText = GetStyleText())
        if (ptStyleText->GetDcsStr())
            mrtClone.SetStyleParsed(std::string(ptStyleText->GetDcsStr(), ptStyleText->GetDcsLenInBytes()).c_str());
    for (const KxwDomAdditionalAttrCollection::Attr* ptAttr = GetAdditionalAttrs().GetFirstAttr(); ptAttr;
         ptAttr = ptAttr->GetNext()) {
        if (const char* psfValue = ptAttr->GetValueDcsStr()) {
            std::string dsValue(psfValue, ptAttr->GetValueDcsLenInBytes());
            mrtClone.KxwDomCoreElement::AddParsedAttr(ptAttr->GetNameDcsStr(), dsValue.c_str());
        } else if (const char16_t* pwsfValue = ptAttr->GetValueU16nStr()) {
            mrtClone.GetAdditionalAttrs().AddOrReplaceAttr(ptAttr->GetNameDcsStr(), ptAttr->GetNameDcsLenInBytes(),
                                                           false, pwsfValue, ptAttr->GetValueU16nLenInChars(), true);
        } else {
            mrtClone.KxwDomCoreElement::AddParsedAttr(ptAttr->GetNameDcsStr(), nullptr);
        }
    }
    if (mbClone) {
        CopyClassPropertiesTo(mrtClone);
        CopyAttributeListenersTo(mrtClone);
    }
    // Attributes a script added are own properties of the engine object.
    if (!PeekJsiObj()) return;
    KxwJsval tThis, tClone;
    std::vector<std::u16string> tNames;
    if (!tThis.SetDomObject(this) || !tThis.GetOwnPropertyNames(tNames) || tNames.empty()) return;
    if (!tClone.SetDomObject(&mrtClone)) return;
    for (const std::u16string& rdsName : tNames) {
        KxwJsval tValue;
        if (tThis.GetOwnProperty(rdsName.data(), rdsName.size(), tValue))
            tClone.DefineOwnProperty(rdsName.data(), rdsName.size(), tValue);
    }
}

void KxwDomHtmlElement::CopyClassPropertiesTo(KxwDomHtmlElement&) const {}

bool KxwDomHtmlElement::MergeAttributes(KxwDomNodeBase* mptSourceNode, bool mbPreserve) {
    KxwDomHtmlElement* ptSource = ConvertToElement(mptSourceNode);
    if (!ptSource || ptSource == this) {
        unsigned uLen = 0;
        const char16_t* pwsfName = mptSourceNode ? mptSourceNode->GetNodeNameU16n(&uLen) : nullptr;
        xfvKxwUtilReportInternalErrorBySevLvl(
            xfeKxwUtilJavaScriptErrorSevLvl(),
            "KxwDomHtmlElement::mergeAttributes(mptSourceNode=%p=%s, mbPreserve=%s) invalid/unsupported for "
            "this=%p=%s (ptSourceElement==NULL)",
            static_cast<void*>(mptSourceNode), pwsfName ? xfdsKxwDomUtilU16ToUtf8(pwsfName, uLen).c_str() : "[NULL]",
            mbPreserve ? "true" : "false", static_cast<void*>(this), GetTagNameOrInvalidDcsStr());
        return ptSource == this;
    }
    // The attributes the source was given and the ones scripts added; its identity only when not preserved.
    ptSource->CopyPropertiesTo(*this, false);
    if (!mbPreserve && ptSource->_tId.IsSpecified()) {
        const char16_t* pwsfId = ptSource->_tId.GetU16nStr();
        SetIdU16n(pwsfId ? pwsfId : u"", pwsfId ? ptSource->_tId.GetU16nLenInChars() : 0);
    }
    return true;
}

KxwDomNodeBase* KxwDomHtmlElement::CloneForSplit() {
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    return ptDocument ? CloneShallow(*ptDocument) : nullptr;
}

const char* KxwDomHtmlElement::GetActiveTarget(unsigned* mpuLen) const {
    if (mpuLen) *mpuLen = 0;
    const KxwDomHtmlPropertyStr* ptOwnTarget = GetOwnTarget();
    if (!ptOwnTarget) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, -35961,
                                            "KxwDomHtmlElement::GetActiveTarget", __LINE__, GetTagNameOrInvalidDcsStr(),
                                            "target");
        return "";
    }
    // A frame in restricted security opens every target in a new window; frames come with windows.
    if (!ptOwnTarget->IsEmpty()) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile("Using target=\"%.1000s\" for element=%p in KxwDomHtmlElement::GetActiveTarget",
                                        ptOwnTarget->GetDcsStr(), static_cast<const void*>(this));
        if (mpuLen) *mpuLen = ptOwnTarget->GetDcsLenInBytes();
        return ptOwnTarget->GetDcsStr();
    }
    const KxwDomHtmlElementBase* ptBase = GetElementBase();
    if (ptBase && !ptBase->GetTarget().IsEmpty()) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "Using BASE (%p) target=\"%.1000s\" for element=%p in KxwDomHtmlElement::GetActiveTarget",
                static_cast<const void*>(ptBase), ptBase->GetTarget().GetDcsStr(), static_cast<const void*>(this));
        if (mpuLen) *mpuLen = ptBase->GetTarget().GetDcsLenInBytes();
        return ptBase->GetTarget().GetDcsStr();
    }
    return "";
}

KxwDomHtmlElement* KxwDomHtmlElement::CloneElement(bool mbDeep) {
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(true);
    if (!ptDocument) return nullptr;
    KxwDomHtmlElement* ptRootClone = CloneShallow(*ptDocument);
    if (!ptRootClone || !mbDeep) {
        if (ptRootClone) ptDocument->AddToDisconnectedNodesList(ptRootClone);
        return ptRootClone;
    }
    // The content is copied level by level with a stack of its own, so trees of any depth are safe.
    struct Pending {
        KxwDomNodeBase* _ptFrom;
        KxwDomCoreNode* _ptToParent;
    };
    std::vector<Pending> tPending;
    for (KxwDomNodeBase* ptChild = GetDomLastChild(); ptChild; ptChild = ptChild->GetDomPreviousSibling())
        tPending.push_back({ptChild, ptRootClone});
    while (!tPending.empty()) {
        Pending tNext = tPending.back();
        tPending.pop_back();
        KxwDomNodeBase* ptCopy = nullptr;
        if (tNext._ptFrom->GetNodeType() == KXW_DOM_COMMON_NODE_TYPE_TEXT) {
            KxwDomCoreTextNode* ptText =
                KxwDomCoreTextNode::AllocTextNode(ptDocument, ptDocument->GetMemMgr() != nullptr);
            if (ptText) {
                const KxwDomHtmlPropertyStr& rtValue = tNext._ptFrom->GetNodeValue();
                ptText->SetNodeValueU16n(rtValue.GetU16nStr() ? rtValue.GetU16nStr() : u"",
                                         rtValue.GetU16nLenInChars());
            }
            ptCopy = ptText;
        } else if (KxwDomHtmlElement* ptElement = ConvertToElement(tNext._ptFrom)) {
            ptCopy = ptElement->CloneShallow(*ptDocument);
        }
        if (!ptCopy) continue;
        // A copy that cannot be linked is not kept: it is nobody's.
        if (!tNext._ptToParent->AppendChild(ptCopy)) {
            delete ptCopy;
            continue;
        }
        if (KxwDomCoreNode* ptCopyAsCore = ptCopy->AsCoreNode())
            for (KxwDomNodeBase* ptChild = tNext._ptFrom->GetDomLastChild(); ptChild;
                 ptChild = ptChild->GetDomPreviousSibling())
                tPending.push_back({ptChild, ptCopyAsCore});
    }
    ptDocument->AddToDisconnectedNodesList(ptRootClone);
    return ptRootClone;
}

KxwDomHtmlElement* KxwDomHtmlElement::CloneShallow(KxwDomHtmlDocument& mrtDocument) {
    KxwDomHtmlElement* ptClone = MakeEmptyClone(mrtDocument);
    if (!ptClone) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptClonedNode is NULL in KxwDomHtmlElement::cloneNode_callback");
        return nullptr;
    }
    CopyPropertiesTo(*ptClone, true);
    return ptClone;
}

KxwDomHtmlElement* KxwDomHtmlElement::MakeEmptyClone(KxwDomHtmlDocument& mrtDocument) {
    KxwUtilTagName tTagName(GetNodeSubtype());
    if (!tTagName.IsValid()) tTagName.Set(GetTagNameDcsStr(), GetTagNameDcsLenInBytes());
    return AllocElement(tTagName, &mrtDocument, false);
}

bool KxwDomHtmlElement::SwapNode(KxwDomHtmlElement* mptOther) {
    if (!mptOther || mptOther == this) return true;
    KxwDomCoreNode* ptParent1 = GetDomParentNode();
    KxwDomCoreNode* ptParent2 = mptOther->GetDomParentNode();
    if (!ptParent1 && !ptParent2) return true;
    // A node that a replacement takes out of the tree is parked like any removed node.
    if (!ptParent1) return ptParent2->ReplaceChild(this, mptOther, true) != nullptr;
    if (!ptParent2) return ptParent1->ReplaceChild(mptOther, this, true) != nullptr;
    KxwDomHtmlElement* ptDummy = CreateDummyContainerElement("KxwDomHtmlElement::swapNode_callback");
    if (!ptDummy) return false;
    KxwDomWatchDelete tWatchDummy("KxwDomHtmlElement::SwapNode", ptDummy);
    bool bOK = ptParent1->ReplaceChild(ptDummy, this, true) != nullptr;
    bOK = bOK && ptParent2->ReplaceChild(this, mptOther, true) != nullptr;
    if (bOK && !tWatchDummy.HasBeenDeleted()) {
        KxwDomCoreNode* ptDummyParent = ptDummy->GetDomParentNode();
        bOK = ptDummyParent && ptDummyParent->ReplaceChild(mptOther, ptDummy, true) != nullptr;
    }
    if (!tWatchDummy.HasBeenDeleted()) DeleteDummyContainer(ptDummy);
    return bOK;
}
