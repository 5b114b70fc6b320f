#include "KxwDomHtmlElement.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "KxwDomAttributeCollection.h"
#include "KxwDomBindingUtil.h"
#include "KxwDomCoreTextNode.h"
#include "KxwDomDummyObject.h"
#include "KxwDomGenerateInnerOuterHtml.h"
#include "KxwDomGenerateInnerText.h"
#include "KxwDomHtcDocument.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementAreaAnchor.h"
#include "KxwDomHtmlElementRareProperties.h"
#include "KxwDomHtmlStyle.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomNamespaceCollection.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomStr.h"
#include "KxwDomTextRange.h"
#include "KxwDomTraverseHierarchy.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"
#include "KxwLayoutMgr.h"
#include "KxwMemMgr.h"
#include "KxwU16nHandler.h"
#include "KxwUtilStrCompare.h"
#include "KxwUtilTagName.h"
#include "KxwiUrl.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwJswGlobal.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

// Tiny ids of "element" (222 to 255, then 0 to 6) as the class receives them.
enum : short {
    kIdStyle = -34,
    kIdCurrentStyle = -33,
    kIdRuntimeStyle = -32,
    kIdConnectionType = -31,
    kIdScrollWidth = -30,
    kIdScrollHeight = -29,
    kIdScrollLeft = -28,
    kIdScrollTop = -27,
    kIdClientWidth = -26,
    kIdClientHeight = -25,
    kIdClientTop = -24,
    kIdClientLeft = -23,
    kIdOffsetWidth = -22,
    kIdOffsetHeight = -21,
    kIdOffsetTop = -20,
    kIdOffsetLeft = -19,
    kIdInnerHTML = -18,
    kIdOuterHTML = -17,
    kIdOffsetParent = -16,
    kIdParentElement = -15,
    kIdDocument = -14,
    kIdFilters = -13,
    kIdInnerText = -12,
    kIdClassName = -11,
    kIdDir = -10,
    kIdScopeName = -9,
    kIdReadyState = -8,
    kIdSourceIndex = -7,
    kIdCanHaveChildren = -6,
    kIdCanHaveHTML = -5,
    kIdIsContentEditable = -4,
    kIdIsDisabled = -3,
    kIdIsMultiLine = -2,
    kIdIsTextEdit = -1,
    kIdOuterText = 0,
    kIdParentTextEdit = 1,
    kIdId = 2,
    kIdTitle = 3,
    kIdLang = 4,
    kIdAccessKey = 5,
    kIdTabIndex = 6,
};

constexpr uint16_t kRO = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY;
constexpr uint16_t kRW = KXW_JSW_PROP_PERMANENT;
constexpr uint16_t kAttr = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE;

const KxwJswPropertySpec katElementProperties[] = {
    {"style", 222, kRO, nullptr},
    {"currentStyle", 223, kRO, nullptr},
    {"runtimeStyle", 224, kRO, nullptr},
    {"connectionType", 225, kRO, nullptr},
    {"scrollWidth", 226, kRO, nullptr},
    {"scrollHeight", 227, kRO, nullptr},
    {"scrollLeft", 228, kRW, "i"},
    {"scrollTop", 229, kRW, "i"},
    {"clientWidth", 230, kRO, nullptr},
    {"clientHeight", 231, kRO, nullptr},
    {"clientTop", 232, kRO, nullptr},
    {"clientLeft", 233, kRO, nullptr},
    {"offsetWidth", 234, kRO, nullptr},
    {"offsetHeight", 235, kRO, nullptr},
    {"offsetTop", 236, kRO, nullptr},
    {"offsetLeft", 237, kRO, nullptr},
    {"innerHTML", 238, kRW, "S"},
    {"outerHTML", 239, kRW, "S"},
    {"offsetParent", 240, kRO, nullptr},
    {"parentElement", 241, kRO, nullptr},
    {"document", 242, kRO, nullptr},
    {"filters", 243, kRO, nullptr},
    {"innerText", 244, kRW, "S"},
    {"className", 245, kAttr, "S"},
    {"dir", 246, kAttr, "S"},
    {"scopeName", 247, kRO, nullptr},
    {"readyState", 248, kRO, nullptr},
    {"sourceIndex", 249, kRO, nullptr},
    {"canHaveChildren", 250, kRO, nullptr},
    {"canHaveHTML", 251, kRO, nullptr},
    {"isContentEditable", 252, kRO, nullptr},
    {"isDisabled", 253, kRO, nullptr},
    {"isMultiLine", 254, kRO, nullptr},
    {"isTextEdit", 255, kRO, nullptr},
    {"outerText", 0, kRW, "S"},
    {"parentTextEdit", 1, kRO, nullptr},
    {"id", 2, kAttr, "S"},
    {"title", 3, kAttr, "S"},
    {"lang", 4, kAttr, "S"},
    {"accessKey", 5, kAttr, "S"},
    {"tabIndex", 6, kAttr, "i"},
    {nullptr, 0, 0, nullptr},
};

void AssignUserObjOrNull(KxwDomPropertyInfo& mrtPropertyInfo, const KxwJswUserObjBase* mptUserObj) {
    if (mptUserObj)
        mrtPropertyInfo = mptUserObj;
    else
        mrtPropertyInfo.AssignNull();
}

bool IsAsciiEqualIgnoringCase(const char16_t* mpwsf, unsigned muLen, const char* mpszAsc) {
    size_t nAscLen = std::strlen(mpszAsc);
    if (muLen != nAscLen) return false;
    for (unsigned n = 0; n < muLen; ++n) {
        char16_t c1 = mpwsf[n];
        char c2 = mpszAsc[n];
        if (c1 >= 'A' && c1 <= 'Z') c1 = static_cast<char16_t>(c1 + 32);
        if (c2 >= 'A' && c2 <= 'Z') c2 = static_cast<char>(c2 + 32);
        if (c1 != static_cast<char16_t>(c2)) return false;
    }
    return true;
}

const KxwDomHtmlPropertyStr& SharedEmptyProperty() {
    static KxwDomEnv tNoEnv(nullptr, static_cast<KxwU16nHandler*>(nullptr));
    static const KxwDomHtmlPropertyStr ktEmpty(tNoEnv);
    return ktEmpty;
}

const KxwDomHtmlPropertyNumLong& SharedZeroNumber() {
    static const KxwDomHtmlPropertyNumLong ktZero(0);
    return ktZero;
}

KxwiRunTimeSettings* CurrentRTS() {
    if (KxwiRunTimeSettings* ptRTS = xfptKxwDomUtilGetRTS()) return ptRTS;
    return const_cast<KxwiRunTimeSettings*>(xtKxwEnvCfg._ptInitialRTS);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Construction

KxwDomHtmlElement::KxwDomHtmlElement(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                                     bool mbUseMemMgr)
    : KxwDomCoreElement(mptOwnerDocument, mbUseMemMgr && mptOwnerDocument ? mptOwnerDocument->GetMemMgr() : nullptr,
                        meSubtype),
      _tId(GetDomEnv()),
      _tClassName(GetDomEnv()) {
    if (xfbKxwTraceEnabled() && xfbKxwDetailedTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "<%p>: KxwDomHtmlElement(mptOwnerDocument=%p, meNodeSubtype=%d=%.100s, mbUseMemMgr=%d)",
            static_cast<void*>(this), static_cast<void*>(mptOwnerDocument), static_cast<int>(meSubtype),
            xfpszKxwDomGetNodeSubtypeText(meSubtype), mbUseMemMgr ? 1 : 0);
}

KxwDomHtmlElement::~KxwDomHtmlElement() {
    KxwMemMgr* ptMemMgr = GetMemMgr();
    auto tFree = [ptMemMgr](void* mpvBlock) {
        if (ptMemMgr)
            ptMemMgr->Free(mpvBlock);
        else
            std::free(mpvBlock);
    };
    if (_ptRareProperties) {
        // The behaviour goes first: it takes its listeners off the element, its document and its window.
        KxwDomHtcDocument* ptBehavior = _ptRareProperties->_ptBehavior;
        _ptRareProperties->_ptBehavior = nullptr;
        delete ptBehavior;
        for (KxwDomHtmlStyle*& rptStyle : _ptRareProperties->_aptStyles) {
            delete rptStyle;
            rptStyle = nullptr;
        }
        _ptRareProperties->~RareProperties();
        tFree(_ptRareProperties);
    }
    if (_ptStyleText) {
        _ptStyleText->~KxwDomHtmlPropertyStr();
        tFree(_ptStyleText);
    }
}

KxwDomHtmlElement::RareProperties& KxwDomHtmlElement::ObtainRareProperties() {
    if (_ptRareProperties) return *_ptRareProperties;
    KxwMemMgr* ptMemMgr = GetMemMgr();
    void* pvBlock = ptMemMgr ? ptMemMgr->Alloc(sizeof(RareProperties), 8) : std::malloc(sizeof(RareProperties));
    if (!pvBlock)
        KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(RareProperties)),
                                "KxwDomHtmlElement properties (title, lang, accessKey, dir, tabIndex)");
    _ptRareProperties = new (pvBlock) RareProperties(GetDomEnv());
    return *_ptRareProperties;
}

