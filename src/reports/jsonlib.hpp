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

/// RapidJSON's output stream over a sink: appends to its text, which the
/// caller hands on between values (at the sink's checkpoints).
class SinkOut {
 public:
  using Ch = char;
  /// Writes into the text of `sink`.
  explicit SinkOut(OutputSink& sink) : out_(sink.text()) {}
  /// Appends one character.
  void Put(char c) { out_.push_back(c); }
  /// Nothing to do: the sink hands its text on.
  void Flush() {}

 private:
  std::string& out_;
};

/// RapidJSON's hook for room, found by argument-dependent lookup: the sink's
/// text has its room already.
inline void PutReserve(SinkOut&, std::size_t) {}
/// RapidJSON's hook for a write after PutReserve.
inline void PutUnsafe(SinkOut& out, char c) { out.Put(c); }

}  // namespace marvolt
