#include "timing/timing.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include <fmt/format.h>

#include "frontend/error.hpp"
#include "frontend/telvo.hpp"

namespace marvolt {

namespace {

constexpr std::size_t kReservedRows = 110;

// Lap indices are 16-bit; a longer list wraps without touching memory.
std::int16_t lapIndex(std::size_t i) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(i)); }

std::int32_t signedDiff(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b); }

std::vector<TimedLap> noLaps;

// A lap word holds the low 24 bits of the session clock, which therefore
// starts again from zero every 2^24 ms (4:39:37.216).
constexpr std::uint64_t kClockPeriod = std::uint64_t{1} << 24;

// The crossings of one lap list with the clock the session had: the
// crossings are in time order and the clock starts at zero, so a clock
// below the one before it has passed the period once more. Lists whose
// clocks never decrease keep them as they are.
void appendCrossings(std::vector<TimedLap>& laps, std::uint32_t carid, std::span<const LapTime> words) {
  std::uint64_t periods = 0;
  std::uint32_t previous = 0;
  for (const LapTime& word : words) {
    const std::uint32_t clock = word.getTime();
    if (clock < previous) periods += kClockPeriod;
    previous = clock;
    const std::uint64_t sessionClock = periods + clock;
    if (sessionClock > std::numeric_limits<std::uint32_t>::max()) {
      throw Error(fmt::format("Damaged lap list of car id {}: its crossings run past the 32-bit session clock",
                              carid));
    }
    laps.push_back({static_cast<std::uint32_t>(sessionClock), TimingGPL::toLF(word.flags())});
  }
}

// Rows from this many cells up are sorted by their clocks' bytes: linear
// in the row, where a comparison sort grows with the row's logarithm.
constexpr std::size_t kRadixRow = 256;

// Orders a row of one lap index by clock (unsigned), keeping the order of
// cells with equal clocks: the order of std::stable_sort by TimingCell.
void sortRowByClock(std::vector<TimingCell>& row, std::vector<TimingCell>& scratch) {
  if (row.size() < kRadixRow) {
    std::stable_sort(row.begin(), row.end());
    return;
  }
  // Least significant byte first; each pass is stable, so the order of the
  // previous passes (and of the lap lists) survives among equal bytes. A
  // byte that all clocks share (the high byte of 24-bit clocks) is skipped.
  scratch.resize(row.size());
  for (unsigned shift = 0; shift < 32; shift += 8) {
    std::array<std::size_t, 257> start{};
    for (const TimingCell& cell : row) ++start[((cell.lapData.clock >> shift) & 0xFF) + 1];
    if (std::find(start.begin() + 1, start.end(), row.size()) != start.end()) continue;
    for (std::size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
    for (const TimingCell& cell : row) scratch[start[(cell.lapData.clock >> shift) & 0xFF]++] = cell;
    row.swap(scratch);
  }
}

}  // namespace

// ---------------------------------------------------------------- texts

std::u16string TimedLap::timeStr() const { return msecToTime(clock); }

std::u16string TimedLap::flagStr() const { return lapFlagStr(flags); }

// ---------------------------------------------------------------- orders

bool TimingCell::operator<(const TimingCell& other) const {
  if (lap != other.lap) return lap < other.lap;
  return lapData.clock < other.lapData.clock;
}

bool RaceResult::operator<(const RaceResult& other) const {
  if (laps != other.laps) return laps > other.laps;
  return clock < other.clock;
}

// ---------------------------------------------------------------- Timing

Timing::Timing(const Session& s, const Entries& e) : session(s), entries(e) {}

void Timing::requireRace() const {
  MARVOLT_ASSERT(session.type == SessT::RACE, "race classification of a session that is no race");
}

RaceLapTable Timing::createRaceLapTable(const std::vector<TimingEntry>& cars) const {
  std::size_t longest = 0;
  for (const TimingEntry& car : cars) longest = std::max(longest, car.laps.size());
  RaceLapTable rows;
  rows.reserve(std::max(kReservedRows, longest));
  rows.resize(longest);
  // Row by row, each car's crossing number j in the order of the lap lists;
  // a row is written once, with its exact room, and read back while the
  // cars' nearby crossings are still in the cache.
  std::vector<const TimingEntry*> running;
  running.reserve(cars.size());
  for (const TimingEntry& car : cars) {
    if (!car.laps.empty()) running.push_back(&car);
  }
  std::vector<TimingCell> scratch;
  for (std::size_t j = 0; j < longest; ++j) {
    std::erase_if(running, [j](const TimingEntry* car) { return car->laps.size() <= j; });
    std::vector<TimingCell>& row = rows[j];
    row.reserve(running.size());
    for (const TimingEntry* car : running) row.push_back({car->carid, car->driverid, lapIndex(j), car->laps[j]});
    // Every cell of a row has the same lap index, so each row ends ordered by
    // clock; cars with equal clocks keep the order of the lap lists.
    sortRowByClock(row, scratch);
  }
  return rows;
}

