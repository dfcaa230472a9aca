// The championship of a season: the race classification of every round,
// scored by a points scale into a drivers' and a teams' table, with each
// driver's and team's season round by round.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "timing/timetext.hpp"

namespace marvolt {

/// Who a driver or a team is: a driver's first and last name; a team's name
/// and an empty text.
using CompetitorId = std::pair<std::u16string, std::u16string>;

/// One classified car of a round's race, as the replay classified it.
struct RoundCar {
  std::uint32_t carid = 0;
  std::u16string firstName;
  std::u16string lastName;
  std::u16string driver;            ///< the driver's name as the model holds it: first and last joined by a space
  std::u16string team;
  std::int16_t laps = 0;
  std::uint32_t raceTime = 0;       ///< in ms
  bool retired = false;             ///< stopped before the winner finished
  std::uint32_t lapsLed = 0;
  std::uint32_t bestLap = NOTIME;   ///< the car's best valid lap in ms
};

/// One round of the season: the replay it came from and its race.
struct Round {
  std::string file;                         ///< the replay path as given
  std::u16string track;
  std::vector<RoundCar> classification;     ///< in classification order
  std::vector<std::size_t> fastestLaps;     ///< classification rows by their best laps: the fastest first, of
                                            ///< equal laps the one set first; rows without a valid lap left out
  std::vector<CompetitorId> entryDrivers;   ///< per place of the replay's entry list: the driver the car raced with
};

/// How the rounds are scored.
struct Scoring {
  std::vector<std::uint32_t> points = {9, 6, 4, 3, 2, 1};   ///< by classified position, from the winner on
  std::uint32_t fastestLap = 0;                           ///< bonus for the driver of a race's fastest lap
  std::optional<std::uint32_t> best;                      ///< only this many best round scores count
};

/// What one car of a round's classification scores.
struct CarScore {
  std::uint32_t position = 0;   ///< classified position, from 1
  std::uint64_t points = 0;     ///< the points of the position
  bool fastestLap = false;      ///< holds the race's fastest lap
  std::uint64_t bonus = 0;      ///< the fastest-lap bonus it earns
};

/// What a driver or a team did in one round.
struct RoundResult {
  std::uint32_t position = 0;        ///< classified position; a team's best-placed car's
  bool retired = false;              ///< the car of `position` retired
  std::uint64_t points = 0;          ///< scored in the round, a driver's fastest-lap bonus included
  bool counted = true;               ///< among the round scores that count
  bool fastestLap = false;           ///< a driver's: set the race's fastest lap
  std::uint64_t bonus = 0;           ///< a driver's: the fastest-lap bonus among the points
  std::uint32_t lapsLed = 0;         ///< a driver's car's; a team's: all its cars' together
  std::uint32_t bestLap = NOTIME;    ///< a driver's car's best lap; a team's: the best of its cars' (ms)
  std::vector<std::size_t> drivers{};  ///< a team's: the drivers of its cars in classification order, as rows
                                       ///< of the drivers' table
};

/// One row of a championship table: a driver's or a team's season.
struct StandingsRow {
  std::uint32_t position = 0;
  CompetitorId id;
  std::u16string name;
  std::uint64_t points = 0;                            ///< the total that counts
  std::uint32_t wins = 0;                              ///< rounds won, dropped ones included
  std::uint64_t lapsLed = 0;                           ///< over all rounds
  std::vector<std::optional<RoundResult>> results;     ///< one per round; none where not taken part
  std::vector<std::uint64_t> progression;              ///< the total that counted after each round
  std::vector<std::uint32_t> positions;                ///< the position after each round; 0 before the first entered
};

/// A round as the tables head it and its race page shows it.
struct RoundSummary {
  std::string file;
  std::u16string track;
  std::optional<std::u16string> winner;   ///< none when no car was classified
  /// Per place of the replay's entry list, the season's driver of the car:
  /// the row of the drivers' table, or past all rows, for a driver
  /// classified in no round, a number in order of first appearance.
  std::vector<std::size_t> entryDrivers;
};

/// The championship after every round.
struct Standings {
  std::vector<RoundSummary> rounds;
  std::vector<StandingsRow> drivers;
  std::vector<StandingsRow> teams;
};

/// The points of a classified position (1 for the winner) on a scale.
std::uint64_t pointsFor(const std::vector<std::uint32_t>& scale, std::size_t position);

/// The classification row that holds the round's fastest lap: the first of
/// its fastest-lap order that stands in the classification; none without a
/// valid lap.
std::optional<std::size_t> fastestLapHolder(const Round& round);

/// What each car of the round scores, in classification order: the one
/// place where the season's rules meet a race.
std::vector<CarScore> scoreRound(const Round& round, const Scoring& scoring);

/// The drivers' and teams' tables of the rounds, in order.
Standings computeStandings(const std::vector<Round>& rounds, const Scoring& scoring);

}  // namespace marvolt