// ---------------------------------------------------------------------------------------------------------------
// Tag and document

const char16_t* KxwDomHtmlElement::GetNodeNameU16n(unsigned* mpuLenInChars) const {
    // The tag texts in UTF-16, made once for the process.
    static const std::vector<std::u16string> ktTagNames = [] {
        std::vector<std::u16string> tNames(KXW_DOM_COMMON_NODE_SUBTYPE_TEXT_COUNT);
        for (int i = 0; i < KXW_DOM_COMMON_NODE_SUBTYPE_TEXT_COUNT; ++i)
            if (const char* pszTag = xfpszKxwUtilGetTagNameBySubtype(i))
                tNames[static_cast<size_t>(i)].assign(pszTag, pszTag + std::strlen(pszTag));
        return tNames;
    }();
    int iSubtype = GetNodeSubtype();
    const std::u16string& rdsName = iSubtype >= 0 && iSubtype < KXW_DOM_COMMON_NODE_SUBTYPE_TEXT_COUNT
                                        ? ktTagNames[static_cast<size_t>(iSubtype)]
                                        : ktTagNames[0];
    if (mpuLenInChars) *mpuLenInChars = static_cast<unsigned>(rdsName.size());
    return rdsName.c_str();
}

const char* KxwDomHtmlElement::GetTagNameDcsStr() const {
    const char* pszTag = xfpszKxwUtilGetTagNameBySubtype(GetNodeSubtype());
    return pszTag ? pszTag : "";
}

unsigned KxwDomHtmlElement::GetTagNameDcsLenInBytes() const {
    return static_cast<unsigned>(std::strlen(GetTagNameDcsStr()));
}

const char* KxwDomHtmlElement::GetTagNameOrInvalidDcsStr() const {
    const char* pszTag = GetTagNameDcsStr();
    return *pszTag ? pszTag : "[Invalid Tag Name]";
}

const char16_t* KxwDomHtmlElement::GetScopeNameU16nStr(unsigned* mpuLenInChars) const {
    if (mpuLenInChars) *mpuLenInChars = 4;
    return u"HTML";
}

KxwDomHtmlDocument* KxwDomHtmlElement::GetOwnerHtmlDocument(bool mbReportIfNull) const {
    KxwDomCoreDocument* ptDocument = GetOwnerDocument(mbReportIfNull);
    return ptDocument ? ptDocument->AsHtmlDocument() : nullptr;
}

void KxwDomHtmlElement::NotifyDocumentConnection(KxwDomHtmlDocument& mrtDocument, bool mbConnectedToDocument) {
    KxwDomHtmlDocument* ptOwner = GetOwnerHtmlDocument(false);
    if (ptOwner != &mrtDocument) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "KxwDomHtmlElement::NotifyDocumentConnection(&mrtDocument=%p, mbConnectedToDocument=%d) when "
            "OwnerDocument=%p for this=%p, NodeSubtype=%d=%.100s",
            static_cast<void*>(&mrtDocument), mbConnectedToDocument ? 1 : 0, static_cast<void*>(ptOwner),
            static_cast<void*>(this), static_cast<int>(GetNodeSubtype()), GetNodeTypeAsAscStr());
        return;
    }
    // A behaviour the style names is asked for once, when the element first joins its document: leaving it and
    // coming back (a script moving the element) does not ask again.
    // An element of a declared namespace gets the behaviour its namespace imported for its tag.
    if (mbConnectedToDocument && GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_NAMESPACED_ELEMENT && !GetBehavior()) {
        KxwDomWatchDelete tWatchThis("KxwDomHtmlElement::NotifyDocumentConnection", this);
        if (KxwDomNamespaceCollection* ptNamespaces = mrtDocument.GetNamespaces())
            ptNamespaces->NotifyNamespacedElementConnected(*this);
        if (tWatchThis.HasBeenDeleted()) return;
    }
    if (mbConnectedToDocument && !(_ucElementFlags & kFlagBehaviorRequested)) {
        const KxwDomHtmlPropertyStr* ptStyleText = GetStyleText();
        if (ptStyleText && ptStyleText->GetDcsStr()) {
            KxwDomWatchDelete tWatchThis("KxwDomHtmlElement::NotifyDocumentConnection", this);
            // The address is taken from the text before anyone hears of it.
            if (KxwDomHtmlStyle::RequestBehavior(*this, ptStyleText->GetDcsStr(), ptStyleText->GetDcsLenInBytes())) {
                if (tWatchThis.HasBeenDeleted()) return;
                SetElementFlag(kFlagBehaviorRequested, true);
            }
        }
    }
    if (xfbKxwTraceEnabled() && xfbKxwDetailedTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "KxwDomHtmlElement::NotifyDocumentConnection(&mrtDocument=%p, mbConnectedToDocument=%d) for this=%p, "
            "NodeSubtype=%d=%.100s",
            static_cast<void*>(&mrtDocument), mbConnectedToDocument ? 1 : 0, static_cast<void*>(this),
            static_cast<int>(GetNodeSubtype()), GetNodeTypeAsAscStr());
}

void KxwDomHtmlElement::SetElementBase(const KxwDomHtmlElementBase* mptElementBase) {
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    _uElementBaseIndex = ptDocument && mptElementBase ? ptDocument->GetActiveBaseIndexOf(mptElementBase) : 0;
}

const KxwDomHtmlElementBase* KxwDomHtmlElement::GetElementBase() const {
    if (_uElementBaseIndex == 0) return nullptr;
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    return ptDocument ? ptDocument->GetActiveBaseByIndex(_uElementBaseIndex) : nullptr;
}

const char* KxwDomHtmlElement::GetBaseURL(unsigned* mpuLen) const {
    if (const KxwDomHtmlElementBase* ptBase = GetElementBase()) {
        unsigned uLen = 0;
        const char* psfHref = ptBase->GetResolvedHrefDcs(&uLen);
        if (uLen > 0) {
            if (xfbKxwTraceEnabled())
                xfvKxwUtilReportTraceToFile(
                    "Using BASE (%p) href=\"%.1000s\" for element=%p in KxwDomHtmlElement::GetBaseURL",
                    static_cast<const void*>(ptBase), psfHref, static_cast<const void*>(this));
            if (mpuLen) *mpuLen = uLen;
            return psfHref;
        }
    }
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    if (!ptDocument) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile("ptHtmlDocument is NULL for element=%p in KxwDomHtmlElement::GetBaseURL",
                                        static_cast<const void*>(this));
        if (mpuLen) *mpuLen = 0;
        return "";
    }
    return ptDocument->GetBaseUrlDcs(mpuLen);
}

bool KxwDomHtmlElement::IsConnectedToDocument() const {
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    return ptDocument && GetRoot() == ptDocument;
}

// ---------------------------------------------------------------------------------------------------------------
// The common properties

bool KxwDomHtmlElement::IsName(const char* mpszName, const char* mpszAscName) {
    for (; *mpszName && *mpszAscName; ++mpszName, ++mpszAscName) {
        char c1 = *mpszName, c2 = *mpszAscName;
        if (c1 >= 'A' && c1 <= 'Z') c1 = static_cast<char>(c1 + 32);
        if (c2 >= 'A' && c2 <= 'Z') c2 = static_cast<char>(c2 + 32);
        if (c1 != c2) return false;
    }
    return *mpszName == '\0' && *mpszAscName == '\0';
}

void KxwDomHtmlElement::AssignTemporaryText(KxwDomPropertyInfo& mrtPropertyInfo, std::u16string&& mrdsText) {
    thread_local std::u16string tdsTemporary;
    tdsTemporary = std::move(mrdsText);
    mrtPropertyInfo.AssignU16nStr(tdsTemporary.data(), static_cast<unsigned>(tdsTemporary.size()), true);
}

std::u16string KxwDomHtmlElement::ToU16n(const char* mpsfDcsStr, unsigned muDcsLenInBytes) const {
    if (!mpsfDcsStr || muDcsLenInBytes == 0) return std::u16string();
    KxwU16nHandler* ptHandler = const_cast<KxwDomHtmlElement*>(this)->GetU16nHandler();
    if (!ptHandler) ptHandler = xfptKxwU16nHandlerGetDefault();
    std::u16string dsText(ptHandler->GetMaxU16nLenInChars(muDcsLenInBytes), u'\0');
    dsText.resize(ptHandler->ConvertDcsToU16n(mpsfDcsStr, muDcsLenInBytes, dsText.data(), dsText.size()));
    return dsText;
}

std::string KxwDomHtmlElement::ResolveUrlDcs(const KxwDomHtmlPropertyStr& mrtUrl) const {
    const char* psfUrl = mrtUrl.GetDcsStr();
    unsigned uUrlLen = psfUrl ? mrtUrl.GetDcsLenInBytes() : 0;
    if (uUrlLen == 0) return std::string();
    unsigned uBaseLen = 0;
    const char* psfBase = GetBaseURL(&uBaseLen);
    std::string dsResult;
    if (CombineUrlDcs(psfBase, uBaseLen, psfUrl, uUrlLen, dsResult)) return dsResult;
    return std::string(psfUrl, uUrlLen);
}

