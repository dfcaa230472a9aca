// Lap timing of one session: line crossings become timed laps with flags,
// the race lap table orders every car's crossings lap by lap, and the
// classifications rank the cars by best lap or by race distance and time.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/data.hpp"
#include "replay/rpylib.hpp"
#include "timing/timetext.hpp"

namespace marvolt {

/// One crossing of the line.
struct TimedLap {
  std::uint32_t clock = 0;   ///< session clock at the crossing, milliseconds
  LapFlag flags = LapFlag::NONE;

  /// The clock as time text.
  std::u16string timeStr() const;
  /// The flags as text.
  std::u16string flagStr() const;
};

/// The crossings of one car, in order; a crossing's index is its lap index.
struct TimingEntry {
  std::uint32_t carid = 0;
  std::uint32_t driverid = 0;
  std::vector<TimedLap> laps;
};

/// One cell of the race lap table.
struct TimingCell {
  std::uint32_t carid = 0;
  std::uint32_t driverid = 0;
  std::int16_t lap = 0;
  TimedLap lapData;

  /// Order by lap index, then by clock.
  bool operator<(const TimingCell& other) const;
};

/// The kind of timing of a session.
enum class TimingT : std::int32_t { BESTLAP = 0, RACE = 1 };

/// One row of a best-lap classification.
struct BestLapResult {
  std::uint32_t carid = 0;
  std::uint32_t driverid = 0;
  std::int16_t lap = 0;
  std::uint32_t laptime = 0;
  std::uint32_t clock = 0;
  std::int32_t gap = 0;
  std::u16string remark;
  std::uint32_t firstClock = 0;   ///< when the car first set its best time (`clock` is the last)

  /// Order by lap time.
  bool operator<(const BestLapResult& other) const { return laptime < other.laptime; }
};

/// One row of a race classification.
struct RaceResult {
  std::uint32_t carid = 0;
  std::uint32_t driverid = 0;
  std::int16_t laps = 0;
  std::uint32_t clock = 0;
  std::int32_t gap = 0;
  std::int32_t diff = 0;
  std::u16string remark;
  bool retired = false;   ///< stopped before the winner finished: the remark's "DNF"

  /// Order by laps descending, then by clock.
  bool operator<(const RaceResult& other) const;
};

using RaceLapTable = std::vector<std::vector<TimingCell>>;

/// Where a car stood after one of its crossings of the line in a race.
struct Standing {
  std::int32_t position = 0;   ///< 1 + the number of cars that made this crossing number before it
  std::int32_t gap = 0;        ///< milliseconds behind the first car to make it (0 for that car)
};

/// The course of a race for one car.
struct CarHistory {
  std::vector<Standing> standings;   ///< element j: after the car's crossing number j
  std::uint32_t lapsLed = 0;         ///< crossing numbers from 1 on that the car made first
};

/// The course of a race, car by car: the race lap table read row by row.
struct RaceHistory {
  /// The history of the car `carid`; null for a car that never crossed the line.
  const CarHistory* car(std::uint32_t carid) const;

  std::unordered_map<std::uint32_t, CarHistory> cars;
};

/// The lap list each car id shows: the first of the session with that id.
using FirstLapLists = std::unordered_map<std::uint32_t, const std::vector<TimedLap>*>;

/// The timing of one session.
class Timing {
 public:
  /// Keeps copies of the session and the entries; builds nothing.
  Timing(const Session& session, const Entries& entries);
  virtual ~Timing() = default;

  /// Row r holds every car's crossing number r, ordered by clock; cars with
  /// equal clocks in the order of the lap lists.
  virtual RaceLapTable createRaceLapTable(const std::vector<TimingEntry>& entries) const;
  /// Every car with a valid lap, fastest first, with the gap to the fastest.
  virtual std::vector<BestLapResult> getBestLapResults() const;
  /// The best valid lap of one car, or the "no time" row.
  virtual BestLapResult bestlap(const TimingEntry& entry) const;
  /// The best valid lap time of a lap list, 0 when none.
  virtual std::uint32_t bestlap(const std::vector<TimedLap>& laps) const;
  /// The race classification; the session must be a race.
  virtual std::vector<RaceResult> getRaceResults() const;
  /// A simpler race classification by last crossing; the session must be a race.
  virtual std::vector<RaceResult> getRaceResults2() const;
  /// The last crossing of one car; the session must be a race.
  virtual RaceResult lastlap(const TimingEntry& entry) const;
  /// The crossings of a car, empty when the car has none.
  virtual const std::vector<TimedLap>& laptimes(std::uint32_t carid) const;
  /// The lap list of a car as text.
  virtual std::u16string laptimesStr(std::uint32_t carid) const;
  /// The lap lists of every car as text.
  virtual std::u16string dumpLaps() const;
  /// Always empty text.
  virtual std::u16string toString() const { return {}; }
  /// Position and gap of every car after each of its crossings, and the laps
  /// it led; the session must be a race. Of two lap lists with one car id,
  /// the crossing made first on each crossing number counts.
  RaceHistory raceHistory() const;
  /// The laps each car id led, as raceHistory() counts them, without the
  /// standings; the session must be a race.
  std::unordered_map<std::uint32_t, std::uint32_t> lapsLed() const;
  /// The first lap list of every car id, as laptimes() finds them, in one pass.
  FirstLapLists firstLapLists() const;
  /// Appends the text of laptimesStr as UTF-8.
  void appendLaptimes(std::string& out, std::uint32_t carid) const;
  /// Appends the text of dumpLaps as UTF-8.
  void appendDumpLaps(std::string& out) const;

  Session session;
  Entries entries;
  TimingT type = TimingT::BESTLAP;
  std::vector<TimingEntry> timing;
  RaceLapTable raceLapTable;   ///< built for a race only

 protected:
  void requireRace() const;

 private:
  void appendLapLines(std::string& out, const std::vector<TimedLap>& laps, std::uint32_t carid) const;
};

/// Timing of a GPL session, made from its lap words.
class TimingGPL : public Timing {
 public:
  /// Loads the cars of `rpySession` and sets the timing kind from the session type.
  TimingGPL(const Session& session, const RpySession& rpySession, const Entries& entries);
  /// Fills the lap lists, each clock counted on past the 24 bits of its lap
  /// word, and in a race the race lap table; a clock past 32 bits is a
  /// damaged replay.
  virtual void load(std::span<const CarLaps> cars);
  /// The flags of a raw flag byte.
  static LapFlag toLF(std::uint8_t raw);
};

}  // namespace marvolt
