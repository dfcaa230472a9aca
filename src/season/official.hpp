// The official classification of a round: the race as the replay classified
// it, after the stewards' decisions on its cars. Time penalties come first
// (the cars classified again by laps, then penalised time), then places lost
// in file order, then disqualifications (the car leaves the classification
// and goes last).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "season/league.hpp"

namespace marvolt {

/// A car of the race classification, as the replay classified it.
struct RaceCar {
  std::uint32_t laps = 0;
  std::int64_t raceTimeMs = 0;
  bool retired = false;
};

/// A stewards' decision on the car of one classification row.
struct CarDecision {
  std::size_t row = 0;
  PenaltyKind kind = PenaltyKind::Time;
  std::uint32_t value = 0;   ///< milliseconds, places or points, as in LeaguePenalty
};

/// A row of the official classification.
struct OfficialRow {
  std::size_t row = 0;                     ///< the car's row in the replay's classification
  std::optional<std::uint32_t> position;   ///< none for a disqualified car
  std::uint32_t laps = 0;
  std::int64_t raceTimeMs = 0;             ///< with the time penalties
  std::int64_t penaltyMs = 0;              ///< the time penalties added up
  bool retired = false;
  bool disqualified = false;
};

/// The official classification of the cars (in the replay's classification
/// order, which is by laps, then race time) after `decisions` in file order.
/// Disqualified cars come last, in the order they would otherwise have had.
/// Points deductions change no place and are passed over.
std::vector<OfficialRow> officialClassification(std::span<const RaceCar> cars, std::span<const CarDecision> decisions);

/// The decisions of the round numbered `round` (1 for the first) in file
/// order, each on the row penaltyRow finds among `drivers`.
std::vector<CarDecision> roundDecisions(const League& league, std::size_t round, std::span<const std::u16string> drivers);

}  // namespace marvolt
