// Fuzz target: replay bytes through the whole pipeline of one run: open the
// file, load the model, and build both report formats with and without the
// header and the lap dump, plus the diagnostic dumps of the records. A
// marvolt::Error is the expected answer to bad bytes; anything else (a
// sanitizer report, another exception, an abort) is a finding.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "frontend/enums.hpp"
#include "json_check.hpp"
#include "frontend/error.hpp"
#include "frontend/globals.hpp"
#include "model/data.hpp"
#include "model/ini.hpp"
#include "replay/rpylib.hpp"
#include "reports/report.hpp"
#include "scratch_file.hpp"

namespace {

// The program-wide settings as a run without options leaves them. No carset
// is named, so the loading never reaches the fatal exit of a bad carset.
void resetProgramState() {
  marvolt::resetFlags();
  marvolt::opts.clear();
  marvolt::cstfile.clear();
  marvolt::carsetIni() = marvolt::IniSection("root");
}

void reportEveryWay(const marvolt::Data& model) {
  using marvolt::Flag;
  using Format = marvolt::Report::Format;
  for (const bool laps : {false, true}) {
    // The lap dump is tried together with "--no-header".
    const marvolt::Sections sections =
        marvolt::Sections().set(Flag::LAPTIMES, laps).set(Flag::REPLAYINFO, !laps).set(Flag::EVENTINFO, !laps);
    for (const Format format : {Format::TXT, Format::SEMIKV, Format::JSON, Format::HTML}) {
      const std::string text = marvolt::Report(model, format, sections).toString();
      if (format == Format::JSON) marvolt_fuzz::requireJson(text);
    }
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static marvolt_fuzz::ScratchFile scratch;
  const std::string& path = scratch.write(data, size);
  resetProgramState();
  try {
    marvolt::RpyFile file(path);
    file.open();
    std::unique_ptr<marvolt::Data> model = marvolt::Data::create(file.game());
    model->load(file);
    reportEveryWay(*model);
    dumpRecords(model->asGPL());
  } catch (const marvolt::Error&) {
    // A clear error: the answer marvolt gives to bytes it cannot read.
  }
  return 0;
}
