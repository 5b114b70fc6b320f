#include "KxwDomClipboardData.h"

#include <string>

#include "KxwDomBindingUtil.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"

namespace {

const KxwJswPropertySpec katNoProperties[] = {{nullptr, 0, 0, nullptr}};

using KxwDomClipboardDataCall = KxwDomScriptCallOn<KxwDomClipboardData>;

// A format the clipboard does not keep: noted for the diagnostics, the page's text escaped and cut.
void ReportUnsupportedFormat(const char* mpszFormat, const std::u16string& mrdsFormat) {
    if (!xfbKxwUtilIsSevLvlEnabled(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR)) return;
    std::string dsUtf8 = xfdsKxwDomUtilU16ToUtf8(mrdsFormat.data(), static_cast<unsigned>(mrdsFormat.size()));
    std::string dsPrintable = KxwDomBase::GetPrintableText(dsUtf8.data(), dsUtf8.size(), 100);
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, mpszFormat, dsPrintable.c_str());
}

bool setData_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomClipboardDataCall tCall("KxwDomClipboardData::setData_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(2)) return false;
    std::u16string dsFormat = tCall.Text(0);
    std::u16string dsData = tCall.Text(1);
    if (tCall.Failed()) return false;
    if (!KxwDomClipboardData::IsTextFormat(dsFormat)) {
        ReportUnsupportedFormat("clipboardData.setData(\"%.100s\",..) is not supported and is ignored", dsFormat);
        return tCall.Return(false);
    }
    tCall.This()->SetTextU16n(dsData.data(), static_cast<unsigned>(dsData.size()));
    return tCall.Return(true);
}

bool getData_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomClipboardDataCall tCall("KxwDomClipboardData::getData_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(1)) return false;
    std::u16string dsFormat = tCall.Text(0);
    if (tCall.Failed()) return false;
    if (!KxwDomClipboardData::IsTextFormat(dsFormat)) {
        ReportUnsupportedFormat("clipboardData.getData(\"%.100s\") is not supported and is ignored", dsFormat);
        return tCall.Return(std::u16string());
    }
    const KxwDomHtmlPropertyStr& rtText = tCall.This()->GetText();
    const char16_t* pwsfText = rtText.GetU16nStr();
    return tCall.Return(pwsfText ? std::u16string(pwsfText, rtText.GetU16nLenInChars()) : std::u16string());
}

bool clearData_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomClipboardDataCall tCall("KxwDomClipboardData::clearData_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    // Without a format (nothing given, or undefined) every format is cleared, and "Text" is the only one.
    if (tCall.Argc() == 0 || tCall.Arg(0).IsUndefined()) {
        tCall.This()->Reset();
        return tCall.Undefined();
    }
    std::u16string dsFormat = tCall.Text(0);
    if (tCall.Failed()) return false;
    if (KxwDomClipboardData::IsTextFormat(dsFormat))
        tCall.This()->Reset();
    else
        ReportUnsupportedFormat("clipboardData.clearData(\"%.100s\") is not supported and is ignored", dsFormat);
    return tCall.Undefined();
}

const KxwJswMethodSpec katClipboardDataMethods[] = {
    {"setData", nullptr, nullptr, 2, setData_callback},
    {"getData", nullptr, nullptr, 1, getData_callback},
    {"clearData", nullptr, nullptr, 1, clearData_callback},
    {nullptr, nullptr, nullptr, 0},
};

}  // namespace

KxwDomClipboardData::KxwDomClipboardData(KxwDomEnv& mrtDomEnv) : KxwDomBase(mrtDomEnv), _tText(GetDomEnv()) {
    if (xfbKxwTraceEnabled()) xfvKxwUtilReportTraceToFile("<%p>: KxwDomClipboardData()", static_cast<void*>(this));
}

KxwDomClipboardData::~KxwDomClipboardData() {
    if (xfbKxwTraceEnabled()) xfvKxwUtilReportTraceToFile("<%p>: ~KxwDomClipboardData()", static_cast<void*>(this));
}

void KxwDomClipboardData::SetTextU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    _tText.SetU16n(mpwsfU16nStr, muU16nLenInChars);
}

void KxwDomClipboardData::Reset() {
    _tText.SetU16n(u"", 0);
}

bool KxwDomClipboardData::IsTextFormat(const std::u16string& mrdsFormat) {
    return xfbKxwDomUtilU16EqualIgnoringAsciiCase(mrdsFormat.data(), mrdsFormat.size(), u"Text", 4);
}

const KxwJswClassInformation* KxwDomClipboardData::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(nullptr, "clipboardData", katNoProperties, katClipboardDataMethods);
    return &ktClassInfo;
}

bool KxwDomClipboardData::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomClipboardData", mnTinyId, mrtPropertyInfo);
}
