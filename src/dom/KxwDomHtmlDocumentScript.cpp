// Script class "document": its properties and methods. The window a document belongs to (location, frames,
// parentWindow, the current event) does not exist yet: those properties answer null, "URL" answers the document's
// own address, and navigations are reported instead of made.
#include <cstring>
#include <string>
#include <vector>

#include "KxwDomBindingUtil.h"
#include "KxwDomCoreAttribute.h"
#include "KxwDomCoreDocumentFragment.h"
#include "KxwDomCoreTextNode.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlElementScript.h"
#include "KxwDomHtmlElementTitle.h"
#include "KxwDomHtmlEvent.h"
#include "KxwDomHtmlSelection.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwDomStr.h"
#include "KxwDomStyleSheetList.h"
#include "KxwDomWatchDelete.h"
#include "KxwDomXmlResponse.h"
#include "KxwJswAutomationObject.h"
#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilTagName.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"

namespace {

// Tiny ids of "document" (218 to 245) as the class receives them.
enum : short {
    kIdLocation = -38,
    kIdURL,
    kIdLinks,
    kIdApplets,
    kIdEmbeds,
    kIdAnchors,
    kIdImages,
    kIdForms,
    kIdScripts,
    kIdNamespaces,
    kIdFrames,
    kIdParentWindow,
    kIdScript,
    kIdStyleSheets,
    kIdTitle,
    kIdBody,
    kIdCookie,
    kIdLayers,
    kIdDomain,
    kIdReferrer,
    kIdReadyState,
    kIdCompatMode,
    kIdSelection,
    kIdXMLDocument,
    kIdXSLDocument,
    kIdActiveElement,
    kIdCharset,
    kIdDir,  // 245
};
static_assert(kIdDir == -11, "the ids of \"document\" run from 218 to 245");

constexpr uint16_t kRO = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY;
constexpr uint16_t kRW = KXW_JSW_PROP_PERMANENT;

const KxwJswPropertySpec katDocumentProperties[] = {
    {"location", 218, kRW, "S"},        {"URL", 219, kRW, "S"},
    {"links", 220, kRO, nullptr},       {"applets", 221, kRO, nullptr},
    {"embeds", 222, kRO, nullptr},      {"anchors", 223, kRO, nullptr},
    {"images", 224, kRO, nullptr},      {"forms", 225, kRO, nullptr},
    {"scripts", 226, kRO, nullptr},     {"namespaces", 227, kRO, nullptr},
    {"frames", 228, kRO, nullptr},      {"parentWindow", 229, kRO, nullptr},
    {"Script", 230, kRO, nullptr},      {"styleSheets", 231, kRO, nullptr},
    {"title", 232, kRW, "S"},           {"body", 233, kRO, nullptr},
    {"cookie", 234, kRW, "S"},          {"layers", 235, kRO, nullptr},
    {"domain", 236, kRW, "S"},          {"referrer", 237, kRO, nullptr},
    {"readyState", 238, kRO, nullptr},  {"compatMode", 239, kRO, nullptr},
    {"selection", 240, kRO, nullptr},   {"XMLDocument", 241, kRO, nullptr},
    {"XSLDocument", 242, kRO, nullptr}, {"activeElement", 243, kRO, nullptr},
    {"charset", 244, kRW, "S"},         {"dir", 245, kRW, "S"},
    {nullptr, 0, 0, nullptr},
};

KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM CollectionOfId(short mnTinyId) {
    switch (mnTinyId) {
        case kIdLinks:
            return KXW_DOM_HTML_DOCUMENT_COLLECTION_LINKS;
        case kIdApplets:
            return KXW_DOM_HTML_DOCUMENT_COLLECTION_APPLETS;
        case kIdEmbeds:
            return KXW_DOM_HTML_DOCUMENT_COLLECTION_EMBEDS;
        case kIdAnchors:
            return KXW_DOM_HTML_DOCUMENT_COLLECTION_ANCHORS;
        case kIdImages:
            return KXW_DOM_HTML_DOCUMENT_COLLECTION_IMAGES;
        case kIdForms:
            return KXW_DOM_HTML_DOCUMENT_COLLECTION_FORMS;
        case kIdScripts:
            return KXW_DOM_HTML_DOCUMENT_COLLECTION_SCRIPTS;
        default:
            return KXW_DOM_HTML_DOCUMENT_COLLECTION_NAMESPACES;
    }
}

void AssignUserObjOrNull(KxwDomPropertyInfo& mrtPropertyInfo, const KxwJswUserObjBase* mptUserObj) {
    if (mptUserObj)
        mrtPropertyInfo = mptUserObj;
    else
        mrtPropertyInfo.AssignNull();
}

// Texts made for a read live here until the wrapper converted them.
void AssignTemporaryDcs(KxwDomPropertyInfo& mrtPropertyInfo, KxwDomHtmlDocument& mrtDocument,
                        const std::string& mdsDcs) {
    thread_local std::u16string tdsTemporary;
    KxwDomStr tText(mrtDocument.GetDomEnv(), mdsDcs.data(), static_cast<unsigned>(mdsDcs.size()));
    const char16_t* pwsfText = tText.GetU16nStr();
    tdsTemporary.assign(pwsfText ? pwsfText : u"", pwsfText ? tText.GetU16nLenInChars() : 0);
    mrtPropertyInfo.AssignU16nStr(tdsTemporary.data(), static_cast<unsigned>(tdsTemporary.size()), true);
}

using KxwDomHtmlDocumentCall = KxwDomScriptCallOn<KxwDomHtmlDocument>;

// A text in the document's charset.
std::string DcsOf(KxwDomHtmlDocument* mptDocument, const std::u16string& mrdsText) {
    KxwDomStr tText(mptDocument->GetDomEnv());
    tText.AssignDcsFromU16n(mrdsText.data(), static_cast<unsigned>(mrdsText.size()));
    return std::string(tText.GetDcsStr() ? tText.GetDcsStr() : "", tText.GetDcsStr() ? tText.GetDcsLenInBytes() : 0);
}

#define KXW_DOCUMENT_CALL(name) \
    KxwDomHtmlDocumentCall tCall("KxwDomHtmlDocument::" name "_callback", mptUserObj, mrtArgs)

// "write" and "writeln": every argument as a string, joined; writeln adds a line break.
bool fbKxwDomHtmlDocumentHandleWriteWriteln(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs, bool mbWriteln) {
    KxwDomHtmlDocumentCall tCall("fbKxwDomHtmlDocumentHandleWriteWriteln", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    std::string dsHtml;
    for (unsigned n = 0; n < tCall.Argc(); ++n) dsHtml += DcsOf(tCall.This(), tCall.Text(n));
    // An argument whose conversion throws writes nothing at all.
    if (tCall.Failed()) return false;
    if (mbWriteln) dsHtml += "\r\n";
    // Writing nothing changes nothing, not even after the page was loaded.
    if (!dsHtml.empty()) tCall.This()->Write(dsHtml.data(), static_cast<unsigned>(dsHtml.size()), true);
    return tCall.Undefined();
}

bool write_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return fbKxwDomHtmlDocumentHandleWriteWriteln(mptUserObj, mrtArgs, false);
}

bool writeln_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    return fbKxwDomHtmlDocumentHandleWriteWriteln(mptUserObj, mrtArgs, true);
}

