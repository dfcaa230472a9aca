// Fuzz target: replay bytes through the whole pipeline of one run: open the
// bytes, load the model, and build every report format with and without the
// header and the lap dump, the diagnostic dumps of the records, and the
// standings of a season made of it. Every HTML page must be well-formed XML.
// A marvolt::Error is the expected answer to bad bytes; anything else (a
// sanitizer report, another exception, an abort, a page an XML parser
// refuses) is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

#include "frontend/enums.hpp"
#include "output_checks.hpp"
#include "frontend/error.hpp"
#include "model/data.hpp"
#include "replay/rpylib.hpp"
#include "reports/report.hpp"
#include "season/rounds.hpp"
#include "season/seasonhtml.hpp"
#include "season/seasonjson.hpp"
#include "season/seasontxt.hpp"

namespace {

void reportEveryWay(const marvolt::Data& model) {
  using marvolt::Flag;
  using Format = marvolt::Report::Format;
  for (const bool laps : {false, true}) {
    // The lap dump is tried together with "--no-header".
    const marvolt::Sections sections =
        marvolt::Sections().set(Flag::LAPTIMES, laps).set(Flag::REPLAYINFO, !laps).set(Flag::EVENTINFO, !laps);
    for (const Format format : {Format::TXT, Format::SEMIKV}) marvolt::Report(model, format, sections).toString();
    marvolt_fuzz::requireJson(marvolt::Report(model, Format::JSON, sections).toString());
    marvolt_fuzz::requireWellFormed(marvolt::Report(model, Format::HTML, sections).toString());
  }
}

void dumpRecords(const marvolt::DataGPL& model) {
  const marvolt::RpyGPL& reader = model.rpy();
  reader.info->toString();
  reader.wkinfo->toString();
  for (const marvolt::DriverInfo* driver : reader.drivers) {
    driver->toString();
    driver->procDescr();
  }
  for (const marvolt::RpySession& session : reader.sessions) {
    for (const marvolt::CarLaps& car : session.cars) car.toString();
  }
  model.toString();
}

// The replay as both rounds of a season, scored with a bonus and a dropped
// score and written every way; a replay without a race is an Error.
void scoreAsSeason(const marvolt::Data& model) {
  const marvolt::Round round = marvolt::roundOf(model, "fuzz.rpy");
  const marvolt::Standings standings = marvolt::computeStandings({round, round}, marvolt::Scoring{{9, 6, 4}, 1, 1});
  using marvolt::OutputSink;
  marvolt::renderToString([&](OutputSink& sink) { marvolt::seasonTXT(sink, standings); });
  marvolt_fuzz::requireJson(marvolt::renderToString([&](OutputSink& sink) { marvolt::seasonJSON(sink, standings); }));
  marvolt_fuzz::requireWellFormed(marvolt::renderToString([&](OutputSink& sink) { marvolt::seasonHTML(sink, standings); }));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    marvolt::RpyFile file(std::span<const std::uint8_t>(data, size), "fuzz.rpy");
    file.open();
    std::unique_ptr<marvolt::Data> model = marvolt::Data::create(file.game());
    model->load(file);
    reportEveryWay(*model);
    dumpRecords(model->asGPL());
    scoreAsSeason(*model);
  } catch (const marvolt::Error&) {
    // A clear error: the answer marvolt gives to bytes it cannot read.
  }
  return 0;
}
