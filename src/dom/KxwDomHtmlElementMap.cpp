#include "KxwDomHtmlElementMap.h"

#include <cstring>

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlElementAreaAnchor.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomTraverseHierarchy.h"
#include "KxwJswClassInformation.h"
#include "kxw/KxwEnvCfg.h"

namespace {

const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};
const KxwJswPropertySpec katMapProperties[] = {
    {"areas", KxwDomHtmlElementMap::kIdAreas, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};

bool IsArea(const KxwDomNodeBase* mptNode) {
    return mptNode && mptNode->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_AREA;
}

// The AREA elements of a subtree in document order.
class AreaCollector : public KxwDomTraverseHierarchy {
public:
    explicit AreaCollector(KxwDomHtmlCollectionGeneral& mrtAreas) : _rtAreas(mrtAreas) {}
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Visit(KxwDomNodeBase* mptNode) override {
        if (IsArea(mptNode)) _rtAreas.AppendItem(mptNode);
        return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    }

private:
    KxwDomHtmlCollectionGeneral& _rtAreas;
};

// An absent key matches; a given one equals the value as written.
bool KeyMatches(const char* mpszKey, const KxwDomHtmlPropertyStr& mrtValue) {
    if (!mpszKey) return true;
    unsigned uLen = mrtValue.GetDcsStr() ? mrtValue.GetDcsLenInBytes() : 0;
    return std::strlen(mpszKey) == uLen && (uLen == 0 || std::memcmp(mpszKey, mrtValue.GetDcsStr(), uLen) == 0);
}

}  // namespace

KxwDomHtmlElementMap::KxwDomHtmlElementMap(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementWithName(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_MAP, mbUseMemMgr) {
    SetWantsEveryNotification();
}

KxwDomHtmlElementMap::~KxwDomHtmlElementMap() {
    delete _ptAreas;
}

KxwDomHtmlCollectionDependent* KxwDomHtmlElementMap::GetAreas() {
    if (!_ptAreas) {
        _ptAreas = new (GetDomEnv()) KxwDomHtmlCollectionDependent(GetDomEnv());
        _ptAreas->SetOwnerNode(this, "areas");
        Refill(GetTopMostAll(nullptr, true));
        return _ptAreas;
    }
    EnsureDependencyCurrent(true);
    return _ptAreas;
}

void KxwDomHtmlElementMap::Refill(KxwDomHtmlCollectionOrdered* mptAll) {
    _ptAreas->Reset();
    _ptAreas->SetDependentOnCollection(mptAll);
    AreaCollector tCollector(*_ptAreas);
    for (KxwDomNodeBase* ptChild = GetFirstChild(); ptChild; ptChild = ptChild->GetNextSibling())
        if (tCollector.Traverse(ptChild, 0) == KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP) break;
}

void KxwDomHtmlElementMap::UpdateCollectionDependency(KxwDomNodeBase* mptTopOfSubHierarchy) {
    KxwDomHtmlElementWithName::UpdateCollectionDependency(mptTopOfSubHierarchy);
    if (!_ptAreas) return;
    Refill(GetTopMostAll(mptTopOfSubHierarchy, false));
}

void KxwDomHtmlElementMap::EnsureDependencyCurrent(bool mbMakeAll) {
    // Comparing with the top-most "all" as it is now is safe even when the old one is gone: an equal address is
    // the collection in use now.
    KxwDomHtmlCollectionOrdered* ptAll = GetTopMostAll(nullptr, mbMakeAll);
    if (_ptAreas && _ptAreas->GetDependentOnCollection() != ptAll) Refill(ptAll);
}

void KxwDomHtmlElementMap::OnAddedToTree() {
    KxwDomHtmlElementWithName::OnAddedToTree();
    if (_ptAreas) UpdateCollectionDependency(nullptr);
}

bool KxwDomHtmlElementMap::IsInsideMap(const KxwDomNodeBase* mptNode) const {
    return mptNode && mptNode != this && mptNode->IsDescendantOf(this);
}

void KxwDomHtmlElementMap::NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                                      void* mpvNotificationObject) {
    KxwDomHtmlElementWithName::NotifyThis(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
    if (!_ptAreas) return;
    auto* ptSubject = static_cast<KxwDomNodeBase*>(mpvNotificationSubject);
    if (meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED && IsArea(ptSubject))
        _ptAreas->RemoveItem(ptSubject, false);
    else if (meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_DELETING_DESCENDANTS && ptSubject) {
        // The removal follows the order of the collection followed: it must be the one in use.
        EnsureDependencyCurrent(false);
        _ptAreas->RemoveDescendantOfInHtmlDocument(ptSubject);
    }
}

void KxwDomHtmlElementMap::NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                                    void* mpvNotificationSubject, void* mpvNotificationObject) {
    KxwDomHtmlElementWithName::NotifyThisAfterAncestors(meNotificationType, mpvNotificationSubject,
                                                        mpvNotificationObject);
    auto* ptSubject = static_cast<KxwDomNodeBase*>(mpvNotificationSubject);
    if (!_ptAreas || meNotificationType != KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED || !IsArea(ptSubject) ||
        !IsInsideMap(ptSubject))
        return;
    // The ancestors above were told first: the top-most "all" already holds the new area. Without one, the tree
    // gives the order.
    KxwDomHtmlCollectionOrdered* ptAll = GetTopMostAll(nullptr, false);
    if (!ptAll || _ptAreas->GetDependentOnCollection() != ptAll) {
        Refill(ptAll);
        return;
    }
    if (!_ptAreas->IsItemFound(ptSubject)) _ptAreas->AddItem(ptSubject);
}

