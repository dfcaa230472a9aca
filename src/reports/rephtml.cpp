#include "reports/rephtml.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <span>
#include <vector>

#include "frontend/sink.hpp"
#include "frontend/telvo.hpp"
#include "reports/htmlpage.hpp"
#include "reports/pagestyle.hpp"
#include "reports/report.hpp"
#include "reports/svgchart.hpp"

namespace marvolt {

using namespace std::string_view_literals;

namespace {

using html::appendHead;
using html::appendInt;
using html::appendIntCell;
using html::appendTail;
using html::appendText;
using html::appendTextCell;
using html::appendTimeCell;

constexpr std::size_t kLapsPerRow = 10;        // columns of a lap table
constexpr double kSlowLapFactor = 1.25;        // lap times beyond the median times this sit on the edge
constexpr std::size_t kMostChartedCars = svg::kMostLines;   // a larger field gets no charts
constexpr std::size_t kMostChartedCrossings = 32768;  // and neither does a longer race

// Whether a race gets its charts: only a damaged replay holds a field or a
// distance beyond these, and its lines would be a wall.
bool chartable(const ReportSession& session) {
  return session.running <= kMostChartedCars && session.crossings <= kMostChartedCrossings;
}

// The most a lap cell takes: its classes and their meaning, a time.
constexpr std::size_t kLapCellChars = 40 + kLapFlagChars + kTimeChars;

// Writes the classes of a lap cell with flags, and their meaning.
char* writeFlagAttributes(char* at, LapFlag flags) {
  at = putText(at, " class=\""sv);
  bool first = true;
  for (const auto& [flag, cls] : {std::pair{LapFlag::OFFTRACK, "o"sv}, {LapFlag::INVALID, "x"sv},
                                  {LapFlag::UNKNOWN, "u"sv}}) {
    if (!hasFlag(flags, flag)) continue;
    if (!first) *at++ = ' ';
    at = putText(at, cls);
    first = false;
  }
  return putText(writeLapFlagStr(putText(at, "\" title=\""sv), flags), "\""sv);
}

// The marker of a lap in the lap-time chart.
svg::Marker lapMarker(LapFlag flags) {
  if (hasFlag(flags, LapFlag::INVALID)) return svg::Marker::Cross;
  if (hasFlag(flags, LapFlag::OFFTRACK)) return svg::Marker::Ring;
  if (hasFlag(flags, LapFlag::UNKNOWN)) return svg::Marker::Square;
  return svg::Marker::Dot;
}

// The value below which `share` of the values lie (reorders them).
double quantile(std::vector<double>& values, double share) {
  if (values.empty()) return 0;
  const auto at = values.begin() + static_cast<std::ptrdiff_t>(share * static_cast<double>(values.size() - 1));
  std::nth_element(values.begin(), at, values.end());
  return *at;
}

// The y axis of the lap chart: a row for every position, 1 at the top.
svg::Axis positionAxis(std::vector<double> positions) {
  double last = 1;
  for (const double position : positions) last = std::max(last, position);
  return {"Position", 0.5, last + 0.5, true, svg::TickFormat::Integer};
}

// The y axis of the gap chart: from 0 to the largest gap, unless a few cars
// fell so far behind that the rest would be squeezed flat.
svg::Axis gapAxis(std::vector<double> gaps) {
  svg::Axis axis{"Gap to leader", 0, 1, false, svg::TickFormat::Duration};
  double top = gaps.empty() ? 1 : *std::max_element(gaps.begin(), gaps.end());
  const double typical = quantile(gaps, 0.9);
  if (typical > 0 && top > 3 * typical) top = 3 * typical;
  const double step = svg::niceStep(top, 8, svg::TickFormat::Duration);
  axis.max = std::max(step, std::ceil(top / step - 1e-9) * step);
  return axis;
}

// The y axis of the lap-time chart: from the fastest lap to the median lap
// times kSlowLapFactor, on whole ticks; `times` is not empty.
svg::Axis lapTimeAxis(std::vector<double> times) {
  svg::Axis axis{"Lap time", 0, 1, false, svg::TickFormat::Duration};
  const auto [fastest, slowest] = std::minmax_element(times.begin(), times.end());
  const double slow = *slowest;
  double low = *fastest;
  double high = std::max(low, std::min(slow, quantile(times, 0.5) * kSlowLapFactor));
  if (high - low < 1) {
    // Laps within a second of each other sit in the middle of two seconds.
    low = std::max(0.0, (low + high) / 2 - 1);
    high = low + 2;
  }
  const double step = svg::niceStep(high - low, 8, svg::TickFormat::Duration);
  axis.min = std::floor(low / step + 1e-9) * step;
  axis.max = std::max(axis.min + step, std::ceil(high / step - 1e-9) * step);
  return axis;
}

// One car of the race charts.
struct ChartCar {
  const CarCourse* course;
  std::size_t listed;     // the car's place in the palette, or svg::kNoCar
  std::u16string label;   // start number and driver
  std::string prefix;     // the label, escaped, and ", lap ": the start of every hover title
  std::string colour;
};

// Room for what a race chart's kind writes into a hover title.
constexpr std::size_t kTitleChars = 64;

char* writePosition(char* at, std::int32_t position) {
  return std::to_chars(putText(at, ": P"sv), at + 16, position).ptr;
}

// The last crossing number any car made, at least 1.
double lastLapOf(const std::vector<ChartCar>& cars) {
  std::size_t crossings = 2;
  for (const ChartCar& car : cars) {
    crossings = std::max({crossings, car.course->standings.size(), car.course->crossings.size()});
  }
  return static_cast<double>(crossings - 1);
}

// What tells the race charts apart: the laps a car has a point at (from
// `firstLap` to the end of what `lapsOf` counts), the point's value and
// marker, the y axis of all the values, and what a point's hover title says
// after "<car>, lap <n>".
struct RaceChartKind {
  std::string_view id;      // the start of the chart's id, before the session's number
  std::string_view title;
  std::string_view caption;
  std::size_t firstLap;
  std::size_t (*lapsOf)(const CarCourse& course);
  svg::Point (*pointAt)(const CarCourse& course, std::size_t lap);
  svg::Axis (*axisOf)(std::vector<double> values);
  char* (*writeTitle)(char* at, const CarCourse& course, std::size_t lap);   // kTitleChars at most
  bool startLabels;
  std::span<const svg::LegendItem> legend;
};

std::size_t standingsOf(const CarCourse& course) { return course.standings.size(); }
std::size_t crossingsOf(const CarCourse& course) { return course.crossings.size(); }

// Position after every crossing, 1 at the top.
constexpr RaceChartKind kLapChart = {
    "lapchart-", "Lap chart: position after each lap", "Lap chart: position after each lap (start order on the left)",
    0, standingsOf,
    [](const CarCourse& course, std::size_t lap) {
      return svg::Point{static_cast<double>(lap), static_cast<double>(course.standings[lap].position)};
    },
    positionAxis,
    [](char* at, const CarCourse& course, std::size_t lap) {
      const RaceStanding& standing = course.standings[lap];
      at = writePosition(at, standing.position);
      if (standing.raceTime != NOTIME) at = writeMsecToTime(putText(at, ", "sv), standing.raceTime);
      return at;
    },
    true, {}};

// Gap to the first car over the line after every crossing.
constexpr RaceChartKind kGapChart = {
    "gapchart-", "Gap to the leader after each lap", "Gap to the leader after each lap (the leader on the zero line)",
    0, standingsOf,
    [](const CarCourse& course, std::size_t lap) {
      return svg::Point{static_cast<double>(lap), course.standings[lap].gap / 1000.0};
    },
    gapAxis,
    [](char* at, const CarCourse& course, std::size_t lap) {
      const RaceStanding& standing = course.standings[lap];
      return writeMsecToTime(putText(writePosition(at, standing.position), ", +"sv), standing.gap);
    },
    false, {}};

// The markers of the lap-time chart: a lap's flags.
const svg::LegendItem kLapMarkers[] = {{svg::Marker::Dot, "valid lap"},
                                       {svg::Marker::Ring, "off track"},
                                       {svg::Marker::Cross, "invalid"},
                                       {svg::Marker::Square, "unknown flag"}};

// The time of every lap after the first crossing, marked by its flags.
constexpr RaceChartKind kLapTimeChart = {
    "laptimechart-", "Lap time of every lap", "Lap time of every lap",
    1, crossingsOf,
    [](const CarCourse& course, std::size_t lap) {
      const Crossing& crossing = course.crossings[lap];
      return svg::Point{static_cast<double>(lap), crossing.lapTime() / 1000.0, lapMarker(crossing.flags())};
    },
    lapTimeAxis,
    [](char* at, const CarCourse& course, std::size_t lap) {
      if (lap < course.standings.size()) at = writePosition(at, course.standings[lap].position);
      at = writeMsecToTime(putText(at, ", "sv), course.crossings[lap].lapTime());
      const LapFlag flags = course.crossings[lap].flags();
      if (flags != LapFlag::NONE) at = writeLapFlagStr(putText(at, ", "sv), flags);
      return at;
    },
    false, kLapMarkers};

// A race chart of `kind` over the cars, in session `id`: a line per car,
// labelled and coloured as the car. The kind is known when compiling, so
// that its value and title of a point are written in place.
template <const RaceChartKind& kind>
svg::LineChart raceChart(const std::vector<ChartCar>& cars, const std::string& id) {
  svg::LineChart chart;
  chart.id = std::string(kind.id) + id;
  chart.title = kind.title;
  chart.x = {"Lap", 0, lastLapOf(cars), false, svg::TickFormat::Integer};
  chart.series.reserve(cars.size());
  std::vector<double> values;
  std::size_t points = 0;
  for (const ChartCar& car : cars) points += kind.lapsOf(*car.course);
  values.reserve(points);
  for (const ChartCar& car : cars) {
    svg::Series& series = chart.series.emplace_back(svg::Series{car.label, car.colour, {}, car.listed});
    const std::size_t laps = kind.lapsOf(*car.course);
    series.points.reserve(laps);
    for (std::size_t lap = kind.firstLap; lap < laps; ++lap) {
      series.points.push_back(kind.pointAt(*car.course, lap));
      values.push_back(series.points.back().y);
    }
  }
  chart.y = kind.axisOf(std::move(values));
  chart.startLabels = kind.startLabels;
  chart.legend.assign(kind.legend.begin(), kind.legend.end());
  chart.pointTitle = [&cars](TextRoom& room, std::size_t series, std::size_t point) {
    const ChartCar& car = cars[series];
    const std::size_t lap = point + kind.firstLap;
    room.put(car.prefix);
    char* at = room.reserve(20 + kTitleChars);
    room.commit(kind.writeTitle(std::to_chars(at, at + 20, lap).ptr, *car.course, lap));
  };
  return chart;
}

// The caption of the lap-time chart: it says where laps beyond the scale are.
std::string lapTimeCaption(const std::vector<ChartCar>& cars, const svg::Axis& axis) {
  std::string caption(kLapTimeChart.caption);
  const bool clipped = std::any_of(cars.begin(), cars.end(), [&axis](const ChartCar& car) {
    const std::span<const Crossing> laps = car.course->crossings;
    return std::any_of(laps.begin() + std::min<std::size_t>(1, laps.size()), laps.end(),
                       [&axis](const Crossing& lap) { return lap.lapTime() / 1000.0 > axis.max; });
  });
  if (clipped) {
    caption += " (laps slower than "sv;
    appendMsecToTime(caption, static_cast<std::uint32_t>(std::llround(axis.max * 1000)));
    caption += " sit on the top edge, \u25B2)"sv;
  }
  return caption;
}

// Whether any car completed a lap: the lap-time chart has a point.
bool anyLapCompleted(const std::vector<ChartCar>& cars) {
  return std::any_of(cars.begin(), cars.end(), [](const ChartCar& car) { return car.course->crossings.size() > 1; });
}

// The figure of a chart, handed on series by series.
void appendFigure(OutputSink& sink, const svg::LineChart& chart, std::string_view caption) {
  html::appendFigure(sink.text(), caption, [&chart, &sink](std::string& figure) {
    svg::appendLineChart(figure, chart, [&sink] { sink.checkpoint(); });
  });
  sink.checkpoint();
}

// Renders the HTML page of a model, row by row, into a sink.
class HtmlWriter {
 public:
  HtmlWriter(const ReportModel& model, const RacePageHooks& hooks, OutputSink& sink)
      : model_(model), hooks_(hooks), sink_(sink), rep_(sink.text()) {}

