#include "KxwDomHtmlElementInputHandler.h"

#include <cstdio>

#include "KxwDomEventData.h"
#include "KxwDomHtmlElementForm.h"
#include "KxwDomHtmlElementInput.h"
#include "KxwDomHtmlRadioGroup.h"
#include "KxwDomWatchDelete.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

std::u16string TextOf(const KxwDomHtmlPropertyStr& mrtProperty) {
    const char16_t* pwsfText = mrtProperty.GetU16nStr();
    return pwsfText ? std::u16string(pwsfText, mrtProperty.GetU16nLenInChars()) : std::u16string();
}

// A coordinate as a click on an image button sends it: within 0 to 99999.
long ClampCoordinate(long mliValue, const char* mpszAxis) {
    constexpr long kMax = KxwDomHtmlElementInputHandlerImage::kMaxCoordinate;
    if (mliValue > kMax) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                 "Event%s=%ld exceeds the maximum value (%d). Using %d", mpszAxis, mliValue,
                                 static_cast<int>(kMax), static_cast<int>(kMax));
        return kMax;
    }
    return mliValue < 0 ? 0 : mliValue;
}

// "x,y": two runs of digits around one comma.
bool IsCoordinatePair(const std::string& mdsPair) {
    size_t nComma = mdsPair.find(',');
    if (nComma == std::string::npos || nComma == 0 || nComma + 1 >= mdsPair.size()) return false;
    for (size_t n = 0; n < mdsPair.size(); ++n)
        if (n != nComma && (mdsPair[n] < '0' || mdsPair[n] > '9')) return false;
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Base

KxwDomHtmlElementInputHandlerBase::KxwDomHtmlElementInputHandlerBase(KxwDomHtmlElementInput* mptOwningHtmlElementInput)
    : _ptOwningHtmlElementInput(mptOwningHtmlElementInput) {
    // Handlers are made by their input only.
    if (!mptOwningHtmlElementInput)
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "mptOwningHtmlElementInput==NULL in KxwDomHtmlElementInputHandlerBase::KxwDomHtmlElementInputHandlerBase");
}

void KxwDomHtmlElementInputHandlerBase::Reset() {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "Reset not applicable for INPUT type=%.100s (%d) at %p in KxwDomHtmlElementInputHandlerBase at %p",
            Input().GetTypeNameAscStr(), static_cast<int>(Input().GetTypeEnum()), static_cast<void*>(&Input()),
            static_cast<void*>(this));
}

bool KxwDomHtmlElementInputHandlerBase::IsChecked() const {
    return Input().GetChecked().GetBool();
}

void KxwDomHtmlElementInputHandlerBase::SetHandlerChecked(bool mbChecked) {
    Input().SetInputChecked(mbChecked);
}

bool KxwDomHtmlElementInputHandlerBase::ContributeToFormSubmit() {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "ContributeToFormSubmit not applicable for INPUT type=%.100s (%d) at %p in "
            "KxwDomHtmlElementInputHandlerBase at %p",
            Input().GetTypeNameAscStr(), static_cast<int>(Input().GetTypeEnum()), static_cast<void*>(&Input()),
            static_cast<void*>(this));
    return true;
}

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomHtmlElementInputHandlerBase::DoEventDefaultAction(KXW_DOM_EVENT_TYPE_ENUM,
                                                                                          const KxwDomEventData*) {
    return KXW_DOM_HANDLE_EVENT_RET_VAL_NOT_HANDLED;
}

KXW_DOM_INPUT_HANDLER_BEFORE_ENUM KxwDomHtmlElementInputHandlerBase::DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM,
                                                                                   const KxwDomEventData*) {
    return KXW_DOM_INPUT_HANDLER_BEFORE_NOT_HANDLED;
}

void KxwDomHtmlElementInputHandlerBase::DoAfterEvent(KXW_DOM_EVENT_TYPE_ENUM, const KxwDomEventData*) {}

KXW_DOM_INPUT_HANDLER_ANSWER_ENUM KxwDomHtmlElementInputHandlerBase::CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM) {
    return KXW_DOM_INPUT_HANDLER_ANSWER_NO_OPINION;
}

std::u16string KxwDomHtmlElementInputHandlerBase::GetValue() const {
    return TextOf(Input().GetValueProperty());
}

