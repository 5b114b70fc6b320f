#include "KxwPlayHistogram.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint64_t kullTopUs = (uint64_t{1} << KxwPlayHistogram::knTopBit) - 1;

}  // namespace

KxwPlayHistogram::KxwPlayHistogram(const KxwPlayHistogram& mrtOther) {
    *this = mrtOther;
}

KxwPlayHistogram& KxwPlayHistogram::operator=(const KxwPlayHistogram& mrtOther) {
    if (this == &mrtOther) return *this;
    for (unsigned u = 0; u < kiBlocks; ++u) {
        if (!mrtOther._aptBlocks[u]) {
            _aptBlocks[u].reset();
            continue;
        }
        if (!_aptBlocks[u]) _aptBlocks[u].reset(new uint64_t[knSubBuckets]);
        std::copy(mrtOther._aptBlocks[u].get(), mrtOther._aptBlocks[u].get() + knSubBuckets, _aptBlocks[u].get());
    }
    _ullCount = mrtOther._ullCount;
    _dfMinMs = mrtOther._dfMinMs;
    _dfMaxMs = mrtOther._dfMaxMs;
    return *this;
}

void KxwPlayHistogram::Locate(uint64_t mullUs, unsigned* mpuBlock, unsigned* mpuSub) {
    if (mullUs < knSubBuckets) {
        *mpuBlock = 0;
        *mpuSub = static_cast<unsigned>(mullUs);
        return;
    }
    // [2^k, 2^(k+1)) is block k - 6, in buckets of 2^(k-7).
    unsigned uTopBit = 63u - static_cast<unsigned>(__builtin_clzll(mullUs));
    unsigned uBlock = uTopBit - 6;
    *mpuBlock = uBlock;
    *mpuSub = static_cast<unsigned>(mullUs >> (uBlock - 1)) - knSubBuckets;
}

double KxwPlayHistogram::BucketMiddleUs(unsigned muBlock, unsigned muSub) {
    if (muBlock == 0) return muSub + 0.5;
    uint64_t ullWidth = uint64_t{1} << (muBlock - 1);
    uint64_t ullLow = (uint64_t{knSubBuckets} + muSub) * ullWidth;
    return static_cast<double>(ullLow) + static_cast<double>(ullWidth) / 2;
}

void KxwPlayHistogram::RecordMs(double mdfMs) {
    if (!(mdfMs > 0)) mdfMs = 0;  // NaN too
    double dfUs = std::floor(mdfMs * 1000);
    uint64_t ullUs = dfUs >= static_cast<double>(kullTopUs) ? kullTopUs : static_cast<uint64_t>(dfUs);
    unsigned uBlock, uSub;
    Locate(ullUs, &uBlock, &uSub);
    std::unique_ptr<uint64_t[]>& rptBlock = _aptBlocks[uBlock];
    if (!rptBlock) rptBlock.reset(new uint64_t[knSubBuckets]());
    ++rptBlock[uSub];
    _dfMinMs = _ullCount ? std::min(_dfMinMs, mdfMs) : mdfMs;
    _dfMaxMs = _ullCount ? std::max(_dfMaxMs, mdfMs) : mdfMs;
    ++_ullCount;
}

void KxwPlayHistogram::Merge(const KxwPlayHistogram& mrtOther) {
    if (this == &mrtOther) {
        Merge(KxwPlayHistogram(mrtOther));
        return;
    }
    if (mrtOther._ullCount == 0) return;
    for (unsigned u = 0; u < kiBlocks; ++u) {
        const uint64_t* pullFrom = mrtOther._aptBlocks[u].get();
        if (!pullFrom) continue;
        if (!_aptBlocks[u]) _aptBlocks[u].reset(new uint64_t[knSubBuckets]());
        uint64_t* pullTo = _aptBlocks[u].get();
        for (unsigned uSub = 0; uSub < knSubBuckets; ++uSub) pullTo[uSub] += pullFrom[uSub];
    }
    _dfMinMs = _ullCount ? std::min(_dfMinMs, mrtOther._dfMinMs) : mrtOther._dfMinMs;
    _dfMaxMs = _ullCount ? std::max(_dfMaxMs, mrtOther._dfMaxMs) : mrtOther._dfMaxMs;
    _ullCount += mrtOther._ullCount;
}

double KxwPlayHistogram::ValueAtRankMs(uint64_t mullRank) const {
    // The first and the last are known exactly.
    if (mullRank <= 1) return _dfMinMs;
    if (mullRank >= _ullCount) return _dfMaxMs;
    uint64_t ullSeen = 0;
    for (unsigned u = 0; u < kiBlocks; ++u) {
        const uint64_t* pullBlock = _aptBlocks[u].get();
        if (!pullBlock) continue;
        for (unsigned uSub = 0; uSub < knSubBuckets; ++uSub) {
            ullSeen += pullBlock[uSub];
            if (ullSeen >= mullRank) return std::clamp(BucketMiddleUs(u, uSub) / 1000, _dfMinMs, _dfMaxMs);
        }
    }
    return _dfMaxMs;
}

double KxwPlayHistogram::GetPercentileMs(double mdfPercent) const {
    if (_ullCount == 0) return 0;
    double dfRank = std::ceil(mdfPercent / 100.0 * static_cast<double>(_ullCount));
    if (!(dfRank >= 1)) return ValueAtRankMs(1);  // NaN too
    if (dfRank >= static_cast<double>(_ullCount)) return ValueAtRankMs(_ullCount);
    return ValueAtRankMs(static_cast<uint64_t>(dfRank));
}

double KxwPlayHistogram::GetMedianMs() const {
    if (_ullCount == 0) return 0;
    uint64_t ullMiddle = _ullCount / 2;
    if (_ullCount % 2) return ValueAtRankMs(ullMiddle + 1);
    return (ValueAtRankMs(ullMiddle) + ValueAtRankMs(ullMiddle + 1)) / 2;
}

size_t KxwPlayHistogram::GetBytes() const {
    size_t nBytes = sizeof *this;
    for (const std::unique_ptr<uint64_t[]>& rptBlock : _aptBlocks)
        if (rptBlock) nBytes += knSubBuckets * sizeof(uint64_t);
    return nBytes;
}
