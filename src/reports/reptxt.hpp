// The fixed-column text report.
#pragma once

#include <string>
#include <string_view>

#include "frontend/enums.hpp"
#include "model/data.hpp"

namespace marvolt {

/// Builds the text report piece by piece into one UTF-8 text.
class TxtReport {
 public:
  /// An empty report that writes the given sections.
  explicit TxtReport(const Sections& sections);
  /// Makes room for `bytes` of report text.
  void reserve(std::size_t bytes);
  /// Appends the replay information block.
  void reportReplayInfo(const Data& data);
  /// Appends the event information, entry list, session tables and lap dump.
  void reportEvent(const Data& data);
  /// Appends the entry list sorted by start number.
  void reportEntryList(const Event& event);
  /// Appends a best-lap table under `title`; nothing when no car has a valid lap.
  void reportBestLapResults(const Event& event, const Session& session, std::string_view title);
  /// Appends the race classification; nothing when no car crossed the line.
  void reportRaceResults(const Event& event, const Session& session);
  /// Appends every lap of every car of every session.
  void reportDumpLaps(const Event& event);
  /// The text built so far.
  std::string take() { return std::move(rep_); }

 private:
  Sections sections_;
  std::string rep_;
};

/// The whole text report of a model; empty when it has no event.
std::string reportTXT(const Data& data, const Sections& sections = {});

}  // namespace marvolt
