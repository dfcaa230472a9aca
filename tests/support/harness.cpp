#include "support/harness.hpp"

#include <filesystem>

#include "cli/marvolt.hpp"
#include "cli/program.hpp"
#include "cli/seasoncli.hpp"
#include "platform/platform.hpp"

namespace testsupport {

std::map<std::string, std::string> regularFiles(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.is_regular_file()) files[entry.path().filename().string()] = readFile(entry.path().string());
  }
  return files;
}

RunResult runProgramIn(Program program, const TempDir& dir, const std::vector<std::string>& args,
                       const RunOptions& options) {
  marvolt::platform::StreamCapture capture;
  capture.input = options.input;
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  marvolt::platform::captureStreams(&capture);
  RunResult result;
  result.status = program == Program::Marvolt ? marvolt::runProgram(marvolt::runMarvolt, "marvolt", args)
                                              : marvolt::runProgram(marvolt::runSeason, "marvolt-season", args);
  marvolt::platform::captureStreams(nullptr);
  std::filesystem::current_path(before);
  result.out = std::move(capture.out);
  result.err = std::move(capture.err);
  result.files = regularFiles(dir.path());
  return result;
}

RunResult runIn(const TempDir& dir, const std::vector<std::string>& args, const RunOptions& options) {
  return runProgramIn(Program::Marvolt, dir, args, options);
}

RunResult run(const std::vector<std::string>& args, const RunOptions& options) {
  TempDir dir;
  return runIn(dir, args, options);
}

RunResult runReplay(const ReplayBuilder& replay, std::vector<std::string> args, const std::string& carsetText) {
  TempDir dir;
  writeFile(dir.file("r.rpy"), replay.build());
  if (!carsetText.empty()) {
    writeText(dir.file("set.cst"), carsetText);
    args.insert(args.begin(), {"--cst", "set.cst"});
  }
  args.push_back("r.rpy");
  return runIn(dir, args);
}

}  // namespace testsupport
