// The championship of a season: the race classification of every round,
// scored by a points scale into a drivers' and a teams' table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "timing/timetext.hpp"

namespace marvolt {

/// One classified car of a round's race.
struct Finisher {
  std::u16string firstName;
  std::u16string lastName;
  std::u16string team;
  bool dnf = false;
  std::uint32_t lapsLed = 0;
  std::uint32_t bestLap = NOTIME;   ///< the car's best valid lap in ms
};

/// One round of the season: the replay it came from and its race.
struct Round {
  std::string file;                        ///< the replay path as given
  std::u16string track;
  std::vector<Finisher> classification;    ///< in classification order
  std::optional<std::size_t> fastestLap;   ///< the classification row of the race's fastest lap
};

/// How the rounds are scored.
struct Scoring {
  std::vector<std::uint32_t> points = {9, 6, 4, 3, 2, 1};   ///< by classified position, from the winner on
  std::uint32_t fastestLap = 0;                           ///< bonus for the driver of a race's fastest lap
  std::optional<std::uint32_t> best;                      ///< only this many best round scores count
};

/// What a driver or a team did in one round.
struct RoundResult {
  std::uint32_t position = 0;   ///< classified position; a team's best-placed car
  bool dnf = false;
  std::uint64_t points = 0;     ///< scored in the round, a driver's fastest-lap bonus included
  bool counted = true;          ///< among the round scores that count
  bool fastestLap = false;      ///< a driver's: set the race's fastest lap (and earned the bonus)
};

/// Who a row of a table is: a driver's first and last name; a team's name
/// and an empty text.
using CompetitorId = std::pair<std::u16string, std::u16string>;

/// One row of a championship table.
struct StandingsRow {
  std::uint32_t position = 0;
  CompetitorId id;
  std::u16string name;
  std::uint64_t points = 0;                            ///< the total that counts
  std::uint32_t wins = 0;                              ///< rounds won, dropped ones included
  std::vector<std::optional<RoundResult>> results;     ///< one per round; none where not taken part
  std::vector<std::uint64_t> progression;              ///< the total that counted after each round
  std::vector<std::uint32_t> positions;                ///< the position after each round; 0 before the first entered
};

/// A round as the tables head it.
struct RoundSummary {
  std::string file;
  std::u16string track;
  std::optional<std::u16string> winner;   ///< none when no car was classified
};

/// The championship after every round.
struct Standings {
  std::vector<RoundSummary> rounds;
  std::vector<StandingsRow> drivers;
  std::vector<StandingsRow> teams;
};

/// The points of a classified position (1 for the winner) on a scale.
std::uint64_t pointsFor(const std::vector<std::uint32_t>& scale, std::size_t position);

/// The drivers' and teams' tables of the rounds, in order.
Standings computeStandings(const std::vector<Round>& rounds, const Scoring& scoring);

}  // namespace marvolt
