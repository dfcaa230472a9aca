// What only a process of each program shows: the status the process really
// ends with, and a standard output that cannot be written (full or closed).
#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <string>

#include "season/season_races.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace {

using namespace testsupport;

// A run's exit status and standard error.
using Ended = std::pair<int, std::string>;
Ended ended(const RunResult& r) { return {r.status, r.err}; }

TEST(Process, MarvoltStatusesAndFailedWrites) {
  TempDir dir;
  ReplayBuilder b;
  b.addSlot(kRace, 2, 604800.0f);
  b.addDriver(7, 1, "Jim", "Clark", 5);
  b.sessions.push_back({CarLapsRec::fromClocks(1, {10, 90010, 180020})});
  writeFile(dir.file("race.rpy"), b.build());
  const auto marvolt = [&dir](const std::vector<std::string>& args, const RunOptions& options = {}) {
    return runProcessIn(Program::Marvolt, dir, args, options);
  };
  EXPECT_EQ(marvolt({"-x"}).status, 255);
  EXPECT_EQ(marvolt({}).status, 3);
  const RunOptions full{std::nullopt, "/dev/full", 0};
  // A short report passes the C stream's buffer, a page goes past it.
  for (const std::vector<std::string>& args : {std::vector<std::string>{"race.rpy"}, {"--format=html", "race.rpy"}}) {
    EXPECT_EQ(ended(marvolt(args, full)),
              Ended(1, "Cannot write the report to standard output (No space left on device)\n"));
  }
  EXPECT_EQ(ended(marvolt({"race.rpy"}, {std::nullopt, "", 0, true})),
            Ended(1, "Cannot write the report to standard output (Bad file descriptor)\n"));
  // The usage and version texts are console messages: they stay silent.
  EXPECT_EQ(marvolt({"--version"}, full).status, 0);
  EXPECT_EQ(marvolt({"--help"}, full).status, 0);
  // A device, or the program's own standard output (here a regular file),
  // holds nothing to lose: written as it is, without the question.
  EXPECT_EQ(ended(marvolt({"-o", "/dev/full", "race.rpy"})),
            Ended(1, "Writing output to file /dev/full\n/dev/full: No space left on device\n"));
  for (const std::string stream : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
    const RunResult toStdout = marvolt({"-o", stream, "race.rpy"});
    EXPECT_EQ(ended(toStdout), Ended(0, "Writing output to file " + stream + "\n"));
    EXPECT_EQ(toStdout.out, marvolt({"race.rpy"}).out);
  }
  // A write that fails half-way (here past a file-size limit) leaves the old
  // file as it was and no temporary file.
  writeText(dir.file("out.html"), "old report");
  const RunResult cut = marvolt({"--format=html", "--force", "-o", "out.html", "race.rpy"}, {{}, "", 1024});
  EXPECT_EQ(ended(cut), Ended(1, "Writing output to file " + dir.file("out.html") + "\nout.html: File too large\n"));
  EXPECT_EQ(cut.files, (std::map<std::string, std::string>{{"out.html", "old report"},
                                                           {"race.rpy", readFile(dir.file("race.rpy"))}}));
}

TEST(Process, SeasonStatusesAndAFullStandardOutput) {
  TempDir dir;
  seasonraces::writeSeason(dir);
  const auto season = [&dir](const std::vector<std::string>& args, const RunOptions& options = {}) {
    return runProcessIn(Program::Season, dir, args, options);
  };
  EXPECT_EQ(season({"--best=0", "r1.rpy"}).status, 255);
  EXPECT_EQ(season({}).status, 3);
  EXPECT_EQ(ended(season({"r1.rpy", "r2.rpy"}, {std::nullopt, "/dev/full", 0})),
            Ended(1, "Cannot write the report to standard output (No space left on device)\n"));
}

}  // namespace

namespace {

// A season of `rounds` rounds in `dir` (r1.rpy ...), for a site that takes a while.
std::vector<std::string> longSeason(const TempDir& dir, std::size_t rounds) {
  seasonraces::writeSeason(dir);
  std::vector<std::string> args{"--site", "site"};
  for (std::size_t r = 0; r < rounds; ++r) args.push_back("r" + std::to_string(r % 3 + 1) + ".rpy");
  return args;
}

}  // namespace

// An interrupt while a site's file is being written removes its temporary
// file, then ends the program as the signal would have; an ignored one
// stays ignored.
TEST(Process, AnInterruptLeavesNoTemporaryFile) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    TempDir dir;
    const RunOptions options{std::nullopt, "", 0, false, signal, 0, dir.file("site")};
    const RunResult r = runProcessIn(Program::Season, dir, longSeason(dir, 60), options);
    ASSERT_TRUE(r.interrupted) << signal;
    EXPECT_EQ(r.signal, signal);
    for (const auto& [name, text] : regularFiles(dir.file("site"))) EXPECT_FALSE(name.ends_with(".tmp")) << name;
  }
  TempDir dir;
  const RunOptions ignored{std::nullopt, "", 0, false, SIGHUP, SIGHUP, dir.file("site")};
  const RunResult r = runProcessIn(Program::Season, dir, longSeason(dir, 60), ignored);
  EXPECT_TRUE(r.interrupted);
  EXPECT_EQ(std::pair(r.status, r.signal), std::pair(0, 0));
  EXPECT_TRUE(regularFiles(dir.file("site")).contains("index.html"));
}
