// The operating system's services on POSIX systems (Linux).
#include "platform/platform.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include <fmt/format.h>

namespace marvolt::platform {

namespace {

std::string reason(int errnum) { return std::strerror(errnum); }

[[noreturn]] void fail(Operation operation, const std::string& path, int errnum) {
  throw SystemError(operation, path, reason(errnum));
}

[[noreturn]] void failWrite(const std::string& path, int errnum) { fail(Operation::Write, path, errnum); }

FileId idOf(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// Closes a file descriptor when leaving scope, unless released.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  /// Closes the descriptor; the errno of a failure, else 0.
  int close() {
    const int result = ::close(std::exchange(fd_, -1));
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// Writes all of `text` to `fd`; the errno of a failure, else 0.
int writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t count = ::write(fd, text.data(), text.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    text.remove_prefix(static_cast<std::size_t>(count));
  }
  return 0;
}

// The folder part of `path` ("." when it has none) and its last component.
std::pair<std::string, std::string> splitFolder(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// Whether the folder of `path` lies in the process file system, whose links
// name the process's open files (/dev/stdout leads there).
bool inProcessFileSystem(const std::string& path) {
  char* real = ::realpath(splitFolder(path).first.c_str(), nullptr);
  if (real == nullptr) return false;
  const std::string folder = real;
  std::free(real);
  return folder == "/proc" || folder.rfind("/proc/", 0) == 0;
}

// Where a write to `path` lands: the file at the end of its chain of
// symbolic links, or nothing when the chain passes through the process file
// system (the file is then one of the process's open files, written directly).
std::optional<std::string> linkTarget(const std::string& path) {
  std::string target = path;
  for (int depth = 0;; ++depth) {
    if (inProcessFileSystem(target)) return std::nullopt;
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
    if (depth == 40) failWrite(path, ELOOP);
    std::string link(PATH_MAX, '\0');
    const ssize_t size = ::readlink(target.c_str(), link.data(), link.size());
    if (size < 0) failWrite(path, errno);
    link.resize(static_cast<std::size_t>(size));
    target = !link.empty() && link.front() == '/' ? link : splitFolder(target).first + "/" + link;
  }
}

// Writes `text` straight into what `path` names (a device, a pipe, a
// directory that then refuses), as a stream.
void writeDirectly(const std::string& path, std::string_view text, const ReplaceCheck& check) {
  Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
  if (file.get() < 0) failWrite(path, errno);
  struct stat st {};
  if (::fstat(file.get(), &st) != 0) failWrite(path, errno);
  const FileId id = idOf(st);
  check(&id);
  if (S_ISREG(st.st_mode) && ::ftruncate(file.get(), 0) != 0) failWrite(path, errno);
  if (const int e = writeAll(file.get(), text)) failWrite(path, e);
  if (const int e = file.close()) failWrite(path, e);
}

// A new file beside `target` for its next content (0666 less the umask):
// its name and its descriptor.
std::pair<std::string, int> createTemporary(const std::string& path, const std::string& target) {
  const auto [folder, name] = splitFolder(target);
  for (unsigned attempt = 0;; ++attempt) {
    std::string temporary = fmt::format("{}/.{}.{}-{}.tmp", folder, name, ::getpid(), attempt);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST && attempt < 100) continue;
    if (fd < 0) failWrite(path, errno);
    return {temporary, fd};
  }
}

}  // namespace

// ---------------------------------------------------------------- files

FileStatus fileStatus(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {FileKind::Missing, {}, reason(errno)};
  const FileKind kind = S_ISREG(st.st_mode) ? FileKind::Regular : S_ISDIR(st.st_mode) ? FileKind::Directory
                                                                                      : FileKind::Other;
  return {kind, idOf(st), {}};
}

std::string readFile(const std::string& path) {
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) fail(Operation::Open, {}, errno);
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
    if (count == 0) return content;
    if (count < 0) {
      if (errno == EINTR) continue;
      fail(Operation::Read, {}, errno);
    }
    content.append(buffer, static_cast<std::size_t>(count));
  }
}

MappedFile::MappedFile(const std::string& path) {
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) fail(Operation::Open, path, errno);
  struct stat st {};
  if (::fstat(file.get(), &st) != 0) fail(Operation::ReadSize, path, errno);
  const auto size = static_cast<std::size_t>(st.st_size);
  if (size == 0) return;
  void* p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.get(), 0);
  if (p == MAP_FAILED) fail(Operation::Map, path, errno);
  data_ = static_cast<const std::uint8_t*>(p);
  size_ = size;
}

