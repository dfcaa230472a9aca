#include "season/standings.hpp"

#include <algorithm>
#include <functional>
#include <map>
#include <queue>
#include <utility>

#include "frontend/telvo.hpp"

namespace marvolt {

namespace {

// A team's statistics counted car by car: a one-two is two podiums.
struct CarTally {
  std::uint32_t starts = 0;
  std::uint32_t podiums = 0;
  std::uint32_t poles = 0;
  std::uint32_t fastestLaps = 0;
  std::uint32_t retirements = 0;
  std::uint32_t bestFinish = 0;
};

// A driver or team while the rounds are scored.
struct Competitor {
  CompetitorId identity;
  std::u16string name;
  std::vector<std::optional<RoundResult>> results;
  CarTally cars{};
};

// The drivers or the teams of the season, in order of first appearance.
class Field {
 public:
  explicit Field(std::size_t rounds) : rounds_(rounds) {}

  // The result of `identity` (entered with `name` when new) in `round`;
  // `first` when it has none there yet: the classification is walked from
  // the winner down, so that is its best-placed car's.
  RoundResult& resultOf(const CompetitorId& identity, std::u16string_view name, std::size_t round,
                        const RoundResult& first) {
    const auto [it, added] = index_.try_emplace(identity, members_.size());
    if (added) members_.push_back({identity, std::u16string(name), std::vector<std::optional<RoundResult>>(rounds_)});
    std::optional<RoundResult>& result = members_[it->second].results[round];
    if (!result) result = first;
    return *result;
  }

  // The member `identity`, which has a result.
  Competitor& member(const CompetitorId& identity) { return members_[index_.at(identity)]; }

  // The member `identity`; null when it has no result.
  Competitor* find(const CompetitorId& identity) {
    const auto it = index_.find(identity);
    return it == index_.end() ? nullptr : &members_[it->second];
  }

  std::vector<Competitor>& members() { return members_; }

