#include "KxwDomCoreNode.h"

#include <cstdlib>

#include "KxwDomCoreDocument.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomNodeCollections.h"
#include "KxwDomPlaceHolderNode.h"
#include "KxwDomScriptDeadline.h"
#include "KxwDomTraverseHierarchy.h"
#include "KxwDomWatchDelete.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"

namespace {

bool DetailedTrace() {
    return xfbKxwTraceEnabled() && xfbKxwDetailedTraceEnabled();
}

void TraceConstruction(const void* mpvThis, const void* mpvOwnerDocument, const void* mpvMemMgr,
                       KXW_DOM_COMMON_NODE_TYPE_ENUM meNodeType, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meNodeSubtype) {
    if (!DetailedTrace()) return;
    xfvKxwUtilReportTraceToFile(
        "<%p>: KxwDomCoreNode(mptOwnerDocument=%p, mptMemMgr=%p, meNodeType=%d, meNodeSubtype=%d=%.100s)", mpvThis,
        mpvOwnerDocument, mpvMemMgr, static_cast<int>(meNodeType), static_cast<int>(meNodeSubtype),
        xfpszKxwDomGetNodeSubtypeText(meNodeSubtype));
}

// Read at every insertion and every node's deletion: read at a fixed offset of the thread pointer, as the engine's
// current pointer is (a linked library; eight bytes fit the static TLS the loader reserves).
__attribute__((tls_model("initial-exec"))) thread_local uint64_t gullTreeShapeGeneration = 0;

bool IsDocumentFragment(const KxwDomNodeBase* mptNode) {
    return mptNode && mptNode->GetNodeType() == KXW_DOM_COMMON_NODE_TYPE_DOCUMENT_FRAGMENT;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Construction and destruction

KxwDomCoreNode::KxwDomCoreNode(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr,
                               KXW_DOM_COMMON_NODE_TYPE_ENUM meNodeType, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meNodeSubtype)
    : KxwDomNodeBase(mptOwnerDocument, mptMemMgr) {
    TraceConstruction(this, mptOwnerDocument, mptMemMgr, meNodeType, meNodeSubtype);
}

KxwDomCoreNode::KxwDomCoreNode(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler,
                               KXW_DOM_COMMON_NODE_TYPE_ENUM meNodeType, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meNodeSubtype)
    : KxwDomNodeBase(mptMemMgr, mptU16nHandler) {
    TraceConstruction(this, nullptr, mptMemMgr, meNodeType, meNodeSubtype);
}

KxwDomCoreNode::KxwDomCoreNode(KxwDomCoreDocument* mptOwnerDocument, KxwDomEnv& mrtDomEnv,
                               KXW_DOM_COMMON_NODE_TYPE_ENUM meNodeType, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meNodeSubtype)
    : KxwDomNodeBase(mptOwnerDocument, mrtDomEnv) {
    TraceConstruction(this, mptOwnerDocument, mrtDomEnv.GetMemMgr(), meNodeType, meNodeSubtype);
}

KxwDomCoreNode::~KxwDomCoreNode() {
    NotifyDeleted();
    // Deleted while still linked: the collections above must not keep this subtree's nodes.
    if (GetContainerNode()) ForgetInAncestors(this);
    if (DetailedTrace())
        xfvKxwUtilReportTraceToFile("<%p>: ~KxwDomCoreNode(), GetMemMgr()=%p", static_cast<void*>(this),
                                    static_cast<void*>(GetMemMgr()));
    // The place holders of a split node stand for nothing from now on.
    if (KxwDomPlaceHolderNode* ptPlaceHolder = GetFirstPlaceHolder()) {
        for (; ptPlaceHolder; ptPlaceHolder = ptPlaceHolder->_ptNextPlaceHolder) ptPlaceHolder->_ptRealNode = nullptr;
        _ptParentNode = nullptr;
    }
    // The subtree goes without recursion: a grandchild is lifted into this node's list until the first child is a
    // leaf, which is unlinked and deleted. Every node stays properly linked until its turn, so a destructor that
    // deletes another node of the subtree finds the lists whole.
    while (KxwDomNodeBase* ptChild = _ptFirstChild) {
        KxwDomCoreNode* ptCoreChild = ptChild->AsCoreNode();
        if (ptCoreChild && ptCoreChild->_ptFirstChild) {
            KxwDomNodeBase* ptGrandChild = ptCoreChild->_ptFirstChild;
            ptCoreChild->UnlinkChild(ptGrandChild);
            BasicInsertBefore(ptGrandChild, ptChild);
            continue;
        }
        UnlinkChild(ptChild);
        delete ptChild;
    }
    KxwDomNodeCollections& rtCollections = KxwDomNodeCollections::Current();
    if (_ptALL) rtCollections.Delete(_ptALL);
    if (_ptChildren) rtCollections.Delete(_ptChildren);
    if (_ptChildNodes) rtCollections.Delete(_ptChildNodes);
}

// ---------------------------------------------------------------------------------------------------------------
// Primitive link operations

uint64_t KxwDomCoreNode::GetTreeShapeGeneration() {
    return gullTreeShapeGeneration;
}

void KxwDomCoreNode::NoteTreeShapeChange() {
    ++gullTreeShapeGeneration;
}

void KxwDomCoreNode::UnlinkChild(KxwDomNodeBase* mptChild) {
    NoteTreeShapeChange();
    KxwDomNodeBase* ptPrevious = mptChild->_ptPreviousSibling;
    KxwDomNodeBase* ptNext = mptChild->_ptNextSibling;
    if (ptPrevious)
        ptPrevious->_ptNextSibling = ptNext;
    else
        _ptFirstChild = ptNext;
    if (ptNext)
        ptNext->_ptPreviousSibling = ptPrevious;
    else
        _ptLastChild = ptPrevious;
    mptChild->_ptParentNode = nullptr;
    mptChild->_ptPreviousSibling = nullptr;
    mptChild->_ptNextSibling = nullptr;
}

void KxwDomCoreNode::BasicAppendChild(KxwDomNodeBase* mptChild) {
    mptChild->_ptParentNode = this;
    mptChild->_ptPreviousSibling = _ptLastChild;
    mptChild->_ptNextSibling = nullptr;
    if (_ptLastChild)
        _ptLastChild->_ptNextSibling = mptChild;
    else
        _ptFirstChild = mptChild;
    _ptLastChild = mptChild;
}

void KxwDomCoreNode::BasicInsertBefore(KxwDomNodeBase* mptChild, KxwDomNodeBase* mptRefChild) {
    if (!mptRefChild) {
        BasicAppendChild(mptChild);
        return;
    }
    mptChild->_ptParentNode = this;
    mptChild->_ptPreviousSibling = mptRefChild->_ptPreviousSibling;
    mptChild->_ptNextSibling = mptRefChild;
    if (mptRefChild->_ptPreviousSibling)
        mptRefChild->_ptPreviousSibling->_ptNextSibling = mptChild;
    else
        _ptFirstChild = mptChild;
    mptRefChild->_ptPreviousSibling = mptChild;
}

void KxwDomCoreNode::BasicReplaceChild(KxwDomNodeBase* mptNewChild, KxwDomNodeBase* mptOldChild) {
    NoteTreeShapeChange();
    mptNewChild->_ptParentNode = this;
    mptNewChild->_ptPreviousSibling = mptOldChild->_ptPreviousSibling;
    mptNewChild->_ptNextSibling = mptOldChild->_ptNextSibling;
    if (mptOldChild->_ptPreviousSibling)
        mptOldChild->_ptPreviousSibling->_ptNextSibling = mptNewChild;
    else
        _ptFirstChild = mptNewChild;
    if (mptOldChild->_ptNextSibling)
        mptOldChild->_ptNextSibling->_ptPreviousSibling = mptNewChild;
    else
        _ptLastChild = mptNewChild;
    mptOldChild->_ptParentNode = nullptr;
    mptOldChild->_ptPreviousSibling = nullptr;
    mptOldChild->_ptNextSibling = nullptr;
}

void KxwDomCoreNode::BasicRemoveChild(KxwDomNodeBase* mptChild) {
    if (!mptChild || !mptChild->_ptParentNode) return;
    if (mptChild->_ptParentNode != this) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptParentNode (%p) != this (%p) in KxwDomCoreNode::BasicRemoveChild",
                                              static_cast<void*>(mptChild->_ptParentNode), static_cast<void*>(this));
        return;
    }
    UnlinkChild(mptChild);
}

