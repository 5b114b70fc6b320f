#include "KxwDomUtilNodeMatcher.h"

#include <random>

#include "KxwDomControlAccess.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlElementAreaAnchor.h"
#include "KxwDomHtmlElementImage.h"
#include "KxwUtilReport.h"
#include "KxwUtilStrCompare.h"
#include "KxwUtilUtf.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwVUserVars.h"

namespace {

// A computed text as a string of the descriptions' environment, so that any description compares with it.
struct KxwDomMatchText : KxwDomStr {
    explicit KxwDomMatchText(const std::u16string& mrdsText)
        : KxwDomStr(xfrKxwDomArgsGetDescriptionEnv(), mrdsText.data(), static_cast<unsigned>(mrdsText.size())) {}
};

std::u16string Utf16(const std::string& mdsUtf8) {
    return xfdsKxwUtilUtf8ToU16(mdsUtf8.data(), mdsUtf8.size());
}

bool MatchKeyedText(const KxwDomStrRegExp& mrtDesc, const std::u16string& mrdsValue) {
    return KxwDomUtilNodeMatcher::MatchTextConsideringLeadingAndTrailingSpaces(mrtDesc, mrdsValue);
}

// A property without a value compares as the empty text.
bool MatchKeyed(const KxwDomStrRegExp& mrtDesc, const KxwDomHtmlPropertyStr& mrtValue) {
    if (!mrtDesc.IsGiven()) return true;
    if (const KxwDomStr* ptValue = mrtValue.GetDomStr())
        return KxwDomUtilNodeMatcher::MatchStrConsideringLeadingAndTrailingSpaces(mrtDesc, *ptValue);
    return MatchKeyedText(mrtDesc, std::u16string());
}

// The inner text is generated only when a description of the text is given: it walks the whole subtree.
bool MatchInnerText(const KxwDomStrRegExp& mrtDesc, KxwDomHtmlElement* mptElement) {
    return !mrtDesc.IsGiven() || KxwDomUtilNodeMatcher::MatchTextConsideringSpaces(mrtDesc, mptElement->GetInnerText());
}

// The nearest A with an href above an image, or null.
KxwDomHtmlElementAreaAnchorBase* EnclosingLink(KxwDomHtmlElement* mptElement) {
    for (KxwDomCoreNode* ptAncestor = mptElement->GetDomParentNode(); ptAncestor;
         ptAncestor = ptAncestor->GetDomParentNode()) {
        if (ptAncestor->GetNodeSubtype() != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_A) continue;
        auto* ptLink = dynamic_cast<KxwDomHtmlElementAreaAnchorBase*>(ptAncestor);
        if (ptLink && ptLink->IsHrefSet()) return ptLink;
    }
    return nullptr;
}

// The node as the class a matcher expects; a node of another class in its collection is reported by name.
template <class Element>
Element* As(KxwDomNodeBase* mptNode, const char* mpszVariable, const char* mpszMatcher) {
    auto* ptElement = dynamic_cast<Element*>(mptNode);
    if (!ptElement)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "%s is NULL for mptNode==%p in %s::Match", mpszVariable,
                                              static_cast<void*>(mptNode), mpszMatcher);
    return ptElement;
}