bool open_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_DOCUMENT_CALL("open");
    if (!tCall.Check(0)) return false;
    if (tCall.Argc() >= 3) {
        // With three arguments open is window.open, which needs windows.
        tCall.This()->JavaScriptMissingSupport("document.open(url, name, features)");
        return tCall.Null();
    }
    if (tCall.This()->IsResetAfterInitialProcessing()) tCall.This()->Reset();
    return tCall.Return(tCall.This());
}

bool close_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_DOCUMENT_CALL("close");
    if (!tCall.Check(0)) return false;
    bool bWriteAfterInitialProcessing = tCall.This()->IsWriteAfterInitialProcessing();
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "%.50s OnDocumentClose() for OwnerWindow=%p when bIsWriteAfterInitialProcessing=%d in "
            "KxwDomHtmlDocument::close_callback for this=%p",
            bWriteAfterInitialProcessing ? "Calling" : "Not calling", static_cast<void*>(nullptr),
            bWriteAfterInitialProcessing ? 1 : 0, static_cast<void*>(tCall.This()));
    // The written document is complete: a later write opens a new one.
    if (bWriteAfterInitialProcessing) tCall.This()->SetIsWriteAfterInitialProcessing(false);
    return tCall.Undefined();
}

bool getElementById_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_DOCUMENT_CALL("getElementById");
    if (!tCall.Check(1)) return false;
    std::u16string dsId = tCall.Text(0);
    if (tCall.Failed()) return false;
    return tCall.Return(tCall.This()->GetElementById(dsId.data(), static_cast<unsigned>(dsId.size())));
}

