// The one error hierarchy of marvolt: every failure is an Error carrying its
// message; the driver prints the message and picks the exit status. Beside
// it, the exit statuses a run ends with.
#pragma once

#include <stdexcept>
#include <string>

namespace marvolt {

/// The status a run of either program ends with.
enum class ExitStatus : int {
  Success = 0,        ///< a report written, also --help and --version
  Failure = 1,        ///< a missing, unusable or damaged replay; any error reading or writing
  Carset = 2,         ///< the carset file missing or not readable as a carset
  NoArgument = 3,     ///< no argument at all: the usage was printed
  Declined = 4,       ///< the overwrite question was not answered y
  Invalid = -1,       ///< an invalid option or combination (255 as a process status)
};

/// The status a process ends with for `status`: its low 8 bits, so that
/// Invalid gives 255 on every system.
constexpr int processStatus(ExitStatus status) { return static_cast<int>(status) & 0xFF; }

/// A failure that ends the run; message() is the text shown to the user.
class Error : public std::runtime_error {
 public:
  /// Makes an error with the given message.
  explicit Error(const std::string& message) : std::runtime_error(message), message_(message) {}
  /// The whole message. Unlike what(), it does not end at a NUL byte, which
  /// a label copied from a damaged file may hold.
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

/// A fatal error that ends the run with its own exit status: the program's
/// top level prints "Error: " and the message, and ends with the status.
class ExitError : public Error {
 public:
  /// An error ending the run with `status`.
  ExitError(ExitStatus status, const std::string& message) : Error(message), status_(status) {}
  /// The exit status the run ends with.
  ExitStatus status() const { return status_; }

 private:
  ExitStatus status_;
};

/// The status of a path could not be read (no such file, no permission).
class FileSystemError : public Error {
 public:
  using Error::Error;
};

/// A format of the program's format language found no argument or was malformed.
class FormatError : public Error {
 public:
  using Error::Error;
};

/// Ends the process after a broken internal precondition (a programming error).
[[noreturn]] void internalError(const char* what, const char* file, int line);

}  // namespace marvolt

/// Checks an internal precondition that the program's own flow never violates.
#define MARVOLT_ASSERT(cond, what) \
  ((cond) ? static_cast<void>(0) : ::marvolt::internalError(what, __FILE_NAME__, __LINE__))
