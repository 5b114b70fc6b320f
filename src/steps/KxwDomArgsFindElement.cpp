// The document's finders: each kind of argument object searches one collection of the document (a map's areas, a
// list's options) with its matcher, and keeps the element found.
#include "KxwDomArgsFindElement.h"

#include <cstring>
#include <memory>
#include <vector>

#include "KxwDomControlAccess.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomUtilNodeMatcher.h"
#include "KxwU16nHandler.h"
#include "KxwUtilReport.h"
#include "KxwUtilStrCompare.h"

KxwDomStrEnvApi& xfrKxwDomArgsGetDescriptionEnv() {
    static KxwDomStrEnvExplicit ttEnv(nullptr, xfptKxwU16nHandlerGetUtf8());
    return ttEnv;
}

KxwDomArgsFindElement::~KxwDomArgsFindElement() = default;

void KxwDomArgsFindElement::AddCustomDesc(std::string mdsName, std::string mdsValue, bool mbIsRegExp) {
    _tCustomDescList.emplace_back(std::move(mdsName), std::move(mdsValue), mbIsRegExp);
}

namespace {

template <class Matcher, class Args>
bool FindIn(KxwDomHtmlCollectionGeneral* mptCollection, Args& mrtArgs) {
    mrtArgs.ResetResult();
    Matcher tMatcher(mrtArgs);
    mrtArgs._ptFoundElement =
        KxwDomUtilNodeMatcher::Find(mptCollection, tMatcher, mrtArgs._iOrdinal, mrtArgs.GetOrdinalArgName());
    return mrtArgs._ptFoundElement != nullptr;
}

KxwDomHtmlCollectionGeneral* AllOf(KxwDomNodeBase* mptNode) {
    auto* ptNode = dynamic_cast<KxwDomCoreNode*>(mptNode);
    return ptNode ? ptNode->GetAll() : nullptr;
}

}  // namespace

bool KxwDomHtmlDocumentArgsFindElementAnchor::FindElement(KxwDomHtmlDocument* mptDocument) {
    return mptDocument && FindIn<KxwDomHtmlDocumentMatcherElementAnchor>(mptDocument->GetLinks(), *this);
}

bool KxwDomHtmlDocumentArgsFindElementImageLink::FindElement(KxwDomHtmlDocument* mptDocument) {
    return mptDocument && FindIn<KxwDomHtmlDocumentMatcherElementImageLink>(
                              mptDocument->GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_IMAGES), *this);
}

bool KxwDomHtmlDocumentArgsFindElementStaticImage::FindElement(KxwDomHtmlDocument* mptDocument) {
    return mptDocument && FindIn<KxwDomHtmlDocumentMatcherElementStaticImage>(
                              mptDocument->GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_IMAGES), *this);
}

bool KxwDomHtmlDocumentArgsFindElementButton::FindElement(KxwDomHtmlDocument* mptDocument) {
    return mptDocument && FindIn<KxwDomHtmlDocumentMatcherElementButton>(mptDocument->GetAll(), *this);
}

bool KxwDomHtmlDocumentArgsFindElementTextArea::FindElement(KxwDomHtmlDocument* mptDocument) {
    return mptDocument && FindIn<KxwDomHtmlDocumentMatcherElementTextArea>(
                              mptDocument->GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_TEXTAREA), *this);
}

bool KxwDomHtmlDocumentArgsFindElementSelect::FindElement(KxwDomHtmlDocument* mptDocument) {
    return mptDocument && FindIn<KxwDomHtmlDocumentMatcherElementSelect>(
                              mptDocument->GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_SELECT), *this);
}

bool KxwDomHtmlDocumentArgsFindElementTable::FindElement(KxwDomHtmlDocument* mptDocument) {
    return mptDocument && FindIn<KxwDomHtmlDocumentMatcherElementTable>(mptDocument->GetAll(), *this);
}

bool KxwDomHtmlDocumentArgsFindElementGeneral::FindElement(KxwDomHtmlDocument* mptDocument) {
    return mptDocument && FindIn<KxwDomHtmlDocumentMatcherElementGeneral>(mptDocument->GetAll(), *this);
}

bool KxwDomHtmlElementMapArgsFindElementArea::FindElement(KxwDomHtmlDocument*) {
    return _ptMap && FindIn<KxwDomHtmlElementMapMatcherElementArea>(AllOf(_ptMap), *this);
}

bool KxwDomHtmlElementSelectArgsFindElementOption::FindElement(KxwDomHtmlDocument*) {
    return _ptSelect && FindIn<KxwDomHtmlElementSelectMatcherElementOption>(AllOf(_ptSelect), *this);
}

// ---------------------------------------------------------------------------------------------------------------
// Inputs, and radio buttons by group

