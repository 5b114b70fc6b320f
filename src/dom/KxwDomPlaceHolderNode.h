// A stand-in in the tree for a node that the markup spreads over several places: the real node is not linked into
// the tree itself; its container link points to its first place holder, and each place holder carries one part of
// its children. Place holders of one real node form a list in document order. Scripts never see a place holder:
// navigation answers the real node or the content instead.
#pragma once

#include <vector>

#include "KxwDomEventTarget.h"

class KxwDomPlaceHolderNode : public KxwDomEventTarget {
public:
    // Joins the chain of mptRealNode: as its first place holder when the real node stands nowhere yet (the real
    // node's container link then points here), else as the last one of its place holders. A real node that is
    // linked into a tree itself is reported and left as it is; the place holder then stands for nothing.
    KxwDomPlaceHolderNode(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr, KxwDomNodeBase* mptRealNode);
    // Leaves its list unless suspended; the first one hands the real node on to the next one, or, as the last,
    // releases it.
    ~KxwDomPlaceHolderNode() override;

    KXW_DOM_COMMON_NODE_TYPE_ENUM GetNodeType() const override { return KXW_DOM_COMMON_NODE_TYPE_PLACE_HOLDER; }
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM GetNodeSubtype() const override;
    KxwDomNodeBase* GetRealNode() override { return _ptRealNode; }
    const char16_t* GetNodeNameU16n(unsigned* mpuLenInChars) const override;

    // Makes mptPlaceHolder the next place holder of the same real node, after this one.
    void LinkPlaceHolderAfter(KxwDomPlaceHolderNode* mptPlaceHolder);
    KxwDomPlaceHolderNode* GetNextPlaceHolder() const { return _ptNextPlaceHolder; }
    KxwDomPlaceHolderNode* GetPreviousPlaceHolder() const { return _ptPreviousPlaceHolder; }
    bool IsFirstPlaceHolderNode() const { return _ptPreviousPlaceHolder == nullptr; }
    // 1 for the first place holder.
    int GetIndexInPlaceHolderList() const;
    KxwDomPlaceHolderNode* GetLastPlaceHolder();
    // The place holder changes sides: the old real node's subtree is announced removed, the place holder leaves its
    // chain (a real node that keeps other place holders is announced added again, without this part) and joins
    // the chain of the new real node as the constructor does, whose subtree is then announced added.
    void SetRealNode(KxwDomNodeBase* mptRealNode);
    void SuspendRemoveFromList() { _bSuspendRemoveFromList = true; }

    // Which part of which node it holds; the content follows it in the dump like any node's children.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;

    // Makes the chain of mptPlaceHolder's real node lie wholly inside or wholly outside the subtree of mptTop:
    // the place holders on the other side than the real node's first one get a node of their own (the real
    // node's CloneForSplit), which *mpptClone receives (null when no split was needed). False when the clone could
    // not be made; the chain then stays as it was.
    static bool SplitChainAtSubtreeBoundary(KxwDomPlaceHolderNode* mptPlaceHolder, const KxwDomNodeBase* mptTop,
                                            KxwDomNodeBase** mpptClone);

    // Changes below the place holder are changes below its real node.
    void NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                    void* mpvNotificationObject) override;
    void NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                                  void* mpvNotificationObject) override;
    // The real node's start tag and inner-text share, from the first place holder only: the element is written once.
    void AddDataToInnerOuterHtml(KxwDomHtmlTextsStr& mrtText) const override;
    void AddDataToInnerText(std::u16string& mrdsText) const override;
    // Deletes its children (with notification when it has a document), then itself.
    void Release() override;

    // No script class of its own.
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    // The first place holder names its real node too, so that a walk over a detached subtree reaches it.
    void EnumerateSubtreeMembers(KxwDomSubtreeMemberSink& mrtSink) override;

private:
    friend class KxwDomNodeBase;
    friend class KxwDomCoreNode;

    // Leaves the chain; the first place holder hands the real node on to the next one, or, as the last, lets go
    // of it (released when mbRelease is set, else left without container).
    void RemoveFromList(bool mbRelease = true);
    // Joins the chain of mptRealNode as the constructor describes.
    void AttachToRealNode(KxwDomNodeBase* mptRealNode);
    // Links the place holders of mrtChain in order as the chain of mptRealNode, whose container becomes the first.
    static void RelinkChain(const std::vector<KxwDomPlaceHolderNode*>& mrtChain, KxwDomNodeBase* mptRealNode);

    KxwDomNodeBase* _ptRealNode;
    KxwDomPlaceHolderNode* _ptNextPlaceHolder = nullptr;
    KxwDomPlaceHolderNode* _ptPreviousPlaceHolder = nullptr;
    bool _bSuspendRemoveFromList = false;
};
