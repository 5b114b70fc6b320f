#include "KxwDomHtmlElementTextArea.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomEventData.h"
#include "KxwDomHtmlElementInputHandler.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomTextRange.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilEscape.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"

namespace {

using TextArea = KxwDomHtmlElementTextArea;
constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;

bool select_callback(KxwJswUserObjBase*, KxwJswCallArgs&) {
    // Selecting the text has nothing to show in a replay: no effect, as on INPUT.
    return true;
}

bool createTextRange_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return KxwDomTextRange::CreateTextRangeCall("KxwDomHtmlElementTextArea::createTextRange_callback", mptUserObj,
                                                mrtArgs);
}

const KxwJswPropertySpec katTextAreaProperties[] = {
    {"defaultValue", TextArea::kIdDefaultValue, kAttr, "S"},
    {"type", TextArea::kIdType, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"readOnly", TextArea::kIdReadOnly, kAttr, "b"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katTextAreaMethods[] = {
    {"select", nullptr, nullptr, 0, select_callback},
    {"createTextRange", nullptr, nullptr, 0, createTextRange_callback},
    {nullptr, nullptr, nullptr, 0},
};

std::u16string TextOf(const KxwDomHtmlPropertyStr& mrtText) {
    const char16_t* pwsfText = mrtText.GetU16nStr();
    return pwsfText ? std::u16string(pwsfText, mrtText.GetU16nLenInChars()) : std::u16string();
}

}  // namespace

KxwDomHtmlElementTextArea::KxwDomHtmlElementTextArea(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementFormControl(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TEXTAREA, mbUseMemMgr) {}

std::u16string KxwDomHtmlElementTextArea::AddCrBeforeNl(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    if (!mpwsfU16nStr || muU16nLenInChars == 0) return std::u16string();
    // Room for a carriage return before every character and the terminator, on the heap whatever the length.
    std::u16string dsBuffer(2 * static_cast<size_t>(muU16nLenInChars) + 1, u'\0');
    int iLen = xfiKxwUtilAddCrBeforeNl(mpwsfU16nStr, static_cast<int>(muU16nLenInChars), &dsBuffer[0]);
    dsBuffer.resize(iLen < 0 ? 0 : static_cast<size_t>(iLen));
    return dsBuffer;
}

std::u16string KxwDomHtmlElementTextArea::GetValueU16n() const {
    std::u16string dsValue;
    for (KxwDomNodeBase* ptChild = GetFirstChild(); ptChild; ptChild = ptChild->GetNextSibling()) {
        if (ptChild->GetNodeType() == KXW_DOM_COMMON_NODE_TYPE_TEXT) ptChild->AddDataToInnerText(dsValue);
    }
    return dsValue;
}

void KxwDomHtmlElementTextArea::SetValueDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    std::u16string dsValue = ToU16n(mpsfDcsStr ? mpsfDcsStr : "", mpsfDcsStr ? muDcsLenInBytes : 0);
    SetValueU16n(dsValue.data(), static_cast<unsigned>(dsValue.size()));
}

void KxwDomHtmlElementTextArea::SetValueU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    std::u16string dsValue = AddCrBeforeNl(mpwsfU16nStr, muU16nLenInChars);
    KxwDomWatchDelete tWatch("KxwDomHtmlElementTextArea::SetValueU16n", this);
    DeleteChildren(true);
    if (tWatch.HasBeenDeleted()) return;
    SetInnerTextU16n(dsValue.data(), static_cast<unsigned>(dsValue.size()));
}

bool KxwDomHtmlElementTextArea::AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    if (!KxwDomHtmlElementFormControl::AddInnerTextDcs(mpsfDcsStr, muDcsLenInBytes)) return false;
    std::u16string dsValue = GetValueU16n();
    std::u16string dsFixed = AddCrBeforeNl(dsValue.data(), static_cast<unsigned>(dsValue.size()));
    if (dsFixed != dsValue) SetValueU16n(dsFixed.data(), static_cast<unsigned>(dsFixed.size()));
    if (!_bDefaultFromScript) SetDefaultValueU16n(dsFixed.data(), static_cast<unsigned>(dsFixed.size()));
    return true;
}

void KxwDomHtmlElementTextArea::SetValueParsed(const char* /*mpszParsedValue*/) {}

bool KxwDomHtmlElementTextArea::GetValueForHtmlAttribute(std::u16string& /*mrdsValue*/) const {
    return false;
}

void KxwDomHtmlElementTextArea::SetReadOnlyBool(bool mbReadOnly) {
    _tReadOnly.SetBool(mbReadOnly);
    _tReadOnly.SetSpecified(true);
}

