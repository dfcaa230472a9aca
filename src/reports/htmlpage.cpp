#include "reports/htmlpage.hpp"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <vector>

#include "frontend/telvo.hpp"
#include "reports/pagestyle.hpp"
#include "timing/timetext.hpp"

namespace marvolt::html {

using namespace std::string_view_literals;

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";   // U+FFFD

// Whether a UTF-16 unit is written as it is (surrogates are paired up by
// appendUtf8, which replaces unpaired ones).
constexpr bool isPlain(char16_t u) {
  if (u < 0x20) return u == u'\t' || u == u'\n' || u == u'\r';
  if (u < 0x7F) return u != u'&' && u != u'<' && u != u'>' && u != u'"' && u != u'\'';
  if (u <= 0x9F) return false;
  return u != 0xFFFE && u != 0xFFFF;
}

// The UTF-8 sequence at some place of a text: its length, and whether it
// is a character that may stand in a page.
struct Sequence {
  std::size_t length;
  bool allowed;
};

// The sequence at `i`, which is not ASCII. Malformed bytes (overlong forms,
// surrogates, beyond U+10FFFF, cut short) are a sequence of one byte; C1
// controls, U+FFFE and U+FFFF are well-formed but not allowed.
Sequence sequenceAt(std::string_view s, std::size_t i) {
  const auto byte = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b0 = byte(i);
  std::size_t length = 0;
  char32_t cp = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, cp = b0 & 0x07;
  } else {
    return {1, false};
  }
  if (s.size() - i < length) return {1, false};
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return {1, false};
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return {1, false};
  return {length, cp > 0x9F && cp != 0xFFFE && cp != 0xFFFF};
}

void appendSpecial(std::string& out, char16_t u) {
  switch (u) {
    case u'&': out += "&amp;"sv; break;
    case u'<': out += "&lt;"sv; break;
    case u'>': out += "&gt;"sv; break;
    case u'"': out += "&quot;"sv; break;
    case u'\'': out += "&#39;"sv; break;
    default: out += kReplacement; break;
  }
}

}  // namespace

void appendText(std::string& out, std::u16string_view text) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (isPlain(text[i])) continue;
    appendUtf8(out, text.substr(run, i - run));
    appendSpecial(out, text[i]);
    run = i + 1;
  }
  appendUtf8(out, text.substr(run));
}

void appendText(std::string& out, std::string_view utf8) {
  static constexpr std::array<bool, 256> kPlainByte = [] {
    std::array<bool, 256> plain{};
    for (char16_t c = 0; c < 0x80; ++c) plain[c] = isPlain(c);
    return plain;
  }();
  const char* const text = utf8.data();
  std::size_t i = 0;
  while (i < utf8.size()) {
    const std::size_t start = i;
    while (i < utf8.size() && kPlainByte[static_cast<unsigned char>(text[i])]) ++i;
    out.append(text + start, i - start);
    if (i == utf8.size()) break;
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      appendSpecial(out, c);
      ++i;
      continue;
    }
    const Sequence sequence = sequenceAt(utf8, i);
    if (sequence.allowed) {
      out.append(utf8, i, sequence.length);
    } else {
      out += kReplacement;
    }
    i += sequence.length;
  }
}

void appendTextCut(std::string& out, std::u16string_view text, std::size_t maxUnits) {
  if (text.size() <= maxUnits || maxUnits == 0) {
    appendText(out, text);
    return;
  }
  std::size_t keep = maxUnits - 1;
  // A surrogate pair is never cut in two.
  if (keep > 0 && text[keep - 1] >= 0xD800 && text[keep - 1] < 0xDC00) --keep;
  appendText(out, text.substr(0, keep));
  out += "\xE2\x80\xA6"sv;   // U+2026 HORIZONTAL ELLIPSIS
}

void appendInt(std::string& out, std::int64_t value) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

