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
/// retirement, "DQ" for a disqualification, in parentheses when the score
/// was dropped; empty for a round not taken part in.
std::u16string roundCell(const std::optional<RoundResult>& result);

/// A stewards' decision as the tables show it: "+10.000 s", "-3 places",
/// "disqualified", "-5 points".
std::u16string decisionText(const RoundDecision& decision);

/// With a league, its name and season first; both championship tables; with
/// stewards' decisions, their table last. UTF-8 text, written into `sink`.
void seasonTXT(OutputSink& sink, const Standings& standings);

}  // namespace marvolt