BestLapResult Timing::bestlap(const TimingEntry& entry) const {
  BestLapResult best{entry.carid, entry.driverid, 0, 0, 0, 0, u"no time"};
  bool found = false;
  std::uint32_t prev = 0;
  for (std::size_t i = 0; i < entry.laps.size(); ++i) {
    const TimedLap& lap = entry.laps[i];
    const std::uint32_t laptime = lap.clock - prev;
    prev = lap.clock;
    if (i == 0 || hasFlag(lap.flags, LapFlag::INVALID)) continue;
    // A later lap that is not slower replaces the best so far; the time was
    // first set by the first lap of the best time.
    if (!found || laptime <= best.laptime) {
      const std::uint32_t firstClock = found && laptime == best.laptime ? best.firstClock : lap.clock;
      best = {entry.carid, entry.driverid, lapIndex(i), laptime, lap.clock, -1, lapFlagStr(lap.flags), firstClock};
      found = true;
    }
  }
  return best;
}

std::uint32_t Timing::bestlap(const std::vector<TimedLap>& laps) const {
  std::uint32_t best = 0;
  bool found = false;
  std::uint32_t prev = 0;
  for (std::size_t i = 0; i < laps.size(); ++i) {
    const std::uint32_t laptime = laps[i].clock - prev;
    prev = laps[i].clock;
    if (i == 0 || hasFlag(laps[i].flags, LapFlag::INVALID)) continue;
    if (!found || laptime <= best) best = laptime;
    found = true;
  }
  return best;
}

std::vector<BestLapResult> Timing::getBestLapResults() const {
  std::vector<BestLapResult> rows;
  for (const TimingEntry& car : timing) {
    BestLapResult row = bestlap(car);
    if (row.laptime != 0) rows.push_back(std::move(row));
  }
  std::stable_sort(rows.begin(), rows.end());
  if (!rows.empty()) {
    const std::uint32_t fastest = rows.front().laptime;
    for (BestLapResult& row : rows) row.gap = signedDiff(row.laptime, fastest);
  }
  return rows;
}

std::vector<RaceResult> Timing::getRaceResults() const {
  requireRace();
  std::vector<RaceResult> results;
  if (raceLapTable.empty() || raceLapTable.front().empty()) return results;
  const TimingCell& start = raceLapTable.front().front();
  const std::size_t winnerRow = raceLapTable.size() - 1;
  const TimingCell& winner = raceLapTable[winnerRow].front();
  std::unordered_set<std::uint32_t> classified;
  classified.reserve(timing.size());
  for (std::size_t r = raceLapTable.size(); r-- > 0;) {
    const std::vector<TimingCell>& row = raceLapTable[r];
    for (std::size_t k = 0; k < row.size(); ++k) {
      const TimingCell& cell = row[k];
      if (!classified.insert(cell.carid).second) continue;
      RaceResult result{cell.carid, cell.driverid, lapIndex(r), cell.lapData.clock - start.lapData.clock, 0, 0, {}};
      const std::uint32_t clock = cell.lapData.clock;
      result.gap = signedDiff(clock, winner.lapData.clock);
      if (r == winnerRow) {
        result.diff = k > 0 ? signedDiff(clock, row[k - 1].lapData.clock) : signedDiff(clock, winner.lapData.clock);
      } else {
        if (result.gap < 0) {
          // Stopped before the winner finished: behind the leader of its last lap.
          result.gap = signedDiff(clock, row.front().lapData.clock);
          result.remark += u"DNF";
          result.retired = true;
        }
        result.diff = k > 0 ? signedDiff(clock, row[k - 1].lapData.clock) : static_cast<std::int32_t>(NOTIME);
      }
      results.push_back(std::move(result));
    }
  }
  return results;
}

RaceResult Timing::lastlap(const TimingEntry& entry) const {
  requireRace();
  if (entry.laps.empty()) return {entry.carid, entry.driverid, 0, 0, 0, 0, u"no laps"};
  const std::size_t laps = entry.laps.size() - 1;
  if (laps > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
    throw Error("Conversion positive overflow");
  }
  return {entry.carid, entry.driverid, static_cast<std::int16_t>(laps), entry.laps.back().clock, 0, 0, {}};
}

std::vector<RaceResult> Timing::getRaceResults2() const {
  requireRace();
  std::vector<RaceResult> rows;
  rows.reserve(timing.size());
  for (const TimingEntry& car : timing) rows.push_back(lastlap(car));
  std::stable_sort(rows.begin(), rows.end());
  if (rows.empty()) return rows;
  const std::uint32_t firstClock = rows.front().clock;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    RaceResult& row = rows[i];
    row.diff = i > 0 && row.laps == rows[i - 1].laps ? signedDiff(row.clock, rows[i - 1].clock) : 0;
    if (row.clock < firstClock) {
      row.remark += u"DNF";
      row.retired = true;
    }
  }
  return rows;
}

const CarHistory* RaceHistory::car(std::uint32_t carid) const {
  const auto it = cars.find(carid);
  return it != cars.end() ? &it->second : nullptr;
}

