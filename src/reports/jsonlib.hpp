// RapidJSON, the JSON library of the reports and of their checks.
//
// RapidJSON 1.1 adds an offset to the null pointer of an empty stack on its
// first push (before it allocates). That is harmless on every platform
// marvolt builds on, but undefined, and clang's UndefinedBehaviorSanitizer
// stops on it. RapidJSON's own functions are exempt from that one check;
// everything else keeps it.
#pragma once

// The standard headers RapidJSON uses come first, outside the exemption.
#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iosfwd>
#include <iterator>
#include <limits>
#include <new>
#include <string>
#include <type_traits>
#include <utility>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((no_sanitize("pointer-overflow"))), apply_to = function)
#endif
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#if defined(__clang__)
#pragma clang attribute pop
#endif

#include "frontend/sink.hpp"

namespace marvolt {

/// RapidJSON's output stream over a sink: the characters are gathered in a
/// small room of the stream's own (one store each) and appended to the
/// sink's text as it fills and when the document ends. The sink hands its
/// text on at its checkpoints; the characters still in the room follow.
class SinkOut {
 public:
  using Ch = char;
  /// Writes into the text of `sink`.
  explicit SinkOut(OutputSink& sink) : out_(sink.text()) {}
  SinkOut(const SinkOut&) = delete;
  SinkOut& operator=(const SinkOut&) = delete;
  ~SinkOut() { Flush(); }
  /// Appends one character.
  void Put(char c) {
    if (used_ == kRoom) Flush();
    room_[used_++] = c;
  }
  /// Appends `size` characters at once, between `open` and `close` when not NUL.
  void Write(const char* text, std::size_t size, char open = '\0', char close = '\0') {
    if (kRoom - used_ < size + 2) Flush();
    if (size + 2 > kRoom) {
      if (open != '\0') out_ += open;
      out_.append(text, size);
      if (close != '\0') out_ += close;
      return;
    }
    // Names and numbers are short: a plain copy beats a call.
    char* at = room_ + used_;
    if (open != '\0') *at++ = open;
    for (std::size_t i = 0; i < size; ++i) at[i] = text[i];
    at += size;
    if (close != '\0') *at++ = close;
    used_ = static_cast<std::size_t>(at - room_);
  }
  /// Appends what the room holds to the sink's text.
  void Flush() {
    out_.append(room_, used_);
    used_ = 0;
  }

 private:
  static constexpr std::size_t kRoom = 4096;
  std::string& out_;
  std::size_t used_ = 0;
  char room_[kRoom];
};

/// RapidJSON's hook for room, found by argument-dependent lookup: Put makes its own.
inline void PutReserve(SinkOut&, std::size_t) {}
/// RapidJSON's hook for a write after PutReserve.
inline void PutUnsafe(SinkOut& out, char c) { out.Put(c); }

}  // namespace marvolt
