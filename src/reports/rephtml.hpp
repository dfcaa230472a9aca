// The HTML report: one self-contained page with the tables of the text
// report and, for every race, a lap chart, a gap chart and a lap-time chart.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "frontend/enums.hpp"
#include "model/data.hpp"
#include "timing/timing.hpp"

namespace marvolt {

/// Builds the HTML page piece by piece into one UTF-8 text.
class HtmlReport {
 public:
  /// An empty page that writes the given sections.
  explicit HtmlReport(const Sections& sections);
  /// Makes room for `bytes` of page text.
  void reserve(std::size_t bytes);
  /// Remembers who saved the replay; it is written under the page's title.
  void reportReplayInfo(const Data& data);
  /// Appends the head, the title, the entry list, session tables, charts and lap tables.
  void reportEvent(const Data& data);
  /// Appends the entry list by start number.
  void reportEntryList(const Event& event);
  /// Appends a best-lap table under `title`; nothing when no car has a valid lap.
  void reportBestLapResults(const Event& event, const Session& session, std::string_view title);
  /// Appends the race classification and the race's charts; the session must be a race.
  void reportRaceResults(const Event& event, const Session& session);
  /// Appends every car's lap table of every session.
  void reportDumpLaps(const Event& event);
  /// Closes the page and hands it over.
  std::string take();

 private:
  /// What the charts of a race are drawn from.
  struct RaceCourse {
    std::size_t number;   ///< the session's place in the event
    const std::vector<RaceResult>& results;
    const RaceHistory& history;
    const FirstLapLists& lapLists;
  };
  std::string_view colourOf(const Entry& entry) const;
  void appendCarCell(const Entry& entry);
  void appendCharts(const Event& event, const Session& session, const RaceCourse& race);

  Sections sections_;
  const ReplayData* saver_ = nullptr;
  bool begun_ = false;
  std::unordered_map<const Entry*, std::size_t> listed_;   // entry -> place in the entry list
  std::string rep_;
};

/// The whole HTML page of a model; empty when it has no event.
std::string reportHTML(const Data& data, const Sections& sections = {});

}  // namespace marvolt
