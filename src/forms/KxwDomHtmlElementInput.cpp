#include "KxwDomHtmlElementInput.h"

#include <cstring>
#include <string>

#include "KxwDomBindingUtil.h"
#include "KxwDomEventData.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementForm.h"
#include "KxwDomHtmlElementInputHandler.h"
#include "KxwDomHtmlRadioGroup.h"
#include "KxwDomHtmlRadioGroupMgr.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomTextRange.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"

namespace {

using Input = KxwDomHtmlElementInput;
constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr uint16_t kPlain = KXW_JSW_PROP_PERMANENT;

bool select_callback(KxwJswUserObjBase*, KxwJswCallArgs&);

bool createTextRange_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return KxwDomTextRange::CreateTextRangeCall("KxwDomHtmlElementInput::createTextRange_callback", mptUserObj,
                                                mrtArgs);
}

const KxwJswPropertySpec katInputProperties[] = {
    {"maxLength", Input::kIdMaxLength, kAttr, "S"},
    {"alt", Input::kIdAlt, kAttr, "S"},
    {"useMap", Input::kIdUseMap, kAttr, "S"},
    {"readOnly", Input::kIdReadOnly, kAttr, "b"},
    {"type", Input::kIdType, kAttr, "S"},
    {"checked", Input::kIdChecked, kAttr, "*"},
    {"defaultChecked", Input::kIdDefaultChecked, kPlain, "*"},
    {"defaultValue", Input::kIdDefaultValue, kPlain, "*"},
    {"src", Input::kIdSrc, kAttr, "S"},
    {"status", Input::kIdStatus, kPlain, "*"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katInputMethods[] = {
    {"select", nullptr, nullptr, 0, select_callback},
    {"createTextRange", nullptr, nullptr, 0, createTextRange_callback},
    {nullptr, nullptr, nullptr, 0},
};

const char* const kapszInputTypes[KXW_DOM_HTML_ELEMENT_INPUT_TYPE_COUNT] = {
    "text", "password", "checkbox", "radio", "submit", "reset", "file", "hidden", "image", "button",
};

// select() has no effect: nothing is shown.
bool select_callback(KxwJswUserObjBase*, KxwJswCallArgs&) {
    return true;
}

// Characters of a UTF-16 text: a pair of surrogates is one character.
unsigned CharsToUnits(const char16_t* mpwsfText, unsigned muUnits, unsigned muMaxChars) {
    unsigned uChars = 0, u = 0;
    for (; u < muUnits; ++u) {
        bool bTrail = (mpwsfText[u] & 0xFC00) == 0xDC00 && u > 0 && (mpwsfText[u - 1] & 0xFC00) == 0xD800;
        if (bTrail) continue;
        if (uChars == muMaxChars) break;
        ++uChars;
    }
    return u;
}

unsigned CountChars(const char16_t* mpwsfText, unsigned muUnits) {
    unsigned uChars = 0;
    for (unsigned u = 0; u < muUnits; ++u)
        if (!((mpwsfText[u] & 0xFC00) == 0xDC00 && u > 0 && (mpwsfText[u - 1] & 0xFC00) == 0xD800)) ++uChars;
    return uChars;
}

std::u16string TextOf(const KxwDomHtmlPropertyStr& mrtProperty) {
    const char16_t* pwsfText = mrtProperty.GetU16nStr();
    return pwsfText ? std::u16string(pwsfText, mrtProperty.GetU16nLenInChars()) : std::u16string();
}

}  // namespace

KxwDomHtmlElementInput::KxwDomHtmlElementInput(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementFormControl(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_INPUT, mbUseMemMgr),
      _tMaxLength(GetDomEnv()),
      _tAlt(GetDomEnv()),
      _tUseMap(GetDomEnv()),
      _tSrc(GetDomEnv()) {}

KxwDomHtmlElementInput::~KxwDomHtmlElementInput() {
    // A radio button that dies in its group leaves no pointer to it behind.
    if (KxwDomHtmlRadioGroup* ptGroup = _ptInputHandler ? _ptInputHandler->GetRadioGroup() : nullptr)
        ptGroup->GetMgr().Remove(this);
}

// ---------------------------------------------------------------------------------------------------------------
// Type

KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM KxwDomHtmlElementInput::GetTypeByName(const char* mpsfName, unsigned muLen) {
    int iType = FindTypeName(kapszInputTypes, KXW_DOM_HTML_ELEMENT_INPUT_TYPE_COUNT, mpsfName, muLen);
    return iType < 0 ? KXW_DOM_HTML_ELEMENT_INPUT_TYPE_TEXT : static_cast<KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM>(iType);
}

const char* KxwDomHtmlElementInput::GetTypeName(KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM meType) {
    return kapszInputTypes[NormalizedTypeEnum(meType)];
}

void KxwDomHtmlElementInput::SetTypeParsed(const char* mpszParsedValue) {
    if (IsTypeSpecified()) return;
    const char* pszValue = ParsedText(mpszParsedValue);
    SetTypeEnum(GetTypeByName(pszValue, static_cast<unsigned>(std::strlen(pszValue))), pszValue);
}

bool KxwDomHtmlElementInput::SetTypeDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    std::string dsNew(mpsfDcsStr ? mpsfDcsStr : "", mpsfDcsStr ? muDcsLenInBytes : 0);
    return SetTypeEnum(GetTypeByName(dsNew.data(), static_cast<unsigned>(dsNew.size())), dsNew.c_str());
}

bool KxwDomHtmlElementInput::SetTypeU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    std::string dsNew = ToDcs(mpwsfU16nStr, mpwsfU16nStr ? muU16nLenInChars : 0);
    return SetTypeEnum(GetTypeByName(dsNew.data(), static_cast<unsigned>(dsNew.size())), dsNew.c_str());
}

