// Engine values that C++ holds while the engine allocates, collects and moves things; globals with prototypes of
// their own; collections in slices with changes between them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KxwJswTestFixture.h"
#include "QmtUtils.h"

namespace {

// Enough allocation to start several nursery collections, then a compacting full one: whatever the engine can move
// has moved once it returns.
const char kszChurn[] =
    "function churn() { var junk = []; for (var k = 0; k < 300000; k++) junk.push({k: k}); junk = null; "
    "o.compact(); }";

class KxwJswRootingTest : public KxwJswTest {
protected:
    void SetUp() override {
        KxwJswTest::SetUp();
        SetGlobal("o", &_tObj);
        ASSERT_EQ("undefined", Eval(kszChurn));
    }
    KxwTestDerived _tObj{"obj"};
};

}  // namespace

TEST_F(KxwJswRootingTest, TheIteratorWalksAnArrayLikeWhoseGettersAllocateAndCollect) {
    KxwTestNotifier tNotifier;
    std::string dsScript =
        "var arrayLike = {length: 4}; for (let i = 0; i < 4; i++) "
        "Object.defineProperty(arrayLike, i, {get() { churn(); return 'v' + i; }}); arrayLike";
    KxwJsval tArray;
    ASSERT_TRUE(_ptApi->EvaluateUtf8(tNotifier, nullptr, dsScript.data(), dsScript.size(), "it.js", 1, &tArray));
    Eval("arrayLike = null");  // only the iterator keeps it now
    std::vector<std::string> tSeen;
    for (KxwJsvalIterator it(tArray); it.IsValid(); ++it) tSeen.push_back((*it).GetStringUtf8());
    ASSERT_EQ(4u, tSeen.size());
    EXPECT_EQ("v0", tSeen[0]);
    EXPECT_EQ("v3", tSeen[3]);
}

TEST_F(KxwJswRootingTest, ValuesHeldByCppSurviveCollectionsThatMoveThem) {
    KxwTestNotifier tNotifier;
    std::string dsObject = "({name: 'kept', list: [1, 2, 3]})";
    std::string dsString = "'text' + String(6 * 7)";
    KxwJsval tObject, tString, tCopy;
    ASSERT_TRUE(_ptApi->EvaluateUtf8(tNotifier, nullptr, dsObject.data(), dsObject.size(), "v.js", 1, &tObject));
    ASSERT_TRUE(_ptApi->EvaluateUtf8(tNotifier, nullptr, dsString.data(), dsString.size(), "v.js", 1, &tString));
    tCopy = tObject;
    KxwJsvalProt tProt(tString);
    // Nothing but these C++ values refers to either now.
    Eval("churn(); churn()");
    KxwJsval tName;
    ASSERT_TRUE(tObject.GetProperty("name", tName));
    EXPECT_EQ("kept", tName.GetStringUtf8());
    EXPECT_EQ("text42", tString.GetStringUtf8());
    EXPECT_EQ("text42", tProt.Get().GetStringUtf8());
    KxwJsval tList;
    ASSERT_TRUE(tCopy.GetProperty("list", tList));
    EXPECT_EQ("1,2,3", tList.GetStringUtf8());
    // A value let go of is no root any more: a collection may take what it held.
    tObject.SetUndefined();
    tCopy.SetInt(1);
    EXPECT_EQ(1, tCopy.GetInt());
}

TEST_F(KxwJswRootingTest, ArgumentsAndPropertyValuesConvertWhileTheirConversionsCollect) {
    EXPECT_EQ("5", Eval("o.addInts({valueOf() { churn(); return 2; }}, {valueOf() { churn(); return 3; }})"));
    EXPECT_EQ("echo!", Eval("o.echoString({toString() { churn(); return 'echo'; }})"));
    EXPECT_EQ("1:raw", Eval("o.raw({toString() { churn(); return 'raw'; }})"));
    Eval("o.value = {toString() { churn(); return 'set'; }}");
    EXPECT_EQ(u"set", _tObj._dsValue);
    // 'f' and '*' arguments are pointers into the call's own rooted values: a function (9) and a string (2).
    EXPECT_EQ("9:2", Eval("o.kinds(function () { churn(); }, {toString() { churn(); return 'x'; }} + 1)"));
}

