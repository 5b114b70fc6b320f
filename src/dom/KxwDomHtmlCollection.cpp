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

KxwDomNodeBase* xfptKxwDomGetPreviousElement(KxwDomNodeBase* mptNode, const KxwDomNodeBase* mptStopNode) {
    KxwDomNodeBase* ptCrnt = mptNode;
    while (ptCrnt) {
        if (KxwDomNodeBase* ptPrevious = ptCrnt->GetDomPreviousSibling()) {
            // The last node of the previous sibling's subtree comes right before in document order.
            ptCrnt = ptPrevious;
            while (KxwDomNodeBase* ptLast = ptCrnt->GetDomLastChild()) ptCrnt = ptLast;
        } else {
            ptCrnt = ptCrnt->GetDomParentNode();
            if (!ptCrnt || ptCrnt == mptStopNode) return ptCrnt;
        }
        if (ptCrnt->IsElementNode()) return ptCrnt;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// Construction

KxwDomHtmlCollectionGeneral::KxwDomHtmlCollectionGeneral(KxwDomEnv& mrtDomEnv) : KxwDomBase(mrtDomEnv) {
    if (DetailedTrace())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomHtmlCollectionGeneral(&mrtDomEnv=%p)", static_cast<void*>(this),
                                    static_cast<void*>(&mrtDomEnv));
}

KxwDomHtmlCollectionGeneral::KxwDomHtmlCollectionGeneral(KxwMemMgr* mptMemMgrOrNull)
    : KxwDomBase(mptMemMgrOrNull, static_cast<KxwDomBase*>(nullptr)) {
    if (DetailedTrace())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomHtmlCollectionGeneral(&mptMemMgrOrNull=%p)", static_cast<void*>(this),
                                    static_cast<void*>(mptMemMgrOrNull));
}

KxwDomHtmlCollectionGeneral::~KxwDomHtmlCollectionGeneral() {
    // The dynamic collections belong to this one: they go first, so none is told of the items leaving.
    for (KxwDomHtmlDynamicCollection* ptList : {_ptFirstDynamicByIdentifier, _ptFirstDynamicByTag}) {
        while (KxwDomHtmlDynamicCollection* ptDynamic = ptList) {
            ptList = ptDynamic->_ptNextDynamic;
            delete ptDynamic;
        }
    }
    _ptFirstDynamicByIdentifier = _ptFirstDynamicByTag = nullptr;
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

KxwDomHtmlCollectionItem* KxwDomHtmlCollectionGeneral::NewItem(KxwDomNodeBase* mptNode) {
    KxwMemMgr* ptMemMgr = GetMemMgr();
    void* pvBlock =
        ptMemMgr ? ptMemMgr->Alloc(sizeof(KxwDomHtmlCollectionItem), 8) : maw_malloc(sizeof(KxwDomHtmlCollectionItem));
    if (!pvBlock) KxwUtilOutOfMemoryAbort(sizeof(KxwDomHtmlCollectionItem), "KxwDomHtmlCollectionItem");
    return new (pvBlock) KxwDomHtmlCollectionItem{nullptr, mptNode};
}

void KxwDomHtmlCollectionGeneral::FreeItem(KxwDomHtmlCollectionItem* mptItem) {
    if (KxwMemMgr* ptMemMgr = GetMemMgr())
        ptMemMgr->Free(mptItem);
    else
        maw_free(mptItem);
}

KxwDomNodeBase* KxwDomHtmlCollectionGeneral::GetItem(unsigned long muliRequestedIndex) {
    if (muliRequestedIndex >= _uliLength) return nullptr;
    unsigned long uliCrntIndex = 0;
    KxwDomHtmlCollectionItem* ptCrnt = _ptFirstCollectionItem;
    if (_ptLastAccessedItem && _uliLastAccessedIndex != ~0UL && muliRequestedIndex >= _uliLastAccessedIndex) {
        uliCrntIndex = _uliLastAccessedIndex;
        ptCrnt = _ptLastAccessedItem;
    }
    while (ptCrnt && uliCrntIndex < muliRequestedIndex) {
        ptCrnt = ptCrnt->next;
        ++uliCrntIndex;
    }
    if (!ptCrnt || uliCrntIndex != muliRequestedIndex) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "uliCrntIndex(%ld) != muliRequestedIndex(%ld) in KxwDomHtmlCollectionGeneral::GetItem for this=%p",
            static_cast<long>(uliCrntIndex), static_cast<long>(muliRequestedIndex), static_cast<void*>(this));
        ResetLastAccessed();
        return nullptr;
    }
    _uliLastAccessedIndex = uliCrntIndex;
    _ptLastAccessedItem = ptCrnt;
    return ptCrnt->_ptReferencedNode;
}

