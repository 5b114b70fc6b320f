#include "KxwDomNamespace.h"

#include <memory>

#include "KxwDomHtcComponentScanner.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwDomStr.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilStrCompare.h"
#include "kxw/KxwDomUtil.h"

namespace {

enum : short {
    kIdName = 1,
    kIdUrn = 2,
};

const KxwJswPropertySpec katNamespaceProperties[] = {
    {"name", kIdName, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, "S"},
    {"urn", kIdUrn, KXW_JSW_PROP_PERMANENT, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNamespaceMethods[] = {
    {"doImport", nullptr, nullptr, 1, KxwDomNamespace::doImport_callback},
    {nullptr, nullptr, nullptr, 0},
};

}  // namespace

KxwDomNamespace::KxwDomNamespace(KxwDomHtmlDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr)
    : KxwDomCoreNode(mptOwnerDocument, mptMemMgr, KXW_DOM_COMMON_NODE_TYPE_NONE, KXW_DOM_COMMON_NODE_SUBTYPE_NONE),
      _tName(GetDomEnv()),
      _tUrn(GetDomEnv()) {}

KxwDomNamespace::~KxwDomNamespace() = default;

bool KxwDomNamespace::HasName(const char* mpsfName, size_t mnLen) const {
    const char* psfOwn = _tName.GetDcsStr();
    size_t nOwnLen = psfOwn ? _tName.GetDcsLenInBytes() : 0;
    if (nOwnLen == 0 || mnLen == 0) return nOwnLen == mnLen;
    return xfbKxwUtilIsEqualIgnoreCase(psfOwn, nOwnLen, mpsfName, mnLen);
}

KxwDomHtmlDocument* KxwDomNamespace::GetOwnerHtmlDocument() const {
    return dynamic_cast<KxwDomHtmlDocument*>(GetOwnerDocument(false));
}

const char* KxwDomNamespace::GetBaseURL(unsigned* mpuLen) const {
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument();
    if (ptDocument) return ptDocument->GetBaseUrlDcs(mpuLen);
    if (mpuLen) *mpuLen = 0;
    return "";
}

// ---------------------------------------------------------------------------------------------------------------
// Imports

bool KxwDomNamespace::Serves(const KxwElementBehavior& mrtRecord, const char* mpsfTag, size_t mnLen) const {
    size_t nColon = 0;
    while (nColon < mnLen && mpsfTag[nColon] != ':') ++nColon;
    if (nColon == mnLen || !HasName(mpsfTag, nColon)) return false;
    return xfbKxwUtilIsEqualIgnoreCase(mpsfTag + nColon + 1, mnLen - nColon - 1, mrtRecord._dsTagName.data(),
                                       mrtRecord._dsTagName.size());
}

void KxwDomNamespace::AddDownloadedElementBehavior(const std::string& mrdsText) {
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument();
    if (!ptDocument || !ptDocument->GetWindow()) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "ptWindow is NULL for this=%p in KxwDomNamespace::AddDownloadedElementBehavior", static_cast<void*>(this));
        return;
    }
    std::vector<std::string> tTags = xftKxwDomHtcScanComponentTagNames(mrdsText.data(), mrdsText.size());
    if (tTags.empty()) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                                 "The behavior file imported into namespace \"%.100s\" declares no component with a "
                                 "TAGNAME",
                                 _tName.GetDcsStr() ? _tName.GetDcsStr() : "");
        return;
    }
    for (const std::string& rdsTag : tTags) AddDownloadedElementBehavior(mrdsText, rdsTag.c_str());
    // Elements parsed before the file arrived get their behaviour now. They are gathered first: each behaviour runs
    // scripts that may change the tree or end the document.
    std::vector<std::unique_ptr<KxwDomWatchDelete>> tElements;
    KxwDomHtmlCollectionGeneral* ptAll = ptDocument->GetAll();
    if (!ptAll) return;
    for (KxwDomNodeBase* ptNode : *ptAll) {
        auto* ptElement = dynamic_cast<KxwDomHtmlElement*>(ptNode);
        if (!ptElement || ptElement->GetNodeSubtype() != KXW_DOM_COMMON_NODE_SUBTYPE_NAMESPACED_ELEMENT ||
            ptElement->GetBehavior())
            continue;
        for (const std::string& rdsTag : tTags) {
            if (!Serves(KxwElementBehavior{rdsTag, std::string()}, ptElement->GetTagNameDcsStr(),
                        ptElement->GetTagNameDcsLenInBytes()))
                continue;
            tElements.push_back(
                std::make_unique<KxwDomWatchDelete>("KxwDomNamespace::AddDownloadedElementBehavior", ptElement));
            break;
        }
    }
    KxwDomWatchDelete tWatchThis("KxwDomNamespace::AddDownloadedElementBehavior", this);
    for (const auto& rptWatch : tElements) {
        if (tWatchThis.HasBeenDeleted()) return;
        if (auto* ptElement = static_cast<KxwDomHtmlElement*>(rptWatch->GetEffectiveWatchedPtr()))
            SetElementBehavior(ptElement);
    }
}

