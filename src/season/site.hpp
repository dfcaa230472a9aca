// The league website: the season as a folder of static pages that link
// each other relatively (the season page index.html, a page per round,
// driver and team) with their data beside them (season.json and each
// round's JSON report). It is made from rounds read whole beforehand; each
// file is replaced whole, and no other file of the folder is touched.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/data.hpp"
#include "reports/reportmodel.hpp"
#include "season/slug.hpp"
#include "season/standings.hpp"

namespace marvolt {

/// A round of the site: the report model of its pages and its race.
struct SiteRound {
  ReportModel model;
  Round round;
};

/// The report model of a round's pages: every section with the lap lists,
/// and the race history.
ReportModel siteModel(const Data& data);

/// Writes the site of the rounds and their standings, scored by `scoring`,
/// into the directory `dir`, made when missing. Before anything is written,
/// each file's name is checked not to lead to an input.
void writeSite(const std::string& dir, const std::vector<SiteRound>& rounds, const Standings& standings,
               const Scoring& scoring);

}  // namespace marvolt
