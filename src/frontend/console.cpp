#include "frontend/console.hpp"

#include <utility>

namespace marvolt {

ConsoleOutput cout(platform::Stream::Out);
ConsoleOutput cerr(platform::Stream::Err);

void ConsoleOutput::write(std::string_view text) {
  // The plain write skips the intermediate copy: a report can be large.
  platform::writeStream(stream_, text);
}

void ConsoleOutput::writeln(std::string_view text) {
  std::string line(text);
  line += '\n';
  emit(std::move(line));
}

void ConsoleOutput::flush() {
  emit({});
  platform::flushStream(stream_);
}

void ConsoleOutput::emit(std::string text) {
  buffer_ = std::move(text);
  if (pos_ < buffer_.size()) platform::writeStream(stream_, std::string_view(buffer_).substr(pos_));
  buffer_.clear();
  pos_ = 0;
}

}  // namespace marvolt
