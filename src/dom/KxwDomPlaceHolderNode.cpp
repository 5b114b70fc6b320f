#include "KxwDomPlaceHolderNode.h"

#include "KxwDomTraverseHierarchy.h"
#include "KxwDomWatchDelete.h"
#include "KxwUtilReport.h"

namespace {

KXW_DOM_COMMON_NODE_SUBTYPE_ENUM SubtypeOf(const KxwDomNodeBase* mptNode) {
    return mptNode ? mptNode->GetNodeSubtype() : KXW_DOM_COMMON_NODE_SUBTYPE_NONE;
}

}  // namespace

KxwDomPlaceHolderNode::KxwDomPlaceHolderNode(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr,
                                             KxwDomNodeBase* mptRealNode)
    : KxwDomEventTarget(mptOwnerDocument, mptMemMgr, KXW_DOM_COMMON_NODE_TYPE_PLACE_HOLDER, SubtypeOf(mptRealNode)),
      _ptRealNode(nullptr) {
    _bIsPlaceHolder = true;
    SetWantsEveryNotification();
    AttachToRealNode(mptRealNode);
}

void KxwDomPlaceHolderNode::AttachToRealNode(KxwDomNodeBase* mptRealNode) {
    if (!mptRealNode || mptRealNode->IsPlaceHolder() || !mptRealNode->AsCoreNode()) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mptRealNode=%p in KxwDomPlaceHolderNode::AttachToRealNode for this=%p",
            static_cast<void*>(mptRealNode), static_cast<void*>(this));
        return;
    }
    if (KxwDomPlaceHolderNode* ptFirst = mptRealNode->GetFirstPlaceHolder()) {
        ptFirst->GetLastPlaceHolder()->LinkPlaceHolderAfter(this);
        return;
    }
    if (mptRealNode->_ptParentNode || mptRealNode->_ptPreviousSibling || mptRealNode->_ptNextSibling) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "mptRealNode=%p is linked into a tree in KxwDomPlaceHolderNode::AttachToRealNode for this=%p",
            static_cast<void*>(mptRealNode), static_cast<void*>(this));
        return;
    }
    _ptRealNode = mptRealNode;
    mptRealNode->_ptParentNode = this;
}

KxwDomPlaceHolderNode::~KxwDomPlaceHolderNode() {
    if (!_bSuspendRemoveFromList) RemoveFromList();
}

void KxwDomPlaceHolderNode::RemoveFromList(bool mbRelease) {
    KxwDomPlaceHolderNode* ptPrevious = _ptPreviousPlaceHolder;
    KxwDomPlaceHolderNode* ptNext = _ptNextPlaceHolder;
    if (ptPrevious) ptPrevious->_ptNextPlaceHolder = ptNext;
    if (ptNext) ptNext->_ptPreviousPlaceHolder = ptPrevious;
    _ptPreviousPlaceHolder = nullptr;
    _ptNextPlaceHolder = nullptr;
    KxwDomNodeBase* ptRealNode = _ptRealNode;
    _ptRealNode = nullptr;
    // The first place holder holds the real node: it passes it on, or, as the last one, lets go of it.
    if (ptPrevious || !ptRealNode || ptRealNode->_ptParentNode != this) return;
    if (ptNext) {
        ptRealNode->_ptParentNode = ptNext;
        return;
    }
    ptRealNode->_ptParentNode = nullptr;
    if (mbRelease) ptRealNode->Release();
}

KXW_DOM_COMMON_NODE_SUBTYPE_ENUM KxwDomPlaceHolderNode::GetNodeSubtype() const {
    return SubtypeOf(_ptRealNode);
}

const char16_t* KxwDomPlaceHolderNode::GetNodeNameU16n(unsigned* mpuLenInChars) const {
    if (_ptRealNode) return _ptRealNode->GetNodeNameU16n(mpuLenInChars);
    return KxwDomEventTarget::GetNodeNameU16n(mpuLenInChars);
}

// ---------------------------------------------------------------------------------------------------------------
// The list of place holders

void KxwDomPlaceHolderNode::LinkPlaceHolderAfter(KxwDomPlaceHolderNode* mptPlaceHolder) {
    if (!mptPlaceHolder || mptPlaceHolder == this) return;
    mptPlaceHolder->_ptRealNode = _ptRealNode;
    mptPlaceHolder->_ptPreviousPlaceHolder = this;
    mptPlaceHolder->_ptNextPlaceHolder = _ptNextPlaceHolder;
    if (_ptNextPlaceHolder) _ptNextPlaceHolder->_ptPreviousPlaceHolder = mptPlaceHolder;
    _ptNextPlaceHolder = mptPlaceHolder;
}

