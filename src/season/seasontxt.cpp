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

std::u16string numberText(std::uint64_t n) { return toUtf16(std::to_string(n)); }

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
  std::u16string text = numberText(result->position);
  if (result->retired) text += u'R';
  return result->counted ? text : u'(' + text + u')';
}

std::u16string roundHeading(std::size_t number, std::u16string_view track) {
  std::u16string heading = numberText(number);
  if (track.empty()) return heading;
  heading += u' ';
  for (const char16_t c : track.substr(0, 3)) heading += upperCase(c);
  return heading;
}

void seasonTXT(OutputSink& sink, const Standings& standings) {
  appendTable(sink.text(), "Drivers' Championship", u"Driver", standings.drivers, standings.rounds);
  sink.checkpoint();
  appendTable(sink.text(), "Teams' Championship", u"Team", standings.teams, standings.rounds);
}

}  // namespace marvolt
