#include "season/leaguerounds.hpp"

#include <algorithm>
#include <set>
#include <utility>

#include "season/official.hpp"
#include "season/roster.hpp"

namespace marvolt {

namespace {

// Every name a round's replay holds, in order of first appearance: the
// classified cars' drivers, the drivers of the entry list's cars and the pole sitter.
std::vector<std::u16string> namesOf(const Round& round) {
  std::vector<std::u16string> names;
  std::set<std::u16string> seen;
  const auto add = [&](const std::u16string& name) {
    if (seen.insert(name).second) names.push_back(name);
  };
  for (const RoundCar& car : round.classification) add(car.replayName);
  for (const CompetitorId& driver : round.entryDrivers) add(driver);
  if (round.pole) add(*round.pole);
  return names;
}

// Who is who in one round: a replay's name and its season name and team.
class Identities {
 public:
  explicit Identities(const League& league) : roster_(league.drivers) {}

  // The season name of the replay's `name`.
  std::u16string nameOf(const std::u16string& name) const {
    const std::optional<std::size_t> driver = rosterDriverOf(roster_, name);
    return driver ? roster_[*driver].name : name;
  }
  // The team of the replay's `name` in a car of `team`.
  std::u16string teamOf(const std::u16string& name, const std::u16string& team) const {
    const std::optional<std::size_t> driver = rosterDriverOf(roster_, name);
    return driver && roster_[*driver].team ? *roster_[*driver].team : team;
  }

 private:
  const std::vector<LeagueDriver>& roster_;
};

void applyIdentities(const Identities& who, Round& round) {
  for (RoundCar& car : round.classification) {
    car.team = who.teamOf(car.replayName, car.team);
    car.driver = who.nameOf(car.replayName);
  }
  for (CompetitorId& driver : round.entryDrivers) driver = who.nameOf(driver);
  if (round.pole) {
    round.poleTeam = who.teamOf(*round.pole, round.poleTeam);
    round.pole = who.nameOf(*round.pole);
  }
}

// Puts the round's cars in the order of the official classification after
// `decisions`, with their penalties, and the fastest-lap order with them.
void applyDecisions(Round& round, const std::vector<CarDecision>& decisions) {
  std::vector<RaceCar> cars;
  cars.reserve(round.classification.size());
  for (const RoundCar& car : round.classification) {
    cars.push_back({static_cast<std::uint32_t>(std::max<std::int16_t>(car.laps, 0)), car.raceTime, car.retired});
  }
  for (const CarDecision& decision : decisions) {
    if (decision.kind == PenaltyKind::Points) round.classification[decision.row].pointsDeducted += decision.value;
  }
  const std::vector<OfficialRow> official = officialClassification(cars, decisions);
  std::vector<RoundCar> ordered;
  ordered.reserve(official.size());
  std::vector<std::size_t> placeOf(official.size());
  for (const OfficialRow& row : official) {
    placeOf[row.row] = ordered.size();
    RoundCar& car = ordered.emplace_back(std::move(round.classification[row.row]));
    car.penaltyMs = row.penaltyMs;
    car.disqualified = row.disqualified;
  }
  round.classification = std::move(ordered);
  for (std::size_t& row : round.fastestLaps) row = placeOf[row];
}

// The decisions of round `number` as the outputs show them, on the season's drivers.
std::vector<RoundDecision> shownDecisions(const League& league, std::size_t number,
                                          const std::vector<CarDecision>& decisions,
                                          const std::vector<std::u16string>& drivers) {
  std::vector<RoundDecision> shown;
  std::size_t d = 0;
  for (const LeaguePenalty& penalty : league.penalties) {
    if (penalty.round != number) continue;
    shown.push_back({drivers[decisions[d++].row], penalty.kind, penalty.value, penalty.reason});
  }
  return shown;
}

}  // namespace

std::vector<std::string> applyLeague(const League& league, std::vector<Round>& rounds) {
  std::vector<std::string> warnings;
  std::vector<std::u16string> held;
  const Identities who(league);
  for (std::size_t r = 0; r < rounds.size() && r < league.rounds.size(); ++r) {
    Round& round = rounds[r];
    for (const std::u16string& name : namesOf(round)) {
      held.push_back(name);
      if (const std::optional<NearMiss> miss = nearMissOf(league.drivers, name)) {
        warnings.push_back(nearMissWarning(r + 1, round.file, name, miss->spelling));
      }
    }
    std::vector<std::u16string> replayNames;
    for (const RoundCar& car : round.classification) replayNames.push_back(car.replayName);
    const std::vector<CarDecision> decisions = roundDecisions(league, r + 1, replayNames);
    applyIdentities(who, round);
    std::vector<std::u16string> seasonNames;
    for (const RoundCar& car : round.classification) seasonNames.push_back(car.driver);
    round.decisions = shownDecisions(league, r + 1, decisions, seasonNames);
    applyDecisions(round, decisions);
    round.name = league.rounds[r].name;
    round.date = league.rounds[r].date;
    round.factor = league.rounds[r].factor;
  }
  for (const std::u16string& unused : unusedRosterNames(league.drivers, held)) {
    warnings.push_back(unusedRosterWarning(unused));
  }
  return warnings;
}

Scoring leagueScoring(const League& league, const ScoringChoices& given) {
  Scoring scoring = given.scoring;
  if (!given.points && league.points) scoring.points = *league.points;
  if (!given.fastestLap && league.fastestLap) scoring.fastestLap = *league.fastestLap;
  if (!given.best && league.best) scoring.best = *league.best;
  return scoring;
}

LeagueTitle leagueTitle(const League& league) { return {league.name, league.season}; }

}  // namespace marvolt
