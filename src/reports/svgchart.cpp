#include "reports/svgchart.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

#include "reports/htmlpage.hpp"

namespace marvolt::svg {

using namespace std::string_view_literals;

namespace {

using html::appendDecimal;

constexpr double kWidth = 1160;        // the drawing's own units; the page scales it
constexpr double kPad = 10;
constexpr double kAxisTitle = 18;      // room for the rotated y title
constexpr double kTickChar = 6.2;      // estimated width of a tick label's character
constexpr double kLabelChar = 6.6;     // estimated width of a line label's character
constexpr double kLabelPitch = 13;     // vertical room of one line label
constexpr double kLabelGap = 6;        // from a line's end to its label
constexpr std::size_t kMaxLabelUnits = 24;
constexpr double kMinTickGapX = 46;
constexpr double kMinTickGapRows = 13;   // a downward axis labels every row it can
constexpr double kMinTickGapY = 40;
constexpr std::size_t kDenseSeries = 12;  // more lines than this are drawn finer

// 40 colours, hues a golden angle apart so that neighbours in the list
// differ most, in four bands of saturation and lightness, each dark enough
// to read on white.
constexpr std::array<std::string_view, 40> kPalette = {
    "#cf3617", "#209757", "#bc16f3", "#6b6f20", "#1791cf", "#97204d", "#16aa09", "#31206f",
    "#cf7317", "#20977f", "#f316e0", "#516f20", "#1754cf", "#972025", "#09aa31", "#4b206f",
    "#aa9113", "#208897", "#f31696", "#376f20", "#1717cf", "#974320", "#09aa67", "#65206f",
    "#849c11", "#206097", "#f3164d", "#206f24", "#5517cf", "#976b20", "#09a598", "#6f205e",
    "#5ba512", "#203897", "#f32a16", "#206f3e", "#9217cf", "#979320", "#0b9ed0", "#6f2044",
};

// The plot's box in drawing units and the mapping of values into it.
struct Frame {
  double left = 0, right = 0, top = 0, bottom = 0;
  double xMin = 0, xMax = 1, yMin = 0, yMax = 1;
  bool downward = false;

