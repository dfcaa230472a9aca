#include "model/loading.hpp"

#include "frontend/error.hpp"
#include "frontend/output.hpp"

namespace marvolt {

LoadOptions carsetSettings(const std::string& carset, bool search, bool parseNow) {
  LoadOptions options{carset, search, CSTSearch, nullptr};
  if (parseNow && !carset.empty()) parseNamedCarset(options);
  return options;
}

LoadedReplay loadReplay(const std::string& path, const LoadOptions& options) {
  LoadedReplay replay;
  replay.file = std::make_unique<RpyFile>(path);
  replay.file->open();
  replay.data = Data::create(*replay.file, options);
  if (replay.data == nullptr) throw Error("no data model for the replay's game");
  // The output is made from the carset too: it must never be written over it.
  protectInput(replay.data->carset.file, "carset");
  return replay;
}

}  // namespace marvolt
