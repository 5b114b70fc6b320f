#include "KxwDomNamespaceCollection.h"

#include <new>

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomNamespace.h"
#include "KxwDomScriptCall.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"

namespace {

const KxwJswMethodSpec katNamespaceCollectionMethods[] = {
    {"add", nullptr, nullptr, 3, KxwDomNamespaceCollection::add_callback},
    {nullptr, nullptr, nullptr, 0},
};

// A few hundred elements waiting for one parse are plenty; a page that makes more gets them applied at once.
constexpr size_t knMaxPendingElements = 10000;

}  // namespace

KxwDomNamespaceCollection::KxwDomNamespaceCollection(KxwDomEnv& mrtDomEnv) : KxwDomHtmlCollectionGeneral(mrtDomEnv) {}

KxwDomNamespaceCollection::~KxwDomNamespaceCollection() {
    Reset();
}

void KxwDomNamespaceCollection::Reset() {
    // The document's end empties its collections before it deletes them: the namespaces go here either way.
    _tPendingElements.clear();
    while (KxwDomNodeBase* ptNode = RemoveAndReturnFirstItem()) delete ptNode;
    KxwDomHtmlCollectionGeneral::Reset();
}

KxwDomHtmlDocument* KxwDomNamespaceCollection::OwnerHtmlDocument(const char* mpszCaller) {
    auto* ptDocument = dynamic_cast<KxwDomHtmlDocument*>(GetOwnerNode());
    if (!ptDocument)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptOwnerHtmlDocument is NULL for _ptOwnerNode=%p in "
                                              "KxwDomNamespaceCollection::%s for this=%p",
                                              static_cast<void*>(GetOwnerNode()), mpszCaller, static_cast<void*>(this));
    return ptDocument;
}

KxwDomNamespace* KxwDomNamespaceCollection::NewNamespace(const char* mpszCaller) {
    KxwDomHtmlDocument* ptDocument = OwnerHtmlDocument(mpszCaller);
    if (!ptDocument) return nullptr;
    // On the document's memory manager, as its elements are: the collection owns it, not its engine object.
    KxwMemMgr* ptMemMgr = ptDocument->GetMemMgr();
    auto* ptNamespace = new (ptMemMgr) KxwDomNamespace(ptDocument, ptMemMgr);
    if (!ptNamespace) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomNamespace)), "namespace object");
    return ptNamespace;
}

KxwDomNamespace* KxwDomNamespaceCollection::AddNamespace(const char16_t* mpwsfName, unsigned muNameLen,
                                                         const char16_t* mpwsfUrn, unsigned muUrnLen) {
    KxwDomNamespace* ptNamespace = NewNamespace("AddNamespace");
    if (!ptNamespace) return nullptr;
    ptNamespace->SetName(mpwsfName ? mpwsfName : u"", mpwsfName ? muNameLen : 0);
    ptNamespace->SetUrn(mpwsfUrn ? mpwsfUrn : u"", mpwsfUrn ? muUrnLen : 0);
    AppendItem(ptNamespace);
    return ptNamespace;
}

KxwDomNamespace* KxwDomNamespaceCollection::AddNamespaceDcs(const char* mpsfName, unsigned muNameLen,
                                                            const char* mpsfUrn, unsigned muUrnLen) {
    KxwDomNamespace* ptNamespace = NewNamespace("AddNamespaceDcs");
    if (!ptNamespace) return nullptr;
    ptNamespace->SetNameDcs(mpsfName ? mpsfName : "", mpsfName ? muNameLen : 0);
    ptNamespace->SetUrnDcs(mpsfUrn ? mpsfUrn : "", mpsfUrn ? muUrnLen : 0);
    AppendItem(ptNamespace);
    return ptNamespace;
}

KxwDomNamespace* KxwDomNamespaceCollection::GetNamespaceDcs(const char* mpsfName, int miLen) const {
    size_t nLen = mpsfName && miLen > 0 ? static_cast<size_t>(miLen) : 0;
    for (KxwDomNodeBase* ptNode : *this) {
        auto* ptNamespace = static_cast<KxwDomNamespace*>(ptNode);
        if (ptNamespace->HasName(mpsfName, nLen)) return ptNamespace;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// Namespaced elements

void KxwDomNamespaceCollection::ApplyNamespaceBehavior(KxwDomHtmlElement& mrtElement) {
    const char* psfTag = mrtElement.GetTagNameDcsStr();
    unsigned uLen = mrtElement.GetTagNameDcsLenInBytes();
    unsigned uPrefixLen = 0;
    while (uPrefixLen < uLen && psfTag[uPrefixLen] != ':') ++uPrefixLen;
    if (uPrefixLen == uLen) return;
    if (KxwDomNamespace* ptNamespace = GetNamespaceDcs(psfTag, static_cast<int>(uPrefixLen)))
        ptNamespace->SetElementBehavior(&mrtElement);
}

void KxwDomNamespaceCollection::NotifyNamespacedElementConnected(KxwDomHtmlElement& mrtElement) {
    if (IsEmpty() || mrtElement.GetBehavior()) return;
    KxwDomHtmlDocument* ptDocument = dynamic_cast<KxwDomHtmlDocument*>(GetOwnerNode());
    if (ptDocument && ptDocument->IsParseUnderWay() && _tPendingElements.size() < knMaxPendingElements) {
        _tPendingElements.push_back(std::make_unique<KxwDomWatchDelete>(
            "KxwDomNamespaceCollection::NotifyNamespacedElementConnected", &mrtElement));
        return;
    }
    ApplyNamespaceBehavior(mrtElement);
}

void KxwDomNamespaceCollection::ApplyPendingBehaviors() {
    if (_tPendingElements.empty()) return;
    std::vector<std::unique_ptr<KxwDomWatchDelete>> tElements;
    tElements.swap(_tPendingElements);
    KxwDomWatchDelete tWatchThis("KxwDomNamespaceCollection::ApplyPendingBehaviors", this);
    for (const auto& rptWatch : tElements) {
        if (tWatchThis.HasBeenDeleted()) return;
        auto* ptElement = static_cast<KxwDomHtmlElement*>(rptWatch->GetEffectiveWatchedPtr());
        if (ptElement && ptElement->IsConnectedToDocument() && !ptElement->GetBehavior())
            ApplyNamespaceBehavior(*ptElement);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Script

const KxwJswClassInformation* KxwDomNamespaceCollection::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetHtmlCollectionClassInformation(), "NamespaceCollection",
                                                    nullptr, katNamespaceCollectionMethods, nullptr,
                                                    KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return &ktClassInfo;
}

bool KxwDomNamespaceCollection::add_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomScriptCallOn<KxwDomNamespaceCollection> tCall("KxwDomNamespaceCollection::add_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(2) || tCall.Arg(0).IsNull() || tCall.Arg(0).IsUndefined()) {
        tCall.Invalid();
        return tCall.Undefined();
    }
    std::u16string dsName = tCall.Text(0);
    std::u16string dsUrn = tCall.Text(1);
    // The implementation's address is converted as the browser converts it, and not acted on.
    if (tCall.Argc() > 2) tCall.Text(2);
    if (tCall.Failed()) return false;
    KxwDomNamespace* ptNamespace = tCall.This()->AddNamespace(dsName.data(), static_cast<unsigned>(dsName.size()),
                                                              dsUrn.data(), static_cast<unsigned>(dsUrn.size()));
    if (!ptNamespace) return tCall.Undefined();
    return tCall.Return(static_cast<KxwJswUserObjBase*>(ptNamespace));
}
