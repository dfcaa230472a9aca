#include "reports/repjson.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "frontend/error.hpp"
#include "frontend/telvo.hpp"
#include "reports/jsonlib.hpp"

namespace marvolt {

namespace {

constexpr std::string_view kSchema = "marvolt-report/1";
constexpr std::size_t kLongestName = 32;   // of the members' names
constexpr std::size_t kLongestLap = 256;   // of a lap object, with every flag

// Puts `text` at `at`; returns its end.
char* putText(char* at, std::string_view text) {
  std::memcpy(at, text.data(), text.size());
  return at + text.size();
}
// Holds the stream, so that it is made before the writer that uses it.
struct StreamHolder {
  explicit StreamHolder(OutputSink& sink) : stream(sink) {}
  SinkOut stream;
};

}  // namespace

/// RapidJSON's compact writer over the report text, with one call per member.
class JsonWriter : private StreamHolder, public rapidjson::Writer<SinkOut> {
 public:
  explicit JsonWriter(OutputSink& sink) : StreamHolder(sink), rapidjson::Writer<SinkOut>(stream) {}

  /// The name of the next member. The names are this format's own plain
  /// ASCII words, so they go in quoted as they are, without the escape scan
  /// a text needs (half the time of a lap list).
  void key(std::string_view name) {
    MARVOLT_ASSERT(name.size() <= kLongestName, "a member name longer than the format's own");
    // The writer places the name (its comma and its state); the stream
    // takes it in one piece rather than character by character.
    Prefix(rapidjson::kStringType);
    TextRoom& room = os_->room();
    char* at = room.reserve(kLongestName + 2);
    *at++ = '"';
    std::memcpy(at, name.data(), name.size());
    at += name.size();
    *at++ = '"';
    room.commit(at);
  }
  /// An unsigned number, its digits written straight into the stream's room.
  void Uint(unsigned value) {
    Prefix(rapidjson::kNumberType);
    TextRoom& room = os_->room();
    room.commit(rapidjson::internal::u32toa(value, room.reserve(10)));
  }
  /// A signed number, as Uint.
  void Int(int value) {
    Prefix(rapidjson::kNumberType);
    TextRoom& room = os_->room();
    room.commit(rapidjson::internal::i32toa(value, room.reserve(11)));
  }
  /// A 64-bit unsigned number, as Uint.
  void Uint64(std::uint64_t value) {
    Prefix(rapidjson::kNumberType);
    TextRoom& room = os_->room();
    room.commit(rapidjson::internal::u64toa(value, room.reserve(20)));
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
  /// A member of milliseconds that is null for NOTIME.
  void msOrNull(std::string_view name, std::uint32_t ms) {
    key(name);
    if (ms == NOTIME) {
      Null();
    } else {
      Uint(ms);
    }
  }
  /// Room for a value the caller puts together whole (an object of numbers
  /// and the format's own words, nothing to escape): the writer places it
  /// as it would any value, its comma and its count.
  TextRoom& wholeValue(rapidjson::Type type) {
    Prefix(type);
    return os_->room();
  }
  /// A member holding an empty array.
  void emptyArray(std::string_view name) {
    key(name);
    StartArray();
    EndArray();
  }

 private:
  std::string scratch_;   // one name at a time as UTF-8
};


namespace {

// Renders the JSON document of a model.
class JsonRenderer {
 public:
  JsonRenderer(const ReportModel& model, OutputSink& sink) : model_(model), sink_(sink), json_(sink) {}

  void render() {
    const Sections& sections = model_.sections;
    json_.StartObject();
    json_.key("schema");
    json_.utf8(kSchema);
    if (sections.has(Flag::REPLAYINFO)) {
      json_.key("replay");
      json_.StartObject();
      json_.field("saver", model_.saverFirstName + u' ' + model_.saverLastName);
      json_.EndObject();
    }
    if (!model_.hasEvent) {
      json_.emptyArray("entries");
      json_.emptyArray("sessions");
    } else {
      if (sections.has(Flag::EVENTINFO)) {
        json_.key("event");
        json_.StartObject();
        json_.field("track", model_.track);
        json_.field("carset", model_.carset);
        json_.EndObject();
      }
      if (sections.has(Flag::ENTRYLIST)) entries();
      json_.key("sessions");
      json_.StartArray();
      for (const ReportSession& session : model_.sessions) this->session(session);
      json_.EndArray();
    }
    json_.EndObject();
  }