namespace {

const char* const kapszInputTypes[] = {"text", "hidden", "checkbox", "password", "submit",
                                       "reset", "file",   "image",    "button",   "radio"};

bool IsKnownInputType(const std::string& mdsType) {
    for (const char* pszType : kapszInputTypes)
        if (xfbKxwUtilIsEqualIgnoreCase(mdsType.data(), mdsType.size(), pszType, std::strlen(pszType))) return true;
    return false;
}

KxwDomNodeBase* ContainingForm(KxwDomNodeBase* mptControl) {
    auto* ptNode = dynamic_cast<KxwDomCoreNode*>(mptControl);
    for (KxwDomCoreNode* ptAncestor = ptNode ? ptNode->GetDomParentNode() : nullptr; ptAncestor;
         ptAncestor = ptAncestor->GetDomParentNode())
        if (ptAncestor->IsElementNode() && ptAncestor->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FORM)
            return ptAncestor;
    return nullptr;
}

bool SameNameIgnoringCase(const KxwDomHtmlPropertyStr& mrtName1, const KxwDomHtmlPropertyStr& mrtName2) {
    unsigned uLen1 = mrtName1.GetU16nLenInChars(), uLen2 = mrtName2.GetU16nLenInChars();
    const char16_t* pwsf1 = mrtName1.GetU16nStr();
    const char16_t* pwsf2 = mrtName2.GetU16nStr();
    if (!pwsf1 || !pwsf2) return (pwsf1 ? uLen1 : 0) == 0 && (pwsf2 ? uLen2 : 0) == 0;
    return uLen1 == uLen2 && xfbKxwU16IsEqualIgnoringCaseByLen(pwsf1, pwsf2, uLen1);
}

// The radio groups of a document in the order their first radio comes: one per containing form (or none) and
// name, names compared ignoring case. Each group's radios go into a collection of its own.
struct KxwDomRadioGroupView {
    KxwDomNodeBase* _ptForm;
    const KxwDomHtmlElement* _ptFirst;
    KxwDomHtmlCollectionGeneral _tRadios{static_cast<KxwMemMgr*>(nullptr)};
};

std::vector<std::unique_ptr<KxwDomRadioGroupView>> CollectRadioGroups(KxwDomHtmlDocument* mptDocument,
                                                                      KxwDomHtmlCollectionGeneral& mrtFirsts) {
    std::vector<std::unique_ptr<KxwDomRadioGroupView>> tGroups;
    KxwDomHtmlCollectionGeneral* ptAll = mptDocument->GetAll();
    if (!ptAll) return tGroups;
    for (KxwDomNodeBase* ptNode : *ptAll) {
        if (!ptNode || !ptNode->IsElementNode() || ptNode->GetNodeSubtype() != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_INPUT)
            continue;
        KxwDomHtmlElement* ptInput = KxwJswUserObjBase::ConvertToElement(ptNode);
        if (!ptInput || !xfbKxwDomControlIsInputOfType(ptInput, "radio")) continue;
        KxwDomNodeBase* ptForm = ContainingForm(ptInput);
        KxwDomRadioGroupView* ptGroup = nullptr;
        for (auto& rtGroup : tGroups)
            if (rtGroup->_ptForm == ptForm && SameNameIgnoringCase(rtGroup->_ptFirst->GetName(), ptInput->GetName())) {
                ptGroup = rtGroup.get();
                break;
            }
        if (!ptGroup) {
            tGroups.push_back(std::make_unique<KxwDomRadioGroupView>());
            ptGroup = tGroups.back().get();
            ptGroup->_ptForm = ptForm;
            ptGroup->_ptFirst = ptInput;
            mrtFirsts.AppendItem(ptInput);
        }
        ptGroup->_tRadios.AppendItem(ptInput);
    }
    return tGroups;
}

}  // namespace

const char* KxwDomHtmlDocumentArgsFindElementInput::GetOrdinalArgName() const {
    return _bCountingGroups ? "Ordinal" : (_dsType == "radio" ? "SelectValueOrdinal" : "Ordinal");
}

void KxwDomHtmlDocumentArgsFindElementInput::ResetResult() {
    _ptFoundElement = nullptr;
    _ptFoundRadioGroup = nullptr;
}

bool KxwDomHtmlDocumentArgsFindElementInput::FindElement(KxwDomHtmlDocument* mptDocument) {
    ResetResult();
    if (!mptDocument) return false;
    if (!IsKnownInputType(_dsType)) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mrtInputType (\"%.100s\") in KxwDomHtmlDocument::FindElementInputCollection", _dsType.c_str());
        return false;
    }
    if (!xfbKxwUtilIsEqualIgnoreCase(_dsType.data(), _dsType.size(), "radio", 5))
        return FindIn<KxwDomHtmlDocumentMatcherElementInput>(mptDocument->GetAll(), *this);
    // A radio button: the group first (by its name, the custom entries, the group ordinal), then the radio within
    // it (by the input tests, the ordinal).
    KxwDomHtmlCollectionGeneral tFirsts(static_cast<KxwMemMgr*>(nullptr));
    std::vector<std::unique_ptr<KxwDomRadioGroupView>> tGroups = CollectRadioGroups(mptDocument, tFirsts);
    KxwDomHtmlDocumentMatcherRadioGroup tGroupMatcher(*this);
    _bCountingGroups = true;
    KxwDomHtmlElement* ptFirst = KxwDomUtilNodeMatcher::Find(&tFirsts, tGroupMatcher, _iGroupOrdinal, "Ordinal");
    _bCountingGroups = false;
    if (!ptFirst) return false;
    for (auto& rtGroup : tGroups) {
        if (rtGroup->_ptFirst != ptFirst) continue;
        _ptFoundRadioGroup = ptFirst;
        KxwDomHtmlDocumentMatcherElementInput tMatcher(*this);
        _bWithinGroup = true;
        KxwDomHtmlElement* ptRadio =
            KxwDomUtilNodeMatcher::Find(&rtGroup->_tRadios, tMatcher, _iOrdinal, "SelectValueOrdinal");
        _bWithinGroup = false;
        _ptFoundElement = ptRadio;
        return ptRadio != nullptr;
    }
    return false;
}
