// Runs marvolt or marvolt-season in a temporary directory and captures what
// it did: standard output, standard error, exit status and the files it
// left; or loads a replay in the test process as marvolt does. A run happens
// inside the test process, its streams captured through the platform layer;
// on POSIX systems a run can also be a process of the built program, for
// what only a process shows.
#pragma once

#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "frontend/error.hpp"
#include "model/data.hpp"
#include "replay/rpylib.hpp"
#include "support/replay_builder.hpp"

namespace testsupport {

/// A fresh directory, removed with everything in it on destruction
/// (temp_dir.cpp: on every system the tests run on).
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  /// The directory's absolute path.
  const std::string& path() const { return path_; }
  /// The absolute path of `name` inside the directory.
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

/// The message of the exception that `action` throws (of a marvolt::Error
/// its whole message); empty when it throws none.
template <typename Action>
std::string errorOf(Action action) {
  try {
    action();
  } catch (const marvolt::Error& e) {
    return e.message();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

/// A replay loaded in the test process, without a carset, as "r.rpy".
struct Loaded {
  explicit Loaded(const ReplayBuilder& replay)
      : bytes(replay.build()), file(std::span<const std::uint8_t>(bytes), "r.rpy") {
    file.open();
    data = marvolt::Data::create(file.game());
    data->load(file);
  }
  Bytes bytes;
  marvolt::RpyFile file;
  std::unique_ptr<marvolt::Data> data;
};

/// The two programs.
enum class Program { Marvolt, Season };

/// What one run of a program did.
struct RunResult {
  int status = -1;                               ///< exit status, or -1 when killed
  int signal = 0;                                ///< process runs: the signal that ended it, or 0
  bool interrupted = false;                      ///< process runs: `interrupt` was sent with a temporary file in flight
  std::string out;                               ///< standard output
  std::string err;                               ///< standard error
  std::map<std::string, std::string> files;      ///< regular files in the directory afterwards
};

/// Options of one run.
struct RunOptions {
  std::optional<std::string> input;   ///< standard input text; none: standard input is closed (end of input)
  std::string stdoutPath;             ///< process runs: standard output goes to this path (for /dev/full)
  long fileSizeLimit = 0;             ///< process runs: the most bytes a file may hold; a longer write fails
  bool closedStdout = false;          ///< process runs: standard output is closed
  int interrupt = 0;                  ///< process runs: this signal is sent once a temporary file is in `watched`
  int ignored = 0;                    ///< process runs: this signal is ignored from the start
  std::string watched{};              ///< process runs: the folder watched for a temporary file (".*.tmp")
};

/// Runs `program` with `args` inside the test process, in `dir` (the working
/// directory during the run), as its process would run.
RunResult runProgramIn(Program program, const TempDir& dir, const std::vector<std::string>& args,
                       const RunOptions& options = {});

/// Runs marvolt with `args` inside `dir`, in the test process.
RunResult runIn(const TempDir& dir, const std::vector<std::string>& args, const RunOptions& options = {});

/// Writes the replay as r.rpy (and `carsetText`, when given, as set.cst named
/// by "--cst") into a fresh directory and runs marvolt there with `args` and it.
RunResult runReplay(const ReplayBuilder& replay, std::vector<std::string> args, const std::string& carsetText = "");

/// Runs marvolt with `args` in a fresh temporary directory.
RunResult run(const std::vector<std::string>& args, const RunOptions& options = {});

/// The regular files directly inside `dir`, by name, with their content.
std::map<std::string, std::string> regularFiles(const std::string& dir);

/// Runs the built binary of `program` with `args` as a process inside `dir`
/// (POSIX systems only: harness_process.cpp).
RunResult runProcessIn(Program program, const TempDir& dir, const std::vector<std::string>& args,
                       const RunOptions& options = {});

}  // namespace testsupport
