// Fuzz target: league file text read, checked and applied to a season of
// three small races built in memory (the rounds take them by their replay
// paths), then scored and written every way: the text, the JSON and the
// season page, and every round page and member page of the site. A
// marvolt::Error is the expected answer to a bad league file; anything else
// (a sanitizer report, another exception, an abort, a page an XML parser
// refuses, invalid JSON) is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/error.hpp"
#include "output_checks.hpp"
#include "model/data.hpp"
#include "replay/rpylib.hpp"
#include "season/league.hpp"
#include "season/leaguerounds.hpp"
#include "season/rounds.hpp"
#include "season/seasonhtml.hpp"
#include "season/seasonjson.hpp"
#include "season/seasontxt.hpp"
#include "season/site.hpp"
#include "season/sitepages.hpp"
#include "support/replay_builder.hpp"

namespace {

using testsupport::CarLapsRec;
using testsupport::ReplayBuilder;

// A race with a practice session: the drivers in `order` by car id (1 Jim
// Clark, 2 Graham Hill, 3 J. Clark, 4 Denny Hulme), the last retiring, the
// car of `fastest` with the fastest lap.
ReplayBuilder race(const char* track, const std::vector<std::uint32_t>& order, std::uint32_t fastest) {
  ReplayBuilder b;
  b.info.track = b.weekend.track = track;
  b.addSlot(testsupport::kPractice, 10, 3600.0f);
  b.addSlot(testsupport::kRace, 3, 604800.0f);
  b.addDriver(1, 1, "Jim", "Clark", 5);
  b.addDriver(2, 2, "Graham", "Hill", 5);
  b.addDriver(3, 3, "J.", "Clark", 0);
  b.addDriver(4, 4, "Denny", "Hulme", 0);
  b.sessions.push_back({CarLapsRec::fromClocks(order.back(), {0, 88000}), CarLapsRec::fromClocks(1, {0, 88000})});
  std::vector<CarLapsRec> laps;
  for (std::uint32_t k = 0; k < order.size(); ++k) {
    std::vector<std::uint32_t> clocks = {10 + k, 90000 + 100 * k};
    if (k + 1 < order.size()) clocks.push_back(clocks.back() + 90000 - (order[k] == fastest ? 500 : 0));
    laps.push_back(CarLapsRec::fromClocks(order[k], clocks));
  }
  b.sessions.push_back(laps);
  return b;
}

// A replay held in memory with its model, as marvolt-season reads it.
struct Replay {
  explicit Replay(const ReplayBuilder& builder)
      : bytes(builder.build()), file(std::span<const std::uint8_t>(bytes), "r.rpy") {
    file.open();
    data = marvolt::Data::create(file.game());
    data->load(file);
  }
  testsupport::Bytes bytes;
  marvolt::RpyFile file;
  std::unique_ptr<marvolt::Data> data;
};

const std::vector<marvolt::SiteRound>& races() {
  static const std::vector<marvolt::SiteRound> rounds = [] {
    std::vector<marvolt::SiteRound> built;
    for (const ReplayBuilder& b : {race("monza", {1, 2, 3, 4}, 2), race("spa", {4, 3, 2}, 4),
                                   race("", {2, 1, 4, 3}, 1)}) {
      const Replay replay(b);
      marvolt::SiteRound& round = built.emplace_back(marvolt::SiteRound{marvolt::siteModel(*replay.data), {}});
      round.round = marvolt::roundOf(round.model, "r.rpy");
    }
    return built;
  }();
  return rounds;
}

// The race a round's replay path stands for.
std::size_t raceOf(const std::string& path) {
  std::size_t sum = 0;
  for (const char c : path) sum += static_cast<unsigned char>(c);
  return sum % races().size();
}

void writeEveryWay(const marvolt::League& league) {
  std::vector<marvolt::SiteRound> rounds;
  std::vector<marvolt::Round> scored;
  for (const marvolt::LeagueRound& round : league.rounds) {
    rounds.push_back(races()[raceOf(round.replay)]);
    scored.push_back(rounds.back().round);
  }
  marvolt::applyLeague(league, scored);
  const marvolt::Scoring scoring = marvolt::leagueScoring(league, {});
  const marvolt::Standings standings = marvolt::computeStandings(scored, scoring, marvolt::leagueTitle(league));
  using marvolt::OutputSink, marvolt::renderToString;
  renderToString([&](OutputSink& sink) { marvolt::seasonTXT(sink, standings); });
  marvolt_fuzz::requireJson(renderToString([&](OutputSink& sink) { marvolt::seasonJSON(sink, standings); }));
  marvolt_fuzz::requireWellFormed(renderToString([&](OutputSink& sink) { marvolt::seasonHTML(sink, standings); }));
  marvolt::SiteNames names;
  for (std::size_t r = 0; r < rounds.size(); ++r) names.rounds.push_back("round-" + std::to_string(r));
  names.drivers.assign(standings.drivers.size(), "driver.html");
  names.teams.assign(standings.teams.size(), "team.html");
  const marvolt::SitePages pages(rounds, standings, scoring, names);
  marvolt_fuzz::requireWellFormed(renderToString([&](OutputSink& sink) { pages.seasonPage(sink); }));
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    marvolt_fuzz::requireWellFormed(renderToString([&](OutputSink& sink) { pages.roundPage(sink, r); }));
  }
  for (std::size_t i = 0; i < standings.drivers.size(); ++i) {
    marvolt_fuzz::requireWellFormed(renderToString([&](OutputSink& sink) { pages.driverPage(sink, i); }));
  }
  for (std::size_t i = 0; i < standings.teams.size(); ++i) {
    marvolt_fuzz::requireWellFormed(renderToString([&](OutputSink& sink) { pages.teamPage(sink, i); }));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  races();
  try {
    const marvolt::League league =
        marvolt::parseLeague(std::string_view(reinterpret_cast<const char*>(data), size), "league.toml");
    writeEveryWay(league);
  } catch (const marvolt::Error&) {
    // A clear error: the answer marvolt-season gives to a bad league file.
  }
  return 0;
}
