// The semicolon-delimited key=value report: tables of "key=value;" rows for
// other programs.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "frontend/telvo.hpp"
#include "frontend/enums.hpp"
#include "model/data.hpp"

namespace marvolt {

/// Formats one row piece; a ";" inside a value becomes U+037E so that every
/// ";" of the result separates pairs.
std::string rformat(std::string_view format, std::initializer_list<FmtArg> values);

/// Appends the text of rformat(format, values) to `out`.
void rformatTo(std::string& out, std::string_view format, std::initializer_list<FmtArg> values);

/// Builds the key=value report piece by piece into one UTF-8 text.
class SemiKVReport {
 public:
  /// An empty report that writes the given sections.
  explicit SemiKVReport(const Sections& sections);
  /// Makes room for `bytes` of report text.
  void reserve(std::size_t bytes);
  /// Appends the Replay Info table.
  void reportReplayInfo(const Data& data);
  /// Appends the event tables, session tables and lap tables.
  void reportEvent(const Data& data);
  /// Appends the Entry List table.
  void reportEntryList(const Event& event);
  /// Appends a best-lap table under `title`; nothing when no car has a valid lap.
  void reportBestLapResults(const Event& event, const Session& session, std::string_view title);
  /// Appends the Race Results table; the session must be a race.
  void reportRaceResults(const Event& event, const Session& session);
  /// Appends one lap table per car and session.
  void reportDumpLaps(const Event& event);
  /// The text built so far.
  std::string take() { return std::move(rep_); }

 private:
  Sections sections_;
  void append(std::string_view format, std::initializer_list<FmtArg> values);
  std::string rep_;
};

/// The whole key=value report of a model; empty when it has no event.
std::string reportSemiKV(const Data& data, const Sections& sections = {});

}  // namespace marvolt
