// Fuzz target: carset text through the carset parse (with the message the
// fatal exit of a bad carset would compose), the name and year lookups, and
// the carset search over a directory holding the text as a ".cst" file.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "frontend/error.hpp"
#include "frontend/telvo.hpp"
#include "model/data.hpp"
#include "model/ini.hpp"
#include "scratch_file.hpp"

namespace {

// A per-process directory for the search, removed when the fuzzer ends. Its
// path lives in a plain array, which outlives every exit handler.
char searchPath[] = "/tmp/marvolt-fuzz-XXXXXX";

const char* searchDirectory() {
  static const bool made = [] {
    if (::mkdtemp(searchPath) == nullptr) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(searchPath, ec);
    });
    return true;
  }();
  (void)made;
  return searchPath;
}

void resetCarset() { marvolt::carsetIni() = marvolt::IniSection("root"); }

// What the loading asks of a carset: names of every make (valid, unknown,
// negative), the year, and the keys the search reads.
void lookUpNames() {
  for (const std::int32_t make : {-1, 0, 3, 6, 7, 300}) {
    marvolt::teamByMake(make);
    marvolt::chassisByMake(make);
    marvolt::engineByMake(make);
  }
  marvolt::modYear();
  marvolt::isInCarset("Carset", "Engines", marvolt::carsetIni());
}

// The carset directory name the text gives, or a name no carset gives.
std::u16string carDirOf(const marvolt::IniSection& tree) {
  try {
    return marvolt::getTextFromCarset("Carset", "CarDir", tree);
  } catch (const marvolt::Error&) {
    return u"gpl67";
  }
}

void search(const std::uint8_t* data, std::size_t size, const std::u16string& carDir) {
  std::ofstream(std::string(searchDirectory()) + "/fuzz.cst", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  marvolt::CSTSearch = {searchDirectory()};
  resetCarset();
  marvolt::findGPLCstFile(carDir);
  lookUpNames();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static marvolt_fuzz::ScratchFile scratch;
  resetCarset();
  try {
    const std::string error = marvolt::parseIni(marvolt::carsetIni(), scratch.write(data, size));
    if (!error.empty()) {
      // The loading ends the run with this message through the fatal exit,
      // which reads it as a format; compose it as that exit would.
      const marvolt::FmtArg message[] = {marvolt::FmtArg(error)};
      try {
        marvolt::formatErr(message);
      } catch (const marvolt::FormatError&) {
      }
      return 0;
    }
    lookUpNames();
    const std::u16string carDir = carDirOf(marvolt::carsetIni());
    search(data, size, carDir);
  } catch (const marvolt::Error&) {
    // Errors of the lookups and the search end a run with a message.
  }
  return 0;
}
