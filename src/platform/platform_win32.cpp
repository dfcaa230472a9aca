// The platform layer on Windows. Every path and text is UTF-8 inside marvolt
// and UTF-16 at the system's wide ("W") interface, so any file name works
// whatever the system's ANSI code page is. A failure's reason is worded as
// the GNU C library words the same cause, so that both builds print the
// same messages.
#include "platform/platform.hpp"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <climits>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include <fmt/format.h>

namespace marvolt::platform {

namespace {

// ---------------------------------------------------------------- text

// The UTF-16 form of UTF-8 text; an invalid sequence becomes U+FFFD.
std::wstring toWide(std::string_view utf8) {
  std::wstring out;
  if (utf8.empty()) return out;
  const int size = static_cast<int>(std::min<std::size_t>(utf8.size(), INT_MAX));
  const int count = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  out.resize(static_cast<std::size_t>(count));
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), count);
  return out;
}

// The UTF-8 form of UTF-16 text.
std::string toUtf8(std::wstring_view wide) {
  std::string out;
  if (wide.empty()) return out;
  const int size = static_cast<int>(std::min<std::size_t>(wide.size(), INT_MAX));
  const int count = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(count));
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), count, nullptr, nullptr);
  return out;
}

bool isWideSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

// The wide form of a path for the file functions. A path too long for the
// classic limit of 260 characters is made absolute and given the "\\?\"
// prefix, which lifts the limit.
std::wstring widePath(const std::string& path) {
  std::wstring wide = toWide(path);
  constexpr std::size_t kClassicLimit = MAX_PATH - 12;   // room for a short name a folder may get
  if (wide.size() < kClassicLimit || wide.starts_with(L"\\\\?\\")) return wide;
  const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return wide;
  std::wstring full(size, L'\0');
  const DWORD length = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return wide;
  full.resize(length);
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);   // \\server\share
  return L"\\\\?\\" + full;
}

// ---------------------------------------------------------------- reasons

// The GNU C library's wording of the error a Win32 error code stands for.
std::string reasonOf(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_MOD_NOT_FOUND: return "No such file or directory";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_CANNOT_MAKE:
    case ERROR_DELETE_PENDING: return "Permission denied";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return "File exists";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "No space left on device";
    case ERROR_DIRECTORY: return "Not a directory";
    case ERROR_DIR_NOT_EMPTY: return "Directory not empty";
    case ERROR_WRITE_PROTECT: return "Read-only file system";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_COMMITMENT_LIMIT:
    case ERROR_NOT_ENOUGH_QUOTA: return "Cannot allocate memory";
    case ERROR_TOO_MANY_OPEN_FILES: return "Too many open files";
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW: return "File name too long";
    case ERROR_NOT_SAME_DEVICE: return "Invalid cross-device link";
    case ERROR_INVALID_HANDLE: return "Bad file descriptor";
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA: return "Broken pipe";
    case ERROR_INVALID_PARAMETER: return "Invalid argument";
    case ERROR_FILE_TOO_LARGE: return "File too large";
    case ERROR_NOT_SUPPORTED: return "Operation not supported";
    case ERROR_BUSY: return "Device or resource busy";
    case ERROR_CANT_RESOLVE_FILENAME: return "Too many levels of symbolic links";
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST: return "No such device";
    case ERROR_CRC:
    case ERROR_SEEK:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE: return "Input/output error";
    default: break;
  }
  // No C library counterpart: the system's own English text, on one line.
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason = length > 0 ? toUtf8(std::wstring_view(text, length)) : std::string();
  if (text != nullptr) ::LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) reason.pop_back();
  return reason.empty() ? fmt::format("Unknown error {}", code) : reason;
}

// The attributes of `path` itself (a link is not followed), or none.
DWORD attributesOf(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()); }

