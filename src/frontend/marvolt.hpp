// The command-line driver: reads the command line into the program-wide
// settings, checks the paths, runs the pipeline once and maps every outcome
// to an exit status.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marvolt {

/// What a command line asks for: a run, or only the usage, the version, or
/// the complaint about an invalid option.
enum class CommandAction { Run, Help, Version, Invalid };

/// What one reading of the command line asks for.
struct CommandLine {
  using Action = CommandAction;
  Action action = Action::Run;
  std::string invalidArg;           ///< the invalid option, for Action::Invalid
  std::optional<std::string> replay;
  std::string carset;
  std::string output;
};

/// A path option's argument while the command line is read: not given,
/// awaited (its option was seen, no argument taken yet) or given.
struct PendingPath {
  enum class State { NotGiven, Awaiting, Given };
  State state = State::NotGiven;
  std::string value;
  /// The option was seen: the next free argument is the path.
  void await() {
    state = State::Awaiting;
    value.clear();
  }
  /// Takes `v` as the path.
  void give(const std::string& v) {
    state = State::Given;
    value = v;
  }
  /// Whether the next free argument is the path.
  bool awaiting() const { return state == State::Awaiting; }
};

/// The last component of the program path.
std::string programName(std::string_view argv0);

/// Reads the arguments (without the program name) into `flags`, `opts` and
/// a CommandLine; stops at "--help", "--version" or an invalid option.
CommandLine parseCommandLine(const std::vector<std::string>& args);

/// The "-osame" output path: the replay path with its extension replaced by
/// `extension` (".txt" for the text and key=value reports).
std::string sameNameOutput(const std::string& replayPath, std::string_view extension = ".txt");

/// Writes the usage text to standard output.
void printHelp(std::string_view program);

/// Writes the version text to standard output.
void printVer(std::string_view program);

/// Answers a command line that asks for no run: the usage (status 0), the
/// version (0), or "invalid option" and the usage (-1); nothing for a run.
std::optional<int> answerWithoutRun(CommandAction action, const std::string& invalidArg, std::string_view program,
                                    void (*printUsage)(std::string_view));

/// Asks on standard error whether the existing output file `path` may be
/// replaced; true only when the answer read from standard input is y or Y.
bool confirmOverwrite(const std::string& path);

/// Writes the report to standard output (empty path) or to the file `path`.
void writeOutput(const std::string& path, std::string_view text);

/// Remembers a file the report was made from, which the output must never replace.
void protectInput(const std::string& path, const char* role);

/// Throws when `path` names one of the protected input files.
void checkNotInput(const std::string& path);

/// Throws when the file of status `st`, reached through `path`, is a protected input.
void checkNotInput(const std::string& path, const struct stat& st);

/// Runs marvolt on the command line; returns the exit status. Failures that
/// no part handles propagate to the caller's catch-all.
int runMarvolt(int argc, const char* const* argv);

/// Runs a program's driver and returns the status its process ends with: a
/// fatal error prints "Error: " and its message and gives its status, any
/// other failure prints its message and gives 1.
int runProgram(int (*run)(int, const char* const*), int argc, const char* const* argv);

}  // namespace marvolt
