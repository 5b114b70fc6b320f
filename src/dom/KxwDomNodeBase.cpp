#include "KxwDomNodeBase.h"

#include <deque>
#include <memory>
#include <vector>

#include "KxwDomBindingUtil.h"
#include "KxwDomCoreDocument.h"
#include "KxwDomCoreNode.h"
#include "KxwDomDisconnectedSubtreeVisitor.h"
#include "KxwDomNodeCollections.h"
#include "KxwDomPlaceHolderNode.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomWatchDelete.h"
#include "KxwDomWatchStack.h"
#include "KxwJswClassInformation.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwJsval.h"

namespace {

bool DetailedTrace() {
    return xfbKxwTraceEnabled() && xfbKxwDetailedTraceEnabled();
}

// Tiny ids of "nodebase" as the class receives them (128 to 136).
enum : short {
    kIdNodeType = -128,
    kIdNodeName = -127,
    kIdChildNodes = -126,
    kIdFirstChild = -125,
    kIdLastChild = -124,
    kIdPreviousSibling = -123,
    kIdNextSibling = -122,
    kIdOwnerDocument = -121,
    kIdNodeValue = -120,
};

// What an engine object of a node in a document traces of the node itself: the user objects and values it holds,
// never its children (they keep their own engine objects).
class KxwDomOwnMembersTracer : public KxwDomSubtreeMemberSink {
public:
    explicit KxwDomOwnMembersTracer(KxwJswTracer& mrtTracer) : _rtTracer(mrtTracer) {}
    void AddUserObj(KxwJswUserObjBase* mptUserObj) override { _rtTracer.TraceUserObj(mptUserObj, "node member"); }
    void AddHeldValue(KxwJsvalHeap& mrtValue) override { mrtValue.Trace(_rtTracer, "node held value"); }
    void AddChild(KxwDomBase*) override {}

private:
    KxwJswTracer& _rtTracer;
};

// ---- Methods of "nodebase" ----

bool CheckNodeCall(const char* mpszCallbackName, KxwDomNodeBase* mptNode, KxwJswUserObjBase* mptUserObj,
                   unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType,
                   void** mppvRetVal, unsigned* mpnRetValLen, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    if (mptNode && mppvRetVal && mpnRetValLen && mpeRetValType && (mnArgc == 0 || (mpapvArgv && mpaeType))) return true;
    xfvKxwDomUtilInvalidJswMethodCallbackArgs(mpszCallbackName, mptNode, mptUserObj, mnArgc, mpapvArgv, mpanArgvLen,
                                              mpaeType, mppvRetVal, mpnRetValLen, mpeRetValType);
    return false;
}

bool hasChildNodes_callback(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen,
                            KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                            KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    auto* ptNode = KxwJswUserObjBase::ConvertToNodeBase(mptUserObj);
    if (!CheckNodeCall("KxwDomNodeBase::hasChildNodes_callback", ptNode, mptUserObj, mnArgc, mpapvArgv, mpanArgvLen,
                       mpaeType, mppvRetVal, mpnRetValLen, mpeRetValType))
        return false;
    *mppvRetVal = reinterpret_cast<void*>(static_cast<intptr_t>(ptNode->HasChildNodes() ? 1 : 0));
    *mpnRetValLen = 4;
    *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_BOOLEAN;
    return true;
}

bool removeNode_callback(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen,
                         KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                         KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    auto* ptNode = KxwJswUserObjBase::ConvertToNodeBase(mptUserObj);
    if (!CheckNodeCall("KxwDomNodeBase::removeNode_callback", ptNode, mptUserObj, mnArgc, mpapvArgv, mpanArgvLen,
                       mpaeType, mppvRetVal, mpnRetValLen, mpeRetValType))
        return false;
    // Without an argument the children stay in the page, as with false.
    bool bRemoveChildren = mnArgc > 0 && mpaeType[0] == KXW_JSW_OBJ_PROP_TYPE_BOOLEAN && mpapvArgv[0] != nullptr;
    KxwDomWatchDelete tWatch("KxwDomNodeBase::removeNode_callback", ptNode);
    if (!ptNode->RemoveNode(bRemoveChildren)) {
        xfvKxwDomUtilReportCatalogedMessage(xfeKxwUtilJavaScriptErrorSevLvl(), -35956,
                                            "KxwDomNodeBase::removeNode_callback", __LINE__, "removeNode");
        *mppvRetVal = nullptr;
        *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_NULL;
        return false;
    }
    if (tWatch.HasBeenDeleted()) {
        *mppvRetVal = nullptr;
        *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_NULL;
        return true;
    }
    *mppvRetVal = static_cast<KxwJswUserObjBase*>(ptNode);
    *mpnRetValLen = KXW_JSW_DOM_OBJECT_LEN;
    *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
    return true;
}

bool mergeAttributes_callback(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen,
                              KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                              KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    auto* ptNode = KxwJswUserObjBase::ConvertToNodeBase(mptUserObj);
    if (!CheckNodeCall("KxwDomNodeBase::mergeAttributes_callback", ptNode, mptUserObj, mnArgc, mpapvArgv, mpanArgvLen,
                       mpaeType, mppvRetVal, mpnRetValLen, mpeRetValType))
        return false;
    KxwDomNodeBase* ptSource = nullptr;
    if (mnArgc > 0 && mpaeType[0] == KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT)
        ptSource = KxwJswUserObjBase::ConvertToNodeBase(static_cast<KxwJswUserObjBase*>(mpapvArgv[0]));
    bool bPreserve = mnArgc < 2 || mpapvArgv[1] != nullptr;
    bool bOK = ptNode->MergeAttributes(ptSource, bPreserve);
    *mppvRetVal = nullptr;
    *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_UNDEFINED;
    return bOK;
}

const KxwJswPropertySpec katNodeBaseProperties[] = {
    {"nodeType", 128, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"nodeName", 129, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"childNodes", 130, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"firstChild", 131, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"lastChild", 132, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"previousSibling", 133, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"nextSibling", 134, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"ownerDocument", 135, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"nodeValue", 136, KXW_JSW_PROP_PERMANENT, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNodeBaseMethods[] = {
    {"hasChildNodes", hasChildNodes_callback, "", 0},
    {"removeNode", removeNode_callback, "b", 1},
    {"mergeAttributes", mergeAttributes_callback, "ob", 2},
    {nullptr, nullptr, nullptr, 0},
};

}  // namespace

const KxwJswClassInformation& KxwDomNodeBase::GetNodeBaseClassInformation() {
    static const KxwJswClassInformation ktClassInfo(nullptr, "nodebase", katNodeBaseProperties, katNodeBaseMethods);
    return ktClassInfo;
}

// ---------------------------------------------------------------------------------------------------------------
// Construction

KxwDomNodeBase::KxwDomNodeBase(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr)
    : KxwDomBase(mptMemMgr, static_cast<KxwDomBase*>(mptOwnerDocument)),
      _pptOwnerDocument(mptOwnerDocument ? mptOwnerDocument->GetDocumentPointer() : nullptr),
      _tNodeValue(GetDomEnv()) {
    if (!mptOwnerDocument) ReportNullOwnerDocument(mptMemMgr);
}

KxwDomNodeBase::KxwDomNodeBase(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler)
    : KxwDomBase(mptMemMgr, mptU16nHandler), _tNodeValue(GetDomEnv()) {}

KxwDomNodeBase::KxwDomNodeBase(KxwDomCoreDocument* mptOwnerDocument, KxwDomEnv& mrtDomEnv)
    : KxwDomBase(mrtDomEnv),
      _pptOwnerDocument(mptOwnerDocument ? mptOwnerDocument->GetDocumentPointer() : nullptr),
      _tNodeValue(GetDomEnv()) {
    if (!mptOwnerDocument) ReportNullOwnerDocument(mrtDomEnv.GetMemMgr());
}

void KxwDomNodeBase::ReportNullOwnerDocument(KxwMemMgr* mptMemMgr) const {
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "mptOwnerDocument is NULL for this=%p in KxwDomNodeBase(mptMemMgr=%p)",
                                          static_cast<const void*>(this), static_cast<void*>(mptMemMgr));
}

void KxwDomNodeBase::ForgetInAncestors(KxwDomCoreNode* mptThisAsCore) {
    KxwDomNodeBase* ptNode = this;
    while (ptNode) {
        for (KxwDomCoreNode* ptContainer = _ptParentNode; ptContainer; ptContainer = ptContainer->_ptParentNode)
            ptContainer->ForgetDeletedNode(ptNode);
        // The next node of the subtree in document order, by the child and sibling links.
        KxwDomCoreNode* ptCore = ptNode == this ? mptThisAsCore : (ptNode->AsCoreNode());
        if (ptCore && ptCore->_ptFirstChild) {
            ptNode = ptCore->_ptFirstChild;
            continue;
        }
        while (ptNode != this && !ptNode->_ptNextSibling) ptNode = ptNode->_ptParentNode;
        ptNode = ptNode == this ? nullptr : ptNode->_ptNextSibling;
    }
}

KxwDomNodeBase::~KxwDomNodeBase() {
    NotifyDeleted();
    if (_ptParentNode) ForgetInAncestors(nullptr);
    if (DetailedTrace())
        xfvKxwUtilReportTraceToFile("<%p>: ~KxwDomNodeBase(), GetMemMgr()=%p", static_cast<void*>(this),
                                    static_cast<void*>(GetMemMgr()));
    // A node deleted while still linked leaves its container's list whole, so that nothing points at it.
    if (_ptParentNode) {
        KxwDomCoreNode* ptContainer = _ptParentNode;
        bool bListed =
            _ptPreviousSibling ? _ptPreviousSibling->_ptNextSibling == this : ptContainer->_ptFirstChild == this;
        if (bListed) ptContainer->UnlinkChild(this);
        _ptParentNode = nullptr;
    } else if (_ptPreviousSibling || _ptNextSibling) {
        if (_ptPreviousSibling && _ptPreviousSibling->_ptNextSibling == this)
            _ptPreviousSibling->_ptNextSibling = _ptNextSibling;
        if (_ptNextSibling && _ptNextSibling->_ptPreviousSibling == this)
            _ptNextSibling->_ptPreviousSibling = _ptPreviousSibling;
    }
    _ptPreviousSibling = _ptNextSibling = nullptr;
}

void KxwDomNodeBase::AssignDomParentNode(KxwDomPropertyInfo& mrtPropertyInfo) const {
    if (KxwDomCoreNode* ptParent = GetDomParentNode())
        mrtPropertyInfo = static_cast<const KxwJswUserObjBase*>(ptParent);
    else
        mrtPropertyInfo.AssignNull();
}

// ---------------------------------------------------------------------------------------------------------------
// What the node is

const char16_t* KxwDomNodeBase::GetNodeNameU16n(unsigned* mpuLenInChars) const {
    if (mpuLenInChars) *mpuLenInChars = 0;
    return u"";
}

KxwDomNodeBase* KxwDomNodeBase::GetRealNode() {
    return this;
}

KxwDomCoreNode* KxwDomNodeBase::AsCoreNode() {
    return nullptr;
}

const char* KxwDomNodeBase::GetNodeTypeAsAscStr() const {
    return xfpszKxwDomGetNodeSubtypeText(GetNodeSubtype());
}

namespace {
// Never stored into, so it stays empty and is safe to read from every thread.
const KxwDomHtmlPropertyStr& EmptyProperty() {
    static KxwDomEnv tNoEnv(nullptr, static_cast<KxwU16nHandler*>(nullptr));
    static const KxwDomHtmlPropertyStr ktEmpty(tNoEnv);
    return ktEmpty;
}
}  // namespace

const KxwDomHtmlPropertyStr& KxwDomNodeBase::GetId() const {
    return EmptyProperty();
}

const KxwDomHtmlPropertyStr& KxwDomNodeBase::GetName() const {
    return EmptyProperty();
}

bool KxwDomNodeBase::IsElementNode() const {
    KXW_DOM_COMMON_NODE_TYPE_ENUM eType = GetNodeType();
    return eType == KXW_DOM_COMMON_NODE_TYPE_ELEMENT || eType == KXW_DOM_COMMON_NODE_TYPE_COMMENT;
}

// ---------------------------------------------------------------------------------------------------------------
// Navigation

bool KxwDomNodeBase::IsSplit() const {
    return _ptParentNode && _ptParentNode->IsPlaceHolder() &&
           static_cast<KxwDomPlaceHolderNode*>(_ptParentNode)->_ptRealNode == this;
}

KxwDomPlaceHolderNode* KxwDomNodeBase::GetFirstPlaceHolder() const {
    return IsSplit() ? static_cast<KxwDomPlaceHolderNode*>(_ptParentNode) : nullptr;
}

KxwDomCoreNode* KxwDomNodeBase::GetParentNode() const {
    KxwDomCoreNode* ptParent = _ptParentNode;
    while (ptParent && ptParent->IsPlaceHolder() && static_cast<KxwDomPlaceHolderNode*>(ptParent)->_ptRealNode == this)
        ptParent = ptParent->_ptParentNode;
    return ptParent;
}

KxwDomCoreNode* KxwDomNodeBase::GetDomParentNode() const {
    KxwDomCoreNode* ptParent = GetParentNode();
    if (!ptParent || !ptParent->IsPlaceHolder()) return ptParent;
    KxwDomNodeBase* ptReal = ptParent->GetRealNode();
    return ptReal ? ptReal->AsCoreNode() : nullptr;
}

KxwDomNodeBase* KxwDomNodeBase::GetTreeNode() {
    KxwDomPlaceHolderNode* ptFirst = GetFirstPlaceHolder();
    return ptFirst ? static_cast<KxwDomNodeBase*>(ptFirst) : this;
}

bool KxwDomNodeBase::HasChildNodes() const {
    return false;
}

namespace {

// What scripts see in the place of a node met in a child list: a first place holder is its real node; a later one
// is passed by going into its content (or past it when it is empty).
KxwDomNodeBase* ResolveForward(KxwDomNodeBase* mptNode) {
    while (mptNode && mptNode->IsPlaceHolder()) {
        auto* ptPlaceHolder = static_cast<KxwDomPlaceHolderNode*>(mptNode);
        if (ptPlaceHolder->IsFirstPlaceHolderNode() && ptPlaceHolder->GetRealNode())
            return ptPlaceHolder->GetRealNode();
        mptNode = ptPlaceHolder->GetFirstChild() ? ptPlaceHolder->GetFirstChild() : ptPlaceHolder->GetNextSibling();
    }
    return mptNode;
}

KxwDomNodeBase* ResolveBackward(KxwDomNodeBase* mptNode) {
    while (mptNode && mptNode->IsPlaceHolder()) {
        auto* ptPlaceHolder = static_cast<KxwDomPlaceHolderNode*>(mptNode);
        if (ptPlaceHolder->IsFirstPlaceHolderNode() && ptPlaceHolder->GetRealNode())
            return ptPlaceHolder->GetRealNode();
        mptNode = ptPlaceHolder->GetLastChild() ? ptPlaceHolder->GetLastChild() : ptPlaceHolder->GetPreviousSibling();
    }
    return mptNode;
}

// A first or last child as scripts see it: a place holder is its real node.
KxwDomNodeBase* ResolveChild(KxwDomNodeBase* mptChild) {
    if (mptChild && mptChild->IsPlaceHolder() && mptChild->GetRealNode()) return mptChild->GetRealNode();
    return mptChild;
}

}  // namespace

KxwDomNodeBase* KxwDomNodeBase::GetDomFirstChild() const {
    const KxwDomCoreNode* ptCore = AsCoreNode();
    if (!ptCore) return nullptr;
    KxwDomPlaceHolderNode* ptPlaceHolder = GetFirstPlaceHolder();
    if (!ptPlaceHolder) return ResolveChild(ptCore->_ptFirstChild);
    // The content of a split node starts with the first place holder that has any.
    for (; ptPlaceHolder; ptPlaceHolder = ptPlaceHolder->GetNextPlaceHolder())
        if (ptPlaceHolder->_ptFirstChild) return ResolveChild(ptPlaceHolder->_ptFirstChild);
    return nullptr;
}

KxwDomNodeBase* KxwDomNodeBase::GetDomLastChild() const {
    const KxwDomCoreNode* ptCore = AsCoreNode();
    if (!ptCore) return nullptr;
    KxwDomPlaceHolderNode* ptFirst = GetFirstPlaceHolder();
    if (!ptFirst) return ResolveChild(ptCore->_ptLastChild);
    KxwDomNodeBase* ptLast = nullptr;
    for (KxwDomPlaceHolderNode* ptPlaceHolder = ptFirst; ptPlaceHolder;
         ptPlaceHolder = ptPlaceHolder->GetNextPlaceHolder())
        if (ptPlaceHolder->_ptLastChild) ptLast = ptPlaceHolder->_ptLastChild;
    return ResolveChild(ptLast);
}

KxwDomNodeBase* KxwDomNodeBase::GetDomNextSibling() const {
    KxwDomPlaceHolderNode* ptFirst = GetFirstPlaceHolder();
    const KxwDomNodeBase* ptFrom = ptFirst ? ptFirst->GetLastPlaceHolder() : this;
    return ResolveForward(ptFrom->_ptNextSibling);
}

KxwDomNodeBase* KxwDomNodeBase::GetDomPreviousSibling() const {
    KxwDomPlaceHolderNode* ptFirst = GetFirstPlaceHolder();
    const KxwDomNodeBase* ptFrom = ptFirst ? static_cast<const KxwDomNodeBase*>(ptFirst) : this;
    return ResolveBackward(ptFrom->_ptPreviousSibling);
}

bool KxwDomNodeBase::IsDescendantOf(const KxwDomNodeBase* mptAncestor) const {
    if (!mptAncestor || mptAncestor == this) return false;
    for (const KxwDomCoreNode* ptContainer = _ptParentNode; ptContainer; ptContainer = ptContainer->_ptParentNode) {
        if (ptContainer == mptAncestor) return true;
        // Content under any place holder of a node is that node's content.
        if (ptContainer->IsPlaceHolder() &&
            static_cast<const KxwDomPlaceHolderNode*>(ptContainer)->_ptRealNode == mptAncestor)
            return true;
    }
    return false;
}

KxwDomNodeBase* KxwDomNodeBase::GetRoot() const {
    const KxwDomNodeBase* ptNode = this;
    while (ptNode->_ptParentNode) ptNode = ptNode->_ptParentNode;
    return const_cast<KxwDomNodeBase*>(ptNode);
}

// ---------------------------------------------------------------------------------------------------------------
// Document and value

KxwDomCoreDocument* KxwDomNodeBase::GetOwnerDocument(bool mbReportIfNull) const {
    KxwDomCoreDocument* ptDocument = _pptOwnerDocument ? *_pptOwnerDocument : nullptr;
    if (!ptDocument && mbReportIfNull)
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "ptHtmlDocument is NULL for pptHtmlDocument=%p, this=%p in KxwDomNodeBase::GetOwnerDocument",
            static_cast<void*>(_pptOwnerDocument), static_cast<const void*>(this));
    return ptDocument;
}

