// Several replays loaded in one process, each with its own carset: every
// model keeps what it was loaded with, whatever was loaded before or after.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/loading.hpp"
#include "model/data.hpp"
#include "replay/rpylib.hpp"
#include "reports/report.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace marvolt {
namespace {

using testsupport::TempDir;

// One replay and how it is loaded: on the command line, and as load options.
struct Round {
  std::string replay;
  std::vector<std::string> args;
  LoadOptions options;
};

// A replay of one race whose car of make 5 is named by the carset `carsetName`.
void writeReplay(const std::string& path, const std::string& carsetName, const std::string& driver) {
  testsupport::ReplayBuilder b;
  b.weekend.carset = carsetName;
  b.addSlot(testsupport::kRace, 2, 604800.0f);
  b.addDriver(9, 1, driver, "Racer", 5);
  b.addDriver(4, 2, "Other", "Racer", 2);
  b.sessions.push_back({testsupport::CarLapsRec::fromClocks(1, {10, 90010, 180020}),
                        testsupport::CarLapsRec::fromClocks(2, {20, 91000})});
  testsupport::writeFile(path, b.build());
}

std::string reportOf(RpyFile& file, const LoadOptions& options) {
  file.open();
  const std::unique_ptr<Data> data = Data::create(file, options);
  return Report(*data, Report::Format::SEMIKV).toString();
}

TEST(Loading, ReplaysWithTheirOwnCarsetsInOneProcess) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("cst"));
  testsupport::writeText(dir.file("named.cst"), "[Carset]\nCarDir = alpha\nYear = 1967\n[Car5]\nTeam = Named Team\n");
  testsupport::writeText(dir.file("cst/found.cst"), "[Carset]\nCarDir = Beta\n[Car5]\nTeam = Found Team\n");
  writeReplay(dir.file("a.rpy"), "alpha", "Ann");
  writeReplay(dir.file("b.rpy"), "beta", "Bob");
  writeReplay(dir.file("c.rpy"), "gamma", "Cy");
  const std::vector<Round> rounds = {
      {"a.rpy", {"--cst", "named.cst"}, {dir.file("named.cst"), false, {}}},
      {"b.rpy", {"--cst-auto"}, {"", true, {dir.file("cst")}}},
      {"c.rpy", {"--cst-auto"}, {"", true, {dir.file("cst")}}},   // no carset of its name
  };
  std::vector<std::string> separate;
  for (const Round& round : rounds) {
    std::vector<std::string> args = round.args;
    args.insert(args.end(), {"--format=semikv", round.replay});
    const testsupport::RunResult r = testsupport::runIn(dir, args);
    ASSERT_EQ(r.status, 0) << r.err;
    separate.push_back(r.out);
  }
  EXPECT_NE(separate[0].find("team=Named Team;"), std::string::npos);
  EXPECT_NE(separate[1].find("team=Found Team;"), std::string::npos);
  EXPECT_NE(separate[2].find("team=Team Lotus;"), std::string::npos);
  // Forwards and backwards, every file open at once: the same reports.
  for (const std::vector<std::size_t>& order : {std::vector<std::size_t>{0, 1, 2}, {2, 1, 0}}) {
    std::vector<std::unique_ptr<RpyFile>> files;
    std::vector<std::string> reports(rounds.size());
    for (const std::size_t i : order) {
      files.push_back(std::make_unique<RpyFile>(dir.file(rounds[i].replay)));
      reports[i] = reportOf(*files.back(), rounds[i].options);
    }
    EXPECT_EQ(reports, separate);
  }
}

// The loading of marvolt-season parses a named carset once: that parse serves
// every replay loaded with its settings.
TEST(Loading, OneCarsetParseServesEveryLoad) {
  TempDir dir;
  testsupport::writeText(dir.file("set.cst"), "[Carset]\nCarDir = alpha\n[Car5]\nTeam = Parsed Once\n");
  writeReplay(dir.file("a.rpy"), "alpha", "Ann");
  const LoadOptions options = carsetSettings(dir.file("set.cst"), false, true);
  ASSERT_TRUE(std::filesystem::remove(dir.file("set.cst")));   // only the parse is left
  EXPECT_EQ(teamByMake(loadReplay(dir.file("a.rpy"), options).data->carset.tree, 5), u"Parsed Once");
}

}  // namespace
}  // namespace marvolt
