#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KxwDomNodeTestClasses.h"
#include "KxwDomTraverseHierarchy.h"
#include "KxwDomWatchDelete.h"
#include "KxwRecordingSink.h"

namespace {

class KxwDomNodeGcTest : public KxwDomNodeTest {
protected:
    void SetUp() override {
        KxwDomNodeTest::SetUp();
        _ptBody = NewElement("BODY");
        _ptDocument->AppendChild(_ptBody);
        SetGlobal("body", _ptBody);
    }
    // A chain of elements below mptTop, each the only child of the one before; answers the deepest.
    KxwDomCoreNode* BuildChain(KxwDomCoreNode* mptTop, int miLength, const std::string& mdsTag) {
        KxwDomCoreNode* ptDeepest = mptTop;
        for (int i = 0; i < miLength; ++i) {
            KxwTestNodeElement* ptChild = NewElement(mdsTag);
            ptDeepest->AppendChild(ptChild);
            ptDeepest = ptChild;
        }
        return ptDeepest;
    }

    KxwTestNodeElement* _ptBody = nullptr;
};

TEST_F(KxwDomNodeGcTest, NodesInTheDocumentKeepTheirEngineObjects) {
    KxwTestNodeElement* ptNode = NewElement("X");
    _ptBody->AppendChild(ptNode);
    SetGlobal("tmp", ptNode);
    Eval("tmp.expando = 'kept'; tmp = null");
    _ptEngine->CollectGarbage(true);
    EXPECT_TRUE(ptNode->GetShouldAddJSRoot());
    EXPECT_FALSE(ptNode->GetShouldBeDeletedAtFinalize());
    EXPECT_TRUE(ptNode->HasJsiObj());
    EXPECT_EQ("kept", Eval("body.firstChild.expando"));
    EXPECT_FALSE(_ptDocument->GetShouldBeDeletedAtFinalize());
}

TEST_F(KxwDomNodeGcTest, ADetachedSubtreeLivesWhileAnyOfItsNodesIsReferenced) {
    KxwTestNodeElement* ptTop = NewElement("A");
    KxwTestNodeElement* ptMiddle = NewElement("B");
    KxwTestNodeElement* ptBottom = NewElement("C");
    _ptBody->AppendChild(ptTop);
    ptTop->AppendChild(ptMiddle);
    ptMiddle->AppendChild(ptBottom);
    ptBottom->AppendChild(NewText(u"untouched"));
    SetGlobal("b", ptMiddle);
    SetGlobal("c", ptBottom);
    KxwDomWatchDelete tWatchTop("test", ptTop);
    KxwDomWatchDelete tWatchMiddle("test", ptMiddle);
    KxwDomWatchDelete tWatchBottom("test", ptBottom);

    EXPECT_EQ("A", Eval("b.expando = 'on b'; var a = body.removeChild(body.firstChild); a.expando = 'on a';"
                        " var name = a.nodeName; a = null; b = null; name"));
    EXPECT_TRUE(_ptDocument->IsOnDisconnectedNodesList(ptTop));
    EXPECT_TRUE(ptTop->GetShouldBeDeletedAtFinalize()) << "a parked root belongs to its engine object";
    EXPECT_FALSE(ptMiddle->GetShouldBeDeletedAtFinalize());
    EXPECT_FALSE(ptMiddle->GetShouldAddJSRoot()) << "members live through the root";

    // Only the bottom node is referenced: the whole subtree survives, expandos included, even a compacting
    // collection.
    _ptEngine->CollectGarbage(true);
    _ptEngine->CollectGarbage();
    EXPECT_FALSE(tWatchTop.HasBeenDeleted());
    EXPECT_EQ("on b|on a|untouched",
              Eval("[c.parentNode.expando, c.parentNode.parentNode.expando, c.firstChild.data].join('|')"));

    // Unreferenced, it goes as a whole after the next collection.
    Eval("c = null");
    _ptEngine->CollectGarbage();
    EXPECT_TRUE(tWatchTop.HasBeenDeleted());
    EXPECT_TRUE(tWatchMiddle.HasBeenDeleted());
    EXPECT_TRUE(tWatchBottom.HasBeenDeleted());
    EXPECT_EQ(0u, _ptDocument->GetDisconnectedNodesCount());
    EXPECT_EQ(1, KxwTestNodeElement::Live()) << "only BODY is left";
}

TEST_F(KxwDomNodeGcTest, ASubtreeNoScriptTouchedGoesAfterACollection) {
    KxwTestNodeElement* ptTop = NewElement("A");
    _ptBody->AppendChild(ptTop);
    ptTop->AppendChild(NewElement("B"));
    KxwDomWatchDelete tWatchTop("test", ptTop);
    size_t nBlocksBefore = _ptMemMgr->GetLiveBlockCount();

    ASSERT_EQ(ptTop, _ptBody->RemoveChild(ptTop));
    EXPECT_TRUE(ptTop->HasJsiObj()) << "the parked root got an engine object to own it";
    _ptEngine->CollectGarbage();
    EXPECT_TRUE(tWatchTop.HasBeenDeleted());
    EXPECT_EQ(1, KxwTestNodeElement::Live());
    EXPECT_LT(_ptMemMgr->GetLiveBlockCount(), nBlocksBefore);
}

TEST_F(KxwDomNodeGcTest, AReinsertedNodeLeavesTheList) {
    KxwTestNodeElement* ptNode = NewElement("X");
    _ptBody->AppendChild(ptNode);
    KxwDomWatchDelete tWatch("test", ptNode);

    _ptBody->RemoveChild(ptNode);
    EXPECT_TRUE(ptNode->IsOnDisconnectedNodesList());
    EXPECT_EQ(1u, _ptDocument->GetDisconnectedNodesListSize());
    _ptBody->AppendChild(ptNode);
    EXPECT_FALSE(ptNode->IsOnDisconnectedNodesList());
    EXPECT_EQ(0u, _ptDocument->GetDisconnectedNodesListSize());
    _ptEngine->CollectGarbage();
    EXPECT_FALSE(tWatch.HasBeenDeleted()) << "its parent owns it again";

    // Taken back while its dead engine object had it queued for deletion: the queue lets go of it.
    {
        KxwJswEngine::EvaluationScope tScope(_ptEngine);
        _ptBody->RemoveChild(ptNode);
        _ptEngine->CollectGarbage();
        EXPECT_FALSE(ptNode->HasJsiObj());
        EXPECT_EQ(1u, _ptEngine->GetPendingDeleteCount());
        _ptBody->AppendChild(ptNode);
        EXPECT_EQ(0u, _ptEngine->GetPendingDeleteCount());
    }
    EXPECT_FALSE(tWatch.HasBeenDeleted());
    EXPECT_EQ("X", ChildTags(_ptBody));
}

TEST_F(KxwDomNodeGcTest, LettingGoOfChildrenParksWhatScriptsCanReach) {
    KxwTestNodeElement* ptParent = NewElement("P");
    KxwTestNodeElement* ptScripted = NewElement("S");
    KxwTestNodeElement* ptHolder = NewElement("N");
    KxwTestNodeElement* ptInner = NewElement("M");
    _ptBody->AppendChild(ptParent);
    ptParent->AppendChild(ptScripted);
    ptParent->AppendChild(ptHolder);
    ptParent->AppendChild(NewElement("Q"));
    ptHolder->AppendChild(ptInner);
    SetGlobal("s", ptScripted);
    SetGlobal("m", ptInner);
    int iLiveBefore = KxwTestNodeElement::Live();

    ptParent->DeleteChildren(true);
    EXPECT_FALSE(ptParent->HasChildNodes());
    EXPECT_EQ(iLiveBefore - 1, KxwTestNodeElement::Live()) << "only Q, which no script can reach, is gone";
    EXPECT_EQ(2u, _ptDocument->GetDisconnectedNodesCount());
    EXPECT_EQ("S|null|N", Eval("[s.nodeName, String(s.parentNode), m.parentNode.nodeName].join('|')"));

    Eval("s = null; m = null");
    _ptEngine->CollectGarbage();
    EXPECT_EQ(iLiveBefore - 4, KxwTestNodeElement::Live());
}

TEST_F(KxwDomNodeGcTest, ResetDeletesParkedNodesThatScriptsStillHold) {
    KxwRecordingSink tSink;
    KxwTestNodeElement* ptNode = NewElement("X");
    _ptBody->AppendChild(ptNode);
    ptNode->AppendChild(NewElement("Y"));
    SetGlobal("x", ptNode);
    Eval("var held = body.removeChild(x)");
    EXPECT_EQ(1u, _ptDocument->GetDisconnectedNodesCount());

    _ptDocument->Reset();
    EXPECT_EQ(0, KxwTestNodeElement::Live()) << "the tree and the parked nodes are gone";
    EXPECT_EQ(0u, _ptDocument->GetDisconnectedNodesListSize());
    EXPECT_EQ(nullptr, _ptDocument->GetFirstChild());
    EXPECT_EQ("undefined|undefined|function|undefined",
              Eval("[String(held.nodeName), String(body.firstChild), typeof held.appendChild,"
                   " String(held.appendChild(body))].join('|')"));
    EXPECT_EQ(0u, tSink.Count());
    // The reset document is as good as new.
    KxwTestNodeElement* ptNew = NewElement("NEW");
    EXPECT_EQ(ptNew, _ptDocument->AppendChild(ptNew));
    EXPECT_EQ(_ptDocument, ptNew->GetOwnerDocument(true));
}

TEST_F(KxwDomNodeGcTest, AHundredThousandLevelsDeep) {
    constexpr int kDepth = 100000;
    KxwTestRecordingElement* ptTop = NewRecordingElement("TOP");
    // Built with the primitive links: the checked insertion below announces it.
    KxwDomCoreNode* ptDeepest = ptTop;
    for (int i = 0; i < kDepth; ++i) {
        KxwTestNodeElement* ptChild = NewElement("N");
        ptDeepest->BasicAppendChild(ptChild);
        ptDeepest = ptChild;
    }
    ASSERT_EQ(ptTop, _ptBody->AppendChild(ptTop));
    EXPECT_EQ(_ptDocument, ptDeepest->GetRoot());

    // Notified: a leaf added at the bottom is told to every level up to TOP and back.
    KxwTestNotificationLog::Lines().clear();
    ASSERT_NE(nullptr, ptDeepest->AppendChild(NewText(u"leaf")));
    EXPECT_EQ((std::vector<std::string>{"This TOP 1 'leaf'", "After TOP 1 'leaf'"}), KxwTestNotificationLog::Lines());

    // Walked and counted.
    KxwDomTraverseHierarchyCount tCount;
    EXPECT_EQ(static_cast<uint32_t>(kDepth + 2), tCount.GetSubTreeNodeCount(ptTop));
    KxwDomTraverseHierarchyCount tTwice;
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE, tTwice.TraverseWithTwoVisits(ptTop, 0));
    EXPECT_EQ(static_cast<uint32_t>(kDepth + 2), tTwice.GetVisitedCount());

