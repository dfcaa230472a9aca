// The operating system's services marvolt uses: the status and identity of
// files, whole-file reading, read-only mapping, directory listing, the
// working directory, output files replaced whole, paths, the command line
// and the console. One interface: platform_posix.cpp and platform_win32.cpp
// implement it, one of them chosen at build time; nothing else in marvolt
// includes a header of the operating system.
//
// Paths and texts are UTF-8 on every system. A failure is an Error whose
// reason is worded as the GNU C library words it ("No such file or
// directory", "Permission denied"), so that both builds print the same
// messages for the same cause.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace marvolt::platform {

// ---------------------------------------------------------------- files

/// What a path leads to, through symbolic links.
enum class FileKind { Missing, Regular, Directory, Other };

/// The identity of a file: the same for every name that leads to it.
struct FileId {
  std::uint64_t device = 0;   ///< POSIX st_dev; Win32 volume serial number
  std::uint64_t index = 0;    ///< POSIX st_ino; Win32 file index
  bool operator==(const FileId&) const = default;
};

/// The status of a path, through symbolic links.
struct FileStatus {
  FileKind kind = FileKind::Missing;
  FileId id;            ///< meaningful unless `kind` is Missing
  std::string error;    ///< for Missing: why the status could not be read
};

/// The status of `path`, following symbolic links.
FileStatus fileStatus(const std::string& path);

/// The whole content of the file `path`, bytes as they are; throws Error
/// carrying the reason alone ("No such file or directory").
std::string readFile(const std::string& path);

/// A whole file mapped read-only, released on destruction; an empty file
/// maps to no bytes.
class MappedFile {
 public:
  MappedFile() = default;
  /// Maps `path` as a whole; throws Error "Could not open file P (reason)",
  /// "Could not read the size of file P (reason)" or "Could not map file P (reason)".
  explicit MappedFile(const std::string& path);
  ~MappedFile() { release(); }
  MappedFile(MappedFile&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
  MappedFile& operator=(MappedFile&& other) noexcept {
    if (this != &other) {
      release();
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
    }
    return *this;
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  /// The mapped bytes.
  std::span<const std::uint8_t> bytes() const { return {data_, size_}; }

 private:
  /// Unmaps the bytes (the one part each system does its own way).
  void release();
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

/// The names in the directory `dir`, without "." and "..", in the order the
/// system lists them; throws Error "dir: reason".
std::vector<std::string> listDirectory(const std::string& dir);

/// Makes the directory `path` unless a directory is there already; throws
/// Error "path: reason" (a file of another kind there: "Not a directory").
void makeDirectory(const std::string& path);

/// Called with the identity of the file an output is about to replace (null
/// when there is none yet), before anything is written; may throw to refuse.
using ReplaceCheck = std::function<void(const FileId* existing)>;

/// Writes `text` as the whole content of the file `path`.
///
/// A regular file, or a name where nothing is, is written to a temporary file
/// in the same folder (the folder of the file a symbolic link leads to, so
/// the link stays) and renamed over it only once the whole text is written
/// and flushed; a replaced file's permissions are kept. On failure the
/// temporary file is removed and the old file is left as it was. Anything
/// else (a device, a pipe, /dev/stdout) is opened and written directly, as
/// a stream. Throws Error "path: reason".
void replaceFile(const std::string& path, std::string_view text, const ReplaceCheck& check);

/// Asks the system to give the memory [data, data + size) its pages now
/// rather than one at a time as they are first written; a hint, which a
/// system may ignore.
void prefaultPages(void* data, std::size_t size);

// ---------------------------------------------------------------- paths

/// Whether `c` separates the components of a path: '/', and on Windows '\\' too.
bool isSeparator(char c);

/// Whether `path` is absolute: on POSIX it begins with "/"; on Windows it
/// begins with a drive letter and a separator ("C:\", "C:/"), or is a UNC
/// path ("\\server\share"), or begins with a separator.
bool isAbsolutePath(std::string_view path);

/// The current working directory; throws Error "Cannot read the working directory (reason)".
std::string workingDirectory();

/// The name a program was started by: `argv0` without its folders, and on
/// Windows without a final ".exe" in any case.
std::string programName(std::string_view argv0);

/// The program's arguments after the program name, as UTF-8 (on Windows read
/// from the wide command line, so that any file name can be given).
std::vector<std::string> arguments(int argc, char** argv);

// ---------------------------------------------------------------- console

/// Whether this system has the console conversion that "--no-std-conv"
/// turns off (Windows only): elsewhere that argument is an invalid option.
bool hasConsoleConversion();

/// Prepares standard input, output and error: binary mode on Windows (no CR
/// is added before LF, a Ctrl-Z byte is data); nothing on POSIX.
void initStreams();

/// Whether console text is converted for display: on Windows, UTF-8 shown on
/// a console through its wide interface, whatever its code page (the default);
/// off, the bytes reach the console as they are. No effect on POSIX.
void setConsoleConversion(bool on);

/// Whether `stream` (stdout or stderr) is a terminal (a console on Windows).
bool isTerminal(std::FILE* stream);

/// Writes UTF-8 `text` to `stream` (stdout or stderr): to a Windows console
/// as UTF-16 when conversion is on, else the bytes unchanged through the C
/// stream and its buffering. Failures are left for the caller to find with
/// std::ferror after a flush.
void writeStream(std::FILE* stream, std::string_view text);

}  // namespace marvolt::platform
