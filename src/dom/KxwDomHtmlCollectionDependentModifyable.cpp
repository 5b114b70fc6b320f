#include "KxwDomHtmlCollectionDependentModifyable.h"

#include <cstdlib>
#include <string>

#include "KxwDomBindingUtil.h"
#include "KxwDomCoreNode.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "KxwUtilTagName.h"
#include "kxw/KxwEnvCfg.h"

namespace {

using Modifyable = KxwDomHtmlCollectionDependentModifyable;
using ModifyableCall = KxwDomScriptCallOn<Modifyable>;

bool add_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    ModifyableCall tCall("KxwDomHtmlCollectionDependentModifyable::add_callback", mptUserObj, mrtArgs);
    return tCall.Check(1) && tCall.This()->AddFromScript(tCall);
}

bool remove_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    ModifyableCall tCall("KxwDomHtmlCollectionDependentModifyable::remove_callback", mptUserObj, mrtArgs);
    return tCall.Check(0) && tCall.This()->RemoveFromScript(tCall);
}

const KxwJswPropertySpec katModifyableProperties[] = {
    {"length", 129, KXW_JSW_PROP_PERMANENT, "i"},  // -127
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katModifyableMethods[] = {
    {"add", nullptr, nullptr, 2, add_callback},
    {"remove", nullptr, nullptr, 1, remove_callback},
    {nullptr, nullptr, nullptr, 0},
};

}  // namespace

bool KxwDomHtmlCollectionDependentModifyable::IsAllowed(const KxwDomNodeBase* mptNode) const {
    return mptNode && mptNode->IsElementNode() && mptNode->GetNodeSubtype() == _eAllowedItemsSubtypeOrNone;
}

bool KxwDomHtmlCollectionDependentModifyable::Add(KxwDomNodeBase* mptAddedNode, KxwDomNodeBase* mptBeforeOrNull) {
    KxwDomCoreNode* ptOwner = GetOwnerNode();
    if (!ptOwner || !IsAllowed(mptAddedNode)) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mptAddedNode/_ptOwnerNode (%p/%p) in KxwDomHtmlCollectionDependentModifyable::Add",
            static_cast<void*>(mptAddedNode), static_cast<void*>(ptOwner));
        return false;
    }
    // An element cannot go inside itself: the list would hold its own ancestor.
    if (mptAddedNode == ptOwner || ptOwner->IsDescendantOf(mptAddedNode)) return false;
    if (mptBeforeOrNull == mptAddedNode) return true;
    KxwDomCoreNode* ptParent = mptBeforeOrNull ? mptBeforeOrNull->GetDomParentNode() : ptOwner;
    if (!ptParent) return false;
    return (mptBeforeOrNull ? ptParent->InsertBefore(mptAddedNode, mptBeforeOrNull)
                            : ptParent->AppendChild(mptAddedNode)) != nullptr;
}

bool KxwDomHtmlCollectionDependentModifyable::AddFromScript(KxwDomScriptCall& mrtCall) {
    KxwDomNodeBase* ptBefore = nullptr;
    if (mrtCall.Argc() > 1) {
        KxwJsval tBefore = mrtCall.Arg(1);
        if (tBefore.IsNumber()) {
            int32_t iIndex = mrtCall.Int(1, -1);
            if (mrtCall.Failed()) return false;
            if (iIndex >= 0) ptBefore = GetItem(static_cast<unsigned long>(iIndex));
        } else if (!tBefore.IsUndefined() && !tBefore.IsNull()) {
            ptBefore = mrtCall.Node(1);
            if (!ptBefore || !IsItemFound(ptBefore)) return mrtCall.Fail("add");
        }
    }
    if (!Add(mrtCall.Node(0), ptBefore)) return mrtCall.Fail("add");
    return mrtCall.Undefined();
}

bool KxwDomHtmlCollectionDependentModifyable::RemoveFromScript(KxwDomScriptCall& mrtCall) {
    if (mrtCall.Argc() == 0) return mrtCall.Undefined();
    if (KxwDomNodeBase* ptNode = mrtCall.Node(0)) {
        Remove(ptNode);
        return mrtCall.Undefined();
    }
    int32_t iIndex = mrtCall.Int(0, -1);
    if (mrtCall.Failed()) return false;
    if (iIndex >= 0) Remove(static_cast<unsigned long>(iIndex));
    return mrtCall.Undefined();
}

