#include <gtest/gtest.h>

#include <string>

#include "KxwDomBindingUtil.h"
#include "KxwDomDisconnectedSubtreeVisitor.h"
#include "KxwDomDummyObject.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomTestClasses.h"
#include "KxwDomWatchDelete.h"
#include "KxwMemMgr.h"
#include "KxwRecordingSink.h"

namespace {

class KxwDomBindingTest : public KxwDomScriptTest {
protected:
    void SetUp() override {
        KxwDomScriptTest::SetUp();
        _ptMemMgr = new KxwMemMgrGeneric(&_tBlkMgr);
    }
    void TearDown() override {
        KxwDomScriptTest::TearDown();
        delete _ptMemMgr;
    }
    // A C++-owned element on the test's memory manager, as a document's nodes are.
    template <class T>
    T* NewOwned() {
        return new (_ptMemMgr) T(_ptMemMgr, nullptr);
    }
    // A node that its engine object will own once it has one, as a removed subtree's root is.
    template <class T>
    T* NewUnowned() {
        return new (static_cast<KxwMemMgr*>(nullptr)) T(nullptr, nullptr);
    }
    static size_t Occurrences(const std::string& mdsText, const std::string& mdsFragment) {
        size_t nCount = 0;
        for (size_t nPos = mdsText.find(mdsFragment); nPos != std::string::npos;
             nPos = mdsText.find(mdsFragment, nPos + 1))
            ++nCount;
        return nCount;
    }

