// The command-line driver: reads the command line into the program-wide
// settings, checks the paths, runs the pipeline once and maps every outcome
// to an exit status.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.hpp"
#include "frontend/error.hpp"

namespace marvolt {

/// What one reading of the command line asks for.
struct CommandLine {
  ParsedArguments parsed;           ///< the action, and the complaint of an invalid one
  std::optional<std::string> replay;
  std::string carset;
  std::string output;
};

/// The options of marvolt, in the order of its usage.
extern const CommandSyntax kMarvoltSyntax;

/// Reads the arguments (without the program name) into `flags`, `opts` and
/// a CommandLine; stops at "--help", "--version" or an invalid option.
CommandLine parseCommandLine(const std::vector<std::string>& args);

/// The "-osame" output path: the replay path with its extension replaced by
/// `extension` (".txt" for the text and key=value reports).
std::string sameNameOutput(const std::string& replayPath, std::string_view extension = ".txt");

/// Runs marvolt, started as `program`, on the arguments after the program
/// name; returns the exit status. Failures that no part handles propagate to
/// the caller's catch-all.
ExitStatus runMarvolt(const std::string& program, const std::vector<std::string>& args);

}  // namespace marvolt
