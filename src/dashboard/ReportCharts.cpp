#include "dashboard/ReportCharts.h"

#include "dashboard/HtmlEscape.h"
#include "data/Regional.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
constexpr int BarRow = 22;
constexpr int LabelWidth = 200;
constexpr int BarArea = 260;
constexpr int ChartWidth = 640;
constexpr int PlotLeft = 90;
constexpr int PlotRight = 620;
constexpr int PlotTop = 30;
constexpr int PlotBottom = 220;
constexpr int ChartHeight = 250;

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

/// The patterns every chart fills with: light grey, hatched, dotted; black and white prints
/// tell them apart.
const char* const Patterns =
    "<defs><pattern id='fillHatch' width='6' height='6' patternUnits='userSpaceOnUse' "
    "patternTransform='rotate(45)'><rect width='6' height='6' fill='#dde3ee'/><line x1='0' "
    "y1='0' x2='0' y2='6' stroke='#222222' stroke-width='2'/></pattern><pattern id='fillDots' "
    "width='5' height='5' patternUnits='userSpaceOnUse'><rect width='5' height='5' "
    "fill='#ffffff'/><circle cx='2.5' cy='2.5' r='1.2' fill='#222222'/></pattern></defs>";
const char* const ColumnFills[] = {"#9aa5b8", "url(#fillHatch)", "url(#fillDots)"};
const char* const LineDashes[] = {"", "6,3", "2,2", "8,3,2,3", "12,4", "1,3"};

std::string Svg(int height, const std::string& content)
{
    std::string w = std::to_string(ChartWidth);
    std::string h = std::to_string(height);
    return "<svg xmlns='http://www.w3.org/2000/svg' width='100%' viewBox='0 0 " + w + " " + h +
           "' preserveAspectRatio='xMinYMin meet' role='img' style='max-width:" + w + "px'>" +
           Patterns + content + "</svg>";
}

std::string Text(double x, double y, const std::string& text, const char* anchor = "start")
{
    return "<text x='" + Number(x) + "' y='" + Number(y) + "' font-size='11' text-anchor='" +
           anchor + "'>" + HtmlEscape(text) + "</text>";
}

std::string Share(Currency part, Currency total)
{
    if (total.Units() <= 0)
        return "";
    long long tenths =
        (static_cast<long long>(part.Units()) * 2000 / total.Units() + 1) / 2; // rounded
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}
} // namespace

std::string HorizontalBarChart(const std::vector<ChartBar>& bars)
{
    Currency total;
    Currency largest;
    for (const ChartBar& bar : bars)
    {
        total = total + bar.amount;
        largest = std::max(largest, bar.amount);
    }
    std::string content;
    for (std::size_t i = 0; i < bars.size(); ++i)
    {
        const ChartBar& bar = bars[i];
        double top = 4 + static_cast<double>(i) * BarRow;
        double length =
            largest.Units() > 0 ? BarArea * bar.amount.ToDouble() / largest.ToDouble() : 0;
        std::string row =
            Text(0, top + 13, bar.label) + "<rect x='" + std::to_string(LabelWidth) + "' y='" +
            Number(top + 2) + "' width='" + Number(std::max(length, 1.0)) +
            "' height='14' fill='url(#fillHatch)' stroke='#000000' stroke-width='0.5'/>" +
            Text(LabelWidth + BarArea + 8, top + 13,
                 FormatCurrency(bar.amount) + "  " + Share(bar.amount, total));
        content += bar.link.empty() ? "<g>" + row + "</g>"
                                    : "<a href='" + HtmlEscape(bar.link) + "'>" + row + "</a>";
    }
    return Svg(static_cast<int>(bars.size()) * BarRow + 8, content);
}

