// Every input a fuzzer found a fault with, kept in fuzz/regressions/<target>/,
// run again the way its fuzz target runs it, and through a run of marvolt.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "frontend/error.hpp"
#include "model/data.hpp"
#include "model/ini.hpp"
#include "pipeline.hpp"
#include "season/league.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace {

using namespace testsupport;

std::vector<std::string> regressions(const std::string& target) {
  std::vector<std::string> paths;
  const std::filesystem::path dir = std::filesystem::path(MARVOLT_SOURCE_DIR) / "fuzz" / "regressions" / target;
  if (!std::filesystem::is_directory(dir)) return paths;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) paths.push_back(entry.path().string());
  return paths;
}

// Replays answer with a report or a replay error; league files are read or
// refused with their message; INI texts parse or fail
// with the reader's error. A carset the loading
// cannot parse ends the run through the fatal exit with its message as it
// is, digits and "%" included, and status 2.
TEST(FuzzRegressions, EveryKeptInputAgain) {
  for (const std::string& path : regressions("replay")) hostile::expectClearAnswer(hostile::runPipeline(path), path, path);
  // INI texts give a tree, or the reader's own error with its message; any
  // other failure escapes and fails the test.
  for (const std::string& path : regressions("ini")) {
    for (const bool lookups : {false, true}) {
      try {
        marvolt::IniSection::ParseString(readFile(path), lookups);
      } catch (const marvolt::IniException& e) {
        EXPECT_FALSE(e.message().empty()) << path;
      }
    }
  }
  // League files are read or refused with a message naming their line.
  for (const std::string& path : regressions("league")) {
    const std::string error = errorOf([&] { marvolt::parseLeague(readFile(path), "league.toml"); });
    EXPECT_TRUE(error.empty() || error.starts_with("league.toml:")) << path << ": " << error;
  }
  const std::vector<std::string> carsets = regressions("carset");
  EXPECT_FALSE(carsets.empty());
  ReplayBuilder b;
  b.addSlot(kRace, 2, 604800.0f);
  for (const std::string& path : carsets) {
    marvolt::IniSection tree("root");
    const std::string error = marvolt::parseIni(tree, path);
    const RunResult r = runReplay(b, {"--cst", path});
    EXPECT_EQ(r.status, error.empty() ? 0 : 2) << path;
    EXPECT_EQ(r.err, error.empty() ? "" : "Error: " + error + "\n") << path;
  }
}

}  // namespace
