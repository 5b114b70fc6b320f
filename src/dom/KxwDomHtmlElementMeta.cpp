#include "KxwDomHtmlElementMeta.h"

#include <cstdlib>
#include <cstring>

#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"
#include "KxwiHtmlCharset.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
enum : short {
    kIdHttpEquiv = KxwDomHtmlElementWithName::kFirstDerivedTinyId,  // 8
    kIdContent,                                                     // 9
    kIdCharset,                                                     // 10
};

const KxwJswPropertySpec katMetaProperties[] = {
    {"httpEquiv", 8, kAttr, "S"},
    {"content", 9, kAttr, "S"},
    {"charset", 10, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

bool IsBlank(char mc) {
    return mc == ' ' || mc == '\t' || mc == '\r' || mc == '\n' || mc == '\f';
}
bool IsDigit(char mc) {
    return mc >= '0' && mc <= '9';
}
char Lower(char mc) {
    return mc >= 'A' && mc <= 'Z' ? static_cast<char>(mc + 32) : mc;
}

bool StartsWithIgnoringCase(const std::string& mdsText, size_t mnPos, const char* mpszAsc) {
    size_t nLen = std::strlen(mpszAsc);
    if (mdsText.size() - mnPos < nLen || mnPos > mdsText.size()) return false;
    for (size_t n = 0; n < nLen; ++n)
        if (Lower(mdsText[mnPos + n]) != Lower(mpszAsc[n])) return false;
    return true;
}

const KxwiRunTimeSettings* RTS() {
    if (const KxwiRunTimeSettings* ptRTS = xfptKxwDomUtilGetRTS()) return ptRTS;
    return xtKxwEnvCfg._ptInitialRTS;
}

}  // namespace

KxwDomHtmlElementMeta::KxwDomHtmlElementMeta(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementWithName(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_META, mbUseMemMgr),
      _tHttpEquiv(GetDomEnv()),
      _tContent(GetDomEnv()),
      _tCharset(GetDomEnv()) {}

void KxwDomHtmlElementMeta::SetHttpEquivParsed(const char* mpszParsedValue) {
    _tHttpEquiv.SetParsed(ParsedText(mpszParsedValue));
    _bRefreshParsed = false;
}

void KxwDomHtmlElementMeta::SetContentParsed(const char* mpszParsedValue) {
    _tContent.SetParsed(ParsedText(mpszParsedValue));
    _bRefreshParsed = false;
}

bool KxwDomHtmlElementMeta::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "http-equiv")) {
        SetHttpEquivParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "content")) {
        SetContentParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "charset")) {
        SetCharsetParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElementWithName::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementMeta::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementWithName::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementMeta&>(mrtClone);
    CopySpecifiedText(_tHttpEquiv, rtClone._tHttpEquiv);
    CopySpecifiedText(_tContent, rtClone._tContent);
    CopySpecifiedText(_tCharset, rtClone._tCharset);
    rtClone._bRefreshEligible = _bRefreshEligible;
}

void KxwDomHtmlElementMeta::ParseRefresh() {
    if (_bRefreshParsed) return;
    _bRefreshParsed = true;
    _dsRefreshUrl.clear();
    _iRefreshDelayOrMinus1 = -1;
    std::string dsContent(_tContent.GetDcsStr() ? _tContent.GetDcsStr() : "",
                          _tContent.GetDcsStr() ? _tContent.GetDcsLenInBytes() : 0);
    size_t nPos = 0;
    while (nPos < dsContent.size() && IsBlank(dsContent[nPos])) ++nPos;
    if (nPos == dsContent.size() || !IsDigit(dsContent[nPos])) return;
    // The delay in seconds, fractions allowed.
    size_t nNumberEnd = nPos;
    while (nNumberEnd < dsContent.size() && (IsDigit(dsContent[nNumberEnd]) || dsContent[nNumberEnd] == '.'))
        ++nNumberEnd;
    double dfSeconds = std::strtod(dsContent.substr(nPos, nNumberEnd - nPos).c_str(), nullptr);
    const KxwiRunTimeSettings* ptRTS = RTS();
    if (ptRTS && dfSeconds > static_cast<double>(ptRTS->GetMaxMetaRefreshDelay())) return;
    double dfMs = dfSeconds * 1000.0;
    _iRefreshDelayOrMinus1 = dfMs >= 2147483647.0 ? 2147483647 : static_cast<int>(dfMs);
    if (ptRTS && ptRTS->GetMetaRefreshImmediately()) _iRefreshDelayOrMinus1 = 0;
    nPos = nNumberEnd;
    bool bSeparated = false;
    if (nPos < dsContent.size() && IsBlank(dsContent[nPos])) {
        bSeparated = true;
        while (nPos < dsContent.size() && IsBlank(dsContent[nPos])) ++nPos;
    }
    if (nPos < dsContent.size() && (dsContent[nPos] == ';' || dsContent[nPos] == ',')) {
        bSeparated = true;
        ++nPos;
        while (nPos < dsContent.size() && IsBlank(dsContent[nPos])) ++nPos;
    }
    if (!bSeparated || !StartsWithIgnoringCase(dsContent, nPos, "url")) return;
    nPos += 3;
    while (nPos < dsContent.size() && IsBlank(dsContent[nPos])) ++nPos;
    if (nPos >= dsContent.size() || dsContent[nPos] != '=') return;
    ++nPos;
    while (nPos < dsContent.size() && IsBlank(dsContent[nPos])) ++nPos;
    char cEnd = ';';
    if (nPos < dsContent.size() && (dsContent[nPos] == '\'' || dsContent[nPos] == '"')) cEnd = dsContent[nPos++];
    size_t nEnd = dsContent.find(cEnd, nPos);
    _dsRefreshUrl = dsContent.substr(nPos, nEnd == std::string::npos ? std::string::npos : nEnd - nPos);
}

