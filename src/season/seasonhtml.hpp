// The standings as a self-contained HTML page: the rounds, both championship
// tables and a points-progression chart for each, in the style of the race
// report page.
#pragma once

#include <string>
#include <vector>

#include "frontend/sink.hpp"
#include "reports/htmlpage.hpp"
#include "season/standings.hpp"

namespace marvolt {

/// The links of the season page of a site: the page of each round, of each
/// row of the drivers' and the teams' tables, and the site's navigation.
struct SeasonPageLinks {
  std::vector<std::string> rounds;
  std::vector<std::string> drivers;
  std::vector<std::string> teams;
  html::SiteLinks site;
};

/// The title of a league's pages: its name and season.
std::u16string leagueTitleText(const LeagueTitle& league);

/// The whole page as UTF-8 text; well-formed XML, no outside resource. With
/// `links`, the tracks and names lead to their pages.
void seasonHTML(OutputSink& sink, const Standings& standings, const SeasonPageLinks* links = nullptr);

}  // namespace marvolt
