// Line charts drawn as inline SVG: one line per series over an x axis of
// integer steps (laps, rounds), a y axis that runs upwards (times, points)
// or downwards (positions, the lowest value at the top), nice ticks, a point
// marker with a hover title at every point, and labels at the ends of the
// lines that never overlap: labels beside the plot are spread apart, a label
// of a line that ends inside the plot moves into free space, with a leader
// line, rather than over other lines. The style classes the chart uses are
// in the page's style sheet (reports/htmlpage), with the classes of each
// car that link its lines, labels and table rows for hovering.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace marvolt::svg {

/// The marker drawn at a point. A point beyond the y range is drawn at the
/// edge of the plot as a triangle pointing the way off the scale.
enum class Marker : std::uint8_t { Dot, Ring, Cross, Square };

/// How tick values are written.
enum class TickFormat : std::uint8_t {
  Integer,    ///< whole numbers
  Duration,   ///< seconds as 59.5, 1:30 or 1:00:00
};

/// One axis: its title, the range drawn and how its ticks read.
struct Axis {
  std::string title;               ///< UTF-8, escaped when written
  double min = 0;                  ///< the value at the start of the axis
  double max = 1;                  ///< the value at its end; at most min gives min + 1
  bool downward = false;           ///< y only: min at the top (positions) instead of the bottom
  TickFormat format = TickFormat::Integer;
};

/// One point of a line.
struct Point {
  double x;
  double y;
  Marker marker = Marker::Dot;
};

/// The car of a series that belongs to none.
inline constexpr std::size_t kNoCar = static_cast<std::size_t>(-1);

/// One line: a label, a colour and its points in drawing order.
struct Series {
  std::u16string label;   ///< at the line's end (and start, when the chart asks); cut only where there is no room
  std::string colour;     ///< a CSS colour
  std::vector<Point> points;
  /// The car's place in the palette: the line's dash pattern, the label's
  /// colour and the car's class (carClass); kNoCar: solid, labelled in `colour`.
  std::size_t car = kNoCar;
};

/// Appends the hover title of point `point` of series `series` to `out` as
/// escaped text (html::appendText for anything not written by the program).
/// Titles are made while the chart is written, so that none is kept.
using TitleWriter = std::function<void(std::string& out, std::size_t series, std::size_t point)>;

/// One legend entry: a marker and what it means.
struct LegendItem {
  Marker marker;
  std::string text;   ///< UTF-8
};

/// A whole chart.
struct LineChart {
  std::string id;                   ///< the svg element's id
  std::string title;                ///< accessible name, UTF-8
  Axis x;                           ///< integer steps; min and max should be whole
  Axis y;
  std::vector<Series> series;
  TitleWriter pointTitle;           ///< the title of every point
  std::vector<LegendItem> legend;   ///< marker meanings shown above the plot
  bool startLabels = false;         ///< label each line at its first point as well
  double plotHeight = 0;            ///< 0: chosen from the y axis and the number of labels
};

/// The most lines a chart is drawn with: spreading the end labels of more
/// would take time out of proportion, and the chart could not be read.
inline constexpr std::size_t kMostLines = 64;

/// Appends the chart as one `<svg>` element.
void appendLineChart(std::string& out, const LineChart& chart);

/// The smallest nice tick step (1, 2 or 5 times a power of ten; for
/// durations also 15 s, 30 s and whole minutes) that divides `span` into at
/// most `maxTicks` steps; whole numbers for the Integer format.
double niceStep(double span, double maxTicks, TickFormat format);

/// Colour `index` of a palette of 40 colours, at least 3:1 on the page's
/// background; the first 20 are at least 15 apart in CIEDE2000 from each
/// other. Indices beyond it wrap around.
std::string_view paletteColour(std::size_t index);
/// The text colour of palette colour `index`: the same hue, 4.5:1 on white.
std::string_view paletteTextColour(std::size_t index);
/// The dash pattern of car `index`'s lines (an SVG stroke-dasharray; empty
/// for solid): solid for the first 20, then a pattern for each further 20,
/// so that two lines of one hue always differ.
std::string_view dashPattern(std::size_t index);
/// Appends the class that marks everything of car `index` ("k" and the index).
void appendCarClass(std::string& out, std::size_t index);
/// The colour of lines and swatches that belong to no entry.
inline constexpr std::string_view kNeutralColour = "#7b818c";

}  // namespace marvolt::svg
