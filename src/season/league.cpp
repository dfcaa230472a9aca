#include "season/league.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <utility>

#include <fmt/format.h>
#include <toml++/toml.h>

#include "frontend/error.hpp"
#include "frontend/files.hpp"
#include "frontend/telvo.hpp"
#include "platform/platform.hpp"

namespace marvolt {

namespace {

constexpr std::int64_t kLargestCount = 4294967295;
constexpr std::string_view kDecisionKeys = R"("seconds", "positions", "disqualified" or "points")";

// One key of a table with its value.
struct Entry {
  std::string_view key;
  const toml::key* keyNode;
  const toml::node* value;
};

// A text of the file with where it stands.
struct Placed {
  std::u16string text;
  toml::source_region at;
};

// A penalty read, its round not yet checked against the file's rounds.
struct PendingPenalty {
  LeaguePenalty penalty;
  std::int64_t round = 0;
  toml::source_region roundAt;
};

LeagueSource sourceOf(const toml::source_region& at, bool withColumn) {
  return {at.begin.line, withColumn ? at.begin.column : 0};
}

// The reading of one league file: its path as given, for the messages, and
// the folder the paths in it are relative to.
struct Reader {
  const std::string& file;
  std::string folder;

  // A bad value or key at the column where it starts.
  [[noreturn]] void fail(const toml::source_region& at, const std::string& what) const {
    failLeague(file, sourceOf(at, true), what);
  }
  // A table that lacks something: its line.
  [[noreturn]] void failLine(const toml::source_region& at, const std::string& what) const {
    failLeague(file, sourceOf(at, false), what);
  }
  // A path of the file, relative to its folder unless absolute.
  std::string resolved(const std::string& path) const {
    return platform::isAbsolutePath(path) ? path : folder + path;
  }
};

// The folder part of a path, with its final separator; empty for none.
std::string folderOf(const std::string& path) {
  std::size_t end = path.size();
  while (end > 0 && !platform::isSeparator(path[end - 1])) --end;
  return path.substr(0, end);
}

// The keys of a table in the order the file writes them.
std::vector<Entry> inFileOrder(const toml::table& table) {
  std::vector<Entry> entries;
  for (auto&& [key, value] : table) entries.push_back({key.str(), &key, &value});
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    const toml::source_position& x = a.keyNode->source().begin;
    const toml::source_position& y = b.keyNode->source().begin;
    return x.line != y.line ? x.line < y.line : x.column < y.column;
  });
  return entries;
}

[[noreturn]] void unknownKey(const Reader& r, const Entry& e, std::string_view within) {
  const char* kind = e.value->is_table() || e.value->is_array_of_tables() ? "table" : "key";
  r.fail(e.keyNode->source(), fmt::format("unknown {} \"{}\"{}", kind, e.key, within));
}

std::string textOf(const Reader& r, const Entry& e) {
  const toml::value<std::string>* text = e.value->as_string();
  if (text == nullptr) r.fail(e.value->source(), fmt::format("\"{}\" must be a string", e.key));
  return text->get();
}

std::u16string wideTextOf(const Reader& r, const Entry& e) { return toUtf16(textOf(r, e)); }

std::uint32_t countOf(const Reader& r, const Entry& e, std::int64_t low, std::int64_t high) {
  const toml::value<std::int64_t>* number = e.value->as_integer();
  if (number == nullptr || number->get() < low || number->get() > high) {
    r.fail(e.value->source(), fmt::format("\"{}\" must be a whole number from {} to {}", e.key, low, high));
  }
  return static_cast<std::uint32_t>(number->get());
}

bool flagOf(const Reader& r, const Entry& e) {
  const toml::value<bool>* flag = e.value->as_boolean();
  if (flag == nullptr) r.fail(e.value->source(), fmt::format("\"{}\" must be true or false", e.key));
  return flag->get();
}

