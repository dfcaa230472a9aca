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
/// room of the stream's own (one store each) and appended to the sink's
/// text as it fills and when the document ends. The sink hands its text on
/// at its checkpoints; the characters still in the room follow.
class SinkOut {
 public:
  using Ch = char;
  /// Writes into the text of `sink`.
  explicit SinkOut(OutputSink& sink) : room_(sink.text()) {}
  /// Appends one character.
  void Put(char c) { room_.put(c); }
  /// Appends what the room holds to the sink's text.
  void Flush() { room_.flush(); }
  /// The room, for a writer that puts a short piece (a name, a number) in at once.
  TextRoom& room() { return room_; }

 private:
  TextRoom room_;
};

/// RapidJSON's hook for room, found by argument-dependent lookup: Put makes its own.
inline void PutReserve(SinkOut&, std::size_t) {}
/// RapidJSON's hook for a write after PutReserve.
inline void PutUnsafe(SinkOut& out, char c) { out.Put(c); }

}  // namespace marvolt
