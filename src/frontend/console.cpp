#include "frontend/console.hpp"

#include <utility>

namespace marvolt {

ConsoleOutput cout(platform::Stream::Out, false);
ConsoleOutput cerr(platform::Stream::Err, true);

void ConsoleOutput::write(std::string_view text) {
  // The plain write skips the intermediate copy: a report can be large.
  platform::writeStream(stream_, text);
}

void ConsoleOutput::writeln(std::string_view text) { emitLine(std::string(text), true); }

void ConsoleOutput::emitLine(std::string text, bool ended) {
  if (messages_) showControls(text);
  if (ended) text += '\n';
  emit(std::move(text));
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
