#include "KxwDomScriptCall.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlDocument.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"

KxwDomHtmlDocument* KxwDomScriptThis<KxwDomHtmlDocument>::Of(KxwJswUserObjBase* mptUserObj) {
    KxwDomNodeBase* ptNode = KxwJswUserObjBase::ConvertToNodeBase(mptUserObj);
    return ptNode ? ptNode->AsHtmlDocument() : nullptr;
}

KxwDomCoreElement* KxwDomScriptThis<KxwDomCoreElement>::Of(KxwJswUserObjBase* mptUserObj) {
    KxwDomNodeBase* ptNode = KxwJswUserObjBase::ConvertToNodeBase(mptUserObj);
    return ptNode ? ptNode->AsCoreElement() : nullptr;
}

std::u16string KxwDomScriptCall::Text(unsigned muIndex) {
    std::u16string dsText;
    if (!_rtArgs.GetStringU16n(muIndex, dsText)) {
        _bFailed = true;
        dsText.clear();
    }
    return dsText;
}

std::string KxwDomScriptCall::Utf8(unsigned muIndex) {
    std::u16string dsText = Text(muIndex);
    return xfdsKxwDomUtilU16ToUtf8(dsText.data(), static_cast<unsigned>(dsText.size()));
}

int32_t KxwDomScriptCall::Int(unsigned muIndex, int32_t miDefault) {
    if (muIndex >= Argc()) return miDefault;
    KxwJsval tValue = _rtArgs.Get(muIndex);
    if (tValue.IsUndefined()) return miDefault;
    int32_t iValue = 0;
    if (!tValue.ToInt32(iValue, _rtArgs.GetContext())) _bFailed = true;
    return iValue;
}

bool KxwDomScriptCall::Invalid() {
    xfvKxwDomUtilInvalidJswMethodCallbackArgs(_pszCallbackName, _pvThis, _ptUserObj, _rtArgs.Length(), nullptr, nullptr,
                                              nullptr, nullptr, nullptr, nullptr);
    Null();
    return false;
}

bool KxwDomScriptCall::Fail(const char* mpszMethodName) {
    xfvKxwDomUtilReportCatalogedMessage(xfeKxwUtilJavaScriptErrorSevLvl(), -35956, _pszCallbackName, __LINE__,
                                        mpszMethodName);
    Null();
    return false;
}

bool KxwDomScriptCall::Undefined() {
    _rtArgs.SetResult(KxwJsval());
    return true;
}

bool KxwDomScriptCall::Null() {
    KxwJsval tValue;
    tValue.SetNull();
    _rtArgs.SetResult(tValue);
    return true;
}

bool KxwDomScriptCall::Return(KxwJswUserObjBase* mptUserObj) {
    KxwJsval tValue;
    if (!mptUserObj || !tValue.SetDomObject(mptUserObj, _rtArgs.GetContext())) tValue.SetNull();
    _rtArgs.SetResult(tValue);
    return true;
}

bool KxwDomScriptCall::Return(bool mbValue) {
    KxwJsval tValue;
    tValue.SetBoolean(mbValue);
    _rtArgs.SetResult(tValue);
    return true;
}

bool KxwDomScriptCall::Return(int miValue) {
    KxwJsval tValue;
    tValue.SetInt(miValue);
    _rtArgs.SetResult(tValue);
    return true;
}

bool KxwDomScriptCall::Return(const std::u16string& mrdsText) {
    KxwJsval tValue;
    tValue.SetStringU16n(mrdsText.data(), mrdsText.size(), _rtArgs.GetContext());
    _rtArgs.SetResult(tValue);
    return true;
}

bool KxwDomScriptCall::Return(const KxwJsval& mrtValue) {
    _rtArgs.SetResult(mrtValue);
    return true;
}
