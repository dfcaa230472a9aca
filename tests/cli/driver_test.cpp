// The command line and the exit statuses of marvolt, run in the test process.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/marvolt.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace {

using testsupport::RunOptions, testsupport::TempDir, testsupport::run, testsupport::runIn;

// The usage text as users see it, kept under tests/data.
const std::string kUsage = testsupport::readFile(MARVOLT_SOURCE_DIR "/tests/data/marvolt-usage.txt");

// A replay that passes every check and has no entries and no sessions.
void writeReplay(const std::string& path) {
  testsupport::ReplayBuilder b;
  b.addSlot(testsupport::kRace, 10, 604800.0f);
  testsupport::writeFile(path, b.build());
}

// A run's exit status, standard output and standard error, compared in one check.
using Answer = std::tuple<int, std::string, std::string>;
Answer answer(const testsupport::RunResult& r) { return {r.status, r.out, r.err}; }

TEST(CommandLine, UsageHelpVersionAndInvalidOptions) {
  EXPECT_EQ(answer(run({})), Answer(3, kUsage, ""));
  // An invalid option wins over "--help"; "--help" and "--version" win over later invalid options.
  for (const std::string bad : {"--no-std-conv", "-x", "--LAPS", "--format=xml", "--format="}) {
    const std::string complaint = "invalid option '" + bad + "'\n";
    if (bad == "--no-std-conv" && marvolt::platform::hasConsoleConversion()) continue;
    EXPECT_EQ(answer(run({"--laps", bad, "--help"})), Answer(255, kUsage, complaint));
  }
  EXPECT_EQ(answer(run({"--help", "--bogus"})), Answer(0, kUsage, ""));
  EXPECT_EQ(answer(run({"missing.rpy", "--version", "--bogus"})),
            Answer(0, "marvolt v0.6.2\n\nWritten by the marvolt developers.\n", ""));
}

TEST(CommandLine, PathChecksAndUnreadableReplaysEndWithTheirStatus) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("d.rpy"));
  writeReplay(dir.file("race.rpy"));
  testsupport::writeText(dir.file("bad%s.cst"), "garbage line\n");
  testsupport::writeText(dir.file("rply.rpy"), std::string("RPLY\2\0\0\0\0\0\0\0", 12));
  const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
      {{"--laps"}, 1, "Error: need replay file as parameter\n"},
      {{"nothing.rpy"}, 1, "Error: cannot read nothing.rpy: no such file\n"},
      {{"d.rpy"}, 1, "Error: cannot read d.rpy: no such file\n"},
      {{""}, 1, "Error: cannot read : no such file\n"},
      {{"--cst", "x.cst", "race.rpy"}, 2, "Error: cannot read x.cst: no such file\n"},
      {{"--cst", "bad%s.cst", "race.rpy"}, 2, "Error: bad%s.cst: Syntax error at line 1\n"},   // a path is no format
      {{"nothing.rpy", "race.rpy"}, 0, ""},  // the second replay path wins; the first is never tested
      // A path is awaited across options, and taken even when it begins with "-";
      // of two awaited paths the carset's comes first.
      {{"--cst", "--laps", "-weird.cst", "race.rpy"}, 2, "Error: cannot read -weird.cst: no such file\n"},
      {{"-o", "--cst", "x.cst", "out.txt", "race.rpy"}, 2, "Error: cannot read x.cst: no such file\n"},
      {{"race.rpy", "-o"}, 0, ""},  // "-o" and "--cst" as the last argument leave their paths empty
      {{"race.rpy", "--cst"}, 0, ""},
      // The container's other messages are checked in the corruption tests.
      {{"rply.rpy"}, 1, "Unknown file header 'RPLY' reading file rply.rpy\n"},
  };
  for (const auto& [args, status, err] : cases) {
    const auto r = runIn(dir, args);
    EXPECT_EQ(std::make_pair(r.status, r.err), std::make_pair(status, err)) << args[0];
  }
}

