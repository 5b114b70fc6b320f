#include "KxwDomHtmlElementSelect.h"

#include <vector>

#include "KxwDomBindingUtil.h"
#include "KxwDomEventData.h"
#include "KxwDomHtmlCollectionDependentModifyable.h"
#include "KxwDomHtmlElementOption.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwDomTraverseHierarchy.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"

namespace {

using Select = KxwDomHtmlElementSelect;
using SelectCall = KxwDomScriptCallOn<KxwDomHtmlElementSelect>;
using Option = KxwDomHtmlElementOption;
constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr uint16_t kReadOnly = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY;
constexpr int kSelectedCountMismatchSevLvl = KXW_WTL_SEV_LVL_ENUM_IGNORED_FRAME;

bool IsOption(const KxwDomNodeBase* mptNode) {
    return mptNode && mptNode->IsElementNode() &&
           mptNode->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OPTION;
}

Option* AsOption(KxwDomNodeBase* mptNode) {
    return IsOption(mptNode) ? static_cast<Option*>(mptNode->DownCastToElement()) : nullptr;
}

// The OPTION elements of a subtree in document order.
class OptionCollector : public KxwDomTraverseHierarchy {
public:
    explicit OptionCollector(std::vector<KxwDomNodeBase*>& mrtFound) : _rtFound(mrtFound) {}
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Visit(KxwDomNodeBase* mptNode) override {
        if (IsOption(mptNode)) _rtFound.push_back(mptNode);
        return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    }

private:
    std::vector<KxwDomNodeBase*>& _rtFound;
};

// One step back in document order: the last node of the previous sibling's subtree, else the parent.
KxwDomNodeBase* PreviousInDocumentOrder(KxwDomNodeBase* mptNode) {
    if (KxwDomNodeBase* ptPrevious = mptNode->GetDomPreviousSibling()) {
        while (KxwDomNodeBase* ptLast = ptPrevious->GetDomLastChild()) ptPrevious = ptLast;
        return ptPrevious;
    }
    return mptNode->GetDomParentNode();
}

// The list answers add, remove, item, namedItem and tags as its options collection does.
bool add_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    SelectCall tCall("KxwDomHtmlElementSelect::add_callback", mptUserObj, mrtArgs);
    return tCall.Check(1) && tCall.This()->GetOptions() && tCall.This()->GetOptions()->AddFromScript(tCall);
}

bool remove_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    SelectCall tCall("KxwDomHtmlElementSelect::remove_callback", mptUserObj, mrtArgs);
    return tCall.Check(0) && tCall.This()->GetOptions() && tCall.This()->GetOptions()->RemoveFromScript(tCall);
}

// A canonical non-negative decimal is an index; any other text a name.
bool IsIndexText(const std::u16string& mdsText, unsigned long& mruliIndex) {
    if (mdsText.empty() || mdsText.size() > 9 || (mdsText.size() > 1 && mdsText[0] == u'0')) return false;
    mruliIndex = 0;
    for (char16_t c : mdsText) {
        if (c < u'0' || c > u'9') return false;
        mruliIndex = mruliIndex * 10 + static_cast<unsigned long>(c - u'0');
    }
    return true;
}

bool ReturnNamed(SelectCall& mrtCall, const std::u16string& mdsName) {
    std::string dsName = xfdsKxwDomUtilU16ToUtf8(mdsName.data(), mdsName.size());
    KxwDomBase* ptFound = mrtCall.This()->GetOptions()->GetItem(dsName.c_str(), true);
    if (!ptFound) return mrtCall.Null();
    return mrtCall.Return(static_cast<KxwJswUserObjBase*>(ptFound));
}

