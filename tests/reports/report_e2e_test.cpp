// Whole reports through a run of marvolt, in both formats, and their edge
// cases: empty tables, long names, carsets, protected semicolons.
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

// Three entries (one with GEM+ data, one without names or known make), a
// testing session, a practice with flagged laps and a race with a car that
// stopped.
ReplayBuilder weekend() {
  ReplayBuilder b;
  b.info.savedFirst = 0;
  b.info.savedLast = 2;
  b.addSlot(kTesting, 0x7FFF, 3600.0f);
  b.addSlot(kPractice, 0x7FFF, 1800.0f);
  b.addSlot(kRace, 2, 604800.0f);
  DriverRec& clark = b.addDriver(7, 1, "Jim", "Clark", 5);
  clark.driverid = 11;
  clark.country = 12;
  DriverRec& gurney = b.addDriver(3, 2, "Dan", "Gurney", 3);
  gurney.driverid = 22;
  gurney.country = 26;
  gurney.withGem(1967, 4, 2);
  DriverRec& anon = b.addDriver(12, 3, "", "", 9);
  anon.driverid = 33;
  anon.country = 99;
  b.sessions.push_back({CarLapsRec::fromClocks(1, {1000, 91000})});
  CarLapsRec flagged{1, {lapWord(0), lapWord(90000), lapWord(179000, 0x10), lapWord(268600, 0x40)}};
  b.sessions.push_back({flagged, CarLapsRec::fromClocks(2, {500, 91000, 181000}), CarLapsRec::fromClocks(3, {100})});
  b.sessions.push_back({CarLapsRec::fromClocks(1, {10, 100, 190}), CarLapsRec::fromClocks(2, {12, 105, 200}),
                        CarLapsRec::fromClocks(3, {15, 110})});
  return b;
}

const std::string kTextReport =
    kHeader + kEntryListTitle +
    "  3 Anglo American Racers         Gurney Eagle           Weslake V12             1967\n"
    "      Dan Gurney             USA    GEM+ 2.4.2\n"
    "  7 Team Lotus                    Lotus 49               Ford DFV V8             1967\n"
    "      Jim Clark              GBR    \n"
    " 12 unkTeam9                      unkMake9               unkEngine9              1967\n"
    "                                    \n\n"
    "Practice Results\n\n"
    "Pos Num Driver                     Time        Gap   Lap      Clock    Remark\n"
    " 1.   7 Jim Clark                1:29.600     0.000    3     4:28.600  Off Track\n"
    " 2.   3 Dan Gurney               1:30.000     0.400    2     3:01.000  \n\n"
    "Race Results\n\n"
    "Pos Num Driver                  Laps     Clock        Gap       Diff   Remark\n"
    " 1.   7 Jim Clark                 2        0.180     0.000     -0.000  \n"
    " 2.   3 Dan Gurney                2        0.190     0.010     -0.010  \n"
    " 3.  12                           1        0.100     0.010     -0.005  DNF\n\n"
    "Race Fastest Laps\n\n"
    "Pos Num Driver                     Time        Gap   Lap      Clock    Remark\n"
    " 1.   7 Jim Clark                   0.090     0.000    2        0.190  \n"
    " 2.   3 Dan Gurney                  0.093     0.003    1        0.105  \n"
    " 3.  12                             0.095     0.005    1        0.110  \n\n";

const std::string kSemiKVReport =
    "table_start;table=Replay Info;\n"
    "saver=Saver Person;\n"
    "table_end;\n\ntable_start;table=Event Info;\n"
    "track=monza;carset=gpl67;\n"
    "table_end;\n\ntable_start;table=Entry List;\n"
    "startnum=3;team=Anglo American Racers;chassis=Gurney Eagle;engine=Weslake V12;year=1967;driver1_name=Dan Gurney;driver1_nat=USA;driver1_remark=GEM+ 2.4.2;\n"
    "startnum=7;team=Team Lotus;chassis=Lotus 49;engine=Ford DFV V8;year=1967;driver1_name=Jim Clark;driver1_nat=GBR;driver1_remark=;\n"
    "startnum=12;team=unkTeam9;chassis=unkMake9;engine=unkEngine9;year=1967;driver1_name= ;driver1_nat=;driver1_remark=;\n"
    "table_end;\n\ntable_start;table=Practice Results;\n"
    "pos=1;startnum=7;drivername=Jim Clark;laptime=1:29.600;gap=0.000;lap=3;clock=4:28.600;remark=Off Track;\n"
    "pos=2;startnum=3;drivername=Dan Gurney;laptime=1:30.000;gap=0.400;lap=2;clock=3:01.000;remark=;\n"
    "table_end;\n\ntable_start;table=Race Results;\n"
    "pos=1;startnum=7;drivername=Jim Clark;laps=2;clock=0.180;gap=0.000;diff=0.000;remark=;\n"
    "pos=2;startnum=3;drivername=Dan Gurney;laps=2;clock=0.190;gap=0.010;diff=0.010;remark=;\n"
    "pos=3;startnum=12;drivername= ;laps=1;clock=0.100;gap=0.010;diff=0.005;remark=DNF;\n"
    "table_end;\n\ntable_start;table=Race Fastest Laps;\n"
    "pos=1;startnum=7;drivername=Jim Clark;laptime=0.090;gap=0.000;lap=2;clock=0.190;remark=;\n"
    "pos=2;startnum=3;drivername=Dan Gurney;laptime=0.093;gap=0.003;lap=1;clock=0.105;remark=;\n"
    "pos=3;startnum=12;drivername= ;laptime=0.095;gap=0.005;lap=1;clock=0.110;remark=;\n"
    "table_end;\n\n";

