#include "KxwPlayReportHtml.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "KxwPlayRunFigures.h"
#include "KxwPlaySteps.h"
#include "KxwPlaySvgChart.h"

namespace {

const char kszStyle[] =
    "body{font-family:sans-serif;margin:1.5em;color:#222;max-width:70em}"
    "h1{font-size:1.5em}h2{font-size:1.15em;margin-top:1.6em}"
    "table{border-collapse:collapse;margin:.5em 0}"
    "th,td{border:1px solid #bbb;padding:.25em .6em;text-align:right;vertical-align:top}"
    "th{background:#eee}td.text{text-align:left;max-width:40em;overflow-wrap:anywhere;white-space:pre-wrap}"
    "tr.fail td{background:#fdecea}tfoot td{font-weight:bold}"
    ".note{color:#555;font-size:.9em}svg{display:block;margin:.5em 0;background:#fff}";

std::string Ms(double mdfMs) {
    char acText[48];
    std::snprintf(acText, sizeof acText, "%.1f ms", mdfMs);
    return acText;
}

std::string Seconds(double mdfMs) {
    char acText[48];
    std::snprintf(acText, sizeof acText, "%.3f s", mdfMs / 1000);
    return acText;
}

std::string Cell(const std::string& mdsText, bool mbText = false) {
    return std::string(mbText ? "<td class=\"text\">" : "<td>") + xfdsKxwPlayEscapeMarkup(mdsText) + "</td>";
}

// A relative path as a relative URL. A first segment holding ':' would read as a scheme ("javascript:..."): it
// gets "./" before it.
std::string RelativeUrl(const std::string& mdsPath) {
    std::string dsUrl;
    size_t nColon = mdsPath.find(':');
    if (nColon != std::string::npos && nColon < mdsPath.find('/')) dsUrl = "./";
    xfvKxwPlayAppendEscapedPath(mdsPath, &dsUrl);
    return dsUrl;
}

KxwPlaySvgChart MakeTimeChart(const KxwPlayRunFigures& mrtFigures) {
    KxwPlaySvgChart tChart("Step time over the run", "start of the step on the run clock (s)", "step time (ms)");
    const std::vector<KxwPlayTimeSample>& rtSamples = mrtFigures.GetSamples();
    bool bPerStep = mrtFigures.GetSteps().size() <= KxwPlaySvgChart::knMaxSeriesColours;
    bool bBinned = rtSamples.size() > KxwPlayReportHtml::knMaxPointsDrawn;
    std::map<int, std::vector<const KxwPlayTimeSample*>> tBySeries;
    for (const KxwPlayTimeSample& rtSample : rtSamples)
        tBySeries[bPerStep ? rtSample._iStepNumber : 0].push_back(&rtSample);
    std::map<int, std::string> tNames;
    for (const KxwPlayStepFigures& rtStep : mrtFigures.GetSteps())
        tNames[rtStep._iStepNumber] = "step " + std::to_string(rtStep._iStepNumber) + " " + rtStep._dsVerb;
    double dfBinMs = std::max(1.0, mrtFigures.GetEndMs() / KxwPlayReportHtml::knTimeBins);
    for (const auto& rtEntry : tBySeries) {
        KxwPlaySvgSeries tSeries;
        tSeries._dsName = bPerStep ? tNames[rtEntry.first] : "all steps";
        if (bBinned) tSeries._dsName += " (median per " + Seconds(dfBinMs) + ")";
        if (!bBinned) {
            for (const KxwPlayTimeSample* ptSample : rtEntry.second)
                tSeries._tPoints.emplace_back(ptSample->_dfStartMs / 1000, ptSample->_dfDurationMs);
        } else {
            // The samples come by start time: each interval's times are consecutive.
            std::vector<double> tTimes;
            size_t nAt = 0;
            while (nAt < rtEntry.second.size()) {
                size_t nBin = static_cast<size_t>(rtEntry.second[nAt]->_dfStartMs / dfBinMs);
                tTimes.clear();
                while (nAt < rtEntry.second.size() &&
                       static_cast<size_t>(rtEntry.second[nAt]->_dfStartMs / dfBinMs) == nBin)
                    tTimes.push_back(rtEntry.second[nAt++]->_dfDurationMs);
                std::sort(tTimes.begin(), tTimes.end());
                tSeries._tPoints.emplace_back((static_cast<double>(nBin) + 0.5) * dfBinMs / 1000,
                                              xfdfKxwPlayMedianMs(tTimes));
            }
        }
        tChart.AddSeries(std::move(tSeries));
    }
    return tChart;
}

KxwPlaySvgChart MakeActiveChart(const KxwPlayRunFigures& mrtFigures) {
    KxwPlaySvgChart tChart("Active virtual users", "run clock (s)", "virtual users running steps");
    std::vector<std::pair<double, int>> tEvents;
    for (const auto& rtEntry : mrtFigures.GetActiveSpans()) {
        tEvents.emplace_back(rtEntry.second._dfFromMs, 1);
        tEvents.emplace_back(rtEntry.second._dfToMs, -1);
    }
    // At the same instant the ends come before the starts: a user that ends as another starts is not two.
    std::sort(tEvents.begin(), tEvents.end());
    KxwPlaySvgSeries tSeries;
    tSeries._dsName = "active virtual users";
    tSeries._bSteps = true;
    tSeries._bMarkers = false;
    tSeries._tPoints.emplace_back(0, 0);
    // Many users: events closer than a thousandth of the run share one point, at the highest count among them.
    double dfSlotMs = tEvents.size() > 2000 ? mrtFigures.GetEndMs() / 1000 : 0;
    int iLevel = 0;
    for (size_t n = 0; n < tEvents.size();) {
        double dfAt = tEvents[n].first;
        int iHighest = iLevel;
        while (n < tEvents.size() && tEvents[n].first <= dfAt + dfSlotMs) {
            iLevel += tEvents[n++].second;
            iHighest = std::max(iHighest, iLevel);
        }
        tSeries._tPoints.emplace_back(dfAt / 1000, iHighest);
        if (iHighest != iLevel) tSeries._tPoints.emplace_back(dfAt / 1000 + dfSlotMs / 1000, iLevel);
    }
    tChart.AddSeries(std::move(tSeries));
    return tChart;
}

bool SameFile(const std::string& mdsA, const std::string& mdsB) {
    struct stat tA, tB;
    return stat(mdsA.c_str(), &tA) == 0 && stat(mdsB.c_str(), &tB) == 0 && tA.st_dev == tB.st_dev &&
           tA.st_ino == tB.st_ino;
}

}  // namespace