bool KxwDomHtmlElement::CombineUrlDcs(const char* mpsfBase, unsigned muBaseLen, const char* mpsfUrl, unsigned muUrlLen,
                                      std::string& mrdsResult) {
    if (!mpsfBase || muBaseLen == 0 || !mpsfUrl) return false;
    mrdsResult.assign(muUrlLen + muBaseLen + 64, '\0');
    size_t nResultLen = 0;
    if (KxwiUrlCombine::Combine(mpsfBase, muBaseLen, mpsfUrl, muUrlLen, mrdsResult.data(), mrdsResult.size(),
                                &nResultLen)) {
        mrdsResult.resize(nResultLen);
        return true;
    }
    // The combiner tells the length it needed: a long URL is combined again, never cut.
    if (nResultLen >= mrdsResult.size() && nResultLen < (1u << 30)) {
        mrdsResult.assign(nResultLen + 1, '\0');
        if (KxwiUrlCombine::Combine(mpsfBase, muBaseLen, mpsfUrl, muUrlLen, mrdsResult.data(), mrdsResult.size(),
                                    &nResultLen)) {
            mrdsResult.resize(nResultLen);
            return true;
        }
    }
    mrdsResult.clear();
    return false;
}

void KxwDomHtmlElement::AssignResolvedUrl(KxwDomPropertyInfo& mrtPropertyInfo,
                                          const KxwDomHtmlPropertyStr& mrtUrl) const {
    if (mrtUrl.IsEmpty()) {
        mrtPropertyInfo.AssignEmptyStr();
        return;
    }
    std::string dsUrl = ResolveUrlDcs(mrtUrl);
    AssignTemporaryText(mrtPropertyInfo, ToU16n(dsUrl.data(), static_cast<unsigned>(dsUrl.size())));
}

std::string KxwDomHtmlElement::ToDcs(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) const {
    if (!mpwsfU16nStr || muU16nLenInChars == 0) return std::string();
    KxwU16nHandler* ptHandler = const_cast<KxwDomHtmlElement*>(this)->GetU16nHandler();
    if (!ptHandler) ptHandler = xfptKxwU16nHandlerGetDefault();
    std::string dsDcs(ptHandler->GetMaxDcsLenInBytes(muU16nLenInChars), '\0');
    dsDcs.resize(ptHandler->ConvertU16nToDcs(mpwsfU16nStr, muU16nLenInChars, dsDcs.data(), dsDcs.size()));
    return dsDcs;
}

void KxwDomHtmlElement::ChangeIdentifierDcs(KxwDomHtmlPropertyStr& mrtProperty,
                                            KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, const char* mpsfDcsStr,
                                            unsigned muDcsLenInBytes) {
    if (!mpsfDcsStr) muDcsLenInBytes = 0;
    bool bSame = mrtProperty.IsSpecified() && mrtProperty.IsEqualDcs(mpsfDcsStr ? mpsfDcsStr : "", muDcsLenInBytes);
    if (!bSame && GetParentNode()) {
        // The collections above file the element under the value it has now; they re-key it before it changes.
        KxwDomWatchDelete tWatchThis("KxwDomHtmlElement::ChangeIdentifierDcs", this);
        std::string dsNew(mpsfDcsStr ? mpsfDcsStr : "", muDcsLenInBytes);
        NotifyAncestors(meNotificationType, this, const_cast<char*>(dsNew.c_str()));
        if (tWatchThis.HasBeenDeleted()) return;
    }
    mrtProperty.SetDcs(mpsfDcsStr ? mpsfDcsStr : "", muDcsLenInBytes);
}

void KxwDomHtmlElement::ChangeIdentifierU16n(KxwDomHtmlPropertyStr& mrtProperty,
                                             KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                             const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    if (!GetParentNode()) {
        mrtProperty.SetU16n(mpwsfU16nStr ? mpwsfU16nStr : u"", mpwsfU16nStr ? muU16nLenInChars : 0);
        return;
    }
    std::string dsDcs = ToDcs(mpwsfU16nStr, muU16nLenInChars);
    ChangeIdentifierDcs(mrtProperty, meNotificationType, dsDcs.data(), static_cast<unsigned>(dsDcs.size()));
}

void KxwDomHtmlElement::ChangeIdentifierParsed(KxwDomHtmlPropertyStr& mrtProperty,
                                               KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                               const char* mpszParsedValue) {
    const char* pszValue = ParsedText(mpszParsedValue);
    if (mrtProperty.IsSpecified()) return;  // the markup's first value stays
    if (!GetParentNode()) {
        mrtProperty.SetParsed(pszValue);
        return;
    }
    ChangeIdentifierDcs(mrtProperty, meNotificationType, pszValue, static_cast<unsigned>(std::strlen(pszValue)));
}

void KxwDomHtmlElement::SetIdDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    ChangeIdentifierDcs(_tId, KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED, mpsfDcsStr, muDcsLenInBytes);
}
void KxwDomHtmlElement::SetIdU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    ChangeIdentifierU16n(_tId, KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED, mpwsfU16nStr, muU16nLenInChars);
}
void KxwDomHtmlElement::SetIdParsed(const char* mpszParsedValue) {
    ChangeIdentifierParsed(_tId, KXW_DOM_COMMON_NOTIFICATION_ENUM_CHANGED, mpszParsedValue);
}

const KxwDomHtmlPropertyStr& KxwDomHtmlElement::GetTitle() const {
    return _ptRareProperties ? _ptRareProperties->_tTitle : SharedEmptyProperty();
}
void KxwDomHtmlElement::SetTitleDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    ObtainRareProperties()._tTitle.SetDcs(mpsfDcsStr, muDcsLenInBytes);
}
void KxwDomHtmlElement::SetTitleU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    ObtainRareProperties()._tTitle.SetU16n(mpwsfU16nStr, muU16nLenInChars);
}
void KxwDomHtmlElement::SetTitleParsed(const char* mpszParsedValue) {
    ObtainRareProperties()._tTitle.SetParsed(ParsedText(mpszParsedValue));
}

const KxwDomHtmlPropertyStr& KxwDomHtmlElement::GetLang() const {
    return _ptRareProperties ? _ptRareProperties->_tLang : SharedEmptyProperty();
}
void KxwDomHtmlElement::SetLangDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    ObtainRareProperties()._tLang.SetDcs(mpsfDcsStr, muDcsLenInBytes);
}
void KxwDomHtmlElement::SetLangU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    ObtainRareProperties()._tLang.SetU16n(mpwsfU16nStr, muU16nLenInChars);
}
void KxwDomHtmlElement::SetLangParsed(const char* mpszParsedValue) {
    ObtainRareProperties()._tLang.SetParsed(ParsedText(mpszParsedValue));
}

const KxwDomHtmlPropertyStr& KxwDomHtmlElement::GetAccessKey() const {
    return _ptRareProperties ? _ptRareProperties->_tAccessKey : SharedEmptyProperty();
}
void KxwDomHtmlElement::SetAccessKeyDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    ObtainRareProperties()._tAccessKey.SetDcs(mpsfDcsStr, muDcsLenInBytes);
}
void KxwDomHtmlElement::SetAccessKeyU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    ObtainRareProperties()._tAccessKey.SetU16n(mpwsfU16nStr, muU16nLenInChars);
}
void KxwDomHtmlElement::SetAccessKeyParsed(const char* mpszParsedValue) {
    ObtainRareProperties()._tAccessKey.SetParsed(ParsedText(mpszParsedValue));
}

void KxwDomHtmlElement::SetClassNameDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    _tClassName.SetDcs(mpsfDcsStr, muDcsLenInBytes);
}
void KxwDomHtmlElement::SetClassNameU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    _tClassName.SetU16n(mpwsfU16nStr, muU16nLenInChars);
}
void KxwDomHtmlElement::SetClassParsed(const char* mpszParsedValue) {
    _tClassName.SetParsed(ParsedText(mpszParsedValue));
}

const KxwDomHtmlPropertyNumLong& KxwDomHtmlElement::GetTabIndex() const {
    return _ptRareProperties ? _ptRareProperties->_tTabIndex : SharedZeroNumber();
}
long KxwDomHtmlElement::GetLongTabIndex() const {
    return GetTabIndex().GetLong();
}
void KxwDomHtmlElement::SetTabIndexParsed(const char* mpszParsedValue) {
    // A tab index the markup writes badly is no tab index at all.
    if (!mpszParsedValue ||
        xfliKxwDomUtilGetHtmlNumberOrLongMax(mpszParsedValue, static_cast<unsigned>(std::strlen(mpszParsedValue))) ==
            KXW_HTML_NUMBER_NONE)
        return;
    ObtainRareProperties()._tTabIndex.SetParsed(mpszParsedValue);
}

