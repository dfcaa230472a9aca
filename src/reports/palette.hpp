// The car palette of the pages: a colour for every car's lines and
// swatches, a darker twin of it for text, a dash pattern that tells apart
// two cars of one colour, and the class that links everything of one car
// (chart lines, labels, table rows) for hovering.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace marvolt::svg {

/// The palette place of a line or row that belongs to no car.
inline constexpr std::size_t kNoCar = static_cast<std::size_t>(-1);

/// The colour of lines and swatches that belong to no entry.
inline constexpr std::string_view kNeutralColour = "#7b818c";

/// Colour `index` of a palette of 40 colours, at least 3:1 on the page's
/// background; the first 20 are at least 15 apart in CIEDE2000 from each
/// other. Indices beyond it wrap around.
std::string_view paletteColour(std::size_t index);
/// The text colour of palette colour `index`: the same hue, 4.5:1 on white.
std::string_view paletteTextColour(std::size_t index);
/// The dash pattern of car `index`'s lines (an SVG stroke-dasharray; empty
/// for solid): solid for the first 20, then a pattern for each further 20,
/// so that two lines of one hue always differ.
std::string_view dashPattern(std::size_t index);
/// Appends the class that marks everything of car `index` ("k" and the index).
void appendCarClass(std::string& out, std::size_t index);

}  // namespace marvolt::svg