  void page() {
    const Sections& sections = model_.sections;
    const bool eventInfo = sections.has(Flag::EVENTINFO);
    const bool saver = sections.has(Flag::REPLAYINFO);
    // No more hover rules than a chart has lines.
    std::vector<std::size_t> hovered(std::min(model_.entries.size(), svg::kMostLines));
    for (std::size_t listed = 0; listed < hovered.size(); ++listed) hovered[listed] = placeOf(listed);
    std::sort(hovered.begin(), hovered.end());
    hovered.erase(std::unique(hovered.begin(), hovered.end()), hovered.end());
    html::beginPage(rep_,
                    eventInfo ? model_.track + u" \u00B7 " + model_.carset + u" \u00B7 race report"
                              : std::u16string(u"Race report"),
                    hovered, hooks_.site);
    if (eventInfo || saver) {
      rep_ += "<header>\n"sv;
      if (eventInfo) html::appendElement(rep_, "h1", model_.track);
      rep_ += "<p class=\"meta\">"sv;
      if (eventInfo) {
        rep_ += "Carset <b>"sv;
        appendText(rep_, model_.carset);
        rep_ += "</b>"sv;
      }
      if (eventInfo && saver) rep_ += " \u00B7 "sv;
      if (saver) {
        rep_ += "Replay saved by <b>"sv;
        appendText(rep_, model_.saverFirstName);
        rep_ += ' ';
        appendText(rep_, model_.saverLastName);
        rep_ += "</b>"sv;
      }
      rep_ += "</p>\n</header>\n"sv;
    }
    rep_ += hooks_.prelude;
    // Hovering a car anywhere below brings it forward in every chart.
    rep_ += "<div class=\""sv;
    rep_ += style::kCars;
    rep_ += "\">\n"sv;
    if (sections.has(Flag::ENTRYLIST)) entryList();
    renderSessions(*this, model_);
    rep_ += "</div>\n"sv;
    html::endPage(rep_, hooks_.site);
  }

