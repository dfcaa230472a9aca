// Fuzz target: carset text through the carset parse (with the message a bad
// carset ends the run with), the name and year lookups, and the carset
// search over a directory holding the text as a ".cst" file.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "frontend/error.hpp"
#include "frontend/telvo.hpp"
#include "model/data.hpp"
#include "model/ini.hpp"

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

// What the loading asks of a carset: names of every make (valid, unknown,
// negative), the year, and the keys the search reads.
void lookUpNames(const marvolt::IniSection& carset) {
  for (const std::int32_t make : {-1, 0, 3, 6, 7, 300}) {
    marvolt::teamByMake(carset, make);
    marvolt::chassisByMake(carset, make);
    marvolt::engineByMake(carset, make);
  }
  marvolt::modYear(carset);
  marvolt::isInCarset("Carset", "Engines", carset);
}

// The carset directory name the text gives, or a name no carset gives.
std::u16string carDirOf(const marvolt::IniSection& tree) {
  try {
    return marvolt::getTextFromCarset("Carset", "CarDir", tree);
  } catch (const marvolt::Error&) {
    return u"gpl67";
  }
}

void search(std::string_view bytes, const std::u16string& carDir) {
  std::ofstream(std::string(searchDirectory()) + "/fuzz.cst", std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (const auto found = marvolt::findGPLCstFile(carDir, {searchDirectory()})) lookUpNames(found->tree);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  marvolt::IniSection carset("root");
  try {
    marvolt::parseCarset(carset, bytes);
  } catch (const marvolt::Error& e) {
    // A bad carset ends the run with the file name and this message;
    // compose it as the run would.
    try {
      marvolt::err(marvolt::ExitStatus::Carset, "fuzz.cst: %s", e.message());
    } catch (const marvolt::Error&) {
    }
    return 0;
  }
  try {
    lookUpNames(carset);
    search(bytes, carDirOf(carset));
  } catch (const marvolt::Error&) {
    // Errors of the lookups and the search end a run with a message.
  }
  return 0;
}
