#include "KxwDomHtmlElementTable.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"
#include "kxw/KxwEnvCfg.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE_ALT;
constexpr uint16_t kReadOnly = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY;
using Table = KxwDomHtmlElementTable;
using TableCall = KxwDomScriptCallOn<KxwDomHtmlElementTable>;

// The parts a table has at most one of that scripts reach: where a new one goes, and the callbacks' names.
struct PartRule {
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM _eSubtype;
    const char* _pszCreateCallback;
    const char* _pszDeleteCallback;
};
constexpr PartRule katPartRules[] = {
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_CAPTION, "KxwDomHtmlElementTable::createCaption_callback",
     "KxwDomHtmlElementTable::deleteCaption_callback"},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_THEAD, "KxwDomHtmlElementTable::createTHead_callback",
     "KxwDomHtmlElementTable::deleteTHead_callback"},
    {KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TFOOT, "KxwDomHtmlElementTable::createTFoot_callback",
     "KxwDomHtmlElementTable::deleteTFoot_callback"},
};
enum : int { kPartCaption, kPartTHead, kPartTFoot };

bool insertRow_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    TableCall tCall("KxwDomHtmlElementTable::insertRow_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    return tCall.This()->CallInsertRow(tCall);
}

bool deleteRow_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    TableCall tCall("KxwDomHtmlElementTable::deleteRow_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    return tCall.This()->CallDeleteRow(tCall);
}

template <int kiPart>
bool createPart_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    const PartRule& rtRule = katPartRules[kiPart];
    TableCall tCall(rtRule._pszCreateCallback, mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    KxwDomHtmlElement* ptPart = tCall.This()->ObtainPart(rtRule._eSubtype, rtRule._pszCreateCallback);
    if (!ptPart) return tCall.Null();
    return tCall.Return(ptPart);
}

template <int kiPart>
bool deletePart_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    const PartRule& rtRule = katPartRules[kiPart];
    TableCall tCall(rtRule._pszDeleteCallback, mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    tCall.This()->DeletePart(rtRule._eSubtype);
    return tCall.Undefined();
}

// Paging through data-bound rows and refreshing them: no data binding is modelled, the table stays as it is.
bool paging_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    TableCall tCall("KxwDomHtmlElementTable::paging_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    return tCall.Undefined();
}

