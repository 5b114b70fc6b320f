#include "KxwPlaySvgChart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "KxwUtilEscape.h"

namespace {

// Colours told apart also by people who do not see red and green well.
const char* const kapszColours[KxwPlaySvgChart::knMaxSeriesColours] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728",
                                                                       "#9467bd", "#8c564b", "#e377c2", "#7f7f7f"};

constexpr int kiLeft = 64;
constexpr int kiRight = 16;
constexpr int kiTop = 28;
constexpr int kiBottom = 58;

std::string Number(double mdfValue) {
    char acText[48];
    std::snprintf(acText, sizeof acText, "%.1f", mdfValue);
    return acText;
}

// A tick's label: no decimals unless the step needs them.
std::string TickLabel(double mdfValue, double mdfStep) {
    char acText[48];
    std::snprintf(acText, sizeof acText, mdfStep >= 1 ? "%.0f" : mdfStep >= 0.1 ? "%.1f" : "%.2f", mdfValue);
    return acText;
}

}  // namespace

std::string xfdsKxwPlayEscapeMarkup(const std::string& mdsText) {
    return xfdsKxwUtilHtmlEscaped(mdsText.data(), mdsText.size());
}

double KxwPlaySvgChart::NiceTickStep(double mdfMax, int miTicks) {
    if (!(mdfMax > 0) || !std::isfinite(mdfMax)) return 1;
    double dfRough = mdfMax / std::max(1, miTicks);
    double dfPower = std::pow(10.0, std::floor(std::log10(dfRough)));
    double dfFraction = dfRough / dfPower;
    double dfNice = dfFraction <= 1 ? 1 : dfFraction <= 2 ? 2 : dfFraction <= 5 ? 5 : 10;
    return dfNice * dfPower;
}

