#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "KxwPlayHistogram.h"

namespace {

// What the histogram promises against the exact value, in milliseconds.
double BoundMs(double mdfExactMs) {
    // The bound is tight (a time at the lower edge of a bucket is exactly half a bucket from its middle), so the
    // slack only covers the rounding of the millisecond arithmetic.
    double dfBound =
        std::max(KxwPlayHistogram::kdfAbsoluteErrorUs / 1000, mdfExactMs * KxwPlayHistogram::kdfRelativeError);
    return dfBound * (1 + 1e-9) + 1e-12;
}

double ExactPercentileMs(const std::vector<double>& mrtSorted, double mdfPercent) {
    double dfRank = std::ceil(mdfPercent / 100.0 * static_cast<double>(mrtSorted.size()));
    size_t nIndex = dfRank < 1 ? 0 : static_cast<size_t>(dfRank) - 1;
    return mrtSorted[std::min(nIndex, mrtSorted.size() - 1)];
}

double ExactMedianMs(const std::vector<double>& mrtSorted) {
    size_t nMiddle = mrtSorted.size() / 2;
    return mrtSorted.size() % 2 ? mrtSorted[nMiddle] : (mrtSorted[nMiddle - 1] + mrtSorted[nMiddle]) / 2;
}

KxwPlayHistogram HistogramOf(const std::vector<double>& mtTimesMs) {
    KxwPlayHistogram tHistogram;
    for (double dfMs : mtTimesMs) tHistogram.RecordMs(dfMs);
    return tHistogram;
}

const double kadfPercents[] = {0, 0.1, 1, 10, 25, 50, 75, 90, 95, 99, 99.9, 99.99, 100};

}  // namespace

TEST(KxwPlayHistogram, PercentilesOfKnownDistributionsStayWithinTheBound) {
    std::mt19937_64 tRandom(20240611);
    const size_t nCount = 200001;  // odd: the median is one time; the even case is below
    struct Distribution {
        const char* _pszName;
        std::vector<double> _tTimesMs;
    } atDistributions[4] = {{"uniform 0-10 ms", {}},
                            {"exponential, mean 2 ms", {}},
                            {"log-normal 1 us to seconds", {}},
                            {"bimodal 0.1 ms / 50 ms", {}}};
    std::uniform_real_distribution<double> tUniform(0, 10);
    std::exponential_distribution<double> tExponential(0.5);
    std::lognormal_distribution<double> tLogNormal(0, 3);
    std::normal_distribution<double> tFast(0.1, 0.01), tSlow(50, 5);
    std::bernoulli_distribution tMiss(0.07);
    for (size_t n = 0; n < nCount; ++n) {
        atDistributions[0]._tTimesMs.push_back(tUniform(tRandom));
        atDistributions[1]._tTimesMs.push_back(tExponential(tRandom));
        atDistributions[2]._tTimesMs.push_back(tLogNormal(tRandom));
        atDistributions[3]._tTimesMs.push_back(tMiss(tRandom) ? tSlow(tRandom) : tFast(tRandom));
    }
    for (Distribution& rtDistribution : atDistributions) {
        SCOPED_TRACE(rtDistribution._pszName);
        KxwPlayHistogram tHistogram = HistogramOf(rtDistribution._tTimesMs);
        std::vector<double>& rtSorted = rtDistribution._tTimesMs;
        std::sort(rtSorted.begin(), rtSorted.end());
        EXPECT_EQ(nCount, tHistogram.GetCount());
        EXPECT_EQ(rtSorted.front(), tHistogram.GetMinMs());
        EXPECT_EQ(rtSorted.back(), tHistogram.GetMaxMs());
        for (double dfPercent : kadfPercents) {
            double dfExact = ExactPercentileMs(rtSorted, dfPercent);
            EXPECT_NEAR(dfExact, tHistogram.GetPercentileMs(dfPercent), BoundMs(dfExact)) << "p" << dfPercent;
        }
        double dfMedian = ExactMedianMs(rtSorted);
        EXPECT_NEAR(dfMedian, tHistogram.GetMedianMs(), BoundMs(dfMedian));
        // An even count: the median is the mean of the two middle times.
        rtSorted.pop_back();
        KxwPlayHistogram tEven = HistogramOf(rtSorted);
        dfMedian = ExactMedianMs(rtSorted);
        EXPECT_NEAR(dfMedian, tEven.GetMedianMs(), BoundMs(dfMedian));
    }
}

