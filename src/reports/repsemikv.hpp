// The semicolon-delimited key=value report: tables of "key=value;" rows for
// other programs.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "frontend/sink.hpp"
#include "frontend/telvo.hpp"
#include "reports/reportmodel.hpp"

namespace marvolt {

/// Formats one row piece; a ";" inside a value becomes U+037E so that every
/// ";" of the result separates pairs, a U+0012 becomes ";", and any other
/// control character U+FFFD.
std::string rformat(std::string_view format, std::initializer_list<FmtArg> values);

/// Appends the text of rformat(format, values) to `out`.
void rformatTo(std::string& out, std::string_view format, std::initializer_list<FmtArg> values);

/// Writes the key=value report of a model into `sink`; nothing when it has no event.
void reportSemiKV(OutputSink& sink, const ReportModel& model);

}  // namespace marvolt
