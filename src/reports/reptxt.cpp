#include "reports/reptxt.hpp"

#include <iterator>

#include <fmt/format.h>

#include "frontend/telvo.hpp"
#include "reports/report.hpp"
#include "timing/timing.hpp"

namespace marvolt {

namespace {

constexpr std::size_t kReserved = 16384;

// Appends milliseconds as time text right-aligned in `width` columns.
void appendTime(std::string& out, std::uint32_t ms, std::size_t width, std::string_view prefix = {}) {
  std::string time(prefix);
  appendMsecToTime(time, ms);
  appendPadded(out, std::string_view(time), width, false);
}

}  // namespace

TxtReport::TxtReport(const Sections& sections) : sections_(sections) { rep_.reserve(kReserved); }

void TxtReport::reserve(std::size_t bytes) { rep_.reserve(bytes); }

void TxtReport::reportReplayInfo(const Data& data) {
  rep_ += "Replay Info\n";
  rep_ += "saver     : ";
  appendUtf8(rep_, data.replay.saverFirstName);
  rep_ += ' ';
  appendUtf8(rep_, data.replay.saverLastName);
  rep_ += '\n';
}

void TxtReport::reportEvent(const Data& data) {
  const Event& event = data.events.front();
  if (sections_.has(Flag::EVENTINFO)) {
    rep_ += "Event Info\ntrack     : ";
    appendUtf8(rep_, event.track);
    rep_ += "\ncarset    : ";
    appendUtf8(rep_, event.carset);
    rep_ += "\n\n";
  }
  if (sections_.has(Flag::ENTRYLIST)) reportEntryList(event);
  rep_ += '\n';
  reportSessions(*this, event, sections_);
}

void TxtReport::reportEntryList(const Event& event) {
  rep_ += "Entry List\n\n";
  rep_ += "Num Team                          Chassis                Engine                  Year\n";
  rep_ += "      Driver                 NAT    Remark\n";
  for (const Entry* listed : entriesByStartNumber(event)) {
    const Entry& entry = *listed;
    fmt::format_to(std::back_inserter(rep_), "{:>3} ", entry.startNum);
    appendPadded(rep_, entry.team, 30, true);
    appendPadded(rep_, entry.chassis, 23, true);
    appendPadded(rep_, entry.engine, 24, true);
    fmt::format_to(std::back_inserter(rep_), "{}\n", entry.year);
    for (const Driver& driver : entry.drivers) {
      rep_ += "      ";
      appendPadded(rep_, fullName(driver), 23, true);
      appendPadded(rep_, driver.nat, 5, true);
      rep_ += "  ";
      appendUtf8(rep_, driver.remark);
      rep_ += '\n';
    }
  }
}

void TxtReport::reportBestLapResults(const Event& event, const Session& session, std::string_view title) {
  const std::vector<BestLapResult> results = session.timing->getBestLapResults();
  if (results.empty()) return;
  rep_ += title;
  rep_ += "\n\n";
  rep_ += "Pos Num Driver                     Time        Gap   Lap      Clock    Remark\n";
  int position = 0;
  for (const BestLapResult& row : results) {
    const Entry& entry = entryOf(event, row.carid);
    const Driver& driver = driverOf(entry, row.driverid);
    fmt::format_to(std::back_inserter(rep_), "{:>2}. {:>3} ", ++position, entry.startNum);
    appendPadded(rep_, fullName(driver), 23, true);
    rep_ += ' ';
    appendTime(rep_, row.laptime, 9);
    rep_ += ' ';
    appendTime(rep_, static_cast<std::uint32_t>(row.gap), 9);
    fmt::format_to(std::back_inserter(rep_), " {:>4} ", row.lap);
    appendTime(rep_, row.clock, 12);
    rep_ += "  ";
    appendUtf8(rep_, row.remark);
    rep_ += '\n';
  }
  rep_ += '\n';
}

void TxtReport::reportRaceResults(const Event& event, const Session& session) {
  const std::vector<RaceResult> results = session.timing->getRaceResults();
  if (results.empty()) return;
  rep_ += "Race Results\n\n";
  rep_ += "Pos Num Driver                  Laps     Clock        Gap       Diff   Remark\n";
  int position = 0;
  for (const RaceResult& row : results) {
    const Entry& entry = entryOf(event, row.carid);
    const Driver& driver = driverOf(entry, row.driverid);
    fmt::format_to(std::back_inserter(rep_), "{:>2}. {:>3} ", ++position, entry.startNum);
    appendPadded(rep_, fullName(driver), 23, true);
    fmt::format_to(std::back_inserter(rep_), " {:>3} ", row.laps);
    appendTime(rep_, row.clock, 12);
    rep_ += ' ';
    appendTime(rep_, static_cast<std::uint32_t>(row.gap), 9);
    rep_ += ' ';
    appendTime(rep_, static_cast<std::uint32_t>(row.diff), 10, "-");
    rep_ += "  ";
    appendUtf8(rep_, row.remark);
    rep_ += '\n';
  }
  rep_ += '\n';
}

void TxtReport::reportDumpLaps(const Event& event) {
  std::size_t position = 0;
  for (const Session& session : event.sessions) {
    fmt::format_to(std::back_inserter(rep_), "Session {} ({}) Laptimes\n\n", ++position, toString(session.type));
    session.timing->appendDumpLaps(rep_);
  }
}

std::string reportTXT(const Data& data, const Sections& sections) {
  return buildReport<TxtReport>(data, sections, 44);
}

}  // namespace marvolt
