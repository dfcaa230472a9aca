#include "frontend/marvolt.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <fmt/format.h>

#include "frontend/console.hpp"
#include "frontend/error.hpp"
#include "frontend/files.hpp"
#include "frontend/globals.hpp"
#include "frontend/telvo.hpp"
#include "model/data.hpp"
#include "replay/rpylib.hpp"
#include "reports/report.hpp"

namespace marvolt {

namespace {

constexpr std::string_view kVersion = " v0.6.2";
constexpr std::string_view kCredit = "Written by the marvolt developers.";

struct FileId {
  dev_t dev;
  ino_t ino;
  std::string path;
  std::string role;
};

std::vector<FileId>& protectedInputs() {
  static std::vector<FileId> inputs;
  return inputs;
}

void writeToStdout(std::string_view text) {
  cout.write(text);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    const int e = errno;
    std::clearerr(stdout);
    throw Error(fmt::format("Cannot write the report to standard output ({})", std::strerror(e)));
  }
}

[[noreturn]] void throwOutputError(const std::string& path, int errnum) {
  throw Error(fmt::format("{}: {}", path, std::strerror(errnum)));
}

void writeToFile(const std::string& path, std::string_view text) {
  // Opened without truncating: the file the name leads to now is compared
  // with the inputs before anything in it is lost.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) throwOutputError(path, errno);
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    const int e = errno;
    ::close(fd);
    throwOutputError(path, e);
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int e = errno;
    std::fclose(file);
    throwOutputError(path, e);
  }
  try {
    checkNotInput(path, st);
  } catch (...) {
    std::fclose(file);
    throw;
  }
  if (S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) {
    const int e = errno;
    std::fclose(file);
    throwOutputError(path, e);
  }
  const bool written = text.empty() || std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const int writeErrno = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) throwOutputError(path, written ? errno : writeErrno);
}

// The report format of a format option's value; text for any other value.
Report::Format formatOf(const std::string& value) {
  if (value == "semikv") return Report::Format::SEMIKV;
  if (value == "json") return Report::Format::JSON;
  if (value == "html") return Report::Format::HTML;
  return Report::Format::TXT;
}

// The report format: the last format option given decides; text by default.
Report::Format chosenFormat() {
  const auto it = opts.find("format");
  if (it == opts.end() || it->second.empty()) return Report::Format::TXT;
  return formatOf(it->second.back());
}

// The extension of the "-osame" output file: that of the document format,
// ".txt" for the text and key=value reports.
std::string_view sameNameExtension(Report::Format format) {
  switch (format) {
    case Report::Format::JSON: return ".json";
    case Report::Format::HTML: return ".html";
    default: return ".txt";
  }
}

// Opens the replay, loads its model and builds the whole report text.
std::string makeReport(const std::string& replayPath, Report::Format format) {
  std::unique_ptr<RpyFile> file;
  try {
    file = std::make_unique<RpyFile>(replayPath);
  } catch (const FileSystemError& e) {
    err(-1, " accessing file ", e.what());
  }
  file->open();
  std::unique_ptr<Data> data = Data::create(file->game());
  MARVOLT_ASSERT(data != nullptr, "no data model for an opened replay");
  data->load(*file, LoadOptions{cstfile, hasOpt("cst-auto"), CSTSearch});
  // The report is made from the carset too: it must never be written over it.
  protectInput(data->carset.file, "carset");
  return Report(*data, format, reportSections()).toString();
}

}  // namespace

bool confirmOverwrite(const std::string& path) {
  cerr.writef("Output file %s already exists. Overwrite ? (Y/N): ", path);
  const int answer = std::getchar();
  return answer == 'y' || answer == 'Y';
}

std::string programName(std::string_view argv0) {
  const auto slash = argv0.rfind('/');
  return std::string(slash == std::string_view::npos ? argv0 : argv0.substr(slash + 1));
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  PendingPath carset;
  PendingPath output;
  for (const std::string& arg : args) {
    if (arg == "-o") {
      output.await();
    } else if (arg == "--cst") {
      carset.await();
    } else if (arg == "--help") {
      cl.action = CommandLine::Action::Help;
      return cl;
    } else if (arg == "--laps") {
      flags[Flag::LAPTIMES] = true;
    } else if (arg == "-osame") {
      opts["osame"];
    } else if (arg == "--force") {
      opts["force"];
    } else if (arg == "--version") {
      cl.action = CommandLine::Action::Version;
      return cl;
    } else if (arg == "--cst-auto") {
      opts["cst-auto"];
    } else if (arg == "--no-header") {
      flags[Flag::REPLAYINFO] = false;
      flags[Flag::EVENTINFO] = false;
    } else if (arg == "--format=txt") {
      opts["format"].push_back("txt");
    } else if (arg == "--format=semikv") {
      opts["format"].push_back("semikv");
    } else if (arg == "--format=json") {
      opts["format"].push_back("json");
    } else if (arg == "--format=html") {
      opts["format"].push_back("html");
    } else if (carset.awaiting()) {
      carset.give(arg);
    } else if (output.awaiting()) {
      output.give(arg);
    } else if (!arg.empty() && arg[0] == '-') {
      cl.action = CommandLine::Action::Invalid;
      cl.invalidArg = arg;
      return cl;
    } else {
      // An empty argument is taken as a replay path; it then fails the existence test.
      cl.replay = arg;
    }
  }
  cl.carset = carset.value;
  cl.output = output.value;
  return cl;
}

