#include "KxwDomHtmlElementForm.h"

#include <cstring>
#include <vector>

#include "KxwDomBindingUtil.h"
#include "KxwDomEventData.h"
#include "KxwDomFormElementsCollection.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementFormControl.h"
#include "KxwDomHtmlElementInput.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwDomTraverseHierarchy.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "KxwUtilStrCompare.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"

namespace {

using Form = KxwDomHtmlElementForm;
using FormCall = KxwDomScriptCallOn<KxwDomHtmlElementForm>;
constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr uint16_t kReadOnly = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY;

const char kszUrlEncoded[] = "application/x-www-form-urlencoded";
const char kszMultipart[] = "multipart/form-data";
const char kszTextPlain[] = "text/plain";
const char16_t kwszUrlEncoded[] = u"application/x-www-form-urlencoded";
const char16_t kwszMultipart[] = u"multipart/form-data";
const char16_t kwszTextPlain[] = u"text/plain";

bool IsAsc(const char* mpsfText, size_t mnLen, const char* mpszAsc) {
    return mpsfText && xfbKxwUtilIsEqualIgnoreCase(mpsfText, mnLen, mpszAsc, std::strlen(mpszAsc));
}

// The controls under a node, in document order: everything a submission or a reset looks at.
class ControlCollector : public KxwDomTraverseHierarchy {
public:
    explicit ControlCollector(std::vector<KxwDomNodeBase*>& mrtFound) : _rtFound(mrtFound) {}
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Visit(KxwDomNodeBase* mptNode) override {
        if (KxwDomFormElementsCollection::IsFormControlSubtype(mptNode)) _rtFound.push_back(mptNode);
        return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    }

private:
    std::vector<KxwDomNodeBase*>& _rtFound;
};

std::vector<KxwDomNodeBase*> ControlsUnder(KxwDomCoreNode* mptNode) {
    std::vector<KxwDomNodeBase*> tFound;
    ControlCollector tCollector(tFound);
    for (KxwDomNodeBase* ptChild = mptNode->GetFirstChild(); ptChild; ptChild = ptChild->GetNextSibling())
        if (tCollector.Traverse(ptChild, 0) == KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP) break;
    return tFound;
}

KxwDomHtmlElementFormControl* AsControl(KxwDomNodeBase* mptNode) {
    return KxwDomFormElementsCollection::IsFormControlSubtype(mptNode)
               ? static_cast<KxwDomHtmlElementFormControl*>(mptNode->DownCastToElement())
               : nullptr;
}

KxwDomHtmlElementInput* AsInput(KxwDomNodeBase* mptNode) {
    return mptNode && mptNode->IsElementNode() &&
                   mptNode->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_INPUT
               ? static_cast<KxwDomHtmlElementInput*>(mptNode->DownCastToElement())
               : nullptr;
}

bool IsImageInput(KxwDomNodeBase* mptNode) {
    KxwDomHtmlElementInput* ptInput = AsInput(mptNode);
    return ptInput && ptInput->GetTypeEnum() == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_IMAGE;
}

bool ParseIndex(const std::u16string& mdsText, unsigned long* mpuliIndex) {
    if (mdsText.empty() || mdsText.size() > 9) return false;
    unsigned long uliIndex = 0;
    for (char16_t c : mdsText) {
        if (c < u'0' || c > u'9') return false;
        uliIndex = uliIndex * 10 + static_cast<unsigned long>(c - u'0');
    }
    *mpuliIndex = uliIndex;
    return true;
}

bool submit_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    FormCall tCall("KxwDomHtmlElementForm::submit_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    if (!tCall.This()->SubmitFromScript()) return tCall.Fail("submit");
    return tCall.Undefined();
}

bool reset_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    FormCall tCall("KxwDomHtmlElementForm::reset_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    tCall.This()->Reset();
    return tCall.Undefined();
}

bool tags_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    FormCall tCall("KxwDomHtmlElementForm::tags_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(1)) return false;
    std::u16string dsTag = tCall.Text(0);
    if (tCall.Failed()) return false;
    KxwDomFormElementsCollection* ptElements = tCall.This()->GetElements();
    KxwDomHtmlCollectionGeneral* ptTags =
        ptElements ? ptElements->GetTags(dsTag.data(), static_cast<unsigned>(dsTag.size())) : nullptr;
    return ptTags ? tCall.Return(ptTags) : tCall.Null();
}

// item(index), item(name), item(name, subindex): as on the form's elements.
bool item_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    FormCall tCall("KxwDomHtmlElementForm::item_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    KxwDomFormElementsCollection* ptElements = tCall.This()->GetElements();
    if (tCall.Argc() == 0 || !ptElements || tCall.Arg(0).IsUndefined() || tCall.Arg(0).IsNull()) return tCall.Null();
    std::u16string dsArg = tCall.Text(0);
    if (tCall.Failed()) return false;
    unsigned long uliIndex = 0;
    if (tCall.Arg(0).IsNumber() || ParseIndex(dsArg, &uliIndex)) {
        if (tCall.Arg(0).IsNumber()) {
            int32_t iIndex = tCall.Int(0, -1);
            if (iIndex < 0) return tCall.Null();
            uliIndex = static_cast<unsigned long>(iIndex);
        }
        KxwDomNodeBase* ptNode = ptElements->GetItem(uliIndex);
        return ptNode ? tCall.Return(ptNode) : tCall.Null();
    }
    std::string dsName = xfdsKxwDomUtilU16ToUtf8(dsArg.data(), static_cast<unsigned>(dsArg.size()));
    KxwDomBase* ptAnswer = ptElements->GetItem(dsName.c_str(), true);
    if (ptAnswer && tCall.Argc() >= 2 && !tCall.Arg(1).IsUndefined()) {
        int32_t iSub = tCall.Int(1, -1);
        if (tCall.Failed()) return false;
        if (auto* ptCollection = dynamic_cast<KxwDomHtmlCollectionGeneral*>(ptAnswer))
            ptAnswer = iSub >= 0 ? ptCollection->GetItem(static_cast<unsigned long>(iSub)) : nullptr;
        else if (iSub != 0)
            ptAnswer = nullptr;
    }
    return ptAnswer ? tCall.Return(ptAnswer) : tCall.Null();
}

bool namedItem_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    FormCall tCall("KxwDomHtmlElementForm::namedItem_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(1)) return false;
    std::string dsName = tCall.Utf8(0);
    if (tCall.Failed()) return false;
    KxwDomFormElementsCollection* ptElements = tCall.This()->GetElements();
    KxwDomBase* ptAnswer = ptElements ? ptElements->GetItem(dsName.c_str(), true) : nullptr;
    return ptAnswer ? tCall.Return(ptAnswer) : tCall.Null();
}

const KxwJswPropertySpec katFormProperties[] = {
    {"elements", Form::kIdElements, kReadOnly, nullptr},
    {"length", Form::kIdLength, KXW_JSW_PROP_PERMANENT, "i"},
    {"encoding", Form::kIdEncoding, kAttr, "S"},
    {"method", Form::kIdMethod, kAttr, "*"},
    {"action", Form::kIdAction, kAttr, "S"},
    {"target", Form::kIdTarget, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katFormMethods[] = {
    {"submit", nullptr, nullptr, 0, submit_callback},       {"reset", nullptr, nullptr, 0, reset_callback},
    {"tags", nullptr, nullptr, 1, tags_callback},           {"item", nullptr, nullptr, 2, item_callback},
    {"namedItem", nullptr, nullptr, 1, namedItem_callback}, {nullptr, nullptr, nullptr, 0},
};

}  // namespace

KxwDomHtmlElementForm::KxwDomHtmlElementForm(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementWithName(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FORM, mbUseMemMgr),
      _tAction(GetDomEnv()),
      _tTarget(GetDomEnv()) {
    SetWantsEveryNotification();
}

KxwDomHtmlElementForm::~KxwDomHtmlElementForm() {
    delete _ptElements;
}

bool KxwDomHtmlElementForm::IsOwnedByTargetFrame() const {
    const char* psfTarget = _tTarget.GetDcsStr();
    unsigned uLen = psfTarget ? _tTarget.GetDcsLenInBytes() : 0;
    if (uLen == 0) return false;
    if (IsAsc(psfTarget, uLen, "_self")) return true;
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    KxwDomHtmlWindow* ptWindow = ptDocument ? ptDocument->GetWindow() : nullptr;
    return ptWindow && ptWindow->GetWindowName() == std::string(psfTarget, uLen);
}

// ---------------------------------------------------------------------------------------------------------------
// Method and encoding

void KxwDomHtmlElementForm::SetMethodParsed(const char* mpszParsedValue) {
    if (IsSpecifiedMethod()) return;
    const char* pszValue = ParsedText(mpszParsedValue);
    _eMethod = IsAsc(pszValue, std::strlen(pszValue), "post") ? KXW_DOM_HTML_ELEMENT_FORM_METHOD_POST
                                                              : KXW_DOM_HTML_ELEMENT_FORM_METHOD_GET;
}

void KxwDomHtmlElementForm::SetEncTypeParsed(const char* mpszParsedValue) {
    if (IsSpecifiedEncType()) return;
    const char* pszValue = ParsedText(mpszParsedValue);
    size_t nLen = std::strlen(pszValue);
    if (IsAsc(pszValue, nLen, kszMultipart))
        _eEncType = KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_MULTIPART;
    else if (IsAsc(pszValue, nLen, kszTextPlain))
        _eEncType = KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_TEXT_PLAIN;
    else
        _eEncType = KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_URLENCODED;
}

bool KxwDomHtmlElementForm::SetMethodDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    if (IsAsc(mpsfDcsStr, muDcsLenInBytes, "post")) {
        _eMethod = KXW_DOM_HTML_ELEMENT_FORM_METHOD_POST;
        return true;
    }
    if (IsAsc(mpsfDcsStr, muDcsLenInBytes, "get")) {
        _eMethod = KXW_DOM_HTML_ELEMENT_FORM_METHOD_GET;
        return true;
    }
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, -26000, __func__, __LINE__,
                                        "Attempt to set an invalid Method in KxwDomHtmlElementForm::SetMethodDcs");
    return false;
}

bool KxwDomHtmlElementForm::SetMethodU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    std::string dsValue = ToDcs(mpwsfU16nStr, mpwsfU16nStr ? muU16nLenInChars : 0);
    return SetMethodDcs(dsValue.data(), static_cast<unsigned>(dsValue.size()));
}

