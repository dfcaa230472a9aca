// Writes one benchmark workload: the full weekend at a scale, followed by
// frame data. Prints the file length and the number of crossings.
//
//   make_workload <out.rpy> [--scale N] [--frames BYTES[K|M|G]] [--sparse]
#include <cstdint>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

#include "workload.hpp"

namespace {

// A byte count with an optional binary suffix: 512K, 256M, 3G.
std::uint64_t parseBytes(const std::string& text) {
  std::size_t used = 0;
  const std::uint64_t value = std::stoull(text, &used);
  const std::string suffix = text.substr(used);
  if (suffix.empty()) return value;
  if (suffix == "K") return value << 10;
  if (suffix == "M") return value << 20;
  if (suffix == "G") return value << 30;
  throw std::invalid_argument("unknown size suffix '" + suffix + "'");
}

int usage() {
  std::fprintf(stderr, "usage: make_workload <out.rpy> [--scale N] [--frames BYTES[K|M|G]] [--sparse]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string path;
  int scale = 1;
  std::uint64_t frames = 256u << 20;
  bool sparse = false;
  try {
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--scale" && i + 1 < argc) {
        scale = std::stoi(argv[++i]);
      } else if (arg == "--frames" && i + 1 < argc) {
        frames = parseBytes(argv[++i]);
      } else if (arg == "--sparse") {
        sparse = true;
      } else if (!arg.empty() && arg[0] != '-' && path.empty()) {
        path = arg;
      } else {
        return usage();
      }
    }
    if (path.empty()) return usage();
    const auto replay = benchsupport::fullWeekend(scale);
    const std::uint64_t length = benchsupport::writeWorkload(path, replay, frames, sparse);
    std::printf("%s length=%llu crossings=%llu\n", path.c_str(), static_cast<unsigned long long>(length),
                static_cast<unsigned long long>(benchsupport::crossings(replay)));
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_workload: %s\n", e.what());
    return 1;
  }
}