TEST_F(KxwJswRootingTest, AThrowingConversionReachesTheScriptAndChangesNothing) {
    Eval("o.value = 'before'");
    EXPECT_EQ("ERROR: uncaught exception: 1", Eval("o.value = {toString() { throw 1; }}"));
    EXPECT_EQ(u"before", _tObj._dsValue);
    EXPECT_EQ("caught 2", Eval("try { o.echoString({toString() { throw 2; }}); } catch (e) { 'caught ' + e; }"));
    EXPECT_EQ("caught 3", Eval("try { o.raw({toString() { throw 3; }}); } catch (e) { 'caught ' + e; }"));
}

// ---------------------------------------------------------------------------------------------------------------
// Globals

namespace {

// Shows one object as the global's document.
class KxwTestGlobalOwner : public KxwJswGlobalOwner {
public:
    KxwJswUserObjBase* GetGlobalDocument() override { return _ptDocument; }
    KxwJswUserObjBase* _ptDocument = nullptr;
};

}  // namespace

TEST_F(KxwJswTest, EachGlobalHasItsOwnPrototypesAndObjectsPassBetweenThemAsTheyAre) {
    KxwTestDerived tMain("main"), tSecond("second");
    KxwJswGlobal* ptSecond = _ptEngine->CreateGlobal();
    ASSERT_NE(nullptr, ptSecond);
    SetGlobal("m", &tMain);  // made in the main global's realm
    KxwJsval tSecondGlobal;
    tSecondGlobal.SetObject(ptSecond->GetObject());
    KxwJsval tMainGlobal;
    tMainGlobal.SetObject(_ptEngine->GetGlobal());
    ASSERT_TRUE(tMainGlobal.SetProperty("second", tSecondGlobal));
    {
        KxwJswGlobal::RealmScope tRealm(ptSecond);
        EXPECT_EQ(ptSecond, _ptEngine->GetCurrentGlobal());
        SetGlobal("s", &tSecond);  // made in the second global's realm
        SetGlobal("m", &tMain);    // the main global's object, as it is
        EXPECT_EQ("true", Eval("Object.getPrototypeOf(s) !== Object.getPrototypeOf(m)"));
        // Each chain ends at its own global's Object.prototype.
        EXPECT_EQ("true false",
                  Eval("var top = function (x) { return Object.getPrototypeOf(Object.getPrototypeOf("
                       "Object.getPrototypeOf(x))); }; (top(s) === Object.prototype) + ' ' + "
                       "(top(m) === Object.prototype)"));
        // Methods work across: the object is no wrapper, its class checks pass.
        EXPECT_EQ("main:hi!", Eval("m.name + ':' + m.echoString('hi')"));
        EXPECT_EQ("true", Eval("Object.getPrototypeOf(new Thing()) === Thing.prototype"));
        // A page that changes its classes changes only its own.
        Eval("Object.getPrototypeOf(s).echoString = function () { return 'replaced'; }");
        EXPECT_EQ("replaced x!", Eval("s.echoString('x') + ' ' + m.echoString('x')"));
    }
    EXPECT_EQ(_ptEngine->GetMainGlobal(), _ptEngine->GetCurrentGlobal());
    EXPECT_EQ("x!", Eval("m.echoString('x')"));
    // An object whose home is the second global gets its engine object there, whatever realm is entered.
    KxwTestDerived tHomed("homed");
    tHomed._ptHomeGlobal = ptSecond;
    SetGlobal("h", &tHomed);
    EXPECT_EQ("true false", Eval("(Object.getPrototypeOf(h) === Object.getPrototypeOf(second.s)) + ' ' + "
                                 "(Object.getPrototypeOf(h) === Object.getPrototypeOf(m))"));
    EXPECT_EQ("true true", Eval("(second.s.name == 'second') + ' ' + (second.m === m)"));
    EXPECT_EQ("true", Eval("second.Thing.prototype !== Thing.prototype && second.Object !== Object"));
    _ptEngine->ReleaseGlobal(ptSecond);
    Eval("second = null");
    _ptEngine->CollectGarbage(true);
    EXPECT_EQ("main", Eval("m.name"));
}

