#include "KxwDomHtmlCollection.h"

#include <cstring>
#include <new>
#include <string>

#include "KxwDomBindingUtil.h"
#include "KxwDomCoreNode.h"
#include "KxwDomHtmlCollectionMap.h"
#include "KxwDomHtmlDynamicCollection.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"
#include "KxwMemMgr.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "maw_alloc.h"

namespace {

constexpr short kIdLength = -128;  // 128

bool DetailedTrace() {
    return xfbKxwTraceEnabled() && xfbKxwDetailedTraceEnabled();
}

// A canonical non-negative decimal ("0", "17"; not "017", "-1", "1.5"), the form an index takes as a string.
bool ParseIndex(const std::string& mdsText, unsigned long* mpuliIndex) {
    if (mdsText.empty() || mdsText.size() > 10 || (mdsText.size() > 1 && mdsText[0] == '0')) return false;
    unsigned long uliIndex = 0;
    for (char c : mdsText) {
        if (c < '0' || c > '9') return false;
        uliIndex = uliIndex * 10 + static_cast<unsigned long>(c - '0');
    }
    *mpuliIndex = uliIndex;
    return true;
}

void SetResult(KxwJswUserObjBase* mptResult, void** mppvRetVal, unsigned* mpnRetValLen,
               KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    *mppvRetVal = mptResult;
    *mpnRetValLen = mptResult ? KXW_JSW_DOM_OBJECT_LEN : 0;
    *mpeRetValType = mptResult ? KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT : KXW_JSW_OBJ_PROP_TYPE_NULL;
}

// The common checks of the script methods: a collection, out-pointers, and string arguments where given.
KxwDomHtmlCollectionGeneral* CheckCall(const char* mpszCallbackName, KxwJswUserObjBase* mptUserObj, unsigned mnArgc,
                                       void** mpapvArgv, unsigned* mpanArgvLen, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType,
                                       void** mppvRetVal, unsigned* mpnRetValLen,
                                       KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    auto* ptThis = dynamic_cast<KxwDomHtmlCollectionGeneral*>(mptUserObj);
    bool bOK = ptThis && mppvRetVal && mpnRetValLen && mpeRetValType && (mnArgc == 0 || (mpapvArgv && mpaeType));
    if (!bOK) {
        xfvKxwDomUtilInvalidJswMethodCallbackArgs(mpszCallbackName, ptThis, mptUserObj, mnArgc, mpapvArgv, mpanArgvLen,
                                                  mpaeType, mppvRetVal, mpnRetValLen, mpeRetValType);
        return nullptr;
    }
    return ptThis;
}

std::string StringArg(unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType,
                      unsigned muIndex) {
    if (muIndex >= mnArgc || mpaeType[muIndex] != KXW_JSW_OBJ_PROP_TYPE_STRING || !mpanArgvLen) return std::string();
    return xfdsKxwDomUtilU16ToUtf8(static_cast<const char16_t*>(mpapvArgv[muIndex]), mpanArgvLen[muIndex]);
}

bool item_callback(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen,
                   KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                   KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    KxwDomHtmlCollectionGeneral* ptThis =
        CheckCall("KxwDomHtmlCollectionGeneral::item_callback", mptUserObj, mnArgc, mpapvArgv, mpanArgvLen, mpaeType,
                  mppvRetVal, mpnRetValLen, mpeRetValType);
    if (!ptThis) return false;
    SetResult(nullptr, mppvRetVal, mpnRetValLen, mpeRetValType);
    if (mnArgc == 0 || mpaeType[0] != KXW_JSW_OBJ_PROP_TYPE_STRING) return true;
    std::string dsArg = StringArg(mnArgc, mpapvArgv, mpanArgvLen, mpaeType, 0);
    unsigned long uliIndex = 0;
    if (ParseIndex(dsArg, &uliIndex)) {
        if (uliIndex >= ptThis->GetLength() && ptThis->IsFailExcessiveItemIndex()) {
            xfvKxwDomUtilReportCatalogedMessage(xfeKxwUtilJavaScriptErrorSevLvl(), -35958,
                                                "KxwDomHtmlCollectionGeneral::item_callback", __LINE__, "item");
            return false;
        }
        SetResult(ptThis->GetItem(uliIndex), mppvRetVal, mpnRetValLen, mpeRetValType);
        return true;
    }
    KxwDomBase* ptAnswer = ptThis->GetItem(dsArg.c_str(), true);
    if (mnArgc >= 2 && mpaeType[1] == KXW_JSW_OBJ_PROP_TYPE_STRING && ptAnswer) {
        // A sub-index picks one of the nodes that share the name.
        unsigned long uliSubIndex = 0;
        std::string dsSub = StringArg(mnArgc, mpapvArgv, mpanArgvLen, mpaeType, 1);
        if (!ParseIndex(dsSub, &uliSubIndex)) return true;
        if (auto* ptCollection = dynamic_cast<KxwDomHtmlCollectionGeneral*>(ptAnswer))
            ptAnswer = ptCollection->GetItem(uliSubIndex);
        else if (uliSubIndex != 0)
            ptAnswer = nullptr;
    }
    SetResult(ptAnswer, mppvRetVal, mpnRetValLen, mpeRetValType);
    return true;
}

bool namedItem_callback(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen,
                        KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                        KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    KxwDomHtmlCollectionGeneral* ptThis =
        CheckCall("KxwDomHtmlCollectionGeneral::namedItem_callback", mptUserObj, mnArgc, mpapvArgv, mpanArgvLen,
                  mpaeType, mppvRetVal, mpnRetValLen, mpeRetValType);
    if (!ptThis) return false;
    SetResult(nullptr, mppvRetVal, mpnRetValLen, mpeRetValType);
    if (mnArgc == 0) return true;
    std::string dsName = StringArg(mnArgc, mpapvArgv, mpanArgvLen, mpaeType, 0);
    SetResult(ptThis->GetItem(dsName.c_str(), true), mppvRetVal, mpnRetValLen, mpeRetValType);
    return true;
}

bool tags_callback(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen,
                   KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                   KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    KxwDomHtmlCollectionGeneral* ptThis =
        CheckCall("KxwDomHtmlCollectionGeneral::tags_callback", mptUserObj, mnArgc, mpapvArgv, mpanArgvLen, mpaeType,
                  mppvRetVal, mpnRetValLen, mpeRetValType);
    if (!ptThis) return false;
    SetResult(nullptr, mppvRetVal, mpnRetValLen, mpeRetValType);
    if (mnArgc == 0 || mpaeType[0] != KXW_JSW_OBJ_PROP_TYPE_STRING || !mpanArgvLen) return true;
    SetResult(ptThis->GetTags(static_cast<const char16_t*>(mpapvArgv[0]), mpanArgvLen[0]), mppvRetVal, mpnRetValLen,
              mpeRetValType);
    return true;
}

const KxwJswPropertySpec katHtmlCollectionProperties[] = {
    {"length", 128, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katHtmlCollectionMethods[] = {
    {"item", item_callback, "SS", 2},
    {"tags", tags_callback, "S", 1},
    {"namedItem", namedItem_callback, "S", 1},
    {nullptr, nullptr, nullptr, 0},
};

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Construction

KxwDomHtmlCollectionGeneral::KxwDomHtmlCollectionGeneral(KxwDomEnv& mrtDomEnv)
    : KxwDomBase(mrtDomEnv), _tItems(GetMemMgr()) {
    if (DetailedTrace())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomHtmlCollectionGeneral(&mrtDomEnv=%p)", static_cast<void*>(this),
                                    static_cast<void*>(&mrtDomEnv));
}

KxwDomHtmlCollectionGeneral::KxwDomHtmlCollectionGeneral(KxwMemMgr* mptMemMgrOrNull)
    : KxwDomBase(mptMemMgrOrNull, static_cast<KxwDomBase*>(nullptr)), _tItems(GetMemMgr()) {
    if (DetailedTrace())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomHtmlCollectionGeneral(&mptMemMgrOrNull=%p)", static_cast<void*>(this),
                                    static_cast<void*>(mptMemMgrOrNull));
}

KxwDomHtmlCollectionGeneral::~KxwDomHtmlCollectionGeneral() {
    // The dynamic collections belong to this one: they go first, so none is told of the items leaving.
    if (KxwDomHtmlDynamicCollections* ptDynamics = _ptDynamics) {
        _ptDynamics = nullptr;
        ptDynamics->~KxwDomHtmlDynamicCollections();
        xfvKxwDomHtmlCollectionMapFree(GetMemMgr(), ptDynamics);
    }
    Reset();
}

KxwDomNodeBase* KxwDomHtmlCollectionGeneral::const_iterator::operator*() const {
    if (!_ptHtmlCollectionItem->_ptReferencedNode)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_ptHtmlCollectionItem->_ptReferencedNode == NULL in "
                                              "KxwDomHtmlCollectionGeneral::const_iterator::operator*");
    return _ptHtmlCollectionItem->_ptReferencedNode;
}

