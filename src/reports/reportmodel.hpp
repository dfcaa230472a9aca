// What a report of one replay prints, worked out once: the replay, the
// event, the entry list and every session's classifications and lap lists,
// already resolved to start numbers, names and integer milliseconds. Every
// report format renders this model and computes nothing of its own.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "frontend/enums.hpp"
#include "model/data.hpp"
#include "timing/timetext.hpp"

namespace marvolt {

/// The place of a car without entry, or of a driver not found in its entry.
inline constexpr std::uint32_t kNotListed = 0xFFFFFFFFu;

/// One driver of an entry.
struct DriverRow {
  std::uint32_t driverid = 0;
  std::u16string firstName;
  std::u16string lastName;
  std::u16string name;   ///< first and last name joined by one space
  std::u16string nat;
  std::u16string remark;
};

/// One car of the entry list.
struct EntryRow {
  std::uint32_t carid = 0;
  std::int16_t startNum = 0;
  std::uint32_t make = 0;
  std::u16string team;
  std::u16string chassis;
  std::u16string engine;
  std::int16_t year = 0;
  std::vector<DriverRow> drivers;
};

/// The car of a row and the driver it names.
struct CarRef {
  std::uint32_t carid = 0;
  std::int16_t startNum = 0;           ///< 0 for a car without entry
  std::uint32_t listed = kNotListed;   ///< the car's place in the entry list (the first entry of its id)
  std::uint32_t driver = kNotListed;   ///< the driver's place among the entry's drivers
  std::u16string name;                 ///< the driver's first and last name joined by one space
};

/// One row of a best-lap classification.
struct BestLapRow {
  std::uint32_t position = 0;   ///< from 1
  CarRef car;
  std::int16_t lap = 0;         ///< the index of the crossing that ended the best lap
  std::uint32_t lapTime = 0;
  std::uint32_t gap = 0;        ///< behind the fastest lap of the classification
  std::uint32_t clock = 0;      ///< when the best lap ended (the last lap of that time)
  std::uint32_t firstClock = 0; ///< when the car first set its best time
  std::u16string remark;        ///< the best lap's flags as text
};

/// One row of a race classification.
struct RaceRow {
  std::uint32_t position = 0;   ///< from 1
  CarRef car;
  std::int16_t laps = 0;
  std::uint32_t raceTime = 0;
  std::uint32_t gap = 0;                ///< behind the winner, or the leader of the car's last lap (DNF)
  std::uint32_t interval = 0;           ///< behind the car ahead on the same lap; NOTIME for none
  std::u16string remark;                ///< "DNF" or empty
  std::uint32_t lapsLed = 0;
  std::uint32_t bestLap = NOTIME;       ///< the car's best valid lap; NOTIME for none
  std::int32_t lapsBehind = 0;          ///< the winner's laps minus the car's
  std::uint32_t course = kNotListed;    ///< the course of the car's first lap list, when built
  bool retired = false;                 ///< stopped before the winner finished (the "DNF")
};

/// One crossing of the line and the lap it ended, in 8 bytes: the lap dump
/// holds every crossing. The session clock takes a word of its own; a lap
/// lasts less than 2^24 ms (a lap word's clock runs on from zero after
/// that, and each new period of it counts as one), so the lap time shares
/// the other word with the flags, in its low 24 bits. The words are written
/// whole: filling fresh memory never reads it first.
class Crossing {
 public:
  /// The longest lap a crossing holds.
  static constexpr std::uint32_t kLongestLap = 0xFFFFFFu;

  constexpr Crossing() = default;
  /// A crossing at `clock` ending a lap of `lapTime` (kLongestLap at most).
  constexpr Crossing(std::uint32_t lapTime, std::uint32_t clock, LapFlag flags)
      : lapAndFlags_((lapTime & kLongestLap) | static_cast<std::uint32_t>(flags) << kFlagsShift), clock_(clock) {}

  /// Since the previous crossing; for the first, its clock.
  constexpr std::uint32_t lapTime() const { return lapAndFlags_ & kLongestLap; }
  /// The session clock at the crossing.
  constexpr std::uint32_t clock() const { return clock_; }
  /// The lap's flags.
  constexpr LapFlag flags() const { return static_cast<LapFlag>(lapAndFlags_ >> kFlagsShift); }

