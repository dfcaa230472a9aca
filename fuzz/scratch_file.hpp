// A per-process file in memory that a fuzz input is written to, for the
// readers that take a path (the replay mapping, the carset parse).
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace marvolt_fuzz {

/// An anonymous in-memory file, reachable through /proc/self/fd/<n>.
class ScratchFile {
 public:
  ScratchFile() : fd_(::memfd_create("marvolt-fuzz", MFD_CLOEXEC)) {
    if (fd_ < 0) {
      std::perror("memfd_create");
      std::abort();
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~ScratchFile() { ::close(fd_); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  /// Replaces the file's content by the bytes; returns its path.
  const std::string& write(const std::uint8_t* data, std::size_t size) {
    if (::ftruncate(fd_, 0) != 0) fail("ftruncate");
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (n <= 0) fail("pwrite");
      done += static_cast<std::size_t>(n);
    }
    return path_;
  }

 private:
  [[noreturn]] static void fail(const char* what) {
    std::perror(what);
    std::abort();
  }
  int fd_;
  std::string path_;
};

}  // namespace marvolt_fuzz