// ---------------------------------------------------------------------------------------------------------------
// Children

bool KxwDomCoreNode::HasChildNodes() const {
    KxwDomPlaceHolderNode* ptPlaceHolder = GetFirstPlaceHolder();
    if (!ptPlaceHolder) return _ptFirstChild != nullptr;
    for (; ptPlaceHolder; ptPlaceHolder = ptPlaceHolder->_ptNextPlaceHolder)
        if (ptPlaceHolder->_ptFirstChild) return true;
    return false;
}

KxwDomCoreNode* KxwDomCoreNode::GetTreeParentNodeOfChild(const KxwDomNodeBase* mptChild) {
    if (!mptChild || mptChild == this) return nullptr;
    KxwDomCoreNode* ptContainer = mptChild->_ptParentNode;
    if (!ptContainer) return nullptr;
    if (ptContainer == this) return this;
    if (ptContainer->IsPlaceHolder() && static_cast<KxwDomPlaceHolderNode*>(ptContainer)->_ptRealNode == this)
        return ptContainer;
    return nullptr;
}

KxwDomPlaceHolderNode* KxwDomCoreNode::GetLastPlaceHolder() const {
    KxwDomPlaceHolderNode* ptFirst = GetFirstPlaceHolder();
    return ptFirst ? ptFirst->GetLastPlaceHolder() : nullptr;
}

