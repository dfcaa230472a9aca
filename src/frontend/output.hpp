// Where a program's output goes: standard output, or a file replaced whole
// after the overwrite question, never a file the output was made from (the
// protected inputs: the replays and the carset).
#pragma once

#include <string>
#include <string_view>

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
/// an input is refused.
bool mayReplaceOutput(const std::string& path, bool force);

/// Writes the output to standard output (empty path) or replaces the file
/// `path` whole, announcing it on standard error.
void writeOutput(const std::string& path, std::string_view text);

/// Replaces the file `path` whole with `text`, unannounced; refuses (throws)
/// when `path` leads to an input, before anything of it is lost.
void replaceOutputFile(const std::string& path, std::string_view text);

}  // namespace marvolt
