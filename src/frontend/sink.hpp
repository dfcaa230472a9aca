// Where the writers put their text: a bounded buffer that they append to
// and that is handed on at checkpoints between rows and sections once it
// holds its bound, so that a report of any size passes through a few tens
// of kilobytes. The buffer is only ever handed on at a checkpoint, so a
// writer may look back at the row it is writing.
#pragma once

#include <cstddef>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

namespace marvolt {

/// The buffer the writers append to and the destination it is handed to.
class OutputSink {
 public:
  /// The bytes a stream sink holds before a checkpoint hands them on.
  static constexpr std::size_t kBound = 64 * 1024;

  virtual ~OutputSink() = default;
  OutputSink(const OutputSink&) = delete;
  OutputSink& operator=(const OutputSink&) = delete;

  /// The text the writers append to; the same string for the sink's life.
  std::string& text() { return buffer_; }
  /// Hands the text on once it holds the bound: the writers call it between rows.
  void checkpoint() {
    if (buffer_.size() >= bound_) drain(false);
  }
  /// Hands on everything written so far.
  void finish() { drain(true); }

 protected:
  /// A sink that hands its text on at the checkpoint past `bound` bytes.
  explicit OutputSink(std::size_t bound);
  /// Takes `bytes` to the destination; throws when that fails.
  virtual void deliver(std::string_view bytes) = 0;

 private:
  void drain(bool all);
  std::string buffer_;
  std::size_t bound_;
};

/// A sink that keeps the whole text, for a caller that wants it as one string.
class StringSink final : public OutputSink {
 public:
  StringSink() : OutputSink(std::numeric_limits<std::size_t>::max()) {}
  /// The whole text written.
  std::string take() { return std::move(text()); }

 private:
  void deliver(std::string_view) override {}
};

/// The whole text that `render` writes into a sink.
template <typename Render>
std::string renderToString(Render&& render) {
  StringSink sink;
  render(static_cast<OutputSink&>(sink));
  return sink.take();
}

/// A room of a few kilobytes in front of a text, where a writer puts short
/// pieces together with plain stores: they join the text in one append when
/// the room fills, and when it is flushed (at the latest when it goes).
/// Nothing else may append to the text while the room holds bytes.
class TextRoom {
 public:
  /// The bytes the room holds.
  static constexpr std::size_t kRoom = 4096;

  /// A room in front of `out`.
  explicit TextRoom(std::string& out) : out_(out) {}
  TextRoom(const TextRoom&) = delete;
  TextRoom& operator=(const TextRoom&) = delete;
  ~TextRoom() { flush(); }

  /// Where the next `size` bytes (kRoom at most) go: write them, then commit their end.
  char* reserve(std::size_t size) {
    if (kRoom - used_ < size) flush();
    return room_ + used_;
  }
  /// Takes the bytes written from reserve() up to `end`.
  void commit(const char* end) { used_ = static_cast<std::size_t>(end - room_); }
  /// Appends one character.
  void put(char c) {
    if (used_ == kRoom) flush();
    room_[used_++] = c;
  }
  /// Appends a text of any length.
  void put(std::string_view text) {
    if (kRoom - used_ < text.size()) {
      putLong(text);
      return;
    }
    std::memcpy(room_ + used_, text.data(), text.size());
    used_ += text.size();
  }
  /// Appends what the room holds to the text.
  void flush();

 private:
  // Appends a text that does not fit into the room as it is.
  void putLong(std::string_view text);

  std::string& out_;
  std::size_t used_ = 0;
  char room_[kRoom];
};

/// Copies `text` to `at`, in a room reserved for it; returns its end.
inline char* putText(char* at, std::string_view text) {
  std::memcpy(at, text.data(), text.size());
  return at + text.size();
}

/// The length of the longest start of `text` that ends on a whole UTF-8
/// character: a sequence cut short at the end is left out.
std::size_t wholeCharacters(std::string_view text);

}  // namespace marvolt
