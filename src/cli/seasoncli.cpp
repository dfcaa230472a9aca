#include "season/seasoncli.hpp"

#include <charconv>
#include <optional>

#include <fmt/format.h>

#include "frontend/console.hpp"
#include "frontend/error.hpp"
#include "frontend/files.hpp"
#include "season/rounds.hpp"
#include "season/seasonhtml.hpp"
#include "season/seasonjson.hpp"
#include "season/seasontxt.hpp"

namespace marvolt {

namespace {

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

// The value after `option` (which ends in "=") when `arg` begins with it.
std::optional<std::string_view> valueOf(const std::string& arg, std::string_view option) {
  if (arg.compare(0, option.size(), option) != 0) return std::nullopt;
  return std::string_view(arg).substr(option.size());
}

// Reads one of the valued options into `cl`; false when `arg` is none of
// them, or its value is malformed (then `cl` is marked invalid).
bool readValuedOption(const std::string& arg, SeasonCommandLine& cl) {
  bool valid = true;
  if (const auto list = valueOf(arg, "--points=")) {
    const auto points = parseCounts(*list);
    if (points) cl.scoring.points = *points;
    valid = points.has_value();
  } else if (const auto bonus = valueOf(arg, "--fastest-lap=")) {
    const auto value = parseCount(*bonus);
    if (value) cl.scoring.fastestLap = *value;
    valid = value.has_value();
  } else if (const auto best = valueOf(arg, "--best=")) {
    const auto value = parseCount(*best);
    if (value && *value > 0) cl.scoring.best = *value;
    valid = value && *value > 0;
  } else {
    return false;
  }
  if (!valid) {
    cl.action = SeasonCommandLine::Action::Invalid;
    cl.invalidArg = arg;
  }
  return true;
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
    throw ExitError(1, path + ": " + e.message());
  }
}

// Settles what the options say together: --site writes every format of its
// own into its directory, so it takes no output file and no format. An
// empty directory is no directory.
void settleSite(const PendingPath& site, const PendingPath& output, const std::string& format,
                SeasonCommandLine& cl) {
  if (site.state == PendingPath::State::NotGiven) return;
  cl.site = site.value;
  if (site.value.empty()) {
    cl.conflict = "--site needs the directory to write the site into";
  } else if (output.state != PendingPath::State::NotGiven) {
    cl.conflict = "--site cannot be combined with -o: the site's files go into its directory";
  } else if (!format.empty()) {
    cl.conflict = "--site cannot be combined with " + format + ": the site holds its pages and their JSON data";
  }
  if (!cl.conflict.empty()) cl.action = SeasonCommandLine::Action::Invalid;
}

// Writes the site of the rounds into the directory of --site: every round is
// read before the directory is made or anything is written.
void runSite(const SeasonCommandLine& cl, const LoadOptions& options) {
  if (pathExists(cl.site) && !isDirectory(cl.site)) {
    err(1, "cannot write the site into %s: it is not a directory", cl.site);
  }
  std::vector<SiteRound> rounds = readRounds(cl, options, readSiteRound);
  std::vector<Round> scored;
  scored.reserve(rounds.size());
  for (const SiteRound& round : rounds) scored.push_back(round.round);
  const Standings standings = computeStandings(scored, cl.scoring);
  writeSite(cl.site, rounds, standings, cl.scoring);
}

}  // namespace

SeasonCommandLine parseSeasonCommandLine(const std::vector<std::string>& args) {
  SeasonCommandLine cl;
  PendingPath carset;
  PendingPath output;
  PendingPath site;
  std::string format;   // the last format option given
  for (const std::string& arg : args) {
    if (arg == "-o") {
      output.await();
    } else if (arg == "--site") {
      site.await();
    } else if (arg == "--cst") {
      carset.await();
    } else if (arg == "--help") {
      cl.action = SeasonCommandLine::Action::Help;
      return cl;
    } else if (arg == "--force") {
      cl.force = true;
    } else if (arg == "--version") {
      cl.action = SeasonCommandLine::Action::Version;
      return cl;
    } else if (arg == "--cst-auto") {
      cl.carsetAuto = true;
    } else if (arg == "--format=txt") {
      cl.format = SeasonFormat::TXT;
      format = arg;
    } else if (arg == "--format=json") {
      cl.format = SeasonFormat::JSON;
      format = arg;
    } else if (arg == "--format=html") {
      cl.format = SeasonFormat::HTML;
      format = arg;
    } else if (readValuedOption(arg, cl)) {
      if (cl.action == SeasonCommandLine::Action::Invalid) return cl;
    } else if (carset.awaiting()) {
      carset.give(arg);
    } else if (output.awaiting()) {
      output.give(arg);
    } else if (site.awaiting()) {
      site.give(arg);
    } else if (!arg.empty() && arg[0] == '-') {
      cl.action = SeasonCommandLine::Action::Invalid;
      cl.invalidArg = arg;
      return cl;
    } else {
      // An empty argument is taken as a replay path; it then fails the existence test.
      cl.replays.push_back(arg);
    }
  }
  cl.carset = carset.value;
  cl.output = output.value;
  settleSite(site, output, format, cl);
  return cl;
}

void printSeasonHelp(std::string_view program) {
  cout.writeln(fmt::format(
      "\n"
      "Usage: {} [OPTION]... REPLAY...\n"
      "Make championship standings from race replays (.rpy), one round each\n"
      "\n"
      "  --points=LIST    points by classified position (default 9,6,4,3,2,1)\n"
      "  --fastest-lap=N  bonus points for the driver of a race's fastest lap (default 0)\n"
      "  --best=N         count only the N best round scores (default all)\n"
      "  --cst <file>     use GEM+ carset (.cst) file for team names\n"
      "  --cst-auto       try to detect and find the correct carset file\n"
      "  -o <output>      output file (UTF-8 encoded)\n"
      "  --force          overwrite existing file\n"
      "  --format=txt     output format: text (default)\n"
      "  --format=json    output format: JSON document (schema marvolt-season/1)\n"
      "  --format=html    output format: self-contained HTML page with a points chart\n"
      "  --site <dir>     write a website into <dir>; its own files are replaced without asking\n"
      "  --help           display this text and exit\n"
      "  --version        output version information and exit\n",
      program));
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

std::string seasonReport(const Standings& standings, SeasonFormat format) {
  switch (format) {
    case SeasonFormat::JSON: return seasonJSON(standings);
    case SeasonFormat::HTML: return seasonHTML(standings);
    case SeasonFormat::TXT: break;
  }
  return seasonTXT(standings);
}

int runSeason(const std::string& program, const std::vector<std::string>& args) {
  if (args.empty()) {
    printSeasonHelp(program);
    return 3;
  }
  const SeasonCommandLine cl = parseSeasonCommandLine(args);
  if (!cl.conflict.empty()) {
    cerr.writeln(cl.conflict);
    printSeasonHelp(program);
    return -1;
  }
  if (const std::optional<int> status = answerWithoutRun(cl.action, cl.invalidArg, program, printSeasonHelp)) {
    return *status;
  }
  checkInputs(cl.replays, cl.carset);
  if (!mayReplaceOutput(cl.output, cl.force)) return 4;
  // A carset that cannot be parsed fails once, before any round, as in marvolt.
  const LoadOptions options = carsetSettings(cl.carset, cl.carsetAuto, true);
  if (!cl.site.empty()) {
    runSite(cl, options);
    return 0;
  }

  const std::string report =
      seasonReport(computeStandings(readRounds(cl, options, readRound), cl.scoring), cl.format);
  writeOutput(cl.output, report);
  return 0;
}

}  // namespace marvolt
