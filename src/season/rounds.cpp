#include "season/rounds.hpp"

#include <unordered_map>

#include "frontend/error.hpp"
#include "reports/report.hpp"
#include "timing/timing.hpp"

namespace marvolt {

namespace {

const Session* firstRace(const Event& event) {
  for (const Session& session : event.sessions) {
    if (session.type == SessT::RACE && session.timing) return &session;
  }
  return nullptr;
}

// The car of the race's fastest lap: of equal lap times, the one set first.
std::optional<std::uint32_t> fastestCar(const Timing& timing) {
  const std::vector<BestLapResult> best = timing.getBestLapResults();
  if (best.empty()) return std::nullopt;
  const BestLapResult* first = &best.front();
  for (const BestLapResult& row : best) {
    if (row.laptime != first->laptime) break;
    if (row.clock < first->clock) first = &row;
  }
  return first->carid;
}

}  // namespace

Round roundOf(const Data& data, const std::string& file) {
  const Session* race = data.events.empty() ? nullptr : firstRace(data.events.front());
  if (race == nullptr) throw Error("the replay holds no race session");
  const Event& event = data.events.front();
  Round round{file, event.track, {}, std::nullopt};
  const std::vector<RaceResult> results = race->timing->getRaceResults();
  round.classification.reserve(results.size());
  std::unordered_map<std::uint32_t, std::size_t> rowOfCar;
  for (const RaceResult& row : results) {
    const Entry& entry = entryOf(event, row.carid);
    const Driver& driver = driverOf(entry, row.driverid);
    rowOfCar.try_emplace(row.carid, round.classification.size());
    round.classification.push_back({driver.firstName, driver.lastName, entry.team, row.remark == u"DNF"});
  }
  if (const std::optional<std::uint32_t> car = fastestCar(*race->timing)) {
    if (const auto it = rowOfCar.find(*car); it != rowOfCar.end()) round.fastestLap = it->second;
  }
  return round;
}

}  // namespace marvolt