bool KxwDomHtmlElementForm::SetEncTypeDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    if (IsAsc(mpsfDcsStr, muDcsLenInBytes, kszMultipart))
        _eEncType = KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_MULTIPART;
    else if (IsAsc(mpsfDcsStr, muDcsLenInBytes, kszUrlEncoded))
        _eEncType = KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_URLENCODED;
    else if (IsAsc(mpsfDcsStr, muDcsLenInBytes, kszTextPlain))
        _eEncType = KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_TEXT_PLAIN;
    else {
        xfvKxwDomUtilReportCatalogedMessage(
            KXW_WTL_SEV_LVL_ENUM_IGNORED_FRAME, -26000, __func__, __LINE__,
            "Attempt to set an invalid EncType in KxwDomHtmlElementForm::SetEncTypeDcs");
        return false;
    }
    return true;
}

bool KxwDomHtmlElementForm::SetEncTypeU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    std::string dsValue = ToDcs(mpwsfU16nStr, mpwsfU16nStr ? muU16nLenInChars : 0);
    return SetEncTypeDcs(dsValue.data(), static_cast<unsigned>(dsValue.size()));
}

KXW_DOM_HTML_ELEMENT_FORM_METHOD_ENUM KxwDomHtmlElementForm::GetMethodEnum() const {
    if (_eEncType == KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_MULTIPART) return KXW_DOM_HTML_ELEMENT_FORM_METHOD_POST;
    return _eMethod == KXW_DOM_HTML_ELEMENT_FORM_METHOD_POST ? KXW_DOM_HTML_ELEMENT_FORM_METHOD_POST
                                                             : KXW_DOM_HTML_ELEMENT_FORM_METHOD_GET;
}

KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_ENUM KxwDomHtmlElementForm::GetEncTypeEnum() const {
    return _eEncType == KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_NOT_SPECIFIED ? KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_URLENCODED
                                                                        : _eEncType;
}

const char* KxwDomHtmlElementForm::GetMethodDcsStr() const {
    return GetMethodEnum() == KXW_DOM_HTML_ELEMENT_FORM_METHOD_POST ? "post" : "get";
}
const char16_t* KxwDomHtmlElementForm::GetMethodU16nStr() const {
    return GetMethodEnum() == KXW_DOM_HTML_ELEMENT_FORM_METHOD_POST ? u"post" : u"get";
}
unsigned KxwDomHtmlElementForm::GetMethodLen() const {
    return GetMethodEnum() == KXW_DOM_HTML_ELEMENT_FORM_METHOD_POST ? 4 : 3;
}

const char* KxwDomHtmlElementForm::GetEncTypeDcsStr() const {
    if (GetMethodEnum() == KXW_DOM_HTML_ELEMENT_FORM_METHOD_GET) return "";
    switch (GetEncTypeEnum()) {
        case KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_MULTIPART:
            return kszMultipart;
        case KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_TEXT_PLAIN:
            return kszTextPlain;
        default:
            return kszUrlEncoded;
    }
}
const char16_t* KxwDomHtmlElementForm::GetEncTypeU16nStr() const {
    if (GetMethodEnum() == KXW_DOM_HTML_ELEMENT_FORM_METHOD_GET) return u"";
    switch (GetEncTypeEnum()) {
        case KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_MULTIPART:
            return kwszMultipart;
        case KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_TEXT_PLAIN:
            return kwszTextPlain;
        default:
            return kwszUrlEncoded;
    }
}
unsigned KxwDomHtmlElementForm::GetEncTypeLen() const {
    return static_cast<unsigned>(std::strlen(GetEncTypeDcsStr()));
}

// ---------------------------------------------------------------------------------------------------------------
// Controls

