// marvolt-season run in the test process: command line and statuses,
// failing rounds, the text and JSON standings, and the safety of the output file.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "season/season_races.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace {

using seasonraces::Car, seasonraces::race, seasonraces::writeSeason;
using testsupport::RunOptions, testsupport::RunResult, testsupport::TempDir;

// The usage text as users see it, kept under tests/data.
const std::string kUsage = testsupport::readFile(MARVOLT_SOURCE_DIR "/tests/data/marvolt-season-usage.txt");

RunResult season(const TempDir& dir, const std::vector<std::string>& args, const RunOptions& options = {}) {
  return testsupport::runProgramIn(testsupport::Program::Season, dir, args, options);
}

using Answer = std::tuple<int, std::string, std::string>;
Answer answer(const RunResult& r) { return {r.status, r.out, r.err}; }

TEST(SeasonCommandLine, UsageVersionStatusesAndInvalidValues) {
  TempDir dir;
  writeSeason(dir);
  testsupport::ReplayBuilder practiceOnly;
  practiceOnly.addSlot(testsupport::kPractice, 10, 604800.0f);
  testsupport::writeFile(dir.file("practice.rpy"), practiceOnly.build());
  testsupport::writeText(dir.file("bad%s.cst"), "garbage line\n");
  EXPECT_EQ(answer(season(dir, {})), Answer(3, kUsage, ""));
  EXPECT_EQ(answer(season(dir, {"missing.rpy", "--version", "--bogus"})),
            Answer(0, "marvolt-season v0.6.2\n\nWritten by the marvolt developers.\n", ""));
  for (const std::string bad : {"--points=", "--points=9,,6", "--points=9,6,", "--points=9,-6", "--points=x",
                                "--points", "--fastest-lap=", "--fastest-lap=-1", "--fastest-lap=1.5", "--best=0",
                                "--best=4294967296", "--best= 2", "--format=semikv", "-osame", "--laps", "-x"}) {
    EXPECT_EQ(answer(season(dir, {"r1.rpy", bad, "--help"})), Answer(255, kUsage, "invalid option '" + bad + "'\n"));
  }
  const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
      {{"--best=2"}, 1, "Error: need replay file as parameter\n"},
      {{"r1.rpy", "missing.rpy", "r2.rpy"}, 1, "Error: cannot read missing.rpy: no such file\n"},
      // Once, before any round; the path is no format.
      {{"--cst", "bad%s.cst", "r1.rpy", "r2.rpy"}, 2, "Error: bad%s.cst: Syntax error at line 1\n"},
      {{"r1.rpy", "practice.rpy"}, 1, "Error: practice.rpy: the replay holds no race session\n"},
  };
  for (const auto& [args, status, err] : cases) EXPECT_EQ(answer(season(dir, args)), Answer(status, "", err));
}

TEST(SeasonCommandLine, DamagedRoundAmongGoodOnesWritesNothing) {
  TempDir dir;
  writeSeason(dir);
  const std::string good = testsupport::readFile(dir.file("r2.rpy"));
  testsupport::writeText(dir.file("cut.rpy"), good.substr(0, good.size() / 2));
  const RunResult cut = season(dir, {"-o", "out.txt", "r1.rpy", "cut.rpy", "r3.rpy"});
  EXPECT_EQ(answer(cut), Answer(1, "", "Error: cut.rpy: Bad file length (" + std::to_string(good.size()) + " != " +
                                           std::to_string(good.size() / 2) + ") reading file cut.rpy\n"));
  EXPECT_EQ(cut.files.count("out.txt"), 0u);
}

TEST(SeasonStandings, TextTablesWithDroppedScoresBonusAndTeams) {
  TempDir dir;
  writeSeason(dir);
  const RunResult r = season(dir, {"--best=2", "--fastest-lap=1", "--format=json", "--format=txt", "r1.rpy",
                                   "r2.rpy", "r3.rpy"});
  EXPECT_EQ(answer(r), Answer(0,
                              "Drivers' Championship\n"
                              "\n"
                              "Pos Driver        1 MON  2 SPA  3 NUR  Points\n"
                              " 1. Jack Brabham      2    (3)      1      16\n"
                              " 2. Jim Clark         1             2      15\n"
                              " 3. Denny Hulme              1      4      14\n"
                              " 4. Graham Hill       3      2   (5R)      10\n"
                              " 5. Chris Amon        4             3       7\n"
                              "\n"
                              "Teams' Championship\n"
                              "\n"
                              "Pos Team                         1 MON  2 SPA  3 NUR  Points\n"
                              " 1. Brabham Racing Organisation    (2)      1      1      18\n"
                              " 2. Team Lotus                       1      2    (2)      15\n"
                              " 3. Scuderia Ferrari SpA SEFAC       4             3       7\n"
                              "\n",
                              ""));
}

}  // namespace