void KxwDomNamespace::AddDownloadedElementBehavior(const std::string& mrdsText, const char* mpszTagName) {
    if (!mpszTagName || !*mpszTagName) return;
    std::string dsTag(mpszTagName);
    for (KxwElementBehavior& rtRecord : _tElementBehaviors)
        if (xfbKxwUtilIsEqualIgnoreCase(rtRecord._dsTagName.data(), rtRecord._dsTagName.size(), dsTag.data(),
                                        dsTag.size())) {
            rtRecord._dsText = mrdsText;
            return;
        }
    _tElementBehaviors.insert(_tElementBehaviors.begin(), KxwElementBehavior{dsTag, mrdsText});
}

bool KxwDomNamespace::SetElementBehavior(KxwDomHtmlElement* mptElement) {
    if (!mptElement || mptElement->GetBehavior()) return false;
    const char* psfTag = mptElement->GetTagNameDcsStr();
    size_t nLen = mptElement->GetTagNameDcsLenInBytes();
    for (const KxwElementBehavior& rtRecord : _tElementBehaviors) {
        if (!Serves(rtRecord, psfTag, nLen)) continue;
        // The text is copied: the behaviour's scripts may import again and replace the record.
        std::string dsText = rtRecord._dsText;
        mptElement->SetDownloadedBehavior(dsText, nullptr, 0);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// Script

const KxwJswClassInformation* KxwDomNamespace::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(nullptr, "namespace", katNamespaceProperties, katNamespaceMethods);
    return &ktClassInfo;
}

bool KxwDomNamespace::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdName:
            mrtPropertyInfo = _tName;
            return true;
        case kIdUrn:
            mrtPropertyInfo = _tUrn;
            return true;
        default:
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "KxwDomNamespace::GetDomPropertyInfo: Unsupported property ID (%d)",
                                                  static_cast<int>(mnTinyId));
            return false;
    }
}

bool KxwDomNamespace::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdUrn) {
        if (mrtPropertyInfo.HasValue()) _tUrn = mrtPropertyInfo;
        return true;
    }
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "KxwDomNamespace::SetDomPropertyInfo: Unsupported property ID (%d)",
                                          static_cast<int>(mnTinyId));
    return false;
}

bool KxwDomNamespace::doImport_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomScriptCallOn<KxwDomNamespace> tCall("KxwDomHtmlElement::doImport_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(1) || tCall.Argc() != 1 || !tCall.Arg(0).IsString()) return tCall.Invalid();
    std::u16string dsUrl = tCall.Text(0);
    if (tCall.Failed()) return false;
    // A reference into the page itself names a behaviour the browser has built in: nothing is downloaded.
    if (!dsUrl.empty() && dsUrl[0] != u'#') {
        KxwDomStr tUrl(tCall.This()->GetDomEnv(), dsUrl.data(), static_cast<unsigned>(dsUrl.size()));
        xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_NAMESPACE_IMPORT,
                                  static_cast<KxwDomNodeBase*>(tCall.This()), &tUrl);
    }
    return tCall.Undefined();
}
