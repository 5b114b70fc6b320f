#include "KxwDomHtmlTableElement.h"

#include <cmath>

#include "KxwDomScriptCall.h"
#include "KxwDomTraverseHierarchy.h"
#include "KxwDomWatchDelete.h"
#include "KxwUtilTagName.h"
#include "kxw/KxwEnvCfg.h"

namespace {

constexpr KXW_DOM_COMMON_NODE_SUBTYPE_ENUM kaeRowTags[] = {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TR,
                                                           KXW_DOM_COMMON_NODE_SUBTYPE_NONE};
constexpr KXW_DOM_COMMON_NODE_SUBTYPE_ENUM kaeCellTags[] = {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TD,
                                                            KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TH,
                                                            KXW_DOM_COMMON_NODE_SUBTYPE_NONE};
// Indexes from scripts are kept below this size: far beyond any length, and exact in a double.
constexpr double kdfMaxIndex = 1e15;

bool IsTable(const KxwDomNodeBase* mptNode) {
    return mptNode && mptNode->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TABLE;
}

bool IsInTags(const KXW_DOM_COMMON_NODE_SUBTYPE_ENUM* mpaeTags, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype) {
    for (; *mpaeTags != KXW_DOM_COMMON_NODE_SUBTYPE_NONE; ++mpaeTags)
        if (*mpaeTags == meSubtype) return true;
    return false;
}

// The elements of a zero-terminated list of subtypes in a table element's subtree, in document order; a nested
// table is passed over with everything in it.
class KxwDomTraverseHierarchyCollectTableElementsByTags : public KxwDomTraverseHierarchy {
public:
    KxwDomTraverseHierarchyCollectTableElementsByTags(const KxwDomNodeBase* mptOwner,
                                                      const KXW_DOM_COMMON_NODE_SUBTYPE_ENUM* mpaeTags,
                                                      KxwDomHtmlCollectionGeneral& mrtTarget)
        : _ptOwner(mptOwner), _paeTags(mpaeTags), _rtTarget(mrtTarget) {}

    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Visit(KxwDomNodeBase* mptNode) override {
        if (!mptNode || mptNode == _ptOwner) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
        // A place holder is walked like a container: the element it stands for is met on its own.
        const KxwDomNodeBase* ptReal = mptNode->IsPlaceHolder() ? mptNode->GetRealNode() : mptNode;
        if (ptReal != _ptOwner && IsTable(ptReal)) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_SKIP_DESCENDANTS;
        if (!mptNode->IsPlaceHolder() && mptNode->IsElementNode() && IsInTags(_paeTags, mptNode->GetNodeSubtype()) &&
            !_rtTarget.IsItemFound(mptNode))
            _rtTarget.AppendItem(mptNode);
        return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    }

private:
    const KxwDomNodeBase* _ptOwner;
    const KXW_DOM_COMMON_NODE_SUBTYPE_ENUM* _paeTags;
    KxwDomHtmlCollectionGeneral& _rtTarget;
};

}  // namespace

KxwDomHtmlTableElement::KxwDomHtmlTableElement(KxwDomHtmlDocument* mptOwnerDocument,
                                               KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, meSubtype, mbUseMemMgr) {}

KxwDomHtmlTableElement::~KxwDomHtmlTableElement() {
    delete _ptCells;
    delete _ptRows;
    _ptCells = _ptRows = nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// The views

KxwDomHtmlCollectionDependent* KxwDomHtmlTableElement::ObtainCollection(
    KxwDomHtmlCollectionDependent*& mrptCollection, const char* mpszName,
    const KXW_DOM_COMMON_NODE_SUBTYPE_ENUM* mpaeTags) {
    if (mrptCollection) {
        EnsureDependencyCurrent(true);
        return mrptCollection;
    }
    ListenToTreeChanges();
    mrptCollection = new (GetDomEnv()) KxwDomHtmlCollectionDependent(GetDomEnv());
    mrptCollection->SetOwnerNode(this, mpszName);
    Fill(*mrptCollection, GetTopMostAll(nullptr, true), mpaeTags);
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            &mrptCollection == &_ptRows
                ? "Rows collection created at %p for this=%p in KxwDomHtmlTableElement::GetRows"
                : "Cells collection created at %p for this=%p in KxwDomHtmlTableElement::GetCells",
            static_cast<void*>(mrptCollection), static_cast<void*>(this));
    return mrptCollection;
}

