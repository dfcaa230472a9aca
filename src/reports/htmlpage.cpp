#include "reports/htmlpage.hpp"

#include <charconv>
#include <cmath>

#include "frontend/telvo.hpp"

namespace marvolt::html {

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
    ".chart .lb{font-weight:600;paint-order:stroke;stroke:#fff;stroke-width:3px;stroke-linejoin:round}"
    ".chart .lead{stroke-width:1;fill:none}"
    ".chart .lg{fill:#374151}"
    ".chart:hover .s{opacity:.28}"
    ".chart .s:hover{opacity:1}"
    ".chart .s:hover .ln{stroke-width:3}"
    ".laps{display:flex;flex-wrap:wrap;gap:4px 18px;align-items:flex-start}"
    ".laps table{margin:0 0 10px}"
    ".laps td,.laps th{padding:1px 6px;font-size:12px}"
    ".laps tbody th{background:#eceff3;text-align:right;font-weight:600}"
    "td.o{color:#b45309;font-style:italic}"
    "td.o::after{content:'\\2009\\25CB'}"
    "td.x{color:#b91c1c;text-decoration:line-through}"
    "td.x::after{content:'\\2009\\00D7'}"
    "td.u::after{content:'\\2009?'}"
    "@media print{body{background:#fff;padding:0}figure,table{box-shadow:none;border:1px solid #ccc}}";

// Whether a UTF-16 unit is written as it is (surrogates are paired up by
// appendUtf8, which replaces unpaired ones).
bool isPlain(char16_t u) {
  if (u < 0x20) return u == u'\t' || u == u'\n' || u == u'\r';
  if (u < 0x7F) return u != u'&' && u != u'<' && u != u'>' && u != u'"' && u != u'\'';
  if (u <= 0x9F) return false;
  return u != 0xFFFE && u != 0xFFFF;
}

void appendSpecial(std::string& out, char16_t u) {
  switch (u) {
    case u'&': out += "&amp;"; break;
    case u'<': out += "&lt;"; break;
    case u'>': out += "&gt;"; break;
    case u'"': out += "&quot;"; break;
    case u'\'': out += "&#39;"; break;
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
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x80) {
      // Beyond ASCII the text is decoded, so that malformed bytes and
      // forbidden characters are caught whatever their encoding.
      appendText(out, toUtf16(utf8.substr(i)));
      return;
    }
    const std::size_t start = i;
    while (i < utf8.size() && static_cast<unsigned char>(utf8[i]) < 0x80 && isPlain(utf8[i])) ++i;
    out.append(utf8, start, i - start);
    if (i < utf8.size() && static_cast<unsigned char>(utf8[i]) < 0x80) appendSpecial(out, utf8[i++]);
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
  out += "\xE2\x80\xA6";   // U+2026 HORIZONTAL ELLIPSIS
}

void appendInt(std::string& out, std::int64_t value) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void appendDecimal(std::string& out, double value) {
  if (!std::isfinite(value)) value = 0;
  const auto tenths = static_cast<std::int64_t>(std::llround(value * 10));
  if (tenths < 0) out += '-';
  const std::uint64_t magnitude = tenths < 0 ? 0 - static_cast<std::uint64_t>(tenths) : tenths;
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, magnitude / 10).ptr);
  if (magnitude % 10 != 0) {
    out += '.';
    out += static_cast<char>('0' + magnitude % 10);
  }
}

void appendElement(std::string& out, std::string_view tag, std::u16string_view text) {
  out += '<';
  out += tag;
  out += '>';
  appendText(out, text);
  out += "</";
  out += tag;
  out += '>';
}

void beginPage(std::string& out, std::u16string_view title) {
  out += "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
         "<meta charset=\"utf-8\"/>\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n"
         "<meta name=\"generator\" content=\"marvolt\"/>\n";
  appendElement(out, "title", title);
  out += "\n<style>";
  out += kStyle;
  out += "</style>\n</head>\n<body>\n<main>\n";
}

void endPage(std::string& out) { out += "</main>\n</body>\n</html>\n"; }

void appendSwatch(std::string& out, std::string_view colour) {
  out += "<span class=\"sw\" style=\"background:";
  out += colour;
  out += "\"></span>";
}

}  // namespace marvolt::html