unsigned long KxwDomHtmlCollectionGeneral::GetItemIndex(const KxwDomNodeBase* mptNode) const {
    unsigned long uliIndex = 0;
    for (KxwDomHtmlCollectionItem* ptItem = _ptFirstCollectionItem; ptItem; ptItem = ptItem->next, ++uliIndex)
        if (ptItem->_ptReferencedNode == mptNode) return uliIndex;
    return ~0UL;
}

KxwDomHtmlCollectionItem* KxwDomHtmlCollectionGeneral::FindItemOf(const KxwDomNodeBase* mptNode) const {
    if (!mptNode) return nullptr;
    if (_ptLastCollectionItem && _ptLastCollectionItem->_ptReferencedNode == mptNode) return _ptLastCollectionItem;
    for (KxwDomHtmlCollectionItem* ptItem = _ptFirstCollectionItem; ptItem; ptItem = ptItem->next)
        if (ptItem->_ptReferencedNode == mptNode) return ptItem;
    return nullptr;
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
    KxwDomHtmlCollectionItem* ptItem = NewItem(mptNode);
    if (mptAfter) {
        ptItem->next = mptAfter->next;
        mptAfter->next = ptItem;
        if (_ptLastCollectionItem == mptAfter) _ptLastCollectionItem = ptItem;
    } else {
        ptItem->next = _ptFirstCollectionItem;
        _ptFirstCollectionItem = ptItem;
        if (!_ptLastCollectionItem) _ptLastCollectionItem = ptItem;
    }
    ++_uliLength;
    if (!_ptFirstCollectionItem || !_ptLastCollectionItem || _ptLastCollectionItem->next)
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid _ptLastCollectionItem/_ptFirstCollectionItem/_uliLength (%p/%p/%lu) in "
            "KxwDomHtmlCollectionGeneral::AppendItemAfter. this=%p",
            static_cast<void*>(_ptLastCollectionItem), static_cast<void*>(_ptFirstCollectionItem), _uliLength,
            static_cast<void*>(this));
    ResetLastAccessed();
    _ptInsertionCursor = ptItem;
    if (_ptCollectionMap) _ptCollectionMap->Add(mptNode);
    for (KxwDomHtmlDynamicCollection* ptList : {_ptFirstDynamicByTag, _ptFirstDynamicByIdentifier})
        for (KxwDomHtmlDynamicCollection* ptDynamic = ptList; ptDynamic; ptDynamic = ptDynamic->_ptNextDynamic)
            ptDynamic->SourceAdded(mptNode);
    return ptItem;
}

bool KxwDomHtmlCollectionGeneral::AppendItem(KxwDomNodeBase* mptNode) {
    return InsertItemAfter(mptNode, _ptLastCollectionItem) != nullptr;
}

bool KxwDomHtmlCollectionGeneral::AddItem(KxwDomNodeBase* mptElement) {
    return AppendItem(mptElement);
}