bool item_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    SelectCall tCall("KxwDomHtmlElementSelect::item_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0) || !tCall.This()->GetOptions()) return false;
    if (tCall.Argc() == 0 || tCall.Arg(0).IsUndefined()) return tCall.Null();
    if (tCall.Arg(0).IsNumber()) {
        int32_t iIndex = tCall.Int(0, -1);
        if (tCall.Failed()) return false;
        KxwDomHtmlElementOption* ptOption =
            iIndex >= 0 ? tCall.This()->GetOptionAt(static_cast<unsigned long>(iIndex)) : nullptr;
        return ptOption ? tCall.Return(ptOption) : tCall.Null();
    }
    std::u16string dsArg = tCall.Text(0);
    if (tCall.Failed()) return false;
    unsigned long uliIndex = 0;
    if (IsIndexText(dsArg, uliIndex)) {
        KxwDomHtmlElementOption* ptOption = tCall.This()->GetOptionAt(uliIndex);
        return ptOption ? tCall.Return(ptOption) : tCall.Null();
    }
    return ReturnNamed(tCall, dsArg);
}

bool namedItem_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    SelectCall tCall("KxwDomHtmlElementSelect::namedItem_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0) || !tCall.This()->GetOptions()) return false;
    if (tCall.Argc() == 0) return tCall.Null();
    std::u16string dsName = tCall.Text(0);
    if (tCall.Failed()) return false;
    return ReturnNamed(tCall, dsName);
}

bool tags_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    SelectCall tCall("KxwDomHtmlElementSelect::tags_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(1) || !tCall.This()->GetOptions()) return false;
    std::u16string dsTag = tCall.Text(0);
    if (tCall.Failed()) return false;
    KxwDomHtmlCollectionGeneral* ptTags =
        tCall.This()->GetOptions()->GetTags(dsTag.data(), static_cast<unsigned>(dsTag.size()));
    return ptTags ? tCall.Return(ptTags) : tCall.Null();
}

const KxwJswPropertySpec katSelectProperties[] = {
    {"multiple", Select::kIdMultiple, kAttr, "b"},
    {"type", Select::kIdType, kReadOnly, nullptr},
    {"size", Select::kIdSize, kAttr, "S"},
    {"options", Select::kIdOptions, kReadOnly, nullptr},
    {"selectedIndex", Select::kIdSelectedIndex, KXW_JSW_PROP_PERMANENT, "i"},
    {"length", Select::kIdLength, KXW_JSW_PROP_PERMANENT, "i"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katSelectMethods[] = {
    {"add", nullptr, nullptr, 2, add_callback},
    {"remove", nullptr, nullptr, 1, remove_callback},
    {"tags", nullptr, nullptr, 1, tags_callback},
    {"item", nullptr, nullptr, 2, item_callback},
    {"namedItem", nullptr, nullptr, 1, namedItem_callback},
    {nullptr, nullptr, nullptr, 0},
};

// A script's number for an index: integers and doubles as they are, texts parsed; anything else is -1.
long ToIndex(KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mrtPropertyInfo.GetType()) {
        case KXW_DOM_PROPERTY_INFO_TYPE_INT:
            return mrtPropertyInfo.GetInt();
        case KXW_DOM_PROPERTY_INFO_TYPE_DOUBLE: {
            double dfValue = mrtPropertyInfo.GetDouble();
            return dfValue >= 0 && dfValue < 2147483647.0 ? static_cast<long>(dfValue) : -1;
        }
        case KXW_DOM_PROPERTY_INFO_TYPE_BOOLEAN:
            return mrtPropertyInfo.GetBoolean() ? 1 : 0;
        default: {
            const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
            unsigned uLen = mrtPropertyInfo.ConvertAndGetStringU16nLength();
            if (!pwsfText || uLen == 0 || uLen > 9) return -1;
            long liValue = 0;
            for (unsigned u = 0; u < uLen; ++u) {
                if (pwsfText[u] < u'0' || pwsfText[u] > u'9') return -1;
                liValue = liValue * 10 + (pwsfText[u] - u'0');
            }
            return liValue;
        }
    }
}

std::u16string TextOf(const KxwDomHtmlPropertyStr& mrtText) {
    const char16_t* pwsfText = mrtText.GetU16nStr();
    return pwsfText ? std::u16string(pwsfText, mrtText.GetU16nLenInChars()) : std::u16string();
}

}  // namespace