int KxwDomPlaceHolderNode::GetIndexInPlaceHolderList() const {
    int iIndex = 1;
    for (const KxwDomPlaceHolderNode* ptPlaceHolder = _ptPreviousPlaceHolder; ptPlaceHolder;
         ptPlaceHolder = ptPlaceHolder->_ptPreviousPlaceHolder)
        ++iIndex;
    return iIndex;
}

KxwDomPlaceHolderNode* KxwDomPlaceHolderNode::GetLastPlaceHolder() {
    KxwDomPlaceHolderNode* ptLast = this;
    while (ptLast->_ptNextPlaceHolder) ptLast = ptLast->_ptNextPlaceHolder;
    return ptLast;
}

void KxwDomPlaceHolderNode::SetRealNode(KxwDomNodeBase* mptRealNode) {
    if (mptRealNode == _ptRealNode) return;
    KxwDomWatchDelete tWatchThis("KxwDomPlaceHolderNode::SetRealNode", this);
    if (KxwDomNodeBase* ptOldRealNode = _ptRealNode) {
        KxwDomWatchDelete tWatchOld("KxwDomPlaceHolderNode::SetRealNode", ptOldRealNode);
        KxwDomCoreNodeNotifySubHierarchy tRemoved(KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED, ptOldRealNode, nullptr);
        tRemoved.Traverse(ptOldRealNode, 0);
        if (tWatchThis.HasBeenDeleted()) return;
        // Parked by its announcement, the old node stays without container when this was its only place holder.
        RemoveFromList(false);
        if (!tWatchOld.HasBeenDeleted() && ptOldRealNode->IsSplit()) {
            KxwDomCoreNodeNotifySubHierarchy tKept(KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED, ptOldRealNode, nullptr);
            tKept.Traverse(ptOldRealNode, 0);
            if (tWatchThis.HasBeenDeleted()) return;
        }
    }
    if (!mptRealNode) return;
    // A new real node that stands in the tree already leaves it for a moment, so that it comes back whole.
    if (mptRealNode->IsSplit()) {
        KxwDomWatchDelete tWatchNew("KxwDomPlaceHolderNode::SetRealNode", mptRealNode);
        KxwDomCoreNodeNotifySubHierarchy tLeaving(KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED, mptRealNode, nullptr);
        tLeaving.Traverse(mptRealNode, 0);
        if (tWatchThis.HasBeenDeleted() || tWatchNew.HasBeenDeleted()) return;
    }
    AttachToRealNode(mptRealNode);
    if (_ptRealNode != mptRealNode) return;
    KxwDomCoreNodeNotifySubHierarchy tAdded(KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED, mptRealNode, nullptr);
    tAdded.Traverse(mptRealNode, 0);
}

void KxwDomPlaceHolderNode::RelinkChain(const std::vector<KxwDomPlaceHolderNode*>& mrtChain,
                                        KxwDomNodeBase* mptRealNode) {
    for (size_t n = 0; n < mrtChain.size(); ++n) {
        mrtChain[n]->_ptRealNode = mptRealNode;
        mrtChain[n]->_ptPreviousPlaceHolder = n > 0 ? mrtChain[n - 1] : nullptr;
        mrtChain[n]->_ptNextPlaceHolder = n + 1 < mrtChain.size() ? mrtChain[n + 1] : nullptr;
    }
    if (!mrtChain.empty()) mptRealNode->_ptParentNode = mrtChain.front();
}

bool KxwDomPlaceHolderNode::SplitChainAtSubtreeBoundary(KxwDomPlaceHolderNode* mptPlaceHolder,
                                                        const KxwDomNodeBase* mptTop, KxwDomNodeBase** mpptClone) {
    *mpptClone = nullptr;
    KxwDomNodeBase* ptRealNode = mptPlaceHolder ? mptPlaceHolder->_ptRealNode : nullptr;
    KxwDomPlaceHolderNode* ptFirst = ptRealNode ? ptRealNode->GetFirstPlaceHolder() : nullptr;
    if (!ptFirst || !mptTop) return true;
    auto Inside = [mptTop](const KxwDomPlaceHolderNode* mptCandidate) {
        return mptCandidate == mptTop || mptCandidate->IsDescendantOf(mptTop);
    };
    bool bFirstInside = Inside(ptFirst);
    std::vector<KxwDomPlaceHolderNode*> tWithRealNode;
    std::vector<KxwDomPlaceHolderNode*> tOtherSide;
    for (KxwDomPlaceHolderNode* ptPlaceHolder = ptFirst; ptPlaceHolder;
         ptPlaceHolder = ptPlaceHolder->_ptNextPlaceHolder)
        (Inside(ptPlaceHolder) == bFirstInside ? tWithRealNode : tOtherSide).push_back(ptPlaceHolder);
    if (tOtherSide.empty()) return true;
    KxwDomNodeBase* ptClone = ptRealNode->CloneForSplit();
    if (!ptClone || !ptClone->AsCoreNode()) {
        delete ptClone;
        return false;
    }
    RelinkChain(tWithRealNode, ptRealNode);
    RelinkChain(tOtherSide, ptClone);
    *mpptClone = ptClone;
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Forwarded operations

void KxwDomPlaceHolderNode::NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                       void* mpvNotificationSubject, void* mpvNotificationObject) {
    KxwDomCoreNode* ptRealNode = _ptRealNode ? _ptRealNode->AsCoreNode() : nullptr;
    if (!ptRealNode) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_ptRealNode == NULL for this=%p in KxwDomPlaceHolderNode::NotifyThis",
                                              static_cast<void*>(this));
        return;
    }
    ptRealNode->NotifyThis(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
}

