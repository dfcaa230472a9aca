#include "frontend/globals.hpp"

namespace marvolt {

std::map<Flag, bool> flags;
std::map<std::string, std::vector<std::string>> opts;
std::string cstfile;

namespace {

constexpr Flag kFlags[] = {Flag::REPLAYINFO,      Flag::EVENTINFO,   Flag::ENTRYLIST,
                           Flag::PRACTICERESULTS, Flag::RACERESULTS, Flag::LAPTIMES};

}  // namespace

void resetFlags() {
  constexpr Sections defaults;
  flags.clear();
  for (const Flag flag : kFlags) flags[flag] = defaults.has(flag);
}

Sections reportSections() {
  Sections sections;
  for (const Flag flag : kFlags) sections.set(flag, flagSet(flag));
  return sections;
}

bool flagSet(Flag flag) {
  const auto it = flags.find(flag);
  return it != flags.end() && it->second;
}

bool hasOpt(const std::string& key) { return opts.count(key) != 0; }

}  // namespace marvolt