void KxwDomHtmlCollectionGeneral::SetOwnerNode(KxwDomCoreNode* mptOwnerNode, const char* mpszName) {
    _ptOwnerNode = mptOwnerNode;
    if (!xfbKxwTraceEnabled()) return;
    const char* pszName = !mpszName ? "[NULL]" : !*mpszName ? "[Empty]" : mpszName;
    std::string dsOwner = "[N/A]";
    if (mptOwnerNode) {
        unsigned uLen = 0;
        const char16_t* pwsfName = mptOwnerNode->GetNodeNameU16n(&uLen);
        dsOwner = xfdsKxwDomUtilU16ToUtf8(pwsfName, uLen);
    }
    xfvKxwUtilReportTraceToFile("Collection=%p=\"%.200s\" owner=%p=%.200s in KxwDomHtmlCollectionGeneral::SetOwnerNode",
                                static_cast<void*>(this), pszName, static_cast<void*>(mptOwnerNode), dsOwner.c_str());
}

bool KxwDomHtmlCollectionGeneral::GetShouldBeDeletedAtFinalize() {
    if (_ptOwnerNode) return false;
    if (GetMemMgr()) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile("Collection with MemMgr=%p while _ptOwnerNode is NULL",
                                        static_cast<void*>(GetMemMgr()));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Items

KxwDomNodeBase* KxwDomHtmlCollectionGeneral::GetItem(unsigned long muliRequestedIndex) {
    if (muliRequestedIndex >= GetLength()) return nullptr;
    KxwDomHtmlCollectionItem* ptItem = nullptr;
    if (_ptLastAccessedItem && muliRequestedIndex == _uliLastAccessedIndex)
        ptItem = _ptLastAccessedItem;
    else if (_ptLastAccessedItem && muliRequestedIndex == _uliLastAccessedIndex + 1)
        ptItem = KxwDomHtmlCollectionItems::Next(_ptLastAccessedItem);
    else
        ptItem = _tItems.At(muliRequestedIndex);
    if (!ptItem) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "uliCrntIndex(%ld) != muliRequestedIndex(%ld) in KxwDomHtmlCollectionGeneral::GetItem for this=%p",
            static_cast<long>(GetLength()), static_cast<long>(muliRequestedIndex), static_cast<void*>(this));
        ResetLastAccessed();
        return nullptr;
    }
    _uliLastAccessedIndex = muliRequestedIndex;
    _ptLastAccessedItem = ptItem;
    return ptItem->_ptReferencedNode;
}