    // Removed with a script holding the deepest node, kept through a collection, re-inserted, removed again.
    SetGlobal("deepest", ptDeepest);
    Eval("deepest.expando = 'bottom'");
    KxwDomWatchDelete tWatchTop("test", ptTop);
    ASSERT_EQ(ptTop, _ptBody->RemoveChild(ptTop));
    _ptEngine->CollectGarbage();
    EXPECT_FALSE(tWatchTop.HasBeenDeleted());
    EXPECT_EQ("bottom", Eval("deepest.expando"));
    ASSERT_EQ(ptTop, _ptBody->AppendChild(ptTop));
    EXPECT_EQ(0u, _ptDocument->GetDisconnectedNodesListSize());
    ASSERT_EQ(ptTop, _ptBody->RemoveChild(ptTop));

    // Unreferenced: deleted whole after a collection.
    Eval("deepest = null");
    _ptEngine->CollectGarbage();
    EXPECT_TRUE(tWatchTop.HasBeenDeleted());
    EXPECT_EQ(1, KxwTestNodeElement::Live());

    // Another deep chain goes with the document's reset, and with its children deleted one level down.
    KxwTestNodeElement* ptSecond = NewElement("SECOND");
    _ptBody->AppendChild(ptSecond);
    KxwDomCoreNode* ptSecondDeepest = ptSecond;
    for (int i = 0; i < kDepth; ++i) {
        KxwTestNodeElement* ptChild = NewElement("M");
        ptSecondDeepest->BasicAppendChild(ptChild);
        ptSecondDeepest = ptChild;
    }
    ptSecond->GetFirstChild()->AsCoreNode()->DeleteChildren(true);
    EXPECT_EQ(3, KxwTestNodeElement::Live());
    BuildChain(ptSecond->GetFirstChild()->AsCoreNode(), 1000, "L");
    _ptDocument->Reset();
    EXPECT_EQ(0, KxwTestNodeElement::Live());
}

}  // namespace
