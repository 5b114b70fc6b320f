#include "KxwDomNodeTestClasses.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"

namespace {

// Tiny ids of "testnodeelement" as the class receives them (217, 218).
enum : short {
    kIdTagName = -39,
    kIdParentNode = -38,
};

const KxwJswPropertySpec katElementProperties[] = {
    {"tagName", 217, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"parentNode", 218, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katElementMethods[] = {{nullptr, nullptr, nullptr, 0}};

const KxwJswClassInformation& ElementClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&KxwDomEventTarget::GetEventTargetClassInformation(),
                                                    "testnodeelement", katElementProperties, katElementMethods);
    return ktClassInfo;
}

std::string Narrow(const char16_t* mpwsfText, unsigned muLen) {
    std::string dsText;
    for (unsigned n = 0; n < muLen; ++n) dsText += mpwsfText[n] < 0x80 ? static_cast<char>(mpwsfText[n]) : '?';
    return dsText;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------

KxwTestNodeElement::KxwTestNodeElement(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr,
                                       const std::string& mdsTag)
    : KxwDomEventTarget(mptOwnerDocument, mptMemMgr, KXW_DOM_COMMON_NODE_TYPE_ELEMENT,
                        KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT),
      _dsTag(mdsTag),
      _dsTagU16(mdsTag.begin(), mdsTag.end()) {
    ++Live();
}

KxwTestNodeElement::~KxwTestNodeElement() {
    --Live();
}

int& KxwTestNodeElement::Live() {
    thread_local int iLive = 0;
    return iLive;
}

const char16_t* KxwTestNodeElement::GetNodeNameU16n(unsigned* mpuLenInChars) const {
    if (mpuLenInChars) *mpuLenInChars = static_cast<unsigned>(_dsTagU16.size());
    return _dsTagU16.c_str();
}

KxwDomNodeBase* KxwTestNodeElement::CloneForSplit() {
    return new (GetMemMgr()) KxwTestNodeElement(GetOwnerDocument(false), GetMemMgr(), _dsTag + "'");
}

void KxwTestNodeElement::Release() {
    if (_tOnRelease) _tOnRelease();
    KxwDomEventTarget::Release();
}

const KxwJswClassInformation* KxwTestNodeElement::GetClassInformation() const {
    return &ElementClassInformation();
}

bool KxwTestNodeElement::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdTagName:
            mrtPropertyInfo.AssignU16nStr(_dsTagU16.c_str(), static_cast<unsigned>(_dsTagU16.size()), true);
            return true;
        case kIdParentNode:
            AssignDomParentNode(mrtPropertyInfo);
            return true;
        default:
            if (mnTinyId < kIdTagName) return KxwDomEventTarget::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwTestNodeElement", mnTinyId, mrtPropertyInfo);
    }
}

// ---------------------------------------------------------------------------------------------------------------

namespace {

enum : short {
    kIdStyle = -34,  // 222
    kIdId = -33,     // 223
    kIdName = -32,   // 224
    kIdHref = -31,   // 225
};

const KxwJswPropertySpec katAttrElementProperties[] = {
    {"style", 222, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"id", 223, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE, "S"},
    {"name", 224, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE, "S"},
    {"href", 225, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_ATTRIBUTE, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katAttrElementMethods[] = {{nullptr, nullptr, nullptr, 0}};

}  // namespace

KxwTestAttrElement::KxwTestAttrElement(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr)
    : KxwDomCoreElement(mptOwnerDocument, mptMemMgr, KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT),
      _tStyle(GetDomEnv()),
      _tId(GetDomEnv()),
      _tName(GetDomEnv()),
      _tHref(GetDomEnv()) {}

const char16_t* KxwTestAttrElement::GetNodeNameU16n(unsigned* mpuLenInChars) const {
    if (mpuLenInChars) *mpuLenInChars = 1;
    return u"A";
}

const KxwJswClassInformation* KxwTestAttrElement::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&KxwDomCoreElement::GetCoreElementClassInformation(),
                                                    "testattrelement", katAttrElementProperties, katAttrElementMethods);
    return &ktClassInfo;
}

bool KxwTestAttrElement::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdStyle:
            mrtPropertyInfo = _tStyle;
            return true;
        case kIdId:
            mrtPropertyInfo = _tId;
            return true;
        case kIdName:
            mrtPropertyInfo = _tName;
            return true;
        case kIdHref:
            mrtPropertyInfo = _tHref;
            return true;
        default:
            return KxwDomCoreElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

bool KxwTestAttrElement::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdStyle:
            _tStyle = mrtPropertyInfo;
            return true;
        case kIdId:
            _tId = mrtPropertyInfo;
            return true;
        case kIdName:
            _tName = mrtPropertyInfo;
            return true;
        case kIdHref:
            _tHref = mrtPropertyInfo;
            return true;
        default:
            return KxwDomCoreElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    }
}