bool KxwDomHtmlElementInputHandlerBase::GetValueForHtmlAttribute(std::u16string& mrdsValue) const {
    const KxwDomHtmlPropertyStr& rtValue = Input().GetValueProperty();
    if (!rtValue.IsSpecified() && rtValue.IsEmpty()) return false;
    mrdsValue = GetValue();
    return true;
}

bool KxwDomHtmlElementInputHandlerBase::FirePressEvents(const KxwDomEventData* mptDomEventDataOrNULL) {
    KxwDomHtmlElementInput* ptInput = &Input();
    KxwDomWatchDelete tWatch("KxwDomHtmlElementInputHandlerBase::FirePressEvents", ptInput);
    const KXW_DOM_EVENT_TYPE_ENUM kaeEvents[] = {KXW_DOM_EVENT_TYPE_ENUM_MOUSEDOWN, KXW_DOM_EVENT_TYPE_ENUM_FOCUS,
                                                 KXW_DOM_EVENT_TYPE_ENUM_MOUSEUP};
    for (KXW_DOM_EVENT_TYPE_ENUM eEvent : kaeEvents) {
        if (ptInput->CanRespondToEvent(eEvent))
            ptInput->FireEvent(eEvent, mptDomEventDataOrNULL, FIRE_EVENT_ACTIVATE_ALL, nullptr);
        if (tWatch.HasBeenDeleted()) return false;
    }
    return true;
}

const KxwDomTypedText* KxwDomHtmlElementInputHandlerBase::TypedTextOf(const KxwDomEventData* mptDomEventDataOrNULL,
                                                                      const char* mpszClassName) {
    const void* pvData = mptDomEventDataOrNULL ? mptDomEventDataOrNULL->GetAdditionalData() : nullptr;
    if (!pvData) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "mptDomEventDataOrNULL==%p or mptDomEventDataOrNULL->_pvAdditionalData==NULL in %s::DoBeforeEvent for "
            "this=%p",
            static_cast<const void*>(mptDomEventDataOrNULL), mpszClassName, static_cast<void*>(this));
        return nullptr;
    }
    return static_cast<const KxwDomTypedText*>(pvData);
}

KXW_DOM_INPUT_HANDLER_BEFORE_ENUM KxwDomHtmlElementInputHandlerBase::TypeText(
    const KxwDomEventData* mptDomEventDataOrNULL, const char* mpszClassName, bool mbFocusIn) {
    const KxwDomTypedText* ptTyped = TypedTextOf(mptDomEventDataOrNULL, mpszClassName);
    if (!ptTyped) return KXW_DOM_INPUT_HANDLER_BEFORE_FAILED;
    KxwDomHtmlElementInput* ptInput = &Input();
    KxwDomWatchDelete tWatch("KxwDomHtmlElementInputHandlerBase::TypeText", ptInput);
    if (mbFocusIn) {
        ptInput->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_FOCUSIN, mptDomEventDataOrNULL, FIRE_EVENT_ACTIVATE_ALL, nullptr);
        if (tWatch.HasBeenDeleted()) return KXW_DOM_INPUT_HANDLER_BEFORE_HANDLED;
    }
    ptInput->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_FOCUS, mptDomEventDataOrNULL, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    // The handler goes with its input: nothing of either is touched once it is gone.
    if (tWatch.HasBeenDeleted()) return KXW_DOM_INPUT_HANDLER_BEFORE_HANDLED;
    ptInput->UserSetValueU16n_Text(ptTyped->_pwsfText, ptTyped->_uLen);
    return KXW_DOM_INPUT_HANDLER_BEFORE_HANDLED;
}

// ---------------------------------------------------------------------------------------------------------------
// Text, password, hidden

void KxwDomHtmlElementInputHandlerText::Reset() {
    Input().ResetNodeValue();
}

bool KxwDomHtmlElementInputHandlerText::ContributeToFormSubmit() {
    return Input().ContributeToFormSubmit_Regular(false);
}

KXW_DOM_INPUT_HANDLER_BEFORE_ENUM KxwDomHtmlElementInputHandlerText::DoBeforeEvent(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CHANGE) return KXW_DOM_INPUT_HANDLER_BEFORE_NOT_HANDLED;
    return TypeText(mptDomEventDataOrNULL, "KxwDomHtmlElementInputHandlerText", true);
}

