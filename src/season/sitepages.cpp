#include "season/sitepages.hpp"

#include <algorithm>

#include "frontend/telvo.hpp"
#include "reports/rephtml.hpp"
#include "reports/svgchart.hpp"
#include "season/seasonhtml.hpp"
#include "season/seasontxt.hpp"

namespace marvolt {

using namespace std::string_view_literals;
using html::appendInt;
using html::appendText;

namespace {

// The downloads of every page: the standings as JSON.
constexpr std::string_view kSeasonData = "<a href=\"season.json\">season.json</a>, the standings as JSON";

std::string downloads(std::string_view links) {
  std::string out = "<p class=\"downloads\">Data: ";
  out += links;
  out += ".</p>\n"sv;
  return out;
}

void appendEmptyCells(std::string& out, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) out += "<td></td>"sv;
}

// "Round N: name", the link text of a round in the navigation; "Round N"
// when the round has neither name nor track.
std::u16string roundTitle(std::size_t r, const RoundSummary& round) {
  const std::u16string number = u"Round " + toUtf16(std::to_string(r + 1));
  const std::u16string text = roundLinkText(r + 1, round);
  return text == number ? number : number + u": " + text;
}

// A time penalty or gap of the official classification: "+10.000".
void appendSignedTime(std::string& out, std::int64_t ms) {
  out += '+';
  appendText(out, msecToTime(static_cast<std::uint32_t>(std::min<std::int64_t>(ms, 0xFFFFFFFE))));
}

// A gap counted in laps, as official classifications give it: "+1 lap".
void appendLapsCell(std::string& out, std::int32_t laps) {
  out += "<td class=\"r\">+"sv;
  appendInt(out, laps);
  out += laps == 1 ? " lap</td>"sv : " laps</td>"sv;
}

void appendOfficialRow(std::string& out, const OfficialResult& row) {
  out += "<tr><td class=\"r x0\">"sv;
  if (row.disqualified) {
    out += "DQ"sv;
  } else {
    appendInt(out, row.position);
  }
  out += "</td><td class=\"y1\">"sv;
  appendText(out, row.driver);
  out += "</td>"sv;
  html::appendTextCell(out, row.team);
  html::appendIntCell(out, row.laps);
  html::appendTimeCell(out, static_cast<std::uint32_t>(std::min<std::int64_t>(row.raceTimeMs, 0xFFFFFFFE)));
  if (row.disqualified) {
    appendEmptyCells(out, 2);
  } else {
    if (row.lapsBehind > 0) {
      appendLapsCell(out, row.lapsBehind);
    } else {
      html::appendTimeCell(out, static_cast<std::uint32_t>(row.gapMs));
    }
    if (row.intervalMs) {
      html::appendTimeCell(out, static_cast<std::uint32_t>(*row.intervalMs));
    } else if (row.lapsBehindAhead > 0) {
      appendLapsCell(out, row.lapsBehindAhead);
    } else {
      out += "<td></td>"sv;
    }
  }
  out += "<td class=\"r\">"sv;
  if (row.penaltyMs > 0) appendSignedTime(out, row.penaltyMs);
  out += "</td>"sv;
  html::appendTextCell(out, row.retired ? u"DNF" : u"");
  html::appendIntCell(out, static_cast<std::int64_t>(row.points));
  out += "</tr>\n"sv;
}

// The official classification of a round and the stewards' decisions on
// it, with their reasons: what opens a league's round page.
std::string officialSection(std::size_t r, const RoundSummary& round) {
  std::string out = "<section aria-labelledby=\"official\">\n<h2 id=\"official\">Official classification</h2>\n"
                    "<p class=\"meta\">Round ";
  appendInt(out, static_cast<std::int64_t>(r + 1));
  if (round.name) {
    out += " \u00B7 "sv;
    appendText(out, *round.name);
  }
  if (round.date) {
    out += " \u00B7 "sv;
    appendText(out, *round.date);
  }
  if (round.factor != 1) {
    out += " \u00B7 points \u00D7"sv;
    appendInt(out, round.factor);
  }
  out += "</p>\n"sv;
  html::appendHead(out, {"[r x0]Pos", "[y1]Driver", "Team", ">Laps", ">Time", ">Gap", ">Interval", ">Penalty",
                         "Remark", ">Points"});
  for (const OfficialResult& row : round.classification) appendOfficialRow(out, row);
  html::appendTail(out);
  out += "<h2 id=\"decisions\">Stewards' decisions</h2>\n"sv;
  if (round.decisions.empty()) {
    out += "<p class=\"note\">No decisions in this round.</p>\n"sv;
  } else {
    html::appendHead(out, {"Driver", "Decision", "Reason"});
    for (const RoundDecision& decision : round.decisions) {
      out += "<tr>"sv;
      html::appendTextCell(out, decision.driver);
      html::appendTextCell(out, decisionText(decision));
      html::appendTextCell(out, decision.reason);
      out += "</tr>\n"sv;
    }
    html::appendTail(out);
  }
  out += "<h2 id=\"recorded\">The race as recorded</h2>\n</section>\n"sv;
  return out;
}

// The chart of a row's championship position after each round, from the
// first round it took part in, on a scale of the whole table.
void appendPositionChart(std::string& out, const StandingsRow& row, std::size_t place, std::size_t tableSize,
                         const std::vector<RoundSummary>& rounds) {
  svg::LineChart chart;
  chart.id = "positions";
  chart.title = "Championship position after each round";
  svg::Series& series =
      chart.series.emplace_back(svg::Series{row.name, std::string(svg::paletteColour(place)), {}, place});
  std::vector<std::size_t> roundOfPoint;
  for (std::size_t r = 0; r < row.positions.size(); ++r) {
    if (row.positions[r] == 0) continue;
    series.points.push_back({static_cast<double>(r + 1), static_cast<double>(row.positions[r])});
    roundOfPoint.push_back(r);
  }
  chart.x = {"Round", 1, static_cast<double>(rounds.size()), false, svg::TickFormat::Integer};
  chart.y = {"Position", 0.5, static_cast<double>(tableSize) + 0.5, true, svg::TickFormat::Integer};
  chart.pointTitle = svg::titleAppender([&](std::string& title, std::size_t, std::size_t point) {
    const std::size_t r = roundOfPoint[point];
    appendText(title, row.name);
    title += ", after round "sv;
    appendText(title, roundHeading(r + 1, rounds[r].track));
    title += ": P"sv;
    appendInt(title, row.positions[r]);
    title += ", "sv;
    html::appendCount(title, static_cast<std::int64_t>(row.progression[r]), "point"sv, "points"sv);
  });
  html::appendFigure(out, "Championship position after each round",
                     [&chart](std::string& figure) { svg::appendLineChart(figure, chart); });
}

// The navigation and downloads of a driver's or a team's page.
html::SiteLinks memberLinks(bool driver) {
  html::SiteLinks links;
  links.nav = "<nav class=\"site\" aria-label=\"Season\"><a href=\"index.html\">Season standings</a>";
  links.nav += driver ? "<a href=\"index.html#drivers\">Drivers' Championship</a>"sv
                      : "<a href=\"index.html#teams\">Teams' Championship</a>"sv;
  links.nav += "</nav>\n"sv;
  links.downloads = downloads(kSeasonData);
  return links;
}

// A driver's or a team's statistics over the season: one row.
void appendMemberStatistics(std::string& out, const StandingsRow& row, bool deductions) {
  out += "<h2 id=\"statistics\">Statistics</h2>\n"sv;
  if (deductions) {
    html::appendHead(out, {">Starts", ">Wins", ">Podiums", ">Poles", ">Fastest laps", ">Laps led", ">Retirements",
                           ">Best finish", ">Points deducted"});
  } else {
    html::appendHead(out, {">Starts", ">Wins", ">Podiums", ">Poles", ">Fastest laps", ">Laps led", ">Retirements",
                           ">Best finish"});
  }
  out += "<tr>"sv;
  for (const std::int64_t count : {std::int64_t{row.starts}, std::int64_t{row.wins}, std::int64_t{row.podiums},
                                   std::int64_t{row.poles}, std::int64_t{row.fastestLaps},
                                   static_cast<std::int64_t>(row.lapsLed), std::int64_t{row.retirements}}) {
    html::appendIntCell(out, count);
  }
  if (row.bestFinish > 0) {
    html::appendIntCell(out, row.bestFinish);
  } else {
    out += "<td></td>"sv;
  }
  if (deductions) html::appendIntCell(out, static_cast<std::int64_t>(row.pointsDeducted));
  out += "</tr>\n"sv;
  html::appendTail(out);
}

// A driver's fastest lap of a round: its bonus, or "yes" where it earns none.
void appendFastestLapCell(std::string& out, const RoundResult& result) {
  out += "<td class=\"r\">"sv;
  if (result.fastestLap) {
    if (result.bonus > 0) {
      out += '+';
      appendInt(out, static_cast<std::int64_t>(result.bonus));
    } else {
      out += "yes"sv;
    }
  }
  out += "</td>"sv;
}

}  // namespace

