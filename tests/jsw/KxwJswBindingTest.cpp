#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "KxwJswTestFixture.h"
#include "KxwRecordingSink.h"

TEST_F(KxwJswTest, PropertiesByTinyIdThroughTheClassChain) {
    KxwTestDerived tObj("first");
    SetGlobal("o", &tObj);
    EXPECT_EQ("first|initial|0|false|extra", Eval("[o.name, o.value, o.number, o.flag, o.extra].join('|')"));
    Eval("o.value = 5; o.number = '0x10'; o.flag = 'yes'; o.extra = null");
    EXPECT_EQ(u"5", tObj._dsValue);
    EXPECT_EQ(16, tObj._iNumber);
    EXPECT_TRUE(tObj._bFlag);
    EXPECT_EQ(u"null", tObj._dsExtra);
    Eval("o.number = 3.9; o.flag = ''");
    EXPECT_EQ(3, tObj._iNumber);
    EXPECT_FALSE(tObj._bFlag);
    // UTF-16 survives whole, surrogate pairs included.
    Eval("o.value = 'caf\\u00e9 \\ud83d\\ude00'");
    EXPECT_EQ(u"caf\u00e9 \U0001F600", tObj._dsValue);
    // Declared properties live on the prototypes, not on the instance.
    EXPECT_EQ("false|true", Eval("[o.hasOwnProperty('value'), 'value' in o].join('|')"));
    EXPECT_EQ("[object TestDerived]", Eval("Object.prototype.toString.call(o)"));
}

TEST_F(KxwJswTest, ObjectPropertiesAndReadOnlyOnes) {
    KxwTestBase tHolder("holder");
    KxwTestBase tTarget("target");
    SetGlobal("h", &tHolder);
    SetGlobal("t", &tTarget);
    EXPECT_EQ("true", Eval("h.object = t; h.object === t"));
    EXPECT_EQ(&tTarget, tHolder._ptObject);
    EXPECT_EQ("null", Eval("h.object = undefined; String(h.object)"));
    EXPECT_NE(std::string::npos, Eval("h.object = 5").find("object is required"));

    EXPECT_EQ("holder", Eval("h.name = 'changed'; h.name"));  // sloppy mode: ignored
    EXPECT_NE(std::string::npos, Eval("'use strict'; h.name = 'changed'").find("TypeError"));
    EXPECT_EQ("holder", tHolder._dsName);
}

TEST_F(KxwJswTest, MethodsConvertBySignatureLetters) {
    KxwTestDerived tObj;
    KxwTestBase tOther("other");
    SetGlobal("o", &tObj);
    SetGlobal("other", &tOther);
    EXPECT_EQ("42!", Eval("o.echoString(42)"));
    EXPECT_EQ("undefined!", Eval("o.echoString(undefined)"));
    EXPECT_EQ("5", Eval("o.addInts('2', 3.9)"));
    EXPECT_EQ("true", Eval("o.negate(0)"));
    EXPECT_EQ("false", Eval("o.negate({})"));
    EXPECT_EQ("true", Eval("o.same(other) === other"));
    EXPECT_EQ("null", Eval("String(o.same(null))"));
    EXPECT_NE(std::string::npos, Eval("o.same(5)").find("must be an object"));
    // 'f' and '*' pass the values through with their kinds: a function (9) and a string (2); extra arguments too.
    EXPECT_EQ("9:2:4", Eval("o.kinds(function(){}, 'x', 7)"));
    // Up to four arguments travel in the call's own buffers, more in allocated ones: both sides of the limit, and a
    // short call after a long one.
    EXPECT_EQ("9:2:4:6", Eval("o.kinds(function(){}, 'x', 7, true)"));
    EXPECT_EQ("9:2:4:6:7:8:5", Eval("o.kinds(function(){}, 'x', 7, true, null, undefined, 1.5)"));
    EXPECT_EQ("7", Eval("o.kinds(null)"));
    EXPECT_EQ("2:a", Eval("o.raw('a', 'b')"));
    EXPECT_EQ("0:", Eval("o.raw()"));
    // A callback that fails is a catchable error, not a crash or an uncatchable stop.
    EXPECT_EQ("caught: Error: refuse failed", Eval("try { o.refuse(); 'no' } catch (e) { 'caught: ' + e }"));
    EXPECT_EQ("2", Eval("o.addInts.length"));
    // Missing arguments reach the callback as missing: it refuses.
    EXPECT_NE(std::string::npos, Eval("o.addInts(1)").find("addInts failed"));
}