KxwDomCoreDocument* KxwDomNodeBase::GetDocumentOfNode() {
    if (IsDocument()) return static_cast<KxwDomCoreDocument*>(this);
    return GetOwnerDocument(false);
}

void KxwDomNodeBase::SetNodeValueDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    _tNodeValue.SetDcs(mpsfDcsStr, muDcsLenInBytes);
    OnNodeValueChanged();
}

void KxwDomNodeBase::SetNodeValueU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    _tNodeValue.SetU16n(mpwsfU16nStr, muU16nLenInChars);
    OnNodeValueChanged();
}

void KxwDomNodeBase::SetNodeValueParsed(const char* mpszParsedValue) {
    _tNodeValue.SetParsed(mpszParsedValue);
    OnNodeValueChanged();
}

void KxwDomNodeBase::OnNodeValueChanged() {}

// ---------------------------------------------------------------------------------------------------------------
// Notification of ancestors

void KxwDomNodeBase::NotifyAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                                     void* mpvNotificationObject) {
    // A subject that is the node itself is watched with it: no handler may receive it once it is gone.
    NotifyAncestorsFrom(this, meNotificationType, mpvNotificationSubject, mpvNotificationObject,
                        mpvNotificationSubject == this ? this : nullptr);
}

void KxwDomNodeBase::NotifyAncestorsFrom(KxwDomNodeBase* mptFirst, KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                         void* mpvNotificationSubject, void* mpvNotificationObject,
                                         KxwDomBase* mptWatchedSubject) {
    static const char kszLabel[] = "NotifyThis from NotifyAncestors";
    KxwDomWatchDelete tWatchSubject(kszLabel, mptWatchedSubject);
    KxwDomCoreNode* ptContainer = mptFirst ? mptFirst->GetParentNode() : nullptr;
    if (ptContainer && ptContainer != mptFirst && !ptContainer->WantsNotifications()) {
        KxwDomCoreDocument* ptDocument = ptContainer->GetOwnerDocument(false);
        if (KxwDomNodeBase* ptTop = ptDocument ? ptDocument->FindQuietPath(ptContainer) : nullptr) {
            // Only the document would run anything: one level, started by the node just below it.
            KxwDomWatchDelete tWatchTop(kszLabel, ptTop);
            ptDocument->NotifyThis(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
            if (tWatchSubject.HasBeenDeleted() || tWatchTop.HasBeenDeleted()) return;
            if (KxwDomCoreNode* ptParent = ptTop->GetParentNode())
                ptParent->NotifyThisAfterAncestors(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
            return;
        }
    }
    // One level per ancestor, each watching the node that started it.
    KxwDomWatchStack tLevels(kszLabel);
    // A walk that meets nobody but the document at the top shows a quiet path from the first container.
    uint64_t ullGeneration = KxwDomCoreNode::GetTreeShapeGeneration();
    KxwDomCoreNode* ptOnlyNotified = nullptr;
    KxwDomNodeBase* ptOnlyLevelNode = nullptr;
    KxwDomNodeBase* ptNode = mptFirst;
    while (ptNode) {
        KxwDomCoreNode* ptParent = ptNode->GetParentNode();
        if (!ptParent || ptParent == ptNode) break;
        // Nothing would run there, now or on the way down: no level, no call.
        if (!ptParent->WantsNotifications()) {
            ptNode = ptParent;
            continue;
        }
        tLevels.Push(ptNode);
        ptOnlyNotified = tLevels.Size() == 1 ? ptParent : nullptr;
        ptOnlyLevelNode = ptNode;
        ptParent->NotifyThis(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
        if (tWatchSubject.HasBeenDeleted()) return;
        if (tLevels.Top().HasBeenDeleted()) {
            // The level stops here: no further ancestors, and no after-call from it.
            tLevels.Pop();
            break;
        }
        ptNode = ptNode->GetParentNode();
    }
    if (ptOnlyNotified && ptOnlyNotified->IsDocument() && !ptOnlyNotified->GetParentNode() &&
        ptContainer != ptOnlyNotified && ptContainer && !ptContainer->IsPlaceHolder())
        static_cast<KxwDomCoreDocument*>(ptOnlyNotified)
            ->RememberQuietPath(ptContainer, ptOnlyLevelNode, ullGeneration);
    while (!tLevels.IsEmpty()) {
        if (tWatchSubject.HasBeenDeleted()) return;
        if (KxwDomBase* ptLevelNode = tLevels.Top().GetEffectiveWatchedPtr()) {
            if (KxwDomCoreNode* ptParent = static_cast<KxwDomNodeBase*>(ptLevelNode)->GetParentNode())
                ptParent->NotifyThisAfterAncestors(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
        }
        tLevels.Pop();
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Letting go

bool KxwDomNodeBase::IsSubtreeReachableFromScripts() {
    KxwDomDisconnectedSubtreeVisitor tProbe(KXW_DOM_SUBTREE_VISIT_MODE_PROBE);
    return tProbe.Visit(this);
}

void KxwDomNodeBase::Release() {
    KxwDomCoreDocument* ptDocument = GetOwnerDocument(false);
    if (ptDocument && IsSubtreeReachableFromScripts()) {
        _ptPreviousSibling = _ptNextSibling = nullptr;
        ptDocument->AddToDisconnectedNodesList(this);
        if (IsOnDisconnectedNodesList()) {
            if (ptDocument->IsParseUnderWay()) _bLeftTreeDuringParse = true;
            return;
        }
    }
    if (ptDocument && ptDocument->IsParseUnderWay()) {
        ptDocument->RetireNode(this);
        return;
    }
    delete this;
}

bool KxwDomNodeBase::IsDeletionDeferred() {
    // A subtree a script took out of the tree while the page was being built: the parser may still append to it.
    if (!_bLeftTreeDuringParse) return false;
    KxwDomCoreDocument* ptDocument = GetOwnerDocument(false);
    return ptDocument && ptDocument->IsParseUnderWay();
}

void KxwDomNodeBase::RemoveFromParent(bool) {
    if (KxwDomCoreNode* ptParent = GetDomParentNode()) ptParent->RemoveChild(this);
}

bool KxwDomNodeBase::RemoveNode(bool mbRemoveChildren) {
    KxwDomWatchDelete tWatch("KxwDomNodeBase::RemoveNode", this);
    KxwDomCoreNode* ptCore = AsCoreNode();
    if (!mbRemoveChildren && ptCore && GetDomParentNode()) {
        // The children take the node's place, in order, before it goes.
        std::vector<KxwDomNodeBase*> tChildren;
        KxwDomPlaceHolderNode* ptFirst = GetFirstPlaceHolder();
        if (ptFirst) {
            for (KxwDomPlaceHolderNode* ptPlaceHolder = ptFirst; ptPlaceHolder;
                 ptPlaceHolder = ptPlaceHolder->GetNextPlaceHolder())
                for (KxwDomNodeBase* ptChild = ptPlaceHolder->_ptFirstChild; ptChild; ptChild = ptChild->_ptNextSibling)
                    tChildren.push_back(ptChild);
        } else {
            for (KxwDomNodeBase* ptChild = ptCore->_ptFirstChild; ptChild; ptChild = ptChild->_ptNextSibling)
                tChildren.push_back(ptChild);
        }
        std::deque<KxwDomWatchDelete> tChildWatches;
        for (KxwDomNodeBase* ptChild : tChildren) tChildWatches.emplace_back("KxwDomNodeBase::RemoveNode", ptChild);
        for (KxwDomWatchDelete& rtChildWatch : tChildWatches) {
            auto* ptChild = static_cast<KxwDomNodeBase*>(rtChildWatch.GetEffectiveWatchedPtr());
            KxwDomCoreNode* ptParent = GetDomParentNode();
            if (!ptParent) break;
            if (ptChild && ptChild->IsDescendantOf(this) && !ptParent->InsertBefore(ptChild, this)) return false;
            if (tWatch.HasBeenDeleted()) return true;
        }
    }
    KxwDomCoreNode* ptParent = GetDomParentNode();
    return !ptParent || ptParent->RemoveChild(this) != nullptr;
}

void KxwDomNodeBase::UpdateCollectionDependency(KxwDomNodeBase*) {}

void KxwDomNodeBase::OnAddedToTree() {}

KxwJswGlobal* KxwDomNodeBase::GetJsiHomeGlobal() {
    KxwDomCoreDocument* ptDocument = _pptOwnerDocument ? *_pptOwnerDocument : nullptr;
    if (!ptDocument && GetNodeType() == KXW_DOM_COMMON_NODE_TYPE_DOCUMENT)
        ptDocument = static_cast<KxwDomCoreDocument*>(this);
    return ptDocument ? ptDocument->GetHomeGlobal() : nullptr;
}

bool KxwDomNodeBase::MergeAttributes(KxwDomNodeBase*, bool) {
    JavaScriptMissingSupport("mergeAttributes of a node that is not an element");
    return true;
}

KxwDomNodeBase* KxwDomNodeBase::CloneForSplit() {
    return nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// The wrapper's operations

const KxwJswClassInformation* KxwDomNodeBase::GetClassInformation() const {
    return &GetNodeBaseClassInformation();
}

bool KxwDomNodeBase::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdNodeType:
            if (GetNodeType() == KXW_DOM_COMMON_NODE_TYPE_INTERNAL)
                mrtPropertyInfo.AssignUndefined();
            else
                mrtPropertyInfo = static_cast<int>(GetNodeType());
            return true;
        case kIdNodeName: {
            unsigned uLen = 0;
            const char16_t* pwsfName = GetNodeNameU16n(&uLen);
            mrtPropertyInfo.AssignU16nStr(pwsfName, uLen, true);
            return true;
        }
        case kIdChildNodes: {
            KxwDomCoreNode* ptCore = AsCoreNode();
            KxwDomHtmlCollectionGeneral* ptChildNodes = ptCore ? ptCore->GetChildNodes() : nullptr;
            KxwJswUserObjBase* ptUserObj =
                ptChildNodes ? KxwDomNodeCollections::Current().ToUserObj(ptChildNodes) : nullptr;
            mrtPropertyInfo.AssignDomObjectOrNull(ptUserObj);
            return true;
        }
        case kIdFirstChild:
            mrtPropertyInfo.AssignDomObjectOrNull(GetDomFirstChild());
            return true;
        case kIdLastChild:
            mrtPropertyInfo.AssignDomObjectOrNull(GetDomLastChild());
            return true;
        case kIdPreviousSibling:
            mrtPropertyInfo.AssignDomObjectOrNull(GetDomPreviousSibling());
            return true;
        case kIdNextSibling:
            mrtPropertyInfo.AssignDomObjectOrNull(GetDomNextSibling());
            return true;
        case kIdOwnerDocument:
            mrtPropertyInfo.AssignDomObjectOrNull(GetOwnerDocument(false));
            return true;
        case kIdNodeValue:
            mrtPropertyInfo = _tNodeValue;
            return true;
        default:
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomNodeBase", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomNodeBase::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdNodeValue) return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomNodeBase", mnTinyId);
    _tNodeValue = mrtPropertyInfo;
    OnNodeValueChanged();
    return true;
}

bool KxwDomNodeBase::GetShouldBeDeletedAtFinalize() {
    // Only a detached root belongs to its engine object: a parked one, or one on the process heap.
    if (_ptParentNode || IsDocument()) return false;
    return _bOnDisconnectedNodesList || GetMemMgr() == nullptr;
}

bool KxwDomNodeBase::GetShouldAddJSRoot() {
    return GetRoot()->IsDocument();
}

void KxwDomNodeBase::TraceFromJsiObj(KxwJswTracer& mrtTracer) {
    KxwDomNodeBase* ptRoot = GetRoot();
    if (ptRoot == this && !IsDocument()) {
        // The root of a detached subtree keeps every member's engine object and held values.
        KxwDomDisconnectedSubtreeVisitor tVisitor(KXW_DOM_SUBTREE_VISIT_MODE_TRACE, &mrtTracer);
        tVisitor.Visit(this);
        return;
    }
    if (!ptRoot->IsDocument()) mrtTracer.TraceUserObj(ptRoot, "detached subtree root");
    KxwDomOwnMembersTracer tOwnMembers(mrtTracer);
    EnumerateSubtreeMembers(tOwnMembers);
}

KxwJswUserObjBase* KxwDomNodeBase::GetJswScopeParentUserObj() {
    return GetDomParentNode();
}

// ---------------------------------------------------------------------------------------------------------------
// Hierarchy dump

void KxwDomNodeBase::PrintMeAndSubHierarchy(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    if (!xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    // Pre-order by the links alone, so that a page's tree of any depth prints without recursion.
    const KxwDomNodeBase* ptNode = this;
    int iIndent = miIndent;
    for (;;) {
        ptNode->PrintMe(iIndent, meSevLvl, mulMask);
        const KxwDomCoreNode* ptCore = ptNode->AsCoreNode();
        if (ptCore && ptCore->GetFirstChild()) {
            ptNode = ptCore->GetFirstChild();
            ++iIndent;
            continue;
        }
        while (ptNode != this && !ptNode->GetNextSibling()) {
            const KxwDomNodeBase* ptContainer = ptNode->GetContainerNode();
            if (!ptContainer) {
                xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                      "Child %p without container in "
                                                      "KxwDomNodeBase::PrintMeAndSubHierarchy for this=%p",
                                                      static_cast<const void*>(ptNode), static_cast<const void*>(this));
                return;
            }
            ptNode = ptContainer;
            --iIndent;
        }
        if (ptNode == this) return;
        ptNode = ptNode->GetNextSibling();
    }
}

void KxwDomNodeBase::AddDataToInnerOuterHtml(KxwDomHtmlTextsStr&) const {
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "KxwDomNodeBase::AddDataToInnerOuterHtml is called");
}

void KxwDomNodeBase::GetPrintingTagAndAttributes(std::string& mrdsTag, std::string& mrdsAttributes) const {
    unsigned uLen = 0;
    const char16_t* pwsfName = GetNodeNameU16n(&uLen);
    std::string dsName = xfdsKxwDomUtilU16ToUtf8(pwsfName, uLen);
    mrdsTag = GetPrintableText(dsName.data(), dsName.size(), kPrintedTagLen);
    mrdsAttributes.clear();
}