void KxwDomHtmlTableElement::ListenToTreeChanges() {
    // As a node's own collections do, the views ask for the changes below the element once they exist: until
    // then a page's tables leave the walks up the tree as short as they are without them.
    NoteTreeShapeChange();
    SetWantsEveryNotification();
}

KxwDomHtmlCollectionDependent* KxwDomHtmlTableElement::GetRows() {
    return ObtainCollection(_ptRows, "rows", kaeRowTags);
}

KxwDomHtmlCollectionDependent* KxwDomHtmlTableElement::GetCells() {
    return ObtainCollection(_ptCells, "cells", kaeCellTags);
}

void KxwDomHtmlTableElement::Fill(KxwDomHtmlCollectionDependent& mrtCollection, KxwDomHtmlCollectionOrdered* mptAll,
                                  const KXW_DOM_COMMON_NODE_SUBTYPE_ENUM* mpaeTags) {
    mrtCollection.Reset();
    mrtCollection.SetDependentOnCollection(mptAll);
    KxwDomTraverseHierarchyCollectTableElementsByTags tCollector(this, mpaeTags, mrtCollection);
    tCollector.Traverse(this, 0);
}

void KxwDomHtmlTableElement::Refill(KxwDomHtmlCollectionOrdered* mptAll) {
    if (_ptRows) Fill(*_ptRows, mptAll, kaeRowTags);
    if (_ptCells) Fill(*_ptCells, mptAll, kaeCellTags);
}

void KxwDomHtmlTableElement::EnsureDependencyCurrent(bool mbMakeAll) {
    if (!_ptRows && !_ptCells) return;
    // Comparing with the top-most "all" as it is now is safe even when the old one is gone: an equal address is
    // the collection in use now.
    KxwDomHtmlCollectionOrdered* ptAll = GetTopMostAll(nullptr, mbMakeAll);
    if ((_ptRows && _ptRows->GetDependentOnCollection() != ptAll) ||
        (_ptCells && _ptCells->GetDependentOnCollection() != ptAll))
        Refill(ptAll);
}

void KxwDomHtmlTableElement::UpdateCollectionDependency(KxwDomNodeBase* mptTopOfSubHierarchy) {
    KxwDomHtmlElement::UpdateCollectionDependency(mptTopOfSubHierarchy);
    if (_ptRows || _ptCells) Refill(GetTopMostAll(mptTopOfSubHierarchy, false));
}

void KxwDomHtmlTableElement::OnAddedToTree() {
    KxwDomHtmlElement::OnAddedToTree();
    if (_ptRows || _ptCells) Refill(GetTopMostAll(nullptr, false));
}

KxwDomHtmlCollectionDependent* KxwDomHtmlTableElement::GetCollectionFor(const KxwDomNodeBase* mptNode) const {
    if (!mptNode || mptNode->IsPlaceHolder()) return nullptr;
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM eSubtype = mptNode->GetNodeSubtype();
    if (eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TR) return _ptRows;
    if (IsInTags(kaeCellTags, eSubtype)) return _ptCells;
    return nullptr;
}

