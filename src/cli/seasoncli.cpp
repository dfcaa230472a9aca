#include "cli/seasoncli.hpp"

#include <charconv>
#include <optional>

#include <fmt/format.h>

#include "cli/program.hpp"
#include "frontend/console.hpp"
#include "frontend/error.hpp"
#include "frontend/files.hpp"
#include "frontend/output.hpp"
#include "frontend/telvo.hpp"
#include "model/loading.hpp"
#include "season/league.hpp"
#include "season/rounds.hpp"
#include "season/seasonhtml.hpp"
#include "season/seasonjson.hpp"
#include "season/seasontxt.hpp"

namespace marvolt {

namespace {

constexpr Option kOptions[] = {
    {OptionKey::League, "--league", Argument::Path, "<file>",
     "read the rounds, scoring and decisions from a league file (TOML)"},
    {OptionKey::Points, "--points=", Argument::Value, "LIST", "points by classified position (default 9,6,4,3,2,1)"},
    {OptionKey::FastestLap, "--fastest-lap=", Argument::Value, "N",
     "bonus points for the driver of a race's fastest lap (default 0)"},
    {OptionKey::Best, "--best=", Argument::Value, "N", "count only the N best round scores (default all)"},
    {OptionKey::Carset, "--cst", Argument::Path, "<file>", "use GEM+ carset (.cst) file for team names"},
    kCarsetAutoOption,
    kOutputOption,
    kForceOption,
    kFormatTxtOption,
    {OptionKey::FormatJson, "--format=json", Argument::None, "",
     "output format: JSON document (schema marvolt-season/1)"},
    {OptionKey::FormatHtml, "--format=html", Argument::None, "",
     "output format: self-contained HTML page with a points chart"},
    {OptionKey::Site, "--site", Argument::Path, "<dir>",
     "write a website into <dir>; its own files are replaced without asking"},
    kHelpOption,
    kVersionOption,
};

// A whole number of decimal digits that fits 32 bits; none for anything else.
std::optional<std::uint32_t> parseCount(std::string_view text) {
  std::uint32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

// A comma-separated list of counts, at least one; none when any is malformed.
std::optional<std::vector<std::uint32_t>> parseCounts(std::string_view text) {
  std::vector<std::uint32_t> values;
  for (;;) {
    const auto comma = text.find(',');
    const std::optional<std::uint32_t> value = parseCount(text.substr(0, comma));
    if (!value) return std::nullopt;
    values.push_back(*value);
    if (comma == std::string_view::npos) return values;
    text.remove_prefix(comma + 1);
  }
}

// Takes a valued option's value into `choices`; false when it is malformed.
bool readScoring(OptionKey key, std::string_view value, ScoringChoices& choices) {
  Scoring& scoring = choices.scoring;
  if (key == OptionKey::Points) {
    const auto points = parseCounts(value);
    if (points) scoring.points = *points;
    choices.points = true;
    return points.has_value();
  }
  const auto count = parseCount(value);
  if (key == OptionKey::FastestLap && count) scoring.fastestLap = *count;
  if (key == OptionKey::Best && count && *count > 0) scoring.best = *count;
  (key == OptionKey::Best ? choices.best : choices.fastestLap) = true;
  return count && (key != OptionKey::Best || *count > 0);
}

// Loads every round in order with `read`; the first that fails ends the run.
template <typename RoundType>
std::vector<RoundType> readRounds(const SeasonCommandLine& cl, const LoadOptions& options,
                                  RoundType (*read)(const std::string&, const LoadOptions&)) {
  std::vector<RoundType> rounds;
  rounds.reserve(cl.replays.size());
  for (const std::string& replay : cl.replays) rounds.push_back(read(replay, options));
  return rounds;
}

// Runs `read` on the replay `path`: a failure becomes a fatal error naming the file.
template <typename Read>
auto namingFailures(const std::string& path, Read read) {
  try {
    return read();
  } catch (const ExitError& e) {
    throw ExitError(e.status(), path + ": " + e.message());
  } catch (const Error& e) {
    throw ExitError(ExitStatus::Failure, path + ": " + e.message());
  }
}

// Settles what the options say together: --site writes every format of its
// own into its directory, so it takes no output file and no format. An
// empty directory is no directory. `format` is the last format option given.
void settleSite(std::string_view format, SeasonCommandLine& cl) {
  const PendingPath& site = cl.parsed.path(OptionKey::Site);
  if (site.state == PendingPath::State::NotGiven) return;
  cl.site = site.value;
  if (site.value.empty()) {
    cl.parsed.refuse("--site needs the directory to write the site into");
  } else if (cl.parsed.path(OptionKey::Output).state != PendingPath::State::NotGiven) {
    cl.parsed.refuse("--site cannot be combined with -o: the site's files go into its directory");
  } else if (!format.empty()) {
    cl.parsed.refuse(fmt::format("--site cannot be combined with {}: the site holds its pages and their JSON data",
                                 format));
  }
}

// Settles --league: the league file names the rounds, so it takes no
// replays; an empty path is no file.
void settleLeague(SeasonCommandLine& cl) {
  const PendingPath& league = cl.parsed.path(OptionKey::League);
  if (league.state == PendingPath::State::NotGiven) return;
  cl.league = league.value;
  if (league.value.empty()) {
    cl.parsed.refuse("--league needs the league file to read");
  } else if (!cl.replays.empty()) {
    cl.parsed.refuse("--league cannot be combined with replays: the league file names the rounds");
  }
}

// Reads the league file of --league and takes its rounds, scoring and
// carset into the run; the command line's scoring and carset options come
// first. The league file is an input: never written over.
League takeLeague(SeasonCommandLine& cl) {
  League league = readLeague(cl.league);
  protectInput(cl.league, "league");
  if (league.rounds.empty()) err(ExitStatus::Failure, "%s: the league file names no rounds", cl.league);
  for (const LeagueRound& round : league.rounds) cl.replays.push_back(round.replay);
  cl.scoring.scoring = leagueScoring(league, cl.scoring);
  if (cl.parsed.path(OptionKey::Carset).state == PendingPath::State::NotGiven && !cl.carsetAuto) {
    cl.carset = league.carset.value_or("");
    cl.carsetAuto = league.carsetAuto;
  }
  return league;
}

// The standings of the rounds read, under the league when there is one;
// its warnings go to standard error.
Standings standingsOf(std::vector<Round> rounds, const SeasonCommandLine& cl, const std::optional<League>& league) {
  if (!league) return computeStandings(rounds, cl.scoring.scoring);
  for (const std::string& warning : applyLeague(*league, rounds)) cerr.writefln("Warning: %s", warning);
  return computeStandings(rounds, cl.scoring.scoring, leagueTitle(*league));
}

// Writes the site of the rounds into the directory of --site: every round is
// read before the directory is made or anything is written.
void runSite(const SeasonCommandLine& cl, const LoadOptions& options, const std::optional<League>& league) {
  if (pathExists(cl.site) && !isDirectory(cl.site)) {
    err(ExitStatus::Failure, "cannot write the site into %s: it is not a directory", cl.site);
  }
  std::vector<SiteRound> rounds = readRounds(cl, options, readSiteRound);
  std::vector<Round> scored;
  scored.reserve(rounds.size());
  for (const SiteRound& round : rounds) scored.push_back(round.round);
  const Standings standings = standingsOf(std::move(scored), cl, league);
  writeSite(cl.site, rounds, standings, cl.scoring.scoring);
}

}  // namespace

const CommandSyntax kSeasonSyntax{"... REPLAY...",
                                  "Make championship standings from race replays (.rpy), one round each", kOptions,
                                  "... --league FILE"};

SeasonCommandLine parseSeasonCommandLine(const std::vector<std::string>& args) {
  SeasonCommandLine cl;
  std::string_view format;   // the last format option given
  cl.parsed = parseArguments(kSeasonSyntax, args, [&cl, &format](OptionKey key, std::string_view value) {
    switch (key) {
      case OptionKey::Force: cl.force = true; break;
      case OptionKey::CarsetAuto: cl.carsetAuto = true; break;
      case OptionKey::FormatTxt: cl.format = SeasonFormat::TXT; format = "--format=txt"; break;
      case OptionKey::FormatJson: cl.format = SeasonFormat::JSON; format = "--format=json"; break;
      case OptionKey::FormatHtml: cl.format = SeasonFormat::HTML; format = "--format=html"; break;
      default: return readScoring(key, value, cl.scoring);
    }
    return true;
  });
  cl.replays = cl.parsed.operands;
  cl.carset = cl.parsed.path(OptionKey::Carset).value;
  cl.output = cl.parsed.path(OptionKey::Output).value;
  if (cl.parsed.action == CommandAction::Run) settleSite(format, cl);
  if (cl.parsed.action == CommandAction::Run) settleLeague(cl);
  return cl;
}

Round readRound(const std::string& path, const LoadOptions& options) {
  return namingFailures(path, [&] {
    const LoadedReplay replay = loadReplay(path, options);
    return roundOf(*replay.data, path);
  });
}

SiteRound readSiteRound(const std::string& path, const LoadOptions& options) {
  return namingFailures(path, [&] {
    const LoadedReplay replay = loadReplay(path, options);
    SiteRound round{siteModel(*replay.data), {}};
    round.round = roundOf(round.model, path);
    return round;
  });
}

void seasonReport(OutputSink& sink, const Standings& standings, SeasonFormat format) {
  switch (format) {
    case SeasonFormat::JSON: return seasonJSON(sink, standings);
    case SeasonFormat::HTML: return seasonHTML(sink, standings);
    case SeasonFormat::TXT: break;
  }
  seasonTXT(sink, standings);
}

ExitStatus runSeason(const std::string& program, const std::vector<std::string>& args) {
  SeasonCommandLine cl = parseSeasonCommandLine(args);
  if (const std::optional<ExitStatus> status = answerWithoutRun(kSeasonSyntax, program, args, cl.parsed)) {
    return *status;
  }
  std::optional<League> league;
  if (!cl.league.empty()) league = takeLeague(cl);
  checkInputs(cl.replays, cl.carset);
  if (!mayReplaceOutput(cl.output, cl.force)) return ExitStatus::Declined;
  // A carset that cannot be parsed fails once, before any round, as in marvolt.
  const LoadOptions options = carsetSettings(cl.carset, cl.carsetAuto, true);
  if (!cl.site.empty()) {
    runSite(cl, options, league);
    return ExitStatus::Success;
  }

  const Standings standings = standingsOf(readRounds(cl, options, readRound), cl, league);
  writeOutput(cl.output, [&](OutputSink& sink) { seasonReport(sink, standings, cl.format); });
  return ExitStatus::Success;
}

}  // namespace marvolt
