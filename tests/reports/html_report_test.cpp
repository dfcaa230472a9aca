// The HTML page through a run of marvolt, read back with an XML parser:
// well-formed whatever the names hold, the sections of the switches, one
// colour per car in tables and charts.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "reports/svgchart.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"
#include "support/xml_page.hpp"

namespace {

using namespace testsupport;

const std::string kFFFD = "\xEF\xBF\xBD";

// Names with markup, quotes, control bytes and an undefined code-page byte;
// a practice with flagged laps and a race with a car that stopped.
ReplayBuilder hostileWeekend() {
  ReplayBuilder b;
  b.weekend.track = "<i>monza</i>";
  b.addSlot(kPractice, 0x7FFF, 1800.0f);
  b.addSlot(kRace, 2, 604800.0f);
  b.addDriver(7, 1, "O'Brien", "<&>", 5);
  b.addDriver(3, 2, "\"Q\"", "]]>", 3);
  b.addDriver(12, 3, "a\x01" "b\x1F", "\x81" "c", 9);
  b.sessions.push_back({CarLapsRec{1, {lapWord(0), lapWord(90000, 0x40), lapWord(180000, 0x10)}},
                        CarLapsRec::fromClocks(2, {500, 91000})});
  b.sessions.push_back({CarLapsRec::fromClocks(1, {10, 100, 190}), CarLapsRec::fromClocks(2, {12, 105, 200}),
                        CarLapsRec::fromClocks(3, {15, 110})});
  return b;
}

RunResult page(const ReplayBuilder& b, std::vector<std::string> args) {
  args.insert(args.begin(), "--format=html");
  return runReplay(b, args);
}

TEST(HtmlReport, HostileNamesReadAsWritten) {
  const RunResult r = page(hostileWeekend(), {"--laps"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const XmlPage xml(r.out);
  ASSERT_TRUE(xml.wellFormed());
  EXPECT_EQ(r.out.rfind("<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">", 0), 0u);
  const std::string control = "a" + kFFFD + "b" + kFFFD + " " + kFFFD + "c";
  EXPECT_EQ(xml.texts("//h:h1"), std::vector<std::string>{"<i>monza</i>"});
  EXPECT_EQ(xml.texts("(//h:table)[1]/h:tbody/h:tr/h:td[@class='y1']"),
            (std::vector<std::string>{"\"Q\" ]]>", "O'Brien <&>", control}));
  EXPECT_EQ(xml.texts("//s:svg[@id='lapchart-2']//s:text[@class='lb']").size(), 6u);
  EXPECT_EQ(xml.texts("//s:svg[@id='lapchart-2']//s:title[starts-with(., '7 O')]")[0], "7 O'Brien <&>, lap 0: P1, 0.000");
  EXPECT_EQ(xml.texts("//h:h4")[0], "7 O'Brien <&>");
  // Nothing from the replay became markup.
  EXPECT_TRUE(xml.texts("//h:i | //h:script | //s:script").empty());
}

TEST(HtmlReport, SamplePageIsWellFormed) {
  const std::string examples = std::string(MARVOLT_SOURCE_DIR) + "/examples/";
  const RunResult r = run({"--format=html", "--laps", "--cst", examples + "sample.cst", examples + "sample.rpy"});
  ASSERT_EQ(r.status, 0);
  const XmlPage xml(r.out);
  ASSERT_TRUE(xml.wellFormed());
  EXPECT_EQ(xml.texts("(//h:table)[1]/h:tbody/h:tr/h:td[@class='y1']").size(), 18u);
  EXPECT_EQ(xml.texts("//s:svg").size(), 3u);
  // A lapped car's gap is the laps it is behind.
  EXPECT_EQ(xml.texts("//h:h2[starts-with(@id, 'race-')]/following::h:table[1]/h:tbody/h:tr"
                      "[h:td[3] = 'Guy Ligier' or h:td[3] = 'Denny Hulme']/h:td[6]"),
            (std::vector<std::string>{"+1 lap", "+3 laps"}));
}

TEST(HtmlReport, SectionsFollowTheSwitches) {
  const struct {
    std::vector<std::string> args;
    std::string xpath;
    std::size_t count;
  } cases[] = {
      {{}, "/h:html/h:head/h:title[. = '<i>monza</i> \xC2\xB7 gpl67 \xC2\xB7 race report']", 1},
      {{}, "//h:header/h:p[. = 'Carset gpl67 \xC2\xB7 Replay saved by Saver Person']", 1},
      {{}, "//h:h2[. = 'Entry List']", 1},
      {{}, "//h:h2[starts-with(., 'Practice Results')]", 1},
      {{}, "//h:h2[@id = 'race-2']/following::h:h3[starts-with(., 'Race Fastest Laps')]", 1},
      {{}, "//s:svg[@id = 'lapchart-2' or @id = 'gapchart-2' or @id = 'laptimechart-2']", 3},
      {{}, "//h:h2[@id = 'laps'] | //h:h3[starts-with(@id, 'laps-')]", 0},
      {{"--no-header"}, "//h:header | //h:h1", 0},
      {{"--no-header"}, "/h:html/h:head/h:title[. = 'Race report']", 1},
      {{"--no-header"}, "//s:svg", 3},
      {{"--laps"}, "//h:h2[@id = 'laps']/following::h:h3[starts-with(@id, 'laps-')]", 2},
      {{"--laps"}, "//h:td[@class = 'o' and @title = 'Off Track'] | //h:td[@class = 'x' and @title = 'Invalid']", 2},
      // Race row of the winner: laps 2, laps led 2, best lap 0.090.
      {{}, "//h:h2[@id = 'race-2']/following::h:table[1]/h:tbody/h:tr[1][h:td[4] = '2' and h:td[8] = '2' and "
           "h:td[9] = '0.090']", 1},
  };
  for (const auto& c : cases) {
    const XmlPage xml(page(hostileWeekend(), c.args).out);
    ASSERT_TRUE(xml.wellFormed());
    EXPECT_EQ(xml.texts(c.xpath).size(), c.count) << ::testing::PrintToString(c.args) << c.xpath;
  }
  // A weekend of testing only has no race, so no chart; a field larger
  // than any race (a damaged replay) has its tables but no chart.
  ReplayBuilder testing;
  testing.addSlot(kTesting, 0x7FFF, 600.0f);
  testing.addDriver(1, 1, "Solo", "Driver");
  testing.sessions.push_back({CarLapsRec::fromClocks(1, {0, 90000})});
  ReplayBuilder crowd;
  crowd.addSlot(kRace, 1, 604800.0f);
  crowd.sessions.resize(1);
  for (std::uint32_t car = 1; car <= 65; ++car) {
    crowd.addDriver(car, car, "D", std::to_string(car));
    crowd.sessions[0].push_back(CarLapsRec::fromClocks(car, {car, 90000 + car}));
  }
  for (const auto& [replay, notes] : {std::pair{testing, 0u}, {crowd, 1u}}) {
    const XmlPage quiet(page(replay, {}).out);
    EXPECT_TRUE(quiet.wellFormed());
    EXPECT_TRUE(quiet.texts("//s:svg").empty());
    EXPECT_EQ(quiet.texts("//h:p[starts-with(., 'No charts')]").size(), notes);
  }
}

TEST(HtmlReport, EveryCarKeepsItsColour) {
  const XmlPage xml(page(hostileWeekend(), {"--laps"}).out);
  ASSERT_TRUE(xml.wellFormed());
  const std::vector<std::string> numbers = xml.texts("(//h:table)[1]/h:tbody/h:tr/h:td[1]");
  const std::vector<std::string> swatches = xml.texts("(//h:table)[1]/h:tbody/h:tr/h:td[1]/h:span/@style");
  ASSERT_EQ(numbers, (std::vector<std::string>{"3", "7", "12"}));
  std::map<std::string, std::size_t> listed;   // start number: place in the palette
  std::map<std::string, std::string> colour;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    listed[numbers[i]] = i;
    colour[numbers[i]] = swatches[i].substr(swatches[i].find('#'));
    EXPECT_EQ(colour[numbers[i]], marvolt::svg::paletteColour(i));
  }
  // Each line label has its car's class (for hovering) and text colour, and
  // each swatch of a lap table its car's colour.
  const std::vector<std::string> labels = xml.texts("//s:text[@class='lb']");
  const std::vector<std::string> fills = xml.texts("//s:text[@class='lb']/@fill");
  const std::vector<std::string> groups = xml.texts("//s:text[@class='lb']/../@class");
  ASSERT_EQ(labels.size(), 12u);   // both ends in the lap chart, the end in the others
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const std::size_t car = listed.at(labels[i].substr(0, labels[i].find(' ')));
    EXPECT_EQ(fills[i], marvolt::svg::paletteTextColour(car));
    EXPECT_EQ(groups[i], "c k" + std::to_string(car));
  }
  const std::vector<std::string> cars = xml.texts("//h:h4");
  const std::vector<std::string> styles = xml.texts("//h:h4/h:span/@style");
  for (std::size_t i = 0; i < cars.size(); ++i) {
    EXPECT_EQ(styles[i].substr(styles[i].find('#')), colour[cars[i].substr(0, cars[i].find(' '))]);
  }
}

}  // namespace