TEST(KxwPlayHistogram, EachTimeIsReportedAsTheMiddleOfItsBucket) {
    // With a smaller and a larger time around it, nothing clamps the bucket's middle: this sees the bucket itself.
    auto tMedianAmongOthers = [](double mdfMs) {
        KxwPlayHistogram tHistogram;
        tHistogram.RecordMs(0);
        for (int n = 0; n < 3; ++n) tHistogram.RecordMs(mdfMs);
        tHistogram.RecordMs(1.5e9);
        return tHistogram.GetMedianMs();
    };
    std::vector<double> tTimesUs;
    for (int n = 0; n <= 2048; ++n) tTimesUs.push_back(n), tTimesUs.push_back(n + 0.75);
    for (unsigned uBit = 7; uBit < KxwPlayHistogram::knTopBit; ++uBit) {
        double dfPower = std::ldexp(1.0, static_cast<int>(uBit));
        for (double dfUs : {dfPower - 1, dfPower - 0.25, dfPower, dfPower + 1, dfPower * 1.3, dfPower * 1.999})
            tTimesUs.push_back(dfUs);
    }
    std::sort(tTimesUs.begin(), tTimesUs.end());
    double dfPrevious = -1;
    double dfWorstRelative = 0;
    for (double dfUs : tTimesUs) {
        double dfMs = dfUs / 1000;
        double dfReported = tMedianAmongOthers(dfMs);
        ASSERT_NEAR(dfMs, dfReported, BoundMs(dfMs)) << dfUs << " us";
        // The buckets keep the order of the times.
        ASSERT_GE(dfReported, dfPrevious) << dfUs << " us";
        dfPrevious = dfReported;
        if (dfUs >= 256) dfWorstRelative = std::max(dfWorstRelative, std::fabs(dfReported - dfMs) / dfMs);
    }
    // The bound is what the buckets give, not a loose promise: times at the lower edge of a bucket are nearly half
    // a bucket (1/256 of the time) away from its middle.
    EXPECT_GT(dfWorstRelative, 0.9 * KxwPlayHistogram::kdfRelativeError);
    EXPECT_LE(dfWorstRelative, KxwPlayHistogram::kdfRelativeError * (1 + 1e-9));
}

TEST(KxwPlayHistogram, HistogramsOfVirtualUsersOnTheirThreadsMergeIntoTheWholeRun) {
    std::mt19937_64 tRandom(7);
    std::lognormal_distribution<double> tTimes(1, 1.5);
    std::vector<std::vector<double>> tPerThread(4);
    std::vector<double> tAll;
    for (std::vector<double>& rtTimes : tPerThread) {
        for (int n = 0; n < 25000; ++n) rtTimes.push_back(tTimes(tRandom));
        tAll.insert(tAll.end(), rtTimes.begin(), rtTimes.end());
    }
    std::vector<KxwPlayHistogram> tHistograms(tPerThread.size());
    std::vector<std::thread> tThreads;
    for (size_t n = 0; n < tPerThread.size(); ++n)
        tThreads.emplace_back([&, n] { tHistograms[n] = HistogramOf(tPerThread[n]); });
    for (std::thread& rtThread : tThreads) rtThread.join();

    KxwPlayHistogram tMerged;
    for (const KxwPlayHistogram& rtHistogram : tHistograms) tMerged.Merge(rtHistogram);
    KxwPlayHistogram tWhole = HistogramOf(tAll);
    EXPECT_EQ(tAll.size(), tMerged.GetCount());
    EXPECT_EQ(tWhole.GetMinMs(), tMerged.GetMinMs());
    EXPECT_EQ(tWhole.GetMaxMs(), tMerged.GetMaxMs());
    EXPECT_EQ(tWhole.GetMedianMs(), tMerged.GetMedianMs());
    for (double dfPercent = 0; dfPercent <= 100; dfPercent += 0.5)
        ASSERT_EQ(tWhole.GetPercentileMs(dfPercent), tMerged.GetPercentileMs(dfPercent)) << "p" << dfPercent;
    std::sort(tAll.begin(), tAll.end());
    EXPECT_NEAR(ExactPercentileMs(tAll, 95), tMerged.GetPercentileMs(95), BoundMs(ExactPercentileMs(tAll, 95)));

    // Empty ones change nothing, either way round.
    KxwPlayHistogram tEmpty;
    KxwPlayHistogram tCopy = tMerged;
    tCopy.Merge(tEmpty);
    EXPECT_EQ(tMerged.GetCount(), tCopy.GetCount());
    EXPECT_EQ(tMerged.GetPercentileMs(95), tCopy.GetPercentileMs(95));
    tEmpty.Merge(tMerged);
    EXPECT_EQ(tMerged.GetMinMs(), tEmpty.GetMinMs());
    EXPECT_EQ(tMerged.GetPercentileMs(99), tEmpty.GetPercentileMs(99));
    // A copy is its own: what it records leaves the original as it was.
    tCopy.RecordMs(1e6);
    EXPECT_EQ(tMerged.GetCount() + 1, tCopy.GetCount());
    EXPECT_EQ(tWhole.GetMaxMs(), tMerged.GetMaxMs());
}