KxwDomHtmlElementSelect::KxwDomHtmlElementSelect(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementFormControl(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SELECT, mbUseMemMgr),
      _tSize(GetDomEnv()) {
    SetWantsEveryNotification();
    _ptOptions = new (GetDomEnv())
        KxwDomHtmlCollectionDependentModifyable(GetDomEnv(), KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OPTION);
    _ptOptions->SetOwnerNode(this, "options");
}

KxwDomHtmlElementSelect::~KxwDomHtmlElementSelect() {
    delete _ptOptions;
}

// ---------------------------------------------------------------------------------------------------------------
// Options

unsigned long KxwDomHtmlElementSelect::GetOptionCount() const {
    return _ptOptions ? _ptOptions->GetLength() : 0;
}

KxwDomHtmlElementOption* KxwDomHtmlElementSelect::GetOptionAt(unsigned long muliIndex) const {
    return _ptOptions ? AsOption(_ptOptions->GetItem(muliIndex)) : nullptr;
}

long KxwDomHtmlElementSelect::GetOptionIndex(const KxwDomHtmlElementOption* mptOption) const {
    if (!mptOption || !_ptOptions) return -1;
    unsigned long uliIndex = _ptOptions->GetItemIndex(mptOption);
    return uliIndex == ~0UL ? -1 : static_cast<long>(uliIndex);
}

void KxwDomHtmlElementSelect::OptionAdded(KxwDomHtmlElementOption* mptOption) {
    if (!_ptOptions || _ptOptions->IsItemFound(mptOption)) return;
    // The nearest option before it in document order: the option goes right after it, or first.
    KxwDomNodeBase* ptAfter = nullptr;
    for (KxwDomNodeBase* ptNode = PreviousInDocumentOrder(mptOption); ptNode && ptNode != this;
         ptNode = PreviousInDocumentOrder(ptNode))
        if (IsOption(ptNode) && _ptOptions->IsItemFound(ptNode)) {
            ptAfter = ptNode;
            break;
        }
    _ptOptions->InsertItemAfterNode(mptOption, ptAfter);
    if (mptOption->IsSelected() && !IsMultiple()) {
        // One selected option at a time: an option the list chose by itself gives way, and so does any to an
        // option a script selected; between two the markup selected, the first in option order stays.
        Option* ptCurrent = _ptSelectedOption;
        if (!ptCurrent || ptCurrent == mptOption || _bSelectionImplicit || !mptOption->IsSelectedFromMarkup() ||
            GetOptionIndex(mptOption) < GetOptionIndex(ptCurrent)) {
            DeselectAllBut(mptOption);
            _bSelectionImplicit = false;
        } else {
            mptOption->SetSelectedImplicitly(false);
        }
    }
    Recount();
    ApplyDropDownChoice();
}

void KxwDomHtmlElementSelect::OptionRemoved(KxwDomNodeBase* mptOption) {
    if (!_ptOptions || !_ptOptions->IsItemFound(mptOption)) return;
    _ptOptions->RemoveItem(mptOption, false);
    Recount();
    ApplyDropDownChoice();
}

void KxwDomHtmlElementSelect::SyncOptions() {
    if (!_ptOptions) return;
    std::vector<KxwDomNodeBase*> tFound;
    OptionCollector tCollector(tFound);
    for (KxwDomNodeBase* ptChild = GetFirstChild(); ptChild; ptChild = ptChild->GetNextSibling())
        tCollector.Traverse(ptChild, 0);
    // Options of a nested list are that list's.
    std::vector<KxwDomNodeBase*> tOwn;
    for (KxwDomNodeBase* ptNode : tFound)
        if (AsOption(ptNode)->GetOwningElementSelect() == this) tOwn.push_back(ptNode);
    bool bSame = tOwn.size() == _ptOptions->GetLength();
    size_t n = 0;
    for (auto it = _ptOptions->begin(); bSame && it != _ptOptions->end(); ++it, ++n) bSame = *it == tOwn[n];
    if (bSame) return;
    _ptOptions->Reset();
    for (KxwDomNodeBase* ptNode : tOwn) _ptOptions->AppendItem(ptNode);
    if (!IsMultiple()) {
        Option* ptFirst = nullptr;
        for (KxwDomNodeBase* ptNode : tOwn)
            if (AsOption(ptNode)->IsSelected()) {
                ptFirst = AsOption(ptNode);
                break;
            }
        DeselectAllBut(ptFirst);
    }
    Recount();
    ApplyDropDownChoice();
}

// ---------------------------------------------------------------------------------------------------------------
// Selection

void KxwDomHtmlElementSelect::Recount() {
    _ptSelectedOption = nullptr;
    _iSelectedCount = 0;
    if (!_ptOptions) return;
    for (KxwDomNodeBase* ptNode : *_ptOptions) {
        Option* ptOption = AsOption(ptNode);
        if (!ptOption || !ptOption->IsSelected()) continue;
        if (!_ptSelectedOption) _ptSelectedOption = ptOption;
        ++_iSelectedCount;
    }
}

void KxwDomHtmlElementSelect::FixSelectCount() {
    int iOld = _iSelectedCount;
    Option* ptOld = _ptSelectedOption;
    Recount();
    if ((iOld != _iSelectedCount || ptOld != _ptSelectedOption) &&
        xfbKxwUtilIsSevLvlEnabled(static_cast<KXW_WTL_SEV_LVL_ENUM>(kSelectedCountMismatchSevLvl)))
        xfvKxwUtilReportBySevLvl(static_cast<KXW_WTL_SEV_LVL_ENUM>(kSelectedCountMismatchSevLvl),
                                 "Fixed _iSelectedCount from %d to %d in KxwDomHtmlElementSelect::FixSelectCount", iOld,
                                 _iSelectedCount);
}

void KxwDomHtmlElementSelect::DeselectAllBut(const KxwDomHtmlElementOption* mptKeepOrNull) {
    if (!_ptOptions) return;
    for (KxwDomNodeBase* ptNode : *_ptOptions) {
        Option* ptOption = AsOption(ptNode);
        if (ptOption && ptOption != mptKeepOrNull && ptOption->IsSelected())
            ptOption->SetSelectedWithoutNotifyingOwningSelect(false);
    }
}

void KxwDomHtmlElementSelect::ApplyDropDownChoice() {
    if (_iSelectedCount != 0 || !IsDropDown()) return;
    Option* ptFirst = GetFirstOption();
    if (!ptFirst) return;
    ptFirst->SetSelectedImplicitly(true);
    _bSelectionImplicit = true;
    Recount();
}

void KxwDomHtmlElementSelect::SelectedOptionChange(bool mbSelected, KxwDomHtmlElementOption* mptOption) {
    if (!_ptOptions || !_ptOptions->IsItemFound(mptOption)) return;
    if (mbSelected && !IsMultiple()) DeselectAllBut(mptOption);
    _bSelectionImplicit = false;
    Recount();
}

long KxwDomHtmlElementSelect::GetSelectedIndex() const {
    return _ptSelectedOption ? GetOptionIndex(_ptSelectedOption) : -1;
}

void KxwDomHtmlElementSelect::SetSelectedIndex(long mliIndex) {
    Option* ptOption = mliIndex >= 0 ? GetOptionAt(static_cast<unsigned long>(mliIndex)) : nullptr;
    DeselectAllBut(nullptr);
    if (ptOption) ptOption->SetSelectedWithoutNotifyingOwningSelect(true);
    _bSelectionImplicit = false;
    Recount();
}

void KxwDomHtmlElementSelect::SetMultipleParsed(const char* mpszParsedValue) {
    _tMultiple.SetParsed(mpszParsedValue);
}

void KxwDomHtmlElementSelect::SetMultipleBool(bool mbMultiple) {
    _tMultiple.SetBool(mbMultiple);
    _tMultiple.SetSpecified(true);
    // A list that becomes single-selection keeps its first selected option only.
    if (!mbMultiple) DeselectAllBut(_ptSelectedOption);
    Recount();
    ApplyDropDownChoice();
}

long KxwDomHtmlElementSelect::GetSizeNumeric() const {
    const char* psfSize = _tSize.GetDcsStr();
    if (!psfSize || _tSize.GetDcsLenInBytes() == 0) return 0;
    int32_t iSize = xfliKxwDomUtilGetHtmlNumberOrLongMax(psfSize, _tSize.GetDcsLenInBytes());
    return iSize == 0x7FFFFFFF || iSize < 0 ? 0 : iSize;
}

void KxwDomHtmlElementSelect::Reset() {
    _bSelectionImplicit = false;
    bool bFound = false;
    if (_ptOptions) {
        for (KxwDomNodeBase* ptNode : *_ptOptions) {
            Option* ptOption = AsOption(ptNode);
            if (!ptOption) continue;
            bool bSelected = ptOption->GetDefaultSelected() && (IsMultiple() || !bFound);
            bFound = bFound || bSelected;
            ptOption->SetSelectedWithoutNotifyingOwningSelect(bSelected);
        }
    }
    Recount();
    if (_iSelectedCount == 0 && IsDropDown())
        if (Option* ptFirst = GetFirstOption()) {
            ptFirst->SetSelectedWithoutNotifyingOwningSelect(true);
            Recount();
        }
}

// ---------------------------------------------------------------------------------------------------------------
// Users

bool KxwDomHtmlElementSelect::UserChooseOption(KxwDomHtmlElementOption* mptOption,
                                               KXW_DOM_USER_OPTION_ACTION_ENUM meAction, std::string* mpdsReason) {
    auto Refuse = [mpdsReason](const char* mpszReason) {
        if (mpdsReason) *mpdsReason = mpszReason;
        return false;
    };
    if (!mptOption || mptOption->GetOwningElementSelect() != this) return Refuse("the option is not in this list");
    if (IsDisabled()) return Refuse("the list is disabled");
    if (meAction < KXW_DOM_USER_OPTION_ACTION_SELECT || meAction > KXW_DOM_USER_OPTION_ACTION_EXTEND)
        return Refuse("unknown option action");
    if (!IsMultiple() && meAction != KXW_DOM_USER_OPTION_ACTION_SELECT) {
        // Nothing happens, not even the focus: the user cannot do this to such a list.
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_IGNORED_FRAME, -35979, __func__, __LINE__);
        return Refuse("Only one option can be selected in a single-selection list; the action is ignored");
    }
    KxwDomHtmlElementSelectOptionAction tAction;
    tAction._ptOption = mptOption;
    tAction._iAction = meAction;
    KxwDomEventData tData(this);
    tData.SetAdditionalData(&tAction);
    OnUserEvent(KXW_DOM_EVENT_TYPE_ENUM_CHANGE, &tData);
    if (tAction._bRefused) return Refuse(tAction._dsReason.c_str());
    return true;
}

