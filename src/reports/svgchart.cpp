#include "reports/svgchart.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <utility>

#include "reports/htmlpage.hpp"

namespace marvolt::svg {

using namespace std::string_view_literals;

namespace {

using html::appendDecimal;

constexpr double kWidth = 1160;        // the drawing's own units; the page scales it
constexpr double kPad = 10;
constexpr double kAxisTitle = 18;      // room for the rotated y title
constexpr double kTickChar = 6.2;      // estimated width of a tick label's character
constexpr double kLabelChar = 7.2;     // estimated width of a line label's character, in the widest common fonts
constexpr double kLabelPitch = 13.5;   // vertical room of one line label
constexpr double kLabelGap = 6;        // from a line's end to its label
constexpr double kMostLabelRoom = 250; // the widest a column of labels beside the plot gets
constexpr double kCellWidth = 10;      // a cell of the map of where lines run
constexpr double kCellHeight = 5;
constexpr int kFarthestLabelMove = 6;  // in label pitches, up or down from a line's end
constexpr double kMinTickGapX = 46;
constexpr double kMinTickGapRows = 13;   // a downward axis labels every row it can
constexpr double kMinTickGapY = 40;
constexpr std::size_t kDenseSeries = 12;  // more lines than this are drawn finer

// A car's line and swatch colour, and its text colour.
struct CarColour {
  std::string_view line, text;
};

// The palette, as tools/make_palette chose it: each colour the one farthest
// in CIEDE2000 from all before it, among the colours with 3:1 contrast on
// the page's background; the text twin of each reads at 4.5:1 on white.
constexpr std::array<CarColour, 40> kPalette = {{
#include "reports/palette.inc"
}};

// Dash patterns of the cars beyond each 20: colours repeat in hue there.
constexpr std::array<std::string_view, 4> kDashes = {"", "7 4", "2 3", "9 3 2 3"};
constexpr std::size_t kSolidCars = 20;

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

// Whether a line's end label goes inside the plot: where it ends more than
// a step before the plot's right edge (a car that retired, not one a lap
// down at the flag, whose label joins the finishers').
bool endsInsidePlot(const Series& series, double xMax) { return series.points.back().x + 1 < xMax; }

// The UTF-16 units of a label that fit into `room`: all of them where they fit.
std::size_t unitsThatFit(const std::u16string& label, double room) {
  const auto fit = static_cast<std::size_t>(std::max(1.0, std::floor(room / kLabelChar)));
  return std::min(label.size(), fit);
}

double widthOf(std::size_t units) { return static_cast<double>(units) * kLabelChar; }

// A line label: the horizontal room it takes, where it wants to sit and
// where it ends up.
struct Label {
  std::size_t series;
  double anchorX, anchorY;   // the line's end (or start)
  double x0, x1;             // its horizontal extent
  double y;                  // its centre once placed
  bool atStart;
  std::size_t units;         // of the label's text that are written
  bool inside = false;       // placed over the plot
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

// Whether two placed labels would overlap, with room for the backdrops.
bool collide(const Label& a, const Label& b) {
  return a.x0 < b.x1 + 4 && b.x0 < a.x1 + 4 && std::fabs(a.y - b.y) < kLabelPitch - 1e-6;
}

// Where a point is drawn: its coordinates, the edge it passed (as
// Frame::py tells) and the end of its coordinate text.
struct Placed {
  double x, y;
  int off;
  std::size_t textEnd;
};

// Where the lines of a chart run: the plot cut into cells, each
// counting the lines through it, summed so that the count of any box takes
// four lookups.
class LineMap {
 public:
  explicit LineMap(const Frame& frame)
      : left_(frame.left), top_(frame.top),
        columns_(static_cast<std::size_t>((frame.right - frame.left) / kCellWidth) + 1),
        rows_(static_cast<std::size_t>((frame.bottom - frame.top) / kCellHeight) + 1),
        counts_(columns_ * rows_, 0) {}

