// Prints the car palette of the report pages as C++ constants: a greedy
// search over the sRGB colours (a grid of 16 steps a channel) that keep 3:1
// contrast on the page's background. Each colour taken is the candidate
// farthest, in CIEDE2000, from every colour taken before it; the first is
// the one whose twentieth pick stays farthest from the others. Each colour
// also gets a darker twin of the same chromaticity for text, 4.5:1 on white.
// What it prints is the body of the table kPalette in src/reports/palette.cpp:
//
//     build/test/tests/make_palette
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "reports/colour.hpp"

namespace {

using namespace marvolt::colour;

constexpr Rgb kPage{0xf3, 0xf4, 0xf6};
constexpr Rgb kWhite{0xff, 0xff, 0xff};
constexpr std::size_t kColours = 40;
// Greys and near-blacks are far apart in CIEDE2000 but read as one dark
// line on a chart: candidates keep some colour and some light.
constexpr double kLeastChroma = 25;
constexpr double kLeastLightness = 25;
constexpr std::size_t kDistinct = 20;

struct Candidate {
  Rgb rgb;
  Lab lab;
};

// The picks of a greedy search from candidate `first`.
std::vector<std::size_t> greedy(const std::vector<Candidate>& all, std::size_t first, std::size_t count,
                                double& leastOfFirst) {
  std::vector<double> nearest(all.size(), 1e9);
  std::vector<std::size_t> picks{first};
  leastOfFirst = 1e9;
  while (picks.size() < count) {
    const Lab& last = all[picks.back()].lab;
    for (std::size_t i = 0; i < all.size(); ++i) nearest[i] = std::min(nearest[i], deltaE2000(all[i].lab, last));
    const auto best = static_cast<std::size_t>(std::max_element(nearest.begin(), nearest.end()) - nearest.begin());
    if (picks.size() < kDistinct) leastOfFirst = std::min(leastOfFirst, nearest[best]);
    picks.push_back(best);
  }
  return picks;
}

// The colour scaled towards black until text in it reads at 4.5:1 on white.
Rgb textTwin(Rgb rgb) {
  for (int percent = 100; percent > 0; --percent) {
    const auto scale = [percent](std::uint8_t c) { return static_cast<std::uint8_t>(c * percent / 100); };
    const Rgb dark{scale(rgb.r), scale(rgb.g), scale(rgb.b)};
    if (contrastRatio(dark, kWhite) >= 4.5) return dark;
  }
  return {0, 0, 0};
}

}  // namespace

int main() {
  std::vector<Candidate> all;
  for (int r = 0; r < 256; r += 17) {
    for (int g = 0; g < 256; g += 17) {
      for (int b = 0; b < 256; b += 17) {
        const Rgb rgb{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
        const Lab lab = toLab(rgb);
        if (contrastRatio(rgb, kPage) >= 3 && std::hypot(lab.a, lab.b) >= kLeastChroma && lab.l >= kLeastLightness) {
          all.push_back({rgb, lab});
        }
      }
    }
  }
  std::size_t bestFirst = 0;
  double bestLeast = 0;
  for (std::size_t first = 0; first < all.size(); ++first) {
    double least = 0;
    greedy(all, first, kDistinct, least);
    if (least > bestLeast) bestLeast = least, bestFirst = first;
  }
  double least = 0;
  const std::vector<std::size_t> picks = greedy(all, bestFirst, kColours, least);
  std::printf("    // %zu candidates; the first %zu colours at least %.2f apart in CIEDE2000.\n", all.size(), kDistinct,
              least);
  for (std::size_t k = 0; k < picks.size(); ++k) {
    const Rgb rgb = all[picks[k]].rgb;
    std::printf("    {\"%s\", \"%s\"},%s", toHex(rgb).c_str(), toHex(textTwin(rgb)).c_str(), k % 4 == 3 ? "\n" : "");
  }
  return 0;
}
