// The operating system's services on POSIX systems (Linux).
#include "platform/platform.hpp"

#include <dirent.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
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

// ---------------------------------------------------------------- interrupts

// The temporary files in flight, which an interrupt removes: a fixed table,
// since a signal handler may neither allocate nor lock. A path is entered
// before its file is created and cleared once the file is renamed or removed.
struct PendingFile {
  std::atomic<bool> used{false};
  char path[PATH_MAX] = {};
};
constexpr std::size_t kPendingFiles = 8;
PendingFile pendingFiles[kPendingFiles];
static_assert(std::atomic<bool>::is_always_lock_free);

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// Removes every temporary file in flight, then lets the signal do what it
// would have done: the handler was reset on entry, and the signal raised
// again is delivered on return.
extern "C" void onInterrupt(int signal) {
  for (PendingFile& file : pendingFiles) {
    if (file.used.load()) ::unlink(file.path);
  }
  ::raise(signal);
}

// Installs the handler, once, for each interrupt the program was started
// with its default action for: an ignored one (SIGHUP under nohup, SIGINT of
// a background job) stays ignored.
void handleInterrupts() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (const int signal : kInterrupts) sigaddset(&action.sa_mask, signal);
  for (const int signal : kInterrupts) {
    struct sigaction old {};
    if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) ::sigaction(signal, &action, nullptr);
  }
}

// Enters `path` into the table; the slot, or null when the table is full
// or the path too long (the file is then not removed by an interrupt).
PendingFile* enterPending(const std::string& path) {
  handleInterrupts();
  if (path.size() >= PATH_MAX) return nullptr;
  for (PendingFile& file : pendingFiles) {
    if (file.used.load()) continue;
    std::memcpy(file.path, path.c_str(), path.size() + 1);
    file.used.store(true);
    return &file;
  }
  return nullptr;
}

