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
  EXPECT_EQ(missing.team, u"SomeTeam");
  EXPECT_EQ(missing.chassis, u"SomeCar");
  EXPECT_EQ(missing.engine, u"SomeEngine");
  EXPECT_EQ(missing.startNum, 0);
  EXPECT_TRUE(missing.drivers.empty());
  EXPECT_TRUE(entries.frontMake(6).placeholder);
  const Driver nobody = entries[0].drivers.frontDriverid(99);
  EXPECT_EQ(nobody.remark, u"invalid");
  EXPECT_EQ(nobody.toString(), u"   invalid");
  // Two entries share car id 1: both in array order, the first wins.
  std::vector<std::int16_t> nums;
  for (const Entry& e : entries.byCarid(1)) nums.push_back(e.startNum);
  EXPECT_EQ(nums, (std::vector<std::int16_t>{5, 7}));
  EXPECT_EQ(entries.frontCarid(1).startNum, 5);
  EXPECT_EQ(entries.frontMake(2).startNum, 6);
  EXPECT_EQ(entries.frontCarid(2).drivers.frontDriverid(2).lastName, u"Hill");
}

TEST(Ranges, ViewsShareTheirElements) {
  Entries entries(std::vector<Entry>{entry(1, 1, u"A", u"a"), entry(2, 2, u"B", u"b"), entry(3, 3, u"C", u"c")});
  Entries view = entries.save();
  view.popFront();
  view.popBack();
  EXPECT_EQ(view.length(), 1u);
  EXPECT_EQ(view.front().carid, 2u);
  EXPECT_EQ(entries.length(), 3u);
  EXPECT_EQ(entries.back().carid, 3u);
  EXPECT_EQ(entries.slice(1, 3)[1].carid, 3u);
  EXPECT_EQ(entries.arrdup().size(), 3u);
  EXPECT_EQ(entries.all().size(), 3u);
  // Lookups by car id see only the view: a narrowed view finds the first
  // match inside it, not the first of the whole array.
  const Entries dup(std::vector<Entry>{entry(1, 5, u"A", u"a"), entry(1, 7, u"B", u"b"), entry(2, 6, u"C", u"c")});
  Entries tail = dup.save();
  tail.popFront();
  EXPECT_EQ(tail.frontCarid(1).startNum, 7);
  tail.popFront();
  EXPECT_TRUE(tail.frontCarid(1).placeholder);
  EXPECT_EQ(tail.frontCarid(2).startNum, 6);
  EXPECT_EQ(dup.slice(0, 1).frontCarid(2).placeholder, true);
  EXPECT_EQ(dup.frontCarid(1).startNum, 5);
}

TEST(TextForms, EntryAndDriverLines) {
  Entry e = entry(1, 7, u"Jim", u"Clark");
  e.team = u"A Team Name That Is Thirty Chs";
  e.chassis = u"Lotus 49";
  e.engine = u"Ford DFV V8";
  EXPECT_EQ(e.toString(), u"  7 A Team Name That Is Thirty C Lotus 49-Ford DFV V8             Jim Clark GBR \n");
  Driver plain;
  plain.firstName = u"Jo";
  plain.lastName = u"Siffert";
  EXPECT_EQ(plain.toString(), u"Jo Siffert  ");
  ReplayData r{u"monza", u"Saver", u"Person", 3};
  EXPECT_EQ(r.toString(), u"Replay Data:\ntrack      : monza\nsaver      : Saver Person\n");
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
  EXPECT_EQ(&gpl->pokus(), gpl.get());
  EXPECT_THROW(Data::create(Game::N2K2), Error);
  EXPECT_THROW(Data::create(Game::IRAC), Error);
  EXPECT_EQ(Data::create(Game::UNK), nullptr);
  EXPECT_EQ(Data::create(Game::N4), nullptr);
  EXPECT_EQ(Data::create(Game::N2K3), nullptr);
}

}  // namespace
}  // namespace marvolt