  /// Marks the cells a line through `points` (inside the plot) runs
  /// through, sampled a cell apart; a cell counts each visit.
  void addLine(const std::vector<Placed>& points) {
    std::size_t last = counts_.size();
    const auto mark = [this, &last](double column, double row) {
      const std::size_t cell = static_cast<std::size_t>(row) * columns_ + static_cast<std::size_t>(column);
      if (cell != last && cell < counts_.size()) ++counts_[cell];
      last = cell;
    };
    double previousColumn = 0, previousRow = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
      const double column = std::max(0.0, (points[i].x - left_) * (1 / kCellWidth));
      const double row = std::max(0.0, (points[i].y - top_) * (1 / kCellHeight));
      if (i > 0) {
        const int steps = static_cast<int>(std::max(std::fabs(column - previousColumn), std::fabs(row - previousRow))) + 1;
        const double dc = (column - previousColumn) / steps, dr = (row - previousRow) / steps;
        for (int k = 1; k < steps; ++k) mark(previousColumn + k * dc, previousRow + k * dr);
      }
      mark(column, row);
      previousColumn = column;
      previousRow = row;
    }
  }

  /// Sums the counts; no line is added after.
  void finish() {
    sums_.assign((columns_ + 1) * (rows_ + 1), 0);
    for (std::size_t r = 0; r < rows_; ++r) {
      for (std::size_t c = 0; c < columns_; ++c) {
        sums_[(r + 1) * (columns_ + 1) + c + 1] = counts_[r * columns_ + c] + sums_[r * (columns_ + 1) + c + 1] +
                                                  sums_[(r + 1) * (columns_ + 1) + c] - sums_[r * (columns_ + 1) + c];
      }
    }
  }

  /// The visits of lines to the cells from column c0 to c1 and row r0 to
  /// r1 (all included).
  std::uint32_t count(std::size_t c0, std::size_t r0, std::size_t c1, std::size_t r1) const {
    const std::size_t w = columns_ + 1;
    ++c1, ++r1;
    return sums_[r1 * w + c1] - sums_[r0 * w + c1] - sums_[r1 * w + c0] + sums_[r0 * w + c0];
  }

  /// The column of the cells at x, and the row of those at y.
  std::size_t column(double x) const {
    return static_cast<std::size_t>(std::clamp((x - left_) / kCellWidth, 0.0, static_cast<double>(columns_ - 1)));
  }
  std::size_t row(double y) const {
    return static_cast<std::size_t>(std::clamp((y - top_) / kCellHeight, 0.0, static_cast<double>(rows_ - 1)));
  }