bool KxwDomHtmlElementMeta::IsRefreshSchemeJavascript() {
    ParseRefresh();
    return StartsWithIgnoringCase(_dsRefreshUrl, 0, "javascript:");
}

bool KxwDomHtmlElementMeta::IsRefresh() {
    if (!_bRefreshEligible || !_tContent.IsSpecified() || _tContent.IsEmpty() || !_tHttpEquiv.IsSpecified() ||
        !_tHttpEquiv.IsEqualIgnoringCaseAsc("Refresh", 7))
        return false;
    return IsRefreshSchemeJavascript();
}

bool KxwDomHtmlElementMeta::IsRefreshToAddress() {
    if (!_bRefreshEligible || !_tContent.IsSpecified() || _tContent.IsEmpty() || !_tHttpEquiv.IsSpecified() ||
        !_tHttpEquiv.IsEqualIgnoringCaseAsc("Refresh", 7))
        return false;
    return !IsRefreshSchemeJavascript() && GetRefreshDelayOrMinus1() >= 0;
}

bool KxwDomHtmlElementMeta::IsMetaRefreshUrlEmpty() {
    ParseRefresh();
    return _dsRefreshUrl.empty();
}

const char* KxwDomHtmlElementMeta::GetRefreshUrlStr() {
    ParseRefresh();
    return _dsRefreshUrl.c_str();
}

unsigned KxwDomHtmlElementMeta::GetRefreshUrlLen() {
    ParseRefresh();
    return static_cast<unsigned>(_dsRefreshUrl.size());
}

int KxwDomHtmlElementMeta::GetRefreshDelayOrMinus1() {
    ParseRefresh();
    return _iRefreshDelayOrMinus1;
}

bool KxwDomHtmlElementMeta::GetDeclaredCharset(std::string& mrdsCharset) const {
    mrdsCharset.clear();
    if (!_tCharset.IsEmpty()) {
        mrdsCharset.assign(_tCharset.GetDcsStr(), _tCharset.GetDcsLenInBytes());
        return true;
    }
    if (_tContent.IsEmpty() || !_tHttpEquiv.IsEqualIgnoringCaseAsc("Content-Type", 12)) return false;
    const char* psfCharset = nullptr;
    size_t nLen = 0;
    if (!xfbKxwiHtmlFindCharsetInContent(_tContent.GetDcsStr(), _tContent.GetDcsLenInBytes(), &psfCharset, &nLen))
        return false;
    mrdsCharset.assign(psfCharset, nLen);
    return true;
}

const KxwJswClassInformation* KxwDomHtmlElementMeta::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetElementWithNameClassInformation(), "meta", katMetaProperties,
                                                    katNoMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlElementMeta::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdHttpEquiv:
            mrtPropertyInfo = _tHttpEquiv;
            return true;
        case kIdContent:
            mrtPropertyInfo = _tContent;
            return true;
        case kIdCharset:
            mrtPropertyInfo = _tCharset;
            return true;
        default:
            return KxwDomHtmlElementWithName::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementMeta::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdHttpEquiv:
        case kIdContent:
            if (!mrtPropertyInfo.HasValue()) return true;
            // A refresh is what the markup asked for: a script changing it makes it none.
            _bRefreshEligible = false;
            _bRefreshParsed = false;
            (mnTinyId == kIdHttpEquiv ? _tHttpEquiv : _tContent) = mrtPropertyInfo;
            return true;
        case kIdCharset:
            StoreScriptText(_tCharset, mrtPropertyInfo);
            return true;
        default:
            return KxwDomHtmlElementWithName::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementMeta::AddExceptionalAttributesToCollection(KxwDomAttributeCollection& mrtCollection) {
    return KxwDomHtmlElementWithName::AddExceptionalAttributesToCollection(mrtCollection) &&
           AddExceptionalAttribute(mrtCollection, u"http-equiv", static_cast<signed char>(kIdHttpEquiv),
                                   "KxwDomHtmlElementMeta::AddExceptionalAttributesToCollection");
}

void KxwDomHtmlElementMeta::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("content", _tContent);
    if (!_tHttpEquiv.IsEmpty()) {
        // A saved snapshot is in the bytes the page had: it must not declare the character set again.
        if (xfbKxwDomUtilIsDomSnapshotsBeingGenerated() && _tHttpEquiv.IsEqualIgnoringCaseAsc("Content-Type", 12))
            mrtText.ConcatHtmlPropertyByValue("http-equiv", 10, "Ignoring-Content-Type-for-Snapshots", 35);
        else
            mrtText.ConcatHtmlProperty("http-equiv", _tHttpEquiv);
    }
    // The declared character set is a property of the element: without it the markup would lose it.
    mrtText.ConcatHtmlProperty("charset", _tCharset);
    KxwDomHtmlElementWithName::GenerateHtmlProperties(mrtText);
}
