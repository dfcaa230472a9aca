#include "frontend/globals.hpp"

namespace marvolt {

std::map<Flag, bool> flags;
std::map<std::string, std::vector<std::string>> opts;
std::string cstfile;

void resetFlags() {
  flags = {{Flag::REPLAYINFO, true},      {Flag::EVENTINFO, true},   {Flag::ENTRYLIST, true},
           {Flag::PRACTICERESULTS, true}, {Flag::RACERESULTS, true}, {Flag::LAPTIMES, false}};
}

bool flagSet(Flag flag) {
  const auto it = flags.find(flag);
  return it != flags.end() && it->second;
}

bool hasOpt(const std::string& key) { return opts.count(key) != 0; }

}  // namespace marvolt