bool KxwDomHtmlElementInput::SetTypeEnum(KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM meType,
                                         const char* mpszNewNameForReport) {
    meType = NormalizedTypeEnum(meType);
    if (IsTypeSpecified() && meType == GetTypeEnum()) return true;
    // The document chose its lists by the type an input in a tree has: the type it has there stays.
    if (IsTypeSpecified() && GetParentNode()) {
        if (xfbKxwUtilIsSevLvlEnabled(xfeKxwUtilJavaScriptErrorSevLvl())) {
            // The name is the page's text: it is shown escaped.
            const char* pszNew = mpszNewNameForReport ? mpszNewNameForReport : "";
            std::string dsNew = GetPrintableText(pszNew, std::strlen(pszNew), 100);
            ReportErrorWithJavaScriptLineNumber(false, -35960, dsNew.c_str(), GetTypeNameAscStr());
        }
        return false;
    }
    // Out of any tree no event is being handled: the handler of the old type can go.
    _ptInputHandler.reset();
    _eType = meType;
    // A check box without a value of its own sends "on"; one whose value came first keeps it.
    if (meType == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_CHECKBOX && !IsSpecifiedValue()) {
        ValueProperty().SetU16n(GetOnStr(), kOnStrLen);
        ValueProperty().SetSpecified(false);
    }
    // An image button sends its bare x and y when it has no name.
    SetContributesWithoutName(meType == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_IMAGE);
    return true;
}

