// A fresh directory for a test's files, on every system the tests run on.
#pragma once

#include <string>

namespace testsupport {

/// A fresh directory, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  /// The directory's absolute path.
  const std::string& path() const { return path_; }
  /// The absolute path of `name` inside the directory.
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace testsupport
