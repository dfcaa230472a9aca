// The JSON report: one document (schema "marvolt-report/1", described in
// docs/report.schema.json) with integer milliseconds for every time and the
// race history of every race.
#pragma once

#include "frontend/sink.hpp"
#include "reports/reportmodel.hpp"

namespace marvolt {

/// Writes the JSON report of a model, ended by a line break, into `sink`. A
/// model without event still gives a document: its replay member, no
/// entries, no sessions.
void reportJSON(OutputSink& sink, const ReportModel& model);

}  // namespace marvolt