bool KxwDomHtmlElementSelect::CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_CHANGE) return true;
    return KxwDomHtmlElementFormControl::CanRespondToEvent(meEventType);
}

bool KxwDomHtmlElementSelect::ApplyOptionAction(KxwDomHtmlElementOption* mptOption, int miAction,
                                                std::string& mrdsReason) {
    if (mptOption->GetOwningElementSelect() != this) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "mptElementOption (%p) is not owned by the current SELECT in KxwDomHtmlElementSelect::DoBeforeEvent",
            static_cast<void*>(mptOption));
        mrdsReason = "the option is not in this list";
        return false;
    }
    if (miAction < KXW_DOM_USER_OPTION_ACTION_SELECT || miAction > KXW_DOM_USER_OPTION_ACTION_EXTEND) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid OptionActionType (%d) in KxwDomHtmlElementSelect::DoBeforeEvent",
                                              miAction);
        mrdsReason = "unknown option action";
        return false;
    }
    if (!IsMultiple() && miAction != KXW_DOM_USER_OPTION_ACTION_SELECT) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_IGNORED_FRAME, -35979, __func__, __LINE__);
        mrdsReason = "Only one option can be selected in a single-selection list; the action is ignored";
        return false;
    }
    if (miAction == KXW_DOM_USER_OPTION_ACTION_SELECT) DeselectAllBut(mptOption);
    mptOption->SetSelectedWithoutNotifyingOwningSelect(miAction != KXW_DOM_USER_OPTION_ACTION_DESELECT);
    _bSelectionImplicit = false;
    Recount();
    return true;
}