  void bestLaps(const ReportSession& session, std::string_view title) {
    if (session.bestLaps.empty()) return;
    const bool race = session.type == SessT::RACE;
    rep_ += race ? "<h3>" : "<h2>";
    rep_ += title;
    rep_ += " <small>Session "sv;
    appendInt(rep_, static_cast<std::int64_t>(session.number));
    rep_ += race ? "</small></h3>\n" : "</small></h2>\n";
    appendHead(rep_, {"[r x0]Pos", "[r x1]No.", "[x2]Driver", ">Time", ">Gap", ">Lap", ">Clock", "Remark"});
    for (const BestLapRow& row : session.bestLaps) {
      appendNamedCells(row.position, row.car);
      appendTimeCell(rep_, row.lapTime);
      appendTimeCell(rep_, row.gap);
      appendIntCell(rep_, row.lap);
      appendTimeCell(rep_, row.clock);
      appendTextCell(rep_, row.remark);
      rep_ += "</tr>\n"sv;
      sink_.checkpoint();
    }
    appendTail(rep_);
  }

  void results(const ReportSession& session) {
    if (session.results.empty()) return;
    rep_ += "<h2 id=\"race-"sv;
    appendInt(rep_, static_cast<std::int64_t>(session.number));
    rep_ += "\">Race Results <small>Session "sv;
    appendInt(rep_, static_cast<std::int64_t>(session.number));
    rep_ += "</small></h2>\n"sv;
    appendHead(rep_,
               {"[r x0]Pos", "[r x1]No.", "[x2]Driver", ">Laps", ">Time", ">Gap", ">Interval", ">Led", ">Best", "Remark"});
    for (const RaceRow& row : session.results) {
      appendNamedCells(row.position, row.car);
      appendIntCell(rep_, row.laps);
      appendTimeCell(rep_, row.raceTime);
      if (row.lapsBehind > 0) {
        // A lapped car's gap is counted in laps, as official classifications give it.
        rep_ += "<td class=\"r\">+"sv;
        appendInt(rep_, row.lapsBehind);
        rep_ += row.lapsBehind == 1 ? " lap</td>"sv : " laps</td>"sv;
      } else {
        appendTimeCell(rep_, row.gap);
      }
      appendTimeCell(rep_, row.interval);
      appendIntCell(rep_, row.lapsLed);
      appendTimeCell(rep_, row.bestLap);
      appendTextCell(rep_, row.remark);
      rep_ += "</tr>\n"sv;
      sink_.checkpoint();
    }
    appendTail(rep_);
    charts(session);
  }

