// The checks the fuzz targets make of what they write: every JSON text is
// one valid JSON document in valid UTF-8, every page well-formed XML,
// whatever bytes the input held.
#pragma once

#include <libxml/parser.h>

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

/// Aborts (a finding) unless an XML parser accepts the page whole, without the network.
inline void requireWellFormed(const std::string& page) {
  xmlDocPtr doc = xmlReadMemory(page.data(), static_cast<int>(page.size()), "page.html", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) {
    std::fprintf(stderr, "the HTML page is not well-formed XML\n");
    std::abort();
  }
  xmlFreeDoc(doc);
}

}  // namespace marvolt_fuzz