const KxwDomHtmlPropertyStr& KxwDomHtmlElement::GetDir() const {
    return _ptRareProperties ? _ptRareProperties->_tDir : SharedEmptyProperty();
}
bool KxwDomHtmlElement::SetDir(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    if (!mpwsfU16nStr) mpwsfU16nStr = u"";
    if (muU16nLenInChars == 0) {
        if (_ptRareProperties) _ptRareProperties->_tDir.SetU16n(u"", 0);
        return true;
    }
    if (IsAsciiEqualIgnoringCase(mpwsfU16nStr, muU16nLenInChars, "ltr")) {
        ObtainRareProperties()._tDir.SetDcs("ltr", 3);
        return true;
    }
    if (IsAsciiEqualIgnoringCase(mpwsfU16nStr, muU16nLenInChars, "rtl")) {
        ObtainRareProperties()._tDir.SetDcs("rtl", 3);
        return true;
    }
    return false;
}
void KxwDomHtmlElement::SetDirParsed(const char* mpszParsedValue) {
    if (GetDir().IsSpecified()) return;
    std::u16string dsValue;
    for (const char* psz = ParsedText(mpszParsedValue); *psz; ++psz)
        dsValue += static_cast<char16_t>(static_cast<unsigned char>(*psz));
    SetDir(dsValue.data(), static_cast<unsigned>(dsValue.size()));
}

void KxwDomHtmlElement::SetStyleParsed(const char* mpszParsedValue) {
    if (!_ptStyleText) {
        KxwMemMgr* ptMemMgr = GetMemMgr();
        void* pvBlock =
            ptMemMgr ? ptMemMgr->Alloc(sizeof(KxwDomHtmlPropertyStr), 8) : std::malloc(sizeof(KxwDomHtmlPropertyStr));
        if (!pvBlock)
            KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomHtmlPropertyStr)),
                                    "the style text in KxwDomHtmlElement::SetStyleParsed");
        _ptStyleText = new (pvBlock) KxwDomHtmlPropertyStr(GetDomEnv());
    }
    _ptStyleText->SetParsed(ParsedText(mpszParsedValue));
    if (KxwDomHtmlStyle* ptStyle = PeekStyleObject(KxwDomHtmlStyle::KXW_STYLE_TYPE_STYLE))
        ptStyle->SetStyleParsed(ParsedText(mpszParsedValue));
}

const KxwDomHtmlPropertyStr* KxwDomHtmlElement::GetStyleText() const {
    if (KxwDomHtmlStyle* ptStyle = PeekStyleObject(KxwDomHtmlStyle::KXW_STYLE_TYPE_STYLE))
        return ptStyle->GetComposedStyleText(_ptStyleText && _ptStyleText->IsSpecified());
    return _ptStyleText;
}

KxwDomHtmlStyle* KxwDomHtmlElement::PeekStyleObject(int miStyleType) const {
    if (!_ptRareProperties || miStyleType < 0 || miStyleType > 2) return nullptr;
    return _ptRareProperties->_aptStyles[miStyleType];
}

KxwDomHtmlStyle* KxwDomHtmlElement::ObtainStyleObject(int miStyleType) {
    if (miStyleType < 0 || miStyleType > 2) return nullptr;
    KxwDomHtmlStyle*& rptStyle = ObtainRareProperties()._aptStyles[miStyleType];
    if (rptStyle) return rptStyle;
    KxwMemMgr* ptMemMgr = GetMemMgr();
    rptStyle = new (ptMemMgr)
        KxwDomHtmlStyle(ptMemMgr, GetU16nHandler(), this, static_cast<KxwDomHtmlStyle::StyleType>(miStyleType));
    if (!rptStyle)
        KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomHtmlStyle)),
                                "a style property object (KxwDomHtmlStyle, NOT KxwDomHtmlElementStyle)");
    // The style's declarations are the style attribute's; the computed and run-time styles start empty.
    if (miStyleType == KxwDomHtmlStyle::KXW_STYLE_TYPE_STYLE && _ptStyleText && _ptStyleText->GetDcsStr())
        rptStyle->SetStyleParsed(std::string(_ptStyleText->GetDcsStr(), _ptStyleText->GetDcsLenInBytes()).c_str());
    return rptStyle;
}

void KxwDomHtmlElement::EnumerateSubtreeMembers(KxwDomSubtreeMemberSink& mrtSink) {
    KxwDomCoreElement::EnumerateSubtreeMembers(mrtSink);
    if (_ptRareProperties)
        for (KxwDomHtmlStyle* ptStyle : _ptRareProperties->_aptStyles)
            if (ptStyle) mrtSink.AddUserObj(ptStyle);
}

bool KxwDomHtmlElement::GetStringStylePropertyFromRTS(const char* mpszPropertyName, std::string& mrdsValue) const {
    if (!mpszPropertyName || std::strcmp(mpszPropertyName, "height") != 0) return false;
    KxwiRunTimeSettings* ptRTS = CurrentRTS();
    if (!ptRTS) return false;
    mrdsValue = GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DIV ? ptRTS->GetDefaultDivStyleHeight()
                                                                                 : ptRTS->GetDefaultStyleHeight();
    return !mrdsValue.empty();
}

void KxwDomHtmlElement::ClearAttributes() {
    _tClassName.RemoveValue();
    if (_ptRareProperties) {
        _ptRareProperties->_tTitle.RemoveValue();
        _ptRareProperties->_tLang.RemoveValue();
        _ptRareProperties->_tAccessKey.RemoveValue();
        _ptRareProperties->_tDir.RemoveValue();
        _ptRareProperties->_tTabIndex.SetLong(0);
        _ptRareProperties->_tTabIndex.SetSpecified(false);
    }
    while (!GetAdditionalAttrs().IsEmpty()) GetAdditionalAttrs().RemoveFirstAttr();
}

// ---------------------------------------------------------------------------------------------------------------
// Parsed attributes

bool KxwDomHtmlElement::AddParsedAttr(const char* mpszNameDcsStr, const char* mpszValueDcsStrOrNULL) {
    if (!mpszNameDcsStr || !*mpszNameDcsStr) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpszNameDcsStr=%p in KxwDomHtmlElement::AddParsedAttr for this=%p",
            static_cast<const void*>(mpszNameDcsStr), static_cast<void*>(this));
        return false;
    }
    if (SetParsedProperty(mpszNameDcsStr, mpszValueDcsStrOrNULL)) return true;
    // The root element's "xmlns:prefix" attributes declare the document's namespaces.
    if (GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HTML &&
        xfbKxwUtilIsEqualIgnoreCase(mpszNameDcsStr, std::min<size_t>(std::strlen(mpszNameDcsStr), 6), "xmlns:", 6)) {
        if (KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false)) {
            const char* pszValue = ParsedText(mpszValueDcsStrOrNULL);
            ptDocument->AddNamespaceDcs(mpszNameDcsStr + 6, static_cast<unsigned>(std::strlen(mpszNameDcsStr + 6)),
                                        pszValue, static_cast<unsigned>(std::strlen(pszValue)));
        }
        return true;
    }
    // A handler attribute becomes the element's listener, compiled when it first runs; the attribute stays for
    // getAttribute and generated HTML.
    if ((mpszNameDcsStr[0] | 0x20) == 'o' && (mpszNameDcsStr[1] | 0x20) == 'n' && mpszValueDcsStrOrNULL) {
        KXW_DOM_EVENT_TYPE_ENUM eType = GetEventEnum("KxwDomHtmlElement::AddParsedAttr", mpszNameDcsStr,
                                                     static_cast<unsigned>(std::strlen(mpszNameDcsStr)), false);
        if (eType != KXW_DOM_EVENT_TYPE_ENUM_NONE && CanRespondToEvent(eType)) {
            KxwDomStr tCode(GetDomEnv());
            tCode.AssignU16FromDcs(mpszValueDcsStrOrNULL, static_cast<unsigned>(std::strlen(mpszValueDcsStrOrNULL)));
            CreateAndAddEventListenerIfEligible(KXW_DOM_EVENT_LISTENER_TYPE_HTML_ATTRIBUTE, eType, tCode.GetU16nStr(),
                                                tCode.GetU16nLenInChars());
        }
    }
    return KxwDomCoreElement::AddParsedAttr(mpszNameDcsStr, mpszValueDcsStrOrNULL);
}

bool KxwDomHtmlElement::CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_CONTENTREADY) return true;
    switch (GetNodeSubtype()) {
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FRAMESET:
            if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_BLUR || meEventType == KXW_DOM_EVENT_TYPE_ENUM_CONTEXTMENU ||
                meEventType == KXW_DOM_EVENT_TYPE_ENUM_FOCUS || meEventType == KXW_DOM_EVENT_TYPE_ENUM_LOAD ||
                meEventType == KXW_DOM_EVENT_TYPE_ENUM_UNLOAD)
                return true;
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SCRIPT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_XML:
            if (meEventType == KXW_DOM_EVENT_TYPE_ENUM_READYSTATECHANGE) return true;
            break;
        default:
            break;
    }
    return KxwDomCoreElement::CanRespondToEvent(meEventType);
}

KxwDomEventTarget* KxwDomHtmlElement::GetEventHandlerHolder(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM eSubtype = GetNodeSubtype();
    if (eSubtype != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY &&
        eSubtype != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FRAMESET)
        return this;
    if (meEventType != KXW_DOM_EVENT_TYPE_ENUM_BLUR && meEventType != KXW_DOM_EVENT_TYPE_ENUM_FOCUS &&
        meEventType != KXW_DOM_EVENT_TYPE_ENUM_LOAD && meEventType != KXW_DOM_EVENT_TYPE_ENUM_UNLOAD)
        return this;
    // The page's body stands for its window: its handlers of these events are the window's.
    KxwDomHtmlWindow* ptOwnerWindow = GetOwnerWindow();
    if (!ptOwnerWindow) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY
                                                  ? "ptOwnerWindow == NULL in "
                                                    "KxwDomHtmlElementBody::CreateAndAddEventListenerIfEligible"
                                                  : "ptOwnerWindow == NULL in "
                                                    "KxwDomHtmlElementFrameSet::CreateAndAddEventListenerIfEligible");
        return this;
    }
    return ptOwnerWindow;
}