bool IsSubtype(KxwDomNodeBase* mptNode, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype) {
    return mptNode && mptNode->IsElementNode() && mptNode->GetNodeSubtype() == meSubtype;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// String tests

bool KxwDomUtilNodeMatcher::MatchStrConsideringLeadingAndTrailingSpaces(const KxwDomStrRegExp& mrtDesc,
                                                                        const KxwDomStr& mrtValue, bool mbIgnoreLeading,
                                                                        bool mbIgnoreTrailing) {
    if (!mrtDesc.IsGiven()) return true;
    if (mrtDesc.IsRegExp()) return mrtDesc.Matches(mrtValue);
    return mrtDesc.IsEqualConsideringLeadingAndTrailingSpaces(mrtValue, mbIgnoreLeading, mbIgnoreTrailing);
}

bool KxwDomUtilNodeMatcher::MatchStrConsideringSpaces(const KxwDomStrRegExp& mrtDesc, const KxwDomStr& mrtValue) {
    if (!mrtDesc.IsGiven()) return true;
    if (mrtDesc.IsRegExp()) return mrtDesc.Matches(mrtValue);
    return mrtDesc.IsEqualConsideringSpaces(mrtValue);
}

bool KxwDomUtilNodeMatcher::MatchStrIgnoringCase(const KxwDomStrRegExp& mrtDesc, const KxwDomStr& mrtValue) {
    if (!mrtDesc.IsGiven()) return true;
    if (mrtDesc.IsRegExp()) return mrtDesc.Matches(mrtValue, true);
    if (mrtValue.IsEmpty()) return mrtDesc.IsEmpty();
    return mrtDesc.IsEqualIgnoringCase(mrtValue);
}

bool KxwDomUtilNodeMatcher::MatchStr(const KxwDomStrRegExp& mrtDesc, const KxwDomStr& mrtValue) {
    if (!mrtDesc.IsGiven()) return true;
    if (mrtDesc.IsRegExp()) return mrtDesc.Matches(mrtValue);
    return mrtValue == mrtDesc;
}

bool KxwDomUtilNodeMatcher::MatchTextConsideringLeadingAndTrailingSpaces(const KxwDomStrRegExp& mrtDesc,
                                                                         const std::u16string& mrdsValue) {
    if (!mrtDesc.IsGiven()) return true;
    return MatchStrConsideringLeadingAndTrailingSpaces(mrtDesc, KxwDomMatchText(mrdsValue));
}

bool KxwDomUtilNodeMatcher::MatchTextConsideringSpaces(const KxwDomStrRegExp& mrtDesc,
                                                       const std::u16string& mrdsValue) {
    if (!mrtDesc.IsGiven()) return true;
    return MatchStrConsideringSpaces(mrtDesc, KxwDomMatchText(mrdsValue));
}

bool KxwDomUtilNodeMatcher::MatchBool(unsigned char meThreeState, bool mbValue) {
    return meThreeState == KXW_DOM_THREE_STATE_ANY || (meThreeState == KXW_DOM_THREE_STATE_YES && mbValue) ||
           (meThreeState == KXW_DOM_THREE_STATE_NO && !mbValue);
}

bool KxwDomUtilNodeMatcher::MatchCustomDescription(KxwDomNodeBase* mptNode, const KxwDomArgsFindElement& mrtArgs) {
    const std::vector<KxwCustomDesc>* ptList = mrtArgs.GetCustomDescList();
    if (!ptList) return true;
    auto* ptElement = mptNode && mptNode->IsElementNode() ? KxwJswUserObjBase::ConvertToElement(mptNode) : nullptr;
    if (!ptElement) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "ptElement is NULL for mptNode=%p in KxwDomUtilNodeMatcher::MatchCustomDescription for this=%p",
            static_cast<void*>(mptNode), static_cast<void*>(this));
        return false;
    }
    for (const KxwCustomDesc& rtDesc : *ptList) {
        if (rtDesc.GetNameLen() == 0) {
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "Invalid tDescListIter->GetName()=%p/tDescListIter->GetValue()=%p for ptCustomDesc=%p, mptNode=%p, "
                "mptArgs=%p in KxwDomUtilNodeMatcher::MatchCustomDescription for this=%p",
                static_cast<const void*>(rtDesc.GetName()), static_cast<const void*>(rtDesc.GetValue()),
                static_cast<const void*>(&rtDesc), static_cast<void*>(mptNode), static_cast<const void*>(&mrtArgs),
                static_cast<void*>(this));
            return false;
        }
        std::u16string dsValue;
        if (!ptElement->GetDescribedText(rtDesc.GetName(), rtDesc.GetNameLen(), dsValue)) return false;
        KxwDomArgsDescription tDesc;
        tDesc.Set(rtDesc.GetValue(), rtDesc.GetValueLen(), rtDesc.IsRegExp());
        if (!MatchTextConsideringLeadingAndTrailingSpaces(tDesc, dsValue)) return false;
    }
    return true;
}

KxwDomHtmlElement* KxwDomUtilNodeMatcher::ElementOrReport(KxwDomNodeBase* mptNode, const char* mpszMatcher) const {
    return As<KxwDomHtmlElement>(mptNode, "ptHtmlElement", mpszMatcher);
}

// ---------------------------------------------------------------------------------------------------------------
// The ordinal