bool KxwDomHtmlTableElement::IsCountedHere(const KxwDomNodeBase* mptNode) const {
    for (const KxwDomCoreNode* ptAncestor = mptNode->GetDomParentNode(); ptAncestor;
         ptAncestor = ptAncestor->GetDomParentNode()) {
        if (ptAncestor == this) return true;
        if (IsTable(ptAncestor)) return false;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// Tree changes

void KxwDomHtmlTableElement::NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                        void* mpvNotificationSubject, void* mpvNotificationObject) {
    KxwDomHtmlElement::NotifyThis(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
    auto* ptSubject = static_cast<KxwDomNodeBase*>(mpvNotificationSubject);
    if ((!_ptRows && !_ptCells) || !ptSubject) return;
    switch (meNotificationType) {
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_DELETING_DESCENDANTS:
            // The removal follows the order of the collection followed: it must be the one in use.
            EnsureDependencyCurrent(false);
            if (_ptCells) _ptCells->RemoveDescendantOfInHtmlDocument(ptSubject);
            if (_ptRows) _ptRows->RemoveDescendantOfInHtmlDocument(ptSubject);
            break;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED:
            ElementAddedRemovedNotified(meNotificationType, ptSubject, mpvNotificationObject);
            break;
        default:
            break;
    }
}

void KxwDomHtmlTableElement::NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                                      void* mpvNotificationSubject, void* mpvNotificationObject) {
    KxwDomHtmlElement::NotifyThisAfterAncestors(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
    if (meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED && mpvNotificationSubject)
        ElementAddedRemovedNotified(meNotificationType, static_cast<KxwDomNodeBase*>(mpvNotificationSubject),
                                    mpvNotificationObject);
}

void KxwDomHtmlTableElement::ElementAddedRemovedNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                                         KxwDomNodeBase* mptElement, void* mpvExtra) {
    KxwDomHtmlCollectionDependent* ptCollection = GetCollectionFor(mptElement);
    if (!ptCollection) return;
    if (meNotificationType != KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED) {
        // What the view holds belongs here: a removal takes it out of this subtree, a new id or name re-keys it.
        if (ptCollection->IsItemFound(mptElement))
            ptCollection->UpdateCollection(meNotificationType, mptElement, mpvExtra);
        return;
    }
    if (!IsCountedHere(mptElement)) return;
    // The ancestors above were told first: the top-most "all" already holds the new element. A refill finds it;
    // without an "all" the tree gives the order.
    KxwDomHtmlCollectionOrdered* ptAll = GetTopMostAll(nullptr, false);
    if (!ptAll || ptCollection->GetDependentOnCollection() != ptAll) {
        Refill(ptAll);
        return;
    }
    if (ptCollection->IsItemFound(mptElement)) return;
    // Should the order not be found (the element missing from "all"), the view is made again from the tree.
    if (!ptCollection->AddItem(mptElement))
        Fill(*ptCollection, ptAll, ptCollection == _ptRows ? kaeRowTags : kaeCellTags);
}

void KxwDomHtmlTableElement::ForgetDeletedNode(const KxwDomNodeBase* mptNode) {
    KxwDomHtmlElement::ForgetDeletedNode(mptNode);
    if (_ptRows) _ptRows->ForgetDeletedNode(mptNode);
    if (_ptCells) _ptCells->ForgetDeletedNode(mptNode);
}

// ---------------------------------------------------------------------------------------------------------------
// Rows

KxwDomHtmlElement* KxwDomHtmlTableElement::NewElementOfSubtype(KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                                                               const char* mpszCaller) {
    KxwDomHtmlElement* ptElement = AllocElement(KxwUtilTagName(meSubtype), GetOwnerHtmlDocument(true), true);
    if (!ptElement)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "KxwDomHtmlElement::AllocElement returned NULL for this=%p in %.100s",
                                              static_cast<void*>(this), mpszCaller);
    return ptElement;
}

KxwDomHtmlElement* KxwDomHtmlTableElement::InsertRow(long mliIndex) {
    static const char kszCaller[] = "KxwDomHtmlTableElement::insertRow_callback";
    KxwDomHtmlCollectionDependent* ptRows = GetRows();
    long liLength = static_cast<long>(ptRows->GetLength());
    KxwDomNodeBase* ptBefore = nullptr;
    if (mliIndex != -1 && mliIndex != liLength) {
        ptBefore =
            mliIndex >= 0 && mliIndex < liLength ? ptRows->GetItem(static_cast<unsigned long>(mliIndex)) : nullptr;
        if (!ptBefore) {
            ReportErrorWithJavaScriptLineNumber(false, -35958, "insertRow");
            return nullptr;
        }
    }
    KxwDomWatchDelete tWatchThis(kszCaller, this);
    KxwDomCoreNode* ptParent = ptBefore ? ptBefore->GetDomParentNode() : GetParentForAppendedRow();
    if (tWatchThis.HasBeenDeleted()) return nullptr;
    KxwDomHtmlElement* ptRow =
        ptParent ? NewElementOfSubtype(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TR, kszCaller) : nullptr;
    if (!ptRow) return nullptr;
    // A row that could not be placed stays parked, and goes with the next collection.
    KxwDomWatchDelete tWatchRow(kszCaller, ptRow);
    KxwDomNodeBase* ptInserted = ptParent->InsertBefore(ptRow, ptBefore);
    if (tWatchThis.HasBeenDeleted() || tWatchRow.HasBeenDeleted()) return nullptr;
    if (ptInserted != ptRow) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "InsertBefore failed for ptRow=%p, ptParent=%p, ptBefore=%p in %.100s. this=%p", static_cast<void*>(ptRow),
            static_cast<void*>(ptParent), static_cast<void*>(ptBefore), kszCaller, static_cast<void*>(this));
        return nullptr;
    }
    return ptRow;
}