void clearPending(PendingFile*& file) {
  if (file != nullptr) file->used.store(false);
  file = nullptr;
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

struct OutputFile::State {
  std::string path;        // as given, for messages
  std::string target;      // what the temporary file is renamed to
  std::string temporary;   // empty: written directly
  PendingFile* pending = nullptr;
  int fd = -1;
};

namespace {

// Opens what `path` names (a device, a pipe, a directory that then refuses)
// to be written directly, as a stream.
void openDirectly(OutputFile::State& state, const ReplaceCheck& check) {
  state.fd = ::open(state.path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (state.fd < 0) failWrite(state.path, errno);
  struct stat st {};
  if (::fstat(state.fd, &st) != 0) failWrite(state.path, errno);
  const FileId id = idOf(st);
  check(&id);
  if (S_ISREG(st.st_mode) && ::ftruncate(state.fd, 0) != 0) failWrite(state.path, errno);
}

// Creates a new file beside the target for its next content (0666 less the
// umask), entered into the table of pending files before it exists.
void createTemporary(OutputFile::State& state) {
  const auto [folder, name] = splitFolder(state.target);
  for (unsigned attempt = 0;; ++attempt) {
    state.temporary = fmt::format("{}/.{}.{}-{}.tmp", folder, name, ::getpid(), attempt);
    clearPending(state.pending);
    state.pending = enterPending(state.temporary);
    state.fd = ::open(state.temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (state.fd >= 0) return;
    const int e = errno;
    clearPending(state.pending);
    state.temporary.clear();
    if (e != EEXIST || attempt == 100) failWrite(state.path, e);
  }
}

// Closes the file and removes the temporary one, if any.
void giveUp(OutputFile::State& state) {
  if (state.fd >= 0) ::close(std::exchange(state.fd, -1));
  if (!state.temporary.empty()) ::unlink(state.temporary.c_str());
  state.temporary.clear();
  clearPending(state.pending);
}

void open(OutputFile::State& state, const ReplaceCheck& check) {
  // A name ending in "/" can only be a directory: the system answers that.
  const std::optional<std::string> target = linkTarget(state.path);
  if (!target || target->empty() || target->back() == '/') return openDirectly(state, check);
  struct stat old {};
  const bool exists = ::stat(target->c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return openDirectly(state, check);
  if (!exists && errno != ENOENT) failWrite(state.path, errno);
  const FileId id = idOf(old);
  check(exists ? &id : nullptr);
  state.target = *target;
  createTemporary(state);
  if (exists) {
    // The replaced file's owner and permissions pass to its successor; an
    // owner this user may not give stays the writer.
    if (::fchown(state.fd, old.st_uid, old.st_gid) != 0) {
    }
    if (::fchmod(state.fd, old.st_mode & 07777) != 0) failWrite(state.path, errno);
  }
}

}  // namespace

OutputFile::OutputFile(const std::string& path, const ReplaceCheck& check) : state_(new State{path, {}, {}}) {
  try {
    open(*state_, check);
  } catch (...) {
    giveUp(*state_);
    delete state_;
    throw;
  }
}

OutputFile::~OutputFile() {
  giveUp(*state_);
  delete state_;
}

void OutputFile::write(std::string_view bytes) {
  if (const int e = writeAll(state_->fd, bytes)) {
    giveUp(*state_);
    failWrite(state_->path, e);
  }
}

void OutputFile::commit() {
  State& state = *state_;
  int e = 0;
  if (!state.temporary.empty() && ::fsync(state.fd) != 0 && errno != EINVAL) e = errno;   // EINVAL: nothing to flush
  if (::close(std::exchange(state.fd, -1)) != 0 && e == 0) e = errno;
  if (e == 0 && !state.temporary.empty() && ::rename(state.temporary.c_str(), state.target.c_str()) != 0) e = errno;
  if (e != 0) {
    giveUp(state);
    failWrite(state.path, e);
  }
  state.temporary.clear();
  clearPending(state.pending);
}

bool isStreamOutput(const std::string& path) {
  try {
    if (!linkTarget(path)) return true;
  } catch (const SystemError&) {
    return false;   // a loop of links: the write says so
  }
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
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

// A text this long goes past the C stream's buffer in one write of its own:
// the buffer would only cut it into pieces, each a write of its own.
constexpr std::size_t kDirectWrite = 8192;

// The errno of a failed direct write to each stream, until a flush reports it.
int directWriteError[2] = {0, 0};

std::FILE* fileOf(Stream stream) { return stream == Stream::Out ? stdout : stderr; }
int& directErrorOf(Stream stream) { return directWriteError[stream == Stream::Out ? 0 : 1]; }

}  // namespace

void captureStreams(StreamCapture* into) { capture = into; }

bool hasConsoleConversion() { return false; }

void initStreams() {}

void setConsoleConversion(bool) {}

bool isTerminal(Stream stream) { return capture == nullptr && ::isatty(::fileno(fileOf(stream))) == 1; }

void writeStream(Stream stream, std::string_view text) {
  if (capture != nullptr) {
    (stream == Stream::Out ? capture->out : capture->err).append(text);
  } else if (text.size() >= kDirectWrite) {
    std::FILE* file = fileOf(stream);
    std::fflush(file);   // what the C stream holds comes first
    if (const int e = writeAll(::fileno(file), text); e != 0 && directErrorOf(stream) == 0) directErrorOf(stream) = e;
  } else if (!text.empty()) {
    std::fwrite(text.data(), 1, text.size(), fileOf(stream));
  }
}

std::optional<std::string> flushStream(Stream stream) {
  if (capture != nullptr) return std::nullopt;
  std::FILE* file = fileOf(stream);
  const int direct = std::exchange(directErrorOf(stream), 0);
  if (std::fflush(file) == 0 && std::ferror(file) == 0) {
    if (direct == 0) return std::nullopt;
    return reason(direct);
  }
  const int e = errno;
  std::clearerr(file);
  return reason(direct != 0 ? direct : e);
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