 private:
  std::size_t rounds_;
  std::map<CompetitorId, std::size_t> index_;
  std::vector<Competitor> members_;
};

// Marks the round scores outside the `best` highest as not counted; of equal
// scores the earlier round counts.
void dropScores(std::vector<std::optional<RoundResult>>& results, std::optional<std::uint32_t> best) {
  if (!best) return;
  std::vector<RoundResult*> entered;
  for (auto& r : results) {
    if (r) entered.push_back(&*r);
  }
  std::stable_sort(entered.begin(), entered.end(),
                   [](const RoundResult* a, const RoundResult* b) { return a->points > b->points; });
  for (std::size_t i = *best; i < entered.size(); ++i) entered[i]->counted = false;
}

// The total as it stood after each round: the `best` highest scores so far,
// less the points deducted so far.
std::vector<std::int64_t> progressionOf(const std::vector<std::optional<RoundResult>>& results,
                                        std::optional<std::uint32_t> best) {
  std::vector<std::int64_t> totals;
  totals.reserve(results.size());
  std::priority_queue<std::uint64_t, std::vector<std::uint64_t>, std::greater<>> kept;
  std::uint64_t total = 0;
  std::uint64_t deducted = 0;
  for (const auto& r : results) {
    if (r) {
      kept.push(r->points);
      total += r->points;
      deducted += r->deducted;
      if (best && kept.size() > *best) {
        total -= kept.top();
        kept.pop();
      }
    }
    totals.push_back(static_cast<std::int64_t>(total) - static_cast<std::int64_t>(deducted));
  }
  return totals;
}

// Counts a finish in `position` into `places`; a disqualification counts
// in no place.
void countPlace(std::vector<std::uint32_t>& places, std::uint32_t position) {
  if (position == 0) return;
  if (places.size() < position) places.resize(position);
  ++places[position - 1];
}

// A table row with the ordering keys beside it.
struct Ranked {
  StandingsRow row;
  std::u16string folded;                // the name without case, compared first
  std::vector<std::uint32_t> places;    // element p: how often the row finished in position p + 1
};

// The better of two official places; 0 stands for none.
std::uint32_t betterFinish(std::uint32_t best, std::uint32_t position) {
  return position > 0 && (best == 0 || position < best) ? position : best;
}

// A driver's statistics, one round at a time.
void countDriverRound(StandingsRow& row, const RoundResult& result) {
  ++row.starts;
  if (result.position >= 1 && result.position <= 3) ++row.podiums;
  if (result.fastestLap) ++row.fastestLaps;
  if (result.retired) ++row.retirements;
  row.bestFinish = betterFinish(row.bestFinish, result.position);
  row.pointsDeducted += result.deducted;
}

// A team's statistics, counted car by car as the rounds were entered.
void takeCarTally(StandingsRow& row, const CarTally& cars) {
  row.starts = cars.starts;
  row.podiums = cars.podiums;
  row.poles = cars.poles;
  row.fastestLaps = cars.fastestLaps;
  row.retirements = cars.retirements;
  row.bestFinish = cars.bestFinish;
}

Ranked settle(Competitor& c, std::optional<std::uint32_t> best, bool driver) {
  dropScores(c.results, best);
  Ranked r;
  r.row.id = std::move(c.identity);
  r.row.name = std::move(c.name);
  r.row.results = std::move(c.results);
  r.folded = toLowerWide(r.row.name);
  if (driver) {
    r.row.poles = c.cars.poles;
  } else {
    takeCarTally(r.row, c.cars);
  }
  for (const auto& result : r.row.results) {
    if (!result) continue;
    if (result->counted) r.row.points += static_cast<std::int64_t>(result->points);
    r.row.points -= static_cast<std::int64_t>(result->deducted);
    if (result->position == 1) ++r.row.wins;
    r.row.lapsLed += result->lapsLed;
    if (driver) countDriverRound(r.row, *result);
    countPlace(r.places, result->position);
  }
  r.row.progression = progressionOf(r.row.results, best);
  return r;
}

// Countback: more wins first, then more second places, and so on.
int compareCountback(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
  for (std::size_t p = 0; p < std::max(a.size(), b.size()); ++p) {
    const std::uint32_t ca = p < a.size() ? a[p] : 0;
    const std::uint32_t cb = p < b.size() ? b[p] : 0;
    if (ca != cb) return ca > cb ? -1 : 1;
  }
  return 0;
}

// A row's place in the order of a table as it stood at some round.
struct Key {
  std::int64_t points;
  const std::vector<std::uint32_t>* places;
  const Ranked* row;
};

// Most points first; then countback; then by name, case folded, then exactly.
bool ranksBefore(const Key& a, const Key& b) {
  if (a.points != b.points) return a.points > b.points;
  if (const int c = compareCountback(*a.places, *b.places); c != 0) return c < 0;
  if (a.row->folded != b.row->folded) return a.row->folded < b.row->folded;
  if (a.row->row.name != b.row->row.name) return a.row->row.name < b.row->row.name;
  return a.row->row.id < b.row->row.id;
}

// The position of every row after each round: the table as it stood then,
// of the rows that had taken part by then, ordered as the final table is.
void addPositions(std::vector<Ranked>& ranked, std::size_t rounds) {
  std::vector<std::vector<std::uint32_t>> places(ranked.size());
  std::vector<bool> entered(ranked.size(), false);
  std::vector<Key> keys;
  keys.reserve(ranked.size());
  for (Ranked& r : ranked) r.row.positions.assign(rounds, 0);
  for (std::size_t round = 0; round < rounds; ++round) {
    keys.clear();
    for (std::size_t i = 0; i < ranked.size(); ++i) {
      const std::optional<RoundResult>& result = ranked[i].row.results[round];
      if (result) {
        countPlace(places[i], result->position);
        entered[i] = true;
      }
      if (entered[i]) keys.push_back({ranked[i].row.progression[round], &places[i], &ranked[i]});
    }
    std::stable_sort(keys.begin(), keys.end(), ranksBefore);
    for (std::size_t k = 0; k < keys.size(); ++k) {
      ranked[static_cast<std::size_t>(keys[k].row - ranked.data())].row.positions[round] =
          static_cast<std::uint32_t>(k + 1);
    }
  }
}

std::vector<StandingsRow> table(Field& field, std::size_t rounds, std::optional<std::uint32_t> best, bool driver) {
  std::vector<Ranked> ranked;
  ranked.reserve(field.members().size());
  for (Competitor& c : field.members()) ranked.push_back(settle(c, best, driver));
  addPositions(ranked, rounds);
  std::stable_sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
    return ranksBefore({a.row.points, &a.places, &a}, {b.row.points, &b.places, &b});
  });
  std::vector<StandingsRow> rows;
  rows.reserve(ranked.size());
  for (Ranked& r : ranked) {
    r.row.position = static_cast<std::uint32_t>(rows.size() + 1);
    rows.push_back(std::move(r.row));
  }
  return rows;
}

