// The HTML report: one self-contained page with the tables of the text
// report and, for every race, a lap chart, a gap chart and a lap-time chart.
#pragma once

#include <string>

#include "reports/reportmodel.hpp"

namespace marvolt {

/// The whole HTML page of a model; empty when it has no event.
std::string reportHTML(const ReportModel& model);

}  // namespace marvolt