 private:
  static constexpr unsigned kFlagsShift = 24;

  std::uint32_t lapAndFlags_ = 0;
  std::uint32_t clock_ = 0;
};
static_assert(sizeof(Crossing) == 8);

/// Where a car stood in a race after one crossing number.
struct RaceStanding {
  std::int32_t position = 0;       ///< among the cars that made this crossing number, in clock order
  std::uint32_t gap = 0;           ///< behind the first car to make it
  std::uint32_t raceTime = NOTIME; ///< since the race's first crossing; NOTIME when the car's lap list lacks it
};

/// The crossings of one lap list of a session.
struct CarCourse {
  std::uint32_t carid = 0;
  std::span<const Crossing> crossings;   ///< a part of the session's `lapCrossings`
  std::vector<RaceStanding> standings;   ///< with the race history, first list of a car id: after each crossing number
};

/// One lap list of the lap dump: its car and its courses. A car id with two
/// lap lists shows the crossings of its first in the text, JSON and HTML
/// lap dumps, and each list's own in the key=value lap tables.
struct LapListRow {
  CarRef car;
  std::uint32_t own = 0;     ///< the list's own course in the session's courses
  std::uint32_t first = 0;   ///< the course of the first lap list of its car id
};

/// What a session holds: see ReportSession.
struct SessionFields {
  std::size_t number = 0;     ///< the place in the event, from 1
  SessT type = SessT::TESTING;
  bool classified = false;    ///< the classifications were asked for (best laps; and results in a race)
  std::vector<BestLapRow> bestLaps;
  std::vector<RaceRow> results;
  std::vector<Crossing> lapCrossings;   ///< every crossing of the courses, list after list, in one array
  std::vector<CarCourse> courses;    ///< one per lap list: with the lap dump or the race history
  std::vector<LapListRow> lapLists;  ///< with the lap dump: every lap list, in the replay's order
  std::size_t lists = 0;             ///< lap lists in the replay
  std::size_t running = 0;           ///< lap lists with at least one crossing
  std::size_t crossings = 0;         ///< crossings of all lap lists
  /// The best-lap rows in the order that awards a session's fastest lap:
  /// by lap time, of equal times the one set first (its first clock) ahead,
  /// then in the rows' order. The first row of a car still classified holds
  /// the fastest lap; the text report's order is that of bestLaps.
  std::vector<std::uint32_t> fastestLaps{};
};

/// One session with what the sections ask of it. Its courses view its own
/// crossings: a session moves whole, and a copy's courses view the copy's.
struct ReportSession : SessionFields {
  ReportSession() = default;
  ReportSession(ReportSession&&) = default;
  ReportSession& operator=(ReportSession&&) = default;
  /// A copy whose courses view its own crossings.
  ReportSession(const ReportSession& other);
  /// Becomes a copy of `other`, its courses on its own crossings.
  ReportSession& operator=(const ReportSession& other);
};

/// Everything a report prints.
struct ReportModel {
  Sections sections;   ///< the sections the model was built for, which the writers print
  bool raceHistory = false;   ///< races hold their standings, classified races their courses
  bool hasEvent = false;
  std::u16string saverFirstName;
  std::u16string saverLastName;
  std::u16string track;
  std::u16string carset;
  std::vector<EntryRow> entries;   ///< by ascending start number, equal numbers in the replay's order
  std::vector<ReportSession> sessions;

  /// The entry at place `listed`, or the placeholder entry.
  const EntryRow& entryAt(std::uint32_t listed) const;
  /// The driver a row names, or the placeholder driver.
  const DriverRow& driverOf(const CarRef& car) const;
};

/// The model of `data` for the given sections: only what they ask for is
/// built (no lap lists without the lap dump, no rows of a switched-off
/// classification). With `raceHistory`, the first lap list of each car in
/// a race holds its standing after every crossing number, and a classified
/// race holds the courses of its cars (the JSON lap lists and the page's
/// charts show them; the text formats do not).
ReportModel buildReportModel(const Data& data, const Sections& sections, bool raceHistory = false);

}  // namespace marvolt