KxwDomHtmlElementArea* KxwDomHtmlElementMap::FindElementArea(KxwDomHtmlElementMapArgsFindElementArea& mrtArgs) {
    KxwDomHtmlCollectionDependent* ptAreas = GetAreas();
    if (!ptAreas || mrtArgs._uOrdinal == 0) return nullptr;
    unsigned uSeen = 0;
    for (KxwDomNodeBase* ptNode : *ptAreas) {
        auto* ptArea = static_cast<KxwDomHtmlElementArea*>(ptNode);
        if (!KeyMatches(mrtArgs._pszAlt, ptArea->GetAlt()) || !KeyMatches(mrtArgs._pszHref, ptArea->GetHref()) ||
            !KeyMatches(mrtArgs._pszId, ptArea->GetId()) || !KeyMatches(mrtArgs._pszName, ptArea->GetName()) ||
            !KeyMatches(mrtArgs._pszTarget, ptArea->GetTarget()))
            continue;
        if (++uSeen == mrtArgs._uOrdinal) return ptArea;
    }
    return nullptr;
}

long KxwDomHtmlElementMap::GetAreaIndex(const KxwDomHtmlElementArea* mptElementArea) {
    if (!mptElementArea) return -1;
    KxwDomHtmlCollectionDependent* ptAreas = GetAreas();
    unsigned long uliIndex = ptAreas ? ptAreas->GetItemIndex(mptElementArea) : ~0UL;
    if (uliIndex == ~0UL) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_tAreas.GetItemIndex returned KXW_DOM_HTML_COLLECTION_INVALID_INDEX "
                                              "for a non-NULL mptElementArea in KxwDomHtmlElementMap::GetAreaIndex");
        return -1;
    }
    return static_cast<long>(uliIndex);
}

const KxwJswClassInformation* KxwDomHtmlElementMap::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementWithNameClassInformation(), "map", katMapProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementMap::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdAreas) {
        mrtPropertyInfo.AssignDomObjectOrNull(GetAreas());
        return true;
    }
    if (mnTinyId < kIdAreas) return KxwDomHtmlElementWithName::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlElementMap", mnTinyId, mrtPropertyInfo);
}

bool KxwDomHtmlElementMap::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kIdAreas) return KxwDomHtmlElementWithName::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlElementMap", mnTinyId);
}
