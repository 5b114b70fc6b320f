#include "KxwDomHtmlElementApplet.h"

#include <cstring>

#include "KxwDomAppletMember.h"
#include "KxwDomBindingUtil.h"
#include "KxwDomBrowsingUtil.h"
#include "KxwDomCoreNode.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomJavaHandles.h"
#include "KxwDomJavaVUser.h"
#include "KxwDomJavaValues.h"
#include "KxwDomJavaVm.h"
#include "KxwDomOnLoadHold.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomReflectedText.h"
#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "KxwUtilUtf.h"
#include "kxw/KxwDomEmbedded.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwObjMgr.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
constexpr short kIdCode = KxwDomHtmlElementWithName::kFirstDerivedTinyId;  // 8
constexpr short kIdCodeBase = kIdCode + 1;
constexpr short kIdArchive = kIdCode + 2;

const KxwJswPropertySpec katAppletProperties[] = {
    {"code", kIdCode, kAttr, "S"},
    {"codeBase", kIdCodeBase, kAttr, "S"},
    {"archive", kIdArchive, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

std::string Trim(const std::string& mrdsText) {
    size_t nBegin = mrdsText.find_first_not_of(" \t\r\n");
    if (nBegin == std::string::npos) return std::string();
    size_t nEnd = mrdsText.find_last_not_of(" \t\r\n");
    return mrdsText.substr(nBegin, nEnd - nBegin + 1);
}

std::string Utf8Of(const KxwDomHtmlPropertyStr& mrtProperty) {
    const char16_t* pwsfText = mrtProperty.GetU16nStr();
    return pwsfText ? xfdsKxwUtilU16ToUtf8(pwsfText, mrtProperty.GetU16nLenInChars(), true) : std::string();
}

JNIEnv* Env() {
    return KxwDomJavaVm::GetEnv();
}

jobject AppletMgr(void* mpvAppletMgr) {
    return static_cast<jobject>(mpvAppletMgr);
}

}  // namespace

const KxwDomReflectedText<KxwDomHtmlElementApplet> KxwDomHtmlElementApplet::katReflectedTexts[3] = {
    {"code", kIdCode, &KxwDomHtmlElementApplet::_tCode},
    {"codebase", kIdCodeBase, &KxwDomHtmlElementApplet::_tCodeBase},
    {"archive", kIdArchive, &KxwDomHtmlElementApplet::_tArchive},
};

// ---------------------------------------------------------------------------------------------------------------
// The process and the virtual users

bool KxwDomHtmlElementApplet::GlobalInit(const KxwiRunTimeSettings& mrtRTS) {
    return KxwDomJavaVm::GlobalInit(mrtRTS);
}

void KxwDomHtmlElementApplet::GlobalDestroy() {
    KxwDomJavaVm::GlobalDestroy();
}

void* KxwDomHtmlElementApplet::VuserInit() {
    return KxwDomJavaVUser::Create();
}

void KxwDomHtmlElementApplet::VuserDestroy(void* mpvVuserJavaObject) {
    delete static_cast<KxwDomJavaVUser*>(mpvVuserJavaObject);
}

void KxwDomHtmlElementApplet::IterationReset(void* mpvVuserJavaObject, bool mbFull) {
    if (mpvVuserJavaObject) static_cast<KxwDomJavaVUser*>(mpvVuserJavaObject)->IterationReset(mbFull);
}

void KxwDomHtmlElementApplet::Service(void* mpvVuserJavaObject) {
    if (mpvVuserJavaObject) static_cast<KxwDomJavaVUser*>(mpvVuserJavaObject)->Service();
}

// ---------------------------------------------------------------------------------------------------------------
// Life

KxwDomHtmlElementApplet::KxwDomHtmlElementApplet(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementWithName(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_APPLET, mbUseMemMgr),
      _tCode(GetDomEnv()),
      _tCodeBase(GetDomEnv()),
      _tArchive(GetDomEnv()) {
    if (KxwDomJavaVm::HasVm()) return;
    if (KxwDomJavaVm::AppletsNotSupportedUseAjax())
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                                 "Applets are not run without the built-in Java runtime: the APPLET element is an "
                                 "ordinary element");
    else
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                 "APPLET support is turned off. A DOM object is created, but the APPLET is not "
                                 "executed");
}

