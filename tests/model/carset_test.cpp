// Carset files: parsing errors, the search by carset name, name and year lookups.
#include <gtest/gtest.h>

#include <filesystem>
#include "frontend/error.hpp"
#include "model/data.hpp"
#include "model/ini.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace marvolt {
namespace {

using testsupport::runIn, testsupport::TempDir, testsupport::writeText;

// A replay whose weekend names the carset "Gem67" and whose one car is a Lotus.
void writeReplay(const TempDir& dir) {
  testsupport::ReplayBuilder b;
  b.weekend.carset = "Gem67";
  b.addDriver(1, 1, "Jim", "Clark", 5);
  testsupport::writeFile(dir.file("r.rpy"), b.build());
}

std::string carset(const std::string& carDir, const std::string& team, bool engines) {
  return "[Carset]\nCarDir = " + carDir + "\n" + (engines ? "Engines = 3\n" : "") + "[Car5]\nTeam = " + team + "\n";
}

// The team printed for the Lotus in the key=value entry list.
std::string teamIn(const testsupport::RunResult& r) {
  const auto at = r.out.find("team=");
  return r.out.substr(at + 5, r.out.find(';', at) - at - 5);
}

TEST(CarsetSearch, MatchesCarDirIgnoringCaseAndBreaksTiesWithEngines) {
  TempDir dir;
  writeReplay(dir);
  std::filesystem::create_directory(dir.file("cst"));
  writeText(dir.file("cst/a.cst"), carset("GEM67", "First", false));
  writeText(dir.file("cst/b.cst"), carset("gem67", "Second", true));
  writeText(dir.file("cst/c.cst"), carset("other", "Other", true));
  const std::vector<std::string> args = {"--cst-auto", "--no-header", "--format=semikv", "r.rpy"};
  auto r = runIn(dir, args);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "Using carset file " + dir.file("cst/b.cst") + "\n");
  EXPECT_EQ(teamIn(r), "Second");
  // Both with "Engines": the byte-wise first of the earlier directory wins.
  writeText(dir.file("cst/a.cst"), carset("GEM67", "First", true));
  writeText(dir.file("Z.cst"), carset("GEM67", "Dot", true));
  r = runIn(dir, args);
  EXPECT_EQ(r.err, "Using carset file " + dir.file("cst/a.cst") + "\n");
  // From the working directory itself the listed path keeps its "./".
  std::filesystem::remove(dir.file("cst/a.cst"));
  std::filesystem::remove(dir.file("cst/b.cst"));
  r = runIn(dir, args);
  EXPECT_EQ(r.err, "Using carset file " + dir.path() + "/./Z.cst\n");
  EXPECT_EQ(teamIn(r), "Dot");
  // Two matches, neither with "Engines": no carset at all.
  writeText(dir.file("Z.cst"), carset("GEM67", "Dot", false));
  writeText(dir.file("cst/d.cst"), carset("gem67", "D", false));
  r = runIn(dir, args);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(teamIn(r), "Team Lotus");
}

TEST(CarsetSearch, UnreadableCandidatesAreSkippedButAGivenCarsetMustParse) {
  TempDir dir;
  writeReplay(dir);
  // A byte-order mark makes the first line no header and no key: a syntax error.
  writeText(dir.file("bom.cst"), "\xEF\xBB\xBF[Carset]\nCarDir = Gem67\n");
  writeText(dir.file("ok.cst"), carset("Gem67", "Fine", false));
  auto r = runIn(dir, {"--cst-auto", "--no-header", "--format=semikv", "r.rpy"});
  EXPECT_EQ(r.err, "Using carset file " + dir.path() + "/./ok.cst\n");
  r = runIn(dir, {"--cst", "bom.cst", "r.rpy"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "Error: bom.cst: Syntax error at line 1\n");
  EXPECT_EQ(r.out, "");
  // A given carset takes precedence over the search.
  r = runIn(dir, {"--cst", "ok.cst", "--cst-auto", "--no-header", "--format=semikv", "r.rpy"});
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(teamIn(r), "Fine");
}

class CarsetLookup : public ::testing::Test {
 protected:
  void load(const std::string& text) {
    writeText(dir.file("set.cst"), text);
    ASSERT_EQ(parseIni(carset, dir.file("set.cst")), "");
  }
  TempDir dir;
  IniSection carset{"root"};
};

TEST_F(CarsetLookup, CarsetValuesFallBackToBuiltInNames) {
  // Makes outside the built-in tables get placeholders numbered by their low byte.
  EXPECT_EQ(teamByMake(carset, 300), u"unkTeam44");
  EXPECT_EQ(engineByMake(carset, -1), u"unkEngine255");
  EXPECT_EQ(modYear(carset), 1967);
  load("[Carset]\nYear = 1969\n[Car4]\nTeam = Ferrari\n[Car5]\nTeam =\nName = \"49B\"\n");
  EXPECT_EQ(teamByMake(carset, 4) + u"/" + engineByMake(carset, 4), u"Ferrari/Ferrari V12");
  EXPECT_EQ(teamByMake(carset, 5) + u"/" + chassisByMake(carset, 5), u"Team Lotus/49B");
  EXPECT_EQ(chassisByMake(carset, 7), u"unkMake7");
  EXPECT_EQ(modYear(carset), 1969);
  EXPECT_THROW(getNumberFromCarset("Carset", "Nope", carset), Error);
}

TEST_F(CarsetLookup, BadYearsKeep1967AndErrorsNameTheFile) {
  for (const char* year : {"1969a", "", "40000", "19 69"}) {
    load(std::string("[Carset]\nYear = ") + year + "\n");
    EXPECT_EQ(modYear(carset), 1967) << year;
  }
  load("[Carset]\nYear = -12\n");
  EXPECT_EQ(modYear(carset), -12);
  // A failed parse leaves the tree as it was.
  IniSection tree("root");
  writeText(dir.file("bad.cst"), "[Carset]\n\nno equals sign\n");
  EXPECT_EQ(parseIni(tree, dir.file("bad.cst")), dir.file("bad.cst") + ": Syntax error at line 3");
  EXPECT_TRUE(tree.sections().empty());
  EXPECT_EQ(parseIni(tree, dir.file("missing.cst")), dir.file("missing.cst") + ": No such file or directory");
  EXPECT_EQ(parseIni(tree, ""), "");
}

}  // namespace
}  // namespace marvolt