std::string KxwPlayReportHtml::Make(const KxwPlayRunFigures& mrtFigures, const KxwPlayReportInfo& mrtInfo,
                                    const std::string& mdsReportFolder) {
    std::string dsReportFolder = xfdsKxwPlayAbsolutePath(mdsReportFolder);
    std::string dsHtml =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>kxwplay report</title>"
        "<style>" +
        std::string(kszStyle) + "</style></head>\n<body>\n<h1>kxwplay report</h1>\n";
    std::string dsSources;
    for (const std::string& rdsSource : mrtInfo._tSources)
        dsSources += (dsSources.empty() ? "" : ", ") + xfdsKxwPlayEscapeMarkup(rdsSource);
    dsHtml += "<p id=\"overview\">" + (dsSources.empty() ? std::string() : "From " + dsSources + ": ") +
              std::to_string(mrtFigures.GetActiveSpans().size()) + " virtual users, up to " +
              std::to_string(mrtFigures.GetMaxIteration()) + " iterations each, " +
              std::to_string(mrtFigures.GetRuns()) + " step runs, " + std::to_string(mrtFigures.GetFailures()) +
              " failed; the last step ended at " + Seconds(mrtFigures.GetEndMs()) + " on the run clock.</p>\n";

    dsHtml +=
        "<h2>Steps</h2>\n<table id=\"summary\"><thead><tr><th>step</th><th>line</th><th>verb</th><th>runs</th>"
        "<th>failures</th><th>median</th><th>90%</th><th>95%</th><th>99%</th><th>max</th></tr></thead><tbody>\n";
    for (const KxwPlayStepFigures& rtStep : mrtFigures.GetSteps()) {
        dsHtml += std::string(rtStep._ullFailures ? "<tr class=\"fail\">" : "<tr>") +
                  Cell(std::to_string(rtStep._iStepNumber)) + Cell(std::to_string(rtStep._uLine)) +
                  Cell(rtStep._dsVerb, true) + Cell(std::to_string(rtStep._ullRuns)) +
                  Cell(std::to_string(rtStep._ullFailures)) + Cell(Ms(rtStep._dfMedianMs)) + Cell(Ms(rtStep._dfP90Ms)) +
                  Cell(Ms(rtStep._dfP95Ms)) + Cell(Ms(rtStep._dfP99Ms)) + Cell(Ms(rtStep._dfMaxMs)) + "</tr>\n";
    }
    dsHtml += "</tbody><tfoot><tr><td colspan=\"3\" class=\"text\">all steps</td>" +
              Cell(std::to_string(mrtFigures.GetRuns())) + Cell(std::to_string(mrtFigures.GetFailures())) +
              "<td colspan=\"5\"></td></tr></tfoot></table>\n";
    dsHtml +=
        "<p class=\"note\">Times are exact, from every step run: the p-th percentile is the time at rank "
        "ceil(p/100 &times; n) of the n times in ascending order (nearest rank); the median is the middle time, or "
        "the mean of the two middle ones.</p>\n";

    dsHtml += "<h2>Step time over the run</h2>\n" + MakeTimeChart(mrtFigures).ToSvg(900, 320) + "\n";
    dsHtml += "<h2>Active virtual users</h2>\n" + MakeActiveChart(mrtFigures).ToSvg(900, 260) + "\n";

    dsHtml += "<h2>Failures by reason</h2>\n";
    if (mrtFigures.GetReasons().empty()) {
        dsHtml += "<p id=\"no-failures\">No step failed.</p>\n";
    } else {
        dsHtml += "<table id=\"reasons\"><thead><tr><th>failures</th><th>reason</th></tr></thead><tbody>\n";
        for (const KxwPlayReasonCount& rtReason : mrtFigures.GetReasons())
            dsHtml += "<tr>" + Cell(std::to_string(rtReason._ullCount)) + Cell(rtReason._dsReason, true) + "</tr>\n";
        dsHtml += "</tbody></table>\n";
        const std::vector<KxwPlayStepResult>& rtFailures = mrtFigures.GetListedFailures();
        dsHtml += "<h2>Failures</h2>\n";
        if (rtFailures.size() < mrtFigures.GetFailures())
            dsHtml += "<p class=\"note\">The first " + std::to_string(rtFailures.size()) + " of " +
                      std::to_string(mrtFigures.GetFailures()) + " (results.csv has them all).</p>\n";
        dsHtml +=
            "<table id=\"failures\"><thead><tr><th>virtual user</th><th>iteration</th><th>step</th>"
            "<th>verb</th><th>start</th><th>reason</th><th>snapshot</th></tr></thead><tbody>\n";
        for (const KxwPlayStepResult& rtFailure : rtFailures) {
            std::string dsSnapshot = "<td></td>";
            if (!rtFailure._dsSnapshot.empty()) {
                std::string dsHref =
                    RelativeUrl(xfdsKxwPlayRelativePath(dsReportFolder, xfdsKxwPlayAbsolutePath(rtFailure._dsSnapshot)));
                dsSnapshot = "<td class=\"text\"><a href=\"" + xfdsKxwPlayEscapeMarkup(dsHref) + "\">snapshot</a></td>";
            }
            dsHtml += "<tr>" + Cell(std::to_string(rtFailure._iVUserId)) + Cell(std::to_string(rtFailure._iIteration)) +
                      Cell(std::to_string(rtFailure._iStepNumber)) + Cell(rtFailure._dsVerb, true) +
                      Cell(Seconds(rtFailure._dfStartMs)) + Cell(rtFailure._dsReason, true) + dsSnapshot + "</tr>\n";
        }
        dsHtml += "</tbody></table>\n";
    }
    dsHtml += "</body></html>\n";
    return dsHtml;
}