TEST(SeasonStandings, JsonDocumentWithCarsetTeamNames) {
  TempDir dir;
  const Car clark{"Jim", "Clark", 5}, hill{"Graham", "Hill", 5}, hulme{"Denny", "Hulme", 0};
  testsupport::writeFile(dir.file("a.rpy"), race("monza", {clark, hill}, 1));
  testsupport::writeFile(dir.file("b.rpy"), race("spa", {hulme, {"Graham", "Hill", 5, true}}));
  testsupport::writeText(dir.file("teams.cst"), "[Carset]\nCarDir = gpl67\n[Car5]\nTeam = Lotus \xC9quipe\n");
  const RunResult r =
      season(dir, {"--format=json", "--fastest-lap=2", "--best=1", "--cst", "teams.cst", "a.rpy", "b.rpy"});
  // Statistics, pole and fastest lap with or without a league.
  const std::string stats = R"("starts":1,"podiums":1,"poles":0,"fastest_laps":1,"laps_led":2,"retirements":0,)"
                            R"("best_finish":1,"points_deducted":0,)";
  const std::string json =
      R"({"schema":"marvolt-season/1","rounds":[{"round":1,"file":"a.rpy","track":"monza","winner":"Jim Clark",)"
      R"("pole":null,"fastest_lap":"Graham Hill"},{"round":2,"file":"b.rpy","track":"spa","winner":"Denny Hulme",)"
      R"("pole":null,"fastest_lap":"Denny Hulme"}],"drivers":[)"
      R"({"position":1,"driver":"Denny Hulme","points":11,"wins":1,)" + stats + R"("results":[null,)"
      R"({"round":2,"position":1,"points":11,"counted":true,"remark":""}]},)"
      R"({"position":2,"driver":"Jim Clark","points":9,"wins":1,"starts":1,"podiums":1,"poles":0,"fastest_laps":0,)"
      R"("laps_led":2,"retirements":0,"best_finish":1,"points_deducted":0,"results":[)"
      R"({"round":1,"position":1,"points":9,"counted":true,"remark":""},null]},)"
      R"({"position":3,"driver":"Graham Hill","points":8,"wins":0,"starts":2,"podiums":2,"poles":0,"fastest_laps":1,)"
      R"("laps_led":0,"retirements":1,"best_finish":2,"points_deducted":0,"results":[)"
      R"({"round":1,"position":2,"points":8,"counted":true,"remark":""},)"
      R"({"round":2,"position":2,"points":6,"counted":false,"remark":"DNF"}]}],"teams":[)"
      "{\"position\":1,\"team\":\"Lotus \xC3\x89quipe\",\"points\":9,\"wins\":1,"
      R"("starts":3,"podiums":3,"poles":0,"fastest_laps":1,"laps_led":2,"retirements":1,"best_finish":1,)"
      R"("points_deducted":0,"results":[)"
      R"({"round":1,"position":1,"points":9,"counted":true,"remark":""},)"
      R"({"round":2,"position":2,"points":6,"counted":false,"remark":"DNF"}]},)"
      R"({"position":2,"team":"Brabham Racing Organisation","points":9,"wins":1,)" + stats + R"("results":[null,)"
      R"({"round":2,"position":1,"points":9,"counted":true,"remark":""}]}]})"
      "\n";
  EXPECT_EQ(answer(r), Answer(0, json, ""));
}

// The output goes through the output module marvolt uses (tested there): a file is
// written, and an input is never replaced.
TEST(SeasonCommandLine, OutputFileWrittenAndInputsNeverOverwritten) {
  TempDir dir;
  writeSeason(dir);
  testsupport::writeText(dir.file("teams.cst"), "[Carset]\nCarDir = gpl67\n");
  const RunResult written = season(dir, {"--cst", "teams.cst", "-o", "new.txt", "r1.rpy"});
  EXPECT_EQ(answer(written), Answer(0, "", "Writing output to file " + dir.file("new.txt") + "\n"));
  EXPECT_EQ(written.files.at("new.txt"), season(dir, {"r1.rpy"}).out);
  EXPECT_EQ(answer(season(dir, {"--force", "--cst", "teams.cst", "-o", "teams.cst", "r1.rpy"})),
            Answer(1, "", "Output file teams.cst is the carset file teams.cst; it is not overwritten\n"));
  EXPECT_EQ(testsupport::readFile(dir.file("teams.cst")), "[Carset]\nCarDir = gpl67\n");
}