KxwDomHtmlElementInputHandlerBase* KxwDomHtmlElementInput::GetHtmlElementInputHandler() {
    if (_ptInputHandler) return _ptInputHandler.get();
    switch (GetTypeEnum()) {
        case KXW_DOM_HTML_ELEMENT_INPUT_TYPE_TEXT:
            _ptInputHandler = std::make_unique<KxwDomHtmlElementInputHandlerText>(this);
            break;
        case KXW_DOM_HTML_ELEMENT_INPUT_TYPE_PASSWORD:
            _ptInputHandler = std::make_unique<KxwDomHtmlElementInputHandlerPassword>(this);
            break;
        case KXW_DOM_HTML_ELEMENT_INPUT_TYPE_CHECKBOX:
            _ptInputHandler = std::make_unique<KxwDomHtmlElementInputHandlerCheckBox>(this);
            break;
        case KXW_DOM_HTML_ELEMENT_INPUT_TYPE_RADIO:
            _ptInputHandler = std::make_unique<KxwDomHtmlElementInputHandlerRadio>(this);
            break;
        case KXW_DOM_HTML_ELEMENT_INPUT_TYPE_SUBMIT:
            _ptInputHandler = std::make_unique<KxwDomHtmlElementInputHandlerSubmit>(this);
            break;
        case KXW_DOM_HTML_ELEMENT_INPUT_TYPE_RESET:
            _ptInputHandler = std::make_unique<KxwDomHtmlElementInputHandlerReset>(this);
            break;
        case KXW_DOM_HTML_ELEMENT_INPUT_TYPE_FILE:
            _ptInputHandler = std::make_unique<KxwDomHtmlElementInputHandlerFile>(this);
            break;
        case KXW_DOM_HTML_ELEMENT_INPUT_TYPE_HIDDEN:
            _ptInputHandler = std::make_unique<KxwDomHtmlElementInputHandlerHidden>(this);
            break;
        case KXW_DOM_HTML_ELEMENT_INPUT_TYPE_IMAGE:
            _ptInputHandler = std::make_unique<KxwDomHtmlElementInputHandlerImage>(this);
            break;
        case KXW_DOM_HTML_ELEMENT_INPUT_TYPE_BUTTON:
            _ptInputHandler = std::make_unique<KxwDomHtmlElementInputHandlerButton>(this);
            break;
        default:
            // GetTypeEnum answers a known type only; should it not, the input behaves as a text input.
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "Invalid value (%d) returned by GetTypeEnum() from KxwDomHtmlElementInput::GetHtmlElementInputHandler",
                static_cast<int>(GetTypeEnum()));
            _ptInputHandler = std::make_unique<KxwDomHtmlElementInputHandlerText>(this);
            break;
    }
    return _ptInputHandler.get();
}

// ---------------------------------------------------------------------------------------------------------------
// Checked state

void KxwDomHtmlElementInput::SetInputChecked(bool mbChecked) {
    _tChecked.SetBool(mbChecked);
    _tChecked.SetSpecified(true);
}

bool KxwDomHtmlElementInput::IsChecked() {
    return GetHtmlElementInputHandler()->IsChecked();
}
bool KxwDomHtmlElementInput::IsClicked() {
    return GetHtmlElementInputHandler()->IsClicked();
}
void KxwDomHtmlElementInput::SetHandlerChecked(bool mbChecked) {
    GetHtmlElementInputHandler()->SetHandlerChecked(mbChecked);
}
void KxwDomHtmlElementInput::SetRadioGroup(KxwDomHtmlRadioGroup* mptRadioGroup) {
    GetHtmlElementInputHandler()->SetRadioGroup(mptRadioGroup);
}
KxwDomHtmlRadioGroup* KxwDomHtmlElementInput::GetRadioGroup() {
    return _ptInputHandler ? _ptInputHandler->GetRadioGroup() : nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// Radio groups

void KxwDomHtmlElementInput::NotifyDocumentConnection(KxwDomHtmlDocument& mrtDocument, bool mbConnectedToDocument) {
    KxwDomHtmlElementFormControl::NotifyDocumentConnection(mrtDocument, mbConnectedToDocument);
    if (GetTypeEnum() != KXW_DOM_HTML_ELEMENT_INPUT_TYPE_RADIO) return;
    if (KxwDomHtmlRadioGroup* ptGroup = GetRadioGroup()) ptGroup->GetMgr().Remove(this);
    if (mbConnectedToDocument) mrtDocument.GetRadioGroupMgr().Add(this);
}

void KxwDomHtmlElementInput::RefileRadio(bool mbInDocument) {
    if (GetTypeEnum() != KXW_DOM_HTML_ELEMENT_INPUT_TYPE_RADIO) return;
    KxwDomHtmlRadioGroup* ptGroup = GetRadioGroup();
    if (!ptGroup && !mbInDocument) return;
    if (ptGroup) ptGroup->GetMgr().Remove(this);
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    if (mbInDocument && ptDocument) ptDocument->GetRadioGroupMgr().Add(this);
}

// ---------------------------------------------------------------------------------------------------------------
// Value

long KxwDomHtmlElementInput::GetEffectiveMaxLengthOrLongMax() const {
    const char* psfMax = _tMaxLength.GetDcsStr();
    if (!psfMax || _tMaxLength.GetDcsLenInBytes() == 0) return 0x7FFFFFFF;
    return xfliKxwDomUtilGetHtmlNumberOrLongMax(psfMax, _tMaxLength.GetDcsLenInBytes());
}

unsigned KxwDomHtmlElementInput::GetEffectiveValueLen(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) const {
    if (!mpwsfU16nStr || xfbKxwDomUtilIsIE()) return muU16nLenInChars;
    long liMax = GetEffectiveMaxLengthOrLongMax();
    if (liMax < 0 || liMax >= 0x7FFFFFFF) return muU16nLenInChars;
    // Characters are counted, not bytes nor UTF-16 units: the cut never splits one.
    unsigned uKept = CharsToUnits(mpwsfU16nStr, muU16nLenInChars, static_cast<unsigned>(liMax));
    if (uKept < muU16nLenInChars) {
        std::string dsName;
        GetPrintableDcs(GetName(), 100, dsName);
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_SNAPSHOT_ERROR,
                                 "Value of \"%.100s\" truncated from %ld to %ld bytes/chars (not IE) in "
                                 "KxwDomHtmlElementInput::GetEffectiveValueLen",
                                 dsName.c_str(), static_cast<long>(CountChars(mpwsfU16nStr, muU16nLenInChars)), liMax);
    }
    return uKept;
}

