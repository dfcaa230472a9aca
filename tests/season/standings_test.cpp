// The season values: points scale, dropped scores, teams' best-placed cars,
// countback and name order, progression, and each driver's and team's
// rounds with the fastest-lap bonus, laps led, best laps and a team's
// drivers. The default scale is checked end to end (season_cli_test.cpp).
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "frontend/telvo.hpp"
#include "season/standings.hpp"

namespace marvolt {
namespace {

// A round from its classification, one "First Last/Team" per car from the
// winner down, "!" after it for a retirement, then "|laps led|best lap" when
// they matter; `fastest` is the order of the fastest laps by rows.
Round round(const std::vector<std::string>& cars, std::vector<std::size_t> fastest = {}) {
  Round r;
  r.file = "r.rpy";
  r.track = u"monza";
  r.fastestLaps = std::move(fastest);
  for (const std::string& spec : cars) {
    std::string car = spec.substr(0, spec.find('|'));
    const bool retired = car.back() == '!';
    if (retired) car.pop_back();
    const auto slash = car.find('/');
    RoundCar& c = r.classification.emplace_back();
    c.replayName = c.driver = toUtf16(car.substr(0, slash));
    c.team = toUtf16(car.substr(slash + 1));
    c.retired = retired;
    if (const auto bar = spec.find('|'); bar != std::string::npos) {
      c.lapsLed = static_cast<std::uint32_t>(std::stoul(spec.substr(bar + 1)));
      const std::string best = spec.substr(spec.find('|', bar + 1) + 1);
      if (!best.empty()) c.bestLap = static_cast<std::uint32_t>(std::stoul(best));
    }
  }
  return r;
}

// A table in one line: "name points [cells]"; a cell is position, "R" for a
// retirement, "=" and its points, in parentheses when dropped, "-" when absent.
std::string summary(const std::vector<StandingsRow>& rows) {
  std::string out;
  for (const StandingsRow& row : rows) {
    out += std::to_string(row.position) + "." + toUtf8(row.name) + " " + std::to_string(row.points) + " [";
    for (const auto& r : row.results) {
      std::string cell = r ? std::to_string(r->position) + (r->retired ? "R" : "") + "=" + std::to_string(r->points) : "-";
      out += (r && !r->counted ? "(" + cell + ")" : cell) + (&r == &row.results.back() ? "" : " ");
    }
    out += "]; ";
  }
  return out;
}

struct Case {
  const char* what;
  std::vector<Round> rounds;
  Scoring scoring;
  std::string drivers;
  std::string teams;
};

TEST(Standings, ScoringTable) {
  const Scoring byDefault;
  const Case cases[] = {
      {"a scale of its own, shorter than the field",
       {round({"A A/T", "B B/U", "C C/V"})},
       Scoring{{10, 8}, 0, std::nullopt},
       "1.A A 10 [1=10]; 2.B B 8 [2=8]; 3.C C 0 [3=0]; ",
       "1.T 10 [1=10]; 2.U 8 [2=8]; 3.V 0 [3=0]; "},
      {"two cars of one team: the best-placed one scores, wherever it stands",
       {round({"A A/Lotus", "B B/Lotus", "C C/BRM"}), round({"C C/BRM", "B B/Lotus!", "A A/Lotus!"})},
       byDefault,
       "1.A A 13 [1=9 3R=4]; 2.C C 13 [3=4 1=9]; 3.B B 12 [2=6 2R=6]; ",
       "1.Lotus 15 [1=9 2R=6]; 2.BRM 13 [3=4 1=9]; "},
      {"a driver missing from rounds: blank there; one without points is listed with 0",
       {round({"A A/T", "B B/T"}), round({"A A/T", "C C/T", "D D/T", "E E/T", "F F/T", "G G/T", "H H/T"}),
        round({"B B/T"})},
       byDefault,
       "1.A A 18 [1=9 1=9 -]; 2.B B 15 [2=6 - 1=9]; 3.C C 6 [- 2=6 -]; 4.D D 4 [- 3=4 -]; 5.E E 3 [- 4=3 -]; "
       "6.F F 2 [- 5=2 -]; 7.G G 1 [- 6=1 -]; 8.H H 0 [- 7=0 -]; ",
       "1.T 27 [1=9 1=9 1=9]; "},
      {"the best two scores count; of equal scores the later is dropped; zeros too",
       {round({"A A/T", "B B/T", "C C/T"}), round({"B B/T", "A A/T", "C C/T"}), round({"A A/T", "C C/T", "B B/T"})},
       Scoring{{9, 6}, 0, 2},
       "1.A A 18 [1=9 (2=6) 1=9]; 2.B B 15 [2=6 1=9 (3=0)]; 3.C C 6 [3=0 (3=0) 2=6]; ",
       "1.T 18 [1=9 1=9 (1=9)]; "},
  };
  for (const Case& c : cases) {
    const Standings s = computeStandings(c.rounds, c.scoring);
    EXPECT_EQ(summary(s.drivers), c.drivers) << c.what;
    EXPECT_EQ(summary(s.teams), c.teams) << c.what;
  }
}

TEST(Standings, TiesGoByCountbackOverAllResultsThenByName) {
  // Only the best score counts: nine points for each winner. P won twice
  // (one win dropped, still counted back), R has a second place more than
  // Q; d and E are equal in everything and go by name without case, as do
  // W, Y and Z on six points.
  const std::vector<Round> rounds = {round({"P P/T", "Q Q/T", "d d/T"}), round({"P P/T", "R R/T", "E E/T"}),
                                     round({"Q Q/T", "R R/T", "Z Z/T"}), round({"R R/T", "Z Z/T", "Y Y/T"}),
                                     round({"d d/T", "Y Y/T", "W W/T"}), round({"E E/T", "W W/T", "V V/T"})};
  const Standings s = computeStandings(rounds, Scoring{{9, 6, 0}, 0, 1});
  std::string order;
  for (const StandingsRow& row : s.drivers) order += toUtf8(row.name) + "=" + std::to_string(row.points) + " ";
  EXPECT_EQ(order, "P P=9 R R=9 Q Q=9 d d=9 E E=9 W W=6 Y Y=6 Z Z=6 V V=0 ");
}

TEST(Standings, ProgressionWinsAndRoundWinners) {
  const std::vector<Round> rounds = {round({"A A/T", "B B/U"}), round({"B B/U"}), round({}),
                                     round({"A A/T", "C C/V"})};
  const Standings s = computeStandings(rounds, Scoring{{9, 6}, 0, 2});
  ASSERT_EQ(s.drivers.size(), 3u);
  EXPECT_EQ(s.drivers[0].progression, (std::vector<std::int64_t>{9, 9, 9, 18}));
  EXPECT_EQ(s.drivers[1].progression, (std::vector<std::int64_t>{6, 15, 15, 15}));
  // The championship position after each round; none before the first entered.
  EXPECT_EQ(s.drivers[0].positions, (std::vector<std::uint32_t>{1, 2, 2, 1}));
  EXPECT_EQ(s.drivers[1].positions, (std::vector<std::uint32_t>{2, 1, 1, 2}));
  EXPECT_EQ(s.drivers[2].positions, (std::vector<std::uint32_t>{0, 0, 0, 3}));
  EXPECT_EQ(s.drivers[1].wins, 1u);
  EXPECT_EQ(s.rounds[1].winner, u"B B");
  EXPECT_EQ(s.rounds[2].winner, std::nullopt);   // nobody classified
}

// A row's season in one line: the laps led in all, then per round its
// position ("R" for a retirement), points (in parentheses when dropped),
// "+bonus" (also "+0") for a
// driver's fastest lap, laps led, best lap, and a team's drivers by rows.
std::string season(const StandingsRow& row) {
  std::string out = toUtf8(row.name) + " led " + std::to_string(row.lapsLed) + ":";
  for (const auto& r : row.results) {
    if (!r) {
      out += " -;";
      continue;
    }
    out += fmt::format(fmt::runtime(r->counted ? " {}{}{}" : " {}{}({})"), r->position, r->retired ? "R " : " ",
                       r->points);
    if (r->fastestLap) out += fmt::format("+{}", r->bonus);
    out += fmt::format(" L{} B{}", r->lapsLed, r->bestLap == NOTIME ? "-" : std::to_string(r->bestLap));
    for (const std::size_t d : r->drivers) out += fmt::format(" d{}", d);
    out += ";";
  }
  return out;
}

// The fastest lap goes to the first of the order (a bonus of its driver,
// dropped or not); a team adds up the laps its cars led and takes their
// best lap; the cars of the entry lists are the season's drivers, those
// never classified numbered after the table.
TEST(Standings, SeasonOfEachDriverAndTeam) {
  std::vector<Round> rounds = {round({"A A/Lotus|3|90", "B B/Lotus|2|88", "C C/BRM!"}, {1, 0}),
                               round({"C C/BRM|4|91", "A A/Lotus|1|92"})};
  rounds[0].entryDrivers = {u"A A", u"X X", u"C C"};
  rounds[1].entryDrivers = {u"X X", u"Y Y", u"A A"};
  const std::pair<Scoring, std::vector<std::string>> cases[] = {
      {Scoring{{9, 6, 4}, 1, std::nullopt},
       {"A A led 4: 1 9 L3 B90; 2 6 L1 B92;", "C C led 4: 3R 4 L0 B-; 1 9 L4 B91;", "B B led 2: 2 7+1 L2 B88; -;",
        "Lotus led 6: 1 9 L5 B88 d0 d2; 2 6 L1 B92 d0;", "BRM led 4: 3R 4 L0 B- d1; 1 9 L4 B91 d1;"}},
      {Scoring{{9, 6, 4}, 0, 1},
       {"A A led 4: 1 9 L3 B90; 2 (6) L1 B92;", "C C led 4: 3R (4) L0 B-; 1 9 L4 B91;",
        "B B led 2: 2 6+0 L2 B88; -;", "Lotus led 6: 1 9 L5 B88 d0 d2; 2 (6) L1 B92 d0;",
        "BRM led 4: 3R (4) L0 B- d1; 1 9 L4 B91 d1;"}},
  };
  for (const auto& [scoring, expected] : cases) {
    const Standings s = computeStandings(rounds, scoring);
    std::vector<std::string> rows;
    for (const auto* table : {&s.drivers, &s.teams}) {
      for (const StandingsRow& row : *table) rows.push_back(season(row));
    }
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(s.rounds[0].entryDrivers, (std::vector<std::size_t>{0, 3, 1}));
    EXPECT_EQ(s.rounds[1].entryDrivers, (std::vector<std::size_t>{3, 4, 0}));
  }
}

}  // namespace
}  // namespace marvolt

namespace marvolt {
namespace {

// Every link to a round has text: its name, else its track, else "Round N".
TEST(Standings, RoundLinkTexts) {
  const std::tuple<std::optional<std::u16string>, std::u16string, std::u16string> cases[] = {
      {u"Monaco Grand Prix", u"monaco", u"Monaco Grand Prix"}, {u"", u"monaco", u"monaco"},
      {std::nullopt, u"monaco", u"monaco"}, {std::nullopt, u"   ", u"Round 3"}, {std::nullopt, u"", u"Round 3"}};
  for (const auto& [name, track, text] : cases) {
    RoundSummary round;
    round.name = name;
    round.track = track;
    EXPECT_EQ(roundLinkText(3, round), text) << toUtf8(track);
  }
}

}  // namespace
}  // namespace marvolt
