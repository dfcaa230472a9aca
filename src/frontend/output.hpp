// What marvolt and marvolt-season share around their reports: the run of a
// driver and its statuses, the answers that need no run, the checks of the
// input paths, the carset settings, loading a replay, and the output, which
// asks before it replaces a file and never replaces a file it was made from.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/data.hpp"
#include "replay/rpylib.hpp"

namespace marvolt {

/// What a command line asks for: a run, or only the usage, the version, or
/// the complaint about an invalid option.
enum class CommandAction { Run, Help, Version, Invalid };

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

/// A program's driver: runs on the program name and the arguments after it,
/// returns the exit status.
using DriverFunction = int (*)(const std::string& program, const std::vector<std::string>& args);

/// Runs a program's driver and returns the status its process ends with: a
/// fatal error prints "Error: " and its message and gives its status, any
/// other failure prints its message and gives 1.
int runProgram(DriverFunction run, const std::string& program, const std::vector<std::string>& args);

/// Answers a command line that asks for no run: the usage (status 0), the
/// version (0), or "invalid option" and the usage (-1); nothing for a run.
std::optional<int> answerWithoutRun(CommandAction action, const std::string& invalidArg, std::string_view program,
                                    void (*printUsage)(std::string_view));

/// Checks the input paths of a run: at least one replay (else status 1), each
/// a regular file (else status 1), and the carset, when named, too (else
/// status 2); then protects them all from the output.
void checkInputs(const std::vector<std::string>& replays, const std::string& carset);

/// Remembers a file the output is made from, which the output must never replace.
void protectInput(const std::string& path, const char* role);

/// Throws when `path` leads to a protected input.
void checkNotInput(const std::string& path);

/// Asks on standard error whether the existing output file `path` may be
/// replaced; true only when the answer read from standard input is y or Y.
bool confirmOverwrite(const std::string& path);

/// Settles an output file that exists already, before any replay is read:
/// unless `force`, asks; false when the answer declines (status 4). An
/// output that is an input is refused.
bool mayReplaceOutput(const std::string& path, bool force);

/// Writes the output to standard output (empty path) or replaces the file
/// `path` whole, announcing it on standard error.
void writeOutput(const std::string& path, std::string_view text);

/// Replaces the file `path` whole with `text`, unannounced; refuses (throws)
/// when `path` leads to an input, before anything of it is lost.
void replaceOutputFile(const std::string& path, std::string_view text);

/// The carset settings of a run: the carset file named (or none), whether to
/// search, and the search folders. With `parseNow` the named file is parsed
/// here (a failure ends the run with status 2) and every replay loaded with
/// these settings uses that one parse; else each load parses it.
LoadOptions carsetSettings(const std::string& carset, bool search, bool parseNow);

/// A replay file and the model loaded from it, which reads from the file.
struct LoadedReplay {
  std::unique_ptr<RpyFile> file;
  std::unique_ptr<Data> data;
};

/// Opens the replay `path` and loads its model; the carset the model took its
/// names from becomes a protected input.
LoadedReplay loadReplay(const std::string& path, const LoadOptions& options);

}  // namespace marvolt
