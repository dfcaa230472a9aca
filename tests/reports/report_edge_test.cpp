// Report edge cases through the built binary: empty tables, long names,
// carsets, protected semicolons.
#include <gtest/gtest.h>

#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace {

using namespace testsupport;

const std::string kHeader =
    "Replay Info\n"
    "saver     : Saver Person\n"
    "Event Info\n"
    "track     : monza\n"
    "carset    : gpl67\n\n";

const std::string kEntryListTitle =
    "Entry List\n\n"
    "Num Team                          Chassis                Engine                  Year\n"
    "      Driver                 NAT    Remark\n";

ReplayBuilder twoCars() {
  ReplayBuilder b;
  b.addDriver(5, 1, "Ann", "Aa", 0).country = 0;
  b.addDriver(9, 2, "Cy", "Cc", 4).country = 28;
  return b;
}

const std::string kTwoCarsList = kEntryListTitle +
    "  5 Brabham Racing Organisation   Brabham BT24           Repco V8                1967\n"
    "      Ann Aa                 ARG    \n"
    "  9 Scuderia Ferrari SpA SEFAC    Ferrari 312            Ferrari V12             1967\n"
    "      Cy Cc                  VEN    \n";

TEST(ReportEdges, TablesWithoutValidLapsAreLeftOut) {
  ReplayBuilder b = twoCars();
  b.addSlot(kPractice, 0x7FFF, 1800.0f);
  b.addSlot(kRace, 3, 604800.0f);
  b.info.savedLast = 1;
  // Practice: nobody completes a valid lap. Race: laps exist, all invalid.
  b.sessions.push_back({CarLapsRec::fromClocks(1, {100}), CarLapsRec{2, {lapWord(50), lapWord(90050, 0x10)}}});
  b.sessions.push_back({CarLapsRec{1, {lapWord(10), lapWord(100, 0x10)}}, CarLapsRec::fromClocks(2, {20})});
  const RunResult r = runReplay(b, {});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kHeader + kTwoCarsList + "\n" +
                       "Race Results\n\n"
                       "Pos Num Driver                  Laps     Clock        Gap       Diff   Remark\n"
                       " 1.   5 Ann Aa                    1        0.090     0.000     -0.000  \n"
                       " 2.   9 Cy Cc                     0        0.010     0.010     -0.010  DNF\n"
                       "\n");
  const RunResult kv = runReplay(b, {"--format=semikv", "--no-header"});
  EXPECT_EQ(kv.out.find("Practice Results"), std::string::npos);
  EXPECT_EQ(kv.out.find("Race Fastest Laps"), std::string::npos);
  EXPECT_NE(kv.out.find("diff=0.010;remark=DNF;\n"), std::string::npos);
}

TEST(ReportEdges, RaceWithoutCrossingsAndTestingOnly) {
  ReplayBuilder race = twoCars();
  race.addSlot(kRace, 3, 604800.0f);
  race.sessions.push_back({CarLapsRec{1, {}}, CarLapsRec{2, {}}});
  EXPECT_EQ(runReplay(race, {}).out, kHeader + kTwoCarsList + "\n");
  ReplayBuilder testing = twoCars();
  testing.addSlot(kTesting, 0x7FFF, 604800.0f);
  testing.sessions.push_back({CarLapsRec::fromClocks(1, {100, 90100})});
  EXPECT_EQ(runReplay(testing, {}).out, kHeader + kTwoCarsList + "\n");
  EXPECT_NE(runReplay(testing, {"--laps"}).out.find("Session 1 (TESTING) Laptimes\n\nCar number 5 laptimes\n"),
            std::string::npos);
}

