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
  EXPECT_EQ(none.verStr(), u"-");
}

}  // namespace
}  // namespace marvolt