bool KxwDomHtmlElementForm::TakesControl(KxwDomNodeBase* mptNode) {
    KxwDomHtmlElementFormControl* ptControl = AsControl(mptNode);
    if (!ptControl || ptControl->GetContainingForm() != this) return false;
    if (IsImageInput(mptNode) && xfbKxwDomUtilIsIE()) {
        // The emulated browser leaves image buttons out of elements; its submissions look at every descendant.
        _bSubmitAllDescendants = true;
        return false;
    }
    return true;
}

KxwDomFormElementsCollection* KxwDomHtmlElementForm::GetElements() {
    if (!_ptElements) {
        _ptElements = new (GetDomEnv()) KxwDomFormElementsCollection(GetDomEnv());
        _ptElements->SetOwnerNode(this, "elements");
        Refill(GetTopMostAll(nullptr, true));
        return _ptElements;
    }
    EnsureDependencyCurrent(true);
    return _ptElements;
}

void KxwDomHtmlElementForm::Refill(KxwDomHtmlCollectionOrdered* mptAll) {
    _ptElements->Reset();
    _ptElements->SetDependentOnCollection(mptAll);
    for (KxwDomNodeBase* ptNode : ControlsUnder(this))
        if (TakesControl(ptNode)) _ptElements->AppendItem(ptNode);
}

void KxwDomHtmlElementForm::EnsureDependencyCurrent(bool mbMakeAll) {
    KxwDomHtmlCollectionOrdered* ptAll = GetTopMostAll(nullptr, mbMakeAll);
    if (_ptElements && _ptElements->GetDependentOnCollection() != ptAll) Refill(ptAll);
}

void KxwDomHtmlElementForm::UpdateCollectionDependency(KxwDomNodeBase* mptTopOfSubHierarchy) {
    KxwDomHtmlElementWithName::UpdateCollectionDependency(mptTopOfSubHierarchy);
    if (_ptElements) Refill(GetTopMostAll(mptTopOfSubHierarchy, false));
}

void KxwDomHtmlElementForm::OnAddedToTree() {
    KxwDomHtmlElementWithName::OnAddedToTree();
    if (_ptElements) UpdateCollectionDependency(nullptr);
}

void KxwDomHtmlElementForm::NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                       void* mpvNotificationSubject, void* mpvNotificationObject) {
    KxwDomHtmlElementWithName::NotifyThis(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
    if (!_ptElements) return;
    auto* ptSubject = static_cast<KxwDomNodeBase*>(mpvNotificationSubject);
    if (meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED &&
        KxwDomFormElementsCollection::IsFormControlSubtype(ptSubject)) {
        _ptElements->RemoveItem(ptSubject, false);
    } else if (meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_DELETING_DESCENDANTS && ptSubject) {
        EnsureDependencyCurrent(false);
        _ptElements->RemoveDescendantOfInHtmlDocument(ptSubject);
    }
}

void KxwDomHtmlElementForm::NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                                     void* mpvNotificationSubject, void* mpvNotificationObject) {
    KxwDomHtmlElementWithName::NotifyThisAfterAncestors(meNotificationType, mpvNotificationSubject,
                                                        mpvNotificationObject);
    auto* ptSubject = static_cast<KxwDomNodeBase*>(mpvNotificationSubject);
    if (meNotificationType != KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED || !ptSubject || ptSubject == this ||
        !ptSubject->IsDescendantOf(this) || !TakesControl(ptSubject) || !_ptElements)
        return;
    // The ancestors above were told first: the top-most "all" already holds the new control.
    KxwDomHtmlCollectionOrdered* ptAll = GetTopMostAll(nullptr, false);
    if (!ptAll || _ptElements->GetDependentOnCollection() != ptAll) {
        Refill(ptAll);
        return;
    }
    if (!_ptElements->IsItemFound(ptSubject)) _ptElements->AddItem(ptSubject);
}

KxwDomNodeBase* KxwDomHtmlElementForm::FindImageByName(const char* mpszName) {
    if (!mpszName || !*mpszName) return nullptr;
    size_t nLen = std::strlen(mpszName);
    class ImageFinder : public KxwDomTraverseHierarchy {
    public:
        ImageFinder(const char* mpszName, size_t mnLen) : _pszName(mpszName), _nLen(mnLen) {}
        KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Visit(KxwDomNodeBase* mptNode) override {
            if (!mptNode->IsElementNode() || mptNode->GetNodeSubtype() != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_IMG)
                return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
            std::string dsName =
                xfdsKxwDomUtilU16ToUtf8(mptNode->GetName().GetU16nStr(), mptNode->GetName().GetU16nLenInChars());
            std::string dsId =
                xfdsKxwDomUtilU16ToUtf8(mptNode->GetId().GetU16nStr(), mptNode->GetId().GetU16nLenInChars());
            if (xfbKxwUtilIsEqualIgnoreCase(dsId.data(), dsId.size(), _pszName, _nLen) ||
                xfbKxwUtilIsEqualIgnoreCase(dsName.data(), dsName.size(), _pszName, _nLen)) {
                _ptFound = mptNode;
                return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
            }
            return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
        }
        KxwDomNodeBase* _ptFound = nullptr;

    private:
        const char* _pszName;
        size_t _nLen;
    } tFinder(mpszName, nLen);
    for (KxwDomNodeBase* ptChild = GetFirstChild(); ptChild && !tFinder._ptFound; ptChild = ptChild->GetNextSibling())
        tFinder.Traverse(ptChild, 0);
    return tFinder._ptFound;
}

