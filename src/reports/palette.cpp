#include "reports/palette.hpp"

#include <array>

#include "reports/htmlpage.hpp"
#include "reports/pagestyle.hpp"

namespace marvolt::svg {

namespace {

// A car's line and swatch colour, and its text colour.
struct CarColour {
  std::string_view line, text;
};

// The palette, as tools/make_palette chose it: each colour the one farthest
// in CIEDE2000 from all before it, among the colours with 3:1 contrast on
// the page's background; the text twin of each reads at 4.5:1 on white.
constexpr std::array<CarColour, 40> kPalette = {{
    // 1683 candidates; the first 20 colours at least 18.43 apart in CIEDE2000.
    {"#772288", "#772288"},    {"#009900", "#008900"},    {"#dd6600", "#c05800"},    {"#2299bb", "#1c809d"},
    {"#554400", "#554400"},    {"#ff3377", "#dd2c67"},    {"#880011", "#880011"},    {"#004466", "#004466"},
    {"#9977ee", "#8265ca"},    {"#006655", "#006655"},    {"#998844", "#85763b"},    {"#996688", "#996688"},
    {"#559988", "#478072"},    {"#996655", "#996655"},    {"#ff00dd", "#d800bb"},    {"#0077ee", "#0073e6"},
    {"#225500", "#225500"},    {"#ee1122", "#eb1021"},    {"#3333ff", "#3333ff"},    {"#aa0055", "#aa0055"},
    {"#884400", "#884400"},    {"#666699", "#666699"},    {"#aa33dd", "#aa33dd"},    {"#667744", "#667744"},
    {"#663344", "#663344"},    {"#007788", "#007788"},    {"#cc0099", "#cc0099"},    {"#886600", "#886600"},
    {"#008855", "#008855"},    {"#333388", "#333388"},    {"#aa7744", "#9a6c3d"},    {"#bb3344", "#bb3344"},
    {"#cc6666", "#b75b5b"},    {"#7788bb", "#6674a0"},    {"#2255bb", "#2255bb"},    {"#774433", "#774433"},
    {"#bb4411", "#bb4411"},    {"#779900", "#638000"},    {"#666600", "#666600"},    {"#bb66bb", "#a65aa6"},
}};

// Dash patterns of the cars beyond each 20: colours repeat in hue there.
constexpr std::array<std::string_view, 4> kDashes = {"", "7 4", "2 3", "9 3 2 3"};
constexpr std::size_t kSolidCars = 20;

}  // namespace

std::string_view paletteColour(std::size_t index) { return kPalette[index % kPalette.size()].line; }

std::string_view paletteTextColour(std::size_t index) { return kPalette[index % kPalette.size()].text; }

std::string_view dashPattern(std::size_t index) { return kDashes[index / kSolidCars % kDashes.size()]; }

void appendCarClass(std::string& out, std::size_t index) {
  out += style::kCarPrefix;
  html::appendInt(out, static_cast<std::int64_t>(index));
}

}  // namespace marvolt::svg
