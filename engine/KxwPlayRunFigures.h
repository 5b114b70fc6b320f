// The figures of a run computed from its result records (one run's results.csv, or the union of several shards'):
// per step the runs, failures and exact percentiles of the times, the failures by reason, the first failures
// themselves, the samples the charts draw and when each virtual user was active.
//
// Percentiles are exact, from every time recorded: the p-th percentile is the time at rank ceil(p/100 * n) of the
// n times in ascending order (nearest rank, at least rank 1); the median is the middle time, or the mean of the two
// middle ones for an even n. The figures depend only on the set of records, never on their order, so that the
// shards of a run merged give the figures of the same run played in one piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "KxwPlayResults.h"

// Percentiles of times sorted ascending; 0 for none.
double xfdfKxwPlayNearestRankMs(const std::vector<double>& mrtSorted, double mdfPercent);
double xfdfKxwPlayMedianMs(const std::vector<double>& mrtSorted);

// Counts one more failure of that reason; once mnMaxReasons reasons are held, a new reason counts under
// KxwPlayRunFigures::kszOtherReasons, so that a page whose every failure says something new cannot grow the map
// without bound.
void xfvKxwPlayCountReason(std::map<std::string, uint64_t>* mptCounts, const std::string& mdsReason,
                           size_t mnMaxReasons);

struct KxwPlayStepFigures {
    int _iStepNumber = 0;
    unsigned _uLine = 0;
    std::string _dsVerb;
    uint64_t _ullRuns = 0;
    uint64_t _ullFailures = 0;
    double _dfMedianMs = 0;
    double _dfP90Ms = 0;
    double _dfP95Ms = 0;
    double _dfP99Ms = 0;
    double _dfMinMs = 0;
    double _dfMaxMs = 0;
};

struct KxwPlayReasonCount {
    std::string _dsReason;
    uint64_t _ullCount = 0;
};

// One step run as the chart of step times draws it.
struct KxwPlayTimeSample {
    double _dfStartMs = 0;
    double _dfDurationMs = 0;
    int _iStepNumber = 0;
};

// When a virtual user ran steps: from its first step's start to its last step's end.
struct KxwPlayActiveSpan {
    double _dfFromMs = 0;
    double _dfToMs = 0;
};

class KxwPlayRunFigures {
public:
    // The failures listed one by one in the report; the others are counted by reason only.
    static constexpr size_t knMaxListedFailures = 200;
    // Distinct failure reasons kept; further ones are counted together under kszOtherReasons.
    static constexpr size_t knMaxReasons = 1000;
    static constexpr const char* kszOtherReasons = "(other reasons)";

    void Add(KxwPlayStepResult&& mrtResult);
    // Sorts and computes; call once after the last Add.
    void Finish();

    // Ordered by step number.
    const std::vector<KxwPlayStepFigures>& GetSteps() const { return _tSteps; }
    // Most frequent first, then by reason.
    const std::vector<KxwPlayReasonCount>& GetReasons() const { return _tReasons; }
    // The first knMaxListedFailures failures by start time (then virtual user, iteration, step).
    const std::vector<KxwPlayStepResult>& GetListedFailures() const { return _tListedFailures; }
    // By start time.
    const std::vector<KxwPlayTimeSample>& GetSamples() const { return _tSamples; }
    const std::map<int, KxwPlayActiveSpan>& GetActiveSpans() const { return _tActiveSpans; }
    uint64_t GetRuns() const { return _tSamples.size(); }
    uint64_t GetFailures() const { return _ullFailures; }
    int GetMaxIteration() const { return _iMaxIteration; }
    double GetEndMs() const { return _dfEndMs; }

private:
    struct StepTimes {
        unsigned _uLine = 0;
        std::string _dsVerb;
        std::vector<double> _tTimes;
        uint64_t _ullFailures = 0;
    };
    std::map<int, StepTimes> _tTimesByStep;
    std::map<std::string, uint64_t> _tReasonCounts;
    std::vector<KxwPlayStepFigures> _tSteps;
    std::vector<KxwPlayReasonCount> _tReasons;
    std::vector<KxwPlayStepResult> _tListedFailures;
    std::vector<KxwPlayTimeSample> _tSamples;
    std::map<int, KxwPlayActiveSpan> _tActiveSpans;
    uint64_t _ullFailures = 0;
    int _iMaxIteration = 0;
    double _dfEndMs = 0;
};
