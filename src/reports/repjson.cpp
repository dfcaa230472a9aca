#include "reports/repjson.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "frontend/error.hpp"
#include "frontend/telvo.hpp"
#include "reports/jsonlib.hpp"
#include "reports/report.hpp"
#include "timing/timing.hpp"

namespace marvolt {

namespace {

constexpr std::string_view kSchema = "marvolt-report/1";
// Room per crossing of the lap lists: a lap object with its race standing.
constexpr std::size_t kLapBytes = 112;

// The writer's output stream: appends straight to the report text. The
// writer asks for room before each run of characters; the text is grown
// ahead a page at a time and each character is then one store. Flush cuts
// the text to what was written (the writer flushes when the document ends).
class StringOut {
 public:
  using Ch = char;
  explicit StringOut(std::string& out) : out_(out), used_(out.size()) {}
  void Put(char c) {
    Reserve(1);
    PutUnsafe(c);
  }
  void Reserve(std::size_t count) {
    if (out_.size() - used_ < count) out_.resize(used_ + std::max(count, kGrowth));
  }
  void PutUnsafe(char c) { out_[used_++] = c; }
  void Flush() { out_.resize(used_); }

 private:
  static constexpr std::size_t kGrowth = 4096;
  std::string& out_;
  std::size_t used_;
};

// RapidJSON's hooks for room and unchecked writes, found by argument-dependent lookup.
void PutReserve(StringOut& out, std::size_t count) { out.Reserve(count); }
void PutUnsafe(StringOut& out, char c) { out.PutUnsafe(c); }

// Holds the stream, so that it is made before the writer that uses it.
struct StreamHolder {
  explicit StreamHolder(std::string& out) : stream(out) {}
  StringOut stream;
};

// The lap list of `carid`, empty when the session has none.
const std::vector<TimedLap>& lapsOf(const FirstLapLists& laps, std::uint32_t carid) {
  static const std::vector<TimedLap> none;
  const auto it = laps.find(carid);
  return it != laps.end() ? *it->second : none;
}

}  // namespace

/// RapidJSON's compact writer over the report text, with one call per member.
class JsonWriter : private StreamHolder, public rapidjson::Writer<StringOut> {
 public:
  explicit JsonWriter(std::string& out) : StreamHolder(out), rapidjson::Writer<StringOut>(stream) {}

  /// The name of the next member. The names are this format's own plain
  /// ASCII words, so they go in quoted as they are, without the escape scan
  /// a text needs (half the time of a lap list).
  void key(std::string_view name) {
    char quoted[kLongestKey + 2];
    MARVOLT_ASSERT(name.size() <= kLongestKey, "JSON member name too long");
    quoted[0] = '"';
    std::memcpy(quoted + 1, name.data(), name.size());
    quoted[name.size() + 1] = '"';
    RawValue(quoted, name.size() + 2, rapidjson::kStringType);
  }
  /// A UTF-8 text value.
  void utf8(std::string_view value) { String(value.data(), static_cast<rapidjson::SizeType>(value.size())); }
  /// A wide text value, as UTF-8.
  void text(std::u16string_view wide) {
    scratch_.clear();
    appendUtf8(scratch_, wide);
    utf8(scratch_);
  }
  /// Members of each kind of value.
  void field(std::string_view name, std::uint32_t value) {
    key(name);
    Uint(value);
  }
  void field(std::string_view name, std::int32_t value) {
    key(name);
    Int(value);
  }
  void field(std::string_view name, std::uint64_t value) {
    key(name);
    Uint64(value);
  }
  void field(std::string_view name, std::u16string_view value) {
    key(name);
    text(value);
  }
  /// A member of milliseconds that is null when they equal `none`.
  void msOrNull(std::string_view name, std::uint32_t ms, std::uint32_t none) {
    key(name);
    if (ms == none) {
      Null();
    } else {
      Uint(ms);
    }
  }
  /// A member holding an empty array.
  void emptyArray(std::string_view name) {
    key(name);
    StartArray();
    EndArray();
  }