unsigned long KxwDomHtmlCollectionGeneral::GetItemIndex(const KxwDomNodeBase* mptNode) const {
    size_t nIndex = _tItems.IndexOfNode(mptNode);
    return nIndex == KxwDomHtmlCollectionItems::kNotFound ? ~0UL : static_cast<unsigned long>(nIndex);
}

KxwDomHtmlCollectionItem* KxwDomHtmlCollectionGeneral::InsertItemAfter(KxwDomNodeBase* mptNode,
                                                                       KxwDomHtmlCollectionItem* mptAfter) {
    if (!mptNode) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mptNewCollectionItem/mptNewCollectionItem->_ptReferencedNode (%p/%p) "
            "KxwDomHtmlCollectionOrdered::AppendItemAfter for this=%p",
            static_cast<void*>(nullptr), static_cast<void*>(nullptr), static_cast<void*>(this));
        return nullptr;
    }
    KxwDomHtmlCollectionItem* ptItem = _tItems.InsertAfter(mptNode, mptAfter);
    ResetLastAccessed();
    FileInMaps(mptNode);
    NotifyDynamicsAdded(mptNode);
    return ptItem;
}

bool KxwDomHtmlCollectionGeneral::AppendItem(KxwDomNodeBase* mptNode) {
    return InsertItemAfter(mptNode, _tItems.Last()) != nullptr;
}

bool KxwDomHtmlCollectionGeneral::AddItem(KxwDomNodeBase* mptElement) {
    return AppendItem(mptElement);
}

bool KxwDomHtmlCollectionGeneral::InsertItemAfterNode(KxwDomNodeBase* mptNode, const KxwDomNodeBase* mptAfterOrNull) {
    KxwDomHtmlCollectionItem* ptAfter = nullptr;
    if (mptAfterOrNull) {
        ptAfter = FindItemOf(mptAfterOrNull);
        if (!ptAfter) return false;
    }
    return InsertItemAfter(mptNode, ptAfter) != nullptr;
}

bool KxwDomHtmlCollectionGeneral::InsertItemBeforeNode(KxwDomNodeBase* mptNode, const KxwDomNodeBase* mptBefore) {
    KxwDomHtmlCollectionItem* ptBefore = FindItemOf(mptBefore);
    if (!ptBefore) return false;
    return InsertItemAfter(mptNode, KxwDomHtmlCollectionItems::Previous(ptBefore)) != nullptr;
}

bool KxwDomHtmlCollectionGeneral::AddItemInOrderOf(KxwDomNodeBase* mptNode,
                                                   const KxwDomHtmlCollectionGeneral& mrtSource) {
    KxwDomHtmlCollectionItem* ptSourceLast = mrtSource.GetLastItem();
    if (IsEmpty() || (ptSourceLast && ptSourceLast->_ptReferencedNode == mptNode)) return AppendItem(mptNode);
    size_t nSourceIndex = mrtSource._tItems.IndexOfNode(mptNode);
    if (nSourceIndex == KxwDomHtmlCollectionItems::kNotFound) return false;
    // The new item goes after the own items whose nodes come before it in the source; an own node the source does
    // not hold counts as coming after.
    auto Precedes = [&](const KxwDomNodeBase* mptOwnNode) {
        return mrtSource._tItems.IndexOfNode(mptOwnNode) < nSourceIndex;
    };
    if (Precedes(GetLastItem()->_ptReferencedNode)) return AppendItem(mptNode);
    size_t nPosition = _tItems.CountPreceding(Precedes);
    return InsertItemAfter(mptNode, nPosition == 0 ? nullptr : _tItems.At(nPosition - 1)) != nullptr;
}

void KxwDomHtmlCollectionGeneral::UnlinkItem(KxwDomHtmlCollectionItem* mptItem) {
    KxwDomNodeBase* ptNode = mptItem->_ptReferencedNode;
    _tItems.Erase(mptItem);
    ResetLastAccessed();
    UnfileFromMaps(ptNode);
    NotifyDynamicsRemoved(ptNode);
}

bool KxwDomHtmlCollectionGeneral::RemoveItemSilently(KxwDomNodeBase* mptNode) {
    KxwDomHtmlCollectionItem* ptItem = FindItemOf(mptNode);
    if (!ptItem) return false;
    UnlinkItem(ptItem);
    return true;
}

void KxwDomHtmlCollectionGeneral::ForgetDeletedNode(const KxwDomNodeBase* mptNode) {
    bool bHeld = false;
    while (KxwDomHtmlCollectionItem* ptItem = FindItemOf(mptNode)) {
        _tItems.Erase(ptItem);
        bHeld = true;
    }
    ResetLastAccessed();
    if (!bHeld) return;
    if (_ptCollectionMap) _ptCollectionMap->RemoveUnderAnyKey(mptNode);
    if (_ptIdentifierMap) _ptIdentifierMap->RemoveUnderAnyKey(mptNode);
    if (_ptDynamics)
        _ptDynamics->ForEach(
            [mptNode](KxwDomHtmlDynamicCollection& mrtDynamic) { mrtDynamic.ForgetDeletedNode(mptNode); });
}

