// The championship of a season: the race classification of every round,
// scored by a points scale into a drivers' and a teams' table, with each
// driver's and team's season round by round.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "season/league.hpp"
#include "timing/timetext.hpp"

namespace marvolt {

/// Who a driver or a team is: a driver's season name (the roster's name
/// when the league knows the driver, else first and last name joined by one
/// space); a team's name.
using CompetitorId = std::u16string;

/// One car of a round's race classification: as the replay classified it,
/// and its place in the official classification after the stewards' decisions.
struct RoundCar {
  std::uint32_t carid = 0;
  std::u16string replayName;        ///< the driver as the replay names it: first and last joined by a space
  std::u16string driver;            ///< the driver's season name
  std::u16string team;              ///< the car's team, or the league's team of its driver
  std::int16_t laps = 0;
  std::uint32_t raceTime = 0;       ///< in ms, as the replay timed it
  bool retired = false;             ///< stopped before the winner finished
  std::uint32_t lapsLed = 0;
  std::uint32_t bestLap = NOTIME;   ///< the car's best valid lap in ms
  std::uint32_t finishPosition = 0; ///< the place the replay classified it in, from 1
  std::uint32_t position = 0;       ///< the official place, from 1; 0 when disqualified
  bool disqualified = false;
  std::int64_t penaltyMs = 0;       ///< time penalties added to its race time
  std::uint64_t pointsDeducted = 0; ///< points taken from its driver's total from this round on
};

/// A stewards' decision as the outputs show it.
struct RoundDecision {
  std::u16string driver;   ///< the driver's season name
  PenaltyKind kind = PenaltyKind::Time;
  std::uint32_t value = 0; ///< milliseconds, places or points; 0 for a disqualification
  std::u16string reason;
};

/// One round of the season: the replay it came from, its race and what the
/// league says of it.
struct Round {
  std::string file;                         ///< the replay path as given
  std::u16string track;
  std::vector<RoundCar> classification;     ///< in official classification order, disqualified cars last
  std::vector<std::size_t> fastestLaps;     ///< classification rows by their best laps: the fastest first, of
                                            ///< equal laps the one set first; rows without a valid lap left out
  std::vector<CompetitorId> entryDrivers;   ///< per place of the replay's entry list: the driver the car raced with
  std::optional<std::u16string> pole;       ///< the driver of the fastest practice lap; none without practice
  std::u16string poleTeam;                  ///< the team of the pole car
  std::optional<std::u16string> name;       ///< the league's name of the event
  std::optional<std::string> date;          ///< "YYYY-MM-DD"
  std::uint32_t factor = 1;                 ///< multiplies what the round scores
  std::vector<RoundDecision> decisions;     ///< the stewards' decisions, in file order
};

/// How the rounds are scored.
struct Scoring {
  std::vector<std::uint32_t> points = {9, 6, 4, 3, 2, 1};   ///< by classified position, from the winner on
  std::uint32_t fastestLap = 0;                           ///< bonus for the driver of a race's fastest lap
  std::optional<std::uint32_t> best;                      ///< only this many best round scores count
};

/// What one car of a round's classification scores.
struct CarScore {
  std::uint32_t position = 0;   ///< official position, from 1; 0 when disqualified
  std::uint64_t points = 0;     ///< the points of the position, the round's factor applied
  bool fastestLap = false;      ///< holds the race's fastest lap
  std::uint64_t bonus = 0;      ///< the fastest-lap bonus it earns, the round's factor applied
};

/// What a driver or a team did in one round.
struct RoundResult {
  std::uint32_t position = 0;        ///< official position; a team's best-placed car's; 0 when disqualified
  bool retired = false;              ///< the car of `position` retired
  bool disqualified = false;         ///< the car of `position` was disqualified
  std::uint64_t points = 0;          ///< scored in the round, a driver's fastest-lap bonus included
  bool counted = true;               ///< among the round scores that count
  bool fastestLap = false;           ///< a driver's: set the race's fastest lap
  std::uint64_t bonus = 0;           ///< a driver's: the fastest-lap bonus among the points
  std::uint64_t deducted = 0;        ///< a driver's: the points taken from the total from this round on
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
  std::int64_t points = 0;                             ///< the total that counts, after deductions
  std::uint32_t wins = 0;                              ///< rounds won, dropped ones included
  std::uint64_t lapsLed = 0;                           ///< over all rounds
  std::uint32_t starts = 0;                            ///< a driver's rounds; a team's cars
  std::uint32_t podiums = 0;                           ///< a team's: every car in the first three
  std::uint32_t poles = 0;
  std::uint32_t fastestLaps = 0;                       ///< laps that held the bonus, whatever it was
  std::uint32_t retirements = 0;
  std::uint32_t bestFinish = 0;                        ///< the best official place; 0 for none
  std::uint64_t pointsDeducted = 0;                    ///< a driver's deductions in all
  std::vector<std::optional<RoundResult>> results;     ///< one per round; none where not taken part
  std::vector<std::int64_t> progression;               ///< the total that counted after each round
  std::vector<std::uint32_t> positions;                ///< the position after each round; 0 before the first entered
};

/// A row of a round's official classification as the outputs show it.
struct OfficialResult {
  std::uint32_t position = 0;       ///< from 1; 0 when disqualified
  std::u16string driver;
  std::u16string team;
  std::int16_t laps = 0;
  std::int64_t raceTimeMs = 0;      ///< with the time penalties
  std::int64_t penaltyMs = 0;
  std::uint32_t finishPosition = 0; ///< as the replay classified it
  bool retired = false;
  bool disqualified = false;
  std::uint64_t points = 0;         ///< of the place, the factor applied, without the bonus
  std::int32_t lapsBehind = 0;      ///< behind the winner; for a disqualified car 0
  std::int64_t gapMs = 0;           ///< behind the winner on the same lap
  std::optional<std::int64_t> intervalMs;   ///< behind the car ahead on the same lap; none otherwise
  std::int32_t lapsBehindAhead = 0; ///< laps behind the car ahead when not on its lap
};

/// The league's name of a season.
struct LeagueTitle {
  std::optional<std::u16string> name;
  std::optional<std::u16string> season;
};

/// A round as the tables head it and its race page shows it.
struct RoundSummary {
  std::string file;
  std::u16string track;
  std::optional<std::u16string> winner;   ///< none when no car was classified
  std::optional<std::u16string> pole;
  std::optional<std::u16string> fastestLap;   ///< the driver whose lap earned the bonus
  std::optional<std::u16string> name;
  std::optional<std::string> date;
  std::uint32_t factor = 1;
  std::vector<RoundDecision> decisions;
  std::vector<OfficialResult> classification;   ///< the official classification
  /// Per place of the replay's entry list, the season's driver of the car:
  /// the row of the drivers' table, or past all rows, for a driver
  /// classified in no round, a number in order of first appearance.
  std::vector<std::size_t> entryDrivers;
};

/// The championship after every round.
struct Standings {
  std::optional<LeagueTitle> league;   ///< with a league file
  std::vector<RoundSummary> rounds;
  std::vector<StandingsRow> drivers;
  std::vector<StandingsRow> teams;
};

/// The points of a classified position (1 for the winner) on a scale; none
/// for 0, a disqualified car.
std::uint64_t pointsFor(const std::vector<std::uint32_t>& scale, std::size_t position);

/// A round's link text: its name, else its track (unless only spaces), else "Round N".
std::u16string roundLinkText(std::size_t number, const RoundSummary& round);

/// The classification row that holds the round's fastest lap: the first of
/// its fastest-lap order that stands in the classification and was not
/// disqualified; none without a valid lap.
std::optional<std::size_t> fastestLapHolder(const Round& round);

/// What each car of the round scores, in classification order: the one
/// place where the season's rules meet a race.
std::vector<CarScore> scoreRound(const Round& round, const Scoring& scoring);

/// The drivers' and teams' tables of the rounds, in order; `league` names
/// the season of a league file.
Standings computeStandings(const std::vector<Round>& rounds, const Scoring& scoring,
                           const std::optional<LeagueTitle>& league = std::nullopt);

}  // namespace marvolt
