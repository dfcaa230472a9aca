#include "reports/report.hpp"

#include "frontend/console.hpp"
#include "reports/rephtml.hpp"
#include "reports/repjson.hpp"
#include "reports/repsemikv.hpp"
#include "reports/reptxt.hpp"

namespace marvolt {

void renderReport(OutputSink& sink, const ReportModel& model, Report::Format format) {
  switch (format) {
    case Report::Format::TXT: return reportTXT(sink, model);
    case Report::Format::SEMIKV: return reportSemiKV(sink, model);
    case Report::Format::JSON: return reportJSON(sink, model);
    case Report::Format::HTML: return reportHTML(sink, model);
  }
  cerr.writeln("Output format not supported");
}

ReportModel Report::model() const {
  // Only the documents show the course of a race: the text formats need no history.
  return buildReportModel(data, sections, format == Format::JSON || format == Format::HTML);
}

std::string renderReport(const ReportModel& model, Report::Format format) {
  return renderToString([&](OutputSink& sink) { renderReport(sink, model, format); });
}

std::string Report::toString() const { return renderReport(model(), format); }

}  // namespace marvolt