// Counts a car of a team into its statistics.
void countTeamCar(CarTally& cars, const CarScore& score, const RoundCar& car) {
  ++cars.starts;
  if (score.position >= 1 && score.position <= 3) ++cars.podiums;
  if (score.fastestLap) ++cars.fastestLaps;
  if (car.retired) ++cars.retirements;
  cars.bestFinish = betterFinish(cars.bestFinish, score.position);
}

// Enters the scores of round `r` (in official classification order) into
// the drivers' and the teams' results. A driver's result is its best-placed
// car's, which also takes the bonus of the driver's fastest lap and every
// deduction of the round; a team's is its best-placed car's with the laps
// led and the best lap of all its cars.
void addRound(const Round& round, std::size_t r, const std::vector<CarScore>& scores, Field& drivers, Field& teams) {
  for (std::size_t i = 0; i < round.classification.size(); ++i) {
    const RoundCar& car = round.classification[i];
    const CarScore& score = scores[i];
    const RoundResult placed{.position = score.position, .retired = car.retired, .disqualified = car.disqualified,
                             .points = score.points, .lapsLed = car.lapsLed, .bestLap = car.bestLap};
    RoundResult& driver = drivers.resultOf(car.driver, car.driver, r, placed);
    if (score.fastestLap) {
      driver.points += score.bonus;
      driver.fastestLap = true;
      driver.bonus = score.bonus;
    }
    driver.deducted += car.pointsDeducted;
    const RoundResult teamPlaced{.position = score.position, .retired = car.retired,
                                 .disqualified = car.disqualified, .points = score.points};
    RoundResult& team = teams.resultOf(car.team, car.team, r, teamPlaced);
    team.lapsLed += car.lapsLed;
    team.bestLap = std::min(team.bestLap, car.bestLap);
    countTeamCar(teams.member(car.team).cars, score, car);
  }
}

// Counts the rounds' poles for the drivers and teams of the tables (a pole
// sitter classified in no round has no row).
void countPoles(const std::vector<Round>& rounds, Field& drivers, Field& teams) {
  for (const Round& round : rounds) {
    if (!round.pole) continue;
    if (Competitor* sitter = drivers.find(*round.pole)) ++sitter->cars.poles;
    if (Competitor* team = teams.find(round.poleTeam)) ++team->cars.poles;
  }
}

// The rows of a table by who they are.
std::map<CompetitorId, std::size_t> rowsOf(const std::vector<StandingsRow>& rows) {
  std::map<CompetitorId, std::size_t> index;
  for (std::size_t i = 0; i < rows.size(); ++i) index.emplace(rows[i].id, i);
  return index;
}

// Names each team's drivers of each round by their rows of the drivers'
// table, and each round's cars by their season's drivers.
void addSeasonDrivers(Standings& standings, const std::vector<Round>& rounds) {
  std::map<CompetitorId, std::size_t> drivers = rowsOf(standings.drivers);
  const std::map<CompetitorId, std::size_t> teams = rowsOf(standings.teams);
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    for (const RoundCar& car : rounds[r].classification) {
      std::optional<RoundResult>& team = standings.teams[teams.at(car.team)].results[r];
      team->drivers.push_back(drivers.at(car.driver));
    }
    std::vector<std::size_t>& entries = standings.rounds[r].entryDrivers;
    entries.reserve(rounds[r].entryDrivers.size());
    for (const CompetitorId& driver : rounds[r].entryDrivers) {
      entries.push_back(drivers.try_emplace(driver, drivers.size()).first->second);
    }
  }
}

// A gap in laps or time between two rows of an official classification.
struct Gap {
  std::int32_t laps = 0;
  std::int64_t ms = 0;
};

Gap gapBetween(const RoundCar& car, const RoundCar& ahead) {
  if (car.laps != ahead.laps) return {ahead.laps - car.laps, 0};
  return {0, (car.raceTime + car.penaltyMs) - (ahead.raceTime + ahead.penaltyMs)};
}

