// What the platform tables of both systems ask of the platform layer: a
// directory's names in a fixed order.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace platformchecks {

/// The names in `dir`, sorted.
inline std::vector<std::string> sortedListing(const std::string& dir) {
  std::vector<std::string> names = marvolt::platform::listDirectory(dir);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace platformchecks