bool KxwDomHtmlCollectionGeneral::InsertItemAfterNode(KxwDomNodeBase* mptNode, const KxwDomNodeBase* mptAfterOrNull) {
    KxwDomHtmlCollectionItem* ptAfter = nullptr;
    if (mptAfterOrNull) {
        ptAfter = (_ptInsertionCursor && _ptInsertionCursor->_ptReferencedNode == mptAfterOrNull)
                      ? _ptInsertionCursor
                      : FindItemOf(mptAfterOrNull);
        if (!ptAfter) return false;
    }
    return InsertItemAfter(mptNode, ptAfter) != nullptr;
}

bool KxwDomHtmlCollectionGeneral::AddItemInOrderOf(KxwDomNodeBase* mptNode,
                                                   const KxwDomHtmlCollectionGeneral& mrtSource) {
    if (IsEmpty() || (mrtSource.GetLastItem() && mrtSource.GetLastItem()->_ptReferencedNode == mptNode))
        return AppendItem(mptNode);
    // Both lists are walked in step: the new item goes after the last own item met before the node in the source.
    KxwDomHtmlCollectionItem* ptOwn = _ptFirstCollectionItem;
    KxwDomHtmlCollectionItem* ptAfter = nullptr;
    for (KxwDomHtmlCollectionItem* ptSource = mrtSource.GetFirstItem(); ptSource; ptSource = ptSource->next) {
        if (ptSource->_ptReferencedNode == mptNode) return InsertItemAfter(mptNode, ptAfter) != nullptr;
        if (ptOwn && ptOwn->_ptReferencedNode == ptSource->_ptReferencedNode) {
            ptAfter = ptOwn;
            ptOwn = ptOwn->next;
        }
    }
    return false;
}

void KxwDomHtmlCollectionGeneral::UnlinkItem(KxwDomHtmlCollectionItem* mptItem, KxwDomHtmlCollectionItem* mptPrevious) {
    if (mptPrevious)
        mptPrevious->next = mptItem->next;
    else
        _ptFirstCollectionItem = mptItem->next;
    if (_ptLastCollectionItem == mptItem) _ptLastCollectionItem = mptPrevious;
    --_uliLength;
    ResetLastAccessed();
    _ptInsertionCursor = nullptr;
    KxwDomNodeBase* ptNode = mptItem->_ptReferencedNode;
    FreeItem(mptItem);
    if (_ptCollectionMap) _ptCollectionMap->Remove(ptNode);
    for (KxwDomHtmlDynamicCollection* ptList : {_ptFirstDynamicByTag, _ptFirstDynamicByIdentifier})
        for (KxwDomHtmlDynamicCollection* ptDynamic = ptList; ptDynamic; ptDynamic = ptDynamic->_ptNextDynamic)
            ptDynamic->RemoveItemSilently(ptNode);
}

bool KxwDomHtmlCollectionGeneral::RemoveItemSilently(KxwDomNodeBase* mptNode) {
    KxwDomHtmlCollectionItem* ptPrevious = nullptr;
    for (KxwDomHtmlCollectionItem* ptItem = _ptFirstCollectionItem; ptItem;
         ptPrevious = ptItem, ptItem = ptItem->next) {
        if (ptItem->_ptReferencedNode != mptNode) continue;
        UnlinkItem(ptItem, ptPrevious);
        return true;
    }
    return false;
}