bool KxwDomHtmlCollectionDependentModifyable::Remove(KxwDomNodeBase* mptNode) {
    if (!mptNode || !IsItemFound(mptNode)) return false;
    KxwDomCoreNode* ptParent = mptNode->GetDomParentNode();
    if (!ptParent) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mptRemovedNode/_ptOwnerNode (%p/%p) in KxwDomHtmlCollectionDependentModifyable::Remove",
            static_cast<void*>(mptNode), static_cast<void*>(GetOwnerNode()));
        return false;
    }
    return ptParent->RemoveChild(mptNode) != nullptr;
}

bool KxwDomHtmlCollectionDependentModifyable::Remove(unsigned long muliIndex) {
    KxwDomNodeBase* ptNode = GetItem(muliIndex);
    return ptNode ? Remove(ptNode) : true;
}

bool KxwDomHtmlCollectionDependentModifyable::ExtendWithEmpty(unsigned long muliCount) {
    KxwDomCoreNode* ptOwner = GetOwnerNode();
    auto* ptOwnerElement = ptOwner ? dynamic_cast<KxwDomHtmlElement*>(ptOwner) : nullptr;
    KxwDomHtmlDocument* ptDocument = ptOwnerElement ? ptOwnerElement->GetOwnerHtmlDocument(false) : nullptr;
    if (muliCount == 0 || muliCount > kMaxLength || !ptDocument ||
        _eAllowedItemsSubtypeOrNone != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OPTION) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid muliCount/_eAllowedItemsSubtypeOrNone/_ptOwnerNode (%lu/%d/%p) in "
            "KxwDomHtmlCollectionDependentModifyable::ExtendWithEmpty. Collection not modified. _uliLength=%ld, "
            "this=%p",
            muliCount, static_cast<int>(_eAllowedItemsSubtypeOrNone), static_cast<void*>(ptOwner),
            static_cast<long>(GetLength()), static_cast<void*>(this));
        return false;
    }
    KxwDomWatchDelete tWatchOwner("KxwDomHtmlCollectionDependentModifyable::ExtendWithEmpty", ptOwner);
    KxwUtilTagName tTagName("OPTION", 6);
    for (unsigned long n = 0; n < muliCount && !tWatchOwner.HasBeenDeleted(); ++n) {
        KxwDomHtmlElement* ptNew = KxwDomHtmlElement::AllocElement(tTagName, ptDocument, true);
        if (!ptNew || !ptOwner->AppendChild(ptNew)) return false;
    }
    return !tWatchOwner.HasBeenDeleted();
}

bool KxwDomHtmlCollectionDependentModifyable::SetLength(unsigned long muliLength) {
    unsigned long uliLength = GetLength();
    if (muliLength == uliLength) return true;
    if (muliLength > uliLength) {
        if (muliLength > kMaxLength) {
            xfvKxwUtilReportBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_WARNING,
                "A length of %lu is beyond the %lu options a list may have; the list keeps its %lu "
                "options",
                muliLength, kMaxLength, uliLength);
            return false;
        }
        return ExtendWithEmpty(muliLength - uliLength);
    }
    // From the end, so that the indexes before stay what they are while the items go.
    KxwDomWatchDelete tWatchThis("KxwDomHtmlCollectionDependentModifyable::SetLength", this);
    while (!tWatchThis.HasBeenDeleted() && GetLength() > muliLength) {
        unsigned long uliBefore = GetLength();
        Remove(uliBefore - 1);
        if (!tWatchThis.HasBeenDeleted() && GetLength() >= uliBefore) return false;
    }
    return true;
}

