// The HTML report: one self-contained page with the tables of the text
// report and, for every race, a lap chart, a gap chart and a lap-time chart.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "frontend/sink.hpp"
#include "reports/htmlpage.hpp"
#include "reports/reportmodel.hpp"

namespace marvolt {

/// What a page of a site changes on the race page: the palette place of
/// each car, so that a driver has one colour on every page, the links, and
/// the lap dump left to the data beside the page.
struct RacePageHooks {
  std::vector<std::size_t> carColours;      ///< by entry-list place; empty: the entry-list place itself
  const html::SiteLinks* site = nullptr;    ///< the site's navigation and downloads; null: none
  bool lapDump = true;                      ///< false: no lap dump, though the model holds one
  std::string prelude{};                    ///< XHTML that opens the page after its header: the site's own
                                            ///< view of the race, before the race as the replay recorded it
};

/// Writes the HTML page of a model into `sink`; nothing when it has no event.
void reportHTML(OutputSink& sink, const ReportModel& model, const RacePageHooks& hooks = {});

}  // namespace marvolt
