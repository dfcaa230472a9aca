#include "cli/marvolt.hpp"

#include "cli/program.hpp"
#include "frontend/error.hpp"
#include "frontend/globals.hpp"
#include "frontend/output.hpp"
#include "frontend/telvo.hpp"
#include "model/loading.hpp"
#include "platform/platform.hpp"
#include "reports/report.hpp"

namespace marvolt {

namespace {

constexpr Option kOptions[] = {
    {OptionKey::Carset, "--cst", Argument::Path, "<file>", "use GEM+ carset (.cst) file for string data"},
    kCarsetAutoOption,
    kOutputOption,
    {OptionKey::SameName, "-osame", Argument::None, "", "output file with same name as replay (.txt extension)"},
    kForceOption,
    kFormatTxtOption,
    {OptionKey::FormatSemikv, "--format=semikv", Argument::None, "", "output format: semicolon delimited key=value"},
    {OptionKey::FormatJson, "--format=json", Argument::None, "",
     "output format: JSON document (schema marvolt-report/1)"},
    {OptionKey::FormatHtml, "--format=html", Argument::None, "",
     "output format: self-contained HTML page with charts"},
    {OptionKey::NoHeader, "--no-header", Argument::None, "", "do not display replay information"},
    // An option only where the console converts.
    {OptionKey::NoStdConv, "--no-std-conv", Argument::None, "",
     "do not convert std streams to console encoding (Windows only)", platform::hasConsoleConversion},
    {OptionKey::Laps, "--laps", Argument::None, "", "dump all laptimes of all cars"},
    kHelpOption,
    kVersionOption,
};

// The report format of a format option's value; text for any other value.
Report::Format formatOf(const std::string& value) {
  if (value == "semikv") return Report::Format::SEMIKV;
  if (value == "json") return Report::Format::JSON;
  if (value == "html") return Report::Format::HTML;
  return Report::Format::TXT;
}

// The report format: the last format option given decides; text by default.
Report::Format chosenFormat() {
  const auto it = opts.find("format");
  if (it == opts.end() || it->second.empty()) return Report::Format::TXT;
  return formatOf(it->second.back());
}

// The extension of the "-osame" output file: that of the document format,
// ".txt" for the text and key=value reports.
std::string_view sameNameExtension(Report::Format format) {
  switch (format) {
    case Report::Format::JSON: return ".json";
    case Report::Format::HTML: return ".html";
    default: return ".txt";
  }
}

// Opens the replay, loads its model and works out everything the report
// prints: every error and warning of the replay and the carset comes before
// the first byte of the report.
ReportModel makeReport(const std::string& replayPath, Report::Format format) {
  LoadedReplay replay;
  try {
    replay = loadReplay(replayPath, carsetSettings(cstfile, hasOpt("cst-auto"), false));
  } catch (const FileSystemError& e) {
    err(ExitStatus::Invalid, " accessing file %s", e.message());
  }
  return Report(*replay.data, format, reportSections()).model();
}

// Takes the option `key` into the program-wide settings.
bool applyOption(OptionKey key) {
  switch (key) {
    case OptionKey::Laps: flags[Flag::LAPTIMES] = true; break;
    case OptionKey::SameName: opts["osame"]; break;
    case OptionKey::Force: opts["force"]; break;
    case OptionKey::CarsetAuto: opts["cst-auto"]; break;
    case OptionKey::NoHeader:
      flags[Flag::REPLAYINFO] = false;
      flags[Flag::EVENTINFO] = false;
      break;
    case OptionKey::NoStdConv: platform::setConsoleConversion(false); break;
    case OptionKey::FormatTxt: opts["format"].push_back("txt"); break;
    case OptionKey::FormatSemikv: opts["format"].push_back("semikv"); break;
    case OptionKey::FormatJson: opts["format"].push_back("json"); break;
    case OptionKey::FormatHtml: opts["format"].push_back("html"); break;
    default: break;
  }
  return true;
}

}  // namespace

const CommandSyntax kMarvoltSyntax{" <REPLAY>", "Make reports from replay files (.rpy)", kOptions};

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  cl.parsed = parseArguments(kMarvoltSyntax, args, [](OptionKey key, std::string_view) { return applyOption(key); });
  // The last replay path given is the one read.
  if (!cl.parsed.operands.empty()) cl.replay = cl.parsed.operands.back();
  cl.carset = cl.parsed.path(OptionKey::Carset).value;
  cl.output = cl.parsed.path(OptionKey::Output).value;
  return cl;
}

std::string sameNameOutput(const std::string& replayPath, std::string_view extension) {
  std::size_t componentStart = replayPath.size();
  while (componentStart > 0 && !platform::isSeparator(replayPath[componentStart - 1])) --componentStart;
  const auto dot = replayPath.rfind('.');
  const std::size_t stem = dot != std::string::npos && dot > componentStart ? dot : replayPath.size();
  return replayPath.substr(0, stem).append(extension);
}

ExitStatus runMarvolt(const std::string& program, const std::vector<std::string>& args) {
  const CommandLine cl = parseCommandLine(args);
  if (const std::optional<ExitStatus> status = answerWithoutRun(kMarvoltSyntax, program, args, cl.parsed)) {
    return *status;
  }
  checkInputs(cl.replay ? std::vector<std::string>{*cl.replay} : std::vector<std::string>{}, cl.carset);
  cstfile = cl.carset;

  const Report::Format format = chosenFormat();
  std::string output = cl.output;
  if (hasOpt("osame") && output.empty()) output = sameNameOutput(cl.replay.value(), sameNameExtension(format));
  if (!mayReplaceOutput(output, hasOpt("force"))) return ExitStatus::Declined;

  const ReportModel report = makeReport(*cl.replay, format);
  writeOutput(output, [&](OutputSink& sink) { renderReport(sink, report, format); });
  return ExitStatus::Success;
}

}  // namespace marvolt
