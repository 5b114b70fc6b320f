#include <gtest/gtest.h>

#include <map>
#include <string>

#include "KxwDomNodeTestClasses.h"
#include "KxwDomTraverseHierarchy.h"

namespace {

// Logs each call ("V name", "A name" after descendants, "between a->b") and answers the action set per name.
class KxwTestLoggingVisitor : public KxwDomTraverseHierarchy {
public:
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM Visit(KxwDomNodeBase* mptNode) override {
        std::string dsName = KxwTestNotificationLog::Name(mptNode);
        Add("V " + dsName);
        if (dsName == _dsDeleteOnVisit) {
            if (KxwDomCoreNode* ptContainer = mptNode->GetContainerNode()) ptContainer->BasicRemoveChild(mptNode);
            delete mptNode;
            return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
        }
        auto it = _tActions.find(dsName);
        return it == _tActions.end() ? KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE : it->second;
    }
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM VisitAfterDescendants(KxwDomNodeBase* mptNode) override {
        Add("A " + KxwTestNotificationLog::Name(mptNode));
        return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    }
    KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM NotifyBetweenPlaceHolders(KxwDomPlaceHolderNode* mptCurrent,
                                                                     KxwDomPlaceHolderNode* mptNext) override {
        Add("between " + std::to_string(mptCurrent->GetIndexInPlaceHolderList()) + "->" +
            (mptNext ? std::to_string(mptNext->GetIndexInPlaceHolderList()) : std::string("end")));
        return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
    }

    std::string _dsLog;
    std::map<std::string, KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM> _tActions;
    std::string _dsDeleteOnVisit;

private:
    void Add(const std::string& mdsEntry) { _dsLog += (_dsLog.empty() ? "" : ",") + mdsEntry; }
};

class KxwDomTraverseTest : public KxwDomNodeTest {
protected:
    // R holds A (with A1, A2), B (with B1) and C; R has a sibling S.
    void SetUp() override {
        KxwDomNodeTest::SetUp();
        _ptHolder = NewElement("H");
        _ptRoot = NewElement("R");
        _ptHolder->AppendChild(_ptRoot);
        _ptHolder->AppendChild(NewElement("S"));
        KxwTestNodeElement* ptA = NewElement("A");
        KxwTestNodeElement* ptB = NewElement("B");
        _ptRoot->AppendChild(ptA);
        _ptRoot->AppendChild(ptB);
        _ptRoot->AppendChild(NewElement("C"));
        ptA->AppendChild(NewElement("A1"));
        ptA->AppendChild(NewElement("A2"));
        ptB->AppendChild(NewElement("B1"));
    }
    void TearDown() override {
        delete _ptHolder;
        KxwDomNodeTest::TearDown();
    }

    KxwTestNodeElement* _ptHolder = nullptr;
    KxwTestNodeElement* _ptRoot = nullptr;
};

TEST_F(KxwDomTraverseTest, PreOrderFromTheStartNodeOnly) {
    KxwTestLoggingVisitor tVisitor;
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE, tVisitor.Traverse(_ptRoot, 0));
    EXPECT_EQ("V R,V A,V A1,V A2,V B,V B1,V C", tVisitor._dsLog) << "the start node's sibling S is not walked";
    EXPECT_EQ(7u, tVisitor.GetVisitedCount());

    // A leaf at depth 0 is visited alone.
    KxwTestLoggingVisitor tLeaf;
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE, tLeaf.Traverse(_ptRoot->GetLastChild(), 0));
    EXPECT_EQ("V C", tLeaf._dsLog);
    // Deeper than 0 the start node's siblings follow.
    KxwTestLoggingVisitor tDeeper;
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE, tDeeper.Traverse(_ptRoot->GetFirstChild(), 1));
    EXPECT_EQ("V A,V A1,V A2,V B,V B1,V C", tDeeper._dsLog);
    // Nothing to walk.
    KxwTestLoggingVisitor tNothing;
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP, tNothing.Traverse(nullptr, 0));
    EXPECT_EQ("", tNothing._dsLog);
}

TEST_F(KxwDomTraverseTest, SkipLeavesOutDescendantsAndStopEndsEverything) {
    KxwTestLoggingVisitor tSkip;
    tSkip._tActions["A"] = KXW_DOM_TRAVERSE_HIERARCHY_ACTION_SKIP_DESCENDANTS;
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE, tSkip.Traverse(_ptRoot, 0));
    EXPECT_EQ("V R,V A,V B,V B1,V C", tSkip._dsLog);

    KxwTestLoggingVisitor tStop;
    tStop._tActions["B1"] = KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP;
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP, tStop.Traverse(_ptRoot, 0));
    EXPECT_EQ("V R,V A,V A1,V A2,V B,V B1", tStop._dsLog);
    EXPECT_EQ(3u, tStop.GetVisitedCount()) << "A1, A2 and A were done before the stop";

    // Two visits: each node again after its descendants (or after skipping them).
    KxwTestLoggingVisitor tTwice;
    tTwice._tActions["A"] = KXW_DOM_TRAVERSE_HIERARCHY_ACTION_SKIP_DESCENDANTS;
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE, tTwice.TraverseWithTwoVisits(_ptRoot, 0));
    EXPECT_EQ("V R,V A,A A,V B,V B1,A B1,A B,V C,A C,A R", tTwice._dsLog);
}