std::vector<std::uint32_t> scaleOf(const Reader& r, const Entry& e) {
  const std::string what =
      fmt::format("\"{}\" must be a non-empty list of whole numbers from 0 to {}", e.key, kLargestCount);
  const toml::array* list = e.value->as_array();
  if (list == nullptr || list->empty()) r.fail(e.value->source(), what);
  std::vector<std::uint32_t> scale;
  for (const toml::node& item : *list) {
    const toml::value<std::int64_t>* number = item.as_integer();
    if (number == nullptr || number->get() < 0 || number->get() > kLargestCount) r.fail(item.source(), what);
    scale.push_back(static_cast<std::uint32_t>(number->get()));
  }
  return scale;
}

std::vector<Placed> textsOf(const Reader& r, const Entry& e) {
  const std::string what = fmt::format("\"{}\" must be a list of strings", e.key);
  const toml::array* list = e.value->as_array();
  if (list == nullptr) r.fail(e.value->source(), what);
  std::vector<Placed> texts;
  for (const toml::node& item : *list) {
    const toml::value<std::string>* text = item.as_string();
    if (text == nullptr) r.fail(item.source(), what);
    texts.push_back({toUtf16(text->get()), item.source()});
  }
  return texts;
}

std::string dateOf(const Reader& r, const Entry& e) {
  const toml::value<toml::date>* date = e.value->as_date();
  if (date == nullptr) r.fail(e.value->source(), fmt::format("\"{}\" must be a date, written YYYY-MM-DD", e.key));
  const toml::date& d = date->get();
  return fmt::format("{:04}-{:02}-{:02}", d.year, d.month, d.day);
}

// The tables of an array of tables ([[round]], [[driver]], [[penalty]]).
std::vector<const toml::table*> tablesOf(const Reader& r, const Entry& e) {
  const std::string what = fmt::format("\"{0}\" must be written as [[{0}]] tables", e.key);
  const toml::array* list = e.value->as_array();
  if (list == nullptr) r.fail(e.value->source(), what);
  std::vector<const toml::table*> tables;
  for (const toml::node& item : *list) {
    if (!item.is_table()) r.fail(item.source(), what);
    tables.push_back(item.as_table());
  }
  return tables;
}

// A time penalty in milliseconds: a whole number of seconds, or one with at
// most three decimals (as its shortest exact spelling shows), from 0.001 to
// a day; none for anything else.
std::optional<std::uint32_t> penaltyMilliseconds(const toml::node& node) {
  if (const toml::value<std::int64_t>* whole = node.as_integer()) {
    if (whole->get() <= 0 || whole->get() > kLongestTimePenalty) return std::nullopt;
    return static_cast<std::uint32_t>(whole->get() * 1000);
  }
  const toml::value<double>* number = node.as_floating_point();
  if (number == nullptr) return std::nullopt;
  const double seconds = number->get();
  if (!(seconds > 0 && seconds <= kLongestTimePenalty)) return std::nullopt;
  const std::string spelling = fmt::format("{}", seconds);
  const std::size_t point = spelling.find('.');
  if (spelling.find('e') != std::string::npos) return std::nullopt;
  if (point != std::string::npos && spelling.size() - point - 1 > 3) return std::nullopt;
  return static_cast<std::uint32_t>(std::llround(seconds * 1000));
}

LeagueRound roundOf(const Reader& r, const toml::table& table) {
  LeagueRound round;
  bool hasReplay = false;
  for (const Entry& e : inFileOrder(table)) {
    if (e.key == "replay") {
      round.replay = r.resolved(textOf(r, e));
      hasReplay = true;
    } else if (e.key == "name") {
      round.name = wideTextOf(r, e);
    } else if (e.key == "date") {
      round.date = dateOf(r, e);
    } else if (e.key == "factor") {
      round.factor = countOf(r, e, 0, 100);
    } else {
      unknownKey(r, e, " in [[round]]");
    }
  }
  if (!hasReplay) r.failLine(table.source(), "a [[round]] needs \"replay\"");
  return round;
}

// A roster driver and where each of its names stands.
LeagueDriver driverOf(const Reader& r, const toml::table& table, std::vector<Placed>& names) {
  LeagueDriver driver;
  bool hasName = false;
  for (const Entry& e : inFileOrder(table)) {
    if (e.key == "name") {
      driver.name = wideTextOf(r, e);
      names.push_back({driver.name, e.value->source()});
      hasName = true;
    } else if (e.key == "aliases") {
      for (Placed& alias : textsOf(r, e)) {
        driver.aliases.push_back(alias.text);
        names.push_back(std::move(alias));
      }
    } else if (e.key == "team") {
      driver.team = wideTextOf(r, e);
    } else {
      unknownKey(r, e, " in [[driver]]");
    }
  }
  if (!hasName) r.failLine(table.source(), "a [[driver]] needs \"name\"");
  return driver;
}

