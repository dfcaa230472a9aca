#include "frontend/sink.hpp"

namespace marvolt {

OutputSink::OutputSink(std::size_t bound) : bound_(bound) {
  // Room for the bound and the row that passes it: the buffer then never grows.
  if (bound < std::numeric_limits<std::size_t>::max()) buffer_.reserve(bound + bound / 4);
}

void OutputSink::drain(bool all) {
  // A console shows each write on its own: a character is never split
  // between two of them.
  const std::size_t size = all ? buffer_.size() : wholeCharacters(buffer_);
  deliver(std::string_view(buffer_).substr(0, size));
  buffer_.erase(0, size);
}

// Out of line, so that what writes into the room stays small enough to be
// put in place wherever it is called.
void TextRoom::flush() {
  out_.append(room_, used_);
  used_ = 0;
}

void TextRoom::putLong(std::string_view text) {
  flush();
  if (text.size() > kRoom) {
    out_.append(text);
  } else {
    std::memcpy(room_, text.data(), text.size());
    used_ = text.size();
  }
}

std::size_t wholeCharacters(std::string_view text) {
  // Look back over at most three continuation bytes for the lead byte.
  std::size_t start = text.size();
  for (std::size_t back = 0; back < 4 && start > 0; ++back) {
    const auto byte = static_cast<unsigned char>(text[--start]);
    if ((byte & 0xC0) == 0x80) continue;
    const std::size_t length = byte < 0xC0 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
    return text.size() - start < length ? start : text.size();
  }
  return text.size();
}

}  // namespace marvolt