namespace {

KxwDomNodeBase* FindOrdinal(KxwDomHtmlCollectionGeneral& mrtCollection, KxwDomUtilNodeMatcher& mrtMatcher,
                            int32_t miOrdinal, int32_t* mpiCount) {
    int32_t iCount = 0;
    for (KxwDomNodeBase* ptNode : mrtCollection) {
        if (!ptNode || !mrtMatcher.Match(ptNode)) continue;
        if (++iCount == miOrdinal) return ptNode;
    }
    if (mpiCount) *mpiCount = iCount;
    return nullptr;
}

// The virtual user's own generator, so that a run with one seed picks the same elements.
uint32_t RandomBelow(uint32_t muCount) {
    KxwVUserVars* ptVUserVars =
        KxwVUserVars::_fptGet("KxwDomHtmlCollectionGeneral::Find", KXW_VUSER_VARS_MAY_BE_ABSENT);
    static thread_local std::mt19937 ttFallback(5489u);
    std::mt19937& rtRandom = ptVUserVars ? ptVUserVars->GetRandom() : ttFallback;
    return std::uniform_int_distribution<uint32_t>(0, muCount - 1)(rtRandom);
}

}  // namespace

KxwDomHtmlElement* KxwDomUtilNodeMatcher::Find(KxwDomHtmlCollectionGeneral* mptCollection,
                                               KxwDomUtilNodeMatcher& mrtMatcher, int32_t& mriOrdinal,
                                               const char* mpszOrdinalArgName) {
    if (!mptCollection) return nullptr;
    KxwDomNodeBase* ptFound = nullptr;
    if (mriOrdinal != kiKxwDomOrdinalRandom) {
        if (mriOrdinal < 1) return nullptr;
        ptFound = FindOrdinal(*mptCollection, mrtMatcher, mriOrdinal, nullptr);
    } else {
        int32_t iCount = 0;
        FindOrdinal(*mptCollection, mrtMatcher, INT32_MAX, &iCount);
        if (iCount == 0) return nullptr;
        int32_t iChosen = iCount == 1 ? 1 : static_cast<int32_t>(RandomBelow(static_cast<uint32_t>(iCount))) + 1;
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, -35934,
                                            "KxwDomHtmlCollectionGeneral::Find", __LINE__, iChosen, iCount,
                                            mpszOrdinalArgName ? mpszOrdinalArgName : "[ordinal arg]");
        ptFound = FindOrdinal(*mptCollection, mrtMatcher, iChosen, nullptr);
        if (!ptFound)
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "Find(mrtNodeMatcher) returned NULL for KxwDomHtmlCollectionGeneral::Find(... , mbRandom=true, "
                "mpszOrdinalArgNameStr=%p=%.100s)",
                static_cast<const void*>(mpszOrdinalArgName), mpszOrdinalArgName ? mpszOrdinalArgName : "");
    }
    return ptFound ? KxwJswUserObjBase::ConvertToElement(ptFound) : nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// The kinds

bool KxwDomHtmlDocumentMatcherElementAnchor::Match(KxwDomNodeBase* mptNode) {
    if (!IsSubtype(mptNode, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_A)) return false;
    auto* ptLink =
        As<KxwDomHtmlElementAreaAnchorBase>(mptNode, "ptHtmlElementAnchor", "KxwDomHtmlDocumentMatcherElementAnchor");
    if (!ptLink) return false;
    return ptLink->IsHrefSet() &&
           (!_rtKind._tHref.IsGiven() || MatchKeyedText(_rtKind._tHref, Utf16(ptLink->GetResolvedHref()))) &&
           MatchKeyed(_rtKind._tName, ptLink->GetName()) && MatchKeyed(_rtKind._tId, ptLink->GetId()) &&
           MatchInnerText(_rtKind._tText, ptLink) && MatchCustomDescription(mptNode, _rtArgs);
}

bool KxwDomHtmlDocumentMatcherElementImageLink::Match(KxwDomNodeBase* mptNode) {
    auto* ptImage =
        As<KxwDomHtmlElementImage>(mptNode, "ptHtmlElementImage", "KxwDomHtmlDocumentMatcherElementImageLink");
    if (!ptImage) return false;
    if (!EnclosingLink(ptImage)) return false;
    if (_rtKind._eIsMap > KXW_DOM_THREE_STATE_NO) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid _eIsMap (%d) for _ptArgsFindElementImageLink=%p in "
                                              "KxwDomHtmlDocumentMatcherElementImageLink::Match.  Ignoring",
                                              _rtKind._eIsMap, static_cast<void*>(&_rtKind));
    } else if (!MatchBool(_rtKind._eIsMap, ptImage->GetIsMap())) {
        return false;
    }
    return MatchKeyed(_rtKind._tAlt, ptImage->GetAlt()) &&
           (!_rtKind._tSrc.IsGiven() || MatchKeyedText(_rtKind._tSrc, xfdsKxwDomControlAbsoluteSrc(ptImage))) &&
           MatchKeyed(_rtKind._tName, ptImage->GetName()) && MatchKeyed(_rtKind._tId, ptImage->GetId()) &&
           MatchCustomDescription(mptNode, _rtArgs);
}

