// The public face of element location: a description from the engine becomes the argument object of its kind.
#include <memory>

#include "KxwDomArgsFindElement.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomTraverseHierarchyFind.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomFind.h"

namespace {

void Describe(KxwDomArgsDescription& mrtDesc, const KxwDomFindText& mrtText) {
    if (mrtText._bGiven)
        mrtDesc.Set(mrtText._dsValue.data(), static_cast<unsigned>(mrtText._dsValue.size()), mrtText._bIsRegExp);
}

std::unique_ptr<KxwDomArgsFindElement> MakeArgs(const KxwDomFindDescription& mrtDescription) {
    const KxwDomFindDescription& d = mrtDescription;
    std::unique_ptr<KxwDomArgsFindElement> ptArgs;
    switch (d._eKind) {
        case KXW_DOM_FIND_ANCHOR: {
            auto* p = new KxwDomHtmlDocumentArgsFindElementAnchor;
            ptArgs.reset(p);
            Describe(p->_tId, d._tId), Describe(p->_tName, d._tName), Describe(p->_tText, d._tText);
            Describe(p->_tHref, d._tHref);
            break;
        }
        case KXW_DOM_FIND_IMAGE_LINK: {
            auto* p = new KxwDomHtmlDocumentArgsFindElementImageLink;
            ptArgs.reset(p);
            Describe(p->_tId, d._tId), Describe(p->_tName, d._tName), Describe(p->_tAlt, d._tAlt);
            Describe(p->_tSrc, d._tSrc);
            p->_eIsMap = d._eIsMap;
            break;
        }
        case KXW_DOM_FIND_STATIC_IMAGE: {
            auto* p = new KxwDomHtmlDocumentArgsFindElementStaticImage;
            ptArgs.reset(p);
            Describe(p->_tId, d._tId), Describe(p->_tName, d._tName), Describe(p->_tAlt, d._tAlt);
            Describe(p->_tSrc, d._tSrc);
            break;
        }
        case KXW_DOM_FIND_BUTTON: {
            auto* p = new KxwDomHtmlDocumentArgsFindElementButton;
            ptArgs.reset(p);
            Describe(p->_tId, d._tId), Describe(p->_tName, d._tName), Describe(p->_tValue, d._tValue);
            Describe(p->_tText, d._tText);
            break;
        }
        case KXW_DOM_FIND_INPUT: {
            auto* p = new KxwDomHtmlDocumentArgsFindElementInput;
            ptArgs.reset(p);
            p->_dsType = d._dsInputType;
            Describe(p->_tId, d._tId), Describe(p->_tName, d._tName), Describe(p->_tValue, d._tValue);
            Describe(p->_tSrc, d._tSrc), Describe(p->_tAlt, d._tAlt);
            p->_iGroupOrdinal = d._iGroupOrdinal;
            break;
        }
        case KXW_DOM_FIND_TEXTAREA: {
            auto* p = new KxwDomHtmlDocumentArgsFindElementTextArea;
            ptArgs.reset(p);
            Describe(p->_tId, d._tId), Describe(p->_tName, d._tName);
            break;
        }
        case KXW_DOM_FIND_SELECT: {
            auto* p = new KxwDomHtmlDocumentArgsFindElementSelect;
            ptArgs.reset(p);
            Describe(p->_tId, d._tId), Describe(p->_tName, d._tName);
            p->_eMultiple = d._eMultiple;
            break;
        }
        case KXW_DOM_FIND_TABLE: {
            auto* p = new KxwDomHtmlDocumentArgsFindElementTable;
            ptArgs.reset(p);
            Describe(p->_tId, d._tId), Describe(p->_tName, d._tName);
            break;
        }
        case KXW_DOM_FIND_GENERAL: {
            auto* p = new KxwDomHtmlDocumentArgsFindElementGeneral;
            ptArgs.reset(p);
            if (d._tTag._bGiven && d._tTag._bIsRegExp)
                Describe(p->_tTagPattern, d._tTag);
            else if (d._tTag._bGiven)
                p->SetTag(d._tTag._dsValue);
            Describe(p->_tId, d._tId), Describe(p->_tName, d._tName), Describe(p->_tText, d._tText);
            break;
        }
        case KXW_DOM_FIND_AREA: {
            auto* p = new KxwDomHtmlElementMapArgsFindElementArea;
            ptArgs.reset(p);
            Describe(p->_tId, d._tId), Describe(p->_tName, d._tName), Describe(p->_tHref, d._tHref);
            Describe(p->_tTarget, d._tTarget), Describe(p->_tAlt, d._tAlt);
            break;
        }
        case KXW_DOM_FIND_OPTION: {
            auto* p = new KxwDomHtmlElementSelectArgsFindElementOption;
            ptArgs.reset(p);
            Describe(p->_tText, d._tText);
            p->_eSelected = d._eSelected;
            break;
        }
    }
    if (!ptArgs) return ptArgs;
    ptArgs->_iOrdinal = d._iOrdinal;
    for (const KxwDomFindDescription::Custom& rtCustom : d._tCustom)
        ptArgs->AddCustomDesc(rtCustom._dsName, rtCustom._dsValue, rtCustom._bIsRegExp);
    return ptArgs;
}

// An ordinal of 0 or below that is not the random pick is a bad argument: it would never match.
bool OrdinalsOK(const KxwDomFindDescription& mrtDescription) {
    auto OK = [](int32_t miOrdinal) { return miOrdinal >= 1 || miOrdinal == KxwDomFindDescription::kOrdinalRandom; };
    return OK(mrtDescription._iOrdinal) && OK(mrtDescription._iGroupOrdinal);
}

}  // namespace

