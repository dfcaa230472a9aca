// Line charts as geometry: what a chart shows (one line per series over an
// x axis of integer steps, a y axis that runs upwards, for times and points,
// or downwards, for positions), and where everything of it goes, in the
// drawing's own units: the plot's frame, nice ticks with their texts, every
// point scaled into the plot (one beyond the y range on its edge), and
// labels at the ends of the lines that never overlap: labels beside the plot
// are spread apart, a label of a line that ends inside the plot moves into
// free space, with a leader line, rather than over other lines. Plain
// values, written as markup by reports/svgchart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "reports/palette.hpp"

namespace marvolt {
class TextRoom;
}

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

/// One line: a label, a colour and its points in drawing order.
struct Series {
  std::u16string label;   ///< at the line's end (and start, when the chart asks); cut only where there is no room
  std::string colour;     ///< a CSS colour
  std::vector<Point> points;
  /// The car's place in the palette: the line's dash pattern, the label's
  /// colour and the car's class (appendCarClass); kNoCar: solid, labelled in `colour`.
  std::size_t car = kNoCar;
};

/// Puts the hover title of point `point` of series `series` into `room` as
/// escaped text (html::appendText for anything not written by the program).
/// Titles are made while the chart is written, so that none is kept.
using TitleWriter = std::function<void(TextRoom& room, std::size_t series, std::size_t point)>;

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

/// The smallest nice tick step (1, 2 or 5 times a power of ten; for
/// durations also 15 s, 30 s and whole minutes) that divides `span` into at
/// most `maxTicks` steps; whole numbers for the Integer format.
double niceStep(double span, double maxTicks, TickFormat format);

/// The edge of the plot a point beyond the y range is drawn on.
enum class Edge : std::uint8_t { None, Top, Bottom };

/// A place in the drawing.
struct Position {
  double x = 0, y = 0;
};

/// A point of a line where it is drawn.
struct PlacedPoint {
  double x = 0, y = 0;
  Edge edge = Edge::None;   ///< beyond the y range: y is this edge of the plot
};

/// The plot's box in drawing units and the mapping of values into it.
struct Frame {
  double left = 0, right = 0, top = 0, bottom = 0;
  double xMin = 0, xMax = 1, yMin = 0, yMax = 1;
  bool downward = false;

  /// The x of a value.
  double px(double x) const;
  /// Where a point is drawn: a y beyond the range (or none, NaN) on the edge it passed.
  PlacedPoint place(double x, double y) const;
  /// Where a point is drawn whose x in the drawing is `x`, as place() has it.
  PlacedPoint placeAt(double x, double y) const;
};

/// A tick of an axis: where its grid line runs (an x or a y) and its text.
struct Tick {
  double at = 0;
  std::string text;
};

/// One axis as drawn: its ticks, where their texts stand across the axis
/// (the x of the y axis' texts, the y of the x axis'), and the centre of its title.
struct AxisLayout {
  std::vector<Tick> ticks;
  double textsAt = 0;
  Position title;
};

/// A line from one place to another.
struct Segment {
  Position from, to;
};

/// A box: its top left corner and its size.
struct Box {
  double x = 0, y = 0, width = 0, height = 0;
};

/// A line label where it is placed.
struct PlacedLabel {
  std::size_t series = 0;          ///< the series of LineChart::series it labels
  bool atStart = false;            ///< at the line's first point, left of the plot; else at its end
  Position anchor;                 ///< the line's end (or start)
  double x0 = 0, x1 = 0;           ///< its horizontal extent
  double y = 0;                    ///< its centre
  std::size_t units = 0;           ///< of the label's UTF-16 units that are written (cut where more)
  std::optional<Box> backdrop;     ///< a label over the plot: the box behind its words
  std::optional<Segment> leader;   ///< a label moved away from its line's end: the line to it
};

/// One legend entry as drawn: the centre of its marker and the start of its text.
struct LegendPlace {
  Position marker;
  double textX = 0;
};

/// The lines of one series as drawn: series without points are not drawn.
struct PlacedSeries {
  std::size_t series = 0;          ///< in LineChart::series
  std::vector<PlacedPoint> points;
};

/// Everything of a chart placed, in the drawing's units.
struct ChartLayout {
  double width = 0, height = 0;
  Frame frame;
  bool dense = false;                  ///< many lines: drawn finer
  AxisLayout x, y;
  std::vector<LegendPlace> legend;     ///< one per LineChart::legend entry
  std::vector<PlacedSeries> lines;     ///< in drawing order
  std::vector<PlacedLabel> labels;     ///< in drawing order: beside the plot, then over it
};

/// Lays a chart out.
ChartLayout layOut(const LineChart& chart);

}  // namespace marvolt::svg