std::u16string KxwDomHtmlElementInput::GetValueU16n() const {
    return const_cast<KxwDomHtmlElementInput*>(this)->GetHtmlElementInputHandler()->GetValue();
}

std::string KxwDomHtmlElementInput::GetValueDcs() const {
    std::u16string dsValue = GetValueU16n();
    return ToDcs(dsValue.data(), static_cast<unsigned>(dsValue.size()));
}

void KxwDomHtmlElementInput::SetValueDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    std::u16string dsValue = ToU16n(mpsfDcsStr ? mpsfDcsStr : "", mpsfDcsStr ? muDcsLenInBytes : 0);
    SetValueU16n(dsValue.data(), static_cast<unsigned>(dsValue.size()));
}

void KxwDomHtmlElementInput::SetValueU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    if (GetTypeEnum() == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_FILE) {
        std::string dsName;
        GetPrintableDcs(GetName(), 100, dsName);
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35988, __func__, __LINE__, dsName.c_str());
        return;
    }
    const char16_t* pwsfValue = mpwsfU16nStr ? mpwsfU16nStr : u"";
    ValueProperty().SetU16n(pwsfValue, GetEffectiveValueLen(pwsfValue, mpwsfU16nStr ? muU16nLenInChars : 0));
}

void KxwDomHtmlElementInput::SetFileValueFromUser(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    ValueProperty().SetU16n(mpwsfU16nStr ? mpwsfU16nStr : u"", mpwsfU16nStr ? muU16nLenInChars : 0);
}

void KxwDomHtmlElementInput::SetValueParsed(const char* mpszParsedValue) {
    const char* pszValue = ParsedText(mpszParsedValue);
    if (GetTypeEnum() == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_FILE) {
        // The page cannot choose a file to upload: only a test step gives a file input its value.
        std::string dsName;
        GetPrintableDcs(GetName(), 100, dsName);
        std::string dsValue = GetPrintableText(pszValue, std::strlen(pszValue), 200);
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -35989, __func__, __LINE__, dsValue.c_str(),
                                            dsName.c_str());
        return;
    }
    if (IsSpecifiedValue()) return;
    std::u16string dsValue = ToU16n(pszValue, static_cast<unsigned>(std::strlen(pszValue)));
    unsigned uLen = GetEffectiveValueLen(dsValue.data(), static_cast<unsigned>(dsValue.size()));
    ValueProperty().SetU16n(dsValue.data(), uLen);
    DefaultValueProperty().SetU16n(dsValue.data(), uLen);
}

bool KxwDomHtmlElementInput::GetValueForHtmlAttribute(std::u16string& mrdsValue) const {
    return const_cast<KxwDomHtmlElementInput*>(this)->GetHtmlElementInputHandler()->GetValueForHtmlAttribute(mrdsValue);
}

