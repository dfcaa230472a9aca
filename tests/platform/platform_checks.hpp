// What the platform tables of both systems ask of the platform layer: the
// message of a failure, and a directory's names in a fixed order.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "frontend/error.hpp"
#include "platform/platform.hpp"

namespace platformchecks {

/// The message of the Error that `action` throws; empty when it throws none.
template <typename F>
std::string failure(F action) {
  try {
    action();
  } catch (const marvolt::Error& e) {
    return e.message();
  }
  return "";
}

/// The names in `dir`, sorted.
inline std::vector<std::string> sortedListing(const std::string& dir) {
  std::vector<std::string> names = marvolt::platform::listDirectory(dir);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace platformchecks
