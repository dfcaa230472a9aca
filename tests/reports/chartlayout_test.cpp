// The geometry of a line chart as values: nice ticks and their texts, values
// scaled into the plot (beyond the scale on its edge), and line labels that
// never overlap, nor sit on other lines, with a leader to a moved label.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "reports/chartlayout.hpp"

namespace {

using namespace marvolt::svg;

constexpr double kPitch = 13.5;   // the vertical room of a label

std::vector<std::string> textsOf(const std::vector<Tick>& ticks) {
  std::vector<std::string> texts;
  for (const Tick& tick : ticks) texts.push_back(tick.text);
  return texts;
}

// A chart of the x range `laps` with `count` series of two points each.
LineChart chartOf(Axis y, double laps, int count) {
  LineChart chart;
  chart.x = {"Lap", 0, laps};
  chart.y = std::move(y);
  for (int i = 0; i < count; ++i) {
    std::u16string name = u"S";
    name += static_cast<char16_t>(u'A' + i);
    chart.series.push_back({name, "#000", {{0, 1}, {laps, 2}}});
  }
  return chart;
}

TEST(ChartLayout, NiceSteps) {
  const struct {
    double span, ticks;
    TickFormat format;
    double step;
  } cases[] = {
      {100, 10, TickFormat::Integer, 10}, {0.5, 10, TickFormat::Integer, 1}, {7, 3, TickFormat::Integer, 5},
      {39, 46, TickFormat::Integer, 1},   {13, 10, TickFormat::Duration, 2}, {200, 8, TickFormat::Duration, 30},
      {600, 10, TickFormat::Duration, 60}, {1, 8, TickFormat::Duration, 0.2}, {30000, 5, TickFormat::Duration, 7200},
      {0, 5, TickFormat::Integer, 1},     {NAN, 5, TickFormat::Duration, 1},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(niceStep(c.span, c.ticks, c.format), c.step) << c.span;
}

TEST(ChartLayout, TicksReadAsTheirAxisCounts) {
  // The axes by their numbers alone: the title stays empty.
  const struct {
    double min, max;
    bool downward;
    TickFormat format;
    std::vector<std::string> texts;
  } cases[] = {
      {0, 100, false, TickFormat::Integer, {"0", "20", "40", "60", "80", "100"}},
      {0, 2, false, TickFormat::Duration, {"0.0", "0.5", "1.0", "1.5", "2.0"}},
      {60, 240, false, TickFormat::Duration, {"1:00", "1:30", "2:00", "2:30", "3:00", "3:30", "4:00"}},
      {0, 7200, false, TickFormat::Duration,
       {"0", "15:00", "30:00", "45:00", "1:00:00", "1:15:00", "1:30:00", "1:45:00", "2:00:00"}},
      {0.5, 3.5, true, TickFormat::Integer, {"1", "2", "3"}},
      {5, 5, false, TickFormat::Integer, {"5", "6"}},   // an empty range is one step
  };
  for (const auto& c : cases) {
    Axis y;
    y.min = c.min;
    y.max = c.max;
    y.downward = c.downward;
    y.format = c.format;
    const ChartLayout layout = layOut(chartOf(y, 10, 1));
    EXPECT_EQ(textsOf(layout.y.ticks), c.texts) << c.max;
    // Upwards from the bottom, or downwards from the top for positions.
    const std::vector<Tick>& ticks = layout.y.ticks;
    for (std::size_t i = 1; i < ticks.size(); ++i) EXPECT_EQ(ticks[i].at > ticks[i - 1].at, c.downward);
    EXPECT_DOUBLE_EQ(ticks.front().at, c.downward ? 12 + 200.0 / 6 : layout.frame.bottom);
  }
  // Laps: a tick at least every 46 units of the plot's 1078.
  const ChartLayout laps = layOut(chartOf({"", 0, 1}, 60, 1));
  EXPECT_EQ(laps.frame.right - laps.frame.left, 1078);
  EXPECT_EQ(textsOf(laps.x.ticks),
            (std::vector<std::string>{"0", "5", "10", "15", "20", "25", "30", "35", "40", "45", "50", "55", "60"}));
  EXPECT_EQ(laps.x.ticks.front().at, laps.frame.left);
  EXPECT_EQ(laps.x.ticks.back().at, laps.frame.right);
}

TEST(ChartLayout, ValuesBeyondTheScaleSitOnItsEdge) {
  const struct {
    bool downward;
    double value, y;
    Edge edge;
  } cases[] = {
      {false, 50, 60, Edge::None},    {false, 100, 10, Edge::None}, {false, 150, 10, Edge::Top},
      {false, -5, 110, Edge::Bottom}, {false, NAN, 110, Edge::Bottom},
      {true, 0, 10, Edge::None},      {true, 25, 35, Edge::None},   {true, -5, 10, Edge::Top},
      {true, 150, 110, Edge::Bottom}, {true, NAN, 10, Edge::Top},
  };
  for (const auto& c : cases) {
    const Frame frame{100, 200, 10, 110, 0, 10, 0, 100, c.downward};
    const PlacedPoint p = frame.place(5, c.value);
    EXPECT_EQ(p.x, 150);
    EXPECT_EQ(p.y, c.y) << c.downward << ' ' << c.value;
    EXPECT_EQ(p.edge, c.edge) << c.downward << ' ' << c.value;
  }
  // A series without points is neither drawn nor labelled.
  LineChart chart = chartOf({"", 0, 100}, 4, 2);
  chart.series.insert(chart.series.begin(), Series{u"none", "#000", {}});
  const ChartLayout layout = layOut(chart);
  ASSERT_EQ(layout.lines.size(), 2u);
  EXPECT_EQ(layout.lines[0].series, 1u);
  for (const PlacedLabel& label : layout.labels) EXPECT_NE(label.series, 0u);
}

// Checks the leader of a label: none where it stays by its line's end (or
// start); else from beside that end to beside its words.
void expectLeader(const PlacedLabel& label) {
  const bool moved = std::fabs(label.y - label.anchor.y) > 1.5 ||
                     (!label.atStart && std::fabs(label.x0 - label.anchor.x - 6) > 0.5);
  ASSERT_EQ(label.leader.has_value(), moved) << label.series;
  if (!moved) return;
  const Segment& leader = *label.leader;
  if (label.atStart) {
    EXPECT_EQ(leader.from.x, label.x1 + 1);
    EXPECT_EQ(leader.from.y, label.y);
    EXPECT_EQ(leader.to.y, label.anchor.y);
  } else {
    EXPECT_EQ(std::fabs(leader.from.x - label.anchor.x), 1);
    EXPECT_EQ(leader.from.y, label.anchor.y);
    EXPECT_TRUE(leader.to.x == label.x0 - 1 || leader.to.x == label.x1 + 1);
    EXPECT_EQ(leader.to.y, label.y);
  }
}

TEST(ChartLayout, LabelsThatWouldCollideAreSpreadApart) {
  // Thirty lines that all end at nearly the same value, and start at
  // nearly the same value too.
  LineChart chart = chartOf({"Gap", 0, 100}, 10, 30);
  chart.startLabels = true;
  for (int i = 0; i < 30; ++i) chart.series[i].points = {{0, 1.0 + i % 2}, {10, 50.0 + i % 3}};
  const ChartLayout layout = layOut(chart);
  const Frame& frame = layout.frame;
  ASSERT_EQ(layout.labels.size(), 60u);
  for (const bool atStart : {false, true}) {
    std::vector<double> ys;
    for (const PlacedLabel& label : layout.labels) {
      if (label.atStart != atStart) continue;
      ys.push_back(label.y);
      EXPECT_LE(atStart ? label.x1 : frame.right, atStart ? frame.left : label.x0);
      EXPECT_FALSE(label.backdrop);
      expectLeader(label);
    }
    std::sort(ys.begin(), ys.end());
    for (std::size_t i = 1; i < ys.size(); ++i) EXPECT_GE(ys[i] - ys[i - 1], kPitch - 1e-6) << atStart;
    EXPECT_GE(ys.front(), frame.top);
    EXPECT_LE(ys.back(), frame.bottom);
  }
}

TEST(ChartLayout, LabelsOfLinesEndingInsideThePlotSitInFreeSpace) {
  // Twelve cars over 20 laps, packed between 40 and 62; five retire among
  // them, two of them at the same lap and place. The names are long, and
  // none is cut: there is room for them.
  LineChart chart = chartOf({"Gap", 0, 100}, 20, 12);
  for (int i = 0; i < 12; ++i) {
    Series& s = chart.series[i];
    s.label += u", Brabham Racing Organisation";
    s.points.clear();
    const bool retires = i % 2 == 1 && i < 10;
    for (int lap = 0; lap <= (retires ? 8 + (i / 4) * 2 : 20); ++lap) s.points.push_back({double(lap), 40.0 + 2 * i});
  }
  const ChartLayout layout = layOut(chart);
  std::vector<const PlacedLabel*> inside;
  for (const PlacedLabel& label : layout.labels) {
    EXPECT_EQ(label.units, chart.series[label.series].label.size());
    expectLeader(label);
    if (label.backdrop) inside.push_back(&label);
  }
  ASSERT_EQ(inside.size(), 5u);
  for (std::size_t i = 0; i < inside.size(); ++i) {
    const Box& box = *inside[i]->backdrop;
    EXPECT_TRUE(inside[i]->leader);
    EXPECT_TRUE(box.x > layout.frame.left && box.x + box.width < layout.frame.right);
    // Every line is level: none runs through the label's box.
    for (const PlacedSeries& line : layout.lines) {
      const double y = line.points.front().y, from = line.points.front().x, to = line.points.back().x;
      EXPECT_FALSE(y > box.y && y < box.y + box.height && from < box.x + box.width && to > box.x) << i << ' ' << y;
    }
    for (std::size_t j = 0; j < i; ++j) {
      const Box& other = *inside[j]->backdrop;
      EXPECT_FALSE(box.x < other.x + other.width && other.x < box.x + box.width && box.y < other.y + other.height &&
                   other.y < box.y + box.height);
    }
  }
}

}  // namespace
