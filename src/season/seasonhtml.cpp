#include "season/seasonhtml.hpp"

#include <algorithm>
#include <numeric>

#include "frontend/telvo.hpp"
#include "platform/platform.hpp"
#include "reports/htmlpage.hpp"
#include "reports/pagestyle.hpp"
#include "reports/svgchart.hpp"
#include "season/seasontxt.hpp"

namespace marvolt {

namespace {

using namespace std::string_view_literals;
using html::appendInt;
using html::appendText;

// One round's cell as the text tables show it.
void appendResultCell(std::string& out, const std::optional<RoundResult>& result) {
  out += "<td class=\"r\">"sv;
  appendText(out, roundCell(result));
  out += "</td>"sv;
}

// A cell holding `text`, a link to pages[i] where there are pages.
void appendLinkedCell(std::string& out, std::u16string_view text, const std::vector<std::string>* pages,
                      std::size_t i) {
  if (pages == nullptr || i >= pages->size()) {
    html::appendTextCell(out, text);
    return;
  }
  out += "<td>"sv;
  html::appendLink(out, (*pages)[i], text);
  out += "</td>"sv;
}

// The file name of a path: the pages show no local folder.
std::string fileNameOf(const std::string& path) {
  std::size_t start = path.size();
  while (start > 0 && !platform::isSeparator(path[start - 1])) --start;
  return path.substr(start);
}

// A cell holding a driver's name, or nothing.
void appendOptionalCell(std::string& out, const std::optional<std::u16string>& text) {
  html::appendTextCell(out, text.value_or(u""));
}

void appendRounds(std::string& out, const std::vector<RoundSummary>& rounds, const std::vector<std::string>* pages,
                  bool league) {
  out += "<h2 id=\"rounds\">Rounds</h2>\n"sv;
  if (league) {
    html::appendHead(out, {">Round", "Name", "Date", "Track", "Replay", "Winner", "Pole", "Fastest lap"});
  } else {
    html::appendHead(out, {">Round", "Track", "Replay", "Winner", "Pole", "Fastest lap"});
  }
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    const RoundSummary& round = rounds[r];
    out += "<tr>"sv;
    html::appendIntCell(out, static_cast<std::int64_t>(r + 1));
    appendLinkedCell(out, roundLinkText(r + 1, round), pages, r);
    if (league) {
      html::appendTextCell(out, toUtf16(round.date.value_or("")));
      html::appendTextCell(out, round.track);
    }
    html::appendTextCell(out, toUtf16(fileNameOf(round.file)));
    appendOptionalCell(out, round.winner);
    appendOptionalCell(out, round.pole);
    appendOptionalCell(out, round.fastestLap);
    out += "</tr>\n"sv;
  }
  html::appendTail(out);
}

// The heads of the statistics columns of a table.
void appendStatisticsHeads(std::string& out, bool deductions) {
  for (const std::string_view head : {"Starts"sv, "Podiums"sv, "Poles"sv, "<abbr title=\"Fastest laps\">FL</abbr>"sv,
                                      "Led"sv, "<abbr title=\"Retirements\">DNF</abbr>"sv, "Best"sv}) {
    out += "<th scope=\"col\" class=\"r\">"sv;
    out += head;
    out += "</th>"sv;
  }
  if (deductions) out += "<th scope=\"col\" class=\"r\"><abbr title=\"Points deducted\">Ded.</abbr></th>"sv;
}

// A row's statistics cells; the best finish is empty when there is none.
void appendStatisticsCells(std::string& out, const StandingsRow& row, bool deductions) {
  html::appendIntCell(out, row.starts);
  html::appendIntCell(out, row.podiums);
  html::appendIntCell(out, row.poles);
  html::appendIntCell(out, row.fastestLaps);
  html::appendIntCell(out, static_cast<std::int64_t>(row.lapsLed));
  html::appendIntCell(out, row.retirements);
  if (row.bestFinish > 0) {
    html::appendIntCell(out, row.bestFinish);
  } else {
    out += "<td></td>"sv;
  }
  if (deductions) html::appendIntCell(out, static_cast<std::int64_t>(row.pointsDeducted));
}

void appendTable(std::string& out, std::string_view id, std::string_view title, std::string_view nameHeading,
                 const std::vector<StandingsRow>& rows, const std::vector<RoundSummary>& rounds,
                 const std::vector<std::string>* pages, bool deductions) {
  out += "<h2 id=\""sv;
  out += id;
  out += "\">"sv;
  out += title;
  out += "</h2>\n<div class=\"scroll\" tabindex=\"0\"><table><thead><tr><th scope=\"col\" class=\"r x0\">Pos</th>"
         "<th scope=\"col\" class=\"y1\">"sv;
  out += nameHeading;
  out += "</th>"sv;
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    out += "<th scope=\"col\" class=\"r\">"sv;
    appendText(out, roundHeading(r + 1, rounds[r].track));
    out += "</th>"sv;
  }
  out += "<th scope=\"col\" class=\"r\">Points</th><th scope=\"col\" class=\"r\">Wins</th>"sv;
  appendStatisticsHeads(out, deductions);
  out += "</tr></thead><tbody>\n"sv;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const StandingsRow& row = rows[i];
    out += "<tr class=\""sv;
    svg::appendCarClass(out, i);
    out += "\"><td class=\"r x0\">"sv;
    appendInt(out, row.position);
    out += "</td><td class=\"y1\">"sv;
    html::appendSwatch(out, svg::paletteColour(i));
    if (pages != nullptr && i < pages->size()) {
      html::appendLink(out, (*pages)[i], row.name);
    } else {
      appendText(out, row.name);
    }
    out += "</td>"sv;
    for (std::size_t r = 0; r < rounds.size(); ++r) {
      appendResultCell(out, r < row.results.size() ? row.results[r] : std::nullopt);
    }
    html::appendIntCell(out, row.points);
    html::appendIntCell(out, row.wins);
    appendStatisticsCells(out, row, deductions);
    out += "</tr>\n"sv;
  }
  html::appendTail(out);
}