const KxwJswPropertySpec katTableProperties[] = {
    {"background", Table::kIdBackground, kAttr, "S"},   {"tBodies", Table::kIdTBodies, kReadOnly, nullptr},
    {"rows", Table::kIdRows, kReadOnly, nullptr},       {"cells", Table::kIdCells, kReadOnly, nullptr},
    {"caption", Table::kIdCaption, kReadOnly, nullptr}, {"tFoot", Table::kIdTFoot, kReadOnly, nullptr},
    {"tHead", Table::kIdTHead, kReadOnly, nullptr},     {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katTableMethods[] = {
    {"insertRow", nullptr, nullptr, 1, insertRow_callback},
    {"deleteRow", nullptr, nullptr, 1, deleteRow_callback},
    {"createTHead", nullptr, nullptr, 0, createPart_callback<kPartTHead>},
    {"createCaption", nullptr, nullptr, 0, createPart_callback<kPartCaption>},
    {"createTFoot", nullptr, nullptr, 0, createPart_callback<kPartTFoot>},
    {"deleteCaption", nullptr, nullptr, 0, deletePart_callback<kPartCaption>},
    {"firstPage", nullptr, nullptr, 0, paging_callback},
    {"lastPage", nullptr, nullptr, 0, paging_callback},
    {"nextPage", nullptr, nullptr, 0, paging_callback},
    {"previousPage", nullptr, nullptr, 0, paging_callback},
    {"refresh", nullptr, nullptr, 0, paging_callback},
    {"deleteTFoot", nullptr, nullptr, 0, deletePart_callback<kPartTFoot>},
    {"deleteTHead", nullptr, nullptr, 0, deletePart_callback<kPartTHead>},
    {nullptr, nullptr, nullptr, 0},
};

bool IsTBody(const KxwDomNodeBase* mptNode) {
    return mptNode && !mptNode->IsPlaceHolder() &&
           mptNode->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TBODY;
}

}  // namespace

KxwDomHtmlElementTable::KxwDomHtmlElementTable(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlTableElement(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TABLE, mbUseMemMgr),
      KxwDomHtmlTableBackground(GetDomEnv()) {}

KxwDomHtmlElementTable::~KxwDomHtmlElementTable() {
    delete _ptTBodies;
    _ptTBodies = nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// Sections and parts

KxwDomHtmlElement* KxwDomHtmlElementTable::GetFirstChildOfSubtype(KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype) const {
    for (KxwDomNodeBase* ptChild = GetDomFirstChild(); ptChild; ptChild = ptChild->GetDomNextSibling())
        if (!ptChild->IsPlaceHolder() && ptChild->GetNodeSubtype() == meSubtype) return ptChild->DownCastToElement();
    return nullptr;
}

bool KxwDomHtmlElementTable::IsOwnTBody(const KxwDomNodeBase* mptNode) const {
    return IsTBody(mptNode) && mptNode->GetDomParentNode() == this;
}

KxwDomHtmlCollectionOrdered* KxwDomHtmlElementTable::GetTbodies() {
    if (_ptTBodies) return _ptTBodies;
    ListenToTreeChanges();
    _ptTBodies = new (GetDomEnv()) KxwDomHtmlCollectionOrdered(GetDomEnv());
    _ptTBodies->SetOwnerNode(this, "tBodies");
    for (KxwDomNodeBase* ptChild = GetDomFirstChild(); ptChild; ptChild = ptChild->GetDomNextSibling())
        if (IsTBody(ptChild)) _ptTBodies->AppendItem(ptChild);
    return _ptTBodies;
}

KxwDomHtmlElement* KxwDomHtmlElementTable::EnsureImpliedTBody(KxwDomCoreNode* mptParentOrNull) {
    static const char kszCaller[] = "KxwDomHtmlElementTable::EnsureImpliedTBody";
    if (KxwDomHtmlElement* ptTBody = GetFirstChildOfSubtype(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TBODY))
        return ptTBody;
    KxwDomHtmlElement* ptTBody = NewElementOfSubtype(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TBODY, kszCaller);
    if (!ptTBody) return nullptr;
    KxwDomCoreNode* ptParent = mptParentOrNull ? mptParentOrNull : this;
    KxwDomWatchDelete tWatchTBody(kszCaller, ptTBody);
    KxwDomNodeBase* ptAppended = ptParent->AppendChild(ptTBody);
    if (tWatchTBody.HasBeenDeleted() || ptAppended != ptTBody) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "AppendChild failed for ptTBody=%p, ptParent=%p in %.100s. this=%p",
                                              static_cast<void*>(tWatchTBody.GetEffectiveWatchedPtr()),
                                              static_cast<void*>(ptParent), kszCaller, static_cast<void*>(this));
        return nullptr;
    }
    return ptTBody;
}

KxwDomCoreNode* KxwDomHtmlElementTable::GetParentForAppendedRow() {
    KxwDomHtmlCollectionDependent* ptRows = GetRows();
    if (KxwDomNodeBase* ptLastRow = ptRows->IsEmpty() ? nullptr : ptRows->GetItem(ptRows->GetLength() - 1))
        return ptLastRow->GetDomParentNode();
    KxwDomHtmlElement* ptTBody = EnsureImpliedTBody(nullptr);
    if (!ptTBody)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptTbody == NULL in KxwDomHtmlElementTable::insertRow_callback");
    return ptTBody;
}

KxwDomHtmlElement* KxwDomHtmlElementTable::ObtainPart(KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                                                      const char* mpszCaller) {
    if (KxwDomHtmlElement* ptPart = GetFirstChildOfSubtype(meSubtype)) return ptPart;
    KxwDomHtmlElement* ptPart = NewElementOfSubtype(meSubtype, mpszCaller);
    if (!ptPart) return nullptr;
    KxwDomWatchDelete tWatchThis(mpszCaller, this);
    KxwDomWatchDelete tWatchPart(mpszCaller, ptPart);
    // A foot follows everything; a caption and a head come first.
    KxwDomNodeBase* ptBefore =
        meSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TFOOT ? nullptr : GetDomFirstChild();
    KxwDomNodeBase* ptInserted = InsertBefore(ptPart, ptBefore);
    if (tWatchThis.HasBeenDeleted() || tWatchPart.HasBeenDeleted()) return nullptr;
    if (ptInserted != ptPart) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "InsertBefore failed for ptPart=%p in %.100s. this=%p",
                                              static_cast<void*>(ptPart), mpszCaller, static_cast<void*>(this));
        return nullptr;
    }
    return ptPart;
}

void KxwDomHtmlElementTable::DeletePart(KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype) {
    if (KxwDomHtmlElement* ptPart = GetFirstChildOfSubtype(meSubtype)) RemoveChild(ptPart);
}

