// The races of the season tests: replays built with a chosen order, a
// retirement and the fastest lap where a test wants them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace seasonraces {

using testsupport::TempDir;

struct Car {
  std::string first;
  std::string last;
  std::int32_t make;   // 5 Team Lotus, 0 Brabham, 4 Ferrari without a carset
  bool dnf = false;
};

// A race at `track` classified in the order of `cars` (retirements last);
// the car at `fastest` sets the fastest lap.
inline testsupport::Bytes race(const std::string& track, const std::vector<Car>& cars, std::size_t fastest = 0) {
  testsupport::ReplayBuilder b;
  b.info.track = b.weekend.track = track;
  b.addSlot(testsupport::kPractice, 10, 3600.0f);
  b.addSlot(testsupport::kRace, 2, 604800.0f);
  b.sessions.emplace_back();
  std::vector<testsupport::CarLapsRec> laps;
  for (std::uint32_t k = 0; k < cars.size(); ++k) {
    b.addDriver(k + 1, k + 1, cars[k].first, cars[k].last, cars[k].make);
    std::vector<std::uint32_t> clocks = {10 + k, 90000 + 100 * k};
    if (!cars[k].dnf) clocks.push_back(clocks.back() + 90000 - (k == fastest ? 50 : 0));
    laps.push_back(testsupport::CarLapsRec::fromClocks(k + 1, clocks));
  }
  b.sessions.push_back(laps);
  return b.build();
}

// Three rounds: Clark misses the second, Lotus has two cars, Hill retires in the third.
inline void writeSeason(const TempDir& dir) {
  const Car clark{"Jim", "Clark", 5}, hill{"Graham", "Hill", 5}, brabham{"Jack", "Brabham", 0},
      hulme{"Denny", "Hulme", 0}, amon{"Chris", "Amon", 4};
  testsupport::writeFile(dir.file("r1.rpy"), race("monza", {clark, brabham, hill, amon}, 1));
  testsupport::writeFile(dir.file("r2.rpy"), race("spa", {hulme, hill, brabham}, 0));
  testsupport::writeFile(dir.file("r3.rpy"),
                         race("nurburg", {brabham, clark, amon, hulme, {"Graham", "Hill", 5, true}}, 3));
}

}  // namespace seasonraces