  void lapDump(const ReportModel& model) {
    if (!hooks_.lapDump) return;
    rep_ += "<h2 id=\"laps\">Lap Times</h2>\n<p class=\"note\">Lap n stands in the row of its tens and the column "
            "of its units; lap 0 is the first crossing of the line. Marked laps: off track \u25CB, invalid "
            "\u00D7, unknown flag ?.</p>\n";
    for (const ReportSession& session : model.sessions) {
      rep_ += "<h3 id=\"laps-"sv;
      appendInt(rep_, static_cast<std::int64_t>(session.number));
      rep_ += "\">Session "sv;
      appendInt(rep_, static_cast<std::int64_t>(session.number));
      rep_ += " <small>"sv;
      rep_ += toString(session.type);
      rep_ += "</small></h3>\n<div class=\"laps\">\n"sv;
      for (const LapListRow& list : session.lapLists) lapTable(list, session.courses[list.first].crossings);
      rep_ += "</div>\n"sv;
    }
  }

 private:
  // The palette place of the entry at `listed`: its colour, dashes and class.
  std::size_t placeOf(std::size_t listed) const {
    return listed < hooks_.carColours.size() ? hooks_.carColours[listed] : listed;
  }

  std::string_view colourOf(const CarRef& car) const {
    return car.listed == kNotListed ? svg::kNeutralColour : svg::paletteColour(placeOf(car.listed));
  }