    KxwMemBlkMgr _tBlkMgr;
    KxwMemMgrGeneric* _ptMemMgr = nullptr;
};

std::u16string U16(const KxwDomHtmlPropertyStr& mrtProperty) {
    return std::u16string(mrtProperty.GetU16nStr(), mrtProperty.GetU16nLenInChars());
}

TEST_F(KxwDomBindingTest, PropertiesByTinyIdThroughThreeClasses) {
    KxwTestDomLeaf* ptLeaf = NewOwned<KxwTestDomLeaf>();
    KxwTestDomElement* ptOther = NewOwned<KxwTestDomElement>();
    ptLeaf->_tName.SetDcs("first", 5);
    SetGlobal("leaf", ptLeaf);
    SetGlobal("other", ptOther);

    // Reads from each level of the chain: ids 128 and up reach the classes as -128 and up.
    EXPECT_EQ("first||0|DIV|false|complete||undefined|null",
              Eval("[leaf.name, leaf.title, leaf.count, leaf.tagName, leaf.hidden, leaf.readyState, leaf.leafText,"
                   " String(leaf.nothing), String(leaf.child)].join('|')"));
    // Writes convert by the type letter, and each class stores its own properties.
    Eval(
        "leaf.title = 42; leaf.count = '0x10'; leaf.hidden = 'yes'; leaf.leafText = 'caf\\u00e9'; "
        "leaf.child = other");
    EXPECT_EQ(u"42", U16(ptLeaf->_tTitle));
    EXPECT_EQ(16, ptLeaf->_tCount.GetLong());
    EXPECT_TRUE(ptLeaf->_tCount.IsSpecified());
    EXPECT_TRUE(ptLeaf->_tHidden.GetBool());
    EXPECT_EQ(u"caf\u00E9", U16(ptLeaf->_tLeafText));
    EXPECT_EQ(ptOther, ptLeaf->_ptChildObj);
    EXPECT_EQ("42|16|true|true|true", Eval("[leaf.title, leaf.count, leaf.hidden, leaf.leafText === 'caf\\u00e9',"
                                           " leaf.child === other].join('|')"));
    EXPECT_EQ("null", Eval("leaf.child = null; String(leaf.child)"));
    EXPECT_EQ(nullptr, ptLeaf->_ptChildObj);
    // The same ids on an object of the middle class reach the middle class.
    EXPECT_EQ("|DIV", Eval("[other.title, other.tagName].join('|')"));

    // Read-only properties: ignored in sloppy mode, a TypeError in strict mode.
    EXPECT_EQ("first", Eval("leaf.name = 'changed'; leaf.name"));
    EXPECT_NE(std::string::npos, Eval("'use strict'; leaf.tagName = 'P'").find("TypeError"));

    // A declared id that no class handles: traced, undefined, and the write is refused.
    std::string dsTrace;
    {
        KxwTestTraceCapture tTrace(false);
        EXPECT_EQ("undefined", Eval("leaf.secret = 's'; String(leaf.secret)"));
        dsTrace = tTrace.Text();
    }
    EXPECT_NE(std::string::npos, dsTrace.find("KxwTestDomNode::GetDomPropertyInfo: Unsupported property ID (-125)"));
    EXPECT_NE(std::string::npos, dsTrace.find("KxwTestDomNode::SetDomPropertyInfo: Unsupported property ID (-125)"));

    delete ptLeaf;
    delete ptOther;
}

TEST_F(KxwDomBindingTest, ValueTriplesAndEngineValuesFromCpp) {
    KxwTestDomLeaf* ptLeaf = NewOwned<KxwTestDomLeaf>();
    KxwTestDomElement* ptOther = NewOwned<KxwTestDomElement>();
    ptLeaf->_tTitle.SetU16n(u"kept", 4);
    ptLeaf->_tCount.SetLong(-7);
    ptLeaf->_ptChildObj = ptOther;

    void* pvTitle = nullptr;
    unsigned nTitleLen = 0;
    auto eTitleType = KXW_JSW_OBJ_PROP_TYPE_INVALID;
    KxwDomPropertyInfo tTitleHolder;
    ASSERT_TRUE(ptLeaf->GetPropValueAndType(-127, &pvTitle, &nTitleLen, &eTitleType, tTitleHolder));
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_STRING, eTitleType);
    // Further reads do not disturb the triple already given: it lives in its own holder.
    KxwDomPropertyInfo tHolder;
    void* pvValue = nullptr;
    unsigned nLen = 0;
    auto eType = KXW_JSW_OBJ_PROP_TYPE_INVALID;
    ASSERT_TRUE(ptLeaf->GetPropValueAndType(-126, &pvValue, &nLen, &eType, tHolder));
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_INT, eType);
    EXPECT_EQ(-7, static_cast<int>(reinterpret_cast<intptr_t>(pvValue)));
    ASSERT_TRUE(ptLeaf->GetPropValueAndType(-118, &pvValue, &nLen, &eType, tHolder));
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT, eType);
    EXPECT_EQ(static_cast<KxwJswUserObjBase*>(ptOther), pvValue);
    EXPECT_EQ(KXW_JSW_DOM_OBJECT_LEN, nLen);
    ASSERT_TRUE(ptLeaf->GetPropValueAndType(-124, &pvValue, &nLen, &eType, tHolder));
    EXPECT_EQ(u"DIV", std::u16string(static_cast<const char16_t*>(pvValue), nLen));
    EXPECT_EQ(u"kept", std::u16string(static_cast<const char16_t*>(pvTitle), nTitleLen));

    // Failure triple of an unhandled id.
    pvValue = ptLeaf;
    nLen = 9;
    EXPECT_FALSE(ptLeaf->GetPropValueAndType(-125, &pvValue, &nLen, &eType, tHolder));
    EXPECT_EQ(nullptr, pvValue);
    EXPECT_EQ(0u, nLen);
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_NONE, eType);
    EXPECT_FALSE(ptLeaf->GetPropValueAndType(-125, nullptr, nullptr, nullptr, tHolder));

    // No value leaves the caller's value as it was; an unhandled id makes it undefined.
    KxwJsval tValue;
    tValue.SetInt(7);
    EXPECT_TRUE(ptLeaf->GetDomPropertyJsval(-119, tValue));
    EXPECT_TRUE(tValue.IsInt());
    EXPECT_FALSE(ptLeaf->GetDomPropertyJsval(-125, tValue));
    EXPECT_TRUE(tValue.IsUndefined());
    // A write arrives as the engine value and is stored by the property's own conversion.
    KxwJsval tWritten;
    tWritten.SetInt(123);
    EXPECT_TRUE(ptLeaf->SetDomPropertyJsval(-120, tWritten));
    EXPECT_EQ(u"123", U16(ptLeaf->_tLeafText));
    EXPECT_FALSE(ptLeaf->SetDomPropertyJsval(-125, tWritten));

    delete ptLeaf;
    delete ptOther;
}

