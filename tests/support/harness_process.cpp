#include "support/harness.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace testsupport {

namespace {

void redirect(const std::string& path, int fd, int flags) {
  const int opened = ::open(path.c_str(), flags, 0644);
  if (opened < 0) ::_exit(126);
  ::dup2(opened, fd);
  ::close(opened);
}

std::map<std::string, std::string> regularFiles(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.is_regular_file()) files[entry.path().filename().string()] = readFile(entry.path().string());
  }
  return files;
}

}  // namespace

std::string marvoltExe() { return MARVOLT_EXE; }

std::string seasonExe() { return MARVOLT_SEASON_EXE; }

RunResult runProgramIn(const std::string& program, const TempDir& dir, const std::vector<std::string>& args,
                       const RunOptions& options) {
  TempDir capture;
  const std::string inPath = capture.file("stdin");
  const std::string outPath = options.stdoutPath.empty() ? capture.file("stdout") : options.stdoutPath;
  const std::string errPath = capture.file("stderr");
  writeText(inPath, options.input.value_or(""));

  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  for (std::string& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (::chdir(dir.path().c_str()) != 0) ::_exit(126);
    redirect(options.input ? inPath : "/dev/null", 0, O_RDONLY);
    redirect(outPath, 1, O_WRONLY | O_CREAT | O_TRUNC);
    redirect(errPath, 2, O_WRONLY | O_CREAT | O_TRUNC);
    if (options.fileSizeLimit > 0) {
      // A write past the limit then fails with EFBIG instead of a signal.
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
    }
    ::execv(cargv[0], cargv.data());
    ::_exit(127);
  }
  int wstatus = 0;
  while (::waitpid(pid, &wstatus, 0) < 0) {
  }
  RunResult result;
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  result.out = options.stdoutPath.empty() ? readFile(outPath) : "";
  result.err = readFile(errPath);
  result.files = regularFiles(dir.path());
  return result;
}

RunResult runIn(const TempDir& dir, const std::vector<std::string>& args, const RunOptions& options) {
  return runProgramIn(marvoltExe(), dir, args, options);
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