std::string KxwPlaySvgChart::ToSvg(int miWidth, int miHeight) const {
    double dfMaxX = 0, dfMaxY = 0;
    for (const KxwPlaySvgSeries& rtSeries : _tSeries)
        for (const auto& rtPoint : rtSeries._tPoints) {
            if (std::isfinite(rtPoint.first)) dfMaxX = std::max(dfMaxX, rtPoint.first);
            if (std::isfinite(rtPoint.second)) dfMaxY = std::max(dfMaxY, rtPoint.second);
        }
    double dfStepX = NiceTickStep(dfMaxX, 8), dfStepY = NiceTickStep(dfMaxY, 5);
    double dfTopX = std::max(dfStepX, std::ceil(dfMaxX / dfStepX) * dfStepX);
    double dfTopY = std::max(dfStepY, std::ceil(dfMaxY / dfStepY) * dfStepY);
    int iPlotW = std::max(10, miWidth - kiLeft - kiRight), iPlotH = std::max(10, miHeight - kiTop - kiBottom);
    auto X = [&](double mdfX) { return kiLeft + std::clamp(mdfX, 0.0, dfTopX) / dfTopX * iPlotW; };
    auto Y = [&](double mdfY) { return kiTop + iPlotH - std::clamp(mdfY, 0.0, dfTopY) / dfTopY * iPlotH; };

    std::string dsSvg = "<svg width=\"" + std::to_string(miWidth) + "\" height=\"" + std::to_string(miHeight) +
                        "\" viewBox=\"0 0 " + std::to_string(miWidth) + " " + std::to_string(miHeight) +
                        "\" role=\"img\" font-family=\"sans-serif\" font-size=\"11\">";
    dsSvg += "<title>" + xfdsKxwPlayEscapeMarkup(_dsTitle) + "</title>";
    dsSvg += "<text x=\"" + std::to_string(kiLeft) + "\" y=\"16\" font-size=\"13\" font-weight=\"bold\">" +
             xfdsKxwPlayEscapeMarkup(_dsTitle) + "</text>";
    // Grid lines and tick labels.
    for (int n = 0; n * dfStepY <= dfTopY * (1 + 1e-9); ++n) {
        double dfValue = n * dfStepY;
        std::string dsY = Number(Y(dfValue));
        dsSvg += "<line x1=\"" + std::to_string(kiLeft) + "\" y1=\"" + dsY + "\" x2=\"" +
                 std::to_string(kiLeft + iPlotW) + "\" y2=\"" + dsY + "\" stroke=\"#ddd\"/>";
        dsSvg += "<text x=\"" + std::to_string(kiLeft - 6) + "\" y=\"" + dsY +
                 "\" text-anchor=\"end\" dominant-baseline=\"middle\">" + TickLabel(dfValue, dfStepY) + "</text>";
    }
    for (int n = 0; n * dfStepX <= dfTopX * (1 + 1e-9); ++n) {
        double dfValue = n * dfStepX;
        std::string dsX = Number(X(dfValue));
        dsSvg += "<line x1=\"" + dsX + "\" y1=\"" + std::to_string(kiTop + iPlotH) + "\" x2=\"" + dsX + "\" y2=\"" +
                 std::to_string(kiTop + iPlotH + 4) + "\" stroke=\"#333\"/>";
        dsSvg += "<text x=\"" + dsX + "\" y=\"" + std::to_string(kiTop + iPlotH + 16) + "\" text-anchor=\"middle\">" +
                 TickLabel(dfValue, dfStepX) + "</text>";
    }
    // The axes, over the grid.
    dsSvg += "<path d=\"M" + std::to_string(kiLeft) + " " + std::to_string(kiTop) + "V" +
             std::to_string(kiTop + iPlotH) + "H" + std::to_string(kiLeft + iPlotW) +
             "\" fill=\"none\" stroke=\"#333\"/>";
    dsSvg += "<text x=\"" + std::to_string(kiLeft + iPlotW / 2) + "\" y=\"" + std::to_string(kiTop + iPlotH + 32) +
             "\" text-anchor=\"middle\">" + xfdsKxwPlayEscapeMarkup(_dsXLabel) + "</text>";
    dsSvg += "<text transform=\"translate(14 " + std::to_string(kiTop + iPlotH / 2) +
             ") rotate(-90)\" text-anchor=\"middle\">" + xfdsKxwPlayEscapeMarkup(_dsYLabel) + "</text>";

    int iLegendX = kiLeft;
    for (size_t nSeries = 0; nSeries < _tSeries.size(); ++nSeries) {
        const KxwPlaySvgSeries& rtSeries = _tSeries[nSeries];
        const char* pszColour = kapszColours[nSeries % knMaxSeriesColours];
        std::string dsPath;
        for (size_t n = 0; n < rtSeries._tPoints.size(); ++n) {
            std::string dsX = Number(X(rtSeries._tPoints[n].first)), dsY = Number(Y(rtSeries._tPoints[n].second));
            if (n == 0)
                dsPath += "M" + dsX + " " + dsY;
            else if (rtSeries._bSteps)
                dsPath += "H" + dsX + "V" + dsY;
            else
                dsPath += "L" + dsX + " " + dsY;
        }
        if (!dsPath.empty())
            dsSvg += "<path d=\"" + dsPath + "\" fill=\"none\" stroke=\"" + pszColour + "\" stroke-width=\"1.5\"/>";
        if (rtSeries._bMarkers) {
            dsSvg += "<g fill=\"" + std::string(pszColour) + "\">";
            for (const auto& rtPoint : rtSeries._tPoints)
                dsSvg += "<circle cx=\"" + Number(X(rtPoint.first)) + "\" cy=\"" + Number(Y(rtPoint.second)) +
                         "\" r=\"2.5\"/>";
            dsSvg += "</g>";
        }
        // The legend runs along the bottom.
        int iLegendY = kiTop + iPlotH + 48;
        dsSvg += "<rect x=\"" + std::to_string(iLegendX) + "\" y=\"" + std::to_string(iLegendY - 8) +
                 "\" width=\"10\" height=\"10\" fill=\"" + pszColour + "\"/>";
        dsSvg += "<text x=\"" + std::to_string(iLegendX + 14) + "\" y=\"" + std::to_string(iLegendY) + "\">" +
                 xfdsKxwPlayEscapeMarkup(rtSeries._dsName) + "</text>";
        iLegendX += 24 + 7 * static_cast<int>(std::min<size_t>(rtSeries._dsName.size(), 40));
    }
    dsSvg += "</svg>";
    return dsSvg;
}
