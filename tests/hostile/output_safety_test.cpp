// The output of both programs (the output module they share, through
// marvolt): it never replaces a file it was made from, whatever name leads
// to it. The failures only a process shows are in cli/process_test.cpp.
#include <gtest/gtest.h>

#include <filesystem>
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

// Makes `name` a hard or symbolic link to `target`; false where the system
// offers no such link (symbolic links on Windows without the privilege).
bool makeLink(const TempDir& dir, const std::string& target, const std::string& name, bool symbolic) {
  std::error_code ec;
  if (symbolic) {
    std::filesystem::create_symlink(target, dir.file(name), ec);
  } else {
    std::filesystem::create_hard_link(dir.file(target), dir.file(name), ec);
  }
  return !ec;
}

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
    const RunResult r = runIn(dir, run, RunOptions{answer, "", 0});
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
  ASSERT_TRUE(makeLink(dir, "race.rpy", "hard.txt", false));
  std::vector<std::string> outputs = {"race.rpy", "./race.rpy", dir.file("race.rpy"), "hard.txt"};
  if (makeLink(dir, "race.rpy", "soft.txt", true)) outputs.push_back("soft.txt");
  for (const std::string& output : outputs) {
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
  ASSERT_TRUE(makeLink(dir, "set.cst", "set.txt", false));
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
  ASSERT_TRUE(std::filesystem::create_directory(dir.file("cst")));
  writeText(dir.file("cst/gpl67.cst"), kCarset);
  ASSERT_TRUE(makeLink(dir, "cst/gpl67.cst", "out.txt", false));
  const std::string found = dir.file("cst/gpl67.cst");
  const std::string using_ = "Using carset file " + found + "\n";
  for (const std::string output : {"cst/gpl67.cst", "out.txt"}) {
    EXPECT_EQ(ended(runIn(dir, {"--cst-auto", "--force", "-o", output, "race.rpy"})),
              Ended(1, using_ + refusal(output, "carset", found)));
    EXPECT_EQ(ended(runIn(dir, {"--cst-auto", "-o", output, "race.rpy"}, RunOptions{"y", "", 0})),
              Ended(1, "Output file " + output + " already exists. Overwrite ? (Y/N): " + using_ +
                           refusal(output, "carset", found)));
    EXPECT_EQ(readFile(found), kCarset);
  }
  // Without the search the same file is an ordinary output file.
  EXPECT_EQ(runIn(dir, {"--force", "-o", "out.txt", "race.rpy"}).status, 0);
}

}  // namespace
