#include "KxwDomHtmlElementFrame.h"

#include <cstdlib>
#include <string>

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"

namespace {

constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;
enum : short {
    kIdSrc = KxwDomHtmlElement::kFirstDerivedTinyId,  // 7
    kIdName,                                          // 8
};

const KxwJswPropertySpec katFrameBaseProperties[] = {
    {"src", 7, kAttr, "S"},
    {"name", 8, kAttr, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswPropertySpec katNoProperties[] = {{nullptr, 0, 0, nullptr}};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

}  // namespace

KxwDomHtmlElementFrameBase::KxwDomHtmlElementFrameBase(KxwDomHtmlDocument* mptOwnerDocument,
                                                       KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype, bool mbUseMemMgr)
    : KxwDomHtmlElement(mptOwnerDocument, meSubtype, mbUseMemMgr), _tSrc(GetDomEnv()), _tName(GetDomEnv()) {}

KxwDomHtmlElementFrameBase::~KxwDomHtmlElementFrameBase() {
    if (KxwDomHtmlWindow* ptWindow = _ptContentWindow) {
        _ptContentWindow = nullptr;
        ptWindow->ForgetFrameElement();
        delete ptWindow;
    }
}

namespace {

KxwDomHtmlWindow* ParentWindowOf(const KxwDomHtmlElementFrameBase* mptElement) {
    auto* ptDocument = dynamic_cast<KxwDomHtmlDocument*>(mptElement->GetOwnerDocument(false));
    return ptDocument ? ptDocument->GetWindow() : nullptr;
}

std::string WithoutFragment(const std::string& mdsUrl) {
    size_t nHash = mdsUrl.find('#');
    return nHash == std::string::npos ? mdsUrl : mdsUrl.substr(0, nHash);
}

// Frames nest as deep as their hierarchy ids reach (4 bits a level in 32 bits).
constexpr int kiMaxFrameDepth = 7;

// A frame may not show the page of a window it sits in (src="#" or its own address): each such page would hold
// the frame again, without end. Nor may frames nest deeper than their ids reach.
bool IsRecursiveFrame(KxwDomHtmlWindow* mptParent, const std::string& mdsUrl, int* mpiDepth) {
    std::string dsUrl = WithoutFragment(mdsUrl);
    *mpiDepth = 0;
    for (KxwDomHtmlWindow* ptWindow = mptParent; ptWindow; ptWindow = ptWindow->GetParentWindow()) {
        KxwDomHtmlDocument* ptDocument = ptWindow->GetDocument();
        const char* psfHref = ptDocument ? ptDocument->GetHref().GetDcsStr() : nullptr;
        if (psfHref && WithoutFragment(std::string(psfHref, ptDocument->GetHref().GetDcsLenInBytes())) == dsUrl)
            return true;
        if (++*mpiDepth > kiMaxFrameDepth) return true;
    }
    return false;
}

}  // namespace

KxwDomHtmlWindow* KxwDomHtmlElementFrameBase::GetContentWindow() {
    if (_ptContentWindow) return _ptContentWindow;
    KxwDomHtmlWindow* ptParent = ParentWindowOf(this);
    if (!ptParent) return nullptr;
    _ptContentWindow = ptParent->ObtainFrameWindow(this);
    return _ptContentWindow;
}

void KxwDomHtmlElementFrameBase::ForgetWindow(KxwDomHtmlWindow* mptWindow) {
    if (_ptContentWindow == mptWindow) {
        _ptContentWindow = nullptr;
        _bLoadRequested = false;
    }
}

void KxwDomHtmlElementFrameBase::RequestLoad() {
    KxwDomHtmlWindow* ptWindow = GetContentWindow();
    if (!ptWindow) return;
    _bLoadRequested = true;
    if (GetResolvedSrcDcs().empty()) {
        // Nothing to load: an empty page, complete at once, that holds nobody up.
        ptWindow->MarkCompleteWithoutDownload();
        return;
    }
    int iDepth = 0;
    std::string dsSrc = GetResolvedSrcDcs();
    if (IsRecursiveFrame(ParentWindowOf(this), dsSrc, &iDepth)) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                                 iDepth > kiMaxFrameDepth
                                     ? "A frame nested %d deep is not loaded (\"%.2000s\")"
                                     : "A frame showing the page it is in (at depth %d) is not loaded (\"%.2000s\")",
                                 iDepth, dsSrc.c_str());
        ptWindow->MarkCompleteWithoutDownload();
        return;
    }
    ptWindow->HoldParentOnLoad();
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_FRAME_SRC, this, nullptr);
}

