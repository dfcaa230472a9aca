// The fixed-column text report.
#pragma once

#include "frontend/sink.hpp"

#include "reports/reportmodel.hpp"

namespace marvolt {

/// Writes the text report of a model into `sink`; nothing when it has no event.
void reportTXT(OutputSink& sink, const ReportModel& model);

}  // namespace marvolt