TEST_F(KxwDomBindingTest, MethodCallbacksCheckTheirObject) {
    KxwRecordingSink tSink;
    KxwTestDomNode* ptNode = NewOwned<KxwTestDomNode>();
    KxwTestDomElement* ptElement = NewOwned<KxwTestDomElement>();
    ptElement->_tTitle.SetU16n(u"titled", 6);
    SetGlobal("node", ptNode);
    SetGlobal("element", ptElement);
    EXPECT_EQ("titled", Eval("element.describe()"));
    EXPECT_EQ(0u, tSink.Count());

    // A node is not an element: the callback reports and the script sees the method fail.
    EXPECT_EQ("caught: Error: describe failed", Eval("try { node.describe(); 'no' } catch (e) { 'caught: ' + e }"));
    ASSERT_EQ(1u, tSink.Count());
    EXPECT_EQ(xfeKxwUtilJavaScriptErrorSevLvl(), tSink.Messages()[0]._eSevLvl);
    EXPECT_EQ(0u, tSink.Messages()[0]._dsText.find("Invalid arguments for KxwTestDomElement::describe_callback: "
                                                   "mptUserObj=" +
                                                   KxwTestPtrText(static_cast<KxwJswUserObjBase*>(ptNode)) +
                                                   " (dynamic_cast=(nil)), mnArgc=0, mpapvArgv="))
        << tSink.Messages()[0]._dsText;

    // The report gives the neutral result wherever it may write, with or without a name.
    tSink.Clear();
    void* pvRetVal = ptNode;
    unsigned nRetValLen = 3;
    auto eRetValType = KXW_JSW_OBJ_PROP_TYPE_STRING;
    xfvKxwDomUtilInvalidJswMethodCallbackArgs("", nullptr, ptNode, 2, nullptr, nullptr, nullptr, &pvRetVal, &nRetValLen,
                                              &eRetValType);
    EXPECT_EQ(nullptr, pvRetVal);
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_NONE, eRetValType);
    xfvKxwDomUtilInvalidJswMethodCallbackArgs(nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                                              nullptr);
    ASSERT_EQ(2u, tSink.Count());
    EXPECT_EQ(0u, tSink.Messages()[0]._dsText.find("Invalid arguments for unspecified method name: "));
    EXPECT_NE(std::string::npos, tSink.Messages()[0]._dsText.find("mnArgc=2"));
    EXPECT_EQ(0u, tSink.Messages()[1]._dsText.find("Invalid arguments for unspecified method name: "));

    // A known but unimplemented method: reported, and the script goes on.
    tSink.Clear();
    EXPECT_EQ("undefined|next", Eval("[String(node.missing()), 'next'].join('|')"));
    EXPECT_TRUE(tSink.Saw("missing is not supported for this=" + KxwTestPtrText(static_cast<KxwDomBase*>(ptNode))));

    delete ptNode;
    delete ptElement;
}

TEST_F(KxwDomBindingTest, DummiesAbsorbWhateverScriptsDo) {
    KxwTestDomElement* ptElement = NewOwned<KxwTestDomElement>();
    SetGlobal("element", ptElement);
    size_t nRegisteredBefore;
    std::string dsTrace;
    {
        KxwTestTraceCapture tTrace;
        nRegisteredBefore = _ptEngine->GetRegisteredCount();
        EXPECT_EQ("function|function|[object dummy-object]|[object dummy-object]|true|true|true|function|true|true",
                  Eval("var d = element.filters; var r = d.alpha.opacity(5);"
                       "[typeof d, typeof r, Object.prototype.toString.call(r), String(d),"
                       " d.toString === Object.prototype.toString, typeof d[100] === 'function', d[101] === null,"
                       " typeof d(), d.valueOf() === d, d.a.b.c().d[3]() !== undefined].join('|')"));
        Eval("d = null; r = null");
        _ptEngine->CollectGarbage();
        dsTrace = tTrace.Text();
    }
    EXPECT_NE(std::string::npos,
              dsTrace.find("msiElementIndex (101) > 100. Returning NULL in KxwDomDummyObject::GetPropByIndex"));
    // Every dummy made, those only probed for an index included, went with its engine object.
    size_t nMade = Occurrences(dsTrace, "KxwDomDummyObject CTOR");
    EXPECT_GE(nMade, 10u);
    EXPECT_EQ(nMade, Occurrences(dsTrace, "KxwDomDummyObject DTOR"));
    EXPECT_EQ(nRegisteredBefore, _ptEngine->GetRegisteredCount());

    // A dummy the library holds outlives the collection of its engine object.
    {
        KxwTestTraceCapture tTrace;
        {
            KxwDomDummyObjectStatic tStatic;
            EXPECT_FALSE(tStatic.GetShouldBeDeletedAtFinalize());
            SetGlobal("held", &tStatic);
            EXPECT_EQ("function", Eval("typeof held.anything.at.all()"));
            Eval("held = null");
            _ptEngine->CollectGarbage();
            EXPECT_TRUE(tStatic.HasJsiObj()) << "the holder keeps the engine object";
        }
        dsTrace = tTrace.Text();
    }
    EXPECT_EQ(1u, Occurrences(dsTrace, "KxwDomDummyObjectStatic CTOR"));
    EXPECT_EQ(1u, Occurrences(dsTrace, "KxwDomDummyObjectStatic DTOR"));
    void* pvValue = nullptr;
    unsigned nLen = 0;
    auto eType = KXW_JSW_OBJ_PROP_TYPE_INVALID;
    ASSERT_TRUE(KxwDomDummyObject::CreateDummyObject(&pvValue, &nLen, &eType));
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT, eType);
    EXPECT_EQ(KXW_JSW_DOM_OBJECT_LEN, nLen);
    EXPECT_NE(nullptr, dynamic_cast<KxwDomDummyObject*>(static_cast<KxwJswUserObjBase*>(pvValue)));
    // Dropped without a script ever seeing it: the collector takes it (checked by the leak checker).
    delete ptElement;
}

