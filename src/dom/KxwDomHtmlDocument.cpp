// The HTML document: construction, the elements it knows (title, head, body, bases), its addresses and charset,
// the filing of the elements of its tree into its collections, its lookups, reset and write.
#include "KxwDomHtmlDocument.h"

#include <cstring>
#include <new>
#include <vector>

#include "KxwDomCoreComment.h"
#include "KxwDomNamespaceCollection.h"
#include "KxwDomDocumentSnapshotHandler.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlElementAreaAnchor.h"
#include "KxwDomHtmlElementButton.h"
#include "KxwDomHtmlElementForm.h"
#include "KxwDomHtmlElementInput.h"
#include "KxwDomHtmlElementMeta.h"
#include "KxwDomHtmlElementObject.h"
#include "KxwDomHtmlElementScript.h"
#include "KxwDomHtmlElementTitle.h"
#include "KxwDomHtmlEvent.h"
#include "KxwDomHtmlSelection.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomNodeCollections.h"
#include "KxwDomStr.h"
#include "KxwDomWatchDelete.h"
#include "KxwDomXmlResponse.h"
#include "KxwUtilStrCompare.h"
#include "KxwUtilTagName.h"
#include "KxwiUrl.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwVUserVars.h"

namespace {

struct CollectionSpec {
    const char* _pszName;
    bool _bDependent;  // a view of the document's "all", else a plain list
};

const CollectionSpec katCollectionSpecs[KXW_DOM_HTML_DOCUMENT_COLLECTION_COUNT] = {
    {"anchors", true},
    {"links", true},
    {"images", true},
    {"forms", true},
    {"applets", true},
    {"embeds", true},
    {"scripts", true},
    {"namespaces", false},
    {"DefaultCollection", true},
    {"WindowDefaultCollection", true},
    {"ControlInputText", true},
    {"ControlInputPassword", true},
    {"ControlInputHidden", true},
    {"ControlInputCheckBox", true},
    {"ControlInputFile", true},
    {"ControlInputSubmit", true},
    {"ControlInputImage", true},
    {"ControlInputReset", true},
    {"ControlInputButton", true},
    {"ControlButtonSubmit", true},
    {"ControlButtonReset", true},
    {"ControlButtonButton", true},
    {"ControlSelect", true},
    {"ControlTextArea", true},
    {"NamedMaps", true},
    {"PendingScriptSrc", false},
    {"PendingScriptDefer", false},
    {"PendingScriptCompletion", false},
    {"ScriptsWithForEvent", false},
};

constexpr uint32_t Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM meCollection) {
    return 1u << meCollection;
}

// The control collection of each INPUT type (a radio button is filed in its radio group instead).
constexpr int kaiInputTypeCollections[KXW_DOM_HTML_ELEMENT_INPUT_TYPE_COUNT] = {
    KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_TEXT,     KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_PASSWORD,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_CHECKBOX, -1,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_SUBMIT,   KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_RESET,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_FILE,     KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_HIDDEN,
    KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_IMAGE,    KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_BUTTON,
};

// The lists that file elements by what they are (the pending lists are filled by the loading, not by filing).
constexpr uint32_t kFilingCollections = ((1u << KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_SRC) - 1u) &
                                        ~Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_NAMESPACES);

const char* NotificationName(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType) {
    switch (meNotificationType) {
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED:
            return "ADDED";
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED:
            return "REMOVED";
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED:
            return "CHANGED";
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED:
            return "NAME_CHANGED";
        default:
            return "[Invalid]";
    }
}