TEST(ReportEdges, ReplayWithoutSessionData) {
  ReplayBuilder b = twoCars();
  b.weekend.slots = {{0, 0, 0}};
  b.weekend.terminate = false;
  b.sessions.push_back({CarLapsRec::fromClocks(1, {100, 90100})});
  const RunResult r = runReplay(b, {});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kHeader + kTwoCarsList + "\n");
  EXPECT_NE(r.err.find("No session data found\n"), std::string::npos);
  const RunResult kv = runReplay(b, {"--format=semikv", "--no-header", "--laps"});
  EXPECT_EQ(kv.out.find("laptimes"), std::string::npos);
}

TEST(ReportEdges, EqualStartNumbersAndNamelessDrivers) {
  ReplayBuilder b;
  b.addDriver(4, 1, "Second", "Listed", 1).country = -1;
  b.addDriver(4, 2, "", "", 2).country = 29;
  b.addDriver(1, 3, "First", "", 3).country = 3;
  const RunResult r = runReplay(b, {"--no-header"});
  EXPECT_EQ(r.out, kEntryListTitle +
                       "  1 Anglo American Racers         Gurney Eagle           Weslake V12             1967\n"
                       "      First                  BEL    \n"
                       "  4 Owen Racing Organisation      BRM P115               BRM H16                 1967\n"
                       "      Second Listed                 \n"
                       "  4 Cooper Car Company            Cooper T81b            Maserati V12            1967\n"
                       "                                    \n"
                       "\n");
}

TEST(ReportEdges, CarsetNamesLongValuesAndProtectedSemicolons) {
  ReplayBuilder b = twoCars();
  b.addDriver(11, 3, "Dee", "Dd", 7);
  const std::string carset =
      "[Carset]\nCarDir = gpl67\nYear = 1967\n"
      "[Car0]\nTeam = A Team Whose Name Is Longer Than Its Column\nName = X;Y\nEngine = V=8\n"
      "[Car4]\nTeam =\n";
  const RunResult r = runReplay(b, {"--no-header"}, carset);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kEntryListTitle +
                       "  5 A Team Whose Name Is Longer Than Its ColumnX;Y                    V=8                     1967\n"
                       "      Ann Aa                 ARG    \n"
                       "  9 Scuderia Ferrari SpA SEFAC    Ferrari 312            Ferrari V12             1967\n"
                       "      Cy Cc                  VEN    \n"
                       " 11 unkTeam7                      unkMake7               unkEngine7              1967\n"
                       "      Dee Dd                 GBR    \n"
                       "\n");
  const RunResult kv = runReplay(b, {"--no-header", "--format=semikv"}, carset);
  EXPECT_NE(kv.out.find("startnum=5;team=A Team Whose Name Is Longer Than Its Column;chassis=X\xCD\xBEY;engine=V=8;"),
            std::string::npos);
}

TEST(ReportEdges, EmptyEntryListInKeyValueForm) {
  ReplayBuilder b;
  const RunResult kv = runReplay(b, {"--format=semikv", "--no-header"});
  EXPECT_EQ(kv.out, "table_start;table=Entry List;\ntable_end;\n\n");
}

TEST(ReportEdges, YearMismatchWarningAndCarsetYear) {
  ReplayBuilder b;
  b.addDriver(12, 1, "Jo", "Year", 5).textflag = 0;
  b.addDriver(14, 2, "Ty", "Text", 5).withGem(1990, 5, 1).textflag = 1;  // the remark needs only the marker byte
  b.addDriver(16, 3, "Tw", "Two", 5).textflag = 2;
  const RunResult r = runReplay(b, {"--no-header"}, "[Carset]\nCarDir = x\nYear = 1969\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "Warning: entry #12 year 1967 doesn't match carset year 1969\n");
  EXPECT_NE(r.out.find("Ford DFV V8             1967\n      Jo Year"), std::string::npos);
  EXPECT_NE(r.out.find("Ford DFV V8             1969\n      Ty Text                GBR    GEM+ 2.5.1\n"),
            std::string::npos);
  EXPECT_NE(r.out.find("Ford DFV V8             1969\n      Tw Two"), std::string::npos);
}

}  // namespace
