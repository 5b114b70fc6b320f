#include "KxwDomHtmlElementImage.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "KxwDomBindingUtil.h"
#include "KxwDomEventData.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementAreaAnchor.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomStr.h"
#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilEscape.h"
#include "KxwUtilStrCompare.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"

namespace {

// The flag sets of the properties that reflect an attribute, and of one that does not.
constexpr uint16_t kReflected = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE | KXW_JSW_PROP_ATTRIBUTE_ALT;
constexpr uint16_t kReflectedAlt = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE_ALT;
constexpr uint16_t kPlain = KXW_JSW_PROP_PERMANENT;

using Image = KxwDomHtmlElementImage;

const KxwJswPropertySpec katImageProperties[] = {
    {"src", Image::kIdSrc, kReflected, "S"},       {"dynsrc", Image::kIdDynSrc, kReflected, "S"},
    {"alt", Image::kIdAlt, kReflected, "S"},       {"useMap", Image::kIdUseMap, kReflected, "S"},
    {"isMap", Image::kIdIsMap, kReflected, "b"},   {"disabled", Image::kIdDisabled, kReflectedAlt, "b"},
    {"complete", Image::kIdComplete, kPlain, "b"}, {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

const KxwJswCtorRegistrator katImageConstructors[] = {
    {"Image", &KxwDomHtmlElementImage::DefaultConstructImage, 2},
    {nullptr, nullptr, 0},
};

// A text a step or a page gave, as a message may show it: printable, cut.
std::string Printable(const std::string& mdsText) {
    char acBuffer[64];
    xfnKxwUtilCStyleEncodeBuf(mdsText.data(), mdsText.size(), acBuffer, sizeof acBuffer);
    return acBuffer;
}

}  // namespace

// One script property: its tiny id, the stored value it reads and writes, whether it reads resolved, and a setter
// with more to do than store (null: store).
struct KxwDomHtmlElementImage::PropertyRow {
    short _nTinyId;
    KxwDomHtmlPropertyStr KxwDomHtmlElementImage::*_ptText;
    KxwDomHtmlPropertyBool KxwDomHtmlElementImage::*_ptBool;
    bool _bResolved;
    bool (KxwDomHtmlElementImage::*_pfSet)(KxwDomPropertyInfo&);
};

const KxwDomHtmlElementImage::PropertyRow KxwDomHtmlElementImage::katPropertyRows[] = {
    {kIdSrc, &Image::_tSrc, nullptr, true, &Image::SetSrcProperty},
    {kIdSrcExact, &Image::_tSrc, nullptr, false, &Image::SetSrcProperty},
    {kIdDynSrc, &Image::_tDynSrc, nullptr, false, &Image::SetDynSrcProperty},
    {kIdDynSrcExact, &Image::_tDynSrc, nullptr, false, &Image::SetDynSrcProperty},
    {kIdAlt, &Image::_tAlt, nullptr, false, nullptr},
    {kIdUseMap, &Image::_tUseMap, nullptr, false, nullptr},
    {kIdIsMap, nullptr, &Image::_tIsMap, false, nullptr},
    {kIdDisabled, nullptr, &Image::_tDisabled, false, nullptr},
    {kIdComplete, nullptr, &Image::_tComplete, false, nullptr},
};

KxwDomHtmlElementImage::KxwDomHtmlElementImage(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementWithName(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_IMG, mbUseMemMgr),
      _tSrc(GetDomEnv()),
      _tDynSrc(GetDomEnv()),
      _tAlt(GetDomEnv()),
      _tUseMap(GetDomEnv()) {}

bool KxwDomHtmlElementImage::IsConnectedToDocument() const {
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    return ptDocument && GetRoot() == ptDocument;
}

// ---------------------------------------------------------------------------------------------------------------
// The link the image lies in

void KxwDomHtmlElementImage::SetContainingAnchor(KxwDomHtmlElementAnchor* mptAnchor) {
    if (_tWatchDeleteContainingAnchor.GetEffectiveWatchedPtr() == mptAnchor) return;
    _tWatchDeleteContainingAnchor.Reset();
    if (mptAnchor) _tWatchDeleteContainingAnchor.ActivateWatch(mptAnchor);
}

KxwDomHtmlElementAnchor* KxwDomHtmlElementImage::GetContainingAnchor() const {
    return static_cast<KxwDomHtmlElementAnchor*>(_tWatchDeleteContainingAnchor.GetEffectiveWatchedPtr());
}

const KxwDomHtmlPropertyStr& KxwDomHtmlElementImage::GetNameForImageLink() const {
    if (!IsEmptyName()) return GetName();
    if (KxwDomHtmlElementAnchor* ptAnchor = GetContainingAnchor()) return ptAnchor->GetName();
    return GetName();
}

void KxwDomHtmlElementImage::OnAddedToTree() {
    KxwDomHtmlElementWithName::OnAddedToTree();
    // The parser and the scripts put images into links alike: the nearest A above is the link.
    KxwDomHtmlElementAnchor* ptAnchor = nullptr;
    for (KxwDomNodeBase* ptNode = GetParentNode(); ptNode && !ptAnchor; ptNode = ptNode->GetParentNode())
        if (ptNode->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_A)
            ptAnchor = dynamic_cast<KxwDomHtmlElementAnchor*>(ptNode);
    SetContainingAnchor(ptAnchor);
}

// ---------------------------------------------------------------------------------------------------------------
// The download

void KxwDomHtmlElementImage::HandleSrcChanged() {
    if (IsEmptySrc()) return;
    // The engine takes the request on (or not) while it hears of it; a request it takes keeps the image.
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_IMAGE_SRC, this, nullptr);
}

void KxwDomHtmlElementImage::NotifyDownloadRequested() {
    if (_uDownloadRequests++ == 0) SetTempProtectFromGC(true);
}

void KxwDomHtmlElementImage::NotifyDownloadRequestEnded() {
    if (_uDownloadRequests == 0) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_uDownloadRequests is 0 in "
                                              "KxwDomHtmlElementImage::NotifyDownloadRequestEnded for this=%p",
                                              static_cast<void*>(this));
        return;
    }
    if (--_uDownloadRequests == 0) SetTempProtectFromGC(false);
}

