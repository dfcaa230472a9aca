// Runs a replay through the pipeline of one marvolt run inside the test
// process (open, load, reports), so that thousands of damaged files can be
// tried quickly. A marvolt::Error is the clear answer to bad bytes; any
// other exception escapes and fails the test, a crash ends it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>

#include "frontend/enums.hpp"
#include "frontend/error.hpp"
#include "frontend/globals.hpp"
#include "model/data.hpp"
#include "model/ini.hpp"
#include "replay/rpylib.hpp"
#include "reports/report.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace hostile {

/// What marvolt made of one replay: a report (status 0) or an error (status 1).
struct Outcome {
  bool reported = false;
  std::string error;    ///< the message the driver would print
  std::string report;   ///< the default text report, when reported
};

/// How much of the reporting to run on a loaded model.
enum class Reports { TextOnly, EveryWay };

/// Opens, loads and reports the replay at `path` as a run of marvolt without
/// options does (no carset: its fatal exit is never reached in-process).
/// EveryWay adds the key=value report and both formats with "--laps" and "--no-header".
inline Outcome runPipeline(const std::string& path, Reports reports = Reports::EveryWay) {
  using Format = marvolt::Report::Format;
  using marvolt::Flag;
  marvolt::resetFlags();
  marvolt::opts.clear();
  marvolt::cstfile.clear();
  marvolt::carsetIni() = marvolt::IniSection("root");
  Outcome outcome;
  try {
    marvolt::RpyFile file(path);
    file.open();
    const std::unique_ptr<marvolt::Data> model = marvolt::Data::create(file.game());
    model->load(file);
    outcome.report = marvolt::Report(*model, Format::TXT).toString();
    if (reports == Reports::EveryWay) {
      const marvolt::Sections lapsNoHeader = marvolt::Sections()
                                                 .set(Flag::LAPTIMES, true)
                                                 .set(Flag::REPLAYINFO, false)
                                                 .set(Flag::EVENTINFO, false);
      for (const Format format : {Format::SEMIKV, Format::JSON, Format::HTML}) {
        marvolt::Report(*model, format).toString();
      }
      for (const Format format : {Format::TXT, Format::SEMIKV, Format::JSON, Format::HTML}) {
        marvolt::Report(*model, format, lapsNoHeader).toString();
      }
    }
    outcome.reported = true;
  } catch (const marvolt::Error& e) {
    outcome.error = e.message();
  }
  return outcome;
}

/// Writes `bytes` to `path` and runs the pipeline on it.
inline Outcome runBytes(const std::string& path, const testsupport::Bytes& bytes,
                        Reports reports = Reports::EveryWay) {
  testsupport::writeFile(path, bytes);
  return runPipeline(path, reports);
}

/// `message` with every occurrence of `path` replaced by `name`.
inline std::string renamed(std::string message, const std::string& path, const std::string& name) {
  for (std::size_t at = message.find(path); at != std::string::npos; at = message.find(path, at + name.size())) {
    message.replace(at, path.size(), name);
  }
  return message;
}

/// Whether `message` is one of the errors a damaged replay at `path` may
/// give: the container's and the reader's messages, each naming what it
/// could not read. Anything else means a failure nobody meant to report.
inline bool isReplayError(const std::string& message, const std::string& path) {
  static const std::regex known(
      "Unknown file format reading file @"
      "|Unknown file header '[\\s\\S]{4}' reading file @"
      "|Bad file length \\([0-9]+ != [0-9]+\\) reading file @"
      "|Error reading file @: chunk label '[\\s\\S]{4}' \\([\\s\\S]{4}\\) data size exceeded at offset [0-9]+"
      "|Error reading file @: chunk label '[\\s\\S]{4}' does not match requested label '[\\s\\S]{4}'"
      "|Error reading file @: chunk header at offset [0-9]+ reaches past the end of the file"
      "|Error reading file @: chunk '(TNRD|ORPL)' at offset [0-9]+ is too short for a "
      "(driver record \\([0-9]+ < 140\\)|car id \\([0-9]+ < 4\\))"
      "|Chunk (DHPR|FNKW) size and destination type size are not equal \\([0-9]+ != (76|184)\\)"
      "|Unsupported rpy version \\([0-9]+ - (UNK|N4|N2K3|IRAC)\\)"
      "|Unknown session type: cast\\(SessT\\)-?[0-9]+"
      "|Inconsistent session info"
      "|Conversion positive overflow");
  return std::regex_match(renamed(message, path, "@"), known);
}

/// The outcome must be a report or one of the replay errors.
inline void expectClearAnswer(const Outcome& outcome, const std::string& path, const std::string& what) {
  if (!outcome.reported) {
    EXPECT_TRUE(isReplayError(outcome.error, path)) << what << ": " << ::testing::PrintToString(outcome.error);
  }
}

}  // namespace hostile
