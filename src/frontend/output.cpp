#include "frontend/runner.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fmt/format.h>

#include "frontend/console.hpp"
#include "frontend/error.hpp"
#include "frontend/files.hpp"
#include "frontend/telvo.hpp"
#include "platform/platform.hpp"

namespace marvolt {

namespace {

constexpr std::string_view kVersion = " v0.6.2";
constexpr std::string_view kCredit = "Written by the marvolt developers.";

// A file the output is made from.
struct Input {
  platform::FileId id;
  std::string path;
  std::string role;
};

std::vector<Input>& protectedInputs() {
  static std::vector<Input> inputs;
  return inputs;
}

// Throws when the file `id`, reached through `path`, is a protected input.
void refuseInput(const std::string& path, const platform::FileId& id) {
  for (const Input& input : protectedInputs()) {
    if (input.id == id) {
      throw Error(fmt::format("Output file {} is the {} file {}; it is not overwritten", path, input.role,
                              input.path));
    }
  }
}

void printVersion(std::string_view program) {
  cout.write(fmt::format("{}{}\n\n{}\n", program, kVersion, kCredit));
}

void writeToStdout(std::string_view text) {
  cout.write(text);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    const int e = errno;
    std::clearerr(stdout);
    throw Error(fmt::format("Cannot write the report to standard output ({})", std::strerror(e)));
  }
}

}  // namespace

int runProgram(DriverFunction run, const std::string& program, const std::vector<std::string>& args) {
  int status = 1;
  try {
    status = run(program, args);
  } catch (const ExitError& e) {
    cerr.writefln("Error: %s", e.message());
    status = e.status();
  } catch (const Error& e) {
    cerr.writeln(e.message());
  } catch (const std::exception& e) {
    cerr.writeln(e.what());
  }
  std::fflush(stdout);
  // The status the process ends with, the same on every system: -1 gives
  // 255 on Windows too, where an exit code keeps all its 32 bits.
  return status & 0xFF;
}

std::optional<int> answerWithoutRun(CommandAction action, const std::string& invalidArg, std::string_view program,
                                    void (*printUsage)(std::string_view)) {
  switch (action) {
    case CommandAction::Help:
      printUsage(program);
      return 0;
    case CommandAction::Version:
      printVersion(program);
      return 0;
    case CommandAction::Invalid:
      cerr.writefln("invalid option '%s'", invalidArg);
      printUsage(program);
      return -1;
    case CommandAction::Run:
      break;
  }
  return std::nullopt;
}

void checkInputs(const std::vector<std::string>& replays, const std::string& carset) {
  if (replays.empty()) err(1, "need replay file as parameter");
  for (const std::string& replay : replays) {
    if (!isRegularFile(replay)) err(1, "cannot read %s: no such file", replay);
  }
  if (!carset.empty() && !isRegularFile(carset)) err(2, "cannot read %s: no such file", carset);
  for (const std::string& replay : replays) protectInput(replay, "replay");
  protectInput(carset, "carset");
}

void protectInput(const std::string& path, const char* role) {
  if (path.empty()) return;
  const platform::FileStatus status = platform::fileStatus(path);
  if (status.kind == platform::FileKind::Missing) return;
  for (const Input& input : protectedInputs()) {
    if (input.id == status.id) return;   // known under this or another name
  }
  protectedInputs().push_back({status.id, path, role});
}

void checkNotInput(const std::string& path) {
  const platform::FileStatus status = platform::fileStatus(path);
  if (status.kind != platform::FileKind::Missing) refuseInput(path, status.id);
}

bool confirmOverwrite(const std::string& path) {
  cerr.writef("Output file %s already exists. Overwrite ? (Y/N): ", path);
  const int answer = std::getchar();
  return answer == 'y' || answer == 'Y';
}

bool mayReplaceOutput(const std::string& path, bool force) {
  if (path.empty() || !pathExists(path)) return true;
  // The question comes first, as for any existing file; an answer that
  // would replace an input file is refused.
  if (!force && !confirmOverwrite(path)) return false;
  checkNotInput(path);
  return true;
}

void writeOutput(const std::string& path, std::string_view text) {
  if (path.empty()) {
    writeToStdout(text);
    return;
  }
  checkNotInput(path);
  cerr.writefln("Writing output to file %s", absolutePath(path));
  replaceOutputFile(path, text);
}

void replaceOutputFile(const std::string& path, std::string_view text) {
  // The file the name leads to at the moment of writing is compared with
  // the inputs again before anything of it is lost.
  platform::replaceFile(path, text, [&path](const platform::FileId* existing) {
    if (existing != nullptr) refuseInput(path, *existing);
  });
}

LoadOptions carsetSettings(const std::string& carset, bool search, bool parseNow) {
  LoadOptions options{carset, search, CSTSearch, nullptr};
  if (parseNow && !carset.empty()) parseNamedCarset(options);
  return options;
}

LoadedReplay loadReplay(const std::string& path, const LoadOptions& options) {
  LoadedReplay replay;
  replay.file = std::make_unique<RpyFile>(path);
  replay.file->open();
  replay.data = Data::create(*replay.file, options);
  if (replay.data == nullptr) throw Error("no data model for the replay's game");
  // The output is made from the carset too: it must never be written over it.
  protectInput(replay.data->carset.file, "carset");
  return replay;
}

}  // namespace marvolt