KxwDomNodeBase* xfptKxwDomFindElement(KxwDomHtmlWindow* mptWindow, const KxwDomFindDescription& mrtDescription,
                                      bool mbThisWindowOnly) {
    if (!mptWindow || mrtDescription._eKind == KXW_DOM_FIND_AREA || mrtDescription._eKind == KXW_DOM_FIND_OPTION)
        return nullptr;
    if (!OrdinalsOK(mrtDescription)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                              "Invalid ordinal (%d) or group ordinal (%d) in xfptKxwDomFindElement",
                                              mrtDescription._iOrdinal, mrtDescription._iGroupOrdinal);
        return nullptr;
    }
    std::unique_ptr<KxwDomArgsFindElement> ptArgs = MakeArgs(mrtDescription);
    if (!ptArgs) return nullptr;
    KxwDomTraverseHierarchyFindElement tFinder(mbThisWindowOnly, *ptArgs);
    return tFinder.Traverse(mptWindow) ? ptArgs->_ptFoundElement : nullptr;
}

KxwDomNodeBase* xfptKxwDomFindWithin(KxwDomNodeBase* mptContainer, const KxwDomFindDescription& mrtDescription) {
    if (!mptContainer || !mptContainer->IsElementNode() || !OrdinalsOK(mrtDescription)) return nullptr;
    std::unique_ptr<KxwDomArgsFindElement> ptArgs = MakeArgs(mrtDescription);
    if (auto* ptArea = dynamic_cast<KxwDomHtmlElementMapArgsFindElementArea*>(ptArgs.get())) {
        if (mptContainer->GetNodeSubtype() != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_MAP) return nullptr;
        ptArea->_ptMap = mptContainer;
    } else if (auto* ptOption = dynamic_cast<KxwDomHtmlElementSelectArgsFindElementOption*>(ptArgs.get())) {
        if (mptContainer->GetNodeSubtype() != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SELECT) return nullptr;
        ptOption->_ptSelect = mptContainer;
    } else {
        return nullptr;
    }
    return ptArgs->FindElement(nullptr) ? ptArgs->_ptFoundElement : nullptr;
}
