#include "KxwDomCoreDocument.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwJswEngine.h"

namespace {

constexpr short kIdDocumentElement = -39;  // 217, after the event target's handler properties

const KxwJswPropertySpec katCoreDocumentProperties[] = {
    {"documentElement", 217, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katCoreDocumentMethods[] = {{nullptr, nullptr, nullptr, 0}};

const KxwJswClassInformation& CoreDocumentClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&KxwDomEventTarget::GetEventTargetClassInformation(),
                                                    "coredocument", katCoreDocumentProperties, katCoreDocumentMethods);
    return ktClassInfo;
}

}  // namespace

KxwDomCoreDocument::KxwDomCoreDocument(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler,
                                       KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype)
    : KxwDomEventTarget(mptMemMgr, mptU16nHandler, KXW_DOM_COMMON_NODE_TYPE_DOCUMENT, meSubtype),
      _ptDocumentPointer(this),
      _eSubtype(meSubtype) {
    _bIsDocument = true;
    SetWantsEveryNotification();
    _tDocumentElementWatch.SetCallingFuncName("KxwDomCoreDocument::SetDocumentElement");
}

KxwDomCoreDocument::~KxwDomCoreDocument() {
    // From now on nodes find no document: whatever goes is deleted at once, nothing is parked.
    _ptDocumentPointer = nullptr;
    SetDocumentElement(nullptr);
    DeleteChildren(false);
    DoOnResetOrDestructor();
    DeleteRetiredNodes();
}

const char16_t* KxwDomCoreDocument::GetNodeNameU16n(unsigned* mpuLenInChars) const {
    if (mpuLenInChars) *mpuLenInChars = 9;
    return u"#document";
}

KxwDomNodeBase* KxwDomCoreDocument::GetDocumentElement() const {
    return _tDocumentElementWatch.GetEffectiveWatchedPtr() ? _ptDocumentElement : nullptr;
}

void KxwDomCoreDocument::SetDocumentElement(KxwDomNodeBase* mptDocumentElement) {
    _tDocumentElementWatch.Reset();
    _ptDocumentElement = mptDocumentElement;
    if (mptDocumentElement) _tDocumentElementWatch.ActivateWatch(mptDocumentElement);
}

