// The style sheet of every page, and the classes it shares with the markup
// of charts and tables: each class a chart's parts carry is named here once,
// for the writer that puts it on an element and the rule that styles it.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace marvolt::style {

/// The box a chart scrolls in where the page is narrower than the chart.
inline constexpr std::string_view kChartBox = "cbox";
/// The chart's svg element.
inline constexpr std::string_view kChart = "chart";
/// A chart of many lines, drawn finer.
inline constexpr std::string_view kDense = "dense";
/// The grid lines at the ticks, and the plot's frame.
inline constexpr std::string_view kGrid = "grid";
inline constexpr std::string_view kFrame = "frame";
/// The tick texts, and the titles of the axes.
inline constexpr std::string_view kTick = "tick";
inline constexpr std::string_view kAxisTitle = "axt";
/// One series (its line and its markers), and the line itself.
inline constexpr std::string_view kSeries = "s";
inline constexpr std::string_view kLine = "ln";
/// The markers of a series' points, and of the legend.
inline constexpr std::string_view kPoints = "pt";
/// The marker shapes other than the dot.
inline constexpr std::string_view kRing = "r";
inline constexpr std::string_view kCross = "x";
inline constexpr std::string_view kSquare = "q";
/// A point beyond the top, or the bottom, of the scale.
inline constexpr std::string_view kAbove = "u";
inline constexpr std::string_view kBelow = "d";
/// Everything of a car in a chart, which fades while another car is hovered.
inline constexpr std::string_view kCarPart = "c";
/// The labels of the lines; one label, its backdrop and its leader line.
inline constexpr std::string_view kLabels = "lbs";
inline constexpr std::string_view kLabel = "lb";
inline constexpr std::string_view kBackdrop = "lbg";
inline constexpr std::string_view kLeader = "lead";
/// The legend of the markers.
inline constexpr std::string_view kLegend = "lg";
/// An element inside which hovering a car brings it forward everywhere.
inline constexpr std::string_view kCars = "cars";
/// The start of the class of one car, followed by its palette place.
inline constexpr std::string_view kCarPrefix = "k";

/// Appends the style sheet (without the style element): tables, swatches,
/// charts and lap grids; the rules of a site's pages where `site`; and the
/// hover rules of the car classes `cars`.
void appendStyleSheet(std::string& out, std::span<const std::size_t> cars, bool site);

}  // namespace marvolt::style
