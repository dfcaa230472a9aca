// The standings as a JSON document of the schema "marvolt-season/1".
#pragma once

#include "frontend/sink.hpp"

#include "season/standings.hpp"

namespace marvolt {

/// The rounds and both championship tables as one compact JSON line.
void seasonJSON(OutputSink& sink, const Standings& standings);

}  // namespace marvolt