bool isDirectoryAttr(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Whether a folder component of `path` (a part before a separator) is
// something other than a directory, as with "race.rpy/x" or "race.rpy/".
bool hasNonDirectoryFolder(const std::wstring& path) {
  for (std::size_t i = 1; i < path.size(); ++i) {
    if (!isWideSeparator(path[i]) || isWideSeparator(path[i - 1])) continue;
    const DWORD attributes = attributesOf(path.substr(0, i));
    if (attributes != INVALID_FILE_ATTRIBUTES && !isDirectoryAttr(attributes)) return true;
  }
  return false;
}

// The reason for a failure `code` on `path`: the code's reason, with the
// causes that the C library names more exactly told apart.
std::string reasonFor(DWORD code, const std::wstring& path) {
  const bool notFound = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME ||
                        code == ERROR_DIRECTORY;
  if (notFound && hasNonDirectoryFolder(path)) return "Not a directory";
  // Windows refuses to open a directory as a file; the C library opens it
  // and then finds it is a directory.
  if (code == ERROR_ACCESS_DENIED && isDirectoryAttr(attributesOf(path))) return "Is a directory";
  return reasonOf(code);
}

// ---------------------------------------------------------------- handles

// A Win32 handle, closed when leaving scope.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~Handle() {
    if (handle_ != nullptr) ::CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  explicit operator bool() const { return handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  /// Closes the handle now; false when closing failed.
  bool close() { return ::CloseHandle(std::exchange(handle_, nullptr)) != 0; }

 private:
  HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens what `path` leads to (through links), a directory too, for reading its attributes.
HANDLE openForStatus(const std::wstring& path) {
  return ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Opens the file `path` for reading.
HANDLE openForReading(const std::wstring& path) {
  return ::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool endsWithSeparator(std::string_view path) { return !path.empty() && isSeparator(path.back()); }

// The status of the file `handle` is open on; `path` names it.
FileStatus statusOfHandle(HANDLE handle, std::string_view path) {
  FileStatus status;
  if (::GetFileType(handle) != FILE_TYPE_DISK) {   // a device or a pipe
    status.kind = FileKind::Other;
    return status;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(handle, &info) == 0) {
    status.error = reasonOf(::GetLastError());
    return status;
  }
  status.id = {info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    status.kind = FileKind::Directory;
  } else if (endsWithSeparator(path)) {   // "race.rpy/" names no directory
    status.error = "Not a directory";
  } else {
    status.kind = FileKind::Regular;
  }
  return status;
}

// Writes all of `text` to `file`; false (with the system's error set) on failure.
bool writeAll(HANDLE file, std::string_view text) {
  while (!text.empty()) {
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1u << 30));
    DWORD written = 0;
    if (::WriteFile(file, text.data(), size, &written, nullptr) == 0) return false;
    if (written == 0) {
      ::SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    text.remove_prefix(written);
  }
  return true;
}

[[noreturn]] void throwPathError(const std::string& path, const std::string& reason,
                                 Operation operation = Operation::Write) {
  throw SystemError(operation, path, reason);
}

// ---------------------------------------------------------------- output files

// The path an output file is written to: that of the file a symbolic link
// leads to, so that the link stays; the path itself otherwise.
std::wstring outputTarget(const std::wstring& path) {
  const DWORD attributes = attributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return path;
  const Handle file(openForStatus(path));
  if (!file) return path;
  std::wstring target(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetFinalPathNameByHandleW(file.get(), target.data(), static_cast<DWORD>(target.size()),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return path;
    if (length < target.size()) {
      target.resize(length);
      return target;
    }
    target.resize(length + 1);
  }
}

// The folder part of `path`, with its final separator ("" for the current folder).
std::wstring folderOf(const std::wstring& path) {
  std::size_t end = path.size();
  while (end > 0 && !isWideSeparator(path[end - 1]) && path[end - 1] != L':') --end;
  return path.substr(0, end);
}

// Whether the folder that would hold `path` (trailing separators aside) is there.
bool holdingFolderExists(std::wstring path) {
  while (!path.empty() && isWideSeparator(path.back())) path.pop_back();
  const std::wstring folder = folderOf(path);
  return folder.empty() || isDirectoryAttr(attributesOf(folder));
}

// ---------------------------------------------------------------- interrupts

// The temporary files in flight, which an interrupt removes: a fixed table,
// filled before each file is created and cleared once it is renamed or
// removed. The console's handler runs on a thread of its own, so each file
// is opened for deletion by others while it is written.
struct PendingFile {
  std::atomic<bool> used{false};
  wchar_t path[32768] = {};
};
constexpr std::size_t kPendingFiles = 8;
PendingFile pendingFiles[kPendingFiles];

// Removes every temporary file in flight on Ctrl-C, Ctrl-Break or the
// console closing, then leaves the event to the next handler: the system's
// own ends the program as it would have. An ignored Ctrl-C never comes here.
BOOL WINAPI onInterrupt(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
    for (PendingFile& file : pendingFiles) {
      if (file.used.load()) ::DeleteFileW(file.path);
    }
  }
  return FALSE;
}

// Enters `path` into the table (installing the handler, once); the slot,
// or null when the table is full or the path too long.
PendingFile* enterPending(const std::wstring& path) {
  static const bool installed = ::SetConsoleCtrlHandler(onInterrupt, TRUE) != 0;
  static_cast<void>(installed);
  if (path.size() >= std::size(PendingFile{}.path)) return nullptr;
  for (PendingFile& file : pendingFiles) {
    if (file.used.load()) continue;
    std::copy(path.c_str(), path.c_str() + path.size() + 1, file.path);
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

struct OutputFile::State {
  std::string path;          // as given, for messages
  std::wstring target;       // what the temporary file is renamed to
  std::wstring temporary;    // empty: written directly
  PendingFile* pending = nullptr;
  HANDLE file = nullptr;
};

namespace {

// Creates a temporary file beside the target, under a name no other file has.
void createTemporary(OutputFile::State& state) {
  const std::wstring folder = folderOf(state.target);
  const std::wstring base = state.target.substr(folder.size());
  const DWORD process = ::GetCurrentProcessId();
  for (unsigned attempt = 0;; ++attempt) {
    state.temporary = folder + L"." + base + L"." + std::to_wstring(process) + L"-" + std::to_wstring(attempt) + L".tmp";
    clearPending(state.pending);
    state.pending = enterPending(state.temporary);
    const HANDLE file = ::CreateFileW(state.temporary.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      state.file = file;
      return;
    }
    const DWORD code = ::GetLastError();
    clearPending(state.pending);
    const std::wstring failed = std::exchange(state.temporary, std::wstring());
    if (code != ERROR_FILE_EXISTS || attempt == 100) throwPathError(state.path, reasonFor(code, failed));
  }
}

// Opens the device or pipe `path` names, to be written directly.
void openDirectly(OutputFile::State& state, const std::wstring& wide) {
  const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) throwPathError(state.path, reasonFor(::GetLastError(), wide));
  state.file = file;
}

// Closes the file and removes the temporary one, if any.
void giveUp(OutputFile::State& state) {
  if (state.file != nullptr) ::CloseHandle(std::exchange(state.file, nullptr));
  if (!state.temporary.empty()) ::DeleteFileW(state.temporary.c_str());
  state.temporary.clear();
  clearPending(state.pending);
}

[[noreturn]] void failAndGiveUp(OutputFile::State& state, DWORD code) {
  const std::wstring temporary = state.temporary;
  giveUp(state);
  throwPathError(state.path, temporary.empty() ? reasonOf(code) : reasonFor(code, temporary));
}

void open(OutputFile::State& state, const ReplaceCheck& check) {
  const std::wstring wide = widePath(state.path);
  const FileStatus status = fileStatus(state.path);
  const bool identified = status.kind != FileKind::Missing && status.id != FileId{};
  check(identified ? &status.id : nullptr);
  switch (status.kind) {
    case FileKind::Directory: throwPathError(state.path, "Is a directory");
    case FileKind::Other: return openDirectly(state, wide);
    case FileKind::Regular: state.target = outputTarget(wide); break;
    case FileKind::Missing:
      // A file name ending in a separator can only be a directory, as the C library says.
      if (endsWithSeparator(state.path) && holdingFolderExists(wide)) throwPathError(state.path, "Is a directory");
      state.target = wide;
      break;
  }
  createTemporary(state);
}

}  // namespace

// ---------------------------------------------------------------- console

namespace {

bool consoleConversion = true;

StreamCapture* capture = nullptr;

std::FILE* fileOf(Stream stream) { return stream == Stream::Out ? stdout : stderr; }

HANDLE handleOf(std::FILE* stream) { return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream))); }

// Whether the C stream `file` is a console.
bool isConsole(std::FILE* file) {
  DWORD mode = 0;
  return ::GetConsoleMode(handleOf(file), &mode) != 0;
}

// Writes UTF-8 `text` to the console `console` as UTF-16, in pieces that
// end on whole characters; returns how many bytes of `text` were written.
std::size_t writeConsole(HANDLE console, std::string_view text) {
  constexpr std::size_t kPiece = 8192;
  std::size_t done = 0;
  while (done < text.size()) {
    std::size_t end = std::min(text.size(), done + kPiece);
    while (end < text.size() && end > done + 1 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    const std::wstring wide = toWide(text.substr(done, end - done));
    std::size_t sent = 0;
    while (sent < wide.size()) {
      DWORD count = 0;
      if (::WriteConsoleW(console, wide.data() + sent, static_cast<DWORD>(wide.size() - sent), &count, nullptr) ==
              0 ||
          count == 0) {
        return done;   // the caller writes the rest as bytes
      }
      sent += count;
    }
    done = end;
  }
  return done;
}

}  // namespace

// ---------------------------------------------------------------- files

FileStatus fileStatus(const std::string& path) {
  const std::wstring wide = widePath(path);
  const Handle file(openForStatus(wide));
  if (!file) {
    FileStatus status;
    status.error = reasonFor(::GetLastError(), wide);
    return status;
  }
  return statusOfHandle(file.get(), path);
}

std::string readFile(const std::string& path) {
  const std::wstring wide = widePath(path);
  const Handle file(openForReading(wide));
  if (!file) throw SystemError(Operation::Open, {}, reasonFor(::GetLastError(), wide));
  std::string content;
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file.get(), &size) != 0 && size.QuadPart > 0) {
    content.reserve(static_cast<std::size_t>(size.QuadPart));
  }
  char buffer[65536];
  for (;;) {
    DWORD count = 0;
    if (::ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr) == 0) {
      const DWORD code = ::GetLastError();
      if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF) return content;   // the writer closed its end
      throw SystemError(Operation::Read, {}, reasonOf(code));
    }
    if (count == 0) return content;
    content.append(buffer, count);
  }
}