// ---------------------------------------------------------------------------------------------------------------
// Submission

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomHtmlElementForm::FireSubmit(FIRE_EVENT_ACTIVATE_ENUM meActivate,
                                                                    bool* mpbDeleted) {
    KxwDomWatchDelete tWatch("KxwDomHtmlElementForm::FireSubmit", this);
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM eResult = FireEvent(KXW_DOM_EVENT_TYPE_ENUM_SUBMIT, nullptr, meActivate, nullptr);
    *mpbDeleted = tWatch.HasBeenDeleted();
    return eResult;
}

bool KxwDomHtmlElementForm::HandleUserActionSubmitArgument() {
    _bUserActionSubmit = true;
    bool bDeleted = false;
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM eResult = FireSubmit(FIRE_EVENT_ACTIVATE_ALL, &bDeleted);
    // onsubmit, the default action and the engine's answer to the submission may all delete the form.
    if (bDeleted) return false;
    _bUserActionSubmit = false;
    return eResult != KXW_DOM_HANDLE_EVENT_RET_VAL_ERROR;
}

bool KxwDomHtmlElementForm::SubmitFromScript() {
    _bJavaScriptSubmit = true;
    bool bDeleted = false;
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM eResult = FireSubmit(FIRE_EVENT_ACTIVATE_DEFAULT_ACTION, &bDeleted);
    if (!bDeleted) _bJavaScriptSubmit = false;
    return eResult != KXW_DOM_HANDLE_EVENT_RET_VAL_ERROR;
}

void KxwDomHtmlElementForm::OnUserEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                        const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_SUBMIT) {
        KxwDomHtmlElementWithName::OnUserEvent(meEventType, mptDomEventDataOrNULL);
        return;
    }
    KxwDomWatchDelete tWatch("KxwDomHtmlElementForm::OnUserEvent", this);
    _bUserActionSubmit = true;
    KxwDomHtmlElementWithName::OnUserEvent(meEventType, mptDomEventDataOrNULL);
    if (!tWatch.HasBeenDeleted()) _bUserActionSubmit = false;
}

void KxwDomHtmlElementForm::Reset() {
    // No script runs while controls reset: the list stays valid.
    for (KxwDomNodeBase* ptNode : ControlsUnder(this))
        if (KxwDomHtmlElementFormControl* ptControl = AsControl(ptNode)) ptControl->Reset();
}

bool KxwDomHtmlElementForm::IncludeUnclickedInputSubmit(const KxwDomHtmlElementFormControl* mptQueriedInputSubmit) {
    if (!_bUserActionSubmit) return false;
    auto* ptQueried = const_cast<KxwDomHtmlElementFormControl*>(mptQueriedInputSubmit);
    KxwDomHtmlElementInput* ptQueriedInput = AsInput(ptQueried);
    if (!ptQueriedInput || ptQueriedInput->GetTypeEnum() != KXW_DOM_HTML_ELEMENT_INPUT_TYPE_SUBMIT ||
        ptQueriedInput->IsClicked()) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid ptQueriedInputSubmit=%p / Type=%d (TYPE_SUBMIT=%d) / IsClicked=%d in "
            "KxwDomHtmlElementForm::IncludeUnclickedInputSubmit for this=%p",
            static_cast<const void*>(mptQueriedInputSubmit), ptQueriedInput ? ptQueriedInput->GetTypeEnum() : -1,
            static_cast<int>(KXW_DOM_HTML_ELEMENT_INPUT_TYPE_SUBMIT), ptQueriedInput ? ptQueriedInput->IsClicked() : 0,
            static_cast<void*>(this));
        return false;
    }
    int iTextInputs = 0;
    bool bFirstSubmitMet = false;
    for (KxwDomNodeBase* ptNode : ControlsUnder(this)) {
        KxwDomHtmlElementInput* ptInput = AsInput(ptNode);
        if (!ptInput) continue;
        KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM eType = ptInput->GetTypeEnum();
        if (eType == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_TEXT || eType == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_PASSWORD) {
            ++iTextInputs;
        } else if (eType == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_SUBMIT) {
            if (ptInput->IsClicked()) return false;
            if (!bFirstSubmitMet && ptInput != ptQueriedInput) return false;
            bFirstSubmitMet = true;
        }
    }
    return iTextInputs >= 2;
}

