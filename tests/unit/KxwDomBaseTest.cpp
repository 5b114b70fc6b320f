#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KxwDomBase.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomTestClasses.h"
#include "KxwDomWatchDelete.h"
#include "KxwMemMgr.h"
#include "KxwMsgHandler.h"
#include "KxwRecordingSink.h"
#include "KxwU16nHandler.h"

namespace {

using KxwDomBaseTest = KxwDomScriptTest;

KxwU16nHandler* const kptNoHandler = nullptr;

TEST(KxwDomEnv, InheritsTheHandlerOnFirstUseAndKeepsIt) {
    KxwMemBlkMgr tBlkMgr;
    KxwMemMgrGeneric tMemMgr(&tBlkMgr);
    KxwU16nHandlerGeneral tUtf8("utf-8");
    KxwU16nHandlerGeneral tLatin("windows-1252");

    KxwDomEnv tRoot(&tMemMgr, kptNoHandler);
    KxwDomEnv tChild(tRoot);  // a child, not a copy
    KxwDomEnv tOtherManager(nullptr, kptNoHandler);
    EXPECT_EQ(&tMemMgr, tChild.GetMemMgr());
    EXPECT_EQ(nullptr, tOtherManager.GetMemMgr());
    EXPECT_EQ(nullptr, tChild.GetU16nHandler());  // nothing to inherit yet: asked again later
    tRoot.SetU16nHandler(&tUtf8);
    EXPECT_EQ(&tUtf8, tChild.GetU16nHandler());
    tRoot.SetU16nHandler(&tLatin);
    EXPECT_EQ(&tUtf8, tChild.GetU16nHandler()) << "the first answer is kept";
    tChild.SetU16nHandler(&tLatin);
    EXPECT_EQ(&tLatin, tChild.GetU16nHandler());
}

TEST(KxwDomEnv, ChildrenOutliveTheirParentsSafely) {
    KxwU16nHandlerGeneral tUtf8("utf-8");
    int iLiveBefore = KxwTestDomNode::Live();
    auto* ptParent = new (static_cast<KxwMemMgr*>(nullptr)) KxwTestDomNode(nullptr, &tUtf8);
    KxwDomEnv tWaiting(nullptr, static_cast<KxwDomBase*>(ptParent));
    auto* ptGone = new KxwDomEnv(ptParent->GetDomEnv());
    KxwDomEnv tGrandChild(*ptGone);
    delete ptGone;  // a child going first leaves the parent's list intact
    delete ptParent;
    // Children that never asked get the handler the parent had when it went, instead of a dangling parent.
    EXPECT_EQ(&tUtf8, tWaiting.GetU16nHandler());
    EXPECT_EQ(&tUtf8, tGrandChild.GetU16nHandler());
    KxwDomEnv tOrphan(nullptr, static_cast<KxwDomBase*>(nullptr));
    EXPECT_EQ(nullptr, tOrphan.GetU16nHandler());
    EXPECT_EQ(iLiveBefore, KxwTestDomNode::Live());
}

TEST(KxwDomBase, ObjectsGoBackToTheManagerTheyCameFrom) {
    KxwMemBlkMgr tBlkMgr;
    KxwMemMgrGeneric tMemMgr(&tBlkMgr);
    KxwDomEnv tEnv(&tMemMgr, kptNoHandler);
    size_t nBlocksBefore = tMemMgr.GetLiveBlockCount();
    int iLiveBefore = KxwTestDomNode::Live();

    KxwDomBase* ptOnManager = new (&tMemMgr) KxwTestDomLeaf(&tMemMgr, kptNoHandler);
    KxwTestDomNode* ptOnEnv = new (tEnv) KxwTestDomNode(tEnv);
    auto* ptOnHeap = new (static_cast<KxwMemMgr*>(nullptr)) KxwTestDomElement(nullptr, kptNoHandler);
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(ptOnManager) % 8);
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(ptOnHeap) % 8);
    EXPECT_GE(tMemMgr.GetLiveBlockCount(), nBlocksBefore + 2);
    EXPECT_EQ(&tMemMgr, ptOnEnv->GetMemMgr());
    EXPECT_EQ(nullptr, ptOnHeap->GetMemMgr());
    EXPECT_FALSE(ptOnManager->GetShouldBeDeletedAtFinalize());
    EXPECT_FALSE(ptOnEnv->GetShouldBeDeletedAtFinalize());
    EXPECT_TRUE(ptOnHeap->GetShouldBeDeletedAtFinalize());
    EXPECT_FALSE(ptOnManager->GetShouldAddJSRoot() == ptOnManager->GetShouldBeDeletedAtFinalize());

    // Buffers of the object's own manager.
    void* pvBuffer = ptOnEnv->Alloc(100);
    std::memset(pvBuffer, 0x5A, 100);
    ptOnEnv->Free(pvBuffer);
    void* pvHeapBuffer = ptOnHeap->Alloc(40);
    ptOnHeap->Free(pvHeapBuffer);

    delete ptOnManager;  // through a base pointer: the derived object's whole block returns
    delete ptOnEnv;
    delete ptOnHeap;
    EXPECT_EQ(nBlocksBefore, tMemMgr.GetLiveBlockCount());
    EXPECT_EQ(iLiveBefore, KxwTestDomNode::Live());
}