KxwDomHtmlElementApplet::~KxwDomHtmlElementApplet() {
    // From here on a call back for this element finds nothing; the applet itself is stopped at the user's next
    // safe point (an element may die inside a collection, where no Java code may run).
    if (_uHandle) KxwDomJavaHandles::Unregister(_uHandle);
    _uHandle = 0;
    StopApplet();
}

void KxwDomHtmlElementApplet::StopApplet() {
    if (!_pvAppletMgr) return;
    void* pvAppletMgr = _pvAppletMgr;
    _pvAppletMgr = nullptr;
    if (KxwDomJavaVUser* ptVUser = GetJavaVUser()) {
        ptVUser->QueueStop(pvAppletMgr);
    } else if (JNIEnv* ptEnv = Env()) {
        ptEnv->DeleteGlobalRef(AppletMgr(pvAppletMgr));
    }
}

KxwDomJavaVUser* KxwDomHtmlElementApplet::GetJavaVUser() const {
    KxwObjMgr* ptObjMgr = xfptKxwDomUtilGetObjMgr(nullptr);
    return ptObjMgr ? static_cast<KxwDomJavaVUser*>(ptObjMgr->GetVuserJavaObject()) : nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// Attributes

void KxwDomHtmlElementApplet::SetAppletAttributes(const std::u16string& mrdsCode, const std::u16string& mrdsCodeBase,
                                                  const std::u16string& mrdsArchive) {
    _tCode.SetU16n(mrdsCode.data(), static_cast<unsigned>(mrdsCode.size()));
    _tCodeBase.SetU16n(mrdsCodeBase.data(), static_cast<unsigned>(mrdsCodeBase.size()));
    if (!mrdsArchive.empty()) _tArchive.SetU16n(mrdsArchive.data(), static_cast<unsigned>(mrdsArchive.size()));
}

bool KxwDomHtmlElementApplet::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (const auto* ptText = xfptKxwDomReflectedTextByName(katReflectedTexts, mpszName)) {
        (this->*ptText->_ptMember).SetParsed(ParsedText(mpszValueOrNull));
        return true;
    }
    return KxwDomHtmlElementWithName::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementApplet::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementWithName::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementApplet&>(mrtClone);
    for (const auto& rtText : katReflectedTexts) CopySpecifiedText(this->*rtText._ptMember, rtClone.*rtText._ptMember);
}

void KxwDomHtmlElementApplet::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    // The name first, as every element with a name writes it, then the class's own.
    mrtText.ConcatHtmlProperty("name", GetName());
    for (const auto& rtText : katReflectedTexts)
        mrtText.ConcatHtmlProperty(rtText._pszAttributeName, this->*rtText._ptMember);
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}

const KxwJswClassInformation& KxwDomHtmlElementApplet::GetAppletClassInformation() {
    // Named items: the applet's own members are asked of it by name.
    static const KxwJswClassInformation ktClassInfo(&KxwDomHtmlElementWithName::GetElementWithNameClassInformation(),
                                                    "JAVA_APPLET", katAppletProperties, katNoMethods, nullptr,
                                                    KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlElementApplet::GetClassInformation() const {
    return &GetAppletClassInformation();
}

bool KxwDomHtmlElementApplet::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (const auto* ptText = xfptKxwDomReflectedTextById(katReflectedTexts, mnTinyId)) {
        mrtPropertyInfo = this->*ptText->_ptMember;
        return true;
    }
    return KxwDomHtmlElementWithName::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
}

bool KxwDomHtmlElementApplet::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (const auto* ptText = xfptKxwDomReflectedTextById(katReflectedTexts, mnTinyId)) {
        this->*ptText->_ptMember = mrtPropertyInfo;
        return true;
    }
    return KxwDomHtmlElementWithName::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
}

