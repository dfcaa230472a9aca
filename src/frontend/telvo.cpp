#include "frontend/telvo.hpp"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <iterator>
#include <vector>

#include <fmt/format.h>

#include "frontend/console.hpp"
#include "frontend/error.hpp"
#include "platform/platform.hpp"

namespace marvolt {

namespace {

// Characters of Windows-1252 bytes 0x80 to 0x9F; undefined bytes keep their number.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendCodePoint(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at `i`, advancing it; malformed input gives U+FFFD.
char32_t decodeUtf8(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i++]);
  if (b0 < 0x80) return b0;
  int extra = 0;
  char32_t cp = 0;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, cp = b0 & 0x07;
  } else {
    return 0xFFFD;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0xFFFD;
    cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  }
  return cp > 0x10FFFF ? 0xFFFD : cp;
}

// Parses the conversion directive after a '%' at `i`; appends its text.
struct Spec {
  bool left = false;
  bool zero = false;
  int width = 0;
  int precision = -1;
  char conv = 0;
};

// Widths and precisions stop growing here: a count in a format must neither
// overflow nor ask for gigabytes of padding.
constexpr int kMaxCount = 1 << 20;

// Reads the decimal digits at `i` (none gives 0), saturating at kMaxCount.
int parseCount(std::string_view format, std::size_t& i) {
  int count = 0;
  while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
    count = std::min(kMaxCount, count * 10 + (format[i++] - '0'));
  }
  return count;
}

Spec parseSpec(std::string_view format, std::size_t& i) {
  Spec spec;
  for (; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '-') {
      spec.left = true;
    } else if (c == '0') {
      spec.zero = true;
    } else if (c != '+' && c != ' ' && c != '#') {
      break;
    }
  }
  spec.width = parseCount(format, i);
  if (i < format.size() && format[i] == '.') {
    ++i;
    spec.precision = parseCount(format, i);
  }
  if (i >= format.size()) throw FormatError(fmt::format("Incomplete format specifier in \"{}\"", format));
  spec.conv = format[i++];
  return spec;
}

void pad(std::string& out, std::size_t have, int width, char fill = ' ') {
  if (width > 0 && have < static_cast<std::size_t>(width)) out.append(width - have, fill);
}

}  // namespace

std::string FmtArg::toText() const {
  std::string out;
  format(out, 's', false, false, 0, -1);
  return out;
}

void FmtArg::format(std::string& out, char conv, bool left, bool zero, int width, int precision) const {
  if (!isText()) {
    formatInteger(out, conv, left, zero, width);
    return;
  }
  if (conv != 's') throw FormatError(fmt::format("Format specifier %{} does not take a text", conv));
  // Widths count UTF-16 units. Texts without a precision, the common case,
  // go straight into `out`.
  if (precision < 0) {
    if (kind_ == Kind::Wide) {
      if (!left) pad(out, wide_.size(), width);
      appendUtf8(out, wide_);
      if (left) pad(out, wide_.size(), width);
    } else {
      const std::size_t units = width > 0 ? utf16Length(text_) : 0;
      if (!left) pad(out, units, width);
      out += text_;
      if (left) pad(out, units, width);
    }
    return;
  }
  std::string text;
  if (kind_ == Kind::Wide) {
    appendUtf8(text, wide_.substr(0, static_cast<std::size_t>(precision)));
  } else {
    std::u16string wide = toUtf16(text_);
    if (wide.size() > static_cast<std::size_t>(precision)) wide.resize(precision);
    appendUtf8(text, wide);
  }
  const std::size_t units = utf16Length(text);
  if (!left) pad(out, units, width);
  out += text;
  if (left) pad(out, units, width);
}

