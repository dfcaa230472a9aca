#include "frontend/files.hpp"

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
  const std::string cwd = platform::workingDirectory();
  return platform::isSeparator(cwd.back()) ? cwd + path : cwd + "/" + path;
}

}  // namespace marvolt