  double px(double x) const { return left + (x - xMin) / (xMax - xMin) * (right - left); }
  // The y of a value clamped to the plot; `off` tells which edge it passed:
  // -1 the top, 1 the bottom, 0 none.
  double py(double y, int& off) const {
    double t = (y - yMin) / (yMax - yMin);
    off = 0;
    if (!(t >= -1e-9)) {   // also NaN
      t = 0;
      off = downward ? -1 : 1;
    } else if (t > 1 + 1e-9) {
      t = 1;
      off = downward ? 1 : -1;
    }
    return downward ? top + t * (bottom - top) : bottom - t * (bottom - top);
  }
};

std::vector<double> ticks(double min, double max, double step) {
  std::vector<double> values;
  for (double k = std::ceil(min / step - 1e-9); k * step <= max + 1e-9 && values.size() < 1000; ++k) {
    values.push_back(k * step);
  }
  return values;
}

void appendTwoDigits(std::string& out, long value) {
  out += static_cast<char>('0' + value / 10 % 10);
  out += static_cast<char>('0' + value % 10);
}

// A tick value as text; durations get a tenth when the step is below a second.
std::string tickText(double value, double step, TickFormat format) {
  std::string text;
  if (format == TickFormat::Integer) {
    html::appendInt(text, std::llround(value));
    return text;
  }
  const bool tenths = step < 1 - 1e-9;
  if (value < 0) text += '-';
  const long long scaled = std::llround(std::fabs(value) * 10);
  const long long seconds = scaled / 10;
  const long hours = static_cast<long>(seconds / 3600);
  const long minutes = static_cast<long>(seconds / 60 % 60);
  const long secs = static_cast<long>(seconds % 60);
  if (hours > 0) {
    html::appendInt(text, hours);
    text += ':';
    appendTwoDigits(text, minutes);
    text += ':';
    appendTwoDigits(text, secs);
  } else if (minutes > 0) {
    html::appendInt(text, minutes);
    text += ':';
    appendTwoDigits(text, secs);
  } else {
    html::appendInt(text, secs);
  }
  if (tenths) {
    text += '.';
    text += static_cast<char>('0' + scaled % 10);
  }
  return text;
}

double labelWidth(const std::u16string& label) {
  return static_cast<double>(std::min(label.size(), kMaxLabelUnits)) * kLabelChar;
}

// A line label: the horizontal room it takes, where it wants to sit and
// where it ends up.
struct Label {
  std::size_t series;
  double anchorX, anchorY;   // the line's end (or start)
  double x0, x1;             // its horizontal extent
  double y;                  // its centre once placed
  bool atStart;
};

// Places labels of one column so that none overlaps the next: each run of
// labels that would collide is centred on where its members want to be,
// kept inside [lo, hi].
void spreadColumn(std::vector<Label*>& column, double lo, double hi) {
  std::stable_sort(column.begin(), column.end(), [](const Label* a, const Label* b) { return a->y < b->y; });
  struct Cluster {
    std::size_t first, count;
    double sum, top;
  };
  const auto place = [lo, hi](Cluster& c) {
    const double n = static_cast<double>(c.count);
    c.top = (c.sum - kLabelPitch * n * (n - 1) / 2) / n;
    c.top = std::max(lo, std::min(c.top, hi - (n - 1) * kLabelPitch));
  };
  std::vector<Cluster> clusters;
  for (std::size_t k = 0; k < column.size(); ++k) {
    clusters.push_back({k, 1, column[k]->y, 0});
    place(clusters.back());
    while (clusters.size() > 1) {
      Cluster& a = clusters[clusters.size() - 2];
      const Cluster& b = clusters.back();
      if (a.top + static_cast<double>(a.count) * kLabelPitch <= b.top + 1e-6) break;
      a.count += b.count;
      a.sum += b.sum;
      clusters.pop_back();
      place(a);
    }
  }
  for (const Cluster& c : clusters) {
    for (std::size_t k = 0; k < c.count; ++k) column[c.first + k]->y = c.top + static_cast<double>(k) * kLabelPitch;
  }
}

// Whether two placed labels would overlap.
bool collide(const Label& a, const Label& b) {
  return a.x0 < b.x1 && b.x0 < a.x1 && std::fabs(a.y - b.y) < kLabelPitch - 1e-6;
}

// The group a label belongs to, found through the chain of merged groups.
std::size_t groupOf(std::vector<std::size_t>& parent, std::size_t i) {
  while (parent[i] != i) i = parent[i] = parent[parent[i]];
  return i;
}

// Places the labels so that none overlaps another. Labels that would
// collide are spread as one column around where they want to be; columns
// that then collide with other labels take them in, until nothing collides
// (every round merges groups, so it ends).
void spreadLabels(std::vector<Label>& labels, double lo, double hi) {
  const std::size_t n = labels.size();
  std::vector<std::size_t> parent(n);
  std::iota(parent.begin(), parent.end(), std::size_t{0});
  std::vector<double> wanted(n);
  for (std::size_t i = 0; i < n; ++i) wanted[i] = labels[i].y;
  std::vector<std::vector<Label*>> columns(n);
  for (std::size_t round = 0; round < n; ++round) {
    for (auto& column : columns) column.clear();
    for (std::size_t i = 0; i < n; ++i) {
      labels[i].y = wanted[i];
      columns[groupOf(parent, i)].push_back(&labels[i]);
    }
    for (auto& column : columns) {
      if (column.size() > 1) spreadColumn(column, lo, hi);
    }
    bool merged = false;
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = i + 1; j < n; ++j) {
        const std::size_t a = groupOf(parent, i);
        const std::size_t b = groupOf(parent, j);
        if (a == b || !collide(labels[i], labels[j])) continue;
        parent[b] = a;
        merged = true;
      }
    }
    if (!merged) return;
  }
}

void appendPoint(std::string& out, double x, double y) {
  appendDecimal(out, x);
  out += ' ';
  appendDecimal(out, y);
}

// Appends the opening tag of a point's marker (the element its title goes in).
void appendMarkerTag(std::string& out, const Frame& frame, double x, double y, int off, Marker marker) {
  if (off < 0) {
    out += "<path class=\"u\" d=\"M"sv;
    appendPoint(out, x, frame.top);
    out += "l3.5 6h-7z\">"sv;
    return;
  }
  if (off > 0) {
    out += "<path class=\"d\" d=\"M"sv;
    appendPoint(out, x, frame.bottom);
    out += "l3.5-6h-7z\">"sv;
    return;
  }
  switch (marker) {
    case Marker::Dot:
      out += "<path d=\"M"sv;
      appendPoint(out, x, y);
      out += "h0\">"sv;
      break;
    case Marker::Ring:
      out += "<path class=\"r\" d=\"M"sv;
      appendPoint(out, x - 3, y);
      out += "a3 3 0 1 0 6 0a3 3 0 1 0-6 0\">"sv;
      break;
    case Marker::Cross:
      out += "<path class=\"x\" d=\"M"sv;
      appendPoint(out, x - 3, y - 3);
      out += "l6 6m0-6l-6 6\">"sv;
      break;
    case Marker::Square:
      out += "<path class=\"q\" d=\"M"sv;
      appendPoint(out, x - 2.5, y - 2.5);
      out += "h5v5h-5z\">"sv;
      break;
  }
}

