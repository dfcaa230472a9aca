#include "reports/repsemikv.hpp"

#include <algorithm>
#include <charconv>

#include <fmt/format.h>

#include "reports/report.hpp"
#include "timing/timing.hpp"

namespace marvolt {

namespace {

constexpr std::size_t kReserved = 16384;
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

// The ";" of a value become U+037E and its U+0012 become ";".
void protectValue(std::string& out, std::size_t valueStart) {
  const std::size_t semicolon = out.find(';', valueStart);
  if (semicolon == std::string::npos && out.find(kSeparatorMark, valueStart) == std::string::npos) return;
  const std::string value = out.substr(valueStart);
  out.resize(valueStart);
  for (const char c : value) {
    if (c == ';') {
      out += kProtectedSemicolon;
    } else {
      out += c == kSeparatorMark ? ';' : c;
    }
  }
}

}  // namespace

void rformatTo(std::string& out, std::string_view format, std::initializer_list<FmtArg> values) {
  // The format's own ";" are separators; every ";" of a value is protected
  // as it is put in, and a U+0012 of a value becomes ";". So the format is
  // used as it is, unless it holds a U+0012 itself, which becomes ";" too.
  const std::span<const FmtArg> args(values.begin(), values.size());
  const std::size_t start = out.size();
  try {
    if (format.find(kSeparatorMark) == std::string_view::npos) {
      formatLangTo(out, format, args, protectValue);
      return;
    }
    std::string marked(format);
    std::replace(marked.begin(), marked.end(), kSeparatorMark, ';');
    formatLangTo(out, marked, args, protectValue);
  } catch (...) {
    out.resize(start);
    throw;
  }
}

std::string rformat(std::string_view format, std::initializer_list<FmtArg> values) {
  std::string out;
  rformatTo(out, format, values);
  return out;
}

SemiKVReport::SemiKVReport(const Sections& sections) : sections_(sections) { rep_.reserve(kReserved); }

void SemiKVReport::reserve(std::size_t bytes) { rep_.reserve(bytes); }

void SemiKVReport::append(std::string_view format, std::initializer_list<FmtArg> values) {
  rformatTo(rep_, format, values);
}

void SemiKVReport::reportReplayInfo(const Data& data) {
  rep_ += "table_start;table=Replay Info;\n";
  append("saver=%s %s;\n", {data.replay.saverFirstName, data.replay.saverLastName});
  rep_ += "table_end;\n\n";
}

void SemiKVReport::reportEvent(const Data& data) {
  const Event& event = data.events.front();
  if (sections_.has(Flag::EVENTINFO)) {
    rep_ += "table_start;table=Event Info;\n";
    append("track=%s;", {event.track});
    append("carset=%s;\n", {event.carset});
    rep_ += "table_end;\n\n";
  }
  if (sections_.has(Flag::ENTRYLIST)) reportEntryList(event);
  reportSessions(*this, event, sections_);
}

void SemiKVReport::reportEntryList(const Event& event) {
  rep_ += "table_start;table=Entry List;\n";
  for (const Entry* listed : entriesByStartNumber(event)) {
    const Entry& entry = *listed;
    append("startnum=%s;", {entry.startNum});
    append("team=%s;", {entry.team});
    append("chassis=%s;", {entry.chassis});
    append("engine=%s;", {entry.engine});
    append("year=%s;", {entry.year});
    int n = 0;
    for (const Driver& driver : entry.drivers) {
      ++n;
      append("driver%d_name=%s;", {n, fullName(driver)});
      append("driver%d_nat=%s;", {n, driver.nat});
      append("driver%d_remark=%s;\n", {n, driver.remark});
    }
  }
  rep_ += "table_end;\n\n";
}

void SemiKVReport::reportBestLapResults(const Event& event, const Session& session, std::string_view title) {
  const std::vector<BestLapResult> rows = session.timing->getBestLapResults();
  if (rows.empty()) return;
  rep_ += "table_start;table=";
  rep_ += title;
  rep_ += ";\n";
  int position = 0;
  for (const BestLapResult& row : rows) {
    const Entry& entry = entryOf(event, row.carid);
    const Driver& driver = driverOf(entry, row.driverid);
    append("pos=%d;", {++position});
    append("startnum=%s;", {entry.startNum});
    append("drivername=%s;", {fullName(driver)});
    append("laptime=%s;", {timeText(row.laptime)});
    append("gap=%s;", {timeText(static_cast<std::uint32_t>(row.gap))});
    append("lap=%s;clock=%s;remark=%s;\n", {row.lap, timeText(row.clock), row.remark});
  }
  rep_ += "table_end;\n\n";
}

void SemiKVReport::reportRaceResults(const Event& event, const Session& session) {
  MARVOLT_ASSERT(session.type == SessT::RACE, "race table of a session that is no race");
  const std::vector<RaceResult> rows = session.timing->getRaceResults();
  if (rows.empty()) return;
  rep_ += "table_start;table=Race Results;\n";
  int position = 0;
  for (const RaceResult& row : rows) {
    const Entry& entry = entryOf(event, row.carid);
    const Driver& driver = driverOf(entry, row.driverid);
    append("pos=%d;", {++position});
    append("startnum=%s;", {entry.startNum});
    append("drivername=%s;", {fullName(driver)});
    append("laps=%s;clock=%s;", {row.laps, timeText(row.clock)});
    append("gap=%s;diff=%s;remark=%s;\n", {timeText(static_cast<std::uint32_t>(row.gap)),
                                           timeText(static_cast<std::uint32_t>(row.diff)), row.remark});
  }
  rep_ += "table_end;\n\n";
}

void SemiKVReport::reportDumpLaps(const Event& event) {
  int s = 0;
  for (const Session& session : event.sessions) {
    ++s;
    const std::string type = toString(session.type);
    for (const TimingEntry& car : session.timing->timing) {
      const std::int16_t num = entryOf(event, car.carid).startNum;
      rep_ += "table_start;table_type=laptimes;";
      append("table=Session %s (%s) Car %d laptimes;", {s, type, num});
      append("session=%d;startnum=%d;\n", {s, num});
      // The values of a lap row are a number, two time texts and a flag
      // text: none can hold a ";" or U+0012, so the protection of rformat
      // leaves them as they are and the row is written directly.
      std::uint32_t prev = 0;
      std::size_t j = 0;
      char number[24];
      for (const TimedLap& lap : car.laps) {
        rep_ += "lap=";
        rep_.append(number, std::to_chars(number, number + sizeof number, j++).ptr);
        rep_ += ";laptime=";
        appendMsecToTime(rep_, lap.clock - prev);
        rep_ += ";clock=";
        appendMsecToTime(rep_, lap.clock);
        rep_ += ";remark=";
        appendLapFlagStr(rep_, lap.flags);
        rep_ += ";\n";
        prev = lap.clock;
      }
      rep_ += "table_end;\n\n";
    }
  }
}

std::string reportSemiKV(const Data& data, const Sections& sections) {
  return buildReport<SemiKVReport>(data, sections, 96);
}

}  // namespace marvolt
