// The common part of TABLE, its sections (THEAD, TBODY, TFOOT) and TR: the "rows" and "cells" views of the
// element's subtree, made on first use and kept current as the tree changes, and the row operations that the
// table and its sections share.
//
// A row or cell belongs to the nearest TABLE, section or row above it; a nested table's rows and cells are its own
// and never counted by the elements around it. Both views follow the order of the collection of all elements of
// the element's top-most ancestor, and are pointed at the new one whenever the element moves to another tree.
#pragma once

#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlElement.h"

class KxwDomScriptCall;

class KxwDomHtmlTableElement : public KxwDomHtmlElement {
public:
    KxwDomHtmlTableElement(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                           bool mbUseMemMgr);
    ~KxwDomHtmlTableElement() override;

    // The TR (resp. TD and TH) elements that belong to this element, in document order; made on first use.
    KxwDomHtmlCollectionDependent* GetRows();
    KxwDomHtmlCollectionDependent* GetCells();

    // ---- Rows ----
    // A new TR before the row at mliIndex of "rows", in that row's parent; for -1 or the length of "rows", the last
    // child of GetParentForAppendedRow(). Null when the index names no row (the script error naming insertRow is
    // reported) or when the row could not be made or placed (reported).
    KxwDomHtmlElement* InsertRow(long mliIndex);
    // Removes the row at mliIndex of "rows" (-1: the last one) with its subtree; false when the index names no row
    // (the script error naming deleteRow is reported).
    bool DeleteRow(long mliIndex);

    // ---- Tree changes ----
    // Rows and cells that join or leave the subtree, and ids and names that change on them.
    void NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                    void* mpvNotificationObject) override;
    void NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                                  void* mpvNotificationObject) override;
    void ForgetDeletedNode(const KxwDomNodeBase* mptNode) override;
    // Points the views at the collection of all elements of the element's top-most ancestor (mptTopOfSubHierarchy
    // when the element is being taken out with it) and fills them again.
    void UpdateCollectionDependency(KxwDomNodeBase* mptTopOfSubHierarchy) override;
    void OnAddedToTree() override;

    // ---- Script arguments shared by the row and cell methods ----
    enum KXW_INDEX_ARG_ENUM { kIndexArgAbsent, kIndexArgGiven, kIndexArgInvalid };
    // The muIndex-th argument as an index: absent (missing or undefined), a number (truncated; values beyond any
    // length stay beyond it), or anything else (invalid).
    static KXW_INDEX_ARG_ENUM ReadIndexArg(const KxwDomScriptCall& mrtCall, unsigned muIndex, long& mrliIndex);
    // The script forms of insertRow and deleteRow, for the sections and the table.
    bool CallInsertRow(KxwDomScriptCall& mrtCall);
    bool CallDeleteRow(KxwDomScriptCall& mrtCall);

protected:
    // Where insertRow puts a row that goes after all the others: the section itself (the table overrides it).
    virtual KxwDomCoreNode* GetParentForAppendedRow() { return this; }
    // An element of the subtype in this element's document, in no tree yet (parked until it is inserted).
    KxwDomHtmlElement* NewElementOfSubtype(KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype, const char* mpszCaller);
    // From now on the element hears of the changes below it (its views are about to be made).
    void ListenToTreeChanges();
    // The rows, then the cells, as the hierarchy dump shows them.
    void PrintRowsAndCells(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl) const;

private:
    // The view in mrptCollection, made and filled when it is missing.
    KxwDomHtmlCollectionDependent* ObtainCollection(KxwDomHtmlCollectionDependent*& mrptCollection,
                                                    const char* mpszName,
                                                    const KXW_DOM_COMMON_NODE_SUBTYPE_ENUM* mpaeTags);
    // The view that counts elements of mptNode's subtype, when it was made.
    KxwDomHtmlCollectionDependent* GetCollectionFor(const KxwDomNodeBase* mptNode) const;
    // Whether mptNode belongs here: the first TABLE or this element met above it is this element.
    bool IsCountedHere(const KxwDomNodeBase* mptNode) const;
    void ElementAddedRemovedNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, KxwDomNodeBase* mptElement,
                                     void* mpvExtra);
    // Refills the views that exist when the element moved since they were filled; mbMakeAll as for GetTopMostAll
    // (not while a change of the tree is announced).
    void EnsureDependencyCurrent(bool mbMakeAll);
    void Refill(KxwDomHtmlCollectionOrdered* mptAll);
    // Makes the view of the zero-terminated list of subtypes anew from the subtree, following mptAll.
    void Fill(KxwDomHtmlCollectionDependent& mrtCollection, KxwDomHtmlCollectionOrdered* mptAll,
              const KXW_DOM_COMMON_NODE_SUBTYPE_ENUM* mpaeTags);

    KxwDomHtmlCollectionDependent* _ptCells = nullptr;
    KxwDomHtmlCollectionDependent* _ptRows = nullptr;
};
