// The two console writers: every byte marvolt writes to a terminal stream
// goes through `cout` (standard output) or `cerr` (standard error).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "frontend/telvo.hpp"
#include "platform/platform.hpp"

namespace marvolt {

/// A writer bound to standard output or standard error. Each call hands its
/// text to the stream in one block write; write errors are ignored. A writer
/// of messages shows every control character of a line's text as U+FFFD:
/// a name read from a file cannot steer the terminal or split the line.
class ConsoleOutput {
 public:
  /// Binds the writer to `stream`; `messages` shows the control characters.
  ConsoleOutput(platform::Stream stream, bool messages) : stream_(stream), messages_(messages) {}
  virtual ~ConsoleOutput() = default;
  ConsoleOutput(const ConsoleOutput&) = delete;
  ConsoleOutput& operator=(const ConsoleOutput&) = delete;

  /// Writes the text as it is.
  void write(std::string_view text);
  /// Writes the text and a line break.
  void writeln(std::string_view text);
  /// Writes the formatted text, no line break.
  template <typename... A>
  void writef(std::string_view format, const A&... args) {
    const FmtArg list[] = {FmtArg(args)...};
    emitLine(formatLang(format, list), false);
  }
  /// Writes the formatted text and a line break.
  template <typename... A>
  void writefln(std::string_view format, const A&... args) {
    const FmtArg list[] = {FmtArg(args)...};
    emitLine(formatLang(format, list), true);
  }
  /// Hands anything pending to the stream and flushes it.
  virtual void flush();

 private:
  void emit(std::string text);
  /// Emits a line's text, shown as the writer shows it, and the line break when `ended`.
  void emitLine(std::string text, bool ended);
  std::string buffer_;
  std::size_t pos_ = 0;
  platform::Stream stream_;
  bool messages_;
};

/// The writer of standard output.
extern ConsoleOutput cout;
/// The writer of standard error.
extern ConsoleOutput cerr;

}  // namespace marvolt
