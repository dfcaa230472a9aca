#include "season/rounds.hpp"

#include <unordered_map>

#include "frontend/error.hpp"
#include "reports/reportmodel.hpp"

namespace marvolt {

namespace {

// A car of the race classification with its driver and team.
RoundCar carOf(const ReportModel& model, const RaceRow& row) {
  const DriverRow& driver = model.driverOf(row.car);
  return {.carid = row.car.carid,
          .replayName = driver.name,
          .driver = driver.name,
          .team = model.entryAt(row.car.listed).team,
          .laps = row.laps,
          .raceTime = row.raceTime,
          .retired = row.retired,
          .lapsLed = row.lapsLed,
          .bestLap = row.bestLap,
          .finishPosition = row.position};
}

// The best-lap row of the replay's practice sessions that takes the pole:
// the fastest lap, of equal laps the earlier session's, then the one set
// first; null without a practice lap.
const BestLapRow* poleRow(const ReportModel& model) {
  const BestLapRow* pole = nullptr;
  for (const ReportSession& session : model.sessions) {
    if (session.type != SessT::PRACTICE || session.fastestLaps.empty()) continue;
    const BestLapRow& fastest = session.bestLaps[session.fastestLaps.front()];
    if (pole == nullptr || fastest.lapTime < pole->lapTime) pole = &fastest;
  }
  return pole;
}

// The driver each car of the entry list raced with: the one its race row
// names, else its first.
std::vector<CompetitorId> entryDrivers(const ReportModel& model, const ReportSession& race) {
  std::vector<CarRef> raced(model.entries.size());
  std::vector<bool> named(raced.size(), false);
  for (const RaceRow& row : race.results) {
    if (row.car.listed >= raced.size() || named[row.car.listed]) continue;
    named[row.car.listed] = true;
    raced[row.car.listed] = row.car;
  }
  std::vector<CompetitorId> drivers;
  drivers.reserve(raced.size());
  for (std::size_t listed = 0; listed < raced.size(); ++listed) {
    if (!named[listed]) {
      raced[listed].listed = static_cast<std::uint32_t>(listed);
      raced[listed].driver = 0;
    }
    drivers.push_back(model.driverOf(raced[listed]).name);
  }
  return drivers;
}

}  // namespace

const ReportSession* firstRace(const ReportModel& model) {
  for (const ReportSession& session : model.sessions) {
    if (session.type == SessT::RACE) return &session;
  }
  return nullptr;
}

Round roundOf(const Data& data, const std::string& file) {
  // A round needs the track, the practice laps (for the pole) and the race classification.
  const Sections sections = Sections().set(Flag::REPLAYINFO, false).set(Flag::ENTRYLIST, false);
  return roundOf(buildReportModel(data, sections), file);
}

Round roundOf(const ReportModel& model, const std::string& file) {
  const ReportSession* race = firstRace(model);
  if (race == nullptr) throw Error("the replay holds no race session");
  Round round;
  round.file = file;
  round.track = model.track;
  round.entryDrivers = entryDrivers(model, *race);
  if (const BestLapRow* pole = poleRow(model)) {
    round.pole = model.driverOf(pole->car).name;
    round.poleTeam = model.entryAt(pole->car.listed).team;
  }
  round.classification.reserve(race->results.size());
  std::unordered_map<std::uint32_t, std::size_t> rowOfCar;
  for (const RaceRow& row : race->results) {
    rowOfCar.try_emplace(row.car.carid, round.classification.size());
    round.classification.push_back(carOf(model, row));
  }
  round.fastestLaps.reserve(race->fastestLaps.size());
  for (const std::uint32_t best : race->fastestLaps) {
    const auto it = rowOfCar.find(race->bestLaps[best].car.carid);
    if (it != rowOfCar.end()) round.fastestLaps.push_back(it->second);
  }
  return round;
}

}  // namespace marvolt
