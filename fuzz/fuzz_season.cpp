// Fuzz target: a season made from the input (a few small replays and the
// options that score them, tests/support/season_input), run through
// marvolt-season in this process as text, JSON, HTML and a site in a
// temporary folder. Runs that end differently, a JSON document that does
// not parse, a page that is not well-formed XML, a site whose season.json
// is not the JSON standings, a sanitizer report or an exception other than
// the program's own errors is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/harness.hpp"
#include "support/season_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One folder for the whole fuzzing run, emptied after every input.
  static const testsupport::TempDir dir;
  const std::vector<std::string> problems =
      testsupport::runSeasonEveryWay(dir.path(), testsupport::seasonFromBytes({data, size}));
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) std::filesystem::remove_all(entry.path());
  if (problems.empty()) return 0;
  for (const std::string& problem : problems) std::fprintf(stderr, "%s\n", problem.c_str());
  std::abort();
}