// The total that counted after each round, from 0 before the first, one
// line per row in the colour of its table row.
void appendProgression(std::string& out, std::string_view id, const std::vector<StandingsRow>& rows,
                       const std::vector<RoundSummary>& rounds) {
  if (rows.empty() || rounds.empty()) return;
  if (rows.size() > svg::kMostLines) {
    out += "<p class=\"note\">No chart: it is drawn for up to "sv;
    appendInt(out, static_cast<std::int64_t>(svg::kMostLines));
    out += " rows.</p>\n"sv;
    return;
  }
  svg::LineChart chart;
  chart.id = std::string(id);
  chart.title = "Points after each round";
  std::int64_t most = 1;
  std::int64_t least = 0;   // below 0 when deductions take a total there
  for (std::size_t i = 0; i < rows.size(); ++i) {
    svg::Series& series = chart.series.emplace_back(svg::Series{rows[i].name, std::string(svg::paletteColour(i)), {}, i});
    series.points.push_back({0, 0});
    for (std::size_t r = 0; r < rows[i].progression.size(); ++r) {
      series.points.push_back({static_cast<double>(r + 1), static_cast<double>(rows[i].progression[r])});
      most = std::max(most, rows[i].progression[r]);
      least = std::min(least, rows[i].progression[r]);
    }
  }
  chart.x = {"Round", 0, static_cast<double>(rounds.size()), false, svg::TickFormat::Integer};
  chart.y = {"Points", static_cast<double>(least), static_cast<double>(most), false, svg::TickFormat::Integer};
  chart.pointTitle = svg::titleAppender([&rows, &rounds](std::string& title, std::size_t series, std::size_t point) {
    const StandingsRow& row = rows[series];
    appendText(title, row.name);
    if (point == 0) {
      title += ", before round 1"sv;
      return;
    }
    const std::size_t r = point - 1;
    title += ", round "sv;
    appendText(title, roundHeading(point, rounds[r].track));
    const std::optional<RoundResult>& result = row.results[r];
    title += ": "sv;
    if (result) {
      html::appendCount(title, static_cast<std::int64_t>(result->points), "point"sv, "points"sv);
      if (!result->counted) title += ", dropped"sv;
    } else {
      title += "not entered"sv;
    }
    title += "; "sv;
    appendInt(title, static_cast<std::int64_t>(row.progression[r]));
    title += " in all"sv;
  });
  html::appendFigure(out, "Points after each round (the total that counts)",
                     [&chart](std::string& figure) { svg::appendLineChart(figure, chart); });
}

// Opens a section whose rows and chart lines are hovered together.
void appendCarsSection(std::string& out) {
  out += "<section class=\""sv;
  out += style::kCars;
  out += "\">\n"sv;
}

}  // namespace

std::u16string leagueTitleText(const LeagueTitle& league) {
  if (league.name && league.season) return *league.name + u" " + *league.season;
  if (league.name) return *league.name;
  return league.season ? u"Season " + *league.season : u"Season standings";
}

void seasonHTML(OutputSink& sink, const Standings& standings, const SeasonPageLinks* links) {
  std::string& out = sink.text();
  // No more hover rules than a chart has lines.
  const std::size_t rows = std::max(standings.drivers.size(), standings.teams.size());
  std::vector<std::size_t> hovered(std::min(rows, svg::kMostLines));
  std::iota(hovered.begin(), hovered.end(), std::size_t{0});
  const html::SiteLinks* site = links != nullptr ? &links->site : nullptr;
  const bool league = standings.league.has_value();
  const std::u16string title = league ? leagueTitleText(*standings.league) : u"Season standings";
  html::beginPage(out, title, hovered, site);
  out += "<header>\n"sv;
  html::appendElement(out, "h1", title);
  out += "<p class=\"meta\">"sv;
  appendInt(out, static_cast<std::int64_t>(standings.rounds.size()));
  out += standings.rounds.size() == 1 ? " round"sv : " rounds"sv;
  out += "</p>\n</header>\n"sv;
  appendRounds(out, standings.rounds, links != nullptr ? &links->rounds : nullptr, league);
  sink.checkpoint();
  // Each championship is a scope of its own for hovering: row i of the
  // drivers and row i of the teams are different cars.
  appendCarsSection(out);
  appendTable(out, "drivers", "Drivers' Championship", "Driver", standings.drivers, standings.rounds,
              links != nullptr ? &links->drivers : nullptr, league);
  appendProgression(out, "driverpoints", standings.drivers, standings.rounds);
  out += "</section>\n"sv;
  sink.checkpoint();
  appendCarsSection(out);
  appendTable(out, "teams", "Teams' Championship", "Team", standings.teams, standings.rounds,
              links != nullptr ? &links->teams : nullptr, false);
  appendProgression(out, "teampoints", standings.teams, standings.rounds);
  out += "</section>\n"sv;
  html::endPage(out, site);
}

}  // namespace marvolt