bool KxwDomHtmlElement::CreateAndAddEventListenerIfEligible(KXW_DOM_EVENT_LISTENER_TYPE_ENUM meListenerType,
                                                            KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                            const char16_t* mpwsfCode, unsigned muCodeLen) {
    KxwDomEventTarget* ptHolder = GetEventHandlerHolder(meEventType);
    if (ptHolder == this)
        return KxwDomCoreElement::CreateAndAddEventListenerIfEligible(meListenerType, meEventType, mpwsfCode,
                                                                      muCodeLen);
    // A frameset's attribute takes the place of the handler its window has.
    if (GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FRAMESET &&
        meListenerType == KXW_DOM_EVENT_LISTENER_TYPE_HTML_ATTRIBUTE)
        ptHolder->RemoveRegularEventListener(meEventType);
    return ptHolder->CreateAndAddEventListenerIfEligible(meListenerType, meEventType, mpwsfCode, muCodeLen);
}

bool KxwDomHtmlElement::SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) {
    switch (mpszName[0] | 0x20) {
        case 'i':
            if (IsName(mpszName, "id")) return SetIdParsed(mpszValueOrNull), true;
            break;
        case 't':
            if (IsName(mpszName, "title")) return SetTitleParsed(mpszValueOrNull), true;
            if (IsName(mpszName, "tabindex")) return SetTabIndexParsed(mpszValueOrNull), true;
            break;
        case 'l':
            if (IsName(mpszName, "lang")) return SetLangParsed(mpszValueOrNull), true;
            break;
        case 'a':
            if (IsName(mpszName, "accesskey")) return SetAccessKeyParsed(mpszValueOrNull), true;
            break;
        case 'c':
            if (IsName(mpszName, "class")) return SetClassParsed(mpszValueOrNull), true;
            break;
        case 'd':
            if (IsName(mpszName, "dir")) return SetDirParsed(mpszValueOrNull), true;
            break;
        case 's':
            if (IsName(mpszName, "style")) return SetStyleParsed(mpszValueOrNull), true;
            break;
        default:
            break;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// Text

std::u16string KxwDomHtmlElement::GetInnerText() const {
    // A style sheet is no text of the page.
    if (GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_STYLE) return std::u16string();
    KxwDomGenerateInnerText tGenerate;
    tGenerate.Generate(const_cast<KxwDomHtmlElement*>(this));
    return std::move(tGenerate.GetText());
}

void KxwDomHtmlElement::AddDataToInnerText(std::u16string& mrdsText) const {
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM eSubtype = GetNodeSubtype();
    if (eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_P ||
        eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BR)
        mrdsText += u"\r\n";
}

bool KxwDomHtmlElement::SetInnerTextU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    if (!mpwsfU16nStr || muU16nLenInChars == 0) return true;
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(true);
    KxwDomCoreTextNode* ptTextNode =
        ptDocument ? KxwDomCoreTextNode::AllocTextNode(ptDocument, GetMemMgr() != nullptr) : nullptr;
    if (!ptTextNode) {
        if (ptDocument) KxwUtilOutOfMemoryAbort(64, "TextNode object");
        return false;
    }
    ptTextNode->SetNodeValueU16n(mpwsfU16nStr, muU16nLenInChars);
    if (!AppendChild(ptTextNode)) {
        delete ptTextNode;
        return false;
    }
    return true;
}

bool KxwDomHtmlElement::AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    if (!mpsfDcsStr || muDcsLenInBytes == 0) return true;
    KxwDomNodeBase* ptLast = GetLastChild();
    if (ptLast && ptLast->GetNodeType() == KXW_DOM_COMMON_NODE_TYPE_TEXT) {
        auto* ptTextNode = dynamic_cast<KxwDomCoreTextNode*>(ptLast);
        if (!ptTextNode) {
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "ptTextNode is NULL in KxwDomCoreNode::AddInnerTextDcs for this=%p",
                                                  static_cast<void*>(this));
            return false;
        }
        const KxwDomHtmlPropertyStr& rtOld = ptTextNode->GetNodeValue();
        std::string dsJoined;
        if (rtOld.GetDcsStr()) dsJoined.assign(rtOld.GetDcsStr(), rtOld.GetDcsLenInBytes());
        dsJoined.append(mpsfDcsStr, muDcsLenInBytes);
        ptTextNode->SetNodeValueDcs(dsJoined.data(), static_cast<unsigned>(dsJoined.size()));
        return true;
    }
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(true);
    KxwDomCoreTextNode* ptTextNode =
        ptDocument ? KxwDomCoreTextNode::AllocTextNode(ptDocument, GetMemMgr() != nullptr) : nullptr;
    if (!ptTextNode) return false;
    ptTextNode->SetNodeValueDcs(mpsfDcsStr, muDcsLenInBytes);
    if (AppendChild(ptTextNode)) return true;
    delete ptTextNode;
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// Generated markup

std::string KxwDomHtmlElement::GenerateInnerOuterHtml(bool mbOuter) {
    KxwDomGenerateInnerOuterHtml tGenerate(this, mbOuter);
    tGenerate.Generate();
    return tGenerate.TakeDcs();
}

std::u16string KxwDomHtmlElement::GetInnerOuterHtml(bool mbOuter) {
    std::string dsMarkup = GenerateInnerOuterHtml(mbOuter);
    return ToU16n(dsMarkup.data(), static_cast<unsigned>(dsMarkup.size()));
}

void KxwDomHtmlElement::AddDataToInnerOuterHtml(KxwDomHtmlTextsStr& mrtText) const {
    switch (GetNodeSubtype()) {
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SCRIPT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TABLE:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_THEAD:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TBODY:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TFOOT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TR:
            mrtText.ConcatNewLine();
            break;
        default:
            break;
    }
    GenerateHtmlOpeningTagPrefix(mrtText);
    GenerateHtmlProperties(mrtText);
    GenerateJSProperties(mrtText);
    GenerateHtmlOpeningTagSuffix(mrtText);
}

void KxwDomHtmlElement::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlProperty("class", _tClassName);
    mrtText.ConcatHtmlProperty("dir", GetDir());
    // Through the accessor, so that the style object, once there is one, answers its current text.
    if (const KxwDomHtmlPropertyStr* ptStyleText = GetStyleText()) mrtText.ConcatHtmlProperty("style", *ptStyleText);
    mrtText.ConcatHtmlProperty("id", _tId);
    mrtText.ConcatHtmlProperty("title", GetTitle());
    mrtText.ConcatHtmlProperty("lang", GetLang());
    mrtText.ConcatHtmlProperty("accessKey", GetAccessKey());
    mrtText.ConcatHtmlProperty("tabIndex", GetTabIndex());
    KxwDomCoreElement::GenerateHtmlProperties(mrtText);
}

void KxwDomHtmlElement::GenerateJSProperties(KxwDomHtmlTextsStr& mrtText) const {
    // Only an element that scripts have reached has an engine object with properties of its own.
    if (!PeekJsiObj()) return;
    auto* ptThis = const_cast<KxwDomHtmlElement*>(this);
    KxwJsval tThis;
    std::vector<std::u16string> tNames;
    if (!tThis.SetDomObject(ptThis) || !tThis.GetOwnPropertyNames(tNames)) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid ptProtoObj(%p) / patJsIdArray(%p) for ptJsiCtx=%p, ptJsiObj=%p and this=%p in "
            "KxwDomHtmlElement::GenerateJSProperties",
            static_cast<void*>(nullptr), static_cast<void*>(nullptr), static_cast<void*>(nullptr),
            static_cast<void*>(PeekJsiObj()), static_cast<const void*>(this));
        return;
    }
    // A name that could not be an attribute's (a script may use any text) is left out rather than written into
    // the tag, where it would end the tag or start another.
    auto IsAttributeName = [](const std::u16string& mrdsName) {
        if (mrdsName.empty()) return false;
        for (char16_t wc : mrdsName)
            if (wc <= u' ' || wc == u'"' || wc == u'\'' || wc == u'<' || wc == u'>' || wc == u'/' || wc == u'=' ||
                wc == 0x7F)
                return false;
        return true;
    };
    for (const std::u16string& rdsName : tNames) {
        if (!IsAttributeName(rdsName)) continue;
        std::string dsName = ToDcs(rdsName.data(), static_cast<unsigned>(rdsName.size()));
        // A name the class declares is the class's property, written (or not) by the class.
        if (dsName.empty() || FindDeclaredProperty(dsName, false)) continue;
        KxwJsval tValue;
        // Only stored values are markup: an accessor's getter is page code, and generating markup runs none.
        if (!tThis.GetOwnDataProperty(rdsName.data(), rdsName.size(), tValue)) continue;
        if (tValue.IsBoolean()) {
            const char* pszBool = tValue.GetBoolean() ? "true" : "false";
            mrtText.ConcatHtmlPropertyByValue(dsName.data(), static_cast<int>(dsName.size()), pszBool,
                                              static_cast<int>(std::strlen(pszBool)));
            continue;
        }
        if (!tValue.IsString() && !tValue.IsNumber()) continue;
        // A number is written as scripts show it (1.5, 1e-7), so that the attribute reads back the same value.
        unsigned uLen = 0;
        const char16_t* pwsfText = tValue.GetStringU16n(&uLen);
        std::string dsValue = ToDcs(pwsfText, pwsfText ? uLen : 0);
        mrtText.ConcatHtmlPropertyByValue(dsName.data(), static_cast<int>(dsName.size()), dsValue.data(),
                                          static_cast<int>(dsValue.size()));
    }
}

