#include <gtest/gtest.h>

#include <string>

#include "KxwDomStr.h"
#include "KxwDomStrEnvU16HandlerExplicitWatch.h"
#include "KxwDomTestClasses.h"
#include "KxwDomWatchDelete.h"
#include "KxwMemMgr.h"
#include "KxwRecordingSink.h"
#include "KxwU16nHandler.h"

namespace {

using KxwDomWatchDeleteScriptTest = KxwDomScriptTest;

KxwTestDomNode* NewHeapNode(KxwU16nHandler* mptU16nHandler = nullptr) {
    return new (static_cast<KxwMemMgr*>(nullptr)) KxwTestDomNode(nullptr, mptU16nHandler);
}

TEST(KxwDomWatchDelete, EveryWatcherLearnsOfTheDeletion) {
    KxwRecordingSink tSink;
    KxwTestDomNode* ptNode = NewHeapNode();
    KxwDomWatchDelete tOlder("older", ptNode);
    KxwDomWatchDelete tNewer("newer", ptNode);
    KxwDomWatchDelete tInactive;
    EXPECT_EQ(&tNewer, ptNode->GetLastWatchDelete());
    EXPECT_EQ(ptNode, tOlder.GetEffectiveWatchedPtr());
    EXPECT_EQ(nullptr, tInactive.GetEffectiveWatchedPtr());
    EXPECT_STREQ("[Unknown]", tInactive.GetCallingFuncName());

    std::string dsTrace;
    std::string dsNode = KxwTestPtrText(ptNode);
    {
        KxwTestTraceCapture tTrace(false);
        delete ptNode;
        dsTrace = tTrace.Text();
    }
    EXPECT_TRUE(tOlder.HasBeenDeleted());
    EXPECT_TRUE(tNewer.HasBeenDeleted());
    EXPECT_EQ(nullptr, tOlder.GetEffectiveWatchedPtr());
    EXPECT_EQ(nullptr, tNewer.GetEffectiveWatchedPtr());
    EXPECT_NE(std::string::npos, dsTrace.find("KxwDomBase::NotifyDeleted invoked for this=" + dsNode +
                                              ", _ptLastWatchDelete=" + KxwTestPtrText(&tNewer)));
    EXPECT_NE(std::string::npos,
              dsTrace.find("KxwDomBase " + dsNode + " has been deleted while \"newer\" was executing"));
    EXPECT_NE(std::string::npos,
              dsTrace.find("KxwDomBase " + dsNode + " has been deleted while \"older\" was executing"));
    // Watchers that saw the deletion have nothing to unlink: resetting them touches no freed memory.
    tNewer.Reset();
    EXPECT_FALSE(tNewer.HasBeenDeleted());
    // A watcher can watch again after its object died.
    KxwTestDomNode* ptNext = NewHeapNode();
    tOlder.ActivateWatch(ptNext);
    EXPECT_FALSE(tOlder.HasBeenDeleted());
    EXPECT_EQ(ptNext, tOlder.GetEffectiveWatchedPtr());
    tOlder.Reset();
    EXPECT_EQ(nullptr, ptNext->GetLastWatchDelete());
    delete ptNext;
    EXPECT_FALSE(tOlder.HasBeenDeleted());
    EXPECT_EQ(0u, tSink.Count());
}

TEST(KxwDomWatchDelete, ChainStaysConsistentInAnyResetOrder) {
    KxwRecordingSink tSink;
    KxwTestDomNode* ptNode = NewHeapNode();
    {
        // Reset in the order of activation (the older first), then the normal reverse order.
        KxwDomWatchDelete tFirst("first", ptNode);
        KxwDomWatchDelete tSecond("second", ptNode);
        tFirst.Reset();
        EXPECT_EQ(&tSecond, ptNode->GetLastWatchDelete());
        tSecond.Reset();
        EXPECT_EQ(nullptr, ptNode->GetLastWatchDelete());
    }
    {
        // The middle one of three leaves; the deletion reaches the other two only.
        KxwDomWatchDelete tA("a", ptNode);
        KxwDomWatchDelete tB("b", ptNode);
        KxwDomWatchDelete tC("c", ptNode);
        tB.Reset();
        EXPECT_EQ(&tC, ptNode->GetLastWatchDelete());
        KxwDomWatchDelete tD("d", ptNode);
        delete ptNode;
        EXPECT_TRUE(tA.HasBeenDeleted());
        EXPECT_FALSE(tB.HasBeenDeleted());
        EXPECT_TRUE(tC.HasBeenDeleted());
        EXPECT_TRUE(tD.HasBeenDeleted());
    }
    EXPECT_EQ(0u, tSink.Count());
}

TEST(KxwDomWatchDelete, MisuseIsReportedAndChangesNothing) {
    KxwRecordingSink tSink;
    KxwTestDomNode* ptNode = NewHeapNode();
    KxwTestDomNode* ptOther = NewHeapNode();
    KxwDomWatchDelete tWatch;
    tWatch.ActivateWatch(nullptr);
    ASSERT_EQ(1u, tSink.Count());
    EXPECT_NE(std::string::npos, tSink.Messages()[0]._dsText.find("Invalid mptWatchedPtr=(nil) (must NOT be NULL)"));
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, tSink.Messages()[0]._eSevLvl);
    EXPECT_EQ(nullptr, tWatch.GetEffectiveWatchedPtr());