bool IsSubtype(const KxwDomNodeBase* mptNode, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype) {
    return mptNode && mptNode->GetNodeSubtype() == meSubtype;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Construction

KxwDomHtmlDocument::KxwDomHtmlDocument(KxwMemMgr* mptMemMgr, const char* mpszCharset)
    : KxwDomCoreDocument(mptMemMgr, &_tResponseCharset, KXW_DOM_COMMON_NODE_SUBTYPE_DOCUMENT),
      _tJavascriptUrlEvaluationDepth(this, "JavascriptUrlEvaluationDepth", &xtKxwEnvCfg._bTraceEnabled),
      _tScriptEvaluationDepth(this, "ScriptEvaluationDepth", &xtKxwEnvCfg._bTraceEnabled),
      _tDocumentWriteDepth(this, "DocumentWriteDepth", &xtKxwEnvCfg._bTraceEnabled),
      _tParsingDepth(this, "ParsingDepth", &xtKxwEnvCfg._bTraceEnabled),
      _tInnerOuterHtmlDepth(this, "InnerOuterHtmlDepth", &xtKxwEnvCfg._bTraceEnabled),
      _tBaseElements(BaseList::allocator_type(mptMemMgr)),
      _tHref(GetDomEnv()),
      _tNonHrefBaseUrl(GetDomEnv()),
      _tReferer(GetDomEnv()),
      _tCookie(GetDomEnv()),
      _tDomain(GetDomEnv()),
      _tResponseCharset(mpszCharset) {
    // Every element of the document is in "all" from the start: the dependent collections follow its order.
    KxwDomHtmlCollectionOrdered* ptAll = GetAll();
    for (int i = 0; i < KXW_DOM_HTML_DOCUMENT_COLLECTION_COUNT; ++i) {
        KxwDomHtmlCollectionGeneral* ptCollection = nullptr;
        if (katCollectionSpecs[i]._bDependent) {
            auto* ptDependent = new (GetDomEnv()) KxwDomHtmlCollectionDependent(GetDomEnv());
            ptDependent->SetDependentOnCollection(ptAll);
            ptCollection = ptDependent;
        } else if (i == KXW_DOM_HTML_DOCUMENT_COLLECTION_NAMESPACES) {
            ptCollection = new (GetDomEnv()) KxwDomNamespaceCollection(GetDomEnv());
        } else {
            ptCollection = new (GetDomEnv()) KxwDomHtmlCollectionGeneral(GetDomEnv());
        }
        ptCollection->SetOwnerNode(this, katCollectionSpecs[i]._pszName);
        _aptCollections[i] = ptCollection;
    }
    if (xfbKxwTraceEnabled() && xfbKxwDetailedTraceEnabled())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomHtmlDocument(mptMemMgr=%p, charset=\"%.100s\")",
                                    static_cast<void*>(this), static_cast<void*>(mptMemMgr),
                                    _tResponseCharset.GetCharsetName());
}

KxwDomHtmlDocument::~KxwDomHtmlDocument() {
    _bDestroying = true;  // no parse is under way any more: every node goes now
    delete _ptSnapshotHandler;
    _ptSnapshotHandler = nullptr;
    ResetMetaRefresh();
    // The collections go empty before the tree: nothing of it is filed any more while it is deleted.
    for (KxwDomHtmlCollectionGeneral* ptCollection : _aptCollections)
        if (ptCollection) ptCollection->Reset();
    ForgetElementPointers(nullptr, false);
    DeleteOwnTitle();
    DeleteAllChildrenAtOnce();
    DoOnResetOrDestructorOfHtmlDocument();
    for (KxwDomHtmlCollectionGeneral*& rptCollection : _aptCollections) {
        delete rptCollection;
        rptCollection = nullptr;
    }
    _tBaseElements.clear();
    // Event objects a script still holds go with their engine objects.
    for (KxwDomHtmlEvent* ptEvent : _tReleasedEvents) {
        if (ptEvent->HasJsiObj())
            ptEvent->SetOwnedByScript();
        else
            delete ptEvent;
    }
    _tReleasedEvents.clear();
    // Last, so that a selection asked for while the tree went is not left behind.
    delete _ptSelection;
    _ptSelection = nullptr;
}

KxwDomHtmlEvent* KxwDomHtmlDocument::ObtainEventObject(KxwDomEventTarget* mptSrcElement,
                                                       KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                       const KxwDomEventData* mptDomEventDataOrNULL) {
    if (_tReleasedEvents.empty())
        return new (GetDomEnv()) KxwDomHtmlEvent(GetDomEnv(), mptSrcElement, meEventType, mptDomEventDataOrNULL);
    KxwDomHtmlEvent* ptEvent = _tReleasedEvents.back();
    _tReleasedEvents.pop_back();
    ptEvent->Reset(mptSrcElement, meEventType);
    ptEvent->SetEventData(mptDomEventDataOrNULL);
    return ptEvent;
}

void KxwDomHtmlDocument::ReleaseEventObject(KxwDomHtmlEvent* mptEvent) {
    if (!mptEvent) return;
    // A script that kept window.event goes on seeing that event, not one dispatched later to another element:
    // only an object no script has seen is used again, the others belong to their engine objects from now on.
    if (mptEvent->HasJsiObj()) {
        mptEvent->SetOwnedByScript();
        return;
    }
    _tReleasedEvents.push_back(mptEvent);
}

bool KxwDomHtmlDocument::CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    return meEventType == KXW_DOM_EVENT_TYPE_ENUM_READYSTATECHANGE ||
           meEventType == KXW_DOM_EVENT_TYPE_ENUM_DATAAVAILABLE || KxwDomCoreDocument::CanRespondToEvent(meEventType);
}

long KxwDomHtmlDocument::DecrementParsingDepth() {
    long liDepth = _tParsingDepth.Decrement();
    if (liDepth > 0) return liDepth;
    DeleteRetiredNodes();
    // Namespaced elements the parse made have their content now: they get their behaviours.
    if (!_bDestroying) GetNamespaces()->ApplyPendingBehaviors();
    return liDepth;
}

bool KxwDomHtmlDocument::IsResetAfterInitialProcessing() const {
    return !IsHtmlParsing() && (!IsDownloading() || GetJavascriptUrlEvaluationDepth() > 0);
}

// ---------------------------------------------------------------------------------------------------------------
// Title and bases

KxwDomHtmlElementTitle* KxwDomHtmlDocument::GetTitle(bool mbCreate) {
    if (_ptTitle || !mbCreate) return _ptTitle;
    KxwDomHtmlElement* ptElement =
        KxwDomHtmlElement::AllocElement(KxwUtilTagName(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TITLE), this, false);
    if (!ptElement) KxwUtilOutOfMemoryAbort(sizeof(KxwDomHtmlElementTitle), "KxwDomHtmlDocument::GetTitle");
    _ptTitle = static_cast<KxwDomHtmlElementTitle*>(ptElement);
    _bTitleOwned = true;
    return _ptTitle;
}

void KxwDomHtmlDocument::SetTitle(KxwDomHtmlElementTitle* mptTitle) {
    if (mptTitle == _ptTitle) return;
    if (_ptTitle && !_bTitleOwned)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_ptTitle (%p) not NULL in KxwDomHtmlDocument::SetTitle.  Now set to %p",
                                              static_cast<void*>(_ptTitle), static_cast<void*>(mptTitle));
    DeleteOwnTitle();
    _ptTitle = mptTitle;
}

void KxwDomHtmlDocument::SetTitle(const char* mpsfDcsStr, int miDcsLenInBytes) {
    KxwDomHtmlElementTitle* ptTitle = GetTitle(true);
    if (ptTitle) ptTitle->SetTextDcs(mpsfDcsStr, miDcsLenInBytes > 0 ? static_cast<unsigned>(miDcsLenInBytes) : 0);
}

void KxwDomHtmlDocument::DeleteOwnTitle() {
    if (!_bTitleOwned) return;
    _bTitleOwned = false;
    KxwDomHtmlElementTitle* ptTitle = _ptTitle;
    _ptTitle = nullptr;
    if (ptTitle && !ptTitle->GetParentNode() && !ptTitle->IsOnDisconnectedNodesList()) delete ptTitle;
}

const KxwDomHtmlElementBase* KxwDomHtmlDocument::GetActiveBase() const {
    return GetActiveBaseByIndex(_uActiveBaseIndex);
}

uint16_t KxwDomHtmlDocument::GetActiveBaseIndexOf(const KxwDomHtmlElementBase* mptBase) const {
    for (size_t n = 0; mptBase && n < _tBaseElements.size(); ++n)
        if (_tBaseElements[n] == mptBase) return static_cast<uint16_t>(n + 1);
    return 0;
}

