#include "timing/timing.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>

#include "frontend/telvo.hpp"
#include "support/harness.hpp"

namespace marvolt {
namespace {

using testsupport::CarLapsRec, testsupport::lapWord;

CarLapsRec car(std::uint32_t carid, const std::vector<std::uint32_t>& clocks) {
  return CarLapsRec::fromClocks(carid, clocks);
}

/// The timing of a replay of one session of `cars`, loaded as marvolt loads
/// it; each car has an entry with start number carid + 10 and driver id carid * 100.
std::shared_ptr<Timing> timingOf(SessT type, const std::vector<CarLapsRec>& cars) {
  testsupport::ReplayBuilder b;
  b.addSlot(static_cast<std::int16_t>(type), 10, 604800.0f);
  for (const CarLapsRec& c : cars) b.addDriver(c.carid + 10, c.carid, "", "").driverid = c.carid * 100;
  b.sessions = {cars};
  return testsupport::Loaded(b).data->events.front().sessions.front().timing;
}

// Classification rows as comparable values: car id, laps or lap, time or clock, gap, diff or clock, remark.
using Row = std::tuple<std::uint32_t, int, std::uint32_t, std::int32_t, std::int64_t, std::string>;
std::vector<Row> rows(const std::vector<RaceResult>& results) {
  std::vector<Row> out;
  for (const RaceResult& r : results) out.emplace_back(r.carid, r.laps, r.clock, r.gap, r.diff, toUtf8(r.remark));
  return out;
}
Row row(const BestLapResult& r) { return {r.carid, r.lap, r.laptime, r.gap, r.clock, toUtf8(r.remark)}; }

TEST(TimeText, UnitBordersAndNoTime) {
  const std::pair<std::uint32_t, std::u16string> cases[] = {
      {0, u"0.000"},           {9999, u"9.999"},          {10000, u"10.000"},
      {59999, u"59.999"},      {60000, u"1:00.000"},      {600000, u"10:00.000"},
      {83456, u"1:23.456"},    {3599999, u"59:59.999"},   {3600000, u"1:00:00.000"}, {36061001, u"10:01:01.001"},
      {NOTIME, u"-.---"},      {0x80000000u, u"596:31:23.648"}, {4000000000u, u"1111:06:40.000"},
      {4294967295u, u"1193:02:47.295"}};
  for (const auto& [ms, text] : cases) EXPECT_EQ(msecToTime(ms), text) << ms;
}

TEST(LapFlags, RawBytesAndTheirTexts) {
  const std::pair<std::uint8_t, const char16_t*> cases[] = {
      {0x00, u""},          {0x10, u"Invalid"},           {0x40, u"Off Track"},
      {0x50, u"Off Track Invalid"}, {0x80, u"Unknown"}, {0x41, u"Off Track Unknown"},
      {0xFF, u"Off Track Invalid Unknown"}};
  for (const auto& [raw, text] : cases) EXPECT_EQ(lapFlagStr(TimingGPL::toLF(raw)), text) << int(raw);
  const auto t = timingOf(SessT::PRACTICE, {CarLapsRec{1, {lapWord(0x01ABCD, 0x50)}}});
  EXPECT_EQ(t->timing[0].laps[0].clock, 109517u);
  EXPECT_EQ(t->timing[0].laps[0].flags, LapFlag::OFFTRACK | LapFlag::INVALID);
}

// The cells of a lap table row: car id, lap, clock, flags.
using Cell = std::tuple<std::uint32_t, int, std::uint32_t, int>;
std::vector<Cell> cells(const std::vector<TimingCell>& row) {
  std::vector<Cell> out;
  for (const TimingCell& c : row) out.emplace_back(c.carid, c.lap, c.lapData.clock, static_cast<int>(c.lapData.flags));
  return out;
}

TEST(RaceLapTable, EveryFieldKeepsTheOrderOfAStableSort) {
  // Each row starts from the order of the row before and is sorted from
  // there; every row must still equal the cells in lap-list order, stably
  // sorted by clock. Race-like clocks (the order changes a little from lap
  // to lap) and scattered ones, in small and large fields; clocks in a
  // narrow band give many ties; some use all 32 bits.
  const std::tuple<std::uint32_t, std::uint32_t, bool> fields[] = {
      {5, 3, true}, {40, 3, true}, {40, 256, true}, {40, 256, false}, {700, 3, true}, {700, 256, false}};
  for (const auto& [field, spread, raceLike] : fields) {
    std::vector<TimingEntry> cars;
    std::uint32_t noise = 12345;
    for (std::uint32_t c = 0; c < field; ++c) {
      TimingEntry e;
      e.carid = 5000 - c;
      e.driverid = c;
      const std::size_t laps = c % 50 == 7 || c == 3 ? 2 : 4;  // some cars stop early
      for (std::size_t j = 0; j < laps; ++j) {
        noise = noise * 1664525u + 1013904223u;
        std::uint32_t clock =
            static_cast<std::uint32_t>(j) * 90000 + (raceLike ? c * spread / 4 : 0) + (noise >> 24) % spread;
        if (c % 97 == 3) clock |= 0x80000000u;
        if (c % 89 == 5) clock = 0xFFFFFFFFu - (noise >> 28);
        e.laps.push_back({clock, c % 3 == 0 ? LapFlag::OFFTRACK : LapFlag::NONE});
      }
      cars.push_back(e);
    }
    const RaceLapTable rows = timingOf(SessT::RACE, {})->createRaceLapTable(cars);
    ASSERT_EQ(rows.size(), 4u);
    for (std::size_t j = 0; j < rows.size(); ++j) {
      std::vector<TimingCell> expected;
      for (const TimingEntry& e : cars) {
        if (e.laps.size() > j) expected.push_back({e.carid, e.driverid, static_cast<std::int16_t>(j), e.laps[j]});
      }
      std::stable_sort(expected.begin(), expected.end());
      EXPECT_EQ(cells(rows[j]), cells(expected)) << field << " cars, spread " << spread << ", row " << j;
    }
  }
}

// Of equal laps the later one is the best; a car with one crossing, or with
// invalid laps only, has no time and no row. (A flagged car's best lap, the
// first crossing and invalid laps left out, is in the whole-weekend report.)
TEST(BestLap, TiesAndCarsWithoutATime) {
  const auto t = timingOf(SessT::PRACTICE, {car(2, {0, 90000, 180000}), car(3, {5000}),
                                            CarLapsRec{4, {lapWord(0), lapWord(95000, 0x10)}}});
  EXPECT_EQ(row(t->bestlap(t->timing[0])), Row(2, 2, 90000, -1, 180000, ""));
  for (const std::size_t none : {1, 2}) {
    EXPECT_EQ(t->bestlap(t->timing[none]).laptime, 0u);
    EXPECT_EQ(t->bestlap(t->timing[none]).remark, u"no time");
  }
  EXPECT_EQ(t->bestlap(t->timing[0].laps), 90000u);
  EXPECT_EQ(t->bestlap(t->timing[2].laps), 0u);
  const auto results = t->getBestLapResults();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(row(results[0]), Row(2, 2, 90000, 0, 180000, ""));
  EXPECT_EQ(results[0].driverid, 200u);
}

TEST(BestLap, EqualTimesShareTheGapInListOrder) {
  const auto t = timingOf(SessT::PRACTICE, {car(1, {0, 1000, 2500}), car(2, {0, 1500}), car(3, {0, 1500})});
  std::vector<std::pair<std::uint32_t, std::int32_t>> order;
  for (const BestLapResult& r : t->getBestLapResults()) order.emplace_back(r.carid, r.gap);
  EXPECT_EQ(order, (std::vector<std::pair<std::uint32_t, std::int32_t>>{{1, 0}, {2, 500}, {3, 500}}));
}

// Rows: car id, laps, clock, gap to the winner, interval to the car ahead, remark.
TEST(RaceResults, StoppedLateAndLappedCars) {
  const CarLapsRec a = car(1, {10, 100, 190}), b = car(2, {12, 105, 200});
  const std::pair<std::vector<CarLapsRec>, std::vector<Row>> cases[] = {
      // C stops before the winner finishes: DNF. D is lapped but crossed after the winner finished: no DNF.
      {{a, b, car(3, {15, 110}), car(4, {20, 250})},
       {{1, 2, 180, 0, 0, ""}, {2, 2, 190, 10, 10, ""}, {3, 1, 100, 10, 5, "DNF"}, {4, 1, 240, 60, 140, ""}}},
      // C crosses again at 195: it finishes second, between A and B.
      {{a, b, car(3, {15, 110, 195})}, {{1, 2, 180, 0, 0, ""}, {3, 2, 185, 5, 5, ""}, {2, 2, 190, 10, 5, ""}}},
      {{car(1, {}), car(2, {})}, {}},
      {{}, {}},
  };
  for (const auto& [cars, expected] : cases) EXPECT_EQ(rows(timingOf(SessT::RACE, cars)->getRaceResults()), expected);
  EXPECT_EQ(timingOf(SessT::RACE, {a})->getRaceResults()[0].driverid, 100u);
  EXPECT_DEATH(timingOf(SessT::PRACTICE, {car(1, {10})})->getRaceResults(), "Internal error");
}

// A lap word keeps the low 24 bits of the clock (the builder drops the rest),
// which start again from zero after 4:39:37.216; each car's list is counted
// on from its own wraps, whichever crossing they fall on.
TEST(RaceResults, ClocksPastTheLapWordsPeriod) {
  const std::pair<std::vector<CarLapsRec>, std::vector<Row>> cases[] = {
      // The earlier finisher's list never wraps; the later one's wraps on its last crossing.
      {{car(1, {5000, 5590000, 11175000, 16760000}), car(2, {5500, 5600000, 11200000, 16790000})},
       {{1, 3, 16755000, 0, 0, ""}, {2, 3, 16785000, 30000, 30000, ""}}},
      // Car 1 wraps on lap 3, car 2 on lap 2 before it stops, car 3's one lap spans the wrap.
      {{car(1, {0, 6000000, 12000000, 18000000}), car(2, {200, 9000000, 17900000}), car(3, {16500000, 17500000})},
       {{1, 3, 18000000, 0, 0, ""}, {2, 2, 17900000, 5900000, 5900000, "DNF"},
        {3, 1, 17500000, 11500000, 8500000, "DNF"}}},
  };
  for (const auto& [cars, expected] : cases) EXPECT_EQ(rows(timingOf(SessT::RACE, cars)->getRaceResults()), expected);
  const auto spanning = timingOf(SessT::PRACTICE, {car(3, {16500000, 17500000})});
  EXPECT_EQ(toUtf8(spanning->laptimesStr(3)), "Car number 13 laptimes\n  0: 4:35:00.000  \n  1: 16:40.000  \n\n");
  EXPECT_EQ(row(spanning->getBestLapResults().at(0)), Row(3, 1, 1000000, 0, 17500000, ""));

  // 255 wraps reach the last millisecond of 32 bits; one more is a damaged replay.
  for (const std::size_t wraps : {255, 256}) {
    std::vector<std::uint32_t> clocks;
    for (std::size_t w = 0; w < wraps; ++w) clocks.insert(clocks.end(), {0xFFFFFF, 0});
    if (wraps == 255) clocks.push_back(0xFFFFFF);
    try {
      EXPECT_EQ(timingOf(SessT::RACE, {car(7, clocks)})->timing[0].laps.back().clock, 0xFFFFFFFFu);
      EXPECT_EQ(wraps, 255u);
    } catch (const Error& e) {
      EXPECT_EQ(wraps, 256u);
      EXPECT_EQ(e.message(), "Damaged lap list of car id 7: its crossings run past the 32-bit session clock");
    }
  }
}

}  // namespace
}  // namespace marvolt