void KxwDomHtmlElement::GenerateHtmlOpeningTagPrefix(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlOpeningTagPrefix(GetTagNameDcsStr(), static_cast<int>(GetTagNameDcsLenInBytes()));
}

void KxwDomHtmlElement::GenerateHtmlOpeningTagSuffix(KxwDomHtmlTextsStr& mrtText) const {
    mrtText.ConcatHtmlOpeningTagSuffix();
}

void KxwDomHtmlElement::GenerateHtmlNonTextNodeInnerText(KxwDomHtmlTextsStr&) const {}

void KxwDomHtmlElement::GenerateHtmlClosingTag(KxwDomHtmlTextsStr& mrtText) const {
    if (CanHaveChildren())
        mrtText.ConcatHtmlClosingTag(GetTagNameDcsStr(), static_cast<int>(GetTagNameDcsLenInBytes()));
}

// ---------------------------------------------------------------------------------------------------------------
// Markup set by scripts: the text goes to the outside parser, which builds into the element.

void KxwDomHtmlElement::NotifyInnerHtml(KxwDomHtmlElement* mptTarget, const char16_t* mpwsfU16nStr,
                                        unsigned muU16nLenInChars) {
    KxwDomStr tText(mptTarget->GetDomEnv());
    tText.AssignDcsFromU16n(mpwsfU16nStr ? mpwsfU16nStr : u"", mpwsfU16nStr ? muU16nLenInChars : 0);
    KxwDomHtmlDocument* ptDocument = mptTarget->GetOwnerHtmlDocument(false);
    if (ptDocument) ptDocument->IncrementInnerOuterHtmlDepth();
    KxwDomWatchDelete tWatchDocument("KxwDomHtmlElement::NotifyInnerHtml", ptDocument);
    // The extra of notification 18 is the markup as a KxwDomStr holding its DCS text.
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_INNER_HTML, mptTarget, &tText);
    if (ptDocument && !tWatchDocument.HasBeenDeleted()) ptDocument->DecrementInnerOuterHtmlDepth();
}

bool KxwDomHtmlElement::AddExceptionalAttributesToCollection(KxwDomAttributeCollection& mrtCollection) {
    return AddExceptionalAttribute(mrtCollection, u"class", static_cast<signed char>(kIdClassName),
                                   "KxwDomHtmlElement::AddExceptionalAttributesToCollection");
}

bool KxwDomHtmlElement::AddExceptionalAttribute(KxwDomAttributeCollection& mrtCollection, const char16_t* mpwsfName,
                                                signed char mcTinyId, const char* mpszCallingFunctionName) {
    unsigned uLen = 0;
    while (mpwsfName[uLen]) ++uLen;
    if (mrtCollection.AddAttributeNode(GetOwnerDocument(false), mpwsfName, uLen, mcTinyId, this)) return true;
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("AddAttributeNode in %s _ptAttributeCollection=%p, this=%p",
                                    mpszCallingFunctionName, static_cast<void*>(&mrtCollection),
                                    static_cast<void*>(this));
    return false;
}

bool KxwDomHtmlElement::SetInnerHtmlU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    if (!CanHaveChildren()) {
        ReportErrorWithJavaScriptLineNumber(false, -35998, GetTagNameOrInvalidDcsStr());
        return false;
    }
    KxwDomWatchDelete tWatchThis("KxwDomHtmlElement::SetInnerHtmlU16n", this);
    DeleteChildren(true);
    if (tWatchThis.HasBeenDeleted()) return true;
    if (mpwsfU16nStr && muU16nLenInChars) NotifyInnerHtml(this, mpwsfU16nStr, muU16nLenInChars);
    return true;
}

bool KxwDomHtmlElement::SetInnerHtmlDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    KxwDomStr tText(GetDomEnv(), mpsfDcsStr ? mpsfDcsStr : "", mpsfDcsStr ? muDcsLenInBytes : 0);
    return SetInnerHtmlU16n(tText.GetU16nStr(), tText.GetU16nLenInChars());
}

KxwDomHtmlElement* KxwDomHtmlElement::CreateDummyContainerElement(const char* mpszCallingFunctionNameStr) {
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    if (!ptDocument || !mpszCallingFunctionNameStr) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mptForElement=%p=\"%.100s\" / mpszCallingFunctionNameStr=%p=\"%.100s\" in "
            "fptCreateDummyContainerElement",
            static_cast<void*>(this), GetTagNameOrInvalidDcsStr(), static_cast<const void*>(mpszCallingFunctionNameStr),
            mpszCallingFunctionNameStr ? mpszCallingFunctionNameStr : "");
        return nullptr;
    }
    return ptDocument->CreateDummyContainerElement(mpszCallingFunctionNameStr);
}

KxwDomNodeBase* KxwDomHtmlElement::ReplaceDummyContainerByContent(KxwDomHtmlElement* mptDummyContainer) {
    KxwDomNodeBase* ptFirst = mptDummyContainer->GetDomFirstChild();
    KxwDomCoreNode* ptParent = mptDummyContainer->GetDomParentNode();
    KxwDomWatchDelete tWatchDummy("KxwDomHtmlElement::ReplaceDummyContainerByContent", mptDummyContainer);
    if (ptParent) {
        // The content moves in order in front of the container, which then leaves.
        while (KxwDomNodeBase* ptChild = mptDummyContainer->GetDomFirstChild()) {
            if (!ptParent->InsertBefore(ptChild, mptDummyContainer) || tWatchDummy.HasBeenDeleted()) break;
        }
        if (tWatchDummy.HasBeenDeleted()) return ptFirst;
        mptDummyContainer->RemoveFromParent(true);
    }
    if (!tWatchDummy.HasBeenDeleted()) DeleteDummyContainer(mptDummyContainer);
    return ptFirst;
}

void KxwDomHtmlElement::DeleteDummyContainer(KxwDomHtmlElement* mptDummyContainer) {
    // The container was made for one operation: nothing else holds it once it is out of the tree.
    if (!mptDummyContainer || mptDummyContainer->GetParentNode()) return;
    if (KxwDomHtmlDocument* ptDocument = mptDummyContainer->GetOwnerHtmlDocument(false))
        ptDocument->RemoveFromDisconnectedNodesList(mptDummyContainer);
    delete mptDummyContainer;
}

bool KxwDomHtmlElement::SetOuterHtml(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
    KxwDomCoreNode* ptParent = GetDomParentNode();
    // An element in no tree has no place for markup to take: nothing changes, and that is no error.
    if (!ptParent) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "Setting outerHTML ignored for an element without a parent for this=%p in "
                "KxwDomHtmlElement::SetOuterHtml",
                static_cast<void*>(this));
        return true;
    }
    // The document's root element cannot be replaced by markup.
    if (ptParent->IsDocument()) {
        ReportErrorWithJavaScriptLineNumber(false, -35956, "outerHTML");
        return false;
    }
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("Reached KxwDomHtmlElement::SetOuterHtml for this=%p=\"%.100s\"",
                                    static_cast<void*>(this), GetTagNameOrInvalidDcsStr());
    KxwDomHtmlElement* ptDummy = CreateDummyContainerElement("KxwDomHtmlElement::SetOuterHtml");
    if (!ptDummy) return false;
    KxwDomWatchDelete tWatchDummy("KxwDomHtmlElement::SetOuterHtml", ptDummy);
    if (!ptParent->ReplaceChild(ptDummy, this, true)) {
        delete ptDummy;
        return false;
    }
    // Out of the tree now, the element is parked: it lives while a script holds it.
    if (tWatchDummy.HasBeenDeleted()) return true;
    if (mpwsfU16nStr && muU16nLenInChars) NotifyInnerHtml(ptDummy, mpwsfU16nStr, muU16nLenInChars);
    if (!tWatchDummy.HasBeenDeleted()) ReplaceDummyContainerByContent(ptDummy);
    return true;
}

