#include "season/site.hpp"

#include <functional>
#include <utility>

#include "frontend/console.hpp"
#include "frontend/files.hpp"
#include "frontend/output.hpp"
#include "frontend/telvo.hpp"
#include "platform/platform.hpp"
#include "reports/repjson.hpp"
#include "season/seasonjson.hpp"
#include "season/sitepages.hpp"

namespace marvolt {

namespace {

// The names of the site's pages: the rounds by number and track, the
// drivers and teams by their slugs.
SiteNames siteNames(const std::vector<SiteRound>& rounds, const Standings& standings) {
  SiteNames names;
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    std::string number = std::to_string(r + 1);
    if (number.size() < 2) number.insert(0, 1, '0');
    std::string track = slugOf(rounds[r].round.track);
    names.rounds.push_back("round-" + number + "-" + (track.empty() ? "track" : track));
  }
  const auto pages = [](const std::vector<StandingsRow>& rows, const std::string& prefix) {
    std::vector<std::u16string> rowNames;
    rowNames.reserve(rows.size());
    for (const StandingsRow& row : rows) rowNames.push_back(row.name);
    std::vector<std::string> slugs = uniqueSlugs(rowNames, prefix);
    for (std::string& slug : slugs) slug = prefix + "-" + slug + ".html";
    return slugs;
  };
  names.drivers = pages(standings.drivers, "driver");
  names.teams = pages(standings.teams, "team");
  return names;
}

// One file of the site: its name and what writes its text.
struct SiteFile {
  std::string name;
  Render text;
};

// Refuses, before anything is written, a site file name that is an input,
// or that names something other than a file (a folder, a pipe, a device):
// the site would be left half written, or wait on a pipe for ever.
void checkSiteFile(const std::string& path) {
  checkNotInput(path);
  const platform::FileKind kind = platform::fileStatus(path).kind;
  if (kind != platform::FileKind::Missing && kind != platform::FileKind::Regular) {
    err(ExitStatus::Failure, "cannot write the site file %s: it is not a regular file", path);
  }
}

}  // namespace

ReportModel siteModel(const Data& data) {
  return buildReportModel(data, Sections().set(Flag::LAPTIMES, true), true);
}

void writeSite(const std::string& dir, const std::vector<SiteRound>& rounds, const Standings& standings,
               const Scoring& scoring) {
  const SiteNames names = siteNames(rounds, standings);
  const SitePages pages(rounds, standings, scoring, names);
  // The pages a link leads to come before the pages with the link: the
  // season page, which leads to all, last.
  std::vector<SiteFile> files;
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    files.push_back({names.rounds[r] + ".json", [&rounds, r](OutputSink& sink) { reportJSON(sink, rounds[r].model); }});
    files.push_back({names.rounds[r] + ".html", [&pages, r](OutputSink& sink) { pages.roundPage(sink, r); }});
  }
  for (std::size_t i = 0; i < names.drivers.size(); ++i) {
    files.push_back({names.drivers[i], [&pages, i](OutputSink& sink) { pages.driverPage(sink, i); }});
  }
  for (std::size_t i = 0; i < names.teams.size(); ++i) {
    files.push_back({names.teams[i], [&pages, i](OutputSink& sink) { pages.teamPage(sink, i); }});
  }
  files.push_back({"season.json", [&standings](OutputSink& sink) { seasonJSON(sink, standings); }});
  files.push_back({"index.html", [&pages](OutputSink& sink) { pages.seasonPage(sink); }});

  for (const SiteFile& file : files) checkSiteFile(platform::joinPath(dir, file.name));
  try {
    platform::makeDirectory(dir);
  } catch (const platform::SystemError& e) {
    err(ExitStatus::Failure, "%s", e.what());   // a missing parent folder, or a file in its place
  }
  cerr.writefln("Writing site to directory %s", absolutePath(dir));
  for (const SiteFile& file : files) replaceOutputFile(platform::joinPath(dir, file.name), file.text);
}

}  // namespace marvolt
