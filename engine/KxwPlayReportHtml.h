// report.html: one self-contained page (inline style, charts as inline SVG, nothing fetched from anywhere) with a
// run's summary table, the exact percentiles of each step's times, a chart of step times over the run and one of
// the active virtual users, the failures by reason and the first failures one by one, each linked to its snapshot
// page when it has one. Everything that comes from pages or steps is escaped.
#pragma once

#include <string>
#include <vector>

class KxwPlayRunFigures;

struct KxwPlayReportInfo {
    // What the figures come from: the steps file of a run, or the shard folders of a merge.
    std::vector<std::string> _tSources;
};

class KxwPlayReportHtml {
public:
    // Runs drawn one point each; above this the chart shows the median of each of knTimeBins intervals.
    static constexpr size_t knMaxPointsDrawn = 1000;
    static constexpr size_t knTimeBins = 120;

    // The page for a report written into mdsReportFolder (snapshot links are relative to it).
    static std::string Make(const KxwPlayRunFigures& mrtFigures, const KxwPlayReportInfo& mrtInfo,
                            const std::string& mdsReportFolder);
    // Writes mdsReportFolder/report.html; false with the reason.
    static bool Write(const KxwPlayRunFigures& mrtFigures, const KxwPlayReportInfo& mrtInfo,
                      const std::string& mdsReportFolder, std::string* mpdsError);

    // Reads the results.csv of each folder into *mptFigures (finished) and writes the report into mdsOutFolder.
    // With mbWriteResults, the records also go into mdsOutFolder/results.csv (a merge of shards), which must not be
    // one of the files read; a virtual user found in two folders (a shard given twice) is refused.
    static bool WriteFromResults(const std::vector<std::string>& mtFolders, const std::string& mdsOutFolder,
                                 bool mbWriteResults, const KxwPlayReportInfo& mrtInfo, KxwPlayRunFigures* mptFigures,
                                 std::string* mpdsError);
};