void KxwDomCoreNode::RemovePlaceHolders() {
    KxwDomPlaceHolderNode* ptPlaceHolder = GetFirstPlaceHolder();
    if (!ptPlaceHolder) return;
    _ptParentNode = nullptr;
    while (ptPlaceHolder) {
        KxwDomPlaceHolderNode* ptNext = ptPlaceHolder->_ptNextPlaceHolder;
        if (KxwDomCoreNode* ptContainer = ptPlaceHolder->_ptParentNode) {
            ptContainer->BasicRemoveChild(ptPlaceHolder);
            // What the container's list showed of the place holder goes without an announcement.
            ptContainer->MarkChildNodesForRebuild();
        }
        while (KxwDomNodeBase* ptChild = ptPlaceHolder->_ptFirstChild) {
            ptPlaceHolder->UnlinkChild(ptChild);
            BasicAppendChild(ptChild);
        }
        // Out of the list already: its destructor has nothing to hand on.
        ptPlaceHolder->_ptRealNode = nullptr;
        ptPlaceHolder->_ptNextPlaceHolder = nullptr;
        ptPlaceHolder->_ptPreviousPlaceHolder = nullptr;
        delete ptPlaceHolder;
        ptPlaceHolder = ptNext;
    }
}

void KxwDomCoreNode::MarkChildNodesForRebuild() {
    if (_ptChildNodes) _ptChildNodes->SetIsMarkedForRebuild(true);
    KxwDomNodeBase* ptReal = IsPlaceHolder() ? GetRealNode() : nullptr;
    if (KxwDomCoreNode* ptRealCore = ptReal ? ptReal->AsCoreNode() : nullptr)
        if (ptRealCore->_ptChildNodes) ptRealCore->_ptChildNodes->SetIsMarkedForRebuild(true);
}

bool KxwDomCoreNode::IsDirectChild(const KxwDomNodeBase* mptNode) {
    return mptNode && mptNode->GetDomParentNode() == this;
}

// ---------------------------------------------------------------------------------------------------------------
// Checked mutations

bool KxwDomCoreNode::ChildCandidateOK(KxwDomNodeBase* mptNewChild) {
    // An ancestor would make a cycle and a document belongs to its maker, never to a parent. A node without
    // children (what the parser appends) is nobody's ancestor: the walk up the tree is spared.
    const KxwDomCoreNode* ptNewCore = mptNewChild ? mptNewChild->AsCoreNode() : nullptr;
    bool bMayBeAncestor = ptNewCore && (ptNewCore->_ptFirstChild || ptNewCore->IsPlaceHolder() || ptNewCore->IsSplit());
    if (mptNewChild && mptNewChild != this && (!bMayBeAncestor || !IsDescendantOf(mptNewChild)) &&
        !mptNewChild->IsDocument())
        return true;
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "Invalid mptNewChild (%p) for this=%p in KxwDomCoreNode::ChildCandidateOK",
                                          static_cast<void*>(mptNewChild), static_cast<void*>(this));
    return false;
}

KxwDomNodeBase* KxwDomCoreNode::AppendChild(KxwDomNodeBase* mptNewChild) {
    if (!ChildCandidateOK(mptNewChild)) return nullptr;
    if (IsDocumentFragment(mptNewChild)) return InsertDocumentFragmentChildrenBefore(mptNewChild, nullptr);
    KxwDomWatchDelete tWatchThis("KxwDomCoreNode::AppendChild", this);
    KxwDomWatchDelete tWatchNewChild("KxwDomCoreNode::AppendChild", mptNewChild);
    if (KxwDomCoreNode* ptOldParent = mptNewChild->GetParentNode()) {
        if (!ptOldParent->RemoveChild(mptNewChild)) return nullptr;
        if (tWatchThis.HasBeenDeleted() || tWatchNewChild.HasBeenDeleted()) return nullptr;
        if (mptNewChild->_ptParentNode || !ChildCandidateOK(mptNewChild)) return nullptr;
    }
    KxwDomCoreNode* ptContainer = IsSplit() ? static_cast<KxwDomCoreNode*>(GetLastPlaceHolder()) : this;
    ptContainer->BasicAppendChild(mptNewChild);
    if (!HandleAddedChild(mptNewChild)) return nullptr;
    return tWatchNewChild.HasBeenDeleted() ? nullptr : mptNewChild;
}