bool KxwDomHtmlCollectionGeneral::RemoveItem(KxwDomNodeBase* mptReferencedNode, bool mbIssueErrorIfFails) {
    if (!mptReferencedNode) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mptReferencedNode in KxwDomHtmlCollectionGeneral::RemoveItem("
            "mptReferencedNode=%p, mbIssueErrorIfFails=%d) for this=%p, _ptOwnerNode=%p",
            static_cast<void*>(mptReferencedNode), mbIssueErrorIfFails ? 1 : 0, static_cast<void*>(this),
            static_cast<void*>(_ptOwnerNode));
        return false;
    }
    if (RemoveItemSilently(mptReferencedNode)) return true;
    const char* pszFormat =
        "Item not found in KxwDomHtmlCollectionGeneral::RemoveItem(mptReferencedNode=%p, mbIssueErrorIfFails=%d) for "
        "this=%p, _ptOwnerNode=%p";
    if (mbIssueErrorIfFails)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, pszFormat,
                                              static_cast<void*>(mptReferencedNode), 1, static_cast<void*>(this),
                                              static_cast<void*>(_ptOwnerNode));
    else if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(pszFormat, static_cast<void*>(mptReferencedNode), 0, static_cast<void*>(this),
                                    static_cast<void*>(_ptOwnerNode));
    return false;
}

KxwDomNodeBase* KxwDomHtmlCollectionGeneral::RemoveAndReturnFirstItem() {
    KxwDomHtmlCollectionItem* ptFirst = _tItems.First();
    if (!ptFirst) return nullptr;
    KxwDomNodeBase* ptNode = ptFirst->_ptReferencedNode;
    UnlinkItem(ptFirst);
    return ptNode;
}

bool KxwDomHtmlCollectionGeneral::ReplaceItems(KxwDomNodeBase* mptOldNode, KxwDomNodeBase* mptNewNode) {
    KxwDomHtmlCollectionItem* ptItem = FindItemOf(mptOldNode);
    if (!ptItem || !mptNewNode) return false;
    UnfileFromMaps(mptOldNode);
    _tItems.Rekey(ptItem, mptNewNode);
    FileInMaps(mptNewNode);
    // The dynamic collections judge the new node afresh.
    NotifyDynamicsRemoved(mptOldNode);
    NotifyDynamicsAdded(mptNewNode);
    return true;
}

void KxwDomHtmlCollectionGeneral::Reset() {
    _tItems.Clear();
    ResetLastAccessed();
    DeleteMaps();
    if (_ptDynamics) _ptDynamics->ForEach([](KxwDomHtmlDynamicCollection& mrtDynamic) { mrtDynamic.Reset(); });
}

// ---------------------------------------------------------------------------------------------------------------
// Name indexes and dynamic collections

namespace {

KxwDomHtmlCollectionMap* NewMap(KxwMemMgr* mptMemMgr, bool mbIgnoreCase) {
    void* pvBlock = xfpvKxwDomHtmlCollectionMapAlloc(mptMemMgr, sizeof(KxwDomHtmlCollectionMap), 8);
    return new (pvBlock) KxwDomHtmlCollectionMap(mptMemMgr, mbIgnoreCase);
}

void DeleteMap(KxwMemMgr* mptMemMgr, KxwDomHtmlCollectionMap*& mrptMap) {
    if (!mrptMap) return;
    mrptMap->~KxwDomHtmlCollectionMap();
    xfvKxwDomHtmlCollectionMapFree(mptMemMgr, mrptMap);
    mrptMap = nullptr;
}

}  // namespace

void KxwDomHtmlCollectionGeneral::CreateCollectionMap() {
    if (_ptCollectionMap) return;
    _ptCollectionMap = NewMap(GetMemMgr(), false);
    for (KxwDomNodeBase* ptNode : *this) _ptCollectionMap->Add(ptNode);
}

KxwDomHtmlCollectionMap* KxwDomHtmlCollectionGeneral::GetIdentifierMap() {
    if (!_ptIdentifierMap) {
        _ptIdentifierMap = NewMap(GetMemMgr(), true);
        for (KxwDomNodeBase* ptNode : *this) _ptIdentifierMap->Add(ptNode);
    }
    return _ptIdentifierMap;
}

void KxwDomHtmlCollectionGeneral::DeleteMaps() {
    DeleteMap(GetMemMgr(), _ptCollectionMap);
    DeleteMap(GetMemMgr(), _ptIdentifierMap);
}

void KxwDomHtmlCollectionGeneral::FileInMaps(KxwDomNodeBase* mptNode) {
    if (_ptCollectionMap) _ptCollectionMap->Add(mptNode);
    if (_ptIdentifierMap) _ptIdentifierMap->Add(mptNode);
}

void KxwDomHtmlCollectionGeneral::UnfileFromMaps(KxwDomNodeBase* mptNode) {
    if (_ptCollectionMap) _ptCollectionMap->Remove(mptNode);
    if (_ptIdentifierMap) _ptIdentifierMap->Remove(mptNode);
}

KxwDomHtmlDynamicCollections& KxwDomHtmlCollectionGeneral::Dynamics() {
    if (!_ptDynamics) {
        void* pvBlock = xfpvKxwDomHtmlCollectionMapAlloc(GetMemMgr(), sizeof(KxwDomHtmlDynamicCollections), 8);
        _ptDynamics = new (pvBlock) KxwDomHtmlDynamicCollections(GetMemMgr());
    }
    return *_ptDynamics;
}

