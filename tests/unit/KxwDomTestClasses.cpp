#include "KxwDomTestClasses.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "KxwDomBindingUtil.h"
#include "KxwDomDisconnectedSubtreeVisitor.h"
#include "KxwDomDummyObject.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"

namespace {

// ---- Methods of "testnode" ----

// Needs an element: called on a plain node it reports the invalid arguments.
bool describe_callback(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen,
                       KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                       KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    auto* ptElement = dynamic_cast<KxwTestDomElement*>(mptUserObj);
    if (!ptElement || !mppvRetVal || !mpnRetValLen || !mpeRetValType) {
        xfvKxwDomUtilInvalidJswMethodCallbackArgs("KxwTestDomElement::describe_callback", ptElement, mptUserObj, mnArgc,
                                                  mpapvArgv, mpanArgvLen, mpaeType, mppvRetVal, mpnRetValLen,
                                                  mpeRetValType);
        return false;
    }
    *mppvRetVal = const_cast<char16_t*>(ptElement->_tTitle.GetU16nStr());
    *mpnRetValLen = ptElement->_tTitle.GetU16nLenInChars();
    *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_STRING;
    return true;
}

// A method scripts may use that the node does not implement: reported, and the script goes on.
bool missing_callback(KxwJswUserObjBase* mptUserObj, unsigned, void**, unsigned*, KXW_JSW_OBJ_PROP_TYPE_ENUM*,
                      void** mppvRetVal, unsigned*, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    auto* ptNode = dynamic_cast<KxwTestDomNode*>(mptUserObj);
    if (!ptNode) return false;
    ptNode->JavaScriptMissingSupport("missing");
    *mppvRetVal = nullptr;
    *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_UNDEFINED;
    return true;
}

// Deletes the node's disposable object from inside a script, as an event handler removing a node would.
bool dispose_callback(KxwJswUserObjBase* mptUserObj, unsigned, void**, unsigned*, KXW_JSW_OBJ_PROP_TYPE_ENUM*,
                      void** mppvRetVal, unsigned*, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    auto* ptNode = dynamic_cast<KxwTestDomNode*>(mptUserObj);
    if (!ptNode) return false;
    delete ptNode->_ptDisposable;
    ptNode->_ptDisposable = nullptr;
    *mppvRetVal = nullptr;
    *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_NULL;
    return true;
}

const KxwJswPropertySpec katNodeProperties[] = {
    {"name", 128, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"title", 129, KXW_JSW_PROP_PERMANENT, "S"},
    {"count", 130, KXW_JSW_PROP_PERMANENT, "i"},
    {"secret", 131, KXW_JSW_PROP_PERMANENT, "S"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNodeMethods[] = {
    {"describe", describe_callback, "", 0},
    {"missing", missing_callback, "", 0},
    {"dispose", dispose_callback, "", 0},
    {nullptr, nullptr, nullptr, 0},
};
const KxwJswPropertySpec katElementProperties[] = {
    {"tagName", 132, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"hidden", 133, KXW_JSW_PROP_PERMANENT, "b"},
    {"readyState", 134, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"filters", 135, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};
const KxwJswPropertySpec katLeafProperties[] = {
    {"leafText", 136, KXW_JSW_PROP_PERMANENT, "S"},
    {"nothing", 137, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"child", 138, KXW_JSW_PROP_PERMANENT, "o"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

const KxwJswClassInformation ktNodeClassInfo(nullptr, "testnode", katNodeProperties, katNodeMethods);
const KxwJswClassInformation ktElementClassInfo(&ktNodeClassInfo, "testelement", katElementProperties, katNoMethods,
                                                nullptr, KXW_JSW_CLASS_KIND_NAMED_ITEMS);
const KxwJswClassInformation ktLeafClassInfo(&ktElementClassInfo, "testleaf", katLeafProperties, katNoMethods, nullptr,
                                             KXW_JSW_CLASS_KIND_NAMED_ITEMS);

// The first id of each class's own range, as the classes receive them.
constexpr short kFirstElementId = -124;
constexpr short kFirstLeafId = -120;

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// testnode

KxwTestDomNode::KxwTestDomNode(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler)
    : KxwDomBase(mptMemMgr, mptU16nHandler), _tName(GetDomEnv()), _tTitle(GetDomEnv()) {
    ++Live();
}

KxwTestDomNode::KxwTestDomNode(KxwDomEnv& mrtDomEnv)
    : KxwDomBase(mrtDomEnv), _tName(GetDomEnv()), _tTitle(GetDomEnv()) {
    ++Live();
}

KxwTestDomNode::~KxwTestDomNode() {
    --Live();
    // The subtree goes without recursion: test trees are as deep as real pages can make them.
    std::vector<KxwTestDomNode*> tPending;
    tPending.swap(_tChildren);
    while (!tPending.empty()) {
        KxwTestDomNode* ptNode = tPending.back();
        tPending.pop_back();
        tPending.insert(tPending.end(), ptNode->_tChildren.begin(), ptNode->_tChildren.end());
        ptNode->_tChildren.clear();
        delete ptNode;
    }
}

int& KxwTestDomNode::Live() {
    thread_local int iLive = 0;
    return iLive;
}

const KxwJswClassInformation* KxwTestDomNode::GetClassInformation() const {
    return &ktNodeClassInfo;
}

bool KxwTestDomNode::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case -128:
            mrtPropertyInfo = _tName;
            return true;
        case -127:
            mrtPropertyInfo = _tTitle;
            return true;
        case -126:
            mrtPropertyInfo = _tCount;
            return true;
        default:
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwTestDomNode", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwTestDomNode::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case -127:
            _tTitle = mrtPropertyInfo;
            return true;
        case -126:
            _tCount = mrtPropertyInfo;
            return true;
        default:
            return xfbKxwDomUtilUnsupportedSetPropertyId("KxwTestDomNode", mnTinyId);
    }
}

bool KxwTestDomNode::GetShouldBeDeletedAtFinalize() {
    return !_ptParent && KxwDomBase::GetShouldBeDeletedAtFinalize();
}

bool KxwTestDomNode::GetShouldAddJSRoot() {
    // Members of a subtree that its engine object owns live through the root's engine object only.
    if (_ptRoot) return !_ptRoot->GetShouldBeDeletedAtFinalize();
    return !GetShouldBeDeletedAtFinalize();
}

void KxwTestDomNode::TraceFromJsiObj(KxwJswTracer& mrtTracer) {
    if (_ptRoot) {
        mrtTracer.TraceUserObj(_ptRoot, "subtree root");
        return;
    }
    KxwDomDisconnectedSubtreeVisitor tVisitor(KXW_DOM_SUBTREE_VISIT_MODE_TRACE, &mrtTracer);
    tVisitor.Visit(this);
}

void KxwTestDomNode::EnumerateSubtreeMembers(KxwDomSubtreeMemberSink& mrtSink) {
    if (_ptHeldUserObj) mrtSink.AddUserObj(_ptHeldUserObj);
    if (_bHasHeldValue) mrtSink.AddHeldValue(_tHeldValue);
    for (KxwTestDomNode* ptChild : _tChildren) mrtSink.AddChild(ptChild);
}

void KxwTestDomNode::AppendChild(KxwTestDomNode* mptChild) {
    mptChild->_ptParent = this;
    mptChild->_ptRoot = _ptRoot ? _ptRoot : this;
    _tChildren.push_back(mptChild);
    mptChild->UpdateScopeParent();
}

// ---------------------------------------------------------------------------------------------------------------
// testelement

const KxwJswClassInformation* KxwTestDomElement::GetClassInformation() const {
    return &ktElementClassInfo;
}

bool KxwTestDomElement::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kFirstElementId) return KxwTestDomNode::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    switch (mnTinyId) {
        case -124:
            mrtPropertyInfo.AssignU16nStr(u"DIV", 3, true);
            return true;
        case -123:
            mrtPropertyInfo = _tHidden;
            return true;
        case -122:
            mrtPropertyInfo.AssignU16nStr(GetReadyStateU16nStr(), GetReadyStateU16nLenInChars(), true);
            return true;
        case -121:
            mrtPropertyInfo = KxwDomDummyObject::CreateDummyObject();
            return true;
        default:
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwTestDomElement", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwTestDomElement::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kFirstElementId) return KxwTestDomNode::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    if (mnTinyId != -123) return xfbKxwDomUtilUnsupportedSetPropertyId("KxwTestDomElement", mnTinyId);
    _tHidden = mrtPropertyInfo;
    return true;
}

KxwDomBase* KxwTestDomElement::GetItem(const char* mpszName, bool) {
    auto it = mpszName ? _tNamedItems.find(mpszName) : _tNamedItems.end();
    return it == _tNamedItems.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------------------------------------------
// testleaf

const KxwJswClassInformation* KxwTestDomLeaf::GetClassInformation() const {
    return &ktLeafClassInfo;
}

bool KxwTestDomLeaf::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kFirstLeafId) return KxwTestDomElement::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    switch (mnTinyId) {
        case -120:
            mrtPropertyInfo = _tLeafText;
            return true;
        case -119:
            mrtPropertyInfo.AssignNoValue();
            return true;
        case -118:
            if (_ptChildObj)
                mrtPropertyInfo = _ptChildObj;
            else
                mrtPropertyInfo.AssignNull();
            return true;
        default:
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwTestDomLeaf", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwTestDomLeaf::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kFirstLeafId) return KxwTestDomElement::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    switch (mnTinyId) {
        case -120:
            _tLeafText = mrtPropertyInfo;
            return true;
        case -118:
            _ptChildObj = mrtPropertyInfo.ConvertToJswObjPropType() == KXW_DOM_PROPERTY_INFO_TYPE_DOM_OBJECT
                              ? mrtPropertyInfo.GetDomObject()
                              : nullptr;
            return true;
        default:
            return xfbKxwDomUtilUnsupportedSetPropertyId("KxwTestDomLeaf", mnTinyId);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Fixture and helpers

void KxwDomScriptTest::SetUp() {
    _ptEngine = KxwJswEngine::Create(EngineOptions());
    ASSERT_NE(nullptr, _ptEngine);
    _ptApi = new KxwHswApi(_ptEngine);
    KxwTestDomNode::Live() = 0;
}

void KxwDomScriptTest::TearDown() {
    delete _ptApi;
    delete _ptEngine;
    EXPECT_EQ(0, KxwTestDomNode::Live()) << "test objects outlived the engine";
}

std::string KxwDomScriptTest::Eval(const std::string& mdsScript) {
    KxwTestScriptNotifier tNotifier;
    KxwJsval tResult;
    if (!_ptApi->EvaluateUtf8(tNotifier, nullptr, mdsScript.data(), mdsScript.size(), "test.js", 1, &tResult))
        return "ERROR: " + tNotifier._dsError;
    return tResult.GetStringUtf8();
}

void KxwDomScriptTest::SetGlobalDocument(KxwJswUserObjBase* mptDocument) {
    _tDocumentOwner._ptDocument = mptDocument;
    _ptEngine->GetMainGlobal()->SetOwner(mptDocument ? &_tDocumentOwner : nullptr);
}

void KxwDomScriptTest::SetGlobal(const char* mpszName, KxwJswUserObjBase* mptUserObj) {
    KxwJsval tGlobal;
    tGlobal.SetObject(_ptEngine->GetGlobal());
    KxwJsval tValue;
    ASSERT_TRUE(tValue.SetDomObject(mptUserObj));
    ASSERT_TRUE(tGlobal.SetProperty(mpszName, tValue));
}

KxwTestTraceCapture::KxwTestTraceCapture(bool mbDetailed)
    : _bPrevTrace(xtKxwEnvCfg._bTraceEnabled), _bPrevDetailed(xtKxwEnvCfg._bDetailedTrace) {
    static std::atomic<int> iCounter{0};
    _dsPath = "/tmp/kxw-dombase-trace-" + std::to_string(getpid()) + "-" + std::to_string(++iCounter) + ".log";
    std::remove(_dsPath.c_str());
    EXPECT_TRUE(xfbKxwUtilOpenTraceFile(_dsPath.c_str()));
    xtKxwEnvCfg._bTraceEnabled = true;
    xtKxwEnvCfg._bDetailedTrace = mbDetailed;
}

KxwTestTraceCapture::~KxwTestTraceCapture() {
    xtKxwEnvCfg._bTraceEnabled = _bPrevTrace;
    xtKxwEnvCfg._bDetailedTrace = _bPrevDetailed;
    xfvKxwUtilCloseTraceFile();
    std::remove(_dsPath.c_str());
}

std::string KxwTestTraceCapture::Text() const {
    std::ifstream tFile(_dsPath);
    std::stringstream tText;
    tText << tFile.rdbuf();
    return tText.str();
}

std::string KxwTestPtrText(const void* mpvPtr) {
    char acText[32];
    std::snprintf(acText, sizeof acText, "%p", mpvPtr);
    return acText;
}