bool KxwDomHtmlCollectionDependentModifyable::SetItemAt(unsigned long muliIndex, KxwDomNodeBase* mptNodeOrNull) {
    if (!mptNodeOrNull) return Remove(muliIndex);
    if (!IsAllowed(mptNodeOrNull)) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid _ptOwnerNode/_eAllowedItemsSubtypeOrNone/ptSourceCoreNode->GetEffectiveNodeSubtype (%p/%d/%d) for "
            "collection=%p, ptSourceCoreNode=%p, for msiElementIndex=%hd, _uliLength=%lu in "
            "KxwDomHtmlCollectionDependentModifyable::SetIndexProperty",
            static_cast<void*>(GetOwnerNode()), static_cast<int>(_eAllowedItemsSubtypeOrNone),
            static_cast<int>(mptNodeOrNull->GetNodeSubtype()), static_cast<void*>(this),
            static_cast<void*>(mptNodeOrNull), static_cast<short>(muliIndex), GetLength());
        return false;
    }
    if (muliIndex >= GetLength()) {
        if (muliIndex >= kMaxLength) return SetLength(muliIndex + 1);
        if (muliIndex > GetLength() && !ExtendWithEmpty(muliIndex - GetLength())) return false;
        return Add(mptNodeOrNull, nullptr);
    }
    KxwDomNodeBase* ptOld = GetItem(muliIndex);
    if (ptOld == mptNodeOrNull) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "Item %lu assigned to its own place in "
                "KxwDomHtmlCollectionDependentModifyable::SetIndexProperty for this=%p",
                muliIndex, static_cast<void*>(this));
        return true;
    }
    KxwDomCoreNode* ptParent = ptOld ? ptOld->GetDomParentNode() : nullptr;
    if (!ptParent) return false;
    return ptParent->ReplaceChild(mptNodeOrNull, ptOld, true) != nullptr;
}

bool KxwDomHtmlCollectionDependentModifyable::SetIndexProperty(int32_t mnIndex, void* mpvValue, unsigned mnLength,
                                                               KXW_JSW_OBJ_PROP_TYPE_ENUM meType) {
    if (mnIndex < 0) return false;
    if (meType == KXW_JSW_OBJ_PROP_TYPE_NULL || meType == KXW_JSW_OBJ_PROP_TYPE_UNDEFINED)
        return SetItemAt(static_cast<unsigned long>(mnIndex), nullptr);
    if (meType != KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT || !mpvValue || mnLength != KXW_JSW_DOM_OBJECT_LEN) {
        xfvKxwUtilReportBySevLvl(xfeKxwUtilJavaScriptErrorSevLvl(),
                                 "Setting a collection node with primitive types is not supported yet in "
                                 "KxwDomHtmlCollectionDependentModifyable::SetIndexProperty");
        return false;
    }
    KxwDomNodeBase* ptNode = static_cast<KxwJswUserObjBase*>(mpvValue)->DownCastToNodeBase();
    if (!ptNode) return false;
    return SetItemAt(static_cast<unsigned long>(mnIndex), ptNode);
}

const KxwJswClassInformation& KxwDomHtmlCollectionDependentModifyable::GetModifyableClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetHtmlCollectionClassInformation(),
                                                    "HtmlCollectionDependentModifyable", katModifyableProperties,
                                                    katModifyableMethods, nullptr, KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlCollectionDependentModifyable::GetClassInformation() const {
    return &GetModifyableClassInformation();
}

bool KxwDomHtmlCollectionDependentModifyable::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdWritableLength)
        return KxwDomHtmlCollectionDependent::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    mrtPropertyInfo = static_cast<int>(GetLength());
    return true;
}

bool KxwDomHtmlCollectionDependentModifyable::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdWritableLength)
        return KxwDomHtmlCollectionDependent::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    if (!mrtPropertyInfo.HasValue()) return true;
    double dfLength = 0;
    switch (mrtPropertyInfo.GetType()) {
        case KXW_DOM_PROPERTY_INFO_TYPE_INT:
            dfLength = mrtPropertyInfo.GetInt();
            break;
        case KXW_DOM_PROPERTY_INFO_TYPE_DOUBLE:
            dfLength = mrtPropertyInfo.GetDouble();
            break;
        default: {
            std::u16string dsText(mrtPropertyInfo.ConvertAndGetStringU16n(),
                                  mrtPropertyInfo.ConvertAndGetStringU16nLength());
            std::string dsAscii(dsText.begin(), dsText.end());
            char* pszEnd = nullptr;
            dfLength = std::strtod(dsAscii.c_str(), &pszEnd);
            if (dsAscii.empty() || (pszEnd && *pszEnd)) dfLength = -1;
        }
    }
    // A negative or non-numeric length changes nothing, as in the emulated browser.
    if (!(dfLength >= 0)) return true;
    if (dfLength > 4294967295.0) dfLength = 4294967295.0;
    SetLength(static_cast<unsigned long>(dfLength));
    return true;
}