void KxwDomHtmlCollectionGeneral::ForgetDeletedNode(const KxwDomNodeBase* mptNode) {
    KxwDomHtmlCollectionItem* ptPrevious = nullptr;
    for (KxwDomHtmlCollectionItem* ptItem = _ptFirstCollectionItem; ptItem;) {
        KxwDomHtmlCollectionItem* ptNext = ptItem->next;
        if (ptItem->_ptReferencedNode != mptNode) {
            ptPrevious = ptItem;
            ptItem = ptNext;
            continue;
        }
        if (ptPrevious)
            ptPrevious->next = ptNext;
        else
            _ptFirstCollectionItem = ptNext;
        if (_ptLastCollectionItem == ptItem) _ptLastCollectionItem = ptPrevious;
        --_uliLength;
        FreeItem(ptItem);
        ptItem = ptNext;
    }
    ResetLastAccessed();
    _ptInsertionCursor = nullptr;
    if (_ptCollectionMap) _ptCollectionMap->RemoveUnderAnyKey(mptNode);
    for (KxwDomHtmlDynamicCollection* ptList : {_ptFirstDynamicByTag, _ptFirstDynamicByIdentifier})
        for (KxwDomHtmlDynamicCollection* ptDynamic = ptList; ptDynamic; ptDynamic = ptDynamic->_ptNextDynamic)
            ptDynamic->ForgetDeletedNode(mptNode);
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
    if (!_ptFirstCollectionItem) return nullptr;
    KxwDomNodeBase* ptNode = _ptFirstCollectionItem->_ptReferencedNode;
    UnlinkItem(_ptFirstCollectionItem, nullptr);
    return ptNode;
}

bool KxwDomHtmlCollectionGeneral::ReplaceItems(KxwDomNodeBase* mptOldNode, KxwDomNodeBase* mptNewNode) {
    KxwDomHtmlCollectionItem* ptItem = FindItemOf(mptOldNode);
    if (!ptItem || !mptNewNode) return false;
    if (_ptCollectionMap) _ptCollectionMap->Remove(mptOldNode);
    ptItem->_ptReferencedNode = mptNewNode;
    if (_ptCollectionMap) _ptCollectionMap->Add(mptNewNode);
    // The dynamic collections judge the new node afresh.
    for (KxwDomHtmlDynamicCollection* ptList : {_ptFirstDynamicByTag, _ptFirstDynamicByIdentifier})
        for (KxwDomHtmlDynamicCollection* ptDynamic = ptList; ptDynamic; ptDynamic = ptDynamic->_ptNextDynamic) {
            ptDynamic->RemoveItemSilently(mptOldNode);
            ptDynamic->SourceAdded(mptNewNode);
        }
    return true;
}

void KxwDomHtmlCollectionGeneral::Reset() {
    while (KxwDomHtmlCollectionItem* ptItem = _ptFirstCollectionItem) {
        _ptFirstCollectionItem = ptItem->next;
        FreeItem(ptItem);
    }
    _ptLastCollectionItem = nullptr;
    _uliLength = 0;
    ResetLastAccessed();
    _ptInsertionCursor = nullptr;
    if (_ptCollectionMap) {
        _ptCollectionMap->~KxwDomHtmlCollectionMap();
        xfvKxwDomHtmlCollectionMapFree(GetMemMgr(), _ptCollectionMap);
        _ptCollectionMap = nullptr;
    }
    for (KxwDomHtmlDynamicCollection* ptList : {_ptFirstDynamicByTag, _ptFirstDynamicByIdentifier})
        for (KxwDomHtmlDynamicCollection* ptDynamic = ptList; ptDynamic; ptDynamic = ptDynamic->_ptNextDynamic)
            ptDynamic->Reset();
}

