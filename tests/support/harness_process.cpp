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

// Whether `dir` holds a temporary file of an output being replaced.
bool holdsTemporary(const std::string& dir) {
  if (::access(dir.c_str(), F_OK) != 0) return false;
  for (const auto& [name, text] : regularFiles(dir)) {
    if (name.starts_with(".") && name.ends_with(".tmp")) return true;
  }
  return false;
}

// Stops the process `pid` now and then until a temporary file is seen in
// `watched` while it is stopped, and sends it `signal` then; false when it
// ended first (its status is then in `wstatus`).
bool interruptInFlight(pid_t pid, int signal, const std::string& watched, int& wstatus) {
  for (;;) {
    ::usleep(500);
    ::kill(pid, SIGSTOP);
    if (::waitpid(pid, &wstatus, WUNTRACED) != pid || !WIFSTOPPED(wstatus)) return false;
    const bool inFlight = holdsTemporary(watched);
    if (inFlight) ::kill(pid, signal);
    ::kill(pid, SIGCONT);
    if (inFlight) return true;
  }
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
    if (options.ignored != 0) std::signal(options.ignored, SIG_IGN);
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
  RunResult result;
  int wstatus = 0;
  bool reaped = false;
  if (options.interrupt != 0) {
    result.interrupted = interruptInFlight(pid, options.interrupt, options.watched, wstatus);
    reaped = !result.interrupted;
  }
  while (!reaped && ::waitpid(pid, &wstatus, 0) < 0) {
  }
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  result.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
  result.out = options.stdoutPath.empty() ? readFile(outPath) : "";
  result.err = readFile(errPath);
  result.files = regularFiles(dir.path());
  return result;
}

}  // namespace testsupport
