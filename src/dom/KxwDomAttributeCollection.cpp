#include "KxwDomAttributeCollection.h"

#include <vector>

#include "KxwDomBindingUtil.h"
#include "KxwDomCoreAttribute.h"
#include "KxwDomCoreDocument.h"
#include "KxwDomCoreElement.h"
#include "KxwDomHtmlCollectionMap.h"
#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwMemMgr.h"
#include "kxw/KxwEnvCfg.h"

namespace {

bool getNamedItem_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwJsval tNull;
    tNull.SetNull();
    mrtArgs.SetResult(tNull);
    auto* ptThis = dynamic_cast<KxwDomAttributeCollection*>(mptUserObj);
    if (!ptThis || mrtArgs.Length() == 0) return true;
    std::u16string dsName;
    if (!mrtArgs.Get(0).ToStringU16n(dsName, mrtArgs.GetContext())) return false;
    KxwDomCoreAttribute* ptFound = ptThis->FindByName(dsName.data(), static_cast<unsigned>(dsName.size()));
    if (ptFound) {
        KxwJsval tResult;
        tResult.SetDomObject(ptFound);
        mrtArgs.SetResult(tResult);
    }
    return true;
}

const KxwJswPropertySpec katAttributeCollectionProperties[] = {{nullptr, 0, 0, nullptr}};
const KxwJswMethodSpec katAttributeCollectionMethods[] = {
    {"getNamedItem", nullptr, nullptr, 1, getNamedItem_callback},
    {nullptr, nullptr, nullptr, 0},
};

}  // namespace

KxwDomAttributeCollection::KxwDomAttributeCollection(KxwDomEnv& mrtDomEnv) : KxwDomHtmlCollectionGeneral(mrtDomEnv) {}

KxwDomAttributeCollection::~KxwDomAttributeCollection() {
    std::vector<KxwDomCoreAttribute*> tNodes;
    for (KxwDomNodeBase* ptNode : *this) tNodes.push_back(static_cast<KxwDomCoreAttribute*>(ptNode));
    Reset();
    if (_ptNameIndex) {
        _ptNameIndex->~KxwDomNameIndex();
        xfvKxwDomHtmlCollectionMapFree(GetMemMgr(), _ptNameIndex);
        _ptNameIndex = nullptr;
    }
    for (KxwDomCoreAttribute* ptAttr : tNodes) {
        // A node no script holds is deleted at once: nobody is left to read its value.
        if (ptAttr->HasJsiObj()) ptAttr->UpdateNodeValueFromElement();
        ptAttr->SetOwnerElement(nullptr);
        ReleaseFreeAttribute(ptAttr);
    }
}

void KxwDomAttributeCollection::IndexName(KxwDomCoreAttribute* mptAttrNode) {
    unsigned uLen = 0;
    const char16_t* pwsfName = mptAttrNode->GetNodeNameU16n(&uLen);
    _ptNameIndex->Add(pwsfName, uLen, mptAttrNode);
}

void KxwDomAttributeCollection::ReleaseFreeAttribute(KxwDomCoreAttribute* mptAttrNode) {
    if (mptAttrNode && !mptAttrNode->HasOwnerElement() && !mptAttrNode->HasJsiObj()) delete mptAttrNode;
}

KxwDomCoreAttribute* KxwDomAttributeCollection::FindByName(const char16_t* mpwsfName, unsigned muNameLen) const {
    if (!mpwsfName) return nullptr;
    if (!_ptNameIndex && GetLength() > kNameIndexFrom) {
        auto* ptThis = const_cast<KxwDomAttributeCollection*>(this);
        void* pvBlock = xfpvKxwDomHtmlCollectionMapAlloc(ptThis->GetMemMgr(), sizeof(KxwDomNameIndex<char16_t>), 8);
        ptThis->_ptNameIndex = new (pvBlock) KxwDomNameIndex<char16_t>(ptThis->GetMemMgr());
        for (KxwDomNodeBase* ptNode : *this) ptThis->IndexName(static_cast<KxwDomCoreAttribute*>(ptNode));
    }
    if (_ptNameIndex) {
        for (auto* ptEntry = _ptNameIndex->FindFirstIgnoringCase(mpwsfName, muNameLen); ptEntry;) {
            auto* ptNext = KxwDomNameIndex<char16_t>::NextInGroup(ptEntry);
            auto* ptAttr = static_cast<KxwDomCoreAttribute*>(ptEntry->_pvValue);
            if (IsItemFound(ptAttr)) return ptAttr;
            _ptNameIndex->Remove(ptEntry);
            ptEntry = ptNext;
        }
        return nullptr;
    }
    for (KxwDomNodeBase* ptNode : *this) {
        unsigned uLen = 0;
        const char16_t* pwsfNodeName = ptNode->GetNodeNameU16n(&uLen);
        if (xfbKxwDomUtilU16EqualIgnoringAsciiCase(pwsfNodeName, uLen, mpwsfName, muNameLen))
            return static_cast<KxwDomCoreAttribute*>(ptNode);
    }
    return nullptr;
}