void KxwDomCoreDocument::NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                                    void* mpvNotificationObject) {
    KxwDomWatchDelete tWatchThis("KxwDomCoreDocument::NotifyThis", this);
    KxwDomEventTarget::NotifyThis(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
    if (tWatchThis.HasBeenDeleted()) return;
    // A document element that leaves the tree is the document's no longer.
    auto* ptSubject = static_cast<KxwDomNodeBase*>(mpvNotificationSubject);
    KxwDomNodeBase* ptDocumentElement = GetDocumentElement();
    if (!ptSubject || !ptDocumentElement) return;
    if ((meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED && ptSubject == ptDocumentElement) ||
        (meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_DELETING_DESCENDANTS &&
         ptDocumentElement->IsDescendantOf(ptSubject)))
        SetDocumentElement(nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// Quiet paths

KxwDomNodeBase* KxwDomCoreDocument::FindQuietPath(KxwDomCoreNode* mptContainer) {
    if (!mptContainer || _ullQuietGeneration != KxwDomCoreNode::GetTreeShapeGeneration()) return nullptr;
    for (const QuietPath& rtPath : _atQuietPaths)
        if (rtPath._ptContainer == mptContainer) return rtPath._ptTop;
    // One level below a remembered container (no place holder: their moves are not announced).
    KxwDomCoreNode* ptAbove = mptContainer->GetContainerNode();
    if (!ptAbove || mptContainer->IsPlaceHolder() || mptContainer->WantsNotifications()) return nullptr;
    for (const QuietPath& rtPath : _atQuietPaths) {
        if (rtPath._ptContainer != ptAbove) continue;
        KxwDomNodeBase* ptTop = rtPath._ptTop;
        RememberQuietPath(mptContainer, ptTop, _ullQuietGeneration);
        return ptTop;
    }
    return nullptr;
}

void KxwDomCoreDocument::RememberQuietPath(KxwDomCoreNode* mptContainer, KxwDomNodeBase* mptTop,
                                           uint64_t mullGeneration) {
    if (mullGeneration != KxwDomCoreNode::GetTreeShapeGeneration()) return;
    if (_ullQuietGeneration != mullGeneration) {
        for (QuietPath& rtPath : _atQuietPaths) rtPath = QuietPath{};
        _ullQuietGeneration = mullGeneration;
    }
    _atQuietPaths[_uNextQuietPath] = QuietPath{mptContainer, mptTop};
    _uNextQuietPath = (_uNextQuietPath + 1) % kQuietPaths;
}

// ---------------------------------------------------------------------------------------------------------------
// Disconnected nodes

void KxwDomCoreDocument::AddToDisconnectedNodesList(KxwDomNodeBase* mptDisconnectedNodeBase) {
    KxwDomDisconnectedNode* ptDisconnectedNode = nullptr;
    bool bTaken = mptDisconnectedNodeBase && mptDisconnectedNodeBase->GetOwnerDocument(false) == this &&
                  !mptDisconnectedNodeBase->IsPlaceHolder() && !mptDisconnectedNodeBase->IsDocument() &&
                  !mptDisconnectedNodeBase->_bOnDisconnectedNodesList;
    if (bTaken) {
        ptDisconnectedNode = _tDisconnectedNodesList.Push(mptDisconnectedNodeBase);
        mptDisconnectedNodeBase->_bOnDisconnectedNodesList = true;
        // The engine object owns the root from now on: without one nothing would ever delete it before a reset.
        mptDisconnectedNodeBase->CreateJsiObj();
    }
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "mptDisconnectedNodeBase=%p %s to _tDisconnectedNodesList, ptDisconnectedNode=%p in "
            "KxwDomCoreDocument::AddToDisconnectedNodesList for this=%p. mptDisconnectedNodeBase->GetMemMgr()=%p, "
            "GetMemMgr()=%p",
            static_cast<void*>(mptDisconnectedNodeBase), bTaken ? "added" : "NOT added",
            static_cast<void*>(ptDisconnectedNode), static_cast<void*>(this),
            static_cast<void*>(mptDisconnectedNodeBase ? mptDisconnectedNodeBase->GetMemMgr() : nullptr),
            static_cast<void*>(GetMemMgr()));
}

void KxwDomCoreDocument::RemoveFromDisconnectedNodesList(KxwDomNodeBase* mptNodeBase) {
    if (!mptNodeBase || !mptNodeBase->_bOnDisconnectedNodesList || _tDisconnectedNodesList.IsEmpty() ||
        mptNodeBase->GetOwnerDocument(false) != this)
        return;
    KxwDomDisconnectedNode* ptRemovedRecord = nullptr;
    if (!_tDisconnectedNodesList.Remove(mptNodeBase, &ptRemovedRecord)) return;
    mptNodeBase->_bOnDisconnectedNodesList = false;
    // An engine object that died meanwhile queued the node for deletion: its parent owns it now.
    if (!mptNodeBase->HasJsiObj())
        if (KxwJswEngine* ptEngine = KxwJswEngine::Current()) ptEngine->ForgetPendingDelete(mptNodeBase);
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "ptReferencedNode=%p removed from _tDisconnectedNodesList, tIter=%pin "
            "KxwDomCoreDocument::RemoveFromDisconnectedNodesList for this=%p",
            static_cast<void*>(mptNodeBase), static_cast<void*>(ptRemovedRecord), static_cast<void*>(this));
}

bool KxwDomCoreDocument::IsOnDisconnectedNodesList(const KxwDomNodeBase* mptNodeBase) const {
    for (const KxwDomDisconnectedNode* ptRecord = _tDisconnectedNodesList.GetHead(); ptRecord;
         ptRecord = ptRecord->GetNext())
        if (ptRecord->GetReferencedNode() == mptNodeBase && mptNodeBase) return true;
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// Reset

void KxwDomCoreDocument::Reset() {
    KxwDomWatchDelete tWatchThis("KxwDomCoreDocument::Reset", this);
    SetDocumentElement(nullptr);
    DeleteAllChildrenAtOnce();
    if (!tWatchThis.HasBeenDeleted()) DoOnResetOrDestructor();
}

void KxwDomCoreDocument::DeleteAllChildrenAtOnce() {
    KxwDomWatchDelete tWatchThis("KxwDomCoreDocument::DeleteAllChildrenAtOnce", this);
    if (!IsParseUnderWay() && !IsScriptUnderWay()) _ptDocumentPointer = nullptr;
    DeleteChildren(false);
    if (!tWatchThis.HasBeenDeleted()) _ptDocumentPointer = this;
}

void KxwDomCoreDocument::RetireNode(KxwDomNodeBase* mptNode) {
    if (!mptNode) return;
    mptNode->_ptPreviousSibling = mptNode->_ptNextSibling = nullptr;
    _tRetiredNodes.push_back(mptNode);
}

void KxwDomCoreDocument::DeleteRetiredNodes() {
    // Deleting one may retire more (a destructor's own deletions run while a later parse is under way): the list
    // is taken whole each time round.
    while (!_tRetiredNodes.empty()) {
        std::vector<KxwDomNodeBase*> tNodes;
        tNodes.swap(_tRetiredNodes);
        for (KxwDomNodeBase* ptNode : tNodes) delete ptNode;
    }
}

void KxwDomCoreDocument::DoOnResetOrDestructor() {
    // Parked nodes that scripts hold may be nodes a parser under way still builds into: they stay parked and go
    // with the collections that find them unreachable, after the parse.
    if (IsParseUnderWay() || IsScriptUnderWay()) return;
    // The records keep watching while the nodes go, so that a node deleted with an earlier one is not met again.
    KxwDomDisconnectedNode* ptRecord = _tDisconnectedNodesList.TakeAll();
    while (ptRecord) {
        KxwDomDisconnectedNode* ptNext = ptRecord->GetNext();
        KxwDomNodeBase* ptReferencedNode = ptRecord->GetReferencedNode();
        KxwDomDisconnectedNode::Destroy(ptRecord);
        if (ptReferencedNode) {
            ptReferencedNode->_bOnDisconnectedNodesList = false;
            if (KxwDomCoreNode* ptParent = ptReferencedNode->GetParentNode()) {
                // Its parent owns it: deleting it here would tear the parent's list.
                xfvKxwUtilReportInternalErrorBySevLvl(
                    KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                    "ptReferencedNode has a parent-node in KxwDomCoreDocument::DoOnResetOrDestructor for this=%p, "
                    "ptReferencedNode=%p ptReferencedNode->GetParentNode()=%p",
                    static_cast<void*>(this), static_cast<void*>(ptReferencedNode), static_cast<void*>(ptParent));
            } else {
                delete ptReferencedNode;
            }
        }
        ptRecord = ptNext;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// The wrapper's operations

const KxwJswClassInformation& KxwDomCoreDocument::GetCoreDocumentClassInformation() {
    return CoreDocumentClassInformation();
}

const KxwJswClassInformation* KxwDomCoreDocument::GetClassInformation() const {
    return &CoreDocumentClassInformation();
}

bool KxwDomCoreDocument::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kIdDocumentElement) return KxwDomEventTarget::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    if (mnTinyId != kIdDocumentElement)
        return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomCoreDocument", mnTinyId, mrtPropertyInfo);
    if (KxwDomNodeBase* ptDocumentElement = GetDocumentElement())
        mrtPropertyInfo = static_cast<const KxwJswUserObjBase*>(ptDocumentElement);
    else
        mrtPropertyInfo.AssignNull();
    return true;
}

bool KxwDomCoreDocument::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kIdDocumentElement) return KxwDomEventTarget::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomCoreDocument", mnTinyId);
}

void KxwDomCoreDocument::PrintDisconnectedNodesList(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl) const {
    if (!xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    int iIndent = GetPrintingEffectiveIndent(miIndent);
    xfvKxwUtilReportBySevLvl(meSevLvl, "%*s\"DisconnectedNodesList\" : Length=%d", iIndent, "",
                             static_cast<int>(_tDisconnectedNodesList.GetSize()));
    int iItemIndent = GetPrintingEffectiveIndent(miIndent + 1);
    unsigned long uliIndex = 0;
    for (const KxwDomDisconnectedNode* ptRecord = _tDisconnectedNodesList.GetHead(); ptRecord;
         ptRecord = ptRecord->GetNext(), ++uliIndex)
        xfvKxwUtilReportBySevLvl(meSevLvl, "%*s[%3lu] ReferencedNode=%p:", iItemIndent, "", uliIndex,
                                 static_cast<const void*>(ptRecord->GetReferencedNode()));
    xfvKxwUtilReportBySevLvl(meSevLvl, "%*sEnd DisconnectedNodesList Dump", iIndent, "");
}
