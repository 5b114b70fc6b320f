// Step times in bounded memory: a log-linear histogram of whole microseconds, so that a run of any length keeps
// the same few kilobytes per step and virtual user, and the histograms of several virtual users (threads) add up
// into one.
//
// Below 128 us every microsecond has a bucket of its own. Above, each power of two [2^k, 2^(k+1)) us is cut into
// knSubBuckets (128) buckets of width 2^(k-7) us, that is at most 1/128 of any value in the bucket, up to 2^40 us
// (about 12.7 days); longer times count in the last bucket. A percentile is the middle of the bucket that holds it,
// kept within the smallest and the largest time recorded (both kept exactly, and reported as such for the first
// and the last rank), so that it differs from the exact nearest-rank percentile by at most max(0.5 us, value / 256):
// 0.4 % of the value above 128 us.
//
// Memory: the buckets of each power of two (1 KiB of counts) are made when a time first falls into it; a step whose
// times stay within a factor of four uses 2 to 3 KiB, and no histogram holds more than kiBlocks (34) KiB of counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class KxwPlayHistogram {
public:
    static constexpr unsigned knSubBuckets = 128;
    static constexpr unsigned knTopBit = 40;            // times up to 2^40 us have buckets
    static constexpr unsigned kiBlocks = knTopBit - 6;  // [0, 128) us, then [2^7, 2^8) ... [2^39, 2^40)
    // The bound of a reported percentile p against the exact one x: |p - x| <= max(kdfAbsoluteErrorUs, x / 256).
    static constexpr double kdfAbsoluteErrorUs = 0.5;
    static constexpr double kdfRelativeError = 1.0 / (2 * knSubBuckets);

    KxwPlayHistogram() = default;
    KxwPlayHistogram(const KxwPlayHistogram& mrtOther);
    KxwPlayHistogram& operator=(const KxwPlayHistogram& mrtOther);
    KxwPlayHistogram(KxwPlayHistogram&&) noexcept = default;
    KxwPlayHistogram& operator=(KxwPlayHistogram&&) noexcept = default;

    // One time, in milliseconds; negative times and NaN count as 0.
    void RecordMs(double mdfMs);
    // Adds every time of another histogram, as if each had been recorded here.
    void Merge(const KxwPlayHistogram& mrtOther);

    uint64_t GetCount() const { return _ullCount; }
    bool IsEmpty() const { return _ullCount == 0; }
    // The exact extremes; 0 when empty.
    double GetMinMs() const { return _ullCount ? _dfMinMs : 0; }
    double GetMaxMs() const { return _ullCount ? _dfMaxMs : 0; }
    // The percentile by the nearest-rank method (the time at rank ceil(p/100 * count), at least the first), within
    // the bound above; 0 when empty.
    double GetPercentileMs(double mdfPercent) const;
    // The median: the middle time, or the mean of the two middle ones for an even count; 0 when empty.
    double GetMedianMs() const;
    // The memory the histogram holds, itself included.
    size_t GetBytes() const;

private:
    // The time at a rank (1 to the count), as the middle of its bucket kept within the extremes.
    double ValueAtRankMs(uint64_t mullRank) const;
    static void Locate(uint64_t mullUs, unsigned* mpuBlock, unsigned* mpuSub);
    static double BucketMiddleUs(unsigned muBlock, unsigned muSub);

    std::unique_ptr<uint64_t[]> _aptBlocks[kiBlocks];
    uint64_t _ullCount = 0;
    double _dfMinMs = 0;
    double _dfMaxMs = 0;
};