TEST(Reports, WholeWeekendInBothFormats) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, kTextReport},
      {{"--format=txt", "--format=semikv"}, kSemiKVReport},   // the last format option decides
      {{"--format=semikv", "--format=txt"}, kTextReport},
      {{"--no-header"}, kTextReport.substr(kTextReport.find("Entry List\n"))},
      {{"--no-header", "--format=semikv"}, kSemiKVReport.substr(kSemiKVReport.find("table_start;table=Entry List;"))},
  };
  for (const auto& [args, out] : cases) {
    const RunResult r = runReplay(weekend(), args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, out) << ::testing::PrintToString(args);
  }
}

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

// A race without crossings, a testing session (which has no table) and a
// weekend record without sessions (a warning) give the entry list alone.
TEST(ReportEdges, SessionsWithoutTablesAndEmptyLists) {
  ReplayBuilder race = twoCars(), testing = twoCars(), none = twoCars();
  race.addSlot(kRace, 3, 604800.0f);
  race.sessions.push_back({CarLapsRec{1, {}}, CarLapsRec{2, {}}});
  testing.addSlot(kTesting, 0x7FFF, 604800.0f);
  testing.sessions.push_back({CarLapsRec::fromClocks(1, {100, 90100})});
  none.weekend.slots = {{0, 0, 0}};
  none.weekend.terminate = false;
  none.sessions = testing.sessions;
  for (const ReplayBuilder& b : {race, testing, none}) {
    const RunResult r = runReplay(b, {});
    EXPECT_EQ(std::make_pair(r.status, r.out), std::make_pair(0, kHeader + kTwoCarsList + "\n"));
  }
  EXPECT_NE(runReplay(testing, {"--laps"}).out.find("Session 1 (TESTING) Laptimes\n\nCar number 5 laptimes\n"),
            std::string::npos);
  const RunResult kv = runReplay(none, {"--format=semikv", "--no-header", "--laps"});
  EXPECT_NE(kv.err.find("No session data found\n"), std::string::npos);
  EXPECT_EQ(kv.out.find("laptimes"), std::string::npos);
  EXPECT_EQ(runReplay(ReplayBuilder(), {"--format=semikv", "--no-header"}).out,
            "table_start;table=Entry List;\ntable_end;\n\n");
}

// The lap dumps of both formats: every session, every lap list (a car
// without an entry has number 0), the flags; in the text, lap numbers past
// 999 and clocks past an hour widen their columns.
TEST(ReportEdges, LapDumpsOfEverySession) {
  ReplayBuilder b;
  b.addSlot(kPractice, 0x7FFF, 1800.0f);
  b.addSlot(kRace, 2, 604800.0f);
  b.addDriver(3, 3, "Long", "Run");
  CarLapsRec long_{3, {}};
  for (std::uint32_t i = 0; i <= 1000; ++i) long_.words.push_back(lapWord(14400000 + i * 2000, i == 1 ? 0x50 : 0));
  b.sessions = {{long_}, {CarLapsRec::fromClocks(3, {10, 100}), CarLapsRec::fromClocks(8, {12})}};
  const RunResult r = runReplay(b, {"--laps"});
  const std::string head = "Session 1 (PRACTICE) Laptimes\n\nCar number 3 laptimes\n  0: 4:00:00.000  \n"
                           "  1:     2.000  Off Track Invalid\n  2:     2.000  \n";
  EXPECT_EQ(r.out.substr(r.out.find("Session 1 "), head.size()), head);
  EXPECT_EQ(r.out.substr(r.out.find("\n999: ")),
            "\n999:     2.000  \n1000:     2.000  \n\nSession 2 (RACE) Laptimes\n\n"
            "Car number 3 laptimes\n  0:     0.010  \n  1:     0.090  \n\nCar number 0 laptimes\n  0:     0.012  \n\n");
  const std::string kv = runReplay(b, {"--laps", "--format=semikv"}).out;
  EXPECT_NE(kv.find("table_start;table_type=laptimes;table=Session 1 (PRACTICE) Car 3 laptimes;session=1;startnum=3;\n"
                    "lap=0;laptime=4:00:00.000;clock=4:00:00.000;remark=;\n"
                    "lap=1;laptime=2.000;clock=4:00:02.000;remark=Off Track Invalid;\n"),
            std::string::npos);
  EXPECT_EQ(kv.substr(kv.find("table_start;table_type=laptimes;table=Session 2")),
            "table_start;table_type=laptimes;table=Session 2 (RACE) Car 3 laptimes;session=2;startnum=3;\n"
            "lap=0;laptime=0.010;clock=0.010;remark=;\nlap=1;laptime=0.090;clock=0.100;remark=;\ntable_end;\n\n"
            "table_start;table_type=laptimes;table=Session 2 (RACE) Car 0 laptimes;session=2;startnum=0;\n"
            "lap=0;laptime=0.012;clock=0.012;remark=;\ntable_end;\n\n");
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