KxwDomNodeBase* KxwDomCoreNode::InsertBefore(KxwDomNodeBase* mptNewChild, KxwDomNodeBase* mptRefChild) {
    if (mptNewChild == mptRefChild) return mptNewChild;
    if (!ChildCandidateOK(mptNewChild)) return nullptr;
    // The reference is checked before anything moves: a failed insertion leaves the new child where it was.
    if (mptRefChild && !GetTreeParentNodeOfChild(mptRefChild->GetTreeNode())) return nullptr;
    if (IsDocumentFragment(mptNewChild)) return InsertDocumentFragmentChildrenBefore(mptNewChild, mptRefChild);
    if (!mptRefChild) return AppendChild(mptNewChild);
    KxwDomWatchDelete tWatchThis("KxwDomCoreNode::InsertBefore", this);
    KxwDomWatchDelete tWatchNewChild("KxwDomCoreNode::InsertBefore", mptNewChild);
    KxwDomWatchDelete tWatchRefChild("KxwDomCoreNode::InsertBefore", mptRefChild);
    if (KxwDomCoreNode* ptOldParent = mptNewChild->GetParentNode()) {
        if (!ptOldParent->RemoveChild(mptNewChild)) return nullptr;
        if (tWatchThis.HasBeenDeleted() || tWatchNewChild.HasBeenDeleted() || tWatchRefChild.HasBeenDeleted())
            return nullptr;
    }
    // Handlers called by the removal may have moved the reference.
    KxwDomNodeBase* ptRefTreeNode = mptRefChild->GetTreeNode();
    KxwDomCoreNode* ptContainer = GetTreeParentNodeOfChild(ptRefTreeNode);
    if (!ptContainer || mptNewChild->_ptParentNode || !ChildCandidateOK(mptNewChild)) return nullptr;
    ptContainer->BasicInsertBefore(mptNewChild, ptRefTreeNode);
    if (!HandleAddedChild(mptNewChild)) return nullptr;
    return tWatchNewChild.HasBeenDeleted() ? nullptr : mptNewChild;
}

KxwDomNodeBase* KxwDomCoreNode::InsertDocumentFragmentChildrenBefore(KxwDomNodeBase* mptDocumentFragmentNodeBase,
                                                                     KxwDomNodeBase* mptRefChild) {
    KxwDomCoreNode* ptFragment =
        IsDocumentFragment(mptDocumentFragmentNodeBase) ? mptDocumentFragmentNodeBase->AsCoreNode() : nullptr;
    if (!ptFragment) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "ptDocumentFragment is NULL in KxwDomCoreNode::InsertDocumentFragmentChildrenBefore("
            "mptDocumentFragmentNodeBase=%p, mptRefChild=%p) for this=%p",
            static_cast<void*>(mptDocumentFragmentNodeBase), static_cast<void*>(mptRefChild), static_cast<void*>(this));
        return mptDocumentFragmentNodeBase;
    }
    if (mptRefChild && !GetTreeParentNodeOfChild(mptRefChild->GetTreeNode())) return nullptr;
    KxwDomWatchDelete tWatchThis("KxwDomCoreNode::InsertDocumentFragmentChildrenBefore", this);
    KxwDomWatchDelete tWatchFragment("KxwDomCoreNode::InsertDocumentFragmentChildrenBefore", ptFragment);
    KxwDomWatchDelete tWatchRefChild("KxwDomCoreNode::InsertDocumentFragmentChildrenBefore", mptRefChild);
    // First to last, each with its subtree; a move that fails ends the loop instead of repeating it, and so does
    // the running script's time limit: the children not moved yet stay in the fragment.
    KxwDomScriptDeadline tDeadline;
    while (KxwDomNodeBase* ptChild = ptFragment->_ptFirstChild) {
        if (tDeadline.IsPastNowAndThen()) break;
        KxwDomNodeBase* ptMoved = mptRefChild ? InsertBefore(ptChild, mptRefChild) : AppendChild(ptChild);
        if (!ptMoved || tWatchThis.HasBeenDeleted() || tWatchFragment.HasBeenDeleted() ||
            tWatchRefChild.HasBeenDeleted())
            break;
    }
    return tWatchFragment.HasBeenDeleted() ? nullptr : ptFragment;
}

