// marvolt-season --league run in the test process: the combinations and
// failures of the option (nothing written on any), the text of a league's
// season, and the sample league's site end to end.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "season/season_races.hpp"
#include "support/harness.hpp"

namespace {

using seasonraces::writeSeason;
using testsupport::RunResult, testsupport::TempDir;

const std::string kUsage = testsupport::readFile(MARVOLT_SOURCE_DIR "/tests/data/marvolt-season-usage.txt");

RunResult season(const TempDir& dir, const std::vector<std::string>& args) {
  return testsupport::runProgramIn(testsupport::Program::Season, dir, args);
}

const std::string kRounds = "[[round]]\nreplay = \"r1.rpy\"\n[[round]]\nreplay = \"r2.rpy\"\n";

std::string penalty(const std::string& driver) {
  return "[[penalty]]\nround = 1\ndriver = \"" + driver + "\"\nseconds = 1\nreason = \"r\"\n";
}

TEST(LeagueCommandLine, CombinationsAndFailuresWriteNothing) {
  TempDir dir;
  writeSeason(dir);
  testsupport::writeText(dir.file("l.toml"), kRounds);
  testsupport::writeText(dir.file("empty.toml"), "name = \"Nothing yet\"\n");
  testsupport::writeText(dir.file("nocst.toml"), "carset = \"nope.cst\"\n" + kRounds);
  testsupport::writeText(dir.file("bad.cst"), "garbage line\n");
  testsupport::writeText(dir.file("badcst.toml"), "carset = \"bad.cst\"\n" + kRounds);
  testsupport::writeText(dir.file("noreplay.toml"), "[[round]]\nreplay = \"sub/gone.rpy\"\n");
  testsupport::writeText(dir.file("absent.toml"), kRounds + penalty("Jim Clarke"));
  // Through the roster, both "Jim Clark" and "Jack Brabham" of round 1 are Jim Clark.
  testsupport::writeText(dir.file("twice.toml"), kRounds + "[[driver]]\nname = \"Jim Clark\"\naliases = [\"Jack Brabham\"]\n" +
                                                     penalty("Jim Clark"));
  testsupport::writeText(dir.file("syntax.toml"), kRounds + "best = \n");
  const std::tuple<std::vector<std::string>, int, std::string, std::string> cases[] = {
      {{"--league", "l.toml", "r1.rpy"}, 255, kUsage,
       "--league cannot be combined with replays: the league file names the rounds\n"},
      {{"--league"}, 255, kUsage, "--league needs the league file to read\n"},
      {{"--league", "gone.toml"}, 1, "", "Error: cannot read gone.toml: no such file\n"},
      {{"--league", "empty.toml"}, 1, "", "Error: empty.toml: the league file names no rounds\n"},
      {{"--league", "nocst.toml"}, 2, "", "Error: cannot read nope.cst: no such file\n"},
      {{"--league", "badcst.toml"}, 2, "", "Error: bad.cst: Syntax error at line 1\n"},
      {{"--league", "noreplay.toml"}, 1, "", "Error: cannot read sub/gone.rpy: no such file\n"},
      {{"--league", "absent.toml", "-o", "out.txt"}, 1, "",
       "Error: absent.toml:7:10: driver \"Jim Clarke\" is not in the race classification of round 1\n"},
      {{"--site", "site", "--league", "twice.toml"}, 1, "",
       "Error: twice.toml:10:10: driver \"Jim Clark\" is in the race classification of round 1 twice\n"},
      {{"--league", "syntax.toml", "--format=json"}, 1, "",
       "Error: syntax.toml:5:8: TOML syntax error (key-value pair): expected value, saw '\\n'\n"},
      {{"--force", "-o", "l.toml", "--league", "l.toml"}, 1, "",
       "Output file l.toml is the league file l.toml; it is not overwritten\n"},
  };
  const auto before = testsupport::regularFiles(dir.path());
  for (const auto& [args, status, out, err] : cases) {
    const RunResult r = season(dir, args);
    EXPECT_EQ(std::tie(r.status, r.out, r.err), std::tie(status, out, err)) << args.back();
    EXPECT_EQ(r.files, before) << args.back();
  }
}

// A league's text: its line first, the roster's names and teams, a "DQ"
// cell, the command line's points over the file's, the decisions last.
TEST(LeagueStandings, TextOfALeagueSeason) {
  TempDir dir;
  writeSeason(dir);
  testsupport::writeText(dir.file("l.toml"),
                         "name = \"Club\"\nseason = \"1967\"\npoints = [1]\nfastest_lap = 1\n" + kRounds +
                             "[[round]]\nreplay = \"r3.rpy\"\nfactor = 2\n"
                             "[[driver]]\nname = \"Denis Hulme\"\naliases = [\"Denny Hulme\"]\nteam = \"Kiwi\"\n"
                             "[[penalty]]\nround = 2\ndriver = \"Denny Hulme\"\ndisqualified = true\nreason = \"Push start\"\n"
                             "[[penalty]]\nround = 3\ndriver = \"Jack Brabham\"\npoints = 20\nreason = \"Team orders\"\n"
                             "[[penalty]]\nround = 1\ndriver = \"Jim Clark\"\nseconds = 0.25\nreason = \"Jumped start\"\n");
  const RunResult r = season(dir, {"--league", "l.toml", "--points=9,6,4"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "Club, season 1967\n"
            "\n"
            "Drivers' Championship\n"
            "\n"
            "Pos Driver        1 MON  2 SPA  3 NUR  Points\n"
            " 1. Graham Hill       2      1     5R      16\n"
            " 2. Jim Clark         3             2      16\n"
            " 3. Jack Brabham      1      2      1      14\n"
            " 4. Chris Amon        4             3       8\n"
            " 5. Denis Hulme             DQ      4       2\n"
            "\n"
            "Teams' Championship\n"
            "\n"
            "Pos Team                         1 MON  2 SPA  3 NUR  Points\n"
            " 1. Brabham Racing Organisation      1      2      1      33\n"
            " 2. Team Lotus                       2      1      2      27\n"
            " 3. Scuderia Ferrari SpA SEFAC       4             3       8\n"
            " 4. Kiwi                                   DQ      4       0\n"
            "\n"
            "Stewards' decisions\n"
            "\n"
            "Round  Driver        Decision      Reason\n"
            "    1  Jim Clark     +0.250 s      Jumped start\n"
            "    2  Denis Hulme   disqualified  Push start\n"
            "    3  Jack Brabham  -20 points    Team orders\n"
            "\n");
}

// A league's names and reasons are shown, never obeyed: each control
// character prints as U+FFFD in the season's text and in messages.
TEST(LeagueStandings, ControlCharactersAreShown) {
  TempDir dir;
  writeSeason(dir);
  testsupport::writeText(dir.file("l.toml"), "name = \"Club\\u001B[31m\"\n" + kRounds +
                                                 "[[driver]]\nname = \"Denny Hulme\"\nteam = \"Ki\\twi\"\n"
                                                 "[[penalty]]\nround = 2\ndriver = \"Denny Hulme\"\n"
                                                 "disqualified = true\nreason = \"Push\\nstart\\u0085\"\n");
  testsupport::writeText(dir.file("bad.toml"), kRounds + penalty("Jim\\u0007Clarke"));
  const RunResult r = season(dir, {"--league", "l.toml"});
  EXPECT_EQ(r.status, 0);
  for (const std::string shown : {"Club\uFFFD[31m\n", " Ki\uFFFDwi ", "  Push\uFFFDstart\uFFFD\n"}) {
    EXPECT_NE(r.out.find(shown), std::string::npos) << shown;
  }
  EXPECT_EQ(r.out.find_first_of("\x1B\x07\t"), std::string::npos);
  EXPECT_NE(season(dir, {"--league", "bad.toml"}).err.find("Jim\uFFFDClarke"), std::string::npos);
}

// The sample league's site: titled with the league's name, each round page
// opening with its official classification and the decisions with reasons.
TEST(LeagueSite, SampleLeagueEndToEnd) {
  TempDir dir;
  const RunResult r = season(dir, {"--league", MARVOLT_SOURCE_DIR "/examples/season/league.toml", "--site", "site"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto files = testsupport::regularFiles(dir.file("site"));
  const std::string& index = files.at("index.html");
  EXPECT_NE(index.find("<title>Historic GPL League 1967</title>"), std::string::npos);
  EXPECT_NE(index.find("<a href=\"round-02-monaco.html\">Monaco Grand Prix</a></td><td>1967-05-07</td>"),
            std::string::npos);
  EXPECT_EQ(index.find(MARVOLT_SOURCE_DIR), std::string::npos);   // replays by file name only
  const std::string& spa = files.at("round-04-spa.html");
  const std::size_t official = spa.find("Official classification");
  EXPECT_LT(official, spa.find("Entry List"));
  EXPECT_NE(spa.find("<tr><td class=\"r x0\">DQ</td><td class=\"y1\">Dan Gurney</td>"), std::string::npos);
  EXPECT_NE(spa.find("<td>Dan Gurney</td><td>disqualified</td><td>Car under the minimum weight at "
                     "scrutineering</td>"),
            std::string::npos);
  EXPECT_NE(files.at("round-02-monaco.html").find("<td class=\"r\">+10.000</td>"), std::string::npos);
  EXPECT_EQ(files.count("driver-denis-hulme.html"), 1u);
}

}  // namespace
