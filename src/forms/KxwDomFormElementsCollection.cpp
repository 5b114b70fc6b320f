#include "KxwDomFormElementsCollection.h"

#include "KxwDomHtmlElementForm.h"
#include "KxwUtilReport.h"

bool KxwDomFormElementsCollection::IsFormControlSubtype(const KxwDomNodeBase* mptNode) {
    if (!mptNode || !mptNode->IsElementNode()) return false;
    switch (mptNode->GetNodeSubtype()) {
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_INPUT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BUTTON:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SELECT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TEXTAREA:
            return true;
        default:
            return false;
    }
}

KxwDomBase* KxwDomFormElementsCollection::GetItem(const char* mpszName, bool mbByIdentifier) {
    KxwDomBase* ptFound = KxwDomHtmlCollectionDependent::GetItem(mpszName, mbByIdentifier);
    if (ptFound || !mpszName || !*mpszName) return ptFound;
    KxwDomCoreNode* ptOwner = GetOwnerNode();
    auto* ptForm = ptOwner && ptOwner->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FORM
                       ? static_cast<KxwDomHtmlElementForm*>(ptOwner->DownCastToElement())
                       : nullptr;
    if (!ptForm) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "_ptOwnerNode is not a KxwDomHtmlElementForm class in KxwDomFormElementsCollection::GetItem");
        return nullptr;
    }
    return ptForm->FindImageByName(mpszName);
}