void KxwDomHtmlCollectionGeneral::CreateCollectionMap() {
    if (_ptCollectionMap) return;
    KxwMemMgr* ptMemMgr = GetMemMgr();
    void* pvBlock =
        ptMemMgr ? ptMemMgr->Alloc(sizeof(KxwDomHtmlCollectionMap), 8) : maw_malloc(sizeof(KxwDomHtmlCollectionMap));
    if (!pvBlock)
        KxwUtilOutOfMemoryAbort(sizeof(KxwDomHtmlCollectionMap),
                                "KxwDomHtmlCollectionMap for KxwDomHtmlCollectionGeneral::CreateCollectionMap");
    _ptCollectionMap = new (pvBlock) KxwDomHtmlCollectionMap(ptMemMgr);
    for (KxwDomHtmlCollectionItem* ptItem = _ptFirstCollectionItem; ptItem; ptItem = ptItem->next)
        _ptCollectionMap->Add(ptItem->_ptReferencedNode);
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
    for (KxwDomHtmlDynamicCollection* ptDynamic = _ptFirstDynamicByIdentifier; ptDynamic;
         ptDynamic = ptDynamic->_ptNextDynamic) {
        bool bWillMatch = ptDynamic->Accepts(mptNode, mpszNewValue ? mpszNewValue : "", mbId);
        bool bIn = ptDynamic->IsItemFound(mptNode);
        if (bIn && !bWillMatch)
            ptDynamic->RemoveItemSilently(mptNode);
        else if (!bIn && bWillMatch)
            ptDynamic->AddItemInOrderOf(mptNode, *this);
    }
    return true;
}

bool KxwDomHtmlCollectionGeneral::RemoveDescendantOfInHtmlDocument(const KxwDomNodeBase* mptNode) {
    if (!mptNode) return false;
    bool bRemoved = false;
    KxwDomHtmlCollectionItem* ptPrevious = nullptr;
    KxwDomHtmlCollectionItem* ptItem = _ptFirstCollectionItem;
    while (ptItem) {
        KxwDomHtmlCollectionItem* ptNext = ptItem->next;
        if (ptItem->_ptReferencedNode && ptItem->_ptReferencedNode->IsDescendantOf(mptNode)) {
            UnlinkItem(ptItem, ptPrevious);
            bRemoved = true;
        } else {
            ptPrevious = ptItem;
        }
        ptItem = ptNext;
    }
    return bRemoved;
}

// ---------------------------------------------------------------------------------------------------------------
// Lookups

void KxwDomHtmlCollectionGeneral::LinkDynamic(KxwDomHtmlDynamicCollection* mptDynamic, bool mbByIdentifier) {
    KxwDomHtmlDynamicCollection*& rptHead = mbByIdentifier ? _ptFirstDynamicByIdentifier : _ptFirstDynamicByTag;
    mptDynamic->_ptNextDynamic = rptHead;
    rptHead = mptDynamic;
}

KxwDomHtmlCollectionGeneral* KxwDomHtmlCollectionGeneral::GetDynamicCollection(const char* mpsfName, unsigned muNameLen,
                                                                               bool mbByIdentifier, bool mbCreate) {
    if (!mpsfName) return nullptr;
    for (KxwDomHtmlDynamicCollection* ptDynamic = _ptFirstDynamicByIdentifier; ptDynamic;
         ptDynamic = ptDynamic->_ptNextDynamic) {
        auto* ptById = static_cast<KxwDomHtmlDynamicCollectionByIdentifier*>(ptDynamic);
        if (ptById->IsByIdentifier() == mbByIdentifier && ptById->IsKey(mpsfName, muNameLen)) return ptById;
    }
    if (!mbCreate) return nullptr;
    auto* ptDynamic =
        new (GetDomEnv()) KxwDomHtmlDynamicCollectionByIdentifier(*this, mpsfName, muNameLen, mbByIdentifier);
    ptDynamic->FillFromSource();
    LinkDynamic(ptDynamic, true);
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
    if (mbByIdentifier) {
        KxwDomNodeBase* ptFirst = nullptr;
        for (KxwDomHtmlCollectionItem* ptItem = _ptFirstCollectionItem; ptItem; ptItem = ptItem->next) {
            if (!KxwDomHtmlDynamicCollectionByIdentifier::Matches(ptItem->_ptReferencedNode, mpszName, uLen, true,
                                                                  nullptr, true))
                continue;
            if (ptFirst) return GetDynamicCollection(mpszName, uLen, true, true);
            ptFirst = ptItem->_ptReferencedNode;
        }
        return ptFirst;
    }
    CreateCollectionMap();
    KxwDomNodeBase* ptFirst = nullptr;
    size_t nCount = _ptCollectionMap->Count(mpszName, &ptFirst);
    if (nCount == 0) return nullptr;
    if (nCount == 1) return ptFirst;
    KxwDomHtmlCollectionGeneral* ptMatching = GetDynamicCollection(mpszName, uLen, false, true);
    if (!ptMatching)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptMatchingCollection == NULL in KxwDomHtmlCollectionMap::GetItem");
    return ptMatching;
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
    for (KxwDomHtmlDynamicCollection* ptDynamic = _ptFirstDynamicByTag; ptDynamic;
         ptDynamic = ptDynamic->_ptNextDynamic) {
        auto* ptByTag = static_cast<KxwDomHtmlDynamicCollectionByTag*>(ptDynamic);
        if (ptByTag->IsTag(mpwsfTagName, muTagNameLenInChars)) return ptByTag;
    }
    std::string dsTag = xfdsKxwDomUtilU16ToUtf8(mpwsfTagName, muTagNameLenInChars);
    auto* ptDynamic =
        new (GetDomEnv()) KxwDomHtmlDynamicCollectionByTag(*this, dsTag.data(), static_cast<unsigned>(dsTag.size()));
    ptDynamic->FillFromSource();
    LinkDynamic(ptDynamic, false);
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
    mrtPropertyInfo = static_cast<int>(_uliLength);
    return true;
}

