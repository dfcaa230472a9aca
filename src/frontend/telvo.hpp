// Diagnostics, the program's format language, and the conversions between
// the game's single-byte text, wide (UTF-16) text and UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "frontend/error.hpp"

namespace marvolt {

/// One argument of the format language: a text (UTF-8 or wide) or an integer.
/// Holds a view: the argument must outlive the formatting call.
class FmtArg {
 public:
  /// A UTF-8 text argument.
  FmtArg(std::string_view text) : kind_(Kind::Text), text_(text) {}
  /// A UTF-8 text argument from a C string.
  FmtArg(const char* text) : FmtArg(std::string_view(text)) {}
  /// A UTF-8 text argument from a string.
  FmtArg(const std::string& text) : FmtArg(std::string_view(text)) {}
  /// A wide text argument.
  FmtArg(std::u16string_view wide) : kind_(Kind::Wide), wide_(wide) {}
  /// A wide text argument from a C string.
  FmtArg(const char16_t* wide) : FmtArg(std::u16string_view(wide)) {}
  /// A wide text argument from a string.
  FmtArg(const std::u16string& wide) : FmtArg(std::u16string_view(wide)) {}
  /// An integer argument; remembers its width for binary and hexadecimal.
  template <typename T>
    requires std::is_integral_v<T>
  FmtArg(T value)
      : kind_(std::is_signed_v<T> && !std::is_same_v<T, bool> ? Kind::Signed : Kind::Unsigned),
        int_(static_cast<std::int64_t>(value)),
        bits_(static_cast<int>(sizeof(T) * 8)) {}

  /// Whether the argument is a text (and so can stand as a format).
  bool isText() const { return kind_ == Kind::Text || kind_ == Kind::Wide; }
  /// The argument as UTF-8 text (a text as is, an integer in decimal).
  std::string toText() const;
  /// Formats the argument for one conversion directive.
  void format(std::string& out, char conv, bool left, bool zero, int width, int precision) const;

 private:
  enum class Kind { Text, Wide, Signed, Unsigned };
  void formatInteger(std::string& out, char conv, bool left, bool zero, int width) const;
  Kind kind_;
  std::string_view text_;
  std::u16string_view wide_;
  std::int64_t int_ = 0;
  int bits_ = 64;
};

/// Formats `args` by the printf-like `format`; sets `used` to the number of
/// arguments taken. Throws FormatError for a directive without argument.
std::string formatLang(std::string_view format, std::span<const FmtArg> args, std::size_t& used);

/// Formats `args` by `format`; every argument must be used.
std::string formatLang(std::string_view format, std::span<const FmtArg> args);

/// Called after a value was put into `out`; its text starts at `valueStart`.
using ValueHook = void (*)(std::string& out, std::size_t valueStart);

/// Appends the text of formatLang(format, args, used) to `out`, calling
/// `afterValue` (when given) after each value.
void formatLangTo(std::string& out, std::string_view format, std::span<const FmtArg> args, std::size_t& used,
                  ValueHook afterValue = nullptr);

/// Appends the text of formatLang(format, args) to `out`, calling
/// `afterValue` (when given) after each value.
void formatLangTo(std::string& out, std::string_view format, std::span<const FmtArg> args,
                  ValueHook afterValue = nullptr);

/// The format of a diagnostic: a literal of the program. A text made while
/// the program runs (a path, a message) is never a format: it is an argument
/// of one, so that a "%" in it prints as it is.
class DiagFormat {
 public:
  /// The format `text`, which must be a literal.
  consteval DiagFormat(const char* text) : text_(text) {}
  /// The format's text.
  std::string_view text() const { return text_; }

 private:
  std::string_view text_;
};

/// Composes a diagnostic message: `format` takes the arguments its
/// conversions ask for; the arguments left print as they are, in order.
std::string formatErr(DiagFormat format, std::span<const FmtArg> args);

/// Prints "Warning: (file:line) message" on standard error and returns.
void warnArgs(const char* file, int line, DiagFormat format, std::span<const FmtArg> args);

/// Ends the run with `status`: throws the ExitError that the program's top
/// level prints as "Error: message" on standard error.
[[noreturn]] void errArgs(ExitStatus status, DiagFormat format, std::span<const FmtArg> args);

/// Warning with the caller's source position; see warnArgs.
template <typename... A>
void warn(const char* file, int line, DiagFormat format, const A&... args) {
  const FmtArg list[] = {FmtArg(args)..., FmtArg(0)};
  warnArgs(file, line, format, std::span<const FmtArg>(list, sizeof...(A)));
}

/// Fatal error with an exit status; see errArgs.
template <typename... A>
[[noreturn]] void err(ExitStatus status, DiagFormat format, const A&... args) {
  const FmtArg list[] = {FmtArg(args)..., FmtArg(0)};
  errArgs(status, format, std::span<const FmtArg>(list, sizeof...(A)));
}

/// Wide text of NUL-terminated Windows-1252 bytes; null gives empty text.
std::u16string fromCodePage(const char* bytes);

/// Wide text of a fixed-width Windows-1252 field, ending at its first NUL.
std::u16string fromCodePage(std::span<const std::uint8_t> field);

/// UTF-8 text of Windows-1252 bytes, ending at the first NUL.
std::string fromCodePageUtf8(std::string_view bytes);

/// The Unicode character of one Windows-1252 byte. The five bytes the code
/// page leaves undefined give the C1 control character of the same number.
char16_t cp1252ToUnicode(std::uint8_t byte);

/// Appends the UTF-8 form of wide text (unpaired surrogates give U+FFFD).
void appendUtf8(std::string& out, std::u16string_view wide);

/// Whether `c` is a control character: C0 (U+0000 to U+001F), DEL or C1
/// (U+0080 to U+009F).
constexpr bool isControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

/// Appends wide text as appendUtf8 does, but each control character as
/// U+FFFD: a text read from a file is shown, never obeyed, on a terminal.
void appendShown(std::string& out, std::u16string_view wide);

/// Replaces each control character of the UTF-8 text `utf8` from byte
/// `from` on by U+FFFD; malformed bytes stay as they are.
void showControls(std::string& utf8, std::size_t from = 0);

/// UTF-8 form of wide text.
std::string toUtf8(std::u16string_view wide);

/// Wide form of UTF-8 text (malformed bytes give U+FFFD).
std::u16string toUtf16(std::string_view utf8);

/// Length of UTF-8 text counted in UTF-16 units.
std::size_t utf16Length(std::string_view utf8);

/// Appends wide text as appendShown does, padded with spaces to `width`
/// UTF-16 units, right-aligned unless `left`; a longer text is written whole.
void appendPadded(std::string& out, std::u16string_view wide, std::size_t width, bool left);

/// Appends UTF-8 text padded with spaces to `width` UTF-16 units.
void appendPadded(std::string& out, std::string_view utf8, std::size_t width, bool left);

/// Appends wide text cut to `maxUnits` UTF-16 units and padded to `width`.
void appendPaddedCut(std::u16string& out, std::u16string_view wide, std::size_t width,
                     std::size_t maxUnits, bool left);

/// Lower-case form of wide text, code point by code point.
std::u16string toLowerWide(std::u16string_view wide);

}  // namespace marvolt

/// Issues a warning that names the statement raising it.
#define MARVOLT_WARN(...) ::marvolt::warn(__FILE_NAME__, __LINE__, __VA_ARGS__)