TEST(KxwDomDummyObject, NeedsAnEngineToBeOwned) {
    KxwRecordingSink tSink;
    EXPECT_EQ(nullptr, KxwDomDummyObject::CreateDummyObject());
    EXPECT_TRUE(tSink.Saw("No script engine on this thread in KxwDomDummyObject::CreateDummyObject"));
    KxwDomDummyObject tDummy;
    EXPECT_TRUE(tDummy.IsResolved("anything"));
    EXPECT_FALSE(tDummy.IsResolved("toString"));
    EXPECT_FALSE(tDummy.IsResolved("valueOf"));
    EXPECT_FALSE(tDummy.IsResolved("Function"));
    EXPECT_FALSE(tDummy.IsResolved("Object"));
    EXPECT_FALSE(tDummy.IsResolved(nullptr));
}

TEST_F(KxwDomBindingTest, NamedItemsAreLiveDomObjects) {
    KxwTestDomElement* ptElement = NewOwned<KxwTestDomElement>();
    KxwTestDomNode* ptForm = NewOwned<KxwTestDomNode>();
    ptElement->_tNamedItems["myForm"] = ptForm;
    ptElement->_tNamedItems["tagName"] = ptForm;  // a declared name wins over an item of that name
    SetGlobal("element", ptElement);
    SetGlobal("form", ptForm);

    void* pvValue = nullptr;
    unsigned nLen = 0;
    auto eType = KXW_JSW_OBJ_PROP_TYPE_INVALID;
    ASSERT_TRUE(ptElement->GetPropertyByName("myForm", &pvValue, &nLen, &eType));
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT, eType);
    EXPECT_EQ(0xFFFFFFFFu, nLen);
    EXPECT_EQ(static_cast<KxwJswUserObjBase*>(ptForm), pvValue);
    EXPECT_TRUE(ptElement->IsResolved("myForm"));
    EXPECT_FALSE(ptElement->IsResolved("other"));
    EXPECT_FALSE(ptElement->IsResolved(nullptr));
    EXPECT_FALSE(ptForm->IsResolved("myForm")) << "a class without named items answers none";

    std::string dsTrace;
    {
        KxwTestTraceCapture tTrace(false);
        EXPECT_FALSE(ptElement->GetPropertyByName("nope", &pvValue, &nLen, &eType));
        EXPECT_FALSE(ptElement->GetPropertyByName(nullptr, &pvValue, &nLen, &eType));
        dsTrace = tTrace.Text();
    }
    EXPECT_EQ(nullptr, pvValue);
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_NONE, eType);
    EXPECT_NE(std::string::npos, dsTrace.find("KxwDomBase::GetPropertyByName: Property \"nope\" not found"));
    EXPECT_NE(std::string::npos, dsTrace.find("KxwDomBase::GetPropertyByName: Property \"[NULL]\" not found"));

    EXPECT_EQ("true|true|DIV|undefined", Eval("[element.myForm === form, 'myForm' in element, element.tagName,"
                                              " String(element.other)].join('|')"));
    ptElement->_tNamedItems.erase("myForm");
    EXPECT_EQ("undefined|false", Eval("[String(element.myForm), 'myForm' in element].join('|')"));

    delete ptElement;
    delete ptForm;
}

