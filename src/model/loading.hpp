// Loading a replay for a report: the carset settings of a run, and the
// replay file opened with the model loaded from it. The carset the model
// takes its names from becomes a protected input of the output.
#pragma once

#include <memory>
#include <string>

#include "model/data.hpp"
#include "replay/rpylib.hpp"

namespace marvolt {

/// The carset settings of a run: the carset file named (or none), whether to
/// search, and the search folders (CSTSearch). With `parseNow` the named
/// file is parsed here (a failure ends the run with the carset's status) and
/// every replay loaded with these settings uses that one parse; else each
/// load parses it.
LoadOptions carsetSettings(const std::string& carset, bool search, bool parseNow);

/// A replay file and the model loaded from it, which reads from the file.
struct LoadedReplay {
  std::unique_ptr<RpyFile> file;
  std::unique_ptr<Data> data;
};

/// Opens the replay `path` and loads its model; the carset the model took its
/// names from becomes a protected input.
LoadedReplay loadReplay(const std::string& path, const LoadOptions& options);

}  // namespace marvolt