TEST_F(KxwJswTest, MethodsRefuseObjectsOfOtherClasses) {
    KxwTestDerived tObj;
    KxwTestBase tBase("plain");
    SetGlobal("o", &tObj);
    SetGlobal("b", &tBase);
    tObj._dsExtra = u"untouched";
    std::string dsResult = Eval("Object.getPrototypeOf(o).echoString.call(b, 'x')");
    EXPECT_NE(std::string::npos, dsResult.find("TypeError")) << dsResult;
    EXPECT_EQ(u"untouched", tObj._dsExtra);
    EXPECT_NE(std::string::npos, Eval("Object.getOwnPropertyDescriptor(Object.getPrototypeOf(o), 'extra')"
                                      ".get.call({})")
                                     .find("TypeError"));
    // A derived object is a base object for the base's accessors.
    EXPECT_EQ("base", Eval("Object.getOwnPropertyDescriptor(Object.getPrototypeOf(b), 'name').get.call(o)"));
}

TEST_F(KxwJswTest, NamedItemsAndIndexesStayLiveAndNeverHideExpandos) {
    KxwTestContainer tContainer("container");
    KxwTestBase tItem("item");
    KxwTestBase tSecond("second");
    tContainer._tItems["myItem"] = &tItem;
    tContainer._tItems["name"] = &tSecond;  // a declared name wins over an item
    tContainer._tIndexed = {&tItem, &tSecond};
    SetGlobal("c", &tContainer);
    EXPECT_EQ("true|true|container", Eval("[c.myItem === c.myItem, 'myItem' in c, c.name].join('|')"));
    EXPECT_EQ("item|second|undefined", Eval("[c[0].name, c[1].name, String(c[2])].join('|')"));

    tContainer._tItems.erase("myItem");
    tContainer._tIndexed.pop_back();
    EXPECT_EQ("undefined|false|undefined|false",
              Eval("[String(c.myItem), 'myItem' in c, String(c[1]), 1 in c].join('|')"));

    // An expando is an ordinary property: a later item of the same name does not hide it.
    Eval("c.foo = 1");
    tContainer._tItems["foo"] = &tItem;
    EXPECT_EQ("1", Eval("c.foo"));
    // Writing a named item's name makes an expando of it.
    tContainer._tItems["bar"] = &tItem;
    EXPECT_EQ("5|5", Eval("var before = c.bar.name; c.bar = 5; [c.bar, (delete c.bar, c.bar = 5, c.bar)].join('|')"));

    // Names beyond ASCII, short and long, reach the object as UTF-8.
    std::string dsLong;
    for (int n = 0; n < 60; ++n) dsLong += "\xC3\xA9";  // 60 times U+00E9
    tContainer._tItems["caf\xC3\xA9"] = &tItem;
    tContainer._tItems[dsLong] = &tSecond;
    EXPECT_EQ("item|second|undefined|false",
              Eval("[c['caf\\u00e9'].name, c['\\u00e9'.repeat(60)].name, String(c['\\u00e9'.repeat(59)]),"
                   " Object.prototype.hasOwnProperty.call(c, 'caf\\u00e8')].join('|')"));
}

// Members are on the prototypes as scripts look for them, in the tables' order, each with its own functions; one a
// script deleted or replaced stays as the script left it.
TEST_F(KxwJswTest, PrototypeMembersAsScriptsSeeThem) {
    EXPECT_EQ("name,value,number,flag,object",
              Eval("var t = new Thing('x'); t.flag; var k = []; for (var p in t) k.push(p); k.join()"));
    EXPECT_EQ("true|thing|true|false",
              Eval("var P = Object.getPrototypeOf(t); var d = Object.getOwnPropertyDescriptor(P, 'name');"
                   "[d.get === Object.getOwnPropertyDescriptor(P, 'name').get, d.get.call(t),"
                   " P.hasOwnProperty('value'), P.hasOwnProperty('nothing')].join('|')"));
    EXPECT_EQ("7|false|false|name,number,flag,object,added",
              Eval("Object.defineProperty(P, 'number', {value: 7}); delete P.value; P.added = 1;"
                   "[t.number, 'value' in t, P.hasOwnProperty('value'),"
                   " Object.getOwnPropertyNames(P).filter(function(n) { return n != 'constructor' })].join('|')"));
    // A prototype frozen before its members were named has them all, frozen.
    KxwTestDerived tDerived("derived");
    SetGlobal("d", &tDerived);
    EXPECT_EQ("true|function|false", Eval("var Q = Object.getPrototypeOf(d); Object.freeze(Q); [Object.isFrozen(Q),"
                                          " typeof Object.getOwnPropertyDescriptor(Q, 'extra').get,"
                                          " Object.getOwnPropertyDescriptor(Q, 'extra').configurable].join('|')"));
}

