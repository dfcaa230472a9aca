// What marvolt and marvolt-season share as programs: the run of a driver
// (from a fresh process-wide state to the process's exit status), the
// answers that need no run, and the checks of the input paths.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.hpp"
#include "frontend/error.hpp"

namespace marvolt {

/// A program's driver: runs on the program name and the arguments after it,
/// returns the exit status.
using DriverFunction = ExitStatus (*)(const std::string& program, const std::vector<std::string>& args);

/// Puts every process-wide setting back as at the start of a process: the
/// report flags, the options, the carset file and search list, the
/// protected inputs and the console conversion.
void resetProcessState();

/// Runs a program's driver on a fresh process-wide state and returns the
/// status its process ends with: a fatal error prints "Error: " and its
/// message and gives its status, any other failure prints its message and
/// gives the failure status.
int runProgram(DriverFunction run, const std::string& program, const std::vector<std::string>& args);

/// Answers a command line that asks for no run: no argument at all (the
/// usage, NoArgument), "--help" (the usage), "--version", or an invalid
/// option or combination (the complaint and the usage, Invalid); nothing
/// for a run.
std::optional<ExitStatus> answerWithoutRun(const CommandSyntax& syntax, std::string_view program,
                                           const std::vector<std::string>& args, const ParsedArguments& parsed);

/// Checks the input paths of a run: at least one replay, each a regular file
/// (else a failure), and the carset, when named, too (else the carset's
/// status); then protects them all from the output.
void checkInputs(const std::vector<std::string>& replays, const std::string& carset);

}  // namespace marvolt