void FmtArg::formatInteger(std::string& out, char conv, bool left, bool zero, int width) const {
  const std::uint64_t mask = bits_ >= 64 ? ~0ULL : ((1ULL << bits_) - 1);
  const auto raw = static_cast<std::uint64_t>(int_) & mask;
  char buffer[72];
  char* const first = buffer;
  char* last = buffer;
  bool negative = false;
  switch (conv) {
    case 's':
    case 'd':
    case 'i':
    case 'u':
      if (kind_ == Kind::Signed && int_ < 0) {
        negative = true;
        last = std::to_chars(first, std::end(buffer), 0 - static_cast<std::uint64_t>(int_)).ptr;
      } else {
        last = std::to_chars(first, std::end(buffer), kind_ == Kind::Signed ? static_cast<std::uint64_t>(int_) : raw).ptr;
      }
      break;
    case 'b': last = std::to_chars(first, std::end(buffer), raw, 2).ptr; break;
    case 'o': last = std::to_chars(first, std::end(buffer), raw, 8).ptr; break;
    case 'x': last = std::to_chars(first, std::end(buffer), raw, 16).ptr; break;
    case 'X':
      last = std::to_chars(first, std::end(buffer), raw, 16).ptr;
      for (char* c = first; c != last; ++c) {
        if (*c >= 'a' && *c <= 'f') *c = static_cast<char>(*c - 'a' + 'A');
      }
      break;
    case 'c': *last++ = static_cast<char>(raw); break;
    default: throw FormatError(fmt::format("Unknown format specifier %{}", conv));
  }
  const std::string_view digits(first, static_cast<std::size_t>(last - first));
  const std::size_t len = digits.size() + (negative ? 1 : 0);
  if (left) {
    if (negative) out += '-';
    out += digits;
    pad(out, len, width);
  } else if (zero) {
    if (negative) out += '-';
    pad(out, len, width, '0');
    out += digits;
  } else {
    pad(out, len, width);
    if (negative) out += '-';
    out += digits;
  }
}

void formatLangTo(std::string& out, std::string_view format, std::span<const FmtArg> args, std::size_t& used,
                  ValueHook afterValue) {
  used = 0;
  std::size_t i = 0;
  while (i < format.size()) {
    const std::size_t next = format.find('%', i);
    if (next == std::string_view::npos) {
      out.append(format.substr(i));
      break;
    }
    out.append(format.substr(i, next - i));
    i = next + 1;
    if (i < format.size() && format[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    const std::size_t specStart = next;
    const Spec spec = parseSpec(format, i);
    if (used >= args.size()) {
      throw FormatError(fmt::format("Orphan format specifier: {}", format.substr(specStart, i - specStart)));
    }
    const std::size_t valueStart = out.size();
    args[used++].format(out, spec.conv, spec.left, spec.zero, spec.width, spec.precision);
    if (afterValue != nullptr) afterValue(out, valueStart);
  }
}

void formatLangTo(std::string& out, std::string_view format, std::span<const FmtArg> args, ValueHook afterValue) {
  std::size_t used = 0;
  formatLangTo(out, format, args, used, afterValue);
  if (used != args.size()) throw FormatError(fmt::format("Orphan format arguments for \"{}\"", format));
}

std::string formatLang(std::string_view format, std::span<const FmtArg> args, std::size_t& used) {
  std::string out;
  formatLangTo(out, format, args, used);
  return out;
}

std::string formatLang(std::string_view format, std::span<const FmtArg> args) {
  std::string out;
  formatLangTo(out, format, args);
  return out;
}

std::string formatErr(DiagFormat format, std::span<const FmtArg> args) {
  std::size_t used = 0;
  std::string out = formatLang(format.text(), args, used);
  for (const FmtArg& plain : args.subspan(used)) out += plain.toText();
  return out;
}

void warnArgs(const char* file, int line, DiagFormat format, std::span<const FmtArg> args) {
  const std::string message = fmt::format("({}:{}) {}", file, line, formatErr(format, args));
  cerr.writefln("Warning: %s", message);
}

void errArgs(ExitStatus status, DiagFormat format, std::span<const FmtArg> args) {
  throw ExitError(status, formatErr(format, args));
}

void internalError(const char* what, const char* file, int line) {
  cerr.writefln("Internal error: (%s:%d) %s", file, line, what);
  platform::flushStream(platform::Stream::Out);
  std::abort();
}

char16_t cp1252ToUnicode(std::uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0) return kCp1252High[byte - 0x80];
  return byte;
}

std::u16string fromCodePage(const char* bytes) {
  if (bytes == nullptr) return {};
  std::u16string out;
  for (; *bytes != '\0'; ++bytes) out += cp1252ToUnicode(static_cast<std::uint8_t>(*bytes));
  return out;
}

std::u16string fromCodePage(std::span<const std::uint8_t> field) {
  std::u16string out;
  out.reserve(field.size());
  for (const std::uint8_t b : field) {
    if (b == 0) break;
    out += cp1252ToUnicode(b);
  }
  return out;
}

std::string fromCodePageUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    if (c == '\0') break;
    appendCodePoint(out, cp1252ToUnicode(static_cast<std::uint8_t>(c)));
  }
  return out;
}

