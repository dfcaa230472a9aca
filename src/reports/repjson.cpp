#include "reports/repjson.hpp"

#include <unordered_map>
#include <vector>

#include "reports/jsonlib.hpp"

#include "frontend/telvo.hpp"
#include "reports/report.hpp"
#include "timing/timing.hpp"

namespace marvolt {

namespace {

constexpr std::string_view kSchema = "marvolt-report/1";
// Room per crossing of the lap lists: a lap object with its race standing.
constexpr std::size_t kLapBytes = 112;

// The writer's output stream: appends straight to the report text.
class StringOut {
 public:
  using Ch = char;
  explicit StringOut(std::string& out) : out_(out) {}
  void Put(char c) { out_.push_back(c); }
  void Flush() {}

 private:
  std::string& out_;
};

// Holds the stream, so that it is made before the writer that uses it.
struct StreamHolder {
  explicit StreamHolder(std::string& out) : stream(out) {}
  StringOut stream;
};

// The lap list of `carid`, empty when the session has none.
const std::vector<TimedLap>& lapsOf(const FirstLaps& laps, std::uint32_t carid) {
  static const std::vector<TimedLap> none;
  const auto it = laps.find(carid);
  return it != laps.end() ? *it->second : none;
}

}  // namespace

/// RapidJSON's compact writer over the report text.
class JsonWriter : private StreamHolder, public rapidjson::Writer<StringOut> {
 public:
  explicit JsonWriter(std::string& out) : StreamHolder(out), rapidjson::Writer<StringOut>(stream) {}

