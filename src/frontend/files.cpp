#include "frontend/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <fmt/format.h>

#include "frontend/error.hpp"

namespace marvolt {

namespace {

// The status of what `path` leads to, or false when it cannot be read.
bool statusOf(const std::string& path, struct stat& st) { return ::stat(path.c_str(), &st) == 0; }

// Closes a file descriptor when leaving scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { ::close(fd_); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return statusOf(path, st) && S_ISREG(st.st_mode);
}

bool isDirectory(const std::string& path) {
  struct stat st {};
  return statusOf(path, st) && S_ISDIR(st.st_mode);
}

bool pathExists(const std::string& path) {
  struct stat st {};
  return statusOf(path, st);
}

std::string workingDirectory() {
  std::string buf(4096, '\0');
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) throw Error(fmt::format("Cannot read the working directory ({})", std::strerror(errno)));
    buf.resize(buf.size() * 2);
  }
  buf.resize(std::strlen(buf.c_str()));
  return buf;
}

std::string absolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  const std::string cwd = workingDirectory();
  return cwd.back() == '/' ? cwd + path : cwd + "/" + path;
}

std::string readWholeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Error(std::strerror(errno));
  const FileDescriptor file(fd);
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
    if (count == 0) return content;
    if (count < 0) {
      if (errno == EINTR) continue;
      throw Error(std::strerror(errno));
    }
    content.append(buffer, static_cast<std::size_t>(count));
  }
}

}  // namespace marvolt