const KxwDomHtmlElementBase* KxwDomHtmlDocument::GetActiveBaseByIndex(uint16_t muIndex) const {
    return muIndex > 0 && muIndex <= _tBaseElements.size() ? _tBaseElements[muIndex - 1] : nullptr;
}

void KxwDomHtmlDocument::ForgetBaseElement(const KxwDomHtmlElementBase* mptBase) {
    // The entry stays (indexes are kept by elements) and stands for no base from now on.
    for (const KxwDomHtmlElementBase*& rptEntry : _tBaseElements)
        if (rptEntry == mptBase) rptEntry = nullptr;
    NoteBaseUrlChanged();
}

void KxwDomHtmlDocument::NoteBaseUrlChanged() {
    if (++_uBaseUrlGeneration == 0) _uBaseUrlGeneration = 1;
}

void KxwDomHtmlDocument::StyleSheetLinkChanged(const KxwDomHtmlElementLink* mptLink, bool mbIsStyleSheetInDocument) {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "Style-sheet LINK %p %s the document in KxwDomHtmlDocument::StyleSheetLinkChanged for this=%p "
            "(styleSheets finds its sheets in the tree when it is read)",
            static_cast<const void*>(mptLink), mbIsStyleSheetInDocument ? "joined" : "left", static_cast<void*>(this));
}

// ---------------------------------------------------------------------------------------------------------------
// Addresses and charsets

void KxwDomHtmlDocument::SetHrefDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    _tHref.SetDcs(mpsfDcsStr ? mpsfDcsStr : "", mpsfDcsStr ? muDcsLenInBytes : 0);
    NoteBaseUrlChanged();
}

void KxwDomHtmlDocument::SetNonHrefBaseUrlDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    _tNonHrefBaseUrl.SetDcs(mpsfDcsStr ? mpsfDcsStr : "", mpsfDcsStr ? muDcsLenInBytes : 0);
    NoteBaseUrlChanged();
}

const char* KxwDomHtmlDocument::GetBaseUrlDcs(unsigned* mpuLen) const {
    const KxwDomHtmlPropertyStr& rtBase = _tNonHrefBaseUrl.IsEmpty() ? _tHref : _tNonHrefBaseUrl;
    const char* psfBase = rtBase.GetDcsStr();
    if (mpuLen) *mpuLen = psfBase ? rtBase.GetDcsLenInBytes() : 0;
    return psfBase ? psfBase : "";
}

void KxwDomHtmlDocument::SetReferer(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    _tReferer.SetDcs(mpsfDcsStr ? mpsfDcsStr : "", mpsfDcsStr ? muDcsLenInBytes : 0);
}

void KxwDomHtmlDocument::SetCookie(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    _tCookie.SetDcs(mpsfDcsStr ? mpsfDcsStr : "", mpsfDcsStr ? muDcsLenInBytes : 0);
}

std::string KxwDomHtmlDocument::GetDomainDcs() const {
    if (_tDomain.IsSpecified() && _tDomain.GetDcsStr())
        return std::string(_tDomain.GetDcsStr(), _tDomain.GetDcsLenInBytes());
    // The location answers the host of the address until a domain was written.
    if (_tHref.IsEmpty()) return std::string();
    KxwiUrlCrack tCrack(_tHref.GetDcsStr(), _tHref.GetDcsLenInBytes());
    if (!tCrack.IsValid() || !tCrack.HasAuthority()) return std::string();
    return std::string(tCrack.GetHostNameStr(), tCrack.GetHostNameLen());
}

void KxwDomHtmlDocument::SetDomainU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    _tDomain.SetU16n(mpwsfU16nStr ? mpwsfU16nStr : u"", mpwsfU16nStr ? muU16nLenInChars : 0);
}

bool KxwDomHtmlDocument::SetResponseCharset(const char* mpsfCharset, unsigned muLen) {
    if (!mpsfCharset || muLen == 0 || !xfpszKxwU16nGetCanonicalCharsetName(mpsfCharset, muLen)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Unknown charset \"%.*s\" in KxwDomHtmlDocument::SetResponseCharset for "
                                              "this=%p. Charset stays \"%.200s\"",
                                              static_cast<int>(mpsfCharset ? (muLen > 200 ? 200 : muLen) : 0),
                                              mpsfCharset ? mpsfCharset : "", static_cast<void*>(this),
                                              _tResponseCharset.GetCharsetName());
        return false;
    }
    std::string dsWas = _tResponseCharset.GetCharsetName();
    _tResponseCharset.Reset(mpsfCharset, muLen);
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "_tResponseCharset set to Charset=\"%.200s\" (was Charset=\"%.200s\") in "
            "KxwDomHtmlDocument::SetResponseCharset for this=%p, href=\"%.2000s\"",
            _tResponseCharset.GetCharsetName(), dsWas.c_str(), static_cast<void*>(this),
            _tHref.GetDcsStr() ? _tHref.GetDcsStr() : "");
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Filing the elements into the collections

KxwDomHtmlCollectionGeneral* KxwDomHtmlDocument::GetCollection(
    KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM meCollection) const {
    return meCollection >= 0 && meCollection < KXW_DOM_HTML_DOCUMENT_COLLECTION_COUNT ? _aptCollections[meCollection]
                                                                                      : nullptr;
}