bool KxwDomHtmlCollectionGeneral::IsResolved(const char* mpszName) {
    return mpszName && *mpszName && GetItem(mpszName, false) != nullptr;
}

void KxwDomHtmlCollectionGeneral::GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>&) {
    mruliIndexCount = _uliLength;
}

bool KxwDomHtmlCollectionGeneral::GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                                                 KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    KxwDomNodeBase* ptNode = mnIndex >= 0 ? GetItem(static_cast<unsigned long>(mnIndex)) : nullptr;
    if (!ptNode) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "Index %d beyond the length %lu in KxwDomHtmlCollectionGeneral::GetPropByIndex "
                "for this=%p",
                static_cast<int>(mnIndex), _uliLength, static_cast<void*>(this));
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

bool KxwDomHtmlCollectionOrdered::AddItem(KxwDomNodeBase* mptElement) {
    if (IsEmpty()) return AppendItem(mptElement);
    KxwDomNodeBase* ptPrevReferencedNode = xfptKxwDomGetPreviousElement(mptElement, GetOwnerNode());
    KxwDomHtmlCollectionItem* ptLast = GetLastItem();
    if (!ptPrevReferencedNode) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid ptPrevReferencedNode/_ptLastCollectionItem->_ptReferencedNode (%p/%p) in "
            "KxwDomHtmlCollectionOrdered::AddItem(mptElement=%p) for this=%p. Item not added",
            static_cast<void*>(ptPrevReferencedNode), static_cast<void*>(ptLast->_ptReferencedNode),
            static_cast<void*>(mptElement), static_cast<void*>(this));
        return false;
    }
    if (ptPrevReferencedNode == ptLast->_ptReferencedNode) return AppendItem(mptElement);
    if (ptPrevReferencedNode == GetOwnerNode()) return InsertItemAfter(mptElement, nullptr) != nullptr;
    if (InsertItemAfterNode(mptElement, ptPrevReferencedNode)) return true;
    xfvKxwUtilReportInternalErrorBySevLvl(
        KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
        "Invalid uliCrntIndex/ptPrevCollectionItem (%lu/%p) in KxwDomHtmlCollectionOrdered::AddItem(mptElement=%p). "
        "_uliLength=%lu, _ptLastCollectionItem=%p, this=%p",
        GetLength(), static_cast<void*>(nullptr), static_cast<void*>(mptElement), GetLength(),
        static_cast<void*>(ptLast), static_cast<void*>(this));
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