bool KxwDomHtmlElementApplet::GetParamValue(const std::u16string& mrdsName, std::u16string& mrdsValue) const {
    const KxwDomCoreNode* ptHost = _ptHost ? static_cast<const KxwDomCoreNode*>(_ptHost) : this;
    for (KxwDomNodeBase* ptChild = ptHost->GetFirstChild(); ptChild; ptChild = ptChild->GetNextSibling()) {
        if (ptChild->GetNodeSubtype() != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PARAM) continue;
        auto* ptParam = static_cast<KxwDomHtmlElementParam*>(ptChild);
        const KxwDomHtmlPropertyStr& rtName = ptParam->GetName();
        const char16_t* pwsfName = rtName.GetU16nStr();
        if (!pwsfName || std::u16string(pwsfName, rtName.GetU16nLenInChars()) != mrdsName) continue;
        const KxwDomHtmlPropertyStr& rtValue = ptParam->GetValue();
        const char16_t* pwsfValue = rtValue.GetU16nStr();
        mrdsValue.assign(pwsfValue ? pwsfValue : u"", pwsfValue ? rtValue.GetU16nLenInChars() : 0);
        return true;
    }
    return false;
}

std::string KxwDomHtmlElementApplet::GetActualCodeBase() const {
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    unsigned uBaseLen = 0;
    const char* psfBase = ptDocument ? ptDocument->GetBaseUrlDcs(&uBaseLen) : nullptr;
    std::string dsBase = psfBase ? std::string(psfBase, uBaseLen) : std::string();
    std::string dsCodeBase = Trim(Utf8Of(_tCodeBase));
    std::string dsUrl =
        dsCodeBase.empty() ? dsBase : xfdsKxwDomBrowsingCombineUrl(dsBase, dsCodeBase.data(), dsCodeBase.size());
    if (dsCodeBase.empty()) {
        // The document's folder.
        size_t nCut = dsUrl.find_first_of("?#");
        if (nCut != std::string::npos) dsUrl.erase(nCut);
        size_t nSlash = dsUrl.rfind('/');
        if (nSlash != std::string::npos) dsUrl.erase(nSlash + 1);
    }
    if (!dsUrl.empty() && dsUrl.back() != '/') dsUrl += '/';
    return dsUrl;
}

// ---------------------------------------------------------------------------------------------------------------
// Loading and starting

std::string KxwDomHtmlElementApplet::PrepareUrlToDownload(const std::string& mrdsName) const {
    std::string dsName = Trim(mrdsName);
    std::string dsUrl = xfdsKxwDomBrowsingCombineUrl(GetActualCodeBase(), dsName.data(), dsName.size());
    return dsUrl.empty() ? dsName : dsUrl;
}

const std::string& KxwDomHtmlElementApplet::GetUrlToDownload(bool* mpbNeededNow) const {
    if (mpbNeededNow) *mpbNeededNow = _bUrlNeededNow;
    return _dsUrlToDownload;
}

void KxwDomHtmlElementApplet::NotifyFinishedParsing() {
    if (_bFinishedParsing) return;
    _bFinishedParsing = true;
    if (!KxwDomJavaVm::HasVm() || !IsSpecifiedCode() || IsEmptyCode() || !GetJavaVUser()) return;
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    if (!ptDocument || !ptDocument->GetWindow()) return;
    if (!CreateJavaEnv()) return;
    // The window's onload waits for the applet's start, however its archives arrive.
    _ptOnLoadHold = std::make_unique<KxwDomOnLoadHold>();
    _ptOnLoadHold->Acquire(ptDocument->GetWindow());
    KxwDomWatchDelete tWatch("KxwDomHtmlElementApplet::NotifyFinishedParsing", this);
    if (IsSpecifiedArchive() && !IsEmptyArchive()) {
        std::string dsArchives = Utf8Of(_tArchive);
        size_t nBegin = 0;
        while (nBegin <= dsArchives.size() && !tWatch.HasBeenDeleted()) {
            size_t nComma = dsArchives.find(',', nBegin);
            std::string dsName =
                Trim(dsArchives.substr(nBegin, nComma == std::string::npos ? std::string::npos : nComma - nBegin));
            if (!dsName.empty()) RequestDownload(PrepareUrlToDownload(dsName), false);
            if (nComma == std::string::npos) break;
            nBegin = nComma + 1;
        }
    }
    if (tWatch.HasBeenDeleted()) return;
    _bStartQueued = true;
    if (KxwDomJavaVUser* ptVUser = GetJavaVUser()) ptVUser->QueueStart(_uHandle);
}

