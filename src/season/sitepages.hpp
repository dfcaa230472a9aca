// The pages of the league website: a round's race page with the site's
// navigation and its cars in their drivers' colours, the season page with
// links, and a page per driver and team with its season round by round and
// its championship position after each round. A driver has one colour on
// every page: the palette place of its row in the drivers' championship
// (a team, of its row in the teams'); a driver outside the championship
// gets a place after all of them, the same on every page.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "frontend/sink.hpp"
#include "reports/htmlpage.hpp"
#include "season/site.hpp"
#include "season/standings.hpp"

namespace marvolt {

/// The file names of a site's pages.
struct SiteNames {
  std::vector<std::string> rounds;    ///< each round's name without extension ("round-01-monza")
  std::vector<std::string> drivers;   ///< the page of each row of the drivers' table
  std::vector<std::string> teams;     ///< the page of each row of the teams' table
};

/// The pages of a site, rendered from its rounds' models and the standings.
class SitePages {
 public:
  /// Keeps references to its arguments, which must outlive it.
  SitePages(const std::vector<SiteRound>& rounds, const Standings& standings, const Scoring& scoring,
            const SiteNames& names);

  /// The page of round `r` (from 0): the race page of its model.
  void roundPage(OutputSink& sink, std::size_t r) const;
  /// The season page, index.html.
  void seasonPage(OutputSink& sink) const;
  /// The page of row `row` of the drivers' table.
  void driverPage(OutputSink& sink, std::size_t row) const;
  /// The page of row `row` of the teams' table.
  void teamPage(OutputSink& sink, std::size_t row) const;

 private:
  struct Member;
  void memberPage(OutputSink& sink, const Member& member) const;
  void appendMemberRound(std::string& out, const Member& member, std::size_t r, bool deductions) const;
  void appendTeamDrivers(std::string& out, const RoundResult& result) const;
  html::SiteLinks roundLinks(std::size_t r) const;

  const std::vector<SiteRound>& rounds_;
  const Standings& standings_;
  const Scoring& scoring_;
  const SiteNames& names_;
};

}  // namespace marvolt
