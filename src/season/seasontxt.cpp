#include "season/seasontxt.hpp"

#include <algorithm>
#include <iterator>

#include <fmt/format.h>

#include "frontend/telvo.hpp"

namespace marvolt {

namespace {

// The upper case of a letter of the Windows-1252 repertoire; other characters as they are.
char16_t upperCase(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 0x20);
  switch (c) {
    case 0xFF: return 0x178;
    case 0x153: return 0x152;
    case 0x161: return 0x160;
    case 0x17E: return 0x17D;
    default: return c;
  }
}

std::u16string numberText(std::int64_t n) { return toUtf16(std::to_string(n)); }

// The league's name and season, the first line of a league's text; empty
// when the file gives neither.
std::string leagueLine(const LeagueTitle& league) {
  std::u16string line = league.name.value_or(u"");
  if (league.season) line += league.name ? u", season " + *league.season : u"Season " + *league.season;
  if (line.empty()) return {};
  std::string text;
  appendShown(text, line);   // a control character of the file is shown, not obeyed
  return text + "\n\n";
}

// The stewards' decisions of every round: round, driver, decision, reason.
void appendDecisions(std::string& out, const std::vector<RoundSummary>& rounds) {
  struct Line {
    std::size_t round;
    const RoundDecision* decision;
    std::u16string text;
  };
  std::vector<Line> lines;
  std::size_t driverWidth = 6;
  std::size_t decisionWidth = 8;
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    for (const RoundDecision& decision : rounds[r].decisions) {
      lines.push_back({r + 1, &decision, decisionText(decision)});
      driverWidth = std::max(driverWidth, decision.driver.size());
      decisionWidth = std::max(decisionWidth, lines.back().text.size());
    }
  }
  if (lines.empty()) return;
  out += "Stewards' decisions\n\nRound  ";
  appendPadded(out, std::u16string_view(u"Driver"), driverWidth, true);
  out += "  ";
  appendPadded(out, std::u16string_view(u"Decision"), decisionWidth, true);
  out += "  Reason\n";
  for (const Line& line : lines) {
    appendPadded(out, std::to_string(line.round), 5, false);
    out += "  ";
    appendPadded(out, line.decision->driver, driverWidth, true);
    out += "  ";
    appendPadded(out, line.text, decisionWidth, true);
    out += "  ";
    appendShown(out, line.decision->reason);
    out += '\n';
  }
  out += '\n';
}

void appendTable(std::string& out, std::string_view title, std::u16string_view nameHeading,
                 const std::vector<StandingsRow>& rows, const std::vector<RoundSummary>& rounds) {
  std::size_t posWidth = std::max<std::size_t>(3, std::to_string(rows.size()).size() + 1);
  std::size_t nameWidth = nameHeading.size();
  std::size_t pointsWidth = 6;
  std::vector<std::u16string> headings;
  for (const RoundSummary& round : rounds) headings.push_back(roundHeading(headings.size() + 1, round.track));
  std::vector<std::size_t> widths;
  for (const std::u16string& h : headings) widths.push_back(h.size());
  std::vector<std::vector<std::u16string>> cells;
  cells.reserve(rows.size());
  for (const StandingsRow& row : rows) {
    nameWidth = std::max(nameWidth, row.name.size());
    pointsWidth = std::max(pointsWidth, numberText(row.points).size());
    std::vector<std::u16string>& line = cells.emplace_back();
    for (std::size_t r = 0; r < rounds.size(); ++r) {
      line.push_back(roundCell(r < row.results.size() ? row.results[r] : std::nullopt));
      widths[r] = std::max(widths[r], line.back().size());
    }
  }

  out += title;
  out += "\n\n";
  appendPadded(out, std::u16string_view(u"Pos"), posWidth, true);
  out += ' ';
  appendPadded(out, nameHeading, nameWidth, true);
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    out += "  ";
    appendPadded(out, headings[r], widths[r], false);
  }
  out += "  ";
  appendPadded(out, std::u16string_view(u"Points"), pointsWidth, false);
  out += '\n';
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const StandingsRow& row = rows[i];
    appendPadded(out, fmt::format("{}.", row.position), posWidth, false);
    out += ' ';
    appendPadded(out, row.name, nameWidth, true);
    for (std::size_t r = 0; r < rounds.size(); ++r) {
      out += "  ";
      appendPadded(out, cells[i][r], widths[r], false);
    }
    out += "  ";
    appendPadded(out, numberText(row.points), pointsWidth, false);
    out += '\n';
  }
  out += '\n';
}

}  // namespace

std::u16string roundCell(const std::optional<RoundResult>& result) {
  if (!result) return {};
  std::u16string text = result->disqualified ? u"DQ" : numberText(result->position);
  if (result->retired && !result->disqualified) text += u'R';
  return result->counted ? text : u'(' + text + u')';
}

std::u16string roundHeading(std::size_t number, std::u16string_view track) {
  std::u16string heading = numberText(number);
  if (track.empty()) return heading;
  heading += u' ';
  for (const char16_t c : track.substr(0, 3)) heading += upperCase(c);
  return heading;
}

std::u16string decisionText(const RoundDecision& decision) {
  switch (decision.kind) {
    case PenaltyKind::Time:
      return toUtf16(fmt::format("+{}.{:03} s", decision.value / 1000, decision.value % 1000));
    case PenaltyKind::Places:
      return toUtf16(fmt::format("-{} {}", decision.value, decision.value == 1 ? "place" : "places"));
    case PenaltyKind::Disqualified: return u"disqualified";
    case PenaltyKind::Points: break;
  }
  return toUtf16(fmt::format("-{} {}", decision.value, decision.value == 1 ? "point" : "points"));
}

void seasonTXT(OutputSink& sink, const Standings& standings) {
  std::string& out = sink.text();
  if (standings.league) out += leagueLine(*standings.league);
  appendTable(out, "Drivers' Championship", u"Driver", standings.drivers, standings.rounds);
  sink.checkpoint();
  appendTable(out, "Teams' Championship", u"Team", standings.teams, standings.rounds);
  sink.checkpoint();
  appendDecisions(out, standings.rounds);
}

}  // namespace marvolt