TEST(KxwDomBase, AllocationTracesNeedBothSwitches) {
    KxwMemBlkMgr tBlkMgr;
    KxwMemMgrGeneric tMemMgr(&tBlkMgr);
    KxwDomEnv tEnv(&tMemMgr, kptNoHandler);
    std::string dsText;
    std::string dsFirst, dsSecond;
    {
        KxwTestTraceCapture tTrace;
        KxwTestDomNode* ptFirst = new (&tMemMgr) KxwTestDomNode(&tMemMgr, kptNoHandler);
        KxwTestDomNode* ptSecond = new (tEnv) KxwTestDomNode(tEnv);
        dsFirst = KxwTestPtrText(ptFirst);
        dsSecond = KxwTestPtrText(ptSecond);
        delete ptFirst;
        delete ptSecond;
        KxwDomBase::LogPlacementDelete(ptFirst, &tMemMgr);
        KxwDomBase::LogPlacementDelete(ptSecond, tEnv);
        dsText = tTrace.Text();
    }
    std::string dsManager = KxwTestPtrText(&tMemMgr);
    std::string dsSize = std::to_string(sizeof(KxwTestDomNode));
    EXPECT_NE(std::string::npos, dsText.find("<" + dsFirst + ">: KxwDomBase::operator new(mnSize=" + dsSize +
                                             ", mptMemMgr=" + dsManager + ")"))
        << dsText;
    EXPECT_NE(std::string::npos, dsText.find("<" + dsSecond + ">: KxwDomBase::operator new(mnSize=" + dsSize +
                                             ", &mrtDomEnv=" + KxwTestPtrText(&tEnv) + "), MemMgr=" + dsManager));
    EXPECT_NE(std::string::npos,
              dsText.find("<" + dsFirst + ">: KxwDomBase::operator delete(" + dsFirst + "), MemMgr=" + dsManager));
    EXPECT_NE(std::string::npos, dsText.find("<" + dsFirst + ">: KxwDomBase::operator delete(mpvDeleted=" + dsFirst +
                                             ", mptMemMgr=" + dsManager + ")"));
    EXPECT_NE(std::string::npos, dsText.find("<" + dsSecond + ">: KxwDomBase::operator delete(mpvDeleted=" + dsSecond +
                                             ", &mrtDomEnv=" + KxwTestPtrText(&tEnv) + "), MemMgr=" + dsManager));

    KxwTestTraceCapture tGeneralOnly(false);
    delete new (&tMemMgr) KxwTestDomNode(&tMemMgr, kptNoHandler);
    EXPECT_EQ(std::string::npos, tGeneralOnly.Text().find("operator new"));
}

