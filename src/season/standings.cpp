#include "season/standings.hpp"

#include <algorithm>
#include <functional>
#include <map>
#include <queue>
#include <utility>

#include "frontend/telvo.hpp"

namespace marvolt {

namespace {

// A driver or team while the rounds are scored.
struct Competitor {
  CompetitorId identity;
  std::u16string name;
  std::vector<std::optional<RoundResult>> results;
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

// The total as it stood after each round: the `best` highest scores so far.
std::vector<std::uint64_t> progressionOf(const std::vector<std::optional<RoundResult>>& results,
                                         std::optional<std::uint32_t> best) {
  std::vector<std::uint64_t> totals;
  totals.reserve(results.size());
  std::priority_queue<std::uint64_t, std::vector<std::uint64_t>, std::greater<>> kept;
  std::uint64_t total = 0;
  for (const auto& r : results) {
    if (r) {
      kept.push(r->points);
      total += r->points;
      if (best && kept.size() > *best) {
        total -= kept.top();
        kept.pop();
      }
    }
    totals.push_back(total);
  }
  return totals;
}

// Counts a finish in `position` into `places`.
void countPlace(std::vector<std::uint32_t>& places, std::uint32_t position) {
  if (places.size() < position) places.resize(position);
  ++places[position - 1];
}

// A table row with the ordering keys beside it.
struct Ranked {
  StandingsRow row;
  std::u16string folded;                // the name without case, compared first
  std::vector<std::uint32_t> places;    // element p: how often the row finished in position p + 1
};

Ranked settle(Competitor& c, std::optional<std::uint32_t> best) {
  dropScores(c.results, best);
  Ranked r{StandingsRow{0, std::move(c.identity), std::move(c.name), 0, 0, 0, std::move(c.results), {}, {}}, {}, {}};
  r.folded = toLowerWide(r.row.name);
  for (const auto& result : r.row.results) {
    if (!result) continue;
    if (result->counted) r.row.points += result->points;
    if (result->position == 1) ++r.row.wins;
    r.row.lapsLed += result->lapsLed;
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
  std::uint64_t points;
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
  std::vector<Key> keys;
  keys.reserve(ranked.size());
  for (Ranked& r : ranked) r.row.positions.assign(rounds, 0);
  for (std::size_t round = 0; round < rounds; ++round) {
    keys.clear();
    for (std::size_t i = 0; i < ranked.size(); ++i) {
      const std::optional<RoundResult>& result = ranked[i].row.results[round];
      if (result) countPlace(places[i], result->position);
      if (!places[i].empty()) keys.push_back({ranked[i].row.progression[round], &places[i], &ranked[i]});
    }
    std::stable_sort(keys.begin(), keys.end(), ranksBefore);
    for (std::size_t k = 0; k < keys.size(); ++k) {
      ranked[static_cast<std::size_t>(keys[k].row - ranked.data())].row.positions[round] =
          static_cast<std::uint32_t>(k + 1);
    }
  }
}

std::vector<StandingsRow> table(Field& field, std::size_t rounds, std::optional<std::uint32_t> best) {
  std::vector<Ranked> ranked;
  ranked.reserve(field.members().size());
  for (Competitor& c : field.members()) ranked.push_back(settle(c, best));
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

// Enters the scores of round `r` (in classification order) into the
// drivers' and the teams' results. A driver's result is its best-placed
// car's, which also takes the bonus of the driver's fastest lap; a team's
// is its best-placed car's with the laps led and the best lap of all its cars.
void addRound(const Round& round, std::size_t r, const std::vector<CarScore>& scores, Field& drivers, Field& teams) {
  for (std::size_t i = 0; i < round.classification.size(); ++i) {
    const RoundCar& car = round.classification[i];
    const CarScore& score = scores[i];
    const RoundResult placed{.position = score.position, .retired = car.retired, .points = score.points,
                             .lapsLed = car.lapsLed, .bestLap = car.bestLap};
    RoundResult& driver = drivers.resultOf({car.firstName, car.lastName}, car.driver, r, placed);
    if (score.fastestLap) {
      driver.points += score.bonus;
      driver.fastestLap = true;
      driver.bonus = score.bonus;
    }
    const RoundResult teamPlaced{.position = score.position, .retired = car.retired, .points = score.points};
    RoundResult& team = teams.resultOf({car.team, u""}, car.team, r, teamPlaced);
    team.lapsLed += car.lapsLed;
    team.bestLap = std::min(team.bestLap, car.bestLap);
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
      std::optional<RoundResult>& team = standings.teams[teams.at({car.team, u""})].results[r];
      team->drivers.push_back(drivers.at({car.firstName, car.lastName}));
    }
    std::vector<std::size_t>& entries = standings.rounds[r].entryDrivers;
    entries.reserve(rounds[r].entryDrivers.size());
    for (const CompetitorId& driver : rounds[r].entryDrivers) {
      entries.push_back(drivers.try_emplace(driver, drivers.size()).first->second);
    }
  }
}

}  // namespace

std::uint64_t pointsFor(const std::vector<std::uint32_t>& scale, std::size_t position) {
  return position >= 1 && position <= scale.size() ? scale[position - 1] : 0;
}

std::optional<std::size_t> fastestLapHolder(const Round& round) {
  for (const std::size_t row : round.fastestLaps) {
    if (row < round.classification.size()) return row;
  }
  return std::nullopt;
}

std::vector<CarScore> scoreRound(const Round& round, const Scoring& scoring) {
  std::vector<CarScore> scores(round.classification.size());
  for (std::size_t i = 0; i < scores.size(); ++i) {
    scores[i].position = static_cast<std::uint32_t>(i + 1);
    scores[i].points = pointsFor(scoring.points, i + 1);
  }
  if (const std::optional<std::size_t> holder = fastestLapHolder(round)) {
    scores[*holder].fastestLap = true;
    scores[*holder].bonus = scoring.fastestLap;
  }
  return scores;
}

Standings computeStandings(const std::vector<Round>& rounds, const Scoring& scoring) {
  Standings standings;
  Field drivers(rounds.size());
  Field teams(rounds.size());
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    const Round& round = rounds[r];
    standings.rounds.push_back({round.file, round.track, std::nullopt, {}});
    if (!round.classification.empty()) standings.rounds.back().winner = round.classification.front().driver;
    addRound(round, r, scoreRound(round, scoring), drivers, teams);
  }
  standings.drivers = table(drivers, rounds.size(), scoring.best);
  standings.teams = table(teams, rounds.size(), scoring.best);
  addSeasonDrivers(standings, rounds);
  return standings;
}

}  // namespace marvolt
