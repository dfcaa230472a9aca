// A season for marvolt-season made from arbitrary bytes, and its run in
// every format and as a site with the checks every such run must pass. The
// season fuzz target runs it on the fuzzer's inputs, the tests on the inputs
// kept from it. Any byte string makes a few small well-formed replays and
// the options that score them, so that the bytes reach the standings, the
// pages and the site rather than stop at the replay reader's checks (the
// replay fuzz target tries those).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "support/replay_builder.hpp"

namespace testsupport {

/// The files and arguments of one season. The runs take place in the
/// folder the files are written to, so an option names a file as it is
/// named here: a league file, say, is one more file and one more option.
struct SeasonInput {
  /// Written into the run's folder by name before the runs: the rounds'
  /// replays (and any other file an option names).
  std::vector<std::pair<std::string, Bytes>> files;
  /// The options before the rounds: the scoring.
  std::vector<std::string> options;
  /// The rounds, one replay name each, in order.
  std::vector<std::string> rounds;
};

/// The season `bytes` make: 1 to 4 rounds of up to 6 cars, drivers of a
/// small cast that meet again from round to round or of names taken from
/// the bytes, lap lists that may pass the lap word's 24-bit clock, and a
/// points scale, fastest-lap bonus and best-rounds count, each optional.
SeasonInput seasonFromBytes(std::span<const std::uint8_t> bytes);

/// Runs marvolt-season in this process on `season`, in the empty folder
/// `dir`, as text, JSON, HTML and a site; returns what went wrong: runs that
/// disagree on the outcome, a JSON document that does not parse, a page
/// that is not well-formed XML, a site's season.json other than the JSON
/// standings. Empty when all is well; an exception other than the
/// program's own errors passes through.
std::vector<std::string> runSeasonEveryWay(const std::string& dir, const SeasonInput& season);

}  // namespace testsupport
