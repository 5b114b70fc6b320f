#include "KxwDomTraverseHierarchy.h"

#include <string>

#include "KxwDomCoreNode.h"
#include "KxwDomPlaceHolderNode.h"
#include "KxwDomWatchDelete.h"
#include "KxwDomWatchStack.h"
#include "KxwUtilReport.h"

namespace {

const char kszWalkLabel[] = "KxwDomTraverseHierarchy::Traverse";

KxwDomNodeBase* FirstChildOf(KxwDomNodeBase* mptNode) {
    KxwDomCoreNode* ptCore = mptNode->AsCoreNode();
    return ptCore ? ptCore->GetFirstChild() : nullptr;
}

}  // namespace

KxwDomTraverseHierarchy::~KxwDomTraverseHierarchy() = default;

KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM KxwDomTraverseHierarchy::VisitAfterDescendants(KxwDomNodeBase*) {
    return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
}

KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM KxwDomTraverseHierarchy::NotifyBetweenPlaceHolders(KxwDomPlaceHolderNode*,
                                                                                          KxwDomPlaceHolderNode*) {
    return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
}

KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM KxwDomTraverseHierarchy::Traverse(KxwDomNodeBase* mptStart, int miDepth) {
    return Walk(mptStart, miDepth, false);
}

KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM KxwDomTraverseHierarchy::TraverseWithTwoVisits(KxwDomNodeBase* mptStart,
                                                                                      int miDepth) {
    return Walk(mptStart, miDepth, true);
}

KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM KxwDomTraverseHierarchy::Walk(KxwDomNodeBase* mptStart, int miDepth,
                                                                     bool mbTwoVisits) {
    if (!mptStart) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
    if (!mptStart->IsSplit()) return WalkSiblings(mptStart, miDepth, miDepth == 0, mbTwoVisits);

    // A split element is visited once, then the content under each of its place holders in turn.
    KxwDomWatchDelete tWatchStart(kszWalkLabel, mptStart);
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM eAction = Visit(mptStart);
    if (eAction != KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE) return eAction;
    if (tWatchStart.HasBeenDeleted()) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
    KxwDomPlaceHolderNode* ptPlaceHolder = mptStart->GetFirstPlaceHolder();
    while (ptPlaceHolder) {
        KxwDomWatchDelete tWatchPlaceHolder(kszWalkLabel, ptPlaceHolder);
        if (KxwDomNodeBase* ptFirstChild = ptPlaceHolder->GetFirstChild()) {
            if (WalkSiblings(ptFirstChild, miDepth + 1, false, mbTwoVisits) == KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP)
                return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
            if (tWatchPlaceHolder.HasBeenDeleted()) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
        }
        if (NotifyBetweenPlaceHolders(ptPlaceHolder, ptPlaceHolder->GetNextPlaceHolder()) ==
                KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP ||
            tWatchPlaceHolder.HasBeenDeleted())
            return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
        ptPlaceHolder = ptPlaceHolder->GetNextPlaceHolder();
    }
    if (mbTwoVisits && !tWatchStart.HasBeenDeleted()) VisitAfterDescendants(mptStart);
    return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
}

KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM KxwDomTraverseHierarchy::WalkSiblings(KxwDomNodeBase* mptFirst, int,
                                                                             bool mbOnlyFirst, bool mbTwoVisits) {
    // The nodes whose descendants are being walked, each watched: a visitor that deletes one ends the walk
    // instead of leaving it on a freed node. The bottom entry is the node of the start level.
    KxwDomWatchStack tOpen(kszWalkLabel);
    KxwDomNodeBase* ptNode = mptFirst;
    for (;;) {
        KxwDomWatchDelete& rtWatch = tOpen.Push(ptNode);
        KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM eAction = Visit(ptNode);
        if (eAction == KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP || rtWatch.HasBeenDeleted())
            return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
        KxwDomNodeBase* ptFirstChild =
            eAction == KXW_DOM_TRAVERSE_HIERARCHY_ACTION_SKIP_DESCENDANTS ? nullptr : FirstChildOf(ptNode);
        if (ptFirstChild) {
            ptNode = ptFirstChild;
            continue;
        }
        // Done with this node: finish it and every open node whose last child it was.
        for (;;) {
            KxwDomWatchDelete& rtDone = tOpen.Top();
            auto* ptDone = static_cast<KxwDomNodeBase*>(rtDone.GetEffectiveWatchedPtr());
            if (!ptDone) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
            if (mbTwoVisits &&
                (VisitAfterDescendants(ptDone) == KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP || rtDone.HasBeenDeleted()))
                return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
            ++_uliVisitedCount;
            tOpen.Pop();
            bool bStartLevel = tOpen.IsEmpty();
            if (bStartLevel && mbOnlyFirst) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
            if (KxwDomNodeBase* ptNext = ptDone->GetNextSibling()) {
                ptNode = ptNext;
                break;
            }
            if (bStartLevel) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
        }
    }
}

// ---------------------------------------------------------------------------------------------------------------

KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM KxwDomTraverseHierarchyCount::Visit(KxwDomNodeBase* mptNode) {
    if (!mptNode) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
    ++_uliNodeCount;
    return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
}

