// The SVG line chart: nice ticks, a title on every point, points beyond the
// scale on its edge, line labels that never overlap nor sit on other lines,
// and a palette whose cars are told apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "reports/colour.hpp"
#include "reports/svgchart.hpp"
#include "support/xml_page.hpp"

namespace {

using namespace marvolt::svg;
using testsupport::XmlPage;

std::vector<double> numbers(const std::vector<std::string>& texts) {
  std::vector<double> values;
  for (const std::string& t : texts) values.push_back(std::stod(t));
  return values;
}

TEST(SvgChart, NiceSteps) {
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

TEST(SvgChart, LabelsThatWouldCollideAreSpreadApart) {
  // Thirty lines that all end at nearly the same value, and start at
  // nearly the same value too.
  LineChart chart;
  chart.id = "c";
  chart.x = {"Lap", 0, 10};
  chart.y = {"Gap", 0, 100};
  chart.startLabels = true;
  for (int i = 0; i < 30; ++i) {
    chart.series.push_back({u"S" + std::u16string(1, static_cast<char16_t>(u'A' + i)), std::string(paletteColour(i)),
                            {{0, 1.0 + i % 2}, {10, 50.0 + i % 3}}});
  }
  std::string out;
  appendLineChart(out, chart);
  const XmlPage page(out);
  ASSERT_TRUE(page.wellFormed());
  const std::string box = page.texts("//s:svg/@viewBox").at(0);
  const double height = std::stod(box.substr(box.rfind(' ')));
  for (const char* side : {"not(@text-anchor)", "@text-anchor"}) {
    std::vector<double> ys = numbers(page.texts(std::string("//s:text[@class='lb' and ") + side + "]/@y"));
    ASSERT_EQ(ys.size(), 30u);
    std::sort(ys.begin(), ys.end());
    for (std::size_t i = 1; i < ys.size(); ++i) EXPECT_GE(ys[i] - ys[i - 1], 12.9) << side;
    EXPECT_GT(ys.front(), 0);
    EXPECT_LT(ys.back(), height);
  }
}

TEST(SvgChart, EveryPointHasItsTitleAndOffScalePointsSitOnTheEdge) {
  LineChart chart;
  chart.id = "c";
  chart.x = {"Lap", 0, 4};
  chart.y = {"Time", 0, 100, false, TickFormat::Duration};
  chart.series.push_back({u"<one>", "#000", {{0, 5}, {1, 500, Marker::Ring}, {2, -3}, {3, NAN}, {4, 50, Marker::Cross}}});
  chart.series.push_back({u"two", "#111", {{0, 7, Marker::Square}}});
  chart.series.push_back({u"none", "#222", {}});
  chart.pointTitle = [](std::string& out, std::size_t series, std::size_t point) {
    out += "p" + std::to_string(series) + "-" + std::to_string(point) + " &amp;";
  };
  std::string out;
  appendLineChart(out, chart);
  const XmlPage page(out);
  ASSERT_TRUE(page.wellFormed());
  EXPECT_EQ(page.texts("//s:g[@class='pt']/s:path/s:title"),
            (std::vector<std::string>{"p0-0 &", "p0-1 &", "p0-2 &", "p0-3 &", "p0-4 &", "p1-0 &"}));
  EXPECT_EQ(page.texts("//s:g[@class='pt']/s:path/@class"), (std::vector<std::string>{"u", "d", "d", "x", "q"}));
  // A series without points is neither drawn nor labelled.
  EXPECT_EQ(page.texts("//s:text[@class='lb']"), (std::vector<std::string>{"<one>", "two"}));
}

TEST(SvgChart, PaletteColoursAreFarApartReadableAndDashedWhereTheyRepeat) {
  using namespace marvolt::colour;
  const Rgb page{0xf3, 0xf4, 0xf6}, white{0xff, 0xff, 0xff};
  for (std::size_t i = 0; i < 40; ++i) {
    const Rgb line = *parseHex(paletteColour(i));
    EXPECT_GE(contrastRatio(line, page), 3) << i;
    EXPECT_GE(contrastRatio(*parseHex(paletteTextColour(i)), white), 4.5) << i;
    for (std::size_t j = 0; j < i && i < 20; ++j) {
      EXPECT_GE(deltaE2000(toLab(line), toLab(*parseHex(paletteColour(j)))), 15) << i << ' ' << j;
    }
  }
  for (std::size_t i = 0; i < 20; ++i) {
    EXPECT_EQ(dashPattern(i), "");
    EXPECT_NE(dashPattern(i + 20), dashPattern(i));
    EXPECT_NE(dashPattern(i + 40), dashPattern(i));   // the colour of car i again
    EXPECT_NE(dashPattern(i + 40), dashPattern(i + 20));
  }
}

TEST(SvgChart, LabelsOfLinesEndingInsideThePlotSitInFreeSpace) {
  // Twelve cars over 20 laps, packed between 40 and 62; five retire among
  // them, two of them at the same lap and place. The names are long, and
  // none is cut: there is room for them.
  LineChart chart;
  chart.id = "c";
  chart.x = {"Lap", 0, 20};
  chart.y = {"Gap", 0, 100};
  for (int i = 0; i < 12; ++i) {
    const bool retires = i % 2 == 1 && i < 10;
    Series& s = chart.series.emplace_back(Series{u"Car " + std::u16string(1, char16_t(u'A' + i)) + u", Brabham Racing Organisation",
                                                 std::string(paletteColour(i)), {}, static_cast<std::size_t>(i)});
    for (int lap = 0; lap <= (retires ? 8 + (i / 4) * 2 : 20); ++lap) s.points.push_back({double(lap), 40.0 + 2 * i});
  }
  std::string out;
  appendLineChart(out, chart);
  const XmlPage page(out);
  ASSERT_TRUE(page.wellFormed());
  EXPECT_EQ(page.texts("(//s:text[@class='lb'])[1]"), std::vector<std::string>{
      "Car A, Brabham Racing Organisation"});
  // Every line is level: its y, where it starts and where it ends.
  std::vector<std::array<double, 3>> lines;
  for (const std::string& points : page.texts("//s:polyline/@points")) {
    double from = 0, y = 0, to = 0;
    std::sscanf(points.c_str(), "%lf,%lf", &from, &y);
    std::sscanf(points.c_str() + points.rfind(' ') + 1, "%lf", &to);
    lines.push_back({y, from, to});
  }
  ASSERT_EQ(lines.size(), 12u);
  // The retired cars' labels have backdrops: none crosses another car's line
  // or another label, and each has a leader to its line's end.
  const auto xs = numbers(page.texts("//s:rect[@class='lbg']/@x"));
  const auto ys = numbers(page.texts("//s:rect[@class='lbg']/@y"));
  const auto ws = numbers(page.texts("//s:rect[@class='lbg']/@width"));
  const auto hs = numbers(page.texts("//s:rect[@class='lbg']/@height"));
  ASSERT_EQ(xs.size(), 5u);
  EXPECT_EQ(page.texts("//s:g[s:rect]/s:path[@class='lead']").size(), 5u);
  for (std::size_t i = 0; i < xs.size(); ++i) {
    for (const auto& [y, from, to] : lines) {
      EXPECT_FALSE(y > ys[i] && y < ys[i] + hs[i] && from < xs[i] + ws[i] && to > xs[i]) << i << ' ' << y;
    }
    for (std::size_t j = 0; j < i; ++j) {
      EXPECT_FALSE(xs[i] < xs[j] + ws[j] && xs[j] < xs[i] + ws[i] && ys[i] < ys[j] + hs[j] && ys[j] < ys[i] + hs[i]);
    }
  }
}

}  // namespace
