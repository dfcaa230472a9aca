// Colour differences against the published CIEDE2000 test data (Sharma, Wu
// and Dalal, 2005), a pair for each of the formula's hue and chroma corner
// cases, both ways round; CIELAB coordinates and contrast ratios of well-known colours.
#include <gtest/gtest.h>

#include "reports/colour.hpp"

namespace {

using namespace marvolt::colour;

TEST(Colour, DeltaE2000MatchesThePublishedPairs) {
  const struct {
    Lab x, y;
    double deltaE;
  } pairs[] = {
      {{50, 2.6772, -79.7751}, {50, 0, -82.7485}, 2.0425},
      {{50, -1.3802, -84.2814}, {50, 0, -82.7485}, 1.0000},
      {{50, 0, 0}, {50, -1, 2}, 2.3669},
      {{50, 2.4900, -0.0010}, {50, -2.4900, 0.0009}, 7.1792},
      {{50, 2.4900, -0.0010}, {50, -2.4900, 0.0011}, 7.2195},
      {{50, -0.0010, 2.4900}, {50, 0.0009, -2.4900}, 4.8045},
      {{50, -0.0010, 2.4900}, {50, 0.0011, -2.4900}, 4.7461},
      {{50, 2.5, 0}, {50, 0, -2.5}, 4.3065},
      {{50, 2.5, 0}, {73, 25, -18}, 27.1492},
      {{50, 2.5, 0}, {61, -5, 29}, 22.8977},
      {{50, 2.5, 0}, {56, -27, -3}, 31.9030},
      {{50, 2.5, 0}, {58, 24, 15}, 19.4535},
      {{50, 2.5, 0}, {50, 3.1736, 0.5854}, 1.0000},
      {{22.7233, 20.0904, -46.6940}, {23.0331, 14.9730, -42.5619}, 2.0373},
      {{90.9257, -0.5406, -0.9208}, {88.6381, -0.8985, -0.7239}, 1.5381},
      {{6.7747, -0.2908, -2.4247}, {5.8714, -0.0985, -2.2286}, 0.6377},
      {{2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}, 0.9082},
  };
  for (const auto& p : pairs) {
    EXPECT_NEAR(deltaE2000(p.x, p.y), p.deltaE, 5e-5) << p.x.l << ' ' << p.x.a << ' ' << p.x.b;
    EXPECT_NEAR(deltaE2000(p.y, p.x), p.deltaE, 5e-5);
  }
}

TEST(Colour, LabAndContrastOfKnownColours) {
  const struct {
    const char* hex;
    Lab lab;
    double onWhite;
  } cases[] = {
      {"#ffffff", {100, 0, 0}, 1},
      {"#000000", {0, 0, 0}, 21},
      {"#FF0000", {53.2408, 80.0925, 67.2032}, 3.9985},
      {"#0000ff", {32.2970, 79.1875, -107.8602}, 8.5925},
      {"#767676", {49.6370, 0, 0}, 4.5422},
  };
  const Rgb white{255, 255, 255};
  for (const auto& c : cases) {
    const std::optional<Rgb> rgb = parseHex(c.hex);
    ASSERT_TRUE(rgb) << c.hex;
    const Lab lab = toLab(*rgb);
    EXPECT_NEAR(lab.l, c.lab.l, 2e-3) << c.hex;
    EXPECT_NEAR(lab.a, c.lab.a, 2e-3) << c.hex;
    EXPECT_NEAR(lab.b, c.lab.b, 2e-3) << c.hex;
    EXPECT_NEAR(contrastRatio(*rgb, white), c.onWhite, 1e-3) << c.hex;
  }
  for (const char* bad : {"#fff", "ff0000", "#ff00zz", "#ff00001"}) EXPECT_FALSE(parseHex(bad)) << bad;
  EXPECT_EQ(toHex({0x31, 0x20, 0xaf}), "#3120af");
}

}  // namespace
