#include "KxwDomStyleSheetList.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementAreaAnchor.h"
#include "KxwDomHtmlElementStyle.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomTraverseHierarchy.h"
#include "KxwJswClassInformation.h"
#include "kxw/KxwJswEngine.h"

namespace {

constexpr short kIdLength = -128;

const KxwJswPropertySpec katListProperties[] = {
    {"length", 128, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

class KxwDomStyleSheetFinder : public KxwDomTraverseHierarchy {
public:
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Visit(KxwDomNodeBase* mptNode) override {
        switch (mptNode->GetNodeSubtype()) {
            case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_STYLE:
                if (auto* ptStyle = dynamic_cast<KxwDomHtmlElementStyle*>(mptNode))
                    _tSheets.push_back(ptStyle->GetStyleSheetObject());
                break;
            case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LINK:
                if (auto* ptLink = dynamic_cast<KxwDomHtmlElementLink*>(mptNode))
                    if (ptLink->GetIsStyleSheet()) _tSheets.push_back(ptLink->GetStyleSheetObject());
                break;
            default:
                break;
        }
        return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    }
    std::vector<KxwDomStyleSheet*> _tSheets;
};

}  // namespace

KxwDomStyleSheetList::KxwDomStyleSheetList(KxwDomHtmlDocument* mptDocument)
    : KxwDomBase(static_cast<KxwMemMgr*>(nullptr), static_cast<KxwU16nHandler*>(nullptr)),
      _tWatchDocument("KxwDomStyleSheetList document", mptDocument) {}

KxwDomStyleSheetList* KxwDomStyleSheetList::Create(KxwDomHtmlDocument* mptDocument) {
    if (!KxwJswEngine::Current()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "No script engine on this thread in KxwDomStyleSheetList::Create");
        return nullptr;
    }
    auto* ptList = new (static_cast<KxwMemMgr*>(nullptr)) KxwDomStyleSheetList(mptDocument);
    // The engine object is made at once, so that it owns the list even if the caller drops it.
    if (ptList->CreateJsiObj()) return ptList;
    delete ptList;
    return nullptr;
}

KxwDomHtmlDocument* KxwDomStyleSheetList::GetDocument() const {
    return static_cast<KxwDomHtmlDocument*>(_tWatchDocument.GetEffectiveWatchedPtr());
}

std::vector<KxwDomStyleSheet*> KxwDomStyleSheetList::CollectStyleSheets(KxwDomHtmlDocument* mptDocument) {
    KxwDomStyleSheetFinder tFinder;
    if (mptDocument) tFinder.Traverse(mptDocument, 0);
    return std::move(tFinder._tSheets);
}

const KxwJswClassInformation* KxwDomStyleSheetList::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(nullptr, "styleSheets", katListProperties, katNoMethods, nullptr,
                                                    KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return &ktClassInfo;
}

bool KxwDomStyleSheetList::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdLength)
        return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomStyleSheetList", mnTinyId, mrtPropertyInfo);
    mrtPropertyInfo = static_cast<int>(CollectStyleSheets(GetDocument()).size());
    return true;
}

bool KxwDomStyleSheetList::GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                                          KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    std::vector<KxwDomStyleSheet*> tSheets = CollectStyleSheets(GetDocument());
    bool bFound =
        mnIndex >= 0 && static_cast<size_t>(mnIndex) < tSheets.size() && tSheets[static_cast<size_t>(mnIndex)];
    if (mppvValue)
        *mppvValue = bFound ? static_cast<KxwJswUserObjBase*>(tSheets[static_cast<size_t>(mnIndex)]) : nullptr;
    if (mpnLength) *mpnLength = bFound ? KXW_JSW_DOM_OBJECT_LEN : 0;
    if (mpeType) *mpeType = bFound ? KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT : KXW_JSW_OBJ_PROP_TYPE_NONE;
    return bFound;
}

void KxwDomStyleSheetList::GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>&) {
    mruliIndexCount = static_cast<unsigned long>(CollectStyleSheets(GetDocument()).size());
}