bool KxwDomHtmlElementApplet::CreateJavaEnv() {
    JNIEnv* ptEnv = Env();
    if (!ptEnv || !KxwDomJavaVm::s_tVokAppletMgrCls) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid _ptJNIEnv=%p / s_tVokAppletMgrCls=%p in "
            "KxwDomHtmlElementApplet::CreateJavaEnv for this=%p",
            static_cast<void*>(ptEnv), static_cast<void*>(KxwDomJavaVm::s_tVokAppletMgrCls), static_cast<void*>(this));
        return false;
    }
    KxwDomJavaVUser* ptVUser = GetJavaVUser();
    if (!_uHandle) _uHandle = KxwDomJavaHandles::Register(KxwDomJavaHandleKind::kApplet, this, ptVUser);
    KxwDomJavaCall tCall(ptEnv, "new VokAppletMgr");
    jobject tMgr = ptEnv->NewObject(KxwDomJavaVm::s_tVokAppletMgrCls, KxwDomJavaVm::s_tVokAppletMgrCtor,
                                    static_cast<jobject>(ptVUser->GetJavaObject()), static_cast<jlong>(_uHandle));
    if (!tCall.Check() || !tMgr) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "NewObject(s_tVokAppletMgrCls=%p, s_tVokAppletMgrCtor=%p returned NULL "
                                              "in KxwDomHtmlElementApplet::CreateJavaEnv for this=%p.",
                                              static_cast<void*>(KxwDomJavaVm::s_tVokAppletMgrCls),
                                              static_cast<void*>(KxwDomJavaVm::s_tVokAppletMgrCtor),
                                              static_cast<void*>(this));
        return false;
    }
    _pvAppletMgr = ptEnv->NewGlobalRef(tMgr);
    ptVUser->NoteAppletMade();
    return _pvAppletMgr != nullptr;
}

void KxwDomHtmlElementApplet::RequestDownload(const std::string& mrdsUrl, bool mbClass) {
    // A second archive of the same address is the first one.
    for (const Request& rtRequest : _tRequests)
        if (rtRequest._dsUrl == mrdsUrl) return;
    _tRequests.push_back(Request{mrdsUrl, mbClass, false});
    _dsUrlToDownload = mrdsUrl;
    _bUrlNeededNow = mbClass;
    KxwDomWatchDelete tWatch("KxwDomHtmlElementApplet::RequestDownload", this);
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_APPLET_DOWNLOAD, this, nullptr);
    if (tWatch.HasBeenDeleted()) return;
    _dsUrlToDownload.clear();
    _bUrlNeededNow = false;
    // Nobody took the request (an engine without applet downloads): it is not waited for.
    for (size_t n = 0; n < _tRequests.size(); ++n) {
        if (_tRequests[n]._dsUrl != mrdsUrl || _tRequests[n]._bTaken) continue;
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "The applet's %s \"%.2000s\" was not downloaded",
                                 mbClass ? "class" : "archive", mrdsUrl.c_str());
        _tRequests.erase(_tRequests.begin() + static_cast<long>(n));
        break;
    }
}

void KxwDomHtmlElementApplet::NotifyJavaCodeRequested(const std::string& mrdsUrl) {
    for (Request& rtRequest : _tRequests)
        if (rtRequest._dsUrl == mrdsUrl) rtRequest._bTaken = true;
}

void KxwDomHtmlElementApplet::DownloadExtraClass(const std::string& mrdsClassName) {
    // A class name is a path below the code base, nothing else: the applet's code names it, and a name such as
    // "http://host/x" or "../x" must not make the virtual user fetch what the applet likes.
    bool bValid = !mrdsClassName.empty() && mrdsClassName.size() <= 1000 && mrdsClassName.front() != '.' &&
                  mrdsClassName.back() != '.' && mrdsClassName.find("..") == std::string::npos;
    for (char c : mrdsClassName)
        bValid = bValid && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                            c == '$' || c == '.');
    if (!bValid) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                                 "The applet asked for a class whose name is no class name; nothing is downloaded");
        return;
    }
    std::string dsPath = mrdsClassName;
    for (char& c : dsPath)
        if (c == '.') c = '/';
    RequestDownload(PrepareUrlToDownload(dsPath + ".class"), true);
}