bool getElementsByName_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_DOCUMENT_CALL("getElementsByName");
    if (!tCall.Check(1)) return false;
    std::string dsName = tCall.Utf8(0);
    if (tCall.Failed()) return false;
    KxwDomHtmlCollectionOrdered* ptAll = tCall.This()->GetAll();
    if (dsName.empty() || !ptAll) {
        // An empty name gives a new empty collection, which belongs to the script.
        auto* ptEmpty =
            new (static_cast<KxwMemMgr*>(nullptr)) KxwDomHtmlCollectionGeneral(static_cast<KxwMemMgr*>(nullptr));
        return tCall.Return(ptEmpty);
    }
    // The same live collection for the same name, made from "all" and kept current by it.
    KxwDomHtmlCollectionGeneral* ptCollection =
        ptAll->GetDynamicCollection(dsName.data(), static_cast<unsigned>(dsName.size()), false, true);
    if (!ptCollection) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptCollection == NULL in KxwDomHtmlDocument::getElementsByName_callback");
        return tCall.Fail("getElementsByName");
    }
    return tCall.Return(ptCollection);
}

bool elementFromPoint_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_DOCUMENT_CALL("elementFromPoint");
    if (!tCall.Check(0)) return false;
    // The answer is the source element of the window's current event; a document without window has none.
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("ptWindow == NULL in KxwDomHtmlDocument::elementFromPoint_callback");
    return tCall.Null();
}

bool createElement_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_DOCUMENT_CALL("createElement");
    if (!tCall.Check(1)) return false;
    KxwDomHtmlDocument* ptThis = tCall.This();
    // The argument is converted once: a page's toString runs once, as in a browser.
    std::u16string dsMarkup = tCall.Text(0);
    if (tCall.Failed()) return false;
    std::string dsTag = DcsOf(ptThis, dsMarkup);
    if (dsTag.empty()) return tCall.Fail("createElement");
    bool bMarkup = dsTag.size() >= 3 && dsTag.front() == '<' && dsTag.back() == '>' && dsTag[1] != '>';
    if (!bMarkup) {
        KxwUtilTagName tTagName(dsTag.data(), dsTag.size());
        if (!tTagName.IsValid()) {
            xfvKxwUtilReportInternalErrorBySevLvl(xfeKxwUtilJavaScriptErrorSevLvl(),
                                                  "Invalid tTagName constructed for psfzTagNameDcsStr=\"%.100s\" in "
                                                  "KxwDomHtmlDocument::createElement_callback",
                                                  dsTag.c_str());
            return tCall.Fail("createElement");
        }
        KxwDomHtmlElement* ptElement = KxwDomHtmlElement::AllocElement(tTagName, ptThis, true);
        if (!ptElement) return tCall.Fail("createElement");
        return tCall.Return(ptElement);
    }
    // Markup: parsed into a container of its own, whose first child is the answer.
    KxwDomHtmlElement* ptContainer = ptThis->CreateDummyContainerElement("KxwDomHtmlDocument::createElement_callback");
    if (!ptContainer) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "KxwDomHtmlElement::AllocElement returned NULL for this=%p in KxwDomHtmlDocument::createElement_callback",
            static_cast<void*>(ptThis));
        return tCall.Fail("createElement");
    }
    KxwDomWatchDelete tWatchContainer("KxwDomHtmlDocument::createElement_callback", ptContainer);
    ptContainer->SetInnerHtmlU16n(dsMarkup.data(), static_cast<unsigned>(dsMarkup.size()));
    if (tWatchContainer.HasBeenDeleted()) return tCall.Fail("createElement");
    KxwDomNodeBase* ptCreated = ptContainer->GetDomFirstChild();
    KxwDomHtmlElement* ptCreatedElement = KxwJswUserObjBase::ConvertToElement(ptCreated);
    KxwDomNodeBase* ptRemoved = ptCreatedElement ? ptContainer->RemoveChild(ptCreatedElement) : nullptr;
    if (!ptCreatedElement || ptRemoved != ptCreatedElement) {
        if (ptCreated)
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "Invalid ptCreatedNodeBase=%p / ptCreatedElement=%p / "
                                                  "ptRemovedNodeBase=%p for createElement(\"%.1000s\") "
                                                  "in KxwDomHtmlDocument::createElement_callback for this=%p",
                                                  static_cast<void*>(ptCreated), static_cast<void*>(ptCreatedElement),
                                                  static_cast<void*>(ptRemoved), dsTag.c_str(),
                                                  static_cast<void*>(ptThis));
        if (!tWatchContainer.HasBeenDeleted()) delete ptContainer;
        return tCall.Fail("createElement");
    }
    if (auto* ptScript = dynamic_cast<KxwDomHtmlElementScript*>(ptCreatedElement)) ptScript->SetTextDcs("", 0);
    if (!tWatchContainer.HasBeenDeleted()) delete ptContainer;
    return tCall.Return(ptCreatedElement);
}

