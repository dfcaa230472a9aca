#include "reports/repsemikv.hpp"

#include <fmt/format.h>

#include "frontend/globals.hpp"
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

std::string rformat(std::string_view format, std::initializer_list<FmtArg> values) {
  // The format's own ";" are marked, the values are put in, every ";" left
  // (they all come from values) is protected, and the marks become ";".
  std::string marked(format);
  for (char& c : marked) {
    if (c == ';') c = kSeparatorMark;
  }
  const std::string filled = formatLang(marked, std::span<const FmtArg>(values.begin(), values.size()));
  std::string out;
  out.reserve(filled.size() + 8);
  for (const char c : filled) {
    if (c == ';') {
      out += kProtectedSemicolon;
    } else {
      out += c == kSeparatorMark ? ';' : c;
    }
  }
  return out;
}

SemiKVReport::SemiKVReport() { rep_.reserve(kReserved); }

void SemiKVReport::append(std::string_view format, std::initializer_list<FmtArg> values) {
  rep_ += rformat(format, values);
}

void SemiKVReport::reportReplayInfo(const Data& data) {
  rep_ += "table_start;table=Replay Info;\n";
  append("saver=%s %s;\n", {data.replay.saverFirstName, data.replay.saverLastName});
  rep_ += "table_end;\n\n";
}

void SemiKVReport::reportEvent(const Data& data) {
  const Event& event = data.events.front();
  if (flagSet(Flag::EVENTINFO)) {
    rep_ += "table_start;table=Event Info;\n";
    append("track=%s;", {event.track});
    append("carset=%s;\n", {event.carset});
    rep_ += "table_end;\n\n";
  }
  if (flagSet(Flag::ENTRYLIST)) reportEntryList(event);
  for (const Session& session : event.sessions) {
    if (flagSet(Flag::PRACTICERESULTS) && session.type == SessT::PRACTICE) {
      reportBestLapResults(event, session, "Practice Results");
    }
    if (flagSet(Flag::RACERESULTS) && session.type == SessT::RACE) {
      reportRaceResults(event, session);
      reportBestLapResults(event, session, "Race Fastest Laps");
    }
  }
  if (flagSet(Flag::LAPTIMES)) reportDumpLaps(event);
}

void SemiKVReport::reportEntryList(const Event& event) {
  rep_ += "table_start;table=Entry List;\n";
  for (const Entry& entry : entriesByStartNumber(event)) {
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
      std::uint32_t prev = 0;
      int j = 0;
      for (const TimedLap& lap : car.laps) {
        append("lap=%d;", {j++});
        append("laptime=%s;", {timeText(lap.clock - prev)});
        append("clock=%s;", {timeText(lap.clock)});
        append("remark=%s;", {lapFlagStr(lap.flags)});
        rep_ += '\n';
        prev = lap.clock;
      }
      rep_ += "table_end;\n\n";
    }
  }
}

std::string reportSemiKV(const Data& data) {
  if (data.events.empty()) return {};
  SemiKVReport report;
  if (flagSet(Flag::REPLAYINFO)) report.reportReplayInfo(data);
  report.reportEvent(data);
  return report.take();
}

}  // namespace marvolt
