#include "KxwDomHtcElementMethod.h"

#include "KxwDomHtcDocument.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
enum : short {
    kIdHtcName = KxwDomHtmlElement::kFirstDerivedTinyId,
    kIdInternalName,
};

const KxwJswPropertySpec katProperties[] = {
    {"HTCNAME", kIdHtcName, kAttr, "S"},
    {"INTERNALNAME", kIdInternalName, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

}  // namespace

KxwDomHtcElementMethod::KxwDomHtcElementMethod(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_METHOD, mbUseMemMgr),
      _tHtcName(GetDomEnv()),
      _tInternalName(GetDomEnv()) {}

bool KxwDomHtcElementMethod::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "name")) return _tHtcName.SetParsed(ParsedText(mpszValueOrNull)), true;
    if (IsName(mpszName, "htcname")) return _tHtcName.SetParsed(ParsedText(mpszValueOrNull)), true;
    if (IsName(mpszName, "internalname")) return _tInternalName.SetParsed(ParsedText(mpszValueOrNull)), true;
    return KxwDomHtmlElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

KxwDomHtmlElement* KxwDomHtcElementMethod::MakeEmptyClone(KxwDomHtmlDocument& mrtDocument) {
    return new (mrtDocument.GetMemMgr()) KxwDomHtcElementMethod(&mrtDocument, true);
}

void KxwDomHtcElementMethod::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElement::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtcElementMethod&>(mrtClone);
    CopySpecifiedText(_tHtcName, rtClone._tHtcName);
    CopySpecifiedText(_tInternalName, rtClone._tInternalName);
}

KxwDomHtcDocument* KxwDomHtcElementMethod::GetHtcDocument() const {
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    return ptDocument ? ptDocument->GetHtcDocument() : nullptr;
}

void KxwDomHtcElementMethod::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("HTCNAME", _tHtcName);
    mrtText.ConcatHtmlProperty("INTERNALNAME", _tInternalName);
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}

const KxwJswClassInformation* KxwDomHtcElementMethod::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "PUBLIC:METHOD", katProperties,
                                                    katNoMethods, nullptr, KXW_JSW_CLASS_KIND_CALLABLE);
    return &ktClassInfo;
}

bool KxwDomHtcElementMethod::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdHtcName:
            mrtPropertyInfo = _tHtcName;
            return true;
        case kIdInternalName:
            mrtPropertyInfo = _tInternalName;
            return true;
        default:
            if (mnTinyId < kFirstDerivedTinyId) return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "KxwDomHtcElementMethod::GetDomPropertyInfo: Unsupported property ID (%d)", static_cast<int>(mnTinyId));
            return false;
    }
}

bool KxwDomHtcElementMethod::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdHtcName:
            StoreScriptText(_tHtcName, mrtPropertyInfo);
            return true;
        case kIdInternalName:
            StoreScriptText(_tInternalName, mrtPropertyInfo);
            return true;
        default:
            if (mnTinyId < kFirstDerivedTinyId) return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "KxwDomHtcElementMethod::SetDomPropertyInfo: Unsupported property ID (%d)", static_cast<int>(mnTinyId));
            return false;
    }
}

std::string KxwDomHtcElementMethod::GetFunctionName() const {
    const KxwDomHtmlPropertyStr& rtName = _tInternalName.IsSpecified() ? _tInternalName : _tHtcName;
    return rtName.GetDcsStr() ? std::string(rtName.GetDcsStr(), rtName.GetDcsLenInBytes()) : std::string();
}

bool KxwDomHtcElementMethod::InvokeMethod(KxwJswCallArgs& mrtArgs) {
    mrtArgs.SetResult(KxwJsval());
    KxwDomHtcDocument* ptHtc = GetHtcDocument();
    std::string dsFunction = GetFunctionName();
    if (!ptHtc || dsFunction.empty()) return true;
    unsigned uArgc = mrtArgs.Length();
    if (uArgc > knMaxHtcMethodArgs) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                 "The behavior method \"%.200s\" was called with %u arguments, more than the %u a "
                                 "behavior method takes: it is not called",
                                 dsFunction.c_str(), uArgc, knMaxHtcMethodArgs);
        return true;
    }
    KxwJsval atArgs[knMaxHtcMethodArgs];
    for (unsigned n = 0; n < uArgc; ++n) atArgs[n] = mrtArgs.Get(n);
    KxwJsval tResult;
    if (ptHtc->CallFunction(dsFunction, static_cast<int>(uArgc), atArgs, &tResult)) mrtArgs.SetResult(tResult);
    return true;
}
