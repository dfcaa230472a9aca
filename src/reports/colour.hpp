// Colours as a reader sees them: CIELAB coordinates of sRGB colours, the
// CIEDE2000 difference between two colours (how far apart they look), and
// the contrast ratio of two colours as the web's accessibility rules
// measure it. The car palette of the pages is chosen with these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marvolt::colour {

/// An sRGB colour, 8 bits a channel.
struct Rgb {
  std::uint8_t r, g, b;
};

/// A colour in CIELAB under the D65 white point.
struct Lab {
  double l, a, b;
};

/// The colour written `#rrggbb` (either case), if the text is one.
std::optional<Rgb> parseHex(std::string_view text);
/// The colour written `#rrggbb` in lower case.
std::string toHex(Rgb colour);
/// The CIELAB coordinates of an sRGB colour.
Lab toLab(Rgb colour);
/// The relative luminance of an sRGB colour: 0 for black, 1 for white.
double luminance(Rgb colour);
/// The contrast ratio of two colours: 1 (the same) to 21 (black on white).
double contrastRatio(Rgb a, Rgb b);
/// The CIEDE2000 colour difference of two colours; 1 is about the least a
/// reader notices side by side.
double deltaE2000(const Lab& x, const Lab& y);

}  // namespace marvolt::colour