bool KxwPlayReportHtml::Write(const KxwPlayRunFigures& mrtFigures, const KxwPlayReportInfo& mrtInfo,
                              const std::string& mdsReportFolder, std::string* mpdsError) {
    std::string dsPath = mdsReportFolder + "/report.html";
    std::string dsHtml = Make(mrtFigures, mrtInfo, mdsReportFolder);
    FILE* ptFile = std::fopen(dsPath.c_str(), "w");
    if (!ptFile) {
        *mpdsError = "cannot write \"" + dsPath + "\": " + std::strerror(errno);
        return false;
    }
    bool bOK = std::fwrite(dsHtml.data(), 1, dsHtml.size(), ptFile) == dsHtml.size();
    bOK = std::fclose(ptFile) == 0 && bOK;
    if (!bOK) *mpdsError = "writing \"" + dsPath + "\" failed (is the disk full?)";
    return bOK;
}

bool KxwPlayReportHtml::WriteFromResults(const std::vector<std::string>& mtFolders, const std::string& mdsOutFolder,
                                         bool mbWriteResults, const KxwPlayReportInfo& mrtInfo,
                                         KxwPlayRunFigures* mptFigures, std::string* mpdsError) {
    std::string dsOutResults = mdsOutFolder + "/results.csv";
    for (size_t n = 0; n < mtFolders.size(); ++n) {
        std::string dsResults = mtFolders[n] + "/results.csv";
        // Writing the merge over one of its inputs would lose that input before it is read.
        if (mbWriteResults && SameFile(dsResults, dsOutResults)) {
            *mpdsError = "the merged report's folder \"" + mdsOutFolder + "\" is one of the folders merged (\"" +
                         mtFolders[n] + "\"): choose another";
            return false;
        }
        for (size_t nOther = 0; nOther < n; ++nOther)
            if (SameFile(dsResults, mtFolders[nOther] + "/results.csv")) {
                *mpdsError = "\"" + mtFolders[n] + "\" is given twice";
                return false;
            }
    }
    KxwPlayResultsFile tMerged;
    if (mbWriteResults && !tMerged.Open(mdsOutFolder, mpdsError)) return false;
    std::map<int, size_t> tFolderOfVUser;
    std::string dsClash;
    for (size_t n = 0; n < mtFolders.size(); ++n) {
        bool bRead = xfbKxwPlayReadResults(
            mtFolders[n] + "/results.csv",
            [&](KxwPlayStepResult&& mrtResult) {
                auto tFolder = tFolderOfVUser.emplace(mrtResult._iVUserId, n).first;
                if (tFolder->second != n && dsClash.empty())
                    dsClash = "virtual user " + std::to_string(mrtResult._iVUserId) + " is in \"" +
                              mtFolders[tFolder->second] + "\" and in \"" + mtFolders[n] +
                              "\" (the same shard twice, or shards of different runs?)";
                if (mbWriteResults) tMerged.Append(mrtResult);
                mptFigures->Add(std::move(mrtResult));
            },
            mpdsError);
        if (!bRead) return false;
        if (!dsClash.empty()) {
            *mpdsError = dsClash;
            return false;
        }
    }
    if (mbWriteResults && !tMerged.Close(mpdsError)) return false;
    mptFigures->Finish();
    return Write(*mptFigures, mrtInfo, mdsOutFolder, mpdsError);
}
