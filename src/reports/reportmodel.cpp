#include "reports/reportmodel.hpp"

#include <algorithm>
#include <functional>
#include <numeric>
#include <unordered_map>

#include "frontend/error.hpp"
#include "timing/timing.hpp"

namespace marvolt {

namespace {

DriverRow driverRow(const Driver& driver) {
  return {driver.driverid, driver.firstName, driver.lastName, driver.firstName + u' ' + driver.lastName,
          driver.nat, driver.remark};
}

EntryRow entryRow(const Entry& entry) {
  EntryRow row{entry.carid, entry.startNum, entry.make, entry.team, entry.chassis, entry.engine, entry.year, {}};
  row.drivers.reserve(entry.drivers.length());
  for (const Driver& driver : entry.drivers) row.drivers.push_back(driverRow(driver));
  return row;
}

// The first lap list of a car id and its place among the lap lists.
struct FirstList {
  const std::vector<TimedLap>* laps;
  std::uint32_t index;
};

// Builds the model of one event, session by session.
class ModelBuilder {
 public:
  ModelBuilder(const Event& event, ReportModel& model) : event_(event), model_(model) {}

  // The entry list by ascending start number; equal numbers keep their order.
  void addEntries() {
    std::vector<const Entry*> listing;
    listing.reserve(event_.entries.length());
    for (const Entry& entry : event_.entries) listing.push_back(&entry);
    std::stable_sort(listing.begin(), listing.end(),
                     [](const Entry* a, const Entry* b) { return a->startNum < b->startNum; });
    model_.entries.reserve(listing.size());
    listed_.reserve(listing.size());
    for (const Entry* entry : listing) {
      listed_.emplace(entry, static_cast<std::uint32_t>(model_.entries.size()));
      model_.entries.push_back(entryRow(*entry));
    }
  }

  // A session's best-lap rows and, in a race, its classification when the
  // sections ask for them; the courses of its lap lists for the lap dump and
  // for the history of a classified race.
  void addSession(const Session& session, std::size_t number) {
    ReportSession& s = model_.sessions.emplace_back();
    s.number = number;
    s.type = session.type;
    if (!session.timing) return;
    const Timing& timing = *session.timing;
    std::unordered_map<std::uint32_t, FirstList> firstLists;
    firstLists.reserve(timing.timing.size());
    for (std::size_t i = 0; i < timing.timing.size(); ++i) {
      const TimingEntry& car = timing.timing[i];
      firstLists.try_emplace(car.carid, FirstList{&car.laps, static_cast<std::uint32_t>(i)});
      ++s.lists;
      s.running += car.laps.empty() ? 0 : 1;
      s.crossings += car.laps.size();
    }
    const bool race = session.type == SessT::RACE;
    const bool dump = model_.sections.has(Flag::LAPTIMES);
    s.classified = model_.sections.has(race ? Flag::RACERESULTS : Flag::PRACTICERESULTS);
    if (s.classified) addBestLaps(s, timing);
    if (dump || (race && s.classified && model_.raceHistory)) addCourses(s, timing, race && model_.raceHistory);
    if (race && s.classified) addResults(s, timing, firstLists);
    if (dump) {
      s.lapLists.reserve(timing.timing.size());
      for (std::size_t i = 0; i < timing.timing.size(); ++i) {
        const TimingEntry& car = timing.timing[i];
        s.lapLists.push_back(
            {carRef(car.carid, car.driverid), static_cast<std::uint32_t>(i), firstLists.at(car.carid).index});
      }
    }
  }

 private:
  CarRef carRef(std::uint32_t carid, std::uint32_t driverid) const {
    CarRef ref{carid, 0, kNotListed, kNotListed, u" "};
    const Entry* entry = event_.entries.findCarid(carid);
    if (entry == nullptr) return ref;
    ref.startNum = entry->startNum;
    ref.listed = listed_.at(entry);
    const std::vector<DriverRow>& drivers = model_.entries[ref.listed].drivers;
    for (std::size_t d = 0; d < drivers.size(); ++d) {
      if (drivers[d].driverid != driverid) continue;
      ref.driver = static_cast<std::uint32_t>(d);
      ref.name = drivers[d].name;
      break;
    }
    return ref;
  }

  void addBestLaps(ReportSession& s, const Timing& timing) const {
    const std::vector<BestLapResult> rows = timing.getBestLapResults();
    s.bestLaps.reserve(rows.size());
    for (const BestLapResult& row : rows) {
      s.bestLaps.push_back({static_cast<std::uint32_t>(s.bestLaps.size() + 1), carRef(row.carid, row.driverid),
                            row.lap, row.laptime, static_cast<std::uint32_t>(row.gap), row.clock, row.firstClock,
                            row.remark});
    }
    s.fastestLaps.resize(s.bestLaps.size());
    std::iota(s.fastestLaps.begin(), s.fastestLaps.end(), std::uint32_t{0});
    std::stable_sort(s.fastestLaps.begin(), s.fastestLaps.end(), [&s](std::uint32_t a, std::uint32_t b) {
      const BestLapRow& x = s.bestLaps[a];
      const BestLapRow& y = s.bestLaps[b];
      return x.lapTime != y.lapTime ? x.lapTime < y.lapTime : x.firstClock < y.firstClock;
    });
  }