const KxwDomHtmlCollectionGeneral* KxwDomHtmlDocument::GetDefaultCollection() const {
    return GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_DEFAULT);
}
KxwDomHtmlCollectionGeneral* KxwDomHtmlDocument::GetWindowDefaultCollection() const {
    return GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_WINDOW_DEFAULT);
}
KxwDomHtmlCollectionGeneral* KxwDomHtmlDocument::GetForms() const {
    return GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_FORMS);
}
KxwDomHtmlCollectionGeneral* KxwDomHtmlDocument::GetLinks() const {
    return GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_LINKS);
}
KxwDomNamespaceCollection* KxwDomHtmlDocument::GetNamespaces() const {
    return static_cast<KxwDomNamespaceCollection*>(GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_NAMESPACES));
}
KxwDomNamespace* KxwDomHtmlDocument::AddNamespaceDcs(const char* mpsfName, unsigned muNameLen, const char* mpsfUrn,
                                                     unsigned muUrnLen) {
    return GetNamespaces()->AddNamespaceDcs(mpsfName, muNameLen, mpsfUrn, muUrnLen);
}
KxwDomHtmlCollectionGeneral* KxwDomHtmlDocument::GetNamedMaps() const {
    return GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_NAMED_MAPS);
}
KxwDomHtmlCollectionGeneral* KxwDomHtmlDocument::GetControlInputText() const {
    return GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_TEXT);
}
KxwDomHtmlCollectionGeneral* KxwDomHtmlDocument::GetControlInputs(int miInputType) const {
    if (miInputType < 0 || miInputType >= KXW_DOM_HTML_ELEMENT_INPUT_TYPE_COUNT) return nullptr;
    int iCollection = kaiInputTypeCollections[miInputType];
    return iCollection < 0 ? nullptr : GetCollection(static_cast<KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM>(iCollection));
}
KxwDomHtmlCollectionGeneral* KxwDomHtmlDocument::GetControlInputImage() const {
    return GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_IMAGE);
}

uint32_t KxwDomHtmlDocument::GetFilingMask(KxwDomNodeBase* mptNode, const char* mpszNewKey, bool mbNewKeyIsId) const {
    KxwDomHtmlElement* ptElement = KxwJswUserObjBase::ConvertToElement(mptNode);
    if (!ptElement || ptElement->IsDummyContainer()) return 0;
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM eSubtype = ptElement->GetNodeSubtype();
    if (eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_COMMENT || eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_COMMENT)
        return 0;
    // The id and name as they are, or as they are about to be.
    bool bHasId = mpszNewKey && mbNewKeyIsId ? *mpszNewKey != '\0' : !ptElement->GetId().IsEmpty();
    bool bHasName = mpszNewKey && !mbNewKeyIsId ? *mpszNewKey != '\0' : !ptElement->GetName().IsEmpty();
    bool bInForm = false;
    uint32_t uMask = 0;
    switch (eSubtype) {
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_A:
            if (bHasName || bHasId) uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_ANCHORS);
            if (static_cast<KxwDomHtmlElementAreaAnchorBase*>(ptElement)->IsHrefSet())
                uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_LINKS);
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_AREA:
            if (static_cast<KxwDomHtmlElementAreaAnchorBase*>(ptElement)->IsHrefSet())
                uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_LINKS);
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_IMG:
            uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_IMAGES);
            if (bHasName) uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_DEFAULT);
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_IFRAME:
            if (bHasName) uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_DEFAULT);
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FORM:
            uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_FORMS);
            if (bHasName) uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_DEFAULT);
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_INPUT: {
            // Radio inputs belong to the radio groups instead.
            KXW_DOM_HTML_ELEMENT_INPUT_TYPE_ENUM eType = static_cast<KxwDomHtmlElementInput*>(ptElement)->GetTypeEnum();
            int iCollection = kaiInputTypeCollections[eType];
            if (iCollection >= 0) uMask |= Bit(static_cast<KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM>(iCollection));
            bInForm = static_cast<KxwDomHtmlElementFormControl*>(ptElement)->IsInForm();
            break;
        }
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BUTTON: {
            KXW_DOM_HTML_BUTTON_TYPE_ENUM eType = static_cast<KxwDomHtmlElementButton*>(ptElement)->GetTypeEnum();
            uMask |= 1u << (KXW_DOM_HTML_DOCUMENT_COLLECTION_BUTTON_SUBMIT + eType);
            bInForm = static_cast<KxwDomHtmlElementFormControl*>(ptElement)->IsInForm();
            break;
        }
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SELECT:
            uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_SELECT);
            bInForm = static_cast<KxwDomHtmlElementFormControl*>(ptElement)->IsInForm();
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TEXTAREA:
            uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_TEXTAREA);
            bInForm = static_cast<KxwDomHtmlElementFormControl*>(ptElement)->IsInForm();
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_MAP:
            if (bHasName) uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_NAMED_MAPS);
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SCRIPT:
            uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_SCRIPTS);
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OBJECT:
            if (static_cast<KxwDomHtmlElementObject*>(ptElement)->IsApplet())
                uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_APPLETS);
            if (bHasName || bHasId) uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_DEFAULT);
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_APPLET:
            uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_APPLETS);
            if (bHasName) uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_DEFAULT);
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_EMBED:
            uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_EMBEDS);
            if (bHasName) uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_DEFAULT);
            break;
        default:
            break;
    }
    if (!bInForm) uMask |= Bit(KXW_DOM_HTML_DOCUMENT_COLLECTION_WINDOW_DEFAULT);
    return uMask;
}