void KxwDomPlaceHolderNode::NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                                     void* mpvNotificationSubject, void* mpvNotificationObject) {
    KxwDomCoreNode* ptRealNode = _ptRealNode ? _ptRealNode->AsCoreNode() : nullptr;
    if (!ptRealNode) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "_ptRealNode == NULL for this=%p in KxwDomPlaceHolderNode::NotifyThisAfterAncestors",
            static_cast<void*>(this));
        return;
    }
    ptRealNode->NotifyThisAfterAncestors(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
}

void KxwDomPlaceHolderNode::AddDataToInnerOuterHtml(KxwDomHtmlTextsStr& mrtText) const {
    if (!_ptRealNode) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "_ptRealNode == NULL for this=%p in KxwDomPlaceHolderNode::AddDataToInnerOuterHtml",
            static_cast<const void*>(this));
        return;
    }
    if (IsFirstPlaceHolderNode()) _ptRealNode->AddDataToInnerOuterHtml(mrtText);
}

void KxwDomPlaceHolderNode::AddDataToInnerText(std::u16string& mrdsText) const {
    if (_ptRealNode && IsFirstPlaceHolderNode()) _ptRealNode->AddDataToInnerText(mrdsText);
}

void KxwDomPlaceHolderNode::Release() {
    if (GetOwnerDocument(false)) {
        KxwDomWatchDelete tWatchThis("KxwDomPlaceHolderNode::Release", this);
        DeleteChildren(true);
        if (tWatchThis.HasBeenDeleted()) return;
    }
    delete this;
}

const KxwJswClassInformation* KxwDomPlaceHolderNode::GetClassInformation() const {
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "KxwDomPlaceHolderNode::GetClassInformation is called");
    return nullptr;
}

bool KxwDomPlaceHolderNode::GetDomPropertyInfo(short, KxwDomPropertyInfo&) {
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "KxwDomPlaceHolderNode::GetDomPropertyInfo invoked");
    return false;
}

bool KxwDomPlaceHolderNode::SetDomPropertyInfo(short, KxwDomPropertyInfo&) {
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "KxwDomPlaceHolderNode::SetDomPropertyInfo is called");
    return false;
}

void KxwDomPlaceHolderNode::EnumerateSubtreeMembers(KxwDomSubtreeMemberSink& mrtSink) {
    if (IsFirstPlaceHolderNode() && _ptRealNode && _ptRealNode->_ptParentNode == this) mrtSink.AddChild(_ptRealNode);
    KxwDomEventTarget::EnumerateSubtreeMembers(mrtSink);
}

void KxwDomPlaceHolderNode::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long) const {
    if (!xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    std::string dsTag = "[NULL]", dsAttributes;
    if (_ptRealNode) _ptRealNode->GetPrintingTagAndAttributes(dsTag, dsAttributes);
    const char* pszPosition =
        !_ptPreviousPlaceHolder ? (_ptNextPlaceHolder ? " (first)" : " (only)") : (_ptNextPlaceHolder ? "" : " (last)");
    xfvKxwUtilReportBySevLvl(meSevLvl,
                             "%*s[Placeholder #%d for %s at %p%s], this=%p, NextPlaceHolder=%p, "
                             "PreviousPlaceHolder=%p, SuspendRemoveFromList=%d",
                             GetPrintingEffectiveIndent(miIndent), "", GetIndexInPlaceHolderList(), dsTag.c_str(),
                             static_cast<const void*>(_ptRealNode), pszPosition, static_cast<const void*>(this),
                             static_cast<const void*>(_ptNextPlaceHolder),
                             static_cast<const void*>(_ptPreviousPlaceHolder), _bSuspendRemoveFromList ? 1 : 0);
}