  // One course per lap list, in their order; with `standings` the first
  // list of each car id also gets the standing after each crossing number.
  static void addCourses(ReportSession& s, const Timing& timing, bool standings) {
    const RaceHistory history = standings ? timing.raceHistory() : RaceHistory{};
    const std::uint32_t start = timing.raceLapTable.empty() || timing.raceLapTable.front().empty()
                                    ? 0
                                    : timing.raceLapTable.front().front().lapData.clock;
    std::unordered_map<std::uint32_t, bool> seen;
    seen.reserve(timing.timing.size());
    s.courses.reserve(timing.timing.size());
    // One array for the crossings of every list, never grown: each course views its part.
    s.lapCrossings.reserve(s.crossings);
    for (const TimingEntry& car : timing.timing) {
      const bool first = seen.try_emplace(car.carid, true).second;
      CarCourse& course = s.courses.emplace_back();
      course.carid = car.carid;
      const std::size_t offset = s.lapCrossings.size();
      std::uint32_t prev = 0;
      for (const TimedLap& lap : car.laps) {
        // The timing counts each new period of the replay's clock, so no
        // lap lasts a whole period.
        MARVOLT_ASSERT(lap.clock - prev <= Crossing::kLongestLap, "a lap as long as the replay clock's period");
        s.lapCrossings.emplace_back(lap.clock - prev, lap.clock, lap.flags);
        prev = lap.clock;
      }
      course.crossings = std::span<const Crossing>(s.lapCrossings).subspan(offset);
      const CarHistory* raced = first ? history.car(car.carid) : nullptr;
      if (raced == nullptr) continue;
      course.standings.reserve(raced->standings.size());
      for (std::size_t j = 0; j < raced->standings.size(); ++j) {
        const Standing& standing = raced->standings[j];
        course.standings.push_back({standing.position, static_cast<std::uint32_t>(standing.gap),
                                    j < car.laps.size() ? car.laps[j].clock - start : NOTIME});
      }
    }
  }

  void addResults(ReportSession& s, const Timing& timing,
                  const std::unordered_map<std::uint32_t, FirstList>& firstLists) const {
    const std::vector<RaceResult> rows = timing.getRaceResults();
    if (rows.empty()) return;
    const std::unordered_map<std::uint32_t, std::uint32_t> led = timing.lapsLed();
    const std::int32_t winnerLaps = rows.front().laps;
    s.results.reserve(rows.size());
    for (const RaceResult& row : rows) {
      RaceRow& r = s.results.emplace_back();
      r.position = static_cast<std::uint32_t>(s.results.size());
      r.car = carRef(row.carid, row.driverid);
      r.laps = row.laps;
      r.raceTime = row.clock;
      // Gaps and intervals as the reports show them: unsigned 32-bit.
      r.gap = static_cast<std::uint32_t>(row.gap);
      r.interval = static_cast<std::uint32_t>(row.diff);
      r.remark = row.remark;
      r.retired = row.retired;
      const auto laps = led.find(row.carid);
      r.lapsLed = laps != led.end() ? laps->second : 0;
      const auto first = firstLists.find(row.carid);
      if (first != firstLists.end()) {
        if (!s.courses.empty()) r.course = first->second.index;
        const std::uint32_t best = timing.bestlap(*first->second.laps);
        if (best != 0) r.bestLap = best;
      }
      r.lapsBehind = winnerLaps - row.laps;
    }
  }

  const Event& event_;
  ReportModel& model_;
  std::unordered_map<const Entry*, std::uint32_t> listed_;   // entry -> place in the entry list
};

}  // namespace

ReportSession::ReportSession(const ReportSession& other) : SessionFields(other) {
  const Crossing* const begin = other.lapCrossings.data();
  const Crossing* const end = begin + other.lapCrossings.size();
  const std::less<const Crossing*> before;
  for (CarCourse& course : courses) {
    const Crossing* const viewed = course.crossings.data();
    if (course.crossings.empty() || before(viewed, begin) || !before(viewed, end)) continue;   // not a view of them
    course.crossings = std::span<const Crossing>(lapCrossings).subspan(static_cast<std::size_t>(viewed - begin),
                                                                       course.crossings.size());
  }
}

ReportSession& ReportSession::operator=(const ReportSession& other) {
  if (this != &other) *this = ReportSession(other);
  return *this;
}

const EntryRow& ReportModel::entryAt(std::uint32_t listed) const {
  static const EntryRow placeholder = entryRow(Entry::placeholderEntry());
  return listed < entries.size() ? entries[listed] : placeholder;
}

const DriverRow& ReportModel::driverOf(const CarRef& car) const {
  static const DriverRow placeholder = driverRow(Driver::placeholder());
  const EntryRow& entry = entryAt(car.listed);
  return car.driver < entry.drivers.size() ? entry.drivers[car.driver] : placeholder;
}

ReportModel buildReportModel(const Data& data, const Sections& sections, bool raceHistory) {
  ReportModel model;
  model.sections = sections;
  model.raceHistory = raceHistory;
  model.saverFirstName = data.replay.saverFirstName;
  model.saverLastName = data.replay.saverLastName;
  if (data.events.empty()) return model;
  const Event& event = data.events.front();
  model.hasEvent = true;
  model.track = event.track;
  model.carset = event.carset;
  ModelBuilder builder(event, model);
  builder.addEntries();
  model.sessions.reserve(event.sessions.size());
  for (std::size_t i = 0; i < event.sessions.size(); ++i) builder.addSession(event.sessions[i], i + 1);
  return model;
}

}  // namespace marvolt
