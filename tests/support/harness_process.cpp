// The process runs of the harness: the built programs started with fork and
// exec, their streams and limits set up in the child.
#include "support/harness.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <stdexcept>

namespace testsupport {

namespace {

void redirect(const std::string& path, int fd, int flags) {
  const int opened = ::open(path.c_str(), flags, 0644);
  if (opened < 0) ::_exit(126);
  ::dup2(opened, fd);
  ::close(opened);
}

}  // namespace

RunResult runProcessIn(Program which, const TempDir& dir, const std::vector<std::string>& args,
                       const RunOptions& options) {
  const std::string program = which == Program::Marvolt ? MARVOLT_EXE : MARVOLT_SEASON_EXE;
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
    if (options.closedStdout) ::close(1);
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

}  // namespace testsupport
