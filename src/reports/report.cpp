#include "reports/report.hpp"

#include "frontend/console.hpp"
#include "reports/rephtml.hpp"
#include "reports/repjson.hpp"
#include "reports/repsemikv.hpp"
#include "reports/reptxt.hpp"

namespace marvolt {

std::string renderReport(const ReportModel& model, Report::Format format) {
  switch (format) {
    case Report::Format::TXT: return reportTXT(model);
    case Report::Format::SEMIKV: return reportSemiKV(model);
    case Report::Format::JSON: return reportJSON(model);
    case Report::Format::HTML: return reportHTML(model);
  }
  cerr.writeln("Output format not supported");
  return {};
}

std::string Report::toString() const {
  // Only the documents show the course of a race: the text formats need no history.
  return renderReport(buildReportModel(data, sections, format == Format::JSON || format == Format::HTML), format);
}

}  // namespace marvolt
