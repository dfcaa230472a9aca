// The league website of marvolt-season --site: the sample season's site
// through the binary (every file reached by its links, every link resolved,
// the data and standings as the other formats give them, each driver's page
// adding up), the runs that write nothing or leave other files alone, the
// slugs of odd names, and the driver's and team's pages as renderers of
// season values made in the test.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "season/site.hpp"
#include "season/sitepages.hpp"
#include "support/harness.hpp"
#include "support/xml_page.hpp"

namespace {

using testsupport::RunResult, testsupport::TempDir, testsupport::XmlPage;

const std::string kExamples = std::string(MARVOLT_SOURCE_DIR) + "/examples/";
// The rows of the rounds table of a driver's or a team's page.
const std::string kRoundRows = "//h:h2[@id='rounds']/following-sibling::h:div[1]//h:tbody/h:tr";

std::vector<std::string> withRounds(std::vector<std::string> args, int rounds = 4) {
  for (int r = 1; r <= rounds; ++r) args.push_back(kExamples + "season/round" + std::to_string(r) + ".rpy");
  return args;
}

RunResult season(const TempDir& dir, const std::vector<std::string>& args) {
  return testsupport::runProgramIn(testsupport::Program::Season, dir, args);
}

std::map<std::string, std::string> filesIn(const std::string& dir) {
  std::map<std::string, std::string> files;
  if (!std::filesystem::is_directory(dir)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    files[entry.path().filename().string()] = testsupport::readFile(entry.path().string());
  }
  return files;
}

std::string sumOfCounted(const std::vector<std::string>& cells) {
  long total = 0;
  for (const std::string& cell : cells) total += cell.empty() || cell[0] == '(' ? 0 : std::stol(cell);
  return std::to_string(total);
}

TEST(Site, SampleSeasonLinksDataAndStandings) {
  TempDir dir;
  const std::vector<std::string> scoring = {"--fastest-lap=1", "--best=3", "--cst", kExamples + "sample.cst"};
  std::vector<std::string> args = scoring;
  args.insert(args.end(), {"--site", "out"});
  const RunResult r = season(dir, withRounds(args));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out + r.err, "Writing site to directory " + dir.file("out") + "\n");
  const std::map<std::string, std::string> site = filesIn(dir.file("out"));

  // The data as marvolt and marvolt-season write it; the round page is the
  // race page with the site's navigation.
  args = scoring;
  args.push_back("--format=json");
  const std::string json = season(dir, withRounds(args)).out;
  EXPECT_EQ(site.at("season.json"), json);
  const std::string round2 = kExamples + "season/round2.rpy";
  const std::string carset = kExamples + "sample.cst";
  EXPECT_EQ(site.at("round-02-monaco.json"),
            testsupport::run({"--format=json", "--laps", "--cst", carset, round2}).out);
  const std::string cars = "//h:div[@class='cars']";
  EXPECT_EQ(XmlPage(site.at("round-02-monaco.html")).texts(cars),
            XmlPage(testsupport::run({"--format=html", "--cst", carset, round2}).out).texts(cars));

  // Every file is reached from index.html, and every link names a file of
  // the site or an element of it.
  std::set<std::string> reached = {"index.html"};
  std::vector<std::string> pages = {"index.html"};
  while (!pages.empty()) {
    const std::string name = pages.back();
    pages.pop_back();
    const XmlPage page(site.at(name));
    ASSERT_TRUE(page.wellFormed()) << name;
    for (const std::string& href : page.texts("//h:a/@href")) {
      const std::size_t hash = href.find('#');
      const std::string file = hash == 0 ? name : href.substr(0, hash);
      ASSERT_EQ(site.count(file), 1u) << name << " links " << href;
      if (hash != std::string::npos) {
        EXPECT_EQ(XmlPage(site.at(file)).texts("//*[@id='" + href.substr(hash + 1) + "']").size(), 1u) << href;
      }
      if (reached.insert(file).second && file.ends_with(".html")) pages.push_back(file);
    }
  }
  EXPECT_EQ(reached.size(), site.size());
  for (const char* round : {"round-01-kyalami", "round-02-monaco", "round-03-zandvoort", "round-04-spa"}) {
    EXPECT_EQ(site.count(round + std::string(".html")) + site.count(round + std::string(".json")), 2u) << round;
  }