bool createTextNode_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_DOCUMENT_CALL("createTextNode");
    if (!tCall.Check(0)) return false;
    std::u16string dsText = tCall.Argc() > 0 ? tCall.Text(0) : std::u16string();
    if (tCall.Failed()) return false;
    KxwDomCoreTextNode* ptText = KxwDomCoreTextNode::AllocTextNode(tCall.This(), true);
    if (!ptText) KxwUtilOutOfMemoryAbort(sizeof(KxwDomCoreTextNode), "TextNode object");
    ptText->SetNodeValueU16n(dsText.data(), static_cast<unsigned>(dsText.size()));
    // Parked at once: a text no script inserts goes with the next collection.
    tCall.This()->AddToDisconnectedNodesList(ptText);
    return tCall.Return(ptText);
}

bool createAttribute_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_DOCUMENT_CALL("createAttribute");
    if (!tCall.Check(1)) return false;
    std::u16string dsName = tCall.Text(0);
    if (tCall.Failed()) return false;
    if (dsName.empty()) return tCall.Fail("createAttribute");
    KxwMemMgr* ptMemMgr = tCall.This()->GetMemMgr();
    auto* ptAttr =
        new (ptMemMgr) KxwDomCoreAttribute(tCall.This(), ptMemMgr, dsName.data(), static_cast<unsigned>(dsName.size()),
                                           KxwDomCoreAttribute::kUnresolvedTinyId);
    // A free attribute belongs to its engine object from the start.
    if (!ptAttr->CreateJsiObj()) {
        delete ptAttr;
        return tCall.Fail("createAttribute");
    }
    return tCall.Return(ptAttr);
}

bool createDocumentFragment_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_DOCUMENT_CALL("createDocumentFragment");
    if (!tCall.Check(0)) return false;
    KxwMemMgr* ptMemMgr = tCall.This()->GetMemMgr();
    auto* ptFragment = new (ptMemMgr) KxwDomCoreDocumentFragment(tCall.This(), ptMemMgr);
    tCall.This()->AddToDisconnectedNodesList(ptFragment);
    return tCall.Return(ptFragment);
}

bool createStyleSheet_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_DOCUMENT_CALL("createStyleSheet");
    if (!tCall.Check(0)) return false;
    tCall.This()->JavaScriptMissingSupport("createStyleSheet()");
    return tCall.Null();
}

// A new event object for fireEvent to dispatch (the properties a script gives it reach the handlers as
// window.event's). It belongs to its engine object from the start.
bool createEventObject_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_DOCUMENT_CALL("createEventObject");
    if (!tCall.Check(0)) return false;
    KxwDomHtmlDocument* ptDocument = tCall.This();
    KxwDomHtmlEvent* ptEvent =
        ptDocument->ObtainEventObject(ptDocument, KXW_DOM_EVENT_TYPE_ENUM_DATAAVAILABLE, nullptr);
    if (!ptEvent) return tCall.Null();
    ptEvent->SetOwnedByScript();
    return tCall.Return(ptEvent);
}

bool nothing_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_DOCUMENT_CALL("recalc/clear/releaseCapture");
    if (!tCall.Check(0)) return false;
    return tCall.Undefined();
}