namespace
{
/// The scale of a column chart: from the smallest value (or 0) up to the largest (or 0).
struct Scale
{
    double low = 0;
    double high = 0;
    double Y(double value) const
    {
        double span = high - low > 0 ? high - low : 1;
        return PlotBottom - (value - low) / span * (PlotBottom - PlotTop);
    }
};

Scale ScaleOf(const std::vector<ChartColumn>& columns)
{
    Scale scale;
    for (const ChartColumn& column : columns)
        for (Currency value : column.values)
        {
            scale.low = std::min(scale.low, value.ToDouble());
            scale.high = std::max(scale.high, value.ToDouble());
        }
    return scale;
}

std::string Legend(const std::vector<ChartSeries>& series)
{
    std::string legend;
    double x = PlotLeft;
    int columnIndex = 0;
    int lineIndex = 0;
    for (const ChartSeries& one : series)
    {
        if (one.line)
            legend += "<line x1='" + Number(x) + "' y1='10' x2='" + Number(x + 18) +
                      "' y2='10' stroke='#000000' stroke-width='2' stroke-dasharray='" +
                      LineDashes[lineIndex++ % 6] + "'/>";
        else
            legend += "<rect x='" + Number(x) + "' y='4' width='14' height='12' fill='" +
                      ColumnFills[columnIndex++ % 3] + "' stroke='#000000' stroke-width='0.5'/>";
        legend += Text(x + 22, 14, one.name);
        x += 34 + 7.0 * static_cast<double>(one.name.size());
    }
    return legend;
}

std::string Axes(const Scale& scale)
{
    std::string axes = "<line x1='" + std::to_string(PlotLeft) + "' y1='" + Number(scale.Y(0)) +
                       "' x2='" + std::to_string(PlotRight) + "' y2='" + Number(scale.Y(0)) +
                       "' stroke='#000000' stroke-width='1'/>";
    std::vector<double> marks{0.0};
    if (scale.low < 0)
        marks.push_back(scale.low);
    if (scale.high > 0)
        marks.push_back(scale.high);
    for (double value : marks)
        axes += Text(PlotLeft - 4, scale.Y(value) + 4, FormatCurrency(Currency::FromDouble(value)),
                     "end");
    return axes;
}
} // namespace

std::string ColumnLineChart(const std::vector<ChartSeries>& series,
                            const std::vector<ChartColumn>& columns)
{
    if (columns.empty())
        return "";
    Scale scale = ScaleOf(columns);
    double slot = static_cast<double>(PlotRight - PlotLeft) / static_cast<double>(columns.size());
    int columnSeries = 0;
    for (const ChartSeries& one : series)
        columnSeries += one.line ? 0 : 1;
    double width = columnSeries > 0 ? slot * 0.7 / columnSeries : 0;
    std::string content = Legend(series) + Axes(scale);
    std::size_t labelStep = columns.size() / 12 + 1;
    for (std::size_t c = 0; c < columns.size(); ++c)
    {
        double left = PlotLeft + slot * static_cast<double>(c) + slot * 0.15;
        int drawn = 0;
        for (std::size_t s = 0; s < series.size() && s < columns[c].values.size(); ++s)
        {
            if (series[s].line)
                continue;
            double value = columns[c].values[s].ToDouble();
            double top = std::min(scale.Y(value), scale.Y(0));
            double height = std::max(std::abs(scale.Y(value) - scale.Y(0)), 0.5);
            content += "<rect x='" + Number(left + width * drawn) + "' y='" + Number(top) +
                       "' width='" + Number(width) + "' height='" + Number(height) + "' fill='" +
                       ColumnFills[drawn % 3] + "' stroke='#000000' stroke-width='0.5'/>";
            ++drawn;
        }
        if (c % labelStep == 0)
            content += Text(PlotLeft + slot * (static_cast<double>(c) + 0.5), PlotBottom + 16,
                            columns[c].label, "middle");
    }
    int lineIndex = 0;
    for (std::size_t s = 0; s < series.size(); ++s)
    {
        if (!series[s].line)
            continue;
        std::string points;
        std::string marks;
        for (std::size_t c = 0; c < columns.size(); ++c)
        {
            if (s >= columns[c].values.size())
                continue;
            double x = PlotLeft + slot * (static_cast<double>(c) + 0.5);
            double y = scale.Y(columns[c].values[s].ToDouble());
            points += Number(x) + "," + Number(y) + " ";
            marks +=
                "<circle cx='" + Number(x) + "' cy='" + Number(y) + "' r='2.5' fill='#000000'/>";
        }
        content += "<polyline points='" + points +
                   "' fill='none' stroke='#000000' "
                   "stroke-width='1.5' stroke-dasharray='" +
                   LineDashes[lineIndex++ % 6] + "'/>";
        content += marks;
    }
    return Svg(ChartHeight, content);
}
