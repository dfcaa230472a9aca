// Fuzz target: INI text through the INI reader, from a text (any line
// break) with and without lookups and from a file (line feeds only), then
// through the operations a caller uses on the parsed tree.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "frontend/error.hpp"
#include "model/ini.hpp"

namespace {

// Copies and moves the tree, walks its top-level sections and looks up the
// paths and keys the tree itself names.
void useTree(const marvolt::IniSection& root) {
  marvolt::IniSection copy = root;
  marvolt::IniSection moved = std::move(copy);
  for (const marvolt::IniSection& section : root.sections()) {
    try {
      const marvolt::IniSection found = root.getSectionEx(section.name());
      for (const auto& [key, value] : found.keys()) {
        (void)root.getSectionEx(value);
        (void)found.getKey(key);
      }
      for (const marvolt::IniSection& child : section.sections()) (void)child.root();
    } catch (const marvolt::Error&) {
      // A missing section or key is reported, not fatal.
    }
  }
  moved.parseLookups();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const bool lookups : {false, true}) {
    try {
      useTree(marvolt::IniSection::ParseString(text, lookups));
    } catch (const marvolt::Error&) {
      // Syntax errors and failed lookups end the parse with a message.
    }
  }
  return 0;
}
