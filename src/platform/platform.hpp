// The operating system's services marvolt uses: the status and identity of
// files, whole-file reading, read-only mapping, directory listing, the
// working directory, output files replaced whole, paths, the command line
// and the console. One interface: platform_posix.cpp and platform_win32.cpp
// implement it, one of them chosen at build time; nothing else in marvolt
// includes a header of the operating system.
//
// Paths and texts are UTF-8 on every system. A failure is a value or a
// SystemError carrying the reason as the GNU C library words it ("No such
// file or directory", "Permission denied"), so that both builds print the
// same messages for the same cause; the caller words the message. This
// layer depends on nothing else of marvolt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace marvolt::platform {

// ---------------------------------------------------------------- failures

/// What the system was asked to do when it failed.
enum class Operation { Open, ReadSize, Map, Read, List, MakeDirectory, Write, WorkingDirectory };

/// A request the system refused: what was asked, of which path, and the
/// system's reason. what() is "path: reason", or the reason alone without a path.
class SystemError : public std::runtime_error {
 public:
  /// The failure of `operation` on `path` (may be empty) for `reason`.
  SystemError(Operation operation, std::string path, std::string reason)
      : std::runtime_error(path.empty() ? reason : path + ": " + reason),
        operation_(operation), path_(std::move(path)), reason_(std::move(reason)) {}
  /// What was asked.
  Operation operation() const { return operation_; }
  /// The path it was asked of; empty when none.
  const std::string& path() const { return path_; }
  /// The reason, as the GNU C library words it.
  const std::string& reason() const { return reason_; }

 private:
  Operation operation_;
  std::string path_;
  std::string reason_;
};

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

/// The whole content of the file `path`, bytes as they are; throws
/// SystemError (Open or Read) on failure.
std::string readFile(const std::string& path);

/// A whole file mapped read-only, released on destruction; an empty file
/// maps to no bytes.
class MappedFile {
 public:
  MappedFile() = default;
  /// Maps `path` as a whole; throws SystemError (Open, ReadSize or Map) on failure.
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
/// system lists them; throws SystemError (List).
std::vector<std::string> listDirectory(const std::string& dir);

/// Makes the directory `path` unless a directory is there already; throws
/// SystemError (MakeDirectory; a file of another kind there: "Not a directory").
void makeDirectory(const std::string& path);

/// Called with the identity of the file an output is about to replace (null
/// when there is none yet), before anything is written; may throw to refuse.
using ReplaceCheck = std::function<void(const FileId* existing)>;

/// An output file written as a stream of pieces.
///
/// A regular file, or a name where nothing is, is written to a temporary file
/// in the same folder (the folder of the file a symbolic link leads to, so
/// the link stays) and renamed over it by commit() only once the whole text
/// is written and flushed; a replaced file's permissions are kept. An output
/// file given up (destroyed before commit(), or failing) removes its
/// temporary file and leaves the old file as it was; so does an interrupt
/// (Ctrl-C, a termination request, the terminal or console closing), after
/// which the program ends as the interrupt asks. Anything else (a device, a
/// pipe, /dev/stdout) is opened and written directly, as a stream.
class OutputFile {
 public:
  /// Opens the output `path`, after `check` has seen what it replaces;
  /// throws SystemError (Write) on failure.
  OutputFile(const std::string& path, const ReplaceCheck& check);
  /// Gives the output up unless it was committed.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  /// Appends `bytes`; throws SystemError (Write) on failure.
  void write(std::string_view bytes);
  /// Flushes the text and puts it in place; throws SystemError (Write) on failure.
  void commit();

  /// What an open output file holds: each system's own.
  struct State;

 private:
  State* state_;
};

/// Writes `text` as the whole content of the file `path`, as OutputFile does.
inline void replaceFile(const std::string& path, std::string_view text, const ReplaceCheck& check) {
  OutputFile file(path, check);
  file.write(text);
  file.commit();
}

/// Whether writing to `path` writes into a stream that holds nothing to
/// lose: a device, a pipe, or one of this process's own open files
/// (/dev/stdout, /dev/fd/N, /proc/self/fd/N), whatever that file is.
bool isStreamOutput(const std::string& path);

// ---------------------------------------------------------------- paths

/// Whether `c` separates the components of a path: '/', and on Windows '\\' too.
bool isSeparator(char c);

/// Whether `path` is absolute: on POSIX it begins with "/"; on Windows it
/// begins with a drive letter and a separator ("C:\", "C:/"), or is a UNC
/// path ("\\server\share"), or begins with a separator.
bool isAbsolutePath(std::string_view path);

/// The current working directory; throws SystemError (WorkingDirectory) on failure.
std::string workingDirectory();

/// `dir` and the name `name` in it, joined by "/" unless `dir` ends in a separator.
inline std::string joinPath(const std::string& dir, std::string_view name) {
  std::string path = dir;
  if (path.empty() || !isSeparator(path.back())) path += '/';
  return path.append(name);
}

/// The name a program was started by: `argv0` without its folders, and on
/// Windows without a final ".exe" in any case.
std::string programName(std::string_view argv0);

/// The program's arguments after the program name, as UTF-8 (on Windows read
/// from the wide command line, so that any file name can be given).
std::vector<std::string> arguments(int argc, char** argv);

// ---------------------------------------------------------------- console

/// The two standard streams a program writes to.
enum class Stream { Out, Err };

/// A program's standard streams held in memory, for running a program inside
/// another (its tests): what it writes, and what it reads.
struct StreamCapture {
  std::string out;                    ///< what was written to standard output
  std::string err;                    ///< what was written to standard error
  std::optional<std::string> input;   ///< standard input; none: closed (end of input at once)
  std::size_t inputRead = 0;          ///< how much of `input` was read
};

/// Sends standard output and error into `capture`, and reads standard input
/// from it, until called with null, which gives back the process's own streams.
void captureStreams(StreamCapture* capture);

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

/// Whether `stream` is a terminal (a console on Windows).
bool isTerminal(Stream stream);

/// Writes UTF-8 `text` to `stream`: to a Windows console as UTF-16 when
/// conversion is on, else the bytes unchanged through the C stream and its
/// buffering. A failure is found by the next flushStream.
void writeStream(Stream stream, std::string_view text);

/// Flushes `stream`; the reason of a failure of this or an earlier write
/// since the last flush (and forgets it), or nothing when all went well.
std::optional<std::string> flushStream(Stream stream);

/// The next byte of standard input; none at its end or on a failure.
std::optional<char> readInputByte();

}  // namespace marvolt::platform
