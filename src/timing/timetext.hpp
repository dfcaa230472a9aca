// The texts of times and lap flags, shared by the timing and every report:
// milliseconds as "[h:]mm:ss.mmm", the "no time" value, the flags of a lap
// with their names, and the right-aligned columns they stand in.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace marvolt {

/// Flags of a timed lap (a bit set).
enum class LapFlag : std::uint8_t { NONE = 0, UNKNOWN = 0x01, INVALID = 0x10, OFFTRACK = 0x40 };

/// The union of two flag sets.
constexpr LapFlag operator|(LapFlag a, LapFlag b) {
  return static_cast<LapFlag>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}
/// Whether `set` holds every bit of `bit`.
constexpr bool hasFlag(LapFlag set, LapFlag bit) {
  return (static_cast<std::uint8_t>(set) & static_cast<std::uint8_t>(bit)) == static_cast<std::uint8_t>(bit);
}

/// A flag and its name.
struct LapFlagName {
  LapFlag flag;
  std::string_view name;
};
/// The names of the flags, in the order the reports list them.
inline constexpr std::array<LapFlagName, 3> kLapFlagNames = {
    {{LapFlag::OFFTRACK, "Off Track"}, {LapFlag::INVALID, "Invalid"}, {LapFlag::UNKNOWN, "Unknown"}}};

/// The "no time" value; prints as "-.---".
inline constexpr std::uint32_t NOTIME = 0x80000001u;

/// "00" to "99", two characters a number.
inline constexpr std::array<char, 200> kTwoDigits = [] {
  std::array<char, 200> digits{};
  for (std::size_t n = 0; n < 100; ++n) {
    digits[2 * n] = static_cast<char>('0' + n / 10);
    digits[2 * n + 1] = static_cast<char>('0' + n % 10);
  }
  return digits;
}();

/// Writes a number below 100 as two digits at `out` and returns their end.
inline char* writeTwoDigits(char* out, std::uint32_t value) {
  std::memcpy(out, &kTwoDigits[2 * value], 2);
  return out + 2;
}

/// Room for the longest time text, "1193:02:47.295".
inline constexpr std::size_t kTimeChars = 16;
/// Writes the time text of milliseconds at `out` (room for kTimeChars) and returns its end.
char* writeMsecToTime(char* out, std::uint32_t ms);
/// Time text of milliseconds: "-.---" for NOTIME, else [h:]mm:ss.mmm shortened.
std::u16string msecToTime(std::uint32_t ms);
/// Appends the time text of milliseconds as UTF-8.
void appendMsecToTime(std::string& out, std::uint32_t ms);
/// Appends `text` right-aligned in `width` columns (ASCII only): a column
/// of numbers or times in the fixed-column reports.
void appendRight(std::string& out, std::string_view text, std::size_t width);
/// Room for the longest flag text, "Off Track Invalid Unknown".
inline constexpr std::size_t kLapFlagChars = 25;
/// Writes the names of the set flags, joined by spaces, at `out` (room for
/// kLapFlagChars) and returns their end.
char* writeLapFlagStr(char* out, LapFlag flags);
/// The names of the set flags, joined by spaces.
std::u16string lapFlagStr(LapFlag flags);
/// Appends the names of the set flags, joined by spaces.
void appendLapFlagStr(std::string& out, LapFlag flags);

}  // namespace marvolt
