// The JSON report.
#pragma once

#include <string>

#include "frontend/enums.hpp"
#include "model/data.hpp"

namespace marvolt {

/// The whole JSON report of a model.
std::string reportJSON(const Data& data, const Sections& sections = {});

}  // namespace marvolt
