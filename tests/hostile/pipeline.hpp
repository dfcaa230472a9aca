// Runs a replay through the pipeline of one marvolt run inside the test
// process (open, load, reports), from memory, so that thousands of damaged
// files can be tried quickly. A marvolt::Error is the clear answer to bad
// bytes; any other exception escapes and fails the test, a crash ends it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <regex>
#include <string>

#include "frontend/enums.hpp"
#include "frontend/error.hpp"
#include "model/data.hpp"
#include "replay/rpylib.hpp"
#include "reports/jsonlib.hpp"
#include "reports/report.hpp"
#include "support/harness.hpp"
#include "support/replay_builder.hpp"
#include "support/xml_page.hpp"

namespace hostile {

/// What marvolt made of one replay: a report (status 0) or an error (status 1).
struct Outcome {
  bool reported = false;
  std::string error;    ///< the message the driver would print
  std::string report;   ///< the default text report, when reported
};

/// How much of the reporting to run on a loaded model.
enum class Reports { TextOnly, EveryWay };

/// Whatever the replay held, the JSON report parses and the HTML page is well-formed XML.
inline void expectDocuments(const std::string& json, const std::string& html) {
  rapidjson::Document doc;
  doc.Parse<rapidjson::kParseValidateEncodingFlag>(json.data(), json.size());
  EXPECT_FALSE(doc.HasParseError()) << "JSON report invalid at offset " << doc.GetErrorOffset();
  EXPECT_TRUE(testsupport::XmlPage(html).wellFormed()) << "HTML page not well-formed";
}

/// Loads and reports `file` as a run of marvolt without options does.
/// EveryWay adds the other formats, and every format with "--laps" and "--no-header",
/// checking that the JSON report parses and the HTML page is well-formed.
inline Outcome runFile(marvolt::RpyFile& file, Reports reports) {
  using Format = marvolt::Report::Format;
  using marvolt::Flag;
  Outcome outcome;
  file.open();
  const std::unique_ptr<marvolt::Data> model = marvolt::Data::create(file.game());
  model->load(file);
  outcome.report = marvolt::Report(*model, Format::TXT).toString();
  if (reports == Reports::EveryWay) {
    const marvolt::Sections lapsNoHeader =
        marvolt::Sections().set(Flag::LAPTIMES, true).set(Flag::REPLAYINFO, false).set(Flag::EVENTINFO, false);
    for (const marvolt::Sections& sections : {marvolt::Sections(), lapsNoHeader}) {
      for (const Format format : {Format::SEMIKV, Format::TXT}) marvolt::Report(*model, format, sections).toString();
      expectDocuments(marvolt::Report(*model, Format::JSON, sections).toString(),
                      marvolt::Report(*model, Format::HTML, sections).toString());
    }
  }
  outcome.reported = true;
  return outcome;
}

/// Loads and reports replay bytes held in memory under the file name `name` (see runFile).
inline Outcome runBytes(const std::string& name, const testsupport::Bytes& bytes,
                        Reports reports = Reports::EveryWay) {
  try {
    marvolt::RpyFile file(std::span<const std::uint8_t>(bytes), name);
    return runFile(file, reports);
  } catch (const marvolt::Error& e) {
    return {false, e.message(), {}};
  }
}

/// Loads and reports the bytes of the replay file at `path` (see runFile).
inline Outcome runPipeline(const std::string& path, Reports reports = Reports::EveryWay) {
  return runBytes(path, testsupport::bytesOf(testsupport::readFile(path)), reports);
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
