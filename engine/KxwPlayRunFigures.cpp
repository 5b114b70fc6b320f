#include "KxwPlayRunFigures.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

bool FailureBefore(const KxwPlayStepResult& mrtA, const KxwPlayStepResult& mrtB) {
    return std::tie(mrtA._dfStartMs, mrtA._iVUserId, mrtA._iIteration, mrtA._iStepNumber, mrtA._dsReason) <
           std::tie(mrtB._dfStartMs, mrtB._iVUserId, mrtB._iIteration, mrtB._iStepNumber, mrtB._dsReason);
}

}  // namespace

double xfdfKxwPlayNearestRankMs(const std::vector<double>& mrtSorted, double mdfPercent) {
    if (mrtSorted.empty()) return 0;
    double dfRank = std::ceil(mdfPercent / 100.0 * static_cast<double>(mrtSorted.size()));
    if (!(dfRank >= 1)) return mrtSorted.front();  // NaN too
    if (dfRank >= static_cast<double>(mrtSorted.size())) return mrtSorted.back();
    return mrtSorted[static_cast<size_t>(dfRank) - 1];
}

double xfdfKxwPlayMedianMs(const std::vector<double>& mrtSorted) {
    size_t nCount = mrtSorted.size();
    if (nCount == 0) return 0;
    if (nCount % 2) return mrtSorted[nCount / 2];
    return (mrtSorted[nCount / 2 - 1] + mrtSorted[nCount / 2]) / 2;
}

void xfvKxwPlayCountReason(std::map<std::string, uint64_t>* mptCounts, const std::string& mdsReason,
                           size_t mnMaxReasons) {
    auto tReason = mptCounts->find(mdsReason);
    if (tReason != mptCounts->end())
        ++tReason->second;
    else if (mptCounts->size() < mnMaxReasons)
        (*mptCounts)[mdsReason] = 1;
    else
        ++(*mptCounts)[KxwPlayRunFigures::kszOtherReasons];
}

void KxwPlayRunFigures::Add(KxwPlayStepResult&& mrtResult) {
    StepTimes& rtStep = _tTimesByStep[mrtResult._iStepNumber];
    // The first record of a step names its line and verb: every shard plays the same steps file.
    if (rtStep._tTimes.empty() && rtStep._ullFailures == 0) {
        rtStep._uLine = mrtResult._uLine;
        rtStep._dsVerb = mrtResult._dsVerb;
    }
    rtStep._tTimes.push_back(mrtResult._dfDurationMs);
    _tSamples.push_back({mrtResult._dfStartMs, mrtResult._dfDurationMs, mrtResult._iStepNumber});
    double dfEndMs = mrtResult._dfStartMs + mrtResult._dfDurationMs;
    auto tSpan = _tActiveSpans.find(mrtResult._iVUserId);
    if (tSpan == _tActiveSpans.end()) {
        _tActiveSpans[mrtResult._iVUserId] = {mrtResult._dfStartMs, dfEndMs};
    } else {
        tSpan->second._dfFromMs = std::min(tSpan->second._dfFromMs, mrtResult._dfStartMs);
        tSpan->second._dfToMs = std::max(tSpan->second._dfToMs, dfEndMs);
    }
    _dfEndMs = std::max(_dfEndMs, dfEndMs);
    _iMaxIteration = std::max(_iMaxIteration, mrtResult._iIteration);
    if (mrtResult._bOK) return;
    ++rtStep._ullFailures;
    ++_ullFailures;
    xfvKxwPlayCountReason(&_tReasonCounts, mrtResult._dsReason, knMaxReasons);
    // Only the earliest failures are kept whole: a heap would do, but a bounded sorted list is as simple.
    if (_tListedFailures.size() < knMaxListedFailures || FailureBefore(mrtResult, _tListedFailures.back())) {
        auto tAt = std::upper_bound(_tListedFailures.begin(), _tListedFailures.end(), mrtResult, FailureBefore);
        _tListedFailures.insert(tAt, std::move(mrtResult));
        if (_tListedFailures.size() > knMaxListedFailures) _tListedFailures.pop_back();
    }
}

void KxwPlayRunFigures::Finish() {
    _tSteps.clear();
    for (auto& rtEntry : _tTimesByStep) {
        StepTimes& rtTimes = rtEntry.second;
        std::sort(rtTimes._tTimes.begin(), rtTimes._tTimes.end());
        KxwPlayStepFigures tFigures;
        tFigures._iStepNumber = rtEntry.first;
        tFigures._uLine = rtTimes._uLine;
        tFigures._dsVerb = rtTimes._dsVerb;
        tFigures._ullRuns = rtTimes._tTimes.size();
        tFigures._ullFailures = rtTimes._ullFailures;
        tFigures._dfMedianMs = xfdfKxwPlayMedianMs(rtTimes._tTimes);
        tFigures._dfP90Ms = xfdfKxwPlayNearestRankMs(rtTimes._tTimes, 90);
        tFigures._dfP95Ms = xfdfKxwPlayNearestRankMs(rtTimes._tTimes, 95);
        tFigures._dfP99Ms = xfdfKxwPlayNearestRankMs(rtTimes._tTimes, 99);
        tFigures._dfMinMs = rtTimes._tTimes.empty() ? 0 : rtTimes._tTimes.front();
        tFigures._dfMaxMs = rtTimes._tTimes.empty() ? 0 : rtTimes._tTimes.back();
        _tSteps.push_back(std::move(tFigures));
    }
    _tReasons.clear();
    for (const auto& rtEntry : _tReasonCounts) _tReasons.push_back({rtEntry.first, rtEntry.second});
    std::stable_sort(
        _tReasons.begin(), _tReasons.end(),
        [](const KxwPlayReasonCount& mrtA, const KxwPlayReasonCount& mrtB) { return mrtA._ullCount > mrtB._ullCount; });
    std::sort(_tSamples.begin(), _tSamples.end(), [](const KxwPlayTimeSample& mrtA, const KxwPlayTimeSample& mrtB) {
        return std::tie(mrtA._dfStartMs, mrtA._iStepNumber, mrtA._dfDurationMs) <
               std::tie(mrtB._dfStartMs, mrtB._iStepNumber, mrtB._dfDurationMs);
    });
}
