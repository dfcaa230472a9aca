#include "timing/timing.hpp"

#include <algorithm>
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

// A cell's place in its row of the race lap table: its clock, then its lap
// list's place among the lap lists, in one number. Every key is different,
// so ordering by key is the order of a stable sort by clock.
std::uint64_t rowKey(std::uint32_t clock, std::size_t list) { return std::uint64_t{clock} << 32 | list; }
std::size_t listOf(std::uint64_t key) { return static_cast<std::uint32_t>(key); }

// Sorts keys that are nearly in order: by insertion, unless the keys move
// farther than a few places each, then by comparison.
void sortNearlySorted(std::vector<std::uint64_t>& keys) {
  const std::size_t budget = 8 * keys.size() + 64;
  std::size_t moved = 0;
  for (std::size_t i = 1; i < keys.size(); ++i) {
    const std::uint64_t key = keys[i];
    std::size_t k = i;
    for (; k > 0 && keys[k - 1] > key; --k) keys[k] = keys[k - 1];
    keys[k] = key;
    moved += i - k;
    if (moved > budget) {
      std::sort(keys.begin(), keys.end());
      return;
    }
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
  // Row by row, the cars still running in the order of the row before:
  // from one crossing to the next the order of a race barely changes, so
  // each row starts nearly sorted. The first row starts in lap-list order.
  std::vector<std::uint64_t> keys, previous;
  for (std::size_t i = 0; i < cars.size(); ++i) {
    if (!cars[i].laps.empty()) previous.push_back(rowKey(0, i));
  }
  keys.reserve(previous.size());
  for (std::size_t j = 0; j < longest; ++j) {
    keys.clear();
    for (const std::uint64_t key : previous) {
      const TimingEntry& car = cars[listOf(key)];
      if (car.laps.size() > j) keys.push_back(rowKey(car.laps[j].clock, listOf(key)));
    }
    sortNearlySorted(keys);
    std::vector<TimingCell>& row = rows[j];
    row.reserve(keys.size());
    for (const std::uint64_t key : keys) {
      const TimingEntry& car = cars[listOf(key)];
      row.push_back({car.carid, car.driverid, lapIndex(j), car.laps[j]});
    }
    previous.swap(keys);
  }
  return rows;
}

BestLapResult Timing::bestlap(const TimingEntry& entry) const {
  // A later lap that is not slower replaces the best so far; the time was
  // first set by the first lap of the best time.
  std::size_t best = 0;
  std::uint32_t bestTime = 0, firstClock = 0;
  std::uint32_t prev = 0;
  for (std::size_t i = 0; i < entry.laps.size(); ++i) {
    const TimedLap& lap = entry.laps[i];
    const std::uint32_t laptime = lap.clock - prev;
    prev = lap.clock;
    if (i == 0 || hasFlag(lap.flags, LapFlag::INVALID)) continue;
    if (best == 0 || laptime <= bestTime) {
      if (best == 0 || laptime < bestTime) firstClock = lap.clock;
      best = i;
      bestTime = laptime;
    }
  }
  if (best == 0) return {entry.carid, entry.driverid, 0, 0, 0, 0, u"no time"};
  const TimedLap& lap = entry.laps[best];
  return {entry.carid, entry.driverid, lapIndex(best), bestTime, lap.clock, -1, lapFlagStr(lap.flags), firstClock};
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
      if (j == 0) car.standings.reserve(raceLapTable.size());   // room once, no copies left behind
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
  // Only the classification of a race reads the lap table.
  if (session.type == SessT::RACE) raceLapTable = createRaceLapTable(timing);
}

}  // namespace marvolt