// The roster in file order; a name or alias of two drivers is refused
// where it stands the second time.
std::vector<LeagueDriver> rosterOf(const Reader& r, const Entry& e) {
  std::vector<LeagueDriver> roster;
  std::map<std::u16string, std::size_t> owners;
  for (const toml::table* table : tablesOf(r, e)) {
    std::vector<Placed> names;
    roster.push_back(driverOf(r, *table, names));
    for (const Placed& name : names) {
      const auto [owner, added] = owners.emplace(name.text, roster.size() - 1);
      if (added || owner->second == roster.size() - 1) continue;
      r.fail(name.at, fmt::format("\"{}\" is already a name of the driver \"{}\"", toUtf8(name.text),
                                  toUtf8(roster[owner->second].name)));
    }
  }
  return roster;
}

// One of the four decisions of a penalty.
struct Decision {
  PenaltyKind kind;
  std::uint32_t value;
};

// The decision an entry of a penalty gives; none for any other key.
std::optional<Decision> decisionOf(const Reader& r, const Entry& e) {
  if (e.key == "seconds") {
    const std::optional<std::uint32_t> ms = penaltyMilliseconds(*e.value);
    if (!ms) {
      r.fail(e.value->source(), fmt::format("\"seconds\" must be a number greater than 0 and at most {}, "
                                            "with at most three decimals", kLongestTimePenalty));
    }
    return Decision{PenaltyKind::Time, *ms};
  }
  if (e.key == "positions") return Decision{PenaltyKind::Places, countOf(r, e, 1, kLargestCount)};
  if (e.key == "points") return Decision{PenaltyKind::Points, countOf(r, e, 1, kLargestCount)};
  if (e.key == "disqualified") {
    const toml::value<bool>* flag = e.value->as_boolean();
    if (flag == nullptr || !flag->get()) r.fail(e.value->source(), "\"disqualified\" can only be true");
    return Decision{PenaltyKind::Disqualified, 0};
  }
  return std::nullopt;
}

PendingPenalty penaltyOf(const Reader& r, const toml::table& table) {
  PendingPenalty pending;
  LeaguePenalty& penalty = pending.penalty;
  bool hasRound = false, hasDriver = false, hasReason = false, hasDecision = false;
  for (const Entry& e : inFileOrder(table)) {
    std::optional<Decision> decision;
    if (e.key == "round") {
      const toml::value<std::int64_t>* number = e.value->as_integer();
      if (number == nullptr) r.fail(e.value->source(), "\"round\" must be a whole number");
      pending.round = number->get();
      pending.roundAt = e.value->source();
      hasRound = true;
    } else if (e.key == "driver") {
      penalty.driver = wideTextOf(r, e);
      penalty.source = sourceOf(e.value->source(), true);
      hasDriver = true;
    } else if (e.key == "reason") {
      penalty.reason = wideTextOf(r, e);
      hasReason = true;
    } else if ((decision = decisionOf(r, e))) {
      if (hasDecision) r.fail(e.keyNode->source(), fmt::format("a [[penalty]] takes only one of {}", kDecisionKeys));
      penalty.kind = decision->kind;
      penalty.value = decision->value;
      hasDecision = true;
    } else {
      unknownKey(r, e, " in [[penalty]]");
    }
  }
  if (!hasRound) r.failLine(table.source(), "a [[penalty]] needs \"round\"");
  if (!hasDriver) r.failLine(table.source(), "a [[penalty]] needs \"driver\"");
  if (!hasDecision) r.failLine(table.source(), fmt::format("a [[penalty]] needs one of {}", kDecisionKeys));
  if (!hasReason) r.failLine(table.source(), "a [[penalty]] needs \"reason\"");
  return pending;
}

