#include "timing/timetext.hpp"

#include <charconv>

namespace marvolt {

// Digit by digit: this runs for every lap of the lap dumps.
char* writeMsecToTime(char* p, std::uint32_t ms) {
  if (ms == NOTIME) {
    for (const char c : {'-', '.', '-', '-', '-'}) *p++ = c;
    return p;
  }
  const std::uint32_t hours = ms / 3600000;
  const std::uint32_t minutes = ms / 60000 % 60;
  const std::uint32_t seconds = ms / 1000 % 60;
  const std::uint32_t millis = ms % 1000;
  const auto two = [&p](std::uint32_t v) {
    *p++ = static_cast<char>('0' + v / 10);
    *p++ = static_cast<char>('0' + v % 10);
  };
  if (hours != 0) {
    p = std::to_chars(p, p + 4, hours).ptr;
    *p++ = ':';
    two(minutes);
    *p++ = ':';
    two(seconds);
  } else if (minutes != 0) {
    p = std::to_chars(p, p + 2, minutes).ptr;
    *p++ = ':';
    two(seconds);
  } else {
    p = std::to_chars(p, p + 2, seconds).ptr;
  }
  *p++ = '.';
  *p++ = static_cast<char>('0' + millis / 100);
  two(millis % 100);
  return p;
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

void appendLapFlagStr(std::string& out, LapFlag flags) {
  if (flags == LapFlag::NONE) return;   // most laps
  const std::size_t start = out.size();
  for (const LapFlagName& named : kLapFlagNames) {
    if (!hasFlag(flags, named.flag)) continue;
    if (out.size() != start) out += ' ';
    out += named.name;
  }
}

std::u16string lapFlagStr(LapFlag flags) {
  std::string text;
  appendLapFlagStr(text, flags);
  return std::u16string(text.begin(), text.end());
}

}  // namespace marvolt
