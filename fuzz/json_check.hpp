// The check the replay fuzz target makes of every JSON report: it must be
// one valid JSON document in valid UTF-8, whatever bytes the replay held.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "reports/jsonlib.hpp"

namespace marvolt_fuzz {

/// Aborts (a finding) unless `text` parses as one JSON document.
inline void requireJson(const std::string& text) {
  rapidjson::Document doc;
  doc.Parse<rapidjson::kParseValidateEncodingFlag>(text.data(), text.size());
  if (doc.HasParseError()) {
    std::fprintf(stderr, "invalid JSON report at offset %zu\n", doc.GetErrorOffset());
    std::abort();
  }
}

}  // namespace marvolt_fuzz
