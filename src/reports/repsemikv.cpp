#include "reports/repsemikv.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "reports/report.hpp"

namespace marvolt {

namespace {

constexpr char kSeparatorMark = '\x12';
constexpr std::string_view kProtectedSemicolon = "\xCD\xBE";  // U+037E

// Time text of milliseconds.
std::string timeText(std::uint32_t ms) {
  std::string text;
  appendMsecToTime(text, ms);
  return text;
}

}  // namespace

namespace {

// The ";" of a value become U+037E, its U+0012 become ";" and its other
// control characters U+FFFD.
void protectValue(std::string& out, std::size_t valueStart) {
  const auto special = [](char c) { return c == ';' || static_cast<unsigned char>(c) < 0x20 || c == '\x7F' || c == '\xC2'; };
  if (std::none_of(out.begin() + static_cast<std::ptrdiff_t>(valueStart), out.end(), special)) return;
  std::string value = out.substr(valueStart);
  out.resize(valueStart);
  for (const char c : value) {
    if (c == ';') {
      out += kProtectedSemicolon;
    } else {
      out += c == kSeparatorMark ? ';' : c;
    }
  }
  showControls(out, valueStart);
}

// The room a row piece is formatted in before it joins the report: the
// protection looks back at each value, and a failing format leaves nothing.
std::string& scratch() {
  static std::string room;
  room.clear();
  return room;
}

}  // namespace

void rformatTo(std::string& out, std::string_view format, std::initializer_list<FmtArg> values) {
  // The format's own ";" are separators; every ";" of a value is protected
  // as it is put in, and a U+0012 of a value becomes ";". So the format is
  // used as it is, unless it holds a U+0012 itself, which becomes ";" too.
  const std::span<const FmtArg> args(values.begin(), values.size());
  std::string& piece = scratch();
  if (format.find(kSeparatorMark) == std::string_view::npos) {
    formatLangTo(piece, format, args, protectValue);
  } else {
    std::string marked(format);
    std::replace(marked.begin(), marked.end(), kSeparatorMark, ';');
    formatLangTo(piece, marked, args, protectValue);
  }
  out += piece;
}

std::string rformat(std::string_view format, std::initializer_list<FmtArg> values) {
  std::string out;
  rformatTo(out, format, values);
  return out;
}

namespace {

// Renders the key=value report of a model, row by row, into a sink.
class SemiKVWriter {
 public:
  explicit SemiKVWriter(OutputSink& sink) : sink_(sink), rep_(sink.text()) {}

  void replayInfo(const ReportModel& model) {
    rep_ += "table_start;table=Replay Info;\n";
    append("saver=%s %s;\n", {model.saverFirstName, model.saverLastName});
    rep_ += "table_end;\n\n";
  }

  void eventInfo(const ReportModel& model) {
    rep_ += "table_start;table=Event Info;\n";
    append("track=%s;", {model.track});
    append("carset=%s;\n", {model.carset});
    rep_ += "table_end;\n\n";
  }

  void entryList(const ReportModel& model) {
    rep_ += "table_start;table=Entry List;\n";
    for (const EntryRow& entry : model.entries) {
      append("startnum=%s;", {entry.startNum});
      append("team=%s;", {entry.team});
      append("chassis=%s;", {entry.chassis});
      append("engine=%s;", {entry.engine});
      append("year=%s;", {entry.year});
      int n = 0;
      for (const DriverRow& driver : entry.drivers) {
        ++n;
        append("driver%d_name=%s;", {n, driver.name});
        append("driver%d_nat=%s;", {n, driver.nat});
        append("driver%d_remark=%s;\n", {n, driver.remark});
      }
      sink_.checkpoint();
    }
    rep_ += "table_end;\n\n";
  }

  void bestLaps(const ReportSession& session, std::string_view title) {
    if (session.bestLaps.empty()) return;
    rep_ += "table_start;table=";
    rep_ += title;
    rep_ += ";\n";
    for (const BestLapRow& row : session.bestLaps) {
      append("pos=%d;", {row.position});
      append("startnum=%s;", {row.car.startNum});
      append("drivername=%s;", {row.car.name});
      append("laptime=%s;", {timeText(row.lapTime)});
      append("gap=%s;", {timeText(row.gap)});
      append("lap=%s;clock=%s;remark=%s;\n", {row.lap, timeText(row.clock), row.remark});
      sink_.checkpoint();
    }
    rep_ += "table_end;\n\n";
  }

  void results(const ReportSession& session) {
    if (session.results.empty()) return;
    rep_ += "table_start;table=Race Results;\n";
    for (const RaceRow& row : session.results) {
      append("pos=%d;", {row.position});
      append("startnum=%s;", {row.car.startNum});
      append("drivername=%s;", {row.car.name});
      append("laps=%s;clock=%s;", {row.laps, timeText(row.raceTime)});
      append("gap=%s;diff=%s;remark=%s;\n", {timeText(row.gap), timeText(row.interval), row.remark});
      sink_.checkpoint();
    }
    rep_ += "table_end;\n\n";
  }

  void lapDump(const ReportModel& model) {
    for (const ReportSession& session : model.sessions) {
      const std::string type = toString(session.type);
      for (const LapListRow& list : session.lapLists) {
        const std::int16_t num = list.car.startNum;
        rep_ += "table_start;table_type=laptimes;";
        append("table=Session %s (%s) Car %d laptimes;", {session.number, type, num});
        append("session=%d;startnum=%d;\n", {session.number, num});
        // The values of a lap row are a number, two time texts and a flag
        // text: none can hold a ";" or U+0012, so the protection of rformat
        // leaves them as they are and the row is written directly, put
        // together in a room in front of the report text.
        TextRoom room(rep_);
        std::size_t j = 0;
        for (const Crossing& crossing : session.courses[list.own].crossings) {
          char* at = room.reserve(4 + 20 + 9 + kTimeChars + 7 + kTimeChars + 8 + kLapFlagChars + 2);
          at = putText(at, "lap=");
          at = std::to_chars(at, at + 20, j++).ptr;
          at = writeMsecToTime(putText(at, ";laptime="), crossing.lapTime());
          at = writeMsecToTime(putText(at, ";clock="), crossing.clock());
          at = writeLapFlagStr(putText(at, ";remark="), crossing.flags());
          room.commit(putText(at, ";\n"));
        }
        room.flush();
        rep_ += "table_end;\n\n";
        sink_.checkpoint();
      }
    }
  }

 private:
  void append(std::string_view format, std::initializer_list<FmtArg> values) { rformatTo(rep_, format, values); }

  OutputSink& sink_;
  std::string& rep_;
};

}  // namespace

void reportSemiKV(OutputSink& sink, const ReportModel& model) {
  if (!model.hasEvent) return;
  SemiKVWriter writer(sink);
  if (model.sections.has(Flag::REPLAYINFO)) writer.replayInfo(model);
  if (model.sections.has(Flag::EVENTINFO)) writer.eventInfo(model);
  if (model.sections.has(Flag::ENTRYLIST)) writer.entryList(model);
  renderSessions(writer, model);
}

}  // namespace marvolt
