#include "KxwDomHtmlElementTr.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"

namespace {

using Tr = KxwDomHtmlElementTr;
using TrCall = KxwDomScriptCallOn<KxwDomHtmlElementTr>;
constexpr uint16_t kReadOnly = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY;

// The index both cell methods require.
bool ReadRequiredIndex(TrCall& mrtCall, long& mrliIndex) {
    return KxwDomHtmlTableElement::ReadIndexArg(mrtCall, 0, mrliIndex) == KxwDomHtmlTableElement::kIndexArgGiven;
}

bool insertCell_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    TrCall tCall("KxwDomHtmlElementTr::insertCell_callback", mptUserObj, mrtArgs);
    long liIndex = -1;
    if (!tCall.Check(1)) return false;
    if (!ReadRequiredIndex(tCall, liIndex)) return tCall.Invalid();
    KxwDomHtmlElement* ptCell = tCall.This()->InsertCell(liIndex);
    if (!ptCell) {
        tCall.Null();
        return false;
    }
    return tCall.Return(ptCell);
}

bool deleteCell_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    TrCall tCall("KxwDomHtmlElementTr::deleteCell_callback", mptUserObj, mrtArgs);
    long liIndex = -1;
    if (!tCall.Check(1)) return false;
    if (!ReadRequiredIndex(tCall, liIndex)) return tCall.Invalid();
    if (!tCall.This()->DeleteCell(liIndex)) {
        tCall.Null();
        return false;
    }
    return tCall.Undefined();
}

const KxwJswPropertySpec katTrProperties[] = {
    {"cells", Tr::kIdCells, kReadOnly, nullptr},
    {"sectionRowIndex", Tr::kIdSectionRowIndex, kReadOnly, nullptr},
    {"rowIndex", Tr::kIdRowIndex, kReadOnly, nullptr},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katTrMethods[] = {
    {"insertCell", nullptr, nullptr, 1, insertCell_callback},
    {"deleteCell", nullptr, nullptr, 1, deleteCell_callback},
    {nullptr, nullptr, nullptr, 0},
};

bool IsSection(KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype) {
    return meSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_THEAD ||
           meSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TBODY ||
           meSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TFOOT;
}

}  // namespace

long KxwDomHtmlElementTr::CalculateRowIndex(bool mbSectionOnly) {
    KxwDomHtmlTableElement* ptContainer = nullptr;
    for (KxwDomCoreNode* ptParent = GetDomParentNode(); ptParent && !ptContainer;
         ptParent = ptParent->GetDomParentNode()) {
        KXW_DOM_COMMON_NODE_SUBTYPE_ENUM eSubtype = ptParent->GetNodeSubtype();
        bool bTable = eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TABLE;
        if (mbSectionOnly && bTable) {
            // A row straight in a table is in no section; the sections further up count only their own rows.
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "ptParent->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TABLE for mbSectionOnly == "
                "true in KxwDomHtmlElementTr::CalculateRowIndex");
            return -1;
        }
        if (bTable || (mbSectionOnly && IsSection(eSubtype)))
            ptContainer = dynamic_cast<KxwDomHtmlTableElement*>(ptParent);
    }
    KxwDomHtmlCollectionDependent* ptRows = ptContainer ? ptContainer->GetRows() : nullptr;
    if (!ptRows) return -1;
    unsigned long uliIndex = ptRows->GetItemIndex(this);
    if (uliIndex == ~0UL) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid list at index %lu in KxwDomHtmlCollectionGeneral::GetItemIndex, _uliLength=%lu, "
            "ptCrntCollectionItem=%p",
            uliIndex, ptRows->GetLength(), static_cast<void*>(this));
        return -1;
    }
    return static_cast<long>(uliIndex);
}

KxwDomHtmlElement* KxwDomHtmlElementTr::InsertCell(long mliIndex) {
    static const char kszCaller[] = "KxwDomHtmlElementTr::insertCell_callback";
    KxwDomHtmlCollectionDependent* ptCells = GetCells();
    long liLength = static_cast<long>(ptCells->GetLength());
    KxwDomNodeBase* ptBefore = nullptr;
    KxwDomCoreNode* ptParent = this;
    if (mliIndex != -1 && mliIndex != liLength) {
        ptBefore =
            mliIndex >= 0 && mliIndex < liLength ? ptCells->GetItem(static_cast<unsigned long>(mliIndex)) : nullptr;
        if (!ptBefore) {
            ReportErrorWithJavaScriptLineNumber(false, -35958, "insertCell");
            return nullptr;
        }
        ptParent = ptBefore->GetDomParentNode();
        if (!ptParent) {
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "ptNewCellsParent is NULL for ptCell=%p and this=%p in KxwDomHtmlElementTr::insertCell_callback",
                static_cast<void*>(ptBefore), static_cast<void*>(this));
            return nullptr;
        }
    }
    KxwDomHtmlElement* ptCell = NewElementOfSubtype(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TD, kszCaller);
    if (!ptCell) return nullptr;
    // A cell that could not be placed stays parked, and goes with the next collection.
    KxwDomWatchDelete tWatchThis(kszCaller, this);
    KxwDomWatchDelete tWatchCell(kszCaller, ptCell);
    KxwDomNodeBase* ptInserted = ptParent->InsertBefore(ptCell, ptBefore);
    if (tWatchThis.HasBeenDeleted() || tWatchCell.HasBeenDeleted()) return nullptr;
    if (ptInserted != ptCell) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "InsertBefore failed for ptCell=%p, ptParent=%p, ptBefore=%p in %.100s. this=%p",
            static_cast<void*>(ptCell), static_cast<void*>(ptParent), static_cast<void*>(ptBefore), kszCaller,
            static_cast<void*>(this));
        return nullptr;
    }
    return ptCell;
}

bool KxwDomHtmlElementTr::DeleteCell(long mliIndex) {
    KxwDomHtmlCollectionDependent* ptCells = GetCells();
    long liLength = static_cast<long>(ptCells->GetLength());
    long liCellIndex = mliIndex == -1 ? liLength - 1 : mliIndex;
    KxwDomNodeBase* ptCell = liCellIndex >= 0 && liCellIndex < liLength
                                 ? ptCells->GetItem(static_cast<unsigned long>(liCellIndex))
                                 : nullptr;
    KxwDomCoreNode* ptParent = ptCell ? ptCell->GetDomParentNode() : nullptr;
    if (!ptParent) {
        ReportErrorWithJavaScriptLineNumber(false, -35958, "deleteCell");
        return false;
    }
    ptParent->RemoveChild(ptCell);
    return true;
}

const KxwJswClassInformation* KxwDomHtmlElementTr::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "tr", katTrProperties, katTrMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementTr::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdCells:
            mrtPropertyInfo.AssignDomObjectOrNull(GetCells());
            return true;
        case kIdSectionRowIndex:
            mrtPropertyInfo = static_cast<int>(CalculateRowIndex(true));
            return true;
        case kIdRowIndex:
            mrtPropertyInfo = static_cast<int>(CalculateRowIndex(false));
            return true;
        default:
            if (mnTinyId < kIdCells) return KxwDomHtmlTableElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlElementTr", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementTr::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kIdCells) return KxwDomHtmlTableElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlElementTr", mnTinyId);
}
