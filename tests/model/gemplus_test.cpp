#include "model/gemplus.hpp"

#include <gtest/gtest.h>

#include "support/replay_builder.hpp"

namespace marvolt {
namespace {

using testsupport::Bytes;

const DriverInfo& info(const Bytes& bytes) { return *reinterpret_cast<const DriverInfo*>(bytes.data()); }

// The marker '1' and year - 1885, type, minor and patch lie at record offsets 40 to 44.
TEST(GemPlus, VersionAndYearFromTheHometownField) {
  Bytes bytes = testsupport::DriverRec{}.withGem(1967, 4, 2, -1).bytes();
  const GEM gem(info(bytes));
  EXPECT_TRUE(gem.hasGEM());
  EXPECT_EQ(gem.modYear(), 1967);
  EXPECT_EQ(gem.carType(), -1);
  EXPECT_EQ(gem.verStr(), u"2.4.2");
  const std::tuple<std::size_t, std::uint8_t, int, std::u16string> changes[] = {
      {41, 255, 2140, u"2.4.2"}, {41, 0, 1885, u"2.4.2"}, {43, 12, 1885, u"2.12.2"}, {44, 130, 1885, u"2.12.130"}};
  for (const auto& [at, value, year, version] : changes) {
    bytes[at] = value;
    EXPECT_EQ(GEM(&info(bytes)).modYear(), year);
    EXPECT_EQ(GEM(&info(bytes)).verStr(), version);
  }
  // Any other first character: no GEM+ data, whatever follows.
  bytes[40] = '2';
  const GEM none(info(bytes));
  EXPECT_FALSE(none.hasGEM());
  EXPECT_EQ(none.modYear(), 1967);
  EXPECT_EQ(none.carType() + none.minor() + none.patchLevel(), 0);
  EXPECT_EQ(none.verStr(), u"-");
}

// The chassis id is the make character after the "=W=W" marker divided by 4, less 9: below "$" it wraps.
TEST(GemPlus, ChassisIdFromTheDescriptionField) {
  testsupport::DriverRec rec;
  rec.make = 5;
  const std::pair<std::string_view, std::uint32_t> cases[] = {
      {"=W=W.XD", 8},          {"=W=W.X ", 15},         {"=W=W.X$", 0},          {"=W=W.X\x23", 4294967295u},
      {"=W=W.X\x03", 4294967287u}, {"=W=W.X\xFF", 54}, {"", 5}, {"=W=w.XD", 5}, {"NOT =W=W", 5}};
  for (const auto& [descr, chassis] : cases) {
    rec.descr.fill(0);
    std::copy(descr.begin(), descr.end(), rec.descr.begin());
    const Bytes bytes = rec.bytes();
    const GEM gem(info(bytes));
    EXPECT_EQ(gem.usesDescr(), chassis != 5) << descr;
    EXPECT_EQ(gem.someFlag(), gem.usesDescr() ? 'X' : '-');
    EXPECT_EQ(gem.someMake(), gem.usesDescr() ? static_cast<std::uint8_t>(descr[6]) : 45);
    EXPECT_EQ(gem.someMakeToChassisID(), chassis) << descr;
  }
}

}  // namespace
}  // namespace marvolt