// The engine caches lookups that go past prototypes and named-item objects, which read the same in hot loops: a
// base member, a declared name beside items, an item that appears later, a member deleted or a name added after
// the cache was made.
TEST_F(KxwJswTest, LookupsInHotLoopsSeeChangesToPrototypesAndItems) {
    KxwTestDerived tDerived("derived");
    KxwTestContainer tContainer("container");
    KxwTestBase tItem("item");
    tContainer._tItems["name"] = &tItem;
    SetGlobal("d", &tDerived);
    SetGlobal("c", &tContainer);
    // The same function reads before and after the item appears: what it cached must not hide the item.
    EXPECT_EQ("derived|container|0",
              Eval("function later() { return c.later; } var a, b, m = 0; for (var i = 0; i < 2000; i++) {"
                   " a = d.name; b = c.name; if (later() !== undefined) m++; } [a, b, m].join('|')"));
    tContainer._tItems["later"] = &tItem;
    EXPECT_EQ("2000|item",
              Eval("var m = 0; for (var i = 0; i < 2000; i++) if (later()) m++; [m, later().name].join('|')"));
    EXPECT_EQ(
        "undefined|1000|1000",
        Eval("var before = 0, after = 0, P = Object.getPrototypeOf(Object.getPrototypeOf(d));"
             "for (var i = 0; i < 2000; i++) { if (i == 1000) { delete P.name; P.fresh = 1; }"
             " if (d.name !== undefined) before++; if (d.fresh) after++; } [String(d.name), before, after].join('|')"));
}

// Script constructors are found by name among the descriptions that exist when a global first reads the name.
TEST_F(KxwJswTest, ConstructorsOfDescriptionsThatComeAndGo) {
    static const KxwJswCtorRegistrator katGadget[] = {
        {"Gadget", [](KxwJswCallArgs&) -> KxwJswUserObjBase* { return new KxwTestBase("thing", true); }, 0},
        {nullptr, nullptr, 0}};
    KxwTestBase tBase;
    EXPECT_EQ("undefined|function", Eval("[typeof Gadget, typeof Thing].join('|')"));
    {
        KxwJswClassInformation tGadget(tBase.GetClassInformation(), "GadgetClass", nullptr, nullptr, katGadget);
        EXPECT_EQ("function|thing", Eval("[typeof Gadget, new Gadget().name].join('|')"));
        EXPECT_EQ(katGadget, KxwJswClassInformation::FindConstructor("Gadget", nullptr));
    }
    EXPECT_EQ(nullptr, KxwJswClassInformation::FindConstructor("Gadget", nullptr));
    EXPECT_EQ(nullptr, KxwJswClassInformation::FindConstructor("Gadge", nullptr));
    EXPECT_NE(nullptr, KxwJswClassInformation::FindConstructor("Thing", nullptr));
}

TEST_F(KxwJswTest, IdentityAndExpandosSurviveCollectionsThatMoveObjects) {
    KxwTestBase tObj("kept");
    SetGlobal("o", &tObj);
    Eval("o.expando = {deep: 'value'}; var first = o");
    JSObject* ptBefore = tObj.GetJsiObj();
    Eval("o = null");  // only C++ holds it now
    _ptEngine->CollectGarbage(true);
    _ptEngine->CollectGarbage(false);
    SetGlobal("again", &tObj);
    EXPECT_EQ("true|value", Eval("[again === first, again.expando.deep].join('|')"));
    EXPECT_NE(nullptr, tObj.GetJsiObj());
    (void)ptBefore;  // a shrinking collection may have moved it; identity is what scripts can see
    EXPECT_EQ(&tObj, KxwJswUserObjBase::FromJsiObj(tObj.GetJsiObj()));
}

TEST_F(KxwJswTest, ObjectDeletedByCppLeavesAHarmlessEngineObject) {
    auto* ptObj = new KxwTestDerived("doomed");
    SetGlobal("o", ptObj);
    EXPECT_EQ("doomed", Eval("o.name"));
    delete ptObj;
    EXPECT_EQ("undefined|undefined", Eval("[String(o.name), String(o.echoString('x'))].join('|')"));
    EXPECT_EQ("1", Eval("o.expando = 1; o.expando"));
    _ptEngine->CollectGarbage();
    EXPECT_EQ("undefined", Eval("String(o.extra)"));
}