// The official classification of a round as the outputs show it.
std::vector<OfficialResult> officialResults(const Round& round, const std::vector<CarScore>& scores) {
  std::vector<OfficialResult> rows;
  rows.reserve(round.classification.size());
  for (std::size_t i = 0; i < round.classification.size(); ++i) {
    const RoundCar& car = round.classification[i];
    OfficialResult& row = rows.emplace_back();
    row.position = scores[i].position;
    row.driver = car.driver;
    row.team = car.team;
    row.laps = car.laps;
    row.raceTimeMs = car.raceTime + car.penaltyMs;
    row.penaltyMs = car.penaltyMs;
    row.finishPosition = car.finishPosition;
    row.retired = car.retired;
    row.disqualified = car.disqualified;
    row.points = scores[i].points;
    if (car.disqualified) continue;
    const Gap gap = gapBetween(car, round.classification.front());
    row.lapsBehind = gap.laps;
    row.gapMs = gap.ms;
    if (i == 0) continue;
    // Behind the car ahead on the road; none where a decision put it ahead
    // of a car that finished before it.
    const Gap interval = gapBetween(car, round.classification[i - 1]);
    if (interval.laps > 0) row.lapsBehindAhead = interval.laps;
    if (interval.laps == 0 && interval.ms >= 0) row.intervalMs = interval.ms;
  }
  return rows;
}

// A round's heading, winner, pole, fastest lap and official classification.
RoundSummary summaryOf(const Round& round, const std::vector<CarScore>& scores) {
  RoundSummary summary;
  summary.file = round.file;
  summary.track = round.track;
  summary.pole = round.pole;
  summary.name = round.name;
  summary.date = round.date;
  summary.factor = round.factor;
  summary.decisions = round.decisions;
  if (!round.classification.empty() && !round.classification.front().disqualified) {
    summary.winner = round.classification.front().driver;
  }
  for (std::size_t i = 0; i < scores.size(); ++i) {
    if (scores[i].fastestLap) summary.fastestLap = round.classification[i].driver;
  }
  summary.classification = officialResults(round, scores);
  return summary;
}

}  // namespace

std::uint64_t pointsFor(const std::vector<std::uint32_t>& scale, std::size_t position) {
  return position >= 1 && position <= scale.size() ? scale[position - 1] : 0;
}

std::u16string roundLinkText(std::size_t number, const RoundSummary& round) {
  if (round.name && !round.name->empty()) return *round.name;
  if (round.track.find_first_not_of(u' ') != std::u16string::npos) return round.track;
  return u"Round " + toUtf16(std::to_string(number));
}

std::optional<std::size_t> fastestLapHolder(const Round& round) {
  for (const std::size_t row : round.fastestLaps) {
    if (row < round.classification.size() && !round.classification[row].disqualified) return row;
  }
  return std::nullopt;
}

std::vector<CarScore> scoreRound(const Round& round, const Scoring& scoring) {
  std::vector<CarScore> scores(round.classification.size());
  std::uint32_t place = 0;
  for (std::size_t i = 0; i < scores.size(); ++i) {
    if (round.classification[i].disqualified) continue;
    scores[i].position = ++place;
    scores[i].points = pointsFor(scoring.points, place) * round.factor;
  }
  if (const std::optional<std::size_t> holder = fastestLapHolder(round)) {
    scores[*holder].fastestLap = true;
    scores[*holder].bonus = std::uint64_t{scoring.fastestLap} * round.factor;
  }
  return scores;
}

Standings computeStandings(const std::vector<Round>& rounds, const Scoring& scoring,
                           const std::optional<LeagueTitle>& league) {
  Standings standings;
  standings.league = league;
  Field drivers(rounds.size());
  Field teams(rounds.size());
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    const std::vector<CarScore> scores = scoreRound(rounds[r], scoring);
    standings.rounds.push_back(summaryOf(rounds[r], scores));
    addRound(rounds[r], r, scores, drivers, teams);
  }
  countPoles(rounds, drivers, teams);
  standings.drivers = table(drivers, rounds.size(), scoring.best, true);
  standings.teams = table(teams, rounds.size(), scoring.best, false);
  addSeasonDrivers(standings, rounds);
  return standings;
}

}  // namespace marvolt