TEST_F(KxwDomBindingTest, VisitorModesOverASubtree) {
    KxwRecordingSink tSink;
    KxwDomDummyObjectStatic tStyle;
    KxwTestDomElement* ptRoot = NewOwned<KxwTestDomElement>();
    KxwTestDomNode* ptFirst = NewOwned<KxwTestDomNode>();
    KxwTestDomNode* ptSecond = NewOwned<KxwTestDomNode>();
    KxwTestDomLeaf* ptGrandChild = NewOwned<KxwTestDomLeaf>();
    ptRoot->AppendChild(ptFirst);
    ptRoot->AppendChild(ptSecond);
    ptFirst->AppendChild(ptGrandChild);
    ptSecond->_ptHeldUserObj = &tStyle;

    KxwDomDisconnectedSubtreeVisitor tProtect(KXW_DOM_SUBTREE_VISIT_MODE_PROTECT);
    KxwDomDisconnectedSubtreeVisitor tUnprotect(KXW_DOM_SUBTREE_VISIT_MODE_UNPROTECT);
    KxwDomDisconnectedSubtreeVisitor tProbe(KXW_DOM_SUBTREE_VISIT_MODE_PROBE);
    KxwDomDisconnectedSubtreeVisitor tDetach(KXW_DOM_SUBTREE_VISIT_MODE_DETACH);

    EXPECT_FALSE(tProbe.Visit(ptRoot)) << "nothing has an engine object yet";
    EXPECT_EQ(5u, tProbe.GetVisitedCount());
    EXPECT_TRUE(tProtect.Visit(ptRoot));
    EXPECT_EQ(5u, tProtect.GetVisitedCount());
    for (KxwJswUserObjBase* ptMember :
         std::initializer_list<KxwJswUserObjBase*>{ptRoot, ptFirst, ptSecond, ptGrandChild, &tStyle})
        EXPECT_TRUE(ptMember->IsTempProtectedFromGC());
    EXPECT_TRUE(tProbe.Visit(ptRoot));
    EXPECT_EQ(1u, tProbe.GetVisitedCount()) << "the probe stops at the first live member";
    EXPECT_TRUE(tUnprotect.Visit(ptRoot));
    EXPECT_FALSE(ptGrandChild->IsTempProtectedFromGC());
    EXPECT_FALSE(tStyle.IsTempProtectedFromGC());
    EXPECT_FALSE(tProbe.Visit(ptRoot));

    // A member deep down with an engine object makes the subtree alive; detaching makes every member forget it.
    ASSERT_TRUE(ptGrandChild->CreateJsiObj());
    ASSERT_TRUE(tStyle.CreateJsiObj());
    EXPECT_TRUE(tProbe.Visit(ptRoot));
    EXPECT_TRUE(tDetach.Visit(ptRoot));
    EXPECT_FALSE(ptGrandChild->HasJsiObj());
    EXPECT_FALSE(tStyle.HasJsiObj());
    EXPECT_FALSE(tProbe.Visit(ptRoot));
    EXPECT_EQ(0u, tSink.Count());

    // A walk needs a root, and tracing needs a tracer.
    EXPECT_FALSE(tProbe.Visit(nullptr));
    KxwDomDisconnectedSubtreeVisitor tTraceWithoutTracer(KXW_DOM_SUBTREE_VISIT_MODE_TRACE);
    EXPECT_FALSE(tTraceWithoutTracer.Visit(ptRoot));
    EXPECT_EQ(2u, tSink.Count());
    EXPECT_TRUE(tSink.Saw("in KxwDomDisconnectedSubtreeVisitor::Visit"));

    delete ptRoot;
}