void KxwDomHtmlElementSelect::DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                            const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CHANGE) {
        KxwDomHtmlElementFormControl::DoBeforeEvent(meEventType, mptDomEventDataOrNULL);
        return;
    }
    if (!mptDomEventDataOrNULL || !mptDomEventDataOrNULL->GetAdditionalData()) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "mptDomEventDataOrNULL==%p or mptDomEventDataOrNULL->_pvAdditionalData==NULL in "
            "KxwDomHtmlElementSelect::DoBeforeEvent for this=%p",
            static_cast<const void*>(mptDomEventDataOrNULL), static_cast<void*>(this));
        return;
    }
    auto* ptAction = static_cast<KxwDomHtmlElementSelectOptionAction*>(
        const_cast<void*>(mptDomEventDataOrNULL->GetAdditionalData()));
    KxwDomWatchDelete tWatchThis("KxwDomHtmlElementSelect::DoBeforeEvent", this);
    KxwDomWatchDelete tWatchOption("KxwDomHtmlElementSelect::DoBeforeEvent", ptAction->_ptOption);
    if (CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM_FOCUS))
        FireEvent(KXW_DOM_EVENT_TYPE_ENUM_FOCUS, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    if (tWatchThis.HasBeenDeleted()) return;
    // A focus handler may have taken the option away, or deleted it.
    if (tWatchOption.HasBeenDeleted() || !ptAction->_ptOption) {
        ptAction->_bRefused = true;
        ptAction->_dsReason = "the option went away while the list took the focus";
        return;
    }
    if (!ApplyOptionAction(ptAction->_ptOption, ptAction->_iAction, ptAction->_dsReason)) ptAction->_bRefused = true;
}