  // The tables of index.html are the JSON standings; each row's page adds
  // its counted round points up to the row's total.
  rapidjson::Document doc;
  doc.Parse(json.data(), json.size());
  const XmlPage index(site.at("index.html"));
  for (const auto& [table, key] : {std::pair{"drivers", "driver"}, {"teams", "team"}}) {
    const std::string rows = std::string("//h:h2[@id='") + table + "']/following-sibling::h:div[1]//h:tbody/h:tr";
    const std::vector<std::string> names = index.texts(rows + "/h:td[2]");
    const std::vector<std::string> points = index.texts(rows + "/h:td[last()-8]");
    const std::vector<std::string> links = index.texts(rows + "/h:td[2]/h:a/@href");
    ASSERT_EQ(names.size(), doc[table].Size());
    ASSERT_EQ(links.size(), names.size());
    EXPECT_EQ(std::set<std::string>(links.begin(), links.end()).size(), links.size());
    for (rapidjson::SizeType i = 0; i < doc[table].Size(); ++i) {
      const auto& row = doc[table][i];
      EXPECT_EQ(names[i], row[key].GetString());
      EXPECT_EQ(points[i], std::to_string(row["points"].GetUint64()));
      const XmlPage page(site.at(links[i]));
      EXPECT_EQ(page.texts("//h:tfoot//h:td[1]"), std::vector<std::string>{points[i]}) << links[i];
      EXPECT_EQ(sumOfCounted(page.texts(kRoundRows + "/h:td[4]")), points[i]) << links[i];
    }
  }
}

