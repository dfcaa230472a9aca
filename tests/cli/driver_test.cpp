// The command line and the exit statuses, through the built binary.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "frontend/marvolt.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace {

using testsupport::RunOptions, testsupport::TempDir, testsupport::run, testsupport::runIn;

const std::string kUsage =
    "\n"
    "Usage: marvolt [OPTION] <REPLAY>\n"
    "Make reports from replay files (.rpy)\n"
    "\n"
    "  --cst <file>     use GEM+ carset (.cst) file for string data\n"
    "  --cst-auto       try to detect and find the correct carset file\n"
    "  -o <output>      output file (UTF-8 encoded)\n"
    "  -osame           output file with same name as replay (.txt extension)\n"
    "  --force          overwrite existing file\n"
    "  --format=txt     output format: text (default)\n"
    "  --format=semikv  output format: semicolon delimited key=value\n"
    "  --format=json    output format: JSON document (schema marvolt-report/1)\n"
    "  --format=html    output format: self-contained HTML page with charts\n"
    "  --no-header      do not display replay information\n"
    "  --no-std-conv    do not convert std streams to console encoding (Windows only)\n"
    "  --laps           dump all laptimes of all cars\n"
    "  --help           display this text and exit\n"
    "  --version        output version information and exit\n"
    "\n";

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
  for (const std::string bad : {"--no-std-conv", "-x", "--LAPS", "--format=xml"}) {
    EXPECT_EQ(answer(run({"--laps", bad, "--help"})), Answer(255, kUsage, "invalid option '" + bad + "'\n"));
  }
  EXPECT_EQ(answer(run({"--help", "--bogus"})), Answer(0, kUsage, ""));
  const auto version = run({"missing.rpy", "--version", "--bogus"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("marvolt v0.6.2\n\n", 0), 0u);
  EXPECT_EQ(std::count(version.out.begin(), version.out.end(), '\n'), 3);
}

TEST(CommandLine, PathChecksAndUnreadableReplaysEndWithTheirStatus) {
  TempDir dir;
  ::mkdir(dir.file("d.rpy").c_str(), 0755);
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
      // A path is awaited across options, and taken even when it begins with "-".
      {{"--cst", "--laps", "-weird.cst", "race.rpy"}, 2, "Error: cannot read -weird.cst: no such file\n"},
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
    const auto r = runIn(dir, args, RunOptions{input, ""});
    EXPECT_EQ(answer(r), outcome);
    EXPECT_EQ(r.files.at("out.txt"), content);
  }
  // A directory in the way: the question is asked, then creating the file fails.
  ::mkdir(dir.file("sub").c_str(), 0755);
  EXPECT_EQ(answer(runIn(dir, {"-o", "sub", "race.rpy"}, RunOptions{"Y", ""})),
            Answer(1, "", "Output file sub already exists. Overwrite ? (Y/N): Writing output to file " +
                              dir.file("sub") + "\nsub: Is a directory\n"));
}

}  // namespace
