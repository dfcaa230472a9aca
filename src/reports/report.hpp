// The report of one replay in the format chosen on the command line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frontend/enums.hpp"
#include "frontend/sink.hpp"
#include "model/data.hpp"
#include "reports/reportmodel.hpp"

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
  /// What the report prints, worked out: everything but the rendering.
  ReportModel model() const;

  const Data& data;
  Format format;
  Sections sections;
};

/// Writes the report of a model in `format` into `sink`; nothing for an
/// unsupported format.
void renderReport(OutputSink& sink, const ReportModel& model, Report::Format format);

/// The report of a model in `format` as one text; empty for an unsupported format.
std::string renderReport(const ReportModel& model, Report::Format format);

/// Renders the session tables in session order (a practice's best laps; a
/// race's classification, then its fastest laps), then the lap dump when
/// the model holds it; shared by the table formats.
template <typename Writer>
void renderSessions(Writer& writer, const ReportModel& model) {
  for (const ReportSession& session : model.sessions) {
    if (session.type == SessT::PRACTICE) writer.bestLaps(session, "Practice Results");
    if (session.type == SessT::RACE) {
      writer.results(session);
      writer.bestLaps(session, "Race Fastest Laps");
    }
  }
  if (model.sections.has(Flag::LAPTIMES)) writer.lapDump(model);
}

}  // namespace marvolt