void KxwDomHtmlElementApplet::NotifyJavaCode(const std::string& mrdsUrl, const std::string* mptBody) {
    size_t n = 0;
    while (n < _tRequests.size() && _tRequests[n]._dsUrl != mrdsUrl) ++n;
    if (n == _tRequests.size()) return;  // told twice (a failure, then the abort that follows it)
    Request tRequest = _tRequests[n];
    _tRequests.erase(_tRequests.begin() + static_cast<long>(n));
    if (mptBody && !mptBody->empty()) {
        DispatchJavaCode(tRequest, *mptBody);
    } else {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "The applet's %s \"%.2000s\" could not be downloaded",
                                 tRequest._bClass ? "class" : "archive", tRequest._dsUrl.c_str());
    }
}

void KxwDomHtmlElementApplet::DispatchJavaCode(const Request& mrtRequest, const std::string& mrdsBody) {
    JNIEnv* ptEnv = Env();
    if (!ptEnv || !_pvAppletMgr) return;
    const char* pszWhat = mrtRequest._bClass ? "LoadExtraClass" : "LoadJarArchive";
    KxwDomJavaCall tCall(ptEnv, pszWhat);
    jbyteArray tBytes = ptEnv->NewByteArray(static_cast<jsize>(mrdsBody.size()));
    if (!tBytes || !tCall.Check()) return;
    ptEnv->SetByteArrayRegion(tBytes, 0, static_cast<jsize>(mrdsBody.size()),
                              reinterpret_cast<const jbyte*>(mrdsBody.data()));
    jstring tResult;
    if (mrtRequest._bClass) {
        tResult = static_cast<jstring>(
            ptEnv->CallObjectMethod(AppletMgr(_pvAppletMgr), KxwDomJavaVm::s_tLoadExtraClass, tBytes));
    } else {
        jstring tUrl = xftKxwDomJavaNewStringUtf8(ptEnv, mrtRequest._dsUrl);
        tResult = static_cast<jstring>(
            ptEnv->CallObjectMethod(AppletMgr(_pvAppletMgr), KxwDomJavaVm::s_tLoadJarArchive, tUrl, tBytes));
    }
    if (!tCall.Check()) return;
    if (!tResult) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, "%s returned null", pszWhat);
        return;
    }
    std::string dsResult = xfdsKxwDomJavaUtf8(ptEnv, tResult);
    xfvKxwUtilReportBySevLvl(
        dsResult.compare(0, 7, "failed:") == 0 ? KXW_WTL_SEV_LVL_ENUM_NOTICE : KXW_WTL_SEV_LVL_ENUM_INFORMATIVE,
        "%s returned: %.2000s", pszWhat, dsResult.c_str());
}

void KxwDomHtmlElementApplet::InitializeApplet() {
    _bStartQueued = false;
    // Archives still on their way: the start waits for the last of them.
    for (const Request& rtRequest : _tRequests)
        if (!rtRequest._bClass) {
            _bStartQueued = true;
            if (KxwDomJavaVUser* ptVUser = GetJavaVUser()) ptVUser->QueueStart(_uHandle);
            return;
        }
    JNIEnv* ptEnv = Env();
    if (ptEnv && _pvAppletMgr && !_bStarted) {
        KxwDomWatchDelete tWatch("KxwDomHtmlElementApplet::InitializeApplet", this);
        KxwDomJavaCall tCall(ptEnv, "VokAppletMgr.Start");
        std::u16string dsCode(_tCode.GetU16nStr() ? _tCode.GetU16nStr() : u"", _tCode.GetU16nLenInChars());
        jstring tCode = xftKxwDomJavaNewString(ptEnv, dsCode);
        auto tResult =
            static_cast<jstring>(ptEnv->CallObjectMethod(AppletMgr(_pvAppletMgr), KxwDomJavaVm::s_tStart, tCode));
        // The applet's start may have run page code that removed the element.
        if (tWatch.HasBeenDeleted()) return;
        _bStarted = true;
        _tMemberTypes.clear();
        if (!tCall.Check() || !tResult) {
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, "Applet Started returned null");
        } else {
            std::string dsResult = xfdsKxwDomJavaUtf8(ptEnv, tResult);
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "Applet Started returned : %.2000s",
                                     dsResult.c_str());
        }
    }
    if (_ptOnLoadHold) _ptOnLoadHold->Release();
}