void KxwDomHtmlElementImage::NotifyStartDownload() {
    _tComplete.SetBool(false);
    _bDownloadStarted = true;
    _eReadyState = KXW_DOM_HTML_READY_STATE_LOADING;
}

void KxwDomHtmlElementImage::NotifyDownloadComplete() {
    _tComplete.SetBool(true);
    if (!_bDownloadStarted) return;
    _eReadyState = KXW_DOM_HTML_READY_STATE_COMPLETE;
    KxwDomWatchDelete tWatchThis("KxwDomHtmlElementImage::NotifyDownloadComplete", this);
    FireEvent(KXW_DOM_EVENT_TYPE_ENUM_READYSTATECHANGE, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
    if (tWatchThis.HasBeenDeleted()) return;
    FireEvent(KXW_DOM_EVENT_TYPE_ENUM_LOAD, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
}

void KxwDomHtmlElementImage::NotifyDownloadFailed(KXW_WTL_SEV_LVL_ENUM, char* mpszMsg, int) {
    free(mpszMsg);
    // The browser tells the page of an image that could not be loaded: its error handler runs.
    _bDownloadStarted = false;
    _eReadyState = KXW_DOM_HTML_READY_STATE_UNINITIALIZED;
    FireEvent(KXW_DOM_EVENT_TYPE_ENUM_ERROR, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
}

void KxwDomHtmlElementImage::NotifyDownloadAborted() {
    _bDownloadStarted = false;
    _eReadyState = KXW_DOM_HTML_READY_STATE_UNINITIALIZED;
}

// ---------------------------------------------------------------------------------------------------------------
// Events

bool KxwDomHtmlElementImage::CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    switch (meEventType) {
        case KXW_DOM_EVENT_TYPE_ENUM_LOAD:
        case KXW_DOM_EVENT_TYPE_ENUM_READYSTATECHANGE:
        case KXW_DOM_EVENT_TYPE_ENUM_CONTENTREADY:
        case KXW_DOM_EVENT_TYPE_ENUM_ERROR:
            return true;
        default:
            return KxwDomHtmlElementWithName::CanRespondToEvent(meEventType);
    }
}

KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM KxwDomHtmlElementImage::DoEventDefaultAction(
    KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) {
    KxwDomHtmlElementAnchor* ptAnchor = GetContainingAnchor();
    // Outside a link the ancestors' default actions run as for any element.
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_CLICK || !ptAnchor)
        return KxwDomHtmlElementWithName::DoEventDefaultAction(meEventType, mptDomEventDataOrNULL);
    if (!ptAnchor->IsHrefFollowable()) return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    if (!IsConnectedToDocument()) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "Clicking on an <IMG> that is not connected to the document has no effect in "
                "KxwDomHtmlElementImage::DoEventDefaultAction for this=%p",
                static_cast<void*>(this));
        return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
    }
    std::string dsCoordinates = ComputeClickCoordinates(mptDomEventDataOrNULL);
    KxwDomStr tCoordinates(GetDomEnv(), dsCoordinates.data(), static_cast<unsigned>(dsCoordinates.size()));
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_IMAGE_IN_LINK_CLICK, this, &tCoordinates);
    return KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE;
}