MappedFile::MappedFile(const std::string& path) {
  const std::wstring wide = widePath(path);
  const Handle file(openForReading(wide));
  if (!file) throw SystemError(Operation::Open, path, reasonFor(::GetLastError(), wide));
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file.get(), &size) == 0) {
    throw SystemError(Operation::ReadSize, path, reasonOf(::GetLastError()));
  }
  if (size.QuadPart == 0) return;   // nothing to map: no bytes
  const Handle mapping(::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  const void* view = mapping ? ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
  if (view == nullptr) throw SystemError(Operation::Map, path, reasonOf(::GetLastError()));
  // The view keeps the file mapped after both handles are closed.
  data_ = static_cast<const std::uint8_t*>(view);
  size_ = static_cast<std::size_t>(size.QuadPart);
}

void MappedFile::release() {
  if (data_ != nullptr) ::UnmapViewOfFile(data_);
  data_ = nullptr;
  size_ = 0;
}

std::vector<std::string> listDirectory(const std::string& dir) {
  if (dir.empty()) throwPathError(dir, "No such file or directory", Operation::List);
  std::wstring pattern = widePath(dir);
  const std::wstring folder = pattern;
  if (!isWideSeparator(pattern.back()) && !(pattern.size() == 2 && pattern[1] == L':')) pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW entry{};
  HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
  std::vector<std::string> names;
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    const FileStatus status = fileStatus(dir);
    if (status.kind == FileKind::Directory && code == ERROR_FILE_NOT_FOUND) return names;   // a drive's empty root
    if (status.kind == FileKind::Regular || status.kind == FileKind::Other) throwPathError(dir, "Not a directory", Operation::List);
    throwPathError(dir, reasonFor(code, folder), Operation::List);
  }
  do {
    const std::wstring_view name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(toUtf8(name));
  } while (::FindNextFileW(find, &entry) != 0);
  const DWORD code = ::GetLastError();
  ::FindClose(find);
  if (code != ERROR_NO_MORE_FILES) throwPathError(dir, reasonOf(code), Operation::List);
  return names;
}

