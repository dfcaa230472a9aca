// A round of the season from a loaded replay: its race classification with
// each car's driver and team, the order of its fastest laps and the driver
// each car of the entry list raced with.
#pragma once

#include <string>

#include "model/data.hpp"
#include "reports/reportmodel.hpp"
#include "season/standings.hpp"

namespace marvolt {

/// The round of the replay model `data`, read from `file`: the classification
/// of its first race session. Throws Error when the replay holds no race.
Round roundOf(const Data& data, const std::string& file);

/// The first race session of a model; null when it has none.
const ReportSession* firstRace(const ReportModel& model);

/// The round of a report model with the race classification, as above.
Round roundOf(const ReportModel& model, const std::string& file);

}  // namespace marvolt
