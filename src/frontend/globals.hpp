// Program-wide settings, written while the command line is read and only
// read afterwards.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "frontend/enums.hpp"

namespace marvolt {

/// Which report sections are written.
extern std::map<Flag, bool> flags;

/// Options given on the command line: "osame", "force", "cst-auto" (presence
/// only) and "format" (one value per format option, in order).
extern std::map<std::string, std::vector<std::string>> opts;

/// The carset file named by "--cst"; empty when none was given.
extern std::string cstfile;

/// Enters every Flag with its default value.
void resetFlags();

/// Whether the report section `flag` is switched on.
bool flagSet(Flag flag);

/// The report sections as `flags` holds them.
Sections reportSections();

/// Whether the option `key` was given.
bool hasOpt(const std::string& key);

}  // namespace marvolt