// A row of a championship table with the page it gets.
struct SitePages::Member {
  const StandingsRow& row;
  std::size_t place;          // in its table: the palette place
  bool driver;                // a driver's row, else a team's
  std::size_t tableSize;
};

SitePages::SitePages(const std::vector<SiteRound>& rounds, const Standings& standings, const Scoring& scoring,
                     const SiteNames& names)
    : rounds_(rounds), standings_(standings), scoring_(scoring), names_(names) {}

html::SiteLinks SitePages::roundLinks(std::size_t r) const {
  const std::vector<RoundSummary>& rounds = standings_.rounds;
  html::SiteLinks links;
  std::string& nav = links.nav;
  nav = "<nav class=\"site\" aria-label=\"Season\">";
  html::appendLink(nav, "index.html", u"Season standings");
  if (r > 0) {
    html::appendLink(nav, names_.rounds[r - 1] + ".html", u"\u2190 " + roundTitle(r - 1, rounds[r - 1]));
  }
  nav += "<span>Round "sv;
  appendInt(nav, static_cast<std::int64_t>(r + 1));
  nav += " of "sv;
  appendInt(nav, static_cast<std::int64_t>(rounds.size()));
  nav += "</span>"sv;
  if (r + 1 < rounds.size()) {
    html::appendLink(nav, names_.rounds[r + 1] + ".html", roundTitle(r + 1, rounds[r + 1]) + u" \u2192");
  }
  nav += "</nav>\n"sv;
  std::string data = "<a href=\"";
  const std::string json = names_.rounds[r] + ".json";
  appendText(data, json);
  data += "\">"sv;
  appendText(data, json);
  data += "</a>, this race as JSON with every lap; "sv;
  data += kSeasonData;
  links.downloads = downloads(data);
  return links;
}

