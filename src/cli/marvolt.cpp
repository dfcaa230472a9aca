#include "frontend/marvolt.hpp"

#include <fmt/format.h>

#include "frontend/console.hpp"
#include "frontend/error.hpp"
#include "frontend/globals.hpp"
#include "frontend/telvo.hpp"
#include "platform/platform.hpp"
#include "reports/report.hpp"

namespace marvolt {

namespace {

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

// Opens the replay, loads its model and builds the whole report text.
std::string makeReport(const std::string& replayPath, Report::Format format) {
  LoadedReplay replay;
  try {
    replay = loadReplay(replayPath, carsetSettings(cstfile, hasOpt("cst-auto"), false));
  } catch (const FileSystemError& e) {
    err(-1, " accessing file %s", e.message());
  }
  return Report(*replay.data, format, reportSections()).toString();
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  PendingPath carset;
  PendingPath output;
  for (const std::string& arg : args) {
    if (arg == "-o") {
      output.await();
    } else if (arg == "--cst") {
      carset.await();
    } else if (arg == "--help") {
      cl.action = CommandLine::Action::Help;
      return cl;
    } else if (arg == "--laps") {
      flags[Flag::LAPTIMES] = true;
    } else if (arg == "-osame") {
      opts["osame"];
    } else if (arg == "--force") {
      opts["force"];
    } else if (arg == "--version") {
      cl.action = CommandLine::Action::Version;
      return cl;
    } else if (arg == "--cst-auto") {
      opts["cst-auto"];
    } else if (arg == "--no-header") {
      flags[Flag::REPLAYINFO] = false;
      flags[Flag::EVENTINFO] = false;
    } else if (arg == "--no-std-conv" && platform::hasConsoleConversion()) {
      platform::setConsoleConversion(false);   // an option only where the console converts
    } else if (arg == "--format=txt") {
      opts["format"].push_back("txt");
    } else if (arg == "--format=semikv") {
      opts["format"].push_back("semikv");
    } else if (arg == "--format=json") {
      opts["format"].push_back("json");
    } else if (arg == "--format=html") {
      opts["format"].push_back("html");
    } else if (carset.awaiting()) {
      carset.give(arg);
    } else if (output.awaiting()) {
      output.give(arg);
    } else if (!arg.empty() && arg[0] == '-') {
      cl.action = CommandLine::Action::Invalid;
      cl.invalidArg = arg;
      return cl;
    } else {
      // An empty argument is taken as a replay path; it then fails the existence test.
      cl.replay = arg;
    }
  }
  cl.carset = carset.value;
  cl.output = output.value;
  return cl;
}

std::string sameNameOutput(const std::string& replayPath, std::string_view extension) {
  std::size_t componentStart = replayPath.size();
  while (componentStart > 0 && !platform::isSeparator(replayPath[componentStart - 1])) --componentStart;
  const auto dot = replayPath.rfind('.');
  const std::size_t stem = dot != std::string::npos && dot > componentStart ? dot : replayPath.size();
  return replayPath.substr(0, stem).append(extension);
}

void printHelp(std::string_view program) {
  cout.writeln(fmt::format(
      "\n"
      "Usage: {} [OPTION] <REPLAY>\n"
      "Make reports from replay files (.rpy)\n"
      "\n"
      "  --cst <file>     use GEM+ carset (.cst) file for string data\n"
      "  --cst-auto       try to detect and find the correct carset file\n"
      "  -o <output>      output file (UTF-8 encoded)\n"
      "  -osame           output file with same name as replay (.txt extension)\n"
      "  --force          overwrite existing file\n"
      "  --format=txt     output format: text (default)\n"
      "  --format=semikv  output format: semicolon delimited key=value\n"
      "  --format=json    output format: JSON document (schema marvolt-report/1)\n"
      "  --format=html    output format: self-contained HTML page with charts\n"
      "  --no-header      do not display replay information\n"
      "  --no-std-conv    do not convert std streams to console encoding (Windows only)\n"
      "  --laps           dump all laptimes of all cars\n"
      "  --help           display this text and exit\n"
      "  --version        output version information and exit\n",
      program));
}

int runMarvolt(const std::string& program, const std::vector<std::string>& args) {
  resetFlags();
  if (args.empty()) {
    printHelp(program);
    return 3;
  }
  const CommandLine cl = parseCommandLine(args);
  if (const std::optional<int> status = answerWithoutRun(cl.action, cl.invalidArg, program, printHelp)) return *status;
  checkInputs(cl.replay ? std::vector<std::string>{*cl.replay} : std::vector<std::string>{}, cl.carset);
  cstfile = cl.carset;

  const Report::Format format = chosenFormat();
  std::string output = cl.output;
  if (hasOpt("osame") && output.empty()) output = sameNameOutput(cl.replay.value(), sameNameExtension(format));
  if (!mayReplaceOutput(output, hasOpt("force"))) return 4;

  const std::string report = makeReport(*cl.replay, format);
  writeOutput(output, report);
  return 0;
}

}  // namespace marvolt
