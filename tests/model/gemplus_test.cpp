#include "model/gemplus.hpp"

#include <gtest/gtest.h>

#include "support/replay_builder.hpp"

namespace marvolt {
namespace {

using testsupport::Bytes;

/// The bytes of a driver record whose description starts with `descr`.
Bytes record(testsupport::DriverRec rec, std::string_view descr = {}) {
  std::copy(descr.begin(), descr.end(), rec.descr.begin());
  return rec.bytes();
}

const DriverInfo& info(const Bytes& bytes) { return *reinterpret_cast<const DriverInfo*>(bytes.data()); }

// The marker '1' and year - 1885, type, minor and patch lie at record offsets 40 to 44.
TEST(GemPlus, VersionAndYearFromTheHometownField) {
  testsupport::DriverRec rec;
  rec.withHometown(std::string_view("1\x52\xFF\x04\x02", 5));
  Bytes bytes = record(rec);
  const GEM gem(info(bytes));
  EXPECT_TRUE(gem.hasGEM());
  EXPECT_EQ(gem.modYear(), 1967);
  EXPECT_EQ(gem.carType(), -1);
  EXPECT_EQ(gem.verStr(), u"2.4.2");
  bytes[41] = 255;
  EXPECT_EQ(GEM(&info(bytes)).modYear(), 2140);
  bytes[41] = 0;
  EXPECT_EQ(GEM(&info(bytes)).modYear(), 1885);
  bytes[43] = 12;
  bytes[44] = 130;
  EXPECT_EQ(GEM(&info(bytes)).verStr(), u"2.12.130");
  // Any other first character: no GEM+ data, whatever follows.
  bytes[40] = '2';
  const GEM none(info(bytes));
  EXPECT_FALSE(none.hasGEM());
  EXPECT_EQ(none.modYear(), 1967);
  EXPECT_EQ(none.carType(), 0);
  EXPECT_EQ(none.minor() + none.patchLevel(), 0);
  EXPECT_EQ(none.verStr(), u"-");
}

// The chassis id is the make character of the "=W=W" marker divided by 4, less 9: below "$" it wraps.
TEST(GemPlus, ChassisIdFromTheDescriptionField) {
  testsupport::DriverRec rec;
  rec.make = 5;
  const std::pair<char, std::uint32_t> cases[] = {{'D', 8},  {'A', 7},  {' ', 15}, {'$', 0}, {'\x21', 4294967295u},
                                                  {'\x23', 4294967295u}, {'\x00', 4294967287u},
                                                  {'\x03', 4294967287u}, {'\xFF', 54}};
  for (const auto& [make, chassis] : cases) {
    const Bytes bytes = record(rec, std::string("=W=W.X") + make);
    const GEM gem(info(bytes));
    EXPECT_TRUE(gem.usesDescr());
    EXPECT_EQ(gem.someFlag(), 'X');
    EXPECT_EQ(gem.someMake(), static_cast<std::uint8_t>(make));
    EXPECT_EQ(gem.someMakeToChassisID(), chassis) << int(make);
  }
  // Without the marker: the record's make and placeholders.
  for (const std::string_view descr : {"", "=W=w.XD", "NOT =W=W"}) {
    const Bytes bytes = record(rec, descr);
    const GEM gem(info(bytes));
    EXPECT_FALSE(gem.usesDescr()) << descr;
    EXPECT_EQ(gem.someMakeToChassisID(), 5u);
    EXPECT_EQ(gem.someFlag(), '-');
    EXPECT_EQ(gem.someMake(), 45);
  }
  rec.make = -1;
  EXPECT_EQ(GEM(info(record(rec))).someMakeToChassisID(), 4294967295u);
}

}  // namespace
}  // namespace marvolt