bool KxwDomAttributeCollection::IsAttributeNameFound(const char16_t* mpwsfName, unsigned muNameLen) const {
    return FindByName(mpwsfName, muNameLen) != nullptr;
}

bool KxwDomAttributeCollection::AddAttributeNode(KxwDomCoreAttribute* mptAttrNode, KxwDomCoreElement* mptOwner) {
    if (!mptAttrNode) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptAttrNode is NULL in  KxwDomAttributeCollection::AddAttributeNode "
                                              "this=%p",
                                              static_cast<void*>(this));
        return false;
    }
    unsigned uLen = 0;
    const char16_t* pwsfName = mptAttrNode->GetNodeNameU16n(&uLen);
    if (IsAttributeNameFound(pwsfName, uLen)) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "IsAttributeNameFound failed in  KxwDomAttributeCollection::AddAttributeNode this=%p, mptAttrNode "
                "name=%s",
                static_cast<void*>(this), mptAttrNode->GetNameDcs(nullptr));
        return true;
    }
    if (!AppendItem(mptAttrNode)) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "AppendItem failed in  KxwDomAttributeCollection::AddAttributeNode this=%p, mptAttrNode=%p",
            static_cast<void*>(this), static_cast<void*>(mptAttrNode));
        return false;
    }
    mptAttrNode->SetOwnerElement(mptOwner);
    if (_ptNameIndex) IndexName(mptAttrNode);
    return true;
}

bool KxwDomAttributeCollection::AddAttributeNode(KxwDomCoreDocument* mptDocument, const char16_t* mpwsfName,
                                                 unsigned muNameLen, signed char mcTinyId,
                                                 KxwDomCoreElement* mptOwner) {
    if (IsAttributeNameFound(mpwsfName, muNameLen)) return true;
    KxwMemMgr* ptMemMgr = GetMemMgr();
    auto* ptAttr = new (ptMemMgr) KxwDomCoreAttribute(mptDocument, ptMemMgr, mpwsfName, muNameLen, mcTinyId);
    if (!ptAttr)
        KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomCoreAttribute)),
                                "KxwDomCoreAttribute for the attribute node in KxwDomAttributeCollection::"
                                "AddAttributeNode");
    if (AddAttributeNode(ptAttr, mptOwner)) return true;
    delete ptAttr;
    return false;
}

KxwDomCoreAttribute* KxwDomAttributeCollection::RemoveItemByName(const char16_t* mpwsfName, unsigned muNameLen) {
    KxwDomCoreAttribute* ptAttr = FindByName(mpwsfName, muNameLen);
    if (!ptAttr) return nullptr;
    if (_ptNameIndex) {
        unsigned uLen = 0;
        const char16_t* pwsfName = ptAttr->GetNodeNameU16n(&uLen);
        _ptNameIndex->Remove(_ptNameIndex->FindExact(pwsfName, uLen, ptAttr));
    }
    RemoveItem(ptAttr, true);
    ptAttr->UpdateNodeValueFromElement();
    ptAttr->SetOwnerElement(nullptr);
    return ptAttr;
}

KxwDomBase* KxwDomAttributeCollection::GetItem(const char* mpszName, bool) {
    if (!mpszName || !*mpszName) return nullptr;
    std::u16string dsName = xfdsKxwDomUtilUtf8ToU16(mpszName);
    return FindByName(dsName.data(), static_cast<unsigned>(dsName.size()));
}

bool KxwDomAttributeCollection::IsResolved(const char* mpszName) {
    return GetItem(mpszName, false) != nullptr;
}

void KxwDomAttributeCollection::GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>& mrtNames) {
    mruliIndexCount = GetLength();
    for (KxwDomNodeBase* ptNode : *this) {
        unsigned uLen = 0;
        const char16_t* pwsfName = ptNode->GetNodeNameU16n(&uLen);
        mrtNames.push_back(xfdsKxwDomUtilU16ToUtf8(pwsfName, uLen));
    }
}

const KxwJswClassInformation* KxwDomAttributeCollection::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetHtmlCollectionClassInformation(), "attributecollection",
                                                    katAttributeCollectionProperties, katAttributeCollectionMethods,
                                                    nullptr, KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return &ktClassInfo;
}
