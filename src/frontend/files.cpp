#include "frontend/files.hpp"

#include <fmt/format.h>

#include "frontend/error.hpp"
#include "platform/platform.hpp"

namespace marvolt {

bool isRegularFile(const std::string& path) {
  return platform::fileStatus(path).kind == platform::FileKind::Regular;
}

bool isDirectory(const std::string& path) {
  return platform::fileStatus(path).kind == platform::FileKind::Directory;
}

bool pathExists(const std::string& path) { return platform::fileStatus(path).kind != platform::FileKind::Missing; }

std::string absolutePath(const std::string& path) {
  if (platform::isAbsolutePath(path)) return path;
  try {
    return platform::joinPath(platform::workingDirectory(), path);
  } catch (const platform::SystemError& e) {
    throw Error(fmt::format("Cannot read the working directory ({})", e.reason()));
  }
}

}  // namespace marvolt