// The penalties once every round is known: each names one of them.
std::vector<LeaguePenalty> checkedPenalties(const Reader& r, std::vector<PendingPenalty> pending,
                                            std::size_t rounds) {
  std::vector<LeaguePenalty> penalties;
  for (PendingPenalty& p : pending) {
    if (p.round < 1 || static_cast<std::uint64_t>(p.round) > rounds) {
      const std::string has = rounds == 0   ? "no rounds"
                              : rounds == 1 ? "1 round"
                                            : fmt::format("{} rounds", rounds);
      r.fail(p.roundAt, fmt::format("there is no round {}: the league file has {}", p.round, has));
    }
    p.penalty.round = static_cast<std::size_t>(p.round);
    penalties.push_back(std::move(p.penalty));
  }
  return penalties;
}

// Reads one key of the file's top level into `league`; the penalties wait
// in `pending` for the rounds.
void readTopLevel(const Reader& r, const Entry& e, League& league, std::vector<PendingPenalty>& pending) {
  if (e.key == "name") {
    league.name = wideTextOf(r, e);
  } else if (e.key == "season") {
    league.season = wideTextOf(r, e);
  } else if (e.key == "points") {
    league.points = scaleOf(r, e);
  } else if (e.key == "fastest_lap") {
    league.fastestLap = countOf(r, e, 0, kLargestCount);
  } else if (e.key == "best") {
    league.best = countOf(r, e, 1, kLargestCount);
  } else if (e.key == "carset") {
    league.carset = r.resolved(textOf(r, e));
  } else if (e.key == "carset_auto") {
    league.carsetAuto = flagOf(r, e);
  } else if (e.key == "round") {
    for (const toml::table* table : tablesOf(r, e)) league.rounds.push_back(roundOf(r, *table));
  } else if (e.key == "driver") {
    league.drivers = rosterOf(r, e);
  } else if (e.key == "penalty") {
    for (const toml::table* table : tablesOf(r, e)) pending.push_back(penaltyOf(r, *table));
  } else {
    unknownKey(r, e, "");
  }
}

// The message of a TOML syntax error from the parser's description
// ("Error while parsing key-value pair: expected value, saw '\n'").
std::string syntaxError(std::string_view description) {
  constexpr std::string_view kPrefix = "Error while parsing ";
  if (description.starts_with(kPrefix)) {
    description.remove_prefix(kPrefix.size());
    const std::size_t colon = description.find(": ");
    if (colon != std::string_view::npos) {
      return fmt::format("TOML syntax error ({}): {}", description.substr(0, colon), description.substr(colon + 2));
    }
  }
  std::string what(description);
  if (!what.empty() && what[0] >= 'A' && what[0] <= 'Z') what[0] = static_cast<char>(what[0] - 'A' + 'a');
  return "TOML syntax error: " + what;
}

toml::table parsed(std::string_view text, const std::string& path) {
  try {
    return toml::parse(text, std::string_view(path));
  } catch (const toml::parse_error& e) {
    const toml::source_position& at = e.source().begin;
    failLeague(path, {at.line, at.column}, syntaxError(e.description()));
  }
}

}  // namespace

League parseLeague(std::string_view text, const std::string& path) {
  const toml::table document = parsed(text, path);
  const Reader reader{path, folderOf(path)};
  League league;
  league.file = path;
  std::vector<PendingPenalty> pending;
  for (const Entry& e : inFileOrder(document)) readTopLevel(reader, e, league, pending);
  league.penalties = checkedPenalties(reader, std::move(pending), league.rounds.size());
  return league;
}

League readLeague(const std::string& path) {
  if (!isRegularFile(path)) err(ExitStatus::Failure, "cannot read %s: no such file", path);
  std::string text;
  try {
    text = platform::readFile(path);
  } catch (const platform::SystemError& e) {
    err(ExitStatus::Failure, "cannot read %s: %s", path, e.reason());
  }
  return parseLeague(text, path);
}

void failLeague(const std::string& file, LeagueSource at, std::string_view what) {
  const std::string place =
      at.column == 0 ? fmt::format("{}:{}", file, at.line) : fmt::format("{}:{}:{}", file, at.line, at.column);
  err(ExitStatus::Failure, "%s: %s", place, what);
}

}  // namespace marvolt
