// The HTML report.
#pragma once

#include <string>

#include "frontend/enums.hpp"
#include "model/data.hpp"

namespace marvolt {

/// The whole HTML report of a model.
std::string reportHTML(const Data& data, const Sections& sections = {});

}  // namespace marvolt