TEST_F(KxwJswTest, WindowAndDocumentCannotBeReplacedAndDocumentFollowsTheOwner) {
    KxwTestBase tFirst("first"), tNext("next");
    KxwTestGlobalOwner tOwner;
    tOwner._ptDocument = &tFirst;
    _ptEngine->GetMainGlobal()->SetOwner(&tOwner);
    EXPECT_EQ("first", Eval("document.name"));
    EXPECT_EQ("object first", Eval("document = 5; typeof document + ' ' + document.name"));
    EXPECT_EQ("first", Eval("var document = 7; document.name"));
    EXPECT_EQ("false", Eval("delete document"));
    EXPECT_EQ("true", Eval("(function () { 'use strict'; try { document = 1; } catch (e) { return e instanceof "
                           "TypeError; } })()"));
    EXPECT_EQ("ERROR", Eval("let document = 1").substr(0, 5));
    EXPECT_EQ("ERROR", Eval("Object.defineProperty(this, 'document', {value: 1})").substr(0, 5));
    EXPECT_EQ("true true", Eval("window = 3; (window === this) + ' ' + (window.window === window)"));
    EXPECT_EQ("ERROR", Eval("Object.defineProperty(window, 'window', {get: function () { return 1; }})").substr(0, 5));
    tOwner._ptDocument = &tNext;
    EXPECT_EQ("next", Eval("document.name")) << "the accessor asks the owner at every read";
    _ptEngine->GetMainGlobal()->SetOwner(nullptr);
    EXPECT_EQ("null", Eval("String(document)"));
}

// Every window's Date tells the replay's time, however its scripts first reach it: by name, as a property of the
// window, through its descriptor, from another window.
TEST_F(KxwJswTest, EveryWindowsDateRunsOnTheReplaysClock) {
    QmtUtilsManualClock tClock(5000);
    tClock.Install();
    KxwTestBase tFrameDocument("frame document");
    KxwTestGlobalOwner tFrameOwner;
    tFrameOwner._ptDocument = &tFrameDocument;
    KxwJswGlobal* ptFrame = _ptEngine->CreateGlobal(&tFrameOwner);
    ASSERT_NE(nullptr, ptFrame);
    KxwJsval tFrame;
    tFrame.SetObject(ptFrame->GetObject());
    KxwJsval tMain;
    tMain.SetObject(_ptEngine->GetGlobal());
    ASSERT_TRUE(tMain.SetProperty("frame", tFrame));
    Eval("var t0 = Date.now()");
    tClock.Advance(250000);
    {
        KxwJswGlobal::RealmScope tRealm(ptFrame);
        EXPECT_EQ("true|true|true",
                  Eval("var D = Object.getOwnPropertyDescriptor(this, 'Da' + 'te').value; "
                       "[D === this.Date, new D() instanceof Date, typeof D.now() == 'number'].join('|')"));
    }
    EXPECT_EQ("true|true|true|true", Eval("var d = frame.Date.now() - t0, e = new frame.Date().getTime() - t0; "
                                          "[d >= 250000 && d < 250001, e >= 250000 && e < 250001, frame.Date !== Date, "
                                          "Date.now() - t0 < 250001].join('|')"));
    EXPECT_EQ("1970", Eval("String(new frame.Date(0).getUTCFullYear())")) << "a time given is kept";
    _ptEngine->ReleaseGlobal(ptFrame);
    QmtUtilsManualClock::Uninstall();
}

