#include "reports/htmlpage.hpp"

#include <array>
#include <charconv>
#include <cstdint>

#include "frontend/telvo.hpp"
#include "platform/platform.hpp"

namespace marvolt::html {

using namespace std::string_view_literals;

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";   // U+FFFD

// The style sheet of every page: tables, swatches, charts and lap grids. The
// page must read well printed and on screen, with no resource from outside.
constexpr std::string_view kStyle =
    ":root{color-scheme:light}"
    "body{margin:0;padding:24px 28px 48px;background:#f3f4f6;color:#1f2430;"
    "font:14px/1.45 system-ui,-apple-system,'Segoe UI',Roboto,'Helvetica Neue',Arial,sans-serif}"
    "main{max-width:1180px;margin:0 auto}"
    "h1{font-size:26px;margin:0 0 2px;font-weight:650}"
    "h2{font-size:19px;margin:30px 0 10px;padding-bottom:4px;border-bottom:2px solid #d4d8df}"
    "h3{font-size:15px;margin:20px 0 6px}"
    "h4{font-size:13px;margin:0 0 4px}"
    "h2 small,h3 small{font-weight:400;color:#6b7280;font-size:13px;margin-left:8px}"
    ".meta{margin:0;color:#4b5563}"
    ".meta b{color:#1f2430}"
    ".scroll{overflow-x:auto}"
    "table{border-collapse:collapse;background:#fff;box-shadow:0 0 0 1px #dde1e7;margin:4px 0 14px;"
    "font-variant-numeric:tabular-nums}"
    "th,td{padding:3px 10px;text-align:left;white-space:nowrap}"
    "thead th{background:#eceff3;font-weight:600;border-bottom:1px solid #d4d8df}"
    "tbody tr:nth-child(even){background:#f8f9fb}"
    "th.r,td.r{text-align:right}"
    ".sw{display:inline-block;width:10px;height:10px;border-radius:2px;margin-right:6px}"
    ".note{color:#6b7280;font-style:italic}"
    "figure{margin:14px 0 22px;padding:10px 12px 6px;background:#fff;box-shadow:0 0 0 1px #dde1e7}"
    "figcaption{font-weight:600;margin:0 0 4px}"
    "svg.chart{display:block;width:100%;height:auto;font-size:11px}"
    ".chart .grid{stroke:#e6e8ec;stroke-width:1}"
    ".chart .frame{fill:none;stroke:#9aa1ac;stroke-width:1}"
    ".chart .tick{fill:#4b5563}"
    ".chart .axt{fill:#374151;font-size:12px;font-weight:600}"
    ".chart .ln{fill:none;stroke-width:1.5;stroke-linejoin:round;stroke-linecap:round}"
    ".chart .pt{stroke-width:4;stroke-linecap:round}"
    ".chart .pt .r{fill:#fff;stroke-width:1.4}"
    ".chart .pt .x{fill:none;stroke-width:1.7;stroke-linecap:butt}"
    ".chart .pt .q{fill:#fff;stroke-width:1.4}"
    ".chart .pt .u,.chart .pt .d{stroke-width:1;stroke-linejoin:round}"
    ".dense .ln{stroke-width:1.1}"
    ".dense .pt{stroke-width:3.2}"
    ".chart .lb{font-weight:600;paint-order:stroke;stroke:#fff;stroke-width:3px;stroke-linejoin:round}"
    ".chart .lbg{fill:#fff;fill-opacity:.85}"
    ".chart .lead{stroke-width:1;fill:none}"
    ".chart .lg{fill:#374151}"
    ".chart:hover .s{opacity:.28}"
    ".chart .s:hover{opacity:1}"
    ".chart .s:hover .ln{stroke-width:3}"
    ".laps{display:flex;flex-wrap:wrap;gap:4px 18px;align-items:flex-start}"
    ".laps table{margin:0 0 10px}"
    ".laps td,.laps th{padding:1px 6px;font-size:12px}"
    ".laps td{min-width:62px}"
    ".laps tbody th{background:#eceff3;text-align:right;font-weight:600}"
    "td.o{color:#b45309;font-style:italic}"
    "td.o::after{content:'\\2009\\25CB'}"
    "td.x{color:#b91c1c;text-decoration:line-through}"
    "td.x::after{content:'\\2009\\00D7'}"
    "td.u::after{content:'\\2009?'}"
    "@media print{body{background:#fff;padding:0}figure,table{box-shadow:none;border:1px solid #ccc}}";

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

void appendDecimal(std::string& out, double value) {
  // Coordinates are written by the ten thousand: digits by hand, no locale,
  // no library rounding call.
  constexpr double kLimit = 1e15;
  if (!(value > -kLimit && value < kLimit)) value = 0;   // also NaN
  const bool negative = value < 0;
  const auto tenths = static_cast<std::uint64_t>((negative ? -value : value) * 10 + 0.5);
  char digits[24];
  char* end = digits + sizeof digits;
  char* at = end;
  if (tenths % 10 != 0) {
    *--at = static_cast<char>('0' + tenths % 10);
    *--at = '.';
  }
  if (tenths < 10'000'000'000) {
    // The common case in 32 bits, whose division by ten is cheaper.
    auto whole = static_cast<std::uint32_t>(tenths / 10);
    do {
      *--at = static_cast<char>('0' + whole % 10);
      whole /= 10;
    } while (whole != 0);
  } else {
    std::uint64_t whole = tenths / 10;
    do {
      *--at = static_cast<char>('0' + whole % 10);
      whole /= 10;
    } while (whole != 0);
  }
  if (negative && tenths != 0) *--at = '-';
  out.append(at, static_cast<std::size_t>(end - at));
}

void reserveMapped(std::string& out, std::size_t bytes) {
  out.reserve(out.size() + bytes);
  platform::prefaultPages(out.data() + out.size(), bytes);
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

void beginPage(std::string& out, std::u16string_view title) {
  out += "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
         "<meta charset=\"utf-8\"/>\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n"
         "<meta name=\"generator\" content=\"marvolt\"/>\n";
  appendElement(out, "title", title);
  out += "\n<style>"sv;
  out += kStyle;
  out += "</style>\n</head>\n<body>\n<main>\n"sv;
}

void endPage(std::string& out) { out += "</main>\n</body>\n</html>\n"sv; }

void appendSwatch(std::string& out, std::string_view colour) {
  out += "<span class=\"sw\" style=\"background:"sv;
  appendText(out, colour);
  out += "\"></span>"sv;
}

void appendHead(std::string& out, std::initializer_list<std::string_view> names) {
  out += "<div class=\"scroll\"><table><thead><tr>";
  for (std::string_view name : names) {
    if (name.front() == '>') {
      out += "<th class=\"r\">";
      name.remove_prefix(1);
    } else {
      out += "<th>";
    }
    out += name;
    out += "</th>";
  }
  out += "</tr></thead><tbody>\n";
}

void appendTail(std::string& out) { out += "</tbody></table></div>\n"; }

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

}  // namespace marvolt::html