void appendTitleAndClose(std::string& out, std::string_view title) {
  out += "<title>"sv;
  html::appendText(out, title);
  out += "</title></path>"sv;
}

// Where a point is drawn: its coordinates, the edge it passed (as
// Frame::py tells) and the end of its coordinate text.
struct Placed {
  double x, y;
  int off;
  std::size_t textEnd;
};

// Room reused from one series to the next.
struct Scratch {
  std::vector<Placed> placed;
  std::string coordinates;
};

// Appends series number `index`: its line, then its markers with titles.
// The coordinates are written once, for the line and the markers both.
void appendSeries(std::string& out, const Frame& frame, const LineChart& chart, std::size_t index, Scratch& scratch) {
  const Series& series = chart.series[index];
  std::vector<Placed>& placed = scratch.placed;
  std::string& coordinates = scratch.coordinates;
  placed.clear();
  coordinates.clear();
  for (const Point& point : series.points) {
    Placed p{frame.px(point.x), 0, 0, 0};
    p.y = frame.py(point.y, p.off);
    appendDecimal(coordinates, p.x);
    coordinates += ',';
    appendDecimal(coordinates, p.y);
    p.textEnd = coordinates.size();
    placed.push_back(p);
  }
  const auto text = [&placed, &coordinates](std::size_t i) {
    const std::size_t begin = i == 0 ? 0 : placed[i - 1].textEnd;
    return std::string_view(coordinates).substr(begin, placed[i].textEnd - begin);
  };
  out += "<g class=\"s\" stroke=\""sv;
  html::appendText(out, series.colour);
  out += "\" fill=\""sv;
  html::appendText(out, series.colour);
  out += "\">"sv;
  if (placed.size() > 1) {
    out += "<polyline class=\"ln\" points=\""sv;
    for (std::size_t i = 0; i < placed.size(); ++i) {
      if (i > 0) out += ' ';
      out += text(i);
    }
    out += "\"/>"sv;
  }
  out += "<g class=\"pt\">"sv;
  for (std::size_t i = 0; i < placed.size(); ++i) {
    const Placed& p = placed[i];
    if (p.off == 0 && series.points[i].marker == Marker::Dot) {
      out += "<path d=\"M"sv;
      out += text(i);
      out += "h0\">"sv;
    } else {
      appendMarkerTag(out, frame, p.x, p.y, p.off, series.points[i].marker);
    }
    out += "<title>"sv;
    if (chart.pointTitle) chart.pointTitle(out, index, i);
    out += "</title></path>"sv;
  }
  out += "</g></g>\n"sv;
}

void appendLabel(std::string& out, const Label& label, const Series& series, const Frame& frame) {
  if (label.x0 < frame.right) {
    // A label over the plot gets a backdrop, so that the lines below it do
    // not run through its words.
    out += "<rect class=\"lbg\" x=\""sv;
    appendDecimal(out, label.x0 - 2);
    out += "\" y=\""sv;
    appendDecimal(out, label.y - kLabelPitch / 2);
    out += "\" width=\""sv;
    appendDecimal(out, label.x1 - label.x0 + 4);
    out += "\" height=\""sv;
    appendDecimal(out, kLabelPitch);
    out += "\"/>"sv;
  }
  if (std::fabs(label.y - label.anchorY) > 1.5) {
    // A label moved away from its line gets a short leader to it.
    out += "<path class=\"lead\" stroke=\""sv;
    html::appendText(out, series.colour);
    out += "\" d=\"M"sv;
    if (label.atStart) {
      appendPoint(out, label.x1 + 1, label.y);
      out += 'L';
      appendPoint(out, label.x1 + 5, label.anchorY);
    } else {
      appendPoint(out, label.anchorX + 1, label.anchorY);
      out += 'L';
      appendPoint(out, label.x0 - 1, label.y);
    }
    out += "\"/>"sv;
  }
  out += "<text class=\"lb\" fill=\""sv;
  html::appendText(out, series.colour);
  out += label.atStart ? "\" text-anchor=\"end\" x=\"" : "\" x=\"";
  appendDecimal(out, label.atStart ? label.x1 : label.x0);
  out += "\" y=\""sv;
  appendDecimal(out, label.y);
  out += "\" dy=\".35em\">"sv;
  html::appendTextCut(out, series.label, kMaxLabelUnits);
  out += "</text>"sv;
}

