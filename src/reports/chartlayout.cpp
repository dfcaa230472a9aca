#include "reports/chartlayout.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>
#include <utility>

#include "reports/htmlpage.hpp"

namespace marvolt::svg {

namespace {

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
constexpr double kLegendY = 15;        // the centre line of the legend, above the plot

// ---------------------------------------------------------------- ticks

std::vector<double> tickValues(double min, double max, double step) {
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

// The ticks of an axis from `min` to `max`, `step` apart, each at the
// coordinate `at` gives its value.
template <class Scale>
std::vector<Tick> ticksOf(double min, double max, double step, TickFormat format, const Scale& at) {
  std::vector<Tick> ticks;
  for (const double value : tickValues(min, max, step)) ticks.push_back({at(value), tickText(value, step, format)});
  return ticks;
}

// ---------------------------------------------------------------- labels

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

// Places labels of one column so that none overlaps the next: each run of
// labels that would collide is centred on where its members want to be,
// kept inside [lo, hi].
void spreadColumn(std::vector<PlacedLabel*>& column, double lo, double hi) {
  std::stable_sort(column.begin(), column.end(), [](const PlacedLabel* a, const PlacedLabel* b) { return a->y < b->y; });
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
bool collide(const PlacedLabel& a, const PlacedLabel& b) {
  return a.x0 < b.x1 + 4 && b.x0 < a.x1 + 4 && std::fabs(a.y - b.y) < kLabelPitch - 1e-6;
}

// Where the lines of a chart run: the plot cut into cells, each
// counting the lines through it, then summed in place (a row and a column
// of zeros before the first) so that the count of any box takes four
// lookups. Only the counts of the boxes asked for beforehand (want) are
// kept exact: a stretch of a line far from all of them is not followed.
class LineMap {
 public:
  explicit LineMap(const Frame& frame)
      : left_(frame.left), top_(frame.top),
        columns_(static_cast<std::size_t>((frame.right - frame.left) / kCellWidth) + 1),
        rows_(static_cast<std::size_t>((frame.bottom - frame.top) / kCellHeight) + 1),
        sums_((columns_ + 1) * (rows_ + 1), 0), wanted_(columns_, Rows{rows_, 0}) {}

  /// Asks for the counts of boxes within columns c0 to c1 and rows r0 to
  /// r1 (all included); before any line is added.
  void want(std::size_t c0, std::size_t r0, std::size_t c1, std::size_t r1) {
    for (std::size_t c = c0; c <= c1 && c < columns_; ++c) {
      wanted_[c].first = std::min(wanted_[c].first, r0);
      wanted_[c].last = std::max(wanted_[c].last, r1);
    }
  }

  /// Marks the cells a line through `points` (inside the plot) runs
  /// through, sampled a cell apart; a cell counts each visit.
  void addLine(const std::vector<PlacedPoint>& points) {
    const std::size_t cells = columns_ * rows_;
    std::size_t last = cells;
    // Places in the plot are never negative and far below 2^63: the signed
    // conversion (one instruction) truncates as the unsigned one would.
    const auto mark = [this, cells, &last](double column, double row) {
      const auto r = static_cast<std::size_t>(static_cast<std::int64_t>(row));
      const auto c = static_cast<std::size_t>(static_cast<std::int64_t>(column));
      const std::size_t cell = r * columns_ + c;
      // A column past the last runs on into the next row, as the cell's number does.
      if (cell != last && cell < cells) ++sums_[cell + (c < columns_ ? r : cell / columns_) + columns_ + 2];
      last = cell;
    };
    double previousColumn = 0, previousRow = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
      const double column = std::max(0.0, (points[i].x - left_) * (1 / kCellWidth));
      const double row = std::max(0.0, (points[i].y - top_) * (1 / kCellHeight));
      // A stretch shorter than a cell has no samples between its ends.
      const double span = std::max(std::fabs(column - previousColumn), std::fabs(row - previousRow));
      if (i > 0 && span >= 1 && wantedNear(previousColumn, previousRow, column, row)) {
        const int steps = static_cast<int>(span) + 1;
        const double dc = (column - previousColumn) / steps, dr = (row - previousRow) / steps;
        for (int k = 1; k < steps; ++k) mark(previousColumn + k * dc, previousRow + k * dr);
      }
      mark(column, row);
      previousColumn = column;
      previousRow = row;
    }
  }

  /// Whether a stretch between two places (in cells) may run through a
  /// cell of a box asked for: a cell to spare around it, and always near
  /// the map's last column and row.
  bool wantedNear(double c0, double r0, double c1, double r1) const {
    const double right = std::max(c0, c1), bottom = std::max(r0, r1);
    if (!(right < static_cast<double>(columns_ - 1) && bottom < static_cast<double>(rows_ - 1))) return true;
    const auto left = static_cast<std::size_t>(std::min(c0, c1));
    const auto top = static_cast<std::size_t>(std::min(r0, r1));
    const std::size_t lastColumn = static_cast<std::size_t>(right) + 1, lastRow = static_cast<std::size_t>(bottom) + 1;
    for (std::size_t c = left == 0 ? 0 : left - 1; c <= lastColumn; ++c) {
      const Rows& rows = wanted_[c];
      if (rows.first <= rows.last && rows.first <= lastRow && top <= rows.last + 1) return true;
    }
    return false;
  }

  /// Sums the counts; no line is added after.
  void finish() {
    const std::size_t w = columns_ + 1;
    for (std::size_t r = 0; r < rows_; ++r) {
      const std::uint32_t* above = &sums_[r * w];
      std::uint32_t* sums = &sums_[(r + 1) * w];
      std::uint32_t row = 0;
      for (std::size_t c = 1; c <= columns_; ++c) {
        row += sums[c];   // the count of the cell, until it is replaced by its sum
        sums[c] = above[c] + row;
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
  // The rows of a column whose counts are asked for: none where first > last.
  struct Rows {
    std::size_t first, last;
  };

  double left_, top_;
  std::size_t columns_, rows_;
  std::vector<std::uint32_t> sums_;
  std::vector<Rows> wanted_;
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

// The cells that a label of `width` covers at each place around its anchor,
// worked out once for all the places tried.
struct PlaceCells {
  std::array<double, kAcross.size()> lefts;
  std::array<std::size_t, kAcross.size()> firstColumns, lastColumns;
  std::array<std::size_t, 2 * kSteps + 1> firstRows, lastRows;

  PlaceCells(const Position& anchor, double width, const LineMap& lines) {
    const double half = kLabelPitch / 2;
    for (std::size_t a = 0; a < kAcross.size(); ++a) {
      lefts[a] = a < kRightPlaces ? anchor.x + kLabelGap + kAcross[a] : anchor.x - kLabelGap - kAcross[a] - width;
      firstColumns[a] = lines.column(lefts[a] - 2);
      lastColumns[a] = lines.column(lefts[a] + width + 2);
    }
    for (int k = -kSteps; k <= kSteps; ++k) {
      firstRows[k + kSteps] = lines.row(anchor.y + k * half - half);
      lastRows[k + kSteps] = lines.row(anchor.y + k * half + half);
    }
  }
};

// The labels of `placed` that `label` might overlap at any of its places.
std::vector<const PlacedLabel*> neighbours(const PlacedLabel& label, const PlaceCells& cells,
                                           const std::vector<PlacedLabel>& placed) {
  const auto [left, right] = std::minmax_element(cells.lefts.begin(), cells.lefts.end());
  const double width = label.x1 - label.x0;
  const double reach = kSteps * kLabelPitch / 2 + kLabelPitch;
  std::vector<const PlacedLabel*> near;
  for (const PlacedLabel& other : placed) {
    if (other.x0 < *right + width + 4 && *left < other.x1 + 4 && std::fabs(other.y - label.anchor.y) < reach) {
      near.push_back(&other);
    }
  }
  return near;
}

// Places the label of a line that ends inside the plot: at the nearest
// place that covers no line and no label placed before, else at the
// nearest that covers the fewest lines; with a backdrop. False where no
// place inside the plot is free of labels.
bool placeInside(PlacedLabel& label, const PlaceCells& cells, const std::vector<PlacedLabel>& placed,
                 const std::vector<Offset>& offsets, const LineMap& lines, const Frame& frame) {
  const double width = label.x1 - label.x0;
  const double half = kLabelPitch / 2;
  const std::vector<const PlacedLabel*> near = neighbours(label, cells, placed);
  std::uint32_t fewest = std::numeric_limits<std::uint32_t>::max();
  PlacedLabel best = label;
  // Which places lie inside the plot, across and up or down.
  std::array<bool, kAcross.size()> acrossInside;
  for (std::size_t a = 0; a < kAcross.size(); ++a) {
    acrossInside[a] = !(cells.lefts[a] < frame.left + 3 || cells.lefts[a] + width > frame.right - 3);
  }
  std::array<bool, 2 * kSteps + 1> stepInside;
  for (int step = -kSteps; step <= kSteps; ++step) {
    const double y = label.anchor.y + step * half;
    stepInside[static_cast<std::size_t>(step + kSteps)] = !(y - half < frame.top || y + half > frame.bottom);
  }
  for (const Offset& offset : offsets) {
    const std::size_t k = static_cast<std::size_t>(offset.step + kSteps);
    if (!acrossInside[offset.across] || !stepInside[k]) continue;
    const double y = label.anchor.y + offset.step * half;
    const double x0 = cells.lefts[offset.across];
    const std::uint32_t crossed =
        lines.count(cells.firstColumns[offset.across], cells.firstRows[k], cells.lastColumns[offset.across], cells.lastRows[k]);
    if (crossed >= fewest) continue;
    PlacedLabel at = label;
    at.y = y;
    at.x0 = x0;
    at.x1 = x0 + width;
    if (std::any_of(near.begin(), near.end(), [&at](const PlacedLabel* other) { return collide(at, *other); })) continue;
    fewest = crossed;
    best = at;
    if (crossed == 0) break;
  }
  if (fewest == std::numeric_limits<std::uint32_t>::max()) return false;
  label = best;
  // A label over the plot gets a backdrop, so that no grid line runs through its words.
  label.backdrop = Box{label.x0 - 2, label.y - kLabelPitch / 2, label.x1 - label.x0 + 4, kLabelPitch};
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
void spreadLabels(std::vector<PlacedLabel>& labels, double lo, double hi) {
  const std::size_t n = labels.size();
  std::vector<std::size_t> parent(n);
  std::iota(parent.begin(), parent.end(), std::size_t{0});
  std::vector<double> wanted(n);
  for (std::size_t i = 0; i < n; ++i) wanted[i] = labels[i].y;
  std::vector<std::vector<PlacedLabel*>> columns(n);
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

// The leader of a label moved away from its line's end (or start), from
// next to the line to next to the label's words; none where it stays.
std::optional<Segment> leaderOf(const PlacedLabel& label) {
  const bool moved = std::fabs(label.y - label.anchor.y) > 1.5 ||
                     (!label.atStart && std::fabs(label.x0 - label.anchor.x - kLabelGap) > 0.5);
  if (!moved) return std::nullopt;
  if (label.atStart) return Segment{{label.x1 + 1, label.y}, {label.x1 + 5, label.anchor.y}};
  const bool rightOfEnd = label.x0 >= label.anchor.x;
  return Segment{{label.anchor.x + (rightOfEnd ? 1 : -1), label.anchor.y},
                 {rightOfEnd ? label.x0 - 1 : label.x1 + 1, label.y}};
}

// ---------------------------------------------------------------- the chart

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

// What the series of a chart take room for: how many are drawn, the widest
// label (up to kMostLabelRoom), and whether a line ends inside the plot.
struct SeriesRoom {
  std::size_t drawn = 0;
  double widest = 0;
  bool endsInside = false;
};

SeriesRoom roomOf(const LineChart& chart) {
  SeriesRoom room;
  for (const Series& s : chart.series) {
    if (s.points.empty()) continue;
    ++room.drawn;
    room.widest = std::max(room.widest, widthOf(s.label.size()));
    room.endsInside = room.endsInside || endsInsidePlot(s, chart.x.max);
  }
  room.widest = std::min(room.widest, kMostLabelRoom);
  return room;
}

// The widest text of some ticks.
double widestText(const std::vector<Tick>& ticks) {
  double widest = 0;
  for (const Tick& tick : ticks) widest = std::max(widest, static_cast<double>(tick.text.size()) * kTickChar);
  return widest;
}

// Lays out the frame, the axes and the drawing's size; the y tick texts
// and the start labels take room left of the plot, the end labels right of it.
void layOutAxes(ChartLayout& layout, const LineChart& chart, const SeriesRoom& room) {
  Frame& frame = layout.frame;
  frame.xMin = chart.x.min;
  frame.xMax = chart.x.max > chart.x.min ? chart.x.max : chart.x.min + 1;
  frame.yMin = chart.y.min;
  frame.yMax = chart.y.max > chart.y.min ? chart.y.max : chart.y.min + 1;
  frame.downward = chart.y.downward;
  const double plotHeight = plotHeightOf(chart, room.drawn);
  frame.top = chart.legend.empty() ? 12 : 34;
  frame.bottom = frame.top + std::round(plotHeight);

  const double yStep = niceStep(frame.yMax - frame.yMin,
                                plotHeight / (chart.y.downward ? kMinTickGapRows : kMinTickGapY), chart.y.format);
  layout.y.ticks = ticksOf(frame.yMin, frame.yMax, yStep, chart.y.format,
                           [&frame](double value) { return frame.place(0, value).y; });
  const double startRoom = chart.startLabels && room.drawn > 0 ? room.widest + kLabelGap + 4 : 0;
  frame.left = std::round(kPad + kAxisTitle + startRoom + widestText(layout.y.ticks) + 8);
  frame.right = std::round(kWidth - kPad - (room.drawn > 0 ? room.widest + kLabelGap + 10 : 8));
  layout.width = kWidth;
  layout.height = frame.bottom + 44;

  const double xStep = niceStep(frame.xMax - frame.xMin, (frame.right - frame.left) / kMinTickGapX, TickFormat::Integer);
  layout.x.ticks = ticksOf(frame.xMin, frame.xMax, xStep, TickFormat::Integer,
                           [&frame](double value) { return frame.px(value); });
  layout.x.textsAt = frame.bottom + 16;
  layout.x.title = {(frame.left + frame.right) / 2, layout.height - 8};
  layout.y.textsAt = frame.left - 6;
  layout.y.title = {kPad + 10, (frame.top + frame.bottom) / 2};
}

// The places of the legend's entries, in a row above the plot.
std::vector<LegendPlace> legendPlaces(const std::vector<LegendItem>& legend, double x) {
  std::vector<LegendPlace> places;
  for (const LegendItem& item : legend) {
    places.push_back({{x, kLegendY}, x + 8});
    x += 24 + static_cast<double>(item.text.size()) * kTickChar;
  }
  return places;
}

// The x of values in the drawing, worked out once for each whole value:
// the series of a chart share their x values (laps, rounds).
class XPlaces {
 public:
  explicit XPlaces(const Frame& frame) : frame_(frame) {}

  /// The x of `x`, as Frame::px gives it.
  double operator()(double x) {
    if (!(x >= 0 && x < kMostKept) || x != static_cast<double>(static_cast<std::int32_t>(x))) return frame_.px(x);
    const auto index = static_cast<std::size_t>(x);
    if (index >= places_.size()) grow(index);
    return places_[index];
  }

 private:
  static constexpr double kMostKept = 4096;

  void grow(std::size_t index) {
    for (std::size_t next = places_.size(); next <= index; ++next) places_.push_back(frame_.px(static_cast<double>(next)));
  }

  const Frame& frame_;
  std::vector<double> places_;
};

// Scales the points of every series with any into the plot.
void placeLines(ChartLayout& layout, const LineChart& chart) {
  XPlaces xs(layout.frame);
  for (std::size_t i = 0; i < chart.series.size(); ++i) {
    const Series& s = chart.series[i];
    if (s.points.empty()) continue;
    PlacedSeries& line = layout.lines.emplace_back();
    line.series = i;
    line.points.reserve(s.points.size());
    for (const Point& point : s.points) line.points.push_back(layout.frame.placeAt(xs(point.x), point.y));
  }
}

// Places the labels of lines that end inside the plot into free space over
// it; one that finds none joins the labels beside the plot.
void placeInsideLabels(std::vector<PlacedLabel>& inside, std::vector<PlacedLabel>& beside, const ChartLayout& layout) {
  LineMap lines(layout.frame);
  std::vector<PlaceCells> cells;
  cells.reserve(inside.size());
  for (const PlacedLabel& label : inside) {
    const PlaceCells& around = cells.emplace_back(label.anchor, label.x1 - label.x0, lines);
    lines.want(*std::min_element(around.firstColumns.begin(), around.firstColumns.end()), around.firstRows.front(),
               *std::max_element(around.lastColumns.begin(), around.lastColumns.end()), around.lastRows.back());
  }
  for (const PlacedSeries& line : layout.lines) lines.addLine(line.points);
  lines.finish();
  static const std::vector<Offset> offsets = offsetsToTry();
  std::vector<PlacedLabel> placed;
  for (std::size_t i = 0; i < inside.size(); ++i) {
    PlacedLabel& label = inside[i];
    if (placeInside(label, cells[i], placed, offsets, lines, layout.frame)) {
      placed.push_back(label);
      continue;
    }
    label.x0 = layout.frame.right + kLabelGap;
    label.x1 = label.x0 + widthOf(label.units);
    beside.push_back(label);
  }
  inside = std::move(placed);
}

// Places the labels of the lines: at every line's end, beside the plot
// where it reaches the plot's edge or nearly, else over the plot; at every
// line's start too where the chart asks, left of the y tick texts.
void placeLabels(ChartLayout& layout, const LineChart& chart, const SeriesRoom& room) {
  const Frame& frame = layout.frame;
  std::vector<PlacedLabel> beside, inside;
  beside.reserve(2 * room.drawn);
  const double startEdge = frame.left - widestText(layout.y.ticks) - 12;
  for (const PlacedSeries& line : layout.lines) {
    const Series& s = chart.series[line.series];
    const std::size_t units = unitsThatFit(s.label, room.widest);
    const double width = widthOf(units);
    const PlacedPoint& end = line.points.back();
    const double x0 = end.x + kLabelGap;
    (endsInsidePlot(s, frame.xMax) ? inside : beside)
        .push_back({line.series, false, {end.x, end.y}, x0, x0 + width, end.y, units, {}, {}});
    if (chart.startLabels) {
      const double startY = line.points.front().y;
      beside.push_back({line.series, true, {startEdge, startY}, startEdge - width, startEdge, startY, units, {}, {}});
    }
  }
  if (room.endsInside) placeInsideLabels(inside, beside, layout);
  spreadLabels(beside, frame.top, frame.bottom);
  layout.labels = std::move(beside);
  layout.labels.insert(layout.labels.end(), inside.begin(), inside.end());
  for (PlacedLabel& label : layout.labels) label.leader = leaderOf(label);
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

double Frame::px(double x) const { return left + (x - xMin) / (xMax - xMin) * (right - left); }

PlacedPoint Frame::place(double x, double y) const { return placeAt(px(x), y); }

PlacedPoint Frame::placeAt(double x, double y) const {
  double t = (y - yMin) / (yMax - yMin);
  Edge edge = Edge::None;
  if (!(t >= -1e-9)) {   // also NaN
    t = 0;
    edge = downward ? Edge::Top : Edge::Bottom;
  } else if (t > 1 + 1e-9) {
    t = 1;
    edge = downward ? Edge::Bottom : Edge::Top;
  }
  return {x, downward ? top + t * (bottom - top) : bottom - t * (bottom - top), edge};
}

ChartLayout layOut(const LineChart& chart) {
  ChartLayout layout;
  const SeriesRoom room = roomOf(chart);
  layOutAxes(layout, chart, room);
  layout.dense = room.drawn > kDenseSeries;
  layout.legend = legendPlaces(chart.legend, layout.frame.left + 6);
  placeLines(layout, chart);
  placeLabels(layout, chart, room);
  return layout;
}

}  // namespace marvolt::svg
