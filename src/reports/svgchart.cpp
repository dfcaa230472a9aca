#include "reports/svgchart.hpp"

#include <bit>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "frontend/sink.hpp"
#include "reports/htmlpage.hpp"
#include "reports/pagestyle.hpp"

namespace marvolt::svg {

using namespace std::string_view_literals;

namespace {

using html::appendDecimal;

// Appends ` class="a b"`: the classes given, then the car's class for a car.
void appendClasses(std::string& out, std::initializer_list<std::string_view> names, std::size_t car = kNoCar) {
  out += " class=\""sv;
  bool first = true;
  for (const std::string_view name : names) {
    if (!first) out += ' ';
    out += name;
    first = false;
  }
  if (car != kNoCar) {
    out += ' ';
    appendCarClass(out, car);
  }
  out += '"';
}

// Appends `<tag class="name"`, the tag left open for more attributes.
void openTag(std::string& out, std::string_view tag, std::string_view name) {
  out += '<';
  out += tag;
  appendClasses(out, {name});
}

void appendPoint(std::string& out, double x, double y) {
  appendDecimal(out, x);
  out += ' ';
  appendDecimal(out, y);
}

// The shape of a marker: its class (none for the dot), the offset of the
// path's start from the point, and the path from there.
struct Shape {
  std::string_view name;
  double dx, dy;
  std::string_view path;
};

Shape shapeOf(Marker marker) {
  switch (marker) {
    case Marker::Ring: return {style::kRing, -3, 0, "a3 3 0 1 0 6 0a3 3 0 1 0-6 0"};
    case Marker::Cross: return {style::kCross, -3, -3, "l6 6m0-6l-6 6"};
    case Marker::Square: return {style::kSquare, -2.5, -2.5, "h5v5h-5z"};
    case Marker::Dot: break;
  }
  return {{}, 0, 0, "h0"};
}

// Puts the opening tag of a point's marker (the element its title goes
// in): a triangle on the frame's edge for a point beyond it.
void putMarkerTag(TextRoom& room, const PlacedPoint& point, Marker marker, const Frame& frame) {
  Shape shape = shapeOf(marker);
  double y = point.y;
  if (point.edge == Edge::Top) {
    shape = {style::kAbove, 0, 0, "l3.5 6h-7z"};
    y = frame.top;
  } else if (point.edge == Edge::Bottom) {
    shape = {style::kBelow, 0, 0, "l3.5-6h-7z"};
    y = frame.bottom;
  }
  room.put("<path"sv);
  if (!shape.name.empty()) {
    room.put(" class=\""sv);
    room.put(shape.name);
    room.put('"');
  }
  room.put(" d=\"M"sv);
  char* at = html::writeDecimal(room.reserve(2 * html::kDecimalChars + 1), point.x + shape.dx);
  *at++ = ' ';
  room.commit(html::writeDecimal(at, y + shape.dy));
  room.put(shape.path);
  room.put("\">"sv);
}

void appendTitleAndClose(std::string& out, std::string_view title) {
  out += "<title>"sv;
  html::appendText(out, title);
  out += "</title></path>"sv;
}

// Appends the scrolling box and the svg element's start, with its title.
void appendStart(std::string& out, const LineChart& chart, const ChartLayout& layout) {
  // The chart keeps a size at which its text reads, and scrolls in its box
  // where the page is narrower.
  openTag(out, "div", style::kChartBox);
  out += " tabindex=\"0\">"sv;
  out += "<svg class=\""sv;
  out += style::kChart;
  if (layout.dense) {
    out += ' ';
    out += style::kDense;
  }
  out += "\" id=\""sv;
  html::appendText(out, chart.id);
  out += "\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 "sv;
  appendPoint(out, layout.width, layout.height);
  out += "\" role=\"group\" aria-label=\""sv;
  html::appendText(out, chart.title);
  out += "\"><title>"sv;
  html::appendText(out, chart.title);
  out += "</title>\n"sv;
}

void appendLegend(std::string& out, const LineChart& chart, const ChartLayout& layout) {
  if (chart.legend.empty()) return;
  openTag(out, "g", style::kLegend);
  out += " stroke=\"#4b5563\" fill=\"#4b5563\">"sv;
  for (std::size_t i = 0; i < chart.legend.size(); ++i) {
    const LegendPlace& place = layout.legend[i];
    openTag(out, "g", style::kPoints);
    out += '>';
    {
      TextRoom room(out);
      putMarkerTag(room, {place.marker.x, place.marker.y, Edge::None}, chart.legend[i].marker, layout.frame);
    }
    appendTitleAndClose(out, chart.legend[i].text);
    out += "</g><text stroke=\"none\" x=\""sv;
    appendDecimal(out, place.textX);
    out += "\" y=\""sv;
    appendDecimal(out, place.marker.y);
    out += "\" dy=\".35em\">"sv;
    html::appendText(out, chart.legend[i].text);
    out += "</text>"sv;
  }
  out += "</g>\n"sv;
}

// Appends the grid lines at the ticks, and the plot's frame.
void appendGrid(std::string& out, const ChartLayout& layout) {
  const Frame& frame = layout.frame;
  openTag(out, "path", style::kGrid);
  out += " d=\""sv;
  for (const Tick& tick : layout.y.ticks) {
    out += 'M';
    appendPoint(out, frame.left, tick.at);
    out += 'H';
    appendDecimal(out, frame.right);
  }
  for (const Tick& tick : layout.x.ticks) {
    out += 'M';
    appendPoint(out, tick.at, frame.top);
    out += 'V';
    appendDecimal(out, frame.bottom);
  }
  out += "\"/>"sv;
  openTag(out, "rect", style::kFrame);
  out += " x=\""sv;
  appendDecimal(out, frame.left);
  out += "\" y=\""sv;
  appendDecimal(out, frame.top);
  out += "\" width=\""sv;
  appendDecimal(out, frame.right - frame.left);
  out += "\" height=\""sv;
  appendDecimal(out, frame.bottom - frame.top);
  out += "\"/>\n"sv;
}

// Appends the text of an axis' title, centred on `centre`, turned a
// quarter to read upwards where `upright`.
void appendAxisTitle(std::string& out, const std::string& title, const Position& centre, bool upright) {
  openTag(out, "text", style::kAxisTitle);
  out += " text-anchor=\"middle\""sv;
  if (upright) out += " transform=\"rotate(-90)\""sv;
  out += " x=\""sv;
  appendDecimal(out, upright ? -centre.y : centre.x);
  out += "\" y=\""sv;
  appendDecimal(out, upright ? centre.x : centre.y);
  out += "\">"sv;
  html::appendText(out, title);
  out += "</text>"sv;
}

// Appends the tick texts and the titles of both axes.
void appendAxes(std::string& out, const LineChart& chart, const ChartLayout& layout) {
  openTag(out, "g", style::kTick);
  out += " text-anchor=\"end\">"sv;
  for (const Tick& tick : layout.y.ticks) {
    out += "<text x=\""sv;
    appendDecimal(out, layout.y.textsAt);
    out += "\" y=\""sv;
    appendDecimal(out, tick.at);
    out += "\" dy=\".35em\">"sv;
    out += tick.text;
    out += "</text>"sv;
  }
  out += "</g>"sv;
  openTag(out, "g", style::kTick);
  out += " text-anchor=\"middle\">"sv;
  for (const Tick& tick : layout.x.ticks) {
    out += "<text x=\""sv;
    appendDecimal(out, tick.at);
    out += "\" y=\""sv;
    appendDecimal(out, layout.x.textsAt);
    out += "\">"sv;
    out += tick.text;
    out += "</text>"sv;
  }
  out += "</g>\n"sv;
  appendAxisTitle(out, chart.x.title, layout.x.title, false);
  appendAxisTitle(out, chart.y.title, layout.y.title, true);
  out += '\n';
}

// Room reused from one series to the next: the coordinates of each point as
// text, written once for the line and the markers both: "x,y" apart by
// spaces, as the line's points are, and where each ends.
class Coordinates {
 public:
  /// The longest coordinates of a point.
  static constexpr std::size_t kMost = 2 * html::kDecimalChars + 1;