void KxwDomHtmlElementFrameBase::OnAddedToTree() {
    KxwDomHtmlElement::OnAddedToTree();
    if (_bLoadRequested || !ParentWindowOf(this) || GetRoot() != GetOwnerDocument(false)) return;
    RequestLoad();
}

void KxwDomHtmlElementFrameBase::NotifyStartDownload() {}

void KxwDomHtmlElementFrameBase::NotifyDownloadComplete() {
    if (_ptContentWindow) _ptContentWindow->NotifyDownloadComplete();
}

void KxwDomHtmlElementFrameBase::NotifyDownloadFailed(KXW_WTL_SEV_LVL_ENUM meSevLvl, char* mpszMsg, int miMsgId) {
    if (_ptContentWindow)
        _ptContentWindow->NotifyDownloadFailed(meSevLvl, mpszMsg, miMsgId);
    else
        free(mpszMsg);
}

void KxwDomHtmlElementFrameBase::NotifyDownloadAborted() {
    if (_ptContentWindow) _ptContentWindow->NotifyDownloadAborted();
}

void KxwDomHtmlElementFrameBase::SetNameParsed(const char* mpszParsedValue) {
    ChangeIdentifierParsed(_tName, KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED, mpszParsedValue);
}

void KxwDomHtmlElementFrameBase::SetNameU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    ChangeIdentifierU16n(_tName, KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED, mpwsfU16nStr, muU16nLenInChars);
}

bool KxwDomHtmlElementFrameBase::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    if (IsName(mpszName, "src")) {
        SetSrcParsed(mpszValueOrNull);
        return true;
    }
    if (IsName(mpszName, "name")) {
        SetNameParsed(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElement::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementFrameBase::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    auto& rtClone = static_cast<KxwDomHtmlElementFrameBase&>(mrtClone);
    CopySpecifiedText(_tSrc, rtClone._tSrc);
    CopySpecifiedText(_tName, rtClone._tName);
}

const KxwJswClassInformation& KxwDomHtmlElementFrameBase::GetFrameBaseClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetElementClassInformation(), "framebase", katFrameBaseProperties,
                                                    katNoMethods);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlElementFrameBase::GetClassInformation() const {
    static const KxwJswClassInformation ktFrame(&GetFrameBaseClassInformation(), "frame", katNoProperties,
                                                katNoMethods);
    static const KxwJswClassInformation ktInlineFrame(&GetFrameBaseClassInformation(), "iframe", katNoProperties,
                                                      katNoMethods);
    return GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_IFRAME ? &ktInlineFrame : &ktFrame;
}

bool KxwDomHtmlElementFrameBase::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdSrc:
            AssignResolvedUrl(mrtPropertyInfo, _tSrc);
            return true;
        case kIdName:
            mrtPropertyInfo = _tName;
            return true;
        default:
            if (mnTinyId < kIdSrc) return KxwDomHtmlElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlElementFrameBase", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElementFrameBase::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdSrc:
            StoreScriptText(_tSrc, mrtPropertyInfo);
            // A new address loads the frame again, when the element is in a document shown in a window.
            if (ParentWindowOf(this) && GetRoot() == GetOwnerDocument(false)) RequestLoad();
            return true;
        case kIdName:
            if (!mrtPropertyInfo.HasValue()) return true;
            SetNameU16n(mrtPropertyInfo.ConvertAndGetStringU16n(), mrtPropertyInfo.ConvertAndGetStringU16nLength());
            return true;
        default:
            if (mnTinyId < kIdSrc) return KxwDomHtmlElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlElementFrameBase", mnTinyId);
    }
}

void KxwDomHtmlElementFrameBase::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("src", _tSrc);
    mrtText.ConcatHtmlProperty("name", _tName);
    KxwDomHtmlElement::GenerateHtmlProperties(mrtText);
}