// ---------------------------------------------------------------------------------------------------------------
// Value and submission

std::u16string KxwDomHtmlElementSelect::GetValueU16n() const {
    return _ptSelectedOption ? _ptSelectedOption->GetValueU16n() : std::u16string();
}

void KxwDomHtmlElementSelect::SetValueFromScript(KxwDomPropertyInfo& mrtPropertyInfo) {
    if (!mrtPropertyInfo.HasValue() || mrtPropertyInfo.GetType() == KXW_DOM_PROPERTY_INFO_TYPE_UNDEFINED) return;
    if (IsMultiple()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Setting a value for a Multiple select is not supported in "
                                              "KxwDomHtmlElementSelect::SetDomPropertyInfo for this=%p",
                                              static_cast<void*>(this));
        return;
    }
    std::u16string dsValue(mrtPropertyInfo.ConvertAndGetStringU16n(), mrtPropertyInfo.ConvertAndGetStringU16nLength());
    Option* ptFound = nullptr;
    for (KxwDomNodeBase* ptNode : *_ptOptions) {
        Option* ptOption = AsOption(ptNode);
        if (ptOption && ptOption->GetValueU16n() == dsValue) {
            ptFound = ptOption;
            break;
        }
    }
    DeselectAllBut(ptFound);
    if (ptFound) ptFound->SetSelectedWithoutNotifyingOwningSelect(true);
    _bSelectionImplicit = false;
    Recount();
}

