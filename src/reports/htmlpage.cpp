#include "reports/htmlpage.hpp"

#include <array>
#include <charconv>
#include <cstdint>
#include <numeric>
#include <vector>

#include "frontend/telvo.hpp"
#include "platform/platform.hpp"

namespace marvolt::html {

using namespace std::string_view_literals;

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";   // U+FFFD

// The style sheet of every page: tables, swatches, charts and lap grids. The
// page must read well printed, on a desktop screen and on a phone 390 px
// wide, with no resource from outside and no script. Whatever is wider
// than the screen (a table, a lap grid, a chart kept at a size whose text
// reads) scrolls sideways in its own box, never the page; the box's right
// edge fades while there is more to see. The columns that name a row (x0 to
// x2: position, car, driver; y1: a name after the position) stay in view.
// Text is at least 4.5:1 on its background, lines and marks 3:1.
constexpr std::string_view kStyle =
    ":root{color-scheme:light}"
    "body{margin:0;padding:24px 28px 48px;background:#f3f4f6;color:#1f2430;"
    "font:14px/1.45 system-ui,-apple-system,'Segoe UI',Roboto,'Helvetica Neue',Arial,sans-serif}"
    "main{max-width:1180px;margin:0 auto}"
    "h1{font-size:26px;margin:0 0 2px;font-weight:650;overflow-wrap:anywhere}"
    "h2{font-size:19px;margin:30px 0 10px;padding-bottom:4px;border-bottom:2px solid #d4d8df}"
    "h3{font-size:15px;margin:20px 0 6px}"
    "h4{font-size:13px;margin:0 0 4px}"
    "h2 small,h3 small{font-weight:400;color:#4b5563;font-size:13px;margin-left:8px}"
    ".meta{margin:0;color:#4b5563}"
    ".meta b{color:#1f2430}"
    ".scroll,.cbox{display:flex;overflow-x:auto;max-width:100%}"
    ".scroll>*,.cbox>*{flex:none}"
    ".laps>div{min-width:0;max-width:100%}"
    // The cue: a fade that follows the table or chart, held at the box's
    // right edge by stickiness while more is hidden beyond it, and lying
    // past the content's end, where it shows nothing, once all is seen.
    ".scroll::after,.cbox::after{content:'';flex:0 0 2em;position:sticky;right:0;z-index:2;"
    "background:linear-gradient(to right,rgba(243,244,246,0),#f3f4f6 85%)}"
    ".cbox::after{background:linear-gradient(to right,rgba(255,255,255,0),#fff 85%)}"
    ":focus-visible{outline:2px solid #1d4ed8;outline-offset:1px}"
    "table{border-collapse:collapse;background:#fff;box-shadow:0 0 0 1px #dde1e7;margin:4px 0 14px;"
    "font-variant-numeric:tabular-nums}"
    "th,td{padding:3px 10px;text-align:left;white-space:nowrap}"
    "thead th{background:#eceff3;font-weight:600;border-bottom:1px solid #d4d8df}"
    "tbody tr{background:#fff}"
    "tbody tr:nth-child(even){background:#f8f9fb}"
    "th.r,td.r{text-align:right}"
    ".x0,.x1,.x2,.y1{position:sticky;z-index:1}"
    "td:is(.x0,.x1,.x2,.y1){background:inherit}"
    ".x0{left:0}.x1,.y1{left:3.8em}.x2{left:8em}"
    ".x0,.x1{box-sizing:border-box;width:3.8em;min-width:3.8em;max-width:3.8em}"
    ".x1{width:4.2em;min-width:4.2em;max-width:4.2em}"
    ".x2,.y1{box-shadow:inset -1px 0 #d4d8df}"
    ".sw{display:inline-block;width:10px;height:10px;border-radius:2px;margin-right:6px}"
    ".note{color:#4b5563;font-style:italic}"
    "figure{margin:14px 0 22px;padding:10px 12px 6px;background:#fff;box-shadow:0 0 0 1px #dde1e7}"
    "figcaption{font-weight:600;margin:0 0 4px}"
    "svg.chart{display:block;width:100%;min-width:1056px;height:auto;font-size:11px;flex:1 0 0}"
    ".chart .grid{stroke:#e6e8ec;stroke-width:1}"
    ".chart .frame{fill:none;stroke:#858c98;stroke-width:1}"
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
    ".chart .c{transition:opacity .15s}"
    ".chart .lb{font-weight:600}"
    ".chart .lbg{fill:#fff;fill-opacity:.9}"
    ".chart .lead{stroke-width:1;fill:none}"
    ".chart .lg{fill:#374151}"
    ".laps{display:flex;flex-wrap:wrap;gap:4px 18px;align-items:flex-start}"
    ".laps table{margin:0 0 10px}"
    // Lap numbers and times right-aligned alike, each number over its time;
    // the marks of flagged laps stand in the cell's right padding.
    ".laps td,.laps th{padding:1px 16px 1px 6px;font-size:12px;text-align:right}"
    ".laps td{min-width:56px;position:relative}"
    "td.o::after,td.x::after,td.u::after{position:absolute;right:4px}"
    ".laps tbody th,.laps thead th:first-child{position:sticky;left:0;z-index:1;background:#eceff3;font-weight:600}"
    "td.o{color:#b45309;font-style:italic}"
    "td.o::after{content:'\\2009\\25CB'}"
    "td.x{color:#b91c1c;text-decoration:line-through}"
    "td.x::after{content:'\\2009\\00D7'}"
    "td.u::after{content:'\\2009?'}"
    "@media (max-width:600px){body{padding:12px 10px 32px}h1{font-size:22px}"
    "figure{padding:8px 6px 4px;margin:10px 0 18px}th,td{padding:3px 6px}"
    ".x0,.x1{width:2.8em;min-width:2.8em;max-width:2.8em}.x1{width:3.6em;min-width:3.6em;max-width:3.6em}"
    ".x1,.y1{left:2.8em}.x2{left:6.4em}}"
    "@media print{body{background:#fff;padding:0}figure,table{box-shadow:none;border:1px solid #ccc}"
    "svg.chart{min-width:0}.scroll::after,.cbox::after{display:none}}";

// The rules of the pages of a site: a navigation bar at the top, links in
// the blue of the focus ring (at least 5.5:1 on every background of the
// pages, marked rows included), downloads at the bottom.
constexpr std::string_view kSiteStyle =
    "a{color:#1d4ed8}"
    "nav.site{display:flex;flex-wrap:wrap;gap:2px 18px;margin:0 0 16px;padding:8px 12px;background:#fff;"
    "box-shadow:0 0 0 1px #dde1e7}"
    "nav.site span{color:#4b5563}"
    ".downloads{margin:28px 0 0;color:#4b5563}";

// The rules that bring a car forward wherever its class is hovered or
// focused inside an element of class "cars": its chart lines and labels
// stay, every other car's fade, its table rows are marked.
void appendCarRules(std::string& out, std::span<const std::size_t> cars) {
  if (cars.empty()) return;
  const auto appendScope = [&out](std::size_t k) {
    out += ".cars:has(.k"sv;
    appendInt(out, static_cast<std::int64_t>(k));
    out += ":hover,.k"sv;
    appendInt(out, static_cast<std::int64_t>(k));
    out += ":focus-visible) "sv;
  };
  const auto appendRule = [&](std::string_view before, std::string_view after, std::string_view declarations) {
    for (std::size_t i = 0; i < cars.size(); ++i) {
      const std::size_t k = cars[i];
      if (i > 0) out += ',';
      appendScope(k);
      out += before;
      appendInt(out, static_cast<std::int64_t>(k));
      out += after;
    }
    out += declarations;
  };
  appendRule(".chart .c:not(.k"sv, ")"sv, "{opacity:.18}"sv);
  appendRule(".chart .k"sv, " .ln"sv, "{stroke-width:3}"sv);
  appendRule("tr.k"sv, ""sv, "{background:#fdf0c2}"sv);
}

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
  out += kStyle;
  if (site != nullptr) out += kSiteStyle;
  appendCarRules(out, cars);
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

}  // namespace marvolt::html