TEST_F(KxwDomBindingTest, DetachedSubtreeLivesAsAWholeThenGoes) {
    KxwTestDomElement* ptRoot = NewUnowned<KxwTestDomElement>();
    KxwTestDomNode* ptFirst = NewUnowned<KxwTestDomNode>();
    KxwTestDomNode* ptSecond = NewUnowned<KxwTestDomNode>();
    KxwTestDomLeaf* ptGrandChild = NewUnowned<KxwTestDomLeaf>();
    ptRoot->AppendChild(ptFirst);
    ptRoot->AppendChild(ptSecond);
    ptFirst->AppendChild(ptGrandChild);
    EXPECT_TRUE(ptRoot->GetShouldBeDeletedAtFinalize());
    EXPECT_FALSE(ptGrandChild->GetShouldBeDeletedAtFinalize());
    KxwDomWatchDelete tWatchRoot("root", ptRoot);
    KxwDomWatchDelete tWatchSecond("second", ptSecond);

    SetGlobal("root", ptRoot);
    SetGlobal("second", ptSecond);
    SetGlobal("grandChild", ptGrandChild);
    // A listener's function held by a member, reachable from nothing but the subtree.
    KxwTestScriptNotifier tNotifier;
    KxwJsval tFunction;
    const char kszListener[] = "(function () { return 'listener ran'; })";
    ASSERT_TRUE(
        _ptApi->EvaluateUtf8(tNotifier, nullptr, kszListener, sizeof kszListener - 1, "test.js", 1, &tFunction));
    ptSecond->_tHeldValue.Set(tFunction);
    ptSecond->_bHasHeldValue = true;
    EXPECT_EQ("kept", Eval("root.expando = 'kept'; root = null; second = null; 'kept'"));

    // Only the grandchild is referenced; the whole subtree survives, even a compacting collection.
    _ptEngine->CollectGarbage(true);
    EXPECT_FALSE(tWatchRoot.HasBeenDeleted());
    EXPECT_EQ(4, KxwTestDomNode::Live());
    EXPECT_TRUE(ptRoot->HasJsiObj());
    EXPECT_TRUE(ptSecond->HasJsiObj());
    SetGlobal("root", ptRoot);
    EXPECT_EQ("kept", Eval("root.expando"));
    KxwJsval tResult;
    ASSERT_TRUE(_ptApi->CallFunctionValue(tNotifier, ptSecond->_tHeldValue.Get(), nullptr, 0, nullptr, &tResult));
    EXPECT_EQ("listener ran", tResult.GetStringUtf8());

    // Unreferenced: the root goes with its engine object and takes its members along.
    Eval("root = null; grandChild = null");
    _ptEngine->CollectGarbage();
    EXPECT_TRUE(tWatchRoot.HasBeenDeleted());
    EXPECT_TRUE(tWatchSecond.HasBeenDeleted());
    EXPECT_EQ(0, KxwTestDomNode::Live());
}

TEST_F(KxwDomBindingTest, VeryDeepSubtreesAreWalkedWithoutRecursion) {
    constexpr int kDepth = 100000;
    KxwTestDomNode* ptRoot = NewUnowned<KxwTestDomNode>();
    KxwTestDomNode* ptDeepest = ptRoot;
    for (int i = 1; i < kDepth; ++i) {
        KxwTestDomNode* ptChild = NewUnowned<KxwTestDomNode>();
        ptDeepest->AppendChild(ptChild);
        ptDeepest = ptChild;
    }
    KxwDomDisconnectedSubtreeVisitor tProtect(KXW_DOM_SUBTREE_VISIT_MODE_PROTECT);
    EXPECT_TRUE(tProtect.Visit(ptRoot));
    EXPECT_EQ(static_cast<size_t>(kDepth), tProtect.GetVisitedCount());
    EXPECT_TRUE(ptDeepest->IsTempProtectedFromGC());
    KxwDomDisconnectedSubtreeVisitor tUnprotect(KXW_DOM_SUBTREE_VISIT_MODE_UNPROTECT);
    EXPECT_TRUE(tUnprotect.Visit(ptRoot));
    EXPECT_FALSE(ptDeepest->IsTempProtectedFromGC());

    // The deepest node alone keeps the whole chain through collections, then it all goes.
    SetGlobal("root", ptRoot);
    SetGlobal("deepest", ptDeepest);
    Eval("deepest.title = 'bottom'; root = null");
    _ptEngine->CollectGarbage();
    EXPECT_EQ(kDepth, KxwTestDomNode::Live());
    EXPECT_EQ("bottom", Eval("deepest.title"));
    Eval("deepest = null");
    _ptEngine->CollectGarbage();
    EXPECT_EQ(0, KxwTestDomNode::Live());
}

}  // namespace