  std::size_t carOf(const CarRef& car) const { return car.listed == kNotListed ? svg::kNoCar : placeOf(car.listed); }

  // Starts a table row of a car: `<tr>` with the car's class.
  void startRow(std::size_t car) {
    rep_ += "<tr"sv;
    if (car != svg::kNoCar) {
      rep_ += " class=\""sv;
      svg::appendCarClass(rep_, car);
      rep_ += '"';
    }
    rep_ += '>';
  }

  // Starts a row of a car with the cells kept in view: position, number and driver.
  void appendNamedCells(std::int64_t position, const CarRef& car) {
    startRow(carOf(car));
    rep_ += "<td class=\"r x0\">"sv;
    appendInt(rep_, position);
    rep_ += "</td><td class=\"r x1\">"sv;
    html::appendSwatch(rep_, colourOf(car));
    appendInt(rep_, car.startNum);
    rep_ += "</td><td class=\"x2\">"sv;
    appendText(rep_, car.name);
    rep_ += "</td>"sv;
  }

  // The entry list: the number and the driver first, both kept in view on
  // a narrow screen; the car's cells span the rows of all its drivers.
  void entryList() {
    rep_ += "<h2 id=\"entries\">Entry List</h2>\n"sv;
    appendHead(rep_, {"[r x0]No.", "[y1]Driver", "Team", "Chassis", "Engine", ">Year", "NAT", "Remark"});
    for (std::size_t listed = 0; listed < model_.entries.size(); ++listed) {
      const EntryRow& entry = model_.entries[listed];
      std::string span;
      if (entry.drivers.size() > 1) {
        span = " rowspan=\"";
        appendInt(span, static_cast<std::int64_t>(entry.drivers.size()));
        span += '"';
      }
      startRow(placeOf(listed));
      rep_ += "<td class=\"r x0\""sv;
      rep_ += span;
      rep_ += '>';
      html::appendSwatch(rep_, svg::paletteColour(placeOf(listed)));
      appendInt(rep_, entry.startNum);
      rep_ += "</td><td class=\"y1\">"sv;
      if (!entry.drivers.empty()) appendText(rep_, entry.drivers.front().name);
      rep_ += "</td>"sv;
      for (const std::u16string* text : {&entry.team, &entry.chassis, &entry.engine}) {
        rep_ += "<td"sv;
        rep_ += span;
        rep_ += '>';
        appendText(rep_, *text);
        rep_ += "</td>"sv;
      }
      rep_ += "<td class=\"r\""sv;
      rep_ += span;
      rep_ += '>';
      appendInt(rep_, entry.year);
      rep_ += "</td>"sv;
      for (std::size_t d = 0; d < std::max<std::size_t>(1, entry.drivers.size()); ++d) {
        if (d > 0) {
          startRow(placeOf(listed));
          rep_ += "<td class=\"y1\">"sv;
          appendText(rep_, entry.drivers[d].name);
          rep_ += "</td>"sv;
        }
        appendTextCell(rep_, d < entry.drivers.size() ? entry.drivers[d].nat : std::u16string());
        appendTextCell(rep_, d < entry.drivers.size() ? entry.drivers[d].remark : std::u16string());
        rep_ += "</tr>\n"sv;
      }
      sink_.checkpoint();
    }
    appendTail(rep_);
  }