bool KxwDomHtmlDocumentMatcherElementStaticImage::Match(KxwDomNodeBase* mptNode) {
    auto* ptImage =
        As<KxwDomHtmlElementImage>(mptNode, "ptHtmlElementImage", "KxwDomHtmlDocumentMatcherElementStaticImage");
    if (!ptImage) return false;
    return MatchKeyed(_rtKind._tAlt, ptImage->GetAlt()) &&
           (!_rtKind._tSrc.IsGiven() || MatchKeyedText(_rtKind._tSrc, xfdsKxwDomControlAbsoluteSrc(ptImage))) &&
           MatchKeyed(_rtKind._tId, ptImage->GetId()) && MatchKeyed(_rtKind._tName, ptImage->GetName()) &&
           MatchCustomDescription(mptNode, _rtArgs);
}

bool KxwDomHtmlDocumentMatcherElementButton::Match(KxwDomNodeBase* mptNode) {
    if (!IsSubtype(mptNode, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BUTTON)) return false;
    KxwDomHtmlElement* ptButton = ElementOrReport(mptNode, "KxwDomHtmlDocumentMatcherElementButton");
    return ptButton && MatchKeyed(_rtKind._tName, ptButton->GetName()) && MatchKeyed(_rtKind._tId, ptButton->GetId()) &&
           (!_rtKind._tValue.IsGiven() || MatchKeyedText(_rtKind._tValue, xfdsKxwDomControlValue(ptButton))) &&
           MatchInnerText(_rtKind._tText, ptButton) && MatchCustomDescription(mptNode, _rtArgs);
}

bool KxwDomHtmlDocumentMatcherElementInput::Match(KxwDomNodeBase* mptNode) {
    if (!IsSubtype(mptNode, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_INPUT)) return false;
    KxwDomHtmlElement* ptInput = ElementOrReport(mptNode, "KxwDomHtmlDocumentMatcherElementInput");
    if (!ptInput || !xfbKxwDomControlIsInputOfType(ptInput, _rtKind._dsType)) return false;
    if ((!_rtKind._bWithinGroup && !MatchKeyed(_rtKind._tName, ptInput->GetName())) ||
        !MatchKeyed(_rtKind._tId, ptInput->GetId()))
        return false;
    if (_rtKind._tValue.IsGiven()) {
        std::u16string dsValue = xfdsKxwDomControlValue(ptInput);
        // A submit button without a value shows, and is found by, the browser's own label.
        bool bMatched = MatchKeyedText(_rtKind._tValue, dsValue) || (dsValue.empty() && _rtKind._dsType == "submit" &&
                                                                     MatchKeyedText(_rtKind._tValue, u"Submit Query"));
        if (!bMatched) return false;
    }
    return (!_rtKind._tSrc.IsGiven() || MatchKeyedText(_rtKind._tSrc, xfdsKxwDomControlAbsoluteSrc(ptInput))) &&
           (!_rtKind._tAlt.IsGiven() || MatchKeyedText(_rtKind._tAlt, xfdsKxwDomControlText(ptInput, "alt"))) &&
           MatchCustomDescription(mptNode, _rtArgs);
}

// A radio group is matched through its first radio: the group's name (in any case, as the group gathers its
// radios), then the custom entries.
bool KxwDomHtmlDocumentMatcherRadioGroup::Match(KxwDomNodeBase* mptNode) {
    KxwDomHtmlElement* ptRadio = ElementOrReport(mptNode, "KxwDomHtmlDocumentMatcherRadioGroup");
    if (!ptRadio) return false;
    if (_rtKind._tName.IsGiven()) {
        const KxwDomHtmlPropertyStr& rtName = ptRadio->GetName();
        std::u16string dsName(rtName.GetU16nStr() ? rtName.GetU16nStr() : u"",
                              rtName.GetU16nStr() ? rtName.GetU16nLenInChars() : 0);
        if (!MatchStrIgnoringCase(_rtKind._tName, KxwDomMatchText(dsName))) return false;
    }
    return MatchCustomDescription(mptNode, _rtArgs);
}