void KxwDomHtmlElementForm::PrepareBodies() {
    _tSubmitBodyMain.Reset();
    _tSubmitBodySuffix.Reset();
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    // A form without a document takes the library's default character set.
    const char* pszCharset = ptDocument ? ptDocument->GetRequestCharset() : nullptr;
    _tSubmitBodyMain.SetRequestConversionCharset(pszCharset);
    _tSubmitBodySuffix.SetRequestConversionCharset(pszCharset);
    KXW_UTIL_ENC_TYPE_ENUM eEncType = KXW_UTIL_ENC_TYPE_URLENCODED;
    if (GetEncTypeEnum() == KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_MULTIPART)
        eEncType = KXW_UTIL_ENC_TYPE_MULTIPART;
    else if (GetEncTypeEnum() == KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_TEXT_PLAIN &&
             GetMethodEnum() == KXW_DOM_HTML_ELEMENT_FORM_METHOD_POST)
        eEncType = KXW_UTIL_ENC_TYPE_TEXT_PLAIN;  // a GET sends its query urlencoded whatever the encoding
    _tSubmitBodyMain.SetEncType(eEncType);
    _tSubmitBodySuffix.SetEncType(eEncType);
}

bool KxwDomHtmlElementForm::AddNameAndValueSubmitBodyMainU16n(const char16_t* mpwsfName, unsigned muNameLen,
                                                              const char16_t* mpwsfValue, unsigned muValueLen,
                                                              bool mbIsFile) {
    if (!_bWithinSubmitWithoutOnsubmit)
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, -26000, __func__, __LINE__,
                                            "KxwDomHtmlElementForm::AddNameAndValueSubmitBodyMain invoked when "
                                            "_bWithinSubmitWithoutOnsubmit is false.  Continuing");
    return _tSubmitBodyMain.AddNameAndValueU16nOK(
        mpwsfName ? mpwsfName : u"", mpwsfName ? muNameLen : 0, mpwsfValue ? mpwsfValue : u"",
        mpwsfValue ? muValueLen : 0, mbIsFile,
        static_cast<KXWI_BROWSER_MAJOR_TYPE_ENUM>(xfeKxwDomUtilGetMajorBrowserType()),
        KXW_UTIL_ENCODE_AT_SIGN_BY_BROWSER);
}

bool KxwDomHtmlElementForm::AddNameAndValueSubmitBodyMain(const char* mpsfName, unsigned muNameLen,
                                                          const char* mpsfValue, unsigned muValueLen, bool mbIsFile,
                                                          bool mbInDocumentCharset) {
    if (!_bWithinSubmitWithoutOnsubmit)
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, -26000, __func__, __LINE__,
                                            "KxwDomHtmlElementForm::AddNameAndValueSubmitBodyMain invoked when "
                                            "_bWithinSubmitWithoutOnsubmit is false.  Continuing");
    return _tSubmitBodyMain.AddNameAndValueOK(
        mpsfName ? mpsfName : "", mpsfName ? muNameLen : 0, mpsfValue ? mpsfValue : "", mpsfValue ? muValueLen : 0,
        mbIsFile, static_cast<KXWI_BROWSER_MAJOR_TYPE_ENUM>(xfeKxwDomUtilGetMajorBrowserType()),
        KXW_UTIL_ENCODE_AT_SIGN_BY_BROWSER, mbInDocumentCharset);
}

bool KxwDomHtmlElementForm::AddNameAndValueSubmitBodySuffix(const char* mpsfName, unsigned muNameLen,
                                                            const char* mpsfValue, unsigned muValueLen, bool mbIsFile) {
    return _tSubmitBodySuffix.AddNameAndValueOK(
        mpsfName ? mpsfName : "", mpsfName ? muNameLen : 0, mpsfValue ? mpsfValue : "", mpsfValue ? muValueLen : 0,
        mbIsFile, static_cast<KXWI_BROWSER_MAJOR_TYPE_ENUM>(xfeKxwDomUtilGetMajorBrowserType()),
        KXW_UTIL_ENCODE_AT_SIGN_BY_BROWSER, true);
}

