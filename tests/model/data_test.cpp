#include "model/data.hpp"

#include <gtest/gtest.h>

#include "frontend/error.hpp"
#include "timing/timing.hpp"

namespace marvolt {
namespace {

Entry entry(std::uint32_t carid, std::int16_t startNum, std::u16string first, std::u16string last) {
  Entry e;
  e.carid = carid;
  e.make = carid % 7;
  e.startNum = startNum;
  Driver d;
  d.driverid = carid;
  d.firstName = std::move(first);
  d.lastName = std::move(last);
  d.nat = u"GBR";
  e.drivers = Drivers(std::vector<Driver>{d});
  return e;
}

TEST(Lookups, NeverFailAndReturnPlaceholders) {
  const Entries entries(std::vector<Entry>{entry(1, 5, u"Jim", u"Clark"), entry(2, 6, u"Graham", u"Hill"),
                                           entry(1, 7, u"Dup", u"Car")});
  const Entry missing = entries.frontCarid(42);
  EXPECT_TRUE(missing.placeholder);
  EXPECT_EQ(missing.team + missing.chassis + missing.engine, u"SomeTeamSomeCarSomeEngine");
  EXPECT_EQ(missing.startNum, 0);
  EXPECT_TRUE(missing.drivers.empty());
  EXPECT_TRUE(entries.frontMake(6).placeholder);
  EXPECT_EQ(entries.frontMake(2).startNum, 6);
  const Driver nobody = entries[0].drivers.frontDriverid(99);
  EXPECT_EQ(nobody.remark, u"invalid");
  EXPECT_EQ(nobody.toString(), u"   invalid");
  EXPECT_EQ(entries.frontCarid(2).drivers.frontDriverid(2).lastName, u"Hill");
  // Two entries share car id 1: both in array order, the first wins.
  std::vector<std::int16_t> nums;
  for (const Entry& e : entries.byCarid(1)) nums.push_back(e.startNum);
  EXPECT_EQ(nums, (std::vector<std::int16_t>{5, 7}));
  EXPECT_EQ(entries.frontCarid(1).startNum, 5);
}

// Lookups by car id see only the view: a narrowed view finds the first match inside it.
TEST(Ranges, ViewsShareTheirElementsAndNarrowTheirLookups) {
  const Entries dup(std::vector<Entry>{entry(1, 5, u"A", u"a"), entry(1, 7, u"B", u"b"), entry(2, 6, u"C", u"c")});
  Entries view = dup.save();
  view.popBack();
  view.popFront();
  EXPECT_EQ(view.length(), 1u);
  EXPECT_EQ(dup.length(), 3u);
  EXPECT_EQ(view.frontCarid(1).startNum, 7);
  EXPECT_TRUE(view.frontCarid(2).placeholder);
  EXPECT_EQ(dup.slice(1, 3).frontCarid(1).startNum, 7);
  EXPECT_EQ(dup.slice(2, 3).frontCarid(2).startNum, 6);
  EXPECT_TRUE(dup.slice(0, 1).frontCarid(2).placeholder);
  EXPECT_EQ(dup.frontCarid(1).startNum, 5);
}

TEST(TextForms, EntrySessionAndReplayDumps) {
  Entry e = entry(1, 7, u"Jim", u"Clark");
  e.team = u"A Team Name That Is Thirty Chs";
  e.chassis = u"Lotus 49";
  e.engine = u"Ford DFV V8";
  EXPECT_EQ(e.toString(), u"  7 A Team Name That Is Thirty C Lotus 49-Ford DFV V8             Jim Clark GBR \n");
  EXPECT_EQ((ReplayData{u"monza", u"Saver", u"Person", 3}).toString(),
            u"Replay Data:\ntrack      : monza\nsaver      : Saver Person\n");
  Session s;
  s.type = SessT::RACE;
  s.maxLaps = 10;
  s.maxSecs = 604800;
  EXPECT_EQ(s.toString(), u"RACE session Data:\nmax. laps  : 10\nmax. secs  : 604800\n");
}

TEST(Factory, GameDecidesTheModel) {
  const auto gpl = Data::create(Game::GPL);
  ASSERT_NE(gpl, nullptr);
  EXPECT_EQ(gpl->gameName(), u"Grand Prix Legends");
  EXPECT_EQ(gpl->asGPL().fps(), 36);
  for (const Game unsupported : {Game::N2K2, Game::IRAC}) EXPECT_THROW(Data::create(unsupported), Error);
  for (const Game none : {Game::UNK, Game::N4, Game::N2K3}) EXPECT_EQ(Data::create(none), nullptr);
}

}  // namespace
}  // namespace marvolt