void KxwDomHtmlElementInputHandlerText::DoAfterEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                     const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CHANGE) return;
    KxwiRunTimeSettings* ptRTS = xfptKxwDomUtilGetRTS();
    if (!ptRTS || !ptRTS->GetFireKeyUpAfterTextChange()) return;
    // The key released last is the last byte of the value in the page's character set; nothing typed, no key.
    std::string dsValue = Input().GetValueDcs();
    if (dsValue.empty()) return;
    KxwDomEventData tData(mptDomEventDataOrNULL ? *mptDomEventDataOrNULL : KxwDomEventData(&Input()));
    tData.SetAdditionalData(nullptr);
    tData.SetKeyCode(static_cast<uint8_t>(dsValue.back()));
    Input().FireEvent(KXW_DOM_EVENT_TYPE_ENUM_KEYUP, &tData, FIRE_EVENT_ACTIVATE_ALL, nullptr);
}

KXW_DOM_INPUT_HANDLER_ANSWER_ENUM KxwDomHtmlElementInputHandlerText::CanRespondToEvent(
    KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_CHANGE || meEventType == KXW_DOM_EVENT_TYPE_ENUM_FOCUSIN)
        return KXW_DOM_INPUT_HANDLER_ANSWER_YES;
    return KXW_DOM_INPUT_HANDLER_ANSWER_NO_OPINION;
}

void KxwDomHtmlElementInputHandlerPassword::Reset() {
    Input().ResetNodeValue();
}

bool KxwDomHtmlElementInputHandlerPassword::ContributeToFormSubmit() {
    return Input().ContributeToFormSubmit_Regular(false);
}

KXW_DOM_INPUT_HANDLER_BEFORE_ENUM KxwDomHtmlElementInputHandlerPassword::DoBeforeEvent(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CHANGE) return KXW_DOM_INPUT_HANDLER_BEFORE_NOT_HANDLED;
    return TypeText(mptDomEventDataOrNULL, "KxwDomHtmlElementInputHandlerPassword", false);
}

bool KxwDomHtmlElementInputHandlerPassword::GetValueForHtmlAttribute(std::u16string& mrdsValue) const {
    // A password never shows in generated markup (snapshots, innerHTML).
    mrdsValue.clear();
    return false;
}

bool KxwDomHtmlElementInputHandlerHidden::ContributeToFormSubmit() {
    return Input().ContributeToFormSubmit_Regular(false);
}

KXW_DOM_INPUT_HANDLER_ANSWER_ENUM KxwDomHtmlElementInputHandlerHidden::CanRespondToEvent(
    KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    return meEventType == KXW_DOM_EVENT_TYPE_ENUM_FOCUS ? KXW_DOM_INPUT_HANDLER_ANSWER_NO
                                                        : KXW_DOM_INPUT_HANDLER_ANSWER_NO_OPINION;
}

// ---------------------------------------------------------------------------------------------------------------
// File

void KxwDomHtmlElementInputHandlerFile::Reset() {
    // The value of a file input comes only from a test step: a reset empties it, whatever defaultValue a page set.
    Input().SetFileValueFromUser(u"", 0);
}

bool KxwDomHtmlElementInputHandlerFile::ContributeToFormSubmit() {
    return Input().ContributeToFormSubmit_Regular(true);
}

KXW_DOM_INPUT_HANDLER_BEFORE_ENUM KxwDomHtmlElementInputHandlerFile::DoBeforeEvent(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CHANGE) return KXW_DOM_INPUT_HANDLER_BEFORE_NOT_HANDLED;
    return TypeText(mptDomEventDataOrNULL, "KxwDomHtmlElementInputHandlerFile", false);
}

KXW_DOM_INPUT_HANDLER_ANSWER_ENUM KxwDomHtmlElementInputHandlerFile::CanRespondToEvent(
    KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    return meEventType == KXW_DOM_EVENT_TYPE_ENUM_CHANGE ? KXW_DOM_INPUT_HANDLER_ANSWER_YES
                                                         : KXW_DOM_INPUT_HANDLER_ANSWER_NO_OPINION;
}

// ---------------------------------------------------------------------------------------------------------------
// Check box and radio button

void KxwDomHtmlElementInputHandlerCheckBox::Reset() {
    Input().ResetChecked();
}

bool KxwDomHtmlElementInputHandlerCheckBox::ContributeToFormSubmit() {
    return Input().ContributeToFormSubmit_Checked(IsChecked());
}

