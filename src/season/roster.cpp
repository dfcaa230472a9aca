#include "season/roster.hpp"

#include <algorithm>
#include <set>

#include <fmt/format.h>

#include "frontend/telvo.hpp"
#include "season/slug.hpp"

namespace marvolt {

namespace {

// Whether `name` is the driver's name or one of its aliases.
bool isNameOf(const LeagueDriver& driver, std::u16string_view name) {
  return driver.name == name || std::find(driver.aliases.begin(), driver.aliases.end(), name) != driver.aliases.end();
}

// Whether the row's driver is the one a penalty names: the same roster
// driver, or, off the roster, the same name.
bool isPenalised(const std::vector<LeagueDriver>& roster, std::optional<std::size_t> named,
                 std::u16string_view written, std::u16string_view row) {
  return named ? rosterDriverOf(roster, row) == named : row == written;
}

}  // namespace

std::optional<std::size_t> rosterDriverOf(const std::vector<LeagueDriver>& roster, std::u16string_view name) {
  for (std::size_t d = 0; d < roster.size(); ++d) {
    if (isNameOf(roster[d], name)) return d;
  }
  return std::nullopt;
}

std::optional<NearMiss> nearMissOf(const std::vector<LeagueDriver>& roster, std::u16string_view name) {
  if (rosterDriverOf(roster, name)) return std::nullopt;
  const std::u16string folded = foldedName(name);
  for (std::size_t d = 0; d < roster.size(); ++d) {
    if (foldedName(roster[d].name) == folded) return NearMiss{d, roster[d].name};
    for (const std::u16string& alias : roster[d].aliases) {
      if (foldedName(alias) == folded) return NearMiss{d, alias};
    }
  }
  return std::nullopt;
}

std::string nearMissWarning(std::size_t round, std::string_view replay, std::u16string_view name,
                            std::u16string_view spelling) {
  return fmt::format("round {} ({}): driver \"{}\" is not in the league file; \"{}\" is", round, replay,
                     toUtf8(name), toUtf8(spelling));
}

std::vector<std::u16string> unusedRosterNames(const std::vector<LeagueDriver>& roster,
                                              std::span<const std::u16string> names) {
  const std::set<std::u16string_view> held(names.begin(), names.end());
  std::vector<std::u16string> unused;
  for (const LeagueDriver& driver : roster) {
    // The name is the one the outputs show: in use when any alias is.
    const bool aliasHeld = std::any_of(driver.aliases.begin(), driver.aliases.end(),
                                       [&held](const std::u16string& alias) { return held.contains(alias); });
    if (!held.contains(driver.name) && !aliasHeld) unused.push_back(driver.name);
    for (const std::u16string& alias : driver.aliases) {
      if (!held.contains(alias)) unused.push_back(alias);
    }
  }
  return unused;
}

std::string unusedRosterWarning(std::u16string_view name) {
  return fmt::format("driver \"{}\" of the league file is in no round", toUtf8(name));
}

std::size_t penaltyRow(const League& league, const LeaguePenalty& penalty, std::span<const std::u16string> drivers) {
  const std::optional<std::size_t> named = rosterDriverOf(league.drivers, penalty.driver);
  std::optional<std::size_t> found;
  for (std::size_t row = 0; row < drivers.size(); ++row) {
    if (!isPenalised(league.drivers, named, penalty.driver, drivers[row])) continue;
    if (found) {
      failLeague(league.file, penalty.source,
                 fmt::format("driver \"{}\" is in the race classification of round {} twice",
                             toUtf8(penalty.driver), penalty.round));
    }
    found = row;
  }
  if (!found) {
    failLeague(league.file, penalty.source,
               fmt::format("driver \"{}\" is not in the race classification of round {}", toUtf8(penalty.driver),
                           penalty.round));
  }
  return *found;
}

}  // namespace marvolt