char* writeDecimal(char* out, double value) {
  // Coordinates are written by the ten thousand: digits by hand, no locale,
  // no library rounding call, straight into place.
  constexpr double kLimit = 1e15;
  if (!(value > -kLimit && value < kLimit)) value = 0;   // also NaN
  const bool negative = value < 0;
  // Below 1e16, so a signed conversion (one instruction) truncates as an unsigned one would.
  const auto tenths = static_cast<std::uint64_t>(static_cast<std::int64_t>((negative ? -value : value) * 10 + 0.5));
  if (negative && tenths != 0) *out++ = '-';
  std::uint32_t fraction = 0;
  if (tenths < 100'000) {
    // A drawing's coordinates: in 32 bits, two digits at a time.
    const auto small = static_cast<std::uint32_t>(tenths);
    const std::uint32_t whole = small / 10;
    fraction = small % 10;
    if (whole >= 1000) {
      out = writeTwoDigits(out, whole / 100);
    } else if (whole >= 100) {
      *out++ = static_cast<char>('0' + whole / 100);
    }
    if (whole >= 10) {
      out = writeTwoDigits(out, whole % 100);
    } else {
      *out++ = static_cast<char>('0' + whole);
    }
  } else {
    fraction = static_cast<std::uint32_t>(tenths % 10);
    out = std::to_chars(out, out + kDecimalChars, tenths / 10).ptr;
  }
  if (fraction == 0) return out;
  out[0] = '.';
  out[1] = static_cast<char>('0' + fraction);
  return out + 2;
}

void appendDecimal(std::string& out, double value) {
  char text[kDecimalChars];
  out.append(text, writeDecimal(text, value));
}

void appendElement(std::string& out, std::string_view tag, std::u16string_view text) {
  out += '<';
  out += tag;
  out += '>';
  appendText(out, text);
  out += "</"sv;
  out += tag;
  out += '>';
}

void beginPage(std::string& out, std::u16string_view title, std::size_t cars) {
  std::vector<std::size_t> classes(cars);
  std::iota(classes.begin(), classes.end(), std::size_t{0});
  beginPage(out, title, classes, nullptr);
}

void beginPage(std::string& out, std::u16string_view title, std::span<const std::size_t> cars,
               const SiteLinks* site) {
  out += "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
         "<meta charset=\"utf-8\"/>\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n"
         "<meta name=\"generator\" content=\"marvolt\"/>\n";
  appendElement(out, "title", title);
  out += "\n<style>"sv;
  style::appendStyleSheet(out, cars, site != nullptr);
  out += "</style>\n</head>\n<body>\n<main>\n"sv;
  if (site != nullptr) out += site->nav;
}

void endPage(std::string& out, const SiteLinks* site) {
  if (site != nullptr) out += site->downloads;
  out += "</main>\n</body>\n</html>\n"sv;
}

void appendLink(std::string& out, std::string_view href, std::u16string_view text) {
  out += "<a href=\""sv;
  appendText(out, href);
  out += "\">"sv;
  appendText(out, text);
  out += "</a>"sv;
}

void appendSwatch(std::string& out, std::string_view colour) {
  out += "<span class=\"sw\" style=\"background:"sv;
  appendText(out, colour);
  out += "\"></span>"sv;
}

void appendHead(std::string& out, std::initializer_list<std::string_view> names) {
  out += "<div class=\"scroll\" tabindex=\"0\"><table><thead><tr>";
  for (std::string_view name : names) {
    std::string_view classes;
    if (name.front() == '[') {
      const std::size_t close = name.find(']');
      classes = name.substr(1, close - 1);
      name.remove_prefix(close + 1);
    } else if (name.front() == '>') {
      classes = "r";
      name.remove_prefix(1);
    }
    out += "<th scope=\"col\"";
    if (!classes.empty()) {
      out += " class=\"";
      out += classes;
      out += '"';
    }
    out += '>';
    out += name;
    out += "</th>";
  }
  out += "</tr></thead><tbody>\n";
}

void appendTail(std::string& out) { out += "</tbody></table></div>\n"; }

void appendCount(std::string& out, std::int64_t count, std::string_view one, std::string_view many) {
  appendInt(out, count);
  out += ' ';
  out += count == 1 ? one : many;
}

void appendIntCell(std::string& out, std::int64_t value) {
  out += "<td class=\"r\">";
  appendInt(out, value);
  out += "</td>";
}

void appendTextCell(std::string& out, std::u16string_view text) {
  out += "<td>";
  appendText(out, text);
  out += "</td>";
}

void appendTimeCell(std::string& out, std::uint32_t ms) {
  out += "<td class=\"r\">"sv;
  appendMsecToTime(out, ms);
  out += "</td>"sv;
}

void appendFigure(std::string& out, std::string_view caption, const std::function<void(std::string&)>& content) {
  out += "<figure><figcaption>"sv;
  appendText(out, caption);
  out += "</figcaption>\n"sv;
  content(out);
  out += "</figure>\n"sv;
}

}  // namespace marvolt::html