bool KxwDomHtmlDocumentMatcherElementTextArea::Match(KxwDomNodeBase* mptNode) {
    if (!IsSubtype(mptNode, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TEXTAREA)) return false;
    KxwDomHtmlElement* ptTextArea = ElementOrReport(mptNode, "KxwDomHtmlDocumentMatcherElementTextArea");
    return ptTextArea && MatchKeyed(_rtKind._tName, ptTextArea->GetName()) &&
           MatchKeyed(_rtKind._tId, ptTextArea->GetId()) && MatchCustomDescription(mptNode, _rtArgs);
}

bool KxwDomHtmlDocumentMatcherElementSelect::Match(KxwDomNodeBase* mptNode) {
    if (!IsSubtype(mptNode, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SELECT)) return false;
    KxwDomHtmlElement* ptSelect = ElementOrReport(mptNode, "KxwDomHtmlDocumentMatcherElementSelect");
    return ptSelect && MatchKeyed(_rtKind._tName, ptSelect->GetName()) && MatchKeyed(_rtKind._tId, ptSelect->GetId()) &&
           MatchBool(_rtKind._eMultiple, xfbKxwDomControlFlag(ptSelect, "multiple")) &&
           MatchCustomDescription(mptNode, _rtArgs);
}

bool KxwDomHtmlDocumentMatcherElementTable::Match(KxwDomNodeBase* mptNode) {
    if (!IsSubtype(mptNode, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TABLE)) return false;
    KxwDomHtmlElement* ptTable = ElementOrReport(mptNode, "KxwDomHtmlDocumentMatcherElementTable");
    return ptTable &&
           (!_rtKind._tName.IsGiven() || MatchKeyedText(_rtKind._tName, xfdsKxwDomControlText(ptTable, "name"))) &&
           MatchKeyed(_rtKind._tId, ptTable->GetId()) && MatchCustomDescription(mptNode, _rtArgs);
}

bool KxwDomHtmlDocumentMatcherElementGeneral::Match(KxwDomNodeBase* mptNode) {
    if (!mptNode || !mptNode->IsElementNode()) return false;
    KxwDomHtmlElement* ptElement = ElementOrReport(mptNode, "KxwDomHtmlDocumentMatcherElementGeneral");
    if (!ptElement) return false;
    const std::string& rdsTag = _rtKind.GetTag();
    if (!rdsTag.empty() || _rtKind._tTagPattern.IsGiven()) {
        const char* psfTag = ptElement->GetTagNameDcsStr();
        unsigned uTagLen = ptElement->GetTagNameDcsLenInBytes();
        if (!psfTag) return false;
        if (!rdsTag.empty() && !xfbKxwUtilIsEqualIgnoreCase(psfTag, uTagLen, rdsTag.data(), rdsTag.size()))
            return false;
        if (_rtKind._tTagPattern.IsGiven() && !_rtKind._tTagPattern.IsEqualDcs(psfTag, uTagLen, true)) return false;
    }
    return MatchKeyed(_rtKind._tName, ptElement->GetName()) && MatchInnerText(_rtKind._tText, ptElement) &&
           MatchKeyed(_rtKind._tId, ptElement->GetId()) && MatchCustomDescription(mptNode, _rtArgs);
}

bool KxwDomHtmlElementMapMatcherElementArea::Match(KxwDomNodeBase* mptNode) {
    if (!IsSubtype(mptNode, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_AREA)) return false;
    auto* ptArea = As<KxwDomHtmlElementArea>(mptNode, "ptHtmlElementArea", "KxwDomHtmlElementMapMatcherElementArea");
    if (!ptArea) return false;
    return MatchKeyed(_rtKind._tAlt, ptArea->GetAlt()) &&
           (!_rtKind._tHref.IsGiven() || MatchKeyedText(_rtKind._tHref, Utf16(ptArea->GetResolvedHref()))) &&
           MatchKeyed(_rtKind._tId, ptArea->GetId()) && MatchKeyed(_rtKind._tName, ptArea->GetName()) &&
           MatchKeyed(_rtKind._tTarget, ptArea->GetTarget()) && MatchCustomDescription(mptNode, _rtArgs);
}

bool KxwDomHtmlElementSelectMatcherElementOption::Match(KxwDomNodeBase* mptNode) {
    if (!IsSubtype(mptNode, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OPTION)) return false;
    KxwDomHtmlElement* ptOption = ElementOrReport(mptNode, "KxwDomHtmlElementSelectMatcherElementOption");
    return ptOption && MatchInnerText(_rtKind._tText, ptOption) &&
           MatchBool(_rtKind._eSelected, xfbKxwDomControlFlag(ptOption, "selected"));
}
