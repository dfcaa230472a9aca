// The command line of marvolt-season: reads the options and the replays of
// a season, reads every round, and writes the standings in the chosen format.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/options.hpp"
#include "frontend/error.hpp"
#include "frontend/sink.hpp"
#include "model/data.hpp"
#include "season/leaguerounds.hpp"
#include "season/site.hpp"
#include "season/standings.hpp"

namespace marvolt {

/// The formats of the standings.
enum class SeasonFormat { TXT, JSON, HTML };

/// What one reading of the season command line asks for.
struct SeasonCommandLine {
  ParsedArguments parsed;             ///< the action, and the complaint of an invalid one
  std::vector<std::string> replays;   ///< one round each, in order
  std::string carset;
  bool carsetAuto = false;
  std::string output;
  bool force = false;
  SeasonFormat format = SeasonFormat::TXT;
  ScoringChoices scoring;
  std::string site;     ///< the site's directory; empty: no site
  std::string league;   ///< the league file; empty: the rounds are the replays given
};

/// The options of marvolt-season, in the order of its usage.
extern const CommandSyntax kSeasonSyntax;

/// Reads the arguments (without the program name); stops at "--help",
/// "--version" or an invalid option; options that cannot go together make
/// the reading invalid.
SeasonCommandLine parseSeasonCommandLine(const std::vector<std::string>& args);

/// Reads the replay `path` as a round; a failure becomes a fatal error naming the file.
Round readRound(const std::string& path, const LoadOptions& options);

/// Reads the replay `path` as a round of the site, with the model of its
/// pages; a failure becomes a fatal error naming the file.
SiteRound readSiteRound(const std::string& path, const LoadOptions& options);

/// Writes the standings in `format` into `sink`.
void seasonReport(OutputSink& sink, const Standings& standings, SeasonFormat format);

/// Runs marvolt-season, started as `program`, on the arguments after the
/// program name; returns the exit status.
ExitStatus runSeason(const std::string& program, const std::vector<std::string>& args);

}  // namespace marvolt
