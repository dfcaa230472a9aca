// Where a program's output goes: standard output, or a file replaced whole
// after the overwrite question, never a file the output was made from (the
// protected inputs: the replays and the carset).
#pragma once

#include <functional>
#include <string>

#include "frontend/sink.hpp"

namespace marvolt {

/// Remembers a file the output is made from, which the output must never replace.
void protectInput(const std::string& path, const char* role);

/// Forgets every protected input (a new run starts).
void clearProtectedInputs();

/// Throws when `path` leads to a protected input.
void checkNotInput(const std::string& path);

/// Asks on standard error whether the existing output file `path` may be
/// replaced; true only when the answer read from standard input is y or Y.
bool confirmOverwrite(const std::string& path);

/// Settles an output file that exists already, before any replay is read:
/// unless `force`, asks; false when the answer declines. An output that is
/// an input is refused. A device, a pipe or one of the program's own open
/// files holds nothing to lose: it is written without a question.
bool mayReplaceOutput(const std::string& path, bool force);

/// Writes an output into the sink it is given.
using Render = std::function<void(OutputSink& sink)>;

/// Writes the output that `render` makes to standard output (empty path),
/// or replaces the file `path` whole with it, announcing that on standard
/// error. Standard output gets the text as it is made; a failing write
/// there may leave part of it written.
void writeOutput(const std::string& path, const Render& render);

/// Replaces the file `path` whole with what `render` makes, unannounced;
/// refuses (throws) when `path` leads to an input, before anything of it is
/// lost. On any failure the old file is left as it was.
void replaceOutputFile(const std::string& path, const Render& render);

}  // namespace marvolt
