// The command-line core of both programs: one table of options per program
// (each option's spelling, argument and help line written once; the options
// both programs have are the same entries), one loop that reads arguments by
// such a table, and the usage text made from it.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace marvolt {

/// What a command line asks for: a run, or only the usage, the version, or
/// the complaint about an invalid option.
enum class CommandAction { Run, Help, Version, Invalid };

/// Every option of either program.
enum class OptionKey {
  Points, FastestLap, Best, Carset, CarsetAuto, Output, SameName, Force, FormatTxt, FormatSemikv,
  FormatJson, FormatHtml, NoHeader, NoStdConv, Laps, Site, League, Help, Version,
};

/// What an option takes: nothing, a path awaited as the next free argument,
/// or a value after its "=".
enum class Argument { None, Path, Value };

/// One option of a command line.
struct Option {
  OptionKey key;
  std::string_view spelling;      ///< "--force"; for a Value option up to and with its "="
  Argument argument;
  std::string_view placeholder;   ///< the argument in the help line: "<file>", "LIST"
  std::string_view help;          ///< what the help line says of the option
  bool (*offered)() = nullptr;    ///< whether this system has the option; null: every system
};

/// What a program's usage says, and the options it reads.
struct CommandSyntax {
  std::string_view operands;      ///< after "[OPTION]" in the usage line
  std::string_view purpose;       ///< the line below it
  std::span<const Option> options;
  std::string_view otherOperands = {};   ///< after "[OPTION]" in a second usage line; empty: none
};

/// A path option's argument while the command line is read: not given,
/// awaited (its option was seen, no argument taken yet) or given.
struct PendingPath {
  enum class State { NotGiven, Awaiting, Given };
  State state = State::NotGiven;
  std::string value;
  /// The option was seen: the next free argument is the path.
  void await() {
    state = State::Awaiting;
    value.clear();
  }
  /// Takes `v` as the path.
  void give(const std::string& v) {
    state = State::Given;
    value = v;
  }
  /// Whether the next free argument is the path.
  bool awaiting() const { return state == State::Awaiting; }
};

/// What one reading of a command line found.
struct ParsedArguments {
  CommandAction action = CommandAction::Run;
  std::string complaint;                                 ///< for Invalid: the line before the usage
  std::vector<std::string> operands;                     ///< the free arguments, in order
  std::vector<std::pair<OptionKey, PendingPath>> paths;   ///< every Path option of the syntax
  /// The path of the option `key`.
  const PendingPath& path(OptionKey key) const;
  /// Makes the reading invalid with `complaint`.
  void refuse(std::string complaint);
};

/// Called with each option taking no path, as it is read, and its value
/// (empty for an option without one); false refuses the argument as invalid.
using OptionHandler = std::function<bool(OptionKey key, std::string_view value)>;

/// Reads `args` (without the program name) by `syntax`. Options are matched
/// first, then an awaited path takes the argument (the earliest awaited in
/// the table), then one beginning with "-" is invalid, else it is an
/// operand. Stops at "--help", "--version" or an invalid argument.
ParsedArguments parseArguments(const CommandSyntax& syntax, const std::vector<std::string>& args,
                               const OptionHandler& handle);

/// The usage text of `syntax` for the program started as `program`.
std::string usageText(const CommandSyntax& syntax, std::string_view program);

// The options both programs have, with the same help line.

inline constexpr Option kCarsetAutoOption{OptionKey::CarsetAuto, "--cst-auto", Argument::None, "",
                                          "try to detect and find the correct carset file"};
inline constexpr Option kOutputOption{OptionKey::Output, "-o", Argument::Path, "<output>",
                                      "output file (UTF-8 encoded)"};
inline constexpr Option kForceOption{OptionKey::Force, "--force", Argument::None, "", "overwrite existing file"};
inline constexpr Option kFormatTxtOption{OptionKey::FormatTxt, "--format=txt", Argument::None, "",
                                         "output format: text (default)"};
inline constexpr Option kHelpOption{OptionKey::Help, "--help", Argument::None, "", "display this text and exit"};
inline constexpr Option kVersionOption{OptionKey::Version, "--version", Argument::None, "",
                                       "output version information and exit"};

}  // namespace marvolt