RaceHistory Timing::raceHistory() const {
  requireRace();
  RaceHistory history;
  history.cars.reserve(timing.size());
  for (std::size_t j = 0; j < raceLapTable.size(); ++j) {
    const std::vector<TimingCell>& row = raceLapTable[j];
    for (std::size_t k = 0; k < row.size(); ++k) {
      CarHistory& car = history.cars[row[k].carid];
      // A car reaches row j only after rows 0 to j - 1, so its standings
      // hold j elements unless another lap list of its id came first.
      if (car.standings.size() > j) continue;
      car.standings.push_back(
          {static_cast<std::int32_t>(k + 1), signedDiff(row[k].lapData.clock, row.front().lapData.clock)});
      if (k == 0 && j > 0) ++car.lapsLed;
    }
  }
  return history;
}

std::unordered_map<std::uint32_t, std::uint32_t> Timing::lapsLed() const {
  requireRace();
  std::unordered_map<std::uint32_t, std::uint32_t> led;
  for (std::size_t j = 1; j < raceLapTable.size(); ++j) {
    if (!raceLapTable[j].empty()) ++led[raceLapTable[j].front().carid];
  }
  return led;
}

const std::vector<TimedLap>& Timing::laptimes(std::uint32_t carid) const {
  for (const TimingEntry& car : timing) {
    if (car.carid == carid) return car.laps;
  }
  return noLaps;
}

void Timing::appendLapLines(std::string& out, const std::vector<TimedLap>& laps, std::uint32_t carid) const {
  const Entry* entry = entries.findCarid(carid);
  char number[24];
  out += "Car number ";
  out.append(number, std::to_chars(number, number + sizeof number, entry != nullptr ? entry->startNum : 0).ptr);
  out += " laptimes\n";
  std::uint32_t prev = 0;
  char time[kTimeChars];
  for (std::size_t i = 0; i < laps.size(); ++i) {
    // "%3s: %9s  %s\n" with the index, the lap time and the flags.
    appendRight(out, std::string_view(number, std::to_chars(number, number + sizeof number, i).ptr), 3);
    out += ": ";
    appendRight(out, std::string_view(time, writeMsecToTime(time, laps[i].clock - prev)), 9);
    out += "  ";
    appendLapFlagStr(out, laps[i].flags);
    out += '\n';
    prev = laps[i].clock;
  }
  out += '\n';
}

FirstLapLists Timing::firstLapLists() const {
  FirstLapLists lists;
  lists.reserve(timing.size());
  for (const TimingEntry& car : timing) lists.emplace(car.carid, &car.laps);   // the first one stays
  return lists;
}

void Timing::appendLaptimes(std::string& out, std::uint32_t carid) const {
  appendLapLines(out, laptimes(carid), carid);
}

void Timing::appendDumpLaps(std::string& out) const {
  // Each car's laps are those of the first lap list with its car id, as
  // laptimes() finds them; one pass keeps this linear in the field.
  const FirstLapLists firstLaps = firstLapLists();
  for (const TimingEntry& car : timing) appendLapLines(out, *firstLaps.at(car.carid), car.carid);
}

std::u16string Timing::laptimesStr(std::uint32_t carid) const {
  std::string text;
  appendLaptimes(text, carid);
  return toUtf16(text);
}

std::u16string Timing::dumpLaps() const {
  std::string text;
  appendDumpLaps(text);
  return toUtf16(text);
}

// ---------------------------------------------------------------- TimingGPL

TimingGPL::TimingGPL(const Session& s, const RpySession& rpySession, const Entries& e) : Timing(s, e) {
  load(rpySession.cars);
  switch (s.type) {
    case SessT::TESTING:
    case SessT::PRACTICE: type = TimingT::BESTLAP; break;
    case SessT::RACE: type = TimingT::RACE; break;
    default: throw Error("Unknown timing type");
  }
}

LapFlag TimingGPL::toLF(std::uint8_t raw) {
  LapFlag flags = LapFlag::NONE;
  if ((raw & 0x40) != 0) flags = flags | LapFlag::OFFTRACK;
  if ((raw & 0x10) != 0) flags = flags | LapFlag::INVALID;
  if ((raw & 0xAF) != 0) flags = flags | LapFlag::UNKNOWN;
  return flags;
}

void TimingGPL::load(std::span<const CarLaps> cars) {
  timing.reserve(timing.size() + cars.size());
  for (const CarLaps& car : cars) {
    TimingEntry entry;
    entry.carid = car.carid;
    // A car without entry or driver keeps driver id 0; the reports then
    // show the placeholder entry rather than drop a car that raced.
    const Entry* owner = entries.findCarid(car.carid);
    if (owner != nullptr && !owner->drivers.empty()) entry.driverid = owner->drivers.front().driverid;
    // The number of crossings is known: room for exactly these, so the list
    // never grows while it is filled. (Room for a fixed 110 would cost every
    // car, also one of 16 bytes in the file, almost 1 KB.)
    entry.laps.reserve(car.laps.size());
    appendCrossings(entry.laps, car.carid, car.laps);
    timing.push_back(std::move(entry));
  }
  raceLapTable = createRaceLapTable(timing);
}

}  // namespace marvolt