void appendLegend(std::string& out, const std::vector<LegendItem>& legend, double x, double y) {
  if (legend.empty()) return;
  out += "<g class=\"lg\" stroke=\"#4b5563\" fill=\"#4b5563\">"sv;
  Frame none;
  none.top = y - 6;
  none.bottom = y + 6;
  for (const LegendItem& item : legend) {
    out += "<g class=\"pt\">"sv;
    appendMarkerTag(out, none, x, y, 0, item.marker);
    appendTitleAndClose(out, item.text);
    out += "</g><text stroke=\"none\" x=\""sv;
    appendDecimal(out, x + 8);
    out += "\" y=\""sv;
    appendDecimal(out, y);
    out += "\" dy=\".35em\">"sv;
    html::appendText(out, item.text);
    out += "</text>"sv;
    x += 24 + static_cast<double>(item.text.size()) * kTickChar;
  }
  out += "</g>\n"sv;
}

// The plot height for a chart: from the y range of a position axis (rows of
// 14 to 30 units), else fixed; always room for every line label.
double plotHeightOf(const LineChart& chart, std::size_t labels) {
  double height = chart.plotHeight;
  if (height <= 0) {
    if (chart.y.downward) {
      const double rows = std::max(1.0, chart.y.max - chart.y.min);
      height = std::max(200.0, rows * std::clamp(600 / rows, 14.0, 30.0));
    } else {
      height = 340;
    }
  }
  return std::max(height, static_cast<double>(labels) * kLabelPitch + kLabelPitch);
}

}  // namespace

double niceStep(double span, double maxTicks, TickFormat format) {
  if (!(span > 0) || !std::isfinite(span)) return 1;
  const double raw = span / std::max(1.0, maxTicks);
  if (format == TickFormat::Duration && raw > 10 && raw <= 3600) {
    for (const double step : {15.0, 30.0, 60.0, 120.0, 300.0, 600.0, 900.0, 1800.0, 3600.0}) {
      if (step >= raw) return step;
    }
  }
  const double unit = format == TickFormat::Duration && raw > 3600 ? 3600 : 1;
  const double power = std::pow(10.0, std::floor(std::log10(raw / unit))) * unit;
  for (const double m : {1.0, 2.0, 5.0, 10.0}) {
    const double step = m * power;
    if (step >= raw - 1e-12) {
      if (format == TickFormat::Integer) return std::max(1.0, std::round(step));
      return std::max(step, 0.1);
    }
  }
  return 10 * power;
}

std::string_view paletteColour(std::size_t index) { return kPalette[index % kPalette.size()]; }

