// The file-system questions marvolt asks, on the platform's services: the
// kind of file a path leads to (through symbolic links) and absolute paths.
#pragma once

#include <string>

namespace marvolt {

/// Whether `path` leads to a regular file.
bool isRegularFile(const std::string& path);

/// Whether `path` leads to a directory.
bool isDirectory(const std::string& path);

/// Whether anything exists under `path`.
bool pathExists(const std::string& path);

/// The absolute form of a path: itself when it is absolute, else the
/// working directory, "/" and the path as given.
std::string absolutePath(const std::string& path);

}  // namespace marvolt