void KxwDomHtmlDocument::NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                                    void* mpvNotificationObject) {
    KxwDomWatchDelete tWatchThis("KxwDomHtmlDocument::NotifyThis", this);
    KxwDomCoreDocument::NotifyThis(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
    if (tWatchThis.HasBeenDeleted()) return;
    switch (meNotificationType) {
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED:
            ObjectAddedRemovedNotified(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
            break;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_DELETING_DESCENDANTS:
            RemovingDescendantsFromDocumentNotified(static_cast<KxwDomNodeBase*>(mpvNotificationSubject));
            break;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_AREA_ANCHOR_HREF_SET:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_AREA_ANCHOR_HREF_CLEARED:
            AreaAnchorHrefNotified(meNotificationType, static_cast<KxwDomNodeBase*>(mpvNotificationSubject));
            break;
        default:
            break;
    }
}

void KxwDomHtmlDocument::NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                                  void* mpvNotificationSubject, void* mpvNotificationObject) {
    KxwDomWatchDelete tWatchThis("KxwDomHtmlDocument::NotifyThisAfterAncestors", this);
    KxwDomCoreDocument::NotifyThisAfterAncestors(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
    if (tWatchThis.HasBeenDeleted() || meNotificationType != KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED) return;
    ObjectAddedRemovedNotified(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
}

void KxwDomHtmlDocument::ObjectAddedRemovedNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                                    void* mpvNotificationSubject, void* mpvNotificationObject) {
    if (xfbKxwTraceEnabled() && xfbKxwDetailedTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "Reached KxwDomHtmlDocument::ObjectAddedRemovedNotified(meNotificationType=%d=%.20s, "
            "mpvNotificationSubject=%p, mpvNotificationObject=%p) for this=%p",
            static_cast<int>(meNotificationType), NotificationName(meNotificationType), mpvNotificationSubject,
            mpvNotificationObject, static_cast<void*>(this));
    if (!mpvNotificationSubject || !mpvNotificationObject) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "NULL pointer(s) in KxwDomHtmlDocument::ObjectAddedRemovedNotified(meNotificationType=%d, "
            "mpvNotificationSubject=%p, mpvNotificationObject=%p) for this=%p",
            static_cast<int>(meNotificationType), mpvNotificationSubject, mpvNotificationObject,
            static_cast<void*>(this));
        return;
    }
    auto* ptSubject = static_cast<KxwDomNodeBase*>(mpvNotificationSubject);
    KxwDomHtmlElement* ptElement = KxwJswUserObjBase::ConvertToElement(ptSubject);
    switch (meNotificationType) {
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_ADDED:
            if (ptElement) FileAddedElement(ptElement);
            break;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED:
            if (ptElement) UnfileRemovedElement(ptElement);
            break;
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED:
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_NAME_CHANGED:
            if (ptElement) RekeyElement(meNotificationType, ptElement, static_cast<const char*>(mpvNotificationObject));
            break;
        default:
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "Invalid meNotificationType (%d) in KxwDomHtmlDocument::ObjectAddedRemovedNotified",
                static_cast<int>(meNotificationType));
            break;
    }
}

void KxwDomHtmlDocument::FileAddedElement(KxwDomHtmlElement* mptElement) {
    if (mptElement->IsDummyContainer()) return;
    uint32_t uMask = GetFilingMask(mptElement, nullptr, false);
    for (int i = 0; i < KXW_DOM_HTML_DOCUMENT_COLLECTION_COUNT; ++i)
        if (uMask & (1u << i)) _aptCollections[i]->AddItem(mptElement);
    KxwDomCoreNode* ptParent = mptElement->GetDomParentNode();
    switch (mptElement->GetNodeSubtype()) {
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HTML:
            if (ptParent == this && !GetDocumentElement()) SetDocumentElement(mptElement);
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HEAD:
            if (!_ptHead) _ptHead = mptElement;
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY:
            if (!_ptBody) _ptBody = mptElement;
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FRAMESET:
            SetIsFrameSetDocument(true);
            if (!_ptBody) _ptBody = mptElement;
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TITLE:
            // The first TITLE of the tree is the document's; one made for a script's title gives way to it.
            if (!_ptTitle || _bTitleOwned) SetTitle(static_cast<KxwDomHtmlElementTitle*>(mptElement));
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BASE: {
            auto* ptBase = static_cast<const KxwDomHtmlElementBase*>(mptElement);
            uint16_t uIndex = GetActiveBaseIndexOf(ptBase);
            if (uIndex == 0 && _tBaseElements.size() < 0xFFFF) {
                _tBaseElements.push_back(ptBase);
                uIndex = static_cast<uint16_t>(_tBaseElements.size());
            }
            if (uIndex) _uActiveBaseIndex = uIndex;
            break;
        }
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_META: {
            auto* ptMeta = static_cast<KxwDomHtmlElementMeta*>(mptElement);
            if (ptMeta->IsRefresh() || ptMeta->IsRefreshToAddress()) SetMetaRefresh(ptMeta);
            break;
        }
        default:
            break;
    }
    mptElement->NotifyDocumentConnection(*this, true);
}

void KxwDomHtmlDocument::UnfileRemovedElement(KxwDomHtmlElement* mptElement) {
    KxwDomWatchDelete tWatchElement("KxwDomHtmlDocument::UnfileRemovedElement", mptElement);
    mptElement->NotifyDocumentConnection(*this, false);
    if (tWatchElement.HasBeenDeleted()) return;
    // What decides the lists an element is in (id, name, href, type, form) changes only with a notification, so
    // the lists it is in now are the lists it was filed into.
    uint32_t uMask = GetFilingMask(mptElement, nullptr, false);
    for (int i = 0; i < KXW_DOM_HTML_DOCUMENT_COLLECTION_COUNT; ++i)
        if (uMask & (1u << i)) _aptCollections[i]->RemoveItem(mptElement, false);
    if (mptElement->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BASE)
        xfvKxwUtilReportBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_NOTICE,
            "Removing <BASE> tags not supported yet in KxwDomHtmlDocument::ObjectAddedRemovedNotified");
    ForgetElementPointers(mptElement, false);
}

void KxwDomHtmlDocument::RekeyElement(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                      KxwDomHtmlElement* mptElement, const char* mpszNewKey) {
    bool bIsId = meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED;
    uint32_t uWas = GetFilingMask(mptElement, nullptr, false);
    uint32_t uWill = GetFilingMask(mptElement, mpszNewKey, bIsId);
    for (int i = 0; i < KXW_DOM_HTML_DOCUMENT_COLLECTION_COUNT; ++i) {
        uint32_t uBit = 1u << i;
        if (!(kFilingCollections & uBit)) continue;
        KxwDomHtmlCollectionGeneral* ptCollection = _aptCollections[i];
        if ((uWas & uBit) && (uWill & uBit)) {
            ptCollection->UpdateCollection(meNotificationType, mptElement, const_cast<char*>(mpszNewKey));
        } else if (uWas & uBit) {
            ptCollection->RemoveItem(mptElement, false);
        } else if (uWill & uBit) {
            // Filed under the value it has now, then re-keyed to the one it is about to take.
            if (ptCollection->AddItem(mptElement)) ptCollection->NotifyIdOrNameChanged(mptElement, mpszNewKey, bIsId);
        }
    }
}

void KxwDomHtmlDocument::RemovingDescendantsFromDocumentNotified(KxwDomNodeBase* mptTopOfRemoved) {
    if (!mptTopOfRemoved) return;
    for (KxwDomHtmlCollectionGeneral* ptCollection : _aptCollections)
        ptCollection->RemoveDescendantOfInHtmlDocument(mptTopOfRemoved);
    ForgetElementPointers(mptTopOfRemoved, true);
}

