// The JSON report: one document (schema "marvolt-report/1", described in
// docs/report.schema.json) with integer milliseconds for every time and the
// race history of every race.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "frontend/enums.hpp"
#include "model/data.hpp"
#include "timing/timing.hpp"

namespace marvolt {

class JsonWriter;

/// Builds the JSON report into one UTF-8 text, streamed as it goes.
class JsonReport {
 public:
  /// An empty report that writes the given sections; opens the document.
  explicit JsonReport(const Sections& sections);
  ~JsonReport();
  /// Makes room for `bytes` of report text.
  void reserve(std::size_t bytes);
  /// Writes the "replay" member.
  void reportReplayInfo(const Data& data);
  /// Writes the "event", "entries" and "sessions" members of the first event.
  void reportEvent(const Data& data);
  /// Writes the members of a model without event: no entries, no sessions.
  void reportNoEvent();
  /// Closes the document and hands over its text, ended by a line break.
  std::string take();

 private:
  void reportEntries(const Event& event);
  void reportSession(const Event& event, const Session& session, std::size_t number);
  void reportBestLaps(const Event& event, const Session& session);
  void reportResults(const Event& event, const Session& session, const FirstLapLists& laps,
                     const RaceHistory& history);
  void reportLaps(const Event& event, const Session& session, const FirstLapLists& laps, const RaceHistory* history);

  Sections sections_;
  std::string rep_;
  std::unique_ptr<JsonWriter> json_;
};

/// The whole JSON report of a model, ended by a line break. A model without
/// event still gives a document: its replay member, no entries, no sessions.
std::string reportJSON(const Data& data, const Sections& sections = {});

}  // namespace marvolt