 private:
  double left_, top_;
  std::size_t columns_, rows_;
  std::vector<std::uint32_t> counts_, sums_;
};

// A place for a label relative to its line's end: `step` half labels up or
// down, and at horizontal place `across` (kAcross).
struct Offset {
  int step;
  std::size_t across;
};

constexpr int kSteps = 2 * kFarthestLabelMove;
// The horizontal places: from the line's end to the right, then to the left.
constexpr std::array<double, 6> kAcross = {0, 2 * kLabelPitch, 6 * kLabelPitch, 0, 2 * kLabelPitch, 6 * kLabelPitch};
constexpr std::size_t kRightPlaces = 3;

// The places to try for a label inside the plot, nearest first: no farther
// than a few labels up or down, where a leader still reads.
std::vector<Offset> offsetsToTry() {
  std::vector<std::pair<double, Offset>> tries;
  for (int k = -kSteps; k <= kSteps; ++k) {
    for (std::size_t a = 0; a < kAcross.size(); ++a) {
      const double cost = std::fabs(k * kLabelPitch / 2) + kAcross[a] + (a < kRightPlaces ? 0 : kLabelPitch);
      tries.push_back({cost, {k, a}});
    }
  }
  std::stable_sort(tries.begin(), tries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Offset> offsets;
  offsets.reserve(tries.size());
  for (const auto& t : tries) offsets.push_back(t.second);
  return offsets;
}

// Places the label of a line that ends inside the plot: at the nearest
// place that covers no line and no label placed before, else at the
// nearest that covers the fewest lines. False where no place inside the
// plot is free of labels.
bool placeInside(Label& label, const std::vector<Label>& placed, const std::vector<Offset>& offsets,
                 const LineMap& lines, const Frame& frame) {
  const double width = label.x1 - label.x0;
  const double half = kLabelPitch / 2;
  // The cells of each place, worked out once.
  std::array<double, kAcross.size()> lefts;
  std::array<std::size_t, kAcross.size()> firstColumns, lastColumns;
  for (std::size_t a = 0; a < kAcross.size(); ++a) {
    lefts[a] = a < kRightPlaces ? label.anchorX + kLabelGap + kAcross[a] : label.anchorX - kLabelGap - kAcross[a] - width;
    firstColumns[a] = lines.column(lefts[a] - 2);
    lastColumns[a] = lines.column(lefts[a] + width + 2);
  }
  std::array<std::size_t, 2 * kSteps + 1> firstRows, lastRows;
  for (int k = -kSteps; k <= kSteps; ++k) {
    firstRows[k + kSteps] = lines.row(label.anchorY + k * half - half);
    lastRows[k + kSteps] = lines.row(label.anchorY + k * half + half);
  }
  std::uint32_t fewest = std::numeric_limits<std::uint32_t>::max();
  Label best = label;
  for (const Offset& offset : offsets) {
    const double y = label.anchorY + offset.step * half;
    const double x0 = lefts[offset.across];
    if (x0 < frame.left + 3 || x0 + width > frame.right - 3 || y - half < frame.top || y + half > frame.bottom) continue;
    const std::size_t k = static_cast<std::size_t>(offset.step + kSteps);
    const std::uint32_t crossed =
        lines.count(firstColumns[offset.across], firstRows[k], lastColumns[offset.across], lastRows[k]);
    if (crossed >= fewest) continue;
    Label at = label;
    at.y = y;
    at.x0 = x0;
    at.x1 = x0 + width;
    if (std::any_of(placed.begin(), placed.end(), [&at](const Label& other) { return collide(at, other); })) continue;
    fewest = crossed;
    best = at;
    if (crossed == 0) break;
  }
  if (fewest == std::numeric_limits<std::uint32_t>::max()) return false;
  label = best;
  label.inside = true;
  return true;
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

// Room reused from one series to the next.
struct Scratch {
  std::vector<Placed> placed;
  std::string coordinates;
};

// Appends ` class="` + the classes of a car's part + `"`: `what` and, for a
// car, the car's class.
void appendClasses(std::string& out, std::string_view what, std::size_t car) {
  out += " class=\""sv;
  out += what;
  if (car != kNoCar) {
    out += ' ';
    appendCarClass(out, car);
  }
  out += '"';
}

// Appends series number `index`: its line, then its markers with titles.
// The coordinates are written once, for the line and the markers both.
// The points also go into `lines`, where there is one.
void appendSeries(std::string& out, const Frame& frame, const LineChart& chart, std::size_t index, Scratch& scratch,
                  LineMap* lines) {
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
  if (lines != nullptr) lines->addLine(placed);
  const auto text = [&placed, &coordinates](std::size_t i) {
    const std::size_t begin = i == 0 ? 0 : placed[i - 1].textEnd;
    return std::string_view(coordinates).substr(begin, placed[i].textEnd - begin);
  };
  out += "<g"sv;
  appendClasses(out, "s c"sv, series.car);
  out += " stroke=\""sv;
  html::appendText(out, series.colour);
  out += "\" fill=\""sv;
  html::appendText(out, series.colour);
  out += "\">"sv;
  if (placed.size() > 1) {
    out += "<polyline class=\"ln\""sv;
    if (series.car != kNoCar && !dashPattern(series.car).empty()) {
      out += " stroke-dasharray=\""sv;
      out += dashPattern(series.car);
      out += '"';
    }
    out += " points=\""sv;
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

// Appends a label with its leader, where it was moved from its line's
// end, as one group that hovering (or focusing, at a line's end) brings
// forward with the car's line.
void appendLabel(std::string& out, const Label& label, const Series& series) {
  out += "<g"sv;
  appendClasses(out, "c"sv, series.car);
  out += label.atStart ? ">"sv : " tabindex=\"0\">"sv;
  if (label.inside) {
    // A label over the plot gets a backdrop, so that no grid line runs
    // through its words.
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
  const bool rightOfEnd = label.x0 >= label.anchorX;
  const bool moved = std::fabs(label.y - label.anchorY) > 1.5 ||
                     (!label.atStart && std::fabs(label.x0 - label.anchorX - kLabelGap) > 0.5);
  if (moved) {
    // A label moved away from its line gets a leader to it.
    out += "<path class=\"lead\" stroke=\""sv;
    html::appendText(out, series.colour);
    out += "\" d=\"M"sv;
    if (label.atStart) {
      appendPoint(out, label.x1 + 1, label.y);
      out += 'L';
      appendPoint(out, label.x1 + 5, label.anchorY);
    } else {
      appendPoint(out, label.anchorX + (rightOfEnd ? 1 : -1), label.anchorY);
      out += 'L';
      appendPoint(out, rightOfEnd ? label.x0 - 1 : label.x1 + 1, label.y);
    }
    out += "\"/>"sv;
  }
  out += "<text class=\"lb\" fill=\""sv;
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

std::string_view paletteColour(std::size_t index) { return kPalette[index % kPalette.size()].line; }

std::string_view paletteTextColour(std::size_t index) { return kPalette[index % kPalette.size()].text; }

std::string_view dashPattern(std::size_t index) { return kDashes[index / kSolidCars % kDashes.size()]; }

void appendCarClass(std::string& out, std::size_t index) {
  out += 'k';
  html::appendInt(out, static_cast<std::int64_t>(index));
}

void appendLineChart(std::string& out, const LineChart& chart) {
  std::size_t drawn = 0;
  double widest = 0;
  bool endsInside = false;
  for (const Series& s : chart.series) {
    if (s.points.empty()) continue;
    ++drawn;
    widest = std::max(widest, widthOf(s.label.size()));
    endsInside = endsInside || endsInsidePlot(s, chart.x.max);
  }
  widest = std::min(widest, kMostLabelRoom);

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

  // The chart keeps a size at which its text reads, and scrolls in its box
  // where the page is narrower.
  out += "<div class=\"cbox\" tabindex=\"0\">"sv;
  out += drawn > kDenseSeries ? "<svg class=\"chart dense\" id=\"" : "<svg class=\"chart\" id=\"";
  html::appendText(out, chart.id);
  out += "\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 "sv;
  appendDecimal(out, kWidth);
  out += ' ';
  appendDecimal(out, height);
  out += "\" role=\"group\" aria-label=\""sv;
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

  // The lines, then their labels above every line: beside the plot where a
  // line reaches its edge or nearly, else inside it.
  std::vector<Label> beside, inside;
  beside.reserve(2 * drawn);
  std::optional<LineMap> lines;
  if (endsInside) lines.emplace(frame);
  Scratch scratch;
  for (std::size_t i = 0; i < chart.series.size(); ++i) {
    const Series& s = chart.series[i];
    if (s.points.empty()) continue;
    appendSeries(out, frame, chart, i, scratch, lines ? &*lines : nullptr);
    const std::size_t units = unitsThatFit(s.label, widest);
    const double width = widthOf(units);
    const Point& last = s.points.back();
    const double endX = frame.px(last.x);
    const double endY = frame.py(last.y, off);
    const Label end{i, endX, endY, endX + kLabelGap, endX + kLabelGap + width, endY, false, units};
    (endsInsidePlot(s, frame.xMax) ? inside : beside).push_back(end);
    if (chart.startLabels) {
      const Point& first = s.points.front();
      const double startY = frame.py(first.y, off);
      const double edge = frame.left - yTickWidth - 12;
      beside.push_back({i, edge, startY, edge - width, edge, startY, true, units});
    }
  }
  if (lines) {
    lines->finish();
    const std::vector<Offset> offsets = offsetsToTry();
    std::vector<Label> placed;
    for (Label& label : inside) {
      if (placeInside(label, placed, offsets, *lines, frame)) {
        placed.push_back(label);
        continue;
      }
      // No room inside the plot: the label joins those beside it.
      label.x0 = frame.right + kLabelGap;
      label.x1 = label.x0 + widthOf(label.units);
      beside.push_back(label);
    }
    inside = std::move(placed);
  }
  spreadLabels(beside, frame.top, frame.bottom);
  out += "<g class=\"lbs\">"sv;
  for (const std::vector<Label>* group : {&beside, &inside}) {
    for (const Label& label : *group) appendLabel(out, label, chart.series[label.series]);
  }
  out += "</g></svg></div>\n"sv;
}

}  // namespace marvolt::svg