void MappedFile::release() {
  if (data_ != nullptr) ::munmap(const_cast<std::uint8_t*>(data_), size_);
  data_ = nullptr;
  size_ = 0;
}

std::vector<std::string> listDirectory(const std::string& dir) {
  DIR* listing = ::opendir(dir.c_str());
  if (listing == nullptr) fail(Operation::List, dir, errno);
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(listing);
  return names;
}

void makeDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return;
  const int e = errno;
  if (e != EEXIST) fail(Operation::MakeDirectory, path, e);
  const FileStatus status = fileStatus(path);
  if (status.kind != FileKind::Directory) {
    fail(Operation::MakeDirectory, path, status.kind == FileKind::Missing ? e : ENOTDIR);
  }
}

void replaceFile(const std::string& path, std::string_view text, const ReplaceCheck& check) {
  // A name ending in "/" can only be a directory: the system answers that.
  const std::optional<std::string> target = linkTarget(path);
  if (!target || target->empty() || target->back() == '/') return writeDirectly(path, text, check);
  struct stat old {};
  const bool exists = ::stat(target->c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return writeDirectly(path, text, check);
  if (!exists && errno != ENOENT) failWrite(path, errno);
  const FileId id = idOf(old);
  check(exists ? &id : nullptr);

  const auto [temporary, fd] = createTemporary(path, *target);
  Descriptor file(fd);
  int e = 0;
  if (exists) {
    // The replaced file's owner and permissions pass to its successor; an
    // owner this user may not give stays the writer.
    if (::fchown(file.get(), old.st_uid, old.st_gid) != 0) {
    }
    if (::fchmod(file.get(), old.st_mode & 07777) != 0) e = errno;
  }
  if (e == 0) e = writeAll(file.get(), text);
  if (e == 0 && ::fsync(file.get()) != 0 && errno != EINVAL) e = errno;   // EINVAL: nothing to flush
  if (const int closed = file.close(); e == 0) e = closed;
  if (e == 0 && ::rename(temporary.c_str(), target->c_str()) != 0) e = errno;
  if (e != 0) {
    ::unlink(temporary.c_str());
    failWrite(path, e);
  }
}

void prefaultPages(void* data, std::size_t size) {
#ifdef MADV_POPULATE_WRITE
  // Only whole pages inside the range are handed to the system; a kernel
  // without this advice refuses it, and the pages then come one by one.
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (start + page - 1) / page * page;
  const std::uintptr_t last = (start + size) / page * page;
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#else
  static_cast<void>(data);
  static_cast<void>(size);
#endif
}

// ---------------------------------------------------------------- paths

bool isSeparator(char c) { return c == '/'; }

bool isAbsolutePath(std::string_view path) { return !path.empty() && path.front() == '/'; }

std::string workingDirectory() {
  std::string buf(4096, '\0');
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) fail(Operation::WorkingDirectory, {}, errno);
    buf.resize(buf.size() * 2);
  }
  buf.resize(std::strlen(buf.c_str()));
  return buf;
}

std::string programName(std::string_view argv0) {
  const auto slash = argv0.rfind('/');
  return std::string(slash == std::string_view::npos ? argv0 : argv0.substr(slash + 1));
}

std::vector<std::string> arguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

// ---------------------------------------------------------------- console

namespace {

StreamCapture* capture = nullptr;

std::FILE* fileOf(Stream stream) { return stream == Stream::Out ? stdout : stderr; }

}  // namespace

void captureStreams(StreamCapture* into) { capture = into; }

bool hasConsoleConversion() { return false; }

void initStreams() {}

void setConsoleConversion(bool) {}

bool isTerminal(Stream stream) { return capture == nullptr && ::isatty(::fileno(fileOf(stream))) == 1; }

void writeStream(Stream stream, std::string_view text) {
  if (capture != nullptr) {
    (stream == Stream::Out ? capture->out : capture->err).append(text);
  } else if (!text.empty()) {
    std::fwrite(text.data(), 1, text.size(), fileOf(stream));
  }
}

std::optional<std::string> flushStream(Stream stream) {
  if (capture != nullptr) return std::nullopt;
  std::FILE* file = fileOf(stream);
  if (std::fflush(file) == 0 && std::ferror(file) == 0) return std::nullopt;
  const int e = errno;
  std::clearerr(file);
  return reason(e);
}

std::optional<char> readInputByte() {
  if (capture != nullptr) {
    if (!capture->input || capture->inputRead >= capture->input->size()) return std::nullopt;
    return (*capture->input)[capture->inputRead++];
  }
  const int byte = std::getchar();
  if (byte == EOF) return std::nullopt;
  return static_cast<char>(byte);
}

}  // namespace marvolt::platform
