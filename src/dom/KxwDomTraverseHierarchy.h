// The depth-first walker over a subtree that every subtree operation shares: a visitor decides at each node
// whether to go on, to skip the node's descendants, or to stop. The walk keeps its own stack, so trees of any
// depth are safe, and it knows place holders: an element split over several place holders is visited once, with
// the content under each of them in turn. A node deleted by a visitor ends the walk.
#pragma once

#include <cstdint>

#include "KxwDomScriptDeadline.h"
#include "kxw/KxwDomCommonEnums.h"

class KxwDomCoreNode;
class KxwDomNodeBase;
class KxwDomPlaceHolderNode;
class KxwU16nHandler;

enum KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM {
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP = 0,              // stop the whole walk
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE = 1,          // go on, into this node's descendants
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_SKIP_DESCENDANTS = 2,  // go on, without this node's descendants
};

class KxwDomTraverseHierarchy {
public:
    KxwDomTraverseHierarchy() = default;
    virtual ~KxwDomTraverseHierarchy();
    KxwDomTraverseHierarchy(const KxwDomTraverseHierarchy&) = delete;
    KxwDomTraverseHierarchy& operator=(const KxwDomTraverseHierarchy&) = delete;

    virtual KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Visit(KxwDomNodeBase* mptNode) = 0;
    // After a node's descendants (two-visit walks only).
    virtual KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM VisitAfterDescendants(KxwDomNodeBase* mptNode);
    // Between the contents of two place holders of a split element (mptNext is null after the last).
    virtual KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM NotifyBetweenPlaceHolders(KxwDomPlaceHolderNode* mptCurrent,
                                                                             KxwDomPlaceHolderNode* mptNext);

    // Pre-order from mptStart; at depth 0 the start node's siblings are not walked. 1 when the walk ended, 0 when
    // a visitor stopped it (and always for a split start element, after its last place holder).
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Traverse(KxwDomNodeBase* mptStart, int miDepth);
    // The same, and each node is visited again after its descendants.
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM TraverseWithTwoVisits(KxwDomNodeBase* mptStart, int miDepth);

    // Nodes of sibling chains handled so far (not the split start element).
    uint32_t GetVisitedCount() const { return _uliVisitedCount; }

protected:
    uint32_t _uliVisitedCount = 0;

private:
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Walk(KxwDomNodeBase* mptStart, int miDepth, bool mbTwoVisits);
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM WalkSiblings(KxwDomNodeBase* mptFirst, int miDepth, bool mbOnlyFirst,
                                                        bool mbTwoVisits);
};

// Counts the nodes of a subtree.
class KxwDomTraverseHierarchyCount : public KxwDomTraverseHierarchy {
public:
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Visit(KxwDomNodeBase* mptNode) override;
    // The node and all nodes below it.
    uint32_t GetSubTreeNodeCount(KxwDomCoreNode* mptNode);
    uint32_t GetNodeCount() const { return _uliNodeCount; }

private:
    uint32_t _uliNodeCount = 0;
};

// Announces every node of an added or removed subtree to the ancestors outside it (HandleAddedRemovedChild). A
// place holder whose real node's chain crosses the subtree's edge has the chain split there first.
//
// A large subtree announced while a script runs is checked against the script's time limit every few hundred
// nodes (KxwDomScriptDeadline). Past it, the walk stops before the next node and AnnounceSubtree takes back what
// was announced (the other notification for the same nodes, in the same order), so that the move as a whole did
// not happen; the caller then restores the links. A subtree with place holders is announced to its end.
class KxwDomCoreNodeNotifySubHierarchy : public KxwDomTraverseHierarchy {
public:
    KxwDomCoreNodeNotifySubHierarchy(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                     KxwDomNodeBase* mptTopOfSubHierarchy, KxwU16nHandler* mptU16nHandler);
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Visit(KxwDomNodeBase* mptNode) override;

    // Announces the subtree of mptTop (type 1 or 2); false when the script ran out of time and the announcement
    // was taken back.
    static bool AnnounceSubtree(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, KxwDomNodeBase* mptTop,
                                KxwU16nHandler* mptU16nHandler);

private:
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM VisitPlaceHolder(KxwDomPlaceHolderNode* mptPlaceHolder);

    KXW_DOM_COMMON_NOTIFICATION_ENUM _eNotificationType;
    KxwDomNodeBase* _ptTopOfSubHierarchy;
    KxwU16nHandler* _ptU16nHandler;
    KxwDomScriptDeadline _tDeadline;
    bool _bMayStop = true;                   // cleared by a place holder, and for taking back
    KxwDomNodeBase* _ptStoppedAt = nullptr;  // the first node not announced
    KxwDomNodeBase* _ptTakeBackUntil = nullptr;
};
