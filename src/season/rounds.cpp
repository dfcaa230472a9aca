#include "season/rounds.hpp"

#include <unordered_map>

#include "frontend/error.hpp"
#include "reports/reportmodel.hpp"

namespace marvolt {

namespace {

// The car of the race's fastest lap: of equal lap times, the one set first.
std::optional<std::uint32_t> fastestCar(const ReportSession& race) {
  if (race.bestLaps.empty()) return std::nullopt;
  const BestLapRow* first = &race.bestLaps.front();
  for (const BestLapRow& row : race.bestLaps) {
    if (row.lapTime != first->lapTime) break;
    if (row.firstClock < first->firstClock) first = &row;
  }
  return first->car.carid;
}

}  // namespace

const ReportSession* firstRace(const ReportModel& model) {
  for (const ReportSession& session : model.sessions) {
    if (session.type == SessT::RACE) return &session;
  }
  return nullptr;
}

Round roundOf(const Data& data, const std::string& file) {
  // A round needs the track and the race classification.
  const Sections sections = Sections()
                                .set(Flag::REPLAYINFO, false)
                                .set(Flag::ENTRYLIST, false)
                                .set(Flag::PRACTICERESULTS, false);
  return roundOf(buildReportModel(data, sections), file);
}

Round roundOf(const ReportModel& model, const std::string& file) {
  const ReportSession* race = firstRace(model);
  if (race == nullptr) throw Error("the replay holds no race session");
  Round round{file, model.track, {}, std::nullopt};
  round.classification.reserve(race->results.size());
  std::unordered_map<std::uint32_t, std::size_t> rowOfCar;
  for (const RaceRow& row : race->results) {
    const DriverRow& driver = model.driverOf(row.car);
    rowOfCar.try_emplace(row.car.carid, round.classification.size());
    round.classification.push_back({driver.firstName, driver.lastName, model.entryAt(row.car.listed).team,
                                     row.remark == u"DNF", row.lapsLed, row.bestLap});
  }
  if (const std::optional<std::uint32_t> car = fastestCar(*race)) {
    if (const auto it = rowOfCar.find(*car); it != rowOfCar.end()) round.fastestLap = it->second;
  }
  return round;
}

}  // namespace marvolt
