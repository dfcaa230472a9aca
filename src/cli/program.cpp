#include "cli/program.hpp"

#include <fmt/format.h>

#include "frontend/console.hpp"
#include "frontend/files.hpp"
#include "frontend/globals.hpp"
#include "frontend/output.hpp"
#include "frontend/telvo.hpp"
#include "model/data.hpp"
#include "platform/platform.hpp"

namespace marvolt {

namespace {

constexpr std::string_view kVersion = " v0.6.2";
constexpr std::string_view kCredit = "Written by the marvolt developers.";

void printUsage(const CommandSyntax& syntax, std::string_view program) {
  cout.writeln(usageText(syntax, program));
}

}  // namespace

void resetProcessState() {
  resetFlags();
  opts.clear();
  cstfile.clear();
  CSTSearch = defaultCarsetSearch();
  clearProtectedInputs();
  platform::setConsoleConversion(true);
}

int runProgram(DriverFunction run, const std::string& program, const std::vector<std::string>& args) {
  ExitStatus status = ExitStatus::Failure;
  try {
    resetProcessState();
    status = run(program, args);
  } catch (const ExitError& e) {
    cerr.writefln("Error: %s", e.message());
    status = e.status();
  } catch (const Error& e) {
    cerr.writeln(e.message());
  } catch (const std::exception& e) {
    cerr.writeln(e.what());
  }
  platform::flushStream(platform::Stream::Out);
  return processStatus(status);
}

std::optional<ExitStatus> answerWithoutRun(const CommandSyntax& syntax, std::string_view program,
                                           const std::vector<std::string>& args, const ParsedArguments& parsed) {
  if (args.empty()) {
    printUsage(syntax, program);
    return ExitStatus::NoArgument;
  }
  switch (parsed.action) {
    case CommandAction::Help:
      printUsage(syntax, program);
      return ExitStatus::Success;
    case CommandAction::Version:
      cout.write(fmt::format("{}{}\n\n{}\n", program, kVersion, kCredit));
      return ExitStatus::Success;
    case CommandAction::Invalid:
      cerr.writeln(parsed.complaint);
      printUsage(syntax, program);
      return ExitStatus::Invalid;
    case CommandAction::Run:
      break;
  }
  return std::nullopt;
}

void checkInputs(const std::vector<std::string>& replays, const std::string& carset) {
  if (replays.empty()) err(ExitStatus::Failure, "need replay file as parameter");
  for (const std::string& replay : replays) {
    if (!isRegularFile(replay)) err(ExitStatus::Failure, "cannot read %s: no such file", replay);
  }
  if (!carset.empty() && !isRegularFile(carset)) err(ExitStatus::Carset, "cannot read %s: no such file", carset);
  for (const std::string& replay : replays) protectInput(replay, "replay");
  protectInput(carset, "carset");
}

}  // namespace marvolt