KxwDomNodeBase* KxwDomCoreNode::ReplaceChild(KxwDomNodeBase* mptNewChild, KxwDomNodeBase* mptOldChild,
                                             bool mbCheckForExistance) {
    if (mptNewChild == mptOldChild) return mptNewChild;
    if (!ChildCandidateOK(mptNewChild)) return nullptr;
    if (IsDocumentFragment(mptNewChild)) {
        xfvKxwDomUtilReportCatalogedMessage(xfeKxwUtilJavaScriptErrorSevLvl(), -26000, "KxwDomCoreNode::ReplaceChild",
                                            __LINE__,
                                            "DocumentFragment not supported as oNewNode for the replaceChild method");
        return nullptr;
    }
    if (!mptOldChild) return nullptr;
    auto FindContainer = [&]() -> KxwDomCoreNode* {
        KxwDomNodeBase* ptOldTreeNode = mptOldChild->GetTreeNode();
        return mbCheckForExistance ? GetTreeParentNodeOfChild(ptOldTreeNode) : ptOldTreeNode->_ptParentNode;
    };
    if (!FindContainer()) return nullptr;
    KxwDomWatchDelete tWatchThis("KxwDomCoreNode::ReplaceChild", this);
    KxwDomWatchDelete tWatchNewChild("KxwDomCoreNode::ReplaceChild", mptNewChild);
    KxwDomWatchDelete tWatchOldChild("KxwDomCoreNode::ReplaceChild", mptOldChild);
    auto AnyDeleted = [&]() {
        return tWatchThis.HasBeenDeleted() || tWatchNewChild.HasBeenDeleted() || tWatchOldChild.HasBeenDeleted();
    };
    // The new child leaves its place first, so that the old subtree is announced without it when it came from
    // there.
    if (KxwDomCoreNode* ptOldParent = mptNewChild->GetParentNode()) {
        if (!ptOldParent->RemoveChild(mptNewChild) || AnyDeleted()) return nullptr;
        if (mptNewChild->_ptParentNode || !FindContainer()) return nullptr;
    }
    if (!AnnounceRemoved(mptOldChild) || AnyDeleted() || !FindContainer()) return nullptr;
    if (KxwDomPlaceHolderNode* ptFirstPlaceHolder = mptOldChild->GetFirstPlaceHolder()) {
        ptFirstPlaceHolder->_ptParentNode->BasicReplaceChild(mptNewChild, ptFirstPlaceHolder);
        mptOldChild->AsCoreNode()->RemovePlaceHolders();
    } else {
        mptOldChild->_ptParentNode->BasicReplaceChild(mptNewChild, mptOldChild);
    }
    mptOldChild->UpdateScopeParent();
    if (!AnnounceAdded(mptNewChild, GetU16nHandler())) {
        // Out of time: the old child is gone already, the new one goes again.
        if (KxwDomCoreNode* ptContainer = mptNewChild->GetContainerNode()) ptContainer->BasicRemoveChild(mptNewChild);
        return nullptr;
    }
    return tWatchNewChild.HasBeenDeleted() ? nullptr : mptNewChild;
}

KxwDomNodeBase* KxwDomCoreNode::RemoveChild(KxwDomNodeBase* mptOldChild) {
    if (!mptOldChild || !GetTreeParentNodeOfChild(mptOldChild->GetTreeNode())) return nullptr;
    KxwDomWatchDelete tWatchThis("KxwDomCoreNode::RemoveChild", this);
    KxwDomWatchDelete tWatchOldChild("KxwDomCoreNode::RemoveChild", mptOldChild);
    if (!AnnounceRemoved(mptOldChild) || tWatchThis.HasBeenDeleted() || tWatchOldChild.HasBeenDeleted()) return nullptr;
    if (mptOldChild->IsSplit()) {
        mptOldChild->AsCoreNode()->RemovePlaceHolders();
    } else {
        // Handlers may have moved the child meanwhile; it is unlinked from where it is now.
        KxwDomCoreNode* ptContainer = GetTreeParentNodeOfChild(mptOldChild);
        if (!ptContainer) return nullptr;
        ptContainer->BasicRemoveChild(mptOldChild);
    }
    mptOldChild->UpdateScopeParent();
    return tWatchOldChild.HasBeenDeleted() ? nullptr : mptOldChild;
}