std::string KxwDomHtmlElementImage::ComputeClickCoordinates(const KxwDomEventData* mptDomEventDataOrNULL) const {
    const void* pvThis = static_cast<const void*>(this);
    if (!mptDomEventDataOrNULL)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptDomEventDataOrNULL is NULL in "
                                              "KxwDomHtmlElementImage::DoEventDefaultAction for this=%p. Continuing",
                                              pvThis);
    std::string dsGiven = mptDomEventDataOrNULL ? mptDomEventDataOrNULL->GetMapImageCoordinates() : std::string();
    if (!GetIsMap()) {
        if (!dsGiven.empty())
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                                     "Click on a non-ismap <IMAGE> with non-empty coordinates (\"%.50s\"). The "
                                     "coordinates will not be submitted",
                                     Printable(dsGiven).c_str());
        return std::string();
    }
    if (!dsGiven.empty()) {
        if (dsGiven.size() <= kMaxCoordinatesLen && xfbKxwUtilIsCoordinatePair(dsGiven.data(), dsGiven.size()))
            return dsGiven;
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Click on an <IMAGE ismap> with invalid coordinates (\"%.50s\", "
                                              "length=%ld). \"0,0\" used in "
                                              "KxwDomHtmlElementImage::DoEventDefaultAction for this=%p",
                                              Printable(dsGiven).c_str(), static_cast<long>(dsGiven.size()), pvThis);
        return "0,0";
    }
    if (!mptDomEventDataOrNULL) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Click on an <IMAGE ismap> with no coordinates and "
                                              "mptDomEventDataOrNULL=%p. \"0,0\" used in "
                                              "KxwDomHtmlElementImage::DoEventDefaultAction for this=%p",
                                              static_cast<const void*>(mptDomEventDataOrNULL), pvThis);
        return "0,0";
    }
    // A position left of or above the image counts as its edge.
    long liX = mptDomEventDataOrNULL->GetX() < 0 ? 0 : mptDomEventDataOrNULL->GetX();
    long liY = mptDomEventDataOrNULL->GetY() < 0 ? 0 : mptDomEventDataOrNULL->GetY();
    if (liX > kMaxCoordinate) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "EventX=%ld exceeds the maximum value (%d). Using %d", liX,
                                              static_cast<int>(kMaxCoordinate), static_cast<int>(kMaxCoordinate));
        liX = kMaxCoordinate;
    }
    if (liY > kMaxCoordinate) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "EventY=%ld exceeds the maximum value (%d). Using %d", liY,
                                              static_cast<int>(kMaxCoordinate), static_cast<int>(kMaxCoordinate));
        liY = kMaxCoordinate;
    }
    char acText[32];
    std::snprintf(acText, sizeof acText, "%lu,%lu", static_cast<unsigned long>(liX), static_cast<unsigned long>(liY));
    return acText;
}

// ---------------------------------------------------------------------------------------------------------------
// Script

KxwJswUserObjBase* KxwDomHtmlElementImage::DefaultConstructImage(KxwJswCallArgs& mrtArgs) {
    // In no tree, on the document's list of disconnected nodes: its engine object owns it until it gets a parent.
    KxwDomHtmlElement* ptImage = xfptKxwDomHtmlElementConstructForScript("IMG", "Image");
    if (!ptImage) return nullptr;
    static const char16_t* const kapwszSizes[] = {u"width", u"height"};
    for (unsigned n = 0; n < 2 && n < mrtArgs.Length(); ++n) {
        KxwJsval tValue = mrtArgs.Get(n);
        if (!tValue.IsUndefined()) ptImage->SetAttribute(kapwszSizes[n], n == 0 ? 5 : 6, tValue, 0);
    }
    return ptImage;
}

