// The order index of the collections against a plain vector: random insertions, removals and re-keyings, the index
// and the hash table checked whole as they go.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "KxwDomHtmlCollectionItems.h"
#include "KxwMemMgr.h"

namespace {

using Items = KxwDomHtmlCollectionItems;

// Nodes are only compared by address here.
KxwDomNodeBase* FakeNode(size_t mnNumber) {
    return reinterpret_cast<KxwDomNodeBase*>(static_cast<uintptr_t>(16 * (mnNumber + 1)));
}

class KxwDomHtmlCollectionItemsTest : public ::testing::Test {
protected:
    // Everything the index answers, compared with the model.
    void ExpectSameAs(const std::vector<KxwDomNodeBase*>& mrtModel) {
        const char* pszFault = nullptr;
        ASSERT_TRUE(_tItems.CheckInvariants(pszFault)) << pszFault;
        ASSERT_EQ(mrtModel.size(), _tItems.Size());
        size_t nIndex = 0;
        for (KxwDomHtmlCollectionItem* ptItem = _tItems.First(); ptItem; ptItem = Items::Next(ptItem), ++nIndex) {
            ASSERT_EQ(mrtModel[nIndex], ptItem->_ptReferencedNode) << "at " << nIndex;
            ASSERT_EQ(ptItem, _tItems.At(nIndex));
        }
        for (size_t n = 0; n < mrtModel.size(); ++n) {
            // A node held twice answers its first place.
            size_t nFirst =
                static_cast<size_t>(std::find(mrtModel.begin(), mrtModel.end(), mrtModel[n]) - mrtModel.begin());
            ASSERT_EQ(nFirst, _tItems.IndexOfNode(mrtModel[n]));
        }
        size_t nBack = mrtModel.size();
        for (KxwDomHtmlCollectionItem* ptItem = _tItems.Last(); ptItem; ptItem = Items::Previous(ptItem)) --nBack;
        EXPECT_EQ(0u, nBack);
        EXPECT_EQ(nullptr, _tItems.At(mrtModel.size()));
    }

    KxwMemBlkMgr _tBlkMgr;
    KxwMemMgrGeneric _tMemMgr{&_tBlkMgr};
    Items _tItems{&_tMemMgr};
};

TEST_F(KxwDomHtmlCollectionItemsTest, RandomChangesKeepTheOrderPositionsAndLookups) {
    std::mt19937 tRandom(20261208);
    std::vector<KxwDomNodeBase*> tModel;
    size_t nNextNode = 0;
    // Long enough to grow the hash table several times and to shrink back below it.
    for (int iStep = 0; iStep < 6000; ++iStep) {
        unsigned uChoice = tRandom() % 10;
        bool bShrinking = iStep > 4000;
        if (tModel.empty() || (!bShrinking && uChoice < 6) || (bShrinking && uChoice < 2)) {
            size_t nAt = tRandom() % (tModel.size() + 1);
            // Now and then a node that is already held, as lists that append without asking get.
            KxwDomNodeBase* ptNode =
                !tModel.empty() && uChoice == 0 ? tModel[tRandom() % tModel.size()] : FakeNode(nNextNode++);
            if (uChoice % 2)
                _tItems.InsertAt(ptNode, nAt);
            else
                _tItems.InsertAfter(ptNode, nAt == 0 ? nullptr : _tItems.At(nAt - 1));
            tModel.insert(tModel.begin() + static_cast<long>(nAt), ptNode);
        } else if (uChoice == 9) {
            size_t nAt = tRandom() % tModel.size();
            KxwDomNodeBase* ptNew = FakeNode(nNextNode++);
            _tItems.Rekey(_tItems.At(nAt), ptNew);
            tModel[nAt] = ptNew;
        } else {
            size_t nAt = tRandom() % tModel.size();
            _tItems.Erase(_tItems.At(nAt));
            tModel.erase(tModel.begin() + static_cast<long>(nAt));
        }
        if (iStep % 97 == 0 || tModel.size() <= Items::kHashFrom + 1) ExpectSameAs(tModel);
        if (HasFatalFailure()) return;
    }
    ExpectSameAs(tModel);
    EXPECT_EQ(nullptr, _tItems.Find(FakeNode(nNextNode + 5)));
    _tItems.Clear();
    ExpectSameAs({});
    EXPECT_EQ(0u, _tMemMgr.GetLiveBlockCount()) << "every item and table was freed";
}

// Erased items serve the next insertions, so that a collection that churns at one size takes no more memory; one
// emptied by erasures, or cleared, holds nothing.
TEST_F(KxwDomHtmlCollectionItemsTest, ErasedItemsAreReusedAndAnEmptyCollectionHoldsNothing) {
    std::vector<KxwDomNodeBase*> tModel;
    for (size_t n = 0; n < 300; ++n) {
        tModel.push_back(FakeNode(n));
        _tItems.InsertAfter(tModel.back(), _tItems.Last());
    }
    size_t nBlocks = _tMemMgr.GetLiveBlockCount(), nBytes = _tMemMgr.GetLiveByteCount();
    std::mt19937 tRandom(7);
    for (size_t n = 300; n < 5300; ++n) {
        size_t nAt = tRandom() % tModel.size();
        _tItems.Erase(_tItems.At(nAt));
        tModel.erase(tModel.begin() + static_cast<long>(nAt));
        nAt = tRandom() % (tModel.size() + 1);
        _tItems.InsertAt(FakeNode(n), nAt);
        tModel.insert(tModel.begin() + static_cast<long>(nAt), FakeNode(n));
    }
    ExpectSameAs(tModel);
    EXPECT_EQ(nBlocks, _tMemMgr.GetLiveBlockCount());
    EXPECT_EQ(nBytes, _tMemMgr.GetLiveByteCount());
    while (!tModel.empty()) {
        _tItems.Erase(_tItems.First());
        tModel.erase(tModel.begin());
    }
    ExpectSameAs(tModel);
    EXPECT_EQ(0u, _tMemMgr.GetLiveBlockCount()) << "an emptied collection keeps no slab";
    // And it fills again from nothing.
    for (size_t n = 0; n < 40; ++n) {
        tModel.push_back(FakeNode(n));
        _tItems.InsertAfter(tModel.back(), _tItems.Last());
    }
    ExpectSameAs(tModel);
}

TEST_F(KxwDomHtmlCollectionItemsTest, AppendsInOrderAndCountsAPrefix) {
    std::vector<KxwDomNodeBase*> tModel;
    for (size_t n = 0; n < 1000; ++n) {
        tModel.push_back(FakeNode(n));
        _tItems.InsertAfter(tModel.back(), _tItems.Last());
    }
    ExpectSameAs(tModel);
    // The nodes of the model are ordered by address: any address splits them into a prefix and the rest.
    for (size_t nSplit : {size_t(0), size_t(1), size_t(499), size_t(1000)}) {
        KxwDomNodeBase* ptSplit = FakeNode(nSplit);
        EXPECT_EQ(nSplit,
                  _tItems.CountPreceding([ptSplit](const KxwDomNodeBase* mptNode) { return mptNode < ptSplit; }));
    }
    // From the front, as a document lets go of its nodes in order.
    while (KxwDomHtmlCollectionItem* ptFirst = _tItems.First()) _tItems.Erase(ptFirst);
    ExpectSameAs({});
}

}  // namespace