void KxwDomHtmlElementTextArea::Reset() {
    std::u16string dsDefault = TextOf(GetDefaultValueProperty());
    if (xfbKxwTraceEnabled()) {
        std::string dsName, dsValue, dsDefaultShown;
        GetPrintableDcs(GetName(), 100, dsName);
        std::u16string dsCurrent = GetValueU16n();
        GetPrintableDcs(dsCurrent.data(), dsCurrent.size(), 200, dsValue);
        GetPrintableDcs(dsDefault.data(), dsDefault.size(), 200, dsDefaultShown);
        xfvKxwUtilReportTraceToFile("KxwDomHtmlElementTextArea::Reset called for Name=%s; Value=%s; DefaultValue=%s",
                                    dsName.c_str(), dsValue.c_str(), dsDefaultShown.c_str());
    }
    SetValueU16n(dsDefault.data(), static_cast<unsigned>(dsDefault.size()));
}

// ---------------------------------------------------------------------------------------------------------------
// Users

bool KxwDomHtmlElementTextArea::UserSetText(const std::u16string& mdsText, std::string* mpdsReason) {
    return FireUserTyping(mdsText, "TEXTAREA", mpdsReason);
}

bool KxwDomHtmlElementTextArea::CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_CHANGE || meEventType == KXW_DOM_EVENT_TYPE_ENUM_SELECT) return true;
    return KxwDomHtmlElementFormControl::CanRespondToEvent(meEventType);
}

void KxwDomHtmlElementTextArea::DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                              const KxwDomEventData* mptDomEventDataOrNULL) {
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CHANGE) {
        KxwDomHtmlElementFormControl::DoBeforeEvent(meEventType, mptDomEventDataOrNULL);
        return;
    }
    const void* pvTyped = mptDomEventDataOrNULL ? mptDomEventDataOrNULL->GetAdditionalData() : nullptr;
    if (!pvTyped) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "mptDomEventDataOrNULL==%p or mptDomEventDataOrNULL->_pvAdditionalData==NULL in "
            "KxwDomHtmlElementTextArea::DoBeforeEvent for this=%p",
            static_cast<const void*>(mptDomEventDataOrNULL), static_cast<void*>(this));
        return;
    }
    // The typed text belongs to the step that types: copied before any handler runs.
    const auto* ptTyped = static_cast<const KxwDomTypedText*>(pvTyped);
    std::u16string dsTyped(ptTyped->_pwsfText ? ptTyped->_pwsfText : u"", ptTyped->_pwsfText ? ptTyped->_uLen : 0);
    KxwDomWatchDelete tWatch("KxwDomHtmlElementTextArea::DoBeforeEvent", this);
    FireEvent(KXW_DOM_EVENT_TYPE_ENUM_FOCUS, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    if (tWatch.HasBeenDeleted()) return;
    // The checks and reports of typed text, then the value goes where a text area keeps it.
    if (!UserSetValueU16n_Text(dsTyped.data(), static_cast<unsigned>(dsTyped.size()))) return;
    SetValueU16n(dsTyped.data(), static_cast<unsigned>(dsTyped.size()));
}

// ---------------------------------------------------------------------------------------------------------------
// Markup and script

bool KxwDomHtmlElementTextArea::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "readonly")) {
        _tReadOnly.SetParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElementFormControl::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementTextArea::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementFormControl::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementTextArea&>(mrtClone);
    rtClone._tReadOnly = _tReadOnly;
    rtClone._bDefaultFromScript = _bDefaultFromScript;
}

void KxwDomHtmlElementTextArea::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("readOnly", _tReadOnly);
    KxwDomHtmlElementFormControl::GenerateHtmlProperties(mrtText);
}

const KxwJswClassInformation* KxwDomHtmlElementTextArea::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetFormControlClassInformation(), "textArea",
                                                    katTextAreaProperties, katTextAreaMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementTextArea::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdDefaultValue:
            AssignTemporaryText(mrtPropertyInfo, TextOf(GetDefaultValueProperty()));
            return true;
        case kIdType:
            AssignTemporaryText(mrtPropertyInfo, u"textarea");
            return true;
        case kIdReadOnly:
            mrtPropertyInfo = IsReadOnly();
            return true;
        default:
            return KxwDomHtmlElementFormControl::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementTextArea::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kIdDefaultValue) return KxwDomHtmlElementFormControl::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    if (!mrtPropertyInfo.HasValue() || mrtPropertyInfo.GetType() == KXW_DOM_PROPERTY_INFO_TYPE_UNDEFINED) return true;
    switch (mnTinyId) {
        case kIdDefaultValue: {
            std::u16string dsDefault = AddCrBeforeNl(mrtPropertyInfo.ConvertAndGetStringU16n(),
                                                     mrtPropertyInfo.ConvertAndGetStringU16nLength());
            SetDefaultValueU16n(dsDefault.data(), static_cast<unsigned>(dsDefault.size()));
            _bDefaultFromScript = true;
            return true;
        }
        case kIdReadOnly: {
            KxwDomHtmlPropertyBool tValue;
            tValue = mrtPropertyInfo;
            SetReadOnlyBool(tValue.GetBool());
            return true;
        }
        default:
            return true;
    }
}