void appendLineChart(std::string& out, const LineChart& chart) {
  std::size_t drawn = 0;
  double widest = 0;
  for (const Series& s : chart.series) {
    if (s.points.empty()) continue;
    ++drawn;
    widest = std::max(widest, labelWidth(s.label));
  }

  Frame frame;
  frame.xMin = chart.x.min;
  frame.xMax = chart.x.max > chart.x.min ? chart.x.max : chart.x.min + 1;
  frame.yMin = chart.y.min;
  frame.yMax = chart.y.max > chart.y.min ? chart.y.max : chart.y.min + 1;
  frame.downward = chart.y.downward;
  const double plotHeight = plotHeightOf(chart, drawn);

  const double yStep = niceStep(frame.yMax - frame.yMin,
                                plotHeight / (chart.y.downward ? kMinTickGapRows : kMinTickGapY), chart.y.format);
  const std::vector<double> yTicks = ticks(frame.yMin, frame.yMax, yStep);
  std::vector<std::string> yTexts;
  double yTickWidth = 0;
  for (const double v : yTicks) {
    yTexts.push_back(tickText(v, yStep, chart.y.format));
    yTickWidth = std::max(yTickWidth, static_cast<double>(yTexts.back().size()) * kTickChar);
  }
  const double startRoom = chart.startLabels && drawn > 0 ? widest + kLabelGap + 4 : 0;
  frame.left = std::round(kPad + kAxisTitle + startRoom + yTickWidth + 8);
  frame.right = std::round(kWidth - kPad - (drawn > 0 ? widest + kLabelGap + 10 : 8));
  frame.top = chart.legend.empty() ? 12 : 34;
  frame.bottom = frame.top + std::round(plotHeight);
  const double height = frame.bottom + 44;

  out += drawn > kDenseSeries ? "<svg class=\"chart dense\" id=\"" : "<svg class=\"chart\" id=\"";
  html::appendText(out, chart.id);
  out += "\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 "sv;
  appendDecimal(out, kWidth);
  out += ' ';
  appendDecimal(out, height);
  out += "\" role=\"img\" aria-label=\""sv;
  html::appendText(out, chart.title);
  out += "\"><title>"sv;
  html::appendText(out, chart.title);
  out += "</title>\n"sv;
  appendLegend(out, chart.legend, frame.left + 6, 15);

  // Grid lines at the ticks, and the plot's frame.
  const double xStep = niceStep(frame.xMax - frame.xMin, (frame.right - frame.left) / kMinTickGapX, TickFormat::Integer);
  const std::vector<double> xTicks = ticks(frame.xMin, frame.xMax, xStep);
  out += "<path class=\"grid\" d=\""sv;
  int off = 0;
  for (const double v : yTicks) {
    out += 'M';
    appendPoint(out, frame.left, frame.py(v, off));
    out += 'H';
    appendDecimal(out, frame.right);
  }
  for (const double v : xTicks) {
    out += 'M';
    appendPoint(out, frame.px(v), frame.top);
    out += 'V';
    appendDecimal(out, frame.bottom);
  }
  out += "\"/><rect class=\"frame\" x=\""sv;
  appendDecimal(out, frame.left);
  out += "\" y=\""sv;
  appendDecimal(out, frame.top);
  out += "\" width=\""sv;
  appendDecimal(out, frame.right - frame.left);
  out += "\" height=\""sv;
  appendDecimal(out, frame.bottom - frame.top);
  out += "\"/>\n"sv;

  // Tick labels and axis titles.
  out += "<g class=\"tick\" text-anchor=\"end\">"sv;
  for (std::size_t i = 0; i < yTicks.size(); ++i) {
    out += "<text x=\""sv;
    appendDecimal(out, frame.left - 6);
    out += "\" y=\""sv;
    appendDecimal(out, frame.py(yTicks[i], off));
    out += "\" dy=\".35em\">"sv;
    out += yTexts[i];
    out += "</text>"sv;
  }
  out += "</g><g class=\"tick\" text-anchor=\"middle\">"sv;
  for (const double v : xTicks) {
    out += "<text x=\""sv;
    appendDecimal(out, frame.px(v));
    out += "\" y=\""sv;
    appendDecimal(out, frame.bottom + 16);
    out += "\">"sv;
    out += tickText(v, xStep, TickFormat::Integer);
    out += "</text>"sv;
  }
  out += "</g>\n<text class=\"axt\" text-anchor=\"middle\" x=\""sv;
  appendDecimal(out, (frame.left + frame.right) / 2);
  out += "\" y=\""sv;
  appendDecimal(out, height - 8);
  out += "\">"sv;
  html::appendText(out, chart.x.title);
  out += "</text><text class=\"axt\" text-anchor=\"middle\" transform=\"rotate(-90)\" x=\""sv;
  appendDecimal(out, -(frame.top + frame.bottom) / 2);
  out += "\" y=\""sv;
  appendDecimal(out, kPad + 10);
  out += "\">"sv;
  html::appendText(out, chart.y.title);
  out += "</text>\n"sv;

  // The lines, then their labels above every line.
  std::vector<Label> labels;
  labels.reserve(2 * drawn);
  Scratch scratch;
  for (std::size_t i = 0; i < chart.series.size(); ++i) {
    const Series& s = chart.series[i];
    if (s.points.empty()) continue;
    appendSeries(out, frame, chart, i, scratch);
    const double width = labelWidth(s.label);
    const Point& last = s.points.back();
    const double endX = frame.px(last.x);
    const double endY = frame.py(last.y, off);
    labels.push_back({i, endX, endY, endX + kLabelGap, endX + kLabelGap + width, endY, false});
    if (chart.startLabels) {
      const Point& first = s.points.front();
      const double startY = frame.py(first.y, off);
      const double edge = frame.left - yTickWidth - 12;
      labels.push_back({i, edge, startY, edge - width, edge, startY, true});
    }
  }
  spreadLabels(labels, frame.top, frame.bottom);
  out += "<g class=\"lbs\">"sv;
  for (const Label& label : labels) appendLabel(out, label, chart.series[label.series], frame);
  out += "</g></svg>\n"sv;
}

}  // namespace marvolt::svg
