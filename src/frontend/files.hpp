// The file-system questions marvolt asks: the kind of file a path leads to
// (through symbolic links), absolute paths, and the whole content of a file.
#pragma once

#include <string>

namespace marvolt {

/// Whether `path` leads to a regular file.
bool isRegularFile(const std::string& path);

/// Whether `path` leads to a directory.
bool isDirectory(const std::string& path);

/// Whether anything exists under `path`.
bool pathExists(const std::string& path);

/// The current working directory; throws Error when it cannot be read.
std::string workingDirectory();

/// The absolute form of a path: itself when it begins with "/", else the
/// working directory, "/" and the path.
std::string absolutePath(const std::string& path);

/// The whole content of the file `path`; throws Error with the system's reason.
std::string readWholeFile(const std::string& path);

}  // namespace marvolt
