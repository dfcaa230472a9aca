// The report model of replays made by the builder: the rows of each
// classification, laps behind, the race history, the clock a best time was
// first set at, cars without an entry. (What the sections leave out is
// checked in the reports themselves.)
#include "reports/reportmodel.hpp"

#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

#include "frontend/telvo.hpp"
#include "support/harness.hpp"

namespace marvolt {
namespace {

using namespace testsupport;

// A testing session with two lap lists of car 1 and one of car 9, which has
// no entry, before the race of five.
ReplayBuilder weekend() {
  ReplayBuilder b = raceOfFive();
  b.weekend.slots.insert(b.weekend.slots.begin(), {kTesting, 0x7FFF, floatBits(3600.0f)});
  b.sessions.insert(b.sessions.begin(), {CarLapsRec::fromClocks(1, {0, 100}), CarLapsRec::fromClocks(1, {5, 50, 95}),
                                         CarLapsRec::fromClocks(9, {0})});
  return b;
}

TEST(ReportModel, RaceRowsLapsBehindAndHistory) {
  const Loaded replay(weekend());
  const ReportModel model = buildReportModel(*replay.data, Sections().set(Flag::LAPTIMES, true), true);
  ASSERT_EQ(model.sessions.size(), 2u);
  const ReportSession& race = model.sessions[1];
  // car id, laps, race time, gap, interval, remark, retired, laps led, best lap, laps behind
  using Result = std::tuple<std::uint32_t, int, std::uint32_t, std::uint32_t, std::uint32_t, std::string, bool,
                            std::uint32_t, std::uint32_t, std::int32_t>;
  std::vector<Result> results;
  for (const RaceRow& r : race.results) {
    results.emplace_back(r.car.carid, r.laps, r.raceTime, r.gap, r.interval, toUtf8(r.remark), r.retired, r.lapsLed,
                         r.bestLap, r.lapsBehind);
  }
  EXPECT_EQ(results, (std::vector<Result>{{2, 4, 370, 0, 0, "", false, 2, 90, 0},
                                          {4, 4, 371, 1, 1, "", false, 0, 86, 0},
                                          {3, 3, 450, 80, 165, "", false, 0, 125, 1},
                                          {1, 2, 180, 0, NOTIME, "DNF", true, 2, 90, 2}}));
  // Best laps: car id, lap, time, gap, clock of the last and of the first lap of the best time.
  using Best = std::tuple<std::uint32_t, int, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t>;
  std::vector<Best> best;
  for (const BestLapRow& r : race.bestLaps) {
    best.emplace_back(r.car.carid, r.lap, r.lapTime, r.gap, r.clock, r.firstClock);
  }
  EXPECT_EQ(best, (std::vector<Best>{{4, 4, 86, 0, 381, 381}, {1, 2, 90, 4, 190, 100}, {2, 4, 90, 4, 380, 290},
                                     {3, 1, 125, 39, 140, 140}}));
  // car id -> (position, gap to the leader, race time) after each crossing
  using Standing = std::tuple<std::int32_t, std::uint32_t, std::uint32_t>;
  std::map<std::uint32_t, std::vector<Standing>> standings;
  for (const LapListRow& list : race.lapLists) {
    for (const RaceStanding& s : race.courses[list.first].standings) {
      standings[list.car.carid].emplace_back(s.position, s.gap, s.raceTime);
    }
  }
  EXPECT_EQ(standings, (std::map<std::uint32_t, std::vector<Standing>>{
                           {1, {{1, 0, 0}, {1, 0, 90}, {1, 0, 180}}},
                           {2, {{3, 2, 2}, {2, 5, 95}, {3, 10, 190}, {1, 0, 280}, {1, 0, 370}}},
                           {3, {{4, 5, 5}, {4, 40, 130}, {4, 110, 290}, {3, 170, 450}}},
                           {4, {{2, 2, 2}, {3, 10, 100}, {2, 10, 190}, {2, 5, 285}, {2, 1, 371}}}}));
  EXPECT_EQ(race.courses[race.results[0].course].crossings[1].lapTime(), 93u);
}

TEST(ReportModel, CarsEntriesAndLapListsOfACarIdTwice) {
  const Loaded replay(weekend());
  const ReportModel laps = buildReportModel(*replay.data, Sections().set(Flag::LAPTIMES, true));
  ASSERT_EQ(laps.entries.size(), 5u);
  EXPECT_EQ(laps.entries[0].drivers[0].name, u"Driver 1");
  const ReportSession& testing = laps.sessions[0];
  EXPECT_TRUE(testing.classified);
  EXPECT_EQ(testing.bestLaps.size(), 2u);
  ASSERT_EQ(testing.lapLists.size(), 3u);
  // A second lap list of a car id shows the first in the lap dumps; its own crossings stay.
  EXPECT_EQ(testing.lapLists[1].first, 0u);
  const std::span<const Crossing> own = testing.courses[testing.lapLists[1].own].crossings;
  EXPECT_EQ(own.size(), 3u);
  EXPECT_EQ(own[2].lapTime(), 45u);
  const CarRef& stranger = testing.lapLists[2].car;
  EXPECT_EQ(std::tie(stranger.startNum, stranger.listed, stranger.name), std::make_tuple(0, kNotListed, u" "));
  EXPECT_EQ(laps.driverOf(stranger).remark, u"invalid");
  EXPECT_EQ(laps.entryAt(stranger.listed).team, u"SomeTeam");

  // Laps led come with the race rows, with or without the history of the charts.
  EXPECT_EQ(buildReportModel(*replay.data, Sections()).sessions[1].results[0].lapsLed, 2u);
  EXPECT_FALSE(buildReportModel(DataGPL(), Sections()).hasEvent);
}

// A crossing keeps its lap time, flags and clock apart, at their limits too.
TEST(ReportModel, ACrossingKeepsItsFieldsApart) {
  const LapFlag all = LapFlag::OFFTRACK | LapFlag::INVALID | LapFlag::UNKNOWN;
  const std::tuple<std::uint32_t, std::uint32_t, LapFlag> cases[] = {
      {Crossing::kLongestLap, 0, LapFlag::NONE}, {0, 0xFFFFFFFFu, all}, {93, 0x80000000u, LapFlag::INVALID}};
  for (const auto& [lapTime, clock, flags] : cases) {
    const Crossing crossing(lapTime, clock, flags);
    EXPECT_EQ(std::make_tuple(crossing.lapTime(), crossing.clock(), crossing.flags()),
              std::make_tuple(lapTime, clock, flags));
  }
}

// A session's courses view its one array of crossings; a copy's view the
// copy's, and outlive the original.
TEST(ReportModel, ACopyViewsItsOwnCrossings) {
  const Loaded replay(weekend());
  const Sections sections = Sections().set(Flag::LAPTIMES, true);
  const ReportModel copy = [&] {
    const ReportModel original = buildReportModel(*replay.data, sections, true);
    return ReportModel(original);
  }();
  const ReportModel fresh = buildReportModel(*replay.data, sections, true);
  for (std::size_t s = 0; s < copy.sessions.size(); ++s) {
    const ReportSession& session = copy.sessions[s];
    std::size_t viewed = 0;
    for (std::size_t c = 0; c < session.courses.size(); ++c) {
      const std::span<const Crossing> crossings = session.courses[c].crossings;
      if (!crossings.empty()) {
        EXPECT_EQ(crossings.data(), session.lapCrossings.data() + viewed);
      }
      viewed += crossings.size();
      ASSERT_EQ(crossings.size(), fresh.sessions[s].courses[c].crossings.size());
      for (std::size_t j = 0; j < crossings.size(); ++j) {
        EXPECT_EQ(crossings[j].clock(), fresh.sessions[s].courses[c].crossings[j].clock());
      }
    }
    EXPECT_EQ(viewed, session.lapCrossings.size());
  }
}

}  // namespace
}  // namespace marvolt