// ---------------------------------------------------------------------------------------------------------------

std::vector<std::string>& KxwTestNotificationLog::Lines() {
    thread_local std::vector<std::string> tLines;
    return tLines;
}

std::string KxwTestNotificationLog::Name(const void* mpvNode) {
    auto* ptNode = static_cast<KxwDomNodeBase*>(const_cast<void*>(mpvNode));
    if (!ptNode) return "null";
    if (auto* ptElement = dynamic_cast<KxwTestNodeElement*>(ptNode)) return ptElement->GetTag();
    if (ptNode->GetNodeType() == KXW_DOM_COMMON_NODE_TYPE_TEXT)
        return "'" + Narrow(ptNode->GetNodeValue().GetU16nStr(), ptNode->GetNodeValue().GetU16nLenInChars()) + "'";
    if (ptNode->IsPlaceHolder()) return "PH(" + Name(ptNode->GetRealNode()) + ")";
    unsigned uLen = 0;
    const char16_t* pwsfName = ptNode->GetNodeNameU16n(&uLen);
    return uLen ? Narrow(pwsfName, uLen) : "#fragment";
}

void KxwTestRecordingElement::NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                         void* mpvNotificationSubject, void* mpvNotificationObject) {
    auto* ptSubject = static_cast<KxwDomNodeBase*>(mpvNotificationSubject);
    KxwTestNotificationLog::Lines().push_back("This " + GetTag() + " " + std::to_string(meNotificationType) + " " +
                                              KxwTestNotificationLog::Name(ptSubject));
    if (meNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_REMOVED && ptSubject)
        _tRemovedSubjectStillLinked.push_back(ptSubject->GetParentNode() != nullptr);
    KxwTestNodeElement::NotifyThis(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
    if (_tOnNotifyThis) _tOnNotifyThis(meNotificationType, ptSubject);
}

void KxwTestRecordingElement::NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                                       void* mpvNotificationSubject, void* mpvNotificationObject) {
    KxwTestNotificationLog::Lines().push_back("After " + GetTag() + " " + std::to_string(meNotificationType) + " " +
                                              KxwTestNotificationLog::Name(mpvNotificationSubject));
    KxwTestNodeElement::NotifyThisAfterAncestors(meNotificationType, mpvNotificationSubject, mpvNotificationObject);
}

// ---------------------------------------------------------------------------------------------------------------

KxwTestRecordingCollections::KxwTestRecordingCollections() {
    SetCurrent(this);
}

KxwTestRecordingCollections::~KxwTestRecordingCollections() {
    SetCurrent(nullptr);
}

void* KxwTestRecordingCollections::NewToken(KxwDomCoreNode& mrtOwnerNode, const char* mpszKind) {
    ++_iLive;
    auto* ptName = new std::string(KxwTestNotificationLog::Name(&mrtOwnerNode) + "." + mpszKind);
    _tCalls.push_back("Create " + *ptName);
    return ptName;
}

const std::string& KxwTestRecordingCollections::NameOf(const void* mpvToken) {
    return *static_cast<const std::string*>(mpvToken);
}

void KxwTestRecordingCollections::Log(const std::string& mdsOperation, const void* mpvToken, const void* mpvNode) {
    std::string dsLine = mdsOperation + " " + NameOf(mpvToken);
    if (mpvNode) dsLine += " " + KxwTestNotificationLog::Name(mpvNode);
    _tCalls.push_back(dsLine);
}