  /// Milliseconds, or null for `none`.
  void msOrNull(std::uint32_t ms, std::uint32_t none) {
    if (ms == none) {
      Null();
    } else {
      Uint(ms);
    }
  }
};

JsonReport::JsonReport(const Sections& sections) : sections_(sections), json_(std::make_unique<JsonWriter>(rep_)) {
  json_->StartObject();
  key("schema");
  json_->String(kSchema.data(), static_cast<rapidjson::SizeType>(kSchema.size()));
}

JsonReport::~JsonReport() = default;

void JsonReport::reserve(std::size_t bytes) { rep_.reserve(bytes); }

void JsonReport::key(std::string_view name) {
  json_->Key(name.data(), static_cast<rapidjson::SizeType>(name.size()));
}

void JsonReport::text(std::u16string_view wide) {
  scratch_.clear();
  appendUtf8(scratch_, wide);
  json_->String(scratch_.data(), static_cast<rapidjson::SizeType>(scratch_.size()));
}

void JsonReport::reportReplayInfo(const Data& data) {
  key("replay");
  json_->StartObject();
  key("saver");
  text(data.replay.saverFirstName + u' ' + data.replay.saverLastName);
  json_->EndObject();
}

void JsonReport::reportNoEvent() {
  key("entries");
  json_->StartArray();
  json_->EndArray();
  key("sessions");
  json_->StartArray();
  json_->EndArray();
}

void JsonReport::reportEvent(const Data& data) {
  const Event& event = data.events.front();
  if (sections_.has(Flag::EVENTINFO)) {
    key("event");
    json_->StartObject();
    key("track");
    text(event.track);
    key("carset");
    text(event.carset);
    json_->EndObject();
  }
  if (sections_.has(Flag::ENTRYLIST)) reportEntries(event);
  key("sessions");
  json_->StartArray();
  std::size_t number = 0;
  for (const Session& session : event.sessions) reportSession(event, session, ++number);
  json_->EndArray();
}

void JsonReport::reportEntries(const Event& event) {
  key("entries");
  json_->StartArray();
  for (const Entry* listed : entriesByStartNumber(event)) {
    const Entry& entry = *listed;
    json_->StartObject();
    key("car_id");
    json_->Uint(entry.carid);
    key("start_number");
    json_->Int(entry.startNum);
    key("make");
    json_->Uint(entry.make);
    key("team");
    text(entry.team);
    key("chassis");
    text(entry.chassis);
    key("engine");
    text(entry.engine);
    key("year");
    json_->Int(entry.year);
    key("drivers");
    json_->StartArray();
    for (const Driver& driver : entry.drivers) {
      json_->StartObject();
      key("driver_id");
      json_->Uint(driver.driverid);
      key("first_name");
      text(driver.firstName);
      key("last_name");
      text(driver.lastName);
      key("name");
      text(fullName(driver));
      key("nationality");
      text(driver.nat);
      key("remark");
      text(driver.remark);
      json_->EndObject();
    }
    json_->EndArray();
    json_->EndObject();
  }
  json_->EndArray();
}

void JsonReport::reportSession(const Event& event, const Session& session, std::size_t number) {
  const bool race = session.type == SessT::RACE;
  json_->StartObject();
  key("number");
  json_->Uint64(number);
  key("type");
  const std::string type = toString(session.type);
  json_->String(type.data(), static_cast<rapidjson::SizeType>(type.size()));
  // The switches of the other formats: testing sessions go with the practices.
  const bool classified = sections_.has(race ? Flag::RACERESULTS : Flag::PRACTICERESULTS);
  const bool laps = sections_.has(Flag::LAPTIMES);
  RaceHistory history;
  FirstLaps firstLaps;
  if ((race && classified) || laps) {
    // One pass over the lap lists; the lookups of every row go through it.
    firstLaps.reserve(session.timing->timing.size());
    for (const TimingEntry& car : session.timing->timing) firstLaps.emplace(car.carid, &car.laps);
    if (race) history = session.timing->raceHistory();
  }
  if (classified) reportBestLaps(event, session);
  if (classified && race) reportResults(event, session, firstLaps, history);
  if (laps) reportLaps(event, session, firstLaps, race ? &history : nullptr);
  json_->EndObject();
}

void JsonReport::reportBestLaps(const Event& event, const Session& session) {
  key("best_laps");
  json_->StartArray();
  unsigned position = 0;
  for (const BestLapResult& row : session.timing->getBestLapResults()) {
    const Entry& entry = entryOf(event, row.carid);
    json_->StartObject();
    key("position");
    json_->Uint(++position);
    key("start_number");
    json_->Int(entry.startNum);
    key("car_id");
    json_->Uint(row.carid);
    key("driver");
    text(fullName(driverOf(entry, row.driverid)));
    key("lap");
    json_->Int(row.lap);
    key("lap_time_ms");
    json_->Uint(row.laptime);
    key("gap_ms");
    json_->Uint(static_cast<std::uint32_t>(row.gap));
    key("clock_ms");
    json_->Uint(row.clock);
    key("remark");
    text(row.remark);
    json_->EndObject();
  }
  json_->EndArray();
}

void JsonReport::reportResults(const Event& event, const Session& session, const FirstLaps& laps,
                               const RaceHistory& history) {
  const Timing& timing = *session.timing;
  key("results");
  json_->StartArray();
  unsigned position = 0;
  for (const RaceResult& row : timing.getRaceResults()) {
    const Entry& entry = entryOf(event, row.carid);
    const CarHistory* car = history.car(row.carid);
    json_->StartObject();
    key("position");
    json_->Uint(++position);
    key("start_number");
    json_->Int(entry.startNum);
    key("car_id");
    json_->Uint(row.carid);
    key("driver");
    text(fullName(driverOf(entry, row.driverid)));
    key("laps");
    json_->Int(row.laps);
    key("race_time_ms");
    json_->Uint(row.clock);
    // Gaps and intervals as the other formats show them: unsigned 32-bit.
    key("gap_ms");
    json_->Uint(static_cast<std::uint32_t>(row.gap));
    key("interval_ms");
    json_->msOrNull(static_cast<std::uint32_t>(row.diff), NOTIME);
    key("remark");
    text(row.remark);
    key("laps_led");
    json_->Uint(car != nullptr ? car->lapsLed : 0);
    key("best_lap_ms");
    json_->msOrNull(timing.bestlap(lapsOf(laps, row.carid)), 0);
    json_->EndObject();
  }
  json_->EndArray();
}

void JsonReport::reportLaps(const Event& event, const Session& session, const FirstLaps& firstLaps,
                            const RaceHistory* history) {
  key("laps");
  json_->StartArray();
  // Every lap list in order, each showing the laps of its car id's first
  // list, as the text lap dump does.
  for (const TimingEntry& car : session.timing->timing) {
    const Entry& entry = entryOf(event, car.carid);
    const std::vector<Standing>* standings = nullptr;
    if (history != nullptr) {
      const CarHistory* raced = history->car(car.carid);
      if (raced != nullptr) standings = &raced->standings;
    }
    json_->StartObject();
    key("car_id");
    json_->Uint(car.carid);
    key("start_number");
    json_->Int(entry.startNum);
    key("driver");
    text(fullName(driverOf(entry, car.driverid)));
    key("laps");
    json_->StartArray();
    const std::vector<TimedLap>& laps = lapsOf(firstLaps, car.carid);
    std::uint32_t prev = 0;
    for (std::size_t j = 0; j < laps.size(); ++j) {
      const TimedLap& lap = laps[j];
      json_->StartObject();
      key("lap");
      json_->Uint64(j);
      key("lap_time_ms");
      json_->Uint(lap.clock - prev);
      key("clock_ms");
      json_->Uint(lap.clock);
      key("flags");
      json_->StartArray();
      if (hasFlag(lap.flags, LapFlag::OFFTRACK)) json_->String("Off Track", 9);
      if (hasFlag(lap.flags, LapFlag::INVALID)) json_->String("Invalid", 7);
      if (hasFlag(lap.flags, LapFlag::UNKNOWN)) json_->String("Unknown", 7);
      json_->EndArray();
      if (standings != nullptr && j < standings->size()) {
        const Standing& standing = (*standings)[j];
        key("position");
        json_->Int(standing.position);
        key("gap_to_leader_ms");
        json_->Uint(static_cast<std::uint32_t>(standing.gap));
      }
      json_->EndObject();
      prev = lap.clock;
    }
    json_->EndArray();
    json_->EndObject();
  }
  json_->EndArray();
}

std::string JsonReport::take() {
  json_->EndObject();
  rep_ += '\n';
  return std::move(rep_);
}

std::string reportJSON(const Data& data, const Sections& sections) {
  if (!data.events.empty()) return buildReport<JsonReport>(data, sections, kLapBytes);
  JsonReport report(sections);
  if (sections.has(Flag::REPLAYINFO)) report.reportReplayInfo(data);
  report.reportNoEvent();
  return report.take();
}

}  // namespace marvolt