uint32_t KxwDomTraverseHierarchyCount::GetSubTreeNodeCount(KxwDomCoreNode* mptNode) {
    _uliNodeCount = 0;
    Traverse(mptNode, 0);
    return _uliNodeCount;
}

// ---------------------------------------------------------------------------------------------------------------

KxwDomCoreNodeNotifySubHierarchy::KxwDomCoreNodeNotifySubHierarchy(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                                                   KxwDomNodeBase* mptTopOfSubHierarchy,
                                                                   KxwU16nHandler* mptU16nHandler)
    : _eNotificationType(meNotificationType),
      _ptTopOfSubHierarchy(mptTopOfSubHierarchy),
      _ptU16nHandler(mptU16nHandler) {}

KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM KxwDomCoreNodeNotifySubHierarchy::Visit(KxwDomNodeBase* mptNode) {
    if (!mptNode || !_ptTopOfSubHierarchy) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mptNode/_ptTopOfSubHierarchy (%p/%p) in KxwDomCoreNodeNotifySubHierarchy::Visit",
            static_cast<void*>(mptNode), static_cast<void*>(_ptTopOfSubHierarchy));
        return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
    }
    if (mptNode == _ptTakeBackUntil) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
    if (mptNode->IsPlaceHolder()) {
        _bMayStop = false;
        return VisitPlaceHolder(static_cast<KxwDomPlaceHolderNode*>(mptNode));
    }
    if (_bMayStop && _tDeadline.IsPastNowAndThen()) {
        _ptStoppedAt = mptNode;
        return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
    }
    KxwDomCoreNode::HandleAddedRemovedChild(_eNotificationType, mptNode->GetRealNode(), _ptTopOfSubHierarchy,
                                            _ptU16nHandler);
    return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
}

bool KxwDomCoreNodeNotifySubHierarchy::AnnounceSubtree(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                                       KxwDomNodeBase* mptTop, KxwU16nHandler* mptU16nHandler) {
    KxwDomCoreNodeNotifySubHierarchy tVisitor(meNotificationType, mptTop, mptU16nHandler);
    tVisitor.Traverse(mptTop, 0);
    if (!tVisitor._ptStoppedAt) return true;
    // The nodes before the stop, in the same order, hear the opposite; an addition taken back parks the top again
    // and a removal taken back takes it off the list, as the caller's links are restored.
    bool bAdded = meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED;
    KxwDomCoreNodeNotifySubHierarchy tTakeBack(
        bAdded ? KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED : KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED, mptTop,
        bAdded ? nullptr : mptU16nHandler);
    tTakeBack._bMayStop = false;
    tTakeBack._ptTakeBackUntil = tVisitor._ptStoppedAt;
    tTakeBack.Traverse(mptTop, 0);
    return false;
}

KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM KxwDomCoreNodeNotifySubHierarchy::VisitPlaceHolder(
    KxwDomPlaceHolderNode* mptPlaceHolder) {
    bool bRemoved = _eNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED;
    if (!bRemoved && _eNotificationType != KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Unsupported _eNotificationType (%d) for place-holder node (%p) in KxwDomCoreNodeNotifySubHierarchy::Visit",
            static_cast<int>(_eNotificationType), static_cast<void*>(mptPlaceHolder));
        return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    }
    KxwDomNodeBase* ptClone = nullptr;
    if (!KxwDomPlaceHolderNode::SplitChainAtSubtreeBoundary(mptPlaceHolder, _ptTopOfSubHierarchy, &ptClone)) {
        KxwDomNodeBase* ptRealNode = mptPlaceHolder->GetRealNode();
        unsigned uLen = 0;
        const char16_t* pwsfName = ptRealNode ? ptRealNode->GetNodeNameU16n(&uLen) : u"";
        std::string dsTagName;
        for (unsigned n = 0; n < uLen; ++n) dsTagName += pwsfName[n] < 0x80 ? static_cast<char>(pwsfName[n]) : '?';
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "ptClonedElement is NULL for ptPlaceHolder=%p in KxwDomCoreNodeNotifySubHierarchy::Visit for this=%p. "
            "NodeSubtype=%d, TagName=%.100s",
            static_cast<void*>(mptPlaceHolder), static_cast<void*>(this),
            static_cast<int>(mptPlaceHolder->GetNodeSubtype()), dsTagName.c_str());
    }
    KxwDomNodeBase* ptRealNode = mptPlaceHolder->GetRealNode();
    if (!ptRealNode) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    // The real node is announced once, at its first place holder; a node made for content that leaves the
    // document was never in it.
    if (mptPlaceHolder->IsFirstPlaceHolderNode() && !(bRemoved && ptRealNode == ptClone))
        KxwDomCoreNode::HandleAddedRemovedChild(_eNotificationType, ptRealNode, _ptTopOfSubHierarchy, _ptU16nHandler);
    // Content that stays behind a removed subtree now belongs to a new node, which joins the tree it stays in.
    if (bRemoved && ptClone && ptClone != ptRealNode)
        KxwDomCoreNode::HandleAddedRemovedChild(KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED, ptClone, ptClone, nullptr);
    return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
}