void SitePages::roundPage(OutputSink& sink, std::size_t r) const {
  const html::SiteLinks links = roundLinks(r);
  // The race page without the lap dump, whose laps the JSON beside it holds.
  RacePageHooks hooks{standings_.rounds[r].entryDrivers, &links, false};
  if (standings_.league) hooks.prelude = officialSection(r, standings_.rounds[r]);
  reportHTML(sink, rounds_[r].model, hooks);
}

void SitePages::seasonPage(OutputSink& sink) const {
  SeasonPageLinks links;
  links.rounds.reserve(names_.rounds.size());
  for (const std::string& round : names_.rounds) links.rounds.push_back(round + ".html");
  links.drivers = names_.drivers;
  links.teams = names_.teams;
  links.site.nav =
      "<nav class=\"site\" aria-label=\"Season\"><a href=\"#rounds\">Rounds</a><a href=\"#drivers\">Drivers' "
      "Championship</a><a href=\"#teams\">Teams' Championship</a></nav>\n";
  links.site.downloads = downloads(kSeasonData);
  seasonHTML(sink, standings_, &links);
}

void SitePages::driverPage(OutputSink& sink, std::size_t row) const {
  memberPage(sink, {standings_.drivers[row], row, true, standings_.drivers.size()});
}

void SitePages::teamPage(OutputSink& sink, std::size_t row) const {
  memberPage(sink, {standings_.teams[row], row, false, standings_.teams.size()});
}

