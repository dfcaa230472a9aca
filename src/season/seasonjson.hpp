// The standings as a JSON document of the schema "marvolt-season/1".
#pragma once

#include <string>

#include "season/standings.hpp"

namespace marvolt {

/// The rounds and both championship tables as one compact JSON line.
std::string seasonJSON(const Standings& standings);

}  // namespace marvolt
