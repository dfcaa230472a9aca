// A league's rounds: the rounds read from the replays its file names, made
// what the league decides they are. Its roster names the drivers (and may
// give them their teams), its stewards' decisions turn each race
// classification into the official one, and its rounds carry their event's
// name, date and points factor.
#pragma once

#include <string>
#include <vector>

#include "season/league.hpp"
#include "season/standings.hpp"

namespace marvolt {

/// Applies the league to its rounds, read in its file order: the drivers'
/// season names and teams, the official classification, the decisions as
/// the outputs show them, the event's name, date and factor. Returns the
/// warnings (without "Warning: "): one per round and name the roster nearly
/// has, then one per roster name or alias that no round holds. A decision
/// on a driver the round does not hold once ends the run as a bad league file.
std::vector<std::string> applyLeague(const League& league, std::vector<Round>& rounds);

/// The scoring of a league: the file's values where `given` (the command
/// line's scoring) did not set them.
struct ScoringChoices {
  Scoring scoring;           ///< the command line's values, else the defaults
  bool points = false;       ///< set on the command line
  bool fastestLap = false;
  bool best = false;
};

/// The file's scoring under the command line's choices.
Scoring leagueScoring(const League& league, const ScoringChoices& given);

/// The league's name and season for the outputs.
LeagueTitle leagueTitle(const League& league);

}  // namespace marvolt