void KxwDomHtmlDocument::AreaAnchorHrefNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                                KxwDomNodeBase* mptSubject) {
    bool bSet = meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_AREA_ANCHOR_HREF_SET;
    if (!IsSubtype(mptSubject, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_A) &&
        !IsSubtype(mptSubject, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_AREA)) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "ptElementAreaAnchorBase is NULL for ptNodeBase=%p / NodeSubtype=%d, in KxwDomHtmlDocument::NotifyThis "
            "for this=%p, meNotificationType=%d=AREA_ANCHOR_HREF_%s",
            static_cast<void*>(mptSubject), mptSubject ? static_cast<int>(mptSubject->GetNodeSubtype()) : -1,
            static_cast<void*>(this), static_cast<int>(meNotificationType), bSet ? "SET" : "CLEARED");
        return;
    }
    KxwDomHtmlCollectionGeneral* ptLinks = GetLinks();
    if (bSet) {
        if (!ptLinks->IsItemFound(mptSubject)) ptLinks->AddItem(mptSubject);
    } else {
        ptLinks->RemoveItem(mptSubject, false);
    }
}

void KxwDomHtmlDocument::ForgetElementPointers(const KxwDomNodeBase* mptNode, bool mbDescendantsOnly) {
    // Null: everything; else the node itself, or only what lies under it.
    auto tGoes = [mptNode, mbDescendantsOnly](const KxwDomNodeBase* mptHeld) {
        if (!mptHeld) return false;
        if (!mptNode) return true;
        return mbDescendantsOnly ? mptHeld->IsDescendantOf(mptNode) : mptHeld == mptNode;
    };
    if (tGoes(_ptHead)) _ptHead = nullptr;
    if (tGoes(_ptBody)) _ptBody = nullptr;
    if (!_bTitleOwned && tGoes(_ptTitle)) _ptTitle = nullptr;
    if (tGoes(_ptActiveElement)) _ptActiveElement = nullptr;
    if (tGoes(_ptMetaRefresh)) ResetMetaRefresh();
    if (!mptNode) return;
    // A script that leaves the document before its turn does not run later from a dangling entry.
    for (auto eList :
         {KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_SRC, KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_DEFER,
          KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_COMPLETION,
          KXW_DOM_HTML_DOCUMENT_COLLECTION_SCRIPTS_WITH_FOR_EVENT}) {
        KxwDomHtmlCollectionGeneral* ptList = _aptCollections[eList];
        if (ptList->IsEmpty()) continue;
        if (mbDescendantsOnly)
            ptList->RemoveDescendantOfInHtmlDocument(mptNode);
        else
            ptList->RemoveItem(const_cast<KxwDomNodeBase*>(mptNode), false);
    }
}

void KxwDomHtmlDocument::ForgetDeletedNode(const KxwDomNodeBase* mptNode) {
    KxwDomCoreDocument::ForgetDeletedNode(mptNode);
    for (KxwDomHtmlCollectionGeneral* ptCollection : _aptCollections) ptCollection->ForgetDeletedNode(mptNode);
    if (_ptHead == mptNode) _ptHead = nullptr;
    if (_ptBody == mptNode) _ptBody = nullptr;
    if (_ptTitle == mptNode) {
        _ptTitle = nullptr;
        _bTitleOwned = false;
    }
    if (_ptActiveElement == mptNode) _ptActiveElement = nullptr;
    if (_ptMetaRefresh == mptNode) ResetMetaRefresh();
}

// ---------------------------------------------------------------------------------------------------------------
// Lookups

KxwDomBase* KxwDomHtmlDocument::GetItem(const char* mpszName, bool mbByIdentifier) {
    if (!mpszName) return nullptr;
    // Netscape's documents name their window defaultView (pages reach getComputedStyle through it).
    if (_ptWindow && std::strcmp(mpszName, "defaultView") == 0 && xfbKxwDomUtilIsNS()) return _ptWindow;
    if (IsFrameSetDocument()) return nullptr;
    // A frame's content window answers for its element once windows exist.
    return GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_DEFAULT)->GetItem(mpszName, mbByIdentifier);
}

namespace {

struct IdQuery {
    const char16_t* _pwsfId;
    unsigned _uLen;
};

bool EqualsIgnoringAsciiCase(const KxwDomHtmlPropertyStr& mrtValue, const IdQuery& mrtQuery) {
    const char16_t* pwsfValue = mrtValue.GetU16nStr();
    return pwsfValue && xfbKxwUtilU16nIsEqualIgnoreCaseAssumeAscii(pwsfValue, mrtValue.GetU16nLenInChars(),
                                                                   mrtQuery._pwsfId, mrtQuery._uLen);
}

// The id index files the document's text of the values; the values as scripts see them decide.
bool IsElementWithId(const KxwDomNodeBase* mptNode, const void* mpvQuery) {
    const auto& rtQuery = *static_cast<const IdQuery*>(mpvQuery);
    return KxwJswUserObjBase::ConvertToElement(const_cast<KxwDomNodeBase*>(mptNode)) &&
           (EqualsIgnoringAsciiCase(mptNode->GetId(), rtQuery) || EqualsIgnoringAsciiCase(mptNode->GetName(), rtQuery));
}

}  // namespace

KxwDomHtmlElement* KxwDomHtmlDocument::GetElementById(const char16_t* mpwsfId, unsigned muLen) {
    if (!mpwsfId || muLen == 0) return nullptr;
    KxwDomHtmlCollectionOrdered* ptAll = GetAll();
    if (!ptAll) return nullptr;
    // Looked up in the index of "all" by identifier (id or name, ASCII case ignored): the first match in document
    // order, without a walk of the document.
    KxwU16nHandler* ptHandler = GetU16nHandler() ? GetU16nHandler() : xfptKxwU16nHandlerGetDefault();
    std::string dsKey(ptHandler->GetMaxDcsLenInBytes(muLen), '\0');
    dsKey.resize(ptHandler->ConvertU16nToDcs(mpwsfId, muLen, dsKey.data(), dsKey.size()));
    IdQuery tQuery{mpwsfId, muLen};
    KxwDomNodeBase* ptFound =
        ptAll->GetFirstByIdentifier(dsKey.data(), static_cast<unsigned>(dsKey.size()), &IsElementWithId, &tQuery);
    return KxwJswUserObjBase::ConvertToElement(ptFound);
}