const KxwJswMethodSpec katDocumentMethods[] = {
    {"write", nullptr, nullptr, 1, write_callback},
    {"writeln", nullptr, nullptr, 1, writeln_callback},
    {"open", nullptr, nullptr, 4, open_callback},
    {"close", nullptr, nullptr, 0, close_callback},
    {"getElementById", nullptr, nullptr, 1, getElementById_callback},
    {"createElement", nullptr, nullptr, 1, createElement_callback},
    {"getElementsByName", nullptr, nullptr, 1, getElementsByName_callback},
    {"elementFromPoint", nullptr, nullptr, 2, elementFromPoint_callback},
    {"createTextNode", nullptr, nullptr, 1, createTextNode_callback},
    {"createStyleSheet", nullptr, nullptr, 2, createStyleSheet_callback},
    {"createEventObject", nullptr, nullptr, 1, createEventObject_callback},
    {"recalc", nullptr, nullptr, 1, nothing_callback},
    {"clear", nullptr, nullptr, 0, nothing_callback},
    {"releaseCapture", nullptr, nullptr, 0, nothing_callback},
    {"createAttribute", nullptr, nullptr, 1, createAttribute_callback},
    {"createDocumentFragment", nullptr, nullptr, 0, createDocumentFragment_callback},
    {nullptr, nullptr, nullptr, 0},
};

}  // namespace

const KxwJswClassInformation& KxwDomHtmlDocument::GetDocumentClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&KxwDomCoreDocument::GetCoreDocumentClassInformation(), "document",
                                                    katDocumentProperties, katDocumentMethods, nullptr,
                                                    KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlDocument::GetClassInformation() const {
    return &GetDocumentClassInformation();
}

KxwDomHtmlSelection* KxwDomHtmlDocument::GetSelection() {
    if (!_ptSelection) _ptSelection = new (GetDomEnv()) KxwDomHtmlSelection(*this);
    return _ptSelection;
}