void KxwDomHtmlCollectionGeneral::NotifyDynamicsAdded(KxwDomNodeBase* mptNode) {
    if (!_ptDynamics) return;
    _ptDynamics->ForEachConcerned(
        mptNode, nullptr, [mptNode](KxwDomHtmlDynamicCollection& mrtDynamic) { mrtDynamic.SourceAdded(mptNode); });
}

void KxwDomHtmlCollectionGeneral::NotifyDynamicsRemoved(KxwDomNodeBase* mptNode) {
    if (!_ptDynamics) return;
    _ptDynamics->ForEachConcerned(mptNode, nullptr, [mptNode](KxwDomHtmlDynamicCollection& mrtDynamic) {
        mrtDynamic.RemoveItemSilently(mptNode);
    });
}

// ---------------------------------------------------------------------------------------------------------------
// Tree notifications

bool KxwDomHtmlCollectionGeneral::UpdateCollection(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                                   KxwDomNodeBase* mptNode, void* mpvExtra) {
    if (meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED) return AddItem(mptNode);
    if (meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED) return RemoveItem(mptNode, true);
    if (meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED ||
        meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED)
        return NotifyIdOrNameChanged(mptNode, static_cast<const char*>(mpvExtra),
                                     meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED);
    xfvKxwUtilReportInternalErrorBySevLvl(
        KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
        "Invalid meNotificationType (%d) in KxwDomHtmlCollectionGeneral::UpdateCollection.",
        static_cast<int>(meNotificationType));
    return false;
}

bool KxwDomHtmlCollectionGeneral::NotifyIdOrNameChanged(KxwDomNodeBase* mptNode, const char* mpszNewValue, bool mbId) {
    if (!mptNode || !IsItemFound(mptNode)) return false;
    if (_ptCollectionMap) _ptCollectionMap->Rekey(mptNode, mpszNewValue, mbId);
    if (_ptIdentifierMap) _ptIdentifierMap->Rekey(mptNode, mpszNewValue, mbId);
    if (!_ptDynamics) return true;
    const char* pszNew = mpszNewValue ? mpszNewValue : "";
    // The collections of the old key and of the new one are the only ones the change may concern.
    _ptDynamics->ForEachConcerned(mptNode, pszNew, [&](KxwDomHtmlDynamicCollection& mrtDynamic) {
        if (!dynamic_cast<KxwDomHtmlDynamicCollectionByIdentifier*>(&mrtDynamic)) return;
        bool bWillMatch = mrtDynamic.Accepts(mptNode, pszNew, mbId);
        bool bIn = mrtDynamic.IsItemFound(mptNode);
        if (bIn && !bWillMatch)
            mrtDynamic.RemoveItemSilently(mptNode);
        else if (!bIn && bWillMatch)
            mrtDynamic.AddItemInOrderOf(mptNode, *this);
    });
    return true;
}

size_t KxwDomHtmlCollectionGeneral::DescendantsStart(const KxwDomNodeBase* mptNode) const {
    constexpr size_t kNotFound = KxwDomHtmlCollectionItems::kNotFound;
    if (!IsInDocumentOrder()) return kNotFound;
    if (const KxwDomHtmlCollectionItem* ptItem = FindItemOf(mptNode)) return _tItems.IndexOf(ptItem) + 1;
    if (mptNode == _ptOwnerNode) return 0;
    const KxwDomHtmlCollectionGeneral* ptSource = GetOrderSource();
    size_t nSourceStart = ptSource ? ptSource->DescendantsStart(mptNode) : kNotFound;
    if (nSourceStart == kNotFound) return kNotFound;
    return _tItems.CountPreceding(
        [&](const KxwDomNodeBase* mptOwnNode) { return ptSource->_tItems.IndexOfNode(mptOwnNode) < nSourceStart; });
}

bool KxwDomHtmlCollectionGeneral::RemoveDescendantOfInHtmlDocument(const KxwDomNodeBase* mptNode) {
    if (!mptNode || IsEmpty()) return false;
    bool bRemoved = false;
    size_t nStart = DescendantsStart(mptNode);
    if (nStart != KxwDomHtmlCollectionItems::kNotFound) {
        // One run: it ends at the first item outside the subtree.
        for (KxwDomHtmlCollectionItem* ptItem = _tItems.At(nStart);
             ptItem && ptItem->_ptReferencedNode && ptItem->_ptReferencedNode->IsDescendantOf(mptNode);) {
            KxwDomHtmlCollectionItem* ptNext = KxwDomHtmlCollectionItems::Next(ptItem);
            UnlinkItem(ptItem);
            bRemoved = true;
            ptItem = ptNext;
        }
        return bRemoved;
    }
    for (KxwDomHtmlCollectionItem* ptItem = _tItems.First(); ptItem;) {
        KxwDomHtmlCollectionItem* ptNext = KxwDomHtmlCollectionItems::Next(ptItem);
        if (ptItem->_ptReferencedNode && ptItem->_ptReferencedNode->IsDescendantOf(mptNode)) {
            UnlinkItem(ptItem);
            bRemoved = true;
        }
        ptItem = ptNext;
    }
    return bRemoved;
}

// ---------------------------------------------------------------------------------------------------------------
// Lookups

