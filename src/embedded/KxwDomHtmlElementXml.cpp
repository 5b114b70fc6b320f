#include "KxwDomHtmlElementXml.h"

#include <new>

#include "KxwAutomationRegistry.h"
#include "KxwDomActiveX.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomStr.h"
#include "KxwJswAutomationObject.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "KxwUtilUtf.h"
#include "KxwXmlDom.h"
#include "kxw/KxwDomUtil.h"

namespace {

constexpr uint16_t kRO = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY;
constexpr uint16_t kRW = KXW_JSW_PROP_PERMANENT;
constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr short kIdXmlDocument = KxwDomHtmlElement::kFirstDerivedTinyId;
constexpr short kIdRecordSet = kIdXmlDocument + 1;
constexpr short kIdReadyState = kIdXmlDocument + 2;
constexpr short kIdSrc = kIdXmlDocument + 3;

// src in every capitalisation is one property, as the emulated browser's island has it.
const KxwJswPropertySpec katXmlProperties[] = {
    {"XMLDocument", kIdXmlDocument, kRO, nullptr},
    {"recordset", kIdRecordSet, kRW, "o"},
    {"readyState", kIdReadyState, kRO, nullptr},
    {"src", kIdSrc, kAttr, "S"},
    {"srC", kIdSrc, kRW, "S"},
    {"sRc", kIdSrc, kRW, "S"},
    {"sRC", kIdSrc, kRW, "S"},
    {"Src", kIdSrc, kRW, "S"},
    {"SrC", kIdSrc, kRW, "S"},
    {"SRc", kIdSrc, kRW, "S"},
    {"SRC", kIdSrc, kRW, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

// The document's own class: the one the page would get from new ActiveXObject("Msxml2.DOMDocument").
KxwAutoRef<KxwAutomation> NewXmlDocument() {
    static const char kszProgId[] = "Msxml2.DOMDocument";
    KxwAutoRef<KxwAutomation> tDocument;
    KxwAutoResult lResult = KxwAutomationRegistry::CreateByProgId(kszProgId, sizeof kszProgId - 1, tDocument);
    if (!xfbKxwAutoSucceeded(lResult))
        KxwJswAutomationObject::LogAutomantionErrorMsg(lResult, "Creating an XML document for an XML island failed",
                                                       nullptr, KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR);
    return tDocument;
}

KxwJswAutomationObject* NewOwnedWrapper(KxwAutomation* mptObject, KxwJswUserObjBase* mptSite, const char* mpszWhat) {
    auto* ptWrapper = new (std::nothrow) KxwJswAutomationObject(mptObject, false);
    if (!ptWrapper) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwJswAutomationObject)), mpszWhat);
    ptWrapper->SetActiveXSite(mptSite);
    return ptWrapper;
}

}  // namespace

KxwDomHtmlElementXml::KxwDomHtmlElementXml(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_XML, mbUseMemMgr),
      _tSrc(GetDomEnv()) {}

KxwDomHtmlElementXml::~KxwDomHtmlElementXml() {
    ReleaseXmlDocument();
}

void KxwDomHtmlElementXml::ReleaseXmlDocument() {
    delete _ptRecordSetObject;
    _ptRecordSetObject = nullptr;
    delete _ptXmlDocumentObject;
    _ptXmlDocumentObject = nullptr;
    _tXmlDocument = KxwAutoRef<KxwAutomation>();
}

bool KxwDomHtmlElementXml::CreateXmlDocument(const char16_t* mpwsfXml, size_t mnLen) {
    if (_tXmlDocument && xfbKxwUtilIsTraceFileOpen())
        xfvKxwUtilReportTraceToFile(
            "Replacing _ptXmlDocument=%p in KxwDomHtmlElementXml::CreateXmlDocument for this=%p",
            static_cast<void*>(_tXmlDocument.Get()), static_cast<void*>(this));
    ReleaseXmlDocument();
    KxwAutoRef<KxwAutomation> tDocument = NewXmlDocument();
    if (!tDocument) return false;
    xfvKxwDomActiveXSetXmlBaseUrl(tDocument.Get(), GetOwnerHtmlDocument(false));
    // The text is the document's whole content: nothing in it can end the island or reach the page's markup.
    KxwAutoValue tResult;
    KxwAutoResult lResult = xflKxwAutoInvokeByName(
        tDocument.Get(), "loadXML", KxwAutoArgs{KxwAutoValue::String(std::u16string(mpwsfXml ? mpwsfXml : u"", mnLen))},
        tResult);
    if (!xfbKxwAutoSucceeded(lResult))
        KxwJswAutomationObject::LogAutomantionErrorMsg(lResult,
                                                       "loadXML failed in KxwDomHtmlElementXml::CreateXmlDocument",
                                                       nullptr, KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR);
    // A malformed island still has its document: the page reads why from its parseError.
    _tXmlDocument = tDocument;
    _ptXmlDocumentObject = NewOwnedWrapper(tDocument.Get(), this, "KxwJswAutomationObject for an XML Document");
    return true;
}

void KxwDomHtmlElementXml::SetDownloadedXml(const std::string& mrdsBody) {
    std::u16string dsText = xfdsKxwXmlDomDecodeBytes(mrdsBody.data(), mrdsBody.size());
    CreateXmlDocument(dsText.data(), dsText.size());
}

bool KxwDomHtmlElementXml::AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    if (mpsfDcsStr && muDcsLenInBytes) _dsInline.append(mpsfDcsStr, muDcsLenInBytes);
    return true;
}