// ---------------------------------------------------------------------------------------------------------------
// Tree changes

void KxwDomHtmlElementTable::NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                        void* mpvNotificationSubject, void* mpvNotificationObject) {
    KxwDomWatchDelete tWatchThis("KxwDomHtmlElementTable::NotifyThis", this);
    KxwDomHtmlTableElement::NotifyThis(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
    if (tWatchThis.HasBeenDeleted() || !_ptTBodies) return;
    auto* ptSubject = static_cast<KxwDomNodeBase*>(mpvNotificationSubject);
    switch (meNotificationType) {
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_DELETING_DESCENDANTS:
            if (!ptSubject) {
                xfvKxwUtilReportInternalErrorBySevLvl(
                    KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                    "ptAncestor is NULL (mpvNotificationSubject=%p) in KxwDomHtmlElementTable::NotifyThis",
                    mpvNotificationSubject);
                return;
            }
            _ptTBodies->RemoveDescendantOfInHtmlDocument(ptSubject);
            break;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED:
            if (ptSubject && _ptTBodies->IsItemFound(ptSubject))
                _ptTBodies->UpdateCollection(meNotificationType, ptSubject, mpvNotificationObject);
            break;
        default:
            break;
    }
}

void KxwDomHtmlElementTable::NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                                      void* mpvNotificationSubject, void* mpvNotificationObject) {
    KxwDomWatchDelete tWatchThis("KxwDomHtmlElementTable::NotifyThisAfterAncestors", this);
    KxwDomHtmlTableElement::NotifyThisAfterAncestors(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
    if (tWatchThis.HasBeenDeleted() || !_ptTBodies) return;
    auto* ptSubject = static_cast<KxwDomNodeBase*>(mpvNotificationSubject);
    if (meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED && IsOwnTBody(ptSubject) &&
        !_ptTBodies->IsItemFound(ptSubject))
        _ptTBodies->AddItem(ptSubject);
}

void KxwDomHtmlElementTable::ForgetDeletedNode(const KxwDomNodeBase* mptNode) {
    KxwDomHtmlTableElement::ForgetDeletedNode(mptNode);
    if (_ptTBodies) _ptTBodies->ForgetDeletedNode(mptNode);
}

// ---------------------------------------------------------------------------------------------------------------
// Attributes, dump and script

bool KxwDomHtmlElementTable::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "background")) {
        SetBackgroundParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlTableElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementTable::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlTableElement::CopyClassPropertiesTo(mrtClone);
    CopySpecifiedText(_tBackground, static_cast<KxwDomHtmlElementTable&>(mrtClone)._tBackground);
}

void KxwDomHtmlElementTable::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    KxwDomHtmlTableElement::PrintMe(miIndent, meSevLvl, mulMask);
    if ((mulMask & KXW_DOM_PRINT_MASK_COLLECTIONS) && xfbKxwUtilIsSevLvlEnabled(meSevLvl))
        PrintRowsAndCells(miIndent, meSevLvl);
}

const KxwJswClassInformation* KxwDomHtmlElementTable::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "table", katTableProperties,
                                                    katTableMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementTable::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdBackground:
            mrtPropertyInfo = _tBackground;
            return true;
        case kIdTBodies:
            mrtPropertyInfo.AssignDomObjectOrNull(GetTbodies());
            return true;
        case kIdRows:
            mrtPropertyInfo.AssignDomObjectOrNull(GetRows());
            return true;
        case kIdCells:
            mrtPropertyInfo.AssignDomObjectOrNull(GetCells());
            return true;
        case kIdCaption:
            mrtPropertyInfo.AssignDomObjectOrNull(
                GetFirstChildOfSubtype(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_CAPTION));
            return true;
        case kIdTFoot:
            mrtPropertyInfo.AssignDomObjectOrNull(
                GetFirstChildOfSubtype(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TFOOT));
            return true;
        case kIdTHead:
            mrtPropertyInfo.AssignDomObjectOrNull(
                GetFirstChildOfSubtype(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_THEAD));
            return true;
        default:
            if (mnTinyId < kIdBackground) return KxwDomHtmlTableElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlElementTable", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementTable::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdBackground) {
        StoreScriptText(_tBackground, mrtPropertyInfo);
        return true;
    }
    if (mnTinyId < kIdBackground) return KxwDomHtmlTableElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlElementTable", mnTinyId);
}

void KxwDomHtmlElementTable::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("background", GetBackground());
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}
