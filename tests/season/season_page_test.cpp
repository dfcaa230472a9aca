// The season's HTML page read back as XML: both tables with the text
// tables' cells, a chart line per driver and team, names written as they are.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "season/season_races.hpp"
#include "support/harness.hpp"
#include "support/xml_page.hpp"

namespace {

using seasonraces::Car, seasonraces::race, seasonraces::writeSeason;
using testsupport::RunResult, testsupport::TempDir;

RunResult season(const TempDir& dir, const std::vector<std::string>& args) {
  return testsupport::runProgramIn(testsupport::Program::Season, dir, args);
}

TEST(SeasonStandings, HtmlPageWithTablesAndProgressionCharts) {
  TempDir dir;
  writeSeason(dir);
  testsupport::writeFile(dir.file("r4.rpy"), race("<spa>", {{"O'Brien", "<&>", 4}, {"Jim", "Clark", 5}}));
  const RunResult r = season(dir, {"--best=2", "--format=html", "-o", "s.html", "r1.rpy", "r2.rpy", "r3.rpy", "r4.rpy"});
  ASSERT_EQ(r.status, 0) << r.err;
  const testsupport::XmlPage page(r.files.at("s.html"));
  ASSERT_TRUE(page.wellFormed());
  EXPECT_EQ(page.texts("(//h:table)[1]/h:tbody/h:tr/h:td[3]"),
            (std::vector<std::string>{"r1.rpy", "r2.rpy", "r3.rpy", "r4.rpy"}));
  EXPECT_EQ(page.texts("(//h:table)[2]/h:thead/h:tr/h:th[6]"), std::vector<std::string>{"4 <SP"});
  EXPECT_EQ(page.texts("(//h:table)[2]/h:tbody/h:tr[1]/h:td"),
            (std::vector<std::string>{"1", "Jim Clark", "1", "", "2", "(2)", "15", "1", "3", "3", "0", "0", "2", "0",
                                      "1"}));
  EXPECT_EQ(page.texts("(//h:table)[2]/h:tbody/h:tr/h:td[2]").size(), 6u);
  EXPECT_EQ(page.texts("//s:svg[@id='driverpoints']//s:text[@class='lb']").size(), 6u);
  EXPECT_EQ(page.texts("//s:svg[@id='teampoints']//s:text[@class='lb']").size(), 3u);
  EXPECT_EQ(page.texts("//s:svg[@id='driverpoints']//s:title[starts-with(., 'O')]").back(),
            "O'Brien <&>, round 4 <SP: 9 points; 9 in all");
  // A field too large to chart gets a note instead.
  std::vector<Car> crowd;
  for (int i = 0; i < 65; ++i) crowd.push_back({"D", std::to_string(i), 0});
  testsupport::writeFile(dir.file("crowd.rpy"), race("monza", crowd));
  const testsupport::XmlPage crowded(season(dir, {"--format=html", "crowd.rpy"}).out);
  EXPECT_TRUE(crowded.texts("//s:svg[@id='driverpoints']").empty());
  EXPECT_EQ(crowded.texts("//h:p[@class='note']").front(), "No chart: it is drawn for up to 64 rows.");
}

}  // namespace