void KxwDomHtmlElementInput::SetValueFromScript(KxwDomPropertyInfo& mrtPropertyInfo) {
    if (IsUndefinedValue(mrtPropertyInfo)) return;
    const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
    SetValueU16n(pwsfText, mrtPropertyInfo.ConvertAndGetStringU16nLength());
}

bool KxwDomHtmlElementInput::HasSecretValue() const {
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM eType = GetTypeEnum();
    return eType == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_PASSWORD || eType == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_FILE;
}

void KxwDomHtmlElementInput::Reset() {
    GetHtmlElementInputHandler()->Reset();
}

void KxwDomHtmlElementInput::ResetNodeValue() {
    const KxwDomHtmlPropertyStr& rtDefault = GetDefaultValueProperty();
    const char16_t* pwsfDefault = rtDefault.GetU16nStr();
    ValueProperty().SetU16n(pwsfDefault ? pwsfDefault : u"", pwsfDefault ? rtDefault.GetU16nLenInChars() : 0);
}

std::string KxwDomHtmlElementInput::GetAbsoluteSrc() const {
    return ResolveUrlDcs(_tSrc);
}

void KxwDomHtmlElementInput::HandleSrcChanged() {
    if (GetTypeEnum() != KXW_DOM_HTML_ELEMENT_INPUT_TYPE_IMAGE || _tSrc.IsEmpty()) return;
    if (!IsConnectedToDocument()) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "Setting the src of an <INPUT type=image> that is not connected to the document has no effect in "
                "KxwDomHtmlElementInput::SetDomPropertyInfo for this=%p",
                static_cast<void*>(this));
        return;
    }
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_INPUT_IMAGE_SRC, this, nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// Submission and users

bool KxwDomHtmlElementInput::ContributeToFormSubmit() {
    return GetHtmlElementInputHandler()->ContributeToFormSubmit();
}

bool KxwDomHtmlElementInput::UserSetText(const std::u16string& mdsText, std::string* mpdsReason) {
    if (!GetHtmlElementInputHandler()->TakesTypedText()) {
        if (mpdsReason) *mpdsReason = std::string("an INPUT of type ") + GetTypeNameAscStr() + " takes no text";
        return false;
    }
    return FireUserTyping(mdsText, "INPUT", mpdsReason);
}

bool KxwDomHtmlElementInput::UserSetChecked(bool mbChecked, std::string* mpdsReason) {
    KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM eType = GetTypeEnum();
    if (eType != KXW_DOM_HTML_ELEMENT_INPUT_TYPE_CHECKBOX && eType != KXW_DOM_HTML_ELEMENT_INPUT_TYPE_RADIO) {
        if (mpdsReason) *mpdsReason = std::string("an INPUT of type ") + GetTypeNameAscStr() + " cannot be checked";
        return false;
    }
    if (IsDisabled()) {
        if (mpdsReason) *mpdsReason = "the INPUT is disabled";
        return false;
    }
    if (eType == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_RADIO && !mbChecked) {
        if (mpdsReason) *mpdsReason = "a radio button is unchecked by choosing another one";
        return false;
    }
    if (eType == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_CHECKBOX && IsChecked() == mbChecked) return true;
    KxwDomEventData tData(this);
    OnUserEvent(KXW_DOM_EVENT_TYPE_ENUM_CLICK, &tData);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Events

bool KxwDomHtmlElementInput::CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    int iAnswer = GetHtmlElementInputHandler()->CanRespondToEvent(meEventType);
    switch (iAnswer) {
        case KXW_DOM_INPUT_HANDLER_ANSWER_YES:
            return true;
        case KXW_DOM_INPUT_HANDLER_ANSWER_NO:
            return false;
        case KXW_DOM_INPUT_HANDLER_ANSWER_NO_OPINION:
            if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_CHANGE || meEventType == KXW_DOM_EVENT_TYPE_ENUM_CONTENTREADY)
                return true;
            return KxwDomHtmlElementFormControl::CanRespondToEvent(meEventType);
        default:
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "Unexpected value for GetHtmlElementInputHandler()->CanRespondToEvent(meEventType) - %d (in "
                "KxwDomHtmlElementInput::CanRespondToEvent).",
                iAnswer);
            return false;
    }
}

