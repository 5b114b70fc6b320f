#include "KxwMemMgr.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "KxwUtilReport.h"
#include "maw_alloc.h"

#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer every block is a heap block of its own, so that use after free and overruns inside a
// virtual user's memory are caught instead of landing in a neighbour's chunk.
#define KXW_MEMMGR_ALL_LARGE 1
#else
#define KXW_MEMMGR_ALL_LARGE 0
#endif

namespace {

constexpr size_t kHeaderSize = 8;
constexpr uint64_t kSmallMagic = 0x4b58574d;  // tags a live small chunk; the low bit is always set
constexpr uint64_t kLargeTag = (0x4c415247ull << 16) | 0x3;

size_t RoundUp(size_t mnValue, size_t mnTo) { return (mnValue + mnTo - 1) / mnTo * mnTo; }

uint64_t SmallTag(size_t mnClass) { return (kSmallMagic << 16) | (static_cast<uint64_t>(mnClass) << 2) | 0x1; }

bool IsSmallTag(uint64_t muTag) { return (muTag & 0x3) == 0x1 && (muTag >> 16) == kSmallMagic; }

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// KxwMemBlkMgr

KxwMemBlkMgr::KxwMemBlkMgr(unsigned muBlockSize, unsigned muKeepCount)
    : _uBlockSize(static_cast<unsigned>(RoundUp(muBlockSize < 4096 ? 4096 : muBlockSize, 16))),
      _uKeepCount(muKeepCount) {}

KxwMemBlkMgr::~KxwMemBlkMgr() {
    while (_ptKept) {
        FreeBlock* ptNext = _ptKept->_ptNext;
        std::free(_ptKept);
        _ptKept = ptNext;
    }
    if (_nBlocksInUse != 0)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "%zu blocks still in use in KxwMemBlkMgr::~KxwMemBlkMgr. this=%p",
                                              _nBlocksInUse, static_cast<void*>(this));
}

void* KxwMemBlkMgr::ObtainBlock() {
    void* pvBlock;
    if (_ptKept) {
        pvBlock = _ptKept;
        _ptKept = _ptKept->_ptNext;
        --_nBlocksKept;
    } else {
        pvBlock = std::aligned_alloc(16, _uBlockSize);
        if (!pvBlock) KxwUtilOutOfMemoryAbort(static_cast<long>(_uBlockSize), "a memory block in KxwMemBlkMgr");
    }
    ++_nBlocksInUse;
    return pvBlock;
}

void KxwMemBlkMgr::ReleaseBlock(void* mpvBlock) {
    if (!mpvBlock) return;
    --_nBlocksInUse;
    if (_nBlocksKept < _uKeepCount) {
        auto* ptBlock = static_cast<FreeBlock*>(mpvBlock);
        ptBlock->_ptNext = _ptKept;
        _ptKept = ptBlock;
        ++_nBlocksKept;
    } else {
        std::free(mpvBlock);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// KxwMemMgrGeneric
//
// A small chunk is [tag: 8 bytes][payload], its size a multiple of 16, so payloads are 8-aligned. A freed small
// chunk keeps the free-list link in its tag word: the tag's low bit tells a live chunk from a freed one, which
// turns a double free into a report instead of a corrupted list. A large block is
// [LargeHeader][padding][tag][payload], linked in a list so that the manager can return it at destruction.

struct KxwMemMgrGeneric::LargeHeader {
    LargeHeader* _ptPrev;
    LargeHeader* _ptNext;
    void* _pvRaw;
    size_t _nSize;
};

KxwMemMgrGeneric::KxwMemMgrGeneric(KxwMemBlkMgr* mptBlkMgr) : _ptBlkMgr(mptBlkMgr) {}

KxwMemMgrGeneric::KxwMemMgrGeneric(KxwMemBlkMgr* mptBlkMgr, bool mbOwnsBlkMgr)
    : _ptBlkMgr(mptBlkMgr), _bOwnsBlkMgr(mbOwnsBlkMgr) {}

KxwMemMgrGeneric::~KxwMemMgrGeneric() {
    while (_ptLarge) {
        LargeHeader* ptNext = _ptLarge->_ptNext;
        std::free(_ptLarge->_pvRaw);
        _ptLarge = ptNext;
    }
    for (size_t n = 0; n < _nBlocks; ++n) _ptBlkMgr->ReleaseBlock(_ppvBlocks[n]);
    std::free(_ppvBlocks);
    if (_bOwnsBlkMgr) delete _ptBlkMgr;
}

void* KxwMemMgrGeneric::Alloc(size_t mnSize, size_t mnAlignment) {
    if (mnAlignment == 0 || (mnAlignment & (mnAlignment - 1)) != 0) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mnAlignment=%zu in KxwMemMgrGeneric::Alloc. this=%p",
                                              mnAlignment, static_cast<void*>(this));
        mnAlignment = 8;
    }
    if (mnSize == 0) mnSize = 1;
    size_t nChunk = RoundUp(mnSize + kHeaderSize, kGranule);
    void* pvResult;
    if (KXW_MEMMGR_ALL_LARGE || !_ptBlkMgr || mnAlignment > 8 || nChunk > kMaxSmall ||
        nChunk > _ptBlkMgr->GetBlockSize()) {
        pvResult = AllocLarge(mnSize, mnAlignment);
        _nLiveBytes += mnSize;
    } else {
        size_t nClass = nChunk / kGranule - 1;
        pvResult = AllocSmall(nClass);
        _nLiveBytes += nChunk - kHeaderSize;
    }
    ++_nLiveBlocks;
    return pvResult;
}

