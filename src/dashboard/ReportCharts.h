#pragma once

#include "data/Currency.h"

#include <string>
#include <vector>

/// One horizontal bar: its label, its amount (positive) and where clicking it leads ("" for
/// nowhere).
struct ChartBar
{
    std::string label;
    Currency amount;
    std::string link;
};

/// Horizontal bars, longest for the largest amount, each with its label, its amount (in the
/// locale's money) and its share of the total. Inline SVG that fills the pane's width; the
/// bars are hatched, so they print in black and white.
std::string HorizontalBarChart(const std::vector<ChartBar>& bars);

/// One group of columns along the bottom axis: its label and its values (positive or
/// negative), in the order of the series.
struct ChartColumn
{
    std::string label;
    std::vector<Currency> values;
};

/// A series: its name for the legend, and whether it is drawn as a line over the columns.
struct ChartSeries
{
    std::string name;
    bool line = false;
};

/// Columns for the series that are not lines, side by side per group, and a line through
/// the values of each line series, on one scale with a zero axis; a legend names each series
/// by its pattern or dash. Inline SVG that fills the pane's width.
std::string ColumnLineChart(const std::vector<ChartSeries>& series,
                            const std::vector<ChartColumn>& columns);
