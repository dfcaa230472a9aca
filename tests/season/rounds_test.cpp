// A round read from a replay as marvolt-season reads it: the race rows with
// their drivers, the order in which the race's fastest lap is held, and the
// driver of each car of the entry list.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "frontend/telvo.hpp"
#include "season/rounds.hpp"
#include "support/harness.hpp"

namespace marvolt {
namespace {

using namespace testsupport;

TEST(Round, RaceRowsFastestLapOrderAndEntryDrivers) {
  // Car 1 sets 90 s at 181 s and again at 271 s; car 2 sets it once, at
  // 185.005 s, and comes first in the replay's lap lists. Car 3 retires,
  // car 4 never crosses the line.
  ReplayBuilder b;
  b.addSlot(kRace, 3, 604800.0f);
  b.addDriver(1, 1, "Al", "One");
  b.addDriver(2, 2, "Bo", "Two");
  b.addDriver(3, 3, "Cy", "Three");
  b.addDriver(4, 4, "Di", "Four");
  b.sessions.push_back({CarLapsRec::fromClocks(2, {5, 95005, 185005, 280000}),
                        CarLapsRec::fromClocks(1, {0, 91000, 181000, 271000}),
                        CarLapsRec::fromClocks(3, {10, 100000}), CarLapsRec{4, {}}});
  const Loaded replay(b);
  const Round round = roundOf(*replay.data, "r.rpy");
  // car id, driver, laps, race time, retired, laps led, best lap
  using Row = std::tuple<std::uint32_t, std::string, int, std::uint32_t, bool, std::uint32_t, std::uint32_t>;
  std::vector<Row> rows;
  for (const RoundCar& car : round.classification) {
    rows.emplace_back(car.carid, toUtf8(car.driver), car.laps, car.raceTime, car.retired, car.lapsLed, car.bestLap);
  }
  EXPECT_EQ(rows, (std::vector<Row>{{1, "Al One", 3, 271000, false, 3, 90000},
                                    {2, "Bo Two", 3, 280000, false, 0, 90000},
                                    {3, "Cy Three", 1, 100000, true, 0, 99990}}));
  // Of the two equal laps, car 1's was set first.
  EXPECT_EQ(round.fastestLaps, (std::vector<std::size_t>{0, 1, 2}));
  EXPECT_EQ(round.entryDrivers,
            (std::vector<CompetitorId>{u"Al One", u"Bo Two", u"Cy Three", u"Di Four"}));
}

// The pole: the fastest practice lap (testing excluded), of equal laps the
// earlier session's; none without a practice session.
TEST(Round, PoleFromThePracticeSessions) {
  const auto poleOf = [](const std::vector<std::int16_t>& types) {
    ReplayBuilder b;
    b.addDriver(1, 1, "Al", "One");
    b.addDriver(2, 2, "Bo", "Two");
    b.addDriver(3, 3, "Cy", "Three");
    // Per session before the race: Cy fastest in testing; Bo in the first
    // practice, Al as fast in the second.
    const std::vector<std::vector<CarLapsRec>> laps = {
        {CarLapsRec::fromClocks(3, {0, 80000})},
        {CarLapsRec::fromClocks(2, {0, 90000}), CarLapsRec::fromClocks(1, {0, 95000})},
        {CarLapsRec::fromClocks(1, {0, 90000})}};
    for (std::size_t s = 0; s < types.size(); ++s) {
      b.addSlot(types[s], 10, 3600.0f);
      b.sessions.push_back(laps[s]);
    }
    b.addSlot(kRace, 1, 604800.0f);
    b.sessions.push_back({CarLapsRec::fromClocks(1, {0, 91000}), CarLapsRec::fromClocks(2, {0, 92000})});
    const Loaded replay(b);
    const Round round = roundOf(*replay.data, "r.rpy");
    return toUtf8(round.pole.value_or(u"none"));
  };
  EXPECT_EQ(poleOf({kTesting, kPractice, kPractice}), "Bo Two");
  EXPECT_EQ(poleOf({kTesting, kTesting, kPractice}), "Al One");
  EXPECT_EQ(poleOf({kTesting}), "none");
  EXPECT_EQ(poleOf({}), "none");
}

}  // namespace
}  // namespace marvolt
