// The fixed-column text report.
#pragma once

#include <string>

#include "reports/reportmodel.hpp"

namespace marvolt {

/// The whole text report of a model; empty when it has no event.
std::string reportTXT(const ReportModel& model);

}  // namespace marvolt
