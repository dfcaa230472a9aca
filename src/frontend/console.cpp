#include "frontend/console.hpp"

#include <cassert>
#include <utility>

namespace marvolt {

ConsoleOutput cout(stdout);
ConsoleOutput cerr(stderr);

ConsoleOutput::ConsoleOutput(std::FILE* stream) : stream_(stream) {
  assert(stream == stdout || stream == stderr);
}

void ConsoleOutput::write(std::string_view text) {
  // The plain write skips the intermediate copy: a report can be large.
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stream_);
}

void ConsoleOutput::writeln(std::string_view text) {
  std::string line(text);
  line += '\n';
  emit(std::move(line));
}

void ConsoleOutput::flush() {
  emit({});
  std::fflush(stream_);
}

void ConsoleOutput::emit(std::string text) {
  buffer_ = std::move(text);
  if (pos_ < buffer_.size()) std::fwrite(buffer_.data() + pos_, 1, buffer_.size() - pos_, stream_);
  buffer_.clear();
  pos_ = 0;
}

}  // namespace marvolt