KxwDomNodeBase* KxwDomHtmlDocument::GetLastElementWithId(const KxwDomStr& mrtId) {
    KxwDomNodeBase* ptLast = nullptr;
    if (KxwDomHtmlCollectionOrdered* ptAll = GetAll())
        for (KxwDomNodeBase* ptNode : *ptAll)
            if (ptNode && !ptNode->GetId().IsEmpty() && ptNode->GetId() == mrtId) ptLast = ptNode;
    return ptLast;
}

// ---------------------------------------------------------------------------------------------------------------
// Content

void KxwDomHtmlDocument::Reset() {
    ++_uResetGeneration;
    KxwDomWatchDelete tWatchThis("KxwDomHtmlDocument::Reset", this);
    for (KxwDomHtmlCollectionGeneral* ptCollection : _aptCollections) ptCollection->Reset();
    if (KxwDomHtmlCollectionOrdered* ptAll = GetAll()) KxwDomNodeCollections::Current().Reset(ptAll);
    ForgetElementPointers(nullptr, false);
    DeleteOwnTitle();
    _tBaseElements.clear();
    _uActiveBaseIndex = 0;
    NoteBaseUrlChanged();
    SetIsFrameSetDocument(false);
    SetIsDownloading(false);
    SetIsHtmlParsing(false);
    SetDocumentElement(nullptr);
    DeleteAllChildrenAtOnce();
    if (tWatchThis.HasBeenDeleted()) return;
    ClearScriptObjectProperties();
    DoOnResetOrDestructorOfHtmlDocument();
    if (_ptSnapshotHandler) {
        // The body kept for the snapshot was the old content's.
        _ptSnapshotHandler->Reset();
        xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_SNAPSHOT_RESET, this, nullptr);
    }
}

KxwDomDocumentSnapshotHandler* KxwDomHtmlDocument::GetSnapshotHandler() {
    if (!_ptSnapshotHandler) {
        KxwVUserVars* ptVUserVars =
            KxwVUserVars::_fptGet("KxwDomHtmlDocument::GetSnapshotHandler", KXW_VUSER_VARS_MAY_BE_ABSENT);
        if (ptVUserVars) _ptSnapshotHandler = new KxwDomDocumentSnapshotHandler(ptVUserVars, this);
    }
    return _ptSnapshotHandler;
}

KxwDomXmlResponse* KxwDomHtmlDocument::ObtainXmlResponse() {
    if (!_ptXmlResponse) {
        _ptXmlResponse.reset(new (std::nothrow) KxwDomXmlResponse(*this));
        if (!_ptXmlResponse) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomXmlResponse)), "KxwDomXmlResponse");
    }
    return _ptXmlResponse.get();
}

void KxwDomHtmlDocument::DoOnResetOrDestructorOfHtmlDocument() {
    _ptXmlResponse.reset();
    DoOnResetOrDestructor();
    // Parked nodes deleted just now may have been BASE elements.
    _tBaseElements.clear();
    _uActiveBaseIndex = 0;
}

void KxwDomHtmlDocument::ClearScriptObjectProperties() {
    // What scripts added to the document belonged to its old content.
    if (!PeekJsiObj()) return;
    KxwJsval tThis;
    std::vector<std::u16string> tNames;
    if (!tThis.SetDomObject(this) || !tThis.GetOwnPropertyNames(tNames)) return;
    for (const std::u16string& rdsName : tNames) tThis.DeleteOwnProperty(rdsName.data(), rdsName.size());
}

void KxwDomHtmlDocument::Write(const char* mpszHtmlStr, bool mbCheckInitialProcessing) {
    Write(mpszHtmlStr, mpszHtmlStr ? static_cast<unsigned>(std::strlen(mpszHtmlStr)) : 0, mbCheckInitialProcessing);
}

void KxwDomHtmlDocument::Write(const char* mpsfHtmlStr, unsigned muLen, bool mbCheckInitialProcessing) {
    if (!mpsfHtmlStr) return;
    KxwDomWatchDelete tWatchThis("KxwDomHtmlDocument::Write", this);
    bool bNewDocument = mbCheckInitialProcessing && IsInitialProcessingEnded() && !IsHtmlParsing() &&
                        !IsWriteAfterInitialProcessing() && (!IsDownloading() || GetJavascriptUrlEvaluationDepth() > 0);
    if (bNewDocument) {
        SetIsWriteAfterInitialProcessing(true);
        // The new document takes the address of the window whose script writes it: without windows that is this
        // document's own window, so the address stays.
        std::string dsBaseUrl(_tHref.GetDcsStr() ? _tHref.GetDcsStr() : "", _tHref.GetDcsLenInBytes());
        if (dsBaseUrl.empty()) {
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "Invalid pszBaseUrlStr=%p / nBaseUrlLen=%ld in KxwDomHtmlDocument::Write for this=%p. "
                "ptInitiatorWindow=%p, ptObjMgr=%p, mpszHtmlStr=\"%.2000s\"",
                static_cast<const void*>(dsBaseUrl.c_str()), 0L, static_cast<void*>(this), static_cast<void*>(nullptr),
                static_cast<void*>(nullptr), std::string(mpsfHtmlStr, muLen).c_str());
        }
        // The window's reset empties the document for the new content; the old content's timers go with it.
        if (_ptWindow) _ptWindow->GetTimeoutStatus().Reset();
        Reset();
        if (tWatchThis.HasBeenDeleted()) return;
        SetIsWriteAfterInitialProcessing(true);
        SetHrefDcs(dsBaseUrl.data(), static_cast<unsigned>(dsBaseUrl.size()));
    }
    KxwDomStr tText(GetDomEnv(), mpsfHtmlStr, muLen);
    IncrementDocumentWriteDepth();
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT, this, &tText);
    if (!tWatchThis.HasBeenDeleted()) DecrementDocumentWriteDepth();
}

