// The output of both programs (the runner they share, through marvolt): it
// never replaces a file it was made from, whatever name leads to it; a
// report that could not be written is a failure, not a success, and leaves
// the old file whole.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace {

using namespace testsupport;

ReplayBuilder replay() {
  ReplayBuilder b;
  b.addSlot(kRace, 2, 604800.0f);
  b.addDriver(7, 1, "Jim", "Clark", 5);
  b.sessions.push_back({CarLapsRec::fromClocks(1, {10, 90010, 180020})});
  return b;
}

// A run's exit status and standard error.
using Ended = std::pair<int, std::string>;
Ended ended(const RunResult& r) { return {r.status, r.err}; }

const std::string kCarset = "[Carset]\nCarDir = gpl67\nYear = 1967\n[Car5]\nTeam = Lotus\n";

std::string refusal(const std::string& output, const std::string& role, const std::string& input) {
  return "Output file " + output + " is the " + role + " file " + input + "; it is not overwritten\n";
}

// Runs with "--force", with the question answered "y", and answered "n".
// Replacing the input is refused (status 1, the input intact); declining is
// the ordinary status 4.
void expectRefused(const TempDir& dir, std::vector<std::string> args, const std::string& message,
                   const std::string& input, const std::string& content) {
  const std::string output = args[1];
  const std::string question = "Output file " + output + " already exists. Overwrite ? (Y/N): ";
  for (const std::string answer : {"force", "y", "n"}) {
    std::vector<std::string> run = args;
    if (answer == "force") run.insert(run.begin(), "--force");
    const RunResult r = runIn(dir, run, RunOptions{answer, ""});
    EXPECT_EQ(r.status, answer == "n" ? 4 : 1) << output;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, answer == "force" ? message : answer == "y" ? question + message : question);
    EXPECT_EQ(readFile(dir.file(input)), content) << output;
  }
}

TEST(OutputSafety, TheReplayAndTheCarsetAreNeverOverwritten) {
  TempDir dir;
  const Bytes bytes = replay().build();
  const std::string content(bytes.begin(), bytes.end());
  writeFile(dir.file("race.rpy"), bytes);
  ASSERT_EQ(::link(dir.file("race.rpy").c_str(), dir.file("hard.txt").c_str()), 0);
  ASSERT_EQ(::symlink("race.rpy", dir.file("soft.txt").c_str()), 0);
  for (const std::string& output : std::vector<std::string>{"race.rpy", "./race.rpy", dir.file("race.rpy"), "hard.txt", "soft.txt"}) {
    expectRefused(dir, {"-o", output, "race.rpy"}, refusal(output, "replay", "race.rpy"), "race.rpy", content);
  }
  // The replay reached through the link: the link names the input this time.
  expectRefused(dir, {"-o", "race.rpy", "hard.txt"}, refusal("race.rpy", "replay", "hard.txt"), "race.rpy",
                content);
  // "-osame" on a replay whose name already ends in ".txt".
  writeFile(dir.file("heat.txt"), bytes);
  expectRefused(dir, {"-osame", "heat.txt"}, refusal("heat.txt", "replay", "heat.txt"), "heat.txt", content);

  // The carset, under its name or through a link.
  writeText(dir.file("set.cst"), kCarset);
  ASSERT_EQ(::symlink("set.cst", dir.file("set.txt").c_str()), 0);
  for (const std::string output : {"set.cst", "set.txt"}) {
    expectRefused(dir, {"-o", output, "--cst", "set.cst", "race.rpy"}, refusal(output, "carset", "set.cst"),
                  "set.cst", kCarset);
  }
  // A copy is another file: it is replaced as any output file is.
  writeFile(dir.file("copy.txt"), bytes);
  const RunResult copy = runIn(dir, {"--force", "-o", "copy.txt", "race.rpy"});
  EXPECT_EQ(copy.status, 0);
  EXPECT_EQ(copy.files.at("copy.txt"), runIn(dir, {"race.rpy"}).out);
}

// The carset "--cst-auto" finds is chosen while the replay loads, after the
// question: the refusal comes before the file is written, the answer "y"
// notwithstanding.
TEST(OutputSafety, TheCarsetFoundByTheSearchIsNeverOverwritten) {
  TempDir dir;
  writeFile(dir.file("race.rpy"), replay().build());
  ASSERT_EQ(::mkdir(dir.file("cst").c_str(), 0755), 0);
  writeText(dir.file("cst/gpl67.cst"), kCarset);
  ASSERT_EQ(::link(dir.file("cst/gpl67.cst").c_str(), dir.file("out.txt").c_str()), 0);
  const std::string found = dir.file("cst/gpl67.cst");
  const std::string using_ = "Using carset file " + found + "\n";
  for (const std::string output : {"cst/gpl67.cst", "out.txt"}) {
    EXPECT_EQ(ended(runIn(dir, {"--cst-auto", "--force", "-o", output, "race.rpy"})),
              Ended(1, using_ + refusal(output, "carset", found)));
    EXPECT_EQ(ended(runIn(dir, {"--cst-auto", "-o", output, "race.rpy"}, RunOptions{"y", ""})),
              Ended(1, "Output file " + output + " already exists. Overwrite ? (Y/N): " + using_ +
                           refusal(output, "carset", found)));
    EXPECT_EQ(readFile(found), kCarset);
  }
  // Without the search the same file is an ordinary output file.
  EXPECT_EQ(runIn(dir, {"--force", "-o", "out.txt", "race.rpy"}).status, 0);
}

TEST(OutputSafety, AReportThatCannotBeWrittenIsAFailure) {
  TempDir dir;
  writeFile(dir.file("race.rpy"), replay().build());
  EXPECT_EQ(ended(runIn(dir, {"race.rpy"}, RunOptions{std::nullopt, "/dev/full"})),
            Ended(1, "Cannot write the report to standard output (No space left on device)\n"));
  EXPECT_EQ(ended(runIn(dir, {"--force", "-o", "/dev/full", "race.rpy"})),
            Ended(1, "Writing output to file /dev/full\n/dev/full: No space left on device\n"));
  EXPECT_EQ(ended(runIn(dir, {"-o", "missing/out.txt", "race.rpy"})),
            Ended(1, "Writing output to file " + dir.file("missing/out.txt") +
                         "\nmissing/out.txt: No such file or directory\n"));
  // /dev/stdout is the standard output the caller chose, written as it is.
  const RunResult toStdout = runIn(dir, {"--force", "-o", "/dev/stdout", "race.rpy"});
  EXPECT_EQ(toStdout.out, runIn(dir, {"race.rpy"}).out);
  EXPECT_EQ(toStdout.err, "Writing output to file /dev/stdout\n");
  // A write that fails half-way (here past a file-size limit) leaves the old
  // file as it was and no temporary file.
  writeText(dir.file("out.html"), "old report");
  const RunResult cut = runIn(dir, {"--format=html", "--force", "-o", "out.html", "race.rpy"}, {{}, "", 1024});
  EXPECT_EQ(ended(cut), Ended(1, "Writing output to file " + dir.file("out.html") + "\nout.html: File too large\n"));
  EXPECT_EQ(cut.files, (std::map<std::string, std::string>{{"out.html", "old report"}, {"race.rpy", readFile(dir.file("race.rpy"))}}));
  // The usage and version texts are console messages: they stay silent.
  EXPECT_EQ(runIn(dir, {"--version"}, RunOptions{std::nullopt, "/dev/full"}).status, 0);
  EXPECT_EQ(runIn(dir, {"--help"}, RunOptions{std::nullopt, "/dev/full"}).status, 0);
}

}  // namespace
