// Whole reports through the built binary, in both formats.
#include <gtest/gtest.h>

#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace {

using namespace testsupport;

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

RunResult report(std::vector<std::string> args) {
  TempDir dir;
  writeFile(dir.file("race.rpy"), weekend().build());
  args.push_back("race.rpy");
  return runIn(dir, args);
}

const std::string kTextReport =
    "Replay Info\n"
    "saver     : Saver Person\n"
    "Event Info\n"
    "track     : monza\n"
    "carset    : gpl67\n\n"
    "Entry List\n\n"
    "Num Team                          Chassis                Engine                  Year\n"
    "      Driver                 NAT    Remark\n"
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
    "table_end;\n\ntable_start;table_type=laptimes;table=Session 1 (TESTING) Car 7 laptimes;session=1;startnum=7;\n"
    "lap=0;laptime=1.000;clock=1.000;remark=;\nlap=1;laptime=1:30.000;clock=1:31.000;remark=;\n"
    "table_end;\n\ntable_start;table_type=laptimes;table=Session 2 (PRACTICE) Car 7 laptimes;session=2;startnum=7;\n"
    "lap=0;laptime=0.000;clock=0.000;remark=;\nlap=1;laptime=1:30.000;clock=1:30.000;remark=;\n"
    "lap=2;laptime=1:29.000;clock=2:59.000;remark=Invalid;\nlap=3;laptime=1:29.600;clock=4:28.600;remark=Off Track;\n"
    "table_end;\n\ntable_start;table_type=laptimes;table=Session 2 (PRACTICE) Car 3 laptimes;session=2;startnum=3;\n"
    "lap=0;laptime=0.500;clock=0.500;remark=;\nlap=1;laptime=1:30.500;clock=1:31.000;remark=;\n"
    "lap=2;laptime=1:30.000;clock=3:01.000;remark=;\n"
    "table_end;\n\ntable_start;table_type=laptimes;table=Session 2 (PRACTICE) Car 12 laptimes;session=2;startnum=12;\n"
    "lap=0;laptime=0.100;clock=0.100;remark=;\n"
    "table_end;\n\ntable_start;table_type=laptimes;table=Session 3 (RACE) Car 7 laptimes;session=3;startnum=7;\n"
    "lap=0;laptime=0.010;clock=0.010;remark=;\nlap=1;laptime=0.090;clock=0.100;remark=;\n"
    "lap=2;laptime=0.090;clock=0.190;remark=;\n"
    "table_end;\n\ntable_start;table_type=laptimes;table=Session 3 (RACE) Car 3 laptimes;session=3;startnum=3;\n"
    "lap=0;laptime=0.012;clock=0.012;remark=;\nlap=1;laptime=0.093;clock=0.105;remark=;\n"
    "lap=2;laptime=0.095;clock=0.200;remark=;\n"
    "table_end;\n\ntable_start;table_type=laptimes;table=Session 3 (RACE) Car 12 laptimes;session=3;startnum=12;\n"
    "lap=0;laptime=0.015;clock=0.015;remark=;\nlap=1;laptime=0.095;clock=0.110;remark=;\n"
    "table_end;\n\n";

TEST(TextReport, WholeWeekend) {
  const RunResult r = report({});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, kTextReport);
}

TEST(SemiKVReport, WholeWeekendWithLapTables) {
  const RunResult r = report({"--format=txt", "--laps", "--format=semikv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, kSemiKVReport);
}

TEST(TextReport, NoHeaderStartsWithTheEntryList) {
  const RunResult txt = report({"--no-header"});
  EXPECT_EQ(txt.out, kTextReport.substr(kTextReport.find("Entry List\n")));
  const RunResult kv = report({"--no-header", "--format=semikv"});
  EXPECT_EQ(kv.out.rfind("table_start;table=Entry List;\n", 0), 0u);
  // The last format option decides.
  EXPECT_EQ(report({"--format=semikv", "--format=txt"}).out, kTextReport);
}

TEST(TextReport, LapDumpOfEverySession) {
  EXPECT_EQ(report({"--laps"}).out,
            kTextReport +
            "Session 1 (TESTING) Laptimes\n\n"
            "Car number 7 laptimes\n  0:     1.000  \n  1:  1:30.000  \n\n"
            "Session 2 (PRACTICE) Laptimes\n\n"
            "Car number 7 laptimes\n  0:     0.000  \n  1:  1:30.000  \n  2:  1:29.000  Invalid\n"
            "  3:  1:29.600  Off Track\n\n"
            "Car number 3 laptimes\n  0:     0.500  \n  1:  1:30.500  \n  2:  1:30.000  \n\n"
            "Car number 12 laptimes\n  0:     0.100  \n\n"
            "Session 3 (RACE) Laptimes\n\n"
            "Car number 7 laptimes\n  0:     0.010  \n  1:     0.090  \n  2:     0.090  \n\n"
            "Car number 3 laptimes\n  0:     0.012  \n  1:     0.093  \n  2:     0.095  \n\n"
            "Car number 12 laptimes\n  0:     0.015  \n  1:     0.095  \n\n");
}

}  // namespace
