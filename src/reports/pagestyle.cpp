#include "reports/pagestyle.hpp"

#include <charconv>
#include <initializer_list>

namespace marvolt::style {

namespace {

// The style sheet of every page: tables, swatches, charts and lap grids. The
// page must read well printed, on a desktop screen and on a phone 390 px
// wide, with no resource from outside and no script. Whatever is wider
// than the screen (a table, a lap grid, a chart kept at a size whose text
// reads) scrolls sideways in its own box, never the page; the box's right
// edge fades while there is more to see. The columns that name a row (x0 to
// x2: position, car, driver; y1: a name after the position) stay in view.
// Text is at least 4.5:1 on its background, lines and marks 3:1.
constexpr std::string_view kPageRules =
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
    ".meta b{color:#1f2430}";

constexpr std::string_view kTableRules =
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
    "figcaption{font-weight:600;margin:0 0 4px}";

constexpr std::string_view kLapGridRules =
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
    "td.u::after{content:'\\2009?'}";

// A narrow screen and print; the end of the last rule closes the print media.
constexpr std::string_view kNarrowAndPrintRules =
    "@media (max-width:600px){body{padding:12px 10px 32px}h1{font-size:22px}"
    "figure{padding:8px 6px 4px;margin:10px 0 18px}th,td{padding:3px 6px}"
    ".x0,.x1{width:2.8em;min-width:2.8em;max-width:2.8em}.x1{width:3.6em;min-width:3.6em;max-width:3.6em}"
    ".x1,.y1{left:2.8em}.x2{left:6.4em}}"
    "@media print{body{background:#fff;padding:0}figure,table{box-shadow:none;border:1px solid #ccc}";

// The rules of the pages of a site: a navigation bar at the top, links in
// the blue of the focus ring (at least 5.5:1 on every background of the
// pages, marked rows included), downloads at the bottom.
constexpr std::string_view kSiteRules =
    "a{color:#1d4ed8}"
    "nav.site{display:flex;flex-wrap:wrap;gap:2px 18px;margin:0 0 16px;padding:8px 12px;background:#fff;"
    "box-shadow:0 0 0 1px #dde1e7}"
    "nav.site span{color:#4b5563}"
    ".downloads{margin:28px 0 0;color:#4b5563}";

// Appends every part in order.
template <class... Parts>
void append(std::string& out, const Parts&... parts) {
  ((out += parts), ...);
}

// Appends ".chart .a .b": the selector of a part of a chart, nested as given.
void appendPart(std::string& out, std::initializer_list<std::string_view> path) {
  append(out, ".", kChart);
  for (const std::string_view name : path) append(out, " .", name);
}

// The boxes that scroll a wide table or chart. The cue: a fade that follows
// the table or chart, held at the box's right edge by stickiness while more
// is hidden beyond it, and lying past the content's end, where it shows
// nothing, once all is seen.
void appendBoxRules(std::string& out) {
  append(out, ".scroll,.", kChartBox, "{display:flex;overflow-x:auto;max-width:100%}",
         ".scroll>*,.", kChartBox, ">*{flex:none}",
         ".laps>div{min-width:0;max-width:100%}",
         ".scroll::after,.", kChartBox, "::after{content:'';flex:0 0 2em;position:sticky;right:0;z-index:2;",
         "background:linear-gradient(to right,rgba(243,244,246,0),#f3f4f6 85%)}",
         ".", kChartBox, "::after{background:linear-gradient(to right,rgba(255,255,255,0),#fff 85%)}");
}

// The look of a chart's parts; a chart keeps a size at which its text reads.
void appendChartRules(std::string& out) {
  append(out, "svg.", kChart, "{display:block;width:100%;min-width:1056px;height:auto;font-size:11px;flex:1 0 0}");
  const auto rule = [&out](std::initializer_list<std::string_view> path, std::string_view declarations) {
    appendPart(out, path);
    out += declarations;
  };
  rule({kGrid}, "{stroke:#e6e8ec;stroke-width:1}");
  rule({kFrame}, "{fill:none;stroke:#858c98;stroke-width:1}");
  rule({kTick}, "{fill:#4b5563}");
  rule({kAxisTitle}, "{fill:#374151;font-size:12px;font-weight:600}");
  rule({kLine}, "{fill:none;stroke-width:1.5;stroke-linejoin:round;stroke-linecap:round}");
  rule({kPoints}, "{stroke-width:4;stroke-linecap:round}");
  rule({kPoints, kRing}, "{fill:#fff;stroke-width:1.4}");
  rule({kPoints, kCross}, "{fill:none;stroke-width:1.7;stroke-linecap:butt}");
  rule({kPoints, kSquare}, "{fill:#fff;stroke-width:1.4}");
  appendPart(out, {kPoints, kAbove});
  out += ',';
  rule({kPoints, kBelow}, "{stroke-width:1;stroke-linejoin:round}");
  append(out, ".", kDense, " .", kLine, "{stroke-width:1.1}.", kDense, " .", kPoints, "{stroke-width:3.2}");
  rule({kCarPart}, "{transition:opacity .15s}");
  rule({kLabel}, "{font-weight:600}");
  rule({kBackdrop}, "{fill:#fff;fill-opacity:.9}");
  rule({kLeader}, "{stroke-width:1;fill:none}");
  rule({kLegend}, "{fill:#374151}");
}

// The rules every page has, put together once.
const std::string& commonRules() {
  static const std::string rules = [] {
    std::string out(kPageRules);
    appendBoxRules(out);
    out += kTableRules;
    appendChartRules(out);
    out += kLapGridRules;
    out += kNarrowAndPrintRules;
    append(out, "svg.", kChart, "{min-width:0}.scroll::after,.", kChartBox, "::after{display:none}}");
    return out;
  }();
  return rules;
}

// Appends ".k" and the palette place of a car: the selector of its class.
void appendCar(std::string& out, std::size_t place) {
  char digits[24];
  append(out, ".", kCarPrefix, std::string_view(digits, std::to_chars(digits, digits + sizeof digits, place).ptr));
}

// The rules that bring a car forward wherever its class is hovered or
// focused inside an element of class kCars: its chart lines and labels
// stay, every other car's fade, its table rows are marked.
void appendCarRules(std::string& out, std::span<const std::size_t> cars) {
  if (cars.empty()) return;
  const auto appendRule = [&out, cars](const auto& appendTarget, std::string_view declarations) {
    for (std::size_t i = 0; i < cars.size(); ++i) {
      if (i > 0) out += ',';
      append(out, ".", kCars, ":has(");
      appendCar(out, cars[i]);
      out += ":hover,";
      appendCar(out, cars[i]);
      out += ":focus-visible) ";
      appendTarget(cars[i]);
    }
    out += declarations;
  };
  appendRule(
      [&out](std::size_t car) {
        appendPart(out, {kCarPart});
        out += ":not(";
        appendCar(out, car);
        out += ')';
      },
      "{opacity:.18}");
  appendRule(
      [&out](std::size_t car) {
        append(out, ".", kChart, " ");
        appendCar(out, car);
        append(out, " .", kLine);
      },
      "{stroke-width:3}");
  appendRule(
      [&out](std::size_t car) {
        out += "tr";
        appendCar(out, car);
      },
      "{background:#fdf0c2}");
}

}  // namespace

void appendStyleSheet(std::string& out, std::span<const std::size_t> cars, bool site) {
  out += commonRules();
  if (site) out += kSiteRules;
  appendCarRules(out, cars);
}

}  // namespace marvolt::style
