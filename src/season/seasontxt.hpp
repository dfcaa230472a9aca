// The standings as fixed-column text: the drivers' table, then the teams'.
#pragma once

#include <string>

#include "frontend/sink.hpp"

#include "season/standings.hpp"

namespace marvolt {

/// The heading of a round's column: its number and the first three letters
/// of its track, upper-cased ("3 NUR").
std::u16string roundHeading(std::size_t number, std::u16string_view track);

/// A round's cell of a table: the classified position, "R" appended for a
/// retirement, in parentheses when the score was dropped; empty for a round
/// not taken part in.
std::u16string roundCell(const std::optional<RoundResult>& result);

/// Both championship tables as UTF-8 text.
void seasonTXT(OutputSink& sink, const Standings& standings);

}  // namespace marvolt