KxwDomHtmlCollectionGeneral* KxwDomHtmlCollectionGeneral::GetDynamicCollection(const char* mpsfName, unsigned muNameLen,
                                                                               bool mbByIdentifier, bool mbCreate) {
    KxwDomHtmlDynamicCollectionByIdentifier* ptDynamic =
        FindOrMakeIdentifierCollection(mpsfName, muNameLen, mbByIdentifier, mbCreate);
    if (!ptDynamic || !ptDynamic->IsInternal()) return ptDynamic;
    // One the library made for itself is a script's from the moment a script's lookup would have made it.
    if (!mbCreate) return nullptr;
    ptDynamic->SetIsInternal(false);
    return ptDynamic;
}

KxwDomHtmlDynamicCollectionByIdentifier* KxwDomHtmlCollectionGeneral::FindOrMakeIdentifierCollection(
    const char* mpsfName, unsigned muNameLen, bool mbByIdentifier, bool mbCreate) {
    if (!mpsfName) return nullptr;
    if (_ptDynamics)
        if (KxwDomHtmlDynamicCollectionByIdentifier* ptFound =
                _ptDynamics->FindIdentifier(mpsfName, muNameLen, mbByIdentifier))
            return ptFound;
    if (!mbCreate) return nullptr;
    auto* ptDynamic =
        new (GetDomEnv()) KxwDomHtmlDynamicCollectionByIdentifier(*this, mpsfName, muNameLen, mbByIdentifier);
    // Filled from the name indexes, in this collection's order, rather than by a walk of every item.
    KxwDomHtmlCollectionMap* ptMap = mbByIdentifier ? GetIdentifierMap() : (CreateCollectionMap(), _ptCollectionMap);
    KxwDomNodeBase* ptSingle = nullptr;
    if (ptMap->Count(mpsfName, muNameLen, &ptSingle) == 1)
        ptDynamic->AppendItem(ptSingle);
    else
        ptDynamic->FillFromSource();
    Dynamics().AddIdentifier(ptDynamic);
    return ptDynamic;
}

KxwDomBase* KxwDomHtmlCollectionGeneral::GetItem(const char* mpszName, bool mbByIdentifier) {
    if (!mpszName) return nullptr;
    if (!*mpszName) {
        // A script owns this one: it lives on the process heap and goes with its engine object.
        KxwDomHtmlCollectionGeneral* ptEmpty =
            new (static_cast<KxwMemMgr*>(nullptr)) KxwDomHtmlCollectionGeneral(static_cast<KxwMemMgr*>(nullptr));
        return ptEmpty;
    }
    if (IsEmpty()) return nullptr;
    unsigned uLen = static_cast<unsigned>(std::strlen(mpszName));
    if (KxwDomHtmlCollectionGeneral* ptExisting = GetDynamicCollection(mpszName, uLen, mbByIdentifier, false))
        return ptExisting;
    KxwDomHtmlCollectionMap* ptMap = mbByIdentifier ? GetIdentifierMap() : (CreateCollectionMap(), _ptCollectionMap);
    KxwDomNodeBase* ptSingle = nullptr;
    size_t nCount = ptMap->Count(mpszName, uLen, &ptSingle);
    if (nCount == 0) return nullptr;
    if (nCount == 1) return ptSingle;
    KxwDomHtmlCollectionGeneral* ptMatching = GetDynamicCollection(mpszName, uLen, mbByIdentifier, true);
    if (!ptMatching)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptMatchingCollection == NULL in KxwDomHtmlCollectionMap::GetItem");
    return ptMatching;
}

KxwDomNodeBase* KxwDomHtmlCollectionGeneral::GetFirstByIdentifier(const char* mpsfKey, unsigned muKeyLen,
                                                                  bool (*mfAccept)(const KxwDomNodeBase*, const void*),
                                                                  const void* mpvClosure) {
    if (!mpsfKey || muKeyLen == 0 || IsEmpty()) return nullptr;
    KxwDomNodeBase* ptSingle = nullptr;
    size_t nCount = GetIdentifierMap()->Count(mpsfKey, muKeyLen, &ptSingle);
    if (nCount == 0) return nullptr;
    if (nCount == 1) return !mfAccept || mfAccept(ptSingle, mpvClosure) ? ptSingle : nullptr;
    // Several: the live collection of the key holds them in this collection's order (made for this lookup, it
    // stays the library's own).
    KxwDomHtmlDynamicCollectionByIdentifier* ptMatching =
        FindOrMakeIdentifierCollection(mpsfKey, muKeyLen, true, false);
    if (!ptMatching) {
        ptMatching = FindOrMakeIdentifierCollection(mpsfKey, muKeyLen, true, true);
        ptMatching->SetIsInternal(true);
    }
    for (KxwDomNodeBase* ptNode : *ptMatching)
        if (!mfAccept || mfAccept(ptNode, mpvClosure)) return ptNode;
    return nullptr;
}

KxwDomHtmlCollectionGeneral* KxwDomHtmlCollectionGeneral::GetTags(const char16_t* mpwsfTagName,
                                                                  unsigned muTagNameLenInChars) {
    if (!mpwsfTagName || muTagNameLenInChars == 0) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid tTagName (NodeSubtype=%d) for dsTagName=%.1000s in KxwDomHtmlCollectionGeneral::GetTags("
            "mpsfkTagNameStr=%p, mnTagNameLenInChars=%ld, mptU16nHandler=%p)",
            0, "", static_cast<const void*>(mpwsfTagName), static_cast<long>(muTagNameLenInChars),
            static_cast<void*>(GetU16nHandler()));
        return nullptr;
    }
    if (_ptDynamics)
        if (KxwDomHtmlDynamicCollectionByTag* ptFound = _ptDynamics->FindTag(mpwsfTagName, muTagNameLenInChars))
            return ptFound;
    std::string dsTag = xfdsKxwDomUtilU16ToUtf8(mpwsfTagName, muTagNameLenInChars);
    auto* ptDynamic =
        new (GetDomEnv()) KxwDomHtmlDynamicCollectionByTag(*this, dsTag.data(), static_cast<unsigned>(dsTag.size()));
    ptDynamic->FillFromSource();
    Dynamics().AddTag(ptDynamic);
    return ptDynamic;
}