bool KxwDomHtmlElementForm::CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_SUBMIT || meEventType == KXW_DOM_EVENT_TYPE_ENUM_RESET) return true;
    return KxwDomHtmlElementWithName::CanRespondToEvent(meEventType);
}

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomHtmlElementForm::DoEventDefaultAction(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_SUBMIT) return KXW_DOM_HANDLE_EVENT_RET_VAL_NOT_HANDLED;
    if (!IsConnectedToDocument()) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "Submitting a <FORM> that is not connected to the document has no effect in "
                "KxwDomHtmlElementForm::DoEventDefaultAction for this=%p",
                static_cast<void*>(this));
        return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    }
    if (_bPreviousSubmitOwnedByTargetFrame) {
        std::string dsAction;
        GetPrintableDcs(_tAction, 2000, dsAction);
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, -35963, __func__, __LINE__,
                                            dsAction.c_str());
    }
    _bWithinSubmitWithoutOnsubmit = true;
    PrepareBodies();
    // Only a clicked image button waits for the end: its coordinates are the last pairs. Any other control that
    // started the submission contributes in its place.
    KxwDomNodeBase* ptSetApart = nullptr;
    if (mptDomEventDataOrNULL && mptDomEventDataOrNULL->GetOriginatingElement() &&
        IsImageInput(mptDomEventDataOrNULL->GetOriginatingElement()))
        ptSetApart = mptDomEventDataOrNULL->GetOriginatingElement();
    // No script runs while the pairs are gathered: the list of controls stays valid throughout.
    std::vector<KxwDomNodeBase*> tControls;
    if (_bSubmitAllDescendants) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile("Submitting the form %p from its collection \"all\"", static_cast<void*>(this));
        // Every descendant is looked at; those that are not controls are passed by.
        tControls = ControlsUnder(this);
    } else if (KxwDomFormElementsCollection* ptElements = GetElements()) {
        for (KxwDomNodeBase* ptNode : *ptElements) tControls.push_back(ptNode);
    }
    for (KxwDomNodeBase* ptNode : tControls) {
        KxwDomHtmlElementFormControl* ptControl = AsControl(ptNode);
        if (!ptControl) {
            std::string dsName;
            GetPrintableDcs(GetName(), 100, dsName);
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "ptFormControl==NULL at %p in the form \"%s\" collection (this=%p) Type/Subtype=%d/%d (in "
                "KxwDomHtmlElementForm::DoEventDefaultAction)",
                static_cast<void*>(ptNode), dsName.c_str(), static_cast<void*>(this),
                ptNode ? static_cast<int>(ptNode->GetNodeType()) : -1,
                ptNode ? static_cast<int>(ptNode->GetNodeSubtype()) : -1);
            continue;
        }
        if (ptNode == ptSetApart) continue;
        ptControl->ContributeToFormSubmit();
    }
    if (KxwDomHtmlElementInput* ptClicked = AsInput(ptSetApart))
        if (ptClicked->GetContainingForm() == this) ptClicked->ContributeToFormSubmit();
    _bPreviousSubmitOwnedByTargetFrame = IsOwnedByTargetFrame();
    KxwDomWatchDelete tWatch("KxwDomHtmlElementForm::DoEventDefaultAction", this);
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_FORM_SUBMIT, this, nullptr);
    // The engine's answer may have replaced the page, and the form with it.
    if (tWatch.HasBeenDeleted()) return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    _bWithinSubmitWithoutOnsubmit = false;
    _bUserActionSubmit = false;
    return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
}

// ---------------------------------------------------------------------------------------------------------------
// Markup and script

bool KxwDomHtmlElementForm::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "target")) {
        SetTargetParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "action")) {
        SetActionParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "method")) {
        SetMethodParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "enctype") || IsName(mpszName, "encoding")) {
        SetEncTypeParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElementWithName::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementForm::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementWithName::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementForm&>(mrtClone);
    CopySpecifiedText(_tTarget, rtClone._tTarget);
    CopySpecifiedText(_tAction, rtClone._tAction);
    rtClone._eMethod = _eMethod;
    rtClone._eEncType = _eEncType;
}

void KxwDomHtmlElementForm::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("action", _tAction);
    mrtText.ConcatHtmlProperty("target", _tTarget);
    if (IsSpecifiedEncType()) {
        const char* pszEncType = _eEncType == KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_MULTIPART    ? kszMultipart
                                 : _eEncType == KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_TEXT_PLAIN ? kszTextPlain
                                                                                             : kszUrlEncoded;
        mrtText.ConcatHtmlPropertyByValue("encType", 7, pszEncType, static_cast<int>(std::strlen(pszEncType)));
    }
    if (IsSpecifiedMethod()) {
        const char* pszMethod = _eMethod == KXW_DOM_HTML_ELEMENT_FORM_METHOD_POST ? "post" : "get";
        mrtText.ConcatHtmlPropertyByValue("method", 6, pszMethod, static_cast<int>(std::strlen(pszMethod)));
    }
    KxwDomHtmlElementWithName::GenerateHtmlProperties(mrtText);
}