const KxwJswClassInformation& KxwDomHtmlElementImage::GetImageClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetElementWithNameClassInformation(), "image", katImageProperties,
                                                    katNoMethods, katImageConstructors);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlElementImage::GetClassInformation() const {
    return &GetImageClassInformation();
}

signed char KxwDomHtmlElementImage::GetTinyIdForExactValueFromTinyId(signed char mcTinyId) {
    if (mcTinyId == kIdSrc) return kIdSrcExact;
    if (mcTinyId == kIdDynSrc) return kIdDynSrcExact;
    return KxwDomHtmlElementWithName::GetTinyIdForExactValueFromTinyId(mcTinyId);
}

bool KxwDomHtmlElementImage::SetSrcProperty(KxwDomPropertyInfo& mrtPropertyInfo) {
    StoreScriptText(_tSrc, mrtPropertyInfo);
    HandleSrcChanged();
    return true;
}

bool KxwDomHtmlElementImage::SetDynSrcProperty(KxwDomPropertyInfo& mrtPropertyInfo) {
    StoreScriptText(_tDynSrc, mrtPropertyInfo);
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, -35983,
                                        "KxwDomHtmlElementImage::SetDomPropertyInfo", __LINE__, "dynsrc");
    return true;
}

bool KxwDomHtmlElementImage::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    for (const PropertyRow& rtRow : katPropertyRows) {
        if (rtRow._nTinyId != mnTinyId) continue;
        if (rtRow._ptBool)
            mrtPropertyInfo = this->*rtRow._ptBool;
        else if (rtRow._bResolved)
            AssignResolvedUrl(mrtPropertyInfo, this->*rtRow._ptText);
        else
            mrtPropertyInfo = this->*rtRow._ptText;
        return true;
    }
    return KxwDomHtmlElementWithName::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
}

bool KxwDomHtmlElementImage::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    for (const PropertyRow& rtRow : katPropertyRows) {
        if (rtRow._nTinyId != mnTinyId) continue;
        if (rtRow._pfSet) return (this->*rtRow._pfSet)(mrtPropertyInfo);
        if (rtRow._ptBool)
            this->*rtRow._ptBool = mrtPropertyInfo;
        else
            StoreScriptText(this->*rtRow._ptText, mrtPropertyInfo);
        return true;
    }
    return KxwDomHtmlElementWithName::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
}

bool KxwDomHtmlElementImage::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    struct ParsedRow {
        const char* _pszName;
        void (KxwDomHtmlElementImage::*_pfSet)(const char*);
    };
    static const ParsedRow katParsedRows[] = {
        {"src", &Image::SetSrcParsed},     {"dynsrc", &Image::SetDynSrcParsed},
        {"alt", &Image::SetAltParsed},     {"usemap", &Image::SetUseMapParsed},
        {"ismap", &Image::SetIsMapParsed}, {"disabled", &Image::SetDisabledParsed},
    };
    for (const ParsedRow& rtRow : katParsedRows) {
        if (!IsName(mpszName, rtRow._pszName)) continue;
        (this->*rtRow._pfSet)(mpszValueOrNull);
        return true;
    }
    return KxwDomHtmlElementWithName::SetParsedProperty(mpszName, mpszValueOrNull);
}

void KxwDomHtmlElementImage::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementWithName::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementImage&>(mrtClone);
    CopySpecifiedText(_tSrc, rtClone._tSrc);
    CopySpecifiedText(_tDynSrc, rtClone._tDynSrc);
    CopySpecifiedText(_tAlt, rtClone._tAlt);
    CopySpecifiedText(_tUseMap, rtClone._tUseMap);
    // The state of a download is the original's own; the clone's starts when it is loaded.
    for (KxwDomHtmlPropertyBool KxwDomHtmlElementImage::*ptBool : {&Image::_tIsMap, &Image::_tDisabled})
        if ((this->*ptBool).IsSpecified()) (rtClone.*ptBool).SetBool((this->*ptBool).GetBool());
}

void KxwDomHtmlElementImage::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("alt", _tAlt);
    mrtText.ConcatHtmlProperty("useMap", _tUseMap);
    mrtText.ConcatHtmlProperty("isMap", _tIsMap);
    mrtText.ConcatHtmlProperty("disabled", _tDisabled);
    mrtText.ConcatHtmlProperty("src", _tSrc);
    mrtText.ConcatHtmlProperty("dynsrc", _tDynSrc);
    KxwDomHtmlElementWithName::GenerateHtmlProperties(mrtText);
}
