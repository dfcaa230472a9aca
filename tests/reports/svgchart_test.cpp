// The SVG writer: a layout made here drawn as it is, every place where the
// layout puts it; and a chart laid out and drawn whole, with a title on
// every point.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "reports/chartlayout.hpp"
#include "reports/htmlpage.hpp"
#include "reports/svgchart.hpp"
#include "support/xml_page.hpp"

namespace {

using namespace marvolt::svg;
using testsupport::XmlPage;
using Texts = std::vector<std::string>;

void appendPointName(std::string& out, std::size_t series, std::size_t point) {
  out += "p" + std::to_string(series) + "-" + std::to_string(point) + " &amp;";
}

TEST(SvgChart, DrawsTheLayoutItIsGiven) {
  LineChart chart;
  chart.id = "c1";
  chart.title = "Laps & times";
  chart.x.title = "Lap";
  chart.y.title = "Time";
  chart.series.push_back({u"none", "#111", {}});
  chart.series.push_back({u"9 Jim Clark", "#222", {{0, 1}, {1, 2, Marker::Ring}, {2, 9, Marker::Cross}}, 23});
  chart.legend = {{Marker::Square, "unknown flag"}};
  chart.pointTitle = titleAppender(appendPointName);
  ChartLayout layout;
  layout.width = 300;
  layout.height = 200;
  layout.dense = true;
  layout.frame = {40, 260, 20, 160, 0, 2, 0, 8, false};
  layout.x = {{{40, "0"}, {260, "2"}}, 176, {150, 192}};
  layout.y = {{{160, "0"}, {20, "8"}}, 34, {20, 90}};
  layout.legend = {{{46, 15}, 54}};
  layout.lines = {{1, {{40, 142.5, Edge::None}, {150, 125, Edge::None}, {260, 20, Edge::Top}}}};
  layout.labels = {{1, false, {260, 20}, 266, 302, 40, 5, Box{264, 33.25, 40, 13.5}, Segment{{261, 20}, {265, 40}}},
                   {1, true, {20, 142.5}, -20, 20, 142.5, 11, {}, {}}};
  std::string out;
  appendLineChart(out, chart, layout);
  const XmlPage page(out);
  ASSERT_TRUE(page.wellFormed());
  EXPECT_EQ(page.texts("//s:svg/@viewBox"), Texts{"0 0 300 200"});
  EXPECT_EQ(page.texts("//s:svg/@class"), Texts{"chart dense"});
  EXPECT_EQ(page.texts("//s:svg/s:title"), Texts{"Laps & times"});
  EXPECT_EQ(page.texts("//s:path[@class='grid']/@d"), Texts{"M40 160H260M40 20H260M40 20V160M260 20V160"});
  EXPECT_EQ(page.texts("//s:g[@class='tick']/s:text"), (Texts{"0", "8", "0", "2"}));
  EXPECT_EQ(page.texts("//s:g[@class='tick']/s:text/@x"), (Texts{"34", "34", "40", "260"}));
  EXPECT_EQ(page.texts("//s:g[@class='tick']/s:text/@y"), (Texts{"160", "20", "176", "176"}));
  EXPECT_EQ(page.texts("//s:text[@class='axt']/@x"), (Texts{"150", "-90"}));
  EXPECT_EQ(page.texts("//s:text[@class='axt']/@y"), (Texts{"192", "20"}));
  // The line, its markers (a point beyond the scale a triangle on the edge
  // whatever its marker), and their titles after the legend's.
  EXPECT_EQ(page.texts("//s:g[@class='s c k23']/s:polyline/@points"), Texts{"40,142.5 150,125 260,20"});
  EXPECT_EQ(page.texts("//s:polyline/@stroke-dasharray"), Texts{std::string(dashPattern(23))});
  EXPECT_EQ(page.texts("//s:g[@class='pt']/s:path/@d"),
            (Texts{"M43.5 12.5h5v5h-5z", "M40,142.5h0", "M147 125a3 3 0 1 0 6 0a3 3 0 1 0-6 0", "M260 20l3.5 6h-7z"}));
  EXPECT_EQ(page.texts("//s:g[@class='pt']/s:path/s:title"),
            (Texts{"unknown flag", "p1-0 &", "p1-1 &", "p1-2 &"}));
  EXPECT_EQ(page.texts("//s:g[@class='lg']/s:text/@x"), Texts{"54"});
  // The labels: cut to their units, the moved one with its backdrop and leader.
  EXPECT_EQ(page.texts("//s:text[@class='lb']"), (Texts{"9 Ji\u2026", "9 Jim Clark"}));
  EXPECT_EQ(page.texts("//s:text[@class='lb']/@x"), (Texts{"266", "20"}));
  EXPECT_EQ(page.texts("//s:text[@class='lb']/@text-anchor"), Texts{"end"});
  EXPECT_EQ(page.texts("//s:text[@class='lb']/@fill"), Texts(2, std::string(paletteTextColour(23))));
  EXPECT_EQ(page.texts("//s:rect[@class='lbg']/@y"), Texts{"33.3"});
  EXPECT_EQ(page.texts("//s:path[@class='lead']/@d"), Texts{"M261 20L265 40"});
  EXPECT_EQ(page.texts("//s:g[@class='lbs']/s:g/@tabindex"), Texts{"0"});
}

TEST(SvgChart, EveryPointHasItsTitleAndOffScalePointsSitOnTheEdge) {
  LineChart chart;
  chart.id = "c";
  chart.x = {"Lap", 0, 4};
  chart.y = {"Time", 0, 100, false, TickFormat::Duration};
  chart.series.push_back({u"<one>", "#000", {{0, 5}, {1, 500, Marker::Ring}, {2, -3}, {3, NAN}, {4, 50, Marker::Cross}}});
  chart.series.push_back({u"two", "#111", {{0, 7, Marker::Square}}});
  chart.series.push_back({u"none", "#222", {}});
  chart.pointTitle = titleAppender(appendPointName);
  std::string out;
  appendLineChart(out, chart);
  const XmlPage page(out);
  ASSERT_TRUE(page.wellFormed());
  EXPECT_EQ(page.texts("//s:g[@class='pt']/s:path/s:title"),
            (Texts{"p0-0 &", "p0-1 &", "p0-2 &", "p0-3 &", "p0-4 &", "p1-0 &"}));
  EXPECT_EQ(page.texts("//s:g[@class='pt']/s:path/@class"), (Texts{"u", "d", "d", "x", "q"}));
  EXPECT_EQ(page.texts("//s:text[@class='lb']"), (Texts{"<one>", "two"}));
}

// Series of a chart share most x values point by point, and their places
// are worked out once: each point still sits at its own x, where series
// share them, start later, or have x between or beyond the whole values.
TEST(SvgChart, EveryPointSitsAtItsOwnXWhereSeriesShareOrShiftThem) {
  LineChart chart;
  chart.id = "c";
  chart.x = {"Lap", 0, 3};
  chart.y = {"Position", 0, 10};
  const std::vector<std::vector<double>> xs = {{0, 1, 2, 3}, {1, 2, 3}, {0, 1.5, -1, 3}, {0, 1, 2, 5000}};
  for (const std::vector<double>& x : xs) {
    Series& series = chart.series.emplace_back(Series{u"car", "#000", {}});
    for (const double value : x) series.points.push_back({value, 5});
  }
  const Frame frame = layOut(chart).frame;
  Texts expected;
  for (const std::vector<double>& x : xs) {
    std::string points;
    for (const double value : x) {
      if (!points.empty()) points += ' ';
      marvolt::html::appendDecimal(points, frame.px(value));
      points += ',';
      marvolt::html::appendDecimal(points, frame.place(value, 5).y);
    }
    expected.push_back(points);
  }
  std::string out;
  appendLineChart(out, chart);
  EXPECT_EQ(XmlPage(out).texts("//s:polyline/@points"), expected);
}

}  // namespace
