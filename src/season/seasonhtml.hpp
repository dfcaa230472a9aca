// The standings as a self-contained HTML page: the rounds, both championship
// tables and a points-progression chart for each, in the style of the race
// report page.
#pragma once

#include <string>

#include "season/standings.hpp"

namespace marvolt {

/// The whole page as UTF-8 text; well-formed XML, no outside resource.
std::string seasonHTML(const Standings& standings);

}  // namespace marvolt
