#include "reports/reptxt.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>

#include <fmt/format.h>

#include "frontend/telvo.hpp"
#include "reports/report.hpp"

namespace marvolt {

namespace {

// Appends milliseconds as time text right-aligned in `width` columns.
void appendTime(std::string& out, std::uint32_t ms, std::size_t width, std::string_view prefix = {}) {
  std::string time(prefix);
  appendMsecToTime(time, ms);
  appendPadded(out, std::string_view(time), width, false);
}

// Writes a short text right-aligned in `width` columns (16 at most) at
// `at`, which has room for both plus 16; returns its end. The text's own
// room holds 16 bytes: a short one is copied in one piece.
char* putRight(char* at, const char* text, std::size_t size, std::size_t width) {
  std::memset(at, ' ', 16);
  if (size < width) at += width - size;
  if (size <= 16) {
    std::memcpy(at, text, 16);
  } else {
    std::memcpy(at, text, size);
  }
  return at + size;
}

// Renders the text report of a model, row by row, into a sink.
class TxtWriter {
 public:
  explicit TxtWriter(OutputSink& sink) : sink_(sink), rep_(sink.text()) {}

  void entryList(const ReportModel& model) {
    rep_ += "Entry List\n\n";
    rep_ += "Num Team                          Chassis                Engine                  Year\n";
    rep_ += "      Driver                 NAT    Remark\n";
    for (const EntryRow& entry : model.entries) {
      fmt::format_to(std::back_inserter(rep_), "{:>3} ", entry.startNum);
      appendPadded(rep_, entry.team, 30, true);
      appendPadded(rep_, entry.chassis, 23, true);
      appendPadded(rep_, entry.engine, 24, true);
      fmt::format_to(std::back_inserter(rep_), "{}\n", entry.year);
      for (const DriverRow& driver : entry.drivers) {
        rep_ += "      ";
        appendPadded(rep_, driver.name, 23, true);
        appendPadded(rep_, driver.nat, 5, true);
        rep_ += "  ";
        appendShown(rep_, driver.remark);
        rep_ += '\n';
      }
      sink_.checkpoint();
    }
  }

  void bestLaps(const ReportSession& session, std::string_view title) {
    if (session.bestLaps.empty()) return;
    rep_ += title;
    rep_ += "\n\n";
    rep_ += "Pos Num Driver                     Time        Gap   Lap      Clock    Remark\n";
    for (const BestLapRow& row : session.bestLaps) {
      fmt::format_to(std::back_inserter(rep_), "{:>2}. {:>3} ", row.position, row.car.startNum);
      appendPadded(rep_, row.car.name, 23, true);
      rep_ += ' ';
      appendTime(rep_, row.lapTime, 9);
      rep_ += ' ';
      appendTime(rep_, row.gap, 9);
      fmt::format_to(std::back_inserter(rep_), " {:>4} ", row.lap);
      appendTime(rep_, row.clock, 12);
      rep_ += "  ";
      appendShown(rep_, row.remark);
      rep_ += '\n';
      sink_.checkpoint();
    }
    rep_ += '\n';
  }

  void results(const ReportSession& session) {
    if (session.results.empty()) return;
    rep_ += "Race Results\n\n";
    rep_ += "Pos Num Driver                  Laps     Clock        Gap       Diff   Remark\n";
    for (const RaceRow& row : session.results) {
      fmt::format_to(std::back_inserter(rep_), "{:>2}. {:>3} ", row.position, row.car.startNum);
      appendPadded(rep_, row.car.name, 23, true);
      fmt::format_to(std::back_inserter(rep_), " {:>3} ", row.laps);
      appendTime(rep_, row.raceTime, 12);
      rep_ += ' ';
      appendTime(rep_, row.gap, 9);
      rep_ += ' ';
      appendTime(rep_, row.interval, 10, "-");
      rep_ += "  ";
      appendShown(rep_, row.remark);
      rep_ += '\n';
      sink_.checkpoint();
    }
    rep_ += '\n';
  }

  void lapDump(const ReportModel& model) {
    for (const ReportSession& session : model.sessions) {
      fmt::format_to(std::back_inserter(rep_), "Session {} ({}) Laptimes\n\n", session.number, toString(session.type));
      for (const LapListRow& list : session.lapLists) lapLines(list, session.courses[list.first]);
    }
  }

 private:
  // "Car number N laptimes", then "%3s: %9s  %s" per crossing with the
  // index, the lap time and the flags, then an empty line.
  void lapLines(const LapListRow& list, const CarCourse& course) {
    constexpr std::size_t kNumber = 24;
    TextRoom room(rep_);
    char number[kNumber];
    room.put("Car number ");
    room.put(std::string_view(number, std::to_chars(number, number + kNumber, list.car.startNum).ptr));
    room.put(" laptimes\n");
    // Each line is put together in the room: the index, its time, its flags.
    char time[kNumber];
    static_assert(kTimeChars <= 16);
    for (std::size_t j = 0; j < course.crossings.size(); ++j) {
      const Crossing& crossing = course.crossings[j];
      char* at = room.reserve(kNumber + 2 + kTimeChars + 2 + kLapFlagChars + 1 + 32);
      const char* numberEnd = std::to_chars(number, number + kNumber, j).ptr;
      at = putRight(at, number, static_cast<std::size_t>(numberEnd - number), 3);
      *at++ = ':';
      *at++ = ' ';
      at = putRight(at, time, static_cast<std::size_t>(writeMsecToTime(time, crossing.lapTime()) - time), 9);
      *at++ = ' ';
      *at++ = ' ';
      at = writeLapFlagStr(at, crossing.flags());
      *at++ = '\n';
      room.commit(at);
    }
    room.put('\n');
    room.flush();
    sink_.checkpoint();
  }

  OutputSink& sink_;
  std::string& rep_;
};

}  // namespace

void reportTXT(OutputSink& sink, const ReportModel& model) {
  if (!model.hasEvent) return;
  std::string& rep = sink.text();
  const Sections& sections = model.sections;
  if (sections.has(Flag::REPLAYINFO)) {
    rep += "Replay Info\nsaver     : ";
    appendShown(rep, model.saverFirstName);
    rep += ' ';
    appendShown(rep, model.saverLastName);
    rep += '\n';
  }
  if (sections.has(Flag::EVENTINFO)) {
    rep += "Event Info\ntrack     : ";
    appendShown(rep, model.track);
    rep += "\ncarset    : ";
    appendShown(rep, model.carset);
    rep += "\n\n";
  }
  TxtWriter writer(sink);
  if (sections.has(Flag::ENTRYLIST)) writer.entryList(model);
  rep += '\n';
  renderSessions(writer, model);
}

}  // namespace marvolt