 private:
  void entries() {
    json_.key("entries");
    json_.StartArray();
    for (const EntryRow& entry : model_.entries) {
      json_.StartObject();
      json_.field("car_id", entry.carid);
      json_.field("start_number", entry.startNum);
      json_.field("make", entry.make);
      json_.field("team", entry.team);
      json_.field("chassis", entry.chassis);
      json_.field("engine", entry.engine);
      json_.field("year", entry.year);
      json_.key("drivers");
      json_.StartArray();
      for (const DriverRow& driver : entry.drivers) {
        json_.StartObject();
        json_.field("driver_id", driver.driverid);
        json_.field("first_name", driver.firstName);
        json_.field("last_name", driver.lastName);
        json_.field("name", driver.name);
        json_.field("nationality", driver.nat);
        json_.field("remark", driver.remark);
        json_.EndObject();
      }
      json_.EndArray();
      json_.EndObject();
      sink_.checkpoint();
    }
    json_.EndArray();
  }

  // The members every row names its car with.
  void car(const CarRef& car) {
    json_.field("start_number", car.startNum);
    json_.field("car_id", car.carid);
    json_.field("driver", car.name);
  }

  void session(const ReportSession& session) {
    json_.StartObject();
    json_.field("number", std::uint64_t{session.number});
    json_.key("type");
    json_.utf8(toString(session.type));
    if (session.classified) bestLaps(session);
    if (session.classified && session.type == SessT::RACE) results(session);
    if (model_.sections.has(Flag::LAPTIMES)) lapLists(session);
    json_.EndObject();
  }

  void bestLaps(const ReportSession& session) {
    json_.key("best_laps");
    json_.StartArray();
    for (const BestLapRow& row : session.bestLaps) {
      json_.StartObject();
      json_.field("position", row.position);
      car(row.car);
      json_.field("lap", row.lap);
      json_.field("lap_time_ms", row.lapTime);
      json_.field("gap_ms", row.gap);
      json_.field("clock_ms", row.clock);
      json_.field("remark", row.remark);
      json_.EndObject();
      sink_.checkpoint();
    }
    json_.EndArray();
  }

  void results(const ReportSession& session) {
    json_.key("results");
    json_.StartArray();
    for (const RaceRow& row : session.results) {
      json_.StartObject();
      json_.field("position", row.position);
      car(row.car);
      json_.field("laps", row.laps);
      json_.field("race_time_ms", row.raceTime);
      json_.field("gap_ms", row.gap);
      json_.msOrNull("interval_ms", row.interval);
      json_.field("remark", row.remark);
      json_.field("laps_led", row.lapsLed);
      json_.msOrNull("best_lap_ms", row.bestLap);
      json_.field("laps_behind", row.lapsBehind);
      json_.EndObject();
      sink_.checkpoint();
    }
    json_.EndArray();
  }

  void lapLists(const ReportSession& session) {
    json_.key("laps");
    json_.StartArray();
    for (const LapListRow& list : session.lapLists) {
      const CarCourse& course = session.courses[list.first];
      json_.StartObject();
      json_.field("car_id", list.car.carid);
      json_.field("start_number", list.car.startNum);
      json_.field("driver", list.car.name);
      json_.key("laps");
      json_.StartArray();
      for (std::size_t j = 0; j < course.crossings.size(); ++j) {
        lapObject(j, course.crossings[j], j < course.standings.size() ? &course.standings[j] : nullptr);
      }
      json_.EndArray();
      json_.EndObject();
      sink_.checkpoint();
    }
    json_.EndArray();
  }

  // One lap of a lap list, put together whole: its members are numbers
  // and flag names, so nothing in it needs the writer's escaping.
  void lapObject(std::size_t lap, const Crossing& crossing, const RaceStanding* standing) {
    TextRoom& room = json_.wholeValue(rapidjson::kObjectType);
    char* at = putText(room.reserve(kLongestLap), "{\"lap\":");
    at = rapidjson::internal::u64toa(lap, at);
    at = rapidjson::internal::u32toa(crossing.lapTime(), putText(at, ",\"lap_time_ms\":"));
    at = rapidjson::internal::u32toa(crossing.clock(), putText(at, ",\"clock_ms\":"));
    at = putText(at, ",\"flags\":[");
    bool first = true;
    for (const LapFlagName& named : kLapFlagNames) {
      if (!hasFlag(crossing.flags(), named.flag)) continue;
      if (!first) *at++ = ',';
      first = false;
      *at++ = '"';
      at = putText(at, named.name);
      *at++ = '"';
    }
    *at++ = ']';
    if (standing != nullptr) {
      at = rapidjson::internal::i32toa(standing->position, putText(at, ",\"position\":"));
      at = rapidjson::internal::u32toa(standing->gap, putText(at, ",\"gap_to_leader_ms\":"));
    }
    *at++ = '}';
    room.commit(at);
  }

  const ReportModel& model_;
  OutputSink& sink_;
  JsonWriter json_;
};

}  // namespace

void reportJSON(OutputSink& sink, const ReportModel& model) {
  JsonRenderer(model, sink).render();
  sink.text() += '\n';
}

}  // namespace marvolt