void makeDirectory(const std::string& path) {
  const std::wstring wide = widePath(path);
  if (::CreateDirectoryW(wide.c_str(), nullptr) != 0) return;
  const DWORD code = ::GetLastError();
  if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) {
    if (fileStatus(path).kind == FileKind::Directory) return;
    throwPathError(path, "Not a directory", Operation::MakeDirectory);
  }
  throwPathError(path, reasonFor(code, wide), Operation::MakeDirectory);
}

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
  if (!writeAll(state_->file, bytes)) failAndGiveUp(*state_, ::GetLastError());
}

void OutputFile::commit() {
  State& state = *state_;
  if (state.temporary.empty()) {
    if (::CloseHandle(std::exchange(state.file, nullptr)) == 0) failAndGiveUp(state, ::GetLastError());
    return;
  }
  if (::FlushFileBuffers(state.file) == 0) failAndGiveUp(state, ::GetLastError());
  if (::CloseHandle(std::exchange(state.file, nullptr)) == 0) failAndGiveUp(state, ::GetLastError());
  // A replaced file's attributes are kept, all but read-only: the rename
  // over a read-only file is refused, as the user asked for.
  const DWORD old = attributesOf(state.target);
  if (old != INVALID_FILE_ATTRIBUTES) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if ((old & kKept) != 0) ::SetFileAttributesW(state.temporary.c_str(), (old & kKept) | FILE_ATTRIBUTE_ARCHIVE);
  }
  if (::MoveFileExW(state.temporary.c_str(), state.target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ==
      0) {
    failAndGiveUp(state, ::GetLastError());
  }
  state.temporary.clear();
  clearPending(state.pending);
}

