#include "reports/rephtml.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "frontend/error.hpp"
#include "frontend/telvo.hpp"
#include "reports/htmlpage.hpp"
#include "reports/report.hpp"
#include "reports/svgchart.hpp"
#include "timing/timing.hpp"

namespace marvolt {

namespace {

using html::appendInt;
using html::appendText;

constexpr std::size_t kReserved = 16384;
constexpr std::size_t kLapCellBytes = 24;      // one crossing in a lap table
constexpr std::size_t kChartPointBytes = 270;  // one race crossing in the three charts
constexpr std::size_t kLapsPerRow = 10;        // columns of a lap table
constexpr double kSlowLapFactor = 1.25;        // lap times beyond the median times this sit on the edge

// The 1-based place of a session in its event.
std::size_t sessionNumber(const Event& event, const Session& session) {
  return static_cast<std::size_t>(&session - event.sessions.data()) + 1;
}

// The lap list of every car id: the first list with that id, as the lap
// dump of the text report takes it.
HtmlReport::LapLists firstLapLists(const Timing& timing) {
  HtmlReport::LapLists lists;
  lists.reserve(timing.timing.size());
  for (const TimingEntry& car : timing.timing) lists.emplace(car.carid, &car.laps);
  return lists;
}

std::size_t raceCrossings(const Event& event) {
  std::size_t crossings = 0;
  for (const Session& session : event.sessions) {
    if (session.type != SessT::RACE || !session.timing) continue;
    for (const TimingEntry& car : session.timing->timing) crossings += car.laps.size();
  }
  return crossings;
}

void appendTimeCell(std::string& out, std::uint32_t ms) {
  out += "<td class=\"r\">";
  appendMsecToTime(out, ms);
  out += "</td>";
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

// Appends a table head with one header cell per name; a name starting with
// '>' is a right-aligned column.
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

// The classes of a lap cell with flags, and their meaning.
void appendFlagAttributes(std::string& out, LapFlag flags) {
  out += " class=\"";
  bool first = true;
  for (const auto& [flag, cls] : {std::pair{LapFlag::OFFTRACK, "o"}, {LapFlag::INVALID, "x"},
                                  {LapFlag::UNKNOWN, "u"}}) {
    if (!hasFlag(flags, flag)) continue;
    if (!first) out += ' ';
    out += cls;
    first = false;
  }
  out += "\" title=\"";
  appendLapFlagStr(out, flags);
  out += '"';
}

// The marker of a lap in the lap-time chart.
svg::Marker lapMarker(LapFlag flags) {
  if (hasFlag(flags, LapFlag::INVALID)) return svg::Marker::Cross;
  if (hasFlag(flags, LapFlag::OFFTRACK)) return svg::Marker::Ring;
  if (hasFlag(flags, LapFlag::UNKNOWN)) return svg::Marker::Square;
  return svg::Marker::Dot;
}

// The value below which `share` of the sorted values lie.
double quantile(const std::vector<double>& sorted, double share) {
  if (sorted.empty()) return 0;
  return sorted[static_cast<std::size_t>(share * static_cast<double>(sorted.size() - 1))];
}

// The y axis of the gap chart: from 0 to the largest gap, unless a few cars
// fell so far behind that the rest would be squeezed flat.
svg::Axis gapAxis(std::vector<double> gaps) {
  svg::Axis axis{"Gap to leader", 0, 1, false, svg::TickFormat::Duration};
  std::sort(gaps.begin(), gaps.end());
  double top = gaps.empty() ? 1 : gaps.back();
  const double typical = quantile(gaps, 0.9);
  if (typical > 0 && top > 3 * typical) top = 3 * typical;
  const double step = svg::niceStep(top, 8, svg::TickFormat::Duration);
  axis.max = std::max(step, std::ceil(top / step - 1e-9) * step);
  return axis;
}

// The y axis of the lap-time chart: from the fastest lap to the median lap
// times kSlowLapFactor, on whole ticks.
svg::Axis lapTimeAxis(std::vector<double> times) {
  svg::Axis axis{"Lap time", 0, 1, false, svg::TickFormat::Duration};
  std::sort(times.begin(), times.end());
  const double low = times.front();
  const double high = std::max(low, std::min(times.back(), quantile(times, 0.5) * kSlowLapFactor));
  const double step = svg::niceStep(std::max(high - low, 0.1), 8, svg::TickFormat::Duration);
  axis.min = std::floor(low / step + 1e-9) * step;
  axis.max = std::max(axis.min + step, std::ceil(high / step - 1e-9) * step);
  return axis;
}

void appendFigure(std::string& out, const svg::LineChart& chart, std::string_view caption) {
  out += "<figure><figcaption>";
  appendText(out, caption);
  out += "</figcaption>\n";
  svg::appendLineChart(out, chart);
  out += "</figure>\n";
}

}  // namespace

HtmlReport::HtmlReport(const Sections& sections) : sections_(sections) { rep_.reserve(kReserved); }

void HtmlReport::reserve(std::size_t bytes) { rep_.reserve(bytes); }

void HtmlReport::reportReplayInfo(const Data& data) { saver_ = &data.replay; }

std::string_view HtmlReport::colourOf(const Entry& entry) const {
  const auto it = listed_.find(&entry);
  return it == listed_.end() ? svg::kNeutralColour : svg::paletteColour(it->second);
}

void HtmlReport::appendCarCell(const Entry& entry) {
  rep_ += "<td class=\"r\">";
  html::appendSwatch(rep_, colourOf(entry));
  appendInt(rep_, entry.startNum);
  rep_ += "</td>";
}

void HtmlReport::reportEvent(const Data& data) {
  const Event& event = data.events.front();
  const std::vector<const Entry*> listing = entriesByStartNumber(event);
  for (std::size_t i = 0; i < listing.size(); ++i) listed_.emplace(listing[i], i);
  if (sections_.has(Flag::RACERESULTS)) rep_.reserve(rep_.capacity() + kChartPointBytes * raceCrossings(event));

  const bool eventInfo = sections_.has(Flag::EVENTINFO);
  html::beginPage(rep_, eventInfo ? event.track + u" \u00B7 " + event.carset + u" \u00B7 race report"
                                  : std::u16string(u"Race report"));
  begun_ = true;
  if (eventInfo || saver_ != nullptr) {
    rep_ += "<header>\n";
    if (eventInfo) html::appendElement(rep_, "h1", event.track);
    rep_ += "<p class=\"meta\">";
    if (eventInfo) {
      rep_ += "Carset <b>";
      appendText(rep_, event.carset);
      rep_ += "</b>";
    }
    if (eventInfo && saver_ != nullptr) rep_ += " \u00B7 ";
    if (saver_ != nullptr) {
      rep_ += "Replay saved by <b>";
      appendText(rep_, saver_->saverFirstName);
      rep_ += ' ';
      appendText(rep_, saver_->saverLastName);
      rep_ += "</b>";
    }
    rep_ += "</p>\n</header>\n";
  }
  if (sections_.has(Flag::ENTRYLIST)) reportEntryList(event);
  reportSessions(*this, event, sections_);
}

void HtmlReport::reportEntryList(const Event& event) {
  rep_ += "<h2 id=\"entries\">Entry List</h2>\n";
  appendHead(rep_, {">No.", "Team", "Chassis", "Engine", ">Year", "Driver", "NAT", "Remark"});
  for (const Entry* listed : entriesByStartNumber(event)) {
    const Entry& entry = *listed;
    const std::size_t drivers = entry.drivers.length();
    // The car's cells span the rows of all its drivers.
    std::string span;
    if (drivers > 1) {
      span = " rowspan=\"";
      appendInt(span, static_cast<std::int64_t>(drivers));
      span += '"';
    }
    rep_ += "<tr><td class=\"r\"";
    rep_ += span;
    rep_ += '>';
    html::appendSwatch(rep_, colourOf(entry));
    appendInt(rep_, entry.startNum);
    rep_ += "</td>";
    for (const std::u16string* text : {&entry.team, &entry.chassis, &entry.engine}) {
      rep_ += "<td";
      rep_ += span;
      rep_ += '>';
      appendText(rep_, *text);
      rep_ += "</td>";
    }
    rep_ += "<td class=\"r\"";
    rep_ += span;
    rep_ += '>';
    appendInt(rep_, entry.year);
    rep_ += "</td>";
    if (drivers == 0) rep_ += "<td></td><td></td><td></td></tr>\n";
    bool first = true;
    for (const Driver& driver : entry.drivers) {
      if (!first) rep_ += "<tr>";
      first = false;
      appendTextCell(rep_, fullName(driver));
      appendTextCell(rep_, driver.nat);
      appendTextCell(rep_, driver.remark);
      rep_ += "</tr>\n";
    }
  }
  appendTail(rep_);
}

void HtmlReport::reportBestLapResults(const Event& event, const Session& session, std::string_view title) {
  const std::vector<BestLapResult> results = session.timing->getBestLapResults();
  if (results.empty()) return;
  const bool race = session.type == SessT::RACE;
  rep_ += race ? "<h3>" : "<h2>";
  rep_ += title;
  rep_ += " <small>Session ";
  appendInt(rep_, static_cast<std::int64_t>(sessionNumber(event, session)));
  rep_ += race ? "</small></h3>\n" : "</small></h2>\n";
  appendHead(rep_, {">Pos", ">No.", "Driver", ">Time", ">Gap", ">Lap", ">Clock", "Remark"});
  std::int64_t position = 0;
  for (const BestLapResult& row : results) {
    const Entry& entry = entryOf(event, row.carid);
    rep_ += "<tr>";
    appendIntCell(rep_, ++position);
    appendCarCell(entry);
    appendTextCell(rep_, fullName(driverOf(entry, row.driverid)));
    appendTimeCell(rep_, row.laptime);
    appendTimeCell(rep_, static_cast<std::uint32_t>(row.gap));
    appendIntCell(rep_, row.lap);
    appendTimeCell(rep_, row.clock);
    appendTextCell(rep_, row.remark);
    rep_ += "</tr>\n";
  }
  appendTail(rep_);
}

void HtmlReport::reportRaceResults(const Event& event, const Session& session) {
  MARVOLT_ASSERT(session.type == SessT::RACE, "race table of a session that is no race");
  const std::vector<RaceResult> results = session.timing->getRaceResults();
  if (results.empty()) return;
  const std::size_t number = sessionNumber(event, session);
  const RaceHistory history = session.timing->raceHistory();
  const auto lapLists = firstLapLists(*session.timing);
  rep_ += "<h2 id=\"race-";
  appendInt(rep_, static_cast<std::int64_t>(number));
  rep_ += "\">Race Results <small>Session ";
  appendInt(rep_, static_cast<std::int64_t>(number));
  rep_ += "</small></h2>\n";
  appendHead(rep_, {">Pos", ">No.", "Driver", ">Laps", ">Time", ">Gap", ">Interval", ">Led", ">Best", "Remark"});
  std::int64_t position = 0;
  for (const RaceResult& row : results) {
    const Entry& entry = entryOf(event, row.carid);
    const CarHistory* car = history.car(row.carid);
    const auto laps = lapLists.find(row.carid);
    rep_ += "<tr>";
    appendIntCell(rep_, ++position);
    appendCarCell(entry);
    appendTextCell(rep_, fullName(driverOf(entry, row.driverid)));
    appendIntCell(rep_, row.laps);
    appendTimeCell(rep_, row.clock);
    appendTimeCell(rep_, static_cast<std::uint32_t>(row.gap));
    appendTimeCell(rep_, static_cast<std::uint32_t>(row.diff));
    appendIntCell(rep_, car != nullptr ? car->lapsLed : 0);
    const std::uint32_t best = laps != lapLists.end() ? session.timing->bestlap(*laps->second) : 0;
    appendTimeCell(rep_, best != 0 ? best : NOTIME);
    appendTextCell(rep_, row.remark);
    rep_ += "</tr>\n";
  }
  appendTail(rep_);
  appendCharts(event, session, {number, results, history, lapLists});
}

void HtmlReport::appendCharts(const Event& event, const Session& session, const RaceCourse& race) {
  const Timing& timing = *session.timing;
  const std::vector<RaceResult>& results = race.results;
  const RaceHistory& history = race.history;
  const LapLists& lapLists = race.lapLists;
  const std::size_t number = race.number;
  const std::uint32_t start = timing.raceLapTable.front().front().lapData.clock;
  const std::string id = std::to_string(number);

  svg::LineChart positions;
  positions.id = "lapchart-" + id;
  positions.title = "Lap chart: position after each lap";
  svg::LineChart gaps;
  gaps.id = "gapchart-" + id;
  gaps.title = "Gap to the leader after each lap";
  svg::LineChart times;
  times.id = "laptimechart-" + id;
  times.title = "Lap time of every lap";
  std::vector<double> gapValues;
  std::vector<double> timeValues;
  std::int32_t lastPosition = 1;
  std::size_t lastLap = 1;
  std::string prefix;
  std::string title;
  // The leaders are drawn last, on top of the field.
  for (auto row = results.rbegin(); row != results.rend(); ++row) {
    const CarHistory* car = history.car(row->carid);
    if (car == nullptr) continue;
    const Entry& entry = entryOf(event, row->carid);
    const auto listed = lapLists.find(row->carid);
    if (listed == lapLists.end()) continue;
    const std::vector<TimedLap>& laps = *listed->second;
    const std::u16string label = toUtf16(std::to_string(entry.startNum)) + u' ' +
                                 fullName(driverOf(entry, row->driverid));
    const std::string colour(colourOf(entry));
    prefix = toUtf8(label);
    positions.series.emplace_back(label, colour);
    gaps.series.emplace_back(label, colour);
    times.series.emplace_back(label, colour);
    svg::Series& position = positions.series.back();
    svg::Series& gap = gaps.series.back();
    svg::Series& lapTime = times.series.back();
    const std::size_t count = car->standings.size();
    position.reserve(count, count * (prefix.size() + 32));
    gap.reserve(count, count * (prefix.size() + 32));
    lapTime.reserve(laps.size(), laps.size() * (prefix.size() + 48));
    for (std::size_t j = 0; j < count; ++j) {
      const Standing& standing = car->standings[j];
      lastPosition = std::max(lastPosition, standing.position);
      lastLap = std::max(lastLap, j);
      title = prefix;
      title += ", lap ";
      appendInt(title, static_cast<std::int64_t>(j));
      title += ": P";
      appendInt(title, standing.position);
      const std::size_t common = title.size();
      if (j < laps.size()) {
        title += ", ";
        appendMsecToTime(title, laps[j].clock - start);
      }
      position.add(static_cast<double>(j), standing.position, title);
      title.resize(common);
      title += ", +";
      appendMsecToTime(title, static_cast<std::uint32_t>(standing.gap));
      gap.add(static_cast<double>(j), standing.gap / 1000.0, title);
      gapValues.push_back(standing.gap / 1000.0);
    }
    for (std::size_t j = 1; j < laps.size(); ++j) {
      const std::uint32_t ms = laps[j].clock - laps[j - 1].clock;
      title = prefix;
      title += ", lap ";
      appendInt(title, static_cast<std::int64_t>(j));
      if (j < count) {
        title += ": P";
        appendInt(title, car->standings[j].position);
      }
      title += ", ";
      appendMsecToTime(title, ms);
      if (laps[j].flags != LapFlag::NONE) {
        title += ", ";
        appendLapFlagStr(title, laps[j].flags);
      }
      lapTime.add(static_cast<double>(j), ms / 1000.0, title, lapMarker(laps[j].flags));
      timeValues.push_back(ms / 1000.0);
    }
  }

  const svg::Axis lapAxis{"Lap", 0, static_cast<double>(lastLap), false, svg::TickFormat::Integer};
  positions.x = lapAxis;
  positions.y = {"Position", 0.5, lastPosition + 0.5, true, svg::TickFormat::Integer};
  positions.startLabels = true;
  appendFigure(rep_, positions, "Lap chart: position after each lap (start order on the left)");

  gaps.x = lapAxis;
  gaps.y = gapAxis(std::move(gapValues));
  appendFigure(rep_, gaps, "Gap to the leader after each lap (the leader on the zero line)");

  if (timeValues.empty()) {
    rep_ += "<p class=\"note\">No lap was completed.</p>\n";
    return;
  }
  times.x = lapAxis;
  times.y = lapTimeAxis(timeValues);
  times.legend = {{svg::Marker::Dot, "valid lap"},
                  {svg::Marker::Ring, "off track"},
                  {svg::Marker::Cross, "invalid"},
                  {svg::Marker::Square, "unknown flag"}};
  std::string caption = "Lap time of every lap";
  if (*std::max_element(timeValues.begin(), timeValues.end()) > times.y.max) {
    caption += " (laps slower than ";
    appendMsecToTime(caption, static_cast<std::uint32_t>(std::llround(times.y.max * 1000)));
    caption += " sit on the top edge, \u25B2)";
  }
  appendFigure(rep_, times, caption);
}

void HtmlReport::reportDumpLaps(const Event& event) {
  for (const Session& session : event.sessions) {
    const std::size_t number = sessionNumber(event, session);
    rep_ += "<h2 id=\"laps-";
    appendInt(rep_, static_cast<std::int64_t>(number));
    rep_ += "\">Lap Times <small>Session ";
    appendInt(rep_, static_cast<std::int64_t>(number));
    rep_ += " (";
    rep_ += toString(session.type);
    rep_ += ")</small></h2>\n<p class=\"note\">Lap n is in the row of its tens and the column of its units; "
            "lap 0 is the first crossing of the line. Marked: off track \u25CB, invalid \u00D7, "
            "unknown flag ?.</p>\n<div class=\"laps\">\n";
    const auto lapLists = firstLapLists(*session.timing);
    for (const TimingEntry& car : session.timing->timing) {
      const Entry& entry = entryOf(event, car.carid);
      const std::vector<TimedLap>& laps = *lapLists.at(car.carid);
      rep_ += "<div><h4>";
      html::appendSwatch(rep_, colourOf(entry));
      appendInt(rep_, entry.startNum);
      rep_ += ' ';
      appendText(rep_, fullName(driverOf(entry, car.driverid)));
      rep_ += "</h4>";
      if (laps.empty()) {
        rep_ += "<p class=\"note\">No crossing of the line.</p></div>\n";
        continue;
      }
      rep_ += "<table><thead><tr><th>Lap</th>";
      for (std::size_t column = 0; column < std::min(kLapsPerRow, laps.size()); ++column) {
        rep_ += "<th class=\"r\">";
        appendInt(rep_, static_cast<std::int64_t>(column));
        rep_ += "</th>";
      }
      rep_ += "</tr></thead><tbody>";
      std::uint32_t prev = 0;
      for (std::size_t j = 0; j < laps.size(); ++j) {
        if (j % kLapsPerRow == 0) {
          if (j > 0) rep_ += "</tr>";
          rep_ += "\n<tr><th>";
          appendInt(rep_, static_cast<std::int64_t>(j));
          rep_ += "</th>";
        }
        rep_ += "<td";
        if (laps[j].flags != LapFlag::NONE) appendFlagAttributes(rep_, laps[j].flags);
        rep_ += '>';
        appendMsecToTime(rep_, laps[j].clock - prev);
        rep_ += "</td>";
        prev = laps[j].clock;
      }
      rep_ += "</tr>\n</tbody></table></div>\n";
    }
    rep_ += "</div>\n";
  }
}

std::string HtmlReport::take() {
  if (begun_) html::endPage(rep_);
  return std::move(rep_);
}

std::string reportHTML(const Data& data, const Sections& sections) {
  return buildReport<HtmlReport>(data, sections, kLapCellBytes);
}

}  // namespace marvolt
