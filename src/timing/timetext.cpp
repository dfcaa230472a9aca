#include "timing/timetext.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace marvolt {

namespace {

// Writes a number below 100 with one digit below 10, else two.
char* putUpToTwo(char* p, std::uint32_t value) {
  if (value < 10) {
    *p = static_cast<char>('0' + value);
    return p + 1;
  }
  return writeTwoDigits(p, value);
}

// ".000" to ".999": the end of every time text, four characters a number.
constexpr std::array<char, 4000> kMillis = [] {
  std::array<char, 4000> texts{};
  for (std::size_t n = 0; n < 1000; ++n) {
    texts[4 * n] = '.';
    texts[4 * n + 1] = static_cast<char>('0' + n / 100);
    texts[4 * n + 2] = static_cast<char>('0' + n / 10 % 10);
    texts[4 * n + 3] = static_cast<char>('0' + n % 10);
  }
  return texts;
}();

// Writes "h:mm:ss" of a time of an hour or more: rare, so kept apart from
// the common path, which then needs no registers of its own.
[[gnu::noinline]] char* putHours(char* p, std::uint32_t totalSeconds) {
  const std::uint32_t hours = totalSeconds / 3600;
  const std::uint32_t rest = totalSeconds - hours * 3600;
  p = std::to_chars(p, p + 4, hours).ptr;
  *p++ = ':';
  p = writeTwoDigits(p, rest / 60);
  *p++ = ':';
  return writeTwoDigits(p, rest % 60);
}

}  // namespace

// A few multiplications and table copies, no library call: this runs for
// every lap of the lap dumps and every point of the page's charts.
char* writeMsecToTime(char* p, std::uint32_t ms) {
  if (ms == NOTIME) {
    std::memcpy(p, "-.---", 5);
    return p + 5;
  }
  const std::uint32_t totalSeconds = ms / 1000;
  const std::uint32_t millis = ms - totalSeconds * 1000;
  if (totalSeconds < 60) {
    p = putUpToTwo(p, totalSeconds);
  } else if (totalSeconds < 3600) {
    const std::uint32_t minutes = totalSeconds / 60;
    p = putUpToTwo(p, minutes);
    *p++ = ':';
    p = writeTwoDigits(p, totalSeconds - minutes * 60);
  } else {
    p = putHours(p, totalSeconds);
  }
  std::memcpy(p, &kMillis[4 * millis], 4);
  return p + 4;
}

void appendMsecToTime(std::string& out, std::uint32_t ms) {
  char text[kTimeChars];
  out.append(text, writeMsecToTime(text, ms));
}

void appendRight(std::string& out, std::string_view text, std::size_t width) {
  if (text.size() < width) out.append(width - text.size(), ' ');
  out += text;
}

std::u16string msecToTime(std::uint32_t ms) {
  std::string text;
  appendMsecToTime(text, ms);
  return std::u16string(text.begin(), text.end());
}

static_assert(kLapFlagChars == kLapFlagNames[0].name.size() + kLapFlagNames[1].name.size() +
                                    kLapFlagNames[2].name.size() + 2);

char* writeLapFlagStr(char* out, LapFlag flags) {
  if (flags == LapFlag::NONE) return out;   // most laps
  char* const start = out;
  for (const LapFlagName& named : kLapFlagNames) {
    if (!hasFlag(flags, named.flag)) continue;
    if (out != start) *out++ = ' ';
    out = std::copy(named.name.begin(), named.name.end(), out);
  }
  return out;
}

void appendLapFlagStr(std::string& out, LapFlag flags) {
  if (flags == LapFlag::NONE) return;
  char text[kLapFlagChars];
  out.append(text, writeLapFlagStr(text, flags));
}

std::u16string lapFlagStr(LapFlag flags) {
  std::string text;
  appendLapFlagStr(text, flags);
  return std::u16string(text.begin(), text.end());
}

}  // namespace marvolt
