// The JSON report: one document (schema "marvolt-report/1", described in
// docs/report.schema.json) with integer milliseconds for every time and the
// race history of every race.
#pragma once

#include <string>

#include "reports/reportmodel.hpp"

namespace marvolt {

/// The whole JSON report of a model, ended by a line break. A model without
/// event still gives a document: its replay member, no entries, no sessions.
std::string reportJSON(const ReportModel& model);

}  // namespace marvolt