TEST_F(KxwJswTest, DetachedSubtreeLivesWhileAnyPartIsReferenced) {
    auto* ptRoot = new KxwTestBase("root", true);
    auto* ptChild = new KxwTestBase("child");
    auto* ptGrandChild = new KxwTestBase("grandchild");
    auto* ptSibling = new KxwTestBase("sibling");
    ptRoot->AddChild(ptChild);
    ptRoot->AddChild(ptSibling);
    ptChild->AddChild(ptGrandChild);
    SetGlobal("root", ptRoot);
    SetGlobal("sibling", ptSibling);
    SetGlobal("grand", ptGrandChild);
    Eval("root.expando = 'kept'; sibling.mark = 'also'; root = null; sibling = null");
    EXPECT_EQ(4, KxwTestCounts::Live());
    _ptEngine->CollectGarbage();
    _ptEngine->CollectGarbage(true);
    EXPECT_EQ(4, KxwTestCounts::Live()) << "a referenced grandchild keeps its whole subtree";
    // The expandos of the other members survived with the subtree.
    SetGlobal("r2", ptRoot);
    SetGlobal("s2", ptSibling);
    EXPECT_EQ("kept|also", Eval("[r2.expando, s2.mark].join('|')"));
    Eval("grand = null; r2 = null; s2 = null");
    _ptEngine->CollectGarbage();
    EXPECT_EQ(0, KxwTestCounts::Live()) << "an unreferenced subtree is deleted after the collection";
}

TEST_F(KxwJswTest, DeletionWaitsWhileAScriptRuns) {
    KxwTestDerived tCollector;
    SetGlobal("o", &tCollector);
    // Three engine-owned objects become garbage, then a collection runs while the script is still on the stack.
    EXPECT_EQ("4", Eval("(function(){ new Thing('a'); new Thing('b'); new Thing('c'); })(); o.collect()"));
    EXPECT_EQ(1, KxwTestCounts::Live()) << "deleted once the evaluation ended";
    EXPECT_EQ("v|true", Eval("var t = new Thing('v'); [t.value, t instanceof Thing].join('|')"));
    _ptEngine->CollectGarbage();
    EXPECT_EQ(2, KxwTestCounts::Live()) << "a referenced constructed object stays";
    Eval("t = null");
    _ptEngine->CollectGarbage();
    EXPECT_EQ(1, KxwTestCounts::Live());
}

TEST_F(KxwJswTest, ScriptErrorsAreReportedWithTheirLinesAndNeverEscape) {
    KxwRecordingSink tSink;
    EXPECT_EQ("ERROR: TypeError: null has no properties", Eval("var a = 1;\nvar b = 2;\nnull.x;", 10));
    EXPECT_EQ(12u, _uLastErrorLine);
    EXPECT_TRUE(tSink.Saw("JavaScript error: TypeError: null has no properties (test.js, line 12)"));
    EXPECT_NE(std::string::npos, Eval("var x = ;", 3).find("SyntaxError"));
    EXPECT_EQ(3u, _uLastErrorLine);
    EXPECT_EQ("ERROR: uncaught exception: boom", Eval("\nthrow 'boom'"));
    EXPECT_EQ(2u, _uLastErrorLine);
    // A hostile toString on the thrown object is not run while reporting.
    Eval("var ran = false; throw {toString: function(){ ran = true; return 'x'; }}");
    EXPECT_EQ("false", Eval("ran"));
    EXPECT_EQ("ok", Eval("'ok'"));
}

TEST_F(KxwJswTest, RunawayScriptsAreStopped) {
    _ptEngine->SetScriptTimeLimitMs(200);
    auto tStart = std::chrono::steady_clock::now();
    std::string dsResult = Eval("try { while (true) {} } finally { 'finally cannot keep it going' }");
    auto llElapsedMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - tStart).count();
    EXPECT_EQ(0u, dsResult.find("ERROR"));
    EXPECT_TRUE(_bLastInterrupted);
    EXPECT_GE(llElapsedMs, 150);
    EXPECT_LT(llElapsedMs, 5000);
    // The engine is usable afterwards, and a function called by name is stopped too.
    EXPECT_EQ("2", Eval("1 + 1"));
    Eval("function spin() { for (;;) {} }");
    KxwTestNotifier tNotifier;
    EXPECT_FALSE(_ptApi->CallFunctionByName(tNotifier, "spin", nullptr, 0, nullptr));
    EXPECT_TRUE(tNotifier._bInterrupted);
    // Deep recursion ends with a script error, not a crash.
    EXPECT_NE(std::string::npos, Eval("function f(n) { return f(n + 1) + 1; } f(0)").find("too much recursion"));
}