 private:
  static constexpr std::size_t kLongestKey = 24;
  std::string scratch_;   // one name at a time as UTF-8
};

JsonReport::JsonReport(const Sections& sections) : sections_(sections), json_(std::make_unique<JsonWriter>(rep_)) {
  json_->StartObject();
  json_->key("schema");
  json_->utf8(kSchema);
}

JsonReport::~JsonReport() = default;

void JsonReport::reserve(std::size_t bytes) { rep_.reserve(bytes); }

void JsonReport::reportReplayInfo(const Data& data) {
  json_->key("replay");
  json_->StartObject();
  json_->field("saver", data.replay.saverFirstName + u' ' + data.replay.saverLastName);
  json_->EndObject();
}

void JsonReport::reportNoEvent() {
  json_->emptyArray("entries");
  json_->emptyArray("sessions");
}

void JsonReport::reportEvent(const Data& data) {
  const Event& event = data.events.front();
  if (sections_.has(Flag::EVENTINFO)) {
    json_->key("event");
    json_->StartObject();
    json_->field("track", event.track);
    json_->field("carset", event.carset);
    json_->EndObject();
  }
  if (sections_.has(Flag::ENTRYLIST)) reportEntries(event);
  json_->key("sessions");
  json_->StartArray();
  std::size_t number = 0;
  for (const Session& session : event.sessions) reportSession(event, session, ++number);
  json_->EndArray();
}

void JsonReport::reportEntries(const Event& event) {
  json_->key("entries");
  json_->StartArray();
  for (const Entry* entry : entriesByStartNumber(event)) {
    json_->StartObject();
    json_->field("car_id", entry->carid);
    json_->field("start_number", entry->startNum);
    json_->field("make", entry->make);
    json_->field("team", entry->team);
    json_->field("chassis", entry->chassis);
    json_->field("engine", entry->engine);
    json_->field("year", entry->year);
    json_->key("drivers");
    json_->StartArray();
    for (const Driver& driver : entry->drivers) {
      json_->StartObject();
      json_->field("driver_id", driver.driverid);
      json_->field("first_name", driver.firstName);
      json_->field("last_name", driver.lastName);
      json_->field("name", fullName(driver));
      json_->field("nationality", driver.nat);
      json_->field("remark", driver.remark);
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
  json_->field("number", std::uint64_t{number});
  json_->key("type");
  json_->utf8(toString(session.type));
  // The switches of the other formats: testing sessions go with the practices.
  const bool classified = sections_.has(race ? Flag::RACERESULTS : Flag::PRACTICERESULTS);
  const bool laps = sections_.has(Flag::LAPTIMES);
  RaceHistory history;
  FirstLapLists firstLaps;
  if ((race && classified) || laps) {
    // One pass over the lap lists; the lookups of every row go through it.
    firstLaps = session.timing->firstLapLists();
    if (race) history = session.timing->raceHistory();
  }
  if (classified) reportBestLaps(event, session);
  if (classified && race) reportResults(event, session, firstLaps, history);
  if (laps) reportLaps(event, session, firstLaps, race ? &history : nullptr);
  json_->EndObject();
}

void JsonReport::reportBestLaps(const Event& event, const Session& session) {
  json_->key("best_laps");
  json_->StartArray();
  std::uint32_t position = 0;
  for (const BestLapResult& row : session.timing->getBestLapResults()) {
    const Entry& entry = entryOf(event, row.carid);
    json_->StartObject();
    json_->field("position", ++position);
    json_->field("start_number", entry.startNum);
    json_->field("car_id", row.carid);
    json_->field("driver", fullName(driverOf(entry, row.driverid)));
    json_->field("lap", row.lap);
    json_->field("lap_time_ms", row.laptime);
    json_->field("gap_ms", static_cast<std::uint32_t>(row.gap));
    json_->field("clock_ms", row.clock);
    json_->field("remark", row.remark);
    json_->EndObject();
  }
  json_->EndArray();
}

void JsonReport::reportResults(const Event& event, const Session& session, const FirstLapLists& laps,
                               const RaceHistory& history) {
  const Timing& timing = *session.timing;
  json_->key("results");
  json_->StartArray();
  std::uint32_t position = 0;
  for (const RaceResult& row : timing.getRaceResults()) {
    const Entry& entry = entryOf(event, row.carid);
    const CarHistory* car = history.car(row.carid);
    json_->StartObject();
    json_->field("position", ++position);
    json_->field("start_number", entry.startNum);
    json_->field("car_id", row.carid);
    json_->field("driver", fullName(driverOf(entry, row.driverid)));
    json_->field("laps", row.laps);
    json_->field("race_time_ms", row.clock);
    // Gaps and intervals as the other formats show them: unsigned 32-bit.
    json_->field("gap_ms", static_cast<std::uint32_t>(row.gap));
    json_->msOrNull("interval_ms", static_cast<std::uint32_t>(row.diff), NOTIME);
    json_->field("remark", row.remark);
    json_->field("laps_led", car != nullptr ? car->lapsLed : 0);
    json_->msOrNull("best_lap_ms", timing.bestlap(lapsOf(laps, row.carid)), 0);
    json_->EndObject();
  }
  json_->EndArray();
}

void JsonReport::reportLaps(const Event& event, const Session& session, const FirstLapLists& firstLaps,
                            const RaceHistory* history) {
  json_->key("laps");
  json_->StartArray();
  // Every lap list in order, each showing the laps of its car id's first
  // list, as the text lap dump does.
  for (const TimingEntry& car : session.timing->timing) {
    const Entry& entry = entryOf(event, car.carid);
    const CarHistory* raced = history != nullptr ? history->car(car.carid) : nullptr;
    json_->StartObject();
    json_->field("car_id", car.carid);
    json_->field("start_number", entry.startNum);
    json_->field("driver", fullName(driverOf(entry, car.driverid)));
    json_->key("laps");
    json_->StartArray();
    const std::vector<TimedLap>& laps = lapsOf(firstLaps, car.carid);
    std::uint32_t prev = 0;
    for (std::size_t j = 0; j < laps.size(); ++j) {
      const TimedLap& lap = laps[j];
      json_->StartObject();
      json_->field("lap", std::uint64_t{j});
      json_->field("lap_time_ms", lap.clock - prev);
      json_->field("clock_ms", lap.clock);
      json_->key("flags");
      json_->StartArray();
      if (hasFlag(lap.flags, LapFlag::OFFTRACK)) json_->utf8("Off Track");
      if (hasFlag(lap.flags, LapFlag::INVALID)) json_->utf8("Invalid");
      if (hasFlag(lap.flags, LapFlag::UNKNOWN)) json_->utf8("Unknown");
      json_->EndArray();
      if (raced != nullptr && j < raced->standings.size()) {
        json_->field("position", raced->standings[j].position);
        json_->field("gap_to_leader_ms", static_cast<std::uint32_t>(raced->standings[j].gap));
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
