// The car palette: colours far apart and readable, dashed where they repeat.
#include <gtest/gtest.h>

#include "reports/colour.hpp"
#include "reports/palette.hpp"

namespace {

using namespace marvolt::svg;

TEST(Palette, ColoursAreFarApartReadableAndDashedWhereTheyRepeat) {
  using namespace marvolt::colour;
  const Rgb page{0xf3, 0xf4, 0xf6}, white{0xff, 0xff, 0xff};
  for (std::size_t i = 0; i < 40; ++i) {
    const Rgb line = *parseHex(paletteColour(i));
    EXPECT_GE(contrastRatio(line, page), 3) << i;
    EXPECT_GE(contrastRatio(*parseHex(paletteTextColour(i)), white), 4.5) << i;
    for (std::size_t j = 0; j < i && i < 20; ++j) {
      EXPECT_GE(deltaE2000(toLab(line), toLab(*parseHex(paletteColour(j)))), 15) << i << ' ' << j;
    }
  }
  for (std::size_t i = 0; i < 20; ++i) {
    EXPECT_EQ(dashPattern(i), "");
    EXPECT_NE(dashPattern(i + 20), dashPattern(i));
    EXPECT_NE(dashPattern(i + 40), dashPattern(i));   // the colour of car i again
    EXPECT_NE(dashPattern(i + 40), dashPattern(i + 20));
  }
}

}  // namespace
