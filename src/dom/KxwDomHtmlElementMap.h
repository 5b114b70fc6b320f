// MAP: an image map, with "areas", the AREA elements that lie inside it in document order. The list follows the
// order of the collection of all elements of the map's top-most ancestor, and is pointed at the new one whenever the
// map moves to another tree.
#pragma once

#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlElementWithName.h"

class KxwDomHtmlElementArea;

// What a script step says of the area it wants: each key that is given (not null) must equal the area's value;
// the ordinal (from 1) counts the areas that fit.
struct KxwDomHtmlElementMapArgsFindElementArea {
    const char* _pszAlt = nullptr;
    const char* _pszHref = nullptr;  // as written
    const char* _pszId = nullptr;
    const char* _pszName = nullptr;
    const char* _pszTarget = nullptr;
    unsigned _uOrdinal = 1;
};

class KxwDomHtmlElementMap : public KxwDomHtmlElementWithName {
public:
    KxwDomHtmlElementMap(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);
    ~KxwDomHtmlElementMap() override;

    // The map's areas, following the tree the map is in now; made on first use (null only when the map has no
    // memory to make it in).
    KxwDomHtmlCollectionDependent* GetAreas();
    // The ordinal-th area that fits the keys, or null.
    KxwDomHtmlElementArea* FindElementArea(KxwDomHtmlElementMapArgsFindElementArea& mrtArgs);
    // The area's index in "areas"; -1 for null and (reported) for an area that is not there.
    long GetAreaIndex(const KxwDomHtmlElementArea* mptElementArea);
    // Points "areas" at the collection of all elements of the map's top-most ancestor (mptTopOfSubHierarchy when
    // the map is being taken out with it) and fills it again.
    void UpdateCollectionDependency(KxwDomNodeBase* mptTopOfSubHierarchy) override;
    void OnAddedToTree() override;

    // Areas that join or leave the map's subtree.
    void NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                    void* mpvNotificationObject) override;
    void NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                                  void* mpvNotificationObject) override;

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

    static constexpr short kIdAreas = KxwDomHtmlElementWithName::kFirstDerivedTinyId;

private:
    // Refills "areas" when the map moved since it was filled; mbMakeAll as for GetTopMostAll.
    void EnsureDependencyCurrent(bool mbMakeAll);
    void Refill(KxwDomHtmlCollectionOrdered* mptAll);
    bool IsInsideMap(const KxwDomNodeBase* mptNode) const;

    // Made when first asked for: until then nothing follows the areas.
    KxwDomHtmlCollectionDependent* _ptAreas = nullptr;
};
