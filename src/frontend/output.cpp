#include "frontend/output.hpp"

#include <optional>
#include <vector>

#include <fmt/format.h>

#include "frontend/console.hpp"
#include "frontend/error.hpp"
#include "frontend/files.hpp"
#include "frontend/telvo.hpp"
#include "platform/platform.hpp"

namespace marvolt {

namespace {

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

// Standard output as a sink.
class StdoutSink final : public OutputSink {
 public:
  StdoutSink() : OutputSink(kBound) {}

 private:
  void deliver(std::string_view bytes) override {
    platform::writeStream(platform::Stream::Out, bytes);
    if (const std::optional<std::string> reason = platform::flushStream(platform::Stream::Out)) {
      throw Error(fmt::format("Cannot write the report to standard output ({})", *reason));
    }
  }
};

// An output file being written as a sink.
class FileSink final : public OutputSink {
 public:
  explicit FileSink(platform::OutputFile& file) : OutputSink(kBound), file_(file) {}

 private:
  void deliver(std::string_view bytes) override { file_.write(bytes); }
  platform::OutputFile& file_;
};

}  // namespace

void protectInput(const std::string& path, const char* role) {
  if (path.empty()) return;
  const platform::FileStatus status = platform::fileStatus(path);
  if (status.kind == platform::FileKind::Missing) return;
  for (const Input& input : protectedInputs()) {
    if (input.id == status.id) return;   // known under this or another name
  }
  protectedInputs().push_back({status.id, path, role});
}

void clearProtectedInputs() { protectedInputs().clear(); }

void checkNotInput(const std::string& path) {
  const platform::FileStatus status = platform::fileStatus(path);
  if (status.kind != platform::FileKind::Missing) refuseInput(path, status.id);
}

bool confirmOverwrite(const std::string& path) {
  cerr.writef("Output file %s already exists. Overwrite ? (Y/N): ", path);
  const std::optional<char> answer = platform::readInputByte();
  return answer == 'y' || answer == 'Y';
}

bool mayReplaceOutput(const std::string& path, bool force) {
  if (path.empty()) return true;
  if (platform::isStreamOutput(path)) {
    checkNotInput(path);
    return true;
  }
  if (!pathExists(path)) return true;
  // The question comes first, as for any existing file; an answer that
  // would replace an input file is refused.
  if (!force && !confirmOverwrite(path)) return false;
  checkNotInput(path);
  return true;
}

void writeOutput(const std::string& path, const Render& render) {
  if (path.empty()) {
    StdoutSink sink;
    render(sink);
    sink.finish();
    return;
  }
  checkNotInput(path);
  cerr.writefln("Writing output to file %s", absolutePath(path));
  replaceOutputFile(path, render);
}

void replaceOutputFile(const std::string& path, const Render& render) {
  // The file the name leads to at the moment of writing is compared with
  // the inputs again before anything of it is lost.
  try {
    platform::OutputFile file(path, [&path](const platform::FileId* existing) {
      if (existing != nullptr) refuseInput(path, *existing);
    });
    FileSink sink(file);
    render(sink);
    sink.finish();
    file.commit();
  } catch (const platform::SystemError& e) {
    throw Error(path + ": " + e.reason());
  }
}

}  // namespace marvolt