KXW_DOM_HTML_READY_STATE_ENUM KxwDomHtmlCollectionGeneral::GetReadyStateRaw() const {
    KXW_DOM_HTML_READY_STATE_ENUM eLowest = KXW_DOM_HTML_READY_STATE_COMPLETE;
    for (KxwDomNodeBase* ptNode : *this) {
        KXW_DOM_HTML_READY_STATE_ENUM eState = ptNode ? ptNode->GetReadyStateRaw() : KXW_DOM_HTML_READY_STATE_COMPLETE;
        if (static_cast<int>(eState) > 0 && static_cast<int>(eState) < static_cast<int>(eLowest)) eLowest = eState;
    }
    return eLowest;
}

// ---------------------------------------------------------------------------------------------------------------
// Script access

const KxwJswClassInformation& KxwDomHtmlCollectionGeneral::GetHtmlCollectionClassInformation() {
    static const KxwJswClassInformation ktClassInfo(nullptr, "HtmlCollection", katHtmlCollectionProperties,
                                                    katHtmlCollectionMethods, nullptr, KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlCollectionGeneral::GetClassInformation() const {
    return &GetHtmlCollectionClassInformation();
}

bool KxwDomHtmlCollectionGeneral::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdLength) return KxwDomBase::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    mrtPropertyInfo = static_cast<int>(GetLength());
    return true;
}

bool KxwDomHtmlCollectionGeneral::IsResolved(const char* mpszName) {
    return mpszName && *mpszName && GetItem(mpszName, false) != nullptr;
}

void KxwDomHtmlCollectionGeneral::GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>&) {
    mruliIndexCount = GetLength();
}

bool KxwDomHtmlCollectionGeneral::GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                                                 KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    KxwDomNodeBase* ptNode = mnIndex >= 0 ? GetItem(static_cast<unsigned long>(mnIndex)) : nullptr;
    if (!ptNode) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "Index %d beyond the length %lu in KxwDomHtmlCollectionGeneral::GetPropByIndex "
                "for this=%p",
                static_cast<int>(mnIndex), GetLength(), static_cast<void*>(this));
        if (mppvValue) *mppvValue = nullptr;
        if (mpnLength) *mpnLength = 0;
        if (mpeType) *mpeType = KXW_JSW_OBJ_PROP_TYPE_NONE;
        return false;
    }
    if (mppvValue) *mppvValue = static_cast<KxwJswUserObjBase*>(ptNode);
    if (mpnLength) *mpnLength = KXW_JSW_DOM_OBJECT_LEN;
    if (mpeType) *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Ordered and dependent collections

namespace {

// One step back in document order: the last node of the previous sibling's subtree, else the parent.
KxwDomNodeBase* PreviousInDocumentOrder(KxwDomNodeBase* mptNode) {
    if (KxwDomNodeBase* ptPrevious = mptNode->GetDomPreviousSibling()) {
        while (KxwDomNodeBase* ptLast = ptPrevious->GetDomLastChild()) ptPrevious = ptLast;
        return ptPrevious;
    }
    return mptNode->GetDomParentNode();
}

}  // namespace

bool KxwDomHtmlCollectionOrdered::AddItem(KxwDomNodeBase* mptElement) {
    if (IsEmpty()) return AppendItem(mptElement);
    KxwDomCoreNode* ptOwner = GetOwnerNode();
    // The nearest item before the element and the nearest after it are searched a step at a time on both sides,
    // so that a long run of text beside the element costs no more than the distance to the nearer element, and
    // an element with nothing after it costs no walk to the top. Only elements already held count after it:
    // those of the element's own subtree (and later ones being added with it) are filed after it.
    KxwDomNodeBase* ptBack = mptElement;
    KxwDomNodeBase* ptAhead = mptElement;
    bool bClimbing = true;  // ptAhead's own subtree is behind: the search goes on at its next sibling or above
    while (ptBack || ptAhead) {
        if (ptBack) {
            ptBack = PreviousInDocumentOrder(ptBack);
            if (!ptBack || ptBack == ptOwner) return InsertItemAfter(mptElement, nullptr) != nullptr;
            if (ptBack->IsElementNode()) {
                if (KxwDomHtmlCollectionItem* ptItem = FindItemOf(ptBack))
                    return InsertItemAfter(mptElement, ptItem) != nullptr;
                ptBack = nullptr;
            }
        }
        if (!ptAhead) continue;
        if (bClimbing) {
            if (ptAhead == ptOwner) return AppendItem(mptElement);
            if (KxwDomNodeBase* ptNext = ptAhead->GetDomNextSibling()) {
                ptAhead = ptNext;
                bClimbing = false;
            } else if (!(ptAhead = ptAhead->GetDomParentNode())) {
                return AppendItem(mptElement);
            }
        } else if (ptAhead->IsElementNode()) {
            if (KxwDomHtmlCollectionItem* ptItem = FindItemOf(ptAhead))
                return InsertItemAfter(mptElement, KxwDomHtmlCollectionItems::Previous(ptItem)) != nullptr;
            ptAhead = nullptr;
        } else if (KxwDomNodeBase* ptChild = ptAhead->GetDomFirstChild()) {
            ptAhead = ptChild;
        } else {
            bClimbing = true;
        }
    }
    xfvKxwUtilReportInternalErrorBySevLvl(
        KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
        "Invalid uliCrntIndex/ptPrevCollectionItem (%lu/%p) in KxwDomHtmlCollectionOrdered::AddItem(mptElement=%p). "
        "_uliLength=%lu, _ptLastCollectionItem=%p, this=%p",
        GetLength(), static_cast<void*>(nullptr), static_cast<void*>(mptElement), GetLength(),
        static_cast<void*>(GetLastItem()), static_cast<void*>(this));
    return false;
}

