// The document's finders: each kind of argument object searches one collection of the document (a map's areas, a
// list's options) with its matcher, and keeps the element found.
#include "KxwDomArgsFindElement.h"

#include <cstring>
#include <vector>

#include "KxwDomControlAccess.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlElementInput.h"
#include "KxwDomHtmlRadioGroup.h"
#include "KxwDomHtmlRadioGroupMgr.h"
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

const char* const kapszInputTypes[] = {"text",  "hidden", "checkbox", "password", "submit",
                                       "reset", "file",   "image",    "button",   "radio"};

bool IsKnownInputType(const std::string& mdsType) {
    for (const char* pszType : kapszInputTypes)
        if (xfbKxwUtilIsEqualIgnoreCase(mdsType.data(), mdsType.size(), pszType, std::strlen(pszType))) return true;
    return false;
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
    // Other types are searched in the document's list of that type only.
    if (!xfbKxwUtilIsEqualIgnoreCase(_dsType.data(), _dsType.size(), "radio", 5))
        return FindIn<KxwDomHtmlDocumentMatcherElementInput>(
            mptDocument->GetControlInputs(
                KxwDomHtmlElementInput::GetTypeByName(_dsType.data(), static_cast<unsigned>(_dsType.size()))),
            *this);
    // A radio button: the group first (by its name, the custom entries, the group ordinal), then the radio within
    // it (by the input tests, the ordinal). The groups are the document's, in the order they were made.
    const KxwDomHtmlRadioGroupMgr& rtGroups = mptDocument->GetRadioGroupMgr();
    KxwDomHtmlCollectionGeneral tFirsts(static_cast<KxwMemMgr*>(nullptr));
    for (size_t n = 0; n < rtGroups.GetGroupCount(); ++n)
        if (const KxwDomHtmlRadioGroup* ptGroup = rtGroups.GetGroup(n))
            if (!ptGroup->IsEmpty()) tFirsts.AppendItem(ptGroup->GetRadios().front());
    KxwDomHtmlDocumentMatcherRadioGroup tGroupMatcher(*this);
    _bCountingGroups = true;
    KxwDomHtmlElement* ptFirst = KxwDomUtilNodeMatcher::Find(&tFirsts, tGroupMatcher, _iGroupOrdinal, "Ordinal");
    _bCountingGroups = false;
    if (!ptFirst) return false;
    for (size_t n = 0; n < rtGroups.GetGroupCount(); ++n) {
        const KxwDomHtmlRadioGroup* ptGroup = rtGroups.GetGroup(n);
        if (!ptGroup || ptGroup->IsEmpty() || ptGroup->GetRadios().front() != ptFirst) continue;
        _ptFoundRadioGroup = ptFirst;
        KxwDomHtmlCollectionGeneral tRadios(static_cast<KxwMemMgr*>(nullptr));
        for (KxwDomHtmlElementInput* ptRadio : ptGroup->GetRadios()) tRadios.AppendItem(ptRadio);
        KxwDomHtmlDocumentMatcherElementInput tMatcher(*this);
        _bWithinGroup = true;
        KxwDomHtmlElement* ptRadio = KxwDomUtilNodeMatcher::Find(&tRadios, tMatcher, _iOrdinal, "SelectValueOrdinal");
        _bWithinGroup = false;
        _ptFoundElement = ptRadio;
        return ptRadio != nullptr;
    }
    return false;
}