TEST_F(KxwJswTest, CallingFunctionsByNameAndByValue) {
    Eval("function add(a, b) { return a + b; } var fn = function(x) { return x * 2; }; function bad() { null.y; }");
    KxwTestNotifier tNotifier;
    KxwJsval atArgs[2];
    atArgs[0].SetInt(40);
    atArgs[1].SetInt(2);
    KxwJsval tResult;
    ASSERT_TRUE(_ptApi->CallFunctionByName(tNotifier, "add", nullptr, 2, atArgs, &tResult));
    EXPECT_EQ(42, tResult.GetInt());
    EXPECT_FALSE(_ptApi->CallFunctionByName(tNotifier, "missing", nullptr, 0, nullptr));
    EXPECT_FALSE(_ptApi->CallFunctionByName(tNotifier, "bad", nullptr, 0, nullptr));
    EXPECT_NE(std::string::npos, tNotifier._dsError.find("TypeError"));

    KxwJsval tGlobal;
    tGlobal.SetObject(_ptEngine->GetGlobal());
    KxwJsval tFunction;
    ASSERT_TRUE(tGlobal.GetProperty("fn", tFunction));
    EXPECT_TRUE(tFunction.IsFunction());
    KxwJsvalProt tHeld(tFunction);  // kept across collections by its holder
    Eval("fn = null");
    _ptEngine->CollectGarbage(true);
    ASSERT_TRUE(_ptApi->CallFunctionValue(tNotifier, tHeld.Get(), nullptr, 1, atArgs, &tResult));
    EXPECT_EQ(80, tResult.GetInt());
}

TEST_F(KxwJswTest, ClassTablesAreValidated) {
    static const KxwJswPropertySpec katBad[] = {
        {"overlaps", 130, KXW_JSW_PROP_PERMANENT, "S"},  // inside the parent's range
        {"noLetter", 200, KXW_JSW_PROP_PERMANENT, nullptr},
        {nullptr, 0, 0, nullptr},
    };
    KxwTestBase tBase;
    KxwRecordingSink tSink;
    KxwJswClassInformation tBad(tBase.GetClassInformation(), "Bad", katBad, nullptr);
    EXPECT_FALSE(tBad.IsValid());
    EXPECT_TRUE(tSink.Saw("Tiny id 130 of Bad.overlaps"));
    EXPECT_TRUE(tSink.Saw("Writable property Bad.noLetter has no type letter"));
    EXPECT_TRUE(tBase.GetClassInformation()->IsValid());
    short nId = 0;
    char cLetter = 0;
    EXPECT_TRUE(tBase.GetPropertyInfo("value", &nId, nullptr, &cLetter));
    EXPECT_EQ(-127, nId);
    EXPECT_EQ('S', cLetter);
}

// Four virtual users on their own threads run scripts at the same time, each with its own objects and engine.
TEST(KxwJswThreads, FourVirtualUsersEvaluateAtOnce) {
    constexpr int kThreads = 4;
    std::atomic<int> iFailures{0};
    std::atomic<int> iReady{0};
    std::vector<std::thread> tThreads;
    for (int i = 0; i < kThreads; ++i) {
        tThreads.emplace_back([i, &iFailures, &iReady] {
            KxwJswEngine* ptEngine = KxwJswEngine::Create();
            if (!ptEngine) {
                ++iFailures;
                return;
            }
            {
                KxwHswApi tApi(ptEngine);
                KxwTestDerived tObj("vu" + std::to_string(i));
                KxwJsval tGlobal;
                tGlobal.SetObject(ptEngine->GetGlobal());
                KxwJsval tValue;
                tValue.SetDomObject(&tObj);
                tGlobal.SetProperty("o", tValue);
                ++iReady;
                while (iReady.load() < kThreads) std::this_thread::yield();
                std::string dsScript =
                    "var s = 0; for (var k = 0; k < 20000; ++k) { o.number = k; s += o.number; } o.name + ':' + s";
                for (int iRound = 0; iRound < 5; ++iRound) {
                    KxwTestNotifier tNotifier;
                    KxwJsval tResult;
                    bool bOK =
                        tApi.EvaluateUtf8(tNotifier, nullptr, dsScript.data(), dsScript.size(), "t.js", 1, &tResult);
                    if (!bOK || tResult.GetStringUtf8() != "vu" + std::to_string(i) + ":199990000") ++iFailures;
                    ptEngine->CollectGarbage();
                }
            }
            delete ptEngine;
        });
    }
    for (std::thread& rtThread : tThreads) rtThread.join();
    EXPECT_EQ(0, iFailures.load());
}