TEST_F(KxwDomBaseTest, EngineOwnsObjectsWithoutManagerOnly) {
    KxwMemBlkMgr tBlkMgr;
    KxwMemMgrGeneric tMemMgr(&tBlkMgr);
    size_t nBlocksBefore = tMemMgr.GetLiveBlockCount();

    // On a manager: its owner deletes it while a script still holds its engine object.
    auto* ptOwned = new (&tMemMgr) KxwTestDomLeaf(&tMemMgr, kptNoHandler);
    SetGlobal("owned", ptOwned);
    EXPECT_EQ("x", Eval("owned.title = 'x'; owned.title"));
    _ptEngine->CollectGarbage();
    EXPECT_EQ("x", Eval("owned.title")) << "the owner keeps the engine object while the object lives";
    delete ptOwned;
    EXPECT_EQ(nBlocksBefore, tMemMgr.GetLiveBlockCount());
    EXPECT_EQ("undefined|undefined|object",
              Eval("[String(owned.title), String(owned.tagName), typeof owned].join('|')"));
    EXPECT_EQ("undefined", Eval("owned.title = 'again'; String(owned.title)"));
    _ptEngine->CollectGarbage();

    // Without a manager: deleted once its engine object is collected, not before.
    auto* ptFree = new (static_cast<KxwMemMgr*>(nullptr)) KxwTestDomLeaf(nullptr, kptNoHandler);
    KxwDomWatchDelete tWatch("EngineOwnsObjectsWithoutManagerOnly", ptFree);
    SetGlobal("free", ptFree);
    EXPECT_EQ("y", Eval("free.leafText = 'y'; free.leafText"));
    _ptEngine->CollectGarbage();
    EXPECT_FALSE(tWatch.HasBeenDeleted());
    EXPECT_EQ(1, KxwTestDomNode::Live());
    Eval("free = null");
    _ptEngine->CollectGarbage();
    EXPECT_TRUE(tWatch.HasBeenDeleted());
    EXPECT_EQ(nullptr, tWatch.GetEffectiveWatchedPtr());
    EXPECT_EQ(0, KxwTestDomNode::Live());
}

// Raw ready states as a class may hold them, beyond the enumeration.
class KxwTestReadyStateHolder : public KxwTestDomElement {
public:
    KxwTestReadyStateHolder() : KxwTestDomElement(nullptr, kptNoHandler) {}
};

TEST(KxwDomBase, ReadyStateIsValidatedToComplete) {
    KxwRecordingSink tSink;
    KxwTestReadyStateHolder tHolder;
    tHolder._eReadyStateRaw = KXW_DOM_HTML_READY_STATE_INTERACTIVE;
    EXPECT_EQ(KXW_DOM_HTML_READY_STATE_INTERACTIVE, tHolder.GetReadyState());
    EXPECT_EQ(std::u16string(u"interactive"),
              std::u16string(tHolder.GetReadyStateU16nStr(), tHolder.GetReadyStateU16nLenInChars()));
    EXPECT_EQ(0u, tSink.Count());

    tHolder._eReadyStateRaw = static_cast<KXW_DOM_HTML_READY_STATE_ENUM>(7);
    EXPECT_EQ(KXW_DOM_HTML_READY_STATE_COMPLETE, tHolder.GetReadyState());
    EXPECT_EQ(std::u16string(u"complete"),
              std::u16string(tHolder.GetReadyStateU16nStr(), tHolder.GetReadyStateU16nLenInChars()));
    EXPECT_TRUE(tSink.Saw("Invalid meReadyStateRaw=7 in KxwDomBase::ValidateReadyState for this=" +
                          KxwTestPtrText(&tHolder) + ". Using \"complete\""));
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, tSink.Messages()[0]._eSevLvl);
    EXPECT_FALSE(KxwDomBase::IsReadyStateValid(static_cast<KXW_DOM_HTML_READY_STATE_ENUM>(5)));
    EXPECT_TRUE(KxwDomBase::IsReadyStateValid(KXW_DOM_HTML_READY_STATE_UNINITIALIZED));
}

TEST(KxwDomBase, PrintingIndentIsCapped) {
    EXPECT_EQ(0, KxwDomBase::GetPrintingEffectiveIndent(0));
    EXPECT_EQ(0, KxwDomBase::GetPrintingEffectiveIndent(-3));
    EXPECT_EQ(2, KxwDomBase::GetPrintingEffectiveIndent(1));
    EXPECT_EQ(178, KxwDomBase::GetPrintingEffectiveIndent(89));
    EXPECT_EQ(180, KxwDomBase::GetPrintingEffectiveIndent(90));
    EXPECT_EQ(180, KxwDomBase::GetPrintingEffectiveIndent(91));
    EXPECT_EQ(180, KxwDomBase::GetPrintingEffectiveIndent(0x7FFFFFFF));
}

