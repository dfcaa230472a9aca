// A league's rounds scored: the stewards' decisions, the round's factor and
// the deductions through to the championship, who is who between the
// replays and the roster with its warnings, and the statistics of drivers
// and teams.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <fmt/format.h>

#include "frontend/telvo.hpp"
#include "season/league.hpp"
#include "season/leaguerounds.hpp"
#include "season/standings.hpp"
#include "support/harness.hpp"

namespace marvolt {
namespace {

// A round from its race classification, one car per text in the replay's
// order: "Name/Team laps seconds", "!" at the end for a retirement; the
// fastest laps by rows.
Round race(const std::vector<std::string>& cars, std::vector<std::size_t> fastest = {}) {
  Round round;
  round.file = "r.rpy";
  round.track = u"monza";
  round.fastestLaps = std::move(fastest);
  for (const std::string& text : cars) {
    RoundCar& car = round.classification.emplace_back();
    const std::size_t slash = text.find('/');
    const std::size_t space = text.find(' ', slash);
    car.replayName = car.driver = toUtf16(text.substr(0, slash));
    car.team = toUtf16(text.substr(slash + 1, space - slash - 1));
    std::size_t end = 0;
    car.laps = static_cast<std::int16_t>(std::stoi(text.substr(space + 1), &end));
    car.raceTime = static_cast<std::uint32_t>(std::stoul(text.substr(space + 1 + end)) * 1000);
    car.retired = text.back() == '!';
    car.finishPosition = static_cast<std::uint32_t>(round.classification.size());
    round.entryDrivers.push_back(car.replayName);
  }
  return round;
}

// The league file of the top-level keys `top`, `rounds` rounds (a factor
// per round where given) and the tables `rest`.
League league(const std::string& top, std::size_t rounds, const std::string& rest,
              const std::vector<int>& factors = {}) {
  std::string text = top;
  for (std::size_t r = 0; r < rounds; ++r) {
    text += "[[round]]\nreplay = \"r" + std::to_string(r + 1) + ".rpy\"\n";
    if (r < factors.size()) text += "factor = " + std::to_string(factors[r]) + "\n";
  }
  return parseLeague(text + rest, "league.toml");
}

std::string penalty(int round, const std::string& driver, const std::string& decision) {
  return "[[penalty]]\nround = " + std::to_string(round) + "\ndriver = \"" + driver + "\"\n" + decision +
         "\nreason = \"r\"\n";
}

// The official order of each round ("B A C*": * disqualified, + bonus),
// then the drivers' table: name, total, each round's points.
std::string outcome(const Standings& s) {
  std::string out;
  for (const RoundSummary& round : s.rounds) {
    for (const OfficialResult& row : round.classification) {
      out += toUtf8(row.driver) + (row.disqualified ? "*" : "") + (round.fastestLap == row.driver ? "+" : "") + " ";
    }
    out += "| ";
  }
  for (const StandingsRow& row : s.drivers) {
    out += toUtf8(row.name) + " " + std::to_string(row.points) + " [";
    for (const auto& r : row.results) {
      const std::string cell = r ? std::to_string(r->points) : "-";
      out += r && !r->counted ? "(" + cell + ")" : cell;
      out += &r == &row.results.back() ? "" : " ";
    }
    out += "] ";
  }
  return out;
}

struct Case {
  const char* what;
  std::vector<Round> rounds;
  std::string top;    ///< before the rounds
  std::string file;   ///< after the rounds
  std::vector<int> factors;
  std::string expected;
};

TEST(LeagueScoring, DecisionsFactorsAndDeductionsThroughToTheTable) {
  const Round three = race({"A/T 10 100", "B/U 10 103", "C/V 9 90!"}, {2, 1, 0});
  const Case cases[] = {
      {"no decision", {three}, "", "", {}, "A B C+ | A 9 [9] B 6 [6] C 5 [5] "},
      {"time within the lap", {three}, "", penalty(1, "A", "seconds = 3.5"), {},
       "B A C+ | B 9 [9] A 6 [6] C 5 [5] "},
      {"time across laps: no car on fewer laps passes", {three}, "", penalty(1, "A", "seconds = 900"), {},
       "B A C+ | B 9 [9] A 6 [6] C 5 [5] "},
      {"places at the end", {three}, "", penalty(1, "A", "positions = 5"), {}, "B C+ A | B 9 [9] C 7 [7] A 4 [4] "},
      {"the winner disqualified", {three}, "", penalty(1, "A", "disqualified = true"), {},
       "B C+ A* | B 9 [9] C 7 [7] A 0 [0] "},
      {"the fastest lap disqualified: the next fastest earns it", {three}, "", penalty(1, "C", "disqualified = true"), {},
       "A B+ C* | A 9 [9] B 7 [7] C 0 [0] "},
      {"double points, bonus too", {three}, "", "", {2}, "A B C+ | A 18 [18] B 12 [12] C 10 [10] "},
      {"factor 0 scores nothing and still decides by wins", {three}, "", "", {0}, "A B C+ | A 0 [0] B 0 [0] C 0 [0] "},
      {"a deduction after best-N, from its round on, below zero", {three, race({"B/U 10 1", "A/T 10 2"})},
       "best = 1\n", penalty(1, "C", "points = 15") + penalty(2, "A", "points = 7"), {},
       "A B C+ | B A | B 9 [(6) 9] A 2 [9 (6)] C -10 [5 -] "},
      {"best-N with a disqualified round: a 0 to drop", {three, race({"A/T 10 1", "B/U 10 2"})},
       "best = 1\n", penalty(1, "A", "disqualified = true"), {}, "B C+ A* | A B | B 9 [9 (6)] A 9 [(0) 9] C 7 [7 -] "},
  };
  for (const Case& c : cases) {
    const League file = league("points = [9, 6, 4]\nfastest_lap = 1\n" + c.top, c.rounds.size(), c.file, c.factors);
    std::vector<Round> rounds = c.rounds;
    EXPECT_EQ(applyLeague(file, rounds), std::vector<std::string>{}) << c.what;
    EXPECT_EQ(outcome(computeStandings(rounds, leagueScoring(file, {}))), c.expected) << c.what;
  }
}

// The scoring of the file unless the command line set it.
TEST(LeagueScoring, CommandLineOverridesTheFile) {
  const League file = league("points = [5]\nfastest_lap = 2\nbest = 3\n", 1, "");
  ScoringChoices given;
  given.scoring.points = {1, 2};
  given.points = true;
  given.scoring.best = 1;
  given.best = true;
  const Scoring scoring = leagueScoring(file, given);
  EXPECT_EQ(scoring.points, (std::vector<std::uint32_t>{1, 2}));
  EXPECT_EQ(scoring.fastestLap, 2u);
  EXPECT_EQ(scoring.best, 1u);
}

TEST(LeagueScoring, WhoIsWhoWarningsAndStatistics) {
  const std::string roster =
      "[[driver]]\nname = \"Jim Clark\"\naliases = [\"J. Clark\", \"Jimmy Clark\"]\nteam = \"Lotus\"\n"
      "[[driver]]\nname = \"Denis Hulme\"\naliases = [\"Denny Hulme\"]\n"
      "[[driver]]\nname = \"Jo Siffert\"\n";
  std::vector<Round> rounds = {race({"J. Clark/Cooper 10 100", "Denny Hulme/Brabham 10 101", "jim clark/BRM 10 102"}),
                               race({"Jim Clark/Cooper 10 100", "jim clark/BRM 10 102", "Denny Hulme/Brabham 9 101!"},
                                    {1})};
  rounds[1].pole = u"J. Clark";
  rounds[1].poleTeam = u"Cooper";
  const League file = league("", 2, roster + penalty(2, "J. Clark", "points = 2"));
  EXPECT_EQ(applyLeague(file, rounds),
            (std::vector<std::string>{
                "round 1 (r.rpy): driver \"jim clark\" is not in the league file; \"Jim Clark\" is",
                "round 2 (r.rpy): driver \"jim clark\" is not in the league file; \"Jim Clark\" is",
                "driver \"Jimmy Clark\" of the league file is in no round",
                "driver \"Jo Siffert\" of the league file is in no round"}));
  const Standings s = computeStandings(rounds, leagueScoring(file, {}));
  std::string stats;
  for (const auto* table : {&s.drivers, &s.teams}) {
    for (const StandingsRow& row : *table) {
      stats += fmt::format("{} {}: {} starts {} wins {} podiums {} poles {} fl {} dnf best {} -{}; ", toUtf8(row.name),
                           row.points, row.starts, row.wins, row.podiums, row.poles, row.fastestLaps,
                           row.retirements, row.bestFinish, row.pointsDeducted);
    }
  }
  EXPECT_EQ(stats,
            "Jim Clark 16: 2 starts 2 wins 2 podiums 1 poles 0 fl 0 dnf best 1 -2; "
            "Denis Hulme 10: 2 starts 0 wins 2 podiums 0 poles 0 fl 1 dnf best 2 -0; "
            "jim clark 10: 2 starts 0 wins 2 podiums 0 poles 1 fl 0 dnf best 2 -0; "
            "Lotus 18: 2 starts 2 wins 2 podiums 1 poles 0 fl 0 dnf best 1 -0; "
            "Brabham 10: 2 starts 0 wins 2 podiums 0 poles 0 fl 1 dnf best 2 -0; "
            "BRM 10: 2 starts 0 wins 2 podiums 0 poles 1 fl 0 dnf best 2 -0; ");
}

}  // namespace
}  // namespace marvolt