std::string sameNameOutput(const std::string& replayPath, std::string_view extension) {
  const auto slash = replayPath.rfind('/');
  const std::size_t componentStart = slash == std::string::npos ? 0 : slash + 1;
  const auto dot = replayPath.rfind('.');
  const std::size_t stem = dot != std::string::npos && dot > componentStart ? dot : replayPath.size();
  return replayPath.substr(0, stem).append(extension);
}

void printHelp(std::string_view program) {
  cout.writeln(fmt::format(
      "\n"
      "Usage: {} [OPTION] <REPLAY>\n"
      "Make reports from replay files (.rpy)\n"
      "\n"
      "  --cst <file>     use GEM+ carset (.cst) file for string data\n"
      "  --cst-auto       try to detect and find the correct carset file\n"
      "  -o <output>      output file (UTF-8 encoded)\n"
      "  -osame           output file with same name as replay (.txt extension)\n"
      "  --force          overwrite existing file\n"
      "  --format=txt     output format: text (default)\n"
      "  --format=semikv  output format: semicolon delimited key=value\n"
      "  --format=json    output format: JSON document (schema marvolt-report/1)\n"
      "  --format=html    output format: self-contained HTML page with charts\n"
      "  --no-header      do not display replay information\n"
      "  --no-std-conv    do not convert std streams to console encoding (Windows only)\n"
      "  --laps           dump all laptimes of all cars\n"
      "  --help           display this text and exit\n"
      "  --version        output version information and exit\n",
      program));
}

void printVer(std::string_view program) { cout.write(fmt::format("{}{}\n\n{}\n", program, kVersion, kCredit)); }

std::optional<int> answerWithoutRun(CommandAction action, const std::string& invalidArg, std::string_view program,
                                    void (*printUsage)(std::string_view)) {
  switch (action) {
    case CommandAction::Help:
      printUsage(program);
      return 0;
    case CommandAction::Version:
      printVer(program);
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

void protectInput(const std::string& path, const char* role) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return;
  for (const FileId& input : protectedInputs()) {
    if (input.dev == st.st_dev && input.ino == st.st_ino) return;   // known under this or another name
  }
  protectedInputs().push_back({st.st_dev, st.st_ino, path, role});
}

void checkNotInput(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return;
  checkNotInput(path, st);
}

void checkNotInput(const std::string& path, const struct stat& st) {
  for (const FileId& input : protectedInputs()) {
    if (input.dev == st.st_dev && input.ino == st.st_ino) {
      throw Error(fmt::format("Output file {} is the {} file {}; it is not overwritten", path, input.role,
                              input.path));
    }
  }
}

void writeOutput(const std::string& path, std::string_view text) {
  if (path.empty()) {
    writeToStdout(text);
    return;
  }
  checkNotInput(path);
  cerr.writefln("Writing output to file %s", absolutePath(path));
  writeToFile(path, text);
}

int runMarvolt(int argc, const char* const* argv) {
  const std::string program = programName(argc > 0 ? argv[0] : "marvolt");
  resetFlags();
  if (argc < 2) {
    printHelp(program);
    return 3;
  }
  const CommandLine cl = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (const std::optional<int> status = answerWithoutRun(cl.action, cl.invalidArg, program, printHelp)) return *status;
  if (!cl.replay) err(1, "need replay file as parameter");
  const std::string& replay = *cl.replay;
  if (!isRegularFile(replay)) err(1, "cannot read %s: no such file", replay);
  if (!cl.carset.empty() && !isRegularFile(cl.carset)) err(2, "cannot read %s: no such file", cl.carset);
  cstfile = cl.carset;
  protectInput(replay, "replay");
  protectInput(cstfile, "carset");

  const Report::Format format = chosenFormat();
  std::string output = cl.output;
  if (hasOpt("osame") && output.empty()) output = sameNameOutput(replay, sameNameExtension(format));
  if (!output.empty() && pathExists(output)) {
    // The question comes first, as for any existing file; an answer that
    // would replace an input file is refused.
    if (!hasOpt("force") && !confirmOverwrite(output)) return 4;
    checkNotInput(output);
  }

  const std::string report = makeReport(replay, format);
  writeOutput(output, report);
  return 0;
}

int runProgram(int (*run)(int, const char* const*), int argc, const char* const* argv) {
  int status = 1;
  try {
    status = run(argc, argv);
  } catch (const ExitError& e) {
    cerr.writefln("Error: %s", e.message());
    status = e.status();
  } catch (const Error& e) {
    cerr.writeln(e.message());
  } catch (const std::exception& e) {
    cerr.writeln(e.what());
  }
  std::fflush(stdout);
  return status;
}

}  // namespace marvolt