KXW_DOM_INPUT_HANDLER_BEFORE_ENUM KxwDomHtmlElementInputHandlerCheckBox::DoBeforeEvent(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CLICK) return KXW_DOM_INPUT_HANDLER_BEFORE_NOT_HANDLED;
    KxwDomHtmlElementInput* ptInput = &Input();
    if (!FirePressEvents(mptDomEventDataOrNULL)) return KXW_DOM_INPUT_HANDLER_BEFORE_HANDLED;
    // The state flips before the click is dispatched: onclick sees the new state.
    ptInput->SetInputChecked(!ptInput->GetChecked().GetBool());
    return KXW_DOM_INPUT_HANDLER_BEFORE_HANDLED;
}

void KxwDomHtmlElementInputHandlerRadio::Reset() {
    SetHandlerChecked(Input().GetDefaultChecked());
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "KxwDomHtmlElementInputHandlerRadio::Reset not fully implemented. Missing part: Deletion of the default "
            "checked element within the radio set");
}

bool KxwDomHtmlElementInputHandlerRadio::IsChecked() const {
    if (_ptRadioGroup) return _ptRadioGroup->GetCheckedElement() == &Input();
    return Input().GetChecked().GetBool();
}

void KxwDomHtmlElementInputHandlerRadio::SetHandlerChecked(bool mbChecked) {
    if (!_ptRadioGroup) {
        Input().SetInputChecked(mbChecked);
        return;
    }
    if (mbChecked)
        _ptRadioGroup->SetCheckedElement(&Input());
    else if (_ptRadioGroup->GetCheckedElement() == &Input())
        _ptRadioGroup->SetCheckedElement(nullptr);
}

bool KxwDomHtmlElementInputHandlerRadio::ContributeToFormSubmit() {
    return Input().ContributeToFormSubmit_Checked(IsChecked());
}

KXW_DOM_INPUT_HANDLER_BEFORE_ENUM KxwDomHtmlElementInputHandlerRadio::DoBeforeEvent(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CLICK) return KXW_DOM_INPUT_HANDLER_BEFORE_NOT_HANDLED;
    KxwDomHtmlElementInput* ptInput = &Input();
    if (!FirePressEvents(mptDomEventDataOrNULL)) return KXW_DOM_INPUT_HANDLER_BEFORE_HANDLED;
    ptInput->SetHandlerChecked(true);
    return KXW_DOM_INPUT_HANDLER_BEFORE_HANDLED;
}

std::u16string KxwDomHtmlElementInputHandlerRadio::GetValue() const {
    const KxwDomHtmlPropertyStr& rtValue = Input().GetValueProperty();
    if (!rtValue.IsSpecified()) return std::u16string(KxwDomHtmlElementFormControl::GetOnStr());
    return TextOf(rtValue);
}

// ---------------------------------------------------------------------------------------------------------------
// Submit, reset and image buttons

bool KxwDomHtmlElementInputHandlerSubmit::ContributeToFormSubmit() {
    return Input().ContributeToFormSubmit_Submit(_bClicked);
}

bool KxwDomHtmlElementInputHandlerSubmit::NeedToDoDefaultAction(KXW_DOM_EVENT_TYPE_ENUM meEventType) const {
    return meEventType == KXW_DOM_EVENT_TYPE_ENUM_CLICK && _bClicked && Input().GetContainingForm();
}

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomHtmlElementInputHandlerSubmit::DoEventDefaultAction(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData*) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CLICK || !_bClicked) return KXW_DOM_HANDLE_EVENT_RET_VAL_NOT_HANDLED;
    KxwDomHtmlElementForm* ptForm = Input().GetContainingForm();
    if (!ptForm) return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    // The button is told apart by its clicked state, not by event data: it contributes in its place.
    ptForm->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_SUBMIT, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
}

KXW_DOM_INPUT_HANDLER_BEFORE_ENUM KxwDomHtmlElementInputHandlerSubmit::DoBeforeEvent(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData*) {
    if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_CLICK) _bClicked = true;
    return KXW_DOM_INPUT_HANDLER_BEFORE_NOT_HANDLED;
}

void KxwDomHtmlElementInputHandlerSubmit::DoAfterEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData*) {
    if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_CLICK) _bClicked = false;
}

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomHtmlElementInputHandlerReset::DoEventDefaultAction(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData*) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CLICK) return KXW_DOM_HANDLE_EVENT_RET_VAL_NOT_HANDLED;
    if (KxwDomHtmlElementForm* ptForm = Input().GetContainingForm()) ptForm->Reset();
    return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
}