  void charts(const ReportSession& session) {
    if (!chartable(session)) {
      rep_ += "<p class=\"note\">No charts: they are drawn for up to "sv;
      appendInt(rep_, kMostChartedCars);
      rep_ += " cars and "sv;
      appendInt(rep_, kMostChartedCrossings);
      rep_ += " crossings of the line.</p>\n"sv;
      return;
    }
    std::vector<ChartCar> cars;
    cars.reserve(session.results.size());
    // The leaders are drawn last, on top of the field.
    for (auto row = session.results.rbegin(); row != session.results.rend(); ++row) {
      if (row->course == kNotListed) continue;
      std::u16string label = toUtf16(std::to_string(row->car.startNum)) + u' ' + row->car.name;
      std::string prefix;
      appendText(prefix, label);
      prefix += ", lap "sv;
      cars.push_back({&session.courses[row->course], carOf(row->car), std::move(label), std::move(prefix),
                      std::string(colourOf(row->car))});
    }
    const std::string id = std::to_string(session.number);
    // One chart at a time: each reuses the memory of the one before.
    appendFigure(sink_, raceChart<kLapChart>(cars, id), kLapChart.caption);
    appendFigure(sink_, raceChart<kGapChart>(cars, id), kGapChart.caption);
    if (!anyLapCompleted(cars)) {
      rep_ += "<p class=\"note\">No lap was completed.</p>\n"sv;
      return;
    }
    const svg::LineChart times = raceChart<kLapTimeChart>(cars, id);
    appendFigure(sink_, times, lapTimeCaption(cars, times.y));
  }

  void lapTable(const LapListRow& list, std::span<const Crossing> laps) {
    rep_ += "<div><h4>"sv;
    html::appendSwatch(rep_, colourOf(list.car));
    appendInt(rep_, list.car.startNum);
    rep_ += ' ';
    appendText(rep_, list.car.name);
    rep_ += "</h4>"sv;
    if (laps.empty()) {
      rep_ += "<p class=\"note\">No crossing of the line.</p></div>\n"sv;
      return;
    }
    rep_ += "<div class=\"scroll\" tabindex=\"0\"><table><thead><tr><th scope=\"col\">Lap</th>"sv;
    for (std::size_t column = 0; column < std::min(kLapsPerRow, laps.size()); ++column) {
      rep_ += "<th scope=\"col\">"sv;
      appendInt(rep_, static_cast<std::int64_t>(column));
      rep_ += "</th>"sv;
    }
    rep_ += "</tr></thead><tbody>"sv;
    // A lap table holds most of the lap dump's bytes: its cells are put
    // together in a room.
    TextRoom room(rep_);
    for (std::size_t j = 0; j < laps.size(); ++j) {
      if (j % kLapsPerRow == 0) {
        char* at = putText(room.reserve(64), j > 0 ? "</tr>\n<tr><th scope=\"row\">"sv : "\n<tr><th scope=\"row\">"sv);
        room.commit(putText(std::to_chars(at, at + 20, j).ptr, "</th>"sv));
      }
      char* at = putText(room.reserve(kLapCellChars), "<td"sv);
      if (laps[j].flags() != LapFlag::NONE) at = writeFlagAttributes(at, laps[j].flags());
      room.commit(putText(writeMsecToTime(putText(at, ">"sv), laps[j].lapTime()), "</td>"sv));
    }
    room.flush();
    rep_ += "</tr>\n</tbody></table></div></div>\n"sv;
    sink_.checkpoint();
  }

  const ReportModel& model_;
  const RacePageHooks& hooks_;
  OutputSink& sink_;
  std::string& rep_;
};

}  // namespace

void reportHTML(OutputSink& sink, const ReportModel& model, const RacePageHooks& hooks) {
  if (model.hasEvent) HtmlWriter(model, hooks, sink).page();
}

}  // namespace marvolt
