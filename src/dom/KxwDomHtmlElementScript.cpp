#include "KxwDomHtmlElementScript.h"

#include <string>

#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
enum : short {
    kIdSrc = KxwDomHtmlElement::kFirstDerivedTinyId,  // 7
    kIdType,                                          // 8
    kIdDefer,                                         // 9
    kIdText,                                          // 10
    kIdEvent,                                         // 11
    kIdHtmlFor,                                       // 12
    kIdLanguage,                                      // 13
};

const KxwJswPropertySpec katScriptProperties[] = {
    {"src", 7, kAttr, "S"},       {"type", 8, kAttr, "S"},
    {"defer", 9, kAttr, "b"},     {"text", 10, KXW_JSW_PROP_PERMANENT, "S"},
    {"event", 11, kAttr, "S"},    {"htmlFor", 12, kAttr, "S"},
    {"language", 13, kAttr, "S"}, {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

}  // namespace

KxwDomHtmlElementScript::KxwDomHtmlElementScript(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SCRIPT, mbUseMemMgr),
      _tSrc(GetDomEnv()),
      _tType(GetDomEnv()),
      _tLanguage(GetDomEnv()),
      _tEvent(GetDomEnv()),
      _tHtmlFor(GetDomEnv()),
      _tText(GetDomEnv()) {}

void KxwDomHtmlElementScript::SetTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    _tText.SetDcs(mpsfDcsStr ? mpsfDcsStr : "", mpsfDcsStr ? muDcsLenInBytes : 0);
}

void KxwDomHtmlElementScript::SetTextU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    _tText.SetU16n(mpwsfU16nStr ? mpwsfU16nStr : u"", mpwsfU16nStr ? muU16nLenInChars : 0);
}

void KxwDomHtmlElementScript::SetDeferParsed(const char*) {
    SetScriptFlag(kFlagDefer, true);
    SetScriptFlag(kFlagDeferFromHtml, true);
}

void KxwDomHtmlElementScript::SetSourceDownloaded(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    SetTextDcs(mpsfDcsStr, muDcsLenInBytes);
    SetScriptFlag(kFlagSourceDownloaded, true);
}

bool KxwDomHtmlElementScript::SetReadyState(KXW_DOM_HTML_READY_STATE_ENUM meReadyState) {
    if (_eReadyState == meReadyState) return false;
    _eReadyState = meReadyState;
    return true;
}

std::u16string KxwDomHtmlElementScript::GetInnerText() const {
    const char16_t* pwsfText = _tText.GetU16nStr();
    return pwsfText ? std::u16string(pwsfText, _tText.GetU16nLenInChars()) : std::u16string();
}

bool KxwDomHtmlElementScript::SetInnerTextU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    SetTextU16n(mpwsfU16nStr, muU16nLenInChars);
    return true;
}

bool KxwDomHtmlElementScript::AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    if (!mpsfDcsStr || muDcsLenInBytes == 0) return true;
    std::string dsJoined;
    if (_tText.GetDcsStr()) dsJoined.assign(_tText.GetDcsStr(), _tText.GetDcsLenInBytes());
    dsJoined.append(mpsfDcsStr, muDcsLenInBytes);
    SetTextDcs(dsJoined.data(), static_cast<unsigned>(dsJoined.size()));
    return true;
}

bool KxwDomHtmlElementScript::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    switch (mpszName[0] | 0x20) {
        case 's':
            if (IsName(mpszName, "src")) return SetSrcParsed(mpszValueOrNull), true;
            break;
        case 't':
            if (IsName(mpszName, "type")) return SetTypeParsed(mpszValueOrNull), true;
            break;
        case 'd':
            if (IsName(mpszName, "defer")) return SetDeferParsed(mpszValueOrNull), true;
            break;
        case 'e':
            if (IsName(mpszName, "event")) return _tEvent.SetParsed(ParsedText(mpszValueOrNull)), true;
            break;
        case 'f':
            if (IsName(mpszName, "for")) return _tHtmlFor.SetParsed(ParsedText(mpszValueOrNull)), true;
            break;
        case 'l':
            if (IsName(mpszName, "language")) return _tLanguage.SetParsed(ParsedText(mpszValueOrNull)), true;
            break;
        default:
            break;
    }
    return KxwDomHtmlElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementScript::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    auto& rtClone = static_cast<KxwDomHtmlElementScript&>(mrtClone);
    CopySpecifiedText(_tSrc, rtClone._tSrc);
    CopySpecifiedText(_tType, rtClone._tType);
    CopySpecifiedText(_tLanguage, rtClone._tLanguage);
    CopySpecifiedText(_tEvent, rtClone._tEvent);
    CopySpecifiedText(_tHtmlFor, rtClone._tHtmlFor);
    CopySpecifiedText(_tText, rtClone._tText);
    rtClone.SetScriptFlag(kFlagDefer, IsDefer());
}

const KxwJswClassInformation* KxwDomHtmlElementScript::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "script", katScriptProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementScript::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdSrc:
            AssignResolvedUrl(mrtPropertyInfo, _tSrc);
            return true;
        case kIdType:
            mrtPropertyInfo = _tType;
            return true;
        case kIdDefer:
            mrtPropertyInfo = IsDefer();
            return true;
        case kIdText:
            mrtPropertyInfo = _tText;
            return true;
        case kIdEvent:
            mrtPropertyInfo = _tEvent;
            return true;
        case kIdHtmlFor:
            mrtPropertyInfo = _tHtmlFor;
            return true;
        case kIdLanguage:
            mrtPropertyInfo = _tLanguage;
            return true;
        default:
            return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementScript::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdSrc:
            // Downloading a source set by a script comes with script evaluation; the address is kept.
            StoreScriptText(_tSrc, mrtPropertyInfo);
            return true;
        case kIdType:
            StoreScriptText(_tType, mrtPropertyInfo);
            return true;
        case kIdDefer:
            SetScriptFlag(kFlagDefer, mrtPropertyInfo.HasValue() && mrtPropertyInfo.GetBoolean());
            return true;
        case kIdText:
            StoreScriptText(_tText, mrtPropertyInfo);
            return true;
        case kIdEvent:
            StoreScriptText(_tEvent, mrtPropertyInfo);
            return true;
        case kIdHtmlFor:
            StoreScriptText(_tHtmlFor, mrtPropertyInfo);
            return true;
        case kIdLanguage:
            StoreScriptText(_tLanguage, mrtPropertyInfo);
            return true;
        default:
            return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

void KxwDomHtmlElementScript::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    KxwDomHtmlElement::PrintMe(miIndent, meSevLvl, mulMask);
    if (!(mulMask & KXW_DOM_PRINT_MASK_TEXTS) || !xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    std::string dsText;
    long liLen = GetPrintableDcs(_tText, kPrintedTextLen, dsText);
    xfvKxwUtilReportBySevLvl(meSevLvl, "%*s[The <SCRIPT> text is \"%.3000s\" (DCS length=%ld)]",
                             GetPrintingTextIndent(miIndent), "", dsText.c_str(), liLen);
}