KXW_DOM_HTML_ADJACENT_ENUM KxwDomHtmlElement::GetAdjacentPosition(const char16_t* mpwsfWhere, unsigned muLen) {
    if (!mpwsfWhere) return KXW_DOM_HTML_ADJACENT_INVALID;
    if (IsAsciiEqualIgnoringCase(mpwsfWhere, muLen, "beforebegin")) return KXW_DOM_HTML_ADJACENT_BEFORE_BEGIN;
    if (IsAsciiEqualIgnoringCase(mpwsfWhere, muLen, "afterbegin")) return KXW_DOM_HTML_ADJACENT_AFTER_BEGIN;
    if (IsAsciiEqualIgnoringCase(mpwsfWhere, muLen, "beforeend")) return KXW_DOM_HTML_ADJACENT_BEFORE_END;
    if (IsAsciiEqualIgnoringCase(mpwsfWhere, muLen, "afterend")) return KXW_DOM_HTML_ADJACENT_AFTER_END;
    std::string dsWhere = xfdsKxwDomUtilU16ToUtf8(mpwsfWhere, muLen);
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "%.12s not supported by insertAdjacent* functions",
                             dsWhere.c_str());
    return KXW_DOM_HTML_ADJACENT_INVALID;
}

bool KxwDomHtmlElement::InsertAdjacentNode(KXW_DOM_HTML_ADJACENT_ENUM meWhere, KxwDomNodeBase* mptNode,
                                           bool mbMergeText) {
    if (!mptNode || mptNode == this || meWhere == KXW_DOM_HTML_ADJACENT_INVALID) return false;
    KxwDomCoreNode* ptParent = GetDomParentNode();
    KxwDomNodeBase* ptPlaced = nullptr;
    switch (meWhere) {
        case KXW_DOM_HTML_ADJACENT_BEFORE_BEGIN:
            if (!ptParent) return false;
            ptPlaced = ptParent->InsertBefore(mptNode, this);
            break;
        case KXW_DOM_HTML_ADJACENT_AFTER_BEGIN:
            ptPlaced = InsertBefore(mptNode, GetDomFirstChild());
            break;
        case KXW_DOM_HTML_ADJACENT_BEFORE_END:
            ptPlaced = AppendChild(mptNode);
            break;
        case KXW_DOM_HTML_ADJACENT_AFTER_END:
            if (!ptParent) return false;
            ptPlaced = ptParent->InsertBefore(mptNode, GetDomNextSibling());
            break;
        default:
            return false;
    }
    if (!ptPlaced) return false;
    if (!mbMergeText || mptNode->GetNodeType() != KXW_DOM_COMMON_NODE_TYPE_TEXT) return true;
    // The neighbour on the side of the element's content takes the text, in document order.
    bool bNeighbourBefore =
        meWhere == KXW_DOM_HTML_ADJACENT_BEFORE_BEGIN || meWhere == KXW_DOM_HTML_ADJACENT_BEFORE_END;
    KxwDomNodeBase* ptNeighbour = bNeighbourBefore ? mptNode->GetDomPreviousSibling() : mptNode->GetDomNextSibling();
    if (!ptNeighbour || ptNeighbour->GetNodeType() != KXW_DOM_COMMON_NODE_TYPE_TEXT) return true;
    std::u16string dsJoined;
    const KxwDomHtmlPropertyStr& rtFirst = bNeighbourBefore ? ptNeighbour->GetNodeValue() : mptNode->GetNodeValue();
    const KxwDomHtmlPropertyStr& rtSecond = bNeighbourBefore ? mptNode->GetNodeValue() : ptNeighbour->GetNodeValue();
    if (rtFirst.GetU16nStr()) dsJoined.append(rtFirst.GetU16nStr(), rtFirst.GetU16nLenInChars());
    if (rtSecond.GetU16nStr()) dsJoined.append(rtSecond.GetU16nStr(), rtSecond.GetU16nLenInChars());
    ptNeighbour->SetNodeValueU16n(dsJoined.data(), static_cast<unsigned>(dsJoined.size()));
    // Taken out again, the node is parked like any removed node.
    if (KxwDomCoreNode* ptNodeParent = mptNode->GetDomParentNode()) ptNodeParent->RemoveChild(mptNode);
    return true;
}

bool KxwDomHtmlElement::InsertAdjacentHtml(KXW_DOM_HTML_ADJACENT_ENUM meWhere, const char16_t* mpwsfU16nStr,
                                           unsigned muU16nLenInChars) {
    if (meWhere == KXW_DOM_HTML_ADJACENT_INVALID) return false;
    KxwDomHtmlElement* ptDummy = CreateDummyContainerElement("KxwDomHtmlElement::InsertAdjacentHtml");
    if (!ptDummy) return false;
    if (!InsertAdjacentNode(meWhere, ptDummy, false)) {
        delete ptDummy;
        return false;
    }
    KxwDomWatchDelete tWatchDummy("KxwDomHtmlElement::InsertAdjacentHtml", ptDummy);
    if (mpwsfU16nStr && muU16nLenInChars) NotifyInnerHtml(ptDummy, mpwsfU16nStr, muU16nLenInChars);
    if (!tWatchDummy.HasBeenDeleted()) ReplaceDummyContainerByContent(ptDummy);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Geometry, answered without rendering: from the recorded layout when it has the key, else from the run-time
// settings.

bool KxwDomHtmlElement::GetLayoutEntry(const char* mpszStyleKindOrNull, const char* mpszPropertyName,
                                       std::string& mrdsKey) const {
    mrdsKey.clear();
    KxwDomHtmlDocument* ptDocument = GetOwnerHtmlDocument(false);
    if (!ptDocument) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptHtmlDocument == NULL for this=%p in KxwDomHtmlElement::GetLayoutEntry",
                                              static_cast<const void*>(this));
        return false;
    }
    // The ordinal among the document's elements of the same tag, in document order; -1 out of the tree.
    struct OrdinalFinder : KxwDomTraverseHierarchy {
        KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Visit(KxwDomNodeBase* mptNode) override {
            if (mptNode == _ptElement) return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
            if (mptNode->GetNodeSubtype() == _ptElement->GetNodeSubtype() && ConvertToElement(mptNode)) ++_iSeen;
            return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
        }
        const KxwDomHtmlElement* _ptElement = nullptr;
        int _iSeen = 0;
    };
    int iOrdinal = -1;
    if (GetRoot() == ptDocument) {
        OrdinalFinder tFinder;
        tFinder._ptElement = this;
        if (tFinder.Traverse(ptDocument, 0) == KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP) iOrdinal = tFinder._iSeen;
    }
    KxwDomHtmlWindow* ptWindow = ptDocument->GetWindow();
    mrdsKey = std::to_string(ptWindow ? ptWindow->GetFrameHierarchyId() : 0) + "." + GetTagNameDcsStr() + "." +
              std::to_string(iOrdinal) + ".";
    if (mpszStyleKindOrNull) (mrdsKey += mpszStyleKindOrNull) += ".";
    mrdsKey += mpszPropertyName ? mpszPropertyName : "";
    return true;
}

short KxwDomHtmlElement::GetTextRangeReplacedTinyId(short msiOriginalTinyId) const {
    switch (msiOriginalTinyId) {
        case KxwDomTextRange::kIdText:
            return kIdInnerText;
        case KxwDomTextRange::kIdHtmlText:
            return kIdInnerHTML;
        default:
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "Invalid msiOriginalTinyId=%d in KxwDomHtmlElement::GetTextRangeReplacedTinyId for this=%p",
                static_cast<int>(msiOriginalTinyId), static_cast<const void*>(this));
            return KxwDomTextRange::kIdText;
    }
}

int KxwDomHtmlElement::GetLayoutPropertyValue(short mnTinyId, int miDefault) {
    if (!KxwLayoutMgr::IsEmpty()) {
        const KxwJswPropertySpec* ptSpec = nullptr;
        for (const KxwJswPropertySpec* ptRow = katElementProperties; ptRow->_pszName && !ptSpec; ++ptRow)
            if (KxwJswClassInformation::DispatchId(ptRow->_uTinyId) == mnTinyId) ptSpec = ptRow;
        std::string dsKey;
        if (ptSpec && GetLayoutEntry(nullptr, ptSpec->_pszName, dsKey)) {
            const char* pszValue = KxwLayoutMgr::GetLayoutValue(dsKey);
            char* pszEnd = nullptr;
            long liValue = pszValue ? std::strtol(pszValue, &pszEnd, 10) : 0;
            if (pszValue && pszEnd != pszValue && liValue >= INT32_MIN && liValue <= INT32_MAX)
                return static_cast<int>(liValue);
        }
    }
    return GetLayoutPropertyFromRTS(mnTinyId, miDefault);
}