KxwDomHtmlCollectionOrdered* KxwTestRecordingCollections::CreateAll(KxwDomCoreNode& mrtOwnerNode) {
    return static_cast<KxwDomHtmlCollectionOrdered*>(NewToken(mrtOwnerNode, "all"));
}
KxwDomHtmlCollectionGeneral* KxwTestRecordingCollections::CreateChildren(KxwDomCoreNode& mrtOwnerNode) {
    return static_cast<KxwDomHtmlCollectionGeneral*>(NewToken(mrtOwnerNode, "children"));
}
KxwDomHtmlCollectionGeneral* KxwTestRecordingCollections::CreateChildNodes(KxwDomCoreNode& mrtOwnerNode) {
    return static_cast<KxwDomHtmlCollectionGeneral*>(NewToken(mrtOwnerNode, "childNodes"));
}
void KxwTestRecordingCollections::Delete(KxwDomHtmlCollectionOrdered* mptCollection) {
    Log("Delete", mptCollection, nullptr);
    delete static_cast<std::string*>(static_cast<void*>(mptCollection));
    --_iLive;
}
void KxwTestRecordingCollections::Delete(KxwDomHtmlCollectionGeneral* mptCollection) {
    Log("Delete", mptCollection, nullptr);
    delete static_cast<std::string*>(static_cast<void*>(mptCollection));
    --_iLive;
}
void KxwTestRecordingCollections::Update(KxwDomHtmlCollectionOrdered* mptCollection,
                                         KXW_DOM_COMMON_NOTIFICATION_ENUM meType, KxwDomNodeBase* mptNode, void*) {
    Log("Update" + std::to_string(meType), mptCollection, mptNode);
}
void KxwTestRecordingCollections::Update(KxwDomHtmlCollectionGeneral* mptCollection,
                                         KXW_DOM_COMMON_NOTIFICATION_ENUM meType, KxwDomNodeBase* mptNode, void*) {
    Log("Update" + std::to_string(meType), mptCollection, mptNode);
}
void KxwTestRecordingCollections::AddItem(KxwDomHtmlCollectionOrdered* mptCollection, KxwDomNodeBase* mptElement) {
    Log("Add", mptCollection, mptElement);
}
void KxwTestRecordingCollections::AddItem(KxwDomHtmlCollectionGeneral* mptCollection, KxwDomNodeBase* mptElement) {
    Log("Add", mptCollection, mptElement);
}
void KxwTestRecordingCollections::RemoveDescendantsOf(KxwDomHtmlCollectionOrdered* mptCollection,
                                                      const KxwDomNodeBase* mptNode) {
    Log("RemoveUnder", mptCollection, mptNode);
}
void KxwTestRecordingCollections::Reset(KxwDomHtmlCollectionOrdered* mptCollection) {
    Log("Reset", mptCollection, nullptr);
}
void KxwTestRecordingCollections::Reset(KxwDomHtmlCollectionGeneral* mptCollection) {
    Log("Reset", mptCollection, nullptr);
}
void KxwTestRecordingCollections::Rebuild(KxwDomHtmlCollectionGeneral* mptCollection, KxwDomCoreNode&) {
    Log("Rebuild", mptCollection, nullptr);
}
KxwDomHtmlCollectionGeneral* KxwTestRecordingCollections::GetTags(KxwDomHtmlCollectionOrdered* mptAll,
                                                                  const char16_t* mpwsfTagName,
                                                                  unsigned muTagNameLenInChars) {
    _tCalls.push_back("Tags " + NameOf(mptAll) + " " + Narrow(mpwsfTagName, muTagNameLenInChars));
    return nullptr;
}

// ---------------------------------------------------------------------------------------------------------------

void KxwDomNodeTest::SetUp() {
    KxwDomScriptTest::SetUp();
    _ptMemMgr = new KxwMemMgrGeneric(&_tBlkMgr);
    _ptDocument = new (_ptMemMgr) KxwDomCoreDocument(_ptMemMgr, nullptr, KXW_DOM_COMMON_NODE_SUBTYPE_DOCUMENT);
    KxwTestNodeElement::Live() = 0;
    KxwTestNotificationLog::Lines().clear();
}

void KxwDomNodeTest::TearDown() {
    // Documents go before the engine; what they parked goes with them.
    delete _ptDocument;
    _ptDocument = nullptr;
    KxwDomScriptTest::TearDown();
    EXPECT_EQ(0, KxwTestNodeElement::Live()) << "elements outlived their document and the engine";
    EXPECT_EQ(0u, _ptMemMgr->GetLiveBlockCount()) << "blocks of the memory manager were not returned";
    delete _ptMemMgr;
}

KxwTestNodeElement* KxwDomNodeTest::NewElement(const std::string& mdsTag, KxwDomCoreDocument* mptDocument) {
    return new (_ptMemMgr) KxwTestNodeElement(mptDocument ? mptDocument : _ptDocument, _ptMemMgr, mdsTag);
}

KxwTestRecordingElement* KxwDomNodeTest::NewRecordingElement(const std::string& mdsTag) {
    return new (_ptMemMgr) KxwTestRecordingElement(_ptDocument, _ptMemMgr, mdsTag);
}

KxwDomCoreTextNode* KxwDomNodeTest::NewText(const std::u16string& mdsText, KxwDomCoreDocument* mptDocument) {
    KxwDomCoreTextNode* ptText = KxwDomCoreTextNode::AllocTextNode(mptDocument ? mptDocument : _ptDocument, true);
    ptText->SetNodeValueU16n(mdsText.data(), static_cast<unsigned>(mdsText.size()));
    return ptText;
}

KxwDomCoreDocumentFragment* KxwDomNodeTest::NewFragment() {
    return new (_ptMemMgr) KxwDomCoreDocumentFragment(_ptDocument, _ptMemMgr);
}

std::string KxwDomNodeTest::ChildTags(const KxwDomNodeBase* mptNode) {
    std::string dsTags;
    for (const KxwDomNodeBase* ptChild = mptNode->GetDomFirstChild(); ptChild; ptChild = ptChild->GetDomNextSibling()) {
        if (!dsTags.empty()) dsTags += ",";
        dsTags += KxwTestNotificationLog::Name(ptChild);
    }
    return dsTags;
}
