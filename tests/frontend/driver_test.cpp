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

TEST(CommandLine, NoArgumentPrintsTheUsage) {
  const auto r = run({});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, kUsage);
  EXPECT_EQ(r.err, "");
}

TEST(CommandLine, InvalidOptionsAndTheirPrecedence) {
  for (const std::string bad : {"--no-std-conv", "-x", "--LAPS", "--format=html"}) {
    const auto r = run({"--laps", bad, "--help"});
    EXPECT_EQ(r.status, 255) << bad;
    EXPECT_EQ(r.err, "invalid option '" + bad + "'\n");
    EXPECT_EQ(r.out, kUsage);
  }
  const auto help = run({"--help", "--bogus"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, kUsage);
  EXPECT_EQ(help.err, "");
  const auto version = run({"missing.rpy", "--version", "--bogus"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("marvolt v0.6.2\n\n", 0), 0u);
  EXPECT_EQ(std::count(version.out.begin(), version.out.end(), '\n'), 3);
}

TEST(CommandLine, ReplayAndCarsetPathChecks) {
  TempDir dir;
  EXPECT_EQ(runIn(dir, {"--laps"}).err, "Error: need replay file as parameter\n");
  EXPECT_EQ(runIn(dir, {"--laps"}).status, 1);
  const auto missing = runIn(dir, {"nothing.rpy"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "Error: cannot read nothing.rpy: no such file\n");
  ::mkdir(dir.file("d.rpy").c_str(), 0755);
  EXPECT_EQ(runIn(dir, {"d.rpy"}).err, "Error: cannot read d.rpy: no such file\n");
  EXPECT_EQ(runIn(dir, {""}).err, "Error: cannot read : no such file\n");
  writeReplay(dir.file("race.rpy"));
  const auto noCarset = runIn(dir, {"--cst", "x.cst", "race.rpy"});
  EXPECT_EQ(noCarset.status, 2);
  EXPECT_EQ(noCarset.err, "Error: cannot read x.cst: no such file\n");
  // The second replay path wins; the first is never tested.
  EXPECT_EQ(runIn(dir, {"nothing.rpy", "race.rpy"}).status, 0);
  // A path is awaited across options, and taken even when it begins with "-".
  const auto awaited = runIn(dir, {"--cst", "--laps", "-weird.cst", "race.rpy"});
  EXPECT_EQ(awaited.err, "Error: cannot read -weird.cst: no such file\n");
  // "-o" and "--cst" as the last argument leave their paths empty.
  const auto last = runIn(dir, {"race.rpy", "-o"});
  EXPECT_EQ(last.status, 0);
  EXPECT_EQ(last.err, "");
  EXPECT_EQ(runIn(dir, {"race.rpy", "--cst"}).status, 0);
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
  const auto given = runIn(dir, {"-osame", "-o", "mine.txt", "race.rpy"});
  EXPECT_EQ(given.err, "Writing output to file " + dir.file("mine.txt") + "\n");
}

TEST(CommandLine, OverwriteQuestion) {
  TempDir dir;
  writeReplay(dir.file("race.rpy"));
  testsupport::writeText(dir.file("out.txt"), "old");
  const std::string question = "Output file out.txt already exists. Overwrite ? (Y/N): ";
  const std::string report = runIn(dir, {"race.rpy"}).out;
  ASSERT_NE(report, "");
  for (const std::string answer : {"n", "N\n", "x"}) {
    const auto no = runIn(dir, {"-o", "out.txt", "race.rpy"}, RunOptions{answer, ""});
    EXPECT_EQ(no.status, 4);
    EXPECT_EQ(no.err, question);
    EXPECT_EQ(no.files.at("out.txt"), "old");
  }
  const auto eof = runIn(dir, {"-o", "out.txt", "race.rpy"});
  EXPECT_EQ(eof.status, 4);
  const auto yes = runIn(dir, {"-o", "out.txt", "race.rpy"}, RunOptions{"y", ""});
  EXPECT_EQ(yes.status, 0);
  EXPECT_EQ(yes.err, question + "Writing output to file " + dir.file("out.txt") + "\n");
  EXPECT_EQ(yes.files.at("out.txt"), report);
  testsupport::writeText(dir.file("out.txt"), "old");
  const auto forced = runIn(dir, {"--force", "-o", "out.txt", "race.rpy"});
  EXPECT_EQ(forced.status, 0);
  EXPECT_EQ(forced.err, "Writing output to file " + dir.file("out.txt") + "\n");
  EXPECT_EQ(forced.files.at("out.txt"), report);
  // A directory in the way: the question is asked, then creating the file fails.
  ::mkdir(dir.file("sub").c_str(), 0755);
  const auto intoDir = runIn(dir, {"-o", "sub", "race.rpy"}, RunOptions{"Y", ""});
  EXPECT_EQ(intoDir.status, 1);
  EXPECT_EQ(intoDir.err.rfind("Output file sub already exists. Overwrite ? (Y/N): Writing output to file ", 0), 0u);
}

TEST(CommandLine, ContainerFailuresEndWithStatusOne) {
  TempDir dir;
  testsupport::writeText(dir.file("short.rpy"), "YLP");
  const auto shortFile = runIn(dir, {"short.rpy"});
  EXPECT_EQ(shortFile.status, 1);
  EXPECT_EQ(shortFile.err, "Unknown file format reading file short.rpy\n");
  testsupport::writeText(dir.file("rply.rpy"), std::string("RPLY\2\0\0\0\0\0\0\0", 12));
  EXPECT_EQ(runIn(dir, {"rply.rpy"}).err, "Unknown file header 'RPLY' reading file rply.rpy\n");
  testsupport::Bytes trailing = testsupport::outerFile(0x2402, {});
  trailing.push_back(0);
  testsupport::writeFile(dir.file("t.rpy"), trailing);
  EXPECT_EQ(runIn(dir, {"t.rpy"}).err, "Bad file length (12 != 13) reading file t.rpy\n");
}

}  // namespace