bool isStreamOutput(const std::string& path) { return fileStatus(path).kind == FileKind::Other; }

// ---------------------------------------------------------------- paths

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool isAbsolutePath(std::string_view path) {
  if (!path.empty() && isSeparator(path[0])) return true;   // "\\server\share", "\folder" on the current drive
  const bool driveLetter = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return driveLetter && path[1] == ':' && isSeparator(path[2]);
}

std::string workingDirectory() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) {
      throw SystemError(Operation::WorkingDirectory, {}, reasonOf(::GetLastError()));
    }
    if (length < buffer.size()) {
      buffer.resize(length);
      return toUtf8(buffer);
    }
    buffer.resize(length);   // the size asked for, terminator included
  }
}

std::string programName(std::string_view argv0) {
  std::size_t start = argv0.size();
  while (start > 0 && !isSeparator(argv0[start - 1]) && argv0[start - 1] != ':') --start;
  std::string name(argv0.substr(start));
  constexpr std::string_view kExe = ".exe";
  if (name.size() > kExe.size()) {
    const bool exe = std::equal(kExe.begin(), kExe.end(), name.end() - kExe.size(), [](char want, char c) {
      return want == (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    });
    if (exe) name.resize(name.size() - kExe.size());
  }
  return name;
}

std::vector<std::string> arguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(toUtf8(wide[i]));
  ::LocalFree(wide);
  return args;
}

// ---------------------------------------------------------------- console

void captureStreams(StreamCapture* into) { capture = into; }

bool hasConsoleConversion() { return true; }

void initStreams() {
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
}

void setConsoleConversion(bool on) { consoleConversion = on; }

bool isTerminal(Stream stream) { return capture == nullptr && isConsole(fileOf(stream)); }

void writeStream(Stream stream, std::string_view text) {
  if (capture != nullptr) {
    (stream == Stream::Out ? capture->out : capture->err).append(text);
    return;
  }
  if (text.empty()) return;
  std::FILE* file = fileOf(stream);
  if (consoleConversion && isConsole(file)) {
    std::fflush(file);   // what the C stream holds comes first
    text.remove_prefix(writeConsole(handleOf(file), text));
    if (text.empty()) return;
  }
  std::fwrite(text.data(), 1, text.size(), file);
}

std::optional<std::string> flushStream(Stream stream) {
  if (capture != nullptr) return std::nullopt;
  std::FILE* file = fileOf(stream);
  if (std::fflush(file) == 0 && std::ferror(file) == 0) return std::nullopt;
  const int e = errno;
  std::clearerr(file);
  return std::string(std::strerror(e));
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