void KxwDomCoreNode::RemoveFromParent(bool mbDeleteChildren) {
    KxwDomWatchDelete tWatchThis("KxwDomCoreNode::RemoveFromParent", this);
    KxwDomNodeBase::RemoveFromParent(mbDeleteChildren);
    if (mbDeleteChildren && !tWatchThis.HasBeenDeleted()) DeleteChildren(true);
}

// ---------------------------------------------------------------------------------------------------------------
// Announcing changes

bool KxwDomCoreNode::HandleAddedChild(KxwDomNodeBase* mptNewChild) {
    if (!mptNewChild) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptNewChild is NULL in KxwDomCoreNode::HandleAddedChild");
        return false;
    }
    if (mptNewChild->IsPlaceHolder()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptNewChild is a place-holder node in KxwDomCoreNode::HandleAddedChild");
        return true;
    }
    if (AnnounceAdded(mptNewChild, GetU16nHandler())) return true;
    if (KxwDomCoreNode* ptContainer = mptNewChild->GetContainerNode()) ptContainer->BasicRemoveChild(mptNewChild);
    return false;
}

bool KxwDomCoreNode::AnnounceAdded(KxwDomNodeBase* mptNewChild, KxwU16nHandler* mptU16nHandler) {
    if (!mptNewChild->HasChildNodes() && !mptNewChild->IsSplit()) {
        HandleAddedRemovedChild(KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED, mptNewChild, mptNewChild, mptU16nHandler);
        return true;
    }
    return KxwDomCoreNodeNotifySubHierarchy::AnnounceSubtree(KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED, mptNewChild,
                                                             mptU16nHandler);
}

bool KxwDomCoreNode::AnnounceRemoved(KxwDomNodeBase* mptOldChild) {
    if (!mptOldChild->HasChildNodes() && !mptOldChild->IsSplit()) {
        HandleAddedRemovedChild(KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED, mptOldChild, mptOldChild, nullptr);
        return true;
    }
    return KxwDomCoreNodeNotifySubHierarchy::AnnounceSubtree(KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED, mptOldChild,
                                                             nullptr);
}

void KxwDomCoreNode::HandleAddedRemovedChild(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                             KxwDomNodeBase* mptNode, KxwDomNodeBase* mptTopOfSubHierarchy,
                                             KxwU16nHandler* mptU16nHandler) {
    KxwDomCoreNode* ptParentNode = mptNode ? mptNode->GetParentNode() : nullptr;
    if (!ptParentNode || !mptTopOfSubHierarchy ||
        (meNotificationType != KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED &&
         meNotificationType != KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mptNode/ptParentNode/mptTopOfSubHierarchy/meNotificationType "
                                              "(%p/%p/%p/%ld) in KxwDomCoreNode::HandleAddedRemovedChild",
                                              static_cast<void*>(mptNode), static_cast<void*>(ptParentNode),
                                              static_cast<void*>(mptTopOfSubHierarchy),
                                              static_cast<long>(meNotificationType));
        return;
    }
    bool bAdded = meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED;
    // A node moved between documents converts with its new container's handler.
    if (mptU16nHandler) mptNode->SetU16nHandler(mptU16nHandler);
    KxwDomWatchDelete tWatchNode("KxwDomCoreNode::HandleAddedRemovedChild", mptNode);
    if (!bAdded) {
        mptNode->UpdateCollectionDependency(mptTopOfSubHierarchy);
        if (tWatchNode.HasBeenDeleted()) return;
    }
    if (mptNode == mptTopOfSubHierarchy) {
        if (KxwDomCoreDocument* ptOwnerDocument = mptNode->GetOwnerDocument(false)) {
            if (bAdded) {
                ptOwnerDocument->RemoveFromDisconnectedNodesList(mptNode);
                mptNode->_bLeftTreeDuringParse = false;
            } else {
                ptOwnerDocument->AddToDisconnectedNodesList(mptNode);
                if (ptOwnerDocument->IsParseUnderWay()) mptNode->_bLeftTreeDuringParse = true;
            }
            if (tWatchNode.HasBeenDeleted()) return;
        } else {
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "ptOwnerDocument is NULL for mptNode=%p GetNodeSubtype=%d in KxwDomCoreNode::HandleAddedRemovedChild",
                static_cast<void*>(mptNode), static_cast<int>(mptNode->GetNodeSubtype()));
        }
        ptParentNode = mptNode->GetParentNode();
        if (!ptParentNode) return;
    }
    // Only the ancestors outside the moved subtree hear of it: inside, nothing changed.
    NotifyAncestorsFrom(mptTopOfSubHierarchy, meNotificationType, mptNode, ptParentNode, mptNode);
    if (!bAdded || tWatchNode.HasBeenDeleted()) return;
    // The engine object may have just become reachable from the preserved ones.
    mptNode->UpdateScopeParent();
    mptNode->OnAddedToTree();
}