void KxwDomHtmlElementXml::NotifyFinishedParsing() {
    if (_bFinishedParsing) return;
    _bFinishedParsing = true;
    std::string dsInline;
    dsInline.swap(_dsInline);
    // A src wins over inline content, as it does in the emulated browser.
    if (_tSrc.IsSpecified() && _tSrc.GetDcsLenInBytes() > 0) {
        RequestSrc();
        return;
    }
    KxwDomStr tText(GetDomEnv(), dsInline.data(), static_cast<unsigned>(dsInline.size()));
    CreateXmlDocument(tText.GetU16nStr(), tText.GetU16nLenInChars());
}

std::string KxwDomHtmlElementXml::GetUrlToDownload() const {
    if (!_tSrc.IsSpecified() || _tSrc.GetDcsLenInBytes() == 0) return std::string();
    return ResolveUrlDcs(_tSrc);
}

void KxwDomHtmlElementXml::RequestSrc() {
    std::string dsUrl = GetUrlToDownload();
    if (dsUrl.empty()) return;
    KxwDomStr tUrl(GetDomEnv(), dsUrl.data(), static_cast<unsigned>(dsUrl.size()));
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_XML_SRC, this, &tUrl);
}

void KxwDomHtmlElementXml::NotifyStartDownload() {
    _bDownloading = true;
}

void KxwDomHtmlElementXml::NotifyDownloadComplete() {
    _bDownloading = false;
    FireEvent(KXW_DOM_EVENT_TYPE_ENUM_READYSTATECHANGE, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
}

void KxwDomHtmlElementXml::NotifyDownloadFailed(KXW_WTL_SEV_LVL_ENUM meSevLvl, char* mpszMsg, int miMsgId) {
    _bDownloading = false;
    KxwDomHtmlElement::NotifyDownloadFailed(meSevLvl, mpszMsg, miMsgId);
}

KxwJswAutomationObject* KxwDomHtmlElementXml::GetRecordSet() {
    if (_ptRecordSetObject || !_tXmlDocument) return _ptRecordSetObject;
    KxwAutoRef<KxwAutomation> tRecordSet =
        KxwAutoRef<KxwAutomation>::Adopt(xfptKxwXmlDomCreateRecordset(_tXmlDocument.Get()));
    if (!tRecordSet) return nullptr;
    _ptRecordSetObject = NewOwnedWrapper(tRecordSet.Get(), this, "KxwJswAutomationObject for an XML record set");
    return _ptRecordSetObject;
}

// ---------------------------------------------------------------------------------------------------------------
// Script access

bool KxwDomHtmlElementXml::IsResolved(const char* mpszName) {
    if (_ptXmlDocumentObject && _ptXmlDocumentObject->IsResolved(mpszName)) return true;
    return KxwDomHtmlElement::IsResolved(mpszName);
}

bool KxwDomHtmlElementXml::GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                             KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    if (_ptXmlDocumentObject && _ptXmlDocumentObject->IsResolved(mpszName))
        return _ptXmlDocumentObject->GetPropertyByName(mpszName, mppvValue, mpnLength, mpeType);
    return KxwDomHtmlElement::GetPropertyByName(mpszName, mppvValue, mpnLength, mpeType);
}

bool KxwDomHtmlElementXml::SetNamedItem(const char* mpszName, const KxwJsval& mrtValue) {
    return _ptXmlDocumentObject && _ptXmlDocumentObject->SetNamedItem(mpszName, mrtValue);
}

const KxwJswClassInformation* KxwDomHtmlElementXml::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&KxwDomHtmlElement::GetElementClassInformation(), "xml",
                                                    katXmlProperties, katNoMethods, nullptr,
                                                    KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return &ktClassInfo;
}

bool KxwDomHtmlElementXml::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdXmlDocument:
            mrtPropertyInfo.AssignDomObjectOrNull(_ptXmlDocumentObject);
            return true;
        case kIdRecordSet:
            mrtPropertyInfo.AssignDomObjectOrNull(GetRecordSet());
            return true;
        case kIdReadyState: {
            KxwAutoValue tState;
            int32_t iState = 0;
            if (!_tXmlDocument ||
                !xfbKxwAutoSucceeded(xflKxwAutoInvokeByName(_tXmlDocument.Get(), "readyState", {}, tState)) ||
                !tState.ToInt(iState)) {
                mrtPropertyInfo.AssignUndefined();
                return true;
            }
            // The texts are static: the info may point at them.
            static const std::u16string katdsStates[] = {u"uninitialized", u"loading", u"loaded", u"interactive",
                                                         u"complete"};
            const std::u16string& rdsState = katdsStates[iState >= 1 && iState <= 4 ? iState : 0];
            mrtPropertyInfo.AssignU16nStr(rdsState.data(), static_cast<unsigned>(rdsState.size()), true);
            return true;
        }
        case kIdSrc:
            mrtPropertyInfo = _tSrc;
            return true;
        default:
            return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementXml::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdRecordSet:
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING, "setting recordset property is not supported");
            return true;
        case kIdSrc:
            _tSrc = mrtPropertyInfo;
            // A script's src is loaded at once; a parsed one waits for the end tag.
            if (_bFinishedParsing) RequestSrc();
            return true;
        default:
            return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementXml::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (xfbKxwAutoNameEquals(mpszName, "src")) {
        _tSrc.SetParsed(ParsedText(mpszValueOrNull));
        return true;
    }
    return KxwDomHtmlElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementXml::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElement::CopyClassPropertiesTo(mrtClone);
    CopySpecifiedText(_tSrc, static_cast<KxwDomHtmlElementXml&>(mrtClone)._tSrc);
}

void KxwDomHtmlElementXml::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("src", _tSrc);
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}