// The watchdog sleeps until the earliest deadline it knows: a virtual user with a shorter time limit, whose deadline
// comes before the one it sleeps until, is still stopped on time, and the other runs on untouched.
TEST(KxwJswThreads, AShortDeadlineIsKeptWhileALongOneIsPending) {
    std::atomic<bool> bLongRunning{false};
    bool bLongInterrupted = true, bShortInterrupted = false;
    std::string dsLongResult;
    long long llShortMs = -1;
    std::thread tLong([&] {
        KxwJswEngine* ptEngine = KxwJswEngine::Create();
        ptEngine->SetScriptTimeLimitMs(20000);
        {
            KxwHswApi tApi(ptEngine);
            KxwTestNotifier tNotifier;
            KxwJsval tResult;
            // Runs for 1.5 s of its 20 s.
            std::string dsScript = "var end = Date.now() + 1500; var n = 0; while (Date.now() < end) ++n; 'done'";
            bLongRunning = true;
            tApi.EvaluateUtf8(tNotifier, nullptr, dsScript.data(), dsScript.size(), "long.js", 1, &tResult);
            bLongInterrupted = tNotifier._bInterrupted;
            dsLongResult = tResult.GetStringUtf8();
        }
        delete ptEngine;
    });
    std::thread tShort([&] {
        while (!bLongRunning) std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        KxwJswEngine* ptEngine = KxwJswEngine::Create();
        ptEngine->SetScriptTimeLimitMs(100);
        {
            KxwHswApi tApi(ptEngine);
            KxwTestNotifier tNotifier;
            std::string dsScript = "for (;;) {}";
            auto tStart = std::chrono::steady_clock::now();
            tApi.EvaluateUtf8(tNotifier, nullptr, dsScript.data(), dsScript.size(), "short.js", 1, nullptr);
            llShortMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - tStart)
                            .count();
            bShortInterrupted = tNotifier._bInterrupted;
        }
        delete ptEngine;
    });
    tShort.join();
    tLong.join();
    EXPECT_TRUE(bShortInterrupted);
    EXPECT_GE(llShortMs, 90);
    EXPECT_LT(llShortMs, 1000) << "stopped at its own deadline, not at the other one's";
    EXPECT_FALSE(bLongInterrupted);
    EXPECT_EQ("done", dsLongResult);
}

// A script compiled once serves every virtual user, with the results of compiling it there: its first use
// compiles the top level, its second compiles it whole, and both give what an uncached compile gives (line numbers
// and source text of inner functions included).
TEST(KxwJswThreads, CachedScriptsGiveTheSameResultsInEveryEngine) {
    std::string dsScript =
        "var counter = (typeof counter == 'number' ? counter : 0) + 1;\n"
        "function where() { try { null.x } catch (e) { return e.lineNumber; } }\n"
        "function outer() { return function inner(a) { return a + where(); }; }\n"
        "[counter, where(), outer()(1), String(outer).length, typeof Thing, [3,1,2].sort().join()].join('|')";
    auto Run = [&dsScript](bool mbUseCache) {
        std::string dsResult;
        std::thread tThread([&] {
            KxwJswEngine* ptEngine = KxwJswEngine::Create();
            {
                KxwHswApi tApi(ptEngine);
                KxwTestNotifier tNotifier;
                KxwJsval tResult;
                for (int i = 0; i < 2; ++i)
                    tApi.EvaluateUtf8(tNotifier, nullptr, dsScript.data(), dsScript.size(), "lib.js", 7, &tResult,
                                      mbUseCache);
                dsResult = tResult.GetStringUtf8() + (tNotifier._dsError.empty() ? "" : " " + tNotifier._dsError);
            }
            delete ptEngine;
        });
        tThread.join();
        return dsResult;
    };
    size_t nHitsBefore = KxwJswProcess::GetScriptCacheHitCount();
    std::string dsUncached = Run(false);
    EXPECT_EQ("2|8|9|70|function|1,2,3", dsUncached);
    EXPECT_EQ(dsUncached, Run(true));
    EXPECT_EQ(dsUncached, Run(true));
    EXPECT_EQ(dsUncached, Run(true));
    EXPECT_GE(KxwJswProcess::GetScriptCacheHitCount(), nHitsBefore + 5);
}

