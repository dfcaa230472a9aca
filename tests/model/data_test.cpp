#include "model/data.hpp"

#include <gtest/gtest.h>

#include "timing/timing.hpp"

namespace marvolt {
namespace {

Entry entry(std::uint32_t carid, std::int16_t startNum, std::u16string first, std::u16string last) {
  Entry e;
  e.carid = carid;
  e.startNum = startNum;
  Driver d;
  d.driverid = carid;
  d.firstName = std::move(first);
  d.lastName = std::move(last);
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
  const Driver nobody = entries[0].drivers.frontDriverid(99);
  EXPECT_EQ(nobody.remark, u"invalid");
  EXPECT_EQ(entries.frontCarid(2).drivers.frontDriverid(2).lastName, u"Hill");
  // Two entries share car id 1: the first wins.
  EXPECT_EQ(entries.frontCarid(1).startNum, 5);
}

}  // namespace
}  // namespace marvolt