void KxwDomHtmlDocument::VerifyNonEmptyBodyElement() {
    if (!_ptBody) Write("<BODY></BODY>", false);
}

void KxwDomHtmlDocument::VerifyNonEmptyDocumentElement() {
    if (!GetDocumentElement()) Write("<BODY></BODY>", false);
}

KxwDomHtmlElement* KxwDomHtmlDocument::CreateDummyContainerElement(const char* mpszCallingFunctionNameStr) {
    KxwDomHtmlElement* ptDummy =
        KxwDomHtmlElement::AllocElement(KxwUtilTagName(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HTML), this, false);
    if (!ptDummy) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Failed to allocate a dummy HTML-element container in fptCreateDummyContainerElement from %.100s. "
            "mptForElement=%p=\"%.100s\", ptDummyContainerElement=%p",
            mpszCallingFunctionNameStr ? mpszCallingFunctionNameStr : "", static_cast<void*>(this), "#document",
            static_cast<void*>(ptDummy));
        return nullptr;
    }
    ptDummy->SetIsDummyContainer(true);
    return ptDummy;
}

KXW_DOM_HTML_READY_STATE_ENUM KxwDomHtmlDocument::GetReadyStateRaw() const {
    if (IsDownloading() || IsHtmlParsing()) return KXW_DOM_HTML_READY_STATE_LOADING;
    // The lesser of the images' state and the window's (a document without window is complete on its own).
    return GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_IMAGES)->GetReadyStateRaw();
}

// ---------------------------------------------------------------------------------------------------------------
// Hierarchy dump

void KxwDomHtmlDocument::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const {
    if (!xfbKxwUtilIsSevLvlEnabled(meSevLvl)) return;
    auto tPrintable = [](const KxwDomHtmlPropertyStr& mrtText, size_t mnMaxLen) {
        return GetPrintableText(mrtText.GetDcsStr(), mrtText.GetDcsLenInBytes(), mnMaxLen);
    };
    std::string dsName = tPrintable(GetName(), 100);
    std::string dsHref = tPrintable(_tHref, 1000);
    std::string dsTitle = _ptTitle ? tPrintable(_ptTitle->GetText(), 100) : std::string();
    std::string dsReferer = tPrintable(_tReferer, 1000);
    xfvKxwUtilReportBySevLvl(meSevLvl,
                             "%*s%s, name=\"%.100s\", location.href=\"%.1000s\", title=\"%.100s\", "
                             "referer=\"%.1000s\" (%sspecified), this=%p",
                             GetPrintingEffectiveIndent(miIndent), "", GetNodeTypeAsAscStr(), dsName.c_str(),
                             dsHref.c_str(), dsTitle.c_str(), dsReferer.c_str(), _tReferer.IsSpecified() ? "" : "not ",
                             static_cast<const void*>(this));
    if (!(mulMask & KXW_DOM_PRINT_MASK_COLLECTIONS)) return;
    // The collections in the order of their script-visible names; those the document does not keep say so.
    struct PrintedCollection {
        const char* _pszName;
        int _iCollection;  // KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM, kAll or kNone
    };
    constexpr int kAll = -1;
    constexpr int kNone = -2;
    static const PrintedCollection katPrinted[] = {
        {"all", kAll},
        {"anchors", KXW_DOM_HTML_DOCUMENT_COLLECTION_ANCHORS},
        {"links", KXW_DOM_HTML_DOCUMENT_COLLECTION_LINKS},
        {"images", KXW_DOM_HTML_DOCUMENT_COLLECTION_IMAGES},
        {"forms", KXW_DOM_HTML_DOCUMENT_COLLECTION_FORMS},
        {"applets", KXW_DOM_HTML_DOCUMENT_COLLECTION_APPLETS},
        {"scripts", KXW_DOM_HTML_DOCUMENT_COLLECTION_SCRIPTS},
        {"ScriptsWithForEvent", kNone},
        {"styleSheets", kNone},
        {"DefaultCollection", KXW_DOM_HTML_DOCUMENT_COLLECTION_DEFAULT},
        {"WindowDefaultCollection", KXW_DOM_HTML_DOCUMENT_COLLECTION_WINDOW_DEFAULT},
        {"ControlInputText", KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_TEXT},
        {"ControlInputPassword", KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_PASSWORD},
        {"ControlInputHidden", KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_HIDDEN},
        {"ControlInputCheckBox", KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_CHECKBOX},
        {"ControlInputFile", KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_FILE},
        {"ControlInputSubmit", KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_SUBMIT},
        {"ControlInputImage", KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_IMAGE},
        {"ControlInputReset", KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_RESET},
        {"ControlInputButton", KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_BUTTON},
        {"ControlButtonSubmit", KXW_DOM_HTML_DOCUMENT_COLLECTION_BUTTON_SUBMIT},
        {"ControlButtonReset", KXW_DOM_HTML_DOCUMENT_COLLECTION_BUTTON_RESET},
        {"ControlButtonButton", KXW_DOM_HTML_DOCUMENT_COLLECTION_BUTTON_BUTTON},
        {"ControlSelect", KXW_DOM_HTML_DOCUMENT_COLLECTION_SELECT},
        {"ControlTextArea", KXW_DOM_HTML_DOCUMENT_COLLECTION_TEXTAREA},
        {"NamedMaps", KXW_DOM_HTML_DOCUMENT_COLLECTION_NAMED_MAPS},
    };
    for (const PrintedCollection& rtPrinted : katPrinted) {
        const KxwDomHtmlCollectionGeneral* ptCollection = nullptr;
        if (rtPrinted._iCollection == kAll)
            ptCollection = PeekAll();
        else if (rtPrinted._iCollection != kNone)
            ptCollection = _aptCollections[rtPrinted._iCollection];
        if (ptCollection)
            ptCollection->PrintCollection(rtPrinted._pszName, miIndent + 1, meSevLvl);
        else
            KxwDomHtmlCollectionGeneral::PrintMissingCollection(rtPrinted._pszName, miIndent + 1, meSevLvl);
    }
    PrintDisconnectedNodesList(miIndent + 1, meSevLvl);
}
