// Memory managers. A virtual user's objects live on its own managers and all of that memory returns when the
// managers are destroyed with the virtual user; none of them takes a lock (one thread per virtual user).
#pragma once

#include <cstddef>
#include <cstdint>

#include "kxw/KxwExport.h"

// The allocation interface every DOM object and string reaches: Alloc is the first virtual operation, Free the
// second. Alloc returns null only when the process is out of memory.
class KXW_API KxwMemMgr {
public:
    virtual void* Alloc(size_t mnSize, size_t mnAlignment = 8) = 0;
    virtual void Free(void* mpvBlock) = 0;
    virtual ~KxwMemMgr() = default;

    size_t GetLiveBlockCount() const { return _nLiveBlocks; }
    size_t GetLiveByteCount() const { return _nLiveBytes; }

protected:
    size_t _nLiveBlocks = 0;
    size_t _nLiveBytes = 0;
};

// Hands out fixed-size blocks of raw memory to the general managers of one virtual user and keeps up to
// muKeepCount released blocks for reuse.
class KXW_API KxwMemBlkMgr {
public:
    KxwMemBlkMgr(unsigned muBlockSize = 16384, unsigned muKeepCount = 100);
    ~KxwMemBlkMgr();
    KxwMemBlkMgr(const KxwMemBlkMgr&) = delete;
    KxwMemBlkMgr& operator=(const KxwMemBlkMgr&) = delete;

    void* ObtainBlock();
    void ReleaseBlock(void* mpvBlock);
    unsigned GetBlockSize() const { return _uBlockSize; }
    size_t GetBlocksInUse() const { return _nBlocksInUse; }
    size_t GetBlocksKept() const { return _nBlocksKept; }

private:
    struct FreeBlock {
        FreeBlock* _ptNext;
    };
    unsigned _uBlockSize;
    unsigned _uKeepCount;
    FreeBlock* _ptKept = nullptr;
    size_t _nBlocksKept = 0;
    size_t _nBlocksInUse = 0;
};

// General manager on a block manager: small requests come from size classes carved out of blocks, large ones
// straight from the heap. Destroying it returns every block and every large allocation, freed or not.
class KXW_API KxwMemMgrGeneric : public KxwMemMgr {
public:
    explicit KxwMemMgrGeneric(KxwMemBlkMgr* mptBlkMgr);
    ~KxwMemMgrGeneric() override;
    KxwMemMgrGeneric(const KxwMemMgrGeneric&) = delete;
    KxwMemMgrGeneric& operator=(const KxwMemMgrGeneric&) = delete;

    void* Alloc(size_t mnSize, size_t mnAlignment = 8) override;
    void Free(void* mpvBlock) override;

    static constexpr size_t kGranule = 16;
    static constexpr size_t kClassCount = 64;  // size classes of 16 .. 1024 bytes
    static constexpr size_t kMaxSmall = kGranule * kClassCount;

protected:
    // Takes ownership of a block manager of its own, deleted after everything was returned to it.
    KxwMemMgrGeneric(KxwMemBlkMgr* mptBlkMgr, bool mbOwnsBlkMgr);

private:
    struct Header;
    struct LargeHeader;
    void* AllocSmall(size_t mnClass);
    void* AllocLarge(size_t mnSize, size_t mnAlignment);

    KxwMemBlkMgr* _ptBlkMgr;
    void* _apvFreeLists[kClassCount] = {};
    void** _ppvBlocks = nullptr;  // blocks taken from the block manager, released at destruction
    size_t _nBlocks = 0;
    size_t _nBlocksCapacity = 0;
    char* _pcBump = nullptr;
    char* _pcBumpEnd = nullptr;
    LargeHeader* _ptLarge = nullptr;
    bool _bOwnsBlkMgr = false;
};

// A manager for strings that owns its block manager.
class KxwMemMgrStandaloneDomStr : public KxwMemMgrGeneric {
public:
    explicit KxwMemMgrStandaloneDomStr(unsigned muBlockSize = 16384);
};
