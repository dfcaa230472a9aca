// Names reduced to plain ASCII letters: the slugs that name the site's
// files, and the folded form under which two spellings of a driver's name
// count as nearly the same (case, accents and spaces aside).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace marvolt {

/// The slug of a name for a file name: its letters and digits in ASCII lower
/// case (Latin letters without their accents), each run of anything else
/// one "-", none at the ends, at most 48 characters; empty when none is left.
std::string slugOf(std::u16string_view name);

/// The slug of each name, unique among them: an empty slug becomes
/// `fallback`, and a slug taken already gets the first free suffix of "-2",
/// "-3", ...
std::vector<std::string> uniqueSlugs(const std::vector<std::u16string>& names, std::string_view fallback);

/// A name folded for comparison: lower case, Latin letters without their
/// accents (as in slugs), spaces removed; every other character kept.
std::u16string foldedName(std::u16string_view name);

}  // namespace marvolt
