// Writing XHTML: escaped text, numbers, and the frame of a self-contained
// page (document head with the inline style sheet, body, end). Everything is
// appended to one UTF-8 text; the result is HTML5 that an XML parser also
// accepts (every element closed, attributes quoted, only the five XML
// entities).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace marvolt::html {

/// Appends wide text as UTF-8 with `& < > " '` escaped; characters that XML
/// 1.0 or HTML forbid (C0 controls but tab, LF and CR; DEL and C1 controls;
/// U+FFFE, U+FFFF; unpaired surrogates) become U+FFFD.
void appendText(std::string& out, std::u16string_view text);
/// Appends UTF-8 text escaped as appendText does; malformed bytes become U+FFFD.
void appendText(std::string& out, std::string_view utf8);
/// Appends wide text as appendText does, cut to `maxUnits` UTF-16 units with
/// an ellipsis when longer.
void appendTextCut(std::string& out, std::u16string_view text, std::size_t maxUnits);
/// Appends an integer in decimal.
void appendInt(std::string& out, std::int64_t value);
/// Appends a number rounded to one decimal, without a trailing ".0".
void appendDecimal(std::string& out, double value);
/// Room for the longest text of writeDecimal.
inline constexpr std::size_t kDecimalChars = 24;
/// Writes a number as appendDecimal does at `out` (room for kDecimalChars); returns its end.
char* writeDecimal(char* out, double value);

/// Appends `<tag>` + escaped text + `</tag>`.
void appendElement(std::string& out, std::string_view tag, std::u16string_view text);

/// The links of a page of a site: its navigation bar, first in the page,
/// and its downloads, last; XHTML written as it is.
struct SiteLinks {
  std::string nav;
  std::string downloads;
};

/// Appends the document up to and including `<body><main>`: doctype, the
/// html element in the XHTML namespace, UTF-8 declaration, the page title
/// and the inline style sheet of reports and charts (reports/pagestyle),
/// with the hover rules of `cars` cars (classes svg::appendCarClass; 0 for none).
void beginPage(std::string& out, std::u16string_view title, std::size_t cars = 0);
/// As above, with the hover rules of the car classes `cars`; a page of a
/// site (`site` not null) gets the site's style rules and its navigation bar.
void beginPage(std::string& out, std::u16string_view title, std::span<const std::size_t> cars,
               const SiteLinks* site);
/// Appends the downloads of a page of a site (`site` not null), then
/// `</main></body></html>` and a final line break.
void endPage(std::string& out, const SiteLinks* site = nullptr);

/// Appends a link to `href` (a relative URL the program made) around escaped text.
void appendLink(std::string& out, std::string_view href, std::u16string_view text);

/// Appends the start of a scrolling table and its head: one header cell
/// per name; a name starting with '>' heads a right-aligned column, one
/// starting with "[classes]" a column of those classes ("r" right-aligned;
/// "x0", "x1", "x2", "y1" kept in view, see the style sheet).
void appendHead(std::string& out, std::initializer_list<std::string_view> names);
/// Appends the end of a table begun by appendHead.
void appendTail(std::string& out);
/// Appends a right-aligned cell holding an integer.
void appendIntCell(std::string& out, std::int64_t value);
/// Appends a cell holding escaped text.
void appendTextCell(std::string& out, std::u16string_view text);
/// Appends a right-aligned cell holding milliseconds as time text.
void appendTimeCell(std::string& out, std::uint32_t ms);

/// Appends a figure: its caption as escaped text, then what `content` appends.
void appendFigure(std::string& out, std::string_view caption, const std::function<void(std::string&)>& content);

/// Appends `count` and `one` or `many` after a space: "1 lap", "2 laps".
void appendCount(std::string& out, std::int64_t count, std::string_view one, std::string_view many);

/// Appends a colour swatch: an inline box filled with `colour` (a CSS colour).
void appendSwatch(std::string& out, std::string_view colour);

}  // namespace marvolt::html