void KxwDomHtmlElementInput::DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                           const KxwDomEventData* mptDomEventDataOrNULL) {
    KxwDomWatchDelete tWatch("KxwDomHtmlElementInput::DoBeforeEvent", this);
    KXW_DOM_INPUT_HANDLER_BEFORE_ENUM eDone =
        GetHtmlElementInputHandler()->DoBeforeEvent(meEventType, mptDomEventDataOrNULL);
    if (eDone == KXW_DOM_INPUT_HANDLER_BEFORE_NOT_HANDLED && !tWatch.HasBeenDeleted())
        KxwDomHtmlElementFormControl::DoBeforeEvent(meEventType, mptDomEventDataOrNULL);
}

void KxwDomHtmlElementInput::DoAfterEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                          const KxwDomEventData* mptDomEventDataOrNULL) {
    KxwDomWatchDelete tWatch("KxwDomHtmlElementInput::DoAfterEvent", this);
    GetHtmlElementInputHandler()->DoAfterEvent(meEventType, mptDomEventDataOrNULL);
    if (!tWatch.HasBeenDeleted()) KxwDomHtmlElementFormControl::DoAfterEvent(meEventType, mptDomEventDataOrNULL);
}

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomHtmlElementInput::DoEventDefaultAction(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) {
    return GetHtmlElementInputHandler()->DoEventDefaultAction(meEventType, mptDomEventDataOrNULL);
}

// ---------------------------------------------------------------------------------------------------------------
// Markup and script

bool KxwDomHtmlElementInput::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "type")) {
        SetTypeParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "maxlength")) {
        _tMaxLength.SetParsed(ParsedText(mpszValueOrNull));
        // A value given before its maximum length is cut as one given after it.
        if (IsSpecifiedValue() && !xfbKxwDomUtilIsIE()) {
            std::u16string dsValue = TextOf(GetValueProperty());
            unsigned uLen = GetEffectiveValueLen(dsValue.data(), static_cast<unsigned>(dsValue.size()));
            if (uLen < dsValue.size()) {
                ValueProperty().SetU16n(dsValue.data(), uLen);
                std::u16string dsDefault = TextOf(GetDefaultValueProperty());
                if (uLen < dsDefault.size()) DefaultValueProperty().SetU16n(dsDefault.data(), uLen);
            }
        }
        return true;
    }
    if (IsName(mpszName, "alt")) {
        _tAlt.SetParsed(ParsedText(mpszValueOrNull));
        return true;
    }
    if (IsName(mpszName, "usemap")) {
        _tUseMap.SetParsed(ParsedText(mpszValueOrNull));
        return true;
    }
    if (IsName(mpszName, "readonly")) {
        _tReadOnly.SetParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "checked")) {
        _tChecked.SetParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "src")) {
        _tSrc.SetParsed(ParsedText(mpszValueOrNull));
        return true;
    }
    return KxwDomHtmlElementFormControl::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementInput::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    auto& rtClone = static_cast<KxwDomHtmlElementInput&>(mrtClone);
    // The type first: a clone's check box keeps the value given, not the default "on".
    rtClone._eType = _eType;
    rtClone.SetContributesWithoutName(GetTypeEnum() == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_IMAGE);
    KxwDomHtmlElementFormControl::CopyClassPropertiesTo(mrtClone);
    CopySpecifiedText(_tMaxLength, rtClone._tMaxLength);
    CopySpecifiedText(_tAlt, rtClone._tAlt);
    CopySpecifiedText(_tUseMap, rtClone._tUseMap);
    CopySpecifiedText(_tSrc, rtClone._tSrc);
    rtClone._tReadOnly = _tReadOnly;
    rtClone._tChecked = _tChecked;
    if (GetTypeEnum() == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_FILE) rtClone.ValueProperty().RemoveValue();
}