TEST(CommandLine, SameNameOutputPaths) {
  const std::pair<const char*, const char*> names[] = {{"race.rpy", "race.txt"}, {"old.dir/race", "old.dir/race.txt"},
      {"dir/.rpy", "dir/.rpy.txt"}, {"a/b.c/race", "a/b.c/race.txt"}, {"race.final.rpy", "race.final.txt"}};
  for (const auto& [replay, output] : names) EXPECT_EQ(marvolt::sameNameOutput(replay), output);
  TempDir dir;
  writeReplay(dir.file("race.rpy"));
  const auto same = runIn(dir, {"-osame", "race.rpy"});
  EXPECT_EQ(same.status, 0);
  EXPECT_EQ(same.err, "Writing output to file " + dir.file("race.txt") + "\n");
  EXPECT_EQ(same.files.count("race.txt"), 1u);
  // The document formats name the file by their own extension; the last format option decides.
  const std::pair<std::vector<std::string>, const char*> byFormat[] = {
      {{"--format=json"}, "race.json"}, {{"--format=semikv", "--format=html"}, "race.html"},
      {{"--format=json", "--format=semikv"}, "race.txt"}};
  for (const auto& [formats, name] : byFormat) {
    std::vector<std::string> args = formats;
    args.insert(args.end(), {"--force", "-osame", "race.rpy"});
    EXPECT_EQ(runIn(dir, args).err, "Writing output to file " + dir.file(name) + "\n") << name;
  }
  EXPECT_EQ(runIn(dir, {"-osame", "-o", "mine.txt", "race.rpy"}).err,
            "Writing output to file " + dir.file("mine.txt") + "\n");
}

TEST(CommandLine, OverwriteQuestion) {
  TempDir dir;
  writeReplay(dir.file("race.rpy"));
  const std::string question = "Output file out.txt already exists. Overwrite ? (Y/N): ";
  const std::string writing = "Writing output to file " + dir.file("out.txt") + "\n";
  const std::string report = runIn(dir, {"race.rpy"}).out;
  ASSERT_NE(report, "");
  // Declined, or standard input closed: status 4 and the file untouched.
  const std::tuple<bool, std::optional<std::string>, Answer, std::string> cases[] = {
      {false, "n", {4, "", question}, "old"}, {false, "N\n", {4, "", question}, "old"},
      {false, "x", {4, "", question}, "old"}, {false, {}, {4, "", question}, "old"},
      {false, "y", {0, "", question + writing}, report}, {true, {}, {0, "", writing}, report}};
  for (const auto& [force, input, outcome, content] : cases) {
    testsupport::writeText(dir.file("out.txt"), "old");
    std::vector<std::string> args = {"-o", "out.txt", "race.rpy"};
    if (force) args.insert(args.begin(), "--force");
    const auto r = runIn(dir, args, RunOptions{input, "", 0});
    EXPECT_EQ(answer(r), outcome);
    EXPECT_EQ(r.files.at("out.txt"), content);
  }
  // A directory in the way: the question is asked, then creating the file fails.
  std::filesystem::create_directory(dir.file("sub"));
  EXPECT_EQ(answer(runIn(dir, {"-o", "sub", "race.rpy"}, RunOptions{"Y", "", 0})),
            Answer(1, "", "Output file sub already exists. Overwrite ? (Y/N): Writing output to file " +
                              dir.file("sub") + "\nsub: Is a directory\n"));
}

// Every run starts afresh: the options, report switches and protected
// inputs of one run do not reach the next in the same process.
TEST(CommandLine, ASecondRunInOneProcessIsLikeTheFirst) {
  TempDir dir;
  writeReplay(dir.file("race.rpy"));
  writeReplay(dir.file("other.rpy"));
  const Answer plain = answer(runIn(dir, {"race.rpy"}));
  ASSERT_EQ(runIn(dir, {"--force", "-osame", "--format=json", "--no-header", "--laps", "race.rpy"}).status, 0);
  EXPECT_EQ(answer(runIn(dir, {"race.rpy"})), plain);
  // race.rpy was an input of the runs before, not of this one.
  const auto overOldInput = runIn(dir, {"--force", "-o", "race.rpy", "other.rpy"});
  EXPECT_EQ(answer(overOldInput), Answer(0, "", "Writing output to file " + dir.file("race.rpy") + "\n"));
  EXPECT_EQ(overOldInput.files.at("race.rpy"), std::get<1>(plain));
}

}  // namespace