    tWatch.ActivateWatch(ptNode);
    tWatch.ActivateWatch(ptOther);
    EXPECT_EQ(2u, tSink.Count());
    EXPECT_TRUE(tSink.Saw("_ptWatchedPtrOrNULL=" + KxwTestPtrText(ptNode) + " (must be NULL)"));
    EXPECT_EQ(ptNode, tWatch.GetEffectiveWatchedPtr());
    EXPECT_EQ(&tWatch, ptNode->GetLastWatchDelete());
    EXPECT_EQ(nullptr, ptOther->GetLastWatchDelete());

    // Told of another object's deletion: refused, the watcher stays on its object.
    tWatch.NotifyDeleted(ptOther);
    EXPECT_EQ(3u, tSink.Count());
    EXPECT_TRUE(tSink.Saw("Invalid mptWatchedPtr/_ptWatchedPtrOrNULL/ptCrntWatchDelete"));
    EXPECT_FALSE(tWatch.HasBeenDeleted());
    EXPECT_EQ(&tWatch, ptNode->GetLastWatchDelete());

    // After the refusals the chain still works: both watchers are told of the deletion, nothing else is reported.
    KxwDomWatchDelete tRight("right", ptNode);
    tSink.Clear();
    delete ptNode;
    EXPECT_TRUE(tWatch.HasBeenDeleted());
    EXPECT_TRUE(tRight.HasBeenDeleted());
    EXPECT_EQ(0u, tSink.Count());
    delete ptOther;
}

TEST_F(KxwDomWatchDeleteScriptTest, ScriptDeletingTheWatchedObject) {
    KxwMemBlkMgr tBlkMgr;
    KxwMemMgrGeneric tMemMgr(&tBlkMgr);
    KxwTestDomNode tHandler(&tMemMgr, nullptr);
    tHandler._ptDisposable = new (&tMemMgr) KxwTestDomElement(&tMemMgr, nullptr);
    KxwDomWatchDelete tWatch("EvaluateScriptElement script ", tHandler._ptDisposable);
    SetGlobal("handler", &tHandler);
    EXPECT_EQ("null", Eval("handler.dispose()"));
    EXPECT_TRUE(tWatch.HasBeenDeleted());
    EXPECT_EQ(nullptr, tWatch.GetEffectiveWatchedPtr());
    EXPECT_EQ("null", Eval("handler.dispose()")) << "nothing left to delete";
}

TEST(KxwDomStrEnvU16HandlerExplicitWatch, HandlerOnlyWhileTheObjectLives) {
    KxwU16nHandlerGeneral tUtf8("utf-8");
    KxwTestDomNode* ptNode = NewHeapNode(&tUtf8);
    KxwDomStrEnvU16HandlerExplicitWatch tEnv(*ptNode);
    EXPECT_EQ(&tUtf8, tEnv.GetU16nHandler());
    EXPECT_EQ(nullptr, tEnv.GetMemMgr());
    KxwDomStr tStr(tEnv, "caf\xC3\xA9", 5);
    EXPECT_EQ(std::u16string(u"caf\u00E9"), std::u16string(tStr.GetU16nStr(), tStr.GetU16nLenInChars()));

    std::string dsTrace;
    {
        KxwTestTraceCapture tTrace(false);
        delete ptNode;
        dsTrace = tTrace.Text();
    }
    EXPECT_TRUE(tEnv.HasBeenDeleted());
    EXPECT_EQ(nullptr, tEnv.GetU16nHandler());
    EXPECT_NE(std::string::npos, dsTrace.find("\"KxwDomStrEnvU16HandlerExplicitWatch constractor\" was executing"));
    // Without a handler the text converts as windows-1252 instead of reaching the dead object's handler.
    KxwDomStr tAfter(tEnv, "caf\xC3\xA9", 5);
    EXPECT_EQ(std::u16string(u"caf\u00C3\u00A9"), std::u16string(tAfter.GetU16nStr(), tAfter.GetU16nLenInChars()));
}

TEST(KxwDomTempPropertyStr, NestedCallersKeepTheirOwnText) {
    KxwU16nHandlerGeneral tUtf8("utf-8");
    KxwTestDomNode* ptNode = NewHeapNode(&tUtf8);
    {
        KxwDomTempPropertyStr tOuter(*ptNode);
        tOuter->SetDcs("outer \xC3\xA9", 8);
        {
            // A nested call makes its own: the outer text survives it.
            KxwDomTempPropertyStr tInner(*ptNode);
            tInner->SetU16n(u"inner", 5);
            EXPECT_EQ(std::u16string(u"inner"), std::u16string(tInner->GetU16nStr(), tInner->GetU16nLenInChars()));
        }
        EXPECT_EQ(std::u16string(u"outer \u00E9"), std::u16string(tOuter->GetU16nStr(), tOuter->GetU16nLenInChars()));
        EXPECT_FALSE(tOuter.HasOwnerBeenDeleted());

        KxwDomTempPropertyStr tLate(*ptNode);
        tLate->SetDcs("\xC3\xA9", 2);
        delete ptNode;  // the object dies while the callers still hold their strings
        EXPECT_TRUE(tLate.HasOwnerBeenDeleted());
        EXPECT_TRUE(tOuter.HasOwnerBeenDeleted());
        EXPECT_EQ(std::u16string(u"\u00C3\u00A9"), std::u16string(tLate->GetU16nStr(), tLate->GetU16nLenInChars()));
        EXPECT_STREQ("outer \xC3\xA9", tOuter->GetDcsStr());
    }
}

}  // namespace
