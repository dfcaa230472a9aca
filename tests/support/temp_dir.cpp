#include "support/harness.hpp"

#include <filesystem>
#include <random>
#include <stdexcept>

namespace testsupport {

TempDir::TempDir() {
  // The system's folder for temporary files ($TMPDIR, else /tmp; %TEMP% on Windows).
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  std::random_device entropy;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path dir = base / ("marvolt-test-" + std::to_string(entropy()));
    std::error_code ec;
    if (std::filesystem::create_directory(dir, ec)) {
      path_ = std::filesystem::canonical(dir).string();
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary directory in " + base.string());
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace testsupport
