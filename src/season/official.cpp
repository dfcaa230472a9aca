#include "season/official.hpp"

#include <algorithm>

#include "frontend/error.hpp"
#include "season/roster.hpp"

namespace marvolt {

namespace {

// The cars in their replay order with their time penalties, classified again
// by laps, then penalised race time; equal times keep the replay's order.
std::vector<OfficialRow> afterTimePenalties(std::span<const RaceCar> cars, std::span<const CarDecision> decisions) {
  std::vector<OfficialRow> rows;
  rows.reserve(cars.size());
  for (std::size_t r = 0; r < cars.size(); ++r) {
    OfficialRow& row = rows.emplace_back();
    row.row = r;
    row.laps = cars[r].laps;
    row.raceTimeMs = cars[r].raceTimeMs;
    row.retired = cars[r].retired;
  }
  for (const CarDecision& decision : decisions) {
    if (decision.kind != PenaltyKind::Time) continue;
    rows[decision.row].penaltyMs += decision.value;
    rows[decision.row].raceTimeMs += decision.value;
  }
  std::stable_sort(rows.begin(), rows.end(), [](const OfficialRow& a, const OfficialRow& b) {
    return a.laps != b.laps ? a.laps > b.laps : a.raceTimeMs < b.raceTimeMs;
  });
  return rows;
}

// Moves the car of `row` down by `places`, not below the last car; the cars
// it passes move up one place each.
void dropPlaces(std::vector<OfficialRow>& rows, std::size_t row, std::uint32_t places) {
  const auto car = std::find_if(rows.begin(), rows.end(), [row](const OfficialRow& r) { return r.row == row; });
  const auto last = rows.end() - 1;
  const auto target = static_cast<std::size_t>(last - car) <= places ? last : car + places;
  std::rotate(car, car + 1, target + 1);
}

}  // namespace

std::vector<OfficialRow> officialClassification(std::span<const RaceCar> cars, std::span<const CarDecision> decisions) {
  for (const CarDecision& decision : decisions) {
    MARVOLT_ASSERT(decision.row < cars.size(), "decision on a car outside the classification");
  }
  std::vector<OfficialRow> rows = afterTimePenalties(cars, decisions);
  for (const CarDecision& decision : decisions) {
    if (decision.kind == PenaltyKind::Places) dropPlaces(rows, decision.row, decision.value);
  }
  std::vector<bool> disqualified(cars.size(), false);
  for (const CarDecision& decision : decisions) {
    if (decision.kind == PenaltyKind::Disqualified) disqualified[decision.row] = true;
  }
  std::stable_partition(rows.begin(), rows.end(), [&](const OfficialRow& r) { return !disqualified[r.row]; });
  std::uint32_t position = 0;
  for (OfficialRow& r : rows) {
    r.disqualified = disqualified[r.row];
    if (!r.disqualified) r.position = ++position;
  }
  return rows;
}

std::vector<CarDecision> roundDecisions(const League& league, std::size_t round, std::span<const std::u16string> drivers) {
  std::vector<CarDecision> decisions;
  for (const LeaguePenalty& penalty : league.penalties) {
    if (penalty.round != round) continue;
    decisions.push_back({penaltyRow(league, penalty, drivers), penalty.kind, penalty.value});
  }
  return decisions;
}

}  // namespace marvolt