  /// Writes the coordinates of `points`.
  void write(const std::vector<PlacedPoint>& points) {
    // Room past the end, so that copy() may always take kMost bytes.
    const std::size_t most = points.size() * (kMost + 1) + kMost;
    if (text_.size() < most) text_.resize(most);
    if (xs_.size() < points.size()) xs_.resize(points.size());
    ends_.clear();
    char* const start = text_.data();
    char* at = start;
    for (std::size_t i = 0; i < points.size(); ++i) {
      if (at != start) *at++ = ' ';
      at = writeX(at, xs_[i], points[i].x);
      *at++ = ',';
      at = html::writeDecimal(at, points[i].y);
      ends_.push_back(static_cast<std::size_t>(at - start));
    }
  }
  /// Copies the coordinates of point `i` to `at`, which has room for kMost
  /// bytes, and returns their end.
  char* copy(char* at, std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1] + 1;
    std::memcpy(at, text_.data() + begin, kMost);   // one fixed-size copy: faster than the exact one
    return at + (ends_[i] - begin);
  }
  /// The coordinates of every point, as a line's points.
  std::string_view all() const { return {text_.data(), ends_.empty() ? 0 : ends_.back()}; }

 private:
  // The text of the x of the points at one index, kept from the series
  // before: the series of a chart mostly share their x values point by point.
  struct XText {
    std::uint64_t bits = 0;   // of the x written
    std::size_t size = 0;     // 0 before any
    char text[html::kDecimalChars];
  };

  // Writes `x` at `at` (room for kDecimalChars), from `known` where it holds it.
  static char* writeX(char* at, XText& known, double x) {
    const auto bits = std::bit_cast<std::uint64_t>(x);
    if (known.size == 0 || known.bits != bits) {
      known.bits = bits;
      known.size = static_cast<std::size_t>(html::writeDecimal(known.text, x) - known.text);
    }
    std::memcpy(at, known.text, html::kDecimalChars);
    return at + known.size;
  }

