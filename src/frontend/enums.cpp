#include "frontend/enums.hpp"

#include <fmt/format.h>

namespace marvolt {

std::string enumText(const char* enumName, const char* memberName, long long value) {
  if (memberName != nullptr) return memberName;
  return fmt::format("cast({}){}", enumName, value);
}

std::string toString(Game game) {
  static const char* const names[] = {"UNK", "GPL", "N4", "N2K2", "N2K3", "IRAC"};
  const auto v = static_cast<int>(game);
  return enumText("Game", v >= 0 && v < 6 ? names[v] : nullptr, v);
}

std::string toString(Flag flag) {
  const char* name = nullptr;
  switch (flag) {
    case Flag::REPLAYINFO: name = "REPLAYINFO"; break;
    case Flag::EVENTINFO: name = "EVENTINFO"; break;
    case Flag::ENTRYLIST: name = "ENTRYLIST"; break;
    case Flag::PRACTICERESULTS: name = "PRACTICERESULTS"; break;
    case Flag::RACERESULTS: name = "RACERESULTS"; break;
    case Flag::LAPTIMES: name = "LAPTIMES"; break;
  }
  return enumText("Flag", name, static_cast<int>(flag));
}

}  // namespace marvolt