// ---------------------------------------------------------------------------------------------------------------
// Script access to the applet's members

std::string KxwDomHtmlElementApplet::ResolveProperty(const std::string& mrdsName) {
    if (!_bStarted || !_pvAppletMgr) return "none";
    auto it = _tMemberTypes.find(mrdsName);
    if (it != _tMemberTypes.end()) return it->second;
    JNIEnv* ptEnv = Env();
    if (!ptEnv) return "none";
    std::string dsType = "none";
    {
        KxwDomJavaCall tCall(ptEnv, "VokAppletMgr.GetMethodOrFieldReturnType");
        jstring tName = xftKxwDomJavaNewStringUtf8(ptEnv, mrdsName);
        auto tRetVal = static_cast<jstring>(
            ptEnv->CallObjectMethod(AppletMgr(_pvAppletMgr), KxwDomJavaVm::s_tGetMethodOrFieldReturnType, tName));
        if (!tCall.Check()) return "none";
        if (!tRetVal) {
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "tRetVal == NULL in KxwDomHtmlElementApplet::ResolveProperty for "
                                                  "mpsfkPropName=\"%.200s\" this=%p",
                                                  mrdsName.c_str(), static_cast<void*>(this));
            return "none";
        }
        dsType = xfdsKxwDomJavaUtf8(ptEnv, tRetVal);
    }
    // The names a page asks of an applet are few; a script that probes without end is not cached without end.
    if (_tMemberTypes.size() < 1000) _tMemberTypes.emplace(mrdsName, dsType);
    return dsType;
}

bool KxwDomHtmlElementApplet::IsResolved(const char* mpszName) {
    if (!mpszName || !_bStarted || GetAppletClassInformation().IsDeclared(mpszName)) return false;
    return ResolveProperty(mpszName) != "none";
}

bool KxwDomHtmlElementApplet::GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                                KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    std::string dsTypeWord = mpszName ? ResolveProperty(mpszName) : "none";
    bool bMethod = false;
    std::string dsType = xfdsKxwDomJavaMemberType(dsTypeWord, &bMethod);
    JNIEnv* ptEnv = Env();
    if (dsTypeWord == "none" || !ptEnv)
        return KxwDomHtmlElementWithName::GetPropertyByName(mpszName, mppvValue, mpnLength, mpeType);
    if (bMethod) {
        KxwDomAppletMember* ptMember = KxwDomAppletMember::Create(_uHandle, mpszName);
        if (mppvValue) *mppvValue = static_cast<KxwJswUserObjBase*>(ptMember);
        if (mpnLength) *mpnLength = ptMember ? KXW_JSW_DOM_OBJECT_LEN : 0;
        if (mpeType) *mpeType = ptMember ? KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT : KXW_JSW_OBJ_PROP_TYPE_NONE;
        return ptMember != nullptr;
    }
    KxwDomJavaTypedValue tValue;
    {
        KxwDomJavaCall tCall(ptEnv, "VokAppletMgr.GetAppletProperty");
        jstring tName = xftKxwDomJavaNewStringUtf8(ptEnv, mpszName);
        auto tText = static_cast<jstring>(
            ptEnv->CallObjectMethod(AppletMgr(_pvAppletMgr), KxwDomJavaVm::s_tGetAppletProperty, tName));
        if (tCall.Check()) tValue = KxwDomJavaTypedValue::FromJava(dsType, ptEnv, tText);
    }
    void* pvValue = nullptr;
    unsigned uLen = 0;
    KXW_JSW_OBJ_PROP_TYPE_ENUM eType = KXW_JSW_OBJ_PROP_TYPE_UNDEFINED;
    switch (tValue._eKind) {
        case KxwDomJavaTypedValue::kNull:
            eType = KXW_JSW_OBJ_PROP_TYPE_NULL;
            break;
        case KxwDomJavaTypedValue::kBoolean:
            eType = KXW_JSW_OBJ_PROP_TYPE_BOOLEAN;
            pvValue = reinterpret_cast<void*>(static_cast<intptr_t>(tValue._bValue ? 1 : 0));
            break;
        case KxwDomJavaTypedValue::kNumber:
            _dfLastRetVal = tValue._dfValue;
            eType = KXW_JSW_OBJ_PROP_TYPE_DOUBLE;
            pvValue = &_dfLastRetVal;
            break;
        case KxwDomJavaTypedValue::kString:
            _dsLastRetVal = std::move(tValue._dsValue);
            eType = KXW_JSW_OBJ_PROP_TYPE_STRING;
            pvValue = const_cast<char16_t*>(_dsLastRetVal.data());
            uLen = static_cast<unsigned>(_dsLastRetVal.size());
            break;
        default:
            break;
    }
    if (mppvValue) *mppvValue = pvValue;
    if (mpnLength) *mpnLength = uLen;
    if (mpeType) *mpeType = eType;
    return true;
}