TEST_F(KxwDomTraverseTest, CountsASubtree) {
    KxwDomTraverseHierarchyCount tCount;
    EXPECT_EQ(7u, tCount.GetSubTreeNodeCount(_ptRoot));
    // Two children with one child each: five nodes.
    KxwTestNodeElement* ptTop = NewElement("T");
    for (int i = 0; i < 2; ++i) {
        KxwTestNodeElement* ptChild = NewElement("T" + std::to_string(i));
        ptTop->AppendChild(ptChild);
        ptChild->AppendChild(NewText(u"x"));
    }
    EXPECT_EQ(5u, tCount.GetSubTreeNodeCount(ptTop));
    EXPECT_EQ(5u, tCount.GetNodeCount());
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP, tCount.Visit(nullptr));
    delete ptTop;
}

TEST_F(KxwDomTraverseTest, ASplitElementIsVisitedOnceWithThePartsUnderEachPlaceHolder) {
    // A split element E: [PH1(E): "e1"] is A's last child and [PH2(E): "e2", "e3"] is C's child.
    KxwTestNodeElement* ptSplit = NewElement("E");
    auto* ptFirst = new (_ptMemMgr) KxwDomPlaceHolderNode(_ptDocument, _ptMemMgr, ptSplit);
    auto* ptSecond = new (_ptMemMgr) KxwDomPlaceHolderNode(_ptDocument, _ptMemMgr, ptSplit);
    ptFirst->BasicAppendChild(NewText(u"e1"));
    ptSecond->BasicAppendChild(NewText(u"e2"));
    ptSecond->BasicAppendChild(NewText(u"e3"));
    _ptRoot->GetFirstChild()->AsCoreNode()->BasicAppendChild(ptFirst);
    _ptRoot->GetLastChild()->AsCoreNode()->BasicAppendChild(ptSecond);

    KxwTestLoggingVisitor tFromSplit;
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP, tFromSplit.TraverseWithTwoVisits(ptSplit, 0));
    EXPECT_EQ("V E,V 'e1',A 'e1',between 1->2,V 'e2',A 'e2',V 'e3',A 'e3',between 2->end,A E", tFromSplit._dsLog);
    EXPECT_EQ(3u, tFromSplit.GetVisitedCount()) << "the split element itself is not counted";

    // In a child list a place holder is a node like any other, followed by its children.
    KxwTestLoggingVisitor tFromRoot;
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE, tFromRoot.Traverse(_ptRoot, 0));
    EXPECT_EQ("V R,V A,V A1,V A2,V PH(E),V 'e1',V B,V B1,V C,V PH(E),V 'e2',V 'e3'", tFromRoot._dsLog);

    // A visitor that stops the split element's visit gets its answer back.
    KxwTestLoggingVisitor tSkipSplit;
    tSkipSplit._tActions["E"] = KXW_DOM_TRAVERSE_HIERARCHY_ACTION_SKIP_DESCENDANTS;
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_SKIP_DESCENDANTS, tSkipSplit.Traverse(ptSplit, 0));
    EXPECT_EQ("V E", tSkipSplit._dsLog);
}

TEST_F(KxwDomTraverseTest, AVisitorThatDeletesTheVisitedNodeEndsTheWalk) {
    KxwTestLoggingVisitor tVisitor;
    tVisitor._dsDeleteOnVisit = "A";
    int iLiveBefore = KxwTestNodeElement::Live();
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP, tVisitor.Traverse(_ptRoot, 0));
    EXPECT_EQ("V R,V A", tVisitor._dsLog);
    EXPECT_EQ(iLiveBefore - 3, KxwTestNodeElement::Live());
    EXPECT_EQ("B,C", ChildTags(_ptRoot));
}

}  // namespace

// Levels beyond the ones the walk watches in place: a chain 40 deep, each level with a leaf beside the next, is
// walked in order with both visits, and a visitor that deletes a node far down still ends the walk there.
TEST_F(KxwDomTraverseTest, ADeepChainIsWalkedInOrderAndADeletionDeepDownEndsTheWalk) {
    KxwTestNodeElement* ptTop = NewElement("D0");
    KxwTestNodeElement* ptLevel = ptTop;
    std::string dsExpected = "V D0";
    std::string dsAfter;
    for (int i = 1; i < 40; ++i) {
        KxwTestNodeElement* ptNext = NewElement("D" + std::to_string(i));
        ptLevel->AppendChild(ptNext);
        ptLevel->AppendChild(NewElement("L" + std::to_string(i)));
        dsExpected += ",V D" + std::to_string(i);
        dsAfter = ",V L" + std::to_string(i) + ",A L" + std::to_string(i) + ",A D" + std::to_string(i - 1) + dsAfter;
        ptLevel = ptNext;
    }
    dsExpected += ",A D39" + dsAfter;
    KxwTestLoggingVisitor tVisitor;
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE, tVisitor.TraverseWithTwoVisits(ptTop, 0));
    EXPECT_EQ(dsExpected, tVisitor._dsLog);

    KxwTestLoggingVisitor tDeleting;
    tDeleting._dsDeleteOnVisit = "D30";
    int iLiveBefore = KxwTestNodeElement::Live();
    EXPECT_EQ(KXW_DOM_TRAVERSE_HIERARCHY_ACTION_STOP, tDeleting.Traverse(ptTop, 0));
    EXPECT_EQ(0u, tDeleting._dsLog.find("V D0,V D1,"));
    EXPECT_EQ(tDeleting._dsLog.size() - 6, tDeleting._dsLog.rfind(",V D30"));
    // D30 went with its subtree: D31..D39 and the leaves L31..L39.
    EXPECT_EQ(iLiveBefore - 19, KxwTestNodeElement::Live());
    delete ptTop;
}