bool KxwDomHtmlElementSelect::ContributeToFormSubmit() {
    if (GetOptionCount() == 0 || !ShouldContributeToSubmit(true)) return true;
    FixSelectCount();
    std::u16string dsName = TextOf(GetName());
    if (!IsMultiple()) return !_ptSelectedOption || AddPairToForm(dsName, _ptSelectedOption->GetValueU16n(), false);
    bool bOK = true;
    int iRemaining = _iSelectedCount;
    for (KxwDomNodeBase* ptNode : *_ptOptions) {
        if (iRemaining <= 0) break;
        Option* ptOption = AsOption(ptNode);
        if (!ptOption || !ptOption->IsSelected()) continue;
        bOK = AddPairToForm(dsName, ptOption->GetValueU16n(), false) && bOK;
        --iRemaining;
    }
    return bOK;
}

// ---------------------------------------------------------------------------------------------------------------
// Tree

void KxwDomHtmlElementSelect::NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                         void* mpvNotificationSubject, void* mpvNotificationObject) {
    KxwDomHtmlElementFormControl::NotifyThis(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
    auto* ptSubject = static_cast<KxwDomNodeBase*>(mpvNotificationSubject);
    if (!ptSubject || !_ptOptions) return;
    if (meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED) {
        OptionRemoved(ptSubject);
    } else if (meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_DELETING_DESCENDANTS) {
        std::vector<KxwDomNodeBase*> tGoing;
        for (KxwDomNodeBase* ptNode : *_ptOptions)
            if (ptNode != ptSubject && ptNode->IsDescendantOf(ptSubject)) tGoing.push_back(ptNode);
        if (tGoing.empty()) return;
        for (KxwDomNodeBase* ptNode : tGoing) _ptOptions->RemoveItem(ptNode, false);
        Recount();
        ApplyDropDownChoice();
    }
}

void KxwDomHtmlElementSelect::NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                                       void* mpvNotificationSubject, void* mpvNotificationObject) {
    KxwDomHtmlElementFormControl::NotifyThisAfterAncestors(meNotificationType, mpvNotificationSubject,
                                                           mpvNotificationObject);
    if (meNotificationType != KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED) return;
    Option* ptOption = AsOption(static_cast<KxwDomNodeBase*>(mpvNotificationSubject));
    if (ptOption && ptOption->GetOwningElementSelect() == this) OptionAdded(ptOption);
}

void KxwDomHtmlElementSelect::ForgetDeletedNode(const KxwDomNodeBase* mptNode) {
    KxwDomHtmlElementFormControl::ForgetDeletedNode(mptNode);
    if (!_ptOptions) return;
    _ptOptions->ForgetDeletedNode(mptNode);
    // The recount walks the items only: the deleted option is not asked anything.
    if (_ptSelectedOption == mptNode) Recount();
}

void KxwDomHtmlElementSelect::OnAddedToTree() {
    KxwDomHtmlElementFormControl::OnAddedToTree();
    SyncOptions();
}

// ---------------------------------------------------------------------------------------------------------------
// Markup and script

bool KxwDomHtmlElementSelect::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "multiple")) {
        SetMultipleParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "size")) {
        SetSizeParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElementFormControl::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementSelect::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementFormControl::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementSelect&>(mrtClone);
    rtClone._tMultiple = _tMultiple;
    CopySpecifiedText(_tSize, rtClone._tSize);
}

void KxwDomHtmlElementSelect::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    KxwDomHtmlElement::PrintMe(miIndent, meSevLvl, mulMask);
    if (!(mulMask & KXW_DOM_PRINT_MASK_COLLECTIONS) || !xfbKxwUtilIsSevLvlEnabled(meSevLvl) || !_ptOptions) return;
    _ptOptions->PrintCollection("options", miIndent + 1, meSevLvl);
}

void KxwDomHtmlElementSelect::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("multiple", _tMultiple);
    if (_tSize.IsSpecified() || GetSizeNumeric() != 0) mrtText.ConcatHtmlProperty("size", _tSize);
    KxwDomHtmlElementFormControl::GenerateHtmlProperties(mrtText);
}