TEST(KxwDomBase, ReportsOfUnsupportedAndRefusedOperations) {
    KxwRecordingSink tSink;
    KxwTestDomElement tElement(nullptr, kptNoHandler);
    std::string dsThis = KxwTestPtrText(&tElement);

    tElement.JavaScriptMissingSupport("execCommand");
    tElement.JavaScriptMissingSupport(nullptr);
    tElement.PrintMe(1, KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, 0);
    ASSERT_EQ(3u, tSink.Count());
    EXPECT_EQ("execCommand is not supported for this=" + dsThis, tSink.Messages()[0]._dsText);
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_NOTICE, tSink.Messages()[0]._eSevLvl);
    EXPECT_EQ("mpszUnsupportedMethod==NULL in KxwDomBase::JavaScriptMissingSupport for this=" + dsThis,
              tSink.Messages()[1]._dsText);
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, tSink.Messages()[1]._eSevLvl);
    EXPECT_EQ("Called function KxwDomBase::PrintMe for this=" + dsThis, tSink.Messages()[2]._dsText);

    // The catalogued message, at the script-error level, with "[Unknown]" for what is missing.
    tSink.Clear();
    KXW_WTL_SEV_LVL_ENUM ePrevLevel = xfeKxwUtilJavaScriptErrorSevLvl();
    xfvKxwUtilSetJavaScriptErrorSevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING);
    tElement.IssueInvalidSetPropertyMessage("innerHTML", "STYLE");
    tElement.IssueInvalidSetPropertyMessage(nullptr, nullptr);
    xfvKxwUtilSetJavaScriptErrorSevLvl(ePrevLevel);
    ASSERT_EQ(2u, tSink.Count());
    char* pszExpected = nullptr;
    FormatGenericMessageEx("", -1, 0x50100000, -35944, &pszExpected, "innerHTML", "STYLE");
    ASSERT_NE(nullptr, pszExpected);
    EXPECT_EQ(pszExpected, tSink.Messages()[0]._dsText);
    FreeGenericMessage(pszExpected);
    EXPECT_EQ(-35944, tSink.Messages()[0]._iMsgId);
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_WARNING, tSink.Messages()[0]._eSevLvl);
    EXPECT_NE(std::string::npos, tSink.Messages()[0]._dsText.find("innerHTML"));
    EXPECT_NE(std::string::npos, tSink.Messages()[1]._dsText.find("[Unknown]"));
}

class KxwTestInternalObject : public KxwDomBaseWithoutJsw {
public:
    explicit KxwTestInternalObject(KxwDomEnv& mrtDomEnv) : KxwDomBaseWithoutJsw(mrtDomEnv) {}
};

class KxwTestException : public CKxBaseException {
public:
    char* GetMessageText() override { return _acText; }
    char _acText[16] = "broken";
};

TEST_F(KxwDomBaseTest, InternalObjectsNeverGetAnEngineObject) {
    KxwDomEnv tEnv(nullptr, kptNoHandler);
    KxwTestInternalObject tInternal(tEnv);
    EXPECT_EQ(nullptr, tInternal.GetClassInformation());
    EXPECT_FALSE(tInternal.CreateJsiObj());
    void* pvValue = &tEnv;
    unsigned nLen = 5;
    auto eType = KXW_JSW_OBJ_PROP_TYPE_INT;
    KxwDomPropertyInfo tHolder;
    EXPECT_FALSE(tInternal.GetPropValueAndType(-128, &pvValue, &nLen, &eType, tHolder));
    EXPECT_EQ(nullptr, pvValue);
    EXPECT_EQ(0u, nLen);
    EXPECT_EQ(KXW_JSW_OBJ_PROP_TYPE_NONE, eType);

    KxwTestException tException;
    KxwTestException tCopy(tException);
    EXPECT_STREQ("broken", *tCopy);
}

}  // namespace