void KxwDomHtmlCollectionDependent::SetDependentOnCollection(KxwDomHtmlCollectionOrdered* mptDependentOnCollection) {
    if (_ptDependentOnCollection && _ptDependentOnCollection != mptDependentOnCollection && xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "KxwDomHtmlCollectionDependent::SetDependentOnCollection(mptDependentOnCollection=%p) "
            "called for this=%p when _ptDependentOnCollection=%p",
            static_cast<void*>(mptDependentOnCollection), static_cast<void*>(this),
            static_cast<void*>(_ptDependentOnCollection));
    _ptDependentOnCollection = mptDependentOnCollection;
}

bool KxwDomHtmlCollectionDependent::AddItem(KxwDomNodeBase* mptElement) {
    if (!_ptDependentOnCollection) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "KxwDomHtmlCollectionDependent::AddItem(mptElement=%p) when _ptDependentOnCollection=NULL. this=%p. Using "
            "KxwDomHtmlCollectionGeneral::AddItem",
            static_cast<void*>(mptElement), static_cast<void*>(this));
        return AppendItem(mptElement);
    }
    if (_ptDependentOnCollection->IsEmpty()) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "KxwDomHtmlCollectionDependent::AddItem(%p) when _ptDependentOnCollection (%p) points to an empty "
            "collection, this=%p.  Item not added",
            static_cast<void*>(mptElement), static_cast<void*>(_ptDependentOnCollection), static_cast<void*>(this));
        return false;
    }
    if (AddItemInOrderOf(mptElement, *_ptDependentOnCollection)) return true;
    xfvKxwUtilReportInternalErrorBySevLvl(
        KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
        "Element(%p) not found in dependent on collection in KxwDomHtmlCollectionDependent::AddItem for this=%p, "
        "_ptDependentOnCollection=%p",
        static_cast<void*>(mptElement), static_cast<void*>(this), static_cast<void*>(_ptDependentOnCollection));
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// Hierarchy dump

void KxwDomHtmlCollectionGeneral::PrintCollection(const char* mpszName, int miIndent,
                                                  KXW_WTL_SEV_LVL_ENUM meSevLvl) const {
    if (!xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    xfvKxwUtilReportBySevLvl(meSevLvl,
                             "%*s\"%.100s\" collection: OwnerNode=%p, FirstCollectionItem=%p, LastCollectionItem=%p, "
                             "Length=%lu, CollectionMap=%p, DependentOnCollection=%p, this=%p",
                             GetPrintingEffectiveIndent(miIndent), "", mpszName ? mpszName : "[NULL]",
                             static_cast<const void*>(_ptOwnerNode), static_cast<const void*>(GetFirstItem()),
                             static_cast<const void*>(GetLastItem()), GetLength(),
                             static_cast<const void*>(_ptCollectionMap), static_cast<const void*>(GetOrderSource()),
                             static_cast<const void*>(this));
    int iItemIndent = GetPrintingEffectiveIndent(miIndent + 1);
    unsigned long uliIndex = 0;
    for (const KxwDomHtmlCollectionItem* ptItem = GetFirstItem(); ptItem;
         ptItem = KxwDomHtmlCollectionItems::Next(ptItem), ++uliIndex) {
        const KxwDomHtmlCollectionItem* ptNext = KxwDomHtmlCollectionItems::Next(ptItem);
        std::string dsTag = "[Unavailable]", dsAttributes;
        if (ptItem->_ptReferencedNode) ptItem->_ptReferencedNode->GetPrintingTagAndAttributes(dsTag, dsAttributes);
        xfvKxwUtilReportBySevLvl(meSevLvl,
                                 "%*s[%3lu] ReferencedNode=%p: <%.100s%.3000s>, CollectionItem=%p, "
                                 "NextCollectionItem=%p",
                                 iItemIndent, "", uliIndex, static_cast<const void*>(ptItem->_ptReferencedNode),
                                 dsTag.c_str(), dsAttributes.c_str(), static_cast<const void*>(ptItem),
                                 static_cast<const void*>(ptNext));
    }
}

void KxwDomHtmlCollectionGeneral::PrintMissingCollection(const char* mpszName, int miIndent,
                                                         KXW_WTL_SEV_LVL_ENUM meSevLvl) {
    xfvKxwUtilReportBySevLvl(meSevLvl, "%*s\"%.100s\" collection: [NULL]", GetPrintingEffectiveIndent(miIndent), "",
                             mpszName ? mpszName : "[NULL]");
}

void KxwDomHtmlCollectionGeneral::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long) const {
    // A collection printed by itself has no name of its owner's to show.
    PrintCollection("[Unnamed]", miIndent, meSevLvl);
}