TEST_F(KxwJswTest, CompilingWithoutRunning) {
    std::u16string dsGood = u"var compiledOnly = 1;";
    std::u16string dsBad = u"var = ;";
    KxwTestNotifier tNotifier;
    size_t nHits = KxwJswProcess::GetScriptCacheHitCount();
    EXPECT_TRUE(_ptApi->Compile(tNotifier, dsGood.data(), dsGood.size(), "c.js", 1));
    EXPECT_EQ("undefined", Eval("typeof compiledOnly"));
    EXPECT_TRUE(_ptApi->Compile(tNotifier, dsGood.data(), dsGood.size(), "c.js", 1, false));
    EXPECT_FALSE(_ptApi->Compile(tNotifier, dsBad.data(), dsBad.size(), "c.js", 4));
    EXPECT_NE(std::string::npos, tNotifier._dsError.find("SyntaxError"));
    EXPECT_EQ(4u, tNotifier._uLine);
    // The evaluation of the compiled text finds it in the cache.
    KxwJsval tResult;
    EXPECT_TRUE(_ptApi->Evaluate(tNotifier, nullptr, dsGood.data(), dsGood.size(), "c.js", 1, &tResult));
    EXPECT_GT(KxwJswProcess::GetScriptCacheHitCount(), nHits);
    EXPECT_EQ("1", Eval("String(compiledOnly)"));
}

// The cache tells texts apart that differ in one character (in a whole block of the hash, in the partial block
// at the end) or only in their length; the same text again is found.
TEST_F(KxwJswTest, CachedTextsThatDifferInOneCharacterStayApart) {
    std::string dsPlain(70, 'a');
    std::vector<std::string> tTexts = {dsPlain, dsPlain + "a", dsPlain.substr(1)};
    for (size_t nAt : {0, 33, 69}) {
        tTexts.push_back(dsPlain);
        tTexts.back()[nAt] = 'b';
    }
    size_t nHits = KxwJswProcess::GetScriptCacheHitCount();
    for (int iRound = 0; iRound < 3; ++iRound)
        for (const std::string& rdsText : tTexts) EXPECT_EQ(rdsText, Eval("'" + rdsText + "'"));
    EXPECT_GE(KxwJswProcess::GetScriptCacheHitCount(), nHits + 2 * tTexts.size());
}

TEST_F(KxwJswTest, HeldValuesLiveWithTheirHolderAndCyclesAreCollected) {
    // A listener held by a detached object, whose closure holds the object back: a cycle through C++.
    auto* ptNode = new KxwTestBase("node", true);
    SetGlobal("node", ptNode);
    KxwTestNotifier tNotifier;
    {
        // A KxwJsval is a root while it lives: the function is handed to the node and the local one goes.
        KxwJsval tListener;
        std::string dsScript =
            "var probe = {alive: true}; (function() { var n = node; return function() { return n.name + "
            "probe.alive; }; })()";
        ASSERT_TRUE(_ptApi->EvaluateUtf8(tNotifier, nullptr, dsScript.data(), dsScript.size(), "l.js", 1, &tListener));
        ptNode->_tListener.Set(tListener);
    }
    // Only the script's hold on the node keeps the listener: nothing refers to the function any more.
    Eval("var keep = node; node = null");
    _ptEngine->CollectGarbage(true);
    KxwJsval tResult;
    ASSERT_TRUE(_ptApi->CallFunctionValue(tNotifier, ptNode->_tListener.Get(), nullptr, 0, nullptr, &tResult))
        << "the listener was not kept while the node lives";
    EXPECT_EQ("nodetrue", tResult.GetStringUtf8());
    // Nothing outside the cycle refers to it: the node and its listener go together.
    Eval("keep = null; probe = null");
    _ptEngine->CollectGarbage();
    EXPECT_EQ(0, KxwTestCounts::Live());
}