// ---------------------------------------------------------------------------------------------------------------
// Notification handlers: the node's collections follow the changes below it

void KxwDomCoreNode::NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                                void* mpvNotificationObject) {
    if (!_ptALL && !_ptChildren && !_ptChildNodes) return;
    if (meNotificationType != KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED &&
        meNotificationType != KXW_DOM_COMMON_NOTIFICATION_ENUM_DELETING_DESCENDANTS &&
        meNotificationType != KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED &&
        meNotificationType != KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED)
        return;
    auto* ptSubject = static_cast<KxwDomNodeBase*>(mpvNotificationSubject);
    if (!ptSubject) return;
    KxwDomNodeCollections& rtCollections = KxwDomNodeCollections::Current();
    bool bDirectChild = IsDirectChild(ptSubject);
    bool bDeleting = meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_DELETING_DESCENDANTS;

    if (ptSubject->GetNodeType() == KXW_DOM_COMMON_NODE_TYPE_TEXT) {
        if (!bDirectChild) return;
        if (meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED) {
            if (_ptChildNodes)
                rtCollections.Update(_ptChildNodes, meNotificationType, ptSubject, mpvNotificationObject);
            return;
        }
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "meNotificationType=%d for text-nodes in KxwDomCoreNode::NotifyThisfor this=%p",
            static_cast<int>(meNotificationType), static_cast<void*>(this));
        return;
    }
    if (ptSubject->IsPlaceHolder()) {
        if (bDeleting && _ptALL) rtCollections.RemoveDescendantsOf(_ptALL, ptSubject);
        return;
    }
    if (bDeleting) {
        // Any container may be about to lose its descendants (this node itself included).
        if (_ptALL && ptSubject->HasChildNodes()) rtCollections.RemoveDescendantsOf(_ptALL, ptSubject);
        if (ptSubject == this) {
            if (_ptChildren) rtCollections.Reset(_ptChildren);
            if (_ptChildNodes) rtCollections.Reset(_ptChildNodes);
        }
        return;
    }
    if (!ptSubject->IsElementNode()) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "ptElement is NULL (ptNotificationSubject=%p) in KxwDomCoreNode::NotifyThis", mpvNotificationSubject);
        return;
    }
    if (_ptALL) rtCollections.Update(_ptALL, meNotificationType, ptSubject, mpvNotificationObject);
    if (!bDirectChild) return;
    if (_ptChildren) rtCollections.Update(_ptChildren, meNotificationType, ptSubject, mpvNotificationObject);
    if (_ptChildNodes) rtCollections.Update(_ptChildNodes, meNotificationType, ptSubject, mpvNotificationObject);
}

void KxwDomCoreNode::NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                              void* mpvNotificationSubject, void*) {
    auto* ptSubject = static_cast<KxwDomNodeBase*>(mpvNotificationSubject);
    if (meNotificationType != KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED || !ptSubject) return;
    if (!_ptALL && !_ptChildren && !_ptChildNodes) return;
    bool bDirectChild = IsDirectChild(ptSubject);
    KxwDomNodeCollections& rtCollections = KxwDomNodeCollections::Current();
    if (ptSubject->IsElementNode()) {
        if (_ptALL) rtCollections.AddItem(_ptALL, ptSubject);
        if (bDirectChild && _ptChildren) rtCollections.AddItem(_ptChildren, ptSubject);
    }
    // Additions further down leave the direct children as they are.
    if (bDirectChild && _ptChildNodes) rtCollections.AddItem(_ptChildNodes, ptSubject);
}

// ---------------------------------------------------------------------------------------------------------------
// Deleting the children

void KxwDomCoreNode::DeleteChildren(bool mbNotifyRemovingDescendants) {
    KxwDomWatchDelete tWatchThis("KxwDomCoreNode::DeleteChildren", this);
    if (mbNotifyRemovingDescendants) {
        NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM_DELETING_DESCENDANTS, this, nullptr);
        if (tWatchThis.HasBeenDeleted()) return;
        NotifyAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM_DELETING_DESCENDANTS, this, nullptr);
        if (tWatchThis.HasBeenDeleted()) return;
    }
    if (IsSplit()) {
        DeleteChildrenOfSplitNode(mbNotifyRemovingDescendants);
        return;
    }
    // One child at a time from the front, unlinked before it is let go: whatever its release deletes, the
    // remaining children are still properly linked here.
    while (KxwDomNodeBase* ptChild = _ptFirstChild) {
        UnlinkChild(ptChild);
        ptChild->Release();
        if (tWatchThis.HasBeenDeleted()) return;
    }
    ResetCollectionsAfterDeletingChildren();
    if (_ptLastChild) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid _ptLastChild(%p) at the end of KxwDomCoreNode::DeleteChildren for this=%p",
            static_cast<void*>(_ptLastChild), static_cast<void*>(this));
        _ptLastChild = nullptr;
    }
}