TEST_F(KxwJswTest, ASecondGlobalHasItsOwnWindowAndDocument) {
    KxwTestBase tMainDocument("main document"), tFrameDocument("frame document");
    KxwTestGlobalOwner tMainOwner, tFrameOwner;
    tMainOwner._ptDocument = &tMainDocument;
    tFrameOwner._ptDocument = &tFrameDocument;
    _ptEngine->GetMainGlobal()->SetOwner(&tMainOwner);
    KxwJswGlobal* ptFrame = _ptEngine->CreateGlobal(&tFrameOwner);
    ASSERT_NE(nullptr, ptFrame);
    KxwJsval tFrame, tMain;
    tFrame.SetObject(ptFrame->GetObject());
    tMain.SetObject(_ptEngine->GetGlobal());
    ASSERT_TRUE(tMain.SetProperty("frame", tFrame));
    EXPECT_EQ("frame document|main document|true",
              Eval("frame.document.name + '|' + document.name + '|' + (frame.window === frame)"));
    // Read often enough for the engine's compiled code and caches to take over the reads.
    EXPECT_EQ("3000", Eval("var n = 0; for (var i = 0; i < 3000; i++) if (frame.document.name == 'frame document' && "
                           "document.name == 'main document' && frame.window === frame && window === this) n++; n"));
    // A getter answers for the window it belongs to, whatever it is called on.
    EXPECT_EQ("frame document|main document",
              Eval("var g = Object.getOwnPropertyDescriptor(frame, 'document').get; "
                   "g.call(this).name + '|' + Object.getOwnPropertyDescriptor(this, 'document').get.call(frame).name"));
    {
        KxwJswGlobal::RealmScope tRealm(ptFrame);
        EXPECT_EQ("frame document", Eval("document.name"));
    }
    _ptEngine->ReleaseGlobal(ptFrame);
    EXPECT_EQ("null", Eval("String(frame.document)")) << "a released global shows no document";
    _ptEngine->GetMainGlobal()->SetOwner(nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// Collection in slices

namespace {

class KxwJswIncrementalTest : public KxwJswTest {
protected:
    KxwJswEngineOptions EngineOptions() const override {
        KxwJswEngineOptions tOptions;
        tOptions._bIncrementalGC = true;
        return tOptions;
    }
};

}  // namespace

TEST_F(KxwJswIncrementalTest, ASubtreeAttachedBetweenSlicesKeepsItsMembersExpandos) {
    constexpr int kMembers = 30;
    auto* ptRoot = new KxwTestBase("root", true);
    std::vector<KxwTestBase*> tMembers;
    for (int i = 0; i < kMembers; ++i) {
        tMembers.push_back(new KxwTestBase("m" + std::to_string(i)));
        ptRoot->AddChild(tMembers.back());
        // No script touches a member: nothing of the engine's own (caches, compiled code) refers to it.
        KxwJsval tMember, tExpando;
        ASSERT_TRUE(tMember.SetDomObject(tMembers.back()));
        std::string dsExpando = "e" + std::to_string(i);
        ASSERT_TRUE(tExpando.SetStringUtf8(dsExpando.data(), dsExpando.size()));
        ASSERT_TRUE(tMember.DefineOwnProperty(u"expando", 7, tExpando));
    }
    SetGlobal("root", ptRoot);
    // The members' engine objects are reachable only through the root's, and the root's only at the end of a long
    // chain of objects, which the first slices do not reach.
    Eval("var chain = {}; for (var k = 0, last = chain; k < 100000; k++) last = last.next = {k: k}; "
         "last.next = root; delete this.root");
    // Everything is tenured first: what the nursery moves out during a collection in slices starts out marked.
    _ptEngine->CollectGarbage();
    size_t nRootTraces = _ptEngine->GetRootTraceCount();
    ASSERT_TRUE(_ptEngine->StartIncrementalCollection(1)) << "the collection must still run for the test";
    // Smallest slices until the roots are traced (the start may wait for the engine's helper threads).
    for (int i = 0; i < 1000000 && _ptEngine->GetRootTraceCount() == nRootTraces; ++i)
        ASSERT_TRUE(_ptEngine->ContinueIncrementalCollection(1));
    ASSERT_TRUE(_ptEngine->IsMarkingIncrementally());
    // C++ takes the subtree over, as a document does when it is appended: from now on the roots keep the members,
    // but the roots were traced already in this collection.
    ptRoot->_bOwnedByJsiObj = false;
    ptRoot->UpdateScopeParent();
    for (KxwTestBase* ptMember : tMembers) {
        ptMember->_bInDetachedTree = false;
        ptMember->UpdateScopeParent();
    }
    Eval("chain = null");
    int iSlices = 0;
    while (_ptEngine->ContinueIncrementalCollection(1000) && ++iSlices < 100000) {
    }
    _ptEngine->FinishIncrementalCollection();
    _ptEngine->DeletePendingUserObjs();
    EXPECT_EQ(kMembers + 1, KxwTestCounts::Live());
    int iKept = 0;
    for (int i = 0; i < kMembers; ++i) {
        SetGlobal("m", tMembers[i]);
        if (Eval("m.expando") == "e" + std::to_string(i)) ++iKept;
    }
    EXPECT_EQ(kMembers, iKept) << "expandos were lost: an engine object died while C++ kept its object";
    delete ptRoot;
}

// ---------------------------------------------------------------------------------------------------------------
// Windows: a global per page behind one window proxy

namespace {

// Evaluates in a global's realm, as a window's page script runs.
std::string EvalIn(KxwJswTest& mrtTest, KxwJswGlobal* mptGlobal, const std::string& mdsScript) {
    KxwJswGlobal::RealmScope tRealm(mptGlobal);
    return mrtTest.EvalHere(mdsScript);
}

}  // namespace

TEST_F(KxwJswTest, AWindowKeepsItsIdentityFromPageToPageAndLeavesTheOldPageBehind) {
    KxwTestWindow tWindow("w");
    KxwTestBase tFrame("frame one");
    tWindow._tItems["frame1"] = &tFrame;
    // An engine object belongs to its home global and keeps it alive: the frame lives longer than page 1.
    tFrame._ptHomeGlobal = _ptEngine->GetMainGlobal();
    size_t nGlobals = _ptEngine->GetGlobalCount();
    KxwJswGlobal* ptPage1 = _ptEngine->CreateGlobal();
    ASSERT_TRUE(ptPage1->SetWindow(&tWindow));
    // The page's globals are the window's names; this, window and unqualified calls reach the window.
    EXPECT_EQ("true true hello from w frame one w",
              EvalIn(*this, ptPage1,
                     "var x = 1; let y = 2; (this === window) + ' ' + (typeof greet == 'function') + ' ' + greet() + "
                     "' ' + frame1.name + ' ' + name"));
    SetGlobal("held", &tWindow);  // another window (the main global) holds a reference
    EXPECT_EQ("1 true", Eval("held.x + ' ' + (held === held.window)"));

    // A new page: a new global behind the same proxy.
    KxwJswGlobal* ptPage2 = _ptEngine->CreateGlobal();
    ASSERT_TRUE(ptPage2->SetWindow(&tWindow));
    EXPECT_EQ("undefined undefined hello from w",
              EvalIn(*this, ptPage2, "typeof x + ' ' + typeof y + ' ' + greet()"));
    EXPECT_EQ("undefined true true", Eval("typeof held.x + ' ' + (held.greet() == 'hello from w') + ' ' + "
                                          "(held === held.window)"));
    EvalIn(*this, ptPage2, "var z = 3");
    EXPECT_EQ("3", Eval("held.z"));

    // The old page goes with the next collection once nothing refers to it.
    ptPage1->SetWindow(nullptr);
    _ptEngine->ReleaseGlobal(ptPage1);
    _ptEngine->CollectGarbage(true);
    EXPECT_EQ(nGlobals + 1, _ptEngine->GetGlobalCount()) << "the first page's global is still alive";
    EXPECT_EQ("3", Eval("held.z"));
    ptPage2->SetWindow(nullptr);
    _ptEngine->ReleaseGlobal(ptPage2);
    Eval("held = null");
}

TEST_F(KxwJswTest, AWindowsNamesReadOftenFollowTheWindowAndItsPrototypesStayAsTheyAre) {
    KxwTestWindow tWindow("w");
    KxwTestBase tFrame("frame one"), tLater("frame two");
    tWindow._tItems["frame1"] = &tFrame;
    KxwJswGlobal* ptPage = _ptEngine->CreateGlobal();
    ASSERT_TRUE(ptPage->SetWindow(&tWindow));
    // Often enough for the engine's compiled code and caches to serve the reads: the values still come from the
    // window at every read, and a name the window gains later is found.
    const char* pszRead =
        "function read() { return name + ' ' + greet() + ' ' + frame1.name + ' ' + typeof frame2; } "
        "var n = 0; for (var i = 0; i < 3000; i++) if (read() == 'w hello from w frame one undefined') "
        "n++; n";
    EXPECT_EQ("3000", EvalIn(*this, ptPage, pszRead));
    tWindow._dsName = "renamed";
    tWindow._tItems["frame2"] = &tLater;
    EXPECT_EQ("renamed hello from renamed frame one object", EvalIn(*this, ptPage, "read()"));
    // As in a browser, neither the window's prototype nor those of its classes can be replaced.
    EXPECT_EQ("TypeError TypeError true",
              EvalIn(*this, ptPage,
                     "var p = Object.getPrototypeOf(window), e = [];"
                     "[window, p].forEach(function (o) { try { Object.setPrototypeOf(o, {}); e.push('none'); }"
                     " catch (x) { e.push(x.name); } });"
                     "e.join(' ') + ' ' + (Object.getPrototypeOf(window) === p)"));
    ptPage->SetWindow(nullptr);
    _ptEngine->ReleaseGlobal(ptPage);
}

TEST_F(KxwJswTest, MethodsOfAWindowCalledWithoutAnObjectNeedTheirWindow) {
    KxwTestWindow tWindow("w");
    KxwJswGlobal* ptPage = _ptEngine->CreateGlobal();
    ASSERT_TRUE(ptPage->SetWindow(&tWindow));
    EXPECT_EQ("hello from w", EvalIn(*this, ptPage, "var g = greet; g()"));
    // Called from another global the function still works on the window of its own.
    SetGlobal("w", &tWindow);
    EXPECT_EQ("hello from w", Eval("var g = w.greet; g()"));
    // A global that no window stands for any more gives such a call nothing to work on.
    ptPage->SetWindow(nullptr);
    EXPECT_EQ("ERROR", Eval("g()").substr(0, 5));
    EXPECT_EQ("ERROR", Eval("g.call({})").substr(0, 5));
    _ptEngine->ReleaseGlobal(ptPage);
    Eval("w = g = null");
}