void* KxwMemMgrGeneric::AllocSmall(size_t mnClass) {
    char* pcChunk;
    if (_apvFreeLists[mnClass]) {
        pcChunk = static_cast<char*>(_apvFreeLists[mnClass]);
        std::memcpy(&_apvFreeLists[mnClass], pcChunk, sizeof(void*));
    } else {
        size_t nChunk = (mnClass + 1) * kGranule;
        if (static_cast<size_t>(_pcBumpEnd - _pcBump) < nChunk) {
            if (_nBlocks == _nBlocksCapacity) {
                size_t nNewCapacity = _nBlocksCapacity ? _nBlocksCapacity * 2 : 16;
                void* pvGrown = std::realloc(_ppvBlocks, nNewCapacity * sizeof(void*));
                if (!pvGrown) KxwUtilOutOfMemoryAbort(static_cast<long>(nNewCapacity * sizeof(void*)), "KxwMemMgrGeneric block list");
                _ppvBlocks = static_cast<void**>(pvGrown);
                _nBlocksCapacity = nNewCapacity;
            }
            void* pvBlock = _ptBlkMgr->ObtainBlock();
            _ppvBlocks[_nBlocks++] = pvBlock;
            _pcBump = static_cast<char*>(pvBlock);
            _pcBumpEnd = _pcBump + _ptBlkMgr->GetBlockSize();
        }
        pcChunk = _pcBump;
        _pcBump += nChunk;
    }
    uint64_t uTag = SmallTag(mnClass);
    std::memcpy(pcChunk, &uTag, sizeof uTag);
    return pcChunk + kHeaderSize;
}

void* KxwMemMgrGeneric::AllocLarge(size_t mnSize, size_t mnAlignment) {
    size_t nAlign = mnAlignment < 16 ? 16 : mnAlignment;
    size_t nTotal = sizeof(LargeHeader) + kHeaderSize + nAlign + mnSize;
    if (nTotal < mnSize) KxwUtilOutOfMemoryAbort(static_cast<long>(mnSize), "a large block in KxwMemMgrGeneric");
    char* pcRaw = static_cast<char*>(std::malloc(nTotal));
    if (!pcRaw) KxwUtilOutOfMemoryAbort(static_cast<long>(nTotal), "a large block in KxwMemMgrGeneric");
    uintptr_t uPayload = RoundUp(reinterpret_cast<uintptr_t>(pcRaw) + sizeof(LargeHeader) + kHeaderSize, nAlign);
    char* pcPayload = reinterpret_cast<char*>(uPayload);
    auto* ptHeader = reinterpret_cast<LargeHeader*>(pcPayload - kHeaderSize - sizeof(LargeHeader));
    ptHeader->_ptPrev = nullptr;
    ptHeader->_ptNext = _ptLarge;
    ptHeader->_pvRaw = pcRaw;
    ptHeader->_nSize = mnSize;
    if (_ptLarge) _ptLarge->_ptPrev = ptHeader;
    _ptLarge = ptHeader;
    std::memcpy(pcPayload - kHeaderSize, &kLargeTag, sizeof kLargeTag);
    return pcPayload;
}

void KxwMemMgrGeneric::Free(void* mpvBlock) {
    if (!mpvBlock) return;
    char* pcPayload = static_cast<char*>(mpvBlock);
    uint64_t uTag;
    std::memcpy(&uTag, pcPayload - kHeaderSize, sizeof uTag);
    if (uTag == kLargeTag) {
        auto* ptHeader = reinterpret_cast<LargeHeader*>(pcPayload - kHeaderSize - sizeof(LargeHeader));
        if (ptHeader->_ptPrev) ptHeader->_ptPrev->_ptNext = ptHeader->_ptNext;
        else _ptLarge = ptHeader->_ptNext;
        if (ptHeader->_ptNext) ptHeader->_ptNext->_ptPrev = ptHeader->_ptPrev;
        _nLiveBytes -= ptHeader->_nSize;
        --_nLiveBlocks;
        std::free(ptHeader->_pvRaw);
        return;
    }
    if (!IsSmallTag(uTag)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Block %p freed twice or not from KxwMemMgrGeneric::Alloc. this=%p",
                                              mpvBlock, static_cast<void*>(this));
        return;
    }
    size_t nClass = static_cast<size_t>((uTag >> 2) & 0x3fff);
    char* pcChunk = pcPayload - kHeaderSize;
    std::memcpy(pcChunk, &_apvFreeLists[nClass], sizeof(void*));
    _apvFreeLists[nClass] = pcChunk;
    _nLiveBytes -= (nClass + 1) * kGranule - kHeaderSize;
    --_nLiveBlocks;
}

// ---------------------------------------------------------------------------------------------------------------
// KxwMemMgrStandaloneDomStr

KxwMemMgrStandaloneDomStr::KxwMemMgrStandaloneDomStr(unsigned muBlockSize)
    : KxwMemMgrGeneric(new KxwMemBlkMgr(muBlockSize, 16), true) {}