// Failing runs leave the directory as it was (or unmade); a good run
// replaces the site's own files and no other.
TEST(Site, WritesNothingOnFailureAndOnlyItsOwnFiles) {
  TempDir dir;
  const std::string round1 = testsupport::readFile(kExamples + "season/round1.rpy");
  testsupport::writeText(dir.file("a.rpy"), round1);
  testsupport::writeText(dir.file("cut.rpy"), round1.substr(0, 1000));
  testsupport::writeText(dir.file("plain"), "a file");
  std::filesystem::create_directory(dir.file("out"));
  std::filesystem::create_directories(dir.file("busy/index.html"));
  testsupport::writeText(dir.file("out/notes.txt"), "mine");
  testsupport::writeText(dir.file("out/index.html"), "old");
  testsupport::writeText(dir.file("out/round-01-kyalami.json"), round1);
  const std::string usage = season(dir, {"--help"}).out;
  const std::string cutError = "Error: cut.rpy: Bad file length (" + std::to_string(round1.size()) +
                               " != 1000) reading file cut.rpy\n";
  const std::tuple<std::vector<std::string>, int, std::string, std::string> cases[] = {
      {{"--site", "new", "a.rpy", "cut.rpy"}, 1, "", cutError},
      {{"--site", "plain", "a.rpy"}, 1, "", "Error: cannot write the site into plain: it is not a directory\n"},
      {{"--site", "nope/deeper", "a.rpy"}, 1, "", "Error: nope/deeper: No such file or directory\n"},
      {{"--site", "plain/deeper", "a.rpy"}, 1, "", "Error: plain/deeper: Not a directory\n"},
      {{"--site", "busy", "a.rpy"}, 1, "",
       "Error: cannot write the site file busy/index.html: it is not a regular file\n"},
      {{"--site", "out", "out/round-01-kyalami.json"}, 1, "",
       "Output file out/round-01-kyalami.json is the replay file out/round-01-kyalami.json; it is not overwritten\n"},
      {{"-o", "x", "--site", "new", "a.rpy"}, 255, usage,
       "--site cannot be combined with -o: the site's files go into its directory\n"},
      {{"--site", "new", "--format=txt", "a.rpy"}, 255, usage,
       "--site cannot be combined with --format=txt: the site holds its pages and their JSON data\n"},
      {{"a.rpy", "--site"}, 255, usage, "--site needs the directory to write the site into\n"},
  };
  for (const auto& [args, status, out, err] : cases) {
    const RunResult r = season(dir, args);
    EXPECT_EQ(std::tie(r.status, r.out, r.err), std::tie(status, out, err)) << args[1];
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("new")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("busy")), {}), 1);
  EXPECT_EQ(testsupport::readFile(dir.file("plain")), "a file");
  EXPECT_EQ(filesIn(dir.file("out")).at("index.html"), "old");

  const RunResult r = season(dir, {"--site", "out", "a.rpy"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::map<std::string, std::string> site = filesIn(dir.file("out"));
  EXPECT_EQ(site.at("notes.txt"), "mine");
  EXPECT_NE(site.at("index.html"), "old");
  EXPECT_NE(site.at("round-01-kyalami.json"), round1);
  EXPECT_EQ(site.size(), 1 + 2 + 2 + 10 + 7u);   // notes, index and season, the round, drivers, teams
}

TEST(Site, SlugsAreAsciiLowerCaseAndUnique) {
  const std::vector<std::u16string> names = {
      u"Jim Clark", u"Jim Clark", u"jim-clark-2", u"P\u00E9dro Rodr\u00EDguez", u"J\u00FCrgen Gro\u00DFe-\u00C6bel",
      u"O'Brien, \u0141. \u0152uvre", u" ", u"", u"\u30B8\u30E0", u"-- Jim  Clark! --",
      u"An Extremely Long Team Name Of A Carset That Goes On And On"};
  EXPECT_EQ(marvolt::uniqueSlugs(names, "driver"),
            (std::vector<std::string>{"jim-clark", "jim-clark-2", "jim-clark-2-2", "pedro-rodriguez",
                                      "jurgen-grosse-aebel", "obrien-l-oeuvre", "driver", "driver-2", "driver-3",
                                      "jim-clark-3", "an-extremely-long-team-name-of-a-carset-that-goe"}));
}

// A driver's and a team's page render the values of their rows: a dropped
// score, a retirement, the bonus, laps led and best laps, the team's drivers
// linked to their pages, and a round not entered.
marvolt::StandingsRow tableRow(std::uint32_t position, const std::u16string& name, std::int64_t points,
                               std::uint32_t wins, std::uint64_t lapsLed,
                               std::vector<std::optional<marvolt::RoundResult>> results,
                               std::vector<std::int64_t> progression, std::vector<std::uint32_t> positions) {
  marvolt::StandingsRow row;
  row.position = position;
  row.id = row.name = name;
  row.points = points;
  row.wins = wins;
  row.lapsLed = lapsLed;
  row.results = std::move(results);
  row.progression = std::move(progression);
  row.positions = std::move(positions);
  return row;
}

marvolt::RoundSummary summary(const std::string& file, const std::u16string& track, const std::u16string& winner) {
  marvolt::RoundSummary round;
  round.file = file;
  round.track = track;
  round.winner = winner;
  return round;
}

TEST(SitePages, MemberPagesRenderTheirSeasonValues) {
  using namespace marvolt;
  Standings s;
  s.rounds = {summary("a.rpy", u"monza", u"Al One"), summary("b.rpy", u"spa", u"Bo Two")};
  const RoundResult won{.position = 1, .points = 10, .fastestLap = true, .bonus = 1, .lapsLed = 3, .bestLap = 90500};
  const RoundResult dropped{.position = 2, .retired = true, .points = 6, .counted = false, .lapsLed = 1};
  s.drivers = {tableRow(1, u"Al One", 10, 1, 4, {won, dropped}, {10, 10}, {1, 2}),
               tableRow(2, u"Bo Two", 9, 1, 7, {std::nullopt, RoundResult{.position = 1, .points = 9}}, {0, 9}, {0, 1})};
  RoundResult both = won;
  both.drivers = {1, 0};
  s.teams = {tableRow(1, u"Lotus", 10, 1, 3, {both, std::nullopt}, {10, 10}, {1, 1})};
  const std::vector<SiteRound> rounds;
  const SiteNames names{{"round-01-monza", "round-02-spa"}, {"driver-al.html", "driver-bo.html"}, {"team-lotus.html"}};
  const Scoring scoring;
  const SitePages pages(rounds, s, scoring, names);
  const std::string cells = kRoundRows + "/h:td";
  EXPECT_EQ(XmlPage(renderToString([&](OutputSink& sink) { pages.driverPage(sink, 0); })).texts(cells),
            (std::vector<std::string>{"1", "monza", "1", "10", "3", "1:30.500", "+1",
                                      "2", "spa", "2R", "(6)", "1", "-.---", ""}));
  EXPECT_EQ(XmlPage(renderToString([&](OutputSink& sink) { pages.driverPage(sink, 0); })).texts("//h:tfoot//h:td"), (std::vector<std::string>{"10", "4", "", ""}));
  const XmlPage team(renderToString([&](OutputSink& sink) { pages.teamPage(sink, 0); }));
  EXPECT_EQ(team.texts(cells), (std::vector<std::string>{"1", "monza", "1", "10", "3", "1:30.500", "Bo Two, Al One",
                                                         "2", "spa", "", "", "", "", ""}));
  EXPECT_EQ(team.texts(cells + "/h:a/@href"),
            (std::vector<std::string>{"round-01-monza.html", "driver-bo.html", "driver-al.html", "round-02-spa.html"}));
}

}  // namespace
