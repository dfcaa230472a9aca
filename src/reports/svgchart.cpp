#include "reports/svgchart.hpp"

#include <initializer_list>
#include <string_view>
#include <vector>

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

// Appends the opening tag of a point's marker (the element its title goes
// in): a triangle on the frame's edge for a point beyond it.
void appendMarkerTag(std::string& out, const PlacedPoint& point, Marker marker, const Frame& frame) {
  Shape shape = shapeOf(marker);
  double y = point.y;
  if (point.edge == Edge::Top) {
    shape = {style::kAbove, 0, 0, "l3.5 6h-7z"};
    y = frame.top;
  } else if (point.edge == Edge::Bottom) {
    shape = {style::kBelow, 0, 0, "l3.5-6h-7z"};
    y = frame.bottom;
  }
  out += "<path"sv;
  if (!shape.name.empty()) appendClasses(out, {shape.name});
  out += " d=\"M"sv;
  appendPoint(out, point.x + shape.dx, y + shape.dy);
  out += shape.path;
  out += "\">"sv;
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
    appendMarkerTag(out, {place.marker.x, place.marker.y, Edge::None}, chart.legend[i].marker, layout.frame);
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
// text, written once for the line and the markers both, and where each ends.
struct Scratch {
  std::string coordinates;
  std::vector<std::size_t> ends;
};

// Appends a series: its line, then its markers with titles.
void appendSeries(std::string& out, const LineChart& chart, const PlacedSeries& line, const Frame& frame,
                  Scratch& scratch) {
  const Series& series = chart.series[line.series];
  scratch.coordinates.clear();
  scratch.ends.clear();
  for (const PlacedPoint& p : line.points) {
    appendDecimal(scratch.coordinates, p.x);
    scratch.coordinates += ',';
    appendDecimal(scratch.coordinates, p.y);
    scratch.ends.push_back(scratch.coordinates.size());
  }
  const auto text = [&scratch](std::size_t i) {
    const std::size_t begin = i == 0 ? 0 : scratch.ends[i - 1];
    return std::string_view(scratch.coordinates).substr(begin, scratch.ends[i] - begin);
  };
  out += "<g"sv;
  appendClasses(out, {style::kSeries, style::kCarPart}, series.car);
  out += " stroke=\""sv;
  html::appendText(out, series.colour);
  out += "\" fill=\""sv;
  html::appendText(out, series.colour);
  out += "\">"sv;
  if (line.points.size() > 1) {
    openTag(out, "polyline", style::kLine);
    if (series.car != kNoCar && !dashPattern(series.car).empty()) {
      out += " stroke-dasharray=\""sv;
      out += dashPattern(series.car);
      out += '"';
    }
    out += " points=\""sv;
    for (std::size_t i = 0; i < line.points.size(); ++i) {
      if (i > 0) out += ' ';
      out += text(i);
    }
    out += "\"/>"sv;
  }
  openTag(out, "g", style::kPoints);
  out += '>';
  for (std::size_t i = 0; i < line.points.size(); ++i) {
    if (line.points[i].edge == Edge::None && series.points[i].marker == Marker::Dot) {
      out += "<path d=\"M"sv;
      out += text(i);
      out += "h0\">"sv;
    } else {
      appendMarkerTag(out, line.points[i], series.points[i].marker, frame);
    }
    out += "<title>"sv;
    if (chart.pointTitle) chart.pointTitle(out, line.series, i);
    out += "</title></path>"sv;
  }
  out += "</g></g>\n"sv;
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
  Scratch scratch;
  for (const PlacedSeries& line : layout.lines) {
    appendSeries(out, chart, line, layout.frame, scratch);
    if (checkpoint) checkpoint();
  }
  openTag(out, "g", style::kLabels);
  out += '>';
  for (const PlacedLabel& label : layout.labels) appendLabel(out, label, chart.series[label.series]);
  out += "</g></svg></div>\n"sv;
}

}  // namespace marvolt::svg
