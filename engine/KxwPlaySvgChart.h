// A small line chart drawn as inline SVG markup: axes with round ticks and their labels, a title, one polyline per
// series (straight or as steps) with optional point markers, and a legend. The report embeds it as it is, so the
// page needs nothing from outside to show it.
#pragma once

#include <string>
#include <utility>
#include <vector>

// A text made safe for markup, in element content and in double-quoted attributes: & < > " become references.
std::string xfdsKxwPlayEscapeMarkup(const std::string& mdsText);

struct KxwPlaySvgSeries {
    std::string _dsName;
    std::vector<std::pair<double, double>> _tPoints;  // (x, y), x ascending
    bool _bSteps = false;                             // a step line: each value holds until the next point
    bool _bMarkers = true;                            // a dot at every point
};

class KxwPlaySvgChart {
public:
    static constexpr size_t knMaxSeriesColours = 8;

    KxwPlaySvgChart(std::string mdsTitle, std::string mdsXLabel, std::string mdsYLabel)
        : _dsTitle(std::move(mdsTitle)), _dsXLabel(std::move(mdsXLabel)), _dsYLabel(std::move(mdsYLabel)) {}

    void AddSeries(KxwPlaySvgSeries mtSeries) { _tSeries.push_back(std::move(mtSeries)); }
    // The chart as an <svg> element of that size in pixels; the y axis starts at 0, both axes end past the largest
    // value at a round tick.
    std::string ToSvg(int miWidth, int miHeight) const;

    // Round tick spacing (1, 2 or 5 times a power of ten) giving about miTicks ticks up to mdfMax (> 0).
    static double NiceTickStep(double mdfMax, int miTicks);

private:
    std::string _dsTitle;
    std::string _dsXLabel;
    std::string _dsYLabel;
    std::vector<KxwPlaySvgSeries> _tSeries;
};