namespace {

// Appends wide text as UTF-8; with `shown`, a control character as U+FFFD.
template <bool shown>
void appendWide(std::string& out, std::u16string_view wide) {
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const char16_t u = wide[i];
    if (shown && isControl(u)) {
      appendCodePoint(out, 0xFFFD);
    } else if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u >= 0xD800 && u < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
               wide[i + 1] < 0xE000) {
      appendCodePoint(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (wide[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u < 0xE000) {
      appendCodePoint(out, 0xFFFD);
    } else {
      appendCodePoint(out, u);
    }
  }
}

}  // namespace

void appendUtf8(std::string& out, std::u16string_view wide) { appendWide<false>(out, wide); }

void appendShown(std::string& out, std::u16string_view wide) { appendWide<true>(out, wide); }

void showControls(std::string& utf8, std::size_t from) {
  static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  std::size_t i = from;
  // Most texts hold none: nothing is copied until the first.
  while (i < utf8.size()) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    const bool c1 = byte == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F;
    if (byte < 0x20 || byte == 0x7F) {
      utf8.replace(i, 1, kReplacement);
    } else if (c1) {
      utf8.replace(i, 2, kReplacement);
    } else {
      ++i;
      continue;
    }
    i += kReplacement.size();
  }
}

std::string toUtf8(std::u16string_view wide) {
  std::string out;
  out.reserve(wide.size());
  appendUtf8(out, wide);
  return out;
}

std::u16string toUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const char32_t cp = decodeUtf8(utf8, i);
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::size_t utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if ((b & 0xC0) != 0x80) units += 1;   // a lead byte starts a character
    if ((b & 0xF8) == 0xF0) units += 1;   // four-byte sequences need a surrogate pair
  }
  return units;
}

void appendPadded(std::string& out, std::u16string_view wide, std::size_t width, bool left) {
  const std::size_t fill = wide.size() < width ? width - wide.size() : 0;
  if (!left) out.append(fill, ' ');
  appendShown(out, wide);
  if (left) out.append(fill, ' ');
}

void appendPadded(std::string& out, std::string_view utf8, std::size_t width, bool left) {
  const std::size_t units = utf16Length(utf8);
  const std::size_t fill = units < width ? width - units : 0;
  if (!left) out.append(fill, ' ');
  out.append(utf8);
  if (left) out.append(fill, ' ');
}

void appendPaddedCut(std::u16string& out, std::u16string_view wide, std::size_t width,
                     std::size_t maxUnits, bool left) {
  const std::u16string_view cut = wide.substr(0, maxUnits);
  const std::size_t fill = cut.size() < width ? width - cut.size() : 0;
  if (!left) out.append(fill, u' ');
  out.append(cut);
  if (left) out.append(fill, u' ');
}

std::u16string toLowerWide(std::u16string_view wide) {
  std::u16string out(wide);
  for (char16_t& c : out) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
      c = static_cast<char16_t>(c + 0x20);
    } else if ((c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x138 && c != 0x149 && c != 0x178) ) {
      // Latin Extended-A pairs: upper case at even code points up to U+0137,
      // at odd ones from U+0139 to U+0148 and from U+0179, even again between.
      const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
      if (((c & 1) == 1) == oddUpper && c != 0x17F) c = static_cast<char16_t>(c + 1);
    } else if (c == 0x178) {
      c = 0xFF;
    }
  }
  return out;
}

}  // namespace marvolt