int KxwDomHtmlElement::GetLayoutPropertyFromRTS(short mnTinyId, int miDefault) {
    KxwiRunTimeSettings* ptRTS = CurrentRTS();
    if (!ptRTS) return miDefault;
    switch (mnTinyId) {
        case kIdClientWidth:
            return ptRTS->GetDefaultClientWidth();
        case kIdClientHeight:
            return ptRTS->GetDefaultClientHeight();
        case kIdOffsetWidth:
            return ptRTS->GetDefaultOffsetWidth();
        case kIdOffsetHeight:
            return ptRTS->GetDefaultOffsetHeight();
        default:
            return miDefault;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// The wrapper's operations

const KxwJswClassInformation& KxwDomHtmlElement::GetElementClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetCoreElementClassInformation(), "element", katElementProperties,
                                                    GetElementMethods());
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlElement::GetClassInformation() const {
    return &GetElementClassInformation();
}

bool KxwDomHtmlElement::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM eSubtype = GetNodeSubtype();
    switch (mnTinyId) {
        case kIdStyle:
        case kIdCurrentStyle:
        case kIdRuntimeStyle: {
            KxwDomHtmlStyle* ptStyle = ObtainStyleObject(mnTinyId - kIdStyle);
            AssignUserObjOrNull(mrtPropertyInfo, ptStyle && ptStyle->PrepareForScript() ? ptStyle : nullptr);
            return true;
        }
        case kIdConnectionType:
            mrtPropertyInfo.AssignU16nStr(u"lan", 3, true);
            return true;
        case kIdScrollWidth:
        case kIdScrollHeight:
        case kIdClientWidth:
        case kIdClientHeight:
        case kIdClientTop:
        case kIdClientLeft:
        case kIdOffsetWidth:
        case kIdOffsetHeight:
        case kIdOffsetTop:
        case kIdOffsetLeft:
            mrtPropertyInfo = GetLayoutPropertyValue(mnTinyId, 1);
            return true;
        case kIdScrollLeft:
        case kIdScrollTop:
            mrtPropertyInfo = GetLayoutPropertyValue(mnTinyId, 0);
            return true;
        case kIdInnerHTML:
        case kIdOuterHTML:
            AssignTemporaryText(mrtPropertyInfo, GetInnerOuterHtml(mnTinyId == kIdOuterHTML));
            return true;
        case kIdOffsetParent: {
            KxwDomNodeBase* ptFound = nullptr;
            for (KxwDomCoreNode* ptAncestor = GetDomParentNode(); ptAncestor && !ptFound;
                 ptAncestor = ptAncestor->GetDomParentNode()) {
                int iSubtype = ptAncestor->GetNodeSubtype();
                if (ptAncestor->IsElementNode() && (iSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY ||
                                                    iSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TD ||
                                                    iSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TABLE))
                    ptFound = ptAncestor;
            }
            AssignUserObjOrNull(mrtPropertyInfo, ptFound);
            return true;
        }
        case kIdParentElement: {
            KxwDomCoreNode* ptParent = GetDomParentNode();
            AssignUserObjOrNull(mrtPropertyInfo, ptParent && ptParent->IsElementNode() ? ptParent : nullptr);
            return true;
        }
        case kIdDocument:
            AssignUserObjOrNull(mrtPropertyInfo, GetOwnerDocument(false));
            return true;
        case kIdFilters:
            AssignUserObjOrNull(mrtPropertyInfo, KxwDomDummyObject::CreateDummyObject());
            return true;
        case kIdInnerText:
        case kIdOuterText: {
            std::u16string dsText = GetInnerText();
            for (char16_t& rwc : dsText)
                if (rwc == u'\u00A0') rwc = u' ';
            AssignTemporaryText(mrtPropertyInfo, std::move(dsText));
            return true;
        }
        case kIdClassName:
            mrtPropertyInfo = _tClassName;
            return true;
        case kIdDir:
            mrtPropertyInfo = GetDir();
            return true;
        case kIdScopeName: {
            unsigned uLen = 0;
            const char16_t* pwsfScope = GetScopeNameU16nStr(&uLen);
            mrtPropertyInfo.AssignU16nStr(pwsfScope, uLen, true);
            return true;
        }
        case kIdReadyState:
            mrtPropertyInfo.AssignU16nStr(GetReadyStateU16nStr(), GetReadyStateU16nLenInChars(), true);
            return true;
        case kIdSourceIndex:
            mrtPropertyInfo = 1;
            return true;
        case kIdCanHaveChildren:
        case kIdCanHaveHTML:
            mrtPropertyInfo = CanHaveChildren();
            return true;
        case kIdIsContentEditable:
            mrtPropertyInfo = eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_INPUT ||
                              eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TEXTAREA;
            return true;
        case kIdIsDisabled:
            mrtPropertyInfo = IsDisabled();
            return true;
        case kIdIsMultiLine:
            mrtPropertyInfo = eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TEXTAREA;
            return true;
        case kIdIsTextEdit:
            mrtPropertyInfo = eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY ||
                              eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_INPUT ||
                              eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BUTTON ||
                              eSubtype == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TEXTAREA;
            return true;
        case kIdParentTextEdit:
            mrtPropertyInfo = static_cast<const KxwJswUserObjBase*>(this);
            return true;
        case kIdId:
            mrtPropertyInfo = _tId;
            return true;
        case kIdTitle:
            mrtPropertyInfo = GetTitle();
            return true;
        case kIdLang:
            mrtPropertyInfo = GetLang();
            return true;
        case kIdAccessKey:
            mrtPropertyInfo = GetAccessKey();
            return true;
        case kIdTabIndex:
            mrtPropertyInfo = GetTabIndex();
            return true;
        default:
            if (mnTinyId < kIdStyle) return KxwDomCoreElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlElement", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlElement::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdStyle: {
            // The style attribute's text reaches the element this way from setAttribute and the attribute dump.
            unsigned uLen = mrtPropertyInfo.ConvertAndGetStringU16nLength();
            const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
            if (KxwDomHtmlStyle* ptStyle = PeekStyleObject(KxwDomHtmlStyle::KXW_STYLE_TYPE_STYLE)) {
                ptStyle->SetCssTextU16n(pwsfText, uLen);
                return true;
            }
            std::string dsText = ToDcs(pwsfText, uLen);
            if (_ptStyleText) _ptStyleText->RemoveValue();
            SetStyleParsed(dsText.c_str());
            return true;
        }
        case kIdScrollLeft:
        case kIdScrollTop:
            return true;  // accepted; nothing is scrolled
        case kIdInnerHTML: {
            const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
            return SetInnerHtmlU16n(pwsfText, mrtPropertyInfo.ConvertAndGetStringU16nLength());
        }
        case kIdOuterHTML: {
            const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
            return SetOuterHtml(pwsfText, mrtPropertyInfo.ConvertAndGetStringU16nLength());
        }
        case kIdOuterText:
        case kIdInnerText: {
            if (mnTinyId == kIdOuterText && xfbKxwTraceEnabled())
                xfvKxwUtilReportTraceToFile(
                    "outerText property is referenced to innerText in KxwDomHtmlElement::SetDomPropertyInfo");
            // An element without content would get a text that its markup writes after it, outside it.
            if (!CanHaveChildren()) {
                IssueInvalidSetPropertyMessage(mnTinyId == kIdOuterText ? "outerText" : "innerText",
                                               GetTagNameOrInvalidDcsStr());
                return false;
            }
            std::u16string dsText(mrtPropertyInfo.ConvertAndGetStringU16n(),
                                  mrtPropertyInfo.ConvertAndGetStringU16nLength());
            KxwDomWatchDelete tWatchThis("KxwDomHtmlElement::SetDomPropertyInfo", this);
            DeleteChildren(true);
            if (tWatchThis.HasBeenDeleted()) return true;
            return SetInnerTextU16n(dsText.data(), static_cast<unsigned>(dsText.size()));
        }
        case kIdClassName:
            _tClassName = mrtPropertyInfo;
            return true;
        case kIdDir: {
            const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
            if (SetDir(pwsfText, mrtPropertyInfo.ConvertAndGetStringU16nLength())) return true;
            ReportErrorWithJavaScriptLineNumber(false, -35956, "dir");
            return false;
        }
        case kIdId: {
            const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
            SetIdU16n(pwsfText, mrtPropertyInfo.ConvertAndGetStringU16nLength());
            return true;
        }
        case kIdTitle:
            ObtainRareProperties()._tTitle = mrtPropertyInfo;
            return true;
        case kIdLang:
            ObtainRareProperties()._tLang = mrtPropertyInfo;
            return true;
        case kIdAccessKey:
            ObtainRareProperties()._tAccessKey = mrtPropertyInfo;
            return true;
        case kIdTabIndex:
            ObtainRareProperties()._tTabIndex = mrtPropertyInfo;
            return true;
        default:
            if (mnTinyId < kIdStyle) return KxwDomCoreElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            if (xfbKxwTraceEnabled())
                xfvKxwUtilReportTraceToFile("KxwDomHtmlElement::SetDomPropertyInfo: Unsupported property ID (%d)",
                                            mnTinyId);
            return false;
    }
}

KxwDomHtmlElement* xfptKxwDomHtmlElementConstructForScript(const char* mpszTag, const char* mpszConstructor) {
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    KxwJswGlobal* ptGlobal = ptEngine ? ptEngine->GetCurrentGlobal() : nullptr;
    KxwJswGlobalOwner* ptOwner = ptGlobal ? ptGlobal->GetOwner() : nullptr;
    auto* ptDocument = ptOwner ? dynamic_cast<KxwDomHtmlDocument*>(ptOwner->GetGlobalDocument()) : nullptr;
    if (!ptDocument) {
        xfvKxwUtilReportBySevLvl(xfeKxwUtilJavaScriptErrorSevLvl(),
                                 "new %s(): the script runs in no page, so no element is made", mpszConstructor);
        return nullptr;
    }
    KxwUtilTagName tTagName(mpszTag, std::strlen(mpszTag));
    return KxwDomHtmlElement::AllocElement(tTagName, ptDocument, true);
}
