// The report of one replay in the format chosen on the command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frontend/enums.hpp"
#include "model/data.hpp"

namespace marvolt {

/// A report of a data model in one format.
class Report {
 public:
  /// The report formats.
  enum class Format : std::int32_t { TXT = 0, SEMIKV = 4, JSON = 5, HTML = 6 };

  /// Keeps the model, the format and the sections to write; nothing is built yet.
  Report(const Data& data, Format format, Sections sections = {})
      : data(data), format(format), sections(sections) {}
  virtual ~Report() = default;
  /// The whole report as UTF-8 text; empty for an unsupported format.
  virtual std::string toString() const;

  const Data& data;
  Format format;
  Sections sections;
};

/// The event's entries by ascending start number; equal numbers keep their order.
std::vector<const Entry*> entriesByStartNumber(const Event& event);
/// The entry of a car id, or the placeholder entry.
const Entry& entryOf(const Event& event, std::uint32_t carid);
/// The driver of a driver id within an entry, or the placeholder driver.
const Driver& driverOf(const Entry& entry, std::uint32_t driverid);
/// Room for a whole report of `data`: `perLine` bytes for each entry line,
/// classification row and car of a session, and `perCrossing` more for each
/// crossing (0 when the lap lists are not written).
std::size_t reportRoom(const Data& data, std::size_t perLine, std::size_t perCrossing);
/// Appends the session tables the switches select, in session order (a
/// practice's best laps; a race's classification, then its fastest laps),
/// then the lap dump; shared by the text and key=value builders.
template <typename Builder>
void reportSessions(Builder& builder, const Event& event, const Sections& sections) {
  for (const Session& session : event.sessions) {
    if (sections.has(Flag::PRACTICERESULTS) && session.type == SessT::PRACTICE) {
      builder.reportBestLapResults(event, session, "Practice Results");
    }
    if (sections.has(Flag::RACERESULTS) && session.type == SessT::RACE) {
      builder.reportRaceResults(event, session);
      builder.reportBestLapResults(event, session, "Race Fastest Laps");
    }
  }
  if (sections.has(Flag::LAPTIMES)) builder.reportDumpLaps(event);
}

/// The whole report of a model built by `Builder`, with room for it reserved
/// up front (`lapBytes` per lap row); empty when the model has no event.
template <typename Builder>
std::string buildReport(const Data& data, const Sections& sections, std::size_t lapBytes) {
  if (data.events.empty()) return {};
  Builder report(sections);
  // The whole report fits without growing: a growing text is copied at every
  // step, and the pages of room that stay unwritten cost no memory.
  report.reserve(reportRoom(data, 128, sections.has(Flag::LAPTIMES) ? lapBytes : 0));
  if (sections.has(Flag::REPLAYINFO)) report.reportReplayInfo(data);
  report.reportEvent(data);
  return report.take();
}

/// First and last name joined by one space.
std::u16string fullName(const Driver& driver);

}  // namespace marvolt