void KxwDomCoreNode::DeleteChildrenOfSplitNode(bool mbNotifyRemovingDescendants) {
    KxwDomWatchDelete tWatchThis("KxwDomCoreNode::DeleteChildrenOfSplitNode", this);
    KxwDomPlaceHolderNode* ptFirst = GetFirstPlaceHolder();
    ptFirst->DeleteChildren(false);
    if (tWatchThis.HasBeenDeleted()) return;
    // Later place holders leave the tree with their content; their containers hear of it first.
    while (KxwDomPlaceHolderNode* ptLater = (ptFirst = GetFirstPlaceHolder()) ? ptFirst->_ptNextPlaceHolder : nullptr) {
        KxwDomWatchDelete tWatchLater("KxwDomCoreNode::DeleteChildrenOfSplitNode", ptLater);
        if (mbNotifyRemovingDescendants) {
            ptLater->NotifyAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM_DELETING_DESCENDANTS, ptLater, nullptr);
            if (tWatchThis.HasBeenDeleted()) return;
            if (tWatchLater.HasBeenDeleted()) continue;
        }
        if (KxwDomCoreNode* ptContainer = ptLater->_ptParentNode) ptContainer->BasicRemoveChild(ptLater);
        ptLater->DeleteChildren(false);
        if (tWatchThis.HasBeenDeleted()) return;
        if (!tWatchLater.HasBeenDeleted()) delete ptLater;
    }
    ResetCollectionsAfterDeletingChildren();
}

void KxwDomCoreNode::ForgetDeletedNode(const KxwDomNodeBase* mptNode) {
    if (_ptALL) _ptALL->ForgetDeletedNode(mptNode);
    if (_ptChildren) _ptChildren->ForgetDeletedNode(mptNode);
    if (_ptChildNodes) _ptChildNodes->ForgetDeletedNode(mptNode);
}

void KxwDomCoreNode::ResetCollectionsAfterDeletingChildren() {
    KxwDomNodeCollections& rtCollections = KxwDomNodeCollections::Current();
    if (_ptChildNodes) rtCollections.Reset(_ptChildNodes);
    if (_ptChildren) rtCollections.Reset(_ptChildren);
    if (_ptALL) rtCollections.Reset(_ptALL);
}

// ---------------------------------------------------------------------------------------------------------------
// Collections

KxwDomHtmlCollectionGeneral* KxwDomCoreNode::GetChildNodes() {
    KxwDomNodeCollections& rtCollections = KxwDomNodeCollections::Current();
    // The notifications keep the list current; it is refilled only when it could not follow a change, or when the
    // node's children are spread over place holders (whose own moves are not announced).
    if (!_ptChildNodes) {
        NoteTreeShapeChange();
        _ptChildNodes = rtCollections.CreateChildNodes(*this);
    } else if (_ptChildNodes->IsMarkedForRebuild() || IsSplit())
        rtCollections.Rebuild(_ptChildNodes, *this);
    return _ptChildNodes;
}

KxwDomHtmlCollectionGeneral* KxwDomCoreNode::GetChildren() {
    if (!_ptChildren) {
        NoteTreeShapeChange();
        _ptChildren = KxwDomNodeCollections::Current().CreateChildren(*this);
    }
    return _ptChildren;
}

KxwDomHtmlCollectionOrdered* KxwDomCoreNode::GetAll() {
    if (!_ptALL) {
        NoteTreeShapeChange();
        _ptALL = KxwDomNodeCollections::Current().CreateAll(*this);
    }
    return _ptALL;
}

KxwDomHtmlCollectionGeneral* KxwDomCoreNode::GetElementsByTagName(const char16_t* mpwsfTagName,
                                                                  unsigned muTagNameLenInChars) {
    KxwDomHtmlCollectionOrdered* ptAll = GetAll();
    return ptAll ? KxwDomNodeCollections::Current().GetTags(ptAll, mpwsfTagName, muTagNameLenInChars) : nullptr;
}

void KxwDomCoreNode::NotifyDownloadFailed(KXW_WTL_SEV_LVL_ENUM, char* mpszMsg, int) { free(mpszMsg); }