const KxwJswClassInformation* KxwDomHtmlElementSelect::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetFormControlClassInformation(), "select", katSelectProperties,
                                                    katSelectMethods, nullptr, KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return &ktClassInfo;
}

bool KxwDomHtmlElementSelect::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdMultiple:
            mrtPropertyInfo = IsMultiple();
            return true;
        case kIdType:
            AssignTemporaryText(mrtPropertyInfo, IsMultiple() ? u"select-multiple" : u"select-one");
            return true;
        case kIdSize:
            mrtPropertyInfo = static_cast<int>(GetSizeNumeric());
            return true;
        case kIdOptions:
            mrtPropertyInfo.AssignDomObjectOrNull(_ptOptions);
            return true;
        case kIdSelectedIndex:
            mrtPropertyInfo = static_cast<int>(GetSelectedIndex());
            return true;
        case kIdLength:
            mrtPropertyInfo = static_cast<int>(GetOptionCount());
            return true;
        default:
            return KxwDomHtmlElementFormControl::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementSelect::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kIdMultiple) return KxwDomHtmlElementFormControl::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    if (!mrtPropertyInfo.HasValue() || mrtPropertyInfo.GetType() == KXW_DOM_PROPERTY_INFO_TYPE_UNDEFINED) return true;
    switch (mnTinyId) {
        case kIdMultiple: {
            KxwDomHtmlPropertyBool tValue;
            tValue = mrtPropertyInfo;
            SetMultipleBool(tValue.GetBool());
            return true;
        }
        case kIdSize: {
            std::u16string dsSize(mrtPropertyInfo.ConvertAndGetStringU16n(),
                                  mrtPropertyInfo.ConvertAndGetStringU16nLength());
            SetSizeU16n(dsSize.data(), static_cast<unsigned>(dsSize.size()));
            return true;
        }
        case kIdSelectedIndex:
            SetSelectedIndex(ToIndex(mrtPropertyInfo));
            return true;
        case kIdLength:
            // The options' own length setter has the rules (truncating, padding, the bound).
            return _ptOptions ? _ptOptions->SetDomPropertyInfo(
                                    KxwDomHtmlCollectionDependentModifyable::kIdWritableLength, mrtPropertyInfo)
                              : true;
        default:
            return true;
    }
}

bool KxwDomHtmlElementSelect::GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                                             KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    return _ptOptions ? _ptOptions->GetPropByIndex(mnIndex, mppvValue, mpnLength, mpeType)
                      : KxwDomHtmlElementFormControl::GetPropByIndex(mnIndex, mppvValue, mpnLength, mpeType);
}

bool KxwDomHtmlElementSelect::SetIndexProperty(int32_t mnIndex, void* mpvValue, unsigned mnLength,
                                               KXW_JSW_OBJ_PROP_TYPE_ENUM meType) {
    return _ptOptions && _ptOptions->SetIndexProperty(mnIndex, mpvValue, mnLength, meType);
}

void KxwDomHtmlElementSelect::GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>& mrtNames) {
    (void)mrtNames;
    mruliIndexCount = GetOptionCount();
}

// ---------------------------------------------------------------------------------------------------------------
// The engine's entry

bool xfbKxwDomUserChooseOption(KxwDomNodeBase* mptSelect, KxwDomNodeBase* mptOption,
                               KXW_DOM_USER_OPTION_ACTION_ENUM meAction, std::string* mpdsReason) {
    if (!mptSelect || !mptSelect->IsElementNode() ||
        mptSelect->GetNodeSubtype() != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SELECT) {
        if (mpdsReason) *mpdsReason = "not a SELECT";
        return false;
    }
    Option* ptOption = AsOption(mptOption);
    if (!ptOption) {
        if (mpdsReason) *mpdsReason = "not an OPTION";
        return false;
    }
    auto* ptSelect = static_cast<Select*>(mptSelect->DownCastToElement());
    return ptSelect->UserChooseOption(ptOption, meAction, mpdsReason);
}