  std::vector<char> text_;
  std::vector<std::size_t> ends_;
  std::vector<XText> xs_;
};

// Appends the start of a series' group, with its colour.
void appendSeriesStart(std::string& out, const Series& series) {
  out += "<g"sv;
  appendClasses(out, {style::kSeries, style::kCarPart}, series.car);
  out += " stroke=\""sv;
  html::appendText(out, series.colour);
  out += "\" fill=\""sv;
  html::appendText(out, series.colour);
  out += "\">"sv;
}

// Appends a series: its line, then its markers with titles, put together
// in a room: a chart holds most of a page's bytes.
void appendSeries(std::string& out, const LineChart& chart, const PlacedSeries& line, const Frame& frame,
                  Coordinates& coordinates) {
  const Series& series = chart.series[line.series];
  coordinates.write(line.points);
  appendSeriesStart(out, series);
  if (line.points.size() > 1) {
    openTag(out, "polyline", style::kLine);
    if (series.car != kNoCar && !dashPattern(series.car).empty()) {
      out += " stroke-dasharray=\""sv;
      out += dashPattern(series.car);
      out += '"';
    }
    out += " points=\""sv;
    out += coordinates.all();
    out += "\"/>"sv;
  }
  openTag(out, "g", style::kPoints);
  out += '>';
  TextRoom room(out);
  for (std::size_t i = 0; i < line.points.size(); ++i) {
    if (line.points[i].edge == Edge::None && series.points[i].marker == Marker::Dot) {
      char* at = putText(room.reserve(32 + Coordinates::kMost), "<path d=\"M"sv);
      room.commit(putText(coordinates.copy(at, i), "h0\"><title>"sv));
    } else {
      putMarkerTag(room, line.points[i], series.points[i].marker, frame);
      room.put("<title>"sv);
    }
    if (chart.pointTitle) chart.pointTitle(room, line.series, i);
    room.put("</title></path>"sv);
  }
  room.put("</g></g>\n"sv);
}

// Appends a label with its backdrop and leader, where it has them, as one
// group that hovering (or focusing, at a line's end) brings forward with
// the car's line.
void appendLabel(std::string& out, const PlacedLabel& label, const Series& series) {
  out += "<g"sv;
  appendClasses(out, {style::kCarPart}, series.car);
  out += label.atStart ? ">"sv : " tabindex=\"0\">"sv;
  if (label.backdrop) {
    openTag(out, "rect", style::kBackdrop);
    out += " x=\""sv;
    appendDecimal(out, label.backdrop->x);
    out += "\" y=\""sv;
    appendDecimal(out, label.backdrop->y);
    out += "\" width=\""sv;
    appendDecimal(out, label.backdrop->width);
    out += "\" height=\""sv;
    appendDecimal(out, label.backdrop->height);
    out += "\"/>"sv;
  }
  if (label.leader) {
    openTag(out, "path", style::kLeader);
    out += " stroke=\""sv;
    html::appendText(out, series.colour);
    out += "\" d=\"M"sv;
    appendPoint(out, label.leader->from.x, label.leader->from.y);
    out += 'L';
    appendPoint(out, label.leader->to.x, label.leader->to.y);
    out += "\"/>"sv;
  }
  openTag(out, "text", style::kLabel);
  out += " fill=\""sv;
  if (series.car != kNoCar) {
    out += paletteTextColour(series.car);
  } else {
    html::appendText(out, series.colour);
  }
  out += label.atStart ? "\" text-anchor=\"end\" x=\"" : "\" x=\"";
  appendDecimal(out, label.atStart ? label.x1 : label.x0);
  out += "\" y=\""sv;
  appendDecimal(out, label.y);
  out += "\" dy=\".35em\">"sv;
  html::appendTextCut(out, series.label, label.units);
  out += "</text></g>"sv;
}

}  // namespace

TitleWriter titleAppender(TitleAppender append) {
  return [append = std::move(append), title = std::string()](TextRoom& room, std::size_t series,
                                                             std::size_t point) mutable {
    title.clear();
    append(title, series, point);
    room.put(title);
  };
}

void appendLineChart(std::string& out, const LineChart& chart, const Checkpoint& checkpoint) {
  appendLineChart(out, chart, layOut(chart), checkpoint);
}

void appendLineChart(std::string& out, const LineChart& chart, const ChartLayout& layout,
                     const Checkpoint& checkpoint) {
  appendStart(out, chart, layout);
  appendLegend(out, chart, layout);
  appendGrid(out, layout);
  appendAxes(out, chart, layout);
  // The lines, then their labels above every line.
  Coordinates coordinates;
  for (const PlacedSeries& line : layout.lines) {
    appendSeries(out, chart, line, layout.frame, coordinates);
    if (checkpoint) checkpoint();
  }
  openTag(out, "g", style::kLabels);
  out += '>';
  for (const PlacedLabel& label : layout.labels) appendLabel(out, label, chart.series[label.series]);
  out += "</g></svg></div>\n"sv;
}

}  // namespace marvolt::svg
