// The small enumerations shared by the front end and the data model.
#pragma once

#include <cstdint>
#include <string>

namespace marvolt {

/// The game that saved a replay; every game shares the container format.
enum class Game : std::int8_t { UNK = 0, GPL = 1, N4 = 2, N2K2 = 3, N2K3 = 4, IRAC = 5 };

/// The report sections that can be switched on and off.
enum class Flag : std::uint16_t {
  REPLAYINFO = 0,
  EVENTINFO = 1,
  ENTRYLIST = 2,
  PRACTICERESULTS = 3,
  RACERESULTS = 5,
  LAPTIMES = 7,
};

/// Which report sections are written: one switch per Flag. A value the
/// driver fills from the command line and hands to the report builders.
class Sections {
 public:
  /// Every switch at its default: all sections but the lap lists.
  constexpr Sections() = default;
  /// Whether the section of `flag` is written.
  constexpr bool has(Flag flag) const { return (bits_ & bit(flag)) != 0; }
  /// Switches the section of `flag` on or off.
  constexpr Sections& set(Flag flag, bool on) {
    bits_ = on ? bits_ | bit(flag) : bits_ & ~bit(flag);
    return *this;
  }
  constexpr bool operator==(const Sections&) const = default;

 private:
  static constexpr std::uint32_t bit(Flag flag) { return 1u << static_cast<unsigned>(flag); }
  std::uint32_t bits_ = bit(Flag::REPLAYINFO) | bit(Flag::EVENTINFO) | bit(Flag::ENTRYLIST) |
                        bit(Flag::PRACTICERESULTS) | bit(Flag::RACERESULTS);
};

/// Text form of a value of the enum called `enumName`: the member name when
/// `memberName` is non-null, else "cast(<enumName>)<value>".
std::string enumText(const char* enumName, const char* memberName, long long value);

/// Member name of a Game, or its cast form for a value that is no member.
std::string toString(Game game);

/// Member name of a Flag, or its cast form.
std::string toString(Flag flag);

}  // namespace marvolt
