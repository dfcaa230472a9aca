// Who is who in a league: a replay's driver is a roster driver when its name
// (first and last name joined by one space) is the roster name or one of its
// aliases; a name that is so only once case, accents and spaces are set
// aside is a near miss, worth a warning. The stewards' decisions find their
// cars the same way.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "season/league.hpp"

namespace marvolt {

/// The roster driver whose name or one of whose aliases is `name`; none
/// when no roster driver has it.
std::optional<std::size_t> rosterDriverOf(const std::vector<LeagueDriver>& roster, std::u16string_view name);

/// A name the roster nearly has: the roster driver and its spelling (name
/// or alias) that the name equals once both are folded.
struct NearMiss {
  std::size_t driver = 0;
  std::u16string spelling;
};

/// For a name the roster does not have, the first roster name or alias in
/// file order that it equals once both are folded (foldedName); none
/// otherwise.
std::optional<NearMiss> nearMissOf(const std::vector<LeagueDriver>& roster, std::u16string_view name);

/// The warning about a near miss in the round numbered `round` (1 for the
/// first) read from `replay`, without the "Warning: " printed before it.
std::string nearMissWarning(std::size_t round, std::string_view replay, std::u16string_view name,
                            std::u16string_view spelling);

/// The roster names and aliases, in file order, that none of `names` (the
/// drivers of every round) is: an alias no round holds (a typo, likely), a
/// name when neither it nor any of its aliases is held.
std::vector<std::u16string> unusedRosterNames(const std::vector<LeagueDriver>& roster,
                                              std::span<const std::u16string> names);

/// The warning about a roster name or alias that no round has, without the
/// "Warning: " printed before it.
std::string unusedRosterWarning(std::u16string_view name);

/// The row of the round's race classification whose driver `penalty` names,
/// directly or through the roster; `drivers` are the rows' drivers as the
/// replay names them. A driver in no row or in two ends the run as a bad
/// league file.
std::size_t penaltyRow(const League& league, const LeaguePenalty& penalty, std::span<const std::u16string> drivers);

}  // namespace marvolt