void KxwDomHtmlElementInputHandlerImage::Reset() {
    _bClicked = false;
    _dsLastCoordinatePair.clear();
}

KXW_DOM_INPUT_HANDLER_ANSWER_ENUM KxwDomHtmlElementInputHandlerImage::CanRespondToEvent(
    KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_LOAD || meEventType == KXW_DOM_EVENT_TYPE_ENUM_READYSTATECHANGE)
        return KXW_DOM_INPUT_HANDLER_ANSWER_YES;
    return KXW_DOM_INPUT_HANDLER_ANSWER_NO_OPINION;
}

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomHtmlElementInputHandlerImage::DoEventDefaultAction(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CLICK || !_bClicked) return KXW_DOM_HANDLE_EVENT_RET_VAL_NOT_HANDLED;
    _dsLastCoordinatePair.clear();
    KxwDomHtmlElementInput* ptInput = &Input();
    KxwDomHtmlElementForm* ptForm = ptInput->GetContainingForm();
    if (!ptForm) return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    std::string dsPair = mptDomEventDataOrNULL ? mptDomEventDataOrNULL->GetMapImageCoordinates() : std::string();
    if (dsPair.empty()) {
        long liX = ClampCoordinate(mptDomEventDataOrNULL ? mptDomEventDataOrNULL->GetX() : 0, "X");
        long liY = ClampCoordinate(mptDomEventDataOrNULL ? mptDomEventDataOrNULL->GetY() : 0, "Y");
        dsPair = std::to_string(liX) + "," + std::to_string(liY);
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "The click on the <INPUT type=image> at %p has no coordinates: using \"%s\" from the event's x and y",
                static_cast<void*>(ptInput), dsPair.c_str());
    } else if (dsPair.size() >= 12 || !IsCoordinatePair(dsPair)) {
        xfvKxwUtilReportBySevLvl(xfeKxwUtilJavaScriptErrorSevLvl(),
                                 "Click on an <INPUT type=image> with invalid coordinates (\"%.50s\", length=%ld). "
                                 "mptDomEventDataOrNULL=%p",
                                 dsPair.c_str(), static_cast<long>(dsPair.size()),
                                 static_cast<const void*>(mptDomEventDataOrNULL));
        return KXW_DOM_HANDLE_EVENT_RET_VAL_ERROR;
    }
    _dsLastCoordinatePair = dsPair;
    KxwDomWatchDelete tWatch("KxwDomHtmlElementInputHandlerImage::DoEventDefaultAction", ptInput);
    KxwDomEventData tSubmitData(ptInput);
    ptForm->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_SUBMIT, &tSubmitData, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    // The handler goes with its input: nothing of it is touched once the input is gone.
    if (!tWatch.HasBeenDeleted()) _dsLastCoordinatePair.clear();
    return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
}

bool KxwDomHtmlElementInputHandlerImage::ContributeToFormSubmit() {
    KxwDomHtmlElementInput& rtInput = Input();
    KxwDomHtmlElementForm* ptForm = rtInput.GetContainingForm();
    if (_dsLastCoordinatePair.empty() || (ptForm && ptForm->IsJavaScriptSubmit())) return true;
    if (!rtInput.ShouldContributeToSubmit(true)) return true;
    size_t nComma = _dsLastCoordinatePair.find(',');
    if (!ptForm || nComma == std::string::npos) {
        xfvKxwDomUtilReportCatalogedMessage(xfeKxwUtilJavaScriptErrorSevLvl(), -26000, __func__, __LINE__,
                                            "The coordinates of the clicked <INPUT type=image> cannot be sent");
        return false;
    }
    std::u16string dsName = TextOf(rtInput.GetName());
    std::u16string dsX(_dsLastCoordinatePair.begin(), _dsLastCoordinatePair.begin() + nComma);
    std::u16string dsY(_dsLastCoordinatePair.begin() + nComma + 1, _dsLastCoordinatePair.end());
    bool bOK = rtInput.AddPairToForm(dsName.empty() ? u"x" : dsName + u".x", dsX, false);
    return rtInput.AddPairToForm(dsName.empty() ? u"y" : dsName + u".y", dsY, false) && bOK;
}