void SitePages::memberPage(OutputSink& sink, const Member& member) const {
  const StandingsRow& row = member.row;
  const std::vector<RoundSummary>& rounds = standings_.rounds;
  const html::SiteLinks links = memberLinks(member.driver);
  std::string& out = sink.text();
  html::beginPage(out, row.name + (member.driver ? u" \u00B7 driver's season" : u" \u00B7 team's season"), {},
                  &links);
  out += "<header>\n<h1>"sv;
  html::appendSwatch(out, svg::paletteColour(member.place));
  appendText(out, row.name);
  out += "</h1>\n<p class=\"meta\">"sv;
  out += member.driver ? "Drivers' Championship: position <b>"sv : "Teams' Championship: position <b>"sv;
  appendInt(out, row.position);
  out += "</b> of "sv;
  appendInt(out, static_cast<std::int64_t>(member.tableSize));
  out += " \u00B7 <b>"sv;
  appendInt(out, row.points);
  out += "</b> "sv;
  out += row.points == 1 ? "point"sv : "points"sv;
  out += " \u00B7 "sv;
  html::appendCount(out, row.wins, "win"sv, "wins"sv);
  out += "</p>\n</header>\n"sv;
  const bool deductions = member.driver && standings_.league;
  appendMemberStatistics(out, row, deductions);
  out += "<h2 id=\"rounds\">Rounds</h2>\n"sv;
  if (deductions) {
    html::appendHead(out, {">Round", "Event", ">Pos", ">Points", ">Led", ">Best lap", ">Fastest lap", ">Deducted"});
  } else if (member.driver) {
    html::appendHead(out, {">Round", "Track", ">Pos", ">Points", ">Led", ">Best lap", ">Fastest lap"});
  } else if (standings_.league) {
    html::appendHead(out, {">Round", "Event", ">Pos", ">Points", ">Led", ">Best lap", "Drivers"});
  } else {
    html::appendHead(out, {">Round", "Track", ">Pos", ">Points", ">Led", ">Best lap", "Drivers"});
  }
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    appendMemberRound(out, member, r, deductions);
    sink.checkpoint();
  }
  out += "</tbody><tfoot><tr><th scope=\"row\" colspan=\"3\">Total</th><td class=\"r\">"sv;
  appendInt(out, row.points);
  out += "</td>"sv;
  html::appendIntCell(out, static_cast<std::int64_t>(row.lapsLed));
  appendEmptyCells(out, 2);
  if (deductions) html::appendIntCell(out, static_cast<std::int64_t>(row.pointsDeducted));
  out += "</tr></tfoot></table></div>\n"sv;
  if (scoring_.best) {
    out += "<p class=\"note\">Only the "sv;
    appendInt(out, *scoring_.best);
    out += " best round scores count; the points in parentheses were dropped.</p>\n"sv;
  }
  appendPositionChart(out, row, member.place, member.tableSize, rounds);
  html::endPage(out, &links);
}

// One round's row of a driver's or a team's page.
void SitePages::appendMemberRound(std::string& out, const Member& member, std::size_t r, bool deductions) const {
  out += "<tr><td class=\"r\">"sv;
  appendInt(out, static_cast<std::int64_t>(r + 1));
  out += "</td><td>"sv;
  html::appendLink(out, names_.rounds[r] + ".html", roundLinkText(r + 1, standings_.rounds[r]));
  out += "</td>"sv;
  const std::optional<RoundResult>& result = member.row.results[r];
  if (!result) {
    appendEmptyCells(out, deductions ? 6 : 5);
    out += "</tr>\n"sv;
    return;
  }
  out += "<td class=\"r\">"sv;
  if (result->disqualified) {
    out += "DQ"sv;
  } else {
    appendInt(out, result->position);
    if (result->retired) out += 'R';
  }
  out += "</td><td class=\"r\">"sv;
  if (!result->counted) out += '(';
  appendInt(out, static_cast<std::int64_t>(result->points));
  if (!result->counted) out += ')';
  out += "</td>"sv;
  html::appendIntCell(out, result->lapsLed);
  html::appendTimeCell(out, result->bestLap);
  if (member.driver) {
    appendFastestLapCell(out, *result);
  } else {
    appendTeamDrivers(out, *result);
  }
  if (deductions) {
    out += "<td class=\"r\">"sv;
    if (result->deducted > 0) {
      out += '-';
      appendInt(out, static_cast<std::int64_t>(result->deducted));
    }
    out += "</td>"sv;
  }
  out += "</tr>\n"sv;
}

// The cell of a team's drivers in a round, each linked to its page.
void SitePages::appendTeamDrivers(std::string& out, const RoundResult& result) const {
  out += "<td>"sv;
  for (std::size_t i = 0; i < result.drivers.size(); ++i) {
    if (i > 0) out += ", "sv;
    const std::size_t row = result.drivers[i];
    html::appendLink(out, names_.drivers[row], standings_.drivers[row].name);
  }
  out += "</td>"sv;
}

}  // namespace marvolt
