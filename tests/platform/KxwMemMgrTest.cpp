#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "KxwMemMgr.h"
#include "KxwRecordingSink.h"

namespace {

struct Block {
    unsigned char* _pucData;
    size_t _nSize;
    unsigned char _ucFill;
};

}  // namespace

// Random allocations and frees against a model: every live block keeps its own fill pattern, so any overlap
// between blocks, or reuse of a live chunk, shows as a corrupted pattern.
TEST(KxwMemMgrGeneric, BlocksNeverOverlapUnderRandomUse) {
    KxwMemBlkMgr tBlkMgr(16384, 4);
    KxwMemMgrGeneric tMemMgr(&tBlkMgr);
    std::mt19937 tRandom(7);
    std::vector<Block> tLive;
    for (int iStep = 0; iStep < 20000; ++iStep) {
        if (!tLive.empty() && tRandom() % 3 == 0) {
            size_t nIndex = tRandom() % tLive.size();
            Block tBlock = tLive[nIndex];
            for (size_t n = 0; n < tBlock._nSize; ++n) ASSERT_EQ(tBlock._ucFill, tBlock._pucData[n]) << iStep;
            tMemMgr.Free(tBlock._pucData);
            tLive[nIndex] = tLive.back();
            tLive.pop_back();
        } else {
            size_t nSize = tRandom() % 8 == 0 ? 1000 + tRandom() % 40000 : 1 + tRandom() % 300;
            auto* pucData = static_cast<unsigned char*>(tMemMgr.Alloc(nSize, 8));
            ASSERT_NE(nullptr, pucData);
            ASSERT_EQ(0u, reinterpret_cast<uintptr_t>(pucData) % 8);
            auto ucFill = static_cast<unsigned char>(tRandom());
            std::memset(pucData, ucFill, nSize);
            tLive.push_back({pucData, nSize, ucFill});
        }
    }
    EXPECT_EQ(tLive.size(), tMemMgr.GetLiveBlockCount());
    for (const Block& rtBlock : tLive) {
        for (size_t n = 0; n < rtBlock._nSize; ++n) ASSERT_EQ(rtBlock._ucFill, rtBlock._pucData[n]);
        tMemMgr.Free(rtBlock._pucData);
    }
    EXPECT_EQ(0u, tMemMgr.GetLiveBlockCount());
    EXPECT_EQ(0u, tMemMgr.GetLiveByteCount());
}

TEST(KxwMemMgrGeneric, CountsAndAlignment) {
    KxwMemBlkMgr tBlkMgr;
    KxwMemMgrGeneric tMemMgr(&tBlkMgr);
    void* pvSmall = tMemMgr.Alloc(10);
    void* pvLarge = tMemMgr.Alloc(100000);
    void* pvAligned = tMemMgr.Alloc(40, 64);
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(pvAligned) % 64);
    EXPECT_EQ(3u, tMemMgr.GetLiveBlockCount());
    EXPECT_GE(tMemMgr.GetLiveByteCount(), 10u + 100000u + 40u);
    tMemMgr.Free(pvLarge);
    tMemMgr.Free(pvAligned);
    tMemMgr.Free(pvSmall);
    tMemMgr.Free(nullptr);
    EXPECT_EQ(0u, tMemMgr.GetLiveBlockCount());
    EXPECT_EQ(0u, tMemMgr.GetLiveByteCount());
}

// A virtual user's memory comes back whole when its manager goes, freed or not.
TEST(KxwMemMgrGeneric, DestructionReturnsEverything) {
    KxwMemBlkMgr tBlkMgr(4096, 100);
    {
        KxwMemMgrGeneric tMemMgr(&tBlkMgr);
        for (int i = 0; i < 5000; ++i) tMemMgr.Alloc(static_cast<size_t>(16 + i % 500));
        tMemMgr.Alloc(1 << 20);
        EXPECT_EQ(5001u, tMemMgr.GetLiveBlockCount());
    }
    EXPECT_EQ(0u, tBlkMgr.GetBlocksInUse());
    EXPECT_LE(tBlkMgr.GetBlocksKept(), 100u);
}

#if !defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer every allocation is a heap block of its own and no blocks are carved.
TEST(KxwMemMgrGeneric, BlocksAreReusedAcrossManagers) {
    KxwMemBlkMgr tBlkMgr(4096, 8);
    {
        KxwMemMgrGeneric tMemMgr(&tBlkMgr);
        for (int i = 0; i < 100; ++i) tMemMgr.Alloc(200);
    }
    size_t nKept = tBlkMgr.GetBlocksKept();
    EXPECT_GT(nKept, 0u);
    KxwMemMgrGeneric tSecond(&tBlkMgr);
    tSecond.Alloc(200);
    EXPECT_EQ(nKept - 1, tBlkMgr.GetBlocksKept());
}
#endif

#if !defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer a double free is the sanitizer's to catch; here the manager must refuse it.
TEST(KxwMemMgrGeneric, DoubleFreeIsReportedNotCorrupting) {
    KxwRecordingSink tSink;
    KxwMemBlkMgr tBlkMgr;
    KxwMemMgrGeneric tMemMgr(&tBlkMgr);
    void* pvBlock = tMemMgr.Alloc(24);
    tMemMgr.Free(pvBlock);
    tMemMgr.Free(pvBlock);
    EXPECT_TRUE(tSink.Saw("freed twice"));
    void* pvFirst = tMemMgr.Alloc(24);
    void* pvSecond = tMemMgr.Alloc(24);
    EXPECT_NE(pvFirst, pvSecond);
}
#endif

TEST(KxwMemMgrStandaloneDomStr, OwnsItsBlocks) {
    KxwMemMgrStandaloneDomStr tMemMgr(8192);
    std::vector<void*> tBlocks;
    for (int i = 0; i < 1000; ++i) tBlocks.push_back(tMemMgr.Alloc(static_cast<size_t>(8 + i % 64)));
    for (void* pvBlock : tBlocks) tMemMgr.Free(pvBlock);
    EXPECT_EQ(0u, tMemMgr.GetLiveBlockCount());
}