void KxwDomHtmlElementInput::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    const char* pszType = GetTypeNameAscStr();
    mrtText.ConcatHtmlPropertyByValue("type", 4, pszType, static_cast<int>(std::strlen(pszType)));
    mrtText.ConcatHtmlProperty("maxLength", _tMaxLength);
    mrtText.ConcatHtmlProperty("alt", _tAlt);
    mrtText.ConcatHtmlProperty("useMap", _tUseMap);
    mrtText.ConcatHtmlProperty("readOnly", _tReadOnly);
    mrtText.ConcatHtmlProperty("src", _tSrc);
    bool bChecked = const_cast<KxwDomHtmlElementInput*>(this)->IsChecked();
    mrtText.ConcatHtmlPropertyByValue("checked", 7, bChecked);
    KxwDomHtmlElementFormControl::GenerateHtmlProperties(mrtText);
}

short KxwDomHtmlElementInput::GetTextRangeReplacedTinyId(short msiOriginalTinyId) const {
    if (msiOriginalTinyId == KxwDomTextRange::kIdText || msiOriginalTinyId == KxwDomTextRange::kIdHtmlText)
        return kIdValue;
    return KxwDomHtmlElementFormControl::GetTextRangeReplacedTinyId(msiOriginalTinyId);
}

const KxwJswClassInformation* KxwDomHtmlElementInput::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetFormControlClassInformation(), "input", katInputProperties,
                                                    katInputMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementInput::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdMaxLength:
            mrtPropertyInfo = _tMaxLength;
            return true;
        case kIdAlt:
            mrtPropertyInfo = _tAlt;
            return true;
        case kIdUseMap:
            mrtPropertyInfo = _tUseMap;
            return true;
        case kIdReadOnly:
            mrtPropertyInfo = IsReadOnly();
            return true;
        case kIdType: {
            const char* pszType = GetTypeNameAscStr();
            AssignTemporaryText(mrtPropertyInfo, std::u16string(pszType, pszType + std::strlen(pszType)));
            return true;
        }
        case kIdChecked:
        case kIdStatus:
            mrtPropertyInfo = IsChecked();
            return true;
        case kIdDefaultChecked:
            mrtPropertyInfo = GetDefaultChecked();
            return true;
        case kIdDefaultValue:
            mrtPropertyInfo = GetDefaultValueProperty();
            return true;
        case kIdSrc:
            if (GetTypeEnum() == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_IMAGE) {
                AssignResolvedUrl(mrtPropertyInfo, _tSrc);
                return true;
            }
            mrtPropertyInfo = _tSrc;
            return true;
        default:
            return KxwDomHtmlElementFormControl::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementInput::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    bool bUndefined = IsUndefinedValue(mrtPropertyInfo);
    switch (mnTinyId) {
        case kIdMaxLength:
            StoreScriptText(_tMaxLength, mrtPropertyInfo);
            return true;
        case kIdAlt:
            StoreScriptText(_tAlt, mrtPropertyInfo);
            return true;
        case kIdUseMap:
            StoreScriptText(_tUseMap, mrtPropertyInfo);
            return true;
        case kIdReadOnly:
            if (!bUndefined) {
                KxwDomHtmlPropertyBool tValue;
                tValue = mrtPropertyInfo;
                SetReadOnlyBool(tValue.GetBool());
            }
            return true;
        case kIdType: {
            if (bUndefined) return true;
            const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
            return SetTypeU16n(pwsfText, mrtPropertyInfo.ConvertAndGetStringU16nLength());
        }
        case kIdChecked:
        case kIdStatus: {
            if (bUndefined) return true;
            SetHandlerChecked(TruthOf(mrtPropertyInfo));
            return true;
        }
        case kIdDefaultChecked: {
            if (bUndefined) return true;
            SetDefaultChecked(TruthOf(mrtPropertyInfo));
            return true;
        }
        case kIdDefaultValue:
            if (bUndefined) return true;
            StoreScriptText(DefaultValueProperty(), mrtPropertyInfo);
            return true;
        case kIdSrc:
            StoreScriptText(_tSrc, mrtPropertyInfo);
            HandleSrcChanged();
            return true;
        case KxwDomHtmlElementWithName::kIdName: {
            // A radio button follows its name into another group.
            bool bRefile = GetTypeEnum() == KXW_DOM_HTML_ELEMENT_INPUT_TYPE_RADIO && IsConnectedToDocument();
            bool bDone = KxwDomHtmlElementFormControl::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            if (bRefile) RefileRadio(true);
            return bDone;
        }
        default:
            return KxwDomHtmlElementFormControl::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}