TEST(KxwPlayHistogram, ExtremesEmptyAndOutOfRange) {
    KxwPlayHistogram tEmpty;
    EXPECT_TRUE(tEmpty.IsEmpty());
    EXPECT_EQ(0, tEmpty.GetMedianMs());
    EXPECT_EQ(0, tEmpty.GetPercentileMs(95));
    EXPECT_EQ(0, tEmpty.GetMinMs());
    EXPECT_EQ(0, tEmpty.GetMaxMs());

    // One time is reported exactly, at every percentile.
    KxwPlayHistogram tOne;
    tOne.RecordMs(123.456);
    for (double dfPercent : kadfPercents) EXPECT_EQ(123.456, tOne.GetPercentileMs(dfPercent));
    EXPECT_EQ(123.456, tOne.GetMedianMs());

    // Percent out of range: the first or the last time.
    KxwPlayHistogram tTwo;
    tTwo.RecordMs(2);
    tTwo.RecordMs(8);
    EXPECT_EQ(2, tTwo.GetPercentileMs(-5));
    EXPECT_EQ(2, tTwo.GetPercentileMs(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(8, tTwo.GetPercentileMs(250));

    // Nothing and below nothing count as 0; a sub-microsecond time keeps its microsecond bucket.
    KxwPlayHistogram tTiny;
    tTiny.RecordMs(-3);
    tTiny.RecordMs(std::numeric_limits<double>::quiet_NaN());
    tTiny.RecordMs(0);
    tTiny.RecordMs(0.0004);
    EXPECT_EQ(4u, tTiny.GetCount());
    EXPECT_EQ(0, tTiny.GetMinMs());
    EXPECT_EQ(0.0004, tTiny.GetMaxMs());
    EXPECT_NEAR(0, tTiny.GetMedianMs(), BoundMs(0));

    // Hours are within the bound; beyond the top (2^40 us, 12.7 days) a time counts in the last bucket, while the
    // largest time stays exact.
    const double dfHourMs = 3600e3;
    KxwPlayHistogram tLong;
    for (int n = 0; n < 99; ++n) tLong.RecordMs(3 * dfHourMs + n * 1000);
    tLong.RecordMs(20 * 24 * dfHourMs);
    EXPECT_NEAR(3 * dfHourMs + 49500, tLong.GetMedianMs(), BoundMs(3 * dfHourMs + 49500));
    EXPECT_NEAR(3 * dfHourMs + 94000, tLong.GetPercentileMs(95), BoundMs(3 * dfHourMs + 94000));
    EXPECT_EQ(20 * 24 * dfHourMs, tLong.GetPercentileMs(100));
    KxwPlayHistogram tBeyond;
    tBeyond.RecordMs(1);
    for (int n = 0; n < 3; ++n) tBeyond.RecordMs(30 * 24 * dfHourMs);
    tBeyond.RecordMs(40 * 24 * dfHourMs);
    EXPECT_LE(tBeyond.GetMedianMs(), std::ldexp(1.0, KxwPlayHistogram::knTopBit) / 1000);
    EXPECT_GT(tBeyond.GetMedianMs(), 12 * 24 * dfHourMs);

    // Counts go past 32 bits: two times merged into themselves 33 times are 2^34 runs.
    KxwPlayHistogram tMany;
    tMany.RecordMs(5);
    tMany.RecordMs(7);
    for (int n = 0; n < 33; ++n) tMany.Merge(tMany);
    EXPECT_EQ(uint64_t{1} << 34, tMany.GetCount());
    EXPECT_NEAR(5, tMany.GetPercentileMs(50), BoundMs(5));
    EXPECT_NEAR(7, tMany.GetPercentileMs(50.0000001), BoundMs(7));
    EXPECT_NEAR(6, tMany.GetMedianMs(), BoundMs(6));
}

TEST(KxwPlayHistogram, MemoryIsBoundedWhateverTheRunLength) {
    // Step times within a factor of three take two or three blocks, however many there are.
    std::mt19937_64 tRandom(3);
    std::uniform_real_distribution<double> tTimes(1, 3);
    KxwPlayHistogram tHistogram;
    for (int n = 0; n < 1000; ++n) tHistogram.RecordMs(tTimes(tRandom));
    size_t nAfterThousand = tHistogram.GetBytes();
    for (int n = 0; n < 2000000; ++n) tHistogram.RecordMs(tTimes(tRandom));
    EXPECT_EQ(nAfterThousand, tHistogram.GetBytes());
    EXPECT_LE(tHistogram.GetBytes(), sizeof(KxwPlayHistogram) + 3 * KxwPlayHistogram::knSubBuckets * 8);

    // At the most one block per power of two, whatever is recorded or merged.
    const size_t nMost = sizeof(KxwPlayHistogram) + KxwPlayHistogram::kiBlocks * KxwPlayHistogram::knSubBuckets * 8;
    KxwPlayHistogram tEverywhere;
    for (unsigned uBit = 0; uBit <= KxwPlayHistogram::knTopBit + 2; ++uBit)
        tEverywhere.RecordMs(std::ldexp(1.0, static_cast<int>(uBit)) / 1000);
    EXPECT_EQ(nMost, tEverywhere.GetBytes());
    std::lognormal_distribution<double> tWide(0, 6);
    for (int n = 0; n < 200000; ++n) tEverywhere.RecordMs(tWide(tRandom));
    tEverywhere.Merge(tHistogram);
    EXPECT_EQ(nMost, tEverywhere.GetBytes());
    EXPECT_LT(nMost, 36u * 1024);
}