TEST_F(KxwJswTest, HandlersRunWithTheirObjectInScope) {
    KxwTestDerived tObj("scoped");
    SetGlobal("o", &tObj);
    Eval("var name = 'global name'");
    KxwTestNotifier tNotifier;
    std::u16string dsHandler = u"value = name + ' handled'; extra";
    KxwJsval tResult;
    ASSERT_TRUE(_ptApi->Evaluate(tNotifier, &tObj, dsHandler.data(), dsHandler.size(), "onclick", 1, &tResult));
    EXPECT_EQ("extra", tResult.GetStringUtf8());
    EXPECT_EQ(u"scoped handled", tObj._dsValue);
    EXPECT_EQ("global name", Eval("name"));
}

TEST_F(KxwJswTest, ValuesFromScripts) {
    KxwJsval tArray;
    KxwTestNotifier tNotifier;
    std::string dsScript = "[1, 'two', null, {length: 3}]";
    ASSERT_TRUE(_ptApi->EvaluateUtf8(tNotifier, nullptr, dsScript.data(), dsScript.size(), "v.js", 1, &tArray));
    KxwJsvalProt tHeld(tArray);
    std::vector<std::string> tItems;
    for (KxwJsvalIterator it(tHeld.Get()); it.IsValid(); ++it) tItems.push_back((*it).GetStringUtf8());
    EXPECT_EQ((std::vector<std::string>{"1", "two", "null", "[object Object]"}), tItems);
    KxwJsval tNotArray;
    tNotArray.SetInt(5);
    EXPECT_FALSE(KxwJsvalIterator(tNotArray).IsValid());
    EXPECT_STREQ("1,two,,[object Object]", xfpszKxwJswUtilsGetDcsStrByJsval(nullptr, tHeld.Get()));
    KxwJsval tText;
    ASSERT_TRUE(tText.SetStringU16n(u"h\u00e9llo", 5));
    unsigned nLen = 0;
    const char16_t* pwcText = tText.GetStringU16n(&nLen);
    EXPECT_EQ(u"h\u00e9llo", std::u16string(pwcText, nLen));
    EXPECT_EQ("h\xC3\xA9llo", tText.GetStringUtf8());
    EXPECT_EQ(0, tText.GetInt());
    EXPECT_TRUE(tText.GetBoolean());
}

TEST_F(KxwJswTest, OwnPropertiesOfWrapperObjects) {
    KxwTestDerived tObj("own");
    SetGlobal("o", &tObj);
    Eval("o.first = 1; o.Second = 'two'");
    KxwJsval tObject;
    tObject.SetObject(tObj.GetJsiObj());
    std::vector<std::u16string> tNames;
    ASSERT_TRUE(tObject.GetOwnPropertyNames(tNames));
    EXPECT_EQ((std::vector<std::u16string>{u"first", u"Second"}), tNames);  // declared properties are not own
    KxwJsval tValue;
    tValue.SetInt(7);
    // Defining an own property bypasses the prototype's accessors, so it never reaches the DOM.
    ASSERT_TRUE(tObject.DefineOwnProperty(u"third", 5, tValue));
    EXPECT_EQ("7", Eval("String(o.third)"));
    KxwJsval tRead;
    EXPECT_TRUE(tObject.GetOwnProperty(u"Second", 6, tRead));
    EXPECT_EQ("two", tRead.GetStringUtf8());
    EXPECT_FALSE(tObject.GetOwnProperty(u"value", 5, tRead));
    // A stored value is read without running anything; an accessor's getter is never called.
    Eval(
        "var calls = 0; Object.defineProperty(o, 'got', { get: function () { ++calls; return 'ran'; }, "
        "enumerable: true })");
    EXPECT_TRUE(tObject.GetOwnDataProperty(u"Second", 6, tRead));
    EXPECT_EQ("two", tRead.GetStringUtf8());
    EXPECT_FALSE(tObject.GetOwnDataProperty(u"got", 3, tRead));
    EXPECT_TRUE(tRead.IsUndefined());
    EXPECT_FALSE(tObject.GetOwnDataProperty(u"value", 5, tRead)) << "declared properties are not own";
    EXPECT_EQ("0", Eval("String(calls)"));
    EXPECT_TRUE(tObject.DeleteOwnProperty(u"first", 5));
    EXPECT_EQ("undefined", Eval("typeof o.first"));
    const KxwJswPropertySpec* ptSpec = tObj.GetClassInformation()->FindPropertyIgnoringCase("VALUE");
    ASSERT_NE(nullptr, ptSpec);
    EXPECT_STREQ("value", ptSpec->_pszName);
    EXPECT_EQ(nullptr, tObj.GetClassInformation()->FindPropertyIgnoringCase("valu"));
}
