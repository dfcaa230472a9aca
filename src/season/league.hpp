// The league file: a season as its league runs it, written in TOML. It names
// the rounds (replays, event names, dates, points factors), the scoring, the
// carset, the roster of drivers with their other spellings and teams, and
// the stewards' decisions. Reading it checks every key, type and range; a
// bad file ends the run with status 1 and one message naming its line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marvolt {

/// Where something stands in the league file.
struct LeagueSource {
  std::uint32_t line = 0;
  std::uint32_t column = 0;   ///< 0 when the line alone is named
};

/// One round of the league, in file order.
struct LeagueRound {
  std::string replay;                   ///< resolved against the league file's folder unless absolute
  std::optional<std::u16string> name;   ///< the event's name
  std::optional<std::string> date;      ///< "YYYY-MM-DD"
  std::uint32_t factor = 1;             ///< multiplies what the round scores (0 to 100)
};

/// One driver of the roster.
struct LeagueDriver {
  std::u16string name;                  ///< the name shown for the driver
  std::vector<std::u16string> aliases;  ///< other spellings that are this driver
  std::optional<std::u16string> team;   ///< the league's team, over the car's
};

/// What a stewards' decision takes from a car or its driver.
enum class PenaltyKind { Time, Places, Disqualified, Points };

/// One stewards' decision, in file order.
struct LeaguePenalty {
  std::size_t round = 0;     ///< 1 for the first round; always one of the file's rounds
  std::u16string driver;     ///< as written: a replay's name, a roster name or an alias
  PenaltyKind kind = PenaltyKind::Time;
  std::uint32_t value = 0;   ///< milliseconds added, places lost or points taken; 0 for a disqualification
  std::u16string reason;
  LeagueSource source;       ///< the value of `driver`, for the errors found against the replays
};

/// A whole league file as read.
struct League {
  std::string file;                                  ///< the league file's path as given
  std::optional<std::u16string> name;
  std::optional<std::u16string> season;
  std::optional<std::vector<std::uint32_t>> points;  ///< points by official place, from the winner on
  std::optional<std::uint32_t> fastestLap;           ///< bonus for the fastest lap
  std::optional<std::uint32_t> best;                 ///< only this many best round scores count
  std::optional<std::string> carset;                 ///< resolved as the replays are
  bool carsetAuto = false;
  std::vector<LeagueRound> rounds;
  std::vector<LeagueDriver> drivers;
  std::vector<LeaguePenalty> penalties;
};

/// The longest time penalty, in seconds: a day.
constexpr std::uint32_t kLongestTimePenalty = 86400;

/// Reads and checks the league file `path`; a file that cannot be read, or
/// a bad one, ends the run with status 1.
League readLeague(const std::string& path);

/// Reads and checks `text`, the content of the league file `path` (which
/// names it in messages and whose folder the paths in it are relative to).
League parseLeague(std::string_view text, const std::string& path);

/// Ends the run with status 1 and "FILE:LINE:COLUMN: what" ("FILE:LINE: what"
/// without a column): a bad league file, found at `at`.
[[noreturn]] void failLeague(const std::string& file, LeagueSource at, std::string_view what);

}  // namespace marvolt