bool KxwDomHtmlTableElement::DeleteRow(long mliIndex) {
    KxwDomHtmlCollectionDependent* ptRows = GetRows();
    long liRowsLength = static_cast<long>(ptRows->GetLength());
    long liRowIndex = mliIndex == -1 ? liRowsLength - 1 : mliIndex;
    if (liRowIndex < 0 || liRowIndex >= liRowsLength) {
        ReportErrorWithJavaScriptLineNumber(false, -35958, "deleteRow");
        return false;
    }
    KxwDomNodeBase* ptDeletedTrNodeBase = ptRows->GetItem(static_cast<unsigned long>(liRowIndex));
    KxwDomCoreNode* ptParent = ptDeletedTrNodeBase ? ptDeletedTrNodeBase->GetDomParentNode() : nullptr;
    if (!ptParent) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "ptDeletedTrNodeBase is NULL in KxwDomHtmlTableElement::deleteRow_callback. liRowIndex=%ld, "
            "liRowsLength=%ld, ptRows=%p, this=%p",
            liRowIndex, liRowsLength, static_cast<void*>(ptRows), static_cast<void*>(this));
        return true;
    }
    KxwDomWatchDelete tWatchThis("KxwDomHtmlTableElement::deleteRow_callback", this);
    // The row leaves with its cells; a script that still holds it finds it whole, out of the tree.
    ptParent->RemoveChild(ptDeletedTrNodeBase);
    if (tWatchThis.HasBeenDeleted()) return true;
    if (_ptRows && static_cast<long>(_ptRows->GetLength()) != liRowsLength - 1)
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Unexpected ptRows->GetLength()/liRowsLength (%ld/%ld) in KxwDomHtmlTableElement::deleteRow_callback. "
            "liRowIndex=%ld, ptRows=%p, this=%p",
            static_cast<long>(_ptRows->GetLength()), liRowsLength, liRowIndex, static_cast<void*>(_ptRows),
            static_cast<void*>(this));
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Script forms

KxwDomHtmlTableElement::KXW_INDEX_ARG_ENUM KxwDomHtmlTableElement::ReadIndexArg(const KxwDomScriptCall& mrtCall,
                                                                                unsigned muIndex, long& mrliIndex) {
    mrliIndex = -1;
    if (muIndex >= mrtCall.Argc()) return kIndexArgAbsent;
    KxwJsval tValue = mrtCall.Arg(muIndex);
    if (tValue.IsUndefined()) return kIndexArgAbsent;
    if (!tValue.IsNumber()) return kIndexArgInvalid;
    double dfIndex = tValue.GetDouble(mrtCall.GetContext());
    if (std::isnan(dfIndex)) return kIndexArgInvalid;
    dfIndex = std::trunc(dfIndex);
    // An index out of every range stays out of it: it must not wrap round to a row that exists.
    if (dfIndex > kdfMaxIndex) dfIndex = kdfMaxIndex;
    if (dfIndex < -kdfMaxIndex) dfIndex = -kdfMaxIndex;
    mrliIndex = static_cast<long>(dfIndex);
    return kIndexArgGiven;
}

bool KxwDomHtmlTableElement::CallInsertRow(KxwDomScriptCall& mrtCall) {
    long liIndex = -1;
    if (ReadIndexArg(mrtCall, 0, liIndex) == kIndexArgInvalid) return mrtCall.Invalid();
    KxwDomHtmlElement* ptRow = InsertRow(liIndex);
    if (!ptRow) {
        mrtCall.Null();
        return false;
    }
    return mrtCall.Return(ptRow);
}

bool KxwDomHtmlTableElement::CallDeleteRow(KxwDomScriptCall& mrtCall) {
    long liIndex = -1;
    if (ReadIndexArg(mrtCall, 0, liIndex) == kIndexArgInvalid) return mrtCall.Invalid();
    if (!DeleteRow(liIndex)) {
        mrtCall.Null();
        return false;
    }
    return mrtCall.Undefined();
}

// ---------------------------------------------------------------------------------------------------------------
// Hierarchy dump

void KxwDomHtmlTableElement::PrintRowsAndCells(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl) const {
    if (_ptRows)
        _ptRows->PrintCollection("rows", miIndent + 1, meSevLvl);
    else
        KxwDomHtmlCollectionGeneral::PrintMissingCollection("rows", miIndent + 1, meSevLvl);
    if (_ptCells)
        _ptCells->PrintCollection("cells", miIndent + 1, meSevLvl);
    else
        KxwDomHtmlCollectionGeneral::PrintMissingCollection("cells", miIndent + 1, meSevLvl);
}