bool KxwDomHtmlElementApplet::SetNamedItem(const char* mpszName, const KxwJsval& mrtValue) {
    if (!mpszName || !_bStarted) return false;
    bool bMethod = false;
    std::string dsTypeWord = ResolveProperty(mpszName);
    xfdsKxwDomJavaMemberType(dsTypeWord, &bMethod);
    JNIEnv* ptEnv = Env();
    if (dsTypeWord == "none" || bMethod || !ptEnv) return false;
    KxwDomJavaCall tCall(ptEnv, "VokAppletMgr.SetAppletProperty");
    jstring tName = xftKxwDomJavaNewStringUtf8(ptEnv, mpszName);
    jobject tValue = xftKxwDomJavaFromScript(ptEnv, mrtValue, GetJavaVUser());
    jboolean bSet =
        ptEnv->CallBooleanMethod(AppletMgr(_pvAppletMgr), KxwDomJavaVm::s_tSetAppletProperty, tName, tValue);
    if (tCall.Check() && !bSet)
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "The applet's field \"%.200s\" could not be set",
                                 mpszName);
    // The field is the applet's, set or not: the element keeps no own property of that name.
    return true;
}

bool KxwDomHtmlElementApplet::InvokeAppletMethod(const std::string& mrdsName, KxwJswCallArgs& mrtArgs) {
    KxwJsval tResult;
    std::string dsTypeWord = ResolveProperty(mrdsName);
    JNIEnv* ptEnv = Env();
    if (dsTypeWord == "none" || !ptEnv || !_pvAppletMgr) {
        mrtArgs.SetResult(tResult);
        return true;
    }
    std::string dsType = xfdsKxwDomJavaMemberType(dsTypeWord, nullptr);
    KxwDomJavaTypedValue tValue;
    {
        KxwDomJavaCall tCall(ptEnv, "VokAppletMgr.CallAppletMethod");
        KxwDomJavaVUser* ptVUser = GetJavaVUser();
        unsigned uArgc = mrtArgs.Length();
        jobjectArray tArgs = ptEnv->NewObjectArray(static_cast<jsize>(uArgc), KxwDomJavaVm::s_tObjectCls, nullptr);
        if (!tArgs || !tCall.Check()) return true;
        for (unsigned n = 0; n < uArgc; ++n) {
            jobject tArg = xftKxwDomJavaFromScript(ptEnv, mrtArgs.Get(n), ptVUser);
            ptEnv->SetObjectArrayElement(tArgs, static_cast<jsize>(n), tArg);
            if (tArg) ptEnv->DeleteLocalRef(tArg);
        }
        jstring tName = xftKxwDomJavaNewStringUtf8(ptEnv, mrdsName);
        auto tText = static_cast<jstring>(
            ptEnv->CallObjectMethod(AppletMgr(_pvAppletMgr), KxwDomJavaVm::s_tCallAppletMethod, tName, tArgs));
        // The method's calls back into the page may have removed the element: nothing of it is read from here.
        if (tCall.Check()) tValue = KxwDomJavaTypedValue::FromJava(dsType, ptEnv, tText);
    }
    tValue.ToScript(tResult);
    mrtArgs.SetResult(tResult);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// The engine's view

std::string xfdsKxwDomAppletGetUrlToDownload(KxwDomNodeBase* mptApplet, bool* mpbNeededNow) {
    if (mpbNeededNow) *mpbNeededNow = false;
    auto* ptApplet = dynamic_cast<KxwDomHtmlElementApplet*>(mptApplet);
    return ptApplet ? ptApplet->GetUrlToDownload(mpbNeededNow) : std::string();
}
