// The league file: every way a file is refused with its one message, a good
// file read into its value (paths relative to the file's folder), who is who
// between the replays and the roster, and the official classification after
// the stewards' decisions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/telvo.hpp"
#include "season/league.hpp"
#include "season/official.hpp"
#include "season/roster.hpp"
#include "support/harness.hpp"

namespace marvolt {
namespace {

using testsupport::errorOf;

const std::string kRound = "[[round]]\nreplay = \"r.rpy\"\n";   // lines 1 and 2 of the penalty cases

struct BadFile {
  std::string text;
  std::string message;   ///< after "FILE:"
};

TEST(League, BadFilesEndWithOneMessage) {
  const BadFile cases[] = {
      {"name = \n", "1:8: TOML syntax error (key-value pair): expected value, saw '\\n'"},
      {"best = 2\nbest = 3\n", "2:8: TOML syntax error (key-value pair): cannot redefine existing integer 'best'"},
      {"[[round]]\nreplay = \"a\"\ndate = 1967-02-30\n",
       "3:18: TOML syntax error (date): expected day between 1 and 28 (inclusive), saw 30"},
      {"name = \"x\"\npionts = [9, 6]\n", "2:1: unknown key \"pionts\""},
      {"[scoring]\npoints = [1]\n", "1:2: unknown table \"scoring\""},
      // A letter where whitespace may stand: no whitespace, a syntax error.
      {"points = [10, \u02A2]\n", "1:15: TOML syntax error (value): could not determine value type"},
      {kRound + "replya = \"b.rpy\"\n", "3:1: unknown key \"replya\" in [[round]]"},
      {"[[driver]]\nname = \"A\"\nteam = \"T\"\ncar = 3\n", "4:1: unknown key \"car\" in [[driver]]"},
      {"season = 1967\n", "1:10: \"season\" must be a string"},
      {"points = []\n", "1:10: \"points\" must be a non-empty list of whole numbers from 0 to 4294967295"},
      {"points = [9, 6.5]\n", "1:14: \"points\" must be a non-empty list of whole numbers from 0 to 4294967295"},
      {"points = [9, 4294967296]\n", "1:14: \"points\" must be a non-empty list of whole numbers from 0 to 4294967295"},
      {"fastest_lap = -1\n", "1:15: \"fastest_lap\" must be a whole number from 0 to 4294967295"},
      {"best = 0\n", "1:8: \"best\" must be a whole number from 1 to 4294967295"},
      {"carset_auto = \"yes\"\n", "1:15: \"carset_auto\" must be true or false"},
      {kRound + "factor = 101\n", "3:10: \"factor\" must be a whole number from 0 to 100"},
      {kRound + "date = \"1967-01-02\"\n", "3:8: \"date\" must be a date, written YYYY-MM-DD"},
      {"[round]\nreplay = \"a.rpy\"\n", "1:1: \"round\" must be written as [[round]] tables"},
      {"[[round]]\nname = \"Monaco\"\n", "1: a [[round]] needs \"replay\""},
      {"[[driver]]\nteam = \"Lotus\"\n", "1: a [[driver]] needs \"name\""},
      {"[[driver]]\nname = \"A\"\naliases = [\"B\", 3]\n", "3:17: \"aliases\" must be a list of strings"},
      {"[[driver]]\nname = \"Jim Clark\"\n[[driver]]\nname = \"Jimmy\"\naliases = [\"J\", \"Jim Clark\"]\n",
       "5:17: \"Jim Clark\" is already a name of the driver \"Jim Clark\""},
      {kRound + "[[penalty]]\nround = 2\ndriver = \"A\"\nseconds = 5\nreason = \"r\"\n",
       "4:9: there is no round 2: the league file has 1 round"},
      {"[[penalty]]\nround = 0\ndriver = \"A\"\nseconds = 5\nreason = \"r\"\n",
       "2:9: there is no round 0: the league file has no rounds"},
      {kRound + "[[penalty]]\nround = \"1\"\n", "4:9: \"round\" must be a whole number"},
      {kRound + "[[penalty]]\nround = 1\ndriver = \"A\"\nseconds = 5\n", "3: a [[penalty]] needs \"reason\""},
      {kRound + "[[penalty]]\nround = 1\nreason = \"r\"\nseconds = 5\n", "3: a [[penalty]] needs \"driver\""},
      {kRound + "[[penalty]]\nround = 1\ndriver = \"A\"\nreason = \"r\"\n",
       "3: a [[penalty]] needs one of \"seconds\", \"positions\", \"disqualified\" or \"points\""},
      {kRound + "[[penalty]]\nround = 1\ndriver = \"A\"\nseconds = 5\npoints = 2\nreason = \"r\"\n",
       "7:1: a [[penalty]] takes only one of \"seconds\", \"positions\", \"disqualified\" or \"points\""},
      {kRound + "[[penalty]]\nseconds = 0\n",
       "4:11: \"seconds\" must be a number greater than 0 and at most 86400, with at most three decimals"},
      {kRound + "[[penalty]]\nseconds = 1.2345\n",
       "4:11: \"seconds\" must be a number greater than 0 and at most 86400, with at most three decimals"},
      {kRound + "[[penalty]]\nseconds = 86400.5\n",
       "4:11: \"seconds\" must be a number greater than 0 and at most 86400, with at most three decimals"},
      {kRound + "[[penalty]]\nseconds = nan\n",
       "4:11: \"seconds\" must be a number greater than 0 and at most 86400, with at most three decimals"},
      {kRound + "[[penalty]]\npositions = 0\n", "4:13: \"positions\" must be a whole number from 1 to 4294967295"},
      {kRound + "[[penalty]]\npoints = 2.0\n", "4:10: \"points\" must be a whole number from 1 to 4294967295"},
      {kRound + "[[penalty]]\ndisqualified = false\n", "4:16: \"disqualified\" can only be true"},
      {kRound + "[[penalty]]\nround = 1\nreason = \"r\"\nwhy = \"w\"\n", "6:1: unknown key \"why\" in [[penalty]]"},
  };
  const testsupport::TempDir dir;
  const std::string path = dir.file("league.toml");
  for (const BadFile& c : cases) {
    testsupport::writeText(path, c.text);
    EXPECT_EQ(errorOf([&] { readLeague(path); }), path + ":" + c.message) << c.text;
  }
  EXPECT_EQ(errorOf([&] { readLeague(dir.file("none.toml")); }), "cannot read " + dir.file("none.toml") + ": no such file");
}

TEST(League, GoodFileReadIntoItsValue) {
  const testsupport::TempDir dir;
  testsupport::writeText(dir.file("league.toml"), R"(name = "Historic GPL League"
season = "1967"
points = [9, 6, 4, 3, 2, 1]
fastest_lap = 1
best = 8
carset = "cst/gpl67.cst"

[[round]]
replay = "replays/kyalami.rpy"
name = "South African Grand Prix"
date = 1967-01-02
factor = 2

[[round]]
replay = "/abs/monaco.rpy"

[[driver]]
name = "Jim Clark"
aliases = ["J. Clark", "Jimmy Clark"]
team = "Team Lotus"

[[penalty]]
reason = "Avoidable contact, lap 1"
round = 2
driver = "Graham Hill"
seconds = 10.25

[[penalty]]
round = 1
driver = "J. Clark"
disqualified = true
reason = "Underweight"
)");
  const League league = readLeague(dir.file("league.toml"));
  EXPECT_EQ(league.file, dir.file("league.toml"));
  EXPECT_EQ(league.name, u"Historic GPL League");
  EXPECT_EQ(league.season, u"1967");
  EXPECT_EQ(league.points, (std::vector<std::uint32_t>{9, 6, 4, 3, 2, 1}));
  EXPECT_EQ(league.fastestLap, 1u);
  EXPECT_EQ(league.best, 8u);
  EXPECT_EQ(league.carset, dir.file("cst/gpl67.cst"));
  EXPECT_FALSE(league.carsetAuto);
  ASSERT_EQ(league.rounds.size(), 2u);
  EXPECT_EQ(league.rounds[0].replay, dir.file("replays/kyalami.rpy"));
  EXPECT_EQ(league.rounds[0].name, u"South African Grand Prix");
  EXPECT_EQ(league.rounds[0].date, "1967-01-02");
  EXPECT_EQ(league.rounds[0].factor, 2u);
  EXPECT_EQ(league.rounds[1].replay, "/abs/monaco.rpy");
  EXPECT_FALSE(league.rounds[1].name || league.rounds[1].date);
  EXPECT_EQ(league.rounds[1].factor, 1u);
  ASSERT_EQ(league.drivers.size(), 1u);
  EXPECT_EQ(league.drivers[0].aliases, (std::vector<std::u16string>{u"J. Clark", u"Jimmy Clark"}));
  EXPECT_EQ(league.drivers[0].team, u"Team Lotus");
  ASSERT_EQ(league.penalties.size(), 2u);
  const LeaguePenalty& time = league.penalties[0];
  EXPECT_EQ(std::tie(time.round, time.driver, time.kind, time.value, time.reason),
            std::make_tuple(2u, u"Graham Hill", PenaltyKind::Time, 10250u, u"Avoidable contact, lap 1"));
  EXPECT_EQ(std::tie(time.source.line, time.source.column), std::make_tuple(25u, 10u));
  EXPECT_EQ(league.penalties[1].kind, PenaltyKind::Disqualified);

  // Relative to the folder of the path as given; nothing at all is a league too.
  EXPECT_EQ(parseLeague(kRound + "[[round]]\nreplay = \"../b.rpy\"", "leagues/l.toml").rounds[1].replay,
            "leagues/../b.rpy");
  const League automatic = parseLeague("carset_auto = true\n" + kRound, "l.toml");
  EXPECT_TRUE(automatic.carsetAuto);
  EXPECT_EQ(automatic.rounds[0].replay, "r.rpy");
  EXPECT_TRUE(parseLeague("", "l.toml").rounds.empty());
}

// The roster of the identity cases.
std::vector<LeagueDriver> roster() {
  return {{u"Jim Clark", {u"J. Clark", u"Jimmy Clark"}, u"Team Lotus"},
          {u"Pedro Rodríguez", {}, std::nullopt},
          {u"Иван Петров", {}, std::nullopt}};
}

TEST(League, WhoIsWho) {
  struct Case {
    std::u16string name;
    std::optional<std::size_t> driver;
    std::u16string nearMiss;   ///< the roster spelling warned about; empty for none
  };
  const Case cases[] = {
      {u"Jim Clark", 0, u""},           {u"Jimmy Clark", 0, u""},
      {u"jim clark", std::nullopt, u"Jim Clark"},
      {u"J.Clark", std::nullopt, u"J. Clark"},
      {u"PEDRO RODRIGUEZ", std::nullopt, u"Pedro Rodríguez"},
      {u"Pedro Rodriguez", std::nullopt, u"Pedro Rodríguez"},
      {u"Иван Сидоров", std::nullopt, u""},   // letters outside Latin are kept as they are
      {u"Jim Clarke", std::nullopt, u""},
      {u"Jim-Clark", std::nullopt, u""},
  };
  const std::vector<LeagueDriver> drivers = roster();
  for (const Case& c : cases) {
    EXPECT_EQ(rosterDriverOf(drivers, c.name), c.driver) << toUtf8(c.name);
    const std::optional<NearMiss> miss = nearMissOf(drivers, c.name);
    EXPECT_EQ(miss ? miss->spelling : u"", c.nearMiss) << toUtf8(c.name);
  }
  EXPECT_EQ(nearMissWarning(2, "replays/monaco.rpy", u"Pedro Rodriguez", u"Pedro Rodríguez"),
            "round 2 (replays/monaco.rpy): driver \"Pedro Rodriguez\" is not in the league file; "
            "\"Pedro Rodríguez\" is");
  // An unused alias is warned; an unused name only when none of its aliases is held either.
  const std::vector<std::u16string> held = {u"J. Clark", u"Pedro Rodríguez"};
  EXPECT_EQ(unusedRosterNames(drivers, held), (std::vector<std::u16string>{u"Jimmy Clark", u"Иван Петров"}));
  EXPECT_EQ(unusedRosterWarning(u"Jimmy Clark"), "driver \"Jimmy Clark\" of the league file is in no round");
}

TEST(League, PenaltiesFindTheirCars) {
  struct Case {
    std::vector<std::u16string> rows;
    std::u16string driver;
    std::string found;   ///< the row, or the message after "FILE:LINE:COLUMN: "
  };
  const Case cases[] = {
      {{u"Graham Hill", u"J. Clark"}, u"Jimmy Clark", "1"},
      {{u"Graham Hill", u"J. Clark"}, u"Graham Hill", "0"},
      {{u"Graham Hill", u"J. Clark"}, u"Jack Brabham",
       "driver \"Jack Brabham\" is not in the race classification of round 1"},
      {{u"Jim Clark", u"Graham Hill", u"J. Clark"}, u"Jim Clark",
       "driver \"Jim Clark\" is in the race classification of round 1 twice"},
  };
  for (const Case& c : cases) {
    League league;
    league.file = "l.toml";
    league.drivers = roster();
    league.penalties = {{1, c.driver, PenaltyKind::Places, 2, u"r", {7, 10}}};
    std::string found;
    const std::string message = errorOf([&] { found = std::to_string(penaltyRow(league, league.penalties[0], c.rows)); });
    EXPECT_EQ(message.empty() ? found : message, message.empty() ? c.found : "l.toml:7:10: " + c.found);
    if (message.empty()) {
      EXPECT_EQ(roundDecisions(league, 1, c.rows)[0].row, std::stoul(c.found));
    }
  }
}

// The official classification in one line: each car by its letter in the
// replay's order (A first), its position or "DQ", "R" for a retirement and
// "=" its penalised time when penalised.
std::string officialLine(std::span<const RaceCar> cars, std::span<const CarDecision> decisions) {
  std::string line;
  for (const OfficialRow& row : officialClassification(cars, decisions)) {
    line += static_cast<char>('A' + row.row);
    line += row.position ? std::to_string(*row.position) : "DQ";
    if (row.retired) line += "R";
    if (row.penaltyMs > 0) line += "=" + std::to_string(row.raceTimeMs);
    line += " ";
  }
  return line;
}

TEST(League, OfficialClassification) {
  using K = PenaltyKind;
  struct Case {
    const char* what;
    std::vector<CarDecision> decisions;
    std::string official;
  };
  // A to D on the lead lap, E retired a lap down, F two laps down.
  const std::vector<RaceCar> cars = {{10, 100000, false}, {10, 103000, false}, {10, 105000, false},
                                     {10, 109000, false}, {9, 95000, true},    {8, 99000, false}};
  const Case cases[] = {
      {"no decision", {}, "A1 B2 C3 D4 E5R F6 "},
      {"time within the lap", {{0, K::Time, 4000}}, "B1 A2=104000 C3 D4 E5R F6 "},
      {"an equal time keeps the replay's order", {{1, K::Time, 2000}}, "A1 B2=105000 C3 D4 E5R F6 "},
      {"no car on fewer laps passes", {{0, K::Time, 600000}}, "B1 C2 D3 A4=700000 E5R F6 "},
      {"a retired car takes a penalty", {{4, K::Time, 10000}}, "A1 B2 C3 D4 E5R=105000 F6 "},
      {"places whatever the laps", {{1, K::Places, 3}}, "A1 C2 D3 E4R B5 F6 "},
      {"places not below the last car", {{1, K::Places, 9}, {1, K::Places, 1}}, "A1 C2 D3 E4R F5 B6 "},
      {"places in file order", {{0, K::Places, 1}, {1, K::Places, 1}}, "A1 B2 C3 D4 E5R F6 "},
      {"places in file order, reversed", {{1, K::Places, 1}, {0, K::Places, 1}}, "C1 A2 B3 D4 E5R F6 "},
      {"the winner disqualified", {{0, K::Disqualified, 0}}, "B1 C2 D3 E4R F5 ADQ "},
      {"several decisions on one car, and a points deduction",
       {{0, K::Time, 2000}, {2, K::Disqualified, 0}, {0, K::Time, 2000}, {0, K::Places, 1}, {1, K::Points, 5}},
       "B1 A2=104000 D3 E4R F5 CDQ "},
      {"disqualified cars last in their order", {{3, K::Disqualified, 0}, {1, K::Time, 9000}, {1, K::Disqualified, 0}},
       "A1 C2 E3R F4 DDQ BDQ=112000 "},
  };
  for (const Case& c : cases) EXPECT_EQ(officialLine(cars, c.decisions), c.official) << c.what;
}

}  // namespace
}  // namespace marvolt