const KxwJswClassInformation* KxwDomHtmlElementForm::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementWithNameClassInformation(), "form", katFormProperties,
                                                    katFormMethods, nullptr, KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return &ktClassInfo;
}

bool KxwDomHtmlElementForm::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdElements:
            mrtPropertyInfo = static_cast<const KxwJswUserObjBase*>(this);
            return true;
        case kIdLength: {
            KxwDomFormElementsCollection* ptElements = GetElements();
            mrtPropertyInfo = static_cast<int>(ptElements ? ptElements->GetLength() : 0);
            return true;
        }
        case kIdEncoding: {
            // A GET form reads its encoding too, marked as not specified: it sends its query urlencoded anyway.
            KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_ENUM eEncType = GetEncTypeEnum();
            const char16_t* pwszEncType = eEncType == KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_MULTIPART    ? kwszMultipart
                                          : eEncType == KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_TEXT_PLAIN ? kwszTextPlain
                                                                                                     : kwszUrlEncoded;
            mrtPropertyInfo.AssignU16nStr(pwszEncType,
                                          static_cast<unsigned>(std::char_traits<char16_t>::length(pwszEncType)), true);
            mrtPropertyInfo.SetIsSpecified(GetMethodEnum() == KXW_DOM_HTML_ELEMENT_FORM_METHOD_POST);
            return true;
        }
        case kIdMethod:
            mrtPropertyInfo.AssignU16nStr(GetMethodU16nStr(), GetMethodLen(), true);
            mrtPropertyInfo.SetIsSpecified(IsSpecifiedMethod());
            return true;
        case kIdAction:
            mrtPropertyInfo = _tAction;
            return true;
        case kIdTarget:
            mrtPropertyInfo = _tTarget;
            return true;
        default:
            return KxwDomHtmlElementWithName::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementForm::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    bool bUndefined = KxwDomHtmlElementFormControl::IsUndefinedValue(mrtPropertyInfo);
    switch (mnTinyId) {
        case kIdElements:
        case kIdLength:
            // The controls are the form's children: a length cannot be set.
            return true;
        case kIdEncoding: {
            if (bUndefined) return true;
            const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
            SetEncTypeU16n(pwsfText, mrtPropertyInfo.ConvertAndGetStringU16nLength());
            return true;
        }
        case kIdMethod: {
            if (bUndefined) {
                _eMethod = KXW_DOM_HTML_ELEMENT_FORM_METHOD_NOT_SPECIFIED;
                return true;
            }
            const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
            SetMethodU16n(pwsfText, mrtPropertyInfo.ConvertAndGetStringU16nLength());
            return true;
        }
        case kIdAction:
            StoreScriptText(_tAction, mrtPropertyInfo);
            return true;
        case kIdTarget:
            StoreScriptText(_tTarget, mrtPropertyInfo);
            return true;
        default:
            return KxwDomHtmlElementWithName::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementForm::IsResolved(const char* mpszName) {
    if (!mpszName || !*mpszName) return false;
    KxwDomFormElementsCollection* ptElements = GetElements();
    return ptElements && ptElements->GetItem(mpszName, true) != nullptr;
}

bool KxwDomHtmlElementForm::GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                              KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    KxwDomFormElementsCollection* ptElements = mpszName && *mpszName ? GetElements() : nullptr;
    KxwDomBase* ptFound = ptElements ? ptElements->GetItem(mpszName, true) : nullptr;
    if (!ptFound) return false;
    *mppvValue = static_cast<KxwJswUserObjBase*>(ptFound);
    *mpnLength = KXW_JSW_DOM_OBJECT_LEN;
    *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
    return true;
}

bool KxwDomHtmlElementForm::GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    KxwDomFormElementsCollection* ptElements = GetElements();
    return ptElements && ptElements->GetPropByIndex(mnIndex, mppvValue, mpnLength, mpeType);
}

void KxwDomHtmlElementForm::GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>&) {
    KxwDomFormElementsCollection* ptElements = GetElements();
    mruliIndexCount = ptElements ? ptElements->GetLength() : 0;
}

void KxwDomHtmlElementForm::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    KxwDomHtmlElement::PrintMe(miIndent, meSevLvl, mulMask);
    if (!(mulMask & KXW_DOM_PRINT_MASK_COLLECTIONS) || !xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    if (const KxwDomHtmlCollectionOrdered* ptAll = PeekAll())
        ptAll->PrintCollection("all", miIndent + 1, meSevLvl);
    else
        KxwDomHtmlCollectionGeneral::PrintMissingCollection("all", miIndent + 1, meSevLvl);
    if (_ptElements)
        _ptElements->PrintCollection("elements", miIndent + 1, meSevLvl);
    else
        KxwDomHtmlCollectionGeneral::PrintMissingCollection("elements", miIndent + 1, meSevLvl);
}