bool KxwDomHtmlDocument::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdLocation:
            // The location of the document's window (none without a window).
            if (!_ptWindow || !_ptWindow->GetLocationProperty(mrtPropertyInfo)) mrtPropertyInfo.AssignNull();
            return true;
        case kIdFrames:
        case kIdParentWindow:
        case kIdScript:
            // The document's window.
            mrtPropertyInfo.AssignDomObjectOrNull(_ptWindow);
            return true;
        case kIdURL:
            mrtPropertyInfo = _tHref;
            return true;
        case kIdLinks:
        case kIdApplets:
        case kIdEmbeds:
        case kIdAnchors:
        case kIdImages:
        case kIdForms:
        case kIdScripts:
        case kIdNamespaces:
            AssignUserObjOrNull(mrtPropertyInfo, GetCollection(CollectionOfId(mnTinyId)));
            return true;
        case kIdStyleSheets:
            AssignUserObjOrNull(mrtPropertyInfo, KxwDomStyleSheetList::Create(this));
            return true;
        case kIdSelection:
            mrtPropertyInfo = GetSelection();
            return true;
        case kIdLayers:
            mrtPropertyInfo.AssignNull();
            return true;
        case kIdXMLDocument:
            mrtPropertyInfo.AssignDomObjectOrNull(_ptXmlResponse ? _ptXmlResponse->GetXmlDocumentObject() : nullptr);
            return true;
        case kIdXSLDocument:
            mrtPropertyInfo.AssignDomObjectOrNull(_ptXmlResponse ? _ptXmlResponse->GetXslDocumentObject() : nullptr);
            return true;
        case kIdTitle: {
            KxwDomHtmlElementTitle* ptTitle = GetTitle(true);
            if (ptTitle)
                mrtPropertyInfo = ptTitle->GetText();
            else
                mrtPropertyInfo.AssignEmptyStr();
            return true;
        }
        case kIdBody: {
            KxwDomWatchDelete tWatchThis("KxwDomHtmlDocument::GetDomPropertyInfo", this);
            VerifyNonEmptyBodyElement();
            if (tWatchThis.HasBeenDeleted()) return false;
            AssignUserObjOrNull(mrtPropertyInfo, GetHtmlBody());
            return true;
        }
        case kIdCookie: {
            KxwDomWatchDelete tWatchThis("KxwDomHtmlDocument::GetDomPropertyInfo", this);
            xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_GET_COOKIE, this, nullptr);
            if (tWatchThis.HasBeenDeleted()) return false;
            if (xfbKxwTraceEnabled())
                xfvKxwUtilReportTraceToFile(
                    "Resulting document.cookie=\"%.3000s\" in "
                    "KxwDomHtmlDocument::GetDomPropertyInfo for "
                    "KXW_DOM_HTML_DOCUMENT_TINY_ID_COOKIE",
                    _tCookie.GetDcsStr() ? _tCookie.GetDcsStr() : "");
            if (_tCookie.IsEmpty())
                mrtPropertyInfo.AssignEmptyStr();
            else
                mrtPropertyInfo = _tCookie;
            return true;
        }
        case kIdDomain:
            AssignTemporaryDcs(mrtPropertyInfo, *this, GetDomainDcs());
            return true;
        case kIdReferrer:
            if (_tReferer.IsEmpty())
                mrtPropertyInfo.AssignEmptyStr();
            else
                mrtPropertyInfo = _tReferer;
            return true;
        case kIdReadyState:
            mrtPropertyInfo.AssignU16nStr(GetReadyStateU16nStr(), GetReadyStateU16nLenInChars(), true);
            return true;
        case kIdCompatMode:
            mrtPropertyInfo.AssignU16nStr(u"BackCompat", 10, true);
            return true;
        case kIdActiveElement:
            AssignUserObjOrNull(mrtPropertyInfo, _ptActiveElement);
            return true;
        case kIdCharset:
            AssignTemporaryDcs(mrtPropertyInfo, *this, GetRequestCharset());
            return true;
        case kIdDir: {
            KxwDomHtmlElement* ptDocumentElement = KxwJswUserObjBase::ConvertToElement(GetDocumentElement());
            if (ptDocumentElement)
                mrtPropertyInfo = ptDocumentElement->GetDir();
            else
                mrtPropertyInfo.AssignEmptyStr();
            return true;
        }
        default:
            if (mnTinyId < kIdLocation) return KxwDomCoreDocument::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlDocument", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlDocument::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdLocation:
        case kIdURL:
            // Writing the address navigates the document's window.
            if (_ptWindow)
                _ptWindow->SetLocationProperty(mrtPropertyInfo);
            else
                JavaScriptMissingSupport(mnTinyId == kIdURL ? "document.URL=" : "document.location=");
            return true;
        case kIdTitle: {
            KxwDomHtmlElementTitle* ptTitle = GetTitle(true);
            if (ptTitle && mrtPropertyInfo.HasValue())
                ptTitle->SetTextU16n(mrtPropertyInfo.ConvertAndGetStringU16n(),
                                     mrtPropertyInfo.ConvertAndGetStringU16nLength());
            return true;
        }
        case kIdCookie: {
            if (!mrtPropertyInfo.HasValue()) return true;
            KxwDomStr tCookie(GetDomEnv());
            tCookie.AssignDcsFromU16n(mrtPropertyInfo.ConvertAndGetStringU16n(),
                                      mrtPropertyInfo.ConvertAndGetStringU16nLength());
            // The extra of notification 14 is the assigned text as a KxwDomStr holding its DCS form.
            xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_SET_COOKIE, this, &tCookie);
            return true;
        }
        case kIdDomain:
            if (mrtPropertyInfo.HasValue())
                SetDomainU16n(mrtPropertyInfo.ConvertAndGetStringU16n(),
                              mrtPropertyInfo.ConvertAndGetStringU16nLength());
            return true;
        case kIdCharset:
            ReportErrorWithJavaScriptLineNumber(false, -26000, "document.charset");
            return true;
        case kIdDir: {
            KxwDomHtmlElement* ptDocumentElement = KxwJswUserObjBase::ConvertToElement(GetDocumentElement());
            if (!ptDocumentElement) {
                if (xfbKxwTraceEnabled())
                    xfvKxwUtilReportTraceToFile("_ptDocumentElement is NULL in KxwDomHtmlDocument::SetDomPropertyInfo");
                return true;
            }
            if (ptDocumentElement->SetDir(mrtPropertyInfo.ConvertAndGetStringU16n(),
                                          mrtPropertyInfo.ConvertAndGetStringU16nLength()))
                return true;
            ReportErrorWithJavaScriptLineNumber(false, -35956, "dir");
            return false;
        }
        default:
            if (mnTinyId < kIdLocation) return KxwDomCoreDocument::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            if (xfbKxwTraceEnabled())
                xfvKxwUtilReportTraceToFile("KxwDomHtmlDocument::SetDomPropertyInfo: Unsupported property ID (%d)",
                                            mnTinyId);
            return false;
    }
}
